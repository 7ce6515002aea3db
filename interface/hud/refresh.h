#pragma once
// Rebuilding the HUD's buttons after something they show has changed (a soldier's ammunition,
// his items). Requests are gathered and the HUD takes them once per rebuild.
#include <cstdint>

// Asks the HUD to rebuild its buttons.
void vnHUD_Refresh();
// The requests since the last call, which clears them.
int32_t vnHUD_TakeRefresh();
