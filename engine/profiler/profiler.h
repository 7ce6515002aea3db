#pragma once
// Frame profiler: groups of named counters over the high-resolution counter, each keeping its
// last ten runs, for the debug display. Nothing in the game depends on its figures.
// Also the timed trace, which stamps trace lines with elapsed milliseconds.
#include <cstdint>

constexpr int32_t KOPROFILE_HISTORY = 10;
constexpr int32_t KOPROFILE_NAME_SIZE = 32;

struct KOPROFILE_COUNTER {
  char szName[KOPROFILE_NAME_SIZE];
  int32_t nPos;  // history slot of the next run, 0 to 9
  int32_t bRunning;
  uint64_t aqStart[KOPROFILE_HISTORY];
  uint64_t aqStop[KOPROFILE_HISTORY];
  uint32_t dwLast;  // low 32 bits of stop - start
  uint32_t dwMean;  // mean of the ten slots' durations
  float fPercentSecond;
  float fPercentFrame;
};

// One zero-filled chunk of SPW_ObjsMem: the group, then its counters.
struct KOPROFILE_GROUP {
  char szName[KOPROFILE_NAME_SIZE];
  int32_t nCounters;
  KOPROFILE_COUNTER frame;
  KOPROFILE_COUNTER* pCounter;  // nCounters entries, right after the group
};

// Resets the timed trace's marks and measures the counter ticks per second; 1.
int32_t KOPROFILE_Init();
// Ticks per second measured by KOPROFILE_Init (0 when it could not be measured).
uint64_t KOPROFILE_GetCyclesPerSecond();

// None when the count is negative or memory fails.
KOPROFILE_GROUP* KOPROFILE_CreateGroup(int32_t count, const char* name);
// 1 when named (cut to 31 characters), 0 for a bad group or index.
int32_t KOPROFILE_NameCounter(KOPROFILE_GROUP* group, int32_t index, const char* name);

// Bad groups or indices are traced and ignored.
void KOPROFILE_Start(KOPROFILE_GROUP* group, int32_t index);
void KOPROFILE_Stop(KOPROFILE_GROUP* group, int32_t index);
void KOPROFILE_StartFrame(KOPROFILE_GROUP* group);
// Stops what is still running, then the frame counter, and works out the percentages.
void KOPROFILE_EndFrame(KOPROFILE_GROUP* group);

// Timed trace: "[%u ms, +%u ms] text" (since KOPROFILE_Init, since the previous timed trace).
void KOPROFILE_Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Replaces the stamp source (default PLAT_CounterNow) so that tests can drive the counters;
// none restores the default.
using KOPROFILE_StampFn = uint64_t (*)();
void KOPROFILE_SetStampSource(KOPROFILE_StampFn fn);
