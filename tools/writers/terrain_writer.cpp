// Terrain files: the BIFF terrain container and the colour sample file.
#include "tools/writers/terrain_writer.h"

#include <cstdio>

#include "platform/bytes.h"
#include "tools/writers/file_writer.h"

namespace {

constexpr size_t kHeaderUnread = 16;
constexpr size_t kSurfaceUnread = 20;

}  // namespace

std::vector<uint8_t> vnTERRAIN_HeaderChunk(const vnTERRAIN& t) {
  std::vector<uint8_t> out(kHeaderUnread, 0);
  PLAT_AppendLE32(out, t.cellShift);
  PLAT_AppendLE32(out, t.patchesX);
  PLAT_AppendLE32(out, t.patchesY);
  PLAT_AppendLE32(out, static_cast<uint32_t>(t.cellSize));
  for (int32_t v : t.values) PLAT_AppendLE32(out, static_cast<uint32_t>(v));
  uint32_t materials = t.materialCountOverride >= 0
                           ? static_cast<uint32_t>(t.materialCountOverride)
                           : static_cast<uint32_t>(t.materials.size());
  PLAT_AppendLE32(out, materials);
  return out;
}

std::vector<uint8_t> vnTERRAIN_HeightChunk(const vnTERRAIN& t) {
  std::vector<uint8_t> out;
  PLAT_AppendLE32(out, static_cast<uint32_t>(t.heights.size()));
  for (int32_t h : t.heights) PLAT_AppendLE32(out, static_cast<uint32_t>(h));
  return out;
}

std::vector<uint8_t> vnTERRAIN_SurfaceChunk(const vnTERRAIN& t) {
  std::vector<uint8_t> out(kSurfaceUnread, 0);
  PLAT_AppendLE32(out, static_cast<uint32_t>(t.surfaces.size()));
  for (uint32_t s : t.surfaces) PLAT_AppendLE32(out, s);
  return out;
}

vnBIFF_FILE vnTERRAIN_Build(const vnTERRAIN& t) {
  vnBIFF_FILE file;
  vnBIFF_BLOCK terr{"TERR", 0, 0, {}};
  terr.chunks.push_back({"TERI", vnTERRAIN_HeaderChunk(t)});
  terr.chunks.push_back({"TZFD", vnTERRAIN_HeightChunk(t)});
  terr.chunks.push_back({"TSUR", vnTERRAIN_SurfaceChunk(t)});
  file.blocks.push_back(std::move(terr));
  for (const vnBIFF_BLOCK& b : t.extraBlocks) file.blocks.push_back(b);
  if (!t.materials.empty()) {
    vnBIFF_BLOCK matf{"MATF", 0, 0, {}};
    for (const vnMODEL_MATERIAL& m : t.materials) matf.chunks.push_back({"MATS", vnPOW_MaterialChunk(m)});
    file.blocks.push_back(std::move(matf));
  }
  return file;
}

bool vnWRITE_Terrain(const std::string& path, const vnTERRAIN& terrain) {
  return vnWRITE_BIFF(path, vnTERRAIN_Build(terrain));
}

std::vector<uint8_t> vnTERRAIN_SampleBytes(const vnTERRAIN_SAMPLES& s) {
  char text[32];
  int n = std::snprintf(text, sizeof text, " %u %u ", s.width, s.height);
  std::vector<uint8_t> out(text, text + n);
  out.insert(out.end(), s.rgb.begin(), s.rgb.end());
  return out;
}

bool vnWRITE_TerrainSamples(const std::string& path, const vnTERRAIN_SAMPLES& samples) {
  std::vector<uint8_t> bytes = vnTERRAIN_SampleBytes(samples);
  return vnWRITE_WholeFile("vnWRITE_TerrainSamples", path, bytes.data(), bytes.size());
}
