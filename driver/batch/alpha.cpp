// Alpha blocks, depth buckets and the far-to-near flush, one draw per run of polygons that
// share a texture.
#include "driver/batch/alpha.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "driver/batch/texlookup.h"
#include "driver/device/frame.h"
#include "driver/core/pools.h"
#include "driver/device/renderstate.h"
#include "platform/trace.h"

namespace {

uint32_t CarveSize(uint32_t count) {
  uint32_t size = static_cast<uint32_t>(offsetof(SPPD_ALPHAPOLY, v)) + count * sizeof(SPPD_TLVERTEX);
  return (size + 7u) & ~7u;
}

SPPD_ALPHABLOCK* TakeBlock(SPPD_DRIVERSTATE* s) {
  if (SPPD_ALPHABLOCK* block = SPPD_LinkFirst<SPPD_ALPHABLOCK>(&s->lhFreeAlphaBlocks)) {
    SPPD_LinkRemove(&block->link);
    return block;
  }
  ++SPPD_GetFrameCounters()->dwAlphaBlocks;
  auto* block = static_cast<SPPD_ALPHABLOCK*>(SPPD_PoolAlloc(s->pGeneralPool, sizeof(SPPD_ALPHABLOCK)));
  if (!block) {
    PLAT_Trace("GFXDRV: no alpha block: the general pool is full\n");
    return nullptr;
  }
  SPPD_LinkInit(&block->link);
  return block;
}

// Consecutive polygons that share the bound texture, gathered far to near into one indexed
// triangle list: the device draws a call's triangles in the order given, so one call per run
// blends as one call per polygon did.
constexpr uint32_t kRunVertices = 4096;
constexpr uint32_t kRunIndices = 3 * kRunVertices;
static_assert(SPPD_ALPHA_MAX_VERTICES <= kRunVertices, "every polygon fits an empty run");

struct AlphaRun {
  SPPD_DRIVERSTATE* state;
  PLAT_GfxDevice* device;  // none: nothing is drawn, polygons are still counted
  bool wireframe;
  bool boundNone;        // wireframe: the texture was unbound once
  int64_t texture = -1;  // the texture bound for the run, -1 none yet
  uint32_t vertices = 0;
  uint32_t indices = 0;
};

// The run's storage: the driver draws on the main thread only.
PLAT_GfxVertex g_runVertices[kRunVertices];
uint16_t g_runIndices[kRunIndices];

void DrawRun(AlphaRun* run) {
  if (run->indices && run->device)
    PLAT_GfxDrawIndexed(run->device, PLAT_GfxPrimitive::TriangleList, g_runVertices,
                        static_cast<int>(run->vertices), g_runIndices,
                        static_cast<int>(run->indices));
  run->vertices = run->indices = 0;
}

void AddPolygon(AlphaRun* run, const SPPD_ALPHAPOLY* p) {
  PLAT_GfxDevice* d = run->device;
  if (run->wireframe) {
    if (!run->boundNone && d) PLAT_GfxSetTexture(d, 0, nullptr);
    run->boundNone = true;
  } else if (p->dwTextureId != run->texture) {
    // A texture change ends the run: what was gathered is drawn with the texture it had.
    DrawRun(run);
    if (d) PLAT_GfxSetTexture(d, 0, SPPD_BatchTextureForDraw(run->state, p->dwTextureId));
    run->texture = p->dwTextureId;
  }
  ++SPPD_GetFrameCounters()->dwAlphaPolygons;
  const uint32_t n = p->dwCount;
  if (n < 3) return;  // a fan of fewer than three vertices draws nothing
  const uint32_t needIndices = 3 * (n - 2);
  if (run->vertices + n > kRunVertices || run->indices + needIndices > kRunIndices) DrawRun(run);
  static_assert(sizeof(SPPD_TLVERTEX) == sizeof(PLAT_GfxVertex));
  std::memcpy(static_cast<void*>(g_runVertices + run->vertices), p->v, n * sizeof(PLAT_GfxVertex));
  const uint32_t first = run->vertices;
  uint16_t* idx = g_runIndices + run->indices;
  for (uint32_t i = 1; i + 1 < n; ++i) {
    *idx++ = static_cast<uint16_t>(first);
    *idx++ = static_cast<uint16_t>(first + i);
    *idx++ = static_cast<uint16_t>(first + i + 1);
  }
  run->vertices += n;
  run->indices += needIndices;
}

}  // namespace

SPPD_ALPHAPOLY* SPPD_AlphaCarve(SPPD_BATCHLIST* list, uint32_t count) {
  if (count > SPPD_ALPHA_MAX_VERTICES) {
    PLAT_Trace("GFXDRV: an alpha polygon of %u vertices is larger than a block\n", count);
    return nullptr;
  }
  uint32_t size = CarveSize(count);
  SPPD_ALPHABLOCK* block = nullptr;
  if (SPPD_ALPHABLOCK* newest = SPPD_LinkFirst<SPPD_ALPHABLOCK>(&list->alphaBlocks)) {
    if (newest->dwUsed + size <= newest->dwSize)
      block = newest;
  }
  if (!block) {
    // Older blocks with room left are not revisited: carving stays a pointer bump.
    block = TakeBlock(list->pOwner);
    if (!block) return nullptr;
    block->dwSize = SPPD_ALPHABLOCK_PAYLOAD;
    block->dwUsed = 0;
    SPPD_LinkPrepend(&list->alphaBlocks, &block->link);
  }
  auto* poly = reinterpret_cast<SPPD_ALPHAPOLY*>(block->data + block->dwUsed);
  block->dwUsed += size;
  SPPD_LinkInit(&poly->link);
  poly->dwCount = count;
  return poly;
}

uint32_t SPPD_AlphaBucket(float depth) {
  float index = std::nearbyint(static_cast<float>(SPPD_ALPHA_BUCKETS) * depth);
  // Nearer than the near distance (or no depth at all) files into the nearest bucket.
  if (!(index >= 0.0f)) return 0;
  if (index >= static_cast<float>(SPPD_ALPHA_BUCKETS)) return SPPD_ALPHA_BUCKETS - 1;
  return static_cast<uint32_t>(index);
}

void SPPD_AlphaFile(SPPD_BATCHLIST* list, SPPD_ALPHAPOLY* poly) {
  if (std::isnan(poly->fDepth)) poly->fDepth = 0.0f;
  const uint32_t index = SPPD_AlphaBucket(poly->fDepth);
  SPPD_BATCHENTRY* bucket = SPPD_BatchEntry(list, index);
  if (!bucket) return;
  list->aqwFilledBuckets[index / 64] |= 1ull << (index % 64);
  // Farthest first; a polygon goes after those of equal depth, so they keep arrival order.
  SPPD_LISTHEAD* pos = &bucket->bucket;
  for (SPPD_ALPHAPOLY* other : SPPD_LinkRecords<SPPD_ALPHAPOLY>(&bucket->bucket)) {
    if (other->fDepth < poly->fDepth) {
      pos = &other->link;
      break;
    }
  }
  SPPD_LinkInsertBefore(pos, &poly->link);
}

void SPPD_AlphaFlush(SPPD_BATCHLIST* list, bool draw) {
  SPPD_DRIVERSTATE* s = list->pOwner;
  if (list->pfnApplyStates) list->pfnApplyStates(list);
  if (list->pfnAfterStates) list->pfnAfterStates(list);
  const bool drawing = draw && list->dwEnabled;
  AlphaRun run{s, s->pGfx, (SPPD_CurrentRenderState()->rs.dwMask & SPPD_RS_WIREFRAME) != 0, false};
  // Farthest first: the filled buckets from the highest bit of the last word down.
  for (uint32_t w = SPPD_ALPHA_BUCKETS / 64; w-- > 0;) {
    for (uint64_t bits = list->aqwFilledBuckets[w]; bits;) {
      const uint32_t top = 63u - static_cast<uint32_t>(std::countl_zero(bits));
      bits &= ~(1ull << top);
      SPPD_BATCHENTRY* bucket = SPPD_BatchEntry(list, w * 64 + top);
      if (drawing)
        for (const SPPD_ALPHAPOLY* p : SPPD_LinkRecords<SPPD_ALPHAPOLY>(&bucket->bucket))
          AddPolygon(&run, p);
      SPPD_LinkInit(&bucket->bucket);  // the polygons die with their block's reuse
    }
    list->aqwFilledBuckets[w] = 0;
  }
  DrawRun(&run);
  SPPD_LinkMoveAll(&s->lhFreeAlphaBlocks, &list->alphaBlocks);
}

void SPPD_AlphaFlushLists(SPPD_DRIVERSTATE* s) {
  if (SPPD_LinkUnset(&s->lhBatchLists)) return;
  for (SPPD_BATCHLIST* list : SPPD_LinkRecords<SPPD_BATCHLIST>(&s->lhBatchLists))
    if (list->dwFlags & SPPD_BATCH_ALPHA_SORTED) SPPD_AlphaFlush(list, true);
}
