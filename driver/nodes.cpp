// Object node renderers. Nodes draw nothing in this driver.
#include "engine/driver/sppd.h"

void SPPD_RenderNode(SPW_DISPLAY*, tag_spw_dobjnode*, const float*, float*, uint32_t, int32_t,
                     SPW_LIGHT**, int32_t) {}

void SPPD_RenderNodeNonClipped(tag_spw_dobjnode*, float*) {}
void SPPD_RenderNodeClipped(tag_spw_dobjnode*, float*, uint32_t) {}
void SPPD_RenderNodeNonClippedAlwaysAlpha(tag_spw_dobjnode*, float*) {}
void SPPD_RenderNodeClippedAlwaysAlpha(tag_spw_dobjnode*, float*, uint32_t) {}
void SPPD_RenderNodeNonClippedNCVB(tag_spw_dobjnode*, float*) {}
void SPPD_RenderNodeClippedNCVB(tag_spw_dobjnode*, float*, uint32_t) {}
