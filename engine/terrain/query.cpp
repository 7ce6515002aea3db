// Heights, normals and colours under a point of the terrain.
#include <algorithm>
#include <cmath>

#include "engine/math/argb.h"
#include "engine/scene/scene.h"
#include "engine/terrain/terrain.h"

namespace {

// The cell under a point and where in it the point lies. A point on the far edge is in the
// last cell (with a fraction of 1), not in one past the grid.
struct Cell {
  uint32_t ix, iy;
  float fx, fy;
  bool first;  // in the triangle of the cell's first normal
};

Cell CellAt(const SPW_TERRAIN& t, float x, float y) {
  const float cx = x * t.fInvCellSize, cy = y * t.fInvCellSize;
  const uint32_t lastX = t.dwVertsX - 2, lastY = t.dwVertsY - 2;
  Cell c;
  c.ix = std::min(static_cast<uint32_t>(cx), lastX);
  c.iy = std::min(static_cast<uint32_t>(cy), lastY);
  c.fx = cx - static_cast<float>(c.ix);
  c.fy = cy - static_cast<float>(c.iy);
  c.first = (c.ix + c.iy) % 2 == 0 ? c.fy >= c.fx : c.fx + c.fy >= 1.0f;
  return c;
}

bool Inside(const SPW_TERRAIN* t, float x, float y) {
  return t && t->pVertices && !(x < 0.0f) && !(y < 0.0f) &&
         x <= static_cast<float>(t->dwPatchesX) * t->fPatchSize &&
         y <= static_cast<float>(t->dwPatchesY) * t->fPatchSize;
}

const SPW_VECTOR& NormalOf(const SPW_TERRAIN& t, const Cell& c) {
  return t.pNormals[c.ix + c.iy * (t.dwVertsX - 1)].n[c.first ? 0 : 1];
}

uint32_t Lerp(uint32_t c00, uint32_t c10, uint32_t c01, uint32_t c11, float fx, float fy, int shift) {
  auto ch = [shift](uint32_t c) { return static_cast<float>((c >> shift) & 0xFF); };
  const float v = ch(c00) * (1 - fx) * (1 - fy) + ch(c10) * fx * (1 - fy) + ch(c01) * (1 - fx) * fy +
                  ch(c11) * fx * fy;
  return std::min(255u, static_cast<uint32_t>(v + 0.5f)) << shift;
}

uint8_t Channel(float c) { return static_cast<uint8_t>(std::clamp(c, 0.0f, 255.0f)); }

}  // namespace

int32_t SPW_TerrainNormalAt(const SPW_TERRAIN* t, float x, float y, SPW_VECTOR* out) {
  if (!Inside(t, x, y)) return 0;
  *out = NormalOf(*t, CellAt(*t, x, y));
  return 1;
}

int32_t SPW_TerrainHeightAt(const SPW_TERRAIN* t, float x, float y, float* outZ) {
  if (!Inside(t, x, y)) return 0;
  const Cell c = CellAt(*t, x, y);
  const SPW_VECTOR& n = NormalOf(*t, c);
  // The plane through a corner of the triangle: (ix, iy), or the far corner for the first
  // triangle of an odd cell, which does not hold (ix, iy).
  const bool far = c.first && (c.ix + c.iy) % 2 == 1;
  const uint32_t vx = c.ix + (far ? 1 : 0), vy = c.iy + (far ? 1 : 0);
  const float px = static_cast<float>(vx) * t->fCellSize, py = static_cast<float>(vy) * t->fCellSize;
  const float pz = t->pVertices[vx + vy * t->dwVertsX].fHeight;
  *outZ = (n.x * px + n.y * py + n.z * pz - n.x * x - n.y * y) / n.z;
  return 1;
}

bool SPW_TerrainColourAt(const SPW_TERRAIN* t, float x, float y, uint32_t* out) {
  if (!Inside(t, x, y) || x >= static_cast<float>(t->dwPatchesX) * t->fPatchSize ||
      y >= static_cast<float>(t->dwPatchesY) * t->fPatchSize)
    return false;
  const Cell c = CellAt(*t, x, y);
  const SPW_TERRAINVERTEX* v = t->pVertices + c.ix + c.iy * t->dwVertsX;
  const uint32_t c00 = v[0].dwColour, c10 = v[1].dwColour;
  const uint32_t c01 = v[t->dwVertsX].dwColour, c11 = v[t->dwVertsX + 1].dwColour;
  *out = 0xFF000000u | Lerp(c00, c10, c01, c11, c.fx, c.fy, 16) | Lerp(c00, c10, c01, c11, c.fx, c.fy, 8) |
         Lerp(c00, c10, c01, c11, c.fx, c.fy, 0);
  return true;
}

int32_t SPW_GetTerrainHeight(SPW_SCENE* scene, SPW_VECTOR* point) {
  if (!scene || !point) return 0;
  return SPW_TerrainHeightAt(scene->pTerrain, point->x, point->y, &point->z);
}

int32_t SPW_GetTerrainHeightNormal(SPW_SCENE* scene, SPW_VECTOR* point, SPW_VECTOR* outNormal) {
  if (!scene || !point || !outNormal) return 0;
  return SPW_TerrainHeightAt(scene->pTerrain, point->x, point->y, &point->z) &&
         SPW_TerrainNormalAt(scene->pTerrain, point->x, point->y, outNormal);
}

uint32_t SPW_GetTerrainColour(SPW_SCENE* scene, float x, float y) {
  uint32_t colour = 0;
  if (scene && SPW_TerrainColourAt(scene->pTerrain, x, y, &colour)) return colour;
  if (!scene) return SPW_TERRAIN_DEFAULT_COLOUR;
  const SPW_COLOUR& a = scene->ambient;
  return SPW_Argb(0xFF, Channel(a.r), Channel(a.g), Channel(a.b));
}
