// The state switch: the body-half states become animations on the model each refresh.
#include <algorithm>
#include <cmath>

#include "engine/dobject/dobject.h"
#include "engine/kernel/frametime.h"
#include "engine/math/vecops.h"
#include "platform/random.h"
#include "terran/anim_internal.h"
#include "terran/terunit.h"
#include "world/mover/mover.h"
#include "world/unitman/unitman.h"

namespace {

constexpr float kShuffleSpeed = 0.7f;       // m/s above which an idle soldier shuffles
constexpr float kShuffleCos = 0.7071f;      // within 45 degrees of the facing: forward shuffle
constexpr float kSettleTime = 0.05f;
constexpr float kBackwardsSpeed = 0.8f;
constexpr float kRunSpeed = 0.8f;
constexpr float kStealthSpeed = 0.25f;
constexpr float kStopGrace = 0.01f;
constexpr int32_t kRunStartFrames = 30;

// The model's displacement over the last frame, from the unit's movement record.
SPW_VECTOR Displacement(const VNTERUNIT* r) {
  const VNMOVER_RECORD* move = r->unit ? r->unit->pMove : nullptr;
  if (!move) return {};
  return SPW_VSub(move->vPos, move->vPrevPos);
}

SPW_VECTOR Facing(const VNTERUNIT* r) {
  const VNMOVER_RECORD* move = r->unit ? r->unit->pMove : nullptr;
  return move ? move->vHeading : SPW_VECTOR{0.0f, 1.0f, 0.0f};
}

struct SWITCH {
  VNTERUNIT* r;
  SPW_DOBJECT* model;
  int32_t type;
  float speed = 1.0f;
  float modelSpeed = 0.0f;  // m/s over the last frame
  SPW_VECTOR moved{};
};

// A missing animation leaves the half as it was.
void SetLower(VNTERUNIT* r, int32_t slot) {
  const int32_t anim = vnTERUNIT_Anim(r, slot);
  if (anim != -1) r->lowerAnim = anim;
}
void SetUpper(VNTERUNIT* r, int32_t slot) {
  const int32_t anim = vnTERUNIT_Anim(r, slot);
  if (anim != -1) r->upperAnim = anim;
}

bool FirePoseHeld(const VNTERUNIT* r) { return r->sinceShot < VNTERUNIT_FIRE_POSE_TIME; }

// Step 1: an idle, repairing or healing soldier that the mover slides along shuffles or walks.
bool MovementOverride(SWITCH& s) {
  VNTERUNIT* r = s.r;
  if (r->lowerState != VN_TERUNIT_LOWER_IDLE && r->lowerState != VN_TERUNIT_LOWER_REPAIR &&
      r->lowerState != VN_TERUNIT_LOWER_HEAL)
    return false;
  if (s.modelSpeed <= kShuffleSpeed) return false;
  const SPW_VECTOR facing = Facing(r);
  int32_t slot;
  if (vnTERUNIT_IsTier0Suit(s.type)) {
    slot = SPW_VDot(s.moved, facing) > 0.0f ? VNTERUNIT_SLOT_STEALTHWALK : VNTERUNIT_SLOT_WALKBACK;
  } else {
    const float lengths = SPW_VLength(s.moved) * SPW_VLength(facing);
    const float cosine = lengths > 0.0f ? SPW_VDot(s.moved, facing) / lengths : 1.0f;
    if (std::fabs(cosine) > kShuffleCos)
      slot = VNTERUNIT_SLOT_SHUFFLE;
    else
      slot = s.moved.y > 0.0f ? VNTERUNIT_SLOT_SHUFFLEL : VNTERUNIT_SLOT_SHUFFLER;
  }
  const int32_t anim = vnTERUNIT_Anim(r, slot);
  if (anim != r->lowerAnim) SPW_SetAnimationTime(s.model, anim, 0.0f);
  r->lowerAnim = anim;
  r->lowerLocked = 0;
  r->settleTimer = 0.0f;
  s.speed = std::min(s.modelSpeed * 0.25f, 1.0f);
  r->upperAnim = r->lowerAnim;
  return true;
}

// Step 2: for a moment after a shuffle the torso follows the legs.
bool Settle(VNTERUNIT* r) {
  if (r->lowerState == VN_TERUNIT_LOWER_STEALTHWALKBACKWARDS || r->settleTimer >= kSettleTime)
    return false;
  r->upperAnim = r->lowerAnim;
  r->settleTimer += SGE_GetFrameTime();
  return true;
}

// The running legs; false when a slowed runner fell back to idle (the switch stops there).
bool Run(SWITCH& s) {
  VNTERUNIT* r = s.r;
  if (r->scripted == 1) {
    SetLower(r, VNTERUNIT_SLOT_RUN);
    s.speed = 1.0f;
    vnTERUNIT_PlaySteps(r, 0);
    return true;
  }
  const bool stealth = (r->engagementMode & VNTERUNIT_ENGAGE_MASK) == VNTERUNIT_ENGAGE_STEALTH;
  const float threshold = stealth ? kStealthSpeed : kRunSpeed;
  if (s.modelSpeed >= threshold) {
    r->stopTimer = 0.0f;
  } else if (r->stopTimer >= kStopGrace) {
    SetLower(r, VNTERUNIT_SLOT_IDLE_LKAROUND);
    s.speed = 1.0f;
    return false;
  } else {
    r->stopTimer += SGE_GetFrameTime();
  }
  const int32_t anim = vnTERUNIT_Anim(r, stealth ? VNTERUNIT_SLOT_STEALTHWALK : VNTERUNIT_SLOT_RUN);
  if (anim != -1 && anim != r->lowerAnim)
    SPW_SetAnimationTimeFrames(s.model, anim, static_cast<float>(PLAT_Rand() % kRunStartFrames));
  if (anim != -1) r->lowerAnim = anim;
  s.speed = stealth ? std::min(s.modelSpeed * 0.333f, 1.0f) : std::min(s.modelSpeed * 0.167f, 1.75f);
  vnTERUNIT_PlaySteps(r, 0);
  return true;
}

int32_t HitSlot(const VNTERUNIT* r, bool major, bool tier0) {
  if (!major || tier0)
    return (r->hitSide == 1) != (major && tier0) ? VNTERUNIT_SLOT_BODYHITF : VNTERUNIT_SLOT_BODYHITB;
  return r->hitSide == 1 ? VNTERUNIT_SLOT_KNOCKEDOVERB : VNTERUNIT_SLOT_KNOCKEDOVERF;
}

int32_t BounceSlot(int32_t state) {
  switch (state) {
    case VN_TERUNIT_LOWER_BOUNCELAUNCH: return VNTERUNIT_SLOT_BOUNCE_TAKEOFF;
    case VN_TERUNIT_LOWER_BOUNCETRAVEL: return VNTERUNIT_SLOT_BOUNCE_FLY;
    case VN_TERUNIT_LOWER_BOUNCELAND: return VNTERUNIT_SLOT_BOUNCE_LAND;
    case VN_TERUNIT_LOWER_BOUNCEDAMAGE: return VNTERUNIT_SLOT_BOUNCE_FALLING;
    case VN_TERUNIT_LOWER_BOUNCESPLAT: return VNTERUNIT_SLOT_BOUNCE_HITGROUND;
    default: return -1;
  }
}

// The poses shared by both halves that are not locked: slot, or -1.
int32_t PoseSlot(int32_t state) {
  switch (state) {
    case VN_TERUNIT_LOWER_REPAIR: return VNTERUNIT_SLOT_IDLE_BREATH;
    case VN_TERUNIT_LOWER_HEAL: return VNTERUNIT_SLOT_MEDICHEAL;
    case VN_TERUNIT_LOWER_AIRSHOOT: return VNTERUNIT_SLOT_AIRSHOOT;
    case VN_TERUNIT_LOWER_COMMUNICATE: return VNTERUNIT_SLOT_COMMUNICATE;
    case VN_TERUNIT_LOWER_KNIFETHRUST: return VNTERUNIT_SLOT_KNIFETHRUST;
    case VN_TERUNIT_LOWER_SALUTE: return VNTERUNIT_SLOT_SALUTE;
    default: return -1;
  }
}

int32_t PossessedSlot(const VNTERUNIT* r, bool tier0) {
  if (tier0) return VNTERUNIT_SLOT_IDLE_BREATH;
  switch (r->subState) {
    case 0: return VNTERUNIT_SLOT_GOTOPOSSESSED;
    case 1: return VNTERUNIT_SLOT_POSSESSED;
    case 2: return VNTERUNIT_SLOT_OUTOFPOSSESSED;
    default: return -1;
  }
}

// Step 4; false when the routine ends here.
bool LowerSwitch(SWITCH& s) {
  VNTERUNIT* r = s.r;
  const bool tier0 = vnTERUNIT_IsTier0Suit(s.type) != 0;
  const int32_t state = r->lowerState;
  switch (state) {
    case VN_TERUNIT_LOWER_IDLE:
      if (!FirePoseHeld(r)) {
        const bool looking = (r->engagementMode & VNTERUNIT_ENGAGE_MASK) !=
                                 VNTERUNIT_ENGAGE_STEALTH || tier0;
        SetLower(r, looking ? VNTERUNIT_SLOT_IDLE_LKAROUND : VNTERUNIT_SLOT_STEALTHLKAROUND);
        r->lowerLocked = 1;
        r->upperLocked = 0;
      } else {
        SetLower(r, VNTERUNIT_SLOT_FIRE1);
      }
      break;
    case VN_TERUNIT_LOWER_STEALTHWALKBACKWARDS:
      SetLower(r, s.modelSpeed >= kBackwardsSpeed ? VNTERUNIT_SLOT_WALKBACK
                                                  : VNTERUNIT_SLOT_IDLE_LKAROUND);
      break;
    case VN_TERUNIT_LOWER_RUNNING:
      return Run(s);
    case VN_TERUNIT_LOWER_TAKINGDAMAGE:
      SetLower(r, HitSlot(r, false, tier0));
      vnTERUNIT_StopMover(r, 0);
      r->lowerLocked = 1;
      break;
    case VN_TERUNIT_LOWER_TAKINGMAJORDAMAGE:
      r->lowerLocked = 1;
      SetLower(r, HitSlot(r, true, tier0));
      if (tier0) r->lowerLocked = 0;
      vnTERUNIT_StopMover(r, 0);
      break;
    case VN_TERUNIT_LOWER_DEATH:
      vnTERUNIT_PlaySteps(r, 0);
      r->lowerLocked = 1;
      if (vnTERUNIT_GetSuitTier(s.type) == VNTERUNIT_TIER_OTHER) {
        SetLower(r, VNTERUNIT_SLOT_DEATH1);
      } else {
        if (vnTERUNIT_IsEngineer(s.type)) SetLower(r, VNTERUNIT_SLOT_DEATH1);
        r->lowerState = VN_TERUNIT_LOWER_DEAD;
      }
      break;
    case VN_TERUNIT_LOWER_BOUNCELAUNCH:
    case VN_TERUNIT_LOWER_BOUNCETRAVEL:
    case VN_TERUNIT_LOWER_BOUNCELAND:
    case VN_TERUNIT_LOWER_BOUNCEDAMAGE:
    case VN_TERUNIT_LOWER_BOUNCESPLAT:
      SetLower(r, BounceSlot(state));
      if (state == VN_TERUNIT_LOWER_BOUNCETRAVEL) vnTERUNIT_PlaySteps(r, 0);
      r->lowerLocked = 1;
      break;
    case VN_TERUNIT_LOWER_POSSESSED: {
      const int32_t slot = PossessedSlot(r, tier0);
      if (slot >= 0) SetLower(r, slot);
      r->lowerLocked = 1;
      break;
    }
    case VN_TERUNIT_LOWER_CELEBRATE:
      if (!tier0) {
        SetLower(r, VNTERUNIT_SLOT_CELEBRATE);
        r->lowerLocked = 1;
      }
      break;
    case VN_TERUNIT_LOWER_TURRETFIRE:
      if (r->subState == 1)
        SetLower(r, VNTERUNIT_SLOT_SHUFFLEL);
      else if (r->subState == 2)
        SetLower(r, VNTERUNIT_SLOT_SHUFFLER);
      else if (r->phaseTimer > 0.2f)
        SetLower(r, VNTERUNIT_SLOT_TURRETHOLD);
      break;
    case VN_TERUNIT_LOWER_PULLROPE:
      return false;
    default: {
      const int32_t slot = PoseSlot(state);
      if (slot >= 0) SetLower(r, slot);
      break;
    }
  }
  return true;
}

// Step 5; false when the routine ends here.
bool UpperSwitch(SWITCH& s) {
  VNTERUNIT* r = s.r;
  const bool tier0 = vnTERUNIT_IsTier0Suit(s.type) != 0;
  const int32_t state = r->upperState;
  switch (state) {
    case VN_TERUNIT_UPPER_IDLE:
      if (!FirePoseHeld(r)) {
        r->upperLocked = 1;
        r->upperAnim = r->lowerAnim;
      }
      break;
    case VN_TERUNIT_UPPER_STEALTHWALKBACKWARDS:
      if (!FirePoseHeld(r)) SetUpper(r, VNTERUNIT_SLOT_WALKBACK);
      break;
    case VN_TERUNIT_UPPER_RUNNING:
      if (!FirePoseHeld(r)) r->upperAnim = r->lowerAnim;
      break;
    case VN_TERUNIT_UPPER_TAKINGDAMAGE:
      SetUpper(r, HitSlot(r, false, tier0));
      r->upperLocked = 1;
      break;
    case VN_TERUNIT_UPPER_TAKINGMAJORDAMAGE:
      r->upperLocked = 1;
      SetUpper(r, HitSlot(r, true, tier0));
      if (tier0) r->upperLocked = 0;
      break;
    case VN_TERUNIT_UPPER_DEATH:
      r->upperLocked = 1;
      if (vnTERUNIT_GetSuitTier(s.type) == VNTERUNIT_TIER_OTHER) {
        SetUpper(r, VNTERUNIT_SLOT_DEATH1);
      } else if (vnTERUNIT_IsEngineer(s.type)) {
        SetUpper(r, VNTERUNIT_SLOT_DEATH1);
        r->upperState = VN_TERUNIT_UPPER_DEAD;
      } else {
        r->upperState = VN_TERUNIT_UPPER_DEAD;
        return false;
      }
      break;
    case VN_TERUNIT_UPPER_BOUNCELAUNCH:
    case VN_TERUNIT_UPPER_BOUNCETRAVEL:
    case VN_TERUNIT_UPPER_BOUNCELAND:
    case VN_TERUNIT_UPPER_BOUNCEDAMAGE:
    case VN_TERUNIT_UPPER_BOUNCESPLAT:
      SetUpper(r, BounceSlot(state));
      r->upperLocked = 1;
      break;
    case VN_TERUNIT_UPPER_POSSESSED: {
      const int32_t slot = PossessedSlot(r, tier0);
      if (slot >= 0) SetUpper(r, slot);
      r->upperLocked = 1;
      break;
    }
    case VN_TERUNIT_UPPER_CELEBRATE:
      if (!tier0) {
        SetUpper(r, VNTERUNIT_SLOT_CELEBRATE);
        r->upperLocked = 1;
      }
      break;
    case VN_TERUNIT_UPPER_TURRETFIRE:
      SetUpper(r, VNTERUNIT_SLOT_TURRETHOLD);
      break;
    case VN_TERUNIT_UPPER_PULLROPE:
      return false;
    case VN_TERUNIT_UPPER_RELOAD:
      if (!tier0) {
        SetUpper(r, VNTERUNIT_SLOT_RELAXEDRELOAD);
        r->upperLocked = 1;
      }
      break;
    case VN_TERUNIT_UPPER_CHANGEWEAPON:
      if (tier0) {
        r->upperLocked = 0;
      } else {
        SetUpper(r, VNTERUNIT_SLOT_CHANGEWEAPON);
        r->upperLocked = 1;
      }
      break;
    case VN_TERUNIT_UPPER_FIRING:
      SetUpper(r, VNTERUNIT_SLOT_FIRE1);
      r->upperLocked = 1;
      if (r->lowerState == VN_TERUNIT_LOWER_IDLE ||
          r->lowerAnim == vnTERUNIT_Anim(r, VNTERUNIT_SLOT_IDLE_LKAROUND)) {
        SetLower(r, VNTERUNIT_SLOT_FIRE1);
        r->lowerLocked = 0;
      }
      break;
    default: {
      const int32_t slot = PoseSlot(state);
      if (slot >= 0) SetUpper(r, slot);
      break;
    }
  }
  return true;
}

}  // namespace

void vnTERUNIT_PlayHalves(VNTERUNIT* r, SPW_DOBJECT* model, float speed) {
  if (!model) return;
  vnTERUNIT_PlaceModel(r, model);
  SPW_SetNodeListAnimation(model, r->lowerBones, r->lowerAnim, -1, SPW_DefaultNodeProc, 0);
  SPW_SetNodeListAnimation(model, r->upperBones, r->upperAnim, -1, SPW_DefaultNodeProc, 0);
  SPW_SetAnimationSpeed(model, r->lowerAnim, speed);
  // The fire pose is held, also when the legs share it.
  const bool holding = r->upperAnim == vnTERUNIT_Anim(r, VNTERUNIT_SLOT_FIRE1);
  SPW_SetAnimationSpeed(model, r->upperAnim, holding ? 0.0f : speed);
}

void vnTERUNIT_ApplyAnimation(SGE_TASK* /*task*/, SPW_DOBJECT* model, VNTERUNIT* record) {
  if (!record || !model || !record->unit) return;
  SWITCH s{record, model, record->unit->nType};
  s.moved = Displacement(record);
  s.modelSpeed = SPW_VLength(s.moved) * SGE_GetFrameRate();

  bool chosen = MovementOverride(s);
  chosen = Settle(record) || chosen;
  if (!FirePoseHeld(record) && !(record->stateFlags & VNTERUNIT_SF_SNIPER_VIEW))
    model->vOverrideAngles = {0.0f, 0.0f, 0.0f};
  if ((!record->lowerLocked && !chosen) || record->scripted == 1) {
    if (!LowerSwitch(s)) {
      if (record->lowerState == VN_TERUNIT_LOWER_PULLROPE) return;
      vnTERUNIT_PlayHalves(record, model, s.speed);  // a runner that stopped
      return;
    }
  }
  if (!record->upperLocked || record->scripted == 1) {
    if (!UpperSwitch(s)) return;
  }
  vnTERUNIT_PlayHalves(record, model, s.speed);
}
