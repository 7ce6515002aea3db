// Kill credit, locator points and who may hold which weapon.
#include <gtest/gtest.h>

#include "effects/weapon.h"
#include "tests/effects/weapon_fixture.h"

namespace weapontest {
namespace {

TEST_F(WeaponTest, KillsAreWorthTheVictimsPointsWithTheWeaponsExceptions) {
  VNUNIT* bug = w.Create(kBug, w.Computer(), {5, 5, 0});
  const struct {
    const char* what;
    int32_t weapon;
    int32_t victimType;
    bool victim;
    VNWEAPON_CREDIT expected;
  } cases[] = {
      {"a rifle's kill", kRifle, kBug, true, {{0, 0}, 0, 0, 1, kBugPoints, 0, 0}},
      {"a twin gun's kill, a tenth truncated", VN_UNIT_TYPE_WEAPON_TWIN50, kBug, true,
       {{0, 0}, 0, 0, 1, kBugPoints / 10, 0, 0}},
      {"a sniper's Cortex, whatever its row", VN_UNIT_TYPE_WEAPON_SNIPER, VN_UNIT_TYPE_BUG_CORTEX,
       true, {{0, 0}, 0, 0, 1, VNWEAPON_SNIPER_CORTEX_POINTS, 0, 0}},
      {"a bug hole", kRifle, VN_UNIT_TYPE_PE_BUGHOLE, true, {{0, 0}, 1, 0, 0, 0, 0, 0}},
      {"a victim of type 0, without points", kRifle, 0, true, {{0, 0}, 0, 0, 1, 0, 0, 0}},
      {"no victim", kRifle, kBug, false, {}},
  };
  for (const auto& c : cases) {
    credits.clear();
    vnWEAPON_CreditKill(rifle, c.victim ? bug : nullptr, c.weapon, c.victimType,
                        VNWEAPON_CREDIT_HOLDER);
    ASSERT_EQ(credits.size(), 1u) << c.what;
    EXPECT_EQ(credits[0].nBugHoles, c.expected.nBugHoles) << c.what;
    EXPECT_EQ(credits[0].nKills, c.expected.nKills) << c.what;
    EXPECT_EQ(credits[0].nPoints, c.expected.nPoints) << c.what;
  }
}

TEST_F(WeaponTest, CreditGoesToTheHolderOrTheUnitGivenAndNowhereElse) {
  VNUNIT* bug = w.Create(kBug, w.Computer(), {5, 5, 0});
  vnWEAPON_CreditKill(soldier, bug, kRifle, kBug, VNWEAPON_CREDIT_UNIT);
  EXPECT_EQ(credits.size(), 1u);
  vnWEAPON_CreditKill(soldier, bug, kRifle, kBug, VNWEAPON_CREDIT_HOLDER);  // he has no holder
  vnWEAPON_CreditKill(rifle, bug, kRifle, kBug, 2);
  EXPECT_EQ(credits.size(), 1u);
}

TEST_F(WeaponTest, ALocatorFallsBackToTheUnitsOwnAimPoint) {
  VNUNIT* bug = w.Create(kBug, w.Computer(), {5, 6, 0});
  SPW_VECTOR pos{}, dir{};
  int32_t node = 3;  // the bug has no model
  EXPECT_EQ(vnWEAPON_GetLocatorMatrix(bug, &node, &pos, &dir), 0);
  EXPECT_EQ(node, -1);
  EXPECT_FLOAT_EQ(pos.z, 1.0f);
  EXPECT_EQ(vnWEAPON_GetLocator(bug, &node, &pos, &dir), 0);
  EXPECT_FLOAT_EQ(dir.z, 1.0f);
  // The rifle's own model has nodes: node 0 is found.
  node = 0;
  EXPECT_EQ(vnWEAPON_GetLocator(rifle, &node, &pos, &dir), 1);
  EXPECT_EQ(node, 0);
}

TEST(WeaponUse, WhoMayHoldWhat) {
  const struct {
    int32_t soldier, slot, weapon, allowed;
  } cases[] = {
      {VN_UNIT_TYPE_TERRAN_COMBATENG, 0, VN_UNIT_TYPE_WEAPON_MINE, 1},
      {VN_UNIT_TYPE_TERRAN_COMBATENG_FEM, 0, VN_UNIT_TYPE_WEAPON_MINE, 0},
      {VN_UNIT_TYPE_SUIT_BRAKKAR_0, 0, VN_UNIT_TYPE_WEAPON_MISSILE_0, 1},
      {VN_UNIT_TYPE_SUIT_BRAKKAR_0, 3, VN_UNIT_TYPE_WEAPON_MISSILE_0, 1},
      {VN_UNIT_TYPE_SUIT_BRAKKAR_0, 1, VN_UNIT_TYPE_WEAPON_SMARTRIFLE_0, 0},
      {VN_UNIT_TYPE_SUIT_SCOUT_0_FEM, 2, VN_UNIT_TYPE_WEAPON_SMARTRIFLE_0, 0},
      {VN_UNIT_TYPE_SUIT_BRAKKAR_1, 0, VN_UNIT_TYPE_WEAPON_MISSILE_0, 0},
      {VN_UNIT_TYPE_SUIT_BRAKKAR_1, 3, VN_UNIT_TYPE_WEAPON_NUKEMISSILE_1, 0},
      {VN_UNIT_TYPE_SUIT_COMMAND_1_FEM, 1, VN_UNIT_TYPE_WEAPON_CHAINCANNON_0, 1},
      {VN_UNIT_TYPE_TERRAN_ZOMBIE, 0, VN_UNIT_TYPE_WEAPON_SMARTRIFLE_0, 0},
      {VN_UNIT_TYPE_TERRAN_ZOMBIE_ACTIVE, 0, VN_UNIT_TYPE_WEAPON_SMARTRIFLE_0, 1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(vnWEAPON_UnitCanUse(c.soldier, c.slot, c.weapon), c.allowed)
        << c.soldier << " slot " << c.slot << " weapon " << c.weapon;
}

}  // namespace
}  // namespace weapontest
