// Load-time and precache conversion and the cache file's staleness rules.
#include <gtest/gtest.h>

#include <filesystem>

#include "driver/texture/convert.h"
#include "driver/texture/txf.h"
#include "engine/driver/sppd.h"
#include "platform/files.h"
#include "tests/driver/texture/convert_fixture.h"
#include "tools/writers/txf_writer.h"

namespace {

namespace fs = std::filesystem;
using texconvtest::ReadAll;
using texconvtest::TexconvTest;

class TextureCache : public TexconvTest {
 protected:
  // Converts and reports whether pixels came back (a conversion) or not (cache reused).
  bool Converted(const std::string& src, int32_t palette = 0) {
    SPPD_TEXIMAGE image;
    EXPECT_EQ(SPPD_TextureConvertFile(&state, src.c_str(), Cache(src).c_str(), palette, &image),
              1);
    return !image.pixels.empty();
  }
  // Marks a file as written long ago, so that a rewrite shows in its time.
  static void Age(const std::string& path) {
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(2));
  }
  static bool Aged(const std::string& path) {
    return fs::last_write_time(path) <
           fs::file_time_type::clock::now() - std::chrono::hours(1);
  }
};

TEST_F(TextureCache, OpaqueSourceConvertsTo565AndIsCached) {
  const std::string src = Source("tex/rock.ppm", 6, 64, 32);
  SPPD_TEXIMAGE image;
  ASSERT_EQ(SPPD_TextureConvertFile(&state, src.c_str(), Cache(src).c_str(), 0, &image), 1);
  EXPECT_EQ(image.header.redBits, 5);
  EXPECT_EQ(image.header.greenBits, 6);
  EXPECT_EQ(image.header.bytesPerPixel, 2u);
  EXPECT_EQ(Cache(src), dir.file("tex/tcache/rock.txf"));
  const std::vector<uint8_t> file = ReadAll(Cache(src));
  ASSERT_EQ(file.size(), 92u + 64u * 32u * 2u);
  EXPECT_TRUE(std::equal(image.pixels.begin(), image.pixels.end(), file.begin() + 92));
  uint8_t guid[16];
  PLAT_GuidToBytes(SPPD_GUID, guid);
  EXPECT_TRUE(std::equal(guid, guid + 16, file.begin() + 28));
}

TEST_F(TextureCache, AlphaSourceConvertsTo4444And32BitTo8888) {
  const std::string src = Source("a.ppm", 7, 8, 8);
  SPPD_TEXIMAGE image;
  ASSERT_EQ(SPPD_TextureConvertFile(&state, src.c_str(), Cache(src).c_str(), 0, &image), 1);
  EXPECT_EQ(image.header.alphaBits, 4);
  UseFormats(32);
  const std::string big = Source("big.ppm", 6, 256, 256);
  ASSERT_EQ(SPPD_TextureConvertFile(&state, big.c_str(), Cache(big).c_str(), 0, &image), 1);
  EXPECT_EQ(image.header.bytesPerPixel, 4u);
  EXPECT_EQ(fs::file_size(Cache(big)), 262236u);
}

TEST_F(TextureCache, SecondLoadReusesTheFileWithoutConverting) {
  const std::string src = Source("r.ppm", 6, 16, 16);
  EXPECT_TRUE(Converted(src));
  Age(src);
  Age(Cache(src));
  EXPECT_FALSE(Converted(src));
  EXPECT_TRUE(Aged(Cache(src)));
}

TEST_F(TextureCache, StaleFilesAreRewritten) {
  struct Case {
    const char* name;
    std::function<void(TextureCache*, const std::string& src, const std::string& cache)> spoil;
  };
  const Case cases[] = {
      {"another device", [](TextureCache* t, auto&, auto&) {
         t->lists.devices[0].desc.guid.Data1 ^= 1;
       }},
      {"another format", [](TextureCache* t, auto&, auto&) { t->UseFormats(32); }},
      {"newer source", [](TextureCache*, auto& src, auto&) {
         fs::last_write_time(src, fs::file_time_type::clock::now());
       }},
      {"truncated", [](TextureCache*, auto&, auto& cache) {
         fs::resize_file(cache, fs::file_size(cache) - 1);
       }},
      {"longer than its header says", [](TextureCache*, auto&, auto& cache) {
         fs::resize_file(cache, fs::file_size(cache) + 1);
       }},
      {"shorter than a header", [](TextureCache*, auto&, auto& cache) {
         fs::resize_file(cache, 40);
       }},
      {"another driver", [](TextureCache*, auto&, auto& cache) {
         std::vector<uint8_t> b = ReadAll(cache);
         b[28] ^= 0xFF;
         FILE* f = std::fopen(cache.c_str(), "wb");
         std::fwrite(b.data(), 1, b.size(), f);
         std::fclose(f);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UseFormats(16);
    lists.devices[0].desc.guid = PLAT_GfxHardwareDeviceGuid();
    const std::string src = Source(std::string("s/") + c.name + ".ppm", 6, 8, 8);
    ASSERT_TRUE(Converted(src));
    Age(src);
    Age(Cache(src));
    c.spoil(this, src, Cache(src));
    EXPECT_TRUE(Converted(src));
    EXPECT_FALSE(Aged(Cache(src)));
    SPPD_TXFHEADER h;
    FILE* f = std::fopen(Cache(src).c_str(), "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(SPPD_TxfReadHeader(f, "cache", &h));
    std::fclose(f);
  }
}

TEST_F(TextureCache, HeaderSizeOtherThan92IsStale) {
  const std::string src = Source("h.ppm", 6, 4, 4);
  vnTXF_FILE txf;
  txf.width = txf.height = 4;
  txf.bytesPerPixel = 2;
  txf.redBits = 5;
  txf.greenBits = 6;
  txf.blueBits = 5;
  txf.driverGuid = SPPD_GUID;
  txf.deviceGuid = PLAT_GfxHardwareDeviceGuid();
  const PLAT_GfxPixelFormat pf = PLAT_GfxFormatRecord(PLAT_GfxTexFormat::R5G6B5);
  txf.pfFlags = pf.flags;
  txf.pfBitCount = pf.bitCount;
  txf.pfRMask = pf.rMask;
  txf.pfGMask = pf.gMask;
  txf.pfBMask = pf.bMask;
  txf.pixels.assign(32, 0);
  std::vector<uint8_t> bytes = vnWRITE_TXF(txf);
  fs::create_directories(dir.file("tcache"));
  FILE* f = std::fopen(Cache(src).c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  EXPECT_FALSE(Converted(src));  // the writer's file is a current one
  bytes[4] = 100;
  f = std::fopen(Cache(src).c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  EXPECT_TRUE(Converted(src));
}

TEST_F(TextureCache, FailuresWriteNothing) {
  SPPD_TEXIMAGE image;
  const std::string missing = dir.file("none.ppm");
  EXPECT_EQ(SPPD_TextureConvertFile(&state, missing.c_str(), Cache(missing).c_str(), 0, &image),
            -1);
  const std::string junk = dir.write("junk.ppm", "not an image");
  EXPECT_EQ(SPPD_TextureConvertFile(&state, junk.c_str(), Cache(junk).c_str(), 0, &image), -1);
  EXPECT_FALSE(fs::exists(Cache(junk)));
  // Palette 1: the list holds palettised formats only, and none is chosen.
  lists.texFormats = {texconvtest::Format(0, 0, 0, 0, true)};
  const std::string src = Source("p.ppm", 6, 8, 8);
  EXPECT_EQ(SPPD_TextureConvertFile(&state, src.c_str(), Cache(src).c_str(), 1, &image), -1);
  EXPECT_FALSE(fs::exists(Cache(src)));
  lists.chosenDevice = -1;
  UseFormats(16);
  EXPECT_EQ(SPPD_TextureConvertFile(&state, src.c_str(), Cache(src).c_str(), 0, &image), -1);
}

TEST_F(TextureCache, UnwritableCacheStillConvertsInMemory) {
  const std::string src = Source("w/x.ppm", 6, 8, 8);
  dir.write("w/tcache", "a file where the folder should be");
  SPPD_TEXIMAGE image;
  ASSERT_EQ(SPPD_TextureConvertFile(&state, src.c_str(), Cache(src).c_str(), 0, &image), 1);
  EXPECT_EQ(image.pixels.size(), 8u * 8u * 2u);
  EXPECT_EQ(SPPD_TexturePrecacheFile(&state, src.c_str(), 0, 1), 1);
  // The precache does not convert what it cannot keep, so even a bad source passes.
  const std::string junk = dir.write("w/junk.ppm", "not an image");
  EXPECT_EQ(SPPD_TexturePrecacheFile(&state, junk.c_str(), 0, 1), 1);
  dir.write("v/junk.ppm", "not an image");
  EXPECT_EQ(SPPD_TexturePrecacheFile(&state, dir.file("v/junk.ppm").c_str(), 0, 1), -1);
  EXPECT_FALSE(fs::exists(Cache(dir.file("v/junk.ppm")))) << "no empty file left behind";
}

TEST_F(TextureCache, PrecacheChecksOnlyTheHeaderUnlessForced) {
  const std::string src = Source("pc/x.ppm", 7, 8, 8);
  ASSERT_EQ(SPPD_TexturePrecacheFile(&state, src.c_str(), 0, 0), 1);
  ASSERT_TRUE(fs::exists(Cache(src)));
  Age(Cache(src));
  EXPECT_EQ(SPPD_TexturePrecacheFile(&state, src.c_str(), 0, 0), 1);
  EXPECT_TRUE(Aged(Cache(src)));
  EXPECT_EQ(SPPD_TexturePrecacheFile(&state, src.c_str(), 0, 1), 1);
  EXPECT_FALSE(Aged(Cache(src)));
}

TEST(TextureCachePath, TcacheBesideTheSource) {
  EXPECT_EQ(SPPD_TextureCachePathFor("a/b/Rock.PPM"), "a/b/tcache/Rock.txf");
  EXPECT_EQ(SPPD_TextureCachePathFor("c:\\game\\x.ppm"), "c:\\game\\tcache\\x.txf");
  EXPECT_EQ(SPPD_TextureCachePathFor("x.ppm"), "tcache/x.txf");
  EXPECT_EQ(SPPD_TextureCachePathFor("d.ir/noext"), "d.ir/tcache/noext.txf");
}

}  // namespace
