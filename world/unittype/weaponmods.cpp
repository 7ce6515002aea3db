// Reads the weapon damage modifiers from "units/VN_WeaponMods.txt".
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <iterator>

#include "platform/files.h"
#include "platform/trace.h"
#include "world/unittype/attributes.h"

namespace {

constexpr char kModsFile[] = "units/VN_WeaponMods.txt";
// Longer than any number the file holds; a longer token does not convert.
constexpr size_t kMaxToken = 63;

// A type without an index has no modifier (1.0): so the table reads before any file was read.
struct IndexTable {
  int32_t at[VN_UNIT_TYPE_COUNT];
  IndexTable() { Clear(); }
  void Clear() { std::fill(std::begin(at), std::end(at), -1); }
  int32_t& operator[](int32_t type) { return at[type]; }
};

float g_matrix[VN_WEAPONMOD_ROWS][VN_WEAPONMOD_COLS];
IndexTable g_rowOfType;
IndexTable g_colOfType;

bool IsBlank(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The next whitespace-separated token; false at the end of the file or past kMaxToken.
bool ReadToken(FILE* f, char (&token)[kMaxToken + 1]) {
  vnFILE_SkipWhitespace(f);
  size_t n = 0;
  for (int c = std::fgetc(f); c != EOF && !IsBlank(c); c = std::fgetc(f)) {
    if (n == kMaxToken) return false;
    token[n++] = static_cast<char>(c);
  }
  token[n] = '\0';
  return n > 0;
}

bool ReadFloat(FILE* f, float* out) {
  char token[kMaxToken + 1];
  if (!ReadToken(f, token)) return false;
  char* end = nullptr;
  const float v = std::strtof(token, &end);
  if (end == token || *end != '\0' || !std::isfinite(v)) return false;
  *out = v;
  return true;
}

bool ReadInt(FILE* f, int32_t* out) {
  char token[kMaxToken + 1];
  if (!ReadToken(f, token)) return false;
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(token, &end, 10);
  if (end == token || *end != '\0' || errno == ERANGE || v < INT32_MIN || v > INT32_MAX) {
    return false;
  }
  *out = static_cast<int32_t>(v);
  return true;
}

// An index past the matrix would read outside it; it reads as "no modifier" instead.
bool ReadIndex(FILE* f, const char* what, int32_t type, int32_t limit, int32_t* out) {
  int32_t v = 0;
  if (!ReadInt(f, &v)) return false;
  if (v < -1 || v >= limit) {
    PLAT_Trace("%s: the %s index %d of unit type %d is out of range; modifier 1.0\n", kModsFile,
               what, v, type);
    v = -1;
  }
  *out = v;
  return true;
}

bool ReadAll(FILE* f) {
  for (auto& row : g_matrix) {
    for (float& value : row) {
      if (!ReadFloat(f, &value)) return false;
    }
  }
  for (int32_t t = 0; t < VN_UNIT_TYPE_COUNT; ++t) {
    if (!ReadIndex(f, "row", t, VN_WEAPONMOD_ROWS, &g_rowOfType[t])) return false;
  }
  for (int32_t t = 0; t < VN_UNIT_TYPE_COUNT; ++t) {
    if (!ReadIndex(f, "column", t, VN_WEAPONMOD_COLS, &g_colOfType[t])) return false;
  }
  return true;
}

}  // namespace

void vnFILE_SkipWhitespace(FILE* file) {
  int c = std::fgetc(file);
  while (c != EOF && IsBlank(c)) c = std::fgetc(file);
  if (c != EOF) std::ungetc(c, file);
}

int32_t vnUNITMAN_LoadWeaponMods() {
  PLAT_FileHandle f(PLAT_FOpen(kModsFile, "r"));
  if (!f) {
    // Without the file no weapon class is stronger or weaker against another: every
    // modifier reads as 1.0, whatever an earlier mission's file said.
    g_rowOfType.Clear();
    g_colOfType.Clear();
    PLAT_Trace("vnUNITMAN_LoadWeaponMods: %s cannot be opened; every modifier is 1.0\n", kModsFile);
    return 0;
  }
  if (!ReadAll(f.get())) {
    PLAT_Trace("vnUNITMAN_LoadWeaponMods: %s ends early or holds a value that is no number\n",
               kModsFile);
    return 0;
  }
  return 1;
}

float vnUNITMAN_GetWeaponMod(int32_t sourceType, int32_t targetType) {
  if (sourceType < 0 || sourceType >= VN_UNIT_TYPE_COUNT || targetType < 0 ||
      targetType >= VN_UNIT_TYPE_COUNT) {
    PLAT_Trace("vnUNITMAN_GetWeaponMod: no unit type %d or %d; modifier 1.0\n", sourceType,
               targetType);
    return 1.0f;
  }
  const int32_t r = g_rowOfType[sourceType];
  const int32_t c = g_colOfType[targetType];
  if (r < 0 || c < 0) return 1.0f;
  return g_matrix[r][c];
}
