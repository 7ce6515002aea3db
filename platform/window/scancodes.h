#pragma once
// Translation from the video system's key positions to the PC keyboard's set-1 scan codes
// that the game's key tables use (extended keys at 0x80 + code).

// Key positions (USB HID keyboard usages) run 0 .. PLATW_SCANCODE_SOURCE_COUNT - 1.
constexpr int PLATW_SCANCODE_SOURCE_COUNT = 512;

// The set-1 code (1..255) of a key position, 0 when the key has none or is out of range.
int PLATW_ScanCodeFromSdl(int sdlScancode);
