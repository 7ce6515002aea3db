#include "tools/writers/file_writer.h"

#include <cstdio>

#include "platform/files.h"
#include "platform/trace.h"

bool vnWRITE_WholeFile(const char* who, const std::string& path, const void* data, size_t size) {
  PLAT_FileHandle f(PLAT_FOpen(path.c_str(), "wb"));
  if (!f) {
    PLAT_Trace("%s: cannot create %s\n", who, path.c_str());
    return false;
  }
  const bool written = std::fwrite(data, 1, size, f.get()) == size;
  if (!PLAT_CloseFile(f) || !written) {
    PLAT_Trace("%s: cannot write %s\n", who, path.c_str());
    return false;
  }
  return true;
}
