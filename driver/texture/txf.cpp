// TXF cache files. Nothing in a cache file is trusted: a header whose sizes disagree with each
// other or with the file is treated as stale, so the texture is converted again.
#include "driver/texture/txf.h"

#include <cstring>

#include "platform/bytes.h"
#include "platform/trace.h"

namespace {

constexpr uint32_t kDDPixelFormatSize = 32;

}  // namespace

void SPPD_PixelFormatToBytes(const PLAT_GfxPixelFormat& f, uint8_t out[SPPD_PIXELFORMAT_BYTES]) {
  PLAT_StoreLE32(out + 0, kDDPixelFormatSize);
  PLAT_StoreLE32(out + 4, f.flags);
  PLAT_StoreLE32(out + 8, 0);  // no four-character code
  PLAT_StoreLE32(out + 12, f.bitCount);
  PLAT_StoreLE32(out + 16, f.rMask);
  PLAT_StoreLE32(out + 20, f.gMask);
  PLAT_StoreLE32(out + 24, f.bMask);
  PLAT_StoreLE32(out + 28, f.aMask);
}

PLAT_GfxPixelFormat SPPD_PixelFormatFromBytes(const uint8_t in[SPPD_PIXELFORMAT_BYTES]) {
  PLAT_GfxPixelFormat f{};
  f.flags = PLAT_LoadLE32(in + 4);
  f.bitCount = PLAT_LoadLE32(in + 12);
  f.rMask = PLAT_LoadLE32(in + 16);
  f.gMask = PLAT_LoadLE32(in + 20);
  f.bMask = PLAT_LoadLE32(in + 24);
  f.aMask = PLAT_LoadLE32(in + 28);
  return f;
}

void SPPD_TxfEncodeHeader(const SPPD_TXFHEADER& h, uint8_t out[SPPD_TXF_HEADER_SIZE]) {
  PLAT_StoreLE32(out + 0, h.totalSize);
  PLAT_StoreLE32(out + 4, h.headerSize);
  PLAT_StoreLE32(out + 8, h.width);
  PLAT_StoreLE32(out + 12, h.height);
  PLAT_StoreLE32(out + 16, h.bytesPerPixel);
  out[20] = h.alphaBits;
  out[21] = h.redBits;
  out[22] = h.greenBits;
  out[23] = h.blueBits;
  PLAT_StoreLE32(out + 24, h.flags);
  PLAT_GuidToBytes(h.driverGuid, out + 28);
  std::memcpy(out + 44, h.pixelFormat, SPPD_PIXELFORMAT_BYTES);
  PLAT_GuidToBytes(h.deviceGuid, out + 76);
}

SPPD_TXFHEADER SPPD_TxfDecodeHeader(const uint8_t in[SPPD_TXF_HEADER_SIZE]) {
  SPPD_TXFHEADER h{};
  h.totalSize = PLAT_LoadLE32(in + 0);
  h.headerSize = PLAT_LoadLE32(in + 4);
  h.width = PLAT_LoadLE32(in + 8);
  h.height = PLAT_LoadLE32(in + 12);
  h.bytesPerPixel = PLAT_LoadLE32(in + 16);
  h.alphaBits = in[20];
  h.redBits = in[21];
  h.greenBits = in[22];
  h.blueBits = in[23];
  h.flags = PLAT_LoadLE32(in + 24);
  h.driverGuid = PLAT_GuidFromBytes(in + 28);
  std::memcpy(h.pixelFormat, in + 44, SPPD_PIXELFORMAT_BYTES);
  h.deviceGuid = PLAT_GuidFromBytes(in + 76);
  return h;
}

uint64_t SPPD_TxfExpectedSize(const SPPD_TXFHEADER& h) {
  if (h.headerSize != SPPD_TXF_HEADER_SIZE) return 0;
  if (h.width < 1 || h.height < 1 || h.width > SPPD_TXF_MAX_SIDE || h.height > SPPD_TXF_MAX_SIDE)
    return 0;
  const bool palettised = (h.flags & SPPD_TXF_FLAG_PALETTISED) != 0;
  if (palettised ? h.bytesPerPixel != 1 : (h.bytesPerPixel < 1 || h.bytesPerPixel > 4)) return 0;
  const uint64_t pixels = static_cast<uint64_t>(h.width) * h.height * h.bytesPerPixel;
  return SPPD_TXF_HEADER_SIZE + (palettised ? SPPD_TXF_PALETTE_SIZE : 0) + pixels;
}

bool SPPD_TxfReadHeader(FILE* f, const char* path, SPPD_TXFHEADER* out) {
  if (!f || !out) return false;
  if (std::fseek(f, 0, SEEK_END) != 0) return false;
  const long fileSize = std::ftell(f);
  if (fileSize < 0 || std::fseek(f, 0, SEEK_SET) != 0) return false;
  uint8_t bytes[SPPD_TXF_HEADER_SIZE];
  if (std::fread(bytes, 1, sizeof bytes, f) != sizeof bytes) {
    PLAT_Trace("GFXDRV: SPPD_TxfReadHeader: %s is shorter than its header\n", path);
    return false;
  }
  SPPD_TXFHEADER h = SPPD_TxfDecodeHeader(bytes);
  const uint64_t expected = SPPD_TxfExpectedSize(h);
  if (expected == 0 || expected != h.totalSize || expected != static_cast<uint64_t>(fileSize)) {
    PLAT_Trace("GFXDRV: SPPD_TxfReadHeader: %s: header size %u, total %u, %ux%u x%u and file "
               "size %ld disagree\n",
               path, h.headerSize, h.totalSize, h.width, h.height, h.bytesPerPixel, fileSize);
    return false;
  }
  *out = h;
  return true;
}

bool SPPD_TxfReadBody(FILE* f, const char* path, const SPPD_TXFHEADER& h,
                      std::vector<uint8_t>* palette, std::vector<uint8_t>* pixels) {
  if (!f || !palette || !pixels || SPPD_TxfExpectedSize(h) == 0) return false;
  palette->clear();
  if (h.flags & SPPD_TXF_FLAG_PALETTISED) {
    palette->resize(SPPD_TXF_PALETTE_SIZE);
    if (std::fread(palette->data(), 1, palette->size(), f) != palette->size()) {
      PLAT_Trace("GFXDRV: SPPD_TxfReadBody: palette of %s is cut short\n", path);
      return false;
    }
  }
  pixels->resize(static_cast<size_t>(h.width) * h.height * h.bytesPerPixel);
  if (std::fread(pixels->data(), 1, pixels->size(), f) != pixels->size()) {
    PLAT_Trace("GFXDRV: SPPD_TxfReadBody: pixels of %s are cut short\n", path);
    return false;
  }
  return true;
}

bool SPPD_TxfWrite(FILE* f, const char* path, const SPPD_TXFHEADER& h,
                   const std::vector<uint8_t>& palette, const std::vector<uint8_t>& pixels) {
  const uint64_t expected = SPPD_TxfExpectedSize(h);
  const bool palettised = (h.flags & SPPD_TXF_FLAG_PALETTISED) != 0;
  if (!f || expected == 0 || expected != h.totalSize ||
      (palettised && palette.size() != SPPD_TXF_PALETTE_SIZE) ||
      pixels.size() != static_cast<size_t>(h.width) * h.height * h.bytesPerPixel) {
    PLAT_Trace("GFXDRV: SPPD_TxfWrite: inconsistent texture for %s\n", path);
    return false;
  }
  uint8_t bytes[SPPD_TXF_HEADER_SIZE];
  SPPD_TxfEncodeHeader(h, bytes);
  bool ok = std::fwrite(bytes, 1, sizeof bytes, f) == sizeof bytes;
  if (ok && palettised) ok = std::fwrite(palette.data(), 1, palette.size(), f) == palette.size();
  if (ok) ok = std::fwrite(pixels.data(), 1, pixels.size(), f) == pixels.size();
  if (!ok) PLAT_Trace("GFXDRV: SPPD_TxfWrite: cannot write %s\n", path);
  return ok;
}
