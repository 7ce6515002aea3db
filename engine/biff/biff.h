#pragma once
// BIFF block container: a 304-byte header, then blocks of tagged chunks, each chunk's data right
// behind its header. Opening reads every header and seeks over the data; a chunk's data is read
// on first use. Every record and all loaded data live in the caller's memory block, so closing
// is one release of that block.
#include <cstdint>
#include <cstdio>

struct SGE_MEMBLOCK;

constexpr uint32_t SPW_BIFF_HEADER_SIZE = 304;
constexpr uint32_t SPW_BIFF_BLOCK_HEADER_SIZE = 32;
constexpr uint32_t SPW_BIFF_CHUNK_HEADER_SIZE = 24;
constexpr uint32_t SPW_BIFF_TAG_SIZE = 4;
constexpr int32_t SPW_BIFF_PATH_SIZE = 256;

// Heap sizes the object loaders open their files with.
constexpr uint32_t SPW_BIFF_HEADER_HEAP = 1000000;
constexpr uint32_t SPW_BIFF_ANIM_HEAP = 2000000;
constexpr uint32_t SPW_BIFF_LOD_HEAP = 3000000;

struct SPW_BIFF_FILE;

// A chunk's data once loaded: pointer, size, read position.
struct SPW_BIFF_DATA {
  uint8_t* pData;
  uint32_t dwSize;
  uint32_t dwPos;
};

struct SPW_BIFF_CHUNK {
  SPW_BIFF_CHUNK* pNext;
  char szTag[SPW_BIFF_TAG_SIZE];
  uint32_t dwSize;
  uint32_t dwOffset;
  SPW_BIFF_DATA* pData;  // none until loaded
  SPW_BIFF_CHUNK* pNextSameTag;
};

struct SPW_BIFF_BLOCK {
  SPW_BIFF_BLOCK* pNext;
  SPW_BIFF_FILE* pFile;
  char szTag[SPW_BIFF_TAG_SIZE];
  uint32_t dwValueA;
  uint32_t dwNumChunks;
  uint32_t dwValueB;
  SPW_BIFF_CHUNK* pFirstChunk;
  SPW_BIFF_BLOCK* pNextSameTag;
};

struct SPW_BIFF_FILE {
  char szName[SPW_BIFF_PATH_SIZE];
  uint32_t dwValueA;
  uint32_t dwNumBlocks;
  uint32_t dwValueB;
  FILE* pStream;
  SPW_BIFF_BLOCK* pFirstBlock;
  SPW_BIFF_BLOCK* pCurBlock;
  SPW_BIFF_CHUNK* pCurChunk;
  uint32_t dwValueC;
  SGE_MEMBLOCK* pMem;
  uint64_t qwFileSize;  // chunk data must lie inside the file
  // The whole file in the block, read at open when it fits comfortably: headers are then
  // parsed and chunk data served from memory instead of a seek and a read each.
  uint8_t* pImage;
};

// Opened and closed files since start; an open that fails still counts.
extern uint32_t SPW_BIFF_NumOpened;
extern uint32_t SPW_BIFF_NumClosed;

// Allocates a heap of heapSize bytes (stored through outHeap), formats it as the memory block
// "BIFF_OpenFile" and opens the file in it. The reader, or none; the caller then frees the heap
// with SPW_BIFF_FreeHeap and does not close the reader.
SPW_BIFF_FILE* SPW_BIFF_OpenFile(const char* fileName, void** outHeap, uint32_t heapSize);
// As SPW_BIFF_OpenFile, with a heap sized for the file: perByte bytes for each byte of the
// file and slack more, at most maxHeap.
SPW_BIFF_FILE* SPW_BIFF_OpenFileSized(const char* fileName, void** outHeap, uint32_t perByte,
                                      uint32_t slack, uint32_t maxHeap);
// Opens the file with all its headers in a block the caller formatted. The reader, or none
// (the stream is closed again whatever step failed).
SPW_BIFF_FILE* SPW_BIFF_OpenFileInBlock(const char* fileName, SGE_MEMBLOCK* mem);
// Closes the stream when open, releases the memory block, then frees the heap when given.
void SPW_BIFF_CloseFile(SPW_BIFF_FILE* file, void* heap);
void SPW_BIFF_FreeHeap(void* heap);

SPW_BIFF_BLOCK* SPW_BIFF_FindBlock(SPW_BIFF_FILE* file, const char* tag);
SPW_BIFF_BLOCK* SPW_BIFF_NextBlock(SPW_BIFF_FILE* file, SPW_BIFF_BLOCK* block);
SPW_BIFF_CHUNK* SPW_BIFF_FindChunk(SPW_BIFF_FILE* file, SPW_BIFF_BLOCK* block, const char* tag);
SPW_BIFF_CHUNK* SPW_BIFF_NextChunk(SPW_BIFF_FILE* file, SPW_BIFF_CHUNK* chunk);
uint32_t SPW_BIFF_ChunkCount(const SPW_BIFF_BLOCK* block);
// The chunk's data, loaded on first use; a null chunk means the current one. None when the
// stream is closed, no chunk is given or current, or the data cannot be read.
uint8_t* SPW_BIFF_ChunkData(SPW_BIFF_FILE* file, SPW_BIFF_CHUNK* chunk);
// Tags compare on exactly four characters, stopping early only at a zero in both.
bool SPW_BIFF_TagEquals(const char* a, const char* b);
