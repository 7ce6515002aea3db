#include "driver/core/lasterror.h"

#include <cstdarg>
#include <cstdio>

#include "engine/driver/sppd.h"
#include "platform/trace.h"

namespace {
// Process-wide and unlocked: every export runs on the host's main thread.
char g_lastError[SPPD_LAST_ERROR_SIZE];
}  // namespace

void SPPD_SetLastError(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::vsnprintf(g_lastError, sizeof g_lastError, fmt, args);
  va_end(args);
  PLAT_Trace("GFXDRV: %s\n", g_lastError);
}

const char* SPPD_GetLastErrorString() { return g_lastError; }
