// What a soldier carries, asked by type or id: the main weapon beside the side arms, unused tech
// items, items put away and taken out, the direction a model fires in, and the attack orders a
// change of weapon class ends.
#include <gtest/gtest.h>

#include <cmath>

#include "effects/weapon.h"
#include "platform/files.h"
#include "terran/behave.h"
#include "terran/orders.h"
#include "tests/terran/protocol_fixture.h"
#include "tools/models/soldiers.h"
#include "world/unittype/unittype.h"

namespace {

using soldiertest::kSoldier;
using vnworld::Row;

constexpr int32_t kCarried[] = {VN_UNIT_TYPE_WEAPON_REVOLVER, VN_UNIT_TYPE_WEAPON_MINE,
                                VN_UNIT_TYPE_WEAPON_LIGHTRIFLE_0, VN_UNIT_TYPE_WEAPON_GRENADE_0};

class SoldierItems : public soldiertest::SoldierTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(PLAT_MakeDirectory("Export") && PLAT_MakeDirectory("Export/Pows"));
    ASSERT_TRUE(vnWRITE_POW(soldiertest::kSoldierModel, vnMODELS_Soldier("soldier", {"H1_run"}, 480)));
    std::vector<VNWRITE_UNITATTR> rows{Row(VN_UNIT_TYPE_TERRAN_ZR_0, kSoldier),
                                       Row(VN_UNIT_TYPE_TECH_NERVEGAS, VNUNIT_F_ITEM)};
    std::vector<int32_t> classes{vnUNITMAN_GetTypeInfo(VN_UNIT_TYPE_TECH_NERVEGAS)->nClassId};
    for (int32_t type : kCarried) {
      rows.push_back(Row(type, VNUNIT_F_WEAPON));
      classes.push_back(vnUNITMAN_GetTypeInfo(type)->nClassId);
    }
    Start(rows, classes);
    s = Spawn(VN_UNIT_TYPE_TERRAN_ZR_0, {10, 10, 0});
    ASSERT_NE(s, nullptr);
    ASSERT_NE(s->model, nullptr);
    for (int32_t type : kCarried) Carry(type, VNTERUNIT_WEAPON_LIST);
  }
  VNUNIT* Carry(int32_t type, VNUNIT_CHILDLIST list) {
    VNUNIT* item = world.Create(type, world.Human(), {}, &s->unit->aChildren[list], s->unit);
    EXPECT_NE(item, nullptr) << type;
    return item;
  }
  int32_t IdOf(int32_t type) {
    VNUNIT* item = vnTERUNIT_FindItem(s->unit, type, 1);
    return item ? static_cast<int32_t>(item->dwId) : -1;
  }
  VNTERUNIT* s = nullptr;
};

TEST_F(SoldierItems, TheMainWeaponIsTheFirstThatIsNoSideArmNorTheTypeAsked) {
  struct CASE {
    int32_t type;
    int32_t found;  // a unit type, or -1 for none
  } cases[] = {
      {VN_UNIT_TYPE_WEAPON_SNIPER, VN_UNIT_TYPE_WEAPON_LIGHTRIFLE_0},
      {VN_UNIT_TYPE_WEAPON_LIGHTRIFLE_0, VN_UNIT_TYPE_WEAPON_GRENADE_0},
      {VN_UNIT_TYPE_WEAPON_CLASS1DOUBLE, -1},
  };
  for (const CASE& c : cases) {
    const VNUNIT* found = vnTERUNIT_FirstMainWeapon(s->unit, c.type);
    EXPECT_EQ(found ? found->nType : -1, c.found) << c.type;
  }
  EXPECT_EQ(vnTERUNIT_ItemIdOfType(s, VN_UNIT_TYPE_WEAPON_GRENADE_0), IdOf(VN_UNIT_TYPE_WEAPON_GRENADE_0));
  EXPECT_EQ(vnTERUNIT_ItemIdOfType(s, VN_UNIT_TYPE_WEAPON_FLAME_0), -1);
}

TEST_F(SoldierItems, ATechItemThatSaysItWasUsedIsPassedOver) {
  VNUNIT* used = Carry(VN_UNIT_TYPE_TECH_NERVEGAS, VNTERUNIT_EQUIPMENT_LIST);
  VNUNIT* unused = Carry(VN_UNIT_TYPE_TECH_NERVEGAS, VNTERUNIT_EQUIPMENT_LIST);
  bool allUsed = false;
  world.SetHook([&](VNUNIT* u, int32_t msg, SGE_PARAM, SGE_PARAM) -> SGE_RESULT {
    if (msg != SGM_TECHITEM_IS_USED) return -1;
    return u == used || allUsed ? 1 : 0;
  });
  EXPECT_EQ(vnTERUNIT_FindTechItem(s->unit, VN_UNIT_TYPE_TECH_NERVEGAS), unused);
  EXPECT_EQ(vnTERUNIT_FindTechItem(s->unit, VN_UNIT_TYPE_TECH_NOVABOMB), nullptr);
  allUsed = true;
  EXPECT_EQ(vnTERUNIT_FindTechItem(s->unit, VN_UNIT_TYPE_TECH_NERVEGAS), nullptr);
}

TEST_F(SoldierItems, AnItemPutAwayIsHiddenAndComesBackShown) {
  VNUNIT* rifle = vnTERUNIT_FindItem(s->unit, VN_UNIT_TYPE_WEAPON_LIGHTRIFLE_0, 1);
  // The rifle's model stands in for the soldier's, which the test has at hand.
  world.SetHook([&](VNUNIT* u, int32_t msg, SGE_PARAM, SGE_PARAM) -> SGE_RESULT {
    return u == rifle && msg == SGM_UNIT_GET_OBJECT ? SGE_PtrResult(s->model) : -1;
  });
  EXPECT_EQ(vnTERUNIT_ShowItem(s->unit, IdOf(VN_UNIT_TYPE_WEAPON_REVOLVER), 1), 0) << "no model";
  EXPECT_EQ(vnTERUNIT_ShowItem(s->unit, 99999, 1), 0) << "not carried";
  world.ClearEvents();
  ASSERT_EQ(vnTERUNIT_ShowItem(s->unit, static_cast<int32_t>(rifle->dwId), 1), 1);
  EXPECT_TRUE(s->model->fFlags & SPW_DOBJ_HIDDEN);
  EXPECT_EQ(world.EventsOf(SGM_WEAPON_DETACH).size(), 1u);
  ASSERT_EQ(vnTERUNIT_ShowItem(s->unit, static_cast<int32_t>(rifle->dwId), 0), 1);
  EXPECT_FALSE(s->model->fFlags & SPW_DOBJ_HIDDEN);
  EXPECT_EQ(world.EventsOf(SGM_WEAPON_ATTACH).size(), 1u);
}

TEST_F(SoldierItems, TheFireDirectionIsTheFacingTurnedAndRaisedByTheAim) {
  const SPW_VECTOR east{1.0f, 0.0f, 0.0f};
  SPW_VECTOR d{};
  s->model->vOverrideAngles = {0.7853982f, 0.0f, 1.5707964f};  // pitch 45 degrees, yaw 90
  vnTERUNIT_FireDirection(s->model, &east, &d, 1);
  EXPECT_NEAR(d.x, 0.0f, 1e-5f);
  EXPECT_NEAR(d.y, 0.70710677f, 1e-5f);
  EXPECT_NEAR(d.z, 0.70710677f, 1e-5f);
  vnTERUNIT_FireDirection(s->model, &east, &d, 0);
  EXPECT_NEAR(d.x, 1.0f, 1e-6f);
}

TEST_F(SoldierItems, OnlyAChangeBetweenThrownAndOtherWeaponsEndsAnAttack) {
  struct CASE {
    const char* name;
    int32_t order;
    int32_t from, to;
    int32_t ends;
  } cases[] = {
      {"grenade to rifle", VNTERUNIT_ORDER_ATTACK_UNIT, VN_UNIT_TYPE_WEAPON_GRENADE_0,
       VN_UNIT_TYPE_WEAPON_LIGHTRIFLE_0, 1},
      {"rifle to missile", VNTERUNIT_ORDER_ATTACK_POINT, VN_UNIT_TYPE_WEAPON_LIGHTRIFLE_0,
       VN_UNIT_TYPE_WEAPON_MISSILE_0, 1},
      {"grenade to missile", VNTERUNIT_ORDER_ATTACK_UNIT, VN_UNIT_TYPE_WEAPON_GRENADE_0,
       VN_UNIT_TYPE_WEAPON_MISSILE_0, 0},
      {"rifle to revolver", VNTERUNIT_ORDER_ATTACK_UNIT, VN_UNIT_TYPE_WEAPON_LIGHTRIFLE_0,
       VN_UNIT_TYPE_WEAPON_REVOLVER, 0},
      {"a move order", VNTERUNIT_ORDER_MOVE, VN_UNIT_TYPE_WEAPON_GRENADE_0,
       VN_UNIT_TYPE_WEAPON_LIGHTRIFLE_0, 0},
  };
  for (const CASE& c : cases) {
    vnORDER_Clear(s->unit);
    const VNORDER order = vnTERUNIT_MakeOrder(c.order);
    vnORDER_Append(s->unit, &order);
    EXPECT_EQ(vnTERUNIT_CancelMoveOnClassChange(s, c.from, c.to), c.ends) << c.name;
    EXPECT_EQ(Orders(s).size(), c.ends ? 0u : 1u) << c.name;
  }
  // The grenade put away after a hit is what the soldier held.
  vnORDER_Clear(s->unit);
  const VNORDER attack = vnTERUNIT_MakeOrder(VNTERUNIT_ORDER_ATTACK_UNIT);
  vnORDER_Append(s->unit, &attack);
  s->readyItemId = IdOf(VN_UNIT_TYPE_WEAPON_GRENADE_0);
  s->modeFlags |= VNTERUNIT_MF_WEAPON_STOWED;
  EXPECT_EQ(vnTERUNIT_CancelMoveOnClassChange(s, VN_UNIT_TYPE_WEAPON_REVOLVER,
                                              VN_UNIT_TYPE_WEAPON_LIGHTRIFLE_0),
            1);
}

}  // namespace
