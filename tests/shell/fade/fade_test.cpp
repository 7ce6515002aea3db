// The transition controller: level stepping through the real frame, who is told and when, the
// sound's master level, refused requests, and the quad it draws through the driver.
#include "shell/fade/fade.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>

#include "engine/display/display.h"
#include "engine/kernel/frametime.h"
#include "engine/memory/memblock.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "platform/sound/sound.h"
#include "shell/app.h"
#include "shell/frame.h"
#include "shell/options.h"
#include "shell/sound/sound.h"
#include "shell/state.h"
#include "tests/engine/quad/screen_fixture.h"
#include "tests/support/support.h"
#include "tools/writers/ppm_writer.h"
#include "tools/writers/sounddef_writer.h"

namespace {

constexpr int32_t kRequesterType = 300;

uint32_t g_now = 1000;
uint32_t FakeClock() { return g_now; }

// A 4118 as the requester received it, with the frame it came in.
struct Done {
  SGE_TASK* task;
  VNFADE_REQUEST request;
  int frame;
};
std::vector<Done> g_done;
int g_frame = 0;

SGE_RESULT RequesterHandler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                            SGE_PARAM p2) {
  if (msg == SGM_FADE_DONE) {
    g_done.push_back({task, *SGE_ParamPtr<const VNFADE_REQUEST>(p1), g_frame});
    return 1;
  }
  return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
}

int32_t RegisterRequester(int32_t typeId, SGE_TASKHANDLER handler) {
  SGE_TASKTYPE type{};
  type.nTypeId = typeId;
  type.pHandler = handler;
  type.fFlags = SGE_TTF_ZERO_DATA;
  type.nInstanceSize = 4;
  return SGE_RegisterTaskType(type);
}

class FadeController : public ::testing::Test {
 protected:
  void SetUp() override {
    g_done.clear();
    g_frame = 0;
    PLAT_SetClockOverride(FakeClock);
    ASSERT_EQ(SPW_InitEngine(), 1);
    display = SPW_CreateDisplay(0, 640, 480, nullptr, nullptr, nullptr);
    ASSERT_NE(display, nullptr);
    vnMAIN_SetDisplay(display);
    ASSERT_EQ(RegisterRequester(kRequesterType, RequesterHandler), 1);
    ASSERT_EQ(vnFADE_Register(), 1);
    controller = SGE_CreateTask(VNTT_FADE, nullptr, nullptr, 0, 0);
    ASSERT_NE(controller, nullptr);
    ASSERT_EQ(vnFADE_GetController(), controller);
  }
  void TearDown() override {
    if (vnFADE_GetController()) SGE_Send(vnFADE_GetController(), SGM_TASK_DESTROY, 0, 0);
    vnMAIN_SetDisplay(nullptr);
    SPW_DestroyDisplay(display);
    SPW_ShutdownEngine();
    PLAT_SetClockOverride(nullptr);
  }
  void Frame(uint32_t ms = 100) {
    g_now += ms;
    ++g_frame;
    ASSERT_EQ(vnMAIN_Frame(), 0);
  }
  // Lands on the level at once and lets the request finish.
  void Settle(float level) {
    vnFADE_To(nullptr, 0, 0, level, 0.0f);
    Frame();
    Frame();
    ASSERT_EQ(Mode(), VN_FADE_NONE);
    g_frame = 0;
  }
  SGE_TASK* Requester() { return SGE_CreateTask(kRequesterType, nullptr, nullptr, 0, 0); }
  float Level() { return SGE_TaskData<VNFADE>(controller)->fLevel; }
  int32_t Mode() { return SGE_Send(controller, SGM_FADE_GET_MODE, 0, 0); }

  SPW_DISPLAY* display = nullptr;
  SGE_TASK* controller = nullptr;
};

TEST_F(FadeController, AFadeReachesItsTargetOnTheFourthFrameAndTellsItsRequesterOnTheFifthOnce) {
  Settle(1.0f);
  SGE_TASK* asker = Requester();
  EXPECT_EQ(vnFADE_To(asker, 7, 9, 0.0f, 0.4f), VN_FADE_NONE);
  EXPECT_EQ(Mode(), VN_FADE_TO);
  for (float level : {0.75f, 0.5f, 0.25f, 0.0f}) {
    Frame();
    EXPECT_FLOAT_EQ(Level(), level) << "frame " << g_frame;
  }
  EXPECT_TRUE(g_done.empty());
  for (int i = 0; i < 3; ++i) Frame();
  ASSERT_EQ(g_done.size(), 1u);
  EXPECT_EQ(g_done[0].frame, 5);
  EXPECT_EQ(g_done[0].task, asker);
  EXPECT_EQ(g_done[0].request.nMode, VN_FADE_TO);
  EXPECT_EQ(g_done[0].request.pRequester, asker);
  EXPECT_EQ(g_done[0].request.value1, 7);
  EXPECT_EQ(g_done[0].request.value2, 9);
  EXPECT_EQ(Mode(), VN_FADE_NONE);
  EXPECT_FLOAT_EQ(Level(), 0.0f);
}

TEST_F(FadeController, AReplacedRequestsRequesterIsNeverTold) {
  Settle(1.0f);
  SGE_TASK* first = Requester();
  SGE_TASK* second = Requester();
  vnFADE_To(first, 1, 0, 0.0f, 0.4f);
  Frame();
  Frame();
  EXPECT_EQ(vnFADE_To(second, 2, 0, 1.0f, 0.2f), VN_FADE_TO);
  Frame();  // 0.5 back to 1.0 in two steps of 0.5
  EXPECT_FLOAT_EQ(Level(), 1.0f);
  for (int i = 0; i < 6; ++i) Frame();
  ASSERT_EQ(g_done.size(), 1u);
  EXPECT_EQ(g_done[0].task, second);
  EXPECT_EQ(g_done[0].request.value1, 2);
}

TEST_F(FadeController, TheRequesterMayStartTheNextFadeWhenTold) {
  struct Chain {
    static SGE_RESULT Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                              SGE_PARAM p2) {
      if (msg == SGM_FADE_DONE) {
        g_done.push_back({task, *SGE_ParamPtr<const VNFADE_REQUEST>(p1), g_frame});
        if (g_done.size() == 1) vnFADE_To(task, 0, 0, 1.0f, 0.1f);
        return 1;
      }
      return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
    }
  };
  ASSERT_EQ(RegisterRequester(kRequesterType + 1, Chain::Handler), 1);
  SGE_TASK* asker = SGE_CreateTask(kRequesterType + 1, nullptr, nullptr, 0, 0);
  vnFADE_To(asker, 0, 0, 0.0f, 0.1f);
  for (int i = 0; i < 6; ++i) Frame();
  EXPECT_EQ(g_done.size(), 2u);
  EXPECT_FLOAT_EQ(Level(), 1.0f);
}

TEST_F(FadeController, ARequesterThatEndedIsNotTold) {
  SGE_TASK* asker = Requester();
  vnFADE_To(asker, 0, 0, 1.0f, 0.1f);
  SGE_Send(asker, SGM_TASK_DESTROY, 0, 0);
  vntest::TraceCapture trace;
  for (int i = 0; i < 3; ++i) Frame();
  EXPECT_TRUE(g_done.empty());
  EXPECT_TRUE(trace.contains("the task that asked for the fade has ended"));
  EXPECT_EQ(Mode(), VN_FADE_NONE);
}

TEST_F(FadeController, DurationsWithoutTimeLandOnTheTargetAtOnce) {
  struct Case {
    const char* name;
    float seconds;
  };
  const Case cases[] = {{"zero", 0.0f}, {"negative", -1.0f}, {"NaN", std::nanf("")}};
  for (const Case& c : cases) {
    Settle(1.0f);
    vnFADE_To(nullptr, 0, 0, 0.25f, c.seconds);
    Frame();
    EXPECT_EQ(Level(), 0.25f) << c.name;
    Frame();
    EXPECT_EQ(Mode(), VN_FADE_NONE) << c.name;
  }
}

TEST_F(FadeController, BadRequestsAreRefusedAndLeaveTheRunningFade) {
  Settle(1.0f);
  SGE_TASK* asker = Requester();
  vnFADE_To(asker, 0, 0, 0.0f, 0.4f);
  vntest::TraceCapture trace;
  EXPECT_EQ(vnFADE_To(nullptr, 0, 0, std::nanf(""), 0.4f), VN_FADE_REFUSED);
  EXPECT_EQ(vnFADE_Start(nullptr, 0, 0, VN_FADE_TO, nullptr), VN_FADE_REFUSED);
  EXPECT_EQ(vnFADE_Start(nullptr, 0, 0, 3, nullptr), VN_FADE_REFUSED);
  EXPECT_TRUE(trace.contains("fade mode [3] is refused"));
  for (int i = 0; i < 5; ++i) Frame();
  ASSERT_EQ(g_done.size(), 1u);
  EXPECT_EQ(g_done[0].task, asker);
}

TEST_F(FadeController, TargetsOutsideTheRangeStopAtItsEnds) {
  vnFADE_To(nullptr, 0, 0, 3.0f, 0.0f);
  Frame();
  EXPECT_EQ(Level(), 1.0f);
  vnFADE_To(nullptr, 0, 0, -2.0f, 0.0f);
  Frame();
  EXPECT_EQ(Level(), 0.0f);
}

TEST_F(FadeController, MessagesAnswerTheControllerModeAndSoundLink) {
  SGE_TASK* found = nullptr;
  EXPECT_EQ(SGE_Send(controller, SGM_FADE_GET_CONTROLLER, SGE_PtrParam(&found), 0), 1);
  EXPECT_EQ(found, controller);
  EXPECT_EQ(SGE_Send(controller, SGM_FADE_GET_FLAG, 0, 0), 1);  // linked from the start
  EXPECT_EQ(vnFADE_SetSoundLink(0), 1);
  EXPECT_EQ(vnFADE_SetSoundLink(1), 0);
  EXPECT_EQ(vnFADE_Start(nullptr, 0, 0, VN_FADE_HOLD, nullptr), VN_FADE_NONE);
  EXPECT_EQ(vnFADE_Clear(), VN_FADE_HOLD);
}

TEST_F(FadeController, DestroyingTheControllerFreesEverythingItMade) {
  SGE_Send(controller, SGM_TASK_DESTROY, 0, 0);
  EXPECT_EQ(vnFADE_GetController(), nullptr);
  EXPECT_EQ(SGE_ListFirst(&display->nodes), nullptr);
  EXPECT_EQ(vnFADE_To(nullptr, 0, 0, 0.0f, 1.0f), VN_FADE_REFUSED);
  SGE_MEMSTATS before{}, after{};
  SGE_GetMemBlockStats(&before, SGE_TaskMem);
  controller = SGE_CreateTask(VNTT_FADE, nullptr, nullptr, 0, 0);
  ASSERT_NE(controller, nullptr);
  SGE_Send(controller, SGM_TASK_DESTROY, 0, 0);
  SGE_GetMemBlockStats(&after, SGE_TaskMem);
  EXPECT_EQ(after.dwUsedChunks, before.dwUsedChunks);  // the record, node, callback and timer
  Frame();
}

// The sound's master level under the null output.
class FadeSound : public FadeController {
 protected:
  void SetUp() override {
    FadeController::SetUp();
    if (HasFatalFailure()) return;
    vnOPTIONS_SetDefaults(vnOPTIONS_Get());
    vnOPTIONS_ApplySound(vnOPTIONS_Get());
    std::map<int32_t, vnSOUNDDEF_ENTRY> tuning;
    for (int32_t id = 0; id < VN_SOUND_NUM_EFFECTS; ++id) tuning[id] = vnSOUNDDEF_ENTRY{};
    ASSERT_TRUE(vnWRITE_SoundDef(dir.path(), tuning));
    PLAT_IniFlushCache();
    PLAT_SoundSetOutput(PLAT_SoundOutput::Null);
    ASSERT_EQ(vnSOUND_Init(), 1);
  }
  void TearDown() override {
    vnSOUND_Close();
    PLAT_SoundSetOutput(PLAT_SoundOutput::Auto);
    PLAT_IniFlushCache();
    FadeController::TearDown();
  }
  vntest::TempDir dir;
  vntest::ScopedWorkingDir cwd{dir.path()};
};

TEST_F(FadeSound, TheMasterLevelFollowsTheFadeWhileLinkedAndIsFullWithoutTheLink) {
  Settle(1.0f);
  vnFADE_To(nullptr, 0, 0, 0.0f, 0.4f);
  for (int32_t volume : {191, 127, 63, 0}) {
    Frame();
    EXPECT_EQ(PLAT_SoundGetMasterVolume(), volume) << "frame " << g_frame;
  }
  vnFADE_To(nullptr, 0, 0, 1.0f, 0.2f);
  for (int32_t volume : {127, 255}) {
    Frame();
    EXPECT_EQ(PLAT_SoundGetMasterVolume(), volume) << "back up, frame " << g_frame;
  }
  Settle(1.0f);
  vnFADE_SetSoundLink(0);
  vnFADE_To(nullptr, 0, 0, 0.0f, 0.4f);
  for (int i = 0; i < 4; ++i) {
    Frame();
    EXPECT_EQ(PLAT_SoundGetMasterVolume(), 255) << "unlinked, frame " << g_frame;
  }
  EXPECT_FLOAT_EQ(Level(), 0.0f);
}

}  // namespace

// The quad through the driver's code on an offscreen OpenGL device, drawn by the real render
// pass over a scene cleared to white.
namespace screentest {
namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF;

class FadeDrawing : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_EQ(SGE_InitKernel(), 1);
    vnPPM_IMAGE black;
    black.kind = 6;
    black.width = black.height = 8;
    black.pixels.assign(8 * 8 * 3, 0);
    ASSERT_TRUE(PLAT_MakeDirectory(dir.file("sprites").c_str()));
    ASSERT_TRUE(PLAT_MakeDirectory(dir.file("sprites/effects").c_str()));
    // The driver may look effects images up by their low-resolution names.
    for (const char* name : {"sprites/effects/fadeblank.ppm", "sprites/effects/fadeblank_l.ppm"})
      ASSERT_TRUE(vnWRITE_PPMFile(dir.file(name), black));
    // A display of the kernel's own over the same driver block, so the render pass walks it.
    shown = SPW_CreateDisplay(0, 640, 480, SPPD_VPGet, SPPD_VPSet, &ref);
    ASSERT_NE(shown, nullptr);
    vnMAIN_SetDisplay(shown);
    ASSERT_EQ(vnFADE_Register(), 1);
    controller = SGE_CreateTask(VNTT_FADE, nullptr, nullptr, 0, 0);
    ASSERT_NE(controller, nullptr);
    ASSERT_GT(SGE_TaskData<VNFADE>(controller)->nTextureId, 0);
  }
  void TearDown() override {
    if (controller) SGE_Send(controller, SGM_TASK_DESTROY, 0, 0);
    vnMAIN_SetDisplay(nullptr);
    SPW_DestroyDisplay(shown);
    SGE_ShutdownKernel();
    ScreenTest::TearDown();
  }
  // One frame of the controller's timer, then the render pass over a white scene.
  void Render() {
    SGE_UpdateFrameTimers();
    Clear(kWhite);
    SPW_RenderDisplays();
    EndFrame();
  }
  void NextFrame() { ASSERT_EQ(SPPD_BeginScene(&display), SPPD_OK); }
  // The same colour at the four corners and the centre.
  ::testing::AssertionResult Covers(uint32_t colour) {
    for (auto [x, y] : {std::pair{0, 0}, {639, 0}, {0, 479}, {639, 479}, {320, 240}})
      if (auto r = drawtest::Near(Pixel(x, y), colour); !r) return r << " at " << x << "," << y;
    return ::testing::AssertionSuccess();
  }

  SPW_DISPLAY* shown = nullptr;
  SGE_TASK* controller = nullptr;
};

TEST_F(FadeDrawing, TheQuadCoversTheDisplayWithAlphaOfOneMinusTheLevel) {
  struct Case {
    float level;
    uint32_t seen;  // white under black at alpha (1 - level) x 255, truncated
  };
  const Case cases[] = {{1.0f, kWhite}, {0.75f, 0xFFC0C0C0}, {0.25f, 0xFF404040},
                        {0.0f, 0xFF000000}};
  for (const Case& c : cases) {
    vnFADE_To(nullptr, 0, 0, c.level, 0.0f);
    Render();
    EXPECT_TRUE(Covers(c.seen)) << "level " << c.level;
    NextFrame();
  }
}

TEST_F(FadeDrawing, HoldKeepsDrawingAndModeZeroStopsAtOnce) {
  // The level starts at 0: fully covered.
  EXPECT_EQ(vnFADE_Start(nullptr, 0, 0, VN_FADE_HOLD, nullptr), VN_FADE_NONE);
  for (int i = 0; i < 3; ++i) {
    Render();
    EXPECT_TRUE(Covers(0xFF000000)) << "held, frame " << i;
    NextFrame();
  }
  vnFADE_Clear();
  Clear(kWhite);
  SPW_RenderDisplays();  // no timer tick: the clear alone stops the drawing
  EndFrame();
  EXPECT_TRUE(Covers(kWhite)) << "cleared";
}

}  // namespace
}  // namespace screentest
