// The HUD task as units and missions ask it, over a strike team of the test world.
#include <gtest/gtest.h>

#include "engine/kernel/tasktypes.h"
#include "frontend/platman.h"
#include "interface/hud/hud.h"
#include "interface/hud/hudtask.h"
#include "interface/hud/refresh.h"
#include "missions/control/misscont.h"
#include "tests/world/support/testworld.h"
#include "world/unitman/unitman.h"
#include "world/unittype/unittype.h"

namespace {

constexpr int32_t kSoldier = VN_UNIT_TYPE_TERRAN_ZR_0;
constexpr int32_t kSquad = 3;

class HudTask : public ::testing::Test {
 protected:
  void SetUp() override {
    w.WriteAttrs({vnworld::Row(kSoldier, VNUNIT_F_SOLDIER | VNUNIT_F_SELECTABLE)});
    w.RegisterRecorder(VNTT_TERRAN_INFANTRY);
    ASSERT_TRUE(w.Start());
    for (int32_t i = 0; i < kSquad; ++i) {
      units[i] = w.Create(kSoldier, w.Human(), {10.0f + i, 10, 0});
      ASSERT_NE(units[i], nullptr);
      soldiers[i].nRosterId = static_cast<int32_t>(units[i]->dwId);
      soldiers[i].anEquipment[0] = VN_UNIT_TYPE_TECH_NERVEGAS;
      soldiers[i].anEquipment[1] = VN_UNIT_TYPE_TECH_NERVEGAS;
      platoon.apUnits[VNPLATOON_FIRST_FIELDED + i] = &soldiers[i];
    }
    const VNMISSION_WORLD world{nullptr, w.scene(), &platoon};
    vnMISSCONT_SetWorld(&world);
    ASSERT_EQ(vnHUD_Register(), 1);
    hud = SGE_CreateTask(VNTT_HUD, nullptr, nullptr, 0, 0);
    ASSERT_NE(hud, nullptr);
  }
  void TearDown() override {
    if (vnHUD_GetObject()) SGE_Send(hud, SGM_TASK_DESTROY, 0, 0);
    vnMISSCONT_SetWorld(nullptr);
    w.Stop();
  }
  void Select(VNUNIT* u) { ASSERT_EQ(SGE_Send(w.manager(), SGM_UNITMAN_SELECT, SGE_PtrParam(u), 0), 1); }
  SGE_RESULT Ask(int32_t msg, SGE_PARAM p1 = 0, SGE_PARAM p2 = 0) { return SGE_Send(hud, msg, p1, p2); }

  vnworld::TestWorld w;
  VNPLATOON platoon{};
  VNPLATOON_UNIT soldiers[kSquad]{};
  VNUNIT* units[kSquad]{};
  SGE_TASK* hud = nullptr;
};

TEST_F(HudTask, ItEntersItselfWhileItLives) {
  EXPECT_EQ(vnHUD_GetObject(), hud);
  SGE_Send(hud, SGM_TASK_DESTROY, 0, 0);
  EXPECT_EQ(vnHUD_GetObject(), nullptr);
  EXPECT_EQ(vnHUD_GetState1846(), 0);
  vnHUD_ShowPanel();  // nothing to show it on
}

TEST_F(HudTask, TheSelectedCountFollowsTheRebuild) {
  EXPECT_EQ(vnHUD_GetState1846(), 0);
  Select(units[0]);
  Select(units[2]);
  EXPECT_EQ(vnHUD_GetState1846(), 0);  // not rebuilt yet
  vnHUD_Refresh();
  w.RunFrames(1);
  EXPECT_EQ(vnHUD_GetState1846(), 2);
}

TEST_F(HudTask, ThePlatoonLeaderIsTheFirstFieldedSoldier) {
  EXPECT_EQ(Ask(SGM_VN_HUD_LEADER_ID), static_cast<SGE_RESULT>(units[0]->dwId));
  EXPECT_EQ(Ask(SGM_VN_HUD_LEADER_SELECTED), 0);
  Select(units[0]);
  EXPECT_EQ(Ask(SGM_VN_HUD_LEADER_SELECTED), 1);
  EXPECT_EQ(Ask(SGM_VN_HUD_LEADER_FLAG2), 0);
  platoon.apUnits[VNPLATOON_FIRST_FIELDED] = nullptr;
  EXPECT_EQ(Ask(SGM_VN_HUD_LEADER_ID), 0);
  EXPECT_EQ(Ask(SGM_VN_HUD_LEADER_SELECTED), 0);
}

TEST_F(HudTask, ThePanelShowsHidesAndToggles) {
  EXPECT_EQ(Ask(SGM_VN_HUD_PANEL_SHOWN), 1);
  vnHUD_HidePanel();
  EXPECT_EQ(Ask(SGM_VN_HUD_PANEL_SHOWN), 0);
  Ask(SGM_VN_HUD_TOGGLE_PANEL);
  EXPECT_EQ(Ask(SGM_VN_HUD_PANEL_SHOWN), 1);
  vnHUD_ShowPanel();
  EXPECT_EQ(Ask(SGM_VN_HUD_PANEL_SHOWN), 1);
}

TEST_F(HudTask, ATechItemIsSpentFirstInTheFirstWordThenTheSecond) {
  const SGE_PARAM id = units[1]->dwId;
  Ask(SGM_VN_HUD_TECH_USED, id, VN_UNIT_TYPE_TECH_NERVEGAS);
  EXPECT_EQ(soldiers[1].dwFlags, VNPLATOON_UNIT_ITEM1_USED);
  Ask(SGM_VN_HUD_TECH_USED, id, VN_UNIT_TYPE_TECH_NERVEGAS);
  EXPECT_EQ(soldiers[1].dwFlags, VNPLATOON_UNIT_ITEM1_USED | VNPLATOON_UNIT_ITEM2_USED);
  Ask(SGM_VN_HUD_TECH_USED, id, VN_UNIT_TYPE_TECH_NOVABOMB);
  Ask(SGM_VN_HUD_TECH_USED, 999, VN_UNIT_TYPE_TECH_NERVEGAS);
  EXPECT_EQ(soldiers[0].dwFlags, 0u);
}

TEST_F(HudTask, APilotTakesHisSuitsPlace) {
  VNUNIT* pilot = w.Create(kSoldier, w.Human(), {20, 20, 0});
  vnHUD_SetSelectedUnitID(units[2]->dwId);
  vnHUD_ReplaceUnit(units[2]->dwId, pilot->dwId);
  EXPECT_EQ(soldiers[2].nRosterId, static_cast<int32_t>(pilot->dwId));
  EXPECT_EQ(vnHUD_GetSelectedUnitID(), pilot->dwId);
  Select(pilot);
  vnHUD_Refresh();
  w.RunFrames(1);
  EXPECT_EQ(vnHUD_GetState1846(), 1);
  vnHUD_SetSelectedUnitID(0);
}

}  // namespace
