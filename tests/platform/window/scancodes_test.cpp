#include <gtest/gtest.h>

#include <map>
#include <ostream>

#include "platform/window/scancodes.h"

namespace {

TEST(ScanCodes, EveryCodeNamesOneKeyOnly) {
  std::map<int, int> seen;
  for (int sdl = 0; sdl < PLATW_SCANCODE_SOURCE_COUNT; ++sdl) {
    int code = PLATW_ScanCodeFromSdl(sdl);
    if (!code) continue;
    EXPECT_LE(code, 255);
    auto [it, fresh] = seen.emplace(code, sdl);
    EXPECT_TRUE(fresh) << "code " << code << " for keys " << it->second << " and " << sdl;
  }
  EXPECT_GE(seen.size(), 104u);  // at least a full PC keyboard
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
        Known{"Apps", 101, 221}));

}  // namespace
