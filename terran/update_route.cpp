// Soldier movement between orders: the patrol route, distances to other units, backing away,
// and treating a patient.
#include <algorithm>
#include <cmath>

#include "engine/dobject/dobject.h"
#include "engine/kernel/frametime.h"
#include "terran/behave.h"
#include "terran/movement.h"
#include "terran/update.h"
#include "world/mover/mover.h"
#include "world/unittype/attributes.h"
#include "world/unittype/unittype.h"

namespace {

constexpr float kNear = 20.0f;
constexpr float kClose = 14.0f;
// Treating rates a second, and the share of its own maximum above which a treater's
// low-armour line may be said again.
constexpr float kHealRate = 10.0f, kRepairRate = 5.0f, kRecovered = 0.6f;

SPW_VECTOR ModelPosition(const VNTERUNIT* s) { return s->model ? s->model->t.vPos : s->unit->vPos; }

// Bugs that are no danger up close, so nobody backs away from them.
bool HarmlessUpClose(int32_t type) {
  return type == VN_UNIT_TYPE_BUG_CHARIOT || type == VN_UNIT_TYPE_BUG_PLASMA ||
         type == VN_UNIT_TYPE_BUG_TANKER || type == VN_UNIT_TYPE_BUG_WORKER;
}

}  // namespace

void vnTERUNIT_ClearRoute(VNTERUNIT* s) {
  s->wanderPoint = nullptr;
  s->waypointCount = s->waypointIndex = 0;
  s->waypointsBackwards = 0;
}

int32_t vnTERUNIT_CurrentWaypoint(const VNTERUNIT* s, SPW_VECTOR* out) {
  if (s->waypointIndex >= s->waypointCount || s->waypointIndex >= VNTERUNIT_MAX_WAYPOINTS) return 0;
  *out = s->waypoints[s->waypointIndex];
  return 1;
}

int32_t vnTERUNIT_NextWaypoint(VNTERUNIT* s) {
  // The index is unsigned: turning at the end of a route of one leaves it past the end.
  const uint32_t count = std::min<uint32_t>(s->waypointCount, VNTERUNIT_MAX_WAYPOINTS);
  bool turned = false;
  if (!s->waypointsBackwards) {
    if (s->waypointIndex + 1 < count) {
      ++s->waypointIndex;
    } else {
      s->waypointsBackwards = 1;
      s->waypointIndex = count - 2;
      turned = true;
    }
  } else if (s->waypointIndex >= 1) {
    --s->waypointIndex;
  } else {
    s->waypointsBackwards = 0;
    s->waypointIndex = 1;
    turned = true;
  }
  if (turned && (s->stateFlags & VNTERUNIT_SF_PATROL_NO_REVERSE)) return 0;
  return s->waypointIndex < count ? 1 : 0;
}

int32_t vnTERUNIT_IsNear(const VNTERUNIT* s, const VNUNIT* unit) {
  return SPW_VecDistSq(&s->unit->vPos, &unit->vPos) < kNear * kNear ? 1 : 0;
}

int32_t vnTERUNIT_IsWithin(const VNTERUNIT* s, const VNUNIT* unit, float radius) {
  return vnTERUNIT_Distance2D(s->unit->vPos, unit->vPos) < radius ? 1 : 0;
}

int32_t vnTERUNIT_IsClose(const VNTERUNIT* s, const VNUNIT* unit) {
  if (SPW_VecDistSq(&s->unit->vPos, &unit->vPos) >= kClose * kClose) return 0;
  if (!vnUNIT_FirstObject(s->unit) || !vnUNIT_FirstObject(unit)) return 0;
  if (s->engagementMode & 0x2) return 0;
  return HarmlessUpClose(unit->nType) ? 0 : 1;
}

void vnTERUNIT_TurnInPlace(VNTERUNIT* s, const SPW_VECTOR& direction, uint32_t requestFlags) {
  s->faceDirection = direction;
  vnTERUNIT_SendMover(s, SGM_MOVER_STOP);
  vnTERUNIT_SendMover(s, SGM_MOVER_SET_FACING, SGE_PtrParam(&s->faceDirection));
  vnTERUNIT_SendMover(s, SGM_MOVER_STEP);
  if (!s->moveRequest && s->unit->pMover)
    s->moveRequest = vnMOVER_QueueRequest(s->unit->pMover, requestFlags, &s->faceDirection, 0.0f);
}

int32_t vnTERUNIT_FaceAway(VNTERUNIT* s, const SPW_VECTOR* point) {
  const SPW_VECTOR from = ModelPosition(s);
  SPW_VECTOR d{point->x - from.x, point->y - from.y, 0.0f};
  const float length = std::hypot(d.x, d.y);
  if (!(length > 0.0f)) return 1;
  d = {d.x / length, d.y / length, 0.0f};
  vnTERUNIT_TurnInPlace(s, d, VNMOVER_REQ_TURN);
  s->lowerState = VN_TERUNIT_LOWER_STEALTHWALKBACKWARDS;
  s->lowerLocked = 0;
  return 1;
}

namespace {

// Health or armour grows toward the maximum; reaching it ends the treatment.
void Treat(VNTERUNIT* s, VNUNIT* patient, int32_t value, float rate, float maximum,
           int32_t ownBase) {
  if ((s->modeFlags & VNTERUNIT_MF_LOW_ARMOUR_SAID) &&
      vnUNIT_AttrFloat(s->unit, value) > kRecovered * vnTERUNIT_BaseValue(s, ownBase))
    s->modeFlags &= ~VNTERUNIT_MF_LOW_ARMOUR_SAID;
  const float now = vnUNIT_AttrFloat(patient, value) + rate * SGE_GetFrameTime();
  if (now >= maximum) {
    vnUNIT_SetAttrFloat(patient, value, maximum);
    s->treating = 0;
  } else {
    vnUNIT_SetAttrFloat(patient, value, now);
    s->treating = 1;
  }
}

}  // namespace

void vnTERUNIT_HealStep(VNTERUNIT* s, VNUNIT* patient, float maximum) {
  Treat(s, patient, VN_ATTR_HEALTH, kHealRate, maximum, VNTERUNIT_BASE_HEALTH);
}

void vnTERUNIT_RepairStep(VNTERUNIT* s, VNUNIT* patient, float maximum) {
  Treat(s, patient, VN_ATTR_ARMOUR, kRepairRate, maximum, VNTERUNIT_BASE_ARMOUR);
}
