#pragma once
// A manager state without its task over a started kernel: a mission block and empty lists, for
// the operations that take the state directly (groups, formation programs).
#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/kernel/kernel.h"
#include "engine/memory/memblock.h"
#include "world/unitman/orders.h"

class BareManager : public ::testing::Test {
 protected:
  static constexpr uint32_t kMissionSize = 1u << 20;

  void SetUp() override {
    ASSERT_EQ(SGE_InitMemoryAndKernel(0), 1);
    missionMem = std::malloc(kMissionSize);
    man.pBlock = SGE_FormatMemBlock(missionMem, kMissionSize, "mission");
    ASSERT_NE(man.pBlock, nullptr);
    SGE_ListInit(&man.groups);
    SGE_ListInit(&man.formations);
  }
  void TearDown() override {
    vnUNITMAN_FreeGroups(&man);
    vnUNITMAN_FreeFormations(&man);
    SGE_ReleaseMemBlock(man.pBlock);
    std::free(missionMem);
    SGE_ShutdownKernelAndMemory();
  }
  // Chunks in use in the mission block: 0 once everything made is freed.
  uint32_t UsedChunks() {
    SGE_MEMSTATS stats{};
    SGE_GetMemBlockStats(&stats, man.pBlock);
    return stats.dwUsedChunks;
  }

  VNUNITMAN man{};
  void* missionMem = nullptr;
};
