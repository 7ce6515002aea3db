// The soldier's kit and its records: kill credit and statistics, ammunition and equipment items,
// the loadout, the attack-point order, the airstrike call, the voice events and pushes.
#include <algorithm>

#include "effects/weapon.h"
#include "interface/hud/uniticon.h"
#include "platform/random.h"
#include "terran/behave.h"
#include "terran/handler.h"
#include "terran/handler_internal.h"
#include "terran/orders.h"
#include "terran/weapons.h"
#include "world/combat/combat.h"
#include "world/mover/mover.h"
#include "world/unittype/unittype.h"

namespace {

constexpr int32_t kTotalKills = 4, kTotalPoints = 5;
constexpr uint32_t kKillEvent = 0x40;
// The soldier speaks even while dying when this event is pending.
constexpr uint32_t kDyingEvent = 0x10;
// Items of the loadout record: two weapons, then two equipment items.
constexpr int32_t kLoadoutWeapons = 2, kLoadoutItems = 2;
// A push's pull on the soldier.
constexpr float kPushDivisor = 5.0f, kPushAmount = 1.0f;
// Four attack-point orders in five are acknowledged with the footstep and state sounds.
constexpr int32_t kAcknowledgeOneIn = 5;
constexpr int32_t kAcknowledgeSound = 2;

SGE_DLLNODE* List(const VNTERUNIT* s, VNUNIT_CHILDLIST list) { return &s->unit->aChildren[list]; }

// An item unit of the type in one of the soldier's lists; null when it cannot be made.
VNUNIT* MakeItem(const VNTERUNIT* s, int32_t type, VNUNIT_CHILDLIST list) {
  VNUNIT_CREATE c{};
  c.nType = type;
  c.dwPlayer = s->unit->dwPlayer;
  c.vPos = s->unit->vPos;
  c.pTargetList = List(s, list);
  c.pParent = s->unit;
  c.nBinding = 1;
  c.vDir = {0.0f, 1.0f, 0.0f};
  return vnUNITMAN_CreateUnit(&c, nullptr);
}

}  // namespace

void vnTERUNIT_CreditKill(VNTERUNIT* s, const int32_t* words, SGE_PARAM quiet) {
  for (int32_t i = 0; i < VNTERUNIT_TOTALS; ++i) s->totals[i] += words[i];
  vnUNIT_AddToTotal(s->unit, words[kTotalPoints]);
  if (!quiet && words[kTotalKills]) vnTERUNIT_SendSelf(s, SGM_TERUNIT_VOICE_EVENT, kKillEvent, 0);
}

int32_t vnTERUNIT_AmmoPerPickUp(int32_t type) {
  return vnTERUNIT_IsTier0Suit(type) && !vnTERUNIT_IsEngineer(type) ? 2 : 1;
}

VNUNIT* vnTERUNIT_AddAmmo(VNTERUNIT* s, int32_t ammoType) {
  const int32_t amount = vnTERUNIT_AmmoPerPickUp(s->unit->nType);
  VNUNIT* item = vnWEAPON_FindAmmoItem(s->unit, ammoType);
  if (item) {
    vnUNIT_SetAttrInt(item, VNAMMO_ATTR_COUNT, vnUNIT_AttrInt(item, VNAMMO_ATTR_COUNT) + amount);
  } else {
    item = MakeItem(s, ammoType, VNTERUNIT_AMMO_LIST);
    if (!item) return nullptr;
    vnUNIT_SetAttrInt(item, VNAMMO_ATTR_COUNT, amount);
  }
  for (VNUNIT* weapon : SGE_ListRecords<VNUNIT>(List(s, VNTERUNIT_WEAPON_LIST)))
    if (!vnWEAPON_HasRoundLoaded(weapon)) vnTERUNIT_SendUnit(weapon, SGM_WEAPON_LOAD_ROUND, 1);
  const VNUNIT* current = vnTERUNIT_CurrentItem(s->unit);
  if (current && current->nType == VN_UNIT_TYPE_WEAPON_REVOLVER) vnTERUNIT_NextUsableWeapon(s);
  return item;
}

void vnTERUNIT_UseAmmo(VNTERUNIT* s, int32_t ammoType, SGE_PARAM all) {
  for (VNUNIT* item : SGE_ListRecords<VNUNIT>(List(s, VNTERUNIT_AMMO_LIST))) {
    const int32_t count = vnUNIT_AttrInt(item, VNAMMO_ATTR_COUNT);
    if (all)
      vnUNIT_SetAttrInt(item, VNAMMO_ATTR_COUNT, 0);
    else if (item->nType == ammoType && count > 0)
      vnUNIT_SetAttrInt(item, VNAMMO_ATTR_COUNT, count - 1);
  }
}

VNUNIT* vnTERUNIT_AddEquipment(VNTERUNIT* s, int32_t type) {
  return MakeItem(s, type, VNTERUNIT_EQUIPMENT_LIST);
}

int32_t vnTERUNIT_GetLoadout(const VNTERUNIT* s, int32_t* out) {
  if (!out) return 0;
  int32_t i = 0;
  for (const VNUNIT* weapon : SGE_ListRecords<VNUNIT>(List(s, VNTERUNIT_WEAPON_LIST))) {
    if (i == kLoadoutWeapons) break;
    out[i++] = weapon->nType;
  }
  i = 0;
  for (const VNUNIT* item : SGE_ListRecords<VNUNIT>(List(s, VNTERUNIT_EQUIPMENT_LIST))) {
    if (i == kLoadoutItems) break;
    out[kLoadoutWeapons + i++] = item->nType;
  }
  return 1;
}

void vnTERUNIT_OrderAttackPoint(VNTERUNIT* s, const SPW_VECTOR* point, SGE_PARAM flags) {
  if (vnTERUNIT_RefusesOrders(s) || vnTERUNIT_IsBouncing(s)) return;
  const uint32_t mode = s->engagementMode & VNTERUNIT_ENGAGE_MASK;
  if (mode == VNTERUNIT_ENGAGE_FAST || mode == VNTERUNIT_ENGAGE_CHARGE)
    vnTERUNIT_RestoreAnimSpeed(s);
  if (!point) return;
  if (flags & VNTERUNIT_ATTACKPOINT_ALTERNATE)
    s->modeFlags |= VNTERUNIT_MF_ALT_FIRE;
  else
    s->modeFlags &= ~VNTERUNIT_MF_ALT_FIRE;
  if (flags & VNTERUNIT_ATTACKPOINT_ROCKETS) {
    // Micro-rockets are the launch suits' alone, and only while they carry some.
    if (!vnTERUNIT_IsLaunchSuit(s->unit->nType) || !vnWEAPON_HasMicroRockets(s->unit)) return;
    s->stateFlags |= VNTERUNIT_SF_MICRO_ROCKETS;
  } else {
    s->stateFlags &= ~VNTERUNIT_SF_MICRO_ROCKETS;
    if (!vnTERUNIT_SelectWeaponFor(s, VNTERUNIT_PURPOSE_LAUNCHED, 0)) return;
  }
  VNORDER order = vnTERUNIT_MakeOrder(VNTERUNIT_ORDER_ATTACK_POINT);
  vnTERUNIT_SetOrderPoint(&order, *point);
  vnTERUNIT_ReplaceOrders(s->unit, &order);
  s->wanderPoint = nullptr;
  s->stateFlags &= ~VNTERUNIT_SF_GOAL_BY_FIRE;
  if (PLAT_Rand() % kAcknowledgeOneIn) vnTERUNIT_PlaySteps(s, kAcknowledgeSound);
}

void vnTERUNIT_CallAirstrike(VNTERUNIT* s, SGE_PARAM a) {
  VNUNIT_CREATE c{};
  c.nType = VN_UNIT_TYPE_WEAPON_AIRSTRIKE;
  c.dwPlayer = s->unit->dwPlayer;
  c.vPos = s->unit->vPos;
  c.nBinding = 1;
  c.vDir = {0.0f, 1.0f, 0.0f};
  VNUNIT* strike = vnUNITMAN_CreateUnit(&c, nullptr);
  if (strike)
    vnTERUNIT_SendUnit(strike, SGM_WEAPON_FIRE_AT_POINT, a, static_cast<SGE_PARAM>(s->unit->dwId));
}

void vnTERUNIT_VoiceEvent(VNTERUNIT* s, SGE_PARAM set, SGE_PARAM clear) {
  s->voiceEvents &= ~static_cast<uint32_t>(clear);
  s->voiceEvents |= static_cast<uint32_t>(set);
  if (!(s->voiceEvents & kDyingEvent) && vnTERUNIT_IsDying(s)) return;
  vnTERUNIT_SayEventLine(s);
}

void vnTERUNIT_Push(VNTERUNIT* s, const SPW_VECTOR* push, SGE_PARAM lift) {
  if (!push || (s->stateFlags & VNTERUNIT_SF_TURRET)) return;
  const SPW_VECTOR impulse{push->x, push->y, lift ? push->z : 0.0f};
  const float maximum = s->unit->pMove ? s->unit->pMove->fMaxSpeed : 0.0f;
  vnCOMBAT_ApplyImpulse(&s->ballisticVelocity, &impulse, kPushDivisor, maximum, kPushAmount);
  if (s->airMoveRequest || !s->unit->pMover) return;
  s->airMoveRequest = vnMOVER_QueueRequest(s->unit->pMover, VNMOVER_REQ_VELOCITY,
                                           &s->ballisticVelocity, 0.0f);
  s->stateFlags |= VNTERUNIT_SF_AIRBORNE;
  vnUNIT_SetObjectFlag08(s->unit, 0);
}
