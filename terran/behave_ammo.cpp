// The soldier's rounds: counting them, refilling a weapon's stock, reloading a held weapon, and
// whether the heavy weapon in hand should make way.
#include "effects/weapon.h"
#include "terran/behave.h"
#include "terran/terunit.h"
#include "terran/weapons.h"
#include "world/unitman/unitman.h"
#include "world/unittype/unittype.h"

namespace {

const SGE_DLLNODE* Weapons(const VNUNIT* unit) { return &unit->aChildren[VNTERUNIT_WEAPON_LIST]; }

bool SkippedForChange(int32_t type) {
  return type == VN_UNIT_TYPE_WEAPON_MINE || type == VN_UNIT_TYPE_WEAPON_REVOLVER ||
         type == VN_UNIT_TYPE_WEAPON_ENGSHOCK;
}

}  // namespace

int32_t vnTERUNIT_CountRounds(const VNTERUNIT* s, int32_t weaponType) {
  const int32_t ammoType = vnUNITMAN_GetLinkedType(weaponType);
  const VNUNIT* item = ammoType >= 0 ? vnWEAPON_FindAmmoItem(s->unit, ammoType) : nullptr;
  const int32_t rounds = item ? vnUNIT_AttrInt(item, VNAMMO_ATTR_COUNT) : 0;
  return rounds > 0 ? rounds : 0;
}

void vnTERUNIT_RefillWeapon(SGE_TASK* controller, const VNTERUNIT* s, int32_t weaponType) {
  if (!controller) return;
  const int32_t rounds = vnWEAPON_RoundCapacity(s, weaponType, s->unit->nType);
  if (weaponType == VN_UNIT_TYPE_WEAPON_CLASS1DOUBLE) weaponType = vnWEAPON_DoubleInnerType(s->unit);
  vnUNIT_AddAmmo(controller, weaponType, rounds);
}

void vnTERUNIT_ReloadHeldWeapon(const VNUNIT* unit, int32_t weaponType) {
  for (const VNUNIT* weapon : SGE_ListRecords<VNUNIT>(Weapons(unit))) {
    if (weapon->nType != weaponType) continue;
    if (!vnWEAPON_HasRoundLoaded(weapon)) vnTERUNIT_SendUnit(weapon, SGM_WEAPON_LOAD_ROUND, 1);
    return;
  }
}

int32_t vnTERUNIT_NeedsWeaponChange(const VNTERUNIT* s) {
  const bool stowed = (s->modeFlags & VNTERUNIT_MF_WEAPON_STOWED) != 0;
  for (const VNUNIT* weapon : SGE_ListRecords<VNUNIT>(Weapons(s->unit))) {
    const int32_t type = vnWEAPON_HeldType(weapon);
    if (SkippedForChange(type)) continue;
    if (vnTERUNIT_IsGrenadeOrMissile(type)) {
      const bool loaded = vnTERUNIT_SendUnit(weapon, SGM_WEAPON_HAS_AMMO) != 0;
      return loaded && stowed && s->readyItemId == static_cast<int32_t>(weapon->dwId) ? 0 : 1;
    }
    if (!stowed) return 0;
  }
  return 0;
}
