#pragma once
// Depth-sorted alpha buckets: translucent polygons of a scene, carved from large blocks, filed
// by depth into the entries of the alpha list and drawn farthest first.
#include <cstddef>
#include <cstdint>

#include "driver/batch/lists.h"

constexpr uint32_t SPPD_ALPHABLOCK_PAYLOAD = 58000;

struct SPPD_ALPHABLOCK {
  SPPD_LISTHEAD link;  // the list's blocks of this scene, or the state's free blocks
  uint32_t dwSize;     // SPPD_ALPHABLOCK_PAYLOAD
  uint32_t dwUsed;
  alignas(8) uint8_t data[SPPD_ALPHABLOCK_PAYLOAD];
};

struct SPPD_ALPHAPOLY {
  SPPD_LISTHEAD link;  // in its bucket
  uint32_t dwTextureId;
  uint32_t dwCount;
  float fDepth;  // 0 near .. 1 far
  SPPD_TLVERTEX v[1];  // dwCount of them, a fan
};

// The most vertices one block can hold.
constexpr uint32_t SPPD_ALPHA_MAX_VERTICES =
    (SPPD_ALPHABLOCK_PAYLOAD - offsetof(SPPD_ALPHAPOLY, v)) / sizeof(SPPD_TLVERTEX);

// Room for a polygon of count vertices in the list's newest block or a new one; none when no
// block can be had or the polygon is larger than a block.
SPPD_ALPHAPOLY* SPPD_AlphaCarve(SPPD_BATCHLIST* list, uint32_t count);
// Files a carved polygon (texture id, count, depth and vertices set) into its bucket.
void SPPD_AlphaFile(SPPD_BATCHLIST* list, SPPD_ALPHAPOLY* poly);
// The bucket of a depth: 1024 x depth rounded to nearest, ties to even, kept in 0..1023.
uint32_t SPPD_AlphaBucket(float depth);
// Draws (or drops, without draw or when disabled) the buckets farthest first, consecutive
// polygons of one texture in one call, and gives the blocks back to the pool.
void SPPD_AlphaFlush(SPPD_BATCHLIST* list, bool draw);
// Every list with the alpha flag.
void SPPD_AlphaFlushLists(SPPD_DRIVERSTATE* state);
