// Materials of the "MATF" block, shared by the object, feature and terrain loaders.
#include "engine/object/material.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "engine/biff/biff.h"
#include "engine/memory/memblock.h"
#include "engine/object/internal.h"
#include "engine/object/pow.h"
#include "platform/files.h"
#include "platform/trace.h"

namespace {

constexpr uint32_t kMatsFixed = 96;
constexpr uint32_t kMatsNameOffset = 4;
constexpr uint32_t kMatsNameSize = 64;  // the name field in the file; the record holds 260
constexpr uint32_t kMatsValues = 68;
constexpr uint32_t kMatsTextureCount = 92;
constexpr uint32_t kMatsTextureSize = 264;
constexpr uint32_t kMatsTextureName = 4;
constexpr uint32_t kFaceTextureKind = 1;

}  // namespace

int32_t SPW_ReadMaterials(SPW_BIFF_FILE* file, SPW_MATERIALTABLE* out, const char* caller) {
  *out = {};
  SPW_BIFF_BLOCK* block = SPW_BIFF_FindBlock(file, "MATF");
  const uint32_t capacity = SPW_BIFF_ChunkCount(block);
  if (!block || capacity == 0) return 1;
  out->pMaterials = static_cast<SPW_MATERIAL*>(SGE_MemCalloc(
      SPW_FObjsMem,
      static_cast<uint32_t>(std::min<uint64_t>(uint64_t{capacity} * sizeof(SPW_MATERIAL), UINT32_MAX))));
  if (!out->pMaterials) {
    PLAT_Trace("%s: no memory for %u materials\n", caller, capacity);
    return 0;
  }
  out->dwCapacity = capacity;
  for (SPW_BIFF_CHUNK* c = SPW_BIFF_FindChunk(file, block, "MATS"); c;
       c = SPW_BIFF_NextChunk(file, c)) {
    if (out->dwCount >= capacity) {
      PLAT_Trace("%s: more materials than the %u the block counts\n", caller, capacity);
      return 0;
    }
    const uint8_t* data = SPW_BIFF_ChunkData(file, c);
    if (!data) return 0;
    SPW_POWCHUNK m{data, c->dwSize};
    if (!m.Has(0, kMatsFixed) ||
        !m.Has(kMatsFixed, uint64_t{m.U32(kMatsTextureCount)} * kMatsTextureSize)) {
      PLAT_Trace("%s: material %u is cut short\n", caller, out->dwCount);
      return 0;
    }
    SPW_MATERIAL& mat = out->pMaterials[out->dwCount++];
    mat.dwValue = m.U32(0);
    // The name field on disk is 64 bytes: copy no more, and always end the text.
    std::memcpy(mat.szName, data + kMatsNameOffset, kMatsNameSize);
    mat.szName[kMatsNameSize - 1] = 0;
    for (uint32_t i = 0; i < 6; ++i) mat.adwValue[i] = m.U32(kMatsValues + 4 * i);
    mat.dwNumTextures = m.U32(kMatsTextureCount);
    mat.pTextures = data + kMatsFixed;
  }
  return 1;
}

void SPW_FreeMaterials(SPW_MATERIALTABLE* table) {
  SGE_MemFree(table->pMaterials);
  *table = {};
}

bool SPW_MaterialTextureName(const SPW_MATERIALTABLE* table, uint32_t index,
                             char (&out)[SPW_TEXTURE_NAME_SIZE + 1], SPW_TEXTURECHOICE choice) {
  out[0] = 0;
  if (index >= table->dwCount) return false;
  const SPW_MATERIAL& mat = table->pMaterials[index];
  if (mat.dwNumTextures == 0) return false;
  const uint8_t* chosen = mat.pTextures;
  for (uint32_t t = 0; choice == SPW_TEXTURECHOICE::Face && t < mat.dwNumTextures; ++t) {
    const uint8_t* rec = mat.pTextures + t * kMatsTextureSize;
    if (PLAT_LoadLE32(rec) == kFaceTextureKind) {
      chosen = rec;
      break;
    }
  }
  std::memcpy(out, chosen + kMatsTextureName, SPW_TEXTURE_NAME_SIZE);
  out[SPW_TEXTURE_NAME_SIZE] = 0;
  return out[0] != 0;
}

int32_t SPW_MaterialTextureId(const SPW_MATERIALTABLE* table, uint32_t index,
                              SPW_DISPLAY* display, const std::string* workingDir,
                              SPW_TEXTURECHOICE choice) {
  char name[SPW_TEXTURE_NAME_SIZE + 1];
  if (!SPW_MaterialTextureName(table, index, name, choice)) return 0;
  const std::string folder = workingDir ? *workingDir : PLAT_GetWorkingDir();
  std::string full = (name[0] == '/' || folder.empty()) ? name : folder + "/" + name;
  return SPW_ObjectTextureId(display, full.c_str());
}
