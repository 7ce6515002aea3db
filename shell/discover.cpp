#include "shell/discover.h"

#include <string>

#include "engine/driver/choice.h"
#include "engine/driver/driverbind.h"
#include "platform/dynlib.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/trace.h"
#include "platform/window/msgbox.h"

namespace {

SPPD_PFN_TERRAIN_RenderTerrainData g_terrainRender;
SPPD_PFN_TERRAIN_RenderTerrainDataSetup g_terrainSetup;

void Warn(const char* text, const char* caption) {
  PLAT_Trace("VNMAIN: %s: %s\n", caption, text);
  PLAT_MessageBox(nullptr, text, caption, PLAT_MsgBoxButtons::Ok, PLAT_MsgBoxIcon::Warning);
}

void DriverNotFound() {
  Warn("Unable to find the Korrath GFXDRV driver!", "GFXDRV Driver not found");
}

}  // namespace

int32_t vnMAIN_ReadDriverGuid(PLAT_GUID* out, int32_t* created) {
  if (!out) {
    PLAT_Trace("VNMAIN: vnMAIN_ReadDriverGuid: no GUID to fill\n");
    return -1;
  }
  const SPW_DriverChoice choice = SPW_ReadDriverChoice(out);
  if (choice == SPW_DriverChoice::NotChosen && created) *created = 1;
  return choice == SPW_DriverChoice::Ok ? 1 : -1;
}

int32_t vnMAIN_FindDriverFile(int32_t /*mode*/, int32_t /*flag*/, PLAT_GUID* out) {
  const std::string driverFile = PLAT_LibraryFileName(VN_DRIVER_BASENAME);
  bool found = false;
  PLAT_GUID guid{};
  for (const PLAT_FindEntry& e : PLAT_FindFiles(PLAT_LibraryPattern())) {
    if (e.isDirectory || !PLAT_EqualNoCase(e.name, driverFile)) continue;
    PLAT_LibraryHandle lib(PLAT_LoadLibrary(e.name.c_str()));
    PLAT_GUID candidate{};
    char description[SPPD_DESCRIPTION_SIZE] = {};
    if (!lib || !SPW_ProbeDriverLibrary(lib.get(), description, &candidate)) continue;
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
      const std::string lower = PLAT_LowerAsciiText(e.name);
      if (lower.find("_debug") != std::string::npos || lower.find("_release") != std::string::npos)
        continue;
      PLAT_LibraryHandle lib(PLAT_LoadLibrary(e.name.c_str()));
      PLAT_GUID g{};
      if (!lib || !SPW_LibraryDriverGuid(lib.get(), &g) || !PLAT_GuidEqual(g, *guid)) continue;
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
  PLAT_LibraryHandle lib(raw);
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
