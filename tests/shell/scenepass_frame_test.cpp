// The scene passes as the engine start installs them, run by the game's frame.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/memory/memblock.h"
#include "engine/object/object.h"
#include "engine/scenepass/scenepass.h"
#include "engine/sprite/sprite.h"
#include "platform/clock.h"
#include "shell/app.h"
#include "shell/frame.h"
#include "shell/state.h"
#include "tests/engine/scenepass/scene_fixture.h"

namespace {

constexpr int32_t kClass = 7;
uint32_t g_now = 5000;
uint32_t Clock() { return g_now; }
std::vector<std::string> g_log;

class ScenePassFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PLAT_SetClockOverride(Clock);
    ASSERT_EQ(SPW_InitEngine(), 1);
    g_log.clear();
    anim.dwLength = 100 * 160;
    SPW_DOBJTYPE* type = SPW_GetObjectType(kClass);
    type->dwFlags = SPW_OBJTYPE_IN_USE;
    type->dwNumAnims = 1;
    type->pAnims = &anim;

    scene = scenetest::MakeScene();
    ASSERT_NE(scene, nullptr);

    object = static_cast<SPW_ANIMOBJECT*>(SGE_MemCalloc(SPW_ObjsMem, sizeof(SPW_ANIMOBJECT)));
    object->nClass = kClass;
    object->fSpeed = 1.0f;
    object->fTimeFactor = 1.0f;
    object->vVelocity = {1.0f, 0.0f, 0.0f};
    SGE_ListInit(&object->children);
    SGE_ListAddTail(&scene->objects, &object->link.link);
    // A breakpoint just past the start: its event comes in the first frame.
    breakpoints = static_cast<SGE_DLLNODE*>(SGE_MemAlloc(SPW_ObjsMem, sizeof(SGE_DLLNODE)));
    SGE_ListInit(breakpoints);
    auto* bp = static_cast<SPW_BREAKPOINT*>(SGE_MemCalloc(SPW_BrkPtsMem, sizeof(SPW_BREAKPOINT)));
    bp->fTime = 0.5f;
    bp->pfnCallback = [](void*, uint32_t*) { g_log.push_back("event"); };
    SGE_ListAddTail(breakpoints, &bp->link);
    object->pBreakpoints = breakpoints;
    object->pCurrentBreakpoint = bp;
    object->dwNumBreakpoints = 1;

    auto* p = static_cast<SPW_PROCEDURE*>(SGE_MemCalloc(SPW_ObjsMem, sizeof(SPW_PROCEDURE)));
    SGE_ListInit(&p->members);
    SGE_ListAddTail(&p->members, static_cast<SGE_DLLNODE*>(SGE_MemCalloc(SPW_ObjsMem, 16)));
    p->pfnFrame = [](SPW_PROCEDURE*) { g_log.push_back("procedure"); };
    SGE_ListAddTail(&scene->procedures, &p->link);

    SPW_SPRITESET* set = SPW_CreateSpriteSet(1, 1, nullptr, nullptr, nullptr, nullptr, 4.0f);
    sprite = SPW_CreateSprite(scene, set, nullptr, 1.0f, 1.0f, 1.0f, nullptr,
                              SPW_SPRITE_ANIMATED | SPW_SPRITE_LOOP);
    SPW_SetSpriteUserData(sprite, [](SPW_SPRITE*, void*) {
      g_log.push_back("sprite");
      return 1;
    }, nullptr);
  }
  void TearDown() override {
    vnMAIN_SetPaused(0);
    SGE_ListUnlink(&scene->link.link);
    SPW_GetObjectType(kClass)->pAnims = nullptr;
    SPW_ShutdownEngine();
    PLAT_SetClockOverride(nullptr);
  }
  int32_t Frame(uint32_t ms) {
    g_now += ms;
    return vnMAIN_Frame();
  }

  SPW_ANIMATION anim{};
  SPW_SCENE* scene = nullptr;
  SPW_ANIMOBJECT* object = nullptr;
  SGE_DLLNODE* breakpoints = nullptr;
  SPW_SPRITE* sprite = nullptr;
};

TEST_F(ScenePassFrameTest, EachUnpausedFrameRunsThePassesInOrderAtTheLastFramesTimeScale) {
  ASSERT_EQ(Frame(60), 0);
  // The first frame runs at scale 1.0; it lasted 60 ms, so the next one runs at 2.
  EXPECT_FLOAT_EQ(object->fFrame, 1.0f);
  EXPECT_FLOAT_EQ(object->vPos.x, 1.0f);
  EXPECT_FLOAT_EQ(sprite->fFrame, 1.0f);
  EXPECT_EQ(g_log, (std::vector<std::string>{"procedure", "sprite", "event"}));
  EXPECT_NEAR(SPW_TimeScale, 60 * SPW_TIMESCALE_PER_MS, 1e-5f);

  g_log.clear();
  ASSERT_EQ(Frame(600), 0);
  EXPECT_NEAR(object->fFrame, 1.0f + 60 * SPW_TIMESCALE_PER_MS, 1e-4f);
  EXPECT_NEAR(object->vPos.x, 1.0f + 60 * SPW_TIMESCALE_PER_MS, 1e-4f);
  EXPECT_EQ(g_log, (std::vector<std::string>{"procedure", "sprite"}));
  EXPECT_EQ(SPW_TimeScale, SPW_MAX_TIMESCALE) << "600 ms is more than ten frames";

  vnMAIN_SetPaused(1);
  const float frame = object->fFrame;
  g_log.clear();
  ASSERT_EQ(Frame(20), 0);
  EXPECT_EQ(object->fFrame, frame);
  EXPECT_TRUE(g_log.empty());
  EXPECT_EQ(SPW_TimeScale, SPW_MAX_TIMESCALE) << "a paused frame leaves the scale";
}

}  // namespace
