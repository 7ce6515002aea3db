// The picture into the textures of a 2D set's frames: centred on the frames' union, at scale 1
// or scaled to fill it, each frame taking its part through its texture rectangle.
#include <algorithm>
#include <cstring>

#include "driver/core/block.h"
#include "driver/texture/table.h"
#include "driver/video/video.h"
#include "engine/b2d/b2d.h"
#include "platform/gfx/gfx.h"
#include "platform/trace.h"

namespace {

struct Rect {
  float x0, y0, x1, y1;
  bool Empty() const { return x1 <= x0 || y1 <= y0; }
};

template <class Visit>
void ForEachFrame(const SPW_B2DSET* set, Visit&& visit) {
  if (!set) return;
  if (!set->frames.pNext) return;  // a set record that was never set up
  for (SPW_B2DFRAME* frame : SGE_ListRecords<SPW_B2DFRAME>(&set->frames)) visit(frame);
}

Rect FrameRect(const SPW_B2DFRAME* f) {
  return {static_cast<float>(f->nOffsetX), static_cast<float>(f->nOffsetY),
          static_cast<float>(f->nOffsetX + f->nWidth), static_cast<float>(f->nOffsetY + f->nHeight)};
}

// The frame's texture, restored in place when it was lost; none when it has none yet.
PLAT_GfxTexture* TextureOf(SPPD_DRIVERSTATE* s, const SPW_B2DFRAME* f) {
  SPPD_TEXTURESLOT* slot = s ? SPPD_TextureSlot(s->pTextureTable, f->nTextureId) : nullptr;
  PLAT_GfxTexture* tex = slot ? slot->pSurface : nullptr;
  if (tex && PLAT_GfxTextureIsLost(tex)) PLAT_GfxRestoreTexture(tex);
  return tex;
}

uint32_t Pack(uint32_t argb, PLAT_GfxTexFormat format) {
  const uint32_t r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
  switch (format) {
    case PLAT_GfxTexFormat::R5G6B5:
      return (r >> 3) << 11 | (g >> 2) << 5 | b >> 3;
    case PLAT_GfxTexFormat::A1R5G5B5:
      return 0x8000u | (r >> 3) << 10 | (g >> 3) << 5 | b >> 3;
    case PLAT_GfxTexFormat::A4R4G4B4:
      return 0xF000u | (r >> 4) << 8 | (g >> 4) << 4 | b >> 4;
    default:
      return 0xFF000000u | argb;
  }
}

// A stretching copy from the picture's rectangle into the level's rectangle (either may be
// mirrored); rows and columns outside the level are left out.
void Blit(const std::vector<uint32_t>& argb, int pw, int ph, const int src[4], const int dst[4],
          const PLAT_GfxLock& lock, PLAT_GfxTexFormat format) {
  const int bytes = format == PLAT_GfxTexFormat::A8R8G8B8 ? 4 : 2;
  const int dw = dst[2] - dst[0], dh = dst[3] - dst[1];
  if (dw == 0 || dh == 0) return;
  for (int y = std::max(0, std::min(dst[1], dst[3])); y < std::min(lock.height, std::max(dst[1], dst[3])); ++y) {
    const float fy = (static_cast<float>(y - dst[1]) + 0.5f) / static_cast<float>(dh);
    const int sy = std::clamp(src[1] + static_cast<int>(fy * static_cast<float>(src[3] - src[1])), 0, ph - 1);
    uint8_t* row = static_cast<uint8_t*>(lock.bits) + static_cast<size_t>(y) * lock.pitch;
    for (int x = std::max(0, std::min(dst[0], dst[2])); x < std::min(lock.width, std::max(dst[0], dst[2])); ++x) {
      const float fx = (static_cast<float>(x - dst[0]) + 0.5f) / static_cast<float>(dw);
      const int sx = std::clamp(src[0] + static_cast<int>(fx * static_cast<float>(src[2] - src[0])), 0, pw - 1);
      const uint32_t texel = Pack(argb[static_cast<size_t>(sy) * pw + sx], format);
      std::memcpy(row + static_cast<size_t>(x) * bytes, &texel, static_cast<size_t>(bytes));
    }
  }
}

}  // namespace

void SPPD_VideoCopyPicture(SPPD_VIDEOFRAME* v, const std::vector<uint32_t>& argb) {
  const int pw = v->info.width, ph = v->info.height;
  if (argb.size() != static_cast<size_t>(pw) * ph || pw <= 0 || ph <= 0) return;
  bool any = false;
  Rect u{};
  ForEachFrame(v->pTarget, [&](const SPW_B2DFRAME* f) {
    const Rect r = FrameRect(f);
    u = any ? Rect{std::min(u.x0, r.x0), std::min(u.y0, r.y0), std::max(u.x1, r.x1), std::max(u.y1, r.y1)} : r;
    any = true;
  });
  if (!any) return;
  float s = 1.0f;
  if (v->dwFlags & SPPD_VIDEO_FIT)
    s = std::min((u.x1 - u.x0) / static_cast<float>(pw), (u.y1 - u.y0) / static_cast<float>(ph));
  if (s <= 0.0f) return;
  const float cx = (u.x0 + u.x1) / 2, cy = (u.y0 + u.y1) / 2;
  const Rect place{cx - pw * s / 2, cy - ph * s / 2, cx + pw * s / 2, cy + ph * s / 2};
  SPPD_DRIVERSTATE* state = SPPD_GetDriverState(v->pContext);
  ForEachFrame(v->pTarget, [&](const SPW_B2DFRAME* f) {
    PLAT_GfxTexture* tex = TextureOf(state, f);
    if (!tex || f->nWidth <= 0 || f->nHeight <= 0) return;
    const PLAT_GfxTexFormat format = PLAT_GfxTextureFormat(tex);
    if (format == PLAT_GfxTexFormat::P8) return;  // no palette holds a movie
    const Rect fr = FrameRect(f);
    const Rect in{std::max(place.x0, fr.x0), std::max(place.y0, fr.y0), std::min(place.x1, fr.x1),
                  std::min(place.y1, fr.y1)};
    if (in.Empty()) return;
    const int src[4] = {static_cast<int>((in.x0 - place.x0) / s), static_cast<int>((in.y0 - place.y0) / s),
                        static_cast<int>((in.x1 - place.x0) / s), static_cast<int>((in.y1 - place.y0) / s)};
    // Every level, so that a mip-mapped texture shows the picture at any size.
    for (int level = 0; level < PLAT_GfxTextureLevels(tex); ++level) {
      PLAT_GfxLock lock;
      if (PLAT_GfxLockTexture(tex, level, &lock) != PLAT_GfxResult::Ok) continue;
      auto edgeX = [&](float x) {
        return static_cast<int>(((x - fr.x0) / f->nWidth * f->du + f->u) * lock.width);
      };
      auto edgeY = [&](float y) {
        return static_cast<int>(((y - fr.y0) / f->nHeight * f->dv + f->v) * lock.height);
      };
      const int dst[4] = {edgeX(in.x0), edgeY(in.y0), edgeX(in.x1), edgeY(in.y1)};
      Blit(argb, pw, ph, src, dst, lock, format);
      PLAT_GfxUnlockTexture(tex, level);
    }
  });
}

void SPPD_VideoClearTextures(SPPD_VIDEOFRAME* v) {
  SPPD_DRIVERSTATE* state = SPPD_GetDriverState(v->pContext);
  ForEachFrame(v->pTarget, [&](const SPW_B2DFRAME* f) {
    PLAT_GfxTexture* tex = TextureOf(state, f);
    for (int level = 0; tex && level < PLAT_GfxTextureLevels(tex); ++level) {
      PLAT_GfxLock lock;
      if (PLAT_GfxLockTexture(tex, level, &lock) != PLAT_GfxResult::Ok) continue;
      for (int y = 0; y < lock.height; ++y)
        std::memset(static_cast<uint8_t*>(lock.bits) + static_cast<size_t>(y) * lock.pitch, 0,
                    static_cast<size_t>(lock.pitch));
      PLAT_GfxUnlockTexture(tex, level);
    }
  });
}
