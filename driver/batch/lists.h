#pragma once
// driver/batch: batch lists, primitives, clipping and the depth-sorted alpha buckets.
//
// Render batch lists: pre-transformed polygons queued per list and per texture, drawn at the
// flushes one texture bind and one indexed draw per buffer.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "driver/core/state.h"
#include "engine/driver/sppd.h"
#include "platform/gfx/gfx.h"

constexpr uint32_t SPPD_BATCH_ENTRIES = 1024;      // entries a list is made with
constexpr uint32_t SPPD_BATCH_CHUNK = 256;         // entries made at once past those
constexpr uint32_t SPPD_BATCH_MAX_ENTRIES = 65536;  // ids a list grows to, or the table's slots
constexpr uint32_t SPPD_BATCH_VERTICES = 1000;     // what polygons and nodes ask for
constexpr uint32_t SPPD_BATCH_INDICES = 3000;
constexpr uint32_t SPPD_BATCH_MAX_POLYGON = 65535;  // 16-bit indices
constexpr uint32_t SPPD_ALPHA_BUCKETS = 1024;      // depth buckets of an alpha-sorted list

// Flags of a batch list: its state set in the low byte, the blend factors of the set that
// takes them from the flags in the next two bytes, and the list's modes above.
constexpr uint32_t SPPD_BATCH_STATESET_MASK = 0xFF;
constexpr uint32_t SPPD_BATCH_SRCBLEND_SHIFT = 8;
constexpr uint32_t SPPD_BATCH_DESTBLEND_SHIFT = 16;
constexpr uint32_t SPPD_BATCH_DRAW_WHEN_FULL = 0x1000000;
constexpr uint32_t SPPD_BATCH_CULL_CW = 0x2000000;
constexpr uint32_t SPPD_BATCH_ALPHA_SORTED = 0x4000000;
constexpr uint32_t SPPD_BatchBlendFlags(uint32_t src, uint32_t dest) {
  return src << SPPD_BATCH_SRCBLEND_SHIFT | dest << SPPD_BATCH_DESTBLEND_SHIFT;
}

// State sets: the blending, addressing, filtering and depth states a list draws with.
constexpr uint32_t SPPD_STATESET_OPAQUE_OR_MULTIPLY = 0;  // multiplies while the layer is on
constexpr uint32_t SPPD_STATESET_OPAQUE = 1;
constexpr uint32_t SPPD_STATESET_ADDITIVE = 2;
constexpr uint32_t SPPD_STATESET_ADDITIVE_DECAL = 3;  // additive, biased further forward
constexpr uint32_t SPPD_STATESET_NONE_4 = 4;           // 4 and 5 leave the states alone
constexpr uint32_t SPPD_STATESET_NONE_5 = 5;
constexpr uint32_t SPPD_STATESET_FLAG_BLEND = 6;  // blend factors from the flags, squared fog
constexpr uint32_t SPPD_STATESET_TRANSLUCENT = 7;
constexpr uint32_t SPPD_STATESET_HUD = 8;  // translucent, point-filtered, clamped

// Slots (layers) with a meaning of their own.
constexpr int SPPD_LAYER_MULTIPLY = 5;  // enabling it makes state set 0 multiply
constexpr int SPPD_LAYER_OPAQUE = 9;
constexpr int SPPD_LAYER_HUD = 10;
constexpr int SPPD_LAYER_ADDITIVE = 8;
constexpr int SPPD_LAYER_ALPHA = 12;

struct SPPD_BATCHLIST;

// A run of vertices and fan indices; the vertex memory stands for the device's vertex buffer.
struct SPPD_VBUFFER {
  SPPD_LISTHEAD link;  // free pool, an entry's pending list, or the used-this-scene list
  uint32_t dwStride;
  // What every append reads and writes, together.
  uint32_t dwVertexCapacity;
  uint32_t dwVerticesUsed;
  uint32_t dwIndexCapacity;
  uint32_t dwIndicesUsed;
  PLAT_GfxVertex* pCursor;
  uint16_t* pIndices;
  PLAT_GfxVertex* pLockBase;  // null while unlocked
  PLAT_GfxVertex* pVertices;
  uint16_t wSerial;
};

struct SPPD_BATCHENTRY {
  SPPD_LISTHEAD link;     // in the list's active entries
  SPPD_LISTHEAD pending;  // SPPD_VBUFFER, in filling order
  SPPD_VBUFFER* pCurrent;
  SPPD_BATCHLIST* pList;
  SPPD_LISTHEAD bucket;  // alpha list only: SPPD_ALPHAPOLY, farthest first
  uint32_t dwId;         // texture id, or bucket index in the alpha list
};

using SPPD_BATCHLISTHOOK = void (*)(SPPD_BATCHLIST* list);
using SPPD_BATCHENTRYHOOK = void (*)(SPPD_BATCHENTRY* entry, SPPD_VBUFFER* buffer);

struct SPPD_BATCHLIST {
  SPPD_LISTHEAD link;  // in the state's lists, by ascending priority
  uint32_t dwPriority;
  uint32_t dwEnabled;  // the word SPPD_EnableLayer stored; 0 drops what the list holds
  uint32_t dwFlags;
  SPPD_BATCHLISTHOOK pfnAfterStates;        // at a flush, after the state set is applied
  SPPD_BATCHLISTHOOK pfnApplyStates;        // at a flush, first
  SPPD_BATCHENTRYHOOK pfnNewBuffer;         // an entry was given a new buffer
  SPPD_BATCHENTRYHOOK pfnBufferReplaced;    // an entry's full buffer gives way to a new one
  SPPD_BATCHLISTHOOK pfnBeginScene;
  SPPD_BATCHLISTHOOK pfnEndScene;
  // Entries by id in chunks of SPPD_BATCH_CHUNK, so that growing never moves an entry
  // (entries are linked into lists). Chunks past the first capacity are made on first use
  // and are null until then.
  SPPD_BATCHENTRY** ppChunks;
  uint32_t dwCapacity;
  // The entries the list was made with, one piece that the first chunks point into: ids below
  // dwFirstEntries index it directly.
  uint32_t dwFirstEntries;
  SPPD_BATCHENTRY* pFirstEntries;
  SPPD_LISTHEAD active;  // entries given a buffer since the last flush, first use first
  SPPD_DRIVERSTATE* pOwner;
  SPPD_LISTHEAD alphaBlocks;  // SPPD_ALPHABLOCK carved this scene, newest first
  // Alpha list only: a bit per bucket that holds polygons, so that a flush visits those alone.
  uint64_t aqwFilledBuckets[SPPD_ALPHA_BUCKETS / 64];
};

// Makes the thirteen lists of a new device and starts the buffer serial at 1. 1, or -1 with
// the last-error text.
int32_t SPPD_BatchCreateLists(SPPD_DRIVERSTATE* state);
// Frees the vertex memory of every buffer; the records go with the pools. Safe to repeat.
void SPPD_BatchDestroy(SPPD_DRIVERSTATE* state);
// One list from the texture pool, inserted by priority after equal ones; none when full.
SPPD_BATCHLIST* SPPD_BatchCreateList(SPPD_DRIVERSTATE* state, uint32_t priority, uint32_t flags,
                                     uint32_t capacity);
// The list of a slot, none for a slot out of range or never made.
SPPD_BATCHLIST* SPPD_BatchLayer(SPPD_DRIVERSTATE* state, int32_t slot);
// The entry of an id, growing the list for ids past its capacity; none (traced) when it
// cannot.
SPPD_BATCHENTRY* SPPD_BatchEntry(SPPD_BATCHLIST* list, uint32_t id);

// A locked buffer for an entry with room for at least needVertices and needIndices; a new one
// is made with the larger of the asked and the needed capacities. None when none can be had.
SPPD_VBUFFER* SPPD_BatchGetBuffer(SPPD_BATCHENTRY* entry, uint32_t vertexCapacity,
                                  uint32_t indexCapacity, uint32_t needVertices,
                                  uint32_t needIndices);
// A locked buffer at the texture's entry of the list with room for n more vertices and
// needIndices more indices: the current one, a new one, or, when none can be had, one got
// after flushing everything once. None when the polygon must be dropped.
SPPD_VBUFFER* SPPD_BatchRoom(SPPD_DRIVERSTATE* state, SPPD_BATCHLIST* list, uint32_t textureId,
                             uint32_t n, uint32_t needIndices,
                             uint32_t vertexCapacity = SPPD_BATCH_VERTICES,
                             uint32_t indexCapacity = SPPD_BATCH_INDICES);
// Whether a buffer (none has no room) takes n more vertices and needIndices more indices.
inline bool SPPD_BatchHasRoom(const SPPD_VBUFFER* b, uint32_t n, uint32_t needIndices) {
  return b && b->dwVertexCapacity - b->dwVerticesUsed >= n &&
         b->dwIndexCapacity - b->dwIndicesUsed >= needIndices;
}

// Copies a fan's vertices after the buffer's used ones and appends its 3 (n - 2) indices; the
// buffer has the room. The two vertex records are laid out alike: one block copy.
static_assert(sizeof(SPPD_TLVERTEX) == sizeof(PLAT_GfxVertex) &&
              offsetof(SPPD_TLVERTEX, dwDiffuse) == offsetof(PLAT_GfxVertex, diffuse) &&
              offsetof(SPPD_TLVERTEX, tu) == offsetof(PLAT_GfxVertex, u) &&
              offsetof(SPPD_TLVERTEX, tv) == offsetof(PLAT_GfxVertex, v));
static_assert(std::endian::native == std::endian::little, "index words store lanes low first");
inline void SPPD_BatchWriteFan(SPPD_VBUFFER* b, const SPPD_TLVERTEX* v, uint32_t n) {
  const uint32_t first = b->dwVerticesUsed;
  uint16_t* idx = b->pIndices + b->dwIndicesUsed;
  // Quads and triangles, most of what comes, copy with a fixed size and store their indices
  // as whole words (f f+1 f+2 | f f+2 f+3 for a quad), each 16-bit lane wrapping on its own
  // as a uint16_t would: the top bit of every lane is added apart from the others.
  const uint64_t f4 = (first & 0xFFFFu) * 0x0001000100010001ull;
  const uint64_t top4 = f4 & 0x8000800080008000ull;
  const uint64_t fan3 = ((f4 & 0x7FFF7FFF7FFF7FFFull) + 0x0000000200010000ull) ^ top4;
  if (n == 4) {
    std::memcpy(static_cast<void*>(b->pCursor), v, 4 * sizeof(PLAT_GfxVertex));
    const uint32_t last =
        ((static_cast<uint32_t>(f4) & 0x7FFF7FFFu) + 0x00030002u) ^ static_cast<uint32_t>(top4);
    std::memcpy(idx, &fan3, 8);
    std::memcpy(idx + 4, &last, 4);
  } else if (n == 3) {
    std::memcpy(static_cast<void*>(b->pCursor), v, 3 * sizeof(PLAT_GfxVertex));
    std::memcpy(idx, &fan3, 6);
  } else {
    std::memcpy(static_cast<void*>(b->pCursor), v, n * sizeof(PLAT_GfxVertex));
    for (uint32_t i = 1; i + 1 < n; ++i) {
      *idx++ = static_cast<uint16_t>(first);
      *idx++ = static_cast<uint16_t>(first + i);
      *idx++ = static_cast<uint16_t>(first + i + 1);
    }
  }
  b->dwVerticesUsed = first + n;
  b->pCursor += n;
  b->dwIndicesUsed += n >= 3 ? 3 * (n - 2) : 0;
}

// What SPPD_BatchAppendFan does when its inline path cannot: empty and oversized polygons,
// new entries, new buffers and the flush when none can be had.
bool SPPD_BatchAppendFanSlow(SPPD_DRIVERSTATE* state, SPPD_BATCHLIST* list, uint32_t textureId,
                             const SPPD_TLVERTEX* vertices, uint32_t count,
                             uint32_t vertexCapacity, uint32_t indexCapacity);

// Appends a fan at the texture's entry of the list, asking for a new buffer when the current
// one lacks room, flushing everything once and retrying when none can be had. False when the
// polygon was dropped. A triangle or a quad for an entry in use whose buffer has room, the
// common case, is appended inline without a call.
inline bool SPPD_BatchAppendFan(SPPD_DRIVERSTATE* state, SPPD_BATCHLIST* list,
                                uint32_t textureId, const SPPD_TLVERTEX* vertices,
                                uint32_t count, uint32_t vertexCapacity = SPPD_BATCH_VERTICES,
                                uint32_t indexCapacity = SPPD_BATCH_INDICES) {
  if ((count == 3 || count == 4) && textureId < list->dwFirstEntries) {
    SPPD_VBUFFER* b = list->pFirstEntries[textureId].pCurrent;
    if (SPPD_BatchHasRoom(b, count, 3 * (count - 2))) {
      SPPD_BatchWriteFan(b, vertices, count);
      return true;
    }
  }
  return SPPD_BatchAppendFanSlow(state, list, textureId, vertices, count, vertexCapacity,
                                 indexCapacity);
}

// Applies a list's state set to the device (the lists' pfnApplyStates).
void SPPD_BatchApplyStates(SPPD_BATCHLIST* list);
// Draws (or, without draw or when the list is disabled, drops) what a list without the
// alpha flag holds.
void SPPD_BatchFlushList(SPPD_BATCHLIST* list, bool draw);
// pfnBufferReplaced of the lists that draw when full: the entry's buffers are drawn at once.
void SPPD_BatchDrawWhenFull(SPPD_BATCHENTRY* entry, SPPD_VBUFFER* previous);
// Every list without the alpha flag in priority order; the HUD list only with withHud.
void SPPD_BatchFlushLists(SPPD_DRIVERSTATE* state, bool withHud);

// Scene hooks: every list's pfnBeginScene at the scene's start; at its end the used buffers go
// back to the pool and every pfnEndScene runs.
void SPPD_BatchBeginScene(SPPD_DRIVERSTATE* state);
void SPPD_BatchEndScene(SPPD_DRIVERSTATE* state);

// The library-wide buffer serial (starts at 1, wraps at 16 bits).
uint16_t SPPD_BatchSerial();
