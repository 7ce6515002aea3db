#pragma once
// Writes the texture cache's stamp file "tstamp.txt": the lines "KOGUID = " (driver GUID),
// "GFXDRVGUID = " (display device GUID), "GFXDRVPFSETSIZE = " (format count, 4 bytes
// little-endian) and "GFXDRVPFSET(n) = " (each 32-byte pixel format), every value its bytes in
// order as two upper-case hex digits, low nibble first; a zero byte after the last line.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/guid.h"

struct vnTSTAMP_FILE {
  PLAT_GUID driverGuid{};
  PLAT_GUID displayGuid{};
  std::vector<std::array<uint8_t, 32>> formats;
};

// The text without its terminating zero byte.
std::string vnWRITE_TextureStampText(const vnTSTAMP_FILE& stamp);
bool vnWRITE_TextureStamp(const std::string& path, const vnTSTAMP_FILE& stamp);
