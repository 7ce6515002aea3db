#include "engine/kernel/kernel.h"
#include "engine/memory/memblock.h"
#include "tests/engine/kernel/kernel_fixture.h"
#include "tests/support/support.h"

namespace kt {
namespace {

using Messages = KernelTest;

std::vector<int32_t> Ids(const std::vector<Event>& events, int32_t from = 100) {
  std::vector<int32_t> ids;
  for (const Event& e : events)
    if (e.msg >= from) ids.push_back(e.msg);
  return ids;
}

TEST_F(Messages, SendCallsTheHandlerAndReturnsItsResult) {
  SGE_TASK* t = Make();
  hook = [](SGE_TASK*, SGE_DATAREF*, int32_t msg, SGE_PARAM p1, SGE_PARAM) {
    return msg == 100 ? static_cast<int32_t>(p1) * 2 : -1;
  };
  EXPECT_EQ(SGE_Send(t, 100, 21, 0), 42);
  vntest::TraceCapture trace;
  EXPECT_EQ(SGE_Send(nullptr, 100, 1, 0), 0);
  EXPECT_FALSE(trace.lines().empty());
}

TEST_F(Messages, ARecordGoesInAndComesBackByAddress) {
  struct Pair {
    int32_t in;
    int32_t out;
  };
  SGE_TASK* t = Make();
  hook = [](SGE_TASK*, SGE_DATAREF*, int32_t msg, SGE_PARAM p1, SGE_PARAM) -> SGE_RESULT {
    if (msg != 100) return -1;
    Pair* pair = SGE_ParamPtr<Pair>(p1);
    if (!pair) return 0;
    pair->out = pair->in + 1;
    return SGE_PtrResult(&pair->out);
  };
  Pair pair{41, 0};
  const int32_t* out = SGE_Ask<const int32_t>(t, 100, SGE_PtrParam(&pair), 0);
  EXPECT_EQ(out, &pair.out);
  EXPECT_EQ(pair.out, 42);
  EXPECT_EQ(SGE_Ask<const int32_t>(t, 100, 0, 0), nullptr);
}

TEST_F(Messages, AnAnswerKeepsEveryBitOfAnAddress) {
  static_assert(sizeof(SGE_RESULT) == sizeof(void*));
  // Above 32 bits, with a low word of 0: cut to 32 bits it would read as "no answer".
  constexpr SGE_RESULT kWide = SGE_RESULT{0x7f12} << 32;
  SGE_TASK* t = Make();
  hook = [](SGE_TASK*, SGE_DATAREF*, int32_t msg, SGE_PARAM, SGE_PARAM) -> SGE_RESULT {
    return msg == 100 ? kWide : -1;
  };
  EXPECT_EQ(SGE_Send(t, 100, 0, 0), kWide);
  SGE_DATAREF* ref = SGE_CreateDataRef(nullptr, 8);
  EXPECT_EQ(SGE_SendMessage(t, ref, 100, 0, 0), kWide);
  SGE_ReleaseDataRef(ref);
  // Messages the handler leaves to the kernel answer 0.
  EXPECT_EQ(SGE_Send(t, 101, 0, 0), 0);
}

TEST_F(Messages, PostedMessagesWaitForTheDrainAndKeepPostingOrder) {
  SGE_TASK* a = Make();
  SGE_TASK* b = Make();
  hook = [&](SGE_TASK* t, SGE_DATAREF*, int32_t msg, SGE_PARAM, SGE_PARAM) {
    if (msg == 101) SGE_Post(t, 200, 0, 0);  // posted during the drain
    return -1;
  };
  log.clear();
  SGE_Post(a, 100, 0, 0);
  SGE_Post(b, 101, 0, 0);
  SGE_Post(a, 102, 0, 0);
  EXPECT_TRUE(log.empty());
  SGE_DispatchMessages();
  EXPECT_EQ(Ids(log), (std::vector<int32_t>{100, 101, 102, 200}));
  EXPECT_EQ(log[1].task, b);
  EXPECT_EQ(log[3].task, b);
}

TEST_F(Messages, DestroyingATaskPurgesItsQueuedMessagesAndTheirRecords) {
  SGE_TASK* doomed = Make();
  SGE_TASK* killer = Make();
  SGE_DATAREF* data = SGE_CreateDataRef(nullptr, 16);
  hook = [&](SGE_TASK* t, SGE_DATAREF*, int32_t msg, SGE_PARAM, SGE_PARAM) {
    if (t == killer && msg == 100) SGE_Send(doomed, SGM_TASK_DESTROY, 0, 0);
    return -1;
  };
  log.clear();
  SGE_PostMessage(doomed, data, 101, 0, 0);
  SGE_Post(killer, 100, 0, 0);
  SGE_PostMessage(doomed, data, 102, 0, 0);
  SGE_Post(killer, 103, 0, 0);
  EXPECT_EQ(data->nCount, 3);
  // 101 goes out first; 100 then ends `doomed`, whose 102 is never delivered.
  SGE_DispatchMessages();
  EXPECT_EQ(Ids(log), (std::vector<int32_t>{101, 100, 103}));
  EXPECT_EQ(data->nCount, 1);
  SGE_ReleaseDataRef(data);
}

TEST_F(Messages, DiscardEmptiesTheQueueWithoutDelivering) {
  SGE_TASK* t = Make();
  SGE_DATAREF* data = SGE_CreateDataRef(nullptr, 16);
  SGE_PostMessage(t, data, 100, 0, 0);
  SGE_Post(t, 101, 0, 0);
  log.clear();
  SGE_DiscardMessages();
  SGE_DispatchMessages();
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(data->nCount, 1);
}

TEST_F(Messages, AFullQueueDropsWithATraceAndKeepsWhatItHolds) {
  SGE_TASK* t = Make();
  vntest::TraceCapture trace;
  int32_t queued = 0;
  while (SGE_Post(t, 100, queued, 0)) ++queued;
  EXPECT_GT(queued, 1000);
  EXPECT_TRUE(trace.contains("dropped"));
  log.clear();
  SGE_DispatchMessages();
  EXPECT_EQ(static_cast<int32_t>(log.size()), queued);
  EXPECT_EQ(log.back().p1, queued - 1);
  EXPECT_EQ(SGE_Post(t, 101, 0, 0), 1);  // room again
}

TEST_F(Messages, KeptRecordsNeitherGrowNorShrinkTheQueue) {
  SGE_TASK* t = Make();
  vntest::TraceCapture trace;
  int32_t first = 0;
  for (int round = 0; round < 3; ++round) {
    int32_t queued = 0;
    while (SGE_Post(t, 100, queued, 0)) ++queued;
    if (round == 0) first = queued;
    EXPECT_EQ(queued, first) << "round " << round;
    if (round == 1)
      SGE_DiscardMessages();
    else
      SGE_DispatchMessages();
  }
  SGE_DiscardMessages();
}

// Records go back to be posted again while the queue drains: from the drain itself, from a
// purge of an ended task's messages, and taken again by posts from a handler.
TEST_F(Messages, ReusedRecordsCarryEveryMessageOnceAndIntact) {
  SGE_TASK* a = Make();
  SGE_TASK* b = Make();
  SGE_DATAREF* data = SGE_CreateDataRef(nullptr, 8);
  hook = [&](SGE_TASK* t, SGE_DATAREF*, int32_t msg, SGE_PARAM p1, SGE_PARAM) {
    if (msg == 100 && p1 == 5) SGE_Post(a, 300, 5, -5);
    if (msg == 100 && p1 == 9 && SGE_GetTaskCount() == 2) SGE_Send(b, SGM_TASK_DESTROY, 0, 0);
    if (msg == 300) SGE_Post(t, 301, 6, -6);
    return -1;
  };
  std::vector<Event> expected;
  for (int round = 0; round < 2; ++round) {
    log.clear();
    expected.clear();
    for (int32_t i = 0; i < 40; ++i) {
      SGE_TASK* to = (i % 2 || round == 1) ? a : b;
      // Round 0 ends b at message 9; its later messages are purged, never delivered.
      if (to == a || i < 9) expected.push_back({to, 100, i, 1000 + i, 0});
      SGE_PostMessage(to, i % 3 ? nullptr : data, 100, i, 1000 + i);
    }
    expected.push_back({a, 300, 5, -5, 0});
    expected.push_back({a, 301, 6, -6, 0});
    SGE_DispatchMessages();
    std::vector<Event> got;
    for (const Event& e : log)
      if (e.msg >= 100) got.push_back(e);
    ASSERT_EQ(got.size(), expected.size()) << "round " << round;
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].task, expected[i].task) << "round " << round << " delivery " << i;
      EXPECT_EQ(got[i].msg, expected[i].msg) << "round " << round << " delivery " << i;
      EXPECT_EQ(got[i].p1, expected[i].p1) << "round " << round << " delivery " << i;
      EXPECT_EQ(got[i].p2, expected[i].p2) << "round " << round << " delivery " << i;
    }
    // Every queued count went back, delivered or purged.
    EXPECT_EQ(data->nCount, 1) << "round " << round;
  }
  SGE_ReleaseDataRef(data);
}

TEST_F(Messages, PostRefusesAnythingButALiveTask) {
  SGE_TASK* live = Make();
  SGE_TASK* ended = Make();
  SGE_Send(ended, SGM_TASK_DESTROY, 0, 0);
  SGE_TASK notATask{};
  struct Case {
    SGE_TASK* task;
    const char* what;
  } cases[] = {{nullptr, "none"}, {ended, "an ended task"}, {&notATask, "memory of no task"}};
  log.clear();
  for (const Case& c : cases) {
    vntest::TraceCapture trace;
    EXPECT_EQ(SGE_Post(c.task, 100, 0, 0), 0) << c.what;
    EXPECT_TRUE(trace.contains("not a live task")) << c.what;
  }
  EXPECT_EQ(SGE_Post(live, 101, 0, 0), 1);
  SGE_DispatchMessages();
  EXPECT_EQ(Ids(log), (std::vector<int32_t>{101}));
}

TEST_F(Messages, AHandlerThatReleasesItsRecordFreesItOnce) {
  SGE_TASK* t = Make();
  SGE_MEMSTATS objs, tasks;
  SGE_GetMemBlockStats(&objs, SPW_ObjsMem);
  SGE_GetMemBlockStats(&tasks, SGE_TaskMem);
  hook = [](SGE_TASK*, SGE_DATAREF* d, int32_t msg, SGE_PARAM, SGE_PARAM) {
    if (msg == 100) SGE_ReleaseDataRef(d);  // takes the sender's count over
    return -1;
  };
  vntest::TraceCapture trace;
  SGE_SendMessage(t, SGE_CreateDataRef(nullptr, 24), 100, 0, 0);
  EXPECT_TRUE(trace.lines().empty());
  SGE_MEMSTATS objsAfter, tasksAfter;
  SGE_GetMemBlockStats(&objsAfter, SPW_ObjsMem);
  SGE_GetMemBlockStats(&tasksAfter, SGE_TaskMem);
  EXPECT_EQ(objsAfter.dwUsedChunks, objs.dwUsedChunks);
  EXPECT_EQ(tasksAfter.dwUsedChunks, tasks.dwUsedChunks);
  EXPECT_EQ(tasksAfter.dwFreeBytes, tasks.dwFreeBytes);
}

TEST_F(Messages, AnUnownedRecordThatCannotBeQueuedIsFreed) {
  SGE_TASK* t = Make();
  SGE_TASK* ended = Make();
  SGE_Send(ended, SGM_TASK_DESTROY, 0, 0);
  vntest::TraceCapture trace;
  while (SGE_Post(t, 100, 0, 0)) {
  }
  SGE_MEMSTATS before;
  SGE_GetMemBlockStats(&before, SPW_ObjsMem);
  struct Case {
    SGE_TASK* target;
    bool broadcast;
  } cases[] = {{t, false}, {ended, false}, {nullptr, false}, {ended, true}};
  for (const Case& c : cases) {
    SGE_DATAREF* unowned = SGE_CreateDataRef(nullptr, 32);
    unowned->nCount = 0;
    if (c.broadcast)
      EXPECT_EQ(SGE_BroadcastMessage(c.target, unowned, 100, 0, 0), 1);
    else
      EXPECT_EQ(SGE_PostMessage(c.target, unowned, 100, 0, 0), 0);
    SGE_MEMSTATS after;
    SGE_GetMemBlockStats(&after, SPW_ObjsMem);
    EXPECT_EQ(after.dwUsedChunks, before.dwUsedChunks);
  }
  SGE_DiscardMessages();
}

TEST_F(Messages, BroadcastIsPreOrder) {
  SGE_TASK* root = Make();
  SGE_TASK* a = Make(root);
  SGE_TASK* a1 = Make(a);
  SGE_TASK* a2 = Make(a);
  SGE_TASK* b = Make(root);
  log.clear();
  SGE_Broadcast(root, 100, 0, 0);
  EXPECT_EQ(Receivers(100), (std::vector<SGE_TASK*>{root, a, a1, a2, b}));
  SGE_BroadcastToDescendants(root, nullptr, 101, 0, 0);
  EXPECT_EQ(Receivers(101), (std::vector<SGE_TASK*>{a, a1, a2, b}));
  SGE_SendToChildren(root, 102, 0, 0);
  EXPECT_EQ(Receivers(102), (std::vector<SGE_TASK*>{a, b}));
  EXPECT_EQ(SGE_Broadcast(nullptr, 103, 0, 0), 1);
}

TEST_F(Messages, BroadcastSurvivesTasksEndingOnTheWay) {
  SGE_TASK* root = Make();
  SGE_TASK* a = Make(root);
  Make(a);
  SGE_TASK* b = Make(root);
  hook = [&](SGE_TASK* t, SGE_DATAREF*, int32_t msg, SGE_PARAM, SGE_PARAM) {
    if (msg == 100 && t == a) SGE_Send(a, SGM_TASK_DESTROY, 0, 0);
    return -1;
  };
  SGE_DATAREF* data = SGE_CreateDataRef(nullptr, 8);
  data->nCount = 0;  // the walk owns it, and frees it at the end
  log.clear();
  SGE_BroadcastMessage(root, data, 100, 0, 0);
  EXPECT_EQ(Receivers(100), (std::vector<SGE_TASK*>{root, a, b}));
  EXPECT_EQ(SGE_GetTaskCount(), 2);
}

TEST_F(Messages, PostedDuringABroadcastWaitsForTheDrain) {
  SGE_TASK* root = Make();
  Make(root);
  hook = [&](SGE_TASK* t, SGE_DATAREF*, int32_t msg, SGE_PARAM, SGE_PARAM) {
    if (msg == 100) SGE_Post(t, 200, 0, 0);
    return -1;
  };
  log.clear();
  SGE_Broadcast(root, 100, 0, 0);
  EXPECT_EQ(Ids(log), (std::vector<int32_t>{100, 100}));
  SGE_DispatchMessages();
  EXPECT_EQ(Ids(log), (std::vector<int32_t>{100, 100, 200, 200}));
}

TEST_F(Messages, SendingToAnEndedTaskIsRefused) {
  SGE_TASK* t = Make();
  SGE_Send(t, SGM_TASK_DESTROY, 0, 0);
  log.clear();
  vntest::TraceCapture trace;
  EXPECT_EQ(SGE_Send(t, 100, 0, 0), 0);
  EXPECT_EQ(SGE_Post(t, 100, 0, 0), 0);
  EXPECT_EQ(SGE_Send(t, SGM_TASK_DESTROY, 0, 0), 0);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(SGE_GetTaskCount(), 0);
}

}  // namespace
}  // namespace kt
