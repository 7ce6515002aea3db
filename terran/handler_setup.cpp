// A soldier's set-up at creation: the record's first values, the mover's settings and the
// jump-jet gauge of its type.
#include "terran/behave.h"
#include "terran/handler.h"
#include "terran/movement.h"
#include "world/mover/mover.h"

namespace {

// The unit ignores weapons and projectiles that touch it.
constexpr uint32_t kSoldierExcludeMask = VNUNIT_F_WEAPON | VNUNIT_F_PROJECTILE;
// The mover's settings for soldiers.
constexpr SGE_PARAM kMoverCount = 1;
constexpr SGE_PARAM kMoverLookahead = 5;
constexpr float kNoDome = -1.0f;

void ClearRecord(VNTERUNIT* s) {
  s->stateFlags = s->modeFlags = s->voiceEvents = 0;
  s->engagedId = s->targetId = s->treating = s->upperLocked = s->lowerLocked = 0;
  s->airMoveRequest = s->moveRequest = nullptr;
  s->wanderPoint = nullptr;
  s->idleTime = s->stopTimer = s->settleTimer = s->stepTimer = s->exertion = 0.0f;
  s->idlePeriods = s->stepSide = s->exhausted = 0;
  s->waypointCount = s->waypointIndex = 0;
  s->waypointsBackwards = s->circleSide = s->bounceStarted = 0;
  s->circleTimer = s->bounceTime = s->phaseTimer = 0.0f;
  s->circleWait = s->bounceHalfTime = -1.0f;
  s->subState = 1;
}

void FirstValues(VNTERUNIT* s) {
  s->prevLowerState = s->lowerState = VN_TERUNIT_LOWER_IDLE;
  s->prevUpperState = s->upperState = VN_TERUNIT_UPPER_IDLE;
  s->doubleWeaponId = s->readyItemId = s->turretId = -1;
  s->aimCache.nodes[0] = s->aimCache.nodes[1] = -1;
  s->voice = s->lineChannel = s->flightSound = -1;
  s->savedAnimSpeed = s->retargetTimer = -1.0f;
  s->sinceShot = 1.0f;
  s->engagementMode = VNTERUNIT_ENGAGE_NORMAL;
  s->trackPrevStates = 1;
  s->aimPitchLimit = s->aimYawLimit = VNTERUNIT_AIM_LIMIT;
  s->visibility = s->fadeLevel = s->fadeTarget = 1.0f;
  s->attackers = s->attackerCount = 0;
}

}  // namespace

int32_t vnTERUNIT_InitInstance(VNTERUNIT* s, VNUNIT* unit, SPW_DOBJECT* model) {
  s->unit = unit;
  s->model = model;
  ClearRecord(s);
  FirstValues(s);
  s->woundedAnims = nullptr;
  s->animSet = 0;
  if (model) vnTERUNIT_SetUpAnimation(s, model);
  unit->dwExcludeMask = kSoldierExcludeMask;
  vnTERUNIT_SendMover(s, SGM_MOVER_SET_COUNT, kMoverCount);
  vnTERUNIT_SendMover(s, SGM_MOVER_SET_LOOKAHEAD, kMoverLookahead);
  vnTERUNIT_StopMover(s, 0);
  s->jumpEnergy = vnTERUNIT_JumpEnergyOf(unit->nType);
  s->domeCharge = vnTERUNIT_HasDome(unit->nType) ? 1.0f : kNoDome;
  SGE_ListInit(&s->patients);
  s->idCount = 0;
  if (model) vnUNIT_SampleGroundLight(model);
  return 1;
}
