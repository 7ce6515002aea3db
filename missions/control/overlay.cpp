#include "missions/control/overlay.h"

namespace {

SGE_TASK* g_overlayTask;
VNFX_ATTACHLIST* g_effectList;

}  // namespace

SGE_TASK* vnMISSCONT_GetOverlayTask() { return g_overlayTask; }
VNFX_ATTACHLIST* vnMISSCONT_GetAttachDisplay() { return g_effectList; }

void vnMISSCONT_SetOverlayTask(SGE_TASK* task) { g_overlayTask = task; }
void vnMISSCONT_SetAttachDisplay(VNFX_ATTACHLIST* list) { g_effectList = list; }
