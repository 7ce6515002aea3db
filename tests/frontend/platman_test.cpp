// The platoon manager's soldiers as a mission fields them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "frontend/platman.h"
#include "tests/world/support/testworld.h"
#include "world/unittype/unittype.h"

namespace {

TEST(SoldierProfiles, RunsOfPortraitsWithTheVoiceOfTheirSex) {
  const struct {
    int32_t index;
    const char* portrait;
    int32_t woman;
    int32_t voice;
  } cases[] = {
      {0, "", 0, VNSOLDIER_NO_VOICE},
      {2, "Common/ProfileIcons/Male/PIML_0.ppm", 0, 0},
      {14, "Common/ProfileIcons/Male/PIML_12.ppm", 0, 0},
      {15, "Common/ProfileIcons/Female/PIFL_0.ppm", 1, 1},
      {20, "", 0, VNSOLDIER_NO_VOICE},
      {81, "Common/ProfileIcons/Male/PIM_59.ppm", 0, 0},
      {105, "Common/ProfileIcons/Female/PIF_21.ppm", 1, 1},
      {106, "", 0, VNSOLDIER_NO_VOICE},
      {107, "Common/ProfileIcons/Special/PIS_0.ppm", 0, 0},
      {116, "Common/ProfileIcons/Special/PIS_9.ppm", 0, 4},
  };
  for (const auto& c : cases) {
    const VNSOLDIER_PROFILE* p = vnPLATMAN_GetProfile(c.index);
    ASSERT_NE(p, nullptr) << c.index;
    EXPECT_EQ(p->nIndex, c.index);
    EXPECT_STREQ(p->pszPortrait, c.portrait) << c.index;
    EXPECT_EQ(p->bWoman, c.woman) << c.index;
    EXPECT_EQ(p->nVoiceType, c.voice) << c.index;
  }
  EXPECT_STREQ(vnPLATMAN_GetProfile(2)->pszLargePortrait, "Common/ProfileIcons/Male/PIML_0_H.ppm");
  EXPECT_STREQ(vnPLATMAN_GetProfile(108)->pszLargePortrait, vnPLATMAN_GetProfile(108)->pszPortrait);
  EXPECT_EQ(vnPLATMAN_GetProfile(-1), nullptr);
  EXPECT_EQ(vnPLATMAN_GetProfile(VNSOLDIER_PROFILES), nullptr);
}

class Roster : public ::testing::Test {
 protected:
  VNPLATOON_UNIT* New(int32_t type, int32_t profile = 22) {
    VNPLATOON_UNIT* s = vnPLATMAN_CreateUnit(type, 0, profile, "Tam");
    EXPECT_NE(s, nullptr);
    return s;
  }
  void TearDown() override {
    for (VNPLATOON_UNIT* s : platoon.apUnits)
      if (s) vnPLATMAN_FreeUnit(s);
  }
  vnworld::TestWorld w;  // memory
  VNPLATOON platoon{};
};

TEST_F(Roster, ANewSoldierHasNothingYetAndAName) {
  VNPLATOON_UNIT* s = platoon.apUnits[0] = New(VN_UNIT_TYPE_TERRAN_ZR_0);
  EXPECT_STREQ(s->szName, "Tam");
  EXPECT_EQ(s->nSuitType, VNPLATOON_NONE);
  EXPECT_EQ(s->anWeapons[0], VNPLATOON_NONE);
  EXPECT_EQ(s->anEquipment[1], VNPLATOON_NONE);
  VNPLATOON_UNIT* unnamed = platoon.apUnits[1] = vnPLATMAN_CreateUnit(123, 1, 84, nullptr);
  ASSERT_NE(unnamed, nullptr);
  EXPECT_GT(std::strlen(unnamed->szName), 0u);
}

TEST_F(Roster, OnlyTheFieldedSlotsMakeTheStrikeTeam) {
  VNPLATOON_UNIT* reserve = platoon.apUnits[3] = New(VN_UNIT_TYPE_TERRAN_ZR_0);
  VNPLATOON_UNIT* fielded = platoon.apUnits[VNPLATOON_FIRST_FIELDED + 20] = New(VN_UNIT_TYPE_TERRAN_ZR_0);
  reserve->nRosterId = 7;
  fielded->nRosterId = 9;
  EXPECT_EQ(vnPLATMAN_FindStrikeTeamUnit(&platoon, 7), nullptr);
  EXPECT_EQ(vnPLATMAN_FindUnit(&platoon, 7), reserve);
  EXPECT_EQ(vnPLATMAN_FindStrikeTeamUnit(&platoon, 9), fielded);
  EXPECT_EQ(vnPLATMAN_FindStrikeTeamUnit(nullptr, 9), nullptr);
}

TEST_F(Roster, ASuitDecidesTheTypeAndWhatHeMayCarry) {
  VNPLATOON_UNIT* s = platoon.apUnits[VNPLATOON_FIRST_FIELDED] = New(VN_UNIT_TYPE_TERRAN_ZR_0);
  VNUNIT_ATTR missile{}, rifle{};
  missile.nType = VN_UNIT_TYPE_WEAPON_MISSILE_0;
  rifle.nType = VN_UNIT_TYPE_WEAPON_SMARTRIFLE_0;
  EXPECT_EQ(vnPLATMAN_GetUnitType(s), VN_UNIT_TYPE_TERRAN_ZR_0);
  EXPECT_EQ(vnPLATMAN_EquipItem(s, &missile, 1), 1);
  EXPECT_EQ(vnPLATMAN_EquipItem(s, &rifle, 0), 1);
  s->nSuitType = VN_UNIT_TYPE_SUIT_BRAKKAR_1;
  EXPECT_EQ(vnPLATMAN_GetUnitType(s), VN_UNIT_TYPE_SUIT_BRAKKAR_1);
  EXPECT_EQ(vnPLATMAN_EquipItem(s, &missile, 0), 0);
  EXPECT_EQ(vnPLATMAN_ValidateEquipment(&platoon, s), 1);
  EXPECT_EQ(s->anWeapons[0], VN_UNIT_TYPE_WEAPON_SMARTRIFLE_0);
  EXPECT_EQ(s->anWeapons[1], VNPLATOON_NONE);
  EXPECT_EQ(vnPLATMAN_EquipItem(s, &rifle, 4), 0);
  EXPECT_EQ(vnPLATMAN_EquipItem(s, nullptr, 0), 0);
}

TEST_F(Roster, StatsAreTheSoldiersOwn) {
  VNPLATOON_UNIT* s = platoon.apUnits[0] = New(VN_UNIT_TYPE_TERRAN_ZR_0);
  s->stats.afStats[3] = 120.0f;
  VNPLATMAN_STATBLOCK out{};
  EXPECT_EQ(vnPLATMAN_GetUnitStats(s, &out), 1);
  EXPECT_FLOAT_EQ(out.afStats[3], 120.0f);
  EXPECT_EQ(vnPLATMAN_GetUnitStats(nullptr, &out), 0);
  EXPECT_FLOAT_EQ(out.afStats[3], 0.0f);
}

TEST(PlatoonAttributes, TheRowsTheMissionRead) {
  EXPECT_EQ(vnPLATMAN_GetAttributes(), vnUNITATTR_LoadedRow(0));
}

}  // namespace
