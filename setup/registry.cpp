// The recorded driver choice, as Setup reads and writes it.
#include "engine/driver/choice.h"
#include "setup/setup.h"

int32_t ReadDriverGuid(PLAT_GUID* guid, int32_t* created) {
  if (!guid) return -1;
  const SPW_DriverChoice choice = SPW_ReadDriverChoice(guid);
  if (choice == SPW_DriverChoice::NotChosen && created) *created = 1;
  // Any value counts as a choice; one that is no GUID leaves the GUID zero.
  switch (choice) {
    case SPW_DriverChoice::Ok:
    case SPW_DriverChoice::NotText:
    case SPW_DriverChoice::TooLong:
    case SPW_DriverChoice::NotAGuid: break;
    default: return -1;
  }
  if (created) *created = 0;
  return 1;
}

int32_t WriteDriverGuid(const PLAT_GUID* guid, int32_t* created) {
  return guid ? SPW_WriteDriverChoice(*guid, created) : -1;
}
