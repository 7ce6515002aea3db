// Clipping a decal polygon to a patch cell or an item triangle in the ground plane.
#include <vector>

#include "engine/tess/lerpvertex.h"
#include "engine/tess/tess.h"
#include "platform/trace.h"

int32_t SPW_TessClipPolygon(const SPPD_VERTEX* in, int32_t count, const SPW_VECTOR* boundary,
                            int32_t edges, SPPD_VERTEX* out, int32_t maxOut) {
  if (edges > SPW_TESS_MAX_EDGES) {
    PLAT_Trace("Cannot tessellate against a boundary of %d (max=%d)\n", edges, SPW_TESS_MAX_EDGES);
    return 0;
  }
  if (!in || !boundary || !out || count < 3 || edges < 3) return 0;
  // The winding of the boundary says which side of each edge is inside.
  float area = 0.0f;
  for (int32_t i = 0; i < edges; ++i) {
    const SPW_VECTOR& a = boundary[i];
    const SPW_VECTOR& b = boundary[(i + 1) % edges];
    area += a.x * b.y - b.x * a.y;
  }
  const float sign = area < 0.0f ? -1.0f : 1.0f;
  std::vector<SPPD_VERTEX> poly(in, in + count), next;
  for (int32_t e = 0; e < edges && !poly.empty(); ++e) {
    const SPW_VECTOR& a = boundary[e];
    const SPW_VECTOR& b = boundary[(e + 1) % edges];
    auto side = [&](const SPPD_VERTEX& p) {
      return sign * ((b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x));
    };
    next.clear();
    for (size_t i = 0; i < poly.size(); ++i) {
      const SPPD_VERTEX& p = poly[i];
      const SPPD_VERTEX& q = poly[(i + 1) % poly.size()];
      const float sp = side(p), sq = side(q);
      if (sp >= 0.0f) next.push_back(p);
      if ((sp >= 0.0f) != (sq >= 0.0f)) next.push_back(SPW_LerpVertex(p, q, sp / (sp - sq)));
    }
    poly.swap(next);
  }
  if (poly.size() < 3) return 0;
  const int32_t n = static_cast<int32_t>(poly.size()) < maxOut ? static_cast<int32_t>(poly.size()) : maxOut;
  for (int32_t i = 0; i < n; ++i) out[i] = poly[static_cast<size_t>(i)];
  return n;
}
