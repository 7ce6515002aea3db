// Which weapon a soldier takes as its primary, the rounds it may carry, and the ammunition
// report of its weapons.
#include "terran/weapons.h"

#include "effects/weapon.h"
#include "frontend/platman.h"
#include "terran/behave.h"
#include "terran/movement.h"
#include "terran/terunit.h"
#include "world/unitman/unitman.h"
#include "world/unittype/unittype.h"

namespace {

// Rounds carried per suit class when the weapon's row gives none.
constexpr int32_t kRoundsPerClass = 5;
// Ammunition the engineer's mines and the launch suits' micro rockets come in.
constexpr int32_t kMineAmmo = VN_UNIT_TYPE_AMMO_MINE_0;
constexpr int32_t kMicroRocketAmmo = VN_UNIT_TYPE_AMMO_MICRO_ROCKET_PACK;

const SGE_DLLNODE* Weapons(const VNUNIT* unit) { return &unit->aChildren[VNTERUNIT_WEAPON_LIST]; }

const VNUNIT_ATTR* PlatoonRow(int32_t type) {
  const VNUNIT_ATTR* rows = vnPLATMAN_GetAttributes();
  return rows && type >= 0 && type < VN_UNIT_TYPE_COUNT ? &rows[type] : nullptr;
}

VNUNIT* HeldOfType(const VNUNIT* unit, int32_t type) {
  for (VNUNIT* weapon : SGE_ListRecords<VNUNIT>(Weapons(unit)))
    if (weapon->nType == type) return weapon;
  return nullptr;
}

bool IsZrSoldier(int32_t type) {
  return type == VN_UNIT_TYPE_TERRAN_ZR_0 || type == VN_UNIT_TYPE_TERRAN_ZR_0_FEM;
}

float Fraction(const VNTERUNIT* s, const VNUNIT* weapon) {
  return weapon ? vnWEAPON_AmmoFraction(s, weapon) : 0.0f;
}

float ShockToolCharge(const VNUNIT* unit) {
  float charge = 0.0f;
  if (const VNUNIT* tool = vnWEAPON_FindShockTool(unit))
    vnTERUNIT_SendUnit(tool, SGM_WEAPON_GET_CHARGE, SGE_PtrParam(&charge));
  return charge;
}

// The primary (the weapon claimed as doubleWeaponId) and the secondary wanted, in list order.
void FindPair(const VNTERUNIT* s, int32_t wanted, VNUNIT** primary, VNUNIT** secondary,
              uint32_t* flags) {
  bool first = true;
  for (VNUNIT* weapon : SGE_ListRecords<VNUNIT>(Weapons(s->unit))) {
    if (first && weapon->nType == VN_UNIT_TYPE_WEAPON_REVOLVER) *flags |= VNWEAPON_QUERY_REVOLVER_FIRST;
    first = false;
    if (!*primary && static_cast<int32_t>(weapon->dwId) == s->doubleWeaponId) {
      *primary = weapon;
      continue;
    }
    if (*secondary) continue;
    const bool fits = wanted != -1 ? weapon->nType == wanted : !vnWEAPON_IsSpecial(weapon->nType);
    if (!fits) continue;
    *secondary = weapon;
    if (!*primary) *flags |= VNWEAPON_QUERY_SECONDARY_FIRST;
  }
}

}  // namespace

int32_t vnWEAPON_IsSpecial(int32_t t) {
  return t == VN_UNIT_TYPE_WEAPON_MINE || t == VN_UNIT_TYPE_WEAPON_REVOLVER ||
                 t == VN_UNIT_TYPE_WEAPON_MICROROCKETS || t == VN_UNIT_TYPE_WEAPON_ENGSHOCK
             ? 1
             : 0;
}

int32_t vnTERUNIT_IsLaunchSuit(int32_t type) {
  return type >= VN_UNIT_TYPE_SUIT_BRAKKAR_0 && type <= VN_UNIT_TYPE_SUIT_BRAKKAR_1_FEM ? 1 : 0;
}

int32_t vnWEAPON_ClaimPrimary(VNTERUNIT* record, int32_t weaponType, int32_t weaponId) {
  if (record->doubleWeaponId >= 0) return 0;
  if (vnWEAPON_IsSpecial(weaponType)) return weaponType == VN_UNIT_TYPE_WEAPON_REVOLVER ? 1 : 0;
  record->doubleWeaponId = weaponId;
  return 1;
}

int32_t vnWEAPON_HeldType(const VNUNIT* weapon) {
  if (weapon->nType != VN_UNIT_TYPE_WEAPON_CLASS1DOUBLE) return weapon->nType;
  return static_cast<int32_t>(vnTERUNIT_SendUnit(weapon, SGM_WEAPON_INNER_TYPE));
}

int32_t vnWEAPON_DoubleInnerType(const VNUNIT* unit) {
  const VNUNIT* pair = unit ? HeldOfType(unit, VN_UNIT_TYPE_WEAPON_CLASS1DOUBLE) : nullptr;
  return pair ? vnWEAPON_HeldType(pair) : 0;
}

int32_t vnWEAPON_RoundCapacity(const VNTERUNIT* record, int32_t weaponType, int32_t soldierType) {
  const int32_t tier = vnTERUNIT_GetSuitTier(soldierType);
  const bool suited = tier == VNTERUNIT_TIER_BASIC || tier == VNTERUNIT_TIER_ADVANCED ||
                      (record && (record->modeFlags & VNTERUNIT_MF_SUIT_AMMO));
  if (weaponType == VN_UNIT_TYPE_WEAPON_CLASS1DOUBLE)
    weaponType = vnWEAPON_DoubleInnerType(record ? record->unit : nullptr);
  const VNUNIT_ATTR* row = PlatoonRow(weaponType);
  const int32_t rounds =
      row ? vnUNITATTR_Int(*row, suited ? VNWEAPON_ATTR_SUIT_CAPACITY : VNWEAPON_ATTR_CAPACITY) : 0;
  return rounds > 0 ? rounds : (suited ? 2 : 1) * kRoundsPerClass;
}

float vnWEAPON_AmmoFraction(const VNTERUNIT* record, const VNUNIT* weapon) {
  const VNUNIT* item = vnWEAPON_AcceptedItem(record->unit, weapon->nType, 0);
  if (!item) return 0.0f;
  const float held = vnWEAPON_AmmoAmount(record->unit, weapon, item->nType);
  const VNUNIT_ATTR* ammoRow = PlatoonRow(item->nType);
  const float full =
      static_cast<float>(vnWEAPON_RoundCapacity(record, weapon->nType, record->unit->nType)) *
      (ammoRow ? vnUNITATTR_Float(*ammoRow, VNAMMO_ATTR_AMOUNT) : 0.0f);
  return full > 0.0f ? held / full : held;
}

int32_t vnWEAPON_CurrentHasAmmo(const VNUNIT* unit) {
  const VNUNIT* current = unit ? vnTERUNIT_CurrentItem(unit) : nullptr;
  return current && vnTERUNIT_SendUnit(current, SGM_WEAPON_HAS_AMMO) != 0 ? 1 : 0;
}

int32_t vnWEAPON_AmmoQuery(const VNTERUNIT* s, VNWEAPON_AMMOQUERY* q) {
  const VNUNIT* unit = s->unit;
  const int32_t type = unit->nType;
  VNUNIT* primary = nullptr;
  VNUNIT* secondary = nullptr;
  q->dwFlags = 0;
  FindPair(s, q->nSecondaryType, &primary, &secondary, &q->dwFlags);
  if (primary && primary->nType == VN_UNIT_TYPE_WEAPON_CLASS1DOUBLE) {
    VNUNIT* pair = primary;
    primary = SGE_Ask<VNUNIT>(pair->pController, SGM_WEAPON_FIRST_GUN, 0, 0);
    secondary = SGE_Ask<VNUNIT>(pair->pController, SGM_WEAPON_SECOND_GUN, 0, 0);
  }
  q->nPrimaryType = primary ? primary->nType : -1;
  q->nSecondaryType = secondary ? secondary->nType : -1;
  q->fPrimary = Fraction(s, primary);
  q->fSecondary = Fraction(s, secondary);
  q->fJump = vnTERUNIT_JumpFraction(s->jumpEnergy, vnTERUNIT_GetSuitTier(type));
  q->fDome = vnTERUNIT_HasDome(type) ? s->domeCharge : -1.0f;
  q->fShockTool = -1.0f;
  q->fMines = q->fMicroRockets = 0.0f;
  if (vnTERUNIT_IsLaunchSuit(type) && vnWEAPON_HasMicroRockets(unit)) {
    q->dwFlags |= VNWEAPON_QUERY_MICRO_ROCKETS;
    q->fMicroRockets = vnWEAPON_AmmoAmount(unit, nullptr, kMicroRocketAmmo);
  }
  if (vnTERUNIT_IsEngineer(type)) {
    q->fShockTool = ShockToolCharge(unit);
    q->fMines = vnWEAPON_AmmoAmount(unit, HeldOfType(unit, VN_UNIT_TYPE_WEAPON_MINE), kMineAmmo);
  }
  if (IsZrSoldier(type) && s->turretId != -1) q->dwFlags |= VNWEAPON_QUERY_TURRET;
  return 1;
}
