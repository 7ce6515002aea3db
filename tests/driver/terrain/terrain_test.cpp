// The driver's terrain read back from the device: tiles culled against the view, fogged toward
// the border, clipped where they straddle a plane, the glow of a light laid over them, and the
// mesh refined near the camera.
#include <cmath>
#include <functional>
#include <vector>

#include "driver/terrain/terrain.h"
#include "engine/memory/memblock.h"
#include "engine/scene/scene.h"
#include "engine/terrain/terrain.h"
#include "engine/vdisplay/vdisplay.h"
#include "tests/driver/batch/draw_fixture.h"

namespace drawtest {
namespace {

constexpr uint32_t kRed = 0xFFFF0000u, kFog = 0xFF00FF00u, kBlack = 0xFF000000u;
constexpr uint32_t kGround = 900;  // texture id of every tile, clear of the table's ids

class TerrainDrawTest : public DrawTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(SGE_InitMemory(0), 1);
    ASSERT_EQ(SPW_CreateEngineBlocks(), 1);
    DrawTest::SetUp();
    if (HasFatalFailure()) return;
    Texture(kGround, kRed, false);
    SGE_ListInit(&scene.lights);
    view.pScene = &scene;
    view.fTanHalfY = 1.0f;  // the fixture's projection: 90 degrees
  }
  void TearDown() override {
    DrawTest::TearDown();
    SPW_FreeTerrain(&SPW_Terrain);
    SPW_ReleaseEngineBlocks();
    SGE_ShutdownMemory();
  }

  // px by py patches of 1-unit cells, heights in hundredths from a function of the vertex.
  SPW_TERRAIN* Make(uint32_t px, uint32_t py,
                    const std::function<int32_t(uint32_t, uint32_t)>& height = nullptr) {
    heights.clear();
    for (uint32_t y = 0; y <= 4 * py; ++y)
      for (uint32_t x = 0; x <= 4 * px; ++x) heights.push_back(height ? height(x, y) : 0);
    surfaces.assign(px * py, kGround);
    SPW_TERRAINHEADER h{};
    h.nCellShift = 2;
    h.nPatchesX = static_cast<int32_t>(px);
    h.nPatchesY = static_cast<int32_t>(py);
    h.nCellSize = 100;
    h.pHeights = heights.data();
    h.dwNumHeights = static_cast<uint32_t>(heights.size());
    h.pSurfaces = surfaces.data();
    h.dwNumSurfaces = px * py;
    SPW_TERRAIN* t = SPW_InitTerrain(&h, nullptr, nullptr, nullptr, 0, 0, 0);
    EXPECT_NE(t, nullptr);
    scene.pTerrain = t;
    EXPECT_EQ(SPPD_InitTerrain(&display, t), SPPD_OK);
    return t;
  }

  // The camera at eye looking straight down (or up), the fixture's 90-degree view with its
  // near plane and four side planes, and any further planes given in view space.
  void Look(float ex, float ey, float ez, bool up = false, std::vector<float> moreNormals = {},
            std::vector<float> morePoints = {}, uint32_t planeMask = 0xFFFFFFFFu) {
    const float s = up ? -1.0f : 1.0f;
    // View space: x along world x; looking down, y along world y; looking up, both y and z
    // turn over.
    camera = {1, 0, 0, 0, 0, s, 0, 0, 0, 0, s, 0, ex, ey, ez, 1};
    viewMatrix = {1, 0, 0, 0, 0, s, 0, 0, 0, 0, s, 0, -ex, -s * ey, -s * ez, 1};
    normals = {0, 0, -1, 1, 0, -1, -1, 0, -1, 0, 1, -1, 0, -1, -1};
    points = {0, 0, -kNear, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    normals.insert(normals.end(), moreNormals.begin(), moreNormals.end());
    points.insert(points.end(), morePoints.begin(), morePoints.end());
    SPPD_RENDERSTATE rs{};
    rs.dwMask = 0xFF | SPPD_RS_MATRICES | SPPD_RS_PLANES;
    rs.fNear = kNear;
    rs.fFar = kFar;
    rs.fMaxDepth = 1.0f;
    rs.fScaleX = 320.0f;
    rs.fScaleY = -240.0f;
    rs.fCentreX = 320.0f;
    rs.fCentreY = 240.0f;
    rs.pMatrix = camera.data();
    rs.pViewMatrix = viewMatrix.data();
    rs.dwNumPlanes = static_cast<uint32_t>(normals.size() / 3);
    rs.pPlaneNormals = normals.data();
    rs.pPlanePoints = points.data();
    rs.dwPlaneMask = planeMask;
    rs.dwFogColour = kFog;
    ASSERT_EQ(SPPD_SetRenderState(&node, &rs), SPPD_OK);
  }

  void Frame() {
    ASSERT_EQ(SPPD_TERRAIN_RenderTerrainDataSetup(&view, &display), SPPD_OK);
    ASSERT_EQ(SPPD_TERRAIN_RenderTerrainData(), SPPD_OK);
  }

  // Screen position of a ground point seen from straight above at height h over (ex, ey).
  static int ScreenX(float x, float ex, float h) { return static_cast<int>(320.0f + 320.0f * (x - ex) / h); }
  static int ScreenY(float y, float ey, float h) { return static_cast<int>(240.0f - 240.0f * (y - ey) / h); }

  std::vector<int32_t> heights;
  std::vector<uint32_t> surfaces;
  std::vector<float> camera, viewMatrix, normals, points;
  SPW_SCENE scene{};
  SPW_VDISPLAY view{};
};

// 48 by 48 units: the middle lies past the ten cells over which the border fades into fog.
constexpr uint32_t kPatches = 12;
constexpr float kMid = 24.0f, kHigh = 30.0f;

TEST_F(TerrainDrawTest, APatchSeenFromAboveFadesIntoFogAtTheBorderUnderOneGlow) {
  Make(kPatches, kPatches);
  SPW_LIGHT light{};
  SGE_ListInit(&light.terrainLinks);
  light.fFlags = SPW_LIGHT_TERRAIN;
  light.dwValue = 1;  // an additive glow
  light.vPos = {kMid, kMid, 1.0f};
  light.fRadius = 4.0f;
  light.colour = {0, 0, 255, 255};
  SGE_ListAddTail(&scene.lights, &light.link);
  Look(kMid, kMid, kHigh);
  Frame();
  EndFrame();
  EXPECT_TRUE(light.fFlags & SPW_LIGHT_ON_TERRAIN);
  EXPECT_TRUE(Near(Pixel(320, 240), 0xFFFF00FF, 10));  // under the light
  EXPECT_TRUE(Near(Pixel(ScreenX(kMid - 6, kMid, kHigh), 240), kRed));  // beyond its reach
  EXPECT_TRUE(Near(Pixel(ScreenX(0.1f, kMid, kHigh), 240), kFog, 40));  // the border: fog
  EXPECT_TRUE(Near(Pixel(ScreenX(-0.5f, kMid, kHigh), 240), kBlack));  // past the terrain
  SPW_FreeTerrain(&SPW_Terrain);  // gives the light's links back
  EXPECT_TRUE(SGE_ListIsEmpty(&light.terrainLinks));
}

TEST_F(TerrainDrawTest, TilesFacingAwayOrOutOfViewDrawNothing) {
  SPW_TERRAIN* t = Make(kPatches, kPatches);
  Look(kMid, kMid, -kHigh, true);  // below the ground, looking up at its underside
  Frame();
  EXPECT_EQ(t->adwListCount[SPW_TLIST_VISIBLE], kPatches * kPatches);
  EndFrame();
  EXPECT_TRUE(Near(Pixel(320, 240), kBlack));
  EXPECT_TRUE(Near(Pixel(200, 300), kBlack));

  ASSERT_EQ(SPPD_BeginScene(&display), SPPD_OK);
  Look(kMid, kMid, kHigh, true);  // above it, looking away
  Frame();
  for (uint32_t n : t->adwListCount) EXPECT_EQ(n, 0u);
  EndFrame();
  EXPECT_TRUE(Near(Pixel(320, 240), kBlack));
}

TEST_F(TerrainDrawTest, ATileStraddlingAPlaneIsClippedAlongIt) {
  SPW_TERRAIN* t = Make(kPatches, kPatches);
  // A plane through world x = 24.5 keeping what lies beyond it.
  Look(kMid, kMid, kHigh, false, {1, 0, 0}, {0.5f, 0, 0});
  Frame();
  EXPECT_EQ(t->adwListCount[SPW_TLIST_CLIPPED], kPatches);  // the column from x = 24 to 28
  EXPECT_EQ(t->adwListCount[SPW_TLIST_VISIBLE], kPatches * kPatches / 2);
  EndFrame();
  EXPECT_TRUE(Near(Pixel(ScreenX(24.2f, kMid, kHigh), 240), kBlack));
  EXPECT_TRUE(Near(Pixel(ScreenX(24.9f, kMid, kHigh), 240), kRed));
  EXPECT_TRUE(Near(Pixel(ScreenX(26.0f, kMid, kHigh), 200), kRed));
  EXPECT_TRUE(Near(Pixel(ScreenX(20.0f, kMid, kHigh), 240), kBlack));  // wholly outside: culled
  EXPECT_TRUE(Near(Pixel(ScreenX(32.0f, kMid, kHigh), 240), kRed));

  // The render state's plane mask leaves the plane out: the same tiles draw unclipped.
  ASSERT_EQ(SPPD_BeginScene(&display), SPPD_OK);
  Look(kMid, kMid, kHigh, false, {1, 0, 0}, {0.5f, 0, 0}, 0x1F);
  Frame();
  EXPECT_EQ(t->adwListCount[SPW_TLIST_CLIPPED], 0u);
  EXPECT_EQ(t->adwListCount[SPW_TLIST_NEAR] + t->adwListCount[SPW_TLIST_FAR], kPatches * kPatches / 2);
}

TEST_F(TerrainDrawTest, AmbientColourAndLevelOfDetailFactor) {
  Make(1, 1);
  EXPECT_EQ(SPPD_SetTerrainAmbientColour(0xFF808080u), 0xFFFFFFFFu);
  EXPECT_EQ(SPPD_SetTerrainAmbientColour(0xFF101010u), 0xFF808080u);
  EXPECT_FLOAT_EQ(SPPD_TerrainLODFactor(0.72f, 0.5f), std::pow(0.5f, 6.92f) * 0.5f * 2.7474775f);
  // A view without a scene does nothing and reports success.
  SPW_VDISPLAY empty{};
  EXPECT_EQ(SPPD_TERRAIN_RenderTerrainDataSetup(&empty, &display), SPPD_OK);
  EXPECT_EQ(SPPD_TERRAIN_RenderTerrainDataSetup(nullptr, &display), SPPD_OK);
}

// An overlay square over [21, 23] in x and y on the tile from 20 to 24, seen from above the
// square's middle: where it lies the ground shows the overlay, beside it the tile's own texture.
// On a slope (z = x / 2) it must lie on the ground's height to be seen at all, and its edges
// show where that height puts them.
TEST_F(TerrainDrawTest, AnOverlayIsDrawnWhereItLiesOnItsTileAndOnTheTileHeights) {
  constexpr uint32_t kOverlayTexture = 901, kBlue = 0xFF0000FFu;
  constexpr uint32_t kTile = 5 + 5 * kPatches;
  Texture(kOverlayTexture, 0xFFFFFFFFu, false);
  struct Case {
    const char* name;
    bool slope;
    int32_t colourMode;
    uint32_t pointColour, overlayColour;
    float eyeZ;
    int inside[2], outside[2];  // screen x along the middle row
  };
  const Case cases[] = {
      // Flat, 10 above: a unit is 32 pixels; the overlay's colour tints white points.
      {"flat", false, 0, 0xFFFFFFFFu, kBlue, 10.0f, {ScreenX(21.2f, 22, 10), ScreenX(22.8f, 22, 10)},
       {ScreenX(20.7f, 22, 10), ScreenX(23.3f, 22, 10)}},
      // Sloped, the eye 10 above the middle (z 11): the edge at x = 23 lies at z = 11.5.
      {"slope", true, SPW_TOVERLAY_OWN_COLOURS, kBlue, 0xFFFF0000u, 21.0f,
       {320 - static_cast<int>(320.0f * 0.8f / 10.4f), 320 + static_cast<int>(320.0f * 0.8f / 9.6f)},
       {320 - static_cast<int>(320.0f * 1.3f / 10.65f), 320 + static_cast<int>(320.0f * 1.3f / 9.35f)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SPW_TERRAIN* t = Make(kPatches, kPatches, [&](uint32_t x, uint32_t) { return c.slope ? static_cast<int32_t>(50 * x) : 0; });
    const SPPD_VERTEX square[4] = {{0, c.pointColour, 21, 21, 0, 0, 0}, {0, c.pointColour, 23, 21, 0, 1, 0},
                                   {0, c.pointColour, 23, 23, 0, 1, 1}, {0, c.pointColour, 21, 23, 0, 0, 1}};
    SPW_TERRAINOVERLAY overlay{};
    overlay.fFlags = SPW_TOVERLAY_REBUILD;
    overlay.pPoints = square;
    overlay.dwNumPoints = 4;
    overlay.nTexture = kOverlayTexture;
    overlay.nLayer = 11;  // the translucent decal layer
    overlay.nColourMode = c.colourMode;
    overlay.dwColour = c.overlayColour;
    SGE_ListInit(&overlay.pieces);
    SPW_TERRAINPATCH& tile = t->pPatches[kTile];
    SGE_ListAddTail(&tile.overlays, &overlay.link);
    tile.dwFlags |= SPW_TPATCH_OVERLAYS;

    Clear(kBlack);  // every frame: the last case's nearer depths would hide this one's ground
    Look(22, 22, c.eyeZ);
    Frame();
    EndFrame();
    EXPECT_FALSE(overlay.fFlags & SPW_TOVERLAY_REBUILD);
    SGE_DLLNODE* firstPiece = SGE_ListFirst(&overlay.pieces);
    ASSERT_NE(firstPiece, nullptr);
    for (int x : c.inside) EXPECT_TRUE(Near(Pixel(x, 240), kBlue, 6)) << x;
    EXPECT_TRUE(Near(Pixel(320, 240), kBlue, 6));
    for (int x : c.outside) EXPECT_TRUE(Near(Pixel(x, 240), kRed, 6)) << x;

    // The next frame keeps the pieces while the tile's mesh stands; a changed mesh rebuilds them.
    ASSERT_EQ(SPPD_BeginScene(&display), SPPD_OK);
    Clear(kBlack);
    Look(22, 22, c.eyeZ);
    Frame();
    EXPECT_EQ(SGE_ListFirst(&overlay.pieces), firstPiece);
    EndFrame();
    reinterpret_cast<SPW_TERRAINPIECE*>(firstPiece)->dwCount = 0;  // kept, it would draw nothing
    tile.dwFlags |= SPW_TPATCH_REBUILD;
    ASSERT_EQ(SPPD_BeginScene(&display), SPPD_OK);
    Clear(kBlack);
    Look(22, 22, c.eyeZ);
    Frame();
    EndFrame();
    EXPECT_TRUE(Near(Pixel(320, 240), kBlue, 6));

    // Lifted as the engine lifts it: the tile draws bare again.
    SGE_ListUnlink(&overlay.link);
    SGE_ListAppendList(&t->freePieces, &overlay.pieces);
    tile.dwFlags &= ~SPW_TPATCH_OVERLAYS;
    ASSERT_EQ(SPPD_BeginScene(&display), SPPD_OK);
    Clear(kBlack);
    Look(22, 22, c.eyeZ);
    Frame();
    EndFrame();
    EXPECT_TRUE(Near(Pixel(320, 240), kRed, 6));
    SPW_FreeTerrain(&SPW_Terrain);  // gives the pieces back before the driver goes
    ASSERT_EQ(SPPD_BeginScene(&display), SPPD_OK);
    Clear(kBlack);
  }
}

// Every vertex in the mesh has the two it bisects between in the mesh too.
::testing::AssertionResult NoCracks(const SPW_TERRAIN* t) {
  for (uint32_t i = 0; i < t->dwVertsX * t->dwVertsY; ++i) {
    if (!(t->pVertices[i].bFlags & SPW_TVERT_ACTIVE)) continue;
    for (int32_t p : t->pDeps[i].anParents)
      if (p != SPW_TERRAIN_NONE && !(t->pVertices[p].bFlags & SPW_TVERT_ACTIVE))
        return ::testing::AssertionFailure() << "vertex " << i << " without " << p;
  }
  return ::testing::AssertionSuccess();
}

TEST_F(TerrainDrawTest, TheMeshIsRefinedNearTheCameraAndCoarsenedAwayFromIt) {
  auto rough = [](uint32_t x, uint32_t y) { return static_cast<int32_t>(((x * 7 + y * 13) % 5) * 40); };
  SPW_TERRAIN* t = Make(8, 8, rough);
  uint8_t tri[SPPD_TERRAIN_TILE_INDICES];
  auto triangles = [&](uint32_t tile) { return SPPD_TerrainTileTriangles(t, &t->pPatches[tile], tri) / 3; };

  Look(2, 2, 3);  // low over the first tile
  Frame();
  EndFrame();
  EXPECT_TRUE(NoCracks(t));
  EXPECT_GT(triangles(0), 16u);  // most vertices of a rough tile right below
  const uint32_t nearCount = triangles(0);

  ASSERT_EQ(SPPD_BeginScene(&display), SPPD_OK);
  Look(16, 16, 95);  // high above the middle: every tile small on screen
  Frame();
  EndFrame();
  EXPECT_TRUE(NoCracks(t));
  EXPECT_LT(triangles(0), nearCount);
  for (uint32_t i = 0; i < 64; ++i) EXPECT_LE(triangles(i), 8u) << i;

  // A flat terrain never leaves the four triangles of a tile.
  SPW_TERRAIN* flat = Make(2, 2);
  ASSERT_EQ(SPPD_BeginScene(&display), SPPD_OK);
  Look(1, 1, 2);
  Frame();
  EXPECT_EQ(SPPD_TerrainTileTriangles(flat, &flat->pPatches[0], tri), 12u);
}

}  // namespace
}  // namespace drawtest
