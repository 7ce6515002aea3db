// Soldiers of the platoon as a mission fields them: look-ups, types, stats and equipment.
#include <cstdio>
#include <cstring>

#include "effects/weapon.h"
#include "engine/memory/memblock.h"
#include "frontend/platman.h"
#include "platform/random.h"
#include "platform/trace.h"

namespace {

// Equipment slots after the two weapon slots.
constexpr int32_t kFirstEquipmentSlot = VNPLATOON_WEAPONS;

constexpr const char* kMenNames[] = {"Adler", "Brannock", "Cassel", "Dorn", "Eskar", "Fenwick",
                                     "Garrow", "Halden", "Ivers", "Jorund"};
constexpr const char* kWomenNames[] = {"Anwen", "Brisa", "Calla", "Delphine", "Edda", "Freya",
                                       "Galen", "Hesper", "Ilse", "Jessa"};

}  // namespace

VNPLATOON_UNIT* vnPLATMAN_FindStrikeTeamUnit(const VNPLATOON* platoon, int32_t rosterId) {
  if (!platoon) return nullptr;
  for (int32_t slot = VNPLATOON_FIRST_FIELDED; slot < VNPLATOON_FIRST_FIELDED + VNPLATOON_FIELDED;
       ++slot) {
    VNPLATOON_UNIT* soldier = platoon->apUnits[slot];
    if (soldier && soldier->nRosterId == rosterId) return soldier;
  }
  return nullptr;
}

int32_t vnPLATMAN_GetUnitType(const VNPLATOON_UNIT* soldier) {
  if (!soldier) return -1;
  return soldier->nSuitType != VNPLATOON_NONE ? soldier->nSuitType : soldier->nUnitType;
}

int32_t vnPLATMAN_GetUnitStats(const VNPLATOON_UNIT* soldier, VNPLATMAN_STATBLOCK* out) {
  if (!out) return 0;
  *out = soldier ? soldier->stats : VNPLATMAN_STATBLOCK{};
  return soldier != nullptr;
}

int32_t vnPLATMAN_EquipItem(VNPLATOON_UNIT* soldier, const VNUNIT_ATTR* row, int32_t slot) {
  if (!soldier || !row || slot < 0 || slot >= kFirstEquipmentSlot + VNPLATOON_EQUIPMENT) return 0;
  if (!vnWEAPON_UnitCanUse(vnPLATMAN_GetUnitType(soldier), slot, row->nType)) return 0;
  if (slot < kFirstEquipmentSlot)
    soldier->anWeapons[slot] = row->nType;
  else
    soldier->anEquipment[slot - kFirstEquipmentSlot] = row->nType;
  return 1;
}

int32_t vnPLATMAN_ValidateEquipment(const VNPLATOON* platoon, VNPLATOON_UNIT* soldier) {
  if (!platoon || !soldier) return 0;
  int32_t emptied = 0;
  const int32_t type = vnPLATMAN_GetUnitType(soldier);
  for (int32_t slot = 0; slot < VNPLATOON_WEAPONS; ++slot) {
    int32_t& weapon = soldier->anWeapons[slot];
    if (weapon == VNPLATOON_NONE || vnWEAPON_UnitCanUse(type, slot, weapon)) continue;
    weapon = VNPLATOON_NONE;
    ++emptied;
  }
  return emptied;
}

VNPLATOON_UNIT* vnPLATMAN_CreateUnit(int32_t type, int32_t rank, int32_t profile, const char* name) {
  auto* soldier = static_cast<VNPLATOON_UNIT*>(SGE_MemCalloc(SGE_GameMem, sizeof(VNPLATOON_UNIT)));
  if (!soldier) {
    PLAT_Trace("PLATMAN: no memory for a new soldier\n");
    return nullptr;
  }
  soldier->nRosterId = -1;
  soldier->nRank = rank;
  soldier->nProfile = profile;
  soldier->nUnitType = type;
  soldier->nSuitType = VNPLATOON_NONE;
  for (int32_t& w : soldier->anWeapons) w = VNPLATOON_NONE;
  for (int32_t& e : soldier->anEquipment) e = VNPLATOON_NONE;
  std::snprintf(soldier->szName, sizeof soldier->szName, "%s", name ? name : vnPLATMAN_RandomName(profile));
  return soldier;
}

void vnPLATMAN_FreeUnit(VNPLATOON_UNIT* soldier) { SGE_MemFree(soldier); }

const char* vnPLATMAN_RandomName(int32_t profile) {
  const VNSOLDIER_PROFILE* p = vnPLATMAN_GetProfile(profile);
  const bool woman = p && p->bWoman;
  const int32_t n = static_cast<int32_t>(std::size(kMenNames));
  return (woman ? kWomenNames : kMenNames)[PLAT_Rand() % n];
}
