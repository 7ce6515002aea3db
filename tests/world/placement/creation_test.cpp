// Placement commands around a unit's creation by the manager: the first pass before the
// creation returns, after the controller got the block, and the health scale afterwards.
#include <gtest/gtest.h>

#include "engine/kernel/tasktypes.h"
#include "tests/world/support/testworld.h"
#include "world/placement/placement.h"
#include "world/unitman/unitmsg.h"
#include "world/unittype/unittype.h"

namespace {

constexpr int32_t kSoldier = VN_UNIT_TYPE_TERRAN_ZR_0;
constexpr float kHealth = 80.0f;

TEST(PlacedUnit, TheFirstPassRunsAtCreationAndTheScaleAfterIt) {
  vnworld::TestWorld world;
  world.WriteAttrs({vnworld::Row(kSoldier, VNUNIT_F_SOLDIER, {}, 0.5f, 0.0f, kHealth)});
  world.RegisterRecorder(VNTT_TERRAN_INFANTRY);
  ASSERT_TRUE(world.Start());
  VNPLACE_COMMANDBLOCK block{"Sniper", "Label=\"Eagle Eye\"\nRank=5\nSetDormant=true\nHPScale=0.5\n"};

  VNUNIT* unit = world.Create(kSoldier, world.Human(), {5, 5, 0}, nullptr, nullptr, &block);
  ASSERT_NE(unit, nullptr);
  EXPECT_STREQ(unit->szLabel, "Eagle Eye");
  EXPECT_EQ(vnUNIT_AttrInt(unit, VN_ATTR_RANK), 5);
  EXPECT_FLOAT_EQ(vnUNIT_AttrFloat(unit, VN_ATTR_HEALTH), kHealth);
  const auto placement = world.EventsOf(SGM_UNIT_PLACEMENT);
  const auto dormant = world.EventsOf(SGM_UNIT_SET_DORMANT);
  ASSERT_EQ(placement.size(), 1u);
  EXPECT_EQ(placement[0].p1, SGE_PtrParam(&block));
  ASSERT_EQ(dormant.size(), 1u);
  EXPECT_EQ(dormant[0].unitId, unit->dwId);
  EXPECT_EQ(dormant[0].p1, 1);
  // The block reaches the controller before the commands act on its unit.
  const auto& events = world.events();
  size_t placedAt = events.size();
  size_t dormantAt = events.size();
  for (size_t i = 0; i < events.size(); ++i) {
    if (events[i].msg == SGM_UNIT_PLACEMENT) placedAt = i;
    if (events[i].msg == SGM_UNIT_SET_DORMANT) dormantAt = i;
  }
  EXPECT_LT(placedAt, dormantAt);

  EXPECT_EQ(vnPLParser_ApplyLateCommands(&block, unit), 1);
  EXPECT_FLOAT_EQ(vnUNIT_AttrFloat(unit, VN_ATTR_HEALTH), kHealth * 0.5f);
}

}  // namespace
