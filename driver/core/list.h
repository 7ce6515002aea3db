#pragma once
// The driver's intrusive lists are the engine's (engine/memory/lists.h) under the driver's
// names: circular and doubly linked, through an SPPD_LISTHEAD in the record. A head points to
// itself when empty; a head in a block that was never set up is all zero (SPPD_LinkUnset) and
// must be initialised before use.
#include "engine/memory/lists.h"

using SPPD_LISTHEAD = SGE_DLLNODE;

inline void SPPD_LinkInit(SPPD_LISTHEAD* head) { SGE_ListInit(head); }
inline bool SPPD_LinkEmpty(const SPPD_LISTHEAD* head) { return SGE_ListIsEmpty(head) != 0; }
inline bool SPPD_LinkUnset(const SPPD_LISTHEAD* head) { return head->pNext == nullptr; }

// Leaves the node linked to itself, so removing it twice does no harm.
inline void SPPD_LinkRemove(SPPD_LISTHEAD* node) { SGE_ListUnlink(node); }
inline void SPPD_LinkInsertBefore(SPPD_LISTHEAD* pos, SPPD_LISTHEAD* node) {
  SGE_ListAddTail(pos, node);
}
inline void SPPD_LinkAppend(SPPD_LISTHEAD* head, SPPD_LISTHEAD* node) { SGE_ListAddTail(head, node); }
inline void SPPD_LinkPrepend(SPPD_LISTHEAD* head, SPPD_LISTHEAD* node) { SGE_ListAddHead(head, node); }
// Unlinks and returns the first node; none when the list is empty.
inline SPPD_LISTHEAD* SPPD_LinkPopFirst(SPPD_LISTHEAD* head) { return SGE_ListPopHead(head); }
// Moves every node of from, in order, to the end of to; from is left empty.
inline void SPPD_LinkMoveAll(SPPD_LISTHEAD* to, SPPD_LISTHEAD* from) { SGE_ListAppendList(to, from); }

// The records a list holds, checked as the engine's are: a record is linked by a member named
// link. `for (T* r : SPPD_LinkRecords<T>(&head))` may unlink the record it is given, no other.
template <class T>
T* SPPD_LinkRecord(const SPPD_LISTHEAD* node) {
  return SGE_ListRecord<T>(node);
}
template <class T>
T* SPPD_LinkFirst(const SPPD_LISTHEAD* head) {
  return SGE_ListFirstRecord<T>(head);
}
template <class T>
using SPPD_LinkRecords = SGE_ListRecords<T>;
