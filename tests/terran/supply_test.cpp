// The soldier's supplies through its protocol: the rounds it still needs, resupply back to its
// creation state, and the fade level set from outside.
#include <gtest/gtest.h>

#include "engine/dobject/dobject.h"
#include "frontend/platman.h"
#include "missions/control/misscont.h"
#include "platform/files.h"
#include "terran/behave.h"
#include "terran/handler.h"
#include "terran/weapons.h"
#include "tests/terran/ammo_fixture.h"
#include "tools/models/playobjects.h"
#include "tools/models/soldiers.h"
#include "tools/writers/pow_writer.h"
#include "world/mission/context.h"

namespace {

using ammotest::kBullet;
using ammotest::kGrenade;
using ammotest::kLauncher;
using ammotest::kPair;
using ammotest::kRifle;

class SoldierSupply : public ammotest::AmmoTest {
 protected:
  int32_t Needed(const VNTERUNIT* s, int32_t weaponType) {
    return static_cast<int32_t>(Send(s, SGM_WEAPON_AMMO_NEEDED, weaponType));
  }
  void WriteModels() {
    ASSERT_TRUE(PLAT_MakeDirectory(world.content().file("Export").c_str()));
    ASSERT_TRUE(PLAT_MakeDirectory(world.content().file("Export/Pows").c_str()));
    ASSERT_TRUE(vnWRITE_POW(world.content().file(soldiertest::kSoldierModel),
                            vnMODELS_Soldier("soldier", {"H1_idle_lkaround"}, 480)));
    ASSERT_TRUE(vnWRITE_POW(world.content().file("Export/Pows/TCapMaMWounded.pow"),
                            vnMODELS_Soldier("TCapMaMWounded", {"wounded", "helpMe", "getup", "pullrope"}, 480)));
    vnMODEL rifle = vnMODELS_Twin50();
    rifle.name = "h1_wsr1m";
    ASSERT_TRUE(vnWRITE_POW(world.content().file("Export/Pows/h1_wsr1m.pow"), rifle));
  }
};

TEST_F(SoldierSupply, TheRoundsNeededFillTheCapacityOfEveryWeaponOnTheStock) {
  struct Case {
    const char* what;
    int32_t pairOf;   // a double weapon of these guns, or 0
    int32_t also;     // another weapon held, or 0
    int32_t pickUps;  // bullets picked up before the weapons
    int32_t asked;
    int32_t needed;
  };
  const Case cases[] = {
      {"an empty rifle", 0, 0, 0, kRifle, ammotest::kRifleRounds},
      {"a rifle with two in stock", 0, 0, 2, kRifle, ammotest::kRifleRounds - 2},
      {"a full stock", 0, 0, ammotest::kRifleRounds + 3, kRifle, 0},
      {"a pair of rifles: half of both guns' need", kRifle, 0, 4, kRifle,
       (2 * ammotest::kRifleRounds - 4) / 2},
      {"a second bullet weapon adds its own", 0, VN_UNIT_TYPE_WEAPON_LIGHTRIFLE_0, 2, kRifle,
       ammotest::kRifleRounds + ammotest::kLightRifleRounds - 2},
      {"a weapon not held by its type alone", 0, 0, 0, kLauncher, 5},
  };
  for (const Case& c : cases) {
    VNTERUNIT* s = Spawn(VN_UNIT_TYPE_TERRAN_ZR_0, {20, 20, 0});
    ASSERT_NE(s, nullptr) << c.what;
    Pick(s, kBullet, c.pickUps);
    if (c.pairOf) {
      ASSERT_NE(Give(s, kPair, c.pairOf), nullptr) << c.what;
    } else {
      ASSERT_NE(Give(s, kRifle), nullptr) << c.what;
    }
    if (c.also) {
      ASSERT_NE(Give(s, c.also), nullptr) << c.what;
    }
    EXPECT_EQ(Needed(s, c.asked), c.needed) << c.what;
  }
}

TEST_F(SoldierSupply, AResupplyRestoresHealthArmourAndRoundsAndClearsOrders) {
  VNTERUNIT* s = Spawn(VN_UNIT_TYPE_TERRAN_ZR_0, {20, 20, 0});
  VNUNIT* rifle = Give(s, kRifle);
  ASSERT_NE(rifle, nullptr);
  Pick(s, kBullet, 1);  // loaded into the rifle
  VNUNIT* grenades = Pick(s, kGrenade, 2);
  const float health = vnUNIT_AttrFloat(s->unit, VN_ATTR_HEALTH);
  const float armour = vnUNIT_AttrFloat(s->unit, VN_ATTR_ARMOUR);
  vnUNIT_SetAttrFloat(s->unit, VN_ATTR_HEALTH, health / 4);
  vnUNIT_SetAttrFloat(s->unit, VN_ATTR_ARMOUR, 0.0f);
  Send(s, SGM_TERUNIT_ORDER_WAIT, 1, 5);
  ASSERT_FALSE(Orders(s).empty());
  s->stateFlags |= VNTERUNIT_SF_MICRO_ROCKETS;

  EXPECT_NE(Send(s, SGM_TERUNIT_RESUPPLY), 1);  // passed on: the default handler's answer
  EXPECT_FLOAT_EQ(vnUNIT_AttrFloat(s->unit, VN_ATTR_HEALTH), health);
  EXPECT_FLOAT_EQ(vnUNIT_AttrFloat(s->unit, VN_ATTR_ARMOUR), armour);
  EXPECT_EQ(Rounds(grenades), 0) << "every stock is emptied first";
  EXPECT_EQ(vnTERUNIT_CountRounds(s, kRifle), ammotest::kRifleRounds);
  EXPECT_EQ(vnWEAPON_HasRoundLoaded(rifle), 1);
  EXPECT_TRUE(Orders(s).empty());
  EXPECT_FALSE(s->stateFlags & VNTERUNIT_SF_MICRO_ROCKETS);
}

TEST_F(SoldierSupply, ASoldierLeftWithARevolverIsReArmedFromHisPlatoonRecord) {
  VNTERUNIT* armed = Spawn(VN_UNIT_TYPE_TERRAN_ZR_0, {20, 20, 0});
  VNTERUNIT* revolverOnly = Spawn(VN_UNIT_TYPE_TERRAN_ZR_0, {30, 20, 0});
  ASSERT_NE(Give(armed, kRifle), nullptr);
  ASSERT_NE(Give(revolverOnly, VN_UNIT_TYPE_WEAPON_REVOLVER), nullptr);
  VNPLATOON_UNIT records[2] = {};
  const VNTERUNIT* soldiers[2] = {armed, revolverOnly};
  VNPLATOON platoon{};
  for (int32_t i = 0; i < 2; ++i) {
    records[i].nRosterId = static_cast<int32_t>(soldiers[i]->unit->dwId);
    records[i].nUnitType = VN_UNIT_TYPE_TERRAN_ZR_0;
    records[i].nSuitType = VNPLATOON_NONE;
    records[i].anWeapons[0] = records[i].anWeapons[1] = VNPLATOON_NONE;
    records[i].anEquipment[0] = records[i].anEquipment[1] = VNPLATOON_NONE;
    platoon.apUnits[VNPLATOON_FIRST_FIELDED + i] = &records[i];
  }
  const VNMISSION_WORLD w{nullptr, world.scene(), &platoon};
  vnMISSCONT_SetWorld(&w);
  for (const VNTERUNIT* s : soldiers) Send(s, SGM_TERUNIT_RESUPPLY);
  EXPECT_EQ(records[0].anWeapons[0], VNPLATOON_NONE) << "an armed soldier keeps his record";
  // The ZR soldier's type comes with the smart rifle.
  EXPECT_EQ(records[1].anWeapons[0], kRifle);
  EXPECT_EQ(records[1].anWeapons[1], VNPLATOON_NONE);
}

TEST_F(SoldierSupply, AFadeLevelIsClampedAndReachesTheWeaponAndTheWoundedModel) {
  WriteModels();
  VNTERUNIT* s = Spawn(VN_UNIT_TYPE_TERRAN_ZR_0, {20, 20, 0});
  ASSERT_NE(s->model, nullptr);
  VNUNIT* rifle = Give(s, kRifle);
  SPW_DOBJECT* gun = vnUNIT_FirstObject(rifle);
  ASSERT_NE(gun, nullptr);
  ASSERT_EQ(Send(s, SGM_TERUNIT_SHOW_WOUNDED, 1), 1);
  SPW_DOBJECT* wounded = vnTERUNIT_GetWoundedObject(s);
  ASSERT_NE(wounded, nullptr);
  const struct {
    float level;
    SGE_PARAM withWounded;
    float value;       // what the level gives of a full 255
    float woundedValue;
  } cases[] = {
      {0.5f, 0, 127.5f, 255.0f},
      {-2.0f, 1, 0.0f, 0.0f},
      {3.0f, 1, 255.0f, 255.0f},
      {0.2f, 0, 51.0f, 255.0f},
  };
  for (const auto& c : cases) {
    Send(s, SGM_TERUNIT_SET_FADE, SGE_PtrParam(&c.level), c.withWounded);
    EXPECT_FLOAT_EQ(s->model->colourB.a, c.value) << c.level;
    EXPECT_FLOAT_EQ(s->model->colourB.r, 255.0f) << "only the model's alpha";
    EXPECT_FLOAT_EQ(gun->colourB.r, c.value) << c.level;
    EXPECT_FLOAT_EQ(gun->colourB.a, c.value) << c.level;
    EXPECT_TRUE(gun->fFlags & SPW_DOBJ_OWN_COLOUR);
    EXPECT_FLOAT_EQ(wounded->colourB.a, c.woundedValue) << c.level;
  }
}

}  // namespace

namespace {

TEST_F(SoldierSupply, TheWeaponChangeAndNoRocketsLinesNeedTheirCause) {
  struct Case {
    const char* what;
    int32_t type;
    int32_t weapon;
    int32_t ammo;  // picked up once, or 0
    uint32_t event;
    int32_t line;
  };
  const Case cases[] = {
      {"a loaded launcher in hand", VN_UNIT_TYPE_TERRAN_ZR_0, kLauncher, kGrenade, 0x10000000, 27},
      {"a rifle in hand", VN_UNIT_TYPE_TERRAN_ZR_0, kRifle, kBullet, 0x10000000, -1},
      {"a launch suit without rockets", VN_UNIT_TYPE_SUIT_BRAKKAR_0, kRifle, 0, 0x20000000, 27},
      {"a launch suit with rockets", VN_UNIT_TYPE_SUIT_BRAKKAR_1, kRifle, ammotest::kRocketPack,
       0x20000000, -1},
      {"a soldier who never has rockets", VN_UNIT_TYPE_TERRAN_ZR_0, kRifle, 0, 0x20000000, -1},
  };
  for (const Case& c : cases) {
    VNTERUNIT* s = Spawn(c.type, {20, 20, 0});
    ASSERT_NE(s, nullptr) << c.what;
    ASSERT_NE(Give(s, c.weapon), nullptr) << c.what;
    if (c.ammo) Pick(s, c.ammo, 1);
    s->voiceEvents = c.event;
    EXPECT_EQ(vnTERUNIT_SayEventLine(s), c.line) << c.what;
  }
}

}  // namespace
