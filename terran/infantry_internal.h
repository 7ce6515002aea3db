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
void vnINFANTRY_LeaveTurret(VNINFANTRY* self);
void vnINFANTRY_ManTurret(VNINFANTRY* self, uint32_t flags, int32_t turretId);
void vnINFANTRY_GetOffTurret(VNINFANTRY* self, const SPW_VECTOR* exit);
void vnINFANTRY_GetOnTurret(VNINFANTRY* self, const SPW_VECTOR* mount, int32_t turretId);

// The order messages; the answer, or -1 when the message passes on to the common handler.
SGE_RESULT vnINFANTRY_Order(VNINFANTRY* self, int32_t msg, SGE_PARAM p1, SGE_PARAM p2);
// The update message: the soldier's frame unless it is dying or a script poses it.
void vnINFANTRY_Frame(VNINFANTRY* self, SGE_TASK* task, SGE_PARAM p1, SGE_PARAM p2);
