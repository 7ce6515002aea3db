#pragma once
// A created display in a scene, cleared to black, with a 640x480 view (near 1, far 100) and
// helpers that build quads, textures and read pixels back.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver/batch/alpha.h"
#include "driver/batch/lists.h"
#include "driver/batch/primitive.h"
#include "driver/batch/texlookup.h"
#include "driver/device/frame.h"
#include "driver/device/renderstate.h"
#include "engine/display/display.h"
#include "engine/kernel/kernel.h"
#include "tests/driver/gldev_fixture.h"
#include "tools/writers/ppm_writer.h"

namespace drawtest {

inline constexpr float kNear = 1.0f, kFar = 100.0f;

class DrawTest : public gldevtest::DriverDisplay {
 protected:
  void SetUp() override {
    gldevtest::DriverDisplay::SetUp();
    if (HasFatalFailure()) return;
    StorePrefs(640, 480, 32, 32, 16);
    ASSERT_EQ(SPPD_Create(&display, window), SPPD_OK);
    SPPD_EnableTexturePreLoad(0);  // table textures load at their first draw
    SetView(0xFF00FF00);
    ASSERT_EQ(SPPD_BeginScene(&display), SPPD_OK);
    Clear(0xFF000000);
  }
  void TearDown() override {
    for (PLAT_GfxTexture* t : textures_) PLAT_GfxReleaseTexture(t);
    if (State()) SPPD_BatchClearTextures(State());
    SPPD_ResetRenderState();
    SPPD_EnableTexturePreLoad(1);
    gldevtest::DriverDisplay::TearDown();
  }

  // The display's driver table filled with the driver's own functions, as binding the library
  // fills it.
  void BindDriverTable() {
    auto* table = reinterpret_cast<SPPD_DRIVERTABLE*>(block.data());
#define DRAWTEST_BIND(slot, Name) table->SPPD_##Name = &SPPD_##Name;
    SPPD_TABLE_SLOTS(DRAWTEST_BIND)
#undef DRAWTEST_BIND
  }
  // The bound display joins the engine's render pass, so that the display's nodes draw in it.
  void JoinRenderPass() {
    BindDriverTable();
    display.fFlags = SPW_DISPLAY_RENDER;
    display.pfnVPGet = SPPD_VPGet;
    display.pfnVPSet = SPPD_VPSet;
    SGE_ListInit(&display.callbacks);
    SGE_ListInit(&display.nodes);
    SGE_ListInsertSorted(SGE_GetDisplayList(), &display.link);
  }

  // Near 1, far 100, depth 0..1, 640x480 with y up, identity matrices; planes as given.
  void SetView(uint32_t fog, uint32_t planes = 0, const float* normals = nullptr,
               const float* points = nullptr, uint32_t extraMask = 0,
               const float* matrix = nullptr, const float* second = nullptr) {
    SPPD_RENDERSTATE rs{};
    rs.dwMask = 0xFF | 0x100 | 0x200 | extraMask | (matrix ? SPPD_RS_MATRICES : 0);
    rs.pMatrix = const_cast<float*>(matrix);
    rs.pViewMatrix = const_cast<float*>(second);
    rs.fNear = kNear;
    rs.fFar = kFar;
    rs.fMinDepth = 0.0f;
    rs.fMaxDepth = 1.0f;
    rs.fScaleX = 320.0f;
    rs.fScaleY = -240.0f;
    rs.fCentreX = 320.0f;
    rs.fCentreY = 240.0f;
    rs.dwNumPlanes = planes;
    rs.pPlaneNormals = const_cast<float*>(normals);
    rs.pPlanePoints = const_cast<float*>(points);
    rs.dwFogColour = fog;
    ASSERT_EQ(SPPD_SetRenderState(&node, &rs), SPPD_OK);
  }

  void Clear(uint32_t colour) {
    SPPD_VIEWPORT vp = Viewport();
    node.dwColour = colour;
    node.fFlags = SPW_NODE_CLEAR_TARGET | SPW_NODE_CLEAR_DEPTH;
    ASSERT_EQ(SPPD_ClearScreen(&node, &vp, nullptr), SPPD_OK);
  }

  // A view-space quad at distance d covering the screen rectangle x0..x1, y0..y1.
  std::vector<SPPD_VERTEX> Quad(float x0, float y0, float x1, float y1, float d, uint32_t colour) {
    auto vx = [d](float sx) { return (sx - 320.0f) * d / 320.0f; };
    auto vy = [d](float sy) { return (sy - 240.0f) * d / -240.0f; };
    return {{0, colour, vx(x0), vy(y0), -d, 0, 0},
            {0, colour, vx(x1), vy(y0), -d, 1, 0},
            {0, colour, vx(x1), vy(y1), -d, 1, 1},
            {0, colour, vx(x0), vy(y1), -d, 0, 1}};
  }
  // A screen-space quad for the physical call.
  std::vector<SPPD_VERTEX> Screen(float x0, float y0, float x1, float y1, uint32_t colour,
                                  float z = 1.0f) {
    return {{0, colour, x0, y0, z, 0, 0}, {0, colour, x1, y0, z, 1, 0},
            {0, colour, x1, y1, z, 1, 1}, {0, colour, x0, y1, z, 0, 1}};
  }

  // A one-colour texture registered under id.
  void Texture(uint32_t id, uint32_t argb, bool alpha) {
    PLAT_GfxTexture* t = PLAT_GfxCreateTexture(State()->pGfx, 4, 4, 1, PLAT_GfxTexFormat::A8R8G8B8);
    ASSERT_NE(t, nullptr);
    PLAT_GfxLock lock{};
    ASSERT_EQ(PLAT_GfxLockTexture(t, 0, &lock), PLAT_GfxResult::Ok);
    for (int y = 0; y < lock.height; ++y)
      for (int x = 0; x < lock.width; ++x)
        reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(lock.bits) + y * lock.pitch)[x] = argb;
    ASSERT_EQ(PLAT_GfxUnlockTexture(t, 0), PLAT_GfxResult::Ok);
    textures_.push_back(t);
    SPPD_BatchSetTexture(State(), id, t, alpha);
  }

  // A one-colour source image in the working folder, through the texture table: "P6" from
  // the low three bytes of argb, "P7" with its alpha too. The texture's id.
  int32_t TableTexture(const std::string& name, uint32_t argb, bool alpha) {
    vnPPM_IMAGE image;
    image.kind = alpha ? 7 : 6;
    image.width = image.height = 4;
    for (int i = 0; i < 16; ++i) {
      image.pixels.insert(image.pixels.end(), {static_cast<uint8_t>(argb >> 16),
                                               static_cast<uint8_t>(argb >> 8),
                                               static_cast<uint8_t>(argb)});
      if (alpha) image.pixels.push_back(static_cast<uint8_t>(argb >> 24));
    }
    EXPECT_TRUE(vnWRITE_PPMFile(dir.file(name), image));
    int32_t id = -1;
    EXPECT_EQ(SPPD_TextureGetID(&display, name.c_str(), &id, 1), SPPD_OK);
    return id;
  }

  // The view distance whose depth lies delta behind that of distance d.
  static float Behind(float d, float delta) {
    const float k = kFar / (kFar - kNear);
    return 1.0f / (1.0f / d - delta / k);
  }

  void EndFrame() { ASSERT_EQ(SPPD_EndScene(&display), SPPD_OK); }

  std::vector<PLAT_GfxTexture*> textures_;
  vntest::TempDir dir;
  vntest::ScopedWorkingDir cwd{dir.path()};
};

inline uint32_t N(const std::vector<SPPD_VERTEX>& v, uint32_t flags = 0) {
  return static_cast<uint32_t>(v.size()) | flags;
}

// Each channel within tolerance of the expected ARGB.
inline ::testing::AssertionResult Near(uint32_t got, uint32_t want, int tolerance = 3) {
  for (int shift = 0; shift < 24; shift += 8) {
    int g = static_cast<int>((got >> shift) & 0xFF), w = static_cast<int>((want >> shift) & 0xFF);
    if (std::abs(g - w) > tolerance)
      return ::testing::AssertionFailure() << std::hex << "got 0x" << got << " want 0x" << want;
  }
  return ::testing::AssertionSuccess();
}

}  // namespace drawtest
