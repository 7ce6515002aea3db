// Alpha: a scene of translucent quads filed into the depth-sorted buckets and drawn far to near
// through OpenGL (offscreen), against the same quads through the opaque batch list. Each frame
// ends waiting for the device; nothing is read back.
#include "bench/driver/batch_fixture.h"
#include "bench/goal.h"

namespace {

using namespace batchbench;

constexpr int kFrames = 10;
constexpr int kReps = 9;

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
  s.Finish();
}

}  // namespace

int main() {
  Scene scene(Device::OpenGL, 4.0f);
  CheckOneFrame(scene, AlphaFrame, &SPPD_FRAMECOUNTERS::dwAlphaPolygons, kQuads);
  CheckOneFrame(scene, BatchFrame, &SPPD_FRAMECOUNTERS::dwOpaqueTriangles, 2 * kQuads);
  auto alpha = [&] {
    for (int f = 0; f < kFrames; ++f) AlphaFrame(scene);
  };
  auto opaque = [&] {
    for (int f = 0; f < kFrames; ++f) BatchFrame(scene);
  };
  std::printf("%d quads a frame, %d frames a run, %d runs\n", kQuads, kFrames, kReps);
  const double ratio = vnBENCH_Compare("translucent, through the buckets", alpha,
                                       "opaque, through the batch list", opaque, kReps);
  vnBENCH_GoalAtMost("alpha_buckets", ratio, 1.5);
  return 0;
}
