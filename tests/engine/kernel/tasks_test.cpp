#include <cstring>
#include <utility>

#include "engine/kernel/kernel.h"
#include "engine/memory/memblock.h"
#include "tests/engine/kernel/kernel_fixture.h"
#include "tests/support/support.h"

namespace kt {
namespace {

using Tasks = KernelTest;

TEST_F(Tasks, CreationDeliversCreateAtOnceWithItsParameters) {
  int marker = 0;
  SGE_TASK* t = SGE_CreateTask(kTypeA, nullptr, nullptr, SGE_PtrParam(&marker), -7);
  ASSERT_NE(t, nullptr);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].task, t);
  EXPECT_EQ(log[0].msg, SGM_TASK_CREATE);
  EXPECT_EQ(log[0].p1, SGE_PtrParam(&marker));
  EXPECT_EQ(log[0].p2, -7);
  EXPECT_EQ(t->nTypeId, kTypeA);
  EXPECT_EQ(t->dwGuard1, SGE_TASK_GUARD1);
  EXPECT_EQ(t->dwGuard2, SGE_TASK_GUARD2);
  EXPECT_EQ(SGE_TaskData<Instance>(t)->tag, 0);
  EXPECT_EQ(SGE_ListLast(SGE_GetTaskList()), &t->link);
  EXPECT_EQ(SGE_GetTaskCount(), 1);
}

TEST_F(Tasks, LiveCountFollowsTasksMadeAndFreed) {
  vntest::TraceCapture trace;
  EXPECT_EQ(SGE_CreateTask(42, nullptr, nullptr, 0, 0), nullptr);  // unregistered
  EXPECT_EQ(SGE_GetTaskCount(), 0);
  SGE_TASK* a = Make();
  SGE_TASK* b = Make(a);
  Make(b);
  EXPECT_EQ(SGE_GetTaskCount(), 3);
  SGE_Send(a, SGM_TASK_DESTROY, 0, 0);
  EXPECT_EQ(SGE_GetTaskCount(), 0);
  EXPECT_TRUE(SGE_ListIsEmpty(SGE_GetTaskList()));
}

TEST_F(Tasks, TypeIdsOutsideTheTableAreRefused) {
  SGE_TASKTYPE t{};
  for (int32_t id : {-1, SGE_MAX_TASKTYPES, 100000}) {
    vntest::TraceCapture trace;
    t.nTypeId = id;
    EXPECT_EQ(SGE_RegisterTaskType(t), 0) << id;
    EXPECT_EQ(SGE_CreateTask(id, nullptr, nullptr, 0, 0), nullptr) << id;
    EXPECT_EQ(trace.lines().size(), 2u) << id;
  }
  EXPECT_EQ(SGE_GetTaskCount(), 0);
}

TEST_F(Tasks, TypesAreFoundByNameWithoutCaseAndById) {
  SGE_TASKTYPE* button = SGE_FindTaskType("gui_pushbutton");
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->nTypeId, kTypeA);
  EXPECT_EQ(SGE_FindTaskType("BUGHOLE"), SGE_GetTaskType(kTypeB));
  EXPECT_EQ(SGE_FindTaskType("nothing"), nullptr);
  EXPECT_EQ(SGE_GetTaskType(77), nullptr);
}

TEST_F(Tasks, ReRegisteringTheSameSharedRecordKeepsIt) {
  SGE_DATAREF* shared = SGE_CreateDataRef(nullptr, 8);
  SGE_TASKTYPE t = *SGE_GetTaskType(kTypeB);
  t.pShared = shared;
  t.fFlags = 0;
  ASSERT_EQ(SGE_RegisterTaskType(t), 1);
  ASSERT_EQ(SGE_RegisterTaskType(t), 1);
  EXPECT_EQ(shared->nCount, 2);
  // Without the copy flag every task shares the record.
  SGE_TASK* task = Make(nullptr, kTypeB);
  EXPECT_EQ(task->pInstance, shared);
  EXPECT_EQ(shared->nCount, 3);
  SGE_Send(task, SGM_TASK_DESTROY, 0, 0);
  EXPECT_EQ(shared->nCount, 2);
  // With it, each task gets its own copy of the bytes.
  static_cast<int*>(shared->pData)[1] = 99;
  t.fFlags = SGE_TTF_COPY_SHARED;
  SGE_RegisterTaskType(t);
  SGE_TASK* copy = Make(nullptr, kTypeB);
  EXPECT_NE(copy->pInstance, shared);
  EXPECT_EQ(static_cast<int*>(copy->pInstance->pData)[1], 99);
}

TEST_F(Tasks, DestroyEndsChildrenFirstAndTellsEachParent) {
  SGE_TASK* root = Make();
  SGE_TASK* a = Make(root, kTypeB);
  SGE_TASK* a1 = Make(a);
  SGE_TASK* b = Make(root);
  log.clear();
  SGE_Send(root, SGM_TASK_DESTROY, 77, 5);
  std::vector<std::pair<SGE_TASK*, int32_t>> seen;
  for (const Event& e : log) seen.emplace_back(e.task, e.msg);
  const std::vector<std::pair<SGE_TASK*, int32_t>> expected = {
      {root, 2}, {a, 2}, {a1, 2}, {a, 5}, {root, 5}, {b, 2}, {root, 5}};
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(log[1].p1, 77);
  EXPECT_EQ(log[1].p2, 5);
  EXPECT_EQ(log[3].p1, SGE_PtrParam(a1));
  EXPECT_EQ(log[3].endedType, kTypeA);
  EXPECT_EQ(log[4].p1, SGE_PtrParam(a));
  EXPECT_EQ(log[4].p2, 77);
  EXPECT_EQ(log[4].endedType, kTypeB);
  EXPECT_EQ(SGE_GetTaskCount(), 0);
}

TEST_F(Tasks, AChildThatRefusesToEndIsMovedToTheTop) {
  SGE_TASK* root = Make();
  SGE_TASK* stubborn = Make(root);
  hook = [&](SGE_TASK* t, SGE_DATAREF*, int32_t msg, SGE_PARAM, SGE_PARAM) {
    return (t == stubborn && msg == SGM_TASK_DESTROY) ? 0 : -1;
  };
  vntest::TraceCapture trace;
  SGE_Send(root, SGM_TASK_DESTROY, 0, 0);
  EXPECT_TRUE(trace.contains("outlived its parent"));
  EXPECT_EQ(stubborn->pParent, nullptr);
  EXPECT_EQ(SGE_ListFirst(SGE_GetTaskList()), &stubborn->link);
  EXPECT_EQ(SGE_GetTaskCount(), 1);
}

TEST_F(Tasks, ATaskEndedWhileBeingCreatedIsNotHandedOut) {
  hook = [](SGE_TASK* t, SGE_DATAREF* d, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
    if (msg == SGM_TASK_CREATE) SGE_DefaultTaskHandler(t, d, SGM_TASK_DESTROY, p1, p2);
    return -1;
  };
  EXPECT_EQ(Make(), nullptr);
  EXPECT_EQ(SGE_GetTaskCount(), 0);
}

TEST_F(Tasks, SuspendedTasksGetOnlyDestroyAndTheHighBand) {
  SGE_TASK* t = Make();
  SGE_SuspendTask(t);
  log.clear();
  hook = [](SGE_TASK*, SGE_DATAREF*, int32_t, SGE_PARAM, SGE_PARAM) { return 9; };
  for (int32_t msg = 1; msg <= 18; ++msg) {
    if (msg == SGM_TASK_DESTROY) continue;
    EXPECT_EQ(SGE_Send(t, msg, 0, 0), 0) << msg;
  }
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(SGE_Send(t, 19, 0, 0), 9);
  EXPECT_EQ(SGE_Send(t, 400, 0, 0), 9);
  SGE_ResumeTask(t);
  EXPECT_EQ(SGE_Send(t, 7, 0, 0), 9);
  SGE_ResumeTask(t);  // already running: stays at 0
  EXPECT_EQ(t->dwSuspend, 0u);
  SGE_SuspendTask(t);
  hook = nullptr;
  SGE_Send(t, SGM_TASK_DESTROY, 0, 0);
  EXPECT_EQ(Receivers(SGM_TASK_DESTROY).size(), 1u);
  EXPECT_EQ(SGE_GetTaskCount(), 0);
}

TEST_F(Tasks, TreeSuspensionReachesEveryDescendant) {
  SGE_TASK* root = Make();
  SGE_TASK* a = Make(root);
  SGE_TASK* a1 = Make(a);
  SGE_TASK* other = Make();
  SGE_SuspendTaskTree(root);
  EXPECT_EQ(a1->dwSuspend, 1u);
  EXPECT_EQ(other->dwSuspend, 0u);
  SGE_ResumeTaskTree(a);
  EXPECT_EQ(root->dwSuspend, 1u);
  EXPECT_EQ(a->dwSuspend, 0u);
  EXPECT_EQ(a1->dwSuspend, 0u);
}

TEST_F(Tasks, ReparentMovesToTheEndAndRefusesCycles) {
  SGE_TASK* p = Make();
  SGE_TASK* q = Make();
  SGE_TASK* c = Make(p);
  SGE_TASK* d = Make(q);
  EXPECT_EQ(SGE_ReparentTask(c, q), p);
  EXPECT_EQ(SGE_ListLast(&q->children), &c->link);
  EXPECT_EQ(SGE_ListFirst(&q->children), &d->link);
  EXPECT_TRUE(SGE_ListIsEmpty(&p->children));
  vntest::TraceCapture trace;
  EXPECT_EQ(SGE_ReparentTask(q, c), nullptr);  // q would go under its own child
  EXPECT_EQ(q->pParent, nullptr);
  EXPECT_EQ(c->pParent, q);
  EXPECT_FALSE(trace.lines().empty());
  EXPECT_EQ(SGE_ReparentTask(c, nullptr), q);
  EXPECT_EQ(SGE_ListLast(SGE_GetTaskList()), &c->link);
}

TEST_F(Tasks, WalkIsPreOrderAndStopsAtTheFirstOtherResult) {
  SGE_TASK* root = Make();
  SGE_TASK* a = Make(root);
  SGE_TASK* a1 = Make(a);
  SGE_TASK* b = Make(root);
  SGE_TASK* top2 = Make();
  std::vector<SGE_TASK*> seen;
  auto visit = [](SGE_TASK* t, void* user) -> int32_t {
    auto* s = static_cast<std::vector<SGE_TASK*>*>(user);
    s->push_back(t);
    return t->nTypeId == kTypeB ? 3 : 1;
  };
  EXPECT_EQ(SGE_WalkTaskTree(SGE_GetTaskList(), visit, &seen), 1);
  EXPECT_EQ(seen, (std::vector<SGE_TASK*>{root, a, a1, b, top2}));
  seen.clear();
  SGE_ReparentTask(Make(nullptr, kTypeB), a);
  EXPECT_EQ(SGE_WalkTaskTree(SGE_GetTaskList(), visit, &seen), 3);
  EXPECT_EQ(seen.size(), 4u);
}

TEST_F(Tasks, DataRecordsLiveUntilTheirLastRelease) {
  SGE_TASK* t = Make();
  SGE_MEMSTATS before;
  SGE_GetMemBlockStats(&before, SPW_ObjsMem);
  SGE_DATAREF* owned = SGE_CreateDataRef(nullptr, 40);
  SGE_SendMessage(t, owned, 100, 0, 0);
  EXPECT_EQ(owned->nCount, 1);  // survives delivery
  EXPECT_EQ(SGE_ReleaseDataRef(owned), 0);

  SGE_DATAREF* unowned = SGE_CreateDataRef(nullptr, 40);
  unowned->nCount = 0;  // handed over: freed after delivery
  SGE_SendMessage(t, unowned, 100, 0, 0);
  SGE_MEMSTATS after;
  SGE_GetMemBlockStats(&after, SPW_ObjsMem);
  EXPECT_EQ(after.dwUsedBytes, before.dwUsedBytes);
  EXPECT_EQ(after.dwFreeChunks, before.dwFreeChunks);
}

// Takes every free byte of a block.
void Exhaust(SGE_MEMBLOCK* block) {
  for (;;) {
    SGE_MEMSTATS s;
    SGE_GetMemBlockStats(&s, block);
    if (s.dwLargestFree < 8 || !SGE_MemAlloc(block, s.dwLargestFree)) return;
  }
}

TEST_F(Tasks, FullBlocksGiveNoneAndLeaveNothingBehind) {
  SGE_TASK* t = Make();
  vntest::TraceCapture trace;
  Exhaust(SGE_TRegMem);
  SGE_TASKTYPE fresh = *SGE_GetTaskType(kTypeA);
  fresh.nTypeId = 30;
  EXPECT_EQ(SGE_RegisterTaskType(fresh), 0);
  EXPECT_EQ(SGE_GetTaskType(30), nullptr);
  // A registered slot is overwritten in place and needs no room.
  fresh.nTypeId = kTypeB;
  std::strcpy(fresh.szName, "Renamed");
  EXPECT_EQ(SGE_RegisterTaskType(fresh), 1);
  EXPECT_EQ(SGE_FindTaskType("renamed"), SGE_GetTaskType(kTypeB));

  Exhaust(SGE_TaskMem);
  EXPECT_EQ(SGE_AddTimer(t, 10, nullptr, 0), nullptr);
  EXPECT_EQ(SGE_AddFrameTimer(t, 1, nullptr, 0), nullptr);
  EXPECT_EQ(SGE_KillTaskTimers(t), 0);
  EXPECT_EQ(SGE_KillTaskFrameTimers(t), 0);
  log.clear();
  EXPECT_EQ(Make(t), nullptr);
  EXPECT_TRUE(log.empty());  // no SGM_TASK_CREATE
  EXPECT_EQ(SGE_GetTaskCount(), 1);
  EXPECT_TRUE(SGE_ListIsEmpty(&t->children));
}

TEST_F(Tasks, InstanceDataFallsBackToTheEngineBlockWhenTaskMemIsFull) {
  SGE_TASKTYPE big = *SGE_GetTaskType(kTypeA);
  big.nTypeId = 12;
  big.nInstanceSize = static_cast<int32_t>(SGE_TASKMEM_SIZE / 5 * 3);  // one fits, two do not
  ASSERT_EQ(SGE_RegisterTaskType(big), 1);
  vntest::TraceCapture trace;
  SGE_TASK* first = Make(nullptr, 12);
  SGE_TASK* second = Make(nullptr, 12);  // no longer fits SGE_TaskMem
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  const auto* data = static_cast<const char*>(second->pInstance->pData);
  EXPECT_GE(data, reinterpret_cast<const char*>(SPW_ObjsMem));
  EXPECT_LT(data, reinterpret_cast<const char*>(SPW_ObjsMem) + SPW_OBJSMEM_SIZE);
  EXPECT_EQ(data[big.nInstanceSize - 1], 0);
}

}  // namespace
}  // namespace kt
