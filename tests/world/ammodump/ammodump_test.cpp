// The ammunition dump in the headless world: its model and lid, who it serves and how far, what
// a soldier gets for the supply, the supply's refill, tech items and the supply bar.
#include "world/ammodump/ammodump.h"

#include <gtest/gtest.h>

#include <map>

#include "engine/dobject/dobject.h"
#include "frontend/platman.h"
#include "interface/hud/refresh.h"
#include "interface/hud/uniticon.h"
#include "tests/world/featunit/featunit_fixture.h"
#include "tools/models/props.h"
#include "world/unitman/unitman.h"
#include "world/unitman/unitmsg.h"

namespace featunittest {
namespace {

constexpr int32_t kDump = VN_UNIT_TYPE_PE_AMMO_DUMP;
constexpr int32_t kSoldier = VN_UNIT_TYPE_TERRAN_ZR_0;
constexpr int32_t kRifle = VN_UNIT_TYPE_WEAPON_SMARTRIFLE_0;
constexpr int32_t kBullet = VN_UNIT_TYPE_AMMO_STANDARD_BULLET;
constexpr int32_t kNerveGas = VN_UNIT_TYPE_TECH_NERVEGAS;
constexpr int32_t kGunner = VN_UNIT_TYPE_TERRAN_ZR_0_FEM;
constexpr int32_t kRevolver = VN_UNIT_TYPE_WEAPON_REVOLVER;
constexpr int32_t kSuit = VN_UNIT_TYPE_SUIT_BRAKKAR_0;
constexpr int32_t kLauncher = VN_UNIT_TYPE_WEAPON_MICROROCKETS;
constexpr int32_t kRockets = VN_UNIT_TYPE_AMMO_MICRO_ROCKET_PACK;
constexpr float kDumpRadius = 1.0f;
constexpr float kBulletCost = 2.0f;
constexpr float kGasCost = 5.0f;
constexpr SPW_VECTOR kAt{50, 50, 0};

struct Supply {
  float amount = 20.0f;
  float rate = 0.0f;
};

class AmmoDumpTest : public PlacedObjectTest {
 protected:
  void StartWith(Supply supply, std::vector<VNWRITE_UNITATTR> extra = {},
                 std::vector<int32_t> recorders = {}) {
    VNWRITE_UNITATTR dump = vnworld::Row(
        kDump, VNUNIT_F_OBSERVER | VNUNIT_F_OBSERVABLE | VNUNIT_F_UPDATE, {}, kDumpRadius, 30.0f);
    dump.supply = supply.amount;
    dump.floats[VNAMMODUMP_ATTR_RATE - 11] = supply.rate;
    VNWRITE_UNITATTR bullet = vnworld::Row(kBullet, VNUNIT_F_ITEM);
    bullet.supply = kBulletCost;
    VNWRITE_UNITATTR gas = vnworld::Row(kNerveGas, VNUNIT_F_ITEM);
    gas.supply = kGasCost;
    WriteModel("Export/Pows/ammo_drop.pow", vnMODELS_AmmoDrop());
    std::vector<VNWRITE_UNITATTR> rows = {
        dump, bullet, gas, vnworld::Row(kRifle, VNUNIT_F_WEAPON, {kBullet}),
        vnworld::Row(kSoldier, VNUNIT_F_SOLDIER | VNUNIT_F_OBSERVABLE, {kRifle})};
    rows.insert(rows.end(), extra.begin(), extra.end());
    recorders.insert(recorders.end(), {VNTT_TERRAN_INFANTRY, VNTT_WEAPON_SMARTRIFLE});
    Start(rows, recorders);
    w.SetHook([this](VNUNIT* u, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
      return Hook(u, msg, p1, p2);
    });
    vnHUD_TakeRefresh();
    vnUnitIcon_ClearFlashes();
  }

  // Soldiers hold magazines of `capacity` rounds and accept a refill of their first tech slot.
  SGE_RESULT Hook(VNUNIT* u, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
    if (!u) return -1;
    if (u->nType == kRevolver && msg == SGM_WEAPON_GET_AMMO_TYPE) return VN_UNIT_TYPE_COUNT;
    if (u->nType == kSuit && msg == SGM_WEAPON_AMMO_NEEDED) {
      EXPECT_EQ(p1, static_cast<SGE_PARAM>(kLauncher));
      return capacity - rounds[u->dwId];
    }
    if (u->nType == kSuit && msg == SGM_UNIT_ADD_AMMO) {
      EXPECT_EQ(p1, static_cast<SGE_PARAM>(kRockets));
      ++rounds[u->dwId];
      return 1;
    }
    if (u->nType == kRifle && msg == SGM_WEAPON_GET_AMMO_TYPE) return kBullet;
    if (u->nType == kRifle && msg == SGM_UNIT_ADD_AMMO) {
      EXPECT_EQ(p1, static_cast<SGE_PARAM>(kBullet));
      ++rounds[u->pParent->dwId];
      return 1;
    }
    const bool rifleman = u->nType == kSoldier || u->nType == kGunner;
    if (rifleman && msg == SGM_WEAPON_AMMO_NEEDED) {
      EXPECT_EQ(p1, static_cast<SGE_PARAM>(kRifle));
      return capacity - rounds[u->dwId];
    }
    if (rifleman && msg == SGM_UNIT_REFILL_ITEM) return p2 == 2 ? 1 : 0;
    return -1;
  }

  VNUNIT* Dump() {
    VNUNIT* d = w.Create(kDump, w.Human(), kAt);
    EXPECT_NE(d, nullptr);
    return d;
  }
  VNUNIT* Soldier(uint32_t player, float dx) {
    VNUNIT* s = w.Create(kSoldier, player, {0, 0, 0});
    EXPECT_NE(s, nullptr);
    if (s) w.Place(s, {kAt.x + dx, kAt.y, kAt.z});
    return s;
  }
  VNAMMODUMP* Self(VNUNIT* dump) { return SGE_TaskData<VNAMMODUMP>(dump->pController); }

  int32_t capacity = 10;
  std::map<uint32_t, int32_t> rounds;
};

TEST_F(AmmoDumpTest, ADumpStandsClosedWithItsModelFullSupplyAndAHiddenBar) {
  StartWith({20.0f, 0.0f});
  VNUNIT* dump = Dump();
  VNAMMODUMP* self = Self(dump);
  ASSERT_NE(self->pObject, nullptr);
  EXPECT_EQ(SGE_Ask<SPW_DOBJECT>(dump->pController, SGM_UNIT_GET_OBJECT, 0, 0),
            self->pObject);
  EXPECT_EQ(SGE_Send(dump->pController, SGM_UNIT_GET_CLASS, 0, 0), VNAMMODUMP_CLASS);
  ASSERT_EQ(self->nOpenAnim, 0);
  ASSERT_EQ(self->nCloseAnim, 1);
  EXPECT_FLOAT_EQ(self->pObject->pSlots[0].fSpeed, 0.0f);
  EXPECT_FLOAT_EQ(self->pObject->pSlots[0].fTime, 0.0f);
  EXPECT_FLOAT_EQ(self->fSupply, 20.0f);
  EXPECT_FLOAT_EQ(self->fMaxSupply, 20.0f);
  ASSERT_NE(self->pBar, nullptr);
  EXPECT_FLOAT_EQ(self->pBar->data.vPos.z, 5.5f);
  RunFrames(1);
  EXPECT_TRUE(self->pBar->data.dwFlags & VNMARKER_HIDDEN);
  EXPECT_EQ(self->nLid, VNAMMODUMP_CLOSED);
  // Message 315 shows the bar: the supply over its maximum.
  SGE_Send(dump->pController, SGM_AMMODUMP_SHOW_BAR, 0, 0);
  RunFrames(1);
  EXPECT_FALSE(self->pBar->data.dwFlags & VNMARKER_HIDDEN);
  EXPECT_FLOAT_EQ(self->pBar->data.fLevel, 1.0f);
  // The bar and the model go with the dump.
  EXPECT_EQ(SGE_ListCount(&Markers()->active), 1);
  w.Destroy(dump);
  EXPECT_EQ(SGE_ListCount(&Markers()->active), 0);
}

TEST_F(AmmoDumpTest, ASoldierWithinReachIsServedAndOneJustBeyondOnlyOpensTheLid) {
  StartWith({100.0f, 0.0f});
  VNUNIT* dump = Dump();
  VNAMMODUMP* self = Self(dump);
  VNUNIT* beyond = Soldier(w.Human(), kDumpRadius + 5.0f);
  RunFrames(1);
  EXPECT_EQ(rounds[beyond->dwId], 0);
  EXPECT_EQ(vnUnitIcon_FlashLeft(beyond->dwId), 0.0f);
  EXPECT_EQ(self->nLid, VNAMMODUMP_OPENED);
  EXPECT_FLOAT_EQ(self->pObject->pSlots[self->nOpenAnim].fSpeed, 1.0f);
  EXPECT_TRUE(self->pObject->pSlots[self->nOpenAnim].fFlags & SPW_ANIM_ONCE);
  const struct {
    float beyondRadius;
    int32_t rounds;
  } kCases[] = {{4.0f, 10}, {4.5f, 10}, {4.6f, 0}};
  for (const auto& c : kCases) {
    VNUNIT* soldier = w.Create(kSoldier, w.Human(), {0, 0, 0});
    ASSERT_NE(soldier, nullptr);
    w.Place(soldier, {kAt.x, kAt.y - kDumpRadius - c.beyondRadius, kAt.z});
    RunFrames(1);
    EXPECT_EQ(rounds[soldier->dwId], c.rounds) << c.beyondRadius;
    w.Destroy(soldier);
  }
  EXPECT_EQ(rounds[beyond->dwId], 0);
}

TEST_F(AmmoDumpTest, AWeaponLackingTenWithSupplyForThreeGetsThree) {
  StartWith({7.0f, 0.0f});
  VNUNIT* dump = Dump();
  VNUNIT* soldier = Soldier(w.Human(), 2.0f);
  RunFrames(1);
  EXPECT_EQ(rounds[soldier->dwId], 3);
  EXPECT_FLOAT_EQ(Self(dump)->fSupply, 7.0f - 3 * kBulletCost);
  EXPECT_FLOAT_EQ(vnUnitIcon_FlashLeft(soldier->dwId), VNUNITICON_FLASH_SECONDS);
  EXPECT_EQ(vnHUD_TakeRefresh(), 1);
  // What is left pays for no round.
  RunFrames(3);
  EXPECT_EQ(rounds[soldier->dwId], 3);
  EXPECT_FLOAT_EQ(Self(dump)->fSupply, 1.0f);
  EXPECT_EQ(vnHUD_TakeRefresh(), 0);
}

TEST_F(AmmoDumpTest, TheSupplyGrowsBackButNeverAboveItsMaximum) {
  capacity = 4;
  StartWith({20.0f, 5.0f});
  SetFrameTime(0.5f);
  VNUNIT* dump = Dump();
  VNAMMODUMP* self = Self(dump);
  VNUNIT* soldier = Soldier(w.Human(), 2.0f);
  RunFrames(1);
  EXPECT_EQ(rounds[soldier->dwId], 4);
  EXPECT_FLOAT_EQ(self->fSupply, 12.0f);
  RunFrames(1);
  EXPECT_FLOAT_EQ(self->fSupply, 14.5f);
  for (int i = 0; i < 20; ++i) {
    RunFrames(1);
    EXPECT_LE(self->fSupply, 20.0f) << i;
  }
  EXPECT_FLOAT_EQ(self->fSupply, 20.0f);
}

TEST_F(AmmoDumpTest, EnemiesNeitherOpenTheLidNorGetAmmunition) {
  StartWith({20.0f, 0.0f});
  VNUNIT* dump = Dump();
  VNUNIT* enemy = Soldier(w.Computer(), 2.0f);
  // A soldier of the dump's side out of play is not served either.
  VNUNIT* out = Soldier(w.Human(), 2.0f);
  out->dwFlags |= 0x4000;
  RunFrames(3);
  EXPECT_EQ(rounds[enemy->dwId], 0);
  EXPECT_EQ(rounds[out->dwId], 0);
  EXPECT_EQ(Self(dump)->nLid, VNAMMODUMP_CLOSED);
  EXPECT_FLOAT_EQ(Self(dump)->fSupply, 20.0f);
}

TEST_F(AmmoDumpTest, TheLidClosesWhenTheLastSoldierIsOutOfSight) {
  StartWith({20.0f, 0.0f});
  VNUNIT* dump = Dump();
  VNUNIT* soldier = Soldier(w.Human(), 10.0f);
  RunFrames(1);
  ASSERT_EQ(Self(dump)->nLid, VNAMMODUMP_OPENED);
  w.Place(soldier, {kAt.x + 40.0f, kAt.y, kAt.z});  // beyond the dump's range
  RunFrames(1);
  VNAMMODUMP* self = Self(dump);
  EXPECT_EQ(self->nLid, VNAMMODUMP_CLOSED);
  EXPECT_FLOAT_EQ(self->pObject->pSlots[self->nCloseAnim].fSpeed, 1.0f);
  EXPECT_TRUE(self->pObject->pSlots[self->nCloseAnim].fFlags & SPW_ANIM_ONCE);
}

TEST_F(AmmoDumpTest, AUsedNerveGasIsRefilledWhenTheSoldierTakesIt) {
  capacity = 0;
  VNPLATOON_UNIT record{};
  VNPLATOON roster{};
  roster.apUnits[VNPLATOON_FIRST_FIELDED] = &record;
  platoon = &roster;
  StartWith({12.0f, 0.0f});
  VNUNIT* dump = Dump();
  VNUNIT* soldier = Soldier(w.Human(), 2.0f);
  record.nRosterId = static_cast<int32_t>(soldier->dwId);
  record.anEquipment[0] = record.anEquipment[1] = kNerveGas;
  record.dwFlags = VNPLATOON_UNIT_ITEM1_USED | VNPLATOON_UNIT_ITEM2_USED;
  RunFrames(1);
  // The first slot is refilled; the soldier refuses the second.
  EXPECT_EQ(record.dwFlags, VNPLATOON_UNIT_ITEM2_USED);
  EXPECT_FLOAT_EQ(Self(dump)->fSupply, 12.0f - kGasCost);
  const std::vector<vnworld::Event> asked = w.EventsOf(SGM_UNIT_REFILL_ITEM);
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0].p1, static_cast<SGE_PARAM>(kNerveGas));
  EXPECT_EQ(asked[0].p2, 2);
  EXPECT_EQ(asked[1].p2, 3);
  // Used again, it is refilled again while the supply lasts.
  record.dwFlags = VNPLATOON_UNIT_ITEM1_USED;
  RunFrames(1);
  EXPECT_EQ(record.dwFlags, 0u);
  record.dwFlags = VNPLATOON_UNIT_ITEM1_USED;
  RunFrames(1);
  EXPECT_EQ(record.dwFlags, VNPLATOON_UNIT_ITEM1_USED);
  EXPECT_FLOAT_EQ(Self(dump)->fSupply, 2.0f);
}

TEST_F(AmmoDumpTest, ARocketSuitsLauncherIsRefilledAndARevolverHandHoldsTheRefilledWeapon) {
  VNWRITE_UNITATTR rockets = vnworld::Row(kRockets, VNUNIT_F_ITEM);
  rockets.supply = 3.0f;
  StartWith({30.0f, 0.0f},
            {rockets, vnworld::Row(kLauncher, VNUNIT_F_WEAPON, {kRockets}),
             vnworld::Row(kRevolver, VNUNIT_F_WEAPON),
             vnworld::Row(kSuit, VNUNIT_F_SOLDIER | VNUNIT_F_OBSERVABLE),
             vnworld::Row(kGunner, VNUNIT_F_SOLDIER | VNUNIT_F_OBSERVABLE,
                          {kRevolver, kRifle})},
            {VNTT_SUIT_BRAKKAR, VNTT_WEAPON_REVOLVER});
  capacity = 4;
  VNUNIT* dump = Dump();
  VNUNIT* suit = w.Create(kSuit, w.Human(), {0, 0, 0});
  VNUNIT* gunner = w.Create(kGunner, w.Human(), {0, 0, 0});
  ASSERT_NE(suit, nullptr);
  ASSERT_NE(gunner, nullptr);
  w.Place(suit, {kAt.x + 2.0f, kAt.y, kAt.z});
  w.Place(gunner, {kAt.x, kAt.y + 2.0f, kAt.z});
  vntest::TraceCapture trace;
  RunFrames(1);
  EXPECT_EQ(rounds[suit->dwId], 4);
  EXPECT_EQ(rounds[gunner->dwId], 4);
  EXPECT_FLOAT_EQ(Self(dump)->fSupply, 30.0f - 4 * 3.0f - 4 * kBulletCost);
  // The revolver has no rounds to take and says nothing of it.
  EXPECT_FALSE(trace.contains("Weapon never supplied ammo!!"));
  const VNUNIT* rifle = reinterpret_cast<VNUNIT*>(
      SGE_ListNext(&gunner->aChildren[VNUNIT_CHILD_WEAPONS],
                   SGE_ListFirst(&gunner->aChildren[VNUNIT_CHILD_WEAPONS])));
  ASSERT_NE(rifle, nullptr);
  ASSERT_EQ(rifle->nType, kRifle);
  const std::vector<vnworld::Event> taken = w.EventsOf(SGM_UNIT_TAKE_WEAPON);
  ASSERT_EQ(taken.size(), 1u);
  EXPECT_EQ(taken[0].unitId, gunner->dwId);
  EXPECT_EQ(taken[0].p1, static_cast<SGE_PARAM>(rifle->dwId));
}

TEST_F(AmmoDumpTest, ADumpWithoutSupplyShowsAnEmptyBarRatherThanDividingByZero) {
  StartWith({0.0f, 0.0f});
  VNUNIT* dump = Dump();
  VNAMMODUMP* self = Self(dump);
  Soldier(w.Human(), 2.0f);
  self->pBar->data.fLevel = 0.75f;
  SGE_Send(dump->pController, SGM_AMMODUMP_SHOW_BAR, 0, 0);
  RunFrames(1);
  EXPECT_FALSE(self->pBar->data.dwFlags & VNMARKER_HIDDEN);
  EXPECT_EQ(self->pBar->data.fLevel, 0.0f);
  EXPECT_FLOAT_EQ(self->fSupply, 0.0f);
}

}  // namespace
}  // namespace featunittest
