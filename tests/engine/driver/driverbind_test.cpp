// Finding and binding the driver, with the recording driver standing in for the real one.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "engine/display/display.h"
#include "engine/driver/driverbind.h"
#include "engine/kernel/kernel.h"
#include "engine/memory/memblock.h"
#include "platform/dynlib.h"
#include "platform/registry.h"
#include "tests/support/recdrv/recdrv.h"
#include "tests/support/support.h"

namespace {

namespace fs = std::filesystem;

class DriverDiscovery : public ::testing::Test {
 protected:
  DriverDiscovery() : cwd_(dir_.path()) {}
  void TearDown() override {
    if (module_) vnMAIN_UnloadDriver(module_);
  }

  // Puts a recording-driver variant into the working directory under a file name.
  void Install(const char* variant, const char* as) {
    fs::copy_file(std::string(RECDRV_DIR) + "/lib" + variant + ".so", dir_.file(as),
                  fs::copy_options::overwrite_existing);
  }
  void ChooseDriver(const char* guidText) {
    PLAT_RegKey* key = nullptr;
    bool created = false;
    ASSERT_EQ(PLAT_RegCreateKey("software\\KOR\\SPPD\\v1.00.000\\Display\\General", &key, &created),
              PLAT_RegResult::Ok);
    ASSERT_EQ(PLAT_RegSetString(key, "Driver", guidText), PLAT_RegResult::Ok);
    PLAT_RegCloseKey(key);
  }
  std::string Log(PLAT_Library* lib) {
    auto get = reinterpret_cast<RecDrv_GetLogFn>(PLAT_FindSymbol(lib, "RecDrv_GetLog"));
    return get ? get() : "";
  }

  vntest::ScopedRegistry reg_;
  vntest::TempDir dir_;
  vntest::ScopedWorkingDir cwd_;
  vntest::TraceCapture trace_;
  PLAT_Library* module_ = nullptr;
};

TEST_F(DriverDiscovery, NoChosenDriverFailsSilently) {
  Install("recdrv", "libgfxdrv.so");
  PLAT_GUID guid{};
  int32_t created = 0;
  EXPECT_EQ(vnMAIN_ReadDriverGuid(&guid, &created), -1);
  EXPECT_EQ(created, 1);
  // The General key now exists, still without a value.
  created = 0;
  EXPECT_EQ(vnMAIN_ReadDriverGuid(&guid, &created), -1);
  EXPECT_EQ(created, 0);
  EXPECT_EQ(vnMAIN_LoadDriver(), nullptr);
  EXPECT_FALSE(trace_.contains("GFXDRV Driver not found"));
}

TEST_F(DriverDiscovery, AMalformedChoiceIsRefused) {
  ChooseDriver("not a guid");
  PLAT_GUID guid{};
  EXPECT_EQ(vnMAIN_ReadDriverGuid(&guid), -1);
}

TEST_F(DriverDiscovery, NoLibraryIsReported) {
  ChooseDriver(RECDRV_GUID_TEXT);
  EXPECT_EQ(vnMAIN_LoadDriver(), nullptr);
  EXPECT_TRUE(trace_.contains("GFXDRV Driver not found"));
}

TEST_F(DriverDiscovery, FindsTheDriverWhateverItsLetterCaseAndBindsEverySlot) {
  ChooseDriver(RECDRV_OTHER_GUID_TEXT);  // the driver file's own identity wins
  Install("recdrv", "LibGfxDrv.so");
  module_ = vnMAIN_LoadDriver();
  ASSERT_NE(module_, nullptr);
  EXPECT_NE(vnMAIN_GetTerrainRenderFn(), nullptr);
  EXPECT_NE(vnMAIN_GetTerrainSetupFn(), nullptr);

  SPPD_DRIVERTABLE table;
  std::memset(&table, 0xAB, sizeof table);
  ASSERT_EQ(SPW_BindDriverTable(module_, &table), 1);
  for (uint32_t w : table.dwHeader) EXPECT_EQ(w, 0u);
#define CHECK_SLOT(slot, Name)                                                                  \
  EXPECT_EQ(reinterpret_cast<void*>(table.SPPD_##Name), PLAT_FindSymbol(module_, "SPPD_" #Name)) \
      << "slot " << slot;
  SPPD_TABLE_SLOTS(CHECK_SLOT)
#undef CHECK_SLOT
  // Slot 0 is the first pointer after the six header words.
  void* first = nullptr;
  std::memcpy(&first, reinterpret_cast<char*>(&table) + 24, sizeof first);
  EXPECT_EQ(first, PLAT_FindSymbol(module_, "SPPD_Create"));
}

TEST_F(DriverDiscovery, LoadsTheFirstLibraryWithTheDriverFilesGuid) {
  ChooseDriver(RECDRV_GUID_TEXT);
  // Directory order: aaa (another identity), bbb_debug (skipped), gfxdrv.
  Install("recdrv_otherguid", "libaaa.so");
  Install("recdrv_noslot", "libbbb_Debug.so");
  Install("recdrv", "libgfxdrv.so");
  module_ = vnMAIN_LoadDriver();
  ASSERT_NE(module_, nullptr) << "a skipped or foreign library was taken";
}

TEST_F(DriverDiscovery, AnotherGuidOnlyIsALoadError) {
  ChooseDriver(RECDRV_GUID_TEXT);
  Install("recdrv_otherguid", "libgfxdrv.so");  // the identity comes from here...
  PLAT_GUID guid{};
  ASSERT_EQ(vnMAIN_FindDriverFile(0, 0, &guid), 1);
  PLAT_GUID real{};
  PLAT_GuidFromText(RECDRV_GUID_TEXT, &real);
  EXPECT_FALSE(PLAT_GuidEqual(guid, real));
  PLAT_Library* lib = nullptr;
  EXPECT_EQ(vnMAIN_LoadDriverByGuid(&real, &lib), -1);  // ...and no library has the recorded one
  EXPECT_EQ(lib, nullptr);
  EXPECT_TRUE(trace_.contains("Driver File Load Error"));
}

TEST_F(DriverDiscovery, ADriverWithoutTerrainEntriesIsRefused) {
  ChooseDriver(RECDRV_GUID_TEXT);
  Install("recdrv_noterrain", "libgfxdrv.so");
  EXPECT_EQ(vnMAIN_LoadDriver(), nullptr);
  EXPECT_TRUE(trace_.contains("Fatal Setup Error"));
  EXPECT_EQ(vnMAIN_GetTerrainRenderFn(), nullptr);
}

TEST_F(DriverDiscovery, AMissingTableNameFailsTheBinding) {
  ChooseDriver(RECDRV_GUID_TEXT);
  Install("recdrv_noslot", "libgfxdrv.so");
  EXPECT_EQ(vnMAIN_LoadDriver(), nullptr);
  EXPECT_TRUE(trace_.contains("SPPD_GetDebugInfo"));
  EXPECT_TRUE(trace_.contains("GFXDRV Driver not found"));
}

// The display side needs the kernel's memory.
class DriverBinding : public DriverDiscovery {
 protected:
  void SetUp() override {
    ASSERT_EQ(SGE_InitMemory(0), 1);
    ChooseDriver(RECDRV_GUID_TEXT);
    Install("recdrv", "libgfxdrv.so");
    module_ = vnMAIN_LoadDriver();
    ASSERT_NE(module_, nullptr);
    auto reset = reinterpret_cast<RecDrv_ResetFn>(PLAT_FindSymbol(module_, "RecDrv_Reset"));
    ASSERT_NE(reset, nullptr);
    reset();
  }
  void TearDown() override {
    DriverDiscovery::TearDown();
    module_ = nullptr;
    SGE_ShutdownMemory();
  }
  void FailCall(const char* name) {
    reinterpret_cast<RecDrv_FailCallFn>(PLAT_FindSymbol(module_, "RecDrv_FailCall"))(name);
  }
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
