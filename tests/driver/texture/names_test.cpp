// Texture ids by name: numbering, matching, the name rewrites, the L4 base and table growth.
#include <cstdio>

#include "driver/texture/paths.h"
#include "tests/driver/texture/table_fixture.h"

namespace textabletest {
namespace {

TEST_F(TextureDisplay, IdsStartAtOneAndRepeatForTheSameName) {
  EXPECT_EQ(Id("a.ppm"), 1);
  EXPECT_EQ(Id("b.ppm"), 2);
  EXPECT_EQ(Id("a.ppm"), 1);
  EXPECT_EQ(Id("c.ppm", 0), -1) << "unknown without create";
  int32_t out = 5;
  EXPECT_EQ(SPPD_TextureGetID(&display, "c.ppm", &out, 0), SPPD_FAIL);
  EXPECT_EQ(out, 0);
  EXPECT_EQ(SPPD_TextureGetID(&display, "d.ppm", nullptr, 1), SPPD_FAIL);
  EXPECT_EQ(Id("e.ppm"), 3) << "a null out id registers nothing";
}

TEST_F(TextureDisplay, NamesMatchWithoutRegardToCaseOrSeparator) {
  int32_t id = Id("Data/Tex/A.PPM");
  EXPECT_EQ(Id("data\\tex\\a.ppm"), id);
  EXPECT_EQ(Id("./data/../DATA/tex//a.ppm"), id);
  EXPECT_EQ(Id((dir.path() + "/data/TEX/a.ppm").c_str()), id) << "full and relative alike";
  EXPECT_NE(Id("data/tex/a.ppx"), id);
  EXPECT_NE(Id("data/a.ppm"), id) << "same leaf, other folder";
  EXPECT_EQ(Leaf(id), "a.ppm");
}

TEST_F(TextureDisplay, LongLeafNamesAreKeptWhole) {
  const std::string stem(45, 'x');
  int32_t a = Id((stem + "_first.ppm").c_str());
  int32_t b = Id((stem + "_second.ppm").c_str());
  EXPECT_NE(a, b) << "names agreeing in their first 40 characters stay apart";
  EXPECT_EQ(Leaf(b), stem + "_second.ppm");
  EXPECT_EQ(Id((stem + "_FIRST.ppm").c_str()), a);
}

TEST_F(TextureDisplay, NamesThatAreNotFilesAreRefused) {
  EXPECT_EQ(Id(""), -1);
  EXPECT_EQ(Id("data/"), -1);
  EXPECT_EQ(Id(std::string(SPPD_TEXTURE_PATH_SIZE, 'a').c_str()), -1);
  EXPECT_EQ(Id("ok.ppm"), 1) << "refusals take no id";
}

TEST_F(TextureDisplay, LowResolutionVariants) {
  EXPECT_EQ(SPPD_SetLowResEffectTextureState(&display, 1), 1) << "on after create";
  EXPECT_EQ(Leaf(Id("sprites/effects/smoke.ppm")), "smoke_l.ppm");
  EXPECT_EQ(Leaf(Id("sprites/EFFECTS/smoke.ppm")), "smoke.ppm") << "case-sensitive test";
  EXPECT_EQ(Leaf(Id("units/tank.ppm")), "tank.ppm");
  EXPECT_EQ(SPPD_SetLowResTextureState(&display, 1), 0) << "off after create";
  EXPECT_EQ(Leaf(Id("units/tank.ppm")), "tank_l.ppm");
  EXPECT_EQ(Leaf(Id("units/noext")), "noext_l");
  EXPECT_EQ(SPPD_SetLowResTextureState(&display, 0), 1);
  EXPECT_EQ(SPPD_SetLowResEffectTextureState(&display, 0), 1);
  EXPECT_EQ(Leaf(Id("sprites/effects/fire.ppm")), "fire.ppm");
}

TEST_F(TextureDisplay, CamouflageReplacement) {
  struct Case {
    const char* comparison;
    const char* replace;
    const char* name;
    const char* leaf;
  } cases[] = {
      {"_j1", "_d1", "Tex/Tank_J1.ppm", "tank_d1.ppm"},
      {"_j1", "", "Tex/Tank_J1.ppm", "tank_j1.ppm"},           // empty replacement: off
      {"_j1", "_d1", "Tex/Tank_J2.ppm", "tank_j2.ppm"},        // no match
      {"_j1", "_desert", "tex/hut_j1x.ppm", "hut_desert.ppm"}, // longer runs on, safely
  };
  for (const Case& c : cases) {
    SPPD_SetTextureComparisonExtension(c.comparison);
    SPPD_SetTextureReplaceExtension(c.replace);
    EXPECT_EQ(Leaf(Id(c.name)), c.leaf) << c.name << " " << c.replace;
  }
}

TEST(TextureFolder, Normalisation) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {{"D:/Game/", "d:\\game\\"}, {"d:/game/file.txt", "d:\\game\\"},
               {"/Mnt/L4", "\\mnt\\"},      {"/mnt/l4\\", "\\mnt\\l4\\"},
               {"", ""},                    {"name", ""}};
  for (const Case& c : cases) {
    char out[SPPD_TEXTURE_PATH_SIZE];
    SPPD_TextureNormaliseFolder(c.in, out, sizeof out);
    EXPECT_STREQ(out, c.out) << c.in;
  }
}

TEST(TextureFolder, RelativePaths) {
  EXPECT_EQ(SPPD_TextureRelativePath("\\game", "\\game\\data\\a.ppm"), ".\\data\\a.ppm");
  EXPECT_EQ(SPPD_TextureRelativePath("\\game\\bin", "\\game\\data\\a.ppm"), "..\\data\\a.ppm");
  EXPECT_EQ(SPPD_TextureRelativePath("\\a\\b", "\\c\\a.ppm"), "..\\..\\c\\a.ppm");
}

TEST_F(TextureDisplay, L4PathTakesSourcesFromItsBase) {
  vntest::TempDir base;
  WriteImage("Data/Glass.ppm", true, 4, &base);
  WriteImage("data/glass.ppm", false);  // the working folder's copy has no alpha
  SPPD_SetL4Path(&display, (base.path() + "/").c_str());
  int32_t id = Id("data/glass.ppm");
  EXPECT_TRUE(Slot(id)->dwFlags & SPPD_TEXTURE_ALPHA) << "the header was read from the base";
  std::string source = SPPD_TextureSourcePath(Table()->pPaths, Slot(id)->pName);
  char key[SPPD_TEXTURE_PATH_SIZE];
  ASSERT_TRUE(SPPD_TextureFullPath((base.path() + "/data/glass.ppm").c_str(), key, sizeof key));
  EXPECT_EQ(source, key);
  std::string cache = SPPD_TextureCachePath(Table()->pPaths, Slot(id)->pName);
  ASSERT_TRUE(SPPD_TextureFullPath((dir.path() + "/data/tcache/glass.txf").c_str(), key, sizeof key));
  EXPECT_EQ(cache, key) << "the cache stays beside the name";

  // A new table after a purge gets the base back.
  SPPD_PurgeTextures(&display);
  id = Id("data/glass.ppm");
  EXPECT_TRUE(Slot(id)->dwFlags & SPPD_TEXTURE_ALPHA);
  SPPD_SetL4Path(&display, "");
  EXPECT_FALSE(Slot(Id("data/glass2.ppm"))->dwFlags & SPPD_TEXTURE_ALPHA);
}

TEST_F(TextureDisplay, AlphaBitFollowsTheSourceKind) {
  WriteImage("p7.ppm", true);
  WriteImage("p6.ppm", false);
  EXPECT_TRUE(Slot(Id("p7.ppm"))->dwFlags & SPPD_TEXTURE_ALPHA);
  EXPECT_FALSE(Slot(Id("p6.ppm"))->dwFlags & SPPD_TEXTURE_ALPHA);
  int32_t missing = Id("missing.ppm");
  EXPECT_GT(missing, 0) << "a missing source still registers";
  EXPECT_EQ(Level(missing), SPPD_TEXTURE_NAMED);
}

TEST_F(TextureDisplay, TheSlotArrayGrowsPastItsFirst1024Ids) {
  char name[32];
  for (int i = 1; i <= 2000; ++i) {
    std::snprintf(name, sizeof name, "t%04d.ppm", i);
    ASSERT_EQ(Id(name), i);
    if (i == 1022) {
      EXPECT_EQ(Table()->dwCapacity, 1024u);
    }
    if (i == 1023) {
      EXPECT_EQ(Table()->dwCapacity, 1280u);
    }
  }
  EXPECT_EQ(Table()->dwCapacity, 1024u + 4 * SPPD_TEXTURE_SLOT_GROWTH);
  EXPECT_EQ(Leaf(1500), "t1500.ppm");
  EXPECT_EQ(Leaf(2000), "t2000.ppm");
  EXPECT_EQ(Id("t0007.ppm"), 7);
  EXPECT_EQ(SPPD_TextureTableCapacity(State()), Table()->dwCapacity);
}

}  // namespace
}  // namespace textabletest
