// The cost of an empty frame: the kernel stages and an empty render pass through the
// recording driver (its calls are recorded, so this is an upper bound of the shell's share).
#include <benchmark/benchmark.h>

#include "engine/display/display.h"
#include "engine/driver/driverbind.h"
#include "platform/dynlib.h"
#include "shell/app.h"
#include "shell/frame.h"
#include "recdrv/recdrv.h"

static void BM_EmptyFrame(benchmark::State& state) {
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

BENCHMARK_MAIN();
