// Event icons: added by kind, shown and hidden, attached to units, timed out and removed.
#include <gtest/gtest.h>

#include "engine/kernel/tasktypes.h"
#include "interface/eventicon/eventicon.h"
#include "missions/control/missiontasks.h"
#include "platform/clock.h"
#include "tests/world/support/tasktest.h"

namespace {

uint32_t g_clockMs = 0;
uint32_t Clock() { return g_clockMs; }

class EventIconTest : public vnworld::TaskTest {
 protected:
  void SetUp() override {
    StartTask(&vnEventIcon_Register, VNTT_EVENTICON);
  }
  void AfterTask() override { PLAT_SetClockOverride(nullptr); }
  int32_t Add(uint32_t kind, int32_t shown = 1) {
    const SPW_VECTOR at{10, 20, 0};
    return vnEventIcon_AddIcon(kind, nullptr, nullptr, &at, shown);
  }
};

TEST_F(EventIconTest, IconsOfTheEightKindsTakeNewIdsAndAnotherKindNone) {
  EXPECT_EQ(Add(0), 0);
  EXPECT_EQ(Add(VNEVENTICON_KIND_BUGS), 1);
  EXPECT_EQ(Add(VNEVENTICON_KINDS), -1);
  vnEventIcon_Remove(0);
  EXPECT_EQ(vnEventIcon_Find(0), nullptr);
  EXPECT_EQ(Add(2), 2) << "an id is never used again";
  const VNEVENTICON* icon = vnEventIcon_Find(2);
  ASSERT_NE(icon, nullptr);
  EXPECT_FLOAT_EQ(icon->vPos.y, 20.0f);
  EXPECT_FLOAT_EQ(icon->afScale[0], 1.0f);
}

TEST_F(EventIconTest, AHiddenIconIsKeptUntilShown) {
  const int32_t id = Add(1, 0);
  ASSERT_GE(id, 0);
  EXPECT_EQ(vnEventIcon_Find(id)->dwFlags & VNEVENTICON_SHOWN, 0u);
  vnEventIcon_Show(id);
  EXPECT_NE(vnEventIcon_Find(id)->dwFlags & VNEVENTICON_SHOWN, 0u);
  vnEventIcon_Hide(id);
  EXPECT_EQ(vnEventIcon_Find(id)->dwFlags & VNEVENTICON_SHOWN, 0u);
}

TEST_F(EventIconTest, RemovingByKeyTakesOnlyTheIconsAttachedToIt) {
  const int32_t a = Add(0), b = Add(1), loose = Add(2), other = Add(3);
  vnEventIcon_AttachToObject(a, 42);
  vnEventIcon_AttachToObject(b, 42);
  vnEventIcon_AttachToObject(other, 43);
  EXPECT_EQ(vnEventIcon_RemoveAttached(42), 0);
  EXPECT_EQ(vnEventIcon_Find(a), nullptr);
  EXPECT_EQ(vnEventIcon_Find(b), nullptr);
  EXPECT_NE(vnEventIcon_Find(loose), nullptr);
  EXPECT_NE(vnEventIcon_Find(other), nullptr);
}

TEST_F(EventIconTest, ATimedIconGoesAfterItsSeconds) {
  PLAT_SetClockOverride(Clock);
  g_clockMs = 100000;
  SGE_UpdateClock();
  SGE_UpdateTimers();
  const int32_t id = Add(0);
  vnEventIcon_SetTimeout(id, 2);
  EXPECT_NE(vnEventIcon_Find(id)->dwFlags & VNEVENTICON_TIMED, 0u);
  g_clockMs += 1500;
  SGE_UpdateClock();
  SGE_UpdateTimers();
  SGE_DispatchMessages();
  EXPECT_NE(vnEventIcon_Find(id), nullptr);
  g_clockMs += 600;
  SGE_UpdateClock();
  SGE_UpdateTimers();
  SGE_DispatchMessages();
  EXPECT_EQ(vnEventIcon_Find(id), nullptr);
}

TEST_F(EventIconTest, NothingWithoutTheTask) {
  SGE_Send(task, SGM_TASK_DESTROY, 0, 0);
  task = nullptr;
  EXPECT_EQ(vnMISSCONT_GetEventIconTask(), nullptr);
  EXPECT_EQ(Add(0), -1);
  vnEventIcon_Show(0);
  EXPECT_EQ(vnEventIcon_RemoveAttached(1), 0);
}

}  // namespace
