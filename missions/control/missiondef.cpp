#include "missions/control/missiondef.h"

#include "world/mission/context.h"

void vnMISSCONT_SetMissionDef(const VNMISSION_DEF* def) { vnMISSION_Context().pDef = def; }
const VNMISSION_DEF* vnMISSCONT_GetMissionDef() { return vnMISSION_Context().pDef; }
int32_t vnMISSCONT_GetRetBoatAllowance() {
  const VNMISSION_DEF* def = vnMISSCONT_GetMissionDef();
  return def ? def->nRetBoats : 0;
}

SGE_TASK* vnMISSCONT_GetRetBoatManager() { return vnMISSION_Context().pRetBoats; }
void vnMISSCONT_SetRetBoatManager(SGE_TASK* task) { vnMISSION_Context().pRetBoats = task; }
