// What a holder carries for its weapon: accepted items and amounts, and the
// target point a weapon aims at.
#include <gtest/gtest.h>

#include "effects/weapon.h"
#include "tests/effects/weapon_fixture.h"

namespace weapontest {
namespace {

TEST_F(WeaponTest, OnlyAnAcceptedItemWithEnoughRoundsServesTheWeapon) {
  EXPECT_EQ(vnWEAPON_Accepts(kRifle, kBullet), 1);
  EXPECT_EQ(vnWEAPON_Accepts(kRifle, VN_UNIT_TYPE_AMMO_GRENADE_0), 0);
  EXPECT_EQ(vnWEAPON_AcceptedItem(soldier, kRifle, kStock), stock);
  EXPECT_EQ(vnWEAPON_AcceptedItem(soldier, kRifle, kStock + 1), nullptr);
  EXPECT_EQ(vnWEAPON_AcceptedItem(soldier, kBug, 0), nullptr);  // a type without a row of links
  EXPECT_EQ(vnWEAPON_FindAmmoItem(soldier, kBullet), stock);
  EXPECT_EQ(vnWEAPON_FindAmmoItem(soldier, VN_UNIT_TYPE_AMMO_GRENADE_0), nullptr);
  EXPECT_EQ(vnWEAPON_FindAmmoItem(nullptr, kBullet), nullptr);
}

TEST_F(WeaponTest, TheAmountCountsTheLoadedRoundOnlyWithTheWeaponGiven) {
  EXPECT_FLOAT_EQ(vnWEAPON_AmmoAmount(soldier, rifle, kBullet), kStock * kRoundAmount);
  ASSERT_NE(vnWEAPON_LoadRound(rifle), nullptr);
  vnWEAPON_UseRound(rifle);  // half of the loaded round is left
  const float left = kRoundAmount + kShotCharge;
  EXPECT_FLOAT_EQ(vnWEAPON_AmmoAmount(soldier, rifle, kBullet), left + (kStock - 1) * kRoundAmount);
  EXPECT_FLOAT_EQ(vnWEAPON_AmmoAmount(soldier, nullptr, kBullet), (kStock - 1) * kRoundAmount);
  EXPECT_FLOAT_EQ(vnWEAPON_AmmoAmount(soldier, rifle, VN_UNIT_TYPE_AMMO_GRENADE_0), left);
}

TEST_F(WeaponTest, ATargetWithoutHitPointsGivesItsOwnAimPointStraightUp) {
  VNUNIT* bug = w.Create(kBug, w.Computer(), {5, 6, 0});
  const SPW_VECTOR shooter{50, 50, 1};
  int32_t node = 4;
  SPW_VECTOR pos{}, dir{};
  EXPECT_EQ(vnWEAPON_GetTargetPoint(bug, &shooter, &node, &pos, &dir), 1);
  EXPECT_EQ(node, -1);
  EXPECT_FLOAT_EQ(pos.x, 5.0f);
  EXPECT_FLOAT_EQ(pos.z, 1.0f);
  EXPECT_FLOAT_EQ(dir.z, 1.0f);
}

TEST(WeaponTypes, MarkOnesAndMissileLaunchers) {
  const struct {
    int32_t type;
    int32_t markOne, launcher;
  } cases[] = {
      {VN_UNIT_TYPE_WEAPON_CHAINCANNON_1, 1, 0},   {VN_UNIT_TYPE_WEAPON_CHAINCANNON_0, 0, 0},
      {VN_UNIT_TYPE_WEAPON_SMARTRIFLE_1, 1, 0},    {VN_UNIT_TYPE_WEAPON_SPECIMENCAPTURE_1, 1, 0},
      {VN_UNIT_TYPE_WEAPON_MISSILE_0, 0, 1},       {VN_UNIT_TYPE_WEAPON_MISSILE_1, 1, 1},
      {VN_UNIT_TYPE_WEAPON_NUKEMISSILE_0, 0, 1},   {VN_UNIT_TYPE_WEAPON_NUKEMISSILE_1, 1, 1},
      {VN_UNIT_TYPE_WEAPON_GRENADE_1, 1, 0},       {VN_UNIT_TYPE_WEAPON_MINE, 0, 0},
      {VN_UNIT_TYPE_WEAPON_PSYCHIC_SIGHT_1, 0, 0}, {VN_UNIT_TYPE_WEAPON_LARVALSPIT_1, 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(vnWEAPON_IsMarkOne(c.type), c.markOne) << c.type;
    EXPECT_EQ(vnWEAPON_IsMissileLauncher(c.type), c.launcher) << c.type;
  }
}

}  // namespace
}  // namespace weapontest
