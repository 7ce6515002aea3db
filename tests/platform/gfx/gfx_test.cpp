#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/gfx/gfx.h"
#include "platform/window/window.h"

namespace {

constexpr int W = 64, H = 48;

// The reported Z format of this many bits, with or without stencil.
PLAT_GfxPixelFormat ZFormat(uint32_t bits, bool stencil) {
  PLAT_GfxPixelFormat z[PLAT_GFX_MAX_FORMATS];
  int n = PLAT_GfxEnumZFormats(PLAT_GfxHardwareDeviceGuid(), z, PLAT_GFX_MAX_FORMATS);
  for (int i = 0; i < n && i < PLAT_GFX_MAX_FORMATS; ++i)
    if (z[i].bitCount == bits && (z[i].stencilBits != 0) == stencil) return z[i];
  ADD_FAILURE() << "no " << bits << "-bit Z format";
  return {};
}

class GfxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(PLAT_GfxInit());
    window = PLAT_CreateWindow("gfx", W, H, PLAT_WINDOW_OPENGL);
    ASSERT_NE(window, nullptr);
    PLAT_GfxResult why;
    dev = PLAT_GfxCreateDevice(window, {W, H, 32, true}, &why);
    ASSERT_NE(dev, nullptr);
    ASSERT_EQ(PLAT_GfxCreateZBuffer(dev, ZFormat(32, true)), PLAT_GfxResult::Ok);  // 24 Z, 8 stencil
    PLAT_GfxSetState(dev, PLAT_GfxState::ZEnable, 1);
    PLAT_GfxSetState(dev, PLAT_GfxState::CullMode, PLAT_GFX_CULL_NONE);
  }
  void TearDown() override {
    PLAT_GfxDestroyDevice(dev);
    if (window) PLAT_DestroyWindow(window);
  }

  uint32_t Pixel(int x, int y, PLAT_GfxSurface s = PLAT_GfxSurface::Back) {
    uint32_t p = 0;
    EXPECT_TRUE(PLAT_GfxReadPixels(dev, s, x, y, 1, 1, &p));
    return p;
  }

  // A rectangle as a fan, covering pixels x0..x1-1 and y0..y1-1.
  void Quad(float x0, float y0, float x1, float y1, uint32_t colour, float z = 0.5f,
            uint32_t specular = 0xFF000000, float rhw = 1.0f) {
    PLAT_GfxVertex v[4] = {{x0 - 0.5f, y0 - 0.5f, z, rhw, colour, specular, 0, 0},
                           {x1 - 0.5f, y0 - 0.5f, z, rhw, colour, specular, 1, 0},
                           {x1 - 0.5f, y1 - 0.5f, z, rhw, colour, specular, 1, 1},
                           {x0 - 0.5f, y1 - 0.5f, z, rhw, colour, specular, 0, 1}};
    ASSERT_EQ(PLAT_GfxDraw(dev, PLAT_GfxPrimitive::TriangleFan, v, 4), PLAT_GfxResult::Ok);
  }

  PLAT_Window* window = nullptr;
  PLAT_GfxDevice* dev = nullptr;
};

TEST(GfxEnum, ReportsPrimaryDisplayStandardModesAndFormats) {
  ASSERT_TRUE(PLAT_GfxInit());
  PLAT_GfxDisplayDevice displays[4];
  ASSERT_GE(PLAT_GfxEnumDisplayDevices(displays, 4), 1);
  PLAT_GUID zero{};
  EXPECT_TRUE(PLAT_GuidEqual(displays[0].guid, zero));

  PLAT_GfxDisplayMode modes[PLAT_GFX_MAX_MODES];
  int n = PLAT_GfxEnumDisplayModes(zero, modes, PLAT_GFX_MAX_MODES);
  bool m16 = false, m32 = false;
  for (int i = 0; i < n && i < PLAT_GFX_MAX_MODES; ++i) {
    if (modes[i].width == 640 && modes[i].height == 480) {
      m16 |= modes[i].bpp == 16;
      m32 |= modes[i].bpp == 32;
    }
  }
  EXPECT_TRUE(m16 && m32);

  PLAT_Gfx3DDevice d3[2];
  ASSERT_EQ(PLAT_GfxEnum3DDevices(zero, d3, 2), 1);
  EXPECT_TRUE(d3[0].caps & PLAT_GFX_CAP_HWRASTERIZATION);
  EXPECT_FALSE(d3[0].caps & PLAT_GFX_CAP_HWTRANSFORMLIGHT);
  EXPECT_EQ(d3[0].renderBitDepths, PLAT_GFX_DEPTH_16 | PLAT_GFX_DEPTH_32);

  PLAT_GfxPixelFormat tf[PLAT_GFX_MAX_FORMATS];
  int nt = PLAT_GfxEnumTextureFormats(d3[0].guid, tf, PLAT_GFX_MAX_FORMATS);
  ASSERT_EQ(nt, 5);
  int palettised = 0;
  for (int i = 0; i < nt; ++i) {
    PLAT_GfxTexFormat f;
    EXPECT_TRUE(PLAT_GfxFormatFromRecord(tf[i], &f));
    palettised += (tf[i].flags & PLAT_GFX_PF_PALETTEINDEXED8) ? 1 : 0;
  }
  EXPECT_EQ(palettised, 1);
  EXPECT_EQ(PLAT_GfxEnumTextureFormats(zero, tf, PLAT_GFX_MAX_FORMATS), -1);

  // A card without 32-bit textures, as the driver's fallback to 16 bits needs to be tested.
  PLAT_GfxSimulateMissingTextureDepth(32);
  nt = PLAT_GfxEnumTextureFormats(d3[0].guid, tf, PLAT_GFX_MAX_FORMATS);
  PLAT_GfxSimulateMissingTextureDepth(0);
  ASSERT_EQ(nt, 4);
  for (int i = 0; i < nt; ++i) EXPECT_NE(tf[i].bitCount, 32u);
  EXPECT_EQ(PLAT_GfxEnumTextureFormats(d3[0].guid, tf, PLAT_GFX_MAX_FORMATS), 5);
}

TEST_F(GfxTest, ClearShowsAfterFlip) {
  ASSERT_EQ(PLAT_GfxClear(dev, PLAT_GFX_CLEAR_TARGET, nullptr, 0, 0xFF336699, 1.0f, 0),
            PLAT_GfxResult::Ok);
  EXPECT_EQ(Pixel(0, 0), 0xFF336699u);
  EXPECT_EQ(Pixel(W - 1, H - 1), 0xFF336699u);
  EXPECT_EQ(Pixel(5, 5, PLAT_GfxSurface::Front), 0xFF000000u);
  ASSERT_EQ(PLAT_GfxFlip(dev), PLAT_GfxResult::Ok);
  EXPECT_EQ(Pixel(5, 5, PLAT_GfxSurface::Front), 0xFF336699u);
  EXPECT_EQ(Pixel(5, 5, PLAT_GfxSurface::Back), 0xFF000000u);  // the old front
}

TEST_F(GfxTest, ViewportAndRectanglesLimitTheClear) {
  PLAT_GfxClear(dev, PLAT_GFX_CLEAR_TARGET, nullptr, 0, 0xFF000000, 1.0f, 0);
  ASSERT_EQ(PLAT_GfxSetViewport(dev, {10, 5, 20, 10, 0.0f, 1.0f}), PLAT_GfxResult::Ok);
  PLAT_GfxRect r{0, 0, 15, 100};  // only x 10..14 survives the viewport
  ASSERT_EQ(PLAT_GfxClear(dev, PLAT_GFX_CLEAR_TARGET, &r, 1, 0xFFFF0000, 1.0f, 0),
            PLAT_GfxResult::Ok);
  EXPECT_EQ(Pixel(10, 5), 0xFFFF0000u);
  EXPECT_EQ(Pixel(14, 14), 0xFFFF0000u);
  EXPECT_EQ(Pixel(15, 5), 0xFF000000u);
  EXPECT_EQ(Pixel(9, 5), 0xFF000000u);
  EXPECT_EQ(Pixel(10, 15), 0xFF000000u);
  EXPECT_EQ(Pixel(10, 4), 0xFF000000u);
  EXPECT_EQ(PLAT_GfxSetViewport(dev, {50, 0, 20, 10, 0.0f, 1.0f}), PLAT_GfxResult::BadArgument);
}

TEST_F(GfxTest, QuadCoversExactlyItsPixelsWhateverItsRhw) {
  for (float rhw : {1.0f, 0.25f}) {
    PLAT_GfxClear(dev, PLAT_GFX_CLEAR_TARGET | PLAT_GFX_CLEAR_ZBUFFER, nullptr, 0, 0xFF000000,
                  1.0f, 0);
    Quad(2, 3, 6, 9, 0xFF00FF00, 0.5f, 0xFF000000, rhw);
    EXPECT_EQ(Pixel(2, 3), 0xFF00FF00u) << rhw;
    EXPECT_EQ(Pixel(5, 8), 0xFF00FF00u) << rhw;
    EXPECT_EQ(Pixel(6, 3), 0xFF000000u) << rhw;
    EXPECT_EQ(Pixel(2, 9), 0xFF000000u) << rhw;
    EXPECT_EQ(Pixel(1, 2), 0xFF000000u) << rhw;
  }
}

TEST_F(GfxTest, DepthTestKeepsTheNearerSurface) {
  PLAT_GfxClear(dev, PLAT_GFX_CLEAR_TARGET | PLAT_GFX_CLEAR_ZBUFFER, nullptr, 0, 0xFF000000,
                1.0f, 0);
  Quad(0, 0, 8, 8, 0xFFFF0000, 0.25f);
  Quad(0, 0, 8, 8, 0xFF00FF00, 0.75f);
  EXPECT_EQ(Pixel(4, 4), 0xFFFF0000u);
  float z = 0;
  ASSERT_TRUE(PLAT_GfxReadDepth(dev, 4, 4, 1, 1, &z));
  EXPECT_NEAR(z, 0.25f, 1e-4);
  PLAT_GfxSetState(dev, PLAT_GfxState::ZWriteEnable, 0);
  Quad(0, 0, 8, 8, 0xFF0000FF, 0.1f);
  ASSERT_TRUE(PLAT_GfxReadDepth(dev, 4, 4, 1, 1, &z));
  EXPECT_NEAR(z, 0.25f, 1e-4);
  EXPECT_EQ(Pixel(4, 4), 0xFF0000FFu);
}

TEST_F(GfxTest, BlendAlphaTestFogAndCullFollowTheirStates) {
  PLAT_GfxClear(dev, PLAT_GFX_CLEAR_TARGET | PLAT_GFX_CLEAR_ZBUFFER, nullptr, 0, 0xFF000000,
                1.0f, 0);
  PLAT_GfxSetState(dev, PLAT_GfxState::ZEnable, 0);
  // Half-transparent white over black.
  PLAT_GfxSetState(dev, PLAT_GfxState::AlphaBlendEnable, 1);
  PLAT_GfxSetState(dev, PLAT_GfxState::SrcBlend, PLAT_GFX_BLEND_SRCALPHA);
  PLAT_GfxSetState(dev, PLAT_GfxState::DestBlend, PLAT_GFX_BLEND_INVSRCALPHA);
  Quad(0, 0, 4, 4, 0x80FFFFFF);
  uint32_t p = Pixel(1, 1);
  EXPECT_NEAR(static_cast<int>((p >> 16) & 0xFF), 128, 1);
  PLAT_GfxSetState(dev, PLAT_GfxState::AlphaBlendEnable, 0);

  // Alpha test: 0x80 is not greater than 0x80.
  PLAT_GfxSetState(dev, PLAT_GfxState::AlphaTestEnable, 1);
  PLAT_GfxSetState(dev, PLAT_GfxState::AlphaFunc, PLAT_GFX_CMP_GREATER);
  PLAT_GfxSetState(dev, PLAT_GfxState::AlphaRef, 0x80);
  Quad(4, 0, 8, 4, 0x80FF0000);
  Quad(8, 0, 12, 4, 0x81FF0000);
  EXPECT_EQ(Pixel(5, 1), 0xFF000000u);
  EXPECT_EQ(Pixel(9, 1) & 0xFFFFFF, 0xFF0000u);
  PLAT_GfxSetState(dev, PLAT_GfxState::AlphaTestEnable, 0);

  // Fog from the specular alpha: 0 is all fog, 255 none.
  PLAT_GfxSetState(dev, PLAT_GfxState::FogEnable, 1);
  PLAT_GfxSetState(dev, PLAT_GfxState::FogColor, 0x0000FF);
  Quad(12, 0, 16, 4, 0xFFFF0000, 0.5f, 0x00000000);
  Quad(16, 0, 20, 4, 0xFFFF0000, 0.5f, 0xFF000000);
  EXPECT_EQ(Pixel(13, 1) & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(Pixel(17, 1) & 0xFFFFFF, 0xFF0000u);
  PLAT_GfxSetState(dev, PLAT_GfxState::FogEnable, 0);

  // Clockwise on screen is culled by the clockwise cull mode only.
  PLAT_GfxVertex cw[3] = {{20, 0, 0.5f, 1, 0xFFFFFF00, 0xFF000000, 0, 0},
                          {30, 0, 0.5f, 1, 0xFFFFFF00, 0xFF000000, 0, 0},
                          {20, 10, 0.5f, 1, 0xFFFFFF00, 0xFF000000, 0, 0}};
  PLAT_GfxSetState(dev, PLAT_GfxState::CullMode, PLAT_GFX_CULL_CW);
  PLAT_GfxDraw(dev, PLAT_GfxPrimitive::TriangleList, cw, 3);
  EXPECT_EQ(Pixel(22, 2), 0xFF000000u);
  PLAT_GfxSetState(dev, PLAT_GfxState::CullMode, PLAT_GFX_CULL_CCW);
  PLAT_GfxDraw(dev, PLAT_GfxPrimitive::TriangleList, cw, 3);
  EXPECT_EQ(Pixel(22, 2), 0xFFFFFF00u);
}

struct FormatCase {
  PLAT_GfxTexFormat format;
  uint32_t texel;     // in the format's own layout
  uint32_t expected;  // ARGB after drawing with the texture's colour and alpha
};

TEST_F(GfxTest, EachTextureFormatDrawsItsTexels) {
  const FormatCase cases[] = {
      {PLAT_GfxTexFormat::R5G6B5, 0xF800, 0xFFFF0000},
      {PLAT_GfxTexFormat::R5G6B5, 0x07E0, 0xFF00FF00},
      {PLAT_GfxTexFormat::A1R5G5B5, 0x801F, 0xFF0000FF},
      {PLAT_GfxTexFormat::A4R4G4B4, 0xFF0F, 0xFFFF00FF},
      {PLAT_GfxTexFormat::A8R8G8B8, 0xFF123456, 0xFF123456},
      {PLAT_GfxTexFormat::P8, 7, 0xFF00FFFF},  // palette entry 7
  };
  PLAT_GfxSetState(dev, PLAT_GfxState::ZEnable, 0);
  PLAT_GfxSetStageState(dev, 0, PLAT_GfxStageState::AlphaOp, PLAT_GFX_TOP_MODULATE);
  for (const FormatCase& c : cases) {
    PLAT_GfxTexture* tex = PLAT_GfxCreateTexture(dev, 4, 4, 1, c.format);
    ASSERT_NE(tex, nullptr);
    EXPECT_EQ(PLAT_GfxTextureFormat(tex), c.format);
    if (c.format == PLAT_GfxTexFormat::P8) {
      uint32_t pal[256] = {};
      pal[7] = 0xFF00FFFF;
      ASSERT_EQ(PLAT_GfxSetPalette(tex, pal), PLAT_GfxResult::Ok);
    }
    PLAT_GfxLock lock;
    ASSERT_EQ(PLAT_GfxLockTexture(tex, 0, &lock), PLAT_GfxResult::Ok);
    for (int y = 0; y < lock.height; ++y) {
      auto* row = static_cast<uint8_t*>(lock.bits) + y * lock.pitch;
      for (int x = 0; x < lock.width; ++x) {
        if (c.format == PLAT_GfxTexFormat::A8R8G8B8) std::memcpy(row + x * 4, &c.texel, 4);
        else if (c.format == PLAT_GfxTexFormat::P8) row[x] = static_cast<uint8_t>(c.texel);
        else {
          uint16_t t = static_cast<uint16_t>(c.texel);
          std::memcpy(row + x * 2, &t, 2);
        }
      }
    }
    PLAT_GfxUnlockTexture(tex, 0);
    PLAT_GfxClear(dev, PLAT_GFX_CLEAR_TARGET, nullptr, 0, 0xFF000000, 1.0f, 0);
    PLAT_GfxSetTexture(dev, 0, tex);
    Quad(0, 0, 8, 8, 0xFFFFFFFF);
    EXPECT_EQ(Pixel(3, 3), c.expected) << static_cast<int>(c.format) << " " << c.texel;
    PLAT_GfxReleaseTexture(tex);
  }
}

TEST_F(GfxTest, MipChainsRunDownToOnePixel) {
  PLAT_GfxTexture* tex = PLAT_GfxCreateTexture(dev, 8, 2, 0, PLAT_GfxTexFormat::R5G6B5);
  ASSERT_NE(tex, nullptr);
  EXPECT_EQ(PLAT_GfxTextureLevels(tex), 4);
  PLAT_GfxLock lock;
  ASSERT_EQ(PLAT_GfxLockTexture(tex, 3, &lock), PLAT_GfxResult::Ok);
  EXPECT_EQ(lock.width, 1);
  EXPECT_EQ(lock.height, 1);
  EXPECT_EQ(PLAT_GfxLockTexture(tex, 4, &lock), PLAT_GfxResult::BadArgument);
  PLAT_GfxReleaseTexture(tex);
  EXPECT_EQ(PLAT_GfxCreateTexture(dev, 6, 4, 3, PLAT_GfxTexFormat::R5G6B5), nullptr);
  EXPECT_EQ(PLAT_GfxCreateTexture(dev, 0, 4, 1, PLAT_GfxTexFormat::R5G6B5), nullptr);
  EXPECT_EQ(PLAT_GfxCreateTexture(dev, 4096, 4, 1, PLAT_GfxTexFormat::R5G6B5), nullptr);
}

TEST_F(GfxTest, SimulatedLossNeedsRestoreBeforeFlipAndEmptiesTextures) {
  PLAT_GfxTexture* tex = PLAT_GfxCreateTexture(dev, 2, 2, 1, PLAT_GfxTexFormat::A8R8G8B8);
  PLAT_GfxLock lock;
  ASSERT_EQ(PLAT_GfxLockTexture(tex, 0, &lock), PLAT_GfxResult::Ok);
  std::memset(lock.bits, 0xFF, 16);
  PLAT_GfxUnlockTexture(tex, 0);

  PLAT_GfxSimulateLoss(dev);
  EXPECT_TRUE(PLAT_GfxIsLost(dev, PLAT_GfxSurface::Front));
  EXPECT_TRUE(PLAT_GfxIsLost(dev, PLAT_GfxSurface::Back));
  EXPECT_TRUE(PLAT_GfxIsLost(dev, PLAT_GfxSurface::ZBuffer));
  EXPECT_TRUE(PLAT_GfxTextureIsLost(tex));
  EXPECT_EQ(PLAT_GfxFlip(dev), PLAT_GfxResult::SurfaceLost);
  EXPECT_EQ(PLAT_GfxLockTexture(tex, 0, &lock), PLAT_GfxResult::SurfaceLost);
  PLAT_GfxVertex v[3] = {};
  EXPECT_EQ(PLAT_GfxDraw(dev, PLAT_GfxPrimitive::TriangleList, v, 3),
            PLAT_GfxResult::SurfaceLost);

  for (auto s : {PLAT_GfxSurface::Front, PLAT_GfxSurface::Back, PLAT_GfxSurface::ZBuffer})
    EXPECT_EQ(PLAT_GfxRestore(dev, s), PLAT_GfxResult::Ok);
  EXPECT_EQ(PLAT_GfxFlip(dev), PLAT_GfxResult::Ok);
  ASSERT_EQ(PLAT_GfxRestoreTexture(tex), PLAT_GfxResult::Ok);
  ASSERT_EQ(PLAT_GfxLockTexture(tex, 0, &lock), PLAT_GfxResult::Ok);
  EXPECT_EQ(static_cast<uint8_t*>(lock.bits)[0], 0);  // the old texels are gone
  PLAT_GfxReleaseTexture(tex);
}

TEST_F(GfxTest, BadArgumentsAreRefusedWithoutEffect) {
  EXPECT_EQ(PLAT_GfxSetState(dev, PLAT_GfxState::SrcBlend, 99), PLAT_GfxResult::BadArgument);
  EXPECT_EQ(PLAT_GfxGetState(dev, PLAT_GfxState::SrcBlend), PLAT_GFX_BLEND_ONE);
  EXPECT_EQ(PLAT_GfxSetStageState(dev, 2, PLAT_GfxStageState::ColorOp, PLAT_GFX_TOP_MODULATE),
            PLAT_GfxResult::BadArgument);
  PLAT_GfxVertex v[3] = {};
  uint16_t idx[3] = {0, 1, 3};
  EXPECT_EQ(PLAT_GfxDrawIndexed(dev, PLAT_GfxPrimitive::TriangleList, v, 3, idx, 3),
            PLAT_GfxResult::BadArgument);
  EXPECT_EQ(PLAT_GfxDraw(dev, PLAT_GfxPrimitive::TriangleList, nullptr, 3),
            PLAT_GfxResult::BadArgument);
  uint32_t px;
  EXPECT_FALSE(PLAT_GfxReadPixels(dev, PLAT_GfxSurface::Back, W, 0, 1, 1, &px));
  PLAT_GfxResult why;
  EXPECT_EQ(PLAT_GfxCreateDevice(window, {0, 480, 16, true}, &why), nullptr);
  EXPECT_EQ(why, PLAT_GfxResult::BadArgument);
}

TEST(GfxDevice, StencilClearNeedsAStencilBuffer) {
  ASSERT_TRUE(PLAT_GfxInit());
  PLAT_Window* w = PLAT_CreateWindow("gfx", 32, 32, PLAT_WINDOW_OPENGL);
  PLAT_GfxDevice* dev = PLAT_GfxCreateDevice(w, {32, 32, 16, true}, nullptr);
  ASSERT_NE(dev, nullptr);
  PLAT_GfxDisplayMode m;
  ASSERT_TRUE(PLAT_GfxGetCurrentMode(&m));
  EXPECT_EQ(m.bpp, 16);  // the device holds the display in its mode
  EXPECT_EQ(PLAT_GfxClear(dev, PLAT_GFX_CLEAR_STENCIL, nullptr, 0, 0, 1.0f, 0),
            PLAT_GfxResult::BadArgument);
  ASSERT_EQ(PLAT_GfxCreateZBuffer(dev, ZFormat(16, false)), PLAT_GfxResult::Ok);
  EXPECT_EQ(PLAT_GfxClear(dev, PLAT_GFX_CLEAR_ZBUFFER, nullptr, 0, 0, 1.0f, 0),
            PLAT_GfxResult::Ok);
  EXPECT_EQ(PLAT_GfxClear(dev, PLAT_GFX_CLEAR_STENCIL, nullptr, 0, 0, 1.0f, 0),
            PLAT_GfxResult::BadArgument);
  PLAT_GfxDestroyDevice(dev);
  PLAT_DestroyWindow(w);
}

}  // namespace
