// Which model file and shared animation set each infantry type loads. Kept apart from the
// model code so that the content writer can name the same files.
#include <cstdio>

#include "terran/infantry.h"
#include "world/unittype/unittype.h"

namespace {

constexpr const char* kSoldierSet = "EXPORT/Pows/TCapMaMAnims.pow";
constexpr const char* kCivilianSet = "EXPORT/Pows/TCivil1MaAnims.pow";

struct MODELROW {
  int32_t first, last;
  int32_t prefixOf;  // -1: the type's own model prefix
  bool sexed;
  const char* suffix;
  const char* set;
  bool zombie;
};

constexpr MODELROW kModels[] = {
    {VN_UNIT_TYPE_TERRAN_MEDIC, VN_UNIT_TYPE_TERRAN_ZR_0_FEM, -1, true, "manims", kSoldierSet, false},
    {VN_UNIT_TYPE_TERRAN_ZR_QUELLIN, VN_UNIT_TYPE_TERRAN_ZR_TOBRIN, -1, true, "manims", kSoldierSet, false},
    {VN_UNIT_TYPE_TERRAN_ZR_DRAVIK, VN_UNIT_TYPE_TERRAN_ZR_DRAVIK, -1, false, "manims", kSoldierSet, false},
    {VN_UNIT_TYPE_TERRAN_ZR_ENSIGN_MARENKO, VN_UNIT_TYPE_TERRAN_ZR_ENSIGN_MARENKO, -1, false, "anims",
     kSoldierSet, false},
    {VN_UNIT_TYPE_TERRAN_ZOMBIE_ACTIVE, VN_UNIT_TYPE_TERRAN_ZOMBIE_ACTIVE_FEM, -1, true, "anims",
     kSoldierSet, true},
    {VN_UNIT_TYPE_TERRAN_ZOMBIE, VN_UNIT_TYPE_TERRAN_ZOMBIE_FEM, -1, true, "anims", kCivilianSet, true},
};
// Every other type (the signallers) wears the ZR soldier's male model.
constexpr MODELROW kOtherModel = {0, 0, VN_UNIT_TYPE_TERRAN_ZR_0, false, "mamanims", kSoldierSet, false};

const MODELROW& RowOf(int32_t type) {
  for (const MODELROW& row : kModels)
    if (type >= row.first && type <= row.last) return row;
  return kOtherModel;
}

}  // namespace

void vnINFANTRY_ModelFor(int32_t type, uint32_t rowFlags, VNINFANTRY_MODEL* out) {
  const MODELROW& row = RowOf(type);
  const char* infix = !row.sexed ? "" : (rowFlags & VNINFANTRY_ROW_FEMALE) ? "fe" : "ma";
  const char* path = vnUNITMAN_BuildPowPath(row.prefixOf >= 0 ? row.prefixOf : type, infix, row.suffix);
  std::snprintf(out->path, sizeof out->path, "%s", path);
  out->set = row.set;
  out->zombie = row.zombie ? 1 : 0;
}

