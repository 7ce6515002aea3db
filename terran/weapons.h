#pragma once
// The soldier's side of weapon binding: the special weapons, the primary weapon a soldier
// claims, the rounds it may carry and holds, the ammunition report of its weapons, and the
// shot traces weapons use.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/math/vecmath.h"

struct VNTERUNIT;
struct VNUNIT;

// The mine, the revolver, the micro rockets and the engineer's shock tool.
int32_t vnWEAPON_IsSpecial(int32_t weaponType);
// The launch suits of tiers 0 and 1, which fire micro rockets.
int32_t vnTERUNIT_IsLaunchSuit(int32_t type);
// Takes the weapon as the soldier's primary while it has none: 1 when taken; a special weapon is
// never taken, and answers 1 only for the revolver; 0 when a primary is set already.
int32_t vnWEAPON_ClaimPrimary(VNTERUNIT* record, int32_t weaponType, int32_t weaponId);

// The weapon's type; the double weapon's is the type of its guns.
int32_t vnWEAPON_HeldType(const VNUNIT* weapon);
// The inner type of the double weapon the unit holds; 0 when it holds none.
int32_t vnWEAPON_DoubleInnerType(const VNUNIT* unit);
// The rounds a soldier of the type carries for the weapon type: the weapon row's value for an
// unsuited soldier, or for a suit (tiers 1 and 2, or the record's VNTERUNIT_MF_SUIT_AMMO); 5 or
// 10 when the row gives none. The double weapon counts as its guns. The record may be null.
int32_t vnWEAPON_RoundCapacity(const VNTERUNIT* record, int32_t weaponType, int32_t soldierType);
// How full the weapon is: its loaded round and the soldier's first accepted item, over the
// capacity in full rounds (the plain sum when that is 0); 0 without an accepted item.
float vnWEAPON_AmmoFraction(const VNTERUNIT* record, const VNUNIT* weapon);
// 1 when the unit's current weapon says it has ammunition.
int32_t vnWEAPON_CurrentHasAmmo(const VNUNIT* unit);

// The ammunition report of SGM_TERUNIT_QUERY_AMMO.
constexpr uint32_t VNWEAPON_QUERY_SECONDARY_FIRST = 0x1;  // met before the primary
constexpr uint32_t VNWEAPON_QUERY_REVOLVER_FIRST = 0x2;   // the first held weapon
constexpr uint32_t VNWEAPON_QUERY_MICRO_ROCKETS = 0x4;
constexpr uint32_t VNWEAPON_QUERY_TURRET = 0x8;           // a ZR soldier manning a turret
struct VNWEAPON_AMMOQUERY {
  int32_t nPrimaryType;    // -1 none
  int32_t nSecondaryType;  // on entry the type wanted, or -1 for any that is not special
  float fPrimary;          // fractions, 0 without the weapon
  float fSecondary;
  float fJump;             // the jump gauge's fraction, -1.0 without a jump pack
  float fDome;             // dome charge, -1.0 unless a command suit
  float fShockTool;        // the engineer's tool charge, -1.0 unless an engineer
  float fMines;            // the engineer's mines
  float fMicroRockets;
  uint32_t dwFlags;        // VNWEAPON_QUERY_*
};
static_assert(sizeof(VNWEAPON_AMMOQUERY) == 40);
// Fills the report for the soldier's weapons; 1.
int32_t vnWEAPON_AmmoQuery(const VNTERUNIT* record, VNWEAPON_AMMOQUERY* query);

// Rounds and reloads (behave_ammo.cpp).
// The rounds of the soldier's item of the weapon type's linked ammunition; 0 when none.
int32_t vnTERUNIT_CountRounds(const VNTERUNIT* record, int32_t weaponType);
// Adds the weapon's round capacity to the soldier's ammunition through its controller (the
// double weapon by its guns' type).
void vnTERUNIT_RefillWeapon(SGE_TASK* controller, const VNTERUNIT* record, int32_t weaponType);
// Asks the held weapon of the type to load a round when it has none.
void vnTERUNIT_ReloadHeldWeapon(const VNUNIT* unit, int32_t weaponType);
// 1 when the first grenade or missile weapon the soldier holds (mine, revolver and shock tool
// aside) is out of rounds or not the one put away, unless a plain weapon comes first; a weapon
// put away lets the walk pass plain weapons.
int32_t vnTERUNIT_NeedsWeaponChange(const VNTERUNIT* record);

// Shot traces. The nearest hit of the terrain and the scene along the ray: 1 with the point and
// its squared distance, 0 when nothing is hit.
int32_t vnTERUNIT_TraceShot(const SPW_VECTOR* start, const SPW_VECTOR* direction, float length,
                            SPW_VECTOR* outPoint, float* outDistSq);
// The unit on the ray within *best (a squared distance in direction lengths, lowered to the
// hit's): the human player's units (*outHuman 1) and other units while they live; a consort
// bug only while it can be seen. Null when none.
VNUNIT* vnTERUNIT_PickShotUnit(const SPW_VECTOR* start, const SPW_VECTOR* direction, float* best,
                               int32_t* outHuman);
// As vnTERUNIT_TraceShot, and against units: 2 when a unit is hit nearer than the terrain and
// the scene (the point then on the ray at its distance), 1 for a terrain or scene hit, 0 for
// none; the unit hit or null in *outUnit.
int32_t vnTERUNIT_TraceShotUnits(const SPW_VECTOR* start, const SPW_VECTOR* direction,
                                 float length, SPW_VECTOR* outPoint, float* outDistSq,
                                 VNUNIT** outUnit, int32_t* outHuman);
