// The demo tree's unit files as mkcontent writes them: every type has a clean row and the
// modifiers load whole.
#include <cstdlib>
#include <string>

#include "unittype_fixture.h"

namespace {

using DemoUnitsTest = UnitFilesFixture;

constexpr uint32_t kWeapon = 0x8;
constexpr uint32_t kItem = 0x40;
constexpr uint32_t kSoldier = 0x10000;

TEST_F(DemoUnitsTest, TheDemoUnitFilesLoadCompleteAndClean) {
  const std::string command = std::string(VN_MKCONTENT_PATH) + " '" + dir_.path() + "' >/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  vntest::TraceCapture trace;
  ASSERT_EQ(Load(), 1);
  ASSERT_EQ(vnUNITMAN_LoadWeaponMods(), 1);
  EXPECT_TRUE(trace.lines().empty()) << trace.lines().front();

  for (int32_t t = 0; t < VN_UNIT_TYPE_COUNT; ++t) {
    const VNUNIT_ATTR& row = Row(t);
    EXPECT_EQ(row.nType, t);
    EXPECT_NE(row.dwFlags, 0u) << t;
    EXPECT_EQ(vnUNITATTR_Int(row, VN_ATTR_ICON), -1) << t;
    // A soldier holds the default weapon of its type table entry.
    const int32_t weapon = vnUNITMAN_GetTypeInfo(t)->anLinked[0];
    if ((row.dwFlags & kSoldier) && weapon >= 0) {
      ASSERT_FALSE(Linked(t).empty()) << t;
      EXPECT_EQ(Linked(t).front(), weapon) << t;
      EXPECT_TRUE(Row(weapon).dwFlags & kWeapon) << weapon;
    }
    // Weapons are supplied with an item.
    if (row.dwFlags & kWeapon) {
      for (int32_t linked : Linked(t)) EXPECT_TRUE(Row(linked).dwFlags & kItem) << t;
    }
  }
  EXPECT_STREQ(vnUNITMAN_BuildPowName(VN_UNIT_TYPE_SUIT_COMMAND_2, 0x4, "m", ""),
               "Export/POWs/h3_tcom33m.pow");
  EXPECT_LT(vnUNITMAN_GetWeaponMod(VN_UNIT_TYPE_WEAPON_LIGHTRIFLE_0, VN_UNIT_TYPE_SUIT_BRAKKAR_0),
            1.0f);
  EXPECT_EQ(vnUNITMAN_GetWeaponMod(VN_UNIT_TYPE_AMMO_FUEL, VN_UNIT_TYPE_SUIT_BRAKKAR_0), 1.0f);
  vnUNITMAN_FreeAttributes(rows_.data(), &freeNodes_);
  EXPECT_EQ(FreeCount(), kPoolSize);
}

}  // namespace
