#pragma once
// Kernel state shared by the kernel's own files; not for other modules.
#include <cstdint>

#include "engine/kernel/kernel.h"

struct SGE_KERNELSTATE {
  SGE_TASKTYPE** ppTypes;  // SGE_MAX_TASKTYPES slots, none = empty
  SGE_DLLNODE* pTasks;
  SGE_DLLNODE* pQueue;
  SGE_DLLNODE* pFrameTimers;
  SGE_DLLNODE* pMsTimers;
  SGE_DLLNODE* pDisplays;
  // Message records taken off the queue, kept for the next post (see messages.cpp).
  SGE_DLLNODE freeMsgs;
  uint32_t dwClockLo;
  uint32_t dwClockHi;
  uint32_t dwLastSysTime;
  uint64_t qwPrevTick;
  int32_t nLiveTasks;
  // The timer being delivered, and whether it was killed meanwhile.
  SGE_TIMER* pTicking;
  int32_t bTickingKilled;
};

extern SGE_KERNELSTATE g_sgeKernel;

// A task that was created and not yet freed (its guard words are intact).
inline bool SGE_TaskIsLive(const SGE_TASK* task) {
  return task && task->dwGuard1 == SGE_TASK_GUARD1 && task->dwGuard2 == SGE_TASK_GUARD2;
}
