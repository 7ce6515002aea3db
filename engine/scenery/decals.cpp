// Decals on feature instances: the pieces of a tessellation clipped to the instance's triangles
// beneath it, rebuilt when asked and drawn on the decal layers.
#include <algorithm>
#include <cmath>

#include "engine/collide/internal.h"
#include "engine/feature/feature.h"
#include "engine/scene/scene.h"
#include "engine/scenery/internal.h"
#include "engine/scenery/scenery.h"
#include "engine/tess/tess.h"
#include "platform/trace.h"

namespace {

constexpr float kMinUpward = 0.05f;      // triangles steeper than this take no decal
constexpr float kMaxAlongVector = 0.1f;  // with a given vector: triangles facing along it skip
constexpr int32_t kMaxPiece = SPW_TESS_MAX_EDGES + 8;


void ReturnBuffers(SPW_SCENE* scene, SPW_TESSSIDE* side) {
  for (SPW_POLYBUFFER* buf : SGE_ListRecords<SPW_POLYBUFFER>(&side->buffers)) {
    SGE_ListUnlink(&buf->link);
    SPW_ReturnPolygonBuffer(scene, buf);
  }
}

// Clips the tessellation onto one world triangle; false when no buffer could be had.
bool Piece(SPW_SCENE* scene, SPW_TESSSIDE* side, const SPW_VECTOR (&tri)[3], SPW_POLYBUFFER** buf,
           uint32_t* pieces) {
  const SPW_TESS& tess = *side->pTess;
  const SPW_VECTOR e1 = SPW_VSub(tri[1], tri[0]), e2 = SPW_VSub(tri[2], tri[0]);
  SPW_VECTOR n;
  SPW_VecCross(&e1, &e2, &n);
  SPW_VecNormalise(&n);
  if (!(n.z > kMinUpward)) return true;
  if ((tess.fFlags & SPW_TESS_WORLD_POS) && SPW_VDot(n, tess.vWorld) > kMaxAlongVector) return true;
  // The points laid on the triangle's plane.
  SPPD_VERTEX points[SPW_TESS_CLIP_MAX_POINTS];
  const uint32_t count = tess.dwNumPoints;  // no more than the clip takes (Rebuild)
  std::copy(tess.pPoints, tess.pPoints + count, points);
  const float k = SPW_VDot(n, tri[0]);
  float lo = 1e30f, hi = -1e30f;
  for (uint32_t i = 0; i < count; ++i) {
    SPPD_VERTEX& p = points[i];
    p.z = (k - n.x * p.x - n.y * p.y) / n.z;
    lo = std::min(lo, p.z);
    hi = std::max(hi, p.z);
  }
  if (!(lo < tess.vCentre.z + tess.fHeightTolerance && hi > tess.vCentre.z - tess.fHeightTolerance))
    return true;
  SPPD_VERTEX out[kMaxPiece];
  const int32_t cut = SPW_TessClipPolygon(points, static_cast<int32_t>(count), tri, 3, out, kMaxPiece);
  if (cut < 3) return true;
  const uint32_t need = 3u * static_cast<uint32_t>(cut - 2);
  if ((*buf)->dwCount + need > SPW_POLYBUFFER_VERTICES) {
    *buf = SPW_TakePolygonBuffer(scene, &side->buffers);
    if (!*buf) return false;  // the pieces that find no buffer are dropped
  }
  for (int32_t j = 2; j < cut; ++j) {
    (*buf)->aVertex[(*buf)->dwCount++] = out[0];
    (*buf)->aVertex[(*buf)->dwCount++] = out[j - 1];
    (*buf)->aVertex[(*buf)->dwCount++] = out[j];
  }
  ++*pieces;
  return true;
}

void Rebuild(SPW_SCENE* scene, SPW_FEATUREINST* item, SPW_TESSSIDE* side) {
  side->fFlags &= ~SPW_TESSSIDE_REBUILD;
  ReturnBuffers(scene, side);
  SPW_POLYBUFFER* buf = SPW_TakePolygonBuffer(scene, &side->buffers);
  const SPW_TESS& tess = *side->pTess;
  if (!buf || !item->pClass->dwNumMeshes || !tess.dwNumPoints) return;
  if (tess.dwNumPoints > static_cast<uint32_t>(SPW_TESS_CLIP_MAX_POINTS)) {
    PLAT_Trace("SPW_DrawDecals: a decal of %u points is not laid (max=%d)\n", tess.dwNumPoints,
               SPW_TESS_CLIP_MAX_POINTS);
    return;
  }
  const SPW_FEATUREMESH& mesh = item->pClass->pMeshes[0];
  SPW_VECTOR c;
  SPW_MatTransformPoint(&item->mWorldToObject, &tess.vCentre, &c);
  const float r = tess.fRadius * item->fInvScale;
  uint32_t pieces = 0;
  SPW_WalkMesh(
      mesh,
      [&](const SPW_FEATURENODE& node) {
        const SPW_VECTOR d = SPW_VSub(node.vCentre, c);
        return SPW_VDot(d, d) <= (node.fRadius + r) * (node.fRadius + r);
      },
      [&](int32_t f) {
        SPW_VECTOR tri[3];
        for (int k = 0; k < 3; ++k)
          SPW_MatTransformPoint(&item->mObjectToWorld, &mesh.pVertices[mesh.pFaces[f].adwIndex[k]].vPos, &tri[k]);
        return Piece(scene, side, tri, &buf, &pieces) && pieces < tess.dwItemLimit;
      });
}

uint32_t Faded(uint32_t colour, uint32_t fade) {
  return colour > fade ? colour - fade : colour & 0x00FFFFFFu;
}

}  // namespace

void SPW_DrawDecals(const SPW_SCENERYFRAME& f, SPW_SCENE* scene, SPW_FEATUREINST* item,
                    uint32_t clipMask) {
  if (!f.drv->SPPD_RenderFVFPolygonLayer) return;
  for (SPW_TESSSIDE* side : SGE_ListRecords<SPW_TESSSIDE>(&item->decals)) {
    const SPW_TESS* tess = side->pTess;
    if (!tess) continue;
    if (side->fFlags & SPW_TESSSIDE_REBUILD) Rebuild(scene, item, side);
    const int32_t layer = SPW_TessLayer(tess->nKind);
    if (layer < 0) continue;
    const uint32_t fade = static_cast<uint32_t>(std::max(tess->fFade, 0.0f));
    for (const SPW_POLYBUFFER* buf : SGE_ListRecords<SPW_POLYBUFFER>(&side->buffers)) {
      for (uint32_t i = 0; i + 3 <= buf->dwCount; i += 3) {
        SPPD_VERTEX v[3];
        for (int k = 0; k < 3; ++k) {
          v[k] = buf->aVertex[i + static_cast<uint32_t>(k)];
          SPW_VECTOR p{v[k].x, v[k].y, v[k].z}, q;
          SPW_MatTransformPoint(f.view, &p, &q);
          v[k].x = q.x;
          v[k].y = q.y;
          v[k].z = q.z;
          if (tess->fFlags & SPW_TESS_SCROLL) {
            v[k].u += tess->fTexU;
            v[k].v += tess->fTexV;
          }
          if (tess->fFlags & SPW_TESS_FADE) v[k].dwColour = Faded(v[k].dwColour, fade);
        }
        f.drv->SPPD_RenderFVFPolygonLayer(f.display, layer, v, 3, 1, tess->nTexture, 0, clipMask);
      }
    }
  }
}
