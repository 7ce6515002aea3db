#pragma once
// The headless world with ground movers over an 8 x 8 grid of 10 m regions, the four marker
// models, a formation file and recording soldiers whose orders are captured as they are sent.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

#include "engine/dobject/dobject.h"
#include "engine/kernel/tasktypes.h"
#include "interface/hud/hud.h"
#include "tests/world/support/testworld.h"
#include "tools/models/models.h"
#include "tools/writers/formation_writer.h"
#include "tools/writers/pow_writer.h"
#include "world/bstar/bstar.h"
#include "world/formation/formnode.h"
#include "world/formation/rank.h"
#include "world/mover/mover.h"
#include "world/unitman/unitmsg.h"

namespace formtest {

constexpr int32_t kSoldier = VN_UNIT_TYPE_TERRAN_ZR_0;
constexpr uint32_t kFlags = VNUNIT_F_SOLDIER | VNUNIT_F_MOVER | VNUNIT_F_SELECTABLE;
constexpr float kCell = 10.0f;
constexpr int32_t kCells = 8;
constexpr float kRadius = 0.5f;
constexpr uint32_t kLinkType = 1;  // the grid's gates are of type 1

// A disabled gate between regions (2, 2) and (3, 2): a wall at x = 30 for y from 20 to 30.
constexpr int32_t kWallWest = 2 * kCells + 2;
constexpr int32_t kWallEast = kWallWest + 1;
constexpr float kWallX = 30.0f;

// "Line": the leader and one unit 10 m to each side, every facing (0, -1, 0).
inline std::vector<VNWRITE_FORMATION> Formations() {
  VNWRITE_FORMATION line{"Line", {}};
  for (float x : {0.0f, 10.0f, -10.0f}) {
    VNWRITE_FORMATION_SLOT s;
    s.offset = {x, 0.0f, 0.0f};
    line.slots.push_back(s);
  }
  return {line};
}

// Where a message sent a unit, read while the pointer was live.
struct Sent {
  int32_t msg;
  SPW_VECTOR point;
  SPW_VECTOR facing;
};

class FormationWorld : public ::testing::Test {
 protected:
  void SetUp() override {
    vnworld::Options options;
    options.standInMovers = false;
    options.planner = true;
    world = std::make_unique<vnworld::TestWorld>(options);
    VNWRITE_UNITATTR row = vnworld::Row(kSoldier, kFlags, {}, kRadius);
    row.floats[28 - 11] = static_cast<float>(kLinkType);
    world->WriteAttrs({row});
    world->RegisterRecorder(VNTT_TERRAN_INFANTRY);
    VNWRITE_BSTARNET net = vnWRITE_BstarGrid(kCells, kCells, kCell, 0.0f);
    for (VNWRITE_BSTARLINK& l : net.links)
      if (l.a == kWallWest && l.b == kWallEast) l.disabled = true;
    world->WriteNetwork(net);
    ASSERT_TRUE(vnWRITE_Formations(world->content().path(), Formations()));
    world->content().write("Export/Pows/folder", "");
    for (const vnMODEL& m : vnMODELS_FormationMarkers())
      ASSERT_TRUE(vnWRITE_POW(world->content().file("Export/Pows/" + m.name + ".POW"), m));
    ASSERT_EQ(SPW_ResetObjectTypes(), 1);
    if (!SGE_GetTaskType(VNTT_VEHICLE_MOVER)) {
      ASSERT_EQ(vnMOVER_Register(), 1);
    }
    ASSERT_TRUE(world->Start());
    if (!man()->apFormationTypes[0]) {
      ASSERT_EQ(vnFORMNODE_LoadMarkerTypes(man()), 4);
    }
    world->SetHook([this](VNUNIT* u, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
      return Hook(u, msg, p1, p2);
    });
    vnHUD_SetSelectedUnitID(0);
  }
  void TearDown() override {
    vnRANK_EndTrail();
    // The markers go before the scene that holds them.
    if (world->manager()) vnFORMNODE_Reset(man(), task());
    world->Stop();
    SPW_FreeAllObjectTypes();
    SPW_ReleaseObjectTypes();
    world.reset();
    vnHUD_SetSelectedUnitID(0);
  }

  SGE_RESULT Hook(VNUNIT* u, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
    switch (msg) {
      case SGM_UNIT_GOTO_POINT:
      case SGM_UNIT_BOUNCE_TO_POINT:
      case SGM_UNIT_SET_POSITION_FACING: {
        Sent s{msg, *SGE_ParamPtr<const SPW_VECTOR>(p1), {}};
        if (p2) s.facing = *SGE_ParamPtr<const SPW_VECTOR>(p2);
        sent[u->dwId].push_back(s);
        return 1;
      }
      case SGM_UNIT_IS_DEAD:
        return dead.count(u->dwId) ? 1 : 0;
      case SGM_UNIT_BOUNCE_CHECK:
        return bounceAnswer.count(u->dwId) ? bounceAnswer[u->dwId] : 0;
      case SGM_UNIT_GET_OBJECT:
        return objects.count(u->dwId) ? SGE_PtrResult(objects[u->dwId])
                                      : SGE_PtrResult(nullptr);
      default:
        return -1;
    }
  }

  VNUNITMAN* man() const { return world->state(); }
  SGE_TASK* task() const { return world->manager(); }

  // A soldier of the human player at the point facing the heading, with a rank value.
  VNUNIT* Soldier(SPW_VECTOR pos, int32_t rank = 0, SPW_VECTOR heading = {0.0f, 1.0f, 0.0f}) {
    VNUNIT* u = world->Create(kSoldier, world->Human(), pos);
    EXPECT_NE(u, nullptr);
    EXPECT_NE(u->pMove, nullptr);
    world->Place(u, pos);
    u->pMove->vHeading = heading;
    vnUNIT_SetAttrInt(u, VN_ATTR_RANK, rank);
    return u;
  }
  void Select(VNUNIT* u) {
    SGE_Send(task(), SGM_UNITMAN_SELECT, SGE_PtrParam(u), 0);
  }
  bool Selected(const VNUNIT* u) const { return (u->dwFlags & VNUNIT_F_SELECTED) != 0; }

  // The last point a unit was sent to with the message.
  const Sent* LastSent(const VNUNIT* u, int32_t msg) const {
    auto it = sent.find(u->dwId);
    if (it == sent.end()) return nullptr;
    for (auto s = it->second.rbegin(); s != it->second.rend(); ++s)
      if (s->msg == msg) return &*s;
    return nullptr;
  }

  // The markers on the manager's node list.
  std::vector<SPW_DOBJECT*> Markers() const {
    std::vector<SPW_DOBJECT*> out;
    for (VNFORMNODE* r : SGE_ListRecords<VNFORMNODE>(&man()->formNodes))
      out.push_back(r->pObject);
    return out;
  }
  int32_t Slot(int32_t which) const { return vnFORMNODE_MarkerSlot(man(), which); }
  // The marker nearest the point in the ground plane.
  SPW_DOBJECT* MarkerAt(float x, float y) const {
    SPW_DOBJECT* best = nullptr;
    float bestD = 1e9f;
    for (SPW_DOBJECT* o : Markers()) {
      const float d = (o->t.vPos.x - x) * (o->t.vPos.x - x) + (o->t.vPos.y - y) * (o->t.vPos.y - y);
      if (d < bestD) bestD = d, best = o;
    }
    return best;
  }

  std::unique_ptr<vnworld::TestWorld> world;
  std::map<uint32_t, std::vector<Sent>> sent;
  std::map<uint32_t, int32_t> bounceAnswer;
  std::map<uint32_t, SPW_DOBJECT*> objects;
  std::map<uint32_t, bool> dead;
};

}  // namespace formtest
