#pragma once
// Named memory blocks: one range carved into first-fit chunks with in-band 16-byte headers.
// All engine and game memory comes from a handful of these, taken once at start-up.
#include <cstddef>
#include <cstdint>

// Chunk data is 8-byte aligned and a multiple of 8 bytes long: records in the blocks hold
// 64-bit pointers and doubles, which must not sit on 4-byte boundaries.
constexpr uint32_t SGE_MEM_GRANULE = 8;
constexpr uint32_t SGE_MEMCHUNK_HEADER_SIZE = 16;
constexpr uint32_t SGE_MEMBLOCK_NAME_SIZE = 40;
constexpr uint32_t SGE_MEMBLOCK_HEADER_SIZE = 72;
// Header, the first chunk's header and the end marker: a block formatted over
// payload + SGE_MEMBLOCK_OVERHEAD bytes offers exactly the payload as its first free chunk.
constexpr uint32_t SGE_MEMBLOCK_OVERHEAD = SGE_MEMBLOCK_HEADER_SIZE + 2 * SGE_MEMCHUNK_HEADER_SIZE;
constexpr char SGE_MEMBLOCK_MAGIC[8] = "#MB_uID";

// Lies at the start of its own range. Chunk links inside the range are 32-bit offsets from the
// block start (0 = none), so the chunk header stays 16 bytes on a 64-bit build.
struct SGE_MEMBLOCK {
  uint32_t dwTotalSize;
  SGE_MEMBLOCK* pSelf;
  uint32_t dwTotalSize2;
  uint32_t dwFirstFree;  // offset of the newest free chunk header, 0 = none
  char szMagic[8];
  char szName[SGE_MEMBLOCK_NAME_SIZE];
};
static_assert(sizeof(SGE_MEMBLOCK) == SGE_MEMBLOCK_HEADER_SIZE);

struct SGE_MEMSTATS {
  SGE_MEMBLOCK* pBlock;
  uint32_t dwFreeBytes;
  uint32_t dwUsedBytes;
  uint32_t dwFreeChunks;
  uint32_t dwUsedChunks;
  uint32_t dwLargestFree;
  uint32_t dwLargestUsed;
  uint32_t dwSmallestFree;
  uint32_t dwSmallestUsed;
};

// The list, task and message blocks were sized for records of 32-bit pointers; ours are wider,
// so each block grows by the ratio of its record's size to the 32-bit size (rounded up) and
// holds as many list heads, tasks and queued messages as intended.
constexpr uint32_t SGE_DLLNODE_SIZE32 = 8;
constexpr uint32_t SGE_DLLNODE_SIZE = 16;
constexpr uint32_t SGE_TASK_SIZE32 = 88;
constexpr uint32_t SGE_TASK_SIZE = 128;
constexpr uint32_t SGE_MSG_SIZE32 = 28;
constexpr uint32_t SGE_MSG_SIZE = 56;
constexpr uint32_t SGE_ScaleForRecords(uint32_t bytes, uint32_t ours, uint32_t theirs) {
  const uint64_t scaled = (uint64_t{bytes} * ours + theirs - 1) / theirs;
  return static_cast<uint32_t>((scaled + SGE_MEM_GRANULE - 1) / SGE_MEM_GRANULE * SGE_MEM_GRANULE);
}

// Payload sizes of the named blocks.
constexpr uint32_t SGE_DLLLISTS_SIZE = SGE_ScaleForRecords(200000, SGE_DLLNODE_SIZE, SGE_DLLNODE_SIZE32);
// Beside the tasks that figure was for, the task memory holds the tasks of the game's units: each
// of SGE_TASKMEM_UNITS units has room for a controller and a mover, their instances and a timer.
// The unit manager holds no more units than that and checks that one unit's tasks fit the room.
constexpr uint32_t SGE_TASKMEM_UNITS = 2000;
constexpr uint32_t SGE_TASKMEM_ROOM_PER_UNIT = 2304;
constexpr uint32_t SGE_TASKMEM_SIZE = SGE_ScaleForRecords(1000000, SGE_TASK_SIZE, SGE_TASK_SIZE32) +
                                      SGE_TASKMEM_UNITS * SGE_TASKMEM_ROOM_PER_UNIT;
constexpr uint32_t SGE_MSGMEM_SIZE = SGE_ScaleForRecords(100000, SGE_MSG_SIZE, SGE_MSG_SIZE32);
constexpr uint32_t SGE_TREGMEM_SIZE = 100000;
constexpr uint32_t SGE_GAMEMEM_SIZE = 200000;
constexpr uint32_t SPW_OBJSMEM_SIZE = 16250000;
constexpr uint32_t SPW_SPRITESMEM_SIZE = 500000;
constexpr uint32_t SPW_FOBJSMEM_SIZE = 2000000;
// Breakpoints were 36 bytes behind an 8-byte chunk header; ours are 56 behind 16, so the block
// grows to hold as many as its 500,000 bytes held (a soldier alone hangs about 200 of them).
constexpr uint32_t SPW_BREAKPOINT_SIZE32 = 36;
constexpr uint32_t SPW_BREAKPOINT_SIZE = 56;
constexpr uint32_t SPW_BRKPTSMEM_SIZE = SGE_ScaleForRecords(
    500000, SPW_BREAKPOINT_SIZE + SGE_MEMCHUNK_HEADER_SIZE, SPW_BREAKPOINT_SIZE32 + 8);
constexpr uint32_t SPW_FRACTMEM_SIZE = 200000;
constexpr uint32_t SPW_DOBJECTMEM_SIZE = 11000000;
constexpr uint32_t SGE_NUM_SUBBLOCKS = 11;
// The sum of the table above plus 50,000 bytes that stay uncarved.
constexpr uint32_t SGE_SYSBLOCK_SPARE = 50000;
constexpr uint32_t SGE_SYSBLOCK_PAYLOAD =
    SGE_DLLLISTS_SIZE + SGE_TASKMEM_SIZE + SGE_MSGMEM_SIZE + SGE_TREGMEM_SIZE + SGE_GAMEMEM_SIZE +
    SPW_OBJSMEM_SIZE + SPW_SPRITESMEM_SIZE + SPW_FOBJSMEM_SIZE + SPW_BRKPTSMEM_SIZE +
    SPW_FRACTMEM_SIZE + SPW_DOBJECTMEM_SIZE + SGE_SYSBLOCK_SPARE;
constexpr uint32_t SGE_SYSBLOCK_SIZE =
    SGE_SYSBLOCK_PAYLOAD + SGE_NUM_SUBBLOCKS * (SGE_MEMBLOCK_OVERHEAD + SGE_MEMCHUNK_HEADER_SIZE) +
    SGE_MEMBLOCK_OVERHEAD;

// The named blocks; none until carved.
extern SGE_MEMBLOCK* SGE_SysGlobalBlock;
extern SGE_MEMBLOCK* SGE_DllLists;
extern SGE_MEMBLOCK* SGE_TaskMem;
extern SGE_MEMBLOCK* SGE_MsgMem;
extern SGE_MEMBLOCK* SGE_TRegMem;
extern SGE_MEMBLOCK* SGE_GameMem;
extern SGE_MEMBLOCK* SPW_ObjsMem;
extern SGE_MEMBLOCK* SPW_SpritesMem;
extern SGE_MEMBLOCK* SPW_FObjsMem;
extern SGE_MEMBLOCK* SPW_BrkPtsMem;
extern SGE_MEMBLOCK* SPW_FractMem;
extern SGE_MEMBLOCK* SPW_DObjectMem;

// Memory start: the system block (size 0 = SGE_SYSBLOCK_SIZE, else the system block's size in
// bytes), then the five kernel blocks. 1 on success, 0 on failure (call SGE_ShutdownMemory
// then too).
int32_t SGE_InitMemory(uint32_t size);
// Releases the system block (and with it every block carved from it).
void SGE_ShutdownMemory();

// The six engine blocks, carved from the system block; 1 on success, 0 on failure.
int32_t SPW_CreateEngineBlocks();
void SPW_ReleaseEngineBlocks();
// Wipes the feature-object block and re-creates it in place as "SPW_FObjsMem_ReCreated".
int32_t SPW_ResetFeatureBlock();

SGE_MEMBLOCK* SGE_FormatMemBlock(void* start, uint32_t size, const char* name);
int32_t SGE_ReleaseMemBlock(SGE_MEMBLOCK* block);
void* SGE_GetMemBlockRange(SGE_MEMBLOCK* block, uint32_t* outSize);
// 1 when the pointer is a block formatted and not released.
int32_t SGE_IsMemBlock(const SGE_MEMBLOCK* block);

void* SGE_MemAlloc(SGE_MEMBLOCK* block, uint32_t size);
void* SGE_MemCalloc(SGE_MEMBLOCK* block, uint32_t size);
// 1 when freed; 0 for none, misaligned pointers, double frees and pointers that are not a
// live chunk of a block (reported, nothing changes).
int32_t SGE_MemFree(void* ptr);
// Grows a chunk (never shrinks); none when nothing fits, the old chunk then stays valid.
void* SGE_MemRealloc(void* ptr, uint32_t size);
void* SGE_MemRecalloc(void* ptr, uint32_t size);
// Data size of a live chunk (at least what was asked), 0 for anything else.
uint32_t SGE_MemSize(const void* ptr);

void SGE_GetMemBlockStats(SGE_MEMSTATS* out, SGE_MEMBLOCK* block);
