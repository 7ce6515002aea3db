// The root task: alternation between front end and mission controller through the loading
// screen, quitting, fonts. Stand-in task types record what the root task does to them.
#include <gtest/gtest.h>

#include <vector>

#include "engine/kernel/kernel.h"
#include "engine/kernel/program.h"
#include "shell/app.h"
#include "shell/fade/fade.h"
#include "shell/roottask.h"
#include "shell/state.h"
#include "tests/support/support.h"

namespace {

struct Event {
  int32_t type;
  int32_t msg;
  SGE_PARAM p1, p2;
};
std::vector<Event> g_events;
int g_flushes = 0;  // SGM_VRAM_FLUSH deliveries to demo-screen stand-ins (the bystanders)

SGE_RESULT StandIn(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  if (msg == SGM_VRAM_FLUSH && task->nTypeId == VNTT_FE_DEMO) ++g_flushes;
  if (msg != SGM_TASK_DESTROY && msg != SGM_VRAM_FLUSH) g_events.push_back({task->nTypeId, msg, p1, p2});
  return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
}

const Event* Find(int32_t type, int32_t msg) {
  for (const Event& e : g_events)
    if (e.type == type && e.msg == msg) return &e;
  return nullptr;
}

SGE_TASK* ChildOfType(int32_t type) {
  SGE_TASK* root = vnROOT_GetTask();
  for (SGE_TASK* r : SGE_ListRecords<SGE_TASK>(&root->children))
    if (r->nTypeId == type) return r;
  return nullptr;
}

class RootTask : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SPW_InitEngine(), 1);
    for (int32_t type : {VNTT_MISSCONT, VNTT_FE_ROOT, VNTT_LOADSCREEN, VNTT_FE_DEMO}) {
      SGE_TASKTYPE t{};
      t.nTypeId = type;
      t.pHandler = StandIn;
      t.fFlags = SGE_TTF_ALLOC_DATA | SGE_TTF_ZERO_DATA;
      t.nInstanceSize = 16;
      ASSERT_EQ(SGE_RegisterTaskType(t), 1);
    }
    ASSERT_EQ(vnROOT_Create(), 1);
    g_events.clear();
    g_flushes = 0;
  }
  void TearDown() override {
    vnROOT_Destroy();
    SPW_ShutdownEngine();
  }
  // Ends a mission controller whose own record holds the result, as a controller does.
  int32_t* EndMission(int32_t result) {
    SGE_TASK* mission = SGE_CreateTask(VNTT_MISSCONT, vnROOT_GetTask(), nullptr, 0, 0);
    int32_t* stored = SGE_TaskData<int32_t>(mission);
    *stored = result;
    SGE_Send(mission, SGM_TASK_DESTROY, SGE_PtrParam(stored), 0);
    return stored;
  }
};

TEST_F(RootTask, MissionResultIsCopiedWhenTheControllerEnds) {
  int32_t* gone = EndMission(1);
  const Event* created = Find(VNTT_LOADSCREEN, SGM_TASK_CREATE);
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(created->p1, VNTT_MISSCONT);
  EXPECT_NE(created->p2, SGE_PtrParam(gone));
  // The controller's freed record is reused by then; the switch still sees "won".
  *gone = 0;
  SGE_Send(vnROOT_GetTask(), SGM_ROOT_SWITCH_TASK, VNTT_MISSCONT, created->p2);
  const Event* frontEnd = Find(VNTT_FE_ROOT, SGM_TASK_CREATE);
  ASSERT_NE(frontEnd, nullptr);
  EXPECT_EQ(frontEnd->p1, 1);
  EXPECT_NE(Find(VNTT_LOADSCREEN, SGM_ROOT_SWITCH_DONE), nullptr);
}

TEST_F(RootTask, LostMissionsPickTheLoadingPicture) {
  struct Case {
    int32_t result;
    SGE_PARAM picture;  // 0: no picture message
  } cases[] = {{3, 1}, {2, 2}, {0, 0}};
  for (const Case& c : cases) {
    g_events.clear();
    EndMission(c.result);
    const Event* picture = Find(VNTT_LOADSCREEN, 4378);
    if (c.picture) {
      ASSERT_NE(picture, nullptr) << c.result;
      EXPECT_EQ(picture->p1, c.picture);
    } else {
      EXPECT_EQ(picture, nullptr) << c.result;
    }
    SGE_Send(vnROOT_GetTask(), SGM_ROOT_SWITCH_TASK, VNTT_MISSCONT,
             Find(VNTT_LOADSCREEN, SGM_TASK_CREATE)->p2);
    const Event* frontEnd = Find(VNTT_FE_ROOT, SGM_TASK_CREATE);
    ASSERT_NE(frontEnd, nullptr);
    EXPECT_EQ(frontEnd->p1, 0);
  }
}

// What the transition controller was last asked for.
struct FadeAsked {
  SGE_TASK* requester;
  float target;
  float seconds;
};
FadeAsked LastFade() {
  SGE_TASK* controller = vnFADE_GetController();
  if (!controller) return {nullptr, -1.0f, -1.0f};
  const VNFADE* fade = SGE_TaskData<VNFADE>(controller);
  return {fade->request.pRequester, fade->fTarget, fade->fDuration};
}

TEST_F(RootTask, CreatesTheTransitionControllerAsItsChild) {
  SGE_TASK* controller = vnFADE_GetController();
  ASSERT_NE(controller, nullptr);
  EXPECT_EQ(controller, ChildOfType(VNTT_FADE));
}

TEST_F(RootTask, EndedMissionsFadeWithTheLoadingScreenAsRequester) {
  struct Case {
    int32_t result;
    float seconds;
  } cases[] = {{3, 4.0f}, {2, 4.0f}, {0, 0.4f}, {1, 0.4f}};
  for (const Case& c : cases) {
    EndMission(c.result);
    FadeAsked fade = LastFade();
    EXPECT_EQ(fade.requester, vnROOT_GetCurrentTask()) << c.result;
    EXPECT_FLOAT_EQ(fade.target, 1.0f) << c.result;
    EXPECT_FLOAT_EQ(fade.seconds, c.seconds) << c.result;
  }
}

TEST_F(RootTask, FinishedSwitchesFadeInWithNoRequester) {
  for (int32_t ended : {VNTT_MISSCONT, VNTT_FE_DEMO, VNTT_FE_ROOT}) {
    vnFADE_Clear();
    SGE_Send(vnROOT_GetTask(), SGM_ROOT_SWITCH_DONE, ended, 0);
    FadeAsked fade = LastFade();
    EXPECT_EQ(fade.requester, nullptr) << ended;
    EXPECT_FLOAT_EQ(fade.target, 1.0f) << ended;
    EXPECT_FLOAT_EQ(fade.seconds, 0.4f) << ended;
  }
}

TEST_F(RootTask, OtherResultsGetProgressOneOfOneAndACaption) {
  EndMission(0);
  const Event* total = Find(VNTT_LOADSCREEN, 4375);
  const Event* progress = Find(VNTT_LOADSCREEN, 4376);
  const Event* caption = Find(VNTT_LOADSCREEN, 4373);
  ASSERT_TRUE(total && progress && caption);
  EXPECT_EQ(total->p1, 1);
  EXPECT_EQ(progress->p1, 1);
  EXPECT_NE(caption->p1, 0);
  EXPECT_EQ(caption->p2, -1);

  g_events.clear();
  EndMission(3);
  EXPECT_EQ(Find(VNTT_LOADSCREEN, 4375), nullptr);
  EXPECT_EQ(Find(VNTT_LOADSCREEN, 4373), nullptr);
}

TEST_F(RootTask, ModeChangesFlushTheWholeTreeAndResultFourStartsTheNextMission) {
  // A bystander with a child of its own: the flush reaches every task of the tree.
  SGE_TASK* bystander = SGE_CreateTask(VNTT_FE_DEMO, vnROOT_GetTask(), nullptr, 0, 0);
  ASSERT_NE(SGE_CreateTask(VNTT_FE_DEMO, bystander, nullptr, 0, 0), nullptr);
  vntest::TraceCapture trace;
  EndMission(4);
  // Once for the front-end mode, once for the player's mode, to each of the two.
  EXPECT_EQ(g_flushes, 4);
  EXPECT_TRUE(trace.contains("Unable to reinitialise the driver!"));  // no driver here
  const Event* screen = Find(VNTT_LOADSCREEN, SGM_TASK_CREATE);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(screen->p1, VNTT_FE_ROOT);
  EXPECT_EQ(screen->p2, 0);
  EXPECT_EQ(Find(VNTT_LOADSCREEN, 4378), nullptr);
  EXPECT_EQ(vnROOT_GetCurrentTask(), ChildOfType(VNTT_LOADSCREEN));
}

TEST_F(RootTask, SwitchDoneAfterTheFrontEndResumesTheMission) {
  SGE_TASK* frontEnd = SGE_CreateTask(VNTT_FE_ROOT, vnROOT_GetTask(), nullptr, 4, 0);
  SGE_Send(frontEnd, SGM_TASK_DESTROY, 1, 0);
  SGE_Send(vnROOT_GetTask(), SGM_ROOT_SWITCH_TASK, VNTT_FE_ROOT, 0);
  SGE_TASK* mission = ChildOfType(VNTT_MISSCONT);
  ASSERT_NE(mission, nullptr);
  SGE_SuspendTaskTree(mission);
  ASSERT_NE(mission->dwSuspend, 0u);
  SGE_Send(vnROOT_GetTask(), SGM_ROOT_SWITCH_DONE, VNTT_FE_ROOT, 0);
  EXPECT_EQ(mission->dwSuspend, 0u);
}

TEST_F(RootTask, FrontEndStartingAMissionGoesThroughTheLoadingScreen) {
  vnMAIN_SetPaused(1);
  SGE_TASK* frontEnd = SGE_CreateTask(VNTT_FE_ROOT, vnROOT_GetTask(), nullptr, 4, 0);
  SGE_Send(frontEnd, SGM_TASK_DESTROY, 1, 0);
  const Event* screen = Find(VNTT_LOADSCREEN, SGM_TASK_CREATE);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(screen->p1, VNTT_FE_ROOT);
  EXPECT_EQ(vnROOT_GetCurrentTask(), ChildOfType(VNTT_LOADSCREEN));

  SGE_Send(vnROOT_GetTask(), SGM_ROOT_SWITCH_TASK, VNTT_FE_ROOT, 0);
  EXPECT_NE(ChildOfType(VNTT_MISSCONT), nullptr);
  SGE_Send(vnROOT_GetTask(), SGM_ROOT_SWITCH_DONE, VNTT_FE_ROOT, 0);
  EXPECT_EQ(vnROOT_GetCurrentTask(), nullptr);
  EXPECT_EQ(vnMAIN_IsPaused(), 0);
}

TEST_F(RootTask, FrontEndQuittingOrQuitMessageEndsTheProgram) {
  for (bool viaFrontEnd : {true, false}) {
    SCOPED_TRACE(viaFrontEnd ? "front end code 0" : "SGM_ROOT_QUIT");
    if (!vnROOT_GetTask()) {
      ASSERT_EQ(vnROOT_Create(), 1);
    }
    SGE_ClearQuit();
    if (viaFrontEnd) {
      SGE_TASK* frontEnd = SGE_CreateTask(VNTT_FE_ROOT, vnROOT_GetTask(), nullptr, 4, 0);
      SGE_Send(frontEnd, SGM_TASK_DESTROY, 0, 0);
    } else {
      SGE_Send(vnROOT_GetTask(), SGM_ROOT_QUIT, 0, 0);
    }
    EXPECT_EQ(SGE_QuitRequested(), 0);  // posted, not yet delivered
    SGE_DispatchMessages();
    EXPECT_EQ(SGE_QuitRequested(), 1);
    EXPECT_EQ(vnROOT_GetTask(), nullptr);
  }
}

TEST_F(RootTask, FontIndexOutsideTheTableGivesNone) {
  vntest::TraceCapture trace;
  for (int32_t index : {-1, 11, 1000}) {
    EXPECT_EQ(vnMAIN_GetFont(index), nullptr);
  }
  EXPECT_TRUE(trace.contains("[11] is not a valid font!"));
  EXPECT_TRUE(trace.contains("[-1] is not a valid font!"));
}

}  // namespace
