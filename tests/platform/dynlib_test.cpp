#include "platform/dynlib.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "tests/support/support.h"

namespace fs = std::filesystem;

TEST(Dynlib, LoadsFindsCodeAndDataAndFrees) {
  PLAT_Library* lib = PLAT_LoadLibrary(VN_DYNLIB_FIXTURE);
  ASSERT_NE(lib, nullptr);
  auto add = reinterpret_cast<int (*)(int, int)>(PLAT_FindSymbol(lib, "vnfixture_add"));
  ASSERT_NE(add, nullptr);
  EXPECT_EQ(add(2, 40), 42);
  auto guid = static_cast<const unsigned char*>(PLAT_FindSymbol(lib, "vnfixture_guid"));
  ASSERT_NE(guid, nullptr);
  EXPECT_EQ(guid[0], 0x58);
  EXPECT_EQ(guid[15], 0x11);

  vntest::TraceCapture trace;
  EXPECT_EQ(PLAT_FindSymbol(lib, "SPPD_NotThere"), nullptr);
  EXPECT_TRUE(trace.contains("SPPD_NotThere"));
  PLAT_FreeLibrary(lib);
}

TEST(Dynlib, BareNamesLoadFromTheWorkingDirectoryWithoutRegardToCase) {
  vntest::TempDir dir;
  fs::copy_file(VN_DYNLIB_FIXTURE, dir.file("libGfxFixture.so"));
  vntest::ScopedWorkingDir cwd(dir.path());
  PLAT_Library* lib = PLAT_LoadLibrary("LIBGFXFIXTURE.SO");
  ASSERT_NE(lib, nullptr);
  EXPECT_NE(PLAT_FindSymbol(lib, "vnfixture_add"), nullptr);
  PLAT_FreeLibrary(lib);
}

TEST(Dynlib, FailuresAreTracedWithTheLoaderMessage) {
  vntest::TempDir dir;
  std::string notLib = dir.write("libfake.so", "this is not an ELF file");
  vntest::TraceCapture trace;
  EXPECT_EQ(PLAT_LoadLibrary(dir.file("libmissing.so").c_str()), nullptr);
  EXPECT_TRUE(trace.contains("libmissing.so"));
  EXPECT_EQ(PLAT_LoadLibrary(notLib.c_str()), nullptr);
  EXPECT_EQ(trace.lines().size(), 2u);
  EXPECT_TRUE(trace.contains("libfake.so"));
  EXPECT_EQ(PLAT_LoadLibrary(nullptr), nullptr);
  EXPECT_EQ(PLAT_FindSymbol(nullptr, "x"), nullptr);
  PLAT_FreeLibrary(nullptr);
}

TEST(Dynlib, GameNamesMapToSharedObjectNames) {
  EXPECT_EQ(PLAT_LibraryFileName("gfxdrv"), "libgfxdrv.so");
  EXPECT_EQ(PLAT_LibraryFileName("gfxdrv.dll"), "libgfxdrv.so");
  EXPECT_EQ(PLAT_LibraryFileName("GFXDRV.DLL"), "libGFXDRV.so");
  EXPECT_EQ(PLAT_LibraryFileName("drivers/gfxdrv.dll"), "drivers/libgfxdrv.so");
  EXPECT_EQ(PLAT_LibraryFileName("libgfxdrv.so"), "libgfxdrv.so");
  EXPECT_STREQ(PLAT_LibraryPattern(), "lib*.so");
}
