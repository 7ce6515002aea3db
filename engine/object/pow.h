#pragma once
// The steps of the POW loader, each on its own opening of the file.
#include <cstdint>

#include "engine/object/object.h"
#include "platform/bytes.h"

struct SPW_BIFF_FILE;

// Byte offsets of the object header chunk in the current ("LDOB") and old ("NDOB") layouts.
struct SPW_POWLAYOUT {
  const char* pszObjectTag;
  const char* pszNodeTag;
  uint32_t dwHeaderSize;  // bytes an object header chunk must hold
  uint32_t dwNodeFixed;   // bytes of a node chunk before its vertices
  bool bOld;
};
extern const SPW_POWLAYOUT SPW_PowNewLayout;
extern const SPW_POWLAYOUT SPW_PowOldLayout;

// Reads little-endian fields of a chunk's data; every offset is checked against the size.
struct SPW_POWCHUNK {
  const uint8_t* pData;
  uint32_t dwSize;
  bool Has(uint64_t offset, uint64_t size) const { return offset + size <= dwSize; }
  uint32_t U32(uint32_t offset) const { return PLAT_LoadLE32(pData + offset); }
  int32_t I32(uint32_t offset) const { return static_cast<int32_t>(U32(offset)); }
  float F32(uint32_t offset) const { return PLAT_FloatFromBits(U32(offset)); }
};

// Fills the type's levels of detail from the node chunks of the open file; the lod index of
// an old-layout file is the header's. 1 or 0.
int32_t SPW_LoadPowLods(SPW_DOBJTYPE* type, SPW_BIFF_FILE* file, SPW_DISPLAY* display,
                        float scale, const SPW_POWLAYOUT& layout, uint32_t oldLodIndex);
// Fills the type's animations from the "ANMF" blocks of the open file. 1 or 0.
int32_t SPW_LoadPowAnimations(SPW_DOBJTYPE* type, SPW_BIFF_FILE* file, float scale);
