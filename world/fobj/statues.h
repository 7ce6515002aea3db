#pragma once
// The three statues: one model standing high above its place, playing its animation for ever.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/math/vecmath.h"

struct SPW_DOBJECT;
struct VNUNIT;

constexpr char VNSTATUES_MODEL[] = "Export/Pows/statue.pow";
constexpr float VNSTATUES_LIFT = 50.0f;

struct VNSTATUES {
  VNUNIT* pUnit;
  SPW_DOBJECT* pObject;
  SPW_VECTOR vDir;
};

SGE_RESULT vnSTATUES_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                             SGE_PARAM p2);
