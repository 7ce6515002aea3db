// The infantry class in the headless world: its models, hit reactions and death, engagement
// modes, nested holds, twin guns, the combat booster and the guarded class messages.
#include "terran/infantry.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "engine/dobject/dobject.h"
#include "engine/memory/memblock.h"
#include "engine/object/object.h"
#include "engine/scene/scene.h"
#include "effects/hitscan.h"
#include "effects/weapon.h"
#include "engine/sprite/sprite.h"
#include "missions/control/missionevents.h"
#include "missions/control/misscont.h"
#include "platform/files.h"
#include "terran/behave.h"
#include "terran/handler.h"
#include "terran/orders.h"
#include "terran/update.h"
#include "terran/weapons.h"
#include "tests/world/support/testworld.h"
#include "tools/models/soldiers.h"
#include "world/combat/combat.h"
#include "world/fobj/twingun.h"
#include "world/mover/mover.h"
#include "world/shadow/shadow.h"
#include "world/unitman/orders.h"
#include "world/unitman/unitclass.h"
#include "world/unittype/unittype.h"

namespace {

constexpr int32_t kMissionController = 4;
constexpr uint32_t kSoldier = VNUNIT_F_SOLDIER | VNUNIT_F_MOVER;
constexpr int32_t kRifle = VN_UNIT_TYPE_WEAPON_SMARTRIFLE_0;
constexpr int32_t kBullet = VN_UNIT_TYPE_AMMO_STANDARD_BULLET;
constexpr int32_t kRifleRounds = 6;

struct PATHCASE {
  int32_t type;
  uint32_t rowFlags;
  const char* path;
  const char* set;
  int32_t zombie;
};

TEST(InfantryModels, EachTypeLoadsItsModelAndSharedSet) {
  const char* capSet = "EXPORT/Pows/TCapMaMAnims.pow";
  const char* civSet = "EXPORT/Pows/TCivil1MaAnims.pow";
  const PATHCASE cases[] = {
      {VN_UNIT_TYPE_TERRAN_ZR_0, 0, "Export/POWs/tcapmamanims.pow", capSet, 0},
      {VN_UNIT_TYPE_TERRAN_ZR_0_FEM, VNINFANTRY_ROW_FEMALE, "Export/POWs/tcapfemanims.pow", capSet, 0},
      {VN_UNIT_TYPE_TERRAN_COMMS, 0, "Export/POWs/tcapmamanims.pow", capSet, 0},
      {VN_UNIT_TYPE_TERRAN_COMMS_FEM, VNINFANTRY_ROW_FEMALE, "Export/POWs/tcapmamanims.pow", capSet, 0},
      {VN_UNIT_TYPE_TERRAN_ZOMBIE, 0, "Export/POWs/tcivil1maanims.pow", civSet, 1},
      {VN_UNIT_TYPE_TERRAN_ZOMBIE_ACTIVE_FEM, VNINFANTRY_ROW_FEMALE, "Export/POWs/tcapfeanims.pow",
       capSet, 1},
  };
  for (const PATHCASE& c : cases) {
    VNINFANTRY_MODEL model{};
    vnINFANTRY_ModelFor(c.type, c.rowFlags, &model);
    EXPECT_STREQ(model.path, c.path) << c.type;
    EXPECT_STREQ(model.set, c.set) << c.type;
    EXPECT_EQ(model.zombie, c.zombie) << c.type;
  }
  // The named soldiers without an infix.
  VNINFANTRY_MODEL dravik{}, marenko{};
  vnINFANTRY_ModelFor(VN_UNIT_TYPE_TERRAN_ZR_DRAVIK, VNINFANTRY_ROW_FEMALE, &dravik);
  vnINFANTRY_ModelFor(VN_UNIT_TYPE_TERRAN_ZR_ENSIGN_MARENKO, 0, &marenko);
  EXPECT_EQ(std::string(dravik.path).substr(std::string(dravik.path).size() - 10), "manims.pow");
  EXPECT_EQ(std::string(marenko.path).find("maanims"), std::string::npos);
}

std::vector<std::string> AllAnimNames() {
  const char* const* names = vnTERUNIT_GetAnimNames();
  return {names, names + VNTERUNIT_ANIM_NAMES};
}

class InfantryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(PLAT_MakeDirectory("Export") && PLAT_MakeDirectory("Export/Pows"));
    // A model names itself as its file does.
    for (const char* name : {"tcapmamanims", "TCapMaMAnims", "tmedicmamanims"})
      ASSERT_TRUE(vnWRITE_POW(std::string("Export/Pows/") + name + ".pow",
                              vnMODELS_Soldier(name, AllAnimNames(), 480)));
    ASSERT_TRUE(vnWRITE_POW("Export/Pows/TCapMaMVictim.pow",
                            vnMODELS_Soldier("TCapMaMVictim", {"pleading1", "warriorjaw1", "flystart1",
                                                        "flyloop1", "flyland1"},
                                             480)));
    VNWRITE_UNITATTR booster = vnworld::Row(VN_UNIT_TYPE_TECH_COMBAT_BOOSTER_1, VNUNIT_F_ITEM);
    booster.floats[VN_ATTR_SPEED - 11] = 25.0f;  // a quarter of the maximum health
    VNWRITE_UNITATTR rifle = vnworld::Row(kRifle, VNUNIT_F_WEAPON, {kBullet}, 0.1f, 50.0f);
    rifle.ints[4] = kRifleRounds;  // value 7, rounds an unsuited soldier carries
    w.WriteAttrs({vnworld::Row(VN_UNIT_TYPE_TERRAN_ZR_0, kSoldier),
                  vnworld::Row(VN_UNIT_TYPE_TERRAN_MEDIC, kSoldier),
                  vnworld::Row(VN_UNIT_TYPE_WEAPON_TWIN50, VNUNIT_F_WEAPON),
                  vnworld::Row(VN_UNIT_TYPE_WEAPON_TWIN80, VNUNIT_F_WEAPON), booster, rifle,
                  vnworld::Row(kBullet, VNUNIT_F_ITEM)});
    w.RegisterRecorder(kMissionController);
    w.RegisterRecorder(VNTT_WEAPON_TWINGUN);
    ASSERT_EQ(SPW_ResetObjectTypes(), 1);
    ASSERT_TRUE(w.Start());
    SPW_InitSprites();
    const SPW_VECTOR light{0.0f, 0.0f, 1.0f};
    vnShadow_Init(w.block(), w.scene(), nullptr, &light, VNSHADOW_DEFAULT_LIGHT_HEIGHT,
                  VNSHADOW_DEFAULT_MIN_HEIGHT, VNSHADOW_DEFAULT_MAX_HEIGHT,
                  VNSHADOW_DEFAULT_INNER_RADIUS, VNSHADOW_DEFAULT_OUTER_RADIUS);
    ASSERT_EQ(vnUNITMAN_RegisterClass(VNINFANTRY_CLASSROW), 1);
    ASSERT_EQ(vnUNITMAN_RegisterClass(VNHITSCAN_SMARTRIFLE_CLASSROW), 1);
    mission = SGE_CreateTask(kMissionController, nullptr, nullptr, 0, 0);
    const VNMISSION_WORLD world{mission, w.scene(), nullptr};
    vnMISSCONT_SetWorld(&world);
    w.SetHook([this](VNUNIT* u, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) -> SGE_RESULT {
      if (!u || (u->nType != VN_UNIT_TYPE_WEAPON_TWIN50 && u->nType != VN_UNIT_TYPE_WEAPON_TWIN80))
        return -1;
      // A Twin80 is climbed from behind; no path network here holds that step.
      if (msg == SGM_TWINGUN_TWIN80_MOUNT || msg == SGM_TWINGUN_TWIN80_EXIT)
        return u->nType == VN_UNIT_TYPE_WEAPON_TWIN80 ? SGE_PtrResult(&twin80Step) : 0;
      if (msg == SGM_TWINGUN_GUNNER) return gunner[u->dwId];
      if (msg == SGM_TWINGUN_OCCUPY) return gunner[u->dwId] = p1 ? p2 : 0;
      if (msg == SGM_TWINGUN_MOUNT_POINT) {
        *SGE_ParamPtr<SPW_VECTOR>(p1) = {u->vPos.x, u->vPos.y - 1.0f, u->vPos.z};
        return 1;
      }
      return -1;
    });
    unit = w.Create(VN_UNIT_TYPE_TERRAN_ZR_0, w.Human(), {10.0f, 10.0f, 0.0f});
    ASSERT_NE(unit, nullptr);
    self = SGE_TaskData<VNINFANTRY>(unit->pController);
    ASSERT_NE(self, nullptr);
    s = &self->soldier;
  }
  void TearDown() override {
    w.SetHook(nullptr);
    w.Stop();
    vnShadow_Shutdown();
    SPW_DestroyAllSpriteSets();
    if (mission) SGE_Send(mission, SGM_TASK_DESTROY, 0, 0);
    SPW_FreeAllObjectTypes();
    SPW_ReleaseObjectTypes();
  }
  SGE_RESULT Send(int32_t msg, SGE_PARAM a = 0, SGE_PARAM b = 0) {
    return SGE_Send(unit->pController, msg, a, b);
  }
  // A hit as the damage model delivers it: health already changed, then the message.
  void Hit(float change, uint32_t kind) {
    VNDAMAGE damage{};
    damage.fHealth = change;
    damage.vImpulse = {0.0f, -1.0f, 0.0f};
    uint32_t words[32] = {};
    std::memcpy(words, &damage, sizeof damage);
    words[13] = kind;
    vnUNIT_SetAttrFloat(unit, VN_ATTR_HEALTH, vnUNIT_AttrFloat(unit, VN_ATTR_HEALTH) + change);
    std::memcpy(hitRecord, words, sizeof hitRecord);
    Send(SGM_UNIT_DAMAGED, 0, SGE_PtrParam(hitRecord));
  }
  int32_t Kills() const {
    int32_t n = 0;
    for (const vnworld::Event& e : w.EventsOf(SGM_VN_MISSCONT_EVENT_TERRAN_KILLED))
      n += e.p1 == static_cast<SGE_PARAM>(unit->dwId);
    return n;
  }

  vnworld::TestWorld w;
  vnworld::FrameClock clock{0.1f};
  SGE_TASK* mission = nullptr;
  VNUNIT* unit = nullptr;
  VNINFANTRY* self = nullptr;
  VNTERUNIT* s = nullptr;
  std::map<uint32_t, SGE_RESULT> gunner;
  SPW_VECTOR twin80Step{10.0f, 12.0f, 0.0f};
  uint32_t hitRecord[32] = {};
};

TEST_F(InfantryTest, CreationLoadsTheModelTheDeathModelAndTheSharedAnimations) {
  ASSERT_NE(s->model, nullptr);
  EXPECT_EQ(s->model, vnUNIT_FirstObject(unit));
  EXPECT_NE(s->deathModel, SPW_NO_OBJECT_TYPE);
  ASSERT_NE(s->animMap, nullptr);
  EXPECT_GE(s->animMap[VNTERUNIT_SLOT_RUN], 0);
  EXPECT_EQ(s->lowerState, VN_TERUNIT_LOWER_IDLE);
  EXPECT_NE(self->shadow, nullptr);
  EXPECT_EQ(Send(SGM_UNIT_GET_OBJECT), SGE_PtrResult(s->model));
}

TEST_F(InfantryTest, ASoldierMadeOnTaskMemoryAnotherTaskLeftDirtyStartsClean) {
  // Blocks of the instance's size that another task filled and freed.
  std::vector<void*> used;
  for (int32_t i = 0; i < 4; ++i) {
    void* block = SGE_MemAlloc(SGE_TaskMem, sizeof(VNINFANTRY));
    ASSERT_NE(block, nullptr);
    std::memset(block, 0xA5, sizeof(VNINFANTRY));
    used.push_back(block);
  }
  for (void* block : used) SGE_MemFree(block);
  vntest::TraceCapture traces;
  VNUNIT* other = w.Create(VN_UNIT_TYPE_TERRAN_ZR_0, w.Human(), {20.0f, 10.0f, 0.0f});
  ASSERT_NE(other, nullptr);
  const auto* fresh = SGE_TaskData<VNINFANTRY>(other->pController);
  ASSERT_NE(fresh, nullptr);
  uint32_t words[sizeof(VNINFANTRY) / 4];
  std::memcpy(words, fresh, sizeof words);
  for (size_t i = 0; i < std::size(words); ++i) EXPECT_NE(words[i], 0xA5A5A5A5u) << "word " << i;
  EXPECT_FALSE(traces.contains("SGE_MemFree")) << "creation freed a leftover pointer";
}

TEST_F(InfantryTest, AModelWithoutALinkNodeIsDestroyedAndTheSoldierGoesOnWithoutOne) {
  std::vector<VNUNIT_LINKNODE*> taken;
  while (VNUNIT_LINKNODE* node = vnUNITMAN_TakeLinkNode(vnUNITMAN_Get())) taken.push_back(node);
  const int32_t objects = SGE_ListCount(&w.scene()->dobjects);
  vntest::TraceCapture traces;
  VNUNIT* other = w.Create(VN_UNIT_TYPE_TERRAN_ZR_0, w.Human(), {20.0f, 10.0f, 0.0f});
  EXPECT_TRUE(traces.contains("no list node for the model"));
  EXPECT_EQ(SGE_ListCount(&w.scene()->dobjects), objects) << "the unlinked model outlives creation";
  // As without a model file: a soldier with no model, whole, that goes when destroyed.
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(vnUNIT_FirstObject(other), nullptr);
  EXPECT_EQ(SGE_TaskData<VNINFANTRY>(other->pController)->soldier.model, nullptr);
  for (VNUNIT_LINKNODE* node : taken) vnUNITMAN_ReturnLinkNode(vnUNITMAN_Get(), node);
}

struct HITCASE {
  const char* name;
  float change;
  uint32_t kind;
  int32_t state;
};

TEST_F(InfantryTest, AHitOfFiftyIsABodyHitAndMoreKnocksOver) {
  const HITCASE cases[] = {
      {"exactly -50.0", -50.0f, VNINFANTRY_HIT_REACTS, VN_TERUNIT_LOWER_TAKINGDAMAGE},
      {"-50.1", -50.1f, VNINFANTRY_HIT_REACTS, VN_TERUNIT_LOWER_TAKINGMAJORDAMAGE},
      {"silent kind", -10.0f, VNINFANTRY_HIT_REACTS | VNINFANTRY_HIT_SILENT, VN_TERUNIT_LOWER_IDLE},
      {"a kind without reaction", -10.0f, 0, VN_TERUNIT_LOWER_IDLE},
  };
  for (const HITCASE& c : cases) {
    vnUNIT_SetAttrFloat(unit, VN_ATTR_HEALTH, 1000.0f);
    s->lowerState = s->upperState = VN_TERUNIT_LOWER_IDLE;
    Hit(c.change, c.kind);
    EXPECT_EQ(s->lowerState, c.state) << c.name;
    EXPECT_EQ(s->upperState, c.state) << c.name;
    EXPECT_EQ(s->wasHit, 1) << c.name;
  }
  EXPECT_EQ(Kills(), 0);
}

TEST_F(InfantryTest, DeathTellsTheMissionOnceAndEndsTheOrders) {
  vnUNIT_SetAttrFloat(unit, VN_ATTR_HEALTH, 30.0f);
  Hit(-40.0f, VNINFANTRY_HIT_REACTS);
  EXPECT_EQ(s->lowerState, VN_TERUNIT_LOWER_DEATH);
  EXPECT_EQ(Kills(), 1);
  EXPECT_EQ(Send(SGM_UNIT_IS_DEAD), 1);
  EXPECT_NE(s->bodyFlags & VNTERUNIT_BF_DEAD, 0u);
  Hit(-40.0f, VNINFANTRY_HIT_REACTS);  // a dead body is hit again
  EXPECT_EQ(Kills(), 1);
}

TEST_F(InfantryTest, EngagementModesScaleTheSpeedAndOnlyTheirOwnMessageUndoesIt) {
  ASSERT_NE(unit->pMove, nullptr);
  unit->pMove->fMaxSpeed = 6.0f;
  struct MODE {
    uint32_t mode;
    float speed;
    float visibility;
  };
  const MODE modes[] = {{VNTERUNIT_ENGAGE_STEALTH, 3.0f, 0.5f}, {VNTERUNIT_ENGAGE_FAST, 7.2f, 1.0f},
                        {VNTERUNIT_ENGAGE_CHARGE, 9.0f, 1.0f}, {VNTERUNIT_ENGAGE_NORMAL, 6.0f, 1.0f}};
  for (const MODE& m : modes) {
    Send(SGM_INFANTRY_ENGAGEMENT, static_cast<SGE_PARAM>(m.mode));
    EXPECT_NEAR(unit->pMove->fMaxSpeed, m.speed, 1e-4f) << m.mode;
    EXPECT_EQ(s->visibility, m.visibility) << m.mode;
    EXPECT_EQ(s->engagementMode & VNTERUNIT_ENGAGE_MASK, m.mode);
  }
  Send(SGM_INFANTRY_ENGAGEMENT, VNTERUNIT_ENGAGE_NORMAL);  // the same mode changes nothing
  EXPECT_NEAR(unit->pMove->fMaxSpeed, 6.0f, 1e-4f);
}

TEST_F(InfantryTest, TheFramePositionIsWhereThePositionStepPutsTheSoldier) {
  const SPW_VECTOR* at = SGE_Ask<SPW_VECTOR>(unit->pController, SGM_UNIT_FRAME_POSITION, 0, 0);
  ASSERT_EQ(at, &s->stepPosition);
  ASSERT_NE(s->model, nullptr);
  EXPECT_EQ(at->x, s->model->t.vPos.x);
  EXPECT_EQ(at->y, s->model->t.vPos.y);
  EXPECT_EQ(at->z, s->model->t.vPos.z);
}

TEST_F(InfantryTest, HoldsNestAndNeedAsManyReleases) {
  Send(SGM_TERUNIT_HOLD, VNTERUNIT_HOLD);
  Send(SGM_TERUNIT_HOLD, VNTERUNIT_HOLD);
  EXPECT_NE(s->stateFlags & VNTERUNIT_SF_HELD, 0u);
  Send(SGM_TERUNIT_HOLD, VNTERUNIT_RELEASE);
  EXPECT_NE(s->stateFlags & VNTERUNIT_SF_HELD, 0u);
  EXPECT_EQ(Send(SGM_UNIT_IS_INVULNERABLE), 1);
  Send(SGM_TERUNIT_HOLD, VNTERUNIT_RELEASE);
  EXPECT_EQ(s->stateFlags & VNTERUNIT_SF_HELD, 0u);
  Send(SGM_TERUNIT_HOLD, VNTERUNIT_RELEASE);  // one too many: nothing to undo
  EXPECT_EQ(self->holdCount, 0);
  EXPECT_EQ(Send(SGM_UNIT_IS_INVULNERABLE), 0);
}

TEST_F(InfantryTest, ASoldierMansTheNearestFreeTwinGunAndLeavesIt) {
  VNUNIT* farGun = w.Create(VN_UNIT_TYPE_WEAPON_TWIN50, w.Human(), {10.0f, 25.0f, 0.0f});
  VNUNIT* gun = w.Create(VN_UNIT_TYPE_WEAPON_TWIN50, w.Human(), {10.0f, 15.0f, 0.0f});
  VNUNIT* tooFar = w.Create(VN_UNIT_TYPE_WEAPON_TWIN50, w.Human(), {10.0f, 40.0f, 0.0f});
  ASSERT_TRUE(farGun && gun && tooFar);
  Send(SGM_INFANTRY_TURRET, VNINFANTRY_TURRET_WANTED);
  EXPECT_EQ(s->turretId, static_cast<int32_t>(gun->dwId));
  EXPECT_EQ(gunner[gun->dwId], static_cast<SGE_RESULT>(unit->dwId));
  const VNORDER* order = vnORDER_Current(unit);
  ASSERT_NE(order, nullptr);
  EXPECT_EQ(order->anWord[0], 19);
  EXPECT_EQ(order->anWord[1], static_cast<int32_t>(gun->dwId));
  EXPECT_EQ(self->shadow, nullptr);
  Send(SGM_INFANTRY_TURRET, VNINFANTRY_TURRET_TOGGLE);
  EXPECT_EQ(s->turretId, -1);
  EXPECT_EQ(gunner[gun->dwId], 0);
  EXPECT_EQ(vnORDER_FindById(unit, 19), nullptr);
}

TEST_F(InfantryTest, ACombatBoosterHealsUpToTheMaximumOnly) {
  // The stat block as the unit manager sends it: a maximum health of 100.
  int32_t base[VNTERUNIT_BASE_ATTRIBUTES] = {};
  base[VNTERUNIT_BASE_HEALTH] = std::bit_cast<int32_t>(100.0f);
  Send(SGM_TERUNIT_SET_BASE_ATTRIBUTES, SGE_PtrParam(base));
  vnUNIT_SetAttrFloat(unit, VN_ATTR_HEALTH, 90.0f);
  EXPECT_EQ(Send(SGM_INFANTRY_TECH_ITEM, VN_UNIT_TYPE_TECH_COMBAT_BOOSTER_1), 0);
  EXPECT_FLOAT_EQ(vnUNIT_AttrFloat(unit, VN_ATTR_HEALTH), 100.0f);
  vnUNIT_SetAttrFloat(unit, VN_ATTR_HEALTH, 50.0f);
  Send(SGM_INFANTRY_TECH_ITEM, VN_UNIT_TYPE_TECH_COMBAT_BOOSTER_1);
  EXPECT_FLOAT_EQ(vnUNIT_AttrFloat(unit, VN_ATTR_HEALTH), 75.0f);
}

// A route of more than eight points used to keep its full count over eight stored points.
TEST_F(InfantryTest, ARouteKeepsEightPointsAtMostAndCountsThem) {
  SPW_VECTOR points[12];
  for (int32_t i = 0; i < 12; ++i) points[i] = {static_cast<float>(i), 0.0f, 0.0f};
  Send(SGM_INFANTRY_SET_WAYPOINTS, 12, SGE_PtrParam(points));
  EXPECT_EQ(s->waypointCount, 8u);
  EXPECT_EQ(s->waypoints[7].x, 7.0f);
  Send(SGM_INFANTRY_SET_WAYPOINTS, 3, SGE_PtrParam(points));
  EXPECT_EQ(s->waypointCount, 3u);
  Send(SGM_INFANTRY_SET_WAYPOINTS, -2, SGE_PtrParam(points));
  EXPECT_EQ(s->waypointCount, 0u);
}

// Slots and victim animations outside their tables used to be read past them.
TEST_F(InfantryTest, SlotAndVictimIndicesOutsideTheirTablesAnswerZero) {
  EXPECT_EQ(Send(SGM_INFANTRY_HAS_ANIM, VNTERUNIT_SLOT_RUN), 1);
  EXPECT_EQ(Send(SGM_INFANTRY_HAS_ANIM, -1), 0);
  EXPECT_EQ(Send(SGM_INFANTRY_HAS_ANIM, VNTERUNIT_SET_SLOTS), 0);
  EXPECT_EQ(Send(SGM_INFANTRY_VICTIM_ANIM, 0, 1), 0);  // no victim model yet
  ASSERT_EQ(Send(SGM_INFANTRY_VICTIM_MODEL), 1);
  EXPECT_EQ(Send(SGM_INFANTRY_VICTIM_ANIM, 4, 1), 1);
  EXPECT_EQ(Send(SGM_INFANTRY_VICTIM_ANIM, 5, 1), 0);
  EXPECT_EQ(Send(SGM_INFANTRY_VICTIM_ANIM, -1, 0), 0);
}

// The old model used to be destroyed before the victim model was made.
TEST_F(InfantryTest, TheVictimModelReplacesTheModelOnlyWhenItCanBeMade) {
  SPW_DOBJECT* old = s->model;
  const int32_t deathModel = s->deathModel;
  s->deathModel = SPW_NO_OBJECT_TYPE;  // as when the death model could not be loaded
  EXPECT_EQ(Send(SGM_INFANTRY_VICTIM_MODEL), 0);
  EXPECT_EQ(vnUNIT_FirstObject(unit), old);
  EXPECT_EQ(s->stateFlags & VNTERUNIT_SF_VICTIM_MODEL, 0u);
  s->deathModel = deathModel;
  ASSERT_EQ(Send(SGM_INFANTRY_VICTIM_MODEL), 1);
  EXPECT_NE(vnUNIT_FirstObject(unit), old);
  EXPECT_EQ(vnUNIT_FirstObject(unit), s->model);
  EXPECT_EQ(s->lowerState, VN_TERUNIT_LOWER_DEAD);
  EXPECT_EQ(Send(SGM_INFANTRY_VICTIM_MODEL), 0);  // once
}

struct ORDERCASE {
  const char* name;
  int32_t msg;
  SGE_PARAM p1;
  bool withPoint;  // p2 the point {4, 5, 6}
  int32_t kind;    // of the current order after; 0 none
  int32_t started;
  float value;
};

TEST_F(InfantryTest, OrderMessagesQueueTheirOrderUnlessHeldOrDying) {
  VNUNIT* friendUnit = w.Create(VN_UNIT_TYPE_TERRAN_ZR_0, w.Human(), {14.0f, 10.0f, 0.0f});
  ASSERT_NE(friendUnit, nullptr);
  const auto friendId = static_cast<SGE_PARAM>(friendUnit->dwId);
  SPW_VECTOR point{4.0f, 5.0f, 6.0f};
  const ORDERCASE cases[] = {
      {"move", SGM_UNIT_GOTO_POINT, SGE_PtrParam(&point), false, VNTERUNIT_ORDER_MOVE, 0, 1.0f},
      {"hold without a point", SGM_INFANTRY_HOLD_POSITION, 0, false,
       VNTERUNIT_ORDER_HOLD_FIRE_AT_WILL, 0, 0.0f},
      {"hold at a point", SGM_INFANTRY_HOLD_POSITION, 0, true, VNTERUNIT_ORDER_HOLD_FIRE_AT_WILL, 1,
       0.0f},
      {"escort", SGM_INFANTRY_ESCORT, friendId, false, VNTERUNIT_ORDER_GUARD, 0, 5.0f},
      {"escort itself", SGM_INFANTRY_ESCORT, static_cast<SGE_PARAM>(unit->dwId), false, 0, 0, 0.0f},
      {"halt", SGM_INFANTRY_HALT, 0, false, VNTERUNIT_ORDER_HALT, 0, 0.0f},
      {"patrol without a route", SGM_INFANTRY_PATROL, 0, false, 0, 0, 0.0f},
      {"heal by a soldier who is no medic", SGM_INFANTRY_HEAL, 0, false, 0, 0, 0.0f},
  };
  for (const ORDERCASE& c : cases) {
    for (const char* when : {"free", "held", "dying"}) {
      vnORDER_Clear(unit);
      s->lowerState = s->upperState = VN_TERUNIT_LOWER_IDLE;
      if (std::string(when) == "held") Send(SGM_TERUNIT_HOLD, VNTERUNIT_HOLD);
      if (std::string(when) == "dying") s->lowerState = VN_TERUNIT_LOWER_DEATH;
      Send(c.msg, c.p1, c.withPoint ? SGE_PtrParam(&point) : 0);
      const VNORDER* order = vnORDER_Current(unit);
      const int32_t kind = std::string(when) == "free" ? c.kind : 0;
      EXPECT_EQ(vnTERUNIT_OrderKind(order), kind) << c.name << ", " << when;
      if (std::string(when) == "held") Send(SGM_TERUNIT_HOLD, VNTERUNIT_RELEASE);
      if (!kind) continue;
      EXPECT_EQ(order->anWord[VNTERUNIT_ORDER_WORD_STARTED], c.started) << c.name;
      EXPECT_EQ(vnTERUNIT_OrderFloat(order, VNTERUNIT_ORDER_WORD_VALUE), c.value) << c.name;
      if (c.msg == SGM_INFANTRY_ESCORT) {
        EXPECT_EQ(order->anWord[VNTERUNIT_ORDER_WORD_TARGET], friendId) << c.name;
      }
      if (c.withPoint || c.msg == SGM_UNIT_GOTO_POINT) {
        EXPECT_EQ(vnTERUNIT_OrderPoint(order).z, 6.0f) << c.name;
      }
    }
  }
}

TEST_F(InfantryTest, APatrolNeedsTwoWaypointsOrOneThatItNeverTurnsBackFrom) {
  SPW_VECTOR points[2] = {{1.0f, 1.0f, 0.0f}, {2.0f, 2.0f, 0.0f}};
  Send(SGM_INFANTRY_SET_WAYPOINTS, 1, SGE_PtrParam(points));
  Send(SGM_INFANTRY_PATROL, 0);
  EXPECT_EQ(vnTERUNIT_OrderKind(vnORDER_Current(unit)), 0);
  Send(SGM_INFANTRY_PATROL, 1);
  EXPECT_EQ(vnTERUNIT_OrderKind(vnORDER_Current(unit)), VNTERUNIT_ORDER_PATROL);
  EXPECT_NE(s->stateFlags & VNTERUNIT_SF_PATROL_NO_REVERSE, 0u);
  Send(SGM_INFANTRY_END_PATROL);
  EXPECT_EQ(vnTERUNIT_OrderKind(vnORDER_Current(unit)), 0);
  Send(SGM_INFANTRY_SET_WAYPOINTS, 2, SGE_PtrParam(points));
  Send(SGM_INFANTRY_PATROL, 0);
  EXPECT_EQ(vnTERUNIT_OrderKind(vnORDER_Current(unit)), VNTERUNIT_ORDER_PATROL);
  EXPECT_EQ(s->stateFlags & VNTERUNIT_SF_PATROL_NO_REVERSE, 0u);
}

// Only the engagement message undoes a mode's factor; a move order keeps it.
TEST_F(InfantryTest, AChargingSoldierOrderedToMoveKeepsItsSpeed) {
  ASSERT_NE(unit->pMove, nullptr);
  unit->pMove->fMaxSpeed = 6.0f;
  Send(SGM_INFANTRY_ENGAGEMENT, VNTERUNIT_ENGAGE_CHARGE);
  SPW_VECTOR point{20.0f, 10.0f, 0.0f};
  Send(SGM_UNIT_GOTO_POINT, SGE_PtrParam(&point));
  EXPECT_NEAR(unit->pMove->fMaxSpeed, 9.0f, 1e-4f);
  EXPECT_EQ(vnTERUNIT_OrderKind(vnORDER_Current(unit)), VNTERUNIT_ORDER_MOVE);
}

TEST_F(InfantryTest, AMedicHealsTheFirstPatientGiven) {
  VNUNIT* medic = w.Create(VN_UNIT_TYPE_TERRAN_MEDIC, w.Human(), {12.0f, 10.0f, 0.0f});
  ASSERT_NE(medic, nullptr);
  int32_t base[VNTERUNIT_BASE_ATTRIBUTES] = {};
  base[VNTERUNIT_BASE_HEALTH] = std::bit_cast<int32_t>(100.0f);
  Send(SGM_TERUNIT_SET_BASE_ATTRIBUTES, SGE_PtrParam(base));
  const int32_t patients[] = {static_cast<int32_t>(unit->dwId)};
  SGE_Send(medic->pController, SGM_INFANTRY_HEAL, 1, SGE_PtrParam(patients));
  EXPECT_EQ(vnTERUNIT_OrderKind(vnORDER_Current(medic)), 0);  // nothing to heal yet
  vnUNIT_SetAttrFloat(unit, VN_ATTR_HEALTH, 40.0f);
  SGE_Send(medic->pController, SGM_INFANTRY_HEAL, 1, SGE_PtrParam(patients));
  const VNORDER* order = vnORDER_Current(medic);
  EXPECT_EQ(vnTERUNIT_OrderKind(order), VNTERUNIT_ORDER_HEAL);
  ASSERT_NE(order, nullptr);
  EXPECT_EQ(order->anWord[VNTERUNIT_ORDER_WORD_TARGET], patients[0]);
}

TEST_F(InfantryTest, PossessionNeedsAPossessorAndASecondOneOnlyRenewsTheTime) {
  VNUNIT* possessor = w.Create(VN_UNIT_TYPE_TERRAN_ZR_0, w.Computer(), {30.0f, 10.0f, 0.0f});
  ASSERT_NE(possessor, nullptr);
  const auto possessorId = static_cast<SGE_PARAM>(possessor->dwId);
  Send(SGM_INFANTRY_POSSESS, 5, 9999);
  EXPECT_EQ(s->phaseTimer, -1.0f);
  EXPECT_NE(s->lowerState, VN_TERUNIT_LOWER_POSSESSED);
  Send(SGM_INFANTRY_POSSESS, 5, possessorId);
  EXPECT_EQ(s->lowerState, VN_TERUNIT_LOWER_POSSESSED);
  EXPECT_EQ(s->phaseTimer, 5.0f);
  const VNORDER* order = vnORDER_Current(unit);
  EXPECT_EQ(vnTERUNIT_OrderKind(order), VNTERUNIT_ORDER_POSSESSED);
  ASSERT_NE(order, nullptr);
  EXPECT_EQ(order->anWord[VNTERUNIT_ORDER_WORD_SECOND], possessorId);
  EXPECT_EQ(Send(SGM_INFANTRY_POSSESS, 8, possessorId), 1);
  EXPECT_EQ(s->phaseTimer, 8.0f);
  SPW_VECTOR point{20.0f, 10.0f, 0.0f};
  Send(SGM_UNIT_GOTO_POINT, SGE_PtrParam(&point));  // refused while possessed
  EXPECT_EQ(vnTERUNIT_OrderKind(vnORDER_Current(unit)), VNTERUNIT_ORDER_POSSESSED);
}

TEST_F(InfantryTest, StealthHidesAndShowingFadesToWhatTheAttackersAllow) {
  Send(SGM_INFANTRY_STEALTH, 1);
  EXPECT_EQ(s->visibility, 0.0f);
  EXPECT_FLOAT_EQ(s->fadeTarget, 0.17f);
  EXPECT_EQ(self->shadow, nullptr);
  s->stateFlags |= VNTERUNIT_SF_ATTACKERS;
  Send(SGM_INFANTRY_STEALTH, 0, 1);  // toggles
  EXPECT_EQ(s->stateFlags & VNTERUNIT_SF_HIDDEN, 0u);
  EXPECT_FLOAT_EQ(s->fadeTarget, 0.4f);
  EXPECT_EQ(s->visibility, 1.0f);
  EXPECT_NE(self->shadow, nullptr);
}

TEST_F(InfantryTest, AScriptedPoseHoldsUntilItsEnd) {
  SPW_VECTOR point{20.0f, 10.0f, 0.0f};
  Send(SGM_UNIT_GOTO_POINT, SGE_PtrParam(&point));
  Send(SGM_INFANTRY_SET_POSE, VN_TERUNIT_LOWER_SALUTE, VN_TERUNIT_UPPER_SALUTE);
  EXPECT_EQ(vnTERUNIT_OrderKind(vnORDER_Current(unit)), 0);
  EXPECT_EQ(s->lowerState, VN_TERUNIT_LOWER_SALUTE);
  EXPECT_EQ(s->scripted, 1);
  Send(SGM_UNIT_UPDATE);
  EXPECT_EQ(s->lowerState, VN_TERUNIT_LOWER_SALUTE);
  Send(SGM_INFANTRY_END_POSE);
  EXPECT_EQ(s->scripted, 0);
  EXPECT_EQ(s->lowerState, VN_TERUNIT_LOWER_IDLE);
}

// A gun that takes the soldier on and puts him off: the order names it while he is on it, and
// the shadow and breath puffs he had come back when he gets off.
TEST_F(InfantryTest, AGunTakesTheSoldierOnAndPutsHimOffWhereItSays) {
  VNUNIT* gun = w.Create(VN_UNIT_TYPE_WEAPON_TWIN50, w.Human(), {10.0f, 15.0f, 0.0f});
  ASSERT_NE(gun, nullptr);
  Send(SGM_INFANTRY_BREATH, 1);
  SPW_VECTOR mount{10.0f, 14.0f, 0.0f};
  Send(SGM_TWINGUN_GET_ON, SGE_PtrParam(&mount), static_cast<SGE_PARAM>(gun->dwId));
  EXPECT_EQ(s->turretId, static_cast<int32_t>(gun->dwId));
  const VNORDER* order = vnORDER_Current(unit);
  ASSERT_NE(order, nullptr);
  EXPECT_EQ(order->anWord[0], VNTERUNIT_ORDER_TURRET);
  EXPECT_EQ(order->anWord[VNTERUNIT_ORDER_WORD_STARTED], 1);
  EXPECT_EQ(vnTERUNIT_OrderPoint(order).y, 14.0f);
  EXPECT_EQ(self->shadow, nullptr);
  EXPECT_EQ(s->stateFlags & VNTERUNIT_SF_BREATH_PUFFS, 0u);
  SPW_VECTOR exit{12.0f, 15.0f, 0.0f};
  Send(SGM_TWINGUN_GET_OFF, SGE_PtrParam(&exit));
  EXPECT_EQ(s->turretId, -1);
  EXPECT_NE(self->shadow, nullptr);
  EXPECT_NE(s->stateFlags & VNTERUNIT_SF_BREATH_PUFFS, 0u);
  EXPECT_NE(unit->dwFlags & VNUNIT_F_OBSERVABLE, 0u);
}

struct PASSCASE {
  const char* name;
  bool enemy;
  float otherResistance;
  bool held;
  bool dying;
  SGE_RESULT answer;
};

TEST_F(InfantryTest, AFriendThatGivesWayNoLessPassesThroughAndAHeldSoldierLetsAllPass) {
  VNUNIT* mate = w.Create(VN_UNIT_TYPE_TERRAN_ZR_0, w.Human(), {12.0f, 10.0f, 0.0f});
  VNUNIT* enemy = w.Create(VN_UNIT_TYPE_TERRAN_ZR_0, w.Computer(), {14.0f, 10.0f, 0.0f});
  ASSERT_TRUE(mate && enemy && mate->pMove && enemy->pMove && unit->pMove);
  const PASSCASE cases[] = {
      {"a friend", false, 1.0f, false, false, 1},
      {"a friend that gives way more", false, 2.0f, false, false, 0},
      {"an enemy", true, 1.0f, false, false, 0},
      {"an enemy while held", true, 1.0f, true, false, 1},
      {"an enemy while dying", true, 1.0f, false, true, 1},
  };
  for (const PASSCASE& c : cases) {
    VNUNIT* other = c.enemy ? enemy : mate;
    vnUNIT_SetAttrFloat(unit, VN_ATTR_STUN_RESISTANCE, 1.0f);
    vnUNIT_SetAttrFloat(other, VN_ATTR_STUN_RESISTANCE, c.otherResistance);
    if (c.held) Send(SGM_TERUNIT_HOLD, VNTERUNIT_HOLD);
    if (c.dying) Hit(-2000.0f, VNINFANTRY_HIT_REACTS);
    EXPECT_EQ(Send(SGM_MOVER_IGNORE_MOVER, SGE_PtrParam(unit->pMove), SGE_PtrParam(other->pMove)),
              c.answer)
        << c.name;
    EXPECT_EQ(Send(SGM_MOVER_IGNORE_OBSTACLE, SGE_PtrParam(unit->pMove)),
              c.held || c.dying ? 1 : 0)
        << c.name;
    if (c.held) Send(SGM_TERUNIT_HOLD, VNTERUNIT_RELEASE);
  }
}

TEST_F(InfantryTest, AWeaponGivenComesWithItsRoundsAndOneLoaded) {
  auto* rifle = SGE_Ask<VNUNIT>(unit->pController, SGM_INFANTRY_GIVE_ITEM, kRifle, 0);
  ASSERT_NE(rifle, nullptr);
  EXPECT_EQ(vnTERUNIT_CurrentItem(unit), rifle) << "a plain weapon becomes the primary";
  EXPECT_EQ(s->doubleWeaponId, static_cast<int32_t>(rifle->dwId));
  EXPECT_EQ(vnWEAPON_HasRoundLoaded(rifle), 1);
  EXPECT_EQ(vnTERUNIT_CountRounds(s, kRifle), kRifleRounds - 1);
}

}  // namespace

TEST_F(InfantryTest, ATwin80WhoseStepIsOffTheNetworkIsMannedUnreadyAndNotLeft) {
  VNUNIT* gun = w.Create(VN_UNIT_TYPE_WEAPON_TWIN80, w.Human(), {10.0f, 15.0f, 0.0f});
  ASSERT_NE(gun, nullptr);
  Send(SGM_INFANTRY_TURRET, VNINFANTRY_TURRET_WANTED | VNINFANTRY_TURRET_GIVEN,
       static_cast<SGE_PARAM>(gun->dwId));
  const VNORDER* order = vnORDER_Current(unit);
  ASSERT_NE(order, nullptr);
  EXPECT_EQ(order->anWord[VNTERUNIT_ORDER_WORD_STARTED], 1) << "climbed from its step";
  EXPECT_EQ(vnTERUNIT_OrderPoint(order).y, twin80Step.y);
  EXPECT_NE(self->shadow, nullptr) << "not made ready";
  EXPECT_EQ(s->turretId, static_cast<int32_t>(gun->dwId));
  // Off the network the gunner could not walk away from the gun: he stays on it.
  Send(SGM_INFANTRY_TURRET, VNINFANTRY_TURRET_TOGGLE);
  EXPECT_EQ(s->turretId, static_cast<int32_t>(gun->dwId));
}

TEST_F(InfantryTest, TheMoverStepsABackingSoldierOnceAndDriftsAThrownOne) {
  s->faceDirection = {0.0f, 1.0f, 0.0f};
  VNMOVER_REQUEST back{};
  back.dwFlags = VNMOVER_REQ_TURN;
  s->moveRequest = &back;
  EXPECT_EQ(Send(SGM_MOVER_RUN_REQUEST, SGE_PtrParam(&back)), VNMOVER_REQ_OFFSET | VNMOVER_REQ_TURN);
  EXPECT_NEAR(back.vOffset.y, -0.5f, 1e-6f) << "5 m/s backwards for 0.1 s";
  EXPECT_TRUE(back.dwFlags & VNMOVER_REQ_FINISHED);
  EXPECT_EQ(s->moveRequest, nullptr) << "a new one may be queued";
  VNMOVER_REQUEST drift{};
  drift.dwFlags = VNMOVER_REQ_VELOCITY;
  s->ballisticVelocity = {3.0f, -2.0f, 9.0f};
  EXPECT_EQ(Send(SGM_MOVER_RUN_REQUEST, SGE_PtrParam(&drift)), VNMOVER_REQ_OFFSET);
  EXPECT_NEAR(drift.vOffset.x, 0.3f, 1e-6f);
  EXPECT_NEAR(drift.vOffset.y, -0.2f, 1e-6f);
  EXPECT_EQ(drift.vOffset.z, 0.0f) << "the height is the fall's";
  EXPECT_FALSE(drift.dwFlags & VNMOVER_REQ_FINISHED) << "it lasts until the landing";
}

TEST_F(InfantryTest, AScriptedPlacementTurnsTheSoldierToItsRotationOfSouth) {
  uint32_t placement[32] = {};
  const SPW_VECTOR at{30.0f, 30.0f, 5.0f};
  const SPW_QUAT quarterLeft{0.0f, 0.0f, 0.70710677f, 0.70710677f};
  std::memcpy(&placement[17], &at, sizeof at);
  std::memcpy(&placement[20], &quarterLeft, sizeof quarterLeft);
  Send(3093, SGE_PtrParam(placement));
  ASSERT_NE(unit->pMove, nullptr);
  EXPECT_NEAR(unit->pMove->vHeading.x, 1.0f, 1e-5f) << "south turned a quarter left is east";
  EXPECT_NEAR(unit->pMove->vHeading.y, 0.0f, 1e-5f);
}

TEST_F(InfantryTest, ZombiesRunTheirOwnFrameAndASoldierWithoutItsModelLivesAndGoes) {
  // The test wrote no zombie model: the zombie is made without one.
  VNUNIT* zombie = w.Create(VN_UNIT_TYPE_TERRAN_ZOMBIE_ACTIVE, w.Computer(), {30.0f, 30.0f, 0.0f});
  ASSERT_NE(zombie, nullptr);
  const auto* z = SGE_TaskData<VNINFANTRY>(zombie->pController);
  EXPECT_EQ(z->frame, vnTERUNIT_RunOrders);
  EXPECT_NE(z->soldier.stateFlags & VNTERUNIT_SF_ZOMBIE, 0u);
  EXPECT_EQ(z->soldier.model, nullptr);
  EXPECT_EQ(self->frame, vnTERUNIT_Update);
  w.RunFrames(3);
  w.Destroy(zombie);
  EXPECT_EQ(vnUNITMAN_GetUnit(zombie->dwId), nullptr);
}
