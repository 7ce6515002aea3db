#pragma once
// The application-active flag: 1 while the main window is the active one. Input is read only
// while it is set. The window procedure sets it on activation.
#include <cstdint>

// The previous value.
int32_t SGE_SetAppActive(int32_t active);
int32_t SGE_IsAppActive();
