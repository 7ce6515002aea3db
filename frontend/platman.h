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

// The platoon manager's attribute rows, one per unit type, from the unit attribute file that the
// mission read; null while none are read.
const VNUNIT_ATTR* vnPLATMAN_GetAttributes();

// The platoon's slots: 36-53 the strike squads of six, 54-56 the specialists.
constexpr int32_t VNPLATOON_SLOTS = 57;
constexpr int32_t VNPLATOON_FIRST_FIELDED = 36;
constexpr int32_t VNPLATOON_FIELDED = 21;

// The equipment words of a soldier; the first two hold the item types of his tech slots.
constexpr int32_t VNPLATOON_EQUIPMENT = 2;
// Flag word bits: the tech item of the first or second equipment word has been used.
constexpr uint32_t VNPLATOON_UNIT_ITEM1_USED = 0x80;
constexpr uint32_t VNPLATOON_UNIT_ITEM2_USED = 0x100;

// The weapon types a soldier carries into a mission.
constexpr int32_t VNPLATOON_WEAPONS = 2;
constexpr int32_t VNPLATOON_NAME_SIZE = 256;
// No item in a weapon or equipment word, no suit.
constexpr int32_t VNPLATOON_NONE = -1;

// A soldier of the platoon; while fielded its roster id is its unit's id.
struct VNPLATOON_UNIT {
  int32_t nRosterId;
  uint32_t dwFlags;
  int32_t anEquipment[VNPLATOON_EQUIPMENT];
  int32_t nRank;      // rank level, 0 the lowest
  int32_t nProfile;   // VNSOLDIER_PROFILE index
  int32_t nUnitType;  // the soldier out of a suit
  int32_t nSuitType;  // the suit he wears, VNPLATOON_NONE for none
  int32_t anWeapons[VNPLATOON_WEAPONS];
  VNPLATMAN_STATBLOCK stats;
  char szName[VNPLATOON_NAME_SIZE];
};

struct VNPLATOON {
  VNPLATOON_UNIT* apUnits[VNPLATOON_SLOTS];  // null: an empty slot
};

// The soldier of any of the platoon's slots whose roster id is the key, or null.
VNPLATOON_UNIT* vnPLATMAN_FindUnit(const VNPLATOON* platoon, int32_t rosterId);
// The fielded soldier (slots 36 to 56) whose roster id is the key, or null.
VNPLATOON_UNIT* vnPLATMAN_FindStrikeTeamUnit(const VNPLATOON* platoon, int32_t rosterId);
// The type he fights as: his suit's when he wears one, else his own; -1 without a soldier.
int32_t vnPLATMAN_GetUnitType(const VNPLATOON_UNIT* soldier);
// His seven stats as he fights; 0 (out zeroed) without a soldier.
int32_t vnPLATMAN_GetUnitStats(const VNPLATOON_UNIT* soldier, VNPLATMAN_STATBLOCK* out);
// Puts the row's type into weapon slot 0 or 1, or equipment slot 2 or 3, when the type he fights
// as may carry it there; 1 when given.
int32_t vnPLATMAN_EquipItem(VNPLATOON_UNIT* soldier, const VNUNIT_ATTR* row, int32_t slot);
// Empties every weapon word whose type the soldier may no longer carry in its slot; the words
// emptied.
int32_t vnPLATMAN_ValidateEquipment(const VNPLATOON* platoon, VNPLATOON_UNIT* soldier);
// A new soldier (in the game memory) of the type, rank and portrait profile, with the name, or
// a random one for his profile when it is null; free it with vnPLATMAN_FreeUnit. Null when the
// memory is full.
VNPLATOON_UNIT* vnPLATMAN_CreateUnit(int32_t type, int32_t rank, int32_t profile, const char* name);
void vnPLATMAN_FreeUnit(VNPLATOON_UNIT* soldier);
// A random name for a soldier of the profile (a woman's name for a woman's profile).
const char* vnPLATMAN_RandomName(int32_t profile);

// Portrait profiles, 0-116; the empty rows have no portrait.
constexpr int32_t VNSOLDIER_PROFILES = 117;
struct VNSOLDIER_PROFILE {
  int32_t nIndex;
  int32_t bWoman;
  const char* pszPortrait;       // "" for an empty row
  const char* pszLargePortrait;
  int32_t nVoiceType;            // the voice bank he speaks with; VNSOLDIER_NO_VOICE: none
};
constexpr int32_t VNSOLDIER_NO_VOICE = -1;
// The profile of the index, null outside 0-116.
const VNSOLDIER_PROFILE* vnPLATMAN_GetProfile(int32_t index);
