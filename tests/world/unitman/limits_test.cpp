// A mission world filled to its limits: every record of the unit pool live with a controller as
// large as a class may take and a mover, which the kernel's task memory must hold; a capacity
// past that is cut to it, and a unit whose tasks cannot be made is not made at all.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/kernel/tasktypes.h"
#include "tests/world/support/testworld.h"
#include "world/unitman/unitclass.h"

namespace {

constexpr int32_t kSoldier = VN_UNIT_TYPE_TERRAN_MEDIC;  // class 200
constexpr int32_t kBug = VN_UNIT_TYPE_BUG_WARRIOR;       // class 146
constexpr int32_t kLiveBugCap = 100;                     // the largest cap of any mission
constexpr uint32_t kBusy = VNUNIT_F_MOVER | VNUNIT_F_UPDATE | VNUNIT_F_OBSERVER | VNUNIT_F_OBSERVABLE;

TEST(Limits, AFullMissionOfUnitsWithControllersAndMoversFitsTheBlocks) {
  vnworld::TestWorld world;
  world.WriteAttrs({vnworld::Row(kSoldier, kBusy, {}, 0.5f, 20.0f), vnworld::Row(kBug, kBusy, {}, 1.0f, 20.0f)});
  world.RegisterRecorder(VNTT_TERRAN_INFANTRY, VNUNIT_MAX_CONTROLLER_BYTES);
  world.RegisterRecorder(VNTT_BUG_WARRIOR, VNUNIT_MAX_CONTROLLER_BYTES);
  ASSERT_TRUE(world.Start());
  const int32_t capacity = world.state()->nUnits;
  ASSERT_EQ(capacity, VNUNITMAN_MAX_UNITS);
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
  EXPECT_EQ(world.Create(kSoldier, world.Human()), nullptr) << "the pool is full";
  EXPECT_TRUE(trace.contains("not created: all " + std::to_string(capacity) + " units are in use"));
}

TEST(Limits, ACapacityPastWhatTheTaskMemoryHoldsIsCutToIt) {
  vnworld::Options options;
  options.manager.nUnits = 10000;
  vnworld::TestWorld world(options);
  vntest::TraceCapture trace;
  ASSERT_TRUE(world.Start());
  EXPECT_EQ(world.state()->nUnits, VNUNITMAN_MAX_UNITS);
  EXPECT_EQ(world.state()->nOrders, VNUNITMAN_ORDERS_PER_UNIT * VNUNITMAN_MAX_UNITS);
  EXPECT_EQ(world.state()->nSightCapacity, VNUNITMAN_SIGHT_PER_UNIT * VNUNITMAN_MAX_UNITS);
  EXPECT_TRUE(trace.contains("10000 units asked"));
  const vnworld::Options mission;
  EXPECT_EQ(vnUNITMAN_BlockBytes(&options.manager), vnUNITMAN_BlockBytes(&mission.manager));
}

// Takes every byte of the kernel's task memory until it goes.
class TaskMemoryFull {
 public:
  TaskMemoryFull() {
    for (uint32_t size = 1u << 22; size >= SGE_MEM_GRANULE; size /= 2)
      while (void* p = SGE_MemAlloc(SGE_TaskMem, size)) held_.push_back(p);
  }
  ~TaskMemoryFull() {
    for (void* p : held_) SGE_MemFree(p);
  }

 private:
  std::vector<void*> held_;
};

TEST(Limits, AUnitWhoseMoverOrControllerCannotBeMadeIsNotMade) {
  vnworld::TestWorld world;
  world.WriteAttrs({vnworld::Row(kSoldier, kBusy, {}, 0.5f, 20.0f),
                    vnworld::Row(kBug, VNUNIT_F_UPDATE, {}, 1.0f, 20.0f)});
  world.RegisterRecorder(VNTT_TERRAN_INFANTRY);
  world.RegisterRecorder(VNTT_BUG_WARRIOR);
  ASSERT_TRUE(world.Start());
  const int32_t tasks = SGE_GetTaskCount();
  const struct {
    int32_t type;
    const char* trace;
  } cases[] = {{kSoldier, "its mover cannot be made"}, {kBug, "its controller cannot be made"}};
  for (const auto& c : cases) {
    vntest::TraceCapture trace;
    {
      TaskMemoryFull full;
      EXPECT_EQ(world.Create(c.type, world.Human()), nullptr) << c.type;
    }
    EXPECT_TRUE(trace.contains(c.trace)) << c.type;
    EXPECT_EQ(SGE_GetTaskCount(), tasks) << c.type << ": nothing of the unit is left";
    EXPECT_EQ(SGE_ListCount(&world.state()->freeUnits), world.state()->nUnits) << c.type;
    VNUNIT* u = world.Create(c.type, world.Human());
    ASSERT_NE(u, nullptr) << c.type << ": with room again the unit is made";
    EXPECT_NE(u->pController, nullptr) << c.type;
    vnUNITMAN_DestroyUnit(u);
  }
}

}  // namespace
