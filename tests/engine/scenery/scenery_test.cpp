// The scenery renderer over a driver table that records what it is given: culling and clip
// masks, back faces, the near fade, light levels, levels of detail, the sky and deep trees.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/collide/collide.h"
#include "engine/scenery/scenery.h"
#include "engine/tess/tess.h"
#include "engine/vdisplay/vdisplay.h"
#include "tests/engine/feature/feature_fixture.h"

namespace {

struct Call {
  std::vector<SPPD_VERTEX> v;
  uint32_t count;
  int32_t texture;
  uint32_t mask;
  bool nearBlend;
  float nearZ, fade;
};

struct Recorder {
  std::vector<Call> calls;
  std::vector<std::pair<int32_t, Call>> layered;
  SPPD_SYSTEMRENDERSTATE rs{};
};
Recorder g_rec;

int32_t GetSystemRenderState(SPPD_SYSTEMRENDERSTATE* out) {
  *out = g_rec.rs;
  return SPPD_OK;
}
int32_t Polygon(SPW_DISPLAY*, const SPPD_VERTEX* v, uint32_t count, int32_t, int32_t texture,
                int32_t, uint32_t mask) {
  g_rec.calls.push_back({{v, v + (count & ~SPPD_VERTEX_NOFOG)}, count, texture, mask, false, 0, 0});
  return SPPD_OK;
}
int32_t NearBlend(SPW_DISPLAY*, const SPPD_VERTEX* v, uint32_t count, int32_t, int32_t texture,
                  int32_t, uint32_t mask, float nearZ, float fade) {
  g_rec.calls.push_back({{v, v + count}, count, texture, mask, true, nearZ, fade});
  return SPPD_OK;
}

int32_t Layer(SPW_DISPLAY*, int32_t layer, const SPPD_VERTEX* v, uint32_t count, int32_t,
              int32_t texture, int32_t, uint32_t mask) {
  g_rec.layered.push_back({layer, {{v, v + count}, count, texture, mask, false, 0, 0}});
  return SPPD_OK;
}

constexpr uint32_t kSolid = 0x1;
constexpr uint32_t kLit = 0x100;

class SceneryTest : public FeatureFixture {
 protected:
  void SetUp() override {
    FeatureFixture::SetUp();
    g_rec = Recorder{};
    table.SPPD_GetSystemRenderState = GetSystemRenderState;
    table.SPPD_RenderFVFPolygon = Polygon;
    table.SPPD_RenderFVFPolygonNearBlend = NearBlend;
    table.SPPD_RenderFVFPolygonLayer = Layer;
    view.pScene = scene.get();
    SPW_MatIdentity(&view.mView);
    SPW_MatIdentity(&view.mCamera);
    view.fTanHalfY = std::tan(20.0f * SPW_PI / 180.0f);  // distances count as they are
    target = {1, SPW_VDISPLAY_RECORD_SIZE, &view};
    node.pTarget = &target;
    node.pDisplay = &display;
    // The near plane at z = -1 and a side plane x >= 0, both given in world space.
    Planes({{{0, 0, -1}, 1, -1}, {{1, 0, 0}, 0, 0}});
  }
  struct PlaneSpec {
    SPW_VECTOR n;
    float c;
    float viewZ;  // of the plane's point
  };
  void Planes(const std::vector<PlaneSpec>& planes) {
    g_rec.rs.rs.dwNumPlanes = static_cast<uint32_t>(planes.size());
    for (size_t i = 0; i < planes.size(); ++i) {
      g_rec.rs.fPlaneNormalsXf[i][0] = planes[i].n.x;
      g_rec.rs.fPlaneNormalsXf[i][1] = planes[i].n.y;
      g_rec.rs.fPlaneNormalsXf[i][2] = planes[i].n.z;
      g_rec.rs.fPlaneConstXf[i] = planes[i].c;
      g_rec.rs.fPlanePoints[i][2] = planes[i].viewZ;
    }
  }
  // A group of crates one unit across at engine positions, coloured.
  static vnFEATURE_GROUP Crates(const std::string& cls, const std::vector<SPW_VECTOR>& at,
                                uint32_t colour = 0xFF808080u, float scale = 1) {
    vnFEATURE_GROUP g{vnMODELS_FeatureBox(cls, 50, 50, 50), {}};
    for (size_t i = 0; i < at.size(); ++i) {
      vnFEATURE_INSTANCE inst = At(g.cls, cls + std::to_string(i), at[i].x * 100, at[i].y * 100,
                                   at[i].z * 100, 0, scale);
      inst.colours = vnMODELS_FeatureColours(g.cls, colour);
      g.instances.push_back(inst);
    }
    return g;
  }
  void Build(const vnFEATURE_SET& set, uint32_t attributes = kSolid) {
    ASSERT_EQ(Load(set), 1);
    for (SPW_FEATUREOBJ* c : Classes()) c->dwAttributes = attributes;
    ASSERT_EQ(SPW_BuildSceneTree(scene.get()), 1);
  }
  void Render() {
    g_rec.calls.clear();
    g_rec.layered.clear();
    EXPECT_EQ(SPW_SceneryRenderTask(&node, nullptr, nullptr), -1);
  }
  // Calls whose first vertex lies near a view-space x.
  size_t CallsAt(float x, float tolerance = 0.6f) {
    size_t n = 0;
    for (const Call& c : g_rec.calls) n += std::fabs(c.v[0].x - x) <= tolerance ? 1 : 0;
    return n;
  }

  SPW_VDISPLAY view{};
  SGE_DATAREF target{};
  SPW_DISPLAYNODE node{};
};

TEST_F(SceneryTest, InstancesAreCulledAndClippedOnlyByThePlanesThatCutThem) {
  vnFEATURE_SET set;
  set.groups.push_back(Crates("Crate", {{2, 0, -5}, {0, 0, -5}, {-3, 0, -5}}));
  Build(set);
  Render();
  EXPECT_EQ(SPW_GetSceneryDrawCount(), 2u);
  // Wholly inside both planes: mask 0; its front and its left side face the eye.
  ASSERT_EQ(CallsAt(2), 4u);
  for (const Call& c : g_rec.calls)
    if (std::fabs(c.v[0].x - 2) <= 0.6f) {
      EXPECT_EQ(c.mask, 0u);
    }
  // Cut by the side plane: only that plane's bit; its sides are seen edge on.
  ASSERT_EQ(CallsAt(0), 2u);
  for (const Call& c : g_rec.calls)
    if (std::fabs(c.v[0].x) <= 0.6f) {
      EXPECT_EQ(c.mask, 0x2u);
    }
  EXPECT_EQ(CallsAt(-3), 0u);
  for (const Call& c : g_rec.calls) {
    EXPECT_EQ(c.count, 3u);
    EXPECT_FALSE(c.nearBlend);
    EXPECT_EQ(c.v[0].dwColour, 0xFF808080u);
  }
}

TEST_F(SceneryTest, HiddenAndIgnoredInstancesAreNotDrawnAndTwoSidedFacesAlwaysAre) {
  vnFEATURE_SET set;
  set.groups.push_back(Crates("Crate", {{2, 0, -5}, {4, 0, -5}, {6, 0, -5}}));
  for (vnFEATURE_FACE& f : set.groups[0].cls.meshes[0].faces) f.flags = 0x80000000u;
  Build(set);
  auto crates = Instances(Classes()[0]);
  crates[1]->dwFlags |= SPW_FINST_HIDDEN;
  crates[2]->dwFlags |= SPW_FINST_IGNORED;
  Render();
  EXPECT_EQ(SPW_GetSceneryDrawCount(), 1u);
  EXPECT_EQ(g_rec.calls.size(), 12u);
}

TEST_F(SceneryTest, TheNearFadeNeedsTheClassFlagAndAVertexNearerThanTenUnits) {
  vnFEATURE_SET set;
  set.groups.push_back(Crates("Fading", {{2, 0, -5}, {40, 0, -60}}));
  set.groups.push_back(Crates("Plain", {{5, 0, -5}}));
  // Scaled by 20: its front face lies at exactly z = -10.
  set.groups.push_back(Crates("Wall", {{30, 0, -20}}, 0xFF808080u, 20));
  Build(set);
  for (SPW_FEATUREOBJ* c : Classes())
    if (std::string(c->szClassName) != "Plain") c->dwAttributes |= SPW_FEATURE_NEAR_FADE;
  Render();
  size_t blends = 0;
  for (const Call& c : g_rec.calls) {
    const float x = c.v[0].x;
    if (std::fabs(x - 2) <= 0.6f) {
      EXPECT_TRUE(c.nearBlend);
      EXPECT_FLOAT_EQ(c.nearZ, -10.0f);
      EXPECT_FLOAT_EQ(c.fade, 1.0f / (-10.0f - -1.0f));
      ++blends;
    } else {
      EXPECT_FALSE(c.nearBlend) << x << "," << c.v[0].z;
    }
  }
  EXPECT_EQ(blends, 4u);
  EXPECT_EQ(SPW_GetSceneryDrawCount(), 4u);
}

TEST_F(SceneryTest, TerrainLightsReachOnlyTheInstancesTheirSpheresMeet) {
  vnFEATURE_SET set;
  set.groups.push_back(Crates("Crate", {{2, 0, -5}, {30, 0, -5}}, 0xFF000000u));
  Build(set, kSolid | kLit);
  SPW_LIGHT light{};
  light.fFlags = SPW_LIGHT_TERRAIN;
  light.dwDefault = kLit;
  light.vPos = {2, 0, -3};
  light.fRadius = 3;
  light.fRadiusSq = 9;
  light.colour = {255, 0, 0, 255};
  SPW_LIGHT distant = light;  // too far from either crate
  distant.vPos = {15, 0, -5};
  distant.colour = {0, 255, 0, 255};
  SPW_LIGHT plain = light;  // not a terrain light
  plain.fFlags = 0;
  plain.colour = {0, 0, 255, 255};
  SGE_ListAddTail(&scene->lights, &light.link);
  SGE_ListAddTail(&scene->lights, &distant.link);
  SGE_ListAddTail(&scene->lights, &plain.link);
  Render();
  bool litNear = false;
  for (const Call& c : g_rec.calls)
    for (const SPPD_VERTEX& v : c.v) {
      EXPECT_EQ(v.dwColour & 0x0000FFFFu, 0u) << "only the red light lights";
      if (std::fabs(c.v[0].x - 30) <= 0.6f) {
        EXPECT_EQ(v.dwColour, 0xFF000000u);
      }
      // A front corner 2.75 squared units from the light: 1 - 2.75 / 9 of full red.
      if (std::fabs(v.x - 1.5f) < 1e-4f && std::fabs(v.y + 0.5f) < 1e-4f && std::fabs(v.z + 4.5f) < 1e-4f) {
        EXPECT_EQ(v.dwColour >> 16 & 0xFF, static_cast<uint32_t>(std::lround(255 * (1 - 2.75f / 9))));
        litNear = true;
      }
    }
  EXPECT_TRUE(litNear);
  SGE_ListInit(&scene->lights);
}

TEST_F(SceneryTest, AFarInstanceIsDrawnAtACoarserLevel) {
  vnFEATURE_SET set;
  vnFEATURE_GROUP rocks{vnMODELS_FeatureRock("Rock", 100, 2), {}};
  rocks.instances.push_back(At(rocks.cls, "near", 0, 0, -500));
  rocks.instances.push_back(At(rocks.cls, "far", 0, 0, -5000));
  set.groups.push_back(rocks);
  Build(set);
  Planes({});
  Render();
  auto rockList = Instances(Classes()[0]);
  EXPECT_EQ(rockList[0]->nLod, 0);
  EXPECT_EQ(rockList[1]->nLod, 1);
}

TEST_F(SceneryTest, TheSkyComesLastAroundTheCameraWithoutFog) {
  vnFEATURE_SET set;
  set.groups.push_back(Crates("Crate", {{2, 0, -5}}));
  vnFEATURE_GROUP sky{vnMODELS_FeatureSky(1000), {}};
  sky.instances.push_back(At(sky.cls, "sky", 0, 0, 0));
  set.groups.push_back(sky);
  Build(set);
  Planes({});
  // The camera stands at (100, 50, 7) looking down -z.
  view.mCamera.m[3][0] = 100;
  view.mCamera.m[3][1] = 50;
  view.mCamera.m[3][2] = 7;
  view.mView.m[3][0] = -100;
  view.mView.m[3][1] = -50;
  view.mView.m[3][2] = -7;
  Render();
  const size_t skyFaces = 4 * 12 * 2;
  ASSERT_GT(g_rec.calls.size(), skyFaces);
  const size_t first = g_rec.calls.size() - skyFaces;
  for (size_t i = first; i < g_rec.calls.size(); ++i) {
    const Call& c = g_rec.calls[i];
    EXPECT_EQ(c.count, 3u | SPPD_VERTEX_NOFOG);
    EXPECT_EQ(c.v[0].dwColour, 0xFFFFFFFFu);
  }
  // The dome's first vertex (10, 0, 0) moved across with the camera but not up with it.
  const SPPD_VERTEX& v = g_rec.calls[first].v[0];
  EXPECT_NEAR(v.x, 10.0f, 1e-3f);
  EXPECT_NEAR(v.y, 0.0f, 1e-3f);
  EXPECT_NEAR(v.z, -7.0f, 1e-3f);
}

TEST_F(SceneryTest, ATreeAsDeepAsItIsLongIsDrawnWhole) {
  constexpr int kCount = 1200;
  vnFEATURE_SET set;
  vnFEATURE_GROUP g{vnMODELS_FeatureBox("Box", 10, 10, 10), {}};
  for (int i = 0; i < kCount; ++i) {
    vnFEATURE_INSTANCE inst = At(g.cls, "b" + std::to_string(i), 0, 0, -2000, 0, 1.0f + static_cast<float>(i) * 0.01f);
    g.instances.push_back(inst);
  }
  set.groups.push_back(g);
  Build(set);
  ASSERT_GT(scene->pTree->dwHeight, static_cast<uint32_t>(kCount / 2));
  Planes({});
  Render();
  EXPECT_EQ(SPW_GetSceneryDrawCount(), static_cast<uint32_t>(kCount));
}

TEST_F(SceneryTest, ADecalIsClippedToTheTrianglesBeneathItAndDrawnOnItsLayer) {
  vnFEATURE_SET set;
  set.groups.push_back(Crates("Crate", {{0, 0, -5}}));
  Build(set);
  Planes({});
  ASSERT_EQ(SPW_InitTessellations(scene.get(), SPW_ObjsMem), 1);
  // A square on the crate's top, partly hanging over its edge.
  std::vector<SPPD_VERTEX> square;
  for (auto [x, y] : {std::pair{0.2f, -0.2f}, {0.7f, -0.2f}, {0.7f, 0.2f}, {0.2f, 0.2f}})
    square.push_back({0, 0xFF00FF00u, x, y, -4.5f, 0, 0});
  SPW_TESS* mark = SPW_CreateTessellation(scene.get(), square.data(), 4, 1, 7, SPW_TESS_NO_TERRAIN,
                                          0, 0, nullptr, 1.0f, 10, kSolid, 0, 0);
  ASSERT_NE(mark, nullptr);
  Render();
  ASSERT_FALSE(g_rec.layered.empty());
  float area = 0;
  for (const auto& [layer, c] : g_rec.layered) {
    EXPECT_EQ(layer, SPW_DECAL_LAYER);
    EXPECT_EQ(c.texture, 7);
    ASSERT_EQ(c.count, 3u);
    for (const SPPD_VERTEX& v : c.v) {
      EXPECT_NEAR(v.z, -4.5f, 1e-4f);
      EXPECT_GE(v.x, 0.2f - 1e-4f);
      EXPECT_LE(v.x, 0.5f + 1e-4f);  // cut at the crate's edge
    }
    area += std::fabs((c.v[1].x - c.v[0].x) * (c.v[2].y - c.v[0].y) -
                      (c.v[2].x - c.v[0].x) * (c.v[1].y - c.v[0].y)) / 2;
  }
  EXPECT_NEAR(area, 0.3f * 0.4f, 1e-4f);
  // Built once: the next frame draws the same pieces.
  const size_t pieces = g_rec.layered.size();
  Render();
  EXPECT_EQ(g_rec.layered.size(), pieces);
  SPW_ReleaseAllTessellations(scene.get());
}

TEST_F(SceneryTest, NothingIsDrawnWithoutAViewOrATree) {
  Render();
  EXPECT_TRUE(g_rec.calls.empty());
  SPW_DISPLAYNODE bare{};
  EXPECT_EQ(SPW_SceneryRenderTask(&bare, nullptr, nullptr), -1);
  EXPECT_EQ(SPW_SceneryRenderTask(nullptr, nullptr, nullptr), -1);
}

}  // namespace
