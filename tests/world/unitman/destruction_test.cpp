// Destroying units: the order of the steps, children first told then destroyed, and the pool.
#include <gtest/gtest.h>

#include "engine/kernel/tasktypes.h"
#include "tests/world/support/testworld.h"

namespace {

constexpr int32_t kSoldier = VN_UNIT_TYPE_TERRAN_ZR_0;            // class 200
constexpr int32_t kRifle = VN_UNIT_TYPE_WEAPON_SMARTRIFLE_0;       // class 160
constexpr int32_t kBooster = VN_UNIT_TYPE_TECH_COMBAT_BOOSTER_1;   // no class
constexpr int32_t kWalker = VN_UNIT_TYPE_TERRAN_MEDIC;             // class 200
constexpr int32_t kBug = VN_UNIT_TYPE_BUG_WARRIOR;                  // class 146

class DestructionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    world.WriteAttrs({vnworld::Row(kSoldier, VNUNIT_F_SOLDIER, {kRifle, kBooster}),
                      vnworld::Row(kRifle, VNUNIT_F_WEAPON),
                      vnworld::Row(kBooster, VNUNIT_F_ITEM)});
    world.RegisterRecorder(VNTT_TERRAN_INFANTRY);
    world.RegisterRecorder(VNTT_WEAPON_SMARTRIFLE);
  }
  vnworld::TestWorld world;
};

TEST_F(DestructionTest, ChildrenAreToldBeforeTheParentEndsAndDestroyedAfterIt) {
  ASSERT_TRUE(world.Start());
  VNUNIT* soldier = world.Create(kSoldier, world.Human());
  ASSERT_NE(soldier, nullptr);
  auto* rifle = SGE_ListFirstRecord<VNUNIT>(&soldier->aChildren[VNUNIT_CHILD_WEAPONS]);
  const uint32_t soldierId = soldier->dwId, rifleId = rifle->dwId;
  const int32_t free = SGE_ListCount(&world.state()->freeUnits);
  world.ClearEvents();
  world.Destroy(soldier);
  std::vector<std::pair<uint32_t, int32_t>> seen;
  for (const vnworld::Event& e : world.events())
    if (e.msg == SGM_UNIT_PARENT_DESTROYED || e.msg == SGM_TASK_DESTROY) seen.emplace_back(e.unitId, e.msg);
  const std::vector<std::pair<uint32_t, int32_t>> expected = {
      {rifleId, SGM_UNIT_PARENT_DESTROYED}, {soldierId, SGM_TASK_DESTROY}, {rifleId, SGM_TASK_DESTROY}};
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(world.EventsOf(SGM_UNIT_PARENT_DESTROYED)[0].p1, SGE_PtrParam(rifle));
  EXPECT_EQ(SGE_ListCount(&world.state()->freeUnits), free + 3);
  EXPECT_EQ(soldier->nType, VN_UNIT_TYPE_FREE);
  EXPECT_EQ(rifle->nType, VN_UNIT_TYPE_FREE);
  EXPECT_EQ(vnUNITMAN_GetUnit(soldierId), nullptr);
}

TEST_F(DestructionTest, DestroyingTwiceChangesNothing) {
  ASSERT_TRUE(world.Start());
  VNUNIT* rifle = world.Create(kRifle, world.Human());
  const int32_t free = SGE_ListCount(&world.state()->freeUnits);
  world.Destroy(rifle);
  world.Destroy(rifle);
  EXPECT_EQ(SGE_ListCount(&world.state()->freeUnits), free + 1);
}

TEST_F(DestructionTest, AMoverWhoseUnitHasNoControllerEndsWithTheManager) {
  world.WriteAttrs({vnworld::Row(kBug, VNUNIT_F_MOVER), vnworld::Row(kWalker, VNUNIT_F_MOVER)});
  ASSERT_TRUE(world.Start());
  VNUNIT* bug = world.Create(kBug, world.Computer());  // its class is not in this program
  VNUNIT* walker = world.Create(kWalker, world.Human());
  ASSERT_NE(bug, nullptr);
  ASSERT_NE(walker, nullptr);
  ASSERT_NE(bug->pMover, nullptr);
  EXPECT_EQ(bug->pController, nullptr);
  EXPECT_EQ(bug->pMover->pParent, nullptr);
  EXPECT_EQ(walker->pMover->pParent, walker->pController);
  world.Stop();
  EXPECT_EQ(SGE_GetTaskCount(), 0) << "no mover outlives the manager";
}

TEST(DestructionPool, AnExhaustedPoolReportsItsTypesAndFails) {
  vnworld::Options small;
  small.manager.nUnits = 3;
  vnworld::TestWorld tiny(small);
  tiny.WriteAttrs({vnworld::Row(kRifle, VNUNIT_F_WEAPON)});
  ASSERT_TRUE(tiny.Start());
  for (int i = 0; i < 3; ++i) ASSERT_NE(tiny.Create(kRifle, tiny.Human()), nullptr);
  vntest::TraceCapture trace;
  EXPECT_EQ(tiny.Create(kRifle, tiny.Human()), nullptr);
  EXPECT_TRUE(trace.contains("Get Unit Type Data"));
  EXPECT_TRUE(trace.contains("Type[VN_UNIT_TYPE_WEAPON_SMARTRIFLE_0] = 3, total = 3"));
  EXPECT_TRUE(trace.contains("==End List=========="));
}

}  // namespace
