// Binding the driver's table and making its display, with the recording driver.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/display/display.h"
#include "engine/driver/driverbind.h"
#include "engine/input/koinput.h"
#include "engine/kernel/kernel.h"
#include "engine/memory/memblock.h"
#include "platform/dynlib.h"
#include "platform/window/window.h"
#include "recdrv/recdrv.h"
#include "tests/support/support.h"

namespace {

// The slot order every caller relies on, written out apart from the table's own definition.
TEST(DriverTableLayout, SlotsSitInTheirFixedOrderAfterSixHeaderWords) {
  static const char* const kOrder[SPPD_NUM_SLOTS] = {
      "SPPD_Create", "SPPD_Modify", "SPPD_Destroy", "SPPD_SetBackground", "SPPD_MaterialTouch",
      "SPPD_MaterialUntouch", "SPPD_EnableLayer", "SPPD_DrawIndexedPrimitive",
      "SPPD_BeginScene", "SPPD_EndScene", "SPPD_Flush", "SPPD_FlushNoHud", "SPPD_FlushAlpha",
      "SPPD_FlushHUD", "SPPD_PreRender", "SPPD_PostRender", "SPPD_ClearScreen",
      "SPPD_DriverInfo", "SPPD_GetLastErrorString", "SPPD_VPGet", "SPPD_VPSet",
      "SPPD_GetRequirements", "SPPD_GetDefaultMode", "SPPD_SetRenderState",
      "SPPD_GetRenderState", "SPPD_TextureGetID", "SPPD_SetTextureComparisonExtension",
      "SPPD_SetTextureReplaceExtension", "SPPD_EnableTexturePreLoad",
      "SPPD_GetSystemRenderState", "SPPD_PreCacheTextures", "SPPD_PreCacheCount",
      "SPPD_SetLowResEffectTextureState", "SPPD_SetLowResTextureState", "SPPD_SetL4Path",
      "SPPD_UpdateVideoFrame", "SPPD_CreateVideoFrame", "SPPD_DestroyVideoFrame",
      "SPPD_StreamSurfacePlay", "SPPD_StreamSurfaceStop", "SPPD_StreamSurfaceRestore",
      "SPPD_StreamSurfacePause", "SPPD_ForceTextureL2", "SPPD_PurgeTextures",
      "SPPD_InitTerrain", "SPPD_UninitTerrain", "SPPD_SetTerrainAmbientColour",
      "SPPD_RenderFVFPolygon", "SPPD_RenderFVFPolygonAlpha", "SPPD_RenderFVFPolygonLayer",
      "SPPD_RenderFVFPolygonNearBlend", "SPPD_RenderLine", "SPPD_RenderLineV",
      "SPPD_RenderFVFPolygonPhysical", "SPPD_RenderFVFPolygonAdditive", "SPPD_RenderNode",
      "SPPD_RenderFeatureNode", "SPPD_GetDebugInfo", "SPPD_GetDisplayMode",
      "SPPD_DoesSupport32BitTextures"};
  vntest::TraceCapture trace;
  PLAT_Library* lib = PLAT_LoadLibrary((std::string(RECDRV_DIR) + "/librecdrv.so").c_str());
  ASSERT_NE(lib, nullptr);
  SPPD_DRIVERTABLE table;
  std::memset(&table, 0xAB, sizeof table);
  ASSERT_EQ(SPW_BindDriverTable(lib, &table), 1);
  const auto* bytes = reinterpret_cast<const unsigned char*>(&table);
  for (int i = 0; i < SPPD_TABLE_HEADER_WORDS * 4; ++i) EXPECT_EQ(bytes[i], 0) << "header byte " << i;
  for (int slot = 0; slot < SPPD_NUM_SLOTS; ++slot) {
    EXPECT_STREQ(SPPD_SlotNames[slot], kOrder[slot]) << "slot " << slot;
    void* bound = nullptr;
    std::memcpy(&bound, bytes + SPPD_TABLE_HEADER_WORDS * 4 + slot * sizeof(void*), sizeof bound);
    EXPECT_EQ(bound, PLAT_FindSymbol(lib, kOrder[slot])) << "slot " << slot << " " << kOrder[slot];
  }
  PLAT_FreeLibrary(lib);
}

// The display side needs the kernel's memory.
class DriverBinding : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SGE_InitMemoryAndKernel(0), 1);
    module_ = PLAT_LoadLibrary((std::string(RECDRV_DIR) + "/librecdrv.so").c_str());
    ASSERT_NE(module_, nullptr);
    auto reset = reinterpret_cast<RecDrv_ResetFn>(PLAT_FindSymbol(module_, "RecDrv_Reset"));
    ASSERT_NE(reset, nullptr);
    reset();
  }
  void TearDown() override {
    if (module_) PLAT_FreeLibrary(module_);
    SGE_ShutdownKernelAndMemory();
  }
  std::string Log(PLAT_Library* lib) {
    auto get = reinterpret_cast<RecDrv_GetLogFn>(PLAT_FindSymbol(lib, "RecDrv_GetLog"));
    return get ? get() : "";
  }
  void FailCall(const char* name) {
    reinterpret_cast<RecDrv_FailCallFn>(PLAT_FindSymbol(module_, "RecDrv_FailCall"))(name);
  }

  vntest::ScopedRegistry reg_;
  vntest::TraceCapture trace_;
  PLAT_Library* module_ = nullptr;
};

TEST_F(DriverBinding, CreatesTheDisplayAndDeviceAndTearsThemDown) {
  SPW_DISPLAY* display = SPW_BindDriver(nullptr, module_);
  ASSERT_NE(display, nullptr);
  EXPECT_EQ(display->fWidth, static_cast<float>(RECDRV_MODE_WIDTH));
  EXPECT_EQ(display->fHeight, static_cast<float>(RECDRV_MODE_HEIGHT));
  EXPECT_EQ(display->hModule, module_);
  EXPECT_EQ(reinterpret_cast<void*>(display->pfnVPGet), PLAT_FindSymbol(module_, "SPPD_VPGet"));
  SPPD_DRIVERTABLE* drv = SPW_GetDisplayDriver(display);
  ASSERT_NE(drv, nullptr);
  EXPECT_EQ(reinterpret_cast<void*>(drv->SPPD_DoesSupport32BitTextures),
            PLAT_FindSymbol(module_, "SPPD_DoesSupport32BitTextures"));
  EXPECT_EQ(display->pDriver->nCount, 1);
  EXPECT_EQ(display->pDriver->nSize, static_cast<int32_t>(sizeof(SPPD_DRIVERTABLE) + 64));
  const std::string created = Log(module_);
  EXPECT_LT(created.find("SPPD_GetRequirements()"), created.find("SPPD_GetDefaultMode("));
  EXPECT_LT(created.find("SPPD_GetDefaultMode("), created.find("SPPD_Create("));

  // The frame bracket: end the previous frame, then begin the next.
  EXPECT_EQ(SPW_DisplayBeginFrame(display, nullptr), 1);
  EXPECT_EQ(SPW_DisplayCheckDriver(display, nullptr), 1);
  const std::string frame = Log(module_);
  EXPECT_LT(frame.find("SPPD_EndScene("), frame.find("SPPD_BeginScene("));

  SPW_DestroyDriverDisplay(display);
  EXPECT_NE(Log(module_).find("SPPD_Destroy("), std::string::npos);
  EXPECT_TRUE(SGE_ListIsEmpty(SGE_GetDisplayList()));
}

TEST_F(DriverBinding, TheMouseMovesOverTheWholeDisplayAndFollowsItsModes) {
  ASSERT_EQ(SPW_CreateEngineBlocks(), 1);
  // The devices follow the game's window, as the game makes them.
  PLAT_Window* window = PLAT_CreateWindow("bind", 640, 480, 0);
  ASSERT_NE(window, nullptr);
  ASSERT_EQ(KOINPUT_Init(), 1);
  KOINPUT_DEVICE* mouse = KOINPUT_FindDevice(KOINPUT_TYPE_MOUSE);
  ASSERT_NE(mouse, nullptr);
  SPW_DISPLAY* display = SPW_BindDriver(nullptr, module_);
  ASSERT_NE(display, nullptr);
  EXPECT_EQ(mouse->nLeft, 0);
  EXPECT_EQ(mouse->nTop, 0);
  EXPECT_EQ(mouse->nWidth, RECDRV_MODE_WIDTH);
  EXPECT_EQ(mouse->nHeight, RECDRV_MODE_HEIGHT);
  // A new mode changes the display's size; the mouse follows when told.
  display->fWidth = 1024.0f;
  display->fHeight = 768.0f;
  SPW_FitMouseToDisplay(display);
  EXPECT_EQ(mouse->nWidth, 1024);
  EXPECT_EQ(mouse->nHeight, 768);
  SPW_DestroyDriverDisplay(display);
  KOINPUT_Shutdown();
  PLAT_DestroyWindow(window);
  SPW_ReleaseEngineBlocks();
}

TEST_F(DriverBinding, HangsTheFrameBracketFirstAndTheCheckLast) {
  SPW_DISPLAY* display = SPW_BindDriver(nullptr, module_);
  ASSERT_NE(display, nullptr);
  struct Expected {
    uint32_t key;
    SPW_DISPLAYFN fn;
  } const expected[] = {{0u, SPW_DisplayBeginFrame}, {0x80000000u, SPW_DisplayCheckDriver}};
  size_t count = 0;
  for (const SPW_DISPLAYCB* cb : SGE_ListRecords<SPW_DISPLAYCB>(&display->callbacks)) {
    ASSERT_LT(count, 2u) << "more than the two driver callbacks";
    EXPECT_EQ(cb->link.dwKey, expected[count].key) << count;
    EXPECT_EQ(cb->pfnDisplay, expected[count].fn) << count;
    EXPECT_EQ(cb->pData, nullptr);
    ++count;
  }
  EXPECT_EQ(count, 2u);
  SPW_DestroyDriverDisplay(display);
}

TEST_F(DriverBinding, AFailedCreateLeavesNoDisplay) {
  FailCall("SPPD_Create");
  EXPECT_EQ(SPW_BindDriver(nullptr, module_), nullptr);
  EXPECT_TRUE(SGE_ListIsEmpty(SGE_GetDisplayList()));
  EXPECT_TRUE(trace_.contains("recorded failure"));
}

TEST_F(DriverBinding, ABlockTooSmallForTheTableIsRefused) {
  FailCall("SPPD_GetRequirements");  // reports 0 bytes
  EXPECT_EQ(SPW_BindDriver(nullptr, module_), nullptr);
  EXPECT_TRUE(SGE_ListIsEmpty(SGE_GetDisplayList()));
}

TEST_F(DriverBinding, NoStoredModeFallsBackToTheCreationSize) {
  FailCall("SPPD_GetDefaultMode");
  SPW_DISPLAY* display = SPW_BindDriver(nullptr, module_);
  ASSERT_NE(display, nullptr);
  EXPECT_EQ(display->fWidth, 640.0f);
  EXPECT_EQ(display->fHeight, 480.0f);
  SPW_DestroyDriverDisplay(display);
}

TEST_F(DriverBinding, AnUnboundDisplayIsLeftAlone) {
  SPW_DISPLAY unbound{};
  EXPECT_EQ(SPW_DisplayBeginFrame(&unbound, nullptr), -1);
  EXPECT_EQ(SPW_DisplayCheckDriver(&unbound, nullptr), -1);
  SPW_DestroyDriverDisplay(&unbound);
  EXPECT_EQ(Log(module_), "");
}

}  // namespace
