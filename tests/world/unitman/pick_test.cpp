// Picking: a ray against the models of every unit, the nearest hit wins.
#include <gtest/gtest.h>

#include "engine/dobject/dobject.h"
#include "engine/kernel/tasktypes.h"
#include "engine/object/object.h"
#include "platform/files.h"
#include "tests/world/support/testworld.h"
#include "tools/models/models.h"
#include "tools/writers/pow_writer.h"

namespace {

constexpr int32_t kSoldier = VN_UNIT_TYPE_TERRAN_ZR_0;  // class 200

TEST(Pick, TheRayTakesTheNearestModelWhateverTheListOrder) {
  vnworld::TestWorld world;
  world.WriteAttrs({vnworld::Row(kSoldier, 0)});
  world.RegisterRecorder(VNTT_TERRAN_INFANTRY);
  ASSERT_TRUE(world.Start());
  ASSERT_EQ(SPW_ResetObjectTypes(), 1);
  PLAT_MakeDirectory("Export");
  ASSERT_TRUE(vnWRITE_POW("Export/Figure.pow", vnMODELS_Figure()));
  int32_t slot = -1;
  ASSERT_EQ(SPW_LoadObjectFile("Export/Figure.pow", nullptr, &slot, 1.0f, 0), 1);
  const SPW_TRANSFORM farAt{{40, 10, 0}, {0, 0, 0, 1}, 1}, nearAt{{20, 10, 0}, {0, 0, 0, 1}, 1};
  SPW_DOBJECT* farModel = SPW_CreateDynamicObject(world.scene(), slot, nullptr, 0, &farAt, 0);
  SPW_DOBJECT* nearModel = SPW_CreateDynamicObject(world.scene(), slot, nullptr, 0, &nearAt, 0);
  ASSERT_NE(farModel, nullptr);
  ASSERT_NE(nearModel, nullptr);
  VNUNIT* farUnit = world.Create(kSoldier, world.Human());
  VNUNIT* bare = world.Create(kSoldier, world.Human());
  VNUNIT* nearUnit = world.Create(kSoldier, world.Computer());
  world.SetHook([&](VNUNIT* u, int32_t msg, SGE_PARAM, SGE_PARAM) -> SGE_RESULT {
    if (msg != SGM_UNIT_GET_OBJECT) return -1;
    return SGE_PtrResult(u == farUnit ? farModel : u == nearUnit ? nearModel : nullptr);
  });
  const SPW_VECTOR from{0, 10, nearModel->vCentre.z}, along{1, 0, 0}, back{-1, 0, 0};
  float best = 1e6f;
  SPW_VECTOR hit{};
  VNUNITMAN_PICK ray{&from, &along, &best, &hit, bare};
  auto* picked = SGE_Ask<VNUNIT>(world.manager(), SGM_UNITMAN_PICK, SGE_PtrParam(&ray), 0);
  EXPECT_EQ(picked, nearUnit);
  EXPECT_EQ(ray.pUnit, nearUnit);
  EXPECT_LT(hit.x, 20.0f);
  best = 1e6f;
  VNUNITMAN_PICK away{&from, &back, &best, &hit, bare};
  EXPECT_EQ(SGE_Ask<VNUNIT>(world.manager(), SGM_UNITMAN_PICK, SGE_PtrParam(&away), 0), nullptr);
  EXPECT_EQ(away.pUnit, nullptr);
  SPW_DestroyDynamicObject(farModel);
  SPW_DestroyDynamicObject(nearModel);
  SPW_ReleaseObjectTypes();
}

}  // namespace
