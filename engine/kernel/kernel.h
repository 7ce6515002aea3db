#pragma once
// The task and message kernel: task types, the task tree, one posted-message queue,
// millisecond and frame timers, and a 64-bit millisecond clock. Main thread only.
#include <cstdint>

#include "engine/memory/lists.h"

// Message parameters and handler answers are pointer-wide: they carry timers, tasks and
// records.
using SGE_PARAM = intptr_t;
using SGE_RESULT = intptr_t;

struct SGE_TASK;
struct SGE_DATAREF;
using SGE_TASKHANDLER = SGE_RESULT (*)(SGE_TASK* task, SGE_DATAREF* data, int32_t msg,
                                       SGE_PARAM p1, SGE_PARAM p2);

// A record's (or a callback's) address as a message parameter, and what a handler reads from
// one.
template <typename T>
SGE_PARAM SGE_PtrParam(T* p) {
  return reinterpret_cast<SGE_PARAM>(p);
}
template <typename T>
T* SGE_ParamPtr(SGE_PARAM p) {
  return reinterpret_cast<T*>(p);
}
// A handler that answers with a record returns its address (0 for none).
inline SGE_RESULT SGE_PtrResult(const void* record) {
  return reinterpret_cast<SGE_RESULT>(record);
}

// Kernel messages. Below SGM_KERNEL_BAND_END a suspended task gets only SGM_TASK_DESTROY.
constexpr int32_t SGM_TASK_CREATE = 1;       // p1, p2 of the creation
constexpr int32_t SGM_TASK_DESTROY = 2;
constexpr int32_t SGM_TASK_CHILD_ENDED = 5;  // p1 the ended task, p2 the destroy's p1
constexpr int32_t SGM_TASK_TIMER = 6;        // p1 the timer, p2 the clock's low word
constexpr int32_t SGM_TASK_INPUT = 7;
constexpr int32_t SGM_TASK_FRAME = 8;        // p1 the timer, p2 the frame counter
constexpr int32_t SGM_TASK_DRAW = 16;
constexpr int32_t SGM_KERNEL_BAND_END = 19;
constexpr int32_t SGM_VRAM_FLUSH = 3603;

constexpr int32_t SGE_MAX_TASKTYPES = 500;
constexpr int32_t SGE_TASK_NAME_SIZE = 32;

// Task type flags.
constexpr int32_t SGE_TTF_COPY_SHARED = 2;  // each task gets its own copy of the shared data
constexpr int32_t SGE_TTF_ALLOC_DATA = 4;   // instance data of the instance size
constexpr int32_t SGE_TTF_ZERO_DATA = 8;    // the same, zero-filled

// Timer flags.
constexpr int32_t SGE_TIMER_REPEAT = 1;
constexpr int32_t SGE_TIMER_CATCHUP = 2;  // millisecond timers only
constexpr int32_t SGE_TIMER_PAUSED = 8;

constexpr uint32_t SGE_TASK_GUARD1 = 0xababcdcdu;
constexpr uint32_t SGE_TASK_GUARD2 = 0xefefdeadu;
// Lets SGE_KillTimer refuse a handle whose timer already expired and whose memory was reused.
constexpr uint32_t SGE_TIMER_GUARD = 0x7133e4adu;

// Reference-counted data record; at count 0 the data block and the record are freed.
struct SGE_DATAREF {
  int32_t nCount;
  int32_t nSize;
  void* pData;
};

struct SGE_TASKTYPE {
  int32_t nTypeId;  // 0..SGE_MAX_TASKTYPES-1, the slot in the type table
  SGE_TASKHANDLER pHandler;
  int32_t fFlags;
  int32_t nInstanceSize;
  SGE_DATAREF* pShared;
  char szName[SGE_TASK_NAME_SIZE];
};

struct SGE_TASK {
  SGE_DLLNODE link;  // in the parent's child list or the top-level list
  SGE_TASKHANDLER pHandler;
  int32_t nTypeId;
  int32_t fFlags;
  SGE_TASK* pParent;
  SGE_DLLNODE children;  // head, creation order
  uint32_t dwGuard1;
  uint32_t dwGuard2;
  uint32_t dwSuspend;
  SGE_DATAREF* pInstance;
  char szName[SGE_TASK_NAME_SIZE];
  SGE_DLLNODE timers;  // head of the task's own timers (both kinds), killed when it is freed
};

// The instance record of a task, typed by its handler.
template <typename T>
inline T* SGE_TaskData(SGE_TASK* task) {
  return (task && task->pInstance) ? static_cast<T*>(task->pInstance->pData) : nullptr;
}

struct SGE_MSG {
  SGE_DLLNODE link;
  SGE_TASK* pTask;
  SGE_DATAREF* pData;
  int32_t nMsg;
  SGE_PARAM p1;
  SGE_PARAM p2;
};

struct SGE_TIMER {
  SGE_DLLNODE link;  // in the millisecond- or frame-timer list
  SGE_TASK* pTask;
  SGE_DATAREF* pData;
  uint32_t dwPeriod;
  uint32_t dwCountdown;
  int32_t fFlags;
  int32_t bFrameTimer;
  uint32_t dwGuard;      // SGE_TIMER_GUARD while the timer exists, 0 once killed
  SGE_DLLNODE taskLink;  // in the owning task's timer list
};

// Kernel start on the kernel blocks of a started memory: list heads, type table, clock.
// 1 on success.
int32_t SGE_InitKernel();
// Forgets all kernel state; run before the kernel blocks go.
void SGE_ShutdownKernel();
// Memory start (size as for SGE_InitMemory), then the kernel start. 1 on success, 0 on failure
// (call SGE_ShutdownKernelAndMemory then too).
int32_t SGE_InitMemoryAndKernel(uint32_t memorySize);
// The kernel state, then the system block with every block carved from it.
void SGE_ShutdownKernelAndMemory();

int32_t SGE_RegisterTaskType(SGE_TASKTYPE type);
// Registers a type without shared data; the name is cut to fit.
int32_t SGE_RegisterTaskType(int32_t typeId, SGE_TASKHANDLER handler, int32_t flags,
                             int32_t instanceSize, const char* name);
SGE_TASKTYPE* SGE_FindTaskType(const char* name);
SGE_TASKTYPE* SGE_GetTaskType(int32_t typeId);

SGE_TASK* SGE_CreateTask(int32_t typeId, SGE_TASK* parent, SGE_DATAREF* data, SGE_PARAM p1,
                         SGE_PARAM p2);
int32_t SGE_GetTaskCount();
// Heads of the top-level task list and of the display list.
SGE_DLLNODE* SGE_GetTaskList();
SGE_DLLNODE* SGE_GetDisplayList();

// No data given: a block of size bytes from SPW_ObjsMem. Count 1.
SGE_DATAREF* SGE_CreateDataRef(void* data, int32_t size);
void SGE_RetainDataRef(SGE_DATAREF* ref);
// Count minus 1; at 0 frees the data block and the record. The remaining count.
int32_t SGE_ReleaseDataRef(SGE_DATAREF* ref);

// The handler's answer; 0 when the task is not live, has no handler or is suspended below the
// kernel band.
SGE_RESULT SGE_SendMessage(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                           SGE_PARAM p2);
SGE_RESULT SGE_Send(SGE_TASK* task, int32_t msg, SGE_PARAM p1, SGE_PARAM p2);
// Sends and takes the answer as the address of a T (null for none).
template <typename T>
T* SGE_Ask(SGE_TASK* task, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  return reinterpret_cast<T*>(SGE_Send(task, msg, p1, p2));
}
// 1 when queued, 0 when SGE_MsgMem is full (the message is dropped) or no task.
int32_t SGE_PostMessage(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1, SGE_PARAM p2);
int32_t SGE_Post(SGE_TASK* task, int32_t msg, SGE_PARAM p1, SGE_PARAM p2);
void SGE_DispatchMessages();
void SGE_DiscardMessages();
void SGE_PurgeMessages(SGE_TASK* task);

int32_t SGE_Broadcast(SGE_TASK* task, int32_t msg, SGE_PARAM p1, SGE_PARAM p2);
int32_t SGE_BroadcastMessage(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                             SGE_PARAM p2);
int32_t SGE_BroadcastToDescendants(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                                   SGE_PARAM p2);
int32_t SGE_SendToChildren(SGE_TASK* task, int32_t msg, SGE_PARAM p1, SGE_PARAM p2);

SGE_RESULT SGE_DefaultTaskHandler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                                  SGE_PARAM p2);
// Moves the task to the end of the new parent's children (top level for none); the old parent.
SGE_TASK* SGE_ReparentTask(SGE_TASK* task, SGE_TASK* parent);

using SGE_TASKVISITOR = int32_t (*)(SGE_TASK* task, void* user);
// Pre-order; stops at the first visitor result other than 1 and returns it, else 1.
int32_t SGE_WalkTaskTree(SGE_DLLNODE* head, SGE_TASKVISITOR visitor, void* user);

void SGE_SuspendTask(SGE_TASK* task);
void SGE_ResumeTask(SGE_TASK* task);
void SGE_SuspendTaskTree(SGE_TASK* task);
void SGE_ResumeTaskTree(SGE_TASK* task);

SGE_TIMER* SGE_AddTimer(SGE_TASK* task, uint32_t periodMs, SGE_DATAREF* data, int32_t flags);
SGE_TIMER* SGE_AddFrameTimer(SGE_TASK* task, uint32_t periodFrames, SGE_DATAREF* data,
                             int32_t flags);
int32_t SGE_KillTimer(SGE_TIMER* timer);
int32_t SGE_KillTaskTimers(SGE_TASK* task);
int32_t SGE_KillTaskFrameTimers(SGE_TASK* task);
void SGE_PurgeTask(SGE_TASK* task);

void SGE_InitClock();
void SGE_UpdateClock();
// The 64-bit millisecond clock.
uint64_t SGE_GetClock();
void SGE_UpdateTimers();
void SGE_UpdateFrameTimers();
