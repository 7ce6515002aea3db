// The soldier common handler: the protocol every soldier class hands its messages to. A message
// is either answered here, or acted on and passed on to the kernel's default handler, whose
// answer is then the handler's.
#include "terran/handler.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "effects/weapon.h"
#include "engine/dobject/dobject.h"
#include "engine/memory/memblock.h"
#include "platform/trace.h"
#include "interface/hud/uniticon.h"
#include "shell/sound/sound.h"
#include "terran/behave.h"
#include "terran/handler_internal.h"
#include "terran/movement.h"
#include "terran/orders.h"
#include "terran/terunit.h"
#include "terran/update.h"
#include "world/fobj/poptarget.h"
#include "world/mover/mover.h"
#include "world/unittype/attributes.h"

namespace {

// What the protocol does with a message.
struct REPLY {
  bool answered;
  SGE_RESULT value;
};
constexpr REPLY kPassOn{false, 0};
REPLY Answer(SGE_RESULT value) { return {true, value}; }

// SGM_TERUNIT_CAN_JUMP_TO answers.
constexpr SGE_RESULT kJumpGo = 0;
constexpr SGE_RESULT kJumpRefused = 1;
constexpr SGE_RESULT kJumpTooFar = 2;

// Where SGM_TERUNIT_SET_BASE_ATTRIBUTES writes each of its words in the unit's attribute values.
constexpr int32_t kBaseAttributeValues[VNTERUNIT_BASE_ATTRIBUTES] = {
    VN_ATTR_IMPULSE, 11, VN_ATTR_RANGE, VN_ATTR_HEALTH, VN_ATTR_SPEED, 16, VN_ATTR_ARMOUR};

VNUNIT* Unit(const VNTERUNIT* s) { return s->unit; }

void OnDestroy(VNTERUNIT* s) {
  if (s->lineChannel >= 0) vnSOUND_StopChannel(s->lineChannel);
  s->lineChannel = -1;
  vnTERUNIT_SendSelf(s, SGM_TERUNIT_REMOVE_ICON);
  vnTERUNIT_ClearPatients(s);
  if (s->woundedAnims) SGE_MemFree(s->woundedAnims);
  s->woundedAnims = nullptr;
}

// The list holds VNTERUNIT_MAX_IDS; a longer list keeps its first ids, and the count says how
// many were kept.
void SetIdList(VNTERUNIT* s, const int32_t* ids, SGE_PARAM count) {
  const auto n = static_cast<int32_t>(std::clamp<SGE_PARAM>(count, 0, VNTERUNIT_MAX_IDS));
  if (n != count)
    PLAT_Trace("[TERUNIT] unit %u: id list of %ld ids, %d kept\n", s->unit->dwId,
               static_cast<long>(count), n);
  std::copy_n(ids, n, s->idList);
  s->idCount = n;
}

SGE_RESULT RemoveAttacker(VNTERUNIT* s) {
  s->attackers = std::max(s->attackers - 1, 0);
  return s->attackers;
}

bool FastOrCharging(const VNTERUNIT* s) {
  const uint32_t mode = s->engagementMode & VNTERUNIT_ENGAGE_MASK;
  return mode == VNTERUNIT_ENGAGE_FAST || mode == VNTERUNIT_ENGAGE_CHARGE;
}

// What the soldier was doing on its own stops for an order.
void DropOwnAction(VNTERUNIT* s) {
  s->wanderPoint = nullptr;
  s->upperLocked = 0;
  s->lowerLocked = 0;
  s->treating = 0;
  s->wasHit = 0;
}

void OrderAttackUnit(VNTERUNIT* s, SGE_PARAM targetId) {
  if (vnTERUNIT_RefusesOrders(s)) return;
  if (FastOrCharging(s)) vnTERUNIT_RestoreAnimSpeed(s);
  VNORDER order = vnTERUNIT_MakeOrder(VNTERUNIT_ORDER_STAND);
  order.anWord[VNTERUNIT_ORDER_WORD_TARGET] = static_cast<int32_t>(targetId);
  vnTERUNIT_ReplaceOrders(Unit(s), &order);
  s->modeFlags |= VNTERUNIT_MF_ATTACK_UNIT;
  DropOwnAction(s);
  vnTERUNIT_StopMover(s, 0);
}

// The words arrive as the values they carry; speed is given in km/h and kept in m/s.
void SetBaseAttributes(VNTERUNIT* s, const int32_t* words) {
  std::copy_n(words, VNTERUNIT_BASE_ATTRIBUTES, s->baseAttributes);
  VNUNIT* unit = Unit(s);
  for (int32_t i = 0; i < VNTERUNIT_BASE_ATTRIBUTES; ++i)
    vnUNIT_SetAttrInt(unit, kBaseAttributeValues[i], words[i]);
  const float speed = vnTERUNIT_KmhToMs(vnTERUNIT_BaseValue(s, VNTERUNIT_BASE_SPEED));
  vnUNIT_SetAttrFloat(unit, VN_ATTR_SPEED, speed);
  if (unit->pMove) unit->pMove->fMaxSpeed = speed;
}

SGE_RESULT AttackTarget(VNTERUNIT* s) {
  if (!(s->modeFlags & VNTERUNIT_MF_ATTACK_UNIT)) return 0;
  const VNORDER* order = vnORDER_FindById(Unit(s), VNTERUNIT_ORDER_STAND);
  return order ? order->anWord[VNTERUNIT_ORDER_WORD_TARGET] : 0;
}

void SetAnimSpeed(VNTERUNIT* s, const float* speed) {
  vnTERUNIT_RestoreAnimSpeed(s);
  VNMOVER_RECORD* move = Unit(s)->pMove;
  if (!speed || !move) return;
  s->savedAnimSpeed = move->fMaxSpeed;
  move->fMaxSpeed = *speed;
}

// A wait goes behind an order that must finish first: a repair under way, a jump, a possession.
bool WaitGoesBehind(VNTERUNIT* s) {
  const VNORDER* current = vnORDER_Current(Unit(s));
  const bool repairing = vnTERUNIT_OrderKind(current) == VNTERUNIT_ORDER_REPAIR &&
                         current->anWord[VNTERUNIT_ORDER_WORD_STARTED] == 1;
  return repairing || vnTERUNIT_IsBouncing(s) || s->lowerState == VN_TERUNIT_LOWER_POSSESSED;
}

void OrderWait(VNTERUNIT* s, SGE_PARAM flag, SGE_PARAM seconds) {
  if (!flag && !seconds) {
    vnTERUNIT_RemoveOrders(Unit(s), VNTERUNIT_ORDER_WAIT);
    return;
  }
  if (vnTERUNIT_IsDying(s)) return;
  vnTERUNIT_RemoveOrders(Unit(s), VNTERUNIT_ORDER_WAIT);
  s->upperLocked = 0;
  s->lowerLocked = 0;
  s->wasHit = 0;
  s->wanderPoint = nullptr;
  s->idlePeriods = 2;
  vnTERUNIT_StopMover(s, 0);
  vnTERUNIT_QueueWait(Unit(s), seconds ? 1 : 0, static_cast<float>(seconds),
                      WaitGoesBehind(s) ? 1 : 0);
}

SGE_RESULT CanJumpTo(const VNTERUNIT* s, const float* distance) {
  if (!vnTERUNIT_CanJumpTo(Unit(s)->nType, nullptr)) return kJumpRefused;
  return distance && s->jumpEnergy >= *distance ? kJumpGo : kJumpTooFar;
}

SGE_RESULT GetOrder(VNTERUNIT* s, int32_t* out) {
  if (!out || SGE_ListIsEmpty(&Unit(s)->orders)) return 0;
  std::memcpy(out, vnORDER_Current(Unit(s))->anWord, sizeof(VNORDER::anWord));
  return 1;
}

void Grabbed(VNTERUNIT* s, SGE_PARAM carrierId) {
  if (s->stateFlags & VNTERUNIT_SF_TURRET) return;
  s->targetId = static_cast<int32_t>(carrierId);
  s->stateFlags |= VNTERUNIT_SF_GRABBED;
}

void Released(VNTERUNIT* s) {
  s->targetId = 0;
  s->stateFlags &= ~VNTERUNIT_SF_GRABBED;
}

void SetModeFlag(VNTERUNIT* s, uint32_t flag, bool on) {
  if (on)
    s->modeFlags |= flag;
  else
    s->modeFlags &= ~flag;
}

void SoundFinished(VNTERUNIT* s, SGE_PARAM channel) {
  if (channel == s->lineChannel) s->lineChannel = -1;
}

// A dormant soldier counts as out of its region.
void SetDormant(VNTERUNIT* s, SGE_PARAM dormant) {
  s->scripted = static_cast<int32_t>(dormant);
  VNUNIT* unit = Unit(s);
  const bool was = (unit->dwFlags & VNUNIT_F_NEVER_SIGHTED) != 0;
  if ((dormant != 0) == was) return;
  vnTERUNIT_CountInRegion(s, dormant ? 0 : 1);
  if (dormant)
    unit->dwFlags |= VNUNIT_F_NEVER_SIGHTED;
  else
    unit->dwFlags &= ~VNUNIT_F_NEVER_SIGHTED;
}

// A hidden soldier's model is neither drawn nor animated, and its unit skips its extra frame step.
void SetVisible(VNTERUNIT* s, SGE_TASK* task, SGE_PARAM visible) {
  auto* model = SGE_Ask<SPW_DOBJECT>(task, SGM_UNIT_GET_OBJECT, 0, 0);
  if (!model) return;
  constexpr uint32_t kHiddenModel = SPW_DOBJ_HIDDEN | SPW_DOBJ_NOT_ANIMATED;
  if (visible) {
    model->fFlags &= ~kHiddenModel;
    Unit(s)->dwFlags |= VNUNIT_F_FRAME_EXTRA;
  } else {
    model->fFlags |= kHiddenModel;
    Unit(s)->dwFlags &= ~VNUNIT_F_FRAME_EXTRA;
  }
  // A hidden soldier's body is off the ground paths.
  vnUNIT_SetObjectFlag08(Unit(s), visible ? 1 : 0);
  vnUNIT_SetObjectFlag10(Unit(s), visible ? 1 : 0);
}

REPLY Protocol(VNTERUNIT* s, SGE_TASK* task, int32_t msg, SGE_PARAM a, SGE_PARAM b) {
  switch (msg) {
    case SGM_TASK_DESTROY: OnDestroy(s); return kPassOn;
    case SGM_TERUNIT_IS_OFF_GROUND:
      return Answer(vnTERUNIT_IsBouncing(s) || (s->stateFlags & VNTERUNIT_SF_AIRBORNE) ? 1 : 0);
    case SGM_TERUNIT_SET_PROFILE_ID: s->profileId = static_cast<int32_t>(a); return kPassOn;
    case SGM_TERUNIT_SET_NAME:
      s->nameWords[0] = static_cast<int32_t>(a);
      s->nameWords[1] = static_cast<int32_t>(b);
      return kPassOn;
    case SGM_TERUNIT_SET_TAG: s->tag = static_cast<int32_t>(a); return kPassOn;
    case SGM_TERUNIT_SET_DORMANT_ACTIVITY: s->dormantActivity = SGE_ParamPtr<void>(a); return kPassOn;
    case SGM_TERUNIT_SET_ID_LIST:
      if (a) SetIdList(s, SGE_ParamPtr<const int32_t>(a), b);
      return kPassOn;
    case SGM_TERUNIT_GET_ATTACKERS: return Answer(s->attackers);
    case SGM_TERUNIT_ADD_ATTACKER: return Answer(++s->attackers);
    case SGM_TERUNIT_REMOVE_ATTACKER: return Answer(RemoveAttacker(s));
    case SGM_TERUNIT_ORDER_ATTACK_UNIT: OrderAttackUnit(s, a); return kPassOn;
    case SGM_TERUNIT_SET_BASE_ATTRIBUTES:
      if (a) SetBaseAttributes(s, SGE_ParamPtr<const int32_t>(a));
      return kPassOn;
    case SGM_TERUNIT_GET_BASE_ATTRIBUTES: return Answer(SGE_PtrResult(s->baseAttributes));
    case SGM_TERUNIT_GET_MODE_BITS: return Answer(s->modeFlags & 3);
    case SGM_TERUNIT_SET_FLAG8: s->modeFlags |= VNTERUNIT_MF_SUIT_AMMO; return kPassOn;
    case SGM_TERUNIT_SET_FLAG10: SetModeFlag(s, VNTERUNIT_MF_EXTERNAL, a != 0); return kPassOn;
    case SGM_TERUNIT_GET_ATTACK_TARGET: return Answer(AttackTarget(s));
    case SGM_TERUNIT_SET_ANIM_SPEED: SetAnimSpeed(s, SGE_ParamPtr<const float>(a)); return kPassOn;
    case SGM_UNIT_GET_SIDE: return Answer(s->engagementMode & VNTERUNIT_ENGAGE_MASK);
    case SGM_TERUNIT_ORDER_WAIT: OrderWait(s, a, b); return kPassOn;
    case SGM_TERUNIT_CAN_JUMP_TO: return Answer(CanJumpTo(s, SGE_ParamPtr<const float>(a)));
    case SGM_TERUNIT_GET_INSTANCE: return Answer(SGE_PtrResult(s));
    case SGM_TERUNIT_IS_POSSESSED: return Answer(s->lowerState == VN_TERUNIT_LOWER_POSSESSED);
    case SGM_TERUNIT_GRABBED: Grabbed(s, a); return kPassOn;
    case SGM_TERUNIT_RELEASED: Released(s); return kPassOn;
    case SGM_TERUNIT_GET_FLAG20: return Answer((s->stateFlags >> 5) & 1);
    case SGM_TERUNIT_SET_FLAGS: s->stateFlags |= static_cast<uint32_t>(a); return kPassOn;
    case SGM_TERUNIT_SET_FLAGS_IF:
      if (b) s->stateFlags |= static_cast<uint32_t>(a);
      return kPassOn;
    case SGM_TERUNIT_GET_ORDER: return Answer(GetOrder(s, SGE_ParamPtr<int32_t>(a)));
    case SGM_TERUNIT_SET_FLAG10000: SetModeFlag(s, VNTERUNIT_MF_IMMUNE, a == 1); return kPassOn;
    case SGM_SOUND_FINISHED: SoundFinished(s, a); return kPassOn;
    case SGM_TERUNIT_PULL_ROPE:
      if (a) return kPassOn;
      return Answer(vnTERUNIT_PullRope(s, SGE_ParamPtr<const SPW_VECTOR>(b)));
    case SGM_TERUNIT_SHOW_WOUNDED: return Answer(vnTERUNIT_ShowWounded(s, a ? 1 : 0));
    case SGM_TERUNIT_GET_WOUNDED_OBJECT: return Answer(SGE_PtrResult(vnTERUNIT_GetWoundedObject(s)));
    case SGM_TERUNIT_RELAX: vnTERUNIT_Relax(s); return kPassOn;
    case SGM_TERUNIT_SET_DORMANT: SetDormant(s, a); return kPassOn;
    case SGM_TERUNIT_SET_VISIBLE: SetVisible(s, task, a); return kPassOn;
    case SGM_WEAPON_CREDIT_KILL:
      if (a) vnTERUNIT_CreditKill(s, SGE_ParamPtr<const int32_t>(a), b);
      return kPassOn;
    case SGM_TERUNIT_GET_TOTALS: return Answer(SGE_PtrResult(s->totals));
    case SGM_UNIT_ADD_AMMO: return Answer(SGE_PtrResult(vnTERUNIT_AddAmmo(s, static_cast<int32_t>(a))));
    case SGM_TERUNIT_USE_AMMO: vnTERUNIT_UseAmmo(s, static_cast<int32_t>(a), b); return kPassOn;
    case SGM_TERUNIT_ADD_EQUIPMENT:
      return Answer(SGE_PtrResult(vnTERUNIT_AddEquipment(s, static_cast<int32_t>(a))));
    case SGM_TERUNIT_GET_LOADOUT: return Answer(vnTERUNIT_GetLoadout(s, SGE_ParamPtr<int32_t>(a)));
    case SGM_TERUNIT_ORDER_ATTACK_POINT:
      vnTERUNIT_OrderAttackPoint(s, SGE_ParamPtr<const SPW_VECTOR>(a), b);
      return kPassOn;
    case SGM_TERUNIT_CALL_AIRSTRIKE: vnTERUNIT_CallAirstrike(s, a); return kPassOn;
    case SGM_TERUNIT_VOICE_EVENT: vnTERUNIT_VoiceEvent(s, a, b); return kPassOn;
    case SGM_TERUNIT_PUSH: vnTERUNIT_Push(s, SGE_ParamPtr<const SPW_VECTOR>(a), b); return kPassOn;
    case SGM_TERUNIT_REMOVE_ICON: vnUnitIcon_Remove(Unit(s)->dwId); return kPassOn;
    case SGM_TERUNIT_JOIN_PLATOON: vnTERUNIT_JoinPlatoon(s); return kPassOn;
    case SGM_TERUNIT_QUERY_AMMO: return Answer(SGE_PtrResult(vnTERUNIT_QueryAmmo(s, a, b)));
    case SGM_WEAPON_AMMO_NEEDED: return Answer(vnTERUNIT_AmmoNeeded(s, static_cast<int32_t>(a)));
    case SGM_TERUNIT_RESUPPLY: vnTERUNIT_Resupply(s); return kPassOn;
    case SGM_TERUNIT_SET_FADE: vnTERUNIT_SetFade(s, SGE_ParamPtr<const float>(a), b); return kPassOn;
    default: return kPassOn;
  }
}

}  // namespace

SGE_RESULT vnTERUNIT_CommonHandler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM a,
                                   SGE_PARAM b) {
  VNTERUNIT* s = SGE_TaskData<VNTERUNIT>(task);
  const REPLY reply = s && s->unit ? Protocol(s, task, msg, a, b) : kPassOn;
  return reply.answered ? reply.value : SGE_DefaultTaskHandler(task, data, msg, a, b);
}
