#include <gtest/gtest.h>

#include <map>
#include <ostream>

#include "platform/window/scancodes.h"

namespace {

// USB usages of the ANSI backslash and the ISO '#' key: one position, one set-1 code.
constexpr int kAnsiBackslash = 49;
constexpr int kIsoHash = 50;

TEST(ScanCodes, EveryCodeNamesOneKeyOnly) {
  std::map<int, int> seen;
  for (int sdl = 0; sdl < PLATW_SCANCODE_SOURCE_COUNT; ++sdl) {
    int code = PLATW_ScanCodeFromSdl(sdl);
    if (!code || sdl == kIsoHash) continue;
    EXPECT_LE(code, 255);
    auto [it, fresh] = seen.emplace(code, sdl);
    EXPECT_TRUE(fresh) << "code " << code << " for keys " << it->second << " and " << sdl;
  }
  EXPECT_GE(seen.size(), 104u);  // at least a full PC keyboard
  EXPECT_EQ(PLATW_ScanCodeFromSdl(kIsoHash), PLATW_ScanCodeFromSdl(kAnsiBackslash));
}

// Every code of the 105-key main block (0x01..0x53, then 0x56..0x58) comes from some key.
TEST(ScanCodes, TheWholeMainBlockIsReachable) {
  bool reached[256] = {};
  for (int sdl = 0; sdl < PLATW_SCANCODE_SOURCE_COUNT; ++sdl)
    reached[PLATW_ScanCodeFromSdl(sdl)] = true;
  for (int code = 0x01; code <= 0x58; ++code) {
    if (code == 0x54 || code == 0x55) continue;  // SysRq and an unused code: no key of their own
    EXPECT_TRUE(reached[code]) << "code " << code;
  }
}

// Letters by usage (A = 4 .. Z = 29) and their set-1 codes on the QWERTY rows.
TEST(ScanCodes, LettersFollowTheQwertyRows) {
  const int codes[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                         0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                         0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
  for (int i = 0; i < 26; ++i)
    EXPECT_EQ(PLATW_ScanCodeFromSdl(4 + i), codes[i]) << static_cast<char>('A' + i);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(PLATW_ScanCodeFromSdl(30 + i), 2 + i) << "digit row " << i;
}

TEST(ScanCodes, OutOfRangeKeysHaveNoCode) {
  EXPECT_EQ(PLATW_ScanCodeFromSdl(-1), 0);
  EXPECT_EQ(PLATW_ScanCodeFromSdl(PLATW_SCANCODE_SOURCE_COUNT), 0);
}

// Keys by their USB HID keyboard usage, the numbering of the video system's key positions.
struct Known {
  const char* name;
  int usage;
  int code;
};

void PrintTo(const Known& k, std::ostream* os) { *os << k.name << "=" << k.code; }

class KnownKeys : public ::testing::TestWithParam<Known> {};

TEST_P(KnownKeys, MapToTheirSetOneCode) {
  EXPECT_EQ(PLATW_ScanCodeFromSdl(GetParam().usage), GetParam().code) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    PcKeyboard, KnownKeys,
    ::testing::Values(
        Known{"Escape", 41, 1}, Known{"1", 30, 2}, Known{"0", 39, 11},
        Known{"Backspace", 42, 14}, Known{"Tab", 43, 15}, Known{"Q", 20, 16}, Known{"P", 19, 25},
        Known{"Enter", 40, 28}, Known{"LCtrl", 224, 29}, Known{"A", 4, 30}, Known{"L", 15, 38},
        Known{"LShift", 225, 42}, Known{"Z", 29, 44}, Known{"M", 16, 50},
        Known{"RShift", 229, 54}, Known{"LAlt", 226, 56}, Known{"Space", 44, 57},
        Known{"CapsLock", 57, 58}, Known{"F1", 58, 59}, Known{"F10", 67, 68},
        Known{"Keypad7", 95, 71}, Known{"KeypadMinus", 86, 74}, Known{"Keypad5", 93, 76},
        Known{"KeypadPlus", 87, 78}, Known{"Keypad0", 98, 82}, Known{"KeypadPeriod", 99, 83},
        Known{"F11", 68, 87}, Known{"F12", 69, 88}, Known{"KeypadEnter", 88, 156},
        Known{"RCtrl", 228, 157}, Known{"KeypadSlash", 84, 181}, Known{"RAlt", 230, 184},
        Known{"Home", 74, 199}, Known{"Up", 82, 200}, Known{"PageUp", 75, 201},
        Known{"Left", 80, 203}, Known{"Right", 79, 205}, Known{"End", 77, 207},
        Known{"Down", 81, 208}, Known{"PageDown", 78, 209}, Known{"Insert", 73, 210},
        Known{"Delete", 76, 211}, Known{"LWin", 227, 219}, Known{"RWin", 231, 220},
        Known{"Apps", 101, 221}, Known{"Minus", 45, 12}, Known{"Equals", 46, 13},
        Known{"LBracket", 47, 26}, Known{"RBracket", 48, 27}, Known{"Backslash", 49, 43},
        Known{"IsoHash", 50, 43}, Known{"Semicolon", 51, 39}, Known{"Apostrophe", 52, 40},
        Known{"Grave", 53, 41}, Known{"Comma", 54, 51}, Known{"Period", 55, 52},
        Known{"Slash", 56, 53}, Known{"F2", 59, 60}, Known{"F9", 66, 67},
        Known{"PrintScreen", 70, 183}, Known{"ScrollLock", 71, 70}, Known{"Pause", 72, 197},
        Known{"NumLock", 83, 69}, Known{"KeypadStar", 85, 55}, Known{"Keypad1", 89, 79},
        Known{"Keypad2", 90, 80}, Known{"Keypad3", 91, 81}, Known{"Keypad4", 92, 75},
        Known{"Keypad6", 94, 77}, Known{"Keypad8", 96, 72}, Known{"Keypad9", 97, 73},
        Known{"IsoBackslash", 100, 86}, Known{"AbntKeypadPoint", 133, 126},
        Known{"AbntSlash", 135, 115}, Known{"Kana", 136, 112}, Known{"Yen", 137, 125},
        Known{"Convert", 138, 121}, Known{"NoConvert", 139, 123}));

}  // namespace
