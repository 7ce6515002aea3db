// Kernel start, the millisecond clock and the task type table.

#include <cstring>

#include "engine/kernel/kernelstate.h"
#include "engine/memory/memblock.h"
#include "platform/clock.h"
#include "platform/text.h"
#include "platform/trace.h"

SGE_KERNELSTATE g_sgeKernel;

int32_t SGE_InitKernel() {
  g_sgeKernel = SGE_KERNELSTATE{};
  if (!SGE_DllLists || !SGE_TaskMem || !SGE_MsgMem || !SGE_TRegMem) {
    PLAT_Trace("SGE_InitKernel: kernel memory blocks missing\n");
    return 0;
  }
  // Heads in this order: tasks, queue, frame timers, millisecond timers, displays.
  g_sgeKernel.pTasks = SGE_ListCreate();
  g_sgeKernel.pQueue = SGE_ListCreate();
  g_sgeKernel.pFrameTimers = SGE_ListCreate();
  g_sgeKernel.pMsTimers = SGE_ListCreate();
  g_sgeKernel.pDisplays = SGE_ListCreate();
  SGE_ListInit(&g_sgeKernel.freeMsgs);
  g_sgeKernel.ppTypes = static_cast<SGE_TASKTYPE**>(
      SGE_MemCalloc(SGE_TRegMem, SGE_MAX_TASKTYPES * sizeof(SGE_TASKTYPE*)));
  SGE_InitClock();
  if (!g_sgeKernel.pTasks || !g_sgeKernel.pQueue || !g_sgeKernel.pFrameTimers ||
      !g_sgeKernel.pMsTimers || !g_sgeKernel.pDisplays || !g_sgeKernel.ppTypes) {
    PLAT_Trace("SGE_InitKernel: cannot make the kernel lists and type table\n");
    g_sgeKernel = SGE_KERNELSTATE{};
    return 0;
  }
  return 1;
}

void SGE_ShutdownKernel() { g_sgeKernel = SGE_KERNELSTATE{}; }

int32_t SGE_InitMemoryAndKernel(uint32_t memorySize) {
  if (!SGE_InitMemory(memorySize)) return 0;
  return SGE_InitKernel();
}

void SGE_ShutdownKernelAndMemory() {
  SGE_ShutdownKernel();
  SGE_ShutdownMemory();
}

SGE_DLLNODE* SGE_GetTaskList() { return g_sgeKernel.pTasks; }
SGE_DLLNODE* SGE_GetDisplayList() { return g_sgeKernel.pDisplays; }
int32_t SGE_GetTaskCount() { return g_sgeKernel.nLiveTasks; }

void SGE_InitClock() {
  g_sgeKernel.dwClockLo = 0;
  g_sgeKernel.dwClockHi = 0;
  g_sgeKernel.dwLastSysTime = PLAT_TimeMs();
  g_sgeKernel.qwPrevTick = 0;
}

void SGE_UpdateClock() {
  const uint32_t now = PLAT_TimeMs();
  // Unsigned difference: the wrap of the system counter is harmless.
  const uint32_t diff = now - g_sgeKernel.dwLastSysTime;
  g_sgeKernel.dwLastSysTime = now;
  g_sgeKernel.dwClockLo += diff;
  if (g_sgeKernel.dwClockLo < diff) ++g_sgeKernel.dwClockHi;
}

uint64_t SGE_GetClock() {
  return (uint64_t(g_sgeKernel.dwClockHi) << 32) | g_sgeKernel.dwClockLo;
}

int32_t SGE_RegisterTaskType(SGE_TASKTYPE type) {
  if (type.nTypeId < 0 || type.nTypeId >= SGE_MAX_TASKTYPES) {
    PLAT_Trace("SGE_RegisterTaskType: type id %d out of 0..%d\n", type.nTypeId,
               SGE_MAX_TASKTYPES - 1);
    return 0;
  }
  if (!g_sgeKernel.ppTypes) {
    PLAT_Trace("SGE_RegisterTaskType: kernel not started\n");
    return 0;
  }
  type.szName[SGE_TASK_NAME_SIZE - 1] = '\0';
  SGE_TASKTYPE*& slot = g_sgeKernel.ppTypes[type.nTypeId];
  if (!slot) {
    slot = static_cast<SGE_TASKTYPE*>(SGE_MemAlloc(SGE_TRegMem, sizeof(SGE_TASKTYPE)));
    if (!slot) {
      PLAT_Trace("SGE_RegisterTaskType: no room for type %d \"%s\"\n", type.nTypeId, type.szName);
      return 0;
    }
    slot->pShared = nullptr;
  }
  // Count the new record before releasing the old: they may be the same record.
  SGE_RetainDataRef(type.pShared);
  SGE_DATAREF* old = slot->pShared;
  *slot = type;
  if (old) SGE_ReleaseDataRef(old);
  return 1;
}

int32_t SGE_RegisterTaskType(int32_t typeId, SGE_TASKHANDLER handler, int32_t flags,
                             int32_t instanceSize, const char* name) {
  SGE_TASKTYPE type{};
  type.nTypeId = typeId;
  type.pHandler = handler;
  type.fFlags = flags;
  type.nInstanceSize = instanceSize;
  if (name) std::strncpy(type.szName, name, SGE_TASK_NAME_SIZE - 1);
  return SGE_RegisterTaskType(type);
}

SGE_TASKTYPE* SGE_FindTaskType(const char* name) {
  if (!name || !g_sgeKernel.ppTypes) return nullptr;
  for (int32_t i = 0; i < SGE_MAX_TASKTYPES; ++i) {
    SGE_TASKTYPE* t = g_sgeKernel.ppTypes[i];
    if (t && PLAT_EqualNoCase(t->szName, name)) return t;
  }
  return nullptr;
}

SGE_TASKTYPE* SGE_GetTaskType(int32_t typeId) {
  if (!g_sgeKernel.ppTypes) return nullptr;
  for (int32_t i = 0; i < SGE_MAX_TASKTYPES; ++i) {
    SGE_TASKTYPE* t = g_sgeKernel.ppTypes[i];
    if (t && t->nTypeId == typeId) return t;
  }
  return nullptr;
}
