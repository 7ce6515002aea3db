// Doors: opening and closing with their mirrored reversal, the path-network link they hold,
// their mission events, lethal damage when open and when closed, and the explosion's fade.
#include "engine/scene/scene.h"
#include "missions/control/missionevents.h"
#include "tests/world/fobj/play_fixture.h"
#include "world/bstar/bstar.h"
#include "world/combat/combat.h"
#include "world/fobj/dropcapsule.h"

namespace playtest {
namespace {

constexpr uint32_t kDoorFlags = VNUNIT_F_UPDATE | VNUNIT_F_OBSERVABLE;
constexpr float kFullHealth = 100.0f;
constexpr int32_t kPodDoor = 0;
constexpr int32_t kLightRifle = VN_UNIT_TYPE_WEAPON_LIGHTRIFLE_0;

class DoorTest : public PlayTest {
 protected:
  void StartDoors() {
    VNWRITE_UNITATTR rifle = vnworld::Row(kLightRifle, VNUNIT_F_WEAPON | VNUNIT_F_NODAMAGE_STAMP,
                                          {}, 0.5f, 0.0f, -30.0f);
    Start({vnworld::Row(VN_UNIT_TYPE_PE_DROPCAPSULE, kDoorFlags, {}, 2.0f, 0.0f, kFullHealth),
           rifle},
          {VNTT_WEAPON_LIGHTRIFLE});
  }
  VNUNIT* MakeDoor(int32_t kind = kPodDoor) {
    VNUNIT* u = Create(VN_UNIT_TYPE_PE_DROPCAPSULE, {20, 20, 0}, kind);
    EXPECT_NE(u, nullptr);
    return u;
  }
  static VNDOOR* Door(VNUNIT* u) { return Instance<VNDOOR>(u); }
  static float SlotTime(VNDOOR* d, int32_t anim) { return d->pModel->pSlots[anim].fTime; }
  static float Length(VNDOOR* d, int32_t anim) {
    return static_cast<float>(SPW_GetObjectType(d->pModel->nType)->pAnims[anim].dwLength);
  }
  // Lethal damage as the damage model leaves it: the health already at 0, then 537.
  static void Kill(VNUNIT* u) {
    vnUNIT_SetAttrFloat(u, VN_ATTR_HEALTH, 0.0f);
    VNDAMAGE damage{};
    damage.fHealth = -kFullHealth;
    SGE_Send(u->pController, SGM_UNIT_DAMAGED, 0, SGE_PtrParam(&damage));
  }
  // Frames until the door's explosion has played out and it fades; the frames run.
  int32_t FramesUntilFading(VNDOOR* d, int32_t limit) {
    for (int32_t i = 1; i <= limit; ++i) {
      RunFrames(1);
      if (d->dwFlags & VNDOOR_F_FADING) return i;
    }
    return -1;
  }
};

TEST_F(DoorTest, EveryKindLoadsItsModelWithBothAnimations) {
  StartDoors();
  for (int32_t kind = 0; kind < VNDOOR_KINDS; ++kind) {
    VNDOOR* d = Door(MakeDoor(kind));
    ASSERT_NE(d, nullptr);
    ASSERT_NE(d->pModel, nullptr) << kind;
    EXPECT_GE(d->nOpenAnim, 0) << kind;
    EXPECT_GE(d->nCloseAnim, 0) << kind;
    // Only the gate stays in sight.
    EXPECT_EQ((d->pUnit->dwFlags & VNUNIT_F_OBSERVABLE) != 0, kind == VNDOOR_KIND_GATE) << kind;
  }
}

TEST_F(DoorTest, AnUnknownKindLeavesTheDoorWithoutAModel) {
  StartDoors();
  VNUNIT* u = MakeDoor(VNDOOR_KINDS);
  ASSERT_NE(Door(u), nullptr);
  EXPECT_EQ(Door(u)->pModel, nullptr);
  SGE_Send(u->pController, SGM_CAPSULE_OPEN, 1, 0);
  EXPECT_EQ(SGE_Send(u->pController, SGM_CAPSULE_IS_OPEN, 0, 0), 1);
}

TEST_F(DoorTest, AnOpenDoorThatTakesLethalDamageIsBackAtFullHealth) {
  StartDoors();
  VNUNIT* u = MakeDoor();
  SGE_Send(u->pController, SGM_CAPSULE_OPEN, 0, 0);
  Kill(u);
  EXPECT_FLOAT_EQ(vnUNIT_AttrFloat(u, VN_ATTR_HEALTH), kFullHealth);
  EXPECT_EQ(SGE_Send(u->pController, SGM_UNIT_IS_DEAD, 0, 0), 0);
  EXPECT_FALSE(Door(u)->bDestroyed);
  EXPECT_TRUE(Sent(SGM_VN_FEATURE_DESTROYED).empty());
}

TEST_F(DoorTest, TheDamageModelsHitIsTakenOnce) {
  StartDoors();
  VNUNIT* u = MakeDoor();
  VNUNIT* rifle = w.Create(kLightRifle, w.Computer(), {20, 10, 0});
  ASSERT_NE(rifle, nullptr);
  vnInflictDamage(rifle, u, 10.0f, nullptr, nullptr, nullptr);
  EXPECT_FLOAT_EQ(vnUNIT_AttrFloat(u, VN_ATTR_HEALTH), kFullHealth - 30.0f);
}

TEST_F(DoorTest, AClosedDoorIsDestroyedFadesAndItsUnitGoesTwoAndAHalfSecondsAfterTheExplosion) {
  StartDoors();
  VNUNIT* u = MakeDoor();
  const uint32_t id = u->dwId;
  SGE_Send(u->pController, SGM_CAPSULE_RESET_PARTS, 0, 0);
  VNDOOR* d = Door(u);
  ASSERT_NE(d->pExplosion, nullptr);
  EXPECT_TRUE(d->pExplosion->fFlags & SPW_DOBJ_HIDDEN);
  Kill(u);

  EXPECT_EQ(u->dwPlayer, 0u);
  EXPECT_FALSE(u->dwFlags & VNUNIT_F_OBSERVABLE);
  EXPECT_TRUE(d->pModel->fFlags & SPW_DOBJ_HIDDEN);
  EXPECT_FALSE(d->pExplosion->fFlags & (SPW_DOBJ_HIDDEN | SPW_DOBJ_NOT_ANIMATED));
  EXPECT_EQ(d->pBar, nullptr);
  EXPECT_EQ(SGE_Send(u->pController, SGM_UNIT_IS_DEAD, 0, 0), 1);
  const auto reports = Sent(SGM_VN_FEATURE_DESTROYED);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].p1, static_cast<SGE_PARAM>(id));
  EXPECT_EQ(reports[0].p2, VN_UNIT_TYPE_PE_DROPCAPSULE);

  // The explosion plays at half speed: twice its length.
  const SPW_DOBJTYPE* explosion = SPW_GetObjectType(d->pExplosion->nType);
  const float seconds = 2.0f * static_cast<float>(explosion->pAnims[d->nExplosionAnim].dwLength) / 4800.0f;
  const int32_t played = FramesUntilFading(d, 100);
  ASSERT_GT(played, 0);
  EXPECT_NEAR(played * 0.1f, seconds, 0.11f);

  const SPW_COLOUR start = d->fadeColour;
  RunFrames(5);  // half a second: 80 of 100 left
  ASSERT_NE(vnUNITMAN_GetUnit(id), nullptr);
  EXPECT_NEAR(d->pExplosion->colourA.r, 0.8f * start.r, 0.5f);
  RunFrames(18);
  EXPECT_NE(vnUNITMAN_GetUnit(id), nullptr) << "gone before 2.5 s";
  RunFrames(3);
  EXPECT_EQ(vnUNITMAN_GetUnit(id), nullptr) << "still there after 2.6 s";
  EXPECT_EQ(Sent(SGM_VN_FEATURE_DESTROYED).size(), 1u);
}

TEST_F(DoorTest, LaterHitsOnADestroyedDoorReportNothingMore) {
  StartDoors();
  VNUNIT* u = MakeDoor();
  SGE_Send(u->pController, SGM_CAPSULE_RESET_PARTS, 0, 0);
  Kill(u);
  Kill(u);
  EXPECT_EQ(Sent(SGM_VN_FEATURE_DESTROYED).size(), 1u);
}

TEST_F(DoorTest, ADoorDestroyedBeforeItsPartsWereSetGoesAtOnce) {
  StartDoors();
  VNUNIT* u = MakeDoor();
  const uint32_t id = u->dwId;
  Kill(u);
  RunFrames(1);
  EXPECT_EQ(vnUNITMAN_GetUnit(id), nullptr);
  EXPECT_EQ(Sent(SGM_VN_FEATURE_DESTROYED).size(), 1u);
}

TEST_F(DoorTest, ReversingAnOpeningDoorStartsTheCloseAtTheMirroredPoint) {
  StartDoors();
  VNUNIT* u = MakeDoor();
  VNDOOR* d = Door(u);
  SGE_Send(u->pController, SGM_CAPSULE_OPEN, 1, 0);
  RunFrames(2);
  const float done = SlotTime(d, d->nOpenAnim) / Length(d, d->nOpenAnim);
  ASSERT_GT(done, 0.0f);
  ASSERT_LT(done, 1.0f);
  SGE_Send(u->pController, SGM_CAPSULE_CLOSE, 1, 0);
  EXPECT_NEAR(SlotTime(d, d->nCloseAnim), (1.0f - done) * Length(d, d->nCloseAnim), 1.0f);
  // And back again.
  RunFrames(1);
  const float closed = SlotTime(d, d->nCloseAnim) / Length(d, d->nCloseAnim);
  SGE_Send(u->pController, SGM_CAPSULE_OPEN, 1, 0);
  EXPECT_NEAR(SlotTime(d, d->nOpenAnim), (1.0f - closed) * Length(d, d->nOpenAnim), 1.0f);
}

TEST_F(DoorTest, AnOpeningThatReversesNothingStartsFromItsBeginning) {
  StartDoors();
  VNUNIT* u = MakeDoor();
  VNDOOR* d = Door(u);
  SGE_Send(u->pController, SGM_CAPSULE_OPEN, 1, 0);
  EXPECT_FLOAT_EQ(SlotTime(d, d->nOpenAnim), 0.0f);
}

TEST_F(DoorTest, MissionEventsComeInOrderWithTheEndOfEachAnimation) {
  StartDoors();
  VNUNIT* u = MakeDoor();
  const auto id = static_cast<SGE_PARAM>(u->dwId);
  SGE_Send(u->pController, SGM_CAPSULE_OPEN, 1, 0);
  EXPECT_TRUE(Sent(SGM_VN_MISSCONT_EVENT_DOOR_DONE).empty()) << "reported before the end";
  RunFrames(12);  // the doors' animations last half a second
  SGE_Send(u->pController, SGM_CAPSULE_CLOSE, 1, 0);
  RunFrames(12);
  std::vector<std::pair<int32_t, SGE_PARAM>> got;
  for (const vnworld::Event& e : w.events())
    if (e.msg == SGM_VN_MISSCONT_EVENT_DOOR_DONE || e.msg == SGM_VN_MISSCONT_EVENT_DOOR_CLOSING) {
      EXPECT_EQ(e.p1, id);
      got.emplace_back(e.msg, e.msg == SGM_VN_MISSCONT_EVENT_DOOR_DONE ? e.p2 : -1);
    }
  const std::vector<std::pair<int32_t, SGE_PARAM>> want = {
      {SGM_VN_MISSCONT_EVENT_DOOR_DONE, 1},
      {SGM_VN_MISSCONT_EVENT_DOOR_CLOSING, -1},
      {SGM_VN_MISSCONT_EVENT_DOOR_DONE, 0}};
  EXPECT_EQ(got, want);
}

TEST_F(DoorTest, AClosingDoorShutsItsLinkAtOnceAndTheEndOfOpeningFreesIt) {
  w.WriteNetwork(vnWRITE_BstarGrid(2, 1, 10.0f, 0.0f));
  StartDoors();
  BSTAR_Link* link = BSTAR_FindLink(BSTAR_FindNodeById(w.network(), 0),
                                    BSTAR_FindNodeById(w.network(), 1));
  ASSERT_NE(link, nullptr);
  VNUNIT* u = MakeDoor();
  SGE_Send(u->pController, SGM_CAPSULE_SET_LINK, SGE_PtrParam(link), 0);
  SGE_Send(u->pController, SGM_CAPSULE_CLOSE, 1, 0);
  EXPECT_TRUE(link->dwFlags & BSTAR_LINK_DISABLED);
  RunFrames(12);
  SGE_Send(u->pController, SGM_CAPSULE_OPEN, 1, 0);
  RunFrames(2);
  EXPECT_TRUE(link->dwFlags & BSTAR_LINK_DISABLED) << "freed before the door stood open";
  RunFrames(10);
  EXPECT_FALSE(link->dwFlags & BSTAR_LINK_DISABLED);
}

TEST_F(DoorTest, TheClassQueryFollowsTheKindAndTheValue) {
  StartDoors();
  const struct {
    int32_t kind;
    SGE_PARAM value;
    int32_t answer;
  } cases[] = {{0, 0, 1}, {0, 1, 4}, {2, 1, 4}, {3, 0, 9}, {5, 1, 9}, {6, 0, 9}};
  for (const auto& c : cases) {
    VNUNIT* u = MakeDoor(c.kind);
    SGE_Send(u->pController, SGM_CAPSULE_SET_VALUE, c.value, 0);
    EXPECT_EQ(SGE_Send(u->pController, SGM_UNIT_GET_CLASS, 0, 0), c.answer)
        << "kind " << c.kind << " value " << c.value;
  }
}

TEST_F(DoorTest, TheBarHidesOnTheFirstFrameAndAHitShowsItForTenSeconds) {
  StartDoors();
  VNUNIT* u = MakeDoor();
  VNDOOR* d = Door(u);
  ASSERT_NE(d->pBar, nullptr);
  RunFrames(1);
  EXPECT_TRUE(d->pBar->data.dwFlags & VNMARKER_HIDDEN);
  vnUNIT_SetAttrFloat(u, VN_ATTR_HEALTH, 40.0f);
  SGE_Send(u->pController, SGM_UNIT_DAMAGED, 0, 0);
  RunFrames(1);
  EXPECT_FALSE(d->pBar->data.dwFlags & VNMARKER_HIDDEN);
  EXPECT_FLOAT_EQ(d->pBar->data.fLevel, 0.4f);
  RunFrames(100);
  EXPECT_TRUE(d->pBar->data.dwFlags & VNMARKER_HIDDEN);
}

TEST_F(DoorTest, APlacedDoorTakesItsPartsToTheUnitsPlace) {
  StartDoors();
  VNUNIT* u = MakeDoor();
  VNDOOR* d = Door(u);
  const SPW_TRANSFORM placed{{40, 44, 0}, {0, 0, 0.70710678f, 0.70710678f}, 1.0f};
  SGE_Send(u->pController, 3093, SGE_PtrParam(&placed), 0);
  EXPECT_FLOAT_EQ(u->vPos.x, 40.0f);
  SGE_Send(u->pController, SGM_CAPSULE_RESET_PARTS, 0, 0);
  EXPECT_FLOAT_EQ(d->pModel->t.vPos.x, 40.0f);
  EXPECT_FLOAT_EQ(d->pModel->t.vPos.y, 44.0f);
  EXPECT_FLOAT_EQ(d->pModel->t.qRot.z, placed.qRot.z);
  EXPECT_FLOAT_EQ(d->pBar->data.vPos.z, u->vPos.z + 10.0f);
  ASSERT_NE(d->pExplosion, nullptr);
  EXPECT_FLOAT_EQ(d->pExplosion->t.vPos.x, 40.0f);
  SPW_VECTOR facing{};
  SGE_Send(u->pController, SGM_UNIT_GET_FACING, SGE_PtrParam(&facing), 0);
  EXPECT_NEAR(facing.x, -1.0f, 1e-5f);
  // A second 578 keeps the one explosion.
  SPW_DOBJECT* explosion = d->pExplosion;
  SGE_Send(u->pController, SGM_CAPSULE_RESET_PARTS, 0, 0);
  EXPECT_EQ(d->pExplosion, explosion);
}

TEST_F(DoorTest, TheBarToggles) {
  StartDoors();
  VNUNIT* u = MakeDoor();
  VNDOOR* d = Door(u);
  RunFrames(1);
  SGE_Send(u->pController, SGM_CAPSULE_TOGGLE, 0, 0);
  EXPECT_FALSE(d->pBar->data.dwFlags & VNMARKER_HIDDEN);
  SGE_Send(u->pController, SGM_CAPSULE_TOGGLE, 0, 0);
  EXPECT_TRUE(d->pBar->data.dwFlags & VNMARKER_HIDDEN);
}

TEST_F(DoorTest, TheGatesLocatorIsALittleLower) {
  StartDoors();
  for (int32_t kind : {kPodDoor, VNDOOR_KIND_GATE}) {
    VNUNIT* u = MakeDoor(kind);
    SPW_VECTOR at{};
    ASSERT_EQ(SGE_Send(u->pController, SGM_UNIT_GET_LOCATOR, SGE_PtrParam(&at), 0), 1);
    EXPECT_FLOAT_EQ(at.z, u->vPos.z - (kind == VNDOOR_KIND_GATE ? 1.0f : 0.0f)) << kind;
  }
}

}  // namespace
}  // namespace playtest
