// Fly-bys in the headless world: where the planes enter, how long a pass lasts, their shadows
// and smoke, the DS10's thrusters, and the end the mission script hears of.
#include "world/flyby/flyby.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "effects/trailhead.h"
#include "engine/dobject/dobject.h"
#include "engine/scene/scene.h"
#include "engine/tess/tess.h"
#include "missions/control/misscont.h"
#include "missions/control/missiontasks.h"
#include "missions/control/smoketrail.h"
#include "platform/files.h"
#include "platform/random.h"
#include "tests/world/dome/effectview.h"
#include "tests/world/support/testworld.h"
#include "tools/models/shields.h"
#include "world/shadow/shadow.h"

namespace {

using effectview::Drawn;

constexpr float kFrame = 0.25f;
constexpr int32_t kScriptType = 400;  // recorders of the mission script and the trail task
constexpr int32_t kTrailType = 401;
const SPW_VECTOR kReference = {60.0f, 70.0f, 5.0f};

struct Message {
  SGE_TASK* task;
  int32_t msg;
  SGE_PARAM p1, p2;
};
std::vector<Message> g_messages;

SGE_RESULT Recorder(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  g_messages.push_back({task, msg, p1, p2});
  if (msg == SGM_SMOKETRAIL_START) return 1;
  return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
}

std::vector<Message> MessagesTo(SGE_TASK* task, int32_t msg) {
  std::vector<Message> out;
  for (const Message& m : g_messages)
    if (m.task == task && m.msg == msg) out.push_back(m);
  return out;
}

bool Near(const SPW_VECTOR& a, const SPW_VECTOR& b, float tolerance = 1e-3f) {
  return std::fabs(a.x - b.x) < tolerance && std::fabs(a.y - b.y) < tolerance &&
         std::fabs(a.z - b.z) < tolerance;
}

class FlyByTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_messages.clear();
    ASSERT_TRUE(PLAT_MakeDirectory("Export") && PLAT_MakeDirectory("Export/Pows"));
    ASSERT_TRUE(vnWRITE_POW("Export/Pows/tacfighter.pow", vnMODELS_Fighter()));
    ASSERT_TRUE(vnWRITE_POW("Export/Pows/DS10.pow", vnMODELS_DS10()));
    ASSERT_TRUE(w.Start());
    ASSERT_TRUE(vnMISSCONT_GetTerrainBounds(&lo, &hi));
    ASSERT_EQ(vnUNITMAN_RegisterClass(VNFLYBY_CLASSROW), 1);
    ASSERT_EQ(SGE_RegisterTaskType(kScriptType, Recorder, 0, 0, "Script"), 1);
    ASSERT_EQ(SGE_RegisterTaskType(kTrailType, Recorder, 0, 0, "Trails"), 1);
    script = SGE_CreateTask(kScriptType, nullptr, nullptr, 0, 0);
    trails = SGE_CreateTask(kTrailType, nullptr, nullptr, 0, 0);
    vnMISSCONT_SetMissionTask(script);
    vnMISSCONT_SetSmokeTrailTask(trails);
    view.Start();
    effectview::SetFrameTime(kFrame);
    ASSERT_EQ(SPW_InitTessellations(w.scene(), SPW_ObjsMem), 1);
    const SPW_VECTOR light = {0.0f, 0.0f, 1.0f};
    vnShadow_Init(w.block(), w.scene(), view.display, &light, VNSHADOW_DEFAULT_LIGHT_HEIGHT,
                  VNSHADOW_DEFAULT_MIN_HEIGHT, VNSHADOW_DEFAULT_MAX_HEIGHT,
                  VNSHADOW_DEFAULT_INNER_RADIUS, VNSHADOW_DEFAULT_OUTER_RADIUS);
  }
  void TearDown() override {
    for (SGE_TASK* t : flybys)
      if (IsLive(t)) SGE_Send(t, SGM_TASK_DESTROY, 0, 0);
    vnShadow_Shutdown();
    SPW_ReleaseAllTessellations(w.scene());
    vnMISSCONT_SetMissionTask(nullptr);
    vnMISSCONT_SetSmokeTrailTask(nullptr);
    SGE_Send(script, SGM_TASK_DESTROY, 0, 0);
    SGE_Send(trails, SGM_TASK_DESTROY, 0, 0);
    w.Stop();
    view.Stop();
  }

  static bool IsLive(SGE_TASK* task) {
    for (SGE_TASK* r : SGE_ListRecords<SGE_TASK>(SGE_GetTaskList()))
      if (r == task) return true;
    return false;
  }

  SGE_TASK* Start(int32_t kind) {
    SGE_TASK* t = SGE_CreateTask(VNTT_FLYBY, nullptr, nullptr,
                                 SGE_PtrParam(&kReference), kind);
    if (t) flybys.push_back(t);
    return t;
  }
  static VNFLYBY* Of(SGE_TASK* t) { return SGE_TaskData<VNFLYBY>(t); }

  // The entry points of the four corners: 500 before the reference point on the way from the
  // corner, 30 above it.
  std::vector<SPW_VECTOR> Entries(float above) const {
    std::vector<SPW_VECTOR> out;
    for (const SPW_VECTOR& c : {SPW_VECTOR{lo.x, lo.y, 0}, SPW_VECTOR{hi.x, lo.y, 0},
                                SPW_VECTOR{lo.x, hi.y, 0}, SPW_VECTOR{hi.x, hi.y, 0}}) {
      SPW_VECTOR d = {kReference.x - c.x, kReference.y - c.y, 0};
      SPW_VecNormalise(&d);
      out.push_back({kReference.x - 500 * d.x, kReference.y - 500 * d.y, kReference.z + above});
    }
    return out;
  }

  // Frames until the mission script hears the pass end.
  int32_t FramesUntilDone(int32_t limit) {
    for (int32_t frame = 1; frame <= limit; ++frame) {
      w.RunFrames(1);
      if (!MessagesTo(script, SGM_VN_FLYBY_DONE).empty()) return frame;
    }
    return -1;
  }

  vnworld::TestWorld w;
  effectview::EffectView view;
  SPW_VECTOR lo{}, hi{};
  SGE_TASK* script = nullptr;
  SGE_TASK* trails = nullptr;
  std::vector<SGE_TASK*> flybys;
};

TEST_F(FlyByTest, FightersEnterFromATerrainCorner500BeforeThePointAnd30AboveIt) {
  for (uint32_t seed : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u}) {
    PLAT_SRand(seed);
    SGE_TASK* t = Start(VNFLYBY_FIGHTERS);
    ASSERT_NE(t, nullptr);
    const VNFLYBY* f = Of(t);
    ASSERT_GE(f->nPlanes, 1) << seed;
    ASSERT_LE(f->nPlanes, 3) << seed;
    EXPECT_FLOAT_EQ(f->fSpeed, 80.0f);
    const VNFLYBY_PLANE& lead = f->aPlanes[0];
    bool fromCorner = false;
    for (const SPW_VECTOR& e : Entries(30.0f)) fromCorner = fromCorner || Near(lead.vPos, e);
    EXPECT_TRUE(fromCorner) << seed;
    EXPECT_NEAR(std::hypot(lead.vVelocity.x, lead.vVelocity.y), 80.0f, 1e-3f) << seed;
    EXPECT_FLOAT_EQ(lead.vVelocity.z, 0.0f);
    // Heading for the point.
    const SPW_VECTOR ahead = {lead.vPos.x + 500.0f / 80.0f * lead.vVelocity.x,
                              lead.vPos.y + 500.0f / 80.0f * lead.vVelocity.y, lead.vPos.z};
    EXPECT_TRUE(Near(ahead, {kReference.x, kReference.y, kReference.z + 30.0f})) << seed;
    for (int32_t i = 0; i < f->nPlanes; ++i) {
      ASSERT_NE(f->aPlanes[i].pObject, nullptr) << seed;
      EXPECT_TRUE(Near(f->aPlanes[i].pObject->t.vPos, f->aPlanes[i].vPos)) << seed;
      EXPECT_NE(vnShadow_Find(f->aPlanes[i].pObject), nullptr) << seed;
    }
    SGE_Send(t, SGM_TASK_DESTROY, 0, 0);
  }
}

TEST_F(FlyByTest, WingPlanesFlyBesideAndBehindTheirOwnLineIn) {
  // A seed whose first draw gives three fighters.
  uint32_t seed = 1;
  for (;; ++seed) {
    PLAT_SRand(seed);
    if (PLAT_Rand() % 3 == 2) break;
  }
  PLAT_SRand(seed);
  const VNFLYBY* f = Of(Start(VNFLYBY_FIGHTERS));
  ASSERT_EQ(f->nPlanes, 3);
  for (int32_t i = 1; i < 3; ++i) {
    const VNFLYBY_PLANE& p = f->aPlanes[i];
    const SPW_VECTOR d = {p.vVelocity.x / 80.0f, p.vVelocity.y / 80.0f, 0.0f};
    const float side = i == 1 ? 10.0f : -10.0f;
    const SPW_VECTOR onLine = {p.vPos.x - side * d.y + 8 * d.x, p.vPos.y + side * d.x + 8 * d.y,
                               p.vPos.z};
    bool fromCorner = false;
    for (const SPW_VECTOR& e : Entries(30.0f)) fromCorner = fromCorner || Near(onLine, e);
    EXPECT_TRUE(fromCorner) << i;
  }
}

TEST_F(FlyByTest, APassLastsItsDistanceAtItsSpeedThenTellsTheScriptAndEnds) {
  struct Case {
    int32_t kind;
    float seconds;
  } cases[] = {{VNFLYBY_FIGHTERS, 15.0f}, {VNFLYBY_DS10, 20.0f}, {VNFLYBY_UNSEEN, 30.0f},
               {7, 30.0f}};
  for (const Case& c : cases) {
    g_messages.clear();
    SGE_TASK* t = Start(c.kind);
    ASSERT_NE(t, nullptr) << c.kind;
    EXPECT_FLOAT_EQ(Of(t)->fPassLength, c.seconds) << c.kind;
    std::vector<SPW_DOBJECT*> objects;
    for (const VNFLYBY_PLANE& p : Of(t)->aPlanes)
      if (p.pObject) objects.push_back(p.pObject);
    // Past the length, on the next frame: exactly the length is not yet over.
    const int32_t frames = static_cast<int32_t>(c.seconds / kFrame) + 1;
    EXPECT_EQ(FramesUntilDone(frames + 5), frames) << c.kind;
    const std::vector<Message> done = MessagesTo(script, SGM_VN_FLYBY_DONE);
    ASSERT_EQ(done.size(), 1u) << c.kind;
    EXPECT_EQ(done[0].p1, 0);
    EXPECT_EQ(done[0].p2, 0);
    EXPECT_FALSE(IsLive(t)) << c.kind;
    for (SPW_DOBJECT* o : objects) EXPECT_EQ(vnShadow_Find(o), nullptr) << c.kind;
    w.RunFrames(3);
    EXPECT_EQ(MessagesTo(script, SGM_VN_FLYBY_DONE).size(), 1u) << c.kind;
  }
}

TEST_F(FlyByTest, PlanesMoveWithTheirObjectsAndTurnTheirShadows) {
  PLAT_SRand(3);
  const VNFLYBY* f = Of(Start(VNFLYBY_DS10));
  ASSERT_EQ(f->nPlanes, 1);
  const VNFLYBY_PLANE& p = f->aPlanes[0];
  ASSERT_NE(p.pObject, nullptr);
  ASSERT_NE(p.pShadow, nullptr);
  EXPECT_EQ(p.pShadow->nTexture, 3);
  EXPECT_FLOAT_EQ(p.pShadow->fSize, 12.0f);
  EXPECT_EQ(p.pShadow->fFlags & 0x701u, 0x701u);
  const SPW_VECTOR start = p.vPos;
  w.RunFrames(4);
  const SPW_VECTOR moved = {start.x + p.vVelocity.x, start.y + p.vVelocity.y, start.z};
  EXPECT_TRUE(Near(p.vPos, moved));
  EXPECT_TRUE(Near(p.pObject->t.vPos, moved));
  EXPECT_EQ(vnShadow_Find(p.pObject), p.pShadow);
}

TEST_F(FlyByTest, FightersDragTwoTrailsInTheAmbientLightThatFollowTheirEngines) {
  PLAT_SRand(1);
  w.scene()->ambient = {80.0f, 20.0f, 200.0f, 255.0f};
  SGE_TASK* t = Start(VNFLYBY_FIGHTERS);
  const VNFLYBY* f = Of(t);
  const std::vector<Message> started = MessagesTo(trails, SGM_SMOKETRAIL_START);
  ASSERT_EQ(started.size(), static_cast<size_t>(2 * f->nPlanes));
  for (const Message& m : started) EXPECT_EQ(m.p2, VNSMOKETRAIL_FORM_HEADED);
  const VNFLYBY_PLANE& lead = f->aPlanes[0];
  const SPW_VECTOR d = {lead.vVelocity.x / 80.0f, lead.vVelocity.y / 80.0f, 0.0f};
  const VNSMOKETRAIL_HEADED* left = vnSmokeTrail_GetHeaded(f->apTrails[0][0]);
  const VNSMOKETRAIL_HEADED* right = vnSmokeTrail_GetHeaded(f->apTrails[0][1]);
  ASSERT_NE(left, nullptr);
  ASSERT_NE(right, nullptr);
  // (80 + 510) x 0.333 = 196, (20 + 510) x 0.333 = 176, (200 + 510) x 0.333 = 236.
  EXPECT_EQ(left->dwColourStart, 0xDCC4B0ECu);
  EXPECT_EQ(left->dwColourEnd, 0x00C4B0ECu);
  EXPECT_EQ(left->nStyle, 2);
  EXPECT_FLOAT_EQ(left->fLifeSecs, 4.0f);
  EXPECT_EQ(left->dwSeed, 49380u);
  const SPW_VECTOR leftEngine = {lead.vPos.x + 0.325f * d.y, lead.vPos.y - 0.325f * d.x,
                                 lead.vPos.z + 0.48f};
  const SPW_VECTOR rightEngine = {lead.vPos.x - 0.325f * d.y, lead.vPos.y + 0.325f * d.x,
                                  lead.vPos.z + 0.48f};
  EXPECT_TRUE(Near(left->vHead, leftEngine));
  EXPECT_TRUE(Near(right->vHead, rightEngine));
  EXPECT_TRUE(Near(left->vVelocity, {0.6f * lead.vVelocity.x, 0.6f * lead.vVelocity.y, 0.0f}));
  // The heads follow the engines from frame to frame.
  w.RunFrames(1);
  const SPW_VECTOR step = {kFrame * lead.vVelocity.x, kFrame * lead.vVelocity.y, 0.0f};
  EXPECT_TRUE(Near(left->vHead, {leftEngine.x + step.x, leftEngine.y + step.y, leftEngine.z}));
  w.RunFrames(3);
  EXPECT_TRUE(Near(right->vHead,
                   {rightEngine.x + 4 * step.x, rightEngine.y + 4 * step.y, rightEngine.z}));
}

TEST_F(FlyByTest, WithoutATrailTaskFightersFlyWithoutSmoke) {
  vnMISSCONT_SetSmokeTrailTask(nullptr);
  const VNFLYBY* f = Of(Start(VNFLYBY_FIGHTERS));
  EXPECT_EQ(f->apTrails[0][0], nullptr);
  EXPECT_EQ(FramesUntilDone(100), 61);
}

TEST_F(FlyByTest, AnUnknownKindFliesOnePlaneUnseenAtForty) {
  const VNFLYBY* f = Of(Start(9));
  EXPECT_EQ(f->nPlanes, 1);
  EXPECT_FLOAT_EQ(f->fSpeed, 40.0f);
  EXPECT_EQ(f->aPlanes[0].pObject, nullptr);
  EXPECT_EQ(f->nSoundChannel, -1);
}

TEST_F(FlyByTest, TheDS10DrawsAFlameBehindEachEngineAndAFlashWhileItFlickers) {
  effectview::SetFrameTime(0.04f);
  const VNFLYBY* f = Of(Start(VNFLYBY_DS10));
  ASSERT_NE(f->pThrusterNode, nullptr);
  const int32_t flame = view.TextureId("sprites/effects/thrusters2.ppm");
  const int32_t flash = view.TextureId("sprites/effects/fx_01.ppm");
  ASSERT_GT(flame, 0);
  ASSERT_GT(flash, 0);
  // The flicker counts 0.15 down by 0.04 a draw: the flash shows in its last 0.0375 and on the
  // draw that restarts it.
  for (size_t expected : {2u, 2u, 4u, 4u, 2u, 2u})
    EXPECT_EQ(view.Draw().size(), expected);
  std::vector<Drawn> drawn;
  for (int32_t i = 0; i < 4 && drawn.size() != 4u; ++i) drawn = view.Draw();
  ASSERT_EQ(drawn.size(), 4u);
  int32_t flames = 0, flashes = 0;
  for (const Drawn& d : drawn) {
    EXPECT_TRUE(d.additive);
    ASSERT_EQ(d.v.size(), 4u);
    flames += d.textureId == flame;
    flashes += d.textureId == flash;
  }
  EXPECT_EQ(flames, 2);
  EXPECT_EQ(flashes, 2);
  // The flame starts 0.8 to each side of its engine and reaches 7 to 8 along the exhaust.
  SPW_MATRIX m;
  ASSERT_EQ(SPW_GetNamedNodeTransform(f->aPlanes[0].pObject, "thrustmain1", &m, nullptr), 1);
  const SPW_VECTOR start = {m.m[3][0], m.m[3][1], m.m[3][2]};
  const Drawn& first = drawn[0];
  ASSERT_EQ(first.textureId, flame);
  const SPW_VECTOR a = {first.v[0].x, first.v[0].y, first.v[0].z};
  const SPW_VECTOR b = {first.v[1].x, first.v[1].y, first.v[1].z};
  EXPECT_TRUE(Near({(a.x + b.x) / 2, (a.y + b.y) / 2, (a.z + b.z) / 2}, start));
  EXPECT_NEAR(SPW_VecDist(&a, &b), 1.6f, 1e-3f);
  // The cell of the flame's frame: a column of 53 and a row of 21 texels out of 128.
  const float u0 = static_cast<float>(f->nThrusterFrame % 2) * 53.0f / 128.0f;
  const float v0 = static_cast<float>(f->nThrusterFrame / 2) * 21.0f / 128.0f;
  EXPECT_FLOAT_EQ(first.v[0].u, u0);
  EXPECT_FLOAT_EQ(first.v[1].u, u0 + 53.0f / 128.0f);
  EXPECT_FLOAT_EQ(first.v[2].v, v0 + 21.0f / 128.0f);
}

TEST_F(FlyByTest, TheThrusterFrameStepsEverySecondDrawThroughSixCells) {
  const VNFLYBY* f = Of(Start(VNFLYBY_DS10));
  std::vector<int32_t> frames;
  for (int32_t i = 0; i < 14; ++i) {
    view.Draw();
    frames.push_back(f->nThrusterFrame);
  }
  EXPECT_EQ(frames, (std::vector<int32_t>{0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 0, 0, 1}));
}

TEST_F(FlyByTest, TheDemoTreesAircraftFlyWithTheirThrustersAndTextures) {
  const std::string command =
      std::string(VN_MKCONTENT_PATH) + " '" + w.content().path() + "' >/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  for (const char* file : {"sprites/effects/thrusters2.ppm", "sprites/effects/fx_01.ppm"})
    EXPECT_TRUE(PLAT_FileExists(file)) << file;
  const VNFLYBY* fighters = Of(Start(VNFLYBY_FIGHTERS));
  EXPECT_NE(fighters->aPlanes[0].pObject, nullptr);
  const VNFLYBY* ds10 = Of(Start(VNFLYBY_DS10));
  ASSERT_NE(ds10->aPlanes[0].pObject, nullptr);
  for (const char* node : {"thrustmain1", "thrustmain2", "thrustmain3", "thrustmain4"})
    EXPECT_GE(SPW_FindNodeByName(ds10->aPlanes[0].pObject, node), 0) << node;
  const std::vector<Drawn> drawn = view.Draw();
  EXPECT_GE(drawn.size(), 2u);
}

}  // namespace
