#include "engine/math/argb.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(Argb, PackingAndTheChannelsRoundTrip) {
  struct Case {
    uint32_t a, r, g, b;
  } const cases[] = {{0, 0, 0, 0}, {255, 255, 255, 255}, {0x12, 0x34, 0x56, 0x78}, {255, 0, 128, 1}};
  for (const Case& c : cases) {
    const uint32_t argb = SPW_Argb(c.a, c.r, c.g, c.b);
    EXPECT_EQ(SPW_ArgbA(argb), c.a) << std::hex << argb;
    EXPECT_EQ(SPW_ArgbR(argb), c.r) << std::hex << argb;
    EXPECT_EQ(SPW_ArgbG(argb), c.g) << std::hex << argb;
    EXPECT_EQ(SPW_ArgbB(argb), c.b) << std::hex << argb;
    EXPECT_EQ(SPW_Argb(SPW_ArgbA(argb), SPW_ArgbR(argb), SPW_ArgbG(argb), SPW_ArgbB(argb)), argb);
  }
  static_assert(SPW_Argb(0x12, 0x34, 0x56, 0x78) == 0x12345678u);
}

TEST(Argb, AChannelPastAByteDoesNotSpillIntoItsNeighbour) {
  EXPECT_EQ(SPW_Argb(0x1FF, 0x100, 0x2AB, 0xFFFFFF01u), 0xFF00AB01u);
  EXPECT_EQ(SPW_ArgbWithAlpha(0x11223344u, 0x180), 0x80223344u);
}

TEST(Argb, IntegerChannelsAreHeldInAByte) {
  struct Case {
    int32_t in;
    uint32_t out;
  } const cases[] = {{-1, 0}, {INT32_MIN, 0}, {0, 0}, {200, 200}, {255, 255}, {256, 255},
                     {INT32_MAX, 255}};
  for (const Case& c : cases) EXPECT_EQ(SPW_ArgbClampByte(c.in), c.out) << c.in;
}

TEST(Argb, MapKeepsAlphaUnlessAskedToMapItToo) {
  const auto halve = [](uint32_t c) { return c / 2; };
  EXPECT_EQ(SPW_ArgbMap(0x80FF4002u, halve), 0x807F2001u);
  EXPECT_EQ(SPW_ArgbMap(0x80FF4002u, halve, true), 0x407F2001u);
  // A function that answers past a byte is cut to the byte, never carried into the next one.
  EXPECT_EQ(SPW_ArgbMap(0xFF010203u, [](uint32_t c) { return c + 0x100; }), 0xFF010203u);
}

}  // namespace
