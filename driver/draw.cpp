// Polygon, line and node drawing. Until the batch lists exist there is nowhere to queue a
// primitive; each call accepts it and draws nothing (no call reports failure).
#include "driver/block.h"

int32_t SPPD_RenderFVFPolygon(SPW_DISPLAY*, const SPPD_VERTEX*, uint32_t, int32_t, int32_t,
                              int32_t, uint32_t) {
  return SPPD_OK;
}
int32_t SPPD_RenderFVFPolygonAlpha(SPW_DISPLAY*, const SPPD_VERTEX*, uint32_t, int32_t, int32_t,
                                   int32_t, uint32_t) {
  return SPPD_OK;
}
int32_t SPPD_RenderFVFPolygonLayer(SPW_DISPLAY*, int32_t, const SPPD_VERTEX*, uint32_t, int32_t,
                                   int32_t, int32_t, uint32_t) {
  return SPPD_OK;
}
int32_t SPPD_RenderFVFPolygonNearBlend(SPW_DISPLAY*, const SPPD_VERTEX*, uint32_t, int32_t,
                                       int32_t, int32_t, uint32_t, float, float) {
  return SPPD_OK;
}
int32_t SPPD_RenderFVFPolygonPhysical(SPW_DISPLAY*, const SPPD_VERTEX*, uint32_t, int32_t,
                                      int32_t) {
  return SPPD_OK;
}
int32_t SPPD_RenderFVFPolygonAdditive(SPW_DISPLAY*, const SPPD_VERTEX*, uint32_t, int32_t,
                                      int32_t, int32_t, uint32_t) {
  return SPPD_OK;
}
int32_t SPPD_RenderLine(SPW_DISPLAY*, const float*, const float*, const uint32_t*,
                        const uint32_t*) {
  return SPPD_OK;
}
int32_t SPPD_RenderLineV(SPW_DISPLAY*, const float*, const float*, const uint32_t*,
                         const uint32_t*) {
  return SPPD_OK;
}
void SPPD_RenderNode(SPW_DISPLAY*, tag_spw_dobjnode*, const float*, float*, uint32_t, int32_t,
                     SPW_LIGHT**, int32_t) {}

void SPPD_RenderNodeNonClipped(tag_spw_dobjnode*, float*) {}
void SPPD_RenderNodeClipped(tag_spw_dobjnode*, float*, uint32_t) {}
void SPPD_RenderNodeNonClippedAlwaysAlpha(tag_spw_dobjnode*, float*) {}
void SPPD_RenderNodeClippedAlwaysAlpha(tag_spw_dobjnode*, float*, uint32_t) {}
void SPPD_RenderNodeNonClippedNCVB(tag_spw_dobjnode*, float*) {}
void SPPD_RenderNodeClippedNCVB(tag_spw_dobjnode*, float*, uint32_t) {}
