// Animating 1,000 walking figures a frame: the engine's per-object step and node evaluation
// against the same key interpolation written plainly over arrays. The goal is the engine's time
// over the plain loop's, measured in the same run: what the engine adds to the interpolation.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/goal.h"
#include "engine/dobject/dobject.h"
#include "engine/memory/memblock.h"
#include "engine/object/object.h"
#include "engine/scene/scene.h"
#include "platform/files.h"
#include "tools/models/models.h"
#include "tools/writers/pow_writer.h"

namespace {

constexpr int kObjects = 1000;
constexpr float kFrameTicks = 160.0f;  // the default frame time of 1/30 second
constexpr double kTarget = 5.0;        // engine over plain (about 4)

struct World {
  SPW_SCENE* scene = nullptr;
  int32_t slot = -1;
  std::vector<SPW_DOBJECT*> objects;

  World() {
    SGE_InitMemory(0);
    SPW_CreateEngineBlocks();
    SPW_ResetObjectTypes();
    char dir[] = "/tmp/vn_dobject_benchXXXXXX";
    const std::string path = std::string(mkdtemp(dir)) + "/Figure.pow";
    vnWRITE_POW(path, vnMODELS_Figure());
    SPW_LoadObjectFile(path.c_str(), nullptr, &slot, 1.0f, 0);
    PLAT_RemoveFile(path.c_str());
    std::filesystem::remove(dir);
    scene = SPW_CreateScene(0, 1.0f, 1, 0);
    const SPW_TRANSFORM t = {{0, 0, 0}, {0, 0, 0, 1}, 1};
    for (int i = 0; i < kObjects; ++i) {
      SPW_DOBJECT* o = SPW_CreateDynamicObject(scene, slot, nullptr, 0, &t, 0);
      SPW_SetAnimationTime(o, 0, static_cast<float>(i * 37 % 4800));
      objects.push_back(o);
    }
  }
  ~World() {
    SPW_DestroyScene(scene);
    SPW_ReleaseObjectTypes();
    SPW_ReleaseEngineBlocks();
    SGE_ShutdownMemory();
  }
  // One frame: every object steps its slots and evaluates every node.
  void Frame() {
    const uint32_t nodes = SPW_GetObjectType(slot)->dwNumNodes;
    for (SPW_DOBJECT* o : objects) {
      SPW_AnimateObjects(o);
      for (uint32_t n = 1; n < nodes; ++n) o->pNodes[n].pfnProc(o, &o->pNodes[n], nullptr, nullptr);
      benchmark::DoNotOptimize(o->pNodes[nodes - 1].t);
    }
  }
};

// The same keys in plain arrays: per object a time and per node a cursor and a pose.
struct Plain {
  struct Key {
    float pos[3], rot[4], time, invSpan;
  };
  std::vector<std::vector<Key>> channels;  // by node
  std::vector<float> times;
  std::vector<uint32_t> cursors;
  std::vector<SPW_TRANSFORM> poses;
  float length = 4800.0f;

  explicit Plain(const SPW_DOBJTYPE* type) {
    const SPW_ANIMATION& anim = type->pAnims[0];
    length = static_cast<float>(anim.dwLength);
    for (uint32_t n = 0; n < type->dwNumNodes; ++n) {
      std::vector<Key> keys;
      for (uint32_t k = 0; k < anim.pChannels[n].dwNumKeys; ++k) {
        const SPW_POWKEY& p = anim.pChannels[n].pPowKeys[k];
        keys.push_back({{p.vPos.x, p.vPos.y, p.vPos.z}, {p.qRot.x, p.qRot.y, p.qRot.z, p.qRot.w},
                        p.fTime, p.fInvSpan});
      }
      channels.push_back(keys);
    }
    for (int i = 0; i < kObjects; ++i) times.push_back(static_cast<float>(i * 37 % 4800));
    cursors.assign(static_cast<size_t>(kObjects) * channels.size(), 0);
    poses.assign(static_cast<size_t>(kObjects) * channels.size(), SPW_TRANSFORM{});
  }
  void Frame() {
    const size_t nodes = channels.size();
    for (size_t o = 0; o < times.size(); ++o) {
      float t = times[o] + kFrameTicks;
      while (t >= length) t -= length;
      times[o] = t;
      for (size_t n = 1; n < nodes; ++n) {
        const std::vector<Key>& keys = channels[n];
        if (keys.empty()) continue;
        uint32_t& c = cursors[o * nodes + n];
        if (t < keys[c].time) c = 0;
        while (c + 1 < keys.size() && t >= keys[c + 1].time) ++c;
        const Key& a = keys[c];
        const Key& b = keys[c + 1 < keys.size() ? c + 1 : c];
        const float u = std::fmin(1.0f, (t - a.time) * a.invSpan);
        SPW_TRANSFORM& out = poses[o * nodes + n];
        out.vPos = {a.pos[0] + (b.pos[0] - a.pos[0]) * u, a.pos[1] + (b.pos[1] - a.pos[1]) * u,
                    a.pos[2] + (b.pos[2] - a.pos[2]) * u};
        const float sign = a.rot[0] * b.rot[0] + a.rot[1] * b.rot[1] + a.rot[2] * b.rot[2] +
                                   a.rot[3] * b.rot[3] < 0 ? -1.0f : 1.0f;
        float q[4];
        for (int i = 0; i < 4; ++i) q[i] = a.rot[i] + (sign * b.rot[i] - a.rot[i]) * u;
        const float inv = 1.0f / std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
        out.qRot = {q[0] * inv, q[1] * inv, q[2] * inv, q[3] * inv};
        out.fScale = 1.0f;
      }
      benchmark::DoNotOptimize(poses[o * nodes + nodes - 1]);
    }
  }
};

World* g_world = nullptr;

void BM_AnimateObjects(benchmark::State& state) {
  for (auto _ : state) g_world->Frame();
  state.SetItemsProcessed(state.iterations() * kObjects);
}
BENCHMARK(BM_AnimateObjects);

void BM_PlainInterpolation(benchmark::State& state) {
  Plain plain(SPW_GetObjectType(g_world->slot));
  for (auto _ : state) plain.Frame();
  state.SetItemsProcessed(state.iterations() * kObjects);
}
BENCHMARK(BM_PlainInterpolation);

void PrintGoals() {
  Plain plain(SPW_GetObjectType(g_world->slot));
  const double ratio = vnBENCH_Compare(
      "engine, 1000 figures a frame", [&] { g_world->Frame(); }, "plain keys, 1000 figures a frame",
      [&] { plain.Frame(); }, 21);
  vnBENCH_GoalAtMost("dobject_animate_vs_plain_keys", ratio, kTarget);
}

}  // namespace

int main(int argc, char** argv) {
  World world;
  g_world = &world;
  return vnBENCH_Main(argc, argv, PrintGoals);
}
