#pragma once
// Soldiers in the headless test world at a fixed frame time of 0.1 s. The soldier class here is
// as small as a class can be: its create message makes the model (kSoldierModel, when the test
// wrote one) and sets the record up as every soldier class does, its update message runs the
// soldier's frame (the scripted one while it is dormant or scripted), its destroy message ends them, and every message ends in the common handler. Creatures are recording controllers.
//
//   class MyTest : public soldiertest::SoldierTest {};
//   TEST_F(MyTest, X) {
//     Start({vnworld::Row(VN_UNIT_TYPE_TERRAN_ZR_0, kSoldier)});
//     VNTERUNIT* s = Spawn(VN_UNIT_TYPE_TERRAN_ZR_0, {10, 10, 0});
//     EXPECT_EQ(Send(s, SGM_TERUNIT_GET_ATTACKERS), 0);
//   }
#include <gtest/gtest.h>

#include <vector>

#include "engine/dobject/dobject.h"
#include "engine/kernel/tasktypes.h"
#include "engine/object/object.h"
#include "terran/behave.h"
#include "terran/handler.h"
#include "terran/terunit.h"
#include "terran/update.h"
#include "tests/world/support/testworld.h"
#include "world/unitman/orders.h"

namespace soldiertest {

// Attribute flags of a soldier row: a soldier with a mover, updated each frame.
constexpr uint32_t kSoldier = VNUNIT_F_SOLDIER | VNUNIT_F_MOVER | VNUNIT_F_UPDATE;
constexpr float kFrame = 0.1f;
constexpr const char* kSoldierModel = "Export/Pows/soldier.pow";

inline SGE_RESULT SoldierClass(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                               SGE_PARAM p2) {
  auto* s = SGE_TaskData<VNTERUNIT>(task);
  if (msg == SGM_TASK_CREATE) {
    auto* unit = SGE_ParamPtr<VNUNIT>(p1);
    s->unitRef = unit;
    const SPW_TRANSFORM at{unit->vPos, {0.0f, 0.0f, 1.0f, 0.0f}, 1.0f};
    vnTERUNIT_InitInstance(s, unit, vnUNIT_CreateObject(unit, kSoldierModel, 1.0f, &at));
  }
  if (msg == SGM_UNIT_GET_OBJECT) return SGE_PtrResult(s->model);
  if (msg == SGM_UNIT_UPDATE && s->scripted)
    vnTERUNIT_ScriptedUpdate(p1, vnUNITMAN_GetHumanPlayer(), task, s);
  else if (msg == SGM_UNIT_UPDATE && !vnTERUNIT_IsDying(s))
    vnTERUNIT_Update(p1, p2, task, s);
  if (msg == SGM_TASK_DESTROY && s->unit) {
    SPW_FreeNodeSelection(s->upperBones);
    SPW_FreeNodeSelection(s->lowerBones);
    vnUNIT_DestroyObjects(s->unit);
  }
  return vnTERUNIT_CommonHandler(task, data, msg, p1, p2);
}

// The soldier task types of the unit type table.
constexpr int32_t kSoldierClasses[] = {VNTT_TERRAN_INFANTRY, VNTT_TERRAN_MIST, VNTT_SUIT_BRAKKAR,
                                       VNTT_SUIT_COMMAND,    VNTT_SUIT_SCOUT,  VNTT_TERRAN_PSYCHIC,
                                       VNTT_TERRAN_COMBATENG, VNTT_TERRAN_CIVILIAN};

class SoldierTest : public ::testing::Test {
 protected:
  // The rows, the creature classes that record, then the world.
  void Start(const std::vector<VNWRITE_UNITATTR>& rows, const std::vector<int32_t>& recorders = {}) {
    world.WriteAttrs(rows);
    for (int32_t type : recorders) world.RegisterRecorder(type);
    ASSERT_EQ(SPW_ResetObjectTypes(), 1);
    ASSERT_TRUE(world.Start());
    for (int32_t type : kSoldierClasses)
      ASSERT_EQ(SGE_RegisterTaskType(type, SoldierClass, SGE_TTF_ZERO_DATA, sizeof(VNTERUNIT),
                                     "TestSoldier"),
                1);
  }
  void TearDown() override {
    world.Stop();
    SPW_FreeAllObjectTypes();
    SPW_ReleaseObjectTypes();
  }
  VNTERUNIT* Spawn(int32_t type, SPW_VECTOR pos = {}, uint32_t player = 0) {
    VNUNIT* u = world.Create(type, player ? player : world.Human(), pos);
    if (!u || !u->pController) return nullptr;
    return SGE_Ask<VNTERUNIT>(u->pController, SGM_TERUNIT_GET_INSTANCE, 0, 0);
  }
  static SGE_RESULT Send(const VNTERUNIT* s, int32_t msg, SGE_PARAM a = 0, SGE_PARAM b = 0) {
    return SGE_Send(s->unit->pController, msg, a, b);
  }
  // The order kinds queued, current first.
  static std::vector<int32_t> Orders(const VNTERUNIT* s) {
    std::vector<int32_t> kinds;
    for (const VNORDER_NODE* node : SGE_ListRecordsBackward<VNORDER_NODE>(&s->unit->orders))
      kinds.push_back(node->order.anWord[VNORDER_WORD_KIND]);
    return kinds;
  }

  vnworld::TestWorld world;
  vnworld::FrameClock clock{kFrame};  // after the world, whose kernel restarts frame timing
};

}  // namespace soldiertest
