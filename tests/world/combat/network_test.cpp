// Combat geometry over a path network: scatter stopped by walls, random points of a region; and
// the hit points a unit without a usable model cannot give.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/kernel/tasktypes.h"
#include "platform/random.h"
#include "tests/world/combat/combat_fixture.h"
#include "tests/world/support/testworld.h"
#include "tools/writers/bstar_writer.h"
#include "world/bstar/search.h"
#include "world/combat/combat.h"
#include "world/mover/mover.h"

namespace {

constexpr float kCell = 10.0f;

// Two regions side by side: x 0..20, y 0..10, walled all round.
class CombatNetworkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    world.WriteAttrs({vnworld::Row(VN_UNIT_TYPE_TERRAN_ZR_0, VNUNIT_F_OBSERVABLE)});
    world.WriteNetwork(vnWRITE_BstarGrid(2, 1, kCell, 0.0f));
    ASSERT_TRUE(world.Start());
    ASSERT_EQ(BSTAR_CurrentNetwork, world.network());
  }
  BSTAR_Node* RegionAt(float x, float y) {
    const SPW_VECTOR p{x, y, 0};
    return BSTAR_FindNodeAtPoint(world.network(), &p);
  }

  vnworld::TestWorld world;
};

TEST_F(CombatNetworkTest, ScatterWithoutSpreadGoesStraightAndStopsAtTheWall) {
  BSTAR_Node* start = RegionAt(5, 5);
  ASSERT_NE(start, nullptr);
  const SPW_VECTOR origin{5, 5, 0}, east{1, 0, 0}, north{0, 1, 0};
  SPW_VECTOR out;
  // Through the gate into the next region.
  EXPECT_EQ(vnCOMBAT_ScatterDirection(&origin, &east, 10, 0, VNMOVER_SWEEP_WALLS_AND_GATES, 0.5f,
                                      start, &out),
            RegionAt(15, 5));
  EXPECT_NEAR(out.x, 15, 1e-3f);
  EXPECT_NEAR(out.y, 5, 1e-3f);
  // Into the outer wall: held on this side of it.
  vnCOMBAT_ScatterDirection(&origin, &north, 30, 0, VNMOVER_SWEEP_WALLS_AND_GATES, 0.5f, start,
                            &out);
  EXPECT_LT(out.y, 10.0f);
  EXPECT_GT(out.y, 5.0f);
  EXPECT_EQ(vnCOMBAT_ScatterDirection(&origin, &east, 10, 0, 3, 0.5f, nullptr, &out), nullptr);
}

TEST_F(CombatNetworkTest, ScatterStaysWithinItsSpread) {
  BSTAR_Node* start = RegionAt(5, 5);
  const SPW_VECTOR origin{2, 5, 0}, east{1, 0, 0};
  constexpr float kSpread = 0.3f;
  PLAT_SRand(99);
  for (int i = 0; i < 50; ++i) {
    SPW_VECTOR out;
    vnCOMBAT_ScatterDirection(&origin, &east, 4, kSpread, VNMOVER_SWEEP_WALLS_AND_GATES, 0.1f,
                              start, &out);
    const float angle = std::atan2(out.y - origin.y, out.x - origin.x);
    EXPECT_LE(std::fabs(angle), kSpread + 1e-4f) << i;
    EXPECT_NEAR(std::hypot(out.x - origin.x, out.y - origin.y), 4, 1e-3f) << i;
  }
}

TEST_F(CombatNetworkTest, RandomPointsLieInTheRegionAtItsCentreHeight) {
  BSTAR_Node* region = RegionAt(15, 5);
  ASSERT_NE(region, nullptr);
  PLAT_SRand(7);
  for (int i = 0; i < 50; ++i) {
    SPW_VECTOR p;
    EXPECT_EQ(vnCOMBAT_RandomPointInRegion(region, &p), 1) << i;
    EXPECT_GE(p.x, region->fMinX);
    EXPECT_LE(p.x, region->fMaxX);
    EXPECT_GE(p.y, region->fMinY);
    EXPECT_LE(p.y, region->fMaxY);
    EXPECT_FLOAT_EQ(p.z, region->vCentre.z);
  }
  SPW_VECTOR p;
  EXPECT_EQ(vnCOMBAT_RandomPointInRegion(nullptr, &p), 0);
}

using HitPointTest = ct::CombatTest;

TEST_F(HitPointTest, AClosedBugHoleOrAUnitWithoutAModelHasNoHitPoint) {
  VNUNIT* hole = Unit(VN_UNIT_TYPE_BUGHOLE, 0);
  answers[{hole, SGM_BUGHOLE_IS_CLOSED}] = 1;
  SPW_VECTOR out{};
  EXPECT_EQ(vnCOMBAT_PickRandomHitPoint(hole, nullptr, &out), -1);
  EXPECT_TRUE(Got(hole, SGM_UNIT_GET_OBJECT).empty());
  VNUNIT* plain = Unit(ct::kTargetType, 0);  // its controller answers no object
  EXPECT_EQ(vnCOMBAT_PickRandomHitPoint(plain, nullptr, &out), -1);
  EXPECT_EQ(Got(plain, SGM_UNIT_GET_OBJECT).size(), 1u);
  VNUNIT* noController = Unit(ct::kTargetType, 0);
  noController->pController = nullptr;
  EXPECT_EQ(vnCOMBAT_PickRandomHitPoint(noController, nullptr, &out), -1);
}

}  // namespace
