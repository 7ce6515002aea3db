#include <SDL.h>

#include <cstdlib>
#include <cstring>

#include "platform/text.h"
#include "platform/trace.h"
#include "platform/window/internal.h"
#include "platform/window/window.h"

namespace {

bool IsHeadlessDriver(const char* name) {
  return name && (PLAT_EqualNoCase(name, "offscreen") || PLAT_EqualNoCase(name, "dummy"));
}

bool HeadlessRequested() {
  const char* flag = std::getenv("VANTORIA_HEADLESS");
  return flag && *flag && std::strcmp(flag, "0") != 0;
}

}  // namespace

bool PLAT_IsHeadless() {
  if (HeadlessRequested()) return true;
  if (IsHeadlessDriver(std::getenv("SDL_VIDEODRIVER"))) return true;
  return SDL_WasInit(SDL_INIT_VIDEO) && IsHeadlessDriver(SDL_GetCurrentVideoDriver());
}

bool PLAT_InitVideo() {
  if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
  // A headless run without a chosen driver must not go looking for a display server.
  if (HeadlessRequested() && !std::getenv("SDL_VIDEODRIVER"))
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    PLAT_Trace("PLATWIN: PLAT_InitVideo() - %s\n", SDL_GetError());
    return false;
  }
  return true;
}

void PLAT_ShutdownVideo() {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
  PLATW_DestroyAllWindows();
  PLATW_ClearEvents();
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}
