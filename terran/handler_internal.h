#pragma once
// What the common handler does for the messages of the soldier's kit; each takes the soldier
// record first.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/math/vecmath.h"
#include "terran/terunit.h"

struct VNWEAPON_AMMOQUERY;

// SGM_WEAPON_CREDIT_KILL: the 8 words onto the statistics; a kill said aloud unless quiet.
void vnTERUNIT_CreditKill(VNTERUNIT* record, const int32_t* words, SGE_PARAM quiet);
// Rounds one pick-up adds for a soldier type: 2 for the tier-0 suits, else 1.
int32_t vnTERUNIT_AmmoPerPickUp(int32_t type);
// SGM_UNIT_ADD_AMMO: the ammunition item of the type, grown or made; null when it cannot be made.
VNUNIT* vnTERUNIT_AddAmmo(VNTERUNIT* record, int32_t ammoType);
// SGM_TERUNIT_USE_AMMO: one round of the type, or every round of every item.
void vnTERUNIT_UseAmmo(VNTERUNIT* record, int32_t ammoType, SGE_PARAM all);
// SGM_TERUNIT_ADD_EQUIPMENT: a new equipment item; null when it cannot be made.
VNUNIT* vnTERUNIT_AddEquipment(VNTERUNIT* record, int32_t type);
// SGM_TERUNIT_GET_LOADOUT: the first two weapons' and equipment items' types; 0 without out.
int32_t vnTERUNIT_GetLoadout(const VNTERUNIT* record, int32_t* out);
void vnTERUNIT_OrderAttackPoint(VNTERUNIT* record, const SPW_VECTOR* point, SGE_PARAM flags);
void vnTERUNIT_CallAirstrike(VNTERUNIT* record, SGE_PARAM a);
// SGM_TERUNIT_VOICE_EVENT: clears, then sets, and says the line unless the soldier is dying.
void vnTERUNIT_VoiceEvent(VNTERUNIT* record, SGE_PARAM set, SGE_PARAM clear);
// SGM_TERUNIT_PUSH: adds to the ballistic velocity and lifts the soldier off the ground.
void vnTERUNIT_Push(VNTERUNIT* record, const SPW_VECTOR* push, SGE_PARAM lift);
// SGM_TERUNIT_QUERY_AMMO: the module's one report, filled for a and b; valid until the next.
VNWEAPON_AMMOQUERY* vnTERUNIT_QueryAmmo(const VNTERUNIT* record, SGE_PARAM a, SGE_PARAM b);
// SGM_WEAPON_AMMO_NEEDED: the rounds the soldier lacks for the weapon type.
int32_t vnTERUNIT_AmmoNeeded(const VNTERUNIT* record, int32_t weaponType);
// SGM_TERUNIT_RESUPPLY: health, armour and rounds full, re-armed from the platoon when only a
// revolver is left, then reset and counted in its region again.
void vnTERUNIT_Resupply(VNTERUNIT* record);
// SGM_TERUNIT_SET_FADE: the model's, its weapon's and (wounded 1) the wounded model's level.
void vnTERUNIT_SetFade(VNTERUNIT* record, const float* level, SGE_PARAM wounded);
// Counts the soldier as entering (1) or leaving (0) the path-network region it stands in.
void vnTERUNIT_CountInRegion(const VNTERUNIT* record, int32_t entering);
