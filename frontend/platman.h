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

// A soldier of the platoon; while fielded its roster id is its unit's id.
struct VNPLATOON_UNIT {
  int32_t nRosterId;
};

struct VNPLATOON {
  VNPLATOON_UNIT* apUnits[VNPLATOON_SLOTS];  // null: an empty slot
};
