#pragma once
// driver/batch: batch lists, primitives, clipping and the depth-sorted alpha buckets.
//
// Render batch lists: pre-transformed polygons queued per list and per texture, drawn at the
// flushes one texture bind and one indexed draw per buffer.
#include <cstdint>

#include "driver/core/state.h"
#include "engine/driver/sppd.h"
#include "platform/gfx/gfx.h"

constexpr uint32_t SPPD_BATCH_ENTRIES = 1024;      // entries a list is made with
constexpr uint32_t SPPD_BATCH_CHUNK = 256;         // entries made at once past those
constexpr uint32_t SPPD_BATCH_MAX_ENTRIES = 65536;  // ids a list grows to, or the table's slots
constexpr uint32_t SPPD_BATCH_VERTICES = 1000;     // what polygons and nodes ask for
constexpr uint32_t SPPD_BATCH_INDICES = 3000;
constexpr uint32_t SPPD_BATCH_MAX_POLYGON = 65535;  // 16-bit indices

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
  uint32_t dwVertexCapacity;
  uint32_t dwVerticesUsed;
  PLAT_GfxVertex* pLockBase;  // null while unlocked
  PLAT_GfxVertex* pCursor;
  uint32_t dwIndexCapacity;
  uint32_t dwIndicesUsed;
  uint16_t wSerial;
  PLAT_GfxVertex* pVertices;
  uint16_t* pIndices;
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
  SPPD_LISTHEAD active;  // entries given a buffer since the last flush, first use first
  SPPD_DRIVERSTATE* pOwner;
  SPPD_LISTHEAD alphaBlocks;  // SPPD_ALPHABLOCK carved this scene, newest first
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
// Appends a fan at the texture's entry of the list, asking for a new buffer when the current
// one lacks room, flushing everything once and retrying when none can be had. False when the
// polygon was dropped.
bool SPPD_BatchAppendFan(SPPD_DRIVERSTATE* state, SPPD_BATCHLIST* list, uint32_t textureId,
                         const SPPD_TLVERTEX* vertices, uint32_t count,
                         uint32_t vertexCapacity = SPPD_BATCH_VERTICES,
                         uint32_t indexCapacity = SPPD_BATCH_INDICES);

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
