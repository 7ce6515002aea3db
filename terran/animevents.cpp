// End-of-animation transitions: a one-shot animation moves the body-half states on.
#include "engine/dobject/dobject.h"
#include "engine/kernel/kernel.h"
#include "platform/random.h"
#include "shell/sound/sound.h"
#include "terran/anim_internal.h"
#include "terran/handler.h"
#include "terran/terunit.h"
#include "world/unitman/unitman.h"

namespace {

constexpr float kIdlePeriod = 5.0f;
constexpr int32_t kRelaxAfterPeriods = 3;
constexpr int32_t kRelaxRemarkChance = 500;  // 1 in 500 at the third period
constexpr uint32_t kRelaxRemarkEvent = 4096;
constexpr int32_t kFlightSounds[2] = {399, 400};

void Both(VNTERUNIT* r, int32_t slot) {
  const int32_t anim = vnTERUNIT_Anim(r, slot);
  if (anim == -1) return;
  r->lowerAnim = anim;
  r->upperAnim = anim;
}

void BothStates(VNTERUNIT* r, int32_t state) {
  r->lowerState = state;
  r->upperState = state;
}

void ClearLocks(VNTERUNIT* r) {
  r->lowerLocked = 0;
  r->upperLocked = 0;
}

void Restart(VNTERUNIT* r, int32_t nameIndex) {
  if (r->model && r->animMap) SPW_SetAnimationTime(r->model, r->animMap[nameIndex], 0.0f);
}

void Apply(VNTERUNIT* r) { vnTERUNIT_PlayHalves(r, r->model, 1.0f); }

bool BothIdle(const VNTERUNIT* r) {
  return r->lowerState == VN_TERUNIT_LOWER_IDLE && r->upperState == VN_TERUNIT_UPPER_IDLE;
}

bool Stealthy(const VNTERUNIT* r) {
  return (r->engagementMode & VNTERUNIT_ENGAGE_MASK) == VNTERUNIT_ENGAGE_STEALTH;
}

void CountIdlePeriod(VNTERUNIT* r) {
  if (r->idleTime > kIdlePeriod) {
    ++r->idlePeriods;
    r->idleTime -= kIdlePeriod;
  }
}

int32_t Type(const VNTERUNIT* r) { return r->unit ? r->unit->nType : -1; }

bool Unsuited(const VNTERUNIT* r) {
  return vnTERUNIT_GetSuitTier(Type(r)) == VNTERUNIT_TIER_OTHER;
}

void IdleEnded(VNTERUNIT* r, int32_t slot, int32_t nameIndex) {
  if (!BothIdle(r) || Stealthy(r)) {
    ClearLocks(r);
    Restart(r, nameIndex);
    return;
  }
  CountIdlePeriod(r);
  if (r->idlePeriods == kRelaxAfterPeriods) {
    Both(r, VNTERUNIT_SLOT_GOTORELAXED);
    if (PLAT_Rand() % kRelaxRemarkChance == 0 && r->unit && r->unit->pController)
      SGE_Send(r->unit->pController, SGM_TERUNIT_VOICE_EVENT, kRelaxRemarkEvent, 0);
    Apply(r);
  } else if (r->idlePeriods > kRelaxAfterPeriods) {
    Restart(r, nameIndex);
  } else {
    int32_t next = PLAT_Rand() % 3;  // one of the other three idles
    if (next >= slot) ++next;
    Both(r, next);
    Apply(r);
  }
}

void HitEnded(VNTERUNIT* r, int32_t nameIndex) {
  if (r->lowerState == VN_TERUNIT_LOWER_DEATH || r->lowerState == VN_TERUNIT_LOWER_DEAD) {
    if (Unsuited(r))
      Both(r, VNTERUNIT_SLOT_DEATH1);  // applied at the next refresh
    else
      BothStates(r, VN_TERUNIT_LOWER_DEAD);
    Restart(r, nameIndex);
    return;
  }
  if (r->prevLowerState == VN_TERUNIT_LOWER_POSSESSED) {
    BothStates(r, VN_TERUNIT_LOWER_POSSESSED);
    Restart(r, r->animSet + VNTERUNIT_SLOT_GOTOPOSSESSED);
    r->subState = 0;
  } else {
    BothStates(r, VN_TERUNIT_LOWER_IDLE);
  }
  r->trackPrevStates = 1;
  ClearLocks(r);
  Restart(r, nameIndex);
}

void DeathEnded(VNTERUNIT* r, int32_t slot, int32_t nameIndex) {
  BothStates(r, VN_TERUNIT_LOWER_DEAD);
  vnUNIT_SetObjectFlag08(r->unit, 0);
  vnUNIT_SetObjectFlag10(r->unit, 0);
  if (Unsuited(r)) {
    Both(r, slot + 1);  // its twitch
    r->idleTime = 0.0f;
    Apply(r);
  } else if (vnTERUNIT_IsEngineer(Type(r))) {
    vnUNIT_SetObjectFlag10(r->unit, 1);
  } else {
    Restart(r, nameIndex);
  }
}

void StealthLookEnded(VNTERUNIT* r, int32_t nameIndex) {
  if (!BothIdle(r) || !Stealthy(r)) {
    ClearLocks(r);
    Restart(r, nameIndex);
    return;
  }
  CountIdlePeriod(r);
  Both(r, VNTERUNIT_SLOT_STEALTHLKRIGHT + PLAT_Rand() % 3);
  Apply(r);
}

void RelaxedEnded(VNTERUNIT* r, int32_t nameIndex) {
  if (!BothIdle(r) || Stealthy(r)) {
    ClearLocks(r);
    Restart(r, nameIndex);
    return;
  }
  Both(r, VNTERUNIT_SLOT_RELAXEDBREATH);
  Apply(r);
}

// After a relaxed breath: mostly another breath or a look, rarely a scratch or a stretch.
void RelaxedBreathEnded(VNTERUNIT* r, int32_t nameIndex) {
  if (!BothIdle(r)) {
    ClearLocks(r);
    Restart(r, nameIndex);
    return;
  }
  const int32_t type = Type(r);
  int32_t k = 1;
  if (vnTERUNIT_IsTier0Suit(type))
    k = 3;
  else if (vnTERUNIT_IsTier1Suit(type))
    k = 4;
  else if (vnTERUNIT_IsSuitTier2(type))
    k = 6;
  int32_t j;
  if (PLAT_Rand() % 1000 < 990) {
    j = PLAT_Rand() % k;
    if (j == 4 || j == 5) j = 0;
  } else {
    j = k == 6 ? 4 + PLAT_Rand() % 2 : 0;
  }
  static constexpr int32_t kSlots[6] = {
      VNTERUNIT_SLOT_RELAXEDBREATH, VNTERUNIT_SLOT_RELAXEDLKLEFT, VNTERUNIT_SLOT_RELAXEDLKRIGHT,
      VNTERUNIT_SLOT_RELAXEDLKARND, VNTERUNIT_SLOT_RELAXEDSCRATCH, VNTERUNIT_SLOT_RELAXEDARSE};
  Both(r, kSlots[j]);
  Apply(r);
}

void BackToIdle(VNTERUNIT* r) {
  BothStates(r, VN_TERUNIT_LOWER_IDLE);
  ClearLocks(r);
  Both(r, VNTERUNIT_SLOT_IDLE_LKAROUND);
  Apply(r);
}

void TakeoffEnded(VNTERUNIT* r) {
  if (r->bounceStarted == 0) {
    r->bounceStarted = 1;
    r->bounceTime = 0.0f;
  }
  BothStates(r, VN_TERUNIT_LOWER_BOUNCETRAVEL);
  ClearLocks(r);
  Both(r, VNTERUNIT_SLOT_BOUNCE_FLY);
  if (r->flightSound == -1 && r->unit)
    r->flightSound = vnSOUND_PlayEffect(kFlightSounds[PLAT_Rand() % 2], &r->unit->vPos.x);
  Apply(r);
}

void HitGroundEnded(VNTERUNIT* r) {
  if (r->unit && vnUNIT_AttrFloat(r->unit, VN_ATTR_HEALTH) > 0.0f) {
    BothStates(r, VN_TERUNIT_LOWER_IDLE);
    Both(r, VNTERUNIT_SLOT_IDLE_LKAROUND);
    r->lowerLocked = 0;
    Apply(r);
    return;
  }
  BothStates(r, VN_TERUNIT_LOWER_DEAD);
}

}  // namespace

void vnTERUNIT_AnimationEnded(VNTERUNIT* r, int32_t nameIndex) {
  if (!r || nameIndex < 0 || nameIndex >= VNTERUNIT_ANIM_NAMES) return;
  const int32_t slot = nameIndex % VNTERUNIT_SET_SLOTS;
  switch (slot) {
    case VNTERUNIT_SLOT_IDLE_LKAROUND:
    case VNTERUNIT_SLOT_IDLE_BREATH:
    case VNTERUNIT_SLOT_IDLE_LKRIGHT:
    case VNTERUNIT_SLOT_IDLE_LKLEFT:
      IdleEnded(r, slot, nameIndex);
      break;
    case VNTERUNIT_SLOT_FIRE1:
    case VNTERUNIT_SLOT_FIRE2:
      if (r->sinceShot < VNTERUNIT_FIRE_POSE_TIME || (r->stateFlags & VNTERUNIT_SF_SNIPER_VIEW)) {
        Apply(r);
      } else {
        ClearLocks(r);
        Restart(r, nameIndex);
      }
      break;
    case VNTERUNIT_SLOT_BODYHITF:
    case VNTERUNIT_SLOT_BODYHITB:
    case VNTERUNIT_SLOT_KNOCKEDOVERB:
    case VNTERUNIT_SLOT_KNOCKEDOVERF:
      HitEnded(r, nameIndex);
      break;
    case VNTERUNIT_SLOT_DEATH1:
    case VNTERUNIT_SLOT_DEATH2:
    case VNTERUNIT_SLOT_DEATH3:
      DeathEnded(r, slot, nameIndex);
      break;
    case VNTERUNIT_SLOT_DEATH1TWITCH:
    case VNTERUNIT_SLOT_DEATH2TWITCH:
    case VNTERUNIT_SLOT_DEATH3TWITCH:
      Restart(r, nameIndex);  // the dead body keeps twitching
      break;
    case VNTERUNIT_SLOT_CHANGEWEAPON:
    case VNTERUNIT_SLOT_RELAXEDRELOAD:
      r->upperLocked = 0;
      Restart(r, nameIndex);
      break;
    case VNTERUNIT_SLOT_WALKBACK:
      r->lowerLocked = 0;
      Restart(r, nameIndex);
      break;
    case VNTERUNIT_SLOT_STEALTHLKRIGHT:
    case VNTERUNIT_SLOT_STEALTHLKLEFT:
    case VNTERUNIT_SLOT_STEALTHLKAROUND:
      StealthLookEnded(r, nameIndex);
      break;
    case VNTERUNIT_SLOT_GOTORELAXED:
    case VNTERUNIT_SLOT_RELAXEDLKARND:
    case VNTERUNIT_SLOT_RELAXEDSCRATCH:
    case VNTERUNIT_SLOT_RELAXEDARSE:
    case VNTERUNIT_SLOT_RELAXEDLKLEFT:
    case VNTERUNIT_SLOT_RELAXEDLKRIGHT:
      RelaxedEnded(r, nameIndex);
      break;
    case VNTERUNIT_SLOT_RELAXEDBREATH:
      RelaxedBreathEnded(r, nameIndex);
      break;
    case VNTERUNIT_SLOT_CELEBRATE:
    case VNTERUNIT_SLOT_AIRSHOOT:
    case VNTERUNIT_SLOT_BOUNCE_LAND:
      BackToIdle(r);
      break;
    case VNTERUNIT_SLOT_GOTOPOSSESSED:
      r->subState = 1;
      ClearLocks(r);
      Both(r, VNTERUNIT_SLOT_POSSESSED);
      Apply(r);
      break;
    case VNTERUNIT_SLOT_OUTOFPOSSESSED:
      r->subState = 3;
      ClearLocks(r);
      Both(r, VNTERUNIT_SLOT_IDLE_LKAROUND);
      Apply(r);
      break;
    case VNTERUNIT_SLOT_BOUNCE_TAKEOFF:
      TakeoffEnded(r);
      break;
    case VNTERUNIT_SLOT_BOUNCE_FLYHIT:
      Both(r, (r->stateFlags & VNTERUNIT_SF_AIRBORNE) ? VNTERUNIT_SLOT_BOUNCE_FALLING
                                                      : VNTERUNIT_SLOT_BOUNCE_HITGROUND);
      Apply(r);
      break;
    case VNTERUNIT_SLOT_BOUNCE_FALLING:
      if (r->stateFlags & VNTERUNIT_SF_AIRBORNE) {
        Restart(r, nameIndex);
      } else {
        Both(r, VNTERUNIT_SLOT_BOUNCE_HITGROUND);
        Apply(r);
      }
      break;
    case VNTERUNIT_SLOT_BOUNCE_HITGROUND:
      HitGroundEnded(r);
      break;
    case VNTERUNIT_SLOT_SALUTE:
      BothStates(r, VN_TERUNIT_LOWER_IDLE);
      Both(r, VNTERUNIT_SLOT_IDLE_LKAROUND);
      Apply(r);
      break;
    default:
      ClearLocks(r);
      Restart(r, nameIndex);
      break;
  }
}
