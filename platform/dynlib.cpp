#include "platform/dynlib.h"

#include <dlfcn.h>
#include <strings.h>

#include <cstring>

#include "platform/files.h"
#include "platform/trace.h"

struct PLAT_Library {
  void* handle;
  std::string path;
};

namespace {

bool EndsWithNoCase(const std::string& s, const char* suffix) {
  size_t n = std::strlen(suffix);
  if (s.size() < n) return false;
  return strncasecmp(s.c_str() + s.size() - n, suffix, n) == 0;
}

}  // namespace

PLAT_Library* PLAT_LoadLibrary(const char* path) {
  if (!path || !*path) {
    PLAT_Trace("PLAT_LoadLibrary: no path\n");
    return nullptr;
  }
  std::string real = PLAT_ResolvePath(path);
  // Without a slash dlopen would search the system folders instead of the working directory.
  if (real.find('/') == std::string::npos) real = "./" + real;
  dlerror();
  void* handle = dlopen(real.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* err = dlerror();
    PLAT_Trace("PLAT_LoadLibrary: cannot load %s: %s\n", real.c_str(), err ? err : "unknown error");
    return nullptr;
  }
  return new PLAT_Library{handle, real};
}

void* PLAT_FindSymbol(PLAT_Library* lib, const char* name) {
  if (!lib || !name) return nullptr;
  dlerror();
  void* sym = dlsym(lib->handle, name);
  if (!sym) {
    const char* err = dlerror();
    PLAT_Trace("PLAT_FindSymbol: %s not in %s%s%s\n", name, lib->path.c_str(), err ? ": " : "",
               err ? err : "");
  }
  return sym;
}

void PLAT_FreeLibrary(PLAT_Library* lib) {
  if (!lib) return;
  if (dlclose(lib->handle) != 0) {
    const char* err = dlerror();
    PLAT_Trace("PLAT_FreeLibrary: %s: %s\n", lib->path.c_str(), err ? err : "unknown error");
  }
  delete lib;
}

std::string PLAT_LibraryFileName(const char* baseName) {
  std::string name = baseName ? baseName : "";
  if (EndsWithNoCase(name, ".dll")) name.resize(name.size() - 4);
  if (EndsWithNoCase(name, ".so")) return name;  // already a shared object name
  size_t slash = name.find_last_of("/\\");
  size_t leaf = slash == std::string::npos ? 0 : slash + 1;
  return name.substr(0, leaf) + "lib" + name.substr(leaf) + ".so";
}

const char* PLAT_LibraryPattern() { return "lib*.so"; }
