// Registration of the unit classes with the kernel: every unit type's controller is a task of
// its class. A class is registered once its handler is part of the program.
#include <iterator>

#include "engine/kernel/tasktypes.h"
#include "platform/trace.h"
#include "world/ammodump/ammodump.h"
#include "world/dome/dome.h"
#include "world/featunit/featunit.h"
#include "world/flyby/flyby.h"
#include "world/fobj/bigrock.h"
#include "world/fobj/dropcapsule.h"
#include "world/fobj/fortwall.h"
#include "world/fobj/gate.h"
#include "world/fobj/poptarget.h"
#include "world/fobj/prop.h"
#include "world/fobj/solarcollector.h"
#include "world/fobj/statues.h"
#include "world/fobj/teleporter.h"
#include "world/fobj/transport.h"
#include "world/fobj/twingun.h"
#include "world/unitman/unitman.h"

namespace {

struct UNITCLASS {
  int32_t nTypeId;
  int32_t nInstanceBytes;
  SGE_TASKHANDLER pHandler;  // null while the class is not in the program
};

// In registration order. A class with a handler takes its record's own size, which holds 64-bit
// pointers; a row without one keeps the 32-bit figure and registers nothing.
constexpr UNITCLASS kClasses[] = {
    {VNTT_TERRAN_INFANTRY, 792, nullptr},
    {VNTT_TERRAN_MIST, 772, nullptr},
    {VNTT_SUIT_BRAKKAR, 776, nullptr},
    {VNTT_SUIT_COMMAND, 788, nullptr},
    {VNTT_SUIT_SCOUT, 780, nullptr},
    {VNTT_TERRAN_COMBATENG, 764, nullptr},
    {VNTT_TERRAN_CIVILIAN, 644, nullptr},
    {VNTT_TERRAN_PSYCHIC, 772, nullptr},
    {VNTT_BUG_CORTEX, 788, nullptr},
    {VNTT_BUG_CHAMELEON, 412, nullptr},
    {VNTT_BUG_CHARIOT, 376, nullptr},
    {VNTT_BUG_BLISTERBOMBER, 400, nullptr},
    {VNTT_BUG_CONSORT, 384, nullptr},
    {VNTT_BUG_HOPPER, 592, nullptr},
    {VNTT_BUG_WARRIOR, 404, nullptr},
    {VNTT_BUG_WORKER, 396, nullptr},
    {VNTT_BUG_RHINO, 384, nullptr},
    {VNTT_BUG_ROYALWARRIOR, 416, nullptr},
    {VNTT_BUG_SPITBUG, 384, nullptr},
    {VNTT_BUG_TANKER, 448, nullptr},
    {VNTT_BUG_PLASMA, 392, nullptr},
    {VNTT_BUG_LARVAL, 380, nullptr},
    {VNTT_WEAPON_CLASS1DOUBLE, 24, nullptr},
    {VNTT_WEAPON_MISSILE, 20, nullptr},
    {VNTT_WEAPON_GRENADE, 16, nullptr},
    {VNTT_WEAPON_LIGHTRIFLE, 76, nullptr},
    {VNTT_WEAPON_LIGHTCANNON, 360, nullptr},
    {VNTT_WEAPON_CHAINCANNON, 80, nullptr},
    {VNTT_WEAPON_PLASMACANNON, 392, nullptr},
    {VNTT_WEAPON_SMARTRIFLE, 372, nullptr},
    {VNTT_WEAPON_REVOLVER, 68, nullptr},
    {VNTT_WEAPON_FLAME, 128, nullptr},
    {VNTT_WEAPON_TANKERFLAME, 120, nullptr},
    {VNTT_WEAPON_LARVALSPIT, 92, nullptr},
    {VNTT_WEAPON_BUG_CLAW, 4, nullptr},
    {VNTT_WEAPON_BUG_RHINOCHARGE, 128, nullptr},
    {VNTT_WEAPON_BUGEXPLODE, 48, nullptr},
    {VNTT_WEAPON_BUGFART, 120, nullptr},
    {VNTT_WEAPON_BUGSPARK, 84, nullptr},
    {VNTT_WEAPON_BUGSPIT, 12, nullptr},
    {VNTT_WEAPON_BUGPLASMA, 4, nullptr},
    {VNTT_PROJECTILE_BUGPLASMA, 60, nullptr},
    {VNTT_PROJECTILE_MISSILE, 120, nullptr},
    {VNTT_PROJECTILE_NUKE, 96, nullptr},
    {VNTT_PROJECTILE_GRENADE, 96, nullptr},
    {VNTT_PROJECTILE_BUGSPIT, 152, nullptr},
    {VNTT_PROJECTILE_FLAME_MANAGER, 432, nullptr},
    {VNTT_AMMO, 4, nullptr},
    {VNTT_PE_PROP, sizeof(VNPROP), vnPROP_Handler},
    {VNTT_PE_THREESTATUES, sizeof(VNSTATUES), vnSTATUES_Handler},
    {VNTT_PE_AMMO_DUMP, sizeof(VNAMMODUMP), vnAMMODUMP_Handler},
    {VNTT_PE_FORTWALL, sizeof(VNFORTWALL), vnFORTWALL_Handler},
    {VNTT_VEHICLE_TRANSPORT, sizeof(VNTRANSPORT), vnTRANSPORT_Handler},
    {VNTT_WEAPON_SPECIMENCAPTURE, 16, nullptr},
    {VNTT_PROJECTILE_CAPTURE, 112, nullptr},
    {VNTT_WEAPON_MINE, 16, nullptr},
    {VNTT_PROJECTILE_MINE, 88, nullptr},
    {VNTT_WEAPON_PLASMAGUN, 384, nullptr},
    {VNTT_WEAPON_PSYCHOKINESIS, 8, nullptr},
    {VNTT_REVOLVER_PROP, 12, nullptr},
};
static_assert(std::size(kClasses) == 60);

}  // namespace

int32_t vnUNITMAN_RegisterUnitClasses() {
  int32_t ok = 1;
  for (const UNITCLASS& c : kClasses) {
    if (!c.pHandler) continue;
    if (!SGE_RegisterTaskType(c.nTypeId, c.pHandler, SGE_TTF_ALLOC_DATA, c.nInstanceBytes, "")) {
      PLAT_Trace("[UNITMAN]: unit class %d not registered\n", c.nTypeId);
      ok = 0;
    }
  }
  // Then the families that register themselves.
  if (!vnBIGROCK_Register()) {
    PLAT_Trace("[UNITMAN]: unit class %d not registered\n", VNTT_BIGROCK);
    ok = 0;
  }
  if (!vnDOOR_Register()) {
    PLAT_Trace("[UNITMAN]: unit class %d not registered\n", VNTT_DROPCAPSULE);
    ok = 0;
  }
  if (!vnSOLARCOLLECTOR_Register()) {
    PLAT_Trace("[UNITMAN]: unit class %d not registered\n", VNTT_SOLARCOLLECTOR);
    ok = 0;
  }
  if (!vnGATE_Register()) {
    PLAT_Trace("[UNITMAN]: unit class %d not registered\n", VNTT_GATE);
    ok = 0;
  }
  if (!vnFEATUNIT_Register()) {
    PLAT_Trace("[UNITMAN]: unit class %d not registered\n", VNTT_FEATURE_UNIT);
    ok = 0;
  }
  if (!vnDome_Register()) {
    PLAT_Trace("[UNITMAN]: unit class %d not registered\n", VNTT_DOME);
    ok = 0;
  }
  if (!vnFlyBy_Register()) {
    PLAT_Trace("[UNITMAN]: unit class %d not registered\n", VNTT_FLYBY);
    ok = 0;
  }
  if (!vnTWINGUN_Register()) {
    PLAT_Trace("[UNITMAN]: unit class %d not registered\n", VNTT_WEAPON_TWINGUN);
    ok = 0;
  }
  if (!vnTELEPORTER_Register()) {
    PLAT_Trace("[UNITMAN]: unit class %d not registered\n", VNTT_PE_TELEPORTER);
    ok = 0;
  }
  if (!vnPOPTARGET_Register()) {
    PLAT_Trace("[UNITMAN]: unit class %d not registered\n", VNTT_POPTARGET);
    ok = 0;
  }
  return ok;
}
