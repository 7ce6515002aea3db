#pragma once
// A mission block, a temporary mission tree and networks built in it from writer files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/memory/memblock.h"
#include "tests/support/support.h"
#include "tools/writers/bstar_writer.h"
#include "world/bstar/bstar.h"
#include "world/bstar/search.h"

class BstarFixture : public ::testing::Test {
 protected:
  static constexpr uint32_t kMissionSize = 16u << 20;
  static constexpr uint32_t kNetworkSize = 4u << 20;

  void SetUp() override {
    ASSERT_EQ(SGE_InitMemory(0), 1);
    missionMem = std::malloc(kMissionSize);
    mission = SGE_FormatMemBlock(missionMem, kMissionSize, "mission");
    ASSERT_NE(mission, nullptr);
  }
  void TearDown() override {
    for (BSTAR_Network* n : built) BSTAR_NetworkDestroy(n);
    SGE_ReleaseMemBlock(mission);
    std::free(missionMem);
    SGE_ShutdownMemory();
  }

  std::string Path(const std::string& name = "m") const {
    return "missions/" + name + "/bstarnetwork.txt";
  }
  // Writes the text as mission `name`'s network file.
  void WriteText(const std::string& text, const std::string& name = "m") {
    dir.write(Path(name), text);
  }
  BSTAR_Network* Construct(const std::string& name = "m", uint32_t size = kNetworkSize) {
    BSTAR_Network* n = BSTAR_NetworkConstruct(mission, size, nullptr, name.c_str());
    if (n) built.push_back(n);
    return n;
  }
  BSTAR_Network* Build(const VNWRITE_BSTARNET& net, const std::string& name = "m") {
    EXPECT_TRUE(vnWRITE_BstarNetwork(dir.path(), name, net));
    return Construct(name);
  }
  // An empty network to load files into by hand.
  BSTAR_Network* Empty() { return Construct("none"); }
  std::string Saved(BSTAR_Network* n) {
    const std::string out = dir.file("saved.txt");
    EXPECT_EQ(BSTAR_NetworkSaveFile(nullptr, n, out.c_str()), 1);
    return vntest::readFile(out);
  }
  // Nodes and links of a network.
  static int32_t Count(BSTAR_Network* n) {
    int32_t count = 0;
    BSTAR_ForEachNode(n, [](BSTAR_Network*, BSTAR_Node*, void* u) { return Tally(u); }, &count);
    return count;
  }
  static int32_t LinkCount(BSTAR_Network* n) {
    int32_t count = 0;
    BSTAR_ForEachLink(n, [](BSTAR_Network*, BSTAR_Link*, void* u) { return Tally(u); }, &count);
    return count;
  }
  static int32_t Tally(void* counter) {
    ++*static_cast<int32_t*>(counter);
    return 1;
  }
  static uint32_t Used(SGE_MEMBLOCK* block) {
    SGE_MEMSTATS stats;
    SGE_GetMemBlockStats(&stats, block);
    return stats.dwUsedBytes;
  }

  vntest::TempDir dir;
  vntest::ScopedWorkingDir cwd{dir.path()};
  void* missionMem = nullptr;
  SGE_MEMBLOCK* mission = nullptr;
  std::vector<BSTAR_Network*> built;
};
