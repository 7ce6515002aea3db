// A hilly generated terrain (32 by 32 tiles of 2-unit cells) seen as the tactical camera sees
// it, circling the middle 45 units up with a 60-degree view and a level of detail that leaves
// the visible tiles with about 23 of their 32 triangles on average: each frame the driver's culling,
// level-of-detail choice and submission of the visible tiles, drawn at the scene's end over the
// null device, against a plain loop in this program that does the same culling of every tile's
// box against the same planes, projection of the same tile meshes and clipping of their
// triangles that straddle a plane. The goal: the driver's work at most twice the plain loop's.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "bench/goal.h"
#include "bench/null_display.h"
#include "driver/batch/texlookup.h"
#include "driver/core/block.h"
#include "driver/device/device.h"
#include "driver/device/frame.h"
#include "driver/device/prefs.h"
#include "driver/device/renderstate.h"
#include "driver/terrain/terrain.h"
#include "engine/memory/memblock.h"
#include "engine/scene/scene.h"
#include "engine/terrain/terrain.h"
#include "engine/vdisplay/vdisplay.h"
#include "platform/files.h"
#include "platform/gfx/gfx.h"

namespace {

constexpr int kPoses = 8;  // camera positions, one a frame
constexpr int kReps = 40;
constexpr double kTarget = 2.0;
constexpr uint32_t kPatches = 32;   // along each side
constexpr int32_t kCell = 200;      // file units: cells of 2 engine units
constexpr float kMiddle = 128.0f;   // engine units: the middle of the terrain
constexpr float kDetail = 0.9f;    // the render state's level-of-detail value
constexpr float kFar = 300.0f;
constexpr float kTanHalfY = 0.57735027f;  // 60 degrees of view, up and down
constexpr float kScale = 240.0f / kTanHalfY;  // pixels square on the 640 by 480 screen
constexpr float kTanHalfX = 320.0f / kScale;
constexpr uint32_t kPlanes = 6;
// The view-space planes: near, far, left, right, top, bottom; inside where n . (p - q) >= 0.
constexpr float kNormals[kPlanes][3] = {{0, 0, -1}, {0, 0, 1}, {1, 0, -kTanHalfX},
                                        {-1, 0, -kTanHalfX}, {0, 1, -kTanHalfY}, {0, -1, -kTanHalfY}};
constexpr float kPoints[kPlanes][3] = {{0, 0, -1}, {0, 0, -kFar}, {}, {}, {}, {}};

// Hills a few units high over a few tiles, with ripples on them that keep the tiles' inner
// vertices wanted near the camera.
float HeightAt(float x, float y) {
  return 6.0f * std::sin(x * 0.05f) * std::cos(y * 0.043f) + 2.5f * std::sin(x * 0.21f + y * 0.13f) +
         0.8f * std::sin(x * 0.9f) * std::sin(y * 0.77f);
}

// One tile's mesh as the driver chose it for a frame: its vertices (0-24) and its triangles as
// positions in that list.
struct Mesh {
  uint8_t numVertices = 0, numIndices = 0;
  uint8_t vertices[SPW_TERRAIN_TEMPLATE_SIZE];
  uint8_t indices[SPW_TERRAIN_MESH_INDICES];
};

struct Pose {
  float camera[16], view[16];
  std::vector<Mesh> meshes;  // every tile's, by its number
};

// What the plain loop reads: every tile's box and first grid vertex, the grid in world space.
struct PlainTile {
  float cx, cy, minZ, maxZ;
  uint32_t firstVertex;
};

// A vertex being clipped: view-space position and texture coordinates.
struct ClipVertex {
  float x, y, z, u, v;
};

struct TerrainScene {
  vnBENCH_NULLDISPLAY nd;
  SPW_DISPLAY& display = nd.display;
  SPW_DISPLAYNODE node{};
  SPW_SCENE scene{};
  SPW_VDISPLAY view{};
  SPW_TERRAIN* terrain = nullptr;
  std::vector<int32_t> heights;
  std::vector<uint32_t> surfaces;
  Pose poses[kPoses];
  std::vector<PLAT_GfxTexture*> textures;
  std::vector<PlainTile> tiles;
  std::vector<SPW_VECTOR> grid;
  float gridOffset[SPW_TERRAIN_TEMPLATE_SIZE] = {};
  bool ok = false;

  TerrainScene() {
    if (!nd.Open("terrain")) return;
    node.pDisplay = &display;
    if (!MakeTerrain()) return;
    SGE_ListInit(&scene.lights);
    scene.pTerrain = terrain;
    view.pScene = &scene;
    view.fTanHalfY = kTanHalfY;
    MakePlainTiles();
    for (int p = 0; p < kPoses; ++p) MakePose(p);
    ok = true;
  }
  ~TerrainScene() {
    SPW_FreeTerrain(&SPW_Terrain);
    if (SPPD_DRIVERSTATE* s = SPPD_GetDriverState(&display)) SPPD_BatchClearTextures(s);
    for (PLAT_GfxTexture* t : textures) PLAT_GfxReleaseTexture(t);
    nd.Close();
  }

  bool MakeTerrain() {
    const uint32_t side = kPatches * SPW_TERRAIN_PATCH_CELLS + 1;
    const float cell = static_cast<float>(kCell) * SPW_TERRAIN_FILE_SCALE;
    for (uint32_t y = 0; y < side; ++y)
      for (uint32_t x = 0; x < side; ++x)
        heights.push_back(static_cast<int32_t>(std::lround(HeightAt(x * cell, y * cell) / SPW_TERRAIN_FILE_SCALE)));
    // Four materials in patches of a few tiles, as a painted mission has them.
    for (uint32_t y = 0; y < kPatches; ++y)
      for (uint32_t x = 0; x < kPatches; ++x) surfaces.push_back(1 + (x / 3 + y / 5) % 4);
    SPW_TERRAINHEADER h{};
    h.nCellShift = 2;
    h.nPatchesX = h.nPatchesY = kPatches;
    h.nCellSize = kCell;
    h.pHeights = heights.data();
    h.dwNumHeights = static_cast<uint32_t>(heights.size());
    h.pSurfaces = surfaces.data();
    h.dwNumSurfaces = static_cast<uint32_t>(surfaces.size());
    terrain = SPW_InitTerrain(&h, nullptr, nullptr, nullptr, 0, 0, 0);
    if (!terrain) return false;
    // And their source textures for the second pass, one per 8 by 8 tiles.
    for (uint32_t i = 0; i < terrain->dwPatchesX * terrain->dwPatchesY; ++i) {
      const SPW_TERRAINPATCH& p = terrain->pPatches[i];
      terrain->pPatches[i].nTextureId = static_cast<int32_t>(10 + p.dwX / 8 + p.dwY / 8 * 4);
    }
    // Small device textures under those ids, so that drawing binds them as it would the
    // loaded ones.
    SPPD_DRIVERSTATE* s = SPPD_GetDriverState(&display);
    for (uint32_t id : {1u, 2u, 3u, 4u}) Register(s, id);
    for (uint32_t id = 10; id < 26; ++id) Register(s, id);
    return SPPD_InitTerrain(&display, terrain) == SPPD_OK;
  }

  void Register(SPPD_DRIVERSTATE* s, uint32_t id) {
    PLAT_GfxTexture* t = PLAT_GfxCreateTexture(s->pGfx, 16, 16, 1, PLAT_GfxTexFormat::A8R8G8B8);
    if (!t) return;
    textures.push_back(t);
    SPPD_BatchSetTexture(s, id, t, false);
  }

  void MakePlainTiles() {
    const SPW_TERRAIN* t = terrain;
    for (uint32_t i = 0; i < t->dwVertsX * t->dwVertsY; ++i)
      grid.push_back({static_cast<float>(i % t->dwVertsX) * t->fCellSize,
                      static_cast<float>(i / t->dwVertsX) * t->fCellSize, t->pVertices[i].fHeight});
    for (uint32_t i = 0; i < t->dwPatchesX * t->dwPatchesY; ++i) {
      const SPW_TERRAINPATCH& p = t->pPatches[i];
      tiles.push_back({p.fCentreX, p.fCentreY, p.fMinHeight, p.fMaxHeight, p.dwFirstVertex});
    }
  }

  // A camera 30 units from the middle and 45 above the ground there, looking at it.
  void MakePose(int p) {
    const float a = static_cast<float>(p) * 2.0f * SPW_PI / kPoses;
    const SPW_VECTOR target{kMiddle, kMiddle, HeightAt(kMiddle, kMiddle)};
    const SPW_VECTOR eye{target.x + 30.0f * std::cos(a), target.y + 30.0f * std::sin(a), target.z + 45.0f};
    SPW_VECTOR f{target.x - eye.x, target.y - eye.y, target.z - eye.z};
    const float fl = std::sqrt(f.x * f.x + f.y * f.y + f.z * f.z);
    f = {f.x / fl, f.y / fl, f.z / fl};
    SPW_VECTOR r{f.y, -f.x, 0};  // forward x up(0, 0, 1)
    const float rl = std::sqrt(r.x * r.x + r.y * r.y);
    r = {r.x / rl, r.y / rl, 0};
    const SPW_VECTOR u{r.y * f.z - r.z * f.y, r.z * f.x - r.x * f.z, r.x * f.y - r.y * f.x};
    // View space: x right, y up, z toward the eye.
    const SPW_VECTOR axes[3] = {r, u, {-f.x, -f.y, -f.z}};
    Pose& pose = poses[p];
    for (int i = 0; i < 3; ++i) {
      pose.camera[i * 4 + 0] = axes[i].x;
      pose.camera[i * 4 + 1] = axes[i].y;
      pose.camera[i * 4 + 2] = axes[i].z;
      pose.camera[i * 4 + 3] = 0;
      pose.view[0 * 4 + i] = axes[i].x;
      pose.view[1 * 4 + i] = axes[i].y;
      pose.view[2 * 4 + i] = axes[i].z;
      pose.view[3 * 4 + i] = -(eye.x * axes[i].x + eye.y * axes[i].y + eye.z * axes[i].z);
    }
    pose.camera[12] = eye.x;
    pose.camera[13] = eye.y;
    pose.camera[14] = eye.z;
    pose.camera[15] = 1;
    pose.view[3] = pose.view[7] = pose.view[11] = 0;
    pose.view[15] = 1;
    // The meshes the driver chooses from here, which the plain loop draws. Two frames: the
    // second sees the vertices the first switched settle.
    pose.meshes.assign(tiles.size(), Mesh{});
    for (int i = 0; i < 2; ++i) Frame(p);
    Setup(p);
    for (SPW_TERRAINLIST list : {SPW_TLIST_CLIPPED, SPW_TLIST_NEAR, SPW_TLIST_FAR}) {
      for (uint32_t i = 0; i < terrain->adwListCount[list]; ++i) {
        const SPW_TERRAINPATCH* tile = terrain->apLists[list][i];
        uint8_t tri[SPPD_TERRAIN_TILE_INDICES];
        const uint32_t n = SPPD_TerrainTileTriangles(terrain, tile, tri);
        Mesh& m = pose.meshes[static_cast<size_t>(tile - terrain->pPatches)];
        uint8_t map[SPW_TERRAIN_TEMPLATE_SIZE];
        std::fill(std::begin(map), std::end(map), 0xFF);
        for (uint32_t k = 0; k < n; ++k) {
          if (map[tri[k]] == 0xFF) {
            map[tri[k]] = m.numVertices;
            m.vertices[m.numVertices++] = tri[k];
          }
          m.indices[m.numIndices++] = map[tri[k]];
        }
      }
    }
    SPPD_TERRAIN_RenderTerrainData();
    SPPD_EndScene(&display);
    SPPD_BeginScene(&display);
  }

  void Setup(int p) {
    SPPD_RENDERSTATE rs{};
    rs.dwMask = 0xFF | SPPD_RS_MATRICES | SPPD_RS_PLANES | SPPD_RS_FACTOR;
    rs.fNear = 1.0f;
    rs.fFar = kFar;
    rs.fMaxDepth = 1.0f;
    rs.fFactor = kDetail;
    rs.fScaleX = kScale;
    rs.fScaleY = -kScale;
    rs.fCentreX = 320.0f;
    rs.fCentreY = 240.0f;
    rs.pMatrix = poses[p].camera;
    rs.pViewMatrix = poses[p].view;
    rs.dwNumPlanes = kPlanes;
    rs.pPlaneNormals = const_cast<float*>(&kNormals[0][0]);
    rs.pPlanePoints = const_cast<float*>(&kPoints[0][0]);
    rs.dwPlaneMask = (1u << kPlanes) - 1;
    SPPD_SetRenderState(&node, &rs);
    SPPD_TERRAIN_RenderTerrainDataSetup(&view, &display);
  }

  void Frame(int p) {
    Setup(p);
    SPPD_TERRAIN_RenderTerrainData();
    SPPD_EndScene(&display);
    SPPD_BeginScene(&display);
  }
};

// The plain loop's frame: every tile's box tested against the planes in world space, the
// visible tiles' mesh vertices moved into view space and projected, and the triangles that
// straddle a plane cut against it, into screen vertices and indices.
struct PlainFrame {
  const TerrainScene& scene;
  std::vector<SPPD_TLVERTEX> vertices = std::vector<SPPD_TLVERTEX>(1 << 18);
  std::vector<uint16_t> indices = std::vector<uint16_t>(1 << 19);
  size_t numVertices = 0, numIndices = 0, triangles = 0;

  void Run(const Pose& pose) {
    const float* m = pose.view;
    // The planes in world space.
    float wn[kPlanes][3], wd[kPlanes];
    for (uint32_t i = 0; i < kPlanes; ++i) {
      const float* n = kNormals[i];
      for (int j = 0; j < 3; ++j) wn[i][j] = n[0] * m[j * 4] + n[1] * m[j * 4 + 1] + n[2] * m[j * 4 + 2];
      wd[i] = n[0] * (kPoints[i][0] - m[12]) + n[1] * (kPoints[i][1] - m[13]) + n[2] * (kPoints[i][2] - m[14]);
    }
    numVertices = numIndices = triangles = 0;
    const SPW_TERRAIN* t = scene.terrain;
    const float half = t->fHalfPatchSize;
    for (size_t i = 0; i < scene.tiles.size(); ++i) {
      const PlainTile& tile = scene.tiles[i];
      const float cz = (tile.minZ + tile.maxZ) * 0.5f, hz = (tile.maxZ - tile.minZ) * 0.5f;
      uint32_t straddled = 0;
      bool out = false;
      for (uint32_t k = 0; k < kPlanes && !out; ++k) {
        const float c = wn[k][0] * tile.cx + wn[k][1] * tile.cy + wn[k][2] * cz - wd[k];
        const float r = (std::fabs(wn[k][0]) + std::fabs(wn[k][1])) * half + std::fabs(wn[k][2]) * hz;
        if (c + r < 0) out = true;
        else if (c - r < 0) straddled |= 1u << k;
      }
      if (!out) DrawTile(pose, pose.meshes[i], tile, straddled);
    }
    benchmark::DoNotOptimize(vertices.data());
    benchmark::DoNotOptimize(indices.data());
    benchmark::ClobberMemory();
  }

  void DrawTile(const Pose& pose, const Mesh& mesh, const PlainTile& tile, uint32_t straddled) {
    const SPW_TERRAIN* t = scene.terrain;
    const float* m = pose.view;
    ClipVertex v[SPW_TERRAIN_TEMPLATE_SIZE];
    uint32_t outside[SPW_TERRAIN_TEMPLATE_SIZE];
    for (uint32_t i = 0; i < mesh.numVertices; ++i) {
      const uint8_t n = mesh.vertices[i];
      const SPW_VECTOR& w = scene.grid[tile.firstVertex + t->aTemplate[n].dwGridOffset];
      v[i] = {w.x * m[0] + w.y * m[4] + w.z * m[8] + m[12], w.x * m[1] + w.y * m[5] + w.z * m[9] + m[13],
              w.x * m[2] + w.y * m[6] + w.z * m[10] + m[14], t->aTemplate[n].u, t->aTemplate[n].v};
      outside[i] = 0;
      for (uint32_t k = 0; k < kPlanes; ++k)
        if ((straddled >> k & 1) && Distance(k, v[i]) < 0) outside[i] |= 1u << k;
    }
    if (!straddled) {
      const size_t base = numVertices;
      for (uint32_t i = 0; i < mesh.numVertices; ++i) Project(v[i]);
      for (uint32_t i = 0; i < mesh.numIndices; ++i) indices[numIndices++] = static_cast<uint16_t>(base + mesh.indices[i]);
      triangles += mesh.numIndices / 3u;
      return;
    }
    for (uint32_t i = 0; i + 2 < mesh.numIndices; i += 3) {
      const uint8_t* tri = mesh.indices + i;
      const uint32_t o0 = outside[tri[0]], o1 = outside[tri[1]], o2 = outside[tri[2]];
      if (o0 & o1 & o2) continue;
      ClipVertex a[16], b[16];
      for (int j = 0; j < 3; ++j) a[j] = v[tri[j]];
      uint32_t count = 3;
      ClipVertex* poly = a;
      for (uint32_t k = 0; k < kPlanes && count >= 3; ++k) {
        if (!((o0 | o1 | o2) >> k & 1)) continue;
        ClipVertex* next = poly == a ? b : a;
        uint32_t n = 0;
        for (uint32_t j = 0; j < count; ++j) {
          const ClipVertex& p = poly[j];
          const ClipVertex& q = poly[j + 1 == count ? 0 : j + 1];
          const float dp = Distance(k, p), dq = Distance(k, q);
          if (dp >= 0) next[n++] = p;
          if ((dp >= 0) != (dq >= 0)) {
            const float s = dp / (dp - dq);
            next[n++] = {p.x + (q.x - p.x) * s, p.y + (q.y - p.y) * s, p.z + (q.z - p.z) * s,
                         p.u + (q.u - p.u) * s, p.v + (q.v - p.v) * s};
          }
        }
        poly = next;
        count = n;
      }
      if (count < 3) continue;
      const size_t base = numVertices;
      for (uint32_t j = 0; j < count; ++j) Project(poly[j]);
      for (uint32_t j = 1; j + 1 < count; ++j) {
        indices[numIndices++] = static_cast<uint16_t>(base);
        indices[numIndices++] = static_cast<uint16_t>(base + j);
        indices[numIndices++] = static_cast<uint16_t>(base + j + 1);
      }
      triangles += count - 2;
    }
  }

  static float Distance(uint32_t k, const ClipVertex& p) {
    const float* n = kNormals[k];
    const float* q = kPoints[k];
    return n[0] * (p.x - q[0]) + n[1] * (p.y - q[1]) + n[2] * (p.z - q[2]);
  }

  void Project(const ClipVertex& p) {
    const float rhw = -1.0f / p.z;
    vertices[numVertices++] = {kScale * p.x * rhw + 320.0f, -kScale * p.y * rhw + 240.0f,
                               (1.0f + rhw) * (kFar / (kFar - 1.0f)), rhw, 0xFFFFFFFFu,
                               0xFF000000u, p.u, p.v};
  }
};

}  // namespace

int main() {
  TerrainScene scene;
  if (!scene.ok) {
    std::printf("no engine, terrain or null device\n");
    vnBENCH_GoalAtMost("terrain_frame", 1e9, kTarget);
    return 0;
  }
  PlainFrame plainFrame{scene};
  size_t visible = 0, meshTriangles = 0, drawn = 0;
  for (const Pose& p : scene.poses) {
    for (const Mesh& m : p.meshes) {
      visible += m.numIndices != 0;
      meshTriangles += m.numIndices / 3u;
    }
    plainFrame.Run(p);
    drawn += plainFrame.triangles;
  }
  std::printf("%u tiles; a frame on average over %d camera positions: %zu visible tiles of %.1f "
              "triangles, %zu triangles drawn\n",
              scene.terrain->dwPatchesX * scene.terrain->dwPatchesY, kPoses, visible / kPoses,
              visible ? static_cast<double>(meshTriangles) / static_cast<double>(visible) : 0.0, drawn / kPoses);
  if (drawn == 0) {
    vnBENCH_GoalAtMost("terrain_frame", 1e9, kTarget);
    return 0;
  }
  auto render = [&] {
    for (int p = 0; p < kPoses; ++p) scene.Frame(p);
  };
  auto plain = [&] {
    for (const Pose& p : scene.poses) plainFrame.Run(p);
  };
  const double ratio = vnBENCH_Compare("terrain through the driver, null device", render,
                                       "plain culling, projection and clipping", plain, kReps);
  vnBENCH_GoalAtMost("terrain_frame", ratio, kTarget);
  return 0;
}
