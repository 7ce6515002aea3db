#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/pathcount.h"
#include "platform/text.h"
#include "platform/trace.h"

namespace {

struct DirCloser {
  void operator()(DIR* d) const { closedir(d); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

// The entry of `dir` whose name equals `name` without regard to case. The exact spelling wins;
// among other matches the smallest name wins so that the choice does not depend on disk order.
bool FindEntryNoCase(const std::string& dir, const std::string& name, std::string* found) {
  std::string exact = dir.empty() ? name : (dir == "/" ? "/" + name : dir + "/" + name);
  if (Exists(exact)) {
    *found = name;
    return true;
  }
  DirHandle d(opendir(dir.empty() ? "." : dir.c_str()));
  if (!d) return false;
  bool any = false;
  while (dirent* e = readdir(d.get())) {
    if (!PLAT_EqualNoCase(name, e->d_name)) continue;
    if (!any || std::strcmp(e->d_name, found->c_str()) < 0) *found = e->d_name;
    any = true;
  }
  return any;
}

std::string Join(const std::string& dir, const std::string& leaf) {
  if (dir.empty()) return leaf;
  if (dir.back() == '/') return dir + leaf;
  return dir + "/" + leaf;
}

// Splits at either separator; empty components and "." are dropped.
std::vector<std::string> SplitComponents(const char* path) {
  std::vector<std::string> parts;
  std::string cur;
  for (const char* p = path; *p; ++p) {
    if (*p == '/' || *p == '\\') {
      if (!cur.empty() && cur != ".") parts.push_back(cur);
      cur.clear();
    } else {
      cur += *p;
    }
  }
  if (!cur.empty() && cur != ".") parts.push_back(cur);
  return parts;
}

bool StatPath(const char* path, struct stat* st) {
  if (!path) return false;
  std::string real = PLAT_ResolvePath(path);
  return ::stat(real.c_str(), st) == 0;
}

}  // namespace

namespace {
std::atomic<uint64_t> g_resolved{0};
}  // namespace

uint64_t PLAT_ResolvePathCount() { return g_resolved.load(std::memory_order_relaxed); }

std::string PLAT_ResolvePath(const char* path, bool* exists) {
  g_resolved.fetch_add(1, std::memory_order_relaxed);
  if (exists) *exists = false;
  if (!path || !*path) return std::string();

  bool absolute = path[0] == '/' || path[0] == '\\';
  std::string result = absolute ? "/" : "";
  bool present = true;
  for (const std::string& part : SplitComponents(path)) {
    if (present && part != "..") {
      std::string real;
      if (FindEntryNoCase(result, part, &real)) {
        result = Join(result, real);
        continue;
      }
      present = false;
    }
    result = Join(result, part);
    if (present && !Exists(result)) present = false;
  }
  if (result.empty()) result = ".";
  if (exists) *exists = present;
  return result;
}

FILE* PLAT_FOpen(const char* path, const char* mode) {
  if (!path || !mode) {
    PLAT_Trace("PLAT_FOpen: no path or mode\n");
    return nullptr;
  }
  std::string real = PLAT_ResolvePath(path);
  return std::fopen(real.c_str(), mode);
}

bool PLAT_FileExists(const char* path) {
  struct stat st {};
  return StatPath(path, &st) && S_ISREG(st.st_mode);
}

bool PLAT_IsDirectory(const char* path) {
  struct stat st {};
  return StatPath(path, &st) && S_ISDIR(st.st_mode);
}

bool PLAT_MakeDirectory(const char* path) {
  if (!path || !*path) return false;
  std::string real = PLAT_ResolvePath(path);
  if (::mkdir(real.c_str(), 0777) != 0 && errno != EEXIST) {
    PLAT_Trace("PLAT_MakeDirectory: cannot create %s: %s\n", real.c_str(), std::strerror(errno));
    return false;
  }
  return PLAT_IsDirectory(real.c_str());
}

bool PLAT_RemoveFile(const char* path) {
  if (!path) return false;
  bool exists = false;
  std::string real = PLAT_ResolvePath(path, &exists);
  return exists && ::unlink(real.c_str()) == 0;
}

bool PLAT_FileStat(const char* path, int64_t* mtime, uint64_t* size) {
  struct stat st {};
  if (!StatPath(path, &st)) return false;
  if (mtime) *mtime = static_cast<int64_t>(st.st_mtime);
  if (size) *size = static_cast<uint64_t>(st.st_size);
  return true;
}

bool PLAT_WildcardMatch(const char* pattern, const char* name) {
  if (!pattern || !name) return false;
  // Iterative match with one backtrack point for the last '*'.
  const char* p = pattern;
  const char* n = name;
  const char* starP = nullptr;
  const char* starN = nullptr;
  while (*n) {
    if (*p == '*') {
      starP = ++p;
      starN = n;
    } else if (*p == '?' || (*p && PLAT_LowerAscii(*p) == PLAT_LowerAscii(*n))) {
      ++p;
      ++n;
    } else if (starP) {
      p = starP;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (*p == '*') ++p;
  // A trailing ".*" also matches a name without extension, so "*.*" lists every name.
  if (p[0] == '.' && p[1] == '*') {
    p += 2;
    while (*p == '*') ++p;
  }
  return *p == '\0';
}

std::vector<PLAT_FindEntry> PLAT_FindFiles(const char* pattern) {
  std::vector<PLAT_FindEntry> entries;
  if (!pattern || !*pattern) return entries;

  std::string full(pattern);
  size_t cut = full.find_last_of("/\\");
  std::string folder = cut == std::string::npos ? "." : full.substr(0, cut + 1);
  std::string leaf = cut == std::string::npos ? full : full.substr(cut + 1);
  if (leaf.empty()) return entries;

  std::string dir = PLAT_ResolvePath(folder.c_str());
  DirHandle d(opendir(dir.c_str()));
  if (!d) return entries;
  while (dirent* e = readdir(d.get())) {
    if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
    if (!PLAT_WildcardMatch(leaf.c_str(), e->d_name)) continue;
    struct stat st {};
    const std::string path = Join(dir, e->d_name);
    if (::stat(path.c_str(), &st) != 0) continue;  // dangling link
    struct stat link {};
    const bool isLink = ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
    entries.push_back(
        {e->d_name, S_ISDIR(st.st_mode), static_cast<uint64_t>(st.st_size), isLink});
  }
  std::sort(entries.begin(), entries.end(),
            [](const PLAT_FindEntry& a, const PLAT_FindEntry& b) { return a.name < b.name; });
  return entries;
}

std::string PLAT_GetWorkingDir() {
  std::vector<char> buf(256);
  while (::getcwd(buf.data(), buf.size()) == nullptr) {
    if (errno != ERANGE || buf.size() > (1u << 20)) {
      PLAT_Trace("PLAT_GetWorkingDir: getcwd failed: %s\n", std::strerror(errno));
      return std::string();
    }
    buf.resize(buf.size() * 2);
  }
  return std::string(buf.data());
}

bool PLAT_SetWorkingDir(const char* path) {
  if (!path || !*path) {
    PLAT_Trace("PLAT_SetWorkingDir: no path\n");
    return false;
  }
  std::string real = PLAT_ResolvePath(path);
  if (::chdir(real.c_str()) != 0) {
    PLAT_Trace("PLAT_SetWorkingDir: cannot enter %s: %s\n", real.c_str(), std::strerror(errno));
    return false;
  }
  return true;
}

bool PLAT_WriteFileAtomic(const char* path, const void* data, size_t size) {
  if (!path || !*path || (!data && size)) {
    PLAT_Trace("PLAT_WriteFileAtomic: no path or data\n");
    return false;
  }
  std::string real = PLAT_ResolvePath(path);
  size_t cut = real.find_last_of('/');
  std::string dir = cut == std::string::npos ? "." : (cut == 0 ? "/" : real.substr(0, cut));
  std::string tmp = real + ".tmp-XXXXXX";
  int fd = ::mkstemp(tmp.data());
  if (fd < 0) {
    PLAT_Trace("PLAT_WriteFileAtomic: cannot create a temporary file beside %s: %s\n", real.c_str(),
               std::strerror(errno));
    return false;
  }
  // mkstemp makes the file private; keep the mode of the file being replaced.
  struct stat old {};
  ::fchmod(fd, ::stat(real.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);

  const char* p = static_cast<const char*>(data);
  size_t left = size;
  bool ok = true;
  while (ok && left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
    else {
      p += n;
      left -= static_cast<size_t>(n);
    }
  }
  if (ok && ::fsync(fd) != 0) ok = false;
  int err = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (ok && ::rename(tmp.c_str(), real.c_str()) != 0) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    PLAT_Trace("PLAT_WriteFileAtomic: cannot write %s: %s\n", real.c_str(), std::strerror(err));
    ::unlink(tmp.c_str());
    return false;
  }
  // The rename itself is durable only once the folder is flushed.
  int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return true;
}
