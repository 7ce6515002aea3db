// Choosing texture formats and packing source pixels into them.
#include <cstring>
#include <memory>

#include "driver/texture/ppm.h"
#include "driver/texture/quantise.h"
#include "driver/texture/convert.h"
#include "platform/trace.h"

namespace {

struct Layout {
  int32_t r, g, b, a;
  int32_t alphaScore, opaqueScore;
};
// Preferred layouts; a score of 0 means "not for this kind of image".
constexpr Layout kLayouts[] = {
    {4, 4, 4, 4, 2, 1}, {5, 5, 5, 1, 1, 2}, {5, 5, 5, 0, 0, 3},
    {5, 6, 5, 0, 0, 4}, {8, 8, 8, 0, 0, 0}, {8, 8, 8, 8, 3, 5},
};

// Entries of the mapping cache in front of the palette search: 2 x 255 + 4 x 255 + 255 + 1.
constexpr int kMapCacheSize = 1786;

int32_t Colour(const SPPD_TEXFORMATENTRY& f) { return f.rBits + f.gBits + f.bBits; }

bool Usable(const SPPD_TEXFORMATENTRY& f, bool palettised) {
  if ((f.palettised != 0) != palettised) return false;
  const int32_t total = Colour(f) + f.aBits;
  if (total != 16 && total != 32) return false;
  if (f.aBits > f.rBits || f.aBits > f.gBits || f.aBits > f.bBits) return false;
  return f.rBits >= 1 && f.gBits >= 1 && f.bBits >= 1;
}

bool MoreColour(const SPPD_TEXFORMATENTRY& a, const SPPD_TEXFORMATENTRY& best) {
  if (Colour(a) != Colour(best)) return Colour(a) > Colour(best);
  return a.aBits < best.aBits;
}

bool MoreAlpha(const SPPD_TEXFORMATENTRY& a, const SPPD_TEXFORMATENTRY& best) {
  if (a.aBits != best.aBits) return a.aBits > best.aBits;
  return Colour(a) > Colour(best);
}

const SPPD_TEXFORMATENTRY* Best(std::span<const SPPD_TEXFORMATENTRY> formats, bool palettised,
                                bool (*better)(const SPPD_TEXFORMATENTRY&,
                                               const SPPD_TEXFORMATENTRY&)) {
  const SPPD_TEXFORMATENTRY* best = nullptr;
  for (const SPPD_TEXFORMATENTRY& f : formats)
    if (Usable(f, palettised) && (!best || better(f, *best))) best = &f;
  return best;
}

const Layout* LayoutOf(const SPPD_TEXFORMATENTRY& f) {
  for (const Layout& l : kLayouts)
    if (l.r == f.rBits && l.g == f.gBits && l.b == f.bBits && l.a == f.aBits) return &l;
  return nullptr;
}

void PackTrueColour(const SPPD_PPMIMAGE& image, const SPPD_TEXFORMATENTRY& f, uint32_t bpp,
                    uint8_t* out) {
  const uint32_t rb = static_cast<uint32_t>(f.rBits), gb = static_cast<uint32_t>(f.gBits),
                 bb = static_cast<uint32_t>(f.bBits), ab = static_cast<uint32_t>(f.aBits);
  const uint32_t opaque = ab ? (0xFFu >> (8 - ab)) << (bb + gb + rb) : 0;
  const bool withAlpha = image.channels == 4;
  const uint8_t* src = image.pixels.data();
  const size_t count = static_cast<size_t>(image.width) * image.height;
  for (size_t i = 0; i < count; ++i, src += image.channels, out += bpp) {
    uint32_t v = (static_cast<uint32_t>(src[0]) >> (8 - rb)) << (bb + gb) |
                 (static_cast<uint32_t>(src[1]) >> (8 - gb)) << bb |
                 static_cast<uint32_t>(src[2]) >> (8 - bb);
    if (withAlpha)
      v |= ab ? (static_cast<uint32_t>(src[3]) >> (8 - ab)) << (bb + gb + rb) : 0;
    else
      v |= opaque;
    for (uint32_t k = 0; k < bpp; ++k) out[k] = static_cast<uint8_t>(v >> (8 * k));
  }
}

bool PackPalettised(const SPPD_PPMIMAGE& image, SPPD_TEXIMAGE* out) {
  if (image.channels != 3) {
    PLAT_Trace("GFXDRV: SPPD_TexturePack: only opaque images take a palette\n");
    return false;
  }
  auto q = std::make_unique<SPPD_QUANTISER>();
  uint8_t map[SPPD_QUANT_NETSIZE * 3];
  SPPD_Quantise(q.get(), image.pixels, SPPD_QUANT_SAMPLEFAC, map);
  out->palette.assign(SPPD_TXF_PALETTE_SIZE, 0);
  for (int i = 0; i < SPPD_QUANT_NETSIZE; ++i) std::memcpy(&out->palette[4 * i], &map[3 * i], 3);

  struct Entry {
    bool used;
    uint8_t c[3];
    uint8_t index;
  };
  auto cache = std::make_unique<Entry[]>(kMapCacheSize);
  const uint8_t* src = image.pixels.data();
  const size_t count = static_cast<size_t>(image.width) * image.height;
  out->pixels.resize(count);
  for (size_t i = 0; i < count; ++i, src += 3) {
    Entry& e = cache[2 * src[0] + 4 * src[1] + src[2]];
    if (!e.used) {
      e = {true, {src[0], src[1], src[2]},
           static_cast<uint8_t>(SPPD_QuantSearch(q.get(), src[0], src[1], src[2]))};
      out->pixels[i] = e.index;
    } else if (std::memcmp(e.c, src, 3) == 0) {
      out->pixels[i] = e.index;
    } else {
      out->pixels[i] = static_cast<uint8_t>(SPPD_QuantSearch(q.get(), src[0], src[1], src[2]));
    }
  }
  return true;
}

}  // namespace

int32_t SPPD_TextureChooseFormats(std::span<const SPPD_TEXFORMATENTRY> formats, int32_t palette,
                                  const SPPD_TEXFORMATENTRY** outOpaque,
                                  const SPPD_TEXFORMATENTRY** outAlpha) {
  const SPPD_TEXFORMATENTRY* opaque = nullptr;
  const SPPD_TEXFORMATENTRY* alpha = nullptr;
  if (palette == 0) {
    int32_t bestAlpha = 0, bestOpaque = 0;
    for (const SPPD_TEXFORMATENTRY& f : formats) {
      const Layout* l = Usable(f, false) ? LayoutOf(f) : nullptr;
      if (!l) continue;
      if (l->alphaScore > bestAlpha) {
        bestAlpha = l->alphaScore;
        alpha = &f;
      }
      if (l->opaqueScore > bestOpaque) {
        bestOpaque = l->opaqueScore;
        opaque = &f;
      }
    }
    if (!alpha && !opaque) {
      alpha = Best(formats, false, MoreAlpha);
      opaque = Best(formats, false, MoreColour);
    }
  } else {
    alpha = Best(formats, true, MoreAlpha);
    if (!alpha) alpha = Best(formats, false, MoreAlpha);
    opaque = Best(formats, false, MoreColour);
  }
  if (outOpaque) *outOpaque = opaque;
  if (outAlpha) *outAlpha = alpha;
  if (!opaque || !alpha) {
    PLAT_Trace("GFXDRV: SPPD_TextureChooseFormats: no %s texture format on this device\n",
               opaque ? "alpha" : "opaque");
    return -1;
  }
  return 1;
}

int32_t SPPD_TexturePack(const SPPD_PPMIMAGE& image, const SPPD_TEXFORMATENTRY& format,
                         SPPD_TEXIMAGE* out) {
  if (!out || image.pixels.size() !=
                  static_cast<size_t>(image.width) * image.height * image.channels) {
    PLAT_Trace("GFXDRV: SPPD_TexturePack: no image\n");
    return -1;
  }
  SPPD_TXFHEADER& h = out->header;
  h = SPPD_TXFHEADER{};
  h.headerSize = SPPD_TXF_HEADER_SIZE;
  h.width = image.width;
  h.height = image.height;
  SPPD_PixelFormatToBytes(format.format, h.pixelFormat);
  if (format.palettised) {
    if (!PackPalettised(image, out)) return -1;
    h.flags = SPPD_TXF_FLAG_PALETTISED;
    h.bytesPerPixel = 1;
  } else {
    const int32_t bits = format.rBits + format.gBits + format.bBits + format.aBits;
    if (bits < 1 || bits > 32 || format.rBits > 8 || format.gBits > 8 || format.bBits > 8 ||
        format.aBits > 8 || format.rBits < 1 || format.gBits < 1 || format.bBits < 1) {
      PLAT_Trace("GFXDRV: SPPD_TexturePack: unusable format of %d bits\n", bits);
      return -1;
    }
    h.bytesPerPixel = static_cast<uint32_t>(bits + 7) / 8;
    h.alphaBits = static_cast<uint8_t>(format.aBits);
    h.redBits = static_cast<uint8_t>(format.rBits);
    h.greenBits = static_cast<uint8_t>(format.gBits);
    h.blueBits = static_cast<uint8_t>(format.bBits);
    out->palette.clear();
    out->pixels.resize(static_cast<size_t>(image.width) * image.height * h.bytesPerPixel);
    PackTrueColour(image, format, h.bytesPerPixel, out->pixels.data());
  }
  h.totalSize = static_cast<uint32_t>(SPPD_TxfExpectedSize(h));
  return 1;
}
