// The scenery classes in the headless world: props thrown about and burst, the fort wall's
// breach, the splitting rock, the gate and solar collector tasks, and the teleporter.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "engine/dobject/dobject.h"
#include "engine/object/object.h"
#include "effects/trailhead.h"
#include "missions/control/missiontasks.h"
#include "missions/control/smoketrail.h"
#include "platform/random.h"
#include "tests/world/featunit/featunit_fixture.h"
#include "tools/models/models.h"
#include "tools/models/props.h"
#include "tools/models/scenery.h"
#include "world/bstar/bstar.h"
#include "world/bstar/search.h"
#include "world/combat/combat.h"
#include "world/fobj/bigrock.h"
#include "world/fobj/fortwall.h"
#include "world/fobj/gate.h"
#include "world/fobj/prop.h"
#include "world/fobj/solarcollector.h"
#include "world/fobj/statues.h"
#include "world/fobj/teleporter.h"
#include "world/mover/mover.h"
#include "world/unitman/unitman.h"

namespace featunittest {
namespace {

constexpr uint32_t kPlaced = VNUNIT_F_OBSERVABLE | VNUNIT_F_UPDATE;
constexpr int32_t kSoldier = VN_UNIT_TYPE_TERRAN_ZR_0;
constexpr int32_t kMist = VN_UNIT_TYPE_TERRAN_MIST;
constexpr int32_t kGun = VN_UNIT_TYPE_WEAPON_SMARTRIFLE_0;
constexpr uint32_t kGunFlags = VNUNIT_F_WEAPON | VNUNIT_F_NODAMAGE_STAMP;
// Task types of recording stand-ins for the mission's other tasks.
constexpr int32_t kAirExplosion = 130;
constexpr int32_t kCamera = 207;
constexpr int32_t kSmokeTrails = 242;

// A cube model named after its file, so that each file is its own object type.
vnMODEL NamedCube(const std::string& name) {
  vnMODEL m = vnMODELS_Cube();
  m.name = name;
  return m;
}

// A class of boxes with an instance of each name at its place; network files name instances
// by single words.
vnFEATURE_GROUP NamedBoxes(const std::string& className,
                           const std::vector<std::pair<std::string, SPW_VECTOR>>& places) {
  vnFEATURE_GROUP g{vnMODELS_FeatureBox(className, 50, 50, 50), {}};
  for (const auto& [name, at] : places) {
    vnFEATURE_INSTANCE inst;
    inst.name = name;
    vnFEATURE_Place(inst, at.x * 100, at.y * 100, at.z * 100);
    g.instances.push_back(inst);
  }
  return g;
}

// A cube with the locator "p" two metres above its centre.
vnMODEL Holder() {
  vnMODEL m = NamedCube("holder");
  vnMODEL_NODE p;
  p.id = 1;
  p.name = VNPROP_HOLD_LOCATOR;
  p.kind = SPW_NODEKIND_LOCATOR;
  p.parentId = 0;
  p.transform[2] = 200.0f;
  m.lods[0].nodes[0].childCount = 1;
  m.lods[0].nodes.push_back(p);
  return m;
}

class SceneryTest : public PlacedObjectTest {
 protected:
  void TearDown() override {
    vnMISSCONT_SetAirExplosionTask(nullptr);
    vnMISSCONT_SetCameraTask(nullptr);
    vnMISSCONT_SetSmokeTrailTask(nullptr);
    PlacedObjectTest::TearDown();
  }

  void StartWith(const std::vector<VNWRITE_UNITATTR>& extra = {}) {
    std::vector<VNWRITE_UNITATTR> rows = {
        vnworld::Row(VN_UNIT_TYPE_PE_ROCK, kPlaced, {}, 0.5f, 0.0f, 100.0f),
        vnworld::Row(VN_UNIT_TYPE_PE_DRUM, kPlaced, {}, 0.5f, 0.0f, 50.0f),
        vnworld::Row(VN_UNIT_TYPE_PE_FORTWALL, kPlaced, {}, 2.0f, 0.0f, 100.0f),
        vnworld::Row(VN_UNIT_TYPE_PROJECTILE_BIGROCK, kPlaced | VNUNIT_F_PROJECTILE, {}, 2.0f,
                     10.0f, -10.0f),
        vnworld::Row(VN_UNIT_TYPE_PE_TELEPORTER, kPlaced, {}, 1.0f, 0.0f, 100.0f),
        vnworld::Row(kSoldier, VNUNIT_F_SOLDIER | VNUNIT_F_OBSERVABLE | VNUNIT_F_MOVER),
        vnworld::Row(kMist, VNUNIT_F_SOLDIER | VNUNIT_F_OBSERVABLE | VNUNIT_F_MOVER),
        vnworld::Row(kGun, kGunFlags, {}, 0.5f, 0.0f, -60.0f)};
    rows.insert(rows.end(), extra.begin(), extra.end());
    Start(rows, {VNTT_TERRAN_INFANTRY, VNTT_TERRAN_MIST, kAirExplosion, kCamera, kSmokeTrails});
    for (const auto& [file, model] : vnMODELS_SceneryObjects())
      WriteModel("Export/Pows/" + file, model);
    WriteModel("Export/Pows/holder.pow", Holder());
  }

  SGE_RESULT Ask(VNUNIT* u, int32_t msg, SGE_PARAM p1 = 0, SGE_PARAM p2 = 0) {
    return SGE_Send(u->pController, msg, p1, p2);
  }
  template <typename T>
  T* Self(VNUNIT* u) {
    return SGE_TaskData<T>(u->pController);
  }
  float Health(VNUNIT* u) { return vnUNIT_AttrFloat(u, VN_ATTR_HEALTH); }
  std::vector<vnworld::Event> Received(uint32_t unitId, int32_t msg) {
    std::vector<vnworld::Event> out;
    for (const vnworld::Event& e : w.EventsOf(msg))
      if (e.unitId == unitId) out.push_back(e);
    return out;
  }
  // The events of a recorder task made without a unit.
  std::vector<vnworld::Event> TaskEvents(int32_t msg) { return Received(0, msg); }
};

// The answers the scenery classes share: the creation binds the controller to its unit, which it
// then answers with.
TEST_F(SceneryTest, EachSceneryControllerAnswersWithTheUnitItWasMadeFor) {
  StartWith({vnworld::Row(VN_UNIT_TYPE_PE_THREESTATUES, kPlaced)});
  for (int32_t type : {VN_UNIT_TYPE_PE_ROCK, VN_UNIT_TYPE_PE_THREESTATUES,
                       VN_UNIT_TYPE_PROJECTILE_BIGROCK, VN_UNIT_TYPE_PE_FORTWALL,
                       VN_UNIT_TYPE_PE_TELEPORTER}) {
    VNUNIT* u = w.Create(type, w.Computer(), {30, 40, 0});
    ASSERT_NE(u, nullptr) << type;
    ASSERT_NE(u->pController, nullptr) << type;
    EXPECT_EQ(SGE_Ask<VNUNIT>(u->pController, SGM_UNIT_GET_UNIT, 0, 0), u) << type;
  }
}

// Props.

// Shot traces reach the scene through the mission's path network: a network of one region.
class PropTest : public SceneryTest {
 protected:
  void StartProps() {
    VNWRITE_BSTARNET net;
    net.nodes = {{1, 0, 80, 80, 0, 1, 0, "R", {}}};
    w.WriteNetwork(net);
    StartWith();
  }
};

TEST_F(PropTest, ARockShowsOneOfItsThreeModelsAtOneAndAHalfTimesItsSize) {
  StartProps();
  PLAT_SRand(7);
  const float kRockRadius = vnMODELS_Sphere().radius * 0.01f;
  std::set<std::string> models;
  for (int i = 0; i < 12; ++i) {
    VNUNIT* rock = w.Create(VN_UNIT_TYPE_PE_ROCK, w.Computer(), {20.0f + i, 20, 0});
    ASSERT_NE(rock, nullptr);
    const VNPROP* self = Self<VNPROP>(rock);
    ASSERT_NE(self->pObject, nullptr);
    const SPW_DOBJTYPE* type = SPW_GetObjectType(self->pObject->nType);
    ASSERT_NE(type, nullptr);
    models.insert(type->szName);
    // The model's radius in file units, loaded at 1.4 times.
    EXPECT_NEAR(type->fRadius, kRockRadius * VNPROP_ROCK_SCALE, 1e-4f);
    // Turned about z only.
    EXPECT_FLOAT_EQ(self->t.qRot.x, 0.0f);
    EXPECT_FLOAT_EQ(self->t.qRot.y, 0.0f);
    EXPECT_NEAR(self->t.qRot.z * self->t.qRot.z + self->t.qRot.w * self->t.qRot.w, 1.0f, 1e-5f);
    EXPECT_EQ(SGE_Ask<SPW_DOBJECT>(rock->pController, SGM_UNIT_GET_OBJECT, 0, 0), self->pObject);
  }
  EXPECT_EQ(models, (std::set<std::string>{"rock01", "rock02", "rock03"}));
  // Other props keep their listed size.
  VNUNIT* drum = w.Create(VN_UNIT_TYPE_PE_DRUM, w.Computer(), {40, 40, 0});
  ASSERT_NE(Self<VNPROP>(drum)->pObject, nullptr);
  EXPECT_NEAR(SPW_GetObjectType(Self<VNPROP>(drum)->pObject->nType)->fRadius,
              vnMODELS_Cube().radius * 0.01f, 1e-4f);
}

TEST_F(PropTest, ALaunchedPropFallsBouncesWithAQuarterOfItsSpeedAndComesToRest) {
  StartProps();
  VNUNIT* rock = w.Create(VN_UNIT_TYPE_PE_ROCK, w.Computer(), {20, 20, 5});
  ASSERT_NE(rock, nullptr);
  VNPROP* self = Self<VNPROP>(rock);
  VNPROP_LAUNCH launch{{4.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, 3.0f, 0};
  ASSERT_EQ(Ask(rock, SGM_PROP_LAUNCH, SGE_PtrParam(&launch)), 1);
  const float dt = SGE_GetFrameTime();
  int32_t bounces = 0;
  for (int frame = 0; frame < 200 && (self->dwFlags & VNPROP_F_FLYING); ++frame) {
    const SPW_VECTOR before = self->vVelocity;
    RunFrames(1);
    ASSERT_GE(self->fAngle, 0.0f);
    ASSERT_LT(self->fAngle, 2.0f * SPW_PI);
    const bool bounced = (self->dwFlags & VNPROP_F_FLYING) && self->vVelocity.z > 0.0f;
    if (!bounced || before.z > 0.0f) continue;
    // The frame's velocity reflected off the flat ground, a quarter as fast.
    ++bounces;
    SCOPED_TRACE(bounces);
    EXPECT_NEAR(self->vVelocity.x, before.x * VNPROP_BOUNCE, 1e-4f);
    EXPECT_NEAR(self->vVelocity.z, -(before.z - VNPROP_GRAVITY * dt) * VNPROP_BOUNCE, 1e-4f);
  }
  EXPECT_GE(bounces, 1);
  EXPECT_FALSE(self->dwFlags & VNPROP_F_FLYING);
  EXPECT_EQ(self->pFlight, nullptr);
  EXPECT_FLOAT_EQ(self->vVelocity.x, 0.0f);
  EXPECT_FLOAT_EQ(self->vVelocity.z, 0.0f);
  EXPECT_FLOAT_EQ(self->fSpin, 0.0f);
  EXPECT_NEAR(self->t.vPos.z, 0.0f, 0.05f);
  EXPECT_GT(self->t.vPos.x, 20.0f);
  // The unit and the model are where the prop came to rest.
  EXPECT_FLOAT_EQ(rock->vPos.x, self->t.vPos.x);
  EXPECT_FLOAT_EQ(self->pObject->t.vPos.z, self->t.vPos.z);
  const SPW_VECTOR rest = self->t.vPos;
  RunFrames(5);
  EXPECT_FLOAT_EQ(self->t.vPos.x, rest.x);
}

TEST_F(PropTest, AThrownPropWithTheTrailFlagDragsASmokeTrailUntilItRests) {
  StartProps();
  SGE_TASK* trails = SGE_CreateTask(kSmokeTrails, nullptr, nullptr, 0, 0);
  vnMISSCONT_SetSmokeTrailTask(trails);
  w.SetHook([](VNUNIT*, int32_t msg, SGE_PARAM, SGE_PARAM) {
    return msg == SGM_SMOKETRAIL_START ? 1 : -1;
  });
  VNUNIT* plain = w.Create(VN_UNIT_TYPE_PE_ROCK, w.Computer(), {30, 20, 3});
  VNPROP_LAUNCH launch{{2.0f, 0.0f, 0.0f}, {}, 0.0f, 0};
  Ask(plain, SGM_PROP_LAUNCH, SGE_PtrParam(&launch));
  EXPECT_TRUE(TaskEvents(SGM_SMOKETRAIL_START).empty());

  VNUNIT* rock = w.Create(VN_UNIT_TYPE_PE_ROCK, w.Computer(), {20, 20, 3});
  VNPROP* self = Self<VNPROP>(rock);
  launch.dwFlags = VNPROP_F_TRAIL;
  ASSERT_EQ(Ask(rock, SGM_PROP_LAUNCH, SGE_PtrParam(&launch)), 1);
  const auto starts = TaskEvents(SGM_SMOKETRAIL_START);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].p2, VNSMOKETRAIL_FORM_HEADED);
  const VNSMOKETRAIL_HEADED* trail = vnSmokeTrail_GetHeaded(self->pTrail);
  ASSERT_NE(trail, nullptr);
  EXPECT_NEAR(trail->fPointInterval, 0.08f, 1e-6f);
  EXPECT_FLOAT_EQ(trail->vHead.z, 3.0f);
  RunFrames(2);
  // Each point of the trail's timer takes the prop's place and motion.
  Ask(rock, SGM_TASK_TIMER);
  EXPECT_FLOAT_EQ(trail->vHead.x, self->t.vPos.x);
  EXPECT_FLOAT_EQ(trail->vHead.z, self->t.vPos.z);
  EXPECT_FLOAT_EQ(trail->vVelocity.z, self->vVelocity.z);
  RunFrames(40);
  EXPECT_FALSE(self->dwFlags & VNPROP_F_FLYING);
  EXPECT_EQ(self->pTrail, nullptr);
  EXPECT_EQ(self->pTrailTimer, nullptr);
  SGE_Send(trails, SGM_TASK_DESTROY, 0, 0);
}

TEST_F(PropTest, APropFarBelowTheTerrainIsRemoved) {
  StartProps();
  VNUNIT* rock = w.Create(VN_UNIT_TYPE_PE_ROCK, w.Computer(), {20, 20, -9.5f});
  ASSERT_NE(rock, nullptr);
  const uint32_t id = rock->dwId;
  VNPROP_LAUNCH launch{{0.0f, 0.0f, -10.0f}, {}, 0.0f, 0};
  ASSERT_EQ(Ask(rock, SGM_PROP_LAUNCH, SGE_PtrParam(&launch)), 1);
  RunFrames(3);
  EXPECT_EQ(vnUNITMAN_GetUnit(id), nullptr);
}

TEST_F(PropTest, ABurstingPropSendsTheAirExplosionUnlessItIsQuiet) {
  StartProps();
  SGE_TASK* explosions = SGE_CreateTask(kAirExplosion, nullptr, nullptr, 0, 0);
  vnMISSCONT_SetAirExplosionTask(explosions);
  VNAIREXPLODE_REQUEST seen{};
  w.SetHook([&](VNUNIT*, int32_t msg, SGE_PARAM p1, SGE_PARAM) {
    if (msg == SGM_AIREXPLODE_START) seen = *SGE_ParamPtr<const VNAIREXPLODE_REQUEST>(p1);
    return -1;
  });
  VNUNIT* gun = w.Create(kGun, w.Human(), {0, 0, 0});
  VNUNIT* rock = w.Create(VN_UNIT_TYPE_PE_ROCK, w.Computer(), {20, 20, 2});
  EXPECT_EQ(Ask(rock, SGM_UNIT_IS_DEAD), 0);
  vnInflictDamage(gun, rock, 1.0f, nullptr, nullptr, nullptr);  // 40 left
  EXPECT_TRUE(TaskEvents(SGM_AIREXPLODE_START).empty());
  vnInflictDamage(gun, rock, 1.0f, nullptr, nullptr, nullptr);
  ASSERT_EQ(TaskEvents(SGM_AIREXPLODE_START).size(), 1u);
  // Size 3 (1 + r), placed 1 + r above the prop, r a hundredth below 1.
  const float r = seen.vPos.z - 2.0f - 1.0f;
  EXPECT_GE(r, 0.0f);
  EXPECT_LE(r, 0.99f + 1e-5f);
  EXPECT_NEAR(seen.fSize, 3.0f * (1.0f + r), 1e-4f);
  EXPECT_NEAR(std::round(r * 100.0f), r * 100.0f, 1e-3f);
  EXPECT_FLOAT_EQ(Health(rock), -100.0f);
  EXPECT_FLOAT_EQ(vnUNIT_AttrFloat(rock, VN_ATTR_ARMOUR), -100.0f);
  EXPECT_EQ(Ask(rock, SGM_UNIT_IS_DEAD), 1);
  // A burst prop bursts once.
  Ask(rock, SGM_PROP_BURST);
  EXPECT_EQ(TaskEvents(SGM_AIREXPLODE_START).size(), 1u);
  // A quiet prop bursts without the explosion.
  VNUNIT* quiet = w.Create(VN_UNIT_TYPE_PE_ROCK, w.Computer(), {30, 20, 2});
  VNPROP_LAUNCH launch{{}, {}, 0.0f, VNPROP_F_QUIET};
  Ask(quiet, SGM_PROP_LAUNCH, SGE_PtrParam(&launch));
  Ask(quiet, SGM_PROP_BURST);
  EXPECT_EQ(TaskEvents(SGM_AIREXPLODE_START).size(), 1u);
  EXPECT_EQ(Ask(quiet, SGM_UNIT_IS_DEAD), 1);
  SGE_Send(explosions, SGM_TASK_DESTROY, 0, 0);
}

TEST_F(PropTest, AHeldPropRidesTheHoldersLocatorAndFallsWhenLetGo) {
  StartProps();
  VNUNIT* holder = w.Create(kSoldier, w.Human(), {50, 50, 0});
  VNUNIT* bare = w.Create(kSoldier, w.Human(), {60, 50, 0});
  const SPW_TRANSFORM at{{50, 50, 0}, {0, 0, 0, 1}, 1};
  SPW_DOBJECT* model = vnUNIT_CreateObject(holder, "Export/Pows/holder.pow", 1.0f, &at);
  SPW_DOBJECT* cube = vnUNIT_CreateObject(bare, "Export/Pows/rock01.pow", 1.0f, &at);
  ASSERT_NE(model, nullptr);
  ASSERT_NE(cube, nullptr);
  w.SetHook([&](VNUNIT* u, int32_t msg, SGE_PARAM, SGE_PARAM) -> SGE_RESULT {
    if (msg != SGM_UNIT_GET_OBJECT) return -1;
    return SGE_PtrResult(u == holder ? model : cube);
  });
  VNUNIT* rock = w.Create(VN_UNIT_TYPE_PE_ROCK, w.Computer(), {20, 20, 0});
  VNPROP* self = Self<VNPROP>(rock);
  // No locator, no unit: refused.
  EXPECT_EQ(Ask(rock, SGM_PROP_HOLD, static_cast<SGE_PARAM>(bare->dwId)), 0);
  EXPECT_EQ(Ask(rock, SGM_PROP_HOLD, 9999), 0);
  EXPECT_FALSE(self->dwFlags & VNPROP_F_HELD);
  ASSERT_EQ(Ask(rock, SGM_PROP_HOLD, static_cast<SGE_PARAM>(holder->dwId)), 1);
  EXPECT_TRUE(self->dwFlags & VNPROP_F_HELD);
  // A held prop is not thrown.
  VNPROP_LAUNCH launch{{1, 0, 0}, {}, 0.0f, 0};
  EXPECT_EQ(Ask(rock, SGM_PROP_LAUNCH, SGE_PtrParam(&launch)), 0);
  Ask(rock, SGM_UNIT_FRAME_EXTRA);
  EXPECT_NEAR(self->t.vPos.x, 50.0f, 1e-4f);
  EXPECT_NEAR(self->t.vPos.z, 2.0f, 1e-4f);
  model->t.vPos = {40, 45, 1};
  Ask(rock, SGM_UNIT_FRAME_EXTRA);
  EXPECT_NEAR(self->t.vPos.y, 45.0f, 1e-4f);
  EXPECT_NEAR(self->t.vPos.z, 3.0f, 1e-4f);
  EXPECT_FLOAT_EQ(rock->vPos.x, 40.0f);
  EXPECT_FLOAT_EQ(self->pObject->t.vPos.z, self->t.vPos.z);
  // Let go, it drops to the ground below.
  Ask(rock, SGM_PROP_RELEASE);
  EXPECT_FALSE(self->dwFlags & VNPROP_F_HELD);
  RunFrames(30);
  EXPECT_FALSE(self->dwFlags & VNPROP_F_FLYING);
  EXPECT_NEAR(self->t.vPos.x, 40.0f, 1e-3f);
  EXPECT_NEAR(self->t.vPos.z, 0.0f, 0.05f);
}

TEST_F(PropTest, ScriptedCollapseOnlyMarksTheProp) {
  StartProps();
  VNUNIT* rock = w.Create(VN_UNIT_TYPE_PE_ROCK, w.Computer(), {20, 20, 0});
  Ask(rock, SGM_PROP_COLLAPSE);
  EXPECT_EQ(Self<VNPROP>(rock)->dwFlags, VNPROP_F_COLLAPSED);
  EXPECT_EQ(Ask(rock, SGM_UNIT_IS_DEAD), 0);
}

// Statues.

TEST_F(SceneryTest, TheStatuesStandHighAboveTheirPlaceAndPlayForEver) {
  StartWith({vnworld::Row(VN_UNIT_TYPE_PE_THREESTATUES, kPlaced)});
  VNUNIT* statues = w.Create(VN_UNIT_TYPE_PE_THREESTATUES, w.Computer(), {30, 40, 2});
  ASSERT_NE(statues, nullptr);
  const VNSTATUES* self = Self<VNSTATUES>(statues);
  ASSERT_NE(self->pObject, nullptr);
  EXPECT_FLOAT_EQ(self->pObject->t.vPos.z, 2.0f + VNSTATUES_LIFT);
  const SPW_ANIMSLOT& slot = self->pObject->pSlots[0];
  EXPECT_TRUE(slot.fFlags & SPW_ANIM_PLAYING);
  EXPECT_FALSE(slot.fFlags & SPW_ANIM_ONCE);
  EXPECT_FLOAT_EQ(slot.fSpeed, 1.0f);
  SPW_VECTOR facing{};
  EXPECT_EQ(Ask(statues, SGM_UNIT_GET_FACING, SGE_PtrParam(&facing)), 1);
  EXPECT_FLOAT_EQ(facing.y, 1.0f);  // the creation direction
  EXPECT_EQ(Ask(statues, SGM_UNIT_GET_FACING, 0), 0);
}

// Fort walls.

class FortWallTest : public SceneryTest {
 protected:
  void SetUp() override {
    SceneryTest::SetUp();
    // FC and FE bound to this wall, an FC bound to another wall, each linked to a region.
    VNWRITE_BSTARNET net;
    net.nodes = {{1, 0, 30, 30, 0, 1, 0, "FC", {"Wall0"}},
                 {2, 0, 30, 34, 0, 1, 0, "FE", {"Wall0"}},
                 {3, 0, 60, 60, 0, 1, 0, "FC", {"Wall1"}},
                 {4, 0, 34, 30, 0, 1, 0, "R", {}}};
    net.links = {{1, 4, 1, 1, 1, true}, {2, 4, 1, 1, 1, false}, {3, 4, 1, 1, 1, true}};
    w.WriteNetwork(net);
    StartWith();
    vnFEATURE_SET set;
    set.groups = {NamedBoxes("Fort Wall", {{"Wall0", {30, 30, 0}}, {"Wall1", {60, 60, 0}}}),
                  NamedBoxes("Fort Wall Broken",
                             {{"Broken0", {30, 30, 0}}, {"Broken1", {60, 60, 0}}})};
    LoadScenery(set);
  }
  bool Disabled(uint32_t a, uint32_t b) {
    const BSTAR_Link* link = BSTAR_FindLink(BSTAR_FindNodeById(w.network(), a),
                                            BSTAR_FindNodeById(w.network(), b));
    EXPECT_NE(link, nullptr);
    return link && (link->dwFlags & BSTAR_LINK_DISABLED);
  }
};

TEST_F(FortWallTest, AFallenWallOpensItsFCNodesClosesItsFENodesAndReportsTheKill) {
  VNUNIT* wall = w.Create(VN_UNIT_TYPE_PE_FORTWALL, w.Computer(), {31, 30, 0});
  ASSERT_NE(wall, nullptr);
  const VNFORTWALL* self = Self<VNFORTWALL>(wall);
  SPW_FEATUREINST* intact = Feature("Fort Wall", {30, 30, 0});
  SPW_FEATUREINST* broken = Feature("Fort Wall Broken", {30, 30, 0});
  ASSERT_EQ(self->pIntact, intact);
  ASSERT_EQ(self->pBroken, broken);
  EXPECT_FALSE(Hidden(intact));
  EXPECT_TRUE(Hidden(broken));
  ASSERT_NE(self->pPlaceholder, nullptr);
  EXPECT_TRUE(self->pPlaceholder->fFlags & SPW_DOBJ_HIDDEN);
  ASSERT_TRUE(Disabled(1, 4));
  ASSERT_FALSE(Disabled(2, 4));

  // A hit that leaves health changes nothing.
  vnUNIT_SetAttrFloat(wall, VN_ATTR_HEALTH, 10.0f);
  Ask(wall, SGM_UNIT_DAMAGED);
  EXPECT_EQ(Ask(wall, SGM_UNIT_IS_DEAD), 0);
  EXPECT_TRUE(Disabled(1, 4));

  vnUNIT_SetAttrFloat(wall, VN_ATTR_HEALTH, 0.0f);
  Ask(wall, SGM_UNIT_DAMAGED);
  EXPECT_EQ(self->nState, VNFORTWALL_FALLEN);
  EXPECT_EQ(Ask(wall, SGM_UNIT_IS_DEAD), 1);
  EXPECT_FALSE(wall->dwFlags & VNUNIT_F_OBSERVABLE);
  EXPECT_TRUE(wall->dwFlags & 0x4000);
  EXPECT_TRUE(Hidden(intact));
  EXPECT_FALSE(Hidden(broken));
  EXPECT_FALSE(Disabled(1, 4));
  EXPECT_TRUE(Disabled(2, 4));
  // The other wall's way stays as it was.
  EXPECT_TRUE(Disabled(3, 4));
  const auto kills = Received(0, SGM_VN_MISSCONT_EVENT_FEATURE_KILLED);
  ASSERT_EQ(kills.size(), 1u);
  EXPECT_EQ(kills[0].p1, static_cast<SGE_PARAM>(wall->dwId));
  EXPECT_EQ(kills[0].p2, VN_UNIT_TYPE_PE_FORTWALL);
  // Later hits on the ruin are no further kills.
  Ask(wall, SGM_UNIT_DAMAGED);
  EXPECT_EQ(Received(0, SGM_VN_MISSCONT_EVENT_FEATURE_KILLED).size(), 1u);
}

// The gate, the solar collector and the splitting rock.

TEST_F(SceneryTest, TheGateAnswersNothingAndStillEndsWithItsCreator) {
  StartWith();
  SGE_TASKTYPE* type = SGE_FindTaskType(VNGATE_NAME);
  ASSERT_NE(type, nullptr);
  EXPECT_EQ(type->nTypeId, VNTT_GATE);
  SGE_TASK* gate = SGE_CreateTask(VNTT_GATE, nullptr, nullptr, 1, 2);
  ASSERT_NE(gate, nullptr);
  for (int32_t msg : {SGM_TASK_FRAME, SGM_TASK_DRAW, SGM_UNIT_GET_UNIT, SGM_UNIT_UPDATE,
                      SGM_UNIT_IS_DEAD, SGM_UNIT_GET_CLASS, 571, 7187, 7191})
    EXPECT_EQ(SGE_Send(gate, msg, 1, 1), 0) << msg;
  const int32_t tasks = SGE_GetTaskCount();
  EXPECT_EQ(SGE_Send(gate, SGM_TASK_DESTROY, 0, 0), 0);
  EXPECT_EQ(SGE_GetTaskCount(), tasks - 1);
}

TEST_F(SceneryTest, TheSolarCollectorPutsItsUnitAtTheCreationPlace) {
  StartWith();
  SGE_TASKTYPE* type = SGE_FindTaskType(VNSOLARCOLLECTOR_NAME);
  ASSERT_NE(type, nullptr);
  VNUNIT* unit = w.Create(VN_UNIT_TYPE_PE_ROCK, w.Computer(), {10, 10, 0});
  VNUNIT_CREATE create{};
  create.vPos = {44, 45, 1};
  SGE_TASK* collector = SGE_CreateTask(type->nTypeId, nullptr, nullptr, SGE_PtrParam(unit), SGE_PtrParam(&create));
  ASSERT_NE(collector, nullptr);
  EXPECT_FLOAT_EQ(unit->vPos.x, 44.0f);
  EXPECT_FLOAT_EQ(unit->vPos.y, 45.0f);
  EXPECT_EQ(SGE_Send(collector, SGM_UNIT_GET_CLASS, 0, 0), 0);
  SGE_Send(collector, SGM_TASK_DESTROY, 0, 0);
}

TEST_F(SceneryTest, TheBigRockHurtsWhatItSightsUntilItSplits) {
  StartWith();
  ASSERT_NE(SGE_FindTaskType(VNBIGROCK_NAME), nullptr);
  VNUNIT* rock = w.Create(VN_UNIT_TYPE_PROJECTILE_BIGROCK, w.Computer(), {20, 20, 0});
  ASSERT_NE(rock, nullptr);
  VNUNIT* a = w.Create(kSoldier, w.Human(), {21, 20, 0});
  VNUNIT* b = w.Create(kSoldier, w.Human(), {20, 22, 0});
  VNUNIT* far = w.Create(kSoldier, w.Human(), {80, 80, 0});
  int32_t hits[3] = {0, 0, 0};
  w.SetHook([&](VNUNIT* u, int32_t msg, SGE_PARAM, SGE_PARAM) {
    if (msg == SGM_UNIT_DAMAGED && u) hits[u == a ? 0 : u == b ? 1 : 2] += 1;
    return -1;
  });
  // The rock's sighting list as the manager's pass leaves it.
  VNUNIT* sighted[2] = {a, b};
  rock->ppSighted = sighted;
  rock->nSighted = 2;
  for (int i = 0; i < 3; ++i) Ask(rock, SGM_UNIT_UPDATE);
  EXPECT_EQ(hits[0], 3);
  EXPECT_EQ(hits[1], 3);
  EXPECT_EQ(hits[2], 0);
  (void)far;
  EXPECT_EQ(Ask(rock, SGM_BIGROCK_HAS_SPLIT), 0);
  const VNBIGROCK* self = Self<VNBIGROCK>(rock);
  ASSERT_GE(self->nSplitAnim, 0);
  const SPW_ANIMSLOT& split = self->pObject->pSlots[self->nSplitAnim];
  RunFrames(3);
  EXPECT_FLOAT_EQ(split.fSpeed, 0.0f);
  EXPECT_FLOAT_EQ(split.fTime, 0.0f);
  EXPECT_EQ(Ask(rock, SGM_BIGROCK_SPLIT), 1);
  EXPECT_EQ(Ask(rock, SGM_BIGROCK_HAS_SPLIT), 1);
  EXPECT_TRUE(split.fFlags & SPW_ANIM_PLAYING);
  EXPECT_FLOAT_EQ(split.fSpeed, 1.0f);
  EXPECT_FLOAT_EQ(Health(rock), 0.0f);
  Ask(rock, SGM_UNIT_UPDATE);
  EXPECT_EQ(hits[0], 3);
  // It splits once.
  EXPECT_EQ(Ask(rock, SGM_BIGROCK_SPLIT), 0);
  rock->ppSighted = nullptr;
  rock->nSighted = 0;
}

// The teleporter.

// How the pads are wired: the pad's node, the switch's source node and the destination.
struct PADS {
  std::vector<std::string> padFeatures = {"Pad0", "Switch0"};
  std::vector<std::string> sourceFeatures = {"Switch0"};
  std::string destinationName = "4";
  int32_t linkType = VNTELEPORTER_LINK_TYPE;
};

class TeleporterTest : public SceneryTest {
 protected:
  // A pad at (20, 20) with a switch beside it whose source node leads over a type-6 link to
  // the node "4", the destination pad's node at (100, 100).
  void StartPads(const PADS& pads = {}) {
    VNWRITE_BSTARNET net;
    net.nodes = {{1, VNTELEPORTER_PAD_NODE, 20, 20, 0, 2, 0, "Pad1", pads.padFeatures},
                 {2, 0, 25, 20, 0, 1, 0, "Src", pads.sourceFeatures},
                 {3, 0, 26, 20, 0, 1, 0, pads.destinationName, {}},
                 {4, 0, 100, 100, 0, 2, 0, "Dest", {"Pad1"}}};
    net.links = {{2, 3, 1, 1, pads.linkType, false}, {1, 2, 1, 1, 1, false}};
    w.WriteNetwork(net);
    StartWith();
    vnFEATURE_SET set;
    set.groups = {NamedBoxes("TelePort Gate", {{"Pad0", {20, 20, 0}}, {"Pad1", {100, 100, 0}}}),
                  NamedBoxes("Switch", {{"Switch0", {25, 20, 0}}})};
    LoadScenery(set);
  }
  VNUNIT* Teleporter() { return w.Create(VN_UNIT_TYPE_PE_TELEPORTER, w.Computer(), {20, 21, 0}); }

  // Wires the pads, makes the teleporter and presses its first switch; the trace must appear
  // and the unit go or stay.
  void ExpectFailure(const PADS& pads, const char* trace, bool selfDestructs) {
    vntest::TraceCapture traces;
    StartPads(pads);
    VNUNIT* porter = Teleporter();
    ASSERT_NE(porter, nullptr);
    const uint32_t id = porter->dwId;
    VNTELEPORTER* self = Self<VNTELEPORTER>(porter);
    if (self->nSwitches) Ask(porter, SGM_TELEPORTER_START, SGE_PtrParam(self->aSwitches[0].pFeature));
    RunFrames(10);
    if (trace) {
      EXPECT_TRUE(traces.contains(trace)) << trace;
    }
    EXPECT_EQ(vnUNITMAN_GetUnit(id) == nullptr, selfDestructs);
  }
};

TEST_F(TeleporterTest, UnitsOnThePadReappearAtTheDestinationKeepingTheirOffsets) {
  StartPads();
  SGE_TASK* camera = SGE_CreateTask(kCamera, nullptr, nullptr, 0, 0);
  vnMISSCONT_SetCameraTask(camera);
  VNUNIT* porter = Teleporter();
  ASSERT_NE(porter, nullptr);
  VNTELEPORTER* self = Self<VNTELEPORTER>(porter);
  EXPECT_STREQ(porter->szLabel, "Pad1");
  ASSERT_EQ(self->nSwitches, 1);
  EXPECT_EQ(self->aSwitches[0].nDestination, 4);
  ASSERT_NE(self->pEffect, nullptr);
  EXPECT_TRUE(self->pEffect->fFlags & SPW_DOBJ_HIDDEN);

  VNUNIT* soldier = w.Create(kSoldier, w.Human(), {21, 20, 0});
  VNUNIT* mist = w.Create(kMist, w.Human(), {19, 22, 0});
  VNUNIT* gone = w.Create(kSoldier, w.Human(), {40, 40, 0});
  for (VNUNIT* u : {soldier, mist, gone})
    Ask(porter, SGM_VN_MISSCONT_EVENT_AREA_ENTERED, 0, SGE_PtrParam(u));
  Ask(porter, SGM_VN_MISSCONT_EVENT_AREA_LEFT, 0, SGE_PtrParam(gone));
  // Only a switch of this pad starts it.
  EXPECT_EQ(Ask(porter, SGM_TELEPORTER_START, SGE_PtrParam(self->pPad)), 0);
  const SGE_PARAM sw = SGE_PtrParam(self->aSwitches[0].pFeature);
  ASSERT_EQ(Ask(porter, SGM_TELEPORTER_START, sw), 1);
  EXPECT_EQ(self->nState, VNTELEPORTER_CHARGING);
  EXPECT_FALSE(self->pEffect->fFlags & SPW_DOBJ_HIDDEN);
  ASSERT_EQ(Received(soldier->dwId, SGM_UNIT_FREEZE).size(), 1u);
  EXPECT_EQ(Received(soldier->dwId, SGM_UNIT_FREEZE)[0].p1, 1);
  ASSERT_EQ(Received(mist->dwId, SGM_MIST_FREEZE).size(), 1u);
  EXPECT_TRUE(Received(mist->dwId, SGM_UNIT_FREEZE).empty());
  EXPECT_TRUE(Received(gone->dwId, SGM_UNIT_FREEZE).empty());
  // A second press while it runs does nothing.
  EXPECT_EQ(Ask(porter, SGM_TELEPORTER_START, sw), 0);

  RunFrames(8);  // 0.8 s
  EXPECT_EQ(self->nState, VNTELEPORTER_CHARGING);
  RunFrames(2);
  ASSERT_EQ(self->nState, VNTELEPORTER_ARRIVING);
  // Each keeps its offset from the pad at (20, 20).
  EXPECT_FLOAT_EQ(soldier->pMove->vPos.x, 101.0f);
  EXPECT_FLOAT_EQ(soldier->pMove->vPos.y, 100.0f);
  EXPECT_FLOAT_EQ(mist->pMove->vPos.x, 99.0f);
  EXPECT_FLOAT_EQ(mist->pMove->vPos.y, 102.0f);
  EXPECT_FLOAT_EQ(gone->pMove->vPos.x, 40.0f);
  EXPECT_EQ(TaskEvents(SGM_CAMERA_JUMP_TO).size(), 1u);
  EXPECT_EQ(TaskEvents(SGM_CAMERA_FOLLOW).size(), 1u);

  RunFrames(10);
  EXPECT_EQ(self->nState, VNTELEPORTER_IDLE);
  EXPECT_FLOAT_EQ(self->pEffect->t.vPos.x, 100.0f);
  ASSERT_EQ(Received(soldier->dwId, SGM_UNIT_FREEZE).size(), 2u);
  EXPECT_EQ(Received(soldier->dwId, SGM_UNIT_FREEZE)[1].p1, 0);
  ASSERT_EQ(Received(mist->dwId, SGM_MIST_FREEZE).size(), 2u);
  EXPECT_EQ(Received(mist->dwId, SGM_MIST_FREEZE)[1].p1, 0);
  SGE_Send(camera, SGM_TASK_DESTROY, 0, 0);
}

TEST_F(TeleporterTest, ASwitchHeldDownChargesAndLightsUp) {
  StartPads();
  VNUNIT* porter = Teleporter();
  VNTELEPORTER* self = Self<VNTELEPORTER>(porter);
  ASSERT_EQ(self->nSwitches, 1);
  const SGE_PARAM sw = SGE_PtrParam(self->aSwitches[0].pFeature);
  Ask(porter, SGM_UNIT_UPDATE);
  EXPECT_EQ(self->aSwitches[0].pLight, nullptr);
  for (int i = 0; i < 5; ++i) Ask(porter, SGM_TELEPORTER_CHARGE, sw);
  EXPECT_NEAR(self->aSwitches[0].fCharge, 5 * 0.6f * SGE_GetFrameTime(), 1e-5f);
  Ask(porter, SGM_UNIT_UPDATE);
  ASSERT_NE(self->aSwitches[0].pLight, nullptr);
  EXPECT_NEAR(self->aSwitches[0].pLight->fRadius, self->aSwitches[0].fCharge * 10.0f, 1e-4f);
  EXPECT_FLOAT_EQ(self->aSwitches[0].pLight->vPos.z, 2.0f);
}

TEST_F(TeleporterTest, APadWithoutSwitchesIsTraced) {
  PADS pads;
  pads.padFeatures = {"Pad0"};
  ExpectFailure(pads, "[TELEPORTER] Error: No switch objects found, this teleporter won't do much!",
                false);
}

TEST_F(TeleporterTest, ASwitchMissingFromTheSceneIsTraced) {
  PADS pads;
  pads.padFeatures = {"Pad0", "Lever9"};
  ExpectFailure(pads, "[TELEPORTER] Error: Switch objects Not Found", false);
}

TEST_F(TeleporterTest, ASwitchWithoutASourceNodeIsTraced) {
  PADS pads;
  pads.sourceFeatures = {};
  ExpectFailure(pads, "[TELEPORTER] Error: Switch object has no associated source node", false);
}

TEST_F(TeleporterTest, ASourceNodeWithoutATypeSixLinkIsTraced) {
  PADS pads;
  pads.linkType = 1;
  ExpectFailure(pads,
                "[TELEPORTER] Error: Switch object source node has no associated destination node",
                false);
}

TEST_F(TeleporterTest, ADestinationNamedByNoNumberStartsNothing) {
  PADS pads;
  pads.destinationName = "Nowhere";
  ExpectFailure(pads, nullptr, false);
}

TEST_F(TeleporterTest, AMissingDestinationNodeEndsTheTeleporter) {
  PADS pads;
  pads.destinationName = "77";
  ExpectFailure(pads,
                "[TELEPORTER] Error: Teleport Destination Node not found, unit self-destructing.",
                true);
}

TEST_F(TeleporterTest, UnitsFrozenOnThePadAreLetGoWhenTheDestinationIsMissing) {
  PADS pads;
  pads.destinationName = "77";
  StartPads(pads);
  VNUNIT* porter = Teleporter();
  VNUNIT* soldier = w.Create(kSoldier, w.Human(), {21, 20, 0});
  Ask(porter, SGM_VN_MISSCONT_EVENT_AREA_ENTERED, 0, SGE_PtrParam(soldier));
  const SGE_PARAM sw = SGE_PtrParam(Self<VNTELEPORTER>(porter)->aSwitches[0].pFeature);
  ASSERT_EQ(Ask(porter, SGM_TELEPORTER_START, sw), 1);
  RunFrames(10);
  const auto freezes = Received(soldier->dwId, SGM_UNIT_FREEZE);
  ASSERT_EQ(freezes.size(), 2u);
  EXPECT_EQ(freezes[1].p1, 0);
  EXPECT_FLOAT_EQ(soldier->pMove->vPos.x, 21.0f);
}

TEST_F(TeleporterTest, ATeleporterWithoutItsPadRemovesItself) {
  StartWith();
  vntest::TraceCapture traces;
  VNUNIT* porter = Teleporter();
  ASSERT_NE(porter, nullptr);
  const uint32_t id = porter->dwId;
  EXPECT_TRUE(traces.contains(
      "[TELEPORTER] Error: Teleport Pad feature object not found, unit self-destructing."));
  EXPECT_EQ(Ask(porter, SGM_UNIT_IS_DEAD), 1);
  RunFrames(1);
  EXPECT_EQ(vnUNITMAN_GetUnit(id), nullptr);
}

}  // namespace
}  // namespace featunittest
