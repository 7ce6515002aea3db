// Texture precache: every source texture of a folder tree converted into its cache, unless the
// folder's stamp says the cache was made for this driver, display device and texture formats.
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>

#include "driver/core/block.h"
#include "driver/texture/convert.h"
#include "driver/texture/stamp.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/trace.h"

namespace {

// A source texture: ".ppm" anywhere in the lower-cased name (so "notes.ppm.bak" is one too).
bool IsSource(const PLAT_FindEntry& e) {
  if (e.isDirectory) return false;
  return PLAT_LowerAsciiText(e.name).find(".ppm") != std::string::npos;
}

std::string Join(const std::string& folder, const std::string& leaf) {
  return folder.empty() ? leaf : folder + "/" + leaf;
}

// A cache file not older than its source is handed over unforced; the conversion then keeps it
// when its header is current.
bool CacheFresh(const std::string& source) {
  int64_t sourceTime = 0, cacheTime = 0;
  const std::string cache = SPPD_TextureCachePathFor(source.c_str());
  return PLAT_FileStat(cache.c_str(), &cacheTime, nullptr) &&
         PLAT_FileStat(source.c_str(), &sourceTime, nullptr) && cacheTime >= sourceTime;
}

// Cache folders hold converted files only; yet the cache of "notes.ppm.bak" is
// "notes.ppm.txf", which would pass for a source and be cached again one level deeper each run.
bool IsCacheFolder(const PLAT_FindEntry& e) { return PLAT_EqualNoCase(e.name, "tcache"); }

// Visits every source under the folder. Linked folders are not entered: a link back up the
// tree would walk forever.
template <class Visit>
int32_t Walk(const std::string& folder, Visit&& visit) {
  int32_t count = 0;
  for (const PLAT_FindEntry& e : PLAT_FindFiles(Join(folder, "*.*").c_str())) {
    const std::string path = Join(folder, e.name);
    if (e.isDirectory) {
      if (!e.isLink && !IsCacheFolder(e)) count += Walk(path, visit);
    } else if (IsSource(e)) {
      visit(path);
      ++count;
    }
  }
  return count;
}

// Deletes the old stamp so that a walk cut short leaves none behind; false when it is there but
// cannot go.
bool DeleteStamp(const std::string& path) {
  bool exists = false;
  const std::string real = PLAT_ResolvePath(path.c_str(), &exists);
  if (!exists || ::unlink(real.c_str()) == 0 || errno == ENOENT) return true;
  PLAT_Trace("GFXDRV: SPPD_PreCacheTextures: cannot delete %s: %s\n", real.c_str(),
             std::strerror(errno));
  return false;
}

}  // namespace

int32_t SPPD_PreCacheTextures(SPW_DISPLAY* display, const char* folder, int32_t) {
  SPPD_DRIVERSTATE* s = SPPD_GetDriverState(display);
  if (!s || !folder) {
    PLAT_Trace("GFXDRV: SPPD_PreCacheTextures: no driver block or folder\n");
    return 0;
  }
  SPPD_StampHandle current(SPPD_StampCurrent(s));
  if (!current) return 0;
  SPPD_StampHandle stored(SPPD_StampRead(s->pGeneralPool, folder));
  if (stored && SPPD_StampMatches(*current, *stored)) return 0;

  const std::string stampPath = Join(folder, SPPD_STAMP_FILE);
  if (!DeleteStamp(stampPath)) return 0;
  const int32_t palette = s->fPalette;
  const int32_t count = Walk(folder, [&](const std::string& source) {
    // A failed conversion is traced by the conversion and still counts.
    SPPD_TexturePrecacheFile(s, source.c_str(), palette, CacheFresh(source) ? 0 : 1);
  });
  SPPD_StampWrite(*current, stampPath.c_str());
  return count;
}

int32_t SPPD_PreCacheCount(SPW_DISPLAY*, const char* folder) {
  if (!folder) return 0;
  return Walk(folder, [](const std::string&) {});
}
