// Writes the demo terrain again with its feature objects and their textures.
#include "tools/mkcontent/features.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "engine/math/vecmath.h"
#include "platform/files.h"
#include "platform/random.h"
#include "platform/trace.h"
#include "tools/models/features.h"
#include "tools/models/terrain.h"
#include "tools/writers/feature_writer.h"

namespace {

constexpr char kFolder[] = "EXPORT/Terrain/C1M1A";

struct Look {
  const char* name;
  std::function<uint32_t(uint32_t x, uint32_t y)> rgb;
};

uint32_t Noise(uint32_t x, uint32_t y) { return (x * 73856093u ^ y * 19349663u) % 32; }

const Look kLooks[] = {
    {"rock", [](uint32_t x, uint32_t y) { uint32_t g = 110 + Noise(x, y); return g << 16 | (g - 6) << 8 | (g - 14); }},
    {"barrel", [](uint32_t x, uint32_t y) { return (y % 16 < 2 ? 0x303030u : 0x7A2A18u) + Noise(x, y) * 0x010101u; }},
    {"bridge", [](uint32_t x, uint32_t y) { return (x % 16 == 0 ? 0x3A2810u : 0x6E5030u) + Noise(x, y) * 0x010100u; }},
    {"sky", [](uint32_t, uint32_t y) { return 0x4070C0u + (y / 2) * 0x010100u; }},
};

vnPPM_IMAGE Image(const Look& look) {
  vnPPM_IMAGE image;
  image.width = image.height = 64;
  for (uint32_t y = 0; y < 64; ++y)
    for (uint32_t x = 0; x < 64; ++x) {
      const uint32_t c = look.rgb(x, y);
      image.pixels.insert(image.pixels.end(), {static_cast<uint8_t>(c >> 16),
                                               static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c)});
    }
  return image;
}

// Baked light: brighter towards the top of the class.
std::vector<std::vector<uint32_t>> Shade(const vnFEATURE_CLASS& cls, float top) {
  std::vector<std::vector<uint32_t>> out;
  for (const vnFEATURE_MESH& m : cls.meshes) {
    std::vector<uint32_t> colours;
    for (const vnFEATURE_VERTEX& v : m.vertices) {
      const float k = std::clamp(0.55f + 0.45f * v.pos[2] / top, 0.3f, 1.0f);
      const uint32_t g = static_cast<uint32_t>(255 * k);
      colours.push_back(0xFF000000u | g << 16 | g << 8 | g);
    }
    out.push_back(colours);
  }
  return out;
}

vnFEATURE_INSTANCE On(const std::string& name, const vnFEATURE_CLASS& cls, float top, float x,
                      float y, float angle, float scale, float lift = 0) {
  vnFEATURE_INSTANCE inst;
  inst.name = name;
  vnFEATURE_Place(inst, x * 100, y * 100, (vnMODELS_TerrainHeight(x, y) + lift) * 100, angle, scale);
  inst.colours = Shade(cls, top);
  return inst;
}

float Uniform(float lo, float hi) { return lo + (hi - lo) * static_cast<float>(PLAT_Rand()) / 32767.0f; }

vnFEATURE_SET Scenery(const std::string& folder) {
  vnFEATURE_SET set;
  for (const Look& look : kLooks) {
    vnMODEL_MATERIAL m;
    m.name = look.name;
    m.textures.push_back({1, folder + "/textures/" + look.name + ".ppm"});
    set.materials.push_back(m);
  }
  PLAT_SRand(1999);
  vnFEATURE_GROUP rocks{vnMODELS_FeatureRock("Rock", 150, 11, 0), {}};
  for (int i = 0; i < 14; ++i) {
    const float a = 2 * SPW_PI * static_cast<float>(i) / 14 + Uniform(-0.2f, 0.2f);
    const float r = vnMODELS_TERRAIN_PAD_RADIUS + Uniform(4, 20);
    rocks.instances.push_back(On("rock" + std::to_string(i), rocks.cls, 150,
                                 vnMODELS_TERRAIN_PAD_X + r * std::cos(a),
                                 vnMODELS_TERRAIN_PAD_Y + r * std::sin(a), Uniform(0, 2 * SPW_PI),
                                 Uniform(0.6f, 1.8f), -0.3f));
  }
  vnFEATURE_GROUP barrels{vnMODELS_FeatureBarrel("Barrel", 40, 120, 10, 1), {}};
  // Each barrel's wreck stands inside it, for the barrel's feature unit to show once shot.
  vnFEATURE_GROUP wrecks{vnMODELS_FeatureBarrel("Barrel_Destroyed", 36, 30, 10, 1), {}};
  for (int i = 0; i < 6; ++i) {
    const float x = vnMODELS_TERRAIN_PAD_X + 8 + static_cast<float>(i % 3);
    const float y = vnMODELS_TERRAIN_PAD_Y - 6 + static_cast<float>(i / 3);
    barrels.instances.push_back(On("barrel" + std::to_string(i), barrels.cls, 120, x, y, 0, 1));
    wrecks.instances.push_back(On("barrelwreck" + std::to_string(i), wrecks.cls, 30, x, y, 0, 1));
  }
  vnFEATURE_GROUP bridge{vnMODELS_FeatureBridge("Bridge", 2400, 500, 300, 2), {}};
  bridge.instances.push_back(On("bridge", bridge.cls, 400, vnMODELS_TERRAIN_PAD_X - 40,
                                vnMODELS_TERRAIN_PAD_Y + 30, 0.4f, 1));
  vnFEATURE_GROUP sky{vnMODELS_FeatureSky(30000, 3), {}};
  vnFEATURE_INSTANCE dome;
  dome.name = "sky";
  sky.instances.push_back(dome);
  set.groups = {rocks, barrels, wrecks, bridge, sky};
  return set;
}

}  // namespace

bool vnMKCONTENT_Features(const std::string& root, vnTERRAIN& terrain) {
  const std::string folder = root + "/" + kFolder;
  vnFEATURE_AddToTerrain(terrain, Scenery(kFolder));
  bool ok = true;
  for (const Look& look : kLooks)
    ok = ok && vnWRITE_PPMFile(folder + "/textures/" + look.name + ".ppm", Image(look));
  if (!ok) PLAT_Trace("vnMKCONTENT_Features: the scenery of %s could not be written\n", kFolder);
  return ok;
}
