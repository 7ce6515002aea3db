#include "platform/guid.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/support.h"

namespace {
const uint8_t kStampBytes[16] = {0x58, 0x4F, 0xA6, 0xEA, 0x5E, 0x03, 0xFA, 0x4E,
                                 0x82, 0x4B, 0x90, 0x8D, 0xA8, 0xB8, 0xD9, 0x11};
}  // namespace

TEST(Guid, RegistryTextToStoredBytes) {
  PLAT_GUID g{};
  ASSERT_TRUE(PLAT_GuidFromText("{EAA64F58-035E-4EFA-824B-908DA8B8D911}", &g));
  uint8_t bytes[16];
  PLAT_GuidToBytes(g, bytes);
  EXPECT_EQ(0, std::memcmp(bytes, kStampBytes, 16));
  EXPECT_TRUE(PLAT_GuidEqual(PLAT_GuidFromBytes(kStampBytes), g));
}

TEST(Guid, BothTextFormsRoundTrip) {
  PLAT_GUID g = PLAT_GuidFromBytes(kStampBytes);
  char text[PLAT_GUID_TEXT_SIZE];
  char reg[PLAT_GUID_REGISTRY_TEXT_SIZE];
  PLAT_GuidToText(g, text);
  PLAT_GuidToRegistryText(g, reg);
  EXPECT_STREQ(text, "eaa64f58-035e-4efa-824b-908da8b8d911");
  EXPECT_STREQ(reg, "{EAA64F58-035E-4EFA-824B-908DA8B8D911}");
  PLAT_GUID a{}, b{};
  ASSERT_TRUE(PLAT_GuidFromText(text, &a));
  ASSERT_TRUE(PLAT_GuidFromText("{eaa64f58-035E-4efa-824B-908da8b8D911}", &b));
  EXPECT_TRUE(PLAT_GuidEqual(a, g));
  EXPECT_TRUE(PLAT_GuidEqual(b, g));
  b.Data4[7] ^= 1;
  EXPECT_FALSE(PLAT_GuidEqual(b, g));
}

TEST(Guid, MalformedTextIsRejectedAndLeavesTheOutputAlone) {
  const char* bad[] = {
      "",
      "EAA64F58-035E-4EFA-824B-908DA8B8D91",     // one digit short
      "EAA64F58-035E-4EFA-824B-908DA8B8D9111",   // one digit long
      "EAA64F58035E-4EFA-824B-908DA8B8D9111",    // dash missing
      "EAA64F58-035E-4EFA-824B+908DA8B8D911",    // wrong separator
      "EAA64F5G-035E-4EFA-824B-908DA8B8D911",    // not hex
      "{EAA64F58-035E-4EFA-824B-908DA8B8D911",   // brace not closed
      "(EAA64F58-035E-4EFA-824B-908DA8B8D911)",  // wrong braces
      "{EAA64F58-035E-4EFA-824B-908DA8B8D911}x",
      " EAA64F58-035E-4EFA-824B-908DA8B8D911",
  };
  vntest::TraceCapture trace;
  for (const char* text : bad) {
    PLAT_GUID g = PLAT_GuidFromBytes(kStampBytes);
    EXPECT_FALSE(PLAT_GuidFromText(text, &g)) << text;
    EXPECT_TRUE(PLAT_GuidEqual(g, PLAT_GuidFromBytes(kStampBytes))) << text;
  }
  EXPECT_FALSE(PLAT_GuidFromText(nullptr, nullptr));
  EXPECT_TRUE(trace.contains("not a GUID"));
}
