// The hit-scan gun classes: a soldier's smart rifle fires at a bug through the real classes.
#include <gtest/gtest.h>

#include "effects/hitscan.h"
#include "effects/weapon.h"
#include "engine/kernel/frametime.h"
#include "platform/clock.h"
#include "tests/effects/weapon_fixture.h"

namespace weapontest {
namespace {

float Health(const VNUNIT* u) { return vnUNIT_AttrFloat(u, VN_ATTR_HEALTH); }

TEST_F(WeaponTest, TheRifleHasItsModelAndAnswersAsALightWeapon) {
  EXPECT_NE(RifleObject(), nullptr);
  EXPECT_EQ(SGE_Send(rifle->pController, SGM_WEAPON_GET_HOLD_KIND, 0, 0), VNWEAPON_HOLD_LIGHT);
  EXPECT_EQ(SGE_Send(rifle->pController, SGM_WEAPON_GET_ROUND_TYPE, 0, 0), VNWEAPON_NO_ROUND);
  EXPECT_EQ(SGE_Send(rifle->pController, SGM_WEAPON_HAS_AMMO, 0, 0), 1);
}

TEST_F(WeaponTest, AShotHitsAtOnceAndPaysWithTheRound) {
  VNUNIT* bug = BugAhead(20.0f);
  EXPECT_EQ(Fire(bug), VNWEAPON_FIRED);
  EXPECT_FLOAT_EQ(Health(bug), 50.0f + kRifleDamage);
  EXPECT_EQ(SGE_Send(rifle->pController, SGM_WEAPON_GET_ROUND_TYPE, 0, 0), kBullet);
  EXPECT_FLOAT_EQ(vnUNIT_AttrFloat(vnWEAPON_FirstRound(rifle), VNAMMO_ATTR_AMOUNT),
                  kRoundAmount + kShotCharge);
  // The shot is reported as a hit, then the credit: no kill yet.
  ASSERT_EQ(credits.size(), 2u);
  EXPECT_EQ(credits[0].nHits, 1);
  EXPECT_EQ(credits[1].nKills, 0);
  EXPECT_EQ(credits[1].nPoints, 0);
}

uint32_t g_clockMs = 0;
uint32_t Clock() { return g_clockMs; }

TEST_F(WeaponTest, TheNextShotWaitsForTheInterval) {
  PLAT_SetClockOverride(Clock);
  g_clockMs = 100000;
  for (int i = 0; i < 4; ++i) {  // frames of 0.4 s from here on
    g_clockMs += 400;
    SGE_UpdateFrameTiming();
  }
  VNUNIT* bug = BugAhead(20.0f);
  ASSERT_EQ(Fire(bug), VNWEAPON_FIRED);
  const struct {
    int32_t reasons;
    float health;
  } frames[] = {{VNWEAPON_NOT_READY, 20.0f}, {VNWEAPON_NOT_READY, 20.0f}, {VNWEAPON_FIRED, 0.0f}};
  for (const auto& f : frames) {
    SGE_Send(rifle->pController, SGM_UNIT_UPDATE, 0, 0);
    EXPECT_EQ(Fire(bug), f.reasons);
    EXPECT_FLOAT_EQ(Health(bug), f.health);
  }
  PLAT_SetClockOverride(nullptr);
}

TEST_F(WeaponTest, AKillIsCreditedWithTheVictimsPoints) {
  VNUNIT* bug = BugAhead(20.0f);
  vnUNIT_SetAttrFloat(bug, VN_ATTR_HEALTH, 10.0f);
  ASSERT_EQ(Fire(bug), VNWEAPON_FIRED);
  ASSERT_EQ(credits.size(), 2u);
  EXPECT_EQ(credits[1].nKills, 1);
  EXPECT_EQ(credits[1].nPoints, kBugPoints);
}

TEST_F(WeaponTest, RefusedShotsCostNothing) {
  VNUNIT* far = BugAhead(kRange + 5.0f);
  EXPECT_EQ(Fire(far), VNWEAPON_OUT_OF_RANGE);
  VNUNIT* near = BugAhead(0.5f);
  EXPECT_EQ(Fire(near), VNWEAPON_TOO_CLOSE);
  EXPECT_FLOAT_EQ(Health(far), 50.0f);
  EXPECT_FLOAT_EQ(Health(near), 50.0f);
  EXPECT_FLOAT_EQ(vnUNIT_AttrFloat(vnWEAPON_FirstRound(rifle), VNAMMO_ATTR_AMOUNT), kRoundAmount);
}

TEST_F(WeaponTest, AnEmptyRifleSaysSoAndAModelLessOneCannotFire) {
  stock->adwAttr[VNAMMO_ATTR_COUNT] = 0;
  VNUNIT* bug = BugAhead(20.0f);
  EXPECT_EQ(Fire(bug), VNWEAPON_NO_AMMO);
  EXPECT_EQ(SGE_Send(rifle->pController, SGM_WEAPON_HAS_AMMO, 0, 0), 0);
  SGE_TaskData<VNHITSCAN>(rifle->pController)->pObject = nullptr;
  EXPECT_EQ(Fire(bug), VNWEAPON_CANNOT_FIRE);
  EXPECT_EQ(Fire(nullptr), VNWEAPON_CANNOT_FIRE);
}

TEST_F(WeaponTest, FiringAtAPointUsesTheSameCheck) {
  SPW_VECTOR muzzle, axis;
  Muzzle(&muzzle, &axis);
  const SPW_VECTOR point{muzzle.x + axis.x * 10, muzzle.y + axis.y * 10, muzzle.z + axis.z * 10};
  EXPECT_EQ(SGE_Send(rifle->pController, SGM_WEAPON_FIRE_AT_POINT, SGE_PtrParam(&point), 0),
            VNWEAPON_FIRED);
  EXPECT_EQ(SGE_Send(rifle->pController, SGM_WEAPON_FIRE_ALTERNATE, SGE_PtrParam(&point), 0),
            VNWEAPON_NOT_READY);
}

}  // namespace
}  // namespace weapontest
