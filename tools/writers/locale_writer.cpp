#include "tools/writers/locale_writer.h"

#include <cstdio>

#include "platform/files.h"
#include "platform/trace.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

bool vnWRITE_IniValue(const std::string& value, std::string* out) {
  if (value.find('\n') != std::string::npos || value.find('\0') != std::string::npos) {
    PLAT_Trace("VNWRITE: an INI value cannot hold a line break\n");
    return false;
  }
  const bool padded = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()));
  const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                      value.back() == value.front();
  // Quotes protect blanks at the ends and quotes the reader would strip.
  *out = (padded || quoted) ? "\"" + value + "\"" : value;
  return true;
}

bool vnWRITE_LocaleFileKeys(const std::string& root, const char* code,
                            const std::map<int, std::string>& lines) {
  const std::string folder = root + "/Locale";
  if (!PLAT_MakeDirectory(folder.c_str())) {
    PLAT_Trace("VNWRITE: cannot make %s\n", folder.c_str());
    return false;
  }
  const std::string path = folder + "/LocaleData." + code;
  PLAT_FileHandle f(PLAT_FOpen(path.c_str(), "wb"));
  if (!f) {
    PLAT_Trace("VNWRITE: cannot write %s\n", path.c_str());
    return false;
  }
  // CR LF as the tables were made on Windows; the reader takes both.
  bool ok = fputs("[LocaleStrings]\r\n", f.get()) >= 0;
  for (const auto& [index, text] : lines) {
    std::string value;
    if (!vnWRITE_IniValue(text, &value)) {
      PLAT_Trace("VNWRITE: %s line%d cannot be written\n", path.c_str(), index);
      return false;
    }
    ok = ok && fprintf(f.get(), "line%d=%s\r\n", index, value.c_str()) > 0;
  }
  ok = ok && fflush(f.get()) == 0;
  if (!ok) PLAT_Trace("VNWRITE: writing %s failed\n", path.c_str());
  return ok;
}

bool vnWRITE_LocaleFile(const std::string& root, const char* code,
                        const std::vector<std::string>& lines) {
  std::map<int, std::string> keyed;
  for (size_t i = 0; i < lines.size(); ++i) keyed.emplace(static_cast<int>(i), lines[i]);
  return vnWRITE_LocaleFileKeys(root, code, keyed);
}

bool vnWRITE_LocaleAllLanguages(const std::string& root, const std::vector<std::string>& lines) {
  for (const char* code : VNWRITE_LOCALE_CODES)
    if (!vnWRITE_LocaleFile(root, code, lines)) return false;
  return true;
}
