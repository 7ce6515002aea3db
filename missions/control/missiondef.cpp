#include "missions/control/missiondef.h"

namespace {

const VNMISSION_DEF* g_def;
SGE_TASK* g_retBoats;

}  // namespace

void vnMISSCONT_SetMissionDef(const VNMISSION_DEF* def) { g_def = def; }
const VNMISSION_DEF* vnMISSCONT_GetMissionDef() { return g_def; }
int32_t vnMISSCONT_GetRetBoatAllowance() { return g_def ? g_def->nRetBoats : 0; }

SGE_TASK* vnMISSCONT_GetRetBoatManager() { return g_retBoats; }
void vnMISSCONT_SetRetBoatManager(SGE_TASK* task) { g_retBoats = task; }
