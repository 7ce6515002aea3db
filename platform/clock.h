#pragma once
// Time: a 32-bit millisecond clock that wraps (like the multimedia timer), a high-resolution
// counter and sleeping. Tests may replace the millisecond clock to drive timers exactly.
#include <cstdint>

uint32_t PLAT_TimeMs();
uint64_t PLAT_CounterNow();
uint64_t PLAT_CounterFrequency();
void PLAT_SleepMs(uint32_t ms);

// Replaces PLAT_TimeMs with a function of the caller's; none restores the real clock.
using PLAT_ClockFn = uint32_t (*)();
void PLAT_SetClockOverride(PLAT_ClockFn fn);
