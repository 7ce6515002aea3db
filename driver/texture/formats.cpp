// Choosing texture formats and packing source pixels into them.
#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "driver/texture/ppm.h"
#include "driver/texture/quantise.h"
#include "driver/texture/convert.h"
#include "engine/driver/sppd.h"
#include "platform/bytes.h"
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

// Where each channel's top bits go in a packed pixel.
struct Placement {
  uint32_t rDrop, gDrop, bDrop, aDrop;  // low bits of the 8-bit sample that do not fit
  uint32_t rAt, gAt, bAt, aAt;          // bit position of the channel in the pixel
  uint32_t opaque;                      // every alpha bit, for images without alpha
};

Placement PlacementOf(const SPPD_TEXFORMATENTRY& f) {
  const uint32_t rb = static_cast<uint32_t>(f.rBits), gb = static_cast<uint32_t>(f.gBits),
                 bb = static_cast<uint32_t>(f.bBits), ab = static_cast<uint32_t>(f.aBits);
  Placement p{};
  p.rDrop = 8 - rb;
  p.gDrop = 8 - gb;
  p.bDrop = 8 - bb;
  p.bAt = 0;
  p.gAt = bb;
  p.rAt = bb + gb;
  p.aAt = bb + gb + rb;
  // With no alpha bits the alpha sample is dropped whole: shifted out of a 32-bit word.
  p.aDrop = ab ? 8 - ab : 0;
  p.opaque = ab ? (0xFFu >> (8 - ab)) << p.aAt : 0;
  return p;
}

template <uint32_t Channels>
uint32_t PackPixel(const uint8_t* s, const Placement& p, uint32_t alphaMask) {
  uint32_t v = (uint32_t{s[0]} >> p.rDrop) << p.rAt | (uint32_t{s[1]} >> p.gDrop) << p.gAt |
               (uint32_t{s[2]} >> p.bDrop) << p.bAt;
  if constexpr (Channels == 4)
    return v | ((uint32_t{s[3]} >> p.aDrop) << p.aAt & alphaMask);
  else
    return v | p.opaque;
}

// The one hot loop of a conversion: one whole-word store per pixel, vectorised, with an AVX2
// copy chosen when the program loads on a processor that has it. Not under ThreadSanitizer:
// the copy is chosen by a resolver that runs before the sanitizer's runtime has started.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && !defined(__SANITIZE_THREAD__)
#define SPPD_PACK_LOOP                                  \
  __attribute__((target_clones("avx2", "default"),     \
                 optimize("tree-vectorize", "vect-cost-model=dynamic")))
#else
#define SPPD_PACK_LOOP
#endif

template <uint32_t Channels, typename Word>
SPPD_PACK_LOOP void PackWords(const uint8_t* __restrict src, Word* __restrict out, size_t count,
                              const Placement p, uint32_t alphaMask) {
  for (size_t i = 0; i < count; ++i)
    out[i] = static_cast<Word>(PackPixel<Channels>(src + Channels * i, p, alphaMask));
}

template <uint32_t Channels>
void PackBytes(const uint8_t* src, uint8_t* out, size_t count, uint32_t bpp, const Placement& p,
               uint32_t alphaMask) {
  for (size_t i = 0; i < count; ++i, src += Channels, out += bpp) {
    const uint32_t v = PackPixel<Channels>(src, p, alphaMask);
    PLAT_StoreLEBytes(out, v, bpp);
  }
}

// 8888 with alpha, the layout of every alpha texture on today's devices: with the shifts known
// at compile time the loop is a byte shuffle.
constexpr Placement kPlacement8888 = {0, 0, 0, 0, 16, 8, 0, 24, 0xFF000000u};
constexpr bool SamePlacement(const Placement& a, const Placement& b) {
  return a.rDrop == b.rDrop && a.gDrop == b.gDrop && a.bDrop == b.bDrop && a.aDrop == b.aDrop &&
         a.rAt == b.rAt && a.gAt == b.gAt && a.bAt == b.bAt && a.aAt == b.aAt &&
         a.opaque == b.opaque;
}

SPPD_PACK_LOOP void Pack8888(const uint8_t* __restrict src, uint32_t* __restrict out,
                             size_t count) {
  for (size_t i = 0; i < count; ++i, src += 4)
    out[i] = uint32_t{src[3]} << 24 | uint32_t{src[0]} << 16 | uint32_t{src[1]} << 8 | src[2];
}

template <uint32_t Channels>
void PackChannels(const uint8_t* src, uint8_t* out, size_t count, uint32_t bpp,
                  const Placement& p, uint32_t alphaMask) {
  // Pixels are stored little-endian: on such a host a whole word is the stored bytes.
  if constexpr (std::endian::native == std::endian::little) {
    if constexpr (Channels == 4)
      if (bpp == 4 && alphaMask && SamePlacement(p, kPlacement8888))
        return Pack8888(src, reinterpret_cast<uint32_t*>(out), count);
    if (bpp == 2)
      return PackWords<Channels>(src, reinterpret_cast<uint16_t*>(out), count, p, alphaMask);
    if (bpp == 4)
      return PackWords<Channels>(src, reinterpret_cast<uint32_t*>(out), count, p, alphaMask);
  }
  PackBytes<Channels>(src, out, count, bpp, p, alphaMask);
}

// Packs `count` pixels of 3 or 4 channels.
void PackTrueColour(const uint8_t* src, uint32_t channels, const SPPD_TEXFORMATENTRY& f,
                    uint32_t bpp, size_t count, uint8_t* out) {
  const Placement p = PlacementOf(f);
  const uint32_t alphaMask = f.aBits ? 0xFFFFFFFFu : 0;
  if (channels == 4)
    PackChannels<4>(src, out, count, bpp, p, alphaMask);
  else
    PackChannels<3>(src, out, count, bpp, p, alphaMask);
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

namespace {

bool ImageSound(const SPPD_PPMIMAGE& image) {
  return image.pixels.size() == static_cast<size_t>(image.width) * image.height * image.channels;
}

// The header of a packing, all but its GUIDs; false (traced) for a true-colour format that
// cannot be packed.
bool PackHeader(uint32_t width, uint32_t height, const SPPD_TEXFORMATENTRY& format,
                SPPD_TXFHEADER* out) {
  SPPD_TXFHEADER h{};
  h.headerSize = SPPD_TXF_HEADER_SIZE;
  h.width = width;
  h.height = height;
  SPPD_PixelFormatToBytes(format.format, h.pixelFormat);
  if (format.palettised) {
    h.flags = SPPD_TXF_FLAG_PALETTISED;
    h.bytesPerPixel = 1;
  } else {
    const int32_t bits = format.rBits + format.gBits + format.bBits + format.aBits;
    if (bits < 1 || bits > 32 || format.rBits > 8 || format.gBits > 8 || format.bBits > 8 ||
        format.aBits > 8 || format.rBits < 1 || format.gBits < 1 || format.bBits < 1) {
      PLAT_Trace("GFXDRV: SPPD_TexturePack: unusable format of %d bits\n", bits);
      return false;
    }
    h.bytesPerPixel = static_cast<uint32_t>(bits + 7) / 8;
    h.alphaBits = static_cast<uint8_t>(format.aBits);
    h.redBits = static_cast<uint8_t>(format.rBits);
    h.greenBits = static_cast<uint8_t>(format.gBits);
    h.blueBits = static_cast<uint8_t>(format.bBits);
  }
  h.totalSize = static_cast<uint32_t>(SPPD_TxfExpectedSize(h));
  *out = h;
  return true;
}

// Pixels packed (and read from a source file) this many at a time: few enough that the block
// stays in the cache, enough that a large texture costs few reads and writes.
constexpr size_t kPackBlockPixels = 65536;

// The cache file of a true-colour packing written a block at a time: source(first, n) gives the
// samples of n pixels from pixel `first` on, or none when they cannot be had. 1; 0 when a write
// fails; -1 when nothing can be packed or the source fails (traced).
template <typename Source>
int32_t WriteBlocks(FILE* f, const char* path, uint32_t width, uint32_t height, uint32_t channels,
                    const SPPD_TEXFORMATENTRY& format, const PLAT_GUID& device, Source&& source) {
  SPPD_TXFHEADER h;
  if (!PackHeader(width, height, format, &h) || SPPD_TxfExpectedSize(h) == 0) {
    PLAT_Trace("GFXDRV: SPPD_TextureWritePacked: no image to write to %s\n", path);
    return -1;
  }
  if (!f) return 0;
  h.driverGuid = SPPD_GUID;
  h.deviceGuid = device;
  uint8_t header[SPPD_TXF_HEADER_SIZE];
  SPPD_TxfEncodeHeader(h, header);
  bool ok = std::fwrite(header, 1, sizeof header, f) == sizeof header;
  const size_t count = static_cast<size_t>(width) * height;
  const uint32_t bpp = h.bytesPerPixel;
  std::vector<uint8_t> block(std::min(count, kPackBlockPixels) * bpp);
  for (size_t first = 0; ok && first < count; first += kPackBlockPixels) {
    const size_t n = std::min(kPackBlockPixels, count - first);
    const uint8_t* src = source(first, n);
    if (!src) return -1;
    PackTrueColour(src, channels, format, bpp, n, block.data());
    ok = std::fwrite(block.data(), 1, n * bpp, f) == n * bpp;
  }
  if (!ok) PLAT_Trace("GFXDRV: SPPD_TextureWritePacked: cannot write %s\n", path);
  return ok ? 1 : 0;
}

}  // namespace

int32_t SPPD_TexturePack(const SPPD_PPMIMAGE& image, const SPPD_TEXFORMATENTRY& format,
                         SPPD_TEXIMAGE* out) {
  if (!out || !ImageSound(image)) {
    PLAT_Trace("GFXDRV: SPPD_TexturePack: no image\n");
    return -1;
  }
  if (!PackHeader(image.width, image.height, format, &out->header)) return -1;
  if (format.palettised) return PackPalettised(image, out) ? 1 : -1;
  out->palette.clear();
  out->pixels.resize(static_cast<size_t>(image.width) * image.height *
                     out->header.bytesPerPixel);
  PackTrueColour(image.pixels.data(), image.channels, format, out->header.bytesPerPixel,
                 static_cast<size_t>(image.width) * image.height, out->pixels.data());
  return 1;
}

int32_t SPPD_TextureWritePacked(FILE* f, const char* path, const SPPD_PPMIMAGE& image,
                                const SPPD_TEXFORMATENTRY& format, const PLAT_GUID& device) {
  if (format.palettised) {
    SPPD_TEXIMAGE packed;
    if (SPPD_TexturePack(image, format, &packed) != 1) return -1;
    packed.header.driverGuid = SPPD_GUID;
    packed.header.deviceGuid = device;
    return SPPD_TxfWrite(f, path, packed.header, packed.palette, packed.pixels) ? 1 : 0;
  }
  if (!ImageSound(image)) {
    PLAT_Trace("GFXDRV: SPPD_TextureWritePacked: no image to write to %s\n", path);
    return -1;
  }
  return WriteBlocks(f, path, image.width, image.height, image.channels, format, device,
                     [&](size_t first, size_t) { return image.pixels.data() + first * image.channels; });
}

int32_t SPPD_TextureWritePackedSource(FILE* f, const char* path, FILE* source,
                                      const SPPD_PPMHEADER& header,
                                      const SPPD_TEXFORMATENTRY& format, const PLAT_GUID& device) {
  if (format.palettised || !source || (header.channels != 3 && header.channels != 4)) {
    PLAT_Trace("GFXDRV: SPPD_TextureWritePacked: no source to pack into %s\n", path);
    return -1;
  }
  std::vector<uint8_t> samples(std::min(static_cast<size_t>(header.width) * header.height, kPackBlockPixels) *
                               header.channels);
  return WriteBlocks(f, path, header.width, header.height, header.channels, format, device,
                     [&](size_t, size_t n) -> const uint8_t* {
                       return SPPD_ReadPPMSamples(source, header, samples.data(), n * header.channels)
                                  ? samples.data()
                                  : nullptr;
                     });
}
