// The three packed tables, kept for the whole run.
#include <cstdio>
#include <cstring>

#include "engine/memory/memblock.h"
#include "engine/packed/packed.h"
#include "platform/bytes.h"
#include "platform/files.h"
#include "platform/trace.h"

namespace {

SPW_PACKEDTABLE g_positions{};
SPW_PACKEDTABLE g_rotations{};
SPW_PACKEDTABLE g_materials{};

void FreeTable(SPW_PACKEDTABLE* table) {
  SGE_MemFree(table->pBody);
  *table = {};
}

// Loads a table of whole entries of 32-bit words and turns the words to host order in place.
int32_t LoadWordTable(SPW_PACKEDTABLE* table, const char* path, uint32_t entrySize) {
  if (!SPW_LoadPackedTable(table, path) || !path) return path ? 0 : 1;
  if (table->dwSize % entrySize != 0) {
    PLAT_Trace("SPW_LoadPackedTable: %s holds %u bytes, not whole %u-byte entries\n", path,
               table->dwSize, entrySize);
    FreeTable(table);
    return 0;
  }
  for (uint32_t o = 0; o + 4 <= table->dwSize; o += 4) {
    uint32_t word = PLAT_LoadLE32(table->pBody + o);
    std::memcpy(table->pBody + o, &word, 4);
  }
  return 1;
}

}  // namespace

int32_t SPW_LoadPackedTable(SPW_PACKEDTABLE* table, const char* path) {
  if (!table) return 0;
  FreeTable(table);
  if (!path) return 1;
  PLAT_FileHandle f(PLAT_FOpen(path, "rb"));
  if (!f) {
    PLAT_Trace("SPW_LoadPackedTable: %s is missing\n", path);
    return 0;
  }
  uint8_t sizeWord[4];
  int64_t mtime = 0;
  uint64_t fileSize = 0;
  if (std::fread(sizeWord, 1, 4, f.get()) != 4 || !PLAT_FileStat(path, &mtime, &fileSize)) {
    PLAT_Trace("SPW_LoadPackedTable: %s has no size word\n", path);
    return 0;
  }
  const uint32_t total = PLAT_LoadLE32(sizeWord);
  // The size word counts itself; a body it claims beyond the file's end is never read.
  if (total < 4 || total > fileSize) {
    PLAT_Trace("SPW_LoadPackedTable: %s claims %u bytes of %llu\n", path, total,
               static_cast<unsigned long long>(fileSize));
    return 0;
  }
  const uint32_t bodySize = total - 4;
  auto* body = static_cast<uint8_t*>(SGE_MemAlloc(SPW_ObjsMem, bodySize ? bodySize : 1));
  if (!body) {
    PLAT_Trace("SPW_LoadPackedTable: no memory for the %u bytes of %s\n", bodySize, path);
    return 0;
  }
  if (std::fread(body, 1, bodySize, f.get()) != bodySize) {
    PLAT_Trace("SPW_LoadPackedTable: %s is cut short\n", path);
    SGE_MemFree(body);
    return 0;
  }
  table->pBody = body;
  table->dwSize = bodySize;
  return 1;
}

int32_t SPW_LoadPositionTable(const char* path) {
  return LoadWordTable(&g_positions, path, sizeof(SPW_POSITIONENTRY));
}
int32_t SPW_LoadRotationTable(const char* path) {
  return LoadWordTable(&g_rotations, path, sizeof(SPW_ROTATIONENTRY));
}
int32_t SPW_LoadMaterials(const char* path) {
  if (!SPW_LoadPackedTable(&g_materials, path) || !path) return path ? 0 : 1;
  if (g_materials.dwSize % SPW_MATERIAL_NAME_SIZE != 0) {
    PLAT_Trace("SPW_LoadMaterials: %s holds %u bytes, not whole %d-byte names\n", path,
               g_materials.dwSize, SPW_MATERIAL_NAME_SIZE);
    FreeTable(&g_materials);
    return 0;
  }
  return 1;
}

const SPW_POSITIONENTRY* SPW_GetPositionTable(uint32_t* outCount) {
  if (outCount) *outCount = g_positions.dwSize / sizeof(SPW_POSITIONENTRY);
  return reinterpret_cast<const SPW_POSITIONENTRY*>(g_positions.pBody);
}

const SPW_ROTATIONENTRY* SPW_GetRotationTable(uint32_t* outCount) {
  if (outCount) *outCount = g_rotations.dwSize / sizeof(SPW_ROTATIONENTRY);
  return reinterpret_cast<const SPW_ROTATIONENTRY*>(g_rotations.pBody);
}

uint32_t SPW_GetMaterialCount() { return g_materials.dwSize / SPW_MATERIAL_NAME_SIZE; }

const char* SPW_GetMaterialName(uint32_t index) {
  if (index >= SPW_GetMaterialCount()) return nullptr;
  char* name = reinterpret_cast<char*>(g_materials.pBody) + index * SPW_MATERIAL_NAME_SIZE;
  // A name that fills its whole field is cut at the field's end.
  name[SPW_MATERIAL_NAME_SIZE - 1] = 0;
  return name;
}
