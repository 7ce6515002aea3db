#include "shell/discover.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "engine/driver/driverbind.h"
#include "platform/dynlib.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "platform/trace.h"
#include "platform/window/msgbox.h"

namespace {

struct LibraryCloser {
  void operator()(PLAT_Library* l) const { PLAT_FreeLibrary(l); }
};
using Library = std::unique_ptr<PLAT_Library, LibraryCloser>;

SPPD_PFN_TERRAIN_RenderTerrainData g_terrainRender;
SPPD_PFN_TERRAIN_RenderTerrainDataSetup g_terrainSetup;

void Warn(const char* text, const char* caption) {
  PLAT_Trace("VNMAIN: %s: %s\n", caption, text);
  PLAT_MessageBox(nullptr, text, caption, PLAT_MsgBoxButtons::Ok, PLAT_MsgBoxIcon::Warning);
}

void DriverNotFound() {
  Warn("Unable to find the Korrath GFXDRV driver!", "GFXDRV Driver not found");
}

bool ReadGuidAt(PLAT_Library* lib, PLAT_GUID* out) {
  const void* sym = PLAT_FindSymbol(lib, "SPPD_GUID");
  if (!sym) return false;
  uint8_t bytes[16];
  std::memcpy(bytes, sym, sizeof bytes);
  *out = PLAT_GuidFromBytes(bytes);
  return true;
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), PLAT_LowerAscii);
  return s;
}

}  // namespace

int32_t vnMAIN_ReadDriverGuid(PLAT_GUID* out, int32_t* created) {
  if (!out) {
    PLAT_Trace("VNMAIN: vnMAIN_ReadDriverGuid: no GUID to fill\n");
    return -1;
  }
  *out = PLAT_GUID{};
  PLAT_RegKeyHandle display, general;
  bool made = false;
  if (PLAT_RegCreateKey(VN_DRIVER_DISPLAY_KEY, &display) != PLAT_RegResult::Ok) {
    PLAT_Trace("VNMAIN: cannot open %s\n", VN_DRIVER_DISPLAY_KEY);
    return -1;
  }
  if (PLAT_RegCreateSubKey(display.get(), VN_DRIVER_GENERAL_KEY, &general, &made) !=
      PLAT_RegResult::Ok) {
    PLAT_Trace("VNMAIN: cannot open the driver's General key\n");
    return -1;
  }
  if (made) {
    if (created) *created = 1;
    PLAT_Trace("VNMAIN: no driver chosen yet\n");
    return -1;
  }
  std::string text;
  if (PLAT_RegGetString(general.get(), VN_DRIVER_VALUE, &text) != PLAT_RegResult::Ok ||
      text.size() >= VN_DRIVER_VALUE_MAX) {
    PLAT_Trace("VNMAIN: no usable \"Driver\" value\n");
    return -1;
  }
  if (!PLAT_GuidFromText(text.c_str(), out)) {
    PLAT_Trace("VNMAIN: \"Driver\" is not a GUID: \"%.64s\"\n", text.c_str());
    return -1;
  }
  return 1;
}

int32_t vnMAIN_FindDriverFile(int32_t /*mode*/, int32_t /*flag*/, PLAT_GUID* out) {
  const std::string driverFile = PLAT_LibraryFileName(VN_DRIVER_BASENAME);
  bool found = false;
  PLAT_GUID guid{};
  for (const PLAT_FindEntry& e : PLAT_FindFiles(PLAT_LibraryPattern())) {
    if (e.isDirectory || !PLAT_EqualNoCase(e.name, driverFile)) continue;
    Library lib(PLAT_LoadLibrary(e.name.c_str()));
    if (!lib) continue;
    auto info = reinterpret_cast<SPPD_PFN_DriverInfo>(PLAT_FindSymbol(lib.get(), "SPPD_DriverInfo"));
    PLAT_GUID candidate{};
    if (!info || !ReadGuidAt(lib.get(), &candidate) ||
        !PLAT_FindSymbol(lib.get(), "SPPD_Configure"))
      continue;
    char description[SPPD_DESCRIPTION_SIZE] = {};
    if (info(description, sizeof description) != SPPD_OK) continue;
    description[sizeof description - 1] = '\0';  // a foreign library may not terminate it
    // The last candidate found wins.
    guid = candidate;
    found = true;
    PLAT_Trace("VNMAIN: driver file %s: %s\n", e.name.c_str(), description);
  }
  if (!found) {
    DriverNotFound();
    return -1;
  }
  if (out) *out = guid;
  return 1;
}

int32_t vnMAIN_LoadDriverByGuid(const PLAT_GUID* guid, PLAT_Library** out) {
  if (out) *out = nullptr;
  if (guid && out) {
    for (const PLAT_FindEntry& e : PLAT_FindFiles(PLAT_LibraryPattern())) {
      if (e.isDirectory) continue;
      const std::string lower = Lower(e.name);
      if (lower.find("_debug") != std::string::npos || lower.find("_release") != std::string::npos)
        continue;
      Library lib(PLAT_LoadLibrary(e.name.c_str()));
      PLAT_GUID g{};
      if (!lib || !ReadGuidAt(lib.get(), &g) || !PLAT_GuidEqual(g, *guid)) continue;
      *out = lib.release();
      return 1;
    }
  }
  Warn("There was an error loading driver file! Please check file permissions.",
       "Driver File Load Error");
  return -1;
}

PLAT_Library* vnMAIN_LoadDriver() {
  PLAT_GUID guid{};
  if (vnMAIN_ReadDriverGuid(&guid, nullptr) != 1) return nullptr;  // Setup takes over
  // The driver file's own identity replaces the recorded one.
  if (vnMAIN_FindDriverFile(0, 0, &guid) != 1) return nullptr;
  PLAT_Library* raw = nullptr;
  if (vnMAIN_LoadDriverByGuid(&guid, &raw) != 1) return nullptr;
  Library lib(raw);
  auto render = reinterpret_cast<SPPD_PFN_TERRAIN_RenderTerrainData>(
      PLAT_FindSymbol(lib.get(), "SPPD_TERRAIN_RenderTerrainData"));
  auto setup = reinterpret_cast<SPPD_PFN_TERRAIN_RenderTerrainDataSetup>(
      PLAT_FindSymbol(lib.get(), "SPPD_TERRAIN_RenderTerrainDataSetup"));
  if (!render || !setup) {
    Warn("This driver does not support terrains rendering! Please re-install this package.",
         "Fatal Setup Error");
    return nullptr;
  }
  // Refuse a library that lacks any table entry now, before a null slot can be called.
  SPPD_DRIVERTABLE table{};
  if (SPW_BindDriverTable(lib.get(), &table) != 1) {
    DriverNotFound();
    return nullptr;
  }
  g_terrainRender = render;
  g_terrainSetup = setup;
  return lib.release();
}

int32_t vnMAIN_UnloadDriver(PLAT_Library* module) {
  g_terrainRender = nullptr;
  g_terrainSetup = nullptr;
  PLAT_FreeLibrary(module);
  return 1;
}

SPPD_PFN_TERRAIN_RenderTerrainData vnMAIN_GetTerrainRenderFn() { return g_terrainRender; }
SPPD_PFN_TERRAIN_RenderTerrainDataSetup vnMAIN_GetTerrainSetupFn() { return g_terrainSetup; }
