// Drawing the tiles the set-up kept: each tile's mesh from its active vertices, projected and
// fogged into the terrain's batch lists (clipped against its planes when it straddles them),
// the glow of the dynamic lights that reach it, and the overlays laid on it.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "driver/batch/clip.h"
#include "driver/batch/lists.h"
#include "driver/batch/primitive.h"
#include "driver/core/block.h"
#include "driver/device/renderstate.h"
#include "driver/terrain/terrain.h"
#include "engine/math/polyclip.h"
#include "engine/math/vecops.h"
#include "engine/scene/scene.h"

namespace {

constexpr uint32_t kSide = SPW_TERRAIN_PATCH_SIDE;
constexpr uint32_t kCentre = 12;
constexpr uint8_t kUnused = 0xFF;

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

// What the tiles of one frame share.
struct Frame {
  SPPD_DRIVERSTATE* s;
  const SPPD_TERRAINSTATE* g;
  SPPD_BATCHLIST* first;
  SPPD_BATCHLIST* second;
  SPPD_CLIPPLANES planes;
  uint32_t planeCount;  // the planes the clipper reads
};

void Prepare(const Frame& f, Tile& k) {
  const SPW_TERRAIN* t = k.t;
  UpdateMesh(t, k.p);
  k.tri = k.p->abMesh;
  k.numIndices = k.p->bMeshIndices;
  const SPW_VECTOR o{k.p->afViewOrigin[0], k.p->afViewOrigin[1], k.p->afViewOrigin[2]};
  const SPW_VECTOR up = t->vUp;
  const SPW_TERRAINVERTEX* grid = t->pVertices + k.p->dwFirstVertex;
  for (uint32_t i = 0; i < k.p->bMeshVertices; ++i) {
    const uint8_t v = k.p->abMeshVertices[i];
    const SPW_TERRAINVERTEX& gv = grid[t->aTemplate[v].dwGridOffset];
    const SPW_VECTOR& off = f.g->aOffsets[v];
    k.pos[v] = {o.x + off.x + gv.fHeight * up.x, o.y + off.y + gv.fHeight * up.y,
                o.z + off.z + gv.fHeight * up.z};
    k.fogLimit[v] = static_cast<uint8_t>(FogLimit(gv.bShade));
  }
}

// A tile's polygons for both passes gathered before they go into the lists in one piece each:
// the vertices with the first pass's texture coordinates, the second pass's beside them.
constexpr uint32_t kOutVertices = 128;
constexpr uint32_t kOutIndices = 3 * kOutVertices;
struct Out {
  uint32_t numVertices = 0, numIndices = 0;
  SPPD_TLVERTEX v[kOutVertices];
  float uv2[kOutVertices][2];
  uint16_t idx[kOutIndices];
};

// The texture's current buffer when it has the room, found as the lists' own fast path finds
// it; anything else goes through SPPD_BatchRoom.
SPPD_VBUFFER* Room(SPPD_DRIVERSTATE* s, SPPD_BATCHLIST* list, uint32_t texture, uint32_t n,
                   uint32_t numIndices) {
  if (texture < list->dwCapacity)
    if (const SPPD_BATCHENTRY* chunk = list->ppChunks[texture / SPPD_BATCH_CHUNK])
      if (SPPD_VBUFFER* b = chunk[texture % SPPD_BATCH_CHUNK].pCurrent)
        if (b->dwVertexCapacity - b->dwVerticesUsed >= n && b->dwIndexCapacity - b->dwIndicesUsed >= numIndices)
          return b;
  return SPPD_BatchRoom(s, list, texture, n, numIndices, SPPD_TERRAIN_BUFFER_VERTICES,
                        SPPD_TERRAIN_BUFFER_INDICES);
}

bool Write(SPPD_DRIVERSTATE* s, SPPD_BATCHLIST* list, uint32_t texture, const Out& o) {
  SPPD_VBUFFER* b = Room(s, list, texture, o.numVertices, o.numIndices);
  if (!b) return false;
  const auto base = static_cast<uint16_t>(b->dwVerticesUsed);
  std::memcpy(static_cast<void*>(b->pCursor), o.v, o.numVertices * sizeof(SPPD_TLVERTEX));
  uint16_t* idx = b->pIndices + b->dwIndicesUsed;
  for (uint32_t i = 0; i < o.numIndices; ++i) idx[i] = static_cast<uint16_t>(base + o.idx[i]);
  b->dwVerticesUsed += o.numVertices;
  b->pCursor += o.numVertices;
  b->dwIndicesUsed += o.numIndices;
  return true;
}

// What was gathered goes into the first list and then, with the second coordinates, into the
// second; a pass that gets no buffer loses it (the first pass's loss drops both).
void Emit(const Frame& f, SPPD_BATCHLIST* second, uint32_t firstTex, uint32_t secondTex, Out& o) {
  if (o.numIndices != 0 && Write(f.s, f.first, firstTex, o) && second) {
    for (uint32_t i = 0; i < o.numVertices; ++i) {
      o.v[i].tu = o.uv2[i][0];
      o.v[i].tv = o.uv2[i][1];
    }
    Write(f.s, second, secondTex, o);
  }
  o.numVertices = o.numIndices = 0;
}

// A vertex as the clipper carries it: the fog limit is cut with the geometry, both passes'
// texture coordinates follow.
struct ClipVertex {
  enum { X, Y, Z, U1, V1, U2, V2, FOG, COUNT };
  float f[COUNT];
};

ClipVertex g_clip[2][SPPD_CLIP_MAX_VERTICES];

// The triangle in g_clip[0] cut against the planes of mask as the batch clipper cuts (the same
// arithmetic, so the same vertices), without its generic vertex records. The polygon left, in
// *count vertices; none when nothing is left or a list would overflow.
const ClipVertex* ClipTriangle(const Frame& f, uint32_t mask, uint32_t* count) {
  *count = 3;
  return SPW_ClipPolygon(
      g_clip[0], g_clip[1], SPPD_CLIP_MAX_VERTICES, count, mask & SPPD_ClipPlaneBits(f.planes),
      [&](int i, const ClipVertex& v) {
        return SPPD_ClipDistance(f.planes, static_cast<uint32_t>(i), v.f[ClipVertex::X],
                                 v.f[ClipVertex::Y], v.f[ClipVertex::Z]);
      },
      [](const ClipVertex& from, const ClipVertex& to, float t, ClipVertex& c) {
        for (int k = 0; k < ClipVertex::COUNT; ++k) c.f[k] = from.f[k] + (to.f[k] - from.f[k]) * t;
        return true;
      });
}

// A cut fog limit as the clipper stores colours: clamped and rounded.
uint32_t FogByte(float f) {
  f = f < 0.0f ? 0.0f : (f > 255.0f ? 255.0f : f);
  return static_cast<uint32_t>(f + 0.5f);
}

// A tile's vertices (mesh numbers) with its indices into them, projected, after what o holds.
void AddMesh(const Frame& f, const Tile& k, const uint8_t* vertices, uint32_t n,
             const uint8_t* indices, uint32_t numIndices, Out& o) {
  const SPW_TERRAIN* t = k.t;
  const SPW_TERRAINPATCH* p = k.p;
  const SPW_TERRAINUV* uv = t->aTexCoords[p->dwSurface >> SPW_TERRAIN_SURFACE_ORIENT_SHIFT];
  const uint32_t base = o.numVertices;
  for (uint32_t i = 0; i < n; ++i) {
    const uint8_t v = vertices[i];
    SPPD_TLVERTEX& out = o.v[base + i];
    Project(*f.g, k.pos[v], k.fogLimit[v], &out);
    out.tu = uv[v].u;
    out.tv = uv[v].v;
    o.uv2[base + i][0] = p->fU + t->aTemplate[v].u;
    o.uv2[base + i][1] = p->fV + t->aTemplate[v].v;
  }
  for (uint32_t i = 0; i < numIndices; ++i) o.idx[o.numIndices + i] = static_cast<uint16_t>(base + indices[i]);
  o.numVertices += n;
  o.numIndices += numIndices;
}

// An unclipped tile: its mesh vertices projected once for both passes.
void AppendUnclipped(const Frame& f, const Tile& k, SPPD_BATCHLIST* second, uint32_t firstTex,
                     uint32_t secondTex) {
  Out o;
  AddMesh(f, k, k.p->abMeshVertices, k.p->bMeshVertices, k.p->abMeshIndices, k.numIndices, o);
  Emit(f, second, firstTex, secondTex, o);
}

// A straddling tile: each triangle cut against the planes still in its mask, as fans; the
// triangles inside all of them go as an unclipped tile's do, with only the vertices they use.
void AppendClipped(const Frame& f, const Tile& k, SPPD_BATCHLIST* second, uint32_t firstTex,
                   uint32_t secondTex) {
  const SPW_TERRAIN* t = k.t;
  const SPW_TERRAINPATCH* p = k.p;
  const SPW_TERRAINUV* uv = t->aTexCoords[p->dwSurface >> SPW_TERRAIN_SURFACE_ORIENT_SHIFT];
  // The planes of the mask that each vertex lies outside of: a triangle outside of none needs
  // no cut, one wholly outside a plane is dropped, the clipper cuts only the rest.
  uint32_t outside[SPW_TERRAIN_TEMPLATE_SIZE];
  for (uint32_t i = 0; i < p->bMeshVertices; ++i) {
    const uint8_t v = p->abMeshVertices[i];
    const SPW_VECTOR& q = k.pos[v];
    uint32_t bits = 0;
    for (uint32_t m = p->dwClipMask, b; m; m &= m - 1) {
      b = static_cast<uint32_t>(__builtin_ctz(m));
      if (b >= f.planeCount) break;
      if (SPPD_ClipDistance(f.planes, b, q.x, q.y, q.z) < 0) bits |= 1u << b;
    }
    outside[v] = bits;
  }
  Out o;
  uint8_t inside[SPW_TERRAIN_MESH_INDICES];
  uint32_t numInside = 0;
  bool used[SPW_TERRAIN_TEMPLATE_SIZE] = {};
  for (uint32_t i = 0; i + 2 < k.numIndices; i += 3) {
    const uint32_t o0 = outside[k.tri[i]], o1 = outside[k.tri[i + 1]], o2 = outside[k.tri[i + 2]];
    if (o0 & o1 & o2) continue;
    if ((o0 | o1 | o2) == 0) {
      for (uint32_t j = 0; j < 3; ++j) used[inside[numInside++] = p->abMeshIndices[i + j]] = true;
      continue;
    }
    for (uint32_t j = 0; j < 3; ++j) {
      const uint8_t v = k.tri[i + j];
      g_clip[0][j] = {{k.pos[v].x, k.pos[v].y, k.pos[v].z, uv[v].u, uv[v].v,
                       p->fU + t->aTemplate[v].u, p->fV + t->aTemplate[v].v, float(k.fogLimit[v])}};
    }
    uint32_t count = 0;
    const ClipVertex* c = ClipTriangle(f, o0 | o1 | o2, &count);
    if (!c || count < 3) continue;
    if (o.numVertices + count > kOutVertices || o.numIndices + 3 * (count - 2) > kOutIndices)
      Emit(f, second, firstTex, secondTex, o);
    if (count > kOutVertices) continue;  // more than a tile's batch holds
    const uint32_t base = o.numVertices;
    for (uint32_t j = 0; j < count; ++j) {
      SPPD_TLVERTEX& out = o.v[base + j];
      const float* cv = c[j].f;
      Project(*f.g, {cv[ClipVertex::X], cv[ClipVertex::Y], cv[ClipVertex::Z]}, FogByte(cv[ClipVertex::FOG]), &out);
      out.tu = cv[ClipVertex::U1];
      out.tv = cv[ClipVertex::V1];
      o.uv2[base + j][0] = cv[ClipVertex::U2];
      o.uv2[base + j][1] = cv[ClipVertex::V2];
    }
    for (uint32_t j = 1; j + 1 < count; ++j) {
      o.idx[o.numIndices++] = static_cast<uint16_t>(base);
      o.idx[o.numIndices++] = static_cast<uint16_t>(base + j);
      o.idx[o.numIndices++] = static_cast<uint16_t>(base + j + 1);
    }
    o.numVertices += count;
  }
  if (numInside != 0) {
    // The vertices the inner triangles use, numbered anew.
    uint8_t vertices[SPW_TERRAIN_TEMPLATE_SIZE], map[SPW_TERRAIN_TEMPLATE_SIZE];
    uint32_t n = 0;
    for (uint32_t i = 0; i < p->bMeshVertices; ++i)
      if (used[i]) {
        map[i] = static_cast<uint8_t>(n);
        vertices[n++] = p->abMeshVertices[i];
      }
    for (uint32_t i = 0; i < numInside; ++i) inside[i] = map[inside[i]];
    if (o.numVertices + n > kOutVertices || o.numIndices + numInside > kOutIndices)
      Emit(f, second, firstTex, secondTex, o);
    AddMesh(f, k, vertices, n, inside, numInside, o);
  }
  Emit(f, second, firstTex, secondTex, o);
}

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
    const SPW_VECTOR e1 = SPW_VSub(k.pos[k.tri[i + 1]], p0), e2 = SPW_VSub(k.pos[k.tri[i + 2]], p0);
    SPW_VECTOR n = SPW_VCross(e1, e2);
    const float len = SPW_VLength(n);
    if (!(len > 0)) continue;
    n = {n.x / len, n.y / len, n.z / len};
    // Above the ground: the normal of the tile's winding points down in view of the up axis.
    if (SPW_VDot(n, SPPD_TerrainState()->pTerrain->vUp) < 0) n = {-n.x, -n.y, -n.z};
    float d = 1e30f;
    for (uint32_t j = 0; j < 3; ++j)
      d = std::min(d, SPW_VDot(n, SPW_VSub(lp, k.pos[k.tri[i + j]])));
    const float low = (light->fFlags & SPW_LIGHT_ONE_SIDED) ? 0.0f : -r;
    if (!(d < r && d > low)) continue;
    const SPW_VECTOR centre{lp.x - d * n.x, lp.y - d * n.y, lp.z - d * n.z};
    SPPD_VERTEX v[3];
    for (uint32_t j = 0; j < 3; ++j) {
      const SPW_VECTOR& p = k.pos[k.tri[i + j]];
      const SPW_VECTOR rel = SPW_VSub(p, centre);
      const float f = std::max(0.0f, 1.0f - SPW_VLength(rel) / r);
      SPW_COLOUR c{light->colour.r * f, light->colour.g * f, light->colour.b * f, light->colour.a * f};
      v[j] = {0, SPW_ColourToARGB(&c, nullptr), p.x, p.y, p.z, SPW_VDot(rel, g->vRight) / r + 0.5f,
              SPW_VDot(rel, g->vUp) / r + 0.5f};
    }
    SPPD_RenderFVFPolygonLayer(g->pDisplay, layer, v, 3, 1, g->nGlowTexture, 0, k.p->dwClipMask);
  }
}

void DrawGlows(const Tile& k) {
  for (const SPW_TERRAINLIGHTLINK* link : SPW_TileLightLinks(&k.p->lights)) {
    // The light's value says how its glow blends (0: none); cone lights lay none.
    if (link->pLight->dwValue != 0 && link->pLight->dwKind != SPW_LIGHT_CONE) DrawGlow(k, link->pLight);
  }
}

void DrawTile(const Frame& f, SPW_TERRAIN* t, SPW_TERRAINPATCH* p) {
  Tile k;
  k.t = t;
  k.p = p;
  const bool meshChanged = !p->bMeshIndices || (p->dwFlags & SPW_TPATCH_REBUILD);
  Prepare(f, k);
  SPPD_BATCHLIST* second = p->nTextureId > 0 ? f.second : nullptr;
  const uint32_t firstTex = p->dwSurface & SPW_TERRAIN_SURFACE_ID_MASK;
  const auto secondTex = static_cast<uint32_t>(p->nTextureId);
  if (f.first) {
    if (p->dwClipMask) AppendClipped(f, k, second, firstTex, secondTex);
    else AppendUnclipped(f, k, second, firstTex, secondTex);
  }
  if (p->dwFlags & SPW_TPATCH_LIT) DrawGlows(k);
  if (p->dwFlags & SPW_TPATCH_OVERLAYS) SPPD_TerrainDrawOverlays(t, p, k.tri, k.numIndices, meshChanged);
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
  const SPPD_CLIPPLANES planes = SPPD_ClipPlanesOfState();
  const Frame f{s, g, SPPD_BatchLayer(s, SPPD_TERRAIN_LAYER_TILES),
                SPPD_BatchLayer(s, SPPD_TERRAIN_LAYER_SECOND_PASS), planes,
                SPPD_ClipPlaneCount(planes)};
  for (SPW_TERRAINLIST list : {SPW_TLIST_CLIPPED, SPW_TLIST_NEAR, SPW_TLIST_FAR})
    for (uint32_t i = 0; i < t->adwListCount[list]; ++i) DrawTile(f, t, t->apLists[list][i]);
}
