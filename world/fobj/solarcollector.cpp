// The solar collector task.
#include "world/fobj/solarcollector.h"

#include "engine/kernel/tasktypes.h"
#include "world/unitman/unitman.h"

namespace {

void Create(VNSOLARCOLLECTOR* self, VNUNIT* unit, const VNUNIT_CREATE* create) {
  self->pUnit = unit;
  if (unit && create) vnUNITMAN_SetUnitPosition(vnUNITMAN_GetTask(), unit, &create->vPos);
}

SGE_RESULT Answer(VNSOLARCOLLECTOR* self, SGE_TASK*, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  if (msg != SGM_TASK_CREATE) return 0;
  Create(self, SGE_ParamPtr<VNUNIT>(p1), SGE_ParamPtr<const VNUNIT_CREATE>(p2));
  return 1;
}

}  // namespace

SGE_RESULT vnSOLARCOLLECTOR_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                                    SGE_PARAM p2) {
  return vnUNIT_ControllerHandler<VNSOLARCOLLECTOR, Answer>(task, data, msg, p1, p2);
}
