// First-fit chunks inside a named block. Chunk words are offsets from the block start so that a
// header stays 16 bytes; word 0 of a used chunk is its own offset, which leads back to the block.
#include "engine/memory/memblock.h"

#include <cstring>

#include "platform/trace.h"

namespace {

struct Chunk {
  uint32_t w0;      // used: own offset (block = chunk - w0); free: next free chunk
  uint32_t dwSize;  // data bytes; bit 0 while in use
  uint32_t w2;      // free: previous free chunk
  uint32_t w3;      // the chunk before it in address order
};
static_assert(sizeof(Chunk) == SGE_MEMCHUNK_HEADER_SIZE);

constexpr uint32_t kInUse = 1;
constexpr uint32_t kSizeMask = ~3u;
constexpr uint32_t kFirstChunk = SGE_MEMBLOCK_HEADER_SIZE;
// Blocks that may be named by a chunk; a pointer is trusted as a block only when listed here.
// Each entry keeps its range so that a pointer can be placed without reading memory around it.
constexpr int kMaxBlocks = 256;
struct Registered {
  SGE_MEMBLOCK* block;
  uint32_t size;
};
Registered g_blocks[kMaxBlocks];
int g_numBlocks = 0;
// The entry that answered the last search: allocations and frees come in runs on one block, and
// trying it first spares a walk over every block for each pointer. Only a hint; it is checked.
int g_lastFound = 0;

char* Base(SGE_MEMBLOCK* b) { return reinterpret_cast<char*>(b); }
Chunk* At(SGE_MEMBLOCK* b, uint32_t off) { return reinterpret_cast<Chunk*>(Base(b) + off); }
uint32_t Off(SGE_MEMBLOCK* b, const Chunk* c) {
  return static_cast<uint32_t>(reinterpret_cast<const char*>(c) - Base(b));
}
uint32_t Size(const Chunk* c) { return c->dwSize & kSizeMask; }
bool IsFree(const Chunk* c) { return (c->dwSize & kInUse) == 0; }
Chunk* After(SGE_MEMBLOCK* b, const Chunk* c) {
  return At(b, Off(b, c) + SGE_MEMCHUNK_HEADER_SIZE + Size(c));
}
void* Data(Chunk* c) { return reinterpret_cast<char*>(c) + SGE_MEMCHUNK_HEADER_SIZE; }
Chunk* ChunkOf(void* p) {
  return reinterpret_cast<Chunk*>(static_cast<char*>(p) - SGE_MEMCHUNK_HEADER_SIZE);
}

// Sizes above this cannot be rounded up in 32 bits.
constexpr uint32_t kMaxRequest = 0xFFFFFFFFu - (SGE_MEM_GRANULE - 1);
uint32_t RoundUp(uint32_t size) { return (size + SGE_MEM_GRANULE - 1) & ~(SGE_MEM_GRANULE - 1); }

void PushFree(SGE_MEMBLOCK* b, Chunk* c) {
  c->w0 = b->dwFirstFree;
  c->w2 = 0;
  if (b->dwFirstFree) At(b, b->dwFirstFree)->w2 = Off(b, c);
  b->dwFirstFree = Off(b, c);
}

void UnlinkFree(SGE_MEMBLOCK* b, Chunk* c) {
  if (c->w2)
    At(b, c->w2)->w0 = c->w0;
  else
    b->dwFirstFree = c->w0;
  if (c->w0) At(b, c->w0)->w2 = c->w2;
}

// Cuts a free chunk after `size` bytes of c's data when the rest can carry a header and data.
void SplitAfter(SGE_MEMBLOCK* b, Chunk* c, uint32_t total, uint32_t size) {
  const uint32_t inUse = c->dwSize & kInUse;
  if (total - size > SGE_MEMCHUNK_HEADER_SIZE) {
    Chunk* rest = At(b, Off(b, c) + SGE_MEMCHUNK_HEADER_SIZE + size);
    rest->dwSize = total - size - SGE_MEMCHUNK_HEADER_SIZE;
    rest->w3 = Off(b, c);
    After(b, rest)->w3 = Off(b, rest);
    c->dwSize = size | inUse;
    PushFree(b, rest);
  } else {
    c->dwSize = total | inUse;
    After(b, c)->w3 = Off(b, c);
  }
}

void Register(SGE_MEMBLOCK* b, uint32_t size) {
  for (int i = 0; i < g_numBlocks; ++i) {
    if (g_blocks[i].block == b) {
      g_blocks[i].size = size;
      return;
    }
  }
  g_blocks[g_numBlocks++] = {b, size};
}

// Forgets every block that lies inside [start, start + size).
void UnregisterRange(const char* start, uint32_t size) {
  int kept = 0;
  for (int i = 0; i < g_numBlocks; ++i) {
    const char* p = reinterpret_cast<const char*>(g_blocks[i].block);
    if (p < start || p >= start + size) g_blocks[kept++] = g_blocks[i];
  }
  g_numBlocks = kept;
}

// The last entry found when it matches, else the newest that does (the blocks carved last are
// the busiest), else none.
template <typename Match>
bool FindBlock(const Match& match) {
  if (g_lastFound < g_numBlocks && match(g_blocks[g_lastFound])) return true;
  for (int i = g_numBlocks - 1; i >= 0; --i) {
    if (match(g_blocks[i])) {
      g_lastFound = i;
      return true;
    }
  }
  return false;
}

bool Known(const SGE_MEMBLOCK* b) {
  return FindBlock([b](const Registered& r) { return r.block == b; });
}

// Whether p could be the data of a chunk of some block: only then may its header be read.
bool InsideSomeBlock(const void* p) {
  const auto a = reinterpret_cast<uintptr_t>(p);
  return FindBlock([a](const Registered& r) {
    const auto start = reinterpret_cast<uintptr_t>(r.block);
    return a >= start + kFirstChunk + SGE_MEMCHUNK_HEADER_SIZE &&
           a < start + r.size - SGE_MEMCHUNK_HEADER_SIZE;
  });
}

// Whether the neighbours in address order agree that c is a chunk of b.
bool Linked(SGE_MEMBLOCK* b, const Chunk* c) {
  const uint32_t off = Off(b, c);
  if (After(b, c)->w3 != off) return false;
  if (c->w3 == 0) return off == kFirstChunk;
  if (c->w3 < kFirstChunk || c->w3 >= off) return false;
  return Off(b, After(b, At(b, c->w3))) == off;
}

// The block owning a live chunk, or none (with a trace) for anything else.
SGE_MEMBLOCK* OwnerOf(void* ptr, const char* what) {
  if (reinterpret_cast<uintptr_t>(ptr) % SGE_MEM_GRANULE != 0) {
    PLAT_Trace("%s: misaligned pointer %p\n", what, ptr);
    return nullptr;
  }
  if (!InsideSomeBlock(ptr)) {
    PLAT_Trace("%s: %p is not a chunk of a memory block\n", what, ptr);
    return nullptr;
  }
  Chunk* c = ChunkOf(ptr);
  if (IsFree(c)) {
    PLAT_Trace("%s: %p is not in use (freed twice?)\n", what, ptr);
    return nullptr;
  }
  const uint32_t off = c->w0;
  if (off < kFirstChunk || off % SGE_MEM_GRANULE != 0 ||
      reinterpret_cast<uintptr_t>(c) < off) {
    PLAT_Trace("%s: %p is not a chunk of a memory block\n", what, ptr);
    return nullptr;
  }
  auto* b = reinterpret_cast<SGE_MEMBLOCK*>(reinterpret_cast<char*>(c) - off);
  // A header forged by data inside a chunk names no block or disagrees with its neighbours.
  if (!SGE_IsMemBlock(b) ||
      static_cast<uint64_t>(off) + SGE_MEMCHUNK_HEADER_SIZE + Size(c) >
          b->dwTotalSize - SGE_MEMCHUNK_HEADER_SIZE ||
      !Linked(b, c)) {
    PLAT_Trace("%s: %p is not a chunk of a memory block\n", what, ptr);
    return nullptr;
  }
  return b;
}

}  // namespace

int32_t SGE_IsMemBlock(const SGE_MEMBLOCK* block) {
  return block && Known(block) && block->pSelf == block &&
         std::memcmp(block->szMagic, SGE_MEMBLOCK_MAGIC, sizeof block->szMagic) == 0;
}

SGE_MEMBLOCK* SGE_FormatMemBlock(void* start, uint32_t size, const char* name) {
  if (!start || size == 0) {
    PLAT_Trace("SGE_FormatMemBlock: no range for %s\n", name ? name : "(unnamed)");
    return nullptr;
  }
  const uintptr_t first = (reinterpret_cast<uintptr_t>(start) + SGE_MEM_GRANULE - 1) &
                          ~uintptr_t(SGE_MEM_GRANULE - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(start) + size) & ~uintptr_t(SGE_MEM_GRANULE - 1);
  if (end <= first || end - first < SGE_MEMBLOCK_OVERHEAD) {
    PLAT_Trace("SGE_FormatMemBlock: range of %u bytes too small for %s\n", size,
               name ? name : "(unnamed)");
    return nullptr;
  }
  auto* b = reinterpret_cast<SGE_MEMBLOCK*>(first);
  if (g_numBlocks == kMaxBlocks && !Known(b)) {
    PLAT_Trace("SGE_FormatMemBlock: more than %d blocks, %s refused\n", kMaxBlocks,
               name ? name : "(unnamed)");
    return nullptr;
  }
  const auto total = static_cast<uint32_t>(end - first);
  // Whatever was formatted inside this range is gone now.
  UnregisterRange(reinterpret_cast<const char*>(b), total);
  std::memset(b, 0, sizeof *b);
  b->dwTotalSize = total;
  b->pSelf = b;
  b->dwTotalSize2 = total;
  std::memcpy(b->szMagic, SGE_MEMBLOCK_MAGIC, sizeof b->szMagic);
  if (name) std::strncpy(b->szName, name, sizeof b->szName - 1);

  Chunk* c = At(b, kFirstChunk);
  c->dwSize = total - SGE_MEMBLOCK_OVERHEAD;
  c->w0 = c->w2 = c->w3 = 0;
  // The end marker is a used chunk of size 0 so that nothing merges past the end.
  Chunk* marker = At(b, total - SGE_MEMCHUNK_HEADER_SIZE);
  marker->w0 = total - SGE_MEMCHUNK_HEADER_SIZE;
  marker->dwSize = kInUse;
  marker->w2 = 0;
  marker->w3 = kFirstChunk;
  b->dwFirstFree = kFirstChunk;
  Register(b, total);
  return b;
}

int32_t SGE_ReleaseMemBlock(SGE_MEMBLOCK* block) {
  if (!SGE_IsMemBlock(block)) {
    PLAT_Trace("SGE_ReleaseMemBlock: %p is not a live block\n", static_cast<void*>(block));
    return 0;
  }
  const uint32_t size = block->dwTotalSize;
  SGE_FormatMemBlock(block, size, "_unused");
  std::memcpy(block->szMagic, "xxxxxxx", sizeof block->szMagic);
  UnregisterRange(Base(block), size);
  return 1;
}

void* SGE_GetMemBlockRange(SGE_MEMBLOCK* block, uint32_t* outSize) {
  if (!block) {
    if (outSize) *outSize = 0;
    return nullptr;
  }
  if (outSize) *outSize = block->dwTotalSize;
  return block;
}

void* SGE_MemAlloc(SGE_MEMBLOCK* block, uint32_t size) {
  if (!SGE_IsMemBlock(block)) {
    PLAT_Trace("SGE_MemAlloc: %p is not a live block\n", static_cast<void*>(block));
    return nullptr;
  }
  if (size == 0 || size > kMaxRequest) {
    PLAT_Trace("SGE_MemAlloc: bad size %u in %s\n", size, block->szName);
    return nullptr;
  }
  const uint32_t need = RoundUp(size);
  for (uint32_t off = block->dwFirstFree; off; off = At(block, off)->w0) {
    Chunk* c = At(block, off);
    if (Size(c) < need) continue;
    UnlinkFree(block, c);
    c->dwSize |= kInUse;
    SplitAfter(block, c, Size(c), need);
    c->w0 = off;
    return Data(c);
  }
  PLAT_Trace("SGE_MemAlloc: no room for %u bytes in %s\n", size, block->szName);
  return nullptr;
}

void* SGE_MemCalloc(SGE_MEMBLOCK* block, uint32_t size) {
  void* p = SGE_MemAlloc(block, size);
  if (p) std::memset(p, 0, RoundUp(size));
  return p;
}

int32_t SGE_MemFree(void* ptr) {
  if (!ptr) return 0;
  SGE_MEMBLOCK* b = OwnerOf(ptr, "SGE_MemFree");
  if (!b) return 0;
  Chunk* c = ChunkOf(ptr);
  c->dwSize &= ~kInUse;
  Chunk* cur = c;
  bool absorbed = false;
  if (c->w3 && IsFree(At(b, c->w3))) {
    cur = At(b, c->w3);
    cur->dwSize = Size(cur) + SGE_MEMCHUNK_HEADER_SIZE + Size(c);
    After(b, cur)->w3 = Off(b, cur);
    absorbed = true;
  }
  Chunk* next = After(b, cur);
  if (IsFree(next)) {
    UnlinkFree(b, next);
    cur->dwSize = Size(cur) + SGE_MEMCHUNK_HEADER_SIZE + Size(next);
    After(b, cur)->w3 = Off(b, cur);
  }
  if (!absorbed) PushFree(b, cur);
  return 1;
}

uint32_t SGE_MemSize(const void* ptr) {
  if (!ptr) return 0;
  void* p = const_cast<void*>(ptr);
  return OwnerOf(p, "SGE_MemSize") ? Size(ChunkOf(p)) : 0;
}

namespace {

void* Grow(void* ptr, uint32_t size, bool zero, const char* what) {
  if (!ptr) {
    PLAT_Trace("%s: no chunk to grow\n", what);
    return nullptr;
  }
  SGE_MEMBLOCK* b = OwnerOf(ptr, what);
  if (!b) return nullptr;
  if (size == 0) {
    SGE_MemFree(ptr);
    return nullptr;
  }
  if (size > kMaxRequest) {
    PLAT_Trace("%s: bad size %u in %s\n", what, size, b->szName);
    return nullptr;
  }
  Chunk* c = ChunkOf(ptr);
  const uint32_t old = Size(c);
  const uint32_t need = RoundUp(size);
  if (old >= need) return ptr;
  Chunk* next = After(b, c);
  if (IsFree(next) && uint64_t(old) + SGE_MEMCHUNK_HEADER_SIZE + Size(next) >= need) {
    UnlinkFree(b, next);
    SplitAfter(b, c, old + SGE_MEMCHUNK_HEADER_SIZE + Size(next), need);
    if (zero) std::memset(static_cast<char*>(ptr) + old, 0, need - old);
    return ptr;
  }
  void* moved = SGE_MemAlloc(b, size);
  if (!moved) {
    PLAT_Trace("%s: cannot grow %p to %u bytes in %s, kept\n", what, ptr, size, b->szName);
    return nullptr;
  }
  std::memcpy(moved, ptr, old);
  if (zero) std::memset(static_cast<char*>(moved) + old, 0, need - old);
  SGE_MemFree(ptr);
  return moved;
}

}  // namespace

void* SGE_MemRealloc(void* ptr, uint32_t size) { return Grow(ptr, size, false, "SGE_MemRealloc"); }
void* SGE_MemRecalloc(void* ptr, uint32_t size) { return Grow(ptr, size, true, "SGE_MemRecalloc"); }

void SGE_GetMemBlockStats(SGE_MEMSTATS* out, SGE_MEMBLOCK* block) {
  if (!out) return;
  std::memset(out, 0, sizeof *out);
  if (!block) return;
  out->pBlock = block;
  if (!SGE_IsMemBlock(block)) return;
  const uint32_t marker = block->dwTotalSize - SGE_MEMCHUNK_HEADER_SIZE;
  for (uint32_t off = kFirstChunk; off < marker;) {
    Chunk* c = At(block, off);
    const uint32_t size = Size(c);
    if (uint64_t(off) + SGE_MEMCHUNK_HEADER_SIZE + size > marker) {
      PLAT_Trace("SGE_GetMemBlockStats: chunk at %u of %s is corrupt\n", off, block->szName);
      return;
    }
    if (IsFree(c)) {
      out->dwFreeBytes += size;
      ++out->dwFreeChunks;
      if (size > out->dwLargestFree) out->dwLargestFree = size;
      if (out->dwFreeChunks == 1 || size < out->dwSmallestFree) out->dwSmallestFree = size;
    } else {
      out->dwUsedBytes += size;
      ++out->dwUsedChunks;
      if (size > out->dwLargestUsed) out->dwLargestUsed = size;
      if (out->dwUsedChunks == 1 || size < out->dwSmallestUsed) out->dwSmallestUsed = size;
    }
    off += SGE_MEMCHUNK_HEADER_SIZE + size;
  }
}
