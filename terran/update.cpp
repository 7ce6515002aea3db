// The soldier's frame: timers, exhaustion, then the current order. Each order kind is one
// routine; a routine answers 1 when it popped the order.
#include "terran/update.h"

#include <bit>
#include <cmath>

#include "engine/dobject/dobject.h"
#include "engine/kernel/frametime.h"
#include "platform/random.h"
#include "terran/behave.h"
#include "terran/handler.h"
#include "terran/movement.h"
#include "terran/orders.h"
#include "terran/unitfx.h"
#include "world/mover/mover.h"
#include "world/unittype/attributes.h"

namespace {

// Arrival distances of the orders.
constexpr float kMoveArrived = 2.0f;
constexpr float kTurretArrived = 3.0f;
constexpr float kRoamArrived = 5.0f;
// Roaming asks the mover this often per frame for a point it can reach.
constexpr int32_t kRoamTries = 10;
// Guard duty: stays within 20 m, walks a circle of 19 m, attacks within 30 m, pauses 2 s at each
// end of a walk (the pause runs from 1 to 3).
constexpr float kGuardLeash = 20.0f, kGuardCircle = 19.0f, kGuardReach = 30.0f;
constexpr float kGuardPauseStart = 1.0f, kGuardPauseEnd = 3.0f;
// A patrol leaves its route for targets nearer than this.
constexpr float kPatrolReach = 20.0f;
constexpr float kNotWaiting = -1.0f;
// A dead soldier's body takes up its animations again this often.
constexpr float kDeadBodyPeriod = 10.0f;

struct FRAME {
  VNTERUNIT* s;
  SGE_TASK* task;
  VNUNIT* unit;
  VNORDER* order;
  float dt;
};

SPW_VECTOR ModelPosition(const VNTERUNIT* s) { return s->model ? s->model->t.vPos : s->unit->vPos; }

void Both(VNTERUNIT* s, int32_t lower, int32_t upper) {
  s->lowerState = lower;
  s->upperState = upper;
}

void Idle(VNTERUNIT* s) { Both(s, VN_TERUNIT_LOWER_IDLE, VN_TERUNIT_UPPER_IDLE); }

void Unlock(VNTERUNIT* s) { s->upperLocked = s->lowerLocked = 0; }

void Run(VNTERUNIT* s) {
  Both(s, VN_TERUNIT_LOWER_RUNNING, VN_TERUNIT_UPPER_RUNNING);
  Unlock(s);
}

void Stop(const FRAME& f) { vnTERUNIT_SendMover(f.s, SGM_MOVER_STOP); }

void GoTo(const FRAME& f, const SPW_VECTOR& point) {
  vnTERUNIT_SendMover(f.s, SGM_MOVER_GOTO, SGE_PtrParam(&point));
}

// The states changed: the model shows them now.
void Animate(const FRAME& f) {
  if (f.s->model) vnTERUNIT_ApplyAnimation(f.task, f.s->model, f.s);
}

int32_t Pop(const FRAME& f) {
  vnORDER_Pop(f.unit);
  return 1;
}

bool Done(const FRAME& f) { return vnTERUNIT_OrderIsDone(f.order) != 0; }

VNUNIT* OrderUnit(const FRAME& f, int32_t word) {
  return vnUNITMAN_GetUnit(static_cast<uint32_t>(f.order->anWord[word]));
}

bool Living(const VNUNIT* unit) { return unit && !vnUNIT_IsDead(unit->dwId); }

// Step 1: the timers every frame keeps.
void KeepTimers(const FRAME& f) {
  VNTERUNIT* s = f.s;
  if (s->trackPrevStates) {
    s->prevLowerState = s->lowerState;
    s->prevUpperState = s->upperState;
  }
  if (s->lowerState != VN_TERUNIT_LOWER_IDLE || s->upperState != VN_TERUNIT_UPPER_IDLE)
    s->idleTime = 0.0f;
  if (vnTERUNIT_OrderKind(f.order) != VNTERUNIT_ORDER_NONE) s->idleTime = 0.0f;
  s->sinceShot += f.dt;
  if (s->stateFlags & VNTERUNIT_SF_ATTACKERS) vnTERUNIT_PruneAttackers(s);
  s->modeFlags &= ~(VNTERUNIT_MF_FIRED_AT_TARGET | VNTERUNIT_MF_FIRED_AT_POINT);
}

// Step 4: a rest after a charge runs down.
void RestDown(const FRAME& f) {
  VNTERUNIT* s = f.s;
  if (s->exhausted != 1) return;
  s->exertion -= f.dt;
  if (s->exertion < 0.0f) {
    s->exertion = 0.0f;
    s->wanderPoint = nullptr;
    s->exhausted = 0;
  }
}

// Step 5: a hit reaction holds the soldier; a hit in flight ends at the landing.
bool ReactsToHit(const FRAME& f) {
  VNTERUNIT* s = f.s;
  if (s->lowerState == VN_TERUNIT_LOWER_TAKINGDAMAGE ||
      s->lowerState == VN_TERUNIT_LOWER_TAKINGMAJORDAMAGE)
    return true;
  if (s->lowerState != VN_TERUNIT_LOWER_BOUNCEDAMAGE) return false;
  if (s->stateFlags & VNTERUNIT_SF_AIRBORNE) return true;
  if (vnUNIT_AttrFloat(f.unit, VN_ATTR_HEALTH) > 0.0f) {
    Idle(s);
    Unlock(s);
  } else {
    vnTERUNIT_SuitDestroyed(s, 0);
    Both(s, VN_TERUNIT_LOWER_DEAD, VN_TERUNIT_UPPER_DEAD);
  }
  return true;
}

// Fires at the nearest target in reach, without moving.
void FireAtWill(const FRAME& f) {
  float distance2 = 0.0f;
  int32_t inRange = 0;
  if (VNUNIT* target = vnTERUNIT_ChooseTarget(f.s, &distance2, &inRange))
    vnTERUNIT_AttackUnit(f.task, f.s, target, &f.s->aimCache, 1);
}

// Step 7: charging tires the soldier after 20 s; it then rests 16 s. False while it rests.
bool Exert(const FRAME& f) {
  VNTERUNIT* s = f.s;
  if ((s->engagementMode & VNTERUNIT_ENGAGE_MASK) == VNTERUNIT_ENGAGE_CHARGE) {
    if (s->exhausted) {
      Idle(s);
      Stop(f);
      FireAtWill(f);
      return false;
    }
    s->exertion += f.dt;
    if (s->exertion > VNTERUNIT_CHARGE_SECONDS) {
      s->exertion = VNTERUNIT_REST_SECONDS;
      s->exhausted = 1;
    }
    return true;
  }
  if (s->exhausted) return false;
  s->exertion = std::fmax(s->exertion - f.dt, 0.0f);
  return true;
}

int32_t RunToward(const FRAME& f, const SPW_VECTOR& point) {
  SPW_VECTOR reached;
  vnTERUNIT_MoveToOrNearest(f.unit, &point, &reached);
  vnTERUNIT_EngageTarget(f.s, f.order);
  return 0;
}

uint32_t Mode(const VNTERUNIT* s) { return s->engagementMode & VNTERUNIT_ENGAGE_MASK; }

void ResetIdle(VNTERUNIT* s) { s->idleTime = 0.0f, s->idlePeriods = 0; }

// Kind 0: engage what comes; a charging soldier without a target roams.
int32_t Automatic(const FRAME& f) {
  VNTERUNIT* s = f.s;
  float distance2 = 0.0f;
  int32_t inRange = 0;
  VNUNIT* target = vnTERUNIT_ChooseTarget(s, &distance2, &inRange);
  const uint32_t mode = Mode(s);
  if (target) {
    if (vnTERUNIT_HitReaction(s)) return 0;
    Idle(s);
    s->idleTime += f.dt;
    const int32_t result = vnTERUNIT_AttackUnit(f.task, s, target, &s->aimCache, inRange);
    if (mode <= VNTERUNIT_ENGAGE_NORMAL) {
      const SPW_VECTOR at = target->vPos;
      if (!vnTERUNIT_IsClose(s, target))
        s->lowerState = VN_TERUNIT_LOWER_IDLE;
      else if (inRange && vnTERUNIT_FaceAway(s, &at))
        ResetIdle(s);
    } else {
      if (mode == VNTERUNIT_ENGAGE_CHARGE) s->wanderPoint = nullptr;
      if (result == 1) {
        Stop(f);
        s->lowerState = VN_TERUNIT_LOWER_IDLE;
      }
    }
    return Pop(f);
  }
  s->idleTime += f.dt;
  if (mode != VNTERUNIT_ENGAGE_CHARGE) {
    Idle(s);
    return Pop(f);
  }
  if (s->wanderPoint && vnTERUNIT_Distance2D(*s->wanderPoint, ModelPosition(s)) > kRoamArrived) {
    Run(s);
  } else {
    for (int32_t i = 0; i < kRoamTries; ++i) {
      auto* point = reinterpret_cast<SPW_VECTOR*>(vnTERUNIT_SendMover(s, SGM_MOVER_RANDOM_POINT, 1));
      if (!point) continue;
      s->wanderPoint = point;
      GoTo(f, *point);
      break;
    }
  }
  return Pop(f);
}

// Kind 3: run to the point, stop within 2 m.
int32_t MoveTo(const FRAME& f) {
  VNTERUNIT* s = f.s;
  Unlock(s);
  s->idlePeriods = 0;
  if (Done(f)) return Pop(f);
  const SPW_VECTOR point = vnTERUNIT_OrderPoint(f.order);
  RunToward(f, point);
  const SPW_VECTOR here = ModelPosition(s);
  if (SPW_VecDistSq(&here, &point) > kMoveArrived * kMoveArrived) return 0;
  s->lowerState = VN_TERUNIT_LOWER_IDLE;
  if (s->upperState != VN_TERUNIT_UPPER_FIRING) s->upperState = VN_TERUNIT_UPPER_IDLE;
  vnORDER_Pop(f.unit);
  GoTo(f, s->unit->vPos);
  vnTERUNIT_RestoreAnimSpeed(s);
  return 1;
}

// Kind 5, with a target found on the way: it goes for the target.
int32_t PatrolFight(const FRAME& f, VNUNIT* target, int32_t inRange) {
  VNTERUNIT* s = f.s;
  if (!inRange) {
    GoTo(f, target->vPos);
    Unlock(s);
  }
  const int32_t result = vnTERUNIT_AttackUnit(f.task, s, target, &s->aimCache, inRange);
  const SPW_VECTOR at = target->vPos;
  switch (Mode(s)) {
    case VNTERUNIT_ENGAGE_FAST:
      Stop(f);
      s->lowerState = VN_TERUNIT_LOWER_IDLE;
      ResetIdle(s);
      break;
    case VNTERUNIT_ENGAGE_CHARGE:
      if (result == 1) {
        Stop(f);
        s->lowerState = VN_TERUNIT_LOWER_IDLE;
      }
      break;
    default:
      if (vnTERUNIT_IsClose(s, target) && inRange && vnTERUNIT_FaceAway(s, &at)) {
        ResetIdle(s);
      } else {
        Stop(f);
        s->lowerState = VN_TERUNIT_LOWER_IDLE;
      }
      break;
  }
  return 0;
}

// Kind 5: walk the route, leaving it for a target nearer than 20 m.
int32_t Patrol(const FRAME& f) {
  VNTERUNIT* s = f.s;
  if (Done(f)) return Pop(f);
  SPW_VECTOR waypoint;
  if (vnTERUNIT_CurrentWaypoint(s, &waypoint)) {
    const float radius = vnTERUNIT_OrderFloat(f.order, VNTERUNIT_ORDER_WORD_VALUE);
    if (vnTERUNIT_Distance2D(ModelPosition(s), waypoint) > radius) {
      Both(s, VN_TERUNIT_LOWER_RUNNING, VN_TERUNIT_UPPER_RUNNING);
      float distance2 = 0.0f;
      int32_t inRange = 0;
      VNUNIT* target = vnTERUNIT_ChooseTarget(s, &distance2, &inRange);
      if (!target || distance2 >= kPatrolReach * kPatrolReach ||
          target->nType == VN_UNIT_TYPE_PE_BUGHOLE) {
        GoTo(f, waypoint);
        RunToward(f, waypoint);
        Unlock(s);
        return 0;
      }
      return PatrolFight(f, target, inRange);
    }
    if (vnTERUNIT_NextWaypoint(s)) return 0;
  }
  vnTERUNIT_ClearRoute(s);
  vnTERUNIT_SetIdle(s);
  return Pop(f);
}

// Guard duty without a target: walk out to a point of the circle, pause, walk back, pause.
int32_t GuardCircle(const FRAME& f, VNUNIT* guarded) {
  VNTERUNIT* s = f.s;
  if (s->circleWait > 0.0f) {
    s->idleTime = 0.0f;
    s->circleWait += f.dt;
    if (s->circleWait <= kGuardPauseEnd) {
      Stop(f);
      Idle(s);
      Unlock(s);
      Animate(f);
      return 0;
    }
    s->circleWait = kNotWaiting;
  }
  s->circleTimer += f.dt;
  const SPW_VECTOR goal = s->circleSide == 1 ? s->circlePoint : guarded->vPos;
  const float radius = vnTERUNIT_OrderFloat(f.order, VNTERUNIT_ORDER_WORD_VALUE);
  const float walked = (s->unit->pMove ? s->unit->pMove->fMaxSpeed : 0.0f) * s->circleTimer;
  if (vnTERUNIT_Distance2D(ModelPosition(s), goal) > radius && walked <= kGuardCircle) {
    GoTo(f, goal);
    Run(s);
    Animate(f);
    return 0;
  }
  if (s->circleSide == 0) {
    const float degrees = static_cast<float>(PLAT_Rand() % 180 + PLAT_Rand() % 180);
    const float a = degrees * SPW_PI / 180.0f;
    s->circlePoint = {guarded->vPos.x + kGuardCircle * std::cos(a),
                      guarded->vPos.y + kGuardCircle * std::sin(a), guarded->vPos.z};
  }
  s->circleTimer = 0.0f;
  s->circleSide ^= 1;
  s->circleWait = kGuardPauseStart;
  return 0;
}

// Kind 6: stay near the guarded unit and fight what comes near it.
int32_t Guard(const FRAME& f) {
  VNTERUNIT* s = f.s;
  VNUNIT* guarded = OrderUnit(f, VNTERUNIT_ORDER_WORD_TARGET);
  if (Done(f) || !Living(guarded)) return Pop(f);
  if (!vnTERUNIT_IsNear(s, guarded)) {
    s->circleSide = 0;
    s->circleTimer = 0.0f;
    s->circleWait = kNotWaiting;
    GoTo(f, guarded->vPos);
    Run(s);
    FireAtWill(f);
    return 0;
  }
  float distance2 = 0.0f;
  int32_t inRange = 0;
  VNUNIT* target = vnTERUNIT_ChooseTarget(s, &distance2, &inRange);
  if (target && distance2 < kGuardReach * kGuardReach) {
    s->circleWait = kNotWaiting;
    const int32_t result = vnTERUNIT_AttackUnit(f.task, s, target, &s->aimCache, 1);
    if (result != 1 && !inRange) {
      GoTo(f, target->vPos);
      Run(s);
    }
    return 0;
  }
  return GuardCircle(f, guarded);
}

// Kind 10: halt.
int32_t Halt(const FRAME& f) {
  if (!Done(f)) {
    Idle(f.s);
    Stop(f);
  }
  return Pop(f);
}

// Kind 11: hold the place and fire at will.
int32_t HoldAndFire(const FRAME& f) {
  if (Done(f)) return Pop(f);
  Idle(f.s);
  Stop(f);
  FireAtWill(f);
  return 0;
}

// Kinds 14 and 15: go to the patient and treat it up to its base value, then the next.
int32_t Treat(const FRAME& f, bool heal) {
  VNTERUNIT* s = f.s;
  if (Done(f)) return Pop(f);
  if (!heal && f.order->anWord[VNTERUNIT_ORDER_WORD_STARTED]) return 0;
  VNUNIT* patient = OrderUnit(f, VNTERUNIT_ORDER_WORD_TARGET);
  if (Living(patient)) {
    const float radius = vnTERUNIT_OrderFloat(f.order, VNTERUNIT_ORDER_WORD_VALUE);
    if (vnTERUNIT_Distance2D(ModelPosition(s), patient->vPos) > radius) {
      GoTo(f, patient->vPos);
      Run(s);
      s->treating = 0;
      return 0;
    }
    const auto* base = static_cast<const int32_t*>(
        SGE_ParamPtr<void>(vnTERUNIT_SendUnit(patient, SGM_TERUNIT_GET_BASE_ATTRIBUTES)));
    const int32_t index = heal ? VNTERUNIT_BASE_HEALTH : VNTERUNIT_BASE_ARMOUR;
    const float maximum = base ? std::bit_cast<float>(base[index]) : 0.0f;
    const int32_t value = heal ? VN_ATTR_HEALTH : VN_ATTR_ARMOUR;
    if (vnUNIT_AttrFloat(patient, value) < maximum) {
      SPW_VECTOR d{patient->vPos.x - s->unit->vPos.x, patient->vPos.y - s->unit->vPos.y, 0.0f};
      vnTERUNIT_SendMover(s, SGM_MOVER_SET_FACING, SGE_PtrParam(&d));
      if (heal)
        vnTERUNIT_HealStep(s, patient, maximum);
      else
        vnTERUNIT_RepairStep(s, patient, maximum);
      const int32_t state = heal ? VN_TERUNIT_LOWER_HEAL : VN_TERUNIT_LOWER_REPAIR;
      Both(s, state, state);
      Unlock(s);
      return 0;
    }
  }
  // The next patient, if any.
  vnTERUNIT_RemovePatient(s, f.order->anWord[VNTERUNIT_ORDER_WORD_TARGET]);
  s->treating = 0;
  const int32_t next = vnTERUNIT_FirstPatient(s);
  if (!next) return Pop(f);
  f.order->anWord[VNTERUNIT_ORDER_WORD_TARGET] = next;
  return 0;
}

// Kind 17: possessed until the possession runs out or its possessor is gone.
int32_t Possessed(const FRAME& f) {
  VNTERUNIT* s = f.s;
  if (Done(f)) return Pop(f);
  if (!Living(OrderUnit(f, VNTERUNIT_ORDER_WORD_SECOND))) s->phaseTimer = -1.0f;
  if (s->subState == 1) {
    s->phaseTimer -= f.dt;
    if (s->phaseTimer < 0.0f) {
      s->subState = 2;
      Unlock(s);
    }
  } else if (s->subState == 3) {
    return Pop(f);
  }
  return 0;
}

// Kind 18: the sniper holds the aim while the sniper view is up.
int32_t SniperAim(const FRAME& f) {
  VNTERUNIT* s = f.s;
  if (Done(f) || !(s->stateFlags & VNTERUNIT_SF_SNIPER_VIEW)) return Pop(f);
  s->lowerState = VN_TERUNIT_LOWER_IDLE;
  s->upperState = VN_TERUNIT_UPPER_FIRING;
  s->idleTime = 0.0f;
  return 0;
}

// Kind 20: wait; a timed wait counts its seconds down.
int32_t Wait(const FRAME& f) {
  Idle(f.s);
  if (!f.order->anWord[VNTERUNIT_ORDER_WORD_STARTED]) return 0;
  const float left = vnTERUNIT_OrderFloat(f.order, VNTERUNIT_ORDER_WORD_VALUE) - f.dt;
  vnTERUNIT_SetOrderFloat(f.order, VNTERUNIT_ORDER_WORD_VALUE, left);
  return left <= 0.0f ? Pop(f) : 0;
}

// Kind 21: stand until marked done.
int32_t Stand(const FRAME& f) {
  if (Done(f)) return Pop(f);
  Idle(f.s);
  return 0;
}

int32_t RunOrder(const FRAME& f) {
  switch (vnTERUNIT_OrderKind(f.order)) {
    case VNTERUNIT_ORDER_NONE: return Automatic(f);
    case VNTERUNIT_ORDER_ATTACK_UNIT: return vnTERUNIT_RunAttackUnit(f.task, f.s, f.order);
    case VNTERUNIT_ORDER_ATTACK_POINT: return vnTERUNIT_RunAttackPoint(f.task, f.s, f.order);
    case VNTERUNIT_ORDER_MOVE: return MoveTo(f);
    case VNTERUNIT_ORDER_PATROL: return Patrol(f);
    case VNTERUNIT_ORDER_GUARD: return Guard(f);
    case VNTERUNIT_ORDER_DROP_7:
    case VNTERUNIT_ORDER_DROP_8: return Pop(f);
    case VNTERUNIT_ORDER_TECH_ITEM: return vnTERUNIT_RunTechItem(f.task, f.s, f.order);
    case VNTERUNIT_ORDER_HALT: return Halt(f);
    case VNTERUNIT_ORDER_HOLD_FIRE_AT_WILL: return HoldAndFire(f);
    case VNTERUNIT_ORDER_JUMP: return vnTERUNIT_RunJump(f.task, f.s, f.order);
    case VNTERUNIT_ORDER_FIRE_POINT: return vnTERUNIT_RunFirePoint(f.task, f.s, f.order);
    case VNTERUNIT_ORDER_HEAL: return Treat(f, true);
    case VNTERUNIT_ORDER_REPAIR: return Treat(f, false);
    case VNTERUNIT_ORDER_POSSESSED: return Possessed(f);
    case VNTERUNIT_ORDER_SNIPER_AIM: return SniperAim(f);
    case VNTERUNIT_ORDER_TURRET: return vnTERUNIT_RunTurret(f.task, f.s, f.order);
    case VNTERUNIT_ORDER_WAIT: return Wait(f);
    case VNTERUNIT_ORDER_STAND: return Stand(f);
    default: return 0;
  }
}

}  // namespace

int32_t vnTERUNIT_Update(SGE_PARAM, SGE_PARAM, SGE_TASK* task, VNTERUNIT* s) {
  const FRAME f{s, task, s->unit, vnORDER_Current(s->unit), SGE_GetFrameTime()};
  if (!f.order) return 0;
  KeepTimers(f);
  if (vnTERUNIT_IsDying(s)) return 0;
  vnTERUNIT_TellNearbyUnits(f.unit);
  if (s->retargetTimer > 0.0f) s->retargetTimer -= f.dt;
  RestDown(f);
  if (ReactsToHit(f)) return 0;
  if (s->stateFlags & VNTERUNIT_SF_BREATH_PUFFS) vnFX_BreathPuff(s);
  if (!Exert(f)) return 0;
  return RunOrder(f);
}

void vnTERUNIT_DeadBodyStep(SGE_TASK* task, SPW_DOBJECT* model, VNTERUNIT* s) {
  if (vnTERUNIT_GetSuitTier(s->unit->nType) != VNTERUNIT_TIER_OTHER) return;
  s->idleTime += SGE_GetFrameTime();
  if (s->idleTime <= kDeadBodyPeriod) return;
  s->idleTime -= kDeadBodyPeriod;
  Unlock(s);
  if (model) vnTERUNIT_ApplyAnimation(task, model, s);
}
