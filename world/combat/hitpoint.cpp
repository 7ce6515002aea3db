// Random hit points: the nodes of a unit's model named for it ("i..."), on the side that faces
// the shooter.
#include <cstring>

#include "engine/dobject/dobject.h"
#include "engine/object/object.h"
#include "platform/random.h"
#include "world/combat/combat.h"
#include "world/unitman/unitman.h"

namespace {

constexpr int32_t kMaxHitPoints = 20;
constexpr char kHitPointInitial = 'i';

struct HitPoint {
  int32_t nNode;
  SPW_VECTOR vPos;
};

bool IsClosedBugHole(const VNUNIT* unit) {
  return unit->nType == VN_UNIT_TYPE_BUGHOLE &&
         SGE_Send(unit->pController, SGM_BUGHOLE_IS_CLOSED, 0, 0) == 1;
}

bool NamedForHits(const SPW_DOBJNODE& node) {
  return node.szName[0] == kHitPointInitial || node.szName[0] == kHitPointInitial - 'a' + 'A';
}

// Whether the point's outward side (away from the object's origin) looks towards the shooter.
bool FacesShooter(const SPW_VECTOR& origin, const SPW_VECTOR& point, const SPW_VECTOR* shooter) {
  if (!shooter) return true;
  const SPW_VECTOR out{point.x - origin.x, point.y - origin.y, point.z - origin.z};
  const SPW_VECTOR to{shooter->x - point.x, shooter->y - point.y, shooter->z - point.z};
  return out.x * to.x + out.y * to.y + out.z * to.z > 0.0f;
}

int32_t GatherHitPoints(SPW_DOBJECT* object, const SPW_VECTOR* shooter, HitPoint* out) {
  const SPW_DOBJTYPE* type = SPW_GetObjectType(object->nType);
  if (!type || !type->dwNumLods || !type->pLods) return 0;
  const SPW_DOBJLOD& lod = type->pLods[0];
  int32_t count = 0;
  for (uint32_t i = 0; i < lod.dwNumNodes && count < kMaxHitPoints; ++i) {
    if (!NamedForHits(lod.pNodes[i])) continue;
    SPW_MATRIX m;
    float scale = 1.0f;
    if (!SPW_GetNodeWorldTransform(object, static_cast<int32_t>(i), &m, &scale)) continue;
    const SPW_VECTOR pos{m.m[3][0], m.m[3][1], m.m[3][2]};
    if (FacesShooter(object->t.vPos, pos, shooter)) out[count++] = {static_cast<int32_t>(i), pos};
  }
  return count;
}

}  // namespace

int32_t vnCOMBAT_PickRandomHitPoint(VNUNIT* unit, const SPW_VECTOR* shooter, SPW_VECTOR* out) {
  if (!unit || !unit->pController || IsClosedBugHole(unit)) return -1;
  SPW_DOBJECT* object = SGE_Ask<SPW_DOBJECT>(unit->pController, SGM_UNIT_GET_OBJECT, 0, 0);
  if (!object) return -1;
  HitPoint points[kMaxHitPoints];
  const int32_t count = GatherHitPoints(object, shooter, points);
  if (count == 0) return -1;
  const HitPoint& pick = points[PLAT_Rand() % count];
  if (out) *out = pick.vPos;
  return pick.nNode;
}
