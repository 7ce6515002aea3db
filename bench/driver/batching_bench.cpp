// Batching cost: a scene of quads collected into the batch lists and flushed to the driver's
// null device (so that only the driver's own work is timed), against a plain copy of the same
// vertices and fan indices into one array.
#include <cstring>
#include <vector>

#include "bench/driver/batch_fixture.h"
#include "bench/goal.h"

namespace {

using namespace batchbench;

constexpr int kFrames = 20;  // a timed run; repeated, and the runs compared
constexpr int kReps = 15;

struct PlainCopy {
  std::vector<SPPD_TLVERTEX> vertices;
  std::vector<uint16_t> indices;
  size_t usedVertices = 0, usedIndices = 0;
};

void CopyFrame(const Scene& s, PlainCopy* out) {
  out->usedVertices = out->usedIndices = 0;
  for (int i = 0; i < kQuads; ++i) {
    const auto first = static_cast<uint16_t>(out->usedVertices);
    std::memcpy(&out->vertices[out->usedVertices], s.Quad(i), 4 * sizeof(SPPD_TLVERTEX));
    out->usedVertices += 4;
    uint16_t* idx = &out->indices[out->usedIndices];
    for (uint16_t k = 1; k + 1 < 4; ++k) {
      *idx++ = first;
      *idx++ = static_cast<uint16_t>(first + k);
      *idx++ = static_cast<uint16_t>(first + k + 1);
    }
    out->usedIndices += 6;
  }
}

}  // namespace

int main() {
  Scene scene(Device::Null, 8.0f);
  CheckOneFrame(scene, BatchFrame, &SPPD_FRAMECOUNTERS::dwOpaqueTriangles, 2 * kQuads);
  PlainCopy copy;
  copy.vertices.resize(4 * kQuads);
  copy.indices.resize(6 * kQuads);
  auto batch = [&] {
    for (int f = 0; f < kFrames; ++f) BatchFrame(scene);
  };
  auto plain = [&] {
    for (int f = 0; f < kFrames; ++f) CopyFrame(scene, &copy);
    // Keeps the copy from being optimised away.
    if (copy.indices[6 * kQuads - 1] != 4 * kQuads - 1) std::printf("copy went wrong\n");
  };
  std::printf("%d quads a frame, %d frames a run, %d runs\n", kQuads, kFrames, kReps);
  const double ratio = vnBENCH_Compare("batch lists, null device", batch,
                                       "plain copy into one array", plain, kReps);
  vnBENCH_GoalAtMost("batching_cost", ratio, 2.0);
  return 0;
}
