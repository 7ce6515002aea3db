// The terrain record: heights, normals and colours under a point, the vertex tables the driver
// reads, and the terrain file read back from its writer, whole and damaged.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "engine/biff/biff.h"
#include "engine/dobject/dobject.h"
#include "platform/bytes.h"
#include "engine/scene/scene.h"
#include "engine/terrain/terrain.h"
#include "tests/engine/object/object_fixture.h"
#include "tools/models/terrain.h"
#include "tools/writers/terrain_writer.h"

namespace {

// A terrain of px by py patches of cells `cell` file units wide, heights from a function of
// the vertex, one material a patch with the orientation of its column.
vnTERRAIN Grid(uint32_t px, uint32_t py, int32_t cell,
               const std::function<int32_t(uint32_t, uint32_t)>& height) {
  vnTERRAIN t;
  t.patchesX = px;
  t.patchesY = py;
  t.cellSize = cell;
  for (uint32_t y = 0; y < vnTERRAIN_Vertices(py); ++y)
    for (uint32_t x = 0; x < vnTERRAIN_Vertices(px); ++x) t.heights.push_back(height(x, y));
  for (uint32_t i = 0; i < px * py; ++i) t.surfaces.push_back(vnTERRAIN_Surface(0, 0));
  vnMODEL_MATERIAL m;
  m.name = "ground";
  m.textures.push_back({1, "textures/ground.ppm"});
  t.materials.push_back(m);
  return t;
}

int32_t Bumpy(uint32_t x, uint32_t y) { return static_cast<int32_t>((x * 37 + y * 91) % 50) * 10; }

class TerrainTest : public ObjectFixture {
 protected:
  void TearDown() override {
    SPW_FreeTerrain(&SPW_Terrain);
    SPW_FreeTerrainData(&header);
    if (file) SPW_BIFF_CloseFile(file, heap);
    ObjectFixture::TearDown();
  }

  // Writes the terrain, opens it and reads its header; the load's result.
  int32_t Load(const vnTERRAIN& t) { return LoadBytes(vnWRITE_BIFFBytes(vnTERRAIN_Build(t))); }
  int32_t LoadBytes(const std::vector<uint8_t>& bytes) {
    const std::string path = dir.file("terrain.ter");
    std::string text(bytes.begin(), bytes.end());
    dir.write("terrain.ter", text);
    file = SPW_BIFF_OpenFile(path.c_str(), &heap, SPW_TERRAIN_LOAD_HEAP);
    if (!file) {
      SPW_BIFF_FreeHeap(heap);
      heap = nullptr;
      return -1;
    }
    return SPW_LoadTerrainData(file, path.c_str(), &header, &display);
  }
  SPW_TERRAIN* Build(const vnTERRAIN& t, const uint8_t* rgb = nullptr, uint32_t w = 0,
                     uint32_t h = 0, uint32_t count = 0) {
    EXPECT_EQ(Load(t), 1);
    return SPW_InitTerrain(&header, &display, "Export/Terrain/test", rgb, w, h, count);
  }
  float At(const SPW_TERRAIN* t, uint32_t x, uint32_t y) {
    return t->pVertices[x + y * t->dwVertsX].fHeight;
  }

  SPW_TERRAINHEADER header{};
  SPW_BIFF_FILE* file = nullptr;
  void* heap = nullptr;
};

TEST_F(TerrainTest, HeightsFollowTheDiagonalOfEachCellsParity) {
  SPW_TERRAIN* t = Build(Grid(1, 1, 100, Bumpy));
  ASSERT_NE(t, nullptr);
  ASSERT_FLOAT_EQ(t->fCellSize, 1.0f);
  struct Case {
    uint32_t ix, iy;
    float fx, fy;
    int normal;  // which of the cell's normals
  };
  const Case cases[] = {
      {0, 0, 0.25f, 0.5f, 0}, {0, 0, 0.5f, 0.25f, 1},  // even: above the diagonal is the first
      {1, 0, 0.3f, 0.3f, 1},  {1, 0, 0.8f, 0.5f, 0},   // odd: beyond the other diagonal is
      {2, 3, 0.9f, 0.95f, 0}, {3, 1, 0.1f, 0.2f, 0},
      {3, 2, 0.05f, 0.1f, 1}, {2, 2, 0.5f, 0.5f, 0},
  };
  for (const Case& c : cases) {
    const float h00 = At(t, c.ix, c.iy), h10 = At(t, c.ix + 1, c.iy);
    const float h01 = At(t, c.ix, c.iy + 1), h11 = At(t, c.ix + 1, c.iy + 1);
    float want;
    if ((c.ix + c.iy) % 2 == 0)
      want = c.normal == 0 ? h00 + c.fx * (h11 - h01) + c.fy * (h01 - h00)
                           : h00 + c.fx * (h10 - h00) + c.fy * (h11 - h10);
    else
      want = c.normal == 0 ? h11 + (c.fx - 1) * (h11 - h01) + (c.fy - 1) * (h11 - h10)
                           : h00 + c.fx * (h10 - h00) + c.fy * (h01 - h00);
    const float x = static_cast<float>(c.ix) + c.fx, y = static_cast<float>(c.iy) + c.fy;
    float z = 0;
    ASSERT_EQ(SPW_TerrainHeightAt(t, x, y, &z), 1);
    EXPECT_NEAR(z, want, 1e-4f) << c.ix << "," << c.iy << " at " << c.fx << "," << c.fy;
    SPW_VECTOR n{};
    ASSERT_EQ(SPW_TerrainNormalAt(t, x, y, &n), 1);
    const SPW_VECTOR& cell = t->pNormals[c.ix + c.iy * (t->dwVertsX - 1)].n[c.normal];
    EXPECT_EQ(n.x, cell.x) << c.ix << "," << c.iy;
    EXPECT_EQ(n.y, cell.y);
    EXPECT_NEAR(std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z), 1.0f, 1e-5f);
    EXPECT_GT(n.z, 0.0f);
  }
  for (uint32_t y = 0; y <= 4; ++y) {
    for (uint32_t x = 0; x <= 4; ++x) {
      float z = 0;
      ASSERT_EQ(SPW_TerrainHeightAt(t, static_cast<float>(x), static_cast<float>(y), &z), 1);
      EXPECT_NEAR(z, At(t, x, y), 1e-4f) << "corner " << x << "," << y;
    }
  }
}

TEST_F(TerrainTest, TheFarEdgeIsInsideAndStaysInTheLastCell) {
  SPW_TERRAIN* t = Build(Grid(2, 1, 50, Bumpy));
  ASSERT_NE(t, nullptr);
  const float w = 2 * t->fPatchSize, h = t->fPatchSize;
  float z = 0;
  ASSERT_EQ(SPW_TerrainHeightAt(t, w, 1.0f, &z), 1);
  ASSERT_EQ(SPW_TerrainHeightAt(t, w, h, &z), 1);
  EXPECT_NEAR(z, At(t, 8, 4), 1e-4f);
  ASSERT_EQ(SPW_TerrainHeightAt(t, 0.3f, h, &z), 1);
  SPW_VECTOR n{};
  EXPECT_EQ(SPW_TerrainNormalAt(t, w, h, &n), 1);
  EXPECT_EQ(SPW_TerrainHeightAt(t, -0.01f, 1.0f, &z), 0);
  EXPECT_EQ(SPW_TerrainHeightAt(t, 1.0f, h + 0.01f, &z), 0);
  EXPECT_EQ(SPW_TerrainNormalAt(t, w + 0.01f, 0.0f, &n), 0);
  uint32_t colour = 0;
  EXPECT_FALSE(SPW_TerrainColourAt(t, w, 0.5f, &colour));  // colours stop short of the edge
}

TEST_F(TerrainTest, EdgeBlendFadesOverTenCellsFromTheBorder) {
  SPW_TERRAIN* t = Build(Grid(6, 6, 100, Bumpy));
  ASSERT_NE(t, nullptr);
  auto shade = [&](uint32_t x, uint32_t y) { return t->pVertices[x + y * t->dwVertsX].bShade; };
  EXPECT_EQ(shade(0, 7), 255);
  EXPECT_EQ(shade(24, 3), 255);
  EXPECT_EQ(shade(3, 12), 178);
  EXPECT_EQ(shade(12, 21), 178);  // 3 from the far border
  EXPECT_EQ(shade(9, 9), 25);
  EXPECT_EQ(shade(10, 12), 0);
  EXPECT_EQ(shade(12, 12), 0);
}

TEST_F(TerrainTest, VertexColoursComeFromTheSamplesClampedToThem) {
  // Without samples every vertex has the default colour.
  SPW_TERRAIN* t = Build(Grid(1, 1, 100, Bumpy));
  ASSERT_NE(t, nullptr);
  for (uint32_t i = 0; i < 25; ++i) EXPECT_EQ(t->pVertices[i].dwColour, 0xFF6D6F65u) << i;
  SPW_FreeTerrain(t);

  // Two by two samples: the vertices past them take the last row and column.
  const uint8_t rgb[] = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};
  t = SPW_InitTerrain(&header, &display, nullptr, rgb, 2, 2, 4);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->pVertices[0].dwColour, 0xFF0A141Eu);
  EXPECT_EQ(t->pVertices[1].dwColour, 0xFF28323Cu);
  EXPECT_EQ(t->pVertices[4].dwColour, 0xFF28323Cu);
  EXPECT_EQ(t->pVertices[24].dwColour, 0xFF646E78u);
  uint32_t c = 0;
  ASSERT_TRUE(SPW_TerrainColourAt(t, 0.5f, 0.0f, &c));
  EXPECT_EQ(c, 0xFF19232Du);  // half way between the first two
}

TEST_F(TerrainTest, SamplesThatClaimMoreThanWasReadGiveTheDefaultColour) {
  const uint8_t rgb[] = {10, 20, 30, 40, 50, 60};
  struct Case {
    uint32_t w, h, count;
    uint32_t first, far;  // colours of vertex 0 and vertex 24
  };
  const Case cases[] = {
      {0, 5, 2, 0xFF6D6F65u, 0xFF6D6F65u},  // no width
      {5, 0, 2, 0xFF6D6F65u, 0xFF6D6F65u},  // no height
      {5, 5, 2, 0xFF0A141Eu, 0xFF6D6F65u},  // 25 claimed, 2 read
      {1000000, 1000000, 2, 0xFF0A141Eu, 0xFF6D6F65u},
  };
  ASSERT_EQ(Load(Grid(1, 1, 100, Bumpy)), 1);
  for (const Case& k : cases) {
    SPW_TERRAIN* t = SPW_InitTerrain(&header, &display, nullptr, rgb, k.w, k.h, k.count);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->pVertices[0].dwColour, k.first) << k.w << "x" << k.h;
    EXPECT_EQ(t->pVertices[24].dwColour, k.far) << k.w << "x" << k.h;
  }
}

TEST_F(TerrainTest, OutsideTheTerrainTheColourIsTheScenesAmbientInItsOwnChannels) {
  SPW_TERRAIN* t = Build(Grid(1, 1, 100, Bumpy));
  ASSERT_NE(t, nullptr);
  SPW_SCENE scene{};
  scene.pTerrain = t;
  scene.ambient = {109, 111, 101, 255};
  EXPECT_EQ(SPW_GetTerrainColour(&scene, -1.0f, 2.0f), 0xFF6D6F65u);
  EXPECT_EQ(SPW_GetTerrainColour(&scene, 2.0f, 4.0f), 0xFF6D6F65u);
  scene.ambient = {1, 2, 3, 255};
  EXPECT_EQ(SPW_GetTerrainColour(&scene, 9.0f, 2.0f), 0xFF010203u);
  EXPECT_EQ(SPW_GetTerrainColour(&scene, 2.0f, 2.0f), 0xFF6D6F65u);  // inside: the vertices'
  SPW_VECTOR p{1.5f, 2.5f, 0};
  EXPECT_EQ(SPW_GetTerrainHeight(&scene, &p), 1);
  float z = 0;
  SPW_TerrainHeightAt(t, 1.5f, 2.5f, &z);
  EXPECT_EQ(p.z, z);
}

TEST_F(TerrainTest, TextureCoordinateTablesTurnAndMirrorThePatch) {
  SPW_TERRAIN* t = Build(Grid(1, 1, 100, Bumpy));
  ASSERT_NE(t, nullptr);
  const SPW_TERRAINUV& o0 = t->aTexCoords[0][4];
  const SPW_TERRAINUV& o1 = t->aTexCoords[1][4];
  EXPECT_EQ(o0.u, 1.0f);
  EXPECT_EQ(o0.v, 1.0f);
  EXPECT_EQ(o1.u, 1.0f);
  EXPECT_EQ(o1.v, 0.0f);
  EXPECT_EQ(t->aTexCoords[4][0].u, 1.0f);  // mirrored in u
  EXPECT_EQ(t->aTexCoords[2][0].v, 0.0f);  // mirrored in v
  const SPW_TERRAINTEMPLATE& e = t->aTemplate[2 * 5 + 3];
  EXPECT_EQ(e.dwGridOffset, 2 * t->dwVertsX + 3);
  EXPECT_EQ(e.dwMask, (1u << 3) + (1u << 7));
  EXPECT_FLOAT_EQ(e.dx, t->fCellSize);
  EXPECT_FLOAT_EQ(e.v, -2.0f / 32.0f);
}

TEST_F(TerrainTest, SourceTextureCoordinatesStayInsideTheTexture) {
  SPW_TERRAIN* t = Build(Grid(9, 9, 100, Bumpy));
  ASSERT_NE(t, nullptr);
  for (uint32_t i = 0; i < 81; ++i) {
    const SPW_TERRAINPATCH& p = t->pPatches[i];
    for (const SPW_TERRAINTEMPLATE& e : t->aTemplate) {
      EXPECT_GE(p.fU + e.u, 0.0f);
      EXPECT_LE(p.fU + e.u, 1.0f);
      EXPECT_GE(p.fV + e.v, 0.0f) << i;
      EXPECT_LE(p.fV + e.v, 1.0f) << i;
    }
  }
  // Patches of the same block of 8 by 8 share one source texture.
  EXPECT_EQ(t->pPatches[0].nTextureId, t->pPatches[7 + 7 * 9].nTextureId);
  EXPECT_NE(t->pPatches[0].nTextureId, t->pPatches[8].nTextureId);
  EXPECT_EQ(g_fake.ids.count(dir.path() + "/Export/Terrain/test/tsource/mar0100128.ppm"), 1u);
}

TEST_F(TerrainTest, ErrorValuesMeasureTheBisectedEdge) {
  SPW_TERRAIN* t = Build(Grid(2, 1, 100, [](uint32_t, uint32_t) { return 300; }));
  ASSERT_NE(t, nullptr);
  for (uint32_t i = 0; i < t->dwVertsX * t->dwVertsY; ++i) EXPECT_EQ(t->pVertices[i].fError, 0.0f) << i;
  SPW_FreeTerrain(t);
  SPW_FreeTerrainData(&header);
  SPW_BIFF_CloseFile(file, heap);
  file = nullptr;
  // Only vertex (1, 0) of the second patch raised by 2.0 (200 file units).
  t = Build(Grid(2, 1, 100, [](uint32_t x, uint32_t y) { return x == 5 && y == 0 ? 500 : 300; }));
  ASSERT_NE(t, nullptr);
  for (uint32_t y = 0; y < t->dwVertsY; ++y)
    for (uint32_t x = 0; x < t->dwVertsX; ++x)
      EXPECT_FLOAT_EQ(t->pVertices[x + y * t->dwVertsX].fError, x == 5 && y == 0 ? 2.0f : 0.0f)
          << x << "," << y;
  EXPECT_FLOAT_EQ(t->pPatches[1].fDetail, 2.0f);
  EXPECT_FLOAT_EQ(t->pPatches[0].fDetail, 0.0f);
}

TEST_F(TerrainTest, VerticesKnowThePatchesThatShareThemAndTheVerticesTheyNeed) {
  SPW_TERRAIN* t = Build(Grid(2, 2, 100, Bumpy));
  ASSERT_NE(t, nullptr);
  const uint32_t vx = t->dwVertsX;
  auto at = [&](uint32_t x, uint32_t y) { return static_cast<int32_t>(x + y * vx); };
  // Corners and centres are fixed; the rest switch.
  EXPECT_EQ(t->pVertices[at(4, 4)].bFlags, SPW_TVERT_FIXED);
  EXPECT_EQ(t->pVertices[at(6, 2)].bFlags, SPW_TVERT_FIXED);
  EXPECT_EQ(t->pVertices[at(5, 2)].bFlags, 0);
  const SPW_TERRAINDEPS& mid = t->pDeps[at(4, 2)];  // the edge between the two lower patches
  EXPECT_EQ(mid.anPatches[0], 0);
  EXPECT_EQ(mid.anPatches[1], 1);
  EXPECT_EQ(mid.anPatches[2], SPW_TERRAIN_NONE);
  EXPECT_EQ(mid.anParents[0], at(2, 2));
  EXPECT_EQ(mid.anParents[1], at(6, 2));
  const SPW_TERRAINDEPS& diag = t->pDeps[at(3, 1)];  // bisects (2, 2)-(4, 0)
  EXPECT_EQ(diag.anParents[0], at(4, 2));
  EXPECT_EQ(diag.anParents[1], at(2, 0));
  const SPW_TERRAINDEPS& border = t->pDeps[at(2, 0)];  // on the terrain's edge: one triangle
  EXPECT_EQ(border.anParents[0], at(2, 2));
  EXPECT_EQ(border.anParents[1], SPW_TERRAIN_NONE);
  EXPECT_EQ(t->pPatches[3].dwFlags, SPW_TPATCH_LAST_ROW | SPW_TPATCH_LAST_COLUMN);
  EXPECT_EQ(t->pPatches[0].dwFlags, 0u);
  // The quadtree: one node over the four patches.
  ASSERT_NE(t->pRoot, nullptr);
  EXPECT_LT(t->pRoot->fExtentX, 0.0f);
  EXPECT_EQ(t->pRoot->apChildren[3], &t->pPatches[3]);
}

TEST_F(TerrainTest, TheWriterRoundTripsHeaderHeightsAndSurfaces) {
  vnTERRAIN w = Grid(3, 2, 250, Bumpy);
  w.values[0] = 100;
  w.values[1] = -200;
  w.values[2] = 7;
  vnMODEL_MATERIAL bare;
  bare.name = "no texture";
  w.materials.push_back(bare);
  vnMODEL_MATERIAL rock;
  rock.name = "rock";
  rock.textures.push_back({1, "textures/rock.ppm"});
  w.materials.push_back(rock);
  w.surfaces = {vnTERRAIN_Surface(2, 5), vnTERRAIN_Surface(1, 3), vnTERRAIN_Surface(0, 0),
                vnTERRAIN_Surface(1, 7), vnTERRAIN_Surface(2, 0), vnTERRAIN_Surface(9, 1)};
  // A feature block between the terrain and the materials leaves both readable.
  w.extraBlocks.push_back({"FOBF", 0, 0, {{"FOBJ", std::vector<uint8_t>(40, 1)}}});
  ASSERT_EQ(Load(w), 1);
  EXPECT_EQ(header.nCellShift, 2);
  EXPECT_EQ(header.nPatchesX, 3);
  EXPECT_EQ(header.nPatchesY, 2);
  EXPECT_EQ(header.nCellSize, 250);
  EXPECT_EQ(header.anValues[1], -200);
  EXPECT_EQ(header.dwNumMaterials, 3u);
  ASSERT_EQ(header.dwNumHeights, 13u * 9u);
  for (uint32_t i = 0; i < header.dwNumHeights; ++i) EXPECT_EQ(header.pHeights[i], w.heights[i]);
  const int32_t rockId = g_fake.ids.at(dir.path() + "/textures/rock.ppm");
  const int32_t groundId = g_fake.ids.at(dir.path() + "/textures/ground.ppm");
  ASSERT_EQ(header.dwNumSurfaces, 6u);
  // Materials without a texture, or past the table, keep the id before them.
  const uint32_t want[] = {rockId | 5u << 29, rockId | 3u << 29, static_cast<uint32_t>(groundId),
                           groundId | 7u << 29, static_cast<uint32_t>(rockId), rockId | 1u << 29};
  for (uint32_t i = 0; i < 6; ++i) EXPECT_EQ(header.pSurfaces[i], want[i]) << i;

  SPW_TERRAIN* t = SPW_InitTerrain(&header, &display, nullptr, nullptr, 0, 0, 0);
  ASSERT_NE(t, nullptr);
  EXPECT_FLOAT_EQ(t->fCellSize, 2.5f);
  EXPECT_FLOAT_EQ(t->afValues[1], -2.0f);
  EXPECT_FLOAT_EQ(t->fHalfWidth, 15.0f);
  EXPECT_EQ(t->pPatches[3].dwSurface, want[3]);
  EXPECT_FLOAT_EQ(t->pVertices[5].fHeight, static_cast<float>(w.heights[5]) * 0.01f);
}

TEST_F(TerrainTest, ASurfaceTakesItsMaterialsFirstTextureWhateverItsKind) {
  vnTERRAIN w = Grid(2, 1, 250, Bumpy);
  vnMODEL_MATERIAL layered;
  layered.name = "layered";
  layered.textures.push_back({0, "textures/grass.ppm"});
  layered.textures.push_back({1, "textures/face.ppm"});
  w.materials.push_back(layered);
  w.surfaces = {vnTERRAIN_Surface(1, 2), vnTERRAIN_Surface(0, 0)};
  ASSERT_EQ(Load(w), 1);
  const int32_t grassId = g_fake.ids.at(dir.path() + "/textures/grass.ppm");
  EXPECT_EQ(g_fake.ids.count(dir.path() + "/textures/face.ppm"), 0u);
  EXPECT_EQ(header.pSurfaces[0], grassId | 2u << 29);
  EXPECT_EQ(header.pSurfaces[1], static_cast<uint32_t>(g_fake.ids.at(dir.path() + "/textures/ground.ppm")));
}

TEST_F(TerrainTest, TheSampleFileRoundTrips) {
  vnTERRAIN_SAMPLES s;
  s.width = 3;
  s.height = 2;
  for (uint8_t i = 0; i < 18; ++i) s.rgb.push_back(static_cast<uint8_t>(i * 13 + 32));  // 32 and 45: spaces
  ASSERT_TRUE(vnWRITE_TerrainSamples(dir.file("dobjsample.dat"), s));
  uint32_t w = 0, h = 0, n = 0;
  uint8_t* rgb = SPW_LoadTerrainSamples(dir.file("dobjsample.dat").c_str(), 25, &w, &h, &n);
  ASSERT_NE(rgb, nullptr);
  EXPECT_EQ(w, 3u);
  EXPECT_EQ(h, 2u);
  ASSERT_EQ(n, 6u);
  for (uint32_t i = 0; i < 18; ++i) EXPECT_EQ(rgb[i], s.rgb[i]) << i;
  SGE_MemFree(rgb);
  // At most the grid's vertices are read; a cut file gives what it holds.
  rgb = SPW_LoadTerrainSamples(dir.file("dobjsample.dat").c_str(), 4, &w, &h, &n);
  EXPECT_EQ(n, 4u);
  SGE_MemFree(rgb);
  s.width = 10;
  ASSERT_TRUE(vnWRITE_TerrainSamples(dir.file("dobjsample.dat"), s));
  rgb = SPW_LoadTerrainSamples(dir.file("dobjsample.dat").c_str(), 25, &w, &h, &n);
  EXPECT_EQ(w, 10u);
  EXPECT_EQ(n, 6u);
  SGE_MemFree(rgb);
  EXPECT_EQ(SPW_LoadTerrainSamples(dir.file("none.dat").c_str(), 25, &w, &h, &n), nullptr);
  dir.write("bad.dat", "no numbers here");
  EXPECT_EQ(SPW_LoadTerrainSamples(dir.file("bad.dat").c_str(), 25, &w, &h, &n), nullptr);
}

TEST_F(TerrainTest, DamagedTerrainFilesFailCleanly) {
  const uint32_t before = Used(SPW_FObjsMem);
  struct Case {
    const char* what;
    std::function<void(vnBIFF_FILE&)> damage;
  };
  auto chunk = [](vnBIFF_FILE& f, const char* tag) -> std::vector<uint8_t>& {
    for (vnBIFF_CHUNK& c : f.blocks[0].chunks)
      if (c.tag == tag) return c.data;
    return f.blocks[0].chunks[0].data;
  };
  auto put = [](std::vector<uint8_t>& d, size_t at, uint32_t v) { PLAT_StoreLE32(d.data() + at, v); };
  const Case cases[] = {
      {"no terrain block", [](vnBIFF_FILE& f) { f.blocks[0].tag = "TERX"; }},
      {"no header chunk", [](vnBIFF_FILE& f) { f.blocks[0].chunks[0].tag = "TERX"; }},
      {"short header", [&](vnBIFF_FILE& f) { chunk(f, "TERI").resize(40); }},
      {"odd patch size", [&](vnBIFF_FILE& f) { put(chunk(f, "TERI"), 16, 3); }},
      {"no patches", [&](vnBIFF_FILE& f) { put(chunk(f, "TERI"), 20, 0); }},
      {"huge grid", [&](vnBIFF_FILE& f) { put(chunk(f, "TERI"), 24, 0x7FFFFFFF); }},
      {"no cell size", [&](vnBIFF_FILE& f) { put(chunk(f, "TERI"), 28, 0); }},
      {"more heights counted", [&](vnBIFF_FILE& f) { put(chunk(f, "TZFD"), 0, 82); }},
      {"fewer heights counted", [&](vnBIFF_FILE& f) { put(chunk(f, "TZFD"), 0, 80); }},
      {"heights cut short", [&](vnBIFF_FILE& f) { chunk(f, "TZFD").resize(100); }},
      {"no heights", [&](vnBIFF_FILE& f) { chunk(f, "TZFD").clear(); }},
      {"more surfaces counted", [&](vnBIFF_FILE& f) { put(chunk(f, "TSUR"), 20, 5); }},
      {"huge surface count", [&](vnBIFF_FILE& f) { put(chunk(f, "TSUR"), 20, 0xFFFFFFFF); }},
      {"surfaces cut short", [&](vnBIFF_FILE& f) { chunk(f, "TSUR").resize(30); }},
      {"no surfaces", [&](vnBIFF_FILE& f) { f.blocks[0].chunks.pop_back(); }},
      {"material cut short", [](vnBIFF_FILE& f) { f.blocks.back().chunks[0].data.resize(50); }},
  };
  for (const Case& c : cases) {
    vnBIFF_FILE f = vnTERRAIN_Build(Grid(2, 2, 100, Bumpy));
    c.damage(f);
    EXPECT_EQ(LoadBytes(vnWRITE_BIFFBytes(f)), 0) << c.what;
    EXPECT_EQ(header.pHeights, nullptr) << c.what;
    EXPECT_EQ(header.pSurfaces, nullptr) << c.what;
    EXPECT_EQ(Used(SPW_FObjsMem), before) << c.what;
    EXPECT_EQ(SPW_InitTerrain(&header, &display, nullptr, nullptr, 0, 0, 0), nullptr) << c.what;
    if (file) SPW_BIFF_CloseFile(file, heap);
    file = nullptr;
  }
  // A file cut anywhere fails to open or to load, never reads past itself.
  std::vector<uint8_t> whole = vnWRITE_BIFFBytes(vnTERRAIN_Build(Grid(2, 2, 100, Bumpy)));
  for (size_t cut : {whole.size() - 1, whole.size() - 200, size_t{400}, size_t{300}}) {
    std::vector<uint8_t> part(whole.begin(), whole.begin() + static_cast<long>(cut));
    EXPECT_NE(LoadBytes(part), 1) << cut;
    if (file) SPW_BIFF_CloseFile(file, heap);
    file = nullptr;
  }
  EXPECT_EQ(SPW_LoadTerrainData(nullptr, "none", &header, &display), 1);
}

}  // namespace

namespace {

TEST_F(TerrainTest, TheDemoTerrainLoadsWithAFlatLandingArea) {
  const vnMODELS_TERRAIN demo = vnMODELS_MissionTerrain("Export/Terrain/C1M1A");
  ASSERT_TRUE(vnWRITE_TerrainSamples(dir.file("dobjsample.dat"), demo.samples));
  ASSERT_EQ(Load(demo.terrain), 1);
  uint32_t w = 0, h = 0, n = 0;
  uint8_t* rgb = SPW_LoadTerrainSamples(dir.file("dobjsample.dat").c_str(), header.dwNumHeights, &w, &h, &n);
  ASSERT_NE(rgb, nullptr);
  EXPECT_EQ(n, header.dwNumHeights);
  SPW_TERRAIN* t = SPW_InitTerrain(&header, &display, "Export/Terrain/C1M1A", rgb, w, h, n);
  SGE_MemFree(rgb);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->dwPatchesX, vnMODELS_TERRAIN_PATCHES);
  float z = 0;
  ASSERT_EQ(SPW_TerrainHeightAt(t, vnMODELS_TERRAIN_PAD_X + 5, vnMODELS_TERRAIN_PAD_Y - 7, &z), 1);
  EXPECT_NEAR(z, 2.0f, 0.01f);
  SPW_VECTOR up{};
  ASSERT_EQ(SPW_TerrainNormalAt(t, vnMODELS_TERRAIN_PAD_X, vnMODELS_TERRAIN_PAD_Y, &up), 1);
  EXPECT_NEAR(up.z, 1.0f, 1e-4f);
  float lo = 1e9f, hi = -1e9f;
  for (uint32_t i = 0; i < t->dwVertsX * t->dwVertsY; ++i) {
    lo = std::min(lo, t->pVertices[i].fHeight);
    hi = std::max(hi, t->pVertices[i].fHeight);
  }
  EXPECT_GT(hi - lo, 10.0f);  // hills around it
  EXPECT_NE(t->pVertices[0].dwColour, SPW_TERRAIN_DEFAULT_COLOUR);
}

}  // namespace

namespace {

// Lights of a scene over a 4 by 4 patch terrain (patches 4 units wide); links as the driver
// makes them.
class TerrainLightsTest : public TerrainTest {
 protected:
  void SetUp() override {
    TerrainTest::SetUp();
    t = Build(Grid(4, 4, 100, Bumpy));
    ASSERT_NE(t, nullptr);
    SGE_ListInit(&scene.lights);
    scene.pTerrain = t;
    for (int i = 0; i < 3; ++i) {
      lights[i].fRadius = 1.0f;
      SGE_ListInit(&lights[i].terrainLinks);
      SGE_ListAddTail(&scene.lights, &lights[i].link);
    }
    lights[0].vPos = {2, 2, 0};    // over patch 0
    lights[1].vPos = {14, 14, 0};  // over patch 15
    lights[2].vPos = {3, 3, 0};    // over patch 0, linked to patches 0 and 1
    Link(0, 0);
    Link(1, 15);
    Link(2, 0);
    Link(2, 1);
  }
  void TearDown() override {
    for (auto& l : links) {
      SGE_ListUnlink(&l.tileLink);
      SGE_ListUnlink(&l.lightLink);
    }
    TerrainTest::TearDown();
  }
  void Link(int light, int patch) {
    SPW_TERRAINLIGHTLINK& l = links[used++];
    l.pLight = &lights[light];
    l.pPatch = &t->pPatches[patch];
    SGE_ListAddTail(&lights[light].terrainLinks, &l.lightLink);
    SGE_ListAddTail(&t->pPatches[patch].lights, &l.tileLink);
  }
  SPW_LIGHT* Last() { return SGE_ListLastRecord<SPW_LIGHT>(&scene.lights); }

  SPW_TERRAIN* t = nullptr;
  SPW_SCENE scene{};
  SPW_LIGHT lights[3]{};
  SPW_TERRAINLIGHTLINK links[4]{};
  int used = 0;
};

TEST_F(TerrainLightsTest, SmallSpheresFindTheLightsOfThePatchesUnderThemOnce) {
  SPW_LIGHT* out[8];
  int32_t n = 8;
  const SPW_VECTOR p{2.5f, 2.5f, 0};
  ASSERT_EQ(SPW_CollectLights(&scene, &p, 1.0f, out, &n), 1);
  ASSERT_EQ(n, 2);  // light 2 is linked twice but counted once; light 1 is far away
  EXPECT_EQ(out[0], &lights[0]);
  EXPECT_EQ(out[1], &lights[2]);
  EXPECT_EQ(Last(), &lights[2]);  // the ones found went to the end, in order
  EXPECT_EQ(SGE_ListFirstRecord<SPW_LIGHT>(&scene.lights), &lights[1]);
  n = 1;
  ASSERT_EQ(SPW_CollectLights(&scene, &p, 1.0f, out, &n), 1);
  EXPECT_EQ(n, 1);
  // A sphere that reaches a light only through a patch it does not overlap finds nothing.
  const SPW_VECTOR q{14.0f, 9.0f, 0};
  n = 8;
  ASSERT_EQ(SPW_CollectLights(&scene, &q, 0.5f, out, &n), 1);
  EXPECT_EQ(n, 0);
  // Large spheres test every light of the scene.
  n = 8;
  ASSERT_EQ(SPW_CollectLights(&scene, &q, 25.0f, out, &n), 1);
  EXPECT_EQ(n, 3);
}

TEST_F(TerrainLightsTest, ObjectColoursFadeTowardTheirTarget) {
  SPW_DOBJECT parent{}, object{};
  object.pScene = &scene;
  scene.ambient = {100, 50, 0, 255};
  object.colourB = {70, 50, 10, 255};
  SPW_FadeObjectColour(&object, 10.0f, 0, nullptr, nullptr);  // the largest change sets the pace
  EXPECT_FLOAT_EQ(object.colourB.r, 80.0f);
  EXPECT_FLOAT_EQ(object.colourB.g, 50.0f);
  EXPECT_FLOAT_EQ(object.colourB.b, 10.0f - 10.0f / 3.0f);
  SPW_FadeObjectColour(&object, 0.0f, 0, nullptr, nullptr);
  EXPECT_FLOAT_EQ(object.colourB.r, 100.0f);
  const SPW_COLOUR c{200, 10, 120, 255}, off{100, -50, 0, 0};
  SPW_FadeObjectColour(&object, 0.0f, 0, &c, &off);
  EXPECT_NEAR(object.colourB.r, (255 - 120) * 0.627451f + 120, 1e-3f);  // held at 255 first
  EXPECT_NEAR(object.colourB.g, (0 - 120) * 0.627451f + 120, 1e-3f);
  EXPECT_NEAR(object.colourB.b, 120.0f, 1e-3f);
  parent.colourB = {1, 2, 3, 4};
  object.pParent = &parent;
  SPW_FadeObjectColour(&object, 5.0f, 1, &c, nullptr);
  EXPECT_FLOAT_EQ(object.colourB.a, 4.0f);
}

}  // namespace
