#pragma once
// A soldier holding a smart rifle with a stock of bullets, and a bug to shoot at, in the
// headless test world with the real unit classes: the soldier and the bug are recorders that
// answer where they are aimed at (589), whether they are dead (540: health gone) and keep the
// credit reports they get (565).
#include <gtest/gtest.h>

#include <vector>

#include "effects/weapon.h"
#include "engine/dobject/dobject.h"
#include "engine/kernel/tasktypes.h"
#include "engine/object/object.h"
#include "missions/control/misscont.h"
#include "platform/files.h"
#include "tests/world/support/testworld.h"
#include "tools/models/playobjects.h"
#include "tools/writers/pow_writer.h"
#include "world/unitman/unitman.h"
#include "world/unittype/unittype.h"

namespace weapontest {

constexpr int32_t kSoldier = VN_UNIT_TYPE_TERRAN_ZR_0;
constexpr int32_t kRifle = VN_UNIT_TYPE_WEAPON_SMARTRIFLE_0;
constexpr int32_t kBullet = VN_UNIT_TYPE_AMMO_STANDARD_BULLET;
constexpr int32_t kBug = VN_UNIT_TYPE_BUG_WARRIOR;
constexpr uint32_t kWeaponFlags = VNUNIT_F_WEAPON | VNUNIT_F_NODAMAGE_STAMP;
constexpr float kRange = 60.0f;
constexpr float kRifleDamage = -30.0f;
constexpr int32_t kStock = 3;
constexpr float kRoundAmount = 2.0f;
constexpr float kShotCharge = -1.0f;  // two shots a round
constexpr int32_t kBugPoints = 40;
constexpr int32_t kPair = VN_UNIT_TYPE_WEAPON_CLASS1DOUBLE;

// The rifle's row: range, damage, one shot a second, the bullets it takes.
inline VNWRITE_UNITATTR RifleRow() {
  VNWRITE_UNITATTR r = vnworld::Row(kRifle, kWeaponFlags, {kBullet}, 0.1f, kRange, kRifleDamage);
  r.floats[VNWEAPON_ATTR_RATE - 11] = 1.0f;
  r.floats[VNWEAPON_ATTR_SHOT_CHARGE - 11] = kShotCharge;
  return r;
}

inline VNWRITE_UNITATTR BulletRow() {
  VNWRITE_UNITATTR r = vnworld::Row(kBullet, VNUNIT_F_ITEM);
  r.ints[4] = kStock;  // value 7, the count of a new item
  r.floats[VNAMMO_ATTR_AMOUNT - 11] = kRoundAmount;
  return r;
}

inline VNWRITE_UNITATTR SoldierRow() {
  VNWRITE_UNITATTR r = vnworld::Row(kSoldier, VNUNIT_F_SOLDIER, {kRifle, kBullet});
  r.floats[VNWEAPON_ATTR_ACCURACY - 11] = 100.0f;
  return r;
}

inline VNWRITE_UNITATTR BugRow() {
  VNWRITE_UNITATTR r = vnworld::Row(kBug, VNUNIT_F_OBSERVABLE, {}, 1.0f, 0.0f, 50.0f);
  r.ints[3] = kBugPoints;  // value 6
  return r;
}

class WeaponTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteRifleModel();
    w.WriteAttrs({RifleRow(), BulletRow(), SoldierRow(), BugRow(), vnworld::Row(kPair, kWeaponFlags)});
    w.SetHook([this](VNUNIT* u, int32_t msg, SGE_PARAM p1, SGE_PARAM) -> SGE_RESULT {
      if (msg == SGM_UNIT_GET_LOCATOR) {
        *SGE_ParamPtr<SPW_VECTOR>(p1) = {u->vPos.x, u->vPos.y, u->vPos.z + 1.0f};
        return 1;
      }
      if (msg == SGM_UNIT_IS_DEAD) return vnUNIT_AttrFloat(u, VN_ATTR_HEALTH) <= 0.0f;
      if (msg == SGM_WEAPON_CREDIT_KILL) credits.push_back(*SGE_ParamPtr<VNWEAPON_CREDIT>(p1));
      return -1;
    });
    ASSERT_EQ(SPW_ResetObjectTypes(), 1);
    ASSERT_TRUE(w.Start());
    ASSERT_EQ(vnUNITMAN_RegisterUnitClasses(), 1);
    // Recorders stand in for the soldier's and the bug's classes.
    w.RegisterRecorder(VNTT_TERRAN_INFANTRY);
    w.RegisterRecorder(VNTT_BUG_WARRIOR);
    soldier = w.Create(kSoldier, w.Human(), {50, 50, 0});
    ASSERT_NE(soldier, nullptr);
    rifle = SGE_ListFirstRecord<VNUNIT>(&soldier->aChildren[VNUNIT_CHILD_WEAPONS]);
    stock = SGE_ListFirstRecord<VNUNIT>(&soldier->aChildren[VNUNIT_CHILD_ITEMS]);
    ASSERT_NE(rifle, nullptr);
    ASSERT_NE(stock, nullptr);
  }
  void TearDown() override {
    w.Stop();
    SPW_FreeAllObjectTypes();
    SPW_ReleaseObjectTypes();
  }

  // The twin gun's model has a muzzle node "g"; the rifle takes it under its own name.
  void WriteRifleModel() {
    ASSERT_TRUE(PLAT_MakeDirectory(w.content().file("Export").c_str()));
    ASSERT_TRUE(PLAT_MakeDirectory(w.content().file("Export/POWs").c_str()));
    vnMODEL model = vnMODELS_Twin50();
    model.name = "h1_wsr1m";
    ASSERT_TRUE(vnWRITE_POW(w.content().file("Export/POWs/h1_wsr1m.pow"), model));
  }

  SPW_DOBJECT* RifleObject() const {
    return SGE_Ask<SPW_DOBJECT>(rifle->pController, SGM_UNIT_GET_OBJECT, 0, 0);
  }

  // The muzzle's position and aiming axis.
  void Muzzle(SPW_VECTOR* pos, SPW_VECTOR* axis) const {
    SPW_MATRIX m{};
    float scale = 1.0f;
    ASSERT_NE(SPW_GetNamedNodeTransform(RifleObject(), "g", &m, &scale), 0);
    *pos = {m.m[3][0], m.m[3][1], m.m[3][2]};
    *axis = {m.m[0][0], m.m[0][1], m.m[0][2]};
  }

  // A bug on the rifle's aiming axis, its aim point that far from the muzzle.
  VNUNIT* BugAhead(float distance) {
    SPW_VECTOR muzzle, axis;
    Muzzle(&muzzle, &axis);
    const SPW_VECTOR at{muzzle.x + axis.x * distance, muzzle.y + axis.y * distance,
                        muzzle.z + axis.z * distance - 1.0f};
    VNUNIT* bug = w.Create(kBug, w.Computer(), at);
    EXPECT_NE(bug, nullptr);
    return bug;
  }

  int32_t Fire(VNUNIT* target) {
    return static_cast<int32_t>(SGE_Send(rifle->pController, SGM_WEAPON_FIRE, SGE_PtrParam(target), -1));
  }

  int32_t Count() const { return vnUNIT_AttrInt(stock, VNAMMO_ATTR_COUNT); }

  vnworld::TestWorld w;
  VNUNIT* soldier = nullptr;
  VNUNIT* rifle = nullptr;
  VNUNIT* stock = nullptr;
  std::vector<VNWEAPON_CREDIT> credits;
};

}  // namespace weapontest
