// Combat geometry over a loaded scene of boxes and a terrain: line of fire and shot traces, and
// the plain helpers (range bands, intercepts, structure kinds).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/collide/collide.h"
#include "engine/terrain/terrain.h"
#include "tests/engine/feature/feature_fixture.h"
#include "tools/writers/terrain_writer.h"
#include "world/bstar/bstar.h"
#include "world/combat/combat.h"
#include "world/mover/mover.h"
#include "world/unitman/unitman.h"

namespace {

constexpr uint32_t kSolid = 0x1;

// A region with feature bindings, built in its own storage.
struct Region {
  explicit Region(const std::vector<SPW_FEATUREINST*>& features, uint32_t flags = 0)
      : storage(sizeof(BSTAR_FEATURELIST) + features.size() * sizeof(BSTAR_FEATUREBINDING)) {
    node.dwFlags = flags;
    auto* list = reinterpret_cast<BSTAR_FEATURELIST*>(storage.data());
    list->nCount = static_cast<int32_t>(features.size());
    for (size_t i = 0; i < features.size(); ++i) list->aBinding[i].pFeature = features[i];
    node.pFeatures = list;
  }
  std::vector<uint8_t> storage;
  BSTAR_Node node{};
};

// Boxes one unit across on the x axis, standing on a flat ground at height 0 that rises to a
// ridge of height 4 along y = 40.
class LineOfFireTest : public FeatureFixture {
 protected:
  void SetUp() override {
    FeatureFixture::SetUp();
    network.pScene = scene.get();
    BSTAR_CurrentNetwork = &network;
  }
  void TearDown() override {
    BSTAR_CurrentNetwork = nullptr;
    SPW_FreeTerrain(&SPW_Terrain);
    SPW_FreeTerrainData(&header);
    FeatureFixture::TearDown();
  }

  struct Box {
    std::string cls;
    float x;
  };
  void Build(const std::vector<Box>& boxes) {
    vnTERRAIN t;
    t.patchesX = t.patchesY = 2;
    t.cellSize = 1000;  // 10 units a cell
    const uint32_t n = vnTERRAIN_Vertices(2);
    for (uint32_t y = 0; y < n; ++y)
      for (uint32_t x = 0; x < n; ++x) t.heights.push_back(y == 4 ? 400 : 0);
    t.surfaces.assign(4, vnTERRAIN_Surface(0, 0));
    vnMODEL_MATERIAL ground;
    ground.name = "ground";
    ground.textures.push_back({1, "textures/ground.ppm"});
    t.materials.push_back(ground);
    vnFEATURE_SET set;
    for (size_t i = 0; i < boxes.size(); ++i) {
      vnFEATURE_GROUP* g = nullptr;
      for (vnFEATURE_GROUP& have : set.groups)
        if (have.cls.className == boxes[i].cls) g = &have;
      if (!g)
        g = &set.groups.emplace_back(
            vnFEATURE_GROUP{vnMODELS_FeatureBox(boxes[i].cls, 50, 50, 50), {}});
      g->instances.push_back(At(g->cls, "box" + std::to_string(i), boxes[i].x * 100, 500, 100));
    }
    vnFEATURE_AddToTerrain(t, set);
    ASSERT_TRUE(vnWRITE_BIFF("terrain.ter", vnTERRAIN_Build(t)));
    void* heap = nullptr;
    SPW_BIFF_FILE* reader = SPW_BIFF_OpenFile("terrain.ter", &heap, SPW_BIFF_LOD_HEAP);
    ASSERT_NE(reader, nullptr);
    ASSERT_EQ(SPW_LoadTerrainData(reader, "terrain.ter", &header, &display), 1);
    ASSERT_EQ(SPW_LoadFeatureObject(reader, scene.get(), &display), 1);
    SPW_BIFF_CloseFile(reader, heap);
    for (SPW_FEATUREOBJ* c : Classes()) c->dwAttributes = kSolid;
    ASSERT_EQ(SPW_BuildSceneTree(scene.get()), 1);
    scene->pTerrain = SPW_InitTerrain(&header, &display, nullptr, nullptr, 0, 0, 0);
    ASSERT_NE(scene->pTerrain, nullptr);
  }
  SPW_FEATUREINST* Item(const char* name) { return SPW_CollideFindByName(scene.get(), name); }
  // A shooter standing in the region.
  VNUNIT* Shooter(BSTAR_Node* region) {
    move.pRegion = region;
    shooter.pMove = &move;
    return &shooter;
  }
  int32_t FireAlongX(SPW_FEATUREINST* owner, SPW_VECTOR* hit, VNUNIT* who) {
    const SPW_VECTOR origin{0, 5, 1}, dir{1, 0, 0};
    return vnCOMBAT_HasLineOfFire(&origin, &dir, 50, owner, hit, who);
  }

  SPW_TERRAINHEADER header{};
  BSTAR_Network network{};
  VNMOVER_RECORD move{};
  VNUNIT shooter{};
};

TEST_F(LineOfFireTest, TheTerrainBlocks) {
  Build({{"Crate", 70}});
  const SPW_VECTOR low{5, 30, 1}, beyond{5, 50, 1}, high{5, 30, 8}, highBeyond{5, 50, 8};
  EXPECT_EQ(vnCOMBAT_HasLineOfFireTo(&low, &beyond, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(vnCOMBAT_HasLineOfFireTo(&high, &highBeyond, nullptr, nullptr, nullptr), 1);
}

TEST_F(LineOfFireTest, OtherObjectsBlockButNotTheOwnRegionsFortWalls) {
  Build({{"FORT WALL", 10}});
  SPW_FEATUREINST* wall = Item("box0");
  ASSERT_NE(wall, nullptr);
  Region own({wall});
  Region other({});
  EXPECT_EQ(FireAlongX(nullptr, nullptr, Shooter(&own.node)), 1);
  EXPECT_EQ(FireAlongX(nullptr, nullptr, Shooter(&other.node)), 0);
  EXPECT_EQ(FireAlongX(nullptr, nullptr, nullptr), 0);
  // Short of the wall nothing is in the way.
  const SPW_VECTOR origin{0, 5, 1}, dir{1, 0, 0};
  EXPECT_EQ(vnCOMBAT_HasLineOfFire(&origin, &dir, 9, nullptr, nullptr, nullptr), 1);
}

TEST_F(LineOfFireTest, HittingTheTargetOwnersObjectStoresThePoint) {
  Build({{"Crate", 10}, {"Crate", 20}});
  SPW_FEATUREINST* target = Item("box0");
  SPW_VECTOR hit{-1, -1, -1};
  EXPECT_EQ(FireAlongX(target, &hit, nullptr), 1);
  EXPECT_NEAR(hit.x, 9.5f, 1e-4f);
  // Something else in front of the target blocks it, and the point is left alone.
  SPW_VECTOR untouched{-1, -1, -1};
  EXPECT_EQ(FireAlongX(Item("box1"), &untouched, nullptr), 0);
  EXPECT_FLOAT_EQ(untouched.x, -1);
}

TEST_F(LineOfFireTest, ShotTracesFindTheNearestOfObjectsAndTerrain) {
  Build({{"Crate", 10}, {"Crate", 20}});
  SPW_VECTOR start{0, 5, 1}, along{1, 0, 0}, hit, normal;
  SPW_FEATUREINST* object = nullptr;
  ASSERT_EQ(vnCOMBAT_TraceShot(&start, &along, 50, &hit, &normal, &object, 0, nullptr), 1);
  EXPECT_EQ(object, Item("box0"));
  EXPECT_NEAR(hit.x, 9.5f, 1e-4f);
  EXPECT_NEAR(normal.x, -1, 1e-4f);
  // The owner's object is passed through when asked.
  ASSERT_EQ(vnCOMBAT_TraceShot(&start, &along, 50, &hit, nullptr, &object,
                               VNCOMBAT_TRACE_IGNORE, Item("box0")),
            1);
  EXPECT_EQ(object, Item("box1"));
  EXPECT_EQ(Item("box0")->dwFlags & SPW_FINST_IGNORED, 0u);
  // Down onto the ground: the terrain, no object.
  const VNCOMBAT_SHOT down{{5, 25, 10}, {0, 0, -1}, 100};
  float distance = -1;
  ASSERT_EQ(vnCOMBAT_TraceShotEx(&down, &hit, &normal, &object, 0, nullptr, &distance), 1);
  EXPECT_EQ(object, nullptr);
  EXPECT_NEAR(distance, 10, 1e-3f);
  EXPECT_NEAR(normal.z, 1, 1e-4f);
  // Too short to reach anything: no hit, the distance zeroed.
  const VNCOMBAT_SHOT shortShot{{5, 25, 10}, {0, 0, -1}, 5};
  EXPECT_EQ(vnCOMBAT_TraceShotEx(&shortShot, &hit, nullptr, nullptr, 0, nullptr, &distance), 0);
  EXPECT_EQ(distance, 0);
}

TEST_F(LineOfFireTest, StructureKindComesFromTheRegionsFeatures) {
  Build({{"Bridge", 10}, {"Building", 20}, {"Crate", 30}});
  SPW_FEATUREINST *bridge = Item("box0"), *building = Item("box1"), *crate = Item("box2");
  struct Case {
    const char* name;
    std::vector<SPW_FEATUREINST*> features;
    uint32_t flags;
    int32_t defaultKind;
    int32_t want;
  } cases[] = {
      {"bridge", {crate, bridge}, 0, -1, VNCOMBAT_KIND_BRIDGE},
      {"first match wins", {building, bridge}, 0, -1, VNCOMBAT_KIND_STRUCTURE},
      {"flag 26 skips the features", {building}, VNCOMBAT_REGION_NO_STRUCTURE, 2, 2},
      {"nothing: the default", {crate}, 0, 1, 1},
      {"a negative default is 0", {}, 0, -5, 0},
  };
  for (const Case& c : cases) {
    Region region(c.features, c.flags);
    vnCOMBAT_SetDefaultStructureKind(c.defaultKind);
    EXPECT_EQ(vnCOMBAT_StructureKind(&region.node), c.want) << c.name;
  }
  vnCOMBAT_SetDefaultStructureKind(-1);
}

TEST(CombatGeometry, RangeBands) {
  struct Case {
    float d;
    int32_t band;
  } cases[] = {{0, 0}, {10, 0}, {10.01f, 1}, {20, 1}, {20.5f, 2}, {1000, 2}};
  for (const Case& c : cases) EXPECT_EQ(vnCOMBAT_RangeBand(c.d), c.band) << c.d;
}

TEST(CombatGeometry, LobbedShotsMeetAMovingTarget) {
  const SPW_VECTOR muzzle{0, 0, 1}, target{30, 0, 1}, still{0, 0, 0}, away{5, 0, 0};
  SPW_VECTOR v;
  ASSERT_EQ(vnCOMBAT_LineCircleIntersect(&target, &still, &muzzle, 10, &v), 1);
  EXPECT_NEAR(v.x, 10, 1e-4f);
  EXPECT_NEAR(v.z, 4.9f * 3, 1e-4f);  // three seconds of flight, level
  ASSERT_EQ(vnCOMBAT_LineCircleIntersect(&target, &away, &muzzle, 10, &v), 1);
  const float t = 6;  // 30 + 5t = 10t
  EXPECT_NEAR(v.x, (30 + 5 * t) / t, 1e-3f);
  EXPECT_NEAR(std::hypot(v.x, v.y), 10, 1e-3f);
  EXPECT_NEAR(v.z, 4.9f * t, 1e-3f);
  const SPW_VECTOR fleeing{20, 0, 0};
  EXPECT_EQ(vnCOMBAT_LineCircleIntersect(&target, &fleeing, &muzzle, 10, &v), 0);
}

}  // namespace
