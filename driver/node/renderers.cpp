// The six node renderers: faces of the node SPPD_RenderNode set up, culled, lit flat and sent
// to the opaque batches (vertices shared through the shared-vertex table) or the alpha buckets.
//
// Faces go in runs: a run is culled, then its drawn faces are lit, with nothing written but
// the list of those faces and their colours; then they are written out. Writing keeps the matrix, the projection and the buffer's
// counters in locals: vertices are floats and words like them, and through memory the
// compiler would have to read them all again after every store.
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
// Faces culled and lit before any of them is written.
constexpr uint32_t kFaceRun = 64;

// The node's matrix (by rows: view = x row 0 + y row 1 + z row 2 + row 3), projection and fog
// word, copied out of the node state.
struct Projector {
  SPPD_FLOAT4 row[4];
  float scaleX, scaleY, centreX, centreY, depthOffset, depthFactor;
  uint32_t fog;

  explicit Projector(const SPPD_NODESTATE& s)
      : scaleX(s.fScaleX),
        scaleY(s.fScaleY),
        centreX(s.fCentreX),
        centreY(s.fCentreY),
        depthOffset(s.fDepthOffset),
        depthFactor(s.fDepthFactor),
        fog(s.dwFog) {
    for (int r = 0; r < 4; ++r)
      row[r] = SPPD_FLOAT4{s.m[4 * r], s.m[4 * r + 1], s.m[4 * r + 2], s.m[4 * r + 3]};
  }

  SPPD_FLOAT4 ToView(const SPW_VECTOR& p) const {
    return p.x * row[0] + p.y * row[1] + p.z * row[2] + row[3];
  }

  // A node vertex transformed, projected (rhw = -1 / z) and coloured; its view-space z.
  [[gnu::always_inline]] float Write(const SPW_DOBJVERTEX& in, uint32_t diffuse,
                                     PLAT_GfxVertex* out) const {
    const SPPD_FLOAT4 v = ToView(in.vPos);
    const float rhw = -1.0f / v[2];
    out->x = scaleX * v[0] * rhw + centreX;
    out->y = scaleY * v[1] * rhw + centreY;
    out->z = depthOffset - depthFactor * rhw;
    out->rhw = rhw;
    out->diffuse = diffuse;
    out->specular = fog;
    out->u = in.fU;
    out->v = in.fV;
    return v[2];
  }
};

// The faces of a run that are drawn, in node order, with their flat colours.
struct FaceRun {
  uint32_t count;
  uint32_t face[kFaceRun];
  uint32_t colour[kFaceRun];
};

[[gnu::noinline]] void TraceMissingVertex(const tag_spw_dobjnode* node, const SPW_DOBJFACE& f,
                                          uint32_t vertices) {
  PLAT_Trace("GFXDRV: node \"%.20s\": a face names vertex %u, %u or %u of %u; skipped\n",
             node->szName, f.adwIndex[0], f.adwIndex[1], f.adwIndex[2], vertices);
}

// Faces first..end of the node that are drawn: those naming vertices the node has (the rest
// skipped, once traced for the node) and seen from their front, or double-sided. Lit when
// lit, else white. Whether a face is seen follows no pattern a branch could learn: each face
// is listed, and the list grows by it only when it is seen.
void CullFaces(const SPPD_NODESTATE& s, const tag_spw_dobjnode* node, uint32_t first,
               uint32_t end, bool lit, FaceRun& run, bool* traced) {
  const uint32_t limit = std::min(s.dwNumVertices, SPPD_NODE_MAX_VERTICES);
  const float ex = s.eye[0], ey = s.eye[1], ez = s.eye[2];
  const SPW_DOBJFACE* faces = node->pFaceSet;
  const SPW_DOBJVERTEX* vertices = s.pVertices;
  uint32_t count = 0;
  for (uint32_t i = first; i < end; ++i) {
    const SPW_DOBJFACE& f = faces[i];
    if (std::max({f.adwIndex[0], f.adwIndex[1], f.adwIndex[2]}) >= limit) [[unlikely]] {
      if (!*traced) TraceMissingVertex(node, f, s.dwNumVertices);
      *traced = true;
      continue;
    }
    float n[3];
    SPPD_FaceNormal(f, n);
    const SPW_VECTOR& p = vertices[f.adwIndex[0]].vPos;
    const bool front = (ex - p.x) * n[0] + (ey - p.y) * n[1] + (ez - p.z) * n[2] > 0.0f;
    run.face[count] = i;
    count += front | ((SPPD_FaceFlags(f) & SPPD_FACE_DOUBLE_SIDED) != 0);
  }
  run.count = count;
  for (uint32_t k = 0; k < count; ++k) {
    float n[3];
    SPPD_FaceNormal(faces[run.face[k]], n);
    run.colour[k] = lit ? SPPD_NodeFaceColour(s, n) : kWhite;
  }
}

// The buffer that faces are being written into, its counters held here while it is: its own
// are brought up to date (Store) before anything else may look at it.
struct SharedWriter {
  const Projector& proj;
  const SPW_DOBJVERTEX* vertices;
  SPPD_SHAREDVERTEX* table;
  uint32_t stamp;
  SPPD_VBUFFER* b = nullptr;
  PLAT_GfxVertex* cursor = nullptr;
  uint16_t* indices = nullptr;
  uint32_t verticesUsed = 0, indicesUsed = 0, vertexRoom = 0, indexRoom = 0;
  uint16_t serial = 0;

  SharedWriter(const Projector& p, const SPPD_NODESTATE& s)
      : proj(p), vertices(s.pVertices), table(s.pShared), stamp(s.dwStamp) {}

  void Take(SPPD_VBUFFER* buffer) {
    b = buffer;
    if (!b) return;
    cursor = b->pCursor;
    indices = b->pIndices;
    verticesUsed = b->dwVerticesUsed;
    indicesUsed = b->dwIndicesUsed;
    vertexRoom = b->dwVertexCapacity - verticesUsed;
    indexRoom = b->dwIndexCapacity - indicesUsed;
    serial = b->wSerial;
  }
  void Store() const {
    if (!b) return;
    b->pCursor = cursor;
    b->dwVerticesUsed = verticesUsed;
    b->dwIndicesUsed = indicesUsed;
  }
  // Faces that fit whatever vertices they share: each takes at most 3 of both.
  uint32_t FacesWithRoom() const { return b ? std::min(vertexRoom, indexRoom) / 3 : 0; }

  // Faces k..end of the run, the buffer having room for them. Each vertex is written once
  // per buffer, with the colour of the first face that uses it: one whose entry carries
  // this node's stamp and the buffer's serial is in it already. The entries and indices
  // are settled first, without a branch, and the new vertices written after in one sweep.
  void Faces(const tag_spw_dobjnode* node, const FaceRun& run, uint32_t k, uint32_t end) {
    uint32_t fresh[3 * kFaceRun], colour[3 * kFaceRun];
    uint32_t count = 0;
    const uint32_t start = verticesUsed;
    uint16_t* index = indices + indicesUsed;
    for (; k < end; ++k) {
      const SPW_DOBJFACE& f = node->pFaceSet[run.face[k]];
      for (int c = 0; c < 3; ++c) {
        const uint32_t i = f.adwIndex[c];
        SPPD_SHAREDVERTEX& e = table[i];
        const bool written = e.dwStamp == stamp && e.wSerial == serial;
        const auto position = written ? e.wPosition : static_cast<uint16_t>(start + count);
        e = {stamp, position, serial};
        fresh[count] = i;
        colour[count] = run.colour[k];
        count += !written;
        *index++ = position;
      }
    }
    for (uint32_t j = 0; j < count; ++j) proj.Write(vertices[fresh[j]], colour[j], cursor + j);
    cursor += count;
    verticesUsed += count;
    vertexRoom -= count;
    const auto indexCount = static_cast<uint32_t>(index - (indices + indicesUsed));
    indicesUsed += indexCount;
    indexRoom -= indexCount;
  }
};

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

void AlphaFace(const SPPD_NODESTATE& s, const Projector& proj, const SPW_DOBJFACE& f,
               uint32_t diffuse) {
  SPPD_BATCHLIST* list = s.pState->apBatchLists[SPPD_LAYER_ALPHA];
  SPPD_ALPHAPOLY* poly = SPPD_AlphaCarve(list, 3);
  if (!poly) return;
  float sum = 0.0f;
  for (int k = 0; k < 3; ++k)
    sum -= proj.Write(s.pVertices[f.adwIndex[k]], diffuse,
                      reinterpret_cast<PLAT_GfxVertex*>(&poly->v[k]));
  poly->dwTextureId = static_cast<uint32_t>(f.nTexture);
  poly->dwCount = 3;
  poly->fDepth = (sum * SPPD_NODE_THIRD - s.fNear) * s.fInvDepthSpan;
  SPPD_AlphaFile(list, poly);
}

// A face cut against the planes of the mask, its corners in view space with the face colour.
void ClippedFace(const SPPD_NODESTATE& s, const Projector& proj, const SPW_DOBJFACE& f,
                 uint32_t diffuse, uint32_t clipMask, bool alpha) {
  SPPD_VERTEX corners[3];
  for (int k = 0; k < 3; ++k) {
    const SPW_DOBJVERTEX& v = s.pVertices[f.adwIndex[k]];
    const SPPD_FLOAT4 p = proj.ToView(v.vPos);
    corners[k] = {0, diffuse, p[0], p[1], p[2], v.fU, v.fV};
  }
  SPPD_VIEWVERTEX* view = SPPD_Scratch.view;
  SPPD_TLVERTEX* screen = SPPD_Scratch.screen;
  const uint32_t n = SPPD_PrimGather("SPPD_RenderNodeClipped", corners, 3, 1, clipMask, view);
  if (n < 3) return;
  float sum = 0.0f;
  for (uint32_t i = 0; i < n; ++i) {
    SPPD_PrimProject(view[i], &screen[i]);
    screen[i].dwSpecular = s.dwFog;
    sum -= view[i].z;
  }
  const auto texture = static_cast<uint32_t>(f.nTexture);
  if (!alpha) {
    SPPD_BatchAppendFan(s.pState, s.pState->apBatchLists[SPPD_LAYER_OPAQUE], texture, screen, n);
    return;
  }
  SPPD_BATCHLIST* list = s.pState->apBatchLists[SPPD_LAYER_ALPHA];
  SPPD_ALPHAPOLY* poly = SPPD_AlphaCarve(list, n);
  if (!poly) return;
  poly->dwTextureId = texture;
  poly->dwCount = n;
  poly->fDepth = (sum / static_cast<float>(n) - s.fNear) * s.fInvDepthSpan;
  std::copy(screen, screen + n, poly->v);
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

// Unclipped faces by texture: the opaque ones through the shared vertices of the texture's
// buffer, the alpha-textured ones to the buckets. Only the buffer of the texture last drawn
// is kept from face to face: asking for room for another texture may flush every list, after
// which no earlier buffer may be written.
void DrawByTexture(const SPPD_NODESTATE& s, const tag_spw_dobjnode* node) {
  const Projector proj(s);
  SPPD_BATCHLIST* opaque = s.pState->apBatchLists[SPPD_LAYER_OPAQUE];
  SharedWriter out(proj, s);
  int64_t texture = -1;  // of the buffer in out
  AlphaCache alphaOf;
  bool traced = false;
  FaceRun run;
  for (uint32_t first = 0; first < node->dwNumFaces; first += kFaceRun) {
    CullFaces(s, node, first, std::min(node->dwNumFaces, first + kFaceRun), true, run, &traced);
    uint32_t k = 0;
    while (k < run.count) {
      const SPW_DOBJFACE& f = node->pFaceSet[run.face[k]];
      const auto id = static_cast<uint32_t>(f.nTexture);
      if (alphaOf.Of(s.pState, id)) {
        AlphaFace(s, proj, f, run.colour[k]);
        ++k;
        continue;
      }
      // The faces of this texture that follow, as many as the buffer surely takes.
      if (id != texture || out.FacesWithRoom() == 0) {
        out.Store();
        out.Take(SPPD_BatchRoom(s.pState, opaque, id, 3, 3));
        texture = id;
        if (!out.b) {
          ++k;
          continue;
        }
      }
      uint32_t end = k + 1;
      const uint32_t most = k + out.FacesWithRoom();
      while (end < run.count && end < most &&
             node->pFaceSet[run.face[end]].nTexture == f.nTexture)
        ++end;
      out.Faces(node, run, k, end);
      k = end;
    }
  }
  out.Store();
}

void DrawFaces(const tag_spw_dobjnode* node, Target target, bool clipped, uint32_t clipMask,
               const char* where) {
  const SPPD_NODESTATE* s = Ready(node, where);
  if (!s) return;
  if (target == Target::ByTexture && !clipped) {
    DrawByTexture(*s, node);
    return;
  }
  const Projector proj(*s);
  AlphaCache alphaOf;
  bool traced = false;
  FaceRun run;
  for (uint32_t first = 0; first < node->dwNumFaces; first += kFaceRun) {
    CullFaces(*s, node, first, std::min(node->dwNumFaces, first + kFaceRun), true, run, &traced);
    for (uint32_t k = 0; k < run.count; ++k) {
      const SPW_DOBJFACE& f = node->pFaceSet[run.face[k]];
      uint32_t colour = run.colour[k];
      bool alpha = false;
      if (target == Target::AlwaysAlpha) {
        colour = (colour & 0x00FFFFFFu) | s->dwAlpha;
        alpha = true;
      } else if (target == Target::ByTexture) {
        alpha = alphaOf.Of(s->pState, static_cast<uint32_t>(f.nTexture));
      }
      if (clipped) ClippedFace(*s, proj, f, colour, clipMask, alpha);
      else AlphaFace(*s, proj, f, colour);
    }
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
  const Projector proj(*s);
  SharedWriter out(proj, *s);
  out.Take(b);
  bool traced = false;
  FaceRun run;
  for (uint32_t first = 0; first < node->dwNumFaces; first += kFaceRun) {
    CullFaces(*s, node, first, std::min(node->dwNumFaces, first + kFaceRun), false, run, &traced);
    out.Faces(node, run, 0, run.count);
  }
  out.Store();
}
