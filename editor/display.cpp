// The editor's display switch.
#include "editor/aiedit.h"

namespace {
int32_t g_displayOn = 0;
}  // namespace

int32_t vnAIEDIT_IsDisplayOn() { return g_displayOn; }

int32_t vnAIEDIT_SetDisplayOn(int32_t on) {
  const int32_t old = g_displayOn;
  g_displayOn = on != 0;
  return old;
}
