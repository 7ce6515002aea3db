#include "tools/writers/sounddef_writer.h"

#include <cstdio>

#include "platform/files.h"
#include "platform/trace.h"

std::string vnWRITE_SoundDefValue(const vnSOUNDDEF_ENTRY& e) {
  // Nine significant digits bring every float back unchanged.
  char text[96];
  std::snprintf(text, sizeof text, "%d,%d,%.9g,%.9g,%d", e.priority, e.volume,
                static_cast<double>(e.minDistance), static_cast<double>(e.audibleDistance), e.maxPlays);
  return text;
}

bool vnWRITE_SoundDef(const std::string& root, const std::map<int32_t, vnSOUNDDEF_ENTRY>& entries) {
  const std::string folder = root + "/sound";
  const std::string path = folder + "/sounddef.txt";
  // CR LF as the tables were made on Windows; the reader takes both.
  std::string text = "[SoundEffectRunTimeBindingData]\r\n";
  for (const auto& [id, entry] : entries)
    text += "File" + std::to_string(id) + "=" + vnWRITE_SoundDefValue(entry) + "\r\n";
  if (!PLAT_MakeDirectory(folder.c_str()) ||
      !PLAT_WriteFileAtomic(path.c_str(), text.data(), text.size())) {
    PLAT_Trace("vnWRITE_SoundDef: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}
