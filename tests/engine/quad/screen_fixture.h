#pragma once
// Screen drawing through the driver's code in-process: the draw fixture's display with its
// table bound to the driver's own functions and the engine's memory started, a helper that
// writes B2D sheets with their images, and a fake table that records physical polygons.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/b2d/b2d.h"
#include "engine/memory/memblock.h"
#include "platform/ini.h"
#include "tests/driver/batch/draw_fixture.h"
#include "tools/writers/b2d_writer.h"

namespace screentest {

class ScreenTest : public drawtest::DrawTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(SGE_InitMemory(0), 1);
    ASSERT_EQ(SPW_CreateEngineBlocks(), 1);
    PLAT_IniFlushCache();
    drawtest::DrawTest::SetUp();
    if (HasFatalFailure()) return;
    BindDriverTable();
  }
  void TearDown() override {
    drawtest::DrawTest::TearDown();
    SPW_ReleaseEngineBlocks();
    SGE_ShutdownMemory();
  }

  // Writes the sheet and its images into the working folder and loads it for the display.
  SPW_B2DFILE* LoadSheet(const std::string& name, const vnB2D_FILE& sheet) {
    EXPECT_TRUE(vnWRITE_B2DFile(dir.file(name), sheet));
    return SPW_B2D_Load(name.c_str(), &display);
  }
};

// A P7 image of the size whose pixels come from a function of (x, y) giving ARGB.
template <typename F>
vnPPM_IMAGE Image(uint32_t w, uint32_t h, F argbAt) {
  vnPPM_IMAGE image;
  image.kind = 7;
  image.width = w;
  image.height = h;
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) {
      uint32_t c = argbAt(x, y);
      image.pixels.insert(image.pixels.end(),
                          {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8),
                           static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 24)});
    }
  return image;
}

// Physical polygons as the driver would get them.
struct Recorded {
  std::vector<SPPD_VERTEX> v;
  uint32_t count;
  int32_t pairs;
  int32_t textureId;
};
inline std::vector<Recorded>& Calls() {
  static std::vector<Recorded> calls;
  return calls;
}
inline int32_t RecordPhysical(SPW_DISPLAY*, const SPPD_VERTEX* v, uint32_t count, int32_t pairs,
                              int32_t textureId) {
  Calls().push_back({std::vector<SPPD_VERTEX>(v, v + count), count, pairs, textureId});
  return 1;
}

// A display and node over a table whose only slot records physical polygons.
struct RecordingDisplay {
  RecordingDisplay() {
    Calls().clear();
    table.SPPD_RenderFVFPolygonPhysical = RecordPhysical;
    display.pDriver = &ref;
    node.pDisplay = &display;
  }
  SPPD_DRIVERTABLE table{};
  SGE_DATAREF ref{1, sizeof(SPPD_DRIVERTABLE), &table};
  SPW_DISPLAY display{};
  SPW_DISPLAYNODE node{};
};

}  // namespace screentest
