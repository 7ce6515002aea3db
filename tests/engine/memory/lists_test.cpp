#include "engine/memory/lists.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/memory/memblock.h"

namespace {

struct Item {
  SGE_SDLLNODE node;
  int id;
};

std::vector<int> Ids(const SGE_DLLNODE* head) {
  std::vector<int> ids;
  for (SGE_DLLNODE* n = SGE_ListFirst(head); n; n = SGE_ListNext(head, n))
    ids.push_back(reinterpret_cast<Item*>(n)->id);
  return ids;
}

class ListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SGE_ListInit(&head_);
    for (int i = 0; i < 8; ++i) {
      items_[i].id = i;
      SGE_ListInit(&items_[i].node.link);
    }
  }
  SGE_DLLNODE* N(int i) { return &items_[i].node.link; }
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
    SGE_ListSetKey(&items_[i].node, keys[i]);
    EXPECT_EQ(SGE_ListInsertSorted(&head_, &items_[i].node), 1);
  }
  EXPECT_EQ(Ids(&head_), (std::vector<int>{3, 1, 0, 2}));
  EXPECT_EQ(SGE_ListGetKey(&items_[3].node), 1u);
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
