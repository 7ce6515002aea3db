// Formation nodes: group orders of the selected units, the markers they show and the node timer.
#include "platform/clock.h"
#include "tests/world/formation/formation_fixture.h"

namespace formtest {
namespace {

uint32_t g_now = 0;
uint32_t FakeClock() { return g_now; }

// Drives the kernel's millisecond timers by a fake clock.
class FakeTime {
 public:
  FakeTime() {
    g_now = 1000;
    PLAT_SetClockOverride(FakeClock);
    SGE_InitClock();
    Advance(0);
  }
  ~FakeTime() { PLAT_SetClockOverride(nullptr); }
  void Advance(uint32_t ms) {
    g_now += ms;
    SGE_UpdateClock();
    SGE_UpdateTimers();
    SGE_DispatchMessages();
  }
};

constexpr SPW_VECTOR kNorth = {0.0f, -1.0f, 0.0f};  // the Line's slot 0 facing: no turn

class FormNodeTest : public FormationWorld {
 protected:
  // The Line around a leader at (25, 25): the slot at +10 x lies behind the wall at x = 30.
  void LineAtTheWall() {
    leader = Soldier({25.0f, 25.0f, 0.0f}, 5);
    east = Soldier({21.0f, 21.0f, 0.0f}, 3);
    west = Soldier({22.0f, 22.0f, 0.0f}, 1);
    for (VNUNIT* u : {west, leader, east}) Select(u);
  }
  int32_t Show(int32_t key = 0) {
    return vnFORMNODE_ShowFormation(man(), task(), "line", key, nullptr, &kNorth);
  }

  VNUNIT* leader = nullptr;
  VNUNIT* east = nullptr;
  VNUNIT* west = nullptr;
};

TEST_F(FormNodeTest, ABlockedSlotGetsAStoppedMarkerAndItsUnitGoesToTheBlockedSpot) {
  LineAtTheWall();
  ASSERT_EQ(Show(), 1);
  // Highest rank leads, the others by falling rank: leader, east (+10 x), west (-10 x).
  const Sent* e = LastSent(east, SGM_UNIT_GOTO_POINT);
  ASSERT_NE(e, nullptr);
  EXPECT_NEAR(e->point.x, kWallX, 0.01f) << "a segment stops at the wall itself";
  EXPECT_FLOAT_EQ(e->point.y, 25.0f);
  const Sent* w = LastSent(west, SGM_UNIT_GOTO_POINT);
  ASSERT_NE(w, nullptr);
  EXPECT_NEAR(w->point.x, 15.0f, 1e-4f);

  ASSERT_EQ(Markers().size(), 3u);
  SPW_DOBJECT* blocked = MarkerAt(35.0f, 25.0f);
  EXPECT_EQ(blocked->nType, Slot(VNFORMNODE_FIRST_PAIR + VNFORMNODE_STOPPED));
  EXPECT_FLOAT_EQ(blocked->t.vPos.x, 35.0f) << "the marker shows the wanted spot";
  EXPECT_FLOAT_EQ(blocked->t.vPos.z, kRadius * 0.5f);
  EXPECT_EQ(MarkerAt(15.0f, 25.0f)->nType, Slot(VNFORMNODE_FIRST_PAIR + VNFORMNODE_REACHED));
  EXPECT_EQ(MarkerAt(25.0f, 25.0f)->nType, Slot(VNFORMNODE_FIRST_PAIR + VNFORMNODE_REACHED));
  EXPECT_NE(man()->pFormNodeTimer, nullptr);
}

TEST_F(FormNodeTest, TheKeyedUnitLeadsWhateverItsRank) {
  LineAtTheWall();
  ASSERT_EQ(Show(static_cast<int32_t>(west->dwId)), 1);
  // West leads from (22, 22); then leader (+10 x, stopped by the wall), east (-10 x).
  const Sent* w = LastSent(west, SGM_UNIT_GOTO_POINT);
  ASSERT_NE(w, nullptr);
  EXPECT_NEAR(w->point.x, 22.0f, 1e-4f);
  const Sent* l = LastSent(leader, SGM_UNIT_GOTO_POINT);
  const Sent* e = LastSent(east, SGM_UNIT_GOTO_POINT);
  ASSERT_NE(l, nullptr);
  ASSERT_NE(e, nullptr);
  EXPECT_NEAR(l->point.x, kWallX, 0.01f);
  EXPECT_NEAR(e->point.x, 12.0f, 1e-4f);
}

TEST_F(FormNodeTest, UnknownFormationOrNoSelectionDoesNothing) {
  LineAtTheWall();
  EXPECT_EQ(vnFORMNODE_ShowFormation(man(), task(), "NoSuch", 0, nullptr, &kNorth), 0);
  SGE_Send(task(), SGM_UNITMAN_CLEAR_SELECTION, 0, 0);
  EXPECT_EQ(Show(), 0);
  const SPW_VECTOR p = {50.0f, 50.0f, 0.0f};
  EXPECT_EQ(vnFORMNODE_MoveGroup(man(), task(), &p, nullptr, SGM_UNIT_GOTO_POINT), 0);
  EXPECT_TRUE(Markers().empty());
  EXPECT_TRUE(sent.empty());
  EXPECT_EQ(man()->pFormNodeTimer, nullptr);
}

TEST_F(FormNodeTest, OrderingAGroupTwiceWithinHalfASecondReplacesTheNodes) {
  LineAtTheWall();
  ASSERT_EQ(Show(), 1);
  const std::vector<SPW_DOBJECT*> first = Markers();
  // The manager clears the nodes before each group order.
  vnFORMNODE_Clear(man(), task());
  ASSERT_EQ(Show(), 1);
  EXPECT_EQ(Markers().size(), first.size());
  EXPECT_NE(man()->pFormNodeTimer, nullptr);
  EXPECT_EQ(SGE_ListCount(&task()->timers), 2) << "the frame timer and one node timer";
}

TEST_F(FormNodeTest, AManagerOrderWithinHalfASecondReplacesTheNodesAndRestartsTheirTime) {
  LineAtTheWall();
  FakeTime time;
  VNFORMNODE_ORDER order = {0, {0.0f, 0.0f, 0.0f}, kNorth};
  const auto show = [&] {
    return SGE_Send(task(), SGM_UNITMAN_SHOW_FORMATION, SGE_PtrParam("Line"),
                    SGE_PtrParam(&order));
  };
  ASSERT_EQ(show(), 1);
  time.Advance(300);
  ASSERT_EQ(show(), 1);
  EXPECT_EQ(Markers().size(), 3u);
  time.Advance(300);
  EXPECT_EQ(Markers().size(), 3u) << "the second order's nodes last their own half second";
  time.Advance(250);
  EXPECT_TRUE(Markers().empty());
  EXPECT_EQ(man()->pFormNodeTimer, nullptr);
}

TEST_F(FormNodeTest, TheNodeTimerClearsTheNodesAndStopsOnlyForItsOwnTick) {
  LineAtTheWall();
  ASSERT_EQ(Show(), 1);
  EXPECT_EQ(vnFORMNODE_OnTimer(man(), task(), man()->pFrameTimer), 0);
  EXPECT_EQ(Markers().size(), 3u);
  EXPECT_EQ(vnFORMNODE_OnTimer(man(), task(), man()->pFormNodeTimer), 1);
  EXPECT_TRUE(Markers().empty());
  EXPECT_EQ(man()->pFormNodeTimer, nullptr);
}

TEST_F(FormNodeTest, PlacingPutsTheLeaderAtThePointAndEveryUnitAtItsSpotWithoutNodes) {
  LineAtTheWall();
  const SPW_VECTOR point = {55.0f, 55.0f, 0.0f};
  // Facing +x is a quarter turn anticlockwise from the Line's (0, -1): +10 x becomes +10 y.
  const SPW_VECTOR eastward = {1.0f, 0.0f, 0.0f};
  ASSERT_EQ(vnFORMNODE_PlaceFormation(man(), task(), "Line", 0, &point, &eastward), 1);
  EXPECT_FLOAT_EQ(leader->vPos.x, 55.0f);
  const Sent* l = LastSent(leader, SGM_UNIT_SET_POSITION_FACING);
  const Sent* e = LastSent(east, SGM_UNIT_SET_POSITION_FACING);
  ASSERT_NE(l, nullptr);
  ASSERT_NE(e, nullptr);
  EXPECT_NEAR(l->point.x, 55.0f, 1e-4f);
  EXPECT_NEAR(e->point.x, 55.0f, 1e-4f);
  EXPECT_NEAR(e->point.y, 65.0f, 1e-4f);
  EXPECT_NEAR(e->facing.x, 1.0f, 1e-5f);
  EXPECT_TRUE(Markers().empty());
  EXPECT_EQ(man()->pFormNodeTimer, nullptr);
}

struct MoveCase {
  const char* name;
  bool referenceSelected;
  float refX, refY;  // the reference point the offsets are taken from
};

class MoveGroupTest : public FormationWorld, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(MoveGroupTest, OffsetsAreTakenFromTheSelectedReferenceElseFromTheCentre) {
  const MoveCase& c = GetParam();
  VNUNIT* a = Soldier({10.0f, 10.0f, 0.0f});
  VNUNIT* b = Soldier({20.0f, 10.0f, 0.0f});
  VNUNIT* d = Soldier({30.0f, 16.0f, 0.0f});
  VNUNIT* outsider = Soldier({70.0f, 70.0f, 0.0f});
  for (VNUNIT* u : {a, b, d}) Select(u);
  VNUNIT* reference = c.referenceSelected ? a : outsider;
  const SPW_VECTOR target = {50.0f, 50.0f, 0.0f};
  ASSERT_EQ(vnFORMNODE_MoveGroup(man(), task(), &target, reference, SGM_UNIT_BOUNCE_TO_POINT), 1)
      << c.name;
  for (VNUNIT* u : {a, b, d}) {
    const Sent* s = LastSent(u, SGM_UNIT_BOUNCE_TO_POINT);
    ASSERT_NE(s, nullptr) << c.name;
    EXPECT_NEAR(s->point.x, 50.0f + u->vPos.x - c.refX, 1e-3f) << c.name << " unit " << u->dwId;
    EXPECT_NEAR(s->point.y, 50.0f + u->vPos.y - c.refY, 1e-3f) << c.name << " unit " << u->dwId;
  }
  EXPECT_EQ(LastSent(outsider, SGM_UNIT_BOUNCE_TO_POINT), nullptr);
  EXPECT_NE(man()->pFormNodeTimer, nullptr);
}

INSTANTIATE_TEST_SUITE_P(References, MoveGroupTest,
                         ::testing::Values(MoveCase{"selected reference", true, 10.0f, 10.0f},
                                           MoveCase{"unselected reference", false, 20.0f, 12.0f}),
                         [](const auto& info) {
                           return info.param.referenceSelected ? "Selected" : "Unselected";
                         });

TEST_F(FormationWorld, AGroupMoveShowsMarkersOnlyForUnitsWithAnObjectTurnedLikeIt) {
  VNUNIT* a = Soldier({25.0f, 25.0f, 0.0f});
  VNUNIT* b = Soldier({15.0f, 25.0f, 0.0f});
  Select(a);
  Select(b);
  SPW_TRANSFORM t = {{25.0f, 25.0f, 0.0f}, {0.0f, 0.0f, 0.7071068f, 0.7071068f}, 1.0f};
  SPW_DOBJECT* model = SPW_CreateDynamicObject(world->scene(), Slot(0), nullptr, 0, &t, 0);
  ASSERT_NE(model, nullptr);
  objects[a->dwId] = model;
  // Reference b: a is sent 10 m east of the point, past the wall; b to the point itself.
  const SPW_VECTOR target = {25.0f, 25.0f, 0.0f};
  ASSERT_EQ(vnFORMNODE_MoveGroup(man(), task(), &target, b, SGM_UNIT_GOTO_POINT), 1);
  const Sent* s = LastSent(a, SGM_UNIT_GOTO_POINT);
  ASSERT_NE(s, nullptr);
  EXPECT_NEAR(s->point.x, kWallX, 0.01f);
  const std::vector<SPW_DOBJECT*> markers = Markers();
  ASSERT_EQ(markers.size(), 1u) << "b answers no object";
  EXPECT_EQ(markers[0]->nType, Slot(VNFORMNODE_SECOND_PAIR + VNFORMNODE_STOPPED));
  EXPECT_FLOAT_EQ(markers[0]->t.vPos.x, 35.0f) << "the marker shows the wanted spot";
  EXPECT_FLOAT_EQ(markers[0]->t.qRot.z, model->t.qRot.z);
  SPW_DestroyDynamicObject(model);
}

TEST_F(FormationWorld, TheDemoTreeMarkerModelsAreFourDistinctTypes) {
  for (int32_t i = 0; i < VNUNITMAN_FORMATION_MARKERS; ++i) {
    ASSERT_GE(Slot(i), 0) << VNFORMNODE_MARKER_FILES[i];
    for (int32_t j = 0; j < i; ++j) EXPECT_NE(Slot(i), Slot(j));
  }
}

}  // namespace
}  // namespace formtest
