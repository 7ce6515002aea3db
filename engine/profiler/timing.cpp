// Start-up measurement of the stamp rate, and the timed trace.
#include <cstdarg>
#include <cstdio>

#include "engine/profiler/internal.h"
#include "engine/profiler/profiler.h"
#include "platform/clock.h"
#include "platform/trace.h"

namespace {

uint64_t g_cyclesPerSecond = 0;
uint32_t g_startMark = 0;
uint32_t g_lastMark = 0;

// Stamps over the counter across a short sleep. A counter without a rate, or one that did not
// move, gives 0 (the percentages then read 0) instead of a division by zero.
uint64_t MeasureCyclesPerSecond() {
  const uint64_t frequency = PLAT_CounterFrequency();
  if (frequency == 0) {
    PLAT_Trace("KOPROFILE_Init: no counter frequency\n");
    return 0;
  }
  const uint64_t counter0 = PLAT_CounterNow();
  const uint64_t stamp0 = KOPROFILE_ReadStamp();
  PLAT_SleepMs(10);
  const uint64_t counter1 = PLAT_CounterNow();
  const uint64_t stamp1 = KOPROFILE_ReadStamp();
  if (counter1 <= counter0) {
    PLAT_Trace("KOPROFILE_Init: counter did not advance\n");
    return 0;
  }
  const uint32_t stamps = static_cast<uint32_t>(stamp1 - stamp0);
  // Double: stamps times frequency can pass 64 bits.
  return static_cast<uint64_t>(static_cast<double>(stamps) * static_cast<double>(frequency) /
                               static_cast<double>(counter1 - counter0));
}

}  // namespace

int32_t KOPROFILE_Init() {
  g_startMark = g_lastMark = PLAT_TimeMs();
  g_cyclesPerSecond = MeasureCyclesPerSecond();
  return 1;
}

uint64_t KOPROFILE_GetCyclesPerSecond() { return g_cyclesPerSecond; }

void KOPROFILE_Trace(const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format ? format : "", args);
  va_end(args);
  // Unsigned differences stay right across the 32-bit wrap of the millisecond clock.
  const uint32_t now = PLAT_TimeMs();
  PLAT_Trace("[%u ms, +%u ms] %s", now - g_startMark, now - g_lastMark, text);
  g_lastMark = now;
}
