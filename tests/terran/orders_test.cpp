// Soldier orders on a running manager's order pool: where the wait order goes, how an order
// replaces the queue, and the float words.
#include <gtest/gtest.h>

#include <vector>

#include "terran/orders.h"
#include "tests/world/support/testworld.h"

namespace {

using Kinds = std::vector<int32_t>;

class SoldierOrders : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(world.Start());
    SGE_ListInit(&unit.orders);
  }
  void TearDown() override { vnORDER_Clear(&unit); }
  // Queues kinds so that they run in the order given.
  void Queue(const std::vector<int32_t>& kinds) {
    for (int32_t k : kinds) {
      const VNORDER o = vnTERUNIT_MakeOrder(k);
      ASSERT_NE(vnORDER_Push(&unit, &o), nullptr);
    }
  }
  // The kinds in the order they run, current first.
  Kinds Queue() {
    Kinds kinds;
    for (const VNORDER_NODE* node : SGE_ListRecordsBackward<VNORDER_NODE>(&unit.orders))
      kinds.push_back(vnTERUNIT_OrderKind(&node->order));
    return kinds;
  }

  vnworld::TestWorld world;
  VNUNIT unit{};
};

TEST_F(SoldierOrders, AWaitRunsNowOrRightAfterTheCurrentOrder) {
  struct Case {
    Kinds before;
    int32_t behind;
    Kinds after;
  };
  const Case cases[] = {
      {{}, 0, {20}},
      {{}, 1, {20}},
      {{3}, 0, {20, 3}},
      {{15}, 1, {15, 20}},
      {{15, 3, 5}, 1, {15, 20, 3, 5}},
      {{15, 3, 5}, 0, {20, 15, 3, 5}},
  };
  for (const Case& c : cases) {
    vnORDER_Clear(&unit);
    Queue(c.before);
    ASSERT_NE(vnTERUNIT_QueueWait(&unit, 1, 2.5f, c.behind), nullptr);
    EXPECT_EQ(Queue(), c.after) << c.before.size() << " behind " << c.behind;
    const VNORDER* wait = vnORDER_FindById(&unit, VNTERUNIT_ORDER_WAIT);
    ASSERT_NE(wait, nullptr);
    EXPECT_EQ(wait->anWord[VNTERUNIT_ORDER_WORD_STARTED], 1);
    EXPECT_EQ(vnTERUNIT_OrderFloat(wait, VNTERUNIT_ORDER_WORD_VALUE), 2.5f);
  }
}

TEST_F(SoldierOrders, ReplacingEndsTheCurrentOrderAndDropsTheRest) {
  Queue(Kinds{3, 5, 6});
  VNORDER attack = vnTERUNIT_MakeOrder(VNTERUNIT_ORDER_STAND);
  attack.anWord[VNTERUNIT_ORDER_WORD_TARGET] = 42;
  ASSERT_NE(vnTERUNIT_ReplaceOrders(&unit, &attack), nullptr);
  EXPECT_EQ(Queue(), (Kinds{3, 21}));
  EXPECT_EQ(vnTERUNIT_OrderIsDone(vnORDER_Current(&unit)), 1);
  vnORDER_Pop(&unit);
  EXPECT_EQ(vnORDER_Current(&unit)->anWord[VNTERUNIT_ORDER_WORD_TARGET], 42);
  EXPECT_EQ(vnTERUNIT_OrderIsDone(vnORDER_Current(&unit)), 0);

  vnORDER_Clear(&unit);
  ASSERT_NE(vnTERUNIT_ReplaceOrders(&unit, &attack), nullptr);
  EXPECT_EQ(Queue(), (Kinds{21})) << "an empty queue takes the order as current";
}

TEST_F(SoldierOrders, RemoveTakesEveryOrderOfTheKind) {
  Queue(Kinds{20, 3, 20, 5, 20});
  EXPECT_EQ(vnTERUNIT_RemoveOrders(&unit, VNTERUNIT_ORDER_WAIT), 3);
  EXPECT_EQ(Queue(), (Kinds{3, 5}));
  EXPECT_EQ(vnTERUNIT_RemoveOrders(&unit, VNTERUNIT_ORDER_WAIT), 0);
}

TEST_F(SoldierOrders, PointsAndValuesRoundTripThroughTheWords) {
  VNORDER o = vnTERUNIT_MakeOrder(VNTERUNIT_ORDER_ROPE);
  vnTERUNIT_SetOrderPoint(&o, {1.5f, -2.0f, 3.25f});
  vnTERUNIT_SetOrderPoint(&o, {-1.5f, 2.0f, 0.0f}, VNTERUNIT_ORDER_WORD_BACK);
  vnTERUNIT_SetOrderFloat(&o, VNTERUNIT_ORDER_WORD_VALUE, 15.0f);
  const SPW_VECTOR p = vnTERUNIT_OrderPoint(&o);
  const SPW_VECTOR back = vnTERUNIT_OrderPoint(&o, VNTERUNIT_ORDER_WORD_BACK);
  EXPECT_EQ(p.x, 1.5f);
  EXPECT_EQ(p.y, -2.0f);
  EXPECT_EQ(p.z, 3.25f);
  EXPECT_EQ(back.x, -1.5f);
  EXPECT_EQ(vnTERUNIT_OrderFloat(&o, VNTERUNIT_ORDER_WORD_VALUE), 15.0f);
  EXPECT_EQ(vnTERUNIT_OrderKind(&o), VNTERUNIT_ORDER_ROPE);
  EXPECT_EQ(vnTERUNIT_OrderKind(nullptr), VNTERUNIT_ORDER_NONE);
}

}  // namespace
