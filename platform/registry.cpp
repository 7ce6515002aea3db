#include "platform/registry.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <vector>

#include "platform/bytes.h"
#include "platform/files.h"
#include "platform/registry_format.h"
#include "platform/trace.h"

struct PLAT_RegKey {
  std::vector<std::string> path;  // components as the caller spelled them
};

namespace {

struct PendingValue {
  std::vector<std::string> key;
  PLAT_RegValueRec value;
};

}  // namespace

struct PLAT_RegBatch {
  std::vector<PendingValue> values;
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

  // Opened without waiting: a named pipe in the store's place would block the start for ever.
  int fd = ::open(s.path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat st {};
  const char* fault = nullptr;
  if (fd < 0 || ::fstat(fd, &st) != 0)
    fault = std::strerror(errno);
  else if (!S_ISREG(st.st_mode))
    fault = "not a regular file";
  if (!fault && static_cast<uint64_t>(st.st_size) > kRegMaxStoreFile) {
    ::close(fd);
    SetAside(s.path, "larger than " + std::to_string(kRegMaxStoreFile) + " bytes");
    s.file = IdentifyFile(s.path);
    return;
  }
  std::string text;
  if (!fault) {
    text.resize(static_cast<size_t>(st.st_size));
    size_t got = 0;
    while (got < text.size()) {
      ssize_t n = ::read(fd, text.data() + got, text.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) fault = std::strerror(errno);
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
    text.resize(got);
  }
  if (fd >= 0) ::close(fd);
  if (fault) {
    PLAT_Trace("PLAT_Reg: cannot read store %s: %s; its values are missing and it is not written\n",
               s.path.c_str(), fault);
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

// Every writer of a store holds a lock on the store's folder while its temporary file exists,
// so a temporary file found under the lock belongs to a writer that died mid-write.
class FolderLock {
 public:
  explicit FolderLock(const std::string& store) {
    size_t cut = store.find_last_of('/');
    folder_ = cut == std::string::npos ? "." : (cut == 0 ? "/" : store.substr(0, cut));
    fd_ = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    while (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0) {
      if (errno == EINTR) continue;
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~FolderLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  bool held() const { return fd_ >= 0; }
  const std::string& folder() const { return folder_; }

 private:
  std::string folder_;
  int fd_ = -1;
};

// Removes what killed writers left: "<store>.tmp-XXXXXX", regular files only.
void RemoveStaleTemporaries(const FolderLock& lock, const std::string& store) {
  const std::string real = PLAT_ResolvePath(store.c_str());
  const std::string prefix = real.substr(real.find_last_of('/') + 1) + ".tmp-";
  constexpr size_t kUniqueChars = 6;  // mkstemp's XXXXXX
  DIR* dir = ::opendir(lock.folder().c_str());
  if (!dir) return;
  while (const dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    if (name.size() != prefix.size() + kUniqueChars || name.compare(0, prefix.size(), prefix) != 0)
      continue;
    const std::string path = lock.folder() + "/" + name;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    if (::unlink(path.c_str()) == 0)
      PLAT_Trace("PLAT_Reg: removed %s, left by a writer that did not finish\n", path.c_str());
  }
  ::closedir(dir);
}

// Writes the changed tree and adopts it only once it is safely on disk.
PLAT_RegResult Commit(Store& s, PLAT_RegNode&& changed) {
  if (s.unreadable) {
    PLAT_Trace("PLAT_Reg: store %s could not be read; refusing to overwrite it\n", s.path.c_str());
    return PLAT_RegResult::IoError;
  }
  std::string text = PLAT_RegFormat(changed);
  bool written = MakeFolders(s.path);
  if (written) {
    FolderLock lock(s.path);
    if (lock.held()) RemoveStaleTemporaries(lock, s.path);
    written = PLAT_WriteFileAtomic(s.path.c_str(), text.data(), text.size());
  }
  if (!written) {
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

PLAT_RegResult OpenPath(std::vector<std::string> path, PLAT_RegKeyHandle* out) {
  std::lock_guard<std::mutex> lock(g_regLock);
  if (!FindNode(Current().root, path)) return PLAT_RegResult::NotFound;
  out->reset(new PLAT_RegKey{std::move(path)});
  return PLAT_RegResult::Ok;
}

PLAT_RegResult CreatePath(std::vector<std::string> path, PLAT_RegKeyHandle* out, bool* created) {
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
  out->reset(new PLAT_RegKey{std::move(path)});
  return PLAT_RegResult::Ok;
}

// The path of a subkey, or false with a trace for a bad parent, name or output.
bool SubKeyPath(const char* what, PLAT_RegKey* parent, const char* sub, PLAT_RegKeyHandle* out,
                std::vector<std::string>* parts) {
  if (parent) *parts = parent->path;
  if (parent && sub && out && SplitKeyPath(sub, parts)) return true;
  PLAT_Trace("%s: bad key or subkey \"%.300s\"\n", what, sub ? sub : "(none)");
  return false;
}

std::string ValueName(const char* name) { return name ? std::string(name) : std::string(); }

// Puts every value into a copy of the tree and writes the store once: all of them or none.
PLAT_RegResult WriteValues(const std::vector<PendingValue>& values) {
  if (values.empty()) return PLAT_RegResult::Ok;
  std::lock_guard<std::mutex> lock(g_regLock);
  Store& s = Current();
  PLAT_RegNode changed = s.root;
  for (const PendingValue& p : values) {
    PLAT_RegNode* node = FindNode(changed, p.key);
    if (!node) return PLAT_RegResult::NotFound;  // a key deleted since it was opened
    PLAT_RegValueRec* v = PLAT_RegFindValue(*node, p.value.name);
    if (v) {
      v->type = p.value.type;
      v->data = p.value.data;
    } else {
      node->values.push_back(p.value);
    }
  }
  return Commit(s, std::move(changed));
}

PLAT_RegResult SetValue(PLAT_RegKey* key, const char* name, PLAT_RegType type,
                        std::span<const uint8_t> data, PLAT_RegBatch* batch) {
  std::string vname = ValueName(name);
  if (!key || data.size() > kRegMaxValueSize || !ValidName(vname, kRegMaxValueName)) {
    PLAT_Trace("PLAT_RegSet: bad value \"%.300s\" (%zu bytes)%s\n", vname.c_str(), data.size(),
               key ? "" : " or no key");
    return PLAT_RegResult::InvalidArgument;
  }
  PendingValue p{key->path, {std::move(vname), type, {data.begin(), data.end()}}};
  if (batch) {
    batch->values.push_back(std::move(p));
    return PLAT_RegResult::Ok;
  }
  return WriteValues({std::move(p)});
}

// A copy of the value's bytes when it is stored as the type asked for.
PLAT_RegResult GetValue(PLAT_RegKey* key, const char* name, PLAT_RegType type, void* out,
                        std::vector<uint8_t>* data) {
  if (!key || !out) {
    PLAT_Trace("PLAT_RegGet: no key or nothing to fill for \"%.300s\"\n", name ? name : "");
    return PLAT_RegResult::InvalidArgument;
  }
  std::lock_guard<std::mutex> lock(g_regLock);
  PLAT_RegNode* node = FindNode(Current().root, key->path);
  if (!node) return PLAT_RegResult::NotFound;
  const PLAT_RegValueRec* v = PLAT_RegFindValue(*node, ValueName(name));
  if (!v) return PLAT_RegResult::NotFound;
  if (v->type != type) return PLAT_RegResult::WrongType;
  *data = v->data;
  return PLAT_RegResult::Ok;
}

}  // namespace

PLAT_RegResult PLAT_RegOpenKey(const char* path, PLAT_RegKeyHandle* out) {
  std::vector<std::string> parts;
  if (!path || !out || !SplitKeyPath(path, &parts)) {
    PLAT_Trace("PLAT_RegOpenKey: bad key path \"%.300s\"\n", path ? path : "(none)");
    return PLAT_RegResult::InvalidArgument;
  }
  return OpenPath(std::move(parts), out);
}

PLAT_RegResult PLAT_RegCreateKey(const char* path, PLAT_RegKeyHandle* out, bool* created) {
  std::vector<std::string> parts;
  if (!path || !out || !SplitKeyPath(path, &parts)) {
    PLAT_Trace("PLAT_RegCreateKey: bad key path \"%.300s\"\n", path ? path : "(none)");
    return PLAT_RegResult::InvalidArgument;
  }
  return CreatePath(std::move(parts), out, created);
}

PLAT_RegResult PLAT_RegCreateSubKey(PLAT_RegKey* parent, const char* sub, PLAT_RegKeyHandle* out,
                                    bool* created) {
  std::vector<std::string> parts;
  if (!SubKeyPath("PLAT_RegCreateSubKey", parent, sub, out, &parts))
    return PLAT_RegResult::InvalidArgument;
  {
    // Creating under a key that was deleted meanwhile would silently bring it back.
    std::lock_guard<std::mutex> lock(g_regLock);
    if (!FindNode(Current().root, parent->path)) return PLAT_RegResult::NotFound;
  }
  return CreatePath(std::move(parts), out, created);
}

PLAT_RegResult PLAT_RegOpenSubKey(PLAT_RegKey* parent, const char* sub, PLAT_RegKeyHandle* out) {
  std::vector<std::string> parts;
  if (!SubKeyPath("PLAT_RegOpenSubKey", parent, sub, out, &parts))
    return PLAT_RegResult::InvalidArgument;
  return OpenPath(std::move(parts), out);
}

void PLAT_RegCloseKey(PLAT_RegKey* key) { delete key; }

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

PLAT_RegResult PLAT_RegGetString(PLAT_RegKey* key, const char* name, std::string* out) {
  std::vector<uint8_t> data;
  PLAT_RegResult r = GetValue(key, name, PLAT_RegType::String, out, &data);
  if (r == PLAT_RegResult::Ok) out->assign(data.begin(), data.end());
  return r;
}

PLAT_RegResult PLAT_RegGetDword(PLAT_RegKey* key, const char* name, uint32_t* out) {
  std::vector<uint8_t> bytes;
  PLAT_RegResult r = GetValue(key, name, PLAT_RegType::Dword, out, &bytes);
  if (r != PLAT_RegResult::Ok) return r;
  if (bytes.size() != 4) return PLAT_RegResult::WrongType;
  *out = PLAT_LoadLE32(bytes.data());
  return PLAT_RegResult::Ok;
}

PLAT_RegResult PLAT_RegGetBinary(PLAT_RegKey* key, const char* name, std::vector<uint8_t>* out) {
  return GetValue(key, name, PLAT_RegType::Binary, out, out);
}

PLAT_RegBatchHandle PLAT_RegBeginBatch() { return PLAT_RegBatchHandle(new PLAT_RegBatch); }

void PLAT_RegDiscardBatch(PLAT_RegBatch* batch) { delete batch; }

PLAT_RegResult PLAT_RegCommitBatch(PLAT_RegBatch* batch) {
  if (!batch) return PLAT_RegResult::InvalidArgument;
  std::vector<PendingValue> values = std::move(batch->values);
  batch->values.clear();
  return WriteValues(values);
}

PLAT_RegResult PLAT_RegSetString(PLAT_RegKey* key, const char* name, std::string_view value,
                                 PLAT_RegBatch* batch) {
  return SetValue(key, name, PLAT_RegType::String,
                  {reinterpret_cast<const uint8_t*>(value.data()), value.size()}, batch);
}

PLAT_RegResult PLAT_RegSetDword(PLAT_RegKey* key, const char* name, uint32_t value,
                                PLAT_RegBatch* batch) {
  uint8_t bytes[4];
  PLAT_StoreLE32(bytes, value);
  return SetValue(key, name, PLAT_RegType::Dword, bytes, batch);
}

PLAT_RegResult PLAT_RegSetBinary(PLAT_RegKey* key, const char* name, std::span<const uint8_t> data,
                                 PLAT_RegBatch* batch) {
  return SetValue(key, name, PLAT_RegType::Binary, data, batch);
}

std::string PLAT_RegStorePath() {
  std::lock_guard<std::mutex> lock(g_regLock);
  return g_store.loaded ? g_store.path : CurrentStorePath();
}

void PLAT_RegReload() {
  std::lock_guard<std::mutex> lock(g_regLock);
  g_store = Store{};
}
