#include "platform/window/window.h"

#include <SDL.h>
#include <dlfcn.h>
#include <link.h>

#include <algorithm>
#include <vector>

#include "platform/trace.h"
#include "platform/window/internal.h"

namespace {

constexpr int kMaxWindowSide = 16384;

// Creation order: the first live window is the main one.
std::vector<PLAT_Window*> g_windows;

// Callers may hold a window that has gone; those calls become no-ops instead of crashes.
bool IsLive(const PLAT_Window* w) {
  return w && std::find(g_windows.begin(), g_windows.end(), w) != g_windows.end();
}

PLAT_Window* List(SDL_Window* sdl) {
  auto* w = new PLAT_Window{};
  w->sdl = sdl;
  w->id = SDL_GetWindowID(sdl);
  g_windows.push_back(w);
  return w;
}

void Release(PLAT_Window* w) {
  if (w->captured) SDL_CaptureMouse(SDL_FALSE);
  SDL_DestroyWindow(w->sdl);
  delete w;
}

#if defined(__SANITIZE_ADDRESS__)
int PinModule(dl_phdr_info* info, size_t, void*) {
  if (info->dlpi_name && *info->dlpi_name)
    dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
  return 0;
}
#endif

}  // namespace

void PLATW_PinGlDriver() {
#if defined(__SANITIZE_ADDRESS__)
  // A window that never gets a context still loads the GL driver and unloads it when it goes.
  static bool loaded = false;
  if (!loaded) loaded = SDL_GL_LoadLibrary(nullptr) == 0;
  dl_iterate_phdr(PinModule, nullptr);
#endif
}

PLAT_Window* PLAT_CreateWindow(const char* title, int width, int height, uint32_t flags) {
  if (width <= 0 || height <= 0 || width > kMaxWindowSide || height > kMaxWindowSide) {
    PLAT_Trace("PLATWIN: PLAT_CreateWindow() - bad size %d x %d\n", width, height);
    return nullptr;
  }
  if (!PLAT_InitVideo()) return nullptr;
  // A pop-up window: no frame, hidden until the display is ready.
  Uint32 sdlFlags = SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS;
  if (flags & PLAT_WINDOW_OPENGL) {
    sdlFlags |= SDL_WINDOW_OPENGL;
    PLATW_PinGlDriver();
  }
  SDL_Window* sdl = SDL_CreateWindow(title ? title : "", SDL_WINDOWPOS_UNDEFINED,
                                     SDL_WINDOWPOS_UNDEFINED, width, height, sdlFlags);
  if (!sdl) {
    PLAT_Trace("PLATWIN: PLAT_CreateWindow() - %s\n", SDL_GetError());
    return nullptr;
  }
  return List(sdl);
}

void PLAT_DestroyWindow(PLAT_Window* w) {
  if (!IsLive(w)) return;
  g_windows.erase(std::find(g_windows.begin(), g_windows.end(), w));
  Release(w);
  PLATW_QueueEvent(PLAT_Event{PLAT_EventType::Destroy, 0, 0});
}

PLAT_Window* PLATW_AdoptWindow(SDL_Window* sdl) {
  if (!sdl) return nullptr;
  return List(sdl);
}

void PLATW_ReleaseWindow(PLAT_Window* w) {
  if (!IsLive(w)) return;
  g_windows.erase(std::find(g_windows.begin(), g_windows.end(), w));
  Release(w);
}

void PLATW_DestroyAllWindows() {
  for (PLAT_Window* w : g_windows) Release(w);
  g_windows.clear();
}

void PLATW_SetView(PLAT_Window* w, int pictureWidth, int pictureHeight, int viewWidth,
                   int viewHeight) {
  if (!IsLive(w)) return;
  w->pictureWidth = pictureWidth;
  w->pictureHeight = pictureHeight;
  w->viewWidth = viewWidth;
  w->viewHeight = viewHeight;
}

PLAT_Window* PLATW_FindWindow(uint32_t windowId) {
  for (PLAT_Window* w : g_windows)
    if (w->id == windowId) return w;
  return nullptr;
}

PLAT_Window* PLAT_MainWindow() { return g_windows.empty() ? nullptr : g_windows.front(); }

void* PLAT_NativeWindow(PLAT_Window* w) { return IsLive(w) ? w->sdl : nullptr; }

void PLAT_ShowWindow(PLAT_Window* w, bool show) {
  if (!IsLive(w)) return;
  if (show) {
    SDL_ShowWindow(w->sdl);
    SDL_RaiseWindow(w->sdl);
  } else {
    SDL_HideWindow(w->sdl);
  }
}

void PLAT_SetWindowPos(PLAT_Window* w, int x, int y) {
  if (IsLive(w)) SDL_SetWindowPosition(w->sdl, x, y);
}

void PLAT_SetWindowSize(PLAT_Window* w, int width, int height) {
  if (!IsLive(w)) return;
  if (width <= 0 || height <= 0 || width > kMaxWindowSide || height > kMaxWindowSide) {
    PLAT_Trace("PLATWIN: PLAT_SetWindowSize() - bad size %d x %d\n", width, height);
    return;
  }
  SDL_SetWindowSize(w->sdl, width, height);
}

void PLAT_GetWindowRect(PLAT_Window* w, int* x, int* y, int* width, int* height) {
  int rx = 0, ry = 0, rw = 0, rh = 0;
  if (IsLive(w)) {
    SDL_GetWindowPosition(w->sdl, &rx, &ry);
    SDL_GetWindowSize(w->sdl, &rw, &rh);
  }
  if (x) *x = rx;
  if (y) *y = ry;
  if (width) *width = rw;
  if (height) *height = rh;
}

void PLAT_GetDesktopSize(int* width, int* height) {
  SDL_DisplayMode mode{};
  if (!PLAT_InitVideo() || SDL_GetDesktopDisplayMode(0, &mode) != 0) {
    PLAT_Trace("PLATWIN: PLAT_GetDesktopSize() - %s\n", SDL_GetError());
    mode.w = 0;
    mode.h = 0;
  }
  if (width) *width = mode.w;
  if (height) *height = mode.h;
}

void PLAT_ShowCursor(bool show) {
  if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

bool PLAT_IsCursorShown() {
  return SDL_WasInit(SDL_INIT_VIDEO) && SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE;
}

bool PLAT_GetCursorPos(PLAT_Window* w, int* x, int* y) {
  if (!IsLive(w)) return false;
  // No pointer window (a headless run, or the pointer outside) leaves the last known place.
  SDL_Window* focus = SDL_GetMouseFocus();
  if (focus && focus != w->sdl) return false;
  int cx = 0, cy = 0;
  SDL_GetMouseState(&cx, &cy);
  if (x) *x = cx;
  if (y) *y = cy;
  return true;
}

void PLAT_WarpCursor(PLAT_Window* w, int x, int y) {
  if (!IsLive(w)) return;
  PLATW_NoteWarp(x, y);
  SDL_WarpMouseInWindow(w->sdl, x, y);
}

void PLAT_CaptureMouse(PLAT_Window* w, bool capture) {
  if (!IsLive(w)) return;
  if (capture) {
    // One window holds the capture at a time.
    for (PLAT_Window* other : g_windows) other->captured = false;
    if (SDL_CaptureMouse(SDL_TRUE) != 0 && !PLAT_IsHeadless())
      PLAT_Trace("PLATWIN: PLAT_CaptureMouse() - %s\n", SDL_GetError());
    w->captured = true;
  } else if (w->captured) {
    SDL_CaptureMouse(SDL_FALSE);
    w->captured = false;
  }
}

bool PLAT_HasMouseCapture(PLAT_Window* w) {
  if (!IsLive(w) || !w->captured) return false;
  // The system drops a capture when the window loses focus.
  if (PLAT_IsHeadless()) return true;
  return (SDL_GetWindowFlags(w->sdl) & SDL_WINDOW_MOUSE_CAPTURE) != 0;
}
