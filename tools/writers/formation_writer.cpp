#include "tools/writers/formation_writer.h"

#include <cstdio>

#include "platform/trace.h"
#include "tools/writers/file_writer.h"

namespace {

constexpr char kFile[] = "formations.txt";

// Nine significant digits give back the same float.
void AppendVector(std::string& out, const char* key, size_t index, const std::array<float, 3>& v) {
  char text[128];
  std::snprintf(text, sizeof text, "%s[%zu] = (%.9g, %.9g, %.9g)\n", key, index,
                static_cast<double>(v[0]), static_cast<double>(v[1]), static_cast<double>(v[2]));
  out += text;
}

// The reader ends a name at a blank or ']' and keeps at most VNWRITE_FORMATION_MAX_NAME bytes.
bool NameFits(const std::string& name) {
  return !name.empty() && name.size() <= VNWRITE_FORMATION_MAX_NAME &&
         name.find_first_of(" \t\r\n]") == std::string::npos;
}

}  // namespace

std::string vnWRITE_FormationsText(const std::vector<VNWRITE_FORMATION>& formations) {
  std::string out;
  for (const VNWRITE_FORMATION& f : formations) {
    out += "[ " + f.name + " ]\n";
    out += "Count = " + std::to_string(f.slots.size()) + "\n";
    for (size_t i = 0; i < f.slots.size(); ++i) {
      AppendVector(out, "Orientation", i, f.slots[i].facing);
      AppendVector(out, "Offset", i, f.slots[i].offset);
    }
    out += '\n';
  }
  return out;
}

bool vnWRITE_Formations(const std::string& root, const std::vector<VNWRITE_FORMATION>& formations) {
  for (const VNWRITE_FORMATION& f : formations) {
    if (!NameFits(f.name)) {
      PLAT_Trace("vnWRITE_Formations: \"%s\" is no formation name\n", f.name.c_str());
      return false;
    }
    if (f.slots.size() > VNWRITE_FORMATION_MAX_SLOTS) {
      PLAT_Trace("vnWRITE_Formations: %s has %zu slots, more than %zu\n", f.name.c_str(),
                 f.slots.size(), VNWRITE_FORMATION_MAX_SLOTS);
      return false;
    }
  }
  const std::string text = vnWRITE_FormationsText(formations);
  return vnWRITE_WholeFile("vnWRITE_Formations", root + "/" + kFile, text.data(), text.size());
}
