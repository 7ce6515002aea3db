// Alpha: a scene of translucent quads filed into the depth-sorted buckets and drawn far to near
// to the null device, against a plain loop issuing the same device calls: the quads sorted by
// bucket and depth, then drawn in runs of one texture. The device does no work, so both sides
// time only what comes before it.
#include <algorithm>
#include <cstring>
#include <vector>

#include "bench/driver/batch_fixture.h"
#include "bench/goal.h"

namespace {

using namespace batchbench;

constexpr int kFrames = 10;
constexpr int kReps = 15;
constexpr double kTarget = 2.0;

// Four effects at their own distances, one texture each, their quads spread in depth.
float DepthOf(int quad) {
  const int effect = quad % kTextures;
  return 0.2f * static_cast<float>(effect + 1) + 0.15f * static_cast<float>(quad % 97) / 97.0f;
}

// The driver's pool holds the alpha blocks of about 3,800 quads a flush: the scene flushes its
// alpha list once halfway, as a game does between its parts.
constexpr int kPerFlush = kQuads / 2;

void AlphaFrame(Scene& s) {
  SPPD_DRIVERSTATE* st = &s.state;
  SPPD_BATCHLIST* list = st->apBatchLists[SPPD_LAYER_ALPHA];
  PLAT_GfxBeginScene(st->pGfx);
  for (int i = 0; i < kQuads; ++i) {
    SPPD_ALPHAPOLY* poly = SPPD_AlphaCarve(list, 4);
    if (!poly) continue;
    poly->dwTextureId = Scene::TextureOf(i);
    poly->fDepth = DepthOf(i);
    for (int k = 0; k < 4; ++k) poly->v[k] = s.Quad(i)[k];
    SPPD_AlphaFile(list, poly);
    if ((i + 1) % kPerFlush == 0) SPPD_AlphaFlushLists(st);
  }
  PLAT_GfxEndScene(st->pGfx);
  SPPD_BatchEndScene(st);
}

// The same job plainly: each half's quads copied with their depth, put in bucket order
// (farthest first, deeper first within a bucket, arrival order among equals), then drawn in
// runs that end at a texture change or a full run.
struct Plain {
  struct Item {
    float depth;
    uint32_t bucket;
    uint32_t texture;
    SPPD_TLVERTEX v[4];
  };
  std::vector<Item> items, sorted;
  std::vector<uint32_t> counts = std::vector<uint32_t>(SPPD_ALPHA_BUCKETS + 1);
  std::vector<PLAT_GfxVertex> run = std::vector<PLAT_GfxVertex>(4096);
  std::vector<uint16_t> indices = std::vector<uint16_t>(3 * 4096);

  void Flush(Scene& s) {
    PLAT_GfxDevice* d = s.state.pGfx;
    SPPD_BatchApplyStates(s.state.apBatchLists[SPPD_LAYER_ALPHA]);
    std::fill(counts.begin(), counts.end(), 0u);
    for (const Item& it : items) ++counts[SPPD_ALPHA_BUCKETS - 1 - it.bucket + 1];
    for (uint32_t b = 1; b <= SPPD_ALPHA_BUCKETS; ++b) counts[b] += counts[b - 1];
    sorted.resize(items.size());
    for (const Item& it : items) sorted[counts[SPPD_ALPHA_BUCKETS - 1 - it.bucket]++] = it;
    // Within a bucket, deeper first, keeping arrival order among equals.
    for (size_t i = 1; i < sorted.size(); ++i)
      for (size_t j = i; j > 0 && sorted[j - 1].bucket == sorted[j].bucket &&
                         sorted[j - 1].depth < sorted[j].depth; --j)
        std::swap(sorted[j - 1], sorted[j]);
    int64_t bound = -1;
    uint32_t vertices = 0, used = 0;
    auto draw = [&] {
      if (used)
        PLAT_GfxDrawIndexed(d, PLAT_GfxPrimitive::TriangleList, run.data(),
                            static_cast<int>(vertices), indices.data(), static_cast<int>(used));
      vertices = used = 0;
    };
    for (const Item& it : sorted) {
      if (it.texture != bound) {
        draw();
        PLAT_GfxSetTexture(d, 0, s.textures[it.texture - 1]);
        bound = it.texture;
      }
      if (vertices + 4 > run.size()) draw();
      std::memcpy(static_cast<void*>(&run[vertices]), it.v, sizeof(it.v));
      for (uint32_t k : {0u, 1u, 2u, 0u, 2u, 3u}) indices[used++] = static_cast<uint16_t>(vertices + k);
      vertices += 4;
    }
    draw();
    items.clear();
  }

  void Frame(Scene& s) {
    PLAT_GfxBeginScene(s.state.pGfx);
    for (int i = 0; i < kQuads; ++i) {
      Item& it = items.emplace_back();
      it.depth = DepthOf(i);
      it.bucket = SPPD_AlphaBucket(it.depth);
      it.texture = Scene::TextureOf(i);
      std::memcpy(static_cast<void*>(it.v), s.Quad(i), sizeof(it.v));
      if ((i + 1) % kPerFlush == 0) Flush(s);
    }
    PLAT_GfxEndScene(s.state.pGfx);
    benchmark::DoNotOptimize(run.data());
    benchmark::ClobberMemory();
  }
};

}  // namespace

int main() {
  Scene scene(Device::Null, 4.0f);
  CheckOneFrame(scene, AlphaFrame, &SPPD_FRAMECOUNTERS::dwAlphaPolygons, kQuads);
  Plain plain;
  plain.items.reserve(kPerFlush);
  auto alpha = [&] {
    for (int f = 0; f < kFrames; ++f) AlphaFrame(scene);
  };
  auto loop = [&] {
    for (int f = 0; f < kFrames; ++f) plain.Frame(scene);
  };
  std::printf("%d quads a frame, %d frames a run, %d runs\n", kQuads, kFrames, kReps);
  const double ratio = vnBENCH_Compare("translucent, through the buckets, null device", alpha,
                                       "plain sort and runs, the same device calls", loop, kReps);
  vnBENCH_GoalAtMost("alpha_buckets", ratio, kTarget);
  return 0;
}
