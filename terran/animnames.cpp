// The names of the body-half states and of the soldier animations.
#include <array>
#include <string_view>

#include "platform/text.h"
#include "terran/terunit.h"

namespace {

// Lower states in value order. "bounchtravel" is how scripts have always spelled state 11.
constexpr std::string_view kLowerNames[VNTERUNIT_LOWER_STATES] = {
    "null",        "idle",        "passive",      "stealthwalk", "stealthwalkbackwards",
    "running",     "takingdamage", "takingmajordamage", "death", "dead",
    "bouncelaunch", "bounchtravel", "bounceland",  "bouncedamage", "bouncesplat",
    "possessed",   "standground", "celebrate",    "repair",      "heal",
    "airshoot",    "communicate", "knifethrust",  "salute",      "turrethold",
    "pullrope"};

// The upper list shares the first 25 names and then has its own.
constexpr std::string_view kUpperOwnNames[VNTERUNIT_UPPER_STATES - 25] = {
    "pullrope", "reload", "changeweapon", "firing", "handsignal"};

constexpr std::string_view kSetNames[VNTERUNIT_SET_SLOTS] = {
    "idle_lkaround", "idle_breath", "idle_lkright", "idle_lkleft", "fire1", "fire2",
    "bodyhitF", "bodyhitB", "knockedoverB", "knockedoverF", "death1", "death1twitch",
    "carriedbyhopper", "death2", "death2twitch", "death3", "death3twitch", "run",
    "changweapon", "stealthwalk", "walkback", "stealthlkright", "stealthlkleft",
    "stealthlkaround", "gotorelaxed", "relaxedbreath", "relaxedlkarnd", "relaxedscratch",
    "relaxedreload", "relaxedarse", "relaxedlkleft", "relaxedlkright", "gotoidle", "celebrate",
    "airshoot", "pointatbugs", "communicate", "medicheal", "gotopossessed", "possessed",
    "outofpossessed", "execution", "firerevolver", "knifethrust", "halt", "advance",
    "slowdown", "liedown", "stealth", "doubletime", "attack", "extendedline", "singlefile",
    "arrow", "encircle", "circle", "relaxedfixtsuit", "relaxedflexsuit", "bounce_takeoff",
    "bounce_fly", "bounce_flyhit", "bounce_flybighit", "bounce_falling", "bounce_hitground",
    "bounce_land", "shuffle", "shuffleL", "shuffleR", "salute", "turrethold"};

constexpr size_t kLongestSetName = 20;

// "H<set>_<name>", built once into fixed storage so the table can hand out plain pointers.
struct NAMETABLE {
  std::array<std::array<char, kLongestSetName + 4>, VNTERUNIT_ANIM_NAMES> text{};
  std::array<const char*, VNTERUNIT_ANIM_NAMES> pointers{};

  NAMETABLE() {
    for (int32_t i = 0; i < VNTERUNIT_ANIM_NAMES; ++i) {
      const std::string_view name = kSetNames[i % VNTERUNIT_SET_SLOTS];
      char* out = text[i].data();
      out[0] = 'H';
      out[1] = static_cast<char>('1' + i / VNTERUNIT_SET_SLOTS);
      out[2] = '_';
      name.copy(out + 3, name.size());
      out[3 + name.size()] = '\0';
      pointers[i] = out;
    }
  }
};

constexpr bool NamesFit() {
  for (std::string_view name : kSetNames)
    if (name.size() > kLongestSetName) return false;
  return true;
}
static_assert(NamesFit());

const NAMETABLE& Table() {
  static const NAMETABLE table;
  return table;
}

int32_t FindIn(const std::string_view* names, int32_t count, std::string_view name) {
  for (int32_t i = 0; i < count; ++i)
    if (PLAT_EqualNoCase(names[i], name)) return i;
  return -1;
}

}  // namespace

const char* const* vnTERUNIT_GetAnimNames() { return Table().pointers.data(); }

int32_t vnTERUNIT_StateIndexA(const char* name) {
  if (!name) return -1;
  return FindIn(kLowerNames, VNTERUNIT_LOWER_STATES, name);
}

int32_t vnTERUNIT_StateIndexB(const char* name) {
  if (!name) return -1;
  const int32_t shared = FindIn(kLowerNames, VN_TERUNIT_UPPER_PULLROPE, name);
  if (shared >= 0) return shared;
  const int32_t own = FindIn(kUpperOwnNames, VNTERUNIT_UPPER_STATES - VN_TERUNIT_UPPER_PULLROPE,
                             name);
  return own < 0 ? -1 : VN_TERUNIT_UPPER_PULLROPE + own;
}
