// The unit manager's frame pass for 1,000 units on a 1,000 m square map: each unit sights the
// others within 30 m through the spatial grid, gets its update and reports a new position
// (re-bucketed in the grid). The goal: the pass against a plain loop doing the same sighting,
// stepping and re-bucketing over arrays of the same units in a plain grid of the same cells.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/goal.h"
#include "bench/unitworld.h"
#include "engine/kernel/kernel.h"
#include "engine/scene/scene.h"
#include "engine/terrain/terrain.h"
#include "platform/random.h"
#include "platform/trace.h"
#include "tools/writers/unitattr_writer.h"
#include "world/unitman/unitman.h"

namespace {

constexpr int32_t kUnits = 1000;
constexpr int32_t kFrames = 50;
constexpr int32_t kPatches = 25;        // of 4 cells of 10 m: a 1,000 m square
constexpr float kCellSize = 10.0f;
constexpr float kMapSide = kPatches * 4 * kCellSize;
constexpr float kSight = 30.0f;
constexpr float kStep = 0.05f;          // metres a frame
constexpr int32_t kType = VN_UNIT_TYPE_TERRAN_ZR_0;
constexpr int32_t kClass = VNTT_TERRAN_INFANTRY;
constexpr uint32_t kFlags = VNUNIT_F_OBSERVER | VNUNIT_F_OBSERVABLE | VNUNIT_F_UPDATE | VNUNIT_F_POSITION;
constexpr double kTarget = 7.5;  // manager over plain (about 6)

float RandomCoord() { return static_cast<float>(PLAT_Rand()) * (kMapSide - 20.0f) / PLAT_RAND_MAX + 10.0f; }

struct World {
  std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("vn_unitman_bench_" + std::to_string(getpid()));
  std::vector<uint8_t> memory;
  SPW_SCENE* scene = nullptr;
  SGE_TASK* manager = nullptr;
  std::vector<SPW_VECTOR> starts;

  World() {
    PLAT_SetTraceSink(vnBENCH_Silent, nullptr);
    // The manager reads "units/" from the working folder.
    std::filesystem::create_directories(dir);
    const std::filesystem::path home = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    VNWRITE_UNITATTR row;
    row.type = kType;
    row.flags = kFlags;
    row.floats[VN_ATTR_RADIUS - 11] = 0.5f;
    row.floats[VN_ATTR_RANGE - 11] = kSight;
    if (!vnWRITE_UnitAttrs(dir.string(), {row})) std::abort();
    g_vnBenchWalkLane = {kStep, 10.0f, kMapSide - 10.0f};
    if (SGE_InitMemoryAndKernel(0) != 1 || SPW_CreateEngineBlocks() != 1 || !vnUNITMAN_Register() ||
        !vnBENCH_RegisterWalkers(kClass))
      std::abort();
    MakeTerrain();
    SGE_MEMBLOCK* block = vnBENCH_MissionBlock(&memory, kMapSide);
    if (!block || !(manager = vnBENCH_StartUnitManager(block, scene))) std::abort();
    for (int32_t i = 0; i < kUnits; ++i) {
      VNUNIT_CREATE c{};
      c.nType = kType;
      c.dwPlayer = (i & 1) ? vnUNITMAN_GetComputerPlayerId() : vnUNITMAN_GetHumanPlayer()->dwId;
      c.vPos = {RandomCoord(), RandomCoord(), 0.0f};
      c.nBinding = 1;
      VNUNIT* u = vnUNITMAN_CreateUnit(&c, nullptr);
      if (!u) std::abort();
      vnUNITMAN_SetUnitPosition(manager, u, &c.vPos);
      starts.push_back(c.vPos);
    }
    std::filesystem::current_path(home);
    std::filesystem::remove_all(dir);
    PLAT_SetTraceSink(nullptr, nullptr);
  }

  void MakeTerrain() {
    const int32_t verts = kPatches * 4 + 1;
    std::vector<int32_t> heights(static_cast<size_t>(verts * verts), 0);
    std::vector<uint32_t> surfaces(static_cast<size_t>(kPatches * kPatches), 0);
    SPW_TERRAINHEADER header{};
    header.nCellShift = static_cast<int32_t>(SPW_TERRAIN_PATCH_SHIFT);
    header.nPatchesX = header.nPatchesY = kPatches;
    header.nCellSize = static_cast<int32_t>(kCellSize / SPW_TERRAIN_FILE_SCALE);
    header.pHeights = heights.data();
    header.dwNumHeights = static_cast<uint32_t>(heights.size());
    header.pSurfaces = surfaces.data();
    header.dwNumSurfaces = static_cast<uint32_t>(surfaces.size());
    scene = SPW_CreateScene(0, 1.0f, 1, 0);
    if (!scene || !(scene->pTerrain = SPW_InitTerrain(&header, nullptr, "bench", nullptr, 0, 0, 0)))
      std::abort();
  }

  void Frames(int32_t n) { vnBENCH_RunFrames(n); }
};

// The same pass written plainly: units in an array, each cell a list threaded through the
// units, sightings into one shared array.
struct Plain {
  struct Unit {
    SPW_VECTOR pos;
    float step;
    uint32_t player, seenBy;
    int32_t cell, next, prev;
    const Unit** sighted;
    int32_t nSighted;
  };
  static constexpr float kRadius = 0.5f;
  static constexpr int32_t kSide = static_cast<int32_t>(kMapSide / VNUNITMAN_GRID_CELL) + 1;
  std::vector<Unit> units;
  std::vector<int32_t> heads = std::vector<int32_t>(kSide * kSide, -1);
  std::vector<const Unit*> sightings = std::vector<const Unit*>(kUnits * VNUNITMAN_SIGHT_PER_UNIT);

  explicit Plain(const std::vector<SPW_VECTOR>& starts) {
    for (size_t i = 0; i < starts.size(); ++i) {
      units.push_back({starts[i], kStep, i & 1 ? 2u : 1u, 0, -1, -1, -1, nullptr, 0});
      Link(static_cast<int32_t>(i));
    }
  }
  static int32_t CellIndex(float v) {
    return std::clamp(static_cast<int32_t>(v / VNUNITMAN_GRID_CELL), 0, kSide - 1);
  }
  void Link(int32_t i) {
    Unit& u = units[i];
    u.cell = CellIndex(u.pos.x) + CellIndex(u.pos.y) * kSide;
    u.prev = -1;
    u.next = heads[u.cell];
    if (u.next >= 0) units[u.next].prev = i;
    heads[u.cell] = i;
  }
  void Unlink(int32_t i) {
    Unit& u = units[i];
    (u.prev >= 0 ? units[u.prev].next : heads[u.cell]) = u.next;
    if (u.next >= 0) units[u.next].prev = u.prev;
  }
  void Sight(Unit& o, int32_t& used) {
    const float reach = kSight + kRadius;
    const int32_t col0 = CellIndex(o.pos.x - reach), col1 = CellIndex(o.pos.x + reach);
    const int32_t row0 = CellIndex(o.pos.y - reach), row1 = CellIndex(o.pos.y + reach);
    o.sighted = &sightings[used];
    for (int32_t row = row0; row <= row1; ++row)
      for (int32_t col = col0; col <= col1; ++col)
        for (int32_t j = heads[col + row * kSide]; j >= 0; j = units[j].next) {
          Unit& seen = units[j];
          const float dx = seen.pos.x - o.pos.x, dy = seen.pos.y - o.pos.y, dz = seen.pos.z - o.pos.z;
          if (&seen == &o || dx * dx + dy * dy + dz * dz >= reach * reach) continue;
          seen.seenBy |= o.player;
          if (o.nSighted < VNUNITMAN_SIGHT_PER_UNIT) o.sighted[o.nSighted++] = &seen;
        }
    used += o.nSighted;
  }
  void Frame() {
    for (Unit& u : units) {
      u.seenBy = 0;
      u.nSighted = 0;
    }
    int32_t used = 0;
    for (Unit& u : units) Sight(u, used);
    for (int32_t i = 0; i < static_cast<int32_t>(units.size()); ++i) {
      Unit& u = units[i];
      u.pos.x += u.step;
      if (u.pos.x < 10.0f || u.pos.x > kMapSide - 10.0f) u.step = -u.step;
      if (CellIndex(u.pos.x) + CellIndex(u.pos.y) * kSide == u.cell) continue;
      Unlink(i);
      Link(i);
    }
    benchmark::DoNotOptimize(units.data());
  }
};

World& TheWorld() {
  static World world;
  return world;
}

void BM_UnitmanFrame(benchmark::State& state) {
  World& w = TheWorld();
  for (auto _ : state) w.Frames(1);
  state.SetItemsProcessed(state.iterations() * kUnits);
}
BENCHMARK(BM_UnitmanFrame);

void BM_PlainFrame(benchmark::State& state) {
  Plain plain(TheWorld().starts);
  for (auto _ : state) plain.Frame();
  state.SetItemsProcessed(state.iterations() * kUnits);
}
BENCHMARK(BM_PlainFrame);

void PrintGoals() {
  World& w = TheWorld();
  Plain plain(w.starts);
  const double ratio = vnBENCH_Compare(
      "50 frames of 1,000 units", [&w] { w.Frames(kFrames); }, "the same frames, plain loop",
      [&plain] {
        for (int32_t i = 0; i < kFrames; ++i) plain.Frame();
      },
      15);
  vnBENCH_GoalAtMost("unitman_frame_vs_plain_loop", ratio, kTarget);
}

}  // namespace

int main(int argc, char** argv) { return vnBENCH_Main(argc, argv, PrintGoals); }
