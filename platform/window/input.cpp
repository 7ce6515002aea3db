#include "platform/window/input.h"

#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/trace.h"
#include "platform/window/internal.h"
#include "platform/window/scancodes.h"
#include "platform/window/window.h"

struct PLAT_InputDevice {
  PLAT_DeviceKind kind;
  PLAT_Cooperation level;
  uint32_t windowId;  // 0 when no window was given
  bool acquired;
};

namespace {

constexpr int kMouseButtons = 4;
constexpr int kMouseAxes = 3;
constexpr int kKeyCount = 256;
constexpr uint8_t kDown = 0x80;

std::vector<PLAT_InputDevice*> g_devices;

// -1 follows the real focus; 0 or 1 set by PLAT_InputSetFocus.
int g_focusOverride = -1;

uint8_t g_injectedKeys[kKeyCount];
int g_injectedButtons = 0;

// Movement since the last mouse read; wide so that a long wait cannot overflow it.
int64_t g_dx = 0, g_dy = 0, g_dz = 0;

bool IsLive(const PLAT_InputDevice* dev) {
  return dev && std::find(g_devices.begin(), g_devices.end(), dev) != g_devices.end();
}

bool Exclusive(const PLAT_InputDevice* dev) {
  return dev->level == PLAT_Cooperation::ExclusiveForeground;
}

bool AnyMouseAcquired() {
  for (const PLAT_InputDevice* d : g_devices)
    if (d->kind == PLAT_DeviceKind::Mouse && d->acquired) return true;
  return false;
}

bool HasFocus(const PLAT_InputDevice* dev) {
  if (g_focusOverride >= 0) return g_focusOverride != 0;
  if (PLAT_IsHeadless()) return true;
  SDL_Window* focus = SDL_GetKeyboardFocus();
  return focus && SDL_GetWindowID(focus) == dev->windowId;
}

// A foreground device loses its access when its window loses focus or goes away.
bool StillUsable(PLAT_InputDevice* dev) {
  if (!Exclusive(dev)) return true;
  if (PLATW_FindWindow(dev->windowId) && HasFocus(dev)) return true;
  PLAT_InputUnacquire(dev);
  return false;
}

// Exclusive mouse access hides the pointer and reports raw movement, as the game expects.
void UpdateRelativeMode() {
  if (!SDL_WasInit(SDL_INIT_VIDEO) || PLAT_IsHeadless()) return;
  bool want = false;
  for (const PLAT_InputDevice* d : g_devices)
    if (d->kind == PLAT_DeviceKind::Mouse && d->acquired && Exclusive(d)) want = true;
  if (static_cast<bool>(SDL_GetRelativeMouseMode()) != want)
    SDL_SetRelativeMouseMode(want ? SDL_TRUE : SDL_FALSE);
}

int32_t TakeAxis(int64_t& acc) {
  int64_t v = std::clamp<int64_t>(acc, std::numeric_limits<int32_t>::min(),
                                  std::numeric_limits<int32_t>::max());
  acc = 0;
  return static_cast<int32_t>(v);
}

int CountMappedKeys() {
  int n = 0;
  for (int i = 0; i < PLATW_SCANCODE_SOURCE_COUNT; ++i)
    if (PLATW_ScanCodeFromSdl(i)) ++n;
  return n;
}

PLAT_DeviceInfo MakeInfo(PLAT_DeviceKind kind) {
  PLAT_DeviceInfo info{};
  info.kind = kind;
  bool mouse = kind == PLAT_DeviceKind::Mouse;
  std::strncpy(info.name, mouse ? "Mouse" : "Keyboard", sizeof info.name - 1);
  // A fixed identity: there is one system mouse and one system keyboard.
  const char* id = mouse ? "VN-SYSMOUSE-0001" : "VN-SYSKEYBD-0001";
  std::memcpy(info.instance, id, sizeof info.instance);
  info.buttons = mouse ? kMouseButtons : CountMappedKeys();
  info.axes = mouse ? kMouseAxes : 0;
  return info;
}

}  // namespace

void PLATW_AddMouseMotion(int dx, int dy, int dz) {
  // Movement while nobody holds the mouse would arrive as one jump at the next acquire.
  if (!AnyMouseAcquired()) return;
  g_dx += dx;
  g_dy += dy;
  g_dz += dz;
}

int PLAT_InputEnumDevices(PLAT_DeviceInfo* out, int max) {
  if (!out || max <= 0) return 0;
  if (!SDL_WasInit(SDL_INIT_VIDEO)) {
    PLAT_Trace("PLATINPUT: PLAT_InputEnumDevices() - video system not started\n");
    return 0;
  }
  const PLAT_DeviceKind kinds[] = {PLAT_DeviceKind::Mouse, PLAT_DeviceKind::Keyboard};
  int n = 0;
  for (PLAT_DeviceKind kind : kinds) {
    if (n >= max) break;
    out[n++] = MakeInfo(kind);
  }
  return n;
}

PLAT_InputDevice* PLAT_InputOpen(const PLAT_DeviceInfo& info) {
  if (info.kind != PLAT_DeviceKind::Mouse && info.kind != PLAT_DeviceKind::Keyboard) {
    PLAT_Trace("PLATINPUT: PLAT_InputOpen() - unknown device kind %d\n",
               static_cast<int>(info.kind));
    return nullptr;
  }
  // Without a cooperation level a device shares access, as the system's default.
  auto* dev = new PLAT_InputDevice{info.kind, PLAT_Cooperation::NonExclusiveBackground, 0, false};
  g_devices.push_back(dev);
  return dev;
}

void PLAT_InputClose(PLAT_InputDevice* dev) {
  if (!IsLive(dev)) return;
  PLAT_InputUnacquire(dev);
  g_devices.erase(std::find(g_devices.begin(), g_devices.end(), dev));
  delete dev;
}

bool PLAT_InputSetCooperation(PLAT_InputDevice* dev, PLAT_Window* w, PLAT_Cooperation level) {
  if (!IsLive(dev)) {
    PLAT_Trace("PLATINPUT: PLAT_InputSetCooperation() - no device\n");
    return false;
  }
  if (level != PLAT_Cooperation::ExclusiveForeground &&
      level != PLAT_Cooperation::NonExclusiveBackground) {
    PLAT_Trace("PLATINPUT: PLAT_InputSetCooperation() - unknown level %d\n",
               static_cast<int>(level));
    return false;
  }
  if (dev->acquired) {
    PLAT_Trace("PLATINPUT: PLAT_InputSetCooperation() - device is acquired\n");
    return false;
  }
  SDL_Window* sdl = static_cast<SDL_Window*>(PLAT_NativeWindow(w));
  // Foreground access follows a window's focus, so it needs one.
  if (level == PLAT_Cooperation::ExclusiveForeground && !sdl) {
    PLAT_Trace("PLATINPUT: PLAT_InputSetCooperation() - foreground access needs a window\n");
    return false;
  }
  dev->level = level;
  dev->windowId = sdl ? SDL_GetWindowID(sdl) : 0;
  return true;
}

bool PLAT_InputAcquire(PLAT_InputDevice* dev) {
  if (!IsLive(dev)) return false;
  if (Exclusive(dev) && (!PLATW_FindWindow(dev->windowId) || !HasFocus(dev))) {
    dev->acquired = false;
    return false;
  }
  dev->acquired = true;
  if (dev->kind == PLAT_DeviceKind::Mouse) UpdateRelativeMode();
  return true;
}

void PLAT_InputUnacquire(PLAT_InputDevice* dev) {
  if (!IsLive(dev) || !dev->acquired) return;
  dev->acquired = false;
  if (dev->kind == PLAT_DeviceKind::Mouse) UpdateRelativeMode();
}

bool PLAT_InputReadMouse(PLAT_InputDevice* dev, PLAT_MouseState* out) {
  if (!IsLive(dev) || dev->kind != PLAT_DeviceKind::Mouse || !out || !dev->acquired) return false;
  PLATW_PumpEvents();
  if (!StillUsable(dev)) return false;
  out->dx = TakeAxis(g_dx);
  out->dy = TakeAxis(g_dy);
  out->dz = TakeAxis(g_dz);
  uint32_t sdlButtons = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetMouseState(nullptr, nullptr) : 0;
  const uint32_t sdlMasks[kMouseButtons] = {SDL_BUTTON_LMASK, SDL_BUTTON_RMASK, SDL_BUTTON_MMASK,
                                            SDL_BUTTON_X1MASK};
  for (int i = 0; i < kMouseButtons; ++i) {
    bool down = (sdlButtons & sdlMasks[i]) || (g_injectedButtons & (1 << i));
    out->buttons[i] = down ? kDown : 0;
  }
  return true;
}

bool PLAT_InputReadKeyboard(PLAT_InputDevice* dev, uint8_t keys[256]) {
  if (!IsLive(dev) || dev->kind != PLAT_DeviceKind::Keyboard || !keys || !dev->acquired)
    return false;
  PLATW_PumpEvents();
  if (!StillUsable(dev)) return false;
  std::memset(keys, 0, kKeyCount);
  if (SDL_WasInit(SDL_INIT_VIDEO)) {
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    for (int i = 0; i < count && i < PLATW_SCANCODE_SOURCE_COUNT; ++i) {
      int code = state[i] ? PLATW_ScanCodeFromSdl(i) : 0;
      if (code) keys[code] = kDown;
    }
  }
  for (int i = 0; i < kKeyCount; ++i) keys[i] |= g_injectedKeys[i];
  return true;
}

void PLAT_InputInjectKey(int scanCode, bool down) {
  if (scanCode < 0 || scanCode >= kKeyCount) {
    PLAT_Trace("PLATINPUT: PLAT_InputInjectKey() - scan code %d out of range\n", scanCode);
    return;
  }
  g_injectedKeys[scanCode] = down ? kDown : 0;
}

void PLAT_InputInjectMouse(int dx, int dy, int dz, int buttonMask) {
  // Injected movement is kept until read even when no mouse is acquired yet.
  g_dx += dx;
  g_dy += dy;
  g_dz += dz;
  g_injectedButtons = buttonMask & ((1 << kMouseButtons) - 1);
}

void PLAT_InputSetFocus(bool focused) { g_focusOverride = focused ? 1 : 0; }
