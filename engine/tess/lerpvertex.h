#pragma once
// The point a fraction t of the way from a to b, every field of the vertex with it (the colour
// per byte, rounded), as the polygon clips of the decals and the terrain overlays cut them.
#include <cstdint>

#include "engine/driver/sppd.h"

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
