#include "platform/clock.h"

#include <atomic>
#include <cerrno>
#include <ctime>

namespace {

constexpr uint64_t kNsPerSecond = 1000000000ull;
constexpr uint64_t kNsPerMs = 1000000ull;

std::atomic<PLAT_ClockFn> g_override{nullptr};

uint64_t MonotonicNs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * kNsPerSecond + static_cast<uint64_t>(ts.tv_nsec);
}

}  // namespace

uint32_t PLAT_TimeMs() {
  if (PLAT_ClockFn fn = g_override.load(std::memory_order_acquire)) return fn();
  // Truncation to 32 bits is the wrap the game's timers expect (about every 49.7 days).
  return static_cast<uint32_t>(MonotonicNs() / kNsPerMs);
}

uint64_t PLAT_CounterNow() { return MonotonicNs(); }

uint64_t PLAT_CounterFrequency() { return kNsPerSecond; }

void PLAT_SleepMs(uint32_t ms) {
  timespec req{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  timespec rem{};
  // A signal must not cut the sleep short.
  while (nanosleep(&req, &rem) != 0 && errno == EINTR) req = rem;
}

void PLAT_SetClockOverride(PLAT_ClockFn fn) { g_override.store(fn, std::memory_order_release); }
