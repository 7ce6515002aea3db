// Circular doubly linked lists over SGE_DLLNODE links.
#include "engine/memory/lists.h"

#include "engine/memory/memblock.h"
#include "platform/trace.h"

// The block sizes scale with this record.
static_assert(sizeof(SGE_DLLNODE) == SGE_DLLNODE_SIZE);

SGE_DLLNODE* SGE_ListCreate() {
  auto* head = static_cast<SGE_DLLNODE*>(SGE_MemAlloc(SGE_DllLists, sizeof(SGE_DLLNODE)));
  if (!head) {
    PLAT_Trace("SGE_ListCreate: no room in SGE_DllLists\n");
    return nullptr;
  }
  SGE_ListInit(head);
  return head;
}

int32_t SGE_ListInsertSorted(SGE_DLLNODE* head, SGE_SDLLNODE* node) {
  if (!head || !node) return 0;
  for (SGE_DLLNODE* n = head->pNext; n != head; n = n->pNext) {
    if (reinterpret_cast<SGE_SDLLNODE*>(n)->dwKey > node->dwKey)
      return SGE_ListAddTail(n, &node->link);
  }
  return SGE_ListAddTail(head, &node->link);
}

int32_t SGE_ListRemove(SGE_DLLNODE* node) {
  if (!node) return 0;
  node->pPrev->pNext = node->pNext;
  node->pNext->pPrev = node->pPrev;
  return SGE_MemFree(node);
}

int32_t SGE_ListRemoveHead(SGE_DLLNODE* head) {
  SGE_DLLNODE* first = SGE_ListFirst(head);
  return first ? SGE_ListRemove(first) : 0;
}

SGE_DLLNODE* SGE_ListNextWrap(const SGE_DLLNODE* head, const SGE_DLLNODE* node) {
  if (!head || !node) return nullptr;
  SGE_DLLNODE* next = node->pNext;
  if (next == head) next = head->pNext;
  return next == head ? nullptr : next;
}

int32_t SGE_ListCount(const SGE_DLLNODE* head) {
  if (!head) return 0;
  int32_t n = 0;
  for (const SGE_DLLNODE* p = head->pNext; p != head; p = p->pNext) ++n;
  return n;
}

void SGE_ListAppendList(SGE_DLLNODE* dest, SGE_DLLNODE* source) {
  if (!dest || !source || dest == source || source->pNext == source) return;
  SGE_DLLNODE* first = source->pNext;
  SGE_DLLNODE* last = source->pPrev;
  first->pPrev = dest->pPrev;
  dest->pPrev->pNext = first;
  last->pNext = dest;
  dest->pPrev = last;
  SGE_ListInit(source);
}

int32_t SGE_ListFreeAll(SGE_DLLNODE* head) {
  if (!head) return 0;
  int32_t ok = 1;
  for (SGE_DLLNODE* p = head->pNext; p != head;) {
    SGE_DLLNODE* next = p->pNext;
    if (!SGE_MemFree(p)) {
      ok = 0;
      break;
    }
    p = next;
  }
  SGE_ListInit(head);
  return ok;
}

void SGE_ListSetKey(SGE_SDLLNODE* node, uint32_t key) {
  if (node) node->dwKey = key;
}

uint32_t SGE_ListGetKey(const SGE_SDLLNODE* node) { return node ? node->dwKey : 0; }
