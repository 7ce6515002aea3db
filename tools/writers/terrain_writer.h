#pragma once
// Writes a mission's terrain files: "terrain.ter", a BIFF container with the terrain block
// ("TERR": header "TERI", heights "TZFD", patch surfaces "TSUR"), any further blocks the caller
// adds (the feature objects' "FOBF" blocks) and last the materials ("MATF" with one "MATS"
// chunk a material, in the POW layout); and the colour sample file "dobjsample.dat".
// Lengths and heights are in file units (hundredths of an engine unit).
#include <cstdint>
#include <string>
#include <vector>

#include "tools/writers/biff_writer.h"
#include "tools/writers/pow_writer.h"

// Cells along a patch side (the header stores it as a power of two).
constexpr uint32_t vnTERRAIN_PATCH_CELLS = 4;
constexpr uint32_t vnTERRAIN_PATCH_SHIFT = 2;

struct vnTERRAIN {
  uint32_t cellShift = vnTERRAIN_PATCH_SHIFT;
  uint32_t patchesX = 0, patchesY = 0;
  int32_t cellSize = 100;               // file units
  int32_t values[3] = {0, 0, 0};        // kept by the engine as they stand
  // (4 patchesX + 1) x (4 patchesY + 1) heights, row by row (x fastest).
  std::vector<int32_t> heights;
  // patchesX x patchesY surface words, row by row: material index in the low 29 bits, the
  // texture orientation (0-7) in the top three.
  std::vector<uint32_t> surfaces;
  std::vector<vnMODEL_MATERIAL> materials;  // their positions are the indices above
  // Written as given between the terrain block and the materials; feature faces index the
  // same materials.
  std::vector<vnBIFF_BLOCK> extraBlocks;
  // When set, the header's material count; otherwise the number of materials.
  int64_t materialCountOverride = -1;
};

// A surface word from a material index and an orientation.
constexpr uint32_t vnTERRAIN_Surface(uint32_t material, uint32_t orientation) {
  return (material & 0x1FFFFFFFu) | (orientation & 7u) << 29;
}
// The vertex counts of a grid of patches: 4 patches + 1 along each side.
constexpr uint32_t vnTERRAIN_Vertices(uint32_t patches) { return patches * vnTERRAIN_PATCH_CELLS + 1; }

// Chunk data builders, for tests that take a file apart or damage it.
std::vector<uint8_t> vnTERRAIN_HeaderChunk(const vnTERRAIN& terrain);   // "TERI", 48 bytes
std::vector<uint8_t> vnTERRAIN_HeightChunk(const vnTERRAIN& terrain);   // "TZFD"
std::vector<uint8_t> vnTERRAIN_SurfaceChunk(const vnTERRAIN& terrain);  // "TSUR"

// The container: "TERR", then the extra blocks, then "MATF" (left out when there are no
// materials).
vnBIFF_FILE vnTERRAIN_Build(const vnTERRAIN& terrain);
bool vnWRITE_Terrain(const std::string& path, const vnTERRAIN& terrain);

// The colour sample file: text " %d %d " (width, height), then width x height RGB triples,
// row by row.
struct vnTERRAIN_SAMPLES {
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> rgb;  // 3 bytes a sample; written as given, whatever its length
};
std::vector<uint8_t> vnTERRAIN_SampleBytes(const vnTERRAIN_SAMPLES& samples);
bool vnWRITE_TerrainSamples(const std::string& path, const vnTERRAIN_SAMPLES& samples);
