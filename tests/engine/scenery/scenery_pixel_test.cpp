// The scenery drawn through the driver's own code into an offscreen device: a crate read from a
// terrain file stands in front of the sky, which fills the view above the horizon.
#include <gtest/gtest.h>

#include <memory>

#include "engine/biff/biff.h"
#include "engine/collide/collide.h"
#include "engine/feature/feature.h"
#include "engine/scene/scene.h"
#include "engine/scenery/scenery.h"
#include "engine/vdisplay/vdisplay.h"
#include "tests/engine/quad/screen_fixture.h"
#include "tools/models/features.h"
#include "tools/writers/feature_writer.h"

namespace {

constexpr uint32_t kRed = 0xFFFF0000u, kWhite = 0xFFFFFFFFu, kBlack = 0xFF000000u;

bool Near(uint32_t a, uint32_t b) {
  for (int s = 0; s < 24; s += 8)
    if (std::abs(static_cast<int>((a >> s) & 0xFF) - static_cast<int>((b >> s) & 0xFF)) > 8) return false;
  return true;
}

class SceneryPixelTest : public screentest::ScreenTest {
 protected:
  void SetUp() override {
    screentest::ScreenTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_EQ(SPW_ResetFeatureObjects(), 1);
    scene = std::make_unique<SPW_SCENE>();
    SGE_ListInit(SPW_SceneFeatureList(scene.get()));
    SGE_ListInit(&scene->lights);
    // The camera at the origin looking along +y with z up: view (x, z, -y).
    view.pScene = scene.get();
    SPW_MatIdentity(&view.mView);
    view.mView.m[1][1] = 0;
    view.mView.m[2][2] = 0;
    view.mView.m[2][1] = 1;
    view.mView.m[1][2] = -1;
    SPW_MatIdentity(&view.mCamera);
    view.mCamera.m[1][1] = 0;
    view.mCamera.m[2][2] = 0;
    view.mCamera.m[1][2] = 1;
    view.mCamera.m[2][1] = -1;
    view.fTanHalfY = 0.75f;
    target = {1, SPW_VDISPLAY_RECORD_SIZE, &view};
    node.pTarget = &target;
    // The near plane, in view space; the driver takes it to world space with the camera.
    static const float normal[3] = {0, 0, -1}, point[3] = {0, 0, -drawtest::kNear};
    SetView(0xFF00FF00, 1, normal, point, 0, &view.mCamera.m[0][0], &view.mView.m[0][0]);
  }
  void TearDown() override {
    SPW_FeatureObjects = nullptr;
    screentest::ScreenTest::TearDown();
  }

  std::unique_ptr<SPW_SCENE> scene;
  SPW_VDISPLAY view{};
  SGE_DATAREF target{};
};

TEST_F(SceneryPixelTest, TheCrateStandsInFrontOfTheSkyAboveTheHorizon) {
  vnFEATURE_SET set;
  vnFEATURE_GROUP crate{vnMODELS_FeatureBox("Crate", 50, 50, 50), {}};
  vnFEATURE_INSTANCE inst;
  inst.name = "crate";
  vnFEATURE_Place(inst, 0, 500, 0);
  inst.colours = vnMODELS_FeatureColours(crate.cls, kRed);
  crate.instances.push_back(inst);
  vnFEATURE_GROUP sky{vnMODELS_FeatureSky(5000), {}};
  vnFEATURE_INSTANCE dome;
  dome.name = "sky";
  sky.instances.push_back(dome);
  set.groups = {crate, sky};
  ASSERT_TRUE(vnWRITE_FeatureFile(dir.file("terrain.ter"), set));
  void* heap = nullptr;
  SPW_BIFF_FILE* reader = SPW_BIFF_OpenFile(dir.file("terrain.ter").c_str(), &heap, SPW_BIFF_LOD_HEAP);
  ASSERT_NE(reader, nullptr);
  ASSERT_EQ(SPW_LoadFeatureObject(reader, scene.get(), &display), 1);
  SPW_BIFF_CloseFile(reader, heap);
  ASSERT_EQ(SPW_BuildSceneTree(scene.get()), 1);

  EXPECT_EQ(SPW_SceneryRenderTask(&node, nullptr, nullptr), -1);
  EXPECT_EQ(SPW_GetSceneryDrawCount(), 1u);
  EndFrame();
  EXPECT_TRUE(Near(Pixel(320, 240), kRed)) << std::hex << Pixel(320, 240);
  EXPECT_TRUE(Near(Pixel(320, 60), kWhite)) << std::hex << Pixel(320, 60);
  EXPECT_TRUE(Near(Pixel(40, 200), kWhite)) << std::hex << Pixel(40, 200);
  EXPECT_TRUE(Near(Pixel(320, 420), kBlack)) << std::hex << Pixel(320, 420);
}

}  // namespace
