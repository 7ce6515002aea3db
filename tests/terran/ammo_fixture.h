#pragma once
// Soldiers of the protocol fixture that carry real weapons: the program's unit classes make the
// weapons and rounds, the fixture's soldier class the soldiers. A smart rifle takes bullets and
// names its capacities; a grenade launcher (a stand-in class) names none; the micro-rocket
// launcher takes its packs.
//
//   class MyTest : public ammotest::AmmoTest {};
//   TEST_F(MyTest, X) {
//     VNTERUNIT* s = Spawn(VN_UNIT_TYPE_TERRAN_ZR_0, {10, 10, 0});
//     VNUNIT* rifle = Give(s, ammotest::kRifle);
//     Pick(s, ammotest::kBullet, 3);              // three pick-ups of bullets
//   }
#include <gtest/gtest.h>

#include "effects/weapon.h"
#include "terran/weapons.h"
#include "tests/terran/protocol_fixture.h"
#include "world/unittype/unittype.h"

namespace ammotest {

// The weapons and their ammunition.
constexpr int32_t kRifle = VN_UNIT_TYPE_WEAPON_SMARTRIFLE_0, kBullet = VN_UNIT_TYPE_AMMO_STANDARD_BULLET;
constexpr int32_t kLauncher = VN_UNIT_TYPE_WEAPON_GRENADE_0, kGrenade = VN_UNIT_TYPE_AMMO_GRENADE_0;
constexpr int32_t kRocketPack = VN_UNIT_TYPE_AMMO_MICRO_ROCKET_PACK;
constexpr int32_t kPair = VN_UNIT_TYPE_WEAPON_CLASS1DOUBLE;
constexpr uint32_t kWeaponFlags = VNUNIT_F_WEAPON | VNUNIT_F_NODAMAGE_STAMP;
// The rifle's capacities: unsuited, suited.
constexpr int32_t kRifleRounds = 6, kRifleSuitRounds = 12;
// A light rifle takes bullets too.
constexpr int32_t kLightRifleRounds = 4;
// What one round of each ammunition holds.
constexpr float kBulletAmount = 2.0f, kGrenadeAmount = 1.0f, kRocketAmount = 4.0f;

inline VNWRITE_UNITATTR WeaponRow(int32_t type, int32_t ammo, int32_t rounds = 0,
                                  int32_t suitRounds = 0) {
  VNWRITE_UNITATTR r = vnworld::Row(type, kWeaponFlags, {ammo}, 0.1f, 50.0f);
  r.ints[4] = rounds;      // value 7
  r.ints[5] = suitRounds;  // value 8
  return r;
}

inline VNWRITE_UNITATTR AmmoRow(int32_t type, float amount) {
  VNWRITE_UNITATTR r = vnworld::Row(type, VNUNIT_F_ITEM);
  r.floats[VNAMMO_ATTR_AMOUNT - 11] = amount;
  return r;
}

// The grenade launcher's class is a stand-in that loads rounds and answers whether it has any,
// as every weapon class does.
struct LAUNCHER {
  VNUNIT* unit;
};
inline SGE_RESULT Launcher(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                           SGE_PARAM p2) {
  auto* self = SGE_TaskData<LAUNCHER>(task);
  switch (msg) {
    case SGM_TASK_CREATE: self->unit = SGE_ParamPtr<VNUNIT>(p1); return 1;
    case SGM_WEAPON_LOAD_ROUND: return SGE_PtrResult(vnWEAPON_LoadRound(self->unit));
    case SGM_WEAPON_HAS_AMMO: return vnWEAPON_HasAmmo(self->unit);
    default: return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
  }
}

class AmmoTest : public soldiertest::SoldierTest {
 protected:
  void SetUp() override {
    std::vector<VNWRITE_UNITATTR> rows = {
        WeaponRow(kRifle, kBullet, kRifleRounds, kRifleSuitRounds),
        WeaponRow(kLauncher, kGrenade),
        WeaponRow(VN_UNIT_TYPE_WEAPON_MICROROCKETS, kRocketPack),
        WeaponRow(VN_UNIT_TYPE_WEAPON_REVOLVER, VN_UNIT_TYPE_AMMO_REVOLVER_BULLET),
        WeaponRow(VN_UNIT_TYPE_WEAPON_MINE, VN_UNIT_TYPE_AMMO_MINE_0),
        WeaponRow(VN_UNIT_TYPE_WEAPON_LIGHTRIFLE_0, kBullet, kLightRifleRounds),
        vnworld::Row(kPair, kWeaponFlags),
        AmmoRow(kBullet, kBulletAmount),
        AmmoRow(kGrenade, kGrenadeAmount),
        AmmoRow(kRocketPack, kRocketAmount),
        AmmoRow(VN_UNIT_TYPE_AMMO_REVOLVER_BULLET, 1.0f),
        AmmoRow(VN_UNIT_TYPE_AMMO_MINE_0, 1.0f)};
    for (int32_t type : {VN_UNIT_TYPE_TERRAN_ZR_0, VN_UNIT_TYPE_TERRAN_ZR_0_FEM,
                         VN_UNIT_TYPE_SUIT_BRAKKAR_0, VN_UNIT_TYPE_SUIT_BRAKKAR_1,
                         VN_UNIT_TYPE_SUIT_COMMAND_0, VN_UNIT_TYPE_TERRAN_COMBATENG,
                         VN_UNIT_TYPE_TERRAN_MEDIC})
      rows.push_back(vnworld::Row(type, soldiertest::kSoldier));
    Start(rows);
    // The program's weapon and item classes, with the fixture's soldier class over them.
    ASSERT_EQ(vnUNITMAN_RegisterUnitClasses(), 1);
    for (int32_t type : soldiertest::kSoldierClasses)
      ASSERT_EQ(SGE_RegisterTaskType(type, soldiertest::SoldierClass, SGE_TTF_ZERO_DATA,
                                     sizeof(VNTERUNIT), "TestSoldier"),
                1);
    ASSERT_EQ(SGE_RegisterTaskType(vnUNITMAN_GetTypeInfo(kLauncher)->nClassId, Launcher,
                                   SGE_TTF_ZERO_DATA, sizeof(LAUNCHER), "TestLauncher"),
              1);
  }

  // A weapon in the soldier's hands, last in its list; a pair of guns of the type for the
  // double weapon.
  static VNUNIT* Give(const VNTERUNIT* s, int32_t type, int32_t gunType = 0) {
    const VNUNIT_CREATE c{.nType = type,
                          .dwPlayer = s->unit->dwPlayer,
                          .vPos = s->unit->vPos,
                          .anReserved = {},
                          .pTargetList = &s->unit->aChildren[VNUNIT_CHILD_WEAPONS],
                          .pParent = s->unit,
                          .nBinding = 1,
                          .vDir = {0.0f, 1.0f, 0.0f},
                          .nVariant = gunType,
                          .nReserved = 0};
    return vnUNITMAN_CreateUnit(&c, nullptr);
  }
  // Ammunition pick-ups (SGM_UNIT_ADD_AMMO), as many as asked; the item.
  static VNUNIT* Pick(const VNTERUNIT* s, int32_t ammoType, int32_t times) {
    VNUNIT* item = nullptr;
    for (int32_t i = 0; i < times; ++i)
      item = SGE_Ask<VNUNIT>(s->unit->pController, SGM_UNIT_ADD_AMMO, ammoType, 0);
    return item;
  }
  static int32_t Rounds(const VNUNIT* item) { return vnUNIT_AttrInt(item, VNAMMO_ATTR_COUNT); }
};

}  // namespace ammotest
