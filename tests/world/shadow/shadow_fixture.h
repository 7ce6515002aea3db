#pragma once
// The shadow service over a bare scene with tessellation pools, a flat terrain at kGround (with
// optional crates on it) and a display whose driver hands out texture ids by name.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/collide/collide.h"
#include "engine/dobject/dobject.h"
#include "engine/terrain/terrain.h"
#include "engine/tess/tess.h"
#include "tests/engine/feature/feature_fixture.h"
#include "tools/writers/terrain_writer.h"
#include "world/shadow/shadow.h"

namespace shadowtest {

constexpr float kGround = 2.0f;           // engine units
constexpr int32_t kGroundFile = 200;      // the same in file units
constexpr uint32_t kPatches = 8;          // 32 x 32 metres of 1-metre cells
constexpr uint32_t kSolid = 0x1;
// Towards the light: up at 45 degrees along +x.
inline const SPW_VECTOR kSlantLight = {0.70710678f, 0.0f, 0.70710678f};

// The alpha byte of a shadow's quad.
inline uint32_t Alpha(const VNSHADOW* s) { return s->pTess->pPoints[0].dwColour >> 24; }

class ShadowTest : public FeatureFixture {
 protected:
  void SetUp() override {
    FeatureFixture::SetUp();
    if (HasFatalFailure()) return;
    SPW_InstallCollideHooks();
    ASSERT_EQ(SPW_InitTessellations(scene.get(), SPW_ObjsMem), 1);
    Init(kSlantLight);
  }
  void TearDown() override {
    vnShadow_Shutdown();
    SPW_ReleaseAllTessellations(scene.get());
    SPW_FreeTerrain(&SPW_Terrain);
    SPW_FreeTerrainData(&header);
    FeatureFixture::TearDown();
  }

  void Init(const SPW_VECTOR& light) {
    vnShadow_Init(SPW_ObjsMem, scene.get(), &display, &light, VNSHADOW_DEFAULT_LIGHT_HEIGHT,
                  VNSHADOW_DEFAULT_MIN_HEIGHT, VNSHADOW_DEFAULT_MAX_HEIGHT,
                  VNSHADOW_DEFAULT_INNER_RADIUS, VNSHADOW_DEFAULT_OUTER_RADIUS);
  }

  // Flat terrain at kGround with the crates (engine units: centre x, y, half size) on it.
  void Ground(const std::vector<SPW_VECTOR>& crates = {}) {
    vnTERRAIN t;
    t.patchesX = t.patchesY = kPatches;
    t.heights.assign(vnTERRAIN_Vertices(kPatches) * vnTERRAIN_Vertices(kPatches), kGroundFile);
    t.surfaces.assign(kPatches * kPatches, vnTERRAIN_Surface(0, 0));
    vnMODEL_MATERIAL ground;
    ground.name = "ground";
    ground.textures.push_back({1, "textures/ground.ppm"});
    t.materials.push_back(ground);
    if (!crates.empty()) {
      vnFEATURE_SET set;
      for (size_t i = 0; i < crates.size(); ++i) {
        const float half = crates[i].z * 100;
        vnFEATURE_GROUP g{vnMODELS_FeatureBox("Crate" + std::to_string(i), half, half, half), {}};
        g.instances.push_back(At(g.cls, "crate" + std::to_string(i), crates[i].x * 100,
                                 crates[i].y * 100, kGroundFile + half));
        set.groups.push_back(g);
      }
      vnFEATURE_AddToTerrain(t, set);
    }
    ASSERT_TRUE(vnWRITE_BIFF("terrain.ter", vnTERRAIN_Build(t)));
    void* heap = nullptr;
    SPW_BIFF_FILE* reader = SPW_BIFF_OpenFile("terrain.ter", &heap, SPW_BIFF_LOD_HEAP);
    ASSERT_NE(reader, nullptr);
    ASSERT_EQ(SPW_LoadTerrainData(reader, "terrain.ter", &header, &display), 1);
    if (!crates.empty()) {
      ASSERT_EQ(SPW_LoadFeatureObject(reader, scene.get(), &display), 1);
      for (SPW_FEATUREOBJ* c : Classes()) c->dwAttributes = kSolid;
    }
    SPW_BIFF_CloseFile(reader, heap);
    if (!crates.empty()) {
      ASSERT_EQ(SPW_BuildSceneTree(scene.get()), 1);
    }
    scene->pTerrain = SPW_InitTerrain(&header, &display, nullptr, nullptr, 0, 0, 0);
    ASSERT_NE(scene->pTerrain, nullptr);
  }

  // An object in view at the position; kept by the fixture.
  SPW_DOBJECT* Object(float x, float y, float z) {
    objects.push_back(std::make_unique<SPW_DOBJECT>());
    SPW_DOBJECT* o = objects.back().get();
    o->t.vPos = {x, y, z};
    o->t.qRot = {0, 0, 0, 1};
    o->pScene = scene.get();
    o->fFlags = SPW_DOBJ_IN_VIEW;
    return o;
  }

  // A shadow with the record's own heights and radii.
  static VNSHADOW* Add(SPW_DOBJECT* object, uint32_t flags, float size = 1.0f, float offset = 0.0f,
                       float minHeight = 0.0f, float maxHeight = 0.0f, float inner = 0.0f,
                       float outer = 0.0f) {
    return vnShadow_Add(0, object, flags, size, offset, minHeight, maxHeight, inner, outer,
                        nullptr);
  }

  SPW_TERRAINHEADER header{};
  std::vector<std::unique_ptr<SPW_DOBJECT>> objects;
};

}  // namespace shadowtest
