#pragma once
// The spatial grid: square cells over the mission's ground plane, each listing the units whose
// bounding square overlaps it, so that neighbourhood searches visit only nearby units.
#include <cstdint>

#include "engine/math/vecmath.h"
#include "engine/memory/lists.h"
#include "engine/memory/memblock.h"

struct VNUNIT;

struct VNGRID_LINK {
  SGE_DLLNODE link;  // in a cell list or the free list
  VNUNIT* pUnit;
  int32_t nCell;
  VNGRID_LINK* pNextOfUnit;
};

struct VNGRID {
  VNGRID_LINK* pLinks;
  SGE_MEMBLOCK* pBlock;
  SGE_DLLNODE freeLinks;
  SGE_DLLNODE* pCells;  // nx * ny heads, cell (j, i) at j + i * nx
  SPW_VECTOR vMin;
  SPW_VECTOR vMax;
  SPW_VECTOR vCell;
  float fInvCellX;
  float fInvCellY;
  uint32_t nx;
  uint32_t ny;
  uint32_t dwStamp;
};

// 1 goes on; any other value ends the walk of the current cell only.
using VNGRID_CALLBACK = int32_t (*)(void* data, VNUNIT* unit, void* user);

VNGRID* vnGrid_Create(SGE_MEMBLOCK* block, const SPW_VECTOR* min, const SPW_VECTOR* max,
                      const SPW_VECTOR* cell, int32_t linkCount);
void vnGrid_Destroy(VNGRID* grid);
void vnGrid_UpdateUnit(VNGRID* grid, VNUNIT* unit);
void vnGrid_UnlinkUnit(VNGRID* grid, VNUNIT* unit);
void vnGrid_QueryRadius(VNGRID_CALLBACK callback, void* user, VNGRID* grid, void* data,
                        const SPW_VECTOR* point, float radius, uint32_t include,
                        uint32_t exclude);
void vnGrid_QueryPairs(VNGRID_CALLBACK callback, void* user, VNGRID* grid, VNUNIT* unit);
int32_t vnGrid_CellIndex(float scaled);
