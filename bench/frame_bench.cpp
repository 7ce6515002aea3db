// The cost of an empty frame: the kernel stages and an empty render pass through the
// recording driver (its calls are recorded, so this is an upper bound of the shell's share).
// The goal: with no tasks, the kernel and input stages cost no more than the render pass.
#include <benchmark/benchmark.h>

#include "bench/goal.h"
#include "engine/display/display.h"
#include "engine/driver/driverbind.h"
#include "platform/dynlib.h"
#include "shell/app.h"
#include "shell/frame.h"
#include "recdrv/recdrv.h"
#include "shell/state.h"

namespace {

void BM_EmptyFrame(benchmark::State& state) {
  if (!SPW_InitEngine()) {
    state.SkipWithError("engine start failed");
    return;
  }
  PLAT_Library* lib = PLAT_LoadLibrary(RECDRV_PATH);
  SPW_DISPLAY* display = lib ? SPW_BindDriver(nullptr, lib) : nullptr;
  auto reset = lib ? reinterpret_cast<RecDrv_ResetFn>(PLAT_FindSymbol(lib, "RecDrv_Reset"))
                   : nullptr;
  if (!display || !reset) {
    state.SkipWithError("recording driver not bound");
  } else {
    vnMAIN_SetDisplay(display);
    int n = 0;
    for (auto _ : state) {
      benchmark::DoNotOptimize(vnMAIN_Frame());
      if (++n % 1024 == 0) reset();  // keep the call log from growing without bound
    }
    vnMAIN_SetDisplay(nullptr);
    SPW_DestroyDriverDisplay(display);
  }
  if (lib) PLAT_FreeLibrary(lib);
  SPW_ShutdownEngine();
}
BENCHMARK(BM_EmptyFrame);

constexpr int kFrames = 100;

void PrintGoal() {
  double ratio = 1e9;
  PLAT_Library* lib = SPW_InitEngine() ? PLAT_LoadLibrary(RECDRV_PATH) : nullptr;
  SPW_DISPLAY* display = lib ? SPW_BindDriver(nullptr, lib) : nullptr;
  auto reset = lib ? reinterpret_cast<RecDrv_ResetFn>(PLAT_FindSymbol(lib, "RecDrv_Reset"))
                   : nullptr;
  if (display && reset) {
    vnMAIN_SetDisplay(display);
    ratio = vnBENCH_Compare(
        "100 empty frames",
        [&] {
          for (int i = 0; i < kFrames; ++i) benchmark::DoNotOptimize(vnMAIN_Frame());
          reset();
        },
        "100 render passes alone",
        [&] {
          for (int i = 0; i < kFrames; ++i) benchmark::DoNotOptimize(vnMAIN_FrameRenderOnly());
          reset();
        },
        15);
    vnMAIN_SetDisplay(nullptr);
    SPW_DestroyDriverDisplay(display);
  } else {
    std::printf("recording driver not bound\n");
  }
  if (lib) PLAT_FreeLibrary(lib);
  SPW_ShutdownEngine();
  vnBENCH_GoalAtMost("empty_frame_vs_render_pass", ratio, 2.0);
}

}  // namespace

int main(int argc, char** argv) { return vnBENCH_Main(argc, argv, PrintGoal); }
