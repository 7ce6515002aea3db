#pragma once
// What the world framework asks of the AI network editor: whether its display is on. While it
// is, the unit manager skips its per-frame pass and its counting messages answer 0.
#include <cstdint>

int32_t vnAIEDIT_IsDisplayOn();
// The old setting.
int32_t vnAIEDIT_SetDisplayOn(int32_t on);
