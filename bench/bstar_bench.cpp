// Path search over a generated network of 10,000 regions (a 100 x 100 grid whose gates weigh
// one to three times the distance between the regions, so that the search spreads) against a
// plain A* over arrays of the same regions, gates and weights, with the same heuristic and the
// same rule of taking the goal on first reaching it. The regions expanded are counted from the
// search stamps the searches leave, apart from the timed runs.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <queue>
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
constexpr double kTarget = 2.25;  // search over the plain A* (about 1.7)

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

// The same search written plainly: regions by id, gates as arrays of (region, weight), and a
// heap of (f, region) entries where an entry whose f is no longer the region's is skipped.
struct Plain {
  struct Gate {
    int32_t to;
    float weight;
  };
  std::vector<SPW_VECTOR> centres;
  std::vector<std::vector<Gate>> gates;
  std::vector<float> g, f;
  std::vector<uint32_t> seen;  // the search that reached the region
  uint32_t search = 0;
  using Entry = std::pair<float, int32_t>;
  std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;

  explicit Plain(const World& w) {
    const size_t n = w.regions.size();
    for (const BSTAR_Node* r : w.regions) centres.push_back(r->vCentre);
    gates.resize(n);
    g.assign(n, 0.0f);
    f.assign(n, 0.0f);
    seen.assign(n, 0);
    BSTAR_ForEachLink(w.network, [](BSTAR_Network*, BSTAR_Link* l, void* user) {
      if (BSTAR_NodeKind(l->pX) != BSTAR_KIND_REGION || BSTAR_NodeKind(l->pY) != BSTAR_KIND_REGION)
        return 1;
      auto* plain = static_cast<Plain*>(user);
      const auto x = static_cast<int32_t>(l->pX->dwId), y = static_cast<int32_t>(l->pY->dwId);
      plain->gates[x].push_back({y, l->fWeightX});
      plain->gates[y].push_back({x, l->fWeightY});
      return 1;
    }, this);
  }

  float Heuristic(int32_t a, int32_t b) const {
    return std::fabs(centres[a].x - centres[b].x) + std::fabs(centres[a].y - centres[b].y) +
           std::fabs(centres[a].z - centres[b].z);
  }
  float Flat(int32_t a, int32_t b) const {
    return std::sqrt((centres[a].x - centres[b].x) * (centres[a].x - centres[b].x) +
                     (centres[a].y - centres[b].y) * (centres[a].y - centres[b].y));
  }

  // 1 when found. Gates out of the start and into the goal weigh the flat distance.
  int32_t Search(int32_t from, int32_t to) {
    if (from == to) return 1;
    ++search;
    open = {};
    seen[from] = search;
    g[from] = 0.0f;
    f[from] = Heuristic(from, to);
    open.push({f[from], from});
    while (!open.empty()) {
      const auto [fr, r] = open.top();
      open.pop();
      if (fr != f[r]) continue;
      for (const Gate& gate : gates[r]) {
        const int32_t p = gate.to;
        const float e = r == from ? Flat(from, p) : p == to ? Flat(to, r) : gate.weight;
        const float gp = g[r] + e;
        if (seen[p] != search) {
          if (p == to) return 1;
          seen[p] = search;
        } else if (!(g[p] > gp)) {
          continue;
        }
        g[p] = gp;
        f[p] = gp + Heuristic(p, to);
        open.push({f[p], p});
      }
    }
    return 0;
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

void BM_PlainAStar(benchmark::State& state) {
  World& w = TheWorld();
  Plain plain(w);
  size_t i = 0;
  for (auto _ : state) {
    const auto& [from, to] = w.trips[i];
    benchmark::DoNotOptimize(plain.Search(static_cast<int32_t>(from->dwId), static_cast<int32_t>(to->dwId)));
    i = (i + 1) % w.trips.size();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PlainAStar);

void PrintGoals() {
  World& w = TheWorld();
  Plain plain(w);
  int64_t expanded = 0;
  for (const auto& [from, to] : w.trips) expanded += w.Expanded(from, to);
  int32_t found = 0, plainFound = 0;
  const double ratio = vnBENCH_Compare(
      "200 searches over 10,000 regions",
      [&] {
        found = 0;
        for (const auto& [from, to] : w.trips) found += w.Search(from, to);
      },
      "the same searches, plain A*",
      [&] {
        plainFound = 0;
        for (const auto& [from, to] : w.trips)
          plainFound += plain.Search(static_cast<int32_t>(from->dwId), static_cast<int32_t>(to->dwId));
      },
      15);
  std::printf("regions expanded by the 200 searches: %lld (%d paths found, plain %d)\n",
              static_cast<long long>(expanded), found, plainFound);
  vnBENCH_GoalAtMost("bstar_search_vs_plain_astar", found == plainFound ? ratio : 1e9, kTarget);
}

}  // namespace

int main(int argc, char** argv) { return vnBENCH_Main(argc, argv, PrintGoals); }
