// The shot traces weapons use: the terrain and the scene, and the units on the ray.
#include <cmath>

#include "engine/collide/collide.h"
#include "missions/control/misscont.h"
#include "terran/weapons.h"
#include "world/unitman/unitman.h"
#include "world/unittype/attributes.h"
#include "world/unittype/unittype.h"

int32_t vnTERUNIT_TraceShot(const SPW_VECTOR* start, const SPW_VECTOR* direction, float length,
                            SPW_VECTOR* outPoint, float* outDistSq) {
  SPW_SCENE* scene = vnMISSCONT_GetScene();
  if (!scene || !start || !direction) return 0;
  float best = length * length;
  SPW_VECTOR point{};
  // Each test only takes a hit nearer than the best so far.
  const bool terrain = SPW_CollideTerrain(scene, start, direction, length, &point, &best) != 0;
  const bool item = SPW_CollideQuery(scene, start, direction, length, &point, &best) != nullptr;
  if (!terrain && !item) return 0;
  if (outPoint) *outPoint = point;
  if (outDistSq) *outDistSq = best;
  return 1;
}

VNUNIT* vnTERUNIT_PickShotUnit(const SPW_VECTOR* start, const SPW_VECTOR* direction, float* best,
                               int32_t* outHuman) {
  SGE_TASK* manager = vnUNITMAN_GetTask();
  if (outHuman) *outHuman = 0;
  if (!manager || !best) return nullptr;
  SPW_VECTOR hit{};
  VNUNITMAN_PICK ray{start, direction, best, &hit, nullptr};
  VNUNIT* unit = SGE_Ask<VNUNIT>(manager, SGM_UNITMAN_PICK, SGE_PtrParam(&ray), 0);
  if (!unit) return nullptr;
  // A consort bug that cannot be seen lets shots through.
  if (unit->nType == VN_UNIT_TYPE_BUG_CONSORT && !(unit->dwFlags & VNUNIT_F_OBSERVABLE)) return nullptr;
  const VNPLAYER* human = vnUNITMAN_GetHumanPlayer();
  if (human && unit->dwPlayer == human->dwId) {
    if (outHuman) *outHuman = 1;
    return unit;
  }
  return vnUNIT_AttrFloat(unit, VN_ATTR_HEALTH) > 0.0f ? unit : nullptr;
}

int32_t vnTERUNIT_TraceShotUnits(const SPW_VECTOR* start, const SPW_VECTOR* direction,
                                 float length, SPW_VECTOR* outPoint, float* outDistSq,
                                 VNUNIT** outUnit, int32_t* outHuman) {
  if (outUnit) *outUnit = nullptr;
  if (outHuman) *outHuman = 0;
  float best = length * length;
  SPW_VECTOR point{};
  const int32_t scene = vnTERUNIT_TraceShot(start, direction, length, &point, &best);
  // The pick lowers its own copy even for a unit it then refuses.
  float unitBest = best;
  VNUNIT* unit =
      start && direction ? vnTERUNIT_PickShotUnit(start, direction, &unitBest, outHuman) : nullptr;
  if (outUnit) *outUnit = unit;
  if (unit) {
    const float d = std::sqrt(unitBest);
    if (outPoint)
      *outPoint = {start->x + d * direction->x, start->y + d * direction->y, start->z + d * direction->z};
    if (outDistSq) *outDistSq = unitBest;
    return 2;
  }
  if (!scene) return 0;
  if (outPoint) *outPoint = point;
  if (outDistSq) *outDistSq = best;
  return 1;
}
