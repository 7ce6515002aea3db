// The soldier's frame at 0.1 s a frame: every order kind that needs no weapon, exhaustion after a
// charge, the jump plan and the suit-destroyed sequence.
#include <gtest/gtest.h>

#include "terran/behave.h"
#include "terran/movement.h"
#include "terran/orders.h"
#include "terran/unitfx.h"
#include "tests/terran/protocol_fixture.h"
#include "world/unitman/orders.h"
#include "world/unittype/attributes.h"
#include "world/mover/mover.h"
#include "world/unittype/unittype.h"
#include "terran/update.h"

namespace {

using soldiertest::kSoldier;
using vnworld::Row;
using Kinds = std::vector<int32_t>;

class SoldierUpdate : public soldiertest::SoldierTest {
 protected:
  void SetUp() override {
    Start({Row(VN_UNIT_TYPE_TERRAN_ZR_0, kSoldier), Row(VN_UNIT_TYPE_TERRAN_ZR_0_FEM, kSoldier),
           Row(VN_UNIT_TYPE_TERRAN_MEDIC, kSoldier), Row(VN_UNIT_TYPE_SUIT_BRAKKAR_0, kSoldier),
           Row(VN_UNIT_TYPE_TECH_NERVEGAS, VNUNIT_F_ITEM)});
    s = Spawn(VN_UNIT_TYPE_TERRAN_ZR_0, {10, 10, 0});
    ASSERT_NE(s, nullptr);
  }
  VNORDER Order(int32_t kind, int32_t target = 0, float value = 0.0f) {
    VNORDER o = vnTERUNIT_MakeOrder(kind);
    o.anWord[VNTERUNIT_ORDER_WORD_TARGET] = target;
    vnTERUNIT_SetOrderFloat(&o, VNTERUNIT_ORDER_WORD_VALUE, value);
    return o;
  }
  void Give(const VNORDER& o) { ASSERT_NE(vnORDER_Append(s->unit, &o), nullptr); }
  VNTERUNIT* s = nullptr;
};

TEST_F(SoldierUpdate, OrdersThatEndAtOnceArePoppedAndTheDefaultOrderStays) {
  const int32_t kinds[] = {VNTERUNIT_ORDER_DROP_7, VNTERUNIT_ORDER_DROP_8, VNTERUNIT_ORDER_HALT};
  for (int32_t kind : kinds) {
    Give(Order(kind));
    s->lowerState = VN_TERUNIT_LOWER_RUNNING;
    EXPECT_EQ(vnTERUNIT_Update(0, 0, s->unit->pController, s), 1) << kind;
    EXPECT_TRUE(Orders(s).empty()) << kind;
  }
  EXPECT_EQ(s->lowerState, VN_TERUNIT_LOWER_IDLE) << "halted";
  EXPECT_EQ(vnTERUNIT_Update(0, 0, s->unit->pController, s), 1) << "the default order pops";
  EXPECT_NE(vnORDER_Current(s->unit), nullptr);
}

TEST_F(SoldierUpdate, ATimedWaitEndsAfterItsSecondsAndAnUntimedOneStays) {
  Send(s, SGM_TERUNIT_ORDER_WAIT, 0, 2);
  world.RunFrames(19);
  EXPECT_EQ(Orders(s), (Kinds{VNTERUNIT_ORDER_WAIT}));
  world.RunFrames(2);
  EXPECT_TRUE(Orders(s).empty());
  Send(s, SGM_TERUNIT_ORDER_WAIT, 1, 0);
  world.RunFrames(50);
  EXPECT_EQ(Orders(s), (Kinds{VNTERUNIT_ORDER_WAIT}));
  EXPECT_EQ(s->lowerState, VN_TERUNIT_LOWER_IDLE);
}

TEST_F(SoldierUpdate, AStandOrderHoldsUntilMarkedDone) {
  Send(s, SGM_TERUNIT_ORDER_ATTACK_UNIT, 999);
  world.RunFrames(5);
  EXPECT_EQ(Orders(s), (Kinds{VNTERUNIT_ORDER_STAND}));
  vnORDER_MarkDone(vnORDER_Current(s->unit));
  world.RunFrames(1);
  EXPECT_TRUE(Orders(s).empty());
}

TEST_F(SoldierUpdate, AChargeTiresAfterTwentySecondsAndRestsSixteen) {
  s->engagementMode = VNTERUNIT_ENGAGE_CHARGE;
  world.RunFrames(199);
  EXPECT_EQ(s->exhausted, 0);
  world.RunFrames(3);
  EXPECT_EQ(s->exhausted, 1);
  EXPECT_NEAR(s->exertion, 16.0f, 0.25f);
  EXPECT_EQ(s->lowerState, VN_TERUNIT_LOWER_IDLE);
  world.RunFrames(155);
  EXPECT_EQ(s->exhausted, 1);
  world.RunFrames(10);
  EXPECT_EQ(s->exhausted, 0) << "rested";
  EXPECT_LT(s->exertion, 1.0f);
}

TEST_F(SoldierUpdate, ARestingSoldierDoesNothingElse) {
  s->exhausted = 1;
  s->exertion = 5.0f;
  Give(Order(VNTERUNIT_ORDER_DROP_7));
  world.RunFrames(3);
  EXPECT_EQ(Orders(s), (Kinds{VNTERUNIT_ORDER_DROP_7}));
}

TEST_F(SoldierUpdate, PatrolRoutesTurnAtTheirEndsUnlessTheyMayNot) {
  struct Case {
    uint32_t count;
    uint32_t flags;
    std::vector<int32_t> indices;  // after each step; -1 ends the route
  };
  const Case cases[] = {
      {3, 0, {1, 2, 1, 0, 1, 2, 1}},
      {2, 0, {1, 0, 1, 0}},
      {3, VNTERUNIT_SF_PATROL_NO_REVERSE, {1, 2, -1}},
      {1, 0, {-1}},
  };
  for (const Case& c : cases) {
    vnTERUNIT_ClearRoute(s);
    s->waypointCount = c.count;
    s->stateFlags = c.flags;
    for (size_t i = 0; i < c.indices.size(); ++i) {
      const int32_t more = vnTERUNIT_NextWaypoint(s);
      if (c.indices[i] < 0) {
        EXPECT_EQ(more, 0) << c.count << " step " << i;
        break;
      }
      EXPECT_EQ(more, 1) << c.count << " step " << i;
      EXPECT_EQ(static_cast<int32_t>(s->waypointIndex), c.indices[i]) << c.count << " step " << i;
    }
  }
}

TEST_F(SoldierUpdate, APatrolAtItsLastWaypointGoesIdleAndEnds) {
  s->waypoints[0] = s->unit->vPos;
  s->waypointCount = 1;
  Give(Order(VNTERUNIT_ORDER_PATROL, 0, 3.0f));
  world.RunFrames(1);
  EXPECT_TRUE(Orders(s).empty());
  EXPECT_EQ(s->waypointCount, 0u);
}

TEST_F(SoldierUpdate, AGuardWalksTheCircleAndPausesTwoSecondsAtEachEnd) {
  VNTERUNIT* guarded = Spawn(VN_UNIT_TYPE_TERRAN_ZR_0, {12, 10, 0});
  ASSERT_NE(guarded, nullptr);
  s->unit->pMove->fMaxSpeed = 5.0f;  // 19 m take 3.8 s
  Give(Order(VNTERUNIT_ORDER_GUARD, static_cast<int32_t>(guarded->unit->dwId), 1.0f));
  world.RunFrames(5);
  EXPECT_EQ(s->lowerState, VN_TERUNIT_LOWER_RUNNING) << "walks out";
  EXPECT_EQ(s->circleSide, 0);
  world.RunFrames(35);
  EXPECT_EQ(s->circleSide, 1) << "walked long enough: a point on the circle";
  EXPECT_NEAR(vnTERUNIT_Distance2D(s->circlePoint, guarded->unit->vPos), 19.0f, 1e-3f);
  EXPECT_GT(s->circleWait, 0.0f);
  world.RunFrames(15);
  EXPECT_EQ(s->lowerState, VN_TERUNIT_LOWER_IDLE) << "pausing";
  world.RunFrames(10);
  EXPECT_EQ(s->circleWait, -1.0f) << "the pause ran from 1 to 3";
  EXPECT_EQ(s->lowerState, VN_TERUNIT_LOWER_RUNNING) << "walks again";
  EXPECT_EQ(Orders(s), (Kinds{VNTERUNIT_ORDER_GUARD}));
  world.Destroy(guarded->unit);
  world.RunFrames(1);
  EXPECT_TRUE(Orders(s).empty()) << "nobody left to guard";
}

TEST_F(SoldierUpdate, AMedicHealsAtTenASecondThenTakesTheNextPatient) {
  VNTERUNIT* medic = Spawn(VN_UNIT_TYPE_TERRAN_MEDIC, {20, 20, 0});
  VNTERUNIT* first = Spawn(VN_UNIT_TYPE_TERRAN_ZR_0, {21, 20, 0});
  VNTERUNIT* second = Spawn(VN_UNIT_TYPE_TERRAN_ZR_0_FEM, {20, 21, 0});
  ASSERT_TRUE(medic && first && second);
  vnUNIT_SetAttrFloat(first->unit, VN_ATTR_HEALTH, 80.0f);
  vnUNIT_SetAttrFloat(second->unit, VN_ATTR_HEALTH, 95.0f);
  const int32_t ids[] = {static_cast<int32_t>(first->unit->dwId),
                         static_cast<int32_t>(second->unit->dwId)};
  vnTERUNIT_AddPatients(medic, 2, ids, 1);
  VNORDER heal = Order(VNTERUNIT_ORDER_HEAL, ids[0], 2.0f);
  ASSERT_NE(vnORDER_Append(medic->unit, &heal), nullptr);
  world.RunFrames(10);
  EXPECT_NEAR(vnUNIT_AttrFloat(first->unit, VN_ATTR_HEALTH), 90.0f, 0.01f);
  EXPECT_EQ(medic->lowerState, VN_TERUNIT_LOWER_HEAL);
  EXPECT_EQ(medic->treating, 1);
  world.RunFrames(11);
  EXPECT_EQ(vnUNIT_AttrFloat(first->unit, VN_ATTR_HEALTH), 100.0f) << "exactly the maximum";
  EXPECT_EQ(vnORDER_Current(medic->unit)->anWord[VNTERUNIT_ORDER_WORD_TARGET], ids[1]);
  world.RunFrames(8);
  EXPECT_EQ(vnUNIT_AttrFloat(second->unit, VN_ATTR_HEALTH), 100.0f);
  EXPECT_TRUE(Orders(medic).empty());
  EXPECT_EQ(vnTERUNIT_FirstPatient(medic), 0);
}

TEST_F(SoldierUpdate, ATurretOrderWalksToTheSeatThenMansTheGunUntilDone) {
  VNORDER man = Order(VNTERUNIT_ORDER_TURRET);
  vnTERUNIT_SetOrderPoint(&man, {30.0f, 10.0f, 0.0f});
  Give(man);
  world.RunFrames(1);
  EXPECT_EQ(s->lowerState, VN_TERUNIT_LOWER_RUNNING) << "20 m from the seat";
  EXPECT_FALSE(s->stateFlags & VNTERUNIT_SF_TURRET);
  vnORDER_Pop(s->unit);
  vnTERUNIT_SetOrderPoint(&man, {12.0f, 10.0f, 0.0f});
  Give(man);
  world.RunFrames(1);
  EXPECT_TRUE(s->stateFlags & VNTERUNIT_SF_TURRET) << "within 3 m: seated";
  EXPECT_EQ(s->lowerState, VN_TERUNIT_LOWER_IDLE);
  world.RunFrames(5);
  EXPECT_EQ(s->lowerState, VN_TERUNIT_LOWER_TURRETFIRE);
  EXPECT_EQ(s->upperState, VN_TERUNIT_UPPER_TURRETFIRE);
  EXPECT_NEAR(s->phaseTimer, 0.5f, 1e-4f);
  EXPECT_EQ(Orders(s), (Kinds{VNTERUNIT_ORDER_TURRET}));
  vnORDER_MarkDone(vnORDER_Current(s->unit));
  world.RunFrames(1);
  EXPECT_TRUE(Orders(s).empty());
}

TEST_F(SoldierUpdate, BreathShowsEveryTwoToFourSecondsOnlyWhileItsFlagIsSet) {
  s->breathTimer = 0.05f;
  world.RunFrames(3);
  EXPECT_EQ(s->breathTimer, 0.05f) << "no breath flag";
  s->stateFlags |= VNTERUNIT_SF_BREATH_PUFFS;
  world.RunFrames(1);
  EXPECT_GE(s->breathTimer, 2.0f);
  EXPECT_LT(s->breathTimer, 4.0f);
  const SPW_VECTOR heading = s->unit->pMove->vHeading;
  EXPECT_NEAR(s->breathDrift.x, 0.05f * heading.x, 1e-6f);
  EXPECT_NEAR(s->breathDrift.y, 0.05f * heading.y, 1e-6f);
  for (int32_t i = 0; i < 50; ++i) {
    const float pause = vnFX_BreathPause(1);
    EXPECT_GE(pause, 1.0f);
    EXPECT_LT(pause, 2.0f) << "a runner breathes twice as often";
  }
}

TEST_F(SoldierUpdate, AJumpShorterThanAFifthOfASecondIsNotFlownAndStillLands) {
  VNTERUNIT* suit = Spawn(VN_UNIT_TYPE_SUIT_BRAKKAR_0, {10, 30, 0});
  ASSERT_NE(suit, nullptr);
  const SPW_VECTOR near{13.0f, 30.0f, 0.0f};  // 0.1 s of flight
  vnTERUNIT_PlanBounce(suit, &near);
  EXPECT_EQ(suit->bounceHalfTime, -1.0f);
  VNORDER jump = Order(VNTERUNIT_ORDER_JUMP);
  vnTERUNIT_SetOrderPoint(&jump, near);
  ASSERT_NE(vnORDER_Append(suit->unit, &jump), nullptr);
  suit->lowerState = VN_TERUNIT_LOWER_BOUNCETRAVEL;
  EXPECT_EQ(vnTERUNIT_Update(0, 0, suit->unit->pController, suit), 1);
  EXPECT_EQ(suit->lowerState, VN_TERUNIT_LOWER_BOUNCELAND);
  EXPECT_TRUE(Orders(suit).empty());
}

TEST_F(SoldierUpdate, ANinetyMetreJumpTakesThreeSecondsUnderLighterGravity) {
  VNTERUNIT* suit = Spawn(VN_UNIT_TYPE_SUIT_BRAKKAR_0, {10, 30, 0});
  ASSERT_NE(suit, nullptr);
  const SPW_VECTOR far{100.0f, 30.0f, 0.0f};
  vnTERUNIT_PlanBounce(suit, &far);
  EXPECT_FLOAT_EQ(suit->bounceGravity, -9.8f / 1.2f);
  EXPECT_FLOAT_EQ(suit->bounceVelocity.x, 30.0f);
  // The test world has no path network: the point lies in no region, so nothing is flown.
  EXPECT_EQ(suit->bounceHalfTime, -1.0f);
  const SPW_VECTOR above{10.0f, 30.0f, 20.0f};
  vnTERUNIT_PlanBounce(suit, &above);
  EXPECT_EQ(suit->bounceHalfTime, -1.0f) << "no flight time, no flight";
  EXPECT_EQ(suit->bounceVelocity.z, 0.0f);
}

TEST_F(SoldierUpdate, ADestroyedSuitLeavesItsPilotOnceAliveOrDead) {
  struct Case {
    int32_t spare;
    bool alive;
  };
  const Case cases[] = {{1, true}, {0, false}};
  for (const Case& c : cases) {
    VNTERUNIT* suit = Spawn(VN_UNIT_TYPE_SUIT_BRAKKAR_0, {10, 30, 0});
    ASSERT_NE(suit, nullptr);
    EXPECT_EQ(vnTERUNIT_SuitDestroyed(suit, c.spare), 1);
    EXPECT_TRUE(suit->modeFlags & VNTERUNIT_MF_SUIT_DESTROYED);
    VNUNIT* pilot = vnUNITMAN_GetUnit(suit->unit->dwId + 1);
    ASSERT_NE(pilot, nullptr) << c.spare;
    EXPECT_EQ(pilot->nType, VN_UNIT_TYPE_TERRAN_ZR_0);
    EXPECT_EQ(vnUNIT_AttrFloat(pilot, VN_ATTR_HEALTH) > 0.0f, c.alive) << c.spare;
    EXPECT_EQ(vnTERUNIT_SuitDestroyed(suit, c.spare), 1);
    EXPECT_EQ(vnUNITMAN_GetUnit(suit->unit->dwId + 2), nullptr) << "once only";
  }
}

TEST_F(SoldierUpdate, APilotTakesTheSuitsDeedsAndItsTechItems) {
  VNTERUNIT* suit = Spawn(VN_UNIT_TYPE_SUIT_BRAKKAR_0, {10, 30, 0});
  ASSERT_NE(suit, nullptr);
  suit->totals[4] = 3;  // kills
  suit->totals[5] = 40;  // points
  ASSERT_NE(Send(suit, SGM_TERUNIT_ADD_EQUIPMENT, VN_UNIT_TYPE_TECH_NERVEGAS), 0);
  const uint32_t before = suit->unit->dwId;
  ASSERT_EQ(vnTERUNIT_SuitDestroyed(suit, 1), 1);
  VNUNIT* pilot = nullptr;
  for (uint32_t id = before + 1; id < before + 8 && !pilot; ++id) {
    VNUNIT* u = vnUNITMAN_GetUnit(id);
    if (u && u->nType == VN_UNIT_TYPE_TERRAN_ZR_0) pilot = u;
  }
  ASSERT_NE(pilot, nullptr);
  const auto* record = SGE_Ask<VNTERUNIT>(pilot->pController, SGM_TERUNIT_GET_INSTANCE, 0, 0);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->totals[4], 3);
  EXPECT_EQ(pilot->nTotal, 40);
  EXPECT_EQ(record->voiceEvents, 0u) << "the deeds come over quietly";
  const VNUNIT* item = SGE_ListFirstRecord<VNUNIT>(&pilot->aChildren[VNTERUNIT_EQUIPMENT_LIST]);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->nType, VN_UNIT_TYPE_TECH_NERVEGAS);
  EXPECT_EQ(vnTERUNIT_BaseValue(record, VNTERUNIT_BASE_ARMOUR), 0.0f) << "no suit, no armour";
}

TEST_F(SoldierUpdate, AScriptedWalkRunsToItsPointAndEndsWithinThreeMetres) {
  s->scripted = 1;
  VNORDER walk = Order(VNTERUNIT_ORDER_MOVE);
  vnTERUNIT_SetOrderPoint(&walk, {40.0f, 10.0f, 0.0f});
  Give(walk);
  world.RunFrames(1);
  EXPECT_EQ(s->lowerState, VN_TERUNIT_LOWER_RUNNING);
  EXPECT_EQ(Orders(s), (Kinds{VNTERUNIT_ORDER_MOVE}));
  vnORDER_Pop(s->unit);
  vnTERUNIT_SetOrderPoint(&walk, {12.5f, 10.0f, 0.0f});
  Give(walk);
  s->upperState = VN_TERUNIT_UPPER_FIRING;
  world.RunFrames(1);
  EXPECT_TRUE(Orders(s).empty());
  EXPECT_EQ(s->lowerState, VN_TERUNIT_LOWER_IDLE);
  EXPECT_EQ(s->upperState, VN_TERUNIT_UPPER_FIRING) << "a shot under way goes on";
}

}  // namespace

namespace {

class DeadBody : public SoldierUpdate {};

TEST_F(DeadBody, AnUnsuitedBodyTakesUpItsAnimationsEveryTenSecondsAndASuitNever) {
  VNTERUNIT* suit = Spawn(VN_UNIT_TYPE_SUIT_BRAKKAR_0, {20, 10, 0});
  ASSERT_NE(suit, nullptr);
  for (VNTERUNIT* body : {s, suit}) {
    body->idleTime = 0.0f;
    body->upperLocked = body->lowerLocked = 1;
    for (int32_t i = 0; i < 99; ++i) vnTERUNIT_DeadBodyStep(nullptr, body->model, body);
    EXPECT_EQ(body->lowerLocked, 1) << body->unit->nType << ": ten seconds are not past";
    for (int32_t i = 0; i < 2; ++i) vnTERUNIT_DeadBodyStep(nullptr, body->model, body);
  }
  EXPECT_EQ(s->lowerLocked, 0);
  EXPECT_EQ(s->upperLocked, 0);
  EXPECT_NEAR(s->idleTime, 0.1f, 1e-3f) << "ten seconds are taken off";
  EXPECT_EQ(suit->lowerLocked, 1);
  EXPECT_EQ(suit->idleTime, 0.0f);
}

using ZombieOrders = SoldierUpdate;

TEST_F(ZombieOrders, AZombieKnowsFewOrdersAndDropsTheRestAtOnce) {
  struct CASE {
    int32_t kind;
    float value;
    int32_t popped;
  } cases[] = {
      {VNTERUNIT_ORDER_MOVE, 0.0f, 1},         {VNTERUNIT_ORDER_PATROL, 0.0f, 1},
      {VNTERUNIT_ORDER_HEAL, 0.0f, 1},         {VNTERUNIT_ORDER_STAND, 0.0f, 0},
      {VNTERUNIT_ORDER_HOLD_FIRE_AT_WILL, 0.0f, 0},
  };
  for (const CASE& c : cases) {
    vnORDER_Clear(s->unit);
    Give(Order(c.kind, 0, c.value));
    s->lowerState = VN_TERUNIT_LOWER_RUNNING;
    EXPECT_EQ(vnTERUNIT_RunOrders(0, 0, s->unit->pController, s), c.popped) << c.kind;
    EXPECT_EQ(Orders(s).size(), c.popped ? 0u : 1u) << c.kind;
    if (!c.popped) {
      EXPECT_EQ(s->lowerState, VN_TERUNIT_LOWER_IDLE) << c.kind;
    }
  }
  // Marked done, those it knows end too.
  vnORDER_MarkDone(vnORDER_Current(s->unit));
  EXPECT_EQ(vnTERUNIT_RunOrders(0, 0, s->unit->pController, s), 1);
  // A timed wait ends after its seconds.
  VNORDER wait = Order(VNTERUNIT_ORDER_WAIT, 0, 0.25f);
  wait.anWord[VNTERUNIT_ORDER_WORD_STARTED] = 1;
  Give(wait);
  EXPECT_EQ(vnTERUNIT_RunOrders(0, 0, s->unit->pController, s), 0);
  EXPECT_EQ(vnTERUNIT_RunOrders(0, 0, s->unit->pController, s), 0);
  EXPECT_EQ(vnTERUNIT_RunOrders(0, 0, s->unit->pController, s), 1);
  // Knocked over, a zombie does nothing else.
  Give(Order(VNTERUNIT_ORDER_MOVE));
  s->lowerState = VN_TERUNIT_LOWER_TAKINGMAJORDAMAGE;
  EXPECT_EQ(vnTERUNIT_RunOrders(0, 0, s->unit->pController, s), 0);
  EXPECT_EQ(Orders(s), (Kinds{VNTERUNIT_ORDER_MOVE}));
}

}  // namespace
