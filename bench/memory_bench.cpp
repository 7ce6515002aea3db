// Block allocator against a plain first fit written here, on the same allocate/free mixes: the
// same policy (first fit over a newest-first free list, the rest of a chunk split off, freed
// neighbours merged) without what a named block adds, the registry of blocks, the checks of
// every pointer and the traces. The goal is that those cost little.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
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
  void* memory = std::malloc(kBlockSize);
  SGE_MEMBLOCK* block = SGE_FormatMemBlock(memory, kBlockSize, "BenchBlock");
  BlockAlloc() = default;
  BlockAlloc(const BlockAlloc&) = delete;
  BlockAlloc& operator=(const BlockAlloc&) = delete;
  ~BlockAlloc() {
    SGE_ReleaseMemBlock(block);
    std::free(memory);
  }
  void* alloc(uint32_t n) { return SGE_MemAlloc(block, n); }
  void release(void* p) { SGE_MemFree(p); }
};

// Chunks of 16-byte headers in one arena, linked by offsets from its start (0 = none, so the
// first chunk starts after one unused header); a used chunk of size 0 ends the arena. A header
// is four words read one by one: a header struct would let the compiler take headers that
// overlap old ones (a chunk split where another was merged) for separate objects.
class PlainFirstFit {
 public:
  explicit PlainFirstFit(uint32_t bytes) : base_(static_cast<char*>(std::malloc(bytes))) {
    const uint32_t end = (bytes & ~7u) - kHead;
    Set(kHead, kSize, end - 2 * kHead);
    Set(kHead, kBefore, 0);
    Set(end, kSize, kUsed);
    Set(end, kBefore, kHead);
    Push(kHead);
  }
  PlainFirstFit(const PlainFirstFit&) = delete;
  PlainFirstFit& operator=(const PlainFirstFit&) = delete;
  ~PlainFirstFit() { std::free(base_); }

  void* alloc(uint32_t n) {
    const uint32_t need = (n + 7) & ~7u;
    for (uint32_t c = free_; c; c = Get(c, kNext)) {
      const uint32_t size = Get(c, kSize);
      if (size < need) continue;
      Unlink(c);
      if (size - need > kHead) {
        const uint32_t rest = c + kHead + need;
        Set(rest, kSize, size - need - kHead);
        Set(rest, kBefore, c);
        Set(After(rest), kBefore, rest);
        Push(rest);
        Set(c, kSize, need | kUsed);
      } else {
        Set(c, kSize, size | kUsed);
      }
      return base_ + c + kHead;
    }
    return nullptr;
  }

  void release(void* p) {
    if (!p) return;
    const auto c = static_cast<uint32_t>(static_cast<char*>(p) - base_) - kHead;
    Set(c, kSize, Get(c, kSize) & ~kUsed);
    uint32_t merged = c;
    const uint32_t before = Get(c, kBefore);
    if (before && !(Get(before, kSize) & kUsed)) {
      merged = before;  // already on the free list
      Absorb(merged, c);
    } else {
      Push(c);
    }
    const uint32_t next = After(merged);
    if (!(Get(next, kSize) & kUsed)) {
      Unlink(next);
      Absorb(merged, next);
    }
  }

 private:
  // Header words: data bytes (kUsed while in use), the chunk before in address order, and
  // while free the next and previous chunk of the free list.
  enum Word { kSize, kBefore, kNext, kPrev };
  static constexpr uint32_t kHead = 16;
  static constexpr uint32_t kUsed = 1;

  uint32_t Get(uint32_t chunk, Word w) const {
    uint32_t v;
    std::memcpy(&v, base_ + chunk + 4 * w, 4);
    return v;
  }
  void Set(uint32_t chunk, Word w, uint32_t v) { std::memcpy(base_ + chunk + 4 * w, &v, 4); }
  uint32_t After(uint32_t chunk) const { return chunk + kHead + (Get(chunk, kSize) & ~kUsed); }
  void Absorb(uint32_t chunk, uint32_t absorbed) {
    Set(chunk, kSize, Get(chunk, kSize) + kHead + Get(absorbed, kSize));
    Set(After(chunk), kBefore, chunk);
  }
  void Push(uint32_t chunk) {
    Set(chunk, kNext, free_);
    Set(chunk, kPrev, 0);
    if (free_) Set(free_, kPrev, chunk);
    free_ = chunk;
  }
  void Unlink(uint32_t chunk) {
    const uint32_t next = Get(chunk, kNext), prev = Get(chunk, kPrev);
    if (prev)
      Set(prev, kNext, next);
    else
      free_ = next;
    if (next) Set(next, kPrev, prev);
  }

  char* base_;  // from malloc, like a block's range
  uint32_t free_ = 0;
};

struct PlainAlloc {
  PlainFirstFit heap{kBlockSize};
  void* alloc(uint32_t n) { return heap.alloc(n); }
  void release(void* p) { heap.release(p); }
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

// Args: live chunks, largest extra size.
template <typename A>
void BM_Mix(benchmark::State& state) {
  const auto live = static_cast<uint32_t>(state.range(0));
  const Mix mix = MakeMix(live, static_cast<uint32_t>(state.range(1)));
  A a;
  std::vector<void*> slots(live);
  Fill(a, slots, 32);
  for (auto _ : state) RunMix(a, mix, slots);
  Drain(a, slots);
  state.SetItemsProcessed(state.iterations() * kSteps);
}

BENCHMARK_TEMPLATE(BM_Mix, BlockAlloc)->Args({100, 56})->Args({1000, 248})->Args({10000, 1016});
BENCHMARK_TEMPLATE(BM_Mix, PlainAlloc)->Args({100, 56})->Args({1000, 248})->Args({10000, 1016});

// Each mix replays on a filled allocator of each kind, alternating between the two.
void PrintGoals() {
  struct Case {
    uint32_t live, maxExtra;
    const char* goal;
    double target;
  };
  const Case cases[] = {{100, 56, "block_vs_first_fit_100_live", 1.3},
                        {1000, 248, "block_vs_first_fit_1000_live", 1.3},
                        {10000, 1016, "block_vs_first_fit_10000_live", 1.3}};
  for (const Case& c : cases) {
    const Mix mix = MakeMix(c.live, c.maxExtra);
    BlockAlloc block;
    PlainAlloc plain;
    std::vector<void*> blockSlots(c.live), plainSlots(c.live);
    Fill(block, blockSlots, 32);
    Fill(plain, plainSlots, 32);
    char blockLabel[64], plainLabel[64];
    std::snprintf(blockLabel, sizeof blockLabel, "block, %u live, 8..%u bytes", c.live,
                  8 + c.maxExtra);
    std::snprintf(plainLabel, sizeof plainLabel, "plain first fit, %u live, 8..%u bytes", c.live,
                  8 + c.maxExtra);
    const double ratio = vnBENCH_Compare(
        blockLabel, [&] { RunMix(block, mix, blockSlots); }, plainLabel,
        [&] { RunMix(plain, mix, plainSlots); }, 21);
    Drain(block, blockSlots);
    Drain(plain, plainSlots);
    vnBENCH_GoalAtMost(c.goal, ratio, c.target);
  }
}

}  // namespace

int main(int argc, char** argv) { return vnBENCH_Main(argc, argv, PrintGoals); }
