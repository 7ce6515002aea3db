// Alpha blocks, depth buckets and the far-to-near flush.
#include "driver/batch/alpha.h"

#include <cmath>

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

void DrawBucket(SPPD_DRIVERSTATE* s, SPPD_BATCHENTRY* bucket, int64_t* lastTexture) {
  bool wireframe = SPPD_CurrentRenderState()->rs.dwMask & SPPD_RS_WIREFRAME;
  PLAT_GfxDevice* d = s->pGfx;
  if (wireframe && d) PLAT_GfxSetTexture(d, 0, nullptr);
  SPPD_FRAMECOUNTERS* counters = SPPD_GetFrameCounters();
  for (SPPD_ALPHAPOLY* p : SPPD_LinkRecords<SPPD_ALPHAPOLY>(&bucket->bucket)) {
    if (!wireframe && p->dwTextureId != *lastTexture) {
      if (d) PLAT_GfxSetTexture(d, 0, SPPD_BatchTextureForDraw(s, p->dwTextureId));
      *lastTexture = p->dwTextureId;
    }
    ++counters->dwAlphaPolygons;
    static_assert(sizeof(SPPD_TLVERTEX) == sizeof(PLAT_GfxVertex));
    if (d)
      PLAT_GfxDraw(d, PLAT_GfxPrimitive::TriangleFan, reinterpret_cast<const PLAT_GfxVertex*>(p->v),
                   static_cast<int>(p->dwCount));
  }
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
    if (static_cast<uint32_t>(newest->dwUsed) + size <= static_cast<uint32_t>(newest->dwSize))
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
  block->dwUsed += static_cast<int32_t>(size);
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
  SPPD_BATCHENTRY* bucket = SPPD_BatchEntry(list, SPPD_AlphaBucket(poly->fDepth));
  if (!bucket) return;
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
  if (list->pfnStates) list->pfnStates(list);
  if (list->pfnAfterStates) list->pfnAfterStates(list);
  int64_t lastTexture = -1;
  for (int32_t i = SPPD_ALPHA_BUCKETS - 1; i >= 0; --i) {
    SPPD_BATCHENTRY* bucket = SPPD_BatchEntry(list, static_cast<uint32_t>(i));
    if (SPPD_LinkEmpty(&bucket->bucket)) continue;
    if (draw && list->fEnabled) DrawBucket(s, bucket, &lastTexture);
    SPPD_LinkInit(&bucket->bucket);  // the polygons die with their block's reuse
  }
  SPPD_LinkMoveAll(&s->lhFreeAlphaBlocks, &list->alphaBlocks);
}

void SPPD_AlphaFlushLists(SPPD_DRIVERSTATE* s) {
  if (SPPD_LinkUnset(&s->lhBatchLists)) return;
  for (SPPD_BATCHLIST* list : SPPD_LinkRecords<SPPD_BATCHLIST>(&s->lhBatchLists))
    if (list->dwFlags & SPPD_BATCH_ALPHA_SORTED) SPPD_AlphaFlush(list, true);
}
