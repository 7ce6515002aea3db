#pragma once
// Weapons are units of their own, held in a list of their holder (a soldier, a bug, or the
// double weapon that pairs two guns for a suit). The holder talks to a weapon only through the
// messages below; every weapon class answers them in its own way. The functions are the
// weapon's side of the contract: who holds it, its rounds, the fire check and its model.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/math/vecmath.h"
#include "world/unitman/unitmsg.h"

struct VNUNIT;
struct SPW_DOBJECT;

// Messages to a weapon's controller.
constexpr int32_t SGM_WEAPON_FIRE = 571;           // p1 target VNUNIT, p2 its locator id
constexpr int32_t SGM_WEAPON_FIRE_AT_POINT = 572;  // p1 the aim point, p2 the direction or null
constexpr int32_t SGM_WEAPON_FIRE_ALTERNATE = 573; // the same in the weapon's second mode
constexpr int32_t SGM_WEAPON_IN_RANGE = 575;       // p1 target VNUNIT; VNWEAPON_FIRED when it reaches
constexpr int32_t SGM_WEAPON_GET_HOLD_KIND = 577;  // VNWEAPON_HOLD_*
constexpr int32_t SGM_WEAPON_LOAD_ROUND = 580;     // p1 0 with sound; the round or 0
constexpr int32_t SGM_WEAPON_GET_ROUND_TYPE = SGM_WEAPON_GET_AMMO_TYPE;  // 581
constexpr int32_t SGM_WEAPON_ATTACH = 582;         // p1 VNWEAPON_HAND_*
constexpr int32_t SGM_WEAPON_DETACH = 583;
constexpr int32_t SGM_WEAPON_HAS_AMMO = 584;
constexpr int32_t SGM_WEAPON_INNER_TYPE = SGM_WEAPON_DOUBLE_TYPE;  // 1062, the double weapon
constexpr int32_t SGM_WEAPON_FIRST_GUN = SGM_WEAPON_DOUBLE_FIRST;  // 1063
constexpr int32_t SGM_WEAPON_SECOND_GUN = 1064;
constexpr int32_t SGM_WEAPON_MUZZLE_POINT = 1065;  // p1 out: the mean muzzle (3 floats)
constexpr int32_t SGM_WEAPON_GET_CHARGE = 7189;    // p1 out: the shock tool's charge (float)
// To the holder: p1 the VNWEAPON_CREDIT record, p2 0.
constexpr int32_t SGM_WEAPON_CREDIT_KILL = 565;

// Answers of the fire messages: VNWEAPON_FIRED, or the reasons the shot was not fired.
constexpr int32_t VNWEAPON_FIRED = 0x1;
constexpr int32_t VNWEAPON_TOO_CLOSE = 0x2;     // under the minimum range
constexpr int32_t VNWEAPON_OUT_OF_RANGE = 0x4;  // beyond the weapon's range
constexpr int32_t VNWEAPON_BLOCKED = 0x8;       // no line of fire
constexpr int32_t VNWEAPON_NO_AMMO = 0x10;      // no round could be loaded
constexpr int32_t VNWEAPON_OFF_AIM = 0x20;      // outside the aiming cone
constexpr int32_t VNWEAPON_NOT_READY = 0x40;    // the check value under its threshold
constexpr int32_t VNWEAPON_MISSED = 0x80;       // the accuracy roll missed
constexpr int32_t VNWEAPON_CANNOT_FIRE = 0x100; // no muzzle, no holder

// Hold kinds (SGM_WEAPON_GET_HOLD_KIND).
constexpr int32_t VNWEAPON_HOLD_LIGHT = 0;
constexpr int32_t VNWEAPON_HOLD_HEAVY = 2;
constexpr int32_t VNWEAPON_HOLD_PAIRED = 3;

// Hand modes: a single weapon, or the left or right gun of the double weapon.
constexpr int32_t VNWEAPON_HAND_SINGLE = 0;
constexpr int32_t VNWEAPON_HAND_LEFT = 1;
constexpr int32_t VNWEAPON_HAND_RIGHT = 2;

// The unit type one past the last: no round.
constexpr int32_t VNWEAPON_NO_ROUND = 214;

// Attribute values, by the unit they belong to.
enum VNWEAPON_ATTR : int32_t {
  // A weapon's unit type: the rounds an unsuited soldier carries and those carried in a suit
  // (ints), the shots a second and what each shot adds to the round (floats).
  VNWEAPON_ATTR_CAPACITY = 7,
  VNWEAPON_ATTR_SUIT_CAPACITY = 8,
  VNWEAPON_ATTR_RATE = 16,
  VNWEAPON_ATTR_SHOT_CHARGE = 19,
  // The holder's accuracy (float).
  VNWEAPON_ATTR_ACCURACY = 11,
  // An ammunition unit: as an item the rounds left (int); as a round what is left of it, as an
  // item what one round holds (float).
  VNAMMO_ATTR_COUNT = 7,
  VNAMMO_ATTR_AMOUNT = 19,
  // Any unit type: the points of killing one (int).
  VNWEAPON_ATTR_POINTS = 6,
};

// The shot report and kill credit a holder adds to its totals word by word.
struct VNWEAPON_CREDIT {
  int32_t anReserved[2];
  int32_t nBugHoles;
  int32_t nReserved3;
  int32_t nKills;
  int32_t nPoints;
  int32_t nHits;
  int32_t nMisses;
};
static_assert(sizeof(VNWEAPON_CREDIT) == 32);

// The unit that holds the weapon, passing through the double weapon; null when none.
VNUNIT* vnWEAPON_GetHolder(const VNUNIT* weapon);
// The first loaded round, or null.
VNUNIT* vnWEAPON_FirstRound(const VNUNIT* weapon);
// 1 when the weapon exists and has a round loaded.
int32_t vnWEAPON_HasRoundLoaded(const VNUNIT* weapon);
// Creates one round from the holder's first ammunition item that the weapon accepts and that
// has rounds left, in the weapon's round list, and takes it off the item's count. The round, or
// null when one is loaded already, there is no holder or stock, or the creation failed (the
// count stays).
VNUNIT* vnWEAPON_LoadRound(VNUNIT* weapon);
// 1 when a round is loaded or the holder has an accepted item with rounds left.
int32_t vnWEAPON_HasAmmo(const VNUNIT* weapon);
// 1 when a round is loaded; else asks the weapon to load one (SGM_WEAPON_LOAD_ROUND) and
// answers whether it did.
int32_t vnWEAPON_EnsureLoaded(VNUNIT* weapon);
// Adds the weapon's per-shot charge to its loaded round; a round left with nothing is unlinked,
// destroyed and the next one loaded.
void vnWEAPON_UseRound(VNUNIT* weapon);

// Ammunition. 1 when the weapon type's attribute row lists the ammunition type.
int32_t vnWEAPON_Accepts(int32_t weaponType, int32_t ammoType);
// The unit's first ammunition item, in list order, that the weapon type accepts and that holds
// at least the rounds given; null when none.
VNUNIT* vnWEAPON_AcceptedItem(const VNUNIT* unit, int32_t weaponType, int32_t minRounds);
// The unit's ammunition item of the type, or null.
VNUNIT* vnWEAPON_FindAmmoItem(const VNUNIT* unit, int32_t ammoType);
// 1 when the unit carries rounds that the micro-rocket launcher takes.
int32_t vnWEAPON_HasMicroRockets(const VNUNIT* unit);
// What the weapon's loaded round holds (none without a weapon), and the rounds x the amount
// of one of the unit's first item of the type with a count of 0 or more.
float vnWEAPON_AmmoAmount(const VNUNIT* unit, const VNUNIT* weapon, int32_t ammoType);

// The fire check: the reasons not to fire (0 = fire), in this order: beyond the range (the
// weapon's range attribute) or under the minimum range; no round after asking the weapon to
// load one (*outRoundType gets the round's type); the shot direction off the aiming axis by
// more than the cone; the check value under its threshold; no line of fire from the muzzle
// along the shot (the target's objects and fort walls let it through; the blocking point in
// *outBlock); the accuracy roll (rand() % 100 + 1 above accuracy + 40 misses). With a holder
// given, a shot that was fired or only missed the roll is reported to it.
int32_t vnWEAPON_CheckFire(float distance, const SPW_VECTOR* direction, VNUNIT* weapon,
                           int32_t* outRoundType, VNUNIT** outRound, const SPW_VECTOR* muzzle,
                           const SPW_VECTOR* axis, SPW_VECTOR* outBlock, VNUNIT* target,
                           float checkValue, float threshold, float coneCosine, float minRange,
                           float accuracy, VNUNIT* creditTo);

// The world position and first axis (may be null) of the node of the unit's model (asked with
// SGM_UNIT_GET_OBJECT): 1. Without the model or the node, *node becomes -1 and the unit writes
// its own aim point (SGM_UNIT_GET_LOCATOR): 0.
int32_t vnWEAPON_GetLocatorMatrix(VNUNIT* unit, int32_t* node, SPW_VECTOR* outPos,
                                  SPW_VECTOR* outDir);
// The same for a living unit with a node; a dead one, or node -1, gives the unit's own aim
// point and the direction straight up.
int32_t vnWEAPON_GetLocator(VNUNIT* unit, int32_t* node, SPW_VECTOR* outPos, SPW_VECTOR* outDir);

// A random hit point of the target on the shooter's side: its node in *outNode and its world
// position and axis: 0. A target without one gives node -1, its own aim point and the direction
// straight up: 1.
int32_t vnWEAPON_GetTargetPoint(VNUNIT* target, const SPW_VECTOR* shooter, int32_t* outNode,
                                SPW_VECTOR* outPos, SPW_VECTOR* outDir);

// Kill credit modes: to the weapon's holder, or to the unit given.
constexpr int32_t VNWEAPON_CREDIT_HOLDER = 0;
constexpr int32_t VNWEAPON_CREDIT_UNIT = 1;
// Points for a sniper's kill of a Cortex bug, whatever its attribute row says.
constexpr int32_t VNWEAPON_SNIPER_CORTEX_POINTS = 250;
// Twin gun kills are worth this share of the victim's points.
constexpr float VNWEAPON_TURRET_POINT_SHARE = 0.1f;
// Sends the credited unit (the weapon's holder, or the weapon argument itself) the kill: a bug
// hole counts as a bug hole, any other victim as a kill worth its type's points (attribute value
// 6 of the platoon manager's rows, truncated); a victim of type 0 counts without points. Without
// a victim an empty record is sent. Nothing without the unit or for another mode.
void vnWEAPON_CreditKill(VNUNIT* weaponOrUnit, const VNUNIT* victim, int32_t weaponType,
                         int32_t victimType, int32_t mode);

// Whether a soldier of the unit type may hold the weapon type in the slot: the mine only the
// male combat engineer; tier-0 suits only in slots 0 and 3; tier-1 suits no missile launchers;
// inactive zombies nothing.
int32_t vnWEAPON_UnitCanUse(int32_t soldierType, int32_t slot, int32_t weaponType);

// The missile and nuke-missile launchers, both marks.
int32_t vnWEAPON_IsMissileLauncher(int32_t weaponType);
// The thirteen upgraded ("_1") weapons.
int32_t vnWEAPON_IsMarkOne(int32_t weaponType);
// The unit's engineer shock tool among its weapons, or null.
VNUNIT* vnWEAPON_FindShockTool(const VNUNIT* unit);

// Loads the weapon's model for its holder ("Export/POWs/" names by vnUNITMAN_BuildPowName in
// the variant the two unit types share), scaled as the holder's object (1.0 without one). A
// pair that shares no variant is reported in a box and loads variant 0 (8 for the guns of the
// double weapon). The loaded type slot, or -1.
int32_t vnWEAPON_LoadModel(const VNUNIT* weapon, int32_t hand, const SPW_DOBJECT* holderObject);
