// The shared formatting buffer.
#include "shell/format.h"

#include <cstdarg>
#include <cstdio>

#include "platform/trace.h"

namespace {
char g_formatBuffer[VN_FORMAT_BUFFER_SIZE];
}  // namespace

const char* SGE_Format(const char* fmt, ...) {
  if (!fmt) {
    PLAT_Trace("SGE_Format: no format\n");
    g_formatBuffer[0] = '\0';
    return g_formatBuffer;
  }
  va_list args;
  va_start(args, fmt);
  int n = std::vsnprintf(g_formatBuffer, sizeof g_formatBuffer, fmt, args);
  va_end(args);
  if (n < 0) {
    PLAT_Trace("SGE_Format: bad format \"%s\"\n", fmt);
    g_formatBuffer[0] = '\0';
  }
  return g_formatBuffer;
}
