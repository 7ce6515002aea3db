// The dump's resupply pass: which units it serves and what each soldier gets, paid from the
// supply at each ammunition or item type's cost (the type's attribute value 9).
#include <cmath>

#include "frontend/platman.h"
#include "interface/hud/refresh.h"
#include "interface/hud/uniticon.h"
#include "missions/control/misscont.h"
#include "platform/trace.h"
#include "world/ammodump/ammodump.h"
#include "world/unitman/unitman.h"
#include "world/unitman/unitmsg.h"

namespace {

// Soldiers only: not carried items, projectiles, or units out of play.
constexpr uint32_t kNotServed = VNUNIT_F_ITEM | VNUNIT_F_PROJECTILE | VNUNIT_F_OUT_OF_PLAY;
constexpr int32_t kNoAmmo = VN_UNIT_TYPE_COUNT;  // a weapon's answer when it has none

struct TECHSLOT {
  int32_t nEquipment;  // word of the platoon record
  uint32_t dwUsed;     // its used bit in the flag word
  int32_t nSlot;       // the soldier's equipment slot
};
constexpr TECHSLOT kTechSlots[] = {{0, VNPLATOON_UNIT_ITEM1_USED, 2},
                                   {1, VNPLATOON_UNIT_ITEM2_USED, 3}};

int32_t Ask(const VNUNIT* unit, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  return unit && unit->pController ? SGE_Send(unit->pController, msg, p1, p2) : 0;
}

float Cost(int32_t type) {
  const VNUNIT_ATTR* row = vnUNITATTR_LoadedRow(type);
  return row ? vnUNITATTR_Float(*row, VN_ATTR_SUPPLY) : 0.0f;
}

bool IsSoldier(const VNUNIT* u) {
  return (u->dwFlags & VNUNIT_F_SOLDIER) && !(u->dwFlags & kNotServed);
}

bool InReach(const VNUNIT* dump, const VNUNIT* u) {
  const float dx = u->vPos.x - dump->vPos.x, dy = u->vPos.y - dump->vPos.y,
              dz = u->vPos.z - dump->vPos.z;
  const float reach = dump->fRadius + VNAMMODUMP_REACH;
  return dx * dx + dy * dy + dz * dz <= reach * reach;
}

bool Lists(const VNUNIT_ATTR* row, int32_t type) {
  if (!row) return false;
  for (const VNUNIT_LINKNODE* node : SGE_ListRecords<VNUNIT_LINKNODE>(&row->linked)) {
    const auto* linked = static_cast<const VNUNIT_ATTR*>(node->pData);
    if (linked == vnUNITATTR_LoadedRow(type)) return true;
  }
  return false;
}

// A round already loaded, else what the weapon names, else the first item the soldier carries
// that the weapon takes; -1 when none.
int32_t AmmoType(const VNUNIT* soldier, const VNUNIT* weapon) {
  if (const VNUNIT* round = SGE_ListFirstRecord<VNUNIT>(&weapon->aChildren[VNUNIT_CHILD_ITEMS]))
    return round->nType;
  if (weapon->pController) {
    const int32_t named = SGE_Send(weapon->pController, SGM_WEAPON_GET_AMMO_TYPE, 0, 0);
    if (named >= 0 && named < kNoAmmo) return named;
  }
  const VNUNIT_ATTR* row = vnUNITATTR_LoadedRow(weapon->nType);
  for (const VNUNIT* item : SGE_ListRecords<VNUNIT>(&soldier->aChildren[VNUNIT_CHILD_ITEMS]))
    if (Lists(row, item->nType)) return item->nType;
  return -1;
}

// The rounds of the ammunition that the supply pays for, at most what the weapon lacks, go to
// the task; 0 when none, -1 when the weapon refused them.
int32_t Refill(VNAMMODUMP* self, const VNUNIT* soldier, SGE_TASK* to, int32_t weaponType,
               int32_t ammoType) {
  const int32_t lack = Ask(soldier, SGM_WEAPON_AMMO_NEEDED, weaponType, 0);
  const float cost = Cost(ammoType);
  if (lack <= 0 || !(cost > 0.0f)) return 0;
  const float affordable = std::floor(self->fSupply / cost);
  const int32_t n = affordable < static_cast<float>(lack) ? static_cast<int32_t>(affordable) : lack;
  if (n <= 0) return 0;
  if (!vnUNIT_AddAmmo(to, weaponType, n)) return -1;
  vnUnitIcon_Flash(soldier->dwId);
  vnHUD_Refresh();
  self->fSupply -= static_cast<float>(n) * cost;
  return n;
}

// A double weapon is refilled as the weapon it really is, into its first weapon.
int32_t RefillWeapon(VNAMMODUMP* self, const VNUNIT* soldier, VNUNIT* weapon, int32_t ammoType) {
  int32_t type = weapon->nType;
  SGE_TASK* to = weapon->pController;
  if (type == VN_UNIT_TYPE_WEAPON_CLASS1DOUBLE && weapon->pController) {
    type = SGE_Send(weapon->pController, SGM_WEAPON_DOUBLE_TYPE, 0, 0);
    if (VNUNIT* first = SGE_Ask<VNUNIT>(weapon->pController, SGM_WEAPON_DOUBLE_FIRST, 0, 0))
      to = first->pController;
  }
  return Refill(self, soldier, to, type, ammoType);
}

void RefillWeapons(VNAMMODUMP* self, const VNUNIT* soldier) {
  const SGE_DLLNODE* weapons = &soldier->aChildren[VNUNIT_CHILD_WEAPONS];
  const VNUNIT* first = SGE_ListFirstRecord<VNUNIT>(weapons);
  const VNUNIT* refilled = nullptr;
  for (VNUNIT* weapon : SGE_ListRecords<VNUNIT>(weapons)) {
    const int32_t ammo = AmmoType(soldier, weapon);
    if (ammo < 0) {
      if (weapon->nType != VN_UNIT_TYPE_WEAPON_REVOLVER) PLAT_Trace("Weapon never supplied ammo!!\n");
      continue;
    }
    const int32_t added = RefillWeapon(self, soldier, weapon, ammo);
    if (added < 0) break;
    if (added > 0) refilled = weapon;
  }
  // A soldier whose first weapon is the revolver takes the last refilled weapon in hand.
  if (refilled && first && first->nType == VN_UNIT_TYPE_WEAPON_REVOLVER)
    Ask(soldier, SGM_UNIT_TAKE_WEAPON, static_cast<SGE_PARAM>(refilled->dwId), 0);
}

bool IsRocketSuit(int32_t type) {
  return type >= VN_UNIT_TYPE_SUIT_BRAKKAR_0 && type <= VN_UNIT_TYPE_SUIT_BRAKKAR_1_FEM;
}

void RefillSuitWeapon(VNAMMODUMP* self, const VNUNIT* soldier) {
  const int32_t ammo = vnUNITMAN_GetLinkedType(VN_UNIT_TYPE_WEAPON_MICROROCKETS);
  if (ammo >= 0) Refill(self, soldier, soldier->pController, VN_UNIT_TYPE_WEAPON_MICROROCKETS, ammo);
}

void RefillTechItems(VNAMMODUMP* self, const VNUNIT* soldier) {
  VNPLATOON_UNIT* record = vnPLATMAN_FindUnit(vnMISSCONT_GetPlatoon(), static_cast<int32_t>(soldier->dwId));
  if (!record) return;
  const int32_t item = VN_UNIT_TYPE_TECH_NERVEGAS;
  const float cost = Cost(item);
  for (const TECHSLOT& slot : kTechSlots) {
    if (record->anEquipment[slot.nEquipment] != item || !(record->dwFlags & slot.dwUsed)) continue;
    if (!(cost > 0.0f) || self->fSupply < cost) continue;
    if (!Ask(soldier, SGM_UNIT_REFILL_ITEM, item, slot.nSlot)) continue;
    self->fSupply -= cost;
    record->dwFlags &= ~slot.dwUsed;
    PLAT_Trace("unit refill tech item: nerve gas\n");
  }
}

void Serve(VNAMMODUMP* self, const VNUNIT* soldier) {
  RefillWeapons(self, soldier);
  if (IsRocketSuit(soldier->nType)) RefillSuitWeapon(self, soldier);
  RefillTechItems(self, soldier);
}

}  // namespace

bool vnAMMODUMP_Resupply(VNAMMODUMP* self, uint32_t allies) {
  const VNUNIT* dump = self->pUnit;
  if (!dump || !dump->ppSighted) return false;
  bool seen = false;
  for (int32_t i = 0; i < dump->nSighted; ++i) {
    const VNUNIT* u = dump->ppSighted[i];
    if (!u || u == dump || !(u->dwPlayer & allies) || !IsSoldier(u)) continue;
    seen = true;
    if (InReach(dump, u)) Serve(self, u);
  }
  return seen;
}
