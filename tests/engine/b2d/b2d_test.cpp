// Reading B2D files: texture ids from the driver, set and frame order, lookups, the ends of
// lists, and damaged files that must fail cleanly.
#include "engine/b2d/b2d.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/display/display.h"
#include "engine/memory/memblock.h"
#include "platform/ini.h"
#include "platform/pathcount.h"
#include "tests/support/support.h"

namespace {

// The driver as the reader sees it: ids by name, and the preload switch.
struct FakeDriver {
  std::vector<std::string> names;
  std::vector<int32_t> preloadCalls;
  int32_t preload = 1;
};
FakeDriver g_drv;

int32_t FakeTextureGetID(SPW_DISPLAY*, const char* name, int32_t* out, int32_t create) {
  EXPECT_EQ(create, 1);
  EXPECT_EQ(g_drv.preload, 0) << "textures asked for with preloading on";
  g_drv.names.push_back(name);
  *out = 100 + static_cast<int32_t>(g_drv.names.size());
  return 1;
}
int32_t FakePreload(int32_t enable) {
  g_drv.preloadCalls.push_back(enable);
  int32_t previous = g_drv.preload;
  g_drv.preload = enable;
  return previous;
}

std::string Leaf(const std::string& path) { return path.substr(path.find_last_of("/\\") + 1); }

class B2DTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SGE_InitMemory(0), 1);
    ASSERT_EQ(SPW_CreateEngineBlocks(), 1);
    PLAT_IniFlushCache();
    g_drv = FakeDriver{};
    table.SPPD_TextureGetID = FakeTextureGetID;
    table.SPPD_EnableTexturePreLoad = FakePreload;
    ref = {1, sizeof table, &table};
    display.pDriver = &ref;
    SGE_GetMemBlockStats(&before, SPW_SpritesMem);
  }
  void TearDown() override {
    SPW_ReleaseEngineBlocks();
    SGE_ShutdownMemory();
  }

  uint32_t SpritesUsed() {
    SGE_MEMSTATS now;
    SGE_GetMemBlockStats(&now, SPW_SpritesMem);
    return now.dwUsedBytes;
  }

  std::vector<std::string> FrameNames(const SPW_B2DSET* set) {
    std::vector<std::string> out;
    for (int32_t i = 0; const SPW_B2DFRAME* f = SPW_B2D_GetFrameAt(set, i); ++i)
      out.push_back(f->pszName ? f->pszName : "<none>");
    return out;
  }

  SPPD_DRIVERTABLE table{};
  SGE_DATAREF ref{};
  SPW_DISPLAY display{};
  SGE_MEMSTATS before{};
  vntest::TempDir dir;
};

const char kSheet[] =
    "[T0]\r\nF=art/sheet.ppm\r\nUId=7\r\n"
    "[t1]\r\nf=Other.ppm\r\n"  // no number: kept, never loaded
    "[T2]\r\nF=third.ppm\r\nUId=9\r\n"
    "[F0]\r\nD=\"Buttons\" 3 4\r\n"
    "B0=\"up\" 7 1 2 3 40 20 0 0 0 0 0.5 0.25\r\n"
    "B1=\"Down\" 9 2 0 0 40 20 0 0 0.5 0 0.5 0.25\r\n"
    "B2=\"over\" 8 1 0 0 40 20 0 0 0 0.25 0.5 0.25\r\n"
    "[F1]\r\nD=\"Icons\" -1 0\r\n"
    "B0=\"dot\" 7 5 0 0 8 8 0 0 0.75 0.75 0.125 0.125\r\n";

TEST_F(B2DTest, ParseReadsTexturesSetsAndFramesWithTheirDriverIds) {
  const std::string path = dir.write("Sheet.b2d", kSheet);
  SPW_B2DFILE* file = SPW_B2D_Parse(path.c_str(), &display, 1);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->pDisplay, &display);

  // Numbered textures are asked for by their path beside the B2D file, preloading off.
  ASSERT_EQ(g_drv.names.size(), 2u);
  EXPECT_EQ(g_drv.names[0], dir.path() + "/art/sheet.ppm");
  EXPECT_EQ(Leaf(g_drv.names[1]), "third.ppm");
  EXPECT_EQ(g_drv.preloadCalls, (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(SGE_ListCount(&file->textures), 3);
  EXPECT_EQ(SPW_B2D_FindTexture(file, 7)->nTextureId, 101);
  EXPECT_EQ(SPW_B2D_FindTexture(file, -1)->nTextureId, 0);
  EXPECT_EQ(SPW_B2D_FindTexture(file, 9)->nTextureId, 102);
  EXPECT_EQ(SPW_B2D_FindTexture(file, 8), nullptr);

  SPW_B2DSET* buttons = SPW_B2D_FindSet(file, "BUTTONS");
  ASSERT_NE(buttons, nullptr);
  EXPECT_EQ(buttons->pFile, file);
  EXPECT_EQ(buttons->anValue[0], 3);
  EXPECT_EQ(buttons->anValue[1], 4);
  EXPECT_EQ(buttons->dwColour, 0xffffffffu);
  // Frames are added at the head: the last key comes first.
  EXPECT_EQ(FrameNames(buttons), (std::vector<std::string>{"over", "Down", "up"}));

  const SPW_B2DFRAME* up = SPW_B2D_GetFrameAt(buttons, 2);
  EXPECT_EQ(up->nId, 1);
  EXPECT_EQ(up->nOffsetX, 2);
  EXPECT_EQ(up->nOffsetY, 3);
  EXPECT_EQ(up->nWidth, 40);
  EXPECT_EQ(up->nHeight, 20);
  EXPECT_EQ(up->nTexture, 7);
  EXPECT_FLOAT_EQ(up->du, 0.5f);
  EXPECT_FLOAT_EQ(up->dv, 0.25f);
  EXPECT_EQ(up->nTextureId, 101);
  // Texture number 8 matches no "UId": no driver texture.
  EXPECT_EQ(SPW_B2D_GetFrameAt(buttons, 0)->nTextureId, 0);
  EXPECT_EQ(SPW_B2D_GetFrameAt(buttons, 1)->nTextureId, 102);
  EXPECT_EQ(SPW_B2D_GetFrameAt(buttons, 3), nullptr);

  // Two frames of id 1: the higher key first, then the next one after it.
  const SPW_B2DFRAME* first = SPW_B2D_GetFrame(buttons, nullptr, 1);
  ASSERT_NE(first, nullptr);
  EXPECT_STREQ(first->pszName, "over");
  EXPECT_EQ(SPW_B2D_GetFrame(buttons, first, 1), up);
  EXPECT_EQ(SPW_B2D_GetFrame(buttons, up, 1), nullptr);

  int32_t index = 99;
  EXPECT_EQ(SPW_B2D_FindFrameByName(buttons, "DOWN", &index), SPW_B2D_GetFrameAt(buttons, 1));
  EXPECT_EQ(index, 1);
  EXPECT_EQ(SPW_B2D_FindFrameByName(buttons, "sideways", &index), nullptr);
  EXPECT_EQ(index, -1);

  EXPECT_NE(SPW_B2D_FindSet(file, "icons"), nullptr);
  EXPECT_EQ(SPW_B2D_FindSet(file, "Nothing"), nullptr);

  EXPECT_EQ(SPW_B2D_Free(file), 1);
  EXPECT_EQ(SpritesUsed(), before.dwUsedBytes);
}

TEST_F(B2DTest, LoadKeepsNoNamesAndEveryLoadIsItsOwnRecord) {
  const std::string path = dir.write("Sheet.b2d", kSheet);
  SPW_B2DFILE* a = SPW_B2D_Load(path.c_str(), &display);
  SPW_B2DFILE* b = SPW_B2D_Load(path.c_str(), &display);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a, b);
  EXPECT_EQ(g_drv.names.size(), 4u);  // asked for twice
  const SPW_B2DSET* set = SPW_B2D_FindSet(a, "Buttons");
  EXPECT_EQ(SPW_B2D_GetFrameAt(set, 0)->pszName, nullptr);
  EXPECT_EQ(SPW_B2D_FindFrameByName(set, "up", nullptr), nullptr);
  SPW_B2D_Free(a);
  EXPECT_EQ(SPW_B2D_FindSet(b, "Buttons")->anValue[0], 3);
  SPW_B2D_Free(b);
  EXPECT_EQ(SPW_B2D_Free(nullptr), 0);
  EXPECT_EQ(SpritesUsed(), before.dwUsedBytes);
}

TEST_F(B2DTest, LoadSetReadsOneNamedSetWithoutTextures) {
  const std::string path = dir.write("Sheet.b2d", kSheet);
  SPW_B2DSET* set = SPW_B2D_LoadSet(path.c_str(), "ICONS", 1);
  ASSERT_NE(set, nullptr);
  EXPECT_EQ(set->pFile, nullptr);
  EXPECT_TRUE(g_drv.names.empty());
  EXPECT_EQ(FrameNames(set), (std::vector<std::string>{"dot"}));
  EXPECT_EQ(SPW_B2D_GetFrameAt(set, 0)->nTextureId, 0);
  EXPECT_EQ(SPW_B2D_FreeSet(set), 1);
  EXPECT_EQ(SpritesUsed(), before.dwUsedBytes);

  vntest::TraceCapture trace;
  EXPECT_EQ(SPW_B2D_LoadSet(path.c_str(), "Missing", 1), nullptr);
  EXPECT_TRUE(trace.contains("no set \"Missing\""));
  // A bad "D" ahead of the wanted set ends the search.
  const std::string broken = dir.write("Broken.b2d",
                                       "[F0]\nD=\"A\" 1\n[F1]\nD=\"B\" 1 2\n");
  EXPECT_EQ(SPW_B2D_LoadSet(broken.c_str(), "B", 1), nullptr);
}

TEST_F(B2DTest, AFilesPathIsResolvedOncePerReadNotPerKey) {
  std::string big = kSheet;
  for (int i = 1; i <= 60; ++i)
    big += "B" + std::to_string(i) + "=\"f" + std::to_string(i) + "\" 7 5 0 0 8 8 0 0 0 0 1 1\r\n";
  const std::string small = dir.write("Small.b2d", kSheet);
  const std::string large = dir.write("Large.b2d", big);
  std::vector<uint64_t> resolved;
  for (const std::string& path : {small, large}) {
    const uint64_t before = PLAT_ResolvePathCount();
    SPW_B2DFILE* file = SPW_B2D_Parse(path.c_str(), &display, 1);
    ASSERT_NE(file, nullptr);
    resolved.push_back(PLAT_ResolvePathCount() - before);
    SPW_B2D_Free(file);
    const uint64_t again = PLAT_ResolvePathCount();
    SPW_B2DSET* set = SPW_B2D_LoadSet(path.c_str(), "Icons", 0);
    ASSERT_NE(set, nullptr);
    resolved.push_back(PLAT_ResolvePathCount() - again);
    SPW_B2D_FreeSet(set);
  }
  EXPECT_EQ(resolved[2], resolved[0]) << "the parse of 61 more frames resolves no more";
  EXPECT_EQ(resolved[3], resolved[1]) << "the set of 61 more frames resolves no more";
  EXPECT_LE(resolved[0], 4u);
}

// Damaged and unusual files: what is read before the damage stays, the rest is not read.
struct Case {
  const char* name;
  std::string text;
  int32_t textures;
  std::vector<int32_t> framesPerSet;
  bool traced;
};

TEST_F(B2DTest, DamagedFilesEndTheirListsCleanly) {
  const std::string good = "\"a\" 0 1 0 0 8 8 0 0 0 0 1 1";
  const std::vector<Case> cases = {
      {"T0 without F hides T1", "[T0]\nUId=1\n[T1]\nF=x.ppm\nUId=2\n", 0, {}, false},
      {"third frame has twelve values",
       "[F0]\nD=\"s\" 0 0\nB0=" + good + "\nB1=" + good + "\nB2=\"c\" 0 1 0 0 8 8 0 0 0 0 1\nB3=" +
           good + "\n",
       0, {2}, true},
      {"bad D stops later sets",
       "[F0]\nD=\"s\" 0 0\nB0=" + good + "\n[F1]\nD=s 0 0\n[F2]\nD=\"t\" 0 0\n", 0, {1}, true},
      {"gap in frame keys", "[F0]\nD=\"s\" 0 0\nB0=" + good + "\nB2=" + good + "\n", 0, {1},
       false},
      {"truncated in a frame line", "[F0]\nD=\"s\" 0 0\nB0=" + good + "\nB1=\"b\" 0 1 0 0 8",
       0, {1}, true},
      {"truncated in a section name", "[F0]\nD=\"s\" 0 0\nB0=" + good + "\n[F", 0, {1}, false},
      {"number beyond 32 bits", "[F0]\nD=\"s\" 0 0\nB0=\"a\" 0 99999999999 0 0 8 8 0 0 0 0 1 1\n",
       0, {0}, true},
      {"not-a-number texture rectangle",
       "[F0]\nD=\"s\" 0 0\nB0=\"a\" 0 1 0 0 8 8 0 0 nan 0 1 1\n", 0, {0}, true},
      {"infinite texture rectangle", "[F0]\nD=\"s\" 0 0\nB0=\"a\" 0 1 0 0 8 8 0 0 0 0 inf 1\n", 0,
       {0}, true},
      {"empty frame name", "[F0]\nD=\"s\" 0 0\nB0=\"\" 0 1 0 0 8 8 0 0 0 0 1 1\n", 0, {0}, true},
      {"unterminated name", "[F0]\nD=\"s 0 0\n", 0, {}, true},
      {"binary noise", std::string("\x01\xff[\x00\x7f]=\"\xfe\n\n\x02", 12), 0, {}, false},
      {"empty file", "", 0, {}, false},
      {"letters for numbers", "[F0]\nD=\"s\" one two\n", 0, {}, true},
  };
  for (const Case& c : cases) {
    PLAT_IniFlushCache();
    const std::string path = dir.write("case.b2d", c.text);
    vntest::TraceCapture trace;
    SPW_B2DFILE* file = SPW_B2D_Parse(path.c_str(), &display, 1);
    ASSERT_NE(file, nullptr) << c.name;
    EXPECT_EQ(SGE_ListCount(&file->textures), c.textures) << c.name;
    std::vector<int32_t> frames;
    for (SPW_B2DSET* r : SGE_ListRecords<SPW_B2DSET>(&file->sets))
      frames.push_back(SGE_ListCount(&r->frames));
    EXPECT_EQ(frames, c.framesPerSet) << c.name;
    EXPECT_EQ(!trace.lines().empty(), c.traced) << c.name;
    SPW_B2D_Free(file);
  }
  EXPECT_EQ(SpritesUsed(), before.dwUsedBytes);
}

TEST_F(B2DTest, AMissingFileReadsAsOneWithoutSections) {
  vntest::TraceCapture trace;
  SPW_B2DFILE* file = SPW_B2D_Parse(dir.file("none.b2d").c_str(), &display, 0);
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(SGE_ListIsEmpty(&file->sets));
  EXPECT_TRUE(SGE_ListIsEmpty(&file->textures));
  EXPECT_TRUE(trace.contains("no file"));
  EXPECT_EQ(g_drv.preloadCalls, (std::vector<int32_t>{0, 1}));  // restored all the same
  SPW_B2D_Free(file);
  EXPECT_EQ(SPW_B2D_Parse(nullptr, &display, 0), nullptr);
}

TEST_F(B2DTest, LongSetNamesAreCutAndLongLinesReadToTheBuffer) {
  const std::string longName(100, 'n');
  const std::string path =
      dir.write("long.b2d", "[F0]\nD=\"" + longName + "\" 1 2\nB0=\"" + std::string(1100, 'f') +
                                "\" 0 1 0 0 8 8 0 0 0 0 1 1\n");
  vntest::TraceCapture trace;
  SPW_B2DFILE* file = SPW_B2D_Parse(path.c_str(), &display, 1);
  const auto* set = SGE_ListFirstRecord<SPW_B2DSET>(&file->sets);
  ASSERT_NE(set, nullptr);
  EXPECT_EQ(std::string(set->szName), longName.substr(0, 63));
  // The frame line is cut at 1,023 characters, inside its name: no frame.
  EXPECT_EQ(SGE_ListCount(&set->frames), 0);
  SPW_B2D_Free(file);
}

TEST_F(B2DTest, WithoutADriverTheIdsStayZero) {
  const std::string path = dir.write("Sheet.b2d", kSheet);
  SPW_B2DFILE* file = SPW_B2D_Parse(path.c_str(), nullptr, 0);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(SPW_B2D_FindTexture(file, 7)->nTextureId, 0);
  EXPECT_EQ(SPW_B2D_GetFrameAt(SPW_B2D_FindSet(file, "Buttons"), 2)->nTextureId, 0);
  SPW_B2D_Free(file);
}

}  // namespace
