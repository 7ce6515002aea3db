// The terrain's frame set-up: quadtree culling against the clip planes, the dynamic lights'
// tiles, level-of-detail bounds and the switching of grid vertices.
#include <algorithm>
#include <cfloat>
#include <cmath>

#include "driver/core/block.h"
#include "driver/core/pools.h"
#include "driver/device/renderstate.h"
#include "driver/terrain/terrain.h"
#include "driver/device/sceneview.h"
#include "engine/scene/scene.h"  // the light records

namespace {

SPPD_TERRAINSTATE g_state = [] {
  SPPD_TERRAINSTATE s{};
  s.dwAmbient = 0xFFFFFFFFu;
  return s;
}();

SPW_VECTOR Rotate(const float* m, SPW_VECTOR v) {
  return {v.x * m[0] + v.y * m[4] + v.z * m[8], v.x * m[1] + v.y * m[5] + v.z * m[9],
          v.x * m[2] + v.y * m[6] + v.z * m[10]};
}
SPW_VECTOR Transform(const float* m, SPW_VECTOR v) {
  SPW_VECTOR r = Rotate(m, v);
  return {r.x + m[12], r.y + m[13], r.z + m[14]};
}

// The render state culling runs against, and its planes with their normals' magnitudes, taken
// once a frame.
struct CullPlane {
  float n[3], a[3], d;
};
const SPPD_SYSTEMRENDERSTATE* g_rs;
CullPlane g_planes[SPPD_MAX_CLIP_PLANES];

// A box relative to the eye against the planes of the mask: the planes it lies wholly inside
// leave the mask; false when it lies wholly outside one.
bool CullBox(float cx, float cy, float ex, float ey, float lo, float hi, uint32_t* mask) {
  const SPW_VECTOR& eye = g_state.vEye;
  const float mx = cx - eye.x, my = cy - eye.y, mz = (lo + hi) * 0.5f - eye.z, ez = (hi - lo) * 0.5f;
  // The mask holds only planes below the state's count: its bits are the planes to test.
  for (uint32_t m = *mask, i; m; m &= m - 1) {
    i = static_cast<uint32_t>(__builtin_ctz(m));
    const CullPlane& p = g_planes[i];
    const float centre = p.n[0] * mx + p.n[1] * my + p.n[2] * mz;
    const float reach = p.a[0] * ex + p.a[1] * ey + p.a[2] * ez;
    if (centre - reach > p.d) *mask &= ~(1u << i);
    else if (centre + reach <= p.d) return false;
  }
  return true;
}

void AddVisible(SPW_TERRAIN* t, SPW_TERRAINPATCH* p, uint32_t mask) {
  const float* view = g_rs->fViewMatrix;
  const SPW_VECTOR o = Transform(view, {p->fCentreX, p->fCentreY, 0.0f});
  p->afViewOrigin[0] = o.x;
  p->afViewOrigin[1] = o.y;
  p->afViewOrigin[2] = o.z;
  p->dwClipMask = mask;
  p->dwFlags |= SPW_TPATCH_VISIBLE;
  t->apLists[SPW_TLIST_VISIBLE][t->adwListCount[SPW_TLIST_VISIBLE]++] = p;
}

// A subtree wholly inside every plane: all of its tiles, none clipped.
void AddAll(SPW_TERRAIN* t, void* item, bool leaves) {
  if (!item) return;
  if (leaves) {
    AddVisible(t, static_cast<SPW_TERRAINPATCH*>(item), 0);
    return;
  }
  auto* n = static_cast<SPW_TERRAINNODE*>(item);
  for (void* c : n->apChildren) AddAll(t, c, n->fExtentX < 0);
}

void Cull(SPW_TERRAIN* t, SPW_TERRAINNODE* n, uint32_t mask) {
  if (!CullBox(n->fCentreX, n->fCentreY, std::fabs(n->fExtentX), n->fExtentY, n->fMinHeight,
               n->fMaxHeight, &mask))
    return;
  const bool last = n->fExtentX < 0;
  for (void* c : n->apChildren) {
    if (!c) continue;
    if (mask == 0) {
      AddAll(t, c, last);
    } else if (last) {
      auto* p = static_cast<SPW_TERRAINPATCH*>(c);
      uint32_t m = mask;
      if (CullBox(p->fCentreX, p->fCentreY, t->fHalfPatchSize, t->fHalfPatchSize, p->fMinHeight,
                  p->fMaxHeight, &m))
        AddVisible(t, p, m);
    } else {
      Cull(t, static_cast<SPW_TERRAINNODE*>(c), mask);
    }
  }
}

SPW_TERRAINLIGHTLINK* LinkOf(SGE_DLLNODE* n) {
  return SGE_ListRecord<SPW_TERRAINLIGHTLINK, SPW_LIGHTLINK_IN_LIGHT>(n);
}

void DropLinks(SPW_TERRAIN* t, SPW_LIGHT* light) {
  if (!light->terrainLinks.pNext) SGE_ListInit(&light->terrainLinks);
  while (SPW_TERRAINLIGHTLINK* link = LinkOf(SGE_ListPopHead(&light->terrainLinks))) {
    SGE_ListUnlink(&link->tileLink);
    if (SGE_ListIsEmpty(&link->pPatch->lights)) link->pPatch->dwFlags &= ~SPW_TPATCH_LIT;
    SGE_ListAddTail(&t->freeLinks, &link->lightLink);
  }
}

bool BehindAPlane(const SPW_LIGHT* light) {
  const SPPD_SYSTEMRENDERSTATE* rs = SPPD_CurrentRenderState();
  for (uint32_t i = 0; i < rs->rs.dwNumPlanes; ++i) {
    const float* p = rs->fPlanePointsXf[i];
    const float* n = rs->fPlaneNormalsXf[i];
    const float d = (light->vPos.x - p[0]) * n[0] + (light->vPos.y - p[1]) * n[1] + (light->vPos.z - p[2]) * n[2];
    if (d + light->fRadius < 0) return true;
  }
  return false;
}

void LinkLight(SPW_TERRAIN* t, SPW_LIGHT* light, SPPD_DRIVERSTATE* s) {
  const float r = light->fRadius;
  const auto first = [&](float v, uint32_t n) {
    return static_cast<uint32_t>(std::clamp(std::floor(v * t->fInvPatchSize), 0.0f, static_cast<float>(n - 1)));
  };
  const uint32_t x0 = first(light->vPos.x - r, t->dwPatchesX), x1 = first(light->vPos.x + r, t->dwPatchesX);
  const uint32_t y0 = first(light->vPos.y - r, t->dwPatchesY), y1 = first(light->vPos.y + r, t->dwPatchesY);
  for (uint32_t y = y0; y <= y1; ++y) {
    for (uint32_t x = x0; x <= x1; ++x) {
      SPW_TERRAINPATCH* p = &t->pPatches[x + y * t->dwPatchesX];
      const float dx = std::max(std::fabs(light->vPos.x - p->fCentreX) - t->fHalfPatchSize, 0.0f);
      const float dy = std::max(std::fabs(light->vPos.y - p->fCentreY) - t->fHalfPatchSize, 0.0f);
      if (dx * dx + dy * dy > r * r) continue;
      SPW_TERRAINLIGHTLINK* link = LinkOf(SGE_ListPopHead(&t->freeLinks));
      if (!link && s)
        link = static_cast<SPW_TERRAINLIGHTLINK*>(SPPD_PoolCalloc(s->pGeneralPool, sizeof(SPW_TERRAINLIGHTLINK)));
      if (!link) return;
      link->pLight = light;
      link->pPatch = p;
      SGE_ListAddTail(&light->terrainLinks, &link->lightLink);
      SGE_ListAddTail(&p->lights, &link->tileLink);
      p->dwFlags |= SPW_TPATCH_LIT;
      light->fFlags |= SPW_LIGHT_ON_TERRAIN;
    }
  }
}

void LinkLights(SPW_TERRAIN* t, SGE_DLLNODE* lights, SPPD_DRIVERSTATE* s) {
  if (!lights || !lights->pNext) return;
  for (SPW_LIGHT* light : SGE_ListRecords<SPW_LIGHT>(lights)) {
    DropLinks(t, light);
    light->fFlags &= ~SPW_LIGHT_ON_TERRAIN;
    if (!(light->fFlags & SPW_LIGHT_TERRAIN) || BehindAPlane(light)) continue;
    LinkLight(t, light, s);
  }
}

// ---- Vertex switching ----------------------------------------------------------------------

float g_k = 0.0f;

bool Exact(const SPW_TERRAIN* t, uint32_t i) {
  const SPW_TERRAINVERTEX& v = t->pVertices[i];
  const float dx = static_cast<float>(i % t->dwVertsX) * t->fCellSize - g_state.vEye.x;
  const float dy = static_cast<float>(i / t->dwVertsX) * t->fCellSize - g_state.vEye.y;
  const float dz = v.fHeight - g_state.vEye.z;
  const float r2 = dx * dx + dy * dy, s2 = r2 + dz * dz;
  return v.fError * v.fError * r2 > g_k * g_k * s2 * s2;
}

void MarkTiles(SPW_TERRAIN* t, uint32_t i) {
  for (int32_t p : t->pDeps[i].anPatches)
    if (p != SPW_TERRAIN_NONE) t->pPatches[p].dwFlags |= SPW_TPATCH_REBUILD;
}

// A vertex is in the mesh while it is wanted or a vertex that needs it is; joining or leaving
// passes the question on to the two vertices it needs, so that no tile ever shows a crack.
void Update(SPW_TERRAIN* t, uint32_t i) {
  SPW_TERRAINVERTEX& v = t->pVertices[i];
  if (v.bFlags & SPW_TVERT_PERMANENT) return;
  const SPW_TERRAINDEPS& d = t->pDeps[i];
  bool in = v.bFlags & SPW_TVERT_WANTED;
  for (int32_t c : d.anChildren)
    in = in || (c != SPW_TERRAIN_NONE && (t->pVertices[c].bFlags & SPW_TVERT_ACTIVE));
  if (in == static_cast<bool>(v.bFlags & SPW_TVERT_ACTIVE)) return;
  v.bFlags = static_cast<uint8_t>(in ? v.bFlags | SPW_TVERT_ACTIVE : v.bFlags & ~SPW_TVERT_ACTIVE);
  MarkTiles(t, i);
  for (int32_t p : d.anParents)
    if (p != SPW_TERRAIN_NONE) Update(t, static_cast<uint32_t>(p));
}

void Apply(SPW_TERRAIN* t, uint32_t i, bool want) {
  SPW_TERRAINVERTEX& v = t->pVertices[i];
  if (v.bFlags & SPW_TVERT_PERMANENT) return;
  v.bFlags = static_cast<uint8_t>(want ? v.bFlags | SPW_TVERT_WANTED : v.bFlags & ~SPW_TVERT_WANTED);
  Update(t, i);
}

void Decide(SPW_TERRAIN* t, const SPW_TERRAINPATCH* p, uint32_t i) {
  const float e = t->pVertices[i].fError;
  if (t->pVertices[i].bFlags & SPW_TVERT_PERMANENT) return;
  if (e <= p->fLastNear && e > p->fNear) {
    Apply(t, i, Exact(t, i));
  } else if (e > p->fLastNear && e <= p->fNear) {
    Apply(t, i, false);
  } else if (e > p->fLastNear && e > p->fNear) {
    if (e > p->fFar && e <= p->fLastFar) Apply(t, i, true);
    else if (e <= p->fFar) Apply(t, i, Exact(t, i));
  }
}

void SwitchTile(SPW_TERRAIN* t, SPW_TERRAINPATCH* p) {
  // No vertex of the tile lies above either near bound: none of them can change.
  if (p->fSwitchDetail <= p->fNear && p->fSwitchDetail <= p->fLastNear) return;
  const uint32_t vx = t->dwVertsX, f = p->dwFirstVertex;
  for (uint32_t r = 0; r < SPW_TERRAIN_PATCH_CELLS; ++r)
    for (uint32_t c = 0; c < SPW_TERRAIN_PATCH_CELLS; ++c) Decide(t, p, f + r * vx + c);
  const bool lastRow = p->dwY + 1 == t->dwPatchesY;
  const bool aboveVisible = !lastRow && (p[t->dwPatchesX].dwFlags & SPW_TPATCH_VISIBLE);
  if (!aboveVisible)
    for (uint32_t c = 1; c < SPW_TERRAIN_PATCH_CELLS; ++c) Decide(t, p, f + SPW_TERRAIN_PATCH_CELLS * vx + c);
  const bool lastColumn = p->dwFlags & SPW_TPATCH_LAST_COLUMN;
  const bool nextVisible = !lastColumn && (p[1].dwFlags & SPW_TPATCH_VISIBLE);
  if (!nextVisible)
    for (uint32_t r = 1; r < SPW_TERRAIN_PATCH_CELLS; ++r) Decide(t, p, f + r * vx + SPW_TERRAIN_PATCH_CELLS);
}

}  // namespace

SPPD_TERRAINSTATE* SPPD_TerrainState() { return &g_state; }
void SPPD_TerrainForgetGlowTexture() { g_state.nGlowTexture = 0; }

float SPPD_TerrainLODFactor(float detail, float projectionScale) {
  return std::pow(0.5f, 11.0f * detail - 1.0f) * projectionScale * SPPD_TERRAIN_LOD_SCALE;
}

void SPPD_TerrainTileBounds(const SPW_TERRAIN* t, const SPW_TERRAINPATCH* p, const SPW_VECTOR& eye,
                            float k, float* outNear, float* outFar) {
  // The tile enlarged by half a tile on every side.
  const float half = t->fPatchSize;
  auto span = [half](float c, float e, float* lo, float* hi) {
    const float a = std::fabs(e - c);
    *lo = std::max(a - half, 0.0f);
    *hi = a + half;
  };
  float nx, fx, ny, fy;
  span(p->fCentreX, eye.x, &nx, &fx);
  span(p->fCentreY, eye.y, &ny, &fy);
  const float d = std::sqrt(nx * nx + ny * ny), D = std::sqrt(fx * fx + fy * fy);
  const float h = eye.z < p->fMinHeight ? p->fMinHeight - eye.z
                  : eye.z > p->fMaxHeight ? eye.z - p->fMaxHeight : 0.0f;
  const float H = std::max(std::fabs(eye.z - p->fMinHeight), std::fabs(eye.z - p->fMaxHeight));
  const float tn = std::clamp(h, d, D);
  float n = tn == 0.0f ? 0.0f : k * (tn * tn + h * h) / tn;
  float f = d == 0.0f ? FLT_MAX * k : k * std::max((d * d + H * H) / d, (D * D + H * H) / D);
  *outNear = std::min(n, SPPD_TERRAIN_MAX_BOUND);
  *outFar = std::min(f, SPPD_TERRAIN_MAX_BOUND);
}

void SPPD_TerrainSetupFrame(SPW_DISPLAY* display, SPW_TERRAIN* t, SGE_DLLNODE* lights,
                            float projectionScale) {
  g_state.pDisplay = display;
  g_state.pTerrain = t;
  if (!t || !t->pPatches || !t->pRoot) return;
  if (g_state.nGlowTexture == 0 && SPPD_GetDriverState(display)) {
    // Through the display's own table slot when the host bound one.
    SPPD_DRIVERDATA* data = SPPD_GetDriverData(display);
    auto getId = data->table.SPPD_TextureGetID ? data->table.SPPD_TextureGetID : SPPD_TextureGetID;
    if (getId(display, SPPD_TERRAIN_GLOW_TEXTURE, &g_state.nGlowTexture, 1) != SPPD_OK) g_state.nGlowTexture = 0;
  }

  const SPPD_SYSTEMRENDERSTATE* rs = SPPD_CurrentRenderState();
  const float* view = rs->fViewMatrix;
  const float* camera = rs->fMatrix;
  g_state.vEye = {rs->fEye[0], rs->fEye[1], rs->fEye[2]};
  g_state.fScaleX = rs->rs.fScaleX;
  g_state.fScaleY = rs->rs.fScaleY;
  g_state.fCentreX = rs->rs.fCentreX;
  g_state.fCentreY = rs->rs.fCentreY;
  g_state.fDepthOffset = rs->fDepthOffset;
  g_state.fDepthFactor = rs->fDepthFactor;
  t->vStepX = Rotate(view, {t->fPatchSize, 0, 0});
  t->vStepY = Rotate(view, {0, t->fPatchSize, 0});
  t->vStepDiagonal = Rotate(view, {t->fPatchSize, t->fPatchSize, 0});
  t->vUp = Rotate(view, {0, 0, 1});
  // The camera's own axes, seen from the camera: its right and up in view space.
  g_state.vRight = Rotate(view, {camera[0], camera[1], camera[2]});
  g_state.vUp = Rotate(view, {camera[4], camera[5], camera[6]});
  for (uint32_t i = 0; i < SPW_TERRAIN_TEMPLATE_SIZE; ++i)
    g_state.aOffsets[i] = Rotate(view, {t->aTemplate[i].dx, t->aTemplate[i].dy, 0});

  for (uint32_t& n : t->adwListCount) n = 0;
  const uint32_t planes = std::min<uint32_t>(rs->rs.dwNumPlanes, SPPD_MAX_CLIP_PLANES);
  g_rs = rs;
  for (uint32_t i = 0; i < planes; ++i) {
    const float* n = rs->fPlaneNormalsXf[i];
    g_planes[i] = {{n[0], n[1], n[2]}, {std::fabs(n[0]), std::fabs(n[1]), std::fabs(n[2])}, rs->fPlaneConst[i]};
  }
  Cull(t, t->pRoot, planes >= 32 ? 0xFFFFFFFFu : (1u << planes) - 1);
  LinkLights(t, lights, SPPD_GetDriverState(display));

  t->fLODFactor = SPPD_TerrainLODFactor(rs->rs.fFactor, projectionScale);
  g_k = t->fLODFactor;
  g_state.bSetUp = true;
  for (uint32_t i = 0; i < t->adwListCount[SPW_TLIST_VISIBLE]; ++i) {
    SPW_TERRAINPATCH* p = t->apLists[SPW_TLIST_VISIBLE][i];
    p->dwClipMask &= rs->rs.dwPlaneMask;
    SPPD_TerrainTileBounds(t, p, g_state.vEye, g_k, &p->fNear, &p->fFar);
    SwitchTile(t, p);
    SPW_TERRAINLIST list = p->dwClipMask ? SPW_TLIST_CLIPPED
                           : p->fDetail >= p->fNear ? SPW_TLIST_NEAR : SPW_TLIST_FAR;
    p->dwNearFar = list == SPW_TLIST_NEAR ? 1 : 0;
    t->apLists[list][t->adwListCount[list]++] = p;
    p->fLastNear = p->fNear;
    p->fLastFar = p->fFar;
  }
}

int32_t SPPD_InitTerrain(SPW_DISPLAY* display, SPW_TERRAIN* t) {
  g_state.dwAmbient = 0xFFFFFFFFu;
  g_state.pDisplay = display;
  g_state.pTerrain = t;
  if (!t || !t->pPatches || t->dwPatchesY == 0) return SPPD_OK;
  for (uint32_t y = 0; y < t->dwVertsY; ++y) {
    for (uint32_t x = 0; x < t->dwVertsX; ++x) {
      const uint32_t i = x + y * t->dwVertsX;
      const SPW_TERRAINPATCH& p = t->pPatches[std::min(x / SPW_TERRAIN_PATCH_CELLS, t->dwPatchesX - 1) +
                                              std::min(y / SPW_TERRAIN_PATCH_CELLS, t->dwPatchesY - 1) * t->dwPatchesX];
      const float e = t->pVertices[i].fError;
      const bool want = e <= p.fLastNear ? false : e > p.fLastFar ? true : g_state.bSetUp && Exact(t, i);
      Apply(t, i, want);
    }
  }
  // Every mesh is built again from the vertices just decided.
  for (uint32_t i = 0; i < t->dwPatchesX * t->dwPatchesY; ++i) {
    t->pPatches[i].dwFlags &= ~(SPW_TPATCH_LIT | SPW_TPATCH_OVERLAYS | SPW_TPATCH_REBUILD);
    t->pPatches[i].bMeshIndices = 0;
  }
  return SPPD_OK;
}

void SPPD_UninitTerrain(SPW_DISPLAY*, SPW_TERRAIN*) {}

uint32_t SPPD_SetTerrainAmbientColour(uint32_t colour) {
  const uint32_t previous = g_state.dwAmbient;
  g_state.dwAmbient = colour;
  return previous;
}

int32_t SPPD_TERRAIN_RenderTerrainDataSetup(SPW_VDISPLAY* view, SPW_DISPLAY* display) {
  SPPD_VIEWTERRAIN v;
  if (!display || !SPPD_ViewTerrain(view, &v)) return SPPD_OK;
  SPPD_TerrainSetupFrame(display, v.pTerrain, v.pLights, v.fTanHalfY);
  return SPPD_OK;
}

int32_t SPPD_TERRAIN_RenderTerrainData() {
  SPPD_TerrainDrawFrame();
  return SPPD_OK;
}
