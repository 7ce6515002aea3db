// POW loading: the walking figure's file (nodes, meshes, materials, two animations) loaded
// through SPW_LoadObjectFile and released again, against a plain read of the same bytes
// through the platform's file calls. The goal: the loader keeps at least half the read's
// throughput.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/goal.h"
#include "engine/memory/memblock.h"
#include "engine/object/object.h"
#include "platform/files.h"
#include "tools/models/models.h"

namespace {

constexpr int kLoads = 200;  // a timed run
constexpr int kReps = 15;
constexpr double kTarget = 0.5;

struct PowFile {
  std::string folder, path;
  std::vector<uint8_t> buffer;
  bool ok = false;

  PowFile() {
    char pattern[] = "/tmp/vn_pow_bench_XXXXXX";
    if (!mkdtemp(pattern)) return;
    folder = pattern;
    path = folder + "/Figure.pow";
    if (!SGE_InitMemory(0) || !SPW_CreateEngineBlocks() || !SPW_ResetObjectTypes()) return;
    if (!vnWRITE_POW(path, vnMODELS_Figure())) return;
    buffer.resize(1 << 20);
    ok = Load() && Read() > 0;
  }
  ~PowFile() {
    SPW_ReleaseObjectTypes();
    SPW_ReleaseEngineBlocks();
    SGE_ShutdownMemory();
    PLAT_RemoveFile(path.c_str());
    if (!folder.empty()) rmdir(folder.c_str());
  }

  bool Load() {
    int32_t slot = -1;
    if (!SPW_LoadObjectFile(path.c_str(), nullptr, &slot, 1.0f, 0)) return false;
    SPW_FreeObjectType(slot);
    return true;
  }
  // The whole file into memory, as a reader that parses nothing would take it.
  size_t Read() {
    FILE* f = PLAT_FOpen(path.c_str(), "rb");
    if (!f) return 0;
    const size_t n = std::fread(buffer.data(), 1, buffer.size(), f);
    std::fclose(f);
    return n;
  }
};

}  // namespace

int main() {
  PowFile pow;
  if (!pow.ok) {
    std::printf("no engine or POW file\n");
    vnBENCH_GoalAtLeast("pow_load_throughput", 0, kTarget);
    return 0;
  }
  std::printf("%zu bytes a file, %d loads a run\n", pow.Read(), kLoads);
  bool failed = false;
  auto load = [&] {
    for (int i = 0; i < kLoads; ++i) failed |= !pow.Load();
  };
  size_t bytes = 0;
  auto read = [&] {
    for (int i = 0; i < kLoads; ++i) bytes += pow.Read();
  };
  // Time over time is the inverse of the throughput ratio: load throughput / read throughput.
  const double loadOverRead = vnBENCH_Compare("SPW_LoadObjectFile and release", load,
                                              "plain read of the bytes", read, kReps);
  if (failed || bytes == 0) {
    std::printf("a load or read failed\n");
    vnBENCH_GoalAtLeast("pow_load_throughput", 0, kTarget);
    return 0;
  }
  vnBENCH_GoalAtLeast("pow_load_throughput", loadOverRead > 0 ? 1.0 / loadOverRead : 0, kTarget);
  return 0;
}
