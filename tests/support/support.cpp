#include "tests/support/support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/inotify.h>
#include <unistd.h>

#include "platform/registry.h"
#include "platform/trace.h"

namespace fs = std::filesystem;

namespace vntest {

TempDir::TempDir() {
  std::string tmpl = (fs::temp_directory_path() / "vntest-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::string TempDir::write(const std::string& relative, const std::string& contents) const {
  fs::path p = fs::path(path_) / relative;
  fs::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary);
  out << contents;
  return p.string();
}

ScopedRegistry::ScopedRegistry() {
  store_ = dir_.file("registry.txt");
  const char* prev = std::getenv("VANTORIA_REGISTRY");
  hadPrevious_ = prev != nullptr;
  if (prev) previous_ = prev;
  setenv("VANTORIA_REGISTRY", store_.c_str(), 1);
  PLAT_RegReload();
}

ScopedRegistry::~ScopedRegistry() {
  if (hadPrevious_)
    setenv("VANTORIA_REGISTRY", previous_.c_str(), 1);
  else
    unsetenv("VANTORIA_REGISTRY");
  PLAT_RegReload();
}

ScopedWorkingDir::ScopedWorkingDir(const std::string& path) {
  previous_ = fs::current_path().string();
  fs::current_path(path);
}

ScopedWorkingDir::~ScopedWorkingDir() {
  std::error_code ec;
  fs::current_path(previous_, ec);
}

TraceCapture::TraceCapture() { PLAT_SetTraceSink(&TraceCapture::sink, this); }
TraceCapture::~TraceCapture() { PLAT_SetTraceSink(nullptr, nullptr); }

void TraceCapture::sink(const char* line, void* user) {
  static_cast<TraceCapture*>(user)->lines_.emplace_back(line);
}

bool TraceCapture::contains(const std::string& fragment) const {
  for (const auto& l : lines_)
    if (l.find(fragment) != std::string::npos) return true;
  return false;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

int countStoreWrites(const std::string& storePath, const std::function<void()>& change) {
  const fs::path store(storePath);
  int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd < 0 || inotify_add_watch(fd, store.parent_path().c_str(), IN_MOVED_TO) < 0)
    throw std::runtime_error("inotify failed");
  change();
  int writes = 0;
  alignas(inotify_event) char buf[4096];
  for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;)
    for (char* p = buf; p < buf + n;) {
      const auto* e = reinterpret_cast<const inotify_event*>(p);
      if (e->len && store.filename() == e->name) ++writes;
      p += sizeof(inotify_event) + e->len;
    }
  close(fd);
  return writes;
}

}  // namespace vntest
