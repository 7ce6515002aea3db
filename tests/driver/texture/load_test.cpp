// Textures brought to the device and back: preloading, the cache file, purges, lost surfaces
// and the forced load from a cache file.
#include <filesystem>

#include "driver/core/pools.h"
#include "driver/texture/load.h"
#include "platform/files.h"
#include "tests/driver/texture/table_fixture.h"

namespace textabletest {
namespace {

uint64_t FileSize(const std::string& path) {
  uint64_t size = 0;
  int64_t mtime = 0;
  return PLAT_FileStat(path.c_str(), &mtime, &size) ? size : UINT64_MAX;
}

uint32_t PoolUsed(SPPD_POOL* pool) {
  SGE_MEMSTATS st{};
  SGE_GetMemBlockStats(&st, SPPD_PoolBlock(pool));
  return st.dwUsedBytes;
}

TEST_F(TextureDisplay, PreloadBringsATextureToTheDeviceAndWritesItsCache) {
  WriteImage("tex/wall.ppm");
  EXPECT_EQ(SPPD_EnableTexturePreLoad(1), 0);
  int32_t id = Id("tex/wall.ppm");
  ASSERT_GT(id, 0);
  EXPECT_EQ(Level(id), SPPD_TEXTURE_READY);
  EXPECT_NE(Slot(id)->pSurface, nullptr);
  EXPECT_GT(FileSize(dir.file("tex/tcache/wall.txf")), 92u);
}

TEST_F(TextureDisplay, WithoutPreloadTheFirstDrawLoads) {
  WriteImage("tex/wall.ppm");
  int32_t id = Id("tex/wall.ppm");
  EXPECT_EQ(Level(id), SPPD_TEXTURE_NAMED);
  EXPECT_EQ(Slot(id)->pSurface, nullptr);
  PLAT_GfxTexture* t = SPPD_TextureForDraw(State(), id);
  EXPECT_NE(t, nullptr);
  EXPECT_EQ(Level(id), SPPD_TEXTURE_READY);
  EXPECT_EQ(SPPD_TextureForDraw(State(), id), t) << "loaded once";
  EXPECT_EQ(SPPD_TextureForDraw(State(), 0), nullptr);
  EXPECT_EQ(SPPD_TextureForDraw(State(), 999), nullptr);
}

TEST_F(TextureDisplay, AMissingSourceKeepsLevelThreeAndDrawsBare) {
  SPPD_EnableTexturePreLoad(1);
  int32_t id = Id("nowhere.ppm");
  EXPECT_GT(id, 0) << "the id is still given";
  EXPECT_EQ(Level(id), SPPD_TEXTURE_NAMED);
  EXPECT_EQ(SPPD_TextureForDraw(State(), id), nullptr);
  EXPECT_EQ(SPPD_TextureLoad(State(), id), -1);
}

TEST_F(TextureDisplay, UnloadLowersTheLevelAndEmptiesTheCacheOnRequest) {
  WriteImage("u.ppm");
  int32_t id = Id("u.ppm");
  ASSERT_EQ(SPPD_TextureLoad(State(), id), 1);
  ASSERT_EQ(SPPD_TextureUnload(State(), id, 1), 1);
  EXPECT_EQ(Level(id), SPPD_TEXTURE_CACHED);
  EXPECT_EQ(Slot(id)->pSurface, nullptr);
  EXPECT_GT(FileSize(dir.file("tcache/u.txf")), 0u);
  ASSERT_EQ(SPPD_TextureUnload(State(), id, 0), 1);
  EXPECT_EQ(Level(id), SPPD_TEXTURE_NAMED);
  EXPECT_EQ(FileSize(dir.file("tcache/u.txf")), 0u);
  EXPECT_EQ(SPPD_TextureUnload(State(), id, 0), 1) << "level 3 is left alone";
  ASSERT_EQ(SPPD_TextureLoad(State(), id), 1) << "an emptied cache is rebuilt";
  EXPECT_GT(FileSize(dir.file("tcache/u.txf")), 92u);
}

TEST_F(TextureDisplay, ForceTextureL2Rules) {
  WriteImage("f.ppm");
  EXPECT_EQ(SPPD_ForceTextureL2(&display, 0), SPPD_FAIL);
  int32_t id = Id("f.ppm");
  EXPECT_EQ(SPPD_ForceTextureL2(&display, id), SPPD_FAIL) << "level 3 without a cache file";
  EXPECT_EQ(Level(id), SPPD_TEXTURE_NAMED);
  ASSERT_EQ(SPPD_TextureLoad(State(), id), 1);
  PLAT_GfxTexture* drawn = Slot(id)->pSurface;
  EXPECT_EQ(SPPD_ForceTextureL2(&display, id), SPPD_FAIL) << "already drawn";
  EXPECT_EQ(Slot(id)->pSurface, drawn) << "and nothing changed";
  EXPECT_EQ(Level(id), SPPD_TEXTURE_READY);
  ASSERT_EQ(SPPD_TextureUnload(State(), id, 1), 1);
  EXPECT_EQ(SPPD_ForceTextureL2(&display, id), SPPD_OK);
  EXPECT_NE(Slot(id)->pSurface, nullptr);
  EXPECT_EQ(Level(id), SPPD_TEXTURE_CACHED) << "the level bits stay";
  EXPECT_NE(SPPD_TextureForDraw(State(), id), nullptr) << "a later load replaces the surface";
  EXPECT_EQ(SPPD_ForceTextureL2(&display, 12345), SPPD_FAIL);
}

TEST_F(TextureDisplay, RewrittenNamesLoadTheVariantFiles) {
  // Only the variants exist on disk: a load from the name as given would fail.
  WriteImage("Sprites/Effects/Smoke_L.ppm", true);
  WriteImage("units/tank_d1.ppm");
  vntest::TempDir base;
  WriteImage("maps/ground.ppm", false, 4, &base);
  std::filesystem::create_directories(dir.file("maps"));  // where the name says it lies
  SPPD_EnableTexturePreLoad(1);
  SPPD_SetTextureComparisonExtension("_j1");
  SPPD_SetTextureReplaceExtension("_d1");
  int32_t smoke = Id("sprites/effects/smoke.ppm");
  int32_t tank = Id("Units/Tank_J1.ppm");
  SPPD_SetL4Path(&display, (base.path() + "/").c_str());
  int32_t ground = Id("maps/ground.ppm");
  for (int32_t id : {smoke, tank, ground}) {
    SCOPED_TRACE(Leaf(id));
    ASSERT_GT(id, 0);
    EXPECT_EQ(Level(id), SPPD_TEXTURE_READY);
    EXPECT_NE(Slot(id)->pSurface, nullptr);
  }
  EXPECT_TRUE(Slot(smoke)->dwFlags & SPPD_TEXTURE_ALPHA);
  EXPECT_GT(FileSize(dir.file("maps/tcache/ground.txf")), 92u) << "the cache beside the name";
}

TEST_F(TextureDisplay, ASurfaceThatCannotBeMadeLeavesTheSlotWithoutOne) {
  WriteImage("g.ppm");
  // A current cache file whose texture cannot be made: 100 pixels wide.
  std::string wide = "P6\n100 4\n255\n" + std::string(100 * 4 * 3, '\x40');
  dir.write("wide.ppm", wide);
  int32_t wideId = Id("wide.ppm");
  EXPECT_EQ(SPPD_TextureLoad(State(), wideId), -1);
  EXPECT_EQ(Level(wideId), SPPD_TEXTURE_CACHED) << "converted and cached, but no surface";
  EXPECT_EQ(FileSize(dir.file("tcache/wide.txf")), 92u + 100u * 4u * 2u);

  int32_t id = Id("g.ppm");
  ASSERT_EQ(SPPD_TextureLoad(State(), id), 1);
  ASSERT_EQ(SPPD_TextureUnload(State(), id, 1), 1);
  ASSERT_EQ(SPPD_ForceTextureL2(&display, id), SPPD_OK);
  ASSERT_NE(Slot(id)->pSurface, nullptr);
  // A cache file that cannot be read fails before the slot is touched.
  const std::string good = dir.file("tcache/g.txf");
  std::filesystem::copy_file(good, dir.file("tcache/g.keep"));
  dir.write("tcache/g.txf", "");
  EXPECT_EQ(SPPD_ForceTextureL2(&display, id), SPPD_FAIL);
  EXPECT_NE(Slot(id)->pSurface, nullptr);
  // One that reads but makes no texture leaves the slot without its old one.
  std::filesystem::copy_file(dir.file("tcache/wide.txf"), good,
                             std::filesystem::copy_options::overwrite_existing);
  EXPECT_EQ(SPPD_ForceTextureL2(&display, id), SPPD_FAIL);
  EXPECT_EQ(Slot(id)->pSurface, nullptr);
  EXPECT_EQ(Level(id), SPPD_TEXTURE_CACHED) << "the level bits stay";
}

TEST_F(TextureDisplay, ASourceLargerThanTheDeviceTakesIsRefusedOnceAndNeverConverted) {
  const uint32_t side = State()->caps.dwMaxTextureWidth * 2;
  ASSERT_GT(side, 0u);
  struct Case {
    const char* name;
    std::string header;
    size_t bytes;
  };
  const Case cases[] = {
      {"wide.ppm", "P6\n" + std::to_string(side) + " 2\n255\n", side * 2 * 3},
      {"tall.ppm", "P7\n2 " + std::to_string(side) + "\n255\n", side * 2 * 4},
  };
  for (const Case& c : cases) {
    dir.write(c.name, c.header + std::string(c.bytes, '\x40'));
    vntest::TraceCapture trace;
    int32_t id = Id(c.name);
    ASSERT_GT(id, 0) << c.name;
    for (int draw = 0; draw < 3; ++draw) EXPECT_EQ(SPPD_TextureForDraw(State(), id), nullptr);
    EXPECT_EQ(SPPD_TextureLoad(State(), id), -1) << c.name;
    size_t refusals = 0;
    for (const std::string& line : trace.lines())
      refusals += line.find("larger than the device's") != std::string::npos;
    EXPECT_EQ(refusals, 1u) << c.name;
    EXPECT_EQ(Level(id), SPPD_TEXTURE_NAMED) << c.name;
    const std::string leaf = std::string(c.name).substr(0, 4);
    EXPECT_FALSE(std::filesystem::exists(dir.file("tcache/" + leaf + ".txf"))) << c.name;
  }
}

TEST_F(TextureDisplay, PurgeReleasesEverythingAndNumbersFromOne) {
  ASSERT_EQ(Id("first.ppm"), 1);  // the table exists from here on
  const uint32_t namesBefore = PoolUsed(State()->pTextureNamePool);
  const uint32_t generalBefore = PoolUsed(State()->pGeneralPool);
  SPPD_EnableTexturePreLoad(1);
  for (const char* n : {"p1.ppm", "p2.ppm", "sub/p3.ppm"}) {
    WriteImage(n);
    int32_t id = Id(n);
    ASSERT_NE(Slot(id)->pSurface, nullptr);
  }
  EXPECT_EQ(SPPD_PurgeTextures(&display), SPPD_OK);
  EXPECT_EQ(Table(), nullptr);
  EXPECT_EQ(Id("p2.ppm"), 1) << "ids issued before are gone";
  EXPECT_NE(Slot(1)->pSurface, nullptr);
  EXPECT_EQ(PoolUsed(State()->pTextureNamePool), namesBefore) << "names and folders freed";
  EXPECT_EQ(PoolUsed(State()->pGeneralPool), generalBefore) << "old table and slots freed";
}

TEST_F(TextureDisplay, ALostSurfaceIsRebuiltFromTheCache) {
  WriteImage("lost.ppm", true);
  int32_t id = Id("lost.ppm");
  ASSERT_NE(SPPD_TextureForDraw(State(), id), nullptr);
  const uint64_t size = FileSize(dir.file("tcache/lost.txf"));
  PLAT_GfxSimulateLoss(State()->pGfx);
  ASSERT_TRUE(PLAT_GfxTextureIsLost(Slot(id)->pSurface));
  PLAT_GfxTexture* t = SPPD_TextureForDraw(State(), id);
  ASSERT_NE(t, nullptr);
  EXPECT_FALSE(PLAT_GfxTextureIsLost(t));
  EXPECT_EQ(Level(id), SPPD_TEXTURE_READY);
  EXPECT_EQ(FileSize(dir.file("tcache/lost.txf")), size);
  EXPECT_TRUE(Slot(id)->dwFlags & SPPD_TEXTURE_ALPHA) << "the alpha bit survives the reload";
}

}  // namespace
}  // namespace textabletest
