// The gate task.
#include "world/fobj/gate.h"

// Every message is answered 0; the kernel's own handling still ends the task on SGM_TASK_DESTROY,
// so that its creator can take it down.
SGE_RESULT vnGATE_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                          SGE_PARAM p2) {
  SGE_DefaultTaskHandler(task, data, msg, p1, p2);
  return 0;
}
