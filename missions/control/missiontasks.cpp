// The running mission's script, air-explosion and camera tasks.
#include "missions/control/missiontasks.h"

#include "world/mission/context.h"

void vnMISSCONT_SetMissionTask(SGE_TASK* task) { vnMISSION_Context().pScript = task; }
SGE_TASK* vnMISSCONT_GetMissionTask() { return vnMISSION_Context().pScript; }
void vnMISSCONT_SetAirExplosionTask(SGE_TASK* task) { vnMISSION_Context().pAirExplosion = task; }
SGE_TASK* vnMISSCONT_GetAirExplosionTask() { return vnMISSION_Context().pAirExplosion; }
void vnMISSCONT_SetCameraTask(SGE_TASK* task) { vnMISSION_Context().pCamera = task; }
SGE_TASK* vnMISSCONT_GetCameraTask() { return vnMISSION_Context().pCamera; }
