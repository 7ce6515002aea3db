// The frame: one stage per line, in the order the frame runs. After each stage the posted
// messages are drained and a quit request set by any handler ends the frame at once.
#include "shell/frame.h"

#include "engine/display/display.h"
#include "engine/input/koinput.h"
#include "engine/kernel/frametime.h"
#include "engine/kernel/kernel.h"
#include "engine/kernel/program.h"
#include "engine/profiler/profiler.h"
#include "shell/app.h"
#include "shell/fpu.h"
#include "shell/state.h"

namespace {

// Profile counters of group 0.
constexpr int32_t kCounterAnim = 1;
constexpr int32_t kCounterDisplays = 2;

VNMAIN_WORLDPASS g_worldPasses[VN_NUM_WORLD_PASSES] = {};
VNMAIN_TIMESCALEFN g_timeScale = nullptr;

bool DrainAndCheckQuit() {
  SGE_DispatchMessages();
  return SGE_QuitRequested() != 0;
}

void Start(KOPROFILE_GROUP* group, int32_t counter) {
  if (group) KOPROFILE_Start(group, counter);
}
void Stop(KOPROFILE_GROUP* group, int32_t counter) {
  if (group) KOPROFILE_Stop(group, counter);
}

void UpdateTiming() {
  if (KOPROFILE_GROUP* sys = vnMAIN_GetProfileGroup(0)) {
    KOPROFILE_EndFrame(sys);
    KOPROFILE_StartFrame(sys);
  }
  SGE_UpdateFrameTiming();
}

void Render(KOPROFILE_GROUP* sys) {
  uint32_t fpu = 0;
  int32_t changed = SGE_SetFPUSingle(&fpu);
  Start(sys, kCounterDisplays);
  SPW_RenderDisplays();
  Stop(sys, kCounterDisplays);
  if (changed) SGE_RestoreFPU(fpu);
}

// The world passes and the next frame's time scale; false when a pass asked to quit.
bool RunWorld() {
  for (VNMAIN_WORLDPASS pass : g_worldPasses) {
    if (!pass) continue;
    pass();
    if (DrainAndCheckQuit()) return false;
  }
  if (g_timeScale) g_timeScale(static_cast<uint32_t>(SGE_GetFrameMs()));
  return true;
}

}  // namespace

void vnMAIN_SetWorldPass(int32_t index, VNMAIN_WORLDPASS pass) {
  if (index >= 0 && index < VN_NUM_WORLD_PASSES) g_worldPasses[index] = pass;
}

void vnMAIN_SetTimeScaleFn(VNMAIN_TIMESCALEFN fn) { g_timeScale = fn; }

int32_t vnMAIN_Frame() {
  KOPROFILE_GROUP* sys = vnMAIN_GetProfileGroup(0);

  UpdateTiming();
  if (SGE_QuitRequested() || DrainAndCheckQuit()) return 1;

  SGE_UpdateClock();
  SGE_UpdateTimers();
  if (DrainAndCheckQuit()) return 1;

  KOINPUT_Poll();
  if (DrainAndCheckQuit()) return 1;

  Start(sys, kCounterAnim);
  SGE_UpdateFrameTimers();
  Stop(sys, kCounterAnim);
  if (DrainAndCheckQuit()) return 1;

  // Started again before the paused test so that the counter runs paused or not.
  Start(sys, kCounterAnim);
  bool quit = !vnMAIN_IsPaused() && !RunWorld();
  Stop(sys, kCounterAnim);
  if (quit || DrainAndCheckQuit()) return 1;

  Render(sys);
  return DrainAndCheckQuit() ? 1 : 0;
}

int32_t vnMAIN_FrameRenderOnly() {
  UpdateTiming();
  Render(vnMAIN_GetProfileGroup(0));
  return DrainAndCheckQuit() ? 1 : 0;
}
