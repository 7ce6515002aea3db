#pragma once
// What the world framework asks of the HUD: the unit the player picked in it.
#include <cstdint>

// The id of the unit selected in the HUD, 0 when none.
uint32_t vnHUD_GetSelectedUnitID();
// The HUD's selection changed to the unit (0: none).
void vnHUD_SetSelectedUnitID(uint32_t id);
