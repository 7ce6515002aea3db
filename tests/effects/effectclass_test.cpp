// The mission's table of effect classes.
#include <gtest/gtest.h>

#include "effects/effectclass.h"
#include "engine/kernel/tasktypes.h"
#include "engine/sprite/sprite.h"
#include "tests/world/support/tasktest.h"

namespace {

class EffectClasses : public vnworld::TaskTest {
 protected:
  void SetUp() override {
    StartTask(&vnSPRITEDEFS_Register, VNTT_SPRITEDEFS);
  }
};

TEST_F(EffectClasses, EachIndexHasItsSetAndFrameCount) {
  const struct {
    int32_t index;
    uint32_t set;
    float frames;
  } cases[] = {{0, 1638, 10.0f}, {7, 1641, 16.0f}, {8, 1640, 15.0f}, {16, 1648, 15.0f},
               {22, 1639, 16.0f}, {24, 1639, 5.0f}, {30, 2048, 16.0f}, {VNEFFECT_CLASS_FLASH, 2048, 16.0f},
               {42, 1638, 1.0f}};
  for (const auto& c : cases) {
    const SPW_SPRITESET* set = vnEFFECT_GetClass(c.index);
    ASSERT_NE(set, nullptr) << c.index;
    EXPECT_EQ(set->dwId, c.set) << c.index;
    EXPECT_FLOAT_EQ(set->fFrames, c.frames) << c.index;
    EXPECT_FLOAT_EQ(vnEFFECT_GetClassValue(c.index), c.frames) << c.index;
  }
}

TEST_F(EffectClasses, TheBloodClassesDifferOnlyInTheirRow) {
  const float rows[] = {1.0f / 64, 19.0f / 64, 37.0f / 64};
  for (int32_t i = 0; i < 3; ++i) {
    const SPW_SPRITESET* set = vnEFFECT_GetClass(i);
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->nTexture, vnEFFECT_GetClass(0)->nTexture);
    EXPECT_FLOAT_EQ(set->start.v, rows[i]);
    EXPECT_FLOAT_EQ(set->start.u, 1.0f / 64);
  }
}

TEST_F(EffectClasses, IndicesOutsideTheTableGiveNothing) {
  for (int32_t index : {-1, VNEFFECT_CLASSES, 1000}) {
    EXPECT_EQ(vnEFFECT_GetClass(index), nullptr) << index;
    EXPECT_FLOAT_EQ(vnEFFECT_GetClassValue(index), 0.0f) << index;
  }
}

TEST_F(EffectClasses, TheClassesGoWithTheTable) {
  ASSERT_NE(SPW_FindSpriteSet(2048), nullptr);
  SGE_Send(task, SGM_TASK_DESTROY, 0, 0);
  task = nullptr;
  EXPECT_EQ(vnEFFECT_GetClass(0), nullptr);
  EXPECT_FLOAT_EQ(vnEFFECT_GetClassValue(31), 0.0f);
  for (uint32_t id : {1638u, 1639u, 1640u, 1641u, 1648u, 2048u})
    EXPECT_EQ(SPW_FindSpriteSet(id), nullptr) << id;
}

}  // namespace
