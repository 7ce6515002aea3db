// The wizard's automatic choices and the texts of its list lines.
#include <cstdio>

#include "driver/wizard/wizard.h"

namespace {
constexpr int32_t kAutoWidth = 640;
constexpr int32_t kAutoHeight = 480;
constexpr int32_t kHighColour = 16;
}  // namespace

int32_t SPPD_WIZ_AutoDevice(const SPPD_ENUMLISTS& lists) {
  for (size_t i = 0; i < lists.devices.size(); ++i) {
    const SPPD_DEVICEENTRY& d = lists.devices[i];
    if (d.hwRasterization && !d.hwTransformLight) return static_cast<int32_t>(i);
  }
  return -1;
}

int32_t SPPD_WIZ_AutoMode(const SPPD_ENUMLISTS& lists, int32_t tbpp) {
  for (int32_t bpp : {tbpp, kHighColour}) {
    for (size_t i = 0; i < lists.modes.size(); ++i) {
      const SPPD_MODEENTRY& m = lists.modes[i];
      if (m.width == kAutoWidth && m.height == kAutoHeight && m.bpp == bpp)
        return static_cast<int32_t>(i);
    }
  }
  return -1;
}

int32_t SPPD_WIZ_AutoZFormat(const SPPD_ENUMLISTS& lists) {
  int32_t best = -1;
  for (size_t i = 0; i < lists.zFormats.size(); ++i) {
    const SPPD_ZFORMATENTRY& z = lists.zFormats[i];
    if (!z.usable) continue;
    if (best < 0 || z.depthNoStencil > lists.zFormats[static_cast<size_t>(best)].depthNoStencil)
      best = static_cast<int32_t>(i);
  }
  return best;
}

void SPPD_WIZ_ModeLine(const SPPD_MODEENTRY& m, char* out, size_t size) {
  const char* kind = m.bpp > 16 ? "True" : m.bpp == 16 ? "High" : "Low";
  std::snprintf(out, size, "%dx%d, %s Color (%d bit)", m.width, m.height, kind, m.bpp);
}

void SPPD_WIZ_ZFormatLine(const SPPD_ZFORMATENTRY& z, char* out, size_t size) {
  const char* quality = z.zBits > 16 ? "High" : z.zBits == 16 ? "Regular" : "Poor";
  std::snprintf(out, size, "%s quality (%d bit)", quality, z.zBits);
}
