// demosetup: records the driver choice and its display preferences in the settings store, as
// the configuration wizard would with its first choices, so that a fresh demo tree starts
// without a dialog.
//
//   demosetup [width height]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "driver/device/device.h"
#include "driver/device/prefs.h"
#include "engine/driver/sppd.h"
#include "platform/gfx/gfx.h"
#include "platform/guid.h"
#include "platform/registry.h"
#include "shell/discover.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: demosetup [width height]\n");
  return 2;
}

bool RecordDriverChoice() {
  PLAT_RegKeyHandle display, general;
  if (PLAT_RegCreateKey(VN_DRIVER_DISPLAY_KEY, &display) != PLAT_RegResult::Ok ||
      PLAT_RegCreateSubKey(display.get(), VN_DRIVER_GENERAL_KEY, &general) != PLAT_RegResult::Ok)
    return false;
  char text[39];
  PLAT_GuidToRegistryText(SPPD_GUID, text);
  return PLAT_RegSetString(general.get(), VN_DRIVER_VALUE, text) == PLAT_RegResult::Ok;
}

}  // namespace

int main(int argc, char** argv) {
  int width = 640;
  int height = 480;
  if (argc == 3) {
    char* end = nullptr;
    width = static_cast<int>(std::strtol(argv[1], &end, 10));
    if (*end) return Usage();
    height = static_cast<int>(std::strtol(argv[2], &end, 10));
    if (*end) return Usage();
    if (width < 320 || height < 200 || width > 8192 || height > 8192) return Usage();
  } else if (argc != 1) {
    return Usage();
  }

  SPPD_DRIVERSTATE prefs{};
  PLAT_GfxDisplayDevice displays[8];
  if (PLAT_GfxEnumDisplayDevices(displays, 8) < 1) {
    std::fprintf(stderr, "demosetup: no display device\n");
    return 1;
  }
  // The primary display is recorded under the driver's primary-display marker.
  static constexpr PLAT_GUID kNone{};
  prefs.guidDisplay =
      PLAT_GuidEqual(displays[0].guid, kNone) ? SPPD_PRIMARY_DISPLAY_GUID : displays[0].guid;
  prefs.guidDevice = PLAT_GfxHardwareDeviceGuid();
  prefs.fFullScreen = 1;
  prefs.nWidth = width;
  prefs.nHeight = height;
  prefs.nBPP = 32;
  prefs.nTBPP = 16;
  prefs.nZDepth = 16;
  prefs.fPalette = 0;
  prefs.fAutoMipMap = 1;
  if (SPPD_SavePreferences(&prefs) != SPPD_OK || !RecordDriverChoice()) {
    std::fprintf(stderr, "demosetup: cannot write the settings store %s\n",
                 PLAT_RegStorePath().c_str());
    return 1;
  }
  std::printf("demosetup: driver recorded in %s (%dx%d)\n", PLAT_RegStorePath().c_str(), width,
              height);
  return 0;
}
