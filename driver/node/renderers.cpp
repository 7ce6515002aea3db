// The six node renderers: faces of the node SPPD_RenderNode set up, culled, lit flat and sent
// to the opaque batches (vertices shared through the shared-vertex table) or the alpha buckets.
#include <algorithm>

#include "driver/batch/alpha.h"
#include "driver/batch/clip.h"
#include "driver/batch/lists.h"
#include "driver/batch/primitive.h"
#include "driver/batch/texlookup.h"
#include "driver/node/node.h"
#include "platform/trace.h"

namespace {

// How a renderer files its faces.
enum class Target {
  ByTexture,    // alpha-flagged textures to the buckets, the rest to the opaque batches
  AlwaysAlpha,  // every face to the buckets with the node alpha
  Opaque,       // every face to the opaque batches, the texture's alpha flag unread
};

constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kMaxNodeFaces = 0x7FFFFFFFu / 3 / 2;  // bytes of the index array

// A clipped face's corners: a triangle cut by every plane grows by at most one a plane.
SPPD_VIEWVERTEX g_view[SPPD_CLIP_MAX_VERTICES];
SPPD_TLVERTEX g_screen[SPPD_CLIP_MAX_VERTICES];

[[gnu::always_inline]] inline void ToView(const SPPD_NODESTATE& s, const SPW_VECTOR& p,
                                          float out[3]) {
  const float* m = s.m;
  out[0] = p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12];
  out[1] = p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13];
  out[2] = p.x * m[2] + p.y * m[6] + p.z * m[10] + m[14];
}

// A node vertex transformed, projected (rhw = -1 / z) and coloured.
[[gnu::always_inline]] inline void WriteVertex(const SPPD_NODESTATE& s,
                                               const SPW_DOBJVERTEX& in, uint32_t diffuse,
                                               PLAT_GfxVertex* out, float* viewZ) {
  float v[3];
  ToView(s, in.vPos, v);
  const float rhw = -1.0f / v[2];
  out->x = s.fScaleX * v[0] * rhw + s.fCentreX;
  out->y = s.fScaleY * v[1] * rhw + s.fCentreY;
  out->z = s.fDepthOffset - s.fDepthFactor * rhw;
  out->rhw = rhw;
  out->diffuse = diffuse;
  out->specular = s.dwFog;
  out->u = in.fU;
  out->v = in.fV;
  if (viewZ) *viewZ = v[2];
}

// Faces naming a vertex the node does not have are skipped, once traced for the node.
bool IndicesValid(const SPPD_NODESTATE& s, const SPW_DOBJFACE& f, const tag_spw_dobjnode* node,
                  bool* traced) {
  const uint32_t n = std::min(s.dwNumVertices, SPPD_NODE_MAX_VERTICES);
  if (f.adwIndex[0] < n && f.adwIndex[1] < n && f.adwIndex[2] < n) return true;
  if (!*traced)
    PLAT_Trace("GFXDRV: node \"%.20s\": a face names vertex %u, %u or %u of %u; skipped\n",
               node->szName, f.adwIndex[0], f.adwIndex[1], f.adwIndex[2], s.dwNumVertices);
  *traced = true;
  return false;
}

bool FacesEye(const SPPD_NODESTATE& s, const SPW_DOBJFACE& f, const float n[3]) {
  if (SPPD_FaceFlags(f) & SPPD_FACE_DOUBLE_SIDED) return true;
  const SPW_VECTOR& p = s.pVertices[f.adwIndex[0]].vPos;
  return (s.eye[0] - p.x) * n[0] + (s.eye[1] - p.y) * n[1] + (s.eye[2] - p.z) * n[2] > 0.0f;
}

// Face i when it names vertices the node has and is seen from its front (or double-sided),
// with its normal in n; none to skip it.
const SPW_DOBJFACE* DrawnFace(const SPPD_NODESTATE& s, const tag_spw_dobjnode* node, uint32_t i,
                              float n[3], bool* traced) {
  const SPW_DOBJFACE& f = node->pFaceSet[i];
  if (!IndicesValid(s, f, node, traced)) return nullptr;
  SPPD_FaceNormal(f, n);
  return FacesEye(s, f, n) ? &f : nullptr;
}

// The texture's alpha flag, asked once for a run of faces of one texture.
struct AlphaCache {
  int64_t id = -1;
  bool alpha = false;
  bool Of(SPPD_DRIVERSTATE* state, uint32_t texture) {
    if (texture != id) {
      id = texture;
      alpha = SPPD_BatchTextureHasAlpha(state, texture);
    }
    return alpha;
  }
};

// The three corners written into a buffer with room, each vertex once per buffer.
void SharedFace(const SPPD_NODESTATE& s, SPPD_VBUFFER* b, const SPW_DOBJFACE& f,
                uint32_t diffuse) {
  SPPD_SHAREDVERTEX* table = s.pShared;
  uint16_t* index = b->pIndices + b->dwIndicesUsed;
  for (int k = 0; k < 3; ++k) {
    const uint32_t i = f.adwIndex[k];
    SPPD_SHAREDVERTEX& e = table[i];
    if (e.dwStamp != s.dwStamp || e.wSerial != b->wSerial) {
      WriteVertex(s, s.pVertices[i], diffuse, b->pCursor++, nullptr);
      e.dwStamp = s.dwStamp;
      e.wPosition = static_cast<uint16_t>(b->dwVerticesUsed++);
      e.wSerial = b->wSerial;
    }
    index[k] = e.wPosition;
  }
  b->dwIndicesUsed += 3;
}

// The opaque buffer of the texture last drawn, kept from face to face of a node. Only one:
// asking for room for another texture may flush every list, after which no earlier buffer
// may be written.
struct OpaqueTarget {
  int64_t texture = -1;
  SPPD_VBUFFER* buffer = nullptr;
};

void OpaqueFace(const SPPD_NODESTATE& s, SPPD_BATCHLIST* list, OpaqueTarget& target,
                const SPW_DOBJFACE& f, uint32_t diffuse) {
  const auto texture = static_cast<uint32_t>(f.nTexture);
  SPPD_VBUFFER* b = texture == target.texture ? target.buffer : nullptr;
  if (!b || b->dwVertexCapacity - b->dwVerticesUsed < 3 ||
      b->dwIndexCapacity - b->dwIndicesUsed < 3) {
    b = SPPD_BatchRoom(s.pState, list, texture, 3, 3);
    target = {texture, b};
  }
  if (b) SharedFace(s, b, f, diffuse);
}

void AlphaFace(const SPPD_NODESTATE& s, const SPW_DOBJFACE& f, uint32_t diffuse) {
  SPPD_BATCHLIST* list = s.pState->apBatchLists[SPPD_LAYER_ALPHA];
  SPPD_ALPHAPOLY* poly = SPPD_AlphaCarve(list, 3);
  if (!poly) return;
  float sum = 0.0f;
  for (int k = 0; k < 3; ++k) {
    float z;
    WriteVertex(s, s.pVertices[f.adwIndex[k]], diffuse, reinterpret_cast<PLAT_GfxVertex*>(&poly->v[k]), &z);
    sum -= z;
  }
  poly->dwTextureId = static_cast<uint32_t>(f.nTexture);
  poly->dwCount = 3;
  poly->fDepth = (sum * SPPD_NODE_THIRD - s.fNear) * s.fInvDepthSpan;
  SPPD_AlphaFile(list, poly);
}

// A face cut against the planes of the mask, its corners in view space with the face colour.
void ClippedFace(const SPPD_NODESTATE& s, const SPW_DOBJFACE& f, uint32_t diffuse,
                 uint32_t clipMask, bool alpha) {
  SPPD_VERTEX corners[3];
  for (int k = 0; k < 3; ++k) {
    const SPW_DOBJVERTEX& v = s.pVertices[f.adwIndex[k]];
    float p[3];
    ToView(s, v.vPos, p);
    corners[k] = {0, diffuse, p[0], p[1], p[2], v.fU, v.fV};
  }
  const uint32_t n = SPPD_PrimGather("SPPD_RenderNodeClipped", corners, 3, 1, clipMask, g_view);
  if (n < 3) return;
  float sum = 0.0f;
  for (uint32_t i = 0; i < n; ++i) {
    SPPD_PrimProject(g_view[i], &g_screen[i]);
    g_screen[i].dwSpecular = s.dwFog;
    sum -= g_view[i].z;
  }
  const auto texture = static_cast<uint32_t>(f.nTexture);
  if (!alpha) {
    SPPD_BatchAppendFan(s.pState, s.pState->apBatchLists[SPPD_LAYER_OPAQUE], texture, g_screen, n);
    return;
  }
  SPPD_BATCHLIST* list = s.pState->apBatchLists[SPPD_LAYER_ALPHA];
  SPPD_ALPHAPOLY* poly = SPPD_AlphaCarve(list, n);
  if (!poly) return;
  poly->dwTextureId = texture;
  poly->dwCount = n;
  poly->fDepth = (sum / static_cast<float>(n) - s.fNear) * s.fInvDepthSpan;
  std::copy(g_screen, g_screen + n, poly->v);
  SPPD_AlphaFile(list, poly);
}

// Whether the renderers may read the node: SPPD_RenderNode set it up for a display with lists.
const SPPD_NODESTATE* Ready(const tag_spw_dobjnode* node, const char* where) {
  const SPPD_NODESTATE* s = SPPD_NodeState();
  if (!node || !s->pState || !s->pState->apBatchLists[SPPD_LAYER_ALPHA] ||
      (node->dwNumFaces && !node->pFaceSet) || s->pVertices != node->pVertexSet) {
    PLAT_Trace("GFXDRV: %s: the node was not set up by SPPD_RenderNode\n", where);
    return nullptr;
  }
  return s;
}

void DrawFaces(const tag_spw_dobjnode* node, Target target, bool clipped, uint32_t clipMask,
               const char* where) {
  const SPPD_NODESTATE* s = Ready(node, where);
  if (!s) return;
  SPPD_BATCHLIST* opaque = s->pState->apBatchLists[SPPD_LAYER_OPAQUE];
  AlphaCache alphaOf;
  OpaqueTarget opaqueTarget;
  bool traced = false;
  for (uint32_t i = 0; i < node->dwNumFaces; ++i) {
    float n[3];
    const SPW_DOBJFACE* drawn = DrawnFace(*s, node, i, n, &traced);
    if (!drawn) continue;
    const SPW_DOBJFACE& f = *drawn;
    uint32_t colour = SPPD_NodeFaceColour(*s, n);
    bool alpha = false;
    if (target == Target::AlwaysAlpha) {
      colour = (colour & 0x00FFFFFFu) | s->dwAlpha;
      alpha = true;
    } else if (target == Target::ByTexture) {
      alpha = alphaOf.Of(s->pState, static_cast<uint32_t>(f.nTexture));
    }
    if (clipped) ClippedFace(*s, f, colour, clipMask, alpha);
    else if (alpha) AlphaFace(*s, f, colour);
    else OpaqueFace(*s, opaque, opaqueTarget, f, colour);
  }
}

}  // namespace

void SPPD_RenderNodeNonClipped(tag_spw_dobjnode* node, float*) {
  DrawFaces(node, Target::ByTexture, false, 0, "SPPD_RenderNodeNonClipped");
}

void SPPD_RenderNodeClipped(tag_spw_dobjnode* node, float*, uint32_t clipMask) {
  DrawFaces(node, Target::ByTexture, true, clipMask, "SPPD_RenderNodeClipped");
}

void SPPD_RenderNodeNonClippedAlwaysAlpha(tag_spw_dobjnode* node, float*) {
  DrawFaces(node, Target::AlwaysAlpha, false, 0, "SPPD_RenderNodeNonClippedAlwaysAlpha");
}

void SPPD_RenderNodeClippedAlwaysAlpha(tag_spw_dobjnode* node, float*, uint32_t clipMask) {
  DrawFaces(node, Target::AlwaysAlpha, true, clipMask, "SPPD_RenderNodeClippedAlwaysAlpha");
}

void SPPD_RenderNodeClippedNCVB(tag_spw_dobjnode* node, float*, uint32_t clipMask) {
  DrawFaces(node, Target::Opaque, true, clipMask, "SPPD_RenderNodeClippedNCVB");
}

// The whole node into one buffer under its first face's texture, unlit.
void SPPD_RenderNodeNonClippedNCVB(tag_spw_dobjnode* node, float*) {
  const SPPD_NODESTATE* s = Ready(node, "SPPD_RenderNodeNonClippedNCVB");
  if (!s || node->dwNumFaces == 0) return;
  // Three indices a face must stay countable in bytes of 16-bit indices.
  if (node->dwNumFaces > kMaxNodeFaces) {
    PLAT_Trace("GFXDRV: SPPD_RenderNodeNonClippedNCVB: %u faces are more than one buffer takes\n",
               node->dwNumFaces);
    return;
  }
  const uint32_t vertices = std::min(s->dwNumVertices, SPPD_NODE_MAX_VERTICES);
  SPPD_VBUFFER* b =
      SPPD_BatchRoom(s->pState, s->pState->apBatchLists[SPPD_LAYER_OPAQUE],
                     static_cast<uint32_t>(node->pFaceSet[0].nTexture), vertices,
                     3 * node->dwNumFaces);
  if (!b) return;
  bool traced = false;
  for (uint32_t i = 0; i < node->dwNumFaces; ++i) {
    float n[3];
    if (const SPW_DOBJFACE* f = DrawnFace(*s, node, i, n, &traced)) SharedFace(*s, b, *f, kWhite);
  }
}
