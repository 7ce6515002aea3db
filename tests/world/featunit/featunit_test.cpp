// Feature units in the headless world: binding to the scenery, destruction by weapons and by
// script with its model, the kill report, the status bar and the component model.
#include "world/featunit/featunit.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/dobject/dobject.h"
#include "tests/world/featunit/featunit_fixture.h"
#include "tools/models/props.h"
#include "world/combat/combat.h"
#include "world/unitman/unitman.h"

namespace featunittest {
namespace {

constexpr uint32_t kFeature = VNUNIT_F_OBSERVABLE | VNUNIT_F_UPDATE;
constexpr uint32_t kGunFlags = VNUNIT_F_WEAPON | VNUNIT_F_NODAMAGE_STAMP;
constexpr int32_t kGun = VN_UNIT_TYPE_WEAPON_SMARTRIFLE_0;
constexpr int32_t kSoldier = VN_UNIT_TYPE_TERRAN_ZR_0;
constexpr uint32_t kCollapseTicks = 4800;  // one second: 30 frames of 1/30 s

class FeatureUnitTest : public PlacedObjectTest {
 protected:
  // Barrels, a bridge, a snow mound and a generator with soldiers and a gun dealing 60 a hit.
  void StartWith(const vnFEATURE_SET& scenery, float moundHealth = 80.0f) {
    Start({vnworld::Row(VN_UNIT_TYPE_PE_BARREL, kFeature, {}, 1.0f, 0.0f, 100.0f),
           vnworld::Row(VN_UNIT_TYPE_PE_BRIDGE1_C2M1, kFeature, {}, 1.0f, 0.0f, 100.0f),
           vnworld::Row(VN_UNIT_TYPE_PE_SNOW_MOUND, kFeature, {}, 1.0f, 0.0f, moundHealth),
           vnworld::Row(VN_UNIT_TYPE_PE_GEOTHERMAL_GENERATOR, kFeature),
           vnworld::Row(kGun, kGunFlags, {}, 0.5f, 0.0f, -60.0f),
           vnworld::Row(kSoldier, VNUNIT_F_SOLDIER | VNUNIT_F_OBSERVABLE)},
          {VNTT_TERRAN_INFANTRY});
    LoadScenery(scenery);
    gun = w.Create(kGun, w.Human(), {0, 0, 0});
    ASSERT_NE(gun, nullptr);
  }

  SGE_RESULT Ask(VNUNIT* u, int32_t msg, SGE_PARAM p1 = 0, SGE_PARAM p2 = 0) {
    return SGE_Send(u->pController, msg, p1, p2);
  }
  VNFEATUNIT* Self(VNUNIT* u) { return SGE_TaskData<VNFEATUNIT>(u->pController); }
  float Health(VNUNIT* u) { return vnUNIT_AttrFloat(u, VN_ATTR_HEALTH); }
  void Shoot(VNUNIT* target) { vnInflictDamage(gun, target, 1.0f, nullptr, nullptr, nullptr); }

  VNUNIT* gun = nullptr;
};

vnFEATURE_SET BarrelScenery() {
  vnFEATURE_SET set;
  set.groups = {Boxes("Barrel", {{20, 20, 0}, {60, 60, 0}}),
                Boxes("Barrel_Destroyed", {{20, 20, 0}, {60, 60, 0}})};
  return set;
}

TEST_F(FeatureUnitTest, AUnitBindsTheNearestFeaturesAndTakesTheIntactOnesPlace) {
  StartWith(BarrelScenery());
  VNUNIT* barrel = w.Create(VN_UNIT_TYPE_PE_BARREL, w.Computer(), {22, 21, 0});
  ASSERT_NE(barrel, nullptr);
  SPW_FEATUREINST* intact = Feature("Barrel", {20, 20, 0});
  SPW_FEATUREINST* wreck = Feature("Barrel_Destroyed", {20, 20, 0});
  ASSERT_EQ(Self(barrel)->pIntact, intact);
  ASSERT_EQ(Self(barrel)->pDestroyed, wreck);
  EXPECT_FALSE(Hidden(intact));
  EXPECT_TRUE(Hidden(wreck));
  EXPECT_FLOAT_EQ(barrel->vPos.x, 20.0f);
  EXPECT_FLOAT_EQ(barrel->vPos.y, 20.0f);
  // The instance's axis reversed: a feature placed without a turn faces -y.
  EXPECT_NEAR(Self(barrel)->vDir.y, -1.0f, 1e-5f);
  // A second barrel beside the first binds the other pair, not the taken one.
  VNUNIT* other = w.Create(VN_UNIT_TYPE_PE_BARREL, w.Computer(), {22, 21, 0});
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(Self(other)->pIntact, Feature("Barrel", {60, 60, 0}));
  // Weapons hurt a barrel; nothing shows a bar for it.
  EXPECT_EQ(Ask(barrel, SGM_UNIT_IS_INVULNERABLE), 0);
  EXPECT_EQ(Self(barrel)->pBar, nullptr);
  SPW_VECTOR locator{};
  EXPECT_EQ(Ask(barrel, SGM_UNIT_GET_LOCATOR, SGE_PtrParam(&locator)), 1);
  EXPECT_FLOAT_EQ(locator.x, 20.0f);
}

TEST_F(FeatureUnitTest, ABarrelShotToZeroSwapsAtOnceAndReportsTheKillOnlyOnce) {
  StartWith(BarrelScenery());
  VNUNIT* barrel = w.Create(VN_UNIT_TYPE_PE_BARREL, w.Computer(), {20, 20, 0});
  ASSERT_NE(barrel, nullptr);
  const uint32_t id = barrel->dwId;
  SPW_FEATUREINST* intact = Self(barrel)->pIntact;
  SPW_FEATUREINST* wreck = Self(barrel)->pDestroyed;
  Shoot(barrel);
  EXPECT_FLOAT_EQ(Health(barrel), 40.0f);
  EXPECT_EQ(Ask(barrel, SGM_UNIT_IS_DEAD), 0);
  EXPECT_EQ(MissionEvents(SGM_VN_MISSCONT_EVENT_FEATURE_KILLED), 0);
  Shoot(barrel);
  EXPECT_EQ(Ask(barrel, SGM_UNIT_IS_DEAD), 1);
  EXPECT_TRUE(Hidden(intact));
  EXPECT_FALSE(Hidden(wreck));
  EXPECT_EQ(intact->dwInactive, 0u);
  EXPECT_EQ(barrel->dwFlags & VNUNIT_F_OBSERVABLE, 0u);
  const std::vector<vnworld::Event> kills = w.EventsOf(SGM_VN_MISSCONT_EVENT_FEATURE_KILLED);
  ASSERT_EQ(kills.size(), 1u);
  EXPECT_EQ(kills[0].p1, static_cast<SGE_PARAM>(id));
  EXPECT_EQ(kills[0].p2, static_cast<SGE_PARAM>(VN_UNIT_TYPE_PE_BARREL));
  // The wreck can still be hit; it is no second kill.
  Shoot(barrel);
  Shoot(barrel);
  EXPECT_LE(Health(barrel), 0.0f);
  EXPECT_EQ(MissionEvents(SGM_VN_MISSCONT_EVENT_FEATURE_KILLED), 1);
  EXPECT_FALSE(Hidden(wreck));
}

TEST_F(FeatureUnitTest, ABridgeIgnoresFireUntilTheScriptThenCollapsesAndSwapsAtTheModelsEnd) {
  vnFEATURE_SET set;
  set.groups = {Boxes("Bridge", {{40, 40, 0}}), Boxes("Bridge Damaged", {{40, 40, 0}})};
  WriteModel("Export/Pows/MeltingBridge1.pow", vnMODELS_Collapse("MeltingBridge1", kCollapseTicks));
  StartWith(set);
  SetFrameTime(1.0f / 30.0f);
  VNUNIT* bridge = w.Create(VN_UNIT_TYPE_PE_BRIDGE1_C2M1, w.Computer(), {40, 40, 0});
  ASSERT_NE(bridge, nullptr);
  VNFEATUNIT* self = Self(bridge);
  SPW_DOBJECT* model = self->pDestruction;
  ASSERT_NE(model, nullptr);
  EXPECT_TRUE(model->fFlags & SPW_DOBJ_HIDDEN);
  EXPECT_EQ(vnUNIT_FirstObject(bridge), model);

  EXPECT_EQ(Ask(bridge, SGM_UNIT_IS_INVULNERABLE), 1);
  Shoot(bridge);
  Shoot(bridge);
  EXPECT_FLOAT_EQ(Health(bridge), 100.0f);
  EXPECT_EQ(Ask(bridge, SGM_UNIT_IS_DEAD), 0);

  Ask(bridge, SGM_FEATUNIT_DESTROY);
  EXPECT_EQ(self->nState, VNFEATUNIT_COLLAPSING);
  EXPECT_EQ(Ask(bridge, SGM_UNIT_IS_DEAD), 1);
  EXPECT_FALSE(model->fFlags & (SPW_DOBJ_HIDDEN | SPW_DOBJ_NOT_ANIMATED));
  EXPECT_TRUE(Hidden(self->pIntact));
  EXPECT_TRUE(Hidden(self->pDestroyed));
  RunFrames(20);
  EXPECT_EQ(self->nState, VNFEATUNIT_COLLAPSING) << "the model is still playing";
  RunFrames(15);
  EXPECT_EQ(self->nState, VNFEATUNIT_DESTROYED);
  EXPECT_TRUE(Hidden(self->pIntact));
  EXPECT_FALSE(Hidden(self->pDestroyed));
  EXPECT_EQ(vnUNIT_FirstObject(bridge), nullptr);
  EXPECT_EQ(self->pDestruction, nullptr);
  // A script's destruction is no kill of the player's.
  EXPECT_EQ(MissionEvents(SGM_VN_MISSCONT_EVENT_FEATURE_KILLED), 0);
}

TEST_F(FeatureUnitTest, ADestructionModelThatFailsToLoadLeavesAFeatureThatSwapsAtOnce) {
  vnFEATURE_SET set;
  set.groups = {Boxes("Bridge", {{40, 40, 0}}), Boxes("Bridge Damaged", {{40, 40, 0}})};
  StartWith(set);
  vntest::TraceCapture trace;
  VNUNIT* bridge = w.Create(VN_UNIT_TYPE_PE_BRIDGE1_C2M1, w.Computer(), {40, 40, 0});
  ASSERT_NE(bridge, nullptr);
  EXPECT_TRUE(trace.contains("[FEATURE_UNIT] Failed to create destruction dynamic object"));
  Ask(bridge, SGM_FEATUNIT_DESTROY);
  EXPECT_EQ(Self(bridge)->nState, VNFEATUNIT_DESTROYED);
  EXPECT_FALSE(Hidden(Self(bridge)->pDestroyed));
}

TEST_F(FeatureUnitTest, ASnowMoundsBarShowsNearASoldierAndHidesTenSecondsAfterTheLastOne) {
  vnFEATURE_SET set;
  set.groups = {Boxes("Snow Mound", {{30, 30, 0}})};
  StartWith(set);
  VNUNIT* mound = w.Create(VN_UNIT_TYPE_PE_SNOW_MOUND, w.Computer(), {30, 30, 0});
  ASSERT_NE(mound, nullptr);
  VNMARKER* bar = Self(mound)->pBar;
  ASSERT_NE(bar, nullptr);
  EXPECT_FLOAT_EQ(bar->data.vPos.z, 10.0f);
  EXPECT_EQ(bar->data.adwLook[3], 0xff00ff00u);
  EXPECT_EQ(bar->data.adwLook[4], 0xffff0000u);
  // It starts at half its health.
  EXPECT_FLOAT_EQ(Health(mound), 40.0f);
  RunFrames(1);
  EXPECT_TRUE(bar->data.dwFlags & VNMARKER_HIDDEN);

  VNUNIT* soldier = w.Create(kSoldier, w.Human(), {0, 0, 0});
  ASSERT_NE(soldier, nullptr);
  w.Place(soldier, {38, 30, 0});
  SetFrameTime(0.5f);
  RunFrames(1);
  EXPECT_FALSE(bar->data.dwFlags & VNMARKER_HIDDEN);
  EXPECT_FLOAT_EQ(bar->data.fLevel, 0.5f);
  w.Place(soldier, {41, 30, 0});  // 11 away: too far
  RunFrames(18);  // the frame it came near counts: 9.5 seconds on the bar's clock
  EXPECT_FALSE(bar->data.dwFlags & VNMARKER_HIDDEN);
  RunFrames(1);
  EXPECT_TRUE(bar->data.dwFlags & VNMARKER_HIDDEN);
  // A soldier out of play does not show it.
  w.Place(soldier, {31, 30, 0});
  soldier->dwFlags |= 0x4000;
  RunFrames(1);
  EXPECT_TRUE(bar->data.dwFlags & VNMARKER_HIDDEN);
  // A script shows and hides it.
  Ask(mound, SGM_FEATUNIT_SHOW_BAR, 1);
  EXPECT_FALSE(bar->data.dwFlags & VNMARKER_HIDDEN);
  Ask(mound, SGM_FEATUNIT_SHOW_BAR, 0);
  EXPECT_TRUE(bar->data.dwFlags & VNMARKER_HIDDEN);
  // The bar goes with the unit.
  EXPECT_EQ(SGE_ListCount(&Markers()->active), 1);
  w.Destroy(mound);
  EXPECT_EQ(SGE_ListCount(&Markers()->active), 0);
}

TEST_F(FeatureUnitTest, ABarOfATypeWithoutHealthShowsEmptyRatherThanDividingByZero) {
  vnFEATURE_SET set;
  set.groups = {Boxes("Snow Mound", {{30, 30, 0}})};
  StartWith(set, 0.0f);
  VNUNIT* mound = w.Create(VN_UNIT_TYPE_PE_SNOW_MOUND, w.Computer(), {30, 30, 0});
  ASSERT_NE(mound, nullptr);
  VNMARKER* bar = Self(mound)->pBar;
  ASSERT_NE(bar, nullptr);
  bar->data.fLevel = 0.75f;
  Ask(mound, SGM_FEATUNIT_SHOW_BAR, 1);
  RunFrames(1);
  EXPECT_FALSE(bar->data.dwFlags & VNMARKER_HIDDEN);
  EXPECT_EQ(bar->data.fLevel, 0.0f);
}

TEST_F(FeatureUnitTest, AGeneratorsComponentLoopsUntilAScriptStopsIt) {
  vnFEATURE_SET set;
  set.groups = {Boxes("GeoThermalGenerator", {{50, 20, 0}})};
  WriteModel("Export/Pows/c2m6gtsfans.pow", vnMODELS_Collapse("c2m6gtsfans", kCollapseTicks));
  StartWith(set);
  VNUNIT* generator = w.Create(VN_UNIT_TYPE_PE_GEOTHERMAL_GENERATOR, w.Computer(), {50, 20, 0});
  ASSERT_NE(generator, nullptr);
  EXPECT_EQ(Ask(generator, SGM_FEATUNIT_HAS_COMPONENT), 1);
  SPW_DOBJECT* fans = Self(generator)->pComponent;
  ASSERT_NE(fans, nullptr);
  EXPECT_FLOAT_EQ(fans->t.vPos.x, 50.0f);
  EXPECT_FLOAT_EQ(fans->pSlots[0].fSpeed, 1.0f);
  EXPECT_EQ(fans->pSlots[0].fFlags & SPW_ANIM_ONCE, 0u);
  Ask(generator, SGM_FEATUNIT_RUN_COMPONENT, 0, 0);
  EXPECT_FLOAT_EQ(fans->pSlots[0].fSpeed, 0.0f);
  Ask(generator, SGM_FEATUNIT_RUN_COMPONENT, 0, 1);
  EXPECT_FLOAT_EQ(fans->pSlots[0].fSpeed, 1.0f);
  // Weapons cannot hurt it; only a script destroys it, and then its objects go.
  EXPECT_EQ(Ask(generator, SGM_UNIT_IS_INVULNERABLE), 1);
  Ask(generator, SGM_FEATUNIT_DESTROY);
  EXPECT_EQ(Ask(generator, SGM_FEATUNIT_HAS_COMPONENT), 0);
  EXPECT_EQ(vnUNIT_FirstObject(generator), nullptr);
}

}  // namespace
}  // namespace featunittest
