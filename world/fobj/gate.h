#pragma once
// The gate: a plain task that mission scripts create by name and that answers nothing.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "world/unitman/unitclass.h"

constexpr char VNGATE_NAME[] = "Gate";

SGE_RESULT vnGATE_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                          SGE_PARAM p2);

// The class's row of the unit class table.
inline constexpr VNUNIT_CLASSROW VNGATE_CLASSROW{VNTT_GATE, vnGATE_Handler, 0, VNGATE_NAME, 0};
