// Order queues. A unit's queue is consumed from the tail: the tail node is the current order and
// the head node runs last. Nodes come from the running manager's order pool, reached through its
// messages: 296 takes a node, 297 unlinks one and gives it back, 298 is the default order.
#include <cstring>

#include "engine/kernel/kernel.h"
#include "world/unitman/orders.h"

namespace {

VNORDER_NODE* TakeNode() {
  return SGE_Ask<VNORDER_NODE>(vnUNITMAN_GetTask(), SGM_UNITMAN_TAKE_ORDER, 0, 0);
}

// Unlinked here as well, so that a queue empties even when no manager runs.
void ReturnNode(VNORDER_NODE* node) {
  SGE_ListUnlink(&node->link);
  SGE_Send(vnUNITMAN_GetTask(), SGM_UNITMAN_RETURN_ORDER, SGE_PtrParam(node), 0);
}

VNORDER* DefaultOrder() {
  auto* node =
      SGE_Ask<VNORDER_NODE>(vnUNITMAN_GetTask(), SGM_UNITMAN_DEFAULT_ORDER, 0, 0);
  return node ? &node->order : nullptr;
}

VNORDER_NODE* CurrentNode(VNUNIT* unit) { return SGE_ListLastRecord<VNORDER_NODE>(&unit->orders); }

// A pool node holding a copy of the order, not yet linked; null when the pool is empty.
VNORDER_NODE* NewNode(const VNORDER* order) {
  VNORDER_NODE* node = TakeNode();
  if (!node) return nullptr;
  std::memcpy(&node->order, order, sizeof(VNORDER));
  return node;
}

// Walking from the current order towards the head: the first order of that kind.
VNORDER_NODE* FindKind(VNUNIT* unit, int32_t kind) {
  for (VNORDER_NODE* node : SGE_ListRecordsBackward<VNORDER_NODE>(&unit->orders))
    if (node->order.anWord[VNORDER_WORD_KIND] == kind) return node;
  return nullptr;
}

}  // namespace

VNORDER* vnORDER_Current(VNUNIT* unit) {
  VNORDER_NODE* node = CurrentNode(unit);
  return node ? &node->order : DefaultOrder();
}

VNORDER_NODE* vnORDER_Append(VNUNIT* unit, const VNORDER* order) {
  VNORDER_NODE* node = NewNode(order);
  if (node) SGE_ListAddTail(&unit->orders, &node->link);
  return node;
}

VNORDER_NODE* vnORDER_Push(VNUNIT* unit, const VNORDER* order) {
  VNORDER_NODE* node = NewNode(order);
  if (node) SGE_ListAddHead(&unit->orders, &node->link);
  return node;
}

VNORDER_NODE* vnORDER_InsertAt(VNUNIT* unit, const VNORDER* order, int32_t n) {
  VNORDER_NODE* node = NewNode(order);
  if (!node) return nullptr;
  // The order that is to run just before the new one: the n-th from the current one.
  SGE_DLLNODE* before = nullptr;
  for (VNORDER_NODE* at : SGE_ListRecordsBackward<VNORDER_NODE>(&unit->orders)) {
    if (n-- == 0) {
      before = &at->link;
      break;
    }
  }
  if (!before) {
    // Past the end: the node goes straight back, so no caller holds a node of the pool.
    ReturnNode(node);
    return nullptr;
  }
  SGE_ListAddHead(before, &node->link);  // right after it, towards the tail
  return node;
}

int32_t vnORDER_RemoveById(VNUNIT* unit, int32_t kind) {
  VNORDER_NODE* node = FindKind(unit, kind);
  if (!node) return 0;
  ReturnNode(node);
  return 1;
}

VNORDER* vnORDER_FindById(VNUNIT* unit, int32_t kind) {
  VNORDER_NODE* node = FindKind(unit, kind);
  return node ? &node->order : nullptr;
}

VNORDER* vnORDER_Pop(VNUNIT* unit) {
  VNORDER_NODE* node = CurrentNode(unit);
  if (!node) return DefaultOrder();
  ReturnNode(node);
  node = CurrentNode(unit);
  return node ? &node->order : nullptr;
}

VNORDER* vnORDER_Clear(VNUNIT* unit) {
  while (VNORDER_NODE* node = CurrentNode(unit)) ReturnNode(node);
  return DefaultOrder();
}

VNORDER* vnORDER_KeepFirst(VNUNIT* unit) {
  VNORDER_NODE* kept = CurrentNode(unit);
  if (!kept) return nullptr;
  for (VNORDER_NODE* node : SGE_ListRecords<VNORDER_NODE>(&unit->orders)) {
    if (node == kept) break;
    ReturnNode(node);
  }
  return &kept->order;
}

int32_t vnORDER_MarkDone(VNORDER* order) {
  if (!order || order == DefaultOrder()) return 0;
  order->anWord[VNORDER_WORD_FLAGS] |= static_cast<int32_t>(VNORDER_DONE);
  return 1;
}
