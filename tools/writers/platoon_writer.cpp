#include "tools/writers/platoon_writer.h"

#include <cstdio>
#include <span>

#include "tools/writers/bytesum_writer.h"

namespace {

void Line(std::string& out, const std::string& text) { out += text + "\r\n"; }

std::string UnitLine(size_t slot, const VNWRITE_PLATOON_UNIT& u) {
  char buf[1024];
  std::snprintf(buf, sizeof buf,
                "Unit%zu=\"%s\" %u %f %f %f %f %f %f %f %d %d %d %d %d %s %s %s %s %s %s %s %d %d %d "
                "%d %d %d %d %d",
                slot, u.name.c_str(), u.flags, u.stats[0], u.stats[1], u.stats[2], u.stats[3],
                u.stats[4], u.stats[5], u.stats[6], u.rank, u.kills, u.experience, u.missions,
                u.profile, u.types[0].c_str(), u.types[1].c_str(), u.types[2].c_str(),
                u.types[3].c_str(), u.types[4].c_str(), u.types[5].c_str(), u.types[6].c_str(),
                u.medals[0], u.medals[1], u.medals[2], u.medals[3], u.medals[4], u.medals[5],
                u.medals[6], u.medals[7]);
  return buf;
}

}  // namespace

std::string vnWRITE_PlatoonText(const VNWRITE_PLATOON& p) {
  const std::string rule = "//+" + std::string(87, '-') + "+";
  std::string out;
  Line(out, "[Info]");
  Line(out, "l0=\"" + rule + "\"");
  Line(out, "l1=\"// Vantoria platoon file\"");
  Line(out, "l2=\"// Auto-Generated on Thu Jan  1 00:00:00 1970");
  Line(out, "\"");
  Line(out, "l3=\"" + rule + "\"");
  Line(out, "Name=\"" + p.name + "\"");
  Line(out, "[GUID]");
  Line(out, "guid=" + p.guid);
  Line(out, "[Platoon]");
  Line(out, "LtName=\"" + p.ltName + "\"");
  Line(out, "PlatoonName=\"" + p.platoonName + "\"");
  Line(out, "Profile=" + std::to_string(p.profile));
  Line(out, "Insignia=" + std::to_string(p.insignia));
  Line(out, "CurrentLevel=\"" + p.currentLevel + "\"");
  Line(out, "UP=" + std::to_string(p.up));
  for (size_t slot = 0; slot < p.units.size(); ++slot)
    Line(out, p.units[slot] ? UnitLine(slot, *p.units[slot]) : "Unit" + std::to_string(slot) + "=");
  Line(out, "[UPGRADES]");
  for (size_t i = 0; i < p.upgrades.size(); ++i)
    Line(out, "unit" + std::to_string(i) + "=" + p.upgrades[i]);
  Line(out, "[END]");
  return out;
}

bool vnWRITE_PlatoonFile(const std::string& path, const VNWRITE_PLATOON& platoon) {
  const std::string text = vnWRITE_PlatoonText(platoon);
  return vnWRITE_ByteSumFile(path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}
