#include "tools/writers/placement_writer.h"

#include <cctype>

#include "platform/trace.h"

namespace {

bool HasBlank(const std::string& s) {
  for (char c : s) {
    if (std::isspace(static_cast<unsigned char>(c))) return true;
  }
  return false;
}

bool KeywordFits(const std::string& keyword) {
  return !keyword.empty() && !HasBlank(keyword) && keyword.find('=') == std::string::npos;
}

bool ValueFits(const std::string& value) {
  return value.find_first_of("\"\n") == std::string::npos;
}

}  // namespace

bool vnWRITE_PlacementBlockText(const VNWRITE_PLACEBLOCK& block, std::string* text) {
  if (block.name.size() > VNWRITE_PLACEBLOCK_MAX_NAME) {
    PLAT_Trace("vnWRITE_PlacementBlockText: block name longer than %zu characters\n",
               VNWRITE_PLACEBLOCK_MAX_NAME);
    return false;
  }
  std::string out;
  for (const auto& [keyword, value] : block.commands) {
    if (!KeywordFits(keyword) || !ValueFits(value)) {
      PLAT_Trace("vnWRITE_PlacementBlockText: %s: [%s=%s] cannot be read back\n",
                 block.name.c_str(), keyword.c_str(), value.c_str());
      return false;
    }
    const std::string line = keyword + "=" + (HasBlank(value) ? "\"" + value + "\"" : value);
    if (line.size() > VNWRITE_PLACEBLOCK_MAX_LINE) {
      PLAT_Trace("vnWRITE_PlacementBlockText: %s: a line longer than %zu characters\n",
                 block.name.c_str(), VNWRITE_PLACEBLOCK_MAX_LINE);
      return false;
    }
    out += line + "\n";
  }
  *text = std::move(out);
  return true;
}
