// The infantry's order messages: each refuses while the soldier is dying, possessed or held,
// leaves a manned turret and queues the order its per-frame update carries out.
#include <cstring>

#include "terran/behave.h"
#include "terran/handler.h"
#include "terran/infantry_internal.h"
#include "terran/orders.h"
#include "world/unitman/orders.h"
#include "world/unitman/unitman.h"
#include "world/unittype/unittype.h"

namespace {

constexpr float kMoveRadius = 1.0f;
constexpr float kFollowRadius = 5.0f;  // patrol, escort and heal
constexpr uint32_t kPatrolVoice = 0x8000000;
constexpr uint32_t kPossessedVoice = 512;

void Append(VNUNIT* unit, const VNORDER& order) {
  vnORDER_Clear(unit);
  vnORDER_Append(unit, &order);
}

void DropCurrent(VNUNIT* unit) {
  if (vnORDER_KeepFirst(unit)) vnORDER_Pop(unit);
}

bool FastOrCharging(const VNTERUNIT* s) {
  const uint32_t mode = s->engagementMode & VNTERUNIT_ENGAGE_MASK;
  return mode == VNTERUNIT_ENGAGE_FAST || mode == VNTERUNIT_ENGAGE_CHARGE;
}

// Engages unit p1 with a weapon chosen for purpose p2.
void Engage(VNINFANTRY* self, SGE_PARAM targetId, SGE_PARAM purpose) {
  VNTERUNIT* s = &self->soldier;
  if (vnTERUNIT_RefusesOrders(s) || !vnUNITMAN_GetUnit(static_cast<uint32_t>(targetId))) return;
  if (FastOrCharging(s)) vnTERUNIT_RestoreAnimSpeed(s);
  if (!vnTERUNIT_SelectWeaponFor(s, static_cast<int32_t>(purpose), static_cast<int32_t>(targetId)))
    return;
  vnTERUNIT_LeaveTurret(self);
  VNORDER order = vnTERUNIT_MakeOrder(VNTERUNIT_ORDER_ATTACK_UNIT);
  order.anWord[VNTERUNIT_ORDER_WORD_TARGET] = static_cast<int32_t>(targetId);
  order.anWord[VNTERUNIT_ORDER_WORD_STARTED] = static_cast<int32_t>(purpose);
  vnTERUNIT_ReplaceOrders(s->unit, &order);
  s->wanderPoint = nullptr;
  s->stateFlags &= ~VNTERUNIT_SF_GOAL_BY_FIRE;
  s->treating = 0;
}

void Move(VNINFANTRY* self, const SPW_VECTOR* point) {
  VNTERUNIT* s = &self->soldier;
  if (vnTERUNIT_RefusesOrders(s)) return;
  if (FastOrCharging(s)) vnTERUNIT_RestoreAnimSpeed(s);
  if (!point) return;
  vnTERUNIT_LeaveTurret(self);
  s->wasHit = 0;
  s->upperLocked = s->lowerLocked = 0;
  s->treating = 0;
  vnTERUNIT_CheckRopeDone(s);
  VNORDER order = vnTERUNIT_MakeOrder(VNTERUNIT_ORDER_MOVE);
  vnTERUNIT_SetOrderPoint(&order, *point);
  vnTERUNIT_SetOrderFloat(&order, VNTERUNIT_ORDER_WORD_VALUE, kMoveRadius);
  Append(s->unit, order);
  s->wanderPoint = nullptr;
}

void Patrol(VNINFANTRY* self, SGE_PARAM noTurnBack) {
  VNTERUNIT* s = &self->soldier;
  if (vnTERUNIT_RefusesOrders(s)) return;
  if (!(s->waypointCount > 1 || (noTurnBack && s->waypointCount > 0))) return;
  vnTERUNIT_RestoreAnimSpeed(s);
  vnTERUNIT_LeaveTurret(self);
  VNORDER order = vnTERUNIT_MakeOrder(VNTERUNIT_ORDER_PATROL);
  vnTERUNIT_SetOrderFloat(&order, VNTERUNIT_ORDER_WORD_VALUE, kFollowRadius);
  vnTERUNIT_ReplaceOrders(s->unit, &order);
  s->treating = 0;
  s->wanderPoint = nullptr;
  if (noTurnBack)
    s->stateFlags |= VNTERUNIT_SF_PATROL_NO_REVERSE;
  else
    s->stateFlags &= ~VNTERUNIT_SF_PATROL_NO_REVERSE;
  vnTERUNIT_SendSelf(s, SGM_TERUNIT_VOICE_EVENT, kPatrolVoice);
}

void EndPatrol(VNTERUNIT* s) {
  vnTERUNIT_RestoreAnimSpeed(s);
  if (vnTERUNIT_OrderKind(vnORDER_Current(s->unit)) != VNTERUNIT_ORDER_PATROL) return;
  DropCurrent(s->unit);
  vnTERUNIT_SetIdle(s);
  s->wanderPoint = nullptr;
  s->treating = 0;
}

void Escort(VNINFANTRY* self, SGE_PARAM unitId) {
  VNTERUNIT* s = &self->soldier;
  if (vnTERUNIT_RefusesOrders(s) || unitId == static_cast<SGE_PARAM>(s->unit->dwId)) return;
  vnTERUNIT_RestoreAnimSpeed(s);
  if (!unitId) return;
  vnTERUNIT_LeaveTurret(self);
  s->wanderPoint = nullptr;
  VNORDER order = vnTERUNIT_MakeOrder(VNTERUNIT_ORDER_GUARD);
  order.anWord[VNTERUNIT_ORDER_WORD_TARGET] = static_cast<int32_t>(unitId);
  vnTERUNIT_SetOrderFloat(&order, VNTERUNIT_ORDER_WORD_VALUE, kFollowRadius);
  vnTERUNIT_ReplaceOrders(s->unit, &order);
  s->treating = 0;
  s->circleSide = 0;
  s->circleTimer = 0.0f;
  s->circleWait = -1.0f;
  s->idleTime = 0.0f;
}

// p1 0 holds (at the point p2 when given); anything else ends the current order.
void HoldPosition(VNINFANTRY* self, SGE_PARAM end, const SPW_VECTOR* point) {
  VNTERUNIT* s = &self->soldier;
  if (vnTERUNIT_RefusesOrders(s)) return;
  vnTERUNIT_RestoreAnimSpeed(s);
  if (end) {
    DropCurrent(s->unit);
    return;
  }
  vnTERUNIT_LeaveTurret(self);
  s->wanderPoint = nullptr;
  VNORDER order = vnTERUNIT_MakeOrder(VNTERUNIT_ORDER_HOLD_FIRE_AT_WILL);
  if (point) {
    order.anWord[VNTERUNIT_ORDER_WORD_STARTED] = 1;
    vnTERUNIT_SetOrderPoint(&order, *point);
  }
  vnTERUNIT_ReplaceOrders(s->unit, &order);
  s->treating = 0;
}

// Medics only: the patients given join the list, and the first one is healed unless a heal is
// under way already.
void Heal(VNINFANTRY* self, SGE_PARAM count, const int32_t* unitIds) {
  VNTERUNIT* s = &self->soldier;
  const int32_t type = s->unit->nType;
  if (type != VN_UNIT_TYPE_TERRAN_MEDIC && type != VN_UNIT_TYPE_TERRAN_MEDIC_FEM) return;
  if (vnTERUNIT_RefusesOrders(s)) return;
  vnTERUNIT_RestoreAnimSpeed(s);
  const bool healing = vnORDER_FindById(s->unit, VNTERUNIT_ORDER_HEAL) != nullptr;
  if (!healing) vnTERUNIT_ClearPatients(s);
  if (unitIds && count > 0) vnTERUNIT_AddPatients(s, static_cast<int32_t>(count), unitIds, 1);
  const int32_t patient = vnTERUNIT_FirstPatient(s);
  if (!patient || healing) return;
  vnTERUNIT_LeaveTurret(self);
  vnTERUNIT_SetIdle(s);
  VNORDER order = vnTERUNIT_MakeOrder(VNTERUNIT_ORDER_HEAL);
  order.anWord[VNTERUNIT_ORDER_WORD_TARGET] = patient;
  vnTERUNIT_SetOrderFloat(&order, VNTERUNIT_ORDER_WORD_VALUE, kFollowRadius);
  vnTERUNIT_ReplaceOrders(s->unit, &order);
  s->wanderPoint = nullptr;
  s->upperLocked = s->lowerLocked = 0;
  s->treating = 0;
}

void Halt(VNINFANTRY* self) {
  VNTERUNIT* s = &self->soldier;
  if (vnTERUNIT_RefusesOrders(s)) return;
  vnTERUNIT_RestoreAnimSpeed(s);
  vnTERUNIT_LeaveTurret(self);
  const VNORDER order = vnTERUNIT_MakeOrder(VNTERUNIT_ORDER_HALT);
  vnTERUNIT_ReplaceOrders(s->unit, &order);
  s->treating = 0;
}

// Possessed for p1 seconds by unit p2; a second possession only renews the time.
SGE_RESULT Possess(VNINFANTRY* self, SGE_PARAM seconds, SGE_PARAM possessorId) {
  VNTERUNIT* s = &self->soldier;
  if (vnTERUNIT_IsDying(s) || vnTERUNIT_IsBouncing(s)) return -1;
  if (!vnUNITMAN_GetUnit(static_cast<uint32_t>(possessorId))) {
    s->phaseTimer = -1.0f;
    return -1;
  }
  const float time = static_cast<float>(seconds);
  if (s->lowerState == VN_TERUNIT_LOWER_POSSESSED) {
    s->phaseTimer = time;
    return 1;
  }
  if (s->stateFlags & VNTERUNIT_SF_HELD) return -1;
  vnTERUNIT_RestoreAnimSpeed(s);
  if (seconds < 1) return -1;
  vnTERUNIT_LeaveTurret(self);
  vnTERUNIT_SendSelf(s, SGM_INFANTRY_ENGAGEMENT, VNTERUNIT_ENGAGE_NORMAL);
  vnTERUNIT_SetIdle(s);
  VNORDER order = vnTERUNIT_MakeOrder(VNTERUNIT_ORDER_POSSESSED);
  order.anWord[VNTERUNIT_ORDER_WORD_TARGET] = static_cast<int32_t>(s->unit->dwId);
  order.anWord[VNTERUNIT_ORDER_WORD_SECOND] = static_cast<int32_t>(possessorId);
  vnTERUNIT_SetOrderFloat(&order, VNTERUNIT_ORDER_WORD_VALUE, time);
  vnTERUNIT_ReplaceOrders(s->unit, &order);
  s->treating = 0;
  s->lowerState = VN_TERUNIT_LOWER_POSSESSED;
  s->upperState = VN_TERUNIT_UPPER_POSSESSED;
  s->wanderPoint = nullptr;
  s->upperLocked = s->lowerLocked = 0;
  s->phaseTimer = time;
  s->subState = 0;
  vnTERUNIT_SendSelf(s, SGM_TERUNIT_VOICE_EVENT, kPossessedVoice);
  return -1;
}

// A script sets both body states; the soldier stops what it was doing.
void SetPose(VNTERUNIT* s, SGE_PARAM lower, SGE_PARAM upper) {
  DropCurrent(s->unit);
  s->treating = 0;
  s->lowerState = static_cast<int32_t>(lower);
  s->upperState = static_cast<int32_t>(upper);
  s->wanderPoint = nullptr;
  s->upperLocked = s->lowerLocked = 0;
  s->scripted = 1;
}

void EndPose(VNTERUNIT* s) {
  s->scripted = 0;
  vnTERUNIT_SetIdle(s);
}

}  // namespace

SGE_RESULT vnINFANTRY_Order(VNINFANTRY* self, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  VNTERUNIT* s = &self->soldier;
  switch (msg) {
    case SGM_INFANTRY_ENGAGE: Engage(self, p1, p2); break;
    case SGM_UNIT_GOTO_POINT: Move(self, SGE_ParamPtr<const SPW_VECTOR>(p1)); break;
    case SGM_INFANTRY_PATROL: Patrol(self, p1); break;
    case SGM_INFANTRY_END_PATROL: EndPatrol(s); break;
    case SGM_INFANTRY_ESCORT: Escort(self, p1); break;
    case SGM_INFANTRY_HOLD_POSITION: HoldPosition(self, p1, SGE_ParamPtr<const SPW_VECTOR>(p2)); break;
    case SGM_INFANTRY_HEAL: Heal(self, p1, SGE_ParamPtr<const int32_t>(p2)); break;
    case SGM_INFANTRY_HALT: Halt(self); break;
    case SGM_INFANTRY_POSSESS: return Possess(self, p1, p2);
    case SGM_INFANTRY_SET_POSE: SetPose(s, p1, p2); break;
    case SGM_INFANTRY_END_POSE: EndPose(s); break;
    default: break;
  }
  return -1;
}
