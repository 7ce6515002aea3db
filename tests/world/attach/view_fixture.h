#pragma once
// A started kernel with a display over a table that records what the driver is handed, a
// camera view of the whole display (90 degrees across, 320 pixels per unit of x / -z) and the
// attachment pool the root task makes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "engine/kernel/kernel.h"
#include "engine/memory/memblock.h"
#include "engine/vdisplay/vdisplay.h"
#include "world/attach/attach.h"

namespace viewtest {

constexpr int32_t kLayer = 6;

struct Polygon {
  std::vector<SPPD_VERTEX> v;
  uint32_t count;  // as handed over, flags included
  int32_t textureId;
  uint32_t clipMask;
};

inline std::vector<Polygon>& Polygons() {
  static std::vector<Polygon> polygons;
  return polygons;
}
inline SPPD_RENDERSTATE& State() {
  static SPPD_RENDERSTATE state;
  return state;
}

inline SPPD_VIEWPORT* FakeVPGet(SPPD_VIEWPORT* vp, SPW_DISPLAYNODE*, const float* r,
                                const float* o) {
  *vp = {};
  vp->fWidth = r[2] - r[0];
  vp->fHeight = r[3] - r[1];
  vp->fX = r[0] + o[0];
  vp->fY = r[1] + o[1];
  vp->dwFlags = SPPD_VIEWPORT_RUN_CALLBACKS;
  return vp;
}
// The driver keeps what the view sets and hands it back.
inline int32_t FakeSetRenderState(SPW_DISPLAYNODE*, SPPD_RENDERSTATE* rs) {
  State() = *rs;
  return SPPD_OK;
}
inline int32_t FakeGetRenderState(SPPD_RENDERSTATE* rs) {
  *rs = State();
  return SPPD_OK;
}
inline int32_t NoOp(SPW_DISPLAYNODE*, SPPD_VIEWPORT*, SGE_DATAREF*) { return SPPD_OK; }
inline int32_t RecordPolygon(SPW_DISPLAY*, const SPPD_VERTEX* v, uint32_t count, int32_t,
                             int32_t textureId, int32_t, uint32_t clipMask) {
  const uint32_t n = count & ~SPPD_VERTEX_NOFOG;
  Polygons().push_back({std::vector<SPPD_VERTEX>(v, v + n), count, textureId, clipMask});
  return SPPD_OK;
}

class ViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SGE_InitMemoryAndKernel(0), 1);
    ASSERT_EQ(SPW_CreateEngineBlocks(), 1);
    Polygons().clear();
    State() = {};
    SPPD_DRIVERTABLE table{};
    table.SPPD_VPGet = FakeVPGet;
    table.SPPD_SetRenderState = FakeSetRenderState;
    table.SPPD_GetRenderState = FakeGetRenderState;
    table.SPPD_ClearScreen = NoOp;
    table.SPPD_PreRender = NoOp;
    table.SPPD_PostRender = NoOp;
    table.SPPD_RenderFVFPolygon = RecordPolygon;
    driver = SGE_CreateDataRef(nullptr, sizeof table);
    ASSERT_NE(driver, nullptr);
    std::memcpy(driver->pData, &table, sizeof table);
    display = SPW_CreateDisplay(0, 640, 480, FakeVPGet, nullptr, driver);
    ASSERT_NE(display, nullptr);
    const SPW_RECT rect{0, 0, 640, 480};
    const SPW_POINT origin{0, 0};
    view = SPW_CreateVDisplay(display, nullptr, nullptr, nullptr, kLayer, &rect, &origin, 0, 0, 0,
                              nullptr, 1.0f, 100.0f, 0, 0, 0, SPW_PI / 2, 2 * std::atan(0.75f), 0);
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(vnFX_AttachPoolInit(SPW_ObjsMem, VNFX_ATTACH_POOL_NODES), 1);
  }
  void TearDown() override {
    vnFX_AttachPoolFree();
    if (display) SPW_DestroyDisplay(display);
    SGE_ReleaseDataRef(driver);
    SPW_ReleaseEngineBlocks();
    SGE_ShutdownKernelAndMemory();
  }

  SGE_DATAREF* driver = nullptr;
  SPW_DISPLAY* display = nullptr;
  SPW_DISPLAYNODE* view = nullptr;
};

// Where the view puts a view-space vertex on the display.
inline SPW_POINT OnScreen(const SPPD_VERTEX& v) {
  const SPPD_RENDERSTATE& rs = State();
  return {rs.fCentreX + rs.fScaleX * v.x / -v.z, rs.fCentreY + rs.fScaleY * v.y / -v.z};
}

}  // namespace viewtest
