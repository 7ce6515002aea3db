// Generated textures: smooth shapes and gradients that show at a glance whether alpha, colour
// order and orientation survive conversion.
#include "tools/mkcontent/textures.h"

#include <cmath>
#include <functional>
#include <set>

#include "interface/pointer/pointer.h"
#include "platform/files.h"
#include "platform/trace.h"
#include "tools/writers/b2d_writer.h"
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

// A cross hair in one cell of a sheet of cells x cells frames; each frame turns it a little
// further, so an animated pointer visibly moves. Refusal shapes ("_cant", "no") are red.
Shader CursorSheet(int32_t cells, bool refusal) {
  return [cells, refusal](float u, float v, uint8_t* p) {
    const int32_t cx = static_cast<int32_t>(u * cells), cy = static_cast<int32_t>(v * cells);
    const float lu = u * cells - cx - 0.5f, lv = v * cells - cy - 0.5f;
    const float turn = static_cast<float>(cy * cells + cx) * 0.2f;
    const float a = std::cos(turn) * lu + std::sin(turn) * lv;
    const float b = -std::sin(turn) * lu + std::cos(turn) * lv;
    const bool bar = std::fabs(a) < 0.06f || std::fabs(b) < 0.06f;
    const bool centre = std::hypot(lu, lv) < 0.15f;
    p[0] = refusal ? 255 : 120;
    p[1] = refusal ? 40 : 255;
    p[2] = refusal ? 40 : 120;
    p[3] = bar && !centre && std::hypot(lu, lv) < 0.48f ? 255 : 0;
  };
}

// Every texture the pointer's shapes name, once: a sheet wide enough for its frames.
bool WriteCursors(const std::string& root) {
  std::set<std::string> done;
  bool ok = true;
  const VNPOINTER_SHAPE* shapes = vnPOINTER_GetShapeTable();
  for (int32_t i = 0; i < VN_POINTER_NUM_SHAPES; ++i) {
    const std::string name = shapes[i].pszTexture;
    if (!done.insert(name).second) continue;
    const int32_t cells = shapes[i].nFrames > 1 ? static_cast<int32_t>(1.0f / shapes[i].fStepU) : 1;
    const bool refusal = name.find("cant") != std::string::npos || name.find("no.") != std::string::npos;
    ok = Write(root, name.c_str(), 7, static_cast<uint32_t>(32 * cells), CursorSheet(cells, refusal)) && ok;
  }
  return ok;
}

// "common/common.b2d" with the tool tip's box: left end, middle and right end of one image.
bool WriteCommonSets(const std::string& root) {
  vnB2D_TEXTURE texture;
  texture.file = "tooltip.ppm";
  texture.image.kind = 7;
  texture.image.width = 32;
  texture.image.height = 16;
  texture.image.pixels.assign(32 * 16 * 4, 0);
  for (uint32_t y = 0; y < 16; ++y) {
    for (uint32_t x = 0; x < 32; ++x) {
      uint8_t* p = &texture.image.pixels[(y * 32 + x) * 4];
      const bool edge = y == 0 || y == 15 || x == 0 || x == 31;
      p[0] = p[1] = edge ? 40 : 255;
      p[2] = edge ? 40 : 220;
      p[3] = 255;
    }
  }
  vnB2D_SET box;
  box.name = VN_POINTER_TOOLTIP_SET;
  box.frames = {{"Left", 0, 0, 0, 0, 8, 16, 0.0f, 0.0f, 0.25f, 1.0f},
                {"Middle", 0, 1, 0, 0, 16, 16, 0.25f, 0.0f, 0.5f, 1.0f},
                {"Right", 0, 2, 0, 0, 8, 16, 0.75f, 0.0f, 0.25f, 1.0f}};
  vnB2D_FILE file;
  file.textures.push_back(texture);
  file.sets.push_back(box);
  return PLAT_MakeDirectory((root + "/common").c_str()) &&
         vnWRITE_B2DFile(root + "/" + VN_POINTER_COMMON_B2D, file);
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
  // The soldiers' jet glow and helmet lights.
  for (const char* name : {"Effects", "light", "torchlight"}) {
    const std::string file = std::string("sprites/effects/") + name;
    ok = Write(root, (file + ".ppm").c_str(), 6, 64, Gradient) && ok;
    ok = Write(root, (file + "_l.ppm").c_str(), 6, 32, Gradient) && ok;
  }
  ok = WriteCursors(root) && ok;
  ok = WriteCommonSets(root) && ok;
  ok = Write(root, "sprites/editor/ball.ppm", 6, 32, Checker) && ok;
  if (!ok) PLAT_Trace("mkcontent: textures under %s are incomplete\n", root.c_str());
  return ok;
}
