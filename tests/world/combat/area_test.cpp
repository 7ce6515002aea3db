// What goes through the running unit manager: its immunity mode, area damage and type removal
// through its spatial grid.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>

#include "engine/kernel/tasktypes.h"
#include "tests/world/support/testworld.h"
#include "world/combat/combat.h"

namespace {

constexpr int32_t kSoldier = VN_UNIT_TYPE_TERRAN_ZR_0;
constexpr int32_t kOtherSoldier = VN_UNIT_TYPE_TERRAN_COMMS;  // the same class
constexpr int32_t kRifle = VN_UNIT_TYPE_WEAPON_SMARTRIFLE_0;
constexpr uint32_t kTargetFlags = VNUNIT_F_SOLDIER | VNUNIT_F_OBSERVABLE;

// A stand-in gib service: the effect messages it gets, with copies of their records.
constexpr int32_t kGibsType = 497;
struct GibMessage {
  int32_t msg;
  VNDAMAGE_EFFECT effect;
  const float* radius;
};
std::vector<GibMessage> g_gibs;
SGE_RESULT GibRecorder(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  if (msg < SGM_KERNEL_BAND_END) return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
  g_gibs.push_back({msg, *SGE_ParamPtr<const VNDAMAGE_EFFECT>(p1),
                    SGE_ParamPtr<const float>(p2)});
  return 0;
}

class ManagedCombatTest : public ::testing::Test {
 protected:
  void SetUp() override {
    world.WriteAttrs({vnworld::Row(kSoldier, kTargetFlags), vnworld::Row(kOtherSoldier, kTargetFlags),
                      vnworld::Row(kRifle, VNUNIT_F_WEAPON)});
    world.RegisterRecorder(VNTT_TERRAN_INFANTRY);
    world.RegisterRecorder(VNTT_WEAPON_SMARTRIFLE);
    world.SetHook([this](VNUNIT* unit, int32_t msg, SGE_PARAM, SGE_PARAM p2) -> int32_t {
      if (msg == SGM_UNIT_DAMAGED) damaged[unit] = *SGE_ParamPtr<const VNDAMAGE>(p2);
      if (msg == SGM_UNIT_IS_DEAD) return unit == dead ? 1 : 0;
      return -1;
    });
    ASSERT_TRUE(world.Start());
    ASSERT_NE(world.state()->pGrid, nullptr);
  }
  VNUNIT* At(int32_t type, SPW_VECTOR pos) {
    VNUNIT* u = world.Create(type, world.Human(), pos);
    EXPECT_NE(u, nullptr);
    if (u) world.Place(u, pos);
    return u;
  }
  static float Health(const VNUNIT* u) { return vnUNIT_AttrFloat(u, VN_ATTR_HEALTH); }
  VNUNIT* Rifle(float health) {
    VNUNIT* rifle = At(kRifle, {10, 10, 0});
    vnUNIT_SetAttrFloat(rifle, VN_ATTR_HEALTH, health);
    vnUNIT_SetAttrFloat(rifle, VN_ATTR_DIVISOR, 1);
    return rifle;
  }

  vnworld::TestWorld world;
  std::map<const VNUNIT*, VNDAMAGE> damaged;
  const VNUNIT* dead = nullptr;
};

TEST_F(ManagedCombatTest, AnImmuneSoldierTakesNoDamageButIsTold) {
  VNUNIT* rifle = Rifle(-30);
  VNUNIT* soldier = At(kSoldier, {12, 10, 0});
  world.state()->dwMode |= VNUNITMAN_MODE_IMMUNE1;
  vnInflictDamage(rifle, soldier, 0, nullptr, nullptr, nullptr);
  EXPECT_FLOAT_EQ(Health(soldier), 100);
  ASSERT_EQ(damaged.count(soldier), 1u);
  EXPECT_FLOAT_EQ(damaged[soldier].fHealth, -30);
  // The other immunity bit protects another class of units.
  world.state()->dwMode = (world.state()->dwMode & ~VNUNITMAN_MODE_IMMUNE1) | VNUNITMAN_MODE_IMMUNE2;
  vnInflictDamage(rifle, soldier, 0, nullptr, nullptr, nullptr);
  EXPECT_FLOAT_EQ(Health(soldier), 70);
}

TEST_F(ManagedCombatTest, TheGibServiceGetsAnEffectForEveryFlagBothUnitsShare) {
  ASSERT_EQ(SGE_RegisterTaskType(kGibsType, GibRecorder, 0, 0, "GibRecorder"), 1);
  ASSERT_EQ(world.state()->pBugGibs, nullptr) << "no gib class in this program";
  world.state()->pBugGibs = SGE_CreateTask(kGibsType, world.manager(), nullptr, 0, 0);
  g_gibs.clear();
  VNUNIT* rifle = Rifle(-10);
  VNUNIT* soldier = At(kSoldier, {12, 10, 0});
  rifle->dwFlags |= VNUNIT_F_HIT_BURNS | VNUNIT_F_HIT_SMOKES | VNUNIT_F_HIT_GIBS;
  soldier->dwFlags |= VNUNIT_F_HIT_BURNS | VNUNIT_F_HIT_GIBS;
  const SPW_VECTOR hit{12, 10, 1}, up{0, 1, 0};
  vnInflictDamage(rifle, soldier, 0, &hit, nullptr, &up);
  ASSERT_EQ(g_gibs.size(), 2u);
  EXPECT_EQ(g_gibs[0].msg, SGM_BUGGIBS_BURN);
  EXPECT_EQ(g_gibs[1].msg, SGM_BUGGIBS_GIBS);
  const VNDAMAGE_EFFECT& e = g_gibs[0].effect;
  EXPECT_EQ(e.pTarget, soldier);
  EXPECT_EQ(g_gibs[0].radius, &soldier->fRadius);
  EXPECT_FLOAT_EQ(e.vHit.z, 1);
  EXPECT_FLOAT_EQ(e.vUp.y, 1);
  EXPECT_FLOAT_EQ(e.afValues[1], 6.0f);
  EXPECT_FLOAT_EQ(e.damage.fHealth, -10);
  EXPECT_FLOAT_EQ(e.vDir.x, 2 / std::sqrt(5.0f));  // from the rifle to the hit point
  // Without the up vector it points up.
  vnInflictDamage(rifle, soldier, 0, &hit, nullptr, nullptr);
  EXPECT_FLOAT_EQ(g_gibs.back().effect.vUp.z, 1);
}

TEST_F(ManagedCombatTest, AreaDamageFallsOffWithDistanceAndSkipsTheDeadAndTheFar) {
  const SPW_VECTOR centre{50, 50, 0};
  VNUNIT* atCentre = At(kSoldier, centre);
  VNUNIT* near = At(kSoldier, {53, 54, 0});     // 5 away
  VNUNIT* edge = At(kSoldier, {60, 50, 0});     // exactly at the radius
  VNUNIT* outside = At(kSoldier, {58, 58, 0});  // in the queried square, beyond the radius
  VNUNIT* corpse = At(kSoldier, {51, 50, 0});
  dead = corpse;
  VNAREA_DAMAGE source{centre, {}};
  source.damage.fHealth = -40;
  source.damage.vDir = {0, 0, 1};
  source.damage.nSourceType = kRifle;
  vnCOMBAT_AreaDamage(&source, 10, 100);

  EXPECT_FLOAT_EQ(Health(atCentre), 60);
  EXPECT_FLOAT_EQ(Health(near), 100 - 40 * 0.75f);
  EXPECT_FLOAT_EQ(Health(edge), 80);
  EXPECT_FLOAT_EQ(Health(outside), 100);
  EXPECT_FLOAT_EQ(Health(corpse), 100);
  EXPECT_EQ(damaged.count(outside), 0u);
  EXPECT_EQ(damaged.count(corpse), 0u);

  const VNDAMAGE& n = damaged.at(near);
  EXPECT_FLOAT_EQ(n.vDir.x, 0.6f);
  EXPECT_FLOAT_EQ(n.vDir.y, 0.8f);
  EXPECT_FLOAT_EQ(n.vDir.z, 1.0f);
  EXPECT_FLOAT_EQ(n.vImpulse.y, 0.75f * 100 * 0.8f);
  EXPECT_EQ(n.nSourceType, -1);
  // At the centre the source's own direction stays.
  EXPECT_FLOAT_EQ(damaged.at(atCentre).vDir.z, 1.0f);
  EXPECT_FLOAT_EQ(damaged.at(atCentre).vDir.x, 0.0f);
  for (const vnworld::Event& e : world.EventsOf(SGM_UNIT_DAMAGED)) EXPECT_EQ(e.p1, 0);
}

TEST_F(ManagedCombatTest, RemovalIsPostedForListedTypesWithinTheRadius) {
  VNUNIT* listed = At(kSoldier, {20, 20, 0});
  VNUNIT* unlisted = At(kOtherSoldier, {21, 20, 0});
  VNUNIT* far = At(kSoldier, {40, 20, 0});
  const uint32_t ids[] = {listed->dwId, unlisted->dwId, far->dwId};
  const int32_t types[] = {kSoldier, 0};
  const SPW_VECTOR point{20, 20, 0};
  vnCOMBAT_RemoveTypesInRadius(&point, 5, types, VNUNIT_F_OBSERVABLE, 0);
  EXPECT_NE(vnUNITMAN_GetUnit(ids[0]), nullptr) << "posted, not yet delivered";
  world.RunFrames(1);
  EXPECT_EQ(vnUNITMAN_GetUnit(ids[0]), nullptr);
  EXPECT_NE(vnUNITMAN_GetUnit(ids[1]), nullptr);
  EXPECT_NE(vnUNITMAN_GetUnit(ids[2]), nullptr);
  vnCOMBAT_RemoveTypesInRadius(&point, 50, nullptr, VNUNIT_F_OBSERVABLE, 0);
  world.RunFrames(1);
  EXPECT_NE(vnUNITMAN_GetUnit(ids[2]), nullptr);
}

}  // namespace
