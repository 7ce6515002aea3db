// Platoon files: the platoon in INI layout with CR LF line ends, then the byte sum of the file.
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "frontend/platman.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "platform/trace.h"
#include "shell/bytesum.h"
#include "shell/util.h"

namespace {

constexpr char kFormatGuidText[] = "b7d192be-d3ee-4126-a5f1-5e0045ff9897";
constexpr char kRule[] =
    "//+---------------------------------------------------------------------------------------+";
// A unit line: name, flags, seven stats, rank, kills, experience, missions, profile, seven type
// names and eight medals.
constexpr int32_t kUnitFields = 29;
constexpr uint32_t kUnitValueSize = 1025;
constexpr int32_t kUnitTypeNames = 7;
// The training platoons wear insignia 9.
constexpr int32_t kInsignias = 10;

const char* TypeName(int32_t type) {
  if (type < 0 || type >= VN_UNIT_TYPE_COUNT) return "NULL";
  return vnUNITMAN_GetTypeInfo(type)->pszName;
}

// A name the file could not give back: a quote ends a quoted value early and a line break ends
// the line.
bool Writable(const char* text) { return !std::strpbrk(text, "\"\r\n"); }

void DefaultName(char (&name)[VNPLATOON_NAME_SIZE], const char* fallback) {
  if (!name[0]) std::snprintf(name, sizeof name, "%s", fallback);
}

bool Saved(const VNPLATOON_UNIT* u) {
  return u && !(u->dwFlags & VNPLATOON_UNIT_NOT_SAVED) && u->szName[0];
}

const char* Unwritable(const VNPLATOON* p) {
  for (const char* text : {p->szName, p->szLtName, p->szPlatoonName, p->szCurrentLevel})
    if (!Writable(text)) return text;
  for (const VNPLATOON_UNIT* u : p->apUnits)
    if (Saved(u) && !Writable(u->szName)) return u->szName;
  return nullptr;
}

// Text written as CR LF lines.
struct Lines {
  std::string text;
  template <typename... A>
  void Add(const char* format, A... args) {
    char buf[1024];
    std::snprintf(buf, sizeof buf, format, args...);
    for (const char* c = buf; *c; ++c) {
      if (*c == '\n') text += '\r';
      text += *c;
    }
  }
};

void WriteHeader(Lines& out, const VNPLATOON* p) {
  const std::time_t now = std::time(nullptr);
  out.Add("[Info]\n");
  out.Add("l0=\"%s\"\n", kRule);
  out.Add("l1=\"// Vantoria platoon file\"\n");
  // ctime's own line feed puts the closing quote on the next line.
  out.Add("l2=\"// Auto-Generated on %s\"\n", std::ctime(&now));
  out.Add("l3=\"%s\"\n", kRule);
  out.Add("Name=\"%s\"\n", p->szName);
  out.Add("[GUID]\n");
  out.Add("guid=%s\n", kFormatGuidText);
  out.Add("[Platoon]\n");
  out.Add("LtName=\"%s\"\n", p->szLtName);
  out.Add("PlatoonName=\"%s\"\n", p->szPlatoonName);
  out.Add("Profile=%d\n", p->nProfile);
  out.Add("Insignia=%d\n", p->nInsignia);
  out.Add("CurrentLevel=\"%s\"\n", p->szCurrentLevel);
  out.Add("UP=%d\n", p->nUP);
}

void WriteUnit(Lines& out, int32_t slot, VNPLATOON_UNIT* u) {
  if (!Saved(u)) {
    out.Add("Unit%d=\n", slot);
    return;
  }
  u->dwFlags &= VNPLATOON_UNIT_SAVED_FLAGS;
  if (slot >= VNPLATOON_FIRST_SPECIALIST && u->nUnitType == VNPLATOON_NONE)
    u->nUnitType = VN_UNIT_TYPE_TERRAN_COMBATENG + vnPLATMAN_IsFemale(u);
  const float* s = u->stats.afStats;
  out.Add("Unit%d=\"%s\" %d %f %f %f %f %f %f %f %d %d %d %d %d %s %s %s %s %s %s %s %d %d %d %d %d "
          "%d %d %d\n",
          slot, u->szName, u->dwFlags, s[0], s[1], s[2], s[3], s[4], s[5], s[6], u->nRank,
          u->nKills, u->nExperience, u->nMissions, u->nProfile, TypeName(u->nUnitType),
          TypeName(u->nSuitType), TypeName(u->nSpecialistType), TypeName(u->anWeapons[0]),
          TypeName(u->anWeapons[1]), TypeName(u->anEquipment[0]), TypeName(u->anEquipment[1]),
          u->anMedals[0], u->anMedals[1], u->anMedals[2], u->anMedals[3], u->anMedals[4],
          u->anMedals[5], u->anMedals[6], u->anMedals[7]);
}

void WriteUpgrades(Lines& out, const VNPLATOON* p) {
  out.Add("[UPGRADES]\n");
  int32_t n = 0;
  for (int32_t type = 0; type < VN_UNIT_TYPE_COUNT; ++type)
    if (p->anUpgrade[type] == 1) out.Add("unit%d=%s\n", n++, TypeName(type));
  out.Add("[END]\n");
}

bool ReadGuid(const char* path, PLAT_GUID* guid) {
  char text[VNPLATOON_NAME_SIZE + 1] = {};
  PLAT_IniGetString("GUID", "guid", "", text, sizeof text, path);
  if (!text[0]) {
    PLAT_Trace("There is no GUID in the platoon file [%s].  Please create a NEW platoon from the "
               "Start Screen.\n", path);
    return false;
  }
  if (!vnUTIL_StringToGuid(text, guid) || !vnUTIL_GuidEqual(guid, &vnPLATMAN_FormatGuid())) {
    PLAT_Trace("The platoon file [%s] is using an old format.  Please create a NEW platoon from "
               "the Start Screen.\n", path);
    return false;
  }
  return true;
}

bool ReadText(const char* path, const char* section, const char* key, const char* fallback,
              char* out) {
  PLAT_IniGetString(section, key, fallback, out, VNPLATOON_NAME_SIZE, path);
  return out[0] != '\0';
}

bool ReadPlatoonValues(const char* path, VNPLATOON* p) {
  if (!ReadText(path, "Info", "Name", "UnNamed", p->szName) ||
      !ReadText(path, "Platoon", "LtName", "", p->szLtName) ||
      !ReadText(path, "Platoon", "PlatoonName", "", p->szPlatoonName) ||
      !ReadText(path, "Platoon", "CurrentLevel", "", p->szCurrentLevel))
    return false;
  p->nProfile = PLAT_IniGetInt("Platoon", "Profile", -1, path);
  p->nInsignia = PLAT_IniGetInt("Platoon", "Insignia", -1, path);
  p->nUP = PLAT_IniGetInt("Platoon", "UP", -1, path);
  if (p->nUP == -1) return false;
  if (!vnPLATMAN_GetProfile(p->nProfile) || p->nInsignia < 0 || p->nInsignia >= kInsignias) {
    PLAT_Trace("PLATMAN: profile %d or insignia %d of the platoon is out of range\n", p->nProfile,
               p->nInsignia);
    return false;
  }
  return true;
}

// The soldier of a unit line, or null when the line does not hold one soundly.
VNPLATOON_UNIT* ReadUnit(const char* value, int32_t slot) {
  VNPLATOON_UNIT* u = vnPLATMAN_NewUnitRecord();
  if (!u) return nullptr;
  u->nRosterId = slot;
  char types[kUnitTypeNames][VNPLATOON_NAME_SIZE] = {};
  float* s = u->stats.afStats;
  int32_t* m = u->anMedals;
  int end = 0;
  const int n = std::sscanf(
      value,
      "\"%63[^\"]\" %u %f %f %f %f %f %f %f %d %d %d %d %d %63s %63s %63s %63s %63s %63s %63s "
      "%d %d %d %d %d %d %d %d %n",
      u->szName, &u->dwFlags, &s[0], &s[1], &s[2], &s[3], &s[4], &s[5], &s[6], &u->nRank,
      &u->nKills, &u->nExperience, &u->nMissions, &u->nProfile, types[0], types[1], types[2],
      types[3], types[4], types[5], types[6], &m[0], &m[1], &m[2], &m[3], &m[4], &m[5], &m[6], &m[7],
      &end);
  const bool whole = n == kUnitFields && value[end] == '\0';
  if (!whole || u->nRank < 0 || u->nRank >= VNPLATMAN_RANKS || !vnPLATMAN_GetProfile(u->nProfile)) {
    PLAT_Trace("PLATMAN: unit %d: %d of %d values, rank %d, profile %d\n", slot, n, kUnitFields,
               u->nRank, u->nProfile);
    vnPLATMAN_FreeUnit(u);
    return nullptr;
  }
  int32_t* words[kUnitTypeNames] = {&u->nUnitType,    &u->nSuitType,     &u->nSpecialistType,
                                    &u->anWeapons[0], &u->anWeapons[1], &u->anEquipment[0],
                                    &u->anEquipment[1]};
  for (int32_t i = 0; i < kUnitTypeNames; ++i) *words[i] = vnUNITMAN_FindTypeByName(types[i]);
  u->pLevel = vnPLATMAN_GetLevelRow(u->nExperience);
  return u;
}

bool ReadUnits(const char* path, VNPLATOON* p) {
  for (int32_t slot = 0; slot < VNPLATOON_SLOTS; ++slot) {
    char key[16];
    std::snprintf(key, sizeof key, "Unit%d", slot);
    char value[kUnitValueSize] = {};
    PLAT_IniGetString("Platoon", key, "", value, sizeof value, path);
    if (!value[0]) continue;
    p->apUnits[slot] = ReadUnit(value, slot);
    if (!p->apUnits[slot]) return false;
  }
  return true;
}

bool ReadUpgrades(const char* path, VNPLATOON* p) {
  for (int32_t i = 0; i < VN_UNIT_TYPE_COUNT; ++i) {
    char key[16];
    std::snprintf(key, sizeof key, "unit%d", i);
    char value[VNPLATOON_NAME_SIZE + 1] = {};
    PLAT_IniGetString("UPGRADES", key, "", value, sizeof value, path);
    if (!value[0]) break;
    const int32_t type = vnUNITMAN_FindTypeByName(value);
    if (type < 0) {
      PLAT_Trace("PLATMAN: There was an invalid upgrade unit specified [%s], in platoon [%s]!\n",
                 value, path);
      return false;
    }
    p->anUpgrade[type] = 1;
  }
  return true;
}

}  // namespace

const PLAT_GUID& vnPLATMAN_FormatGuid() {
  static const PLAT_GUID guid = [] {
    PLAT_GUID g{};
    vnUTIL_StringToGuid(kFormatGuidText, &g);
    return g;
  }();
  return guid;
}

uint32_t vnPLATMAN_SavePlatoon(VNPLATOON* platoon, const char* path) {
  if (!platoon || !path) return 0;
  // Refused before the file is created, so that a good file is not replaced by one that
  // cannot be read.
  if (const char* bad = Unwritable(platoon)) {
    PLAT_Trace("PLATMAN: the name [%s] holds a quote or a line break; the platoon is not saved to "
               "[%s]\n", bad, path);
    return 0;
  }
  PLAT_FileHandle f(PLAT_FOpen(path, "wb"));
  if (!f) {
    PLAT_Trace("There was a problem opening the Platoon file!:\n[%s]\n", path);
    return 0;
  }
  DefaultName(platoon->szName, "NoName");
  DefaultName(platoon->szLtName, "LtName");
  DefaultName(platoon->szPlatoonName, "PlatName");
  Lines out;
  WriteHeader(out, platoon);
  for (int32_t slot = 0; slot < VNPLATOON_SLOTS; ++slot) WriteUnit(out, slot, platoon->apUnits[slot]);
  WriteUpgrades(out, platoon);
  const bool written = std::fwrite(out.text.data(), 1, out.text.size(), f.get()) == out.text.size();
  if (!PLAT_CloseFile(f) || !written) {
    PLAT_Trace("There was a problem writing the Platoon file!:\n[%s]\n", path);
    return 0;
  }
  // A file rewritten within the same second at the same size must not read back from the
  // cache as it was.
  PLAT_IniFlushCache();
  uint32_t sum = 0;
  return vnUTIL_AppendChecksum(path, &sum) ? sum : 0;
}

int32_t vnPLATMAN_CheckPlatoonFile(const char* path) {
  if (!path || !vnUTIL_VerifyChecksum(path)) return 0;
  PLAT_GUID guid{};
  return ReadGuid(path, &guid) ? 1 : 0;
}

VNPLATOON* vnPLATMAN_OpenPlatoon(const char* path) {
  if (!path) return nullptr;
  if (!vnUTIL_VerifyChecksum(path)) {
    PLAT_Trace("The platoon checksum is invalid for [%s]!  Please create a NEW platoon from the "
               "Start Screen.\n", path);
    return nullptr;
  }
  PLAT_IniHold hold(path);
  VNPLATOON* p = vnPLATMAN_CreatePlatoon();
  if (!p) return nullptr;
  if (!ReadGuid(path, &p->guidFormat) || !ReadPlatoonValues(path, p) || !ReadUnits(path, p) ||
      !ReadUpgrades(path, p)) {
    PLAT_Trace("There was a problem reading the Platoon file!:\n[%s]\n", path);
    vnPLATMAN_FreePlatoon(p);
    return nullptr;
  }
  return p;
}
