#pragma once
// What the world framework asks of the platoon manager: a soldier's seven stats from an
// attribute row, and their sum.
#include <cstdint>

#include "world/unittype/attributes.h"

constexpr int32_t VNPLATMAN_STATS = 7;

// The seven stats in the platoon's order.
struct VNPLATMAN_STATBLOCK {
  float afStats[VNPLATMAN_STATS];
};

void vnPLATMAN_StatsFromAttributes(VNPLATMAN_STATBLOCK* out, const VNUNIT_ATTR* row);
// out = a + b, stat by stat; out may be a or b.
void vnPLATMAN_AddStats(VNPLATMAN_STATBLOCK* out, const VNPLATMAN_STATBLOCK* a,
                        const VNPLATMAN_STATBLOCK* b);

// The platoon's slots: 36-53 the strike squads of six, 54-56 the specialists.
constexpr int32_t VNPLATOON_SLOTS = 57;
constexpr int32_t VNPLATOON_FIRST_FIELDED = 36;
constexpr int32_t VNPLATOON_FIELDED = 21;

// The equipment words of a soldier; the first two hold the item types of his tech slots.
constexpr int32_t VNPLATOON_EQUIPMENT = 2;
// Flag word bits: the tech item of the first or second equipment word has been used.
constexpr uint32_t VNPLATOON_UNIT_ITEM1_USED = 0x80;
constexpr uint32_t VNPLATOON_UNIT_ITEM2_USED = 0x100;

// A soldier of the platoon; while fielded its roster id is its unit's id.
struct VNPLATOON_UNIT {
  int32_t nRosterId;
  uint32_t dwFlags;
  int32_t anEquipment[VNPLATOON_EQUIPMENT];
};

struct VNPLATOON {
  VNPLATOON_UNIT* apUnits[VNPLATOON_SLOTS];  // null: an empty slot
};

// The soldier of any of the platoon's slots whose roster id is the key, or null.
VNPLATOON_UNIT* vnPLATMAN_FindUnit(const VNPLATOON* platoon, int32_t rosterId);
