// Reset and pop of the transform stack; pushing lives with the renderer that traces overflow.
#include "engine/math/tqs.h"

#include "platform/trace.h"

void SPW_TQSInit(SPW_TQSSTACK* stack) {
  stack->nDepth = 0;
  SPW_TQSENTRY& base = stack->aEntry[0];
  base.vPos = {0.0f, 0.0f, 0.0f};
  base.qRot = {0.0f, 0.0f, 0.0f, 1.0f};
  base.fScale = 1.0f;
  SPW_MatIdentity(&base.mMatrix);
}

int32_t SPW_TQSPop(SPW_TQSSTACK* stack) {
  if (stack->nDepth <= 0) {
    PLAT_Trace("TQS stack underflow!\n");
    stack->nDepth = 0;
    return 0;
  }
  --stack->nDepth;
  return 1;
}
