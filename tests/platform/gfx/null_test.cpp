#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/gfx/gfx.h"
#include "platform/window/window.h"
#include "tests/support/support.h"

namespace {

constexpr int W = 64, H = 48;
constexpr uint32_t kRed = 0xFFFF0000;

// Sets VANTORIA_GFX for one test and puts back what was there.
class ScopedGfxChoice {
 public:
  explicit ScopedGfxChoice(const char* value) {
    if (const char* old = std::getenv("VANTORIA_GFX")) saved_ = old, had_ = true;
    setenv("VANTORIA_GFX", value, 1);
  }
  ~ScopedGfxChoice() {
    if (had_) setenv("VANTORIA_GFX", saved_.c_str(), 1);
    else unsetenv("VANTORIA_GFX");
  }

 private:
  std::string saved_;
  bool had_ = false;
};

PLAT_GfxPixelFormat ZFormat() {
  PLAT_GfxPixelFormat z{};
  z.flags = PLAT_GFX_PF_ZBUFFER | PLAT_GFX_PF_STENCILBUFFER;
  z.bitCount = 32;
  z.stencilBits = 8;
  return z;
}

class NullDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PLAT_GfxResult why = PLAT_GfxResult::Failed;
    // No window and no video system: nothing of GL is needed.
    dev = PLAT_GfxCreateDevice(nullptr, {W, H, 16, true}, &why);
    ASSERT_NE(dev, nullptr);
    EXPECT_EQ(why, PLAT_GfxResult::Ok);
  }
  void TearDown() override { PLAT_GfxDestroyDevice(dev); }

  ScopedGfxChoice choice{"null"};
  PLAT_GfxDevice* dev = nullptr;
};

TEST_F(NullDeviceTest, KeepsSizeViewportAndStatesForTheCallerToReadBack) {
  int32_t w = 0, h = 0;
  PLAT_GfxGetSize(dev, &w, &h);
  EXPECT_EQ(w, W);
  EXPECT_EQ(h, H);
  EXPECT_EQ(PLAT_GfxGetState(dev, PLAT_GfxState::SrcBlend), PLAT_GFX_BLEND_ONE);
  EXPECT_EQ(PLAT_GfxGetState(dev, PLAT_GfxState::ZEnable), 0u);  // no Z buffer yet

  EXPECT_EQ(PLAT_GfxSetState(dev, PLAT_GfxState::DestBlend, PLAT_GFX_BLEND_INVSRCALPHA),
            PLAT_GfxResult::Ok);
  EXPECT_EQ(PLAT_GfxGetState(dev, PLAT_GfxState::DestBlend), PLAT_GFX_BLEND_INVSRCALPHA);
  EXPECT_EQ(PLAT_GfxSetState(dev, PLAT_GfxState::ZBias, 17), PLAT_GfxResult::BadArgument);
  EXPECT_EQ(PLAT_GfxGetState(dev, PLAT_GfxState::ZBias), 0u);
  EXPECT_EQ(PLAT_GfxSetStageState(dev, 0, PLAT_GfxStageState::AddressU, PLAT_GFX_ADDRESS_CLAMP),
            PLAT_GfxResult::Ok);
  EXPECT_EQ(PLAT_GfxGetStageState(dev, 0, PLAT_GfxStageState::AddressU), PLAT_GFX_ADDRESS_CLAMP);

  EXPECT_EQ(PLAT_GfxSetViewport(dev, {8, 4, 16, 12, 0.0f, 1.0f}), PLAT_GfxResult::Ok);
  EXPECT_EQ(PLAT_GfxGetViewport(dev).width, 16);
  EXPECT_EQ(PLAT_GfxSetViewport(dev, {60, 0, 16, 12, 0.0f, 1.0f}), PLAT_GfxResult::BadArgument);
  EXPECT_EQ(PLAT_GfxGetViewport(dev).x, 8);
}

TEST_F(NullDeviceTest, ChecksDrawsAndScenesAsTheGlDeviceDoes) {
  const PLAT_GfxVertex v[3] = {{0, 0, 0.5f, 1, kRed, 0xFF000000, 0, 0},
                               {8, 0, 0.5f, 1, kRed, 0xFF000000, 0, 0},
                               {0, 8, 0.5f, 1, kRed, 0xFF000000, 0, 0}};
  const uint16_t good[3] = {0, 1, 2}, past[3] = {0, 1, 3};
  ASSERT_EQ(PLAT_GfxBeginScene(dev), PLAT_GfxResult::Ok);
  EXPECT_TRUE(PLAT_GfxInScene(dev));
  EXPECT_EQ(PLAT_GfxBeginScene(dev), PLAT_GfxResult::Failed);
  EXPECT_EQ(PLAT_GfxDraw(dev, PLAT_GfxPrimitive::TriangleFan, v, 3), PLAT_GfxResult::Ok);
  EXPECT_EQ(PLAT_GfxDrawIndexed(dev, PLAT_GfxPrimitive::TriangleList, v, 3, good, 3),
            PLAT_GfxResult::Ok);
  EXPECT_EQ(PLAT_GfxDrawIndexed(dev, PLAT_GfxPrimitive::TriangleList, v, 3, past, 3),
            PLAT_GfxResult::BadArgument);
  EXPECT_EQ(PLAT_GfxDraw(dev, static_cast<PLAT_GfxPrimitive>(9), v, 3),
            PLAT_GfxResult::BadArgument);
  EXPECT_EQ(PLAT_GfxEndScene(dev), PLAT_GfxResult::Ok);
  EXPECT_EQ(PLAT_GfxEndScene(dev), PLAT_GfxResult::Failed);
  EXPECT_EQ(PLAT_GfxFlip(dev), PLAT_GfxResult::Ok);
}

TEST_F(NullDeviceTest, ZBufferLossAndRestoreGoAsOnTheGlDevice) {
  EXPECT_EQ(PLAT_GfxClear(dev, PLAT_GFX_CLEAR_ZBUFFER, nullptr, 0, 0, 1.0f, 0),
            PLAT_GfxResult::BadArgument);  // no Z buffer to clear yet
  ASSERT_EQ(PLAT_GfxCreateZBuffer(dev, ZFormat()), PLAT_GfxResult::Ok);
  EXPECT_EQ(PLAT_GfxClear(dev, PLAT_GFX_CLEAR_TARGET | PLAT_GFX_CLEAR_ZBUFFER |
                                   PLAT_GFX_CLEAR_STENCIL, nullptr, 0, kRed, 1.0f, 0),
            PLAT_GfxResult::Ok);

  PLAT_GfxTexture* tex = PLAT_GfxCreateTexture(dev, 4, 4, 1, PLAT_GfxTexFormat::A8R8G8B8);
  ASSERT_NE(tex, nullptr);
  PLAT_GfxSimulateLoss(dev);
  EXPECT_TRUE(PLAT_GfxIsLost(dev, PLAT_GfxSurface::Back));
  EXPECT_TRUE(PLAT_GfxIsLost(dev, PLAT_GfxSurface::ZBuffer));
  EXPECT_TRUE(PLAT_GfxTextureIsLost(tex));
  EXPECT_EQ(PLAT_GfxClear(dev, PLAT_GFX_CLEAR_ZBUFFER, nullptr, 0, 0, 1.0f, 0),
            PLAT_GfxResult::SurfaceLost);
  EXPECT_EQ(PLAT_GfxFlip(dev), PLAT_GfxResult::SurfaceLost);
  for (PLAT_GfxSurface s : {PLAT_GfxSurface::Front, PLAT_GfxSurface::Back, PLAT_GfxSurface::ZBuffer})
    EXPECT_EQ(PLAT_GfxRestore(dev, s), PLAT_GfxResult::Ok);
  EXPECT_EQ(PLAT_GfxRestoreTexture(tex), PLAT_GfxResult::Ok);
  EXPECT_EQ(PLAT_GfxClear(dev, PLAT_GFX_CLEAR_ZBUFFER, nullptr, 0, 0, 1.0f, 0), PLAT_GfxResult::Ok);
  PLAT_GfxReleaseTexture(tex);
}

TEST_F(NullDeviceTest, TexturesKeepTheirPixelsAndBindToTheirOwnDeviceOnly) {
  PLAT_GfxTexture* tex = PLAT_GfxCreateTexture(dev, 8, 8, 0, PLAT_GfxTexFormat::R5G6B5);
  ASSERT_NE(tex, nullptr);
  EXPECT_EQ(PLAT_GfxTextureLevels(tex), 4);
  PLAT_GfxLock lock{};
  ASSERT_EQ(PLAT_GfxLockTexture(tex, 1, &lock), PLAT_GfxResult::Ok);
  EXPECT_EQ(lock.width, 4);
  static_cast<uint16_t*>(lock.bits)[5] = 0xF800;
  ASSERT_EQ(PLAT_GfxUnlockTexture(tex, 1), PLAT_GfxResult::Ok);
  ASSERT_EQ(PLAT_GfxLockTexture(tex, 1, &lock), PLAT_GfxResult::Ok);
  EXPECT_EQ(static_cast<uint16_t*>(lock.bits)[5], 0xF800);
  EXPECT_EQ(PLAT_GfxSetTexture(dev, 0, tex), PLAT_GfxResult::Ok);
  PLAT_GfxEvictManagedTextures(dev);

  PLAT_GfxDevice* other = PLAT_GfxCreateDevice(nullptr, {W, H, 16, true}, nullptr);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(PLAT_GfxSetTexture(other, 0, tex), PLAT_GfxResult::BadArgument);
  PLAT_GfxDestroyDevice(other);
  PLAT_GfxReleaseTexture(tex);
}

// The choice, told apart by what a clear to red reads back: the null device draws nothing.
TEST(GfxDeviceChoice, NullDrawsNothingAndAnyOtherNameGivesTheGlDevice) {
  struct Case {
    const char* value;
    uint32_t readBack;
    const char* trace;
  };
  const Case cases[] = {{"null", 0xFF000000, nullptr},
                        {"", kRed, nullptr},
                        {"NULL", kRed, "VANTORIA_GFX=NULL names no device"}};
  ASSERT_TRUE(PLAT_GfxInit());
  PLAT_Window* window = PLAT_CreateWindow("choice", W, H, PLAT_WINDOW_OPENGL);
  ASSERT_NE(window, nullptr);
  for (const Case& c : cases) {
    ScopedGfxChoice choice(c.value);
    vntest::TraceCapture traces;
    PLAT_GfxDevice* dev = PLAT_GfxCreateDevice(window, {W, H, 32, false}, nullptr);
    ASSERT_NE(dev, nullptr) << c.value;
    EXPECT_EQ(PLAT_GfxClear(dev, PLAT_GFX_CLEAR_TARGET, nullptr, 0, kRed, 1.0f, 0),
              PLAT_GfxResult::Ok);
    uint32_t pixel = 0;
    EXPECT_TRUE(PLAT_GfxReadPixels(dev, PLAT_GfxSurface::Back, 3, 3, 1, 1, &pixel));
    EXPECT_EQ(pixel, c.readBack) << c.value;
    if (c.trace) {
      EXPECT_TRUE(traces.contains(c.trace)) << c.value;
    }
    float depth = 0.0f;
    if (c.readBack != kRed) {
      EXPECT_EQ(PLAT_GfxCreateZBuffer(dev, ZFormat()), PLAT_GfxResult::Ok);
      EXPECT_TRUE(PLAT_GfxReadDepth(dev, 0, 0, 1, 1, &depth));
      EXPECT_EQ(depth, 1.0f);
    }
    PLAT_GfxDestroyDevice(dev);
  }
  PLAT_DestroyWindow(window);
}

}  // namespace
