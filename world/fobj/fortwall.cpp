// The fort wall's controller: the hidden placeholder, the feature pair, the fall and the
// path network's ways through the breach.
#include "world/fobj/fortwall.h"

#include <cstring>

#include "engine/dobject/dobject.h"
#include "platform/trace.h"
#include "world/bstar/bstar.h"
#include "world/bstar/search.h"
#include "world/fobj/common_scenery.h"
#include "world/unitman/unitman.h"

namespace {

void Create(VNFORTWALL* self, VNUNIT* unit, const VNUNIT_CREATE* create) {
  std::memset(static_cast<void*>(self), 0, sizeof *self);
  self->pUnit = unit;
  self->fScale = 1.0f;
  self->vDir = create ? create->vDir : SPW_VECTOR{0.0f, -1.0f, 0.0f};
  if (!unit) return;
  const SPW_VECTOR at = create ? create->vPos : unit->vPos;
  const SPW_TRANSFORM t = vnFOBJ_At(at, 0.0f);
  self->pPlaceholder = vnUNIT_CreateObject(unit, VNFORTWALL_PLACEHOLDER, 1.0f, &t);
  if (self->pPlaceholder)
    self->pPlaceholder->fFlags |= SPW_DOBJ_HIDDEN | VNUNIT_WORLD_OBJECT;
  else
    PLAT_Trace("FORTWALL: Failed to create dynamic object: %s\n", VNFORTWALL_PLACEHOLDER);
  self->pIntact = vnFOBJ_NearestFeature(VNFORTWALL_INTACT, at);
  self->pBroken = vnFOBJ_NearestFeature(VNFORTWALL_BROKEN, at);
  vnFOBJ_ShowFeature(self->pIntact, true);
  vnFOBJ_ShowFeature(self->pBroken, false);
  vnUNITMAN_SetUnitPosition(vnUNITMAN_GetTask(), unit, &at);
}

struct WAYS {
  const VNFORTWALL* pWall;
  int32_t bEnable;
};

bool BoundToWall(const BSTAR_Node* node, const VNFORTWALL* wall) {
  const BSTAR_FEATURELIST* list = node->pFeatures;
  for (int32_t i = 0; list && i < list->nCount; ++i) {
    const SPW_FEATUREINST* f = vnFOBJ_BoundFeature(&list->aBinding[i]);
    if (f && (f == wall->pIntact || f == wall->pBroken)) return true;
  }
  return false;
}

int32_t SetWay(BSTAR_Network* network, BSTAR_Node* node, void* user) {
  const auto* ways = static_cast<const WAYS*>(user);
  if (BoundToWall(node, ways->pWall)) BSTAR_SetNodeLinksEnabled(network, node, ways->bEnable);
  return 1;
}

void OpenBreach(const VNFORTWALL* self) {
  BSTAR_Network* network = BSTAR_CurrentNetwork;
  if (!network) return;
  WAYS opens{self, 1};
  WAYS closes{self, 0};
  BSTAR_ForEachNamedNode(network, VNFORTWALL_OPENS, SetWay, &opens);
  BSTAR_ForEachNamedNode(network, VNFORTWALL_CLOSES, SetWay, &closes);
}

// Only the first lethal hit brings the wall down and counts as a kill.
void Damaged(VNFORTWALL* self) {
  VNUNIT* unit = self->pUnit;
  if (!unit || self->nState == VNFORTWALL_FALLEN || vnUNIT_AttrFloat(unit, VN_ATTR_HEALTH) > 0.0f)
    return;
  self->nState = VNFORTWALL_FALLEN;
  unit->dwFlags = (unit->dwFlags & ~VNUNIT_F_OBSERVABLE) | VNUNIT_F_OUT_OF_PLAY;
  vnFOBJ_ShowFeature(self->pIntact, false);
  vnFOBJ_ShowFeature(self->pBroken, true);
  OpenBreach(self);
  vnFOBJ_ReportKill(unit);
}

void End(VNFORTWALL* self) {
  vnUNIT_DestroyObjects(self->pUnit);
  self->pPlaceholder = nullptr;
}

SGE_RESULT Answer(VNFORTWALL* self, SGE_TASK*, int32_t msg, SGE_PARAM p1, SGE_PARAM) {
  switch (msg) {
    case SGM_UNIT_UPDATE: return 0;
    case SGM_UNIT_FRAME_POSITION:
      return SGE_PtrResult(self->pUnit ? &self->pUnit->vPos : nullptr);
    case SGM_UNIT_GET_OBJECT: return SGE_PtrResult(self->pPlaceholder);
    case SGM_UNIT_GET_FACING:
      return vnFOBJ_WriteVector(SGE_ParamPtr<SPW_VECTOR>(p1), self->vDir);
    case SGM_UNIT_DAMAGED: Damaged(self); return 0;
    case SGM_UNIT_IS_DEAD: return self->nState == VNFORTWALL_FALLEN ? 1 : 0;
    case SGM_UNIT_GET_CLASS: return 0;
    case SGM_UNIT_GET_SCALE: return SGE_PtrResult(&self->fScale);
    case SGM_FORTWALL_GET_TYPE: return self->pUnit ? self->pUnit->nType : 0;
    default: return 0;
  }
}

}  // namespace

SGE_RESULT vnFORTWALL_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                              SGE_PARAM p2) {
  return vnUNIT_ClassHandler<VNFORTWALL, Create, End, Answer>(task, data, msg, p1, p2);
}
