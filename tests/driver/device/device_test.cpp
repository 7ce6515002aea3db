#include "tests/driver/gldev_fixture.h"

namespace {

using gldevtest::DriverDisplay;
using DeviceTest = DriverDisplay;

TEST_F(DeviceTest, CreatesTheDeviceInTheStoredMode) {
  StorePrefs(800, 600, 16);
  ASSERT_EQ(SPPD_Create(&display, window), SPPD_OK);
  SPPD_DRIVERSTATE* s = State();
  EXPECT_EQ(s->fDeviceReady, 1);
  int32_t w = 0, h = 0;
  PLAT_GfxGetSize(s->pGfx, &w, &h);
  EXPECT_EQ(w, 800);
  EXPECT_EQ(h, 600);
  EXPECT_EQ(s->fLowResTextures, 0);
  EXPECT_EQ(s->fLowResEffectTextures, 1);
  EXPECT_EQ(PLAT_GfxGetState(s->pGfx, PLAT_GfxState::FogColor), SPPD_DEFAULT_FOG_COLOUR);
  EXPECT_EQ(PLAT_GfxGetState(s->pGfx, PLAT_GfxState::ZEnable), 1u);
  EXPECT_EQ(SPPD_Destroy(&display), SPPD_OK);
  EXPECT_EQ(s->pGfx, nullptr);
  EXPECT_EQ(s->pDriverPool, nullptr);
}

TEST_F(DeviceTest, FailedCreationLeavesNoHalfMadeDevice) {
  EXPECT_EQ(SPPD_Create(&display, window), SPPD_FAIL);  // nothing stored yet
  EXPECT_EQ(State()->pGfx, nullptr);
  EXPECT_EQ(State()->pDriverPool, nullptr);

  StorePrefs(641, 480);  // a mode nobody offers
  EXPECT_EQ(SPPD_Create(&display, window), SPPD_FAIL);
  EXPECT_EQ(State()->pGfx, nullptr);

  StorePrefs();
  SPPD_DRIVERSTATE p{};
  SPPD_ReadPreferences(&p);
  p.guidDisplay.Data1 ^= 1;  // a display device no longer installed
  SPPD_SavePreferences(&p);
  EXPECT_EQ(SPPD_Create(&display, window), SPPD_FAIL);
  EXPECT_EQ(State()->pLists, nullptr);

  StorePrefs();  // the same block takes a device after all those failures
  EXPECT_EQ(SPPD_Create(&display, window), SPPD_OK);
}

TEST_F(DeviceTest, AStoredModeTheDisplayRefusesIsNamedInTheLastError) {
  struct Case {
    int32_t width, height, bpp;
    const char* named;
  };
  const Case cases[] = {
      {641, 480, 16, "641x480 at 16 bits"},  // a size nobody offers
      {640, 480, 24, "640x480 at 24 bits"},  // a depth the display does not list
  };
  for (const Case& c : cases) {
    StorePrefs(c.width, c.height, c.bpp);
    EXPECT_EQ(SPPD_Create(&display, window), SPPD_FAIL) << c.named;
    EXPECT_NE(std::strstr(SPPD_GetLastErrorString(), c.named), nullptr)
        << c.named << ": " << SPPD_GetLastErrorString();
  }
}

TEST_F(DeviceTest, UnknownDeviceFallsBackToTheFirstListed) {
  StorePrefs();
  SPPD_DRIVERSTATE p{};
  SPPD_ReadPreferences(&p);
  p.guidDevice.Data1 ^= 1;
  SPPD_SavePreferences(&p);
  ASSERT_EQ(SPPD_Create(&display, window), SPPD_OK);
  EXPECT_TRUE(PLAT_GuidEqual(State()->guidDevice, PLAT_GfxHardwareDeviceGuid()));
}

TEST_F(DeviceTest, ZDepthAboveTheDisplayDepthIsLowered) {
  StorePrefs(640, 480, 16, 16, 32);
  ASSERT_EQ(SPPD_Create(&display, window), SPPD_OK);
  SPPD_DRIVERSTATE* s = State();
  EXPECT_EQ(s->nZDepth, 16);
  EXPECT_EQ(s->pLists->zFormats[s->pLists->chosenZFormat].zBits, 16);
}

TEST_F(DeviceTest, TextureFormatsFollowTBPPAndPalette) {
  StorePrefs(640, 480, 32, 32, 32);
  ASSERT_EQ(SPPD_Create(&display, window), SPPD_OK);
  EXPECT_EQ(SPPD_DoesSupport32BitTextures(&display), 1);
  ASSERT_EQ(State()->pLists->texFormats.size(), 1u);
  const SPPD_TEXFORMATENTRY& e = State()->pLists->texFormats[0];
  EXPECT_EQ(e.rBits + e.gBits + e.bBits + e.aBits, 32);
  EXPECT_EQ(State()->pLists->zFormats[State()->pLists->chosenZFormat].stencilBits, 8);
  SPPD_Destroy(&display);

  StorePrefs(640, 480, 16, 16, 16, 1);
  ASSERT_EQ(SPPD_Create(&display, window), SPPD_OK);
  ASSERT_EQ(State()->pLists->texFormats.size(), 1u);
  EXPECT_EQ(State()->pLists->texFormats[0].palettised, 1);
  EXPECT_EQ(State()->pLists->texFormats[0].paletteBits, 8);
}

TEST_F(DeviceTest, NewDeviceGetsTheDefaultRenderStates) {
  StorePrefs();
  ASSERT_EQ(SPPD_Create(&display, window), SPPD_OK);
  struct {
    PLAT_GfxState state;
    uint32_t value;
  } const expected[] = {
      {PLAT_GfxState::FogEnable, 1},
      {PLAT_GfxState::FogTableMode, PLAT_GFX_FOG_NONE},
      {PLAT_GfxState::FogColor, 0xCA6138},
      {PLAT_GfxState::FogStart, PLAT_FloatBits(0.0f)},
      {PLAT_GfxState::FogEnd, PLAT_FloatBits(0.3f)},
      {PLAT_GfxState::FogDensity, PLAT_FloatBits(0.3f)},
      {PLAT_GfxState::AlphaBlendEnable, 1},
      {PLAT_GfxState::CullMode, PLAT_GFX_CULL_NONE},
      {PLAT_GfxState::ZEnable, 1},
      {PLAT_GfxState::ZWriteEnable, 1},
      {PLAT_GfxState::ZFunc, PLAT_GFX_CMP_LESSEQUAL},
      {PLAT_GfxState::ZBias, 0},
      {PLAT_GfxState::Lighting, 0},
      {PLAT_GfxState::Extents, 0},
      {PLAT_GfxState::Ambient, 0},
  };
  for (const auto& e : expected)
    EXPECT_EQ(PLAT_GfxGetState(State()->pGfx, e.state), e.value)
        << "state " << static_cast<int>(e.state);
}

TEST_F(DeviceTest, ListsHoldTheReverseOfTheReportedOrder) {
  StorePrefs(640, 480, 32, 16, 32);
  ASSERT_EQ(SPPD_Create(&display, window), SPPD_OK);
  const SPPD_ENUMLISTS& L = *State()->pLists;

  PLAT_GfxPixelFormat z[PLAT_GFX_MAX_FORMATS];
  int nz = PLAT_GfxEnumZFormats(PLAT_GfxHardwareDeviceGuid(), z, PLAT_GFX_MAX_FORMATS);
  ASSERT_EQ(L.zFormats.size(), static_cast<size_t>(nz));
  for (int i = 0; i < nz; ++i) {
    const SPPD_ZFORMATENTRY& e = L.zFormats[nz - 1 - i];
    EXPECT_EQ(e.zBits, static_cast<int32_t>(z[i].bitCount)) << i;
    EXPECT_EQ(e.stencilBits, static_cast<int32_t>(z[i].stencilBits)) << i;
    EXPECT_EQ(e.depthNoStencil, e.zBits - e.stencilBits) << i;
  }
  // The first 32-bit format of the list is the one taken.
  for (size_t i = 0; i < L.zFormats.size(); ++i) {
    if (L.zFormats[i].zBits == 32) {
      EXPECT_EQ(L.chosenZFormat, static_cast<int32_t>(i));
      break;
    }
  }

  // 16-bit textures: reported 565, 1555, 4444; listed the other way round.
  ASSERT_EQ(L.texFormats.size(), 3u);
  const int32_t alpha[3] = {4, 1, 0};
  const int32_t green[3] = {4, 5, 6};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(L.texFormats[i].aBits, alpha[i]) << i;
    EXPECT_EQ(L.texFormats[i].gBits, green[i]) << i;
  }

  // Display modes stay in reported order.
  for (size_t i = 1; i < L.modes.size(); ++i) {
    const SPPD_MODEENTRY& a = L.modes[i - 1];
    const SPPD_MODEENTRY& b = L.modes[i];
    EXPECT_TRUE(a.width < b.width || (a.width == b.width && a.height <= b.height)) << i;
  }
}

TEST_F(DeviceTest, NoThirtyTwoBitTexturesLowersTBPPAndSavesIt) {
  StorePrefs(640, 480, 32, 32, 32);
  PLAT_GfxSimulateMissingTextureDepth(32);
  int32_t created = SPPD_Create(&display, window);
  int32_t supports = SPPD_DoesSupport32BitTextures(&display);
  PLAT_GfxSimulateMissingTextureDepth(0);
  ASSERT_EQ(created, SPPD_OK);
  EXPECT_EQ(supports, 0);
  EXPECT_EQ(State()->nTBPP, 16);
  EXPECT_EQ(Stored().TBPP, 16);
  ASSERT_FALSE(State()->pLists->texFormats.empty());
  for (const SPPD_TEXFORMATENTRY& e : State()->pLists->texFormats)
    EXPECT_EQ(e.format.bitCount, 16u);
}

TEST(DeviceModes, DefaultModeIsAlwaysFullScreen) {
  vntest::ScopedRegistry registry;
  SPPD_DRIVERSTATE p{};
  p.nWidth = 800;
  p.nHeight = 600;
  p.nBPP = 32;
  p.nTBPP = 32;
  p.nZDepth = 32;
  p.fFullScreen = 0;
  p.guidDisplay = SPPD_PRIMARY_DISPLAY_GUID;
  p.guidDevice = PLAT_GfxHardwareDeviceGuid();
  ASSERT_EQ(SPPD_SavePreferences(&p), SPPD_OK);
  SPPD_MODE m{};
  ASSERT_EQ(SPPD_GetDefaultMode(&m), SPPD_OK);
  EXPECT_EQ(m.Width, 800);
  EXPECT_EQ(m.Height, 600);
  EXPECT_EQ(m.BPP, 32);
  EXPECT_EQ(m.TBPP, 32);
  EXPECT_EQ(m.FullScreen, 1);
  EXPECT_EQ(SPPD_GetDefaultMode(nullptr), SPPD_FAIL);
}

TEST_F(DeviceTest, DisplayModesCountUsableOnlyWhenAsked) {
  StorePrefs(640, 480, 32, 16, 32);
  ASSERT_EQ(SPPD_Create(&display, window), SPPD_OK);
  int32_t out[4] = {};
  ASSERT_EQ(SPPD_GetDisplayMode(&display, 0, out, 0), out);
  EXPECT_EQ(out[2], 16);  // the list starts with an unusable 16-bit mode
  ASSERT_EQ(SPPD_GetDisplayMode(&display, 0, out, 1), out);
  EXPECT_EQ(out[0], 640);
  EXPECT_EQ(out[1], 480);
  EXPECT_EQ(out[2], 32);
  EXPECT_EQ(out[3], 16);  // the current TBPP
  EXPECT_EQ(SPPD_GetDisplayMode(&display, 1000, out, 0), nullptr);
  EXPECT_EQ(SPPD_GetDisplayMode(&display, -1, out, 0), nullptr);
  EXPECT_EQ(SPPD_GetDisplayMode(&display, 0, nullptr, 0), nullptr);
}

struct ModifyCase {
  uint32_t mask;
  bool withMode;
  int32_t result;
  int32_t deviceWidth;  // after the call
  int32_t storedWidth;
};

TEST_F(DeviceTest, ModifyFollowsItsMaskRules) {
  // Stored 800 by 600; the caller asks for 640 by 480.
  constexpr uint32_t size = SPPD_MODIFY_WIDTH | SPPD_MODIFY_HEIGHT;
  const ModifyCase cases[] = {
      {size | SPPD_MODIFY_RESTORE_PREFS, true, SPPD_OK, 640, 800},  // run at 640, keep the prefs
      {SPPD_MODIFY_STORED_MODE, false, SPPD_OK, 800, 800},         // the stored mode again
      {size | SPPD_MODIFY_NO_RECREATE, true, SPPD_OK, 800, 640},   // store only, keep the device
      {size | SPPD_MODIFY_NO_SAVE, true, SPPD_OK, 800, 800},       // re-created in the stored mode
      {size, true, SPPD_OK, 640, 640},                             // store and run
      {size, false, SPPD_FAIL, 800, 800},                          // no mode, not the stored one
  };
  for (const ModifyCase& c : cases) {
    StorePrefs(800, 600);
    SPPD_Destroy(&display);
    ASSERT_EQ(SPPD_Create(&display, window), SPPD_OK);
    SPPD_MODE mode{640, 480, 16, 16, 1};
    EXPECT_EQ(SPPD_Modify(&display, c.withMode ? &mode : nullptr, window, c.mask), c.result)
        << std::hex << c.mask;
    int32_t w = 0, h = 0;
    PLAT_GfxGetSize(State()->pGfx, &w, &h);
    EXPECT_EQ(w, c.deviceWidth) << std::hex << c.mask;
    EXPECT_EQ(Stored().Width, c.storedWidth) << std::hex << c.mask;
    if (!(c.mask & SPPD_MODIFY_NO_RECREATE) && c.result == SPPD_OK) {
      EXPECT_EQ(display.fWidth,
                static_cast<float>(c.mask & SPPD_MODIFY_NO_SAVE ? 640 : c.deviceWidth));
    }
  }
}

TEST(DeviceExports, RefuseADisplayWithoutBlock) {
  SPW_DISPLAY bare{};
  EXPECT_EQ(SPPD_Create(&bare, nullptr), SPPD_FAIL);
  EXPECT_EQ(SPPD_Destroy(&bare), SPPD_FAIL);
  EXPECT_EQ(SPPD_DoesSupport32BitTextures(&bare), 0);
  int32_t out[4];
  EXPECT_EQ(SPPD_GetDisplayMode(&bare, 0, out, 0), nullptr);
}

}  // namespace
