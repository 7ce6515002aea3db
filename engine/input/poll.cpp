// The per-frame step: read the devices, message the subscribers, park the cursor.
#include <algorithm>
#include <vector>

#include "engine/input/appstate.h"
#include "engine/input/inputstate.h"
#include "engine/kernel/frametime.h"
#include "engine/kernel/kernel.h"
#include "platform/trace.h"
#include "platform/window/window.h"

namespace {

constexpr int kPlatformButtons = 3;  // left, right, middle; the fourth is not used by the game

int32_t ButtonBits(const PLAT_MouseState& state) {
  const int32_t bits[kPlatformButtons] = {KOINPUT_MOUSE_LEFT, KOINPUT_MOUSE_RIGHT,
                                          KOINPUT_MOUSE_MIDDLE};
  int32_t result = 0;
  for (int i = 0; i < kPlatformButtons; ++i)
    if (state.buttons[i] & KOINPUT_KEY_DOWN) result |= bits[i];
  return result;
}

// An empty rectangle pins the position to its corner instead of leaving it.
int32_t ClampAxis(int32_t pos, int32_t delta, int32_t start, int32_t extent) {
  int64_t v = int64_t(pos) + delta;
  int64_t last = int64_t(start) + std::max(extent, 1) - 1;
  return static_cast<int32_t>(std::clamp<int64_t>(v, start, last));
}

void ReadMouse(KOINPUT_DEVICE* dev) {
  PLAT_MouseState state{};
  if (!PLAT_InputReadMouse(dev->pDevice, &state)) return;
  dev->dwLastButtons = dev->dwButtons;
  dev->dwButtons = ButtonBits(state);
  dev->dwPressed = dev->dwButtons & ~dev->dwLastButtons;
  dev->dwReleased = dev->dwLastButtons & ~dev->dwButtons;

  // Two reads within one frame time share a time stamp: no elapsed time, no rate.
  float now = SGE_GetSeconds();
  float elapsed = now - dev->fLastRead;
  float inverse = elapsed > 0.0f ? 1.0f / elapsed : 0.0f;
  dev->fLastRead = now;

  dev->nX = ClampAxis(dev->nX, state.dx, dev->nLeft, dev->nWidth);
  dev->nY = ClampAxis(dev->nY, state.dy, dev->nTop, dev->nHeight);
  dev->nDX = state.dx;
  dev->nDY = state.dy;
  dev->nDZ = state.dz;
  dev->fRateX = float(state.dx) * inverse;
  dev->fRateY = float(state.dy) * inverse;
  dev->fRateZ = float(state.dz) * inverse;
}

void ReadKeyboard(KOINPUT_DEVICE* dev) {
  // Read into the spare array and flip only on success: a failed read keeps the last state
  // rather than bringing back the one before it.
  int32_t next = dev->nBuffer ^ 1;
  if (!PLAT_InputReadKeyboard(dev->pDevice, dev->keyBuffers[next])) return;
  dev->nBuffer = next;
  dev->pKeys = dev->keyBuffers[next];
  dev->pLastKeys = dev->keyBuffers[next ^ 1];
}

void ReadDevices() {
  for (int32_t i = 0; i < g_koInput.nDevices; ++i) {
    KOINPUT_DEVICE* dev = g_koInput.devices[i];
    // Not acquired (another window has the focus): the last state stands this frame.
    if (!PLAT_InputAcquire(dev->pDevice)) continue;
    if (dev->nType == KOINPUT_TYPE_MOUSE)
      ReadMouse(dev);
    else if (dev->nType == KOINPUT_TYPE_KEYBOARD)
      ReadKeyboard(dev);
  }
}

void NotifySubscribers() {
  // A handler may subscribe or unsubscribe while we walk: walk a copy, skip the dropped ones.
  // The copy is local so that a handler that polls again cannot pull it from under us.
  std::vector<KOINPUT_SUBSCRIBER*> walk;
  for (KOINPUT_SUBSCRIBER* sub : SGE_ListRecords<KOINPUT_SUBSCRIBER>(&g_koInput.subscribers))
    walk.push_back(sub);

  const int32_t wasPolling = g_koInput.bPolling;
  g_koInput.bPolling = 1;
  for (KOINPUT_SUBSCRIBER* sub : walk) {
    for (int32_t i = 0; i < g_koInput.nDevices; ++i) {
      if (!sub->pTask) break;  // unsubscribed by an earlier message
      if (sub->pTask->dwGuard1 != SGE_TASK_GUARD1 || sub->pTask->dwGuard2 != SGE_TASK_GUARD2) {
        // Its task ended without unsubscribing: never send to freed memory.
        PLAT_Trace("KOINPUT_Poll: subscription %p outlived its task, dropped\n",
                   static_cast<void*>(sub));
        KOINPUT_Unsubscribe(sub);
        break;
      }
      KOINPUT_DEVICE* dev = g_koInput.devices[i];
      if (!(dev->nType & sub->nMask)) continue;
      SGE_Send(sub->pTask, SGM_TASK_INPUT, SGE_PtrParam(sub),
               SGE_PtrParam(dev));
    }
  }
  g_koInput.bPolling = wasPolling;
  // An outer poll may still hold the dropped records.
  if (!wasPolling) KOINPUT_FreeDropped();
}

void ParkCursor() {
  PLAT_Window* w = PLAT_MainWindow();
  if (!w) return;
  int width = 0, height = 0;
  PLAT_GetWindowRect(w, nullptr, nullptr, &width, &height);
  PLAT_WarpCursor(w, width / 2, height / 2);
  PLAT_ShowCursor(false);
}

}  // namespace

void KOINPUT_Poll() {
  if (!g_koInput.subscribers.pNext) SGE_ListInit(&g_koInput.subscribers);
  if (!g_koInput.dropped.pNext) SGE_ListInit(&g_koInput.dropped);
  bool active = SGE_IsAppActive() != 0;
  if (active) ReadDevices();
  NotifySubscribers();
  if (active) ParkCursor();
}
