#include "engine/input/koinput.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/input/appstate.h"
#include "engine/kernel/frametime.h"
#include "engine/kernel/kernel.h"
#include "engine/memory/memblock.h"
#include "platform/clock.h"
#include "platform/window/input.h"
#include "platform/window/window.h"
#include "tests/support/support.h"

namespace {

constexpr int32_t kProbeType = 451;
constexpr int32_t kKeyA = 30;

uint32_t g_nowMs = 10000;
uint32_t FakeClock() { return g_nowMs; }

// What one SGM_TASK_INPUT delivered, read while the message was being handled.
struct Delivery {
  SGE_TASK* task;
  KOINPUT_SUBSCRIBER* sub;
  KOINPUT_DEVICE* dev;
  int32_t keyDown, pressed, released;
};

std::vector<Delivery> g_got;
// Set by a test: what the probe does with the key or subscriptions on input.
bool g_clearKeyOnInput = false;
std::vector<KOINPUT_SUBSCRIBER*> g_unsubscribeOnInput;

SGE_RESULT ProbeHandler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                        SGE_PARAM p2) {
  if (msg != SGM_TASK_INPUT) return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
  auto* dev = SGE_ParamPtr<KOINPUT_DEVICE>(p2);
  Delivery d{task, SGE_ParamPtr<KOINPUT_SUBSCRIBER>(p1), dev, 0, 0, 0};
  if (dev->nType == KOINPUT_TYPE_KEYBOARD) {
    d.keyDown = KOINPUT_GetKeyState(dev, kKeyA);
    d.pressed = KOINPUT_KeyPressed(dev, kKeyA);
    d.released = KOINPUT_KeyReleased(dev, kKeyA);
    if (g_clearKeyOnInput) KOINPUT_ClearKey(dev, kKeyA);
  }
  g_got.push_back(d);
  for (KOINPUT_SUBSCRIBER* s : g_unsubscribeOnInput) KOINPUT_Unsubscribe(s);
  g_unsubscribeOnInput.clear();
  return 1;
}

class Input : public ::testing::Test {
 protected:
  void SetUp() override {
    g_got.clear();
    g_clearKeyOnInput = false;
    g_unsubscribeOnInput.clear();
    g_nowMs = 10000;
    PLAT_SetClockOverride(&FakeClock);
    ASSERT_EQ(SGE_InitMemoryAndKernel(0), 1);
    ASSERT_EQ(SPW_CreateEngineBlocks(), 1);
    SGE_InitFrameTiming();
    window = PLAT_CreateWindow("input", 640, 480, 0);
    ASSERT_NE(window, nullptr);
    PLAT_InputSetFocus(true);
    SGE_SetAppActive(1);
    KOINPUT_SetCooperative(1);
    ASSERT_EQ(KOINPUT_Init(), 1);
    ASSERT_EQ(KOINPUT_GetDeviceCount(), 2);
    mouse = KOINPUT_FindDevice(KOINPUT_TYPE_MOUSE);
    keyboard = KOINPUT_FindDevice(KOINPUT_TYPE_KEYBOARD);
    ASSERT_NE(mouse, nullptr);
    ASSERT_NE(keyboard, nullptr);
    SGE_TASKTYPE type{};
    type.nTypeId = kProbeType;
    type.pHandler = &ProbeHandler;
    type.fFlags = SGE_TTF_ZERO_DATA;
    type.nInstanceSize = 16;
    std::strcpy(type.szName, "InputProbe");
    ASSERT_EQ(SGE_RegisterTaskType(type), 1);
    task = SGE_CreateTask(kProbeType, nullptr, nullptr, 0, 0);
    ASSERT_NE(task, nullptr);
  }
  void TearDown() override {
    KOINPUT_Shutdown();
    for (int k = 0; k < 256; ++k) PLAT_InputInjectKey(k, false);
    PLAT_InputInjectMouse(0, 0, 0, 0);
    PLAT_InputSetFocus(true);
    SGE_SetAppActive(1);
    PLAT_DestroyWindow(window);
    PLAT_Event ev;
    while (PLAT_PollEvent(&ev)) {
    }
    SPW_ReleaseEngineBlocks();
    SGE_ShutdownKernelAndMemory();
    PLAT_SetClockOverride(nullptr);
  }
  // One frame as the frame loop runs it: timing, then input.
  void Frame() {
    g_nowMs += 20;
    SGE_UpdateFrameTiming();
    KOINPUT_Poll();
  }
  std::vector<Delivery> KeyboardDeliveries() const {
    std::vector<Delivery> out;
    for (const Delivery& d : g_got)
      if (d.dev == keyboard) out.push_back(d);
    return out;
  }

  PLAT_Window* window = nullptr;
  SGE_TASK* task = nullptr;
  KOINPUT_DEVICE* mouse = nullptr;
  KOINPUT_DEVICE* keyboard = nullptr;
};

TEST_F(Input, KeyEdgesAreReportedOnceToSubscribers) {
  ASSERT_NE(KOINPUT_Subscribe(KOINPUT_TYPE_KEYBOARD, 0, task), nullptr);
  // Frame by frame: is the key injected down, and what the subscriber should see.
  struct Step {
    bool down;
    int32_t keyDown, pressed, released;
  };
  const Step steps[] = {{true, 1, 1, 0}, {true, 1, 0, 0}, {true, 1, 0, 0},
                        {false, 0, 0, 1}, {false, 0, 0, 0}, {true, 1, 1, 0}};
  for (const Step& s : steps) {
    PLAT_InputInjectKey(kKeyA, s.down);
    g_got.clear();
    Frame();
    ASSERT_EQ(g_got.size(), 1u);
    EXPECT_EQ(g_got[0].keyDown, s.keyDown);
    EXPECT_EQ(g_got[0].pressed, s.pressed);
    EXPECT_EQ(g_got[0].released, s.released);
  }
}

TEST_F(Input, EachSubscriptionGetsOneMessagePerMatchingDevice) {
  KOINPUT_SUBSCRIBER* both = KOINPUT_Subscribe(KOINPUT_TYPE_MOUSE | KOINPUT_TYPE_KEYBOARD, 7, task);
  KOINPUT_SUBSCRIBER* mouseOnly = KOINPUT_Subscribe(KOINPUT_TYPE_MOUSE, 8, task);
  ASSERT_NE(both, nullptr);
  ASSERT_NE(mouseOnly, nullptr);
  EXPECT_EQ(both->nValue, 7);
  Frame();
  // Newest subscription first, devices in table order.
  ASSERT_EQ(g_got.size(), 3u);
  EXPECT_EQ(g_got[0].sub, mouseOnly);
  EXPECT_EQ(g_got[0].dev, mouse);
  EXPECT_EQ(g_got[1].sub, both);
  EXPECT_EQ(g_got[2].sub, both);
  EXPECT_NE(g_got[1].dev, g_got[2].dev);

  KOINPUT_Unsubscribe(mouseOnly);
  g_got.clear();
  Frame();
  EXPECT_EQ(g_got.size(), 2u);
}

TEST_F(Input, MouseStopsAtTheLastColumnAndRowOfItsRectangle) {
  ASSERT_EQ(KOINPUT_SetMouseRect(mouse, 10, 20, 100, 50), mouse);
  PLAT_InputInjectMouse(1000, 1000, 0, 0);
  Frame();
  EXPECT_EQ(mouse->nX, 109);
  EXPECT_EQ(mouse->nY, 69);
  EXPECT_EQ(mouse->nDX, 1000);
  PLAT_InputInjectMouse(-5000, -5000, 0, 0);
  Frame();
  EXPECT_EQ(mouse->nX, 10);
  EXPECT_EQ(mouse->nY, 20);
  PLAT_InputInjectMouse(3, 4, 0, 0);
  Frame();
  EXPECT_EQ(mouse->nX, 13);
  EXPECT_EQ(mouse->nY, 24);
}

TEST_F(Input, EmptyMouseRectanglePinsToItsCorner) {
  ASSERT_EQ(KOINPUT_SetMouseRect(mouse, 5, 6, 0, 0), mouse);
  PLAT_InputInjectMouse(-30, 40, 0, 0);
  Frame();
  EXPECT_EQ(mouse->nX, 5);
  EXPECT_EQ(mouse->nY, 6);
}

TEST_F(Input, MouseRectangleIsForMiceOnly) {
  vntest::TraceCapture trace;
  // The device comes back either way; a keyboard gets no rectangle.
  EXPECT_EQ(KOINPUT_SetMouseRect(keyboard, 1, 2, 10, 10), keyboard);
  EXPECT_EQ(keyboard->nLeft, 0);
  EXPECT_EQ(keyboard->nWidth, 0);
  EXPECT_TRUE(trace.contains("not a mouse"));
  EXPECT_EQ(KOINPUT_SetMouseRect(nullptr, 0, 0, 10, 10), nullptr);
}

TEST_F(Input, ButtonEdgesFollowTheButtons) {
  PLAT_InputInjectMouse(0, 0, 0, 1 | 2);  // left and right
  Frame();
  EXPECT_EQ(mouse->dwButtons, KOINPUT_MOUSE_LEFT | KOINPUT_MOUSE_RIGHT);
  EXPECT_EQ(mouse->dwPressed, KOINPUT_MOUSE_LEFT | KOINPUT_MOUSE_RIGHT);
  EXPECT_EQ(mouse->dwReleased, 0);
  PLAT_InputInjectMouse(0, 0, 0, 2 | 4);  // right stays, middle goes down
  Frame();
  EXPECT_EQ(mouse->dwButtons, KOINPUT_MOUSE_RIGHT | KOINPUT_MOUSE_MIDDLE);
  EXPECT_EQ(mouse->dwPressed, KOINPUT_MOUSE_MIDDLE);
  EXPECT_EQ(mouse->dwReleased, KOINPUT_MOUSE_LEFT);
}

TEST_F(Input, InactiveApplicationReadsNothingButStillMessages) {
  KOINPUT_SetMouseRect(mouse, 0, 0, 640, 480);
  ASSERT_NE(KOINPUT_Subscribe(KOINPUT_TYPE_MOUSE | KOINPUT_TYPE_KEYBOARD, 0, task), nullptr);
  SGE_SetAppActive(0);
  PLAT_InputInjectKey(kKeyA, true);
  PLAT_InputInjectMouse(50, 60, 0, 1);
  Frame();
  EXPECT_EQ(g_got.size(), 2u);
  EXPECT_EQ(KOINPUT_GetKeyState(keyboard, kKeyA), 0);
  EXPECT_EQ(mouse->nX, 0);
  EXPECT_EQ(mouse->dwButtons, 0);

  SGE_SetAppActive(1);
  Frame();
  EXPECT_EQ(KOINPUT_KeyPressed(keyboard, kKeyA), 1);
  EXPECT_EQ(mouse->dwButtons, KOINPUT_MOUSE_LEFT);
}

TEST_F(Input, DeviceWithoutFocusKeepsItsLastState) {
  ASSERT_NE(KOINPUT_Subscribe(KOINPUT_TYPE_KEYBOARD, 0, task), nullptr);
  PLAT_InputInjectKey(kKeyA, true);
  Frame();
  ASSERT_EQ(KOINPUT_GetKeyState(keyboard, kKeyA), 1);
  PLAT_InputSetFocus(false);
  PLAT_InputInjectKey(kKeyA, false);
  g_got.clear();
  Frame();
  EXPECT_EQ(g_got.size(), 1u);
  EXPECT_EQ(KOINPUT_GetKeyState(keyboard, kKeyA), 1);
  PLAT_InputSetFocus(true);
  Frame();
  EXPECT_EQ(KOINPUT_KeyReleased(keyboard, kKeyA), 1);
}

TEST_F(Input, ClearKeyHidesTheEdgeFromLaterSubscribers) {
  SGE_TASK* older = SGE_CreateTask(kProbeType, nullptr, nullptr, 0, 0);
  ASSERT_NE(older, nullptr);
  ASSERT_NE(KOINPUT_Subscribe(KOINPUT_TYPE_KEYBOARD, 0, older), nullptr);
  ASSERT_NE(KOINPUT_Subscribe(KOINPUT_TYPE_KEYBOARD, 0, task), nullptr);
  g_clearKeyOnInput = true;
  PLAT_InputInjectKey(kKeyA, true);
  Frame();
  std::vector<Delivery> got = KeyboardDeliveries();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].task, task);
  EXPECT_EQ(got[0].pressed, 1);
  EXPECT_EQ(got[1].task, older);
  EXPECT_EQ(got[1].pressed, 0);
  EXPECT_EQ(got[1].keyDown, 0);
  EXPECT_EQ(got[1].released, 0);
}

TEST_F(Input, MouseRateIsMovementPerSecondAndZeroWithoutElapsedTime) {
  Frame();
  PLAT_InputInjectMouse(10, -20, 0, 0);
  g_nowMs += 480;  // with Frame()'s 20: half a second since the last read
  Frame();
  EXPECT_FLOAT_EQ(mouse->fRateX, 20.0f);
  EXPECT_FLOAT_EQ(mouse->fRateY, -40.0f);

  // A second poll in the same frame: no time has passed.
  PLAT_InputInjectMouse(10, 10, 120, 0);
  KOINPUT_Poll();
  EXPECT_EQ(mouse->nDX, 10);
  EXPECT_EQ(mouse->fRateX, 0.0f);
  EXPECT_EQ(mouse->fRateY, 0.0f);
  EXPECT_EQ(mouse->fRateZ, 0.0f);
}

TEST_F(Input, KeysWrapModulo256AndModifiersCountBothSides) {
  PLAT_InputInjectKey(kKeyA, true);
  PLAT_InputInjectKey(255, true);
  Frame();
  EXPECT_EQ(KOINPUT_GetKeyState(keyboard, kKeyA + 256), 1);
  EXPECT_EQ(KOINPUT_GetKeyState(keyboard, -1), 1);
  EXPECT_EQ(KOINPUT_GetKeyState(keyboard, kKeyA + 1), 0);

  struct Modifier {
    int key;
    int32_t (*test)(KOINPUT_DEVICE*);
  };
  const Modifier modifiers[] = {{42, KOINPUT_IsShiftDown}, {54, KOINPUT_IsShiftDown},
                                {29, KOINPUT_IsCtrlDown},  {157, KOINPUT_IsCtrlDown},
                                {56, KOINPUT_IsAltDown},   {184, KOINPUT_IsAltDown}};
  for (const Modifier& m : modifiers) {
    EXPECT_EQ(m.test(keyboard), 0) << m.key;
    PLAT_InputInjectKey(m.key, true);
    Frame();
    EXPECT_EQ(m.test(keyboard), 1) << m.key;
    PLAT_InputInjectKey(m.key, false);
    Frame();
  }
  EXPECT_EQ(KOINPUT_IsShiftDown(nullptr), 0);
  EXPECT_EQ(KOINPUT_KeyPressed(mouse, kKeyA), 0);
}

TEST_F(Input, HandlersMayUnsubscribeDuringThePoll) {
  KOINPUT_SUBSCRIBER* later = KOINPUT_Subscribe(KOINPUT_TYPE_KEYBOARD, 0, task);
  KOINPUT_SUBSCRIBER* first = KOINPUT_Subscribe(KOINPUT_TYPE_MOUSE | KOINPUT_TYPE_KEYBOARD, 0, task);
  g_unsubscribeOnInput = {first, later};
  Frame();
  // The first message drops both: nothing more this frame, nothing next frame.
  EXPECT_EQ(g_got.size(), 1u);
  g_got.clear();
  Frame();
  EXPECT_TRUE(g_got.empty());
}

TEST_F(Input, SecondUnsubscribeOfAFreedRecordIsRefused) {
  KOINPUT_SUBSCRIBER* gone = KOINPUT_Subscribe(KOINPUT_TYPE_KEYBOARD, 0, task);
  KOINPUT_SUBSCRIBER* kept = KOINPUT_Subscribe(KOINPUT_TYPE_KEYBOARD, 0, task);
  ASSERT_NE(gone, nullptr);
  ASSERT_NE(kept, nullptr);
  KOINPUT_Unsubscribe(gone);
  // Someone else now owns the chunk and fills it: its bytes are no list links.
  void* reuse = SGE_MemAlloc(SPW_ObjsMem, sizeof(KOINPUT_SUBSCRIBER));
  ASSERT_EQ(reuse, static_cast<void*>(gone));
  std::memset(reuse, 0x41, sizeof(KOINPUT_SUBSCRIBER));

  vntest::TraceCapture trace;
  KOINPUT_Unsubscribe(gone);
  EXPECT_TRUE(trace.contains("not a live subscription"));
  Frame();
  ASSERT_EQ(g_got.size(), 1u);
  EXPECT_EQ(g_got[0].sub, kept);
  SGE_MemFree(reuse);
}

TEST_F(Input, ActivePollParksTheHiddenCursorInTheMiddleInactiveLeavesIt) {
  PLAT_ShowWindow(window, true);
  PLAT_ShowCursor(true);
  PLAT_WarpCursor(window, 5, 7);
  int x = -1, y = -1;
  ASSERT_TRUE(PLAT_GetCursorPos(window, &x, &y));
  ASSERT_EQ(x, 5);

  SGE_SetAppActive(0);
  Frame();
  ASSERT_TRUE(PLAT_GetCursorPos(window, &x, &y));
  EXPECT_EQ(x, 5);
  EXPECT_EQ(y, 7);
  EXPECT_TRUE(PLAT_IsCursorShown());

  SGE_SetAppActive(1);
  Frame();
  ASSERT_TRUE(PLAT_GetCursorPos(window, &x, &y));
  EXPECT_EQ(x, 320);
  EXPECT_EQ(y, 240);
  EXPECT_FALSE(PLAT_IsCursorShown());
  // Parking is not movement: the game's pointer stays where it was.
  EXPECT_EQ(mouse->nDX, 0);
  Frame();
  EXPECT_EQ(mouse->nDX, 0);
  EXPECT_EQ(mouse->nDY, 0);
}

TEST_F(Input, SubscriptionOfAnEndedTaskIsDropped) {
  ASSERT_NE(KOINPUT_Subscribe(KOINPUT_TYPE_KEYBOARD, 0, task), nullptr);
  SGE_Send(task, SGM_TASK_DESTROY, 0, 0);
  vntest::TraceCapture trace;
  Frame();
  EXPECT_TRUE(g_got.empty());
  EXPECT_TRUE(trace.contains("outlived its task"));
}

TEST_F(Input, SubscribeNeedsATask) {
  vntest::TraceCapture trace;
  EXPECT_EQ(KOINPUT_Subscribe(KOINPUT_TYPE_MOUSE, 0, nullptr), nullptr);
  EXPECT_TRUE(trace.contains("no task"));
}

TEST_F(Input, DeviceLookups) {
  EXPECT_EQ(KOINPUT_GetDevice(0), mouse);
  EXPECT_EQ(KOINPUT_GetDevice(1), keyboard);
  EXPECT_EQ(KOINPUT_GetDevice(2), nullptr);
  EXPECT_EQ(KOINPUT_GetDevice(-1), nullptr);
  EXPECT_EQ(KOINPUT_FindDevice(3), mouse);
  EXPECT_EQ(KOINPUT_FindDevice(4), nullptr);
  EXPECT_EQ(mouse->caps.nAxes, 3);
}

TEST_F(Input, ForegroundDevicesNeedTheMainWindow) {
  KOINPUT_Shutdown();
  PLAT_DestroyWindow(window);
  window = nullptr;
  vntest::TraceCapture trace;
  ASSERT_EQ(KOINPUT_Init(), 1);
  EXPECT_EQ(KOINPUT_GetDeviceCount(), 0);
  EXPECT_TRUE(trace.contains("KOINPUT_ERR_COOPERATION"));

  KOINPUT_SetCooperative(0);
  ASSERT_EQ(KOINPUT_Init(), 1);
  EXPECT_EQ(KOINPUT_GetDeviceCount(), 2);
}

TEST(InputErrorName, NamesKnownCodesAndNumbersTheRest) {
  EXPECT_STREQ(SGE_GetInputErrorName(KOINPUT_ERR_NOTACQUIRED), "KOINPUT_ERR_NOTACQUIRED");
  EXPECT_STREQ(SGE_GetInputErrorName(-7), "Unknown input error -7");
}

}  // namespace
