#pragma once
// What the world framework asks of the platoon manager: a soldier's seven stats from an
// attribute row, and their sum.
#include <cstdint>

#include "platform/guid.h"
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

// The equipment words of a soldier: two for weapons and hand equipment, then two for the tech
// items of his type.
constexpr int32_t VNPLATOON_EQUIPMENT = 2;
// Flag word bits. Only VNPLATOON_UNIT_SAVED_FLAGS reach the platoon file.
constexpr uint32_t VNPLATOON_UNIT_FELL = 0x2;         // fell in the last mission
constexpr uint32_t VNPLATOON_UNIT_NOT_SAVED = 0x4;    // never written to the platoon file
constexpr uint32_t VNPLATOON_UNIT_CASUALTY_A = 0x8;   // kinds of casualty
constexpr uint32_t VNPLATOON_UNIT_CASUALTY_B = 0x10;
constexpr uint32_t VNPLATOON_UNIT_SAVED_FLAGS = 0x21a;
// The tech item of the first or second tech word has been used.
constexpr uint32_t VNPLATOON_UNIT_ITEM1_USED = 0x80;
constexpr uint32_t VNPLATOON_UNIT_ITEM2_USED = 0x100;

// The weapon types a soldier carries into a mission.
constexpr int32_t VNPLATOON_WEAPONS = 2;
constexpr int32_t VNPLATOON_NAME_SIZE = 64;
constexpr int32_t VNPLATOON_LEVEL_NAME_SIZE = 128;
constexpr int32_t VNPLATOON_MEDALS = 8;
// No item in a weapon or equipment word, no suit, no specialist.
constexpr int32_t VNPLATOON_NONE = -1;
// The specialist slots after the three squads.
constexpr int32_t VNPLATOON_FIRST_SPECIALIST = 54;

// Ranks 0-8 and experience levels 1-50.
constexpr int32_t VNPLATMAN_RANKS = 9;
constexpr int32_t VNPLATMAN_LEVELS = 50;
struct VNRANK_LEVEL {
  int32_t nLevel;
  int32_t nExperience;  // the least experience of the level
  int32_t nValue;
  int32_t nRank;
};

// A soldier of the platoon; while fielded its roster id is its unit's id.
struct VNPLATOON_UNIT {
  char szName[VNPLATOON_NAME_SIZE];
  int32_t nRosterId;
  uint32_t dwFlags;
  int32_t nUnitType;        // the soldier out of a suit: a man's or a woman's type
  int32_t nSuitType;        // the suit he wears, VNPLATOON_NONE for none
  int32_t nSpecialistType = VNPLATOON_NONE;  // also in a record built field by field
  int32_t nRank;            // 0 the lowest
  const VNRANK_LEVEL* pLevel;  // the level of his experience
  VNPLATMAN_STATBLOCK stats;
  int32_t nKills;
  int32_t nExperience;
  int32_t nMissions;
  int32_t nProfile;  // VNSOLDIER_PROFILE index
  int32_t anWeapons[VNPLATOON_WEAPONS];      // equipment words 0 and 1
  int32_t anEquipment[VNPLATOON_EQUIPMENT];  // equipment words 2 and 3, the tech items
  int32_t anMedals[VNPLATOON_MEDALS];        // 0 not held, 1 held, 2 earned in the last mission
};

struct VNPLATOON {
  PLAT_GUID guidFormat;  // as the platoon file gave it; zero in a new platoon
  char szName[VNPLATOON_NAME_SIZE];  // saved under this name
  char szLtName[VNPLATOON_NAME_SIZE];
  char szPlatoonName[VNPLATOON_NAME_SIZE];
  int32_t nInsignia;
  int32_t nProfile;  // the lieutenant's portrait
  char szCurrentLevel[VNPLATOON_LEVEL_NAME_SIZE];  // the next mission's name
  int32_t nUP;       // upgrade points
  int32_t nKills;    // not saved
  int32_t nReserved;
  VNPLATOON_UNIT* apUnits[VNPLATOON_SLOTS];  // null: an empty slot
  int32_t anUpgrade[VN_UNIT_TYPE_COUNT];     // 1: the upgrade of this base item is bought
};

// The soldier of any of the platoon's slots whose roster id is the key, or null.
VNPLATOON_UNIT* vnPLATMAN_FindUnit(const VNPLATOON* platoon, int32_t rosterId);
// The fielded soldier (slots 36 to 56) whose roster id is the key, or null.
VNPLATOON_UNIT* vnPLATMAN_FindStrikeTeamUnit(const VNPLATOON* platoon, int32_t rosterId);
// The type he fights as: his specialist type, else his suit's, else his own; -1 without one.
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
// a random one for his profile when it is null, his stats rolled and raised to the rank; free
// it with vnPLATMAN_FreeUnit. Null when the memory is full.
VNPLATOON_UNIT* vnPLATMAN_CreateUnit(int32_t type, int32_t rank, int32_t profile, const char* name);
void vnPLATMAN_FreeUnit(VNPLATOON_UNIT* soldier);
// A first name and a surname for a soldier of the profile (a woman's for a woman's profile), in
// a buffer that the next call overwrites.
const char* vnPLATMAN_RandomName(int32_t profile);
// The default soldier: "Name", a man of profile 22, stats rolled, rank 0; null when the memory
// is full.
VNPLATOON_UNIT* vnPLATMAN_NewUnitRecord();

// A new platoon with the default names and "c1m2" next; null when the memory is full.
VNPLATOON* vnPLATMAN_CreatePlatoon();
// Frees the soldiers and the record; null is allowed.
void vnPLATMAN_FreePlatoon(VNPLATOON* platoon);
// A deep copy, or null.
VNPLATOON* vnPLATMAN_CopyPlatoon(const VNPLATOON* platoon);

// Reads the promotion table; 0 unless every one of its eight lines gave seven numbers.
int32_t vnPLATMAN_Init();
void vnPLATMAN_Shutdown();
// Rows 1-8 from "units/vn_promote.txt" (row 0 stays zero); 1 when all eight lines were read.
int32_t vnPLATMAN_LoadPromotions();
// The stat increments of reaching a rank; null outside 0-8.
const VNPLATMAN_STATBLOCK* vnPLATMAN_GetPromotion(int32_t rank);

// The level of an experience value (below 0 counts as 0), its rank, and the first level of a
// rank (null outside 0-8).
const VNRANK_LEVEL* vnPLATMAN_GetLevelRow(int32_t experience);
int32_t vnPLATMAN_GetLevelRank(int32_t experience);
const VNRANK_LEVEL* vnPLATMAN_GetRankRow(int32_t rank);
// How many soldiers may hold a rank after a mission's promotions.
int32_t vnPLATMAN_GetRankQuota(int32_t rank);

// Stats from the attribute row of his out-of-suit type, times one factor: 0.96-1.05 when roll
// is 1, else 1.
void vnPLATMAN_RollStats(VNPLATOON_UNIT* soldier, int32_t roll);
// Makes the rank in nRank his: the rank's least experience, then promoted up to it.
void vnPLATMAN_SetRank(VNPLATOON_UNIT* soldier);
// Raises the rank to that of his experience, adding each new rank's increments.
void vnPLATMAN_PromoteByExperience(VNPLATOON_UNIT* soldier);
// Raises the rank to the given one (an invalid rank is refused), adding the increments.
void vnPLATMAN_PromoteToRank(VNPLATOON_UNIT* soldier, int32_t rank);
// 1 when his experience earns a higher rank than he holds.
int32_t vnPLATMAN_IsPromotionDue(const VNPLATOON_UNIT* soldier);
int32_t vnPLATMAN_CountUnitsOfRank(const VNPLATOON* platoon, int32_t rank);
// 1 when fewer soldiers than the rank's quota hold it.
int32_t vnPLATMAN_RankHasRoom(const VNPLATOON* platoon, int32_t rank);
// Puts the type where its attribute flags say (specialist, suit or his own type) and returns
// the type he fought as before; his equipment is checked against the platoon when there is one.
int32_t vnPLATMAN_SetUnitType(const VNPLATOON* platoon, VNPLATOON_UNIT* soldier, int32_t type);
// 1 for the combat engineers, the snipers, or a suit without a specialist type.
int32_t vnPLATMAN_IsSuitClass(const VNPLATOON_UNIT* soldier);
// The woman word of his profile; 0 without one.
int32_t vnPLATMAN_IsFemale(const VNPLATOON_UNIT* soldier);

// Platoon files ("platoons/inplay.plt" and their like).
// Writes the platoon and its trailing byte sum; the sum, 0 on failure (nothing is written for
// a name that the file could not read back).
uint32_t vnPLATMAN_SavePlatoon(VNPLATOON* platoon, const char* path);
// A new platoon read from the file (free it with vnPLATMAN_FreePlatoon), null when the file is
// missing, altered, of another format or holds a bad value.
VNPLATOON* vnPLATMAN_OpenPlatoon(const char* path);
// 1 when the byte sum is right and the file is of this format, else 0.
int32_t vnPLATMAN_CheckPlatoonFile(const char* path);
// The format GUID of platoon files.
const PLAT_GUID& vnPLATMAN_FormatGuid();

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
