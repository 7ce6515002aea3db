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
  const SPW_TERRAINPATCH* p;
  SPW_VECTOR pos[SPW_TERRAIN_TEMPLATE_SIZE];  // view space, for the vertices in use
  uint8_t fogLimit[SPW_TERRAIN_TEMPLATE_SIZE];
  uint8_t tri[SPPD_TERRAIN_TILE_INDICES];
  uint32_t numIndices;
};

bool Active(const SPW_TERRAIN* t, const SPW_TERRAINPATCH* p, uint32_t c, uint32_t r) {
  return t->pVertices[p->dwFirstVertex + r * t->dwVertsX + c].bFlags & SPW_TVERT_ACTIVE;
}

// Bisects triangle (apex, left, right) at the middle of its long edge while that vertex is in
// the mesh; the leaves keep the winding of the tile's four first triangles.
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

uint32_t FogLimit(uint8_t shade) { return shade ? 255u - shade : 255u; }

SPPD_TLVERTEX Project(const SPW_VECTOR& v, uint32_t fogLimit, float u, float tv) {
  SPPD_VIEWVERTEX in{SPPD_TerrainState()->dwAmbient, v.x, v.y, v.z, u, tv};
  SPPD_TLVERTEX out;
  SPPD_PrimProject(in, &out);
  const uint32_t fog = std::min(SPPD_PrimFogSpecular(out.sz) >> 24, fogLimit);
  out.dwSpecular = fog << 24;
  return out;
}

void Prepare(Tile& k) {
  const SPW_TERRAIN* t = k.t;
  const SPPD_TERRAINSTATE* g = SPPD_TerrainState();
  k.numIndices = SPPD_TerrainTileTriangles(t, k.p, k.tri);
  const SPW_VECTOR o{k.p->afViewOrigin[0], k.p->afViewOrigin[1], k.p->afViewOrigin[2]};
  bool done[SPW_TERRAIN_TEMPLATE_SIZE] = {};
  for (uint32_t i = 0; i < k.numIndices; ++i) {
    const uint8_t v = k.tri[i];
    if (done[v]) continue;
    done[v] = true;
    const SPW_TERRAINVERTEX& gv = t->pVertices[k.p->dwFirstVertex + t->aTemplate[v].dwGridOffset];
    const SPW_VECTOR& off = g->aOffsets[v];
    k.pos[v] = {o.x + off.x + gv.fHeight * t->vUp.x, o.y + off.y + gv.fHeight * t->vUp.y,
                o.z + off.z + gv.fHeight * t->vUp.z};
    k.fogLimit[v] = static_cast<uint8_t>(FogLimit(gv.bShade));
  }
}

// The tile's triangles as one indexed run of one pass.
void AppendPass(SPPD_DRIVERSTATE* s, SPPD_BATCHLIST* list, uint32_t texture, const Tile& k,
                bool second) {
  const SPW_TERRAIN* t = k.t;
  const SPW_TERRAINUV* uv = t->aTexCoords[k.p->dwSurface >> SPW_TERRAIN_SURFACE_ORIENT_SHIFT];
  uint8_t map[SPW_TERRAIN_TEMPLATE_SIZE];
  std::memset(map, kUnused, sizeof map);
  SPPD_TLVERTEX verts[SPW_TERRAIN_TEMPLATE_SIZE];
  uint32_t n = 0;
  for (uint32_t i = 0; i < k.numIndices; ++i) {
    const uint8_t v = k.tri[i];
    if (map[v] != kUnused) continue;
    map[v] = static_cast<uint8_t>(n);
    const float u = second ? k.p->fU + t->aTemplate[v].u : uv[v].u;
    const float w = second ? k.p->fV + t->aTemplate[v].v : uv[v].v;
    verts[n++] = Project(k.pos[v], k.fogLimit[v], u, w);
  }
  SPPD_VBUFFER* b = SPPD_BatchRoom(s, list, texture, n, k.numIndices, SPPD_TERRAIN_BUFFER_VERTICES,
                                   SPPD_TERRAIN_BUFFER_INDICES);
  if (!b) return;  // no buffer to be had: the tile is skipped
  const uint32_t base = b->dwVerticesUsed;
  std::memcpy(static_cast<void*>(b->pCursor), verts, n * sizeof(SPPD_TLVERTEX));
  uint16_t* idx = b->pIndices + b->dwIndicesUsed;
  for (uint32_t i = 0; i < k.numIndices; ++i) idx[i] = static_cast<uint16_t>(base + map[k.tri[i]]);
  b->dwVerticesUsed += n;
  b->pCursor += n;
  b->dwIndicesUsed += k.numIndices;
}

void ReadClipped(const uint8_t* ref, ClipVertex* out) { std::memcpy(out, ref, sizeof *out); }

// A straddling tile: each triangle cut against the planes still in its mask, as fans.
void AppendClipped(SPPD_DRIVERSTATE* s, const Tile& k, SPPD_BATCHLIST* first, uint32_t firstTex,
                   SPPD_BATCHLIST* second, uint32_t secondTex) {
  const SPW_TERRAIN* t = k.t;
  const SPW_TERRAINUV* uv = t->aTexCoords[k.p->dwSurface >> SPW_TERRAIN_SURFACE_ORIENT_SHIFT];
  const SPPD_CLIPPLANES planes = SPPD_ClipPlanesOfState();
  for (uint32_t i = 0; i + 2 < k.numIndices; i += 3) {
    ClipVertex in[3];
    for (uint32_t j = 0; j < 3; ++j) {
      const uint8_t v = k.tri[i + j];
      in[j] = {0, uint32_t{k.fogLimit[v]} << 24, k.pos[v].x, k.pos[v].y, k.pos[v].z, uv[v].u, uv[v].v,
               k.p->fU + t->aTemplate[v].u, k.p->fV + t->aTemplate[v].v};
    }
    uint32_t count = 3;
    const uint8_t* const* refs = SPPD_ClipPolygon(planes, in, 2, &count, k.p->dwClipMask, SPPD_CLIP_COLOURS);
    if (!refs || count < 3) continue;
    SPPD_TLVERTEX a[SPPD_CLIP_MAX_VERTICES], b[SPPD_CLIP_MAX_VERTICES];
    for (uint32_t j = 0; j < count; ++j) {
      ClipVertex c;
      ReadClipped(refs[j], &c);
      a[j] = Project({c.x, c.y, c.z}, c.dwColour >> 24, c.u1, c.v1);
      b[j] = a[j];
      b[j].tu = c.u2;
      b[j].tv = c.v2;
    }
    SPPD_BatchAppendFan(s, first, firstTex, a, count, SPPD_TERRAIN_BUFFER_VERTICES, SPPD_TERRAIN_BUFFER_INDICES);
    if (second)
      SPPD_BatchAppendFan(s, second, secondTex, b, count, SPPD_TERRAIN_BUFFER_VERTICES, SPPD_TERRAIN_BUFFER_INDICES);
  }
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
      AppendPass(s, first, firstTex, k, false);
      if (second) AppendPass(s, second, secondTex, k, true);
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
