// Building the terrain record from the loaded header: vertices and their colours, normals,
// patches and their quadtree, error values and the tables the driver draws with.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/display/display.h"
#include "engine/math/argb.h"
#include "engine/memory/memblock.h"
#include "engine/scene/scene.h"
#include "engine/terrain/terrain.h"
#include "platform/files.h"
#include "platform/trace.h"

SPW_TERRAIN SPW_Terrain;

namespace {

constexpr uint32_t kCells = SPW_TERRAIN_PATCH_CELLS;
constexpr uint32_t kSide = SPW_TERRAIN_PATCH_SIDE;
constexpr uint32_t kBlendCells = 10;  // how far in from the border the edge blend reaches
constexpr uint32_t kMarPatches = 8;   // patches along a side of one source texture

template <typename T>
T* Alloc(uint64_t n, const char* what) {
  const uint64_t bytes = n * sizeof(T);
  T* p = bytes <= UINT32_MAX ? static_cast<T*>(SGE_MemCalloc(SPW_ObjsMem, static_cast<uint32_t>(bytes)))
                             : nullptr;
  if (!p) PLAT_Trace("SPW_InitTerrain: no memory for %llu %s\n", static_cast<unsigned long long>(n), what);
  return p;
}

void Release(void* p) {
  if (p) SGE_MemFree(p);
}

uint32_t Index(const SPW_TERRAIN& t, uint32_t x, uint32_t y) { return x + y * t.dwVertsX; }
float Height(const SPW_TERRAIN& t, uint32_t x, uint32_t y) { return t.pVertices[Index(t, x, y)].fHeight; }

void FillSizes(SPW_TERRAIN& t, const SPW_TERRAINHEADER& h, SPW_DISPLAY* display) {
  t.pDisplay = display;
  t.dwPatchesX = static_cast<uint32_t>(h.nPatchesX);
  t.dwPatchesY = static_cast<uint32_t>(h.nPatchesY);
  t.dwVertsX = t.dwPatchesX * kCells + 1;
  t.dwVertsY = t.dwPatchesY * kCells + 1;
  t.fCellSize = static_cast<float>(h.nCellSize) * SPW_TERRAIN_FILE_SCALE;
  t.fInvCellSize = 1.0f / t.fCellSize;
  t.fPatchSize = t.fCellSize * kCells;
  t.fInvPatchSize = 1.0f / t.fPatchSize;
  t.fHalfPatchSize = t.fPatchSize * 0.5f;
  t.fHalfWidth = static_cast<float>(t.dwPatchesX) * t.fPatchSize * 0.5f;
  t.fHalfHeight = static_cast<float>(t.dwPatchesY) * t.fPatchSize * 0.5f;
  for (int i = 0; i < 3; ++i) t.afValues[i] = static_cast<float>(h.anValues[i]) * SPW_TERRAIN_FILE_SCALE;
  t.fInv256 = 1.0f / 256.0f;
  SGE_ListInit(&t.freeLinks);
  SGE_ListInit(&t.freePieces);
}

uint8_t EdgeBlend(const SPW_TERRAIN& t, uint32_t x, uint32_t y) {
  const uint32_t d = std::min({x, y, t.dwVertsX - 1 - x, t.dwVertsY - 1 - y});
  if (d == 0) return 255;
  if (d >= kBlendCells) return 0;
  const auto v = static_cast<uint32_t>((1.0f - 0.1f * static_cast<float>(d)) * 255.0f);
  return static_cast<uint8_t>(v == 0 ? 1 : v);
}

// The sample at (min(x, W - 1), min(y, H - 1)); the default colour where the samples give
// none (no file, an empty size, or fewer triples read than the size claims).
uint32_t SampleColour(const uint8_t* rgb, uint32_t w, uint32_t h, uint32_t count, uint32_t x,
                      uint32_t y) {
  if (!rgb || w == 0 || h == 0) return SPW_TERRAIN_DEFAULT_COLOUR;
  const uint64_t i = uint64_t{std::min(y, h - 1)} * w + std::min(x, w - 1);
  if (i >= count) return SPW_TERRAIN_DEFAULT_COLOUR;
  const uint8_t* p = rgb + i * 3;
  return SPW_Argb(0xFF, p[0], p[1], p[2]);
}

void FillVertices(SPW_TERRAIN& t, const SPW_TERRAINHEADER& h, const uint8_t* rgb, uint32_t w,
                  uint32_t hgt, uint32_t count) {
  for (uint32_t y = 0; y < t.dwVertsY; ++y) {
    for (uint32_t x = 0; x < t.dwVertsX; ++x) {
      SPW_TERRAINVERTEX& v = t.pVertices[Index(t, x, y)];
      v.fHeight = static_cast<float>(h.pHeights[Index(t, x, y)]) * SPW_TERRAIN_FILE_SCALE;
      const uint32_t lx = x % kCells, ly = y % kCells;
      v.bFlags = ((lx == 0 && ly == 0) || (lx == 2 && ly == 2)) ? SPW_TVERT_FIXED : 0;
      v.bShade = EdgeBlend(t, x, y);
      v.dwColour = SampleColour(rgb, w, hgt, count, x, y);
    }
  }
}

SPW_VECTOR UpNormal(SPW_VECTOR a, SPW_VECTOR b, SPW_VECTOR c) {
  SPW_VECTOR e1{b.x - a.x, b.y - a.y, b.z - a.z}, e2{c.x - a.x, c.y - a.y, c.z - a.z};
  SPW_VECTOR n{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
  if (n.z < 0) n = {-n.x, -n.y, -n.z};
  const float len = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
  if (len > 0) n = {n.x / len, n.y / len, n.z / len};
  return n;
}

// The first normal is the triangle on the far side of the cell's diagonal: above it (fy >= fx)
// in an even cell, beyond it (fx + fy >= 1) in an odd one.
void FillNormals(SPW_TERRAIN& t) {
  const float c = t.fCellSize;
  for (uint32_t iy = 0; iy + 1 < t.dwVertsY; ++iy) {
    for (uint32_t ix = 0; ix + 1 < t.dwVertsX; ++ix) {
      SPW_VECTOR p00{0, 0, Height(t, ix, iy)}, p10{c, 0, Height(t, ix + 1, iy)};
      SPW_VECTOR p01{0, c, Height(t, ix, iy + 1)}, p11{c, c, Height(t, ix + 1, iy + 1)};
      SPW_TERRAINNORMALS& n = t.pNormals[ix + iy * (t.dwVertsX - 1)];
      if ((ix + iy) % 2 == 0) {
        n.n[0] = UpNormal(p00, p11, p01);
        n.n[1] = UpNormal(p00, p10, p11);
      } else {
        n.n[0] = UpNormal(p10, p11, p01);
        n.n[1] = UpNormal(p00, p10, p01);
      }
    }
  }
}

std::string FullPath(const char* folder, const char* leaf) {
  std::string rel = folder && folder[0] ? std::string(folder) + "/" + leaf : std::string(leaf);
  if (rel[0] == '/') return rel;
  const std::string wd = PLAT_GetWorkingDir();
  return wd.empty() ? rel : wd + "/" + rel;
}

int32_t TextureId(SPW_DISPLAY* display, const std::string& path) {
  SPPD_DRIVERTABLE* drv = display ? SPW_GetDisplayDriver(display) : nullptr;
  int32_t id = 0;
  if (!drv || !drv->SPPD_TextureGetID || drv->SPPD_TextureGetID(display, path.c_str(), &id, 1) != SPPD_OK)
    return 0;
  return id;
}

void FillPatches(SPW_TERRAIN& t, const SPW_TERRAINHEADER& h, const char* path) {
  for (uint32_t py = 0; py < t.dwPatchesY; ++py) {
    for (uint32_t px = 0; px < t.dwPatchesX; ++px) {
      const uint32_t i = px + py * t.dwPatchesX;
      SPW_TERRAINPATCH& p = t.pPatches[i];
      p.dwX = px;
      p.dwY = py;
      p.dwFirstVertex = Index(t, px * kCells, py * kCells);
      p.fCentreX = static_cast<float>(px) * t.fPatchSize + t.fHalfPatchSize;
      p.fCentreY = static_cast<float>(py) * t.fPatchSize + t.fHalfPatchSize;
      p.dwSurface = h.pSurfaces[i];
      t.pSurfaces[i] = h.pSurfaces[i];
      p.dwFlags = (py + 1 == t.dwPatchesY ? SPW_TPATCH_LAST_ROW : 0) |
                  (px + 1 == t.dwPatchesX ? SPW_TPATCH_LAST_COLUMN : 0);
      SGE_ListInit(&p.lights);
      SGE_ListInit(&p.overlays);
      p.fMinHeight = 1e30f;
      p.fMaxHeight = -1e30f;
      for (uint32_t r = 0; r < kSide; ++r) {
        for (uint32_t c = 0; c < kSide; ++c) {
          const float z = t.pVertices[p.dwFirstVertex + r * t.dwVertsX + c].fHeight;
          p.fMinHeight = std::min(p.fMinHeight, z);
          p.fMaxHeight = std::max(p.fMaxHeight, z);
        }
      }
      char leaf[64];
      std::snprintf(leaf, sizeof leaf, "tsource/mar%02u%02u128.ppm", px / kMarPatches, py / kMarPatches);
      p.nTextureId = TextureId(t.pDisplay, FullPath(path, leaf));
      // The source texture's rows run from north to south: the patch's far row is nearer its
      // top, and the whole of v stays inside 0..1.
      p.fU = static_cast<float>(px % kMarPatches) * 0.125f;
      p.fV = 1.0f - static_cast<float>(py % kMarPatches) * 0.125f;
    }
  }
}

// One level of the quadtree over the boxes below: nodes of up to 2 by 2 children.
struct Level {
  void** items;
  uint32_t w, h;
};

SPW_TERRAINNODE* BuildQuadtree(SPW_TERRAIN& t) {
  const uint32_t numPatches = t.dwPatchesX * t.dwPatchesY;
  auto* items = Alloc<void*>(numPatches, "quadtree items");
  if (!items) return nullptr;
  for (uint32_t i = 0; i < numPatches; ++i) items[i] = &t.pPatches[i];
  Level level{items, t.dwPatchesX, t.dwPatchesY};
  bool leaves = true;
  SPW_TERRAINNODE* root = nullptr;
  while (!root) {
    const uint32_t w = (level.w + 1) / 2, h = (level.h + 1) / 2;
    SPW_TERRAINNODE* nodes = t.pNodes + t.dwNumNodes;
    for (uint32_t ny = 0; ny < h; ++ny) {
      for (uint32_t nx = 0; nx < w; ++nx) {
        SPW_TERRAINNODE& n = nodes[nx + ny * w];
        float x0 = 1e30f, y0 = 1e30f, x1 = -1e30f, y1 = -1e30f;
        n.fMinHeight = 1e30f;
        n.fMaxHeight = -1e30f;
        for (uint32_t k = 0; k < 4; ++k) {
          const uint32_t cx = nx * 2 + (k & 1), cy = ny * 2 + (k >> 1);
          if (cx >= level.w || cy >= level.h) continue;
          void* child = level.items[cx + cy * level.w];
          n.apChildren[k] = child;
          float bx0, by0, bx1, by1, lo, hi;
          if (leaves) {
            const auto* p = static_cast<SPW_TERRAINPATCH*>(child);
            bx0 = p->fCentreX - t.fHalfPatchSize;
            bx1 = p->fCentreX + t.fHalfPatchSize;
            by0 = p->fCentreY - t.fHalfPatchSize;
            by1 = p->fCentreY + t.fHalfPatchSize;
            lo = p->fMinHeight;
            hi = p->fMaxHeight;
          } else {
            const auto* c = static_cast<SPW_TERRAINNODE*>(child);
            const float ex = std::fabs(c->fExtentX);
            bx0 = c->fCentreX - ex;
            bx1 = c->fCentreX + ex;
            by0 = c->fCentreY - c->fExtentY;
            by1 = c->fCentreY + c->fExtentY;
            lo = c->fMinHeight;
            hi = c->fMaxHeight;
          }
          x0 = std::min(x0, bx0);
          x1 = std::max(x1, bx1);
          y0 = std::min(y0, by0);
          y1 = std::max(y1, by1);
          n.fMinHeight = std::min(n.fMinHeight, lo);
          n.fMaxHeight = std::max(n.fMaxHeight, hi);
        }
        n.fCentreX = (x0 + x1) * 0.5f;
        n.fCentreY = (y0 + y1) * 0.5f;
        n.fExtentX = (x1 - x0) * 0.5f * (leaves ? -1.0f : 1.0f);
        n.fExtentY = (y1 - y0) * 0.5f;
        level.items[nx + ny * w] = &n;
      }
    }
    t.dwNumNodes += w * h;
    if (w == 1 && h == 1) root = &nodes[0];
    level.w = w;
    level.h = h;
    leaves = false;
  }
  Release(items);
  return root;
}

uint32_t NodeBound(uint32_t w, uint32_t h) {
  uint32_t n = 0;
  do {
    w = (w + 1) / 2;
    h = (h + 1) / 2;
    n += w * h;
  } while (w > 1 || h > 1);
  return n;
}

// Error values, patch by patch: each vertex against the edge it bisects, the edge midpoints of
// one cell (s = 1) before those of two (s = 2).
void FillErrors(SPW_TERRAIN& t) {
  for (uint32_t i = 0; i < t.dwPatchesX * t.dwPatchesY; ++i) {
    const uint32_t first = t.pPatches[i].dwFirstVertex;
    auto at = [&](uint32_t u, uint32_t v) -> SPW_TERRAINVERTEX& {
      return t.pVertices[first + v * t.dwVertsX + u];
    };
    auto bisect = [&](uint32_t u, uint32_t v, uint32_t au, uint32_t av, uint32_t bu, uint32_t bv) {
      at(u, v).fError = std::fabs(at(u, v).fHeight - (at(au, av).fHeight + at(bu, bv).fHeight) * 0.5f);
    };
    for (uint32_t s = 1; s <= 2; ++s) {
      for (uint32_t u = s; u <= kCells - s; u += 2 * s) {
        for (uint32_t v = 0; v <= kCells; v += 2 * s) {
          bisect(u, v, u - s, v, u + s, v);
          bisect(v, u, v, u - s, v, u + s);
        }
      }
      for (uint32_t u = s; u <= kCells - s; u += 2 * s) {
        for (uint32_t v = s; v <= kCells - s; v += 2 * s) {
          if (((u ^ v) & (2 * s)) == 0) bisect(u, v, u - s, v - s, u + s, v + s);
          else bisect(u, v, u - s, v + s, u + s, v - s);
        }
      }
    }
  }
}

void FillTemplate(SPW_TERRAIN& t) {
  for (uint32_t r = 0; r < kSide; ++r) {
    for (uint32_t c = 0; c < kSide; ++c) {
      SPW_TERRAINTEMPLATE& e = t.aTemplate[r * kSide + c];
      e.u = static_cast<float>(c) / 32.0f;
      e.v = -static_cast<float>(r) / 32.0f;
      e.dx = (static_cast<float>(c) - 2.0f) * t.fCellSize;
      e.dy = (static_cast<float>(r) - 2.0f) * t.fCellSize;
      e.dwZero = 0;
      e.dwGridOffset = r * t.dwVertsX + c;
      e.dwMask = (1u << c) + (1u << (r + 5));
      for (uint32_t o = 0; o < SPW_TERRAIN_ORIENTATIONS; ++o) {
        float a = static_cast<float>(c) / 4.0f, b = static_cast<float>(r) / 4.0f;
        if (o & 1) {
          const float na = 1.0f - b;
          b = a;
          a = na;
        }
        if (o & 4) a = 1.0f - a;
        if (o & 2) b = 1.0f - b;
        t.aTexCoords[o][r * kSide + c] = {a, 1.0f - b};
      }
    }
  }
}

// The error range of the vertices a patch owns: its 4 by 4, plus its far row and column when
// no patch lies beyond them.
void FillPatchBounds(SPW_TERRAIN& t) {
  for (uint32_t i = 0; i < t.dwPatchesX * t.dwPatchesY; ++i) {
    SPW_TERRAINPATCH& p = t.pPatches[i];
    float hi = -1e10f, lo = 1e10f;
    auto take = [&](uint32_t c, uint32_t r) {
      const float e = t.pVertices[p.dwFirstVertex + r * t.dwVertsX + c].fError;
      hi = std::max(hi, e);
      lo = std::min(lo, e);
    };
    for (uint32_t r = 0; r < kCells; ++r)
      for (uint32_t c = 0; c < kCells; ++c) take(c, r);
    for (uint32_t k = 1; k < kCells; ++k) {
      if (p.dwFlags & SPW_TPATCH_LAST_ROW) take(k, kCells);
      if (p.dwFlags & SPW_TPATCH_LAST_COLUMN) take(kCells, k);
    }
    p.fDetail = hi;
    p.fMinError = lo;
    float all = hi;
    for (uint32_t k = 0; k <= kCells; ++k)
      all = std::max({all, t.pVertices[p.dwFirstVertex + kCells * t.dwVertsX + k].fError,
                      t.pVertices[p.dwFirstVertex + k * t.dwVertsX + kCells].fError});
    p.fSwitchDetail = all;
  }
}

int32_t GridIndex(const SPW_TERRAIN& t, int64_t x, int64_t y) {
  if (x < 0 || y < 0 || x >= t.dwVertsX || y >= t.dwVertsY) return SPW_TERRAIN_NONE;
  return static_cast<int32_t>(x + y * t.dwVertsX);
}

// The edge a switchable vertex bisects, as half its length from the vertex.
void HalfEdge(uint32_t x, uint32_t y, int32_t* hx, int32_t* hy) {
  const uint32_t lx = x % kCells, ly = y % kCells;
  if (lx % 2 == 0 && ly % 2 == 0) {
    *hx = lx == 2 ? 2 : 0;
    *hy = lx == 2 ? 0 : 2;
  } else if (lx % 2 == 1 && ly % 2 == 1) {
    *hx = 1;
    *hy = ((lx ^ ly) & 2) == 0 ? 1 : -1;
  } else {
    *hx = lx % 2;
    *hy = ly % 2;
  }
}

void FillDeps(SPW_TERRAIN& t) {
  for (uint32_t y = 0; y < t.dwVertsY; ++y) {
    for (uint32_t x = 0; x < t.dwVertsX; ++x) {
      SPW_TERRAINDEPS& d = t.pDeps[Index(t, x, y)];
      std::fill(std::begin(d.anPatches), std::end(d.anPatches), SPW_TERRAIN_NONE);
      std::fill(std::begin(d.anParents), std::end(d.anParents), SPW_TERRAIN_NONE);
      std::fill(std::begin(d.anChildren), std::end(d.anChildren), SPW_TERRAIN_NONE);
      int n = 0;
      for (uint32_t py = (y % kCells == 0 && y > 0) ? y / kCells - 1 : y / kCells; py <= y / kCells; ++py)
        for (uint32_t px = (x % kCells == 0 && x > 0) ? x / kCells - 1 : x / kCells; px <= x / kCells; ++px)
          if (px < t.dwPatchesX && py < t.dwPatchesY)
            d.anPatches[n++] = static_cast<int32_t>(px + py * t.dwPatchesX);
    }
  }
  for (uint32_t y = 0; y < t.dwVertsY; ++y) {
    for (uint32_t x = 0; x < t.dwVertsX; ++x) {
      const int32_t self = static_cast<int32_t>(Index(t, x, y));
      if (t.pVertices[self].bFlags & SPW_TVERT_PERMANENT) continue;
      int32_t hx, hy;
      HalfEdge(x, y, &hx, &hy);
      SPW_TERRAINDEPS& d = t.pDeps[self];
      d.anParents[0] = GridIndex(t, int64_t{x} - hy, int64_t{y} + hx);
      d.anParents[1] = GridIndex(t, int64_t{x} + hy, int64_t{y} - hx);
      for (int32_t parent : d.anParents) {
        if (parent == SPW_TERRAIN_NONE) continue;
        for (int32_t& child : t.pDeps[parent].anChildren) {
          if (child == SPW_TERRAIN_NONE) {
            child = self;
            break;
          }
        }
      }
    }
  }
}

int32_t ReleaseSceneTerrain(SPW_SCENE* scene) {
  if (scene && scene->pTerrain) {
    SPW_FreeTerrain(scene->pTerrain);
    scene->pTerrain = nullptr;
  }
  return 1;
}

bool HeaderUsable(const SPW_TERRAINHEADER* h) {
  if (!h || !h->pHeights || !h->pSurfaces || h->nPatchesX <= 0 || h->nPatchesY <= 0 ||
      h->nPatchesX > static_cast<int32_t>(SPW_TERRAIN_MAX_PATCHES) ||
      h->nPatchesY > static_cast<int32_t>(SPW_TERRAIN_MAX_PATCHES) || h->nCellSize <= 0)
    return false;
  const uint64_t vx = uint64_t{static_cast<uint32_t>(h->nPatchesX)} * kCells + 1;
  const uint64_t vy = uint64_t{static_cast<uint32_t>(h->nPatchesY)} * kCells + 1;
  return h->dwNumHeights == vx * vy &&
         h->dwNumSurfaces == uint64_t{static_cast<uint32_t>(h->nPatchesX)} * static_cast<uint32_t>(h->nPatchesY);
}

}  // namespace

SPW_TERRAIN* SPW_InitTerrain(const SPW_TERRAINHEADER* h, SPW_DISPLAY* display, const char* path,
                             const uint8_t* samples, uint32_t width, uint32_t height,
                             uint32_t count) {
  SPW_FreeTerrain(&SPW_Terrain);
  if (!HeaderUsable(h)) {
    PLAT_Trace("SPW_InitTerrain: the terrain header of %s is incomplete\n", path ? path : "?");
    return nullptr;
  }
  SPW_TERRAIN& t = SPW_Terrain;
  FillSizes(t, *h, display);
  const uint64_t numVerts = uint64_t{t.dwVertsX} * t.dwVertsY;
  const uint64_t numPatches = uint64_t{t.dwPatchesX} * t.dwPatchesY;
  t.pVertices = Alloc<SPW_TERRAINVERTEX>(numVerts, "vertices");
  t.pNormals = Alloc<SPW_TERRAINNORMALS>(uint64_t{t.dwVertsX - 1} * (t.dwVertsY - 1), "normals");
  t.pSurfaces = Alloc<uint32_t>(numPatches, "surfaces");
  t.pPatches = Alloc<SPW_TERRAINPATCH>(numPatches, "patches");
  t.pNodes = Alloc<SPW_TERRAINNODE>(NodeBound(t.dwPatchesX, t.dwPatchesY), "quadtree nodes");
  t.pDeps = Alloc<SPW_TERRAINDEPS>(numVerts, "vertex links");
  bool ok = t.pVertices && t.pNormals && t.pSurfaces && t.pPatches && t.pNodes && t.pDeps;
  for (auto& list : t.apLists) ok = ok && (list = Alloc<SPW_TERRAINPATCH*>(numPatches, "patch lists"));
  if (!ok) {
    SPW_FreeTerrain(&t);
    return nullptr;
  }
  FillVertices(t, *h, samples, width, height, count);
  FillPatches(t, *h, path);
  t.pRoot = BuildQuadtree(t);
  if (!t.pRoot) {
    SPW_FreeTerrain(&t);
    return nullptr;
  }
  FillNormals(t);
  FillErrors(t);
  FillTemplate(t);
  FillPatchBounds(t);
  FillDeps(t);
  SPW_SceneHooks.pfnReleaseTerrain = ReleaseSceneTerrain;
  SPW_SceneHooks.pfnCollectLights = SPW_CollectLights;
  return &t;
}

void SPW_FreeTerrain(SPW_TERRAIN* t) {
  if (!t) return;
  for (uint32_t i = 0; t->pPatches && i < t->dwPatchesX * t->dwPatchesY; ++i) {
    SGE_DLLNODE* head = &t->pPatches[i].lights;
    for (SPW_TERRAINLIGHTLINK* link : SPW_TileLightLinks(head)) {
      SGE_ListUnlink(&link->tileLink);
      SGE_ListUnlink(&link->lightLink);
      SGE_MemFree(link);
    }
  }
  if (t->freeLinks.pNext) SGE_ListFreeAll(&t->freeLinks);
  // Overlays still laid on the patches are let go (their owners unlink them harmlessly later);
  // the pieces the driver gave them are freed with the spare ones.
  for (uint32_t i = 0; t->pPatches && i < t->dwPatchesX * t->dwPatchesY; ++i) {
    SGE_DLLNODE* head = &t->pPatches[i].overlays;
    if (!head->pNext) continue;
    while (auto* overlay = SGE_ListRecord<SPW_TERRAINOVERLAY>(SGE_ListPopHead(head))) {
      if (overlay->pieces.pNext) SGE_ListFreeAll(&overlay->pieces);
    }
  }
  if (t->freePieces.pNext) SGE_ListFreeAll(&t->freePieces);
  Release(t->pVertices);
  Release(t->pNormals);
  Release(t->pSurfaces);
  Release(t->pPatches);
  Release(t->pNodes);
  Release(t->pDeps);
  for (auto* list : t->apLists) Release(list);
  *t = SPW_TERRAIN{};
}
