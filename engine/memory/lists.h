#pragma once
// Circular doubly linked lists. A head is a bare link that points to itself when empty; a record
// that sits in a list begins with its link. Sorted lists begin with SGE_SDLLNODE instead.
#include <cstddef>
#include <cstdint>
#include <type_traits>

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
// The operations every post, dispatch and walk makes are defined here, so that they inline.
inline int32_t SGE_ListInit(SGE_DLLNODE* head) {
  if (!head) return 0;
  head->pNext = head->pPrev = head;
  return 1;
}

// Links the node between two neighbours.
inline void SGE_ListLinkBetween(SGE_DLLNODE* node, SGE_DLLNODE* prev, SGE_DLLNODE* next) {
  node->pPrev = prev;
  node->pNext = next;
  prev->pNext = node;
  next->pPrev = node;
}
// Right after the head / right before it (before any node given as the "head").
inline int32_t SGE_ListAddHead(SGE_DLLNODE* head, SGE_DLLNODE* node) {
  if (!head || !node) return 0;
  SGE_ListLinkBetween(node, head, head->pNext);
  return 1;
}
inline int32_t SGE_ListAddTail(SGE_DLLNODE* head, SGE_DLLNODE* node) {
  if (!head || !node) return 0;
  SGE_ListLinkBetween(node, head->pPrev, head);
  return 1;
}
// Before the first node with a greater key, else at the tail: equal keys keep insertion order.
int32_t SGE_ListInsertSorted(SGE_DLLNODE* head, SGE_SDLLNODE* node);

// Takes the node out and leaves it linked to itself.
inline void SGE_ListUnlink(SGE_DLLNODE* node) {
  if (!node) return;
  node->pPrev->pNext = node->pNext;
  node->pNext->pPrev = node->pPrev;
  node->pNext = node->pPrev = node;
}
// Takes the node out and frees it with SGE_MemFree; the free's result.
int32_t SGE_ListRemove(SGE_DLLNODE* node);
int32_t SGE_ListRemoveHead(SGE_DLLNODE* head);

inline SGE_DLLNODE* SGE_ListFirst(const SGE_DLLNODE* head) {
  return (head && head->pNext != head) ? head->pNext : nullptr;
}
inline SGE_DLLNODE* SGE_ListLast(const SGE_DLLNODE* head) {
  return (head && head->pPrev != head) ? head->pPrev : nullptr;
}
inline SGE_DLLNODE* SGE_ListPopHead(SGE_DLLNODE* head) {
  SGE_DLLNODE* first = SGE_ListFirst(head);
  if (first) SGE_ListUnlink(first);
  return first;
}
inline SGE_DLLNODE* SGE_ListNext(const SGE_DLLNODE* head, const SGE_DLLNODE* node) {
  if (!head || !node || node->pNext == head) return nullptr;
  return node->pNext;
}
inline SGE_DLLNODE* SGE_ListPrev(const SGE_DLLNODE* head, const SGE_DLLNODE* node) {
  if (!head || !node || node->pPrev == head) return nullptr;
  return node->pPrev;
}
// The next node, the first one after the last.
SGE_DLLNODE* SGE_ListNextWrap(const SGE_DLLNODE* head, const SGE_DLLNODE* node);

int32_t SGE_ListCount(const SGE_DLLNODE* head);
inline int32_t SGE_ListIsEmpty(const SGE_DLLNODE* head) { return !head || head->pNext == head; }

// Moves every node of the source, in order, to the end of the destination.
void SGE_ListAppendList(SGE_DLLNODE* dest, SGE_DLLNODE* source);
// Frees every node with SGE_MemFree (stops at the first failing free); the head ends empty.
int32_t SGE_ListFreeAll(SGE_DLLNODE* head);

void SGE_ListSetKey(SGE_SDLLNODE* node, uint32_t key);
uint32_t SGE_ListGetKey(const SGE_SDLLNODE* node);

// Where a record keeps its link: its member named link, a list node. A record listed through
// another member names it with offsetof(T, lOther) wherever the templates below take Link.
template <class T>
constexpr size_t SGE_ListLinkOf() {
  static_assert(std::is_same_v<decltype(T::link), SGE_DLLNODE> ||
                    std::is_same_v<decltype(T::link), SGE_SDLLNODE>,
                "a listed record's link is a list node");
  return offsetof(T, link);
}

// The record a node stands for, none for none. The checks keep a record whose layout does not
// allow stepping back from its link from compiling.
template <class T, size_t Link = SGE_ListLinkOf<T>()>
T* SGE_ListRecord(const SGE_DLLNODE* node) {
  static_assert(std::is_standard_layout_v<T>, "a listed record has a plain layout");
  static_assert(Link + sizeof(SGE_DLLNODE) <= sizeof(T), "a listed record holds its link");
  if (!node) return nullptr;
  return reinterpret_cast<T*>(reinterpret_cast<char*>(const_cast<SGE_DLLNODE*>(node)) - Link);
}
// The link of a record, the inverse of SGE_ListRecord.
template <class T, size_t Link = SGE_ListLinkOf<std::remove_const_t<T>>()>
SGE_DLLNODE* SGE_ListLink(T* record) {
  return reinterpret_cast<SGE_DLLNODE*>(
      const_cast<char*>(reinterpret_cast<const char*>(record)) + Link);
}
template <class T, size_t Link = SGE_ListLinkOf<T>()>
T* SGE_ListFirstRecord(const SGE_DLLNODE* head) {
  return SGE_ListRecord<T, Link>(SGE_ListFirst(head));
}
template <class T, size_t Link = SGE_ListLinkOf<T>()>
T* SGE_ListLastRecord(const SGE_DLLNODE* head) {
  return SGE_ListRecord<T, Link>(SGE_ListLast(head));
}
// The record after / before one in the list, none past the ends. For walks that must see what
// a visit adds behind the record it stands on; the ranges below read ahead.
template <class T, size_t Link = SGE_ListLinkOf<T>()>
T* SGE_ListNextRecord(const SGE_DLLNODE* head, const T* record) {
  return SGE_ListRecord<T, Link>(SGE_ListNext(head, SGE_ListLink<const T, Link>(record)));
}
template <class T, size_t Link = SGE_ListLinkOf<T>()>
T* SGE_ListPrevRecord(const SGE_DLLNODE* head, const T* record) {
  return SGE_ListRecord<T, Link>(SGE_ListPrev(head, SGE_ListLink<const T, Link>(record)));
}

// `for (T* r : SGE_ListRecords<T>(&head))` visits the records from first to last (Backward: from
// last to first). The visit may unlink or free the record it is given (the next one is read
// before), no other.
template <class T, size_t Link = SGE_ListLinkOf<T>(), bool Backward = false>
class SGE_ListRecords {
 public:
  explicit SGE_ListRecords(const SGE_DLLNODE* head) : head_(const_cast<SGE_DLLNODE*>(head)) {}
  class Iterator {
   public:
    explicit Iterator(SGE_DLLNODE* node) : node_(node), next_(Step(node)) {}
    T* operator*() const { return SGE_ListRecord<T, Link>(node_); }
    Iterator& operator++() {
      node_ = next_;
      next_ = Step(node_);
      return *this;
    }
    bool operator!=(const Iterator& other) const { return node_ != other.node_; }

   private:
    static SGE_DLLNODE* Step(SGE_DLLNODE* node) { return Backward ? node->pPrev : node->pNext; }
    SGE_DLLNODE* node_;
    SGE_DLLNODE* next_;
  };
  Iterator begin() const { return Iterator(Backward ? head_->pPrev : head_->pNext); }
  Iterator end() const { return Iterator(head_); }

 private:
  SGE_DLLNODE* head_;
};
template <class T, size_t Link = SGE_ListLinkOf<T>()>
using SGE_ListRecordsBackward = SGE_ListRecords<T, Link, true>;
// The nodes themselves, for lists whose records a walk does not know.
using SGE_ListNodes = SGE_ListRecords<SGE_DLLNODE, 0>;
