// Object nodes drawn through SPPD_RenderNode and read back from the device: lighting, fog,
// near fade and culling, back faces, clipping and the shared vertices of the batches.
#include <cstring>
#include <vector>

#include "driver/node/node.h"
#include "engine/dobject/dobject.h"
#include "engine/memory/memblock.h"
#include "engine/scene/scene.h"
#include "engine/vdisplay/vdisplay.h"
#include "tests/driver/batch/draw_fixture.h"

namespace nodetest {
namespace {

using drawtest::Near;

// A mesh and the node record that points into it.
struct Mesh {
  std::vector<SPW_DOBJVERTEX> vertices;
  std::vector<SPW_DOBJFACE> faces;
  tag_spw_dobjnode node{};

  void AddFace(uint32_t a, uint32_t b, uint32_t c, const float n[3], uint32_t flags,
               int32_t texture) {
    SPW_DOBJFACE f{};
    f.nTexture = texture;
    std::memcpy(f.adwValue, n, 3 * sizeof(float));
    f.adwValue[3] = flags;
    f.adwIndex[0] = a, f.adwIndex[1] = b, f.adwIndex[2] = c;
    faces.push_back(f);
  }
  tag_spw_dobjnode* Node(float radius, uint32_t renderFlags = 0) {
    std::strcpy(node.szName, "Square");
    node.dwRenderFlags = renderFlags;
    node.dwNumVertices = static_cast<uint32_t>(vertices.size());
    node.dwNumFaces = static_cast<uint32_t>(faces.size());
    node.dwVertsPerFace = 3;
    node.pVertexSet = vertices.data();
    node.pFaceSet = faces.data();
    node.fRadius = radius;
    return &node;
  }
};

// A square of half size h in the object's z = 0 plane, two triangles sharing a diagonal,
// facing +z (toward a viewer in front of it) or, with away, -z.
Mesh Square(float h, uint32_t faceFlags = 0, bool away = false, int32_t texture = 0) {
  Mesh m;
  const float corners[4][2] = {{-h, -h}, {h, -h}, {h, h}, {-h, h}};
  for (const auto& c : corners) {
    SPW_DOBJVERTEX v{};
    v.vPos = {c[0], c[1], 0.0f};
    v.vNormal = {0, 0, 1};
    m.vertices.push_back(v);
  }
  const float n[3] = {0, 0, away ? -1.0f : 1.0f};
  m.AddFace(0, 1, 2, n, faceFlags, texture);
  m.AddFace(0, 2, 3, n, faceFlags, texture);
  return m;
}

// Object to view: no rotation, the origin at (x, y, -d).
struct Place {
  float m[16];
  Place(float x, float y, float d) : m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, -d, 1} {}
};

// The view offset that puts distance d's point at screen column sx.
float AtColumn(float sx, float d) { return (sx - 320.0f) * d / 320.0f; }

class NodeTest : public drawtest::DrawTest {
 protected:
  void SetUp() override {
    drawtest::DrawTest::SetUp();
    scene.sunColour = {0, 0, 0, 255};
    scene.vSunDirection = {-1, 0, 0};
    view.pScene = &scene;
    view.fNear = drawtest::kNear;
    view.fFar = drawtest::kFar;
    view.fInvDepth = 1.0f / (drawtest::kFar - drawtest::kNear);
    viewRef = {1, SPW_VDISPLAY_RECORD_SIZE, &view};
  }
  void TearDown() override {
    node.pTarget = nullptr;
    drawtest::DrawTest::TearDown();
  }
  // The display node draws the view from now on; the render state takes its scene's sun.
  void DrawView(uint32_t fog) {
    node.pTarget = &viewRef;
    SetView(fog);
  }
  void Render(tag_spw_dobjnode* n, const Place& at, SPW_COLOUR colour, uint32_t clipMask = 0,
              std::vector<SPW_LIGHT*> lights = {}) {
    SPPD_RenderNode(&display, n, at.m, &colour.r, clipMask, 0, lights.data(),
                    static_cast<int32_t>(lights.size()));
  }
  SPPD_VBUFFER* OpaqueBuffer(uint32_t texture = 0) {
    return SPPD_BatchEntry(State()->apBatchLists[SPPD_LAYER_OPAQUE], texture)->pCurrent;
  }

  SPW_SCENE scene{};
  SPW_VDISPLAY view{};
  SGE_DATAREF viewRef{};
};

TEST_F(NodeTest, FaceIsLitByColourSunAndLightsAndFoggedByDistance) {
  scene.sunColour = {100, 0, 0, 255};
  scene.vSunDirection = {0, 0, -1};  // shining away from the eye, onto the square
  DrawView(0xFF0000FF);
  SPW_LIGHT light{};
  light.vViewDir = {0, 0, -1};  // from a light at the eye toward the node
  light.fIntensity = 0.5f;
  light.colour = {0, 200, 0, 255};
  SPW_LIGHT behind{};
  behind.vViewDir = {0, 0, 1};  // lights the back of the square only
  behind.fIntensity = 1.0f;
  behind.colour = {255, 255, 255, 255};

  Mesh nearSquare = Square(5), farSquare = Square(25);
  Render(nearSquare.Node(1), Place(AtColumn(200, 20), 0, 20), {50, 50, 50, 255}, 0,
         {&light, &behind});
  Render(farSquare.Node(1), Place(AtColumn(450, 90), 0, 90), {50, 50, 50, 255}, 0,
         {&light, &behind});
  EndFrame();
  EXPECT_TRUE(Near(Pixel(200, 240), 0xFF969632));  // 50 + 100 sun, 50 + 100 light, 50
  // At distance 90 the fog rule gives the face a fog factor short of 255: the colour mixes
  // with the fog colour by it.
  const SPPD_SYSTEMRENDERSTATE* rs = SPPD_CurrentRenderState();
  const float f = static_cast<float>(SPPD_PrimFogSpecular(rs->fDepthOffset - rs->fDepthFactor / 90.0f) >> 24) / 255.0f;
  ASSERT_LT(f, 0.6f);
  auto mix = [f](float c, float fog) { return static_cast<uint32_t>(c * f + fog * (1 - f) + 0.5f); };
  EXPECT_TRUE(Near(Pixel(450, 240), 0xFF000000 | mix(150, 0) << 16 | mix(150, 0) << 8 | mix(50, 255), 4));
}

TEST_F(NodeTest, TheFourNearestOfSixLightsLightTheNode) {
  // The engine picks an object's lights from its scene; the node gets what it passes.
  ASSERT_EQ(SGE_InitMemory(0), 1);
  ASSERT_EQ(SPW_CreateEngineBlocks(), 1);
  SPW_SCENE* world = SPW_CreateScene(0, 1.0f, 0, 0);
  ASSERT_NE(world, nullptr);
  // Between the eye and the object, all within its radius: each would light it fully. The two
  // farther red ones come first in the scene's list.
  const struct {
    float z;
    uint32_t colour;
  } placed[] = {{-41.0f, 0xFFC80000}, {-40.5f, 0xFFC80000}, {-45.0f, 0xFF003200},
                {-44.0f, 0xFF003200}, {-43.0f, 0xFF003200}, {-42.0f, 0xFF003200}};
  for (const auto& p : placed) {
    const SPW_VECTOR at = {0, 0, p.z};
    ASSERT_NE(SPW_CreateLight(world, &at, 100.0f, p.colour, 0, 0), nullptr);
  }
  const SPW_VECTOR centre = {0, 0, -50};
  SPW_MATRIX identity;
  SPW_MatIdentity(&identity);
  SPW_LIGHT* chosen[SPW_MAX_DRIVER_LIGHTS];
  const int32_t n = SPW_SelectObjectLights(world, &centre, 10.0f,
                                           SPW_DOBJ_LIT | SPW_DOBJ_SORT_LIGHTS, &identity, chosen);
  ASSERT_EQ(n, 4);

  DrawView(0xFF000000);
  Mesh m = Square(5);
  Render(m.Node(1), Place(0, 0, 50), {0, 0, 0, 255}, 0,
         std::vector<SPW_LIGHT*>(chosen, chosen + n));
  EndFrame();
  EXPECT_TRUE(Near(Pixel(320, 240), 0xFF00C800));  // four greens of 50, no red
  SPW_DestroyScene(world);
  SPW_ReleaseEngineBlocks();
  SGE_ShutdownMemory();
}

TEST_F(NodeTest, ColourChannelsAreHeldAt255) {
  DrawView(0xFF000000);
  SPW_LIGHT light{};
  light.vViewDir = {0, 0, -1};
  light.fIntensity = 1.0f;
  light.colour = {250, 10, 0, 255};
  Mesh m = Square(5);
  Render(m.Node(1), Place(0, 0, 20), {100, 100, 100, 255}, 0, {&light});
  EndFrame();
  EXPECT_TRUE(Near(Pixel(320, 240), 0xFFFF6E64));
}

TEST_F(NodeTest, NearNodesAreCulledOrFadedInUnlessKeptNear) {
  // Near 1, colour alpha 255: the node's nearest surface at d - radius from the eye.
  struct Case {
    const char* what;
    float gap;
    uint32_t flags;
    uint32_t pixel;
  };
  const Case cases[] = {
      {"within the near distance: not drawn", 0.5f, 0, 0xFF000000},
      {"within the near distance, kept near: drawn", 0.5f, SPW_NODERENDER_KEEP_NEAR, 0xFFFFFFFF},
      {"4 units off: faded to (-4 + 1) x -0.2 x 255 = 153", 4.0f, 0, 0xFF999999},
      {"7 units off: drawn whole", 7.0f, 0, 0xFFFFFFFF},
      {"4 units off, kept near: drawn whole", 4.0f, SPW_NODERENDER_KEEP_NEAR, 0xFFFFFFFF}};
  DrawView(0xFF000000);
  std::vector<Mesh> meshes;
  meshes.reserve(std::size(cases));
  const float radius = 0.6f;
  for (size_t i = 0; i < std::size(cases); ++i) {
    const float d = radius + cases[i].gap;
    meshes.push_back(Square(0.1f * d));  // 32 pixels either way at any distance
    const float column = 60.0f + 120.0f * static_cast<float>(i);
    Render(meshes.back().Node(radius, cases[i].flags), Place(AtColumn(column, d), 0, d),
           {255, 255, 255, 255});
  }
  EndFrame();
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_TRUE(Near(Pixel(60 + 120 * static_cast<int>(i), 240), cases[i].pixel)) << cases[i].what;
}

TEST_F(NodeTest, FogWordFollowsTheNodeDistance) {
  DrawView(0xFF000000);
  struct Case {
    float d;
    uint32_t flags;
    uint32_t specular;
  };
  const Case cases[] = {{150, 0, 0},                               // beyond far: full fog, drawn
                        {0.8f, SPW_NODERENDER_KEEP_NEAR, 0xFF000000},  // within near: none
                        {20, 0, 0xFF000000}};
  for (const Case& c : cases) {
    Mesh m = Square(1);
    Render(m.Node(0.1f, c.flags), Place(0, 0, c.d), {255, 255, 255, 255});
    SPPD_VBUFFER* b = OpaqueBuffer();
    ASSERT_NE(b, nullptr) << c.d;
    ASSERT_GE(b->dwVerticesUsed, 4u) << c.d;
    EXPECT_EQ(b->pVertices[b->dwVerticesUsed - 1].specular, c.specular) << c.d;
  }
}

TEST_F(NodeTest, BackFacesAreSkippedButDoubleSidedFacesAreDrawn) {
  DrawView(0xFF000000);
  Mesh front = Square(5), back = Square(5, 0, true),
       twoSided = Square(5, SPPD_FACE_DOUBLE_SIDED, true);
  Render(front.Node(1), Place(AtColumn(160, 20), 0, 20), {0, 255, 0, 255});
  Render(back.Node(1), Place(AtColumn(320, 20), 0, 20), {0, 255, 0, 255});
  Render(twoSided.Node(1), Place(AtColumn(480, 20), 0, 20), {0, 255, 0, 255});
  EndFrame();
  EXPECT_TRUE(Near(Pixel(160, 240), 0xFF00FF00));
  EXPECT_TRUE(Near(Pixel(320, 240), 0xFF000000));
  EXPECT_TRUE(Near(Pixel(480, 240), 0xFF00FF00));
}

TEST_F(NodeTest, ClippedNodesAreCutAtThePlanesOfTheirMask) {
  // Plane 0 keeps x >= 0 of view space: the right half of the screen.
  const float normal[3] = {1, 0, 0}, point[3] = {0, 0, 0};
  node.pTarget = &viewRef;
  SetView(0xFF000000, 1, normal, point);
  Mesh m = Square(5);
  Render(m.Node(1), Place(0, 0, 20), {255, 0, 0, 255}, 0x1);
  EndFrame();
  EXPECT_TRUE(Near(Pixel(300, 240), 0xFF000000));
  EXPECT_TRUE(Near(Pixel(340, 240), 0xFFFF0000));
}

TEST_F(NodeTest, FacesSharingAVertexWriteItOncePerBuffer) {
  DrawView(0xFF000000);
  Mesh m = Square(5);
  Render(m.Node(1), Place(0, 0, 20), {255, 255, 255, 255});
  SPPD_VBUFFER* b = OpaqueBuffer();
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->dwVerticesUsed, 4u);
  EXPECT_EQ(b->dwIndicesUsed, 6u);

  // A buffer with room for one face only: the second face writes its vertices again into a
  // new buffer.
  const uint32_t fill = b->dwVertexCapacity - b->dwVerticesUsed - 3;
  std::vector<SPPD_TLVERTEX> fan(fill, SPPD_TLVERTEX{0, 0, 0.5f, 1, 0, 0, 0, 0});
  ASSERT_TRUE(SPPD_BatchAppendFan(State(), State()->apBatchLists[SPPD_LAYER_OPAQUE], 0,
                                  fan.data(), fill));
  ASSERT_EQ(OpaqueBuffer(), b);
  Render(m.Node(1), Place(0, 0, 20), {255, 255, 255, 255});
  EXPECT_EQ(b->dwVerticesUsed, b->dwVertexCapacity);
  SPPD_VBUFFER* next = OpaqueBuffer();
  ASSERT_NE(next, b);
  EXPECT_EQ(next->dwVerticesUsed, 3u);
  EXPECT_EQ(next->dwIndicesUsed, 3u);
  EndFrame();
  EXPECT_TRUE(Near(Pixel(320, 240), 0xFFFFFFFF));
}

TEST_F(NodeTest, FacesNamingMissingVerticesAreSkipped) {
  DrawView(0xFF000000);
  Mesh m = Square(5);
  m.faces[0].adwIndex[1] = 4;  // one past the last vertex
  m.faces[1].adwIndex[2] = 70000;  // past the shared-vertex table
  const float n[3] = {0, 0, 1};
  m.AddFace(0, 1, 2, n, 0, 0);
  vntest::TraceCapture trace;
  Render(m.Node(1), Place(0, 0, 20), {255, 255, 255, 255});
  SPPD_VBUFFER* b = OpaqueBuffer();
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->dwIndicesUsed, 3u);
  EXPECT_TRUE(trace.contains("names vertex"));
  EndFrame();
}

TEST_F(NodeTest, AlphaTexturedFacesGoToTheBucketsTheRestToTheBatches) {
  DrawView(0xFF000000);
  Texture(5, 0x80FFFFFF, true);
  Texture(6, 0xFFFFFFFF, false);
  Mesh glass = Square(5, 0, false, 5), wall = Square(10, 0, false, 6);
  Render(glass.Node(1), Place(0, 0, 20), {255, 0, 0, 255});
  Render(wall.Node(1), Place(0, 0, 30), {0, 0, 255, 255});
  EXPECT_EQ(OpaqueBuffer(5), nullptr);
  ASSERT_NE(OpaqueBuffer(6), nullptr);
  EndFrame();
  EXPECT_TRUE(Near(Pixel(320, 240), 0xFF80007F));  // half red over blue
  EXPECT_TRUE(Near(Pixel(320 + 80, 240), 0xFF0000FF));
}

TEST_F(NodeTest, NcvbRenderersDrawUnlitInOneBufferOrLitAndClipped) {
  DrawView(0xFF000000);
  Texture(7, 0xFFFFFFFF, false);
  Texture(8, 0x80FFFFFF, true);
  Mesh m = Square(5, 0, false, 8);
  Render(m.Node(1), Place(0, 0, 20), {10, 20, 30, 255});  // both faces to the buckets
  ASSERT_EQ(OpaqueBuffer(7), nullptr);
  ASSERT_EQ(OpaqueBuffer(8), nullptr);
  m.faces[0].nTexture = 7;  // the second face is drawn with the first one's texture
  SPPD_RenderNodeNonClippedNCVB(&m.node, nullptr);
  SPPD_VBUFFER* b = OpaqueBuffer(7);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(OpaqueBuffer(8), nullptr);
  ASSERT_EQ(b->dwVerticesUsed, 4u);
  EXPECT_EQ(b->dwIndicesUsed, 6u);
  for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(b->pVertices[i].diffuse, 0xFFFFFFFFu) << i;

  // The clipped form files the alpha-textured face among the opaque ones, lit.
  SPPD_RenderNodeClippedNCVB(&m.node, nullptr, 0);
  SPPD_VBUFFER* alphaTextured = OpaqueBuffer(8);
  ASSERT_NE(alphaTextured, nullptr);
  EXPECT_EQ(alphaTextured->dwVerticesUsed, 3u);
  EXPECT_EQ(alphaTextured->pVertices[0].diffuse, 0xFF0A141Eu);
  EndFrame();
}

TEST_F(NodeTest, RenderersOfANodeNotSetUpDrawNothing) {
  Mesh m = Square(5);
  vntest::TraceCapture trace;
  SPPD_RenderNodeNonClipped(&m.node, nullptr);
  SPPD_RenderNodeClippedAlwaysAlpha(nullptr, nullptr, 1);
  SPPD_RenderNode(&display, nullptr, nullptr, nullptr, 0, 0, nullptr, 0);
  EXPECT_EQ(OpaqueBuffer(), nullptr);
  EXPECT_TRUE(trace.contains("not set up by SPPD_RenderNode"));
  EndFrame();
}

}  // namespace
}  // namespace nodetest
