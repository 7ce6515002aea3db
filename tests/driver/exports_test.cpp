// The driver library as hosts see it: loaded by path, reached by name.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "driver/core/block.h"
#include "driver/core/pools.h"
#include "driver/device/prefs.h"
#include "engine/display/display.h"
#include "engine/driver/sppd.h"
#include "engine/kernel/kernel.h"
#include "platform/dynlib.h"
#include "platform/registry.h"
#include "tests/support/support.h"

namespace {

class DriverLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    lib_ = PLAT_LoadLibrary(VN_GFXDRV_PATH);
    ASSERT_NE(lib_, nullptr) << VN_GFXDRV_PATH;
  }
  void TearDown() override { PLAT_FreeLibrary(lib_); }

  template <class F>
  F Fn(const char* name) {
    void* sym = PLAT_FindSymbol(lib_, name);
    EXPECT_NE(sym, nullptr) << name;
    return reinterpret_cast<F>(sym);
  }

  // A display carrying a zeroed driver block, as the host hangs it.
  struct FakeDisplay {
    std::vector<uint8_t> block;
    SGE_DATAREF ref{};
    SPW_DISPLAY display{};
    SPPD_DRIVERSTATE* state() { return &reinterpret_cast<SPPD_DRIVERDATA*>(block.data())->state; }
  };
  void MakeDisplay(FakeDisplay* d) {
    d->block.assign(static_cast<size_t>(Fn<SPPD_PFN_GetRequirements>("SPPD_GetRequirements")()), 0);
    d->ref = SGE_DATAREF{1, static_cast<int32_t>(d->block.size()), d->block.data()};
    d->display.pDriver = &d->ref;
  }

  PLAT_Library* lib_ = nullptr;
};

TEST_F(DriverLibrary, IdentityIsTheDriverGuid) {
  auto* guid = static_cast<const uint8_t*>(PLAT_FindSymbol(lib_, "SPPD_GUID"));
  ASSERT_NE(guid, nullptr);
  PLAT_GUID expected{};
  ASSERT_TRUE(PLAT_GuidFromText("{5D81DC88-A7D2-4BFE-AF63-9CA4C08B4BEE}", &expected));
  EXPECT_TRUE(PLAT_GuidEqual(PLAT_GuidFromBytes(guid), expected));
  // Stored byte layout: Data1 little-endian first.
  EXPECT_EQ(guid[0], 0x88);
  EXPECT_EQ(guid[3], 0x5D);
  EXPECT_EQ(guid[8], 0xAF);
}

TEST_F(DriverLibrary, DriverInfoIsCutToTheBuffer) {
  auto info = Fn<SPPD_PFN_DriverInfo>("SPPD_DriverInfo");
  struct Case {
    int32_t size;
    int32_t result;
    const char* text;
  };
  const Case cases[] = {{256, 1, "Direct3D-DX7 (v1.000.00a)"},
                        {26, 1, "Direct3D-DX7 (v1.000.00a)"},
                        {25, 1, "Direct3D-DX7 (v1.000.00a"},
                        {10, 1, "Direct3D-"},
                        {1, 1, ""}};
  for (const Case& c : cases) {
    char buf[300];
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(info(buf, c.size), c.result) << c.size;
    EXPECT_STREQ(buf, c.text) << c.size;
    EXPECT_EQ(buf[c.size], 'x') << "wrote past the buffer of " << c.size;
  }
  char one = 'x';
  EXPECT_EQ(info(&one, 0), -1);
  EXPECT_EQ(one, 'x');
  EXPECT_EQ(info(nullptr, 256), -1);
}

TEST_F(DriverLibrary, LastErrorIsEmptyUntilAFailure) {
  auto lastError = Fn<SPPD_PFN_GetLastErrorString>("SPPD_GetLastErrorString");
  ASSERT_NE(lastError(), nullptr);
  EXPECT_STREQ(lastError(), "");
  auto configure = Fn<int32_t (*)(PLAT_Window*, void*)>("SPPD_Configure");
  EXPECT_EQ(configure(nullptr, nullptr), -1);
  EXPECT_NE(std::strstr(lastError(), "SPPD_Configure"), nullptr) << lastError();
}

TEST_F(DriverLibrary, NoOpExportsGiveTheirFixedResults) {
  SPPD_VIEWPORT vp{};
  EXPECT_EQ(Fn<SPPD_PFN_SetBackground>("SPPD_SetBackground")(nullptr, 0), -1);
  EXPECT_EQ(Fn<SPPD_PFN_MaterialTouch>("SPPD_MaterialTouch")(nullptr, nullptr), -1);
  EXPECT_EQ(Fn<SPPD_PFN_MaterialUntouch>("SPPD_MaterialUntouch")(nullptr, nullptr), -1);
  EXPECT_EQ(Fn<SPPD_PFN_DrawIndexedPrimitive>("SPPD_DrawIndexedPrimitive")(nullptr), -1);
  EXPECT_EQ(Fn<SPPD_PFN_PostRender>("SPPD_PostRender")(nullptr, &vp, nullptr), -1);
  EXPECT_EQ(Fn<SPPD_PFN_PreRender>("SPPD_PreRender")(nullptr, &vp, nullptr), 1);
  EXPECT_EQ(Fn<SPPD_PFN_VPSet>("SPPD_VPSet")(nullptr, &vp), 1);
  SPPD_VIEWPORT untouched{};
  EXPECT_EQ(std::memcmp(&vp, &untouched, sizeof vp), 0);
}

TEST_F(DriverLibrary, RequirementsCoverTableAndState) {
  EXPECT_EQ(Fn<SPPD_PFN_GetRequirements>("SPPD_GetRequirements")(),
            static_cast<int32_t>(sizeof(SPPD_DRIVERTABLE) + sizeof(SPPD_DRIVERSTATE)));
}

TEST_F(DriverLibrary, FlushesNeedADriverBlock) {
  FakeDisplay d;
  MakeDisplay(&d);
  SPW_DISPLAY unbound{};
  for (const char* name : {"SPPD_Flush", "SPPD_FlushNoHud", "SPPD_FlushAlpha", "SPPD_FlushHUD"}) {
    auto flush = Fn<SPPD_PFN_Flush>(name);
    EXPECT_EQ(flush(nullptr), -1) << name;
    EXPECT_EQ(flush(&unbound), -1) << name;
    EXPECT_EQ(flush(&d.display), 1) << name;
  }
}

TEST_F(DriverLibrary, ABlockSmallerThanTheRequirementsIsRefused) {
  vntest::TraceCapture trace;
  FakeDisplay d;
  MakeDisplay(&d);
  d.ref.nSize = static_cast<int32_t>(sizeof(SPPD_DRIVERTABLE) + 64);  // another driver's size
  EXPECT_EQ(Fn<SPPD_PFN_Flush>("SPPD_Flush")(&d.display), -1);
  EXPECT_EQ(Fn<SPPD_PFN_SetLowResTextureState>("SPPD_SetLowResTextureState")(&d.display, 1), -1);
  EXPECT_TRUE(trace.contains("driver block holds"));
}

TEST_F(DriverLibrary, LowResFlagsReturnThePreviousValue) {
  FakeDisplay d;
  MakeDisplay(&d);
  // What device creation leaves.
  d.state()->fLowResTextures = 0;
  d.state()->fLowResEffectTextures = 1;
  auto lowRes = Fn<SPPD_PFN_SetLowResTextureState>("SPPD_SetLowResTextureState");
  auto lowResFx = Fn<SPPD_PFN_SetLowResEffectTextureState>("SPPD_SetLowResEffectTextureState");
  EXPECT_EQ(lowRes(&d.display, 1), 0);
  EXPECT_EQ(lowRes(&d.display, 0), 1);
  EXPECT_EQ(lowResFx(&d.display, 0), 1);
  EXPECT_EQ(lowResFx(&d.display, 1), 0);
  EXPECT_EQ(lowRes(nullptr, 1), -1);
}

TEST_F(DriverLibrary, ForceTextureL2RefusesTextureZero) {
  FakeDisplay d;
  MakeDisplay(&d);
  EXPECT_EQ(Fn<SPPD_PFN_ForceTextureL2>("SPPD_ForceTextureL2")(&d.display, 0), -1);
}

TEST_F(DriverLibrary, TextureGetIdClearsTheOutIdFirst) {
  int32_t id = 77;
  EXPECT_EQ(Fn<SPPD_PFN_TextureGetID>("SPPD_TextureGetID")(nullptr, "a.ppm", &id, 1), -1);
  EXPECT_EQ(id, 0);
}

// Exports whose work comes later answer as the driver does when there is nothing to do.
TEST_F(DriverLibrary, TerrainAmbientColourStartsWhiteAndInitResetsIt) {
  auto setAmbient = Fn<SPPD_PFN_SetTerrainAmbientColour>("SPPD_SetTerrainAmbientColour");
  auto init = Fn<SPPD_PFN_InitTerrain>("SPPD_InitTerrain");
  EXPECT_EQ(setAmbient(0xFF102030u), 0xFFFFFFFFu) << "a fresh driver's colour is white";
  EXPECT_EQ(setAmbient(0xFF405060u), 0xFF102030u);
  FakeDisplay d;
  MakeDisplay(&d);
  EXPECT_EQ(init(&d.display, nullptr), 1);
  EXPECT_EQ(setAmbient(0xFF808080u), 0xFFFFFFFFu);
  EXPECT_EQ(setAmbient(0xFFFFFFFFu), 0xFF808080u);
  Fn<SPPD_PFN_UninitTerrain>("SPPD_UninitTerrain")(&d.display, nullptr);
  EXPECT_EQ(Fn<SPPD_PFN_TERRAIN_RenderTerrainDataSetup>("SPPD_TERRAIN_RenderTerrainDataSetup")(
                nullptr, nullptr),
            1);
  EXPECT_EQ(Fn<SPPD_PFN_TERRAIN_RenderTerrainData>("SPPD_TERRAIN_RenderTerrainData")(), 1);
}

TEST_F(DriverLibrary, VideoWithoutAFrameGivesTheStreamResults) {
  vntest::TraceCapture trace;
  auto lastError = Fn<SPPD_PFN_GetLastErrorString>("SPPD_GetLastErrorString");
  const std::string before = lastError();
  FakeDisplay d;
  MakeDisplay(&d);
  SPPD_VIDEOFRAME* frame =
      Fn<SPPD_PFN_CreateVideoFrame>("SPPD_CreateVideoFrame")(&d.display, nullptr, "intro.mpg", 8);
  EXPECT_EQ(frame, nullptr);
  EXPECT_EQ(before, lastError()) << "a movie that cannot play is not a device failure";
  EXPECT_EQ(Fn<SPPD_PFN_StreamSurfacePlay>("SPPD_StreamSurfacePlay")(nullptr, 0), 1);
  EXPECT_EQ(Fn<SPPD_PFN_StreamSurfaceStop>("SPPD_StreamSurfaceStop")(nullptr), 0);
  EXPECT_EQ(Fn<SPPD_PFN_StreamSurfacePause>("SPPD_StreamSurfacePause")(nullptr, 1), 0);
  Fn<SPPD_PFN_StreamSurfaceRestore>("SPPD_StreamSurfaceRestore")(nullptr);
  Fn<SPPD_PFN_UpdateVideoFrame>("SPPD_UpdateVideoFrame")(nullptr);
  Fn<SPPD_PFN_DestroyVideoFrame>("SPPD_DestroyVideoFrame")(nullptr);
}

TEST_F(DriverLibrary, MaterialsWithoutATableFindAndMakeNothing) {
  vntest::TraceCapture trace;
  using GetFn = void* (*)(SPW_DISPLAY*, const char*, int32_t*, uint32_t);
  using DestroyByNameFn = void (*)(SPW_DISPLAY*, const char*);
  FakeDisplay d;
  MakeDisplay(&d);
  // A name of 16 characters with no terminator after it.
  const char name[16] = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h',
                         'i', 'j', 'k', 'l', 'm', 'n', 'o', 'p'};
  int32_t created = 7;
  EXPECT_EQ(Fn<GetFn>("SPPD_MaterialGet")(&d.display, name, &created, 64), nullptr);
  EXPECT_EQ(created, 7);
  EXPECT_EQ(Fn<GetFn>("SPPD_MaterialGet")(nullptr, "stone", nullptr, 64), nullptr);
  Fn<DestroyByNameFn>("SPPD_MaterialDestroyByName")(&d.display, "stone");
}

// The exported dynamic symbols, by running nm over the library.
std::vector<std::string> ExportedNames() {
  std::vector<std::string> names;
  std::string cmd = std::string("nm -D --defined-only '") + VN_GFXDRV_PATH + "'";
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return names;
  char line[512];
  while (std::fgets(line, sizeof line, p)) {
    char addr[64], type[8], name[400];
    if (std::sscanf(line, "%63s %7s %399s", addr, type, name) == 3) names.push_back(name);
  }
  pclose(p);
  return names;
}

TEST(DriverExports, AllSeventyFourAndOnlySppdNames) {
  std::vector<std::string> names = ExportedNames();
  ASSERT_FALSE(names.empty()) << "nm produced nothing";
  std::set<std::string> plain;
  for (const std::string& n : names) {
    EXPECT_NE(n.find("SPPD_"), std::string::npos) << "leaked export " << n;
    plain.insert(n);
  }
  std::vector<std::string> expected = {
      "SPPD_GUID", "SPPD_Configure", "SPPD_MaterialGet", "SPPD_MaterialDestroy",
      "SPPD_MaterialDestroyByName", "SPPD_GFXDRV_DestroyAllMaterials",
      "SPPD_TERRAIN_RenderTerrainData", "SPPD_TERRAIN_RenderTerrainDataSetup"};
  for (const char* slot : SPPD_SlotNames) expected.push_back(slot);
  for (const std::string& e : expected) EXPECT_EQ(plain.count(e), 1u) << "missing " << e;
  // The identity is data, not a function.
  std::string cmd = std::string("nm -D --defined-only '") + VN_GFXDRV_PATH + "'";
  FILE* p = popen(cmd.c_str(), "r");
  ASSERT_NE(p, nullptr);
  char line[512];
  std::string guidType;
  while (std::fgets(line, sizeof line, p)) {
    char addr[64], type[8], name[400];
    if (std::sscanf(line, "%63s %7s %399s", addr, type, name) == 3 &&
        std::strcmp(name, "SPPD_GUID") == 0)
      guidType = type;
  }
  pclose(p);
  EXPECT_TRUE(guidType == "R" || guidType == "D" || guidType == "B") << guidType;
  // The node renderers keep C++ names: the mangled form carries the plain one.
  const char* renderers[] = {"SPPD_RenderNodeNonClipped", "SPPD_RenderNodeClipped",
                             "SPPD_RenderNodeNonClippedAlwaysAlpha",
                             "SPPD_RenderNodeClippedAlwaysAlpha", "SPPD_RenderNodeNonClippedNCVB",
                             "SPPD_RenderNodeClippedNCVB"};
  for (const char* r : renderers) {
    std::string mangled = "_Z" + std::to_string(std::strlen(r)) + r;
    bool found = false;
    for (const std::string& n : names) found = found || n.rfind(mangled, 0) == 0;
    EXPECT_TRUE(found) << "missing " << r;
  }
  EXPECT_EQ(names.size(), static_cast<size_t>(SPPD_NUM_EXPORTS));
}

// Preferences: the store under the driver's own GUID key.
constexpr char kPrefsPath[] =
    "software\\KOR\\SPPD\\v1.00.000\\Display\\{5D81DC88-A7D2-4BFE-AF63-9CA4C08B4BEE}\\Preferences";

SPPD_DRIVERSTATE SamplePrefs() {
  SPPD_DRIVERSTATE s{};
  PLAT_GuidFromText("{11111111-2222-3333-4444-555555555555}", &s.guidDevice);
  PLAT_GuidFromText("{246C510F-1813-11D3-A1CE-000001219738}", &s.guidDisplay);
  s.fFullScreen = 0;
  s.fAutoMipMap = 1;
  s.fPalette = 0;
  s.nWidth = 1024;
  s.nHeight = 768;
  s.nBPP = 32;
  s.nZDepth = 24;
  s.nTBPP = 32;
  return s;
}

TEST(DriverPrefs, SaveThenReadRoundTrips) {
  vntest::ScopedRegistry reg;
  SPPD_DRIVERSTATE saved = SamplePrefs();
  ASSERT_EQ(SPPD_SavePreferences(&saved), 1);
  SPPD_DRIVERSTATE read{};
  ASSERT_EQ(SPPD_ReadPreferences(&read), 1);
  EXPECT_TRUE(PLAT_GuidEqual(read.guidDevice, saved.guidDevice));
  EXPECT_TRUE(PLAT_GuidEqual(read.guidDisplay, saved.guidDisplay));
  EXPECT_EQ(read.nWidth, 1024);
  EXPECT_EQ(read.nHeight, 768);
  EXPECT_EQ(read.nBPP, 32);
  EXPECT_EQ(read.nZDepth, 24);
  EXPECT_EQ(read.nTBPP, 32);
  EXPECT_EQ(read.fAutoMipMap, 1);
  EXPECT_EQ(read.fFullScreen, 1) << "a stored 0 reads as full screen";

  PLAT_RegKeyHandle key;
  ASSERT_EQ(PLAT_RegOpenKey(kPrefsPath, &key), PLAT_RegResult::Ok);
  std::string text;
  ASSERT_EQ(PLAT_RegGetString(key.get(), "GFXDRV Driver", &text), PLAT_RegResult::Ok);
  EXPECT_EQ(text, "{11111111-2222-3333-4444-555555555555}");
  uint32_t fullScreen = 9;
  EXPECT_EQ(PLAT_RegGetDword(key.get(), "Full Screen", &fullScreen), PLAT_RegResult::Ok);
  EXPECT_EQ(fullScreen, 0u);
}

// A kill between two values could leave half a display mode: the ten values are one change.
TEST(DriverPrefs, SavingWritesTheStoreOnce) {
  vntest::ScopedRegistry reg;
  SPPD_DRIVERSTATE first{};
  ASSERT_EQ(SPPD_ReadPreferences(&first), -1);  // makes the keys
  SPPD_DRIVERSTATE saved = SamplePrefs();
  EXPECT_EQ(vntest::countStoreWrites(reg.storePath(),
                                     [&] { EXPECT_EQ(SPPD_SavePreferences(&saved), 1); }),
            1);
  saved.nWidth = 800;
  EXPECT_EQ(vntest::countStoreWrites(reg.storePath(),
                                     [&] { EXPECT_EQ(SPPD_SavePreferences(&saved), 1); }),
            1);
  PLAT_RegReload();
  SPPD_DRIVERSTATE read{};
  ASSERT_EQ(SPPD_ReadPreferences(&read), 1);
  EXPECT_EQ(read.nWidth, 800);
}

TEST(DriverPrefs, AMissingValueFailsButTheRestIsRead) {
  vntest::ScopedRegistry reg;
  SPPD_DRIVERSTATE saved = SamplePrefs();
  ASSERT_EQ(SPPD_SavePreferences(&saved), 1);
  PLAT_RegKeyHandle key;
  ASSERT_EQ(PLAT_RegOpenKey(kPrefsPath, &key), PLAT_RegResult::Ok);
  ASSERT_EQ(PLAT_RegDeleteValue(key.get(), "AutoMipMap"), PLAT_RegResult::Ok);
  SPPD_DRIVERSTATE read{};
  EXPECT_EQ(SPPD_ReadPreferences(&read), -1);
  EXPECT_EQ(read.nWidth, 1024);
  EXPECT_EQ(read.nTBPP, 32);
  EXPECT_TRUE(PLAT_GuidEqual(read.guidDevice, saved.guidDevice));
}

TEST_F(DriverLibrary, DefaultModeComesFromThePreferences) {
  vntest::ScopedRegistry reg;
  auto defaultMode = Fn<SPPD_PFN_GetDefaultMode>("SPPD_GetDefaultMode");
  EXPECT_EQ(defaultMode(nullptr), -1);
  SPPD_DRIVERSTATE saved = SamplePrefs();
  ASSERT_EQ(SPPD_SavePreferences(&saved), 1);
  SPPD_MODE mode{};
  ASSERT_EQ(defaultMode(&mode), 1);
  EXPECT_EQ(mode.Width, 1024);
  EXPECT_EQ(mode.Height, 768);
  EXPECT_EQ(mode.BPP, 32);
  EXPECT_EQ(mode.TBPP, 32);
  EXPECT_EQ(mode.FullScreen, 1);
}

TEST_F(DriverLibrary, DefaultModeFailsWhenAPreferenceIsMissing) {
  vntest::ScopedRegistry reg;
  SPPD_DRIVERSTATE saved = SamplePrefs();
  ASSERT_EQ(SPPD_SavePreferences(&saved), 1);
  PLAT_RegKeyHandle key;
  ASSERT_EQ(PLAT_RegOpenKey(kPrefsPath, &key), PLAT_RegResult::Ok);
  ASSERT_EQ(PLAT_RegDeleteValue(key.get(), "DirectDraw"), PLAT_RegResult::Ok);
  SPPD_MODE mode{1, 2, 3, 4, 5};
  EXPECT_EQ(Fn<SPPD_PFN_GetDefaultMode>("SPPD_GetDefaultMode")(&mode), -1);
  EXPECT_EQ(mode.Width, 1) << "a failed read fills nothing";
  EXPECT_EQ(mode.FullScreen, 5);
}

TEST(DriverPrefs, AFirstReadFailsAndLeavesTheEmptyKeysBehind) {
  vntest::ScopedRegistry reg;
  SPPD_DRIVERSTATE read{};
  read.nWidth = 640;
  EXPECT_EQ(SPPD_ReadPreferences(&read), -1);
  EXPECT_EQ(read.nWidth, 640) << "a missing value keeps the default";
  EXPECT_EQ(read.fFullScreen, 1);
  PLAT_RegKeyHandle key;
  ASSERT_EQ(PLAT_RegOpenKey(kPrefsPath, &key), PLAT_RegResult::Ok);
  uint32_t value = 0;
  EXPECT_EQ(PLAT_RegGetDword(key.get(), "Width", &value), PLAT_RegResult::NotFound);
}

// Pools and colour helpers.
TEST(DriverPools, CarvesTheFourNamedBlocksAndReleasesThem) {
  SPPD_DRIVERSTATE s{};
  ASSERT_EQ(SPPD_CreatePools(&s), 1);
  ASSERT_NE(s.pDriverPool, nullptr);
  EXPECT_EQ(SPPD_PoolBlock(s.pDriverPool)->dwTotalSize, 3700464u);
  EXPECT_STREQ(SPPD_PoolBlock(s.pDriverPool)->szName, "SPPDGFXDRV_DriverBlock");
  // The three pools are carved out of the driver block, not taken from the heap.
  const auto* lo = reinterpret_cast<const uint8_t*>(s.pDriverPool);
  for (SPPD_POOL* pool : {s.pGeneralPool, s.pTextureNamePool, s.pTexturePool}) {
    const auto* p = reinterpret_cast<const uint8_t*>(pool);
    EXPECT_GT(p, lo);
    EXPECT_LT(p, lo + 3700464u);
  }
  EXPECT_STREQ(SPPD_PoolBlock(s.pGeneralPool)->szName, "SPPDGFXDRV_GeneralBlock");
  EXPECT_STREQ(SPPD_PoolBlock(s.pTextureNamePool)->szName, "SPPDGFXDRV_TextureNamesBlock");
  EXPECT_STREQ(SPPD_PoolBlock(s.pTexturePool)->szName, "SPPDGFXDRV_TextureBlock");
  // Each sub-pool offers its whole payload, and no more.
  void* all = SPPD_PoolAlloc(s.pGeneralPool, SPPD_GENERAL_POOL_SIZE);
  EXPECT_NE(all, nullptr);
  EXPECT_EQ(SPPD_PoolAlloc(s.pGeneralPool, 8), nullptr);
  EXPECT_EQ(SPPD_PoolFree(all), 1);
  auto* z = static_cast<uint8_t*>(SPPD_PoolCalloc(s.pTexturePool, 64));
  ASSERT_NE(z, nullptr);
  EXPECT_EQ(z[0] | z[63], 0);
  SPPD_ReleasePools(&s);
  EXPECT_EQ(s.pDriverPool, nullptr);
  EXPECT_EQ(s.pTexturePool, nullptr);
  SPPD_ReleasePools(&s);  // twice is harmless
}

TEST(DriverColour, ModulateAndScaleAlpha) {
  uint32_t out = 0;
  for (uint32_t c : {0x00000000u, 0x12345678u, 0xFFFFFFFFu, 0x80FF0001u})
    EXPECT_EQ(SPPD_ModulateColour(0xFFFFFFFFu, c, &out), c) << std::hex << c;
  EXPECT_EQ(SPPD_ModulateColour(0x80808080u, 0x80808080u, &out), 0x40404040u);
  EXPECT_EQ(out, 0x40404040u);
  EXPECT_EQ(SPPD_ScaleAlpha(0x80FF0000u, &out, 0.5f), 0x40FF0000u);
  EXPECT_EQ(SPPD_ScaleAlpha(0xFF123456u, &out, 0.0f), 0x00123456u);
  // Only the low 8 bits of the product are kept; the colour bytes never change.
  EXPECT_EQ(SPPD_ScaleAlpha(0xFF123456u, &out, 2.0f), 0xFE123456u);
  EXPECT_EQ(out, 0xFE123456u);
  EXPECT_EQ(SPPD_ScaleAlpha(0x64ABCDEFu, &out, 0.254f), 0x19ABCDEFu);  // 25.4 rounds down
  EXPECT_EQ(SPPD_ScaleAlpha(0x64ABCDEFu, &out, 0.256f), 0x1AABCDEFu);  // 25.6 rounds up
}

}  // namespace
