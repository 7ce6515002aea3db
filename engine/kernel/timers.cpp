// Millisecond and frame timers. Each timer sits in its kind's list and in its task's own list,
// so that ending a task can kill its timers without scanning every timer.
#include <cstddef>

#include "engine/kernel/frametime.h"
#include "engine/kernel/kernelstate.h"
#include "engine/memory/memblock.h"
#include "platform/trace.h"

namespace {

// A task's own timers, listed through their second link.
using TaskTimers = SGE_ListRecords<SGE_TIMER, offsetof(SGE_TIMER, taskLink)>;

SGE_TIMER* NewTimer(SGE_TASK* task, uint32_t period, SGE_DATAREF* data, int32_t flags,
                    bool frame, const char* what) {
  if (!SGE_TaskIsLive(task)) {
    PLAT_Trace("%s: %p is not a live task\n", what, static_cast<void*>(task));
    return nullptr;
  }
  auto* t = static_cast<SGE_TIMER*>(SGE_MemAlloc(SGE_TaskMem, sizeof(SGE_TIMER)));
  if (!t) {
    PLAT_Trace("%s: no room for a timer of a type %d task\n", what, task->nTypeId);
    return nullptr;
  }
  t->pTask = task;
  t->pData = data;
  t->dwPeriod = period;
  t->dwCountdown = period;
  t->fFlags = flags;
  t->bFrameTimer = frame ? 1 : 0;
  t->dwGuard = SGE_TIMER_GUARD;
  SGE_RetainDataRef(data);
  SGE_ListAddTail(frame ? g_sgeKernel.pFrameTimers : g_sgeKernel.pMsTimers, &t->link);
  SGE_ListAddTail(&task->timers, &t->taskLink);
  return t;
}

int32_t KillOwnTimers(SGE_TASK* task, bool frame) {
  if (!task) return 0;
  int32_t killed = 0;
  for (SGE_TIMER* t : TaskTimers(&task->timers))
    if ((t->bFrameTimer != 0) == frame) killed += SGE_KillTimer(t);
  return killed;
}

// Delivers a timer's message; kills a one-shot timer unless its handler already did.
void Fire(SGE_TIMER* t, int32_t msg, SGE_PARAM p2) {
  g_sgeKernel.pTicking = t;
  g_sgeKernel.bTickingKilled = 0;
  SGE_SendMessage(t->pTask, t->pData, msg, SGE_PtrParam(t), p2);
  const bool killed = g_sgeKernel.bTickingKilled != 0;
  g_sgeKernel.pTicking = nullptr;
  if (!killed && !(t->fFlags & SGE_TIMER_REPEAT)) SGE_KillTimer(t);
}

void TickMs(SGE_TIMER* t, uint32_t elapsed) {
  if (t->pTask->dwSuspend > 0 || (t->fFlags & SGE_TIMER_PAUSED)) return;
  if (t->dwCountdown > elapsed) {
    t->dwCountdown -= elapsed;
    return;
  }
  if (t->fFlags & SGE_TIMER_REPEAT) {
    if (t->fFlags & SGE_TIMER_CATCHUP) {
      // The overshoot comes off the next period; more than a period late fires next tick.
      const int64_t next = int64_t(t->dwCountdown) + t->dwPeriod - elapsed;
      t->dwCountdown = next > 0 ? static_cast<uint32_t>(next) : 0;
    } else {
      t->dwCountdown = t->dwPeriod;
    }
  }
  Fire(t, SGM_TASK_TIMER, static_cast<SGE_PARAM>(g_sgeKernel.dwClockLo));
}

void TickFrame(SGE_TIMER* t) {
  if (t->fFlags & SGE_TIMER_PAUSED) return;
  if (t->dwCountdown > 1) {
    --t->dwCountdown;
    return;
  }
  t->dwCountdown = t->dwPeriod;
  Fire(t, SGM_TASK_FRAME, static_cast<SGE_PARAM>(SGE_GetFrameCounter()));
}

// Each timer moves to a holding list before it is handled, so timers added meanwhile (at the
// tail) are handled in the same tick and each timer at most once.
template <typename Tick>
void TickList(SGE_DLLNODE* list, Tick tick) {
  if (!list) return;
  SGE_DLLNODE hold;
  SGE_ListInit(&hold);
  while (SGE_TIMER* t = SGE_ListRecord<SGE_TIMER>(SGE_ListPopHead(list))) {
    SGE_ListAddTail(&hold, &t->link);
    tick(t);
  }
  SGE_ListAppendList(list, &hold);
}

}  // namespace

SGE_TIMER* SGE_AddTimer(SGE_TASK* task, uint32_t periodMs, SGE_DATAREF* data, int32_t flags) {
  return NewTimer(task, periodMs, data, flags, false, "SGE_AddTimer");
}

SGE_TIMER* SGE_AddFrameTimer(SGE_TASK* task, uint32_t periodFrames, SGE_DATAREF* data,
                             int32_t flags) {
  return NewTimer(task, periodFrames, data, flags, true, "SGE_AddFrameTimer");
}

int32_t SGE_KillTimer(SGE_TIMER* timer) {
  if (!timer) return 0;
  // A handle kept after its one-shot timer expired must not unlink whatever reuses the memory.
  if (SGE_MemSize(timer) < sizeof(SGE_TIMER) || timer->dwGuard != SGE_TIMER_GUARD) {
    PLAT_Trace("SGE_KillTimer: %p is not a live timer\n", static_cast<void*>(timer));
    return 0;
  }
  if (timer == g_sgeKernel.pTicking) g_sgeKernel.bTickingKilled = 1;
  SGE_DATAREF* data = timer->pData;
  SGE_ListUnlink(&timer->link);
  SGE_ListUnlink(&timer->taskLink);
  timer->dwGuard = 0;
  SGE_MemFree(timer);
  SGE_ReleaseDataRef(data);
  return 1;
}

int32_t SGE_KillTaskTimers(SGE_TASK* task) { return KillOwnTimers(task, false); }
int32_t SGE_KillTaskFrameTimers(SGE_TASK* task) { return KillOwnTimers(task, true); }

void SGE_PurgeTask(SGE_TASK* task) {
  if (!task) return;
  SGE_PurgeMessages(task);
  SGE_KillTaskTimers(task);
  SGE_KillTaskFrameTimers(task);
}

void SGE_UpdateTimers() {
  const uint64_t now = SGE_GetClock();
  const auto elapsed = static_cast<uint32_t>(now - g_sgeKernel.qwPrevTick);
  g_sgeKernel.qwPrevTick = now;
  TickList(g_sgeKernel.pMsTimers, [elapsed](SGE_TIMER* t) { TickMs(t, elapsed); });
}

void SGE_UpdateFrameTimers() { TickList(g_sgeKernel.pFrameTimers, TickFrame); }
