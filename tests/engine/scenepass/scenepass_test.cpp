// The scene passes: time scale, frame animation with its breakpoints, motion, placement,
// procedures and events, in scene order.
#include "engine/scenepass/scenepass.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/kernel/frametime.h"
#include "tests/engine/scenepass/scene_fixture.h"
#include "tests/support/support.h"
#include "tools/models/models.h"
#include "tools/writers/pow_writer.h"

namespace scenetest {
namespace {

TEST_F(SceneTest, TimeScaleFollowsTheFrameUpToTenAndIgnoresAZeroFrame) {
  struct Case {
    uint32_t ms;
    float scale;
  } cases[] = {{30, 0.9999f}, {400, 10.0f}, {0, 10.0f}, {100, 3.333f}, {0, 3.333f}, {1, 0.03333f}};
  for (const Case& c : cases) {
    SPW_SetTimeScale(c.ms);
    EXPECT_FLOAT_EQ(SPW_TimeScale, c.scale) << c.ms << " ms";
  }
  SPW_InitScenePasses();
  EXPECT_EQ(SPW_TimeScale, 1.0f);
}

TEST_F(SceneTest, ALoopingAnimationWrapsAndFiresTheBreakpointsItPassed) {
  SPW_SCENE* scene = Scene();
  SPW_ANIMOBJECT* o = Object(scene, 29.5f);
  Breakpoints(o, {0.2f, 10.0f, 29.7f}, 2);
  SPW_AnimatePass();
  EXPECT_FLOAT_EQ(o->fFrame, 0.5f);
  SPW_EventPass();
  EXPECT_EQ(Fired(), (std::vector<uint32_t>{2, 0}));
  EXPECT_TRUE(SGE_ListIsEmpty(&scene->events));

  // The walk goes on from the first breakpoint that did not fire.
  Fired().clear();
  o->fSpeed = 10.0f;
  SPW_AnimatePass();
  SPW_EventPass();
  EXPECT_FLOAT_EQ(o->fFrame, 10.5f);
  EXPECT_EQ(Fired(), (std::vector<uint32_t>{1}));
}

TEST_F(SceneTest, APlayOnceAnimationStopsOnItsLengthAndFiresNothingBeyond) {
  SPW_SCENE* scene = Scene();
  SPW_ANIMOBJECT* o = Object(scene, 29.5f);
  o->fFlags = SPW_AOBJ_ONCE;
  Breakpoints(o, {29.7f, 31.0f}, 0);
  for (int frame = 0; frame < 3; ++frame) {
    SPW_AnimatePass();
    SPW_EventPass();
  }
  EXPECT_EQ(o->fFrame, 30.0f);
  EXPECT_EQ(Fired(), (std::vector<uint32_t>{0}));
}

TEST_F(SceneTest, FrameStepsFollowFlagsSpeedAndScene) {
  struct Case {
    std::string name;
    uint32_t objectFlags, sceneFlags;
    float sceneSpeed, timeScale, frame, want, childWant;
  } cases[] = {
      {"plain", 0, 0, 1.0f, 1.0f, 3.0f, 4.0f, 4.0f},
      {"scene speed and time scale", 0, 0, 0.5f, 3.0f, 3.0f, 4.5f, 4.5f},
      {"paused, not the child", SPW_AOBJ_PAUSED, 0, 1.0f, 1.0f, 3.0f, 3.0f, 4.0f},
      {"no frame animation, nor the child", SPW_AOBJ_NO_FRAMES, 0, 1.0f, 1.0f, 3.0f, 3.0f, 3.0f},
      {"frame locked still steps", SPW_AOBJ_FRAME_LOCKED, 0, 1.0f, 1.0f, 3.0f, 4.0f, 4.0f},
      {"scene frozen", 0, SPW_SCENE_FROZEN, 1.0f, 1.0f, 3.0f, 3.0f, 3.0f},
      {"scene animation stopped", 0, SPW_SCENE_NO_ANIMATION, 1.0f, 1.0f, 3.0f, 3.0f, 3.0f},
      {"scene motion stopped", 0, SPW_SCENE_NO_MOTION, 1.0f, 1.0f, 3.0f, 4.0f, 4.0f},
  };
  for (const Case& c : cases) {
    SGE_ListInit(&SPW_SceneList);
    SPW_SCENE* scene = Scene(0, c.sceneSpeed, c.sceneFlags);
    SPW_ANIMOBJECT* o = Object(scene, c.frame);
    SPW_ANIMOBJECT* child = Object(scene, c.frame, 1.0f, o);
    o->fFlags = c.objectFlags;
    SPW_TimeScale = c.timeScale;
    SPW_AnimatePass();
    EXPECT_FLOAT_EQ(o->fFrame, c.want) << c.name;
    EXPECT_FLOAT_EQ(child->fFrame, c.childWant) << c.name << ": the child";
    EXPECT_EQ(o->fFlags, c.objectFlags) << c.name;
  }
}

TEST_F(SceneTest, ALoopingAnimationWithoutFramesKeepsItsFrame) {
  anim_.dwLength = 100;  // less than one frame
  SPW_ANIMOBJECT* o = Object(Scene(), 0.0f, 2.0f);
  SPW_AnimatePass();
  EXPECT_EQ(o->fFrame, 0.0f);
}

TEST_F(SceneTest, SetObjectTimeTakesOnlyANewTimeInsideTheAnimation) {
  SPW_ANIMOBJECT* o = Object(Scene(), 4.0f);
  struct Case {
    float time;
    uint32_t flags;
    int32_t result;
    float frame;
  } cases[] = {{5.0f, 0, 1, 5.0f},  {5.0f, 0, 0, 5.0f},  {-1.0f, 0, 0, 5.0f},
               {30.0f, 0, 0, 5.0f}, {29.9f, 0, 1, 29.9f}, {2.0f, SPW_AOBJ_FRAME_LOCKED, 0, 29.9f}};
  for (const Case& c : cases) {
    o->fFlags = c.flags;
    EXPECT_EQ(SPW_SetObjectTime(o, c.time), c.result) << c.time;
    EXPECT_FLOAT_EQ(o->fFrame, c.frame) << c.time;
  }
  EXPECT_EQ(SPW_SetObjectTime(nullptr, 1.0f), 0);
}

TEST_F(SceneTest, MotionCapsSpeedsWrapsAnglesAndKeepsInsideTheBox) {
  SPW_SCENE* scene = Scene();
  SPW_ANIMOBJECT* o = Object(scene);
  o->fMotion = SPW_MOTION_CAP_XYZ;
  o->fMaxSpeed = 5.0f;
  o->vVelocity = {6.0f, 8.0f, 0.0f};
  o->vAccel = {0.0f, 0.0f, 1.0f};
  o->vConstAccel = {0.0f, 0.0f, -1.0f};
  o->vAngles = {7.0f, -7.0f, 0.0f};
  SPW_UpdatePass();
  EXPECT_FLOAT_EQ(o->vVelocity.x, 3.0f);
  EXPECT_FLOAT_EQ(o->vVelocity.y, 4.0f);
  EXPECT_FLOAT_EQ(o->vVelocity.z, 0.0f);
  EXPECT_EQ(o->vAccel.z, 0.0f);
  EXPECT_FLOAT_EQ(o->vPos.x, 3.0f);
  EXPECT_FLOAT_EQ(o->vPos.y, 4.0f);
  EXPECT_NEAR(o->vAngles.x, 0.7168145f, 1e-5f);
  EXPECT_NEAR(o->vAngles.y, -0.7168145f, 1e-5f);

  SPW_ANIMOBJECT* boxed = Object(scene);
  boxed->fFlags = SPW_AOBJ_NO_CONST_ACCEL;
  boxed->fMotion = SPW_MOTION_IN_BOX | SPW_MOTION_CAP_Z | SPW_MOTION_CAP_ANGLE_Z;
  boxed->fMaxVertSpeed = 2.0f;
  boxed->vMaxAngSpeed = {0.0f, 0.0f, 0.5f};
  boxed->vAngAccel = {0.0f, 0.0f, 1.0f};
  boxed->vConstAccel = {100.0f, 0.0f, 0.0f};
  boxed->vVelocity = {0.0f, -3.0f, 9.0f};
  boxed->vBoxMin = {-1.0f, -1.0f, -1.0f};
  boxed->vBoxMax = {1.0f, 1.0f, 1.0f};
  SPW_UpdatePass();
  EXPECT_EQ(boxed->vVelocity.x, 0.0f) << "no constant acceleration";
  EXPECT_EQ(boxed->vVelocity.z, 2.0f);
  EXPECT_EQ(boxed->vAngVelocity.z, 0.5f);
  EXPECT_EQ(boxed->vAngAccel.z, 0.0f);
  EXPECT_EQ(boxed->vPos.y, -1.0f);
  EXPECT_EQ(boxed->vPos.z, 1.0f);
}

TEST_F(SceneTest, SeekingStopsOnTheTargetWhenTheNextStepWouldPassIt) {
  SPW_SCENE* scene = Scene();
  SPW_ANIMOBJECT* o = Object(scene);
  o->fFlags = SPW_AOBJ_NO_FRAMES;
  o->fMotion = SPW_MOTION_SEEK_POSITION | SPW_MOTION_SEEK_ANGLE;
  o->vVelocity = {2.0f, 2.0f, 0.0f};
  o->fTargetX = 3.0f;
  o->fTargetY = 3.0f;
  o->vAngVelocity = {0.0f, 0.0f, 1.0f};
  o->vAngles = {0.0f, 0.0f, 3.0f};
  o->fTargetAngle = -3.0f;  // 0.28 away across the half turn
  SPW_UpdatePass();
  EXPECT_EQ(o->vPos.x, 2.0f);
  EXPECT_EQ(o->fMotion & SPW_MOTION_SEEK_POSITION, SPW_MOTION_SEEK_POSITION);
  EXPECT_EQ(o->vAngles.z, -3.0f);
  EXPECT_EQ(o->vAngVelocity.z, 0.0f);
  EXPECT_EQ(o->fMotion & SPW_MOTION_SEEK_ANGLE, 0u);
  SPW_UpdatePass();
  EXPECT_EQ(o->vPos.x, 3.0f);
  EXPECT_EQ(o->vPos.y, 3.0f);
  EXPECT_EQ(o->vVelocity.x, 0.0f);
  EXPECT_EQ(o->fMotion & SPW_MOTION_SEEK_POSITION, 0u);
}

TEST_F(SceneTest, PlacementPutsLightsFirstOthersLastAndChildrenUnderTheirParent) {
  SPW_SCENE* scene = Scene();
  SPW_ANIMOBJECT* a = Object(scene);
  SPW_ANIMOBJECT* b = Object(scene);
  SPW_ANIMOBJECT* light = Object(scene);
  light->nClass = SPW_DLIGHT_TYPE;
  a->bNeedsPlacement = 1;
  light->bNeedsPlacement = 1;
  a->vPos = {1.0f, 2.0f, 3.0f};
  a->vAngles = {0.0f, 0.0f, SPW_PI / 2};
  SPW_ANIMOBJECT* child = Object(scene, 0.0f, 1.0f, a);
  child->vPos = {1.0f, 0.0f, 0.0f};
  child->bNeedsPlacement = 1;
  SPW_AnimatePass();
  std::vector<SPW_ANIMOBJECT*> order;
  for (SPW_ANIMOBJECT* r : SGE_ListRecords<SPW_ANIMOBJECT>(&scene->objects))
    order.push_back(r);
  EXPECT_EQ(order, (std::vector<SPW_ANIMOBJECT*>{light, b, a}));
  EXPECT_EQ(a->vWorldPos.x, 1.0f);
  // A quarter turn about z takes the child's (1, 0, 0) to (0, 1, 0) from the parent.
  EXPECT_NEAR(child->vWorldPos.x, 1.0f, 1e-5f);
  EXPECT_NEAR(child->vWorldPos.y, 3.0f, 1e-5f);
  EXPECT_NEAR(child->vWorldPos.z, 3.0f, 1e-5f);
  EXPECT_EQ(a->bNeedsPlacement, 0);
  EXPECT_EQ(a->fFrame, 1.0f) << "animated once though it moved to the tail";
}

// A procedure whose member function frees the last member each pass, recording what ran.
std::vector<std::string> g_log;
SPW_PROCEDURE* Procedure(SPW_SCENE* scene, int members, const char* name) {
  auto* p = static_cast<SPW_PROCEDURE*>(SGE_MemCalloc(SPW_ObjsMem, sizeof(SPW_PROCEDURE)));
  SGE_ListInit(&p->members);
  for (int i = 0; i < members; ++i)
    SGE_ListAddTail(&p->members, static_cast<SGE_DLLNODE*>(SGE_MemCalloc(SPW_ObjsMem, 16)));
  p->pData = SGE_CreateDataRef(const_cast<char*>(name), 0);
  p->pfnFrame = [](SPW_PROCEDURE* p) { g_log.push_back(static_cast<char*>(p->pData->pData)); };
  p->pfnMember = [](SPW_PROCEDURE* p, SGE_DLLNODE* m) {
    g_log.push_back("member");
    if (m == SGE_ListLast(&p->members)) SGE_ListRemove(m);
  };
  p->pfnAfterMembers = [](SPW_PROCEDURE*) { g_log.push_back("after"); };
  p->pfnDestroy = [](SPW_PROCEDURE* p) {
    g_log.push_back(std::string("destroy ") + static_cast<char*>(p->pData->pData));
    p->pData->pData = nullptr;  // not ours to free
  };
  SGE_ListAddTail(&scene->procedures, &p->link);
  return p;
}

TEST_F(SceneTest, AProcedureRunsEachPassUntilItsMembersAreGone) {
  g_log.clear();
  SPW_SCENE* late = Scene(20);
  SPW_SCENE* early = Scene(10);
  Procedure(late, 2, "late");
  Procedure(early, 1, "early");
  SPW_ProcedurePass();
  EXPECT_EQ(g_log, (std::vector<std::string>{"early", "member", "destroy early", "late", "member",
                                             "member", "after"}));
  EXPECT_TRUE(SGE_ListIsEmpty(&early->procedures));
  g_log.clear();
  SPW_ProcedurePass();
  EXPECT_EQ(g_log, (std::vector<std::string>{"late", "member", "destroy late"}));
  EXPECT_TRUE(SGE_ListIsEmpty(&late->procedures));

  Procedure(late, 3, "a");
  Procedure(late, 1, "b");
  EXPECT_EQ(SPW_DestroyAllProcedures(late), 1);
  EXPECT_TRUE(SGE_ListIsEmpty(&late->procedures));
  EXPECT_EQ(SPW_DestroyProcedure(nullptr), 0);
}

SPW_SCENE* g_scene = nullptr;
void Chain(void*, uint32_t* v) {
  g_log.push_back("event " + std::to_string(v[0]) + "," + std::to_string(v[1]));
  if (v[0] > 0) {
    auto* e = static_cast<SPW_BREAKPOINT*>(SGE_MemCalloc(SPW_BrkPtsMem, sizeof(SPW_BREAKPOINT)));
    e->pfnCallback = Chain;
    e->adwUser[0] = v[0] - 1;
    e->adwUser[1] = v[1];
    SGE_ListAddTail(&g_scene->events, &e->link);
  }
}

TEST_F(SceneTest, EventsAddedByACallbackAreDeliveredInTheSamePass) {
  g_log.clear();
  g_scene = Scene();
  auto* e = static_cast<SPW_BREAKPOINT*>(SGE_MemCalloc(SPW_BrkPtsMem, sizeof(SPW_BREAKPOINT)));
  e->pfnCallback = Chain;
  e->adwUser[0] = 2;
  e->adwUser[1] = 7;
  SGE_ListAddTail(&g_scene->events, &e->link);
  auto* silent = static_cast<SPW_BREAKPOINT*>(SGE_MemCalloc(SPW_BrkPtsMem, sizeof(SPW_BREAKPOINT)));
  SGE_ListAddTail(&g_scene->events, &silent->link);
  SGE_MEMSTATS before{}, after{};
  SGE_GetMemBlockStats(&before, SPW_BrkPtsMem);
  SPW_EventPass();
  SGE_GetMemBlockStats(&after, SPW_BrkPtsMem);
  EXPECT_EQ(g_log, (std::vector<std::string>{"event 2,7", "event 1,7", "event 0,7"}));
  EXPECT_TRUE(SGE_ListIsEmpty(&g_scene->events));
  EXPECT_EQ(after.dwUsedChunks, before.dwUsedChunks - 2);
}

TEST_F(SceneTest, DestroyingAnObjectTakesItsChildrenAndPendingEventsAndTellsItsOwner) {
  static std::vector<SGE_PARAM> told;
  told.clear();
  SGE_TASKTYPE type{};
  type.nTypeId = 1;
  type.pHandler = [](SGE_TASK* t, SGE_DATAREF* d, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
    if (msg == SGM_SPW_ANIMOBJECT_DESTROYED) told.push_back(p1);
    return SGE_DefaultTaskHandler(t, d, msg, p1, p2);
  };
  std::snprintf(type.szName, sizeof type.szName, "owner");
  ASSERT_EQ(SGE_RegisterTaskType(type), 1);
  SGE_TASK* owner = SGE_CreateTask(1, nullptr, nullptr, 0, 0);
  ASSERT_NE(owner, nullptr);

  SPW_SCENE* scene = Scene();
  SPW_ANIMOBJECT* keep = Object(scene, 29.5f);
  SPW_ANIMOBJECT* o = Object(scene, 29.5f);
  Object(scene, 29.5f, 1.0f, o);
  Breakpoints(keep, {29.7f}, 0);
  Breakpoints(o, {29.7f}, 0);
  o->pOwner = owner;
  SPW_AnimatePass();
  ASSERT_EQ(SGE_ListCount(&scene->events), 2);
  EXPECT_EQ(SPW_SceneHooks.pfnDestroyAnimObject(o), 1);
  EXPECT_EQ(told, (std::vector<SGE_PARAM>{SGE_PtrParam(o)}));
  EXPECT_EQ(SGE_ListCount(&scene->objects), 1);
  SPW_EventPass();
  EXPECT_EQ(Fired(), (std::vector<uint32_t>{0})) << "only the kept object's event";
  EXPECT_EQ(SPW_DestroyAnimObject(nullptr), 0);
}

}  // namespace
}  // namespace scenetest

namespace scenetest {
namespace {

// The animate pass hands every dynamic object and its children to the animation step.
TEST_F(SceneTest, TheAnimatePassAdvancesDynamicObjectsAndTheirChildren) {
  vntest::TempDir dir;
  vntest::ScopedWorkingDir cwd{dir.path()};
  ASSERT_TRUE(vnWRITE_POW("Figure.pow", vnMODELS_Figure()));
  int32_t figure = -1;
  ASSERT_EQ(SPW_LoadObjectFile("Figure.pow", nullptr, &figure, 1.0f, 0), 1);
  const SPW_TRANSFORM at{{0, 0, 0}, {0, 0, 0, 1}, 1};
  SPW_SCENE* moving = Scene(1);
  SPW_SCENE* frozen = Scene(2, 1.0f, SPW_SCENE_FROZEN);
  SPW_DOBJECT* parent = SPW_CreateDynamicObject(moving, figure, nullptr, 0, &at, 0);
  SPW_DOBJECT* child = SPW_CreateDynamicObject(moving, figure, parent, 0, &at, 0);
  SPW_DOBJECT* still = SPW_CreateDynamicObject(frozen, figure, nullptr, 0, &at, 0);
  ASSERT_TRUE(parent && child && still);
  SPW_AnimatePass();
  const float step = SGE_GetFrameTime() * 4800.0f;
  EXPECT_FLOAT_EQ(parent->pSlots[0].fTime, step);
  EXPECT_FLOAT_EQ(child->pSlots[0].fTime, step);
  EXPECT_EQ(still->pSlots[0].fTime, 0.0f);
  for (SPW_SCENE* s : {moving, frozen}) EXPECT_EQ(SPW_DestroyScene(s), 1);
}

}  // namespace
}  // namespace scenetest
