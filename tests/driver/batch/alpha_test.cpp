// Alpha buckets drawn in runs: consecutive polygons of one texture go in one draw, a texture
// change ends the run, and the far-to-near order holds across runs.
#include "tests/driver/batch/draw_fixture.h"

namespace drawtest {
namespace {

// Red, green, red again over one spot: merging the two red ones into one draw before or after
// the green one would blend in another order and give another colour.
TEST_F(DrawTest, ATextureChangeEndsTheRunAndTheOrderHoldsAcrossRuns) {
  Texture(1, 0xFFFF0000, true);
  Texture(2, 0xFF00FF00, true);
  auto nearRed = Quad(100, 100, 200, 200, 5, 0x80FFFFFF);
  auto midGreen = Quad(100, 100, 200, 200, 20, 0x80FFFFFF);
  auto farRed = Quad(100, 100, 200, 200, 50, 0x80FFFFFF);
  // Beside them, alone in their runs: each keeps its own texture.
  auto greenAlone = Quad(300, 100, 400, 200, 30, 0xFFFFFFFF);
  auto redAlone = Quad(300, 300, 400, 400, 40, 0xFFFFFFFF);
  SPPD_RenderFVFPolygonAlpha(&display, nearRed.data(), N(nearRed, SPPD_VERTEX_NOFOG), 1, 1, 0, 0);
  SPPD_RenderFVFPolygonAlpha(&display, midGreen.data(), N(midGreen, SPPD_VERTEX_NOFOG), 1, 2, 0, 0);
  SPPD_RenderFVFPolygonAlpha(&display, farRed.data(), N(farRed, SPPD_VERTEX_NOFOG), 1, 1, 0, 0);
  SPPD_RenderFVFPolygonAlpha(&display, greenAlone.data(), N(greenAlone, SPPD_VERTEX_NOFOG), 1, 2, 0, 0);
  SPPD_RenderFVFPolygonAlpha(&display, redAlone.data(), N(redAlone, SPPD_VERTEX_NOFOG), 1, 1, 0, 0);
  EndFrame();
  EXPECT_TRUE(Near(Pixel(150, 150), 0xFF9F4000, 4));  // red, green, red: not 0xFF608000
  EXPECT_TRUE(Near(Pixel(350, 150), 0xFF00FF00));
  EXPECT_TRUE(Near(Pixel(350, 350), 0xFFFF0000));
}

// More polygons of one texture than one draw gathers: the run is drawn in parts, in order,
// and none is lost (the nearest, opaque, lies on top).
TEST_F(DrawTest, ARunLargerThanOneDrawIsDrawnInPartsInOrder) {
  constexpr int kQuads = 1500;  // 6,000 vertices
  for (int i = 0; i < kQuads; ++i) {
    const bool nearest = i == kQuads - 1;
    auto q = Quad(100, 100, 200, 200, 90.0f - 0.05f * static_cast<float>(i),
                  nearest ? 0xFF0000FF : 0x20FF0000);
    SPPD_RenderFVFPolygonAlpha(&display, q.data(), N(q, SPPD_VERTEX_NOFOG), 1, 0, 0, 0);
  }
  EndFrame();
  EXPECT_TRUE(Near(Pixel(150, 150), 0xFF0000FF));
}

}  // namespace
}  // namespace drawtest
