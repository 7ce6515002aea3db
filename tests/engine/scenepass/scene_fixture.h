#pragma once
// Started memory, kernel and object types; scenes; a class with one 30-frame animation.
#include <gtest/gtest.h>

#include <vector>

#include "engine/memory/memblock.h"
#include "engine/object/object.h"
#include "engine/scenepass/scenepass.h"
#include "engine/sprite/sprite.h"

namespace scenetest {

constexpr int32_t kClass = 5;
constexpr uint32_t kFrames = 30;

// A scene in the scene list by priority.
inline SPW_SCENE* MakeScene(uint32_t priority = 0, float speed = 1.0f, uint32_t flags = 0) {
  SPW_SCENE* s = SPW_CreateScene(flags, speed, priority, 0);
  EXPECT_NE(s, nullptr);
  return s;
}

// Memory, kernel, object types, an empty scene list, the passes' hooks and no sprite sets, as the
// engine start leaves them; the callers check for a fatal failure.
inline void StartScenes() {
  ASSERT_EQ(SGE_InitMemoryAndKernel(0), 1);
  ASSERT_EQ(SPW_CreateEngineBlocks(), 1);
  ASSERT_EQ(SPW_ResetObjectTypes(), 1);
  SPW_InitScenePasses();
  SPW_InitSprites();
}
inline void StopScenes() {
  SGE_ListInit(&SPW_SceneList);
  SPW_ReleaseObjectTypes();
  SPW_ReleaseEngineBlocks();
  SGE_ShutdownKernelAndMemory();
}

class SceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartScenes();
    if (HasFatalFailure()) return;
    Fired().clear();
    anim_.dwLength = kFrames * 160;
    SPW_DOBJTYPE* type = SPW_GetObjectType(kClass);
    type->dwFlags = SPW_OBJTYPE_IN_USE;
    type->dwNumAnims = 1;
    type->pAnims = &anim_;
  }
  void TearDown() override { StopScenes(); }

  SPW_SCENE* Scene(uint32_t priority = 0, float speed = 1.0f, uint32_t flags = 0) {
    return MakeScene(priority, speed, flags);
  }

  // A frame-animated object of the class at the tail of the scene's object list, or under a
  // parent.
  SPW_ANIMOBJECT* Object(SPW_SCENE* scene, float frame = 0.0f, float speed = 1.0f,
                         SPW_ANIMOBJECT* parent = nullptr) {
    auto* o = static_cast<SPW_ANIMOBJECT*>(SGE_MemCalloc(SPW_ObjsMem, sizeof(SPW_ANIMOBJECT)));
    EXPECT_NE(o, nullptr);
    o->nClass = kClass;
    o->fFrame = frame;
    o->fSpeed = speed;
    o->fTimeFactor = 1.0f;
    o->pScene = scene;
    o->pParent = parent;
    SGE_ListInit(&o->children);
    SGE_ListAddTail(parent ? &parent->children : &scene->objects, &o->link.link);
    return o;
  }

  // Breakpoints at the frames, each event carrying its frame index as its first user word.
  void Breakpoints(SPW_ANIMOBJECT* o, std::vector<float> frames, int current) {
    o->pBreakpoints = static_cast<SGE_DLLNODE*>(SGE_MemAlloc(SPW_ObjsMem, sizeof(SGE_DLLNODE)));
    SGE_ListInit(o->pBreakpoints);
    for (size_t i = 0; i < frames.size(); ++i) {
      auto* bp = static_cast<SPW_BREAKPOINT*>(SGE_MemCalloc(SPW_BrkPtsMem, sizeof(SPW_BREAKPOINT)));
      bp->fTime = frames[i];
      bp->pUser = o;
      bp->pfnCallback = Record;
      bp->adwUser[0] = static_cast<uint32_t>(i);
      SGE_ListAddTail(o->pBreakpoints, &bp->link);
      if (static_cast<int>(i) == current) o->pCurrentBreakpoint = bp;
    }
    o->dwNumBreakpoints = static_cast<uint32_t>(frames.size());
  }

  // Events delivered so far: the first user word of each.
  static std::vector<uint32_t>& Fired() {
    static std::vector<uint32_t> fired;
    return fired;
  }
  static void Record(void*, uint32_t* values) { Fired().push_back(values[0]); }

  SPW_ANIMATION anim_{};
};

}  // namespace scenetest
