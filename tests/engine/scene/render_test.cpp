// The display callback that draws a scene's dynamic objects, and the light glows, through a
// driver table of the test's own that records what it is given.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/scene/scene.h"
#include "engine/vdisplay/vdisplay.h"
#include "tests/engine/dobject/dobject_fixture.h"

namespace {

struct NodeCall {
  SPW_DISPLAY* display;
  tag_spw_dobjnode* node;
  SPW_MATRIX matrix;
  SPW_COLOUR colour;
  uint32_t clip;
  int32_t textures;
  std::vector<SPW_LIGHT*> lights;
};

struct GlowCall {
  std::vector<SPPD_VERTEX> vertices;
  int32_t pairs, texture;
  uint32_t clip;
};

struct Recorder {
  std::vector<NodeCall> nodes;
  std::vector<GlowCall> glows;
  std::vector<std::string> textures;
  int32_t stateResult = SPPD_OK;
  SPPD_SYSTEMRENDERSTATE srs{};
  SPPD_RENDERSTATE rs{};
};
Recorder g_rec;

void RecordNode(SPW_DISPLAY* display, tag_spw_dobjnode* node, const float* matrix, float* colour,
                uint32_t clip, int32_t textures, SPW_LIGHT** lights, int32_t count) {
  NodeCall c{display, node, {}, {}, clip, textures, {}};
  std::memcpy(&c.matrix, matrix, sizeof c.matrix);
  std::memcpy(&c.colour, colour, sizeof c.colour);
  c.lights.assign(lights, lights + count);
  g_rec.nodes.push_back(c);
}
int32_t SystemState(SPPD_SYSTEMRENDERSTATE* out) {
  *out = g_rec.srs;
  return g_rec.stateResult;
}
int32_t State(SPPD_RENDERSTATE* out) {
  *out = g_rec.rs;
  return SPPD_OK;
}
int32_t TextureId(SPW_DISPLAY*, const char* name, int32_t* out, int32_t) {
  g_rec.textures.push_back(name);
  *out = 42;
  return SPPD_OK;
}
int32_t Additive(SPW_DISPLAY*, const SPPD_VERTEX* v, uint32_t count, int32_t pairs, int32_t tex,
                 int32_t, uint32_t clip) {
  g_rec.glows.push_back({std::vector<SPPD_VERTEX>(v, v + count), pairs, tex, clip});
  return SPPD_OK;
}

class RenderTest : public DObjectFixture {
 protected:
  void SetUp() override {
    DObjectFixture::SetUp();
    g_rec = Recorder{};
    table.SPPD_RenderNode = RecordNode;
    table.SPPD_GetSystemRenderState = SystemState;
    table.SPPD_GetRenderState = State;
    table.SPPD_TextureGetID = TextureId;
    table.SPPD_RenderFVFPolygonAdditive = Additive;
    driverRef = {1, sizeof table, &table};
    display.pDriver = &driverRef;
    view.pScene = scene;
    SPW_MatIdentity(&view.mView);
    SPW_MatIdentity(&view.mCamera);
    view.fTanHalfY = std::tan(SPW_PI / 6);
    viewRef = {1, SPW_VDISPLAY_RECORD_SIZE, &view};
    node.pDisplay = &display;
    node.pTarget = &viewRef;
    // Two planes facing each other: inside is -100 < x < 100.
    AddPlane({-100, 0, 0}, {1, 0, 0});
    AddPlane({100, 0, 0}, {-1, 0, 0});
    g_rec.rs.fNear = 1.0f;
    g_rec.rs.fFar = 100.0f;
    sphere = LoadModel(vnMODELS_Sphere());
    ASSERT_GE(sphere, 0);
  }
  void AddPlane(SPW_VECTOR point, SPW_VECTOR normal) {
    const uint32_t i = g_rec.rs.dwNumPlanes++;
    std::memcpy(g_rec.srs.fPlanePointsXf[i], &point, sizeof point);
    std::memcpy(g_rec.srs.fPlaneNormalsXf[i], &normal, sizeof normal);
  }
  SPW_DOBJECT* Place(int32_t slot, float x, SPW_DOBJECT* parent = nullptr, int32_t priority = 0) {
    const SPW_TRANSFORM t = {{x, 0, 0}, {0, 0, 0, 1}, 1};
    return SPW_CreateDynamicObject(scene, slot, parent, priority, &t, 0);
  }
  int32_t Render() {
    g_rec.nodes.clear();
    return SPW_DObjectRenderTask(&node, nullptr, nullptr);
  }

  SPPD_DRIVERTABLE table{};
  SGE_DATAREF driverRef{};
  SPW_DISPLAY display{};
  SPW_VDISPLAY view{};
  SGE_DATAREF viewRef{};
  SPW_DISPLAYNODE node{};
  int32_t sphere = -1;
};

TEST_F(RenderTest, ObjectsAreCulledByTheirSphereAndClippedOnlyByPlanesThatCutThem) {
  SPW_DOBJECT* inside = Place(figure, 0);
  SPW_DOBJECT* cut = Place(figure, 99.5f);
  SPW_DOBJECT* outside = Place(figure, -150);
  outside->fFlags |= SPW_DOBJ_IN_VIEW;
  EXPECT_EQ(Render(), -1);
  const uint32_t n = SPW_GetObjectType(figure)->dwNumNodes;
  ASSERT_EQ(g_rec.nodes.size(), 2 * n);
  // The scene list holds the newest first.
  const SPW_DOBJLOD& lod = SPW_GetObjectType(figure)->pLods[0];
  for (uint32_t i = 0; i < n; ++i) {
    EXPECT_EQ(g_rec.nodes[i].clip, 0x2u) << i;
    EXPECT_EQ(g_rec.nodes[n + i].clip, 0u) << i;
    EXPECT_EQ(g_rec.nodes[i].node, &lod.pNodes[i]) << i;
    EXPECT_EQ(g_rec.nodes[i].display, &display);
    EXPECT_EQ(g_rec.nodes[i].textures, static_cast<int32_t>(lod.dwNumTextures));
    EXPECT_EQ(g_rec.nodes[i].colour.r, 80.0f);
    EXPECT_EQ(g_rec.nodes[i].colour.a, 255.0f);
    EXPECT_TRUE(g_rec.nodes[i].lights.empty());
  }
  EXPECT_NE(inside->fFlags & SPW_DOBJ_IN_VIEW, 0u);
  EXPECT_NE(cut->fFlags & SPW_DOBJ_IN_VIEW, 0u);
  EXPECT_EQ(outside->fFlags & SPW_DOBJ_IN_VIEW, 0u);
}

TEST_F(RenderTest, NodeMatricesAreTheViewTimesTheNodesWorldTransform) {
  SPW_DOBJECT* o = Place(figure, 5);
  const float h = std::sqrt(0.5f);
  o->t.qRot = {0, h, 0, h};
  // A view that moves the world by (0, 0, -20).
  view.mView.m[3][2] = -20.0f;
  Render();
  const uint32_t n = SPW_GetObjectType(figure)->dwNumNodes;
  ASSERT_EQ(g_rec.nodes.size(), n);
  for (int32_t i = 0; i < static_cast<int32_t>(n); ++i) {
    SPW_MATRIX world, expected;
    SPW_GetNodeWorldTransform(o, i, &world, nullptr);
    SPW_MatMultiply(&view.mView, &world, &expected);
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(g_rec.nodes[static_cast<size_t>(i)].matrix.m[r][c], expected.m[r][c], 1e-4f)
            << i << " " << r << "," << c;
  }
}

TEST_F(RenderTest, LitObjectsPassTheirLightsAndOwnColours) {
  SPW_DOBJECT* o = Place(sphere, 0);
  o->fFlags |= SPW_DOBJ_LIT | SPW_DOBJ_OWN_COLOUR;
  o->colourA = {200, 100, 50, 255};
  o->colourB = {255, 51, 0, 255};
  const SPW_VECTOR p = {0, 2, 0};
  SPW_LIGHT* l = SPW_CreateLight(scene, &p, 10.0f, 0, 0, 0);
  Render();
  ASSERT_EQ(g_rec.nodes.size(), 1u);
  EXPECT_EQ(g_rec.nodes[0].lights, std::vector<SPW_LIGHT*>{l});
  EXPECT_NEAR(g_rec.nodes[0].colour.r, 200.0f, 1e-4f);
  EXPECT_NEAR(g_rec.nodes[0].colour.g, 20.0f, 1e-4f);
  EXPECT_NEAR(g_rec.nodes[0].colour.b, 0.0f, 1e-4f);
  o->fFlags |= SPW_DOBJ_COLOUR_AS_IS;
  Render();
  EXPECT_EQ(g_rec.nodes[0].colour.g, 100.0f);
}

TEST_F(RenderTest, DistantObjectsDrawACoarserLevelUnlessTheSceneAsksForTheFinest) {
  SPW_DOBJECT* o = Place(sphere, 60);
  const SPW_DOBJTYPE* type = SPW_GetObjectType(sphere);
  Render();
  ASSERT_EQ(g_rec.nodes.size(), 1u);
  EXPECT_EQ(g_rec.nodes[0].node, &type->pLods[1].pNodes[0]);
  o->t.vPos.x = 1;
  Render();
  EXPECT_EQ(g_rec.nodes[0].node, &type->pLods[0].pNodes[0]);
  o->t.vPos.x = 60;
  scene->fFlags |= SPW_SCENE_LOD0;
  Render();
  EXPECT_EQ(g_rec.nodes[0].node, &type->pLods[0].pNodes[0]);
}

TEST_F(RenderTest, AttachedObjectsAreDrawnThroughTheirParentAndHiddenOnesNotAtAll) {
  SPW_DOBJECT* a = Place(figure, 0);
  SPW_DOBJECT* b = Place(figure, 0);
  ASSERT_EQ(SPW_AttachObjectName(a, b, 0, 0, "HandR", "HeadTop"), 1);
  Render();
  const uint32_t n = SPW_GetObjectType(figure)->dwNumNodes;
  ASSERT_EQ(g_rec.nodes.size(), n + (n - 2));
  size_t unclipped = 0;
  for (const NodeCall& c : g_rec.nodes) unclipped += c.clip == 0xFFFFFFFFu;
  EXPECT_EQ(unclipped, n - 2);
  a->fFlags |= SPW_DOBJ_HIDDEN;
  Render();
  EXPECT_TRUE(g_rec.nodes.empty());
}

TEST_F(RenderTest, ChildrenOfPriorityMinusOneAreDrawnWithTheirParent) {
  SPW_DOBJECT* parent = Place(sphere, 0);
  Place(sphere, 1, parent, -1);
  Place(sphere, 2, parent, -1);
  Render();
  ASSERT_EQ(g_rec.nodes.size(), 3u);
  EXPECT_EQ(g_rec.nodes[0].clip, 0xFFFFFFFFu);
  EXPECT_EQ(g_rec.nodes[1].clip, 0xFFFFFFFFu);
  EXPECT_EQ(g_rec.nodes[2].clip, 0u);
  // The walk stops at the first child of another priority.
  SPW_DOBJECT* other = Place(sphere, 50);
  Place(sphere, 51, other, 3);
  Place(sphere, 52, other, -1);
  Render();
  EXPECT_EQ(g_rec.nodes.size(), 4u);
}

TEST_F(RenderTest, NothingIsDrawnWithoutARenderStateOrWithNodeDrawingOff) {
  SPW_DOBJECT* o = Place(sphere, 0);
  o->fFlags |= SPW_DOBJ_KEEP_NEAR;
  g_rec.stateResult = SPPD_FAIL;
  Render();
  EXPECT_TRUE(g_rec.nodes.empty());
  g_rec.stateResult = SPPD_OK;
  SPW_DrawObjectNodes = 0;
  Render();
  EXPECT_TRUE(g_rec.nodes.empty());
  SPW_DrawObjectNodes = 1;
  Render();
  ASSERT_EQ(g_rec.nodes.size(), 1u);
  EXPECT_NE(g_rec.nodes[0].node->dwRenderFlags & SPW_NODERENDER_KEEP_NEAR, 0u);
  // A node that is no virtual display draws nothing.
  viewRef.nSize = 4;
  Render();
  EXPECT_TRUE(g_rec.nodes.empty());
}

int32_t Hidden(const SPW_VECTOR*, const SPW_VECTOR*, float) { return 1; }

TEST_F(RenderTest, GlowsAreQueuedForLightsFacingTheViewInsideItsDepth) {
  const SPW_VECTOR p = {2, 0, -10};
  SPW_LIGHT* l = SPW_CreateLight(scene, &p, 5.0f, 0xFF804020u, 0, SPW_LIGHT_GLOW);
  l->vDirection = {0, 0, -1};
  const SPW_VECTOR q = {0, 0, -10};
  SPW_CreateLight(scene, &q, 5.0f, 0, 0, 0);  // no glow flag
  ASSERT_EQ(SPW_DrawLightGlows(&node), 1);
  ASSERT_EQ(g_rec.glows.size(), 1u);
  EXPECT_EQ(g_rec.textures, std::vector<std::string>{"sprites/effects/generalGlow.ppm"});
  const GlowCall& g = g_rec.glows[0];
  ASSERT_EQ(g.vertices.size(), 4u);
  EXPECT_EQ(g.texture, 42);
  EXPECT_EQ(g.pairs, 1);
  EXPECT_EQ(g.clip, static_cast<uint32_t>(-4));
  // Half-size 5 / 10 around (0.2, 0) at the near plane; colour 0.35 of each channel.
  EXPECT_NEAR(g.vertices[0].x, -0.3f, 1e-6f);
  EXPECT_NEAR(g.vertices[2].x, 0.7f, 1e-6f);
  EXPECT_NEAR(g.vertices[2].y, 0.5f, 1e-6f);
  EXPECT_EQ(g.vertices[0].z, -1.0f);
  EXPECT_EQ(g.vertices[0].dwColour, 0xFF2D160Bu);
  // Facing away, beyond the far plane or hidden by its callback: none.
  const struct {
    SPW_VECTOR dir, pos;
    SPW_GLOWFN fn;
  } cases[] = {{{0, 0, 1}, {2, 0, -10}, nullptr},
               {{0, 0, -1}, {2, 0, -200}, nullptr},
               {{0, 0, -1}, {2, 0, 5}, nullptr},
               {{0, 0, -1}, {2, 0, -10}, Hidden}};
  for (const auto& c : cases) {
    g_rec.glows.clear();
    l->vDirection = c.dir;
    l->vPos = c.pos;
    l->pfnOcclusion = c.fn;
    SPW_DrawLightGlows(&node);
    EXPECT_TRUE(g_rec.glows.empty()) << c.pos.z;
  }
}

}  // namespace
