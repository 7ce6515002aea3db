// Debug lines through the driver table of the display, and points projected through a view.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/display/display.h"
#include "engine/driver/sppd.h"
#include "engine/math/vecmath.h"
#include "engine/vdisplay/vdisplay.h"
#include "tests/world/combat/combat_fixture.h"

namespace {

struct Line {
  SPW_VECTOR a, b;
  uint32_t colour;
};
std::vector<Line> g_lines;

int32_t RecordLine(SPW_DISPLAY*, const float* a, const float* b, const uint32_t* colourA,
                   const uint32_t*) {
  g_lines.push_back({{a[0], a[1], a[2]}, {b[0], b[1], b[2]}, *colourA});
  return SPPD_OK;
}

class DebugDrawTest : public ct::CombatTest {
 protected:
  void SetUp() override {
    CombatTest::SetUp();
    g_lines.clear();
    table.SPPD_RenderLine = RecordLine;
    ref = {1, sizeof table, &table};
  }
  SPPD_DRIVERTABLE table{};
  SGE_DATAREF ref{};
};

TEST_F(DebugDrawTest, LinesGoToTheDisplayWithADriver) {
  const SPW_VECTOR a{1, 2, 3}, b{4, 5, 6};
  vnCOMBAT_DrawDebugLine(&a, &b, 200, 0, 300);
  EXPECT_TRUE(g_lines.empty()) << "no display yet";
  SPW_DISPLAY* display = SPW_CreateDisplay(1, 640, 480, nullptr, nullptr, &ref);
  ASSERT_NE(display, nullptr);
  vnCOMBAT_DrawDebugLine(&a, &b, 200, 0, 300);
  ASSERT_EQ(g_lines.size(), 1u);
  EXPECT_FLOAT_EQ(g_lines[0].b.z, 6);
  EXPECT_EQ(g_lines[0].colour, 0xFFC800FFu);  // channels held to 0..255
  SPW_DestroyDisplay(display);
}

TEST_F(DebugDrawTest, ARingIsAClosedOctagonAroundTheCentre) {
  SPW_DISPLAY* display = SPW_CreateDisplay(1, 640, 480, nullptr, nullptr, &ref);
  const SPW_VECTOR centre{10, 20, 5};
  vnCOMBAT_EmitRing(&centre, 3, 0, 200, 200);
  ASSERT_EQ(g_lines.size(), 8u);
  for (size_t i = 0; i < g_lines.size(); ++i) {
    const Line& l = g_lines[i];
    EXPECT_NEAR(std::hypot(l.a.x - 10, l.a.y - 20), 3, 1e-4f) << i;
    EXPECT_FLOAT_EQ(l.a.z, 5) << i;
    // Each side starts where the one before ended; the last closes the ring.
    const Line& next = g_lines[(i + 1) % g_lines.size()];
    EXPECT_NEAR(l.b.x, next.a.x, 1e-4f) << i;
    EXPECT_NEAR(l.b.y, next.a.y, 1e-4f) << i;
  }
  EXPECT_NEAR(g_lines[1].a.x, 10 + 3 * std::cos(0.785398f), 1e-4f);
  SPW_DestroyDisplay(display);
}

TEST_F(DebugDrawTest, ProjectionDropsThePointAndRefusesWhatIsBehindTheNearPlane) {
  // A camera at the origin looking down -z with 90-degree fields: tangents 1.
  SPW_VDISPLAY view{};
  SPW_MatIdentity(&view.mView);
  view.fNear = 1;
  view.fTanHalfX = view.fTanHalfY = 1;
  SGE_DATAREF target{1, SPW_VDISPLAY_RECORD_SIZE, &view};
  SPW_DISPLAYNODE node{};
  node.rect = {0, 0, 200, 100};
  node.pTarget = &target;
  float x = -1, y = -1;
  // Two units below it, along world z which this camera looks down, the point lies 12 ahead.
  const SPW_VECTOR ahead{5, 4, -10};
  ASSERT_EQ(vnCOMBAT_ProjectToScreen(&node, &ahead, &x, &y), 1);
  EXPECT_NEAR(x, 100 + 5.0f / 12 * 100, 1e-3f);
  EXPECT_NEAR(y, 50 - 4.0f / 12 * 50, 1e-3f);
  const SPW_VECTOR behind{0, 0, 5};
  EXPECT_EQ(vnCOMBAT_ProjectToScreen(&node, &behind, &x, &y), 0);
  SPW_DISPLAYNODE plain{};
  EXPECT_EQ(vnCOMBAT_ProjectToScreen(&plain, &ahead, &x, &y), 0);
}

}  // namespace
