// The splitting rock's controller.
#include "world/fobj/bigrock.h"

#include <cstring>

#include "engine/dobject/dobject.h"
#include "engine/kernel/tasktypes.h"
#include "platform/trace.h"
#include "world/combat/combat.h"
#include "world/fobj/common_scenery.h"
#include "world/mover/mover.h"
#include "world/unitman/unitman.h"

namespace {

void PlaySplit(VNBIGROCK* self, float speed) {
  if (!self->pObject || self->nSplitAnim < 0) return;
  SPW_PlayAnimation(self->pObject, self->nSplitAnim, -1, nullptr, 0, SPW_ANIM_ONCE_FLAGS, speed);
  SPW_SetAnimationTime(self->pObject, self->nSplitAnim, 0.0f);
}

void Create(VNBIGROCK* self, VNUNIT* unit, const VNUNIT_CREATE* create) {
  std::memset(static_cast<void*>(self), 0, sizeof *self);
  self->pUnit = unit;
  self->nSplitAnim = -1;
  if (!unit) return;
  const SPW_VECTOR at = create ? create->vPos : unit->vPos;
  self->t = vnFOBJ_At(at, create ? vnFOBJ_Heading(create->vDir) : 0.0f);
  self->pObject = vnUNIT_CreateObject(unit, VNBIGROCK_MODEL, 1.0f, &self->t);
  if (!self->pObject) {
    PLAT_Trace("BIGROCK: Failed to create dynamic object: %s\n", VNBIGROCK_MODEL);
    return;
  }
  self->pObject->fFlags |= VNUNIT_WORLD_OBJECT;
  self->nSplitAnim = SPW_LookupAnimationByName(self->pObject, VNBIGROCK_SPLIT_ANIM);
  // Whole until it splits: the object starts its first animation, so the split is held at its
  // start.
  PlaySplit(self, 0.0f);
}

// Everything the rock sights this frame is in its way.
int32_t Update(VNBIGROCK* self) {
  VNUNIT* rock = self->pUnit;
  if (!rock || self->bSplit) return 0;
  for (int32_t i = 0; i < rock->nSighted; ++i) {
    VNUNIT* target = rock->ppSighted[i];
    if (!target || target == rock) continue;
    vnInflictDamage(rock, target, SPW_VecDist(&rock->vPos, &target->vPos), &target->vPos, nullptr,
                    nullptr);
  }
  return 0;
}

int32_t Split(VNBIGROCK* self) {
  if (!self->pUnit || self->bSplit) return 0;
  self->bSplit = 1;
  PlaySplit(self, 1.0f);
  if (self->pUnit->pMover) SGE_Send(self->pUnit->pMover, SGM_MOVER_STOP, 0, 0);
  vnUNIT_SetAttrFloat(self->pUnit, VN_ATTR_HEALTH, 0.0f);
  return 1;
}

// The rock follows its unit, which its mover carries.
SGE_RESULT FramePosition(VNBIGROCK* self) {
  if (self->pUnit) self->t.vPos = self->pUnit->vPos;
  return SGE_PtrResult(&self->t.vPos);
}

int32_t FrameExtra(VNBIGROCK* self) {
  if (self->pObject) self->pObject->t = self->t;
  return 0;
}

void Place(VNBIGROCK* self, const SPW_TRANSFORM* t) {
  if (!t || !self->pUnit) return;
  self->t.vPos = t->vPos;
  self->t.qRot = t->qRot;
  vnUNITMAN_SetUnitPosition(vnUNITMAN_GetTask(), self->pUnit, &self->t.vPos);
  FrameExtra(self);
}

void End(VNBIGROCK* self) {
  vnUNIT_DestroyObjects(self->pUnit);
  self->pObject = nullptr;
}

SGE_RESULT Answer(VNBIGROCK* self, SGE_TASK*, int32_t msg, SGE_PARAM p1, SGE_PARAM) {
  switch (msg) {
    case SGM_UNIT_UPDATE: return Update(self);
    case SGM_UNIT_FRAME_POSITION: return FramePosition(self);
    case SGM_UNIT_FRAME_EXTRA: return FrameExtra(self);
    case SGM_UNIT_GET_OBJECT: return SGE_PtrResult(self->pObject);
    case SGM_UNIT_GET_FACING:
      return vnFOBJ_WriteVector(SGE_ParamPtr<SPW_VECTOR>(p1), vnFOBJ_Ahead(self->t.qRot));
    case SGM_BIGROCK_SPLIT: return Split(self);
    case SGM_BIGROCK_HAS_SPLIT: return self->bSplit;
    case SGM_UNIT_GET_CLASS: return 0;
    case SGM_UNIT_SEQUENCE_TRANSFORM:
      Place(self, SGE_ParamPtr<const SPW_TRANSFORM>(p1));
      return 0;
    default: return 0;
  }
}

}  // namespace

SGE_RESULT vnBIGROCK_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                             SGE_PARAM p2) {
  return vnUNIT_ClassHandler<VNBIGROCK, Create, End, Answer>(task, data, msg, p1, p2);
}
