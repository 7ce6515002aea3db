// A mission world end to end: the generated attribute, modifier, formation and network files
// loaded by a running unit manager; a soldier placed from a command block with its linked
// weapon, ordered across the network by its controller, and the mover's notifications in the
// order they come; a flying unit carried to its target in sub-steps.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "engine/kernel/frametime.h"
#include "engine/kernel/tasktypes.h"
#include "platform/clock.h"
#include "tests/world/support/testworld.h"
#include "tools/writers/formation_writer.h"
#include "tools/writers/placement_writer.h"
#include "world/bstar/bstar.h"
#include "world/mover/mover.h"
#include "world/placement/placement.h"
#include "world/unitman/orders.h"
#include "world/unittype/unittype.h"

namespace {

constexpr int32_t kSoldier = VN_UNIT_TYPE_TERRAN_ZR_0;
constexpr int32_t kRifle = VN_UNIT_TYPE_WEAPON_SMARTRIFLE_0;
constexpr int32_t kFlyer = VN_UNIT_TYPE_PE_DS10SHIP;
constexpr uint32_t kSoldierFlags = VNUNIT_F_SOLDIER | VNUNIT_F_MOVER | VNUNIT_F_OBSERVER |
                                   VNUNIT_F_OBSERVABLE | VNUNIT_F_UPDATE | VNUNIT_F_SELECTABLE;
constexpr uint32_t kFlyerFlags = VNUNIT_F_MOVER | VNUNIT_F_FLIGHT | VNUNIT_F_UPDATE;
constexpr float kCell = 10.0f;
constexpr int32_t kFrameMs = 40;

uint32_t g_clockMs = 0;
uint32_t TestClock() { return g_clockMs; }

// Attribute values of a mover: speed in km/h, acceleration, turn rate, gate reach, arrival.
void SetMover(VNWRITE_UNITATTR* row, float kmh, float acceleration) {
  auto set = [row](int32_t value, float v) { row->floats[static_cast<size_t>(value - 11)] = v; };
  set(VN_ATTR_DIVISOR, kmh);
  set(21, acceleration);
  set(24, 6.0f);   // turn rate
  set(26, 1.5f);   // gate reach
  set(27, 0.75f);  // arrival radius
  set(28, 1.0f);   // the highest link type its paths may use
}

class ScenarioTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_clockMs = 100000;
    PLAT_SetClockOverride(&TestClock);
    SGE_UpdateFrameTiming();
    vnworld::Options options;
    options.standInMovers = false;
    options.planner = true;
    world = std::make_unique<vnworld::TestWorld>(options);

    VNWRITE_UNITATTR soldier = vnworld::Row(kSoldier, kSoldierFlags, {kRifle}, 0.5f, 30.0f);
    SetMover(&soldier, 18.0f, 20.0f);
    VNWRITE_UNITATTR flyer = vnworld::Row(kFlyer, kFlyerFlags, {}, 2.0f);
    // A flight mover gains its acceleration once a sub-step.
    SetMover(&flyer, 72.0f, 5.0f);
    world->WriteAttrs({soldier, vnworld::Row(kRifle, VNUNIT_F_WEAPON, {}, 0.1f, 40.0f), flyer});
    VNWRITE_WEAPONMODS mods;
    for (auto& row : mods.matrix) row.fill(1.0f);
    mods.rowOfType.fill(-1);
    mods.colOfType.fill(-1);
    mods.rowOfType[kRifle] = 0;
    mods.colOfType[kSoldier] = 0;
    mods.matrix[0][0] = 0.5f;
    world->WriteWeaponMods(mods);
    VNWRITE_FORMATION line{"Line", {}};
    for (int32_t i = 0; i < 3; ++i) line.slots.push_back({{0, -1, 0}, {2.0f * i + 5, 7, 0}});
    ASSERT_TRUE(vnWRITE_Formations(world->content().path(), {line}));
    world->WriteNetwork(vnWRITE_BstarGrid(5, 1, kCell, 0.0f));

    world->RegisterRecorder(VNTT_TERRAN_INFANTRY);
    world->RegisterRecorder(VNTT_WEAPON_SMARTRIFLE);
    world->RegisterRecorder(VNTT_DS10SHIP);
    // Each controller steps its mover in its own update, as the unit classes do.
    world->SetHook([](VNUNIT* unit, int32_t msg, SGE_PARAM, SGE_PARAM) {
      if (msg == SGM_UNIT_UPDATE && unit->pMover) SGE_Send(unit->pMover, SGM_MOVER_STEP, 0, 0);
      return -1;
    });
    ASSERT_EQ(vnMOVER_Register(), 1);
    ASSERT_TRUE(world->Start());
  }
  void TearDown() override {
    world.reset();
    PLAT_SetClockOverride(nullptr);
  }

  // Frames of 40 ms until the unit's controller hears that it arrived, at most `limit`.
  int32_t RunUntilArrived(const VNUNIT* unit, int32_t limit) {
    for (int32_t frame = 1; frame <= limit; ++frame) {
      g_clockMs += kFrameMs;
      SGE_UpdateFrameTiming();
      world->RunFrames(1);
      for (const vnworld::Event& e : world->EventsOf(SGM_MOVER_ARRIVED))
        if (e.unitId == unit->dwId) return frame;
    }
    return -1;
  }

  std::unique_ptr<vnworld::TestWorld> world;
};

TEST_F(ScenarioTest, APlacedSoldierWithItsRifleWalksAcrossTheNetworkAndReportsEachRegion) {
  // The content the manager read at start-up.
  ASSERT_NE(vnUNITMAN_FindFormation(world->state(), "line"), nullptr);
  EXPECT_FLOAT_EQ(vnUNITMAN_GetWeaponMod(kRifle, kSoldier), 0.5f);

  VNWRITE_PLACEBLOCK placed{"Alpha", {{"Label", "Alpha One"}, {"Rank", "4"}}};
  std::string text;
  ASSERT_TRUE(vnWRITE_PlacementBlockText(placed, &text));
  VNPLACE_COMMANDBLOCK block{};
  std::snprintf(block.szName, sizeof(block.szName), "%s", placed.name.c_str());
  block.pszText = text.c_str();
  VNUNIT* soldier = world->Create(kSoldier, world->Human(), {5, 5, 0}, nullptr, nullptr, &block);
  ASSERT_NE(soldier, nullptr);
  world->Place(soldier, {5, 5, 0});
  EXPECT_STREQ(soldier->szLabel, "Alpha One");
  EXPECT_EQ(vnUNIT_AttrInt(soldier, VN_ATTR_RANK), 4);

  // The rifle came with it, in its weapon list, its controller made before the soldier's.
  SGE_DLLNODE* first = SGE_ListFirst(&soldier->aChildren[VNUNIT_CHILD_WEAPONS]);
  ASSERT_NE(first, nullptr);
  auto* rifle = reinterpret_cast<VNUNIT*>(first);
  EXPECT_EQ(rifle->nType, kRifle);
  EXPECT_EQ(rifle->dwId, soldier->dwId + 1);
  EXPECT_EQ(rifle->pParent, soldier);
  std::vector<uint32_t> created;
  for (const vnworld::Event& e : world->EventsOf(SGM_TASK_CREATE)) created.push_back(e.unitId);
  EXPECT_EQ(created, (std::vector<uint32_t>{rifle->dwId, soldier->dwId}));

  // Ordered to the far end of a row of five regions.
  const BSTAR_Node* start = soldier->pMove->pRegion;
  ASSERT_NE(start, nullptr);
  const SPW_VECTOR goal{45, 5, 0};
  world->ClearEvents();
  ASSERT_EQ(SGE_Send(soldier->pMover, SGM_MOVER_GOTO, SGE_PtrParam(&goal), 0), 1);
  ASSERT_GT(RunUntilArrived(soldier, 400), 0);

  // Every change of region is told as left, then entered, one region at a time, and the unit
  // stops at the goal.
  std::vector<std::pair<int32_t, const void*>> regions;
  for (const vnworld::Event& e : world->events()) {
    if (e.unitId != soldier->dwId) continue;
    if (e.msg == SGM_MOVER_LEFT_REGION || e.msg == SGM_MOVER_ENTERED_REGION)
      regions.emplace_back(e.msg, reinterpret_cast<const void*>(e.p2));
  }
  ASSERT_EQ(regions.size(), 8u);
  const void* previous = start;
  for (size_t i = 0; i < regions.size(); i += 2) {
    EXPECT_EQ(regions[i].first, SGM_MOVER_LEFT_REGION) << i;
    EXPECT_EQ(regions[i].second, previous) << i;
    EXPECT_EQ(regions[i + 1].first, SGM_MOVER_ENTERED_REGION) << i;
    previous = regions[i + 1].second;
  }
  EXPECT_EQ(previous, soldier->pMove->pRegion);
  const auto* arrivedIn = static_cast<const BSTAR_Node*>(previous);
  EXPECT_NEAR(arrivedIn->vCentre.x, 45.0f, 0.01f);
  EXPECT_NEAR(soldier->pMove->vPos.x, goal.x, 1.0f);
  EXPECT_NEAR(soldier->pMove->vPos.y, goal.y, 1.0f);
}

TEST_F(ScenarioTest, AFlyingUnitIsCarriedToItsTargetInSubSteps) {
  VNUNIT* flyer = world->Create(kFlyer, world->Human(), {5, 5, 20});
  ASSERT_NE(flyer, nullptr);
  ASSERT_NE(flyer->pMove, nullptr);
  const SPW_VECTOR target{5, 45, 20};
  SGE_Send(flyer->pMover, SGM_MOVER_GOTO, SGE_PtrParam(&target), 0);

  // One frame of 100 ms: three sub-steps of a third each at 5, 10 and 15 m/s, 1 m in all (one
  // whole step would go 0.5 m).
  g_clockMs += 100;
  SGE_UpdateFrameTiming();
  const float before = flyer->pMove->vPos.y;
  world->RunFrames(1);
  EXPECT_NEAR(flyer->pMove->vPos.y - before, 1.0f, 0.01f);

  ASSERT_GT(RunUntilArrived(flyer, 200), 0);
  EXPECT_NEAR(flyer->pMove->vPos.y, target.y, 1.0f);
}

}  // namespace
