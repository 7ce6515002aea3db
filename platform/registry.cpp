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
