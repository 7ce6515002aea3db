// Clipping against the user clip planes. Vertices that are not cut are referenced, never
// copied; cut ones go to a static store, so clipping allocates nothing.
#include "driver/batch/clip.h"

#include <cstring>

#include "driver/device/renderstate.h"
#include "engine/math/polyclip.h"
#include "platform/trace.h"

namespace {

constexpr uint32_t kColourOffset = 4;
constexpr uint32_t kPositionOffset = 8;
constexpr uint32_t kMaxStride = SPPD_ClipVertexStride(SPPD_CLIP_MAX_PAIRS);

// A vertex of the working lists: the record (an input vertex or a cut one in the store) and its
// colour kept in floats, so that a vertex cut again is not rounded twice.
struct ClipVertex {
  const uint8_t* ref;
  float colour[4];
};

ClipVertex g_lists[2][SPPD_CLIP_MAX_VERTICES];
const uint8_t* g_result[SPPD_CLIP_MAX_VERTICES];
alignas(8) uint8_t g_store[SPPD_CLIP_MAX_NEW_VERTICES * kMaxStride];
int g_storeUsed;
float g_line[6];

float Distance(const SPPD_CLIPPLANES& p, uint32_t i, const float* x) {
  return SPPD_ClipDistance(p, i, x[0], x[1], x[2]);
}

void ReadFloats(const uint8_t* v, uint32_t offset, float* out, int n) {
  std::memcpy(out, v + offset, sizeof(float) * static_cast<size_t>(n));
}

void SplitColour(uint32_t c, float out[4]) {
  for (int k = 0; k < 4; ++k) out[k] = static_cast<float>((c >> (8 * k)) & 0xFF);
}

uint32_t JoinColour(const float in[4]) {
  uint32_t c = 0;
  for (int k = 0; k < 4; ++k) {
    float f = in[k] < 0.0f ? 0.0f : (in[k] > 255.0f ? 255.0f : in[k]);
    c |= static_cast<uint32_t>(f + 0.5f) << (8 * k);
  }
  return c;
}

// The cut vertex at t along prev->cur in the store: position and pairs mixed, colour mixed or
// taken from prev. False when the store is full.
bool Cut(const ClipVertex& prev, const ClipVertex& cur, float t, int pairs, uint32_t flags,
         ClipVertex& out) {
  if (g_storeUsed >= SPPD_CLIP_MAX_NEW_VERTICES) return false;
  uint8_t* v = g_store + static_cast<size_t>(g_storeUsed++) * kMaxStride;
  std::memcpy(v, prev.ref, 4);
  const int n = 3 + 2 * pairs;  // x, y, z and the pairs that follow them
  float a[3 + 2 * SPPD_CLIP_MAX_PAIRS], b[3 + 2 * SPPD_CLIP_MAX_PAIRS];
  ReadFloats(prev.ref, kPositionOffset, a, n);
  ReadFloats(cur.ref, kPositionOffset, b, n);
  for (int k = 0; k < n; ++k) a[k] += (b[k] - a[k]) * t;
  std::memcpy(v + kPositionOffset, a, sizeof(float) * static_cast<size_t>(n));
  for (int k = 0; k < 4; ++k)
    out.colour[k] = (flags & SPPD_CLIP_COLOURS)
                        ? prev.colour[k] + (cur.colour[k] - prev.colour[k]) * t
                        : prev.colour[k];
  uint32_t c = JoinColour(out.colour);
  std::memcpy(v + kColourOffset, &c, 4);
  out.ref = v;
  return true;
}

}  // namespace

SPPD_CLIPPLANES SPPD_ClipPlanesOfState() {
  const SPPD_SYSTEMRENDERSTATE* s = SPPD_CurrentRenderState();
  return {s->rs.dwNumPlanes, s->fPlaneNormals, s->fPlaneConst};
}

const uint8_t* const* SPPD_ClipPolygonRefs(const SPPD_CLIPPLANES& planes,
                                           const uint8_t* const* refs, int pairs,
                                           uint32_t* count, uint32_t mask, uint32_t flags) {
  if (!count) return nullptr;
  if (!refs || pairs < 0 || pairs > SPPD_CLIP_MAX_PAIRS || *count > SPPD_CLIP_MAX_VERTICES) {
    PLAT_Trace("GFXDRV: SPPD_ClipPolygon: bad polygon (%u vertices, %d pairs)\n", *count, pairs);
    *count = 0;
    return nullptr;
  }
  g_storeUsed = 0;
  for (uint32_t i = 0; i < *count; ++i) {
    uint32_t c;
    std::memcpy(&c, refs[i] + kColourOffset, 4);
    g_lists[0][i].ref = refs[i];
    SplitColour(c, g_lists[0][i].colour);
  }
  const ClipVertex* out = SPW_ClipPolygon(
      g_lists[0], g_lists[1], SPPD_CLIP_MAX_VERTICES, count, mask & SPPD_ClipPlaneBits(planes),
      [&](int plane, const ClipVertex& v) {
        float pos[3];
        ReadFloats(v.ref, kPositionOffset, pos, 3);
        return Distance(planes, static_cast<uint32_t>(plane), pos);
      },
      [&](const ClipVertex& prev, const ClipVertex& cur, float t, ClipVertex& cut) {
        return Cut(prev, cur, t, pairs, flags, cut);
      });
  if (!out) {
    PLAT_Trace("GFXDRV: SPPD_ClipPolygon: more than %d vertices or %d cuts\n",
               SPPD_CLIP_MAX_VERTICES, SPPD_CLIP_MAX_NEW_VERTICES);
    return nullptr;
  }
  for (uint32_t i = 0; i < *count; ++i) g_result[i] = out[i].ref;
  return g_result;
}

const uint8_t* const* SPPD_ClipPolygon(const SPPD_CLIPPLANES& planes, const void* vertices,
                                       int pairs, uint32_t* count, uint32_t mask,
                                       uint32_t flags) {
  if (!count) return nullptr;
  if (!vertices || pairs < 0 || pairs > SPPD_CLIP_MAX_PAIRS || *count > SPPD_CLIP_MAX_VERTICES) {
    PLAT_Trace("GFXDRV: SPPD_ClipPolygon: bad polygon (%u vertices, %d pairs)\n", *count, pairs);
    *count = 0;
    return nullptr;
  }
  static const uint8_t* refs[SPPD_CLIP_MAX_VERTICES];
  const auto* base = static_cast<const uint8_t*>(vertices);
  for (uint32_t i = 0; i < *count; ++i) refs[i] = base + i * SPPD_ClipVertexStride(pairs);
  return SPPD_ClipPolygonRefs(planes, refs, pairs, count, mask, flags);
}

const float* SPPD_ClipLine(const SPPD_CLIPPLANES& planes, const float a[3], const float b[3],
                           uint32_t mask, uint32_t flags, uint32_t colourA, uint32_t colourB,
                           uint32_t outColours[2]) {
  if (!a || !b) return nullptr;
  float* p0 = g_line;
  float* p1 = g_line + 3;
  std::memcpy(p0, a, sizeof(float) * 3);
  std::memcpy(p1, b, sizeof(float) * 3);
  float c0[4], c1[4];
  SplitColour(colourA, c0);
  SplitColour(colourB, c1);
  const uint32_t n = SPPD_ClipPlaneCount(planes);
  for (uint32_t i = 0; i < n; ++i) {
    if (!(mask & (1u << i))) continue;
    float d0 = Distance(planes, i, p0), d1 = Distance(planes, i, p1);
    if (d0 < 0.0f && d1 < 0.0f) return nullptr;
    if (d0 >= 0.0f && d1 >= 0.0f) continue;
    float t = d0 / (d0 - d1);
    // Move the outside end onto the plane; the inside end stays.
    float* moved = d0 < 0.0f ? p0 : p1;
    float* colour = d0 < 0.0f ? c0 : c1;
    float q[3], qc[4];
    for (int k = 0; k < 3; ++k) q[k] = p0[k] + (p1[k] - p0[k]) * t;
    for (int k = 0; k < 4; ++k) qc[k] = c0[k] + (c1[k] - c0[k]) * t;
    std::memcpy(moved, q, sizeof q);
    if (flags & SPPD_CLIP_COLOURS) std::memcpy(colour, qc, sizeof qc);
  }
  if ((flags & SPPD_CLIP_COLOURS) && outColours) {
    outColours[0] = JoinColour(c0);
    outColours[1] = JoinColour(c1);
  }
  return g_line;
}
