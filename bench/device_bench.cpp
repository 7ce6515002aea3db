// Cost of presenting an empty frame through the driver (SPPD_BeginScene/SPPD_EndScene) and of
// the device layer's flip alone, offscreen; the goal is that the driver adds little to the flip.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/goal.h"
#include "driver/core/block.h"
#include "driver/device/device.h"
#include "driver/device/prefs.h"
#include "engine/display/display.h"
#include "engine/kernel/kernel.h"
#include "platform/gfx/gfx.h"
#include "platform/window/window.h"

namespace {

struct Display {
  std::vector<uint8_t> block = std::vector<uint8_t>(sizeof(SPPD_DRIVERDATA), 0);
  SGE_DATAREF ref{1, static_cast<int32_t>(sizeof(SPPD_DRIVERDATA)), nullptr};
  SPW_DISPLAY display{};
  PLAT_Window* window = nullptr;

  bool Create(int w, int h) {
    ref.pData = block.data();
    display.pDriver = &ref;
    if (!PLAT_GfxInit()) return false;
    window = PLAT_CreateWindow("bench", w, h, PLAT_WINDOW_OPENGL);
    SPPD_DRIVERSTATE p{};
    p.fFullScreen = 1;
    p.nWidth = w;
    p.nHeight = h;
    p.nBPP = p.nTBPP = 16;
    p.nZDepth = 16;
    p.guidDisplay = SPPD_PRIMARY_DISPLAY_GUID;
    p.guidDevice = PLAT_GfxHardwareDeviceGuid();
    return window && SPPD_SavePreferences(&p) == SPPD_OK && SPPD_Create(&display, window) == SPPD_OK;
  }
  ~Display() {
    SPPD_Destroy(&display);
    if (window) PLAT_DestroyWindow(window);
  }
};

void BM_EmptyFrame(benchmark::State& state) {
  Display d;
  if (!d.Create(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)))) {
    state.SkipWithError("no device");
    return;
  }
  for (auto _ : state) {
    SPPD_BeginScene(&d.display);
    SPPD_EndScene(&d.display);
  }
}
BENCHMARK(BM_EmptyFrame)->Args({640, 480})->Args({1024, 768});

void BM_Flip(benchmark::State& state) {
  Display d;
  if (!d.Create(640, 480)) {
    state.SkipWithError("no device");
    return;
  }
  PLAT_GfxDevice* dev = SPPD_GetDriverState(&d.display)->pGfx;
  for (auto _ : state) PLAT_GfxFlip(dev);
}
BENCHMARK(BM_Flip);

constexpr int kFrames = 20;

void PrintGoal() {
  Display d;
  if (!d.Create(640, 480)) {
    std::printf("no device\n");
    vnBENCH_GoalAtMost("empty_scene_vs_flip", 1e9, 1.25);
    return;
  }
  PLAT_GfxDevice* dev = SPPD_GetDriverState(&d.display)->pGfx;
  const double ratio = vnBENCH_Compare(
      "20 empty scenes, 640x480",
      [&] {
        for (int i = 0; i < kFrames; ++i) {
          SPPD_BeginScene(&d.display);
          SPPD_EndScene(&d.display);
        }
      },
      "20 flips, 640x480",
      [&] {
        for (int i = 0; i < kFrames; ++i) PLAT_GfxFlip(dev);
      },
      15);
  vnBENCH_GoalAtMost("empty_scene_vs_flip", ratio, 1.25);
}

}  // namespace

int main(int argc, char** argv) {
  // Offscreen, with a private settings store, whatever the caller's environment.
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("VANTORIA_HEADLESS", "1", 0);
  std::string store = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") +
                      "/vantoria-bench-device-registry.txt";
  setenv("VANTORIA_REGISTRY", store.c_str(), 1);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintGoal();
  std::remove(store.c_str());
  return 0;
}
