// Tessellation records, their per-scene pools and their links to terrain patches and items.
#include "engine/tess/tess.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/dobject/dobject.h"
#include "engine/scene/scene.h"
#include "engine/terrain/terrain.h"
#include "platform/trace.h"

SPW_TESSHOOKS SPW_TessHooks{};

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;

// A record from a pool's free list, else a new one from the scene's block; none when neither.
void* TakeRecord(SPW_SCENE* scene, SGE_DLLNODE* freeList, uint32_t size) {
  if (SGE_DLLNODE* n = SGE_ListPopHead(freeList)) {
    std::memset(static_cast<void*>(n), 0, size);
    return n;
  }
  return scene->pTessMem ? SGE_MemCalloc(scene->pTessMem, size) : nullptr;
}

void GiveBack(SGE_DLLNODE* freeList, SGE_DLLNODE* record) {
  SGE_ListUnlink(record);
  SGE_ListAddTail(freeList, record);
}

void ReturnBuffers(SPW_SCENE* scene, SPW_TESSSIDE* side) {
  while (SPW_POLYBUFFER* b = SGE_ListFirstRecord<SPW_POLYBUFFER>(&side->buffers))
    GiveBack(&scene->tessFreeBuffers, &b->link);
}

SPW_TERRAIN* TerrainOf(SPW_SCENE* scene) { return scene->pTerrain; }

// The patch lists match the terrain's patch count; made on first use.
bool EnsurePatchLists(SPW_SCENE* scene, const SPW_TERRAIN* terrain) {
  const uint64_t count = uint64_t{terrain->dwPatchesX} * terrain->dwPatchesY;
  if (count == 0 || count > UINT32_MAX / sizeof(SGE_DLLNODE)) return false;
  if (scene->pTessPatchLists && scene->dwTessPatchCount == count) return true;
  if (!scene->pTessMem) return false;
  SGE_MemFree(scene->pTessPatchLists);
  scene->dwTessPatchCount = 0;
  scene->pTessPatchLists = static_cast<SGE_DLLNODE*>(
      SGE_MemAlloc(scene->pTessMem, static_cast<uint32_t>(count * sizeof(SGE_DLLNODE))));
  if (!scene->pTessPatchLists) return false;
  for (uint64_t i = 0; i < count; ++i) SGE_ListInit(&scene->pTessPatchLists[i]);
  scene->dwTessPatchCount = static_cast<uint32_t>(count);
  return true;
}

// A link on the tessellation's list and a side record on the owner's list; false (with what
// was taken given back) when the pools are dry.
SPW_TESSSIDE* MakeLink(SPW_TESS* tess, SGE_DLLNODE* links, SGE_DLLNODE* sideFree,
                       SGE_DLLNODE* ownerList) {
  SPW_SCENE* scene = tess->pScene;
  auto* link = static_cast<SPW_TESSLINK*>(TakeRecord(scene, &scene->tessFreeLinks, sizeof(SPW_TESSLINK)));
  auto* side = static_cast<SPW_TESSSIDE*>(link ? TakeRecord(scene, sideFree, sizeof(SPW_TESSSIDE)) : nullptr);
  if (!side) {
    PLAT_Trace("Create tessellation failed\n");
    if (link) {
      SGE_ListInit(&link->link);
      SGE_ListAddTail(&scene->tessFreeLinks, &link->link);
    }
    return nullptr;
  }
  SGE_ListInit(&side->buffers);
  side->pTess = tess;
  side->fFlags = SPW_TESSSIDE_REBUILD;
  link->pSide = side;
  SGE_ListAddTail(links, &link->link);
  SGE_ListAddTail(ownerList, &side->link);
  return side;
}

// The patch side's overlay, laid on the patch for the driver to cut and draw.
void LayOverlay(const SPW_TESS* tess, SPW_TESSSIDE* side, SPW_TERRAINPATCH* patch) {
  SPW_TERRAINOVERLAY& o = side->overlay;
  o.fFlags = SPW_TOVERLAY_REBUILD;
  o.pPoints = tess->pPoints;
  o.dwNumPoints = tess->dwNumPoints;
  o.nTexture = tess->nTexture;
  o.nLayer = SPW_TessLayer(tess->nKind);
  o.nColourMode = SPW_TOVERLAY_OWN_COLOURS;
  SGE_ListInit(&o.pieces);
  SGE_ListAddTail(&patch->overlays, &o.link);
  patch->dwFlags |= SPW_TPATCH_OVERLAYS;
}

// Takes the overlay off its patch: the driver's pieces go to the terrain's spare ones, and the
// patch carries overlays no longer when this was its last. An overlay the terrain already let go
// (the terrain was freed first) touches nothing.
void LiftOverlay(SPW_SCENE* scene, SPW_TESSSIDE* side) {
  SPW_TERRAINOVERLAY& o = side->overlay;
  if (!o.link.pNext || o.link.pNext == &o.link) return;
  SGE_ListUnlink(&o.link);
  if (SPW_TERRAIN* terrain = TerrainOf(scene)) SGE_ListAppendList(&terrain->freePieces, &o.pieces);
  else SGE_ListFreeAll(&o.pieces);
  auto* patch = static_cast<SPW_TERRAINPATCH*>(side->pOwner);
  if (patch && SGE_ListIsEmpty(&patch->overlays)) patch->dwFlags &= ~SPW_TPATCH_OVERLAYS;
}

void LinkPatches(SPW_TESS* tess) {
  SPW_SCENE* scene = tess->pScene;
  SPW_TERRAIN* terrain = TerrainOf(scene);
  if (!terrain || (tess->fFlags & SPW_TESS_NO_TERRAIN) || !terrain->pPatches) return;
  if (!EnsurePatchLists(scene, terrain)) return;
  float x0 = tess->pPoints[0].x, x1 = x0, y0 = tess->pPoints[0].y, y1 = y0;
  for (uint32_t i = 1; i < tess->dwNumPoints; ++i) {
    x0 = std::min(x0, tess->pPoints[i].x);
    x1 = std::max(x1, tess->pPoints[i].x);
    y0 = std::min(y0, tess->pPoints[i].y);
    y1 = std::max(y1, tess->pPoints[i].y);
  }
  const float inv = terrain->fInvPatchSize;
  // Indices clamped to the terrain in floats first, so a far box cannot overflow an int.
  const float maxX = static_cast<float>(terrain->dwPatchesX), maxY = static_cast<float>(terrain->dwPatchesY);
  const int32_t px0 = static_cast<int32_t>(std::clamp(std::floor(x0 * inv), 0.0f, maxX));
  const int32_t py0 = static_cast<int32_t>(std::clamp(std::floor(y0 * inv), 0.0f, maxY));
  const int32_t px1 = static_cast<int32_t>(std::clamp(std::ceil(x1 * inv), 0.0f, maxX));
  const int32_t py1 = static_cast<int32_t>(std::clamp(std::ceil(y1 * inv), 0.0f, maxY));
  for (int32_t py = py0; py < py1; ++py)
    for (int32_t px = px0; px < px1; ++px) {
      const uint32_t patch = static_cast<uint32_t>(px) + static_cast<uint32_t>(py) * terrain->dwPatchesX;
      SPW_TESSSIDE* side = MakeLink(tess, &tess->patchLinks, &scene->tessFreePatchSides,
                                    &scene->pTessPatchLists[patch]);
      if (!side) return;
      side->pOwner = &terrain->pPatches[patch];
      side->dwPatch = patch;
      LayOverlay(tess, side, &terrain->pPatches[patch]);
    }
}

struct ITEMSEARCH {
  SPW_TESS* pTess;
  uint32_t dwLinked;
};

int32_t LinkItem(void* item, void* data) {
  auto* s = static_cast<ITEMSEARCH*>(data);
  SPW_TESS* tess = s->pTess;
  if (s->dwLinked >= tess->dwItemLimit) return 0;
  SGE_DLLNODE* list = SPW_TessHooks.pfnItemList(item);
  if (!list) return 1;
  SPW_TESSSIDE* side = MakeLink(tess, &tess->itemLinks, &tess->pScene->tessFreeItemSides, list);
  if (!side) return 0;
  side->pOwner = item;
  return ++s->dwLinked < tess->dwItemLimit;
}

void LinkItems(SPW_TESS* tess) {
  if ((tess->fFlags & SPW_TESS_NO_ITEMS) || tess->dwItemLimit == 0 || !tess->pScene->pTree ||
      !SPW_TessHooks.pfnForItems || !SPW_TessHooks.pfnItemList)
    return;
  ITEMSEARCH search{tess, 0};
  SPW_TessHooks.pfnForItems(tess->pScene, &tess->vCentre, tess->fRadius, tess->dwCollideMask,
                            LinkItem, &search);
}

void ReleasePatchLinks(SPW_TESS* tess) {
  SPW_SCENE* scene = tess->pScene;
  while (SPW_TESSLINK* link = SGE_ListFirstRecord<SPW_TESSLINK>(&tess->patchLinks)) {
    SPW_TESSSIDE* side = link->pSide;
    ReturnBuffers(scene, side);
    SGE_ListUnlink(&side->link);
    LiftOverlay(scene, side);
    SGE_ListAddTail(&scene->tessFreePatchSides, &side->link);
    GiveBack(&scene->tessFreeLinks, &link->link);
  }
}

void ReleaseItemLinks(SPW_TESS* tess) {
  SPW_SCENE* scene = tess->pScene;
  while (SPW_TESSLINK* link = SGE_ListFirstRecord<SPW_TESSLINK>(&tess->itemLinks)) {
    SPW_TESSSIDE* side = link->pSide;
    ReturnBuffers(scene, side);
    GiveBack(&scene->tessFreeItemSides, &side->link);
    GiveBack(&scene->tessFreeLinks, &link->link);
  }
}

void Link(SPW_TESS* tess) {
  ReleasePatchLinks(tess);
  ReleaseItemLinks(tess);
  LinkPatches(tess);
  LinkItems(tess);
}

void Bound(SPW_TESS* tess) {
  SPW_VECTOR c = {0, 0, 0};
  const uint32_t n = tess->dwNumPoints;
  for (uint32_t i = 0; i < n; ++i) {
    c.x += tess->pPoints[i].x;
    c.y += tess->pPoints[i].y;
    c.z += tess->pPoints[i].z;
  }
  const float inv = 1.0f / static_cast<float>(n);
  tess->vCentre = {c.x * inv, c.y * inv, c.z * inv};
  float r2 = 0.0f;
  for (uint32_t i = 0; i < n; ++i) {
    const SPW_VECTOR p = {tess->pPoints[i].x, tess->pPoints[i].y, tess->pPoints[i].z};
    r2 = std::max(r2, SPW_VecDistSq(&p, &tess->vCentre));
  }
  tess->fRadius = std::sqrt(r2);
}

void FreePoints(SPW_TESS* tess) {
  if (tess->pPoints && tess->pPoints != tess->aBoundary) SGE_MemFree(tess->pPoints);
  tess->pPoints = nullptr;
}

}  // namespace

int32_t SPW_InitTessellations(SPW_SCENE* scene, SGE_MEMBLOCK* block) {
  if (!scene) return 0;
  scene->pTessMem = block;
  for (SGE_DLLNODE* head : {&scene->tessFreeLinks, &scene->tessFree, &scene->tessFreePatchSides,
                            &scene->tessFreeItemSides, &scene->tessFreeBuffers, &scene->tessLive})
    SGE_ListInit(head);
  scene->pTessPatchLists = nullptr;
  scene->dwTessPatchCount = 0;
  return 1;
}

SPW_TESS* SPW_CreateTessellation(SPW_SCENE* scene, const SPPD_VERTEX* points, uint32_t count,
                                 int32_t kind, int32_t texture, uint32_t flags, float clip0,
                                 float clip1, const SPW_VECTOR* world, float heightTolerance,
                                 uint32_t itemLimit, uint32_t collideMask, float texU, float texV) {
  if (!scene || !points || count < 3) {
    PLAT_Trace("SPW_CreateTessellation: a polygon of %u points\n", count);
    return nullptr;
  }
  auto* tess = static_cast<SPW_TESS*>(TakeRecord(scene, &scene->tessFree, sizeof(SPW_TESS)));
  if (!tess) {
    PLAT_Trace("Create tessellation failed\n");
    return nullptr;
  }
  SGE_ListInit(&tess->link);
  SGE_ListInit(&tess->patchLinks);
  SGE_ListInit(&tess->itemLinks);
  tess->pPoints = tess->aBoundary;
  if (count > static_cast<uint32_t>(SPW_TESS_BOUNDARY_POINTS)) {
    tess->pPoints = count <= UINT32_MAX / sizeof(SPPD_VERTEX)
                        ? static_cast<SPPD_VERTEX*>(SGE_MemAlloc(scene->pTessMem, count * static_cast<uint32_t>(sizeof(SPPD_VERTEX))))
                        : nullptr;
    if (!tess->pPoints) {
      PLAT_Trace("Create tessellation failed\n");
      SGE_ListAddTail(&scene->tessFree, &tess->link);
      return nullptr;
    }
  }
  std::memcpy(tess->pPoints, points, count * sizeof(SPPD_VERTEX));
  tess->dwNumPoints = count;
  tess->pScene = scene;
  tess->fFlags = flags;
  tess->dwCollideMask = collideMask;
  tess->nKind = kind;
  tess->nTexture = texture;
  tess->fClip[0] = clip0;
  tess->fClip[1] = clip1;
  tess->fHeightTolerance = heightTolerance;
  tess->dwItemLimit = (flags & SPW_TESS_NO_ITEMS) ? 0 : itemLimit;
  if ((flags & SPW_TESS_WORLD_POS) && world) tess->vWorld = *world;
  tess->fTexU = texU;
  tess->fTexV = texV;
  Bound(tess);
  Link(tess);
  SGE_ListAddTail(&scene->tessLive, &tess->link);
  return tess;
}

SPW_TESS* SPW_CreateObjectTessellation(SPW_DOBJECT* object, float sizeX, float sizeY,
                                       int32_t kind, int32_t texture, uint32_t flags, float clip0,
                                       float clip1, const SPW_VECTOR* world,
                                       float heightTolerance, uint32_t itemLimit,
                                       uint32_t collideMask, float texU, float texV) {
  if (!object || !object->pScene) return nullptr;
  SPW_VECTOR angles;
  SPW_QuatToEuler(&object->t.qRot, &angles);
  const float c = SPW_Cos(angles.z), s = SPW_Sin(angles.z);
  static const float kCorner[SPW_TESS_BOUNDARY_POINTS][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
  SPPD_VERTEX square[SPW_TESS_BOUNDARY_POINTS];
  for (int i = 0; i < SPW_TESS_BOUNDARY_POINTS; ++i) {
    const float dx = kCorner[i][0] * sizeX, dy = kCorner[i][1] * sizeY;
    square[i] = {0, kWhite, object->t.vPos.x + dx * c - dy * s, object->t.vPos.y + dx * s + dy * c,
                 object->t.vPos.z, (kCorner[i][0] + 1.0f) * 0.5f, (kCorner[i][1] + 1.0f) * 0.5f};
  }
  SPW_TESS* tess = SPW_CreateTessellation(object->pScene, square, SPW_TESS_BOUNDARY_POINTS, kind,
                                          texture, flags, clip0, clip1, world, heightTolerance,
                                          itemLimit, collideMask, texU, texV);
  if (tess) tess->pObject = object;
  return tess;
}

int32_t SPW_RelinkTessellation(SPW_TESS* tess) {
  if (!tess || !tess->pScene) return 0;
  Bound(tess);
  Link(tess);
  return 1;
}

int32_t SPW_ReleaseTessellation(SPW_TESS* tess) {
  if (!tess || !tess->pScene) return 0;
  SPW_SCENE* scene = tess->pScene;
  ReleasePatchLinks(tess);
  ReleaseItemLinks(tess);
  FreePoints(tess);
  tess->pScene = nullptr;
  GiveBack(&scene->tessFree, &tess->link);
  return 1;
}

int32_t SPW_ReleaseAllTessellations(SPW_SCENE* scene) {
  if (!scene) return 0;
  while (SPW_TESS* tess = SGE_ListFirstRecord<SPW_TESS>(&scene->tessLive))
    SPW_ReleaseTessellation(tess);
  int32_t ok = 1;
  for (SGE_DLLNODE* head : {&scene->tessFreeLinks, &scene->tessFree, &scene->tessFreePatchSides,
                            &scene->tessFreeItemSides, &scene->tessFreeBuffers})
    ok &= SGE_ListFreeAll(head);
  if (scene->pTessPatchLists) ok &= SGE_MemFree(scene->pTessPatchLists);
  scene->pTessPatchLists = nullptr;
  scene->dwTessPatchCount = 0;
  scene->pTessMem = nullptr;
  return ok;
}

SPW_POLYBUFFER* SPW_TakePolygonBuffer(SPW_SCENE* scene, SGE_DLLNODE* list) {
  if (!scene || !list) return nullptr;
  auto* b = static_cast<SPW_POLYBUFFER*>(
      TakeRecord(scene, &scene->tessFreeBuffers, sizeof(SPW_POLYBUFFER)));
  if (!b) return nullptr;
  SGE_ListInit(&b->link);
  b->dwCount = 0;
  SGE_ListAddTail(list, &b->link);
  return b;
}

void SPW_ReturnPolygonBuffer(SPW_SCENE* scene, SPW_POLYBUFFER* buffer) {
  if (scene && buffer) GiveBack(&scene->tessFreeBuffers, &buffer->link);
}

SGE_DLLNODE* SPW_TessPatchList(SPW_SCENE* scene, uint32_t patch) {
  if (!scene || patch >= scene->dwTessPatchCount) return nullptr;
  return &scene->pTessPatchLists[patch];
}

int32_t SPW_TessLayer(int32_t kind) {
  switch (kind) {
    case SPW_TESS_KIND_OPAQUE:
    case SPW_TESS_KIND_OPAQUE_B: return SPW_TESS_LAYER_OPAQUE;
    case SPW_TESS_KIND_TRANSLUCENT: return SPW_TESS_LAYER_TRANSLUCENT;
    default: return -1;
  }
}

int32_t SPW_CeilToInt(float x) {
  const int32_t i = static_cast<int32_t>(x);
  return static_cast<float>(i) < x ? i + 1 : i;
}

uint32_t SPW_BlendColour4(uint32_t c00, uint32_t c10, uint32_t c01, uint32_t c11, float fx,
                          float fy) {
  uint32_t out = 0xFF000000u;
  for (int shift = 0; shift <= 16; shift += 8) {
    auto ch = [shift](uint32_t c) { return static_cast<float>((c >> shift) & 0xFFu); };
    const float top = ch(c00) + (ch(c10) - ch(c00)) * fx;
    const float bottom = ch(c01) + (ch(c11) - ch(c01)) * fx;
    const float v = std::clamp(top + (bottom - top) * fy, 0.0f, 255.0f);
    out |= static_cast<uint32_t>(v + 0.5f) << shift;
  }
  return out;
}
