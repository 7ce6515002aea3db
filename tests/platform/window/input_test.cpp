#include "platform/window/input.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

#include "platform/window/internal.h"
#include "platform/window/window.h"
#include "tests/support/support.h"

namespace {

constexpr uint8_t kDown = 0x80;

class InputDevices : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(PLAT_InitVideo());
    window = PLAT_CreateWindow("input", 640, 480, 0);
    ASSERT_NE(window, nullptr);
    PLAT_InputSetFocus(true);
    PLAT_DeviceInfo infos[4];
    ASSERT_EQ(PLAT_InputEnumDevices(infos, 4), 2);
    for (const PLAT_DeviceInfo& info : infos) {
      if (info.kind == PLAT_DeviceKind::Mouse && !mouse) mouse = PLAT_InputOpen(info);
      if (info.kind == PLAT_DeviceKind::Keyboard && !keyboard) keyboard = PLAT_InputOpen(info);
    }
    ASSERT_NE(mouse, nullptr);
    ASSERT_NE(keyboard, nullptr);
  }
  void TearDown() override {
    for (int k = 0; k < 256; ++k) PLAT_InputInjectKey(k, false);
    PLAT_InputClose(mouse);
    PLAT_InputClose(keyboard);
    PLAT_InputInjectMouse(0, 0, 0, 0);
    PLAT_InputSetFocus(true);
    PLAT_DestroyWindow(window);
    PLAT_Event ev;
    while (PLAT_PollEvent(&ev)) {
    }
  }
  void AcquireBoth(PLAT_Cooperation level) {
    ASSERT_TRUE(PLAT_InputSetCooperation(mouse, window, level));
    ASSERT_TRUE(PLAT_InputSetCooperation(keyboard, window, level));
    ASSERT_TRUE(PLAT_InputAcquire(mouse));
    ASSERT_TRUE(PLAT_InputAcquire(keyboard));
  }
  PLAT_Window* window = nullptr;
  PLAT_InputDevice* mouse = nullptr;
  PLAT_InputDevice* keyboard = nullptr;
};

TEST_F(InputDevices, EnumerationFillsNoMoreThanAsked) {
  PLAT_DeviceInfo one[1];
  EXPECT_EQ(PLAT_InputEnumDevices(one, 1), 1);
  EXPECT_EQ(PLAT_InputEnumDevices(one, 0), 0);
  EXPECT_EQ(PLAT_InputEnumDevices(nullptr, 4), 0);
}

TEST_F(InputDevices, InjectedKeysShowInTheKeyboardState) {
  AcquireBoth(PLAT_Cooperation::ExclusiveForeground);
  PLAT_InputInjectKey(30, true);
  PLAT_InputInjectKey(157, true);
  uint8_t keys[256];
  ASSERT_TRUE(PLAT_InputReadKeyboard(keyboard, keys));
  EXPECT_EQ(keys[30], kDown);
  EXPECT_EQ(keys[157], kDown);
  EXPECT_EQ(keys[31], 0);

  PLAT_InputInjectKey(30, false);
  ASSERT_TRUE(PLAT_InputReadKeyboard(keyboard, keys));
  EXPECT_EQ(keys[30], 0);
  EXPECT_EQ(keys[157], kDown);
}

TEST_F(InputDevices, OutOfRangeInjectedKeyIsTracedAndIgnored) {
  vntest::TraceCapture trace;
  PLAT_InputInjectKey(256, true);
  PLAT_InputInjectKey(-1, true);
  EXPECT_TRUE(trace.contains("out of range"));
}

TEST_F(InputDevices, MouseMovementAccumulatesUntilRead) {
  AcquireBoth(PLAT_Cooperation::ExclusiveForeground);
  PLAT_MouseState state;
  ASSERT_TRUE(PLAT_InputReadMouse(mouse, &state));  // start from nothing pending
  PLAT_InputInjectMouse(3, -4, 120, 1 | 4);
  PLAT_InputInjectMouse(2, 1, 0, 1 | 4);
  ASSERT_TRUE(PLAT_InputReadMouse(mouse, &state));
  EXPECT_EQ(state.dx, 5);
  EXPECT_EQ(state.dy, -3);
  EXPECT_EQ(state.dz, 120);
  EXPECT_EQ(state.buttons[0], kDown);  // left
  EXPECT_EQ(state.buttons[1], 0);      // right
  EXPECT_EQ(state.buttons[2], kDown);  // middle

  ASSERT_TRUE(PLAT_InputReadMouse(mouse, &state));
  EXPECT_EQ(state.dx, 0);
  EXPECT_EQ(state.dy, 0);
  EXPECT_EQ(state.dz, 0);
  EXPECT_EQ(state.buttons[0], kDown);  // buttons are state, not movement
}

// Pointer motion over the window is counted in pixels of the picture a device shows there;
// what falls short of a whole pixel is kept for the next motion, not lost.
TEST_F(InputDevices, WindowMotionIsCountedInThePicturesPixels) {
  struct Case {
    const char* name;
    int viewWidth, viewHeight;  // window pixels the 640x480 picture covers; 0: no device yet
    int step, steps;
    int dx, dy;
  } const cases[] = {
      {"no picture", 0, 0, 3, 10, 30, 30},
      {"one to one", 640, 480, 3, 10, 30, 30},
      {"full screen 1024x768", 1024, 768, 8, 10, 50, 50},
      {"single pixels add up", 1024, 768, 1, 16, 10, 10},
      {"backwards", 1024, 768, -1, 16, -10, -10},
      {"pillarbox on 1920x1080", 1440, 1080, 9, 4, 16, 16},
  };
  AcquireBoth(PLAT_Cooperation::ExclusiveForeground);
  SDL_Window* sdl = static_cast<SDL_Window*>(PLAT_NativeWindow(window));
  for (const Case& c : cases) {
    PLATW_SetView(window, 640, 480, c.viewWidth, c.viewHeight);
    PLATW_NoteWarp(0, 0);
    PLAT_MouseState state;
    ASSERT_TRUE(PLAT_InputReadMouse(mouse, &state));  // start from nothing pending
    for (int i = 1; i <= c.steps; ++i) {
      SDL_Event e{};
      e.type = SDL_MOUSEMOTION;
      e.motion.windowID = SDL_GetWindowID(sdl);
      e.motion.x = e.motion.y = i * c.step;
      e.motion.xrel = e.motion.yrel = c.step;
      SDL_PushEvent(&e);
    }
    ASSERT_TRUE(PLAT_InputReadMouse(mouse, &state));
    EXPECT_EQ(state.dx, c.dx) << c.name;
    EXPECT_EQ(state.dy, c.dy) << c.name;
  }
}

TEST_F(InputDevices, ExclusiveDevicesNeedFocusBackgroundOnesDoNot) {
  ASSERT_TRUE(PLAT_InputSetCooperation(keyboard, window, PLAT_Cooperation::ExclusiveForeground));
  ASSERT_TRUE(PLAT_InputSetCooperation(mouse, window, PLAT_Cooperation::NonExclusiveBackground));
  PLAT_InputSetFocus(false);
  EXPECT_FALSE(PLAT_InputAcquire(keyboard));
  EXPECT_TRUE(PLAT_InputAcquire(mouse));
  uint8_t keys[256];
  EXPECT_FALSE(PLAT_InputReadKeyboard(keyboard, keys));

  PLAT_InputSetFocus(true);
  EXPECT_TRUE(PLAT_InputAcquire(keyboard));
  EXPECT_TRUE(PLAT_InputReadKeyboard(keyboard, keys));

  // Losing focus takes an acquired foreground device away until it is acquired again.
  PLAT_InputSetFocus(false);
  EXPECT_FALSE(PLAT_InputReadKeyboard(keyboard, keys));
  PLAT_InputSetFocus(true);
  EXPECT_FALSE(PLAT_InputReadKeyboard(keyboard, keys));
  EXPECT_TRUE(PLAT_InputAcquire(keyboard));
  EXPECT_TRUE(PLAT_InputReadKeyboard(keyboard, keys));
}

TEST_F(InputDevices, ForegroundAccessNeedsALiveWindow) {
  vntest::TraceCapture trace;
  EXPECT_FALSE(PLAT_InputSetCooperation(keyboard, nullptr, PLAT_Cooperation::ExclusiveForeground));
  EXPECT_TRUE(trace.contains("needs a window"));
  EXPECT_TRUE(PLAT_InputSetCooperation(keyboard, nullptr, PLAT_Cooperation::NonExclusiveBackground));

  ASSERT_TRUE(PLAT_InputSetCooperation(mouse, window, PLAT_Cooperation::ExclusiveForeground));
  ASSERT_TRUE(PLAT_InputAcquire(mouse));
  PLAT_DestroyWindow(window);
  window = nullptr;
  PLAT_MouseState state;
  EXPECT_FALSE(PLAT_InputReadMouse(mouse, &state));
  EXPECT_FALSE(PLAT_InputAcquire(mouse));
}

TEST_F(InputDevices, ReadsFailOnUnacquiredOrMismatchedDevices) {
  uint8_t keys[256];
  PLAT_MouseState state;
  EXPECT_FALSE(PLAT_InputReadKeyboard(keyboard, keys));
  EXPECT_FALSE(PLAT_InputReadMouse(mouse, &state));
  AcquireBoth(PLAT_Cooperation::NonExclusiveBackground);
  EXPECT_FALSE(PLAT_InputReadKeyboard(mouse, keys));
  EXPECT_FALSE(PLAT_InputReadMouse(keyboard, &state));
  EXPECT_FALSE(PLAT_InputReadMouse(mouse, nullptr));
  PLAT_InputUnacquire(mouse);
  EXPECT_FALSE(PLAT_InputReadMouse(mouse, &state));
}

TEST_F(InputDevices, UnknownDeviceKindIsRefused) {
  vntest::TraceCapture trace;
  PLAT_DeviceInfo info{};
  info.kind = static_cast<PLAT_DeviceKind>(3);
  EXPECT_EQ(PLAT_InputOpen(info), nullptr);
  EXPECT_TRUE(trace.contains("unknown device kind"));
}

}  // namespace

namespace {

// The end-to-end tests' control file: moves read by two pumps of one frame, with no warp
// between, must add up as if read at once.
TEST_F(InputDevices, ControlFileMovesSplitOverPumpsAddUp) {
  vntest::TempDir dir;
  const std::string control = dir.file("control.txt");
  std::ofstream(control).close();
  setenv("VANTORIA_TEST_CONTROL", control.c_str(), 1);
  AcquireBoth(PLAT_Cooperation::ExclusiveForeground);
  PLAT_WarpCursor(window, 320, 240);
  PLAT_MouseState state;
  ASSERT_TRUE(PLAT_InputReadMouse(mouse, &state));  // start from nothing pending
  const int batches[] = {5, 15, 1};
  for (int moves : batches) {
    std::ofstream out(control, std::ios::app);
    for (int i = 0; i < moves; ++i) out << "move 11 7\n";
    out.close();
    PLATW_PumpEvents();
  }
  ASSERT_TRUE(PLAT_InputReadMouse(mouse, &state));
  unsetenv("VANTORIA_TEST_CONTROL");
  EXPECT_EQ(state.dx, 21 * 11);
  EXPECT_EQ(state.dy, 21 * 7);
}

}  // namespace
