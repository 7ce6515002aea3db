// Unit creation: ids, records, linked types and the messages a new unit's controller gets.
#include <gtest/gtest.h>

#include "engine/kernel/tasktypes.h"
#include "tests/world/support/testworld.h"

namespace {

constexpr int32_t kSoldier = VN_UNIT_TYPE_TERRAN_ZR_0;       // class 200, linked 190
constexpr int32_t kRifle = VN_UNIT_TYPE_WEAPON_SMARTRIFLE_0;  // class 160
constexpr int32_t kBooster = VN_UNIT_TYPE_TECH_COMBAT_BOOSTER_1;  // no class

class CreationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    world.WriteAttrs({vnworld::Row(kSoldier, VNUNIT_F_SOLDIER | VNUNIT_F_SELECTABLE, {kRifle, kBooster}),
                      vnworld::Row(kRifle, VNUNIT_F_WEAPON, {kBooster}),
                      vnworld::Row(kBooster, VNUNIT_F_ITEM)});
    world.RegisterRecorder(VNTT_TERRAN_INFANTRY);
    world.RegisterRecorder(VNTT_WEAPON_SMARTRIFLE);
    ASSERT_TRUE(world.Start());
  }
  vnworld::TestWorld world;
};

TEST_F(CreationTest, IdsGrowByOneIncludingLinkedUnitsAndAreNotReused) {
  VNUNIT* a = world.Create(kSoldier, world.Human());
  ASSERT_NE(a, nullptr);
  const uint32_t first = a->dwId;
  const uint32_t weaponId = first + 1, itemId = first + 2;
  world.Destroy(a);
  VNUNIT* b = world.Create(kRifle, world.Human());
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->dwId, first + 3) << "soldier, its rifle and booster took " << first << ".." << itemId
                                << " (weapon " << weaponId << ")";
}

TEST_F(CreationTest, LinkedWeaponsAreCreatedBeforeTheParentsControllerAndLieInItsLists) {
  VNUNIT* soldier = world.Create(kSoldier, world.Human());
  ASSERT_NE(soldier, nullptr);
  SGE_DLLNODE* weapons = &soldier->aChildren[VNUNIT_CHILD_WEAPONS];
  SGE_DLLNODE* items = &soldier->aChildren[VNUNIT_CHILD_ITEMS];
  ASSERT_EQ(SGE_ListCount(weapons), 1);
  ASSERT_EQ(SGE_ListCount(items), 1);
  auto* rifle = SGE_ListFirstRecord<VNUNIT>(weapons);
  auto* booster = SGE_ListFirstRecord<VNUNIT>(items);
  EXPECT_EQ(rifle->nType, kRifle);
  EXPECT_EQ(rifle->pParent, soldier);
  EXPECT_EQ(booster->pParent, soldier);
  EXPECT_EQ(rifle->dwId, soldier->dwId + 1);
  EXPECT_EQ(booster->dwId, soldier->dwId + 2);
  // Controllers are made in the order rifle, soldier.
  const auto created = world.EventsOf(SGM_TASK_CREATE);
  ASSERT_EQ(created.size(), 2u);
  EXPECT_EQ(created[0].unitId, rifle->dwId);
  EXPECT_EQ(created[1].unitId, soldier->dwId);
  EXPECT_EQ(booster->pController, nullptr);
}

TEST_F(CreationTest, WeaponsNeverCreateTheirLinkedTypes) {
  VNUNIT* rifle = world.Create(kRifle, world.Human());
  ASSERT_NE(rifle, nullptr);
  for (const SGE_DLLNODE& list : rifle->aChildren) EXPECT_TRUE(SGE_ListIsEmpty(&list));
  EXPECT_EQ(world.Create(kBooster, world.Human())->dwId, rifle->dwId + 1);
}

TEST_F(CreationTest, AnUnknownPlayerFailsWithoutTakingARecord) {
  const int32_t free = SGE_ListCount(&world.state()->freeUnits);
  EXPECT_EQ(world.Create(kRifle, 0x40), nullptr);
  EXPECT_EQ(SGE_ListCount(&world.state()->freeUnits), free);
}

// A controller may end its own unit while it is being made: the creation fails and the record
// goes back to the pool once, with the unit's weapons.
TEST_F(CreationTest, AUnitEndedByItsControllerAtCreationIsNotHandedOut) {
  SGE_TASK* manager = world.manager();
  world.SetHook([manager](VNUNIT* u, int32_t msg, SGE_PARAM, SGE_PARAM) {
    if (msg == SGM_TASK_CREATE && u->nType == kSoldier)
      SGE_Send(manager, SGM_UNITMAN_DESTROY_UNIT, SGE_PtrParam(u), 0);
    return msg == SGM_TASK_CREATE ? 1 : -1;
  });
  const int32_t free = SGE_ListCount(&world.state()->freeUnits);
  EXPECT_EQ(world.Create(kSoldier, world.Human()), nullptr);
  EXPECT_EQ(SGE_ListCount(&world.state()->freeUnits), free);
  VNPLAYER* human = vnUNITMAN_GetHumanPlayer();
  EXPECT_TRUE(SGE_ListIsEmpty(&human->units));
}

}  // namespace
