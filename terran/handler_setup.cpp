// A soldier's set-up at creation: the record's first values, the mover's settings and the
// jump-jet gauge of its type.
#include "engine/dobject/dobject.h"
#include "frontend/platman.h"
#include "interface/hud/refresh.h"
#include "missions/control/misscont.h"
#include "terran/behave.h"
#include "terran/handler.h"
#include "terran/movement.h"
#include "world/mover/mover.h"
#include "world/unitman/orders.h"

namespace {

// The unit ignores weapons and projectiles that touch it.
constexpr uint32_t kSoldierExcludeMask = VNUNIT_F_WEAPON | VNUNIT_F_PROJECTILE;
// The mover's settings for soldiers.
constexpr SGE_PARAM kMoverCount = 1;
constexpr SGE_PARAM kMoverLookahead = 5;
constexpr float kNoDome = -1.0f;

// The state and mode bits a reset clears; the others stay as their senders set them.
constexpr uint32_t kResetStateFlags = VNTERUNIT_SF_AIRBORNE | VNTERUNIT_SF_GOAL_BY_FIRE | 0x4 |
                                      0x8 | VNTERUNIT_SF_VICTIM_MODEL | VNTERUNIT_SF_MICRO_ROCKETS |
                                      0x10000 | VNTERUNIT_SF_IN_RANGE;
constexpr uint32_t kResetModeFlags =
    VNTERUNIT_MF_FIRED_AT_TARGET | VNTERUNIT_MF_FIRED_AT_POINT | VNTERUNIT_MF_WEAPON_STOWED |
    0x400 | VNTERUNIT_MF_LOW_ARMOUR_SAID | VNTERUNIT_MF_HEAVY_ATTACK | VNTERUNIT_MF_ALT_FIRE |
    VNTERUNIT_MF_SUIT_DESTROYED;

// States, timers and the turret words as at creation.
void ResetTimers(VNTERUNIT* s) {
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

void ClearRecord(VNTERUNIT* s) {
  s->stateFlags = s->modeFlags = s->voiceEvents = 0;
  ResetTimers(s);
}

// Every animation of the model back at its start.
void Rewind(const VNTERUNIT* s) {
  if (!s->model || !s->animMap) return;
  for (int32_t i = 0; i < VNTERUNIT_ANIM_NAMES; ++i)
    if (s->animMap[i] >= 0) SPW_SetAnimationTime(s->model, s->animMap[i], 0.0f);
}

// The platoon soldier's tech items count as unused again.
void RestoreTechItems(const VNTERUNIT* s) {
  const VNPLATOON* platoon = vnMISSCONT_GetPlatoon();
  VNPLATOON_UNIT* soldier =
      platoon ? vnPLATMAN_FindStrikeTeamUnit(platoon, static_cast<int32_t>(s->unit->dwId)) : nullptr;
  if (soldier) soldier->dwFlags &= ~(VNPLATOON_UNIT_ITEM1_USED | VNPLATOON_UNIT_ITEM2_USED);
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

void vnTERUNIT_Reset(VNTERUNIT* s) {
  vnTERUNIT_RestoreAnimSpeed(s);
  vnTERUNIT_ClearPatients(s);
  vnTERUNIT_SendSelf(s, SGM_TERUNIT_ALERT, 1);
  vnORDER_Clear(s->unit);
  s->voiceEvents = 0;
  s->stateFlags &= ~kResetStateFlags;
  s->modeFlags &= ~kResetModeFlags;
  if (s->model) s->model->fFlags &= ~SPW_DOBJ_HIDDEN;
  Rewind(s);
  ResetTimers(s);
  FirstValues(s);
  RestoreTechItems(s);
  vnTERUNIT_SendSelf(s, SGM_TERUNIT_REFRESH_KIT, 1);
  vnHUD_Refresh();
}
