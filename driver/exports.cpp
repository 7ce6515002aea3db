// Identity and description: what Setup and the game ask before a display exists.
#include <cstring>

#include "driver/core/block.h"
#include "driver/core/lasterror.h"
#include "engine/driver/sppd.h"

// {5D81DC88-A7D2-4BFE-AF63-9CA4C08B4BEE}
extern "C" SPPD_EXPORT const PLAT_GUID SPPD_GUID = {
    0x5D81DC88, 0xA7D2, 0x4BFE, {0xAF, 0x63, 0x9C, 0xA4, 0xC0, 0x8B, 0x4B, 0xEE}};

namespace {
constexpr const char kDescription[] = "Direct3D-DX7 (v1.000.00a)";
}

int32_t SPPD_DriverInfo(char* buffer, int32_t size) {
  if (!buffer || size <= 0) {
    SPPD_SetLastError("No description buffer\nin(manage_gfxdrv:SPPD_DriverInfo)");
    return SPPD_FAIL;
  }
  size_t n = std::strlen(kDescription);
  if (n > static_cast<size_t>(size - 1)) n = static_cast<size_t>(size - 1);
  std::memcpy(buffer, kDescription, n);
  buffer[n] = '\0';
  return SPPD_OK;
}

// The host's table and the driver's state behind it; larger than the 32-bit block because
// the table and the state hold 64-bit pointers.
int32_t SPPD_GetRequirements() { return static_cast<int32_t>(sizeof(SPPD_DRIVERDATA)); }
