// Screen points on the view's near plane.
#include <gtest/gtest.h>

#include "engine/vdisplay/vdisplay.h"
#include "interface/ui/screenview.h"

namespace {

TEST(ScreenView, APixelLandsOnTheNearPlaneByTheHalfAngles) {
  SPW_VDISPLAY view{};
  view.fNear = 2.0f;
  view.fTanHalfX = 1.0f;   // 90 degrees across
  view.fTanHalfY = 0.75f;
  const struct {
    const char* what;
    float x, y;
    SPW_VECTOR expected;
  } cases[] = {
      {"centre", 320, 240, {0.0f, 0.0f, -2.0f}},
      {"top left", 0, 0, {-2.0f, 1.5f, -2.0f}},
      {"bottom right", 640, 480, {2.0f, -1.5f, -2.0f}},
      {"a quarter across, three quarters down", 160, 360, {-1.0f, -0.75f, -2.0f}},
  };
  for (const auto& c : cases) {
    SPW_VECTOR v{};
    ASSERT_EQ(vnUI_ScreenToView(&view, 640, 480, c.x, c.y, &v), 1) << c.what;
    EXPECT_FLOAT_EQ(v.x, c.expected.x) << c.what;
    EXPECT_FLOAT_EQ(v.y, c.expected.y) << c.what;
    EXPECT_FLOAT_EQ(v.z, c.expected.z) << c.what;
  }
}

TEST(ScreenView, NothingWithoutAViewOrAScreen) {
  SPW_VDISPLAY view{};
  SPW_VECTOR v{9, 9, 9};
  EXPECT_EQ(vnUI_ScreenToView(nullptr, 640, 480, 1, 1, &v), 0);
  EXPECT_EQ(vnUI_ScreenToView(&view, 0, 480, 1, 1, &v), 0);
  EXPECT_EQ(vnUI_ScreenToView(&view, 640, 480, 1, 1, nullptr), 0);
  EXPECT_FLOAT_EQ(v.x, 9.0f);
}

}  // namespace
