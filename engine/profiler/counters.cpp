// Profile groups and their counters.
#include <cstring>

#include "engine/memory/memblock.h"
#include "engine/profiler/internal.h"
#include "engine/profiler/profiler.h"
#include "platform/clock.h"
#include "platform/trace.h"

namespace {

KOPROFILE_StampFn g_stampSource = nullptr;

void CopyName(char (&dst)[KOPROFILE_NAME_SIZE], const char* src) {
  std::memset(dst, 0, sizeof dst);
  if (src) std::strncpy(dst, src, sizeof dst - 1);
}

KOPROFILE_COUNTER* CounterAt(KOPROFILE_GROUP* group, int32_t index, const char* where) {
  if (!group) {
    PLAT_Trace("KOPROFILE: %s with no group\n", where);
    return nullptr;
  }
  if (index < 0 || index >= group->nCounters) {
    PLAT_Trace("KOPROFILE: %s counter %d outside group %s of %d\n", where, index, group->szName,
               group->nCounters);
    return nullptr;
  }
  return &group->pCounter[index];
}

void StartCounter(KOPROFILE_COUNTER* c) {
  c->aqStart[c->nPos] = KOPROFILE_ReadStamp();
  c->bRunning = 1;
}

void StopCounter(KOPROFILE_COUNTER* c) {
  c->aqStop[c->nPos] = KOPROFILE_ReadStamp();
  c->dwLast = static_cast<uint32_t>(c->aqStop[c->nPos] - c->aqStart[c->nPos]);
  uint64_t sum = 0;
  for (int32_t i = 0; i < KOPROFILE_HISTORY; ++i)
    sum += static_cast<uint32_t>(c->aqStop[i] - c->aqStart[i]);
  c->dwMean = static_cast<uint32_t>(sum / KOPROFILE_HISTORY);
  c->nPos = (c->nPos + 1) % KOPROFILE_HISTORY;
  c->bRunning = 0;
}

// A zero divisor (no measured rate, an empty frame) gives 0 rather than inf or NaN.
float Percent(uint32_t part, double whole) {
  if (!(whole > 0.0)) return 0.0f;
  return static_cast<float>(static_cast<double>(part) * 100.0 / whole);
}

void UpdatePercentages(KOPROFILE_COUNTER* c, double perSecond, double frameMean) {
  c->fPercentSecond = Percent(c->dwLast, perSecond);
  c->fPercentFrame = Percent(c->dwLast, frameMean);
}

}  // namespace

uint64_t KOPROFILE_ReadStamp() { return g_stampSource ? g_stampSource() : PLAT_CounterNow(); }

void KOPROFILE_SetStampSource(KOPROFILE_StampFn fn) { g_stampSource = fn; }

KOPROFILE_GROUP* KOPROFILE_CreateGroup(int32_t count, const char* name) {
  // The chunk size is 32-bit; keep the request far below that.
  constexpr int32_t kMaxCounters = 10000;
  if (count < 0 || count > kMaxCounters) {
    PLAT_Trace("KOPROFILE_CreateGroup: bad counter count %d for %s\n", count, name ? name : "");
    return nullptr;
  }
  const uint32_t size = static_cast<uint32_t>(sizeof(KOPROFILE_GROUP) + count * sizeof(KOPROFILE_COUNTER));
  auto* group = static_cast<KOPROFILE_GROUP*>(SGE_MemCalloc(SPW_ObjsMem, size));
  if (!group) {
    PLAT_Trace("KOPROFILE_CreateGroup: no memory for %s\n", name ? name : "");
    return nullptr;
  }
  CopyName(group->szName, name);
  group->nCounters = count;
  group->pCounter = reinterpret_cast<KOPROFILE_COUNTER*>(group + 1);
  return group;
}

int32_t KOPROFILE_NameCounter(KOPROFILE_GROUP* group, int32_t index, const char* name) {
  KOPROFILE_COUNTER* c = CounterAt(group, index, "KOPROFILE_NameCounter");
  if (!c) return 0;
  CopyName(c->szName, name);
  return 1;
}

void KOPROFILE_Start(KOPROFILE_GROUP* group, int32_t index) {
  if (KOPROFILE_COUNTER* c = CounterAt(group, index, "KOPROFILE_Start")) StartCounter(c);
}

void KOPROFILE_Stop(KOPROFILE_GROUP* group, int32_t index) {
  if (KOPROFILE_COUNTER* c = CounterAt(group, index, "KOPROFILE_Stop")) StopCounter(c);
}

void KOPROFILE_StartFrame(KOPROFILE_GROUP* group) {
  if (!group) {
    PLAT_Trace("KOPROFILE_StartFrame: no group\n");
    return;
  }
  StartCounter(&group->frame);
}

void KOPROFILE_EndFrame(KOPROFILE_GROUP* group) {
  if (!group) {
    PLAT_Trace("KOPROFILE_EndFrame: no group\n");
    return;
  }
  for (int32_t i = 0; i < group->nCounters; ++i)
    if (group->pCounter[i].bRunning) StopCounter(&group->pCounter[i]);
  StopCounter(&group->frame);
  const double perSecond = static_cast<double>(KOPROFILE_GetCyclesPerSecond());
  const double frameMean = group->frame.dwMean;
  UpdatePercentages(&group->frame, perSecond, frameMean);
  for (int32_t i = 0; i < group->nCounters; ++i) UpdatePercentages(&group->pCounter[i], perSecond, frameMean);
}
