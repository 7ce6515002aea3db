#include <gtest/gtest.h>

#include "interface/hud/hudtask.h"
#include "missions/control/misscont.h"
#include "missions/control/missiondef.h"
#include "missions/control/missiontasks.h"
#include "missions/control/overlay.h"
#include "missions/control/smoketrail.h"
#include "world/mission/context.h"
#include "world/mover/mover.h"
#include "world/unitman/unitman.h"

namespace {

// One service of the running mission: how it is entered (its setter, or the field itself for the
// services that enter themselves when they start), its getter and its field in the context.
struct Slot {
  const char* name;
  void (*enter)(void* service);
  const void* (*get)();
  const void* (*field)(const VNMISSION_CONTEXT& c);
};

template <typename T>
T* As(void* p) {
  return static_cast<T*>(p);
}

const Slot kSlots[] = {
    {"controller",
     [](void* p) {
       const VNMISSION_WORLD w{As<SGE_TASK>(p), nullptr, nullptr};
       vnMISSCONT_SetWorld(&w);
     },
     []() -> const void* { return vnMISSCONT_GetTask(); },
     [](const VNMISSION_CONTEXT& c) -> const void* { return c.pController; }},
    {"scene",
     [](void* p) {
       const VNMISSION_WORLD w{nullptr, As<SPW_SCENE>(p), nullptr};
       vnMISSCONT_SetWorld(&w);
     },
     []() -> const void* { return vnMISSCONT_GetScene(); },
     [](const VNMISSION_CONTEXT& c) -> const void* { return c.pScene; }},
    {"platoon",
     [](void* p) {
       const VNMISSION_WORLD w{nullptr, nullptr, As<VNPLATOON>(p)};
       vnMISSCONT_SetWorld(&w);
     },
     []() -> const void* { return vnMISSCONT_GetPlatoon(); },
     [](const VNMISSION_CONTEXT& c) -> const void* { return c.pPlatoon; }},
    {"mission definition", [](void* p) { vnMISSCONT_SetMissionDef(As<VNMISSION_DEF>(p)); },
     []() -> const void* { return vnMISSCONT_GetMissionDef(); },
     [](const VNMISSION_CONTEXT& c) -> const void* { return c.pDef; }},
    {"unit manager", [](void* p) { vnMISSION_Context().pUnitManager = As<SGE_TASK>(p); },
     []() -> const void* { return vnUNITMAN_GetTask(); },
     [](const VNMISSION_CONTEXT& c) -> const void* { return c.pUnitManager; }},
    {"path planner", [](void* p) { vnMISSION_Context().pPlanner = As<VNMOVER_PLANNER>(p); },
     []() -> const void* { return vnMOVER_GetPathPlanner(); },
     [](const VNMISSION_CONTEXT& c) -> const void* { return c.pPlanner; }},
    {"retrieval boats", [](void* p) { vnMISSCONT_SetRetBoatManager(As<SGE_TASK>(p)); },
     []() -> const void* { return vnMISSCONT_GetRetBoatManager(); },
     [](const VNMISSION_CONTEXT& c) -> const void* { return c.pRetBoats; }},
    {"script", [](void* p) { vnMISSCONT_SetMissionTask(As<SGE_TASK>(p)); },
     []() -> const void* { return vnMISSCONT_GetMissionTask(); },
     [](const VNMISSION_CONTEXT& c) -> const void* { return c.pScript; }},
    {"air explosion", [](void* p) { vnMISSCONT_SetAirExplosionTask(As<SGE_TASK>(p)); },
     []() -> const void* { return vnMISSCONT_GetAirExplosionTask(); },
     [](const VNMISSION_CONTEXT& c) -> const void* { return c.pAirExplosion; }},
    {"camera", [](void* p) { vnMISSCONT_SetCameraTask(As<SGE_TASK>(p)); },
     []() -> const void* { return vnMISSCONT_GetCameraTask(); },
     [](const VNMISSION_CONTEXT& c) -> const void* { return c.pCamera; }},
    {"smoke trail", [](void* p) { vnMISSCONT_SetSmokeTrailTask(As<SGE_TASK>(p)); },
     []() -> const void* { return vnMISSCONT_GetSmokeTrailTask(); },
     [](const VNMISSION_CONTEXT& c) -> const void* { return c.pSmokeTrail; }},
    {"overlay", [](void* p) { vnMISSCONT_SetOverlayTask(As<SGE_TASK>(p)); },
     []() -> const void* { return vnMISSCONT_GetOverlayTask(); },
     [](const VNMISSION_CONTEXT& c) -> const void* { return c.pOverlay; }},
    {"effect draw list", [](void* p) { vnMISSCONT_SetAttachDisplay(As<VNFX_ATTACHLIST>(p)); },
     []() -> const void* { return vnMISSCONT_GetAttachDisplay(); },
     [](const VNMISSION_CONTEXT& c) -> const void* { return c.pAttachDisplay; }},
    {"particle jets", [](void* p) { vnMISSCONT_SetParticleJetTask(As<SGE_TASK>(p)); },
     []() -> const void* { return vnMISSCONT_GetParticleJetTask(); },
     [](const VNMISSION_CONTEXT& c) -> const void* { return c.pParticleJets; }},
    {"ambush zones", [](void* p) { vnMISSCONT_SetAmbushZoneTask(As<SGE_TASK>(p)); },
     []() -> const void* { return vnMISSCONT_GetAmbushZoneTask(); },
     [](const VNMISSION_CONTEXT& c) -> const void* { return c.pAmbushZones; }},
    {"camera object", [](void* p) { vnMISSCONT_SetCameraDObject(As<SPW_DOBJECT>(p)); },
     []() -> const void* { return vnMISSCONT_GetCameraDObject(); },
     [](const VNMISSION_CONTEXT& c) -> const void* { return c.pCameraObject; }},
    {"display", [](void* p) { vnMISSCONT_SetDisplay(As<SPW_VDISPLAY>(p)); },
     []() -> const void* { return vnMISSCONT_GetDisplay(); },
     [](const VNMISSION_CONTEXT& c) -> const void* { return c.pDisplay; }},
    {"HUD", [](void* p) { vnMISSION_Context().pHud = As<SGE_TASK>(p); },
     []() -> const void* { return vnHUD_GetObject(); },
     [](const VNMISSION_CONTEXT& c) -> const void* { return c.pHud; }},
};

class MissionContext : public ::testing::Test {
 protected:
  void SetUp() override { vnMISSION_Context() = {}; }
  void TearDown() override { vnMISSION_Context() = {}; }
};

TEST_F(MissionContext, EachServiceHasItsOwnFieldAndItsGetterReadsIt) {
  char service = 0;  // only addressed, never followed
  for (const Slot& entered : kSlots) {
    vnMISSION_Context() = {};
    entered.enter(&service);
    for (const Slot& s : kSlots) {
      const void* want = &s == &entered ? &service : nullptr;
      EXPECT_EQ(s.field(vnMISSION_Context()), want) << entered.name << " entered, " << s.name;
      EXPECT_EQ(s.get(), want) << entered.name << " entered, " << s.name;
    }
  }
}

TEST_F(MissionContext, ClearingTheWorldLeavesTheServices) {
  char controller = 0, overlay = 0;
  const VNMISSION_WORLD w{reinterpret_cast<SGE_TASK*>(&controller), nullptr, nullptr};
  vnMISSCONT_SetWorld(&w);
  vnMISSCONT_SetOverlayTask(reinterpret_cast<SGE_TASK*>(&overlay));
  vnMISSCONT_SetWorld(nullptr);
  EXPECT_EQ(vnMISSCONT_GetTask(), nullptr);
  EXPECT_EQ(vnMISSCONT_GetOverlayTask(), reinterpret_cast<SGE_TASK*>(&overlay));
}

}  // namespace
