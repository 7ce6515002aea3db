#include "platform/dynlib.h"

#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/files.h"
#include "platform/text.h"
#include "platform/trace.h"

struct PLAT_Library {
  void* handle;
  std::string path;
};

namespace {

#if defined(__x86_64__)
constexpr uint16_t kElfMachine = EM_X86_64;
#elif defined(__aarch64__)
constexpr uint16_t kElfMachine = EM_AARCH64;
#elif defined(__i386__)
constexpr uint16_t kElfMachine = EM_386;
#else
#error "no ELF machine number for this processor"
#endif
constexpr unsigned char kElfClass = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;
constexpr unsigned char kElfData =
    std::endian::native == std::endian::little ? ELFDATA2LSB : ELFDATA2MSB;

// Whether count entries of entrySize bytes from offset lie within a file of fileSize bytes.
bool TableFits(uint64_t offset, uint64_t count, uint64_t entrySize, uint64_t fileSize) {
  if (offset > fileSize) return false;
  if (entrySize && count > (fileSize - offset) / entrySize) return false;
  return true;
}

bool ReadAt(int fd, void* out, size_t size, uint64_t offset) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::pread(fd, static_cast<char*>(out) + done, size - done,
                        static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// The fault that keeps a file from being loaded, or none.
const char* ElfFault(int fd, uint64_t size) {
  ElfW(Ehdr) eh{};
  if (size < EI_NIDENT || !ReadAt(fd, eh.e_ident, EI_NIDENT, 0) ||
      std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0)
    return "not an ELF file";
  if (eh.e_ident[EI_CLASS] != kElfClass || eh.e_ident[EI_DATA] != kElfData ||
      eh.e_ident[EI_VERSION] != EV_CURRENT)
    return "ELF class, byte order or version of another machine";
  if (size < sizeof eh || !ReadAt(fd, &eh, sizeof eh, 0)) return "ELF header cut short";
  if (eh.e_machine != kElfMachine) return "built for another processor";
  if (eh.e_type != ET_DYN) return "not a shared object";
  if (eh.e_ehsize != sizeof eh) return "ELF header of the wrong size";

  if (eh.e_phnum == 0 || eh.e_phentsize != sizeof(ElfW(Phdr)) ||
      !TableFits(eh.e_phoff, eh.e_phnum, eh.e_phentsize, size))
    return "program header table outside the file";
  if (eh.e_shoff != 0 || eh.e_shnum != 0) {
    if (eh.e_shentsize != sizeof(ElfW(Shdr)) || !TableFits(eh.e_shoff, 1, eh.e_shentsize, size))
      return "section header table outside the file";
    // With 0 in e_shnum the count is kept in the first section header.
    uint64_t count = eh.e_shnum;
    if (count == 0) {
      ElfW(Shdr) first{};
      if (!ReadAt(fd, &first, sizeof first, eh.e_shoff)) return "section header table cut short";
      count = first.sh_size;
    }
    if (!TableFits(eh.e_shoff, count, eh.e_shentsize, size))
      return "section header table outside the file";
  }

  std::vector<ElfW(Phdr)> segments(eh.e_phnum);
  if (!ReadAt(fd, segments.data(), segments.size() * sizeof(ElfW(Phdr)), eh.e_phoff))
    return "program header table cut short";
  bool loads = false;
  for (const ElfW(Phdr)& ph : segments) {
    if (ph.p_type == PT_LOAD) loads = true;
    // Every byte a segment takes from the file must be there: the loader maps it blindly.
    if (ph.p_filesz && !TableFits(ph.p_offset, 1, ph.p_filesz, size))
      return ph.p_type == PT_LOAD ? "a loadable segment runs past the end of the file"
                                  : "a segment runs past the end of the file";
  }
  if (!loads) return "no loadable segment";
  return nullptr;
}

// PLAT_IsLoadableLibrary on a resolved path.
bool CheckLoadable(const std::string& real) {
  int fd = ::open(real.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    PLAT_Trace("PLAT_LoadLibrary: cannot open %s: %s\n", real.c_str(), std::strerror(errno));
    return false;
  }
  struct stat st {};
  const char* fault = nullptr;
  if (::fstat(fd, &st) != 0)
    fault = "cannot read its status";
  else if (!S_ISREG(st.st_mode))
    fault = "not a regular file";
  else
    fault = ElfFault(fd, static_cast<uint64_t>(st.st_size));
  ::close(fd);
  if (fault) PLAT_Trace("PLAT_LoadLibrary: %s is not a loadable library: %s\n", real.c_str(), fault);
  return !fault;
}

}  // namespace

bool PLAT_IsLoadableLibrary(const char* path) {
  if (!path || !*path) {
    PLAT_Trace("PLAT_IsLoadableLibrary: no path\n");
    return false;
  }
  return CheckLoadable(PLAT_ResolvePath(path));
}

PLAT_Library* PLAT_LoadLibrary(const char* path) {
  if (!path || !*path) {
    PLAT_Trace("PLAT_LoadLibrary: no path\n");
    return nullptr;
  }
  std::string real = PLAT_ResolvePath(path);
  // Without a slash dlopen would search the system folders instead of the working directory.
  if (real.find('/') == std::string::npos) real = "./" + real;
  if (!CheckLoadable(real)) return nullptr;
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

void* PLAT_FindLoadedSymbol(const char* name) {
  return name ? dlsym(RTLD_DEFAULT, name) : nullptr;
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
  if (PLAT_EndsWithNoCase(name, ".dll")) name.resize(name.size() - 4);
  if (PLAT_EndsWithNoCase(name, ".so")) return name;  // already a shared object name
  size_t slash = name.find_last_of("/\\");
  size_t leaf = slash == std::string::npos ? 0 : slash + 1;
  return name.substr(0, leaf) + "lib" + name.substr(leaf) + ".so";
}

const char* PLAT_LibraryPattern() { return "lib*.so"; }
