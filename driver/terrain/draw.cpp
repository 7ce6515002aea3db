// Drawing the tiles the set-up kept: each tile's mesh from its active vertices, projected and
// fogged into the terrain's batch lists (clipped against its planes when it straddles them),
// and the glow of the dynamic lights that reach it.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "driver/batch/clip.h"
#include "driver/batch/lists.h"
#include "driver/batch/primitive.h"
#include "driver/core/block.h"
#include "driver/device/renderstate.h"
#include "driver/terrain/terrain.h"
#include "engine/scene/scene.h"

namespace {

constexpr uint32_t kSide = SPW_TERRAIN_PATCH_SIDE;
constexpr uint32_t kCentre = 12;
constexpr uint8_t kUnused = 0xFF;

// A vertex as the clipper sees it: the fog limit rides in the colour's alpha so that it is cut
// with the geometry; both passes' texture coordinates follow.
struct ClipVertex {
  uint32_t dwFirst;
  uint32_t dwColour;
  float x, y, z;
  float u1, v1, u2, v2;
};
static_assert(sizeof(ClipVertex) == SPPD_ClipVertexStride(2));

struct Tile {
  const SPW_TERRAIN* t;
  SPW_TERRAINPATCH* p;
  const uint8_t* tri;  // the mesh, vertex numbers 0-24
  uint32_t numIndices;
  SPW_VECTOR pos[SPW_TERRAIN_TEMPLATE_SIZE];  // view space, for the vertices in use
  uint8_t fogLimit[SPW_TERRAIN_TEMPLATE_SIZE];
};

bool Active(const SPW_TERRAIN* t, const SPW_TERRAINPATCH* p, uint32_t c, uint32_t r) {
  return t->pVertices[p->dwFirstVertex + r * t->dwVertsX + c].bFlags & SPW_TVERT_ACTIVE;
}

// Bisects triangle (apex, left, right) at the middle of its long edge while that vertex is in
// the mesh.
void Bisect(const SPW_TERRAIN* t, const SPW_TERRAINPATCH* p, uint8_t a, uint8_t l, uint8_t r,
            uint8_t* out, uint32_t* n) {
  const uint32_t sc = l % kSide + r % kSide, sr = l / kSide + r / kSide;
  if (sc % 2 == 0 && sr % 2 == 0 && Active(t, p, sc / 2, sr / 2)) {
    const auto m = static_cast<uint8_t>(sr / 2 * kSide + sc / 2);
    Bisect(t, p, m, a, l, out, n);
    Bisect(t, p, m, r, a, out, n);
    return;
  }
  // Counter-clockwise on the screen seen from above, the side the lists keep.
  out[(*n)++] = a;
  out[(*n)++] = r;
  out[(*n)++] = l;
}

// The tile's mesh, built again only when a vertex of it was switched.
void UpdateMesh(const SPW_TERRAIN* t, SPW_TERRAINPATCH* p) {
  if (p->bMeshIndices && !(p->dwFlags & SPW_TPATCH_REBUILD)) return;
  const uint32_t n = SPPD_TerrainTileTriangles(t, p, p->abMesh);
  uint8_t map[SPW_TERRAIN_TEMPLATE_SIZE];
  std::memset(map, kUnused, sizeof map);
  uint8_t used = 0;
  for (uint32_t i = 0; i < n; ++i) {
    const uint8_t v = p->abMesh[i];
    if (map[v] == kUnused) {
      map[v] = used;
      p->abMeshVertices[used++] = v;
    }
    p->abMeshIndices[i] = map[v];
  }
  p->bMeshVertices = used;
  p->bMeshIndices = static_cast<uint8_t>(n);
  p->dwFlags &= ~SPW_TPATCH_REBUILD;
}

uint32_t FogLimit(uint8_t shade) { return shade ? 255u - shade : 255u; }

// Screen position, depth, 1/w and fog of a view-space vertex; no more than the limit of fog
// factor (the border blend) is left.
inline void Project(const SPPD_TERRAINSTATE& g, const SPW_VECTOR& v, uint32_t fogLimit,
                    SPPD_TLVERTEX* out) {
  const float rhw = -1.0f / v.z;
  out->sx = g.fScaleX * v.x * rhw + g.fCentreX;
  out->sy = g.fScaleY * v.y * rhw + g.fCentreY;
  out->sz = g.fDepthOffset - g.fDepthFactor * rhw;
  out->rhw = rhw;
  out->dwDiffuse = g.dwAmbient;
  const uint32_t fog = out->sz <= 0.997f ? 255u : SPPD_PrimFogSpecular(out->sz) >> 24;
  out->dwSpecular = (fog < fogLimit ? fog : fogLimit) << 24;
}

void Prepare(Tile& k) {
  const SPW_TERRAIN* t = k.t;
  const SPPD_TERRAINSTATE* g = SPPD_TerrainState();
  UpdateMesh(t, k.p);
  k.tri = k.p->abMesh;
  k.numIndices = k.p->bMeshIndices;
  const SPW_VECTOR o{k.p->afViewOrigin[0], k.p->afViewOrigin[1], k.p->afViewOrigin[2]};
  for (uint32_t i = 0; i < k.p->bMeshVertices; ++i) {
    const uint8_t v = k.p->abMeshVertices[i];
    const SPW_TERRAINVERTEX& gv = t->pVertices[k.p->dwFirstVertex + t->aTemplate[v].dwGridOffset];
    const SPW_VECTOR& off = g->aOffsets[v];
    k.pos[v] = {o.x + off.x + gv.fHeight * t->vUp.x, o.y + off.y + gv.fHeight * t->vUp.y,
                o.z + off.z + gv.fHeight * t->vUp.z};
    k.fogLimit[v] = static_cast<uint8_t>(FogLimit(gv.bShade));
  }
}

// Writes vertices and the mesh's indices into a buffer of the list; false when none can be had.
bool Write(SPPD_DRIVERSTATE* s, SPPD_BATCHLIST* list, uint32_t texture, const SPPD_TLVERTEX* v,
           uint32_t n, const uint8_t* indices, uint32_t numIndices) {
  SPPD_VBUFFER* b = SPPD_BatchRoom(s, list, texture, n, numIndices, SPPD_TERRAIN_BUFFER_VERTICES,
                                   SPPD_TERRAIN_BUFFER_INDICES);
  if (!b) return false;
  const auto base = static_cast<uint16_t>(b->dwVerticesUsed);
  std::memcpy(static_cast<void*>(b->pCursor), v, n * sizeof(SPPD_TLVERTEX));
  uint16_t* idx = b->pIndices + b->dwIndicesUsed;
  for (uint32_t i = 0; i < numIndices; ++i) idx[i] = static_cast<uint16_t>(base + indices[i]);
  b->dwVerticesUsed += n;
  b->pCursor += n;
  b->dwIndicesUsed += numIndices;
  return true;
}

// An unclipped tile: its vertices projected once, written with the tile's oriented texture
// coordinates and then with those of its source texture.
void AppendUnclipped(SPPD_DRIVERSTATE* s, const Tile& k, SPPD_BATCHLIST* first, uint32_t firstTex,
                     SPPD_BATCHLIST* second, uint32_t secondTex, const uint8_t* indices,
                     uint32_t numIndices) {
  const SPW_TERRAIN* t = k.t;
  const SPW_TERRAINPATCH* p = k.p;
  const SPPD_TERRAINSTATE& g = *SPPD_TerrainState();
  const SPW_TERRAINUV* uv = t->aTexCoords[p->dwSurface >> SPW_TERRAIN_SURFACE_ORIENT_SHIFT];
  SPPD_TLVERTEX verts[SPW_TERRAIN_TEMPLATE_SIZE];
  const uint32_t n = p->bMeshVertices;
  for (uint32_t i = 0; i < n; ++i) {
    const uint8_t v = p->abMeshVertices[i];
    Project(g, k.pos[v], k.fogLimit[v], &verts[i]);
    verts[i].tu = uv[v].u;
    verts[i].tv = uv[v].v;
  }
  // No buffer to be had: the tile is skipped.
  if (numIndices == 0) return;
  if (!Write(s, first, firstTex, verts, n, indices, numIndices) || !second) return;
  for (uint32_t i = 0; i < n; ++i) {
    const SPW_TERRAINTEMPLATE& e = t->aTemplate[p->abMeshVertices[i]];
    verts[i].tu = p->fU + e.u;
    verts[i].tv = p->fV + e.v;
  }
  Write(s, second, secondTex, verts, n, indices, numIndices);
}

void ReadClipped(const uint8_t* ref, ClipVertex* out) { std::memcpy(out, ref, sizeof *out); }

// A straddling tile: each triangle cut against the planes still in its mask, as fans; the
// triangles inside all of them go as an unclipped tile's do.
void AppendClipped(SPPD_DRIVERSTATE* s, const Tile& k, SPPD_BATCHLIST* first, uint32_t firstTex,
                   SPPD_BATCHLIST* second, uint32_t secondTex) {
  const SPW_TERRAIN* t = k.t;
  const SPW_TERRAINUV* uv = t->aTexCoords[k.p->dwSurface >> SPW_TERRAIN_SURFACE_ORIENT_SHIFT];
  const SPPD_CLIPPLANES planes = SPPD_ClipPlanesOfState();
  // The planes of the mask that each vertex lies outside of: a triangle outside of none needs
  // no cut, one wholly outside a plane is dropped, the clipper cuts only the rest.
  uint32_t outside[SPW_TERRAIN_TEMPLATE_SIZE];
  for (uint32_t i = 0; i < k.p->bMeshVertices; ++i) {
    const uint8_t v = k.p->abMeshVertices[i];
    outside[v] = 0;
    for (uint32_t m = k.p->dwClipMask, b; m; m &= m - 1) {
      b = static_cast<uint32_t>(__builtin_ctz(m));
      if (b >= planes.count) break;
      const float* n = planes.normals[b];
      if (n[0] * k.pos[v].x + n[1] * k.pos[v].y + n[2] * k.pos[v].z - planes.consts[b] < 0) outside[v] |= 1u << b;
    }
  }
  uint8_t inside[SPW_TERRAIN_MESH_INDICES];
  uint32_t numInside = 0;
  for (uint32_t i = 0; i + 2 < k.numIndices; i += 3) {
    const uint32_t o0 = outside[k.tri[i]], o1 = outside[k.tri[i + 1]], o2 = outside[k.tri[i + 2]];
    if (o0 & o1 & o2) continue;
    if ((o0 | o1 | o2) == 0) {
      for (uint32_t j = 0; j < 3; ++j) inside[numInside++] = k.p->abMeshIndices[i + j];
      continue;
    }
    ClipVertex in[3];
    for (uint32_t j = 0; j < 3; ++j) {
      const uint8_t v = k.tri[i + j];
      in[j] = {0, uint32_t{k.fogLimit[v]} << 24, k.pos[v].x, k.pos[v].y, k.pos[v].z, uv[v].u, uv[v].v,
               k.p->fU + t->aTemplate[v].u, k.p->fV + t->aTemplate[v].v};
    }
    uint32_t count = 3;
    const uint8_t* const* refs = SPPD_ClipPolygon(planes, in, 2, &count, o0 | o1 | o2, SPPD_CLIP_COLOURS);
    if (!refs || count < 3) continue;
    SPPD_TLVERTEX a[SPPD_CLIP_MAX_VERTICES], b[SPPD_CLIP_MAX_VERTICES];
    const SPPD_TERRAINSTATE& g = *SPPD_TerrainState();
    for (uint32_t j = 0; j < count; ++j) {
      ClipVertex c;
      ReadClipped(refs[j], &c);
      Project(g, {c.x, c.y, c.z}, c.dwColour >> 24, &a[j]);
      a[j].tu = c.u1;
      a[j].tv = c.v1;
      b[j] = a[j];
      b[j].tu = c.u2;
      b[j].tv = c.v2;
    }
    SPPD_BatchAppendFan(s, first, firstTex, a, count, SPPD_TERRAIN_BUFFER_VERTICES, SPPD_TERRAIN_BUFFER_INDICES);
    if (second)
      SPPD_BatchAppendFan(s, second, secondTex, b, count, SPPD_TERRAIN_BUFFER_VERTICES, SPPD_TERRAIN_BUFFER_INDICES);
  }
  AppendUnclipped(s, k, first, firstTex, second, secondTex, inside, numInside);
}

SPW_VECTOR Sub(const SPW_VECTOR& a, const SPW_VECTOR& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
float Dot(const SPW_VECTOR& a, const SPW_VECTOR& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// The light's glow laid over each triangle of the tile that it reaches.
void DrawGlow(const Tile& k, const SPW_LIGHT* light) {
  const SPPD_TERRAINSTATE* g = SPPD_TerrainState();
  const float* view = SPPD_CurrentRenderState()->fViewMatrix;
  const SPW_VECTOR& w = light->vPos;
  const SPW_VECTOR lp{w.x * view[0] + w.y * view[4] + w.z * view[8] + view[12],
                      w.x * view[1] + w.y * view[5] + w.z * view[9] + view[13],
                      w.x * view[2] + w.y * view[6] + w.z * view[10] + view[14]};
  const float r = light->fRadius;
  if (!(r > 0)) return;
  const int layer = light->dwValue == 2 ? SPPD_TERRAIN_LAYER_GLOW_BLEND : SPPD_TERRAIN_LAYER_GLOW_ADD;
  for (uint32_t i = 0; i + 2 < k.numIndices; i += 3) {
    const SPW_VECTOR& p0 = k.pos[k.tri[i]];
    const SPW_VECTOR e1 = Sub(k.pos[k.tri[i + 1]], p0), e2 = Sub(k.pos[k.tri[i + 2]], p0);
    SPW_VECTOR n{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
    const float len = std::sqrt(Dot(n, n));
    if (!(len > 0)) continue;
    n = {n.x / len, n.y / len, n.z / len};
    // Above the ground: the normal of the tile's winding points down in view of the up axis.
    if (Dot(n, SPPD_TerrainState()->pTerrain->vUp) < 0) n = {-n.x, -n.y, -n.z};
    float d = 1e30f;
    for (uint32_t j = 0; j < 3; ++j) d = std::min(d, Dot(n, Sub(lp, k.pos[k.tri[i + j]])));
    const float low = (light->fFlags & SPW_LIGHT_ONE_SIDED) ? 0.0f : -r;
    if (!(d < r && d > low)) continue;
    const SPW_VECTOR centre{lp.x - d * n.x, lp.y - d * n.y, lp.z - d * n.z};
    SPPD_VERTEX v[3];
    for (uint32_t j = 0; j < 3; ++j) {
      const SPW_VECTOR& p = k.pos[k.tri[i + j]];
      const SPW_VECTOR rel = Sub(p, centre);
      const float f = std::max(0.0f, 1.0f - std::sqrt(Dot(rel, rel)) / r);
      SPW_COLOUR c{light->colour.r * f, light->colour.g * f, light->colour.b * f, light->colour.a * f};
      v[j] = {0, SPW_ColourToARGB(&c, nullptr), p.x, p.y, p.z, Dot(rel, g->vRight) / r + 0.5f,
              Dot(rel, g->vUp) / r + 0.5f};
    }
    SPPD_RenderFVFPolygonLayer(g->pDisplay, layer, v, 3, 1, g->nGlowTexture, 0, k.p->dwClipMask);
  }
}

void DrawGlows(const Tile& k) {
  const SGE_DLLNODE* head = &k.p->lights;
  for (SGE_DLLNODE* n = SGE_ListFirst(head); n; n = SGE_ListNext(head, n)) {
    const auto* link = reinterpret_cast<const SPW_TERRAINLIGHTLINK*>(
        reinterpret_cast<const char*>(n) - offsetof(SPW_TERRAINLIGHTLINK, tileLink));
    // The light's value says how its glow blends (0: none); cone lights lay none.
    if (link->pLight->dwValue != 0 && link->pLight->dwKind != SPW_LIGHT_CONE) DrawGlow(k, link->pLight);
  }
}

void DrawTile(SPPD_DRIVERSTATE* s, SPW_TERRAIN* t, SPW_TERRAINPATCH* p) {
  Tile k;
  k.t = t;
  k.p = p;
  Prepare(k);
  SPPD_BATCHLIST* first = SPPD_BatchLayer(s, SPPD_TERRAIN_LAYER_TILES);
  SPPD_BATCHLIST* second = p->nTextureId > 0 ? SPPD_BatchLayer(s, SPPD_TERRAIN_LAYER_SECOND_PASS) : nullptr;
  const uint32_t firstTex = p->dwSurface & SPW_TERRAIN_SURFACE_ID_MASK;
  const auto secondTex = static_cast<uint32_t>(p->nTextureId);
  if (first) {
    if (p->dwClipMask) {
      AppendClipped(s, k, first, firstTex, second, secondTex);
    } else {
      AppendUnclipped(s, k, first, firstTex, second, secondTex, p->abMeshIndices, k.numIndices);
    }
  }
  if (p->dwFlags & SPW_TPATCH_LIT) DrawGlows(k);
  p->dwFlags &= ~SPW_TPATCH_VISIBLE;
}

}  // namespace

uint32_t SPPD_TerrainTileTriangles(const SPW_TERRAIN* t, const SPW_TERRAINPATCH* p, uint8_t* out) {
  // Four triangles around the centre, between the corners 4, 0, 20, 24 and back to 4.
  static constexpr uint8_t kCorners[5] = {4, 0, 20, 24, 4};
  uint32_t n = 0;
  for (int i = 0; i < 4; ++i) Bisect(t, p, kCentre, kCorners[i], kCorners[i + 1], out, &n);
  return n;
}

void SPPD_TerrainDrawFrame() {
  SPPD_TERRAINSTATE* g = SPPD_TerrainState();
  SPW_TERRAIN* t = g->pTerrain;
  SPPD_DRIVERSTATE* s = SPPD_GetDriverState(g->pDisplay);
  if (!t || !t->pPatches || !s) return;
  for (SPW_TERRAINLIST list : {SPW_TLIST_CLIPPED, SPW_TLIST_NEAR, SPW_TLIST_FAR})
    for (uint32_t i = 0; i < t->adwListCount[list]; ++i) DrawTile(s, t, t->apLists[list][i]);
}
