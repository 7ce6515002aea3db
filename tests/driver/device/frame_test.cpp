#include <string>
#include <vector>

#include "driver/device/frame.h"
#include "driver/core/pools.h"
#include "tests/driver/gldev_fixture.h"

namespace {

using FrameTest = gldevtest::DriverDisplay;

std::vector<std::string> Lines(const SPPD_DEBUGINFO* info) {
  std::vector<std::string> out;
  for (const SPPD_DEBUGLINE* l : SPPD_LinkRecords<SPPD_DEBUGLINE>(&info->lines))
    out.emplace_back(l->szText);
  return out;
}

TEST_F(FrameTest, ClearScreenUsesTheNodesFlagsAndColour) {
  StorePrefs();
  ASSERT_EQ(SPPD_Create(&display, window), SPPD_OK);
  SPPD_VIEWPORT vp = Viewport();
  node.dwColour = 0xFF20A040;
  node.fFlags = 0x30;
  ASSERT_EQ(SPPD_ClearScreen(&node, &vp, nullptr), SPPD_OK);
  EXPECT_EQ(Pixel(0, 0), 0xFF20A040u);
  EXPECT_EQ(Pixel(639, 479), 0xFF20A040u);

  node.dwColour = 0xFFFFFFFF;
  node.fFlags = 0x80;  // none of the clear flags
  EXPECT_EQ(SPPD_ClearScreen(&node, &vp, nullptr), SPPD_FAIL);
  EXPECT_EQ(Pixel(10, 10), 0xFF20A040u);
  node.fFlags = 0x40;  // a 16-bit Z buffer has no stencil: the device refuses
  EXPECT_EQ(SPPD_ClearScreen(&node, &vp, nullptr), SPPD_FAIL);
  EXPECT_EQ(SPPD_ClearScreen(nullptr, &vp, nullptr), SPPD_FAIL);
  EXPECT_EQ(SPPD_ClearScreen(&node, nullptr, nullptr), SPPD_FAIL);
  SPPD_VIEWPORT empty{};
  node.fFlags = 0x20;
  EXPECT_EQ(SPPD_ClearScreen(&node, &empty, nullptr), SPPD_FAIL);
}

TEST_F(FrameTest, ClearScreenClearsTheWholeTargetWhateverTheViewport) {
  StorePrefs(640, 480, 32, 16, 32);  // a Z buffer with stencil
  ASSERT_EQ(SPPD_Create(&display, window), SPPD_OK);
  PLAT_GfxDevice* dev = State()->pGfx;
  ASSERT_EQ(PLAT_GfxClear(dev, PLAT_GFX_CLEAR_ZBUFFER, nullptr, 0, 0, 0.25f, 0),
            PLAT_GfxResult::Ok);
  SPPD_VIEWPORT vp{};
  const float rect[4] = {10, 20, 110, 220};
  const float offset[2] = {5, 7};
  ASSERT_EQ(SPPD_VPGet(&vp, &node, rect, offset), &vp);
  node.dwColour = 0xFF405060;
  node.fFlags = 0x70 | 0x80;  // target, Z and stencil; 0x80 is not a clear flag
  ASSERT_EQ(SPPD_ClearScreen(&node, &vp, nullptr), SPPD_OK);
  EXPECT_EQ(Pixel(0, 0), 0xFF405060u);
  EXPECT_EQ(Pixel(639, 479), 0xFF405060u);
  float z[2] = {};
  ASSERT_TRUE(PLAT_GfxReadDepth(dev, 0, 0, 1, 1, &z[0]));
  ASSERT_TRUE(PLAT_GfxReadDepth(dev, 639, 479, 1, 1, &z[1]));
  EXPECT_FLOAT_EQ(z[0], 1.0f);
  EXPECT_FLOAT_EQ(z[1], 1.0f);

  // Z alone leaves the colour.
  ASSERT_EQ(PLAT_GfxClear(dev, PLAT_GFX_CLEAR_ZBUFFER, nullptr, 0, 0, 0.25f, 0),
            PLAT_GfxResult::Ok);
  node.dwColour = 0xFFFFFFFF;
  node.fFlags = 0x10;
  ASSERT_EQ(SPPD_ClearScreen(&node, &vp, nullptr), SPPD_OK);
  EXPECT_EQ(Pixel(300, 300), 0xFF405060u);
  ASSERT_TRUE(PLAT_GfxReadDepth(dev, 300, 300, 1, 1, &z[0]));
  EXPECT_FLOAT_EQ(z[0], 1.0f);
}

TEST_F(FrameTest, BeginScenePresentsThePreviousFrame) {
  StorePrefs();
  ASSERT_EQ(SPPD_Create(&display, window), SPPD_OK);
  ASSERT_EQ(SPPD_BeginScene(&display), SPPD_OK);
  EXPECT_EQ(State()->fInScene, 1);
  SPPD_VIEWPORT vp = Viewport();
  node.dwColour = 0xFF0000FF;
  node.fFlags = 0x20;
  ASSERT_EQ(SPPD_ClearScreen(&node, &vp, nullptr), SPPD_OK);
  ASSERT_EQ(SPPD_EndScene(&display), SPPD_OK);
  EXPECT_EQ(State()->fInScene, 0);
  EXPECT_EQ(Pixel(5, 5, PLAT_GfxSurface::Front), 0xFF000000u);  // shown only at the next begin
  ASSERT_EQ(SPPD_BeginScene(&display), SPPD_OK);
  EXPECT_EQ(Pixel(5, 5, PLAT_GfxSurface::Front), 0xFF0000FFu);
  EXPECT_EQ(SPPD_EndScene(&display), SPPD_OK);
}

TEST_F(FrameTest, LostSurfacesAreRestoredAtTheNextBegin) {
  StorePrefs();
  ASSERT_EQ(SPPD_Create(&display, window), SPPD_OK);
  PLAT_GfxSimulateLoss(State()->pGfx);
  ASSERT_EQ(SPPD_BeginScene(&display), SPPD_OK);
  for (auto s : {PLAT_GfxSurface::Front, PLAT_GfxSurface::Back, PLAT_GfxSurface::ZBuffer})
    EXPECT_FALSE(PLAT_GfxIsLost(State()->pGfx, s));
  SPPD_VIEWPORT vp = Viewport();
  node.dwColour = 0xFF112233;
  node.fFlags = 0x30;
  EXPECT_EQ(SPPD_ClearScreen(&node, &vp, nullptr), SPPD_OK);
  EXPECT_EQ(SPPD_EndScene(&display), SPPD_OK);
  EXPECT_EQ(SPPD_PurgeTextures(&display), SPPD_OK);
}

TEST_F(FrameTest, ViewportRecordFromRectangleAndOffset) {
  StorePrefs();
  ASSERT_EQ(SPPD_Create(&display, window), SPPD_OK);
  SPPD_VIEWPORT vp{};
  const float rect[4] = {10, 20, 110, 220};
  const float offset[2] = {5, 7};
  ASSERT_EQ(SPPD_VPGet(&vp, &node, rect, offset), &vp);
  EXPECT_EQ(vp.fWidth, 100);
  EXPECT_EQ(vp.fHeight, 200);
  EXPECT_EQ(vp.fX, 15);
  EXPECT_EQ(vp.fY, 27);
  EXPECT_EQ(vp.fOffsetX, 5);
  EXPECT_EQ(vp.fOffsetY, 7);
  EXPECT_EQ(vp.fLeft, 10);
  EXPECT_EQ(vp.fTop, 20);
  EXPECT_EQ(vp.fRight, 110);
  EXPECT_EQ(vp.fBottom, 220);
  EXPECT_EQ(vp.dwFlags, 1u);
  EXPECT_EQ(vp.pDriverData, SPPD_GetDriverData(&display));
  EXPECT_EQ(SPPD_VPGet(nullptr, &node, rect, offset), nullptr);
  ASSERT_EQ(SPPD_VPGet(&vp, &node, nullptr, offset), &vp);
  EXPECT_EQ(vp.dwFlags, 0u);  // nothing to draw into
}

TEST_F(FrameTest, StatisticsDescribeTheLastCompletedFrame) {
  StorePrefs();
  ASSERT_EQ(SPPD_Create(&display, window), SPPD_OK);
  EXPECT_TRUE(Lines(SPPD_GetDebugInfo()).empty());
  EXPECT_EQ(SPPD_GetDebugInfo()->nFrame, 0);

  ASSERT_EQ(SPPD_BeginScene(&display), SPPD_OK);
  SPPD_GetFrameCounters()->dwOpaqueTriangles = 2000;
  SPPD_GetFrameCounters()->dwAlphaPolygons = 10;
  ASSERT_EQ(SPPD_EndScene(&display), SPPD_OK);
  std::vector<std::string> expected = {"Driver: Direct3D-DX7 (v1.000.00a)", "nt:  2000",
                                       "nat: 10", "tt:  2010", "nab: 0", "nvb: 0"};
  EXPECT_EQ(Lines(SPPD_GetDebugInfo()), expected);
  EXPECT_EQ(SPPD_GetDebugInfo()->nFrame, 1);
  EXPECT_EQ(SPPD_GetFrameCounters()->dwOpaqueTriangles, 0u);

  // A close without a begin makes no device call but still reports the frame.
  ASSERT_EQ(SPPD_EndScene(&display), SPPD_OK);
  EXPECT_EQ(Lines(SPPD_GetDebugInfo())[1], "nt:  0");
}

TEST_F(FrameTest, LinesQueuedOutsideASceneDrawAtItsEnd) {
  StorePrefs();
  ASSERT_EQ(SPPD_Create(&display, window), SPPD_OK);
  SPPD_DRIVERSTATE* s = State();
  auto* line = static_cast<SPPD_QUEUEDLINE*>(SPPD_PoolCalloc(s->pGeneralPool, sizeof(SPPD_QUEUEDLINE)));
  ASSERT_NE(line, nullptr);
  line->v[0] = {10, 5, 0.5f, 1, 0xFFFFFF00, 0xFF000000, 0, 0};
  line->v[1] = {30, 5, 0.5f, 1, 0xFFFFFF00, 0xFF000000, 0, 0};
  SPPD_LinkAppend(&s->lhQueuedLines, &line->link);
  ASSERT_EQ(SPPD_BeginScene(&display), SPPD_OK);
  ASSERT_EQ(SPPD_EndScene(&display), SPPD_OK);
  EXPECT_TRUE(SPPD_LinkEmpty(&s->lhQueuedLines));
  EXPECT_EQ(Pixel(20, 5), 0xFFFFFF00u);
}

TEST(FrameExports, RefuseADisplayWithoutBlock) {
  SPW_DISPLAY bare{};
  EXPECT_EQ(SPPD_BeginScene(&bare), SPPD_FAIL);
  EXPECT_EQ(SPPD_EndScene(&bare), SPPD_FAIL);
  EXPECT_EQ(SPPD_PurgeTextures(&bare), SPPD_FAIL);
}

}  // namespace
