// The demo tree's mission terrain as mkcontent writes it: its features load beside the terrain,
// the tree holds all but the sky, and rays find the barrels and the ground.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "engine/collide/collide.h"
#include "engine/terrain/terrain.h"
#include "tests/engine/feature/feature_fixture.h"
#include "tools/models/terrain.h"

namespace {

class DemoSceneryTest : public FeatureFixture {
 protected:
  void TearDown() override {
    SPW_FreeTerrain(&SPW_Terrain);
    SPW_FreeTerrainData(&header);
    FeatureFixture::TearDown();
  }
  SPW_TERRAINHEADER header{};
};

TEST_F(DemoSceneryTest, TheDemoTerrainCarriesRocksBarrelsABridgeAndTheSky) {
  const std::string command = std::string(VN_MKCONTENT_PATH) + " '" + dir.path() + "' >/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::string path = "EXPORT/Terrain/C1M1A/terrain.ter";
  void* heap = nullptr;
  SPW_BIFF_FILE* reader = SPW_BIFF_OpenFile(path.c_str(), &heap, SPW_BIFF_LOD_HEAP);
  ASSERT_NE(reader, nullptr);
  ASSERT_EQ(SPW_LoadTerrainData(reader, path.c_str(), &header, &display), 1);
  ASSERT_EQ(SPW_LoadFeatureObject(reader, scene.get(), &display), 1);
  SPW_BIFF_CloseFile(reader, heap);
  std::vector<std::string> names;
  for (SPW_FEATUREOBJ* c : Classes()) {
    names.push_back(c->szClassName);
    c->dwAttributes = 0x1;
  }
  EXPECT_EQ(names,
            (std::vector<std::string>{"Rock", "Barrel", "Barrel_Destroyed", "Bridge", "Sky"}));
  // Every feature face names a texture of its own in the terrain's folder.
  for (const char* file : {"rock", "barrel", "bridge", "sky"})
    EXPECT_EQ(g_fake.ids.count(PLAT_GetWorkingDir() + "/EXPORT/Terrain/C1M1A/textures/" + file + ".ppm"), 1u) << file;
  ASSERT_EQ(SPW_BuildSceneTree(scene.get()), 1);
  ASSERT_NE(SPW_GetSceneSky(scene.get()), nullptr);
  scene->pTerrain = SPW_InitTerrain(&header, &display, nullptr, nullptr, 0, 0, 0);
  ASSERT_NE(scene->pTerrain, nullptr);

  // Straight down onto the first barrel: its lid, above the ground.
  SPW_FEATUREINST* barrel = SPW_CollideFindByName(scene.get(), "barrel0");
  ASSERT_NE(barrel, nullptr);
  const float* at = barrel->mObjectToWorld.m[3];
  SPW_VECTOR s{at[0] + 0.1f, at[1] + 0.1f, at[2] + 20}, down{0, 0, -1}, hit;
  float best = 1e6f;
  EXPECT_EQ(SPW_CollideQuery(scene.get(), &s, &down, 100, &hit, &best), barrel);
  EXPECT_NEAR(hit.z, at[2] + 1.2f, 1e-3f);
  float ground = 1e6f;
  ASSERT_EQ(SPW_CollideTerrain(scene.get(), &s, &down, 100, &hit, &ground), 1);
  EXPECT_NEAR(hit.z, vnMODELS_TerrainHeight(s.x, s.y), 0.05f);
  EXPECT_LT(best, ground);
}

}  // namespace
