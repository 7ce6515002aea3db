#pragma once
// Unit attribute rows ("units/vn_db_attr.txt") and the weapon damage modifiers
// ("units/VN_WeaponMods.txt"). The unit manager owns the rows and the pool of list nodes their
// linked-type lists draw from; the modifiers are one table for the whole program.
#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>

#include "engine/memory/lists.h"
#include "world/unittype/unittype.h"

// Attribute values by index (the thirty values a unit copies at creation).
constexpr int32_t VN_ATTR_VALUES = 30;
constexpr int32_t VN_ATTR_RANK = 3;      // numbered model files use it plus one
constexpr int32_t VN_ATTR_ICON = 5;      // -1 in the unit manager's rows
constexpr int32_t VN_ATTR_SUPPLY = 9;    // float
constexpr int32_t VN_ATTR_ARMOUR = 13;   // float
constexpr int32_t VN_ATTR_HEALTH = 14;   // float
constexpr int32_t VN_ATTR_RANGE = 15;    // float
constexpr int32_t VN_ATTR_DIVISOR = 17;  // float; speed in km/h for a unit with a mover
constexpr int32_t VN_ATTR_SPEED = VN_ATTR_DIVISOR;  // km/h, for a unit with a mover
constexpr int32_t VN_ATTR_IMPULSE = 18;  // float
constexpr int32_t VN_ATTR_STUN_RESISTANCE = 20;  // float; also who gives way when two collide
constexpr int32_t VN_ATTR_ACCEL = 21;            // float; the mover's acceleration
constexpr int32_t VN_ATTR_RADIUS = 22;           // float
constexpr int32_t VN_ATTR_TURN_RATE = 24;        // float; radians a second
constexpr int32_t VN_ATTR_MOVER_EXTRA = 25;      // float; kept by the mover, read by no mover code
constexpr int32_t VN_ATTR_GATE_REACH = 26;       // float; how far ahead a path's gate is aimed at
constexpr int32_t VN_ATTR_ARRIVAL = 27;          // float; arrival radius
constexpr int32_t VN_ATTR_LINK_TYPE = 28;        // float; the highest link type its paths use
constexpr int32_t VN_ATTR_STOP_VALUE = 29;       // float; the mover's second limit

// A line holds the type, 27 values and the flag word, then up to eight linked types.
constexpr int32_t VN_ATTR_LINE_MIN_FIELDS = 29;
constexpr int32_t VN_ATTR_LINE_MAX_FIELDS = 37;

// One row per unit type, indexed by type.
struct VNUNIT_ATTR {
  int32_t nType;
  int32_t anReserved[2];
  std::array<uint32_t, VN_ATTR_VALUES> adwValues;  // raw 32-bit words, ints or floats
  SGE_DLLNODE linked;  // VNUNIT_LINKNODEs pointing at the linked types' rows, in file order
  SGE_DLLNODE second;  // empty after loading
  uint32_t dwFlags;
  int32_t nClassId;  // of the type's entry in the unit type table
};

// A node of the unit manager's pool.
struct VNUNIT_LINKNODE {
  SGE_DLLNODE link;
  void* pData;
};

inline int32_t vnUNITATTR_Int(const VNUNIT_ATTR& row, int32_t value) {
  return static_cast<int32_t>(row.adwValues[static_cast<size_t>(value)]);
}
inline float vnUNITATTR_Float(const VNUNIT_ATTR& row, int32_t value) {
  return std::bit_cast<float>(row.adwValues[static_cast<size_t>(value)]);
}

// Reads "units/vn_db_attr.txt" into the 214 rows (zero-filled by the caller), drawing the
// linked-type nodes from the free list; every row gets its type's class id and empty lists
// where it had none. 0 when the file cannot be opened (the rows hold nothing else then), else
// 1. Malformed lines are traced and skipped; an empty line or one of fewer than 29 fields ends
// the reading.
int32_t vnUNITMAN_LoadAttributes(VNUNIT_ATTR* rows, SGE_DLLNODE* freeNodes);
// Returns every node of both lists of every row to the free list and zeroes the rows; 1.
int32_t vnUNITMAN_FreeAttributes(VNUNIT_ATTR* rows, SGE_DLLNODE* freeNodes);
// The row of a type in the rows loaded last; null while none are loaded or outside 0-213.
const VNUNIT_ATTR* vnUNITATTR_LoadedRow(int32_t type);

// The damage modifier matrix: a row per dealing class, a column per receiving class.
constexpr int32_t VN_WEAPONMOD_ROWS = 48;
constexpr int32_t VN_WEAPONMOD_COLS = 51;

// Reads "units/VN_WeaponMods.txt" over the table; 1 when every value was read, else 0 with
// the values read so far kept. Row or column indices out of range read as -1 (multiplier 1.0).
int32_t vnUNITMAN_LoadWeaponMods();
// The multiplier for a unit of the source type hitting one of the target type; 1.0 when either
// type has no row or column.
float vnUNITMAN_GetWeaponMod(int32_t sourceType, int32_t targetType);
// Drops blanks, tabs, carriage returns and line feeds, leaving the next other character to read.
void vnFILE_SkipWhitespace(FILE* file);
