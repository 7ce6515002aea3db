// A virtual display drawn by the render pass through the driver's own code: its callbacks set
// the view, clear, and its sprite callback draws a scene's sprite, read back as pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "engine/dobject/dobject.h"
#include "engine/memory/memblock.h"
#include "engine/object/object.h"
#include "engine/scene/scene.h"
#include "platform/files.h"
#include "engine/sprite/sprite.h"
#include "engine/vdisplay/vdisplay.h"
#include "tests/driver/batch/draw_fixture.h"
#include "tests/engine/scenepass/scene_fixture.h"
#include "tools/models/models.h"
#include "tools/writers/pow_writer.h"

namespace {

using drawtest::Near;

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlack = 0xFF000000;

class ViewPixelsTest : public drawtest::DrawTest {
 protected:
  void SetUp() override {
    scenetest::StartScenes();
    if (HasFatalFailure()) return;
    drawtest::DrawTest::SetUp();
    if (HasFatalFailure()) return;
    JoinRenderPass();
  }
  void TearDown() override {
    if (view) SPW_DestroyVDisplay(view);
    SGE_ListUnlink(&display.link.link);
    drawtest::DrawTest::TearDown();
    scenetest::StopScenes();
  }

  // A texture of two frames side by side: red, then green.
  int32_t TwoFrameTexture() {
    vnPPM_IMAGE image;
    image.kind = 6;
    image.width = 8;
    image.height = 4;
    for (uint32_t y = 0; y < image.height; ++y)
      for (uint32_t x = 0; x < image.width; ++x)
        image.pixels.insert(image.pixels.end(),
                            {static_cast<uint8_t>(x < 4 ? 255 : 0),
                             static_cast<uint8_t>(x < 4 ? 0 : 255), 0});
    EXPECT_TRUE(vnWRITE_PPMFile(dir.file("frames.ppm"), image));
    int32_t id = -1;
    EXPECT_EQ(SPPD_TextureGetID(&display, "frames.ppm", &id, 1), SPPD_OK);
    return id;
  }

  void NextFrame() {
    ASSERT_EQ(SPPD_BeginScene(&display), SPPD_OK);
    SPW_RenderDisplays();
    EndFrame();
  }

  // A view of the whole display, 90 degrees across and 2 atan 0.75 down: 320 pixels per unit
  // of x / -z and of y / -z, cleared to black.
  SPW_DISPLAYNODE* MakeView(SPW_SCENE* scene, SPW_DOBJECT* camera) {
    const SPW_RECT rect{0, 0, 640, 480};
    SPW_DISPLAYNODE* node = SPW_CreateVDisplay(
        &display, scene, camera, nullptr, 6, &rect, nullptr, 0, 0,
        SPW_NODE_CLEAR_TARGET | SPW_NODE_CLEAR_DEPTH, nullptr, 1.0f, 100.0f, 0, 0, 0,
        SPW_PI / 2, 2 * std::atan(0.75f), 0);
    EXPECT_NE(node, nullptr);
    if (node) SPW_SetDisplayNodeColour(node, kBlack);
    return node;
  }

  SPW_DISPLAYNODE* view = nullptr;
};

TEST_F(ViewPixelsTest, AViewDrawsItsScenesSpriteAndItsNextFrameAfterTheSpritePass) {
  SPW_SCENE* scene = scenetest::MakeScene();
  view = MakeView(scene, nullptr);
  ASSERT_NE(view, nullptr);
  ASSERT_NE(SPW_AddDisplayNode(view, SPW_RenderSprites, SPW_SPRITE_RENDER_PRIORITY, nullptr),
            nullptr);

  const SPW_UV step{0.5f, 0.0f}, size{0.5f, 1.0f};
  SPW_SPRITESET* set = SPW_CreateSpriteSet(TwoFrameTexture(), 1, nullptr, nullptr, &step, &size, 2);
  ASSERT_NE(set, nullptr);
  // Two units either way at ten units ahead: 64 pixels either way of the centre.
  const SPW_SPRITEPLACE place{0, 0, -10, 0, {0, 0}, 1};
  ASSERT_NE(SPW_CreateSprite(scene, set, &place, 2, 2, 1.0f, nullptr,
                             SPW_SPRITE_ANIMATED | SPW_SPRITE_LOOP),
            nullptr);

  EndFrame();  // the fixture's own frame
  NextFrame();
  // Inside points keep clear of the edges, where the filter blends in the neighbouring frame.
  const struct {
    int x, y;
    uint32_t colour;
  } points[] = {{320, 240, kRed},   {290, 200, kRed},   {350, 290, kRed},   {250, 240, kBlack},
                {390, 240, kBlack}, {320, 170, kBlack}, {320, 310, kBlack}};
  for (const auto& p : points) EXPECT_TRUE(Near(Pixel(p.x, p.y), p.colour)) << p.x << "," << p.y;

  SPW_SpritePass();
  NextFrame();
  EXPECT_TRUE(Near(Pixel(320, 240), kGreen));
  EXPECT_TRUE(Near(Pixel(250, 240), kBlack));
}

TEST_F(ViewPixelsTest, AViewThroughItsCameraDrawsTheScenesObjects) {
  SPW_SCENE* scene = SPW_CreateScene(0, 1.0f, 0, 0);
  ASSERT_NE(scene, nullptr);
  // A crate one unit a side in white, lit by the scene's ambient grey alone.
  vnPPM_IMAGE white;
  white.width = white.height = 4;
  white.pixels.assign(4 * 4 * 3, 255);
  PLAT_MakeDirectory("sprites");
  PLAT_MakeDirectory("sprites/editor");
  ASSERT_TRUE(vnWRITE_PPMFile(dir.file("sprites/editor/ball.ppm"), white));
  ASSERT_TRUE(vnWRITE_POW("Cube.pow", vnMODELS_Cube()));
  int32_t slot = -1;
  ASSERT_EQ(SPW_LoadObjectFile("Cube.pow", &display, &slot, 1.0f, 0), 1);

  // The camera 5 units along +z looks down -z; the crate lies 5 units beyond the origin, and
  // its near face 9.5 units from the eye covers 320 / 9.5 x 0.5 = 16.8 pixels either way.
  const SPW_TRANSFORM atCamera{{0, 0, 5}, {0, 0, 0, 1}, 1};
  const SPW_TRANSFORM atCrate{{0, 0, -5}, {0, 0, 0, 1}, 1};
  SPW_DOBJECT* camera = SPW_CreateDynamicObject(scene, SPW_CAMERA_TYPE, nullptr, 0, &atCamera, 0);
  SPW_DOBJECT* crate = SPW_CreateDynamicObject(scene, slot, nullptr, 0, &atCrate, 0);
  ASSERT_TRUE(camera && crate);
  view = MakeView(scene, camera);
  ASSERT_NE(view, nullptr);
  ASSERT_NE(SPW_AddDisplayNode(view, SPW_DObjectRenderTask, SPW_DOBJRENDER_PRIORITY, nullptr),
            nullptr);

  EndFrame();
  NextFrame();
  const uint32_t grey = 0xFF505050;
  EXPECT_TRUE(Near(Pixel(320, 240), grey, 6));
  EXPECT_TRUE(Near(Pixel(306, 226), grey, 6));
  EXPECT_TRUE(Near(Pixel(300, 240), kBlack));
  EXPECT_TRUE(Near(Pixel(340, 240), kBlack));

  // The camera steps 2 units right: the crate is seen 2 / 10 x 320 = 64 pixels to the left.
  camera->t.vPos.x = 2;
  NextFrame();
  EXPECT_TRUE(Near(Pixel(320, 240), kBlack));
  EXPECT_TRUE(Near(Pixel(256, 240), grey, 6));
  SPW_DestroyVDisplay(view);
  view = nullptr;
  SPW_DestroyScene(scene);
}

}  // namespace
