// The dome on screen: drawn through the effect list of a camera view by the render pass and the
// driver's own code, read back as pixels.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/kernel/tasktypes.h"
#include "engine/memory/memblock.h"
#include "engine/object/object.h"
#include "engine/sprite/sprite.h"
#include "missions/control/overlay.h"
#include "platform/files.h"
#include "tests/support/support.h"
#include "tests/world/attach/pixel_view.h"
#include "tools/models/shields.h"
#include "world/attach/attach.h"
#include "world/dome/dome.h"

namespace {

using drawtest::Near;

constexpr uint32_t kBlack = 0xFF000000;
constexpr uint32_t kWhite = 0xFFFFFFFF;

class DomePixelsTest : public attachtest::PixelView {
 protected:
  void SetUp() override {
    StartView(0.5f);
    if (HasFatalFailure()) return;
    list = vnFX_AttachListCreate(view, VNMISSCONT_EFFECT_LIST_PRIORITY);
    ASSERT_NE(list, nullptr);
    vnMISSCONT_SetAttachDisplay(list);
    SPW_InitSprites();
    ASSERT_EQ(SPW_ResetObjectTypes(), 1);
    // The command shield: a white sphere of 1 unit.
    ASSERT_TRUE(PLAT_MakeDirectory("Export") && PLAT_MakeDirectory("Export/Pows"));
    ASSERT_TRUE(vnWRITE_POW("Export/Pows/commandsheild.pow",
                            vnMODELS_DomeSphere("commandsheild", 17, 4, 100)));
    ASSERT_EQ(vnUNITMAN_RegisterClass(VNDOME_CLASSROW), 1);
    dome = SGE_CreateTask(VNTT_DOME, nullptr, nullptr, 0, 0);
    ASSERT_NE(dome, nullptr);
    EndFrame();  // the fixture's own frame
  }
  void TearDown() override {
    if (dome) SGE_Send(dome, SGM_TASK_DESTROY, 0, 0);
    vnMISSCONT_SetAttachDisplay(nullptr);
    vnFX_AttachListDestroy(list);
    SPW_DestroyAllSpriteSets();
    SPW_FreeAllObjectTypes();
    SPW_ReleaseObjectTypes();
    StopView();
  }

  void NextFrame() {
    ASSERT_EQ(SPPD_BeginScene(&display), SPPD_OK);
    SPW_RenderDisplays();
    EndFrame();
  }
  void RaiseAt(SPW_VECTOR at) {
    const VNDOME_RAISE r{2.0f, VNDOME_KIND_COMMAND, 0, at, 0, 0, 0, 0.0f};
    ASSERT_EQ(SGE_Send(dome, SGM_DOME_RAISE, SGE_PtrParam(&r), 0), 1);
  }

  vntest::TempDir dir;
  vntest::ScopedWorkingDir cwd{dir.path()};
  VNFX_ATTACHLIST* list = nullptr;
  SGE_TASK* dome = nullptr;
};

TEST_F(DomePixelsTest, ASphereAheadCoversItsDiscAndNothingElse) {
  // Radius 2 at 10 ahead: a disc of about 64 pixels around the centre.
  RaiseAt({0, 0, -10});
  NextFrame();
  for (const auto& p : {SPW_POINT{320, 240}, SPW_POINT{360, 240}, SPW_POINT{320, 200}})
    EXPECT_TRUE(Near(Pixel(static_cast<int>(p.x), static_cast<int>(p.y)), kWhite, 8))
        << p.x << "," << p.y;
  for (const auto& p : {SPW_POINT{420, 240}, SPW_POINT{320, 330}, SPW_POINT{10, 10}})
    EXPECT_TRUE(Near(Pixel(static_cast<int>(p.x), static_cast<int>(p.y)), kBlack))
        << p.x << "," << p.y;
}

}  // namespace
