// Clipping a decal polygon to a patch cell or an item triangle in the ground plane.
#include <algorithm>

#include "engine/tess/lerpvertex.h"
#include "engine/tess/tess.h"
#include "platform/trace.h"

namespace {

// A convex polygon gains at most one point an edge.
constexpr uint32_t kCapacity = SPW_TESS_CLIP_MAX_POINTS + SPW_TESS_MAX_EDGES;

}  // namespace

int32_t SPW_TessClipPolygon(const SPPD_VERTEX* in, int32_t count, const SPW_VECTOR* boundary,
                            int32_t edges, SPPD_VERTEX* out, int32_t maxOut) {
  if (edges > SPW_TESS_MAX_EDGES) {
    PLAT_Trace("Cannot tessellate against a boundary of %d (max=%d)\n", edges, SPW_TESS_MAX_EDGES);
    return 0;
  }
  if (!in || !boundary || !out || count < 3 || edges < 3 || maxOut < 3) return 0;
  if (count > SPW_TESS_CLIP_MAX_POINTS) {
    PLAT_Trace("SPW_TessClipPolygon: a polygon of %d points (max=%d)\n", count,
               SPW_TESS_CLIP_MAX_POINTS);
    return 0;
  }
  SPPD_VERTEX work[kCapacity], spare[kCapacity];
  std::copy(in, in + count, work);
  auto n = static_cast<uint32_t>(count);
  const SPPD_VERTEX* poly = SPW_ClipVerticesToBoundary(work, spare, kCapacity, &n, boundary,
                                                       static_cast<uint32_t>(edges));
  if (!poly) return 0;
  n = std::min(n, static_cast<uint32_t>(maxOut));
  std::copy(poly, poly + n, out);
  return static_cast<int32_t>(n);
}
