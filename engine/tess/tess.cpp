// Tessellation records and their per-scene pools.
#include "engine/tess/tess.h"

SPW_TESSHOOKS SPW_TessHooks{};

SPW_TQSENTRY* SPW_TQSPush(SPW_TQSSTACK* stack, const SPW_TRANSFORM*) {
  return &stack->aEntry[stack->nDepth];
}
int32_t SPW_InitTessellations(SPW_SCENE*, SGE_MEMBLOCK*) { return 1; }
SPW_TESS* SPW_CreateTessellation(SPW_SCENE*, const SPPD_VERTEX*, uint32_t, int32_t, int32_t,
                                 uint32_t, float, float, const SPW_VECTOR*, float, uint32_t,
                                 uint32_t, float, float) { return nullptr; }
SPW_TESS* SPW_CreateObjectTessellation(SPW_DOBJECT*, float, float, int32_t, int32_t, uint32_t,
                                       float, float, const SPW_VECTOR*, float, uint32_t,
                                       uint32_t, float, float) { return nullptr; }
int32_t SPW_RelinkTessellation(SPW_TESS*) { return 0; }
int32_t SPW_ReleaseTessellation(SPW_TESS*) { return 0; }
int32_t SPW_ReleaseAllTessellations(SPW_SCENE*) { return 1; }
SPW_POLYBUFFER* SPW_TakePolygonBuffer(SPW_SCENE*, SGE_DLLNODE*) { return nullptr; }
void SPW_ReturnPolygonBuffer(SPW_SCENE*, SPW_POLYBUFFER*) {}
int32_t SPW_CeilToInt(float) { return 0; }
uint32_t SPW_BlendColour4(uint32_t, uint32_t, uint32_t, uint32_t, float, float) { return 0; }
