// The soldier's fighting: choosing a target, the weapon's range, aiming the body, firing at a
// unit or a point, and the attack orders built on them.
#include <cmath>

#include "effects/weapon.h"
#include "engine/dobject/dobject.h"
#include "engine/kernel/frametime.h"
#include "terran/behave.h"
#include "terran/handler.h"
#include "terran/movement.h"
#include "terran/orders.h"
#include "terran/update.h"
#include "terran/weapons.h"
#include "world/mover/mover.h"
#include "world/unittype/attributes.h"
#include "world/unittype/unittype.h"

namespace {

// A soldier keeps its target this long before it looks for a nearer one.
constexpr float kRetargetSeconds = 0.4f;
// The weapon's range less this margin is where a soldier stops to fire.
constexpr float kRangeMargin = 2.0f;
// The body turns at most this fast toward a target outside the aiming cone, radians a second.
constexpr float kTurnRate = 5.0f;
// Fast soldiers engage inside 12 m.
constexpr float kFastReach = 12.0f;
// An attack point is aimed at this high above the ground.
constexpr float kPointLift = 1.0f;

SPW_VECTOR ModelPosition(const VNTERUNIT* s) { return s->model ? s->model->t.vPos : s->unit->vPos; }

uint32_t Mode(const VNTERUNIT* s) { return s->engagementMode & VNTERUNIT_ENGAGE_MASK; }

bool Between(int32_t type, int32_t first, int32_t last) { return type >= first && type <= last; }


// Units nobody shoots at on sight.
bool NeverATarget(int32_t type) {
  return type == VN_UNIT_TYPE_PE_AMMO_DUMP || type == VN_UNIT_TYPE_PE_SNOW_MOUND ||
         type == VN_UNIT_TYPE_PE_POWERGATE;
}

bool IsEnemy(const VNTERUNIT* s, const VNUNIT* other) {
  const VNPLAYER* player =
      SGE_Ask<VNPLAYER>(vnUNITMAN_GetTask(), SGM_UNITMAN_PLAYER_BY_ID, s->unit->dwPlayer, 0);
  return player && (player->dwEnemyMask & other->dwPlayer);
}

float Visibility(const VNUNIT* unit) {
  const float* v = unit->pController ? SGE_Ask<float>(unit->pController, SGM_UNIT_GET_SCALE, 0, 0)
                                     : nullptr;
  return v ? *v : 1.0f;
}

float WeaponRange(const VNUNIT* weapon) { return vnUNIT_AttrFloat(weapon, VN_ATTR_RANGE); }

// The point a soldier aims at on the unit.
SPW_VECTOR AimPoint(VNUNIT* target) {
  int32_t node = -1;
  SPW_VECTOR at = target->vPos, dir{};
  vnWEAPON_GetLocator(target, &node, &at, &dir);
  return at;
}

bool Passes(const VNTERUNIT* s, const VNUNIT* c) {
  if (!IsEnemy(s, c) || NeverATarget(c->nType) || vnUNIT_IsDeadUnit(c)) return false;
  if (!(s->engagementMode & 0x2) &&
      (c->nType == VN_UNIT_TYPE_BUG_CHARIOT || c->nType == VN_UNIT_TYPE_BUG_WORKER))
    return false;
  if (vnUNITTYPE_IsSceneryProp(c->nType)) return false;
  const VNUNIT* weapon = vnTERUNIT_CurrentItem(s->unit);
  if (weapon && !vnTERUNIT_IsValidTarget(weapon->nType, 0, c)) return false;
  const float reach = vnUNIT_AttrFloat(s->unit, VN_ATTR_RANGE) * Visibility(c);
  return SPW_VecDistSq(&s->unit->vPos, &c->vPos) < reach * reach;
}

// The heavy weapon put away after a hit comes back when the target changes or goes.
void TakeBackReadyItem(VNTERUNIT* s) {
  if (!(s->modeFlags & VNTERUNIT_MF_WEAPON_STOWED)) return;
  vnTERUNIT_SelectItem(s, s->readyItemId, 0);
  s->modeFlags &= ~VNTERUNIT_MF_WEAPON_STOWED;
}

// Turns the facing toward the point by at most the frame's turn; whether it now faces it within
// the aiming cone.
bool TurnToward(VNTERUNIT* s, const SPW_VECTOR& point, bool turn) {
  const SPW_VECTOR from = ModelPosition(s);
  const float dx = point.x - from.x, dy = point.y - from.y;
  const float length = std::hypot(dx, dy);
  if (!(length > 0.0f)) return true;
  VNMOVER_RECORD* move = s->unit->pMove;
  if (!move) return true;
  const float facing = std::atan2(move->vHeading.y, move->vHeading.x);
  float delta = std::atan2(dy, dx) - facing;
  while (delta > SPW_PI) delta -= 2.0f * SPW_PI;
  while (delta < -SPW_PI) delta += 2.0f * SPW_PI;
  if (std::fabs(delta) <= s->aimYawLimit) return true;
  if (!turn || length <= 1.0f) return false;
  const float step = kTurnRate * SGE_GetFrameTime();
  const float a = facing + (delta > 0.0f ? std::fmin(delta, step) : std::fmax(delta, -step));
  SPW_VECTOR heading{std::cos(a), std::sin(a), 0.0f};
  vnTERUNIT_SendMover(s, SGM_MOVER_SET_FACING, SGE_PtrParam(&heading));
  if (s->lowerState != VN_TERUNIT_LOWER_RUNNING) vnTERUNIT_SendMover(s, SGM_MOVER_STEP);
  return false;
}

void FiringPose(VNTERUNIT* s, SGE_TASK* task) {
  s->upperState = VN_TERUNIT_UPPER_FIRING;
  s->upperLocked = 0;
  s->sinceShot = 0.0f;
  s->idleTime = 0.0f;
  s->idlePeriods = 0;
  if (s->model) vnTERUNIT_ApplyAnimation(task, s->model, s);
}

// After a shot the weapon may be empty: the next one with rounds comes up.
void SwitchWhenEmpty(VNTERUNIT* s) {
  if (vnTERUNIT_CurrentItem(s->unit) && !vnWEAPON_CurrentHasAmmo(s->unit))
    vnTERUNIT_NextUsableWeapon(s);
}

}  // namespace

int32_t vnTERUNIT_IsValidTarget(int32_t weaponType, int32_t, const VNUNIT* target) {
  if (!target || vnTERUNIT_SendUnit(target, SGM_TERUNIT_GET_ATTACK_TARGET)) return 0;
  const int32_t t = target->nType;
  if (vnTERUNIT_IsGrenadeOrMissile(weaponType) || weaponType == VN_UNIT_TYPE_WEAPON_MICROROCKETS)
    return t != VN_UNIT_TYPE_PE_SNOW_MOUND;
  if (vnTERUNIT_IsCaptureWeapon(weaponType))
    return t == VN_UNIT_TYPE_BUG_CORTEX || Between(t, VN_UNIT_TYPE_BUG_CHAMELEON, VN_UNIT_TYPE_BUG_LARVAL) ||
           Between(t, VN_UNIT_TYPE_BUG_ROYALWARRIOR, VN_UNIT_TYPE_BUG_SPITBUG) ||
           Between(t, VN_UNIT_TYPE_BUG_WARRIOR, VN_UNIT_TYPE_BUG_PSYCHO_WORKER);
  if (weaponType == VN_UNIT_TYPE_WEAPON_ENGSHOCK)
    return !vnUNITTYPE_IsSceneryProp(t) && t != VN_UNIT_TYPE_PE_SNOW_MOUND &&
           t != VN_UNIT_TYPE_PE_EGG_CLUSTER && t != VN_UNIT_TYPE_PE_BUGHOLE &&
           t != VN_UNIT_TYPE_PE_DROPCAPSULE && t != VN_UNIT_TYPE_PE_POWERGATE &&
           t != VN_UNIT_TYPE_PE_GATE && t != VN_UNIT_TYPE_PE_SOLARCOLLECTOR &&
           t != VN_UNIT_TYPE_PE_FORTWALL;
  return 1;
}

VNUNIT* vnTERUNIT_ChooseTarget(VNTERUNIT* s, float* outDistance2, int32_t* outInRange) {
  VNUNIT* unit = s->unit;
  const bool stick = Mode(s) == VNTERUNIT_ENGAGE_CHARGE || s->retargetTimer > 0.0f;
  VNUNIT* best = nullptr;
  float bestD2 = 0.0f;
  bool currentPasses = false;
  for (int32_t i = 0; i < unit->nSighted; ++i) {
    VNUNIT* c = unit->ppSighted[i];
    if (!c || !Passes(s, c)) continue;
    const float d2 = SPW_VecDistSq(&unit->vPos, &c->vPos);
    if (static_cast<int32_t>(c->dwId) == s->targetId) currentPasses = true;
    if (!best || d2 < bestD2) best = c, bestD2 = d2;
  }
  if (!currentPasses) s->wasHit = 0;
  if (stick && currentPasses) {
    best = vnUNITMAN_GetUnit(static_cast<uint32_t>(s->targetId));
    bestD2 = SPW_VecDistSq(&unit->vPos, &best->vPos);
  }
  *outInRange = 0;
  *outDistance2 = bestD2;
  if (!best) {
    s->stateFlags &= ~VNTERUNIT_SF_IN_RANGE;
    s->targetId = 0;
    s->retargetTimer = -1.0f;
    TakeBackReadyItem(s);
    return nullptr;
  }
  if (static_cast<int32_t>(best->dwId) != s->targetId) {
    s->aimCache.point = AimPoint(best);
    TakeBackReadyItem(s);
  }
  s->targetId = static_cast<int32_t>(best->dwId);
  if (!stick) s->retargetTimer = kRetargetSeconds;
  *outInRange = vnTERUNIT_InWeaponRange(s, nullptr, best, 1, &s->aimCache, 0);
  return best;
}

int32_t vnTERUNIT_InWeaponRange(VNTERUNIT* s, const SPW_VECTOR* point, VNUNIT* target,
                                int32_t margin, VNTERUNIT_AIMCACHE*, int32_t flat) {
  const VNUNIT* weapon = vnTERUNIT_CurrentItem(s->unit);
  if (!weapon) {
    s->stateFlags &= ~VNTERUNIT_SF_IN_RANGE;
    return 0;
  }
  SPW_VECTOR at = target ? AimPoint(target) : (point ? *point : s->unit->vPos);
  SPW_VECTOR from = s->unit->vPos;
  if (flat) at.z = from.z;
  const float d2 = SPW_VecDistSq(&from, &at);
  const float r = WeaponRange(weapon);
  const bool in = margin ? d2 < (r - kRangeMargin) * (r - kRangeMargin) : d2 < r * r - 1.0f;
  if (in)
    s->stateFlags |= VNTERUNIT_SF_IN_RANGE;
  else
    s->stateFlags &= ~VNTERUNIT_SF_IN_RANGE;
  return in ? 1 : 0;
}

int32_t vnTERUNIT_AimTest(VNTERUNIT* s, const SPW_VECTOR* point) {
  return TurnToward(s, *point, false) ? 1 : 0;
}

int32_t vnTERUNIT_AimAt(VNTERUNIT* s, const SPW_VECTOR* point) {
  return TurnToward(s, *point, true) ? 1 : 0;
}

int32_t vnTERUNIT_AttackUnit(SGE_TASK* task, VNTERUNIT* s, VNUNIT* target,
                             VNTERUNIT_AIMCACHE* aim, int32_t fire) {
  vnTERUNIT_SelectEngineerTool(s);
  VNUNIT* weapon = vnTERUNIT_CurrentItem(s->unit);
  if (!weapon || !target) return 0;
  const VNORDER* order = vnORDER_Current(s->unit);
  if (vnTERUNIT_HoldsHeavyWeapon(s->unit) &&
      vnTERUNIT_OrderKind(order) != VNTERUNIT_ORDER_ATTACK_UNIT) {
    if (Mode(s) == VNTERUNIT_ENGAGE_CHARGE) vnTERUNIT_SelectFallbackWeapon(s);
    return 1;
  }
  if (!vnTERUNIT_IsValidTarget(weapon->nType, 0, target)) return 0;
  const SPW_VECTOR at = AimPoint(target);
  bool aimed = vnTERUNIT_AimTest(s, &at) != 0;
  if (!aimed && s->lowerState != VN_TERUNIT_LOWER_RUNNING) aimed = vnTERUNIT_AimAt(s, &at) != 0;
  if (fire) FiringPose(s, task);
  const auto answer = static_cast<int32_t>(
      vnTERUNIT_SendUnit(weapon, SGM_WEAPON_FIRE, SGE_PtrParam(target), aim ? aim->nodes[0] : -1));
  if ((answer & VNWEAPON_NO_AMMO) || !vnWEAPON_CurrentHasAmmo(s->unit))
    return vnTERUNIT_NextUsableWeapon(s) ? 0 : 2;
  if (answer & VNWEAPON_OUT_OF_RANGE) {
    if (Mode(s) == VNTERUNIT_ENGAGE_CHARGE && !s->exhausted &&
        !(s->stateFlags & VNTERUNIT_SF_HELD) &&
        vnTERUNIT_OrderKind(order) != VNTERUNIT_ORDER_HOLD_FIRE_AT_WILL) {
      vnTERUNIT_SendMover(s, SGM_MOVER_GOTO, SGE_PtrParam(&at));
      s->lowerState = VN_TERUNIT_LOWER_RUNNING;
      s->upperState = VN_TERUNIT_UPPER_RUNNING;
      s->upperLocked = s->lowerLocked = 0;
    }
    return 0;
  }
  if (answer & VNWEAPON_BLOCKED) return 3;
  if (answer & VNWEAPON_TOO_CLOSE) {
    if (vnTERUNIT_OrderKind(order) != VNTERUNIT_ORDER_HOLD_FIRE_AT_WILL) vnTERUNIT_FaceAway(s, &at);
    return 4;
  }
  if ((answer & VNWEAPON_FIRED) && aimed) {
    FiringPose(s, task);
    s->modeFlags |= VNTERUNIT_MF_FIRED_AT_TARGET;
    SwitchWhenEmpty(s);
    vnTERUNIT_RaiseAlert(s);
    return 1;
  }
  return 0;
}

int32_t vnTERUNIT_FirePoint(SGE_TASK* task, VNTERUNIT* s, const SPW_VECTOR* point, int32_t fire,
                            int32_t alternate) {
  VNUNIT* weapon = vnTERUNIT_CurrentItem(s->unit);
  if (!weapon) return 0;
  bool aimed = vnTERUNIT_AimTest(s, point) != 0;
  if (!aimed && s->lowerState != VN_TERUNIT_LOWER_RUNNING) aimed = vnTERUNIT_AimAt(s, point) != 0;
  const SPW_VECTOR from = ModelPosition(s);
  SPW_VECTOR dir{point->x - from.x, point->y - from.y, point->z - from.z};
  const float length = std::sqrt(dir.x * dir.x + dir.y * dir.y + dir.z * dir.z);
  if (length > 0.0f) dir = {dir.x / length, dir.y / length, dir.z / length};
  if (fire) FiringPose(s, task);
  const int32_t msg = alternate ? SGM_WEAPON_FIRE_ALTERNATE : SGM_WEAPON_FIRE_AT_POINT;
  const auto answer = static_cast<int32_t>(
      vnTERUNIT_SendUnit(weapon, msg, SGE_PtrParam(point), SGE_PtrParam(&dir)));
  if (answer & VNWEAPON_NO_AMMO) return vnTERUNIT_NextUsableWeapon(s) ? 0 : 1;
  if (answer & VNWEAPON_OUT_OF_RANGE) return 5;
  if (answer & VNWEAPON_BLOCKED) return 3;
  if (answer & VNWEAPON_TOO_CLOSE) {
    if (vnTERUNIT_OrderKind(vnORDER_Current(s->unit)) != VNTERUNIT_ORDER_HOLD_FIRE_AT_WILL)
      vnTERUNIT_FaceAway(s, point);
    return 4;
  }
  if ((answer & VNWEAPON_FIRED) && aimed) {
    FiringPose(s, task);
    s->modeFlags |= VNTERUNIT_MF_FIRED_AT_POINT;
    SwitchWhenEmpty(s);
    return 1;
  }
  SPW_VECTOR face{dir.x, dir.y, 0.0f};
  vnTERUNIT_SendMover(s, SGM_MOVER_SET_FACING, SGE_PtrParam(&face));
  return 0;
}

void vnTERUNIT_MoveToOrNearest(VNUNIT* unit, const SPW_VECTOR* point, SPW_VECTOR* out) {
  *out = *point;
  if (!unit->pMover) return;
  if (SGE_Send(unit->pMover, SGM_MOVER_GOTO, SGE_PtrParam(point), 0)) return;
  VNMOVER_PLANNER* planner = vnMOVER_GetPathPlanner();
  if (!planner) return;
  SPW_VECTOR vel{}, outVel{};
  int32_t blocked = 0;
  vnMOVER_SweepDisc(planner->pNetwork, nullptr, unit->fRadius, 0, &unit->vPos, point, &vel, out,
                    &outVel, &blocked, VNMOVER_SWEEP_WALLS_AND_GATES);
  SGE_Send(unit->pMover, SGM_MOVER_GOTO, SGE_PtrParam(out), 0);
}

void vnTERUNIT_EngageTarget(VNTERUNIT* s, const VNORDER* order) {
  if (vnTERUNIT_HitReaction(s)) return;
  s->lowerState = VN_TERUNIT_LOWER_RUNNING;
  s->upperState = VN_TERUNIT_UPPER_RUNNING;
  if (vnTERUNIT_HoldsHeavyWeapon(s->unit)) return;
  float d2 = 0.0f;
  int32_t found = 0;
  VNUNIT* target = vnTERUNIT_ChooseTarget(s, &d2, &found);
  if (!target) return;
  SGE_TASK* task = s->unit->pController;
  switch (Mode(s)) {
    case VNTERUNIT_ENGAGE_STEALTH:
    case VNTERUNIT_ENGAGE_NORMAL: {
      if (Mode(s) == VNTERUNIT_ENGAGE_STEALTH &&
          !vnTERUNIT_IsWithinEngageRange(s->unit->vPos, target->vPos))
        return;
      vnTERUNIT_AttackUnit(task, s, target, &s->aimCache, found);
      if (s->wasHit && found) {
        s->lowerState = VN_TERUNIT_LOWER_IDLE;
        vnTERUNIT_SendMover(s, SGM_MOVER_GOTO, SGE_PtrParam(&s->unit->vPos));
        const SPW_VECTOR at = target->vPos;
        if (vnTERUNIT_IsClose(s, target) &&
            vnTERUNIT_OrderKind(order) != VNTERUNIT_ORDER_HOLD_FIRE_AT_WILL)
          vnTERUNIT_FaceAway(s, &at);
      }
      return;
    }
    case VNTERUNIT_ENGAGE_FAST: {
      if (d2 >= kFastReach * kFastReach) return;
      const int32_t result = vnTERUNIT_AttackUnit(task, s, target, &s->aimCache, found);
      if (result == 1 || (found && result != 3 && result != 4)) {
        s->lowerState = VN_TERUNIT_LOWER_IDLE;
        vnTERUNIT_SendMover(s, SGM_MOVER_STOP);
      }
      return;
    }
    default: {
      s->targetId = static_cast<int32_t>(target->dwId);
      const int32_t result = vnTERUNIT_AttackUnit(task, s, target, &s->aimCache, found);
      if (result == 1 || found == 1) vnTERUNIT_SendMover(s, SGM_MOVER_GOTO, SGE_PtrParam(&target->vPos));
      return;
    }
  }
}

void vnTERUNIT_TellNearbyUnits(VNUNIT* unit) {
  for (int32_t i = 0; i < unit->nSighted; ++i) {
    VNUNIT* other = unit->ppSighted[i];
    if (other && (other->dwFlags & VNUNIT_F_OUT_OF_PLAY))
      vnTERUNIT_SendUnit(other, SGM_UNIT_ATTACKED_BY, static_cast<SGE_PARAM>(unit->dwId));
  }
}

namespace {

// The order ends when a weapon other than the one it was given for is held.
bool WeaponChanged(VNTERUNIT* s) {
  const bool heavy = vnTERUNIT_HoldsHeavyWeapon(s->unit) != 0;
  if (s->modeFlags & VNTERUNIT_MF_HEAVY_ATTACK) return !heavy;
  return heavy && !vnTERUNIT_HoldsCaptureWeapon(s->unit);
}

int32_t StopAndEnd(VNTERUNIT* s) {
  vnTERUNIT_SendMover(s, SGM_MOVER_STOP);
  vnORDER_Pop(s->unit);
  vnTERUNIT_RestoreAnimSpeed(s);
  return 1;
}

int32_t RunTo(VNTERUNIT* s, const VNORDER* order, const SPW_VECTOR& point) {
  SPW_VECTOR reached;
  vnTERUNIT_MoveToOrNearest(s->unit, &point, &reached);
  vnTERUNIT_EngageTarget(s, order);
  return 0;
}

}  // namespace

int32_t vnTERUNIT_RunAttackUnit(SGE_TASK* task, VNTERUNIT* s, VNORDER* order) {
  s->upperLocked = s->lowerLocked = 0;
  s->idlePeriods = 0;
  if (vnTERUNIT_OrderIsDone(order)) {
    s->lowerState = VN_TERUNIT_LOWER_IDLE;
    s->upperState = VN_TERUNIT_UPPER_IDLE;
    vnORDER_Pop(s->unit);
    return 1;
  }
  VNUNIT* target = vnUNITMAN_GetUnit(static_cast<uint32_t>(order->anWord[VNTERUNIT_ORDER_WORD_TARGET]));
  if (!target || vnUNIT_IsDead(target->dwId)) return StopAndEnd(s);
  if (vnTERUNIT_SendUnit(target, SGM_TERUNIT_GET_ATTACK_TARGET)) return StopAndEnd(s);
  if (s->stateFlags & VNTERUNIT_SF_MICRO_ROCKETS) {
    if (!vnTERUNIT_InRocketReach(s, target->vPos)) return RunTo(s, order, target->vPos);
    return vnTERUNIT_LaunchRockets(task, s, target, nullptr) ? StopAndEnd(s) : 0;
  }
  TakeBackReadyItem(s);
  const int32_t inRange = vnTERUNIT_InWeaponRange(s, nullptr, target, 1, &s->aimCache, 0);
  if (WeaponChanged(s)) return StopAndEnd(s);
  if (!inRange) return RunTo(s, order, target->vPos);
  const int32_t result = vnTERUNIT_AttackUnit(task, s, target, &s->aimCache, 1);
  if (Mode(s) >= VNTERUNIT_ENGAGE_FAST) {
    if (result == 1) {
      s->lowerState = VN_TERUNIT_LOWER_IDLE;
      s->upperState = VN_TERUNIT_UPPER_IDLE;
      vnTERUNIT_SendMover(s, SGM_MOVER_STOP);
      s->stateFlags |= VNTERUNIT_SF_GOAL_BY_FIRE;
    } else if (result == 3 || result == 5) {
      return RunTo(s, order, target->vPos);
    }
    return 0;
  }
  if (result == 1) {
    s->stateFlags |= VNTERUNIT_SF_GOAL_BY_FIRE;
    if (s->modeFlags & VNTERUNIT_MF_HEAVY_ATTACK) return StopAndEnd(s);
  }
  if (result == 4) return 0;
  if (result == 3 || result == 5) return RunTo(s, order, target->vPos);
  const SPW_VECTOR at = target->vPos;
  if (vnTERUNIT_IsClose(s, target) && vnTERUNIT_FaceAway(s, &at)) {
    s->idleTime = 0.0f;
    s->idlePeriods = 0;
  } else {
    s->lowerState = VN_TERUNIT_LOWER_IDLE;
    s->upperState = VN_TERUNIT_UPPER_IDLE;
    vnTERUNIT_SendMover(s, SGM_MOVER_STOP);
  }
  return 0;
}

int32_t vnTERUNIT_RunAttackPoint(SGE_TASK* task, VNTERUNIT* s, VNORDER* order) {
  s->upperLocked = s->lowerLocked = 0;
  if (vnTERUNIT_OrderIsDone(order) || (s->stateFlags & VNTERUNIT_SF_GOAL_BY_FIRE)) {
    vnORDER_Pop(s->unit);
    return 1;
  }
  if (s->stateFlags & VNTERUNIT_SF_MICRO_ROCKETS) {
    const SPW_VECTOR point = vnTERUNIT_OrderPoint(order);
    if (!vnTERUNIT_InRocketReach(s, point)) return RunTo(s, order, point);
    return vnTERUNIT_LaunchRockets(task, s, nullptr, &point) ? StopAndEnd(s) : 0;
  }
  TakeBackReadyItem(s);
  SPW_VECTOR point = vnTERUNIT_OrderPoint(order);
  point.z += kPointLift;
  if (vnTERUNIT_InWeaponRange(s, &point, nullptr, 0, &s->aimCache, 0)) {
    const int32_t result =
        vnTERUNIT_FirePoint(task, s, &point, 1, (s->modeFlags & VNTERUNIT_MF_ALT_FIRE) ? 1 : 0);
    if (result == 1) {
      s->lowerState = VN_TERUNIT_LOWER_IDLE;
      s->upperState = VN_TERUNIT_UPPER_IDLE;
      vnTERUNIT_SendMover(s, SGM_MOVER_STOP);
      s->stateFlags |= VNTERUNIT_SF_GOAL_BY_FIRE;
      return 0;
    }
    if (result != 3 && result != 5) return 0;
  } else if (s->modeFlags & VNTERUNIT_MF_ALT_FIRE) {
    s->stateFlags |= VNTERUNIT_SF_GOAL_BY_FIRE;
  }
  return RunTo(s, order, point);
}

int32_t vnTERUNIT_RunFirePoint(SGE_TASK* task, VNTERUNIT* s, VNORDER* order) {
  if (vnTERUNIT_OrderIsDone(order)) {
    vnORDER_Pop(s->unit);
    return 1;
  }
  const SPW_VECTOR point = vnTERUNIT_OrderPoint(order);
  if (vnTERUNIT_InWeaponRange(s, &point, nullptr, 0, &s->aimCache, 1)) {
    s->lowerState = VN_TERUNIT_LOWER_IDLE;
    s->upperState = VN_TERUNIT_UPPER_IDLE;
    vnTERUNIT_SendMover(s, SGM_MOVER_STOP);
    const int32_t result = vnTERUNIT_FirePoint(task, s, &point, 1, 0);
    if (result == 1) {
      vnORDER_Pop(s->unit);
      return 1;
    }
    if (result != 3) return 0;
  }
  vnTERUNIT_SendMover(s, SGM_MOVER_GOTO, SGE_PtrParam(&point));
  s->lowerState = VN_TERUNIT_LOWER_RUNNING;
  s->upperState = VN_TERUNIT_UPPER_RUNNING;
  s->upperLocked = s->lowerLocked = 0;
  return 0;
}
