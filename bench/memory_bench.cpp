// Block allocator against the system allocator on the same allocate/free mixes; the goal is
// that first fit over the newest-first free list stays close to malloc.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <type_traits>
#include <vector>

#include "bench/goal.h"
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

// Each mix replays on a filled allocator of each kind, alternating between the two.
void PrintGoals() {
  struct Case {
    uint32_t live, maxExtra;
    const char* goal;
    double target;
  };
  const Case cases[] = {{100, 56, "block_vs_malloc_100_live", 2.0},
                        {1000, 248, "block_vs_malloc_1000_live", 2.0},
                        {10000, 1016, "block_vs_malloc_10000_live", 2.0}};
  for (const Case& c : cases) {
    const Mix mix = MakeMix(c.live, c.maxExtra);
    Arena arena;
    BlockAlloc block{arena.block};
    SystemAlloc system;
    std::vector<void*> blockSlots(c.live), systemSlots(c.live);
    Fill(block, blockSlots, 32);
    Fill(system, systemSlots, 32);
    char blockLabel[64], systemLabel[64];
    std::snprintf(blockLabel, sizeof blockLabel, "block, %u live, 8..%u bytes", c.live,
                  8 + c.maxExtra);
    std::snprintf(systemLabel, sizeof systemLabel, "malloc, %u live, 8..%u bytes", c.live,
                  8 + c.maxExtra);
    const double ratio = vnBENCH_Compare(
        blockLabel, [&] { RunMix(block, mix, blockSlots); }, systemLabel,
        [&] { RunMix(system, mix, systemSlots); }, 21);
    Drain(block, blockSlots);
    Drain(system, systemSlots);
    vnBENCH_GoalAtMost(c.goal, ratio, c.target);
  }
}

}  // namespace

int main(int argc, char** argv) { return vnBENCH_Main(argc, argv, PrintGoals); }
