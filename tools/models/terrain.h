#pragma once
// A generated mission terrain for the demo tree and the benchmarks: rolling hills around a flat
// landing area, four materials with their textures, the source textures that the patches'
// second pass shows and the colour samples.
#include <string>
#include <utility>
#include <vector>

#include "tools/writers/ppm_writer.h"
#include "tools/writers/terrain_writer.h"

struct vnMODELS_TERRAIN {
  vnTERRAIN terrain;
  vnTERRAIN_SAMPLES samples;
  // Images by their path relative to the content root.
  std::vector<std::pair<std::string, vnPPM_IMAGE>> images;
};

constexpr uint32_t vnMODELS_TERRAIN_PATCHES = 32;  // along each side
constexpr int32_t vnMODELS_TERRAIN_CELL = 200;     // file units: cells of 2 engine units
// The landing area: its centre and radius in engine units, and its height.
constexpr float vnMODELS_TERRAIN_PAD_X = 128.0f;
constexpr float vnMODELS_TERRAIN_PAD_Y = 120.0f;
constexpr float vnMODELS_TERRAIN_PAD_RADIUS = 26.0f;

// The terrain whose files live in `folder` (relative to the content root, as
// "Export/Terrain/C1M1A"): its materials name their textures there.
vnMODELS_TERRAIN vnMODELS_MissionTerrain(const std::string& folder);
// The height in engine units at a point of that terrain.
float vnMODELS_TerrainHeight(float x, float y);
