#pragma once
// A test of one mission task: the world started, the task's class registered and one task of it
// made; the task goes before the world stops.
#include <gtest/gtest.h>

#include "engine/kernel/kernel.h"
#include "tests/world/support/testworld.h"

namespace vnworld {

class TaskTest : public ::testing::Test {
 protected:
  // From SetUp: fails the test when the world, the class or the task cannot be made.
  void StartTask(int32_t (*registerClass)(), int32_t typeId) {
    ASSERT_TRUE(w.Start());
    BeforeTask();
    ASSERT_EQ(registerClass(), 1);
    task = SGE_CreateTask(typeId, nullptr, nullptr, 0, 0);
    ASSERT_NE(task, nullptr);
  }
  void TearDown() override {
    if (task) SGE_Send(task, SGM_TASK_DESTROY, 0, 0);
    AfterTask();
    w.Stop();
  }
  // What a test sets in the started world before its task is made, and undoes once it is gone.
  virtual void BeforeTask() {}
  virtual void AfterTask() {}

  TestWorld w;
  SGE_TASK* task = nullptr;
};

}  // namespace vnworld
