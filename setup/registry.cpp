// The recorded driver choice, as Setup reads and writes it.
#include <string>

#include "platform/registry.h"
#include "platform/trace.h"
#include "setup/setup.h"
#include "shell/discover.h"

namespace {

// Opens (creating when absent) the key path down to "General".
bool OpenGeneralKey(PLAT_RegKeyHandle* general, bool* made) {
  PLAT_RegKeyHandle display;
  if (PLAT_RegCreateKey(VN_DRIVER_DISPLAY_KEY, &display) != PLAT_RegResult::Ok ||
      PLAT_RegCreateSubKey(display.get(), VN_DRIVER_GENERAL_KEY, general, made) !=
          PLAT_RegResult::Ok) {
    PLAT_Trace("[SETUP]: cannot open %s\\%s\n", VN_DRIVER_DISPLAY_KEY, VN_DRIVER_GENERAL_KEY);
    return false;
  }
  return true;
}

}  // namespace

int32_t ReadDriverGuid(PLAT_GUID* guid, int32_t* created) {
  if (!guid) return -1;
  *guid = PLAT_GUID{};
  PLAT_RegKeyHandle general;
  bool made = false;
  if (!OpenGeneralKey(&general, &made)) return -1;
  if (made) {
    if (created) *created = 1;
    return -1;
  }
  std::string text;
  PLAT_RegResult r = PLAT_RegGetString(general.get(), VN_DRIVER_VALUE, &text);
  // A value of another type is read all the same; it is no GUID, so the GUID stays zero.
  if (r != PLAT_RegResult::Ok && r != PLAT_RegResult::WrongType) return -1;
  if (text.size() < VN_DRIVER_VALUE_MAX) PLAT_GuidFromText(text.c_str(), guid);
  if (created) *created = 0;
  return 1;
}

int32_t WriteDriverGuid(const PLAT_GUID* guid, int32_t* created) {
  if (!guid) return -1;
  PLAT_RegKeyHandle general;
  bool made = false;
  if (!OpenGeneralKey(&general, &made)) return -1;
  if (created) *created = made ? 1 : 0;
  char text[39];
  PLAT_GuidToRegistryText(*guid, text);
  if (PLAT_RegSetString(general.get(), VN_DRIVER_VALUE, text) != PLAT_RegResult::Ok) {
    PLAT_Trace("[SETUP]: cannot record the driver %s\n", text);
    return -1;
  }
  return 1;
}
