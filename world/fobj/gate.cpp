// The gate task.
#include "world/fobj/gate.h"

#include "engine/kernel/tasktypes.h"

// Every message is answered 0; the kernel's own handling still ends the task on SGM_TASK_DESTROY,
// so that its creator can take it down.
SGE_RESULT vnGATE_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                          SGE_PARAM p2) {
  SGE_DefaultTaskHandler(task, data, msg, p1, p2);
  return 0;
}

int32_t vnGATE_Register() {
  return SGE_RegisterTaskType(VNTT_GATE, vnGATE_Handler, 0, 0, VNGATE_NAME);
}
