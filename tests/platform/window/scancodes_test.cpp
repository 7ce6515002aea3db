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
  EXPECT_EQ(PLATW_ScanCodeFromKeyName(nullptr), 0);
  EXPECT_EQ(PLATW_ScanCodeFromKeyName("no such key"), 0);
}

struct Known {
  const char* name;
  int code;
};

void PrintTo(const Known& k, std::ostream* os) { *os << k.name << "=" << k.code; }

class KnownKeys : public ::testing::TestWithParam<Known> {};

TEST_P(KnownKeys, MapToTheirSetOneCode) {
  EXPECT_EQ(PLATW_ScanCodeFromKeyName(GetParam().name), GetParam().code) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    PcKeyboard, KnownKeys,
    ::testing::Values(Known{"Escape", 1}, Known{"1", 2}, Known{"0", 11}, Known{"Backspace", 14},
                      Known{"Tab", 15}, Known{"Q", 16}, Known{"P", 25}, Known{"Return", 28},
                      Known{"Left Ctrl", 29}, Known{"A", 30}, Known{"L", 38},
                      Known{"Left Shift", 42}, Known{"Z", 44}, Known{"M", 50},
                      Known{"Right Shift", 54}, Known{"Left Alt", 56}, Known{"Space", 57},
                      Known{"CapsLock", 58}, Known{"F1", 59}, Known{"F10", 68},
                      Known{"Keypad 7", 71}, Known{"Keypad -", 74}, Known{"Keypad 5", 76},
                      Known{"Keypad +", 78}, Known{"Keypad 0", 82}, Known{"Keypad .", 83},
                      Known{"F11", 87}, Known{"F12", 88}, Known{"Keypad Enter", 156},
                      Known{"Right Ctrl", 157}, Known{"Keypad /", 181}, Known{"Right Alt", 184},
                      Known{"Home", 199}, Known{"Up", 200}, Known{"PageUp", 201},
                      Known{"Left", 203}, Known{"Right", 205}, Known{"End", 207},
                      Known{"Down", 208}, Known{"PageDown", 209}, Known{"Insert", 210},
                      Known{"Delete", 211}, Known{"Left GUI", 219}, Known{"Right GUI", 220},
                      Known{"Application", 221}));

}  // namespace
