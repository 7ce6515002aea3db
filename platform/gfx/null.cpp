// The null device: the whole device layer without OpenGL, for runs that need the driver's code
// but no picture (benchmarks of the code above the device, machines without a GL stack).
#include <cstdlib>
#include <cstring>

#include "platform/gfx/internal.h"
#include "platform/trace.h"

namespace {

// Stands for the Z buffer's renderbuffer: only its being nonzero is ever read.
constexpr GLuint kNullZBuffer = 1;

}  // namespace

bool PLATG_NullRequested() {
  const char* v = std::getenv("VANTORIA_GFX");
  if (!v || !*v) return false;
  if (std::strcmp(v, "null") == 0) return true;
  PLAT_Trace("PLATGFX: VANTORIA_GFX=%s names no device; the OpenGL device is used\n", v);
  return false;
}

PLAT_GfxDevice* PLATG_CreateNullDevice(PLAT_Window* window, const PLAT_GfxDeviceDesc& desc,
                                       PLAT_GfxResult* why) {
  PLAT_GfxDevice* dev = PLATG_NewDevice(window, desc);
  if (!dev) {
    *why = PLAT_GfxResult::OutOfMemory;
    return nullptr;
  }
  dev->isNull = true;
  dev->back = 1;
  PLATG_ResetStates(dev);
  *why = PLAT_GfxResult::Ok;
  return dev;
}

void PLATG_NullCreateZBuffer(PLAT_GfxDevice* dev, const PLAT_GfxPixelFormat& format) {
  int zBits = static_cast<int>(format.bitCount - format.stencilBits);
  dev->depth = kNullZBuffer;
  dev->depthBits = zBits > 16 ? 24 : 16;
  dev->stencilBits = format.stencilBits ? 8 : 0;
  dev->depthLost = false;
}

void PLATG_DestroyNullDevice(PLAT_GfxDevice* dev) {
  PLATG_ReleaseAllTextures(dev);
  delete dev;
}

void PLATG_NullRead(uint32_t* pixels, float* depth, int width, int height) {
  const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
  for (size_t i = 0; i < n; ++i) {
    if (pixels) pixels[i] = 0xFF000000u;
    if (depth) depth[i] = 1.0f;
  }
}
