#pragma once
// A display with a driver block, a window for the device and stored preferences, for the
// device, frame and render-state tests that run the driver's code in-process.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "driver/core/block.h"
#include "driver/device/device.h"
#include "driver/device/prefs.h"
#include "engine/display/display.h"
#include "engine/driver/sppd.h"
#include "engine/kernel/kernel.h"
#include "platform/gfx/gfx.h"
#include "platform/window/window.h"
#include "tests/support/support.h"

namespace gldevtest {

class DriverDisplay : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(PLAT_GfxInit());
    window = PLAT_CreateWindow("driver", 640, 480, PLAT_WINDOW_OPENGL);
    ASSERT_NE(window, nullptr);
    block.assign(sizeof(SPPD_DRIVERDATA), 0);
    ref = {1, static_cast<int32_t>(block.size()), block.data()};
    display.pDriver = &ref;
    display.fWidth = 640;
    display.fHeight = 480;
    node.pDisplay = &display;
    node.fFlags = SPW_NODE_CLEAR_TARGET | SPW_NODE_CLEAR_DEPTH;
    node.dwColour = 0xFF000000;
  }
  void TearDown() override {
    SPPD_Destroy(&display);
    if (window) PLAT_DestroyWindow(window);
  }

  // Preferences as the wizard saves them, with the fields a test changes.
  void StorePrefs(int32_t w = 640, int32_t h = 480, int32_t bpp = 16, int32_t tbpp = 16,
                  int32_t z = 16, int32_t palette = 0) {
    SPPD_DRIVERSTATE p{};
    p.fFullScreen = 1;
    p.nWidth = w;
    p.nHeight = h;
    p.nBPP = bpp;
    p.nTBPP = tbpp;
    p.nZDepth = z;
    p.fPalette = palette;
    p.fAutoMipMap = 1;
    p.guidDisplay = SPPD_PRIMARY_DISPLAY_GUID;
    p.guidDevice = PLAT_GfxHardwareDeviceGuid();
    ASSERT_EQ(SPPD_SavePreferences(&p), SPPD_OK);
  }

  SPPD_MODE Stored() {
    SPPD_MODE m{};
    EXPECT_EQ(SPPD_GetDefaultMode(&m), SPPD_OK);
    return m;
  }

  SPPD_DRIVERSTATE* State() { return SPPD_GetDriverState(&display); }

  uint32_t Pixel(int x, int y, PLAT_GfxSurface s = PLAT_GfxSurface::Back) {
    uint32_t p = 0;
    EXPECT_TRUE(PLAT_GfxReadPixels(State()->pGfx, s, x, y, 1, 1, &p));
    return p;
  }

  SPPD_VIEWPORT Viewport() {
    SPPD_VIEWPORT vp{};
    const float rect[4] = {0, 0, display.fWidth, display.fHeight};
    const float offset[2] = {0, 0};
    SPPD_VPGet(&vp, &node, rect, offset);
    return vp;
  }

  vntest::ScopedRegistry registry;
  PLAT_Window* window = nullptr;
  std::vector<uint8_t> block;
  SGE_DATAREF ref{};
  SPW_DISPLAY display{};
  SPW_DISPLAYNODE node{};
};

}  // namespace gldevtest
