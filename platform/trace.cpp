#include "platform/trace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

// One formatted line never exceeds this; longer output is cut, never overflowed.
constexpr size_t kTraceLineMax = 1024;

std::mutex g_traceLock;
PLAT_TraceSink g_sink = nullptr;
void* g_sinkUser = nullptr;

bool StderrEnabled() {
  const char* env = std::getenv("VANTORIA_TRACE");
  return !(env && std::strcmp(env, "0") == 0);
}

}  // namespace

void PLAT_TraceV(const char* fmt, va_list args) {
  if (!fmt) return;
  char line[kTraceLineMax];
  int n = std::vsnprintf(line, sizeof line, fmt, args);
  if (n < 0) return;
  if (static_cast<size_t>(n) >= sizeof line) {
    // Keep the end of line visible when a long line was cut.
    line[sizeof line - 2] = '\n';
    line[sizeof line - 1] = '\0';
  }

  std::lock_guard<std::mutex> lock(g_traceLock);
  if (g_sink) {
    g_sink(line, g_sinkUser);
    return;
  }
  if (StderrEnabled()) std::fputs(line, stderr);
}

void PLAT_Trace(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  PLAT_TraceV(fmt, args);
  va_end(args);
}

void PLAT_SetTraceSink(PLAT_TraceSink sink, void* user) {
  std::lock_guard<std::mutex> lock(g_traceLock);
  g_sink = sink;
  g_sinkUser = sink ? user : nullptr;
}
