// Ground lighting of unit models and the segment test of lights.
#include <gtest/gtest.h>

#include "engine/dobject/dobject.h"
#include "engine/kernel/tasktypes.h"
#include "engine/scene/scene.h"
#include "engine/terrain/terrain.h"
#include "tests/world/support/testworld.h"

namespace {

constexpr int32_t kSoldier = VN_UNIT_TYPE_TERRAN_ZR_0;  // class 200

class LightingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    world.WriteAttrs({vnworld::Row(kSoldier, 0)});
    world.RegisterRecorder(VNTT_TERRAN_INFANTRY);
    ASSERT_TRUE(world.Start());
    for (SPW_DOBJECT* o : {&model, &extra, &part}) {
      o->pScene = world.scene();
      SGE_ListInit(&o->children);
      o->t.vPos = {50, 50, 0};
    }
    SGE_ListAddTail(&model.children, &part.link.link);
  }
  vnworld::TestWorld world;
  SPW_DOBJECT model{}, extra{}, part{};
};

TEST_F(LightingTest, TheGroundColourTakesTheAmbientOnTheTerrainOnly) {
  const SPW_COLOUR ambient = world.scene()->ambient;
  vnUNIT_SampleGroundLight(&model);
  const uint32_t ground = SPW_TERRAIN_DEFAULT_COLOUR;
  EXPECT_FLOAT_EQ(model.colourA.r, std::min(255.0f, static_cast<float>((ground >> 16) & 0xFF) + ambient.r));
  EXPECT_FLOAT_EQ(model.colourA.b, std::min(255.0f, static_cast<float>(ground & 0xFF) + ambient.b));
  model.vOffset = {-100, 0, 0};  // off the terrain: the scene's ambient colour alone
  vnUNIT_SampleGroundLight(&model);
  EXPECT_FLOAT_EQ(model.colourA.r, ambient.r);
}

TEST_F(LightingTest, RelightingMarksTheModelTreesAndTheExtraModelOnlyWhenAsked) {
  VNUNIT* unit = world.Create(kSoldier, world.Human());
  world.SetHook([&](VNUNIT*, int32_t msg, SGE_PARAM, SGE_PARAM) -> SGE_RESULT {
    if (msg == SGM_UNIT_GET_OBJECT) return SGE_PtrResult(&model);
    if (msg == SGM_UNIT_GET_EXTRA_OBJECT) return SGE_PtrResult(&extra);
    return -1;
  });
  constexpr uint32_t kRelight = 0x62000000;
  vnUNIT_UpdateGroundLighting(unit, 0);
  EXPECT_EQ(model.fFlags & kRelight, kRelight);
  EXPECT_EQ(part.fFlags & kRelight, kRelight);
  EXPECT_EQ(extra.fFlags & kRelight, 0u);
  const int32_t old = vnUNIT_SetGlobalLighting(1);
  vnUNIT_UpdateGroundLighting(unit, 1);
  EXPECT_EQ(extra.fFlags & kRelight, 0u);
  vnUNIT_SetGlobalLighting(old);
  vnUNIT_UpdateGroundLighting(unit, 1);
  EXPECT_EQ(extra.fFlags & kRelight, kRelight);
}

TEST_F(LightingTest, ASegmentIsBlockedWhenTheGroundLiesWithinItsLength) {
  const SPW_VECTOR from{51.3f, 47.7f, 10}, down{0, 0, -1}, longer{0, 0, -4};
  struct Case {
    const SPW_VECTOR* direction;
    float length;
    int32_t blocked;
  };
  for (const Case& c : {Case{&down, 20.0f, 1}, Case{&down, 5.0f, 0}, Case{&longer, 11.0f, 1},
                        Case{&longer, 9.0f, 0}})
    EXPECT_EQ(vnUNIT_IsSegmentBlocked(&from, c.direction, c.length), c.blocked)
        << "length " << c.length << " along " << c.direction->z;
}

}  // namespace
