// Keyed unit groups: membership limits, removal and sending to the members' controllers.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/world/unitman/bare_manager.h"

namespace {

constexpr int32_t kRecorderType = 401;
constexpr int32_t kMsg = 9001;

struct Received {
  SGE_TASK* task;
  SGE_PARAM a, b;
};
std::vector<Received> g_received;
// Run by a controller while it handles kMsg.
void (*g_onMessage)(SGE_TASK* task) = nullptr;

SGE_RESULT Recorder(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  if (msg != kMsg) return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
  g_received.push_back({task, p1, p2});
  if (g_onMessage) g_onMessage(task);
  return 1;
}

class Groups : public BareManager {
 protected:
  void SetUp() override {
    BareManager::SetUp();
    ASSERT_EQ(SGE_RegisterTaskType(kRecorderType, Recorder, 0, 0, "Recorder"), 1);
    g_received.clear();
    g_onMessage = nullptr;
  }
  VNUNIT* Unit(bool withController = true) {
    units.push_back(std::make_unique<VNUNIT>());
    VNUNIT* u = units.back().get();
    if (withController) u->pController = SGE_CreateTask(kRecorderType, nullptr, nullptr, 0, 0);
    return u;
  }
  VNUNIT_GROUP* Group(int32_t key) {
    for (VNUNIT_GROUP* g : SGE_ListRecords<VNUNIT_GROUP>(&man.groups)) {
      if (g->nKey == key) return g;
    }
    return nullptr;
  }
  std::vector<std::unique_ptr<VNUNIT>> units;
};

TEST_F(Groups, AFullGroupRefusesTheSixteenthUnitAndStaysAsItWas) {
  for (int32_t i = 0; i < VNUNIT_GROUP_MAX; ++i) EXPECT_EQ(vnUNITMAN_GroupAddUnit(&man, Unit(), 7), 1);
  VNUNIT* extra = Unit();
  EXPECT_EQ(vnUNITMAN_GroupAddUnit(&man, extra, 7), 0);
  ASSERT_NE(Group(7), nullptr);
  EXPECT_EQ(Group(7)->nCount, VNUNIT_GROUP_MAX);
  for (VNUNIT* m : Group(7)->apMembers) EXPECT_NE(m, extra);
}

TEST_F(Groups, ANewKeyMakesAGroupAtTheHeadOfTheList) {
  VNUNIT* a = Unit();
  VNUNIT* b = Unit();
  EXPECT_EQ(vnUNITMAN_GroupAddUnit(&man, a, 1), 1);
  EXPECT_EQ(vnUNITMAN_GroupAddUnit(&man, b, 2), 1);
  auto* first = SGE_ListFirstRecord<VNUNIT_GROUP>(&man.groups);
  EXPECT_EQ(first->nKey, 2);
  EXPECT_EQ(first->nCount, 1);
  EXPECT_EQ(first->apMembers[0], b);
  EXPECT_EQ(SGE_ListCount(&man.groups), 2);
}

TEST_F(Groups, RemovingClosesTheGapAndClearsTheFreedSlot) {
  VNUNIT* a = Unit();
  VNUNIT* b = Unit();
  VNUNIT* c = Unit();
  for (VNUNIT* u : {a, b, c}) vnUNITMAN_GroupAddUnit(&man, u, 3);
  EXPECT_EQ(vnUNITMAN_GroupRemoveUnit(&man, b, 3), 1);
  VNUNIT_GROUP* g = Group(3);
  EXPECT_EQ(g->nCount, 2);
  EXPECT_EQ(g->apMembers[0], a);
  EXPECT_EQ(g->apMembers[1], c);
  EXPECT_EQ(g->apMembers[2], nullptr);
  EXPECT_EQ(vnUNITMAN_GroupRemoveUnit(&man, b, 3), 0);
  EXPECT_EQ(vnUNITMAN_GroupRemoveUnit(&man, a, 99), 0);
  // An emptied group stays, and takes units again.
  EXPECT_EQ(vnUNITMAN_GroupRemoveUnit(&man, a, 3), 1);
  EXPECT_EQ(vnUNITMAN_GroupRemoveUnit(&man, c, 3), 1);
  EXPECT_EQ(Group(3), g);
  EXPECT_EQ(g->nCount, 0);
  EXPECT_EQ(vnUNITMAN_GroupAddUnit(&man, b, 3), 1);
  EXPECT_EQ(g->apMembers[0], b);
}

TEST_F(Groups, SendSkipsTheExcludedUnitAndUnitsWithoutController) {
  VNUNIT* a = Unit();
  VNUNIT* none = Unit(false);
  VNUNIT* excluded = Unit();
  VNUNIT* d = Unit();
  for (VNUNIT* u : {a, none, excluded, d}) vnUNITMAN_GroupAddUnit(&man, u, 5);
  EXPECT_EQ(vnUNITMAN_GroupSend(&man, 5, kMsg, 11, 22, excluded), 1);
  ASSERT_EQ(g_received.size(), 2u);
  EXPECT_EQ(g_received[0].task, a->pController);
  EXPECT_EQ(g_received[1].task, d->pController);
  EXPECT_EQ(g_received[1].a, 11);
  EXPECT_EQ(g_received[1].b, 22);
  EXPECT_EQ(vnUNITMAN_GroupSend(&man, 6, kMsg, 0, 0, nullptr), 0);
  EXPECT_EQ(g_received.size(), 2u);
}

VNUNITMAN* g_man = nullptr;
std::vector<VNUNIT*> g_members;

TEST_F(Groups, EveryMemberGetsTheMessageWhenOneLeavesTheGroupWhileHandlingIt) {
  VNUNIT* a = Unit();
  VNUNIT* b = Unit();
  VNUNIT* c = Unit();
  for (VNUNIT* u : {a, b, c}) vnUNITMAN_GroupAddUnit(&man, u, 4);
  g_man = &man;
  g_members = {a, b, c};
  g_onMessage = [](SGE_TASK* task) {
    for (VNUNIT* u : g_members) {
      if (u->pController == task) vnUNITMAN_GroupRemoveUnit(g_man, u, 4);
    }
  };
  EXPECT_EQ(vnUNITMAN_GroupSend(&man, 4, kMsg, 0, 0, nullptr), 1);
  ASSERT_EQ(g_received.size(), 3u);
  EXPECT_EQ(g_received[2].task, c->pController);
  EXPECT_EQ(Group(4)->nCount, 0);
}

TEST_F(Groups, AGroupThatCannotBeAllocatedIsReportedAsRefused) {
  alignas(8) static unsigned char tiny[SGE_MEMBLOCK_OVERHEAD + 64];
  SGE_MEMBLOCK* mission = man.pBlock;
  man.pBlock = SGE_FormatMemBlock(tiny, sizeof tiny, "tiny");
  ASSERT_NE(man.pBlock, nullptr);
  EXPECT_EQ(vnUNITMAN_GroupAddUnit(&man, Unit(), 8), 0);
  EXPECT_TRUE(SGE_ListIsEmpty(&man.groups));
  SGE_ReleaseMemBlock(man.pBlock);
  man.pBlock = mission;
}

TEST_F(Groups, FreeingReturnsEveryGroupToTheBlock) {
  for (int32_t key = 0; key < 4; ++key) vnUNITMAN_GroupAddUnit(&man, Unit(), key);
  EXPECT_EQ(UsedChunks(), 4u);
  vnUNITMAN_FreeGroups(&man);
  EXPECT_TRUE(SGE_ListIsEmpty(&man.groups));
  EXPECT_EQ(UsedChunks(), 0u);
}

}  // namespace
