#pragma once
// Cutting lines and polygons against the user clip planes before they are queued.
// The results live in process-wide buffers: use them before the next clip (main thread only).
#include <cstdint>

#include "engine/driver/sppd.h"

// Flag bit 0: colours are cut with the geometry instead of taken from the edge's start.
constexpr uint32_t SPPD_CLIP_COLOURS = 0x1;
// Vertex references a working list holds; a polygon that would grow past it is refused.
constexpr int SPPD_CLIP_MAX_VERTICES = 256;
// Cut vertices the store holds across all planes of one polygon.
constexpr int SPPD_CLIP_MAX_NEW_VERTICES = 512;
// Texture-coordinate pairs a clipped vertex may carry.
constexpr int SPPD_CLIP_MAX_PAIRS = 4;

// The planes as the host gave them: a point x is inside plane i when
// normals[i] . x - consts[i] >= 0. Planes beyond SPPD_MAX_CLIP_PLANES are never read.
struct SPPD_CLIPPLANES {
  uint32_t count;
  const float (*normals)[3];
  const float* consts;
};

// The planes of the current render state.
SPPD_CLIPPLANES SPPD_ClipPlanesOfState();

// The planes the clipper reads: none without arrays, never more than SPPD_MAX_CLIP_PLANES.
inline uint32_t SPPD_ClipPlaneCount(const SPPD_CLIPPLANES& p) {
  if (!p.normals || !p.consts) return 0;
  return p.count > SPPD_MAX_CLIP_PLANES ? SPPD_MAX_CLIP_PLANES : p.count;
}
// Those planes as mask bits.
inline uint32_t SPPD_ClipPlaneBits(const SPPD_CLIPPLANES& p) {
  const uint32_t n = SPPD_ClipPlaneCount(p);
  return n >= 32 ? ~0u : (1u << n) - 1u;
}
// The signed distance of a point from plane i, inside when >= 0.
inline float SPPD_ClipDistance(const SPPD_CLIPPLANES& p, uint32_t i, float x, float y, float z) {
  return p.normals[i][0] * x + p.normals[i][1] * y + p.normals[i][2] * z - p.consts[i];
}

// Bytes from one polygon vertex to the next: first word, colour, x, y, z, then the pairs.
constexpr uint32_t SPPD_ClipVertexStride(int pairs) {
  return 20 + 8 * static_cast<uint32_t>(pairs);
}

// Clips the polygon of *count consecutive vertices (layout above) against the planes selected
// by mask. Returns the references of the clipped polygon's vertices (input vertices or cut
// ones) with their number in *count; *count is 0 when fewer than 3 vertices are left, and on
// bad input or overflow (traced), when the result is null.
const uint8_t* const* SPPD_ClipPolygon(const SPPD_CLIPPLANES& planes, const void* vertices,
                                       int pairs, uint32_t* count, uint32_t mask,
                                       uint32_t flags);
// The same for a polygon given by references to vertices of that layout (terrain corners,
// node faces already lit and in view space).
const uint8_t* const* SPPD_ClipPolygonRefs(const SPPD_CLIPPLANES& planes,
                                           const uint8_t* const* refs, int pairs,
                                           uint32_t* count, uint32_t mask, uint32_t flags);

// Clips a line; returns its end points (6 floats) or null when it lies wholly outside. With
// SPPD_CLIP_COLOURS the end colours are cut with it into outColours (when given).
const float* SPPD_ClipLine(const SPPD_CLIPPLANES& planes, const float a[3], const float b[3],
                           uint32_t mask, uint32_t flags, uint32_t colourA, uint32_t colourB,
                           uint32_t outColours[2]);
