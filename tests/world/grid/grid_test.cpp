// The spatial grid on bare unit records: linking, queries and their stamps, the link pool; and
// the stamp wrap-around of a running manager's grid.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <limits>
#include <utility>
#include <vector>

#include "engine/kernel/tasktypes.h"
#include "engine/memory/memblock.h"
#include "tests/world/support/testworld.h"
#include "world/grid/grid.h"
#include "world/unitman/unitman.h"

namespace {

constexpr uint32_t kFound = 0x400000;  // the flag bit the tests query for
constexpr float kCell = 10.0f;

class GridTest : public ::testing::Test {
 protected:
  void SetUp() override { grid_ = Make(100.0f, 100.0f, 400); }
  void TearDown() override { vnGrid_Destroy(grid_); }

  VNGRID* Make(float maxX, float maxY, int32_t links) {
    const SPW_VECTOR lo{0, 0, 0}, hi{maxX, maxY, 10}, cell{kCell, kCell, kCell};
    return vnGrid_Create(block_, &lo, &hi, &cell, links);
  }

  VNUNIT* Unit(float x, float y, float r, uint32_t flags = kFound) {
    VNUNIT& u = units_.emplace_back();
    u.dwId = static_cast<uint32_t>(units_.size());
    u.dwFlags = flags;
    u.vPos = {x, y, 0};
    u.fRadius = r;
    vnGrid_UpdateUnit(grid_, &u);
    return &u;
  }

  // The (column, row) of every cell the unit is linked into, sorted.
  static std::vector<std::pair<uint32_t, uint32_t>> Cells(const VNGRID* grid, const VNUNIT* u) {
    std::vector<std::pair<uint32_t, uint32_t>> out;
    for (const VNGRID_LINK* l = u->pGridLinks; l; l = l->pNextOfUnit)
      out.emplace_back(static_cast<uint32_t>(l->nCell) % grid->nx,
                       static_cast<uint32_t>(l->nCell) / grid->nx);
    std::sort(out.begin(), out.end());
    return out;
  }

  struct Visit {
    std::vector<VNUNIT*> found;
    VNUNIT* stopAt = nullptr;
  };
  static int32_t Record(void*, VNUNIT* unit, void* user) {
    auto* v = static_cast<Visit*>(user);
    v->found.push_back(unit);
    return unit == v->stopAt ? 0 : 1;
  }
  std::vector<VNUNIT*> Query(float x, float y, float r, VNUNIT* stopAt = nullptr,
                             uint32_t include = kFound, uint32_t exclude = 0) {
    Visit v;
    v.stopAt = stopAt;
    const SPW_VECTOR p{x, y, 0};
    vnGrid_QueryRadius(&Record, &v, grid_, nullptr, &p, r, include, exclude);
    return v.found;
  }
  int32_t FreeLinks() const { return SGE_ListCount(&grid_->freeLinks); }

  std::vector<uint8_t> memory_ = std::vector<uint8_t>(1 << 20);
  SGE_MEMBLOCK* block_ =
      SGE_FormatMemBlock(memory_.data(), static_cast<uint32_t>(memory_.size()), "GridTest");
  VNGRID* grid_ = nullptr;
  std::deque<VNUNIT> units_;  // stable addresses
};

using CellList = std::vector<std::pair<uint32_t, uint32_t>>;

TEST_F(GridTest, CreateSizesTheCellsFromTheArea) {
  ASSERT_NE(grid_, nullptr);
  EXPECT_EQ(grid_->nx, 10u);
  EXPECT_EQ(grid_->ny, 10u);
  EXPECT_EQ(grid_->dwStamp, 0u);
  EXPECT_FLOAT_EQ(grid_->fInvCellX, 0.1f);
  EXPECT_EQ(FreeLinks(), 400);
  VNGRID* partial = Make(95.0f, 101.0f, 1);
  ASSERT_NE(partial, nullptr);
  EXPECT_EQ(partial->nx, 10u);  // a partial cell counts
  EXPECT_EQ(partial->ny, 11u);
  vnGrid_Destroy(partial);
}

TEST_F(GridTest, AUnitIsLinkedIntoEveryCellItsSquareOverlaps) {
  struct Case {
    float x, y, r;
    CellList cells;
  } cases[] = {
      {15, 15, 1, {{1, 1}}},
      {10, 10, 1, {{0, 0}, {0, 1}, {1, 0}, {1, 1}}},
      {-5, -5, 1, {}},                       // truncation towards zero leaves an empty range
      {-15, 5, 1, {}},                       // negative columns have no cells
      {-5, 5, 10, {{0, 0}, {0, 1}}},         // the part inside the grid still links
      {99, 50, 2, {{9, 4}, {9, 5}}},         // the column past the grid is skipped
      {1e30f, 1e30f, 1, {}},                 // far off the map
  };
  for (const Case& c : cases) {
    VNUNIT* u = Unit(c.x, c.y, c.r);
    EXPECT_EQ(Cells(grid_, u), c.cells) << c.x << ", " << c.y << " r " << c.r;
  }
}

TEST_F(GridTest, AUnitOfRadiusOneAtTheOriginSideIsNeverFound) {
  Unit(-5, -5, 1);
  EXPECT_TRUE(Query(-5, -5, 20).empty());
  EXPECT_TRUE(Query(0, 0, 1000).empty());
}

TEST_F(GridTest, MovingWithinTheSameCellsKeepsTheLinks) {
  VNUNIT* u = Unit(15, 15, 1);
  const VNGRID_LINK* before = u->pGridLinks;
  u->vPos = {15.5f, 14.5f, 0};
  vnGrid_UpdateUnit(grid_, u);
  EXPECT_EQ(u->pGridLinks, before);
  u->vPos = {35, 15, 0};
  vnGrid_UpdateUnit(grid_, u);
  EXPECT_EQ(Cells(grid_, u), (CellList{{3, 1}}));
  EXPECT_EQ(FreeLinks(), 399);
  EXPECT_TRUE(Query(15, 15, 1).empty());
  EXPECT_EQ(Query(35, 15, 1).size(), 1u);
}

TEST_F(GridTest, AUnitInFourCellsIsHandedOverOnce) {
  VNUNIT* u = Unit(10, 10, 1);
  EXPECT_EQ(Query(10, 10, 15), std::vector<VNUNIT*>{u});
  // Each query restamps, so the next one finds it again.
  EXPECT_EQ(Query(10, 10, 15), std::vector<VNUNIT*>{u});
  EXPECT_EQ(u->dwGridStamp, grid_->dwStamp);
}

TEST_F(GridTest, AStopEndsOnlyTheCurrentCell) {
  // a and b share cell (1, 1); c sits in cell (2, 1), visited after it.
  VNUNIT* a = Unit(15, 15, 1);
  VNUNIT* b = Unit(16, 16, 1);
  VNUNIT* c = Unit(25, 15, 1);
  EXPECT_EQ(Query(20, 15, 4, a), (std::vector<VNUNIT*>{a, c}));
  EXPECT_EQ(Query(20, 15, 4, b), (std::vector<VNUNIT*>{a, b, c}));
}

TEST_F(GridTest, QueriesVisitRowsThenColumnsAndCellsInLinkOrder) {
  VNUNIT* lowerRight = Unit(25, 5, 1);
  VNUNIT* upperLeft = Unit(5, 25, 1);
  VNUNIT* lowerLeftFirst = Unit(5, 5, 1);
  VNUNIT* lowerLeftSecond = Unit(6, 6, 1);
  EXPECT_EQ(Query(15, 15, 14),
            (std::vector<VNUNIT*>{lowerLeftFirst, lowerLeftSecond, lowerRight, upperLeft}));
}

TEST_F(GridTest, MasksChooseTheUnits) {
  VNUNIT* plain = Unit(15, 15, 1, 0x1);
  VNUNIT* both = Unit(15, 15, 1, 0x3);
  Unit(15, 15, 1, 0x4);  // shares no bit with the include mask
  EXPECT_EQ(Query(15, 15, 1, nullptr, 0x3, 0), (std::vector<VNUNIT*>{plain, both}));
  EXPECT_EQ(Query(15, 15, 1, nullptr, 0x3, 0x2), std::vector<VNUNIT*>{plain});
  EXPECT_TRUE(Query(15, 15, 1, nullptr, 0, 0).empty());
}

TEST_F(GridTest, TheStampWrapsToOne) {
  VNUNIT* u = Unit(15, 15, 1);
  grid_->dwStamp = std::numeric_limits<uint32_t>::max() - 1;
  EXPECT_EQ(Query(15, 15, 1).size(), 1u);
  EXPECT_EQ(u->dwGridStamp, std::numeric_limits<uint32_t>::max());
  EXPECT_EQ(Query(15, 15, 1).size(), 1u);
  EXPECT_EQ(grid_->dwStamp, 1u);
  EXPECT_EQ(u->dwGridStamp, 1u);
}

TEST_F(GridTest, WithoutAManagerTheWrapClearsNoStamps) {
  VNUNIT* u = Unit(15, 15, 1);
  u->dwGridStamp = 1;
  grid_->dwStamp = std::numeric_limits<uint32_t>::max();
  EXPECT_TRUE(Query(15, 15, 1).empty());
  EXPECT_EQ(grid_->dwStamp, 1u);
  EXPECT_EQ(Query(15, 15, 1).size(), 1u);
}

TEST_F(GridTest, AnExhaustedPoolLeavesTheUnitOutOfTheCellsWithoutLinks) {
  vnGrid_Destroy(grid_);
  grid_ = Make(100, 100, 3);
  VNUNIT* u = Unit(10, 10, 1);  // wants four cells, rows first: (0,0) (1,0) (0,1) get links
  EXPECT_EQ(Cells(grid_, u), (CellList{{0, 0}, {0, 1}, {1, 0}}));
  EXPECT_EQ(FreeLinks(), 0);
  EXPECT_TRUE(Query(15, 15, 1).empty());
  EXPECT_EQ(Query(5, 5, 1).size(), 1u);
  VNUNIT* other = Unit(55, 55, 1);
  EXPECT_EQ(other->pGridLinks, nullptr);
  EXPECT_TRUE(Query(55, 55, 1).empty());
  vnGrid_UnlinkUnit(grid_, u);
  EXPECT_EQ(FreeLinks(), 3);
  EXPECT_EQ(u->pGridLinks, nullptr);
}

TEST_F(GridTest, AnUnlinkedUnitIsLinkedAgainWhereItStands) {
  VNUNIT* u = Unit(15, 15, 1);
  vnGrid_UnlinkUnit(grid_, u);
  EXPECT_TRUE(Query(15, 15, 1).empty());
  vnGrid_UpdateUnit(grid_, u);
  EXPECT_EQ(Query(15, 15, 1).size(), 1u);
}

TEST_F(GridTest, PairsAreTheOtherUnitsOfTheUnitsCells) {
  VNUNIT* self = Unit(10, 10, 1);
  self->dwIncludeMask = kFound;
  VNUNIT* near1 = Unit(12, 12, 1);       // cell (1, 1) only
  VNUNIT* near2 = Unit(10, 10, 0.5f);    // all four cells: handed over once
  VNUNIT* excluded = Unit(8, 8, 1, kFound | 0x8);
  excluded->dwExcludeMask = 0x8;         // its own exclude mask hides it
  Unit(35, 35, 1);                       // no shared cell
  Visit v;
  vnGrid_QueryPairs(&Record, &v, grid_, self);
  std::sort(v.found.begin(), v.found.end());
  std::vector<VNUNIT*> want{near1, near2};
  std::sort(want.begin(), want.end());
  EXPECT_EQ(v.found, want);
}

TEST_F(GridTest, PairsOfAnUnlinkedUnitAreARadiusQuery) {
  VNUNIT* self = Unit(15, 15, 1);
  vnGrid_UnlinkUnit(grid_, self);
  self->dwIncludeMask = kFound;
  self->dwExcludeMask = 0x8;
  VNUNIT* near1 = Unit(16, 16, 1);
  Unit(16, 16, 1, kFound | 0x8);
  struct Seen {
    void* data = nullptr;
    std::vector<VNUNIT*> units;
  } seen;
  vnGrid_QueryPairs(
      [](void* data, VNUNIT* unit, void* user) -> int32_t {
        auto* s = static_cast<Seen*>(user);
        s->data = data;
        s->units.push_back(unit);
        return 1;
      },
      &seen, grid_, self);
  EXPECT_EQ(seen.units, std::vector<VNUNIT*>{near1});
  EXPECT_EQ(seen.data, self);
}

TEST_F(GridTest, DestroyReturnsEveryUnitsLinks) {
  VNUNIT* a = Unit(10, 10, 1);
  VNUNIT* b = Unit(50, 50, 3);
  vnGrid_Destroy(grid_);
  grid_ = nullptr;
  EXPECT_EQ(a->pGridLinks, nullptr);
  EXPECT_EQ(b->pGridLinks, nullptr);
  SGE_MEMSTATS stats;
  SGE_GetMemBlockStats(&stats, block_);
  EXPECT_EQ(stats.dwUsedChunks, 0u);
}

TEST_F(GridTest, CreateFailsWholeWhenMemoryIsShort) {
  std::vector<uint8_t> small(4096);
  SGE_MEMBLOCK* tiny = SGE_FormatMemBlock(small.data(), 4096, "Tiny");
  const SPW_VECTOR lo{0, 0, 0}, hi{1000, 1000, 10}, cell{kCell, kCell, kCell};
  EXPECT_EQ(vnGrid_Create(tiny, &lo, &hi, &cell, 8), nullptr);
  SGE_MEMSTATS stats;
  SGE_GetMemBlockStats(&stats, tiny);
  EXPECT_EQ(stats.dwUsedChunks, 0u);
  const SPW_VECTOR zero{0, 0, 0};
  EXPECT_EQ(vnGrid_Create(block_, &lo, &hi, &zero, 8), nullptr);
}

TEST_F(GridTest, CellIndexTruncatesTowardsZero) {
  EXPECT_EQ(vnGrid_CellIndex(1.9f), 1);
  EXPECT_EQ(vnGrid_CellIndex(-0.9f), 0);
  EXPECT_EQ(vnGrid_CellIndex(-1.5f), -1);
}

}  // namespace

namespace {

// The manager's own grid: on wrap-around every unit of the players' lists gets its stamp cleared.
TEST(ManagedGrid, TheStampWrapClearsEveryUnitsStamp) {
  constexpr int32_t kSoldier = VN_UNIT_TYPE_TERRAN_ZR_0;
  vnworld::TestWorld world;
  world.WriteAttrs({vnworld::Row(kSoldier, VNUNIT_F_OBSERVABLE)});
  world.RegisterRecorder(VNTT_TERRAN_INFANTRY);
  ASSERT_TRUE(world.Start());
  VNGRID* grid = world.state()->pGrid;
  ASSERT_NE(grid, nullptr);
  VNUNIT* u = world.Create(kSoldier, world.Human(), {15, 15, 0});
  ASSERT_NE(u, nullptr);
  world.Place(u, {15, 15, 0});
  u->dwGridStamp = 1;  // as if found by the last query of the previous round
  grid->dwStamp = std::numeric_limits<uint32_t>::max();
  int32_t found = 0;
  const SPW_VECTOR p{15, 15, 0};
  vnGrid_QueryRadius(
      [](void*, VNUNIT*, void* user) -> int32_t {
        ++*static_cast<int32_t*>(user);
        return 1;
      },
      &found, grid, nullptr, &p, 1, VNUNIT_F_OBSERVABLE, 0);
  EXPECT_EQ(grid->dwStamp, 1u);
  EXPECT_EQ(found, 1);
}

}  // namespace
