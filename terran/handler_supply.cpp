// The soldier's supplies through its protocol: the ammunition report, the rounds it still needs,
// resupply back to its creation state, and the fade level set from outside.
#include <algorithm>
#include <vector>

#include "effects/weapon.h"
#include "engine/dobject/dobject.h"
#include "frontend/platman.h"
#include "missions/control/misscont.h"
#include "missions/control/rzone.h"
#include "terran/behave.h"
#include "terran/handler.h"
#include "terran/handler_internal.h"
#include "terran/terunit.h"
#include "terran/weapons.h"
#include "world/bstar/search.h"
#include "world/mover/mover.h"
#include "world/unittype/attributes.h"
#include "world/unittype/unittype.h"

namespace {

// The answer of SGM_TERUNIT_QUERY_AMMO: valid until the next one.
VNWEAPON_AMMOQUERY g_ammoQuery;

// A model's own material value at full strength, as a new object has it.
constexpr float kFullMaterial = 255.0f;

const SGE_DLLNODE* Weapons(const VNTERUNIT* s) { return &s->unit->aChildren[VNTERUNIT_WEAPON_LIST]; }

std::vector<int32_t> HeldTypes(const VNTERUNIT* s) {
  std::vector<int32_t> types;
  for (const VNUNIT* weapon : SGE_ListRecords<VNUNIT>(Weapons(s))) types.push_back(weapon->nType);
  return types;
}

// The capacity of another held weapon that takes the same ammunition, 0 when none.
int32_t SharedCapacity(const VNTERUNIT* s, int32_t weaponType) {
  const int32_t ammo = vnUNITMAN_GetLinkedType(weaponType);
  if (ammo < 0) return 0;
  for (const VNUNIT* weapon : SGE_ListRecords<VNUNIT>(Weapons(s))) {
    const int32_t type = vnWEAPON_HeldType(weapon);
    if (type != weaponType && vnUNITMAN_GetLinkedType(type) == ammo)
      return vnWEAPON_RoundCapacity(s, weapon->nType, s->unit->nType);
  }
  return 0;
}

// A soldier left with nothing but a revolver takes up its platoon soldier's kit again: the
// weapons its type comes with into his record, his tech items sent to itself.
void Rearm(VNTERUNIT* s) {
  const VNPLATOON* platoon = vnMISSCONT_GetPlatoon();
  VNPLATOON_UNIT* soldier =
      platoon ? vnPLATMAN_FindStrikeTeamUnit(platoon, static_cast<int32_t>(s->unit->dwId)) : nullptr;
  if (!soldier) return;
  const VNUNIT_TYPE* info = vnUNITMAN_GetTypeInfo(vnPLATMAN_GetUnitType(soldier));
  const VNUNIT_ATTR* rows = vnPLATMAN_GetAttributes();
  int32_t slot = 0;
  for (int32_t i = 0; info && rows && i < VN_UNIT_TYPE_LINKS && slot < VNPLATOON_WEAPONS; ++i) {
    const int32_t linked = info->anLinked[i];
    if (linked < 0 || linked >= VN_UNIT_TYPE_COUNT) continue;
    vnPLATMAN_EquipItem(soldier, &rows[linked], slot++);
  }
  for (int32_t item : soldier->anEquipment)
    if (item != VNPLATOON_NONE) vnTERUNIT_SendSelf(s, SGM_TERUNIT_TAKE_ITEM, item);
}

void ScaleMaterial(SPW_DOBJECT* object, float level) {
  const float v = level * kFullMaterial;
  object->colourB = {v, v, v, v};
  object->fFlags |= SPW_DOBJ_OWN_COLOUR;
}

}  // namespace

VNWEAPON_AMMOQUERY* vnTERUNIT_QueryAmmo(const VNTERUNIT* s, SGE_PARAM a, SGE_PARAM b) {
  g_ammoQuery = {};
  g_ammoQuery.nPrimaryType = static_cast<int32_t>(a);
  g_ammoQuery.nSecondaryType = static_cast<int32_t>(b);
  vnWEAPON_AmmoQuery(s, &g_ammoQuery);
  return &g_ammoQuery;
}

int32_t vnTERUNIT_AmmoNeeded(const VNTERUNIT* s, int32_t weaponType) {
  int32_t capacity = vnWEAPON_RoundCapacity(s, weaponType, s->unit->nType);
  const int32_t held = vnTERUNIT_CountRounds(s, weaponType);
  // Two guns share the stock: each needs half of what is missing for both.
  const bool paired = vnWEAPON_DoubleInnerType(s->unit) == weaponType;
  if (paired)
    capacity *= 2;
  else
    capacity += SharedCapacity(s, weaponType);
  const int32_t need = capacity > held ? capacity - held : 0;
  return paired ? need / 2 : need;
}

void vnTERUNIT_CountInRegion(const VNTERUNIT* s, int32_t entering) {
  VNUNIT* unit = s->unit;
  VNMOVER_PLANNER* planner = vnMOVER_GetPathPlanner();
  const BSTAR_Node* region = planner ? BSTAR_FindNodeAtPoint(planner->pNetwork, &unit->vPos) : nullptr;
  vnMISSCONT_CountRZoneUnits(region, unit, entering);
}

void vnTERUNIT_Resupply(VNTERUNIT* s) {
  VNUNIT* unit = s->unit;
  vnUNIT_SetAttrFloat(unit, VN_ATTR_HEALTH, vnTERUNIT_BaseValue(s, VNTERUNIT_BASE_HEALTH));
  vnUNIT_SetAttrFloat(unit, VN_ATTR_ARMOUR, vnTERUNIT_BaseValue(s, VNTERUNIT_BASE_ARMOUR));
  vnTERUNIT_SendSelf(s, SGM_TERUNIT_USE_AMMO, 0, 1);
  // Refilling can change the current weapon, which reorders the list: walk a copy.
  const std::vector<int32_t> held = HeldTypes(s);
  for (int32_t type : held) vnTERUNIT_RefillWeapon(unit->pController, s, type);
  const bool onlyRevolvers = std::all_of(held.begin(), held.end(), [](int32_t type) {
    return type == VN_UNIT_TYPE_WEAPON_REVOLVER;
  });
  if (onlyRevolvers) Rearm(s);
  vnTERUNIT_Reset(s);
  vnTERUNIT_CountInRegion(s, 1);
}

void vnTERUNIT_SetFade(VNTERUNIT* s, const float* level, SGE_PARAM wounded) {
  if (!level) return;
  const float k = *level > 0.0f ? std::min(*level, 1.0f) : 0.0f;
  if (s->model) s->model->colourB.a = k * kFullMaterial;
  const VNUNIT* weapon = vnTERUNIT_CurrentItem(s->unit);
  if (SPW_DOBJECT* object = weapon ? vnUNIT_FirstObject(weapon) : nullptr) ScaleMaterial(object, k);
  if (wounded != 1) return;
  if (SPW_DOBJECT* object = vnTERUNIT_GetWoundedObject(s)) ScaleMaterial(object, k);
}
