// The infantry class handler: a message table whose every row ends in the common handler.
#include "terran/infantry.h"

#include <algorithm>
#include <cmath>

#include "engine/dobject/dobject.h"
#include "missions/control/missionevents.h"
#include "missions/control/misscont.h"
#include "terran/behave.h"
#include "terran/handler.h"
#include "terran/infantry_internal.h"
#include "terran/weapons.h"
#include "world/combat/combat.h"
#include "world/attach/attach.h"
#include "world/marker/marker.h"
#include "world/mover/mover.h"
#include "world/shadow/shadow.h"
#include "world/fobj/twingun.h"
#include "world/unitman/orders.h"
#include "world/unitman/unitman.h"
#include "world/unittype/unittype.h"

namespace {

constexpr uint32_t kShadowFlags = 0x6F7;
constexpr int32_t kShadowKind = 6;
constexpr float kShadowSize = 0.6f;
constexpr int32_t kRevolverHolders[] = {VN_UNIT_TYPE_TERRAN_ZR_0, VN_UNIT_TYPE_TERRAN_ZR_0_FEM,
                                        VN_UNIT_TYPE_TERRAN_ZR_DRAVIK, VN_UNIT_TYPE_TERRAN_ZR_QUELLIN,
                                        VN_UNIT_TYPE_TERRAN_ZR_HALVICK, VN_UNIT_TYPE_TERRAN_ZR_TOBRIN};
// The speed factor each engagement mode puts on the soldier's movement.
constexpr float kModeSpeed[4] = {0.5f, 1.0f, 1.2f, 1.5f};
// Fade targets while hidden and while attackers are about.
constexpr float kStealthFade = 0.17f;
constexpr float kAttackedFade = 0.4f;
// Damage record words.
constexpr int32_t kDamageKindWord = 13;
// Message 3093: a scripted placement record.
constexpr int32_t SGM_INFANTRY_PLACE = 3093;
// Message 571: a unit attached to the soldier.
constexpr int32_t SGM_INFANTRY_ATTACH = 571;

bool Dying(const VNTERUNIT* s) { return vnTERUNIT_IsDying(s) != 0; }
bool Held(const VNTERUNIT* s) { return (s->stateFlags & VNTERUNIT_SF_HELD) != 0; }
bool Possessed(const VNTERUNIT* s) { return s->lowerState == VN_TERUNIT_LOWER_POSSESSED; }

float Health(const VNUNIT* unit) { return vnUNIT_AttrFloat(unit, VN_ATTR_HEALTH); }

void ShadowOn(VNINFANTRY* self, bool on) {
  VNTERUNIT* s = &self->soldier;
  if (on && !self->shadow && s->model)
    self->shadow = vnShadow_Add(kShadowKind, s->model, kShadowFlags, kShadowSize, 1.0f, 0.0f, 0.0f,
                                0.0f, 0.0f, &VNSHADOW_NO_ROTATION);
  if (!on && self->shadow) {
    vnShadow_Remove(self->shadow);
    self->shadow = nullptr;
  }
}

SGE_RESULT Create(VNINFANTRY* self, SGE_TASK* task, VNUNIT* unit, const VNUNIT_CREATE* create) {
  VNTERUNIT* s = &self->soldier;
  s->unit = s->unitRef = unit;
  self->holdCount = 0;
  vnFX_JetCreate(&self->treatmentGlow);
  self->treatmentGlowRunning = 0;
  s->marker = nullptr;
  self->restoreBreath = 0;
  vnINFANTRY_LoadDeathModel(s);
  SPW_DOBJECT* model = vnINFANTRY_MakeModel(self, unit, create);
  s->model = SGE_Ask<SPW_DOBJECT>(task, SGM_UNIT_GET_OBJECT, 0, 0);
  if (s->model) s->model->fFlags |= VNUNIT_WORLD_OBJECT;
  // Without its model the soldier is still a whole record: every later message reads it.
  vnTERUNIT_InitInstance(s, unit, s->model);
  self->stowedItem = 0;
  if (self->frame == vnTERUNIT_RunOrders) s->stateFlags |= VNTERUNIT_SF_ZOMBIE;
  if (!model) return 0;
  if (std::find(std::begin(kRevolverHolders), std::end(kRevolverHolders), unit->nType) !=
      std::end(kRevolverHolders))
    SGE_Send(task, SGM_INFANTRY_GIVE_ITEM, VN_UNIT_TYPE_WEAPON_REVOLVER, 0);
  return 1;
}

void Destroy(VNINFANTRY* self) {
  VNTERUNIT* s = &self->soldier;
  ShadowOn(self, false);
  vnTERUNIT_LeaveTurret(self);
  vnFX_JetFree(&self->treatmentGlow);
  if (s->exertionFx) vnFX_AttachNodeRelease(s->exertionFx);
  s->exertionFx = nullptr;
  SPW_FreeNodeSelection(s->upperBones);
  SPW_FreeNodeSelection(s->lowerBones);
  s->upperBones = s->lowerBones = nullptr;
  if (s->marker) vnMARK_Send2580(s->marker);
  s->marker = nullptr;
  if (s->unit) vnUNIT_DestroyObjects(s->unit);
  s->model = nullptr;
}

// Both halves die, the mission hears of it, the soldier fades back in and leaves its turret.
void Die(VNINFANTRY* self) {
  VNTERUNIT* s = &self->soldier;
  s->lowerState = VN_TERUNIT_LOWER_DEATH;
  s->upperState = VN_TERUNIT_UPPER_DEATH;
  s->upperLocked = s->lowerLocked = 0;
  vnTERUNIT_StopMover(s, 0);
  if (SGE_TASK* mission = vnMISSCONT_GetTask())
    SGE_Send(mission, SGM_VN_MISSCONT_EVENT_TERRAN_KILLED, static_cast<SGE_PARAM>(s->unit->dwId), 0);
  ShadowOn(self, false);
  vnTERUNIT_FadeIn(s);
  s->treating = 0;
  vnTERUNIT_LeaveTurret(self);
  s->unit->dwFlags &= ~VNUNIT_F_SELECTED;
  s->bodyFlags |= VNTERUNIT_BF_DEAD;
}

bool HitState(const VNTERUNIT* s) {
  return s->lowerState >= VN_TERUNIT_LOWER_TAKINGDAMAGE && s->lowerState <= VN_TERUNIT_LOWER_DEAD;
}

// Under fire a soldier with a heavy weapon in hand (or none) takes up a lighter one, once.
void PutAwayHeavyWeapon(VNTERUNIT* s) {
  if ((s->modeFlags & VNTERUNIT_MF_WEAPON_STOWED) || !vnTERUNIT_HoldsHeavyWeapon(s->unit)) return;
  s->readyItemId = vnTERUNIT_CurrentItemId(s->unit);
  vnTERUNIT_SelectFallbackWeapon(s);
  s->modeFlags |= VNTERUNIT_MF_WEAPON_STOWED;
}

void Damaged(VNINFANTRY* self, SGE_TASK* task, const VNDAMAGE* damage) {
  VNTERUNIT* s = &self->soldier;
  VNUNIT* unit = s->unit;
  s->wasHit = 1;
  const bool hurting = s->lowerState == VN_TERUNIT_LOWER_TAKINGDAMAGE ||
                       s->lowerState == VN_TERUNIT_LOWER_TAKINGMAJORDAMAGE;
  if (hurting && damage) {
    if (damage->nFlag == 1) SGE_Send(task, SGM_TERUNIT_PUSH, SGE_PtrParam(&damage->vImpulse), 0);
    if (Health(unit) <= 0.0f) Die(self);
  } else if (!HitState(s) && damage) {
    if (damage->nFlag == 1) SGE_Send(task, SGM_TERUNIT_PUSH, SGE_PtrParam(&damage->vImpulse), 0);
    if (s->trackPrevStates) {
      s->prevLowerState = s->lowerState;
      s->prevUpperState = s->upperState;
    }
    if (s->lowerState != VN_TERUNIT_LOWER_IDLE || s->upperState != VN_TERUNIT_UPPER_IDLE)
      s->idleTime = 0.0f;
    s->trackPrevStates = 0;
    SPW_VECTOR dir{damage->vImpulse.x, damage->vImpulse.y, 0.0f};
    const float length = std::sqrt(dir.x * dir.x + dir.y * dir.y);
    if (length > 0.0f) dir = {dir.x / length, dir.y / length, 0.0f};
    const SPW_VECTOR facing = unit->pMove ? unit->pMove->vHeading : SPW_VECTOR{0.0f, 1.0f, 0.0f};
    s->hitSide = facing.x * dir.x + facing.y * dir.y < 0.0f ? 1 : 0;
    s->hitDirection = {-dir.x, -dir.y, 0.0f};
    if (Health(unit) > 0.0f) {
      const auto kind = static_cast<uint32_t>(reinterpret_cast<const int32_t*>(damage)[kDamageKindWord]);
      if ((kind & VNINFANTRY_HIT_REACTS) && !(kind & VNINFANTRY_HIT_SILENT)) {
        const int32_t state = damage->fHealth >= VNINFANTRY_MAJOR_HIT
                                  ? VN_TERUNIT_LOWER_TAKINGDAMAGE
                                  : VN_TERUNIT_LOWER_TAKINGMAJORDAMAGE;
        s->lowerState = s->upperState = state;
        s->upperLocked = s->lowerLocked = 0;
        vnTERUNIT_StopMover(s, 0);
      }
    } else {
      Die(self);
    }
    if (s->model) vnTERUNIT_ApplyAnimation(task, s->model, s);
    vnTERUNIT_DamageVoice(s, damage);
  }
  if (!HitState(s)) PutAwayHeavyWeapon(s);
}

void Engagement(VNINFANTRY* self, uint32_t mode) {
  VNTERUNIT* s = &self->soldier;
  if (Dying(s) || mode > VNTERUNIT_ENGAGE_CHARGE) return;
  const uint32_t old = s->engagementMode & VNTERUNIT_ENGAGE_MASK;
  if (mode == old) {
    vnTERUNIT_RestoreAnimSpeed(s);
    return;
  }
  if (Possessed(s) || Held(s)) return;
  vnTERUNIT_RestoreAnimSpeed(s);
  SPW_DOBJECT* model = s->model;
  VNMOVER_RECORD* move = s->unit->pMove;
  if (move) move->fMaxSpeed /= kModeSpeed[old];
  if (old == VNTERUNIT_ENGAGE_CHARGE) vnTERUNIT_StopMover(s, 0);
  s->engagementMode = (s->engagementMode & ~VNTERUNIT_ENGAGE_MASK) | mode;
  s->lowerState = VN_TERUNIT_LOWER_IDLE;
  s->wanderPoint = nullptr;
  s->visibility = mode == VNTERUNIT_ENGAGE_STEALTH ? 0.5f : 1.0f;
  if (move) move->fMaxSpeed *= kModeSpeed[mode];
  if (mode == VNTERUNIT_ENGAGE_CHARGE) {
    s->lowerState = s->upperState = VN_TERUNIT_LOWER_CELEBRATE;
    s->upperLocked = s->lowerLocked = 0;
    if (model) vnTERUNIT_ApplyAnimation(nullptr, model, s);
  }
}

// Hidden: fades to 0.17 and cannot be seen; shown: back to what its attackers and engagement
// mode make it.
void Stealth(VNINFANTRY* self, bool on) {
  VNTERUNIT* s = &self->soldier;
  s->stateFlags |= VNTERUNIT_SF_FADING;
  if (s->model) s->model->fFlags |= SPW_DOBJ_OWN_COLOUR;
  if (on) {
    s->fadeTarget = kStealthFade;
    s->stateFlags |= VNTERUNIT_SF_HIDDEN;
    s->visibility = 0.0f;
    ShadowOn(self, false);
    return;
  }
  s->stateFlags &= ~VNTERUNIT_SF_HIDDEN;
  s->fadeTarget = (s->stateFlags & VNTERUNIT_SF_ATTACKERS) ? kAttackedFade : 1.0f;
  s->visibility =
      (s->engagementMode & VNTERUNIT_ENGAGE_MASK) == VNTERUNIT_ENGAGE_STEALTH ? 0.5f : 1.0f;
  ShadowOn(self, true);
}

void Hold(VNINFANTRY* self, SGE_PARAM what) {
  VNTERUNIT* s = &self->soldier;
  if (Dying(s) || (s->stateFlags & VNTERUNIT_SF_AIRBORNE)) return;
  vnTERUNIT_LeaveTurret(self);
  vnTERUNIT_RestoreAnimSpeed(s);
  if (what == VNTERUNIT_HOLD) {
    ++self->holdCount;
    s->stateFlags |= VNTERUNIT_SF_HELD;
    s->treating = 0;
    vnTERUNIT_SetIdle(s);
    if (vnORDER_Current(s->unit)) vnORDER_Pop(s->unit);
  } else if (what == VNTERUNIT_RELEASE && self->holdCount > 0) {
    if (--self->holdCount == 0) s->stateFlags &= ~VNTERUNIT_SF_HELD;
  }
}

// At most VNTERUNIT_MAX_WAYPOINTS points are kept, and the count says how many.
void SetWaypoints(VNTERUNIT* s, SGE_PARAM count, const SPW_VECTOR* points) {
  const int32_t n = static_cast<int32_t>(
      std::clamp<SGE_PARAM>(count, 0, points ? VNTERUNIT_MAX_WAYPOINTS : 0));
  for (int32_t i = 0; i < n; ++i) s->waypoints[i] = points[i];
  s->waypointCount = static_cast<uint32_t>(n);
}

int32_t HasAnim(const VNTERUNIT* s, SGE_PARAM slot) {
  if (slot < 0 || slot >= VNTERUNIT_SET_SLOTS) return 0;
  return vnTERUNIT_HasAnim(s, static_cast<int32_t>(slot));
}

// A combat booster heals a share of the maximum health, never past it.
void Boost(VNTERUNIT* s, int32_t type) {
  const VNUNIT_ATTR* row = vnUNITATTR_LoadedRow(type);
  const float maximum = vnTERUNIT_BaseValue(s, VNTERUNIT_BASE_HEALTH);
  if (!row || maximum <= 0.0f) return;
  const float share = vnUNITATTR_Float(*row, VN_ATTR_SPEED) * 0.01f;
  const float health = std::min(Health(s->unit) + share * maximum, maximum);
  vnUNIT_SetAttrFloat(s->unit, VN_ATTR_HEALTH, health);
  vnTERUNIT_ClearLowArmour(s);
}

// A carried item of the type, which the soldier may take as its primary weapon.
VNUNIT* GiveItem(VNTERUNIT* s, int32_t type) {
  VNUNIT* unit = s->unit;
  VNUNIT_CREATE create{};
  create.nType = type;
  create.dwPlayer = unit->dwPlayer;
  create.pTargetList = &unit->aChildren[VNUNIT_CHILD_WEAPONS];
  create.pParent = unit;
  create.nBinding = 1;
  create.vDir = {0.0f, 1.0f, 0.0f};
  VNUNIT* item = vnUNITMAN_CreateUnit(&create, nullptr);
  if (!item) return nullptr;
  if (vnWEAPON_ClaimPrimary(s, type, static_cast<int32_t>(item->dwId)))
    vnTERUNIT_SelectItem(s, static_cast<int32_t>(item->dwId), 0);
  vnTERUNIT_RefillWeapon(unit->pController, s, type);
  vnTERUNIT_ReloadHeldWeapon(unit, type);
  return item;
}

// Whether the ground mover lets the other mover pass through the soldier: 1 for a friend that
// gives way no less than the soldier, or while the soldier mans a gun; a held soldier lets
// everyone through.
SGE_RESULT IgnoresMover(const VNTERUNIT* s, const VNMOVER_RECORD* other) {
  if (s->stateFlags & VNTERUNIT_SF_HELD) return 1;
  SGE_TASK* controller = other && other->pOwner ? other->pOwner->pParent : nullptr;
  const VNUNIT* otherUnit =
      controller ? SGE_Ask<VNUNIT>(controller, SGM_UNIT_GET_UNIT, 0, 0) : nullptr;
  const VNPLAYER* player =
      SGE_Ask<VNPLAYER>(vnUNITMAN_GetTask(), SGM_UNITMAN_PLAYER_BY_ID, s->unit->dwPlayer, 0);
  if (!otherUnit || !player || !(otherUnit->dwPlayer & player->dwAllyMask)) return 0;
  if (vnUNIT_AttrFloat(otherUnit, VN_ATTR_STUN_RESISTANCE) <=
      vnUNIT_AttrFloat(s->unit, VN_ATTR_STUN_RESISTANCE))
    return 1;
  return s->upperState == VN_TERUNIT_UPPER_TURRETFIRE ? 1 : 0;
}

// Messages that this class answers itself, without the common handler.
bool Answers(VNINFANTRY* self, SGE_TASK* task, int32_t msg, SGE_PARAM p1, SGE_PARAM p2,
             SGE_RESULT* answer) {
  VNTERUNIT* s = &self->soldier;
  switch (msg) {
    case SGM_UNIT_GET_UNIT:
      *answer = SGE_PtrResult(s->unit);
      return true;
    case SGM_UNIT_GET_OBJECT:
      *answer = SGE_PtrResult(vnTERUNIT_GetModel(s->unit));
      return true;
    case SGM_UNIT_IS_INVULNERABLE:
      *answer = Held(s) || (s->modeFlags & VNTERUNIT_MF_IMMUNE) ? 1 : 0;
      return true;
    case SGM_UNIT_IS_DEAD:
      *answer = Dying(s) ? 1 : 0;
      return true;
    case SGM_UNIT_GET_LOCATOR: {
      auto* out = SGE_ParamPtr<SPW_VECTOR>(p1);
      if (out && s->unit) *out = {s->unit->vPos.x, s->unit->vPos.y, s->unit->vPos.z + 1.0f};
      *answer = 1;
      return true;
    }
    case SGM_UNIT_GET_CLASS:
      *answer = 1;
      return true;
    case SGM_UNIT_GET_SCALE:
      *answer = SGE_PtrResult(&s->visibility);
      return true;
    case SGM_UNIT_FRAME_POSITION:
      *answer = SGE_PtrResult(vnTERUNIT_StepPosition(s));
      return true;
    case SGM_MOVER_IGNORE_MOVER:
      if (Dying(s)) {
        *answer = 1;
        return true;
      }
      if (s->turretId >= 1) return false;
      *answer = IgnoresMover(s, SGE_ParamPtr<const VNMOVER_RECORD>(p2));
      return true;
    case SGM_MOVER_RUN_REQUEST:
      if (s->turretId >= 1) return false;
      *answer = vnINFANTRY_RunRequest(self, SGE_ParamPtr<VNMOVER_REQUEST>(p1));
      return true;
    case SGM_MOVER_IGNORE_OBSTACLE:
      *answer = Dying(s) || Held(s) ? 1 : 0;
      return true;
    case SGM_INFANTRY_HAS_ANIM:
      *answer = HasAnim(s, p1);
      return true;
    case SGM_INFANTRY_VICTIM_MODEL:
      *answer = vnINFANTRY_ShowVictim(self);
      return true;
    case SGM_INFANTRY_VICTIM_ANIM:
      *answer = vnINFANTRY_PlayVictim(self, p1, p2);
      return true;
    case SGM_INFANTRY_GIVE_ITEM:
      *answer = SGE_PtrResult(GiveItem(s, static_cast<int32_t>(p1)));
      return true;
    case SGM_INFANTRY_TECH_ITEM:
      if (Dying(s) || Possessed(s)) return false;
      if (p1 == VN_UNIT_TYPE_TECH_COMBAT_BOOSTER_1 || p1 == VN_UNIT_TYPE_TECH_COMBAT_BOOSTER_2) {
        Boost(s, static_cast<int32_t>(p1));
        *answer = 0;
        return true;
      }
      return false;
    default:
      (void)task;
      return false;
  }
}

// Messages this class acts on before the common handler answers them.
void ActsOn(VNINFANTRY* self, SGE_TASK* task, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  VNTERUNIT* s = &self->soldier;
  switch (msg) {
    case SGM_UNIT_DAMAGED:
      Damaged(self, task, SGE_ParamPtr<VNDAMAGE>(p2));
      break;
    case SGM_UNIT_FRAME_EXTRA:
      s->model = SGE_Ask<SPW_DOBJECT>(task, SGM_UNIT_GET_OBJECT, 0, 0);
      if (s->model) vnTERUNIT_PlaceModel(s, s->model);
      if (s->model && s->lowerState != VN_TERUNIT_LOWER_DEAD)
        vnTERUNIT_ApplyAnimation(task, s->model, s);
      vnTERUNIT_UpdateFade(s, s->model);
      break;
    case SGM_INFANTRY_ATTACH:
      vnTERUNIT_AttachUnit(self, static_cast<int32_t>(p1));
      break;
    case SGM_UNIT_TAKE_WEAPON:
      vnINFANTRY_TakeItem(self, static_cast<int32_t>(p1), p2);
      break;
    case SGM_INFANTRY_PLACE:
      vnINFANTRY_PlaceScripted(self, SGE_ParamPtr<const uint32_t>(p1));
      break;
    case SGM_UNIT_UPDATE:
      vnINFANTRY_Frame(self, task, p1, p2);
      break;
    case SGM_UNIT_GET_FACING:
      if (auto* out = SGE_ParamPtr<SPW_VECTOR>(p1))
        *out = s->unit->pMove ? s->unit->pMove->vHeading : SPW_VECTOR{0.0f, 1.0f, 0.0f};
      break;
    case SGM_UNIT_SET_POSITION_FACING:
      if (!Dying(s)) {
        s->wanderPoint = nullptr;
        vnTERUNIT_SendMover(s, SGM_MOVER_SET_POSITION, p1, p2);
      }
      break;
    case SGM_TERUNIT_ORDER_ATTACK_UNIT:
    case SGM_TERUNIT_ORDER_ATTACK_POINT:
      if (!vnTERUNIT_RefusesOrders(s)) vnTERUNIT_LeaveTurret(self);
      break;
    case SGM_TERUNIT_ADD_ATTACKER_ID:
      if (p2) vnTERUNIT_AddAttacker(s, static_cast<int32_t>(p2));
      break;
    case SGM_INFANTRY_STEALTH:
      Stealth(self, p2 ? !(s->stateFlags & VNTERUNIT_SF_HIDDEN) : p1 != 0);
      break;
    case SGM_INFANTRY_KEEP_HEIGHT:
      s->modeFlags |= VNTERUNIT_MF_KEEP_HEIGHT;
      break;
    case SGM_INFANTRY_FREE_HEIGHT:
      s->modeFlags &= ~VNTERUNIT_MF_KEEP_HEIGHT;
      break;
    case SGM_INFANTRY_ENGAGEMENT:
      Engagement(self, static_cast<uint32_t>(p1));
      break;
    case SGM_INFANTRY_SET_WAYPOINTS:
      SetWaypoints(s, p1, SGE_ParamPtr<const SPW_VECTOR>(p2));
      break;
    case SGM_TERUNIT_HOLD:
      Hold(self, p1);
      break;
    case SGM_INFANTRY_TURRET:
      if (vnTERUNIT_CanManTurret(s->unit->nType) && !vnTERUNIT_RefusesOrders(s))
        vnINFANTRY_ManTurret(self, static_cast<uint32_t>(p1), static_cast<int32_t>(p2));
      break;
    case SGM_TWINGUN_GET_OFF:
      vnINFANTRY_GetOffTurret(self, SGE_ParamPtr<const SPW_VECTOR>(p1));
      break;
    case SGM_TWINGUN_GET_ON:
      vnINFANTRY_GetOnTurret(self, SGE_ParamPtr<const SPW_VECTOR>(p1), static_cast<int32_t>(p2));
      break;
    case SGM_INFANTRY_SHADOW:
      ShadowOn(self, p1 != 0);
      break;
    case SGM_INFANTRY_BREATH:
      if (p1)
        s->stateFlags |= VNTERUNIT_SF_BREATH_PUFFS;
      else
        s->stateFlags &= ~VNTERUNIT_SF_BREATH_PUFFS;
      break;
    case SGM_INFANTRY_SHADOW_SWITCH:
      ShadowOn(self, p2 ? !self->shadow : p1 != 0);
      break;
    case SGM_TASK_DESTROY:
      Destroy(self);
      break;
    default:
      break;
  }
}

}  // namespace

SGE_RESULT vnTERUNIT_InfantryHandler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                                     SGE_PARAM p2) {
  auto* self = SGE_TaskData<VNINFANTRY>(task);
  if (!self) return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
  if (msg == SGM_TASK_CREATE) {
    const auto* create = SGE_ParamPtr<const VNUNIT_CREATE>(p2);
    Create(self, task, SGE_ParamPtr<VNUNIT>(p1), create);
  } else if (self->soldier.unit) {
    SGE_RESULT answer = 0;
    if (Answers(self, task, msg, p1, p2, &answer)) return answer;
    if ((answer = vnINFANTRY_Order(self, msg, p1, p2)) >= 0) return answer;
    ActsOn(self, task, msg, p1, p2);
  }
  return vnTERUNIT_CommonHandler(task, data, msg, p1, p2);
}
