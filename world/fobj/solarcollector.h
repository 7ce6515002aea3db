#pragma once
// The solar collector: a plain task that mission scripts create by name for a unit, which it
// puts at the place given.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "world/unitman/unitclass.h"

struct VNUNIT;

constexpr char VNSOLARCOLLECTOR_NAME[] = "SolarCollector";

struct VNSOLARCOLLECTOR {
  VNUNIT* pUnit;
};

SGE_RESULT vnSOLARCOLLECTOR_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                                    SGE_PARAM p2);

// The class's row of the unit class table.
inline constexpr VNUNIT_CLASSROW VNSOLARCOLLECTOR_CLASSROW{
    VNTT_SOLARCOLLECTOR, vnSOLARCOLLECTOR_Handler, sizeof(VNSOLARCOLLECTOR), VNSOLARCOLLECTOR_NAME};
