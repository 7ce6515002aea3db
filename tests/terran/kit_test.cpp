// The soldier's kit through its protocol: ammunition pick-ups by suit, spending rounds, equipment
// and the loadout, kill credit into the statistics, and the voice events that say one line.
#include <gtest/gtest.h>

#include "effects/weapon.h"
#include "terran/behave.h"
#include "terran/handler.h"
#include "terran/orders.h"
#include "tests/terran/protocol_fixture.h"
#include "world/unittype/unittype.h"

namespace {

using soldiertest::kSoldier;
using vnworld::Row;

class SoldierKit : public soldiertest::SoldierTest {
 protected:
  void SetUp() override {
    Start({Row(VN_UNIT_TYPE_TERRAN_ZR_0, kSoldier), Row(VN_UNIT_TYPE_SUIT_BRAKKAR_0, kSoldier),
           Row(VN_UNIT_TYPE_SUIT_BRAKKAR_1, kSoldier),
           Row(VN_UNIT_TYPE_TERRAN_COMBATENG, kSoldier),
           Row(VN_UNIT_TYPE_AMMO_STANDARD_BULLET, VNUNIT_F_ITEM),
           Row(VN_UNIT_TYPE_AMMO_GRENADE_0, VNUNIT_F_ITEM),
           Row(VN_UNIT_TYPE_AMMO_MICRO_ROCKET_PACK, VNUNIT_F_ITEM),
           Row(VN_UNIT_TYPE_WEAPON_MICROROCKETS, VNUNIT_F_WEAPON,
               {VN_UNIT_TYPE_AMMO_MICRO_ROCKET_PACK}),
           Row(VN_UNIT_TYPE_TECH_NERVEGAS, VNUNIT_F_ITEM)});
    s = Spawn(VN_UNIT_TYPE_TERRAN_ZR_0, {10, 10, 0});
    ASSERT_NE(s, nullptr);
  }
  static int32_t Rounds(const VNUNIT* item) { return vnUNIT_AttrInt(item, VNAMMO_ATTR_COUNT); }
  static VNUNIT* AddAmmo(const VNTERUNIT* who, int32_t type) {
    return SGE_Ask<VNUNIT>(who->unit->pController, SGM_UNIT_ADD_AMMO, type, 0);
  }
  VNTERUNIT* s = nullptr;
};

TEST_F(SoldierKit, APickUpAddsTwoRoundsForATierZeroSuitAndOneForOthers) {
  struct Case {
    int32_t type;
    int32_t perPickUp;
  };
  const Case cases[] = {{VN_UNIT_TYPE_SUIT_BRAKKAR_0, 2},
                        {VN_UNIT_TYPE_SUIT_BRAKKAR_1, 1},
                        {VN_UNIT_TYPE_TERRAN_ZR_0, 1},
                        {VN_UNIT_TYPE_TERRAN_COMBATENG, 1}};
  for (const Case& c : cases) {
    VNTERUNIT* soldier = Spawn(c.type, {20, 20, 0});
    ASSERT_NE(soldier, nullptr) << c.type;
    VNUNIT* item = AddAmmo(soldier, VN_UNIT_TYPE_AMMO_STANDARD_BULLET);
    ASSERT_NE(item, nullptr) << c.type;
    EXPECT_EQ(item->pParent, soldier->unit) << c.type;
    EXPECT_EQ(Rounds(item), c.perPickUp) << c.type;
    EXPECT_EQ(AddAmmo(soldier, VN_UNIT_TYPE_AMMO_STANDARD_BULLET), item) << "the same item grows";
    EXPECT_EQ(Rounds(item), 2 * c.perPickUp) << c.type;
  }
}

TEST_F(SoldierKit, RoundsAreSpentOneByOneAndEmptiedAllAtOnce) {
  VNUNIT* bullets = AddAmmo(s, VN_UNIT_TYPE_AMMO_STANDARD_BULLET);
  VNUNIT* grenades = AddAmmo(s, VN_UNIT_TYPE_AMMO_GRENADE_0);
  ASSERT_TRUE(bullets && grenades);
  AddAmmo(s, VN_UNIT_TYPE_AMMO_STANDARD_BULLET);
  Send(s, SGM_TERUNIT_USE_AMMO, VN_UNIT_TYPE_AMMO_STANDARD_BULLET, 0);
  EXPECT_EQ(Rounds(bullets), 1);
  EXPECT_EQ(Rounds(grenades), 1);
  Send(s, SGM_TERUNIT_USE_AMMO, VN_UNIT_TYPE_AMMO_GRENADE_0, 0);
  Send(s, SGM_TERUNIT_USE_AMMO, VN_UNIT_TYPE_AMMO_GRENADE_0, 0);
  EXPECT_EQ(Rounds(grenades), 0) << "never below nothing";
  Send(s, SGM_TERUNIT_USE_AMMO, 0, 1);
  EXPECT_EQ(Rounds(bullets), 0);
}

TEST_F(SoldierKit, TheLoadoutNamesEquipmentAndLeavesEmptySlotsAsTheyWere) {
  int32_t loadout[4] = {-7, -7, -7, -7};
  EXPECT_EQ(Send(s, SGM_TERUNIT_GET_LOADOUT, 0), 0) << "no record";
  auto* gas = SGE_Ask<VNUNIT>(s->unit->pController, SGM_TERUNIT_ADD_EQUIPMENT,
                              VN_UNIT_TYPE_TECH_NERVEGAS, 0);
  ASSERT_NE(gas, nullptr);
  EXPECT_EQ(Send(s, SGM_TERUNIT_GET_LOADOUT, SGE_PtrParam(loadout)), 1);
  EXPECT_EQ(loadout[0], -7) << "no weapon held";
  EXPECT_EQ(loadout[2], VN_UNIT_TYPE_TECH_NERVEGAS);
  EXPECT_EQ(loadout[3], -7);
}

TEST_F(SoldierKit, AKillCreditedAloudRaisesTheKillEventAndAddsTheWords) {
  s->lineChannel = 3;  // a line still plays, so the raised event stays pending
  struct Case {
    VNWEAPON_CREDIT credit;
    SGE_PARAM quiet;
    uint32_t events;
  };
  const Case cases[] = {
      {{{0, 0}, 0, 0, 1, 50, 3, 2}, 0, 0x40},
      {{{0, 0}, 1, 0, 0, 20, 0, 0}, 0, 0},  // a bug hole is no kill
      {{{0, 0}, 0, 0, 1, 30, 1, 0}, 1, 0},  // quietly
  };
  for (const Case& c : cases) {
    s->voiceEvents = 0;
    Send(s, SGM_WEAPON_CREDIT_KILL, SGE_PtrParam(&c.credit), c.quiet);
    EXPECT_EQ(s->voiceEvents, c.events) << c.credit.nPoints;
  }
  const auto* totals = SGE_Ask<int32_t>(s->unit->pController, SGM_TERUNIT_GET_TOTALS, 0, 0);
  ASSERT_NE(totals, nullptr);
  EXPECT_EQ(totals[2], 1);
  EXPECT_EQ(totals[4], 2);
  EXPECT_EQ(totals[5], 100);
  EXPECT_EQ(totals[6], 4);
  EXPECT_EQ(totals[7], 2);
  EXPECT_EQ(s->unit->nTotal, 100);
}

TEST_F(SoldierKit, OneVoiceEventSaysItsLineAndTwoAtOnceSayNothing) {
  struct Case {
    uint32_t events;
    int32_t line;
  };
  const Case cases[] = {{0x200, 26}, {0x4000, 33}, {0x10000, 34}, {0x400, 28},
                        {0x200 | 0x4000, -1}, {0, -1}, {0x2, -1}};
  for (const Case& c : cases) {
    s->voiceEvents = c.events;
    EXPECT_EQ(vnTERUNIT_SayEventLine(s), c.line) << std::hex << c.events;
    EXPECT_EQ(s->voiceEvents, 0u) << std::hex << c.events;
  }
  Send(s, SGM_TERUNIT_VOICE_EVENT, 0x200 | 0x4000, 0);
  EXPECT_EQ(s->voiceEvents, 0u) << "the message says them too";
  s->lineChannel = 3;
  Send(s, SGM_TERUNIT_VOICE_EVENT, 0x200, 0);
  EXPECT_EQ(s->voiceEvents, 0x200u) << "kept while a line plays";
  Send(s, SGM_TERUNIT_VOICE_EVENT, 0x4000, 0x200);
  EXPECT_EQ(s->voiceEvents, 0x4000u) << "cleared, then set";
}

TEST_F(SoldierKit, ADyingSoldierSaysOnlyTheDyingEvent) {
  s->lowerState = VN_TERUNIT_LOWER_DEATH;
  Send(s, SGM_TERUNIT_VOICE_EVENT, 0x200, 0);
  EXPECT_EQ(s->voiceEvents, 0x200u) << "not said";
  Send(s, SGM_TERUNIT_VOICE_EVENT, 0x10, 0x200);
  EXPECT_EQ(s->voiceEvents, 0u) << "said";
}

}  // namespace

namespace {

class SoldierReset : public SoldierKit {};

TEST_F(SoldierReset, AResetClearsOrdersStatesAndItsOwnBitsAndKeepsTheSendersBits) {
  Send(s, SGM_TERUNIT_ORDER_WAIT, 1, 0);
  s->lowerState = VN_TERUNIT_LOWER_RUNNING;
  s->exhausted = 1;
  s->voiceEvents = 0x200;
  s->stateFlags = VNTERUNIT_SF_AIRBORNE | VNTERUNIT_SF_MICRO_ROCKETS | VNTERUNIT_SF_HELD |
                  VNTERUNIT_SF_ZOMBIE;
  s->modeFlags = VNTERUNIT_MF_SUIT_DESTROYED | VNTERUNIT_MF_ALT_FIRE | VNTERUNIT_MF_WOUNDED;
  vnTERUNIT_Reset(s);
  EXPECT_TRUE(Orders(s).empty());
  EXPECT_EQ(s->lowerState, VN_TERUNIT_LOWER_IDLE);
  EXPECT_EQ(s->exhausted, 0);
  EXPECT_EQ(s->voiceEvents, 0u);
  EXPECT_EQ(s->stateFlags, VNTERUNIT_SF_HELD | VNTERUNIT_SF_ZOMBIE);
  EXPECT_EQ(s->modeFlags, VNTERUNIT_MF_WOUNDED);
}

}  // namespace

namespace {

TEST_F(SoldierKit, ADormantSoldierIsMarkedAndWakesUnmarked) {
  Send(s, SGM_TERUNIT_SET_DORMANT, 1);
  EXPECT_EQ(s->scripted, 1);
  EXPECT_TRUE(s->unit->dwFlags & VNUNIT_F_NEVER_SIGHTED);
  Send(s, SGM_TERUNIT_SET_DORMANT, 0);
  EXPECT_EQ(s->scripted, 0);
  EXPECT_FALSE(s->unit->dwFlags & VNUNIT_F_NEVER_SIGHTED);
}

}  // namespace

namespace {

TEST_F(SoldierKit, AnAttackPointOrderNeedsALaunchedWeaponOrALaunchSuitsRockets) {
  struct Case {
    int32_t type;
    SGE_PARAM flags;
    int32_t lowerState;
    bool rockets;  // carries micro-rocket packs
    bool queued;
  };
  const Case cases[] = {
      {VN_UNIT_TYPE_TERRAN_ZR_0, 0, VN_TERUNIT_LOWER_IDLE, false, false},  // nothing to launch
      {VN_UNIT_TYPE_TERRAN_ZR_0, VNTERUNIT_ATTACKPOINT_ROCKETS, VN_TERUNIT_LOWER_IDLE, true, false},
      {VN_UNIT_TYPE_SUIT_BRAKKAR_0, VNTERUNIT_ATTACKPOINT_ROCKETS, VN_TERUNIT_LOWER_IDLE, true, true},
      {VN_UNIT_TYPE_SUIT_BRAKKAR_0, VNTERUNIT_ATTACKPOINT_ROCKETS, VN_TERUNIT_LOWER_IDLE, false, false},
      {VN_UNIT_TYPE_SUIT_BRAKKAR_1,
       VNTERUNIT_ATTACKPOINT_ROCKETS | VNTERUNIT_ATTACKPOINT_ALTERNATE, VN_TERUNIT_LOWER_IDLE, true,
       true},
      {VN_UNIT_TYPE_SUIT_BRAKKAR_0, VNTERUNIT_ATTACKPOINT_ROCKETS, VN_TERUNIT_LOWER_DEAD, true, false},
      {VN_UNIT_TYPE_SUIT_BRAKKAR_0, VNTERUNIT_ATTACKPOINT_ROCKETS, VN_TERUNIT_LOWER_BOUNCETRAVEL,
       true, false},
  };
  const SPW_VECTOR point{30.0f, 30.0f, 0.0f};
  for (const Case& c : cases) {
    VNTERUNIT* soldier = Spawn(c.type, {20, 20, 0});
    ASSERT_NE(soldier, nullptr);
    if (c.rockets) {
      ASSERT_NE(AddAmmo(soldier, VN_UNIT_TYPE_AMMO_MICRO_ROCKET_PACK), nullptr);
    }
    soldier->lowerState = c.lowerState;
    soldier->stateFlags |= VNTERUNIT_SF_GOAL_BY_FIRE;
    Send(soldier, SGM_TERUNIT_ORDER_ATTACK_POINT, SGE_PtrParam(&point), c.flags);
    const std::vector<int32_t> kinds = Orders(soldier);
    EXPECT_EQ(!kinds.empty() && kinds.front() == VNTERUNIT_ORDER_ATTACK_POINT, c.queued)
        << c.type << " " << c.flags << " " << c.lowerState << " " << c.rockets;
    if (!c.queued) continue;
    EXPECT_EQ(vnTERUNIT_OrderPoint(vnORDER_Current(soldier->unit)).x, 30.0f);
    EXPECT_TRUE(soldier->stateFlags & VNTERUNIT_SF_MICRO_ROCKETS);
    EXPECT_FALSE(soldier->stateFlags & VNTERUNIT_SF_GOAL_BY_FIRE);
    EXPECT_EQ((soldier->modeFlags & VNTERUNIT_MF_ALT_FIRE) != 0,
              (c.flags & VNTERUNIT_ATTACKPOINT_ALTERNATE) != 0);
  }
}

}  // namespace
