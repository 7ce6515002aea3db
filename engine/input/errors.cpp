#include <cstdio>

#include "engine/input/koinput.h"

const char* SGE_GetInputErrorName(int32_t code) {
  static char name[KOINPUT_ERRORNAME_SIZE];
  const char* known = nullptr;
  switch (code) {
    case KOINPUT_OK: known = "KOINPUT_OK"; break;
    case KOINPUT_ERR_NOVIDEO: known = "KOINPUT_ERR_NOVIDEO"; break;
    case KOINPUT_ERR_OPEN: known = "KOINPUT_ERR_OPEN"; break;
    case KOINPUT_ERR_COOPERATION: known = "KOINPUT_ERR_COOPERATION"; break;
    case KOINPUT_ERR_NOTACQUIRED: known = "KOINPUT_ERR_NOTACQUIRED"; break;
    case KOINPUT_ERR_READ: known = "KOINPUT_ERR_READ"; break;
    case KOINPUT_ERR_OUTOFMEMORY: known = "KOINPUT_ERR_OUTOFMEMORY"; break;
    default: break;
  }
  if (known)
    std::snprintf(name, sizeof name, "%s", known);
  else
    std::snprintf(name, sizeof name, "Unknown input error %d", code);
  return name;
}
