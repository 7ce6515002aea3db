#include "engine/input/appstate.h"

namespace {
int32_t g_appActive = 1;
}

int32_t SGE_SetAppActive(int32_t active) {
  int32_t previous = g_appActive;
  g_appActive = active ? 1 : 0;
  return previous;
}

int32_t SGE_IsAppActive() { return g_appActive; }
