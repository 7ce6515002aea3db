// The running mission's smoke-trail task.
#include "missions/control/smoketrail.h"

#include "missions/control/misscont.h"

namespace {

SGE_TASK* g_smokeTrailTask;

}  // namespace

SGE_TASK* vnMISSCONT_GetSmokeTrailTask() { return g_smokeTrailTask; }

void vnMISSCONT_SetSmokeTrailTask(SGE_TASK* task) { g_smokeTrailTask = task; }
