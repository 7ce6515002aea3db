#pragma once
// Writes TXF texture cache files: a 92-byte little-endian header (total size, header size 92,
// width, height, bytes per pixel, alpha/red/green/blue bit counts, flags, driver GUID, 32-byte
// pixel format, 3D device GUID), the 1024-byte palette of palettised files, then the pixels.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/guid.h"

struct vnTXF_FILE {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t bytesPerPixel = 0;
  uint8_t alphaBits = 0, redBits = 0, greenBits = 0, blueBits = 0;
  uint32_t flags = 0;  // 1 palettised, 2 no mip maps
  PLAT_GUID driverGuid{};
  // The pixel format record: flags, bit count, red, green, blue and alpha masks.
  uint32_t pfFlags = 0, pfBitCount = 0, pfRMask = 0, pfGMask = 0, pfBMask = 0, pfAMask = 0;
  PLAT_GUID deviceGuid{};
  std::vector<uint8_t> palette;  // 1024 bytes when palettised
  std::vector<uint8_t> pixels;
};

// The file's bytes with the total and header sizes filled in; empty (with a trace) when the
// pixels or the palette do not fit the sizes.
std::vector<uint8_t> vnWRITE_TXF(const vnTXF_FILE& file);
bool vnWRITE_TXFFile(const std::string& path, const vnTXF_FILE& file);
