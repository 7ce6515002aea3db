#include "engine/kernel/frametime.h"

#include <gtest/gtest.h>

#include "platform/clock.h"

namespace {

uint32_t g_now = 0;
uint32_t FakeClock() { return g_now; }

class FrameTiming : public ::testing::Test {
 protected:
  void SetUp() override {
    g_now = 50000;
    PLAT_SetClockOverride(FakeClock);
    SGE_InitFrameTiming();
  }
  void TearDown() override { PLAT_SetClockOverride(nullptr); }
  void Frame(uint32_t ms) {
    g_now += ms;
    SGE_UpdateFrameTiming();
  }
};

TEST_F(FrameTiming, DeltasOutsideTheRangeCountAsOneMillisecond) {
  struct Case {
    uint32_t ms;
    float delta;
    int32_t frameMs;
  } cases[] = {
      {1500, 0.001f, 1}, {0, 0.001f, 1},   {1, 0.001f, 1},     {17, 0.017f, 17},
      {20, 0.02f, 20},   {1000, 1.0f, 1000}, {1001, 0.001f, 1},
  };
  for (const Case& c : cases) {
    Frame(c.ms);
    EXPECT_FLOAT_EQ(SGE_GetFrameDelta(), c.delta) << c.ms;
    EXPECT_EQ(SGE_GetFrameMs(), c.frameMs) << c.ms;
    EXPECT_EQ(SGE_GetFrameStartMs(), g_now);
  }
}

TEST_F(FrameTiming, FrameTimeIsTheMeanOfTheLastThreeDeltas) {
  // The reset filled the history with 1 ms frames.
  EXPECT_FLOAT_EQ(SGE_GetFrameTime(), 0.001f);
  Frame(20);
  Frame(30);
  Frame(40);
  EXPECT_NEAR(SGE_GetFrameTime(), 0.03f, 1e-6f);
  EXPECT_NEAR(SGE_GetFrameRate(), 1.0f / 0.03f, 1e-2f);
  Frame(50);
  EXPECT_NEAR(SGE_GetFrameTime(), 0.04f, 1e-6f);
}

TEST_F(FrameTiming, SecondsFollowTheFrameStart) {
  Frame(250);
  EXPECT_FLOAT_EQ(SGE_GetSeconds(), 50.25f);
}

TEST_F(FrameTiming, FrameCounterRestartsWithEachFramesPerSecondFigure) {
  // Start a fresh one-second window.
  Frame(1001);
  EXPECT_EQ(SGE_GetFrameCounter(), 0u);
  for (int i = 1; i <= 10; ++i) {
    Frame(100);
    EXPECT_EQ(SGE_GetFrameCounter(), static_cast<uint32_t>(i));
  }
  Frame(100);  // 1100 ms after the last figure: 11 frames
  EXPECT_EQ(SGE_GetFrameCounter(), 0u);
  EXPECT_NEAR(SGE_GetFPS(), 10.0f, 1e-3f);
  Frame(16);
  EXPECT_EQ(SGE_GetFrameCounter(), 1u);
}

TEST_F(FrameTiming, ClockWrapGivesTheTrueStep) {
  g_now = 0xFFFFFFF0u;
  SGE_InitFrameTiming();
  Frame(0x20);
  EXPECT_EQ(SGE_GetFrameMs(), 0x20);
}

}  // namespace
