#pragma once
// The driver choice: where Setup records the chosen render driver and the game reads it, and
// the probe that tells a driver library from any other. Setup, the game and demosetup all go
// through here; binding the chosen library's table is driverbind.h's.
#include <cstdint>
#include <string>

#include "engine/driver/sppd.h"
#include "platform/guid.h"

struct PLAT_Library;

// The choice is "Driver" under "General" of SPPD_DISPLAY_KEY, the GUID in its registry text.
constexpr const char VN_DRIVER_GENERAL_KEY[] = "General";
constexpr const char VN_DRIVER_VALUE[] = "Driver";
constexpr const char VN_DRIVER_BASENAME[] = "gfxdrv";  // "gfxdrv.dll": libgfxdrv.so here
constexpr uint32_t VN_DRIVER_VALUE_MAX = 2048;

// What reading the recorded choice found.
enum class SPW_DriverChoice : uint8_t {
  Ok,
  NoKey,      // the key path can neither be opened nor created
  NotChosen,  // "General" had to be created: no driver was ever chosen
  NoValue,
  NotText,    // a value of another type
  TooLong,    // VN_DRIVER_VALUE_MAX characters or more
  NotAGuid,
};
// Reads the recorded GUID, creating the key path when it is missing. *out is zeroed first and
// filled only on Ok; every other outcome is traced.
SPW_DriverChoice SPW_ReadDriverChoice(PLAT_GUID* out);
// Records guid, creating the key path when it is missing (*created then 1, else 0). 1 only
// when the value reached the store, else -1 after a trace.
int32_t SPW_WriteDriverChoice(const PLAT_GUID& guid, int32_t* created);

// The GUID a library exports as SPPD_GUID; false when it exports none.
bool SPW_LibraryDriverGuid(PLAT_Library* lib, PLAT_GUID* out);
// Whether a library is a render driver: it exports SPPD_GUID, SPPD_DriverInfo and
// SPPD_Configure and describes itself. Fills the description (terminated) and the GUID.
bool SPW_ProbeDriverLibrary(PLAT_Library* lib, char (&description)[SPPD_DESCRIPTION_SIZE],
                            PLAT_GUID* guid);
// Setup's scan of the working folder: the first file whose lower-cased name holds the driver
// library's name and which probes as a driver. Its lower-cased name, or empty when none.
std::string SPW_FindDriverLibrary(char (&description)[SPPD_DESCRIPTION_SIZE]);
