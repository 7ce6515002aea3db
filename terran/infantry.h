#pragma once
// The infantry class: the foot soldiers of the player's side without a powered suit (infantry,
// medics, signallers, the named ZR soldiers) and the zombies. Its instance is the soldier record
// followed by the class's own fields; every message ends in the soldier common handler.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/kernel/tasktypes.h"
#include "terran/terunit.h"
#include "terran/unitfx.h"
#include "world/unitman/unitclass.h"
#include "world/unittype/unittype.h"

struct VNSHADOW;

// The death model every infantry soldier loads at creation; the victim pose
// (SGM_INFANTRY_VICTIM_MODEL) shows it with these animations.
constexpr const char* VNINFANTRY_VICTIM_MODEL = "Export/Pows/TCapMaMVictim.pow";
constexpr int32_t VNINFANTRY_VICTIM_ANIMS = 5;
inline constexpr const char* VNINFANTRY_VICTIM_NAMES[VNINFANTRY_VICTIM_ANIMS] = {
    "pleading1", "warriorjaw1", "flystart1", "flyloop1", "flyland1"};

// The attribute row flag of the female types: their model files say "fe" where others say "ma".
constexpr uint32_t VNINFANTRY_ROW_FEMALE = 0x2;

// Class messages.
constexpr int32_t SGM_INFANTRY_SET_WAYPOINTS = 543;  // p1 count, p2 points (3 floats each)
constexpr int32_t SGM_INFANTRY_HAS_ANIM = 544;       // p1 slot of the hold set in use
constexpr int32_t SGM_INFANTRY_VICTIM_MODEL = 1062;
constexpr int32_t SGM_INFANTRY_VICTIM_ANIM = 1063;   // p1 0-4, p2 1 looping
constexpr int32_t SGM_INFANTRY_ENGAGEMENT = 542;     // p1 VNTERUNIT_ENGAGE_*
constexpr int32_t SGM_INFANTRY_TECH_ITEM = 634;      // p1 item type, p2 target id or point
constexpr int32_t SGM_INFANTRY_TURRET = 637;         // p1 VNINFANTRY_TURRET_*, p2 turret id
constexpr int32_t SGM_INFANTRY_GIVE_ITEM = 572;      // p1 unit type; the new item or 0
constexpr int32_t SGM_INFANTRY_SHADOW_SWITCH = 606;  // p1 on/off, p2 non-zero toggles
constexpr int32_t SGM_INFANTRY_SHADOW = 610;         // p1 on/off
constexpr int32_t SGM_INFANTRY_BREATH = 580;         // p1: breath puffs on/off
constexpr int32_t SGM_INFANTRY_STEALTH = 579;        // p1 on/off, p2 non-zero toggles
constexpr int32_t SGM_INFANTRY_KEEP_HEIGHT = 3095;   // scripted placement keeps the height
constexpr int32_t SGM_INFANTRY_FREE_HEIGHT = 3096;
// Orders; a refused order passes on unchanged.
constexpr int32_t SGM_INFANTRY_ENGAGE = 612;         // p1 target unit id, p2 weapon purpose
constexpr int32_t SGM_INFANTRY_PATROL = 618;         // p1 1: never turn back
constexpr int32_t SGM_INFANTRY_END_PATROL = 619;
constexpr int32_t SGM_INFANTRY_ESCORT = 620;         // p1 unit id
constexpr int32_t SGM_INFANTRY_HOLD_POSITION = 621;  // p1 0 hold (p2 point or null), else end
constexpr int32_t SGM_INFANTRY_HEAL = 624;           // p1 count, p2 patient unit ids
constexpr int32_t SGM_INFANTRY_POSSESS = 631;        // p1 seconds, p2 the possessor's unit id
constexpr int32_t SGM_INFANTRY_HALT = 635;
constexpr int32_t SGM_INFANTRY_SET_POSE = 638;       // p1 lower state, p2 upper state
constexpr int32_t SGM_INFANTRY_END_POSE = 639;

// Bits of p1 of SGM_INFANTRY_TURRET.
constexpr uint32_t VNINFANTRY_TURRET_WANTED = 0x2;
constexpr uint32_t VNINFANTRY_TURRET_TOGGLE = 0x4;
constexpr uint32_t VNINFANTRY_TURRET_GIVEN = 0x10;  // p2 names the turret

// Damage kind bits of the damage record (word 13) the class reacts to.
constexpr uint32_t VNINFANTRY_HIT_REACTS = 0x200;
constexpr uint32_t VNINFANTRY_HIT_SILENT = 0x800;
// A health change of at least this is a body hit; a larger loss knocks the soldier over.
constexpr float VNINFANTRY_MAJOR_HIT = -50.0f;

// Where a type's model comes from.
struct VNINFANTRY_MODEL {
  char path[128];   // "Export/POWs/<prefix><infix><suffix>.pow"
  const char* set;  // the shared animation set
  int32_t zombie;
};
// The unit types the class serves.
inline constexpr int32_t VNINFANTRY_TYPES[] = {
    VN_UNIT_TYPE_TERRAN_COMMS,          VN_UNIT_TYPE_TERRAN_COMMS_FEM,
    VN_UNIT_TYPE_TERRAN_MEDIC,          VN_UNIT_TYPE_TERRAN_MEDIC_FEM,
    VN_UNIT_TYPE_TERRAN_ZR_0,           VN_UNIT_TYPE_TERRAN_ZR_0_FEM,
    VN_UNIT_TYPE_TERRAN_ZR_DRAVIK,      VN_UNIT_TYPE_TERRAN_ZR_ENSIGN_MARENKO,
    VN_UNIT_TYPE_TERRAN_ZOMBIE_ACTIVE,  VN_UNIT_TYPE_TERRAN_ZOMBIE_ACTIVE_FEM,
    VN_UNIT_TYPE_TERRAN_ZOMBIE,         VN_UNIT_TYPE_TERRAN_ZOMBIE_FEM,
    VN_UNIT_TYPE_TERRAN_ZR_QUELLIN,     VN_UNIT_TYPE_TERRAN_ZR_HALVICK,
    VN_UNIT_TYPE_TERRAN_ZR_TOBRIN};
// The model of an infantry type; the female row flag picks "fe" for the types that have both.
void vnINFANTRY_ModelFor(int32_t type, uint32_t rowFlags, VNINFANTRY_MODEL* out);

// The soldier's own frame, chosen at creation.
using VNINFANTRY_FRAMEFN = int32_t (*)(SGE_PARAM a, SGE_PARAM b, SGE_TASK* task, VNTERUNIT* record);

struct VNINFANTRY {
  VNTERUNIT soldier;
  VNFX_JET treatmentGlow;  // at the hand while healing or repairing
  int32_t treatmentGlowRunning;
  int32_t holdCount;       // holds nest: n holds need n releases
  VNSHADOW* shadow;
  int32_t victimAnims[VNINFANTRY_VICTIM_ANIMS];
  VNINFANTRY_FRAMEFN frame;  // vnTERUNIT_Update, or vnTERUNIT_RunOrders for zombies
  int32_t stowedItem;      // the item put away while manning a turret, 0 none
  int32_t restoreBreath;   // state flag 0x100 comes back when leaving the turret
};

SGE_RESULT vnTERUNIT_InfantryHandler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                                     SGE_PARAM p2);

// The instance starts zeroed: destruction reads what a failed creation never set.
inline constexpr VNUNIT_CLASSROW VNINFANTRY_CLASSROW{VNTT_TERRAN_INFANTRY, vnTERUNIT_InfantryHandler,
                                                     sizeof(VNINFANTRY), "Infantry",
                                                     SGE_TTF_ZERO_DATA};

// The scene object of the first entry of the unit's object list: the soldier's model.
SPW_DOBJECT* vnTERUNIT_GetModel(const VNUNIT* unit);
