// Texture precache over a folder tree and the stamp file that lets a second run skip it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>

#include "driver/core/pools.h"
#include "driver/texture/convert.h"
#include "driver/texture/stamp.h"
#include "tests/driver/texture/table_fixture.h"
#include "tools/writers/tstamp_writer.h"

namespace {

namespace fs = std::filesystem;

class Precache : public textabletest::TextureDisplay {
 protected:
  // Four sources (one upper case, one with ".ppm" inside its name, one only in a subfolder),
  // and a file that is none.
  void WriteTree() {
    WriteImage("tex/a.ppm");
    WriteImage("tex/ROCK.PPM", true);
    WriteImage("tex/notes.ppm.bak");
    WriteImage("tex/sub/deeper/b.ppm");
    dir.write("tex/readme.txt", "not a texture");
  }
  int32_t Run() { return SPPD_PreCacheTextures(&display, "tex", 0); }
  std::string Stamp() { return dir.file("tex/tstamp.txt"); }
  static void Age(const std::string& path) {
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(2));
  }
  static bool Aged(const std::string& path) {
    return fs::last_write_time(path) < fs::file_time_type::clock::now() - std::chrono::hours(1);
  }
  std::vector<std::string> Caches() {
    return {dir.file("tex/tcache/a.txf"), dir.file("tex/tcache/ROCK.txf"),
            dir.file("tex/tcache/notes.ppm.txf"), dir.file("tex/sub/deeper/tcache/b.txf")};
  }
  void AgeCaches() {
    for (const std::string& c : Caches()) Age(c);
  }
  int CachesRewritten() {
    int n = 0;
    for (const std::string& c : Caches()) n += !Aged(c);
    return n;
  }
  // The stamp this device writes, as the writer's record.
  vnTSTAMP_FILE CurrentStamp() {
    SPPD_StampHandle s(SPPD_StampCurrent(State()));
    vnTSTAMP_FILE f;
    if (!s) return f;
    f.driverGuid = s->guidDriver;
    f.displayGuid = s->guidDisplay;
    for (uint32_t i = 0; i < s->dwReadFormats; ++i) {
      f.formats.emplace_back();
      std::memcpy(f.formats.back().data(), s->pFormats[i], 32);
    }
    return f;
  }
  void WriteStampText(const std::string& text, bool terminate = true) {
    std::string bytes = text;
    if (terminate) bytes += '\0';
    dir.write("tex/tstamp.txt", bytes);
  }
};

TEST_F(Precache, ConvertsEverySourceOnceAndASecondCallConvertsNothing) {
  WriteTree();
  EXPECT_EQ(SPPD_PreCacheCount(&display, "tex"), 4);
  EXPECT_EQ(Run(), 4);
  for (const std::string& c : Caches()) EXPECT_TRUE(fs::exists(c)) << c;
  ASSERT_TRUE(fs::exists(Stamp()));
  AgeCaches();
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(CachesRewritten(), 0);
}

TEST_F(Precache, TheStampNamesDriverDeviceAndBothFormatsWithLowNibblesFirst) {
  WriteTree();
  ASSERT_EQ(Run(), 4);
  const std::string text = vntest::readFile(Stamp());
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.back(), '\0');
  // {5D81DC88-...} is stored 88 DC 81 5D: each byte reads low nibble first.
  EXPECT_EQ(text.rfind("KOGUID = 88CD18D5", 0), 0u) << text;
  EXPECT_NE(text.find("\nGFXDRVPFSETSIZE = 20000000\n"), std::string::npos);
  EXPECT_NE(text.find("\nGFXDRVPFSET(1) = "), std::string::npos);
  EXPECT_EQ(text.substr(0, text.size() - 1), vnWRITE_TextureStampText(CurrentStamp()));
}

TEST_F(Precache, AStampFromTheWriterIsTakenAsCurrent) {
  WriteTree();
  ASSERT_TRUE(vnWRITE_TextureStamp(Stamp(), CurrentStamp()));
  EXPECT_EQ(Run(), 0);
  EXPECT_FALSE(fs::exists(dir.file("tex/tcache")));
}

TEST_F(Precache, AnotherTextureDepthConvertsEverythingAgain) {
  WriteTree();
  ASSERT_EQ(Run(), 4);
  AgeCaches();
  const std::string before = vntest::readFile(Stamp());
  SPPD_Destroy(&display);
  StorePrefs(640, 480, 16, 32);
  ASSERT_EQ(SPPD_Create(&display, window), SPPD_OK);
  EXPECT_EQ(Run(), 4);
  EXPECT_EQ(CachesRewritten(), 4);
  EXPECT_NE(vntest::readFile(Stamp()), before);
  EXPECT_EQ(Run(), 0);
}

TEST_F(Precache, AStaleOrUnreadableStampRebuildsEverything) {
  WriteTree();
  const vnTSTAMP_FILE good = CurrentStamp();
  ASSERT_EQ(good.formats.size(), 2u);
  const std::string text = vnWRITE_TextureStampText(good);
  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string t = text;
    size_t at = t.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? t : t.replace(at, from.size(), to);
  };
  vnTSTAMP_FILE otherDriver = good;
  otherDriver.driverGuid.Data1 ^= 1;
  vnTSTAMP_FILE otherDisplay = good;
  otherDisplay.displayGuid.Data4[7] ^= 1;
  vnTSTAMP_FILE otherFormat = good;
  otherFormat.formats[1][8] ^= 0x10;
  vnTSTAMP_FILE oneFormat = good;
  oneFormat.formats.pop_back();
  struct Case {
    const char* what;
    std::string stamp;
  } cases[] = {
      {"size with a bad digit", replaced("GFXDRVPFSETSIZE = 20000000", "GFXDRVPFSETSIZE = 2000000G")},
      {"size of five bytes", replaced("GFXDRVPFSETSIZE = 20000000", "GFXDRVPFSETSIZE = 2000000000")},
      {"huge count", replaced("GFXDRVPFSETSIZE = 20000000", "GFXDRVPFSETSIZE = FFFFFFFF")},
      {"short driver GUID", replaced("KOGUID = 88CD", "KOGUID = ")},
      {"odd digits", replaced("KOGUID = 88CD", "KOGUID = 8CD")},
      {"no equals sign", replaced("GFXDRVGUID = ", "GFXDRVGUID ")},
      {"missing format line", replaced("GFXDRVPFSET(1)", "GFXDRVPFSET(7)")},
      {"other driver", vnWRITE_TextureStampText(otherDriver)},
      {"other display device", vnWRITE_TextureStampText(otherDisplay)},
      {"other format", vnWRITE_TextureStampText(otherFormat)},
      {"one format", vnWRITE_TextureStampText(oneFormat)},
      {"empty", ""},
      {"cut short", text.substr(0, text.size() / 2)},
  };
  for (const Case& c : cases) {
    WriteStampText(c.stamp);
    EXPECT_EQ(Run(), 4) << c.what;
    EXPECT_EQ(vntest::readFile(Stamp()), text + '\0') << c.what;
  }
}

TEST_F(Precache, StampTextIsReadOnlyUpToItsSize) {
  const std::string text = vnWRITE_TextureStampText(CurrentStamp());
  SPPD_POOL* pool = State()->pGeneralPool;
  SPPD_StampHandle whole(SPPD_StampParse(pool, text.data(), text.size()));
  ASSERT_NE(whole, nullptr);
  EXPECT_EQ(whole->dwReadFormats, 2u);
  // Cut inside the last format's value: what follows in memory must not complete it.
  const size_t cut = text.size() - 10;
  SPPD_StampHandle partial(SPPD_StampParse(pool, text.data(), cut));
  ASSERT_NE(partial, nullptr);
  EXPECT_EQ(partial->dwReadFormats, 1u);
  SPPD_StampHandle current(SPPD_StampCurrent(State()));
  EXPECT_TRUE(SPPD_StampMatches(*current, *whole));
  EXPECT_FALSE(SPPD_StampMatches(*current, *partial));
  // A file without its zero byte reads the same as with it.
  WriteStampText(text, false);
  WriteTree();
  EXPECT_EQ(Run(), 0);
}

TEST_F(Precache, OnlySourcesNewerThanTheirCacheAreConvertedWhenTheStampIsGone) {
  WriteTree();
  ASSERT_EQ(Run(), 4);
  for (const char* src : {"tex/a.ppm", "tex/ROCK.PPM", "tex/notes.ppm.bak", "tex/sub/deeper/b.ppm"})
    fs::last_write_time(dir.file(src), fs::file_time_type::clock::now() - std::chrono::hours(3));
  AgeCaches();
  fs::remove(Stamp());
  // Newer than its aged cache file.
  WriteImage("tex/a.ppm");
  EXPECT_EQ(Run(), 4);  // every source is handed over and counted
  EXPECT_EQ(CachesRewritten(), 1);
  EXPECT_FALSE(Aged(dir.file("tex/tcache/a.txf")));
}

TEST_F(Precache, CacheFoldersAreNotWalked) {
  WriteTree();
  ASSERT_EQ(Run(), 4);
  ASSERT_TRUE(fs::exists(dir.file("tex/tcache/notes.ppm.txf")));
  fs::remove(Stamp());
  EXPECT_EQ(SPPD_PreCacheCount(&display, "tex"), 4);
  EXPECT_EQ(Run(), 4);
  EXPECT_FALSE(fs::exists(dir.file("tex/tcache/tcache")));
}

TEST_F(Precache, SourcesOnlyInSubfoldersAreAllCounted) {
  WriteImage("tex/one/a.ppm");
  WriteImage("tex/two/b.ppm");
  WriteImage("tex/two/three/c.ppm");
  EXPECT_EQ(SPPD_PreCacheCount(&display, "tex"), 3);
  EXPECT_EQ(Run(), 3);
}

TEST_F(Precache, LinkedFoldersAreNotFollowed) {
  WriteTree();
  fs::create_directory_symlink(dir.file("tex"), dir.file("tex/sub/loop"));
  fs::create_directory_symlink(dir.file("tex/sub"), dir.file("tex/again"));
  EXPECT_EQ(SPPD_PreCacheCount(&display, "tex"), 4);
  EXPECT_EQ(Run(), 4);
}

TEST_F(Precache, AStampThatCannotBeDeletedLeavesTheCacheAlone) {
  WriteTree();
  fs::create_directories(dir.file("tex/tstamp.txt/inside"));
  EXPECT_EQ(Run(), 0);
  EXPECT_FALSE(fs::exists(dir.file("tex/tcache")));
}

TEST_F(Precache, AMissingFolderConvertsNothing) {
  EXPECT_EQ(SPPD_PreCacheCount(&display, "nowhere"), 0);
  EXPECT_EQ(SPPD_PreCacheTextures(&display, "nowhere", 0), 0);
  EXPECT_EQ(SPPD_PreCacheTextures(&display, nullptr, 0), 0);
}

TEST(PrecacheWithoutDevice, ADisplayWithoutADeviceConvertsNothing) {
  vntest::TempDir dir;
  dir.write("a.ppm", "P6\n1 1\n255\nabc");
  std::vector<uint8_t> block(sizeof(SPPD_DRIVERDATA), 0);
  SGE_DATAREF ref{1, static_cast<int32_t>(block.size()), block.data()};
  SPW_DISPLAY display{};
  display.pDriver = &ref;
  EXPECT_EQ(SPPD_PreCacheTextures(&display, dir.path().c_str(), 0), 0);
  EXPECT_FALSE(fs::exists(dir.file("tstamp.txt")));
}

}  // namespace
