#pragma once
// The driver's one intrusive list: circular and doubly linked, through an SPPD_LISTHEAD in the
// record. A head points to itself when empty; a head in a block that was never set up is
// all zero (SPPD_LinkUnset) and must be initialised before use.
#include <cstddef>
#include <type_traits>

struct SPPD_LISTHEAD {
  SPPD_LISTHEAD* next;
  SPPD_LISTHEAD* prev;
};

inline void SPPD_LinkInit(SPPD_LISTHEAD* head) { head->next = head->prev = head; }
inline bool SPPD_LinkEmpty(const SPPD_LISTHEAD* head) { return head->next == head; }
inline bool SPPD_LinkUnset(const SPPD_LISTHEAD* head) { return head->next == nullptr; }

// Leaves the node linked to itself, so removing it twice does no harm.
inline void SPPD_LinkRemove(SPPD_LISTHEAD* node) {
  node->prev->next = node->next;
  node->next->prev = node->prev;
  node->next = node->prev = node;
}
inline void SPPD_LinkInsertBefore(SPPD_LISTHEAD* pos, SPPD_LISTHEAD* node) {
  node->prev = pos->prev;
  node->next = pos;
  pos->prev->next = node;
  pos->prev = node;
}
inline void SPPD_LinkAppend(SPPD_LISTHEAD* head, SPPD_LISTHEAD* node) {
  SPPD_LinkInsertBefore(head, node);
}
inline void SPPD_LinkPrepend(SPPD_LISTHEAD* head, SPPD_LISTHEAD* node) {
  SPPD_LinkInsertBefore(head->next, node);
}
// Unlinks and returns the first node; none when the list is empty.
inline SPPD_LISTHEAD* SPPD_LinkPopFirst(SPPD_LISTHEAD* head) {
  if (SPPD_LinkEmpty(head)) return nullptr;
  SPPD_LISTHEAD* node = head->next;
  SPPD_LinkRemove(node);
  return node;
}
// Moves every node of from, in order, to the end of to; from is left empty.
inline void SPPD_LinkMoveAll(SPPD_LISTHEAD* to, SPPD_LISTHEAD* from) {
  if (SPPD_LinkEmpty(from)) return;
  from->next->prev = to->prev;
  to->prev->next = from->next;
  from->prev->next = to;
  to->prev = from->prev;
  SPPD_LinkInit(from);
}

// The records a list holds. A record is linked by a first member named link, so a node is
// its record; the check keeps a reordered record from compiling.
template <class T>
T* SPPD_LinkRecord(SPPD_LISTHEAD* node) {
  static_assert(std::is_standard_layout_v<T> && offsetof(T, link) == 0,
                "a listed record starts with its link");
  return reinterpret_cast<T*>(node);
}
template <class T>
const T* SPPD_LinkRecord(const SPPD_LISTHEAD* node) {
  return SPPD_LinkRecord<T>(const_cast<SPPD_LISTHEAD*>(node));
}
// The first record, none when the list is empty.
template <class T>
T* SPPD_LinkFirst(SPPD_LISTHEAD* head) {
  return SPPD_LinkEmpty(head) ? nullptr : SPPD_LinkRecord<T>(head->next);
}

// `for (T* r : SPPD_LinkRecords<T>(&head))` visits the records from first to last. The visit
// may unlink the record it is given (the next one is read before), no other.
template <class T>
class SPPD_LinkRecords {
 public:
  explicit SPPD_LinkRecords(const SPPD_LISTHEAD* head) : head_(const_cast<SPPD_LISTHEAD*>(head)) {}
  class Iterator {
   public:
    Iterator(SPPD_LISTHEAD* node) : node_(node), next_(node->next) {}
    T* operator*() const { return SPPD_LinkRecord<T>(node_); }
    Iterator& operator++() {
      node_ = next_;
      next_ = node_->next;
      return *this;
    }
    bool operator!=(const Iterator& other) const { return node_ != other.node_; }

   private:
    SPPD_LISTHEAD* node_;
    SPPD_LISTHEAD* next_;
  };
  Iterator begin() const { return Iterator(head_->next); }
  Iterator end() const { return Iterator(head_); }

 private:
  SPPD_LISTHEAD* head_;
};
