// The platoon model (levels, ranks, promotions, unit types) and platoon files.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "frontend/platman.h"
#include "platform/ini.h"
#include "tests/world/support/testworld.h"
#include "tools/writers/file_writer.h"
#include "tools/writers/platoon_writer.h"
#include "tools/writers/promote_writer.h"
#include "world/unittype/unittype.h"

namespace {

TEST(PlatoonLevels, ExperienceGivesLevelAndRank) {
  const struct {
    int32_t experience, level, rank;
  } cases[] = {{-5, 1, 0},    {0, 1, 0},     {99, 1, 0},      {100, 2, 0},      {799, 6, 0},
               {800, 7, 1},   {1799, 9, 1},  {1800, 10, 2},   {6000, 20, 4},    {9500, 27, 5},
               {46999, 44, 7}, {47000, 45, 8}, {1038999, 49, 8}, {1039000, 50, 8}, {2000000000, 50, 8}};
  for (const auto& c : cases) {
    EXPECT_EQ(vnPLATMAN_GetLevelRow(c.experience)->nLevel, c.level) << c.experience;
    EXPECT_EQ(vnPLATMAN_GetLevelRank(c.experience), c.rank) << c.experience;
  }
  const int32_t rankMinimum[VNPLATMAN_RANKS] = {0, 800, 1800, 3500, 6000, 9500, 12500, 15500, 47000};
  for (int32_t r = 0; r < VNPLATMAN_RANKS; ++r) {
    ASSERT_NE(vnPLATMAN_GetRankRow(r), nullptr) << r;
    EXPECT_EQ(vnPLATMAN_GetRankRow(r)->nExperience, rankMinimum[r]) << r;
    EXPECT_EQ(vnPLATMAN_GetRankRow(r)->nRank, r) << r;
  }
  EXPECT_EQ(vnPLATMAN_GetRankRow(-1), nullptr);
  EXPECT_EQ(vnPLATMAN_GetRankRow(VNPLATMAN_RANKS), nullptr);
}

constexpr int32_t kMan = VN_UNIT_TYPE_TERRAN_ZR_0;
constexpr int32_t kSuit = VN_UNIT_TYPE_SUIT_BRAKKAR_1;
constexpr int32_t kMedic = VN_UNIT_TYPE_TERRAN_MEDIC;
constexpr uint32_t kSuitFlag = 0x4, kSpecialistFlag = 0x10;

VNWRITE_PROMOTIONS Increments() {
  VNWRITE_PROMOTIONS rows{};
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t s = 0; s < 7; ++s) rows[r][s] = static_cast<float>((r + 1) * 10 + s);
  return rows;
}

// A world whose attribute rows give the man stats 1..7 and mark a suit and a specialist.
class Platoon : public ::testing::Test {
 protected:
  void SetUp() override {
    VNWRITE_UNITATTR man = vnworld::Row(kMan, 0);
    // Stat k lies in float k2[k] of the row.
    const size_t at[VNPLATMAN_STATS] = {7, 0, 4, 3, 6, 5, 2};
    for (size_t k = 0; k < VNPLATMAN_STATS; ++k) man.floats[at[k]] = static_cast<float>(k + 1);
    w.WriteAttrs({man, vnworld::Row(kSuit, kSuitFlag), vnworld::Row(kMedic, kSpecialistFlag)});
    ASSERT_TRUE(w.Start());
    ASSERT_TRUE(vnWRITE_PromoteFile(Path("units/vn_promote.txt"), Increments()));
    ASSERT_EQ(vnPLATMAN_Init(), 1);
  }
  void TearDown() override {
    vnPLATMAN_FreePlatoon(platoon);
    vnPLATMAN_Shutdown();
  }
  std::string Path(const std::string& name) const { return w.content().path() + "/" + name; }
  std::vector<uint8_t> Bytes(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  VNPLATOON_UNIT* Add(int32_t slot, int32_t rank, const char* name = "Tam Adler") {
    platoon->apUnits[slot] = vnPLATMAN_CreateUnit(kMan, rank, 22, name);
    return platoon->apUnits[slot];
  }
  vnworld::TestWorld w;
  VNPLATOON* platoon = vnPLATMAN_CreatePlatoon();
};

TEST_F(Platoon, ASoldierOfRankFourCarriesTheIncrementsOnOneRolledFactor) {
  VNPLATOON_UNIT* s = Add(0, 4);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->nRank, 4);
  EXPECT_EQ(s->nExperience, 6000);
  EXPECT_EQ(s->pLevel->nLevel, 20);
  const VNWRITE_PROMOTIONS inc = Increments();
  float factor = 0;
  for (int32_t k = 0; k < VNPLATMAN_STATS; ++k) {
    float promoted = 0;
    for (size_t r = 0; r < 4; ++r) promoted += inc[r][static_cast<size_t>(k)];
    const float f = (s->stats.afStats[k] - promoted) / static_cast<float>(k + 1);
    if (k == 0) factor = f;
    EXPECT_NEAR(f, factor, 1e-4) << k;
  }
  EXPECT_GE(factor, 0.96f - 1e-4f);
  EXPECT_LE(factor, 1.05f + 1e-4f);
  EXPECT_EQ(vnPLATMAN_IsPromotionDue(s), 0);
  s->nExperience = 9500;
  EXPECT_EQ(vnPLATMAN_IsPromotionDue(s), 1);
  vnPLATMAN_PromoteByExperience(s);
  EXPECT_EQ(s->nRank, 5);
  EXPECT_EQ(s->pLevel->nLevel, 27);
}

TEST_F(Platoon, RankQuotasCountTheWholePlatoon) {
  EXPECT_EQ(vnPLATMAN_RankHasRoom(platoon, 4), 1);
  Add(40, 4);
  EXPECT_EQ(vnPLATMAN_CountUnitsOfRank(platoon, 4), 1);
  EXPECT_EQ(vnPLATMAN_RankHasRoom(platoon, 4), 0);
  EXPECT_EQ(vnPLATMAN_RankHasRoom(platoon, 7), 0) << "never reached by promotion";
  EXPECT_EQ(vnPLATMAN_RankHasRoom(platoon, 0), 1);
}

TEST_F(Platoon, AMalformedPromotionLineFailsTheStartButTheOthersAreRead) {
  const std::string text = "1 2 3 4 5 6 7\n1 2 x\n3 3 3 3 3 3 3\n4 4 4 4 4 4 4\n5 5 5 5 5 5 5\n"
                           "6 6 6 6 6 6 6\n7 7 7 7 7 7 7\n8 8 8 8 8 8 8\n";
  ASSERT_TRUE(vnWRITE_WholeFile("test", Path("units/vn_promote.txt"), text.data(), text.size()));
  EXPECT_EQ(vnPLATMAN_Init(), 0);
  EXPECT_FLOAT_EQ(vnPLATMAN_GetPromotion(3)->afStats[6], 3.0f);
  EXPECT_FLOAT_EQ(vnPLATMAN_GetPromotion(0)->afStats[0], 0.0f);
  std::remove(Path("units/vn_promote.txt").c_str());
  EXPECT_EQ(vnPLATMAN_Init(), 0);
}

TEST_F(Platoon, TheTypeGoesWhereItsFlagsSay) {
  VNPLATOON_UNIT* s = Add(0, 0);
  EXPECT_EQ(vnPLATMAN_SetUnitType(platoon, s, kSuit), kMan);
  EXPECT_EQ(s->nUnitType, kMan) << "a suit keeps the man";
  EXPECT_EQ(s->nSuitType, kSuit);
  EXPECT_EQ(vnPLATMAN_IsSuitClass(s), 1);
  EXPECT_EQ(vnPLATMAN_SetUnitType(platoon, s, kMedic), kSuit);
  EXPECT_EQ(s->nSuitType, kSuit) << "a specialist leaves the suit";
  EXPECT_EQ(vnPLATMAN_GetUnitType(s), kMedic);
  EXPECT_EQ(vnPLATMAN_IsSuitClass(s), 0);
  EXPECT_EQ(vnPLATMAN_SetUnitType(platoon, s, kMan + 1), kMedic);
  EXPECT_EQ(s->nSuitType, VNPLATOON_NONE) << "a plain type clears the suit";
  EXPECT_EQ(s->nSpecialistType, VNPLATOON_NONE);
  EXPECT_EQ(vnPLATMAN_GetUnitType(s), kMan + 1);
}

TEST_F(Platoon, ASavedPlatoonReadsBackWithWhatTheFileKeeps) {
  std::snprintf(platoon->szName, sizeof platoon->szName, "Save One");
  platoon->szLtName[0] = '\0';
  platoon->nProfile = 3;
  platoon->nInsignia = 9;
  platoon->nUP = 12;
  platoon->nKills = 40;
  std::snprintf(platoon->szCurrentLevel, sizeof platoon->szCurrentLevel, "C1M3");
  platoon->anUpgrade[VN_UNIT_TYPE_WEAPON_MISSILE_0] = 1;
  platoon->anUpgrade[kSuit] = 1;
  VNPLATOON_UNIT* a = Add(5, 2, "Ilse Birch");
  a->dwFlags = ~VNPLATOON_UNIT_NOT_SAVED;
  a->nKills = 17;
  a->nMissions = 3;
  a->nRosterId = 99;
  a->anWeapons[0] = VN_UNIT_TYPE_WEAPON_SMARTRIFLE_0;
  a->anMedals[5] = 2;
  vnPLATMAN_SetUnitType(nullptr, a, kSuit);
  Add(6, 0)->dwFlags = VNPLATOON_UNIT_NOT_SAVED;
  Add(7, 0)->szName[0] = '\0';
  VNPLATOON_UNIT* specialist = Add(55, 0);
  specialist->nUnitType = VNPLATOON_NONE;

  const uint32_t sum = vnPLATMAN_SavePlatoon(platoon, Path("platoons.plt").c_str());
  ASSERT_NE(sum, 0u);
  EXPECT_STREQ(platoon->szLtName, "LtName");
  const std::vector<uint8_t> bytes = Bytes("platoons.plt");
  const std::string text(bytes.begin(), bytes.end() - 4);
  EXPECT_TRUE(text.ends_with("[END]\r\n"));
  uint32_t expected = 0;
  for (uint8_t b : std::span(bytes).first(bytes.size() - 4)) expected += b;
  EXPECT_EQ(sum, expected);
  EXPECT_EQ(std::memcmp(&bytes[bytes.size() - 4], &expected, 4), 0);

  VNPLATOON* back = vnPLATMAN_OpenPlatoon(Path("platoons.plt").c_str());
  ASSERT_NE(back, nullptr);
  EXPECT_STREQ(back->szName, "Save One");
  EXPECT_STREQ(back->szLtName, "LtName");
  EXPECT_STREQ(back->szCurrentLevel, "C1M3");
  EXPECT_EQ(back->nProfile, 3);
  EXPECT_EQ(back->nInsignia, 9);
  EXPECT_EQ(back->nUP, 12);
  EXPECT_EQ(back->nKills, 0) << "not saved";
  EXPECT_EQ(std::memcmp(back->anUpgrade, platoon->anUpgrade, sizeof back->anUpgrade), 0);
  const VNPLATOON_UNIT* b = back->apUnits[5];
  ASSERT_NE(b, nullptr);
  EXPECT_STREQ(b->szName, "Ilse Birch");
  EXPECT_EQ(b->nRosterId, 5);
  EXPECT_EQ(b->dwFlags, 0x21au);
  EXPECT_EQ(b->nRank, 2);
  EXPECT_EQ(b->nExperience, a->nExperience);
  EXPECT_EQ(b->pLevel, a->pLevel);
  EXPECT_EQ(b->nKills, 17);
  EXPECT_EQ(b->nMissions, 3);
  EXPECT_EQ(b->nUnitType, kMan);
  EXPECT_EQ(b->nSuitType, kSuit);
  EXPECT_EQ(b->anWeapons[0], VN_UNIT_TYPE_WEAPON_SMARTRIFLE_0);
  EXPECT_EQ(b->anEquipment[1], VNPLATOON_NONE);
  EXPECT_EQ(b->anMedals[5], 2);
  for (int32_t k = 0; k < VNPLATMAN_STATS; ++k) EXPECT_NEAR(b->stats.afStats[k], a->stats.afStats[k], 1e-5) << k;
  EXPECT_EQ(back->apUnits[6], nullptr) << "never saved";
  EXPECT_EQ(back->apUnits[7], nullptr) << "no name";
  ASSERT_NE(back->apUnits[55], nullptr);
  EXPECT_EQ(back->apUnits[55]->nUnitType, VN_UNIT_TYPE_TERRAN_COMBATENG);
  vnPLATMAN_FreePlatoon(back);
}

TEST_F(Platoon, AFlippedByteOrAnotherFormatIsRefused) {
  Add(36, 4);
  ASSERT_NE(vnPLATMAN_SavePlatoon(platoon, Path("a.plt").c_str()), 0u);
  EXPECT_EQ(vnPLATMAN_CheckPlatoonFile(Path("a.plt").c_str()), 1);
  std::vector<uint8_t> bytes = Bytes("a.plt");
  for (size_t at : {size_t{0}, bytes.size() / 2, bytes.size() - 7, bytes.size() - 1}) {
    std::vector<uint8_t> flipped = bytes;
    flipped[at] ^= 0x01;
    const std::string name = "flip" + std::to_string(at) + ".plt";
    ASSERT_TRUE(vnWRITE_WholeFile("test", Path(name), flipped.data(), flipped.size()));
    EXPECT_EQ(vnPLATMAN_CheckPlatoonFile(Path(name).c_str()), 0) << at;
    EXPECT_EQ(vnPLATMAN_OpenPlatoon(Path(name).c_str()), nullptr) << at;
  }
  VNWRITE_PLATOON old;
  old.guid = "b7d192be-d3ee-4126-a5f1-5e0045ff9896";
  ASSERT_TRUE(vnWRITE_PlatoonFile(Path("old.plt"), old));
  EXPECT_EQ(vnPLATMAN_CheckPlatoonFile(Path("old.plt").c_str()), 0);
  EXPECT_EQ(vnPLATMAN_OpenPlatoon(Path("old.plt").c_str()), nullptr);
  VNWRITE_PLATOON none;
  none.guid = "";
  ASSERT_TRUE(vnWRITE_PlatoonFile(Path("none.plt"), none));
  EXPECT_EQ(vnPLATMAN_OpenPlatoon(Path("none.plt").c_str()), nullptr);
  EXPECT_EQ(vnPLATMAN_OpenPlatoon(Path("missing.plt").c_str()), nullptr);
}

// Files that the game could have been handed: each is refused whole.
TEST_F(Platoon, BadValuesInAFileAreRefused) {
  const struct {
    const char* what;
    void (*spoil)(VNWRITE_PLATOON&);
  } cases[] = {
      {"sound", [](VNWRITE_PLATOON&) {}},
      {"name of 70", [](VNWRITE_PLATOON& p) { p.units[3]->name = std::string(70, 'n'); }},
      {"rank 9", [](VNWRITE_PLATOON& p) { p.units[3]->rank = 9; }},
      {"rank -1", [](VNWRITE_PLATOON& p) { p.units[3]->rank = -1; }},
      {"unit profile 117", [](VNWRITE_PLATOON& p) { p.units[3]->profile = 117; }},
      {"platoon profile -2", [](VNWRITE_PLATOON& p) { p.profile = -2; }},
      {"insignia 10", [](VNWRITE_PLATOON& p) { p.insignia = 10; }},
      {"insignia -1", [](VNWRITE_PLATOON& p) { p.insignia = -1; }},
      {"type name of 70", [](VNWRITE_PLATOON& p) { p.units[3]->types[4] = std::string(70, 'T'); }},
      {"upgrade", [](VNWRITE_PLATOON& p) { p.upgrades = {"VN_UNIT_TYPE_NOTHING"}; }},
      {"empty lieutenant", [](VNWRITE_PLATOON& p) { p.ltName = ""; }},
      {"up -1", [](VNWRITE_PLATOON& p) { p.up = -1; }},
  };
  int32_t n = 0;
  for (const auto& c : cases) {
    VNWRITE_PLATOON p;
    p.units[3].emplace();
    c.spoil(p);
    const std::string name = "case" + std::to_string(n++) + ".plt";
    ASSERT_TRUE(vnWRITE_PlatoonFile(Path(name), p));
    VNPLATOON* read = vnPLATMAN_OpenPlatoon(Path(name).c_str());
    EXPECT_EQ(read != nullptr, std::strcmp(c.what, "sound") == 0) << c.what;
    vnPLATMAN_FreePlatoon(read);
  }
}

TEST_F(Platoon, UpgradeNumberingStopsAtAGap) {
  VNWRITE_PLATOON p;
  p.upgrades = {"VN_UNIT_TYPE_WEAPON_MISSILE_0", "vn_unit_type_weapon_smartrifle_0"};
  std::string text = vnWRITE_PlatoonText(p);
  text.insert(text.find("[END]"), "unit3=VN_UNIT_TYPE_TERRAN_MEDIC\r\n");
  uint32_t sum = 0;
  for (unsigned char c : text) sum += c;
  text.append(reinterpret_cast<const char*>(&sum), 4);
  ASSERT_TRUE(vnWRITE_WholeFile("test", Path("gap.plt"), text.data(), text.size()));
  VNPLATOON* read = vnPLATMAN_OpenPlatoon(Path("gap.plt").c_str());
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->anUpgrade[VN_UNIT_TYPE_WEAPON_MISSILE_0], 1);
  EXPECT_EQ(read->anUpgrade[VN_UNIT_TYPE_WEAPON_SMARTRIFLE_0], 1);
  EXPECT_EQ(read->anUpgrade[kMedic], 0);
  vnPLATMAN_FreePlatoon(read);
}

TEST_F(Platoon, ANameWithAQuoteIsNotSavedAndTheOldFileStays) {
  Add(36, 4);
  ASSERT_NE(vnPLATMAN_SavePlatoon(platoon, Path("keep.plt").c_str()), 0u);
  const std::vector<uint8_t> before = Bytes("keep.plt");
  for (char* name : {platoon->apUnits[36]->szName, platoon->szLtName, platoon->szName}) {
    const std::string was = name;
    std::snprintf(name, VNPLATOON_NAME_SIZE, "Bad \"Nick\" Name");
    EXPECT_EQ(vnPLATMAN_SavePlatoon(platoon, Path("keep.plt").c_str()), 0u) << was;
    EXPECT_EQ(Bytes("keep.plt"), before) << was;
    std::snprintf(name, VNPLATOON_NAME_SIZE, "%s", was.c_str());
  }
}

TEST_F(Platoon, ASaveThatCannotCreateItsFileFails) {
  EXPECT_EQ(vnPLATMAN_SavePlatoon(platoon, Path("no/such/folder/x.plt").c_str()), 0u);
}

}  // namespace

namespace {

// The demo tree's platoon in play is a full strike team whose next mission is C1M1A.
TEST(DemoPlatoon, AFullStrikeTeamForTheFirstTraining) {
  vnworld::TestWorld w;
  ASSERT_TRUE(vnworld::WriteDemoTree(w.content().path()));
  ASSERT_EQ(vnPLATMAN_Init(), 1);
  VNPLATOON* p = vnPLATMAN_OpenPlatoon("platoons/inplay.plt");
  ASSERT_NE(p, nullptr);
  EXPECT_STREQ(p->szCurrentLevel, "C1M1A");
  for (int32_t leader : {36, 42, 48}) {
    ASSERT_NE(p->apUnits[leader], nullptr) << leader;
    EXPECT_GT(p->apUnits[leader]->nRank, 0) << leader;
  }
  std::vector<int32_t> specialists;
  for (int32_t slot = VNPLATOON_FIRST_FIELDED; slot < VNPLATOON_SLOTS; ++slot)
    if (p->apUnits[slot] && p->apUnits[slot]->nSpecialistType != VNPLATOON_NONE)
      specialists.push_back(p->apUnits[slot]->nSpecialistType);
  EXPECT_EQ(specialists, (std::vector<int32_t>{VN_UNIT_TYPE_TERRAN_MEDIC_FEM, VN_UNIT_TYPE_TERRAN_COMBATENG,
                                               VN_UNIT_TYPE_TERRAN_MIST_FEM, VN_UNIT_TYPE_TERRAN_PSYCHIC}));
  vnPLATMAN_FreePlatoon(p);
  vnPLATMAN_Shutdown();
}

}  // namespace
