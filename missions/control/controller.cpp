// The mission controller task.
#include "missions/control/controller.h"

#include <cinttypes>

#include "engine/kernel/tasktypes.h"
#include "missions/control/missiontasks.h"
#include "platform/trace.h"
#include "world/unitman/unitman.h"
#include "world/mission/context.h"

namespace {

constexpr const char* kEventNames[VNMISSCONT_EVENTS] = {
    "bug hole destroyed", "2329", "terran killed", "feature killed", "bug killed",
    "bug captured", "carried unit gone"};

bool IsEvent(int32_t msg) {
  return msg >= VNMISSCONT_FIRST_EVENT && msg < VNMISSCONT_FIRST_EVENT + VNMISSCONT_EVENTS;
}

void Create(VNMISSCONT_DATA* self, SGE_TASK* task) {
  *self = VNMISSCONT_DATA{};
  self->pTask = task;
  vnMISSION_Context().pController = task;
}

void Destroy(const VNMISSCONT_DATA* self) {
  if (vnMISSION_Context().pController == self->pTask) vnMISSION_Context().pController = nullptr;
}

SGE_RESULT Event(VNMISSCONT_DATA* self, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  const int32_t i = msg - VNMISSCONT_FIRST_EVENT;
  ++self->anEvents[i];
  PLAT_Trace("MISSCONT: event %s (%d), p1 %" PRIdPTR ", p2 %" PRIdPTR "\n", kEventNames[i], msg,
             static_cast<intptr_t>(p1), static_cast<intptr_t>(p2));
  SGE_TASK* script = vnMISSCONT_GetMissionTask();
  return script ? SGE_Send(script, msg, p1, p2) : 0;
}

SGE_RESULT Answer(VNMISSCONT_DATA* self, SGE_TASK* task, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  if (msg == SGM_TASK_CREATE) Create(self, task);
  else if (msg == SGM_TASK_DESTROY) Destroy(self);
  else if (IsEvent(msg)) return Event(self, msg, p1, p2);
  return 0;
}

constexpr SGE_TASKHANDLER kHandler = vnUNIT_ControllerHandler<VNMISSCONT_DATA, Answer>;

}  // namespace

int32_t vnMISSCONT_Register() {
  return SGE_RegisterTaskType(VNTT_MISSCONT, kHandler, SGE_TTF_ZERO_DATA,
                              static_cast<int32_t>(sizeof(VNMISSCONT_DATA)), "");
}

int32_t vnMISSCONT_EventCount(int32_t event) {
  SGE_TASK* controller = vnMISSION_Context().pController;
  // A controller of another handler keeps its own record.
  const auto* self = controller && controller->pHandler == kHandler
                         ? SGE_TaskData<VNMISSCONT_DATA>(controller)
                         : nullptr;
  return self && IsEvent(event) ? self->anEvents[event - VNMISSCONT_FIRST_EVENT] : 0;
}
