// The shadow service: records, texture slots, the quad each frame builds (where it lies, how
// strongly it shows) and the guards against empty fade bands and a level light.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "engine/vdisplay/vdisplay.h"
#include "missions/control/vehicleshadow.h"
#include "tests/world/shadow/shadow_fixture.h"
#include "world/shadow/shadow.h"

namespace {

using shadowtest::Alpha;
using shadowtest::kGround;
using shadowtest::ShadowTest;

constexpr SPW_VECTOR kCameraAbove = {16, 16, 30};
constexpr uint32_t kNoQuad = 0x100;  // an alpha no quad can have

struct Corner {
  float x, y;
};

uint32_t AlphaOrNone(const VNSHADOW* s) { return s->pTess ? shadowtest::Alpha(s) : kNoQuad; }

TEST_F(ShadowTest, TheQuadLiesAlongTheLightAndCarriesTheSlotTextureOnTheShadowLayer) {
  Ground();
  vnShadow_SetTexture(3, VNSHADOW_TEXTURE_FILES[3]);
  SPW_DOBJECT* o = Object(16, 16, kGround + 0.5f);
  // Light along +x at 45 degrees: its slant 1 / sin 45 = sqrt 2. Size 2, offset 0.5.
  struct Case {
    uint32_t flags;
    float centreX;  // the centre's y stays 16
    float along;    // half-length along the light
  } cases[] = {
      {0, 17.0f, 2.0f},
      {VNSHADOW_SLANT, 16.0f - std::sqrt(2.0f), -2.0f * std::sqrt(2.0f)},
      {VNSHADOW_SHIFT, 17.5f, 2.0f},  // moved on by the height above the ground
  };
  for (const Case& c : cases) {
    VNSHADOW* s = vnShadow_Add(3, o, c.flags, 2.0f, 0.5f, 0, 0, 0, 0, nullptr);
    ASSERT_NE(s, nullptr);
    vnShadow_Update(&kCameraAbove);
    ASSERT_NE(s->pTess, nullptr) << c.flags;
    const SPW_TESS& t = *s->pTess;
    ASSERT_EQ(t.dwNumPoints, 4u);
    const Corner want[4] = {{c.centreX - c.along, 14}, {c.centreX + c.along, 14},
                            {c.centreX + c.along, 18}, {c.centreX - c.along, 18}};
    const float uv[4][2] = {{1, 1}, {1, 0}, {0, 0}, {0, 1}};
    for (int i = 0; i < 4; ++i) {
      EXPECT_NEAR(t.pPoints[i].x, want[i].x, 1e-4f) << c.flags << " corner " << i;
      EXPECT_NEAR(t.pPoints[i].y, want[i].y, 1e-4f) << c.flags << " corner " << i;
      EXPECT_FLOAT_EQ(t.pPoints[i].z, kGround + 0.5f);
      EXPECT_EQ(t.pPoints[i].u, uv[i][0]);
      EXPECT_EQ(t.pPoints[i].v, uv[i][1]);
      EXPECT_EQ(t.pPoints[i].dwColour, 0xFFFFFFFFu);
    }
    EXPECT_EQ(t.nKind, 2);
    EXPECT_EQ(t.nTexture, g_fake.ids.at(VNSHADOW_TEXTURE_FILES[3]));
    EXPECT_EQ(t.fHeightTolerance, 3.0f);
    EXPECT_EQ(t.dwItemLimit, 10u);
    EXPECT_EQ(t.dwCollideMask, 1u);
    vnShadow_Remove(s);
  }
}

TEST_F(ShadowTest, AShadowFadesWithHeightAndVanishesAboveTheMaximum) {
  Ground();
  // Heights 1 to 3 above the ground: whole at 1 or lower, half at 2, gone at 3 and above.
  struct Case {
    float height;
    uint32_t alpha;
  } cases[] = {{-1, 255}, {0, 255}, {0.5f, 255}, {1, 255}, {2, 127}, {2.5f, 63}, {3, kNoQuad}, {4, kNoQuad}};
  for (const Case& c : cases) {
    VNSHADOW* s = Add(Object(16, 16, kGround + c.height), VNSHADOW_FADE_HEIGHT, 1, 0, 1, 3);
    vnShadow_Update(&kCameraAbove);
    EXPECT_EQ(AlphaOrNone(s), c.alpha) << c.height;
    vnShadow_Remove(s);
  }
}

TEST_F(ShadowTest, AShadowFadesWithCameraDistanceAndVanishesAtTheOuterRadius) {
  Ground();
  struct Case {
    float distance;
    uint32_t alpha;
  } cases[] = {{0, 255}, {5, 255}, {10, 255}, {15, 148}, {19.9f, 3}, {20, kNoQuad}, {25, kNoQuad}};
  VNSHADOW* s = Add(Object(16, 16, kGround), VNSHADOW_FADE_DISTANCE, 1, 0, 0, 0, 10, 20);
  for (const Case& c : cases) {
    const SPW_VECTOR camera = {16, 16 + c.distance, kGround};
    vnShadow_Update(&camera);
    EXPECT_EQ(AlphaOrNone(s), c.alpha) << c.distance;
  }
}

TEST_F(ShadowTest, EqualOrCrossedHeightsMakeAStepAtTheMaximumInsteadOfDividingByZero) {
  Ground();
  struct Case {
    float minHeight, maxHeight, height;
    uint32_t alpha;
  } cases[] = {{3, 3, 2, 255}, {3, 3, 3, 255}, {3, 3, 3.5f, kNoQuad},
               {5, 3, 2, 255}, {5, 3, 4, kNoQuad}};
  for (const Case& c : cases) {
    VNSHADOW* s = Add(Object(16, 16, kGround + c.height), VNSHADOW_FADE_HEIGHT, 1, 0,
                      c.minHeight, c.maxHeight);
    EXPECT_TRUE(std::isfinite(s->fFade)) << c.minHeight << "/" << c.maxHeight;
    vnShadow_Update(&kCameraAbove);
    EXPECT_EQ(AlphaOrNone(s), c.alpha) << c.minHeight << "/" << c.maxHeight << " at " << c.height;
    vnShadow_Remove(s);
  }
}

TEST_F(ShadowTest, EqualOrCrossedRadiiShowTheShadowWholeOutToTheOuterRadius) {
  Ground();
  struct Case {
    float inner, outer, distance;
    uint32_t alpha;
  } cases[] = {{10, 10, 0, 255}, {10, 10, 9.9f, 255}, {10, 10, 10, kNoQuad},
               {20, 10, 9.9f, 255}, {20, 10, 15, kNoQuad}};
  for (const Case& c : cases) {
    VNSHADOW* s = Add(Object(16, 16, kGround), VNSHADOW_FADE_DISTANCE | VNSHADOW_FADE_HEIGHT, 1,
                      0, 0, 4, c.inner, c.outer);
    EXPECT_TRUE(std::isfinite(s->fFade)) << c.inner << "/" << c.outer;
    const SPW_VECTOR camera = {16 + c.distance, 16, kGround};
    vnShadow_Update(&camera);
    EXPECT_EQ(AlphaOrNone(s), c.alpha) << c.inner << "/" << c.outer << " at " << c.distance;
    vnShadow_Remove(s);
  }
}

// Corners as the quad's extent along and across the ground light.
struct Extent {
  float along, across;
};
Extent QuadExtent(const SPW_TESS& t) {
  const float ax = t.pPoints[1].x - t.pPoints[0].x, ay = t.pPoints[1].y - t.pPoints[0].y;
  const float bx = t.pPoints[2].x - t.pPoints[1].x, by = t.pPoints[2].y - t.pPoints[1].y;
  return {std::hypot(ax, ay), std::hypot(bx, by)};
}

TEST_F(ShadowTest, ALevelLightStretchesTheShadowAFiniteLength) {
  Ground();
  for (const SPW_VECTOR& light : {SPW_VECTOR{1, 0, 0}, SPW_VECTOR{0, -1, 0.0001f}, SPW_VECTOR{1, 1, -0.0f}}) {
    Init(light);
    VNSHADOW* s = Add(Object(16, 16, kGround), VNSHADOW_SLANT, 1.5f, 1.0f);
    vnShadow_Update(&kCameraAbove);
    ASSERT_NE(s->pTess, nullptr);
    for (uint32_t i = 0; i < 4; ++i) {
      EXPECT_TRUE(std::isfinite(s->pTess->pPoints[i].x) && std::isfinite(s->pTess->pPoints[i].y))
          << light.x << "," << light.y << "," << light.z;
    }
    const Extent e = QuadExtent(*s->pTess);
    EXPECT_NEAR(e.along, 2 * 1.5f * 10, 1e-3f);  // stretched ten times at most
    EXPECT_NEAR(e.across, 2 * 1.5f, 1e-4f);
    vnShadow_Remove(s);
  }
}

TEST_F(ShadowTest, ALightStraightOverheadStillGivesAWholeQuad) {
  Ground();
  Init({0, 0, 1});
  VNSHADOW* s = Add(Object(16, 16, kGround), VNSHADOW_SLANT, 2.0f);
  vnShadow_Update(&kCameraAbove);
  ASSERT_NE(s->pTess, nullptr);
  const Extent e = QuadExtent(*s->pTess);
  EXPECT_NEAR(e.along, 4.0f, 1e-4f);
  EXPECT_NEAR(e.across, 4.0f, 1e-4f);
  // The facing still turns the texture.
  const SPW_VECTOR east = {1, 0, 0};
  vnShadow_SetFacing(s, &east);
  EXPECT_FLOAT_EQ(std::hypot(s->rotation.fCos, s->rotation.fSin), 1.0f);
}

TEST_F(ShadowTest, TheRayMeasuresTheHeightToWhatLiesBeneath) {
  // A crate one metre tall under the object: 2.5 above the ground, 1.5 above the crate.
  Ground({{16, 16, 0.5f}});
  SPW_DOBJECT* o = Object(16, 16, kGround + 2.5f);
  VNSHADOW* plain = Add(o, VNSHADOW_FADE_HEIGHT, 1, 0, 0, 3);
  vnShadow_Update(&kCameraAbove);
  EXPECT_EQ(Alpha(plain), 42u);  // (3 - 2.5) / 3
  vnShadow_Remove(plain);
  VNSHADOW* ray = Add(o, VNSHADOW_FADE_HEIGHT | VNSHADOW_RAY, 1, 0, 0, 3);
  vnShadow_Update(&kCameraAbove);
  EXPECT_EQ(Alpha(ray), 127u);  // (3 - 1.5) / 3
  // Beside the crate the ray finds nothing before the ground.
  o->t.vPos.x = 25;
  vnShadow_Update(&kCameraAbove);
  EXPECT_EQ(Alpha(ray), 42u);
}

TEST_F(ShadowTest, OnlyObjectsInViewOrMarkedAlwaysGetAQuad) {
  Ground();
  SPW_DOBJECT* o = Object(16, 16, kGround);
  o->fFlags = 0;
  VNSHADOW* hidden = Add(o, 0);
  VNSHADOW* always = Add(o, VNSHADOW_ALWAYS);
  vnShadow_Update(&kCameraAbove);
  EXPECT_EQ(hidden->pTess, nullptr);
  EXPECT_NE(always->pTess, nullptr);
  EXPECT_TRUE(hidden->fFlags & VNSHADOW_BUILT);
  o->fFlags = SPW_DOBJ_IN_VIEW;
  vnShadow_Update(&kCameraAbove);
  EXPECT_NE(hidden->pTess, nullptr);
}

TEST_F(ShadowTest, AStaticShadowKeepsItsFirstQuadWhileItsObjectMoves) {
  Ground();
  SPW_DOBJECT* o = Object(16, 16, kGround);
  VNSHADOW* fixed = Add(o, VNSHADOW_STATIC);
  VNSHADOW* moving = Add(o, 0);
  vnShadow_Update(&kCameraAbove);
  const SPW_TESS* first = fixed->pTess;
  ASSERT_NE(first, nullptr);
  const float x0 = first->pPoints[0].x, movingX0 = moving->pTess->pPoints[0].x;
  o->t.vPos.x += 5;
  vnShadow_Update(&kCameraAbove);
  EXPECT_EQ(fixed->pTess, first);
  EXPECT_EQ(fixed->pTess->pPoints[0].x, x0);
  EXPECT_NEAR(moving->pTess->pPoints[0].x, movingX0 + 5, 1e-4f);
  // Only the moving one was rebuilt: one quad each is live.
  EXPECT_EQ(SGE_ListCount(&scene->tessLive), 2);
}

TEST_F(ShadowTest, TheFlaggedValuesComeFromTheDefaultsAndTheFadeIsComputedOnAdding) {
  SPW_DOBJECT* o = Object(0, 0, 0);
  VNSHADOW* s = vnShadow_Add(1, o,
                             VNSHADOW_DEFAULT_MIN | VNSHADOW_DEFAULT_MAX | VNSHADOW_DEFAULT_INNER |
                                 VNSHADOW_DEFAULT_OUTER | VNSHADOW_FADE_HEIGHT | VNSHADOW_FADE_DISTANCE |
                                 VNSHADOW_BUILT,
                             2, 0.1f, 100, 200, 300, 400, nullptr);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->fMinHeight, VNSHADOW_DEFAULT_MIN_HEIGHT);
  EXPECT_EQ(s->fMaxHeight, VNSHADOW_DEFAULT_MAX_HEIGHT);
  EXPECT_EQ(s->fInnerRadius, VNSHADOW_DEFAULT_INNER_RADIUS);
  EXPECT_EQ(s->fOuterRadius, VNSHADOW_DEFAULT_OUTER_RADIUS);
  EXPECT_FLOAT_EQ(s->fFade, 1.0f / (6.0f * (4900.0f - 400.0f)));
  EXPECT_FALSE(s->fFlags & VNSHADOW_BUILT);
  EXPECT_EQ(s->rotation.fCos, 0.0f);
  EXPECT_EQ(s->rotation.fSin, -1.0f);
  const VNSHADOW_ROTATION turned = {0.6f, 0.8f};
  VNSHADOW* own = vnShadow_Add(1, o, 0, 2, 0, 100, 200, 300, 400, &turned);
  EXPECT_EQ(own->fMinHeight, 100.0f);
  EXPECT_EQ(own->fOuterRadius, 400.0f);
  EXPECT_EQ(own->fFade, 1.0f);
  EXPECT_EQ(own->rotation.fSin, 0.8f);
}

TEST_F(ShadowTest, ARemovedRecordIsFoundNoMoreAndIsReusedOnce) {
  SPW_DOBJECT* a = Object(0, 0, 0);
  SPW_DOBJECT* b = Object(1, 0, 0);
  VNSHADOW* sa = Add(a, 0);
  VNSHADOW* sb = Add(b, 0);
  EXPECT_EQ(vnShadow_Find(a), sa);
  EXPECT_EQ(vnShadow_Find(b), sb);
  EXPECT_EQ(vnShadow_Find(nullptr), nullptr);
  vnShadow_Remove(sa);
  EXPECT_EQ(sa->nTexture, -1);
  EXPECT_EQ(vnShadow_Find(a), nullptr);
  vnShadow_Remove(sa);  // twice: still one free record
  vnShadow_Remove(nullptr);
  EXPECT_EQ(Add(b, 0), sa);
  VNSHADOW* fresh = Add(a, 0);
  EXPECT_NE(fresh, sa);
  EXPECT_NE(fresh, sb);
}

TEST_F(ShadowTest, WhenTheBlockIsFullTheObjectGoesWithoutAShadow) {
  alignas(16) static uint8_t memory[1024];
  SGE_MEMBLOCK* block = SGE_FormatMemBlock(memory, sizeof memory, "ShadowTest");
  ASSERT_NE(block, nullptr);
  const SPW_VECTOR light = shadowtest::kSlantLight;
  vnShadow_Init(block, scene.get(), &display, &light, 1, 4, 10, 20, 70);
  SPW_DOBJECT* o = Object(0, 0, 0);
  VNSHADOW* last = nullptr;
  int added = 0;
  for (; added < 100; ++added) {
    VNSHADOW* s = Add(o, 0);
    if (!s) break;
    last = s;
  }
  ASSERT_LT(added, 100);
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(Add(o, 0), nullptr);
  vnShadow_Remove(last);
  EXPECT_EQ(Add(o, 0), last);
  vnShadow_Shutdown();
  SGE_ReleaseMemBlock(block);
}

TEST_F(ShadowTest, TextureSlotsAskTheDriverAndIgnoreSlotsOutsideTheTen) {
  for (int32_t slot = 0; slot < VNSHADOW_NUM_TEXTURES; ++slot)
    vnShadow_SetTexture(slot, VNSHADOW_TEXTURE_FILES[slot]);
  EXPECT_EQ(g_fake.ids.size(), 10u);
  for (int32_t slot = 0; slot < VNSHADOW_NUM_TEXTURES; ++slot) EXPECT_EQ(vnShadow_HasTexture(slot), 1);
  for (int32_t slot : {-1, 10, 1783}) {
    vnShadow_SetTexture(slot, "sprites/effects/other.ppm");
    EXPECT_EQ(vnShadow_HasTexture(slot), 0) << slot;
    vnShadow_ClearTexture(slot);
  }
  EXPECT_EQ(g_fake.ids.count("sprites/effects/other.ppm"), 0u);
  vnShadow_ClearTexture(4);
  EXPECT_EQ(vnShadow_HasTexture(4), 0);
  // A long name is cut to the slot's 255 characters.
  const std::string longName(400, 'x');
  vnShadow_SetTexture(5, longName.c_str());
  EXPECT_EQ(g_fake.ids.count(std::string(255, 'x')), 1u);
  vnShadow_Shutdown();
  for (int32_t slot = 0; slot < VNSHADOW_NUM_TEXTURES; ++slot) EXPECT_EQ(vnShadow_HasTexture(slot), 0);
}

TEST_F(ShadowTest, ASlotWithoutATextureDrawsUntextured) {
  Ground();
  vnShadow_SetTexture(2, VNSHADOW_TEXTURE_FILES[2]);
  SPW_DOBJECT* o = Object(16, 16, kGround);
  VNSHADOW* cleared = vnShadow_Add(4, o, 0, 1, 0, 0, 0, 0, 0, nullptr);
  VNSHADOW* outside = vnShadow_Add(1783, o, 0, 1, 0, 0, 0, 0, 0, nullptr);
  VNSHADOW* set = vnShadow_Add(2, o, 0, 1, 0, 0, 0, 0, 0, nullptr);
  vnShadow_Update(&kCameraAbove);
  EXPECT_EQ(cleared->pTess->nTexture, 0);
  EXPECT_EQ(outside->pTess->nTexture, 0);
  EXPECT_NE(set->pTess->nTexture, 0);
}

TEST_F(ShadowTest, ShutdownReleasesEveryQuadAndRecord) {
  Ground();
  SPW_DOBJECT* o = Object(16, 16, kGround);
  Add(o, 0);
  Add(Object(10, 10, kGround), 0);
  vnShadow_Update(&kCameraAbove);
  EXPECT_EQ(SGE_ListCount(&scene->tessLive), 2);
  vnShadow_Shutdown();
  EXPECT_EQ(SGE_ListCount(&scene->tessLive), 0);
  EXPECT_EQ(vnShadow_Find(o), nullptr);
  vnShadow_Update(&kCameraAbove);
  EXPECT_EQ(SGE_ListCount(&scene->tessLive), 0);
}

TEST_F(ShadowTest, TheFacingTurnsTheTextureAgainstTheLight) {
  Ground();
  SPW_DOBJECT* o = Object(16, 16, kGround);
  VNSHADOW* s = Add(o, VNSHADOW_ROTATE);
  // Light along +x; facing -y gives cosine 1, sine 0.
  struct Case {
    SPW_VECTOR direction;
    float cosine, sine;
  } cases[] = {{{0, -1, 0}, 1, 0}, {{0, -3, 4}, 1, 0}, {{1, 0, 0}, 0, -1}, {{0, 0, 1}, 0, -1}};
  for (const Case& c : cases) {
    vnShadow_SetFacing(s, &c.direction);
    EXPECT_NEAR(s->rotation.fCos, c.cosine, 1e-6f) << c.direction.x << "," << c.direction.y;
    EXPECT_NEAR(s->rotation.fSin, c.sine, 1e-6f) << c.direction.x << "," << c.direction.y;
  }
  vnShadow_SetFacing(s, &cases[0].direction);
  vnShadow_Update(&kCameraAbove);
  const float k = 0.5f - 0.3535534f, K = 0.5f + 0.3535534f;
  const float uv[4][2] = {{k, k}, {K, k}, {K, K}, {k, K}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(s->pTess->pPoints[i].u, uv[i][0], 1e-6f) << i;
    EXPECT_NEAR(s->pTess->pPoints[i].v, uv[i][1], 1e-6f) << i;
  }
}

TEST_F(ShadowTest, TheDrawCallbackFadesByTheViewsCameraAndNeedsAView) {
  Ground();
  VNSHADOW* s = Add(Object(16, 16, kGround), VNSHADOW_FADE_DISTANCE, 1, 0, 0, 0, 10, 20);
  SPW_DISPLAYNODE bare{};
  EXPECT_EQ(vnShadow_Draw(&bare, nullptr, nullptr), -1);
  EXPECT_EQ(vnShadow_Draw(nullptr, nullptr, nullptr), -1);
  SPW_VDISPLAY view{};
  SPW_MatIdentity(&view.mCamera);
  SGE_DATAREF target{1, SPW_VDISPLAY_RECORD_SIZE, &view};
  SPW_DISPLAYNODE node{};
  node.pTarget = &target;
  view.mCamera.m[3][0] = 16;
  view.mCamera.m[3][1] = 16 + 50;
  view.mCamera.m[3][2] = kGround;
  EXPECT_EQ(vnShadow_Draw(&node, nullptr, nullptr), 1);
  EXPECT_EQ(s->pTess, nullptr);
  view.mCamera.m[3][1] = 16 + 5;
  EXPECT_EQ(vnShadow_Draw(&node, nullptr, nullptr), 1);
  EXPECT_NE(s->pTess, nullptr);
}

TEST_F(ShadowTest, AVehicleShadowTurnsWithTheVehicle) {
  SPW_DOBJECT* o = Object(16, 16, kGround);
  VNSHADOW* s = Add(o, VNSHADOW_ROTATE);
  // A quarter turn about z: forward (0, -1, 0) becomes (1, 0, 0).
  const float h = std::sqrt(0.5f);
  o->t.qRot = {0, 0, h, h};
  vnSS_UpdateVehicleShadow(o, s);
  EXPECT_NEAR(s->rotation.fCos, 0, 1e-5f);
  EXPECT_NEAR(s->rotation.fSin, -1, 1e-5f);
  // Pointing straight down leaves the shadow as it was.
  o->t.qRot = {h, 0, 0, h};
  s->rotation = {0.6f, 0.8f};
  vnSS_UpdateVehicleShadow(o, s);
  EXPECT_EQ(s->rotation.fCos, 0.6f);
  vnSS_UpdateVehicleShadow(nullptr, s);
  vnSS_UpdateVehicleShadow(o, nullptr);
}

}  // namespace
