#include "driver/device/prefs.h"

#include <string>

#include "engine/driver/sppd.h"
#include "platform/guid.h"
#include "platform/registry.h"
#include "platform/trace.h"

namespace {

// Opens (creating when absent) the Preferences key under the driver's GUID key.
PLAT_RegKeyHandle OpenPreferencesKey() {
  PLAT_RegKeyHandle display, driver, prefs;
  char guidText[PLAT_GUID_REGISTRY_TEXT_SIZE];
  PLAT_GuidToRegistryText(SPPD_GUID, guidText);
  if (PLAT_RegCreateKey(SPPD_DISPLAY_KEY, &display) != PLAT_RegResult::Ok ||
      PLAT_RegCreateSubKey(display.get(), guidText, &driver) != PLAT_RegResult::Ok ||
      PLAT_RegCreateSubKey(driver.get(), SPPD_PREFERENCES_KEY, &prefs) != PLAT_RegResult::Ok)
    return nullptr;
  return prefs;
}

struct IntPref {
  const char* name;
  int32_t SPPD_DRIVERSTATE::*field;
};

// Written in this order.
constexpr IntPref kIntPrefs[] = {
    {"Full Screen", &SPPD_DRIVERSTATE::fFullScreen}, {"Width", &SPPD_DRIVERSTATE::nWidth},
    {"Height", &SPPD_DRIVERSTATE::nHeight},         {"BPP", &SPPD_DRIVERSTATE::nBPP},
    {"TBPP", &SPPD_DRIVERSTATE::nTBPP},             {"Z Depth", &SPPD_DRIVERSTATE::nZDepth},
    {"Palette", &SPPD_DRIVERSTATE::fPalette},        {"AutoMipMap", &SPPD_DRIVERSTATE::fAutoMipMap},
};

constexpr const char kDirectDraw[] = "DirectDraw";
constexpr const char kDevice[] = "GFXDRV Driver";

bool ReadGuid(PLAT_RegKey* key, const char* name, PLAT_GUID* out) {
  std::string text;
  if (PLAT_RegGetString(key, name, &text) != PLAT_RegResult::Ok) return false;
  if (!PLAT_GuidFromText(text.c_str(), out)) {
    PLAT_Trace("GFXDRV: preference \"%s\" is not a GUID: \"%.64s\"\n", name, text.c_str());
    return false;
  }
  return true;
}

}  // namespace

int32_t SPPD_ReadPreferences(SPPD_DRIVERSTATE* prefs) {
  if (!prefs) return SPPD_FAIL;
  PLAT_RegKeyHandle key = OpenPreferencesKey();
  if (!key) return SPPD_FAIL;
  int32_t result = SPPD_OK;
  for (const IntPref& p : kIntPrefs) {
    uint32_t value = 0;
    if (PLAT_RegGetDword(key.get(), p.name, &value) == PLAT_RegResult::Ok)
      prefs->*p.field = static_cast<int32_t>(value);
    else
      result = SPPD_FAIL;
  }
  if (!ReadGuid(key.get(), kDirectDraw, &prefs->guidDisplay)) result = SPPD_FAIL;
  if (!ReadGuid(key.get(), kDevice, &prefs->guidDevice)) result = SPPD_FAIL;
  // The device always runs full screen, whatever was stored.
  prefs->fFullScreen = 1;
  return result;
}

int32_t SPPD_SavePreferences(const SPPD_DRIVERSTATE* prefs) {
  if (!prefs) return SPPD_FAIL;
  PLAT_RegKeyHandle key = OpenPreferencesKey();
  if (!key) {
    PLAT_Trace("GFXDRV: cannot open the preferences key\n");
    return SPPD_FAIL;
  }
  char directDraw[PLAT_GUID_REGISTRY_TEXT_SIZE];
  char device[PLAT_GUID_REGISTRY_TEXT_SIZE];
  PLAT_GuidToRegistryText(prefs->guidDisplay, directDraw);
  PLAT_GuidToRegistryText(prefs->guidDevice, device);
  // One change of the store: a display mode is never left half written.
  PLAT_RegBatchHandle batch = PLAT_RegBeginBatch();
  for (const IntPref& p : kIntPrefs)
    PLAT_RegSetDword(key.get(), p.name, static_cast<uint32_t>(prefs->*p.field), batch.get());
  PLAT_RegSetString(key.get(), kDirectDraw, directDraw, batch.get());
  PLAT_RegSetString(key.get(), kDevice, device, batch.get());
  if (PLAT_RegCommitBatch(batch.get()) != PLAT_RegResult::Ok) {
    PLAT_Trace("GFXDRV: saving the preferences failed\n");
    return SPPD_FAIL;
  }
  return SPPD_OK;
}

int32_t SPPD_GetDefaultMode(SPPD_MODE* mode) {
  if (!mode) {
    PLAT_Trace("GFXDRV: SPPD_GetDefaultMode: no mode record\n");
    return SPPD_FAIL;
  }
  SPPD_DRIVERSTATE scratch{};
  int32_t r = SPPD_ReadPreferences(&scratch);
  if (r != SPPD_OK) return r;
  mode->Width = scratch.nWidth;
  mode->Height = scratch.nHeight;
  mode->BPP = scratch.nBPP;
  mode->TBPP = scratch.nTBPP;
  mode->FullScreen = scratch.fFullScreen;
  return SPPD_OK;
}
