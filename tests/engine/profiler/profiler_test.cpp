#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "engine/memory/memblock.h"
#include "engine/profiler/profiler.h"
#include "platform/clock.h"
#include "tests/support/support.h"

namespace {

uint64_t g_stamp = 0;
uint64_t FakeStamp() { return g_stamp; }

uint32_t g_ms = 0;
uint32_t FakeMs() { return g_ms; }

// A private SPW_ObjsMem and a stamp clock the test moves by hand.
class Profiler : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = SPW_ObjsMem;
    memory_.assign(64 * 1024 / sizeof(uint64_t), 0);
    SPW_ObjsMem = SGE_FormatMemBlock(memory_.data(), static_cast<uint32_t>(memory_.size() * sizeof(uint64_t)),
                                     "SPW_ObjsMem");
    ASSERT_NE(SPW_ObjsMem, nullptr);
    g_stamp = 1000;
    KOPROFILE_SetStampSource(&FakeStamp);
  }
  void TearDown() override {
    KOPROFILE_SetStampSource(nullptr);
    PLAT_SetClockOverride(nullptr);
    SGE_ReleaseMemBlock(SPW_ObjsMem);
    SPW_ObjsMem = saved_;
  }
  void Run(KOPROFILE_GROUP* g, int32_t index, uint64_t ticks) {
    KOPROFILE_Start(g, index);
    g_stamp += ticks;
    KOPROFILE_Stop(g, index);
  }

  std::vector<uint64_t> memory_;
  SGE_MEMBLOCK* saved_ = nullptr;
};

}  // namespace

TEST_F(Profiler, CreateGroupGivesNamedZeroedCounters) {
  KOPROFILE_GROUP* g = KOPROFILE_CreateGroup(4, "System");
  ASSERT_NE(g, nullptr);
  EXPECT_STREQ(g->szName, "System");
  EXPECT_EQ(g->nCounters, 4);
  EXPECT_EQ(KOPROFILE_NameCounter(g, 3, "DORender"), 1);
  EXPECT_STREQ(g->pCounter[3].szName, "DORender");
  EXPECT_EQ(g->pCounter[3].nPos, 0);
  EXPECT_EQ(g->pCounter[3].dwMean, 0u);
  // Names keep at most 31 characters and a terminator.
  const std::string longName(50, 'n');
  EXPECT_EQ(KOPROFILE_NameCounter(g, 0, longName.c_str()), 1);
  EXPECT_EQ(std::strlen(g->pCounter[0].szName), 31u);
  EXPECT_STREQ(g->pCounter[1].szName, "");
}

TEST_F(Profiler, StopKeepsDurationAndMeanOverTenSlots) {
  KOPROFILE_GROUP* g = KOPROFILE_CreateGroup(1, "G");
  ASSERT_NE(g, nullptr);
  Run(g, 0, 500);
  const KOPROFILE_COUNTER& c = g->pCounter[0];
  EXPECT_EQ(c.dwLast, 500u);
  EXPECT_EQ(c.dwMean, 50u);  // nine empty slots count as 0
  EXPECT_EQ(c.nPos, 1);
  EXPECT_EQ(c.bRunning, 0);
  Run(g, 0, 1500);
  EXPECT_EQ(c.dwLast, 1500u);
  EXPECT_EQ(c.dwMean, 200u);
}

TEST_F(Profiler, EleventhRunOverwritesTheOldestSlot) {
  KOPROFILE_GROUP* g = KOPROFILE_CreateGroup(1, "G");
  ASSERT_NE(g, nullptr);
  for (int i = 0; i < 10; ++i) Run(g, 0, 100);
  const KOPROFILE_COUNTER& c = g->pCounter[0];
  EXPECT_EQ(c.nPos, 0);
  EXPECT_EQ(c.dwMean, 100u);
  const uint64_t eleventhStart = g_stamp;
  Run(g, 0, 1100);
  EXPECT_EQ(c.nPos, 1);
  EXPECT_EQ(c.aqStart[0], eleventhStart);
  EXPECT_EQ(c.aqStop[0], eleventhStart + 1100);
  EXPECT_EQ(c.dwMean, 200u);
}

TEST_F(Profiler, EndFrameStopsRunningCountersAndWorksOutPercentages) {
  g_ms = 0;
  PLAT_SetClockOverride(&FakeMs);
  ASSERT_EQ(KOPROFILE_Init(), 1);  // stamps frozen across the sleep: no rate
  KOPROFILE_GROUP* g = KOPROFILE_CreateGroup(2, "System");
  ASSERT_NE(g, nullptr);
  for (int frame = 0; frame < KOPROFILE_HISTORY; ++frame) {
    KOPROFILE_StartFrame(g);
    Run(g, 0, 250);
    KOPROFILE_Start(g, 1);  // never stopped: runs to the end of the frame
    g_stamp += 750;
    KOPROFILE_EndFrame(g);
  }
  EXPECT_EQ(g->frame.dwLast, 1000u);
  EXPECT_EQ(g->frame.dwMean, 1000u);
  EXPECT_EQ(g->pCounter[1].bRunning, 0);
  EXPECT_EQ(g->pCounter[1].dwLast, 750u);
  EXPECT_FLOAT_EQ(g->pCounter[0].fPercentFrame, 25.0f);
  EXPECT_FLOAT_EQ(g->pCounter[1].fPercentFrame, 75.0f);
  EXPECT_FLOAT_EQ(g->frame.fPercentFrame, 100.0f);
  // No rate was measured: 0 rather than infinity.
  EXPECT_EQ(KOPROFILE_GetCyclesPerSecond(), 0u);
  EXPECT_EQ(g->pCounter[0].fPercentSecond, 0.0f);
}

TEST_F(Profiler, EmptyFrameGivesZeroPercentages) {
  KOPROFILE_GROUP* g = KOPROFILE_CreateGroup(1, "G");
  ASSERT_NE(g, nullptr);
  KOPROFILE_StartFrame(g);
  KOPROFILE_Start(g, 0);
  KOPROFILE_EndFrame(g);  // no time passed at all
  EXPECT_EQ(g->frame.dwMean, 0u);
  EXPECT_EQ(g->pCounter[0].fPercentFrame, 0.0f);
  EXPECT_FALSE(std::isnan(g->frame.fPercentFrame));
}

TEST_F(Profiler, InitMeasuresTheStampRate) {
  KOPROFILE_SetStampSource(nullptr);  // the real counter against itself
  ASSERT_EQ(KOPROFILE_Init(), 1);
  const double rate = static_cast<double>(KOPROFILE_GetCyclesPerSecond());
  const double frequency = static_cast<double>(PLAT_CounterFrequency());
  EXPECT_NEAR(rate / frequency, 1.0, 0.1);
  KOPROFILE_GROUP* g = KOPROFILE_CreateGroup(1, "G");
  ASSERT_NE(g, nullptr);
  KOPROFILE_StartFrame(g);
  KOPROFILE_Start(g, 0);
  KOPROFILE_EndFrame(g);
  EXPECT_GE(g->pCounter[0].fPercentSecond, 0.0f);
  EXPECT_LT(g->pCounter[0].fPercentSecond, 100.0f);
}

TEST_F(Profiler, BadGroupsAndIndicesAreTracedAndIgnored) {
  vntest::TraceCapture trace;
  EXPECT_EQ(KOPROFILE_CreateGroup(-1, "Bad"), nullptr);
  KOPROFILE_GROUP* g = KOPROFILE_CreateGroup(2, "G");
  ASSERT_NE(g, nullptr);
  const KOPROFILE_COUNTER before = g->pCounter[1];
  KOPROFILE_Start(g, 2);
  KOPROFILE_Stop(g, -1);
  KOPROFILE_Start(nullptr, 0);
  KOPROFILE_StartFrame(nullptr);
  KOPROFILE_EndFrame(nullptr);
  EXPECT_EQ(KOPROFILE_NameCounter(g, 5, "x"), 0);
  EXPECT_EQ(std::memcmp(&before, &g->pCounter[1], sizeof before), 0);
  EXPECT_TRUE(trace.contains("counter 2 outside group G"));
  EXPECT_GE(trace.lines().size(), 6u);
}

TEST_F(Profiler, CreateGroupFailsWithoutMemory) {
  vntest::TraceCapture trace;
  SGE_MEMBLOCK* block = SPW_ObjsMem;
  SPW_ObjsMem = nullptr;
  EXPECT_EQ(KOPROFILE_CreateGroup(2, "System"), nullptr);
  EXPECT_EQ(KOPROFILE_CreateGroup(100000, "Huge"), nullptr);
  SPW_ObjsMem = block;
  EXPECT_TRUE(trace.contains("no memory for System"));
}

TEST_F(Profiler, TimedTraceStampsElapsedMilliseconds) {
  g_ms = 0xFFFFFF00u;  // the stamps must survive the clock's wrap
  PLAT_SetClockOverride(&FakeMs);
  KOPROFILE_Init();
  vntest::TraceCapture trace;
  g_ms += 250;
  KOPROFILE_Trace("load %s\n", "terrain");
  g_ms += 350;
  KOPROFILE_Trace("done\n");
  ASSERT_EQ(trace.lines().size(), 2u);
  EXPECT_EQ(trace.lines()[0], "[250 ms, +250 ms] load terrain\n");
  EXPECT_EQ(trace.lines()[1], "[600 ms, +350 ms] done\n");
}
