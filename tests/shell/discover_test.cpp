// Finding the driver library, with the recording driver's variants standing in for the real
// one in a working directory of the test's own.
#include "shell/discover.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "engine/driver/driverbind.h"
#include "platform/dynlib.h"
#include "platform/registry.h"
#include "recdrv/recdrv.h"
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
    PLAT_RegKeyHandle key;
    ASSERT_EQ(PLAT_RegCreateKey("software\\KOR\\SPPD\\v1.00.000\\Display\\General", &key),
              PLAT_RegResult::Ok);
    ASSERT_EQ(PLAT_RegSetString(key.get(), "Driver", guidText), PLAT_RegResult::Ok);
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

TEST_F(DriverDiscovery, ADriverFileWhoseInfoFailsIsNotACandidate) {
  Install("recdrv", "libgfxdrv.so");
  // Holding the library open keeps its state across the scan's own load and free.
  PLAT_Library* held = PLAT_LoadLibrary(dir_.file("libgfxdrv.so").c_str());
  ASSERT_NE(held, nullptr);
  reinterpret_cast<RecDrv_FailCallFn>(PLAT_FindSymbol(held, "RecDrv_FailCall"))("SPPD_DriverInfo");
  PLAT_GUID guid{};
  EXPECT_EQ(vnMAIN_FindDriverFile(0, 0, &guid), -1);
  EXPECT_NE(Log(held).find("SPPD_DriverInfo(256)"), std::string::npos) << Log(held);
  EXPECT_TRUE(trace_.contains("GFXDRV Driver not found"));
  PLAT_FreeLibrary(held);
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

TEST_F(DriverDiscovery, TheLoadingScanTakesTheFirstMatchInDirectoryOrder) {
  // The registry names another driver: the driver file's own identity is looked for.
  ChooseDriver(RECDRV_OTHER_GUID_TEXT);
  Install("recdrv_noterrain", "libaaa_Release.so");  // right identity, but skipped by name
  Install("recdrv_otherguid", "libbbb.so");          // wrong identity
  Install("recdrv", "libccc.so");                    // the first match
  Install("recdrv", "libgfxdrv.so");
  PLAT_GUID guid{};
  ASSERT_EQ(vnMAIN_FindDriverFile(0, 0, &guid), 1);
  PLAT_GUID fileGuid{};
  ASSERT_TRUE(PLAT_GuidFromText(RECDRV_GUID_TEXT, &fileGuid));
  EXPECT_TRUE(PLAT_GuidEqual(guid, fileGuid));
  ASSERT_EQ(vnMAIN_LoadDriverByGuid(&guid, &module_), 1);
  Dl_info info{};
  ASSERT_NE(dladdr(PLAT_FindSymbol(module_, "SPPD_GUID"), &info), 0);
  EXPECT_NE(std::string(info.dli_fname).find("libccc.so"), std::string::npos) << info.dli_fname;
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

// A cut-short library in the folder (a stray one or the driver itself) is skipped like any
// other non-driver instead of killing the scan inside the loader.
TEST_F(DriverDiscovery, ABrokenLibraryInTheFolderIsSkipped) {
  const std::string whole = vntest::readFile(std::string(RECDRV_DIR) + "/librecdrv.so");
  ASSERT_GT(whole.size(), 8192u);
  ChooseDriver(RECDRV_GUID_TEXT);
  dir_.write("libaaa.so", whole.substr(0, whole.size() / 2));
  dir_.write("libbbb.so", std::string(4096, '\x7f'));
  Install("recdrv", "libgfxdrv.so");
  module_ = vnMAIN_LoadDriver();
  ASSERT_NE(module_, nullptr);
  EXPECT_TRUE(trace_.contains("libaaa.so is not a loadable library"));
  EXPECT_TRUE(trace_.contains("libbbb.so is not a loadable library"));
  vnMAIN_UnloadDriver(module_);
  module_ = nullptr;

  // The driver file itself cut short: no driver file, told in its box.
  dir_.write("libgfxdrv.so", whole.substr(0, whole.size() - 4096));
  PLAT_GUID guid{};
  EXPECT_EQ(vnMAIN_FindDriverFile(0, 0, &guid), -1);
  EXPECT_TRUE(trace_.contains("libgfxdrv.so is not a loadable library"));
  EXPECT_TRUE(trace_.contains("GFXDRV Driver not found"));
}

// Every failure of discovery shows its own box (headless: one "caption: text" line on standard
// error), word for word; a driver that was never chosen hands over silently.
TEST(DriverDiscoveryBoxes, EachFailureShowsItsExactMessage) {
  struct Case {
    const char* name;
    const char* variant;  // installed as libgfxdrv.so, or none
    bool choose;
    const char* box;  // the whole of standard error
  } cases[] = {
      {"no driver chosen", "recdrv", false, ""},
      {"no driver file", nullptr, true,
       "GFXDRV Driver not found: Unable to find the Korrath GFXDRV driver!\n"},
      {"no terrain entries", "recdrv_noterrain", true,
       "Fatal Setup Error: This driver does not support terrains rendering! Please re-install "
       "this package.\n"},
      {"a table name missing", "recdrv_noslot", true,
       "GFXDRV Driver not found: Unable to find the Korrath GFXDRV driver!\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    vntest::ScopedRegistry reg;
    vntest::TempDir dir;
    vntest::ScopedWorkingDir cwd(dir.path());
    vntest::TraceCapture trace;  // keeps trace lines off standard error
    if (c.variant)
      fs::copy_file(std::string(RECDRV_DIR) + "/lib" + c.variant + ".so", dir.file("libgfxdrv.so"));
    if (c.choose) {
      PLAT_RegKeyHandle key;
      ASSERT_EQ(PLAT_RegCreateKey("software\\KOR\\SPPD\\v1.00.000\\Display\\General", &key),
                PLAT_RegResult::Ok);
      ASSERT_EQ(PLAT_RegSetString(key.get(), "Driver", RECDRV_GUID_TEXT), PLAT_RegResult::Ok);
    }
    ::testing::internal::CaptureStderr();
    PLAT_Library* module = vnMAIN_LoadDriver();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(module, nullptr);
    if (module) vnMAIN_UnloadDriver(module);
    EXPECT_EQ(err, c.box);
  }

  // The loading scan's own box, when no library carries the identity asked for.
  vntest::TempDir dir;
  vntest::ScopedWorkingDir cwd(dir.path());
  vntest::TraceCapture trace;
  fs::copy_file(std::string(RECDRV_DIR) + "/librecdrv_otherguid.so", dir.file("libgfxdrv.so"));
  PLAT_GUID wanted{};
  ASSERT_TRUE(PLAT_GuidFromText(RECDRV_GUID_TEXT, &wanted));
  PLAT_Library* lib = nullptr;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(vnMAIN_LoadDriverByGuid(&wanted, &lib), -1);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "Driver File Load Error: There was an error loading driver file! Please check file "
            "permissions.\n");
}

}  // namespace
