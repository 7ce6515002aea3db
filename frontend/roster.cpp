// Soldiers of the platoon as a mission fields them: look-ups, types, stats and equipment.
#include <cstdio>
#include <cstring>
#include <span>

#include "effects/weapon.h"
#include "engine/memory/memblock.h"
#include "frontend/platman.h"
#include "platform/random.h"
#include "platform/trace.h"

namespace {

// Equipment slots after the two weapon slots.
constexpr int32_t kFirstEquipmentSlot = VNPLATOON_WEAPONS;

constexpr const char* kMenFirst[] = {"Aron", "Bram", "Cole", "Dane", "Evan", "Finn", "Gil",
                                     "Hal", "Ivo", "Jon", "Kai", "Lev"};
constexpr const char* kMenLast[] = {"Adler", "Brannock", "Cassel", "Dorn", "Eskar", "Fenwick",
                                    "Garrow", "Halden", "Ivers", "Jorund"};
constexpr const char* kWomenFirst[] = {"Anwen", "Brisa", "Calla", "Delphine", "Edda", "Freya",
                                       "Galen", "Hesper", "Ilse", "Jessa"};
constexpr const char* kWomenLast[] = {"Aldane", "Birch", "Corran", "Dessel", "Emmet", "Frayne",
                                      "Gorse", "Hollin", "Isley", "Juno"};

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
  if (soldier->nSpecialistType != VNPLATOON_NONE) return soldier->nSpecialistType;
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
  VNPLATOON_UNIT* soldier = vnPLATMAN_NewUnitRecord();
  if (!soldier) return nullptr;
  soldier->nProfile = profile;
  soldier->nUnitType = VNPLATOON_NONE;  // a woman's profile makes a woman of a suit's wearer
  vnPLATMAN_SetUnitType(nullptr, soldier, type);
  std::snprintf(soldier->szName, sizeof soldier->szName, "%s", name ? name : vnPLATMAN_RandomName(profile));
  vnPLATMAN_RollStats(soldier, 1);
  soldier->nRank = rank;
  vnPLATMAN_SetRank(soldier);
  return soldier;
}

void vnPLATMAN_FreeUnit(VNPLATOON_UNIT* soldier) { SGE_MemFree(soldier); }

const char* vnPLATMAN_RandomName(int32_t profile) {
  static char name[VNPLATOON_NAME_SIZE];
  const VNSOLDIER_PROFILE* p = vnPLATMAN_GetProfile(profile);
  const bool woman = p && p->bWoman;
  const std::span<const char* const> first =
      woman ? std::span<const char* const>(kWomenFirst) : std::span<const char* const>(kMenFirst);
  const std::span<const char* const> last =
      woman ? std::span<const char* const>(kWomenLast) : std::span<const char* const>(kMenLast);
  const char* f = first[static_cast<size_t>(PLAT_Rand()) % first.size()];
  const char* l = last[static_cast<size_t>(PLAT_Rand()) % last.size()];
  std::snprintf(name, sizeof name, "%s %s", f, l);
  return name;
}
