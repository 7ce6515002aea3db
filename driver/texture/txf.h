#pragma once
// The TXF texture cache file: a 92-byte little-endian header, an optional 1024-byte palette,
// then the converted pixels, rows top first.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/gfx/gfx.h"
#include "platform/guid.h"

constexpr uint32_t SPPD_TXF_HEADER_SIZE = 92;
constexpr uint32_t SPPD_TXF_PALETTE_SIZE = 1024;  // 256 entries: red, green, blue, flags
constexpr uint32_t SPPD_TXF_FLAG_PALETTISED = 0x1;
constexpr uint32_t SPPD_TXF_FLAG_NOMIPMAPS = 0x2;
constexpr uint32_t SPPD_PIXELFORMAT_BYTES = 32;
// Largest side a cache file may claim; the device takes at most 2048.
constexpr uint32_t SPPD_TXF_MAX_SIDE = 8192;

struct SPPD_TXFHEADER {
  uint32_t totalSize;
  uint32_t headerSize;
  uint32_t width;
  uint32_t height;
  uint32_t bytesPerPixel;
  uint8_t alphaBits;
  uint8_t redBits;
  uint8_t greenBits;
  uint8_t blueBits;
  uint32_t flags;
  PLAT_GUID driverGuid;
  uint8_t pixelFormat[SPPD_PIXELFORMAT_BYTES];  // the stored pixel format record
  PLAT_GUID deviceGuid;
};

// The 32-byte stored form of a pixel format: size 32, flags, four-character code 0, bit count,
// red, green, blue and alpha masks, each a little-endian 32-bit word.
void SPPD_PixelFormatToBytes(const PLAT_GfxPixelFormat& f, uint8_t out[SPPD_PIXELFORMAT_BYTES]);
PLAT_GfxPixelFormat SPPD_PixelFormatFromBytes(const uint8_t in[SPPD_PIXELFORMAT_BYTES]);

void SPPD_TxfEncodeHeader(const SPPD_TXFHEADER& h, uint8_t out[SPPD_TXF_HEADER_SIZE]);
SPPD_TXFHEADER SPPD_TxfDecodeHeader(const uint8_t in[SPPD_TXF_HEADER_SIZE]);
// Bytes a file of this header must have (palette included); 0 when the fields cannot form one
// (bad header size, bytes per pixel, sides or flags).
uint64_t SPPD_TxfExpectedSize(const SPPD_TXFHEADER& h);

// Reads and checks the header: the header size, the recorded total and the actual file size
// must all agree with the sizes. False (traced) otherwise; the file is left after the header.
bool SPPD_TxfReadHeader(FILE* f, const char* path, SPPD_TXFHEADER* out);
// Reads the palette (palettised files) and the pixels after a checked header.
bool SPPD_TxfReadBody(FILE* f, const char* path, const SPPD_TXFHEADER& h,
                      std::vector<uint8_t>* palette, std::vector<uint8_t>* pixels);
// Writes header, palette (when palettised) and pixels; false (traced) on a short write.
bool SPPD_TxfWrite(FILE* f, const char* path, const SPPD_TXFHEADER& h,
                   const std::vector<uint8_t>& palette, const std::vector<uint8_t>& pixels);
