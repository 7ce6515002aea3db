#include "driver/core/pools.h"

#include <cmath>
#include <cstdlib>
#include <initializer_list>

#include "driver/core/lasterror.h"
#include "engine/driver/sppd.h"
#include "engine/math/argb.h"
#include "platform/trace.h"

namespace {

SPPD_POOL* AsPool(SGE_MEMBLOCK* block) { return reinterpret_cast<SPPD_POOL*>(block); }

SPPD_POOL* CarvePool(SGE_MEMBLOCK* parent, uint32_t payload, const char* name) {
  const uint32_t size = payload + SGE_MEMBLOCK_OVERHEAD;
  void* range = SGE_MemAlloc(parent, size);
  if (!range) return nullptr;
  SGE_MEMBLOCK* block = SGE_FormatMemBlock(range, size, name);
  if (!block) SGE_MemFree(range);
  return AsPool(block);
}

}  // namespace

int32_t SPPD_CreatePools(SPPD_DRIVERSTATE* state) {
  if (!state) return SPPD_FAIL;
  SPPD_ReleasePools(state);
  void* heap = std::malloc(SPPD_DRIVER_POOL_BYTES);
  if (!heap) {
    SPPD_SetLastError(
        "Failed to allocate the %d bytes of driver memory. Restart Windows and retry\n"
        "in(manage_gfxdrv:SPPD_GFXDRV_Create)",
        static_cast<int>(SPPD_DRIVER_POOL_BYTES));
    return SPPD_FAIL;
  }
  SGE_MEMBLOCK* driver = SGE_FormatMemBlock(heap, SPPD_DRIVER_POOL_BYTES, "SPPDGFXDRV_DriverBlock");
  if (!driver) {
    std::free(heap);
    SPPD_SetLastError("Cannot format the driver block\nin(manage_gfxdrv:SPPD_GFXDRV_Create)");
    return SPPD_FAIL;
  }
  state->pDriverPool = AsPool(driver);
  state->pGeneralPool = CarvePool(driver, SPPD_GENERAL_POOL_SIZE, "SPPDGFXDRV_GeneralBlock");
  state->pTextureNamePool =
      CarvePool(driver, SPPD_TEXTURENAME_POOL_SIZE, "SPPDGFXDRV_TextureNamesBlock");
  state->pTexturePool = CarvePool(driver, SPPD_TEXTURE_POOL_SIZE, "SPPDGFXDRV_TextureBlock");
  if (!state->pGeneralPool || !state->pTextureNamePool || !state->pTexturePool) {
    SPPD_ReleasePools(state);
    SPPD_SetLastError("Cannot carve the driver pools\nin(manage_gfxdrv:SPPD_GFXDRV_Create)");
    return SPPD_FAIL;
  }
  return SPPD_OK;
}

void SPPD_ReleasePools(SPPD_DRIVERSTATE* state) {
  if (!state) return;
  if (state->pDriverPool) {
    SGE_MEMBLOCK* driver = SPPD_PoolBlock(state->pDriverPool);
    // The sub-blocks live inside the driver block: forget them before the range goes.
    for (SPPD_POOL* pool : {state->pGeneralPool, state->pTextureNamePool, state->pTexturePool})
      if (pool) SGE_ReleaseMemBlock(SPPD_PoolBlock(pool));
    SGE_ReleaseMemBlock(driver);
    std::free(driver);
  }
  state->pDriverPool = nullptr;
  state->pGeneralPool = nullptr;
  state->pTextureNamePool = nullptr;
  state->pTexturePool = nullptr;
}

void* SPPD_PoolAlloc(SPPD_POOL* pool, uint32_t size) {
  if (!pool) {
    PLAT_Trace("GFXDRV: SPPD_PoolAlloc: no pool\n");
    return nullptr;
  }
  return SGE_MemAlloc(SPPD_PoolBlock(pool), size);
}

void* SPPD_PoolCalloc(SPPD_POOL* pool, uint32_t size) {
  if (!pool) {
    PLAT_Trace("GFXDRV: SPPD_PoolCalloc: no pool\n");
    return nullptr;
  }
  return SGE_MemCalloc(SPPD_PoolBlock(pool), size);
}

int32_t SPPD_PoolFree(void* ptr) { return SGE_MemFree(ptr); }

uint32_t SPPD_ModulateColour(uint32_t a, uint32_t b, uint32_t* out) {
  uint32_t result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    uint32_t ca = (a >> shift) & 0xFF;
    uint32_t cb = (b >> shift) & 0xFF;
    // Double precision keeps 255 x 255 at 255 (a float product lands just below).
    uint32_t c = static_cast<uint32_t>(static_cast<double>(ca * cb) * 0.003921569);
    result |= (c & 0xFF) << shift;
  }
  if (out) *out = result;
  return result;
}

uint32_t SPPD_ScaleAlpha(uint32_t in, uint32_t* out, float factor) {
  float alpha = static_cast<float>(SPW_ArgbA(in)) * factor;
  const auto a = static_cast<uint32_t>(static_cast<int64_t>(std::lrint(alpha)));
  uint32_t result = SPW_ArgbWithAlpha(in, a);
  if (out) *out = result;
  return result;
}
