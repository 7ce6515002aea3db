// The ray against the terrain's triangles, through its patch quadtree.
#include <cmath>

#include "engine/collide/collide.h"
#include "engine/collide/internal.h"
#include "engine/scene/scene.h"
#include "engine/terrain/terrain.h"

namespace {

constexpr uint32_t kPatchCells = 4;

struct TerrainHit {
  const SPW_TERRAIN& t;
  const SPW_RAY& ray;
  float best;
  SPW_VECTOR point;
  bool found = false;
};

// The box's bounding sphere: its square and its height range.
bool BoxMeetsRay(const SPW_RAY& ray, float cx, float cy, float ex, float ey, float lo, float hi) {
  const float ez = (hi - lo) * 0.5f;
  return SPW_RayMeetsSphere(ray, {cx, cy, (lo + hi) * 0.5f}, std::sqrt(ex * ex + ey * ey + ez * ez));
}

SPW_VECTOR Vertex(const SPW_TERRAIN& t, uint32_t x, uint32_t y) {
  return {static_cast<float>(x) * t.fCellSize, static_cast<float>(y) * t.fCellSize,
          t.pVertices[x + y * t.dwVertsX].fHeight};
}

void Triangle(TerrainHit& h, const SPW_VECTOR& a, const SPW_VECTOR& b, const SPW_VECTOR& c) {
  float t;
  if (!SPW_RayTriangle(h.ray.s, h.ray.d, a, b, c, &t) || t * t >= h.best) return;
  h.best = t * t;
  h.point = {h.ray.s.x + h.ray.d.x * t, h.ray.s.y + h.ray.d.y * t, h.ray.s.z + h.ray.d.z * t};
  h.found = true;
}

// Each cell as two triangles facing up, split along the diagonal its parity gives.
void Patch(TerrainHit& h, const SPW_TERRAINPATCH& p) {
  if (!BoxMeetsRay(h.ray, p.fCentreX, p.fCentreY, h.t.fHalfPatchSize, h.t.fHalfPatchSize,
                   p.fMinHeight, p.fMaxHeight))
    return;
  for (uint32_t cy = 0; cy < kPatchCells; ++cy)
    for (uint32_t cx = 0; cx < kPatchCells; ++cx) {
      const uint32_t ix = p.dwX * kPatchCells + cx, iy = p.dwY * kPatchCells + cy;
      const SPW_VECTOR v00 = Vertex(h.t, ix, iy), v10 = Vertex(h.t, ix + 1, iy),
                       v01 = Vertex(h.t, ix, iy + 1), v11 = Vertex(h.t, ix + 1, iy + 1);
      if ((ix + iy) % 2 == 0) {
        Triangle(h, v00, v10, v11);
        Triangle(h, v00, v11, v01);
      } else {
        Triangle(h, v00, v10, v01);
        Triangle(h, v10, v11, v01);
      }
    }
}

void Node(TerrainHit& h, const SPW_TERRAINNODE& n) {
  const bool leaves = n.fExtentX < 0;
  if (!BoxMeetsRay(h.ray, n.fCentreX, n.fCentreY, std::fabs(n.fExtentX), n.fExtentY,
                   n.fMinHeight, n.fMaxHeight))
    return;
  for (void* child : n.apChildren) {
    if (!child) continue;
    if (leaves)
      Patch(h, *static_cast<const SPW_TERRAINPATCH*>(child));
    else
      Node(h, *static_cast<const SPW_TERRAINNODE*>(child));  // a quadtree: depth log4 of patches
  }
}

}  // namespace

int32_t SPW_CollideTerrain(SPW_SCENE* scene, const SPW_VECTOR* start,
                           const SPW_VECTOR* direction, float, SPW_VECTOR* outHit, float* best) {
  if (!scene || !scene->pTerrain || !scene->pTerrain->pRoot || !start || !direction || !best)
    return 0;
  const SPW_RAY ray = SPW_MakeRay(start, direction);
  TerrainHit h{*scene->pTerrain, ray, *best, {}};
  Node(h, *scene->pTerrain->pRoot);
  if (!h.found) return 0;
  *best = h.best;
  if (outHit) *outHit = h.point;
  return 1;
}
