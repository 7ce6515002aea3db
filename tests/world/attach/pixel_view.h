#pragma once
// What the pixel tests of the draw lists' users share: memory and kernel, the driver's display in
// the render pass, a black view over the whole 640 x 480 display and the attachment pool. The
// view is 90 degrees across and 2 atan 0.75 down: 320 pixels per unit of x / -z and of y / -z.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/memory/memblock.h"
#include "engine/vdisplay/vdisplay.h"
#include "tests/driver/batch/draw_fixture.h"
#include "world/attach/attach.h"

namespace attachtest {

class PixelView : public drawtest::DrawTest {
 protected:
  // First thing in SetUp; check HasFatalFailure after it.
  void StartView(float nearPlane) {
    ASSERT_EQ(SGE_InitMemoryAndKernel(0), 1);
    ASSERT_EQ(SPW_CreateEngineBlocks(), 1);
    drawtest::DrawTest::SetUp();
    if (HasFatalFailure()) return;
    JoinRenderPass();
    const SPW_RECT rect{0, 0, 640, 480};
    view = SPW_CreateVDisplay(&display, nullptr, nullptr, nullptr, 6, &rect, nullptr, 0, 0,
                              SPW_NODE_CLEAR_TARGET | SPW_NODE_CLEAR_DEPTH, nullptr, nearPlane,
                              100.0f, 0, 0, 0, SPW_PI / 2, 2 * std::atan(0.75f), 0);
    ASSERT_NE(view, nullptr);
    SPW_SetDisplayNodeColour(view, 0xFF000000);
    ASSERT_EQ(vnFX_AttachPoolInit(SPW_ObjsMem, VNFX_ATTACH_POOL_NODES), 1);
  }
  // Last thing in TearDown, once the lists on the view are gone.
  void StopView() {
    vnFX_AttachPoolFree();
    if (view) SPW_DestroyVDisplay(view);
    view = nullptr;
    SGE_ListUnlink(&display.link.link);
    drawtest::DrawTest::TearDown();
    SPW_ReleaseEngineBlocks();
    SGE_ShutdownKernelAndMemory();
  }

  SPW_DISPLAYNODE* view = nullptr;
};

}  // namespace attachtest
