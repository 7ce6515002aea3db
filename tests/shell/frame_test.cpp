// The frame: stage order, quit checks after each stage, pausing, and frame timing.
#include <gtest/gtest.h>

#include <cfenv>
#include <string>
#include <vector>

#include "engine/display/display.h"
#include "engine/input/koinput.h"
#include "engine/kernel/frametime.h"
#include "engine/kernel/kernel.h"
#include "engine/kernel/program.h"
#include "platform/clock.h"
#include "shell/app.h"
#include "shell/fpu.h"
#include "shell/frame.h"
#include "shell/state.h"

namespace {

constexpr int32_t kProbeType = 300;
constexpr int32_t kProbePosted = 4000;

std::vector<std::string> g_log;
std::string g_quitAt;  // the stage at which the probe asks to quit
uint32_t g_now = 1000;

uint32_t FakeClock() { return g_now; }
SGE_TASK* g_probe = nullptr;
bool g_postOnTimer = false;
float g_renderThird = 0.0f;

// 1/3 computed at run time in the current rounding mode.
float Third() {
  volatile float one = 1.0f, three = 3.0f;
  return one / three;
}
constexpr float kThirdNearest = 0.333333343f;
constexpr float kThirdDown = 0.333333313f;

void Mark(const std::string& stage) {
  if (!g_log.empty() && g_log.back() == stage) return;  // one line per stage
  g_log.push_back(stage);
  if (stage == g_quitAt) SGE_RequestQuit();
}

SGE_RESULT Probe(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  if (msg == SGM_TASK_TIMER) {
    Mark("timer");
    if (g_postOnTimer) {
      g_postOnTimer = false;
      SGE_Post(task, kProbePosted, 0, 0);
      SGE_RequestQuit();
    }
  }
  if (msg == kProbePosted) Mark("posted");
  if (msg == SGM_TASK_INPUT) Mark("input");
  if (msg == SGM_TASK_FRAME) Mark("frame");
  return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
}

void WorldPass() { Mark("world"); }
void TimeScale(uint32_t) { Mark("timescale"); }
int32_t RenderMark(SPW_DISPLAY*, SGE_DATAREF*) {
  Mark("render");
  g_renderThird = Third();
  return 1;
}

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PLAT_SetClockOverride(FakeClock);
    ASSERT_EQ(SPW_InitEngine(), 1);
    // Shared access so that the devices exist without a focused window.
    KOINPUT_SetCooperative(0);
    ASSERT_EQ(KOINPUT_Init(), 1);
    SGE_TASKTYPE type{};
    type.nTypeId = kProbeType;
    type.pHandler = Probe;
    ASSERT_EQ(SGE_RegisterTaskType(type), 1);
    probe = SGE_CreateTask(kProbeType, nullptr, nullptr, 0, 0);
    ASSERT_NE(probe, nullptr);
    g_probe = probe;
    SGE_AddTimer(probe, 10, nullptr, SGE_TIMER_REPEAT);
    SGE_AddFrameTimer(probe, 1, nullptr, SGE_TIMER_REPEAT);
    hasInput = KOINPUT_GetDeviceCount() > 0 && KOINPUT_Subscribe(-1, 0, probe) != nullptr;
    display = SPW_CreateDisplay(0, 640, 480, nullptr, nullptr, nullptr);
    SPW_AddDisplayCallback(display, RenderMark, 0, nullptr);
    for (int32_t i = 0; i < VN_NUM_WORLD_PASSES; ++i) vnMAIN_SetWorldPass(i, WorldPass);
    vnMAIN_SetTimeScaleFn(TimeScale);
    g_log.clear();
    g_quitAt.clear();
  }
  void TearDown() override {
    for (int32_t i = 0; i < VN_NUM_WORLD_PASSES; ++i) vnMAIN_SetWorldPass(i, nullptr);
    vnMAIN_SetTimeScaleFn(nullptr);
    vnMAIN_SetPaused(0);
    g_postOnTimer = false;
    std::fesetround(FE_TONEAREST);
    SPW_DestroyDisplay(display);
    SPW_ShutdownEngine();
    PLAT_SetClockOverride(nullptr);
  }
  int32_t Frame(uint32_t ms = 20) {
    g_now += ms;
    return vnMAIN_Frame();
  }
  std::vector<std::string> Expected(std::vector<std::string> stages) const {
    if (!hasInput) std::erase(stages, "input");
    return stages;
  }

  SGE_TASK* probe = nullptr;
  SPW_DISPLAY* display = nullptr;
  bool hasInput = false;
};

TEST_F(FrameTest, StagesRunInOrder) {
  EXPECT_EQ(Frame(), 0);
  EXPECT_EQ(g_log, Expected({"timer", "input", "frame", "world", "timescale", "render"}));
}

TEST_F(FrameTest, QuitDuringAStageEndsTheFrameAfterThatStage) {
  const std::vector<std::string> all = {"timer", "input", "frame", "world", "timescale", "render"};
  for (size_t stop = 0; stop < all.size(); ++stop) {
    if (all[stop] == "input" && !hasInput) continue;
    SCOPED_TRACE(all[stop]);
    SGE_ClearQuit();
    g_log.clear();
    g_quitAt = all[stop];
    EXPECT_EQ(Frame(), 1);
    std::vector<std::string> upTo(all.begin(), all.begin() + stop + 1);
    EXPECT_EQ(g_log, Expected(upTo));
  }
}

TEST_F(FrameTest, MessagesPostedInAStageAreDeliveredBeforeItsQuitCheck) {
  g_postOnTimer = true;
  EXPECT_EQ(Frame(), 1);
  EXPECT_EQ(g_log, (std::vector<std::string>{"timer", "posted"}));
}

TEST_F(FrameTest, RenderingRunsRoundingToNearestAndTheCallersModeComesBack) {
  ASSERT_NE(kThirdNearest, kThirdDown);
  ASSERT_EQ(std::fesetround(FE_DOWNWARD), 0);
  ASSERT_EQ(Third(), kThirdDown);
  EXPECT_EQ(Frame(), 0);
  EXPECT_EQ(g_renderThird, kThirdNearest);
  EXPECT_EQ(Third(), kThirdDown);
}

TEST(FpuMode, SetSingleReportsWhetherTheModeHadToChange) {
  uint32_t word = 0;
  ASSERT_EQ(std::fesetround(FE_TONEAREST), 0);
  EXPECT_EQ(SGE_SetFPUSingle(&word), 0);
  ASSERT_EQ(std::fesetround(FE_DOWNWARD), 0);
  EXPECT_EQ(SGE_SetFPUSingle(&word), 1);
  EXPECT_EQ(Third(), kThirdNearest);
  SGE_RestoreFPU(word);
  EXPECT_EQ(Third(), kThirdDown);
  std::fesetround(FE_TONEAREST);
}

TEST_F(FrameTest, AQuitAlreadyRequestedRunsNothing) {
  SGE_RequestQuit();
  EXPECT_EQ(Frame(), 1);
  EXPECT_TRUE(g_log.empty());
}

TEST_F(FrameTest, PausedFrameSkipsOnlyTheWorld) {
  vnMAIN_SetPaused(1);
  EXPECT_EQ(Frame(), 0);
  EXPECT_EQ(g_log, Expected({"timer", "input", "frame", "render"}));
  vnMAIN_SetPaused(0);
  g_log.clear();
  EXPECT_EQ(Frame(), 0);
  EXPECT_EQ(g_log, Expected({"timer", "input", "frame", "world", "timescale", "render"}));
}

TEST_F(FrameTest, RenderOnlyFrameRunsNoTimersInputOrWorld) {
  EXPECT_EQ((g_now += 20, vnMAIN_FrameRenderOnly()), 0);
  EXPECT_EQ(g_log, (std::vector<std::string>{"render"}));
}

TEST_F(FrameTest, FrameDeltaOutsideRangeCountsAsOneMillisecond) {
  struct Case {
    uint32_t ms;
    float delta;
  } cases[] = {{1500, 0.001f}, {0, 0.001f}, {40, 0.04f}, {1000, 1.0f}};
  for (const Case& c : cases) {
    Frame(c.ms);
    EXPECT_NEAR(SGE_GetFrameDelta(), c.delta, 1e-5) << c.ms << " ms";
  }
}
}  // namespace
