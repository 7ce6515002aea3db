#pragma once
// driver/material: the named material store of a display.
//
// A material is a name of up to 16 characters with a data block of the caller's size, whose
// first words the store keeps (the header below) and whose rest belongs to the caller.
#include <cstdint>

#include "driver/core/list.h"
#include "driver/core/state.h"

constexpr int SPPD_MATERIAL_NAME_SIZE = 16;  // compared over all 16; not necessarily terminated
constexpr int SPPD_MATERIAL_BUCKETS = 2048;
constexpr uint32_t SPPD_MATERIAL_HASH_MASK = 0x7FF;

struct SPPD_MATERIAL {
  SPPD_LISTHEAD link;  // in its bucket
  char szName[SPPD_MATERIAL_NAME_SIZE];
  void* pData;
};

// The start of every data block: 0, the block's size, 0, the owning record, 0.
struct SPPD_MATERIALHEADER {
  uint32_t dwReserved0;
  uint32_t dwSize;
  uint32_t dwReserved1;
  SPPD_MATERIAL* pOwner;
  uint32_t dwReserved2;
};

struct SPPD_MATERIALBUCKET {
  SPPD_LISTHEAD link;       // in the non-empty or the emptied list
  SPPD_LISTHEAD lhMaterials;
};

struct SPPD_MATERIALTABLE {
  SPPD_MATERIALBUCKET aBuckets[SPPD_MATERIAL_BUCKETS];
  SPPD_LISTHEAD lhUsedBuckets;
  SPPD_LISTHEAD lhEmptiedBuckets;
  uint32_t dwCount;
  SPPD_POOL* pRecordPool;
  SPPD_POOL* pDataPool;
};

// Sum of the name's characters as signed bytes, up to 16 or the terminator, masked to a bucket.
uint32_t SPPD_MaterialHash(const char* name);

// The display state's table, made from the general pool on first use; none without pools.
SPPD_MATERIALTABLE* SPPD_MaterialTableOf(SPPD_DRIVERSTATE* state);
