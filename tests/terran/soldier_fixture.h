#pragma once
// A soldier in the headless test world: a ZR soldier unit whose controller is a bare class that
// holds the soldier record at the front of its instance, as every soldier class does, with a
// generated model that has the animations a test names.
//
//   SoldierTest: Start({"H1_idle_lkaround", "H1_run"}) makes the unit, the model and the record
//   (animation map, node selections, end callbacks), the frame time 0.1 s.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/dobject/dobject.h"
#include "engine/object/object.h"
#include "engine/scene/scene.h"
#include "platform/files.h"
#include "terran/terunit.h"
#include "tests/world/support/testworld.h"
#include "tools/models/soldiers.h"
#include "world/unittype/unittype.h"

namespace vnterran {

constexpr uint32_t kSoldierTicks = 480;  // a tenth of a second per animation

// The bare soldier class: keeps the record, answers its unit and its model.
struct BARE_SOLDIER {
  VNTERUNIT record;
};

inline SGE_RESULT BareSoldier(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                              SGE_PARAM p2) {
  auto* self = SGE_TaskData<BARE_SOLDIER>(task);
  switch (msg) {
    case SGM_TASK_CREATE:
      self->record.unit = self->record.unitRef = SGE_ParamPtr<VNUNIT>(p1);
      return 1;
    case SGM_UNIT_GET_UNIT:
      return SGE_PtrResult(self->record.unit);
    case SGM_UNIT_GET_OBJECT:
      return SGE_PtrResult(self->record.model);
    default:
      return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
  }
}

class SoldierTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (record && record->model) {
      SPW_FreeNodeSelection(record->upperBones);
      SPW_FreeNodeSelection(record->lowerBones);
      SPW_DestroyDynamicObject(record->model);
    }
    w.Stop();
    SPW_FreeAllObjectTypes();
    SPW_ReleaseObjectTypes();
  }

  // The animations named, in the model's order; the type's soldier record set up on its model.
  void Start(const std::vector<std::string>& anims, int32_t type = VN_UNIT_TYPE_TERRAN_ZR_0) {
    ASSERT_TRUE(PLAT_MakeDirectory(w.content().file("Export").c_str()));
    ASSERT_TRUE(vnWRITE_POW(w.content().file("Export/soldier.pow"),
                            vnMODELS_Soldier("soldier", anims, kSoldierTicks)));
    w.WriteAttrs({vnworld::Row(type, VNUNIT_F_SOLDIER | VNUNIT_F_MOVER)});
    ASSERT_EQ(SGE_RegisterTaskType(vnUNITMAN_GetTypeInfo(type)->nClassId, BareSoldier, SGE_TTF_ZERO_DATA,
                                   sizeof(BARE_SOLDIER), "BareSoldier"),
              1);
    ASSERT_EQ(SPW_ResetObjectTypes(), 1);
    ASSERT_TRUE(w.Start());
    int32_t slot = -1;
    ASSERT_EQ(SPW_LoadObject("Export/soldier.pow", nullptr, &slot, 1.0f), 1);
    unit = w.Create(type, w.Human(), {10.0f, 10.0f, 0.0f});
    ASSERT_NE(unit, nullptr);
    record = &SGE_TaskData<BARE_SOLDIER>(unit->pController)->record;
    const SPW_TRANSFORM at{unit->vPos, {0.0f, 0.0f, 1.0f, 0.0f}, 1.0f};
    record->model = SPW_CreateDynamicObject(w.scene(), slot, nullptr, 0, &at, 0);
    ASSERT_NE(record->model, nullptr);
    record->lowerState = record->upperState = VN_TERUNIT_LOWER_IDLE;
    record->engagementMode = VNTERUNIT_ENGAGE_NORMAL;
    record->sinceShot = 1.0f;
    record->flightSound = record->voice = -1;
    record->trackPrevStates = 1;
    ASSERT_EQ(vnTERUNIT_SetUpAnimation(record, record->model), 1);
  }

  // The model animation of a slot of the first hold set, -1 when the model lacks it.
  int32_t AnimOf(int32_t slot) const { return record->animMap[slot]; }

  vnworld::TestWorld w;
  vnworld::FrameClock clock{0.1f};
  VNUNIT* unit = nullptr;
  VNTERUNIT* record = nullptr;
};

// Names of the first hold set ("H1_" and the slot's name).
inline std::vector<std::string> FirstSet(const std::vector<int32_t>& slots) {
  std::vector<std::string> names;
  for (int32_t slot : slots) names.emplace_back(vnTERUNIT_GetAnimNames()[slot]);
  return names;
}

}  // namespace vnterran
