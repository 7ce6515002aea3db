// Shadows drawn through the driver's own code into an offscreen device: three objects at
// different heights over a white slab, seen from straight above, darken it less the higher
// they float.
#include <gtest/gtest.h>

#include <memory>

#include "engine/biff/biff.h"
#include "engine/collide/collide.h"
#include "engine/feature/feature.h"
#include "engine/scene/scene.h"
#include "engine/scenery/scenery.h"
#include "engine/terrain/terrain.h"
#include "engine/tess/tess.h"
#include "engine/vdisplay/vdisplay.h"
#include "platform/files.h"
#include "tests/engine/quad/screen_fixture.h"
#include "tools/models/features.h"
#include "tools/writers/feature_writer.h"
#include "driver/terrain/terrain.h"
#include "world/shadow/shadow.h"

namespace {

constexpr float kEye = 10.0f;  // the camera's height over the slab's top (z = 0)
constexpr uint32_t kSolid = 0x1;
constexpr float kMaxHeight = 3.0f;

uint32_t Grey(uint32_t argb) { return argb & 0xFF; }

class ShadowPixelTest : public screentest::ScreenTest {
 protected:
  void SetUp() override {
    screentest::ScreenTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_EQ(SPW_ResetFeatureObjects(), 1);
    SPW_InstallCollideHooks();
    scene = std::make_unique<SPW_SCENE>();
    SGE_ListInit(SPW_SceneFeatureList(scene.get()));
    SGE_ListInit(&scene->lights);
    ASSERT_EQ(SPW_InitTessellations(scene.get(), SPW_ObjsMem), 1);
    // Looking straight down from kEye: view space is world space moved down by kEye.
    view.pScene = scene.get();
    SPW_MatIdentity(&view.mView);
    SPW_MatIdentity(&view.mCamera);
    view.mView.m[3][2] = -kEye;
    view.mCamera.m[3][2] = kEye;
    view.fTanHalfY = 0.75f;
    target = {1, SPW_VDISPLAY_RECORD_SIZE, &view};
    node.pTarget = &target;
    static const float normal[3] = {0, 0, -1}, point[3] = {0, 0, -drawtest::kNear};
    SetView(0xFF00FF00, 1, normal, point, 0, &view.mCamera.m[0][0], &view.mView.m[0][0]);
  }
  void TearDown() override {
    vnShadow_Shutdown();
    SPW_ReleaseAllTessellations(scene.get());
    SPW_FeatureObjects = nullptr;
    screentest::ScreenTest::TearDown();
  }

  // A white slab 20 metres square whose top is z = 0.
  void Slab() {
    vnFEATURE_SET set;
    vnFEATURE_GROUP slab{vnMODELS_FeatureBox("Slab", 1000, 1000, 50), {}};
    vnFEATURE_INSTANCE inst;
    inst.name = "slab";
    vnFEATURE_Place(inst, 0, 0, -50);
    inst.colours = vnMODELS_FeatureColours(slab.cls, 0xFFFFFFFFu);
    slab.instances.push_back(inst);
    set.groups = {slab};
    ASSERT_TRUE(vnWRITE_FeatureFile(dir.file("terrain.ter"), set));
    void* heap = nullptr;
    SPW_BIFF_FILE* reader = SPW_BIFF_OpenFile(dir.file("terrain.ter").c_str(), &heap, SPW_BIFF_LOD_HEAP);
    ASSERT_NE(reader, nullptr);
    ASSERT_EQ(SPW_LoadFeatureObject(reader, scene.get(), &display), 1);
    SPW_BIFF_CloseFile(reader, heap);
    SGE_DLLNODE* classes = SPW_SceneFeatureList(scene.get());
    for (SPW_FEATUREOBJ* r : SGE_ListRecords<SPW_FEATUREOBJ>(classes))
      r->dwAttributes = kSolid;
    ASSERT_EQ(SPW_BuildSceneTree(scene.get()), 1);
  }

  // A black, opaque shadow texture in both the sizes the driver may look up.
  void ShadowTexture(const char* name) {
    ASSERT_TRUE(PLAT_MakeDirectory(dir.file("sprites").c_str()));
    ASSERT_TRUE(PLAT_MakeDirectory(dir.file("sprites/effects").c_str()));
    const vnPPM_IMAGE black = screentest::Image(8, 8, [](uint32_t, uint32_t) { return 0xFF000000u; });
    std::string low = name;
    low.insert(low.rfind('.'), "_l");
    ASSERT_TRUE(vnWRITE_PPMFile(dir.file(name), black));
    ASSERT_TRUE(vnWRITE_PPMFile(dir.file(low), black));
  }

  SPW_DOBJECT* Object(float x, float y, float z) {
    objects.push_back(std::make_unique<SPW_DOBJECT>());
    SPW_DOBJECT* o = objects.back().get();
    o->t.vPos = {x, y, z};
    o->pScene = scene.get();
    return o;
  }

  std::unique_ptr<SPW_SCENE> scene;
  std::vector<std::unique_ptr<SPW_DOBJECT>> objects;
  SPW_VDISPLAY view{};
  SGE_DATAREF target{};
};

TEST_F(ShadowPixelTest, AShadowFadesWithTheHeightOfItsObject) {
  Slab();
  ShadowTexture(VNSHADOW_TEXTURE_FILES[0]);
  const SPW_VECTOR light = {0.6f, 0.0f, 0.8f};
  vnShadow_Init(SPW_ObjsMem, scene.get(), &display, &light, 1, 4, 10, 20, 70);
  vnShadow_SetTexture(0, VNSHADOW_TEXTURE_FILES[0]);
  ASSERT_EQ(vnShadow_HasTexture(0), 1);
  // Three metres square, at x = -5, 0 and 5 (screen x 160, 320 and 480 at this distance).
  const uint32_t flags = VNSHADOW_FADE_HEIGHT | VNSHADOW_ALWAYS;
  const float heights[] = {0.5f, 2.5f, 3.5f};
  for (int i = 0; i < 3; ++i)
    ASSERT_NE(vnShadow_Add(0, Object(-5.0f + 5.0f * i, 0, heights[i]), flags, 1.5f, 0, 0,
                           kMaxHeight, 0, 0, nullptr),
              nullptr);

  EXPECT_EQ(vnShadow_Draw(&node, nullptr, nullptr), 1);
  EXPECT_EQ(SPW_SceneryRenderTask(&node, nullptr, nullptr), -1);
  EndFrame();

  const uint32_t low = Grey(Pixel(160, 240)), high = Grey(Pixel(320, 240)), above = Grey(Pixel(480, 240));
  // Alpha 5/6 leaves about a sixth of the white, alpha 1/6 about five sixths.
  EXPECT_NEAR(low, 255 / 6, 12) << std::hex << Pixel(160, 240);
  EXPECT_NEAR(high, 255 * 5 / 6, 12) << std::hex << Pixel(320, 240);
  EXPECT_GE(above, 250u) << std::hex << Pixel(480, 240);
  // Between the shadows the slab stays white.
  EXPECT_GE(Grey(Pixel(240, 240)), 250u) << std::hex << Pixel(240, 240);
}

// On bare ground the shadow lies on the terrain: a white, flat terrain of 48 metres square seen
// from 10 above its middle, one object half a metre over it.
TEST_F(ShadowPixelTest, AShadowDarkensTheBareTerrainUnderItsObject) {
  constexpr uint32_t kPatches = 12, kWhiteTexture = 900;
  constexpr float kMid = 24.0f;
  Texture(kWhiteTexture, 0xFFFFFFFFu, false);
  std::vector<int32_t> heights((4 * kPatches + 1) * (4 * kPatches + 1), 0);
  std::vector<uint32_t> surfaces(kPatches * kPatches, kWhiteTexture);
  SPW_TERRAINHEADER h{};
  h.nCellShift = 2;
  h.nPatchesX = h.nPatchesY = static_cast<int32_t>(kPatches);
  h.nCellSize = 100;
  h.pHeights = heights.data();
  h.dwNumHeights = static_cast<uint32_t>(heights.size());
  h.pSurfaces = surfaces.data();
  h.dwNumSurfaces = kPatches * kPatches;
  SPW_TERRAIN* t = SPW_InitTerrain(&h, nullptr, nullptr, nullptr, 0, 0, 0);
  ASSERT_NE(t, nullptr);
  scene->pTerrain = t;
  ASSERT_EQ(SPPD_InitTerrain(&display, t), SPPD_OK);
  view.mView.m[3][0] = view.mView.m[3][1] = -kMid;
  view.mCamera.m[3][0] = view.mCamera.m[3][1] = kMid;
  static const float normal[3] = {0, 0, -1}, point[3] = {0, 0, -drawtest::kNear};
  SetView(0xFF00FF00, 1, normal, point, 0, &view.mCamera.m[0][0], &view.mView.m[0][0]);

  ShadowTexture(VNSHADOW_TEXTURE_FILES[0]);
  const SPW_VECTOR light = {0.6f, 0.0f, 0.8f};
  vnShadow_Init(SPW_ObjsMem, scene.get(), &display, &light, 1, 4, 10, 20, 70);
  vnShadow_SetTexture(0, VNSHADOW_TEXTURE_FILES[0]);
  // 3 metres square, its middle 3 metres right of the eye's: screen x 416, 32 pixels a metre.
  ASSERT_NE(vnShadow_Add(0, Object(kMid + 3.0f, kMid, 0.5f), VNSHADOW_FADE_HEIGHT | VNSHADOW_ALWAYS,
                         1.5f, 0, 0, kMaxHeight, 0, 0, nullptr),
            nullptr);
  EXPECT_EQ(vnShadow_Draw(&node, nullptr, nullptr), 1);
  EXPECT_EQ(SPPD_TERRAIN_RenderTerrainDataSetup(&view, &display), SPPD_OK);
  EXPECT_EQ(SPPD_TERRAIN_RenderTerrainData(), SPPD_OK);
  EndFrame();

  EXPECT_NEAR(Grey(Pixel(416, 240)), 255 / 6, 12) << std::hex << Pixel(416, 240);
  EXPECT_GE(Grey(Pixel(320, 240)), 250u) << std::hex << Pixel(320, 240);  // beside it: bare
  EXPECT_GE(Grey(Pixel(416, 170)), 250u) << std::hex << Pixel(416, 170);
  vnShadow_Shutdown();
  SPW_ReleaseAllTessellations(scene.get());
  scene->pTerrain = nullptr;
  SPW_FreeTerrain(t);  // the pieces go back before the driver does
}

}  // namespace
