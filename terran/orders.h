#pragma once
// Soldier orders: the kinds a soldier's order queue holds and the words each kind reads. The queue
// itself is the unit's (vnORDER_*); the current order is the one the per-frame update runs.
#include <cstdint>

#include "engine/math/vecmath.h"
#include "world/unitman/orders.h"
#include "world/unitman/unitman.h"

enum VNTERUNIT_ORDERKIND : int32_t {
  VNTERUNIT_ORDER_NONE = 0,  // automatic engagement; the default order
  VNTERUNIT_ORDER_ATTACK_UNIT = 1,
  VNTERUNIT_ORDER_ATTACK_POINT = 2,
  VNTERUNIT_ORDER_MOVE = 3,
  VNTERUNIT_ORDER_PATROL = 5,
  VNTERUNIT_ORDER_GUARD = 6,
  VNTERUNIT_ORDER_DROP_7 = 7,  // popped at once
  VNTERUNIT_ORDER_DROP_8 = 8,  // popped at once
  VNTERUNIT_ORDER_TECH_ITEM = 9,
  VNTERUNIT_ORDER_HALT = 10,
  VNTERUNIT_ORDER_HOLD_FIRE_AT_WILL = 11,
  VNTERUNIT_ORDER_JUMP = 12,
  VNTERUNIT_ORDER_FIRE_POINT = 13,
  VNTERUNIT_ORDER_HEAL = 14,
  VNTERUNIT_ORDER_REPAIR = 15,
  VNTERUNIT_ORDER_POSSESSED = 17,
  VNTERUNIT_ORDER_SNIPER_AIM = 18,
  VNTERUNIT_ORDER_TURRET = 19,
  VNTERUNIT_ORDER_WAIT = 20,
  VNTERUNIT_ORDER_STAND = 21,  // idle until marked done; the attack-unit message's order
  VNTERUNIT_ORDER_ROPE = 22,
};

// Words of a soldier order (VNORDER::anWord).
constexpr int32_t VNTERUNIT_ORDER_WORD_TARGET = 1;   // target unit id or item type
constexpr int32_t VNTERUNIT_ORDER_WORD_SECOND = 2;   // second id; the rope's done word
constexpr int32_t VNTERUNIT_ORDER_WORD_STARTED = 3;  // started, timed, or 1: the rope holds a model
constexpr int32_t VNTERUNIT_ORDER_WORD_POINT = 4;    // 3 floats
constexpr int32_t VNTERUNIT_ORDER_WORD_BACK = 7;     // 3 floats: the rope's negated direction
constexpr int32_t VNTERUNIT_ORDER_WORD_VALUE = 10;   // float: radius, or the wait's seconds left

// A zeroed order of the kind.
VNORDER vnTERUNIT_MakeOrder(int32_t kind);
// Float words of an order.
float vnTERUNIT_OrderFloat(const VNORDER* order, int32_t word);
void vnTERUNIT_SetOrderFloat(VNORDER* order, int32_t word, float value);
SPW_VECTOR vnTERUNIT_OrderPoint(const VNORDER* order, int32_t word = VNTERUNIT_ORDER_WORD_POINT);
void vnTERUNIT_SetOrderPoint(VNORDER* order, const SPW_VECTOR& point,
                             int32_t word = VNTERUNIT_ORDER_WORD_POINT);
int32_t vnTERUNIT_OrderKind(const VNORDER* order);
int32_t vnTERUNIT_OrderIsDone(const VNORDER* order);

// Removes every queued order of the kind; the number removed.
int32_t vnTERUNIT_RemoveOrders(VNUNIT* unit, int32_t kind);
// The wait order {timed, seconds}: behind the current order when behindCurrent is set (and there
// is one), else after the queue's last. Null when the order pool is empty.
VNORDER_NODE* vnTERUNIT_QueueWait(VNUNIT* unit, int32_t timed, float seconds, int32_t behindCurrent);
// Keeps the current order only, marks it done and puts the order in front of it: the soldier
// finishes nothing of what it was doing. Null when the order pool is empty.
VNORDER_NODE* vnTERUNIT_ReplaceOrders(VNUNIT* unit, const VNORDER* order);
