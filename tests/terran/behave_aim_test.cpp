// Aiming at 0.1 s a frame: the torso within its cone, a lob's launch, a manned gun turned toward
// the nearest enemy, and the fade the attackers drive.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "terran/behave.h"
#include "terran/orders.h"
#include "tests/terran/protocol_fixture.h"
#include "world/fobj/twingun.h"
#include "world/unittype/attributes.h"
#include "world/unittype/unittype.h"

namespace {

using soldiertest::kFrame;
using soldiertest::kSoldier;
using vnworld::Row;

constexpr float kLimit = 1.0471976f;     // pi/3
constexpr float kCone = 0.5f;             // cos(pi/3)
constexpr float kStep = 5.0f * kFrame;    // the torso's turn in one frame

struct AIMCASE {
  const char* name;
  SPW_VECTOR toTarget;
  float yaw;          // after one call
  int32_t aims;
  float bodyTurn;
  int32_t pitchLimited;
};

TEST(TorsoAim, TheTorsoTurnsOnlyInsideItsConeAndTheBodyFollowsNearItsEdge) {
  vnworld::TestWorld w;
  vnworld::FrameClock clock{kFrame};
  w.RunFrames(1);
  const SPW_VECTOR north{0.0f, 1.0f, 0.0f};
  const AIMCASE cases[] = {
      {"straight ahead", {0.0f, 10.0f, 0.0f}, 0.0f, 1, 0.0f, 0},
      {"a little left: the whole small turn", {-1.0f, 10.0f, 0.0f}, 0.0996687f, 1, 0.0f, 0},
      {"50 degrees left: one frame's turn, the body too",
       {-7.660444f, 6.427876f, 0.0f}, kStep, 1, kStep, 0},
      {"behind: nothing turns, the body must", {0.0f, -10.0f, 0.0f}, 0.0f, 0, kStep, 0},
      {"straight up: the pitch stops at its limit", {0.0f, 0.1f, 10.0f}, 0.0f, 1, 0.0f, 1},
  };
  for (const AIMCASE& c : cases) {
    SPW_VECTOR angles{};
    VNTERUNIT_AIMOUT out{};
    EXPECT_EQ(vnTERUNIT_AimUpperBody(&angles, north, c.toTarget, nullptr, kLimit, kCone, &out),
              c.aims)
        << c.name;
    EXPECT_NEAR(angles.z, c.yaw, 1e-4f) << c.name;
    EXPECT_NEAR(std::fabs(out.bodyTurn), c.bodyTurn, 1e-4f) << c.name;
    EXPECT_EQ(out.pitchLimited, c.pitchLimited) << c.name;
    EXPECT_LE(std::fabs(angles.x), kLimit) << c.name;
  }
  // Toward a given pitch the torso moves 0.05 a call.
  SPW_VECTOR angles{};
  VNTERUNIT_AIMOUT out{};
  const float pitch = 0.3f;
  vnTERUNIT_AimUpperBody(&angles, north, {0.0f, 10.0f, 0.0f}, &pitch, kLimit, kCone, &out);
  EXPECT_NEAR(angles.x, 0.05f, 1e-6f);
}

class SoldierAim : public soldiertest::SoldierTest {
 protected:
  void SetUp() override {
    VNWRITE_UNITATTR soldier = Row(VN_UNIT_TYPE_TERRAN_ZR_0, kSoldier);
    soldier.floats[VN_ATTR_RANGE - 11] = 50.0f;
    Start({soldier, Row(VN_UNIT_TYPE_WEAPON_TWIN50, VNUNIT_F_WEAPON),
           Row(VN_UNIT_TYPE_BUG_WARRIOR, 0)},
          {VNTT_WEAPON_TWINGUN, VNTT_BUG_WARRIOR});
    s = Spawn(VN_UNIT_TYPE_TERRAN_ZR_0, {10, 10, 0});
    ASSERT_NE(s, nullptr);
    gun = world.Create(VN_UNIT_TYPE_WEAPON_TWIN50, world.Human(), {10, 12, 0});
    ASSERT_NE(gun, nullptr);
    world.SetHook([this](VNUNIT* u, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) -> SGE_RESULT {
      if (u != gun) return -1;
      switch (msg) {
        case SGM_TWINGUN_SEAT_DIRECTION:
          *SGE_ParamPtr<SPW_VECTOR>(p1) = {std::cos(gunYaw), std::sin(gunYaw), 0.0f};
          return 1;
        case SGM_TWINGUN_CAN_SEE: return 1;
        case SGM_TWINGUN_TURN: turns.push_back(*SGE_ParamPtr<float>(p1)); return 0;
        case SGM_TWINGUN_LOCK_ON: lockedOn = static_cast<int32_t>(p1); (void)p2; return 1;
        default: return -1;
      }
    });
    order = vnTERUNIT_MakeOrder(VNTERUNIT_ORDER_TURRET);
    order.anWord[VNTERUNIT_ORDER_WORD_TARGET] = static_cast<int32_t>(gun->dwId);
  }
  VNTERUNIT* s = nullptr;
  VNUNIT* gun = nullptr;
  VNORDER order{};
  float gunYaw = 0.0f;  // east
  std::vector<float> turns;
  int32_t lockedOn = 0;
};

TEST_F(SoldierAim, AGunnerTurnsTheGunARadianASecondAndLocksItOnWithinADegree) {
  EXPECT_EQ(vnTERUNIT_AimTurret(s, &order), nullptr) << "no enemy";
  VNUNIT* bug = world.Create(VN_UNIT_TYPE_BUG_WARRIOR, world.Computer(), {10, 40, 0});
  ASSERT_NE(bug, nullptr);
  EXPECT_EQ(vnTERUNIT_AimTurret(s, &order), bug);
  ASSERT_EQ(turns.size(), 1u);
  EXPECT_NEAR(turns[0], kFrame, 1e-6f) << "a quarter turn to the north, one frame of it";
  EXPECT_EQ(s->subState, 1);
  EXPECT_EQ(lockedOn, 0);
  gunYaw = std::atan2(40.0f - 12.0f, 0.0f) - 0.01f;  // within a degree
  vnTERUNIT_AimTurret(s, &order);
  EXPECT_EQ(lockedOn, static_cast<int32_t>(bug->dwId));
  EXPECT_EQ(turns.size(), 1u);
  // Beyond the soldier's range of 50 the bug is no target.
  world.Place(bug, {10, 80, 0});
  EXPECT_EQ(vnTERUNIT_AimTurret(s, &order), nullptr);
}

TEST_F(SoldierAim, ALobStraightUpHasNoFlightTimeAndIsNotThrown) {
  VNTERUNIT_FLIGHT flight{};
  const SPW_VECTOR above{10.0f, 10.0f, 30.0f};
  EXPECT_EQ(vnTERUNIT_ComputeLobVelocity(s->unit, &above, 0, &flight), 0);
  EXPECT_TRUE(std::isfinite(flight.velocity.x) && std::isfinite(flight.velocity.z));
  const SPW_VECTOR far{100.0f, 10.0f, 0.0f};
  ASSERT_EQ(vnTERUNIT_ComputeLobVelocity(s->unit, &far, 1, &flight), 1);
  EXPECT_NEAR(flight.time, 3.0f, 1e-5f);
  EXPECT_NEAR(flight.gravity, -9.8f / 1.2f, 1e-4f);
  EXPECT_NEAR(flight.velocity.x, 30.0f, 1e-4f);
}

TEST_F(SoldierAim, AFadeRunsAUnitASecondAndEndsOpaqueAboveNinetyNineHundredths) {
  SPW_DOBJECT model{};
  s->fadeLevel = 0.4f;
  s->fadeTarget = 1.0f;
  s->stateFlags |= VNTERUNIT_SF_FADING;
  model.fFlags |= SPW_DOBJ_OWN_COLOUR;
  for (int32_t i = 0; i < 5; ++i) vnTERUNIT_UpdateFade(s, &model);
  EXPECT_NEAR(s->fadeLevel, 0.9f, 1e-5f);
  EXPECT_NEAR(model.colourA.a, 0.9f * 255.0f, 1e-3f);
  EXPECT_TRUE(model.fFlags & SPW_DOBJ_OWN_COLOUR);
  vnTERUNIT_UpdateFade(s, &model);
  EXPECT_EQ(s->fadeLevel, 1.0f);
  EXPECT_FALSE(s->stateFlags & VNTERUNIT_SF_FADING);
  EXPECT_FALSE(model.fFlags & SPW_DOBJ_OWN_COLOUR);
}

}  // namespace
