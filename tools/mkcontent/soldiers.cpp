// Infantry models, animation sets, wounded and victim models, guns and effect textures.
#include "tools/mkcontent/soldiers.h"

#include <set>
#include <vector>

#include "platform/files.h"
#include "platform/trace.h"
#include "tools/models/soldiers.h"
#include "terran/infantry.h"
#include "world/unittype/unittype.h"

namespace {

constexpr uint32_t kTicks = 4800;  // a second per animation

struct INFANTRY {
  int32_t type;
  int32_t prefixOf;  // the type whose model prefix names the file
  bool sexed;        // "ma" and "fe" variants
  const char* suffix;
};

// The model paths of the infantry class by unit type.
constexpr INFANTRY kInfantry[] = {
    {118, 122, false, "mamanims"}, {119, 122, false, "mamanims"}, {120, 120, true, "manims"},
    {121, 121, true, "manims"},    {122, 122, true, "manims"},    {123, 123, true, "manims"},
    {128, 128, false, "manims"},   {134, 134, false, "anims"},    {135, 135, true, "anims"},
    {136, 136, true, "anims"},     {137, 137, true, "anims"},     {138, 138, true, "anims"},
    {211, 211, true, "manims"},    {212, 212, true, "manims"},    {213, 213, true, "manims"}};

constexpr const char* kSharedSets[] = {"TCapMaMAnims", "TCivil1MaAnims"};
constexpr const char* kWounded[] = {"TCapMaMWounded", "TMedicMaMWounded", "TCapFeMWounded"};

std::vector<std::string> SoldierAnims() {
  std::vector<std::string> names;
  constexpr int32_t kNames = 210;
  for (int32_t i = 0; i < kNames; ++i) {
    static const char* const kSet[] = {
        "idle_lkaround", "idle_breath", "idle_lkright", "idle_lkleft", "fire1", "fire2",
        "bodyhitF", "bodyhitB", "knockedoverB", "knockedoverF", "death1", "death1twitch",
        "carriedbyhopper", "death2", "death2twitch", "death3", "death3twitch", "run",
        "changweapon", "stealthwalk", "walkback", "stealthlkright", "stealthlkleft",
        "stealthlkaround", "gotorelaxed", "relaxedbreath", "relaxedlkarnd", "relaxedscratch",
        "relaxedreload", "relaxedarse", "relaxedlkleft", "relaxedlkright", "gotoidle",
        "celebrate", "airshoot", "pointatbugs", "communicate", "medicheal", "gotopossessed",
        "possessed", "outofpossessed", "execution", "firerevolver", "knifethrust", "halt",
        "advance", "slowdown", "liedown", "stealth", "doubletime", "attack", "extendedline",
        "singlefile", "arrow", "encircle", "circle", "relaxedfixtsuit", "relaxedflexsuit",
        "bounce_takeoff", "bounce_fly", "bounce_flyhit", "bounce_flybighit", "bounce_falling",
        "bounce_hitground", "bounce_land", "shuffle", "shuffleL", "shuffleR", "salute",
        "turrethold"};
    names.push_back("H" + std::to_string(i / 70 + 1) + "_" + kSet[i % 70]);
  }
  return names;
}

bool WriteModel(const std::string& root, const std::string& path, vnMODEL model) {
  const size_t slash = path.find_last_of('/');
  model.name = path.substr(slash + 1, path.size() - slash - 5);  // without ".pow"
  return vnWRITE_POW(root + "/" + path, model);
}

}  // namespace

bool vnMKCONTENT_Soldiers(const std::string& root) {
  const vnMODEL soldier = vnMODELS_Soldier("soldier", SoldierAnims(), kTicks);
  bool ok = true;
  std::set<std::string> guns;
  for (const INFANTRY& inf : kInfantry) {
    for (const char* infix : inf.sexed ? std::vector<const char*>{"ma", "fe"}
                                       : std::vector<const char*>{""})
      ok = WriteModel(root, vnUNITMAN_BuildPowPath(inf.prefixOf, infix, inf.suffix), soldier) && ok;
    const VNUNIT_TYPE* info = vnUNITMAN_GetTypeInfo(inf.type);
    for (int32_t gun : {info ? info->anLinked[0] : -1, int32_t{VN_UNIT_TYPE_WEAPON_REVOLVER}}) {
      if (gun < 0) continue;
      guns.insert(vnUNITMAN_BuildPowName(gun, vnUNITTYPE_SharedFlags(inf.type, gun), "m", ""));
    }
  }
  for (const char* set : kSharedSets)
    ok = WriteModel(root, std::string("EXPORT/Pows/") + set + ".pow", soldier) && ok;
  const vnMODEL wounded =
      vnMODELS_Soldier("wounded", {"wounded", "helpMe", "getup", "pullrope"}, kTicks);
  for (const char* file : kWounded)
    ok = WriteModel(root, std::string("Export/Pows/") + file + ".pow", wounded) && ok;
  ok = WriteModel(root, VNINFANTRY_VICTIM_MODEL,
                  vnMODELS_Soldier("victim", {"pleading1", "warriorjaw1", "flystart1",
                                              "flyloop1", "flyland1"},
                                   kTicks)) &&
       ok;
  for (const std::string& gun : guns) ok = WriteModel(root, gun, vnMODELS_Gun("gun")) && ok;
  if (!ok) PLAT_Trace("mkcontent: the soldiers under %s are incomplete\n", root.c_str());
  return ok;
}
