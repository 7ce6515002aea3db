// The infantry in the demo tree as mkcontent writes it: every served type, of either sex, finds
// its model, every one of the shared animation names and its death model.
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "engine/object/object.h"
#include "engine/sprite/sprite.h"
#include "missions/control/misscont.h"
#include "terran/infantry.h"
#include "tests/world/support/testworld.h"
#include "world/unitman/unitclass.h"

namespace {

constexpr int32_t kMissionController = 4;

TEST(DemoInfantry, EveryTypeFindsItsModelAllAnimationsAndTheDeathModel) {
  vnworld::TestWorld w;
  const std::string command =
      std::string(VN_MKCONTENT_PATH) + " '" + w.content().path() + "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  w.RegisterRecorder(kMissionController);
  ASSERT_EQ(SPW_ResetObjectTypes(), 1);
  ASSERT_TRUE(w.Start());
  SPW_InitSprites();
  ASSERT_EQ(vnUNITMAN_RegisterClass(VNINFANTRY_CLASSROW), 1);
  SGE_TASK* mission = SGE_CreateTask(kMissionController, nullptr, nullptr, 0, 0);
  const VNMISSION_WORLD world{mission, w.scene(), nullptr};
  vnMISSCONT_SetWorld(&world);
  float x = 5.0f;
  for (const int32_t type : VNINFANTRY_TYPES) {
    VNUNIT* unit = w.Create(type, w.Human(), {x, 10.0f, 0.0f});
    x += 2.0f;
    ASSERT_NE(unit, nullptr) << type;
    const auto* soldier = SGE_TaskData<VNTERUNIT>(unit->pController);
    ASSERT_NE(soldier, nullptr) << type;
    ASSERT_NE(soldier->model, nullptr) << type;
    EXPECT_NE(soldier->deathModel, SPW_NO_OBJECT_TYPE) << type;
    ASSERT_NE(soldier->animMap, nullptr) << type;
    for (int32_t i = 0; i < VNTERUNIT_ANIM_NAMES; ++i)
      EXPECT_GE(soldier->animMap[i], 0) << type << " " << vnTERUNIT_GetAnimNames()[i];
    EXPECT_EQ(soldier->lowerState, VN_TERUNIT_LOWER_IDLE) << type;
  }
  w.Stop();
  SGE_Send(mission, SGM_TASK_DESTROY, 0, 0);
  SPW_DestroyAllSpriteSets();
  SPW_FreeAllObjectTypes();
  SPW_ReleaseObjectTypes();
}

}  // namespace
