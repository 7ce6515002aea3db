// Drawing the batch lists: state sets, one texture bind and one indexed draw per buffer.
#include <cmath>

#include "driver/batch/lists.h"
#include "driver/batch/texlookup.h"
#include "driver/device/frame.h"
#include "driver/device/renderstate.h"
#include "engine/math/argb.h"

namespace {

using G = PLAT_GfxState;
using T = PLAT_GfxStageState;

bool Wireframe() { return SPPD_CurrentRenderState()->rs.dwMask & SPPD_RS_WIREFRAME; }

// Each colour byte squared on a 0..1 scale; the alpha byte carries no meaning.
uint32_t SquaredFogColour(uint32_t argb) {
  return SPW_ArgbMap(argb, [](uint32_t byte) {
    float c = static_cast<float>(byte) * (1.0f / 255.0f);
    return static_cast<uint32_t>(std::lrint(c * c * 255.0f));
  });
}

struct StateSet {
  uint32_t src, dest, address, minFilter, magFilter, mipFilter, zWrite, zBias;
};
constexpr uint32_t L = PLAT_GFX_TEXF_LINEAR;
constexpr StateSet kSets[SPPD_STATESET_HUD + 1] = {
    {PLAT_GFX_BLEND_ONE, PLAT_GFX_BLEND_ZERO, PLAT_GFX_ADDRESS_CLAMP, L, L, L, 1, 0},
    {PLAT_GFX_BLEND_ONE, PLAT_GFX_BLEND_ZERO, PLAT_GFX_ADDRESS_CLAMP, L, L, L, 1, 0},
    {PLAT_GFX_BLEND_ONE, PLAT_GFX_BLEND_ONE, PLAT_GFX_ADDRESS_CLAMP, L, L, L, 0, 1},
    {PLAT_GFX_BLEND_ONE, PLAT_GFX_BLEND_ONE, PLAT_GFX_ADDRESS_CLAMP, L, L, L, 0, 16},
    {},
    {},
    {0, 0, PLAT_GFX_ADDRESS_WRAP, L, L, L, 1, 0},
    {PLAT_GFX_BLEND_SRCALPHA, PLAT_GFX_BLEND_INVSRCALPHA, PLAT_GFX_ADDRESS_WRAP, L, L, L, 0, 15},
    {PLAT_GFX_BLEND_SRCALPHA, PLAT_GFX_BLEND_INVSRCALPHA, PLAT_GFX_ADDRESS_CLAMP,
     PLAT_GFX_TEXF_POINT, PLAT_GFX_TEXF_POINT, PLAT_GFX_TEXF_NONE, 1, 0},
};

void BindEntryTexture(SPPD_DRIVERSTATE* s, uint32_t id) {
  if (Wireframe()) {
    SPPD_BatchTextureComplete(s, id);
    PLAT_GfxSetTexture(s->pGfx, 0, nullptr);
    return;
  }
  PLAT_GfxSetTexture(s->pGfx, 0, SPPD_BatchTextureForDraw(s, id));
}

void ReturnToPool(SPPD_DRIVERSTATE* s, SPPD_VBUFFER* b) {
  SPPD_LinkRemove(&b->link);
  b->dwVerticesUsed = b->dwIndicesUsed = 0;
  SPPD_LinkAppend(&s->lhFreeBuffers, &b->link);
}

// The current buffer is unlocked; one that received no triangles goes straight back.
void ReleaseCurrent(SPPD_DRIVERSTATE* s, SPPD_BATCHENTRY* e) {
  SPPD_VBUFFER* b = e->pCurrent;
  e->pCurrent = nullptr;
  b->pLockBase = b->pCursor = nullptr;
  if (b->dwIndicesUsed == 0) ReturnToPool(s, b);
}

void DrawEntry(SPPD_BATCHENTRY* e) {
  if (!e->pCurrent) return;
  SPPD_DRIVERSTATE* s = e->pList->pOwner;
  ReleaseCurrent(s, e);
  if (SPPD_LinkEmpty(&e->pending)) return;
  if (s->pGfx) BindEntryTexture(s, e->dwId);
  SPPD_FRAMECOUNTERS* counters = SPPD_GetFrameCounters();
  while (SPPD_VBUFFER* b = SPPD_LinkFirst<SPPD_VBUFFER>(&e->pending)) {
    counters->dwOpaqueTriangles += b->dwIndicesUsed / 3;
    SPPD_LinkRemove(&b->link);
    if (s->pGfx)
      PLAT_GfxDrawIndexed(s->pGfx, PLAT_GfxPrimitive::TriangleList, b->pVertices,
                          static_cast<int>(b->dwVerticesUsed), b->pIndices,
                          static_cast<int>(b->dwIndicesUsed));
    b->dwVerticesUsed = b->dwIndicesUsed = 0;
    SPPD_LinkAppend(&s->lhUsedBuffers, &b->link);
  }
}

void DiscardEntry(SPPD_BATCHENTRY* e) {
  SPPD_DRIVERSTATE* s = e->pList->pOwner;
  if (e->pCurrent) ReleaseCurrent(s, e);
  while (SPPD_VBUFFER* b = SPPD_LinkFirst<SPPD_VBUFFER>(&e->pending)) {
    SPPD_LinkRemove(&b->link);
    b->dwVerticesUsed = b->dwIndicesUsed = 0;
    SPPD_LinkAppend(&s->lhUsedBuffers, &b->link);
  }
}

}  // namespace

void SPPD_BatchApplyStates(SPPD_BATCHLIST* list) {
  SPPD_DRIVERSTATE* s = list->pOwner;
  PLAT_GfxDevice* d = s->pGfx;
  if (!d) return;
  const SPPD_SYSTEMRENDERSTATE* rs = SPPD_CurrentRenderState();
  PLAT_GfxSetState(d, G::FillMode, Wireframe() ? PLAT_GFX_FILL_WIREFRAME : PLAT_GFX_FILL_SOLID);
  PLAT_GfxSetState(d, G::CullMode,
                   (list->dwFlags & SPPD_BATCH_CULL_CW) ? PLAT_GFX_CULL_CW : PLAT_GFX_CULL_NONE);
  uint32_t set = list->dwFlags & SPPD_BATCH_STATESET_MASK;
  if (set > SPPD_STATESET_HUD || set == SPPD_STATESET_NONE_4 || set == SPPD_STATESET_NONE_5)
    return;
  StateSet st = kSets[set];
  uint32_t fog = rs->rs.dwFogColour;
  if (set == SPPD_STATESET_OPAQUE_OR_MULTIPLY) {
    SPPD_BATCHLIST* multiply = s->apBatchLists[SPPD_LAYER_MULTIPLY];
    if (multiply && multiply->dwEnabled) st.src = PLAT_GFX_BLEND_DESTCOLOR;
  } else if (set == SPPD_STATESET_FLAG_BLEND) {
    st.src = (list->dwFlags >> SPPD_BATCH_SRCBLEND_SHIFT) & 0xFF;
    st.dest = (list->dwFlags >> SPPD_BATCH_DESTBLEND_SHIFT) & 0xFF;
    fog = SquaredFogColour(fog);
  }
  PLAT_GfxSetState(d, G::SrcBlend, st.src);
  PLAT_GfxSetState(d, G::DestBlend, st.dest);
  PLAT_GfxSetStageState(d, 0, T::AddressU, st.address);
  PLAT_GfxSetStageState(d, 0, T::AddressV, st.address);
  PLAT_GfxSetStageState(d, 0, T::MinFilter, st.minFilter);
  PLAT_GfxSetStageState(d, 0, T::MagFilter, st.magFilter);
  PLAT_GfxSetStageState(d, 0, T::MipFilter, st.mipFilter);
  PLAT_GfxSetState(d, G::ZWriteEnable, st.zWrite);
  PLAT_GfxSetState(d, G::ZBias, st.zBias);
  PLAT_GfxSetStageState(d, 1, T::ColorOp, PLAT_GFX_TOP_DISABLE);
  PLAT_GfxSetStageState(d, 0, T::AlphaOp, PLAT_GFX_TOP_MODULATE);
  PLAT_GfxSetState(d, G::FogColor, fog);
}

void SPPD_BatchDrawWhenFull(SPPD_BATCHENTRY* e, SPPD_VBUFFER* /*previous*/) {
  // Called while the previous buffer is still the entry's current one and before the new one
  // joins it; the entry stays active for the buffer that follows.
  SPPD_BATCHLIST* list = e->pList;
  if (list->dwEnabled) {
    if (list->pfnApplyStates) list->pfnApplyStates(list);
    DrawEntry(e);
  } else {
    DiscardEntry(e);
  }
}

void SPPD_BatchFlushList(SPPD_BATCHLIST* list, bool draw) {
  if (list->pfnApplyStates) list->pfnApplyStates(list);
  if (list->pfnAfterStates) list->pfnAfterStates(list);
  while (SPPD_BATCHENTRY* e = SPPD_LinkFirst<SPPD_BATCHENTRY>(&list->active)) {
    SPPD_LinkRemove(&e->link);
    if (draw && list->dwEnabled)
      DrawEntry(e);
    else
      DiscardEntry(e);
  }
}

void SPPD_BatchFlushLists(SPPD_DRIVERSTATE* s, bool withHud) {
  if (SPPD_LinkUnset(&s->lhBatchLists)) return;
  SPPD_BATCHLIST* hud = s->apBatchLists[SPPD_LAYER_HUD];
  for (SPPD_BATCHLIST* list : SPPD_LinkRecords<SPPD_BATCHLIST>(&s->lhBatchLists)) {
    if (list->dwFlags & SPPD_BATCH_ALPHA_SORTED) continue;
    if (!withHud && list == hud) continue;
    SPPD_BatchFlushList(list, true);
  }
}
