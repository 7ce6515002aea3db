// Movers of units made by the unit manager in the headless test world: the push between
// overlapping units and the ground height under a unit.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/kernel/frametime.h"
#include "engine/kernel/tasktypes.h"
#include "platform/clock.h"
#include "tests/world/support/testworld.h"
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
    world->WriteAttrs({vnworld::Row(kType, kFlags, {}, 1.0f)});
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

}  // namespace
