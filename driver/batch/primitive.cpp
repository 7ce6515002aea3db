// Reading, clipping, projecting and fogging the vertices of the primitives.
#include "driver/batch/primitive.h"

#include <cmath>
#include <cstring>

#include "driver/batch/clip.h"
#include "driver/device/renderstate.h"
#include "platform/trace.h"

SPPD_SCRATCH SPPD_Scratch;

namespace {

void ReadVertex(const uint8_t* p, SPPD_VIEWVERTEX* out, bool hasPair) {
  std::memcpy(&out->dwColour, p + 4, 4);
  std::memcpy(&out->x, p + 8, 4);
  std::memcpy(&out->y, p + 12, 4);
  std::memcpy(&out->z, p + 16, 4);
  out->u = out->v = 0.0f;
  if (hasPair) {
    std::memcpy(&out->u, p + 20, 4);
    std::memcpy(&out->v, p + 24, 4);
  }
}

}  // namespace

uint32_t SPPD_PrimGather(const char* where, const SPPD_VERTEX* vertices, uint32_t n,
                         int32_t pairs, uint32_t clipMask, SPPD_VIEWVERTEX* out) {
  if (n == 0) return 0;
  if (!vertices || pairs < 0 || pairs > SPPD_PRIM_MAX_PAIRS || n > SPPD_PRIM_MAX_VERTICES) {
    PLAT_Trace("GFXDRV: %s: refused %u vertices with %d pairs at %p\n", where, n, pairs,
               static_cast<const void*>(vertices));
    return 0;
  }
  const auto* base = reinterpret_cast<const uint8_t*>(vertices);
  const uint32_t stride = SPPD_ClipVertexStride(pairs);
  if (!clipMask) {
    for (uint32_t i = 0; i < n; ++i) ReadVertex(base + i * stride, &out[i], pairs > 0);
    return n;
  }
  uint32_t count = n;
  const uint8_t* const* refs =
      SPPD_ClipPolygon(SPPD_ClipPlanesOfState(), vertices, pairs, &count, clipMask, SPPD_CLIP_COLOURS);
  // What a plane leaves of a polygon may be an edge or a point: nothing to draw.
  if (!refs || count < 3 || count > SPPD_PRIM_MAX_VERTICES) return 0;
  for (uint32_t i = 0; i < count; ++i) ReadVertex(refs[i], &out[i], pairs > 0);
  return count;
}

void SPPD_PrimProject(const SPPD_VIEWVERTEX& in, SPPD_TLVERTEX* out) {
  const SPPD_SYSTEMRENDERSTATE* a = SPPD_CurrentRenderState();
  float rhw = -1.0f / in.z;
  out->sx = a->rs.fScaleX * in.x * rhw + a->rs.fCentreX;
  out->sy = a->rs.fScaleY * in.y * rhw + a->rs.fCentreY;
  out->sz = a->fDepthOffset - a->fDepthFactor * rhw;
  out->rhw = rhw;
  out->dwDiffuse = in.dwColour;
  out->dwSpecular = SPPD_SPECULAR_NO_FOG;
  out->tu = in.u;
  out->tv = in.v;
}

uint32_t SPPD_PrimFogSpecular(float sz) {
  if (sz <= 0.997f) return SPPD_SPECULAR_NO_FOG;
  float f = (1.0f - sz) * 84999.40625f;
  // Beyond the far plane the factor turns negative: no fog factor goes below full fog.
  uint32_t fog = !(f > 0.0f) ? 0u : f >= 255.0f ? 255u : static_cast<uint32_t>(f);
  return fog << 24;
}

float SPPD_PrimAlphaDepth(const SPPD_VIEWVERTEX* v, uint32_t n) {
  if (n == 0) return 0.0f;
  const SPPD_RENDERSTATEWORDS& rs = SPPD_CurrentRenderState()->rs;
  float sum = 0.0f;
  for (uint32_t i = 0; i < n; ++i) sum -= v[i].z;
  float span = rs.fFar - rs.fNear;
  float depth = (sum / static_cast<float>(n) - rs.fNear) * (1.0f / span);
  return std::isfinite(depth) ? depth : 0.0f;
}

uint32_t SPPD_PrimClampByte(float value) {
  float r = std::nearbyint(value);
  if (!(r > 0.0f)) return 0;
  return r >= 255.0f ? 255u : static_cast<uint32_t>(r);
}
