// The overlays laid on a tile (decals, shadows): cut to the tile's current triangles on their
// heights when asked, kept as pieces, and queued on their layers after the tile.
#include <cmath>

#include "driver/core/block.h"
#include "driver/core/pools.h"
#include "driver/device/renderstate.h"
#include "driver/terrain/terrain.h"
#include "engine/tess/lerpvertex.h"
#include "platform/trace.h"

namespace {

constexpr uint32_t kMaxPoints = 32;  // points of an overlay polygon
constexpr uint32_t kMaxCut = kMaxPoints + 3;  // a convex cut gains one point a triangle's edge
constexpr float kFlat = 1e-6f;  // a triangle seen this edge-on from above takes no piece

struct Point2 {
  float x, y;
};

void ReturnPieces(SPW_TERRAIN* t, SPW_TERRAINOVERLAY* o) {
  SGE_ListAppendList(&t->freePieces, &o->pieces);
}

// A piece record from the terrain's spare ones or the driver's pool, appended to the overlay's.
SPW_TERRAINPIECE* TakePiece(SPW_TERRAIN* t, SPW_TERRAINOVERLAY* o) {
  auto* piece = SGE_ListRecord<SPW_TERRAINPIECE>(SGE_ListPopHead(&t->freePieces));
  if (!piece) {
    SPPD_DRIVERSTATE* s = SPPD_GetDriverState(SPPD_TerrainState()->pDisplay);
    piece = static_cast<SPW_TERRAINPIECE*>(s ? SPPD_PoolAlloc(s->pGeneralPool, sizeof(SPW_TERRAINPIECE)) : nullptr);
    if (!piece) return nullptr;
  }
  SGE_ListInit(&piece->link);
  piece->dwCount = 0;
  SGE_ListAddTail(&o->pieces, &piece->link);
  return piece;
}

// The overlay cut to each of the tile's triangles, lying on it, wound as the triangle is.
void Rebuild(SPW_TERRAIN* t, const SPW_TERRAINPATCH* p, const uint8_t* tri, uint32_t numIndices,
             SPW_TERRAINOVERLAY* o) {
  ReturnPieces(t, o);
  o->fFlags &= ~SPW_TOVERLAY_REBUILD;
  if (o->dwNumPoints > kMaxPoints) {
    PLAT_Trace("GFXDRV: an overlay of %u points is not drawn (max=%u)\n", o->dwNumPoints, kMaxPoints);
    return;
  }
  SPPD_VERTEX points[kMaxPoints];
  for (uint32_t i = 0; i < o->dwNumPoints; ++i) {
    points[i] = o->pPoints[i];
    if (o->nColourMode != SPW_TOVERLAY_OWN_COLOURS)
      SPPD_ModulateColour(points[i].dwColour, o->dwColour, &points[i].dwColour);
  }
  const SPW_TERRAINVERTEX* grid = t->pVertices + p->dwFirstVertex;
  SPW_TERRAINPIECE* piece = nullptr;
  for (uint32_t i = 0; i + 2 < numIndices; i += 3) {
    SPW_VECTOR c[3];
    Point2 boundary[3];
    for (uint32_t j = 0; j < 3; ++j) {
      const SPW_TERRAINTEMPLATE& v = t->aTemplate[tri[i + j]];
      c[j] = {p->fCentreX + v.dx, p->fCentreY + v.dy, grid[v.dwGridOffset].fHeight};
      boundary[j] = {c[j].x, c[j].y};
    }
    const SPW_VECTOR e1{c[1].x - c[0].x, c[1].y - c[0].y, c[1].z - c[0].z};
    const SPW_VECTOR e2{c[2].x - c[0].x, c[2].y - c[0].y, c[2].z - c[0].z};
    const SPW_VECTOR n{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
    if (!(std::fabs(n.z) > kFlat)) continue;
    SPPD_VERTEX work[kMaxCut], spare[kMaxCut];
    for (uint32_t j = 0; j < o->dwNumPoints; ++j) {
      work[j] = points[j];
      work[j].z = c[0].z - (n.x * (work[j].x - c[0].x) + n.y * (work[j].y - c[0].y)) / n.z;
    }
    uint32_t count = o->dwNumPoints;
    const SPPD_VERTEX* cut = SPW_ClipVerticesToBoundary(work, spare, kMaxCut, &count, boundary, 3);
    if (!cut || count == 0) continue;
    const uint32_t need = 3 * (count - 2);
    if (!piece || piece->dwCount + need > SPW_TOVERLAY_PIECE_VERTICES) {
      piece = TakePiece(t, o);
      if (!piece) return;  // the pieces that find no record are dropped
    }
    // The cut keeps the overlay's winding; the triangle's is the one the lists keep.
    const bool flip = (SPW_TwiceAreaXY(cut, count) < 0.0f) != (n.z < 0.0f);
    for (uint32_t j = 2; j < count; ++j) {
      piece->aVertex[piece->dwCount++] = cut[0];
      piece->aVertex[piece->dwCount++] = cut[flip ? j : j - 1];
      piece->aVertex[piece->dwCount++] = cut[flip ? j - 1 : j];
    }
  }
}

// The pieces taken into view space and queued on the overlay's layer.
void Queue(const SPW_TERRAINPATCH* p, const SPW_TERRAINOVERLAY* o) {
  const SPPD_TERRAINSTATE* g = SPPD_TerrainState();
  const float* m = SPPD_CurrentRenderState()->fViewMatrix;
  for (const SPW_TERRAINPIECE* piece : SGE_ListRecords<SPW_TERRAINPIECE>(&o->pieces)) {
    for (uint32_t i = 0; i + 3 <= piece->dwCount; i += 3) {
      SPPD_VERTEX v[3];
      for (uint32_t j = 0; j < 3; ++j) {
        const SPPD_VERTEX& w = piece->aVertex[i + j];
        v[j] = w;
        v[j].x = w.x * m[0] + w.y * m[4] + w.z * m[8] + m[12];
        v[j].y = w.x * m[1] + w.y * m[5] + w.z * m[9] + m[13];
        v[j].z = w.x * m[2] + w.y * m[6] + w.z * m[10] + m[14];
      }
      SPPD_RenderFVFPolygonLayer(g->pDisplay, o->nLayer, v, 3, 1, o->nTexture, 0, p->dwClipMask);
    }
  }
}

}  // namespace

void SPPD_TerrainDrawOverlays(SPW_TERRAIN* t, SPW_TERRAINPATCH* p, const uint8_t* tri,
                              uint32_t numIndices, bool meshChanged) {
  const SGE_DLLNODE* head = &p->overlays;
  if (!head->pNext) return;
  for (SPW_TERRAINOVERLAY* o : SGE_ListRecords<SPW_TERRAINOVERLAY>(head)) {
    if (meshChanged) o->fFlags |= SPW_TOVERLAY_REBUILD;
    if (o->nLayer < 0 || !o->pPoints || o->dwNumPoints < 3) continue;
    if (o->fFlags & SPW_TOVERLAY_REBUILD) Rebuild(t, p, tri, numIndices, o);
    Queue(p, o);
  }
}
