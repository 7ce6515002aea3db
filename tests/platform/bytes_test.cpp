#include "platform/bytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

TEST(Bytes, Words32AreStoredLowByteFirstAndReadBack) {
  struct Case {
    uint32_t value;
    uint8_t bytes[4];
  };
  const Case cases[] = {
      {0x00000000u, {0x00, 0x00, 0x00, 0x00}}, {0x12345678u, {0x78, 0x56, 0x34, 0x12}},
      {0x80000000u, {0x00, 0x00, 0x00, 0x80}}, {0x000000FFu, {0xFF, 0x00, 0x00, 0x00}},
      {0xFFFFFFFFu, {0xFF, 0xFF, 0xFF, 0xFF}}, {0xFEDCBA98u, {0x98, 0xBA, 0xDC, 0xFE}},
  };
  for (const Case& c : cases) {
    // An odd offset: records pack fields without alignment.
    uint8_t buf[7] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
    PLAT_StoreLE32(buf + 1, c.value);
    EXPECT_EQ(0, std::memcmp(buf + 1, c.bytes, 4)) << std::hex << c.value;
    EXPECT_EQ(buf[0], 0xAA) << std::hex << c.value;
    EXPECT_EQ(buf[5], 0xAA) << std::hex << c.value;
    EXPECT_EQ(PLAT_LoadLE32(c.bytes), c.value) << std::hex << c.value;
  }
}

TEST(Bytes, Words16AreStoredLowByteFirstAndReadBack) {
  struct Case {
    uint16_t value;
    uint8_t bytes[2];
  };
  const Case cases[] = {{0x0000, {0x00, 0x00}}, {0x1234, {0x34, 0x12}}, {0x8001, {0x01, 0x80}},
                        {0x00FF, {0xFF, 0x00}}, {0xFFFF, {0xFF, 0xFF}}};
  for (const Case& c : cases) {
    uint8_t buf[3] = {0xAA, 0xAA, 0xAA};
    PLAT_StoreLE16(buf, c.value);
    EXPECT_EQ(0, std::memcmp(buf, c.bytes, 2)) << std::hex << c.value;
    EXPECT_EQ(buf[2], 0xAA) << std::hex << c.value;
    EXPECT_EQ(PLAT_LoadLE16(c.bytes), c.value) << std::hex << c.value;
  }
}

TEST(Bytes, StoreBytesWritesOnlyTheLowBytesAskedFor) {
  for (uint32_t count = 0; count <= 5; ++count) {
    uint8_t buf[6] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
    PLAT_StoreLEBytes(buf, 0x44332211u, count);
    const uint8_t want[6] = {0x11, 0x22, 0x33, 0x44, 0xAA, 0xAA};
    for (uint32_t k = 0; k < 6; ++k)
      EXPECT_EQ(buf[k], k < count && k < 4 ? want[k] : 0xAA) << count << " bytes, byte " << k;
  }
}

TEST(Bytes, AppendAddsTheBytesAfterWhatIsThere) {
  std::vector<uint8_t> out = {0x01};
  PLAT_AppendLE32(out, 0xA1B2C3D4u);
  PLAT_AppendLE16(out, 0x8001);
  PLAT_AppendLE32(out, 92);
  EXPECT_EQ(out, (std::vector<uint8_t>{0x01, 0xD4, 0xC3, 0xB2, 0xA1, 0x01, 0x80, 92, 0, 0, 0}));
}

TEST(Bytes, FloatBitsAreTheIeeeBitsBothWays) {
  struct Case {
    float value;
    uint32_t bits;
  };
  const Case cases[] = {{0.0f, 0x00000000u},  {-0.0f, 0x80000000u}, {1.0f, 0x3F800000u},
                        {-2.5f, 0xC0200000u}, {0.3f, 0x3E99999Au},
                        {std::numeric_limits<float>::infinity(), 0x7F800000u},
                        {std::numeric_limits<float>::denorm_min(), 0x00000001u}};
  for (const Case& c : cases) {
    EXPECT_EQ(PLAT_FloatBits(c.value), c.bits) << c.value;
    const float back = PLAT_FloatFromBits(c.bits);
    EXPECT_EQ(PLAT_FloatBits(back), c.bits) << c.value;  // keeps the sign of zero
  }
  // A NaN's payload survives the trip, as a stored state value must.
  const float nan = PLAT_FloatFromBits(0x7FC01234u);
  EXPECT_TRUE(std::isnan(nan));
  EXPECT_EQ(PLAT_FloatBits(nan), 0x7FC01234u);
}

TEST(Bytes, StoredFloatReadsBackThroughTheWordHelpers) {
  uint8_t buf[4];
  PLAT_StoreLE32(buf, PLAT_FloatBits(0.8f));
  EXPECT_EQ(buf[3], 0x3F);  // sign and high exponent bits last
  EXPECT_EQ(PLAT_FloatFromBits(PLAT_LoadLE32(buf)), 0.8f);
}
