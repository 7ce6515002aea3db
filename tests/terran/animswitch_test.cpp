// The state switch: body-half states become animations on a real model at a fixed frame time.
#include <gtest/gtest.h>

#include <cmath>

#include "terran/terunit.h"
#include "tests/terran/soldier_fixture.h"
#include "world/mover/mover.h"

namespace vnterran {
namespace {

// Every slot of the first hold set but the relaxed look-around (so the fallback shows).
std::vector<std::string> AllButRelaxedLook() {
  std::vector<int32_t> slots;
  for (int32_t s = 0; s < VNTERUNIT_SET_SLOTS; ++s)
    if (s != VNTERUNIT_SLOT_RELAXEDLKARND) slots.push_back(s);
  return FirstSet(slots);
}

class AnimSwitchTest : public SoldierTest {
 protected:
  void SetUp() override { Start(AllButRelaxedLook()); }
  void Apply() { vnTERUNIT_ApplyAnimation(unit->pController, record->model, record); }
  // Standing still, past the moment after a shuffle when the torso follows the legs.
  void Settle() {
    unit->pMove->vPrevPos = unit->pMove->vPos;
    record->settleTimer = 1.0f;
  }
};

struct SWITCHCASE {
  const char* name;
  int32_t lower, upper;
  int32_t hitSide;
  float sinceShot;
  uint32_t engagement;
  int32_t subState;
  int32_t expectLower, expectUpper;  // slots, -1: the animation stays as it was
  int32_t lowerLocked, upperLocked;
  int32_t lowerStateAfter, upperStateAfter;
};

TEST_F(AnimSwitchTest, StatesChooseTheirSlotsAndLocks) {
  const int32_t kStay = -1;
  const SWITCHCASE cases[] = {
      {"idle looks around and frees the torso", 1, 1, 0, 1.0f, 1, 1, 0, 0, 1, 1, 1, 1},
      {"idle in stealth looks about stealthily", 1, 1, 0, 1.0f, 0, 1, 23, 23, 1, 1, 1, 1},
      {"idle just after a shot holds fire1", 1, 1, 0, 0.1f, 1, 1, 4, kStay, 0, 0, 1, 1},
      {"hit from the front", 6, 6, 1, 1.0f, 1, 1, 6, 6, 1, 1, 6, 6},
      {"hit from behind", 6, 6, 0, 1.0f, 1, 1, 7, 7, 1, 1, 6, 6},
      {"knocked over backwards", 7, 7, 1, 1.0f, 1, 1, 8, 8, 1, 1, 7, 7},
      {"knocked over forwards", 7, 7, 0, 1.0f, 1, 1, 9, 9, 1, 1, 7, 7},
      {"unsuited death", 8, 8, 0, 1.0f, 1, 1, 10, 10, 1, 1, 8, 8},
      {"bounce launch", 10, 10, 0, 1.0f, 1, 1, 58, 58, 1, 1, 10, 10},
      {"bounce travel", 11, 11, 0, 1.0f, 1, 1, 59, 59, 1, 1, 11, 11},
      {"bounce land", 12, 12, 0, 1.0f, 1, 1, 64, 64, 1, 1, 12, 12},
      {"bounce damage", 13, 13, 0, 1.0f, 1, 1, 62, 62, 1, 1, 13, 13},
      {"bounce splat", 14, 14, 0, 1.0f, 1, 1, 63, 63, 1, 1, 14, 14},
      {"going possessed", 15, 15, 0, 1.0f, 1, 0, 38, 38, 1, 1, 15, 15},
      {"possessed", 15, 15, 0, 1.0f, 1, 1, 39, 39, 1, 1, 15, 15},
      {"out of possession", 15, 15, 0, 1.0f, 1, 2, 40, 40, 1, 1, 15, 15},
      {"celebrate", 17, 17, 0, 1.0f, 1, 1, 33, 33, 1, 1, 17, 17},
      {"heal", 19, 19, 0, 1.0f, 1, 1, 37, 37, 0, 0, 19, 19},
      {"salute", 23, 23, 0, 1.0f, 1, 1, 68, 68, 0, 0, 23, 23},
      {"turret holds once the phase passes", 24, 24, 0, 1.0f, 1, 0, kStay, 69, 0, 0, 24, 24},
      {"turret swings left", 24, 24, 0, 1.0f, 1, 1, 66, 69, 0, 0, 24, 24},
      {"reload", 1, 26, 0, 1.0f, 1, 1, 0, 28, 1, 1, 1, 26},
      {"change weapon", 1, 27, 0, 1.0f, 1, 1, 0, 18, 1, 1, 1, 27},
      {"firing over idle legs", 1, 28, 0, 1.0f, 1, 1, 4, 4, 0, 1, 1, 28},
      {"pullrope applies nothing", 25, 25, 0, 1.0f, 1, 1, kStay, kStay, 0, 0, 25, 25},
  };
  for (const SWITCHCASE& c : cases) {
    const int32_t before = AnimOf(VNTERUNIT_SLOT_SALUTE + 1);  // turrethold: never the start
    record->lowerAnim = record->upperAnim = before;
    record->lowerState = c.lower;
    record->upperState = c.upper;
    record->lowerLocked = record->upperLocked = 0;
    record->hitSide = static_cast<int16_t>(c.hitSide);
    record->sinceShot = c.sinceShot;
    record->engagementMode = c.engagement;
    record->subState = c.subState;
    record->phaseTimer = 0.0f;
    Settle();
    Apply();
    EXPECT_EQ(record->lowerAnim, c.expectLower < 0 ? before : AnimOf(c.expectLower)) << c.name;
    EXPECT_EQ(record->upperAnim, c.expectUpper < 0 ? before : AnimOf(c.expectUpper)) << c.name;
    EXPECT_EQ(record->lowerLocked, c.lowerLocked) << c.name;
    EXPECT_EQ(record->upperLocked, c.upperLocked) << c.name;
    EXPECT_EQ(record->lowerState, c.lowerStateAfter) << c.name;
    EXPECT_EQ(record->upperState, c.upperStateAfter) << c.name;
  }
}

TEST_F(AnimSwitchTest, ALockedHalfIsLeftAloneUnlessScripted) {
  record->lowerState = record->upperState = VN_TERUNIT_LOWER_CELEBRATE;
  record->lowerLocked = record->upperLocked = 1;
  record->lowerAnim = record->upperAnim = AnimOf(VNTERUNIT_SLOT_IDLE_BREATH);
  Settle();
  Apply();
  EXPECT_EQ(record->lowerAnim, AnimOf(VNTERUNIT_SLOT_IDLE_BREATH));
  EXPECT_EQ(record->upperAnim, AnimOf(VNTERUNIT_SLOT_IDLE_BREATH));
  record->scripted = 1;
  Apply();
  EXPECT_EQ(record->lowerAnim, AnimOf(VNTERUNIT_SLOT_CELEBRATE));
  EXPECT_EQ(record->upperAnim, AnimOf(VNTERUNIT_SLOT_CELEBRATE));
}

TEST_F(AnimSwitchTest, TheFirePoseIsHeldAtSpeedZeroAndTheModelPlaysBothHalves) {
  record->upperState = VN_TERUNIT_UPPER_FIRING;
  Settle();
  Apply();
  const int32_t fire = AnimOf(VNTERUNIT_SLOT_FIRE1);
  EXPECT_EQ(record->model->pSlots[fire].fSpeed, 0.0f);
  EXPECT_EQ(record->lowerBones->ppNodes[0]->nPrimary, fire);
  EXPECT_EQ(record->upperBones->ppNodes[0]->nPrimary, fire);
}

TEST_F(AnimSwitchTest, ARunnerPlaysRunAtItsSpeedAndFallsBackToIdleOnceStopped) {
  record->lowerState = record->upperState = VN_TERUNIT_LOWER_RUNNING;
  VNMOVER_RECORD* move = unit->pMove;
  ASSERT_NE(move, nullptr);
  Settle();
  move->vPrevPos = {0.0f, 0.0f, 0.0f};
  move->vPos = {0.0f, 0.6f, 0.0f};  // 6 m/s at 0.1 s a frame
  Apply();
  const int32_t run = AnimOf(VNTERUNIT_SLOT_RUN);
  EXPECT_EQ(record->lowerAnim, run);
  EXPECT_EQ(record->upperAnim, run);
  EXPECT_FLOAT_EQ(record->model->pSlots[run].fSpeed, 6.0f * 0.167f);
  move->vPrevPos = move->vPos;  // stopped: one grace frame, then idle
  Apply();
  EXPECT_EQ(record->lowerAnim, run);
  Apply();
  EXPECT_EQ(record->lowerAnim, AnimOf(VNTERUNIT_SLOT_IDLE_LKAROUND));
}

TEST_F(AnimSwitchTest, AnIdleSoldierSlidSidewaysShuffles) {
  VNMOVER_RECORD* move = unit->pMove;
  move->vHeading = {0.0f, 1.0f, 0.0f};
  struct SLIDE {
    SPW_VECTOR d;
    int32_t slot;
  };
  const SLIDE slides[] = {{{0.0f, 0.1f, 0.0f}, VNTERUNIT_SLOT_SHUFFLE},
                          {{0.1f, 0.01f, 0.0f}, VNTERUNIT_SLOT_SHUFFLEL},
                          {{0.1f, -0.01f, 0.0f}, VNTERUNIT_SLOT_SHUFFLER}};
  for (const SLIDE& s : slides) {
    move->vPrevPos = {0.0f, 0.0f, 0.0f};
    move->vPos = s.d;
    Apply();
    EXPECT_EQ(record->lowerAnim, AnimOf(s.slot)) << s.slot;
    EXPECT_EQ(record->upperAnim, AnimOf(s.slot)) << s.slot;
    EXPECT_EQ(record->lowerLocked, 0);
  }
}

TEST_F(AnimSwitchTest, AMissingSlotFallsBackAndTheModelIsTurnedToTheHeading) {
  record->lowerState = record->upperState = VN_TERUNIT_LOWER_IDLE;
  record->animSet = 0;
  EXPECT_EQ(vnTERUNIT_Anim(record, VNTERUNIT_SLOT_RELAXEDLKARND), AnimOf(0));
  unit->pMove->vHeading = {1.0f, 0.0f, 0.0f};
  Settle();
  Apply();
  // Facing +x: atan2(-1, 0) + pi = pi/2, half of it in the rotation about z.
  EXPECT_NEAR(record->model->t.qRot.z, std::sin(SPW_PI / 4), 1e-5f);
  EXPECT_NEAR(record->model->t.qRot.w, std::cos(SPW_PI / 4), 1e-5f);
  EXPECT_FLOAT_EQ(record->model->t.vPos.x, unit->vPos.x);
}

class SuitSwitchTest : public SoldierTest {
 protected:
  void SetUp() override { Start(AllButRelaxedLook(), VN_UNIT_TYPE_SUIT_COMMAND_0); }
};

TEST_F(SuitSwitchTest, ATier0SuitKnockedHardPlaysABodyHitUnlockedAndNeverCelebrates) {
  unit->pMove->vPrevPos = unit->pMove->vPos;
  record->settleTimer = 1.0f;
  for (int32_t side : {1, 0}) {
    record->lowerState = record->upperState = VN_TERUNIT_LOWER_TAKINGMAJORDAMAGE;
    record->lowerLocked = record->upperLocked = 0;
    record->hitSide = static_cast<int16_t>(side);
    vnTERUNIT_ApplyAnimation(unit->pController, record->model, record);
    const int32_t slot = side == 1 ? VNTERUNIT_SLOT_BODYHITB : VNTERUNIT_SLOT_BODYHITF;
    EXPECT_EQ(record->lowerAnim, AnimOf(slot)) << side;
    EXPECT_EQ(record->upperAnim, AnimOf(slot)) << side;
    EXPECT_EQ(record->lowerLocked, 0);
    EXPECT_EQ(record->upperLocked, 0);
  }
  record->lowerState = record->upperState = VN_TERUNIT_LOWER_CELEBRATE;
  const int32_t before = record->lowerAnim;
  vnTERUNIT_ApplyAnimation(unit->pController, record->model, record);
  EXPECT_EQ(record->lowerAnim, before);
}

}  // namespace
}  // namespace vnterran
