// Generated textures: smooth shapes and gradients that show at a glance whether alpha, colour
// order and orientation survive conversion.
#include "tools/mkcontent/textures.h"

#include <cmath>
#include <functional>

#include "platform/files.h"
#include "platform/trace.h"
#include "tools/writers/ppm_writer.h"

namespace {

using Shader = std::function<void(float u, float v, uint8_t* rgba)>;

uint8_t Byte(float v) { return static_cast<uint8_t>(v <= 0 ? 0 : v >= 1 ? 255 : v * 255.0f); }

bool Write(const std::string& root, const char* relative, int32_t kind, uint32_t size,
           const Shader& shade) {
  vnPPM_IMAGE image;
  image.kind = kind;
  image.width = image.height = size;
  const uint32_t channels = kind == 7 ? 4 : 3;
  image.pixels.resize(static_cast<size_t>(size) * size * channels);
  for (uint32_t y = 0; y < size; ++y) {
    for (uint32_t x = 0; x < size; ++x) {
      uint8_t rgba[4] = {0, 0, 0, 255};
      shade((x + 0.5f) / size, (y + 0.5f) / size, rgba);
      for (uint32_t c = 0; c < channels; ++c)
        image.pixels[(static_cast<size_t>(y) * size + x) * channels + c] = rgba[c];
    }
  }
  return vnWRITE_PPMFile(root + "/" + relative, image);
}

void Smoke(float u, float v, uint8_t* p) {
  const float d = std::hypot(u - 0.5f, v - 0.5f) * 2.0f;
  p[0] = p[1] = p[2] = Byte(0.8f - 0.2f * d);
  p[3] = Byte(1.0f - d);
}

void Ring(float u, float v, uint8_t* p) {
  const float d = std::hypot(u - 0.5f, v - 0.5f) * 2.0f;
  p[0] = 255;
  p[1] = 220;
  p[2] = 120;
  p[3] = Byte(1.0f - std::fabs(d - 0.8f) * 8.0f);
}

// Red grows to the right, green downwards: a flipped or swapped conversion shows at once.
void Gradient(float u, float v, uint8_t* p) {
  p[0] = Byte(u);
  p[1] = Byte(v);
  p[2] = Byte(0.5f);
}

void Cursor(float u, float v, uint8_t* p) {
  const bool bar = std::fabs(u - 0.5f) < 0.06f || std::fabs(v - 0.5f) < 0.06f;
  const bool centre = std::hypot(u - 0.5f, v - 0.5f) < 0.15f;
  p[0] = 255;
  p[1] = p[2] = 40;
  p[3] = bar && !centre ? 255 : 0;
}

void Checker(float u, float v, uint8_t* p) {
  const bool dark = (static_cast<int>(u * 8) + static_cast<int>(v * 8)) % 2 != 0;
  p[0] = p[1] = p[2] = dark ? 60 : 200;
}

}  // namespace

bool vnMKCONTENT_Textures(const std::string& root) {
  for (const char* folder : {"", "/sprites", "/sprites/effects", "/sprites/cursor",
                             "/sprites/editor"}) {
    if (!PLAT_MakeDirectory((root + folder).c_str())) return false;
  }
  // Effects textures are looked up as their "_l" variants unless the game turns that off, so
  // each comes in both sizes.
  bool ok = Write(root, "sprites/effects/smoke.ppm", 7, 64, Smoke);
  ok = Write(root, "sprites/effects/smoke_l.ppm", 7, 32, Smoke) && ok;
  ok = Write(root, "sprites/effects/circle.ppm", 7, 64, Ring) && ok;
  ok = Write(root, "sprites/effects/circle_l.ppm", 7, 32, Ring) && ok;
  ok = Write(root, "sprites/effects/fx_01.ppm", 6, 64, Gradient) && ok;
  ok = Write(root, "sprites/effects/fx_01_l.ppm", 6, 32, Gradient) && ok;
  ok = Write(root, "sprites/cursor/attack2.ppm", 7, 32, Cursor) && ok;
  ok = Write(root, "sprites/editor/ball.ppm", 6, 32, Checker) && ok;
  if (!ok) PLAT_Trace("mkcontent: textures under %s are incomplete\n", root.c_str());
  return ok;
}
