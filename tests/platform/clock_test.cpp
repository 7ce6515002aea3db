#include "platform/clock.h"

#include <gtest/gtest.h>

namespace {
uint32_t FixedClock() { return 0xFFFFFFF0u; }
}  // namespace

TEST(Clock, OverrideReplacesAndRestoresTheMillisecondClock) {
  PLAT_SetClockOverride(&FixedClock);
  EXPECT_EQ(PLAT_TimeMs(), 0xFFFFFFF0u);
  PLAT_SetClockOverride(nullptr);
  uint32_t a = PLAT_TimeMs();
  PLAT_SleepMs(2);
  EXPECT_NE(PLAT_TimeMs(), 0xFFFFFFF0u);
  EXPECT_GE(static_cast<uint32_t>(PLAT_TimeMs() - a), 2u);
}

TEST(Clock, SleepLastsAtLeastTheAskedTime) {
  uint64_t start = PLAT_CounterNow();
  uint32_t startMs = PLAT_TimeMs();
  PLAT_SleepMs(30);
  uint64_t elapsed = PLAT_CounterNow() - start;
  EXPECT_EQ(PLAT_CounterFrequency(), 1000000000u);
  EXPECT_GE(elapsed, 30u * PLAT_CounterFrequency() / 1000);
  // Differences of the wrapping clock are taken in 32 bits, as the game does.
  EXPECT_GE(static_cast<uint32_t>(PLAT_TimeMs() - startMs), 30u);
}
