// The spatial tree over loaded feature instances: its build, the ray queries against items and
// terrain, masks and marks, the name searches, the sphere search and colour sampling.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/collide/collide.h"
#include "engine/terrain/terrain.h"
#include "tests/engine/feature/feature_fixture.h"
#include "tools/writers/terrain_writer.h"

namespace {

constexpr uint32_t kSolid = 0x1;

class CollideTest : public FeatureFixture {
 protected:
  void TearDown() override {
    SPW_SetCollideMask(0xFFFFFFFFu);
    SPW_FreeTerrain(&SPW_Terrain);
    SPW_FreeTerrainData(&header);
    FeatureFixture::TearDown();
  }
  // Loads the set, gives every class the attribute word and builds the tree.
  void Build(const vnFEATURE_SET& set, uint32_t attributes = kSolid) {
    ASSERT_EQ(Load(set), 1);
    for (SPW_FEATUREOBJ* c : Classes()) c->dwAttributes = attributes;
    ASSERT_EQ(SPW_BuildSceneTree(scene.get()), 1);
  }
  // Crates one unit across (file units 100) at the given x positions (engine units) on the x axis.
  vnFEATURE_SET Crates(const std::vector<float>& xs, const std::string& cls = "Crate") {
    vnFEATURE_SET set;
    vnFEATURE_GROUP g{vnMODELS_FeatureBox(cls, 50, 50, 50), {}};
    for (size_t i = 0; i < xs.size(); ++i)
      g.instances.push_back(At(g.cls, cls + std::to_string(i), xs[i] * 100, 0, 0));
    set.groups.push_back(g);
    return set;
  }
  SPW_FEATUREINST* Ray(SPW_VECTOR s, SPW_VECTOR d, float* best, SPW_VECTOR* hit = nullptr) {
    SPW_VECTOR ignored;
    return SPW_CollideQuery(scene.get(), &s, &d, 1000, hit ? hit : &ignored, best);
  }

  SPW_TERRAINHEADER header{};
};

TEST_F(CollideTest, ARayHitsTheNearestFrontFace) {
  Build(Crates({20, 10, 30}));
  float best = 1e6f;
  SPW_VECTOR hit;
  SPW_FEATUREINST* item = Ray({0, 0, 0}, {1, 0, 0}, &best, &hit);
  ASSERT_NE(item, nullptr);
  EXPECT_STREQ(item->szName, "Crate1");
  EXPECT_NEAR(best, 9.5f * 9.5f, 1e-3f);
  EXPECT_NEAR(hit.x, 9.5f, 1e-4f);
  // The normal of the face met, in world space.
  best = 1e6f;
  SPW_VECTOR s{0, 0.2f, 0.1f}, d{1, 0, 0}, normal;
  ASSERT_NE(SPW_CollideQueryEx(scene.get(), &s, &d, 100, &hit, &best, &normal), nullptr);
  EXPECT_NEAR(normal.x, -1.0f, 1e-5f);
  EXPECT_NEAR(normal.y, 0.0f, 1e-5f);
  // From the far side the last crate is met first; the best value bounds the ray.
  best = 1e6f;
  EXPECT_STREQ(Ray({100, 0, 0}, {-1, 0, 0}, &best)->szName, "Crate2");
  best = 9.0f * 9.0f;
  EXPECT_EQ(Ray({0, 0, 0}, {1, 0, 0}, &best), nullptr);
  EXPECT_FLOAT_EQ(best, 81.0f);
  best = 0;
  EXPECT_EQ(Ray({0, 0, 0}, {1, 0, 0}, &best), nullptr);
}

TEST_F(CollideTest, ValuesAreMeasuredInUnitsOfTheDirectionsLength) {
  Build(Crates({10}));
  float best = 1e6f;
  ASSERT_NE(Ray({0, 0, 0}, {2, 0, 0}, &best), nullptr);
  EXPECT_NEAR(best, 4.75f * 4.75f, 1e-3f);
}

TEST_F(CollideTest, BackFacesAreMissedAndRaysPointingAwayFindNothing) {
  Build(Crates({10}));
  float best = 1e6f;
  EXPECT_EQ(Ray({10, 0, 0}, {1, 0, 0}, &best), nullptr);  // from inside the crate
  EXPECT_EQ(Ray({0, 0, 0}, {-1, 0, 0}, &best), nullptr);
  EXPECT_EQ(Ray({0, 0, 0}, {0, 1, 0}, &best), nullptr);
}

TEST_F(CollideTest, ScaledAndTurnedInstancesAreHitWhereTheyStand) {
  vnFEATURE_SET set;
  vnFEATURE_GROUP g{vnMODELS_FeatureBox("Crate", 50, 50, 50), {}};
  g.instances.push_back(At(g.cls, "big", 500, 0, 0, 0.785398f, 2.0f));
  set.groups.push_back(g);
  Build(set);
  float best = 1e6f;
  SPW_VECTOR hit;
  ASSERT_NE(Ray({5, 0, 10}, {0, 0, -1}, &best, &hit), nullptr);
  EXPECT_NEAR(hit.z, 1.0f, 1e-4f);
  EXPECT_NEAR(best, 81.0f, 1e-2f);
  // Turned by 45 degrees, its corner reaches sqrt(2) units along x.
  best = 1e6f;
  ASSERT_NE(Ray({0, 0, 0}, {1, 0, 0}, &best, &hit), nullptr);
  EXPECT_NEAR(hit.x, 5.0f - std::sqrt(2.0f), 1e-3f);
}

TEST_F(CollideTest, MasksAndFlagsFilterTheItems) {
  Build(Crates({10, 20}));
  auto crates = Instances(Classes()[0]);
  float best = 1e6f;
  // An ignored item lets the ray through to the next.
  crates[0]->dwFlags |= SPW_FINST_IGNORED;
  EXPECT_EQ(Ray({0, 0, 0}, {1, 0, 0}, &best), crates[1]);
  float one = 1e6f;
  SPW_VECTOR s{0, 0, 0}, d{1, 0, 0}, hit;
  EXPECT_EQ(SPW_CollideObject(crates[0], &s, &d, 100, &hit, &one, nullptr), 0);
  crates[0]->dwFlags &= ~SPW_FINST_IGNORED;
  // The engine-wide mask against the class attribute words.
  SPW_SetCollideMask(0x2);
  best = 1e6f;
  EXPECT_EQ(Ray({0, 0, 0}, {1, 0, 0}, &best), nullptr);
  EXPECT_EQ(SPW_SetCollideMask(0), 0x2u);
  EXPECT_EQ(Ray({0, 0, 0}, {1, 0, 0}, &best), nullptr);
  SPW_SetCollideMask(0xFFFFFFFFu);
  Classes()[0]->dwAttributes = 0x4;
  EXPECT_NE(Ray({0, 0, 0}, {1, 0, 0}, &best), nullptr) << "masks keep the build's words";
  SPW_UpdateCollideMasks(scene.get());
  SPW_SetCollideMask(0x1);
  best = 1e6f;
  EXPECT_EQ(Ray({0, 0, 0}, {1, 0, 0}, &best), nullptr);
  EXPECT_EQ(scene->pTree->dwMask, 0x4u);
  // Marks are cleared for every item.
  crates[1]->dwFlags |= SPW_FINST_MARK_A | SPW_FINST_MARK_B | SPW_FINST_HIDDEN;
  crates[1]->dwMarkA = 5;
  crates[0]->dwMarkB = 7;
  SPW_CollideReset(scene.get());
  EXPECT_EQ(crates[1]->dwFlags, SPW_FINST_HIDDEN);
  EXPECT_EQ(crates[1]->dwMarkA, 0u);
  EXPECT_EQ(crates[0]->dwMarkB, 0u);
}

TEST_F(CollideTest, OneItemAloneGivesItsTrianglesColours) {
  vnFEATURE_SET set = Crates({10});
  set.groups[0].instances[0].colours = vnMODELS_FeatureColours(set.groups[0].cls, 0xFF112233u);
  Build(set);
  SPW_FEATUREINST* crate = Instances(Classes()[0])[0];
  SPW_VECTOR s{0, 0, 0}, d{1, 0, 0}, hit;
  float best = 1e6f;
  uint32_t values[3] = {};
  ASSERT_EQ(SPW_CollideObject(crate, &s, &d, 100, &hit, &best, values), 1);
  EXPECT_EQ(values[2], 0xFF112233u);
  EXPECT_EQ(SPW_CollideObject(nullptr, &s, &d, 100, &hit, &best, values), 0);
}

TEST_F(CollideTest, NamedItemsAreFound) {
  vnFEATURE_SET set = Crates({5, 3, -4});
  vnFEATURE_GROUP rocks{vnMODELS_FeatureRock("Rock", 50, 1), {}};
  rocks.instances.push_back(At(rocks.cls, "Boulder", 0, 300, 0));
  set.groups.push_back(rocks);
  Build(set);
  EXPECT_STREQ(SPW_CollideFindByName(scene.get(), "Boulder")->szName, "Boulder");
  EXPECT_EQ(SPW_CollideFindByName(scene.get(), "boulder"), nullptr);  // exact
  SPW_VECTOR origin{0, 0, 0};
  SPW_TREENODE* node = nullptr;
  ASSERT_EQ(SPW_CollideNearestByName(scene.get(), "CRATE", &origin, &node), 1);
  ASSERT_NE(node, nullptr);
  EXPECT_STREQ(node->pItem->szName, "Crate1");
  node->pItem->dwInactive = 1;
  ASSERT_EQ(SPW_CollideNearestItem(scene.get(), "crate", &origin, &node), 1);
  EXPECT_STREQ(node->pItem->szName, "Crate2");
  ASSERT_EQ(SPW_CollideNearestByNameEx(scene.get(), "crate0", &origin, &node), 1);
  EXPECT_STREQ(node->pItem->szName, "Crate0");
  ASSERT_EQ(SPW_CollideNearestByName(scene.get(), "Wall", &origin, &node), 1);
  EXPECT_EQ(node, nullptr);
  EXPECT_EQ(SPW_CollideNearestByName(nullptr, "Crate", &origin, &node), 0);
  int count = 0;
  SPW_CollideForEachByName(scene.get(), "crate", [](SPW_TREENODE*, void* n) { ++*static_cast<int*>(n); }, &count);
  EXPECT_EQ(count, 2);
}

TEST_F(CollideTest, TheSphereSearchVisitsItemsItMeetsUntilTold) {
  Build(Crates({0, 3, 10}));
  SPW_VECTOR c{1.5f, 0, 0};
  std::vector<std::string> met;
  auto collect = [](SPW_FEATUREINST* item, void* user) -> int32_t {
    static_cast<std::vector<std::string>*>(user)->push_back(item->szName);
    return 1;
  };
  EXPECT_EQ(SPW_CollideSphere(scene.get(), &c, 1.0f, collect, &met), 1);
  EXPECT_EQ(met.size(), 2u);
  int calls = 0;
  SPW_CollideSphere(scene.get(), &c, 100.0f, [](SPW_FEATUREINST*, void* n) -> int32_t {
    ++*static_cast<int*>(n);
    return 0;
  }, &calls);
  EXPECT_EQ(calls, 1);
  SPW_VECTOR far{0, 50, 0};
  EXPECT_EQ(SPW_CollideSphere(scene.get(), &far, 1.0f, collect, &met), 0);
}

TEST_F(CollideTest, TheTreeHoldsEveryInstanceButTheSky) {
  vnFEATURE_SET set = Crates({0, 10});
  vnFEATURE_GROUP sky{vnMODELS_FeatureSky(1000), {}};
  sky.instances.push_back(At(sky.cls, "sky", 0, 0, 0));
  set.groups.push_back(sky);
  Build(set);
  EXPECT_STREQ(SPW_GetSceneSky(scene.get())->szName, "sky");
  int leaves = 0;
  SPW_CollideForEachByName(scene.get(), "sky", [](SPW_TREENODE*, void* n) { ++*static_cast<int*>(n); }, &leaves);
  EXPECT_EQ(leaves, 0);
  EXPECT_EQ(scene->pTree->dwHeight, 2u);
  SPW_FreeCollideTree(scene.get());
  EXPECT_EQ(scene->pTree, nullptr);
  EXPECT_EQ(SPW_GetSceneSky(scene.get()), nullptr);
}

// Crates at doubling distances merge into a lopsided tree, nodes under nodes on one side:
// freeing it gives back every node the build took from the block.
TEST_F(CollideTest, FreeingTheTreeGivesBackEveryNode) {
  const std::vector<float> xs = {0, 2, 4, 8, 16, 32, 64, 128, 256, 512};
  ASSERT_EQ(Load(Crates(xs)), 1);
  SGE_MEMSTATS before{};
  SGE_GetMemBlockStats(&before, SPW_FObjsMem);
  ASSERT_EQ(SPW_BuildSceneTree(scene.get()), 1);
  SGE_MEMSTATS built{};
  SGE_GetMemBlockStats(&built, SPW_FObjsMem);
  EXPECT_EQ(built.dwUsedChunks - before.dwUsedChunks, 2 * xs.size() - 1);
  EXPECT_GT(scene->pTree->dwHeight, 3u);
  SPW_FreeCollideTree(scene.get());
  SGE_MEMSTATS after{};
  SGE_GetMemBlockStats(&after, SPW_FObjsMem);
  EXPECT_EQ(after.dwUsedChunks, before.dwUsedChunks);
  EXPECT_EQ(after.dwUsedBytes, before.dwUsedBytes);
}

TEST_F(CollideTest, ASceneWithOnlyTheSkyBuildsNoTree) {
  vnFEATURE_SET set;
  vnFEATURE_GROUP sky{vnMODELS_FeatureSky(1000), {}};
  sky.instances.push_back(At(sky.cls, "sky", 0, 0, 0));
  set.groups.push_back(sky);
  ASSERT_EQ(Load(set), 1);
  EXPECT_EQ(SPW_BuildSceneTree(scene.get()), -1);
  EXPECT_EQ(scene->pTree, nullptr);
}

TEST_F(CollideTest, SpheresMerge) {
  struct Case {
    SPW_VECTOR c1;
    float r1;
    SPW_VECTOR c2;
    float r2;
    SPW_VECTOR c;
    float r;
  } cases[] = {
      {{1, 2, 3}, 2, {1, 2, 3}, 2, {1, 2, 3}, 2},    // identical: either
      {{0, 0, 0}, 5, {1, 0, 0}, 1, {0, 0, 0}, 5},    // the second inside the first
      {{1, 0, 0}, 1, {0, 0, 0}, 5, {0, 0, 0}, 5},    // the first inside the second
      {{0, 0, 0}, 1, {4, 0, 0}, 1, {2, 0, 0}, 3},    // apart
      {{0, 0, 0}, 1, {0, 4, 0}, 3, {0, 3, 0}, 4},
  };
  for (const Case& k : cases) {
    SPW_VECTOR c;
    float r;
    SPW_MergeSpheres(&k.c1, k.r1, &k.c2, k.r2, &c, &r);
    EXPECT_FLOAT_EQ(r, k.r) << k.c2.x << "," << k.c2.y;
    EXPECT_FLOAT_EQ(c.x, k.c.x);
    EXPECT_FLOAT_EQ(c.y, k.c.y);
  }
}

TEST_F(CollideTest, AGreedyTreeAsDeepAsItIsLongIsWalkedToTheBottom) {
  // Nested spheres of growing radius: each new inner node pairs with the next item, so the tree
  // has one level per instance.
  constexpr int kCount = 1500;
  vnFEATURE_SET set;
  for (int i = 0; i < 2; ++i) {
    vnFEATURE_GROUP g{vnMODELS_FeatureBox(i ? "Big" : "Small", 10, 10, 10), {}};
    g.cls.meshes[0].faces.resize(2);  // one side facing -z
    g.cls.meshes[0].nodes.clear();
    g.cls.radius = 0;
    vnFEATURE_PrepareClass(g.cls);
    set.groups.push_back(g);
  }
  for (int i = 0; i < kCount; ++i) {
    const float scale = 1.0f + static_cast<float>(i);
    set.groups[i == 0 ? 0 : 1].instances.push_back(At(set.groups[i == 0 ? 0 : 1].cls, "n" + std::to_string(i), 0, 0, 0, 0, scale));
  }
  Build(set);
  EXPECT_EQ(scene->pTree->dwHeight, static_cast<uint32_t>(kCount));
  EXPECT_STREQ(SPW_CollideFindByName(scene.get(), "n0")->szName, "n0");
  // From below, the smallest box's bottom is the nearest face.
  float best = 1e9f;
  ASSERT_NE(Ray({0, 0, -5000}, {0, 0, 1}, &best), nullptr);
  EXPECT_NEAR(std::sqrt(best), 5000 - kCount * 0.1f, 0.5f);
}

// Terrain and features written together by the terrain writer.
TEST_F(CollideTest, RaysHitTheTerrainFromAboveOnly) {
  vnTERRAIN t;
  t.patchesX = t.patchesY = 2;
  t.cellSize = 100;
  for (uint32_t y = 0; y < vnTERRAIN_Vertices(2); ++y)
    for (uint32_t x = 0; x < vnTERRAIN_Vertices(2); ++x) t.heights.push_back(x == 3 && y == 3 ? 400 : 200);
  t.surfaces.assign(4, vnTERRAIN_Surface(0, 0));
  vnMODEL_MATERIAL ground;
  ground.name = "ground";
  ground.textures.push_back({1, "textures/ground.ppm"});
  t.materials.push_back(ground);
  vnFEATURE_SET set = Crates({6});
  vnFEATURE_Place(set.groups[0].instances[0], 600, 0, 250);  // standing on the ground
  vnFEATURE_AddToTerrain(t, set);
  const vnBIFF_FILE file = vnTERRAIN_Build(t);
  ASSERT_TRUE(vnWRITE_BIFF("terrain.ter", file));
  void* heap = nullptr;
  SPW_BIFF_FILE* reader = SPW_BIFF_OpenFile("terrain.ter", &heap, SPW_BIFF_LOD_HEAP);
  ASSERT_NE(reader, nullptr);
  ASSERT_EQ(SPW_LoadTerrainData(reader, "terrain.ter", &header, &display), 1);
  ASSERT_EQ(SPW_LoadFeatureObject(reader, scene.get(), &display), 1);
  SPW_BIFF_CloseFile(reader, heap);
  Classes()[0]->dwAttributes = kSolid;
  ASSERT_EQ(SPW_BuildSceneTree(scene.get()), 1);
  scene->pTerrain = SPW_InitTerrain(&header, &display, nullptr, nullptr, 0, 0, 0);
  ASSERT_NE(scene->pTerrain, nullptr);

  SPW_VECTOR s{1.3f, 6.7f, 10}, down{0, 0, -1}, up{0, 0, 1}, hit;
  float best = 1e6f;
  ASSERT_EQ(SPW_CollideTerrain(scene.get(), &s, &down, 100, &hit, &best), 1);
  EXPECT_NEAR(hit.z, 2.0f, 1e-4f);
  EXPECT_NEAR(best, 64.0f, 1e-3f);
  // The raised vertex at (3, 3): the plane through it.
  SPW_VECTOR peak{3, 3, 10};
  best = 1e6f;
  ASSERT_EQ(SPW_CollideTerrain(scene.get(), &peak, &down, 100, &hit, &best), 1);
  EXPECT_NEAR(hit.z, 4.0f, 1e-4f);
  SPW_VECTOR below{1.3f, 6.7f, -10};
  best = 1e6f;
  EXPECT_EQ(SPW_CollideTerrain(scene.get(), &below, &up, 100, &hit, &best), 0);
  // A ray down onto the crate meets its top before the ground under it.
  SPW_VECTOR over{6, 0.2f, 10};
  best = 1e6f;
  ASSERT_EQ(SPW_CollideTerrain(scene.get(), &over, &down, 100, &hit, &best), 1);
  EXPECT_NEAR(best, 64.0f, 1e-3f);
  float itemBest = 1e6f;
  ASSERT_NE(SPW_CollideQuery(scene.get(), &over, &down, 100, &hit, &itemBest), nullptr);
  EXPECT_NEAR(itemBest, 49.0f, 1e-3f);
}

TEST_F(CollideTest, GroundColourComesFromTheTerrainTheItemsOrTheAmbientLight) {
  vnFEATURE_SET set = Crates({10});
  set.groups[0].instances[0].colours = vnMODELS_FeatureColours(set.groups[0].cls, 0xFF204060u);
  Build(set);
  uint32_t colour = 0;
  int32_t flag = -1;
  SPW_VECTOR onTop{10, 0, 0.6f};
  ASSERT_EQ(SPW_SampleGroundColour(scene.get(), &onTop, 0.3f, &colour, &flag), 1);
  EXPECT_EQ(colour, 0xFF204060u);
  EXPECT_EQ(flag, 1);
  SPW_VECTOR nowhere{-50, 0, 0};
  ASSERT_EQ(SPW_SampleGroundColour(scene.get(), &nowhere, 0.3f, &colour, &flag), 1);
  EXPECT_EQ(colour, 0xFF505050u);
  EXPECT_EQ(flag, 0);
}

}  // namespace
