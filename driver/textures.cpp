// Texture exports. The texture table arrives with the texture code; until then no name gets an
// id (id 0 draws untextured) and the driver-wide settings are only kept.
#include <cstdio>
#include <cstring>
#include <string_view>

#include "driver/block.h"
#include "driver/lasterror.h"
#include "platform/trace.h"

namespace {

constexpr int kExtensionSize = 64;
constexpr int kPathSize = 260;

char g_comparisonExtension[kExtensionSize];
char g_replaceExtension[kExtensionSize];
char g_l4Path[kPathSize];
int32_t g_preload;

void CopyBounded(char* dst, size_t size, const char* src) {
  std::snprintf(dst, size, "%s", src ? src : "");
}

}  // namespace

int32_t SPPD_TextureGetID(SPW_DISPLAY* display, const char* name, int32_t* outId,
                          int32_t /*create*/) {
  if (outId) *outId = 0;
  if (!outId || !name || !SPPD_GetDriverData(display)) {
    PLAT_Trace("GFXDRV: SPPD_TextureGetID: no display, driver block, name or out id\n");
    return SPPD_FAIL;
  }
  SPPD_SetLastError("No texture table for \"%.400s\"\nin(manage_gfxdrv:SPPD_TextureGetID)", name);
  return SPPD_FAIL;
}

void SPPD_SetTextureComparisonExtension(const char* text) {
  CopyBounded(g_comparisonExtension, sizeof g_comparisonExtension, text);
}

void SPPD_SetTextureReplaceExtension(const char* text) {
  CopyBounded(g_replaceExtension, sizeof g_replaceExtension, text);
}

int32_t SPPD_EnableTexturePreLoad(int32_t enable) {
  int32_t previous = g_preload;
  g_preload = enable;
  return previous;
}

// Keeps the folder part, lower case, '\' separated and ending in '\'.
void SPPD_SetL4Path(SPW_DISPLAY* /*display*/, const char* path) {
  char buf[kPathSize];
  CopyBounded(buf, sizeof buf, path);
  size_t lastSep = std::string_view::npos;
  size_t n = std::strlen(buf);
  for (size_t i = 0; i < n; ++i) {
    char c = buf[i];
    if (c == '/') c = '\\';
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    buf[i] = c;
    if (c == '\\' || c == ':') lastSep = i;
  }
  // A last component without a trailing separator is a file name.
  buf[lastSep == std::string_view::npos ? 0 : lastSep + 1] = '\0';
  n = std::strlen(buf);
  if (n + 1 < sizeof buf && (n == 0 || buf[n - 1] != '\\')) {
    buf[n] = '\\';
    buf[n + 1] = '\0';
  }
  CopyBounded(g_l4Path, sizeof g_l4Path, buf);
}

int32_t SPPD_ForceTextureL2(SPW_DISPLAY* display, int32_t textureId) {
  if (textureId == 0) return SPPD_FAIL;
  if (!SPPD_GetDriverData(display)) {
    PLAT_Trace("GFXDRV: SPPD_ForceTextureL2: no driver block\n");
    return SPPD_FAIL;
  }
  SPPD_SetLastError("No texture %d to load\nin(manage_gfxdrv:SPPD_ForceTextureL2)", textureId);
  return SPPD_FAIL;
}

int32_t SPPD_SetLowResTextureState(SPW_DISPLAY* display, int32_t flag) {
  SPPD_DRIVERSTATE* s = SPPD_GetDriverState(display);
  if (!s) {
    PLAT_Trace("GFXDRV: SPPD_SetLowResTextureState: no driver block\n");
    return SPPD_FAIL;
  }
  int32_t previous = s->fLowResTextures;
  s->fLowResTextures = flag;
  return previous;
}

int32_t SPPD_SetLowResEffectTextureState(SPW_DISPLAY* display, int32_t flag) {
  SPPD_DRIVERSTATE* s = SPPD_GetDriverState(display);
  if (!s) {
    PLAT_Trace("GFXDRV: SPPD_SetLowResEffectTextureState: no driver block\n");
    return SPPD_FAIL;
  }
  int32_t previous = s->fLowResEffectTextures;
  s->fLowResEffectTextures = flag;
  return previous;
}

int32_t SPPD_PreCacheTextures(SPW_DISPLAY*, const char*, int32_t) { return 0; }
int32_t SPPD_PreCacheCount(SPW_DISPLAY*, const char*) { return 0; }
