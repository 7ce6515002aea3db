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

// Polygons filed straight into buckets at both ends and on both sides of word boundaries, in an
// arrival order unlike their depth order. Polygon k covers spots k and k + 1, all at one screen
// depth so that the later one wins: spot k shows polygon k when each was drawn after the one
// farther than it, and a polygon skipped leaves a spot black.
TEST_F(DrawTest, FilledBucketsAloneAreDrawnFarthestFirst) {
  SPPD_BATCHLIST* list = State()->apBatchLists[SPPD_LAYER_ALPHA];
  const uint32_t buckets[] = {1023, 1022, 960, 64, 63, 1, 0};  // drawing order
  const uint32_t colours[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00,
                              0xFF00FFFF, 0xFFFF00FF, 0xFF808080};
  constexpr int kPolygons = 7;
  auto spotX = [](int k) { return 20.0f + 70.0f * static_cast<float>(k); };
  auto file = [&](int k) {
    SPPD_ALPHAPOLY* p = SPPD_AlphaCarve(list, 4);
    ASSERT_NE(p, nullptr);
    p->dwTextureId = 0;
    p->fDepth = static_cast<float>(buckets[k]) / SPPD_ALPHA_BUCKETS;
    const float x0 = spotX(k), x1 = spotX(k + 1) + 60.0f;
    const uint32_t c = colours[k];
    p->v[0] = {x0, 200, 0.5f, 1, c, 0xFF000000u, 0, 0};
    p->v[1] = {x1, 200, 0.5f, 1, c, 0xFF000000u, 1, 0};
    p->v[2] = {x1, 260, 0.5f, 1, c, 0xFF000000u, 1, 1};
    p->v[3] = {x0, 260, 0.5f, 1, c, 0xFF000000u, 0, 1};
    SPPD_AlphaFile(list, p);
  };
  for (int k : {6, 0, 4, 2, 5, 3, 1}) file(k);
  EndFrame();
  for (int spot = 0; spot <= kPolygons; ++spot) {
    const int k = std::min(spot, kPolygons - 1);
    EXPECT_TRUE(Near(Pixel(static_cast<int>(spotX(spot)) + 30, 230), colours[k])) << "spot " << spot;
  }
  // The next scene starts with every bucket empty: one polygon, drawn alone.
  ASSERT_EQ(SPPD_BeginScene(&display), SPPD_OK);
  Clear(0xFF000000);
  file(3);
  EndFrame();
  EXPECT_TRUE(Near(Pixel(static_cast<int>(spotX(3)) + 30, 230), colours[3]));
  EXPECT_TRUE(Near(Pixel(static_cast<int>(spotX(2)) + 30, 230), 0xFF000000));
  EXPECT_TRUE(Near(Pixel(static_cast<int>(spotX(5)) + 30, 230), 0xFF000000));
}

}  // namespace
}  // namespace drawtest
