// Status bars on screen: the marker task drawn through the effect list of a camera view by the
// render pass and the driver's own code, read back as pixels.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/world/attach/pixel_view.h"
#include "tests/world/marker/marker_fixture.h"

namespace markertest {
namespace {

using drawtest::Near;

class MarkerPixelsTest : public attachtest::PixelView {
 protected:
  void SetUp() override {
    StartView(1.0f);
    if (HasFatalFailure()) return;
    defaults = Defaults(SGE_GameMem);
    list = StartMarkers(view, defaults, &task);
    ASSERT_TRUE(list && task);
    EndFrame();  // the fixture's own frame
  }
  void TearDown() override {
    StopMarkers(list, task);
    StopView();
  }

  void NextFrame() {
    ASSERT_EQ(SPPD_BeginScene(&display), SPPD_OK);
    SPW_RenderDisplays();
    EndFrame();
  }

  VNMARKER_DEFAULTS defaults;
  VNFX_ATTACHLIST* list = nullptr;
  SGE_TASK* task = nullptr;
};

TEST_F(MarkerPixelsTest, AStatusBarIsFilledToItsLevel) {
  // Straight ahead at 10: the bar's centre lands on the display's centre (320, 240).
  const SPW_VECTOR at{0, 0, -10};
  VNMARKER* m = vnMARK_Send2579(&at, 0);
  ASSERT_NE(m, nullptr);
  const float outer[2] = {60, 12}, middle[2] = {56, 8}, inner[2] = {52, 4};
  SGE_Send(task, SGM_MARK_PAIR_C, SGE_PtrParam(m), SGE_PtrParam(outer));
  SGE_Send(task, SGM_MARK_PAIR_B, SGE_PtrParam(m), SGE_PtrParam(middle));
  SGE_Send(task, SGM_MARK_PAIR_A, SGE_PtrParam(m), SGE_PtrParam(inner));
  vnMARK_Send2581(m, 0.25f);
  NextFrame();
  // The fill runs from 268 to 268 + 104 / 4 = 294, a quarter of the way from red to green.
  const uint32_t quarter = 0xFFC03F00;
  const struct {
    int x, y;
    uint32_t colour;
  } quarterFull[] = {{272, 240, quarter}, {290, 238, quarter}, {298, 240, kGrey},
                     {360, 240, kGrey},   {320, 250, kBlue},   {262, 240, kBlue},
                     {320, 256, kBlack},  {384, 240, kBlack},  {320, 220, kBlack}};
  for (const auto& p : quarterFull)
    EXPECT_TRUE(Near(Pixel(p.x, p.y), p.colour, 4)) << p.x << "," << p.y;

  // Three quarters: the fill reaches 346 and turns mostly green.
  vnMARK_Send2581(m, 0.75f);
  NextFrame();
  const uint32_t threeQuarters = 0xFF40BF00;
  EXPECT_TRUE(Near(Pixel(340, 240), threeQuarters, 4));
  EXPECT_TRUE(Near(Pixel(350, 240), kGrey, 4));

  // Hidden, nothing but the cleared view.
  m->data.dwFlags |= VNMARKER_HIDDEN;
  NextFrame();
  EXPECT_TRUE(Near(Pixel(320, 240), kBlack));
  EXPECT_TRUE(Near(Pixel(320, 250), kBlack));
}

}  // namespace
}  // namespace markertest
