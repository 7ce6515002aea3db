// Area damage through the unit manager's spatial grid against a plain scan of every unit doing
// the same work, for 1,000 units spread over a 1,000 m square map and 200 blasts of radius 7 at
// random points. The goal: the grid's time at most a twentieth of the scan's (about a
// thirtieth).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/goal.h"
#include "engine/kernel/kernel.h"
#include "engine/memory/memblock.h"
#include "platform/random.h"
#include "platform/trace.h"
#include "world/combat/combat.h"
#include "world/grid/grid.h"
#include "world/unitman/unitman.h"

namespace {

constexpr int32_t kUnits = 1000;
constexpr int32_t kBlasts = 200;
constexpr float kMapSide = 1000.0f;
constexpr float kBlastRadius = 7.0f;
constexpr float kUnitRadius = 0.5f;
constexpr float kFullHealth = 1000.0f;  // no unit runs out within one round of blasts
constexpr uint32_t kGridBytes = 2u << 20;  // the grid's cells and links beside the manager's pools

float RandomCoord() { return static_cast<float>(PLAT_Rand()) * kMapSide / PLAT_RAND_MAX; }

void Silent(const char*, void*) {}

struct World {
  std::vector<uint8_t> memory;
  SGE_TASK* manager = nullptr;
  VNGRID* grid = nullptr;
  std::vector<VNUNIT> units = std::vector<VNUNIT>(kUnits);
  std::vector<VNAREA_DAMAGE> blasts = std::vector<VNAREA_DAMAGE>(kBlasts);

  World() {
    // The manager traces the content it finds missing; none matters here.
    PLAT_SetTraceSink(Silent, nullptr);
    if (SGE_InitMemoryAndKernel(0) != 1 || SPW_CreateEngineBlocks() != 1 || !vnUNITMAN_Register())
      std::abort();
    VNUNITMAN_CREATE create{VNUNITMAN_MISSION_UNITS, VNUNITMAN_MISSION_DATABLOCKS,
                            VNUNITMAN_MISSION_LINKNODES, VNUNITMAN_MISSION_PLAYERS, nullptr};
    const uint32_t bytes = vnUNITMAN_BlockBytes(&create) + kGridBytes + SGE_MEMBLOCK_OVERHEAD;
    memory.assign(bytes, 0);
    create.pBlock = SGE_FormatMemBlock(memory.data(), bytes, "BenchMission");
    manager = SGE_CreateTask(VNTT_UNITMAN, nullptr, nullptr, SGE_PtrParam(&create), 0);
    VNUNITMAN* m = SGE_TaskData<VNUNITMAN>(manager);
    if (!m) std::abort();
    // Without a mission terrain the manager has no grid: lay one over the map as it would.
    const SPW_VECTOR lo{0, 0, 0}, hi{kMapSide, kMapSide, 100};
    const SPW_VECTOR cell{VNUNITMAN_GRID_CELL, VNUNITMAN_GRID_CELL, VNUNITMAN_GRID_CELL};
    m->pGrid = grid = vnGrid_Create(m->pBlock, &lo, &hi, &cell,
                                    VNUNITMAN_GRID_LINKS_PER_UNIT * VNUNITMAN_MISSION_UNITS);
    if (!grid) std::abort();
    PLAT_SetTraceSink(nullptr, nullptr);
    PLAT_SRand(4321);
    ResetHealth();
    for (VNUNIT& u : units) {
      u.dwFlags = VNUNIT_F_OBSERVABLE;
      u.vPos = {RandomCoord(), RandomCoord(), 0};
      u.fRadius = kUnitRadius;
      vnGrid_UpdateUnit(grid, &u);
    }
    for (VNAREA_DAMAGE& b : blasts) {
      b = {};
      b.vCentre = {RandomCoord(), RandomCoord(), 0};
      b.damage.fHealth = -1.0f;
      b.damage.vDir = {0, 0, 1};
    }
  }

  void ByGrid() {
    for (const VNAREA_DAMAGE& b : blasts) vnCOMBAT_AreaDamage(&b, kBlastRadius, 1.0f);
  }

  // The same selection and damage over every unit in turn.
  void ByScan() {
    for (const VNAREA_DAMAGE& b : blasts) {
      for (VNUNIT& u : units) {
        if (!(u.dwFlags & VNCOMBAT_AREA_INCLUDE) || (u.dwFlags & VNCOMBAT_AREA_EXCLUDE)) continue;
        const float dx = u.vPos.x - b.vCentre.x, dy = u.vPos.y - b.vCentre.y,
                    dz = u.vPos.z - b.vCentre.z;
        const float d = std::sqrt(dx * dx + dy * dy + dz * dz);
        if (d > kBlastRadius) continue;
        VNDAMAGE copy = b.damage;
        if (d > 0.0f) copy.vDir = {dx / d, dy / d, 1.0f};
        const float e = 1.0f - 0.5f * d / kBlastRadius;
        copy.fHealth *= e;
        copy.fArmour *= e;
        copy.vImpulse = {copy.vDir.x * e, copy.vDir.y * e, copy.vDir.z * e};
        copy.nSourceType = -1;
        vnUNIT_ApplyDamage(&u, &copy, 0);
      }
    }
  }

  void ResetHealth() {
    for (VNUNIT& u : units) vnUNIT_SetAttrFloat(&u, VN_ATTR_HEALTH, kFullHealth);
  }
  float TotalHealth() const {
    double sum = 0;
    for (const VNUNIT& u : units) sum += vnUNIT_AttrFloat(&u, VN_ATTR_HEALTH);
    return static_cast<float>(sum);
  }
};

World& TheWorld() {
  static World w;
  return w;
}

void BM_AreaDamageGrid(benchmark::State& state) {
  World& w = TheWorld();
  for (auto _ : state) w.ByGrid();
  state.SetItemsProcessed(state.iterations() * kBlasts);
}
BENCHMARK(BM_AreaDamageGrid);

void BM_AreaDamageScan(benchmark::State& state) {
  World& w = TheWorld();
  for (auto _ : state) w.ByScan();
  state.SetItemsProcessed(state.iterations() * kBlasts);
}
BENCHMARK(BM_AreaDamageScan);

void PrintGoals() {
  World& w = TheWorld();
  // Both ways take the same health from the same units.
  w.ResetHealth();
  w.ByGrid();
  const float byGrid = kUnits * kFullHealth - w.TotalHealth();
  w.ResetHealth();
  w.ByScan();
  const float byScan = kUnits * kFullHealth - w.TotalHealth();
  std::printf("health taken by 200 blasts: grid %.3f, scan %.3f\n", byGrid, byScan);
  const double ratio = vnBENCH_Compare(
      "200 blasts through the grid", [&] { w.ByGrid(); }, "200 blasts scanning 1,000 units",
      [&] { w.ByScan(); }, 15);
  vnBENCH_GoalAtMost("combat_area_damage_grid_over_scan", ratio, 0.05);
}

}  // namespace

int main(int argc, char** argv) { return vnBENCH_Main(argc, argv, PrintGoals); }
