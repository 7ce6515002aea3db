// The generated mission terrain: heights from a few smooth bumps, materials chosen by height
// and slope, textures of noise over a base colour.
#include "tools/models/terrain.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr uint32_t kSide = vnMODELS_TERRAIN_PATCHES * vnTERRAIN_PATCH_CELLS + 1;
constexpr float kCell = static_cast<float>(vnMODELS_TERRAIN_CELL) * 0.01f;
constexpr uint32_t kTextureSize = 64;
constexpr uint32_t kSourceSize = 128;  // a source texture covers 8 by 8 patches
constexpr uint32_t kSourcePatches = 8;

enum Material : uint32_t { kGrass, kRock, kSand, kPad, kCount };
struct Look {
  const char* name;
  uint8_t rgb[3];
  float noise;
};
constexpr Look kLooks[kCount] = {
    {"grass", {70, 120, 50}, 0.25f},
    {"rock", {120, 112, 104}, 0.35f},
    {"sand", {196, 176, 128}, 0.15f},
    {"pad", {150, 150, 140}, 0.05f},
};

// Value noise from a hash of the lattice point: the same picture on every run.
float Hash(int32_t x, int32_t y) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return static_cast<float>((h ^ (h >> 16)) & 0xFFFF) / 65535.0f;
}

float Noise(float x, float y) {
  const auto ix = static_cast<int32_t>(std::floor(x)), iy = static_cast<int32_t>(std::floor(y));
  const float fx = x - static_cast<float>(ix), fy = y - static_cast<float>(iy);
  const float a = Hash(ix, iy), b = Hash(ix + 1, iy), c = Hash(ix, iy + 1), d = Hash(ix + 1, iy + 1);
  return (a * (1 - fx) + b * fx) * (1 - fy) + (c * (1 - fx) + d * fx) * fy;
}

float Bump(float x, float y, float cx, float cy, float r, float h) {
  const float d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
  return h * std::exp(-d2 / (r * r));
}

float Slope(float x, float y) {
  const float dx = vnMODELS_TerrainHeight(x + kCell, y) - vnMODELS_TerrainHeight(x - kCell, y);
  const float dy = vnMODELS_TerrainHeight(x, y + kCell) - vnMODELS_TerrainHeight(x, y - kCell);
  return std::sqrt(dx * dx + dy * dy) / (2 * kCell);
}

// Light from the north-west, for the source textures and the colour samples.
float Shade(float x, float y) {
  const float dx = vnMODELS_TerrainHeight(x + kCell, y) - vnMODELS_TerrainHeight(x - kCell, y);
  const float dy = vnMODELS_TerrainHeight(x, y + kCell) - vnMODELS_TerrainHeight(x, y - kCell);
  return std::clamp(0.8f + (dx - dy) * 0.25f, 0.45f, 1.15f);
}

Material MaterialAt(float x, float y) {
  if (std::hypot(x - vnMODELS_TERRAIN_PAD_X, y - vnMODELS_TERRAIN_PAD_Y) < vnMODELS_TERRAIN_PAD_RADIUS)
    return kPad;
  if (Slope(x, y) > 0.45f) return kRock;
  return vnMODELS_TerrainHeight(x, y) < 1.0f ? kSand : kGrass;
}

uint8_t Byte(float v) { return static_cast<uint8_t>(std::clamp(v, 0.0f, 255.0f)); }

vnPPM_IMAGE Image(uint32_t size, const auto& colourAt) {
  vnPPM_IMAGE image;
  image.width = image.height = size;
  image.pixels.reserve(size * size * 3);
  for (uint32_t y = 0; y < size; ++y)
    for (uint32_t x = 0; x < size; ++x) {
      uint8_t rgb[3];
      colourAt(x, y, rgb);
      image.pixels.insert(image.pixels.end(), rgb, rgb + 3);
    }
  return image;
}

void Tint(Material m, float shade, float x, float y, uint8_t* rgb) {
  const Look& look = kLooks[m];
  const float n = 1.0f + (Noise(x, y) - 0.5f) * look.noise;
  for (int c = 0; c < 3; ++c) rgb[c] = Byte(look.rgb[c] * shade * n);
}

}  // namespace

float vnMODELS_TerrainHeight(float x, float y) {
  float h = 3.0f * std::sin(x / 23.0f) * std::cos(y / 31.0f) + 2.0f * std::sin((x + y) / 17.0f) +
            Bump(x, y, 60, 190, 30, 14) + Bump(x, y, 205, 60, 40, 18) + Bump(x, y, 210, 210, 25, 9) +
            Bump(x, y, 40, 50, 20, -4) + 2.0f;
  // The landing area is flat and eases into the hills over a ring of 14 units.
  const float pad = 2.0f;
  const float d = std::hypot(x - vnMODELS_TERRAIN_PAD_X, y - vnMODELS_TERRAIN_PAD_Y);
  float t = std::clamp((d - vnMODELS_TERRAIN_PAD_RADIUS) / 14.0f, 0.0f, 1.0f);
  t = t * t * (3 - 2 * t);
  return pad + (h - pad) * t;
}

vnMODELS_TERRAIN vnMODELS_MissionTerrain(const std::string& folder) {
  vnMODELS_TERRAIN out;
  vnTERRAIN& t = out.terrain;
  t.patchesX = t.patchesY = vnMODELS_TERRAIN_PATCHES;
  t.cellSize = vnMODELS_TERRAIN_CELL;
  for (uint32_t y = 0; y < kSide; ++y)
    for (uint32_t x = 0; x < kSide; ++x)
      t.heights.push_back(static_cast<int32_t>(
          std::lround(vnMODELS_TerrainHeight(static_cast<float>(x) * kCell, static_cast<float>(y) * kCell) * 100)));
  const float patch = kCell * vnTERRAIN_PATCH_CELLS;
  for (uint32_t py = 0; py < vnMODELS_TERRAIN_PATCHES; ++py)
    for (uint32_t px = 0; px < vnMODELS_TERRAIN_PATCHES; ++px) {
      const Material m = MaterialAt((static_cast<float>(px) + 0.5f) * patch, (static_cast<float>(py) + 0.5f) * patch);
      // Natural ground turns its texture from patch to patch so that no grid shows.
      const uint32_t turn = m == kPad ? 0 : (px * 5 + py * 3) % 8;
      t.surfaces.push_back(vnTERRAIN_Surface(m, turn));
    }
  for (uint32_t m = 0; m < kCount; ++m) {
    const std::string file = folder + "/textures/" + kLooks[m].name + ".ppm";
    vnMODEL_MATERIAL mat;
    mat.name = kLooks[m].name;
    mat.textures.push_back({1, file});
    t.materials.push_back(mat);
    out.images.emplace_back(file, Image(kTextureSize, [m](uint32_t x, uint32_t y, uint8_t* rgb) {
      Tint(static_cast<Material>(m), 1.0f, static_cast<float>(x) / 6.0f, static_cast<float>(y) / 6.0f, rgb);
      if (m == kPad && (x % 32 < 2 || y % 32 < 2)) rgb[0] = rgb[1] = rgb[2] = 230;  // slab joints
    }));
  }
  // The source textures: each pixel the material under it, shaded; rows from north to south.
  const uint32_t sources = vnMODELS_TERRAIN_PATCHES / kSourcePatches;
  const float span = patch * kSourcePatches;
  for (uint32_t sy = 0; sy < sources; ++sy)
    for (uint32_t sx = 0; sx < sources; ++sx) {
      char leaf[64];
      std::snprintf(leaf, sizeof leaf, "/tsource/mar%02u%02u128.ppm", sx, sy);
      out.images.emplace_back(folder + leaf, Image(kSourceSize, [&](uint32_t x, uint32_t y, uint8_t* rgb) {
        const float wx = static_cast<float>(sx) * span + (static_cast<float>(x) + 0.5f) * span / kSourceSize;
        const float wy = static_cast<float>(sy + 1) * span - (static_cast<float>(y) + 0.5f) * span / kSourceSize;
        Tint(MaterialAt(wx, wy), Shade(wx, wy), wx, wy, rgb);
      }));
    }
  out.samples.width = out.samples.height = kSide;
  for (uint32_t y = 0; y < kSide; ++y)
    for (uint32_t x = 0; x < kSide; ++x) {
      const float wx = static_cast<float>(x) * kCell, wy = static_cast<float>(y) * kCell;
      const float s = Shade(wx, wy) * 160.0f;
      for (int c = 0; c < 3; ++c) out.samples.rgb.push_back(Byte(s + static_cast<float>(c) * 4));
    }
  return out;
}
