#include "platform/ini.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/files.h"
#include "platform/text.h"
#include "platform/trace.h"

namespace {

// Bounds that keep a hostile or broken file from exhausting memory.
constexpr size_t kIniMaxLine = 64 * 1024;
constexpr uint64_t kIniMaxFile = 64ull * 1024 * 1024;
constexpr size_t kIniCacheEntries = 64;

// Positions of section or key names, found without regard to case: open addressing over a
// power-of-two table of 8-byte slots, so a look-up is one hash and, nearly always, one compare.
// The names themselves stay in their lists; nameAt(position) gives one.
class NoCaseIndex {
 public:
  static constexpr uint32_t kNone = UINT32_MAX;

  template <typename NameAt>
  uint32_t Find(std::string_view name, const NameAt& nameAt) const {
    if (slots_.empty()) return kNone;
    const uint32_t hash = Hash(name);
    for (size_t i = hash & Mask();; i = (i + 1) & Mask()) {
      const Slot& s = slots_[i];
      if (s.position == kNone) return kNone;
      if (s.hash == hash && PLAT_EqualNoCase(nameAt(s.position), name)) return s.position;
    }
  }

  // The position stored under name; a name not yet there is stored with `position`.
  template <typename NameAt>
  uint32_t Add(std::string_view name, uint32_t position, const NameAt& nameAt) {
    if ((count_ + 1) * 2 > slots_.size()) Grow();
    const uint32_t hash = Hash(name);
    size_t i = hash & Mask();
    for (; slots_[i].position != kNone; i = (i + 1) & Mask())
      if (slots_[i].hash == hash && PLAT_EqualNoCase(nameAt(slots_[i].position), name))
        return slots_[i].position;
    slots_[i] = {hash, position};
    ++count_;
    return position;
  }

 private:
  struct Slot {
    uint32_t hash = 0;
    uint32_t position = kNone;
  };

  // ASCII capitals of eight bytes at once made small, as PLAT_LowerAscii does one by one.
  static uint64_t Lower8(uint64_t x) {
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    const uint64_t low7 = x & (0x7F * kOnes);
    const uint64_t atLeastA = low7 + (0x80 - 'A') * kOnes;
    const uint64_t aboveZ = low7 + (0x80 - 'Z' - 1) * kOnes;
    const uint64_t capital = atLeastA & ~aboveZ & ~x & (0x80 * kOnes);
    return x | capital >> 2;
  }

  // Every byte counts, eight at a time, so names that share a long prefix or suffix spread.
  static uint32_t Hash(std::string_view s) {
    uint64_t h = s.size() * 0x9E3779B97F4A7C15ull;
    size_t at = 0;
    for (; at + 8 <= s.size(); at += 8) {
      uint64_t chunk;
      std::memcpy(&chunk, s.data() + at, 8);
      h = (h ^ Lower8(chunk)) * 0xFF51AFD7ED558CCDull;
      h ^= h >> 32;
    }
    uint64_t rest = 0;
    for (; at < s.size(); ++at) rest = rest << 8 | static_cast<uint8_t>(s[at]);
    h = (h ^ Lower8(rest)) * 0xFF51AFD7ED558CCDull;
    return static_cast<uint32_t>(h ^ h >> 32);
  }
  size_t Mask() const { return slots_.size() - 1; }

  void Grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 16 : old.size() * 2, Slot{});
    for (const Slot& s : old) {
      if (s.position == kNone) continue;
      size_t i = s.hash & Mask();
      while (slots_[i].position != kNone) i = (i + 1) & Mask();
      slots_[i] = s;
    }
  }

  std::vector<Slot> slots_;
  size_t count_ = 0;
};

// Names and values are views into the file's text, which the parse keeps.
struct IniKey {
  std::string_view name;
  std::string_view value;
};

struct IniSection {
  std::string_view name;
  std::vector<IniKey> keys;  // in file order, as the key list gives them
  NoCaseIndex index;
};

struct IniFile {
  std::string text;
  std::vector<IniSection> sections;  // in file order, as the section list gives them
  NoCaseIndex index;
};

struct CacheEntry {
  uint64_t size;
  int64_t mtimeSec;
  long mtimeNsec;
  ino_t inode;
  std::shared_ptr<const IniFile> parsed;
};

// A file held by this thread (PLAT_IniHold): its parse and the write count it was read at.
struct HoldState {
  int count = 0;
  uint64_t generation = 0;
  std::shared_ptr<const IniFile> parsed;
  const IniSection* section = nullptr;  // of parsed: the last one asked for
};

struct PathHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

std::mutex g_iniLock;
std::map<std::string, CacheEntry> g_cache;
// Counts writes and flushes: a held parse read before the last one is read again.
std::atomic<uint64_t> g_iniGeneration{0};
// Holds belong to the thread that made them, so its look-ups need no lock. They are found by
// the name the holder gave and by its resolved path, which readers may pass instead.
struct ThreadHolds {
  std::unordered_map<std::string, std::shared_ptr<HoldState>, PathHash, std::equal_to<>> byName;
  HoldState* last = nullptr;  // the last state found, under this name
  std::string lastName;
};
thread_local ThreadHolds t_holds;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
  size_t from = 0, to = s.size();
  while (from < to && IsBlank(s[from])) ++from;
  while (to > from && IsBlank(s[to - 1])) --to;
  return s.substr(from, to - from);
}

std::string_view StripQuotes(std::string_view v) {
  if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0])
    return v.substr(1, v.size() - 2);
  return v;
}

// The name between '[' and ']' (or the line's end) of a trimmed section line.
std::string_view SectionName(std::string_view line) {
  size_t close = line.find(']');
  return Trim(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
}

const IniSection* FindSection(const IniFile& f, std::string_view name) {
  const uint32_t at = f.index.Find(name, [&](uint32_t i) { return f.sections[i].name; });
  return at == NoCaseIndex::kNone ? nullptr : &f.sections[at];
}

const IniKey* FindKey(const IniSection& s, std::string_view name) {
  const uint32_t at = s.index.Find(name, [&](uint32_t i) { return s.keys[i].name; });
  return at == NoCaseIndex::kNone ? nullptr : &s.keys[at];
}

// Calls line(text, number) for each line; a line ends at CR LF, at LF or at a CR alone, as
// the profile functions read files written by any editor.
// Two memchr calls find a line's end: one search for either character goes byte by byte, slow
// over a large table. The next LF is searched again only once passed, so a file of bare CRs is
// read once, not once a line.
template <typename Line>
void ForEachLine(std::string_view text, const Line& line) {
  const char* const data = text.data();
  const size_t size = text.size();
  const auto find = [&](char c, size_t from, size_t to) {
    const void* at = std::memchr(data + from, c, to - from);
    return at ? static_cast<size_t>(static_cast<const char*>(at) - data) : to;
  };
  int number = 0;
  size_t lf = find('\n', 0, size);
  for (size_t pos = 0; pos < size;) {
    if (lf < pos) lf = find('\n', pos, size);
    const size_t end = find('\r', pos, lf);
    line(text.substr(pos, end - pos), ++number);
    pos = end + 1;
    if (end < size && data[end] == '\r' && pos < size && data[pos] == '\n') ++pos;
  }
}

void ParseLine(IniFile& file, IniSection*& current, std::string_view raw) {
  std::string_view line = Trim(raw);
  if (line.empty() || line[0] == ';') return;
  if (line[0] == '[') {
    // Only the first of repeated sections is read; the keys of a later one are not seen.
    const std::string_view name = SectionName(line);
    const auto next = static_cast<uint32_t>(file.sections.size());
    const uint32_t at =
        file.index.Add(name, next, [&](uint32_t i) { return file.sections[i].name; });
    if (at == next) file.sections.push_back({name, {}, {}});
    current = at == next ? &file.sections[at] : nullptr;
    return;
  }
  size_t eq = line.find('=');
  if (eq == std::string_view::npos || !current) return;
  // The first of duplicates wins.
  const std::string_view name = Trim(line.substr(0, eq));
  const auto next = static_cast<uint32_t>(current->keys.size());
  IniSection& section = *current;
  if (section.index.Add(name, next, [&](uint32_t i) { return section.keys[i].name; }) == next)
    current->keys.push_back({name, StripQuotes(Trim(line.substr(eq + 1)))});
}

// Editors that save UTF-8 put this mark first; left in, it hides the first section.
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Parses the file's own text in place, so the views stay valid as long as the file.
void Parse(IniFile& file, const std::string& where) {
  std::string_view text = file.text;
  IniSection* current = nullptr;
  if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
  ForEachLine(text, [&](std::string_view line, int number) {
    if (line.size() > kIniMaxLine)
      PLAT_Trace("PLAT_Ini: %s line %d longer than %zu bytes, skipped\n", where.c_str(), number,
                 kIniMaxLine);
    else
      ParseLine(file, current, line);
  });
}

// The size is known from the file's status, so one read call fetches it all: stdio would ask
// for the status again and read twice.
bool ReadWhole(const std::string& path, uint64_t size, std::string* out) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  out->resize(size);
  size_t got = 0;
  while (got < size) {
    const ssize_t n = ::read(fd, out->data() + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  out->resize(got);
  return true;
}

// The parsed file, from the cache while its size and time are unchanged; null when unreadable.
std::shared_ptr<const IniFile> LoadResolved(const std::string& real) {
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

  auto fresh = std::make_shared<IniFile>();
  if (!ReadWhole(real, static_cast<uint64_t>(st.st_size), &fresh->text)) return nullptr;
  Parse(*fresh, real);
  std::shared_ptr<const IniFile> parsed = std::move(fresh);
  if (g_cache.size() >= kIniCacheEntries) g_cache.clear();
  g_cache[real] = {static_cast<uint64_t>(st.st_size), st.st_mtim.tv_sec, st.st_mtim.tv_nsec,
                   st.st_ino, parsed};
  return parsed;
}

std::shared_ptr<const IniFile> Load(const char* file) {
  return LoadResolved(PLAT_ResolvePath(file));
}

// The state of a file this thread holds, or none. Readers of one table ask with the same name
// again and again, so the last one found is tried first.
HoldState* HeldState(const char* file) {
  ThreadHolds& holds = t_holds;
  if (holds.last && std::strcmp(holds.lastName.c_str(), file) == 0) return holds.last;
  auto it = holds.byName.find(std::string_view(file));
  if (it == holds.byName.end()) return nullptr;
  holds.last = it->second.get();
  holds.lastName = file;
  return holds.last;
}

// The held parse, read again when a write or a flush came after it.
const IniFile* HeldParse(HoldState& held, const char* file) {
  const uint64_t now = g_iniGeneration.load(std::memory_order_acquire);
  if (held.generation != now || !held.parsed) {
    held.generation = now;
    held.parsed = Load(file);
    held.section = nullptr;
  }
  return held.parsed.get();
}


uint32_t CopyCut(std::string_view value, char* buf, uint32_t size) {
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
    const std::string_view name = item.name;
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

// The value, the default or a list, from the parse of the file or, with none, as for a missing
// file.
// A table's keys are asked for one section at a time.
const IniSection* HeldSection(HoldState& held, const char* name) {
  if (!held.section || !PLAT_EqualNoCase(held.section->name, name))
    held.section = FindSection(*held.parsed, name);
  return held.section;
}

uint32_t Answer(const IniFile* ini, const char* section, const char* key,
                std::string_view fallback, char* buf, uint32_t size, HoldState* held = nullptr) {
  if (!ini) {
    if (!section || !key) return CopyList(std::vector<IniKey>{}, buf, size);
    return CopyCut(fallback, buf, size);
  }
  if (!section) return CopyList(ini->sections, buf, size);
  const IniSection* s = held ? HeldSection(*held, section) : FindSection(*ini, section);
  if (!key) return CopyList(s ? s->keys : std::vector<IniKey>{}, buf, size);
  const IniKey* k = s ? FindKey(*s, key) : nullptr;
  return CopyCut(k ? k->value : fallback, buf, size);
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
  // The default loses its trailing spaces, as the profile functions' does.
  std::string_view fallback = defaultValue ? defaultValue : "";
  while (!fallback.empty() && fallback.back() == ' ') fallback.remove_suffix(1);
  if (HoldState* held = HeldState(file))
    return Answer(HeldParse(*held, file), section, key, fallback, buf, size, held);
  return Answer(Load(file).get(), section, key, fallback, buf, size);
}

int PLAT_IniGetInt(const char* section, const char* key, int defaultValue, const char* file) {
  if (!section || !key) return defaultValue;
  char text[64];
  if (PLAT_IniGetString(section, key, "", text, sizeof text, file) == 0) return defaultValue;
  // Leading decimal number; anything else gives 0. Digits past the 32-bit range wrap, as the
  // profile functions' do: "4294967297" reads as 1.
  const char* p = text;
  bool negative = false;
  if (*p == '-' || *p == '+') negative = *p++ == '-';
  uint32_t v = 0;
  while (*p >= '0' && *p <= '9') v = v * 10u + static_cast<uint32_t>(*p++ - '0');
  if (negative) v = 0u - v;
  return static_cast<int>(static_cast<int32_t>(v));
}

namespace {

bool HasLineBreak(const char* s) { return std::strpbrk(s, "\r\n") != nullptr; }

bool IsSectionLine(std::string_view raw, const char* section) {
  std::string_view line = Trim(raw);
  return !line.empty() && line[0] == '[' && PLAT_EqualNoCase(SectionName(line), section);
}

bool IsKeyLine(std::string_view raw, const char* key) {
  std::string_view line = Trim(raw);
  if (line.empty() || line[0] == ';' || line[0] == '[') return false;
  size_t eq = line.find('=');
  return eq != std::string_view::npos && PLAT_EqualNoCase(Trim(line.substr(0, eq)), key);
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
  // The file keeps its line ends: CR LF, a CR alone or LF.
  const char* eol = text.find("\r\n") != std::string::npos ? "\r\n"
                    : text.find('\r') != std::string::npos ? "\r"
                                                           : "\n";

  std::vector<std::string> lines;
  ForEachLine(text, [&](std::string_view line, int) { lines.emplace_back(line); });

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
  g_iniGeneration.fetch_add(1, std::memory_order_release);
  return ok;
}

void PLAT_IniFlushCache() {
  std::lock_guard<std::mutex> lock(g_iniLock);
  g_cache.clear();
  g_iniGeneration.fetch_add(1, std::memory_order_release);
}

PLAT_IniHold::PLAT_IniHold(const char* file) {
  if (!file) return;
  names_[0] = file;
  names_[1] = PLAT_ResolvePath(file);
  ThreadHolds& holds = t_holds;
  std::shared_ptr<HoldState> state;
  for (const std::string& name : names_)
    if (auto it = holds.byName.find(name); it != holds.byName.end()) state = it->second;
  if (!state) state = std::make_shared<HoldState>();
  ++state->count;
  state->generation = g_iniGeneration.load(std::memory_order_acquire);
  state->parsed = LoadResolved(names_[1]);
  for (const std::string& name : names_) holds.byName[name] = state;
  holds.last = nullptr;
}

PLAT_IniHold::~PLAT_IniHold() {
  if (names_[0].empty()) return;
  ThreadHolds& holds = t_holds;
  auto it = holds.byName.find(names_[0]);
  if (it == holds.byName.end() || --it->second->count > 0) return;
  for (const std::string& name : names_) holds.byName.erase(name);
  holds.last = nullptr;
}
