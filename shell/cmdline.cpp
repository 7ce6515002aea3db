// Command-line switches, each found anywhere in the line by a plain substring search.
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/trace.h"
#include "shell/state.h"

namespace {

// The number after "<name>" at its first occurrence (blanks between allowed, as "<name> %d"
// reads it); false when none reads there. A number beyond 32 bits is refused, not wrapped.
bool ReadNumber(const char* at, const char* name, int32_t* out) {
  const char* p = at + std::strlen(name);
  while (std::isspace(static_cast<unsigned char>(*p))) ++p;
  const char* digits = (*p == '+' || *p == '-') ? p + 1 : p;
  if (!std::isdigit(static_cast<unsigned char>(*digits))) return false;
  errno = 0;
  long long value = std::strtoll(p, nullptr, 10);
  if (errno == ERANGE || value < INT32_MIN || value > INT32_MAX) {
    PLAT_Trace("vnMAIN_ParseCommandLine: %s number out of range, ignored\n", name);
    return false;
  }
  *out = static_cast<int32_t>(value);
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
