#include <cstring>

#include "engine/kernel/frametime.h"
#include "engine/kernel/kernel.h"
#include "tests/engine/kernel/kernel_fixture.h"
#include "tests/support/support.h"

namespace kt {
namespace {

using Timers = KernelTest;

// Advances the fake clock and runs the millisecond stage of a frame.
void Tick(uint32_t ms) {
  KernelTest::now += ms;
  SGE_UpdateClock();
  SGE_UpdateTimers();
}

int Fired(int32_t msg) {
  int n = 0;
  for (const Event& e : KernelTest::log) n += e.msg == msg;
  return n;
}

TEST_F(Timers, RepeatingTimerCountdownAfterALateTick) {
  struct Case {
    int32_t flags;
    uint32_t late;
    uint32_t countdown;
    int firesNextTick;
  } cases[] = {
      {SGE_TIMER_REPEAT | SGE_TIMER_CATCHUP, 250, 0, 1},
      {SGE_TIMER_REPEAT | SGE_TIMER_CATCHUP, 130, 70, 0},
      {SGE_TIMER_REPEAT, 250, 100, 0},
  };
  for (const Case& c : cases) {
    SGE_TASK* t = Make();
    SGE_UpdateTimers();  // start the tick clock
    SGE_TIMER* timer = SGE_AddTimer(t, 100, nullptr, c.flags);
    log.clear();
    Tick(c.late);
    EXPECT_EQ(Fired(SGM_TASK_TIMER), 1) << c.flags << " " << c.late;
    EXPECT_EQ(timer->dwCountdown, c.countdown) << c.flags << " " << c.late;
    log.clear();
    Tick(0);
    EXPECT_EQ(Fired(SGM_TASK_TIMER), c.firesNextTick) << c.flags << " " << c.late;
    SGE_Send(t, SGM_TASK_DESTROY, 0, 0);
  }
}

TEST_F(Timers, TimerMessageCarriesTheTimerAndTheClock) {
  SGE_TASK* t = Make();
  SGE_UpdateTimers();
  SGE_TIMER* timer = SGE_AddTimer(t, 50, nullptr, 0);
  Tick(30);
  EXPECT_EQ(Fired(SGM_TASK_TIMER), 0);
  EXPECT_EQ(timer->dwCountdown, 20u);
  Tick(20);
  ASSERT_EQ(Fired(SGM_TASK_TIMER), 1);
  EXPECT_EQ(log.back().p1, SGE_PtrParam(timer));
  EXPECT_EQ(log.back().p2, 50);
  // The one-shot timer is gone.
  Tick(100);
  EXPECT_EQ(Fired(SGM_TASK_TIMER), 1);
  EXPECT_EQ(SGE_KillTaskTimers(t), 0);
}

TEST_F(Timers, ClockCarriesAcrossTheSystemCounterWrap) {
  now = 0xFFFFFFF0u;
  SGE_InitClock();
  Tick(0x20);
  EXPECT_EQ(SGE_GetClock(), 0x20u);
}

TEST_F(Timers, SuspendedOrPausedTimersWait) {
  SGE_TASK* t = Make();
  SGE_UpdateTimers();
  SGE_TIMER* held = SGE_AddTimer(t, 10, nullptr, SGE_TIMER_REPEAT);
  SGE_TIMER* paused = SGE_AddTimer(Make(), 10, nullptr, SGE_TIMER_REPEAT | SGE_TIMER_PAUSED);
  SGE_SuspendTask(t);
  log.clear();
  Tick(50);
  EXPECT_EQ(Fired(SGM_TASK_TIMER), 0);
  EXPECT_EQ(held->dwCountdown, 10u);
  EXPECT_EQ(paused->dwCountdown, 10u);
  SGE_ResumeTask(t);
  Tick(10);
  EXPECT_EQ(Fired(SGM_TASK_TIMER), 1);
}

TEST_F(Timers, TimerAddedDuringATickIsHandledInTheSameTick) {
  SGE_TASK* t = Make();
  SGE_UpdateTimers();
  SGE_AddTimer(t, 10, nullptr, 0);
  int added = 0;
  hook = [&](SGE_TASK* task, SGE_DATAREF*, int32_t msg, SGE_PARAM, SGE_PARAM) {
    if (msg == SGM_TASK_TIMER && added++ == 0) SGE_AddTimer(task, 0, nullptr, 0);
    return -1;
  };
  log.clear();
  Tick(10);
  EXPECT_EQ(Fired(SGM_TASK_TIMER), 2);
}

TEST_F(Timers, AHandlerMayKillItsOwnOrAnotherTimerWhileTicking) {
  SGE_TASK* t = Make();
  SGE_UpdateTimers();
  SGE_TIMER* first = SGE_AddTimer(t, 10, nullptr, 0);
  SGE_TIMER* second = SGE_AddTimer(t, 10, nullptr, SGE_TIMER_REPEAT);
  hook = [&](SGE_TASK*, SGE_DATAREF*, int32_t msg, SGE_PARAM p1, SGE_PARAM) {
    if (msg == SGM_TASK_TIMER && p1 == SGE_PtrParam(first)) {
      SGE_KillTimer(first);  // a one-shot killed by its own handler
      SGE_KillTimer(second);
    }
    return -1;
  };
  vntest::TraceCapture trace;
  log.clear();
  Tick(10);
  EXPECT_EQ(Fired(SGM_TASK_TIMER), 1);
  EXPECT_TRUE(trace.lines().empty());
  EXPECT_EQ(SGE_KillTaskTimers(t), 0);
}

TEST_F(Timers, TimersDieWithTheirTask) {
  SGE_TASK* t = Make();
  SGE_DATAREF* data = SGE_CreateDataRef(nullptr, 8);
  SGE_UpdateTimers();
  SGE_AddTimer(t, 10, data, SGE_TIMER_REPEAT);
  SGE_AddFrameTimer(t, 1, data, SGE_TIMER_REPEAT);
  EXPECT_EQ(data->nCount, 3);
  SGE_Send(t, SGM_TASK_DESTROY, 0, 0);  // its handler never killed them
  EXPECT_EQ(data->nCount, 1);
  log.clear();
  Tick(100);
  SGE_UpdateFrameTimers();
  EXPECT_TRUE(log.empty());
}

TEST_F(Timers, PurgeTaskKillsBothKindsAndQueuedMessages) {
  SGE_TASK* t = Make();
  SGE_AddTimer(t, 10, nullptr, SGE_TIMER_REPEAT);
  SGE_AddTimer(t, 20, nullptr, SGE_TIMER_REPEAT);
  SGE_AddFrameTimer(t, 1, nullptr, SGE_TIMER_REPEAT);
  SGE_Post(t, 100, 0, 0);
  EXPECT_EQ(SGE_KillTaskFrameTimers(t), 1);
  SGE_AddFrameTimer(t, 1, nullptr, SGE_TIMER_REPEAT);
  SGE_PurgeTask(t);
  log.clear();
  Tick(100);
  SGE_UpdateFrameTimers();
  SGE_DispatchMessages();
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(SGE_KillTimer(nullptr), 0);
}

TEST_F(Timers, FrameTimerOfPeriodThreeFiresEveryThirdFrame) {
  SGE_TASK* t = Make();
  SGE_TIMER* every3 = SGE_AddFrameTimer(t, 3, nullptr, SGE_TIMER_REPEAT);
  SGE_TIMER* every1 = SGE_AddFrameTimer(t, 1, nullptr, SGE_TIMER_REPEAT);
  SGE_TIMER* every0 = SGE_AddFrameTimer(t, 0, nullptr, SGE_TIMER_REPEAT);
  std::vector<int> frames3;
  int other = 0;
  for (int frame = 1; frame <= 10; ++frame) {
    log.clear();
    SGE_UpdateFrameTimers();
    for (const Event& e : log) {
      if (e.p1 == SGE_PtrParam(every3)) frames3.push_back(frame);
      if (e.p1 == SGE_PtrParam(every1) || e.p1 == SGE_PtrParam(every0))
        ++other;
      EXPECT_EQ(e.p2, static_cast<SGE_PARAM>(SGE_GetFrameCounter()));
    }
  }
  EXPECT_EQ(frames3, (std::vector<int>{3, 6, 9}));
  EXPECT_EQ(other, 20);
}

TEST_F(Timers, SuspendedTasksFrameTimersKeepCountingButAreHeldBack) {
  SGE_TASK* t = Make();
  SGE_TIMER* once = SGE_AddFrameTimer(t, 2, nullptr, 0);
  SGE_TIMER* repeat = SGE_AddFrameTimer(t, 2, nullptr, SGE_TIMER_REPEAT);
  SGE_SuspendTask(t);
  log.clear();
  SGE_UpdateFrameTimers();
  SGE_UpdateFrameTimers();
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(repeat->dwCountdown, 2u);
  EXPECT_EQ(SGE_KillTaskFrameTimers(t), 1);  // the one-shot expired unseen
  (void)once;
}

TEST_F(Timers, KillingAnExpiredOneShotWhoseMemoryWasReusedIsRefused) {
  for (uint32_t reuse : {16u, 100u}) {
    SGE_TASK* t = Make();
    SGE_UpdateTimers();
    SGE_TIMER* once = SGE_AddTimer(t, 10, nullptr, 0);
    Tick(10);  // fires and expires; the handle is stale now
    ASSERT_EQ(Fired(SGM_TASK_TIMER), 1);
    void* other = SGE_MemAlloc(SGE_TaskMem, reuse);
    ASSERT_EQ(other, static_cast<void*>(once)) << reuse;  // the newest free chunk is reused
    std::memset(other, 0x11, reuse);
    vntest::TraceCapture trace;
    EXPECT_EQ(SGE_KillTimer(once), 0) << reuse;
    EXPECT_TRUE(trace.contains("not a live timer")) << reuse;
    EXPECT_EQ(static_cast<unsigned char*>(other)[reuse - 1], 0x11) << reuse;
    EXPECT_EQ(SGE_MemFree(other), 1) << reuse;
    SGE_Send(t, SGM_TASK_DESTROY, 0, 0);
    log.clear();
  }
}

TEST_F(Timers, PostedDuringATickWaitsForTheDrain) {
  SGE_TASK* t = Make();
  SGE_UpdateTimers();
  SGE_AddTimer(t, 10, nullptr, 0);
  SGE_AddFrameTimer(t, 1, nullptr, 0);
  hook = [](SGE_TASK* task, SGE_DATAREF*, int32_t msg, SGE_PARAM, SGE_PARAM) {
    if (msg == SGM_TASK_TIMER || msg == SGM_TASK_FRAME) SGE_Post(task, 100 + msg, 0, 0);
    return -1;
  };
  log.clear();
  Tick(10);
  SGE_UpdateFrameTimers();
  EXPECT_EQ(Fired(SGM_TASK_TIMER), 1);
  EXPECT_EQ(Fired(SGM_TASK_FRAME), 1);
  EXPECT_EQ(Fired(100 + SGM_TASK_TIMER), 0);
  EXPECT_EQ(Fired(100 + SGM_TASK_FRAME), 0);
  SGE_DispatchMessages();
  EXPECT_EQ(Fired(100 + SGM_TASK_TIMER), 1);
  EXPECT_EQ(Fired(100 + SGM_TASK_FRAME), 1);
}

TEST_F(Timers, AddingATimerToNoTaskFails) {
  vntest::TraceCapture trace;
  EXPECT_EQ(SGE_AddTimer(nullptr, 10, nullptr, 0), nullptr);
  EXPECT_EQ(SGE_AddFrameTimer(nullptr, 10, nullptr, 0), nullptr);
  EXPECT_EQ(trace.lines().size(), 2u);
}

}  // namespace
}  // namespace kt
