// The retrieval boat manager in the headless world: evacuations that wait 15 seconds and use the
// allowance, captures that go at once, and the sequences they start.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/kernel/tasktypes.h"
#include "missions/control/missiondef.h"
#include "missions/control/sequences.h"
#include "platform/clock.h"
#include "tests/world/support/testworld.h"
#include "world/retboat/retboat.h"
#include "world/unittype/unittype.h"

namespace {

constexpr int32_t kSoldier = VN_UNIT_TYPE_TERRAN_ZR_0;
constexpr int32_t kCreature = VN_UNIT_TYPE_BUG_WARRIOR;
constexpr int32_t kHeight = 7;

uint32_t g_now;
uint32_t FakeClock() { return g_now; }

// Installed before the world starts the kernel, whose clock then starts from it.
struct FakeTime {
  FakeTime() {
    g_now = 1000;
    PLAT_SetClockOverride(FakeClock);
  }
  ~FakeTime() { PLAT_SetClockOverride(nullptr); }
};

class RetBoats : public ::testing::Test {
 protected:
  void SetUp() override {
    world.WriteAttrs({vnworld::Row(kSoldier, VNUNIT_F_SOLDIER),
                      vnworld::Row(kCreature, VNUNIT_F_IMMUNE2)});
    world.RegisterRecorder(VNTT_TERRAN_INFANTRY);
    world.RegisterRecorder(VNTT_BUG_WARRIOR);
    ASSERT_TRUE(world.Start());
    // Found in any letter case.
    world.content().write("export/sse/med_evac.sse", "");
    world.content().write("export/sse/SPECIMEN_CAPTURE.sse", "");
    soldier = world.Create(kSoldier, world.Human(), {10, 20, 1});
    creature = world.Create(kCreature, world.Computer(), {30, 40, 2});
    ASSERT_NE(soldier, nullptr);
    ASSERT_NE(creature, nullptr);
    world.SetHook([this](VNUNIT* unit, int32_t msg, SGE_PARAM, SGE_PARAM) -> int32_t {
      if (unit == creature && msg == SGM_UNIT_GET_CAPTURER) return capturer;
      if (unit == soldier && msg == SGM_UNIT_GET_CAPTURE_HEIGHT) return kHeight;
      return -1;
    });
    ASSERT_EQ(vnRETBOAT_Register(), 1);
  }
  void TearDown() override {
    if (boats) SGE_Send(boats, SGM_TASK_DESTROY, 0, 0);
    vnMISSCONT_SetRetBoatManager(nullptr);
    vnMISSCONT_SetMissionDef(nullptr);
    vnSS_FreeAll();
  }
  // The manager as the mission starts it, with that allowance.
  void StartManager(int32_t allowance) {
    def.nRetBoats = allowance;
    vnMISSCONT_SetMissionDef(&def);
    boats = SGE_CreateTask(VNTT_RETBOAT_MANAGER, nullptr, nullptr, 0, 0);
    ASSERT_NE(boats, nullptr);
    vnMISSCONT_SetRetBoatManager(boats);
  }
  void Advance(uint32_t ms) {
    g_now += ms;
    SGE_UpdateClock();
    SGE_UpdateTimers();
    SGE_DispatchMessages();
  }
  std::vector<VNRETBOAT_ENTRY*> Entries() {
    std::vector<VNRETBOAT_ENTRY*> out;
    SGE_DLLNODE* head = &SGE_TaskData<VNRETBOAT_MANAGER>(boats)->entries;
    for (VNRETBOAT_ENTRY* r : SGE_ListRecords<VNRETBOAT_ENTRY>(head))
      out.push_back(r);
    return out;
  }
  int32_t Runners() { return SGE_ListCount(vnSS_GetRunners()); }

  FakeTime time;
  vnworld::TestWorld world;
  VNMISSION_DEF def{};
  SGE_TASK* boats = nullptr;
  VNUNIT* soldier = nullptr;
  VNUNIT* creature = nullptr;
  int32_t capturer = 0;
};

void ExpectPoint(const SPW_VECTOR& v, float x, float y, float z) {
  EXPECT_FLOAT_EQ(v.x, x);
  EXPECT_FLOAT_EQ(v.y, y);
  EXPECT_FLOAT_EQ(v.z, z);
}

TEST_F(RetBoats, TheAllowanceComesFromTheMissionAndRisesByThree) {
  EXPECT_EQ(vnRETBOAT_GetAvailableCount(), 0);
  EXPECT_EQ(vnRETBOAT_AddBoat(soldier->dwId), 0);
  StartManager(2);
  EXPECT_EQ(vnRETBOAT_GetAvailableCount(), 2);
  EXPECT_EQ(SGE_Send(boats, SGM_RETBOAT_MANAGER_ADD_THREE, 0, 0), 1);
  EXPECT_EQ(vnRETBOAT_GetAvailableCount(), 5);
}

TEST_F(RetBoats, ASecondRequestForTheSameUnitIsRefused) {
  StartManager(3);
  EXPECT_EQ(vnRETBOAT_AddBoat(soldier->dwId), 1);
  EXPECT_EQ(vnRETBOAT_AddBoat(soldier->dwId), 0);
  EXPECT_EQ(vnRETBOAT_GetAvailableCount(), 2);
  EXPECT_EQ(Entries().size(), 1u);
}

TEST_F(RetBoats, NoBoatComesWithoutAllowanceOrForAnUnknownUnit) {
  StartManager(0);
  EXPECT_EQ(vnRETBOAT_AddBoat(soldier->dwId), 0);
  EXPECT_EQ(vnRETBOAT_AddBoat(9999), 0);
  EXPECT_TRUE(Entries().empty());
  EXPECT_EQ(vnRETBOAT_GetAvailableCount(), 0);
}

TEST_F(RetBoats, TheEvacuationBoatComesAfterFifteenSeconds) {
  StartManager(1);
  ASSERT_EQ(vnRETBOAT_AddBoat(soldier->dwId), 1);
  VNRETBOAT_ENTRY* entry = Entries().front();
  EXPECT_NE(entry->pTimer, nullptr);
  EXPECT_EQ(vnRETBOAT_GetAvailableCount(), 0);
  Advance(VNRETBOAT_EVAC_DELAY_MS - 1);
  EXPECT_EQ(entry->pRunner, nullptr);
  Advance(1);
  ASSERT_NE(entry->pRunner, nullptr);
  EXPECT_EQ(entry->pTimer, nullptr);
  EXPECT_STREQ(entry->pRunner->pDef->szFile, VNRETBOAT_EVAC_SEQUENCE);
  EXPECT_EQ(entry->pRunner->dwUnitId, soldier->dwId);
  ExpectPoint(entry->pRunner->vOffset, 10, 20, 1);
  Advance(VNRETBOAT_EVAC_DELAY_MS);
  EXPECT_EQ(Runners(), 1);
}

TEST_F(RetBoats, AUnitGoneWithinTheFifteenSecondsGetsNoBoatAndUsesOneUp) {
  StartManager(1);
  ASSERT_EQ(vnRETBOAT_AddBoat(soldier->dwId), 1);
  VNRETBOAT_ENTRY* entry = Entries().front();
  world.Destroy(soldier);
  Advance(VNRETBOAT_EVAC_DELAY_MS);
  EXPECT_EQ(entry->pRunner, nullptr);
  EXPECT_EQ(entry->pTimer, nullptr);
  EXPECT_EQ(Runners(), 0);
  EXPECT_EQ(vnRETBOAT_GetAvailableCount(), 0);
}

TEST_F(RetBoats, ACapturedCreatureLeavesAtOnceEvenWithNoBoatsLeft) {
  StartManager(0);
  capturer = static_cast<int32_t>(soldier->dwId);
  ASSERT_EQ(vnRETBOAT_AddBoat(creature->dwId), 1);
  VNRETBOAT_ENTRY* entry = Entries().front();
  EXPECT_EQ(entry->pTimer, nullptr);
  ASSERT_NE(entry->pRunner, nullptr);
  EXPECT_STREQ(entry->pRunner->pDef->szFile, VNRETBOAT_CAPTURE_SEQUENCE);
  EXPECT_EQ(entry->pRunner->dwUnitId, creature->dwId);
  EXPECT_EQ(entry->pRunner->nValue, kHeight);
  ExpectPoint(entry->pRunner->vOffset, 30, 40, 2 + kHeight);
  EXPECT_EQ(vnRETBOAT_GetAvailableCount(), 0);
}

TEST_F(RetBoats, ACreatureWithoutCapturerIsRefusedAndAnUnknownCapturerLiftsFromTheGround) {
  StartManager(1);
  capturer = 0;
  EXPECT_EQ(vnRETBOAT_AddBoat(creature->dwId), 0);
  EXPECT_TRUE(Entries().empty());
  capturer = 9999;
  ASSERT_EQ(vnRETBOAT_AddBoat(creature->dwId), 1);
  EXPECT_EQ(Entries().front()->pRunner->nValue, 0);
  ExpectPoint(Entries().front()->pRunner->vOffset, 30, 40, 2);
  EXPECT_EQ(vnRETBOAT_GetAvailableCount(), 1);
}

TEST_F(RetBoats, DestroyingTheManagerStopsAWaitingBoat) {
  StartManager(1);
  ASSERT_EQ(vnRETBOAT_AddBoat(soldier->dwId), 1);
  SGE_Send(boats, SGM_TASK_DESTROY, 0, 0);
  boats = nullptr;
  vnMISSCONT_SetRetBoatManager(nullptr);
  Advance(VNRETBOAT_EVAC_DELAY_MS);
  EXPECT_EQ(Runners(), 0);
}

TEST_F(RetBoats, AMissingSequenceFileStartsNothingAfterATrace) {
  vntest::TraceCapture trace;
  EXPECT_EQ(vnSS_LoadDefinition("Export/SSE/None.SSE"), nullptr);
  EXPECT_TRUE(trace.contains("no sequence file Export/SSE/None.SSE"));
  EXPECT_EQ(vnSS_Start(nullptr, 1, 0), nullptr);
  VNSS_DEFINITION* def = vnSS_LoadDefinition(VNRETBOAT_EVAC_SEQUENCE);
  ASSERT_NE(def, nullptr);
  EXPECT_STREQ(def->szFile, VNRETBOAT_EVAC_SEQUENCE);
}

}  // namespace
