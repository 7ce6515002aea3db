// The transport: the turn animations its heading calls for, its model following the mover,
// destruction with the wreck and the shockwave, and its mission events.
#include <cmath>

#include "effects/shockwave.h"
#include "missions/control/missionevents.h"
#include "tests/world/fobj/play_fixture.h"
#include "world/fobj/transport.h"

namespace playtest {
namespace {

constexpr uint32_t kTransportFlags =
    VNUNIT_F_MOVER | VNUNIT_F_UPDATE | VNUNIT_F_POSITION | VNUNIT_F_OBSERVABLE;
constexpr float kDegree = SPW_PI / 180.0f;

SPW_VECTOR Heading(float degrees) {
  return {std::cos(degrees * kDegree), std::sin(degrees * kDegree), 0.0f};
}

TEST(TransportTurnTest, TheHeadingAndTheSampleChooseTheAnimation) {
  const struct {
    const char* what;
    float heading, sampled;
    int32_t turn;
  } cases[] = {
      {"straight along +x", 0.0f, 0.0f, VNTRANSPORT_GO},
      {"under a degree off", 0.5f, 0.0f, VNTRANSPORT_GO},
      {"+x, y growing", 5.0f, 0.0f, VNTRANSPORT_TURN_LEFT},
      {"+x, y shrinking", -5.0f, 0.0f, VNTRANSPORT_TURN_RIGHT},
      {"-x, y growing", 175.0f, 180.0f, VNTRANSPORT_TURN_RIGHT},
      {"-x, y shrinking", 185.0f, 180.0f, VNTRANSPORT_TURN_LEFT},
      {"along y, turning", 90.0f, 80.0f, -1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(vnTRANSPORT_ChooseTurn(Heading(c.heading), Heading(c.sampled)), c.turn) << c.what;
}

class TransportTest : public PlayTest {
 protected:
  TransportTest() = default;
  explicit TransportTest(const vnworld::Options& options) : PlayTest(options) {}
  VNUNIT* StartTransport(SPW_VECTOR dir) {
    Start({vnworld::Row(VN_UNIT_TYPE_VEHICLE_TRANSPORT, kTransportFlags, {}, 3.0f, 0.0f, 100.0f)});
    VNUNIT* u = Create(VN_UNIT_TYPE_VEHICLE_TRANSPORT, {30, 30, 0}, 0, dir);
    EXPECT_NE(u, nullptr);
    EXPECT_NE(u->pMove, nullptr);
    return u;
  }
  static VNTRANSPORT* Transport(VNUNIT* u) { return Instance<VNTRANSPORT>(u); }
  static int32_t Playing(VNTRANSPORT* t) { return t->pModel->pNodes[0].nPrimary; }
  static int32_t MoverCalls(uint32_t id, int32_t msg) {
    int32_t n = 0;
    for (const MoverCall& c : g_moverCalls) n += c.unitId == id && c.msg == msg;
    return n;
  }
};

TEST_F(TransportTest, HeadingAlongPlusXWithYGrowingPlaysTurnLeft) {
  VNUNIT* u = StartTransport({1, 0, 0});
  VNTRANSPORT* t = Transport(u);
  ASSERT_NE(t->pModel, nullptr);
  EXPECT_EQ(Playing(t), t->anAnims[VNTRANSPORT_GO]);
  u->pMove->vHeading = Heading(5.0f);
  RunFrames(1);
  EXPECT_EQ(t->nTurn, VNTRANSPORT_TURN_LEFT);
  EXPECT_EQ(Playing(t), t->anAnims[VNTRANSPORT_TURN_LEFT]);
}

TEST_F(TransportTest, HeadingAlongMinusXWithYGrowingPlaysTurnRight) {
  VNUNIT* u = StartTransport({-1, 0, 0});
  VNTRANSPORT* t = Transport(u);
  u->pMove->vHeading = Heading(175.0f);
  RunFrames(1);
  EXPECT_EQ(t->nTurn, VNTRANSPORT_TURN_RIGHT);
  EXPECT_EQ(Playing(t), t->anAnims[VNTRANSPORT_TURN_RIGHT]);
}

TEST_F(TransportTest, GoingStraightAgainPlaysGoOnceTheSampleCatchesUp) {
  VNUNIT* u = StartTransport({1, 0, 0});
  VNTRANSPORT* t = Transport(u);
  u->pMove->vHeading = Heading(5.0f);
  RunFrames(1);
  ASSERT_EQ(t->nTurn, VNTRANSPORT_TURN_LEFT);
  RunFrames(3);  // a sample every 0.2 s
  EXPECT_EQ(t->nTurn, VNTRANSPORT_GO);
  EXPECT_EQ(Playing(t), t->anAnims[VNTRANSPORT_GO]);
}

TEST_F(TransportTest, TheModelFollowsTheMoverAndTheMoverSteps) {
  VNUNIT* u = StartTransport({0, -1, 0});
  VNTRANSPORT* t = Transport(u);
  u->pMove->vPos = {31, 29, 0};
  RunFrames(1);
  EXPECT_FLOAT_EQ(t->pModel->t.vPos.x, 31.0f);
  EXPECT_FLOAT_EQ(t->pModel->t.vPos.y, 29.0f);
  EXPECT_FLOAT_EQ(u->vPos.x, 31.0f);
  // Heading -y is the model's own facing: no turn.
  EXPECT_NEAR(t->pModel->t.qRot.z, 0.0f, 1e-6f);
  EXPECT_EQ(MoverCalls(u->dwId, SGM_MOVER_STEP), 1);
}

TEST_F(TransportTest, DestructionStopsTheMoverLeavesAWreckAndReportsIt) {
  VNUNIT* u = StartTransport({1, 0, 0});
  VNTRANSPORT* t = Transport(u);
  EXPECT_EQ(SGE_Send(u->pController, SGM_UNIT_GET_CLASS, 0, 0), 8);
  vnUNIT_SetAttrFloat(u, VN_ATTR_HEALTH, 0.0f);
  SGE_Send(u->pController, SGM_UNIT_DAMAGED, 0, 0);

  EXPECT_EQ(MoverCalls(u->dwId, SGM_MOVER_STOP), 1);
  EXPECT_TRUE(t->pModel->fFlags & SPW_DOBJ_HIDDEN);
  const auto killed = Sent(SGM_VN_MISSCONT_EVENT_TERRAN_KILLED);
  ASSERT_EQ(killed.size(), 1u);
  EXPECT_EQ(killed[0].p1, static_cast<SGE_PARAM>(u->dwId));
  EXPECT_EQ(SGE_Send(u->pController, SGM_UNIT_IS_INVULNERABLE, 0, 0), 1);
  EXPECT_EQ(SGE_Send(u->pController, SGM_UNIT_IS_DEAD, 0, 0), 1);
  EXPECT_EQ(SGE_Send(u->pController, SGM_UNIT_GET_CLASS, 0, 0), 0);
  // The wreck follows the model in the unit's list, 0.45 above the unit.
  SGE_DLLNODE* second = SGE_ListNext(&u->list, SGE_ListFirst(&u->list));
  ASSERT_NE(second, nullptr);
  auto* wreck = static_cast<SPW_DOBJECT*>(reinterpret_cast<VNUNIT_LINKNODE*>(second)->pData);
  EXPECT_FLOAT_EQ(wreck->t.vPos.z, u->vPos.z + 0.45f);
  EXPECT_FALSE(wreck->fFlags & SPW_DOBJ_HIDDEN);
  ASSERT_NE(t->pShockwaves, nullptr);
  EXPECT_TRUE(t->pShockwaves[0].bActive);
  EXPECT_EQ(t->pShockwaves[0].wave.pOwner, u->pController);

  // A second lethal hit changes nothing, and the dead transport no longer moves its model.
  SGE_Send(u->pController, SGM_UNIT_DAMAGED, 0, 0);
  EXPECT_EQ(Sent(SGM_VN_MISSCONT_EVENT_TERRAN_KILLED).size(), 1u);
  const SPW_VECTOR before = t->pModel->t.vPos;
  u->pMove->vPos = {40, 40, 0};
  RunFrames(1);
  EXPECT_FLOAT_EQ(t->pModel->t.vPos.x, before.x);
  EXPECT_EQ(MoverCalls(u->dwId, SGM_MOVER_STEP), 0);
}

// A manager with one list node: the transport's model takes it.
vnworld::Options OneListNode() {
  vnworld::Options o = NoStandInMovers();
  o.manager.nLinkNodes = 1;
  return o;
}

class TransportWithoutNodesTest : public TransportTest {
 protected:
  TransportWithoutNodesTest() : TransportTest(OneListNode()) {}
};

TEST_F(TransportWithoutNodesTest, AWreckWithoutAListNodeGoesAgainAndNoShockwaveStarts) {
  VNUNIT* u = StartTransport({1, 0, 0});
  VNTRANSPORT* t = Transport(u);
  ASSERT_NE(t->pModel, nullptr);
  vnUNIT_SetAttrFloat(u, VN_ATTR_HEALTH, 0.0f);
  SGE_Send(u->pController, SGM_UNIT_DAMAGED, 0, 0);
  EXPECT_EQ(SGE_ListNext(&u->list, SGE_ListFirst(&u->list)), nullptr);
  ASSERT_NE(t->pShockwaves, nullptr);
  for (int32_t i = 0; i < VNTRANSPORT_SHOCKWAVES; ++i) EXPECT_FALSE(t->pShockwaves[i].bActive);
  EXPECT_EQ(Sent(SGM_VN_MISSCONT_EVENT_TERRAN_KILLED).size(), 1u);
  EXPECT_EQ(SGE_Send(u->pController, SGM_UNIT_IS_DEAD, 0, 0), 1);
}

TEST_F(TransportTest, ItReportsToTheMissionEachFrameWhileAlive) {
  VNUNIT* u = StartTransport({1, 0, 0});
  RunFrames(3);
  EXPECT_EQ(Sent(SGM_VN_MISSCONT_EVENT_PASSENGER_PICKED_UP).size(), 3u);
  vnUNIT_SetAttrFloat(u, VN_ATTR_HEALTH, 0.0f);
  SGE_Send(u->pController, SGM_UNIT_DAMAGED, 0, 0);
  RunFrames(2);
  EXPECT_EQ(Sent(SGM_VN_MISSCONT_EVENT_PASSENGER_PICKED_UP).size(), 3u);
}

TEST_F(TransportTest, ItDrivesToAPointThroughItsMover) {
  VNUNIT* u = StartTransport({1, 0, 0});
  const SPW_VECTOR to{50, 30, 0};
  SGE_Send(u->pController, 614, SGE_PtrParam(&to), 0);
  EXPECT_EQ(MoverCalls(u->dwId, SGM_MOVER_GOTO), 1);
}

TEST_F(TransportTest, AShockwaveEndsAfterItsTime) {
  VNUNIT* u = StartTransport({1, 0, 0});
  VNTRANSPORT* t = Transport(u);
  vnUNIT_SetAttrFloat(u, VN_ATTR_HEALTH, 0.0f);
  SGE_Send(u->pController, SGM_UNIT_DAMAGED, 0, 0);
  ASSERT_TRUE(t->pShockwaves[0].bActive);
  RunFrames(10);
  EXPECT_TRUE(t->pShockwaves[0].bActive);
  EXPECT_GT(t->pShockwaves[0].pRing->t.fScale, 0.0f);
  RunFrames(25);
  EXPECT_FALSE(t->pShockwaves[0].bActive);
}

}  // namespace
}  // namespace playtest
