#include "tools/writers/b2d_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/b2d/b2d.h"
#include "engine/memory/memblock.h"
#include "platform/ini.h"
#include "tests/support/support.h"

namespace {

class B2DWriter : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SGE_InitMemory(0), 1);
    ASSERT_EQ(SPW_CreateEngineBlocks(), 1);
    PLAT_IniFlushCache();
  }
  void TearDown() override {
    SPW_ReleaseEngineBlocks();
    SGE_ShutdownMemory();
  }
  vntest::TempDir dir;
};

TEST_F(B2DWriter, EverySetFrameAndTextureReadsBackAsWritten) {
  vnB2D_FILE sheet;
  vnPPM_IMAGE image;
  image.kind = 7;
  image.width = image.height = 2;
  image.pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  sheet.textures.push_back({"sheet.ppm", 4, image});
  sheet.textures.push_back({" padded name.ppm", -1, {}});
  vnB2D_SET buttons{"Push Buttons", {-3, 70000}, {}};
  buttons.frames.push_back({"up", 4, 1, -2, 5, 64, 32, 0.1f, 1.0f / 3, 0.5f, 0.25f});
  buttons.frames.push_back({"down state", 4, 2, 0, 0, 1, 1, 0, 0, 1e-7f, 0.999999f});
  sheet.sets.push_back(buttons);
  sheet.sets.push_back({"Empty", {0, 0}, {}});
  const std::string path = dir.file("Sheet.b2d");
  ASSERT_TRUE(vnWRITE_B2DFile(path, sheet));
  const std::vector<uint8_t> ppm = vnWRITE_PPM(image);
  EXPECT_EQ(vntest::readFile(dir.file("sheet.ppm")), std::string(ppm.begin(), ppm.end()));

  SPW_B2DFILE* file = SPW_B2D_Parse(path.c_str(), nullptr, 1);
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(SGE_ListCount(&file->textures), 2);
  EXPECT_NE(SPW_B2D_FindTexture(file, 4), nullptr);
  EXPECT_NE(SPW_B2D_FindTexture(file, -1), nullptr);
  ASSERT_EQ(SGE_ListCount(&file->sets), 2);
  const SPW_B2DSET* set = SPW_B2D_FindSet(file, "Push Buttons");
  ASSERT_NE(set, nullptr);
  EXPECT_EQ(set->anValue[0], -3);
  EXPECT_EQ(set->anValue[1], 70000);
  ASSERT_EQ(SGE_ListCount(&set->frames), 2);
  for (const vnB2D_FRAME& want : buttons.frames) {
    int32_t index;
    const SPW_B2DFRAME* f = SPW_B2D_FindFrameByName(set, want.name.c_str(), &index);
    ASSERT_NE(f, nullptr) << want.name;
    EXPECT_STREQ(f->pszName, want.name.c_str());
    EXPECT_EQ(f->nTexture, want.texture);
    EXPECT_EQ(f->nId, want.id);
    EXPECT_EQ(f->nOffsetX, want.offsetX);
    EXPECT_EQ(f->nOffsetY, want.offsetY);
    EXPECT_EQ(f->nWidth, want.width);
    EXPECT_EQ(f->nHeight, want.height);
    // Bit for bit.
    EXPECT_EQ(f->u, want.u);
    EXPECT_EQ(f->v, want.v);
    EXPECT_EQ(f->du, want.du);
    EXPECT_EQ(f->dv, want.dv);
  }
  EXPECT_TRUE(SGE_ListIsEmpty(&SPW_B2D_FindSet(file, "empty")->frames));
  SPW_B2D_Free(file);
}

TEST_F(B2DWriter, RefusesWhatCannotBeReadBack) {
  const vnB2D_FRAME frame{"f", 0, 1, 0, 0, 1, 1, 0, 0, 1, 1};
  const std::vector<std::pair<const char*, vnB2D_FILE>> cases = {
      {"quote in a set name", {{}, {{"a\"b", {0, 0}, {}}}}},
      {"empty set name", {{}, {{"", {0, 0}, {}}}}},
      {"line break in a frame name", {{}, {{"s", {0, 0}, {{"x\ny", 0, 1, 0, 0, 1, 1, 0, 0, 1, 1}}}}}},
      {"frame line too long", {{}, {{"s", {0, 0}, {{std::string(1100, 'n'), 0, 1, 0, 0, 1, 1, 0, 0, 1, 1}}}}}},
      {"empty texture name", {{{"", 0, {}}}, {{"s", {0, 0}, {frame}}}}},
      {"image with too few pixels", {{{"x.ppm", 0, vnPPM_IMAGE{7, 2, 2, 255, "", {1, 2, 3}}}}, {}}},
  };
  for (const auto& [name, sheet] : cases) {
    vntest::TraceCapture trace;
    EXPECT_FALSE(vnWRITE_B2DFile(dir.file("bad.b2d"), sheet)) << name;
    EXPECT_FALSE(trace.lines().empty()) << name;
  }
}

}  // namespace
