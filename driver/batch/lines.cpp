// Line exports: clipped against every plane, drawn at once inside a scene, else queued for
// the end of the next one.
#include "driver/batch/lists.h"
#include "driver/batch/primitive.h"
#include "driver/core/block.h"
#include "driver/batch/clip.h"
#include "driver/device/frame.h"
#include "driver/core/pools.h"
#include "driver/device/renderstate.h"
#include "platform/trace.h"

namespace {

constexpr uint32_t kAllPlanes = 0xFFFFFFFFu;

// Row vector times the matrix, translation in the last row.
void TransformPoint(const float* m, const float* p, float* out) {
  for (int c = 0; c < 3; ++c) out[c] = p[0] * m[c] + p[1] * m[4 + c] + p[2] * m[8 + c] + m[12 + c];
}

int32_t Line(SPW_DISPLAY* display, const float* a, const float* b, const uint32_t* colourA,
             const uint32_t* colourB, bool viewSpace, const char* where) {
  SPPD_DRIVERSTATE* s = SPPD_GetDriverState(display);
  if (!s || !a || !b || !colourA) {
    PLAT_Trace("GFXDRV: %s: no driver block, end point or colour\n", where);
    return SPPD_FAIL;
  }
  float pa[3] = {a[0], a[1], a[2]}, pb[3] = {b[0], b[1], b[2]};
  if (!viewSpace) {
    const float* m = SPPD_CurrentRenderState()->fViewMatrix;
    TransformPoint(m, a, pa);
    TransformPoint(m, b, pb);
  }
  uint32_t colours[2] = {*colourA, colourB ? *colourB : *colourA};
  const float* ends = SPPD_ClipLine(SPPD_ClipPlanesOfState(), pa, pb, kAllPlanes,
                                    colourB ? SPPD_CLIP_COLOURS : 0, colours[0], colours[1], colours);
  if (!ends) return 0;
  SPPD_TLVERTEX v[2];
  for (int i = 0; i < 2; ++i) {
    SPPD_VIEWVERTEX view{colours[i], ends[3 * i], ends[3 * i + 1], ends[3 * i + 2], 0.0f, 0.0f};
    SPPD_PrimProject(view, &v[i]);
  }
  if (s->fInScene && s->pGfx) {
    if (!viewSpace) {
      PLAT_GfxSetState(s->pGfx, PLAT_GfxState::SrcBlend, PLAT_GFX_BLEND_ONE);
      PLAT_GfxSetState(s->pGfx, PLAT_GfxState::DestBlend, PLAT_GFX_BLEND_ZERO);
      PLAT_GfxSetState(s->pGfx, PLAT_GfxState::ZBias, 2);
    }
    PLAT_GfxSetTexture(s->pGfx, 0, nullptr);
    PLAT_GfxVertex dv[2];
    for (int i = 0; i < 2; ++i)
      dv[i] = {v[i].sx, v[i].sy, v[i].sz, v[i].rhw, v[i].dwDiffuse, v[i].dwSpecular, 0.0f, 0.0f};
    PLAT_GfxDraw(s->pGfx, PLAT_GfxPrimitive::LineStrip, dv, 2);
    return SPPD_OK;
  }
  if (!s->pGeneralPool || SPPD_LinkUnset(&s->lhQueuedLines)) return SPPD_OK;
  auto* line = static_cast<SPPD_QUEUEDLINE*>(SPPD_PoolAlloc(s->pGeneralPool, sizeof(SPPD_QUEUEDLINE)));
  if (!line) return SPPD_OK;  // dropped, as a full pool drops any primitive
  line->v[0] = v[0];
  line->v[1] = v[1];
  SPPD_LinkAppend(&s->lhQueuedLines, &line->link);
  return SPPD_OK;
}

}  // namespace

int32_t SPPD_RenderLine(SPW_DISPLAY* display, const float* a, const float* b,
                        const uint32_t* colourA, const uint32_t* colourB) {
  return Line(display, a, b, colourA, colourB, false, "SPPD_RenderLine");
}

int32_t SPPD_RenderLineV(SPW_DISPLAY* display, const float* a, const float* b,
                         const uint32_t* colourA, const uint32_t* colourB) {
  return Line(display, a, b, colourA, colourB, true, "SPPD_RenderLineV");
}
