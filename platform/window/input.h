#pragma once
// Keyboard and mouse devices, read once a frame. Keys are the PC keyboard's set-1 scan codes
// 0..255, with the extended keys at 0x80 + code (right Ctrl 157, right Alt 184, arrows 200..208).
// Foreground/exclusive devices read only while the window has focus; background/non-exclusive
// ones always. Tests inject key and mouse input through the same path SDL's events take.
#include <cstdint>

struct PLAT_Window;

enum class PLAT_DeviceKind : int32_t { Mouse = 1, Keyboard = 2 };

struct PLAT_InputDevice;

struct PLAT_DeviceInfo {
  PLAT_DeviceKind kind;
  char name[64];
  uint8_t instance[16];  // stable identity of the device
  int32_t buttons;       // mouse buttons, or keys for a keyboard
  int32_t axes;
};

// Access levels: exclusive foreground (the game's normal one) or non-exclusive background.
enum class PLAT_Cooperation { ExclusiveForeground, NonExclusiveBackground };

struct PLAT_MouseState {
  int32_t dx, dy, dz;
  uint8_t buttons[4];  // bit 7 set while down: 0 left, 1 right, 2 middle, 3 fourth
};

// Lists the attached devices: one mouse and one keyboard when the video system is up.
int PLAT_InputEnumDevices(PLAT_DeviceInfo* out, int max);
PLAT_InputDevice* PLAT_InputOpen(const PLAT_DeviceInfo& info);
void PLAT_InputClose(PLAT_InputDevice* dev);
bool PLAT_InputSetCooperation(PLAT_InputDevice* dev, PLAT_Window* w, PLAT_Cooperation level);
// Acquire fails while an exclusive foreground device's window lacks focus.
bool PLAT_InputAcquire(PLAT_InputDevice* dev);
void PLAT_InputUnacquire(PLAT_InputDevice* dev);
// Movement since the previous read, and the buttons now.
bool PLAT_InputReadMouse(PLAT_InputDevice* dev, PLAT_MouseState* out);
// The 256-byte key state, bit 7 set for keys held down.
bool PLAT_InputReadKeyboard(PLAT_InputDevice* dev, uint8_t keys[256]);

// Test input, delivered as the real events would be.
void PLAT_InputInjectKey(int scanCode, bool down);
void PLAT_InputInjectMouse(int dx, int dy, int dz, int buttonMask);  // mask bits: 1 left, 2 right, 4 middle
void PLAT_InputSetFocus(bool focused);  // headless runs have no real focus changes
