// Movers of units made by the unit manager in the headless test world: the push between
// overlapping units, the ground height under a unit and the body a step carries.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/dobject/dobject.h"
#include "engine/kernel/frametime.h"
#include "engine/kernel/tasktypes.h"
#include "engine/object/object.h"
#include "platform/files.h"
#include "platform/clock.h"
#include "tests/world/support/testworld.h"
#include "tools/models/models.h"
#include "tools/writers/pow_writer.h"
#include "world/bstar/bstar.h"
#include "world/mover/mover.h"
#include "world/unittype/attributes.h"
#include "world/unittype/unittype.h"

namespace {

uint32_t g_clockMs = 0;
uint32_t TestClock() { return g_clockMs; }

constexpr int32_t kType = VN_UNIT_TYPE_TERRAN_ZR_0;
constexpr uint32_t kFlags =
    VNUNIT_F_SOLDIER | VNUNIT_F_MOVER | VNUNIT_F_OBSERVER | VNUNIT_F_OBSERVABLE;
constexpr int32_t kWalker = VN_UNIT_TYPE_TERRAN_ZR_0_FEM;  // the same class
constexpr float kGround = 3.0f;

class MoverWorldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Every frame lasts 40 ms, whatever ran in this process before.
    g_clockMs = 100000;
    PLAT_SetClockOverride(&TestClock);
    for (int i = 0; i < 3; ++i) {
      g_clockMs += 40;
      SGE_UpdateFrameTiming();
    }
    vnworld::Options options;
    options.standInMovers = false;
    options.planner = true;
    options.height = kGround;
    world = std::make_unique<vnworld::TestWorld>(options);
    // The walker: 18 km/h, a quick start and turn, paths over links of type 1.
    VNWRITE_UNITATTR walker = vnworld::Row(kWalker, kFlags, {}, 0.5f);
    auto value = [&](int32_t attr) -> float& { return walker.floats[attr - 11]; };
    value(VN_ATTR_SPEED) = 18.0f;
    value(VN_ATTR_ACCEL) = 50.0f;
    value(VN_ATTR_TURN_RATE) = 10.0f;
    value(VN_ATTR_LINK_TYPE) = 1.0f;
    world->WriteAttrs({vnworld::Row(kType, kFlags, {}, 1.0f), walker});
    world->RegisterRecorder(VNTT_TERRAN_INFANTRY);
    world->WriteNetwork(vnWRITE_BstarGrid(4, 4, 10.0f, kGround));
    ASSERT_EQ(vnMOVER_Register(), 1);
    ASSERT_TRUE(world->Start());
  }
  void TearDown() override {
    world.reset();
    PLAT_SetClockOverride(nullptr);
  }
  VNUNIT* Unit(SPW_VECTOR pos) {
    VNUNIT* u = world->Create(kType, world->Human(), pos);
    EXPECT_NE(u, nullptr);
    EXPECT_NE(u->pMove, nullptr);
    world->Place(u, pos);
    return u;
  }

  std::unique_ptr<vnworld::TestWorld> world;
};

// Each mover value of the type's row reaches its own field of the movement record, and the
// type's starting marks reach the record's flags.
TEST(MoverSetUpTest, TheRowsMoverValuesReachTheirFieldsOfTheMovementRecord) {
  vnworld::Options options;
  options.standInMovers = false;
  options.planner = true;
  vnworld::TestWorld world(options);
  VNWRITE_UNITATTR row = vnworld::Row(kType, kFlags | VNUNIT_F_STARTS_LIFTED |
                                                 VNUNIT_F_STARTS_WITHDRAWN);
  auto value = [&](int32_t attr) -> float& { return row.floats[attr - 11]; };
  value(VN_ATTR_ACCEL) = 2.0f;
  value(VN_ATTR_SPEED) = 36.0f;
  value(VN_ATTR_TURN_RATE) = 3.0f;
  value(VN_ATTR_MOVER_EXTRA) = 4.0f;
  value(VN_ATTR_GATE_REACH) = 5.0f;
  value(VN_ATTR_ARRIVAL) = 6.0f;
  value(VN_ATTR_STOP_VALUE) = 7.0f;
  world.WriteAttrs({row});
  world.RegisterRecorder(VNTT_TERRAN_INFANTRY);
  world.WriteNetwork(vnWRITE_BstarGrid(2, 2, 10.0f, 0.0f));
  ASSERT_EQ(vnMOVER_Register(), 1);
  ASSERT_TRUE(world.Start());
  VNUNIT* u = world.Create(kType, world.Human(), {5.0f, 5.0f, 0.0f});
  ASSERT_NE(u, nullptr);
  const VNMOVER_RECORD* r = u->pMove;
  ASSERT_NE(r, nullptr);
  EXPECT_FLOAT_EQ(r->fAccel, 2.0f);
  EXPECT_FLOAT_EQ(r->fMaxSpeed, 10.0f);  // 36 km/h
  EXPECT_FLOAT_EQ(r->fTurnRate, 3.0f);
  EXPECT_FLOAT_EQ(r->fExtra, 4.0f);
  EXPECT_FLOAT_EQ(r->fGateReach, 5.0f);
  EXPECT_FLOAT_EQ(r->fArrival, 6.0f);
  EXPECT_FLOAT_EQ(r->fStopValue, 7.0f);
  const uint32_t marks = VNMOVER_F_TURNS | VNMOVER_F_LIFTED | VNMOVER_F_WITHDRAWN;
  EXPECT_EQ(r->dwFlags & marks, marks);
}

TEST_F(MoverWorldTest, OverlappingUnitsArePushedApartUnlessTheControllerSparesTheOther) {
  VNUNIT* a = Unit({15.0f, 15.0f, kGround});
  VNUNIT* b = Unit({15.5f, 15.0f, kGround});
  ASSERT_EQ(a->pMove->pRegion, BSTAR_FindNodeById(world->network(), 5));

  world->SetHook([&](VNUNIT* u, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
    if (msg != SGM_MOVER_IGNORE_MOVER) return -1;
    EXPECT_EQ(u, a);
    EXPECT_EQ(p1, SGE_PtrParam(a->pMove));
    EXPECT_EQ(p2, SGE_PtrParam(b->pMove));
    return 1;
  });
  SGE_Send(a->pMover, SGM_MOVER_STEP, 0, 0);
  EXPECT_FLOAT_EQ(a->pMove->vPos.x, 15.0f);

  // A unit flagged never to be spared is pushed away from whatever the controller says.
  b->pMove->dwFlags |= VNMOVER_F_NOPUSH;
  SGE_Send(a->pMover, SGM_MOVER_STEP, 0, 0);
  EXPECT_LT(a->pMove->vPos.x, 15.0f);
  EXPECT_FLOAT_EQ(b->pMove->vPos.x, 15.5f);
}

TEST_F(MoverWorldTest, GroundHeightIsTheTerrainUnderTheUnit) {
  VNUNIT* a = Unit({15.0f, 15.0f, 40.0f});
  ASSERT_EQ(SGE_Send(a->pMover, SGM_MOVER_GROUND_HEIGHT, 1, 0), 1);
  EXPECT_FLOAT_EQ(a->pMove->vPos.z, kGround);
  const auto* normal = SGE_Ask<SPW_VECTOR>(a->pMover, SGM_MOVER_GET_STATE_RECORD, 0, 0);
  ASSERT_NE(normal, nullptr);
  EXPECT_FLOAT_EQ(normal->z, 1.0f);
  // Off the terrain there is no height.
  const SPW_VECTOR off{-5.0f, 15.0f, 0.0f};
  SGE_Send(a->pMover, SGM_MOVER_SET_POSITION, SGE_PtrParam(&off), 0);
  EXPECT_EQ(SGE_Send(a->pMover, SGM_MOVER_GROUND_HEIGHT, 0, 0), 0);
}

TEST_F(MoverWorldTest, AStepCarriesTheUnitsBodyOnTheGroundUnlessTheBodyIsLifted) {
  ASSERT_EQ(SPW_ResetObjectTypes(), 1);
  ASSERT_TRUE(PLAT_MakeDirectory("Export"));
  ASSERT_TRUE(vnWRITE_POW("Export/Figure.pow", vnMODELS_Figure()));
  int32_t slot = -1;
  ASSERT_EQ(SPW_LoadObjectFile("Export/Figure.pow", nullptr, &slot, 1.0f, 0), 1);
  const SPW_TRANSFORM origin{{0, 0, 0}, {0, 0, 0, 1}, 1};
  SPW_DOBJECT* body = SPW_CreateDynamicObject(world->scene(), slot, nullptr, 0, &origin, 0);
  ASSERT_NE(body, nullptr);
  VNUNIT* u = world->Create(kWalker, world->Human(), {5.0f, 15.0f, kGround + 10.0f});
  ASSERT_NE(u, nullptr);
  ASSERT_EQ(vnUNIT_AddObject(u, body), 1);
  const SPW_VECTOR goal{35.0f, 15.0f, kGround};
  ASSERT_EQ(SGE_Send(u->pMover, SGM_MOVER_GOTO, SGE_PtrParam(&goal), 0), 1);

  float x = u->pMove->vPos.x;
  for (int32_t i = 0; i < 3; ++i) {
    SGE_Send(u->pMover, SGM_MOVER_STEP, 0, 0);
    EXPECT_GT(u->pMove->vPos.x, x) << i;
    x = u->pMove->vPos.x;
    EXPECT_EQ(body->t.vPos.x, u->pMove->vPos.x) << i;
    EXPECT_EQ(body->t.vPos.y, u->pMove->vPos.y) << i;
    EXPECT_FLOAT_EQ(body->t.vPos.z, kGround) << i << ": on the ground, not at the unit's height";
  }

  // A body its controller holds off the ground stays where the controller put it.
  u->pMove->dwFlags |= VNMOVER_F_LIFTED;
  const SPW_VECTOR held = body->t.vPos;
  SGE_Send(u->pMover, SGM_MOVER_STEP, 0, 0);
  EXPECT_GT(u->pMove->vPos.x, x);
  EXPECT_EQ(body->t.vPos.x, held.x);
  EXPECT_EQ(body->t.vPos.z, held.z);
  vnUNIT_DestroyObjects(u);
  SPW_ReleaseObjectTypes();
}

}  // namespace
