#include "tools/mkcontent/platoon.h"

#include "platform/files.h"
#include "platform/trace.h"
#include "tools/writers/platoon_writer.h"
#include "tools/writers/promote_writer.h"

namespace {

// Each rank adds a little more than the one before it; the stats are in the platoon's order.
VNWRITE_PROMOTIONS Promotions() {
  VNWRITE_PROMOTIONS rows{};
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t s = 0; s < rows[r].size(); ++s) rows[r][s] = static_cast<float>(r + 1) * (s == 0 ? 5.0f : 2.0f);
  return rows;
}

struct MEMBER {
  int slot;
  const char* name;
  int rank;
  int experience;  // the least of the rank
  int profile;
  const char* specialist;  // "NULL" for none
  const char* weapon;
};

constexpr char kRifle[] = "VN_UNIT_TYPE_WEAPON_SMARTRIFLE_0";
constexpr char kLightRifle[] = "VN_UNIT_TYPE_WEAPON_LIGHTRIFLE_0";

// The lieutenant leads squad 1; squads 2 and 3 have their sergeants; the specialists close.
constexpr MEMBER kTeam[] = {
    {36, "Aron Halden", 4, 6000, 2, "NULL", kRifle},
    {37, "Anwen Corran", 0, 0, 84, "VN_UNIT_TYPE_TERRAN_MEDIC_FEM", kLightRifle},
    {38, "Bram Dorn", 0, 0, 23, "NULL", kLightRifle},
    {42, "Cole Garrow", 3, 3500, 30, "NULL", kRifle},
    {43, "Dane Ivers", 0, 0, 26, "NULL", kLightRifle},
    {48, "Evan Fenwick", 2, 1800, 31, "NULL", kRifle},
    {49, "Brisa Frayne", 0, 0, 85, "NULL", kLightRifle},
    {54, "Finn Eskar", 1, 800, 24, "VN_UNIT_TYPE_TERRAN_COMBATENG", kLightRifle},
    {55, "Calla Gorse", 1, 800, 86, "VN_UNIT_TYPE_TERRAN_MIST_FEM", "NULL"},
    {56, "Gil Jorund", 1, 800, 25, "VN_UNIT_TYPE_TERRAN_PSYCHIC", "NULL"},
};

VNWRITE_PLATOON DemoPlatoon() {
  VNWRITE_PLATOON p;
  p.name = "Demo";
  p.ltName = kTeam[0].name;
  p.platoonName = "Demo Platoon";
  p.profile = kTeam[0].profile;
  p.insignia = 1;
  p.currentLevel = "C1M1A";
  for (const MEMBER& m : kTeam) {
    VNWRITE_PLATOON_UNIT u;
    u.name = m.name;
    u.rank = m.rank;
    u.experience = m.experience;
    u.profile = m.profile;
    u.stats = {100, 100, 100, 100, 100, 100, 100};
    const bool woman = m.profile >= 84;
    u.types = {woman ? "VN_UNIT_TYPE_TERRAN_ZR_0_FEM" : "VN_UNIT_TYPE_TERRAN_ZR_0", "NULL",
               m.specialist, m.weapon, "NULL", "NULL", "NULL"};
    p.units[static_cast<size_t>(m.slot)] = u;
  }
  return p;
}

}  // namespace

bool vnMKCONTENT_Platoon(const std::string& root) {
  const bool ok = PLAT_MakeDirectory((root + "/units").c_str()) &&
                  PLAT_MakeDirectory((root + "/platoons").c_str()) &&
                  vnWRITE_PromoteFile(root + "/units/vn_promote.txt", Promotions()) &&
                  vnWRITE_PlatoonFile(root + "/platoons/inplay.plt", DemoPlatoon());
  if (!ok) PLAT_Trace("vnMKCONTENT_Platoon: could not write the promotions and the platoon\n");
  return ok;
}
