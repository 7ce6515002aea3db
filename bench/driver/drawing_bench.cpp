// Drawing: a scene of quads through the batch lists to OpenGL (offscreen), against the same
// vertex stream built once into one static array and drawn with one indexed call. Each frame
// ends waiting for the device; nothing is read back.
#include <vector>

#include "bench/driver/batch_fixture.h"
#include "bench/goal.h"

namespace {

using namespace batchbench;

constexpr int kFrames = 10;
constexpr int kReps = 9;

struct StaticStream {
  std::vector<PLAT_GfxVertex> vertices;
  std::vector<uint16_t> indices;
};

StaticStream Build(const Scene& s) {
  static_assert(kQuads * 4 <= 65536, "one call indexes every vertex");
  StaticStream out;
  for (int i = 0; i < kQuads; ++i) {
    const auto first = static_cast<uint16_t>(out.vertices.size());
    for (int k = 0; k < 4; ++k) {
      const SPPD_TLVERTEX& t = s.Quad(i)[k];
      out.vertices.push_back({t.sx, t.sy, t.sz, t.rhw, t.dwDiffuse, t.dwSpecular, t.tu, t.tv});
    }
    for (uint16_t k : {0, 1, 2, 0, 2, 3}) out.indices.push_back(static_cast<uint16_t>(first + k));
  }
  return out;
}

// The device in the opaque list's states, as the batch path leaves it.
void StaticFrame(Scene& s, const StaticStream& stream) {
  SPPD_DRIVERSTATE* st = &s.state;
  PLAT_GfxBeginScene(st->pGfx);
  SPPD_BatchApplyStates(st->apBatchLists[SPPD_LAYER_OPAQUE]);
  PLAT_GfxSetTexture(st->pGfx, 0, s.textures[0]);
  PLAT_GfxDrawIndexed(st->pGfx, PLAT_GfxPrimitive::TriangleList, stream.vertices.data(),
                      static_cast<int>(stream.vertices.size()), stream.indices.data(),
                      static_cast<int>(stream.indices.size()));
  PLAT_GfxEndScene(st->pGfx);
  s.Finish();
}

}  // namespace

int main() {
  Scene scene(Device::OpenGL, 4.0f);
  const StaticStream stream = Build(scene);
  CheckOneFrame(scene, BatchFrame, &SPPD_FRAMECOUNTERS::dwOpaqueTriangles, 2 * kQuads);
  auto batch = [&] {
    for (int f = 0; f < kFrames; ++f) BatchFrame(scene);
  };
  auto plain = [&] {
    for (int f = 0; f < kFrames; ++f) StaticFrame(scene, stream);
  };
  std::printf("%d quads a frame, %d frames a run, %d runs\n", kQuads, kFrames, kReps);
  const double ratio = vnBENCH_Compare("batch lists through OpenGL", batch,
                                       "one static array, one indexed draw", plain, kReps);
  vnBENCH_GoalAtMost("batch_drawing", ratio, 1.15);
  return 0;
}
