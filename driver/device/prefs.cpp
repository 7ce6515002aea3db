#include "driver/device/prefs.h"

#include <memory>
#include <string>

#include "engine/driver/sppd.h"
#include "platform/guid.h"
#include "platform/registry.h"
#include "platform/trace.h"

namespace {

struct KeyCloser {
  void operator()(PLAT_RegKey* k) const { PLAT_RegCloseKey(k); }
};
using Key = std::unique_ptr<PLAT_RegKey, KeyCloser>;

// Opens (creating when absent) the Preferences key under the driver's GUID key.
Key OpenPreferencesKey() {
  PLAT_RegKey* raw = nullptr;
  bool created = false;
  if (PLAT_RegCreateKey(SPPD_DISPLAY_KEY, &raw, &created) != PLAT_RegResult::Ok) return nullptr;
  Key display(raw);
  char guidText[39];
  PLAT_GuidToRegistryText(SPPD_GUID, guidText);
  if (PLAT_RegCreateSubKey(display.get(), guidText, &raw, &created) != PLAT_RegResult::Ok)
    return nullptr;
  Key driver(raw);
  if (PLAT_RegCreateSubKey(driver.get(), SPPD_PREFERENCES_KEY, &raw, &created) !=
      PLAT_RegResult::Ok)
    return nullptr;
  return Key(raw);
}

struct IntPref {
  const char* name;
  int32_t SPPD_DRIVERSTATE::*field;
};

// Written in this order.
constexpr IntPref kIntPrefs[] = {
    {"Full Screen", &SPPD_DRIVERSTATE::fFullScreen}, {"Width", &SPPD_DRIVERSTATE::dwWidth},
    {"Height", &SPPD_DRIVERSTATE::dwHeight},         {"BPP", &SPPD_DRIVERSTATE::dwBPP},
    {"TBPP", &SPPD_DRIVERSTATE::dwTBPP},             {"Z Depth", &SPPD_DRIVERSTATE::dwZDepth},
    {"Palette", &SPPD_DRIVERSTATE::fPalette},        {"AutoMipMap", &SPPD_DRIVERSTATE::fAutoMipMap},
};

constexpr const char kDirectDraw[] = "DirectDraw";
constexpr const char kDevice[] = "GFXDRV Driver";

// Stored with its terminator: 39 bytes.
bool WriteGuid(PLAT_RegKey* key, const char* name, const char (&text)[39]) {
  return PLAT_RegSetValue(key, name, PLAT_RegType::String, text, sizeof text) ==
         PLAT_RegResult::Ok;
}

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
  Key key = OpenPreferencesKey();
  if (!key) return SPPD_FAIL;
  int32_t result = SPPD_OK;
  for (const IntPref& p : kIntPrefs) {
    uint32_t value = 0;
    if (PLAT_RegGetDword(key.get(), p.name, &value) == PLAT_RegResult::Ok)
      prefs->*p.field = static_cast<int32_t>(value);
    else
      result = SPPD_FAIL;
  }
  if (!ReadGuid(key.get(), kDirectDraw, &prefs->guidDirectDraw)) result = SPPD_FAIL;
  if (!ReadGuid(key.get(), kDevice, &prefs->guidDevice)) result = SPPD_FAIL;
  // The device always runs full screen, whatever was stored.
  prefs->fFullScreen = 1;
  return result;
}

int32_t SPPD_SavePreferences(const SPPD_DRIVERSTATE* prefs) {
  if (!prefs) return SPPD_FAIL;
  Key key = OpenPreferencesKey();
  if (!key) {
    PLAT_Trace("GFXDRV: cannot open the preferences key\n");
    return SPPD_FAIL;
  }
  char directDraw[39];
  char device[39];
  PLAT_GuidToRegistryText(prefs->guidDirectDraw, directDraw);
  PLAT_GuidToRegistryText(prefs->guidDevice, device);
  bool ok = true;
  for (const IntPref& p : kIntPrefs)
    ok = PLAT_RegSetDword(key.get(), p.name, static_cast<uint32_t>(prefs->*p.field)) ==
             PLAT_RegResult::Ok && ok;
  ok = WriteGuid(key.get(), kDirectDraw, directDraw) && ok;
  ok = WriteGuid(key.get(), kDevice, device) && ok;
  if (!ok) PLAT_Trace("GFXDRV: saving the preferences failed\n");
  return ok ? SPPD_OK : SPPD_FAIL;
}

int32_t SPPD_GetDefaultMode(SPPD_MODE* mode) {
  if (!mode) {
    PLAT_Trace("GFXDRV: SPPD_GetDefaultMode: no mode record\n");
    return SPPD_FAIL;
  }
  SPPD_DRIVERSTATE scratch{};
  int32_t r = SPPD_ReadPreferences(&scratch);
  if (r != SPPD_OK) return r;
  mode->Width = scratch.dwWidth;
  mode->Height = scratch.dwHeight;
  mode->BPP = scratch.dwBPP;
  mode->TBPP = scratch.dwTBPP;
  mode->FullScreen = scratch.fFullScreen;
  return SPPD_OK;
}
