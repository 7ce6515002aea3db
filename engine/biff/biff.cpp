// The BIFF reader: headers at open, chunk data on demand, everything in one memory block.
#include "engine/biff/biff.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <sys/stat.h>

#include "engine/memory/memblock.h"
#include "platform/bytes.h"
#include "platform/files.h"
#include "platform/trace.h"

uint32_t SPW_BIFF_NumOpened = 0;
uint32_t SPW_BIFF_NumClosed = 0;

namespace {

constexpr uint32_t kHeaderValueA = 256;
constexpr uint32_t kHeaderNumBlocks = 260;
constexpr uint32_t kHeaderValueB = 264;
constexpr uint32_t kHeaderValueC = 296;
constexpr uint32_t kBlockTag = 8;
constexpr uint32_t kBlockValueA = 12;
constexpr uint32_t kBlockNumChunks = 16;
constexpr uint32_t kBlockValueB = 20;
constexpr uint32_t kChunkTag = 4;
constexpr uint32_t kChunkSize = 8;
constexpr uint32_t kChunkOffset = 12;

// A tag is copied with a bounded copy, so a short one is zero-padded.
void CopyTag(char* out, const uint8_t* in) {
  std::memset(out, 0, SPW_BIFF_TAG_SIZE);
  for (uint32_t i = 0; i < SPW_BIFF_TAG_SIZE && in[i]; ++i) out[i] = static_cast<char>(in[i]);
}

bool ReadExact(FILE* f, uint8_t* out, size_t size) { return std::fread(out, 1, size, f) == size; }

// Where the headers are read from: the file's image when it has one, else its stream.
struct Source {
  SPW_BIFF_FILE* file;
  uint64_t pos = 0;  // in the image
  bool Read(uint8_t* out, size_t size) {
    if (!file->pImage) return ReadExact(file->pStream, out, size);
    if (pos > file->qwFileSize || size > file->qwFileSize - pos) return false;
    std::memcpy(out, file->pImage + pos, size);
    pos += size;
    return true;
  }
  // Over a chunk's data; as with the stream, a skip past the end shows at the next read.
  bool Skip(uint32_t size) {
    if (!file->pImage) return std::fseek(file->pStream, static_cast<long>(size), SEEK_CUR) == 0;
    pos += size;
    return true;
  }
};

// The whole file into the block when it takes at most a quarter of the block's free room,
// so that what the reader allocates later still fits. Without it the stream serves.
void ReadImage(SPW_BIFF_FILE* file) {
  SGE_MEMSTATS stats{};
  SGE_GetMemBlockStats(&stats, file->pMem);
  const uint64_t size = file->qwFileSize;
  if (size == 0 || size > stats.dwLargestFree / 4) return;
  auto* image = static_cast<uint8_t*>(SGE_MemAlloc(file->pMem, static_cast<uint32_t>(size)));
  if (!image) return;
  // The stream is left where the image ends: with an image nothing reads it again.
  if (ReadExact(file->pStream, image, static_cast<size_t>(size))) {
    file->pImage = image;
  } else {
    SGE_MemFree(image);
    std::fseek(file->pStream, 0, SEEK_SET);
  }
}

// Appends a block and links it behind the last earlier block of the same tag.
void AppendBlock(SPW_BIFF_FILE* file, SPW_BIFF_BLOCK* block) {
  SPW_BIFF_BLOCK* lastSameTag = nullptr;
  SPW_BIFF_BLOCK* last = nullptr;
  for (SPW_BIFF_BLOCK* b = file->pFirstBlock; b; b = b->pNext) {
    if (SPW_BIFF_TagEquals(b->szTag, block->szTag)) lastSameTag = b;
    last = b;
  }
  if (last)
    last->pNext = block;
  else
    file->pFirstBlock = block;
  if (lastSameTag) lastSameTag->pNextSameTag = block;
  file->pCurBlock = block;
}

bool ReadChunks(Source& in, SPW_BIFF_BLOCK* block) {
  SPW_BIFF_FILE* file = in.file;
  SPW_BIFF_CHUNK* last = nullptr;
  for (uint32_t i = 0; i < block->dwNumChunks; ++i) {
    uint8_t raw[SPW_BIFF_CHUNK_HEADER_SIZE];
    if (!in.Read(raw, sizeof raw)) {
      PLAT_Trace("SPW_BIFF_OpenFile: %s: chunk header %u of a \"%.4s\" block cut short\n",
                 file->szName, i, block->szTag);
      return false;
    }
    auto* chunk = static_cast<SPW_BIFF_CHUNK*>(SGE_MemCalloc(file->pMem, sizeof(SPW_BIFF_CHUNK)));
    if (!chunk) {
      PLAT_Trace("SPW_BIFF_OpenFile: %s: no memory for chunk records\n", file->szName);
      return false;
    }
    CopyTag(chunk->szTag, raw + kChunkTag);
    chunk->dwSize = PLAT_LoadLE32(raw + kChunkSize);
    chunk->dwOffset = PLAT_LoadLE32(raw + kChunkOffset);
    if (last)
      last->pNext = chunk;
    else
      block->pFirstChunk = chunk;
    last = chunk;
    file->pCurChunk = chunk;
    if (!in.Skip(chunk->dwSize)) return false;
  }
  return true;
}

bool ReadHeaders(SPW_BIFF_FILE* file) {
  Source in{file};
  uint8_t header[SPW_BIFF_HEADER_SIZE];
  if (!in.Read(header, sizeof header)) {
    PLAT_Trace("SPW_BIFF_OpenFile: %s: file header cut short\n", file->szName);
    return false;
  }
  file->dwValueA = PLAT_LoadLE32(header + kHeaderValueA);
  file->dwNumBlocks = PLAT_LoadLE32(header + kHeaderNumBlocks);
  file->dwValueB = PLAT_LoadLE32(header + kHeaderValueB);
  file->dwValueC = PLAT_LoadLE32(header + kHeaderValueC);
  for (uint32_t i = 0; i < file->dwNumBlocks; ++i) {
    uint8_t raw[SPW_BIFF_BLOCK_HEADER_SIZE];
    if (!in.Read(raw, sizeof raw)) {
      PLAT_Trace("SPW_BIFF_OpenFile: %s: block header %u of %u cut short\n", file->szName, i,
                 file->dwNumBlocks);
      return false;
    }
    auto* block = static_cast<SPW_BIFF_BLOCK*>(SGE_MemCalloc(file->pMem, sizeof(SPW_BIFF_BLOCK)));
    if (!block) {
      PLAT_Trace("SPW_BIFF_OpenFile: %s: no memory for block records\n", file->szName);
      return false;
    }
    block->pFile = file;
    CopyTag(block->szTag, raw + kBlockTag);
    block->dwValueA = PLAT_LoadLE32(raw + kBlockValueA);
    block->dwNumChunks = PLAT_LoadLE32(raw + kBlockNumChunks);
    block->dwValueB = PLAT_LoadLE32(raw + kBlockValueB);
    AppendBlock(file, block);
    if (!ReadChunks(in, block)) return false;
  }
  return true;
}

}  // namespace

bool SPW_BIFF_TagEquals(const char* a, const char* b) {
  for (uint32_t i = 0; i < SPW_BIFF_TAG_SIZE; ++i) {
    if (a[i] != b[i]) return false;
    if (a[i] == 0) return true;
  }
  return true;
}

namespace {

// Opens the file (or takes the stream already opened for it) with all its headers in the
// block. The stream is closed again whatever step failed.
SPW_BIFF_FILE* OpenInBlock(const char* fileName, SGE_MEMBLOCK* mem, FILE* stream) {
  ++SPW_BIFF_NumOpened;
  auto* file = fileName && mem
                   ? static_cast<SPW_BIFF_FILE*>(SGE_MemCalloc(mem, sizeof(SPW_BIFF_FILE)))
                   : nullptr;
  if (!file) {
    if (stream) std::fclose(stream);
    return nullptr;
  }
  std::strncpy(file->szName, fileName, SPW_BIFF_PATH_SIZE - 1);
  file->dwValueC = SPW_BIFF_HEADER_SIZE;
  file->pMem = mem;
  file->pStream = stream ? stream : PLAT_FOpen(fileName, "rb");
  if (!file->pStream) {
    PLAT_Trace("Fail to open POW file: %s\n(powr:SPW_BIFF_OpenFile)\n", fileName);
    return nullptr;
  }
  struct stat st {};
  if (::fstat(fileno(file->pStream), &st) == 0 && st.st_size > 0)
    file->qwFileSize = static_cast<uint64_t>(st.st_size);
  ReadImage(file);
  if (!ReadHeaders(file)) {
    // The caller of a failed open never closes the reader: the stream must not outlive it.
    std::fclose(file->pStream);
    file->pStream = nullptr;
    return nullptr;
  }
  return file;
}

// A heap of heapSize bytes formatted as the reader's block, through outHeap; none (counted
// as an open, traced) when it cannot be had.
SGE_MEMBLOCK* MakeHeap(void** outHeap, uint32_t heapSize) {
  void* heap = std::malloc(heapSize);
  if (outHeap) *outHeap = heap;
  if (!heap) {
    ++SPW_BIFF_NumOpened;
    PLAT_Trace("Failure to allocate file memory\nin(powr:SPW_BIFF_OpenFile)\n");
    return nullptr;
  }
  SGE_MEMBLOCK* mem = SGE_FormatMemBlock(heap, heapSize, "BIFF_OpenFile");
  if (!mem) {
    ++SPW_BIFF_NumOpened;
    PLAT_Trace("Failure to associate memblock with file memory\nin(powr:SPW_BIFF_OpenFile)\n");
  }
  return mem;
}

}  // namespace

SPW_BIFF_FILE* SPW_BIFF_OpenFileInBlock(const char* fileName, SGE_MEMBLOCK* mem) {
  return OpenInBlock(fileName, mem, nullptr);
}

SPW_BIFF_FILE* SPW_BIFF_OpenFile(const char* fileName, void** outHeap, uint32_t heapSize) {
  SGE_MEMBLOCK* mem = MakeHeap(outHeap, heapSize);
  if (!mem) return nullptr;
  SPW_BIFF_FILE* file = OpenInBlock(fileName, mem, nullptr);
  if (!file) SGE_ReleaseMemBlock(mem);
  return file;
}

SPW_BIFF_FILE* SPW_BIFF_OpenFileSized(const char* fileName, void** outHeap, uint32_t perByte,
                                      uint32_t slack, uint32_t maxHeap) {
  if (outHeap) *outHeap = nullptr;
  FILE* stream = fileName ? PLAT_FOpen(fileName, "rb") : nullptr;
  struct stat st {};
  if (!stream || ::fstat(fileno(stream), &st) != 0) {
    ++SPW_BIFF_NumOpened;
    if (stream) std::fclose(stream);
    PLAT_Trace("Fail to open POW file: %s\n(powr:SPW_BIFF_OpenFile)\n", fileName ? fileName : "");
    return nullptr;
  }
  const uint64_t need = uint64_t{perByte} * static_cast<uint64_t>(st.st_size) + slack;
  SGE_MEMBLOCK* mem = MakeHeap(outHeap, static_cast<uint32_t>(std::min<uint64_t>(need, maxHeap)));
  if (!mem) {
    std::fclose(stream);
    return nullptr;
  }
  SPW_BIFF_FILE* file = OpenInBlock(fileName, mem, stream);
  if (!file) SGE_ReleaseMemBlock(mem);
  return file;
}

void SPW_BIFF_FreeHeap(void* heap) { std::free(heap); }

void SPW_BIFF_CloseFile(SPW_BIFF_FILE* file, void* heap) {
  if (file) {
    ++SPW_BIFF_NumClosed;
    if (file->pStream) std::fclose(file->pStream);
    file->pStream = nullptr;
    SGE_ReleaseMemBlock(file->pMem);
  }
  std::free(heap);
}

SPW_BIFF_BLOCK* SPW_BIFF_FindBlock(SPW_BIFF_FILE* file, const char* tag) {
  if (!file || !tag) return nullptr;
  for (SPW_BIFF_BLOCK* b = file->pFirstBlock; b; b = b->pNext)
    if (SPW_BIFF_TagEquals(b->szTag, tag)) return b;
  return nullptr;
}

SPW_BIFF_BLOCK* SPW_BIFF_NextBlock(SPW_BIFF_FILE*, SPW_BIFF_BLOCK* block) {
  return block ? block->pNextSameTag : nullptr;
}

SPW_BIFF_CHUNK* SPW_BIFF_FindChunk(SPW_BIFF_FILE*, SPW_BIFF_BLOCK* block, const char* tag) {
  if (!block || !tag) return nullptr;
  SPW_BIFF_CHUNK* found = block->pFirstChunk;
  while (found && !SPW_BIFF_TagEquals(found->szTag, tag)) found = found->pNext;
  if (!found || found->pNextSameTag) return found;
  // The same-tag chain of a block's chunks is built on the first find, once.
  SPW_BIFF_CHUNK* chainEnd = found;
  for (SPW_BIFF_CHUNK* c = found->pNext; c; c = c->pNext) {
    if (!SPW_BIFF_TagEquals(c->szTag, tag)) continue;
    chainEnd->pNextSameTag = c;
    chainEnd = c;
  }
  return found;
}

SPW_BIFF_CHUNK* SPW_BIFF_NextChunk(SPW_BIFF_FILE*, SPW_BIFF_CHUNK* chunk) {
  return chunk ? chunk->pNextSameTag : nullptr;
}

uint32_t SPW_BIFF_ChunkCount(const SPW_BIFF_BLOCK* block) { return block ? block->dwNumChunks : 0; }

uint8_t* SPW_BIFF_ChunkData(SPW_BIFF_FILE* file, SPW_BIFF_CHUNK* chunk) {
  if (!file || !file->pStream) return nullptr;
  if (chunk)
    file->pCurChunk = chunk;
  else
    chunk = file->pCurChunk;
  if (!chunk) return nullptr;
  if (chunk->pData) return chunk->pData->pData;
  if (static_cast<uint64_t>(chunk->dwOffset) + chunk->dwSize > file->qwFileSize) {
    PLAT_Trace("SPW_BIFF_ChunkData: %s: \"%.4s\" data runs past the end of the file\n",
               file->szName, chunk->szTag);
    return nullptr;
  }
  auto* holder = static_cast<SPW_BIFF_DATA*>(SGE_MemCalloc(file->pMem, sizeof(SPW_BIFF_DATA)));
  // Even an empty chunk gets a buffer, so its data is never mistaken for a failure.
  auto* data = static_cast<uint8_t*>(SGE_MemAlloc(file->pMem, chunk->dwSize ? chunk->dwSize : 1));
  if (!holder || !data) {
    SGE_MemFree(holder);
    SGE_MemFree(data);
    return nullptr;
  }
  if (file->pImage) {
    std::memcpy(data, file->pImage + chunk->dwOffset, chunk->dwSize);
  } else if (std::fseek(file->pStream, static_cast<long>(chunk->dwOffset), SEEK_SET) != 0 ||
             !ReadExact(file->pStream, data, chunk->dwSize)) {
    SGE_MemFree(holder);
    SGE_MemFree(data);
    return nullptr;
  }
  holder->pData = data;
  holder->dwSize = chunk->dwSize;
  holder->dwPos = 0;
  chunk->pData = holder;
  return data;
}
