// End-of-animation transitions, called directly and through the engine's animation pass.
#include <gtest/gtest.h>

#include <functional>

#include "engine/scenepass/scenepass.h"
#include "terran/terunit.h"
#include "tests/terran/soldier_fixture.h"
#include "world/mover/mover.h"
#include "world/unitman/unitman.h"

namespace vnterran {
namespace {

std::vector<std::string> EverySlot() {
  std::vector<int32_t> slots;
  for (int32_t s = 0; s < VNTERUNIT_SET_SLOTS; ++s) slots.push_back(s);
  return FirstSet(slots);
}

class AnimEndTest : public SoldierTest {
 protected:
  void SetUp() override { Start(EverySlot()); }

  // A fresh idle soldier standing still, both halves locked on the turrethold pose.
  void Reset() {
    record->lowerState = record->upperState = VN_TERUNIT_LOWER_IDLE;
    record->prevLowerState = record->prevUpperState = VN_TERUNIT_LOWER_IDLE;
    record->lowerLocked = record->upperLocked = 1;
    record->lowerAnim = record->upperAnim = AnimOf(VNTERUNIT_SLOT_TURRETHOLD);
    record->engagementMode = VNTERUNIT_ENGAGE_NORMAL;
    record->idleTime = 0.0f;
    record->idlePeriods = 0;
    record->sinceShot = 1.0f;
    record->subState = 0;
    record->stateFlags = 0;
    record->trackPrevStates = 0;
    record->bounceStarted = 0;
    record->bounceTime = 3.0f;
    unit->pMove->dwFlags &= ~(VNMOVER_F_LIFTED | VNMOVER_F_WITHDRAWN);
    vnUNIT_SetAttrFloat(unit, VN_ATTR_HEALTH, 100.0f);
  }
  bool Both(int32_t slot) const {
    return record->lowerAnim == AnimOf(slot) && record->upperAnim == AnimOf(slot);
  }
  bool BothStates(int32_t state) const {
    return record->lowerState == state && record->upperState == state;
  }
  bool Unchanged() const { return Both(VNTERUNIT_SLOT_TURRETHOLD); }
  bool Unlocked() const { return !record->lowerLocked && !record->upperLocked; }
};

struct ENDCASE {
  const char* name;
  std::function<void(VNTERUNIT*)> before;
  int32_t ended;  // name index
  std::function<bool()> expect;
};

TEST_F(AnimEndTest, EachEndedAnimationMovesTheStatesOn) {
  VNTERUNIT* r = record;
  const ENDCASE cases[] = {
      {"a hit ends in idle", [](VNTERUNIT* r) { r->lowerState = r->upperState = 6; },
       VNTERUNIT_SLOT_BODYHITF,
       [&] { return BothStates(1) && Unlocked() && r->trackPrevStates == 1 && Unchanged(); }},
      {"a hit of the second hold set too", [](VNTERUNIT* r) { r->lowerState = r->upperState = 6; },
       VNTERUNIT_SET_SLOTS + VNTERUNIT_SLOT_KNOCKEDOVERB, [&] { return BothStates(1); }},
      {"a hit while possessed goes back to possession",
       [](VNTERUNIT* r) {
         r->lowerState = r->upperState = 7;
         r->prevLowerState = 15;
         r->subState = 2;
       },
       VNTERUNIT_SLOT_KNOCKEDOVERF, [&] { return BothStates(15) && r->subState == 0; }},
      {"a hit while dying shows the death", [](VNTERUNIT* r) { r->lowerState = r->upperState = 8; },
       VNTERUNIT_SLOT_BODYHITB,
       [&] { return BothStates(8) && Both(VNTERUNIT_SLOT_DEATH1); }},
      {"a death ends twitching and marks the body",
       [](VNTERUNIT* r) { r->lowerState = r->upperState = 8; }, VNTERUNIT_SLOT_DEATH2,
       [&] {
         const uint32_t marks = VNMOVER_F_LIFTED | VNMOVER_F_WITHDRAWN;
         return BothStates(9) && Both(VNTERUNIT_SLOT_DEATH2TWITCH) &&
                (unit->pMove->dwFlags & marks) == marks;
       }},
      {"a twitch only restarts", [](VNTERUNIT* r) { r->lowerState = r->upperState = 9; },
       VNTERUNIT_SLOT_DEATH1TWITCH, [&] { return BothStates(9) && Unchanged(); }},
      {"the third idle period relaxes",
       [](VNTERUNIT* r) {
         r->idlePeriods = 2;
         r->idleTime = 6.0f;
       },
       VNTERUNIT_SLOT_IDLE_BREATH,
       [&] { return r->idlePeriods == 3 && Both(VNTERUNIT_SLOT_GOTORELAXED); }},
      {"past the third period the idle restarts", [](VNTERUNIT* r) { r->idlePeriods = 4; },
       VNTERUNIT_SLOT_IDLE_BREATH, [&] { return Unchanged() && r->idlePeriods == 4; }},
      {"an early idle picks another idle",
       [](VNTERUNIT* r) { r->idleTime = 1.0f; }, VNTERUNIT_SLOT_IDLE_LKRIGHT,
       [&] {
         return r->idlePeriods == 0 && !Both(VNTERUNIT_SLOT_IDLE_LKRIGHT) &&
                (Both(0) || Both(1) || Both(3));
       }},
      {"an idle in stealth only restarts, unlocked",
       [](VNTERUNIT* r) { r->engagementMode = VNTERUNIT_ENGAGE_STEALTH; },
       VNTERUNIT_SLOT_IDLE_LKAROUND, [&] { return Unchanged() && Unlocked(); }},
      {"a stealth look picks another stealth look",
       [](VNTERUNIT* r) { r->engagementMode = VNTERUNIT_ENGAGE_STEALTH; },
       VNTERUNIT_SLOT_STEALTHLKLEFT,
       [&] { return Both(21) || Both(22) || Both(23); }},
      {"a stealth look out of stealth restarts",
       [](VNTERUNIT*) {}, VNTERUNIT_SLOT_STEALTHLKLEFT, [&] { return Unchanged() && Unlocked(); }},
      {"relaxing leads to the relaxed breath", [](VNTERUNIT*) {}, VNTERUNIT_SLOT_GOTORELAXED,
       [&] { return Both(VNTERUNIT_SLOT_RELAXEDBREATH); }},
      {"relaxing in stealth restarts",
       [](VNTERUNIT* r) { r->engagementMode = VNTERUNIT_ENGAGE_STEALTH; },
       VNTERUNIT_SLOT_RELAXEDSCRATCH, [&] { return Unchanged() && Unlocked(); }},
      {"an infantry soldier's relaxed breath keeps breathing", [](VNTERUNIT*) {},
       VNTERUNIT_SLOT_RELAXEDBREATH, [&] { return Both(VNTERUNIT_SLOT_RELAXEDBREATH); }},
      {"celebrating ends in idle", [](VNTERUNIT* r) { r->lowerState = r->upperState = 17; },
       VNTERUNIT_SLOT_CELEBRATE, [&] { return BothStates(1) && Unlocked() && Both(0); }},
      {"going possessed loops possessed", [](VNTERUNIT*) {}, VNTERUNIT_SLOT_GOTOPOSSESSED,
       [&] { return r->subState == 1 && Both(VNTERUNIT_SLOT_POSSESSED) && Unlocked(); }},
      {"out of possession", [](VNTERUNIT*) {}, VNTERUNIT_SLOT_OUTOFPOSSESSED,
       [&] { return r->subState == 3 && Both(0); }},
      {"the take-off starts the flight",
       [](VNTERUNIT* r) { r->lowerState = r->upperState = 10; }, VNTERUNIT_SLOT_BOUNCE_TAKEOFF,
       [&] {
         return r->bounceStarted == 1 && r->bounceTime == 0.0f && BothStates(11) &&
                Both(VNTERUNIT_SLOT_BOUNCE_FLY) && Unlocked();
       }},
      {"a hit in flight falls while airborne",
       [](VNTERUNIT* r) { r->stateFlags = VNTERUNIT_SF_AIRBORNE; }, VNTERUNIT_SLOT_BOUNCE_FLYHIT,
       [&] { return Both(VNTERUNIT_SLOT_BOUNCE_FALLING); }},
      {"a hit in flight hits the ground otherwise", [](VNTERUNIT*) {},
       VNTERUNIT_SLOT_BOUNCE_FLYHIT, [&] { return Both(VNTERUNIT_SLOT_BOUNCE_HITGROUND); }},
      {"falling goes on while airborne",
       [](VNTERUNIT* r) { r->stateFlags = VNTERUNIT_SF_AIRBORNE; }, VNTERUNIT_SLOT_BOUNCE_FALLING,
       [&] { return Unchanged(); }},
      {"falling ends on the ground", [](VNTERUNIT*) {}, VNTERUNIT_SLOT_BOUNCE_FALLING,
       [&] { return Both(VNTERUNIT_SLOT_BOUNCE_HITGROUND); }},
      {"a living soldier gets up", [](VNTERUNIT* r) { r->lowerState = r->upperState = 14; },
       VNTERUNIT_SLOT_BOUNCE_HITGROUND,
       [&] { return BothStates(1) && Both(0) && r->lowerLocked == 0; }},
      {"a dead one stays down",
       [this](VNTERUNIT* r) {
         r->lowerState = r->upperState = 14;
         vnUNIT_SetAttrFloat(unit, VN_ATTR_HEALTH, 0.0f);
       },
       VNTERUNIT_SLOT_BOUNCE_HITGROUND, [&] { return BothStates(9); }},
      {"landing ends in idle", [](VNTERUNIT* r) { r->lowerState = r->upperState = 12; },
       VNTERUNIT_SLOT_BOUNCE_LAND, [&] { return BothStates(1) && Both(0); }},
      {"a salute ends in idle", [](VNTERUNIT* r) { r->lowerState = r->upperState = 23; },
       VNTERUNIT_SLOT_SALUTE, [&] { return BothStates(1) && Both(0); }},
      {"fire holds while the shot is fresh",
       [](VNTERUNIT* r) {
         r->sinceShot = 0.1f;
         r->upperState = VN_TERUNIT_UPPER_FIRING;
       },
       VNTERUNIT_SLOT_FIRE1, [&] { return r->lowerLocked == 1 && r->upperLocked == 1; }},
      {"fire lets go once the shot is old", [](VNTERUNIT*) {}, VNTERUNIT_SLOT_FIRE2,
       [&] { return Unlocked() && Unchanged(); }},
      {"a weapon change frees the torso", [](VNTERUNIT*) {}, VNTERUNIT_SLOT_CHANGEWEAPON,
       [&] { return r->upperLocked == 0 && r->lowerLocked == 1; }},
      {"walking back frees the legs", [](VNTERUNIT*) {}, VNTERUNIT_SLOT_WALKBACK,
       [&] { return r->lowerLocked == 0 && r->upperLocked == 1; }},
      {"anything else only unlocks", [](VNTERUNIT*) {}, VNTERUNIT_SLOT_COMMUNICATE,
       [&] { return Unlocked() && Unchanged(); }},
      {"an index past the table is ignored", [](VNTERUNIT*) {}, VNTERUNIT_ANIM_NAMES,
       [&] { return Unchanged() && r->lowerLocked == 1; }},
  };
  for (const ENDCASE& c : cases) {
    Reset();
    c.before(record);
    vnTERUNIT_AnimationEnded(record, c.ended);
    EXPECT_TRUE(c.expect()) << c.name;
  }
}

TEST_F(AnimEndTest, AHitAnimationPlayedToItsEndReturnsTheSoldierToIdle) {
  Reset();
  record->lowerLocked = record->upperLocked = 0;
  record->settleTimer = 1.0f;
  unit->pMove->vPrevPos = unit->pMove->vPos;
  record->lowerState = record->upperState = VN_TERUNIT_LOWER_TAKINGDAMAGE;
  record->hitSide = 1;
  vnTERUNIT_ApplyAnimation(unit->pController, record->model, record);
  ASSERT_TRUE(Both(VNTERUNIT_SLOT_BODYHITF));
  ASSERT_EQ(record->lowerLocked, 1);
  SPW_SetAnimationTime(record->model, AnimOf(VNTERUNIT_SLOT_BODYHITF), 0.0f);
  SPW_SetAnimationFlags(record->model, AnimOf(VNTERUNIT_SLOT_BODYHITF), SPW_ANIM_ONCE_FLAGS);
  for (int32_t frame = 0; frame < 5 && record->lowerState != VN_TERUNIT_LOWER_IDLE; ++frame) {
    SPW_AnimateObjects(record->model);
    SPW_EventPass();
  }
  EXPECT_TRUE(BothStates(VN_TERUNIT_LOWER_IDLE));
  EXPECT_TRUE(Unlocked());
}

TEST_F(AnimEndTest, TheEndOfAReplacedModelsAnimationIsIgnored) {
  Reset();
  record->lowerState = record->upperState = VN_TERUNIT_LOWER_TAKINGDAMAGE;
  const int32_t hit = AnimOf(VNTERUNIT_SLOT_BODYHITF);
  SPW_DOBJECT* old = record->model;
  SPW_SetAnimationTime(old, hit, 0.0f);
  SPW_SetAnimationFlags(old, hit, SPW_ANIM_ONCE_FLAGS);
  SPW_PlayAnimation(old, hit, -1, nullptr, 0, SPW_ANIM_ONCE_FLAGS, 1.0f);
  const SPW_TRANSFORM at{unit->vPos, {0.0f, 0.0f, 1.0f, 0.0f}, 1.0f};
  record->model = SPW_CreateDynamicObject(w.scene(), old->nType, nullptr, 0, &at, 0);
  for (int32_t frame = 0; frame < 5; ++frame) {
    SPW_AnimateObjects(old);
    SPW_EventPass();
  }
  EXPECT_TRUE(BothStates(VN_TERUNIT_LOWER_TAKINGDAMAGE));
  SPW_DestroyDynamicObject(old);
}

}  // namespace
}  // namespace vnterran
