// The soldier's second model: the wounded pose and its get-up, the rope, and the relaxed pose.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/dobject/dobject.h"
#include "engine/scene/scene.h"
#include "engine/scenepass/scenepass.h"
#include "missions/control/missionevents.h"
#include "missions/control/misscont.h"
#include "platform/files.h"
#include "terran/orders.h"
#include "tests/terran/protocol_fixture.h"
#include "tools/models/soldiers.h"
#include "world/unittype/unittype.h"

namespace {

using soldiertest::kSoldier;
using vnworld::Row;
using Kinds = std::vector<int32_t>;

constexpr uint32_t kTicks = 480;  // a tenth of a second per animation

class SoldierWounded : public soldiertest::SoldierTest {
 protected:
  // The soldier's model, and the wounded models named.
  void Begin(const std::vector<std::string>& woundedNames) {
    ASSERT_TRUE(PLAT_MakeDirectory(world.content().file("Export").c_str()));
    ASSERT_TRUE(PLAT_MakeDirectory(world.content().file("Export/Pows").c_str()));
    ASSERT_TRUE(vnWRITE_POW(world.content().file(soldiertest::kSoldierModel),
                            vnMODELS_Soldier("soldier", {"H1_idle_lkaround", "H1_gotorelaxed"}, kTicks)));
    // A model's object is named as its file.
    for (const std::string& name : woundedNames)
      ASSERT_TRUE(vnWRITE_POW(world.content().file("Export/Pows/" + name + ".pow"),
                              vnMODELS_Soldier(name, {"wounded", "helpMe", "getup", "pullrope"}, kTicks)));
    Start({Row(VN_UNIT_TYPE_TERRAN_ZR_0, kSoldier), Row(VN_UNIT_TYPE_TERRAN_ZR_0_FEM, kSoldier)});
    s = Spawn(VN_UNIT_TYPE_TERRAN_ZR_0, {10, 10, 0});
    ASSERT_NE(s, nullptr);
    ASSERT_NE(s->model, nullptr);
  }
  SPW_DOBJECT* Wounded() const {
    return SGE_Ask<SPW_DOBJECT>(s->unit->pController, SGM_TERUNIT_GET_WOUNDED_OBJECT, 0, 0);
  }
  static bool Shown(const SPW_DOBJECT* o) { return o && !(o->fFlags & SPW_DOBJ_HIDDEN); }
  // Runs the wounded model's animations until the get-up has ended.
  void RunGetUp() {
    for (int32_t i = 0; i < 10 && (s->modeFlags & VNTERUNIT_MF_WOUNDED); ++i) {
      SPW_AnimateObjects(Wounded());
      SPW_EventPass();
    }
  }
  VNTERUNIT* s = nullptr;
};

TEST_F(SoldierWounded, AWoundedSoldierLiesInTheSecondModelAndGetsUpIntoTheFirst) {
  Begin({"TCapMaMWounded"});
  VNORDER move = vnTERUNIT_MakeOrder(VNTERUNIT_ORDER_MOVE);
  vnORDER_Append(s->unit, &move);
  EXPECT_EQ(Wounded(), nullptr) << "loaded when first needed";
  EXPECT_EQ(Send(s, SGM_TERUNIT_SHOW_WOUNDED, 1), 1);
  SPW_DOBJECT* wounded = Wounded();
  ASSERT_NE(wounded, nullptr);
  EXPECT_NE(wounded, s->model);
  EXPECT_TRUE(Shown(wounded));
  EXPECT_FALSE(Shown(s->model));
  EXPECT_EQ(s->modeFlags & (VNTERUNIT_MF_WOUNDED | VNTERUNIT_MF_WOUNDED_ANIM),
            VNTERUNIT_MF_WOUNDED | VNTERUNIT_MF_WOUNDED_ANIM);
  EXPECT_TRUE(Orders(s).empty());
  EXPECT_EQ(Send(s, SGM_TERUNIT_SHOW_WOUNDED, 1), 1);
  EXPECT_EQ(Wounded(), wounded) << "one wounded model";

  EXPECT_EQ(Send(s, SGM_TERUNIT_SHOW_WOUNDED, 0), 1);
  EXPECT_TRUE(s->modeFlags & VNTERUNIT_MF_WOUNDED) << "still down while getting up";
  EXPECT_FALSE(s->modeFlags & VNTERUNIT_MF_WOUNDED_ANIM);
  s->lowerState = VN_TERUNIT_LOWER_PASSIVE;
  RunGetUp();
  EXPECT_FALSE(s->modeFlags & VNTERUNIT_MF_WOUNDED);
  EXPECT_TRUE(Shown(s->model));
  EXPECT_FALSE(Shown(wounded));
  EXPECT_EQ(s->lowerState, VN_TERUNIT_LOWER_IDLE);
}

TEST_F(SoldierWounded, GettingUpWakesTheSoldierAndTellsTheMissionWhenAsked) {
  constexpr int32_t kMissionController = 4;
  world.RegisterRecorder(kMissionController);
  Begin({"TCapMaMWounded"});
  SGE_TASK* mission = SGE_CreateTask(kMissionController, nullptr, nullptr, 0, 0);
  const VNMISSION_WORLD w{mission, world.scene(), nullptr};
  vnMISSCONT_SetWorld(&w);
  s->stateFlags |= VNTERUNIT_SF_REPORT_WAKING;
  ASSERT_EQ(Send(s, SGM_TERUNIT_SHOW_WOUNDED, 1), 1);
  Send(s, SGM_TERUNIT_SHOW_WOUNDED, 0);
  EXPECT_TRUE(world.EventsOf(SGM_VN_MISSCONT_EVENT_TERRAN_AWAKE).empty()) << "not up yet";
  RunGetUp();
  const auto awake = world.EventsOf(SGM_VN_MISSCONT_EVENT_TERRAN_AWAKE);
  ASSERT_EQ(awake.size(), 1u);
  EXPECT_EQ(awake[0].p1, static_cast<SGE_PARAM>(s->unit->dwId));
  vnMISSCONT_SetWorld(nullptr);
  SGE_Send(mission, SGM_TASK_DESTROY, 0, 0);
}

TEST_F(SoldierWounded, WithoutItsWoundedModelTheSoldierStaysAsItWas) {
  Begin({"TCapFeMWounded"});
  EXPECT_EQ(Send(s, SGM_TERUNIT_SHOW_WOUNDED, 1), 0) << "the male model is missing";
  EXPECT_EQ(s->modeFlags & VNTERUNIT_MF_WOUNDED, 0u);
  EXPECT_TRUE(Shown(s->model));
  EXPECT_EQ(Wounded(), nullptr);
  const SPW_VECTOR dir{0.0f, 3.0f, 0.0f};
  EXPECT_EQ(Send(s, SGM_TERUNIT_PULL_ROPE, 0, SGE_PtrParam(&dir)), 0);
  EXPECT_TRUE(Orders(s).empty());
  VNTERUNIT* woman = Spawn(VN_UNIT_TYPE_TERRAN_ZR_0_FEM, {20, 10, 0});
  ASSERT_NE(woman, nullptr);
  EXPECT_EQ(Send(woman, SGM_TERUNIT_SHOW_WOUNDED, 1), 1) << "hers is there";
}

TEST_F(SoldierWounded, TheRopeIsPulledUntilRopeModeEnds) {
  Begin({"TCapMaMWounded"});
  s->unit->dwFlags |= VNUNIT_F_SELECTABLE;
  const SPW_VECTOR dir{0.0f, 3.0f, 5.0f};
  EXPECT_EQ(Send(s, SGM_TERUNIT_PULL_ROPE, 1, SGE_PtrParam(&dir)), 0) << "p1 must be 0";
  EXPECT_TRUE(Orders(s).empty());
  EXPECT_EQ(Send(s, SGM_TERUNIT_PULL_ROPE, 0, SGE_PtrParam(&dir)), 1);
  EXPECT_EQ(Orders(s), (Kinds{VNTERUNIT_ORDER_ROPE}));
  const VNORDER* rope = vnORDER_Current(s->unit);
  const SPW_VECTOR pull = vnTERUNIT_OrderPoint(rope);
  const SPW_VECTOR back = vnTERUNIT_OrderPoint(rope, VNTERUNIT_ORDER_WORD_BACK);
  EXPECT_FLOAT_EQ(pull.y, 1.0f) << "the horizontal part, normalised";
  EXPECT_FLOAT_EQ(pull.z, 0.0f);
  EXPECT_FLOAT_EQ(back.y, -1.0f);
  EXPECT_EQ(s->lowerState, VN_TERUNIT_LOWER_PULLROPE);
  EXPECT_EQ(s->upperState, VN_TERUNIT_UPPER_PULLROPE);
  EXPECT_FALSE(s->unit->dwFlags & VNUNIT_F_SELECTABLE);
  EXPECT_TRUE(Shown(Wounded()));
  EXPECT_FALSE(Shown(s->model));
  EXPECT_EQ(Send(s, SGM_TERUNIT_PULL_ROPE, 0, SGE_PtrParam(&dir)), 1);
  EXPECT_EQ(Orders(s).size(), 1u) << "one rope order";

  EXPECT_EQ(Send(s, SGM_TERUNIT_PULL_ROPE, 0, 0), 1);
  EXPECT_TRUE(Orders(s).empty());
  EXPECT_TRUE(Shown(s->model));
  EXPECT_FALSE(Shown(Wounded()));
  EXPECT_TRUE(s->unit->dwFlags & VNUNIT_F_SELECTABLE);
  EXPECT_EQ(s->lowerState, VN_TERUNIT_LOWER_IDLE);
}

TEST_F(SoldierWounded, RelaxingPlaysTheGoToRelaxedAnimationLocked) {
  Begin({});
  Send(s, SGM_TERUNIT_RELAX);
  EXPECT_EQ(s->idlePeriods, 3);
  EXPECT_EQ(s->lowerLocked, 1);
  EXPECT_EQ(s->upperLocked, 1);
  EXPECT_EQ(s->lowerAnim, vnTERUNIT_Anim(s, VNTERUNIT_SLOT_GOTORELAXED));
  EXPECT_EQ(s->lowerAnim, 1) << "the model's second animation";
}

TEST_F(SoldierWounded, AnInvisibleSoldiersModelIsNeitherDrawnNorAnimated) {
  Begin({});
  Send(s, SGM_TERUNIT_SET_VISIBLE, 0);
  EXPECT_EQ(s->model->fFlags & (SPW_DOBJ_HIDDEN | SPW_DOBJ_NOT_ANIMATED),
            SPW_DOBJ_HIDDEN | SPW_DOBJ_NOT_ANIMATED);
  EXPECT_FALSE(s->unit->dwFlags & VNUNIT_F_FRAME_EXTRA);
  Send(s, SGM_TERUNIT_SET_VISIBLE, 1);
  EXPECT_EQ(s->model->fFlags & (SPW_DOBJ_HIDDEN | SPW_DOBJ_NOT_ANIMATED), 0u);
  EXPECT_TRUE(s->unit->dwFlags & VNUNIT_F_FRAME_EXTRA);
}

}  // namespace
