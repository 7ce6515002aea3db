// The per-frame pass: sighting, the unit update, and units ended while the pass walks them.
#include <gtest/gtest.h>

#include <algorithm>

#include "editor/aiedit.h"
#include "engine/kernel/tasktypes.h"
#include "tests/world/support/testworld.h"

namespace {

constexpr int32_t kSoldier = VN_UNIT_TYPE_TERRAN_ZR_0;       // class 200
constexpr int32_t kRifle = VN_UNIT_TYPE_WEAPON_SMARTRIFLE_0;  // class 160
constexpr int32_t kBug = VN_UNIT_TYPE_BUG_WARRIOR;            // class 146
constexpr uint32_t kSeeing = VNUNIT_F_OBSERVER | VNUNIT_F_OBSERVABLE;

class FrameTest : public ::testing::Test {
 protected:
  void Start(std::vector<VNWRITE_UNITATTR> rows) {
    world.WriteAttrs(rows);
    world.RegisterRecorder(VNTT_TERRAN_INFANTRY);
    world.RegisterRecorder(VNTT_WEAPON_SMARTRIFLE);
    world.RegisterRecorder(VNTT_BUG_WARRIOR);
    ASSERT_TRUE(world.Start());
  }
  VNUNIT* At(int32_t type, uint32_t player, SPW_VECTOR pos) {
    VNUNIT* u = world.Create(type, player, pos);
    EXPECT_NE(u, nullptr);
    if (u) world.Place(u, pos);
    return u;
  }
  // The units that received the message this frame, in order.
  std::vector<uint32_t> Receivers(int32_t msg) const {
    std::vector<uint32_t> ids;
    for (const vnworld::Event& e : world.EventsOf(msg)) ids.push_back(e.unitId);
    return ids;
  }
  vnworld::TestWorld world;
};

TEST_F(FrameTest, SuppressedSightingMarksOwnSideButNoEnemy) {
  Start({vnworld::Row(kSoldier, kSeeing, {}, 0.5f, 50.0f), vnworld::Row(kBug, VNUNIT_F_OBSERVABLE, {}, 1.0f)});
  VNUNIT* soldier = At(kSoldier, world.Human(), {50, 50, 0});
  VNUNIT* friendUnit = At(kSoldier, world.Human(), {60, 50, 0});
  VNUNIT* bug = At(kBug, world.Computer(), {50, 60, 0});
  VNUNIT* far = At(kBug, world.Computer(), {50, 120, 0});  // 70 away: beyond 50 + 1
  struct Case {
    int32_t suppressed;
    uint32_t bugSeenBy;
  };
  for (const Case c : {Case{0, world.Human()}, Case{1, 0u}}) {
    const int32_t old = vnUNITMAN_SetSightingSuppressed(c.suppressed);
    world.RunFrames(1);
    vnUNITMAN_SetSightingSuppressed(old);
    EXPECT_EQ(bug->dwSeenBy, c.bugSeenBy) << "suppressed " << c.suppressed;
    EXPECT_EQ(friendUnit->dwSeenBy, world.Human()) << "suppressed " << c.suppressed;
    EXPECT_EQ(soldier->dwSeenBy, world.Human()) << "an observer sees itself";
    EXPECT_EQ(far->dwSeenBy, 0u);
    const std::vector<VNUNIT*> list(soldier->ppSighted, soldier->ppSighted + soldier->nSighted);
    EXPECT_EQ(std::count(list.begin(), list.end(), bug), c.suppressed ? 0 : 1);
    EXPECT_EQ(std::count(list.begin(), list.end(), friendUnit), 1);
  }
}

TEST_F(FrameTest, TheEditorDisplayFreezesSightingAndUpdates) {
  Start({vnworld::Row(kSoldier, kSeeing | VNUNIT_F_UPDATE, {}, 0.5f, 50.0f)});
  VNUNIT* a = At(kSoldier, world.Human(), {50, 50, 0});
  VNUNIT* b = At(kSoldier, world.Computer(), {55, 50, 0});
  world.RunFrames(1);
  ASSERT_EQ(b->dwSeenBy, world.Human() | world.Computer());
  const int32_t sighted = a->nSighted;
  world.Place(b, {150, 150, 0});
  world.ClearEvents();
  vnAIEDIT_SetDisplayOn(1);
  world.RunFrames(2);
  vnAIEDIT_SetDisplayOn(0);
  EXPECT_TRUE(world.EventsOf(SGM_UNIT_UPDATE).empty());
  EXPECT_EQ(b->dwSeenBy, world.Human() | world.Computer());
  EXPECT_EQ(a->nSighted, sighted);
  world.RunFrames(1);
  EXPECT_EQ(b->dwSeenBy, world.Computer());
  EXPECT_EQ(Receivers(SGM_UNIT_UPDATE).size(), 2u);
}

TEST_F(FrameTest, UpdateVisitsChildListsInOrderAndANonZeroAnswerSkipsChildren) {
  Start({vnworld::Row(kSoldier, VNUNIT_F_UPDATE, {kRifle}), vnworld::Row(kRifle, VNUNIT_F_WEAPON | VNUNIT_F_UPDATE)});
  VNUNIT* a = world.Create(kSoldier, world.Human());
  VNUNIT* b = world.Create(kSoldier, world.Human());
  const uint32_t rifleA = a->dwId + 1;
  world.SetHook([b](VNUNIT* u, int32_t msg, SGE_PARAM, SGE_PARAM) {
    return msg == SGM_UNIT_UPDATE && u == b ? 1 : -1;
  });
  world.RunFrames(1);
  EXPECT_EQ(Receivers(SGM_UNIT_UPDATE), (std::vector<uint32_t>{a->dwId, rifleA, b->dwId}));
  world.ClearEvents();
  world.SetHook(nullptr);
  SGE_Send(world.manager(), SGM_UNITMAN_SET_RUN, 0, 0);
  world.RunFrames(1);
  EXPECT_TRUE(world.EventsOf(SGM_UNIT_UPDATE).empty()) << "mode bit 0 clear: units do not run";
}

// A controller may end its own unit or another during its update; the walk goes on with the
// units that are left, each updated once.
TEST_F(FrameTest, UnitsEndedDuringTheirUpdateLeaveTheWalkIntact) {
  Start({vnworld::Row(kSoldier, VNUNIT_F_UPDATE, {kRifle}), vnworld::Row(kRifle, VNUNIT_F_WEAPON | VNUNIT_F_UPDATE)});
  struct Case {
    const char* name;
    int32_t killer;  // index of the unit whose update ends a unit
    int32_t victim;
  };
  for (const Case c : {Case{"itself", 0, 0}, Case{"the next unit", 0, 1}, Case{"the one before", 1, 0},
                       Case{"the last unit", 1, 2}}) {
    vnworld::TestWorld& w = world;
    std::vector<VNUNIT*> units;
    for (int i = 0; i < 3; ++i) units.push_back(w.Create(kSoldier, w.Human()));
    std::vector<uint32_t> ids;
    for (VNUNIT* u : units) ids.push_back(u->dwId);
    const int32_t freeBefore = SGE_ListCount(&w.state()->freeUnits);
    bool done = false;
    SGE_TASK* manager = w.manager();
    VNUNIT* killer = units[static_cast<size_t>(c.killer)];
    VNUNIT* victim = units[static_cast<size_t>(c.victim)];
    w.SetHook([&](VNUNIT* u, int32_t msg, SGE_PARAM, SGE_PARAM) {
      if (msg != SGM_UNIT_UPDATE || u != killer || done) return -1;
      done = true;
      SGE_Send(manager, SGM_UNITMAN_DESTROY_UNIT, SGE_PtrParam(victim), 0);
      return 0;
    });
    w.ClearEvents();
    w.RunFrames(1);
    std::vector<uint32_t> expected;
    for (int i = 0; i < 3; ++i) {
      // A victim is updated with its rifle before the killer, alone when it is the killer.
      if (i == c.victim && i > c.killer) continue;
      expected.push_back(ids[static_cast<size_t>(i)]);
      if (i != c.victim || i < c.killer) expected.push_back(ids[static_cast<size_t>(i)] + 1);
    }
    EXPECT_EQ(Receivers(SGM_UNIT_UPDATE), expected) << c.name;
    EXPECT_EQ(SGE_ListCount(&w.state()->freeUnits), freeBefore + 2) << c.name;
    w.SetHook(nullptr);
    w.RunFrames(1);  // and the next frame walks the rest
    SGE_Send(manager, SGM_UNITMAN_DESTROY_ALL, 0, 0);
    EXPECT_EQ(SGE_ListCount(&w.state()->freeUnits), w.state()->nUnits) << c.name;
  }
}

TEST_F(FrameTest, AWeaponEndingItsParentStopsTheParentsChildren) {
  Start({vnworld::Row(kSoldier, VNUNIT_F_UPDATE, {kRifle, kRifle}), vnworld::Row(kRifle, VNUNIT_F_WEAPON | VNUNIT_F_UPDATE)});
  VNUNIT* soldier = world.Create(kSoldier, world.Human());
  VNUNIT* next = world.Create(kSoldier, world.Human());
  const uint32_t firstRifle = soldier->dwId + 1, nextId = next->dwId;
  SGE_TASK* manager = world.manager();
  world.SetHook([&](VNUNIT* u, int32_t msg, SGE_PARAM, SGE_PARAM) {
    if (msg != SGM_UNIT_UPDATE || u->dwId != firstRifle) return -1;
    SGE_Send(manager, SGM_UNITMAN_DESTROY_UNIT, SGE_PtrParam(u->pParent), 0);
    return 0;
  });
  world.RunFrames(1);
  EXPECT_EQ(Receivers(SGM_UNIT_UPDATE),
            (std::vector<uint32_t>{firstRifle - 1, firstRifle, nextId, nextId + 1, nextId + 2}));
}

TEST_F(FrameTest, AnObserversListHoldsAHundredButEverySightingMarksTheUnit) {
  Start({vnworld::Row(kSoldier, kSeeing, {}, 0.5f, 50.0f), vnworld::Row(kBug, VNUNIT_F_OBSERVABLE, {}, 0.5f)});
  VNUNIT* observer = At(kSoldier, world.Human(), {80, 80, 0});
  std::vector<VNUNIT*> bugs;
  for (int i = 0; i < 120; ++i)
    bugs.push_back(At(kBug, world.Computer(), {60.0f + static_cast<float>(i % 12) * 3, 60.0f + static_cast<float>(i / 12) * 3, 0}));
  world.RunFrames(1);
  EXPECT_EQ(observer->nSighted, VNUNITMAN_SIGHT_PER_UNIT);
  EXPECT_EQ(world.state()->nSightCount, VNUNITMAN_SIGHT_PER_UNIT);
  for (const VNUNIT* bug : bugs) EXPECT_EQ(bug->dwSeenBy, world.Human());
}

TEST_F(FrameTest, AReportedPositionMovesTheUnitInTheGrid) {
  Start({vnworld::Row(kSoldier, kSeeing | VNUNIT_F_POSITION, {}, 0.5f, 5.0f),
         vnworld::Row(kBug, VNUNIT_F_OBSERVABLE, {}, 0.5f)});
  VNUNIT* walker = At(kSoldier, world.Human(), {20, 20, 0});
  VNUNIT* bug = At(kBug, world.Computer(), {100, 100, 0});
  SPW_VECTOR next{99, 100, 0};
  world.SetHook([&](VNUNIT* u, int32_t msg, SGE_PARAM, SGE_PARAM) {
    return msg == SGM_UNIT_FRAME_POSITION && u == walker ? SGE_PtrResult(&next) : -1;
  });
  world.RunFrames(1);  // sighting runs before the move
  EXPECT_EQ(bug->dwSeenBy, 0u);
  EXPECT_FLOAT_EQ(walker->vPos.x, 99.0f);
  world.RunFrames(1);
  EXPECT_EQ(bug->dwSeenBy, world.Human());
}

}  // namespace
