// The palette quantiser.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "driver/texture/quantise.h"

namespace {

TEST(Quantiser, SampleStepIsTheFirstPrimeThatDoesNotDivide) {
  EXPECT_EQ(SPPD_QuantSampleStep(3 * 1000), 3u * 499u);
  EXPECT_EQ(SPPD_QuantSampleStep(499u * 6), 3u * 491u);
  EXPECT_EQ(SPPD_QuantSampleStep(499u * 491u * 3), 3u * 487u);
  EXPECT_EQ(SPPD_QuantSampleStep(499u * 491u * 487u * 3), 3u * 503u);
}

TEST(Quantiser, ShrinksAfterEveryHundredthOfTheSamplesAndAtLeastEverySample) {
  EXPECT_EQ(SPPD_QuantDelta(3 * 256 * 256, 10), 65u);  // 6553 samples
  EXPECT_EQ(SPPD_QuantDelta(3 * 999, 10), 1u);         // under 1,000 pixels
  EXPECT_EQ(SPPD_QuantDelta(3 * 4, 10), 1u);
}

struct Colour {
  uint8_t c[3];
};

// Nearest palette entry of each colour of an image made of those colours.
void ExpectFound(const std::vector<Colour>& colours, size_t pixels, int tolerance) {
  std::vector<uint8_t> image;
  for (size_t i = 0; i < pixels; ++i) {
    const Colour& c = colours[(i * 7) % colours.size()];
    image.insert(image.end(), c.c, c.c + 3);
  }
  auto q = std::make_unique<SPPD_QUANTISER>();
  uint8_t map[SPPD_QUANT_NETSIZE * 3];
  SPPD_Quantise(q.get(), image, SPPD_QUANT_SAMPLEFAC, map);
  for (const Colour& c : colours) {
    const int i = SPPD_QuantSearch(q.get(), c.c[0], c.c[1], c.c[2]);
    ASSERT_GE(i, 0);
    ASSERT_LT(i, 256);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(map[3 * i + k], c.c[k], tolerance) << "component " << k;
  }
}

TEST(Quantiser, FindsTheColoursOfALargeImage) {
  ExpectFound({{{255, 0, 0}}, {{0, 255, 0}}, {{0, 0, 255}}, {{255, 255, 255}}, {{20, 20, 20}}},
              128 * 128, 8);
}

TEST(Quantiser, SmallImagesQuantiseWithoutFaults) {
  // Under 1,000 pixels the shrink interval would be 0; under 1,473 bytes the step is longer
  // than the image.
  ExpectFound({{{200, 40, 40}}, {{40, 200, 40}}}, 300, 40);
  ExpectFound({{{10, 20, 30}}}, 4, 255);
  ExpectFound({{{10, 20, 30}}}, 0, 255);
}

TEST(Quantiser, SearchFindsTheNearestEntryOfTheMap) {
  std::vector<uint8_t> image;
  for (int i = 0; i < 64 * 64; ++i)
    image.insert(image.end(), {uint8_t(i * 13), uint8_t(i * 7), uint8_t(i * 3)});
  auto q = std::make_unique<SPPD_QUANTISER>();
  uint8_t map[SPPD_QUANT_NETSIZE * 3];
  SPPD_Quantise(q.get(), image, SPPD_QUANT_SAMPLEFAC, map);
  for (int probe = 0; probe < 200; ++probe) {
    const int c0 = (probe * 53) & 255, c1 = (probe * 29) & 255, c2 = (probe * 91) & 255;
    const int found = SPPD_QuantSearch(q.get(), c0, c1, c2);
    int best = 1 << 30;
    for (int i = 0; i < 256; ++i) {
      int d = std::abs(map[3 * i] - c0) + std::abs(map[3 * i + 1] - c1) +
              std::abs(map[3 * i + 2] - c2);
      if (d < best) best = d;
    }
    const int d = std::abs(map[3 * found] - c0) + std::abs(map[3 * found + 1] - c1) +
                  std::abs(map[3 * found + 2] - c2);
    EXPECT_EQ(d, best) << "probe " << probe;
  }
}

}  // namespace
