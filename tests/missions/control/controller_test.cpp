// The mission controller task: it is the mission's controller while it lives, counts the
// mission events and passes them on to the mission script.
#include <gtest/gtest.h>

#include <vector>

#include "engine/kernel/tasktypes.h"
#include "missions/control/controller.h"
#include "missions/control/misscont.h"
#include "missions/control/missionevents.h"
#include "missions/control/missiontasks.h"
#include "tests/world/support/tasktest.h"

namespace {

constexpr int32_t kScriptType = 403;  // a recorder of the mission script

struct Got {
  int32_t msg;
  SGE_PARAM p1, p2;
};
std::vector<Got> g_script;

SGE_RESULT ScriptRecorder(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  if (msg >= VNMISSCONT_FIRST_EVENT && msg < VNMISSCONT_FIRST_EVENT + VNMISSCONT_EVENTS) {
    g_script.push_back({msg, p1, p2});
    return 7;
  }
  return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
}

class ControllerTest : public vnworld::TaskTest {
 protected:
  void SetUp() override {
    g_script.clear();
    StartTask(&vnMISSCONT_Register, VNTT_MISSCONT);
  }
  void BeforeTask() override { vnMISSCONT_SetWorld(nullptr); }
  void AfterTask() override { vnMISSCONT_SetMissionTask(nullptr); }
};

TEST_F(ControllerTest, EventsAreCountedAndPassedOnToTheScript) {
  EXPECT_EQ(vnMISSCONT_GetTask(), task);
  EXPECT_EQ(vnMISSCONT_RaiseEvent(SGM_VN_MISSCONT_EVENT_TERRAN_KILLED, 12, 0), 0)
      << "without a script nothing answers";
  ASSERT_NE(SGE_RegisterTaskType(kScriptType, ScriptRecorder, 0, 0, ""), 0);
  vnMISSCONT_SetMissionTask(SGE_CreateTask(kScriptType, nullptr, nullptr, 0, 0));
  EXPECT_EQ(vnMISSCONT_RaiseEvent(SGM_VN_MISSCONT_EVENT_BUG_KILLED, 40, 146), 7);
  EXPECT_EQ(vnMISSCONT_RaiseEvent(SGM_VN_MISSCONT_EVENT_TERRAN_KILLED, 12, 0), 7);
  const struct {
    int32_t event;
    int32_t count;
  } cases[] = {{SGM_VN_MISSCONT_EVENT_TERRAN_KILLED, 2},
               {SGM_VN_MISSCONT_EVENT_BUG_KILLED, 1},
               {SGM_VN_MISSCONT_EVENT_BUGHOLE_DESTROYED, 0},
               {SGM_VN_MISSCONT_EVENT_DOOR_DONE, 0}};
  for (const auto& c : cases) EXPECT_EQ(vnMISSCONT_EventCount(c.event), c.count) << c.event;
  ASSERT_EQ(g_script.size(), 2u);
  EXPECT_EQ(g_script[0].msg, SGM_VN_MISSCONT_EVENT_BUG_KILLED);
  EXPECT_EQ(g_script[0].p2, 146);
  EXPECT_EQ(g_script[1].p1, 12);
}

TEST_F(ControllerTest, TheControllerLeavesTheMissionWhenItEnds) {
  SGE_Send(task, SGM_TASK_DESTROY, 0, 0);
  task = nullptr;
  EXPECT_EQ(vnMISSCONT_GetTask(), nullptr);
  EXPECT_EQ(vnMISSCONT_EventCount(SGM_VN_MISSCONT_EVENT_TERRAN_KILLED), 0);
}

}  // namespace
