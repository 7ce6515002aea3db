#pragma once
// A started kernel with a recording task type and a clock the test sets.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "engine/kernel/kernel.h"
#include "engine/memory/memblock.h"

namespace kt {

constexpr int32_t kTypeA = 10;
constexpr int32_t kTypeB = 11;

struct Event {
  SGE_TASK* task;
  int32_t msg;
  SGE_PARAM p1;
  SGE_PARAM p2;
  int32_t endedType;  // SGM_TASK_CHILD_ENDED: the type id read from the ended task
};

struct Instance {
  int32_t tag;
  int32_t pad[3];
};

class KernelTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  SGE_TASK* Make(SGE_TASK* parent = nullptr, int32_t type = kTypeA);
  // Messages of one id, in delivery order.
  std::vector<SGE_TASK*> Receivers(int32_t msg) const;

 public:
  static uint32_t now;
  static std::vector<Event> log;
  // Runs inside the handler before the default handler; its result (when set) is returned.
  static std::function<SGE_RESULT(SGE_TASK*, SGE_DATAREF*, int32_t, SGE_PARAM, SGE_PARAM)> hook;
};

}  // namespace kt
