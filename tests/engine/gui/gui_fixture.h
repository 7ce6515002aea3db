#pragma once
// Controls on a full-screen node of a display, driven through the real input path: input is
// injected at the platform layer, read by the input devices once a frame and turned into GUI
// pointer events by a small pointer task, as the game's pointer task does. An owner task
// records what the controls tell it.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/display/display.h"
#include "engine/driver/driverbind.h"
#include "engine/gui/gui.h"
#include "engine/input/appstate.h"
#include "engine/input/koinput.h"
#include "engine/kernel/frametime.h"
#include "engine/kernel/kernel.h"
#include "engine/memory/memblock.h"
#include "platform/clock.h"
#include "platform/ini.h"
#include "platform/window/input.h"
#include "platform/window/window.h"
#include "tests/support/support.h"

namespace guitest {

constexpr int32_t kOwnerType = 451;
constexpr int32_t kPointerType = 452;

struct Told {
  int32_t msg;
  SGE_PARAM p1, p2;
};

inline uint32_t& NowMs() {
  static uint32_t now = 10000;
  return now;
}
inline uint32_t FakeClock() { return NowMs(); }

inline std::vector<Told>& OwnerLog() {
  static std::vector<Told> log;
  return log;
}
// What the owner answers to focus-loss requests forwarded to it (tests of refusals).
inline SGE_RESULT OwnerHandler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                               SGE_PARAM p2) {
  if (msg >= SGM_GUI_FOCUS_GAIN && msg <= SGM_EDIT_CANCEL) {
    OwnerLog().push_back({msg, p1, p2});
    return 1;
  }
  return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
}

struct PointerState {
  SPW_DISPLAY* display;
  SGE_DATAREF* event;
  int32_t x, y;  // where the pointer was at the previous read
};
inline PointerState& Pointer() {
  static PointerState state;
  return state;
}

inline void Hand(int32_t kind, const KOINPUT_DEVICE* dev) {
  auto* e = static_cast<GUI_POINTEREVENT*>(Pointer().event->pData);
  e->nKind = kind;
  if (dev) {
    e->x = dev->nX;
    e->y = dev->nY;
    e->dx = dev->nDX;
    e->dy = dev->nDY;
  }
  e->fTime = SGE_GetSeconds();
  GUI_UpdatePointer(Pointer().display, Pointer().event);
}

// Mouse: moved, left down, left up, right down, right up, in that order; keyboard: kind 3.
inline SGE_RESULT PointerHandler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                                 SGE_PARAM p2) {
  if (msg != SGM_TASK_INPUT) return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
  auto* dev = SGE_ParamPtr<KOINPUT_DEVICE>(p2);
  if (dev->nType == KOINPUT_TYPE_KEYBOARD) {
    Hand(GUI_EVENT_KEY, nullptr);
    return 1;
  }
  PointerState& ps = Pointer();
  if (dev->nX != ps.x || dev->nY != ps.y) Hand(GUI_EVENT_MOVE, dev);
  ps.x = dev->nX;
  ps.y = dev->nY;
  if (dev->dwPressed & KOINPUT_MOUSE_LEFT) Hand(GUI_EVENT_DOWN, dev);
  if (dev->dwReleased & KOINPUT_MOUSE_LEFT) Hand(GUI_EVENT_UP, dev);
  if (dev->dwPressed & KOINPUT_MOUSE_RIGHT) Hand(GUI_EVENT_RIGHT_DOWN, dev);
  if (dev->dwReleased & KOINPUT_MOUSE_RIGHT) Hand(GUI_EVENT_RIGHT_UP, dev);
  return 1;
}

class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OwnerLog().clear();
    NowMs() = 10000;
    PLAT_SetClockOverride(&FakeClock);
    PLAT_IniFlushCache();
    ASSERT_EQ(SGE_InitMemoryAndKernel(0), 1);
    ASSERT_EQ(SPW_CreateEngineBlocks(), 1);
    SGE_InitFrameTiming();
    GUI_ResetState();
    ASSERT_EQ(GUI_RegisterTaskTypes(), 1);
    Register(kOwnerType, &OwnerHandler, "GuiOwner");
    Register(kPointerType, &PointerHandler, "GuiPointer");

    window = PLAT_CreateWindow("gui", 640, 480, 0);
    ASSERT_NE(window, nullptr);
    PLAT_InputSetFocus(true);
    SGE_SetAppActive(1);
    KOINPUT_SetCooperative(1);
    ASSERT_EQ(KOINPUT_Init(), 1);
    mouse = KOINPUT_FindDevice(KOINPUT_TYPE_MOUSE);
    ASSERT_NE(mouse, nullptr);

    display = SPW_CreateDisplay(0, 640, 480, nullptr, nullptr, nullptr);
    ASSERT_NE(display, nullptr);
    // As the game does with the display it draws on.
    SPW_FitMouseToDisplay(display);
    // Full screen, origin at the centre, as the root task's node.
    const SPW_RECT rect{-320, -240, 320, 240};
    const SPW_POINT origin{320, 240};
    node = SPW_CreateDisplayNode(0, 10.0f, &rect, &origin, 0, nullptr, display, nullptr, 0,
                                 nullptr);
    ASSERT_NE(node, nullptr);

    owner = SGE_CreateTask(kOwnerType, nullptr, nullptr, 0, 0);
    ASSERT_NE(owner, nullptr);
    pointer = SGE_CreateTask(kPointerType, nullptr, nullptr, 0, 0);
    ASSERT_NE(pointer, nullptr);
    Pointer() = {display, SGE_CreateDataRef(nullptr, sizeof(GUI_POINTEREVENT)), 0, 0};
    ASSERT_NE(Pointer().event, nullptr);
    std::memset(Pointer().event->pData, 0, sizeof(GUI_POINTEREVENT));
    pointerSub = KOINPUT_Subscribe(KOINPUT_TYPE_MOUSE | KOINPUT_TYPE_KEYBOARD, 0, pointer);
    ASSERT_NE(pointerSub, nullptr);
    Frame();  // settle the devices at (0, 0) with nothing held
  }

  void TearDown() override {
    KOINPUT_Shutdown();
    for (int k = 0; k < 256; ++k) PLAT_InputInjectKey(k, false);
    PLAT_InputInjectMouse(0, 0, 0, 0);
    PLAT_DestroyWindow(window);
    PLAT_Event ev;
    while (PLAT_PollEvent(&ev)) {
    }
    GUI_ResetState();
    SPW_ReleaseEngineBlocks();
    SGE_ShutdownKernelAndMemory();
    PLAT_SetClockOverride(nullptr);
  }

  static void Register(int32_t id, SGE_TASKHANDLER handler, const char* name) {
    SGE_TASKTYPE type{};
    type.nTypeId = id;
    type.pHandler = handler;
    type.fFlags = SGE_TTF_ZERO_DATA;
    type.nInstanceSize = 4;
    std::strcpy(type.szName, name);
    ASSERT_EQ(SGE_RegisterTaskType(type), 1);
  }

  // One frame as the frame loop runs it: timing, input, frame timers.
  void Frame() {
    NowMs() += 20;
    SGE_UpdateFrameTiming();
    KOINPUT_Poll();
    SGE_DispatchMessages();
    SGE_UpdateFrameTimers();
    SGE_DispatchMessages();
  }
  void Frames(int n) {
    for (int i = 0; i < n; ++i) Frame();
  }

  // The pointer to the display point (x, y) over one frame, buttons as they are.
  void MoveTo(int32_t x, int32_t y) {
    PLAT_InputInjectMouse(x - mouse->nX, y - mouse->nY, 0, buttons);
    Frame();
  }
  void Button(int32_t mask) {
    buttons = mask;
    PLAT_InputInjectMouse(0, 0, 0, buttons);
    Frame();
  }
  void ClickAt(int32_t x, int32_t y) {
    MoveTo(x, y);
    Button(KOINPUT_MOUSE_LEFT);
    Button(0);
  }
  void Key(int32_t code, bool down) {
    PLAT_InputInjectKey(code, down);
    Frame();
  }
  void Tap(int32_t code) {
    Key(code, true);
    Key(code, false);
  }

  // A top-level control of the type at the layout position (display pixels of the node).
  GUI_CONTROL* Make(int32_t type, SGE_PARAM kinds, int32_t x, int32_t y, int32_t w, int32_t h,
                    GUI_CONTROL* parent = nullptr, uint32_t key = 0, GUI_HITFN hit = nullptr) {
    GUI_CONTROL* c = GUI_CreateControl(node, parent, owner, type, kinds, nullptr, nullptr, key,
                                       hit, nullptr);
    EXPECT_NE(c, nullptr);
    if (!c) return nullptr;
    c->nX = x;
    c->nY = y;
    c->nW = w;
    c->nH = h;
    GUI_PlaceControl(c, 0, 0);
    return c;
  }
  GUI_CONTROL* Button(SGE_PARAM kinds, int32_t x, int32_t y, int32_t w = 40, int32_t h = 20) {
    return Make(VNTT_GUI_PUSHBUTTON, kinds, x, y, w, h);
  }

  // The messages the owner was told, in order.
  static std::vector<int32_t> Said() {
    std::vector<int32_t> out;
    for (const Told& t : OwnerLog()) out.push_back(t.msg);
    return out;
  }
  static int Count(int32_t msg) {
    int n = 0;
    for (const Told& t : OwnerLog()) n += t.msg == msg;
    return n;
  }

  PLAT_Window* window = nullptr;
  KOINPUT_DEVICE* mouse = nullptr;
  SPW_DISPLAY* display = nullptr;
  SPW_DISPLAYNODE* node = nullptr;
  SGE_TASK* owner = nullptr;
  SGE_TASK* pointer = nullptr;
  KOINPUT_SUBSCRIBER* pointerSub = nullptr;
  int32_t buttons = 0;
};

}  // namespace guitest
