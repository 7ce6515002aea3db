// Behaviour routines on soldiers of the test world: the position step while carried or thrown,
// attackers and the fade they drive, and the patient list.
#include <gtest/gtest.h>

#include <bit>

#include "platform/files.h"
#include "terran/behave.h"
#include "tests/terran/protocol_fixture.h"
#include "tools/models/soldiers.h"
#include "world/combat/combat.h"
#include "world/mover/mover.h"
#include "world/unittype/attributes.h"
#include "world/unittype/unittype.h"

namespace {

using soldiertest::kFrame;
using soldiertest::kSoldier;
using vnworld::Row;

class SoldierBehaviour : public soldiertest::SoldierTest {
 protected:
  void SetUp() override {
    Start({Row(VN_UNIT_TYPE_TERRAN_ZR_0, kSoldier), Row(VN_UNIT_TYPE_TERRAN_PSYCHIC, kSoldier),
           Row(VN_UNIT_TYPE_BUG_WARRIOR, 0)},
          {VNTT_BUG_WARRIOR});
    s = Spawn(VN_UNIT_TYPE_TERRAN_ZR_0, {10, 10, 0});
    ASSERT_NE(s, nullptr);
  }
  VNUNIT* Bug(SPW_VECTOR at) { return world.Create(VN_UNIT_TYPE_BUG_WARRIOR, world.Computer(), at); }
  VNTERUNIT* s = nullptr;
};

TEST_F(SoldierBehaviour, ACarriedSoldierHangsAtTheMouthAndTakesItsSpeed) {
  VNUNIT* bug = Bug({20, 20, 0});
  ASSERT_NE(bug, nullptr);
  SPW_VECTOR mouth{11.0f, 10.0f, 2.0f};
  world.SetHook([&](VNUNIT* u, int32_t msg, SGE_PARAM p1, SGE_PARAM) -> SGE_RESULT {
    if (u != bug || msg != SGM_BUG_GET_MOUTH) return -1;
    *SGE_ParamPtr<SPW_VECTOR>(p1) = mouth;
    return 1;
  });
  Send(s, SGM_TERUNIT_GRABBED, static_cast<SGE_PARAM>(bug->dwId));
  const SPW_VECTOR* p = vnTERUNIT_StepPosition(s);
  EXPECT_EQ(p->x, 11.0f);
  EXPECT_EQ(s->unit->vPos.z, 2.0f);
  EXPECT_TRUE(s->stateFlags & VNTERUNIT_SF_AIRBORNE);
  // One metre in one frame of 0.1 s is 10 m/s.
  EXPECT_NEAR(s->ballisticVelocity.x, 1.0f / kFrame, 1e-3f);
  EXPECT_NEAR(s->ballisticVelocity.z, 2.0f / kFrame, 1e-3f);
  mouth = {11.0f, 10.5f, 2.0f};
  vnTERUNIT_StepPosition(s);
  EXPECT_NEAR(s->ballisticVelocity.y, 0.5f / kFrame, 1e-3f);
  EXPECT_NEAR(s->ballisticVelocity.x, 0.0f, 1e-4f);
}

TEST_F(SoldierBehaviour, AMouthThatGivesNoPositionLeavesTheSoldierWhereItIs) {
  VNUNIT* bug = Bug({20, 20, 0});
  ASSERT_NE(bug, nullptr);
  Send(s, SGM_TERUNIT_GRABBED, static_cast<SGE_PARAM>(bug->dwId));
  const SPW_VECTOR* p = vnTERUNIT_StepPosition(s);
  EXPECT_EQ(p->x, 10.0f);
  EXPECT_TRUE(s->stateFlags & VNTERUNIT_SF_GRABBED);
}

TEST_F(SoldierBehaviour, AHoldEndsWhenTheCarrierIsGone) {
  VNUNIT* bug = Bug({20, 20, 0});
  ASSERT_NE(bug, nullptr);
  Send(s, SGM_TERUNIT_GRABBED, static_cast<SGE_PARAM>(bug->dwId));
  world.Destroy(bug);
  const SPW_VECTOR* p = vnTERUNIT_StepPosition(s);
  EXPECT_FALSE(s->stateFlags & VNTERUNIT_SF_GRABBED);
  EXPECT_EQ(p->x, 10.0f);
  EXPECT_EQ(p->y, 10.0f);
}

TEST_F(SoldierBehaviour, AThrownSoldierFallsAndLandsWhereTheGroundMeetsIt) {
  s->stepPosition = {10, 10, 3.0f};
  s->ballisticVelocity = {5.0f, 0.0f, 2.0f};
  s->stateFlags |= VNTERUNIT_SF_AIRBORNE;
  const SPW_VECTOR* p = vnTERUNIT_StepPosition(s);
  // vz = 2 - 0.98, z = 3 + 0.1 x 1.02; x follows the unit, not the throw.
  EXPECT_NEAR(p->z, 3.102f, 1e-4f);
  EXPECT_EQ(p->x, s->unit->vPos.x);
  EXPECT_NEAR(s->ballisticVelocity.z, 1.02f, 1e-4f);
  int32_t frames = 1;
  while ((s->stateFlags & VNTERUNIT_SF_AIRBORNE) && frames < 100) {
    vnTERUNIT_StepPosition(s);
    ++frames;
  }
  EXPECT_FALSE(s->stateFlags & VNTERUNIT_SF_AIRBORNE);
  EXPECT_EQ(p->z, s->unit->vPos.z) << "landed on the ground under it";
  EXPECT_EQ(s->ballisticVelocity.z, 0.0f);
  EXPECT_GT(frames, 5);
}

TEST_F(SoldierBehaviour, AttackersAreThreeAtMostAndTheFirstFadesTheModel) {
  EXPECT_EQ(vnTERUNIT_AddAttacker(s, 5), 1);
  EXPECT_EQ(s->visibility, 0.01f);
  EXPECT_EQ(s->fadeTarget, 0.4f);
  EXPECT_TRUE(s->stateFlags & VNTERUNIT_SF_FADING);
  EXPECT_EQ(vnTERUNIT_AddAttacker(s, 5), 0) << "listed already";
  EXPECT_EQ(vnTERUNIT_AddAttacker(s, 6), 1);
  EXPECT_EQ(vnTERUNIT_AddAttacker(s, 7), 1);
  EXPECT_EQ(vnTERUNIT_AddAttacker(s, 8), 0) << "a fourth";
  EXPECT_EQ(s->attackerCount, 3);
}

TEST_F(SoldierBehaviour, AttackersStayOnlyWhileTheirOwnRecordKeepsTheAura) {
  VNTERUNIT* near = Spawn(VN_UNIT_TYPE_TERRAN_PSYCHIC, {14, 10, 0}, world.Computer());
  VNTERUNIT* far = Spawn(VN_UNIT_TYPE_TERRAN_PSYCHIC, {25, 10, 0}, world.Computer());
  VNUNIT* bug = Bug({12, 10, 0});
  ASSERT_TRUE(near && far && bug);
  near->stateFlags |= VNTERUNIT_SF_AURA;
  far->stateFlags |= VNTERUNIT_SF_AURA;
  vnTERUNIT_AddAttacker(s, static_cast<int32_t>(bug->dwId));  // no soldier record: no aura
  vnTERUNIT_AddAttacker(s, static_cast<int32_t>(near->unit->dwId));
  vnTERUNIT_AddAttacker(s, static_cast<int32_t>(far->unit->dwId));
  vnTERUNIT_PruneAttackers(s);
  ASSERT_EQ(s->attackerCount, 1);
  EXPECT_EQ(s->attackerIds[0], static_cast<int32_t>(near->unit->dwId)) << "closed up in order";
  EXPECT_TRUE(s->stateFlags & VNTERUNIT_SF_ATTACKERS);
  near->stateFlags &= ~VNTERUNIT_SF_AURA;
  vnTERUNIT_PruneAttackers(s);
  EXPECT_EQ(s->attackerCount, 0);
  EXPECT_FALSE(s->stateFlags & VNTERUNIT_SF_ATTACKERS);
  EXPECT_EQ(s->fadeTarget, 1.0f);
  EXPECT_EQ(s->visibility, 1.0f);
}

TEST_F(SoldierBehaviour, PatientsAreThoseBelowTheirBaseValue) {
  VNTERUNIT* hurt = Spawn(VN_UNIT_TYPE_TERRAN_ZR_0, {12, 10, 0});
  VNTERUNIT* well = Spawn(VN_UNIT_TYPE_TERRAN_ZR_0, {14, 10, 0});
  ASSERT_TRUE(hurt && well);
  vnUNIT_SetAttrFloat(hurt->unit, VN_ATTR_HEALTH, 40.0f);  // the row's full health is 100
  const int32_t ids[] = {static_cast<int32_t>(hurt->unit->dwId),
                         static_cast<int32_t>(well->unit->dwId),
                         static_cast<int32_t>(hurt->unit->dwId), 9999};
  vnTERUNIT_AddPatients(s, 4, ids, 1);
  EXPECT_EQ(vnTERUNIT_FirstPatient(s), ids[0]);
  EXPECT_EQ(vnTERUNIT_IsPatient(s, ids[1]), 0);
  EXPECT_EQ(SGE_ListCount(&s->patients), 1);
  EXPECT_EQ(vnTERUNIT_AddPatient(s, ids[1], 0), 0) << "armour is full too";
  EXPECT_EQ(vnTERUNIT_RemovePatient(s, ids[0]), 1);
  EXPECT_EQ(vnTERUNIT_FirstPatient(s), 0);
  vnTERUNIT_AddPatients(s, 1, ids, 1);
  vnTERUNIT_ClearPatients(s);
  EXPECT_TRUE(SGE_ListIsEmpty(&s->patients));
}

// The test soldier class, answering for its unit as every soldier class does.
SGE_RESULT WalkingSoldier(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                          SGE_PARAM p2) {
  const auto* s = SGE_TaskData<VNTERUNIT>(task);
  if (msg == SGM_UNIT_GET_UNIT && s && s->unit) return SGE_PtrResult(s->unit);
  return soldiertest::SoldierClass(task, data, msg, p1, p2);
}

// A soldier on a real ground mover over a network: the position step reads the model where the
// mover's step left it, not where it stood before.
TEST(SoldierOnAMover, ThePositionStepIsWhereTheMoversStepCarriedTheModel) {
  vnworld::Options options;
  options.standInMovers = false;
  options.planner = true;
  vnworld::TestWorld world(options);
  vnworld::FrameClock clock{kFrame};
  VNWRITE_UNITATTR row = Row(VN_UNIT_TYPE_TERRAN_ZR_0, kSoldier);
  row.floats[VN_ATTR_SPEED - 11] = 18.0f;  // 5 m/s
  row.floats[VN_ATTR_ACCEL - 11] = 50.0f;
  row.floats[VN_ATTR_TURN_RATE - 11] = 10.0f;
  row.floats[VN_ATTR_LINK_TYPE - 11] = 1.0f;
  world.WriteAttrs({row});
  world.WriteNetwork(vnWRITE_BstarGrid(4, 4, 10.0f, 0.0f));
  ASSERT_TRUE(PLAT_MakeDirectory(world.content().file("Export").c_str()));
  ASSERT_TRUE(PLAT_MakeDirectory(world.content().file("Export/Pows").c_str()));
  ASSERT_TRUE(vnWRITE_POW(world.content().file(soldiertest::kSoldierModel),
                          vnMODELS_Soldier("soldier", {"H1_idle_lkaround"}, 480)));
  ASSERT_EQ(vnMOVER_Register(), 1);
  ASSERT_EQ(SPW_ResetObjectTypes(), 1);
  ASSERT_TRUE(world.Start());
  ASSERT_EQ(SGE_RegisterTaskType(VNTT_TERRAN_INFANTRY, WalkingSoldier, SGE_TTF_ZERO_DATA,
                                 sizeof(VNTERUNIT), "TestSoldier"),
            1);
  VNUNIT* unit = world.Create(VN_UNIT_TYPE_TERRAN_ZR_0, world.Human(), {5.0f, 15.0f, 0.0f});
  ASSERT_NE(unit, nullptr);
  auto* s = SGE_Ask<VNTERUNIT>(unit->pController, SGM_TERUNIT_GET_INSTANCE, 0, 0);
  ASSERT_NE(s, nullptr);
  ASSERT_NE(s->model, nullptr);
  const SPW_VECTOR goal{35.0f, 15.0f, 0.0f};
  ASSERT_EQ(SGE_Send(unit->pMover, SGM_MOVER_GOTO, SGE_PtrParam(&goal), 0), 1);
  float x = unit->vPos.x;
  for (int32_t i = 0; i < 3; ++i) {
    const SPW_VECTOR* p = vnTERUNIT_StepPosition(s);
    EXPECT_GT(p->x, x) << i;
    EXPECT_EQ(p->x, unit->pMove->vPos.x) << i;
    EXPECT_EQ(p->y, unit->pMove->vPos.y) << i;
    EXPECT_EQ(p->x, s->model->t.vPos.x) << i;
    x = p->x;
  }
  world.Stop();
  SPW_FreeAllObjectTypes();
  SPW_ReleaseObjectTypes();
}

}  // namespace

namespace {

TEST_F(SoldierBehaviour, LowArmourIsSaidOnceUntilTheSoldierHasHealed) {
  int32_t base[VNTERUNIT_BASE_ATTRIBUTES] = {};
  base[VNTERUNIT_BASE_HEALTH] = std::bit_cast<int32_t>(100.0f);
  base[VNTERUNIT_BASE_ARMOUR] = std::bit_cast<int32_t>(100.0f);
  Send(s, SGM_TERUNIT_SET_BASE_ATTRIBUTES, SGE_PtrParam(base));
  s->lineChannel = 3;  // a line plays: the events stay to be seen
  const VNDAMAGE hit{};
  // Unsuited ZR soldiers count their health, as the _2 suits do.
  struct CASE {
    const char* name;
    float health;
    uint32_t events;
  } cases[] = {{"a fifth left", 20.0f, 0}, {"less", 19.0f, 0x8}, {"said already", 5.0f, 0}};
  for (const CASE& c : cases) {
    s->voiceEvents = 0;
    vnUNIT_SetAttrFloat(s->unit, VN_ATTR_HEALTH, c.health);
    vnTERUNIT_DamageVoice(s, &hit);
    EXPECT_EQ(s->voiceEvents, c.events) << c.name;
  }
  vnUNIT_SetAttrFloat(s->unit, VN_ATTR_HEALTH, 60.0f);
  vnTERUNIT_ClearLowArmour(s);
  EXPECT_TRUE(s->modeFlags & VNTERUNIT_MF_LOW_ARMOUR_SAID) << "0.6 is not above 0.6";
  vnUNIT_SetAttrFloat(s->unit, VN_ATTR_HEALTH, 61.0f);
  vnTERUNIT_ClearLowArmour(s);
  EXPECT_FALSE(s->modeFlags & VNTERUNIT_MF_LOW_ARMOUR_SAID);
  s->voiceEvents = 0;
  vnUNIT_SetAttrFloat(s->unit, VN_ATTR_HEALTH, 10.0f);
  vnTERUNIT_DamageVoice(s, &hit);
  EXPECT_EQ(s->voiceEvents, 0x8u) << "said again";
}

}  // namespace
