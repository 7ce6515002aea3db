// Reading the terrain file's header, heights and patch surfaces, and the colour sample file.
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "engine/biff/biff.h"
#include "engine/memory/memblock.h"
#include "engine/object/material.h"
#include "engine/object/pow.h"
#include "engine/terrain/terrain.h"
#include "platform/files.h"
#include "platform/trace.h"

namespace {

constexpr uint32_t kHeaderSize = 48;
constexpr uint32_t kHeaderFields = 16;
constexpr uint32_t kHeaderMaterials = 44;
constexpr uint32_t kSurfaceCount = 20;
constexpr uint32_t kSurfaceData = 24;
constexpr uint32_t kSampleHeaderMax = 64;  // bytes the " %d %d " text may take

// The chunk's data, checked to hold at least `need` bytes.
bool ChunkOf(SPW_BIFF_FILE* file, SPW_BIFF_BLOCK* block, const char* tag, uint32_t need,
             SPW_POWCHUNK* out, const char* path) {
  SPW_BIFF_CHUNK* chunk = SPW_BIFF_FindChunk(file, block, tag);
  const uint8_t* data = chunk ? SPW_BIFF_ChunkData(file, chunk) : nullptr;
  if (!data || chunk->dwSize < need) {
    PLAT_Trace("SPW_LoadTerrainData: %s: chunk %s is missing or cut short\n", path, tag);
    return false;
  }
  *out = {data, chunk->dwSize};
  return true;
}

// A count word followed by that many 32-bit values, the count equal to what the header asks.
template <typename T>
T* ReadTable(const SPW_POWCHUNK& c, uint32_t countAt, uint32_t dataAt, uint64_t expected,
             const char* tag, const char* path, uint32_t* outCount) {
  const uint32_t n = c.U32(countAt);
  if (n != expected || !c.Has(dataAt, uint64_t{n} * 4)) {
    PLAT_Trace("SPW_LoadTerrainData: %s: %s holds %u entries in %u bytes, the header needs %" PRIu64 "\n",
               path, tag, n, c.dwSize, expected);
    return nullptr;
  }
  T* table = static_cast<T*>(SGE_MemAlloc(SPW_FObjsMem, n * 4));
  if (!table) {
    PLAT_Trace("SPW_LoadTerrainData: %s: no memory for %u entries of %s\n", path, n, tag);
    return nullptr;
  }
  for (uint32_t i = 0; i < n; ++i) table[i] = static_cast<T>(c.U32(dataAt + 4 * i));
  *outCount = n;
  return table;
}

bool ReadHeader(const SPW_POWCHUNK& c, SPW_TERRAINHEADER* h, const char* path) {
  int32_t* fields = &h->nCellShift;
  for (uint32_t i = 0; i < 7; ++i) fields[i] = c.I32(kHeaderFields + 4 * i);
  h->dwNumMaterials = c.U32(kHeaderMaterials);
  // The engine's patches are 4 by 4 cells; a grid it cannot index is damage, not a terrain.
  if (h->nCellShift != static_cast<int32_t>(SPW_TERRAIN_PATCH_SHIFT) || h->nPatchesX <= 0 ||
      h->nPatchesY <= 0 || h->nPatchesX > static_cast<int32_t>(SPW_TERRAIN_MAX_PATCHES) ||
      h->nPatchesY > static_cast<int32_t>(SPW_TERRAIN_MAX_PATCHES) || h->nCellSize <= 0) {
    PLAT_Trace("SPW_LoadTerrainData: %s: unusable header (shift %d, %d x %d patches, cell %d)\n",
               path, h->nCellShift, h->nPatchesX, h->nPatchesY, h->nCellSize);
    return false;
  }
  return true;
}

// Each surface's material index becomes the id of the material's first texture, whatever its
// kind; a material without one keeps the previous surface's id.
bool ResolveSurfaces(SPW_BIFF_FILE* file, SPW_TERRAINHEADER* h, SPW_DISPLAY* display,
                     const char* path) {
  SPW_MATERIALTABLE table;
  if (!SPW_ReadMaterials(file, &table, "SPW_LoadTerrainData")) {
    SPW_FreeMaterials(&table);  // what was read before the failure
    return false;
  }
  // The header says how many materials the terrain uses; chunks past that are not its own.
  if (table.dwCount > h->dwNumMaterials) table.dwCount = h->dwNumMaterials;
  uint32_t previous = 0;
  for (uint32_t i = 0; i < h->dwNumSurfaces; ++i) {
    const uint32_t s = h->pSurfaces[i];
    const int32_t id = SPW_MaterialTextureId(&table, s & SPW_TERRAIN_SURFACE_ID_MASK, display,
                                             nullptr, SPW_TEXTURECHOICE::First);
    if (id > 0) {
      previous = static_cast<uint32_t>(id) & SPW_TERRAIN_SURFACE_ID_MASK;
    } else {
      PLAT_Trace("POW ERROR: The terrain pow file [%s] has a missing texture!!!\n", path);
    }
    h->pSurfaces[i] = previous | (s & ~SPW_TERRAIN_SURFACE_ID_MASK);
  }
  SPW_FreeMaterials(&table);
  return true;
}

}  // namespace

void SPW_FreeTerrainData(SPW_TERRAINHEADER* h) {
  if (h->pHeights) SGE_MemFree(h->pHeights);
  if (h->pSurfaces) SGE_MemFree(h->pSurfaces);
  h->pHeights = nullptr;
  h->pSurfaces = nullptr;
  h->dwNumHeights = h->dwNumSurfaces = 0;
}

int32_t SPW_LoadTerrainData(SPW_BIFF_FILE* file, const char* path, SPW_TERRAINHEADER* out,
                            SPW_DISPLAY* display) {
  if (!file) return 1;
  *out = {};
  const char* name = path ? path : file->szName;
  SPW_BIFF_BLOCK* block = SPW_BIFF_FindBlock(file, "TERR");
  while (block && !SPW_BIFF_FindChunk(file, block, "TERI")) block = SPW_BIFF_NextBlock(file, block);
  if (!block) {
    PLAT_Trace("Fail to find the terrain: %s \n(powr: SPW_LoadTerrainData)\n", name);
    return 0;
  }
  SPW_POWCHUNK teri, tzfd, tsur;
  if (!ChunkOf(file, block, "TERI", kHeaderSize, &teri, name) || !ReadHeader(teri, out, name))
    return 0;
  const uint64_t vx = uint64_t{static_cast<uint32_t>(out->nPatchesX)} * SPW_TERRAIN_PATCH_CELLS + 1;
  const uint64_t vy = uint64_t{static_cast<uint32_t>(out->nPatchesY)} * SPW_TERRAIN_PATCH_CELLS + 1;
  const uint64_t patches = uint64_t{static_cast<uint32_t>(out->nPatchesX)} * static_cast<uint32_t>(out->nPatchesY);
  bool ok = ChunkOf(file, block, "TZFD", 4, &tzfd, name) &&
            (out->pHeights = ReadTable<int32_t>(tzfd, 0, 4, vx * vy, "TZFD", name, &out->dwNumHeights)) &&
            ChunkOf(file, block, "TSUR", kSurfaceData, &tsur, name) &&
            (out->pSurfaces = ReadTable<uint32_t>(tsur, kSurfaceCount, kSurfaceData, patches, "TSUR",
                                                  name, &out->dwNumSurfaces)) &&
            ResolveSurfaces(file, out, display, name);
  if (!ok) {
    SPW_FreeTerrainData(out);
    return 0;
  }
  return 1;
}

uint8_t* SPW_LoadTerrainSamples(const char* path, uint32_t maxSamples, uint32_t* outWidth,
                                uint32_t* outHeight, uint32_t* outCount) {
  *outWidth = *outHeight = *outCount = 0;
  PLAT_FileHandle f(PLAT_FOpen(path, "rb"));
  if (!f) return nullptr;
  unsigned w = 0, h = 0;
  if (std::fscanf(f.get(), " %u %u", &w, &h) != 2 || std::ftell(f.get()) > kSampleHeaderMax) {
    PLAT_Trace("SPW_LoadTerrainSamples: %s has no size line\n", path);
    return nullptr;
  }
  // One separator follows the size; the triples start right after it.
  if (std::fgetc(f.get()) == EOF) {
    PLAT_Trace("SPW_LoadTerrainSamples: %s ends after its size line\n", path);
    return nullptr;
  }
  uint64_t want = uint64_t{w} * h;
  if (want > maxSamples) want = maxSamples;
  auto* rgb = static_cast<uint8_t*>(SGE_MemAlloc(SPW_FObjsMem, static_cast<uint32_t>(want * 3 + 3)));
  if (!rgb) {
    PLAT_Trace("SPW_LoadTerrainSamples: no memory for %" PRIu64 " samples of %s\n", want, path);
    return nullptr;
  }
  const size_t got = std::fread(rgb, 3, static_cast<size_t>(want), f.get());
  if (got < want) PLAT_Trace("SPW_LoadTerrainSamples: %s holds %zu of %" PRIu64 " samples\n", path, got, want);
  *outWidth = w;
  *outHeight = h;
  *outCount = static_cast<uint32_t>(got);
  return rgb;
}
