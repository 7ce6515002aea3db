// Kernel start over memory start, and its shutdown.
#include <gtest/gtest.h>

#include "engine/kernel/kernel.h"
#include "engine/memory/memblock.h"
#include "tests/support/support.h"

namespace {

SGE_TASKTYPE PlainType(int32_t id) {
  SGE_TASKTYPE t{};
  t.nTypeId = id;
  t.pHandler = SGE_DefaultTaskHandler;
  return t;
}

TEST(KernelStart, MemoryStartAloneLeavesTheKernelUnstarted) {
  ASSERT_EQ(SGE_InitMemory(0), 1);
  vntest::TraceCapture trace;
  EXPECT_EQ(SGE_GetTaskList(), nullptr);
  EXPECT_EQ(SGE_RegisterTaskType(PlainType(3)), 0);
  EXPECT_TRUE(trace.contains("kernel not started"));
  SGE_ShutdownMemory();
}

TEST(KernelStart, StartsOnTheKernelBlocksAndForgetsEverythingAtShutdown) {
  ASSERT_EQ(SGE_InitMemoryAndKernel(0), 1);
  ASSERT_NE(SGE_GetTaskList(), nullptr);
  ASSERT_NE(SGE_GetDisplayList(), nullptr);
  ASSERT_EQ(SGE_RegisterTaskType(PlainType(3)), 1);
  ASSERT_NE(SGE_CreateTask(3, nullptr, nullptr, 0, 0), nullptr);
  EXPECT_EQ(SGE_GetTaskCount(), 1);

  SGE_ShutdownKernelAndMemory();
  EXPECT_EQ(SGE_GetTaskList(), nullptr);
  EXPECT_EQ(SGE_GetTaskType(3), nullptr);
  EXPECT_EQ(SGE_GetTaskCount(), 0);
  EXPECT_EQ(SGE_TaskMem, nullptr);

  // A second start finds nothing of the first.
  ASSERT_EQ(SGE_InitMemoryAndKernel(0), 1);
  EXPECT_EQ(SGE_GetTaskType(3), nullptr);
  EXPECT_EQ(SGE_GetTaskCount(), 0);
  SGE_ShutdownKernelAndMemory();
}

TEST(KernelStart, ASystemBlockTooSmallForTheKernelBlocksFails) {
  vntest::TraceCapture trace;
  EXPECT_EQ(SGE_InitMemoryAndKernel(500000), 0);
  EXPECT_EQ(SGE_GetTaskList(), nullptr);
  SGE_ShutdownKernelAndMemory();
  EXPECT_EQ(SGE_InitMemoryAndKernel(0), 1);
  SGE_ShutdownKernelAndMemory();
}

}  // namespace
