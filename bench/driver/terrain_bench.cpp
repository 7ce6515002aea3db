// The demo mission terrain (32 by 32 tiles) seen as the tactical camera sees it, circling the
// landing area 45 units up with a 60-degree view:
// each frame the driver's culling, level-of-detail choice and submission of the visible tiles,
// drawn at the scene's end over the null device, against a plain copy of the same frames'
// visible triangles into screen vertices. The goal: the driver's work at most 3 times the copy.
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
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
#include "tools/models/terrain.h"

namespace {

constexpr int kPoses = 8;  // camera positions, one a frame
constexpr int kReps = 15;
constexpr double kTarget = 3.0;
constexpr float kFar = 300.0f;
constexpr float kTanHalfY = 0.57735027f;  // 60 degrees of view, up and down
constexpr float kScale = 240.0f / kTanHalfY;  // pixels square on the 640 by 480 screen
constexpr float kTanHalfX = 320.0f / kScale;

struct Pose {
  float camera[16], view[16];
  std::vector<SPW_VECTOR> triangles;  // the visible triangles' corners, three a triangle
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
  bool ok = false;

  TerrainScene() {
    if (!nd.Open("terrain")) return;
    node.pDisplay = &display;
    if (!MakeTerrain()) return;
    SGE_ListInit(&scene.lights);
    scene.pTerrain = terrain;
    view.pScene = &scene;
    view.fTanHalfY = kTanHalfY;
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
    const vnMODELS_TERRAIN demo = vnMODELS_MissionTerrain("Export/Terrain/C1M1A");
    heights = demo.terrain.heights;
    // The tiles' textures by material, as the loader would have made them.
    for (uint32_t s : demo.terrain.surfaces) surfaces.push_back(s + 1);
    SPW_TERRAINHEADER h{};
    h.nCellShift = 2;
    h.nPatchesX = h.nPatchesY = vnMODELS_TERRAIN_PATCHES;
    h.nCellSize = vnMODELS_TERRAIN_CELL;
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

  // A camera 30 units from the landing area and 45 above it, looking at its centre.
  void MakePose(int p) {
    const float a = static_cast<float>(p) * 2.0f * SPW_PI / kPoses;
    const SPW_VECTOR target{vnMODELS_TERRAIN_PAD_X, vnMODELS_TERRAIN_PAD_Y, 2.0f};
    const SPW_VECTOR eye{target.x + 30.0f * std::cos(a), target.y + 30.0f * std::sin(a), 47.0f};
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
    // What the driver leaves visible from here, copied by the plain job.
    Setup(p);
    for (SPW_TERRAINLIST list : {SPW_TLIST_CLIPPED, SPW_TLIST_NEAR, SPW_TLIST_FAR}) {
      for (uint32_t i = 0; i < terrain->adwListCount[list]; ++i) {
        const SPW_TERRAINPATCH* tile = terrain->apLists[list][i];
        uint8_t tri[SPPD_TERRAIN_TILE_INDICES];
        const uint32_t n = SPPD_TerrainTileTriangles(terrain, tile, tri);
        for (uint32_t k = 0; k < n; ++k) {
          const SPW_TERRAINTEMPLATE& e = terrain->aTemplate[tri[k]];
          const float z = terrain->pVertices[tile->dwFirstVertex + e.dwGridOffset].fHeight;
          pose.triangles.push_back({tile->fCentreX + e.dx, tile->fCentreY + e.dy, z});
        }
      }
    }
    SPPD_TERRAIN_RenderTerrainData();
    SPPD_EndScene(&display);
    SPPD_BeginScene(&display);
  }

  void Setup(int p) {
    static const float normals[] = {0, 0, -1, 0, 0, 1, 1, 0, -kTanHalfX, -1, 0, -kTanHalfX,
                                    0, 1, -kTanHalfY, 0, -1, -kTanHalfY};
    static const float points[] = {0, 0, -1, 0, 0, -kFar, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    SPPD_RENDERSTATE rs{};
    rs.dwMask = 0xFF | SPPD_RS_MATRICES | SPPD_RS_PLANES;
    rs.fNear = 1.0f;
    rs.fFar = kFar;
    rs.fMaxDepth = 1.0f;
    rs.fScaleX = kScale;
    rs.fScaleY = -kScale;
    rs.fCentreX = 320.0f;
    rs.fCentreY = 240.0f;
    rs.pMatrix = poses[p].camera;
    rs.pViewMatrix = poses[p].view;
    rs.dwNumPlanes = 6;
    rs.pPlaneNormals = const_cast<float*>(normals);
    rs.pPlanePoints = const_cast<float*>(points);
    rs.dwPlaneMask = 0x3F;
    SPPD_SetRenderState(&node, &rs);
    SPPD_TERRAIN_RenderTerrainDataSetup(&view, &display);
  }

  void Frame(int p) {
    Setup(p);
    SPPD_TERRAIN_RenderTerrainData();
    SPPD_EndScene(&display);
    SPPD_BeginScene(&display);
  }

  // The pose's visible triangles copied plainly into screen vertices.
  void Copy(int p, std::vector<SPPD_TLVERTEX>* out) {
    SPPD_TLVERTEX* v = out->data();
    for (const SPW_VECTOR& c : poses[p].triangles) *v++ = {c.x, c.y, c.z, 1.0f, 0xFFFFFFFFu, 0xFF000000u, 0, 0};
    benchmark::DoNotOptimize(out->data());
    benchmark::ClobberMemory();
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
  size_t most = 0, total = 0;
  for (const Pose& p : scene.poses) {
    most = std::max(most, p.triangles.size());
    total += p.triangles.size() / 3;
  }
  std::printf("%u tiles; %zu visible triangles a frame on average over %d camera positions\n",
              scene.terrain->dwPatchesX * scene.terrain->dwPatchesY, total / kPoses, kPoses);
  if (total == 0) {
    vnBENCH_GoalAtMost("terrain_frame", 1e9, kTarget);
    return 0;
  }
  std::vector<SPPD_TLVERTEX> copy(most);
  auto render = [&] {
    for (int p = 0; p < kPoses; ++p) scene.Frame(p);
  };
  auto plain = [&] {
    for (int p = 0; p < kPoses; ++p) scene.Copy(p, &copy);
  };
  const double ratio = vnBENCH_Compare("terrain through the driver, null device", render,
                                       "plain copy of its visible triangles", plain, kReps);
  vnBENCH_GoalAtMost("terrain_frame", ratio, kTarget);
  return 0;
}
