#pragma once
// What the infantry class's files share.
#include "terran/infantry.h"

struct VNUNIT_CREATE;

// Loads the type's model, makes its object in the mission's scene, lists it with the unit and
// gives it a shadow; null when the model or the object cannot be made.
SPW_DOBJECT* vnINFANTRY_MakeModel(VNINFANTRY* self, VNUNIT* unit, const VNUNIT_CREATE* create);
// Loads the death model into the record's deathModel; its slot, or SPW_NO_OBJECT_TYPE.
int32_t vnINFANTRY_LoadDeathModel(VNTERUNIT* soldier);
// SGM_INFANTRY_VICTIM_MODEL (1062): the victim object replaces the model; 0 when it cannot be made.
int32_t vnINFANTRY_ShowVictim(VNINFANTRY* self);
// SGM_INFANTRY_VICTIM_ANIM (1063): one of the five victim animations; 0 outside 0-4 or without the
// victim model.
int32_t vnINFANTRY_PlayVictim(VNINFANTRY* self, SGE_PARAM index, SGE_PARAM looping);

// Turrets.
// Gets off the gun of a queued turret order, when it still exists: the gun is freed, a Twin80's
// gunner steps off behind it (unless that step is off the path network: he stays on), and the
// stowed item comes back.
void vnTERUNIT_LeaveTurret(VNINFANTRY* self);
// The nearest free twin gun within 20 (the first found on a tie), which is told it is manned;
// null when none.
VNUNIT* vnTERUNIT_FindFreeTurret(const VNUNIT* soldier);
// Before taking the seat: no shadow, and no breath puffs until the soldier gets off.
void vnTERUNIT_ReadyToMount(VNINFANTRY* self);
void vnINFANTRY_ManTurret(VNINFANTRY* self, uint32_t flags, int32_t turretId);
void vnINFANTRY_GetOffTurret(VNINFANTRY* self, const SPW_VECTOR* exit);
void vnINFANTRY_GetOnTurret(VNINFANTRY* self, const SPW_VECTOR* mount, int32_t turretId);

// The order messages; the answer, or -1 when the message passes on to the common handler.
SGE_RESULT vnINFANTRY_Order(VNINFANTRY* self, int32_t msg, SGE_PARAM p1, SGE_PARAM p2);
// The update message: the soldier's frame unless it is dying or a script poses it.
void vnINFANTRY_Frame(VNINFANTRY* self, SGE_TASK* task, SGE_PARAM p1, SGE_PARAM p2);

// Message 571: a unit of the type attached to the soldier (created in its attachment list at its
// position); the model is read again. The new unit or null.
VNUNIT* vnTERUNIT_AttachUnit(VNINFANTRY* self, int32_t type);
// Message 582: the carried item becomes current (on a gun it is put away in the old one's
// place); a change between thrown and other weapons ends an attack order; the fade reaches the
// new weapon. The item or null.
VNUNIT* vnINFANTRY_TakeItem(VNINFANTRY* self, int32_t itemId, SGE_PARAM mode);
// The ground mover runs one of the soldier's movement requests: the effect bits.
SGE_RESULT vnINFANTRY_RunRequest(VNINFANTRY* self, VNMOVER_REQUEST* request);
// Message 3093: the soldier stands where the placement record says (on the ground unless its
// height is kept), facing its rotation of (0, -1, 0).
void vnINFANTRY_PlaceScripted(VNINFANTRY* self, const uint32_t* placement);
