// The running mission's services to its units: play state, the spawned-bug cap, retrieval zone
// counts, the strike team and kill credit.
#include <gtest/gtest.h>

#include "effects/weapon.h"
#include "frontend/platman.h"
#include "missions/control/misscont.h"
#include "missions/control/missiondef.h"
#include "missions/control/rzone.h"
#include "missions/control/spawncap.h"
#include "missions/control/striketeam.h"
#include "tests/world/support/testworld.h"
#include "world/bstar/bstar.h"
#include "world/mission/context.h"
#include "world/unitman/unitman.h"

namespace {

class MissionServices : public ::testing::Test {
 protected:
  void SetUp() override { vnMISSION_Context() = {}; }
  void TearDown() override { vnMISSION_Context() = {}; }
};

TEST_F(MissionServices, PlayStateAndGravity) {
  EXPECT_EQ(vnMISSCONT_GetPlayState(), 0);
  vnMISSCONT_SetPlayState(5);
  EXPECT_EQ(vnMISSCONT_GetPlayState(), 1);
  vnMISSCONT_SetPlayState(0);
  EXPECT_EQ(vnMISSCONT_GetPlayState(), 0);
  EXPECT_FLOAT_EQ(vnMISSCONT_GetGravity(), 9.8f);
}

TEST_F(MissionServices, SpawnedBugsAreHeldToTheCapAndNeverCountBelowZero) {
  EXPECT_EQ(vnMISSCONT_CanSpawnBug(), 1);  // no definition: no cap
  VNMISSION_DEF def{};
  def.nSpawnedBugCap = 2;
  vnMISSCONT_SetMissionDef(&def);
  const struct {
    void (*step)();
    int32_t alive;
    int32_t can;
  } steps[] = {
      {vnMISSCONT_AddSpawnedBug, 1, 1},    {vnMISSCONT_AddSpawnedBug, 2, 0},
      {vnMISSCONT_RemoveSpawnedBug, 1, 1}, {vnMISSCONT_RemoveSpawnedBug, 0, 1},
      {vnMISSCONT_RemoveSpawnedBug, 0, 1},
  };
  int32_t i = 0;
  for (const auto& s : steps) {
    s.step();
    EXPECT_EQ(vnMISSCONT_GetSpawnedBugs(), s.alive) << "step " << i;
    EXPECT_EQ(vnMISSCONT_CanSpawnBug(), s.can) << "step " << i;
    ++i;
  }
  def.nSpawnedBugCap = VNMISSION_UNLIMITED;
  for (int32_t k = 0; k < 50; ++k) vnMISSCONT_AddSpawnedBug();
  EXPECT_EQ(vnMISSCONT_CanSpawnBug(), 1);
}

TEST_F(MissionServices, OnlyZonesCountUnitsInAndOut) {
  BSTAR_Node zone{}, elsewhere{};
  VNUNIT unit{};
  ASSERT_EQ(vnMISSCONT_AddRZone(&zone, 1), 1);
  EXPECT_EQ(vnMISSCONT_AddRZone(&zone, 0), 0);
  vnMISSCONT_CountRZoneUnits(&zone, &unit, 1);
  vnMISSCONT_CountRZoneUnits(&zone, &unit, 1);
  vnMISSCONT_CountRZoneUnits(&elsewhere, &unit, 1);
  vnMISSCONT_CountRZoneUnits(&zone, nullptr, 1);
  EXPECT_EQ(vnMISSCONT_GetRZoneUnits(&zone), 2);
  EXPECT_EQ(vnMISSCONT_GetRZoneUnits(&elsewhere), -1);
  for (int32_t k = 0; k < 3; ++k) vnMISSCONT_CountRZoneUnits(&zone, &unit, 0);
  EXPECT_EQ(vnMISSCONT_GetRZoneUnits(&zone), 0);
}

TEST_F(MissionServices, ZonesRunOutWithATrace) {
  BSTAR_Node regions[VNMISSION_MAX_RZONES + 1]{};
  for (int32_t i = 0; i < VNMISSION_MAX_RZONES; ++i)
    EXPECT_EQ(vnMISSCONT_AddRZone(&regions[i], 1), 1);
  EXPECT_EQ(vnMISSCONT_AddRZone(&regions[VNMISSION_MAX_RZONES], 1), 0);
  vnMISSCONT_ClearRZones();
  EXPECT_EQ(vnMISSCONT_GetRZoneUnits(&regions[0]), -1);
}

TEST_F(MissionServices, AWokenSoldierTakesTheFirstFreeStrikeTeamSlot) {
  VNPLATOON platoon{};
  VNPLATOON_UNIT taken{}, woken{}, another{};
  for (int32_t slot = VNPLATOON_FIRST_FIELDED; slot < VNPLATOON_FIRST_FIELDED + 3; ++slot)
    platoon.apUnits[slot] = &taken;
  EXPECT_EQ(vnMISSCONT_AddUnitToStrikeTeam(&woken), -1);  // no platoon in play
  const VNMISSION_WORLD world{nullptr, nullptr, &platoon};
  vnMISSCONT_SetWorld(&world);
  EXPECT_EQ(vnMISSCONT_AddUnitToStrikeTeam(&woken), VNPLATOON_FIRST_FIELDED + 3);
  EXPECT_EQ(platoon.apUnits[VNPLATOON_FIRST_FIELDED + 3], &woken);
  for (int32_t slot = VNPLATOON_FIRST_FIELDED; slot < VNPLATOON_SLOTS; ++slot)
    platoon.apUnits[slot] = &taken;
  EXPECT_EQ(vnMISSCONT_AddUnitToStrikeTeam(&another), -1);
  EXPECT_EQ(vnMISSCONT_AddUnitToStrikeTeam(nullptr), -1);
}

VNWEAPON_CREDIT g_credit{};
int32_t g_credits = 0;
SGE_RESULT Credited(SGE_TASK*, SGE_DATAREF*, int32_t msg, SGE_PARAM p1, SGE_PARAM) {
  if (msg == SGM_WEAPON_CREDIT_KILL) {
    g_credit = *SGE_ParamPtr<VNWEAPON_CREDIT>(p1);
    ++g_credits;
  }
  return 0;
}

TEST_F(MissionServices, ASeizedCreatureIsCreditedAsAKillWithItsPoints) {
  vnworld::TestWorld w;  // the kernel
  constexpr int32_t kPsychicClass = 480;
  ASSERT_EQ(SGE_RegisterTaskType(kPsychicClass, Credited, 0, 0, "Psychic"), 1);
  VNUNIT psychic{};
  psychic.pController = SGE_CreateTask(kPsychicClass, nullptr, nullptr, 0, 0);
  ASSERT_NE(psychic.pController, nullptr);
  g_credits = 0;
  vnMISSCONT_SendCreditKill(&psychic, 25);
  vnMISSCONT_SendCreditKill(nullptr, 25);
  ASSERT_EQ(g_credits, 1);
  EXPECT_EQ(g_credit.nKills, 1);
  EXPECT_EQ(g_credit.nPoints, 25);
}

}  // namespace
