// Ray queries through the collision tree against testing every face of every item of the same
// scene: 80 rocks of 128 faces (10,240 faces). The goal is that the tree answers at least 50
// times as many rays a second: it answers 65 to 90 times as many on a busy machine, and a tree
// that stops pruning well falls far below.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/goal.h"
#include "engine/biff/biff.h"
#include "engine/collide/collide.h"
#include "engine/collide/internal.h"
#include "engine/display/display.h"
#include "engine/feature/feature.h"
#include "engine/memory/memblock.h"
#include "engine/object/object.h"
#include "engine/scene/scene.h"
#include "platform/random.h"
#include "tools/models/features.h"
#include "tools/writers/feature_writer.h"

namespace {

constexpr int kRocks = 80;
constexpr int kRays = 2000;
constexpr float kField = 40.0f;  // engine units across

int32_t TextureId(SPW_DISPLAY*, const char*, int32_t* out, int32_t) {
  *out = 1;
  return SPPD_OK;
}

struct Ray {
  SPW_VECTOR s, d;
};

float Uniform(float lo, float hi) {
  return lo + (hi - lo) * static_cast<float>(PLAT_Rand()) / 32767.0f;
}

// The engine, a scene of rocks loaded from a written terrain file, its tree and the rays.
struct World {
  SPPD_DRIVERTABLE table{};
  SGE_DATAREF ref{};
  SPW_DISPLAY display{};
  SPW_SCENE scene{};
  std::vector<SPW_FEATUREINST*> items;
  std::vector<Ray> rays;
  bool ok = false;

  World() {
    if (!SGE_InitMemory(0) || !SPW_CreateEngineBlocks() || !SPW_ResetObjectTypes() ||
        !SPW_ResetFeatureObjects())
      return;
    table.SPPD_TextureGetID = TextureId;
    ref = {1, sizeof table, &table};
    display.pDriver = &ref;
    SGE_ListInit(SPW_SceneFeatureList(&scene));
    vnFEATURE_SET set;
    vnFEATURE_GROUP g{vnMODELS_FeatureRock("Rock", 150, 7), {}};
    PLAT_SRand(17);
    for (int i = 0; i < kRocks; ++i) {
      vnFEATURE_INSTANCE inst;
      inst.name = "rock" + std::to_string(i);
      vnFEATURE_Place(inst, Uniform(0, kField) * 100, Uniform(0, kField) * 100, 0,
                      Uniform(0, 6.28f), Uniform(0.5f, 2.0f));
      g.instances.push_back(inst);
    }
    set.groups.push_back(g);
    const std::string path = "/tmp/vn_collide_bench.ter";
    vnBIFF_FILE file;
    vnFEATURE_AppendTo(file, set);
    if (!vnWRITE_BIFF(path, file)) return;
    void* heap = nullptr;
    SPW_BIFF_FILE* reader = SPW_BIFF_OpenFile(path.c_str(), &heap, SPW_BIFF_LOD_HEAP);
    if (!reader) return;
    const int32_t loaded = SPW_LoadFeatureObject(reader, &scene, &display);
    SPW_BIFF_CloseFile(reader, heap);
    std::remove(path.c_str());
    if (!loaded) return;
    auto* cls = SGE_ListFirstRecord<SPW_FEATUREOBJ>(SPW_SceneFeatureList(&scene));
    cls->dwAttributes = 1;
    for (SPW_FEATUREINST* r : SGE_ListRecords<SPW_FEATUREINST>(&cls->instances))
      items.push_back(r);
    if (SPW_BuildSceneTree(&scene) != 1) return;
    // Rays from above the field down at a slant, as line-of-sight and ground tests cast them.
    for (int i = 0; i < kRays; ++i) {
      Ray r{{Uniform(0, kField), Uniform(0, kField), 20},
            {Uniform(-0.5f, 0.5f), Uniform(-0.5f, 0.5f), -1}};
      SPW_VecNormalise(&r.d);
      rays.push_back(r);
    }
    ok = true;
  }
  ~World() {
    SPW_FeatureObjects = nullptr;
    SPW_ReleaseObjectTypes();
    SPW_ReleaseEngineBlocks();
    SGE_ShutdownMemory();
  }
};

World& TheWorld() {
  static World w;
  return w;
}

int TreeRays(World& w) {
  int hits = 0;
  for (const Ray& r : w.rays) {
    float best = 1e6f;
    SPW_VECTOR hit;
    hits += SPW_CollideQuery(&w.scene, &r.s, &r.d, 100, &hit, &best) ? 1 : 0;
  }
  return hits;
}

// Every face of every item, each item's ray taken into its space once.
int BruteRays(World& w) {
  int hits = 0;
  for (const Ray& r : w.rays) {
    float best = 1e6f;
    for (SPW_FEATUREINST* item : w.items) {
      SPW_VECTOR s, d;
      SPW_MatTransformPoint(&item->mWorldToObject, &r.s, &s);
      SPW_MatRotateVector(&item->mWorldToObject, &r.d, &d);
      const SPW_FEATUREMESH& m = item->pClass->pMeshes[0];
      for (uint32_t f = 0; f < m.dwNumFaces; ++f) {
        const uint32_t* i = m.pFaces[f].adwIndex;
        float t;
        if (SPW_RayTriangle(s, d, m.pVertices[i[0]].vPos, m.pVertices[i[1]].vPos,
                            m.pVertices[i[2]].vPos, &t) && t * t < best)
          best = t * t;
      }
    }
    hits += best < 1e6f ? 1 : 0;
  }
  return hits;
}

void BM_TreeRays(benchmark::State& state) {
  World& w = TheWorld();
  if (!w.ok) return state.SkipWithError("no scene");
  for (auto _ : state) benchmark::DoNotOptimize(TreeRays(w));
  state.SetItemsProcessed(state.iterations() * kRays);
}
BENCHMARK(BM_TreeRays);

void BM_BruteRays(benchmark::State& state) {
  World& w = TheWorld();
  if (!w.ok) return state.SkipWithError("no scene");
  for (auto _ : state) benchmark::DoNotOptimize(BruteRays(w));
  state.SetItemsProcessed(state.iterations() * kRays);
}
BENCHMARK(BM_BruteRays);

void PrintGoals() {
  World& w = TheWorld();
  if (!w.ok) {
    std::printf("goal collide_rays_vs_every_face: no scene (target >= 50.00) missed\n");
    return;
  }
  std::printf("faces %u, rays %d, tree hits %d, every-face hits %d\n",
              w.items[0]->pClass->pMeshes[0].dwNumFaces * static_cast<uint32_t>(w.items.size()),
              kRays, TreeRays(w), BruteRays(w));
  const double ratio = vnBENCH_Compare("every face", [&] { benchmark::DoNotOptimize(BruteRays(w)); },
                                       "collision tree", [&] { benchmark::DoNotOptimize(TreeRays(w)); }, 5);
  vnBENCH_GoalAtLeast("collide_rays_vs_every_face", ratio, 50.0);
}

}  // namespace

int main(int argc, char** argv) { return vnBENCH_Main(argc, argv, PrintGoals); }
