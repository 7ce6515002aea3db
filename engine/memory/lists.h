#pragma once
// Circular doubly linked lists. A head is a bare link that points to itself when empty; a record
// that sits in a list begins with its link. Sorted lists begin with SGE_SDLLNODE instead.
#include <cstdint>

struct SGE_DLLNODE {
  SGE_DLLNODE* pNext;
  SGE_DLLNODE* pPrev;
};

struct SGE_SDLLNODE {
  SGE_DLLNODE link;
  uint32_t dwKey;  // ascending
};

// A new empty head in SGE_DllLists; none when that block is full.
SGE_DLLNODE* SGE_ListCreate();
int32_t SGE_ListInit(SGE_DLLNODE* head);

// Right after the head / right before it (before any node given as the "head").
int32_t SGE_ListAddHead(SGE_DLLNODE* head, SGE_DLLNODE* node);
int32_t SGE_ListAddTail(SGE_DLLNODE* head, SGE_DLLNODE* node);
// Before the first node with a greater key, else at the tail: equal keys keep insertion order.
int32_t SGE_ListInsertSorted(SGE_DLLNODE* head, SGE_SDLLNODE* node);

// Takes the node out and leaves it linked to itself.
void SGE_ListUnlink(SGE_DLLNODE* node);
// Takes the node out and frees it with SGE_MemFree; the free's result.
int32_t SGE_ListRemove(SGE_DLLNODE* node);
SGE_DLLNODE* SGE_ListPopHead(SGE_DLLNODE* head);
int32_t SGE_ListRemoveHead(SGE_DLLNODE* head);

SGE_DLLNODE* SGE_ListFirst(const SGE_DLLNODE* head);
SGE_DLLNODE* SGE_ListLast(const SGE_DLLNODE* head);
SGE_DLLNODE* SGE_ListNext(const SGE_DLLNODE* head, const SGE_DLLNODE* node);
SGE_DLLNODE* SGE_ListPrev(const SGE_DLLNODE* head, const SGE_DLLNODE* node);
// The next node, the first one after the last.
SGE_DLLNODE* SGE_ListNextWrap(const SGE_DLLNODE* head, const SGE_DLLNODE* node);

int32_t SGE_ListCount(const SGE_DLLNODE* head);
int32_t SGE_ListIsEmpty(const SGE_DLLNODE* head);

// Moves every node of the source, in order, to the end of the destination.
void SGE_ListAppendList(SGE_DLLNODE* dest, SGE_DLLNODE* source);
// Frees every node with SGE_MemFree (stops at the first failing free); the head ends empty.
int32_t SGE_ListFreeAll(SGE_DLLNODE* head);

void SGE_ListSetKey(SGE_SDLLNODE* node, uint32_t key);
uint32_t SGE_ListGetKey(const SGE_SDLLNODE* node);
