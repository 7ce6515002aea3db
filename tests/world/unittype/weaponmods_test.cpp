// The weapon damage modifiers: the matrix and both index lists read back, and the lookups that
// fall back to 1.0.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "unittype_fixture.h"

namespace {

using WeaponModsTest = UnitFilesFixture;

VNWRITE_WEAPONMODS Distinct() {
  VNWRITE_WEAPONMODS m;
  for (int32_t r = 0; r < VNWRITE_WEAPONMOD_ROWS; ++r) {
    for (int32_t c = 0; c < VNWRITE_WEAPONMOD_COLS; ++c) {
      m.matrix[static_cast<size_t>(r)][static_cast<size_t>(c)] = 0.1f * static_cast<float>(r) +
                                                                 0.001f * static_cast<float>(c);
    }
  }
  for (int32_t t = 0; t < VNWRITE_UNIT_TYPES; ++t) {
    m.rowOfType[static_cast<size_t>(t)] = t % VNWRITE_WEAPONMOD_ROWS;
    m.colOfType[static_cast<size_t>(t)] = t % VNWRITE_WEAPONMOD_COLS;
  }
  return m;
}

TEST_F(WeaponModsTest, TheTableReadsBackExactlyAsWritten) {
  VNWRITE_WEAPONMODS m = Distinct();
  m.rowOfType[VN_UNIT_TYPE_WEAPON_BUGSPIT_0] = -1;
  m.colOfType[VN_UNIT_TYPE_BUG_TANKER] = -1;
  WriteMods(vnWRITE_WeaponModsText(m) + "anything after the end\n");
  ASSERT_EQ(vnUNITMAN_LoadWeaponMods(), 1);
  for (int32_t s = 0; s < VN_UNIT_TYPE_COUNT; ++s) {
    for (int32_t t = 0; t < VN_UNIT_TYPE_COUNT; ++t) {
      const int32_t r = m.rowOfType[static_cast<size_t>(s)];
      const int32_t c = m.colOfType[static_cast<size_t>(t)];
      const float want = (r < 0 || c < 0) ? 1.0f : m.matrix[static_cast<size_t>(r)][static_cast<size_t>(c)];
      ASSERT_EQ(vnUNITMAN_GetWeaponMod(s, t), want) << s << " hits " << t;
    }
  }
}

TEST_F(WeaponModsTest, IndicesPastTheMatrixReadAsNoModifier) {
  VNWRITE_WEAPONMODS m = Distinct();
  m.rowOfType[VN_UNIT_TYPE_WEAPON_LIGHTRIFLE_0] = VNWRITE_WEAPONMOD_ROWS;
  m.colOfType[VN_UNIT_TYPE_BUG_WARRIOR] = VNWRITE_WEAPONMOD_COLS;
  m.colOfType[VN_UNIT_TYPE_BUG_RHINO] = -7;
  WriteMods(vnWRITE_WeaponModsText(m));
  vntest::TraceCapture trace;
  ASSERT_EQ(vnUNITMAN_LoadWeaponMods(), 1);
  EXPECT_TRUE(trace.contains("row index 48 of unit type 167"));
  EXPECT_TRUE(trace.contains("column index 51 of unit type 26"));
  EXPECT_EQ(vnUNITMAN_GetWeaponMod(VN_UNIT_TYPE_WEAPON_LIGHTRIFLE_0, VN_UNIT_TYPE_BUG_HOPPER), 1.0f);
  EXPECT_EQ(vnUNITMAN_GetWeaponMod(VN_UNIT_TYPE_WEAPON_MISSILE_0, VN_UNIT_TYPE_BUG_WARRIOR), 1.0f);
  EXPECT_EQ(vnUNITMAN_GetWeaponMod(VN_UNIT_TYPE_WEAPON_MISSILE_0, VN_UNIT_TYPE_BUG_RHINO), 1.0f);
  EXPECT_NE(vnUNITMAN_GetWeaponMod(VN_UNIT_TYPE_WEAPON_MISSILE_0, VN_UNIT_TYPE_BUG_HOPPER), 1.0f);
  EXPECT_EQ(vnUNITMAN_GetWeaponMod(VN_UNIT_TYPE_FREE, VN_UNIT_TYPE_BUG_HOPPER), 1.0f);
  EXPECT_EQ(vnUNITMAN_GetWeaponMod(VN_UNIT_TYPE_WEAPON_MISSILE_0, -1), 1.0f);
}

TEST_F(WeaponModsTest, AShortOrBrokenFileFailsKeepingWhatWasRead) {
  const VNWRITE_WEAPONMODS m = Distinct();
  const std::string full = vnWRITE_WeaponModsText(m);
  // The first row of the matrix and a little more.
  const std::string head = full.substr(0, full.find('\n') + 20);
  struct Case {
    const char* name;
    std::string text;
  } cases[] = {
      {"cut short", head.substr(0, head.rfind(' '))},
      {"a word among the numbers", head.substr(0, head.rfind(' ')) + " ten 1 2 3\n"},
      {"a float index", full.substr(0, full.rfind(' ')) + " 1.5\n"},
      {"an endless token", head.substr(0, head.rfind(' ')) + " " + std::string(5000, '1')},
      {"an index past 32 bits", full.substr(0, full.rfind(' ')) + " 99999999999\n"},
      {"an infinite value", "inf" + full.substr(full.find(' ', 1))},
      {"empty", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteMods(full);
    ASSERT_EQ(vnUNITMAN_LoadWeaponMods(), 1);
    WriteMods(c.text);
    vntest::TraceCapture trace;
    EXPECT_EQ(vnUNITMAN_LoadWeaponMods(), 0);
    EXPECT_TRUE(trace.contains("ends early or holds a value"));
  }
  // Values read before the failure stay.
  WriteMods(full);
  ASSERT_EQ(vnUNITMAN_LoadWeaponMods(), 1);
  WriteMods("7.5" + full.substr(full.find(' ', 1), 30) + " x");
  EXPECT_EQ(vnUNITMAN_LoadWeaponMods(), 0);
  EXPECT_EQ(vnUNITMAN_GetWeaponMod(0, 0), 7.5f);
}

TEST_F(WeaponModsTest, AMissingFileFailsAndEveryModifierThenReadsOne) {
  // An earlier mission's table, none of whose values is 1.0.
  WriteMods(vnWRITE_WeaponModsText(Distinct()));
  ASSERT_EQ(vnUNITMAN_LoadWeaponMods(), 1);
  ASSERT_NE(vnUNITMAN_GetWeaponMod(VN_UNIT_TYPE_WEAPON_MISSILE_0, VN_UNIT_TYPE_BUG_HOPPER), 1.0f);
  std::remove(dir_.file("units/VN_WeaponMods.txt").c_str());
  vntest::TraceCapture trace;
  EXPECT_EQ(vnUNITMAN_LoadWeaponMods(), 0);
  EXPECT_TRUE(trace.contains("cannot be opened"));
  for (int32_t s = 0; s < VN_UNIT_TYPE_COUNT; ++s)
    for (int32_t t = 0; t < VN_UNIT_TYPE_COUNT; ++t)
      ASSERT_EQ(vnUNITMAN_GetWeaponMod(s, t), 1.0f) << s << " hits " << t;
}

TEST(SkipWhitespace, StopsAtTheFirstOtherCharacterOrTheEnd) {
  FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  std::fputs(" \t\r\n x \n", f);
  std::rewind(f);
  vnFILE_SkipWhitespace(f);
  EXPECT_EQ(std::fgetc(f), 'x');
  vnFILE_SkipWhitespace(f);
  EXPECT_EQ(std::fgetc(f), EOF);
  vnFILE_SkipWhitespace(f);
  std::fclose(f);
}

}  // namespace
