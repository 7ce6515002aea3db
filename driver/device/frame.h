#pragma once
// Frame statistics and the screen lines queued outside a scene.
#include <cstdint>

#include "driver/core/state.h"
#include "engine/driver/sppd.h"

constexpr int SPPD_DEBUG_DESCRIPTION_SIZE = 264;
constexpr uint32_t SPPD_DEBUG_STORE_BYTES = 1024;  // what the lines may take
constexpr uint32_t SPPD_DEBUG_LINE_OVERHEAD = 9;   // a line costs its length plus this

// One line of a statistics record.
struct SPPD_DEBUGLINE {
  SPPD_LISTHEAD link;
  char szText[1];  // terminated; the entry runs on past its declared size
};

// A statistics record: one for the frame being drawn, one for the frame before.
struct SPPD_DEBUGINFO {
  int32_t nFrame;  // 0 or 1
  char szDescription[SPPD_DEBUG_DESCRIPTION_SIZE];
  SPPD_LISTHEAD lines;  // SPPD_DEBUGLINE, in the order appended
  uint32_t dwUsed;      // of SPPD_DEBUG_STORE_BYTES, by the rule above
  // Room for the lines with their pointer-wide links and alignment.
  alignas(8) uint8_t store[3 * SPPD_DEBUG_STORE_BYTES];
  uint32_t dwStoreEnd;  // bytes of store taken
};

// Process-wide counters of the frame being drawn, filled by the batch code.
struct SPPD_FRAMECOUNTERS {
  uint32_t dwOpaqueTriangles;  // reset at each frame switch
  uint32_t dwAlphaPolygons;    // reset at each frame switch
  uint32_t dwAlphaBlocks;      // new alpha blocks taken, never reset here
  uint32_t dwVertexBuffers;    // vertex buffers in existence, never reset here
};
SPPD_FRAMECOUNTERS* SPPD_GetFrameCounters();

// Clears the counters and both records, loads the description and switches once, so the
// first frame goes into record 1 and SPPD_GetDebugInfo reports the empty record 0.
void SPPD_ResetFrameStats();

// A line queued outside a scene, from the general pool.
struct SPPD_QUEUEDLINE {
  SPPD_LISTHEAD link;
  SPPD_TLVERTEX v[2];
};

// Draws every queued line as a two-point line strip without a texture, freeing each.
void SPPD_DrawQueuedLines(SPPD_DRIVERSTATE* state);
