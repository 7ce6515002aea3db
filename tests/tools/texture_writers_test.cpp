// Round trips of the texture writers through the driver's own readers.
#include <gtest/gtest.h>

#include <cstdio>

#include "driver/texture/ppm.h"
#include "driver/texture/txf.h"
#include "tests/support/support.h"
#include "tools/writers/ppm_writer.h"
#include "tools/writers/txf_writer.h"

namespace {

std::vector<uint8_t> Ramp(size_t n) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i * 7 + 3);
  return v;
}

TEST(PPMWriter, P6AndP7RoundTripThroughTheReader) {
  vntest::TempDir dir;
  for (int kind : {6, 7}) {
    vnPPM_IMAGE image;
    image.kind = kind;
    image.width = 5;
    image.height = 3;
    image.comment = "made by the test";
    image.pixels = Ramp(5 * 3 * (kind == 7 ? 4 : 3));
    const std::string path = dir.file("img" + std::to_string(kind) + ".ppm");
    ASSERT_TRUE(vnWRITE_PPMFile(path, image));
    SPPD_PPMIMAGE back;
    ASSERT_EQ(SPPD_ReadPPMFile(path.c_str(), &back), kind);
    EXPECT_EQ(back.width, 5u);
    EXPECT_EQ(back.height, 3u);
    EXPECT_EQ(back.pixels, image.pixels);
    EXPECT_EQ(SPPD_PPMFileIsP7(path.c_str()), kind == 7);
  }
}

TEST(PPMWriter, RefusesPixelsThatDoNotFit) {
  vnPPM_IMAGE image;
  image.width = 2;
  image.height = 2;
  image.pixels.resize(11);
  EXPECT_TRUE(vnWRITE_PPM(image).empty());
  image.kind = 5;
  image.pixels.resize(12);
  EXPECT_TRUE(vnWRITE_PPM(image).empty());
}

vnTXF_FILE SampleTxf(bool palettised) {
  vnTXF_FILE f;
  f.width = 4;
  f.height = 2;
  f.driverGuid = {0x11223344, 0x5566, 0x7788, {1, 2, 3, 4, 5, 6, 7, 8}};
  f.deviceGuid = {0xA1B2C3D4, 0xE5F6, 0x0718, {9, 8, 7, 6, 5, 4, 3, 2}};
  if (palettised) {
    f.flags = 1;
    f.bytesPerPixel = 1;
    f.pfFlags = 0x60;
    f.pfBitCount = 8;
    f.palette = Ramp(1024);
  } else {
    f.flags = 2;
    f.bytesPerPixel = 2;
    f.alphaBits = 4;
    f.redBits = f.greenBits = f.blueBits = 4;
    f.pfFlags = 0x41;
    f.pfBitCount = 16;
    f.pfRMask = 0x0F00;
    f.pfGMask = 0x00F0;
    f.pfBMask = 0x000F;
    f.pfAMask = 0xF000;
  }
  f.pixels = Ramp(static_cast<size_t>(f.width) * f.height * f.bytesPerPixel);
  return f;
}

TEST(TXFWriter, RoundTripsThroughTheReader) {
  vntest::TempDir dir;
  for (bool palettised : {false, true}) {
    const vnTXF_FILE f = SampleTxf(palettised);
    const std::string path = dir.file(palettised ? "p.txf" : "t.txf");
    ASSERT_TRUE(vnWRITE_TXFFile(path, f));
    FILE* in = std::fopen(path.c_str(), "rb");
    ASSERT_NE(in, nullptr);
    SPPD_TXFHEADER h;
    ASSERT_TRUE(SPPD_TxfReadHeader(in, path.c_str(), &h));
    std::vector<uint8_t> palette, pixels;
    ASSERT_TRUE(SPPD_TxfReadBody(in, path.c_str(), h, &palette, &pixels));
    std::fclose(in);
    EXPECT_EQ(h.totalSize, 92u + (palettised ? 1024u : 0u) + f.pixels.size());
    EXPECT_EQ(h.headerSize, 92u);
    EXPECT_EQ(h.width, f.width);
    EXPECT_EQ(h.height, f.height);
    EXPECT_EQ(h.bytesPerPixel, f.bytesPerPixel);
    EXPECT_EQ(h.alphaBits, f.alphaBits);
    EXPECT_EQ(h.redBits, f.redBits);
    EXPECT_EQ(h.flags, f.flags);
    EXPECT_TRUE(PLAT_GuidEqual(h.driverGuid, f.driverGuid));
    EXPECT_TRUE(PLAT_GuidEqual(h.deviceGuid, f.deviceGuid));
    const PLAT_GfxPixelFormat pf = SPPD_PixelFormatFromBytes(h.pixelFormat);
    EXPECT_EQ(pf.flags, f.pfFlags);
    EXPECT_EQ(pf.bitCount, f.pfBitCount);
    EXPECT_EQ(pf.rMask, f.pfRMask);
    EXPECT_EQ(pf.aMask, f.pfAMask);
    EXPECT_EQ(palette, f.palette);
    EXPECT_EQ(pixels, f.pixels);
  }
}

TEST(TXFWriter, HeaderBytesAreTheStoredLayout) {
  const std::vector<uint8_t> bytes = vnWRITE_TXF(SampleTxf(false));
  ASSERT_EQ(bytes.size(), 92u + 16u);
  SPPD_TXFHEADER h = SPPD_TxfDecodeHeader(bytes.data());
  uint8_t again[SPPD_TXF_HEADER_SIZE];
  SPPD_TxfEncodeHeader(h, again);
  EXPECT_TRUE(std::equal(again, again + 92, bytes.begin()));
  EXPECT_EQ(bytes[0], 108);  // total size, little-endian
  EXPECT_EQ(bytes[4], 92);
  EXPECT_EQ(bytes[28], 0x44);  // driver GUID's Data1, low byte first
  EXPECT_EQ(bytes[44], 32);    // pixel format record size
  EXPECT_EQ(bytes[76], 0xD4);  // device GUID
}

TEST(TXFWriter, RefusesPixelsOrPaletteThatDoNotFit) {
  vnTXF_FILE f = SampleTxf(false);
  f.pixels.pop_back();
  EXPECT_TRUE(vnWRITE_TXF(f).empty());
  f = SampleTxf(true);
  f.palette.resize(768);
  EXPECT_TRUE(vnWRITE_TXF(f).empty());
}

}  // namespace
