// Block allocator against the system allocator on the same allocate/free mixes.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <type_traits>
#include <vector>

#include "engine/memory/memblock.h"

namespace {

constexpr uint32_t kBlockSize = 16u << 20;
constexpr size_t kSteps = 1 << 14;

// One fixed mix: which live slot to replace and the new size (8..(8+maxExtra) bytes).
struct Mix {
  std::vector<uint32_t> slot;
  std::vector<uint32_t> size;
};

Mix MakeMix(uint32_t live, uint32_t maxExtra) {
  Mix m;
  uint32_t x = 12345;
  for (size_t i = 0; i < kSteps; ++i) {
    x = x * 214013u + 2531011u;
    m.slot.push_back((x >> 8) % live);
    x = x * 214013u + 2531011u;
    m.size.push_back(8 + (x >> 8) % (maxExtra + 1));
  }
  return m;
}

struct BlockAlloc {
  SGE_MEMBLOCK* block;
  void* alloc(uint32_t n) { return SGE_MemAlloc(block, n); }
  void release(void* p) { SGE_MemFree(p); }
};

struct SystemAlloc {
  void* alloc(uint32_t n) { return std::malloc(n); }
  void release(void* p) { std::free(p); }
};

template <typename A>
void RunMix(A& a, const Mix& mix, std::vector<void*>& live) {
  for (size_t i = 0; i < kSteps; ++i) {
    void*& p = live[mix.slot[i]];
    a.release(p);
    p = a.alloc(mix.size[i]);
    benchmark::DoNotOptimize(p);
  }
}

template <typename A>
void Fill(A& a, std::vector<void*>& live, uint32_t size) {
  for (void*& p : live) p = a.alloc(size);
}

template <typename A>
void Drain(A& a, std::vector<void*>& live) {
  for (void*& p : live) {
    a.release(p);
    p = nullptr;
  }
}

struct Arena {
  void* memory = std::malloc(kBlockSize);
  SGE_MEMBLOCK* block = SGE_FormatMemBlock(memory, kBlockSize, "BenchBlock");
  ~Arena() {
    SGE_ReleaseMemBlock(block);
    std::free(memory);
  }
};

// Args: live chunks, largest extra size.
template <typename A>
void BM_Mix(benchmark::State& state) {
  const auto live = static_cast<uint32_t>(state.range(0));
  const Mix mix = MakeMix(live, static_cast<uint32_t>(state.range(1)));
  Arena arena;
  A a;
  if constexpr (std::is_same_v<A, BlockAlloc>) a.block = arena.block;
  std::vector<void*> slots(live);
  Fill(a, slots, 32);
  for (auto _ : state) RunMix(a, mix, slots);
  Drain(a, slots);
  state.SetItemsProcessed(state.iterations() * kSteps);
}

BENCHMARK_TEMPLATE(BM_Mix, BlockAlloc)->Args({100, 56})->Args({1000, 248})->Args({10000, 1016});
BENCHMARK_TEMPLATE(BM_Mix, SystemAlloc)->Args({100, 56})->Args({1000, 248})->Args({10000, 1016});

template <typename A>
double Seconds(A& a, const Mix& mix, uint32_t live) {
  std::vector<void*> slots(live);
  Fill(a, slots, 32);
  const auto start = std::chrono::steady_clock::now();
  for (int r = 0; r < 20; ++r) RunMix(a, mix, slots);
  const std::chrono::duration<double> d = std::chrono::steady_clock::now() - start;
  Drain(a, slots);
  return d.count();
}

void PrintRatios() {
  const uint32_t cases[][2] = {{100, 56}, {1000, 248}, {10000, 1016}};
  for (const auto& c : cases) {
    const Mix mix = MakeMix(c[0], c[1]);
    Arena arena;
    BlockAlloc block{arena.block};
    SystemAlloc system;
    const double b = Seconds(block, mix, c[0]);
    const double s = Seconds(system, mix, c[0]);
    std::printf("mix live=%u sizes=8..%u: block/malloc time ratio %.2f\n", c[0], 8 + c[1],
                s > 0 ? b / s : 0.0);
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintRatios();
  return 0;
}
