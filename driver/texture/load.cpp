// Texture levels: 3 named, 2 cache file current, 1 device texture made, 0 ready.
#include "driver/texture/load.h"

#include <cstdio>
#include <string>

#include "driver/texture/ppm.h"
#include "platform/files.h"
#include "platform/gfx/gfx.h"
#include "platform/trace.h"

namespace {

SPPD_TEXTURESLOT* SlotOf(SPPD_DRIVERSTATE* state, int32_t id) {
  return state ? SPPD_TextureSlot(state->pTextureTable, id) : nullptr;
}

uint32_t Level(const SPPD_TEXTURESLOT* slot) { return slot->dwFlags & SPPD_TEXTURE_LEVEL_MASK; }
void SetLevel(SPPD_TEXTURESLOT* slot, uint32_t level) {
  slot->dwFlags = (slot->dwFlags & ~SPPD_TEXTURE_LEVEL_MASK) | level;
}

void SetSurface(SPPD_TEXTURESLOT* slot, PLAT_GfxTexture* texture) {
  // A surface left by a forced load is replaced, not leaked.
  if (slot->pSurface != texture) PLAT_GfxReleaseTexture(slot->pSurface);
  slot->pSurface = texture;
}

std::string CachePath(SPPD_DRIVERSTATE* state, const SPPD_TEXTURESLOT* slot) {
  return SPPD_TextureCachePath(state->pTextureTable->pPaths, slot->pName);
}

// Opening for writing leaves the cache file empty, which no later check takes as current.
bool TruncateCache(const std::string& path) {
  FILE* f = PLAT_FOpen(path.c_str(), "wb");
  if (!f) {
    PLAT_Trace("GFXDRV: cannot empty the texture cache file %s\n", path.c_str());
    return false;
  }
  std::fclose(f);
  return true;
}

// A source wider or taller than the device's textures would be converted into a cache file
// that no texture can be made from, again at every draw: its header is read first, and such a
// source is marked once, with one trace. A header that does not read is left to the conversion.
bool RefuseOversizedSource(SPPD_DRIVERSTATE* state, SPPD_TEXTURESLOT* slot) {
  const uint32_t maxWidth = state->caps.dwMaxTextureWidth;
  const uint32_t maxHeight = state->caps.dwMaxTextureHeight;
  if (!maxWidth || !maxHeight) return false;
  const std::string source = SPPD_TextureSourcePath(state->pTextureTable->pPaths, slot->pName);
  PLAT_FileHandle f(PLAT_FOpen(source.c_str(), "rb"));
  if (!f) return false;
  uint32_t width = 0, height = 0, maxval = 0;
  bool read = SPPD_ReadPPMHeader(f.get(), SPPD_PPM_P6, &width, &height, &maxval);
  if (!read) {
    std::rewind(f.get());
    read = SPPD_ReadPPMHeader(f.get(), SPPD_PPM_P7, &width, &height, &maxval);
  }
  if (!read || (width <= maxWidth && height <= maxHeight)) return false;
  PLAT_Trace("GFXDRV: texture %s is %ux%u, larger than the device's %ux%u: it is not loaded\n",
             source.c_str(), width, height, maxWidth, maxHeight);
  slot->dwFlags |= SPPD_TEXTURE_TOO_LARGE;
  return true;
}

}  // namespace

int32_t SPPD_TextureConvert(SPPD_DRIVERSTATE* state, int32_t id, int32_t palette,
                            SPPD_TEXIMAGE* out) {
  if (out) *out = SPPD_TEXIMAGE{};
  SPPD_TEXTURESLOT* slot = SlotOf(state, id);
  if (!slot) {
    PLAT_Trace("GFXDRV: SPPD_TextureConvert: no texture %d\n", id);
    return -1;
  }
  const std::string cache = CachePath(state, slot);
  const std::string source = SPPD_TextureSourcePath(state->pTextureTable->pPaths, slot->pName);
  return SPPD_TextureConvertFile(state, source.c_str(), cache.c_str(), palette, out);
}

int32_t SPPD_TextureCreateSurface(SPPD_DRIVERSTATE* state, int32_t id,
                                  const SPPD_TEXIMAGE* image) {
  SPPD_TEXTURESLOT* slot = SlotOf(state, id);
  if (!slot) {
    PLAT_Trace("GFXDRV: SPPD_TextureCreateSurface: no texture %d\n", id);
    return -1;
  }
  SPPD_TEXIMAGE fromCache;
  if (!image) {
    if (!SPPD_TextureReadCache(state, CachePath(state, slot).c_str(), &fromCache)) return -1;
    image = &fromCache;
  }
  SetSurface(slot, nullptr);
  SPPD_TEXSURFACE surface;
  if (SPPD_TextureCreateSurfaceFrom(state, nullptr, image, &surface) != 1) return -1;
  slot->pSurface = surface.texture;
  return 1;
}

int32_t SPPD_TextureLoad(SPPD_DRIVERSTATE* state, int32_t id) {
  SPPD_TEXTURESLOT* slot = SlotOf(state, id);
  if (!slot) {
    PLAT_Trace("GFXDRV: SPPD_TextureLoad: no texture %d\n", id);
    return -1;
  }
  uint32_t level = Level(slot);
  if (level == SPPD_TEXTURE_READY) return 1;
  if (slot->dwFlags & SPPD_TEXTURE_TOO_LARGE) return -1;
  if (level == SPPD_TEXTURE_NAMED && RefuseOversizedSource(state, slot)) return -1;
  SetLevel(slot, SPPD_TEXTURE_READY);
  SPPD_TEXIMAGE image;
  if (level == SPPD_TEXTURE_NAMED) {
    if (SPPD_TextureConvert(state, id, state->fPalette, &image) != 1) {
      SetLevel(slot, SPPD_TEXTURE_NAMED);
      return -1;
    }
    level = SPPD_TEXTURE_CACHED;
  }
  if (level == SPPD_TEXTURE_CACHED) {
    // No pixels back from the conversion: its cache file was current and is read instead.
    const int32_t made =
        SPPD_TextureCreateSurface(state, id, image.pixels.empty() ? nullptr : &image);
    if (made != 1) {
      SetLevel(slot, SPPD_TEXTURE_CACHED);
      return -1;
    }
  }
  SetLevel(slot, SPPD_TEXTURE_READY);
  return 1;
}

int32_t SPPD_TextureUnload(SPPD_DRIVERSTATE* state, int32_t id, int32_t keepCache) {
  SPPD_TEXTURESLOT* slot = SlotOf(state, id);
  if (!slot) {
    PLAT_Trace("GFXDRV: SPPD_TextureUnload: no texture %d\n", id);
    return -1;
  }
  const uint32_t level = Level(slot);
  if (level == SPPD_TEXTURE_NAMED) return 1;
  if (level == SPPD_TEXTURE_READY || level == SPPD_TEXTURE_SURFACE) {
    SetSurface(slot, nullptr);
    SetLevel(slot, SPPD_TEXTURE_CACHED);
  }
  if (!keepCache) {
    if (!TruncateCache(CachePath(state, slot))) {
      SetLevel(slot, level);
      return -1;
    }
    SetLevel(slot, SPPD_TEXTURE_NAMED);
  }
  return 1;
}

int32_t SPPD_TextureForceFromCache(SPPD_DRIVERSTATE* state, int32_t id) {
  SPPD_TEXTURESLOT* slot = id ? SlotOf(state, id) : nullptr;
  if (!slot) return -1;
  const uint32_t level = Level(slot);
  if (level == SPPD_TEXTURE_READY || level == SPPD_TEXTURE_SURFACE) return -1;
  return SPPD_TextureCreateSurface(state, id, nullptr) == 1 ? 1 : -1;
}

PLAT_GfxTexture* SPPD_TextureForDraw(SPPD_DRIVERSTATE* state, uint32_t id) {
  if (id == 0 || id > INT32_MAX) return nullptr;
  SPPD_TEXTURESLOT* slot = SlotOf(state, static_cast<int32_t>(id));
  if (!slot) return nullptr;
  SPPD_TextureLoad(state, static_cast<int32_t>(id));
  if (slot->pSurface && PLAT_GfxTextureIsLost(slot->pSurface)) {
    // The cache file is normally current, so only the device texture is rebuilt.
    SPPD_TextureUnload(state, static_cast<int32_t>(id), 1);
    SetLevel(slot, SPPD_TEXTURE_NAMED);
    SPPD_TextureLoad(state, static_cast<int32_t>(id));
  }
  return slot->pSurface;
}

bool SPPD_TextureHasAlpha(SPPD_DRIVERSTATE* state, uint32_t id) {
  if (id == 0 || id > INT32_MAX) return false;
  SPPD_TEXTURESLOT* slot = SlotOf(state, static_cast<int32_t>(id));
  return slot && (slot->dwFlags & SPPD_TEXTURE_ALPHA);
}
