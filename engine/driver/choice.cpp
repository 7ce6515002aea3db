#include "engine/driver/choice.h"

#include <cstring>

#include "platform/dynlib.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "platform/trace.h"

namespace {

// Opens (creating when absent) the key path down to "General".
bool OpenGeneralKey(PLAT_RegKeyHandle* general, bool* made) {
  PLAT_RegKeyHandle display;
  if (PLAT_RegCreateKey(SPPD_DISPLAY_KEY, &display) != PLAT_RegResult::Ok ||
      PLAT_RegCreateSubKey(display.get(), VN_DRIVER_GENERAL_KEY, general, made) !=
          PLAT_RegResult::Ok) {
    PLAT_Trace("VNMAIN: cannot open %s\\%s\n", SPPD_DISPLAY_KEY, VN_DRIVER_GENERAL_KEY);
    return false;
  }
  return true;
}

}  // namespace

SPW_DriverChoice SPW_ReadDriverChoice(PLAT_GUID* out) {
  *out = PLAT_GUID{};
  PLAT_RegKeyHandle general;
  bool made = false;
  if (!OpenGeneralKey(&general, &made)) return SPW_DriverChoice::NoKey;
  if (made) {
    PLAT_Trace("VNMAIN: no driver chosen yet\n");
    return SPW_DriverChoice::NotChosen;
  }
  std::string text;
  const PLAT_RegResult r = PLAT_RegGetString(general.get(), VN_DRIVER_VALUE, &text);
  if (r != PLAT_RegResult::Ok) {
    PLAT_Trace("VNMAIN: no usable \"Driver\" value\n");
    return r == PLAT_RegResult::WrongType ? SPW_DriverChoice::NotText : SPW_DriverChoice::NoValue;
  }
  if (text.size() >= VN_DRIVER_VALUE_MAX) {
    PLAT_Trace("VNMAIN: the \"Driver\" value is %zu characters long\n", text.size());
    return SPW_DriverChoice::TooLong;
  }
  PLAT_GUID guid{};
  if (!PLAT_GuidFromText(text.c_str(), &guid)) {
    PLAT_Trace("VNMAIN: \"Driver\" is not a GUID: \"%.64s\"\n", text.c_str());
    return SPW_DriverChoice::NotAGuid;
  }
  *out = guid;
  return SPW_DriverChoice::Ok;
}

int32_t SPW_WriteDriverChoice(const PLAT_GUID& guid, int32_t* created) {
  PLAT_RegKeyHandle general;
  bool made = false;
  if (!OpenGeneralKey(&general, &made)) return -1;
  if (created) *created = made ? 1 : 0;
  char text[PLAT_GUID_REGISTRY_TEXT_SIZE];
  PLAT_GuidToRegistryText(guid, text);
  if (PLAT_RegSetString(general.get(), VN_DRIVER_VALUE, text) != PLAT_RegResult::Ok) {
    PLAT_Trace("VNMAIN: cannot record the driver %s\n", text);
    return -1;
  }
  return 1;
}

bool SPW_LibraryDriverGuid(PLAT_Library* lib, PLAT_GUID* out) {
  const void* sym = PLAT_FindSymbol(lib, "SPPD_GUID");
  if (!sym) return false;
  uint8_t bytes[16];
  std::memcpy(bytes, sym, sizeof bytes);
  *out = PLAT_GuidFromBytes(bytes);
  return true;
}

bool SPW_ProbeDriverLibrary(PLAT_Library* lib, char (&description)[SPPD_DESCRIPTION_SIZE],
                            PLAT_GUID* guid) {
  auto info = reinterpret_cast<SPPD_PFN_DriverInfo>(PLAT_FindSymbol(lib, "SPPD_DriverInfo"));
  if (!info || !SPW_LibraryDriverGuid(lib, guid) || !PLAT_FindSymbol(lib, "SPPD_Configure"))
    return false;
  if (info(description, SPPD_DESCRIPTION_SIZE) != SPPD_OK) return false;
  description[SPPD_DESCRIPTION_SIZE - 1] = '\0';  // a foreign library may not terminate it
  return true;
}

std::string SPW_FindDriverLibrary(char (&description)[SPPD_DESCRIPTION_SIZE]) {
  const std::string driverName = PLAT_LowerAsciiText(PLAT_LibraryFileName(VN_DRIVER_BASENAME));
  for (const PLAT_FindEntry& e : PLAT_FindFiles("*.*")) {
    if (e.isDirectory) continue;
    std::string name = PLAT_LowerAsciiText(e.name);
    if (name.find(driverName) == std::string::npos) continue;
    PLAT_LibraryHandle lib(PLAT_LoadLibrary(name.c_str()));
    PLAT_GUID guid{};
    if (lib && SPW_ProbeDriverLibrary(lib.get(), description, &guid)) return name;
  }
  return {};
}
