// Order queues on a running manager's pool: which order is current, where inserted orders run,
// and that every node goes back to the pool.
#include <gtest/gtest.h>

#include <vector>

#include "tests/world/support/testworld.h"
#include "tools/writers/formation_writer.h"
#include "world/unitman/orders.h"

namespace {

// A manager of two units: twelve order nodes.
vnworld::Options SmallPool() {
  vnworld::Options o;
  o.manager.nUnits = 2;
  return o;
}
constexpr int32_t kPoolNodes = 2 * VNUNITMAN_ORDERS_PER_UNIT;

VNORDER Order(int32_t kind, int32_t data = 0) {
  VNORDER o{};
  o.anWord[VNORDER_WORD_KIND] = kind;
  o.anWord[1] = data;
  return o;
}

class Orders : public ::testing::Test {
 protected:
  Orders() : world(SmallPool()) {}
  void SetUp() override {
    ASSERT_TRUE(world.Start());
    SGE_ListInit(&unit.orders);
  }
  int32_t Free() const { return SGE_ListCount(&world.state()->freeOrders); }
  // The kinds in the order they run, current first.
  std::vector<int32_t> Queue() {
    std::vector<int32_t> kinds;
    for (const VNORDER_NODE* node : SGE_ListRecordsBackward<VNORDER_NODE>(&unit.orders))
      kinds.push_back(node->order.anWord[VNORDER_WORD_KIND]);
    return kinds;
  }
  VNORDER* Default() const { return &world.state()->defaultOrder.order; }
  // Queues kinds so that they run in the order given.
  void Queue(std::initializer_list<int32_t> kinds) {
    for (int32_t k : kinds) {
      const VNORDER o = Order(k);
      ASSERT_NE(vnORDER_Push(&unit, &o), nullptr);
    }
  }

  vnworld::TestWorld world;
  VNUNIT unit{};
};

using Kinds = std::vector<int32_t>;

TEST_F(Orders, TheLastAppendedOrderIsCurrentAndPoppingWalksBack) {
  const VNORDER a = Order(1);
  const VNORDER b = Order(2);
  EXPECT_EQ(vnORDER_Current(&unit), Default());
  ASSERT_NE(vnORDER_Append(&unit, &a), nullptr);
  ASSERT_NE(vnORDER_Append(&unit, &b), nullptr);
  EXPECT_EQ(vnORDER_Current(&unit)->anWord[0], 2);
  VNORDER* now = vnORDER_Pop(&unit);
  ASSERT_NE(now, nullptr);
  EXPECT_EQ(now->anWord[0], 1);
  EXPECT_EQ(vnORDER_Pop(&unit), nullptr);
  EXPECT_TRUE(SGE_ListIsEmpty(&unit.orders));
  EXPECT_EQ(vnORDER_Pop(&unit), Default());
  EXPECT_EQ(Free(), kPoolNodes);
}

TEST_F(Orders, PushedOrdersRunAfterEverythingQueued) {
  const VNORDER a = Order(1);
  const VNORDER b = Order(2);
  vnORDER_Push(&unit, &a);
  vnORDER_Push(&unit, &b);
  EXPECT_EQ(vnORDER_Current(&unit)->anWord[0], 1);
  EXPECT_EQ(Queue(), (Kinds{1, 2}));
}

TEST_F(Orders, AnOrderIsCopiedByValue) {
  VNORDER a = Order(4, 77);
  a.anWord[VNORDER_WORD_FLAGS] = 5;
  VNORDER_NODE* node = vnORDER_Append(&unit, &a);
  ASSERT_NE(node, nullptr);
  a.anWord[1] = 0;
  EXPECT_EQ(vnORDER_Current(&unit), &node->order);
  EXPECT_EQ(node->order.anWord[1], 77);
  EXPECT_EQ(node->order.anWord[VNORDER_WORD_FLAGS], 5);
}

TEST_F(Orders, InsertAtRunsTheOrderNthFromTheCurrentOne) {
  struct Case {
    int32_t n;
    Kinds runs;  // null result when empty
  };
  const Case cases[] = {
      {0, {9, 1, 2, 3}}, {1, {1, 9, 2, 3}}, {2, {1, 2, 9, 3}}, {3, {}}, {-1, {}}, {50, {}},
  };
  for (const Case& c : cases) {
    vnORDER_Clear(&unit);
    Queue({1, 2, 3});
    const VNORDER x = Order(9);
    VNORDER_NODE* node = vnORDER_InsertAt(&unit, &x, c.n);
    if (c.runs.empty()) {
      EXPECT_EQ(node, nullptr) << c.n;
      EXPECT_EQ(Queue(), (Kinds{1, 2, 3})) << c.n;
      EXPECT_EQ(Free(), kPoolNodes - 3) << c.n;  // the node went back
    } else {
      EXPECT_NE(node, nullptr) << c.n;
      EXPECT_EQ(Queue(), c.runs) << c.n;
    }
  }
  vnORDER_Clear(&unit);
  const VNORDER x = Order(9);
  EXPECT_EQ(vnORDER_InsertAt(&unit, &x, 0), nullptr);  // nothing to run after
  EXPECT_EQ(Free(), kPoolNodes);
}

TEST_F(Orders, FindAndRemoveTakeTheKindNearestTheCurrentOrder) {
  VNORDER near = Order(5, 1);
  VNORDER far = Order(5, 2);
  const VNORDER other = Order(6);
  vnORDER_Push(&unit, &other);
  vnORDER_Push(&unit, &near);
  vnORDER_Push(&unit, &far);
  VNORDER* found = vnORDER_FindById(&unit, 5);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->anWord[1], 1);
  EXPECT_EQ(vnORDER_FindById(&unit, 7), nullptr);
  EXPECT_EQ(vnORDER_RemoveById(&unit, 5), 1);
  EXPECT_EQ(vnORDER_FindById(&unit, 5)->anWord[1], 2);
  EXPECT_EQ(vnORDER_RemoveById(&unit, 7), 0);
  EXPECT_EQ(Queue(), (Kinds{6, 5}));
  EXPECT_EQ(Free(), kPoolNodes - 2);
}

TEST_F(Orders, KeepFirstKeepsOnlyTheCurrentOrder) {
  EXPECT_EQ(vnORDER_KeepFirst(&unit), nullptr);
  Queue({1, 2, 3});
  VNORDER* kept = vnORDER_KeepFirst(&unit);
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(kept->anWord[0], 1);
  EXPECT_EQ(Queue(), (Kinds{1}));
  EXPECT_EQ(Free(), kPoolNodes - 1);
}

TEST_F(Orders, ClearReturnsEveryNodeAndTheDefaultOrder) {
  Queue({1, 2, 3, 4});
  EXPECT_EQ(vnORDER_Clear(&unit), Default());
  EXPECT_TRUE(SGE_ListIsEmpty(&unit.orders));
  EXPECT_EQ(Free(), kPoolNodes);
}

TEST_F(Orders, TheDefaultOrderCannotBeMarkedDone) {
  VNORDER* current = vnORDER_Current(&unit);
  EXPECT_EQ(vnORDER_MarkDone(current), 0);
  EXPECT_EQ(current->anWord[VNORDER_WORD_FLAGS], 0);
  EXPECT_EQ(vnORDER_MarkDone(nullptr), 0);
  Queue({1});
  current = vnORDER_Current(&unit);
  EXPECT_EQ(vnORDER_MarkDone(current), 1);
  EXPECT_EQ(current->anWord[VNORDER_WORD_FLAGS], static_cast<int32_t>(VNORDER_DONE));
}

TEST_F(Orders, AnEmptyPoolQueuesNothing) {
  for (int32_t i = 0; i < kPoolNodes; ++i) {
    const VNORDER o = Order(i + 1);
    ASSERT_NE(vnORDER_Append(&unit, &o), nullptr) << i;
  }
  const VNORDER late = Order(99);
  EXPECT_EQ(vnORDER_Append(&unit, &late), nullptr);
  EXPECT_EQ(vnORDER_Push(&unit, &late), nullptr);
  EXPECT_EQ(vnORDER_InsertAt(&unit, &late, 1), nullptr);
  EXPECT_EQ(static_cast<int32_t>(Queue().size()), kPoolNodes);
  EXPECT_EQ(vnORDER_FindById(&unit, 99), nullptr);
  vnORDER_Clear(&unit);
  EXPECT_EQ(Free(), kPoolNodes);
}

TEST(OrdersWithoutManager, QueuesStayEmptyAndNothingIsCurrent) {
  VNUNIT unit{};
  SGE_ListInit(&unit.orders);
  const VNORDER o = Order(1);
  EXPECT_EQ(vnORDER_Append(&unit, &o), nullptr);
  EXPECT_EQ(vnORDER_Current(&unit), nullptr);
  EXPECT_EQ(vnORDER_Clear(&unit), nullptr);
}

TEST(FormationsOfTheManager, TheFileInTheContentFolderIsLoadedAtStartUp) {
  vnworld::TestWorld world;
  VNWRITE_FORMATION_SLOT back;
  back.offset = {0.0f, -3.0f, 0.0f};
  ASSERT_TRUE(vnWRITE_Formations(world.content().path(), {{"Column", {{}, back}}}));
  ASSERT_TRUE(world.Start());
  auto* column = SGE_Ask<VNRANK_PROGRAM>(world.manager(), SGM_UNITMAN_FIND_FORMATION,
                                               SGE_PtrParam("column"), 0);
  ASSERT_NE(column, nullptr);
  EXPECT_EQ(column->nCount, 2);
  EXPECT_NE(SGE_Ask<VNRANK_PROGRAM>(world.manager(), SGM_UNITMAN_FIND_FORMATION,
                                          SGE_PtrParam("Prog_9"), 0),
            nullptr);
}

}  // namespace
