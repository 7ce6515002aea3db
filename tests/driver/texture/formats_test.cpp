// Format choice and pixel packing.
#include <gtest/gtest.h>

#include <cstdio>

#include "driver/texture/ppm.h"
#include "driver/texture/convert.h"
#include "engine/driver/sppd.h"
#include "tests/driver/texture/convert_fixture.h"

namespace {

using texconvtest::Format;

struct ChoiceCase {
  const char* name;
  std::vector<SPPD_TEXFORMATENTRY> formats;
  int32_t palette;
  int opaque, alpha;  // indices into formats, -1 none
};

TEST(TextureChooseFormats, PicksByScoreThenByBits) {
  const std::vector<ChoiceCase> cases = {
      {"565 beats 4444 for opaque", {Format(4, 4, 4, 4), Format(5, 6, 5, 0)}, 0, 1, 0},
      {"1555 alpha when no 4444", {Format(5, 6, 5, 0), Format(5, 5, 5, 1)}, 0, 0, 1},
      {"8888 serves both", {Format(8, 8, 8, 8)}, 0, 0, 0},
      {"first of equal scores", {Format(5, 6, 5, 0), Format(5, 6, 5, 0), Format(4, 4, 4, 4)},
       0, 0, 2},
      {"no alpha format fails", {Format(5, 6, 5, 0), Format(5, 5, 5, 0)}, 0, 0, -1},
      {"unscored layouts by comparison", {Format(6, 5, 5, 0), Format(5, 5, 4, 2)}, 0, 0, 1},
      {"alpha above a colour is unusable", {Format(6, 5, 5, 0), Format(2, 5, 5, 4)}, 0, 0, 0},
      {"palettised list with Palette 1", {Format(0, 0, 0, 0, true)}, 1, -1, -1},
      {"empty list", {}, 0, -1, -1},
  };
  for (const ChoiceCase& c : cases) {
    SCOPED_TRACE(c.name);
    const SPPD_TEXFORMATENTRY *opaque = nullptr, *alpha = nullptr;
    const int32_t r = SPPD_TextureChooseFormats(c.formats, c.palette, &opaque, &alpha);
    EXPECT_EQ(r, c.opaque >= 0 && c.alpha >= 0 ? 1 : -1);
    EXPECT_EQ(opaque, c.opaque >= 0 ? &c.formats[c.opaque] : nullptr);
    EXPECT_EQ(alpha, c.alpha >= 0 ? &c.formats[c.alpha] : nullptr);
  }
}

SPPD_PPMIMAGE OnePixel(int kind, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
  SPPD_PPMIMAGE img;
  img.kind = kind;
  img.width = img.height = 1;
  img.channels = kind == 7 ? 4 : 3;
  img.pixels = {r, g, b};
  if (kind == 7) img.pixels.push_back(a);
  return img;
}

TEST(TexturePack, PacksEachLayoutLittleEndian) {
  struct Case {
    SPPD_TEXFORMATENTRY format;
    int kind;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      // red 0xF8 -> 31, green 0x84 -> 33, blue 0x18 -> 3: 0xFC23
      {Format(5, 6, 5, 0), 6, {0x23, 0xFC}},
      // opaque sources get every alpha bit: 0x8000 | 31 << 10 | 16 << 5 | 3
      {Format(5, 5, 5, 1), 6, {0x03, 0xFE}},
      // alpha 0x90 -> 9 in the top nibble: 0x9F81
      {Format(4, 4, 4, 4), 7, {0x81, 0x9F}},
      {Format(8, 8, 8, 8), 7, {0x18, 0x84, 0xF8, 0x90}},
      {Format(8, 8, 8, 8), 6, {0x18, 0x84, 0xF8, 0xFF}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format.format.bitCount);
    SPPD_TEXIMAGE out;
    ASSERT_EQ(SPPD_TexturePack(OnePixel(c.kind, 0xF8, 0x84, 0x18, 0x90), c.format, &out), 1);
    EXPECT_EQ(out.pixels, c.bytes);
    EXPECT_EQ(out.header.bytesPerPixel, c.bytes.size());
    EXPECT_EQ(out.header.totalSize, 92u + c.bytes.size());
    EXPECT_EQ(out.header.alphaBits, c.format.aBits);
  }
}

// An image whose samples all differ from their neighbours.
SPPD_PPMIMAGE Varied(int kind, uint32_t width, uint32_t height) {
  SPPD_PPMIMAGE image;
  image.kind = kind;
  image.width = width;
  image.height = height;
  image.channels = kind == 7 ? 4 : 3;
  image.pixels.resize(size_t{width} * height * image.channels);
  for (size_t i = 0; i < image.pixels.size(); ++i)
    image.pixels[i] = static_cast<uint8_t>(i * 151 + (i >> 3));
  return image;
}

// Wide images take the whole-word loops (vectorised, with a tail); every pixel must come out
// as it does packed on its own.
TEST(TexturePack, WideImagesPackEachPixelAsItDoesAlone) {
  struct Case {
    SPPD_TEXFORMATENTRY format;
    int kind;
  } cases[] = {
      {Format(5, 6, 5, 0), 6}, {Format(5, 6, 5, 0), 7}, {Format(5, 5, 5, 1), 6},
      {Format(5, 5, 5, 1), 7}, {Format(4, 4, 4, 4), 7}, {Format(8, 8, 8, 8), 6},
      {Format(8, 8, 8, 8), 7}, {Format(8, 8, 8, 0), 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.format.rBits << c.format.gBits << c.format.bBits
                                    << c.format.aBits << " from P" << c.kind);
    const SPPD_PPMIMAGE wide = Varied(c.kind, 67, 3);  // not a multiple of any vector width
    SPPD_TEXIMAGE out;
    ASSERT_EQ(SPPD_TexturePack(wide, c.format, &out), 1);
    const size_t bpp = out.header.bytesPerPixel;
    for (size_t p = 0; p < size_t{wide.width} * wide.height; ++p) {
      const uint8_t* s = &wide.pixels[p * wide.channels];
      SPPD_TEXIMAGE alone;
      ASSERT_EQ(SPPD_TexturePack(OnePixel(c.kind, s[0], s[1], s[2], c.kind == 7 ? s[3] : 0),
                                 c.format, &alone), 1);
      ASSERT_EQ(std::vector<uint8_t>(out.pixels.begin() + p * bpp,
                                     out.pixels.begin() + (p + 1) * bpp),
                alone.pixels)
          << "pixel " << p;
    }
  }
}

std::vector<uint8_t> Bytes(FILE* f) {
  std::vector<uint8_t> bytes;
  std::rewind(f);
  for (int c; (c = std::fgetc(f)) != EOF;) bytes.push_back(static_cast<uint8_t>(c));
  return bytes;
}

// The precache walk packs as it writes, a block at a time: the file must hold what packing
// the whole image and writing it gives, over more pixels than one block.
TEST(TexturePack, WritingAsItPacksGivesTheBytesOfPackingThenWriting) {
  const PLAT_GUID device = {0x12345678, 0x9abc, 0xdef0, {1, 2, 3, 4, 5, 6, 7, 8}};
  struct Case {
    SPPD_TEXFORMATENTRY format;
    int kind;
  } cases[] = {{Format(5, 6, 5, 0), 6}, {Format(8, 8, 8, 8), 7}, {Format(0, 0, 0, 0, true), 6}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format.format.bitCount);
    const SPPD_PPMIMAGE image = Varied(c.kind, 300, 250);
    SPPD_TEXIMAGE packed;
    ASSERT_EQ(SPPD_TexturePack(image, c.format, &packed), 1);
    packed.header.driverGuid = SPPD_GUID;
    packed.header.deviceGuid = device;
    FILE* whole = std::tmpfile();
    FILE* streamed = std::tmpfile();
    ASSERT_TRUE(whole && streamed);
    ASSERT_TRUE(SPPD_TxfWrite(whole, "whole", packed.header, packed.palette, packed.pixels));
    EXPECT_EQ(SPPD_TextureWritePacked(streamed, "streamed", image, c.format, device), 1);
    EXPECT_EQ(Bytes(streamed), Bytes(whole));
    std::fclose(whole);
    std::fclose(streamed);
  }
}

// The precache reads the source a block at a time as it packs: the file must hold what reading
// the whole image, packing it and writing it gives, samples scaled from a maximum below 255
// too; a source cut short packs nothing whole.
TEST(TexturePack, PackingStraightFromTheSourceGivesTheBytesOfReadingItWhole) {
  const PLAT_GUID device = {0x12345678, 0x9abc, 0xdef0, {1, 2, 3, 4, 5, 6, 7, 8}};
  struct Case {
    SPPD_TEXFORMATENTRY format;
    int kind;
    int maxval;
  } cases[] = {{Format(5, 6, 5, 0), 6, 255}, {Format(8, 8, 8, 8), 7, 255},
               {Format(8, 8, 8, 8), 7, 200}, {Format(4, 4, 4, 4), 6, 31}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.format.format.bitCount << " from P" << c.kind << " of "
                                    << c.maxval);
    const SPPD_PPMIMAGE samples = Varied(c.kind, 300, 250);  // more pixels than one block
    for (bool cut : {false, true}) {
      FILE* source = std::tmpfile();
      ASSERT_TRUE(source);
      std::fprintf(source, "P%d\n300 250\n%d\n", c.kind, c.maxval);
      std::fwrite(samples.pixels.data(), 1, samples.pixels.size() - (cut ? 5 : 0), source);
      std::rewind(source);
      SPPD_PPMHEADER header;
      ASSERT_EQ(SPPD_ReadPPMSourceHeader(source, &header), c.kind);
      FILE* streamed = std::tmpfile();
      ASSERT_TRUE(streamed);
      const int32_t written = SPPD_TextureWritePackedSource(streamed, "streamed", source, header,
                                                            c.format, device);
      if (cut) {
        EXPECT_EQ(written, -1);
      } else {
        EXPECT_EQ(written, 1);
        std::rewind(source);
        SPPD_PPMIMAGE image;
        ASSERT_EQ(SPPD_ReadPPM(source, &image), c.kind);
        SPPD_TEXIMAGE packed;
        ASSERT_EQ(SPPD_TexturePack(image, c.format, &packed), 1);
        packed.header.driverGuid = SPPD_GUID;
        packed.header.deviceGuid = device;
        FILE* whole = std::tmpfile();
        ASSERT_TRUE(whole);
        ASSERT_TRUE(SPPD_TxfWrite(whole, "whole", packed.header, packed.palette, packed.pixels));
        EXPECT_EQ(Bytes(streamed), Bytes(whole));
        std::fclose(whole);
      }
      std::fclose(streamed);
      std::fclose(source);
    }
  }
}

TEST(TexturePack, PalettisedFormatQuantisesToIndicesAndPalette) {
  SPPD_PPMIMAGE img;
  img.kind = 6;
  img.width = 16;
  img.height = 16;
  img.channels = 3;
  for (int i = 0; i < 256; ++i) {
    const bool red = (i / 16) < 8;
    img.pixels.insert(img.pixels.end(), {uint8_t(red ? 250 : 10), 20, uint8_t(red ? 5 : 240)});
  }
  SPPD_TEXIMAGE out;
  ASSERT_EQ(SPPD_TexturePack(img, Format(0, 0, 0, 0, true), &out), 1);
  EXPECT_EQ(out.header.flags, 1u);
  EXPECT_EQ(out.header.bytesPerPixel, 1u);
  EXPECT_EQ(out.header.redBits, 0);
  EXPECT_EQ(out.header.totalSize, 1116u + 256u);
  ASSERT_EQ(out.palette.size(), 1024u);
  ASSERT_EQ(out.pixels.size(), 256u);
  for (int i : {0, 255}) {
    const uint8_t* e = &out.palette[4 * out.pixels[i]];
    const uint8_t* p = &img.pixels[3 * i];
    EXPECT_NEAR(e[0], p[0], 12);
    EXPECT_NEAR(e[1], p[1], 12);
    EXPECT_NEAR(e[2], p[2], 12);
  }
  EXPECT_NE(out.pixels[0], out.pixels[255]);
}

}  // namespace
