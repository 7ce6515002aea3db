// The primary weapon a soldier claims, the rounds soldiers carry and their weapons' ammunition.
#include "terran/weapons.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "engine/dobject/dobject.h"
#include "engine/kernel/tasktypes.h"
#include "engine/math/vecops.h"
#include "engine/object/object.h"
#include "platform/files.h"
#include "tests/terran/ammo_fixture.h"
#include "tools/models/models.h"
#include "tools/writers/pow_writer.h"

#include "terran/terunit.h"
#include "world/unittype/unittype.h"

namespace {

struct CLAIMCASE {
  const char* name;
  int32_t primary;  // doubleWeaponId before
  int32_t type;
  int32_t answer;
  int32_t after;
};

TEST(ClaimPrimary, OnlyAPlainWeaponBecomesTheFirstPrimary) {
  const CLAIMCASE cases[] = {
      {"a rifle without a primary", -1, VN_UNIT_TYPE_WEAPON_LIGHTRIFLE_0, 1, 7},
      {"a rifle over a primary", 3, VN_UNIT_TYPE_WEAPON_LIGHTRIFLE_0, 0, 3},
      {"the revolver answers 1 and is not kept", -1, VN_UNIT_TYPE_WEAPON_REVOLVER, 1, -1},
      {"the mine", -1, VN_UNIT_TYPE_WEAPON_MINE, 0, -1},
      {"the micro rockets", -1, VN_UNIT_TYPE_WEAPON_MICROROCKETS, 0, -1},
      {"the shock tool", -1, VN_UNIT_TYPE_WEAPON_ENGSHOCK, 0, -1},
      {"the revolver over a primary", 3, VN_UNIT_TYPE_WEAPON_REVOLVER, 0, 3},
  };
  for (const CLAIMCASE& c : cases) {
    VNTERUNIT record{};
    record.doubleWeaponId = c.primary;
    EXPECT_EQ(vnWEAPON_ClaimPrimary(&record, c.type, 7), c.answer) << c.name;
    EXPECT_EQ(record.doubleWeaponId, c.after) << c.name;
  }
}

}  // namespace

namespace {

using ammotest::AmmoTest;
using ammotest::kBullet;
using ammotest::kGrenade;
using ammotest::kLauncher;
using ammotest::kPair;
using ammotest::kRifle;

class SoldierAmmo : public AmmoTest {};

TEST_F(SoldierAmmo, CapacityIsTheRowsValueForTheSuitClassElseFiveOrTen) {
  struct Case {
    const char* what;
    int32_t soldier;
    int32_t weapon;
    bool suitFlag;
    bool holdsPair;
    int32_t rounds;
  };
  const Case cases[] = {
      {"unsuited, the row's value", VN_UNIT_TYPE_TERRAN_ZR_0, kRifle, false, false, ammotest::kRifleRounds},
      {"a tier-0 suit", VN_UNIT_TYPE_SUIT_BRAKKAR_0, kRifle, false, false, ammotest::kRifleSuitRounds},
      {"a tier-1 suit", VN_UNIT_TYPE_SUIT_BRAKKAR_1, kRifle, false, false, ammotest::kRifleSuitRounds},
      {"unsuited with the suit flag", VN_UNIT_TYPE_TERRAN_ZR_0, kRifle, true, false, ammotest::kRifleSuitRounds},
      {"no value unsuited", VN_UNIT_TYPE_TERRAN_ZR_0, kLauncher, false, false, 5},
      {"no value in a suit", VN_UNIT_TYPE_SUIT_BRAKKAR_0, kLauncher, false, false, 10},
      {"the engineer counts as suited", VN_UNIT_TYPE_TERRAN_COMBATENG, kLauncher, false, false, 10},
      {"a double weapon not held", VN_UNIT_TYPE_TERRAN_ZR_0, kPair, false, false, 5},
      {"a double weapon counts as its guns", VN_UNIT_TYPE_TERRAN_ZR_0, kPair, false, true, ammotest::kRifleRounds},
  };
  for (const Case& c : cases) {
    VNTERUNIT* s = Spawn(c.soldier, {20, 20, 0});
    ASSERT_NE(s, nullptr) << c.what;
    if (c.suitFlag) Send(s, SGM_TERUNIT_SET_FLAG8);
    if (c.holdsPair) {
      ASSERT_NE(Give(s, kPair, kRifle), nullptr) << c.what;
    }
    EXPECT_EQ(vnWEAPON_RoundCapacity(s, c.weapon, c.soldier), c.rounds) << c.what;
  }
}

TEST_F(SoldierAmmo, AFractionIsTheLoadedRoundAndTheStockOverTheCapacity) {
  VNTERUNIT* s = Spawn(VN_UNIT_TYPE_TERRAN_ZR_0, {20, 20, 0});
  VNUNIT* rifle = Give(s, kRifle);
  VNUNIT* launcher = Give(s, kLauncher);
  ASSERT_TRUE(rifle && launcher);
  EXPECT_FLOAT_EQ(vnWEAPON_AmmoFraction(s, launcher), 0.0f);  // no grenades
  // The first pick-up loads the rifle; two bullets stay in stock.
  VNUNIT* bullets = Pick(s, kBullet, 3);
  ASSERT_EQ(vnWEAPON_HasRoundLoaded(rifle), 1);
  ASSERT_EQ(Rounds(bullets), 2);
  EXPECT_FLOAT_EQ(vnWEAPON_AmmoFraction(s, rifle),
                  3 * ammotest::kBulletAmount / (ammotest::kRifleRounds * ammotest::kBulletAmount));
  // An emptied stock leaves the loaded round.
  Send(s, SGM_TERUNIT_USE_AMMO, 0, 1);
  EXPECT_FLOAT_EQ(vnWEAPON_AmmoFraction(s, rifle), 1.0f / ammotest::kRifleRounds);
}

TEST_F(SoldierAmmo, RoundsAreCountedRefilledToCapacityAndReloaded) {
  VNTERUNIT* s = Spawn(VN_UNIT_TYPE_TERRAN_ZR_0, {20, 20, 0});
  EXPECT_EQ(vnTERUNIT_CountRounds(s, kRifle), 0);
  Pick(s, kBullet, 2);  // nothing to load yet
  EXPECT_EQ(vnTERUNIT_CountRounds(s, kRifle), 2);
  EXPECT_EQ(vnTERUNIT_CountRounds(s, kLauncher), 0);
  VNUNIT* rifle = Give(s, kRifle);
  ASSERT_NE(rifle, nullptr);
  ASSERT_EQ(vnWEAPON_HasRoundLoaded(rifle), 0);
  vnTERUNIT_ReloadHeldWeapon(s->unit, kRifle);
  EXPECT_EQ(vnWEAPON_HasRoundLoaded(rifle), 1);
  vnTERUNIT_ReloadHeldWeapon(s->unit, kRifle);  // loaded already: the stock stays
  EXPECT_EQ(vnTERUNIT_CountRounds(s, kRifle), 1);
  vnTERUNIT_RefillWeapon(s->unit->pController, s, kRifle);
  EXPECT_EQ(vnTERUNIT_CountRounds(s, kRifle), 1 + ammotest::kRifleRounds);
  // A double weapon refills the rounds of its guns.
  VNTERUNIT* pairHolder = Spawn(VN_UNIT_TYPE_TERRAN_ZR_0, {30, 20, 0});
  ASSERT_NE(Give(pairHolder, kPair, kLauncher), nullptr);
  vnTERUNIT_RefillWeapon(pairHolder->unit->pController, pairHolder, kPair);
  const VNUNIT* grenades = vnWEAPON_FindAmmoItem(pairHolder->unit, kGrenade);
  ASSERT_NE(grenades, nullptr);
  EXPECT_EQ(Rounds(grenades), 5 - 2) << "each gun loads one";
}

TEST_F(SoldierAmmo, TheFirstGrenadeOrMissileWeaponDecidesAWeaponChange) {
  struct Case {
    const char* what;
    std::vector<int32_t> weapons;
    bool grenades;
    bool stowLauncher;  // the launcher put away after a hit
    int32_t answer;
  };
  const Case cases[] = {
      {"nothing held", {}, false, false, 0},
      {"a plain weapon first", {kRifle, kLauncher}, true, false, 0},
      {"a launcher first", {kLauncher, kRifle}, true, false, 1},
      {"the mine and revolver are passed over", {VN_UNIT_TYPE_WEAPON_MINE, VN_UNIT_TYPE_WEAPON_REVOLVER, kLauncher}, true, false, 1},
      {"the launcher put away with grenades", {kRifle, kLauncher}, true, true, 0},
      {"the launcher put away without grenades", {kRifle, kLauncher}, false, true, 1},
      {"a launcher pair first", {kPair}, true, false, 1},
  };
  for (const Case& c : cases) {
    VNTERUNIT* s = Spawn(VN_UNIT_TYPE_TERRAN_ZR_0, {20, 20, 0});
    ASSERT_NE(s, nullptr) << c.what;
    for (int32_t type : c.weapons) {
      VNUNIT* weapon = Give(s, type, type == kPair ? kLauncher : 0);
      ASSERT_NE(weapon, nullptr) << c.what;
      if (type == kLauncher && c.stowLauncher) {
        s->modeFlags |= VNTERUNIT_MF_WEAPON_STOWED;
        s->readyItemId = static_cast<int32_t>(weapon->dwId);
      }
    }
    if (c.grenades) Pick(s, kGrenade, 1);
    EXPECT_EQ(vnTERUNIT_NeedsWeaponChange(s), c.answer) << c.what;
  }
}

TEST_F(SoldierAmmo, TheAmmunitionReportNamesPrimaryAndSecondary) {
  VNTERUNIT* s = Spawn(VN_UNIT_TYPE_TERRAN_ZR_0, {20, 20, 0});
  // Picked up before the weapons: a pick-up with the revolver in hand would change weapons.
  Pick(s, kBullet, 3);
  VNUNIT* revolver = Give(s, VN_UNIT_TYPE_WEAPON_REVOLVER);
  VNUNIT* launcher = Give(s, kLauncher);
  VNUNIT* rifle = Give(s, kRifle);
  ASSERT_TRUE(revolver && launcher && rifle);
  ASSERT_EQ(vnWEAPON_ClaimPrimary(s, kRifle, static_cast<int32_t>(rifle->dwId)), 1);
  const struct {
    int32_t wanted;
    int32_t secondary;
    uint32_t flags;
  } cases[] = {
      {-1, kLauncher, VNWEAPON_QUERY_REVOLVER_FIRST | VNWEAPON_QUERY_SECONDARY_FIRST},
      {VN_UNIT_TYPE_WEAPON_REVOLVER, VN_UNIT_TYPE_WEAPON_REVOLVER,
       VNWEAPON_QUERY_REVOLVER_FIRST | VNWEAPON_QUERY_SECONDARY_FIRST},
      {VN_UNIT_TYPE_WEAPON_MINE, -1, VNWEAPON_QUERY_REVOLVER_FIRST},
  };
  for (const auto& c : cases) {
    const auto* q = SGE_Ask<VNWEAPON_AMMOQUERY>(s->unit->pController, SGM_TERUNIT_QUERY_AMMO, 0, c.wanted);
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->nPrimaryType, kRifle) << c.wanted;
    EXPECT_EQ(q->nSecondaryType, c.secondary) << c.wanted;
    EXPECT_EQ(q->dwFlags, c.flags) << c.wanted;
    EXPECT_FLOAT_EQ(q->fPrimary, 0.5f) << c.wanted;  // three of six in stock
    EXPECT_FLOAT_EQ(q->fSecondary, 0.0f) << c.wanted;
    EXPECT_FLOAT_EQ(q->fJump, -1.0f);
    EXPECT_FLOAT_EQ(q->fDome, -1.0f);
    EXPECT_FLOAT_EQ(q->fShockTool, -1.0f);
    EXPECT_FLOAT_EQ(q->fMines, 0.0f);
    EXPECT_FLOAT_EQ(q->fMicroRockets, 0.0f);
  }
}

TEST_F(SoldierAmmo, TheReportReadsADoubleWeaponAsItsTwoGuns) {
  VNTERUNIT* s = Spawn(VN_UNIT_TYPE_TERRAN_ZR_0, {20, 20, 0});
  VNUNIT* pair = Give(s, kPair, kRifle);
  ASSERT_NE(pair, nullptr);
  vnWEAPON_ClaimPrimary(s, kPair, static_cast<int32_t>(pair->dwId));
  const auto* q = SGE_Ask<VNWEAPON_AMMOQUERY>(s->unit->pController, SGM_TERUNIT_QUERY_AMMO, 0, -1);
  EXPECT_EQ(q->nPrimaryType, kRifle);
  EXPECT_EQ(q->nSecondaryType, kRifle);
  EXPECT_EQ(q->dwFlags, 0u);
}

TEST_F(SoldierAmmo, TheReportAddsWhatTheSoldierTypeCarries) {
  const float rockets = 3 * 2 * ammotest::kRocketAmount;  // three pick-ups of two for a tier-0 suit
  struct Case {
    const char* what;
    int32_t type;
    int32_t pickRockets, pickMines;
    bool turret;
    float dome, tool, mines, microRockets;
    uint32_t flags;
  };
  const Case cases[] = {
      {"a command suit's dome", VN_UNIT_TYPE_SUIT_COMMAND_0, 0, 0, false, 1.0f, -1.0f, 0, 0, 0},
      {"a launch suit's rockets", VN_UNIT_TYPE_SUIT_BRAKKAR_0, 3, 0, false, -1.0f, -1.0f, 0, rockets,
       VNWEAPON_QUERY_MICRO_ROCKETS},
      {"a launch suit without rockets", VN_UNIT_TYPE_SUIT_BRAKKAR_1, 0, 0, false, -1.0f, -1.0f, 0, 0, 0},
      {"an engineer without his tool", VN_UNIT_TYPE_TERRAN_COMBATENG, 0, 2, false, -1.0f, 0.0f, 2.0f, 0, 0},
      {"a ZR soldier at a turret", VN_UNIT_TYPE_TERRAN_ZR_0_FEM, 0, 0, true, -1.0f, -1.0f, 0, 0,
       VNWEAPON_QUERY_TURRET},
      {"a medic at a turret says nothing of it", VN_UNIT_TYPE_TERRAN_MEDIC, 0, 0, true, -1.0f, -1.0f, 0, 0, 0},
  };
  for (const Case& c : cases) {
    VNTERUNIT* s = Spawn(c.type, {20, 20, 0});
    ASSERT_NE(s, nullptr) << c.what;
    Pick(s, ammotest::kRocketPack, c.pickRockets);
    Pick(s, VN_UNIT_TYPE_AMMO_MINE_0, c.pickMines);
    if (c.turret) s->turretId = 77;
    const auto* q = SGE_Ask<VNWEAPON_AMMOQUERY>(s->unit->pController, SGM_TERUNIT_QUERY_AMMO, 0, -1);
    ASSERT_NE(q, nullptr) << c.what;
    EXPECT_EQ(q->nPrimaryType, -1) << c.what;
    EXPECT_FLOAT_EQ(q->fDome, c.dome) << c.what;
    EXPECT_FLOAT_EQ(q->fShockTool, c.tool) << c.what;
    EXPECT_FLOAT_EQ(q->fMines, c.mines) << c.what;
    EXPECT_FLOAT_EQ(q->fMicroRockets, c.microRockets) << c.what;
    EXPECT_EQ(q->dwFlags, c.flags) << c.what;
  }
}

}  // namespace

namespace {

// Shots along a line over the flat terrain, past figures standing in for units.
class ShotTrace : public ::testing::Test {
 protected:
  void SetUp() override {
    world.WriteAttrs({vnworld::Row(VN_UNIT_TYPE_TERRAN_ZR_0, 0),
                      vnworld::Row(VN_UNIT_TYPE_BUG_WARRIOR, 0),
                      vnworld::Row(VN_UNIT_TYPE_BUG_CONSORT, 0)});
    world.RegisterRecorder(VNTT_TERRAN_INFANTRY);
    world.RegisterRecorder(VNTT_BUG_WARRIOR);
    world.RegisterRecorder(VNTT_BUG_CONSORT);
    ASSERT_TRUE(world.Start());
    ASSERT_EQ(SPW_ResetObjectTypes(), 1);
    PLAT_MakeDirectory("Export");
    ASSERT_TRUE(vnWRITE_POW("Export/Figure.pow", vnMODELS_Figure()));
    ASSERT_EQ(SPW_LoadObjectFile("Export/Figure.pow", nullptr, &slot, 1.0f, 0), 1);
    world.SetHook([this](VNUNIT* u, int32_t msg, SGE_PARAM, SGE_PARAM) -> SGE_RESULT {
      if (msg != SGM_UNIT_GET_OBJECT) return -1;
      for (const auto& [unit, model] : figures)
        if (unit == u) return SGE_PtrResult(model);
      return 0;
    });
  }
  void TearDown() override {
    for (const auto& figure : figures) SPW_DestroyDynamicObject(figure.second);
    world.Stop();
    SPW_FreeAllObjectTypes();
    SPW_ReleaseObjectTypes();
  }
  // A unit of the type and player with a figure at x on the shot's line.
  VNUNIT* Figure(int32_t type, uint32_t player, float x) {
    const SPW_TRANSFORM at{{x, 10, 0}, {0, 0, 0, 1}, 1};
    SPW_DOBJECT* model = SPW_CreateDynamicObject(world.scene(), slot, nullptr, 0, &at, 0);
    VNUNIT* unit = world.Create(type, player, {x, 10, 0});
    EXPECT_TRUE(model && unit);
    figures.emplace_back(unit, model);
    return unit;
  }
  float Height() const { return figures.empty() ? 1.0f : figures.front().second->vCentre.z; }

  vnworld::TestWorld world;
  int32_t slot = -1;
  std::vector<std::pair<VNUNIT*, SPW_DOBJECT*>> figures;
};

TEST_F(ShotTrace, TheGroundStopsAShotAndTheSkyDoesNot) {
  const SPW_VECTOR start{21.3f, 22.7f, 10}, down{0, 0, -1}, up{0, 0, 1};
  SPW_VECTOR hit{};
  float d2 = 0.0f;
  ASSERT_EQ(vnTERUNIT_TraceShot(&start, &down, 100.0f, &hit, &d2), 1);
  EXPECT_NEAR(hit.z, 0.0f, 1e-3f);
  EXPECT_NEAR(d2, 100.0f, 1e-2f);
  EXPECT_EQ(vnTERUNIT_TraceShot(&start, &down, 5.0f, &hit, &d2), 0);  // short of the ground
  EXPECT_EQ(vnTERUNIT_TraceShot(&start, &up, 100.0f, &hit, &d2), 0);
}

TEST_F(ShotTrace, AUnitOnTheLineIsHitByWhoItIsAndWhetherItLives) {
  struct Case {
    const char* what;
    int32_t type;
    bool human;
    bool dead;
    bool observable;
    bool hit;
  };
  const Case cases[] = {
      {"a soldier of the player", VN_UNIT_TYPE_TERRAN_ZR_0, true, false, false, true},
      {"a dead soldier of the player", VN_UNIT_TYPE_TERRAN_ZR_0, true, true, false, true},
      {"a living bug", VN_UNIT_TYPE_BUG_WARRIOR, false, false, false, true},
      {"a dead bug", VN_UNIT_TYPE_BUG_WARRIOR, false, true, false, false},
      {"a consort unseen", VN_UNIT_TYPE_BUG_CONSORT, false, false, false, false},
      {"a consort seen", VN_UNIT_TYPE_BUG_CONSORT, false, false, true, true},
  };
  for (const Case& c : cases) {
    for (const auto& figure : figures) SPW_DestroyDynamicObject(figure.second);
    figures.clear();
    VNUNIT* unit = Figure(c.type, c.human ? world.Human() : world.Computer(), 20.0f);
    if (c.dead) vnUNIT_SetAttrFloat(unit, VN_ATTR_HEALTH, 0.0f);
    if (c.observable) unit->dwFlags |= VNUNIT_F_OBSERVABLE;
    const SPW_VECTOR start{0, 10, Height()}, along{1, 0, 0};
    SPW_VECTOR hit{};
    float d2 = 0.0f;
    VNUNIT* struck = nullptr;
    int32_t human = -1;
    const int32_t answer = vnTERUNIT_TraceShotUnits(&start, &along, 50.0f, &hit, &d2, &struck, &human);
    EXPECT_EQ(answer, c.hit ? 2 : 0) << c.what;
    EXPECT_EQ(struck, c.hit ? unit : nullptr) << c.what;
    EXPECT_EQ(human, c.hit && c.human ? 1 : 0) << c.what;
    if (!c.hit) continue;
    EXPECT_LT(hit.x, 20.0f) << c.what;
    EXPECT_NEAR(d2, hit.x * hit.x, 1e-2f) << c.what;
  }
}

TEST_F(ShotTrace, AShotDownwardsHitsAUnitBeforeTheGroundAndTheGroundPastIt) {
  VNUNIT* bug = Figure(VN_UNIT_TYPE_BUG_WARRIOR, world.Computer(), 20.0f);
  ASSERT_NE(bug, nullptr);
  // Falling 4 m over 20 m, the shot meets the figure before it reaches the ground.
  const SPW_VECTOR start{0.0f, 10.0f, Height() + 4.0f};
  SPW_VECTOR down{20.0f, 0.0f, -4.0f};
  SPW_VecNormalise(&down);
  SPW_VECTOR hit{};
  float d2 = 0.0f;
  VNUNIT* struck = nullptr;
  int32_t human = -1;
  EXPECT_EQ(vnTERUNIT_TraceShotUnits(&start, &down, 200.0f, &hit, &d2, &struck, &human), 2);
  EXPECT_EQ(struck, bug);
  EXPECT_LT(hit.x, 20.0f);
  const SPW_VECTOR beside{0.0f, 30.0f, start.z};
  EXPECT_EQ(vnTERUNIT_TraceShotUnits(&beside, &down, 200.0f, &hit, &d2, &struck, &human), 1);
  EXPECT_EQ(struck, nullptr);
  EXPECT_NEAR(hit.z, 0.0f, 1e-3f);
}

}  // namespace
