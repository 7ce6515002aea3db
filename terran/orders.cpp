// Soldier orders over the unit's order queue: the words each kind reads, and the queue
// operations the soldier protocol shares.
#include "terran/orders.h"

#include <bit>

#include "engine/memory/lists.h"

VNORDER vnTERUNIT_MakeOrder(int32_t kind) {
  VNORDER order{};
  order.anWord[VNORDER_WORD_KIND] = kind;
  return order;
}

float vnTERUNIT_OrderFloat(const VNORDER* order, int32_t word) {
  return std::bit_cast<float>(order->anWord[word]);
}

void vnTERUNIT_SetOrderFloat(VNORDER* order, int32_t word, float value) {
  order->anWord[word] = std::bit_cast<int32_t>(value);
}

SPW_VECTOR vnTERUNIT_OrderPoint(const VNORDER* order, int32_t word) {
  return {vnTERUNIT_OrderFloat(order, word), vnTERUNIT_OrderFloat(order, word + 1),
          vnTERUNIT_OrderFloat(order, word + 2)};
}

void vnTERUNIT_SetOrderPoint(VNORDER* order, const SPW_VECTOR& point, int32_t word) {
  vnTERUNIT_SetOrderFloat(order, word, point.x);
  vnTERUNIT_SetOrderFloat(order, word + 1, point.y);
  vnTERUNIT_SetOrderFloat(order, word + 2, point.z);
}

int32_t vnTERUNIT_OrderKind(const VNORDER* order) {
  return order ? order->anWord[VNORDER_WORD_KIND] : VNTERUNIT_ORDER_NONE;
}

int32_t vnTERUNIT_OrderIsDone(const VNORDER* order) {
  return order && (order->anWord[VNORDER_WORD_FLAGS] & static_cast<int32_t>(VNORDER_DONE)) ? 1 : 0;
}

int32_t vnTERUNIT_RemoveOrders(VNUNIT* unit, int32_t kind) {
  int32_t removed = 0;
  while (vnORDER_RemoveById(unit, kind)) ++removed;
  return removed;
}

VNORDER_NODE* vnTERUNIT_QueueWait(VNUNIT* unit, int32_t timed, float seconds,
                                  int32_t behindCurrent) {
  VNORDER wait = vnTERUNIT_MakeOrder(VNTERUNIT_ORDER_WAIT);
  wait.anWord[VNTERUNIT_ORDER_WORD_STARTED] = timed;
  vnTERUNIT_SetOrderFloat(&wait, VNTERUNIT_ORDER_WORD_VALUE, seconds);
  if (!behindCurrent || SGE_ListIsEmpty(&unit->orders)) return vnORDER_Append(unit, &wait);
  // Second in line: with one order queued that is the queue's far end, which InsertAt refuses.
  if (SGE_ListCount(&unit->orders) == 1) return vnORDER_Push(unit, &wait);
  return vnORDER_InsertAt(unit, &wait, 1);
}

VNORDER_NODE* vnTERUNIT_ReplaceOrders(VNUNIT* unit, const VNORDER* order) {
  vnORDER_MarkDone(vnORDER_KeepFirst(unit));
  return vnORDER_Push(unit, order);
}
