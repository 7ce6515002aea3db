#include "tools/writers/registry_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/registry.h"
#include "tests/support/support.h"

namespace {

TEST(RegistryWriter, OptionsBytesFollowTheStoredLayout) {
  const std::vector<uint8_t> expected = {
      0x58, 0x4F, 0xA6, 0xEA, 0x5E, 0x03, 0xFA, 0x4E, 0x82, 0x4B, 0x90, 0x8D, 0xA8, 0xB8, 0xD9, 0x11,
      2, 0, 0, 0,  1, 0, 0, 0,  2, 0, 0, 0,  2, 0, 0, 0,  1, 0, 0, 0,  1, 0, 0, 0,
      0x00, 0x00, 0x80, 0x3F,   // 1.0
      0x00, 0x00, 0x80, 0x3F,   // 1.0
      0x9A, 0x99, 0x99, 0x3E,   // 0.3
      0xCD, 0xCC, 0x4C, 0x3F,   // 0.8
      0, 0, 0, 0};
  EXPECT_EQ(vnWRITE_OptionsBytes(vnWRITE_DefaultOptions()), expected);
  VNWRITE_OPTIONS o = vnWRITE_DefaultOptions();
  o.dwTerrainNoise = -2;
  o.dwReserved = 0x01020304;
  const std::vector<uint8_t> bytes = vnWRITE_OptionsBytes(o);
  EXPECT_EQ(bytes[28], 0xFE);
  EXPECT_EQ(bytes[31], 0xFF);
  EXPECT_EQ(bytes[56], 0x04);
  EXPECT_EQ(bytes[59], 0x01);
}

TEST(RegistryWriter, ValuesReadBackThroughTheStore) {
  vntest::ScopedRegistry registry;
  ASSERT_TRUE(vnWRITE_RegistryOptions(vnWRITE_DefaultOptions()));
  ASSERT_TRUE(vnWRITE_RegistryDword("software\\KOR\\SPPD\\v1.00.000\\Display\\General", "Width", 640));
  ASSERT_TRUE(vnWRITE_RegistryString("software\\KOR\\SPPD\\v1.00.000\\Display\\General", "Driver",
                                     "{5D81DC88-A7D2-4BFE-AF63-9CA4C08B4BEE}"));
  PLAT_RegReload();  // read from the file, not from what was just set

  PLAT_RegKeyHandle key;
  ASSERT_EQ(PLAT_RegOpenKey("SOFTWARE\\kor\\stuff", &key), PLAT_RegResult::Ok);
  std::vector<uint8_t> options;
  EXPECT_EQ(PLAT_RegGetBinary(key.get(), "Options", &options), PLAT_RegResult::Ok);
  EXPECT_EQ(options, vnWRITE_OptionsBytes(vnWRITE_DefaultOptions()));

  ASSERT_EQ(PLAT_RegOpenKey("software\\KOR\\SPPD\\v1.00.000\\Display\\General", &key),
            PLAT_RegResult::Ok);
  uint32_t width = 0;
  std::string driver;
  EXPECT_EQ(PLAT_RegGetDword(key.get(), "Width", &width), PLAT_RegResult::Ok);
  EXPECT_EQ(PLAT_RegGetString(key.get(), "Driver", &driver), PLAT_RegResult::Ok);
  EXPECT_EQ(width, 640u);
  EXPECT_EQ(driver, "{5D81DC88-A7D2-4BFE-AF63-9CA4C08B4BEE}");
}

TEST(RegistryWriter, BadKeyIsReported) {
  vntest::ScopedRegistry registry;
  vntest::TraceCapture trace;
  EXPECT_FALSE(vnWRITE_RegistryBinary(nullptr, "x", "", 0));
  EXPECT_FALSE(trace.lines().empty());
}

}  // namespace
