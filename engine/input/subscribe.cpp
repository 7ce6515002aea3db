// Subscriptions: the tasks that get SGM_TASK_INPUT each frame.
#include "engine/input/inputstate.h"
#include "engine/memory/memblock.h"
#include "platform/trace.h"

namespace {

void EnsureLists() {
  if (!g_koInput.subscribers.pNext) SGE_ListInit(&g_koInput.subscribers);
  if (!g_koInput.dropped.pNext) SGE_ListInit(&g_koInput.dropped);
}

bool IsSubscribed(const KOINPUT_SUBSCRIBER* sub) {
  for (const KOINPUT_SUBSCRIBER* s : SGE_ListRecords<KOINPUT_SUBSCRIBER>(&g_koInput.subscribers))
    if (s == sub) return true;
  return false;
}

}  // namespace

KOINPUT_SUBSCRIBER* KOINPUT_Subscribe(int32_t typeMask, int32_t value, SGE_TASK* task) {
  if (!task) {
    PLAT_Trace("KOINPUT_Subscribe: no task\n");
    return nullptr;
  }
  EnsureLists();
  auto* sub = static_cast<KOINPUT_SUBSCRIBER*>(
      SGE_MemCalloc(SPW_ObjsMem, sizeof(KOINPUT_SUBSCRIBER)));
  if (!sub) {
    PLAT_Trace("KOINPUT_Subscribe: no room for a subscription\n");
    return nullptr;
  }
  sub->nMask = typeMask;
  sub->nValue = value;
  sub->pTask = task;
  SGE_ListAddHead(&g_koInput.subscribers, &sub->link);
  return sub;
}

void KOINPUT_Unsubscribe(KOINPUT_SUBSCRIBER* sub) {
  if (!sub) return;
  EnsureLists();
  // A second unsubscribe of the same record must not free it twice or unlink a reused chunk.
  if (!IsSubscribed(sub)) {
    PLAT_Trace("KOINPUT_Unsubscribe: %p is not a live subscription\n", static_cast<void*>(sub));
    return;
  }
  SGE_ListUnlink(&sub->link);
  if (!g_koInput.bPolling) {
    SGE_MemFree(sub);
    return;
  }
  // The poll may still hold it: mark it and free it once the poll is done.
  sub->pTask = nullptr;
  sub->nMask = 0;
  SGE_ListAddTail(&g_koInput.dropped, &sub->link);
}

void KOINPUT_FreeDropped() {
  if (g_koInput.dropped.pNext) SGE_ListFreeAll(&g_koInput.dropped);
}
