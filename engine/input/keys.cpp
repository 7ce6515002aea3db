// Key state, key edges and the modifier keys.
#include "engine/input/inputstate.h"

namespace {

// Negative keys wrap too: -1 is key 255, never an index before the array.
uint32_t KeyIndex(int32_t key) { return static_cast<uint32_t>(key) % KOINPUT_NUM_KEYS; }

bool Down(const uint8_t* keys, int32_t key) {
  return keys && (keys[KeyIndex(key)] & KOINPUT_KEY_DOWN);
}

}  // namespace

int32_t KOINPUT_GetKeyState(KOINPUT_DEVICE* dev, int32_t key) {
  return dev && Down(dev->pKeys, key) ? 1 : 0;
}

int32_t KOINPUT_KeyPressed(KOINPUT_DEVICE* dev, int32_t key) {
  return dev && Down(dev->pKeys, key) && dev->pLastKeys && !Down(dev->pLastKeys, key) ? 1 : 0;
}

int32_t KOINPUT_KeyReleased(KOINPUT_DEVICE* dev, int32_t key) {
  return dev && dev->pKeys && !Down(dev->pKeys, key) && Down(dev->pLastKeys, key) ? 1 : 0;
}

void KOINPUT_ClearKey(KOINPUT_DEVICE* dev, int32_t key) {
  if (!dev || !dev->pKeys || !dev->pLastKeys) return;
  dev->pKeys[KeyIndex(key)] = 0;
  dev->pLastKeys[KeyIndex(key)] = 0;
}

int32_t KOINPUT_IsShiftDown(KOINPUT_DEVICE* dev) {
  return KOINPUT_GetKeyState(dev, KOINPUT_KEY_LSHIFT) || KOINPUT_GetKeyState(dev, KOINPUT_KEY_RSHIFT);
}

int32_t KOINPUT_IsCtrlDown(KOINPUT_DEVICE* dev) {
  return KOINPUT_GetKeyState(dev, KOINPUT_KEY_LCTRL) || KOINPUT_GetKeyState(dev, KOINPUT_KEY_RCTRL);
}

int32_t KOINPUT_IsAltDown(KOINPUT_DEVICE* dev) {
  return KOINPUT_GetKeyState(dev, KOINPUT_KEY_LALT) || KOINPUT_GetKeyState(dev, KOINPUT_KEY_RALT);
}
