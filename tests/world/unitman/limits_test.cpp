// A mission world filled to its limits: every record of the unit pool live with a controller
// and a mover, which the kernel's blocks must hold at 64 bits as they did at 32.
#include <gtest/gtest.h>

#include "engine/kernel/tasktypes.h"
#include "tests/world/support/testworld.h"

namespace {

constexpr int32_t kSoldier = VN_UNIT_TYPE_TERRAN_MEDIC;  // class 200
constexpr int32_t kBug = VN_UNIT_TYPE_BUG_WARRIOR;       // class 146
constexpr int32_t kLiveBugCap = 100;                     // the largest cap of any mission
constexpr uint32_t kBusy = VNUNIT_F_MOVER | VNUNIT_F_UPDATE | VNUNIT_F_OBSERVER | VNUNIT_F_OBSERVABLE;

TEST(Limits, AFullMissionOfUnitsWithControllersAndMoversFitsTheBlocks) {
  vnworld::TestWorld world;
  world.WriteAttrs({vnworld::Row(kSoldier, kBusy, {}, 0.5f, 20.0f), vnworld::Row(kBug, kBusy, {}, 1.0f, 20.0f)});
  world.RegisterRecorder(VNTT_TERRAN_INFANTRY);
  world.RegisterRecorder(VNTT_BUG_WARRIOR);
  ASSERT_TRUE(world.Start());
  const int32_t capacity = world.state()->nUnits;
  ASSERT_EQ(capacity, VNUNITMAN_MISSION_UNITS);
  vntest::TraceCapture trace;
  int32_t made = 0;
  for (int32_t i = 0; i < capacity; ++i) {
    const bool bug = i < kLiveBugCap;
    const SPW_VECTOR at{5.0f + static_cast<float>(i % 40) * 3.5f, 5.0f + static_cast<float>(i / 40) * 3.0f, 0};
    VNUNIT* u = world.Create(bug ? kBug : kSoldier, bug ? world.Computer() : world.Human(), at);
    ASSERT_NE(u, nullptr) << "unit " << i;
    ASSERT_NE(u->pController, nullptr) << "unit " << i;
    ASSERT_NE(u->pMover, nullptr) << "unit " << i;
    world.Place(u, at);
    ++made;
  }
  EXPECT_EQ(made, capacity);
  EXPECT_EQ(world.Create(kSoldier, world.Human()), nullptr) << "the pool is full";
  world.RunFrames(3);
  EXPECT_EQ(world.EventsOf(SGM_UNIT_UPDATE).size(), 3u * static_cast<size_t>(capacity));
  for (const std::string& line : trace.lines()) {
    EXPECT_EQ(line.find("no room"), std::string::npos) << line;
    EXPECT_EQ(line.find("SGE_MemAlloc"), std::string::npos) << line;
  }
  for (SGE_MEMBLOCK* block : {SGE_TaskMem, SGE_MsgMem, SGE_DllLists, world.block()}) {
    SGE_MEMSTATS stats;
    SGE_GetMemBlockStats(&stats, block);
    EXPECT_GT(stats.dwFreeBytes, 0u) << block->szName;
  }
}

}  // namespace
