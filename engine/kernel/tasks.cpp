// Tasks: data records, creation, destruction by the default handler, the task tree.
#include <cstring>

#include "engine/kernel/kernelstate.h"
#include "engine/memory/memblock.h"
#include "platform/trace.h"

// The block sizes scale with this record.
static_assert(sizeof(SGE_TASK) == SGE_TASK_SIZE);

SGE_DATAREF* SGE_CreateDataRef(void* data, int32_t size) {
  if (size < 0) {
    PLAT_Trace("SGE_CreateDataRef: negative size %d\n", size);
    return nullptr;
  }
  void* block = data;
  if (!block && size > 0) {
    block = SGE_MemAlloc(SPW_ObjsMem, static_cast<uint32_t>(size));
    if (!block) {
      PLAT_Trace("SGE_CreateDataRef: no room for %d bytes in SPW_ObjsMem\n", size);
      return nullptr;
    }
  }
  auto* ref = static_cast<SGE_DATAREF*>(SGE_MemAlloc(SGE_TaskMem, sizeof(SGE_DATAREF)));
  if (!ref) {
    PLAT_Trace("SGE_CreateDataRef: no room for a record in SGE_TaskMem\n");
    if (block != data) SGE_MemFree(block);
    return nullptr;
  }
  ref->nCount = 1;
  ref->nSize = size;
  ref->pData = block;
  return ref;
}

void SGE_RetainDataRef(SGE_DATAREF* ref) {
  if (ref) ++ref->nCount;
}

int32_t SGE_ReleaseDataRef(SGE_DATAREF* ref) {
  if (!ref) return 0;
  if (--ref->nCount > 0) return ref->nCount;
  if (ref->pData) SGE_MemFree(ref->pData);
  SGE_MemFree(ref);
  return 0;
}

namespace {

// The task's instance record; none when it cannot be made.
SGE_DATAREF* MakeInstance(const SGE_TASKTYPE* type) {
  SGE_DATAREF* shared = type->pShared;
  if (shared) {
    if (!(type->fFlags & SGE_TTF_COPY_SHARED)) {
      SGE_RetainDataRef(shared);
      return shared;
    }
    if (shared->nSize <= 0 || !shared->pData) return SGE_CreateDataRef(nullptr, 0);
    void* copy = SGE_MemAlloc(SGE_TaskMem, static_cast<uint32_t>(shared->nSize));
    if (!copy) return nullptr;
    std::memcpy(copy, shared->pData, static_cast<size_t>(shared->nSize));
    SGE_DATAREF* ref = SGE_CreateDataRef(copy, shared->nSize);
    if (!ref) SGE_MemFree(copy);
    return ref;
  }
  if (!(type->fFlags & (SGE_TTF_ALLOC_DATA | SGE_TTF_ZERO_DATA))) return nullptr;
  const int32_t size = type->nInstanceSize;
  if (size <= 0) return SGE_CreateDataRef(nullptr, 0);
  const bool zero = (type->fFlags & SGE_TTF_ZERO_DATA) != 0;
  const auto bytes = static_cast<uint32_t>(size);
  SGE_DATAREF* ref = nullptr;
  if (void* block = SGE_MemAlloc(SGE_TaskMem, bytes)) {
    ref = SGE_CreateDataRef(block, size);
    if (!ref) SGE_MemFree(block);
  } else {
    // SGE_TaskMem is full: the engine block takes the instance instead.
    ref = SGE_CreateDataRef(nullptr, size);
  }
  if (ref && zero) std::memset(ref->pData, 0, bytes);
  return ref;
}

bool NeedsInstance(const SGE_TASKTYPE* type) {
  return type->pShared || (type->fFlags & (SGE_TTF_ALLOC_DATA | SGE_TTF_ZERO_DATA));
}

}  // namespace

SGE_TASK* SGE_CreateTask(int32_t typeId, SGE_TASK* parent, SGE_DATAREF* data, SGE_PARAM p1,
                         SGE_PARAM p2) {
  if (typeId < 0 || typeId >= SGE_MAX_TASKTYPES) {
    PLAT_Trace("SGE_CreateTask: type id %d out of 0..%d\n", typeId, SGE_MAX_TASKTYPES - 1);
    return nullptr;
  }
  const SGE_TASKTYPE* type = g_sgeKernel.ppTypes ? g_sgeKernel.ppTypes[typeId] : nullptr;
  if (!type) {
    PLAT_Trace("SGE_CreateTask: type %d not registered\n", typeId);
    return nullptr;
  }
  if (parent && !SGE_TaskIsLive(parent)) {
    PLAT_Trace("SGE_CreateTask: parent %p of a type %d task is not a live task\n",
               static_cast<void*>(parent), typeId);
    return nullptr;
  }
  auto* task = static_cast<SGE_TASK*>(SGE_MemCalloc(SGE_TaskMem, sizeof(SGE_TASK)));
  if (!task) {
    PLAT_Trace("SGE_CreateTask: no room for a type %d task\n", typeId);
    return nullptr;
  }
  task->pHandler = type->pHandler;
  task->nTypeId = typeId;
  task->fFlags = type->fFlags;
  task->pParent = parent;
  SGE_ListInit(&task->link);
  SGE_ListInit(&task->children);
  SGE_ListInit(&task->timers);
  if (NeedsInstance(type)) {
    task->pInstance = MakeInstance(type);
    if (!task->pInstance) {
      PLAT_Trace("SGE_CreateTask: no room for the instance of a type %d task\n", typeId);
      SGE_MemFree(task);
      return nullptr;
    }
  }
  SGE_ListAddTail(parent ? &parent->children : g_sgeKernel.pTasks, &task->link);
  task->dwGuard1 = SGE_TASK_GUARD1;
  task->dwGuard2 = SGE_TASK_GUARD2;
  ++g_sgeKernel.nLiveTasks;
  SGE_SendMessage(task, data, SGM_TASK_CREATE, p1, p2);
  // A handler may end its task while creating it; never hand out a freed task.
  return SGE_TaskIsLive(task) ? task : nullptr;
}

namespace {

// Unlinks and frees a task whose children are gone, telling its parent.
void EndTask(SGE_TASK* task, SGE_PARAM destroyP1) {
  if (task->pInstance) SGE_ReleaseDataRef(task->pInstance);
  task->pInstance = nullptr;
  task->dwGuard1 = 0;
  task->dwGuard2 = 0;
  SGE_ListUnlink(&task->link);
  SGE_PurgeMessages(task);
  // No timer may reach a freed task, whether or not its handler killed them.
  SGE_KillTaskTimers(task);
  SGE_KillTaskFrameTimers(task);
  if (SGE_TaskIsLive(task->pParent))
    SGE_SendMessage(task->pParent, nullptr, SGM_TASK_CHILD_ENDED, SGE_PtrParam(task),
                    destroyP1);
  SGE_MemFree(task);
  --g_sgeKernel.nLiveTasks;
}

}  // namespace

SGE_RESULT SGE_DefaultTaskHandler(SGE_TASK* task, SGE_DATAREF*, int32_t msg, SGE_PARAM p1,
                                  SGE_PARAM p2) {
  if (msg != SGM_TASK_DESTROY || !SGE_TaskIsLive(task)) return 0;
  // Each child goes with its own children before the next child is reached. Taking the first
  // child each time stays correct when a child's handler ends one of its siblings.
  while (SGE_TASK* child = SGE_ListFirstRecord<SGE_TASK>(&task->children)) {
    SGE_SendMessage(child, nullptr, SGM_TASK_DESTROY, p1, p2);
    if (SGE_ListFirstRecord<SGE_TASK>(&task->children) == child && SGE_TaskIsLive(child)) {
      // Its handler kept it alive: it must not stay linked into a freed parent.
      PLAT_Trace("SGE_DefaultTaskHandler: type %d task outlived its parent, moved to the top\n",
                 child->nTypeId);
      SGE_ReparentTask(child, nullptr);
    }
  }
  EndTask(task, p1);
  return 0;
}

SGE_TASK* SGE_ReparentTask(SGE_TASK* task, SGE_TASK* parent) {
  if (!SGE_TaskIsLive(task) || (parent && !SGE_TaskIsLive(parent))) {
    PLAT_Trace("SGE_ReparentTask: %p or %p is not a live task\n", static_cast<void*>(task),
               static_cast<void*>(parent));
    return nullptr;
  }
  for (SGE_TASK* p = parent; p; p = p->pParent) {
    if (p == task) {
      PLAT_Trace("SGE_ReparentTask: a type %d task cannot go under itself\n", task->nTypeId);
      return task->pParent;
    }
  }
  SGE_TASK* old = task->pParent;
  SGE_ListUnlink(&task->link);
  SGE_ListAddTail(parent ? &parent->children : g_sgeKernel.pTasks, &task->link);
  task->pParent = parent;
  return old;
}

int32_t SGE_WalkTaskTree(SGE_DLLNODE* head, SGE_TASKVISITOR visitor, void* user) {
  if (!head || !visitor) return 1;
  for (SGE_TASK* task : SGE_ListRecords<SGE_TASK>(head)) {
    // The remembered task was ended by an earlier visit: its links are no longer ours.
    if (!SGE_TaskIsLive(task)) break;
    const int32_t r = visitor(task, user);
    if (r != 1) return r;
    if (SGE_TaskIsLive(task)) {
      const int32_t rc = SGE_WalkTaskTree(&task->children, visitor, user);
      if (rc != 1) return rc;
    }
  }
  return 1;
}

void SGE_SuspendTask(SGE_TASK* task) {
  if (task) ++task->dwSuspend;
}

void SGE_ResumeTask(SGE_TASK* task) {
  if (task && task->dwSuspend > 0) --task->dwSuspend;
}

namespace {
void ApplyTree(SGE_TASK* task, void (*fn)(SGE_TASK*)) {
  fn(task);
  for (SGE_TASK* child : SGE_ListRecords<SGE_TASK>(&task->children)) ApplyTree(child, fn);
}
}  // namespace

void SGE_SuspendTaskTree(SGE_TASK* task) {
  if (task) ApplyTree(task, SGE_SuspendTask);
}

void SGE_ResumeTaskTree(SGE_TASK* task) {
  if (task) ApplyTree(task, SGE_ResumeTask);
}
