// Command-line switches, each found anywhere in the line by a plain substring search.
#include <cstdio>
#include <cstring>

#include "platform/trace.h"
#include "shell/app.h"

namespace {

// The number after "<name> " at the first occurrence of name; false when none reads there.
bool ReadNumber(const char* at, const char* name, int32_t* out) {
  char format[64];
  std::snprintf(format, sizeof format, "%s %%d", name);
  int value = 0;
  if (std::sscanf(at, format, &value) != 1) return false;
  *out = value;
  return true;
}

}  // namespace

void vnMAIN_ParseCommandLine(const char* cmdline, VNMAIN_SWITCHES* sw) {
  if (!cmdline || !sw) return;
  // "sound" is matched first and at its first occurrence only: inside "soundsoftwareonly" no
  // number follows, so that line leaves sound as it was.
  if (const char* at = std::strstr(cmdline, "sound")) {
    int32_t value = 0;
    if (ReadNumber(at, "sound", &value)) sw->bSound = value != 0 ? 1 : 0;
  }
  if (const char* at = std::strstr(cmdline, "sounddevice")) {
    int32_t value = 0;
    sw->nSoundDevice = ReadNumber(at, "sounddevice", &value) ? value : 0;
  }
  if (std::strstr(cmdline, "soundsoftwareonly")) sw->bSoundSoftwareOnly = 1;
  if (const char* at = std::strstr(cmdline, "soundsetlatency")) {
    int32_t value = 0;
    sw->nSoundLatency = ReadNumber(at, "soundsetlatency", &value) ? value : 0;
  }
  if (std::strstr(cmdline, "nonexclusive")) sw->bNonExclusive = 1;
  if (std::strstr(cmdline, "cbugeye")) sw->bBugEye = 1;
}
