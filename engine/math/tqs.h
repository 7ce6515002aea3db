#pragma once
// The transform stack the object renderer pushes and pops while it walks a node tree.
#include <cstdint>

#include "engine/math/vecmath.h"

constexpr int SPW_TQSSTACK_SIZE = 100;

struct SPW_TQSENTRY {
  SPW_VECTOR vPos;
  SPW_QUAT qRot;
  float fScale;
  SPW_MATRIX mMatrix;  // the combined rotation; its translation row equals vPos
};

struct SPW_TQSSTACK {
  int32_t nDepth;
  SPW_TQSENTRY aEntry[SPW_TQSSTACK_SIZE];
};

// Depth 0 with the identity as the base entry (position 0, rotation (0,0,0,1), scale 1).
void SPW_TQSInit(SPW_TQSSTACK* stack);
// Lowers the depth by one; at depth 0 it stays, the underflow is traced and the result is 0,
// else 1.
int32_t SPW_TQSPop(SPW_TQSSTACK* stack);
