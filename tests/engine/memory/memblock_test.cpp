#include "engine/memory/memblock.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "tests/support/support.h"

namespace {

// A block formatted over a private buffer of payload + overhead bytes.
class BlockTest : public ::testing::Test {
 protected:
  void Make(uint32_t payload) {
    if (SGE_IsMemBlock(block_)) SGE_ReleaseMemBlock(block_);
    buffer_.assign((payload + SGE_MEMBLOCK_OVERHEAD) / 8 + 1, 0);
    block_ = SGE_FormatMemBlock(buffer_.data(), payload + SGE_MEMBLOCK_OVERHEAD, "TestBlock");
    ASSERT_NE(block_, nullptr);
  }
  void SetUp() override { Make(4096); }
  void TearDown() override {
    if (SGE_IsMemBlock(block_)) SGE_ReleaseMemBlock(block_);
  }
  SGE_MEMSTATS Stats() {
    SGE_MEMSTATS s;
    SGE_GetMemBlockStats(&s, block_);
    return s;
  }
  std::vector<uint64_t> buffer_;
  SGE_MEMBLOCK* block_ = nullptr;
};

TEST_F(BlockTest, FormattedOverPayloadPlusOverheadOffersThePayload) {
  Make(1000000);
  const SGE_MEMSTATS s = Stats();
  EXPECT_EQ(s.dwFreeBytes, 1000000u);
  EXPECT_EQ(s.dwFreeChunks, 1u);
  EXPECT_EQ(s.dwUsedChunks, 0u);
  EXPECT_EQ(s.dwSmallestUsed, 0u);
  EXPECT_STREQ(block_->szName, "TestBlock");
  EXPECT_EQ(std::memcmp(block_->szMagic, "#MB_uID", 8), 0);
  EXPECT_EQ(SGE_MEMBLOCK_OVERHEAD, 104u);
}

TEST_F(BlockTest, FormatRefusesMissingOrTooSmallRanges) {
  vntest::TraceCapture trace;
  uint64_t small[4];
  EXPECT_EQ(SGE_FormatMemBlock(nullptr, 100, "x"), nullptr);
  EXPECT_EQ(SGE_FormatMemBlock(small, 0, "x"), nullptr);
  EXPECT_EQ(SGE_FormatMemBlock(small, sizeof small, "x"), nullptr);
  EXPECT_EQ(trace.lines().size(), 3u);
}

TEST_F(BlockTest, StatsOfNoBlockAreAllZero) {
  SGE_MEMSTATS s;
  std::memset(&s, 0x7f, sizeof s);
  SGE_GetMemBlockStats(&s, nullptr);
  const SGE_MEMSTATS zero{};
  EXPECT_EQ(std::memcmp(&s, &zero, sizeof s), 0);
}

TEST_F(BlockTest, StatsStopAtACorruptChunk) {
  char* a = static_cast<char*>(SGE_MemAlloc(block_, 64));
  SGE_MemAlloc(block_, 64);
  // A wild write over the second chunk's size word must not send the walk out of the block.
  uint32_t huge = 0xFFFFFFF1u;
  std::memcpy(a + 64 + 4, &huge, sizeof huge);
  vntest::TraceCapture trace;
  const SGE_MEMSTATS s = Stats();
  EXPECT_TRUE(trace.contains("corrupt"));
  EXPECT_EQ(s.dwUsedChunks, 1u);
}

TEST_F(BlockTest, SmallSizesTakeOneGranuleAndChunksAreAligned) {
  for (uint32_t size : {1u, 2u, 3u, 4u, 5u, 8u}) {
    void* p = SGE_MemAlloc(block_, size);
    ASSERT_NE(p, nullptr) << size;
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 8, 0u) << size;
    EXPECT_EQ(SGE_MemSize(p), 8u) << size;
  }
  char* a = static_cast<char*>(SGE_MemAlloc(block_, 12));
  char* b = static_cast<char*>(SGE_MemAlloc(block_, 1));
  EXPECT_EQ(SGE_MemSize(a), 16u);
  EXPECT_EQ(b - a, 16 + 16);
}

TEST_F(BlockTest, ZeroSizeAndFullBlockGiveNone) {
  vntest::TraceCapture trace;
  EXPECT_EQ(SGE_MemAlloc(block_, 0), nullptr);
  EXPECT_EQ(SGE_MemAlloc(block_, 4097), nullptr);
  EXPECT_EQ(SGE_MemAlloc(block_, 0xFFFFFFFFu), nullptr);
  EXPECT_EQ(SGE_MemAlloc(nullptr, 8), nullptr);
  EXPECT_NE(SGE_MemAlloc(block_, 4096), nullptr);
  EXPECT_EQ(SGE_MemAlloc(block_, 8), nullptr);
}

TEST_F(BlockTest, SplitsOnlyWhenMoreThanOneHeaderIsLeft) {
  // Exactly one header too many: the chunk is taken whole.
  void* whole = SGE_MemAlloc(block_, 4096 - 16);
  EXPECT_EQ(SGE_MemSize(whole), 4096u);
  EXPECT_EQ(Stats().dwFreeChunks, 0u);
  SGE_MemFree(whole);
  // A header and one granule too many: split off an 8-byte free chunk.
  void* split = SGE_MemAlloc(block_, 4096 - 24);
  EXPECT_EQ(SGE_MemSize(split), 4096u - 24);
  EXPECT_EQ(Stats().dwFreeChunks, 1u);
  EXPECT_EQ(Stats().dwFreeBytes, 8u);
}

TEST_F(BlockTest, FirstFitTakesTheNewestFreeChunkFirst) {
  void* a = SGE_MemAlloc(block_, 64);
  SGE_MemAlloc(block_, 64);
  void* c = SGE_MemAlloc(block_, 64);
  SGE_MemAlloc(block_, 64);
  SGE_MemFree(a);
  SGE_MemFree(c);
  EXPECT_EQ(SGE_MemAlloc(block_, 64), c);
  EXPECT_EQ(SGE_MemAlloc(block_, 64), a);
}

TEST_F(BlockTest, FreeingMiddleLeftRightLeavesOneChunkOverAllThree) {
  void* left = SGE_MemAlloc(block_, 40);
  void* middle = SGE_MemAlloc(block_, 40);
  void* right = SGE_MemAlloc(block_, 40);
  void* fence = SGE_MemAlloc(block_, 8);
  ASSERT_NE(fence, nullptr);
  const uint32_t tail = Stats().dwFreeBytes;
  EXPECT_EQ(SGE_MemFree(middle), 1);
  EXPECT_EQ(SGE_MemFree(left), 1);
  EXPECT_EQ(SGE_MemFree(right), 1);
  const SGE_MEMSTATS s = Stats();
  EXPECT_EQ(s.dwFreeChunks, 2u);
  EXPECT_EQ(s.dwFreeBytes, tail + 3 * 40 + 2 * 16);
  EXPECT_EQ(s.dwSmallestFree, 3u * 40 + 2 * 16);
  EXPECT_EQ(SGE_MemAlloc(block_, 152), left);
}

TEST_F(BlockTest, FreeingEverythingRestoresOneChunk) {
  std::vector<void*> chunks;
  for (uint32_t size = 8; size < 200; size += 24) chunks.push_back(SGE_MemAlloc(block_, size));
  for (size_t i = 0; i < chunks.size(); i += 2) SGE_MemFree(chunks[i]);
  for (size_t i = 1; i < chunks.size(); i += 2) SGE_MemFree(chunks[i]);
  const SGE_MEMSTATS s = Stats();
  EXPECT_EQ(s.dwFreeChunks, 1u);
  EXPECT_EQ(s.dwFreeBytes, 4096u);
}

TEST_F(BlockTest, MisuseIsReportedAndChangesNothing) {
  char* live = static_cast<char*>(SGE_MemAlloc(block_, 64));
  void* freed = SGE_MemAlloc(block_, 64);
  SGE_MemAlloc(block_, 8);
  SGE_MemFree(freed);
  // A fake "in use" header inside a live chunk, naming no block.
  uint32_t fake[4] = {16, 64 | 1, 0, 0};
  std::memcpy(live + 16, fake, sizeof fake);
  // A fake header in foreign memory whose owner offset leads to something that is no block.
  alignas(8) uint32_t foreign[32] = {};
  foreign[16] = 80;
  foreign[17] = 8 | 1;
  // A header forged inside a live chunk with the right offset back to the block: only its
  // neighbours can tell it apart.
  char* inner = live + 32;
  const uint32_t forged[4] = {static_cast<uint32_t>(inner - reinterpret_cast<char*>(block_)), 8 | 1,
                              0, static_cast<uint32_t>(live - 16 - reinterpret_cast<char*>(block_))};
  std::memcpy(inner, forged, sizeof forged);
  // Memory of the C runtime: nothing before it may be read.
  auto heap = std::make_unique<uint64_t[]>(4);

  const SGE_MEMSTATS before = Stats();
  struct Case {
    void* ptr;
    const char* trace;
  } cases[] = {
      {freed, "not in use"},
      {live + 4, "misaligned"},
      {live + 32, "not a chunk"},
      {&foreign[20], "not a chunk"},
      {inner + 16, "not a chunk"},
      {heap.get(), "not a chunk"},
  };
  for (const Case& c : cases) {
    vntest::TraceCapture trace;
    EXPECT_EQ(SGE_MemFree(c.ptr), 0) << c.trace;
    EXPECT_TRUE(trace.contains(c.trace)) << c.trace;
  }
  EXPECT_EQ(SGE_MemFree(nullptr), 0);
  const SGE_MEMSTATS after = Stats();
  EXPECT_EQ(after.dwFreeBytes, before.dwFreeBytes);
  EXPECT_EQ(after.dwFreeChunks, before.dwFreeChunks);
  EXPECT_EQ(SGE_MemAlloc(block_, 64), freed);
}

TEST_F(BlockTest, ReallocGrowsInPlaceIntoAFreeNeighbour) {
  char* a = static_cast<char*>(SGE_MemAlloc(block_, 32));
  void* b = SGE_MemAlloc(block_, 64);
  SGE_MemAlloc(block_, 8);
  SGE_MemFree(b);
  std::memset(a, 0x5a, 32);
  // 32 + header + 64 = 112: asking 88 leaves 24, which is split off again.
  EXPECT_EQ(SGE_MemRealloc(a, 88), a);
  EXPECT_EQ(SGE_MemSize(a), 88u);
  EXPECT_EQ(a[31], 0x5a);
  // The 24 left are 16 + 8: growing to 104 leaves 8 and absorbs them whole.
  EXPECT_EQ(SGE_MemRecalloc(a, 104), a);
  EXPECT_EQ(SGE_MemSize(a), 112u);
  EXPECT_EQ(a[88], 0);
  EXPECT_EQ(a[103], 0);
  // Chunks never shrink.
  EXPECT_EQ(SGE_MemRealloc(a, 8), a);
  EXPECT_EQ(SGE_MemSize(a), 112u);
}

TEST_F(BlockTest, ReallocMovesWhenTheNeighbourIsUsed) {
  char* a = static_cast<char*>(SGE_MemAlloc(block_, 32));
  SGE_MemAlloc(block_, 8);
  std::memset(a, 0x33, 32);
  char* moved = static_cast<char*>(SGE_MemRecalloc(a, 100));
  ASSERT_NE(moved, nullptr);
  EXPECT_NE(moved, a);
  EXPECT_EQ(moved[0], 0x33);
  EXPECT_EQ(moved[31], 0x33);
  EXPECT_EQ(moved[32], 0);
  EXPECT_EQ(moved[103], 0);
  EXPECT_EQ(SGE_MemFree(a), 0);  // the old chunk went back to the block
}

TEST_F(BlockTest, ReallocWithNoRoomKeepsTheOldChunk) {
  char* a = static_cast<char*>(SGE_MemAlloc(block_, 2048));
  SGE_MemAlloc(block_, 8);
  a[0] = 7;
  vntest::TraceCapture trace;
  EXPECT_EQ(SGE_MemRealloc(a, 3000), nullptr);
  EXPECT_EQ(SGE_MemSize(a), 2048u);
  EXPECT_EQ(a[0], 7);
  EXPECT_EQ(SGE_MemFree(a), 1);
  // Size 0 frees.
  void* b = SGE_MemAlloc(block_, 16);
  EXPECT_EQ(SGE_MemRealloc(b, 0), nullptr);
  EXPECT_EQ(SGE_MemFree(b), 0);
}

TEST_F(BlockTest, ReleasedBlockIsUnusableAndCanBeRecreatedInPlace) {
  void* p = SGE_MemAlloc(block_, 100);
  uint32_t size = 0;
  void* range = SGE_GetMemBlockRange(block_, &size);
  EXPECT_EQ(range, block_);
  EXPECT_EQ(SGE_ReleaseMemBlock(block_), 1);
  EXPECT_EQ(std::memcmp(block_->szMagic, "xxxxxxx", 8), 0);
  vntest::TraceCapture trace;
  EXPECT_EQ(SGE_MemAlloc(block_, 8), nullptr);
  EXPECT_EQ(SGE_MemFree(p), 0);
  SGE_MEMBLOCK* again = SGE_FormatMemBlock(range, size, "Again");
  ASSERT_EQ(again, block_);
  EXPECT_STREQ(again->szName, "Again");
  SGE_MEMSTATS s;
  SGE_GetMemBlockStats(&s, again);
  EXPECT_EQ(s.dwFreeBytes, 4096u);
}

// Each search for a pointer's block tries the block found last first: pointers of several
// blocks in turn, and a block released in the middle of the list, must not confuse it.
TEST(BlockSearch, PointersAreTrustedOnlyWhileTheirOwnBlockLives) {
  constexpr uint32_t kPayload = 1024;
  std::vector<uint64_t> buffers[3];
  SGE_MEMBLOCK* blocks[3];
  for (int i = 0; i < 3; ++i) {
    buffers[i].assign((kPayload + SGE_MEMBLOCK_OVERHEAD) / 8 + 1, 0);
    blocks[i] = SGE_FormatMemBlock(buffers[i].data(), kPayload + SGE_MEMBLOCK_OVERHEAD, "Search");
    ASSERT_NE(blocks[i], nullptr);
  }
  void* chunks[3][2];
  for (int round = 0; round < 2; ++round)
    for (int i = 0; i < 3; ++i) chunks[i][round] = SGE_MemAlloc(blocks[i], 40);
  // Alternating blocks: the one found last is never the owner.
  for (int i : {2, 0, 1}) EXPECT_EQ(SGE_MemFree(chunks[i][0]), 1) << "block " << i;
  // The middle block goes while it is the one found last; the last block moves into its place.
  EXPECT_EQ(SGE_MemSize(chunks[1][1]), 40u);
  ASSERT_EQ(SGE_ReleaseMemBlock(blocks[1]), 1);
  {
    vntest::TraceCapture trace;
    EXPECT_EQ(SGE_MemFree(chunks[1][1]), 0);
    EXPECT_TRUE(trace.contains("not a chunk"));
    EXPECT_EQ(SGE_MemAlloc(blocks[1], 8), nullptr);
  }
  for (int i : {2, 0}) {
    EXPECT_EQ(SGE_MemFree(chunks[i][1]), 1) << "block " << i;
    SGE_MEMSTATS s;
    SGE_GetMemBlockStats(&s, blocks[i]);
    EXPECT_EQ(s.dwFreeBytes, kPayload) << "block " << i;
    EXPECT_EQ(s.dwUsedChunks, 0u) << "block " << i;
  }
  // Released last, the newest entry: a search that starts past the end finds nothing either.
  void* last = SGE_MemAlloc(blocks[2], 8);
  ASSERT_EQ(SGE_ReleaseMemBlock(blocks[2]), 1);
  vntest::TraceCapture trace;
  EXPECT_EQ(SGE_MemFree(last), 0);
  EXPECT_EQ(SGE_IsMemBlock(blocks[2]), 0);
  EXPECT_EQ(SGE_ReleaseMemBlock(blocks[0]), 1);
}

// Every soldier hangs about 200 end-of-animation breakpoints on its model: the block must hold
// the 11,363 that 500,000 bytes held at 36 bytes a record behind an 8-byte header.
TEST(MemoryStart, TheBreakpointBlockHoldsWhatItsThirtyTwoBitFigureHeld) {
  ASSERT_EQ(SGE_InitMemory(0), 1);
  ASSERT_EQ(SPW_CreateEngineBlocks(), 1);
  int32_t held = 0;
  while (SGE_MemAlloc(SPW_BrkPtsMem, SPW_BREAKPOINT_SIZE)) ++held;
  EXPECT_GE(held, 500000 / (36 + 8));
  SGE_ShutdownMemory();
}

TEST(MemoryStart, CarvesTheNamedBlocksWithTheirPayloads) {
  ASSERT_EQ(SGE_InitMemory(0), 1);
  ASSERT_EQ(SPW_CreateEngineBlocks(), 1);
  struct {
    SGE_MEMBLOCK* block;
    const char* name;
    uint32_t payload;
  } blocks[] = {
      {SGE_MsgMem, "SGE_MsgMem", SGE_MSGMEM_SIZE},
      {SGE_GameMem, "SGE_GameMem", SGE_GAMEMEM_SIZE},
      {SPW_ObjsMem, "SPW_ObjsMem", SPW_OBJSMEM_SIZE},
      {SPW_SpritesMem, "SPW_SpritesMem", SPW_SPRITESMEM_SIZE},
      {SPW_FObjsMem, "SPW_FObjsMem", SPW_FOBJSMEM_SIZE},
      {SPW_BrkPtsMem, "SPW_BrkPtsMem", SPW_BRKPTSMEM_SIZE},
      {SPW_FractMem, "SPW_FractMem", SPW_FRACTMEM_SIZE},
      {SPW_DObjectMem, "SPW_DObjectMem", SPW_DOBJECTMEM_SIZE},
  };
  for (const auto& b : blocks) {
    ASSERT_TRUE(SGE_IsMemBlock(b.block)) << b.name;
    EXPECT_STREQ(b.block->szName, b.name);
    SGE_MEMSTATS s;
    SGE_GetMemBlockStats(&s, b.block);
    EXPECT_EQ(s.dwFreeBytes, b.payload) << b.name;
  }
  SGE_MEMSTATS sys;
  SGE_GetMemBlockStats(&sys, SGE_SysGlobalBlock);
  EXPECT_EQ(sys.dwFreeBytes, 50000u);
  EXPECT_EQ(sys.dwUsedChunks, 11u);

  void* feature = SGE_MemAlloc(SPW_FObjsMem, 1000);
  ASSERT_NE(feature, nullptr);
  SGE_MEMBLOCK* old = SPW_FObjsMem;
  ASSERT_EQ(SPW_ResetFeatureBlock(), 1);
  EXPECT_EQ(SPW_FObjsMem, old);
  EXPECT_STREQ(SPW_FObjsMem->szName, "SPW_FObjsMem_ReCreated");
  SGE_MEMSTATS f;
  SGE_GetMemBlockStats(&f, SPW_FObjsMem);
  EXPECT_EQ(f.dwFreeBytes, SPW_FOBJSMEM_SIZE);

  SPW_ReleaseEngineBlocks();
  EXPECT_EQ(SPW_ObjsMem, nullptr);
  SGE_GetMemBlockStats(&sys, SGE_SysGlobalBlock);
  EXPECT_EQ(sys.dwUsedChunks, 5u);
  ASSERT_EQ(SPW_CreateEngineBlocks(), 1);
  SGE_ShutdownMemory();
  EXPECT_EQ(SGE_TaskMem, nullptr);
  EXPECT_EQ(SPW_ObjsMem, nullptr);
}

TEST(MemoryStart, TooSmallSystemBlockFails) {
  vntest::TraceCapture trace;
  EXPECT_EQ(SGE_InitMemory(500000), 0);
  EXPECT_TRUE(trace.contains("SGE_TaskMem"));
  SGE_ShutdownMemory();
  EXPECT_EQ(SGE_InitMemory(0), 1);
  EXPECT_EQ(SGE_InitMemory(0), 0);  // already started
  SGE_ShutdownMemory();
}

}  // namespace
