// Drawing: a scene of quads through the batch lists to the null device, against a plain loop
// issuing the same device calls: per texture its quads gathered into a vertex and index array,
// one texture bind and one indexed draw per buffer's worth of vertices. The device does no
// work, so both sides time only what comes before it; nothing is read back.
#include <cstring>
#include <vector>

#include "bench/driver/batch_fixture.h"
#include "bench/goal.h"

namespace {

using namespace batchbench;

constexpr int kFrames = 10;
constexpr int kReps = 15;
constexpr double kTarget = 1.5;
// The batch lists' buffers hold this many vertices; one draw each.
constexpr uint32_t kDrawVertices = SPPD_BATCH_VERTICES / 4 * 4;

struct Gathered {
  std::vector<PLAT_GfxVertex> vertices;
  std::vector<uint16_t> indices;
};

void Draw(PLAT_GfxDevice* d, Gathered* g, uint32_t* vertices, uint32_t* indices) {
  if (*indices)
    PLAT_GfxDrawIndexed(d, PLAT_GfxPrimitive::TriangleList, g->vertices.data(),
                        static_cast<int>(*vertices), g->indices.data(), static_cast<int>(*indices));
  *vertices = *indices = 0;
}

// The device in the opaque list's states, as the batch path leaves it; then each texture's
// quads in the order they came.
void PlainFrame(Scene& s, Gathered* g) {
  SPPD_DRIVERSTATE* st = &s.state;
  PLAT_GfxDevice* d = st->pGfx;
  PLAT_GfxBeginScene(d);
  SPPD_BatchApplyStates(st->apBatchLists[SPPD_LAYER_OPAQUE]);
  for (int t = 0; t < kTextures; ++t) {
    PLAT_GfxSetTexture(d, 0, s.textures[static_cast<size_t>(t)]);
    uint32_t vertices = 0, indices = 0;
    for (int i = t; i < kQuads; i += kTextures) {
      if (vertices + 4 > kDrawVertices) Draw(d, g, &vertices, &indices);
      std::memcpy(static_cast<void*>(&g->vertices[vertices]), s.Quad(i), 4 * sizeof(PLAT_GfxVertex));
      for (uint32_t k : {0u, 1u, 2u, 0u, 2u, 3u}) g->indices[indices++] = static_cast<uint16_t>(vertices + k);
      vertices += 4;
    }
    Draw(d, g, &vertices, &indices);
  }
  PLAT_GfxEndScene(d);
  benchmark::DoNotOptimize(g->vertices.data());
  benchmark::ClobberMemory();
}

}  // namespace

int main() {
  Scene scene(Device::Null, 4.0f);
  CheckOneFrame(scene, BatchFrame, &SPPD_FRAMECOUNTERS::dwOpaqueTriangles, 2 * kQuads);
  Gathered gathered;
  gathered.vertices.resize(kDrawVertices);
  gathered.indices.resize(kDrawVertices / 4 * 6);
  auto batch = [&] {
    for (int f = 0; f < kFrames; ++f) BatchFrame(scene);
  };
  auto plain = [&] {
    for (int f = 0; f < kFrames; ++f) PlainFrame(scene, &gathered);
  };
  std::printf("%d quads a frame, %d frames a run, %d runs\n", kQuads, kFrames, kReps);
  const double ratio = vnBENCH_Compare("batch lists, null device", batch,
                                       "plain loop, the same device calls", plain, kReps);
  vnBENCH_GoalAtMost("batch_drawing", ratio, kTarget);
  return 0;
}
