// The weapon's side of its contract with the holder: rounds, the fire check and the model.
#include <cstdio>

#include "effects/weapon.h"
#include "engine/dobject/dobject.h"
#include "engine/math/vecops.h"
#include "engine/object/object.h"
#include "platform/random.h"
#include "platform/trace.h"
#include "platform/window/msgbox.h"
#include "world/combat/combat.h"
#include "world/unitman/unitman.h"
#include "world/unittype/unittype.h"

namespace {

// Variant 3 ("h4"): the guns of the double weapon.
constexpr int32_t kDoubleGunVariant = 8;
// The accuracy roll: a shot misses when accuracy + this is below a roll of 1 to 100.
constexpr int32_t kAccuracyMargin = 40;
constexpr int32_t kRollSides = 100;

SGE_DLLNODE* Rounds(const VNUNIT* weapon) {
  return const_cast<SGE_DLLNODE*>(&weapon->aChildren[VNUNIT_CHILD_ITEMS]);
}

// The holder's first item, in list order, that the weapon accepts and that has rounds left.
VNUNIT* StockItem(const VNUNIT* weapon) {
  return vnWEAPON_AcceptedItem(vnWEAPON_GetHolder(weapon), weapon->nType, 1);
}

void SendCredit(VNUNIT* holder, VNWEAPON_CREDIT* credit) {
  if (holder && holder->pController)
    SGE_Send(holder->pController, SGM_WEAPON_CREDIT_KILL, SGE_PtrParam(credit), 0);
}

}  // namespace

VNUNIT* vnWEAPON_GetHolder(const VNUNIT* weapon) {
  VNUNIT* holder = weapon ? weapon->pParent : nullptr;
  if (holder && holder->nType == VN_UNIT_TYPE_WEAPON_CLASS1DOUBLE) holder = holder->pParent;
  return holder;
}

VNUNIT* vnWEAPON_FirstRound(const VNUNIT* weapon) {
  return weapon ? SGE_ListFirstRecord<VNUNIT>(Rounds(weapon)) : nullptr;
}

int32_t vnWEAPON_HasRoundLoaded(const VNUNIT* weapon) { return vnWEAPON_FirstRound(weapon) != nullptr; }

VNUNIT* vnWEAPON_LoadRound(VNUNIT* weapon) {
  if (!weapon || vnWEAPON_HasRoundLoaded(weapon)) return nullptr;
  VNUNIT* item = StockItem(weapon);
  if (!item) return nullptr;
  VNUNIT_CREATE create{};
  create.nType = item->nType;
  create.dwPlayer = vnWEAPON_GetHolder(weapon)->dwPlayer;
  create.pTargetList = Rounds(weapon);
  create.pParent = weapon;
  create.nBinding = 1;
  VNUNIT* round = vnUNITMAN_CreateUnit(&create, nullptr);
  if (round) vnUNIT_SetAttrInt(item, VNAMMO_ATTR_COUNT, vnUNIT_AttrInt(item, VNAMMO_ATTR_COUNT) - 1);
  return round;
}

int32_t vnWEAPON_HasAmmo(const VNUNIT* weapon) {
  return weapon && (vnWEAPON_HasRoundLoaded(weapon) || StockItem(weapon));
}

int32_t vnWEAPON_EnsureLoaded(VNUNIT* weapon) {
  if (vnWEAPON_HasRoundLoaded(weapon)) return 1;
  return weapon && weapon->pController &&
         SGE_Send(weapon->pController, SGM_WEAPON_LOAD_ROUND, 0, 0) != 0;
}

void vnWEAPON_UseRound(VNUNIT* weapon) {
  VNUNIT* round = vnWEAPON_FirstRound(weapon);
  if (!round) return;
  const float left = vnUNIT_AttrFloat(round, VNAMMO_ATTR_AMOUNT) +
                     vnUNIT_AttrFloat(weapon, VNWEAPON_ATTR_SHOT_CHARGE);
  vnUNIT_SetAttrFloat(round, VNAMMO_ATTR_AMOUNT, left);
  if (left > 0.0f) return;
  SGE_ListUnlink(&round->link);
  vnUNITMAN_DestroyUnit(round);
  vnWEAPON_EnsureLoaded(weapon);
}

int32_t vnWEAPON_CheckFire(float distance, const SPW_VECTOR* direction, VNUNIT* weapon,
                           int32_t* outRoundType, VNUNIT** outRound, const SPW_VECTOR* muzzle,
                           const SPW_VECTOR* axis, SPW_VECTOR* outBlock, VNUNIT* target,
                           float checkValue, float threshold, float coneCosine, float minRange,
                           float accuracy, VNUNIT* creditTo) {
  if (!weapon || !direction || !muzzle || !axis) return VNWEAPON_CANNOT_FIRE;
  int32_t reasons = 0;
  if (distance > vnUNIT_AttrFloat(weapon, VN_ATTR_RANGE)) reasons |= VNWEAPON_OUT_OF_RANGE;
  if (distance < minRange) reasons |= VNWEAPON_TOO_CLOSE;
  VNUNIT* round = vnWEAPON_FirstRound(weapon);
  if (!round && weapon->pController) {
    SGE_Send(weapon->pController, SGM_WEAPON_LOAD_ROUND, 0, 0);
    round = vnWEAPON_FirstRound(weapon);
  }
  if (outRound) *outRound = round;
  if (!round)
    reasons |= VNWEAPON_NO_AMMO;
  else if (outRoundType)
    *outRoundType = round->nType;
  if (SPW_VDot(*direction, *axis) < coneCosine) reasons |= VNWEAPON_OFF_AIM;
  if (checkValue < threshold) reasons |= VNWEAPON_NOT_READY;
  if (!vnCOMBAT_TestLineOfFire(direction, &distance, muzzle, outBlock, target, weapon))
    reasons |= VNWEAPON_BLOCKED;
  VNWEAPON_CREDIT credit{};
  const int32_t roll = PLAT_Rand() % kRollSides + 1;
  if (static_cast<int32_t>(accuracy) + kAccuracyMargin < roll) {
    reasons |= VNWEAPON_MISSED;
    credit.nMisses = 1;
  } else {
    credit.nHits = 1;
  }
  if (creditTo && (reasons == 0 || reasons == VNWEAPON_MISSED)) SendCredit(creditTo, &credit);
  return reasons;
}

int32_t vnWEAPON_LoadModel(const VNUNIT* weapon, int32_t hand, const SPW_DOBJECT* holderObject) {
  const VNUNIT* holder = vnWEAPON_GetHolder(weapon);
  if (!weapon || !holder) return -1;
  const bool gun = hand == VNWEAPON_HAND_LEFT || hand == VNWEAPON_HAND_RIGHT;
  const int32_t shared = vnUNITTYPE_SharedFlags(holder->nType, weapon->nType);
  if (!shared) {
    char text[160];
    std::snprintf(text, sizeof text, "This unit [%s] cannot hold this weapon [%s].",
                  vnUNITMAN_GetTypeInfo(holder->nType)->pszName,
                  vnUNITMAN_GetTypeInfo(weapon->nType)->pszName);
    PLAT_MessageBox(nullptr, text, "Unit/Weapon Combination Error", PLAT_MsgBoxButtons::Ok,
                    PLAT_MsgBoxIcon::Error);
  }
  const int32_t variants = gun ? kDoubleGunVariant : shared;
  const char* side = hand == VNWEAPON_HAND_LEFT ? "L" : hand == VNWEAPON_HAND_RIGHT ? "R" : "";
  const char* file = vnUNITMAN_BuildPowName(weapon->nType, variants, "m", side);
  const float scale = holderObject ? holderObject->t.fScale : 1.0f;
  int32_t slot = SPW_NO_OBJECT_TYPE;
  if (!SPW_LoadObject(file, nullptr, &slot, scale)) {
    PLAT_Trace("TERRANWEAPONS: no weapon model %s\n", file);
    return -1;
  }
  return slot;
}
