// The running mission's smoke-trail task.
#include "missions/control/smoketrail.h"

#include "missions/control/misscont.h"
#include "world/mission/context.h"

SGE_TASK* vnMISSCONT_GetSmokeTrailTask() { return vnMISSION_Context().pSmokeTrail; }

void vnMISSCONT_SetSmokeTrailTask(SGE_TASK* task) { vnMISSION_Context().pSmokeTrail = task; }
