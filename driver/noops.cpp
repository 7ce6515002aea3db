// Exports that hosts still bind and call but that have nothing to do.
#include "engine/driver/sppd.h"

int32_t SPPD_SetBackground(SPW_DISPLAY*, uint32_t) { return SPPD_FAIL; }
int32_t SPPD_MaterialTouch(SPW_DISPLAY*, void*) { return SPPD_FAIL; }
int32_t SPPD_MaterialUntouch(SPW_DISPLAY*, void*) { return SPPD_FAIL; }
int32_t SPPD_DrawIndexedPrimitive(SPW_DISPLAY*) { return SPPD_FAIL; }
int32_t SPPD_PostRender(SPW_DISPLAYNODE*, SPPD_VIEWPORT*, SGE_DATAREF*) { return SPPD_FAIL; }
int32_t SPPD_PreRender(SPW_DISPLAYNODE*, SPPD_VIEWPORT*, SGE_DATAREF*) { return SPPD_OK; }
int32_t SPPD_VPSet(SPW_DISPLAYNODE*, SPPD_VIEWPORT*) { return SPPD_OK; }
void SPPD_RenderFeatureNode(SPW_DISPLAY*, tag_spw_dobjnode*) {}
