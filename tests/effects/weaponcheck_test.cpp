// The fire check, rounds and the weapon's model, with a real rifle in the test world.
#include <gtest/gtest.h>

#include <string>

#include "effects/weapon.h"
#include "platform/random.h"
#include "platform/window/msgbox.h"
#include "tests/effects/weapon_fixture.h"

namespace weapontest {
namespace {

constexpr SPW_VECTOR kAxis = {1.0f, 0.0f, 0.0f};

// The check with the shot straight along the axis from high above the flat terrain, at a
// distance, with a minimum range, accuracy and the soldier to report to.
struct Check {
  VNUNIT* rifle;
  float minRange = 1.0f;
  float accuracy = 100.0f;
  VNUNIT* creditTo = nullptr;
  SPW_VECTOR dir = kAxis;
  float check = 1.0f, threshold = 0.0f;

  int32_t At(float distance) const {
    const SPW_VECTOR muzzle{50.0f, 50.0f, 10.0f};
    SPW_VECTOR block{};
    int32_t roundType = VNWEAPON_NO_ROUND;
    VNUNIT* round = nullptr;
    return vnWEAPON_CheckFire(distance, &dir, rifle, &roundType, &round, &muzzle, &kAxis,
                              &block, nullptr, check, threshold, 0.98481f, minRange, accuracy,
                              creditTo);
  }
};

TEST_F(WeaponTest, RangeEdgesAreInsideTheirLimits) {
  const struct {
    const char* what;
    float distance;
    int32_t reasons;
  } cases[] = {
      {"at the range", kRange, 0},
      {"just beyond it", kRange + 0.01f, VNWEAPON_OUT_OF_RANGE},
      {"at the minimum range", 1.0f, 0},
      {"just under it", 0.99f, VNWEAPON_TOO_CLOSE},
  };
  for (const auto& c : cases) EXPECT_EQ((Check{rifle}.At(c.distance)), c.reasons) << c.what;
}

TEST_F(WeaponTest, EveryReasonIsReportedAtOnce) {
  stock->adwAttr[VNAMMO_ATTR_COUNT] = 0;
  Check c{rifle};
  c.dir = {0.0f, 1.0f, 0.0f};
  c.check = 0.2f;
  c.threshold = 1.0f;
  EXPECT_EQ(c.At(kRange + 1.0f), VNWEAPON_OUT_OF_RANGE | VNWEAPON_NO_AMMO | VNWEAPON_OFF_AIM |
                                     VNWEAPON_NOT_READY);
}

TEST_F(WeaponTest, TheCheckLoadsARoundFromTheStock) {
  ASSERT_EQ(vnWEAPON_HasRoundLoaded(rifle), 0);
  EXPECT_EQ((Check{rifle}.At(10.0f)), 0);
  EXPECT_EQ(vnWEAPON_HasRoundLoaded(rifle), 1);
  EXPECT_EQ(vnWEAPON_FirstRound(rifle)->nType, kBullet);
  EXPECT_EQ(Count(), kStock - 1);
}

TEST_F(WeaponTest, AccuracySixtyNeverMissesAndZeroMissesAboveForty) {
  for (float accuracy : {60.0f, 0.0f}) {
    for (uint32_t seed = 1; seed <= 200; ++seed) {
      PLAT_SRand(seed);
      const int32_t roll = PLAT_Rand() % 100 + 1;
      PLAT_SRand(seed);
      Check c{rifle};
      c.accuracy = accuracy;
      const bool misses = static_cast<int32_t>(accuracy) + 40 < roll;
      EXPECT_EQ(c.At(10.0f), misses ? VNWEAPON_MISSED : 0) << accuracy << " roll " << roll;
      if (accuracy == 60.0f) {
        EXPECT_FALSE(misses);
      }
    }
  }
}

TEST_F(WeaponTest, AShotReportsAHitAndAPureMissAMissButARefusalNothing) {
  Check c{rifle};
  c.creditTo = soldier;
  c.accuracy = 100.0f;
  ASSERT_EQ(c.At(10.0f), 0);
  c.accuracy = -41.0f;  // every roll misses
  ASSERT_EQ(c.At(10.0f), VNWEAPON_MISSED);
  ASSERT_EQ(c.At(kRange + 1.0f), VNWEAPON_OUT_OF_RANGE | VNWEAPON_MISSED);
  ASSERT_EQ(credits.size(), 2u);
  EXPECT_EQ(credits[0].nHits, 1);
  EXPECT_EQ(credits[0].nMisses, 0);
  EXPECT_EQ(credits[1].nHits, 0);
  EXPECT_EQ(credits[1].nMisses, 1);
}

TEST_F(WeaponTest, ALoadedRoundIsAmmunitionEvenWithAnEmptyStock) {
  ASSERT_NE(vnWEAPON_LoadRound(rifle), nullptr);
  stock->adwAttr[VNAMMO_ATTR_COUNT] = 0;
  EXPECT_EQ(vnWEAPON_HasAmmo(rifle), 1);
  EXPECT_EQ(vnWEAPON_LoadRound(rifle), nullptr);  // one is loaded already
  vnWEAPON_UseRound(rifle);
  vnWEAPON_UseRound(rifle);  // two shots use the round up; nothing is left to load
  EXPECT_EQ(vnWEAPON_HasRoundLoaded(rifle), 0);
  EXPECT_EQ(vnWEAPON_HasAmmo(rifle), 0);
}

TEST_F(WeaponTest, ASpentRoundMakesWayForTheNext) {
  ASSERT_NE(vnWEAPON_LoadRound(rifle), nullptr);
  const uint32_t first = vnWEAPON_FirstRound(rifle)->dwId;
  vnWEAPON_UseRound(rifle);
  EXPECT_EQ(vnWEAPON_FirstRound(rifle)->dwId, first);  // half of it is left
  vnWEAPON_UseRound(rifle);
  ASSERT_NE(vnWEAPON_FirstRound(rifle), nullptr);
  EXPECT_NE(vnWEAPON_FirstRound(rifle)->dwId, first);
  EXPECT_EQ(vnUNITMAN_GetUnit(first), nullptr);
  EXPECT_EQ(Count(), kStock - 2);
}

TEST_F(WeaponTest, TheHolderPassesThroughTheDoubleWeapon) {
  EXPECT_EQ(vnWEAPON_GetHolder(rifle), soldier);
  VNUNIT pair{};
  pair.nType = VN_UNIT_TYPE_WEAPON_CLASS1DOUBLE;
  pair.pParent = soldier;
  VNUNIT gun{};
  gun.pParent = &pair;
  EXPECT_EQ(vnWEAPON_GetHolder(&gun), soldier);
  EXPECT_EQ(vnWEAPON_GetHolder(nullptr), nullptr);
}

bool g_boxShown = false;
std::string g_boxText;
bool RecordBox(const char* text, const char* caption, PLAT_MsgBoxButtons, PLAT_MsgBoxIcon,
               PLAT_MsgBoxAnswer* answer, void*) {
  g_boxShown = std::string(caption) == "Unit/Weapon Combination Error";
  g_boxText = text;
  *answer = PLAT_MsgBoxAnswer::Ok;
  return true;
}

TEST_F(WeaponTest, AHolderThatSharesNoVariantIsReportedAndAModelStillLoads) {
  g_boxShown = false;
  PLAT_SetMessageBoxDriver(RecordBox, nullptr);
  EXPECT_GE(vnWEAPON_LoadModel(rifle, VNWEAPON_HAND_SINGLE, nullptr), 0);
  EXPECT_FALSE(g_boxShown);
  // A bug shares no variant with the rifle: variant 0 has no file here, so nothing loads.
  VNUNIT* bug = w.Create(kBug, w.Computer(), {5, 5, 0});
  rifle->pParent = bug;
  EXPECT_EQ(vnWEAPON_LoadModel(rifle, VNWEAPON_HAND_SINGLE, nullptr), -1);
  rifle->pParent = soldier;
  PLAT_SetMessageBoxDriver(nullptr, nullptr);
  EXPECT_TRUE(g_boxShown);
  EXPECT_EQ(g_boxText,
            "This unit [VN_UNIT_TYPE_BUG_WARRIOR] cannot hold this weapon "
            "[VN_UNIT_TYPE_WEAPON_SMARTRIFLE_0].");
}

}  // namespace
}  // namespace weapontest
