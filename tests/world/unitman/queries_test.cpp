// The manager's queries and the unit operations that need no message.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "editor/aiedit.h"
#include "engine/kernel/tasktypes.h"
#include "engine/object/object.h"
#include "frontend/platman.h"
#include "missions/control/misscont.h"
#include "tests/world/support/testworld.h"
#include "world/mover/mover.h"

namespace {

constexpr int32_t kSoldier = VN_UNIT_TYPE_TERRAN_ZR_0;        // class 200
constexpr int32_t kMedic = VN_UNIT_TYPE_TERRAN_MEDIC;          // class 200
constexpr int32_t kFemaleBase = VN_UNIT_TYPE_TERRAN_ZR_0_FEM;  // class 200
constexpr int32_t kRifle = VN_UNIT_TYPE_WEAPON_SMARTRIFLE_0;   // class 160
constexpr int32_t kAmmo = VN_UNIT_TYPE_AMMO_STANDARD_BULLET;   // class 180
constexpr int32_t kHole = VN_UNIT_TYPE_PE_BUGHOLE;             // class 181
constexpr uint32_t kPick = VNUNIT_F_SELECTABLE;

class QueriesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VNWRITE_UNITATTR soldier = vnworld::Row(kSoldier, kPick | VNUNIT_F_OBSERVABLE);
    VNWRITE_UNITATTR medic = vnworld::Row(kMedic, kPick | VNUNIT_F_SOLDIER | 0x04);
    VNWRITE_UNITATTR base = vnworld::Row(kFemaleBase, VNUNIT_F_SOLDIER);
    for (size_t i = 0; i < medic.floats.size(); ++i) {
      medic.floats[i] = static_cast<float>(i);
      base.floats[i] = 100.0f;
    }
    world.WriteAttrs({soldier, medic, base, vnworld::Row(kRifle, VNUNIT_F_WEAPON, {kAmmo}),
                      vnworld::Row(kAmmo, VNUNIT_F_ITEM), vnworld::Row(kHole, VNUNIT_F_OBSERVABLE)});
    for (int32_t type : {VNTT_TERRAN_INFANTRY, VNTT_WEAPON_SMARTRIFLE, VNTT_BUGHOLE})
      world.RegisterRecorder(type);
    ASSERT_TRUE(world.Start());
  }
  SGE_RESULT Ask(int32_t msg, SGE_PARAM p1 = 0, SGE_PARAM p2 = 0) { return SGE_Send(world.manager(), msg, p1, p2); }
  vnworld::TestWorld world;
};

TEST_F(QueriesTest, TheNearestBugHoleKeepsTheFirstOfEqualDistances) {
  VNUNIT* soldier = world.Create(kSoldier, world.Human(), {50, 50, 0});
  VNUNIT* first = world.Create(kHole, world.Computer(), {60, 50, 99});
  VNUNIT* second = world.Create(kHole, world.Computer(), {40, 50, -5});
  world.Create(kHole, world.Computer(), {80, 50, 0});
  EXPECT_EQ(static_cast<uint32_t>(Ask(SGM_UNITMAN_NEAREST_BUGHOLE, SGE_PtrParam(soldier))), first->dwId);
  world.Place(second, {45, 50, 0});
  EXPECT_EQ(static_cast<uint32_t>(Ask(SGM_UNITMAN_NEAREST_BUGHOLE, SGE_PtrParam(soldier))), second->dwId);
  EXPECT_EQ(Ask(SGM_UNITMAN_NEAREST_BUGHOLE, 0), 0);
  EXPECT_EQ(Ask(SGM_UNITMAN_COUNT_BUGHOLES), 3);
  vnAIEDIT_SetDisplayOn(1);
  EXPECT_EQ(Ask(SGM_UNITMAN_NEAREST_BUGHOLE, SGE_PtrParam(soldier)), 0);
  EXPECT_EQ(Ask(SGM_UNITMAN_COUNT_BUGHOLES), 0);
  EXPECT_EQ(Ask(SGM_UNITMAN_COUNT_TYPE, kSoldier, 0), 0);
  vnAIEDIT_SetDisplayOn(0);
  EXPECT_EQ(Ask(SGM_UNITMAN_COUNT_TYPE, kSoldier, 0), 1);
  vnUNIT_SetAttrFloat(soldier, VN_ATTR_HEALTH, 0.0f);
  EXPECT_EQ(Ask(SGM_UNITMAN_COUNT_TYPE, kSoldier, 1), 0);
}

TEST_F(QueriesTest, SelectionNeedsASelectableLivingUnit) {
  VNUNIT* a = world.Create(kSoldier, world.Human());
  VNUNIT* rifle = world.Create(kRifle, world.Human());
  VNUNIT* dead = world.Create(kSoldier, world.Human());
  VNUNIT* enemy = world.Create(kSoldier, world.Computer());
  world.SetHook([dead](VNUNIT* u, int32_t msg, SGE_PARAM, SGE_PARAM) {
    return msg == SGM_UNIT_IS_DEAD ? (u == dead ? 1 : 0) : -1;
  });
  EXPECT_EQ(Ask(SGM_UNITMAN_TOP_RANK), 0) << "none selected";
  EXPECT_EQ(Ask(SGM_UNITMAN_SELECT, SGE_PtrParam(a)), 1);
  EXPECT_EQ(Ask(SGM_UNITMAN_SELECT, SGE_PtrParam(a)), 0) << "already selected";
  EXPECT_EQ(Ask(SGM_UNITMAN_SELECT, SGE_PtrParam(rifle)), 0) << "not selectable";
  EXPECT_EQ(Ask(SGM_UNITMAN_SELECT, SGE_PtrParam(dead)), 0) << "dead";
  EXPECT_EQ(Ask(SGM_UNITMAN_SELECT, SGE_PtrParam(enemy)), 1);
  VNUNIT* listed[4] = {};
  EXPECT_EQ(Ask(SGM_UNITMAN_LIST_SELECTED, SGE_PtrParam(listed), 4), 1);
  EXPECT_EQ(listed[0], a);
  EXPECT_EQ(static_cast<uint32_t>(Ask(SGM_UNITMAN_TOP_RANK)), a->dwId);
  Ask(SGM_UNITMAN_CLEAR_SELECTION);
  EXPECT_FALSE(a->dwFlags & VNUNIT_F_SELECTED);
  EXPECT_FALSE(enemy->dwFlags & VNUNIT_F_SELECTED);
  EXPECT_EQ(Ask(SGM_UNITMAN_TOP_RANK), 0);
}

TEST_F(QueriesTest, TheTopRankIsTheFirstOfTheGreatestRank) {
  std::vector<VNUNIT*> units;
  for (int32_t rank : {2, 5, 5, -1}) {
    units.push_back(world.Create(kSoldier, world.Human()));
    vnUNIT_SetAttrInt(units.back(), VN_ATTR_RANK, rank);
    Ask(SGM_UNITMAN_SELECT, SGE_PtrParam(units.back()));
  }
  EXPECT_EQ(static_cast<uint32_t>(Ask(SGM_UNITMAN_TOP_RANK)), units[1]->dwId);
}

TEST_F(QueriesTest, MessagesReachTheUnitsOfAPlayerByTypeOrSelection) {
  VNUNIT* a = world.Create(kSoldier, world.Human());
  VNUNIT* b = world.Create(kSoldier, world.Human());
  VNUNIT* c = world.Create(kSoldier, world.Computer());
  Ask(SGM_UNITMAN_SELECT, SGE_PtrParam(b));
  struct Case {
    const char* name;
    std::function<void()> send;  // every call sends message kMsg with 1, 2
    std::vector<uint32_t> receivers;
  };
  constexpr int32_t kMsg = 7000;
  const Case cases[] = {
      {"selected", [] { vnUNITMAN_OrderSelected(kMsg, 1, 2); }, {b->dwId}},
      {"human", [] { vnUNITMAN_SendToHumanUnits(kMsg, 1, 2); }, {a->dwId, b->dwId}},
      {"computer", [] { vnUNITMAN_SendToComputerUnits(kMsg, 1, 2); }, {c->dwId}},
      {"type", [&] { vnUNITMAN_SendToPlayerType(world.Human(), kRifle, kMsg, 1, 2); }, {}},
      {"unit", [&] { vnUNITMAN_SendToUnit(a->dwId, kMsg, 1, 2); }, {a->dwId}},
  };
  for (const Case& c : cases) {
    world.ClearEvents();
    c.send();
    std::vector<uint32_t> got;
    for (const vnworld::Event& e : world.EventsOf(kMsg)) {
      got.push_back(e.unitId);
      EXPECT_EQ(e.p1, 1) << c.name;
      EXPECT_EQ(e.p2, 2) << c.name;
    }
    EXPECT_EQ(got, c.receivers) << c.name;
  }
  EXPECT_EQ(vnUNIT_IsDead(a->dwId), 0);
  EXPECT_EQ(vnUNIT_IsDead(9999999), 1);
  EXPECT_EQ(vnUNIT_IsDeadUnit(a), 0);
}

TEST_F(QueriesTest, SoldiersGetTheirStatsAddedToTheBaseSoldiers) {
  VNUNIT* medic = world.Create(kMedic, world.Human());
  ASSERT_NE(medic, nullptr);
  const auto events = world.EventsOf(SGM_UNIT_SOLDIER_PROFILE);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].unitId, medic->dwId);
  VNPLATMAN_STATBLOCK stats{};
  world.SetHook([&stats](VNUNIT*, int32_t msg, SGE_PARAM p1, SGE_PARAM) {
    if (msg == SGM_UNIT_SOLDIER_PROFILE) std::memcpy(&stats, SGE_ParamPtr<const void>(p1), sizeof stats);
    return -1;
  });
  world.Create(kMedic, world.Human());
  // Values 18, 11, 15, 14, 17, 16, 13 are floats 7, 0, 4, 3, 6, 5, 2 of the row, plus 100.
  const float expected[VNPLATMAN_STATS] = {107, 100, 104, 103, 106, 105, 102};
  for (int32_t i = 0; i < VNPLATMAN_STATS; ++i) EXPECT_FLOAT_EQ(stats.afStats[i], expected[i]) << i;
  EXPECT_TRUE(world.EventsOf(SGM_UNIT_SOLDIER_PROFILE).size() == 2u);
  world.Create(kSoldier, world.Human());
  EXPECT_EQ(world.EventsOf(SGM_UNIT_SOLDIER_PROFILE).size(), 2u) << "not a soldier";
}

TEST_F(QueriesTest, LabelsKeepSixtyThreeCharacters) {
  VNUNIT* a = world.Create(kSoldier, world.Human());
  EXPECT_EQ(vnUNIT_SetLabel(a, "Alpha"), 6);
  EXPECT_STREQ(a->szLabel, "Alpha");
  const std::string longer(80, 'x');
  EXPECT_EQ(vnUNIT_SetLabel(a, longer.c_str()), 64);
  EXPECT_EQ(std::string(a->szLabel), std::string(63, 'x'));
  EXPECT_EQ(vnUNIT_AddToTotal(a, 5), 5);
  EXPECT_EQ(vnUNIT_AddToTotal(a, -2), 3);
}

TEST_F(QueriesTest, AmmunitionGoesOneItemAMessage) {
  VNUNIT* rifle = world.Create(kRifle, world.Human());
  EXPECT_EQ(vnUNITMAN_GetLinkedType(kRifle), kAmmo);
  EXPECT_EQ(vnUNITMAN_GetLinkedType(kSoldier), -1);
  world.ClearEvents();
  EXPECT_EQ(vnUNIT_AddAmmo(rifle->pController, kRifle, 3), 1);
  const auto added = world.EventsOf(SGM_UNIT_ADD_AMMO);
  ASSERT_EQ(added.size(), 3u);
  EXPECT_EQ(added[0].p1, kAmmo);
  EXPECT_EQ(vnUNIT_AddAmmo(rifle->pController, kSoldier, 3), 0);
}

TEST_F(QueriesTest, BugHolesAreCollectedByWaveAndTriggeredTogether) {
  std::vector<VNUNIT*> holes;
  for (int i = 0; i < 4; ++i) holes.push_back(world.Create(kHole, world.Computer()));
  world.Create(kHole, world.Human());  // not the computer's
  world.SetHook([&](VNUNIT* u, int32_t msg, SGE_PARAM, SGE_PARAM) {
    return msg == SGM_BUGHOLE_GET_WAVE ? (u == holes[2] ? 3 : 1) : -1;
  });
  VNUNITMAN_BUGHOLES record;
  std::memset(&record, 0x5A, sizeof record);
  vnUNITMAN_CollectBugHoles(&record);
  EXPECT_EQ(record.nCount, 4);
  EXPECT_EQ(record.anPerWave[1], 3);
  EXPECT_EQ(record.anPerWave[3], 1);
  EXPECT_EQ(record.anPerWave[0], 0);
  world.ClearEvents();
  vnUNITMAN_TriggerBugHoleWave(&record, 3);
  std::vector<std::pair<uint32_t, int32_t>> sent;
  for (const vnworld::Event& e : world.events()) sent.emplace_back(e.unitId, e.msg);
  EXPECT_EQ(sent, (std::vector<std::pair<uint32_t, int32_t>>{{holes[2]->dwId, SGM_BUGHOLE_TRIGGER_A},
                                                             {holes[2]->dwId, SGM_BUGHOLE_TRIGGER_B}}));
}

TEST_F(QueriesTest, AreaNotificationsReachTheUnitsWithinTheRadius) {
  VNUNIT* near = world.Create(kSoldier, world.Human());
  VNUNIT* far = world.Create(kSoldier, world.Human());
  world.Place(near, {50, 50, 0});
  world.Place(far, {70, 50, 0});
  const VNUNITMAN_AREA area{{55, 50, 0}, 10.0f};
  // A unit that ends its neighbour on the notice does not upset the walk.
  world.SetHook([&](VNUNIT* u, int32_t msg, SGE_PARAM, SGE_PARAM) {
    if (msg == SGM_UNIT_AREA_NOTIFY && u == near) world.Destroy(far);
    return -1;
  });
  Ask(SGM_UNITMAN_AREA_NOTIFY, SGE_PtrParam(&area));
  const auto notes = world.EventsOf(SGM_UNIT_AREA_NOTIFY);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0].unitId, near->dwId);
  EXPECT_EQ(notes[0].p1, SGE_PtrParam(&area));
}

TEST_F(QueriesTest, PositionSettersRefuseMissingArguments) {
  VNUNIT* a = world.Create(kSoldier, world.Human(), {1, 2, 3});
  const SPW_VECTOR to{9, 9, 0};
  vntest::TraceCapture trace;
  vnUNITMAN_SetUnitPosition(world.manager(), a, nullptr);
  vnUNITMAN_SetUnitPositionDirection(world.manager(), a, &to, nullptr);
  EXPECT_TRUE(trace.contains("Invalid position set params"));
  EXPECT_TRUE(trace.contains("Invalid position & direction set params"));
  EXPECT_EQ(a->vPos.x, 1.0f);
  vnUNITMAN_SetUnitPosition(world.manager(), a, &to);
  EXPECT_EQ(a->vPos.x, 9.0f);
  EXPECT_NE(a->pGridLinks, nullptr);
}

TEST_F(QueriesTest, PlayersAndUnitsAreFoundByIdAndName) {
  VNUNIT* a = world.Create(kSoldier, world.Computer());
  EXPECT_EQ(vnUNITMAN_GetUnit(a->dwId), a);
  EXPECT_EQ(SGE_Ask<VNUNIT>(world.manager(), SGM_UNITMAN_FIND_UNIT, a->dwId, world.Human()), nullptr);
  EXPECT_EQ(SGE_Ask<VNUNIT>(world.manager(), SGM_UNITMAN_FIND_UNIT, a->dwId, world.Computer()), a);
  auto* computer = SGE_Ask<VNPLAYER>(world.manager(), SGM_UNITMAN_PLAYER_BY_NAME, SGE_PtrParam("cOMPUTER"), 0);
  ASSERT_NE(computer, nullptr);
  EXPECT_EQ(computer->dwId, 2u);
  EXPECT_EQ(computer->dwEnemyMask, ~2u);
  EXPECT_EQ(vnUNITMAN_GetHumanPlayer()->dwId, 1u);
  EXPECT_STREQ(vnUNITMAN_GetHumanPlayer()->szName, "Human");
  EXPECT_EQ(vnUNITMAN_Get(), world.state());
  EXPECT_EQ(vnUNITMAN_SetFlagBit0(0), 1);
  EXPECT_EQ(vnUNITMAN_SetFlagBit0(1), 0);
}

TEST_F(QueriesTest, AnimationIndexRecordsAreMadeOnceAKey) {
  SPW_ANIMATION anims[3] = {};
  std::strcpy(anims[0].szName, "Walk");
  std::strcpy(anims[1].szName, "RUN");
  std::strcpy(anims[2].szName, "Idle");
  SPW_DOBJTYPE type{};
  type.dwNumAnims = 3;
  type.pAnims = anims;
  const char* names[] = {"run", "Crawl", "idle"};
  const VNUNITMAN_ANIMREQUEST request{7, 3, &type, names};
  int32_t* indices = nullptr;
  ASSERT_EQ(vnUNITMAN_QueryRecord(&request, &indices), 1);
  ASSERT_NE(indices, nullptr);
  EXPECT_EQ(indices[0], 1);
  EXPECT_EQ(indices[1], -1);
  EXPECT_EQ(indices[2], 2);
  int32_t* again = nullptr;
  const VNUNITMAN_ANIMREQUEST sameKey{7, 1, nullptr, nullptr};
  ASSERT_EQ(vnUNITMAN_QueryRecord(&sameKey, &again), 1);
  EXPECT_EQ(again, indices) << "found by its key, not made again";
}

TEST_F(QueriesTest, TriggerRegionsAreReportedToTheMissionWithTheUnit) {
  std::vector<std::pair<int32_t, SGE_PARAM>> got;
  static std::vector<std::pair<int32_t, SGE_PARAM>>* sink = nullptr;
  sink = &got;
  constexpr int32_t kMissionType = 4;
  ASSERT_EQ(SGE_RegisterTaskType(kMissionType, [](SGE_TASK* t, SGE_DATAREF* d, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) -> SGE_RESULT {
    if (msg == SGM_VN_MISSCONT_EVENT_AREA_ENTERED || msg == SGM_VN_MISSCONT_EVENT_AREA_LEFT) {
      sink->emplace_back(msg, p1);
      sink->emplace_back(msg, p2);
      return 1;
    }
    return SGE_DefaultTaskHandler(t, d, msg, p1, p2);
  }, 0, 0, ""), 1);
  SGE_TASK* mission = SGE_CreateTask(kMissionType, nullptr, nullptr, 0, 0);
  const VNMISSION_WORLD w{mission, world.scene(), nullptr};
  vnMISSCONT_SetWorld(&w);
  VNUNIT* unit = world.Create(kSoldier, world.Human());
  SGE_TASK* mover = SGE_CreateTask(VNTT_VEHICLE_MOVER, unit->pController, nullptr, 0, 0);
  VNMOVER_RECORD record{};
  record.pOwner = mover;
  int region = 0;
  EXPECT_EQ(Ask(SGM_UNITMAN_REGION_ENTERED, SGE_PtrParam(&region), SGE_PtrParam(&record)), 1);
  EXPECT_EQ(Ask(SGM_UNITMAN_REGION_LEFT, SGE_PtrParam(&region), SGE_PtrParam(&record)), 1);
  record.pOwner = nullptr;
  EXPECT_EQ(Ask(SGM_UNITMAN_REGION_LEFT, SGE_PtrParam(&region), SGE_PtrParam(&record)), 0) << "no controller";
  const std::vector<std::pair<int32_t, SGE_PARAM>> expected = {
      {SGM_VN_MISSCONT_EVENT_AREA_ENTERED, SGE_PtrParam(&region)}, {SGM_VN_MISSCONT_EVENT_AREA_ENTERED, SGE_PtrParam(unit)},
      {SGM_VN_MISSCONT_EVENT_AREA_LEFT, SGE_PtrParam(&region)}, {SGM_VN_MISSCONT_EVENT_AREA_LEFT, SGE_PtrParam(unit)}};
  EXPECT_EQ(got, expected);
  SGE_Send(mission, SGM_TASK_DESTROY, 0, 0);
}

TEST_F(QueriesTest, LivePlatoonSoldiersAreCountedByTheirFlags) {
  VNUNIT* alive = world.Create(kSoldier, world.Human());
  VNUNIT* dead = world.Create(kSoldier, world.Human());
  VNUNIT* excluded = world.Create(kSoldier, world.Human());
  excluded->dwFlags |= VNUNIT_F_FLIGHT;
  world.SetHook([dead](VNUNIT* u, int32_t msg, SGE_PARAM, SGE_PARAM) {
    return msg == SGM_UNIT_IS_DEAD ? (u == dead ? 1 : 0) : -1;
  });
  VNPLATOON_UNIT soldiers[4] = {};
  soldiers[0].nRosterId = static_cast<int32_t>(alive->dwId);
  soldiers[1].nRosterId = static_cast<int32_t>(dead->dwId);
  soldiers[2].nRosterId = static_cast<int32_t>(excluded->dwId);
  soldiers[3].nRosterId = static_cast<int32_t>(alive->dwId);  // outside the fielded slots
  VNPLATOON platoon{};
  platoon.apUnits[VNPLATOON_FIRST_FIELDED] = &soldiers[0];
  platoon.apUnits[VNPLATOON_FIRST_FIELDED + 5] = &soldiers[1];
  platoon.apUnits[VNPLATOON_FIRST_FIELDED + VNPLATOON_FIELDED - 1] = &soldiers[2];
  platoon.apUnits[VNPLATOON_FIRST_FIELDED - 1] = &soldiers[3];
  const VNMISSION_WORLD w{nullptr, world.scene(), &platoon};
  vnMISSCONT_SetWorld(&w);
  EXPECT_EQ(vnUNITMAN_CountLivePlatoonUnits(VNUNIT_F_FLIGHT, kPick), 1);
  EXPECT_EQ(vnUNITMAN_CountLivePlatoonUnits(0, kPick), 2);
  EXPECT_EQ(vnUNITMAN_CountLivePlatoonUnits(0, VNUNIT_F_WEAPON), 0);
}

}  // namespace
