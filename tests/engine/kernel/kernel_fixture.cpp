#include "tests/engine/kernel/kernel_fixture.h"

#include <cstring>

#include "platform/clock.h"

namespace kt {

uint32_t KernelTest::now = 0;
std::vector<Event> KernelTest::log;
std::function<SGE_RESULT(SGE_TASK*, SGE_DATAREF*, int32_t, SGE_PARAM, SGE_PARAM)> KernelTest::hook;

namespace {

uint32_t FakeClock() { return KernelTest::now; }

SGE_RESULT Record(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  const int32_t ended =
      msg == SGM_TASK_CHILD_ENDED ? SGE_ParamPtr<SGE_TASK>(p1)->nTypeId : -1;
  KernelTest::log.push_back({task, msg, p1, p2, ended});
  if (KernelTest::hook) {
    const SGE_RESULT r = KernelTest::hook(task, data, msg, p1, p2);
    if (r >= 0) return r;
  }
  return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
}

SGE_TASKTYPE Type(int32_t id, const char* name) {
  SGE_TASKTYPE t{};
  t.nTypeId = id;
  t.pHandler = Record;
  t.fFlags = SGE_TTF_ZERO_DATA;
  t.nInstanceSize = sizeof(Instance);
  std::strncpy(t.szName, name, sizeof t.szName - 1);
  return t;
}

}  // namespace

void KernelTest::SetUp() {
  now = 1000;
  log.clear();
  hook = nullptr;
  PLAT_SetClockOverride(FakeClock);
  ASSERT_EQ(SGE_InitMemoryAndKernel(0), 1);
  ASSERT_EQ(SPW_CreateEngineBlocks(), 1);
  ASSERT_EQ(SGE_RegisterTaskType(Type(kTypeA, "GUI_PUSHBUTTON")), 1);
  ASSERT_EQ(SGE_RegisterTaskType(Type(kTypeB, "Bughole")), 1);
}

void KernelTest::TearDown() {
  hook = nullptr;
  SGE_ShutdownKernelAndMemory();
  PLAT_SetClockOverride(nullptr);
}

SGE_TASK* KernelTest::Make(SGE_TASK* parent, int32_t type) {
  return SGE_CreateTask(type, parent, nullptr, 0, 0);
}

std::vector<SGE_TASK*> KernelTest::Receivers(int32_t msg) const {
  std::vector<SGE_TASK*> out;
  for (const Event& e : log)
    if (e.msg == msg) out.push_back(e.task);
  return out;
}

}  // namespace kt
