// The ammunition class.
#include "effects/ammo.h"

#include "world/unitman/unitman.h"

namespace {

SGE_RESULT Answer(VNAMMO* self, SGE_TASK*, int32_t msg, SGE_PARAM p1, SGE_PARAM) {
  if (msg == SGM_TASK_CREATE) self->pUnit = SGE_ParamPtr<VNUNIT>(p1);
  return 0;
}

}  // namespace

SGE_RESULT vnAMMO_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                          SGE_PARAM p2) {
  return vnUNIT_ControllerHandler<VNAMMO, Answer>(task, data, msg, p1, p2);
}
