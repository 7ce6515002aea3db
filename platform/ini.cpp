#include "platform/ini.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/text.h"
#include "platform/trace.h"

namespace {

// Bounds that keep a hostile or broken file from exhausting memory.
constexpr size_t kIniMaxLine = 64 * 1024;
constexpr uint64_t kIniMaxFile = 64ull * 1024 * 1024;
constexpr size_t kIniCacheEntries = 64;

struct IniKey {
  std::string name;
  std::string value;
};

struct IniSection {
  std::string name;
  std::vector<IniKey> keys;
};

struct IniFile {
  std::vector<IniSection> sections;
};

struct CacheEntry {
  uint64_t size;
  int64_t mtimeSec;
  long mtimeNsec;
  ino_t inode;
  std::shared_ptr<const IniFile> parsed;
};

std::mutex g_iniLock;
std::map<std::string, CacheEntry> g_cache;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string Trim(const std::string& s, size_t from = 0, size_t to = std::string::npos) {
  if (to > s.size()) to = s.size();
  while (from < to && IsBlank(s[from])) ++from;
  while (to > from && IsBlank(s[to - 1])) --to;
  return s.substr(from, to - from);
}

std::string StripQuotes(const std::string& v) {
  if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0])
    return v.substr(1, v.size() - 2);
  return v;
}

IniSection* FindSection(IniFile& f, const char* name) {
  for (IniSection& s : f.sections)
    if (PLAT_EqualNoCase(s.name, name)) return &s;
  return nullptr;
}

const IniSection* FindSection(const IniFile& f, const char* name) {
  return FindSection(const_cast<IniFile&>(f), name);
}

const IniKey* FindKey(const IniSection& s, const char* name) {
  for (const IniKey& k : s.keys)
    if (PLAT_EqualNoCase(k.name, name)) return &k;
  return nullptr;
}

// Calls fn(line) for every line without its end; false when a line is longer than the cap.
template <typename Fn>
void ForEachLine(const std::string& text, const std::string& where, Fn fn) {
  size_t pos = 0;
  int number = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    ++number;
    if (end - pos > kIniMaxLine) {
      PLAT_Trace("PLAT_Ini: %s line %d longer than %zu bytes, skipped\n", where.c_str(), number,
                 kIniMaxLine);
    } else {
      fn(text.substr(pos, end - pos));
    }
    pos = end + 1;
  }
}

// Editors that save UTF-8 put this mark first; left in, it hides the first section.
constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

IniFile Parse(const std::string& text, const std::string& where) {
  IniFile file;
  IniSection* current = nullptr;
  const size_t start = text.rfind(kUtf8Bom, 0) == 0 ? sizeof kUtf8Bom - 1 : 0;
  ForEachLine(text.substr(start), where, [&](const std::string& raw) {
    std::string line = Trim(raw);
    if (line.empty() || line[0] == ';') return;
    if (line[0] == '[') {
      size_t close = line.find(']');
      std::string name = Trim(line, 1, close == std::string::npos ? line.size() : close);
      // A repeated section continues the first one, whose keys stay first.
      current = FindSection(file, name.c_str());
      if (!current) {
        file.sections.push_back({name, {}});
        current = &file.sections.back();
      }
      return;
    }
    size_t eq = line.find('=');
    if (eq == std::string::npos || !current) return;
    std::string key = Trim(line, 0, eq);
    if (FindKey(*current, key.c_str())) return;  // the first of duplicates wins
    current->keys.push_back({key, StripQuotes(Trim(line, eq + 1))});
  });
  return file;
}

bool ReadWhole(const std::string& path, uint64_t size, std::string* out) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  out->resize(size);
  size_t got = size ? std::fread(out->data(), 1, size, f) : 0;
  std::fclose(f);
  out->resize(got);
  return true;
}

// The parsed file, from the cache while its size and time are unchanged; null when unreadable.
std::shared_ptr<const IniFile> Load(const char* file) {
  std::string real = PLAT_ResolvePath(file);
  struct stat st {};
  if (::stat(real.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
  if (static_cast<uint64_t>(st.st_size) > kIniMaxFile) {
    PLAT_Trace("PLAT_Ini: %s is %lld bytes, more than the %llu allowed\n", real.c_str(),
               static_cast<long long>(st.st_size), static_cast<unsigned long long>(kIniMaxFile));
    return nullptr;
  }

  std::lock_guard<std::mutex> lock(g_iniLock);
  auto it = g_cache.find(real);
  if (it != g_cache.end() && it->second.size == static_cast<uint64_t>(st.st_size) &&
      it->second.mtimeSec == st.st_mtim.tv_sec && it->second.mtimeNsec == st.st_mtim.tv_nsec &&
      it->second.inode == st.st_ino)
    return it->second.parsed;

  std::string text;
  if (!ReadWhole(real, static_cast<uint64_t>(st.st_size), &text)) return nullptr;
  auto parsed = std::make_shared<const IniFile>(Parse(text, real));
  if (g_cache.size() >= kIniCacheEntries) g_cache.clear();
  g_cache[real] = {static_cast<uint64_t>(st.st_size), st.st_mtim.tv_sec, st.st_mtim.tv_nsec,
                   st.st_ino, parsed};
  return parsed;
}

uint32_t CopyCut(const std::string& value, char* buf, uint32_t size) {
  size_t n = std::min<size_t>(value.size(), size - 1);
  std::memcpy(buf, value.data(), n);
  buf[n] = '\0';
  return static_cast<uint32_t>(n);
}

// NUL-separated names ending with a double NUL; a list that does not fit is cut at a name
// boundary and size-2 is returned, as callers of the profile functions expect.
template <typename Names>
uint32_t CopyList(const Names& names, char* buf, uint32_t size) {
  if (size < 2) {
    buf[0] = '\0';
    return 0;
  }
  uint32_t pos = 0;
  for (const auto& item : names) {
    const std::string& name = item.name;
    if (pos + name.size() + 2 > size) {
      if (pos < size - 2) std::memcpy(buf + pos, name.data(), size - 2 - pos);
      buf[size - 2] = '\0';
      buf[size - 1] = '\0';
      return size - 2;
    }
    std::memcpy(buf + pos, name.data(), name.size());
    pos += static_cast<uint32_t>(name.size());
    buf[pos++] = '\0';
  }
  buf[pos] = '\0';
  if (pos == 0) buf[1 < size ? 1 : 0] = '\0';
  return pos;
}

}  // namespace

uint32_t PLAT_IniGetString(const char* section, const char* key, const char* defaultValue,
                           char* buf, uint32_t size, const char* file) {
  if (!buf || size == 0) return 0;
  buf[0] = '\0';
  if (!file) {
    PLAT_Trace("PLAT_IniGetString: no file name\n");
    return 0;
  }
  std::string fallback = defaultValue ? defaultValue : "";
  std::shared_ptr<const IniFile> ini = Load(file);
  if (!ini) {
    if (!section || !key) return CopyList(std::vector<IniKey>{}, buf, size);
    return CopyCut(fallback, buf, size);
  }
  if (!section) return CopyList(ini->sections, buf, size);
  const IniSection* s = FindSection(*ini, section);
  if (!key) return CopyList(s ? s->keys : std::vector<IniKey>{}, buf, size);
  const IniKey* k = s ? FindKey(*s, key) : nullptr;
  return CopyCut(k ? k->value : fallback, buf, size);
}

int PLAT_IniGetInt(const char* section, const char* key, int defaultValue, const char* file) {
  if (!section || !key) return defaultValue;
  char text[64];
  if (PLAT_IniGetString(section, key, "", text, sizeof text, file) == 0) return defaultValue;
  // Leading decimal number; anything else gives 0, and the range is clamped, not wrapped.
  const char* p = text;
  bool negative = false;
  if (*p == '-' || *p == '+') negative = *p++ == '-';
  long long v = 0;
  while (*p >= '0' && *p <= '9') {
    v = v * 10 + (*p++ - '0');
    if (v > static_cast<long long>(INT_MAX) + 1) v = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) v = -v;
  return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

namespace {

bool HasLineBreak(const char* s) { return std::strpbrk(s, "\r\n") != nullptr; }

bool IsSectionLine(const std::string& raw, const char* section) {
  std::string line = Trim(raw);
  if (line.empty() || line[0] != '[') return false;
  size_t close = line.find(']');
  return PLAT_EqualNoCase(Trim(line, 1, close == std::string::npos ? line.size() : close),
                          section);
}

bool IsKeyLine(const std::string& raw, const char* key) {
  std::string line = Trim(raw);
  if (line.empty() || line[0] == ';' || line[0] == '[') return false;
  size_t eq = line.find('=');
  return eq != std::string::npos && PLAT_EqualNoCase(Trim(line, 0, eq), key);
}

}  // namespace

bool PLAT_IniWriteString(const char* section, const char* key, const char* value, const char* file) {
  if (!section || !key || !file) {
    PLAT_Trace("PLAT_IniWriteString: section, key and file are required\n");
    return false;
  }
  if (HasLineBreak(section) || std::strchr(section, ']') || HasLineBreak(key) ||
      std::strchr(key, '=') || (value && HasLineBreak(value))) {
    PLAT_Trace("PLAT_IniWriteString: [%.64s] %.64s cannot be written as one line\n", section, key);
    return false;
  }

  std::string real = PLAT_ResolvePath(file);
  std::string text;
  struct stat st {};
  if (::stat(real.c_str(), &st) == 0) {
    if (static_cast<uint64_t>(st.st_size) > kIniMaxFile || !ReadWhole(real, st.st_size, &text)) {
      PLAT_Trace("PLAT_IniWriteString: cannot read %s\n", real.c_str());
      return false;
    }
  }
  const char* eol = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";

  std::vector<std::string> lines;
  for (size_t pos = 0; pos < text.size();) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    pos = end + 1;
  }

  std::string entry = std::string(key) + "=" + (value ? value : "");
  auto sec = std::find_if(lines.begin(), lines.end(),
                          [&](const std::string& l) { return IsSectionLine(l, section); });
  if (sec == lines.end()) {
    if (value) {
      if (!lines.empty() && !Trim(lines.back()).empty()) lines.push_back("");
      lines.push_back("[" + std::string(section) + "]");
      lines.push_back(entry);
    }
  } else {
    auto end = std::find_if(sec + 1, lines.end(),
                            [](const std::string& l) { return !Trim(l).empty() && Trim(l)[0] == '['; });
    auto found = std::find_if(sec + 1, end, [&](const std::string& l) { return IsKeyLine(l, key); });
    if (found != end) {
      if (value)
        *found = entry;
      else
        lines.erase(found);
    } else if (value) {
      // After the section's last non-blank line, so blank separators stay between sections.
      auto at = end;
      while (at > sec + 1 && Trim(*(at - 1)).empty()) --at;
      lines.insert(at, entry);
    }
  }

  std::string out;
  for (const std::string& l : lines) out += l + eol;
  bool ok = PLAT_WriteFileAtomic(real.c_str(), out.data(), out.size());
  std::lock_guard<std::mutex> lock(g_iniLock);
  g_cache.erase(real);
  return ok;
}

void PLAT_IniFlushCache() {
  std::lock_guard<std::mutex> lock(g_iniLock);
  g_cache.clear();
}
