// The tech-item order at 0.1 s a frame: nerve gas goes off at its bug hole once within reach,
// a nova bomb is set once at its point, and an order without its item ends.
#include <gtest/gtest.h>

#include <cstring>

#include "missions/control/missionevents.h"
#include "missions/control/misscont.h"
#include "terran/behave.h"
#include "terran/orders.h"
#include "terran/update.h"
#include "tests/terran/protocol_fixture.h"
#include "world/unittype/unittype.h"

namespace {

using soldiertest::kSoldier;
using vnworld::Row;
using Kinds = std::vector<int32_t>;

constexpr int32_t kMissionController = 4;

class SoldierTech : public soldiertest::SoldierTest {
 protected:
  void SetUp() override {
    Start({Row(VN_UNIT_TYPE_TERRAN_ZR_0, kSoldier), Row(VN_UNIT_TYPE_TECH_NERVEGAS, VNUNIT_F_ITEM),
           Row(VN_UNIT_TYPE_TECH_NOVABOMB, VNUNIT_F_ITEM), Row(VN_UNIT_TYPE_PE_BUGHOLE, 0)},
          {kMissionController, vnUNITMAN_GetTypeInfo(VN_UNIT_TYPE_TECH_NERVEGAS)->nClassId,
           vnUNITMAN_GetTypeInfo(VN_UNIT_TYPE_TECH_NOVABOMB)->nClassId,
           vnUNITMAN_GetTypeInfo(VN_UNIT_TYPE_PE_BUGHOLE)->nClassId});
    mission = SGE_CreateTask(kMissionController, nullptr, nullptr, 0, 0);
    const VNMISSION_WORLD w{mission, world.scene(), nullptr};
    vnMISSCONT_SetWorld(&w);
    s = Spawn(VN_UNIT_TYPE_TERRAN_ZR_0, {10, 10, 0});
    ASSERT_NE(s, nullptr);
  }
  void TearDown() override {
    vnMISSCONT_SetWorld(nullptr);
    if (mission) SGE_Send(mission, SGM_TASK_DESTROY, 0, 0);
    SoldierTest::TearDown();
  }
  VNUNIT* Carry(int32_t type) {
    return world.Create(type, world.Human(), {}, &s->unit->aChildren[VNTERUNIT_EQUIPMENT_LIST],
                        s->unit);
  }
  void Give(int32_t type, int32_t target, SPW_VECTOR point, float radius) {
    VNORDER o = vnTERUNIT_MakeOrder(VNTERUNIT_ORDER_TECH_ITEM);
    o.anWord[VNTERUNIT_ORDER_WORD_TARGET] = type;
    o.anWord[VNTERUNIT_ORDER_WORD_SECOND] = target;
    vnTERUNIT_SetOrderPoint(&o, point);
    vnTERUNIT_SetOrderFloat(&o, VNTERUNIT_ORDER_WORD_VALUE, radius);
    ASSERT_NE(vnORDER_Append(s->unit, &o), nullptr);
  }
  size_t Uses(const VNUNIT* item) {
    size_t n = 0;
    for (const vnworld::Event& e : world.EventsOf(SGM_TECHITEM_USE)) n += e.unitId == item->dwId;
    return n;
  }
  int32_t Step() { return vnTERUNIT_Update(0, 0, s->unit->pController, s); }

  SGE_TASK* mission = nullptr;
  VNTERUNIT* s = nullptr;
};

TEST_F(SoldierTech, NerveGasGoesOffAtItsBugHoleOnlyWithinReach) {
  VNUNIT* gas = Carry(VN_UNIT_TYPE_TECH_NERVEGAS);
  VNUNIT* hole = world.Create(VN_UNIT_TYPE_PE_BUGHOLE, world.Computer(), {40, 10, 0});
  ASSERT_TRUE(gas && hole);
  Give(VN_UNIT_TYPE_TECH_NERVEGAS, static_cast<int32_t>(hole->dwId), {}, 15.0f);
  EXPECT_EQ(Step(), 0) << "30 m away: it runs";
  EXPECT_EQ(Uses(gas), 0u);
  EXPECT_EQ(Orders(s), (Kinds{VNTERUNIT_ORDER_TECH_ITEM}));
  world.Place(s->unit, {26, 10, 0});
  EXPECT_EQ(Step(), 1);
  EXPECT_EQ(Uses(gas), 1u);
  const auto events = world.EventsOf(SGM_VN_MISSCONT_EVENT_TECH_USED);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].p1, VN_UNIT_TYPE_TECH_NERVEGAS);
  EXPECT_TRUE(Orders(s).empty());
}

TEST_F(SoldierTech, ANovaBombIsSetOnceAtItsPointAndTheOrderThenEnds) {
  VNUNIT* bomb = Carry(VN_UNIT_TYPE_TECH_NOVABOMB);
  ASSERT_NE(bomb, nullptr);
  Give(VN_UNIT_TYPE_TECH_NOVABOMB, 0, {11, 10, 0}, 2.0f);
  EXPECT_EQ(Step(), 0);
  EXPECT_EQ(Uses(bomb), 1u);
  EXPECT_EQ(vnORDER_Current(s->unit)->anWord[VNTERUNIT_ORDER_WORD_SECOND], 1) << "set";
  EXPECT_EQ(Step(), 1) << "still within reach: done";
  EXPECT_EQ(Uses(bomb), 1u);
}

TEST_F(SoldierTech, AnOrderWithoutItsItemOrTargetEnds) {
  struct CASE {
    const char* name;
    int32_t type;
    bool carried;
    bool target;
  } cases[] = {
      {"no gas", VN_UNIT_TYPE_TECH_NERVEGAS, false, true},
      {"no bug hole", VN_UNIT_TYPE_TECH_NERVEGAS, true, false},
      {"no bomb", VN_UNIT_TYPE_TECH_NOVABOMB, false, false},
      {"not a tech item", VN_UNIT_TYPE_WEAPON_REVOLVER, true, false},
  };
  VNUNIT* hole = world.Create(VN_UNIT_TYPE_PE_BUGHOLE, world.Computer(), {40, 10, 0});
  ASSERT_NE(hole, nullptr);
  for (const CASE& c : cases) {
    VNUNIT* item = c.carried && c.type != VN_UNIT_TYPE_WEAPON_REVOLVER ? Carry(c.type) : nullptr;
    // The nova bomb's word 2 says whether it was set: only the gas names a unit there.
    const int32_t second = c.target ? static_cast<int32_t>(hole->dwId)
                                    : c.type == VN_UNIT_TYPE_TECH_NERVEGAS ? 12345 : 0;
    Give(c.type, second, {40, 10, 0}, 2.0f);
    EXPECT_EQ(Step(), 1) << c.name;
    EXPECT_TRUE(Orders(s).empty()) << c.name;
    if (item) world.Destroy(item);
  }
}

}  // namespace
