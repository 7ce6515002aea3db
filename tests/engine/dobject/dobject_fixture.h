#pragma once
// Engine memory, an empty type table, a scene, the figure loaded from its POW file, and a frame
// clock that the tests step.
#include <gtest/gtest.h>

#include <string>

#include "engine/dobject/dobject.h"
#include "engine/kernel/frametime.h"
#include "engine/memory/memblock.h"
#include "engine/object/object.h"
#include "engine/scene/scene.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "tests/support/support.h"
#include "tools/models/models.h"
#include "tools/writers/pow_writer.h"

inline uint32_t g_dobjNow = 0;
inline uint32_t DObjectClock() { return g_dobjNow; }

class DObjectFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SGE_InitMemory(0), 1);
    ASSERT_EQ(SPW_CreateEngineBlocks(), 1);
    ASSERT_EQ(SPW_ResetObjectTypes(), 1);
    g_dobjNow = 100000;
    PLAT_SetClockOverride(DObjectClock);
    SGE_InitFrameTiming();
    SetFrameTime30();
    SPW_TimeScale = 1.0f;
    scene = SPW_CreateScene(0, 1.0f, 10, 0);
    ASSERT_NE(scene, nullptr);
    figure = LoadModel(vnMODELS_Figure());
    ASSERT_GE(figure, 0);
  }
  void TearDown() override {
    SPW_DestroyScene(scene);
    PLAT_SetClockOverride(nullptr);
    SPW_ReleaseObjectTypes();
    SPW_ReleaseEngineBlocks();
    SGE_ShutdownMemory();
  }

  // Three frames of 33, 33 and 34 ms: a mean of 1/30 second, 160 ticks.
  void SetFrameTime30() {
    for (uint32_t ms : {33u, 33u, 34u}) {
      g_dobjNow += ms;
      SGE_UpdateFrameTiming();
    }
  }

  int32_t LoadModel(const vnMODEL& model) {
    PLAT_MakeDirectory("Export");
    const std::string path = "Export/" + model.name + ".pow";
    if (!vnWRITE_POW(path, model)) return -1;
    int32_t slot = -1;
    return SPW_LoadObjectFile(path.c_str(), nullptr, &slot, 1.0f, 0) ? slot : -1;
  }

  SPW_DOBJECT* Make(int32_t slot, SPW_DOBJECT* parent = nullptr, int32_t priority = 0) {
    const SPW_TRANSFORM t = {{0, 0, 0}, {0, 0, 0, 1}, 1};
    return SPW_CreateDynamicObject(scene, slot, parent, priority, &t, 0);
  }

  static uint32_t Used(SGE_MEMBLOCK* block) {
    SGE_MEMSTATS stats;
    SGE_GetMemBlockStats(&stats, block);
    return stats.dwUsedBytes;
  }

  vntest::TempDir dir;
  vntest::ScopedWorkingDir cwd{dir.path()};
  SPW_SCENE* scene = nullptr;
  int32_t figure = -1;
};
