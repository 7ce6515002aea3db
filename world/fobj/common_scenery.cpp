// Helpers of the scenery classes.
#include "world/fobj/common_scenery.h"

#include <cmath>

#include "engine/collide/collide.h"
#include "engine/feature/feature.h"
#include "missions/control/misscont.h"
#include "world/bstar/bstar.h"
#include "world/unitman/unitman.h"

SPW_QUAT vnFOBJ_TurnZ(float angle) {
  return {0.0f, 0.0f, std::sin(angle * 0.5f), std::cos(angle * 0.5f)};
}

SPW_TRANSFORM vnFOBJ_At(const SPW_VECTOR& pos, float turn) {
  return {pos, vnFOBJ_TurnZ(turn), 1.0f};
}

int32_t vnFOBJ_WriteVector(SPW_VECTOR* out, const SPW_VECTOR& v) {
  if (!out) return 0;
  *out = v;
  return 1;
}

SPW_VECTOR vnFOBJ_Ahead(const SPW_QUAT& rot) {
  const SPW_VECTOR ahead{0.0f, -1.0f, 0.0f};
  SPW_VECTOR out{};
  SPW_QuatRotateVector(&rot, &ahead, &out);
  return out;
}

float vnFOBJ_Heading(const SPW_VECTOR& dir) { return std::atan2(dir.x, -dir.y); }

SPW_VECTOR vnFOBJ_FeaturePosition(const SPW_FEATUREINST* f) {
  return {f->mObjectToWorld.m[3][0], f->mObjectToWorld.m[3][1], f->mObjectToWorld.m[3][2]};
}

void vnFOBJ_ShowFeature(SPW_FEATUREINST* f, bool shown) {
  if (!f) return;
  if (shown)
    f->dwFlags &= ~SPW_FINST_IGNORED;
  else
    f->dwFlags |= SPW_FINST_IGNORED;
}

SPW_FEATUREINST* vnFOBJ_NearestFeature(const char* className, const SPW_VECTOR& at) {
  SPW_TREENODE* node = nullptr;
  if (!SPW_CollideNearestByName(vnMISSCONT_GetScene(), className, &at, &node) || !node)
    return nullptr;
  return node->pItem;
}

SPW_FEATUREINST* vnFOBJ_BoundFeature(const BSTAR_FEATUREBINDING* binding) {
  if (!binding) return nullptr;
  if (binding->pFeature) return static_cast<SPW_FEATUREINST*>(binding->pFeature);
  return SPW_CollideFindByName(vnMISSCONT_GetScene(), binding->szName);
}

void vnFOBJ_RemoveUnit(VNUNIT* unit) {
  if (SGE_TASK* manager = vnUNITMAN_GetTask(); manager && unit)
    SGE_Post(manager, SGM_UNITMAN_DESTROY_UNIT, SGE_PtrParam(unit), 0);
}

void vnFOBJ_ReportKill(const VNUNIT* unit) {
  if (SGE_TASK* mission = vnMISSCONT_GetTask(); mission && unit)
    SGE_Send(mission, SGM_VN_MISSCONT_EVENT_FEATURE_KILLED, static_cast<SGE_PARAM>(unit->dwId),
             static_cast<SGE_PARAM>(unit->nType));
}
