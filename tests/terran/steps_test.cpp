// Footstep sound ids by soldier tier and surface, and their timing.
#include <gtest/gtest.h>

#include "effects/effectclass.h"
#include "engine/scene/scene.h"
#include "engine/sprite/sprite.h"
#include "terran/terunit.h"
#include "tests/terran/soldier_fixture.h"
#include "world/combat/combat.h"
#include "world/unittype/unittype.h"

namespace vnterran {
namespace {

struct STEPCASE {
  const char* name;
  int32_t type;
  int32_t state;
  int32_t surface;
  int32_t side;
  int32_t id;
};

TEST(TerunitSteps, TheSoundOfAStepFollowsTierSurfaceGaitAndSide) {
  const int32_t kRun = VN_TERUNIT_LOWER_RUNNING, kWalk = VN_TERUNIT_LOWER_STEALTHWALK;
  const int32_t zr = VN_UNIT_TYPE_TERRAN_ZR_0, t0 = VN_UNIT_TYPE_SUIT_BRAKKAR_0,
                t1 = VN_UNIT_TYPE_SUIT_SCOUT_1, t2 = VN_UNIT_TYPE_SUIT_COMMAND_2;
  const STEPCASE cases[] = {
      {"foot run on ground", zr, kRun, 0, 0, 415},
      {"foot walk on ground, right", zr, kWalk, 0, 1, 418},
      {"foot run on kind 1 sounds as kind 0", zr, kRun, 1, 0, 415},
      {"foot run on dust", zr, kRun, 2, 1, 420},
      {"foot run on a bridge", zr, kRun, 3, 0, 423},
      {"foot walk on a structure", zr, kWalk, 4, 0, 429},
      {"foot run on kind 5", zr, kRun, 5, 0, 431},
      {"foot run on kind 6 sounds as kind 5", zr, kRun, 6, 0, 431},
      {"foot run on kind 7 sounds as kind 6 would", zr, kRun, 7, 1, 436},
      {"foot run on kind 8 sounds as kind 0", zr, kRun, 8, 0, 415},
      {"foot run on a negative kind", zr, kRun, -1, 0, 415},
      {"tier-0 suit on ground", t0, kRun, 0, 1, 440},
      {"tier-0 suit walking the same", t0, kWalk, 0, 1, 440},
      {"tier-0 suit on kind 7", t0, kRun, 7, 0, 451},
      {"engineer steps as a tier-0 suit", VN_UNIT_TYPE_TERRAN_COMBATENG, kRun, 3, 0, 443},
      {"tier-1 suit on kinds 0-3", t1, kRun, 3, 1, 454},
      {"tier-1 suit on a structure", t1, kWalk, 4, 0, 455},
      {"tier-1 suit on kind 7", t1, kRun, 7, 1, 462},
      {"tier-2 suit run on ground", t2, kRun, 0, 0, 463},
      {"tier-2 suit walk on kind 6", t2, kWalk, 6, 1, 486},
  };
  for (const STEPCASE& c : cases)
    EXPECT_EQ(vnTERUNIT_StepSound(c.type, c.state, c.surface, c.side), c.id) << c.name;
}

class StepTimingTest : public SoldierTest {
 protected:
  void SetUp() override { Start(FirstSet({0})); }
};

TEST_F(StepTimingTest, AStepSoundsEachIntervalAndTheSidesAlternate) {
  struct TIMING {
    const char* name;
    int32_t state;
    int32_t frames;  // 0.12 s frames until a step
  };
  clock.Set(0.12f);
  const TIMING timings[] = {{"running", VN_TERUNIT_LOWER_RUNNING, 5},
                            {"walking", VN_TERUNIT_LOWER_STEALTHWALK, 9},
                            {"standing", VN_TERUNIT_LOWER_IDLE, 0}};
  for (const TIMING& t : timings) {
    record->lowerState = t.state;
    record->stepTimer = 0.0f;
    record->stepSide = 0;
    int32_t frames = 0;
    while (record->stepSide == 0 && frames < 20) {
      vnTERUNIT_PlaySteps(record, 0);
      ++frames;
    }
    if (t.frames == 0) {
      EXPECT_EQ(record->stepSide, 0) << t.name;
    } else {
      EXPECT_EQ(frames, t.frames) << t.name;
      EXPECT_EQ(record->stepTimer, 0.0f) << t.name;
    }
  }
}

TEST_F(StepTimingTest, OnlyAStepOnDustRaisesAPuff) {
  SPW_InitSprites();
  ASSERT_EQ(vnSPRITEDEFS_Register(), 1);
  SGE_TASK* classes = SGE_CreateTask(VNTT_SPRITEDEFS, nullptr, nullptr, 0, 0);
  ASSERT_NE(classes, nullptr);
  clock.Set(0.6f);  // every frame a step
  record->lowerState = VN_TERUNIT_LOWER_RUNNING;
  for (const int32_t surface : {0, 3, 2}) {
    vnCOMBAT_SetDefaultStructureKind(surface);
    const int32_t before = SGE_ListCount(&w.scene()->sprites);
    const int32_t side = record->stepSide;
    vnTERUNIT_PlaySteps(record, 0);
    ASSERT_NE(record->stepSide, side) << surface;
    EXPECT_EQ(SGE_ListCount(&w.scene()->sprites) - before, surface == 2 ? 1 : 0) << surface;
  }
  vnCOMBAT_SetDefaultStructureKind(-1);  // the mission's ground again
  SGE_Send(classes, SGM_TASK_DESTROY, 0, 0);
}

}  // namespace
}  // namespace vnterran
