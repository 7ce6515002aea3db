// Virtual displays: creation, the view state they hand the driver, the camera's view, field of
// view and level of detail; over a table that records what the driver is given.
#include "engine/vdisplay/vdisplay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/kernel/kernel.h"
#include "engine/memory/memblock.h"

namespace {

constexpr float kDeg = SPW_PI / 180.0f;
constexpr int32_t kLayer = 6;

std::vector<std::string> g_calls;
SPPD_RENDERSTATE g_state;
std::vector<float> g_planeNormals, g_planePoints;

SPPD_VIEWPORT* FakeVPGet(SPPD_VIEWPORT* vp, SPW_DISPLAYNODE*, const float* r, const float* o) {
  *vp = {};
  vp->fWidth = r[2] - r[0];
  vp->fHeight = r[3] - r[1];
  vp->fX = r[0] + o[0];
  vp->fY = r[1] + o[1];
  vp->dwFlags = SPPD_VIEWPORT_RUN_CALLBACKS;
  return vp;
}
int32_t FakeSetRenderState(SPW_DISPLAYNODE*, SPPD_RENDERSTATE* rs) {
  g_calls.push_back("state");
  g_state = *rs;
  g_planeNormals.assign(rs->pPlaneNormals, rs->pPlaneNormals + 3 * rs->dwNumPlanes);
  g_planePoints.assign(rs->pPlanePoints, rs->pPlanePoints + 3 * rs->dwNumPlanes);
  return 1;
}
template <int N>
int32_t Mark(SPW_DISPLAYNODE*, SPPD_VIEWPORT*, SGE_DATAREF*) {
  static const char* const kNames[] = {"clear", "pre", "post"};
  g_calls.push_back(kNames[N]);
  return 1;
}

class VDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SGE_InitMemoryAndKernel(0), 1);
    ASSERT_EQ(SPW_CreateEngineBlocks(), 1);
    g_calls.clear();
    table.SPPD_VPGet = FakeVPGet;
    table.SPPD_SetRenderState = FakeSetRenderState;
    table.SPPD_ClearScreen = Mark<0>;
    table.SPPD_PreRender = Mark<1>;
    table.SPPD_PostRender = Mark<2>;
    driver = SGE_CreateDataRef(nullptr, sizeof table);
    ASSERT_NE(driver, nullptr);
    std::memcpy(driver->pData, &table, sizeof table);
    display = SPW_CreateDisplay(0, 640, 480, FakeVPGet, nullptr, driver);
    ASSERT_NE(display, nullptr);
  }
  void TearDown() override {
    SPW_DestroyDisplay(display);
    SPW_ReleaseEngineBlocks();
    SGE_ShutdownKernelAndMemory();
  }

  SPW_DISPLAYNODE* View(float fNear, float fFar, const SPW_RECT& rect = {0, 0, 640, 480},
                        const SPW_POINT& origin = {0, 0}, float fovX = 90 * kDeg,
                        float fovY = 2 * std::atan(0.75f)) {
    return SPW_CreateVDisplay(display, nullptr, nullptr, nullptr, kLayer, &rect, &origin, 11, 12,
                              0x30, nullptr, fNear, fFar, 0, 21, 22, fovX, fovY, 19);
  }

  SPPD_DRIVERTABLE table{};
  SGE_DATAREF* driver = nullptr;
  SPW_DISPLAY* display = nullptr;
};

TEST_F(VDisplayTest, HorizontalFieldOfViewWidensByTheAspect) {
  EXPECT_NEAR(SPW_GetHorizontalFov(display, 60 * kDeg) / kDeg, 75.18f, 0.01f);
  SPW_DISPLAY flat{};
  EXPECT_EQ(SPW_GetHorizontalFov(&flat, 1.0f), 1.0f);
  EXPECT_EQ(SPW_GetHorizontalFov(nullptr, 1.0f), 1.0f);
}

TEST_F(VDisplayTest, LevelOfDetailComesFromTheDistanceBandAndTheLevelCount) {
  // A 40-degree view judges x as it is.
  SPW_DISPLAYNODE* node = View(1, 100, {0, 0, 640, 480}, {0, 0}, 40 * kDeg, 40 * kDeg);
  ASSERT_NE(node, nullptr);
  struct Case {
    float x;
    int32_t levels, want;
  } cases[] = {{5000, 5, 2},    {5000, 1, 1},    {5000, 0, 0},      {799, 6, 0},
               {800, 6, 1},     {3599, 6, 1},    {14200, 6, 3},     {87600, 6, 4},
               {149999, 6, 4},  {219999, 9, 5},  {220000, 9, 6},    {1e9f, 3, 3}};
  for (const Case& c : cases)
    EXPECT_EQ(SPW_ChooseLOD(node, c.x, c.levels), c.want) << c.x << " with " << c.levels;
  // A 60-degree view sees the same distance (tan 30 / tan 20)^2 = 2.52 times larger.
  SPW_DISPLAYNODE* wide = View(1, 100, {0, 0, 640, 480}, {0, 0}, 60 * kDeg, 60 * kDeg);
  EXPECT_EQ(SPW_ChooseLOD(wide, 2000, 6), 2);
  SPW_DISPLAYNODE plain{};
  EXPECT_EQ(SPW_ChooseLOD(&plain, 5000, 5), 0);
}

TEST_F(VDisplayTest, CreationFillsTheRecordAndInstallsTheFiveCallbacks) {
  SGE_MEMSTATS before{}, after{};
  SGE_GetMemBlockStats(&before, SGE_TaskMem);
  SPW_DISPLAYNODE* node = View(2.0f, 10.0f);
  ASSERT_NE(node, nullptr);
  ASSERT_NE(node->pTarget, nullptr);
  EXPECT_EQ(node->pTarget->nSize, SPW_VDISPLAY_RECORD_SIZE);
  EXPECT_EQ(node->pTarget->nCount, 1);
  EXPECT_EQ(node->link.dwKey, vnMAIN_GetLayer(kLayer)->dwKey);
  EXPECT_EQ(node->fFlags, 0x30u);
  SPW_VDISPLAY* v = SPW_GetVDisplay(node);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->fNear, 2.0f);
  EXPECT_EQ(v->fFar, 10.0f);
  EXPECT_EQ(v->fInvNear, 0.5f);
  EXPECT_EQ(v->fInvDepth, 0.125f);
  EXPECT_FLOAT_EQ(v->fTanHalfX, 1.0f);
  EXPECT_FLOAT_EQ(v->fTanHalfY, 0.75f);
  EXPECT_EQ(v->nValue[0], 21);
  EXPECT_EQ(v->nValue[1], 22);
  SPW_MATRIX identity;
  SPW_MatIdentity(&identity);
  EXPECT_EQ(std::memcmp(&v->mView, &identity, sizeof identity), 0);
  EXPECT_EQ(std::memcmp(&v->mCamera, &identity, sizeof identity), 0);

  std::vector<uint32_t> keys;
  std::vector<SPW_NODEFN> fns;
  for (const SPW_DISPLAYCB* cb : SGE_ListRecords<SPW_DISPLAYCB>(&node->callbacks)) {
    keys.push_back(cb->link.dwKey);
    fns.push_back(cb->pfnNode);
  }
  EXPECT_EQ(keys, (std::vector<uint32_t>{100, 200, 300, 400, 600}));
  ASSERT_EQ(fns.size(), 5u);
  EXPECT_EQ(fns[2], table.SPPD_ClearScreen);
  EXPECT_EQ(fns[3], table.SPPD_PreRender);
  EXPECT_EQ(fns[4], table.SPPD_PostRender);

  EXPECT_EQ(SPW_DestroyVDisplay(node), 0);
  SGE_GetMemBlockStats(&after, SGE_TaskMem);
  EXPECT_EQ(after.dwUsedChunks, before.dwUsedChunks) << "node, callbacks and record all freed";
}

TEST_F(VDisplayTest, AFarPlaneNotBeyondTheNearOneGivesAUnitDepthFactor) {
  for (float fFar : {2.0f, 1.0f}) {
    SPW_DISPLAYNODE* node = View(2.0f, fFar);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(SPW_GetVDisplay(node)->fInvDepth, 1.0f) << fFar;
  }
}

TEST_F(VDisplayTest, CreationFailsWithoutDriverOrLayer) {
  SPW_DISPLAY* bare = SPW_CreateDisplay(1, 640, 480, nullptr, nullptr, nullptr);
  const SPW_RECT r{0, 0, 10, 10};
  EXPECT_EQ(SPW_CreateVDisplay(bare, nullptr, nullptr, nullptr, kLayer, &r, nullptr, 0, 0, 0,
                               nullptr, 1, 10, 0, 0, 0, 1, 1, 0),
            nullptr);
  EXPECT_EQ(SPW_CreateVDisplay(display, nullptr, nullptr, nullptr, VN_NUM_LAYERS, &r, nullptr, 0,
                               0, 0, nullptr, 1, 10, 0, 0, 0, 1, 1, 0),
            nullptr);
  // A node value needs shared data: the node is refused and the record goes with it.
  SGE_MEMSTATS before{}, after{};
  SGE_GetMemBlockStats(&before, SGE_TaskMem);
  EXPECT_EQ(SPW_CreateVDisplay(display, nullptr, nullptr, nullptr, kLayer, &r, nullptr, 0, 0, 0,
                               nullptr, 1, 10, 5, 0, 0, 1, 1, 0),
            nullptr);
  SGE_GetMemBlockStats(&after, SGE_TaskMem);
  EXPECT_EQ(after.dwUsedChunks, before.dwUsedChunks);
  SPW_DestroyDisplay(bare);
}

// Row vector p times the matrix.
SPW_VECTOR Apply(const SPW_MATRIX& m, const SPW_VECTOR& p) {
  SPW_VECTOR out;
  SPW_MatTransformPoint(&m, &p, &out);
  return out;
}

TEST_F(VDisplayTest, TheViewMatrixTakesWorldPointsIntoTheCamerasView) {
  SPW_VDISPLAY v{};
  // A camera at (5, 0, 2) turned a quarter about y.
  SPW_QUAT q;
  const SPW_VECTOR angles{0, SPW_PI / 2, 0};
  SPW_QuatFromEuler(&angles, &q);
  SPW_MATRIX world;
  SPW_QuatToMatrix(&world, &q);
  world.m[3][0] = 5;
  world.m[3][2] = 2;
  ASSERT_EQ(SPW_SetViewFromTransform(&v, &world), 1);
  const SPW_VECTOR ahead = Apply(world, {0, 0, -1});
  const SPW_VECTOR seen = Apply(v.mView, ahead);
  EXPECT_NEAR(seen.x, 0, 1e-5f);
  EXPECT_NEAR(seen.y, 0, 1e-5f);
  EXPECT_NEAR(seen.z, -1, 1e-5f);
  const SPW_VECTOR eye = Apply(v.mView, {5, 0, 2});
  EXPECT_NEAR(eye.x, 0, 1e-5f);
  EXPECT_NEAR(eye.z, 0, 1e-5f);
  // Ten times as far along the same line lies ten units ahead.
  const SPW_VECTOR far = Apply(v.mView, {5 + 10 * (ahead.x - 5), 10 * ahead.y, 2 + 10 * (ahead.z - 2)});
  EXPECT_NEAR(far.x, 0, 1e-4f);
  EXPECT_NEAR(far.z, -10, 1e-4f);
  const SPW_VECTOR back = Apply(v.mCamera, seen);
  EXPECT_NEAR(back.x, ahead.x, 1e-5f);
  EXPECT_EQ(SPW_SetViewFromTransform(nullptr, &world), 0);
}

float Side(const std::vector<float>& n, const std::vector<float>& p, int i, const SPW_VECTOR& x) {
  return n[3 * i] * (x.x - p[3 * i]) + n[3 * i + 1] * (x.y - p[3 * i + 1]) +
         n[3 * i + 2] * (x.z - p[3 * i + 2]);
}

TEST_F(VDisplayTest, TheViewStateProjectsOntoTheViewsRectangleAndClipsOutsideIt) {
  // 200 x 100 pixels at (100, 50) of the display, 90 by 2 atan 0.5 degrees.
  SPW_DISPLAYNODE* node =
      View(1.0f, 50.0f, {0, 0, 200, 100}, {100, 50}, 90 * kDeg, 2 * std::atan(0.5f));
  ASSERT_NE(node, nullptr);
  SPW_SetDisplayNodeColour(node, 0x80402000);
  ASSERT_EQ(SPW_UpdateVDisplay(node), 1);
  const SPPD_RENDERSTATE& rs = g_state;
  EXPECT_EQ(rs.dwMask, SPW_VDISPLAY_STATE_MASK);
  EXPECT_EQ(rs.fNear, 1.0f);
  EXPECT_GT(rs.fFar, 50.0f) << "the far plane reaches the frustum's corners";
  EXPECT_EQ(rs.fMinDepth, vnMAIN_GetLayer(kLayer)->fMinDepth);
  EXPECT_EQ(rs.fMaxDepth, vnMAIN_GetLayer(kLayer)->fMaxDepth);
  EXPECT_EQ(rs.dwUser[0], 11u);
  EXPECT_EQ(rs.dwUser[1], 12u);
  EXPECT_EQ(rs.dwUser19, 19u);
  EXPECT_EQ(rs.dwColour, 0x80402000u);
  // sqrt(c / 255) x 255 per channel: 0x40 -> 127, 0x20 -> 90, 0 -> 0; alpha kept.
  EXPECT_EQ(rs.dwFogColour, 0x807F5A00u);

  // The projection of the driver: x scale x / -z + x centre, likewise y.
  auto project = [&](const SPW_VECTOR& p) {
    return SPW_POINT{rs.fScaleX * p.x / -p.z + rs.fCentreX, rs.fScaleY * p.y / -p.z + rs.fCentreY};
  };
  const SPW_POINT centre = project({0, 0, -7});
  EXPECT_FLOAT_EQ(centre.x, 200);
  EXPECT_FLOAT_EQ(centre.y, 100);
  const SPW_POINT corner = project({-7, 3.5f, -7});  // left edge, top edge
  EXPECT_NEAR(corner.x, 100, 1e-3f);
  EXPECT_NEAR(corner.y, 50, 1e-3f);

  ASSERT_EQ(rs.dwNumPlanes, 6u);
  EXPECT_EQ(rs.dwPlaneMask, 0x3Fu);
  struct Case {
    const char* name;
    SPW_VECTOR p;
    int outside;  // the plane it lies outside of, -1 none
  } cases[] = {{"ahead", {0, 0, -7}, -1},        {"too near", {0, 0, -0.5f}, 0},
               {"too far", {0, 0, -80}, 1},      {"left", {-7.1f, 0, -7}, 2},
               {"right", {7.1f, 0, -7}, 3},      {"above", {0, 3.6f, -7}, 4},
               {"below", {0, -3.6f, -7}, 5},     {"inside a corner", {6.9f, -3.4f, -7}, -1}};
  for (const Case& c : cases)
    for (int i = 0; i < 6; ++i)
      EXPECT_EQ(Side(g_planeNormals, g_planePoints, i, c.p) < 0, i == c.outside)
          << c.name << ", plane " << i;
}

TEST_F(VDisplayTest, TheRenderPassRunsTheViewsCallbacksInOrder) {
  SPW_DISPLAYNODE* node = View(1.0f, 50.0f);
  ASSERT_NE(node, nullptr);
  SPW_RenderDisplays();
  EXPECT_EQ(g_calls, (std::vector<std::string>{"state", "clear", "pre", "post"}));
  EXPECT_FLOAT_EQ(g_state.fCentreX, 320);

  // Moved wholly off the display: nothing to update.
  node->origin = {700, 0};
  g_calls.clear();
  EXPECT_EQ(SPW_UpdateVDisplay(node), -1);
  SPW_RenderDisplays();
  EXPECT_TRUE(g_calls.empty());
  SPW_DISPLAYNODE plain{};
  EXPECT_EQ(SPW_UpdateVDisplay(&plain), -1);
  EXPECT_EQ(SPW_UpdateVDisplay(nullptr), -1);
}

}  // namespace
