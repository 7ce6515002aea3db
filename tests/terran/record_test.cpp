// The soldier record's state names, unit-type groups and animation slot fallback.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "terran/terunit.h"
#include "world/unittype/unittype.h"

namespace {

struct NAMECASE {
  const char* name;
  int32_t lower;
  int32_t upper;
};

TEST(TerunitStateNames, LookupsFollowTheScriptSpellingsOfBothLists) {
  const NAMECASE cases[] = {
      {"null", 0, 0},
      {"idle", 1, 1},
      {"IDLE", 1, 1},
      {"StealthWalkBackwards", 4, 4},
      {"bounchtravel", 11, 11},  // the historical spelling names state 11
      {"bouncetravel", -1, -1},  // and the right one names nothing
      {"turrethold", 24, 24},
      {"pullrope", 25, 25},
      {"reload", -1, 26},
      {"changeweapon", -1, 27},
      {"firing", -1, 28},
      {"handsignal", -1, 29},
      {"idl", -1, -1},
      {"idlex", -1, -1},
      {"", -1, -1},
  };
  for (const NAMECASE& c : cases) {
    EXPECT_EQ(vnTERUNIT_StateIndexA(c.name), c.lower) << c.name;
    EXPECT_EQ(vnTERUNIT_StateIndexB(c.name), c.upper) << c.name;
  }
  EXPECT_EQ(vnTERUNIT_StateIndexA(nullptr), -1);
  EXPECT_EQ(vnTERUNIT_StateIndexB(nullptr), -1);
}

TEST(TerunitAnimNames, ThreeHoldSetsOfSeventyNamesInTableOrder) {
  const char* const* names = vnTERUNIT_GetAnimNames();
  EXPECT_STREQ(names[0], "H1_idle_lkaround");
  EXPECT_STREQ(names[18], "H1_changweapon");
  EXPECT_STREQ(names[58], "H1_bounce_takeoff");
  EXPECT_STREQ(names[69], "H1_turrethold");
  EXPECT_STREQ(names[70], "H2_idle_lkaround");
  EXPECT_STREQ(names[128], "H2_bounce_takeoff");
  EXPECT_STREQ(names[198], "H3_bounce_takeoff");
  EXPECT_STREQ(names[209], "H3_turrethold");
  for (int32_t i = 0; i < VNTERUNIT_SET_SLOTS; ++i)
    EXPECT_STREQ(names[i] + 3, names[i + 2 * VNTERUNIT_SET_SLOTS] + 3) << i;
}

TEST(TerunitGroups, EveryTestAcceptsExactlyItsTypes) {
  struct GROUP {
    const char* name;
    int32_t (*test)(int32_t);
    std::vector<int32_t> types;
  };
  const GROUP groups[] = {
      {"tier0", vnTERUNIT_IsTier0Suit, {92, 93, 98, 99, 104, 105, 116, 117}},
      {"tier1", vnTERUNIT_IsTier1Suit, {94, 95, 100, 101, 106, 107}},
      {"tier2only", vnTERUNIT_IsTier2SuitOnly, {96, 97, 102, 103, 108, 109}},
      {"suittier2",
       vnTERUNIT_IsSuitTier2,
       {96,  97,  102, 103, 108, 109, 110, 111, 112, 113, 114, 115, 120, 121, 122, 123, 124, 125,
        126, 127, 128, 132, 135, 136, 137, 138, 139, 140, 141, 142, 211, 212, 213}},
      {"civilian", vnTERUNIT_IsCivilianKind, {110, 111, 112, 113, 114, 115, 139, 140, 141, 142}},
      {"turret", vnTERUNIT_CanManTurret, {122, 123, 135, 136}},
      {"engineer", vnTERUNIT_IsEngineer, {116, 117}},
  };
  for (const GROUP& g : groups) {
    for (int32_t type = -1; type <= VN_UNIT_TYPE_COUNT; ++type) {
      const bool in = std::find(g.types.begin(), g.types.end(), type) != g.types.end();
      EXPECT_EQ(g.test(type), in ? 1 : 0) << g.name << " type " << type;
    }
  }
}

TEST(TerunitGroups, SuitTierIsOneTwoOrThree) {
  EXPECT_EQ(vnTERUNIT_GetSuitTier(VN_UNIT_TYPE_SUIT_SCOUT_0_FEM), VNTERUNIT_TIER_BASIC);
  EXPECT_EQ(vnTERUNIT_GetSuitTier(VN_UNIT_TYPE_TERRAN_COMBATENG), VNTERUNIT_TIER_BASIC);
  EXPECT_EQ(vnTERUNIT_GetSuitTier(VN_UNIT_TYPE_SUIT_BRAKKAR_1), VNTERUNIT_TIER_ADVANCED);
  EXPECT_EQ(vnTERUNIT_GetSuitTier(VN_UNIT_TYPE_SUIT_COMMAND_2), VNTERUNIT_TIER_OTHER);
  EXPECT_EQ(vnTERUNIT_GetSuitTier(VN_UNIT_TYPE_TERRAN_ZR_0), VNTERUNIT_TIER_OTHER);
}

// A map where every entry is missing except the ones a case gives.
struct MapFixture {
  int32_t map[VNTERUNIT_ANIM_NAMES];
  VNTERUNIT record{};
  MapFixture() {
    std::fill(std::begin(map), std::end(map), -1);
    record.animMap = map;
  }
};

TEST(TerunitAnim, AMissingSlotFallsBackToIdleThenRelaxedLookAround) {
  struct CASE {
    const char* name;
    int32_t set;
    std::vector<std::pair<int32_t, int32_t>> present;  // slot in the set, animation
    int32_t slot;
    int32_t expected;
  };
  const CASE cases[] = {
      {"present", 0, {{17, 5}, {0, 1}}, 17, 5},
      {"idle fallback", 0, {{0, 1}, {26, 2}}, 17, 1},
      {"relaxed fallback", 0, {{26, 2}}, 17, 2},
      {"neither", 0, {}, 17, -1},
      {"second set", 70, {{17, 9}}, 17, 9},
      {"second set falls back within itself", 70, {{0, 3}}, 5, 3},
      {"outside the set", 0, {{0, 1}}, 70, 1},
  };
  for (const CASE& c : cases) {
    MapFixture f;
    f.record.animSet = c.set;
    for (auto [slot, anim] : c.present) f.map[c.set + slot] = anim;
    EXPECT_EQ(vnTERUNIT_Anim(&f.record, c.slot), c.expected) << c.name;
  }
}

TEST(TerunitAnim, HasAnimLooksAtTheSetInUseOnly) {
  MapFixture f;
  f.map[140 + 33] = 12;
  f.record.animSet = 140;
  EXPECT_EQ(vnTERUNIT_HasAnim(&f.record, 33), 1);
  EXPECT_EQ(vnTERUNIT_HasAnim(&f.record, 0), 0);
  EXPECT_EQ(vnTERUNIT_HasAnim(&f.record, -1), 0);
  EXPECT_EQ(vnTERUNIT_HasAnim(&f.record, 70), 0);
  f.record.animSet = 0;
  EXPECT_EQ(vnTERUNIT_HasAnim(&f.record, 33), 0);
  VNTERUNIT empty{};
  EXPECT_EQ(vnTERUNIT_Anim(&empty, 0), -1);
}

}  // namespace
