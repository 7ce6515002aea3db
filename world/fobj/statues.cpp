// The three statues' controller.
#include "world/fobj/statues.h"

#include <cstring>

#include "engine/dobject/dobject.h"
#include "platform/trace.h"
#include "world/fobj/common_scenery.h"
#include "world/unitman/unitman.h"

namespace {

constexpr int32_t kOnlyAnimation = 0;

void Create(VNSTATUES* self, VNUNIT* unit, const VNUNIT_CREATE* create) {
  std::memset(static_cast<void*>(self), 0, sizeof *self);
  self->pUnit = unit;
  self->vDir = create ? create->vDir : SPW_VECTOR{0.0f, -1.0f, 0.0f};
  if (!unit) return;
  SPW_VECTOR at = create ? create->vPos : unit->vPos;
  at.z += VNSTATUES_LIFT;
  const SPW_TRANSFORM t = vnFOBJ_At(at, 0.0f);
  self->pObject = vnUNIT_CreateObject(unit, VNSTATUES_MODEL, 1.0f, &t);
  if (!self->pObject) {
    PLAT_Trace("STATUES: Failed to create dynamic object: %s\n", VNSTATUES_MODEL);
    return;
  }
  self->pObject->fFlags |= VNUNIT_WORLD_OBJECT;
  SPW_PlayAnimation(self->pObject, kOnlyAnimation, -1, nullptr, 0, SPW_ANIM_LOOP_FLAGS, 1.0f);
}

void End(VNSTATUES* self) {
  vnUNIT_DestroyObjects(self->pUnit);
  self->pObject = nullptr;
}

SGE_RESULT Answer(VNSTATUES* self, SGE_TASK*, int32_t msg, SGE_PARAM p1, SGE_PARAM) {
  switch (msg) {
    case SGM_UNIT_GET_OBJECT: return SGE_PtrResult(self->pObject);
    case SGM_UNIT_GET_FACING:
      return vnFOBJ_WriteVector(SGE_ParamPtr<SPW_VECTOR>(p1), self->vDir);
    case SGM_UNIT_GET_CLASS: return 0;
    default: return 0;
  }
}

}  // namespace

SGE_RESULT vnSTATUES_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                             SGE_PARAM p2) {
  return vnUNIT_ClassHandler<VNSTATUES, Create, End, Answer>(task, data, msg, p1, p2);
}
