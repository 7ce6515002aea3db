// The texture path as the game reaches it: the driver library loaded by path and called by
// export name, from an id by name to pixels read back, through the cache, purges, a lost
// device and a change of texture depth.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "driver/core/block.h"
#include "driver/device/device.h"
#include "driver/device/prefs.h"
#include "engine/display/display.h"
#include "engine/driver/sppd.h"
#include "platform/dynlib.h"
#include "platform/files.h"
#include "platform/gfx/gfx.h"
#include "platform/window/window.h"
#include "tests/support/support.h"
#include "tools/writers/ppm_writer.h"

namespace {

namespace fs = std::filesystem;

class DriverLibraryTextures : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(PLAT_GfxInit());
    window_ = PLAT_CreateWindow("textures", 640, 480, PLAT_WINDOW_OPENGL);
    ASSERT_NE(window_, nullptr);
    SPPD_DRIVERSTATE p{};
    p.fFullScreen = 1;
    p.nWidth = 640;
    p.nHeight = 480;
    p.nBPP = 32;
    p.nTBPP = 16;
    p.nZDepth = 16;
    p.fAutoMipMap = 1;
    p.guidDisplay = SPPD_PRIMARY_DISPLAY_GUID;
    p.guidDevice = PLAT_GfxHardwareDeviceGuid();
    ASSERT_EQ(SPPD_SavePreferences(&p), SPPD_OK);
    lib_ = PLAT_LoadLibrary(VN_GFXDRV_PATH);
    ASSERT_NE(lib_, nullptr) << VN_GFXDRV_PATH;
    block_.assign(static_cast<size_t>(Fn<SPPD_PFN_GetRequirements>("SPPD_GetRequirements")()), 0);
    ref_ = {1, static_cast<int32_t>(block_.size()), block_.data()};
    display_.pDriver = &ref_;
    display_.fWidth = 640;
    display_.fHeight = 480;
    node_.pDisplay = &display_;
    ASSERT_EQ(Fn<SPPD_PFN_Create>("SPPD_Create")(&display_, window_), SPPD_OK);
    Fn<SPPD_PFN_EnableTexturePreLoad>("SPPD_EnableTexturePreLoad")(0);
  }
  void TearDown() override {
    if (lib_) {
      Fn<SPPD_PFN_EnableTexturePreLoad>("SPPD_EnableTexturePreLoad")(1);
      Fn<SPPD_PFN_Destroy>("SPPD_Destroy")(&display_);
      PLAT_FreeLibrary(lib_);
    }
    if (window_) PLAT_DestroyWindow(window_);
  }

  template <class F>
  F Fn(const char* name) {
    void* sym = PLAT_FindSymbol(lib_, name);
    EXPECT_NE(sym, nullptr) << name;
    return reinterpret_cast<F>(sym);
  }

  PLAT_GfxDevice* Device() {
    return reinterpret_cast<SPPD_DRIVERDATA*>(block_.data())->state.pGfx;
  }

  // A 4x4 one-colour "P6" source.
  void Source(const std::string& relative, uint32_t rgb) {
    vnPPM_IMAGE image;
    image.width = image.height = 4;
    for (int i = 0; i < 16; ++i)
      image.pixels.insert(image.pixels.end(), {static_cast<uint8_t>(rgb >> 16),
                                               static_cast<uint8_t>(rgb >> 8),
                                               static_cast<uint8_t>(rgb)});
    ASSERT_TRUE(vnWRITE_PPMFile(dir_.write(relative, ""), image));
  }

  int32_t Id(const char* name) {
    int32_t id = -1;
    EXPECT_EQ(Fn<SPPD_PFN_TextureGetID>("SPPD_TextureGetID")(&display_, name, &id, 1), SPPD_OK);
    return id;
  }

  // One frame with a textured quad over the screen rectangle 100..200; the colour at its
  // centre, read back after the scene.
  uint32_t DrawQuad(int32_t id) {
    SPPD_RENDERSTATE rs{};
    rs.dwMask = 0xFF | 0x100 | 0x200;
    rs.fNear = 1.0f;
    rs.fFar = 100.0f;
    rs.fMaxDepth = 1.0f;
    rs.fScaleX = 320.0f;
    rs.fScaleY = -240.0f;
    rs.fCentreX = 320.0f;
    rs.fCentreY = 240.0f;
    EXPECT_EQ(Fn<SPPD_PFN_SetRenderState>("SPPD_SetRenderState")(&node_, &rs), SPPD_OK);
    EXPECT_EQ(Fn<SPPD_PFN_BeginScene>("SPPD_BeginScene")(&display_), SPPD_OK);
    SPPD_VIEWPORT vp{};
    const float rect[4] = {0, 0, 640, 480}, offset[2] = {0, 0};
    Fn<SPPD_PFN_VPGet>("SPPD_VPGet")(&vp, &node_, rect, offset);
    node_.dwColour = 0xFF000000;
    node_.fFlags = SPW_NODE_CLEAR_TARGET | SPW_NODE_CLEAR_DEPTH;
    EXPECT_EQ(Fn<SPPD_PFN_ClearScreen>("SPPD_ClearScreen")(&node_, &vp, nullptr), SPPD_OK);
    const float d = 10.0f;
    auto vx = [d](float sx) { return (sx - 320.0f) * d / 320.0f; };
    auto vy = [d](float sy) { return (sy - 240.0f) * d / -240.0f; };
    const SPPD_VERTEX quad[4] = {{0, 0xFFFFFFFF, vx(100), vy(100), -d, 0, 0},
                                 {0, 0xFFFFFFFF, vx(200), vy(100), -d, 1, 0},
                                 {0, 0xFFFFFFFF, vx(200), vy(200), -d, 1, 1},
                                 {0, 0xFFFFFFFF, vx(100), vy(200), -d, 0, 1}};
    EXPECT_EQ(Fn<SPPD_PFN_RenderFVFPolygon>("SPPD_RenderFVFPolygon")(
                  &display_, quad, 4 | SPPD_VERTEX_NOFOG, 1, id, 0, 0),
              SPPD_OK);
    EXPECT_EQ(Fn<SPPD_PFN_EndScene>("SPPD_EndScene")(&display_), SPPD_OK);
    uint32_t pixel = 0;
    EXPECT_TRUE(PLAT_GfxReadPixels(Device(), PLAT_GfxSurface::Back, 150, 150, 1, 1, &pixel));
    return pixel & 0xFFFFFF;
  }

  std::string CacheFile() { return PLAT_ResolvePath(dir_.file("tex/tcache/red.txf").c_str()); }
  // Marks the cache file as written long ago (its source before it), so that a rewrite shows
  // in its time.
  void AgeCache() {
    fs::last_write_time(PLAT_ResolvePath(dir_.file("tex/red.ppm").c_str()),
                        fs::file_time_type::clock::now() - std::chrono::hours(3));
    fs::last_write_time(CacheFile(), fs::file_time_type::clock::now() - std::chrono::hours(2));
  }
  bool CacheAged() {
    return fs::last_write_time(CacheFile()) <
           fs::file_time_type::clock::now() - std::chrono::hours(1);
  }

  vntest::ScopedRegistry registry_;
  vntest::TempDir dir_;
  vntest::ScopedWorkingDir cwd_{dir_.path()};
  PLAT_Window* window_ = nullptr;
  PLAT_Library* lib_ = nullptr;
  std::vector<uint8_t> block_;
  SGE_DATAREF ref_{};
  SPW_DISPLAY display_{};
  SPW_DISPLAYNODE node_{};
};

TEST_F(DriverLibraryTextures, IdByNameDrawsConvertsOnceAndSurvivesPurgeLossAndDepthChange) {
  Source("Tex/Red.PPM", 0xFF0000);
  const int32_t id = Id("tex/red.ppm");
  ASSERT_EQ(id, 1);
  EXPECT_EQ(Id("TEX\\RED.ppm"), id) << "names match without regard to case or separator";
  EXPECT_EQ(DrawQuad(id), 0xFF0000u);
  ASSERT_TRUE(fs::exists(CacheFile())) << "the first use writes the cache file";
  EXPECT_EQ(fs::file_size(CacheFile()), 92u + 4u * 4u * 2u);

  // After a purge the ids start again and the cache file is read, not rewritten.
  AgeCache();
  ASSERT_EQ(Fn<SPPD_PFN_PurgeTextures>("SPPD_PurgeTextures")(&display_), SPPD_OK);
  ASSERT_EQ(Id("tex/red.ppm"), 1);
  EXPECT_EQ(DrawQuad(1), 0xFF0000u);
  EXPECT_TRUE(CacheAged()) << "reused without converting";

  // A lost device: the texture is rebuilt from its cache before it is bound again.
  PLAT_GfxSimulateLoss(Device());
  EXPECT_EQ(DrawQuad(1), 0xFF0000u);
  EXPECT_TRUE(CacheAged());

  // Another texture depth means other formats: the cache file is converted again.
  SPPD_MODE mode{};
  mode.TBPP = 32;
  ASSERT_EQ(Fn<SPPD_PFN_Modify>("SPPD_Modify")(&display_, &mode, window_, SPPD_MODIFY_TBPP),
            SPPD_OK);
  Fn<SPPD_PFN_EnableTexturePreLoad>("SPPD_EnableTexturePreLoad")(0);
  ASSERT_EQ(Id("tex/red.ppm"), 1);
  EXPECT_EQ(DrawQuad(1), 0xFF0000u);
  EXPECT_EQ(fs::file_size(CacheFile()), 92u + 4u * 4u * 4u);
  EXPECT_FALSE(CacheAged());

  // A changed source is converted again on its next load.
  AgeCache();
  Source("Tex/Red.PPM", 0x0000FF);  // written now, after its cache file
  ASSERT_EQ(Fn<SPPD_PFN_PurgeTextures>("SPPD_PurgeTextures")(&display_), SPPD_OK);
  EXPECT_EQ(DrawQuad(Id("tex/red.ppm")), 0x0000FFu);
  EXPECT_FALSE(CacheAged());
}

TEST_F(DriverLibraryTextures, AMissingSourceStillGivesAnIdAndDrawsUntextured) {
  Fn<SPPD_PFN_EnableTexturePreLoad>("SPPD_EnableTexturePreLoad")(1);
  const int32_t id = Id("nowhere/none.ppm");
  EXPECT_GT(id, 0);
  EXPECT_EQ(DrawQuad(id), 0xFFFFFFu) << "the vertex colour alone";
  int32_t unknown = 5;
  EXPECT_EQ(Fn<SPPD_PFN_TextureGetID>("SPPD_TextureGetID")(&display_, "other.ppm", &unknown, 0),
            SPPD_FAIL);
  EXPECT_EQ(unknown, 0);
}

}  // namespace
