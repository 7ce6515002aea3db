#pragma once
// Soldier behaviour routines that the class handlers, the common handler and the per-frame update
// share: the position step while carried or thrown, the attackers list and the model fade it
// drives, the patient list, carried items and the small state tests. Each takes the soldier record
// first unless said.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/math/vecmath.h"
#include "terran/terunit.h"
#include "world/unitman/unitman.h"

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
// The selected fielded soldier who speaks for the selection: the first in a squad leader's slot,
// else the highest rank; null when none is selected.
VNUNIT* vnTERUNIT_FindSquadLeader();
// The platoon rank of a fielded soldier, -1 when the unit is none.
int32_t vnTERUNIT_GetRank(int32_t unitId);
