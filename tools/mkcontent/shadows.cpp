// Ground shadow textures: black with a soft-edged alpha shape per kind of caster. The quad's
// u runs across the light and v along it.
#include "tools/mkcontent/shadows.h"

#include <algorithm>
#include <cmath>

#include "platform/files.h"
#include "platform/trace.h"
#include "tools/writers/ppm_writer.h"
#include "world/shadow/shadow.h"

namespace {

// An ellipse of the given half-extents (in texture units, centre 0.5) with a soft rim; a taper
// above 0 narrows it towards v = 0 into a dart for the aircraft.
struct Shape {
  float halfU, halfV;
  float taper;
  float strength;  // the darkest alpha
};

// Slot order as VNSHADOW_TEXTURE_FILES: generic, small bug, large bug, DS10, DS9, retrieval
// boat, soldier, light suit, suit, fighter.
constexpr Shape kShapes[VNSHADOW_NUM_TEXTURES] = {
    {0.45f, 0.45f, 0.0f, 0.7f}, {0.30f, 0.42f, 0.0f, 0.6f}, {0.40f, 0.46f, 0.0f, 0.75f},
    {0.46f, 0.46f, 0.6f, 0.7f}, {0.40f, 0.46f, 0.5f, 0.7f}, {0.30f, 0.46f, 0.0f, 0.65f},
    {0.25f, 0.25f, 0.0f, 0.6f}, {0.28f, 0.28f, 0.0f, 0.65f}, {0.32f, 0.32f, 0.0f, 0.7f},
    {0.46f, 0.40f, 0.9f, 0.7f}};
constexpr float kRim = 0.3f;  // the outer share of the shape that fades out
constexpr uint32_t kSizes[2] = {64, 32};  // the plain texture and its "_l" variant

uint8_t AlphaAt(const Shape& s, float u, float v) {
  const float width = s.halfU * (1.0f - s.taper * (1.0f - v));
  if (width <= 0.0f) return 0;
  const float d = std::hypot((u - 0.5f) / width, (v - 0.5f) / s.halfV);
  const float a = std::clamp((1.0f - d) / kRim, 0.0f, 1.0f) * s.strength;
  return static_cast<uint8_t>(a * 255.0f);
}

bool WriteShape(const std::string& path, const Shape& shape, uint32_t size) {
  vnPPM_IMAGE image;
  image.kind = 7;
  image.width = image.height = size;
  for (uint32_t y = 0; y < size; ++y)
    for (uint32_t x = 0; x < size; ++x)
      image.pixels.insert(image.pixels.end(),
                          {0, 0, 0, AlphaAt(shape, (x + 0.5f) / size, (y + 0.5f) / size)});
  return vnWRITE_PPMFile(path, image);
}

}  // namespace

bool vnMKCONTENT_Shadows(const std::string& root) {
  bool ok = PLAT_MakeDirectory((root + "/sprites").c_str()) &&
            PLAT_MakeDirectory((root + "/sprites/effects").c_str());
  for (int32_t slot = 0; ok && slot < VNSHADOW_NUM_TEXTURES; ++slot) {
    const std::string plain = root + "/" + VNSHADOW_TEXTURE_FILES[slot];
    const std::string low = plain.substr(0, plain.rfind('.')) + "_l.ppm";
    ok = WriteShape(plain, kShapes[slot], kSizes[0]) && WriteShape(low, kShapes[slot], kSizes[1]);
  }
  if (!ok) PLAT_Trace("mkcontent: shadow textures under %s are incomplete\n", root.c_str());
  return ok;
}
