// The running mission's smoke-trail task.
#include "missions/control/misscont.h"

// No mission makes a smoke-trail task, so there is none.
SGE_TASK* vnMISSCONT_GetSmokeTrailTask() { return nullptr; }
