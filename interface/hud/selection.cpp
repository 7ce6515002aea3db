// The unit selected in the HUD.
#include "interface/hud/hud.h"

namespace {
uint32_t g_selectedId = 0;
}  // namespace

uint32_t vnHUD_GetSelectedUnitID() { return g_selectedId; }

void vnHUD_SetSelectedUnitID(uint32_t id) { g_selectedId = id; }
