// Texture exports: ids by name with the low-resolution and camouflage rewrites, the
// driver-wide texture settings, the forced load from a cache file and the purge.
#include <cstdio>
#include <cstring>
#include <string>

#include "driver/core/block.h"
#include "driver/core/lasterror.h"
#include "driver/device/frame.h"
#include "driver/terrain/terrain.h"
#include "driver/texture/load.h"
#include "driver/texture/table.h"
#include "platform/gfx/gfx.h"
#include "platform/trace.h"

namespace {

constexpr int kExtensionSize = 260;

char g_comparisonExtension[kExtensionSize];
char g_replaceExtension[kExtensionSize];
char g_l4Path[SPPD_TEXTURE_PATH_SIZE];
int32_t g_preload = 1;

void CopyBounded(char* dst, size_t size, const char* src) {
  std::snprintf(dst, size, "%s", src ? src : "");
}

// A name cut as folder (with its separator), file name and extension (from the last dot).
struct SplitName {
  std::string folder, file, ext;
  explicit SplitName(const std::string& name) {
    size_t sep = name.find_last_of("/\\");
    size_t start = sep == std::string::npos ? 0 : sep + 1;
    folder = name.substr(0, start);
    file = name.substr(start);
    size_t dot = file.rfind('.');
    if (dot != std::string::npos) {
      ext = file.substr(dot);
      file.resize(dot);
    }
  }
  std::string Join() const { return folder + file + ext; }
};

std::string Rewrite(const SPPD_DRIVERSTATE* s, const char* given) {
  std::string name = given;
  if (s->fLowResTextures || (s->fLowResEffectTextures && name.find("effects") != std::string::npos)) {
    SplitName n(name);
    n.file += "_l";
    name = n.Join();
  }
  if (g_replaceExtension[0] && g_comparisonExtension[0]) {
    SplitName n(name);
    for (char& c : n.file)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    size_t at = n.file.find(g_comparisonExtension);
    if (at != std::string::npos) {
      // Overwrites one for one from the match; a longer replacement runs on, never past the
      // string.
      const size_t len = std::strlen(g_replaceExtension);
      if (at + len > n.file.size()) n.file.resize(at + len);
      n.file.replace(at, len, g_replaceExtension);
      name = n.Join();
    }
  }
  return name;
}

}  // namespace

const char* SPPD_TextureDriverL4Path() { return g_l4Path; }

int32_t SPPD_TextureGetID(SPW_DISPLAY* display, const char* name, int32_t* outId,
                          int32_t create) {
  if (outId) *outId = 0;
  SPPD_DRIVERSTATE* s = SPPD_GetDriverState(display);
  if (!outId || !name || !s) {
    PLAT_Trace("GFXDRV: SPPD_TextureGetID: no display, driver block, name or out id\n");
    return SPPD_FAIL;
  }
  SPPD_TEXTURETABLE* table = SPPD_TextureTableOf(s);
  if (!table) {
    SPPD_SetLastError("No texture table for \"%.400s\"\nin(manage_gfxdrv:SPPD_TextureGetID)", name);
    return SPPD_FAIL;
  }
  const std::string rewritten = Rewrite(s, name);
  SPPD_TEXTURENAME* rec = SPPD_TextureFindName(table->pPaths, rewritten.c_str(), create);
  if (!rec) {
    if (create)
      SPPD_SetLastError("Cannot register texture \"%.400s\"\nin(manage_gfxdrv:SPPD_TextureGetID)",
                        rewritten.c_str());
    return SPPD_FAIL;
  }
  *outId = static_cast<int32_t>(rec->dwID);
  // Without preloading the texture is loaded on first use; a failed load still gives the id.
  if (g_preload == 1) SPPD_TextureLoad(s, *outId);
  return SPPD_OK;
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

void SPPD_SetL4Path(SPW_DISPLAY* display, const char* path) {
  SPPD_TextureNormaliseFolder(path, g_l4Path, sizeof g_l4Path);
  SPPD_DRIVERSTATE* s = SPPD_GetDriverState(display);
  if (SPPD_TEXTURETABLE* table = SPPD_TextureTableOf(s))
    CopyBounded(table->pPaths->szL4Path, sizeof table->pPaths->szL4Path, g_l4Path);
}

int32_t SPPD_ForceTextureL2(SPW_DISPLAY* display, int32_t textureId) {
  if (textureId == 0) return SPPD_FAIL;
  SPPD_DRIVERSTATE* s = SPPD_GetDriverState(display);
  if (!s) {
    PLAT_Trace("GFXDRV: SPPD_ForceTextureL2: no driver block\n");
    return SPPD_FAIL;
  }
  return SPPD_TextureForceFromCache(s, textureId);
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

int32_t SPPD_PurgeTextures(SPW_DISPLAY* display) {
  SPPD_DRIVERSTATE* s = SPPD_GetDriverState(display);
  if (!s) {
    PLAT_Trace("GFXDRV: SPPD_PurgeTextures: no display, driver binding or driver block\n");
    return SPPD_FAIL;
  }
  SPPD_Flush(display);
  SPPD_FlushAlpha(display);
  SPPD_DrawQueuedLines(s);
  SPPD_TextureTablePurge(s);  // ids restart at 1 with the next table
  if (s->pGfx) PLAT_GfxEvictManagedTextures(s->pGfx);
  SPPD_TerrainForgetGlowTexture();
  return SPPD_OK;
}
