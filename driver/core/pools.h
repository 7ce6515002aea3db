#pragma once
// The driver's memory: one block from the C heap per display, carved at creation into the
// general, texture-name and texture pools; every record of the driver comes from these.
#include <cstdint>

#include "driver/core/state.h"
#include "engine/memory/memblock.h"

constexpr uint32_t SPPD_GENERAL_POOL_SIZE = 600000;
constexpr uint32_t SPPD_TEXTURENAME_POOL_SIZE = 100000;
constexpr uint32_t SPPD_TEXTURE_POOL_SIZE = 3000000;
// The three pools with their overheads and chunk headers: 3,700,464 bytes in all.
constexpr uint32_t SPPD_DRIVER_POOL_PAYLOAD =
    SPPD_GENERAL_POOL_SIZE + SPPD_TEXTURENAME_POOL_SIZE + SPPD_TEXTURE_POOL_SIZE +
    3 * (SGE_MEMBLOCK_OVERHEAD + SGE_MEMCHUNK_HEADER_SIZE);
constexpr uint32_t SPPD_DRIVER_POOL_BYTES = SPPD_DRIVER_POOL_PAYLOAD + SGE_MEMBLOCK_OVERHEAD;
static_assert(SPPD_DRIVER_POOL_BYTES == 3700464);

// Makes the four pools of a driver state (releasing any it had first). 1, or -1 with the
// last-error text when the heap or a pool refuses.
int32_t SPPD_CreatePools(SPPD_DRIVERSTATE* state);
// Frees the driver block and with it every pool and record; the handles become none.
void SPPD_ReleasePools(SPPD_DRIVERSTATE* state);

// A pool handle is the memory block at the start of its range.
inline SGE_MEMBLOCK* SPPD_PoolBlock(SPPD_POOL* pool) {
  return reinterpret_cast<SGE_MEMBLOCK*>(pool);
}
void* SPPD_PoolAlloc(SPPD_POOL* pool, uint32_t size);   // none when full (traced)
void* SPPD_PoolCalloc(SPPD_POOL* pool, uint32_t size);  // zero-filled
int32_t SPPD_PoolFree(void* ptr);                       // 1 freed, 0 otherwise

// Per channel of two ARGB colours, a x b / 255 truncated.
uint32_t SPPD_ModulateColour(uint32_t a, uint32_t b, uint32_t* out);
// Replaces the alpha byte by alpha x factor rounded to nearest (its low 8 bits).
uint32_t SPPD_ScaleAlpha(uint32_t in, uint32_t* out, float factor);
