// Matrix and scale stacks. Overflow keeps rewriting the top entry rather than running off
// the array; popping the bottom entry leaves it in place.
#include "engine/math/vecmath.h"

void SPW_MatStackReset(SPW_MATSTACK* s) {
  s->nTop = 0;
  SPW_MatIdentity(&s->aMatrix[0]);
}

static int32_t ClampTop(int32_t top, int32_t size) {
  if (top < 0) return 0;
  if (top >= size) return size - 1;
  return top;
}

static int32_t NextTop(int32_t top, int32_t size) { return top + 1 < size ? top + 1 : size - 1; }

SPW_MATRIX* SPW_MatStackPush(SPW_MATSTACK* s, const SPW_MATRIX* m) {
  const int32_t top = ClampTop(s->nTop, SPW_MATSTACK_SIZE);
  const int32_t next = NextTop(top, SPW_MATSTACK_SIZE);
  // m * top: MatMultiply(a, b) gives b * a.
  SPW_MatMultiply(&s->aMatrix[top], m, &s->aMatrix[next]);
  s->nTop = next;
  return &s->aMatrix[next];
}

SPW_MATRIX* SPW_MatStackPushPre(SPW_MATSTACK* s, const SPW_MATRIX* m) {
  const int32_t top = ClampTop(s->nTop, SPW_MATSTACK_SIZE);
  const int32_t next = NextTop(top, SPW_MATSTACK_SIZE);
  SPW_MatMultiply(m, &s->aMatrix[top], &s->aMatrix[next]);
  s->nTop = next;
  return &s->aMatrix[next];
}

SPW_MATRIX* SPW_MatStackPop(SPW_MATSTACK* s) {
  s->nTop = ClampTop(s->nTop - 1, SPW_MATSTACK_SIZE);
  return &s->aMatrix[s->nTop];
}

SPW_MATRIX* SPW_MatStackTop(SPW_MATSTACK* s) {
  s->nTop = ClampTop(s->nTop, SPW_MATSTACK_SIZE);
  return &s->aMatrix[s->nTop];
}

void SPW_ScaleStackReset(SPW_SCALESTACK* s) {
  s->nTop = 0;
  s->afScale[0] = 1.0f;
}

float SPW_ScaleStackPush(SPW_SCALESTACK* s, float factor) {
  const int32_t top = ClampTop(s->nTop, SPW_SCALESTACK_SIZE);
  const int32_t next = NextTop(top, SPW_SCALESTACK_SIZE);
  s->afScale[next] = s->afScale[top] * factor;
  s->nTop = next;
  return s->afScale[next];
}

float SPW_ScaleStackTop(const SPW_SCALESTACK* s) {
  return s->afScale[ClampTop(s->nTop, SPW_SCALESTACK_SIZE)];
}
