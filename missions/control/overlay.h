#pragma once
// The running mission's overlay services: the status marker task and the effect draw list on
// which tasks hang their attachment nodes. The mission controller records both when it makes
// them and clears them when the mission ends.
#include "engine/kernel/kernel.h"

struct VNFX_ATTACHLIST;

// The effect draw list's place among the mission view's render callbacks.
constexpr uint32_t VNMISSCONT_EFFECT_LIST_PRIORITY = 520;

// The status marker task (type 211) of the running mission, or null.
SGE_TASK* vnMISSCONT_GetOverlayTask();
// The mission's effect draw list, or null outside a mission.
VNFX_ATTACHLIST* vnMISSCONT_GetAttachDisplay();

void vnMISSCONT_SetOverlayTask(SGE_TASK* task);
void vnMISSCONT_SetAttachDisplay(VNFX_ATTACHLIST* list);
