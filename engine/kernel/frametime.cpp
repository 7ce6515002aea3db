// Frame timing, computed once per frame and read by everything that moves.
// Deltas come from the integer millisecond clock: seconds held as float lose whole
// milliseconds once the system has been up for a few hours.
#include "engine/kernel/frametime.h"

#include <cfloat>

#include "platform/clock.h"

namespace {

constexpr float kStartDelta = 1.0f / 30.0f;
constexpr float kMinDelta = 0.001f;
constexpr float kMaxDelta = 1.0f;
constexpr int kHistory = 3;
constexpr int kResetSteps = 100;
constexpr uint32_t kFpsWindowMs = 1000;
// The lowest figure is only believed once start-up stalls are over.
constexpr uint32_t kFpsLowFromUpdate = 4;

struct FrameTiming {
  uint32_t dwFrameStartMs = 0;
  float fSeconds = 0.0f;
  float fDelta = 0.0f;
  int32_t nDeltaMs = 0;
  float afDeltas[kHistory] = {kStartDelta, kStartDelta, kStartDelta};
  int nNext = 0;
  float fMean = kStartDelta;
  uint32_t dwFrameCounter = 0;
  uint32_t dwLastFpsMs = 0;
  uint32_t dwFpsUpdates = 0;
  float fFPS = 0.0f;
  float fFPSLow = FLT_MAX;
  float fFPSHigh = 0.0f;
};

FrameTiming g_ft;

}  // namespace

void SGE_InitFrameTiming() {
  g_ft = FrameTiming{};
  g_ft.dwFrameStartMs = PLAT_TimeMs();
  g_ft.fSeconds = static_cast<float>(g_ft.dwFrameStartMs * 0.001);
  SGE_ResetFrameTiming();
}

void SGE_UpdateFrameTiming() {
  ++g_ft.dwFrameCounter;
  const uint32_t now = PLAT_TimeMs();
  // Unsigned difference: a wrap of the system clock gives the true small step.
  const uint32_t stepMs = now - g_ft.dwFrameStartMs;
  g_ft.dwFrameStartMs = now;
  g_ft.fSeconds = static_cast<float>(now * 0.001);
  float delta = static_cast<float>(stepMs) * 0.001f;
  g_ft.nDeltaMs = static_cast<int32_t>(stepMs);
  if (delta < kMinDelta || delta > kMaxDelta) {
    // A stall, a debugger or a clock jump: nothing in the world may leap.
    delta = kMinDelta;
    g_ft.nDeltaMs = 1;
  }
  g_ft.fDelta = delta;
  g_ft.afDeltas[g_ft.nNext] = delta;
  g_ft.nNext = (g_ft.nNext + 1) % kHistory;
  g_ft.fMean = (g_ft.afDeltas[0] + g_ft.afDeltas[1] + g_ft.afDeltas[2]) * 0.33333334f;

  const uint32_t spanMs = now - g_ft.dwLastFpsMs;
  if (spanMs > kFpsWindowMs) {
    g_ft.fFPS = static_cast<float>(g_ft.dwFrameCounter) / (static_cast<float>(spanMs) * 0.001f);
    g_ft.dwLastFpsMs = now;
    ++g_ft.dwFpsUpdates;
    if (g_ft.dwFpsUpdates >= kFpsLowFromUpdate && g_ft.fFPS < g_ft.fFPSLow) g_ft.fFPSLow = g_ft.fFPS;
    if (g_ft.fFPS >= g_ft.fFPSHigh) g_ft.fFPSHigh = g_ft.fFPS;
    g_ft.dwFrameCounter = 0;
  }
}

void SGE_ResetFrameTiming() {
  for (int i = 0; i < kResetSteps; ++i) SGE_UpdateFrameTiming();
}

float SGE_GetFrameDelta() { return g_ft.fDelta; }
float SGE_GetFrameTime() { return g_ft.fMean; }
float SGE_GetFrameRate() { return g_ft.fMean > 0.0f ? 1.0f / g_ft.fMean : 0.0f; }
float SGE_GetFPS() { return g_ft.fFPS; }
int32_t SGE_GetFrameMs() { return g_ft.nDeltaMs; }
uint32_t SGE_GetFrameStartMs() { return g_ft.dwFrameStartMs; }
float SGE_GetSeconds() { return g_ft.fSeconds; }
uint32_t SGE_GetFrameCounter() { return g_ft.dwFrameCounter; }
