// Polygons per second through the batch lists (append, flush, recycle at the scene's end),
// next to the same triangles drawn by one indexed device call per frame: the ceiling that
// batching is read against. Runs offscreen.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "driver/batch/lists.h"
#include "driver/device/frame.h"
#include "driver/core/pools.h"
#include "platform/gfx/gfx.h"
#include "platform/window/window.h"

namespace {

constexpr int kQuads = 5000;
constexpr int W = 640, H = 480;

struct Device {
  Device() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("VANTORIA_HEADLESS", "1", 0);
    PLAT_GfxInit();
    window = PLAT_CreateWindow("bench", W, H, PLAT_WINDOW_OPENGL);
    PLAT_GfxResult why;
    state = SPPD_DRIVERSTATE{};
    SPPD_CreatePools(&state);
    state.pGfx = PLAT_GfxCreateDevice(window, {W, H, 32, true}, &why);
    for (SPPD_LISTHEAD* h : {&state.lhBatchLists, &state.lhFreeBuffers, &state.lhUsedBuffers,
                             &state.lhFreeAlphaBlocks, &state.lhQueuedLines})
      SPPD_LinkInit(h);
    SPPD_BatchCreateLists(&state);
    // Small quads spread over the screen, as sprites and effects come.
    for (int i = 0; i < kQuads; ++i) {
      float x = static_cast<float>((i * 37) % (W - 8)), y = static_cast<float>((i * 53) % (H - 8));
      uint32_t c = 0xFF000000u | static_cast<uint32_t>(i * 2654435761u >> 8);
      SPPD_TLVERTEX q[4] = {{x, y, 0.5f, 1, c, 0xFF000000u, 0, 0},
                            {x + 8, y, 0.5f, 1, c, 0xFF000000u, 1, 0},
                            {x + 8, y + 8, 0.5f, 1, c, 0xFF000000u, 1, 1},
                            {x, y + 8, 0.5f, 1, c, 0xFF000000u, 0, 1}};
      for (const SPPD_TLVERTEX& v : q) {
        quads.push_back(v);
        plain.push_back({v.sx, v.sy, v.sz, v.rhw, v.dwDiffuse, v.dwSpecular, v.tu, v.tv});
      }
      uint16_t base = static_cast<uint16_t>((4 * i) % 65532);
      for (uint16_t k : {0, 1, 2, 0, 2, 3}) indices.push_back(static_cast<uint16_t>(base + k));
    }
  }
  ~Device() {
    SPPD_BatchDestroy(&state);
    PLAT_GfxDestroyDevice(state.pGfx);
    SPPD_ReleasePools(&state);
    PLAT_DestroyWindow(window);
  }
  void Sync() {
    uint32_t p;
    PLAT_GfxReadPixels(state.pGfx, PLAT_GfxSurface::Back, 0, 0, 1, 1, &p);
  }
  PLAT_Window* window = nullptr;
  SPPD_DRIVERSTATE state{};
  std::vector<SPPD_TLVERTEX> quads;
  std::vector<PLAT_GfxVertex> plain;
  std::vector<uint16_t> indices;
};

// Wall time of the last run of each benchmark, for the ratio printed at the end.
struct Run {
  double seconds = 0.0;
  int64_t iterations = 0;
  double PerFrame() const { return iterations ? seconds / static_cast<double>(iterations) : 0.0; }
};
Run g_batch, g_plain;

double Since(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

Device& Dev() {
  static Device d;
  return d;
}

void BM_BatchLists(benchmark::State& st) {
  Device& d = Dev();
  SPPD_BATCHLIST* list = d.state.apBatchLists[9];
  auto t0 = std::chrono::steady_clock::now();
  for (auto _ : st) {
    PLAT_GfxBeginScene(d.state.pGfx);
    for (int i = 0; i < kQuads; ++i)
      SPPD_BatchAppendFan(&d.state, list, static_cast<uint32_t>(i % 4), &d.quads[4 * i], 4);
    SPPD_BatchFlushLists(&d.state, true);
    PLAT_GfxEndScene(d.state.pGfx);
    SPPD_BatchEndScene(&d.state);
    d.Sync();
  }
  g_batch = {Since(t0), st.iterations()};
  st.counters["polygons/s"] = benchmark::Counter(static_cast<double>(kQuads) * st.iterations(),
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BatchLists)->Unit(benchmark::kMillisecond);

void BM_PlainIndexedDraw(benchmark::State& st) {
  Device& d = Dev();
  auto t0 = std::chrono::steady_clock::now();
  for (auto _ : st) {
    PLAT_GfxBeginScene(d.state.pGfx);
    // 16-bit indices: one call per 16,383 quads at most, as the batches are bound too.
    for (int first = 0; first < kQuads; first += 16383) {
      int n = std::min(16383, kQuads - first);
      std::vector<uint16_t> idx(d.indices.begin() + 6 * first, d.indices.begin() + 6 * (first + n));
      for (uint16_t& k : idx) k = static_cast<uint16_t>(k - 4 * first);
      PLAT_GfxDrawIndexed(d.state.pGfx, PLAT_GfxPrimitive::TriangleList, &d.plain[4 * first], 4 * n,
                          idx.data(), static_cast<int>(idx.size()));
    }
    PLAT_GfxEndScene(d.state.pGfx);
    d.Sync();
  }
  g_plain = {Since(t0), st.iterations()};
  st.counters["polygons/s"] = benchmark::Counter(static_cast<double>(kQuads) * st.iterations(),
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PlainIndexedDraw)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  if (g_batch.PerFrame() > 0.0 && g_plain.PerFrame() > 0.0)
    std::printf("batch lists / plain indexed draw, time per frame: %.2fx (goal: 1.50x or less)\n",
                g_batch.PerFrame() / g_plain.PerFrame());
  benchmark::Shutdown();
  return 0;
}
