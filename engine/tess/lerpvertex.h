#pragma once
// Cutting SPPD_VERTEX polygons to a boundary in the ground plane, as the decals on items and
// the terrain overlays are cut to the triangles beneath them.
#include <cstdint>

#include "engine/driver/sppd.h"
#include "engine/math/polyclip.h"

// The point a fraction t of the way from a to b, every field of the vertex with it (the colour
// per byte, rounded).

inline SPPD_VERTEX SPW_LerpVertex(const SPPD_VERTEX& a, const SPPD_VERTEX& b, float t) {
  SPPD_VERTEX v = a;
  v.x = a.x + (b.x - a.x) * t;
  v.y = a.y + (b.y - a.y) * t;
  v.z = a.z + (b.z - a.z) * t;
  v.u = a.u + (b.u - a.u) * t;
  v.v = a.v + (b.v - a.v) * t;
  uint32_t colour = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const float ca = static_cast<float>((a.dwColour >> shift) & 0xFFu);
    const float cb = static_cast<float>((b.dwColour >> shift) & 0xFFu);
    colour |= static_cast<uint32_t>(ca + (cb - ca) * t + 0.5f) << shift;
  }
  v.dwColour = colour;
  return v;
}

// SPW_ClipPolygonToBoundary over SPPD_VERTEX polygons, every field cut with the edge.
template <typename P>
SPPD_VERTEX* SPW_ClipVerticesToBoundary(SPPD_VERTEX* work, SPPD_VERTEX* spare, uint32_t capacity,
                                        uint32_t* count, const P* boundary, uint32_t edges) {
  return SPW_ClipPolygonToBoundary(
      work, spare, capacity, count, boundary, edges,
      [](const SPPD_VERTEX& a, const SPPD_VERTEX& b, float t, SPPD_VERTEX& out) {
        out = SPW_LerpVertex(a, b, t);
        return true;
      });
}
