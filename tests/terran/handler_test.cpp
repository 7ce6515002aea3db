// The soldier protocol through a soldier's controller: what it answers, what it passes on, and
// the orders it queues.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>

#include "engine/kernel/kernelstate.h"
#include "shell/sound/sound.h"
#include "terran/behave.h"
#include "terran/orders.h"
#include "tests/terran/protocol_fixture.h"
#include "world/fobj/poptarget.h"
#include "world/unitman/orders.h"
#include "world/unittype/attributes.h"
#include "world/unittype/unittype.h"

namespace {

using soldiertest::kSoldier;
using vnworld::Row;
using Kinds = std::vector<int32_t>;

class SoldierProtocol : public soldiertest::SoldierTest {
 protected:
  void SetUp() override {
    Start({Row(VN_UNIT_TYPE_TERRAN_ZR_0, kSoldier), Row(VN_UNIT_TYPE_TERRAN_CIVILIAN, kSoldier),
           Row(VN_UNIT_TYPE_SUIT_BRAKKAR_0, kSoldier), Row(VN_UNIT_TYPE_SUIT_BRAKKAR_1, kSoldier)});
    s = Spawn(VN_UNIT_TYPE_TERRAN_ZR_0, {10, 10, 0});
    ASSERT_NE(s, nullptr);
  }
  VNTERUNIT* s = nullptr;
};

TEST_F(SoldierProtocol, AMessageActedOnStillGetsTheDefaultHandlersAnswer) {
  EXPECT_EQ(Send(s, SGM_TERUNIT_SET_FLAG8), 0);
  EXPECT_TRUE(s->modeFlags & VNTERUNIT_MF_SUIT_AMMO);
  EXPECT_EQ(Send(s, SGM_TERUNIT_SET_FLAGS, 0x30), 0);
  EXPECT_EQ(s->stateFlags & 0x30u, 0x30u);
  EXPECT_EQ(Send(s, SGM_TERUNIT_GET_FLAG20), 1);
  EXPECT_EQ(Send(s, SGM_TERUNIT_SET_FLAGS_IF, 0x4000, 0), 0);
  EXPECT_FALSE(s->stateFlags & 0x4000u) << "p2 0 changes nothing";
  EXPECT_EQ(Send(s, SGM_TERUNIT_SET_FLAGS_IF, 0x4000, 1), 0);
  EXPECT_TRUE(s->stateFlags & 0x4000u);
  EXPECT_EQ(Send(s, SGM_TERUNIT_SET_TAG, 77), 0);
  EXPECT_EQ(s->tag, 77);
  EXPECT_EQ(Send(s, SGM_TERUNIT_SET_FLAG10000, 2), 0);
  EXPECT_FALSE(s->modeFlags & VNTERUNIT_MF_IMMUNE) << "only 1 sets it";
  EXPECT_EQ(Send(s, SGM_TERUNIT_SET_FLAG10000, 1), 0);
  EXPECT_TRUE(s->modeFlags & VNTERUNIT_MF_IMMUNE);
  EXPECT_EQ(SGE_Ask<VNTERUNIT>(s->unit->pController, SGM_TERUNIT_GET_INSTANCE, 0, 0), s);
}

TEST_F(SoldierProtocol, DestroyPassesOnAndTheTaskEnds) {
  VNTERUNIT* patient = Spawn(VN_UNIT_TYPE_TERRAN_ZR_0, {12, 10, 0});
  ASSERT_NE(patient, nullptr);
  vnUNIT_SetAttrFloat(patient->unit, VN_ATTR_HEALTH, 1.0f);
  ASSERT_EQ(vnTERUNIT_AddPatient(s, static_cast<int32_t>(patient->unit->dwId), 1), 1);
  s->lineChannel = 3;
  SGE_TASK* controller = s->unit->pController;
  world.Destroy(s->unit);
  EXPECT_FALSE(SGE_TaskIsLive(controller));
}

TEST_F(SoldierProtocol, TheAttackersCounterNeverGoesBelowZero) {
  struct Step {
    int32_t msg;
    SGE_RESULT answer;
  };
  const Step steps[] = {{SGM_TERUNIT_REMOVE_ATTACKER, 0}, {SGM_TERUNIT_ADD_ATTACKER, 1},
                        {SGM_TERUNIT_ADD_ATTACKER, 2},    {SGM_TERUNIT_GET_ATTACKERS, 2},
                        {SGM_TERUNIT_REMOVE_ATTACKER, 1}, {SGM_TERUNIT_REMOVE_ATTACKER, 0},
                        {SGM_TERUNIT_REMOVE_ATTACKER, 0}};
  int32_t n = 0;
  for (const Step& step : steps) EXPECT_EQ(Send(s, step.msg), step.answer) << "step " << n++;
  EXPECT_EQ(s->attackers, 0);
}

TEST_F(SoldierProtocol, JumpQueryRefusesTheUnsuitedAndMeasuresTheGauge) {
  VNTERUNIT* civilian = Spawn(VN_UNIT_TYPE_TERRAN_CIVILIAN, {20, 10, 0});
  VNTERUNIT* basic = Spawn(VN_UNIT_TYPE_SUIT_BRAKKAR_0, {30, 10, 0});
  VNTERUNIT* advanced = Spawn(VN_UNIT_TYPE_SUIT_BRAKKAR_1, {40, 10, 0});
  ASSERT_TRUE(civilian && basic && advanced);
  struct Case {
    const VNTERUNIT* who;
    float distance;
    SGE_RESULT answer;
  };
  const Case cases[] = {{civilian, 1.0f, 1},   {s, 1.0f, 1},          {basic, 250.0f, 0},
                        {basic, 250.5f, 2},    {advanced, 150.0f, 0}, {advanced, 150.5f, 2}};
  for (const Case& c : cases) {
    float d = c.distance;
    EXPECT_EQ(Send(c.who, SGM_TERUNIT_CAN_JUMP_TO, SGE_PtrParam(&d)), c.answer)
        << c.who->unit->nType << " at " << c.distance;
  }
}

TEST_F(SoldierProtocol, AnIdListKeepsEightIdsAndSaysSo) {
  const int32_t before = s->baseAttributes[0];
  std::vector<int32_t> ids(12);
  for (int32_t i = 0; i < 12; ++i) ids[i] = 100 + i;
  EXPECT_EQ(Send(s, SGM_TERUNIT_SET_ID_LIST, SGE_PtrParam(ids.data()), 12), 0);
  EXPECT_EQ(s->idCount, VNTERUNIT_MAX_IDS);
  EXPECT_EQ(s->idList[7], 107);
  EXPECT_EQ(s->baseAttributes[0], before) << "the words after the list stay";
  const int32_t three[] = {5, 6, 7};
  Send(s, SGM_TERUNIT_SET_ID_LIST, SGE_PtrParam(three), 3);
  EXPECT_EQ(s->idCount, 3);
  EXPECT_EQ(s->idList[2], 7);
  Send(s, SGM_TERUNIT_SET_ID_LIST, 0, 5);
  EXPECT_EQ(s->idCount, 3) << "a null list changes nothing";
  Send(s, SGM_TERUNIT_SET_ID_LIST, SGE_PtrParam(three), -4);
  EXPECT_EQ(s->idCount, 0);
}

TEST_F(SoldierProtocol, WaitOrdersQueueAndAZeroWaitRemovesThemAll) {
  Send(s, SGM_TERUNIT_ORDER_WAIT, 0, 3);
  EXPECT_EQ(Orders(s), (Kinds{VNTERUNIT_ORDER_WAIT}));
  const VNORDER* wait = vnORDER_Current(s->unit);
  EXPECT_EQ(wait->anWord[VNTERUNIT_ORDER_WORD_STARTED], 1);
  EXPECT_EQ(vnTERUNIT_OrderFloat(wait, VNTERUNIT_ORDER_WORD_VALUE), 3.0f);
  EXPECT_EQ(s->idlePeriods, 2);
  Send(s, SGM_TERUNIT_ORDER_WAIT, 1, 0);
  EXPECT_EQ(Orders(s), (Kinds{VNTERUNIT_ORDER_WAIT})) << "a new wait replaces the old";
  EXPECT_EQ(vnORDER_Current(s->unit)->anWord[VNTERUNIT_ORDER_WORD_STARTED], 0) << "untimed";
  Send(s, SGM_TERUNIT_ORDER_WAIT, 0, 0);
  EXPECT_TRUE(Orders(s).empty());
  s->lowerState = VN_TERUNIT_LOWER_DEAD;
  Send(s, SGM_TERUNIT_ORDER_WAIT, 1, 2);
  EXPECT_TRUE(Orders(s).empty()) << "the dead do not wait";
}

TEST_F(SoldierProtocol, AWaitGoesBehindAJump) {
  VNORDER jump = vnTERUNIT_MakeOrder(VNTERUNIT_ORDER_JUMP);
  vnORDER_Append(s->unit, &jump);
  s->lowerState = VN_TERUNIT_LOWER_BOUNCETRAVEL;
  Send(s, SGM_TERUNIT_ORDER_WAIT, 0, 2);
  EXPECT_EQ(Orders(s), (Kinds{VNTERUNIT_ORDER_JUMP, VNTERUNIT_ORDER_WAIT}));
}

TEST_F(SoldierProtocol, AnAttackOrderEndsTheCurrentOrderAndNamesItsTarget) {
  VNORDER move = vnTERUNIT_MakeOrder(VNTERUNIT_ORDER_MOVE);
  VNORDER patrol = vnTERUNIT_MakeOrder(VNTERUNIT_ORDER_PATROL);
  vnORDER_Push(s->unit, &move);
  vnORDER_Push(s->unit, &patrol);
  s->treating = 1;
  EXPECT_EQ(Send(s, SGM_TERUNIT_GET_ATTACK_TARGET), 0);
  EXPECT_EQ(Send(s, SGM_TERUNIT_ORDER_ATTACK_UNIT, 55), 0);
  EXPECT_EQ(Orders(s), (Kinds{VNTERUNIT_ORDER_MOVE, VNTERUNIT_ORDER_STAND}));
  EXPECT_EQ(vnTERUNIT_OrderIsDone(vnORDER_Current(s->unit)), 1);
  EXPECT_TRUE(s->modeFlags & VNTERUNIT_MF_ATTACK_UNIT);
  EXPECT_EQ(s->treating, 0);
  EXPECT_EQ(Send(s, SGM_TERUNIT_GET_ATTACK_TARGET), 55);

  int32_t words[VNORDER_WORDS] = {};
  EXPECT_EQ(Send(s, SGM_TERUNIT_GET_ORDER, SGE_PtrParam(words)), 1);
  EXPECT_EQ(words[0], VNTERUNIT_ORDER_MOVE);
  EXPECT_EQ(Send(s, SGM_TERUNIT_GET_ORDER, 0), 0);
  vnORDER_Clear(s->unit);
  EXPECT_EQ(Send(s, SGM_TERUNIT_GET_ORDER, SGE_PtrParam(words)), 0) << "no order queued";
}

TEST_F(SoldierProtocol, AttackOrdersAreRefusedWhileDyingPossessedOrHeld) {
  struct Case {
    int32_t lower;
    uint32_t flags;
  };
  const Case cases[] = {{VN_TERUNIT_LOWER_DEATH, 0},
                        {VN_TERUNIT_LOWER_DEAD, 0},
                        {VN_TERUNIT_LOWER_POSSESSED, 0},
                        {VN_TERUNIT_LOWER_IDLE, VNTERUNIT_SF_HELD}};
  for (const Case& c : cases) {
    s->lowerState = c.lower;
    s->stateFlags = c.flags;
    EXPECT_EQ(Send(s, SGM_TERUNIT_ORDER_ATTACK_UNIT, 9), 0);
    EXPECT_TRUE(Orders(s).empty()) << c.lower << " " << c.flags;
  }
}

TEST_F(SoldierProtocol, BaseAttributesAreKeptAndSpeedBecomesMetresASecond) {
  const float words[VNTERUNIT_BASE_ATTRIBUTES] = {3.0f, 60.0f, 45.0f, 120.0f, 36.0f, 2.0f, 80.0f};
  Send(s, SGM_TERUNIT_SET_BASE_ATTRIBUTES, SGE_PtrParam(words));
  EXPECT_EQ(vnUNIT_AttrFloat(s->unit, VN_ATTR_HEALTH), 120.0f);
  EXPECT_EQ(vnUNIT_AttrFloat(s->unit, VN_ATTR_ARMOUR), 80.0f);
  EXPECT_EQ(vnUNIT_AttrFloat(s->unit, VN_ATTR_RANGE), 45.0f);
  EXPECT_NEAR(vnUNIT_AttrFloat(s->unit, VN_ATTR_SPEED), 10.0f, 1e-5f);
  const auto* base = SGE_Ask<const int32_t>(s->unit->pController, SGM_TERUNIT_GET_BASE_ATTRIBUTES, 0, 0);
  ASSERT_NE(base, nullptr);
  EXPECT_EQ(std::bit_cast<float>(base[VNTERUNIT_BASE_HEALTH]), 120.0f);
  EXPECT_EQ(vnTERUNIT_BaseValue(s, VNTERUNIT_BASE_ARMOUR), 80.0f);
}

TEST_F(SoldierProtocol, AGrabHoldsTheSoldierUnlessItMansATurret) {
  Send(s, SGM_TERUNIT_GRABBED, 31);
  EXPECT_EQ(s->targetId, 31);
  EXPECT_TRUE(s->stateFlags & VNTERUNIT_SF_GRABBED);
  Send(s, SGM_TERUNIT_RELEASED);
  EXPECT_EQ(s->targetId, 0);
  EXPECT_FALSE(s->stateFlags & VNTERUNIT_SF_GRABBED);
  s->stateFlags |= VNTERUNIT_SF_TURRET;
  Send(s, SGM_TERUNIT_GRABBED, 31);
  EXPECT_FALSE(s->stateFlags & VNTERUNIT_SF_GRABBED);
}

TEST_F(SoldierProtocol, OffTheGroundWhileBouncingOrThrown) {
  EXPECT_EQ(Send(s, SGM_TERUNIT_IS_OFF_GROUND), 0);
  s->lowerState = VN_TERUNIT_LOWER_BOUNCESPLAT;
  EXPECT_EQ(Send(s, SGM_TERUNIT_IS_OFF_GROUND), 1);
  s->lowerState = VN_TERUNIT_LOWER_IDLE;
  s->stateFlags |= VNTERUNIT_SF_AIRBORNE;
  EXPECT_EQ(Send(s, SGM_TERUNIT_IS_OFF_GROUND), 1);
  s->lowerState = VN_TERUNIT_LOWER_POSSESSED;
  EXPECT_EQ(Send(s, SGM_TERUNIT_IS_POSSESSED), 1);
}

TEST_F(SoldierProtocol, TheLineChannelEndsOnlyWithItsOwnSound) {
  s->lineChannel = 4;
  Send(s, SGM_SOUND_FINISHED, 5);
  EXPECT_EQ(s->lineChannel, 4);
  Send(s, SGM_SOUND_FINISHED, 4);
  EXPECT_EQ(s->lineChannel, -1);
}

TEST_F(SoldierProtocol, ASoldierStartsIdleInNormalModeWithItsGauge) {
  VNTERUNIT* suit = Spawn(VN_UNIT_TYPE_SUIT_BRAKKAR_0, {30, 10, 0});
  ASSERT_NE(suit, nullptr);
  EXPECT_EQ(s->lowerState, VN_TERUNIT_LOWER_IDLE);
  EXPECT_EQ(s->upperState, VN_TERUNIT_UPPER_IDLE);
  EXPECT_EQ(Send(s, SGM_UNIT_GET_SIDE), 1);
  EXPECT_EQ(s->jumpEnergy, -1.0f);
  EXPECT_EQ(suit->jumpEnergy, 250.0f);
  EXPECT_EQ(s->domeCharge, -1.0f);
  EXPECT_EQ(s->unit->dwExcludeMask, VNUNIT_F_WEAPON | VNUNIT_F_PROJECTILE);
  EXPECT_EQ(s->lineChannel, -1);
  EXPECT_EQ(s->turretId, -1);
}

}  // namespace
