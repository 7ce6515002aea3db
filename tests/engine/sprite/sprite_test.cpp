// Sprite sets and sprites: creation, the frame walk of the sprite pass, removal, and the quads
// the display callback hands the driver.
#include "engine/sprite/sprite.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/kernel/frametime.h"
#include "engine/vdisplay/vdisplay.h"
#include "tests/engine/scenepass/scene_fixture.h"

namespace scenetest {
namespace {

using SpriteTest = SceneTest;

constexpr SPW_UV kQuarter{0.25f, 0.25f};

SPW_SPRITE* Animated(SPW_SCENE* scene, SPW_SPRITESET* set, float frame, float speed,
                     uint32_t flags) {
  SPW_SPRITE* s =
      SPW_CreateSprite(scene, set, nullptr, 1.0f, 1.0f, speed, nullptr, SPW_SPRITE_ANIMATED | flags);
  EXPECT_NE(s, nullptr);
  s->fFrame = frame;
  return s;
}

TEST_F(SpriteTest, SetsAndSpritesStartFromTheirDefaults) {
  SPW_SPRITESET* a = SPW_CreateSpriteSet(11, 1, nullptr, nullptr, nullptr, nullptr, 8.0f);
  const SPW_UV start{0.5f, 0.25f}, end{0.75f, 1.0f}, step{0.125f, 0.25f}, size{0.125f, 0.5f};
  SPW_SPRITESET* b = SPW_CreateSpriteSet(12, 1, &start, &end, &step, &size, 2.0f);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->start.u, 0.0f);
  EXPECT_EQ(a->end.v, 1.0f);
  EXPECT_EQ(a->step.u, 0.0f);
  EXPECT_EQ(a->size.u, 1.0f);
  EXPECT_EQ(SPW_FindSpriteSet(1), b) << "newest first";
  EXPECT_EQ(SPW_FindSpriteSet(2), nullptr);

  SPW_SCENE* scene = Scene();
  const uint32_t four[4] = {1, 2, 3, 4};
  const SPW_SPRITEPLACE place{1, 2, 3, 0.5f, {0, 0}, 2};
  SPW_SPRITE* one = SPW_CreateSprite(scene, b, &place, 2.0f, 3.0f, 0.5f, four, 0);
  SPW_SPRITE* all = SPW_CreateSprite(scene, b, nullptr, 2.0f, 3.0f, 0.5f, four,
                                     SPW_SPRITE_FOUR_COLOURS);
  SPW_SPRITE* white = SPW_CreateSprite(scene, a, nullptr, 2.0f, 3.0f, 0.5f, nullptr, 0);
  ASSERT_TRUE(one && all && white);
  EXPECT_EQ(std::vector<uint32_t>(one->adwColour, one->adwColour + 4),
            (std::vector<uint32_t>{1, 1, 1, 1}));
  EXPECT_EQ(std::vector<uint32_t>(all->adwColour, all->adwColour + 4),
            (std::vector<uint32_t>{1, 2, 3, 4}));
  EXPECT_EQ(white->adwColour[3], SPW_SPRITE_WHITE);
  EXPECT_EQ(one->origin.u, 0.5f);
  EXPECT_EQ(one->origin.v, 0.25f);
  EXPECT_EQ(one->place.fScale, 2.0f);
  EXPECT_EQ(one->fFrame, 0.0f);
  EXPECT_EQ(SGE_ListFirst(&scene->sprites), &white->link) << "newest first";
  EXPECT_EQ(SPW_CreateSprite(nullptr, a, nullptr, 1, 1, 1, nullptr, 0), nullptr);
  EXPECT_EQ(SPW_CreateSprite(scene, nullptr, nullptr, 1, 1, 1, nullptr, 0), nullptr);
}

TEST_F(SpriteTest, AFullSpriteBlockGivesNoSetAndNoSprite) {
  SPW_SCENE* scene = Scene();
  SPW_SPRITESET* set = SPW_CreateSpriteSet(1, 1, nullptr, nullptr, nullptr, nullptr, 1.0f);
  ASSERT_NE(set, nullptr);
  std::vector<void*> filler;
  while (void* p = SGE_MemAlloc(SPW_SpritesMem, 64)) filler.push_back(p);
  EXPECT_EQ(SPW_CreateSpriteSet(1, 2, nullptr, nullptr, nullptr, nullptr, 1.0f), nullptr);
  EXPECT_EQ(SPW_CreateSprite(scene, set, nullptr, 1, 1, 1, nullptr, 0), nullptr);
  EXPECT_EQ(SPW_FindSpriteSet(2), nullptr);
  EXPECT_TRUE(SGE_ListIsEmpty(&scene->sprites));
  for (void* p : filler) SGE_MemFree(p);
  EXPECT_NE(SPW_CreateSprite(scene, set, nullptr, 1, 1, 1, nullptr, 0), nullptr);
}

TEST_F(SpriteTest, TheFrameWalkMovesTheOriginAlongRowsAndWrapsOrStops) {
  struct Case {
    std::string name;
    float frames, frame, speed;
    uint32_t flags;
    float wantFrame, wantU, wantV;
  } cases[] = {
      {"looping wraps to the start", 8, 7.5f, 1.0f, SPW_SPRITE_LOOP, 0.5f, 0.0f, 0.0f},
      {"four along the row, then the next row", 8, 0.0f, 5.0f, 0, 5.0f, 0.25f, 0.25f},
      {"the last row returns to the first", 20, 0.0f, 16.0f, 0, 16.0f, 0.0f, 0.0f},
      {"looping past the end walks on from the start", 8, 6.0f, 5.5f, SPW_SPRITE_LOOP, 3.5f,
       0.75f, 0.0f},
      {"without looping it stops on the count", 8, 6.0f, 5.0f, 0, 8.0f, 0.75f, 0.25f},
      {"a fraction stays on the frame", 8, 0.0f, 0.5f, 0, 0.5f, 0.0f, 0.0f},
      {"a looping set without frames does not animate", 0, 1.5f, 1.0f, SPW_SPRITE_LOOP, 1.5f,
       0.0f, 0.0f},
      {"a huge step stops on the count", 8, 0.0f, 1e30f, 0, 8.0f, 0.75f, 0.25f},
  };
  SPW_SCENE* scene = Scene();
  for (const Case& c : cases) {
    SPW_SPRITESET* set = SPW_CreateSpriteSet(1, 1, nullptr, nullptr, &kQuarter, &kQuarter, c.frames);
    SPW_SPRITE* s = Animated(scene, set, c.frame, c.speed, c.flags);
    // Frames before the start are taken as walked.
    for (int i = 1; i <= static_cast<int>(c.frame) && c.frames > 0; ++i) {
      s->origin.u += 0.25f;
      if (s->origin.u + 0.25f > 1.0f) {
        s->origin.u = 0.0f;
        s->origin.v += 0.25f;
      }
    }
    SPW_SpritePass();
    EXPECT_FLOAT_EQ(s->fFrame, c.wantFrame) << c.name;
    EXPECT_FLOAT_EQ(s->origin.u, c.wantU) << c.name;
    EXPECT_FLOAT_EQ(s->origin.v, c.wantV) << c.name;
    SPW_DestroySprite(s);
  }
}

TEST_F(SpriteTest, RealTimeSpeedCountsThirtiethsOfASecond) {
  SPW_SPRITESET* set = SPW_CreateSpriteSet(1, 1, nullptr, nullptr, nullptr, nullptr, 100.0f);
  SPW_SPRITE* s = Animated(Scene(), set, 0.0f, 2.0f, SPW_SPRITE_REAL_TIME);
  SPW_SpritePass();
  EXPECT_NEAR(s->fFrame, SGE_GetFrameTime() * 2.0f * 30.0f, 1e-5f);
}

int32_t g_calls = 0;
int32_t CountAndKeep(SPW_SPRITE*, void* user) {
  ++g_calls;
  return *static_cast<int32_t*>(user);
}

TEST_F(SpriteTest, SpritesGoAtTheirEndOrWhenTheirCallbackSaysSo) {
  SPW_SCENE* scene = Scene();
  SPW_SPRITESET* set = SPW_CreateSpriteSet(1, 1, nullptr, nullptr, nullptr, nullptr, 8.0f);
  int32_t keep = 1, drop = 0;
  g_calls = 0;
  SPW_SPRITE* ending = Animated(scene, set, 7.5f, 1.0f, SPW_SPRITE_DESTROY_AT_END);
  SPW_SetSpriteUserData(ending, CountAndKeep, &keep);
  SPW_SPRITE* dropped = Animated(scene, set, 0.0f, 1.0f, 0);
  SPW_SetSpriteUserData(dropped, CountAndKeep, &drop);
  SPW_SPRITE* kept = Animated(scene, set, 6.5f, 1.0f, SPW_SPRITE_DESTROY_AT_END);
  SPW_SetSpriteUserData(kept, CountAndKeep, &keep);
  SPW_SPRITE* still = SPW_CreateSprite(scene, set, nullptr, 1, 1, 1, nullptr, 0);
  SPW_SetSpriteUserData(still, CountAndKeep, &drop);
  SPW_SpritePass();
  EXPECT_EQ(g_calls, 2) << "the ended sprite's callback is not called; the still one is not stepped";
  ASSERT_EQ(SGE_ListCount(&scene->sprites), 2);
  EXPECT_EQ(SGE_ListFirst(&scene->sprites), &still->link);
  EXPECT_EQ(SGE_ListLast(&scene->sprites), &kept->link);
  EXPECT_EQ(kept->fFrame, 7.5f);

  EXPECT_EQ(SPW_DestroyAllSprites(scene), 1);
  EXPECT_TRUE(SGE_ListIsEmpty(&scene->sprites));
  EXPECT_EQ(SPW_DestroySprite(nullptr), 0);
}

TEST_F(SpriteTest, DestroyingASetTakesItsSpritesInEveryScene) {
  SPW_SCENE* a = Scene(1);
  SPW_SCENE* b = Scene(2);
  SPW_SPRITESET* gone = SPW_CreateSpriteSet(1, 7, nullptr, nullptr, nullptr, nullptr, 1.0f);
  SPW_SPRITESET* other = SPW_CreateSpriteSet(1, 8, nullptr, nullptr, nullptr, nullptr, 1.0f);
  SPW_CreateSprite(a, gone, nullptr, 1, 1, 1, nullptr, 0);
  SPW_SPRITE* stays = SPW_CreateSprite(a, other, nullptr, 1, 1, 1, nullptr, 0);
  SPW_CreateSprite(b, gone, nullptr, 1, 1, 1, nullptr, 0);
  EXPECT_EQ(SPW_DestroySpriteSet(7), 1);
  EXPECT_EQ(SPW_DestroySpriteSet(7), 0);
  EXPECT_EQ(SPW_FindSpriteSet(7), nullptr);
  EXPECT_EQ(SGE_ListFirst(&a->sprites), &stays->link);
  EXPECT_EQ(SGE_ListCount(&a->sprites), 1);
  EXPECT_TRUE(SGE_ListIsEmpty(&b->sprites));

  SGE_MEMSTATS before{}, after{};
  SPW_CreateSpriteSet(1, 9, nullptr, nullptr, nullptr, nullptr, 1.0f);
  SGE_GetMemBlockStats(&before, SPW_SpritesMem);
  EXPECT_EQ(SPW_DestroyAllSpriteSets(), 1);
  SGE_GetMemBlockStats(&after, SPW_SpritesMem);
  EXPECT_EQ(SPW_FindSpriteSet(8), nullptr);
  EXPECT_TRUE(SGE_ListIsEmpty(&a->sprites));
  EXPECT_EQ(after.dwUsedChunks, before.dwUsedChunks - 3);
}

TEST_F(SpriteTest, ASceneHookDestroysItsSprites) {
  SPW_SCENE* scene = Scene();
  SPW_SPRITESET* set = SPW_CreateSpriteSet(1, 1, nullptr, nullptr, nullptr, nullptr, 1.0f);
  SPW_CreateSprite(scene, set, nullptr, 1, 1, 1, nullptr, 0);
  ASSERT_NE(SPW_SceneHooks.pfnDestroySprites, nullptr);
  EXPECT_EQ(SPW_SceneHooks.pfnDestroySprites(scene), 1);
  EXPECT_TRUE(SGE_ListIsEmpty(&scene->sprites));
}

// The display callback over a table that records the polygon calls.
struct Drawn {
  std::string call;
  std::vector<SPPD_VERTEX> v;
  int32_t texture;
  uint32_t clipMask;
};
std::vector<Drawn> g_drawn;
template <int Kind>
int32_t RecordDraw(SPW_DISPLAY*, const SPPD_VERTEX* v, uint32_t count, int32_t, int32_t texture,
               int32_t, uint32_t clipMask) {
  static const char* const kNames[] = {"polygon", "alpha", "additive"};
  g_drawn.push_back({kNames[Kind], std::vector<SPPD_VERTEX>(v, v + count), texture, clipMask});
  return 1;
}

class SpriteDrawTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    g_drawn.clear();
    table.SPPD_RenderFVFPolygon = RecordDraw<0>;
    table.SPPD_RenderFVFPolygonAlpha = RecordDraw<1>;
    table.SPPD_RenderFVFPolygonAdditive = RecordDraw<2>;
    display.pDriver = &driverRef;
    display.fWidth = 640;
    display.fHeight = 480;
    scene = Scene();
    view.pScene = scene;
    view.fNear = 2.0f;
    view.fTanHalfX = 1.0f;
    view.fTanHalfY = 0.75f;
    SPW_MatIdentity(&view.mView);
    view.mView.m[3][2] = -10.0f;  // the camera 10 units back along +z
    node.pDisplay = &display;
    node.pTarget = &viewRef;
    node.rect = {0, 0, 640, 480};
    vp.fWidth = 640;
    vp.fHeight = 480;
    set = SPW_CreateSpriteSet(33, 1, nullptr, nullptr, nullptr, &kQuarter, 4.0f);
  }
  SPPD_DRIVERTABLE table{};
  SGE_DATAREF driverRef{1, sizeof(SPPD_DRIVERTABLE), &table};
  SPW_DISPLAY display{};
  SPW_VDISPLAY view{};
  SGE_DATAREF viewRef{1, SPW_VDISPLAY_RECORD_SIZE, &view};
  SPW_DISPLAYNODE node{};
  SPPD_VIEWPORT vp{};
  SPW_SCENE* scene = nullptr;
  SPW_SPRITESET* set = nullptr;
};

void ExpectCorner(const SPPD_VERTEX& v, float x, float y, float z, float u, float tv,
                  const std::string& what) {
  EXPECT_NEAR(v.x, x, 1e-5f) << what;
  EXPECT_NEAR(v.y, y, 1e-5f) << what;
  EXPECT_NEAR(v.z, z, 1e-5f) << what;
  EXPECT_FLOAT_EQ(v.u, u) << what;
  EXPECT_FLOAT_EQ(v.v, tv) << what;
}

TEST_F(SpriteDrawTest, AWorldSpriteFacesTheCameraAroundItsViewPosition) {
  const SPW_SPRITEPLACE place{1, 2, 3, 0, {0, 0}, 1};
  const uint32_t colours[4] = {0x11, 0x22, 0x33, 0x44};
  SPW_CreateSprite(scene, set, &place, 0.5f, 1.5f, 0, colours,
                   SPW_SPRITE_FOUR_COLOURS | SPW_SPRITE_COLOURED);
  EXPECT_EQ(SPW_RenderSprites(&node, &vp, nullptr), 1);
  ASSERT_EQ(g_drawn.size(), 1u);
  const Drawn& d = g_drawn[0];
  EXPECT_EQ(d.call, "polygon");
  EXPECT_EQ(d.texture, 33);
  EXPECT_EQ(d.clipMask, 0xFFFFFFFFu);
  ASSERT_EQ(d.v.size(), 4u);
  ExpectCorner(d.v[0], 0.5f, 3.5f, -7.0f, 0.0f, 0.0f, "top left");
  ExpectCorner(d.v[1], 1.5f, 3.5f, -7.0f, 0.25f, 0.0f, "top right");
  ExpectCorner(d.v[2], 1.5f, 0.5f, -7.0f, 0.25f, 0.25f, "bottom right");
  ExpectCorner(d.v[3], 0.5f, 0.5f, -7.0f, 0.0f, 0.25f, "bottom left");
  for (int i = 0; i < 4; ++i) EXPECT_EQ(d.v[i].dwColour, colours[i]);
}

TEST_F(SpriteDrawTest, FlagsChooseTheDriverCallMirrorColoursAndRotation) {
  const SPW_SPRITEPLACE turned{0, 0, 0, SPW_PI / 2, {0, 0}, 1};
  const uint32_t red = 0xFFFF0000;
  SPW_CreateSprite(scene, set, nullptr, 1, 1, 0, &red, SPW_SPRITE_HIDDEN);
  SPW_CreateSprite(scene, set, &turned, 2.0f, 1.0f, 0, &red,
                   SPW_SPRITE_ALPHA | SPW_SPRITE_ADDITIVE | SPW_SPRITE_MIRROR_U);
  SPW_CreateSprite(scene, set, nullptr, 1, 1, 0, &red, SPW_SPRITE_ADDITIVE | SPW_SPRITE_MIRROR_V);
  EXPECT_EQ(SPW_RenderSprites(&node, &vp, nullptr), 1);
  ASSERT_EQ(g_drawn.size(), 2u) << "the hidden sprite is not drawn";
  const Drawn& additive = g_drawn[0];
  EXPECT_EQ(additive.call, "additive");
  EXPECT_EQ(additive.v[0].v, 0.25f) << "mirrored vertically";
  EXPECT_EQ(additive.v[0].u, 0.0f);
  EXPECT_EQ(additive.v[0].dwColour, SPW_SPRITE_WHITE) << "colours only with 0x200";
  const Drawn& alpha = g_drawn[1];
  EXPECT_EQ(alpha.call, "alpha");
  EXPECT_EQ(alpha.v[0].u, 0.25f) << "mirrored horizontally";
  // A quarter turn takes the top-left corner (-2, 1) to (-1, -2).
  ExpectCorner(alpha.v[0], -1.0f, -2.0f, -10.0f, 0.25f, 0.0f, "turned top left");

  EXPECT_EQ(SPW_RenderSprites(nullptr, &vp, nullptr), -1);
  EXPECT_EQ(SPW_RenderSprites(&node, nullptr, nullptr), -1);
}

TEST_F(SpriteDrawTest, AScreenSpriteIsSizedInPixelsAtItsDepth) {
  // One pixel is 2 near tan(half fov) / size view units at the near plane: 1/160 across.
  const SPW_SPRITEPLACE place{160, 120, -2.0f, 0, {0, 0}, 2.0f};
  SPW_CreateSprite(scene, set, &place, 10.0f, 5.0f, 0, nullptr, SPW_SPRITE_SCREEN);
  node.origin = {100, 50};
  const SPW_SPRITEPLACE atDisplay{260, 170, -2.0f, 0, {0, 0}, 2.0f};
  SPW_CreateSprite(scene, set, &atDisplay, 10.0f, 5.0f, 0, nullptr,
                   SPW_SPRITE_SCREEN | SPW_SPRITE_DISPLAY_COORDS);
  SPW_RenderSprites(&node, &vp, nullptr);
  ASSERT_EQ(g_drawn.size(), 2u);
  const float sx = 1.0f / 160.0f, sy = 1.5f / 240.0f;
  for (const Drawn& d : g_drawn) {
    ExpectCorner(d.v[0], (160 - 20) * sx, -(120 - 10) * sy, -2.0f, 0.0f, 0.0f, "top left");
    ExpectCorner(d.v[2], (160 + 20) * sx, -(120 + 10) * sy, -2.0f, 0.25f, 0.25f,
                 "bottom right");
  }
}

}  // namespace
}  // namespace scenetest
