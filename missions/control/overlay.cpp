#include "missions/control/overlay.h"

#include "world/mission/context.h"

SGE_TASK* vnMISSCONT_GetOverlayTask() { return vnMISSION_Context().pOverlay; }
VNFX_ATTACHLIST* vnMISSCONT_GetAttachDisplay() { return vnMISSION_Context().pAttachDisplay; }

void vnMISSCONT_SetOverlayTask(SGE_TASK* task) { vnMISSION_Context().pOverlay = task; }
void vnMISSCONT_SetAttachDisplay(VNFX_ATTACHLIST* list) {
  vnMISSION_Context().pAttachDisplay = list;
}
