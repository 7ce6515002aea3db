// Delivery: sending, the posted-message queue and broadcasts.
#include "engine/kernel/kernelstate.h"
#include "engine/memory/memblock.h"
#include "platform/trace.h"

// The block sizes scale with this record.
static_assert(sizeof(SGE_MSG) == SGE_MSG_SIZE);

namespace {

// A record handed over with no owner (count 0) goes even when nothing is delivered.
void DropIfUnowned(SGE_DATAREF* data) {
  SGE_RetainDataRef(data);
  SGE_ReleaseDataRef(data);
}

// Message records off the queue stay on the kernel's free list for the next post, so a post
// costs two list links instead of a first-fit search and the checks of a free. Records still
// come from SGE_MsgMem while the list is empty, so the block alone bounds the queue.
SGE_MSG* TakeRecord() {
  if (SGE_DLLNODE* kept = SGE_ListPopHead(&g_sgeKernel.freeMsgs))
    return SGE_ListRecord<SGE_MSG>(kept);
  return static_cast<SGE_MSG*>(SGE_MemAlloc(SGE_MsgMem, sizeof(SGE_MSG)));
}

// Takes a record off the queue and keeps it.
void GiveBack(SGE_MSG* m) {
  SGE_ListUnlink(&m->link);
  SGE_ListAddHead(&g_sgeKernel.freeMsgs, &m->link);
}

}  // namespace

SGE_RESULT SGE_SendMessage(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                           SGE_PARAM p2) {
  // The delivery holds a count of its own: a record handed over with count 0 goes afterwards,
  // and a handler that releases the record it was given cannot free it under our feet.
  SGE_RetainDataRef(data);
  SGE_RESULT result = 0;
  if (!SGE_TaskIsLive(task)) {
    PLAT_Trace("SGE_SendMessage: message %d to %p, not a live task\n", msg,
               static_cast<void*>(task));
  } else if (msg < SGM_KERNEL_BAND_END && msg != SGM_TASK_DESTROY && task->dwSuspend > 0) {
    // Held back and lost: a suspended task sees only destroy and the high band.
  } else if (task->pHandler) {
    result = task->pHandler(task, data, msg, p1, p2);
  }
  SGE_ReleaseDataRef(data);
  return result;
}

SGE_RESULT SGE_Send(SGE_TASK* task, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  return SGE_SendMessage(task, nullptr, msg, p1, p2);
}

int32_t SGE_PostMessage(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  if (!SGE_TaskIsLive(task)) {
    PLAT_Trace("SGE_PostMessage: message %d to %p, not a live task\n", msg,
               static_cast<void*>(task));
    DropIfUnowned(data);
    return 0;
  }
  SGE_MSG* m = TakeRecord();
  if (!m) {
    PLAT_Trace("SGE_PostMessage: queue full, message %d to a type %d task dropped\n", msg,
               task->nTypeId);
    DropIfUnowned(data);
    return 0;
  }
  m->pTask = task;
  m->pData = data;
  m->nMsg = msg;
  m->p1 = p1;
  m->p2 = p2;
  SGE_RetainDataRef(data);
  SGE_ListAddTail(g_sgeKernel.pQueue, &m->link);
  return 1;
}

int32_t SGE_Post(SGE_TASK* task, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  return SGE_PostMessage(task, nullptr, msg, p1, p2);
}

void SGE_DispatchMessages() {
  // Messages posted meanwhile join the tail and go out in this same drain.
  while (SGE_MSG* queued = SGE_ListFirstRecord<SGE_MSG>(g_sgeKernel.pQueue)) {
    // Copied first: the handler's own posts may take this record again.
    const SGE_MSG m = *queued;
    GiveBack(queued);
    SGE_SendMessage(m.pTask, m.pData, m.nMsg, m.p1, m.p2);
    SGE_ReleaseDataRef(m.pData);
  }
}

void SGE_DiscardMessages() {
  while (SGE_MSG* m = SGE_ListFirstRecord<SGE_MSG>(g_sgeKernel.pQueue)) {
    SGE_DATAREF* data = m->pData;
    GiveBack(m);
    SGE_ReleaseDataRef(data);
  }
}

void SGE_PurgeMessages(SGE_TASK* task) {
  SGE_DLLNODE* head = g_sgeKernel.pQueue;
  if (!task || !head) return;
  for (SGE_MSG* m : SGE_ListRecords<SGE_MSG>(head)) {
    if (m->pTask == task) {
      SGE_DATAREF* data = m->pData;
      GiveBack(m);
      SGE_ReleaseDataRef(data);
    }
  }
}

namespace {

void SendToTree(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1, SGE_PARAM p2,
                bool self) {
  if (self) {
    SGE_SendMessage(task, data, msg, p1, p2);
    // Ended by its own message: its children went with it.
    if (!SGE_TaskIsLive(task)) return;
  }
  for (SGE_TASK* child : SGE_ListRecords<SGE_TASK>(&task->children)) {
    // A sibling ended by an earlier visit no longer links to the rest.
    if (!SGE_TaskIsLive(child)) break;
    SendToTree(child, data, msg, p1, p2, true);
  }
}

int32_t Broadcast(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1, SGE_PARAM p2,
                  bool self) {
  if (!SGE_TaskIsLive(task)) {
    DropIfUnowned(data);
    return 1;
  }
  // The walk owns one count so that no single delivery frees the record.
  SGE_RetainDataRef(data);
  SendToTree(task, data, msg, p1, p2, self);
  SGE_ReleaseDataRef(data);
  return 1;
}

}  // namespace

int32_t SGE_Broadcast(SGE_TASK* task, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  return Broadcast(task, nullptr, msg, p1, p2, true);
}

int32_t SGE_BroadcastMessage(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                             SGE_PARAM p2) {
  return Broadcast(task, data, msg, p1, p2, true);
}

int32_t SGE_BroadcastToDescendants(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                                   SGE_PARAM p2) {
  return Broadcast(task, data, msg, p1, p2, false);
}

int32_t SGE_SendToChildren(SGE_TASK* task, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  if (!SGE_TaskIsLive(task)) return 1;
  for (SGE_TASK* child : SGE_ListRecords<SGE_TASK>(&task->children)) {
    if (!SGE_TaskIsLive(child)) break;
    SGE_SendMessage(child, nullptr, msg, p1, p2);
  }
  return 1;
}
