#pragma once
// The three statues: one model standing high above its place, playing its animation for ever.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/math/vecmath.h"
#include "world/unitman/unitclass.h"

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

// The class's row of the unit class table.
inline constexpr VNUNIT_CLASSROW VNSTATUES_CLASSROW{
    VNTT_PE_THREESTATUES, vnSTATUES_Handler, sizeof(VNSTATUES)};
