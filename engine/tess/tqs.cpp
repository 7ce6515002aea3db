// The push of the transform stack: traced overflow, reuse of the top entry.
#include "engine/tess/tess.h"
#include "platform/trace.h"

SPW_TQSENTRY* SPW_TQSPush(SPW_TQSSTACK* stack, const SPW_TRANSFORM* t) {
  int32_t at = stack->nDepth + 1;
  if (at >= SPW_TQSSTACK_SIZE) {
    PLAT_Trace("TQS stack overflow!\n");
    at = SPW_TQSSTACK_SIZE - 1;
  }
  const SPW_TQSENTRY prev = stack->aEntry[stack->nDepth];
  SPW_TQSENTRY& e = stack->aEntry[at];
  stack->nDepth = at;
  SPW_QuatMultiply(&prev.qRot, &t->qRot, &e.qRot);
  SPW_QuatToMatrix(&e.mMatrix, &e.qRot);
  SPW_VECTOR p;
  SPW_MatRotateVector(&prev.mMatrix, &t->vPos, &p);
  e.vPos = {p.x + prev.vPos.x, p.y + prev.vPos.y, p.z + prev.vPos.z};
  e.mMatrix.m[3][0] = e.vPos.x;
  e.mMatrix.m[3][1] = e.vPos.y;
  e.mMatrix.m[3][2] = e.vPos.z;
  e.fScale = prev.fScale * t->fScale;
  return &e;
}
