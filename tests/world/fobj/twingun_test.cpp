// Twin guns: the arc within which a target is taken, manning, and a manned gun engaging the
// nearest enemy within its arc.
#include <cmath>

#include "engine/scene/scene.h"
#include "tests/world/fobj/play_fixture.h"
#include "world/fobj/twingun.h"

namespace playtest {
namespace {

constexpr int32_t kSoldier = VN_UNIT_TYPE_TERRAN_ZR_0;
constexpr uint32_t kGunFlags = VNUNIT_F_WEAPON | VNUNIT_F_NODAMAGE_STAMP | VNUNIT_F_UPDATE;
constexpr uint32_t kSoldierFlags = VNUNIT_F_SOLDIER | VNUNIT_F_OBSERVABLE;
constexpr float kDegree = SPW_PI / 180.0f;

SPW_VECTOR Around(float degreesFromForward, float distance, float height) {
  // Forward is +y: the angle turns from +y towards -x.
  const float a = (90.0f + degreesFromForward) * kDegree;
  return {distance * std::cos(a), distance * std::sin(a), height};
}

TEST(TwinGunArcTest, ATargetIsTakenOnlyWithinTheArc) {
  const SPW_VECTOR forward{0, 1, 0}, at{0, 0, 0};
  const struct {
    const char* what;
    SPW_VECTOR target;
    bool taken;
  } cases[] = {
      {"straight ahead", Around(0, 20, 0), true},
      {"110 degrees to the left", Around(110, 20, 0), true},
      {"110 degrees to the right", Around(-110, 20, 0), true},
      {"125 degrees to the left", Around(125, 20, 0), false},
      {"straight behind", Around(180, 20, 0), false},
      {"ahead, climbing 30 degrees", Around(0, 20, 20 * std::tan(30 * kDegree)), true},
      {"ahead, climbing 65 degrees", Around(0, 5, 5 * std::tan(65 * kDegree)), false},
      {"ahead and below", Around(0, 20, -10), true},
      {"on the gun itself", {0, 0, 0}, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(vnTWINGUN_AcceptsTarget(forward, at, c.target), c.taken) << c.what;
}

class TwinGunTest : public PlayTest {
 protected:
  void StartGuns() {
    Start({vnworld::Row(VN_UNIT_TYPE_WEAPON_TWIN50, kGunFlags, {}, 1.0f, 60.0f, -10.0f),
           vnworld::Row(VN_UNIT_TYPE_WEAPON_TWIN80, kGunFlags, {}, 1.0f, 60.0f, -10.0f),
           vnworld::Row(kSoldier, kSoldierFlags)},
          {VNTT_TERRAN_INFANTRY});
  }
  VNUNIT* Gun(int32_t type = VN_UNIT_TYPE_WEAPON_TWIN50) {
    VNUNIT* g = Create(type, {80, 80, 0}, 0, {0, 1, 0}, w.Human());
    EXPECT_NE(g, nullptr);
    return g;
  }
  VNUNIT* Soldier(uint32_t player, SPW_VECTOR at) {
    VNUNIT* s = w.Create(kSoldier, player, at);
    EXPECT_NE(s, nullptr);
    w.Place(s, at);
    return s;
  }
  static VNTWINGUN* TwinGun(VNUNIT* u) { return Instance<VNTWINGUN>(u); }
  VNUNIT* Man(VNUNIT* gun) {
    VNUNIT* gunner = Soldier(w.Human(), {80, 78, 0});
    SGE_Send(gun->pController, SGM_TWINGUN_OCCUPY, 1, static_cast<SGE_PARAM>(gunner->dwId));
    return gunner;
  }
  int32_t Hits(const VNUNIT* u) {
    int32_t n = 0;
    for (const vnworld::Event& e : w.events()) n += e.unitId == u->dwId && e.msg == SGM_UNIT_DAMAGED;
    return n;
  }
};

TEST_F(TwinGunTest, BothKindsMakeTheirModels) {
  StartGuns();
  VNTWINGUN* t50 = TwinGun(Gun());
  VNTWINGUN* t80 = TwinGun(Gun(VN_UNIT_TYPE_WEAPON_TWIN80));
  ASSERT_NE(t50->pModel, nullptr);
  EXPECT_GE(t50->pModel->nOverrideNode, 0);
  ASSERT_NE(t80->pModel, nullptr);
  EXPECT_NE(t80->apGuns[0], nullptr);
  EXPECT_NE(t80->apGuns[1], nullptr);
}

TEST_F(TwinGunTest, ManningTellsTheGunnerWhereToSitAndLeavingWhereToGetOff) {
  StartGuns();
  VNUNIT* gun = Gun();
  VNUNIT* gunner = Man(gun);
  EXPECT_EQ(SGE_Send(gun->pController, SGM_TWINGUN_GUNNER, 0, 0), static_cast<int32_t>(gunner->dwId));
  const auto on = w.EventsOf(SGM_TWINGUN_GET_ON);
  ASSERT_EQ(on.size(), 1u);
  EXPECT_EQ(on[0].unitId, gunner->dwId);
  EXPECT_EQ(on[0].p2, static_cast<SGE_PARAM>(gun->dwId));
  SPW_VECTOR seat{};
  ASSERT_EQ(SGE_Send(gun->pController, SGM_TWINGUN_MOUNT_POINT, SGE_PtrParam(&seat), 0), 1);
  EXPECT_FLOAT_EQ(seat.z, gun->vPos.z + 0.84f);
  SGE_Send(gun->pController, SGM_TWINGUN_OCCUPY, 0, 0);
  EXPECT_EQ(SGE_Send(gun->pController, SGM_TWINGUN_GUNNER, 0, 0), 0);
  EXPECT_EQ(w.EventsOf(SGM_TWINGUN_GET_OFF).size(), 1u);
}

TEST_F(TwinGunTest, AMannedGunEngagesAnEnemyInItsArcAndNotOneBehind) {
  StartGuns();
  VNUNIT* gun = Gun();
  VNUNIT* behind = Soldier(w.Computer(), {80, 65, 0});
  RunFrames(1);
  EXPECT_EQ(TwinGun(gun)->dwTarget, 0u) << "an unmanned gun takes no target";
  Man(gun);
  RunFrames(3);
  EXPECT_EQ(TwinGun(gun)->dwTarget, 0u);
  VNUNIT* ahead = Soldier(w.Computer(), {85, 110, 0});
  RunFrames(10);
  EXPECT_EQ(TwinGun(gun)->dwTarget, ahead->dwId);
  EXPECT_GT(Hits(ahead), 0);
  EXPECT_EQ(Hits(behind), 0);
  EXPECT_NEAR(TwinGun(gun)->fYaw, std::atan2(30.0f, 5.0f) - SPW_PI / 2.0f, 0.035f);
}

TEST_F(TwinGunTest, AShotFlashesAtEachMuzzle) {
  StartGuns();
  VNUNIT* gun = Gun(VN_UNIT_TYPE_WEAPON_TWIN80);
  Man(gun);
  VNUNIT* ahead = Soldier(w.Computer(), {80, 110, 0});
  int32_t flashes = 0;
  for (int32_t i = 0; i < 20 && !flashes; ++i) {
    w.RunFrames(1);
    flashes = SGE_ListCount(&w.scene()->sprites);
  }
  EXPECT_GT(Hits(ahead), 0);
  EXPECT_EQ(flashes, 2);
}

TEST_F(TwinGunTest, AFriendIsNoTarget) {
  StartGuns();
  VNUNIT* gun = Gun();
  Man(gun);
  Soldier(w.Human(), {80, 100, 0});
  RunFrames(3);
  EXPECT_EQ(TwinGun(gun)->dwTarget, 0u);
}

TEST_F(TwinGunTest, AGunnerTurnsTheGunUpToItsLimitAndReadsItsSeatBack) {
  StartGuns();
  VNUNIT* gun = Gun();
  Man(gun);
  const SPW_VECTOR point = Around(0, 20, 0);
  const struct {
    const char* what;
    float turn;
    int32_t atLimit;
    float angle;
  } cases[] = {
      {"a small turn left", 0.3f, 0, 0.3f},
      {"back past the middle", -0.5f, 0, -0.2f},
      {"far right, stopped at 80 degrees", -2.0f, 1, -1.3962634f},
      {"left again", 1.0f, 0, -0.3962634f},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SGE_Send(gun->pController, SGM_TWINGUN_TURN, SGE_PtrParam(&c.turn),
                       SGE_PtrParam(&point)),
              c.atLimit)
        << c.what;
    float angle = 99.0f;
    ASSERT_EQ(SGE_Send(gun->pController, SGM_TWINGUN_ANGLE, SGE_PtrParam(&angle), 0), 1);
    EXPECT_NEAR(angle, c.angle, 1e-5f) << c.what;
    SPW_VECTOR seat{};
    ASSERT_EQ(SGE_Send(gun->pController, SGM_TWINGUN_SEAT_DIRECTION, SGE_PtrParam(&seat), 0), 1);
    // Forward is +y; a turn to the left (positive) swings the seat towards -x.
    EXPECT_NEAR(seat.x, -std::sin(c.angle), 1e-5f) << c.what;
    EXPECT_NEAR(seat.y, std::cos(c.angle), 1e-5f) << c.what;
  }
}

TEST_F(TwinGunTest, AGunnerWhoAimsChoosesTheTargetTheGunFiresAt) {
  StartGuns();
  VNUNIT* gun = Gun();
  Man(gun);
  VNUNIT* nearer = Soldier(w.Computer(), {80, 95, 0});
  VNUNIT* chosen = Soldier(w.Computer(), {90, 120, 0});
  const float none = 0.0f;
  SGE_Send(gun->pController, SGM_TWINGUN_TURN, SGE_PtrParam(&none), 0);
  RunFrames(5);
  EXPECT_EQ(Hits(nearer), 0) << "a gun its gunner turns looks for nothing itself";
  EXPECT_EQ(Hits(chosen), 0);
  const SPW_VECTOR aim{chosen->vPos.x, chosen->vPos.y, chosen->vPos.z + 1.0f};
  ASSERT_EQ(SGE_Send(gun->pController, SGM_TWINGUN_LOCK_ON,
                     static_cast<SGE_PARAM>(chosen->dwId), SGE_PtrParam(&aim)),
            1);
  EXPECT_NEAR(TwinGun(gun)->fYaw, std::atan2(40.0f, 10.0f) - SPW_PI / 2.0f, 1e-4f);
  RunFrames(5);
  EXPECT_GT(Hits(chosen), 0);
  EXPECT_EQ(Hits(nearer), 0);
  EXPECT_EQ(SGE_Send(gun->pController, SGM_TWINGUN_LOCK_ON, 999999, SGE_PtrParam(&aim)), 0)
      << "no lock on a unit that does not exist";
}

TEST_F(TwinGunTest, TheGunSeesOnlyPointsWithinItsArc) {
  StartGuns();
  VNUNIT* gun = Gun();
  const SPW_VECTOR ahead{80, 100, 0}, behind{80, 60, 0};
  EXPECT_EQ(SGE_Send(gun->pController, SGM_TWINGUN_CAN_SEE, SGE_PtrParam(&ahead), 0), 1);
  EXPECT_EQ(SGE_Send(gun->pController, SGM_TWINGUN_CAN_SEE, SGE_PtrParam(&behind), 0), 0);
  EXPECT_EQ(SGE_Send(gun->pController, SGM_TWINGUN_CAN_SEE, 0, 0), 0);
}

TEST_F(TwinGunTest, OnlyATwin80HasAPointToStepOnAndOffBehindIt) {
  StartGuns();
  VNUNIT* t50 = Gun();
  VNUNIT* t80 = Gun(VN_UNIT_TYPE_WEAPON_TWIN80);
  EXPECT_EQ(SGE_Ask<SPW_VECTOR>(t50->pController, SGM_TWINGUN_TWIN80_MOUNT, 1, 0), nullptr);
  EXPECT_EQ(SGE_Ask<SPW_VECTOR>(t50->pController, SGM_TWINGUN_TWIN80_EXIT, 1, 0), nullptr);
  for (int32_t msg : {SGM_TWINGUN_TWIN80_MOUNT, SGM_TWINGUN_TWIN80_EXIT}) {
    const SPW_VECTOR* p = SGE_Ask<SPW_VECTOR>(t80->pController, msg, 1, 0);
    ASSERT_NE(p, nullptr) << msg;
    EXPECT_FLOAT_EQ(p->x, t80->vPos.x) << msg;
    EXPECT_FLOAT_EQ(p->y, t80->vPos.y - 1.5f) << msg;
  }
}

TEST_F(TwinGunTest, AGunFightsForItsGunnersSideOnceHeNamesIt) {
  StartGuns();
  VNUNIT* gun = Gun();
  Man(gun);
  VNUNIT* human = Soldier(w.Human(), {80, 100, 0});
  RunFrames(3);
  EXPECT_EQ(TwinGun(gun)->dwTarget, 0u);
  SGE_Send(gun->pController, SGM_TWINGUN_SIDE, static_cast<SGE_PARAM>(w.Computer()), 0);
  RunFrames(3);
  EXPECT_EQ(TwinGun(gun)->dwTarget, human->dwId);
  SGE_Send(gun->pController, SGM_TWINGUN_OCCUPY, 0, 0);
  EXPECT_EQ(TwinGun(gun)->dwSide, 0u) << "a freed gun fights for its own side again";
}

}  // namespace
}  // namespace playtest
