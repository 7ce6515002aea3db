#pragma once
// The running mission's smoke-trail task, as the mission controller records it when it makes
// the task; vnMISSCONT_GetSmokeTrailTask (misscont.h) hands it out.
#include "engine/kernel/kernel.h"

// Null clears it.
void vnMISSCONT_SetSmokeTrailTask(SGE_TASK* task);
