#include "engine/driver/choice.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/registry.h"
#include "tests/support/support.h"

namespace {

constexpr char kGuidText[] = "{5D81DC88-A7D2-4BFE-AF63-9CA4C08B4BEE}";

std::string GeneralKey() { return std::string(SPPD_DISPLAY_KEY) + "\\" + VN_DRIVER_GENERAL_KEY; }

// What the settings store holds under "General" before the read.
enum class Stored { NothingYet, KeyOnly, Text, Dword };

struct ReadCase {
  const char* name;
  Stored stored;
  std::string text;
  SPW_DriverChoice want;
};

TEST(DriverChoice, EachRecordedStateReadsAsItsOwnOutcome) {
  const ReadCase cases[] = {
      {"never chosen", Stored::NothingYet, "", SPW_DriverChoice::NotChosen},
      {"key without value", Stored::KeyOnly, "", SPW_DriverChoice::NoValue},
      {"a number", Stored::Dword, "", SPW_DriverChoice::NotText},
      {"not a GUID", Stored::Text, "not a guid", SPW_DriverChoice::NotAGuid},
      {"too long", Stored::Text, std::string(VN_DRIVER_VALUE_MAX, 'x'), SPW_DriverChoice::TooLong},
      {"a GUID", Stored::Text, kGuidText, SPW_DriverChoice::Ok},
  };
  for (const ReadCase& c : cases) {
    vntest::ScopedRegistry registry;
    PLAT_RegReload();
    if (c.stored != Stored::NothingYet) {
      PLAT_RegKeyHandle key;
      ASSERT_EQ(PLAT_RegCreateKey(GeneralKey().c_str(), &key), PLAT_RegResult::Ok) << c.name;
      if (c.stored == Stored::Text) {
        ASSERT_EQ(PLAT_RegSetString(key.get(), VN_DRIVER_VALUE, c.text), PLAT_RegResult::Ok);
      }
      if (c.stored == Stored::Dword) {
        ASSERT_EQ(PLAT_RegSetDword(key.get(), VN_DRIVER_VALUE, 7), PLAT_RegResult::Ok);
      }
    }
    PLAT_GUID guid{};
    guid.Data1 = 1;  // must come back zeroed unless a GUID was read
    EXPECT_EQ(SPW_ReadDriverChoice(&guid), c.want) << c.name;
    if (c.want != SPW_DriverChoice::Ok) {
      EXPECT_TRUE(PLAT_GuidEqual(guid, PLAT_GUID{})) << c.name;
    }
  }
}

TEST(DriverChoice, AWrittenChoiceReadsBackAndTheSecondWriteFindsTheKey) {
  vntest::ScopedRegistry registry;
  PLAT_RegReload();
  PLAT_GUID written{};
  ASSERT_TRUE(PLAT_GuidFromText(kGuidText, &written));
  int32_t created = 0;
  EXPECT_EQ(SPW_WriteDriverChoice(written, &created), 1);
  EXPECT_EQ(created, 1);
  EXPECT_EQ(SPW_WriteDriverChoice(written, &created), 1);
  EXPECT_EQ(created, 0);
  PLAT_GUID read{};
  EXPECT_EQ(SPW_ReadDriverChoice(&read), SPW_DriverChoice::Ok);
  EXPECT_TRUE(PLAT_GuidEqual(read, written));
}

}  // namespace
