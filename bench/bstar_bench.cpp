// Path search over a generated network of 10,000 regions (a 100 x 100 grid whose gates weigh
// one to three times the distance between the regions, so that the search spreads). The goal:
// at least 6 million regions expanded per second, printed as the measured rate over that rate.
// The expanded regions are counted from the search stamps the searches leave, apart from the
// timed runs.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/goal.h"
#include "engine/memory/memblock.h"
#include "platform/files.h"
#include "platform/random.h"
#include "tools/writers/bstar_writer.h"
#include "world/bstar/bstar.h"
#include "world/bstar/search.h"

namespace {

constexpr int32_t kSide = 100;  // 10,000 regions
constexpr float kCell = 10.0f;
constexpr int32_t kSearches = 200;
constexpr uint32_t kMissionSize = 64u << 20;
constexpr uint32_t kNetworkSize = 48u << 20;
constexpr double kTargetRate = 6e6;  // regions expanded per second

struct World {
  void* missionMem = nullptr;
  SGE_MEMBLOCK* mission = nullptr;
  BSTAR_Network* network = nullptr;
  BSTAR_SearchSpace* space = nullptr;
  std::vector<BSTAR_Node*> regions;
  std::vector<std::pair<BSTAR_Node*, BSTAR_Node*>> trips;

  World() {
    if (!SGE_InitMemory(0)) std::abort();
    missionMem = std::malloc(kMissionSize);
    mission = SGE_FormatMemBlock(missionMem, kMissionSize, "mission");
    const std::string root = (std::filesystem::temp_directory_path() /
                              ("vn_bstar_bench_" + std::to_string(getpid()))).string();
    PLAT_MakeDirectory(root.c_str());
    const std::string cwd = PLAT_GetWorkingDir();
    if (!vnWRITE_BstarNetwork(root, "grid", vnWRITE_BstarGrid(kSide, kSide, kCell, 0.0f)) ||
        !PLAT_SetWorkingDir(root.c_str()))
      std::abort();
    network = BSTAR_NetworkConstruct(mission, kNetworkSize, nullptr, "grid");
    PLAT_SetWorkingDir(cwd.c_str());
    std::filesystem::remove_all(root);
    if (!network) std::abort();
    // Records for every region: a search may visit them all.
    space = BSTAR_CreateSearchSpace(network->pBlock, network, kSide * kSide + 100, 2000, 2000, 0);
    if (!space) std::abort();
    PLAT_SRand(1234);
    BSTAR_ForEachLink(network, [](BSTAR_Network*, BSTAR_Link* l, void*) {
      if (BSTAR_NodeKind(l->pX) != BSTAR_KIND_REGION) return 1;
      l->fWeightX = kCell * (1.0f + 2.0f * PLAT_Rand() / PLAT_RAND_MAX);
      l->fWeightY = kCell * (1.0f + 2.0f * PLAT_Rand() / PLAT_RAND_MAX);
      return 1;
    }, nullptr);
    for (int32_t id = 0; id < kSide * kSide; ++id)
      regions.push_back(BSTAR_FindNodeById(network, static_cast<uint32_t>(id)));
    for (int32_t i = 0; i < kSearches; ++i) {
      const int32_t a = (PLAT_Rand() * (PLAT_RAND_MAX + 1) + PLAT_Rand()) % (kSide * kSide);
      const int32_t b = (PLAT_Rand() * (PLAT_RAND_MAX + 1) + PLAT_Rand()) % (kSide * kSide);
      trips.emplace_back(regions[a], regions[b]);
    }
  }
  ~World() {
    BSTAR_NetworkDestroy(network);
    SGE_ReleaseMemBlock(mission);
    std::free(missionMem);
    SGE_ShutdownMemory();
  }

  // One search; 1 when found.
  int32_t Search(BSTAR_Node* from, BSTAR_Node* to) {
    SGE_DLLNODE path;
    SGE_ListInit(&path);
    const int32_t found = BSTAR_FindPath(space, from, to, &path, 1, nullptr, nullptr, 0.0f);
    if (found) BSTAR_FreePath(space, &path);
    return found;
  }

  // Regions expanded by one search: those it closed (stamped one below its open stamp), and
  // the one whose expansion reached the goal.
  int64_t Expanded(BSTAR_Node* from, BSTAR_Node* to) {
    const int32_t found = Search(from, to);
    const uint32_t closed = space->dwLowStamp - 2;
    int64_t n = found && from != to ? 1 : 0;
    for (BSTAR_Node* r : regions) n += r->dwSearchStamp == closed;
    return n;
  }
};

World& TheWorld() {
  static World world;
  return world;
}

void BM_FindPath(benchmark::State& state) {
  World& w = TheWorld();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(w.Search(w.trips[i].first, w.trips[i].second));
    i = (i + 1) % w.trips.size();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FindPath);

void PrintGoals() {
  World& w = TheWorld();
  int64_t expanded = 0;
  int32_t found = 0;
  for (const auto& [from, to] : w.trips) expanded += w.Expanded(from, to);
  auto all = [&] {
    found = 0;
    for (const auto& [from, to] : w.trips) found += w.Search(from, to);
  };
  all();
  std::vector<double> seconds;
  for (int rep = 0; rep < 15; ++rep) seconds.push_back(vnBENCH_Seconds(all));
  const vnBENCH_TIMES t = vnBENCH_Summary(seconds);
  vnBENCH_PrintTimes("200 searches over 10,000 regions", t);
  std::printf("regions expanded by the 200 searches: %lld (%d paths found)\n",
              static_cast<long long>(expanded), found);
  const double rate = t.min > 0 ? expanded / t.min : 0;
  std::printf("regions expanded per second: %.0f\n", rate);
  vnBENCH_GoalAtLeast("bstar_expanded_per_second_over_6M", rate / kTargetRate, 1.0);
}

}  // namespace

int main(int argc, char** argv) { return vnBENCH_Main(argc, argv, PrintGoals); }
