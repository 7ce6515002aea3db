#pragma once
// Keyboard and mouse devices. Once a frame KOINPUT_Poll reads them, works out key and button
// edges, moves the mouse position inside its clamp rectangle and sends SGM_TASK_INPUT to every
// subscribed task (p1 the subscription, p2 the device).
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/memory/lists.h"
#include "platform/window/input.h"

// Device types, also the bits of a subscription's mask.
constexpr int32_t KOINPUT_TYPE_MOUSE = 1;
constexpr int32_t KOINPUT_TYPE_KEYBOARD = 2;

constexpr int32_t KOINPUT_MAX_DEVICES = 8;
constexpr int32_t KOINPUT_NUM_KEYS = 256;
constexpr uint8_t KOINPUT_KEY_DOWN = 0x80;

// Mouse button bits.
constexpr int32_t KOINPUT_MOUSE_LEFT = 1;
constexpr int32_t KOINPUT_MOUSE_RIGHT = 2;
constexpr int32_t KOINPUT_MOUSE_MIDDLE = 4;

// Scan codes of the modifier keys.
constexpr int32_t KOINPUT_KEY_LSHIFT = 42;
constexpr int32_t KOINPUT_KEY_RSHIFT = 54;
constexpr int32_t KOINPUT_KEY_LCTRL = 29;
constexpr int32_t KOINPUT_KEY_RCTRL = 157;
constexpr int32_t KOINPUT_KEY_LALT = 56;
constexpr int32_t KOINPUT_KEY_RALT = 184;

// Errors of the device layer, named by SGE_GetInputErrorName.
constexpr int32_t KOINPUT_OK = 0;
constexpr int32_t KOINPUT_ERR_NOVIDEO = 1;      // no video system, so no devices
constexpr int32_t KOINPUT_ERR_OPEN = 2;         // the device could not be opened
constexpr int32_t KOINPUT_ERR_COOPERATION = 3;  // the access level was refused
constexpr int32_t KOINPUT_ERR_NOTACQUIRED = 4;  // another window has the focus
constexpr int32_t KOINPUT_ERR_READ = 5;         // the state could not be read
constexpr int32_t KOINPUT_ERR_OUTOFMEMORY = 6;  // no room for the device record

constexpr int32_t KOINPUT_ERRORNAME_SIZE = 4096;

struct KOINPUT_CAPS {
  int32_t nButtons;
  int32_t nAxes;
};

struct KOINPUT_DEVICE {
  int32_t nType;              // KOINPUT_TYPE_MOUSE or KOINPUT_TYPE_KEYBOARD
  PLAT_DeviceInfo instance;   // as enumerated
  KOINPUT_CAPS caps;
  PLAT_InputDevice* pDevice;

  // Mouse.
  float fLastRead;            // SGE_GetSeconds at the previous read
  int32_t dwButtons;          // KOINPUT_MOUSE_* bits now
  int32_t dwLastButtons;      // ... and at the previous read
  int32_t dwPressed;          // went down since the previous read
  int32_t dwReleased;         // went up since the previous read
  int32_t nX, nY;
  int32_t nDX, nDY, nDZ;      // the last movement
  float fRateX, fRateY, fRateZ;  // movement per second
  int32_t nLeft, nTop, nWidth, nHeight;  // clamp rectangle

  // Keyboard: two key-state arrays used in turn.
  int32_t nBuffer;
  uint8_t keyBuffers[2][KOINPUT_NUM_KEYS];
  uint8_t* pKeys;      // now
  uint8_t* pLastKeys;  // at the previous read
};

struct KOINPUT_SUBSCRIBER {
  SGE_DLLNODE link;
  int32_t nMask;   // KOINPUT_TYPE_* bits
  int32_t nValue;  // the subscriber's own
  SGE_TASK* pTask;
};

// 1, or 0 when there is no video system (then nothing is kept).
int32_t KOINPUT_Init();
void KOINPUT_Shutdown();
// The per-frame step: read, then message every subscriber, then park the cursor.
void KOINPUT_Poll();

// Newest first; none when there is no room or no task.
KOINPUT_SUBSCRIBER* KOINPUT_Subscribe(int32_t typeMask, int32_t value, SGE_TASK* task);
void KOINPUT_Unsubscribe(KOINPUT_SUBSCRIBER* sub);

KOINPUT_DEVICE* KOINPUT_GetDevice(int32_t index);
// The first device whose type has a bit of the mask.
KOINPUT_DEVICE* KOINPUT_FindDevice(int32_t typeMask);
int32_t KOINPUT_GetDeviceCount();

// Sets the clamp rectangle of a mouse (other devices are left as they are); the device.
KOINPUT_DEVICE* KOINPUT_SetMouseRect(KOINPUT_DEVICE* dev, int32_t left, int32_t top,
                                     int32_t width, int32_t height);

// Keys are set-1 scan codes, taken modulo 256.
int32_t KOINPUT_GetKeyState(KOINPUT_DEVICE* dev, int32_t key);
int32_t KOINPUT_KeyPressed(KOINPUT_DEVICE* dev, int32_t key);
int32_t KOINPUT_KeyReleased(KOINPUT_DEVICE* dev, int32_t key);
// Clears the key now and before, so that its edge is reported once.
void KOINPUT_ClearKey(KOINPUT_DEVICE* dev, int32_t key);
int32_t KOINPUT_IsShiftDown(KOINPUT_DEVICE* dev);
int32_t KOINPUT_IsCtrlDown(KOINPUT_DEVICE* dev);
int32_t KOINPUT_IsAltDown(KOINPUT_DEVICE* dev);

// 1 (the default): exclusive foreground access; 0: shared background access. Takes effect at
// the next KOINPUT_Init.
void KOINPUT_SetCooperative(int32_t flag);

const char* SGE_GetInputErrorName(int32_t code);
