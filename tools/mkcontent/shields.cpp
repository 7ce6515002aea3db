// Shield domes and fly-by aircraft in the demo tree.
#include "tools/mkcontent/shields.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "platform/files.h"
#include "platform/trace.h"
#include "tools/models/shields.h"
#include "tools/writers/ppm_writer.h"

namespace {

// The command suits' and the psychics' shields are raised at scale 600: a sphere of half a
// file unit then stands 3 metres around the soldier.
constexpr float kSuitShieldRadius = 0.5f;
constexpr uint32_t kSizes[2] = {128, 64};  // the plain texture and its "_l" variant

// rgba of a texel at (u, v) in [0, 1).
using Shader = std::function<void(float u, float v, float* rgba)>;

uint8_t Byte(float v) { return static_cast<uint8_t>(std::clamp(v, 0.0f, 1.0f) * 255.0f); }

bool WriteTexture(const std::string& path, uint32_t size, const Shader& shade) {
  vnPPM_IMAGE image;
  image.kind = 7;
  image.width = image.height = size;
  for (uint32_t y = 0; y < size; ++y)
    for (uint32_t x = 0; x < size; ++x) {
      float c[4] = {0, 0, 0, 0};
      shade((x + 0.5f) / size, (y + 0.5f) / size, c);
      image.pixels.insert(image.pixels.end(), {Byte(c[0]), Byte(c[1]), Byte(c[2]), Byte(c[3])});
    }
  return vnWRITE_PPMFile(path, image);
}

bool WriteBoth(const std::string& root, const std::string& relative, const Shader& shade) {
  const std::string plain = root + "/" + relative;
  const std::string low = plain.substr(0, plain.rfind('.')) + "_l.ppm";
  return WriteTexture(plain, kSizes[0], shade) && WriteTexture(low, kSizes[1], shade);
}

// Sixteen sparks in cells of 0.1875: a star that shrinks from frame to frame.
void Sparks(float u, float v, float* c) {
  constexpr float kCell = 0.1875f;
  const int col = static_cast<int>(u / kCell), row = static_cast<int>(v / kCell);
  if (col > 4 || row > 4) return;
  const int frame = row * 5 + col;
  const float cu = (u - col * kCell) / kCell - 0.5f, cv = (v - row * kCell) / kCell - 0.5f;
  const float reach = 0.5f * (1.0f - frame / 16.0f);
  const float star = std::min(std::fabs(cu), std::fabs(cv)) * 6.0f + std::hypot(cu, cv);
  const float a = reach > 0 ? 1.0f - star / reach : 0.0f;
  c[0] = 1.0f, c[1] = 0.9f, c[2] = 0.6f, c[3] = a;
}

// Six flame cells of 53 x 21 texels out of 128: a tongue fading along u, brightest in the
// middle row of each cell.
void Flames(float u, float v, float* c) {
  constexpr float kCellU = 53.0f / 128.0f, kCellV = 21.0f / 128.0f;
  const int col = static_cast<int>(u / kCellU), row = static_cast<int>(v / kCellV);
  if (col > 1 || row > 2) return;
  const float along = (u - col * kCellU) / kCellU;
  const float across = std::fabs((v - row * kCellV) / kCellV - 0.5f) * 2.0f;
  const float a = (1.0f - along) * (1.0f - across) * (0.8f + 0.1f * (row * 2 + col) / 5.0f);
  c[0] = 1.0f, c[1] = 0.6f + 0.4f * (1.0f - along), c[2] = 0.3f, c[3] = a;
}

}  // namespace

bool vnMKCONTENT_Shields(const std::string& root) {
  const std::string pows = root + "/EXPORT/Pows";
  bool ok = PLAT_MakeDirectory((root + "/EXPORT").c_str()) && PLAT_MakeDirectory(pows.c_str()) &&
            PLAT_MakeDirectory((root + "/sprites").c_str()) &&
            PLAT_MakeDirectory((root + "/sprites/effects").c_str());
  // The shield sphere replaces any sphere of the model library under the same name.
  for (const vnMODEL& m : {vnMODELS_ShieldSphere(),
                           vnMODELS_DomeSphere("commandsheild", 17, 4, kSuitShieldRadius),
                           vnMODELS_DomeSphere("psykersheild", 17, 4, kSuitShieldRadius),
                           vnMODELS_Fighter(), vnMODELS_DS10()})
    ok = ok && vnWRITE_POW(pows + "/" + m.name + ".pow", m);
  ok = ok && WriteBoth(root, "sprites/effects/laserhits02.ppm", Sparks);
  ok = ok && WriteBoth(root, "sprites/effects/thrusters2.ppm", Flames);
  if (!ok) PLAT_Trace("vnMKCONTENT_Shields: could not write the shields and aircraft\n");
  return ok;
}
