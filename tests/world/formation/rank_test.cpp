// Rank programs: building ranks from units, placing them, switching shapes and the platoon's
// programs.
#include <cmath>

#include "frontend/platman.h"
#include "tests/world/formation/formation_fixture.h"

namespace formtest {
namespace {

constexpr SPW_VECTOR kEast = {1.0f, 0.0f, 0.0f};

class RankTest : public FormationWorld {
 protected:
  VNRANK_PROGRAM* Rank() { return vnRANK_Find(task(), VNRANK_PLAYER_RANK); }
  VNRANK_PROGRAM* Prog(const char* name) { return vnRANK_Find(task(), name); }
  // The selection, then "Prog_0" rebuilt from it.
  void SelectOnly(std::initializer_list<VNUNIT*> units) {
    SGE_Send(task(), SGM_UNITMAN_CLEAR_SELECTION, 0, 0);
    for (VNUNIT* u : units) Select(u);
    ASSERT_EQ(vnRANK_Reset(task()), 1);
  }
  static std::vector<uint32_t> Ids(const VNRANK_PROGRAM* p) {
    std::vector<uint32_t> ids;
    for (int32_t i = 0; i < p->nCount; ++i)
      ids.push_back(static_cast<uint32_t>(p->pSlots[i].nUnitId));
    return ids;
  }
};

TEST_F(RankTest, ABuiltRankLeadsWithTheLowestRankAndTurnsItsHeadingOntoTheFrame) {
  // The leader faces east; the other stands 5 m to its right (south).
  VNUNIT* leader = Soldier({20.0f, 20.0f, 0.0f}, 1, kEast);
  VNUNIT* other = Soldier({20.0f, 15.0f, 0.0f}, 4, kEast);
  VNUNIT* units[] = {other, leader};
  VNRANK_PROGRAM* p = Prog("Prog_1");
  ASSERT_EQ(vnRANK_Build(task(), p, units, 2), 1);
  ASSERT_EQ(p->nCount, 2);
  EXPECT_EQ(p->pSlots[0].pUnit, leader);
  EXPECT_NEAR(p->pSlots[1].vOffset.x, 5.0f, 1e-5f) << "right of a leader facing +y";
  EXPECT_NEAR(p->pSlots[1].vOffset.y, 0.0f, 1e-5f);
  EXPECT_NEAR(p->pSlots[0].vFacing.y, 1.0f, 1e-5f);
  EXPECT_EQ(p->bDirSet, 1);
  EXPECT_NEAR(p->vDir.x, -1.0f, 1e-5f) << "the stored direction is the opposite of the heading";
  EXPECT_FLOAT_EQ(p->fScale, 1.0f);

  // The unit picked in the HUD leads whatever its rank.
  vnHUD_SetSelectedUnitID(other->dwId);
  ASSERT_EQ(vnRANK_Build(task(), p, units, 2), 1);
  EXPECT_EQ(p->pSlots[0].pUnit, other);
}

TEST_F(RankTest, ALeaderStandingStillWithNoHeadingLeavesTheRankAsItWas) {
  VNUNIT* a = Soldier({20.0f, 20.0f, 0.0f}, 1);
  VNUNIT* b = Soldier({25.0f, 20.0f, 0.0f}, 2);
  VNRANK_PROGRAM* p = Prog("Prog_1");
  VNUNIT* both[] = {a, b};
  ASSERT_EQ(vnRANK_Build(task(), p, both, 2), 1);
  a->pMove->vHeading = {0.0f, 0.0f, 0.7f};  // nothing left in the ground plane
  VNUNIT* one[] = {a};
  EXPECT_EQ(vnRANK_Build(task(), p, one, 1), 0);
  EXPECT_EQ(p->nCount, 2);
  EXPECT_EQ(p->pSlots[1].pUnit, b);
}

TEST_F(RankTest, ProgramsHoldAtMostFortyUnits) {
  std::vector<VNUNIT*> units;
  for (int32_t i = 0; i < VNRANK_MAX_SLOTS + 5; ++i)
    units.push_back(Soldier(
        {5.0f + static_cast<float>(i % 9) * 8.0f, 5.0f + static_cast<float>(i / 9) * 8.0f, 0.0f}));
  VNRANK_PROGRAM* p = Prog("Prog_2");
  ASSERT_EQ(vnRANK_Build(task(), p, units.data(), static_cast<int32_t>(units.size())), 1);
  EXPECT_EQ(p->nCount, VNRANK_MAX_SLOTS);
  for (VNUNIT* u : units) Select(u);
  ASSERT_EQ(vnRANK_Reset(task()), 1);
  EXPECT_EQ(Rank()->nCount, VNRANK_MAX_SLOTS);
}

TEST_F(RankTest, ASelectionChangeRebuildsTheRankAndClearsItsSource) {
  VNUNIT* a = Soldier({20.0f, 20.0f, 0.0f});
  VNUNIT* b = Soldier({25.0f, 20.0f, 0.0f});
  VNUNIT* c = Soldier({40.0f, 40.0f, 0.0f});
  SelectOnly({a, b});
  EXPECT_EQ(Ids(Rank()), (std::vector<uint32_t>{a->dwId, b->dwId}));
  Rank()->pSource = Prog("Line");
  SelectOnly({c});
  EXPECT_EQ(Ids(Rank()), (std::vector<uint32_t>{c->dwId}));
  EXPECT_EQ(Rank()->pSource, nullptr);
}

TEST_F(RankTest, DeadOrVanishedUnitsDropOutAtTheNextRefresh) {
  VNUNIT* a = Soldier({20.0f, 20.0f, 0.0f});
  VNUNIT* b = Soldier({25.0f, 20.0f, 0.0f});
  VNUNIT* c = Soldier({30.0f, 20.0f, 0.0f});
  SelectOnly({a, b, c});
  dead[b->dwId] = true;
  world->Destroy(c);
  vnRANK_Refresh(task(), Rank(), 0);
  vnRANK_Compact(Rank());
  EXPECT_EQ(Ids(Rank()), (std::vector<uint32_t>{a->dwId}));
}

TEST_F(RankTest, MovingWithNoDirectionUsesTheLeadersHeadingAndStoresIt) {
  VNUNIT* leader = Soldier({20.0f, 20.0f, 0.0f}, 1, kEast);
  VNUNIT* other = Soldier({20.0f, 15.0f, 0.0f}, 2, kEast);
  SelectOnly({leader, other});
  Rank()->bDirSet = 0;
  const SPW_VECTOR point = {50.0f, 50.0f, 0.0f};
  ASSERT_EQ(vnRANK_MoveTo(task(), SGM_UNIT_GOTO_POINT, &point, nullptr, nullptr, 1, 0), 1);
  // Facing east the rank keeps its shape: the other stays 5 m to the leader's right (south).
  const Sent* l = LastSent(leader, SGM_UNIT_GOTO_POINT);
  const Sent* o = LastSent(other, SGM_UNIT_GOTO_POINT);
  ASSERT_NE(l, nullptr);
  ASSERT_NE(o, nullptr);
  EXPECT_NEAR(l->point.x, 50.0f, 1e-4f);
  EXPECT_NEAR(o->point.x, 50.0f, 1e-4f);
  EXPECT_NEAR(o->point.y, 45.0f, 1e-4f);
  EXPECT_EQ(Rank()->bDirSet, 1);
  EXPECT_NEAR(Rank()->vDir.x, -1.0f, 1e-5f);
  EXPECT_NEAR(vnRANK_GetMarkedPoint().x, 50.0f, 1e-4f);
}

TEST_F(RankTest, TurningTheRankRoundIsAHalfTurnNotNoTurn) {
  VNUNIT* leader = Soldier({20.0f, 20.0f, 0.0f}, 1);
  VNUNIT* other = Soldier({25.0f, 20.0f, 0.0f}, 2);
  SelectOnly({leader, other});
  const SPW_VECTOR point = {50.0f, 50.0f, 0.0f};
  const SPW_VECTOR back = {0.0f, 1.0f, 0.0f};  // the opposite of the stored (0, -1, 0)
  ASSERT_EQ(vnRANK_MoveTo(task(), SGM_UNIT_GOTO_POINT, &point, &back, nullptr, 1, 0), 1);
  const Sent* o = LastSent(other, SGM_UNIT_GOTO_POINT);
  ASSERT_NE(o, nullptr);
  EXPECT_NEAR(o->point.x, 45.0f, 1e-4f) << "the unit on the right ends on the left";
  EXPECT_NEAR(o->facing.y, 0.0f, 1e-5f);
}

TEST_F(RankTest, ASlotBehindAWallStopsThereUnderAStoppedMarker) {
  VNUNIT* leader = Soldier({20.0f, 20.0f, 0.0f}, 1);
  VNUNIT* other = Soldier({28.0f, 20.0f, 0.0f}, 2);
  SelectOnly({leader, other});
  const SPW_VECTOR point = {25.0f, 25.0f, 0.0f};
  ASSERT_EQ(vnRANK_MoveTo(task(), SGM_UNIT_GOTO_POINT, &point, nullptr, nullptr, 1, 0), 1);
  const Sent* o = LastSent(other, SGM_UNIT_GOTO_POINT);
  ASSERT_NE(o, nullptr);
  EXPECT_LT(o->point.x, kWallX - kRadius + 0.01f) << "the disc stops its radius short";
  ASSERT_EQ(Markers().size(), 2u);
  SPW_DOBJECT* stopped = MarkerAt(o->point.x, o->point.y);
  EXPECT_EQ(stopped->nType, Slot(VNFORMNODE_SECOND_PAIR + VNFORMNODE_STOPPED));
  EXPECT_FLOAT_EQ(stopped->t.vPos.z, o->point.z + 0.3f);
  EXPECT_EQ(MarkerAt(25.0f, 25.0f)->nType, Slot(VNFORMNODE_SECOND_PAIR + VNFORMNODE_REACHED));
  // A second move takes the nodes over instead of adding to them.
  const SPW_VECTOR west = {10.0f, 25.0f, 0.0f};
  ASSERT_EQ(vnRANK_MoveTo(task(), SGM_UNIT_GOTO_POINT, &west, nullptr, nullptr, 1, 0), 1);
  EXPECT_EQ(Markers().size(), 2u);
  for (SPW_DOBJECT* m : Markers())
    EXPECT_EQ(m->nType, Slot(VNFORMNODE_SECOND_PAIR + VNFORMNODE_REACHED));
}

struct BounceCase {
  const char* name;
  int32_t secondAnswer;
  size_t asked;
  bool firstTwoJump;
  bool lastJumps;
};

class BounceTest : public RankTest, public ::testing::WithParamInterface<BounceCase> {};

// Three jumpers in leader order; the second one's answer decides.
TEST_P(BounceTest, JumpersAreAskedInTurnAndJumpOnlyWhenNoneRefused) {
  const BounceCase& c = GetParam();
  VNUNIT* first = Soldier({20.0f, 20.0f, 0.0f}, 1);
  VNUNIT* second = Soldier({15.0f, 20.0f, 0.0f}, 2);
  VNUNIT* last = Soldier({10.0f, 20.0f, 0.0f}, 3);
  SelectOnly({first, second, last});
  bounceAnswer[second->dwId] = c.secondAnswer;
  const SPW_VECTOR point = {50.0f, 50.0f, 0.0f};
  vnRANK_MoveTo(task(), SGM_UNIT_BOUNCE_TO_POINT, &point, nullptr, nullptr, 1, 0);
  EXPECT_EQ(world->EventsOf(SGM_UNIT_BOUNCE_CHECK).size(), c.asked) << c.name;
  EXPECT_EQ(LastSent(first, SGM_UNIT_BOUNCE_TO_POINT) != nullptr, c.firstTwoJump) << c.name;
  EXPECT_EQ(LastSent(second, SGM_UNIT_BOUNCE_TO_POINT) != nullptr, c.firstTwoJump) << c.name;
  EXPECT_EQ(LastSent(last, SGM_UNIT_BOUNCE_TO_POINT) != nullptr, c.lastJumps) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Answers, BounceTest,
                         ::testing::Values(BounceCase{"go", 0, 3, true, true},
                                           BounceCase{"refuse", 1, 2, false, false},
                                           BounceCase{"go and end", 2, 2, true, false}),
                         [](const auto& info) { return std::to_string(info.param.secondAnswer); });

TEST_F(RankTest, ChangingToAFormationOfTheSameUnitsRealignsItInPlace) {
  VNUNIT* a = Soldier({20.0f, 20.0f, 0.0f}, 1);
  VNUNIT* b = Soldier({25.0f, 20.0f, 0.0f}, 2);
  SelectOnly({a, b});
  ASSERT_EQ(vnRANK_Store(task(), "Prog_7"), 1);
  // The units wander off; the stored rank still holds them.
  world->Place(b, {40.0f, 60.0f, 0.0f});
  b->pMove->vPos = {40.0f, 60.0f, 0.0f};
  sent.clear();
  ASSERT_EQ(vnRANK_ChangeFormation(task(), "Prog_7"), 1);
  const Sent* s = LastSent(b, SGM_UNIT_GOTO_POINT);
  ASSERT_NE(s, nullptr) << "aligned at the leader";
  EXPECT_NEAR(s->point.x, 25.0f, 1e-4f);
  EXPECT_NEAR(s->point.y, 20.0f, 1e-4f);
  EXPECT_EQ(Rank()->pSource, Prog("Prog_7"));
  EXPECT_TRUE(Selected(a) && Selected(b));
}

TEST_F(RankTest, ChangingToAFormationOfOtherUnitsCopiesItAndSelectsThem) {
  VNUNIT* a = Soldier({20.0f, 20.0f, 0.0f}, 1);
  VNUNIT* b = Soldier({25.0f, 20.0f, 0.0f}, 2);
  VNUNIT* c = Soldier({60.0f, 60.0f, 0.0f}, 1);
  SelectOnly({c});
  ASSERT_EQ(vnRANK_Store(task(), "Prog_8"), 1);
  SelectOnly({a, b});
  sent.clear();
  ASSERT_EQ(vnRANK_ChangeFormation(task(), "Prog_8"), 1);
  EXPECT_EQ(Ids(Rank()), (std::vector<uint32_t>{c->dwId}));
  EXPECT_TRUE(Selected(c));
  EXPECT_FALSE(Selected(a) || Selected(b));
  EXPECT_TRUE(sent.empty()) << "nobody is sent anywhere";
  EXPECT_EQ(Rank()->pSource, Prog("Prog_8"));
}

TEST_F(RankTest, ApplyingAShapeRedoesTheLeadersWalkInIt) {
  VNUNIT* leader = Soldier({20.0f, 20.0f, 0.0f}, 1);
  VNUNIT* other = Soldier({22.0f, 20.0f, 0.0f}, 2);
  SelectOnly({leader, other});
  world->SetHook([&](VNUNIT* u, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) -> SGE_RESULT {
    if (msg == SGM_UNIT_GET_ORDER && u == leader) {
      *SGE_ParamPtr<VNRANK_ORDER>(p1) = {VNRANK_ORDER_WALK, {50.0f, 50.0f, 0.0f}};
      return 1;
    }
    return Hook(u, msg, p1, p2);
  });
  ASSERT_EQ(vnRANK_ApplyFormation(task(), "Line"), 1);
  // The Line's second slot is 10 m along +x, turned by the stored (0, -1, 0): none.
  const Sent* o = LastSent(other, SGM_UNIT_GOTO_POINT);
  ASSERT_NE(o, nullptr);
  EXPECT_NEAR(o->point.x, 60.0f, 1e-4f);
  EXPECT_NEAR(o->point.y, 50.0f, 1e-4f);
}

TEST_F(RankTest, TheProgramsOfAPlatoonHoldItsLiveFieldedSoldiers) {
  VNPLATOON platoon{};
  VNPLATOON_UNIT roster[VNPLATOON_SLOTS]{};
  std::vector<VNUNIT*> soldiers;
  for (int32_t i = 0; i < VNPLATOON_FIELDED; ++i) {
    const int32_t slot = VNPLATOON_FIRST_FIELDED + i;
    VNUNIT* u = Soldier(
        {5.0f + static_cast<float>(i % 7) * 10.0f, 5.0f + static_cast<float>(i / 7) * 10.0f, 0.0f});
    soldiers.push_back(u);
    roster[slot].nRosterId = static_cast<int32_t>(u->dwId);
    platoon.apUnits[slot] = &roster[slot];
  }
  dead[soldiers[1]->dwId] = true;  // slot 37
  platoon.apUnits[55] = nullptr;   // the second specialist stayed home
  ASSERT_EQ(vnRANK_SelectProgram(task(), &platoon), 1);
  EXPECT_EQ(Prog("Prog_1")->nCount, 6) << "five of squad one and specialist 54";
  EXPECT_EQ(Prog("Prog_2")->nCount, 6);
  EXPECT_EQ(Prog("Prog_3")->nCount, 7);
  EXPECT_EQ(Prog("Prog_4")->nCount, 1);
  EXPECT_EQ(Prog("Prog_5")->nCount, 0);
  EXPECT_EQ(Prog("Prog_6")->nCount, 1);
  EXPECT_EQ(Rank()->nCount, VNPLATOON_FIELDED - 2);
}

TEST_F(RankTest, StoringAndLinkingCarryTheDirectionBothWays) {
  VNUNIT* a = Soldier({20.0f, 20.0f, 0.0f}, 1, kEast);
  SelectOnly({a});
  ASSERT_EQ(vnRANK_Store(task(), "Prog_9"), 1);
  EXPECT_EQ(Prog("Prog_9")->bDirSet, 1);
  EXPECT_NEAR(Prog("Prog_9")->vDir.x, -1.0f, 1e-5f);
  Rank()->bDirSet = 0;
  ASSERT_EQ(vnRANK_Store(task(), "Prog_9"), 1);
  EXPECT_EQ(Prog("Prog_9")->bDirSet, 0);

  // Moving a linked rank writes its direction into the source; unlinking writes it back.
  vnRANK_Link(Rank(), Prog("Prog_9"));
  const SPW_VECTOR point = {50.0f, 50.0f, 0.0f};
  const SPW_VECTOR dir = {0.0f, 1.0f, 0.0f};
  const float scale = 2.0f;
  ASSERT_EQ(vnRANK_MoveTo(task(), SGM_UNIT_GOTO_POINT, &point, &dir, &scale, 1, 0), 1);
  EXPECT_EQ(Prog("Prog_9")->bDirSet, 1);
  EXPECT_FLOAT_EQ(Prog("Prog_9")->vDir.y, 1.0f);
  EXPECT_FLOAT_EQ(Prog("Prog_9")->fScale, 2.0f);
  Rank()->vDir = {1.0f, 0.0f, 0.0f};
  vnRANK_Unlink(Rank(), nullptr);
  EXPECT_FLOAT_EQ(Prog("Prog_9")->vDir.x, 1.0f);
  EXPECT_EQ(Rank()->pSource, nullptr);
}

TEST_F(RankTest, AligningWithoutAStoredDirectionTracesTheLeadersHeading) {
  VNUNIT* a = Soldier({20.0f, 20.0f, 0.0f}, 1, kEast);
  SelectOnly({a});
  Rank()->bDirSet = 0;
  vntest::TraceCapture trace;
  ASSERT_EQ(vnRANK_Align(task(), Rank(), SGM_UNIT_GOTO_POINT, 1.5f, 1), 1);
  EXPECT_TRUE(trace.contains("Aligning [Prog_0], no direction set (using (1.000000,0.000000))"));
  EXPECT_FLOAT_EQ(Rank()->vDir.x, 1.0f) << "stored as the heading, not its opposite";
  EXPECT_FLOAT_EQ(Rank()->fScale, 1.5f);
}

}  // namespace
}  // namespace formtest
