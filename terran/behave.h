#pragma once
// Soldier behaviour routines that the class handlers, the common handler and the per-frame update
// share: the position step while carried or thrown, the attackers list and the model fade it
// drives, the patient list, carried items and the small state tests. Each takes the soldier record
// first unless said.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/math/vecmath.h"
#include "terran/movement.h"
#include "terran/terunit.h"
#include "world/unitman/unitman.h"

struct VNDAMAGE;

// The soldier's lists of carried units: held weapons (current first), ammunition items (each with
// its round count) and equipment items.
constexpr VNUNIT_CHILDLIST VNTERUNIT_WEAPON_LIST = VNUNIT_CHILD_WEAPONS;
constexpr VNUNIT_CHILDLIST VNTERUNIT_AMMO_LIST = VNUNIT_CHILD_ITEMS;
constexpr VNUNIT_CHILDLIST VNTERUNIT_EQUIPMENT_LIST = VNUNIT_CHILD_LIST3;

// Messages the soldier sends to others.
constexpr int32_t SGM_BUG_GET_MOUTH = 800;     // p1 3 floats out: the mouth's world position; 1
constexpr int32_t SGM_UNIT_ATTACKED_BY = 315;  // p1 the attacker's unit id

// State tests.
int32_t vnTERUNIT_IsBouncing(const VNTERUNIT* record);   // lower state 10-14
int32_t vnTERUNIT_IsLaunching(const VNTERUNIT* record);  // lower state 10-12
int32_t vnTERUNIT_IsDying(const VNTERUNIT* record);      // lower state DEATH or DEAD
// Orders are refused while dying or dead, possessed, or held (state flag VNTERUNIT_SF_HELD).
int32_t vnTERUNIT_RefusesOrders(const VNTERUNIT* record);
// 1 for a body hit (lower state 6), 2 for a knock-over or a hit in flight (7, 13), else 0.
int32_t vnTERUNIT_HitReaction(const VNTERUNIT* record);

// Messages to the unit's mover and to its own controller.
SGE_RESULT vnTERUNIT_SendMover(const VNTERUNIT* record, int32_t msg, SGE_PARAM a = 0,
                               SGE_PARAM b = 0);
SGE_RESULT vnTERUNIT_SendSelf(const VNTERUNIT* record, int32_t msg, SGE_PARAM a = 0,
                              SGE_PARAM b = 0);
// Sends the message to the controller of the unit with that id; 0 when there is none.
SGE_RESULT vnTERUNIT_SendUnit(const VNUNIT* unit, int32_t msg, SGE_PARAM a = 0, SGE_PARAM b = 0);

// Gives back a movement animation speed that a mode change kept, when there is one.
void vnTERUNIT_RestoreAnimSpeed(VNTERUNIT* record);

// The per-frame position: follows a carrier's mouth while held, falls ballistically while
// thrown, else follows the model. Returns the record's stepPosition.
const SPW_VECTOR* vnTERUNIT_StepPosition(VNTERUNIT* record);

// Attackers: at most VNTERUNIT_MAX_ATTACKERS creature ids. 1 when the attacker was added.
int32_t vnTERUNIT_AddAttacker(VNTERUNIT* record, int32_t attackerId);
// Drops attackers that are gone, no longer keep their aura, or are 10 m away or more.
void vnTERUNIT_PruneAttackers(VNTERUNIT* record);
// Starts the fade back to fully shown.
void vnTERUNIT_FadeIn(VNTERUNIT* record);
// Every frame: the fade level moves toward its target by the frame time and the model and the
// held weapon show it; a fade that ends above 0.99 leaves them opaque.
void vnTERUNIT_UpdateFade(VNTERUNIT* record, SPW_DOBJECT* model);
// The model's colour at the level goes to the held weapon (both guns of a double weapon).
void vnTERUNIT_ApplyWeaponFade(VNTERUNIT* record, float level, int32_t opaque);
// Prints the attackers count of a selected soldier while the unit manager's display asks.
void vnTERUNIT_ShowAttackers(const VNTERUNIT* record);

// Patients: unit ids a medic or engineer treats, in the order added.
int32_t vnTERUNIT_AddPatient(VNTERUNIT* record, int32_t unitId, int32_t byHealth);
void vnTERUNIT_AddPatients(VNTERUNIT* record, int32_t count, const int32_t* unitIds,
                           int32_t byHealth);
int32_t vnTERUNIT_IsPatient(const VNTERUNIT* record, int32_t unitId);
int32_t vnTERUNIT_FirstPatient(const VNTERUNIT* record);  // 0 when none
int32_t vnTERUNIT_RemovePatient(VNTERUNIT* record, int32_t unitId);
void vnTERUNIT_ClearPatients(VNTERUNIT* record);
// Sends the message to the soldier itself when it has patients and no order queued.
void vnTERUNIT_SendIfIdle(VNTERUNIT* record, int32_t msg);

// Carried items.
VNUNIT* vnTERUNIT_CurrentItem(const VNUNIT* unit);  // the current weapon, or null
int32_t vnTERUNIT_CurrentItemId(const VNUNIT* unit);  // -1 none
// The held weapon whose id (mode 0) or type (mode 1) is the key.
VNUNIT* vnTERUNIT_FindItem(const VNUNIT* unit, int32_t key, int32_t mode);

// The weapon type a held weapon fires: a double weapon's by its guns; -1 for none.
int32_t vnTERUNIT_TypeOfWeapon(const VNUNIT* weapon);
// The first held weapon that is neither of the type nor a side arm; null for the double weapon.
VNUNIT* vnTERUNIT_FirstMainWeapon(const VNUNIT* unit, int32_t type);
// The id of the first held weapon of the type (a double weapon counts as its guns), -1 none.
int32_t vnTERUNIT_ItemIdOfType(const VNTERUNIT* record, int32_t type);
// Puts the held item away and hides its model, or takes it out and shows it; 0 when the item or
// its model is missing.
int32_t vnTERUNIT_ShowItem(VNUNIT* unit, int32_t id, int32_t hide);

// Tech items answer whether they were used; a used one is sent nothing more.
constexpr int32_t SGM_TECHITEM_USE = 571;      // p1 the target point or null
constexpr int32_t SGM_TECHITEM_IS_USED = 573;  // 0 while unused
// The first equipment item of the type that is still unused, or null.
VNUNIT* vnTERUNIT_FindTechItem(const VNUNIT* unit, int32_t type);

// Where a weapon's shots leave: the muzzle node "g" of its model, the double weapon's mean
// muzzle, or the shock tool's own answer; the position and the node's first axis. 0 when none.
constexpr const char* VNTERUNIT_MUZZLE_NODE = "g";
struct VNTERUNIT_MUZZLE {
  SPW_VECTOR point;
  SPW_VECTOR axis;
};
constexpr int32_t SGM_ENGSHOCK_MUZZLE = 7188;  // p1 VNTERUNIT_MUZZLE out; 1
int32_t vnTERUNIT_GetMuzzlePoint(VNUNIT* item, SPW_VECTOR* outPoint, SPW_VECTOR* outAxis);
// The world position of the model's named node; 0 when it has none.
int32_t vnTERUNIT_GetNodePoint(SPW_DOBJECT* model, SPW_VECTOR* out, const char* name);
// The facing turned by the model's aim yaw and lifted by its aim pitch, normalised (the facing
// alone without aim).
void vnTERUNIT_FireDirection(const SPW_DOBJECT* model, const SPW_VECTOR* facing, SPW_VECTOR* out,
                             int32_t aim);
// A change between a thrown or launched weapon and any other ends an attack order (the weapon
// put away after a hit counts as the old one); 1 when it did.
int32_t vnTERUNIT_CancelMoveOnClassChange(VNTERUNIT* record, int32_t oldType, int32_t newType);

// Base attribute words (SGM_TERUNIT_SET_BASE_ATTRIBUTES) as the values they carry.
float vnTERUNIT_BaseValue(const VNTERUNIT* record, int32_t index);

// Weapon choice.
// Makes the held weapon whose id (mode 0) or type (mode 1) is the key current; null when none.
VNUNIT* vnTERUNIT_SelectItem(VNTERUNIT* record, int32_t key, int32_t mode);
// The next held weapon after the current one that has rounds (not the sniper rifle) becomes
// current and is returned; with none, a held revolver comes up (voice event 0x400) and null is
// returned.
VNUNIT* vnTERUNIT_NextUsableWeapon(VNTERUNIT* record);
// The first held weapon with rounds that is no heavy weapon, else the revolver.
VNUNIT* vnTERUNIT_SelectFallbackWeapon(VNTERUNIT* record);
// An engineer takes up its shock tool.
void vnTERUNIT_SelectEngineerTool(VNTERUNIT* record);
// What SGM_TERUNIT_ORDER_ATTACK_POINT asks for: a thrown or launched weapon with rounds.
constexpr int32_t VNTERUNIT_PURPOSE_LAUNCHED = 8;
VNUNIT* vnTERUNIT_SelectWeaponFor(VNTERUNIT* record, int32_t purpose, int32_t targetId);
// Weapon classes by unit type: grenades and missile launchers (nukes too); specimen capture.
int32_t vnTERUNIT_IsGrenadeOrMissile(int32_t type);
int32_t vnTERUNIT_IsCaptureWeapon(int32_t type);
// 1 with no weapon or a grenade, missile, capture or sniper weapon in hand (no fire at will).
int32_t vnTERUNIT_HoldsHeavyWeapon(const VNUNIT* unit);
// 1 with no weapon or a specimen-capture weapon in hand.
int32_t vnTERUNIT_HoldsCaptureWeapon(const VNUNIT* unit);
// Whether a weapon of the type may be fired at the target.
int32_t vnTERUNIT_IsValidTarget(int32_t weaponType, int32_t unused, const VNUNIT* target);
// A soldier in stealth that fires leaves stealth.
void vnTERUNIT_RaiseAlert(VNTERUNIT* record);

// Voice lines.
// Says the line of the one pending voice event and clears the events; the line, or -1 when none
// is said (a line still playing keeps the events).
int32_t vnTERUNIT_SayEventLine(VNTERUNIT* record);
// After a hit: a line when the armour (health for the _2 suits) falls below a fifth of its
// maximum, once until ClearLowArmour; now and then a line of pain.
void vnTERUNIT_DamageVoice(VNTERUNIT* record, const VNDAMAGE* damage);
// The low-armour line may come again once health is above 0.6 of its maximum.
void vnTERUNIT_ClearLowArmour(VNTERUNIT* record);
// The selected fielded soldier who speaks for the selection: the first in a squad leader's slot,
// else the highest rank; null when none is selected.
VNUNIT* vnTERUNIT_FindSquadLeader();
// The platoon rank of a fielded soldier, -1 when the unit is none.
int32_t vnTERUNIT_GetRank(int32_t unitId);

// Aiming.
// What one call of the torso aim reports: the pitch held at its limit, the target outside the
// cone (the yaw did not move), and the turn the whole body must make (0 none).
struct VNTERUNIT_AIMOUT {
  int32_t pitchLimited;
  int32_t outsideCone;
  float bodyTurn;
};
// Moves the aim angles (x pitch, z yaw, relative to the facing) toward the direction to the
// target: the pitch to its elevation (or by 0.05 a call toward a given pitch) within the limit,
// the yaw by at most 5 radians a second and only inside the cone (cosine coneCosine); 1 when
// the target is inside the cone.
int32_t vnTERUNIT_AimUpperBody(SPW_VECTOR* angles, const SPW_VECTOR& facing,
                               const SPW_VECTOR& toTarget, const float* targetPitch,
                               float pitchLimit, float coneCosine, VNTERUNIT_AIMOUT* out);
// A gunner turns the manned gun of the order toward the nearest enemy within his range that the
// gun can see, at most a radian a second, and locks it on within a degree; he stays in the seat.
// The target, or null.
VNUNIT* vnTERUNIT_AimTurret(VNTERUNIT* record, const VNORDER* order);
// The launch of a lob from the unit to the point at 30 m/s over the ground, its arc shown in red
// when warn is set; 0 (and no arc) for a point straight above or below.
int32_t vnTERUNIT_ComputeLobVelocity(const VNUNIT* unit, const SPW_VECTOR* target, int32_t warn,
                                     VNTERUNIT_FLIGHT* out);
// Puts the point on the terrain, or on what stands on it there.
void vnTERUNIT_DropToGround(const VNUNIT* unit, SPW_VECTOR* point);

// The zombies' frame in place of vnTERUNIT_Update: timers, then the orders they know (none,
// hold, turret, wait, stand); other orders are popped at once. 1 when it popped an order.
int32_t vnTERUNIT_RunOrders(SGE_PARAM a, SGE_PARAM b, SGE_TASK* task, VNTERUNIT* record);
