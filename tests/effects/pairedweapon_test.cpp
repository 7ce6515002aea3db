// The double weapon: two smart rifles in a soldier's hands, through the real classes.
#include <gtest/gtest.h>

#include "effects/pairedweapon.h"
#include "effects/weapon.h"
#include "tests/effects/weapon_fixture.h"

namespace weapontest {
namespace {

class PairTest : public WeaponTest {
 protected:
  void SetUp() override {
    WeaponTest::SetUp();
    // The guns of a pair load their left and right models.
    for (const char* side : {"L", "R"}) {
      vnMODEL model = vnMODELS_Twin50();
      const std::string file = vnUNITMAN_BuildPowName(kRifle, 8, "m", side);
      model.name = file.substr(file.rfind('/') + 1, file.size() - file.rfind('/') - 5);
      ASSERT_TRUE(vnWRITE_POW(w.content().file(file.c_str()), model)) << file;
    }
    VNUNIT_CREATE c{};
    c.nType = kPair;
    c.dwPlayer = w.Human();
    c.pTargetList = &soldier->aChildren[VNUNIT_CHILD_WEAPONS];
    c.pParent = soldier;
    c.nBinding = 1;
    c.vDir = {0.0f, 1.0f, 0.0f};
    c.nVariant = kRifle;
    pair = vnUNITMAN_CreateUnit(&c, nullptr);
    ASSERT_NE(pair, nullptr);
    ASSERT_NE(pair->pController, nullptr);
  }
  VNUNIT* Gun(int32_t msg) const { return SGE_Ask<VNUNIT>(pair->pController, msg, 0, 0); }
  int32_t FirePair(VNUNIT* target) {
    return static_cast<int32_t>(SGE_Send(pair->pController, SGM_WEAPON_FIRE, SGE_PtrParam(target), -1));
  }
  // A bug on the pair's mean aiming axis, its aim point that far from the mean muzzle.
  VNUNIT* BugBeforeThePair(float distance) {
    SPW_VECTOR muzzle{}, axis{};
    EXPECT_EQ(SGE_Send(pair->pController, SGM_WEAPON_MUZZLE_POINT, SGE_PtrParam(&muzzle),
                       SGE_PtrParam(&axis)),
              1);
    SPW_VecNormalise(&axis);
    VNUNIT* bug = w.Create(kBug, w.Computer(),
                           {muzzle.x + axis.x * distance, muzzle.y + axis.y * distance,
                            muzzle.z + axis.z * distance - 1.0f});
    EXPECT_NE(bug, nullptr);
    return bug;
  }
  VNUNIT* pair = nullptr;
};

TEST_F(PairTest, APairMakesTwoGunsOfItsTypeAndReadsAsThem) {
  VNUNIT* left = Gun(SGM_WEAPON_FIRST_GUN);
  VNUNIT* right = Gun(SGM_WEAPON_SECOND_GUN);
  ASSERT_NE(left, nullptr);
  ASSERT_NE(right, nullptr);
  EXPECT_NE(left, right);
  for (const VNUNIT* gun : {left, right}) {
    EXPECT_EQ(gun->nType, kRifle);
    EXPECT_EQ(gun->pParent, pair);
    EXPECT_EQ(vnWEAPON_GetHolder(gun), soldier) << "the pair is stepped over";
    EXPECT_NE(SGE_Ask<SPW_DOBJECT>(gun->pController, SGM_UNIT_GET_OBJECT, 0, 0), nullptr);
  }
  EXPECT_EQ(SGE_Send(pair->pController, SGM_WEAPON_INNER_TYPE, 0, 0), kRifle);
  EXPECT_EQ(SGE_Send(pair->pController, SGM_WEAPON_GET_HOLD_KIND, 0, 0), VNWEAPON_HOLD_PAIRED);
  EXPECT_FLOAT_EQ(vnUNIT_AttrFloat(pair, VN_ATTR_RANGE), kRange) << "the pair reads as its guns";
  EXPECT_EQ(SGE_Send(pair->pController, SGM_WEAPON_HAS_AMMO, 0, 0), 1);
}

TEST_F(PairTest, BothGunsFireAtOneOrderAndTheirReasonsAreKept) {
  VNUNIT* near = BugBeforeThePair(20.0f);
  EXPECT_EQ(FirePair(near), VNWEAPON_FIRED);
  int32_t hits = 0;
  for (const VNWEAPON_CREDIT& c : credits) hits += c.nHits;
  EXPECT_EQ(hits, 2) << "each gun hit once";
  EXPECT_FLOAT_EQ(vnUNIT_AttrFloat(near, VN_ATTR_HEALTH), 0.0f);
  VNUNIT* far = BugBeforeThePair(kRange + 10.0f);
  EXPECT_EQ(FirePair(far) & VNWEAPON_OUT_OF_RANGE, VNWEAPON_OUT_OF_RANGE);
  EXPECT_FLOAT_EQ(vnUNIT_AttrFloat(far, VN_ATTR_HEALTH), 50.0f);
}

TEST_F(PairTest, ThePairAndItsGunsGoWithTheSoldier) {
  const uint32_t ids[3] = {pair->dwId, Gun(SGM_WEAPON_FIRST_GUN)->dwId,
                           Gun(SGM_WEAPON_SECOND_GUN)->dwId};
  vnUNITMAN_DestroyUnit(soldier);
  soldier = nullptr;
  for (uint32_t id : ids) EXPECT_EQ(vnUNITMAN_GetUnit(id), nullptr) << id;
}

TEST_F(WeaponTest, AnAmmunitionItemIsAUnitWithAController) {
  EXPECT_NE(stock->pController, nullptr);
  EXPECT_EQ(SGE_Send(stock->pController, SGM_UNIT_GET_CLASS, 0, 0), 0);
}

}  // namespace
}  // namespace weapontest
