#pragma once
// The flashing of the soldiers' unit icons: an icon flashes for a while after something happened
// to its soldier (he was resupplied). The icons ask whether to flash; time runs by Advance.
#include <cstdint>

constexpr float VNUNITICON_FLASH_SECONDS = 3.0f;
// Icons that can flash at once: every fielded soldier of a platoon, with room to spare.
constexpr int32_t VNUNITICON_MAX_FLASHING = 32;

// Flashes the unit's icon for VNUNITICON_FLASH_SECONDS, from now (a flash under way restarts).
void vnUnitIcon_Flash(uint32_t unitId);
// The seconds the unit's icon still flashes, 0 when it does not.
float vnUnitIcon_FlashLeft(uint32_t unitId);
// Lets the seconds pass for every flashing icon.
void vnUnitIcon_Advance(float seconds);
// Stops every flash (a mission ends).
void vnUnitIcon_ClearFlashes();
