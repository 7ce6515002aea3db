// Texture levels: 3 named, 2 cache file current, 1 device texture made, 0 ready.
#include "driver/textureload.h"

#include <cstdio>
#include <string>

#include "driver/texconv.h"
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

}  // namespace

int32_t SPPD_TextureLoad(SPPD_DRIVERSTATE* state, int32_t id) {
  SPPD_TEXTURESLOT* slot = SlotOf(state, id);
  if (!slot) {
    PLAT_Trace("GFXDRV: SPPD_TextureLoad: no texture %d\n", id);
    return -1;
  }
  uint32_t level = Level(slot);
  if (level == SPPD_TEXTURE_READY) return 1;
  SetLevel(slot, SPPD_TEXTURE_READY);
  const std::string cache = CachePath(state, slot);
  SPPD_TEXIMAGE image;
  bool converted = false;
  if (level == SPPD_TEXTURE_NAMED) {
    const std::string source = SPPD_TextureSourcePath(state->pTextureTable->pPaths, slot->pName);
    if (SPPD_TextureConvertFile(state, source.c_str(), cache.c_str(), state->fPalette, &image) !=
        1) {
      SetLevel(slot, SPPD_TEXTURE_NAMED);
      return -1;
    }
    converted = !image.pixels.empty();
    level = SPPD_TEXTURE_CACHED;
  }
  if (level == SPPD_TEXTURE_CACHED) {
    SPPD_TEXSURFACE surface;
    if (SPPD_TextureCreateSurfaceFrom(state, cache.c_str(), converted ? &image : nullptr,
                                      &surface) != 1) {
      SetLevel(slot, SPPD_TEXTURE_CACHED);
      return -1;
    }
    SetSurface(slot, surface.texture);
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
  SetLevel(slot, SPPD_TEXTURE_READY);
  SPPD_TEXSURFACE surface;
  int32_t r = SPPD_TextureCreateSurfaceFrom(state, CachePath(state, slot).c_str(), nullptr,
                                            &surface);
  if (r == 1) SetSurface(slot, surface.texture);
  SetLevel(slot, level);
  return r == 1 ? 1 : -1;
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
