// Batch lists, their entries and the vertex buffers they fill.
#include "driver/batch/lists.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "driver/device/frame.h"
#include "driver/core/lasterror.h"
#include "driver/core/pools.h"
#include "driver/texture/table.h"
#include "platform/trace.h"

namespace {

uint16_t g_serial = 1;

// The thirteen lists by slot: priority and flags.
struct ListSpec {
  uint32_t priority;
  uint32_t flags;
};
constexpr uint32_t kCull = SPPD_BATCH_CULL_CW;
constexpr uint32_t kWhenFull = SPPD_BATCH_DRAW_WHEN_FULL;
constexpr uint32_t kAlphaBlend = SPPD_STATESET_FLAG_BLEND |
    SPPD_BatchBlendFlags(PLAT_GFX_BLEND_SRCALPHA, PLAT_GFX_BLEND_INVSRCALPHA);
constexpr ListSpec kLists[SPPD_NUM_BATCHLISTS] = {
    {5, kWhenFull | kCull | SPPD_STATESET_OPAQUE},
    {10, kCull | SPPD_STATESET_ADDITIVE},
    {15, kCull | SPPD_STATESET_OPAQUE_OR_MULTIPLY},
    {20, kCull | SPPD_STATESET_TRANSLUCENT},
    {25, kCull | SPPD_STATESET_ADDITIVE_DECAL},
    {50, kWhenFull | SPPD_STATESET_OPAQUE},  // SPPD_LAYER_MULTIPLY
    {100, SPPD_STATESET_ADDITIVE},
    {200, SPPD_STATESET_OPAQUE_OR_MULTIPLY},
    {600, SPPD_STATESET_ADDITIVE_DECAL},  // SPPD_LAYER_ADDITIVE
    {400, kAlphaBlend},                   // SPPD_LAYER_OPAQUE
    {800, SPPD_STATESET_HUD},             // SPPD_LAYER_HUD
    {500, SPPD_STATESET_TRANSLUCENT},
    {700, SPPD_BATCH_ALPHA_SORTED | kAlphaBlend}};  // SPPD_LAYER_ALPHA
static_assert(kLists[0].flags == 0x3000001 && kLists[9].flags == 0x60506 &&
              kLists[12].flags == 0x4060506);

void InitEntry(SPPD_BATCHENTRY* e, SPPD_BATCHLIST* list, uint32_t id) {
  SPPD_LinkInit(&e->link);
  SPPD_LinkInit(&e->pending);
  SPPD_LinkInit(&e->bucket);
  e->pCurrent = nullptr;
  e->pList = list;
  e->dwId = id;
}

// Widens the chunk table to cover `chunks` chunks; the new ones stay unmade until an id in
// them is used. False when the pool refuses.
bool GrowTable(SPPD_BATCHLIST* list, uint32_t chunks) {
  const uint32_t have = list->dwCapacity / SPPD_BATCH_CHUNK;
  auto** table = static_cast<SPPD_BATCHENTRY**>(SPPD_PoolCalloc(
      list->pOwner->pTexturePool, chunks * static_cast<uint32_t>(sizeof(SPPD_BATCHENTRY*))));
  if (!table) return false;
  if (have) std::memcpy(table, list->ppChunks, have * sizeof(SPPD_BATCHENTRY*));
  if (list->ppChunks) SPPD_PoolFree(list->ppChunks);
  list->ppChunks = table;
  list->dwCapacity = chunks * SPPD_BATCH_CHUNK;
  return true;
}

// count entries from id first, ready to use; none when the pool refuses.
SPPD_BATCHENTRY* MakeEntries(SPPD_BATCHLIST* list, uint32_t first, uint32_t count) {
  auto* entries = static_cast<SPPD_BATCHENTRY*>(SPPD_PoolAlloc(
      list->pOwner->pTexturePool, count * static_cast<uint32_t>(sizeof(SPPD_BATCHENTRY))));
  if (entries)
    for (uint32_t i = 0; i < count; ++i) InitEntry(&entries[i], list, first + i);
  return entries;
}

SPPD_VBUFFER* CreateBuffer(SPPD_DRIVERSTATE* s, uint32_t vertices, uint32_t indices) {
  auto* memory = static_cast<PLAT_GfxVertex*>(std::malloc(vertices * sizeof(PLAT_GfxVertex)));
  if (!memory) {
    PLAT_Trace("GFXDRV: no memory for a vertex buffer of %u vertices\n", vertices);
    return nullptr;
  }
  SPPD_FRAMECOUNTERS* counters = SPPD_GetFrameCounters();
  ++counters->dwVertexBuffers;
  auto* index = static_cast<uint16_t*>(
      SPPD_PoolAlloc(s->pTexturePool, indices * static_cast<uint32_t>(sizeof(uint16_t))));
  auto* b = index ? static_cast<SPPD_VBUFFER*>(SPPD_PoolCalloc(s->pTexturePool, sizeof(SPPD_VBUFFER)))
                  : nullptr;
  if (!b) {
    if (index) SPPD_PoolFree(index);
    std::free(memory);
    --counters->dwVertexBuffers;
    return nullptr;
  }
  SPPD_LinkInit(&b->link);
  b->dwStride = sizeof(PLAT_GfxVertex);
  b->dwVertexCapacity = vertices;
  b->dwIndexCapacity = indices;
  b->pVertices = memory;
  b->pIndices = index;
  return b;
}

void Lock(SPPD_VBUFFER* b) {
  b->pLockBase = b->pVertices;
  b->pCursor = b->pLockBase + b->dwVerticesUsed;
}

void FreeBufferMemory(SPPD_LISTHEAD* head) {
  if (SPPD_LinkUnset(head)) return;
  for (SPPD_VBUFFER* b : SPPD_LinkRecords<SPPD_VBUFFER>(head)) {
    std::free(b->pVertices);
    b->pVertices = nullptr;
    --SPPD_GetFrameCounters()->dwVertexBuffers;
  }
}

void ForEachList(SPPD_DRIVERSTATE* s, SPPD_BATCHLISTHOOK SPPD_BATCHLIST::*hook) {
  if (SPPD_LinkUnset(&s->lhBatchLists)) return;
  for (SPPD_BATCHLIST* list : SPPD_LinkRecords<SPPD_BATCHLIST>(&s->lhBatchLists))
    if (list->*hook) (list->*hook)(list);
}

}  // namespace

uint16_t SPPD_BatchSerial() { return g_serial; }

SPPD_BATCHLIST* SPPD_BatchCreateList(SPPD_DRIVERSTATE* s, uint32_t priority, uint32_t flags,
                                     uint32_t capacity) {
  auto* list = static_cast<SPPD_BATCHLIST*>(SPPD_PoolCalloc(s->pTexturePool, sizeof(SPPD_BATCHLIST)));
  if (!list) return nullptr;
  list->dwPriority = priority;
  list->dwEnabled = 1;
  list->dwFlags = flags;
  list->pOwner = s;
  SPPD_LinkInit(&list->active);
  SPPD_LinkInit(&list->alphaBlocks);
  // The entry array is one piece; the chunk table only points into it.
  const uint32_t chunks = std::max(1u, (capacity + SPPD_BATCH_CHUNK - 1) / SPPD_BATCH_CHUNK);
  SPPD_BATCHENTRY* entries =
      GrowTable(list, chunks) ? MakeEntries(list, 0, chunks * SPPD_BATCH_CHUNK) : nullptr;
  if (!entries) {
    if (list->ppChunks) SPPD_PoolFree(list->ppChunks);
    SPPD_PoolFree(list);
    return nullptr;
  }
  for (uint32_t c = 0; c < chunks; ++c) list->ppChunks[c] = entries + c * SPPD_BATCH_CHUNK;
  list->pFirstEntries = entries;
  list->dwFirstEntries = chunks * SPPD_BATCH_CHUNK;
  list->pfnApplyStates = SPPD_BatchApplyStates;
  if (flags & SPPD_BATCH_DRAW_WHEN_FULL) list->pfnBufferReplaced = SPPD_BatchDrawWhenFull;
  // After the last list of the same or a lower priority.
  SPPD_LISTHEAD* pos = &s->lhBatchLists;
  for (SPPD_BATCHLIST* other : SPPD_LinkRecords<SPPD_BATCHLIST>(&s->lhBatchLists)) {
    if (other->dwPriority > priority) {
      pos = &other->link;
      break;
    }
  }
  SPPD_LinkInsertBefore(pos, &list->link);
  return list;
}

int32_t SPPD_BatchCreateLists(SPPD_DRIVERSTATE* s) {
  if (!s || !s->pTexturePool) {
    PLAT_Trace("GFXDRV: SPPD_BatchCreateLists: no state or texture pool\n");
    return SPPD_FAIL;
  }
  g_serial = 1;
  for (int slot = 0; slot < SPPD_NUM_BATCHLISTS; ++slot) {
    s->apBatchLists[slot] =
        SPPD_BatchCreateList(s, kLists[slot].priority, kLists[slot].flags, SPPD_BATCH_ENTRIES);
    if (!s->apBatchLists[slot]) {
      SPPD_SetLastError("Out of memory for batch list %d\nin(manage_gfxdrv:SPPD_Create)", slot);
      return SPPD_FAIL;
    }
  }
  return SPPD_OK;
}

void SPPD_BatchDestroy(SPPD_DRIVERSTATE* s) {
  if (!s) return;
  FreeBufferMemory(&s->lhFreeBuffers);
  FreeBufferMemory(&s->lhUsedBuffers);
  for (SPPD_BATCHLIST*& list : s->apBatchLists) {
    if (!list) continue;
    for (SPPD_BATCHENTRY* e : SPPD_LinkRecords<SPPD_BATCHENTRY>(&list->active))
      FreeBufferMemory(&e->pending);
    list = nullptr;
  }
  // The records die with the pools; nothing may walk them afterwards.
  for (SPPD_LISTHEAD* h : {&s->lhBatchLists, &s->lhFreeBuffers, &s->lhUsedBuffers,
                           &s->lhFreeAlphaBlocks})
    SPPD_LinkInit(h);
}

SPPD_BATCHLIST* SPPD_BatchLayer(SPPD_DRIVERSTATE* s, int32_t slot) {
  if (!s || slot < 0 || slot >= SPPD_NUM_BATCHLISTS) return nullptr;
  return s->apBatchLists[slot];
}

namespace {

// The entry of an id whose chunk is not made yet, growing the list first when needed. Kept
// out of line so that the look-up of an entry in use stays small enough to inline.
[[gnu::noinline]] SPPD_BATCHENTRY* MakeEntry(SPPD_BATCHLIST* list, uint32_t id) {
  const uint32_t chunk = id / SPPD_BATCH_CHUNK;
  if (id >= list->dwCapacity) {
    // The texture table grows without a fixed end; past its slots an id is garbage, and
    // growing for it would only eat the pool.
    uint32_t limit = std::max(SPPD_BATCH_MAX_ENTRIES, SPPD_TextureTableCapacity(list->pOwner));
    if (id >= limit || !GrowTable(list, chunk + 1)) {
      PLAT_Trace("GFXDRV: SPPD_BatchEntry: no entry for texture id %u\n", id);
      return nullptr;
    }
  }
  if (!list->ppChunks[chunk]) {
    list->ppChunks[chunk] = MakeEntries(list, chunk * SPPD_BATCH_CHUNK, SPPD_BATCH_CHUNK);
    if (!list->ppChunks[chunk]) {
      PLAT_Trace("GFXDRV: SPPD_BatchEntry: no room for the entries of texture id %u\n", id);
      return nullptr;
    }
  }
  return &list->ppChunks[chunk][id % SPPD_BATCH_CHUNK];
}

}  // namespace

SPPD_BATCHENTRY* SPPD_BatchEntry(SPPD_BATCHLIST* list, uint32_t id) {
  if (id < list->dwCapacity)
    if (SPPD_BATCHENTRY* chunk = list->ppChunks[id / SPPD_BATCH_CHUNK])
      return &chunk[id % SPPD_BATCH_CHUNK];
  return MakeEntry(list, id);
}

SPPD_VBUFFER* SPPD_BatchGetBuffer(SPPD_BATCHENTRY* e, uint32_t vertexCapacity,
                                  uint32_t indexCapacity, uint32_t needVertices,
                                  uint32_t needIndices) {
  SPPD_BATCHLIST* list = e->pList;
  SPPD_DRIVERSTATE* s = list->pOwner;
  // The pool is shared with callers that ask for small buffers: take one only when the
  // polygon fits it.
  SPPD_VBUFFER* b = nullptr;
  for (SPPD_VBUFFER* candidate : SPPD_LinkRecords<SPPD_VBUFFER>(&s->lhFreeBuffers)) {
    if (candidate->dwVertexCapacity >= needVertices && candidate->dwIndexCapacity >= needIndices) {
      b = candidate;
      SPPD_LinkRemove(&b->link);
      break;
    }
  }
  if (!b) {
    b = CreateBuffer(s, std::max(vertexCapacity, needVertices), std::max(indexCapacity, needIndices));
    if (!b) return nullptr;
  }
  Lock(b);
  if (SPPD_VBUFFER* previous = e->pCurrent) {
    previous->pLockBase = previous->pCursor = nullptr;
    if (list->pfnBufferReplaced) list->pfnBufferReplaced(e, previous);
  } else {
    SPPD_LinkAppend(&list->active, &e->link);
  }
  SPPD_LinkAppend(&e->pending, &b->link);
  e->pCurrent = b;
  if (list->pfnNewBuffer) list->pfnNewBuffer(e, b);
  b->wSerial = g_serial++;
  return b;
}

SPPD_VBUFFER* SPPD_BatchRoom(SPPD_DRIVERSTATE* s, SPPD_BATCHLIST* list, uint32_t textureId,
                             uint32_t n, uint32_t needIndices, uint32_t vertexCapacity,
                             uint32_t indexCapacity) {
  if (n > SPPD_BATCH_MAX_POLYGON) {
    PLAT_Trace("GFXDRV: a polygon of %u vertices is more than a batch can index\n", n);
    return nullptr;
  }
  SPPD_BATCHENTRY* e = SPPD_BatchEntry(list, textureId);
  if (!e) return nullptr;
  SPPD_VBUFFER* b = e->pCurrent;
  if (SPPD_BatchHasRoom(b, n, needIndices)) return b;
  b = SPPD_BatchGetBuffer(e, vertexCapacity, indexCapacity, n, needIndices);
  if (!b) {
    SPPD_BatchFlushLists(s, true);
    b = SPPD_BatchGetBuffer(e, vertexCapacity, indexCapacity, n, needIndices);
  }
  return b;
}

bool SPPD_BatchAppendFanSlow(SPPD_DRIVERSTATE* s, SPPD_BATCHLIST* list, uint32_t textureId,
                             const SPPD_TLVERTEX* v, uint32_t n, uint32_t vertexCapacity,
                             uint32_t indexCapacity) {
  if (n == 0) return true;
  SPPD_VBUFFER* b = SPPD_BatchRoom(s, list, textureId, n, n >= 3 ? 3 * (n - 2) : 0,
                                   vertexCapacity, indexCapacity);
  if (!b) return false;
  SPPD_BatchWriteFan(b, v, n);
  return true;
}

void SPPD_BatchBeginScene(SPPD_DRIVERSTATE* s) {
  if (s) ForEachList(s, &SPPD_BATCHLIST::pfnBeginScene);
}

void SPPD_BatchEndScene(SPPD_DRIVERSTATE* s) {
  if (!s || SPPD_LinkUnset(&s->lhUsedBuffers)) return;
  SPPD_LinkMoveAll(&s->lhFreeBuffers, &s->lhUsedBuffers);
  ForEachList(s, &SPPD_BATCHLIST::pfnEndScene);
}
