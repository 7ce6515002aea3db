// Pop-up targets: rising when a soldier of the player's side comes near, the wrong-weapon event,
// the status bar's 30 seconds, and being shot down.
#include "missions/control/missionevents.h"
#include "tests/world/fobj/play_fixture.h"
#include "world/fobj/poptarget.h"

namespace playtest {
namespace {

constexpr uint32_t kTargetFlags = VNUNIT_F_UPDATE;
constexpr uint32_t kSoldierFlags = VNUNIT_F_SOLDIER | VNUNIT_F_OBSERVABLE;
constexpr int32_t kSoldier = VN_UNIT_TYPE_TERRAN_ZR_0;

TEST(PopTargetWeaponTest, EachColourHasItsWeapons) {
  const struct {
    int32_t target, source;
    bool right;
  } cases[] = {
      {VN_UNIT_TYPE_PE_POPTARGET_BLUE, VN_UNIT_TYPE_WEAPON_LIGHTRIFLE_0, true},
      {VN_UNIT_TYPE_PE_POPTARGET_RED, VN_UNIT_TYPE_WEAPON_SMARTRIFLE_1, true},
      {VN_UNIT_TYPE_PE_POPTARGET_RED, VN_UNIT_TYPE_PROJECTILE_MISSILE_0, false},
      {VN_UNIT_TYPE_PE_POPTARGET_GREEN, VN_UNIT_TYPE_PROJECTILE_MISSILE_1, true},
      {VN_UNIT_TYPE_PE_POPTARGET_GREEN, VN_UNIT_TYPE_WEAPON_LIGHTRIFLE_1, false},
      {VN_UNIT_TYPE_PE_POPTARGET_BLUE, -1, false},  // area damage: no weapon at all
  };
  for (const auto& c : cases)
    EXPECT_EQ(vnPOPTARGET_RightWeapon(c.target, c.source), c.right)
        << c.target << " hit by " << c.source;
}

class PopTargetTest : public PlayTest {
 protected:
  void StartTargets(int32_t soldierSide = 0) {
    Start({vnworld::Row(VN_UNIT_TYPE_PE_POPTARGET_BLUE, kTargetFlags, {}, 1.0f, 0.0f, 50.0f),
           vnworld::Row(VN_UNIT_TYPE_PE_POPTARGET_GREEN, kTargetFlags, {}, 1.0f, 0.0f, 50.0f),
           vnworld::Row(VN_UNIT_TYPE_PE_POPTARGET_RED, kTargetFlags, {}, 1.0f, 0.0f, 50.0f),
           vnworld::Row(kSoldier, kSoldierFlags),
           vnworld::Row(VN_UNIT_TYPE_PROJECTILE_MISSILE_0, VNUNIT_F_PROJECTILE)},
          {VNTT_TERRAN_INFANTRY, VNTT_PROJECTILE_MISSILE});
    w.SetHook([soldierSide](VNUNIT*, int32_t msg, SGE_PARAM, SGE_PARAM) {
      return msg == SGM_UNIT_GET_SIDE ? soldierSide : -1;
    });
  }
  static VNPOPTARGET* Target(VNUNIT* u) { return Instance<VNPOPTARGET>(u); }
  VNUNIT* Soldier(SPW_VECTOR at) {
    VNUNIT* s = w.Create(kSoldier, w.Human(), at);
    EXPECT_NE(s, nullptr);
    w.Place(s, at);
    return s;
  }
  void Hit(VNUNIT* target, const VNUNIT* source) {
    SGE_Send(target->pController, SGM_UNIT_DAMAGED, source ? static_cast<SGE_PARAM>(source->dwId) : 0, 0);
  }
};

TEST_F(PopTargetTest, ALoweredTargetRisesWhenASoldierComesNear) {
  StartTargets();
  VNUNIT* u = Create(VN_UNIT_TYPE_PE_POPTARGET_BLUE, {50, 50, 0});
  VNPOPTARGET* t = Target(u);
  ASSERT_NE(t->pModel, nullptr);
  EXPECT_FALSE(t->bUp);
  EXPECT_FALSE(u->dwFlags & VNUNIT_F_OBSERVABLE);
  VNUNIT* s = Soldier({50, 85, 0});  // 35 away: too far for blue
  RunFrames(1);
  EXPECT_FALSE(t->bUp);
  w.Place(s, {50, 75, 0});
  RunFrames(1);
  EXPECT_TRUE(t->bUp);
  EXPECT_TRUE(u->dwFlags & VNUNIT_F_OBSERVABLE);
  EXPECT_EQ(t->pModel->pNodes[0].nPrimary, t->nUpAnim);
  EXPECT_FALSE(t->pBar->data.dwFlags & VNMARKER_HIDDEN);
}

TEST_F(PopTargetTest, AGreenTargetSeesFurther) {
  StartTargets();
  VNPOPTARGET* t = Target(Create(VN_UNIT_TYPE_PE_POPTARGET_GREEN, {50, 50, 0}));
  Soldier({50, 100, 0});
  RunFrames(1);
  EXPECT_TRUE(t->bUp);
}

TEST_F(PopTargetTest, ASoldierOfAnotherSideRaisesNothing) {
  StartTargets(1);
  VNPOPTARGET* t = Target(Create(VN_UNIT_TYPE_PE_POPTARGET_BLUE, {50, 50, 0}));
  Soldier({50, 55, 0});
  RunFrames(1);
  EXPECT_FALSE(t->bUp);
}

TEST_F(PopTargetTest, TheBarHidesThirtySecondsAfterItLastShowed) {
  StartTargets();
  VNPOPTARGET* t = Target(Create(VN_UNIT_TYPE_PE_POPTARGET_BLUE, {50, 50, 0}));
  VNUNIT* s = Soldier({50, 55, 0});
  RunFrames(1);
  ASSERT_FALSE(t->pBar->data.dwFlags & VNMARKER_HIDDEN);
  w.Place(s, {150, 150, 0});
  RunFrames(295);
  EXPECT_FALSE(t->pBar->data.dwFlags & VNMARKER_HIDDEN);
  RunFrames(10);
  EXPECT_TRUE(t->pBar->data.dwFlags & VNMARKER_HIDDEN);
}

TEST_F(PopTargetTest, AHitByTheWrongWeaponIsReported) {
  StartTargets();
  VNUNIT* blue = Create(VN_UNIT_TYPE_PE_POPTARGET_BLUE, {50, 50, 0});
  VNUNIT* green = Create(VN_UNIT_TYPE_PE_POPTARGET_GREEN, {70, 50, 0});
  VNUNIT* missile = w.Create(VN_UNIT_TYPE_PROJECTILE_MISSILE_0, w.Human(), {60, 40, 0});
  ASSERT_NE(missile, nullptr);
  Hit(green, missile);
  EXPECT_TRUE(Sent(SGM_VN_MISSCONT_EVENT_POPTARGET_WRONG).empty());
  Hit(blue, missile);
  const auto wrong = Sent(SGM_VN_MISSCONT_EVENT_POPTARGET_WRONG);
  ASSERT_EQ(wrong.size(), 1u);
  EXPECT_EQ(wrong[0].p1, static_cast<SGE_PARAM>(blue->dwId));
}

TEST_F(PopTargetTest, ATargetShotDownShowsItsDamagedModelAndIsReported) {
  StartTargets();
  VNUNIT* u = Create(VN_UNIT_TYPE_PE_POPTARGET_BLUE, {50, 50, 0});
  VNPOPTARGET* t = Target(u);
  SGE_Send(u->pController, SGM_POPTARGET_UP, 0, 0);
  ASSERT_TRUE(u->dwFlags & VNUNIT_F_OBSERVABLE);
  vnUNIT_SetAttrFloat(u, VN_ATTR_HEALTH, 0.0f);
  Hit(u, nullptr);
  EXPECT_FALSE(u->dwFlags & VNUNIT_F_OBSERVABLE);
  EXPECT_TRUE(t->pModel->fFlags & SPW_DOBJ_HIDDEN);
  ASSERT_NE(t->pDamaged, nullptr);
  EXPECT_FALSE(t->pDamaged->fFlags & SPW_DOBJ_HIDDEN);
  EXPECT_EQ(t->pDamaged->pNodes[0].nPrimary, t->nDamagedDownAnim);
  EXPECT_EQ(t->pBar, nullptr);
  EXPECT_EQ(SGE_Send(u->pController, SGM_UNIT_IS_DEAD, 0, 0), 1);
  const auto reports = Sent(SGM_VN_FEATURE_DESTROYED);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].p1, static_cast<SGE_PARAM>(u->dwId));
  // A soldier near a shot-down target raises nothing.
  Soldier({50, 52, 0});
  RunFrames(1);
  EXPECT_FALSE(u->dwFlags & VNUNIT_F_OBSERVABLE);
  Hit(u, nullptr);
  EXPECT_EQ(Sent(SGM_VN_FEATURE_DESTROYED).size(), 1u);
}

TEST_F(PopTargetTest, LoweringMakesItUnobservable) {
  StartTargets();
  VNUNIT* u = Create(VN_UNIT_TYPE_PE_POPTARGET_RED, {50, 50, 0});
  SGE_Send(u->pController, SGM_POPTARGET_UP, 0, 0);
  SGE_Send(u->pController, SGM_POPTARGET_DOWN, 0, 0);
  EXPECT_FALSE(u->dwFlags & VNUNIT_F_OBSERVABLE);
  EXPECT_FALSE(Target(u)->bUp);
}

}  // namespace
}  // namespace playtest
