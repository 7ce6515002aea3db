// The polygon exports: each projects (or takes in screen space), fogs and queues a fan into
// the list it feeds, in the driver's working arrays (main thread only).
#include <cmath>

#include "driver/batch/alpha.h"
#include "driver/batch/lists.h"
#include "driver/batch/primitive.h"
#include "driver/batch/texlookup.h"
#include "driver/core/block.h"
#include "driver/device/renderstate.h"
#include "engine/math/argb.h"
#include "platform/trace.h"

namespace {

// This file's names for the driver's working arrays.
SPPD_VIEWVERTEX* const g_view = SPPD_Scratch.view;
SPPD_TLVERTEX* const g_screen = SPPD_Scratch.screen;

constexpr float kFogStart = 0.997f;
constexpr float kAdditiveFade = 333.331f;

SPPD_DRIVERSTATE* StateOf(SPW_DISPLAY* display, const char* where) {
  SPPD_DRIVERSTATE* s = SPPD_GetDriverState(display);
  if (!s || !s->apBatchLists[SPPD_LAYER_ALPHA]) {
    PLAT_Trace("GFXDRV: %s: no display, driver block or batch lists\n", where);
    return nullptr;
  }
  return s;
}

// Projected vertices with the fog rule, or without fog.
void ProjectFogged(uint32_t n, bool fog) {
  for (uint32_t i = 0; i < n; ++i) {
    SPPD_PrimProject(g_view[i], &g_screen[i]);
    if (fog) g_screen[i].dwSpecular = SPPD_PrimFogSpecular(g_screen[i].sz);
  }
}

void FileAlpha(SPPD_DRIVERSTATE* s, uint32_t n, int32_t textureId) {
  if (n == 0) return;
  SPPD_BATCHLIST* list = s->apBatchLists[SPPD_LAYER_ALPHA];
  SPPD_ALPHAPOLY* poly = SPPD_AlphaCarve(list, n);
  if (!poly) return;
  poly->dwTextureId = static_cast<uint32_t>(textureId);
  poly->fDepth = SPPD_PrimAlphaDepth(g_view, n);
  for (uint32_t i = 0; i < n; ++i) poly->v[i] = g_screen[i];
  SPPD_AlphaFile(list, poly);
}

// Each channel, alpha included, scaled and held in a byte.
uint32_t ScaleChannels(uint32_t argb, float factor) {
  return SPW_ArgbMap(
      argb, [factor](uint32_t c) { return SPPD_PrimClampByte(static_cast<float>(c) * factor); },
      true);
}

}  // namespace

int32_t SPPD_RenderFVFPolygon(SPW_DISPLAY* display, const SPPD_VERTEX* v, uint32_t count,
                              int32_t pairs, int32_t textureId, int32_t unused, uint32_t clipMask) {
  SPPD_DRIVERSTATE* s = StateOf(display, "SPPD_RenderFVFPolygon");
  if (!s) return SPPD_FAIL;
  if (SPPD_BatchTextureHasAlpha(s, static_cast<uint32_t>(textureId)))
    return SPPD_RenderFVFPolygonAlpha(display, v, count, pairs, textureId, unused, clipMask);
  uint32_t n = SPPD_PrimGather("SPPD_RenderFVFPolygon", v, count & ~SPPD_VERTEX_NOFOG, pairs,
                               clipMask, g_view);
  ProjectFogged(n, !(count & SPPD_VERTEX_NOFOG));
  SPPD_BatchAppendFan(s, s->apBatchLists[SPPD_LAYER_OPAQUE], static_cast<uint32_t>(textureId),
                      g_screen, n);
  return SPPD_OK;
}

int32_t SPPD_RenderFVFPolygonAlpha(SPW_DISPLAY* display, const SPPD_VERTEX* v, uint32_t count,
                                   int32_t pairs, int32_t textureId, int32_t, uint32_t clipMask) {
  SPPD_DRIVERSTATE* s = StateOf(display, "SPPD_RenderFVFPolygonAlpha");
  if (!s) return SPPD_FAIL;
  uint32_t n = SPPD_PrimGather("SPPD_RenderFVFPolygonAlpha", v, count & ~SPPD_VERTEX_NOFOG,
                               pairs, clipMask, g_view);
  ProjectFogged(n, !(count & SPPD_VERTEX_NOFOG));
  FileAlpha(s, n, textureId);
  return SPPD_OK;
}

int32_t SPPD_RenderFVFPolygonLayer(SPW_DISPLAY* display, int32_t layer, const SPPD_VERTEX* v,
                                   uint32_t count, int32_t pairs, int32_t textureId, int32_t,
                                   uint32_t clipMask) {
  SPPD_DRIVERSTATE* s = StateOf(display, "SPPD_RenderFVFPolygonLayer");
  if (!s) return SPPD_FAIL;
  SPPD_BATCHLIST* list = SPPD_BatchLayer(s, layer);
  // The alpha list is drawn through its buckets only: buffers queued there would never be.
  if (!list || (list->dwFlags & SPPD_BATCH_ALPHA_SORTED)) {
    PLAT_Trace("GFXDRV: SPPD_RenderFVFPolygonLayer: layer %d takes no polygons\n", layer);
    return SPPD_FAIL;
  }
  uint32_t n = SPPD_PrimGather("SPPD_RenderFVFPolygonLayer", v, count & ~SPPD_VERTEX_NOFOG, pairs,
                               clipMask, g_view);
  ProjectFogged(n, false);
  // Pulled toward the viewer so that decals win the depth test over what they lie on.
  uint32_t set = list->dwFlags & SPPD_BATCH_STATESET_MASK;
  float bias = set == SPPD_STATESET_ADDITIVE      ? 0.0003f
               : set == SPPD_STATESET_TRANSLUCENT ? 0.0001f
                                                  : 0.0f;
  if (bias > 0.0f)
    for (uint32_t i = 0; i < n; ++i) g_screen[i].sz = g_screen[i].sz > bias ? g_screen[i].sz - bias : 0.0f;
  SPPD_BatchAppendFan(s, list, static_cast<uint32_t>(textureId), g_screen, n);
  return SPPD_OK;
}

int32_t SPPD_RenderFVFPolygonNearBlend(SPW_DISPLAY* display, const SPPD_VERTEX* v, uint32_t count,
                                       int32_t pairs, int32_t textureId, int32_t, uint32_t clipMask,
                                       float nearDistance, float fade) {
  SPPD_DRIVERSTATE* s = StateOf(display, "SPPD_RenderFVFPolygonNearBlend");
  if (!s) return SPPD_FAIL;
  uint32_t n = SPPD_PrimGather("SPPD_RenderFVFPolygonNearBlend", v, count & ~SPPD_VERTEX_NOFOG,
                               pairs, clipMask, g_view);
  ProjectFogged(n, !(count & SPPD_VERTEX_NOFOG));
  // Measured from the first clip plane's point as the host gave it: the space of the vertices.
  float reference = SPPD_CurrentRenderState()->fPlanePoints[0][2];
  for (uint32_t i = 0; i < n; ++i) {
    if (!(g_view[i].z >= nearDistance)) continue;
    uint32_t c = g_screen[i].dwDiffuse;
    float alpha = static_cast<float>(SPW_ArgbA(c)) * ((g_view[i].z - reference) * fade);
    g_screen[i].dwDiffuse = SPW_ArgbWithAlpha(c, SPPD_PrimClampByte(alpha));
  }
  FileAlpha(s, n, textureId);
  return SPPD_OK;
}

int32_t SPPD_RenderFVFPolygonPhysical(SPW_DISPLAY* display, const SPPD_VERTEX* v, uint32_t count,
                                      int32_t pairs, int32_t textureId) {
  SPPD_DRIVERSTATE* s = StateOf(display, "SPPD_RenderFVFPolygonPhysical");
  if (!s) return SPPD_FAIL;
  uint32_t n = SPPD_PrimGather("SPPD_RenderFVFPolygonPhysical", v, count, pairs, 0, g_view);
  const SPPD_SYSTEMRENDERSTATE* a = SPPD_CurrentRenderState();
  for (uint32_t i = 0; i < n; ++i) {
    const SPPD_VIEWVERTEX& in = g_view[i];
    SPPD_TLVERTEX& out = g_screen[i];
    // Whole pixels, on the device's pixel centres.
    out.sx = std::trunc(in.x) - 0.5f;
    out.sy = std::trunc(in.y) - 0.5f;
    out.rhw = 1.0f / in.z;
    out.sz = a->fDepthOffset - a->fDepthFactor * out.rhw;
    out.dwDiffuse = in.dwColour;
    out.dwSpecular = SPPD_SPECULAR_NO_FOG;
    out.tu = in.u;
    out.tv = in.v;
  }
  SPPD_BatchAppendFan(s, s->apBatchLists[SPPD_LAYER_HUD], static_cast<uint32_t>(textureId),
                      g_screen, n);
  return SPPD_OK;
}

int32_t SPPD_RenderFVFPolygonAdditive(SPW_DISPLAY* display, const SPPD_VERTEX* v, uint32_t count,
                                      int32_t pairs, int32_t textureId, int32_t, uint32_t clipMask) {
  SPPD_DRIVERSTATE* s = StateOf(display, "SPPD_RenderFVFPolygonAdditive");
  if (!s) return SPPD_FAIL;
  uint32_t n = SPPD_PrimGather("SPPD_RenderFVFPolygonAdditive", v, count & ~SPPD_VERTEX_NOFOG,
                               pairs, clipMask, g_view);
  ProjectFogged(n, false);
  // Additive light fades out toward the far plane instead of being fogged.
  for (uint32_t i = 0; i < n; ++i) {
    float sz = g_screen[i].sz;
    if (sz > kFogStart) g_screen[i].dwDiffuse = ScaleChannels(g_screen[i].dwDiffuse, (1.0f - sz) * kAdditiveFade);
  }
  SPPD_BatchAppendFan(s, s->apBatchLists[SPPD_LAYER_ADDITIVE], static_cast<uint32_t>(textureId),
                      g_screen, n);
  return SPPD_OK;
}
