// The ammunition dump's controller: creation, the per-frame refill, resupply pass, lid and bar.
#include "world/ammodump/ammodump.h"

#include <cstring>

#include "engine/dobject/dobject.h"
#include "engine/kernel/frametime.h"
#include "platform/trace.h"
#include "shell/sound/sound.h"
#include "world/featunit/bar.h"
#include "world/unitman/unitman.h"

namespace {

// The object flag the world's own objects carry.

void Pose(SPW_DOBJECT* object, int32_t anim, float speed) {
  if (!object || anim < 0) return;
  SPW_PlayAnimation(object, anim, -1, nullptr, 0, SPW_ANIM_ONCE_FLAGS, speed);
  SPW_SetAnimationTime(object, anim, 0.0f);
}

void MakeModel(VNAMMODUMP* self, const SPW_VECTOR& at) {
  const SPW_TRANSFORM t{at, {0.0f, 0.0f, 0.0f, 1.0f}, 1.0f};
  self->pObject = vnUNIT_CreateObject(self->pUnit, VNAMMODUMP_MODEL, 1.0f, &t);
  self->nOpenAnim = self->nCloseAnim = -1;
  if (!self->pObject) {
    PLAT_Trace("AMMO_DUMP: Failed to create dynamic object: %s\n", VNAMMODUMP_MODEL);
    return;
  }
  self->nOpenAnim = SPW_LookupAnimationByName(self->pObject, VNAMMODUMP_OPEN);
  self->nCloseAnim = SPW_LookupAnimationByName(self->pObject, VNAMMODUMP_CLOSE);
  self->pObject->fFlags |= VNUNIT_WORLD_OBJECT;
  // Closed: the start of opening, held.
  Pose(self->pObject, self->nOpenAnim, 0.0f);
}

void Create(VNAMMODUMP* self, VNUNIT* unit, const VNUNIT_CREATE* create) {
  std::memset(static_cast<void*>(self), 0, sizeof *self);
  self->pUnit = unit;
  if (!unit) return;
  const SPW_VECTOR at = create ? create->vPos : unit->vPos;
  MakeModel(self, at);
  self->fMaxSupply = self->fSupply = vnUNIT_AttrFloat(unit, VN_ATTR_SUPPLY);
  self->fRate = vnUNIT_AttrFloat(unit, VNAMMODUMP_ATTR_RATE);
  const SPW_VECTOR barAt{at.x, at.y, at.z + VNAMMODUMP_BAR_LIFT};
  self->pBar = vnFEATUNIT_AddBar(&barAt);
  self->fBarTimer = VNFEATUNIT_BAR_SECONDS;
  self->nLid = VNAMMODUMP_CLOSED;
  if (unit->dwFlags & VNUNIT_F_OBSERVABLE) vnUNITMAN_SetUnitPosition(vnUNITMAN_GetTask(), unit, &at);
}

void Refill(VNAMMODUMP* self, float dt) {
  self->fSupply += dt * self->fRate;
  if (self->fSupply > self->fMaxSupply) self->fSupply = self->fMaxSupply;
}

void MoveLid(VNAMMODUMP* self, int32_t lid) {
  if (self->nLid == lid) return;
  Pose(self->pObject, lid == VNAMMODUMP_OPENED ? self->nOpenAnim : self->nCloseAnim, 1.0f);
  self->nLid = lid;
  vnSOUND_PlayEffect(VNAMMODUMP_LID_SOUND, &self->pUnit->vPos.x);
}

int32_t Update(VNAMMODUMP* self, const VNPLAYER* player) {
  if (!self->pUnit) return 0;
  const float dt = SGE_GetFrameTime();
  Refill(self, dt);
  const uint32_t allies = player ? player->dwAllyMask : self->pUnit->dwPlayer;
  MoveLid(self, vnAMMODUMP_Resupply(self, allies) ? VNAMMODUMP_OPENED : VNAMMODUMP_CLOSED);
  vnFEATUNIT_UpdateBar(self->pBar, &self->fBarTimer, dt, self->fSupply, self->fMaxSupply);
  return 0;
}

// The bar goes with the dump: a record left behind would be drawn on where the dump stood.
void End(VNAMMODUMP* self) {
  vnFEATUNIT_RemoveBar(&self->pBar);
  vnUNIT_DestroyObjects(self->pUnit);
  self->pObject = nullptr;
}

SGE_RESULT Answer(VNAMMODUMP* self, SGE_TASK*, int32_t msg, SGE_PARAM, SGE_PARAM p2) {
  switch (msg) {
    case SGM_AMMODUMP_SHOW_BAR: vnFEATUNIT_ShowBar(self->pBar, &self->fBarTimer); return 0;
    case SGM_UNIT_UPDATE: return Update(self, SGE_ParamPtr<const VNPLAYER>(p2));
    case SGM_UNIT_GET_OBJECT: return SGE_PtrResult(vnUNIT_FirstObject(self->pUnit));
    case SGM_UNIT_GET_CLASS: return VNAMMODUMP_CLASS;
    default: return 0;
  }
}

}  // namespace

SGE_RESULT vnAMMODUMP_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                              SGE_PARAM p2) {
  return vnUNIT_ClassHandler<VNAMMODUMP, Create, End, Answer>(task, data, msg, p1, p2);
}
