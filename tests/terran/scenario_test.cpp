// A ZR soldier in the demo mission: placed from a command block on the mission's terrain and path
// network with its guns, ordered across the landing area towards a zombie of the computer player,
// which it fires at on the way and which blows bring down; then a heavy hit knocks the soldier
// over, it is held twice and released once, and waits. The soldiers, their guns, the movers and
// the planner are the program's own; the mission controller records, the soldiers' classes and
// guns are observed, and sound plays on the null output.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "effects/hitscan.h"
#include "engine/object/object.h"
#include "engine/sprite/sprite.h"
#include "engine/terrain/terrain.h"
#include "effects/weapon.h"
#include "missions/control/misscont.h"
#include "platform/sound/sound.h"
#include "shell/options.h"
#include "shell/sound/sound.h"
#include "missions/control/missionevents.h"
#include "terran/behave.h"
#include "terran/handler.h"
#include "terran/infantry.h"
#include "terran/unitfx.h"
#include "tests/world/support/testworld.h"
#include "tools/writers/placement_writer.h"
#include "world/bstar/bstar.h"
#include "world/bstar/search.h"
#include "world/combat/combat.h"
#include "world/mover/mover.h"
#include "world/placement/placement.h"
#include "world/unitman/orders.h"
#include "world/unitman/unitmsg.h"

namespace {

constexpr int32_t kMissionController = 4;
constexpr float kFrame = 0.05f;

// What the soldier did, one entry each time it changed.
struct Timeline {
  std::vector<int32_t> lower, upper, orders;
  void Note(std::vector<int32_t>& list, int32_t value) {
    if (list.empty() || list.back() != value) list.push_back(value);
  }
};

class SoldierScenario : public ::testing::Test {
 protected:
  static vnworld::Options DemoMission() {
    vnworld::Options o;
    o.demoMission = "C1M1A";
    o.standInMovers = false;
    o.planner = true;
    o.shadows = true;
    return o;
  }

  void SetUp() override {
    ASSERT_TRUE(vnworld::WriteDemoTree(w.content().path()));
    w.RegisterRecorder(kMissionController);
    ASSERT_EQ(vnMOVER_Register(), 1);
    ASSERT_EQ(SPW_ResetObjectTypes(), 1);
    ASSERT_TRUE(w.Start());
    SPW_InitSprites();
    w.RegisterObserved(VNINFANTRY_CLASSROW);
    w.RegisterObserved(VNHITSCAN_SMARTRIFLE_CLASSROW);
    w.RegisterObserved(VNHITSCAN_REVOLVER_CLASSROW);
    mission = SGE_CreateTask(kMissionController, nullptr, nullptr, 0, 0);
    const VNMISSION_WORLD world{mission, w.scene(), nullptr};
    vnMISSCONT_SetWorld(&world);
    // Sound on the null output, every effect of the demo tree loaded.
    vnOPTIONS_ApplySound(vnOPTIONS_SetDefaults(vnOPTIONS_Get()));
    PLAT_SoundSetOutput(PLAT_SoundOutput::Null);
    ASSERT_EQ(vnSOUND_Init(), 1);
    for (int32_t id = 0; id < VN_SOUND_NUM_EFFECTS; ++id) ASSERT_EQ(vnSOUND_LoadEffect(id), 1) << id;
  }

  void TearDown() override {
    vnSOUND_Close();
    PLAT_SoundSetOutput(PLAT_SoundOutput::Auto);
    w.Stop();
    SPW_DestroyAllSpriteSets();
    if (mission) SGE_Send(mission, SGM_TASK_DESTROY, 0, 0);
    SPW_FreeAllObjectTypes();
    SPW_ReleaseObjectTypes();
  }

  VNUNIT* PlaceSoldier(SPW_VECTOR at) {
    VNWRITE_PLACEBLOCK placed{"Alpha", {{"Label", "Alpha One"}, {"Rank", "2"}}};
    EXPECT_TRUE(vnWRITE_PlacementBlockText(placed, &blockText));
    VNPLACE_COMMANDBLOCK block{};
    std::snprintf(block.szName, sizeof(block.szName), "%s", placed.name.c_str());
    block.pszText = blockText.c_str();
    VNUNIT* unit = w.Create(VN_UNIT_TYPE_TERRAN_ZR_0, w.Human(), at, nullptr, nullptr, &block);
    if (unit) w.Place(unit, at);
    return unit;
  }

  // The messages of one unit's controller, in order.
  std::vector<vnworld::Event> EventsTo(const VNUNIT* u, int32_t msg) const {
    std::vector<vnworld::Event> out;
    for (const vnworld::Event& e : w.EventsOf(msg))
      if (e.unitId == u->dwId) out.push_back(e);
    return out;
  }

  // The effects started since the last look: a slot that plays on a new channel or another
  // effect.
  void NoteSounds() {
    for (int32_t i = 0; i < VN_SOUND_NUM_SLOTS; ++i) {
      const VNSOUND_CHANNEL* c = vnSOUND_GetSlot(i);
      const bool playing = c && c->nId >= 0 && (c->dwFlags & VN_SOUND_SLOT_PLAYING);
      const std::pair<int32_t, int32_t> now{playing ? c->hChannel : -1, playing ? c->nId : -1};
      if (playing && now != slots[static_cast<size_t>(i)]) sounds.push_back(c->nId);
      slots[static_cast<size_t>(i)] = now;
    }
  }

  // One frame; what changed goes into the timeline.
  void Frame() {
    w.RunFrames(1);
    NoteSounds();
    if (!soldier) return;
    line.Note(line.lower, soldier->lowerState);
    line.Note(line.upper, soldier->upperState);
    const VNORDER* order = vnORDER_Current(unit);
    line.Note(line.orders, order ? order->anWord[VNORDER_WORD_KIND] : -1);
  }
  vnworld::TestWorld w{DemoMission()};
  vnworld::FrameClock clock{kFrame};
  SGE_TASK* mission = nullptr;
  std::string blockText;
  VNUNIT* unit = nullptr;
  VNTERUNIT* soldier = nullptr;
  Timeline line;
  std::array<std::pair<int32_t, int32_t>, VN_SOUND_NUM_SLOTS> slots{};  // channel, effect
  std::vector<int32_t> sounds;
};

TEST_F(SoldierScenario, APlacedSoldierWalksTheNetworkOutlivesAZombieIsKnockedOverHeldAndWaits) {
  unit = PlaceSoldier({110.0f, 112.0f, 0.0f});
  ASSERT_NE(unit, nullptr);
  EXPECT_STREQ(unit->szLabel, "Alpha One");
  EXPECT_EQ(vnUNIT_AttrInt(unit, VN_ATTR_RANK), 2);
  soldier = SGE_Ask<VNTERUNIT>(unit->pController, SGM_TERUNIT_GET_INSTANCE, 0, 0);
  ASSERT_NE(soldier, nullptr);
  ASSERT_NE(unit->pMove, nullptr);
  EXPECT_NE(unit->pMove->pRegion, nullptr) << "the soldier stands in a region of the network";
  EXPECT_EQ(soldier->lowerState, VN_TERUNIT_LOWER_IDLE);
  // The rifle of its type's row came with it, made by its own class, and a gun is in hand.
  const VNUNIT* rifle = vnTERUNIT_FindItem(unit, VN_UNIT_TYPE_WEAPON_SMARTRIFLE_0, 1);
  ASSERT_NE(rifle, nullptr);
  const std::vector<vnworld::Event> made = w.EventsOf(SGM_TASK_CREATE);
  EXPECT_EQ(std::count_if(made.begin(), made.end(),
                          [rifle](const vnworld::Event& e) { return e.unitId == rifle->dwId; }),
            1);
  EXPECT_NE(vnTERUNIT_CurrentItem(unit), nullptr);

  VNUNIT* zombie = w.Create(VN_UNIT_TYPE_TERRAN_ZOMBIE_ACTIVE, w.Computer(), {150.0f, 112.0f, 0.0f});
  ASSERT_NE(zombie, nullptr);
  w.Place(zombie, {150.0f, 112.0f, 0.0f});
  const auto* undead = SGE_Ask<VNTERUNIT>(zombie->pController, SGM_TERUNIT_GET_INSTANCE, 0, 0);
  ASSERT_NE(undead, nullptr);
  for (int32_t i = 0; i < 10; ++i) Frame();

  // Ordered across the landing area, it runs over the network region by region, on the ground,
  // and stops at the point.
  SPW_VECTOR goal{138.0f, 112.0f, 0.0f};
  ASSERT_EQ(SPW_GetTerrainHeight(w.scene(), &goal), 1);
  const BSTAR_Node* start = unit->pMove->pRegion;
  const BSTAR_Node* end = BSTAR_FindNodeAtPoint(w.network(), &goal);
  ASSERT_NE(end, start);
  EXPECT_TRUE(sounds.empty()) << "standing still is silent";
  SGE_Send(unit->pController, SGM_UNIT_GOTO_POINT, SGE_PtrParam(&goal), 0);
  std::vector<SPW_VECTOR> walked{unit->vPos};
  for (int32_t i = 0; i < 200 && vnORDER_Current(unit)->anWord[VNORDER_WORD_KIND] != 0; ++i) {
    Frame();
    walked.push_back(unit->vPos);
  }
  EXPECT_EQ(vnORDER_Current(unit)->anWord[VNORDER_WORD_KIND], 0) << "the move order ended";
  for (size_t i = 1; i < walked.size(); ++i) {
    SPW_VECTOR p = walked[i];
    EXPECT_GE(p.x, walked[i - 1].x - 0.01f) << i;
    EXPECT_NE(BSTAR_FindNodeAtPoint(w.network(), &p), nullptr) << i;
    SPW_VECTOR ground = p;
    ASSERT_EQ(SPW_GetTerrainHeight(w.scene(), &ground), 1);
    EXPECT_NEAR(p.z, ground.z, 1e-3f) << i;
  }
  EXPECT_LT(std::hypot(walked.back().x - goal.x, walked.back().y - goal.y), 2.0f);
  EXPECT_EQ(unit->pMove->pRegion, end);
  // Its feet were heard on the way, both of them, and nothing else.
  const int32_t left = vnTERUNIT_StepSound(unit->nType, VN_TERUNIT_LOWER_RUNNING, 0, 0);
  const int32_t right = vnTERUNIT_StepSound(unit->nType, VN_TERUNIT_LOWER_RUNNING, 0, 1);
  EXPECT_NE(std::find(sounds.begin(), sounds.end(), left), sounds.end());
  EXPECT_NE(std::find(sounds.begin(), sounds.end(), right), sounds.end());
  for (int32_t id : sounds) EXPECT_TRUE(id == left || id == right) << id;
  const auto steps = [&] {
    return std::count_if(sounds.begin(), sounds.end(),
                         [&](int32_t id) { return id == left || id == right; });
  };
  const auto stepsOfTheWalk = steps();
  // Each region left is told before the next one entered, from the start to the point's.
  const BSTAR_Node* region = start;
  int32_t regions = 0;
  for (const vnworld::Event& e : w.events()) {
    if (e.unitId != unit->dwId) continue;
    if (e.msg == SGM_MOVER_LEFT_REGION) {
      EXPECT_EQ(reinterpret_cast<const BSTAR_Node*>(e.p2), region);
    }
    if (e.msg == SGM_MOVER_ENTERED_REGION) {
      region = reinterpret_cast<const BSTAR_Node*>(e.p2);
      ++regions;
    }
  }
  EXPECT_EQ(region, end);
  EXPECT_GE(regions, 3);
  // On the way it fired at the zombie with the gun in its hand.
  const VNUNIT* gun = vnTERUNIT_CurrentItem(unit);
  ASSERT_NE(gun, nullptr);
  const std::vector<vnworld::Event> shots = EventsTo(gun, SGM_WEAPON_FIRE);
  ASSERT_FALSE(shots.empty());
  for (const vnworld::Event& e : shots) EXPECT_EQ(e.p1, SGE_PtrParam(zombie));

  // Blows of 40 at the zombie until it falls: the mission hears of it once, with its id.
  const auto blowAt = [](const VNUNIT* target, float health) {
    VNAREA_DAMAGE blow{};
    blow.vCentre = target->vPos;
    blow.damage.fHealth = health;
    blow.damage.nSourceType = -1;
    blow.damage.dwSourceFlags = VNINFANTRY_HIT_REACTS;
    vnCOMBAT_AreaDamage(&blow, 0.5f, 0.0f);
  };
  int32_t blows = 0;
  while (blows < 5 && w.EventsOf(SGM_VN_MISSCONT_EVENT_TERRAN_KILLED).empty()) {
    blowAt(zombie, -40.0f);
    ++blows;
    for (int32_t i = 0; i < 5; ++i) Frame();
  }
  EXPECT_EQ(blows, 3) << "100 health takes three blows of 40";
  for (int32_t i = 0; i < 10; ++i) Frame();
  const std::vector<vnworld::Event> killed = w.EventsOf(SGM_VN_MISSCONT_EVENT_TERRAN_KILLED);
  ASSERT_EQ(killed.size(), 1u);
  EXPECT_EQ(killed[0].p1, static_cast<SGE_PARAM>(zombie->dwId));
  EXPECT_EQ(SGE_Send(zombie->pController, SGM_UNIT_IS_DEAD, 0, 0), 1);
  EXPECT_EQ(undead->lowerState, VN_TERUNIT_LOWER_DEATH);
  EXPECT_EQ(SGE_Send(unit->pController, SGM_UNIT_IS_DEAD, 0, 0), 0);
  // A dead zombie is no target: the shots at it have stopped.
  const size_t shotsAtDeath = EventsTo(gun, SGM_WEAPON_FIRE).size();
  for (int32_t i = 0; i < 10; ++i) Frame();
  EXPECT_EQ(EventsTo(gun, SGM_WEAPON_FIRE).size(), shotsAtDeath);
  EXPECT_EQ(steps(), stepsOfTheWalk) << "no steps while it stands";

  // A heavy hit knocks the soldier over.
  const float health = vnUNIT_AttrFloat(unit, VN_ATTR_HEALTH);
  blowAt(unit, -60.0f);
  EXPECT_FLOAT_EQ(vnUNIT_AttrFloat(unit, VN_ATTR_HEALTH), health - 60.0f);
  EXPECT_EQ(soldier->lowerState, VN_TERUNIT_LOWER_TAKINGMAJORDAMAGE);
  EXPECT_EQ(soldier->upperState, VN_TERUNIT_LOWER_TAKINGMAJORDAMAGE);
  EXPECT_EQ(killed.size(), w.EventsOf(SGM_VN_MISSCONT_EVENT_TERRAN_KILLED).size());
  for (int32_t i = 0; i < 10; ++i) Frame();

  // Held twice, released once: still held, and safe from damage while held.
  SGE_Send(unit->pController, SGM_TERUNIT_HOLD, VNTERUNIT_HOLD, 0);
  SGE_Send(unit->pController, SGM_TERUNIT_HOLD, VNTERUNIT_HOLD, 0);
  SGE_Send(unit->pController, SGM_TERUNIT_HOLD, VNTERUNIT_RELEASE, 0);
  EXPECT_NE(soldier->stateFlags & VNTERUNIT_SF_HELD, 0u);
  EXPECT_EQ(SGE_Send(unit->pController, SGM_UNIT_IS_INVULNERABLE, 0, 0), 1);

  // A wait of two seconds is queued as a timed wait.
  SGE_Send(unit->pController, SGM_TERUNIT_ORDER_WAIT, 0, 2);
  const VNORDER* wait = vnORDER_FindById(unit, 20);
  ASSERT_NE(wait, nullptr);
  EXPECT_EQ(wait->anWord[3], 1) << "timed";
  EXPECT_FLOAT_EQ(std::bit_cast<float>(wait->anWord[10]), 2.0f);
  for (int32_t i = 0; i < 10; ++i) Frame();
  EXPECT_EQ(SGE_Send(unit->pController, SGM_UNIT_IS_DEAD, 0, 0), 0);

  // What the soldier went through, in order: idle, the run and the stop; at the end knocked over
  // and up again. The orders: none, the move, none again, the wait.
  ASSERT_GE(line.lower.size(), 5u);
  EXPECT_EQ(std::vector<int32_t>(line.lower.begin(), line.lower.begin() + 3),
            (std::vector<int32_t>{VN_TERUNIT_LOWER_IDLE, VN_TERUNIT_LOWER_RUNNING,
                                  VN_TERUNIT_LOWER_IDLE}));
  EXPECT_EQ(std::vector<int32_t>(line.lower.end() - 2, line.lower.end()),
            (std::vector<int32_t>{VN_TERUNIT_LOWER_TAKINGMAJORDAMAGE, VN_TERUNIT_LOWER_IDLE}));
  // The upper body fired at the zombie on the way.
  EXPECT_NE(std::find(line.upper.begin(), line.upper.end(), VN_TERUNIT_UPPER_FIRING),
            line.upper.end());
  ASSERT_GE(line.upper.size(), 2u);
  EXPECT_EQ(std::vector<int32_t>(line.upper.end() - 2, line.upper.end()),
            (std::vector<int32_t>{VN_TERUNIT_LOWER_TAKINGMAJORDAMAGE, VN_TERUNIT_LOWER_IDLE}));
  EXPECT_EQ(line.orders, (std::vector<int32_t>{0, 3, 0, 20}));
}

}  // namespace
