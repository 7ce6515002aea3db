#include <SDL.h>

#include <deque>

#include "platform/trace.h"
#include "platform/window/internal.h"
#include "platform/window/window.h"

namespace {

// Our own events wait in front of SDL's; a program that stops polling must not grow it forever.
constexpr size_t kMaxQueued = 4096;
// One wheel notch, in the units the game's mouse state counts.
constexpr int kWheelDelta = 120;

std::deque<PLAT_Event> g_queue;

// Pointer position of the last motion, to measure movement ourselves: a warp's own motion
// then counts as no movement.
bool g_haveLast = false;
int g_lastX = 0;
int g_lastY = 0;

void TranslateWindowEvent(const SDL_WindowEvent& e) {
  switch (e.event) {
    case SDL_WINDOWEVENT_CLOSE:
      PLATW_QueueEvent(PLAT_Event{PLAT_EventType::Quit, 0, 0});
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      PLATW_QueueEvent(PLAT_Event{PLAT_EventType::Activate, 1, 0});
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      PLATW_QueueEvent(PLAT_Event{PLAT_EventType::Activate, 0, 0});
      break;
    case SDL_WINDOWEVENT_EXPOSED:
      PLATW_QueueEvent(PLAT_Event{PLAT_EventType::Paint, 0, 0});
      break;
    default:
      break;
  }
}

// Window pixels to picture pixels, keeping what falls short of a whole one for the next motion.
int ToPicture(int delta, int picture, int view, int64_t* rest) {
  if (picture <= 0 || view <= 0) return delta;
  int64_t total = *rest + int64_t(delta) * picture;
  int64_t whole = total / view;
  *rest = total - whole * view;
  return static_cast<int>(whole);
}

void AddMotion(uint32_t windowId, int dx, int dy) {
  if (PLAT_Window* w = PLATW_FindWindow(windowId)) {
    dx = ToPicture(dx, w->pictureWidth, w->viewWidth, &w->restX);
    dy = ToPicture(dy, w->pictureHeight, w->viewHeight, &w->restY);
  }
  PLATW_AddMouseMotion(dx, dy, 0);
}

void TranslateMotion(const SDL_MouseMotionEvent& e) {
  if (SDL_GetRelativeMouseMode()) {
    g_haveLast = false;
    AddMotion(e.windowID, e.xrel, e.yrel);
    return;
  }
  int dx = g_haveLast ? e.x - g_lastX : e.xrel;
  int dy = g_haveLast ? e.y - g_lastY : e.yrel;
  g_haveLast = true;
  g_lastX = e.x;
  g_lastY = e.y;
  AddMotion(e.windowID, dx, dy);
}

void Translate(const SDL_Event& e) {
  switch (e.type) {
    case SDL_QUIT:
      PLATW_QueueEvent(PLAT_Event{PLAT_EventType::Quit, 0, 0});
      break;
    case SDL_WINDOWEVENT:
      TranslateWindowEvent(e.window);
      break;
    case SDL_MOUSEMOTION:
      TranslateMotion(e.motion);
      break;
    case SDL_MOUSEWHEEL: {
      int notches = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
      PLATW_AddMouseMotion(0, 0, notches * kWheelDelta);
      break;
    }
    default:
      break;  // keys and buttons are read as state, not as events
  }
}

}  // namespace

void PLATW_QueueEvent(const PLAT_Event& ev) {
  // Quit and Destroy are never dropped: losing one would leave the program running.
  bool vital = ev.type == PLAT_EventType::Quit || ev.type == PLAT_EventType::Destroy;
  if (g_queue.size() >= kMaxQueued && !vital) {
    PLAT_Trace("PLATWIN: event queue full, event %u dropped\n",
               static_cast<unsigned>(ev.type));
    return;
  }
  g_queue.push_back(ev);
}

void PLATW_ClearEvents() {
  g_queue.clear();
  g_haveLast = false;
}

void PLATW_NoteWarp(int x, int y) {
  g_haveLast = true;
  g_lastX = x;
  g_lastY = y;
}

bool PLATW_LastPointer(int* x, int* y) {
  if (!g_haveLast) return false;
  *x = g_lastX;
  *y = g_lastY;
  return true;
}

void PLATW_PumpEvents() {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
  PLATW_ReadTestControl();
  SDL_PumpEvents();
  SDL_Event e;
  while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) Translate(e);
}

bool PLAT_PollEvent(PLAT_Event* ev) {
  PLATW_PumpEvents();
  if (g_queue.empty()) return false;
  PLAT_Event next = g_queue.front();
  g_queue.pop_front();
  if (ev) *ev = next;
  return true;
}

void PLAT_PostQuit(int code) { PLATW_QueueEvent(PLAT_Event{PLAT_EventType::Quit, 0, code}); }

void PLAT_PostEvent(const PLAT_Event& ev) {
  switch (ev.type) {
    case PLAT_EventType::Quit:
    case PLAT_EventType::Activate:
    case PLAT_EventType::Destroy:
    case PLAT_EventType::Paint:
      PLATW_QueueEvent(ev);
      return;
    default:
      PLAT_Trace("PLATWIN: PLAT_PostEvent() - unknown event type %u\n",
                 static_cast<unsigned>(ev.type));
      return;
  }
}
