#include "engine/memory/lists.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/memory/memblock.h"

namespace {

struct Item {
  SGE_SDLLNODE link;
  int id;
};

std::vector<int> Ids(const SGE_DLLNODE* head) {
  std::vector<int> ids;
  for (Item* item : SGE_ListRecords<Item>(head)) ids.push_back(item->id);
  return ids;
}

// A record in two lists, the second through a link that is not its first member.
struct Twice {
  SGE_DLLNODE link;
  int id;
  SGE_DLLNODE other;
};

class ListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SGE_ListInit(&head_);
    for (int i = 0; i < 8; ++i) {
      items_[i].id = i;
      SGE_ListInit(&items_[i].link.link);
    }
  }
  SGE_DLLNODE* N(int i) { return &items_[i].link.link; }
  SGE_DLLNODE head_;
  Item items_[8];
};

TEST_F(ListTest, AddHeadTailAndNeighbours) {
  SGE_ListAddTail(&head_, N(1));
  SGE_ListAddTail(&head_, N(2));
  SGE_ListAddHead(&head_, N(0));
  SGE_ListAddTail(N(2), N(3));  // a node as "head": before that node
  EXPECT_EQ(Ids(&head_), (std::vector<int>{0, 1, 3, 2}));
  EXPECT_EQ(SGE_ListCount(&head_), 4);
  EXPECT_EQ(SGE_ListFirst(&head_), N(0));
  EXPECT_EQ(SGE_ListLast(&head_), N(2));
  EXPECT_EQ(SGE_ListPrev(&head_, N(0)), nullptr);
  EXPECT_EQ(SGE_ListNext(&head_, N(2)), nullptr);
  EXPECT_EQ(SGE_ListPrev(&head_, N(1)), N(0));
  EXPECT_EQ(SGE_ListNext(nullptr, N(1)), nullptr);
}

TEST_F(ListTest, EmptyHeadAnswersNone) {
  EXPECT_TRUE(SGE_ListIsEmpty(&head_));
  EXPECT_EQ(SGE_ListFirst(&head_), nullptr);
  EXPECT_EQ(SGE_ListLast(&head_), nullptr);
  EXPECT_EQ(SGE_ListPopHead(&head_), nullptr);
  EXPECT_EQ(SGE_ListCount(&head_), 0);
  EXPECT_EQ(SGE_ListInit(nullptr), 0);
  EXPECT_EQ(SGE_ListAddTail(nullptr, N(0)), 0);
  EXPECT_EQ(SGE_ListInsertSorted(&head_, nullptr), 0);
}

TEST_F(ListTest, SortedInsertKeepsEqualKeysInInsertionOrder) {
  const uint32_t keys[] = {5, 3, 5, 1};
  for (int i = 0; i < 4; ++i) {
    SGE_ListSetKey(&items_[i].link, keys[i]);
    EXPECT_EQ(SGE_ListInsertSorted(&head_, &items_[i].link), 1);
  }
  EXPECT_EQ(Ids(&head_), (std::vector<int>{3, 1, 0, 2}));
  EXPECT_EQ(SGE_ListGetKey(&items_[3].link), 1u);
}

TEST_F(ListTest, NextWrapGoesRoundToTheFirst) {
  SGE_ListAddTail(&head_, N(0));
  EXPECT_EQ(SGE_ListNextWrap(&head_, N(0)), N(0));
  SGE_ListAddTail(&head_, N(1));
  SGE_ListAddTail(&head_, N(2));
  EXPECT_EQ(SGE_ListNextWrap(&head_, N(1)), N(2));
  EXPECT_EQ(SGE_ListNextWrap(&head_, N(2)), N(0));
}

TEST_F(ListTest, UnlinkPopAndAppend) {
  for (int i = 0; i < 3; ++i) SGE_ListAddTail(&head_, N(i));
  SGE_ListUnlink(N(1));
  EXPECT_EQ(N(1)->pNext, N(1));
  EXPECT_EQ(N(1)->pPrev, N(1));
  EXPECT_EQ(SGE_ListPopHead(&head_), N(0));
  EXPECT_EQ(Ids(&head_), (std::vector<int>{2}));

  SGE_DLLNODE other;
  SGE_ListInit(&other);
  SGE_ListAppendList(&head_, &other);  // empty source: nothing changes
  EXPECT_EQ(Ids(&head_), (std::vector<int>{2}));
  SGE_ListAddTail(&other, N(5));
  SGE_ListAddTail(&other, N(6));
  SGE_ListAppendList(&head_, &other);
  EXPECT_EQ(Ids(&head_), (std::vector<int>{2, 5, 6}));
  EXPECT_TRUE(SGE_ListIsEmpty(&other));
  EXPECT_EQ(SGE_ListLast(&head_), N(6));
  EXPECT_EQ(N(6)->pNext, &head_);
}

TEST_F(ListTest, RecordsAreVisitedInOrderBothWays) {
  for (int i : {4, 2, 7}) SGE_ListAddTail(&head_, N(i));
  EXPECT_EQ(Ids(&head_), (std::vector<int>{4, 2, 7}));
  std::vector<int> backward;
  for (Item* item : SGE_ListRecordsBackward<Item>(&head_)) backward.push_back(item->id);
  EXPECT_EQ(backward, (std::vector<int>{7, 2, 4}));
  EXPECT_EQ(SGE_ListFirstRecord<Item>(&head_), &items_[4]);
  EXPECT_EQ(SGE_ListLastRecord<Item>(&head_), &items_[7]);
  EXPECT_EQ(SGE_ListRecord<Item>(nullptr), nullptr);
  EXPECT_EQ(SGE_ListLink(&items_[2]), N(2));
}

TEST_F(ListTest, AnEmptyHeadVisitsNothing) {
  int visits = 0;
  for (Item* item : SGE_ListRecords<Item>(&head_)) visits += item->id + 1;
  for (Item* item : SGE_ListRecordsBackward<Item>(&head_)) visits += item->id + 1;
  EXPECT_EQ(visits, 0);
  EXPECT_EQ(SGE_ListFirstRecord<Item>(&head_), nullptr);
  EXPECT_EQ(SGE_ListLastRecord<Item>(&head_), nullptr);
}

TEST_F(ListTest, AVisitMayUnlinkTheRecordItStandsOn) {
  for (int i = 0; i < 6; ++i) SGE_ListAddTail(&head_, N(i));
  std::vector<int> seen;
  for (Item* item : SGE_ListRecords<Item>(&head_)) {
    seen.push_back(item->id);
    if (item->id % 2 == 0) SGE_ListUnlink(&item->link.link);
  }
  EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(Ids(&head_), (std::vector<int>{1, 3, 5}));
  seen.clear();
  for (Item* item : SGE_ListRecordsBackward<Item>(&head_)) {
    seen.push_back(item->id);
    SGE_ListUnlink(&item->link.link);
  }
  EXPECT_EQ(seen, (std::vector<int>{5, 3, 1}));
  EXPECT_TRUE(SGE_ListIsEmpty(&head_));
}

TEST_F(ListTest, SortedRecordsAreVisitedByKey) {
  const uint32_t keys[] = {9, 2, 6, 2};
  for (int i = 0; i < 4; ++i) {
    SGE_ListSetKey(&items_[i].link, keys[i]);
    SGE_ListInsertSorted(&head_, &items_[i].link);
  }
  std::vector<uint32_t> visited;
  for (Item* item : SGE_ListRecords<Item>(&head_)) visited.push_back(SGE_ListGetKey(&item->link));
  EXPECT_EQ(visited, (std::vector<uint32_t>{2, 2, 6, 9}));
  EXPECT_EQ(Ids(&head_), (std::vector<int>{1, 3, 2, 0}));
}

TEST(ListRecords, ALinkPastTheFirstMemberLeadsBackToItsRecord) {
  constexpr size_t kOther = offsetof(Twice, other);
  Twice records[3] = {{{}, 10, {}}, {{}, 11, {}}, {{}, 12, {}}};
  SGE_DLLNODE byLink, byOther;
  SGE_ListInit(&byLink);
  SGE_ListInit(&byOther);
  for (Twice& r : records) {
    SGE_ListAddHead(&byLink, &r.link);
    SGE_ListAddTail(&byOther, SGE_ListLink<Twice, kOther>(&r));
  }
  std::vector<int> ids;
  for (Twice* r : SGE_ListRecords<Twice>(&byLink)) ids.push_back(r->id);
  for (Twice* r : SGE_ListRecords<Twice, kOther>(&byOther)) ids.push_back(r->id);
  EXPECT_EQ(ids, (std::vector<int>{12, 11, 10, 10, 11, 12}));
  EXPECT_EQ((SGE_ListLastRecord<Twice, kOther>(&byOther)), &records[2]);
}

TEST(ListMemory, CreateRemoveAndFreeAllUseTheBlocks) {
  ASSERT_EQ(SGE_InitMemory(0), 1);
  SGE_MEMSTATS before;
  SGE_GetMemBlockStats(&before, SGE_DllLists);
  SGE_DLLNODE* head = SGE_ListCreate();
  ASSERT_NE(head, nullptr);
  EXPECT_TRUE(SGE_ListIsEmpty(head));
  for (int i = 0; i < 5; ++i)
    SGE_ListAddTail(head, static_cast<SGE_DLLNODE*>(SGE_MemAlloc(SGE_DllLists, sizeof(Item))));
  EXPECT_EQ(SGE_ListRemoveHead(head), 1);
  EXPECT_EQ(SGE_ListRemove(SGE_ListLast(head)), 1);
  EXPECT_EQ(SGE_ListCount(head), 3);
  EXPECT_EQ(SGE_ListFreeAll(head), 1);
  EXPECT_TRUE(SGE_ListIsEmpty(head));
  SGE_MemFree(head);
  SGE_MEMSTATS after;
  SGE_GetMemBlockStats(&after, SGE_DllLists);
  EXPECT_EQ(after.dwFreeBytes, before.dwFreeBytes);
  EXPECT_EQ(after.dwFreeChunks, before.dwFreeChunks);
  SGE_ShutdownMemory();
}

}  // namespace
