// Textures: pixels kept in their own format beside the GPU copy, so that a lock reads and
// writes memory as the formats lay it out and an evicted texture uploads again by itself.
#include <cstring>
#include <new>

#include "platform/gfx/internal.h"
#include "platform/trace.h"

namespace {

constexpr int kMaxSize = 2048;

int BytesPerPixel(PLAT_GfxTexFormat f) {
  switch (f) {
    case PLAT_GfxTexFormat::A8R8G8B8: return 4;
    case PLAT_GfxTexFormat::P8: return 1;
    default: return 2;
  }
}

int LevelSize(int size, int level) {
  int s = size >> level;
  return s > 0 ? s : 1;
}

bool PowerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

void Unlink(PLAT_GfxTexture* tex) {
  PLAT_GfxDevice* dev = tex->dev;
  if (!dev) return;
  for (PLAT_GfxTexture** p = &dev->textures; *p; p = &(*p)->next) {
    if (*p == tex) {
      *p = tex->next;
      break;
    }
  }
  for (auto& b : dev->bound)
    if (b == tex) b = nullptr;
  tex->next = nullptr;
}

void UploadLevel(PLAT_GfxTexture* tex, int level) {
  int w = LevelSize(tex->width, level), h = LevelSize(tex->height, level);
  const uint8_t* src = tex->pixels[level].data();
  switch (tex->format) {
    case PLAT_GfxTexFormat::R5G6B5:
      glTexImage2D(GL_TEXTURE_2D, level, GL_RGB8, w, h, 0, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, src);
      break;
    case PLAT_GfxTexFormat::A1R5G5B5:
      glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, w, h, 0, GL_BGRA,
                   GL_UNSIGNED_SHORT_1_5_5_5_REV, src);
      break;
    case PLAT_GfxTexFormat::A4R4G4B4:
      glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, w, h, 0, GL_BGRA,
                   GL_UNSIGNED_SHORT_4_4_4_4_REV, src);
      break;
    case PLAT_GfxTexFormat::A8R8G8B8:
      glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, w, h, 0, GL_BGRA,
                   GL_UNSIGNED_INT_8_8_8_8_REV, src);
      break;
    case PLAT_GfxTexFormat::P8: {
      std::vector<uint32_t> argb(static_cast<size_t>(w) * h);
      for (size_t i = 0; i < argb.size(); ++i) argb[i] = tex->palette[src[i]];
      glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, w, h, 0, GL_BGRA,
                   GL_UNSIGNED_INT_8_8_8_8_REV, argb.data());
      break;
    }
  }
}

}  // namespace

PLAT_GfxTexture* PLAT_GfxCreateTexture(PLAT_GfxDevice* dev, int width, int height, int levels,
                                       PLAT_GfxTexFormat format) {
  if (!dev || width <= 0 || height <= 0 || width > kMaxSize || height > kMaxSize ||
      levels < 0 || static_cast<uint32_t>(format) > static_cast<uint32_t>(PLAT_GfxTexFormat::P8)) {
    PLAT_Trace("PLATGFX: PLAT_GfxCreateTexture() - bad texture %dx%d, %d levels\n", width,
               height, levels);
    return nullptr;
  }
  int chain = 1;
  while ((width >> chain) > 0 || (height >> chain) > 0) ++chain;
  // A chain needs sizes that halve evenly all the way down.
  if (levels != 1 && (!PowerOfTwo(width) || !PowerOfTwo(height))) {
    if (levels > 1) {
      PLAT_Trace("PLATGFX: PLAT_GfxCreateTexture() - a mip chain needs power-of-two sizes\n");
      return nullptr;
    }
    chain = 1;
  }
  if (levels == 0 || levels > chain) levels = chain;
  auto* tex = new (std::nothrow) PLAT_GfxTexture{};
  if (!tex) return nullptr;
  tex->dev = dev;
  tex->format = format;
  tex->width = width;
  tex->height = height;
  tex->levels = levels;
  tex->palette.fill(0xFF000000);
  tex->pixels.resize(levels);
  for (int l = 0; l < levels; ++l) {
    tex->pixels[l].assign(static_cast<size_t>(LevelSize(width, l)) * LevelSize(height, l) *
                              BytesPerPixel(format),
                          0);
  }
  tex->dirtyLevels = (levels >= 32) ? 0xFFFFFFFFu : ((1u << levels) - 1);
  tex->next = dev->textures;
  dev->textures = tex;
  return tex;
}

void PLAT_GfxReleaseTexture(PLAT_GfxTexture* tex) {
  if (!tex) return;
  if (tex->dev) {
    PLATG_MakeCurrent(tex->dev);
    if (tex->gl) glDeleteTextures(1, &tex->gl);
    Unlink(tex);
  }
  delete tex;
}

int PLAT_GfxTextureLevels(const PLAT_GfxTexture* tex) { return tex ? tex->levels : 0; }

PLAT_GfxTexFormat PLAT_GfxTextureFormat(const PLAT_GfxTexture* tex) {
  return tex ? tex->format : PLAT_GfxTexFormat::R5G6B5;
}

PLAT_GfxResult PLAT_GfxLockTexture(PLAT_GfxTexture* tex, int level, PLAT_GfxLock* out) {
  if (!tex || !out || level < 0 || level >= tex->levels) return PLAT_GfxResult::BadArgument;
  if (tex->lost) return PLAT_GfxResult::SurfaceLost;
  out->width = LevelSize(tex->width, level);
  out->height = LevelSize(tex->height, level);
  out->pitch = out->width * BytesPerPixel(tex->format);
  out->bits = tex->pixels[level].data();
  return PLAT_GfxResult::Ok;
}

PLAT_GfxResult PLAT_GfxUnlockTexture(PLAT_GfxTexture* tex, int level) {
  if (!tex || level < 0 || level >= tex->levels) return PLAT_GfxResult::BadArgument;
  tex->dirtyLevels |= 1u << level;
  return PLAT_GfxResult::Ok;
}

PLAT_GfxResult PLAT_GfxSetPalette(PLAT_GfxTexture* tex, const uint32_t argb[256]) {
  if (!tex || !argb || tex->format != PLAT_GfxTexFormat::P8) return PLAT_GfxResult::BadArgument;
  std::memcpy(tex->palette.data(), argb, sizeof(uint32_t) * 256);
  tex->dirtyLevels = (1u << tex->levels) - 1;
  return PLAT_GfxResult::Ok;
}

bool PLAT_GfxTextureIsLost(const PLAT_GfxTexture* tex) { return tex && tex->lost; }

PLAT_GfxResult PLAT_GfxRestoreTexture(PLAT_GfxTexture* tex) {
  if (!tex) return PLAT_GfxResult::BadArgument;
  if (!tex->lost) return PLAT_GfxResult::Ok;
  // Video memory came back empty: whoever owns the texture writes it again.
  for (auto& level : tex->pixels) std::fill(level.begin(), level.end(), 0);
  tex->lost = false;
  tex->dirtyLevels = (1u << tex->levels) - 1;
  return PLAT_GfxResult::Ok;
}

PLAT_GfxResult PLAT_GfxSetTexture(PLAT_GfxDevice* dev, int stage, PLAT_GfxTexture* tex) {
  if (!dev || stage < 0 || stage >= PLAT_GFX_MAX_STAGES || (tex && tex->dev != dev))
    return PLAT_GfxResult::BadArgument;
  dev->bound[stage] = tex;
  return PLAT_GfxResult::Ok;
}

void PLAT_GfxEvictManagedTextures(PLAT_GfxDevice* dev) {
  if (!dev) return;
  PLATG_MakeCurrent(dev);
  for (PLAT_GfxTexture* t = dev->textures; t; t = t->next) {
    if (!t->gl || t == dev->bound[0] || t == dev->bound[1]) continue;
    glDeleteTextures(1, &t->gl);
    t->gl = 0;
  }
}

bool PLATG_UploadTexture(PLAT_GfxTexture* tex) {
  if (tex->gl && !tex->dirtyLevels) return true;
  uint32_t levels = tex->gl ? tex->dirtyLevels : 0xFFFFFFFFu;
  if (!tex->gl) {
    glGenTextures(1, &tex->gl);
    glBindTexture(GL_TEXTURE_2D, tex->gl);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, tex->levels - 1);
  } else {
    glBindTexture(GL_TEXTURE_2D, tex->gl);
  }
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  for (int l = 0; l < tex->levels; ++l)
    if (levels & (1u << l)) UploadLevel(tex, l);
  tex->dirtyLevels = 0;
  return true;
}

void PLATG_ReleaseAllTextures(PLAT_GfxDevice* dev) {
  // Textures outliving their device keep their memory until released; their GPU copies go.
  for (PLAT_GfxTexture* t = dev->textures; t;) {
    PLAT_GfxTexture* next = t->next;
    if (t->gl) glDeleteTextures(1, &t->gl);
    t->gl = 0;
    t->dev = nullptr;
    t->next = nullptr;
    t = next;
  }
  dev->textures = nullptr;
  dev->bound[0] = dev->bound[1] = nullptr;
}

void PLATG_MarkTexturesLost(PLAT_GfxDevice* dev) {
  for (PLAT_GfxTexture* t = dev->textures; t; t = t->next) t->lost = true;
}
