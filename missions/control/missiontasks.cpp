// The running mission's script, air-explosion and camera tasks.
#include "missions/control/missiontasks.h"

namespace {

struct MISSIONTASKS {
  SGE_TASK* pScript;
  SGE_TASK* pAirExplosion;
  SGE_TASK* pCamera;
};
MISSIONTASKS g_tasks{};

}  // namespace

void vnMISSCONT_SetMissionTask(SGE_TASK* task) { g_tasks.pScript = task; }
SGE_TASK* vnMISSCONT_GetMissionTask() { return g_tasks.pScript; }
void vnMISSCONT_SetAirExplosionTask(SGE_TASK* task) { g_tasks.pAirExplosion = task; }
SGE_TASK* vnMISSCONT_GetAirExplosionTask() { return g_tasks.pAirExplosion; }
void vnMISSCONT_SetCameraTask(SGE_TASK* task) { g_tasks.pCamera = task; }
SGE_TASK* vnMISSCONT_GetCameraTask() { return g_tasks.pCamera; }
