// Unit icons: one per unit, shown to a player, gone with their flash.
#include <gtest/gtest.h>

#include "interface/hud/uniticon.h"

namespace {

class UnitIcons : public ::testing::Test {
 protected:
  void SetUp() override {
    vnUnitIcon_RemoveAll();
    vnUnitIcon_ClearFlashes();
  }
  void TearDown() override { SetUp(); }
};

TEST_F(UnitIcons, AUnitHasOneIconForItsPlayer) {
  EXPECT_EQ(vnUnitIcon_AddIcon(7, 2), 1);
  EXPECT_EQ(vnUnitIcon_AddIcon(7, 1), 0);
  EXPECT_EQ(vnUnitIcon_AddIcon(0, 1), 0);
  EXPECT_EQ(vnUnitIcon_GetPlayer(7), 2u);
  EXPECT_EQ(vnUnitIcon_GetPlayer(8), 0u);
}

TEST_F(UnitIcons, RemovingAnIconEndsItsFlash) {
  ASSERT_EQ(vnUnitIcon_AddIcon(7, 1), 1);
  vnUnitIcon_Flash(7);
  vnUnitIcon_Flash(9);
  vnUnitIcon_Remove(7);
  EXPECT_EQ(vnUnitIcon_GetPlayer(7), 0u);
  EXPECT_FLOAT_EQ(vnUnitIcon_FlashLeft(7), 0.0f);
  EXPECT_GT(vnUnitIcon_FlashLeft(9), 0.0f);
}

TEST_F(UnitIcons, IconsRunOutAndComeBack) {
  for (uint32_t id = 1; id <= VNUNITICON_MAX_ICONS; ++id) ASSERT_EQ(vnUnitIcon_AddIcon(id, 1), 1);
  EXPECT_EQ(vnUnitIcon_AddIcon(VNUNITICON_MAX_ICONS + 1, 1), 0);
  vnUnitIcon_Remove(3);
  EXPECT_EQ(vnUnitIcon_AddIcon(VNUNITICON_MAX_ICONS + 1, 1), 1);
}

}  // namespace
