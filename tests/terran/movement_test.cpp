// Flight plans, the jump-jet gauge and the small movement tests, at a fixed frame time.
#include <gtest/gtest.h>

#include "terran/movement.h"
#include "terran/terunit.h"
#include "tests/world/support/testworld.h"
#include "world/unittype/unittype.h"

namespace {

TEST(FlightPlan, ThreeSecondsFallAtGravityOverOnePointTwo) {
  VNTERUNIT_FLIGHT f;
  ASSERT_EQ(vnTERUNIT_PlanFlight({0, 0, 0}, {90, 0, 6}, &f), 1);
  EXPECT_FLOAT_EQ(f.time, 3.0f);
  EXPECT_FLOAT_EQ(f.gravity, -9.8f / 1.2f);
  EXPECT_FLOAT_EQ(f.velocity.x, 30.0f);
  EXPECT_FLOAT_EQ(f.velocity.y, 0.0f);
  // Lands where it was aimed.
  const SPW_VECTOR end = vnTERUNIT_FlightPoint({0, 0, 0}, f, f.time);
  EXPECT_NEAR(end.x, 90.0f, 1e-3f);
  EXPECT_NEAR(end.z, 6.0f, 1e-3f);
}

TEST(FlightPlan, ShortFlightsFallSteeply) {
  VNTERUNIT_FLIGHT f;
  ASSERT_EQ(vnTERUNIT_PlanFlight({0, 0, 0}, {0, 30, 0}, &f), 1);
  EXPECT_FLOAT_EQ(f.time, 1.0f);
  EXPECT_FLOAT_EQ(f.gravity, -39.2f);
  EXPECT_NEAR(vnTERUNIT_FlightPoint({0, 0, 0}, f, f.time).z, 0.0f, 1e-4f);
}

TEST(FlightPlan, ATargetStraightAboveHasNoFlight) {
  VNTERUNIT_FLIGHT f;
  f.time = 7.0f;
  EXPECT_EQ(vnTERUNIT_PlanFlight({5, 5, 0}, {5, 5, 10}, &f), 0);
  EXPECT_EQ(f.time, 0.0f);
  EXPECT_EQ(f.velocity.z, 0.0f) << "no division by a zero flight time";
}

TEST(JumpGauge, FillsDrainsAndCapsByTier) {
  vnworld::FrameClock clock(0.1f);
  struct Case {
    int32_t tier;
    float start;
    float afterRecharge;
    float afterDrain;  // from start
    float fraction;    // of start
  };
  const Case cases[] = {
      {VNTERUNIT_TIER_BASIC, 100.0f, 104.1666668f, 97.0f, 0.4f},
      {VNTERUNIT_TIER_BASIC, 249.0f, 250.0f, 246.0f, 0.996f},
      {VNTERUNIT_TIER_BASIC, 250.0f, 250.0f, 247.0f, 1.0f},
      {VNTERUNIT_TIER_ADVANCED, 100.0f, 101.25f, 97.0f, 100.0f / 150.0f},
      {VNTERUNIT_TIER_ADVANCED, 150.0f, 150.0f, 147.0f, 1.0f},
      {VNTERUNIT_TIER_ADVANCED, 1.0f, 2.25f, 0.0f, 1.0f / 150.0f},
      {VNTERUNIT_TIER_OTHER, -1.0f, -1.0f, -1.0f, -1.0f},
  };
  for (const Case& c : cases) {
    float e = c.start;
    vnTERUNIT_RechargeJump(&e, c.tier);
    EXPECT_NEAR(e, c.afterRecharge, 1e-3f) << c.tier << " " << c.start;
    e = c.start;
    vnTERUNIT_DrainJump(&e, c.tier);
    EXPECT_NEAR(e, c.afterDrain, 1e-3f) << c.tier << " " << c.start;
    EXPECT_NEAR(vnTERUNIT_JumpFraction(c.start, c.tier), c.fraction, 1e-5f) << c.tier;
  }
}

TEST(JumpGauge, StartsFullForJumpSuitsAndEngineers) {
  struct Case {
    int32_t type;
    float energy;
    int32_t jets;
    int32_t dome;
  };
  const Case cases[] = {
      {VN_UNIT_TYPE_SUIT_COMMAND_0, 250.0f, 1, 1},
      {VN_UNIT_TYPE_SUIT_COMMAND_1_FEM, 150.0f, 1, 1},
      {VN_UNIT_TYPE_SUIT_COMMAND_2, -1.0f, 0, 0},
      {VN_UNIT_TYPE_SUIT_BRAKKAR_0, 250.0f, 1, 0},
      {VN_UNIT_TYPE_SUIT_SCOUT_1, 150.0f, 1, 0},
      {VN_UNIT_TYPE_TERRAN_COMBATENG, 250.0f, 0, 0},
      {VN_UNIT_TYPE_TERRAN_ZR_0, -1.0f, 0, 0},
      {VN_UNIT_TYPE_TERRAN_CIVILIAN, -1.0f, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(vnTERUNIT_JumpEnergyOf(c.type), c.energy) << c.type;
    EXPECT_EQ(vnTERUNIT_HasJumpJets(c.type), c.jets) << c.type;
    EXPECT_EQ(vnTERUNIT_CanJumpTo(c.type, nullptr), c.jets) << c.type;
    EXPECT_EQ(vnTERUNIT_HasDome(c.type), c.dome) << c.type;
  }
}

TEST(Distances, EngageRangeIsStrictlyInsideSevenAndAHalf) {
  EXPECT_EQ(vnTERUNIT_IsWithinEngageRange({0, 0, 0}, {7.49f, 0, 0}), 1);
  EXPECT_EQ(vnTERUNIT_IsWithinEngageRange({0, 0, 0}, {7.5f, 0, 0}), 0);
  EXPECT_EQ(vnTERUNIT_IsWithinEngageRange({0, 0, 0}, {0, 0, 7.49f}), 1) << "counts height";
  EXPECT_FLOAT_EQ(vnTERUNIT_Distance2D({1, 1, 50}, {4, 5, -50}), 5.0f);
  EXPECT_NEAR(vnTERUNIT_KmhToMs(36.0f), 10.0f, 1e-5f);
}

}  // namespace
