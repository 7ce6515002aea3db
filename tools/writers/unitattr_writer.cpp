#include "tools/writers/unitattr_writer.h"

#include <cstdarg>
#include <cstdio>

#include "platform/files.h"
#include "platform/trace.h"
#include "tools/writers/file_writer.h"

namespace {

constexpr size_t kMaxLinked = 8;
constexpr int32_t kIndicesPerLine = 10;

void Append(std::string& out, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void Append(std::string& out, const char* fmt, ...) {
  char text[64];
  va_list args;
  va_start(args, fmt);
  std::vsnprintf(text, sizeof text, fmt, args);
  va_end(args);
  out += text;
}

// Nine significant digits give back the same float.
void AppendFloat(std::string& out, float v) { Append(out, " %.9g", static_cast<double>(v)); }

bool WriteUnder(const char* who, const std::string& root, const char* name,
                const std::string& text) {
  const std::string folder = root + "/units";
  if (!PLAT_MakeDirectory(folder.c_str())) {
    PLAT_Trace("%s: cannot make %s\n", who, folder.c_str());
    return false;
  }
  return vnWRITE_WholeFile(who, folder + "/" + name, text.data(), text.size());
}

}  // namespace

std::string vnWRITE_UnitAttrText(const std::vector<VNWRITE_UNITATTR>& rows) {
  std::string out =
      "// type, values 2-4, 6-8, supply, value 10, values 11-29, flags, linked types\n";
  for (const VNWRITE_UNITATTR& r : rows) {
    Append(out, "%d", r.type);
    for (int32_t v : r.ints) Append(out, " %d", v);
    AppendFloat(out, r.supply);
    Append(out, " %d", r.value10);
    for (float v : r.floats) AppendFloat(out, v);
    Append(out, " %d", static_cast<int32_t>(r.flags));
    for (size_t i = 0; i < r.linked.size() && i < kMaxLinked; ++i) Append(out, " %d", r.linked[i]);
    out += '\n';
  }
  out += '\n';
  return out;
}

bool vnWRITE_UnitAttrs(const std::string& root, const std::vector<VNWRITE_UNITATTR>& rows) {
  for (const VNWRITE_UNITATTR& r : rows) {
    if (r.linked.size() > kMaxLinked) {
      PLAT_Trace("vnWRITE_UnitAttrs: type %d has more than %zu linked types\n", r.type, kMaxLinked);
      return false;
    }
  }
  return WriteUnder("vnWRITE_UnitAttrs", root, "vn_db_attr.txt", vnWRITE_UnitAttrText(rows));
}

std::string vnWRITE_WeaponModsText(const VNWRITE_WEAPONMODS& mods) {
  std::string out;
  for (const auto& row : mods.matrix) {
    for (float v : row) AppendFloat(out, v);
    out += '\n';
  }
  for (const auto* indices : {&mods.rowOfType, &mods.colOfType}) {
    for (int32_t t = 0; t < VNWRITE_UNIT_TYPES; ++t) {
      Append(out, " %d", (*indices)[static_cast<size_t>(t)]);
      if (t % kIndicesPerLine == kIndicesPerLine - 1 || t == VNWRITE_UNIT_TYPES - 1) out += '\n';
    }
  }
  return out;
}

bool vnWRITE_WeaponMods(const std::string& root, const VNWRITE_WEAPONMODS& mods) {
  return WriteUnder("vnWRITE_WeaponMods", root, "VN_WeaponMods.txt", vnWRITE_WeaponModsText(mods));
}
