// Device textures from converted pixels or straight from a cache file.
#include <cstring>

#include "driver/core/deviceresult.h"
#include "driver/core/lasterror.h"
#include "driver/texture/convert.h"
#include "engine/driver/sppd.h"
#include "platform/files.h"
#include "platform/trace.h"

namespace {

bool PowerOfTwo(uint32_t v) { return v && (v & (v - 1)) == 0; }

uint32_t Log2(uint32_t v) {
  uint32_t n = 0;
  while (v >>= 1) ++n;
  return n;
}

}  // namespace

bool SPPD_TextureReadCache(const SPPD_DRIVERSTATE* s, const char* path, SPPD_TEXIMAGE* out) {
  const PLAT_GUID* device = SPPD_TextureDeviceGuid(s);
  if (!device || !path || !out) {
    PLAT_Trace("GFXDRV: SPPD_TextureCreateSurface: no device or cache path\n");
    return false;
  }
  *out = SPPD_TEXIMAGE{};
  FILE* f = PLAT_FOpen(path, "rb");
  if (!f) {
    PLAT_Trace("GFXDRV: SPPD_TextureCreateSurface: cannot open %s\n", path);
    return false;
  }
  bool ok = SPPD_TxfReadHeader(f, path, &out->header);
  if (ok && (!PLAT_GuidEqual(out->header.driverGuid, SPPD_GUID) ||
             !PLAT_GuidEqual(out->header.deviceGuid, *device))) {
    PLAT_Trace("GFXDRV: SPPD_TextureCreateSurface: %s was made for another driver or device\n",
               path);
    ok = false;
  }
  if (ok) ok = SPPD_TxfReadBody(f, path, out->header, &out->palette, &out->pixels);
  std::fclose(f);
  return ok;
}

namespace {

bool DeviceFormat(const SPPD_TXFHEADER& h, PLAT_GfxTexFormat* out) {
  if (h.flags & SPPD_TXF_FLAG_PALETTISED) {
    *out = PLAT_GfxTexFormat::P8;
    return true;
  }
  const PLAT_GfxPixelFormat pf = SPPD_PixelFormatFromBytes(h.pixelFormat);
  return PLAT_GfxFormatFromRecord(pf, out) && (pf.bitCount + 7) / 8 == h.bytesPerPixel;
}

// Each smaller level takes every 2^level-th pixel of the top level, as a scaling blit would.
void FillMipLevels(PLAT_GfxTexture* tex, const SPPD_TEXIMAGE& image) {
  const uint32_t bpp = image.header.bytesPerPixel;
  const uint32_t width = image.header.width;
  for (int level = 1; level < PLAT_GfxTextureLevels(tex); ++level) {
    PLAT_GfxLock lock;
    PLAT_GfxResult r = PLAT_GfxLockTexture(tex, level, &lock);
    if (r != PLAT_GfxResult::Ok) {
      PLAT_Trace("GFXDRV: SPPD_TextureCreateSurface: mip level %d not filled (%d)\n", level,
                 static_cast<int>(r));
      continue;
    }
    for (int32_t y = 0; y < lock.height; ++y) {
      uint8_t* row = static_cast<uint8_t*>(lock.bits) + static_cast<size_t>(y) * lock.pitch;
      const uint8_t* srcRow =
          image.pixels.data() + (static_cast<size_t>(y) << level) * width * bpp;
      for (int32_t x = 0; x < lock.width; ++x)
        std::memcpy(row + static_cast<size_t>(x) * bpp,
                    srcRow + (static_cast<size_t>(x) << level) * bpp, bpp);
    }
    PLAT_GfxUnlockTexture(tex, level);
  }
}

}  // namespace

int32_t SPPD_TextureMipLevels(uint32_t width, uint32_t height) {
  const uint32_t n = Log2(width < height ? width : height);
  return n > 2 ? static_cast<int32_t>(n - 2) : 1;
}

int32_t SPPD_TextureCreateSurfaceFrom(SPPD_DRIVERSTATE* s, const char* cachePath,
                                      const SPPD_TEXIMAGE* image, SPPD_TEXSURFACE* out) {
  if (out) *out = SPPD_TEXSURFACE{};
  const PLAT_GUID* device = SPPD_TextureDeviceGuid(s);
  if (!device || !s->pGfx || !out || (!image && !cachePath)) {
    PLAT_Trace("GFXDRV: SPPD_TextureCreateSurface: no device, texture or cache path\n");
    return SPPD_FAIL;
  }
  SPPD_TEXIMAGE fromCache;
  if (!image) {
    if (!SPPD_TextureReadCache(s, cachePath, &fromCache)) return SPPD_FAIL;
    image = &fromCache;
  }
  const SPPD_TXFHEADER& h = image->header;
  if (SPPD_TxfExpectedSize(h) == 0 ||
      image->pixels.size() != static_cast<size_t>(h.width) * h.height * h.bytesPerPixel) {
    PLAT_Trace("GFXDRV: SPPD_TextureCreateSurface: pixels disagree with their header\n");
    return SPPD_FAIL;
  }
  if (!PowerOfTwo(h.width) || !PowerOfTwo(h.height)) {
    PLAT_Trace("GFXDRV: SPPD_TextureCreateSurface: %ux%u is not a power of two; no surface\n",
               h.width, h.height);
    return SPPD_FAIL;
  }
  PLAT_GfxTexFormat format;
  if (!DeviceFormat(h, &format)) {
    PLAT_Trace("GFXDRV: SPPD_TextureCreateSurface: the stored pixel format is not the device's\n");
    return SPPD_FAIL;
  }
  const bool palettised = (h.flags & SPPD_TXF_FLAG_PALETTISED) != 0;
  if (palettised && image->palette.size() != SPPD_TXF_PALETTE_SIZE) {
    PLAT_Trace("GFXDRV: SPPD_TextureCreateSurface: palettised texture without its palette\n");
    return SPPD_FAIL;
  }
  const bool mips = s->fAutoMipMap == 1 && !(h.flags & SPPD_TXF_FLAG_NOMIPMAPS);
  const int32_t levels = mips ? SPPD_TextureMipLevels(h.width, h.height) : 1;
  PLAT_GfxTexture* tex = PLAT_GfxCreateTexture(s->pGfx, static_cast<int>(h.width),
                                               static_cast<int>(h.height), levels, format);
  if (!tex) {
    SPPD_SetLastError("Cannot create a %ux%u texture of %d levels\nin(manage_gfxdrv:SPPD_TextureCreateSurface)",
                      h.width, h.height, levels);
    return SPPD_FAIL;
  }
  PLAT_GfxLock lock;
  PLAT_GfxResult r = PLAT_GfxLockTexture(tex, 0, &lock);
  if (r != PLAT_GfxResult::Ok) {
    SPPD_SetLastError("Lock of a new texture failed (%s)\nin(manage_gfxdrv:SPPD_TextureCreateSurface)",
                      SPPD_ErrorDescription(r));
    PLAT_GfxReleaseTexture(tex);
    return SPPD_FAIL;
  }
  const size_t rowBytes = static_cast<size_t>(h.width) * h.bytesPerPixel;
  for (uint32_t y = 0; y < h.height; ++y)
    std::memcpy(static_cast<uint8_t*>(lock.bits) + static_cast<size_t>(y) * lock.pitch,
                image->pixels.data() + y * rowBytes, rowBytes);
  PLAT_GfxUnlockTexture(tex, 0);
  if (palettised) {
    uint32_t argb[256];
    for (int i = 0; i < 256; ++i) {
      const uint8_t* e = &image->palette[4 * static_cast<size_t>(i)];
      argb[i] = 0xFF000000u | static_cast<uint32_t>(e[0]) << 16 |
                static_cast<uint32_t>(e[1]) << 8 | e[2];
    }
    PLAT_GfxSetPalette(tex, argb);
  }
  FillMipLevels(tex, *image);
  out->texture = tex;
  out->width = static_cast<int32_t>(h.width);
  out->height = static_cast<int32_t>(h.height);
  out->levels = PLAT_GfxTextureLevels(tex);
  return SPPD_OK;
}
