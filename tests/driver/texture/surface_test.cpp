// Device textures from converted pixels and from cache files.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "driver/texture/convert.h"
#include "engine/driver/sppd.h"
#include "tests/driver/texture/convert_fixture.h"
#include "tools/writers/txf_writer.h"

namespace {

using texconvtest::TexconvTest;

class TextureSurface : public TexconvTest {
 protected:
  void TearDown() override {
    PLAT_GfxReleaseTexture(surface.texture);
    TexconvTest::TearDown();
  }
  std::vector<uint8_t> Level(int level) {
    PLAT_GfxLock lock;
    EXPECT_EQ(PLAT_GfxLockTexture(surface.texture, level, &lock), PLAT_GfxResult::Ok);
    const uint8_t* bits = static_cast<const uint8_t*>(lock.bits);
    std::vector<uint8_t> out(bits, bits + static_cast<size_t>(lock.pitch) * lock.height);
    PLAT_GfxUnlockTexture(surface.texture, level);
    return out;
  }
  SPPD_TEXSURFACE surface;
};

TEST_F(TextureSurface, FromConvertedPixelsThenFromTheCacheFile) {
  const std::string src = Source("t/a.ppm", 7, 16, 8);
  SPPD_TEXIMAGE image;
  ASSERT_EQ(SPPD_TextureConvertFile(&state, src.c_str(), Cache(src).c_str(), 0, &image), 1);
  ASSERT_EQ(SPPD_TextureCreateSurfaceFrom(&state, Cache(src).c_str(), &image, &surface), 1);
  EXPECT_EQ(surface.width, 16);
  EXPECT_EQ(surface.height, 8);
  EXPECT_EQ(Level(0), image.pixels);
  PLAT_GfxReleaseTexture(surface.texture);
  surface = {};
  ASSERT_EQ(SPPD_TextureCreateSurfaceFrom(&state, Cache(src).c_str(), nullptr, &surface), 1);
  EXPECT_EQ(Level(0), image.pixels);
}

TEST_F(TextureSurface, LoadFileConvertsOnceAndReusesAfterwards) {
  const std::string src = Source("l/a.ppm", 6, 8, 8);
  ASSERT_EQ(SPPD_TextureLoadFile(&state, src.c_str(), Cache(src).c_str(), 0, &surface), 1);
  const std::vector<uint8_t> first = Level(0);
  PLAT_GfxReleaseTexture(surface.texture);
  surface = {};
  ASSERT_EQ(SPPD_TextureLoadFile(&state, src.c_str(), Cache(src).c_str(), 0, &surface), 1);
  EXPECT_EQ(Level(0), first);
}

TEST_F(TextureSurface, MipLevelsCountFromTheSmallerSide) {
  struct Case {
    uint32_t w, h;
    int32_t levels;
  } cases[] = {{256, 256, 6}, {256, 8, 1}, {8, 256, 1}, {4, 4, 1}, {8, 8, 1}, {64, 32, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
    EXPECT_EQ(SPPD_TextureMipLevels(c.w, c.h), c.levels);
    const std::string src = Source("m/" + std::to_string(c.w) + "x" + std::to_string(c.h) + ".ppm",
                                   6, c.w, c.h);
    ASSERT_EQ(SPPD_TextureLoadFile(&state, src.c_str(), Cache(src).c_str(), 0, &surface), 1);
    EXPECT_EQ(surface.levels, c.levels);
    PLAT_GfxReleaseTexture(surface.texture);
    surface = {};
  }
}

TEST_F(TextureSurface, MipLevelsTakeScaledTopLevelPixels) {
  UseFormats(32);
  const std::string src = Source("mm/a.ppm", 6, 32, 32);
  SPPD_TEXIMAGE image;
  ASSERT_EQ(SPPD_TextureConvertFile(&state, src.c_str(), Cache(src).c_str(), 0, &image), 1);
  ASSERT_EQ(SPPD_TextureCreateSurfaceFrom(&state, nullptr, &image, &surface), 1);
  ASSERT_EQ(surface.levels, 3);
  const std::vector<uint8_t> level2 = Level(2);  // 8x8, every fourth pixel
  ASSERT_EQ(level2.size(), 8u * 8u * 4u);
  EXPECT_EQ(0, std::memcmp(&level2[(3 * 8 + 5) * 4], &image.pixels[(12 * 32 + 20) * 4], 4));
}

TEST_F(TextureSurface, NoMipMapsWhenTheDisplayOrTheFileSaysSo) {
  const std::string src = Source("n/a.ppm", 6, 64, 64);
  state.fAutoMipMap = 0;
  ASSERT_EQ(SPPD_TextureLoadFile(&state, src.c_str(), Cache(src).c_str(), 0, &surface), 1);
  EXPECT_EQ(surface.levels, 1);
  PLAT_GfxReleaseTexture(surface.texture);
  surface = {};
  state.fAutoMipMap = 1;
  std::filesystem::remove(Cache(src));
  SPPD_TEXIMAGE image;
  ASSERT_EQ(SPPD_TextureConvertFile(&state, src.c_str(), Cache(src).c_str(), 0, &image), 1);
  image.header.flags |= SPPD_TXF_FLAG_NOMIPMAPS;
  ASSERT_EQ(SPPD_TextureCreateSurfaceFrom(&state, nullptr, &image, &surface), 1);
  EXPECT_EQ(surface.levels, 1);
}

TEST_F(TextureSurface, SizesNotPowersOfTwoCacheButMakeNoSurface) {
  const std::string src = Source("np/a.ppm", 6, 100, 64);
  EXPECT_EQ(SPPD_TextureLoadFile(&state, src.c_str(), Cache(src).c_str(), 0, &surface), -1);
  EXPECT_EQ(surface.texture, nullptr);
  EXPECT_EQ(std::filesystem::file_size(Cache(src)), 92u + 100u * 64u * 2u);
}

TEST_F(TextureSurface, CacheFileOfAnotherDriverOrDeviceIsRefused) {
  const std::string src = Source("o/a.ppm", 6, 8, 8);
  ASSERT_EQ(SPPD_TextureLoadFile(&state, src.c_str(), Cache(src).c_str(), 0, &surface), 1);
  PLAT_GfxReleaseTexture(surface.texture);
  surface = {};
  lists.devices[0].desc.guid.Data2 ^= 1;
  EXPECT_EQ(SPPD_TextureCreateSurfaceFrom(&state, Cache(src).c_str(), nullptr, &surface), -1);
  EXPECT_EQ(surface.texture, nullptr);
  EXPECT_EQ(SPPD_TextureCreateSurfaceFrom(&state, dir.file("none.txf").c_str(), nullptr,
                                          &surface),
            -1);
}

TEST_F(TextureSurface, PalettisedCacheFileMakesAPalettedTexture) {
  vnTXF_FILE txf;
  txf.width = txf.height = 8;
  txf.bytesPerPixel = 1;
  txf.flags = SPPD_TXF_FLAG_PALETTISED;
  txf.driverGuid = SPPD_GUID;
  txf.deviceGuid = PLAT_GfxHardwareDeviceGuid();
  const PLAT_GfxPixelFormat pf = PLAT_GfxFormatRecord(PLAT_GfxTexFormat::P8);
  txf.pfFlags = pf.flags;
  txf.pfBitCount = pf.bitCount;
  txf.palette = texconvtest::Pattern(1024);
  txf.pixels = texconvtest::Pattern(64);
  const std::string path = dir.file("pal.txf");
  ASSERT_TRUE(vnWRITE_TXFFile(path, txf));
  ASSERT_EQ(SPPD_TextureCreateSurfaceFrom(&state, path.c_str(), nullptr, &surface), 1);
  EXPECT_EQ(Level(0), txf.pixels);
}

}  // namespace
