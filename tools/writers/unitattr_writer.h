#pragma once
// Writes the unit attribute file "units/vn_db_attr.txt" and the weapon damage modifier file
// "units/VN_WeaponMods.txt" as the designers keep them.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

// One line of the attribute file: a type's values in file order.
struct VNWRITE_UNITATTR {
  int32_t type = 0;
  std::array<int32_t, 6> ints{};   // attribute values 2, 3, 4, 6, 7, 8
  float supply = 0;                // value 9
  int32_t value10 = 0;             // value 10
  std::array<float, 19> floats{};  // values 11-29
  uint32_t flags = 0;
  std::vector<int32_t> linked;     // at most eight types
};

// A "//" heading naming the columns, then one line per row in the order given (lines of one
// type in a row amend it), ended by a blank line. Floats are written so they read back exactly.
std::string vnWRITE_UnitAttrText(const std::vector<VNWRITE_UNITATTR>& rows);
// <root>/units/vn_db_attr.txt
bool vnWRITE_UnitAttrs(const std::string& root, const std::vector<VNWRITE_UNITATTR>& rows);

constexpr int32_t VNWRITE_WEAPONMOD_ROWS = 48;
constexpr int32_t VNWRITE_WEAPONMOD_COLS = 51;
constexpr int32_t VNWRITE_UNIT_TYPES = 214;

struct VNWRITE_WEAPONMODS {
  std::array<std::array<float, VNWRITE_WEAPONMOD_COLS>, VNWRITE_WEAPONMOD_ROWS> matrix{};
  std::array<int32_t, VNWRITE_UNIT_TYPES> rowOfType{};  // -1: hurts with 1.0
  std::array<int32_t, VNWRITE_UNIT_TYPES> colOfType{};  // -1: is hurt with 1.0
};

// The matrix a row a line, then the row indices and the column indices, ten to a line.
std::string vnWRITE_WeaponModsText(const VNWRITE_WEAPONMODS& mods);
// <root>/units/VN_WeaponMods.txt
bool vnWRITE_WeaponMods(const std::string& root, const VNWRITE_WEAPONMODS& mods);
