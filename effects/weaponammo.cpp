// What a weapon takes and what its holder carries for it: accepted ammunition, the holder's
// items and the amounts they hold.
#include <limits>

#include "effects/weapon.h"
#include "world/unitman/unitman.h"
#include "world/unittype/unittype.h"

namespace {

const SGE_DLLNODE* AmmoItems(const VNUNIT* unit) { return &unit->aChildren[VNUNIT_CHILD_ITEMS]; }

// The unit's first item of the type whose count is at least the rounds given.
VNUNIT* ItemWith(const VNUNIT* unit, int32_t ammoType, int32_t minRounds) {
  if (!unit) return nullptr;
  for (VNUNIT* item : SGE_ListRecords<VNUNIT>(AmmoItems(unit)))
    if (item->nType == ammoType && vnUNIT_AttrInt(item, VNAMMO_ATTR_COUNT) >= minRounds) return item;
  return nullptr;
}

float RoundAmount(const VNUNIT* round) {
  return round ? vnUNIT_AttrFloat(round, VNAMMO_ATTR_AMOUNT) : 0.0f;
}

}  // namespace

int32_t vnWEAPON_Accepts(int32_t weaponType, int32_t ammoType) {
  const VNUNIT_ATTR* row = vnUNITATTR_LoadedRow(weaponType);
  if (!row) return 0;
  for (const VNUNIT_LINKNODE* node : SGE_ListRecords<VNUNIT_LINKNODE>(&row->linked))
    if (static_cast<const VNUNIT_ATTR*>(node->pData)->nType == ammoType) return 1;
  return 0;
}

VNUNIT* vnWEAPON_AcceptedItem(const VNUNIT* unit, int32_t weaponType, int32_t minRounds) {
  if (!unit) return nullptr;
  for (VNUNIT* item : SGE_ListRecords<VNUNIT>(AmmoItems(unit)))
    if (vnUNIT_AttrInt(item, VNAMMO_ATTR_COUNT) >= minRounds && vnWEAPON_Accepts(weaponType, item->nType))
      return item;
  return nullptr;
}

VNUNIT* vnWEAPON_FindAmmoItem(const VNUNIT* unit, int32_t ammoType) {
  return ItemWith(unit, ammoType, std::numeric_limits<int32_t>::min());
}

int32_t vnWEAPON_HasMicroRockets(const VNUNIT* unit) {
  return vnWEAPON_AcceptedItem(unit, VN_UNIT_TYPE_WEAPON_MICROROCKETS, 1) ? 1 : 0;
}

float vnWEAPON_AmmoAmount(const VNUNIT* unit, const VNUNIT* weapon, int32_t ammoType) {
  float amount = weapon ? RoundAmount(vnWEAPON_FirstRound(weapon)) : 0.0f;
  if (const VNUNIT* item = ItemWith(unit, ammoType, 0))
    amount += static_cast<float>(vnUNIT_AttrInt(item, VNAMMO_ATTR_COUNT)) *
              vnUNIT_AttrFloat(item, VNAMMO_ATTR_AMOUNT);
  return amount;
}
