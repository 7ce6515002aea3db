// The damage rule of a single hit: falloff, modifiers, divisor, armour, refusals and the record
// the target's controller gets.
#include <cmath>

#include "tests/world/combat/combat_fixture.h"

namespace ct {
namespace {

using DamageTest = CombatTest;

TEST_F(DamageTest, DistanceFallsOffToHalfAtRangeAndIsClampedBeyondIt) {
  struct Case {
    float range, distance, health;
  } cases[] = {
      {40, 0, -100}, {40, 20, -75}, {40, 40, -50}, {40, 60, -50}, {0, 500, -100},
  };
  for (const Case& c : cases) {
    VNUNIT* w = Weapon(-100, 0, c.range);
    VNUNIT* t = Unit(kTargetType, 0);
    SetHealthArmour(t, 1000, 0);
    vnInflictDamage(w, t, c.distance, nullptr, nullptr, nullptr);
    EXPECT_FLOAT_EQ(Health(t), 1000 + c.health) << "range " << c.range << " at " << c.distance;
  }
}

TEST_F(DamageTest, TheRecordCarriesScaledDeltasImpulseAndSource) {
  VNUNIT* w = Weapon(-80, -6, 40, 2, 10, VNUNIT_F_WEAPON | VNUNIT_F_IMPULSE_PAIR);
  w->vPos = {0, 0, 0};
  VNUNIT* t = Unit(kModifiedTarget, VNUNIT_F_IMPULSE_PAIR, {3, 4, 0});
  SetHealthArmour(t, 1000, 0);
  answers[{t, SGM_UNIT_DAMAGED}] = 77;
  EXPECT_EQ(vnInflictDamage(w, t, 40, nullptr, nullptr, nullptr), 77);
  const auto got = Got(t, SGM_UNIT_DAMAGED);
  ASSERT_EQ(got.size(), 1u);
  const VNDAMAGE& d = got[0].damage;
  EXPECT_EQ(got[0].p1, static_cast<SGE_PARAM>(w->dwId));
  // Modifier 2, half at full range, divided by 2.
  EXPECT_FLOAT_EQ(d.fHealth, -40);
  EXPECT_FLOAT_EQ(d.fArmour, -3);
  EXPECT_EQ(d.nFlag, 1);
  EXPECT_FLOAT_EQ(d.vHit.x, 3);  // the target's position without a hit point
  EXPECT_FLOAT_EQ(d.vDir.x, 0.6f);
  EXPECT_FLOAT_EQ(d.vDir.y, 0.8f);
  EXPECT_FLOAT_EQ(d.vImpulse.x, 0.5f * 10 * 0.6f);
  EXPECT_EQ(d.nSourceType, kWeaponType);
  EXPECT_EQ(d.dwSourceFlags, w->dwFlags);
  EXPECT_FLOAT_EQ(Health(t), 960);
}

TEST_F(DamageTest, AGivenDirectionIsTakenAsItIs) {
  VNUNIT* w = Weapon(-10, 0, 0, 1, 4);
  VNUNIT* t = Unit(kTargetType, 0, {5, 0, 0});
  const SPW_VECTOR hit{1, 2, 3}, dir{0, 0, 2};
  vnInflictDamage(w, t, 0, &hit, &dir, nullptr);
  const VNDAMAGE d = Got(t, SGM_UNIT_DAMAGED).at(0).damage;
  EXPECT_FLOAT_EQ(d.vHit.z, 3);
  EXPECT_FLOAT_EQ(d.vDir.z, 2);
  EXPECT_FLOAT_EQ(d.vImpulse.z, 8);
  EXPECT_EQ(d.nFlag, 0);
}

TEST_F(DamageTest, WithoutADivisorTheAmountsArePerSecond) {
  VNUNIT* w = Weapon(-90, -30, 0, 0);
  VNUNIT* t = Unit(kTargetType, 0);
  vnInflictDamage(w, t, 0, nullptr, nullptr, nullptr);
  const VNDAMAGE d = Got(t, SGM_UNIT_DAMAGED).at(0).damage;
  EXPECT_FLOAT_EQ(d.fHealth, -90 * SGE_GetFrameTime());
  EXPECT_FLOAT_EQ(d.fArmour, -30 * SGE_GetFrameTime());
  // Flag 0x100 takes the amounts as they are, divisor or not.
  VNUNIT* stamp = Weapon(-90, 0, 0, 4, 0, VNUNIT_F_WEAPON | VNUNIT_F_NODAMAGE_STAMP);
  vnInflictDamage(stamp, t, 0, nullptr, nullptr, nullptr);
  EXPECT_FLOAT_EQ(Got(t, SGM_UNIT_DAMAGED).at(1).damage.fHealth, -90);
}

TEST_F(DamageTest, RefusedHitsDealNothingAndTellNobody) {
  VNUNIT* w = Weapon(-10, 0);
  VNUNIT* plain = Unit(kTargetType, 0);
  VNUNIT* invulnerable = Unit(kTargetType, 0);
  answers[{invulnerable, SGM_UNIT_IS_INVULNERABLE}] = 1;
  VNUNIT* projectile = Unit(kTargetType, VNUNIT_F_PROJECTILE);
  VNUNIT* noController = Unit(kTargetType, 0);
  noController->pController = nullptr;
  VNUNIT* soldierSource = Unit(kWeaponType, VNUNIT_F_SOLDIER);
  struct Case {
    const char* name;
    VNUNIT* source;
    VNUNIT* target;
  } cases[] = {{"invulnerable", w, invulnerable},
               {"projectile target", w, projectile},
               {"no controller", w, noController},
               {"source not a weapon", soldierSource, plain}};
  for (const Case& c : cases) {
    SetHealthArmour(c.target, 100, 0);
    vntest::TraceCapture trace;
    EXPECT_EQ(vnInflictDamage(c.source, c.target, 0, nullptr, nullptr, nullptr), 0) << c.name;
    EXPECT_FLOAT_EQ(Health(c.target), 100) << c.name;
    EXPECT_TRUE(Got(c.target, SGM_UNIT_DAMAGED).empty()) << c.name;
    if (c.source == soldierSource) {
      EXPECT_TRUE(trace.contains(
          "[InflictDamage] Source unit is not a weapon or projectile [type->60]"));
    }
  }
}

TEST_F(DamageTest, ArmourShieldsHealthUntilItIsGone) {
  struct Case {
    const char* name;
    float health, armour, dHealth, dArmour;
    int32_t flag;
    float wantHealth, wantArmour;
  } cases[] = {
      {"armour absorbs", 100, 10, -30, -4, 0, 100, 6},
      {"armour broken", 100, 10, -30, -15, 0, 70, 0},
      {"armour exactly gone", 100, 10, -30, -10, 0, 70, 0},
      {"no armour change: no health change", 100, 10, -30, 0, 0, 100, 10},
      {"no armour: health takes it", 100, 0, -30, -5, 0, 70, 0},
      {"health stops at 0", 20, 0, -30, 0, 0, 0, 0},
      // An armour gain passes the health change on unscaled: a repair repairs.
      {"repair with armour", 50, 10, 25, 5, 0, 75, 15},
      {"damage with an armour gain", 50, 10, -20, 5, 0, 30, 15},
      {"armour gain with the flag", 50, 10, 25, 5, 1, 50, 15},
  };
  for (const Case& c : cases) {
    VNUNIT* u = Unit(kTargetType, 0);
    SetHealthArmour(u, c.health, c.armour);
    VNDAMAGE d{};
    d.fHealth = c.dHealth;
    d.fArmour = c.dArmour;
    vnUNIT_ApplyDamage(u, &d, c.flag);
    EXPECT_FLOAT_EQ(Health(u), c.wantHealth) << c.name;
    EXPECT_FLOAT_EQ(Armour(u), c.wantArmour) << c.name;
  }
}

TEST_F(DamageTest, TheWeaponModifierScalesBothDeltas) {
  VNUNIT* w = Weapon(-10, -2);
  VNUNIT* plain = Unit(kTargetType, 0);
  VNUNIT* modified = Unit(kModifiedTarget, 0);
  vnInflictDamage(w, plain, 0, nullptr, nullptr, nullptr);
  vnInflictDamage(w, modified, 0, nullptr, nullptr, nullptr);
  EXPECT_FLOAT_EQ(Got(plain, SGM_UNIT_DAMAGED).at(0).damage.fHealth, -10);
  EXPECT_FLOAT_EQ(Got(modified, SGM_UNIT_DAMAGED).at(0).damage.fHealth, -20);
  EXPECT_FLOAT_EQ(Got(modified, SGM_UNIT_DAMAGED).at(0).damage.fArmour, -4);
}

TEST_F(DamageTest, ImpulseIsClampedAndKeptAboveGround) {
  struct Case {
    const char* name;
    SPW_VECTOR v, impulse;
    float divisor, maximum, amount;
    SPW_VECTOR want;
  } cases[] = {
      {"adds impulse x amount / divisor", {1, 0, 0}, {4, 0, 2}, 2, 100, 1, {3, 0, 1}},
      {"downward becomes 0", {0, 0, 0}, {0, 3, -5}, 1, 100, 1, {0, 3, 0}},
      {"speed limited", {0, 0, 0}, {30, 0, 40}, 1, 10, 1, {6, 0, 8}},
  };
  for (const Case& c : cases) {
    SPW_VECTOR v = c.v;
    vnCOMBAT_ApplyImpulse(&v, &c.impulse, c.divisor, c.maximum, c.amount);
    EXPECT_NEAR(v.x, c.want.x, 1e-5) << c.name;
    EXPECT_NEAR(v.y, c.want.y, 1e-5) << c.name;
    EXPECT_NEAR(v.z, c.want.z, 1e-5) << c.name;
  }
}

}  // namespace
}  // namespace ct
