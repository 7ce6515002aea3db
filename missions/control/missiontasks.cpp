// The running mission's script, effect, zone and camera tasks, and the camera's object and
// display.
#include "missions/control/missiontasks.h"

#include "world/mission/context.h"

void vnMISSCONT_SetMissionTask(SGE_TASK* task) { vnMISSION_Context().pScript = task; }
SGE_TASK* vnMISSCONT_GetMissionTask() { return vnMISSION_Context().pScript; }
void vnMISSCONT_SetAirExplosionTask(SGE_TASK* task) { vnMISSION_Context().pAirExplosion = task; }
SGE_TASK* vnMISSCONT_GetAirExplosionTask() { return vnMISSION_Context().pAirExplosion; }
void vnMISSCONT_SetCameraTask(SGE_TASK* task) { vnMISSION_Context().pCamera = task; }
SGE_TASK* vnMISSCONT_GetCameraTask() { return vnMISSION_Context().pCamera; }
void vnMISSCONT_SetParticleJetTask(SGE_TASK* task) { vnMISSION_Context().pParticleJets = task; }
SGE_TASK* vnMISSCONT_GetParticleJetTask() { return vnMISSION_Context().pParticleJets; }
void vnMISSCONT_SetAmbushZoneTask(SGE_TASK* task) { vnMISSION_Context().pAmbushZones = task; }
SGE_TASK* vnMISSCONT_GetAmbushZoneTask() { return vnMISSION_Context().pAmbushZones; }
void vnMISSCONT_SetEventIconTask(SGE_TASK* task) { vnMISSION_Context().pEventIcons = task; }
SGE_TASK* vnMISSCONT_GetEventIconTask() { return vnMISSION_Context().pEventIcons; }
void vnMISSCONT_SetCameraDObject(SPW_DOBJECT* object) { vnMISSION_Context().pCameraObject = object; }
SPW_DOBJECT* vnMISSCONT_GetCameraDObject() { return vnMISSION_Context().pCameraObject; }
void vnMISSCONT_SetDisplay(SPW_VDISPLAY* display) { vnMISSION_Context().pDisplay = display; }
SPW_VDISPLAY* vnMISSCONT_GetDisplay() { return vnMISSION_Context().pDisplay; }
