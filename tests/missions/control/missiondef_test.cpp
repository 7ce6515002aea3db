// The mission definition table.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "missions/control/missiondef.h"

namespace {

TEST(MissionDefTable, NamesMatchWithoutRegardToCase) {
  const struct {
    const char* name;
    int32_t index;
  } cases[] = {
      {"C1M1A", 0}, {"c1m1d", 1}, {"c1m2", 4}, {"C3m7", 23}, {"endgame", 24},
      {"C1M", -1},  {"C1M22", -1}, {"", -1},   {"C4M1", -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(vnMISSCONT_FindMissionDefIndex(c.name), c.index) << c.name;
    const VNMISSION_DEF* def = vnMISSCONT_FindMissionDef(c.name);
    EXPECT_EQ(def, vnMISSCONT_GetMissionDefByIndex(c.index)) << c.name;
  }
  EXPECT_STREQ(vnMISSCONT_FindMissionDef("c1m2")->pszName, "C1M2");
  EXPECT_EQ(vnMISSCONT_FindMissionDefIndex(nullptr), -1);
  EXPECT_EQ(vnMISSCONT_FindMissionDef(nullptr), nullptr);
  EXPECT_EQ(vnMISSCONT_GetMissionDefByIndex(VNMISSION_DEFS), nullptr);
}

// The training missions come first out of their play order; every script type is used once.
TEST(MissionDefTable, OrderAndScriptTypes) {
  const char* const order[VNMISSION_DEFS] = {
      "C1M1A", "C1M1D", "C1M1B", "C1M1C", "C1M2", "C1M3", "C1M4", "C1M5", "C1M6",
      "C1M7",  "C2M1",  "C2M2",  "C2M3",  "C2M4", "C2M5", "C2M6", "C2M7", "C3M1",
      "C3M2",  "C3M3",  "C3M4",  "C3M5",  "C3M6", "C3M7", "ENDGAME"};
  std::set<int32_t> types;
  for (int32_t i = 0; i < VNMISSION_DEFS; ++i) {
    const VNMISSION_DEF* def = vnMISSCONT_GetMissionDefByIndex(i);
    ASSERT_NE(def, nullptr) << i;
    EXPECT_STREQ(def->pszName, order[i]) << i;
    EXPECT_EQ(def->nCampaign, i < 10 ? 0 : i < 17 ? 1 : 2) << order[i];
    types.insert(def->nTaskType);
  }
  EXPECT_EQ(types.size(), static_cast<size_t>(VNMISSION_DEFS));
  EXPECT_EQ(*types.begin(), 5);
  EXPECT_EQ(*types.rbegin(), 29);
}

TEST(MissionDefTable, RecordsCarryTheirMissionsValues) {
  const VNMISSION_DEF* d = vnMISSCONT_FindMissionDef("C1M6");
  EXPECT_EQ(d->nTaskType, 13);
  EXPECT_STREQ(d->pszSuffix, "_d1");
  EXPECT_EQ(d->dwBackground, 0xFF6793DCu);
  EXPECT_FLOAT_EQ(d->afAmbient[1], 171.0f);
  EXPECT_FLOAT_EQ(d->afLightColour[2], 100.0f);
  EXPECT_FLOAT_EQ(d->fViewDistance, 500.0f);
  EXPECT_EQ(d->dwOverlayColour, 0xFFFF9000u);
  EXPECT_FLOAT_EQ(d->fOverlayRadius, 70.0f);
  EXPECT_EQ(d->nStructureKind, 2);
  EXPECT_EQ(d->nSpawnedBugCap, 80);
  EXPECT_EQ(d->anPair[0], 16);
  EXPECT_EQ(d->anPair[1], 17);
  EXPECT_FLOAT_EQ(d->fBorder, 100.0f);
  EXPECT_EQ(vnMISSCONT_FindMissionDef("C1M1A")->nFirstMusic, VNMISSION_NO_MUSIC);
  EXPECT_EQ(vnMISSCONT_FindMissionDef("C3M2")->nMissionMusic, VNMISSION_NO_MUSIC);
  EXPECT_FLOAT_EQ(vnMISSCONT_FindMissionDef("C2M3")->fWindMax, 5.0f);
  EXPECT_FLOAT_EQ(vnMISSCONT_FindMissionDef("C3M3")->fOverlayTiling, 0.5f);
}

}  // namespace
