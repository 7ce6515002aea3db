// Platoon and soldier records, experience levels, ranks and promotions.
#include <array>
#include <cstdio>
#include <span>

#include "engine/memory/memblock.h"
#include "frontend/platman.h"
#include "platform/files.h"
#include "platform/random.h"
#include "platform/trace.h"

namespace {

constexpr char kPromoteFile[] = "units/vn_promote.txt";
constexpr int32_t kManType = VN_UNIT_TYPE_TERRAN_ZR_0;
constexpr int32_t kDefaultProfile = 22;

// Attribute flag bits that place a type.
constexpr uint32_t kAttrSuit = 0x4;
constexpr uint32_t kAttrSpecialist = 0x10;

// The least experience of levels 1 to 50.
constexpr int32_t kThresholds[VNPLATMAN_LEVELS] = {
    0,     100,   200,   300,   400,   500,   800,   1200,   1500,   1800,
    2100,  2400,  2700,  3000,  3500,  4000,  4500,  5000,   5500,   6000,
    6500,  7000,  7500,  8000,  8500,  9000,  9500,  10000,  10500,  11000,
    11500, 12000, 12500, 13000, 13500, 14000, 14500, 15000,  15500,  16000,
    17000, 19000, 23000, 31000, 47000, 79000, 143000, 271000, 527000, 1039000};
// The first level of ranks 0 to 8.
constexpr int32_t kRankFirstLevel[VNPLATMAN_RANKS] = {1, 7, 10, 15, 20, 27, 33, 39, 45};
// Ranks 7 and 8 are never reached by promotion after a mission.
constexpr int32_t kRankQuota[VNPLATMAN_RANKS] = {VNPLATOON_SLOTS, 6, 3, 3, 1, 1, 1, 0, 0};

constexpr int32_t RankOfLevel(int32_t level) {
  int32_t rank = 0;
  while (rank + 1 < VNPLATMAN_RANKS && kRankFirstLevel[rank + 1] <= level) ++rank;
  return rank;
}

struct LEVELS {
  std::array<VNRANK_LEVEL, VNPLATMAN_LEVELS> rows{};
  constexpr LEVELS() {
    for (int32_t i = 0; i < VNPLATMAN_LEVELS; ++i) {
      const int32_t level = i + 1;
      rows[i] = {level, kThresholds[i], level <= 20 ? 10 + 2 * level : 50, RankOfLevel(level)};
    }
  }
};
constexpr LEVELS kLevels;
static_assert(kLevels.rows[5].nRank == 0 && kLevels.rows[6].nRank == 1);
static_assert(kLevels.rows[44].nExperience == 47000 && kLevels.rows[44].nRank == 8);

std::array<VNPLATMAN_STATBLOCK, VNPLATMAN_RANKS> g_promotions{};

// A zero-filled record of the game memory; null after the trace when the memory is full.
template <typename T>
T* NewRecord(const char* failure) {
  auto* record = static_cast<T*>(SGE_MemCalloc(SGE_GameMem, sizeof(T)));
  if (!record) PLAT_Trace("%s\n", failure);
  return record;
}
constexpr char kNoPlatoon[] = "Unable to allocate a new platoon!";
constexpr char kNoUnit[] = "Unable to allocate a new unit!";

bool ValidRank(int32_t rank) { return rank >= 0 && rank < VNPLATMAN_RANKS; }

void AddPromotion(VNPLATOON_UNIT* soldier, int32_t rank) {
  vnPLATMAN_AddStats(&soldier->stats, &soldier->stats, &g_promotions[static_cast<size_t>(rank)]);
}

}  // namespace

// --- Tables -------------------------------------------------------------------------------

int32_t vnPLATMAN_LoadPromotions() {
  g_promotions = {};
  PLAT_FileHandle f(PLAT_FOpen(kPromoteFile, "r"));
  if (!f) {
    PLAT_Trace("vnPLATMAN_LoadPromotions: %s cannot be opened\n", kPromoteFile);
    return 0;
  }
  int32_t ok = 1;
  char line[512];
  for (int32_t rank = 1; rank < VNPLATMAN_RANKS; ++rank) {
    float* v = g_promotions[static_cast<size_t>(rank)].afStats;
    if (!std::fgets(line, sizeof line, f.get()) ||
        std::sscanf(line, " %f %f %f %f %f %f %f", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5],
                    &v[6]) != VNPLATMAN_STATS) {
      PLAT_Trace("Error reading promotion file!\n");
      ok = 0;
    }
  }
  return ok;
}

const VNPLATMAN_STATBLOCK* vnPLATMAN_GetPromotion(int32_t rank) {
  return ValidRank(rank) ? &g_promotions[static_cast<size_t>(rank)] : nullptr;
}

int32_t vnPLATMAN_Init() { return vnPLATMAN_LoadPromotions(); }

void vnPLATMAN_Shutdown() { g_promotions = {}; }

const VNRANK_LEVEL* vnPLATMAN_GetLevelRow(int32_t experience) {
  const VNRANK_LEVEL* row = &kLevels.rows[0];
  for (const VNRANK_LEVEL& r : kLevels.rows)
    if (r.nExperience <= experience) row = &r;
  return row;
}

int32_t vnPLATMAN_GetLevelRank(int32_t experience) {
  return vnPLATMAN_GetLevelRow(experience)->nRank;
}

const VNRANK_LEVEL* vnPLATMAN_GetRankRow(int32_t rank) {
  if (!ValidRank(rank)) return nullptr;
  return &kLevels.rows[static_cast<size_t>(kRankFirstLevel[rank] - 1)];
}

int32_t vnPLATMAN_GetRankQuota(int32_t rank) { return ValidRank(rank) ? kRankQuota[rank] : 0; }

// --- Records ------------------------------------------------------------------------------

VNPLATOON* vnPLATMAN_CreatePlatoon() {
  auto* p = NewRecord<VNPLATOON>(kNoPlatoon);
  if (!p) return nullptr;
  std::snprintf(p->szName, sizeof p->szName, "NoName");
  std::snprintf(p->szLtName, sizeof p->szLtName, "Lt Name");
  std::snprintf(p->szPlatoonName, sizeof p->szPlatoonName, "PlatName");
  std::snprintf(p->szCurrentLevel, sizeof p->szCurrentLevel, "c1m2");
  return p;
}

void vnPLATMAN_FreePlatoon(VNPLATOON* platoon) {
  if (!platoon) return;
  platoon->szPlatoonName[0] = '\0';
  for (VNPLATOON_UNIT*& soldier : platoon->apUnits) {
    vnPLATMAN_FreeUnit(soldier);
    soldier = nullptr;
  }
  SGE_MemFree(platoon);
}

VNPLATOON* vnPLATMAN_CopyPlatoon(const VNPLATOON* platoon) {
  if (!platoon) return nullptr;
  auto* copy = NewRecord<VNPLATOON>(kNoPlatoon);
  if (!copy) return nullptr;
  *copy = *platoon;
  for (VNPLATOON_UNIT*& soldier : copy->apUnits) {
    if (!soldier) continue;
    auto* u = NewRecord<VNPLATOON_UNIT>(kNoUnit);
    if (!u) {
      soldier = nullptr;  // the rest still point at the original's soldiers
      for (VNPLATOON_UNIT*& rest : std::span(&soldier, copy->apUnits + VNPLATOON_SLOTS)) rest = nullptr;
      vnPLATMAN_FreePlatoon(copy);
      return nullptr;
    }
    *u = *soldier;
    soldier = u;
  }
  return copy;
}

VNPLATOON_UNIT* vnPLATMAN_NewUnitRecord() {
  auto* u = NewRecord<VNPLATOON_UNIT>(kNoUnit);
  if (!u) return nullptr;
  std::snprintf(u->szName, sizeof u->szName, "Name");
  u->nUnitType = kManType;
  u->nSuitType = VNPLATOON_NONE;
  u->nSpecialistType = VNPLATOON_NONE;
  u->nProfile = kDefaultProfile;
  u->pLevel = vnPLATMAN_GetLevelRow(0);
  for (int32_t& w : u->anWeapons) w = VNPLATOON_NONE;
  for (int32_t& e : u->anEquipment) e = VNPLATOON_NONE;
  vnPLATMAN_RollStats(u, 1);
  return u;
}

// --- Ranks and stats ----------------------------------------------------------------------

void vnPLATMAN_RollStats(VNPLATOON_UNIT* soldier, int32_t roll) {
  if (!soldier) return;
  const VNUNIT_ATTR* rows = vnPLATMAN_GetAttributes();
  const bool known = rows && soldier->nUnitType >= 0 && soldier->nUnitType < VN_UNIT_TYPE_COUNT;
  vnPLATMAN_StatsFromAttributes(&soldier->stats, known ? &rows[soldier->nUnitType] : nullptr);
  const float factor = roll == 1 ? static_cast<float>(105 - PLAT_Rand() % 10) * 0.01f : 1.0f;
  for (float& v : soldier->stats.afStats) v *= factor;
}

void vnPLATMAN_SetRank(VNPLATOON_UNIT* soldier) {
  if (!soldier) return;
  const VNRANK_LEVEL* row = vnPLATMAN_GetRankRow(soldier->nRank);
  if (!row) {
    PLAT_Trace("vnPLATMAN_SetRank: rank %d is none of 0-8\n", soldier->nRank);
    return;
  }
  soldier->nExperience = row->nExperience;
  soldier->pLevel = row;
  soldier->nRank = 0;
  vnPLATMAN_PromoteByExperience(soldier);
}

void vnPLATMAN_PromoteToRank(VNPLATOON_UNIT* soldier, int32_t rank) {
  if (!soldier || !ValidRank(rank)) return;
  while (soldier->nRank < rank) {
    ++soldier->nRank;
    AddPromotion(soldier, soldier->nRank);
  }
  soldier->pLevel = vnPLATMAN_GetLevelRow(soldier->nExperience);
}

void vnPLATMAN_PromoteByExperience(VNPLATOON_UNIT* soldier) {
  if (soldier) vnPLATMAN_PromoteToRank(soldier, vnPLATMAN_GetLevelRank(soldier->nExperience));
}

int32_t vnPLATMAN_IsPromotionDue(const VNPLATOON_UNIT* soldier) {
  return soldier && vnPLATMAN_GetLevelRank(soldier->nExperience) > soldier->nRank;
}

int32_t vnPLATMAN_CountUnitsOfRank(const VNPLATOON* platoon, int32_t rank) {
  if (!platoon) return 0;
  int32_t n = 0;
  for (const VNPLATOON_UNIT* soldier : platoon->apUnits) n += soldier && soldier->nRank == rank;
  return n;
}

int32_t vnPLATMAN_RankHasRoom(const VNPLATOON* platoon, int32_t rank) {
  return vnPLATMAN_CountUnitsOfRank(platoon, rank) < vnPLATMAN_GetRankQuota(rank);
}

int32_t vnPLATMAN_IsFemale(const VNPLATOON_UNIT* soldier) {
  const VNSOLDIER_PROFILE* p = soldier ? vnPLATMAN_GetProfile(soldier->nProfile) : nullptr;
  return p ? p->bWoman : 0;
}

int32_t vnPLATMAN_SetUnitType(const VNPLATOON* platoon, VNPLATOON_UNIT* soldier, int32_t type) {
  if (!soldier) return -1;
  const int32_t previous = vnPLATMAN_GetUnitType(soldier);
  const VNUNIT_ATTR* rows = vnPLATMAN_GetAttributes();
  const uint32_t flags =
      rows && type >= 0 && type < VN_UNIT_TYPE_COUNT ? rows[type].dwFlags : 0;
  if (flags & kAttrSpecialist) {
    soldier->nSpecialistType = type;
  } else {
    soldier->nSpecialistType = VNPLATOON_NONE;
    if (flags & kAttrSuit) {
      soldier->nSuitType = type;
    } else {
      soldier->nUnitType = type;
      soldier->nSuitType = VNPLATOON_NONE;
    }
  }
  if (soldier->nUnitType == VNPLATOON_NONE) soldier->nUnitType = kManType + vnPLATMAN_IsFemale(soldier);
  if (platoon) vnPLATMAN_ValidateEquipment(platoon, soldier);
  return previous;
}

int32_t vnPLATMAN_IsSuitClass(const VNPLATOON_UNIT* soldier) {
  if (!soldier) return 0;
  switch (soldier->nSpecialistType) {
    case VN_UNIT_TYPE_TERRAN_COMBATENG:
    case VN_UNIT_TYPE_TERRAN_COMBATENG_FEM:
    case VN_UNIT_TYPE_TERRAN_MIST:  // the snipers
    case VN_UNIT_TYPE_TERRAN_MIST_FEM:
      return 1;
    case VNPLATOON_NONE:
      return soldier->nSuitType != VNPLATOON_NONE;
    default:
      return 0;
  }
}
