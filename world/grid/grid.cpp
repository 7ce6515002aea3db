// The spatial grid: a fixed pool of cell links, one list per cell, and per-unit chains of the
// links that hold the unit. Queries stamp each unit they hand over instead of keeping a set.
#include "world/grid/grid.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/trace.h"
#include "world/unitman/unitman.h"

namespace {

// Scaled coordinates are clamped here before conversion, so that spans and first indices stay
// inside int32_t for any position, however far off the map.
constexpr float kCellIndexLimit = 1073741824.0f;  // 2^30

struct CellRange {
  int32_t nCol;
  int32_t nRow;
  int32_t nCols;  // 0 or more
  int32_t nRows;
  int32_t nFirst;  // nCol + nRow * nx, as the unit caches it
};

int32_t Span(int32_t from, int32_t to) { return to > from ? to - from : 0; }

CellRange RangeOf(const VNGRID* grid, float x, float y, float r) {
  CellRange range;
  range.nCol = vnGrid_CellIndex((x - r) * grid->fInvCellX);
  range.nRow = vnGrid_CellIndex((y - r) * grid->fInvCellY);
  range.nCols = Span(range.nCol, vnGrid_CellIndex(std::ceil((x + r) * grid->fInvCellX)));
  range.nRows = Span(range.nRow, vnGrid_CellIndex(std::ceil((y + r) * grid->fInvCellY)));
  // Negative columns wrap into the row above here; they own no cells, so only the cache sees it.
  range.nFirst = static_cast<int32_t>(static_cast<uint32_t>(range.nCol) +
                                      static_cast<uint32_t>(range.nRow) * grid->nx);
  return range;
}

// The part of a range that lies in the grid, as half-open column and row bounds.
struct CellWindow {
  uint32_t col0, col1, row0, row1;
};

CellWindow WindowOf(const VNGRID* grid, const CellRange& range) {
  auto clip = [](int32_t from, int32_t span, uint32_t limit, uint32_t* lo, uint32_t* hi) {
    const int64_t end = static_cast<int64_t>(from) + span;
    *lo = from < 0 ? 0u : static_cast<uint32_t>(from);
    *hi = end < 0 ? 0u : (end > limit ? limit : static_cast<uint32_t>(end));
    if (*hi < *lo) *hi = *lo;
  };
  CellWindow w;
  clip(range.nCol, range.nCols, grid->nx, &w.col0, &w.col1);
  clip(range.nRow, range.nRows, grid->ny, &w.row0, &w.row1);
  return w;
}

int32_t ClearStamp(VNUNIT* unit, SGE_PARAM) {
  unit->dwGridStamp = 0;
  return 1;
}

// The stamp of a new query. On wrap-around every unit's stamp is cleared so that no unit keeps
// a stamp the new round would take for its own.
uint32_t NextStamp(VNGRID* grid) {
  if (grid->dwStamp == std::numeric_limits<uint32_t>::max()) {
    grid->dwStamp = 1;
    if (SGE_TASK* manager = vnUNITMAN_GetTask())
      SGE_Send(manager, SGM_UNITMAN_FOR_EACH, SGE_PtrParam(&ClearStamp), 0);
    return grid->dwStamp;
  }
  return ++grid->dwStamp;
}

void LinkIntoCell(VNGRID* grid, VNUNIT* unit, uint32_t cell) {
  VNGRID_LINK* link = SGE_ListRecord<VNGRID_LINK>(SGE_ListPopHead(&grid->freeLinks));
  if (!link) return;  // pool exhausted: the unit is missing from this cell
  link->pUnit = unit;
  link->nCell = static_cast<int32_t>(cell);
  link->pNextOfUnit = unit->pGridLinks;
  unit->pGridLinks = link;
  SGE_ListAddTail(&grid->pCells[cell], &link->link);
}

bool Passes(const VNUNIT* unit, uint32_t include, uint32_t exclude, uint32_t stamp) {
  return (unit->dwFlags & include) && !(unit->dwFlags & exclude) && unit->dwGridStamp != stamp;
}

// Hands the cell's passing units over until the callback says stop. The next link is taken
// before the callback runs: a callback may move or remove the unit it is handed.
void WalkCell(SGE_DLLNODE* head, VNGRID_CALLBACK callback, void* user, void* data,
              uint32_t include, uint32_t exclude, uint32_t stamp) {
  for (const VNGRID_LINK* link : SGE_ListRecords<VNGRID_LINK>(head)) {
    VNUNIT* unit = link->pUnit;
    if (!Passes(unit, include, exclude, stamp)) continue;
    unit->dwGridStamp = stamp;
    if (callback(data, unit, user) != 1) return;
  }
}

void QueryWindow(VNGRID_CALLBACK callback, void* user, VNGRID* grid, void* data,
                 const SPW_VECTOR* point, float radius, uint32_t include, uint32_t exclude,
                 uint32_t stamp) {
  const CellWindow w = WindowOf(grid, RangeOf(grid, point->x, point->y, radius));
  for (uint32_t row = w.row0; row < w.row1; ++row)
    for (uint32_t col = w.col0; col < w.col1; ++col)
      WalkCell(&grid->pCells[col + row * grid->nx], callback, user, data, include, exclude, stamp);
}

// Cells along one axis; none for an empty or inverted area, -1 past what the indices can hold.
int64_t CellCount(float min, float max, float cell) {
  const float n = std::ceil((max - min) / cell);
  if (!(n < kCellIndexLimit)) return -1;
  return n > 0.0f ? static_cast<int64_t>(n) : 0;
}

}  // namespace

int32_t vnGrid_CellIndex(float scaled) {
  if (std::isnan(scaled)) return 0;
  if (scaled > kCellIndexLimit) scaled = kCellIndexLimit;
  if (scaled < -kCellIndexLimit) scaled = -kCellIndexLimit;
  return static_cast<int32_t>(scaled);
}

VNGRID* vnGrid_Create(SGE_MEMBLOCK* block, const SPW_VECTOR* min, const SPW_VECTOR* max,
                      const SPW_VECTOR* cell, int32_t linkCount) {
  if (!block || !min || !max || !cell || linkCount < 0 || !(cell->x > 0.0f) ||
      !(cell->y > 0.0f)) {
    PLAT_Trace("vnGrid_Create: bad arguments\n");
    return nullptr;
  }
  const int64_t nx = CellCount(min->x, max->x, cell->x);
  const int64_t ny = CellCount(min->y, max->y, cell->y);
  const uint64_t cells = nx < 0 || ny < 0 ? 0 : static_cast<uint64_t>(nx * ny);
  if (nx < 0 || ny < 0 || cells * sizeof(SGE_DLLNODE) > std::numeric_limits<uint32_t>::max() ||
      static_cast<uint64_t>(linkCount) * sizeof(VNGRID_LINK) >
          std::numeric_limits<uint32_t>::max()) {
    PLAT_Trace("vnGrid_Create: an area of %g by %g in cells of %g by %g is too large\n",
               max->x - min->x, max->y - min->y, cell->x, cell->y);
    return nullptr;
  }
  auto* grid = static_cast<VNGRID*>(SGE_MemCalloc(block, sizeof(VNGRID)));
  if (!grid) return nullptr;
  grid->pBlock = block;
  grid->vMin = *min;
  grid->vMax = *max;
  grid->vCell = *cell;
  grid->fInvCellX = 1.0f / cell->x;
  grid->fInvCellY = 1.0f / cell->y;
  grid->nx = static_cast<uint32_t>(nx);
  grid->ny = static_cast<uint32_t>(ny);
  SGE_ListInit(&grid->freeLinks);
  // One byte at least, so that an empty pool or area still has a chunk to free.
  const auto linkBytes = static_cast<uint32_t>(linkCount * sizeof(VNGRID_LINK));
  const auto cellBytes = static_cast<uint32_t>(cells * sizeof(SGE_DLLNODE));
  grid->pLinks = static_cast<VNGRID_LINK*>(SGE_MemCalloc(block, linkBytes ? linkBytes : 1));
  grid->pCells = static_cast<SGE_DLLNODE*>(SGE_MemAlloc(block, cellBytes ? cellBytes : 1));
  if (!grid->pLinks || !grid->pCells) {
    PLAT_Trace("vnGrid_Create: no memory for %d links and %u by %u cells\n", linkCount, grid->nx,
               grid->ny);
    if (grid->pLinks) SGE_MemFree(grid->pLinks);
    if (grid->pCells) SGE_MemFree(grid->pCells);
    SGE_MemFree(grid);
    return nullptr;
  }
  for (int32_t i = 0; i < linkCount; ++i) SGE_ListAddTail(&grid->freeLinks, &grid->pLinks[i].link);
  for (uint64_t i = 0; i < cells; ++i) SGE_ListInit(&grid->pCells[i]);
  return grid;
}

void vnGrid_Destroy(VNGRID* grid) {
  if (!grid) return;
  const uint64_t cells = static_cast<uint64_t>(grid->nx) * grid->ny;
  for (uint64_t i = 0; i < cells; ++i)
    while (const VNGRID_LINK* link = SGE_ListFirstRecord<VNGRID_LINK>(&grid->pCells[i]))
      vnGrid_UnlinkUnit(grid, link->pUnit);
  SGE_MemFree(grid->pCells);
  SGE_MemFree(grid->pLinks);
  SGE_MemFree(grid);
}

void vnGrid_UpdateUnit(VNGRID* grid, VNUNIT* unit) {
  if (!grid || !unit) return;
  const CellRange range = RangeOf(grid, unit->vPos.x, unit->vPos.y, unit->fRadius);
  if (range.nFirst == unit->nGridFirst && range.nCols == unit->nGridCols &&
      range.nRows == unit->nGridRows)
    return;
  vnGrid_UnlinkUnit(grid, unit);
  const CellWindow w = WindowOf(grid, range);
  for (uint32_t row = w.row0; row < w.row1; ++row)
    for (uint32_t col = w.col0; col < w.col1; ++col) LinkIntoCell(grid, unit, col + row * grid->nx);
  unit->nGridFirst = range.nFirst;
  unit->nGridCols = range.nCols;
  unit->nGridRows = range.nRows;
}

void vnGrid_UnlinkUnit(VNGRID* grid, VNUNIT* unit) {
  if (!grid || !unit) return;
  for (VNGRID_LINK *link = unit->pGridLinks, *next; link; link = next) {
    next = link->pNextOfUnit;
    SGE_ListUnlink(&link->link);
    link->pUnit = nullptr;
    link->pNextOfUnit = nullptr;
    SGE_ListAddTail(&grid->freeLinks, &link->link);
  }
  unit->pGridLinks = nullptr;
  // An empty cached range: the next update links the unit again even where it stands.
  unit->nGridFirst = 0;
  unit->nGridCols = 0;
  unit->nGridRows = 0;
}

void vnGrid_QueryRadius(VNGRID_CALLBACK callback, void* user, VNGRID* grid, void* data,
                        const SPW_VECTOR* point, float radius, uint32_t include,
                        uint32_t exclude) {
  if (!callback || !grid || !point) return;
  const uint32_t stamp = NextStamp(grid);
  QueryWindow(callback, user, grid, data, point, radius, include, exclude, stamp);
}

void vnGrid_QueryPairs(VNGRID_CALLBACK callback, void* user, VNGRID* grid, VNUNIT* unit) {
  if (!callback || !grid || !unit) return;
  const uint32_t stamp = NextStamp(grid);
  if (!unit->pGridLinks) {
    QueryWindow(callback, user, grid, unit, &unit->vPos, unit->fRadius, unit->dwIncludeMask,
                unit->dwExcludeMask, stamp);
    return;
  }
  for (VNGRID_LINK* own = unit->pGridLinks; own; own = own->pNextOfUnit) {
    SGE_DLLNODE* head = &grid->pCells[own->nCell];
    for (const VNGRID_LINK* link : SGE_ListRecords<VNGRID_LINK>(head)) {
      VNUNIT* other = link->pUnit;
      if (other == unit ||
          !Passes(other, unit->dwIncludeMask, other->dwExcludeMask, stamp))
        continue;
      other->dwGridStamp = stamp;
      if (callback(unit, other, user) != 1) break;
    }
  }
}
