#pragma once
// Sutherland-Hodgman clipping of a polygon of any vertex record: the driver cuts against its
// user planes, decals and terrain overlays are cut to the triangles they lie on. The clipper
// owns no memory: it passes the polygon between two lists of the caller's.
#include <bit>
#include <cstdint>
#include <utility>

// Clips the polygon of *count vertices in `work` against each plane whose bit is set in
// `planes` (bit i: plane i, lowest first). distance(i, v) is v's signed distance from plane i,
// inside when >= 0; cut(from, to, t, out) makes the vertex t of the way from `from` to `to`, or
// returns false when it cannot (the clip fails). A vertex lying on a plane is kept once: no cut
// is made at it. Both lists hold `capacity` vertices. Returns the list holding the result with
// *count, which is 0 when fewer than 3 vertices are left; null with *count 0 when a list would
// overflow or a cut fails.
template <typename V, typename Distance, typename Cut>
V* SPW_ClipPolygon(V* work, V* spare, uint32_t capacity, uint32_t* count, uint32_t planes,
                   Distance&& distance, Cut&& cut) {
  uint32_t n = *count;
  for (uint32_t rest = planes; rest != 0 && n >= 3; rest &= rest - 1) {
    const int plane = std::countr_zero(rest);
    uint32_t m = 0;
    const V* prev = &work[n - 1];
    float dPrev = distance(plane, *prev);
    for (uint32_t i = 0; i < n; ++i) {
      const V& cur = work[i];
      const float dCur = distance(plane, cur);
      const bool crosses = (dPrev > 0.0f && dCur < 0.0f) || (dPrev < 0.0f && dCur > 0.0f);
      if (crosses && (m >= capacity || !cut(*prev, cur, dPrev / (dPrev - dCur), spare[m++]))) {
        *count = 0;
        return nullptr;
      }
      if (dCur >= 0.0f) {
        if (m >= capacity) {
          *count = 0;
          return nullptr;
        }
        spare[m++] = cur;
      }
      prev = &cur;
      dPrev = dCur;
    }
    std::swap(work, spare);
    n = m;
  }
  *count = n >= 3 ? n : 0;
  return work;
}

// Twice the signed area of a polygon's outline in the xy plane: positive counter-clockwise.
template <typename P>
float SPW_TwiceAreaXY(const P* p, uint32_t n) {
  float area = 0.0f;
  for (uint32_t i = 0; i < n; ++i) {
    const P& a = p[i];
    const P& b = p[(i + 1) % n];
    area += a.x * b.y - b.x * a.y;
  }
  return area;
}

// The same against the inside of a convex boundary in the xy plane: `edges` points (x, y) of
// either winding, at most 32, plane i being the edge from point i to the next.
template <typename V, typename P, typename Cut>
V* SPW_ClipPolygonToBoundary(V* work, V* spare, uint32_t capacity, uint32_t* count,
                             const P* boundary, uint32_t edges, Cut&& cut) {
  if (edges > 32) {
    *count = 0;
    return nullptr;
  }
  // The winding says which side of each edge is inside.
  const float sign = SPW_TwiceAreaXY(boundary, edges) < 0.0f ? -1.0f : 1.0f;
  auto side = [&](int e, const V& p) {
    const P& a = boundary[e];
    const P& b = boundary[(static_cast<uint32_t>(e) + 1) % edges];
    return sign * ((b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x));
  };
  const uint32_t planes = edges == 32 ? ~0u : (1u << edges) - 1u;
  return SPW_ClipPolygon(work, spare, capacity, count, planes, side, cut);
}
