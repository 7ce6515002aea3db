// Enumeration of display devices, modes, the 3D device and its formats.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/gfx/internal.h"
#include "platform/trace.h"
#include "platform/window/window.h"

namespace {

// The one 3D device: rasterises in hardware (or Mesa's software rasteriser, which behaves the
// same to us) and takes vertices already transformed and lit.
constexpr PLAT_GUID kHardwareDevice = {0x7A1C3E52, 0x5B0D, 0x4C8E,
                                       {0x9F, 0x21, 0x6D, 0x3B, 0x8E, 0x4A, 0x0C, 0x11}};

// Modes offered whatever the display reports, so that stored preferences and the 640 by 480
// front end always find theirs; the device renders into a buffer of exactly this size.
constexpr std::pair<int, int> kStandardSizes[] = {
    {640, 480}, {800, 600}, {1024, 768}, {1152, 864}, {1280, 960}, {1280, 1024}, {1600, 1200}};

uint32_t g_hiddenTextureBits = 0;  // test hook: texture formats of this depth go unreported

bool IsPrimary(const PLAT_GUID& g) {
  static const PLAT_GUID zero{};
  return PLAT_GuidEqual(g, zero);
}

void CopyText(char* dst, size_t size, const char* src) {
  std::snprintf(dst, size, "%s", src ? src : "");
}

}  // namespace

const PLAT_GUID& PLAT_GfxHardwareDeviceGuid() { return kHardwareDevice; }

bool PLAT_GfxInit() { return PLAT_InitVideo(); }

int PLAT_GfxEnumDisplayDevices(PLAT_GfxDisplayDevice* out, int max) {
  if (!PLAT_GfxInit()) return -1;
  int displays = std::max(1, SDL_GetNumVideoDisplays());
  for (int i = 0; i < displays && i < max && out; ++i) {
    PLAT_GfxDisplayDevice& d = out[i];
    std::memset(&d, 0, sizeof d);
    // The primary display carries no identity; the others are told apart by index.
    if (i > 0) {
      d.guid = {0x3F1D9A70u + static_cast<uint32_t>(i), 0x44B2, 0x4E61,
                {0x8C, 0x0A, 0x52, 0x19, 0xD7, 0x6E, 0x31, 0xB4}};
    }
    const char* name = SDL_GetDisplayName(i);
    CopyText(d.description, sizeof d.description, i == 0 ? "Primary Display Driver" : name);
    CopyText(d.driverName, sizeof d.driverName, i == 0 ? "display" : name);
  }
  return displays;
}

int PLAT_GfxEnumDisplayModes(const PLAT_GUID& display, PLAT_GfxDisplayMode* out, int max) {
  if (!PLAT_GfxInit()) return -1;
  int index = 0;
  if (!IsPrimary(display)) {
    PLAT_GfxDisplayDevice devs[8];
    int n = PLAT_GfxEnumDisplayDevices(devs, 8);
    index = -1;
    for (int i = 1; i < n && i < 8; ++i)
      if (PLAT_GuidEqual(devs[i].guid, display)) index = i;
    if (index < 0) {
      PLAT_Trace("PLATGFX: PLAT_GfxEnumDisplayModes() - no such display\n");
      return -1;
    }
  }
  std::vector<std::pair<int, int>> sizes(std::begin(kStandardSizes), std::end(kStandardSizes));
  int count = SDL_GetNumDisplayModes(index);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode m;
    if (SDL_GetDisplayMode(index, i, &m) == 0 && m.w >= 640 && m.h >= 480)
      sizes.emplace_back(m.w, m.h);
  }
  std::sort(sizes.begin(), sizes.end());
  sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
  int total = 0;
  for (const auto& [w, h] : sizes) {
    for (int bpp : {16, 32}) {
      if (out && total < max) out[total] = {w, h, bpp};
      ++total;
    }
  }
  return total;
}

int PLAT_GfxEnum3DDevices(const PLAT_GUID&, PLAT_Gfx3DDevice* out, int max) {
  if (!PLAT_GfxInit()) return -1;
  if (out && max > 0) {
    PLAT_Gfx3DDevice& d = out[0];
    std::memset(&d, 0, sizeof d);
    d.guid = kHardwareDevice;
    CopyText(d.description, sizeof d.description, "OpenGL hardware rasteriser");
    CopyText(d.name, sizeof d.name, "OpenGL HAL");
    d.caps = PLAT_GFX_CAP_HWRASTERIZATION | PLAT_GFX_CAP_ZBUFFER;
    d.renderBitDepths = PLAT_GFX_DEPTH_16 | PLAT_GFX_DEPTH_32;
    d.zBufferBitDepths = PLAT_GFX_DEPTH_16 | PLAT_GFX_DEPTH_24 | PLAT_GFX_DEPTH_32;
    d.maxTextureWidth = 2048;
    d.maxTextureHeight = 2048;
  }
  return 1;
}

int PLAT_GfxEnumZFormats(const PLAT_GUID& device, PLAT_GfxPixelFormat* out, int max) {
  if (!PLAT_GuidEqual(device, kHardwareDevice)) {
    PLAT_Trace("PLATGFX: PLAT_GfxEnumZFormats() - unknown 3D device\n");
    return -1;
  }
  // Callers list formats in the reverse of this order and take the first of a depth they
  // find, so the 32-bit format with stencil comes after the one without: chosen, stencil
  // clears have a buffer to clear.
  const PLAT_GfxPixelFormat formats[] = {
      {PLAT_GFX_PF_ZBUFFER, 24, 0xFFFFFF, 0, 0, 0, 0},
      {PLAT_GFX_PF_ZBUFFER, 32, 0xFFFFFF, 0, 0, 0, 0},
      {PLAT_GFX_PF_ZBUFFER | PLAT_GFX_PF_STENCILBUFFER, 32, 0xFFFFFF, 0xFF000000, 0, 0, 8},
      {PLAT_GFX_PF_ZBUFFER, 16, 0xFFFF, 0, 0, 0, 0},
  };
  int n = static_cast<int>(std::size(formats));
  for (int i = 0; out && i < n && i < max; ++i) out[i] = formats[i];
  return n;
}

int PLAT_GfxEnumTextureFormats(const PLAT_GUID& device, PLAT_GfxPixelFormat* out, int max) {
  if (!PLAT_GuidEqual(device, kHardwareDevice)) {
    PLAT_Trace("PLATGFX: PLAT_GfxEnumTextureFormats() - unknown 3D device\n");
    return -1;
  }
  const PLAT_GfxTexFormat formats[] = {PLAT_GfxTexFormat::R5G6B5, PLAT_GfxTexFormat::A1R5G5B5,
                                       PLAT_GfxTexFormat::A4R4G4B4, PLAT_GfxTexFormat::A8R8G8B8,
                                       PLAT_GfxTexFormat::P8};
  int n = 0;
  for (PLAT_GfxTexFormat f : formats) {
    PLAT_GfxPixelFormat record = PLAT_GfxFormatRecord(f);
    if (g_hiddenTextureBits && record.bitCount == g_hiddenTextureBits) continue;
    if (out && n < max) out[n] = record;
    ++n;
  }
  return n;
}

void PLAT_GfxSimulateMissingTextureDepth(uint32_t bitCount) { g_hiddenTextureBits = bitCount; }

PLAT_GfxPixelFormat PLAT_GfxFormatRecord(PLAT_GfxTexFormat format) {
  switch (format) {
    case PLAT_GfxTexFormat::R5G6B5:
      return {PLAT_GFX_PF_RGB, 16, 0xF800, 0x07E0, 0x001F, 0, 0};
    case PLAT_GfxTexFormat::A1R5G5B5:
      return {PLAT_GFX_PF_RGB | PLAT_GFX_PF_ALPHAPIXELS, 16, 0x7C00, 0x03E0, 0x001F, 0x8000, 0};
    case PLAT_GfxTexFormat::A4R4G4B4:
      return {PLAT_GFX_PF_RGB | PLAT_GFX_PF_ALPHAPIXELS, 16, 0x0F00, 0x00F0, 0x000F, 0xF000, 0};
    case PLAT_GfxTexFormat::A8R8G8B8:
      return {PLAT_GFX_PF_RGB | PLAT_GFX_PF_ALPHAPIXELS, 32, 0xFF0000, 0xFF00, 0xFF,
              0xFF000000, 0};
    case PLAT_GfxTexFormat::P8:
      return {PLAT_GFX_PF_PALETTEINDEXED8 | PLAT_GFX_PF_RGB, 8, 0, 0, 0, 0, 0};
  }
  return {};
}

bool PLAT_GfxFormatFromRecord(const PLAT_GfxPixelFormat& record, PLAT_GfxTexFormat* out) {
  for (auto f : {PLAT_GfxTexFormat::R5G6B5, PLAT_GfxTexFormat::A1R5G5B5,
                 PLAT_GfxTexFormat::A4R4G4B4, PLAT_GfxTexFormat::A8R8G8B8,
                 PLAT_GfxTexFormat::P8}) {
    PLAT_GfxPixelFormat r = PLAT_GfxFormatRecord(f);
    if (r.flags == record.flags && r.bitCount == record.bitCount && r.rMask == record.rMask &&
        r.gMask == record.gMask && r.bMask == record.bMask && r.aMask == record.aMask) {
      if (out) *out = f;
      return true;
    }
  }
  return false;
}
