// Combat geometry: range bands, random points, shot traces through the path network and the
// scene, lobbed-shot intercepts, line-of-fire tests, scatter and the structure kind of a region.
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "engine/collide/collide.h"
#include "engine/feature/feature.h"
#include "engine/kernel/tasktypes.h"
#include "engine/terrain/terrain.h"
#include "platform/random.h"
#include "platform/text.h"
#include "platform/trace.h"
#include "world/bstar/search.h"
#include "effects/weapon.h"
#include "world/combat/combat.h"
#include "world/featunit/featunit.h"
#include "world/mover/mover.h"
#include "world/unitman/unitman.h"

namespace {

constexpr float kBandNear = 10.0f;
constexpr float kBandMid = 20.0f;
// rand() over its range scaled to 0..1, as the region's random points were tuned with.
constexpr float kRandUnit = 0.00003051851f;
// Every gate type lets a scattered disc through; only the junction mask stops it.
constexpr uint32_t kAnyLinkType = 0xFFFFFFFFu;
// Half the gravity of lobbed shots.
constexpr float kHalfGravity = 4.9f;

int32_t g_defaultKind = -1;

SPW_SCENE* MissionScene() { return BSTAR_CurrentNetwork ? BSTAR_CurrentNetwork->pScene : nullptr; }

std::string_view ClassName(const SPW_FEATUREINST* item) {
  if (!item || !item->pClass) return {};
  const char* name = item->pClass->szClassName;
  return {name, strnlen(name, sizeof item->pClass->szClassName)};
}

bool IsOneOf(std::string_view name, std::initializer_list<const char*> names) {
  for (const char* n : names)
    if (PLAT_EqualNoCase(name, n)) return true;
  return false;
}

bool IsBoundTo(const BSTAR_Node* region, const SPW_FEATUREINST* item) {
  if (!region || !region->pFeatures) return false;
  for (int32_t i = 0; i < region->pFeatures->nCount; ++i)
    if (region->pFeatures->aBinding[i].pFeature == item) return true;
  return false;
}

// The shooter region's own walls never block its shots.
bool IsOwnWall(const SPW_FEATUREINST* item, const VNUNIT* shooter) {
  const BSTAR_Node* region = shooter && shooter->pMove ? shooter->pMove->pRegion : nullptr;
  return IsOneOf(ClassName(item), {"FORT WALL", "FORT WALL DESTROYED"}) &&
         IsBoundTo(region, item);
}

// The scenery object stands for the unit: a feature unit's intact or destroyed item.
bool IsFeatureOf(const SPW_FEATUREINST* item, const VNUNIT* unit) {
  const SGE_TASK* controller = unit ? unit->pController : nullptr;
  if (!controller || controller->nTypeId != VNTT_FEATURE_UNIT) return false;
  const VNFEATUNIT* f = SGE_TaskData<VNFEATUNIT>(const_cast<SGE_TASK*>(controller));
  return f && (item == f->pIntact || item == f->pDestroyed);
}

// The nearest hit along the unit direction within *length: the network's obstacles (when
// asked), then the scene's items, then the terrain; each later one only when nearer.
struct Trace {
  SPW_VECTOR vHit{};
  SPW_VECTOR vNormal{};
  SPW_FEATUREINST* pObject = nullptr;
  bool bHit = false;
};

void TraceNetwork(const SPW_VECTOR& start, const SPW_VECTOR& dir, float* length, Trace* t) {
  BSTAR_Node* obstacle = nullptr;
  SPW_VECTOR point;
  if (!BSTAR_CurrentNetwork ||
      !BSTAR_RayObstacle(BSTAR_CurrentNetwork, &start, &dir, length, &obstacle, &point))
    return;
  t->bHit = true;
  t->vHit = point;
  // Outward from the obstacle sphere's centre.
  t->vNormal = {0, 0, 1};
  const SPW_VECTOR out{point.x - obstacle->vCentre.x, point.y - obstacle->vCentre.y,
                       point.z - obstacle->vCentre.z};
  SPW_VecNormaliseTo(&out, &t->vNormal);
}

void TraceScene(SPW_SCENE* scene, const SPW_VECTOR& start, const SPW_VECTOR& dir, float length,
                SPW_FEATUREINST* ignore, Trace* t) {
  float best = length * length;
  SPW_VECTOR point, normal;
  const uint32_t kept = ignore ? ignore->dwFlags : 0;
  if (ignore) ignore->dwFlags |= SPW_FINST_IGNORED;
  SPW_FEATUREINST* item = SPW_CollideQueryEx(scene, &start, &dir, length, &point, &best, &normal);
  if (ignore) ignore->dwFlags = kept;
  if (item) {
    *t = {point, normal, item, true};
  }
  if (SPW_CollideTerrain(scene, &start, &dir, length, &point, &best)) {
    t->bHit = true;
    t->vHit = point;
    t->pObject = nullptr;
    SPW_VECTOR up = point;
    t->vNormal = SPW_GetTerrainHeightNormal(scene, &up, &normal) ? normal : SPW_VECTOR{0, 0, 1};
  }
}

int32_t TraceAlong(const SPW_VECTOR& start, const SPW_VECTOR& dir, float length,
                   uint32_t options, SPW_FEATUREINST* owner, Trace* t) {
  if (options & VNCOMBAT_TRACE_NETWORK) TraceNetwork(start, dir, &length, t);
  TraceScene(MissionScene(), start, dir, length,
             (options & VNCOMBAT_TRACE_IGNORE) ? owner : nullptr, t);
  return t->bHit ? 1 : 0;
}

void Report(const Trace& t, SPW_VECTOR* outHit, SPW_VECTOR* outNormal,
            SPW_FEATUREINST** outObject) {
  if (!t.bHit) return;
  if (outHit) *outHit = t.vHit;
  if (outNormal) *outNormal = t.vNormal;
  if (outObject) *outObject = t.pObject;
}

}  // namespace

int32_t vnCOMBAT_RangeBand(float distance) {
  if (distance <= kBandNear) return 0;
  return distance <= kBandMid ? 1 : 2;
}

int32_t vnCOMBAT_RandomPointInRegion(BSTAR_Node* region, SPW_VECTOR* out) {
  if (!region || !out) return 0;
  const float x = static_cast<float>(PLAT_Rand()) * kRandUnit;
  const float y = static_cast<float>(PLAT_Rand()) * kRandUnit;
  *out = {region->fMinX + (region->fMaxX - region->fMinX) * x,
          region->fMinY + (region->fMaxY - region->fMinY) * y, region->vCentre.z};
  return BSTAR_CurrentNetwork ? BSTAR_NodeContainsPoint(BSTAR_CurrentNetwork, region, out) : 0;
}

int32_t vnCOMBAT_TraceShot(const SPW_VECTOR* start, const SPW_VECTOR* dir, float length,
                           SPW_VECTOR* outHit, SPW_VECTOR* outNormal, SPW_FEATUREINST** outObject,
                           uint32_t options, SPW_FEATUREINST* owner) {
  if (outObject) *outObject = nullptr;
  if (!start || !dir) return 0;
  Trace t;
  TraceAlong(*start, *dir, length, options, owner, &t);
  Report(t, outHit, outNormal, outObject);
  return t.bHit ? 1 : 0;
}

int32_t vnCOMBAT_TraceShotEx(const VNCOMBAT_SHOT* shot, SPW_VECTOR* outHit,
                             SPW_VECTOR* outNormal, SPW_FEATUREINST** outObject,
                             uint32_t options, SPW_FEATUREINST* owner, float* outDistance) {
  if (outDistance) *outDistance = 0.0f;
  if (outObject) *outObject = nullptr;
  if (!shot) return 0;
  Trace t;
  TraceAlong(shot->vStart, shot->vDir, shot->fLength, options, owner, &t);
  Report(t, outHit, outNormal, outObject);
  if (t.bHit && outDistance) *outDistance = SPW_VecDist(&t.vHit, &shot->vStart);
  return t.bHit ? 1 : 0;
}

int32_t vnCOMBAT_LineCircleIntersect(const SPW_VECTOR* target, const SPW_VECTOR* targetVel,
                                     const SPW_VECTOR* muzzle, float speed, SPW_VECTOR* out) {
  if (!target || !targetVel || !muzzle || !out) return 0;
  // The ground-plane meeting time t: |D + V t| = speed x t, D the offset from the muzzle.
  const float dx = target->x - muzzle->x, dy = target->y - muzzle->y;
  const float a = targetVel->x * targetVel->x + targetVel->y * targetVel->y - speed * speed;
  const float b = 2.0f * (dx * targetVel->x + dy * targetVel->y);
  const float c = dx * dx + dy * dy;
  float t = -1.0f;
  if (std::fabs(a) < 1e-6f) {
    if (b != 0.0f) t = -c / b;
  } else {
    const float disc = b * b - 4.0f * a * c;
    if (disc < 0.0f) return 0;
    const float root = std::sqrt(disc);
    const float t1 = (-b - root) / (2.0f * a), t2 = (-b + root) / (2.0f * a);
    const float lo = std::fmin(t1, t2), hi = std::fmax(t1, t2);
    t = lo > 0.0f ? lo : hi;
  }
  if (!(t > 0.0f)) return 0;
  *out = {(dx + targetVel->x * t) / t, (dy + targetVel->y * t) / t,
          (target->z - muzzle->z) / t + kHalfGravity * t};
  return 1;
}

int32_t vnCOMBAT_HasLineOfFire(const SPW_VECTOR* origin, const SPW_VECTOR* dir, float length,
                               SPW_FEATUREINST* targetOwner, SPW_VECTOR* outHit,
                               VNUNIT* shooter) {
  if (!origin || !dir) return 0;
  SPW_VECTOR unit;
  if (!(SPW_VecNormaliseTo(dir, &unit) > 0.0f)) return 1;
  SPW_SCENE* scene = MissionScene();
  float best = length * length;
  SPW_VECTOR point;
  if (SPW_CollideTerrain(scene, origin, &unit, length, &point, &best)) return 0;
  best = length * length;
  SPW_FEATUREINST* item = SPW_CollideQuery(scene, origin, &unit, length, &point, &best);
  if (!item || IsOwnWall(item, shooter)) return 1;
  if (item != targetOwner) return 0;
  if (outHit) *outHit = point;
  return 1;
}

int32_t vnCOMBAT_TestLineOfFire(const SPW_VECTOR* direction, const float* distance,
                                const SPW_VECTOR* start, SPW_VECTOR* outBlock,
                                const VNUNIT* target, const VNUNIT* weapon) {
  if (!direction || !distance || !start) return 0;
  SPW_SCENE* scene = MissionScene();
  const float length = *distance;
  float best = length * length;
  SPW_VECTOR point;
  if (SPW_CollideTerrain(scene, start, direction, length, &point, &best)) {
    if (outBlock) *outBlock = point;
    return 0;
  }
  best = length * length;
  const SPW_FEATUREINST* item = SPW_CollideQuery(scene, start, direction, length, &point, &best);
  if (!item || IsOneOf(ClassName(item), {"FORT WALL", "FORT WALL DESTROYED"}) ||
      IsFeatureOf(item, target) || IsFeatureOf(item, vnWEAPON_GetHolder(weapon)))
    return 1;
  if (outBlock) *outBlock = point;
  return 0;
}

int32_t vnCOMBAT_HasLineOfFireTo(const SPW_VECTOR* origin, const SPW_VECTOR* target,
                                 SPW_FEATUREINST* targetOwner, SPW_VECTOR* outHit,
                                 VNUNIT* shooter) {
  if (!origin || !target) return 0;
  const SPW_VECTOR d{target->x - origin->x, target->y - origin->y, target->z - origin->z};
  return vnCOMBAT_HasLineOfFire(origin, &d, SPW_VecDist(origin, target), targetOwner, outHit,
                                shooter);
}

BSTAR_Node* vnCOMBAT_ScatterDirection(const SPW_VECTOR* origin, const SPW_VECTOR* dir,
                                      float distance, float spread, uint32_t junctionMask,
                                      float radius, BSTAR_Node* region, SPW_VECTOR* out) {
  if (!origin || !dir || !region || !out || !BSTAR_CurrentNetwork) return nullptr;
  const float angle = (2.0f * static_cast<float>(PLAT_Rand()) * kRandUnit - 1.0f) * spread;
  const float c = std::cos(angle), s = std::sin(angle);
  const SPW_VECTOR turned{dir->x * c - dir->y * s, dir->x * s + dir->y * c, 0.0f};
  const SPW_VECTOR end{origin->x + turned.x * distance, origin->y + turned.y * distance,
                       origin->z};
  const SPW_VECTOR vel{turned.x * distance, turned.y * distance, 0.0f};
  SPW_VECTOR outVel;
  int32_t blocked = 0;
  return vnMOVER_SweepDisc(BSTAR_CurrentNetwork, region, radius, kAnyLinkType, origin, &end, &vel,
                           out, &outVel, &blocked, junctionMask);
}

int32_t vnCOMBAT_StructureKind(const BSTAR_Node* region) {
  if (region && region->pFeatures && !(region->dwFlags & VNCOMBAT_REGION_NO_STRUCTURE)) {
    for (int32_t i = 0; i < region->pFeatures->nCount; ++i) {
      const std::string_view name =
          ClassName(static_cast<const SPW_FEATUREINST*>(region->pFeatures->aBinding[i].pFeature));
      if (IsOneOf(name, {"Fort Wall", "Building"})) return VNCOMBAT_KIND_STRUCTURE;
      if (IsOneOf(name, {"Bridge"})) return VNCOMBAT_KIND_BRIDGE;
    }
  }
  return g_defaultKind < 0 ? 0 : g_defaultKind;
}

void vnCOMBAT_SetDefaultStructureKind(int32_t kind) { g_defaultKind = kind; }
