// The unit class table: every unit type's controller is a task of its class, and each class
// module gives its row. A class is registered once its handler is part of the program.
#include <algorithm>
#include <iterator>

#include "effects/ammo.h"
#include "effects/hitscan.h"
#include "effects/pairedweapon.h"
#include "engine/kernel/tasktypes.h"
#include "platform/trace.h"
#include "terran/infantry.h"
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
#include "world/unitman/unitclass.h"
#include "world/unitman/unitman.h"

namespace {

// In registration order: the classes of the program take their module's row; a class not yet in
// the program keeps its 32-bit instance figure and registers nothing.
constexpr VNUNIT_CLASSROW kClasses[] = {
    VNINFANTRY_CLASSROW,
    {VNTT_TERRAN_MIST, nullptr, 772},
    {VNTT_SUIT_BRAKKAR, nullptr, 776},
    {VNTT_SUIT_COMMAND, nullptr, 788},
    {VNTT_SUIT_SCOUT, nullptr, 780},
    {VNTT_TERRAN_COMBATENG, nullptr, 764},
    {VNTT_TERRAN_CIVILIAN, nullptr, 644},
    {VNTT_TERRAN_PSYCHIC, nullptr, 772},
    {VNTT_BUG_CORTEX, nullptr, 788},
    {VNTT_BUG_CHAMELEON, nullptr, 412},
    {VNTT_BUG_CHARIOT, nullptr, 376},
    {VNTT_BUG_BLISTERBOMBER, nullptr, 400},
    {VNTT_BUG_CONSORT, nullptr, 384},
    {VNTT_BUG_HOPPER, nullptr, 592},
    {VNTT_BUG_WARRIOR, nullptr, 404},
    {VNTT_BUG_WORKER, nullptr, 396},
    {VNTT_BUG_RHINO, nullptr, 384},
    {VNTT_BUG_ROYALWARRIOR, nullptr, 416},
    {VNTT_BUG_SPITBUG, nullptr, 384},
    {VNTT_BUG_TANKER, nullptr, 448},
    {VNTT_BUG_PLASMA, nullptr, 392},
    {VNTT_BUG_LARVAL, nullptr, 380},
    VNPAIREDWEAPON_CLASSROW,
    {VNTT_WEAPON_MISSILE, nullptr, 20},
    {VNTT_WEAPON_GRENADE, nullptr, 16},
    VNHITSCAN_LIGHTRIFLE_CLASSROW,
    {VNTT_WEAPON_LIGHTCANNON, nullptr, 360},
    VNHITSCAN_CHAINCANNON_CLASSROW,
    {VNTT_WEAPON_PLASMACANNON, nullptr, 392},
    VNHITSCAN_SMARTRIFLE_CLASSROW,
    VNHITSCAN_REVOLVER_CLASSROW,
    {VNTT_WEAPON_FLAME, nullptr, 128},
    {VNTT_WEAPON_TANKERFLAME, nullptr, 120},
    {VNTT_WEAPON_LARVALSPIT, nullptr, 92},
    {VNTT_WEAPON_BUG_CLAW, nullptr, 4},
    {VNTT_WEAPON_BUG_RHINOCHARGE, nullptr, 128},
    {VNTT_WEAPON_BUGEXPLODE, nullptr, 48},
    {VNTT_WEAPON_BUGFART, nullptr, 120},
    {VNTT_WEAPON_BUGSPARK, nullptr, 84},
    {VNTT_WEAPON_BUGSPIT, nullptr, 12},
    {VNTT_WEAPON_BUGPLASMA, nullptr, 4},
    {VNTT_PROJECTILE_BUGPLASMA, nullptr, 60},
    {VNTT_PROJECTILE_MISSILE, nullptr, 120},
    {VNTT_PROJECTILE_NUKE, nullptr, 96},
    {VNTT_PROJECTILE_GRENADE, nullptr, 96},
    {VNTT_PROJECTILE_BUGSPIT, nullptr, 152},
    {VNTT_PROJECTILE_FLAME_MANAGER, nullptr, 432},
    VNAMMO_CLASSROW,
    VNPROP_CLASSROW,
    VNSTATUES_CLASSROW,
    VNAMMODUMP_CLASSROW,
    VNFORTWALL_CLASSROW,
    VNTRANSPORT_CLASSROW,
    {VNTT_WEAPON_SPECIMENCAPTURE, nullptr, 16},
    {VNTT_PROJECTILE_CAPTURE, nullptr, 112},
    {VNTT_WEAPON_MINE, nullptr, 16},
    {VNTT_PROJECTILE_MINE, nullptr, 88},
    {VNTT_WEAPON_PLASMAGUN, nullptr, 384},
    {VNTT_WEAPON_PSYCHOKINESIS, nullptr, 8},
    {VNTT_REVOLVER_PROP, nullptr, 12},
    VNBIGROCK_CLASSROW,
    VNDOOR_CLASSROW,
    VNSOLARCOLLECTOR_CLASSROW,
    VNGATE_CLASSROW,
    VNFEATUNIT_CLASSROW,
    VNDOME_CLASSROW,
    VNFLYBY_CLASSROW,
    VNTWINGUN_CLASSROW,
    VNTELEPORTER_CLASSROW,
    VNPOPTARGET_CLASSROW,
};
static_assert(std::size(kClasses) == 70);
static_assert(std::ranges::all_of(kClasses,
                                  [](const VNUNIT_CLASSROW& c) {
                                    return c.nInstanceBytes <= VNUNIT_MAX_CONTROLLER_BYTES;
                                  }),
              "every controller instance must fit the task memory's room for a unit");

}  // namespace

int32_t vnUNITMAN_RegisterClass(const VNUNIT_CLASSROW& row) {
  if (SGE_RegisterTaskType(row.nTypeId, row.pHandler, row.fFlags, row.nInstanceBytes, row.pszName))
    return 1;
  PLAT_Trace("UNITMAN: unit class %d not registered\n", row.nTypeId);
  return 0;
}

int32_t vnUNITMAN_RegisterUnitClasses() {
  int32_t ok = 1;
  for (const VNUNIT_CLASSROW& c : kClasses)
    if (c.pHandler && !vnUNITMAN_RegisterClass(c)) ok = 0;
  return ok;
}
