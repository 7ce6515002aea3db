#include "platform/registry.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <vector>

#include "platform/files.h"
#include "platform/registry_format.h"
#include "platform/trace.h"

struct PLAT_RegKey {
  std::vector<std::string> path;  // components as the caller spelled them
};

namespace {

// Limits in the spirit of the system whose semantics the store follows.
constexpr size_t kRegMaxKeyName = 255;
constexpr size_t kRegMaxValueName = 16383;
constexpr uint32_t kRegMaxValueSize = 1024 * 1024;
constexpr uint64_t kRegMaxStoreFile = 64ull * 1024 * 1024;

struct FileId {
  bool present = false;
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  timespec mtime{};
  bool operator==(const FileId& o) const {
    return present == o.present && dev == o.dev && ino == o.ino && size == o.size &&
           mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec;
  }
};

struct Store {
  bool loaded = false;
  std::string path;
  PLAT_RegNode root;
  FileId file;  // the store file as last read or written; a change means another writer
  // The file is there but could not be read: writing would replace settings never seen.
  bool unreadable = false;
};

std::mutex g_regLock;
Store g_store;

FileId IdentifyFile(const std::string& path) {
  FileId id;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return id;
  id.present = true;
  id.dev = st.st_dev;
  id.ino = st.st_ino;
  id.size = st.st_size;
  id.mtime = st.st_mtim;
  return id;
}

std::string DefaultStorePath() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return std::string(xdg) + "/vantoria/registry.txt";
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    const passwd* pw = ::getpwuid(::getuid());
    home = pw ? pw->pw_dir : nullptr;
  }
  if (!home || !*home) return "vantoria-registry.txt";
  return std::string(home) + "/.config/vantoria/registry.txt";
}

std::string CurrentStorePath() {
  const char* env = std::getenv("VANTORIA_REGISTRY");
  return (env && *env) ? std::string(env) : DefaultStorePath();
}

void SetAside(const std::string& path, const std::string& why) {
  char stamp[32];
  time_t now = std::time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  std::string target = path + ".corrupt-" + stamp;
  for (int n = 1; ::access(target.c_str(), F_OK) == 0 && n < 1000; ++n)
    target = path + ".corrupt-" + stamp + "-" + std::to_string(n);
  if (::rename(path.c_str(), target.c_str()) == 0)
    PLAT_Trace("PLAT_Reg: store %s is corrupt (%s); set aside as %s, starting empty\n", path.c_str(),
               why.c_str(), target.c_str());
  else
    PLAT_Trace("PLAT_Reg: store %s is corrupt (%s) and cannot be set aside: %s; starting empty\n",
               path.c_str(), why.c_str(), std::strerror(errno));
}

void LoadStore(Store& s) {
  s.loaded = true;
  s.path = CurrentStorePath();
  s.root = PLAT_RegNode{};
  s.unreadable = false;
  s.file = IdentifyFile(s.path);
  if (!s.file.present) return;

  if (static_cast<uint64_t>(s.file.size) > kRegMaxStoreFile) {
    SetAside(s.path, "larger than " + std::to_string(kRegMaxStoreFile) + " bytes");
    s.file = IdentifyFile(s.path);
    return;
  }
  std::string text(static_cast<size_t>(s.file.size), '\0');
  FILE* f = std::fopen(s.path.c_str(), "rb");
  bool readError = !f;
  if (f) {
    text.resize(std::fread(text.data(), 1, text.size(), f));
    readError = std::ferror(f) != 0;
    std::fclose(f);
  }
  if (readError) {
    PLAT_Trace("PLAT_Reg: cannot read store %s: %s; its values are missing and it is not written\n",
               s.path.c_str(), std::strerror(errno));
    s.unreadable = true;
    return;
  }

  std::string error;
  if (!PLAT_RegParse(text, &s.root, &error)) {
    s.root = PLAT_RegNode{};
    SetAside(s.path, error);
    s.file = IdentifyFile(s.path);
  }
}

// The store, read again when the file changed under it (another program wrote it).
Store& Current() {
  if (!g_store.loaded || !(IdentifyFile(g_store.path) == g_store.file)) LoadStore(g_store);
  return g_store;
}

bool MakeFolders(const std::string& path) {
  for (size_t pos = path.find('/', 1); pos != std::string::npos; pos = path.find('/', pos + 1)) {
    std::string dir = path.substr(0, pos);
    if (::mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST) return false;
  }
  return true;
}

// Writes the changed tree and adopts it only once it is safely on disk.
PLAT_RegResult Commit(Store& s, PLAT_RegNode&& changed) {
  if (s.unreadable) {
    PLAT_Trace("PLAT_Reg: store %s could not be read; refusing to overwrite it\n", s.path.c_str());
    return PLAT_RegResult::IoError;
  }
  std::string text = PLAT_RegFormat(changed);
  if (!MakeFolders(s.path) || !PLAT_WriteFileAtomic(s.path.c_str(), text.data(), text.size())) {
    PLAT_Trace("PLAT_Reg: cannot write store %s\n", s.path.c_str());
    return PLAT_RegResult::IoError;
  }
  s.root = std::move(changed);
  s.file = IdentifyFile(s.path);
  return PLAT_RegResult::Ok;
}

bool ValidName(const std::string& name, size_t max) {
  if (name.size() > max) return false;
  for (char c : name)
    if (static_cast<unsigned char>(c) < 0x20) return false;
  return true;
}

// Splits a key path at '\'; empty parts (doubled or outer separators) are ignored.
bool SplitKeyPath(const char* path, std::vector<std::string>* parts) {
  std::string cur;
  for (const char* p = path;; ++p) {
    if (*p == '\\' || *p == '\0') {
      if (!cur.empty()) {
        if (!ValidName(cur, kRegMaxKeyName)) return false;
        parts->push_back(cur);
      }
      cur.clear();
      if (!*p) return true;
    } else {
      cur += *p;
    }
  }
}

PLAT_RegNode* FindNode(PLAT_RegNode& root, const std::vector<std::string>& path) {
  PLAT_RegNode* node = &root;
  for (const std::string& part : path) {
    node = PLAT_RegFindChild(*node, part);
    if (!node) return nullptr;
  }
  return node;
}

PLAT_RegResult OpenPath(std::vector<std::string> path, PLAT_RegKey** out) {
  std::lock_guard<std::mutex> lock(g_regLock);
  if (!FindNode(Current().root, path)) return PLAT_RegResult::NotFound;
  *out = new PLAT_RegKey{std::move(path)};
  return PLAT_RegResult::Ok;
}

PLAT_RegResult CreatePath(std::vector<std::string> path, PLAT_RegKey** out, bool* created) {
  std::lock_guard<std::mutex> lock(g_regLock);
  Store& s = Current();
  bool made = false;
  if (!FindNode(s.root, path)) {
    PLAT_RegNode changed = s.root;
    PLAT_RegNode* node = &changed;
    for (const std::string& part : path) {
      PLAT_RegNode* child = PLAT_RegFindChild(*node, part);
      if (!child) {
        node->children.push_back({part, {}, {}});
        child = &node->children.back();
      }
      node = child;
    }
    PLAT_RegResult r = Commit(s, std::move(changed));
    if (r != PLAT_RegResult::Ok) return r;
    made = true;
  }
  if (created) *created = made;
  *out = new PLAT_RegKey{std::move(path)};
  return PLAT_RegResult::Ok;
}

std::string ValueName(const char* name) { return name ? std::string(name) : std::string(); }

}  // namespace

PLAT_RegResult PLAT_RegOpenKey(const char* path, PLAT_RegKey** out) {
  std::vector<std::string> parts;
  if (!path || !out || !SplitKeyPath(path, &parts)) {
    PLAT_Trace("PLAT_RegOpenKey: bad key path \"%.300s\"\n", path ? path : "(none)");
    return PLAT_RegResult::InvalidArgument;
  }
  return OpenPath(std::move(parts), out);
}

PLAT_RegResult PLAT_RegCreateKey(const char* path, PLAT_RegKey** out, bool* created) {
  std::vector<std::string> parts;
  if (!path || !out || !SplitKeyPath(path, &parts)) {
    PLAT_Trace("PLAT_RegCreateKey: bad key path \"%.300s\"\n", path ? path : "(none)");
    return PLAT_RegResult::InvalidArgument;
  }
  return CreatePath(std::move(parts), out, created);
}

PLAT_RegResult PLAT_RegCreateSubKey(PLAT_RegKey* parent, const char* sub, PLAT_RegKey** out,
                                    bool* created) {
  std::vector<std::string> parts = parent ? parent->path : std::vector<std::string>{};
  if (!parent || !sub || !out || !SplitKeyPath(sub, &parts)) {
    PLAT_Trace("PLAT_RegCreateSubKey: bad key or subkey \"%.300s\"\n", sub ? sub : "(none)");
    return PLAT_RegResult::InvalidArgument;
  }
  {
    // Creating under a key that was deleted meanwhile would silently bring it back.
    std::lock_guard<std::mutex> lock(g_regLock);
    if (!FindNode(Current().root, parent->path)) return PLAT_RegResult::NotFound;
  }
  return CreatePath(std::move(parts), out, created);
}

PLAT_RegResult PLAT_RegOpenSubKey(PLAT_RegKey* parent, const char* sub, PLAT_RegKey** out) {
  std::vector<std::string> parts = parent ? parent->path : std::vector<std::string>{};
  if (!parent || !sub || !out || !SplitKeyPath(sub, &parts)) {
    PLAT_Trace("PLAT_RegOpenSubKey: bad key or subkey \"%.300s\"\n", sub ? sub : "(none)");
    return PLAT_RegResult::InvalidArgument;
  }
  return OpenPath(std::move(parts), out);
}

void PLAT_RegCloseKey(PLAT_RegKey* key) { delete key; }

PLAT_RegResult PLAT_RegSetValue(PLAT_RegKey* key, const char* name, PLAT_RegType type,
                                const void* data, uint32_t size) {
  std::string vname = ValueName(name);
  bool knownType = type == PLAT_RegType::None || type == PLAT_RegType::String ||
                   type == PLAT_RegType::Binary || type == PLAT_RegType::Dword;
  if (!key || (!data && size) || !knownType || size > kRegMaxValueSize ||
      !ValidName(vname, kRegMaxValueName) || (type == PLAT_RegType::Dword && size != 4)) {
    PLAT_Trace("PLAT_RegSetValue: bad value \"%.300s\" (type %u, %u bytes)\n", vname.c_str(),
               static_cast<unsigned>(type), size);
    return PLAT_RegResult::InvalidArgument;
  }
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  // Strings are kept without the terminator that callers usually include in the size.
  if (type == PLAT_RegType::String && size > 0 && bytes[size - 1] == 0) --size;

  std::lock_guard<std::mutex> lock(g_regLock);
  Store& s = Current();
  PLAT_RegNode changed = s.root;
  PLAT_RegNode* node = FindNode(changed, key->path);
  if (!node) return PLAT_RegResult::NotFound;
  PLAT_RegValueRec* v = PLAT_RegFindValue(*node, vname);
  if (!v) {
    node->values.push_back({vname, type, {}});
    v = &node->values.back();
  }
  v->type = type;
  v->data.assign(bytes, bytes + size);
  return Commit(s, std::move(changed));
}

PLAT_RegResult PLAT_RegQueryValue(PLAT_RegKey* key, const char* name, PLAT_RegType* type,
                                  void* buf, uint32_t* size) {
  if (!key || (buf && !size)) {
    PLAT_Trace("PLAT_RegQueryValue: no key or no size for the buffer\n");
    return PLAT_RegResult::InvalidArgument;
  }
  std::lock_guard<std::mutex> lock(g_regLock);
  PLAT_RegNode* node = FindNode(Current().root, key->path);
  if (!node) return PLAT_RegResult::NotFound;
  const PLAT_RegValueRec* v = PLAT_RegFindValue(*node, ValueName(name));
  if (!v) return PLAT_RegResult::NotFound;

  bool isString = v->type == PLAT_RegType::String;
  uint32_t needed = static_cast<uint32_t>(v->data.size()) + (isString ? 1u : 0u);
  if (type) *type = v->type;
  uint32_t room = size ? *size : 0;
  if (size) *size = needed;
  if (!buf) return PLAT_RegResult::Ok;
  if (room < needed) return PLAT_RegResult::MoreData;
  if (!v->data.empty()) std::memcpy(buf, v->data.data(), v->data.size());
  if (isString) static_cast<uint8_t*>(buf)[v->data.size()] = 0;
  return PLAT_RegResult::Ok;
}

PLAT_RegResult PLAT_RegDeleteValue(PLAT_RegKey* key, const char* name) {
  if (!key) return PLAT_RegResult::InvalidArgument;
  std::string vname = ValueName(name);
  std::lock_guard<std::mutex> lock(g_regLock);
  Store& s = Current();
  PLAT_RegNode changed = s.root;
  PLAT_RegNode* node = FindNode(changed, key->path);
  if (!node || !PLAT_RegFindValue(*node, vname)) return PLAT_RegResult::NotFound;
  std::erase_if(node->values,
                [&](const PLAT_RegValueRec& v) { return PLAT_RegNameEqual(v.name, vname); });
  return Commit(s, std::move(changed));
}

PLAT_RegResult PLAT_RegDeleteKey(const char* path) {
  std::vector<std::string> parts;
  if (!path || !SplitKeyPath(path, &parts) || parts.empty()) {
    PLAT_Trace("PLAT_RegDeleteKey: bad key path \"%.300s\"\n", path ? path : "(none)");
    return PLAT_RegResult::InvalidArgument;
  }
  std::string leaf = parts.back();
  parts.pop_back();
  std::lock_guard<std::mutex> lock(g_regLock);
  Store& s = Current();
  PLAT_RegNode changed = s.root;
  PLAT_RegNode* parent = FindNode(changed, parts);
  if (!parent || !PLAT_RegFindChild(*parent, leaf)) return PLAT_RegResult::NotFound;
  std::erase_if(parent->children,
                [&](const PLAT_RegNode& n) { return PLAT_RegNameEqual(n.name, leaf); });
  return Commit(s, std::move(changed));
}

PLAT_RegResult PLAT_RegSetString(PLAT_RegKey* key, const char* name, const char* value) {
  if (!value) return PLAT_RegResult::InvalidArgument;
  size_t len = std::strlen(value);
  if (len >= kRegMaxValueSize) {
    PLAT_Trace("PLAT_RegSetString: value \"%.300s\" is too long\n", name ? name : "");
    return PLAT_RegResult::InvalidArgument;
  }
  return PLAT_RegSetValue(key, name, PLAT_RegType::String, value, static_cast<uint32_t>(len + 1));
}

PLAT_RegResult PLAT_RegSetDword(PLAT_RegKey* key, const char* name, uint32_t value) {
  uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                      static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  return PLAT_RegSetValue(key, name, PLAT_RegType::Dword, bytes, sizeof bytes);
}

PLAT_RegResult PLAT_RegGetString(PLAT_RegKey* key, const char* name, std::string* out) {
  if (!out) return PLAT_RegResult::InvalidArgument;
  PLAT_RegType type = PLAT_RegType::None;
  uint32_t size = 0;
  PLAT_RegResult r = PLAT_RegQueryValue(key, name, &type, nullptr, &size);
  if (r != PLAT_RegResult::Ok) return r;
  if (type != PLAT_RegType::String) return PLAT_RegResult::WrongType;
  std::vector<char> buf(size);
  r = PLAT_RegQueryValue(key, name, &type, buf.data(), &size);
  if (r != PLAT_RegResult::Ok) return r;  // changed between the two reads
  if (type != PLAT_RegType::String) return PLAT_RegResult::WrongType;
  out->assign(buf.data(), size - 1);
  return PLAT_RegResult::Ok;
}

PLAT_RegResult PLAT_RegGetDword(PLAT_RegKey* key, const char* name, uint32_t* out) {
  if (!out) return PLAT_RegResult::InvalidArgument;
  PLAT_RegType type = PLAT_RegType::None;
  uint8_t bytes[4];
  uint32_t size = sizeof bytes;
  PLAT_RegResult r = PLAT_RegQueryValue(key, name, &type, bytes, &size);
  if (r == PLAT_RegResult::MoreData || (r == PLAT_RegResult::Ok && (type != PLAT_RegType::Dword || size != 4)))
    return PLAT_RegResult::WrongType;
  if (r != PLAT_RegResult::Ok) return r;
  *out = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
  return PLAT_RegResult::Ok;
}

std::string PLAT_RegStorePath() {
  std::lock_guard<std::mutex> lock(g_regLock);
  return g_store.loaded ? g_store.path : CurrentStorePath();
}

void PLAT_RegReload() {
  std::lock_guard<std::mutex> lock(g_regLock);
  g_store = Store{};
}
