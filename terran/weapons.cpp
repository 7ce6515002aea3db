// Which weapon a soldier takes as its primary.
#include "terran/weapons.h"

#include "terran/terunit.h"
#include "world/unittype/unittype.h"

int32_t vnWEAPON_IsSpecial(int32_t t) {
  return t == VN_UNIT_TYPE_WEAPON_MINE || t == VN_UNIT_TYPE_WEAPON_REVOLVER ||
                 t == VN_UNIT_TYPE_WEAPON_MICROROCKETS || t == VN_UNIT_TYPE_WEAPON_ENGSHOCK
             ? 1
             : 0;
}

int32_t vnWEAPON_ClaimPrimary(VNTERUNIT* record, int32_t weaponType, int32_t weaponId) {
  if (record->doubleWeaponId >= 0) return 0;
  if (vnWEAPON_IsSpecial(weaponType)) return weaponType == VN_UNIT_TYPE_WEAPON_REVOLVER ? 1 : 0;
  record->doubleWeaponId = weaponId;
  return 1;
}
