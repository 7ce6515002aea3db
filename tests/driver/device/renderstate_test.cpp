#include <cstring>

#include "driver/device/renderstate.h"
#include "engine/scene/scene.h"
#include "engine/vdisplay/vdisplay.h"
#include "platform/bytes.h"
#include "tests/driver/gldev_fixture.h"

namespace {

class RenderState : public ::testing::Test {
 protected:
  void SetUp() override { SPPD_ResetRenderState(); }
  void TearDown() override { SPPD_ResetRenderState(); }
  static SPPD_RENDERSTATE Current() {
    SPPD_RENDERSTATE rs{};
    EXPECT_EQ(SPPD_GetRenderState(&rs), SPPD_OK);
    return rs;
  }
};

TEST_F(RenderState, ModePairsClearTheirPartner) {
  SPPD_RENDERSTATE in{};
  in.dwMask = 0x4000;
  in.dwColour = 0x11223344;
  SPPD_SetRenderState(nullptr, &in);
  in.dwMask = 0x10000;
  SPPD_SetRenderState(nullptr, &in);
  EXPECT_EQ(Current().dwMask & 0x14000, 0x10000u);
  EXPECT_EQ(SPPD_CurrentRenderState()->dwConstRGB, 0xFFFFFFu);
  in.dwMask = 0x40000;
  SPPD_SetRenderState(nullptr, &in);
  in.dwMask = 0x80000;
  SPPD_SetRenderState(nullptr, &in);
  EXPECT_EQ(Current().dwMask & 0xC0000, 0x80000u);
}

TEST_F(RenderState, ColourPartsAndConstantColour) {
  SPPD_RENDERSTATE in{};
  in.dwMask = 0x800 | 0x4000 | 0x8000;
  in.dwColour = 0x80AABBCC;
  SPPD_SetRenderState(nullptr, &in);
  EXPECT_EQ(Current().dwColour, 0x00AABBCCu);
  EXPECT_EQ(SPPD_CurrentRenderState()->dwConstRGB, 0xAABBCCu);
  EXPECT_EQ(SPPD_CurrentRenderState()->dwConstAlpha, 0u);
  in.dwMask = 0x1000;
  SPPD_SetRenderState(nullptr, &in);
  EXPECT_EQ(Current().dwColour, 0x80AABBCCu);
  EXPECT_EQ(SPPD_CurrentRenderState()->dwConstAlpha, 0x80000000u);
}

TEST_F(RenderState, FactorModes) {
  SPPD_RENDERSTATE in{};
  in.dwMask = 0x400000;
  SPPD_SetRenderState(nullptr, &in);
  EXPECT_FLOAT_EQ(Current().fFactor, 0.72f);
  in.dwMask = 0x2000;
  in.fFactor = 0.5f;
  SPPD_SetRenderState(nullptr, &in);
  EXPECT_FLOAT_EQ(Current().fFactor, 0.5f);
  in.dwMask = 0x100000;
  SPPD_SetRenderState(nullptr, &in);
  EXPECT_FLOAT_EQ(Current().fFactor, 0.0f);
  EXPECT_EQ(Current().dwMask & 0x700000, 0x100000u);
}

TEST_F(RenderState, DepthMappingFromNearFarAndRange) {
  SPPD_RENDERSTATE in{};
  in.dwMask = 0xF;
  in.fNear = 10;
  in.fFar = 110;
  in.fMinDepth = 0;
  in.fMaxDepth = 1;
  SPPD_SetRenderState(nullptr, &in);
  const SPPD_SYSTEMRENDERSTATE* a = SPPD_CurrentRenderState();
  EXPECT_FLOAT_EQ(a->fDepthScale, 1.1f);
  EXPECT_FLOAT_EQ(a->fDepthOffset, 1.1f);
  EXPECT_FLOAT_EQ(a->fDepthFactor, 11.0f);
  EXPECT_EQ(Current().dwMask & 0xFFF, 0xFu);  // 0x2000 comes with the default factor
}

// Each of the eight float words is taken under its own bit and no other word moves with it.
TEST_F(RenderState, EachFloatWordIsTakenUnderItsOwnBitOnly) {
  struct Case {
    const char* name;
    uint32_t bit;
    float SPPD_RENDERSTATE::*field;
  };
  const Case cases[] = {
      {"near", 0x1, &SPPD_RENDERSTATE::fNear},
      {"far", 0x2, &SPPD_RENDERSTATE::fFar},
      {"min depth", 0x4, &SPPD_RENDERSTATE::fMinDepth},
      {"max depth", 0x8, &SPPD_RENDERSTATE::fMaxDepth},
      {"scale x", 0x10, &SPPD_RENDERSTATE::fScaleX},
      {"scale y", 0x20, &SPPD_RENDERSTATE::fScaleY},
      {"centre x", 0x40, &SPPD_RENDERSTATE::fCentreX},
      {"centre y", 0x80, &SPPD_RENDERSTATE::fCentreY},
  };
  for (const Case& c : cases) {
    SPPD_ResetRenderState();
    SPPD_RENDERSTATE in{};
    float value = 1.0f;
    for (const Case& w : cases) in.*w.field = value++;
    in.dwMask = c.bit;
    SPPD_SetRenderState(nullptr, &in);
    const SPPD_RENDERSTATE now = Current();
    for (const Case& w : cases)
      EXPECT_EQ(now.*w.field, w.bit == c.bit ? in.*w.field : 0.0f) << c.name << " moved " << w.name;
    EXPECT_FLOAT_EQ(SPPD_CurrentRenderState()->rs.fNear, now.fNear) << c.name;
  }
}

TEST_F(RenderState, MatricesTransformEyeAndPlanes) {
  SPPD_RENDERSTATE in{};
  in.dwMask = 0x100;  // a null first matrix: both become identity
  SPPD_SetRenderState(nullptr, &in);
  const SPPD_SYSTEMRENDERSTATE* a = SPPD_CurrentRenderState();
  EXPECT_EQ(a->fMatrix[0], 1);
  EXPECT_EQ(a->fViewMatrix[15], 1);
  EXPECT_EQ(a->fEye[0], 0);

  float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 2, 3, 4, 1};
  float v[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  float normals[6] = {0, 0, 1, 1, 0, 0};
  float points[6] = {0, 0, 5, 1, 0, 0};
  in.dwMask = 0x100 | 0x200;
  in.pMatrix = m;
  in.pViewMatrix = v;
  in.dwNumPlanes = 2;
  in.pPlaneNormals = normals;
  in.pPlanePoints = points;
  in.dwPlaneMask = 0x3;
  SPPD_SetRenderState(nullptr, &in);
  EXPECT_EQ(a->fEye[0], 2);
  EXPECT_EQ(a->fEye[2], 4);
  EXPECT_EQ(a->fPlaneConst[0], 5);
  EXPECT_EQ(a->fPlaneConstXf[0], 9);  // the point moved by 4 along the normal
  EXPECT_EQ(a->fPlaneConstXf[1], 3);
  EXPECT_EQ(Current().dwPlaneMask, 0x3u);
  EXPECT_EQ(Current().pMatrix, a->fMatrix);  // the driver's own copy
}

TEST_F(RenderState, TheSystemStateFillsTheCallersWordsAndNothingPast) {
  float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 2, 3, 4, 1};
  float normals[3] = {0, 0, 1}, points[3] = {0, 0, 5};
  SPW_DISPLAYNODE node{};
  SPPD_RENDERSTATE in{};
  in.dwMask = 0x1 | 0x100 | 0x200 | 0x4000;
  in.fNear = 10;
  in.pMatrix = m;
  in.pViewMatrix = m;
  in.dwNumPlanes = 1;
  in.pPlaneNormals = normals;
  in.pPlanePoints = points;
  SPPD_SetRenderState(&node, &in);

  // The caller's 512 words, then a guard.
  struct {
    uint32_t words[SPPD_SYSTEMRENDERSTATE_WORDS];
    uint8_t guard[256];
  } buffer;
  std::memset(&buffer, 0xA5, sizeof buffer);
  ASSERT_EQ(SPPD_GetSystemRenderState(reinterpret_cast<SPPD_SYSTEMRENDERSTATE*>(buffer.words)),
            SPPD_OK);
  for (size_t i = 0; i < sizeof buffer.guard; ++i) ASSERT_EQ(buffer.guard[i], 0xA5) << i;

  auto word = [&](int i) { return buffer.words[i]; };
  auto real = [&](int i) { return PLAT_FloatFromBits(buffer.words[i]); };
  EXPECT_EQ(word(0), Current().dwMask);
  EXPECT_EQ(real(1), 10.0f);
  EXPECT_EQ(word(9), 0u);  // the pointing words carry no address
  EXPECT_EQ(word(11), 1u);
  EXPECT_EQ(word(23), 0u);
  EXPECT_EQ(real(475 + 12), 2.0f);  // the first matrix's translation
  EXPECT_EQ(real(509), 2.0f);       // the eye point ends the area
  EXPECT_EQ(real(511), 4.0f);
}

TEST_F(RenderState, TooManyPlanesAreCutToTheArea) {
  std::vector<float> many(3 * 40, 1.0f);
  SPPD_RENDERSTATE in{};
  in.dwMask = 0x200;
  in.dwNumPlanes = 40;
  in.pPlaneNormals = many.data();
  in.pPlanePoints = many.data();
  vntest::TraceCapture trace;
  SPPD_SetRenderState(nullptr, &in);
  EXPECT_EQ(Current().dwNumPlanes, static_cast<uint32_t>(SPPD_MAX_CLIP_PLANES));
  EXPECT_TRUE(trace.contains("40 clip planes"));
}

TEST_F(RenderState, NodeIsRememberedAndUserWordsReplaced) {
  SPW_DISPLAYNODE node{};
  SPPD_RENDERSTATE in{};
  in.dwUser[0] = 7;
  in.dwUser19 = 9;
  in.dwFogColour = 0x123456;
  SPPD_SetRenderState(&node, &in);
  EXPECT_EQ(Current().pNode, &node);
  EXPECT_EQ(Current().dwUser[0], 7u);
  EXPECT_EQ(Current().dwUser19, 0u);  // only under 0x400
  EXPECT_EQ(Current().dwFogColour, 0x123456u);
  EXPECT_EQ(SPPD_SetRenderState(nullptr, nullptr), SPPD_OK);
  EXPECT_EQ(Current().pNode, &node);
  EXPECT_EQ(SPPD_GetRenderState(nullptr), SPPD_FAIL);
  EXPECT_EQ(SPPD_GetSystemRenderState(nullptr), SPPD_FAIL);
}

TEST_F(RenderState, SunOfTheViewsSceneIsTurnedAroundIntoViewSpace) {
  SPW_SCENE scene{};
  scene.vSunDirection = {1, 0, 0};
  SPW_VDISPLAY view{};
  view.pScene = &scene;
  SGE_DATAREF viewRef{1, SPW_VDISPLAY_RECORD_SIZE, &view};
  SPW_DISPLAYNODE node{};
  node.pTarget = &viewRef;
  // The second matrix turns x into y (a quarter turn about z).
  float first[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  float second[16] = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1};
  SPPD_RENDERSTATE in{};
  in.dwMask = SPPD_RS_MATRICES | SPPD_RS_CONST_RGB_KEPT;
  in.pMatrix = first;
  in.pViewMatrix = second;
  SPPD_SetRenderState(&node, &in);
  EXPECT_EQ(SPPD_CurrentView(), &view);
  const float* sun = SPPD_GetSunDirection();
  EXPECT_FLOAT_EQ(sun[0], 0.0f);
  EXPECT_FLOAT_EQ(sun[1], -1.0f);
  EXPECT_FLOAT_EQ(sun[2], 0.0f);

  // A node drawing no virtual display, or a view without a scene, keeps the sun as it was.
  SGE_DATAREF other{1, 64, &view};
  node.pTarget = &other;
  scene.vSunDirection = {0, 0, 1};
  SPPD_SetRenderState(&node, &in);
  EXPECT_EQ(SPPD_CurrentView(), nullptr);
  view.pScene = nullptr;
  node.pTarget = &viewRef;
  SPPD_SetRenderState(&node, &in);
  EXPECT_FLOAT_EQ(SPPD_GetSunDirection()[1], -1.0f);
}

using RenderStateDevice = gldevtest::DriverDisplay;

TEST_F(RenderStateDevice, FogColourReachesTheDeviceUnlessMasked) {
  StorePrefs();
  ASSERT_EQ(SPPD_Create(&display, window), SPPD_OK);
  SPPD_RENDERSTATE in{};
  in.dwFogColour = 0x00FF00;
  SPPD_SetRenderState(&node, &in);
  EXPECT_EQ(PLAT_GfxGetState(State()->pGfx, PLAT_GfxState::FogColor), 0x00FF00u);
  in.dwMask = 0x4000;
  in.dwFogColour = 0x0000FF;
  SPPD_SetRenderState(&node, &in);
  EXPECT_EQ(PLAT_GfxGetState(State()->pGfx, PLAT_GfxState::FogColor), 0x00FF00u);
  SPPD_ResetRenderState();
}

}  // namespace
