// Which weapon a soldier holds: taking one up, the next one with rounds, the fallback, and the
// weapon classes the other routines ask about.
#include "effects/weapon.h"
#include "interface/hud/refresh.h"
#include "terran/behave.h"
#include "terran/handler.h"
#include "terran/terunit.h"
#include "world/unittype/unittype.h"

namespace {

constexpr uint32_t kRevolverLine = 0x400;  // voice event: down to the revolver

SGE_DLLNODE* Weapons(VNUNIT* unit) { return &unit->aChildren[VNTERUNIT_WEAPON_LIST]; }

bool Between(int32_t type, int32_t first, int32_t last) { return type >= first && type <= last; }


// Weapons a soldier carries beside its main one.
bool IsSecondary(int32_t type) {
  return type == VN_UNIT_TYPE_WEAPON_MINE || type == VN_UNIT_TYPE_WEAPON_REVOLVER ||
         type == VN_UNIT_TYPE_WEAPON_ENGSHOCK;
}

// Makes the weapon current: the old one is put away, the new one taken out and put first.
void TakeUp(VNTERUNIT* s, VNUNIT* weapon) {
  VNUNIT* old = vnTERUNIT_CurrentItem(s->unit);
  if (old == weapon) return;
  if (old) vnTERUNIT_SendUnit(old, SGM_WEAPON_DETACH);
  vnTERUNIT_SendUnit(weapon, SGM_WEAPON_ATTACH, VNWEAPON_HAND_SINGLE);
  SGE_ListUnlink(&weapon->link);
  SGE_ListAddHead(Weapons(s->unit), &weapon->link);
  vnTERUNIT_SelectHoldSet(s);
  s->upperState = VN_TERUNIT_UPPER_CHANGEWEAPON;
  s->upperLocked = 0;
  vnHUD_Refresh();
}

}  // namespace

int32_t vnTERUNIT_IsGrenadeOrMissile(int32_t type) {
  return Between(type, VN_UNIT_TYPE_WEAPON_GRENADE_0, VN_UNIT_TYPE_WEAPON_GRENADE_1) ||
                 Between(type, VN_UNIT_TYPE_WEAPON_MISSILE_0, VN_UNIT_TYPE_WEAPON_NUKEMISSILE_1)
             ? 1
             : 0;
}

int32_t vnTERUNIT_IsCaptureWeapon(int32_t type) {
  return Between(type, VN_UNIT_TYPE_WEAPON_SPECIMENCAPTURE_0, VN_UNIT_TYPE_WEAPON_SPECIMENCAPTURE_1)
             ? 1
             : 0;
}

VNUNIT* vnTERUNIT_SelectItem(VNTERUNIT* s, int32_t key, int32_t mode) {
  const bool tier1 = vnTERUNIT_IsTier1Suit(s->unit->nType) != 0;
  for (VNUNIT* item : SGE_ListRecords<VNUNIT>(Weapons(s->unit))) {
    const int32_t value = mode == 1 ? item->nType : static_cast<int32_t>(item->dwId);
    if (value != key) continue;
    if (mode == 1 && tier1 && !vnWEAPON_UnitCanUse(s->unit->nType, 0, item->nType)) continue;
    TakeUp(s, item);
    return item;
  }
  return nullptr;
}

VNUNIT* vnTERUNIT_NextUsableWeapon(VNTERUNIT* s) {
  VNUNIT* current = vnTERUNIT_CurrentItem(s->unit);
  VNUNIT* revolver = nullptr;
  for (VNUNIT* item : SGE_ListRecords<VNUNIT>(Weapons(s->unit))) {
    if (item == current) continue;
    if (item->nType == VN_UNIT_TYPE_WEAPON_REVOLVER && !revolver) revolver = item;
    if (item->nType == VN_UNIT_TYPE_WEAPON_SNIPER || !vnWEAPON_HasAmmo(item)) continue;
    TakeUp(s, item);
    return item;
  }
  if (revolver) {
    vnTERUNIT_SendSelf(s, SGM_TERUNIT_VOICE_EVENT, kRevolverLine, 0);
    TakeUp(s, revolver);
  }
  return nullptr;
}

int32_t vnTERUNIT_HoldsHeavyWeapon(const VNUNIT* unit) {
  const VNUNIT* weapon = vnTERUNIT_CurrentItem(unit);
  if (!weapon) return 1;
  const int32_t t = weapon->nType;
  return vnTERUNIT_IsGrenadeOrMissile(t) || vnTERUNIT_IsCaptureWeapon(t) || t == VN_UNIT_TYPE_WEAPON_SNIPER ? 1 : 0;
}

int32_t vnTERUNIT_HoldsCaptureWeapon(const VNUNIT* unit) {
  const VNUNIT* weapon = vnTERUNIT_CurrentItem(unit);
  return !weapon || vnTERUNIT_IsCaptureWeapon(weapon->nType) ? 1 : 0;
}

VNUNIT* vnTERUNIT_SelectFallbackWeapon(VNTERUNIT* s) {
  VNUNIT* revolver = nullptr;
  for (VNUNIT* item : SGE_ListRecords<VNUNIT>(Weapons(s->unit))) {
    const int32_t t = item->nType;
    if (t == VN_UNIT_TYPE_WEAPON_REVOLVER && !revolver) revolver = item;
    if (vnTERUNIT_IsGrenadeOrMissile(t) || vnTERUNIT_IsCaptureWeapon(t) || t == VN_UNIT_TYPE_WEAPON_SNIPER || IsSecondary(t))
      continue;
    if (!vnWEAPON_HasAmmo(item)) continue;
    TakeUp(s, item);
    return item;
  }
  if (revolver) TakeUp(s, revolver);
  return revolver;
}

void vnTERUNIT_SelectEngineerTool(VNTERUNIT* s) {
  if (!vnTERUNIT_IsEngineer(s->unit->nType)) return;
  const VNUNIT* current = vnTERUNIT_CurrentItem(s->unit);
  if (current && current->nType == VN_UNIT_TYPE_WEAPON_ENGSHOCK) return;
  vnTERUNIT_SelectItem(s, VN_UNIT_TYPE_WEAPON_ENGSHOCK, 1);
}

void vnTERUNIT_RaiseAlert(VNTERUNIT* s) {
  if ((s->engagementMode & VNTERUNIT_ENGAGE_MASK) == VNTERUNIT_ENGAGE_STEALTH)
    vnTERUNIT_SendSelf(s, SGM_TERUNIT_ALERT, 1);
}

VNUNIT* vnTERUNIT_SelectWeaponFor(VNTERUNIT* s, int32_t purpose, int32_t) {
  // Purpose 8: a thrown or launched weapon with rounds.
  if (purpose != VNTERUNIT_PURPOSE_LAUNCHED) return nullptr;
  for (VNUNIT* item : SGE_ListRecords<VNUNIT>(Weapons(s->unit))) {
    const int32_t t = item->nType;
    const bool launched = Between(t, VN_UNIT_TYPE_WEAPON_FLAME_0, VN_UNIT_TYPE_WEAPON_GRENADE_1) ||
                          Between(t, VN_UNIT_TYPE_WEAPON_MISSILE_0, VN_UNIT_TYPE_WEAPON_NUKEMISSILE_1);
    if (!launched || !vnWEAPON_HasAmmo(item)) continue;
    TakeUp(s, item);
    return item;
  }
  return nullptr;
}
