// Screen quads: where each drawer puts a frame, how clipping moves the texture rectangle, and
// what reaches the screen through the driver.
#include "engine/quad/quad.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/math/vecmath.h"
#include "tests/engine/quad/screen_fixture.h"

namespace screentest {
namespace {

using drawtest::Near;

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF,
                   kWhite = 0xFFFFFFFF, kBlack = 0xFF000000;

// Four quadrants: red, green on top; blue, white below.
vnB2D_FILE QuadrantSheet() {
  vnB2D_FILE sheet;
  sheet.textures.push_back({"quadrants.ppm", 3, Image(64, 64, [](uint32_t x, uint32_t y) {
                              return y < 32 ? (x < 32 ? kRed : kGreen) : (x < 32 ? kBlue : kWhite);
                            })});
  vnB2D_SET set{"Panel", {0, 0}, {}};
  set.frames.push_back({"whole", 3, 1, 0, 0, 64, 64, 0, 0, 1, 1});
  sheet.sets.push_back(set);
  return sheet;
}

TEST_F(ScreenTest, AClippedFrameShowsItsVisiblePartAtItsOwnScale) {
  SPW_B2DFILE* file = LoadSheet("Panel.b2d", QuadrantSheet());
  const SPW_B2DFRAME* f = SPW_B2D_GetFrame(SPW_B2D_FindSet(file, "Panel"), nullptr, 1);
  ASSERT_NE(f, nullptr);
  ASSERT_GT(f->nTextureId, 0);

  // Cut a quarter off the left and a quarter off the bottom.
  const SPW_RECT clip{116, 0, 640, 148};
  EXPECT_EQ(SPW_DrawFrameClippedAt(&node, f, 100, 100, 1.0f, kWhite, &clip), SPPD_OK);
  // Centred on (400, 300), only the bottom-right quadrant inside.
  const SPW_RECT corner{400, 300, 640, 480};
  EXPECT_EQ(SPW_DrawFrameClipped(&node, f, 400, 300, 1.0f, kWhite, &corner), SPPD_OK);
  EndFrame();

  EXPECT_TRUE(Near(Pixel(114, 110), kBlack));  // cut away
  EXPECT_TRUE(Near(Pixel(118, 110), kRed));
  EXPECT_TRUE(Near(Pixel(130, 110), kRed));
  EXPECT_TRUE(Near(Pixel(134, 110), kGreen));  // stretched, red would reach past 139
  EXPECT_TRUE(Near(Pixel(162, 110), kGreen));
  EXPECT_TRUE(Near(Pixel(118, 140), kBlue));
  EXPECT_TRUE(Near(Pixel(134, 146), kWhite));
  EXPECT_TRUE(Near(Pixel(134, 150), kBlack));
  EXPECT_TRUE(Near(Pixel(166, 110), kBlack));

  EXPECT_TRUE(Near(Pixel(398, 302), kBlack));
  EXPECT_TRUE(Near(Pixel(401, 301), kWhite));
  EXPECT_TRUE(Near(Pixel(430, 330), kWhite));
  EXPECT_TRUE(Near(Pixel(433, 310), kBlack));
  SPW_B2D_Free(file);
}

TEST_F(ScreenTest, PartAndColourDrawersOnScreen) {
  SPW_B2DFILE* file = LoadSheet("Panel.b2d", QuadrantSheet());
  const SPW_B2DFRAME* f = SPW_B2D_GetFrame(SPW_B2D_FindSet(file, "Panel"), nullptr, 1);
  ASSERT_NE(f, nullptr);
  // The left half at half width: red over blue, nothing of the right half.
  SPW_DrawFramePart(&node, f, 200, 200, 1.0f, kWhite, 0.5f, 1.0f);
  // The vertex colour modulates the texture.
  SPW_DrawFrame(&node, f, 400, 100, 1.0f, 0xFF00FFFF);
  EndFrame();
  EXPECT_TRUE(Near(Pixel(202, 202), kRed));
  EXPECT_TRUE(Near(Pixel(229, 261), kBlue));
  EXPECT_TRUE(Near(Pixel(233, 210), kBlack));
  EXPECT_TRUE(Near(Pixel(410, 110), kBlack));      // red with no red left
  EXPECT_TRUE(Near(Pixel(450, 150), 0xFF00FFFF));  // white turned cyan
  SPW_B2D_Free(file);
}

SPW_B2DFRAME Frame() {
  SPW_B2DFRAME f{};
  f.nId = 1;
  f.nOffsetX = 3;
  f.nOffsetY = 4;
  f.nWidth = 40;
  f.nHeight = 20;
  f.u = 0.25f;
  f.v = 0.5f;
  f.du = 0.5f;
  f.dv = 0.25f;
  f.nTextureId = 7;
  return f;
}

struct Expected {
  float x0, y0, x1, y1, u0, v0, u1, v1;
};

::testing::AssertionResult IsQuad(const Recorded& r, const Expected& e, float z = 2.0f,
                                  uint32_t colour = 0xFF102030) {
  if (r.count != 4 || r.pairs != 1)
    return ::testing::AssertionFailure() << "count " << r.count << " pairs " << r.pairs;
  // Top-left, bottom-left, bottom-right, top-right.
  const float want[4][4] = {{e.x0, e.y0, e.u0, e.v0},
                            {e.x0, e.y1, e.u0, e.v1},
                            {e.x1, e.y1, e.u1, e.v1},
                            {e.x1, e.y0, e.u1, e.v0}};
  for (int i = 0; i < 4; ++i) {
    const SPPD_VERTEX& v = r.v[i];
    const float got[4] = {v.x, v.y, v.u, v.v};
    for (int k = 0; k < 4; ++k)
      if (std::fabs(got[k] - want[i][k]) > 1e-4f)
        return ::testing::AssertionFailure() << "corner " << i << " field " << k << ": got "
                                             << got[k] << " want " << want[i][k];
    if (v.z != z || v.dwColour != colour)
      return ::testing::AssertionFailure() << "corner " << i << " depth or colour";
  }
  return ::testing::AssertionSuccess();
}

TEST(ScreenQuads, EachDrawerPlacesTheFrameOnTheNode) {
  RecordingDisplay rec;
  rec.node.origin = {100, 50};
  rec.node.rect = {-20, -10, 20, 10};  // top-left at (80, 40)
  const SPW_B2DFRAME f = Frame();
  const uint32_t c = 0xFF102030;
  struct Case {
    const char* name;
    int32_t (*draw)(SPW_DISPLAYNODE*, const SPW_B2DFRAME*, uint32_t);
    Expected e;
  };
  const Case cases[] = {
      {"frame", [](SPW_DISPLAYNODE* n, const SPW_B2DFRAME* f, uint32_t c) {
         return SPW_DrawFrame(n, f, 5, 6, 2, c); }, {85, 46, 125, 66, 0.25f, 0.5f, 0.75f, 0.75f}},
      {"node item", [](SPW_DISPLAYNODE* n, const SPW_B2DFRAME* f, uint32_t c) {
         return SPW_DrawNodeItem(n, f, 5, 6, 2, c); }, {88, 50, 128, 70, 0.25f, 0.5f, 0.75f, 0.75f}},
      {"coloured", [](SPW_DISPLAYNODE* n, const SPW_B2DFRAME* f, uint32_t c) {
         return SPW_DrawFrameColoured(n, f, 5, 6, 2, c); },
       {108, 60, 148, 80, 0.25f, 0.5f, 0.75f, 0.75f}},
      {"at", [](SPW_DISPLAYNODE* n, const SPW_B2DFRAME* f, uint32_t c) {
         return SPW_DrawFrameAt(n, f, 5, 6, 2, 10, 12, c); },
       {85, 46, 95, 58, 0.25f, 0.5f, 0.75f, 0.75f}},
      {"part", [](SPW_DISPLAYNODE* n, const SPW_B2DFRAME* f, uint32_t c) {
         return SPW_DrawFramePart(n, f, 5, 6, 2, c, 0.5f, 0.25f); },
       {85, 46, 105, 51, 0.25f, 0.5f, 0.5f, 0.5625f}},
      {"clipped, centred, no cut", [](SPW_DISPLAYNODE* n, const SPW_B2DFRAME* f, uint32_t c) {
         const SPW_RECT all{0, 0, 640, 480};
         return SPW_DrawFrameClipped(n, f, 20, 10, 2, c, &all); },
       {80, 40, 120, 60, 0.25f, 0.5f, 0.75f, 0.75f}},
      {"glyph at scale 2", [](SPW_DISPLAYNODE* n, const SPW_B2DFRAME* f, uint32_t c) {
         const SPW_RECT all{0, 0, 640, 480};
         return SPW_DrawGlyph(n, f, 40, 20, 2, c, &all, 2.0f); },
       {80, 40, 160, 80, 0.25f, 0.5f, 0.75f, 0.75f}},
      {"scaled by (0.5, 1.5)", [](SPW_DISPLAYNODE* n, const SPW_B2DFRAME* f, uint32_t c) {
         const SPW_RECT all{0, 0, 640, 480};
         const SPW_POINT centre{10, 15}, scale{0.5f, 1.5f};
         return SPW_DrawFrameScaledClipped(n, f, &centre, 2, c, &scale, &all); },
       {80, 40, 100, 70, 0.25f, 0.5f, 0.75f, 0.75f}},
  };
  for (const Case& k : cases) {
    Calls().clear();
    EXPECT_EQ(k.draw(&rec.node, &f, c), 1) << k.name;
    ASSERT_EQ(Calls().size(), 1u) << k.name;
    EXPECT_EQ(Calls()[0].textureId, 7) << k.name;
    EXPECT_TRUE(IsQuad(Calls()[0], k.e)) << k.name;
  }
}

TEST(ScreenQuads, ClippingMovesEachTextureEdgeByTheShareCut) {
  RecordingDisplay rec;
  const SPW_B2DFRAME f = Frame();
  // Centred on (50, 50): 30..70 by 40..60; cut 10 left, 5 top, 5 bottom, 10 right.
  const SPW_RECT clip{40, 45, 60, 55};
  ASSERT_EQ(SPW_DrawFrameClipped(&rec.node, &f, 50, 50, 2, 0xFF102030, &clip), 1);
  ASSERT_EQ(Calls().size(), 1u);
  EXPECT_TRUE(IsQuad(Calls()[0], {40, 45, 60, 55, 0.375f, 0.5625f, 0.625f, 0.6875f}));
}

TEST(ScreenQuads, NothingIsSubmittedForAQuadOutsideTheClipOrWithoutASize) {
  RecordingDisplay rec;
  SPW_B2DFRAME f = Frame();  // at (100, 100) it spans 100..140 by 100..120
  const SPW_RECT outside[] = {
      {141, 0, 640, 480}, {0, 0, 99, 480}, {0, 121, 640, 480}, {0, 0, 640, 99}};
  for (const SPW_RECT& clip : outside)
    EXPECT_EQ(SPW_DrawFrameClippedAt(&rec.node, &f, 100, 100, 2, 0, &clip), 0) << clip.x0;
  const SPW_RECT all{0, 0, 640, 480};
  f.nWidth = 0;
  EXPECT_EQ(SPW_DrawFrameClippedAt(&rec.node, &f, 100, 100, 2, 0, &all), 0);
  f.nWidth = 40;
  EXPECT_EQ(SPW_DrawGlyph(&rec.node, &f, 100, 100, 2, 0, &all, 0.0f), 0);
  EXPECT_TRUE(Calls().empty());
  EXPECT_EQ(SPW_DrawFrame(&rec.node, nullptr, 0, 0, 2, 0), 0);
  EXPECT_EQ(SPW_DrawFrame(nullptr, &f, 0, 0, 2, 0), 0);
  SPW_DISPLAYNODE unbound{};  // a node of no display: no driver to call
  EXPECT_EQ(SPW_DrawFrame(&unbound, &f, 0, 0, 2, 0), 0);
}

TEST(ScreenQuads, RotatedQuadsTurnAboutTheDisplayOriginThenMove) {
  RecordingDisplay rec;
  const SPW_B2DFRAME f = Frame();
  ASSERT_EQ(SPW_DrawFrameRotated(&rec.node, &f, 10, 0, 2, 0, SPW_PI / 2, 300,
                                 200),
            1);
  ASSERT_EQ(Calls().size(), 1u);
  // (x, y) turns to (-y, x): top-left (10, 0), bottom-left (10, 20), bottom-right (50, 20).
  const float want[4][2] = {{300, 210}, {280, 210}, {280, 250}, {300, 250}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(Calls()[0].v[i].x, want[i][0], 1e-4f) << i;
    EXPECT_NEAR(Calls()[0].v[i].y, want[i][1], 1e-4f) << i;
  }
}

TEST(ScreenQuads, SetDrawersTakeTexturedFramesInTheSetsColour) {
  RecordingDisplay rec;
  SPW_B2DSET set{};
  SGE_ListInit(&set.frames);
  set.dwColour = 0xFFABCDEF;
  SPW_B2DFRAME a = Frame(), untextured = Frame(), b = Frame();
  untextured.nTextureId = 0;
  b.nOffsetX = 10;
  b.nOffsetY = 20;
  for (SPW_B2DFRAME* f : {&a, &untextured, &b}) SGE_ListAddTail(&set.frames, &f->link);

  SPW_DrawNodeItems(&rec.node, &set, 1, 2, 2);
  ASSERT_EQ(Calls().size(), 2u);
  EXPECT_TRUE(IsQuad(Calls()[0], {4, 6, 44, 26, 0.25f, 0.5f, 0.75f, 0.75f}, 2, 0xFFABCDEF));
  EXPECT_TRUE(IsQuad(Calls()[1], {11, 22, 51, 42, 0.25f, 0.5f, 0.75f, 0.75f}, 2, 0xFFABCDEF));

  Calls().clear();
  SPW_DrawSetScaled(&rec.node, &set, 0, 0, 2, 2.0f, 0.5f);
  ASSERT_EQ(Calls().size(), 2u);
  EXPECT_TRUE(IsQuad(Calls()[1], {20, 10, 100, 20, 0.25f, 0.5f, 0.75f, 0.75f}, 2, 0xFFABCDEF));
}

}  // namespace
}  // namespace screentest
