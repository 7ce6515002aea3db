#pragma once
// The solar collector: a plain task that mission scripts create by name for a unit, which it
// puts at the place given.
#include <cstdint>

#include "engine/kernel/kernel.h"

struct VNUNIT;

constexpr char VNSOLARCOLLECTOR_NAME[] = "SolarCollector";

struct VNSOLARCOLLECTOR {
  VNUNIT* pUnit;
};

// Registers the class (223) under its name; 1 on success.
int32_t vnSOLARCOLLECTOR_Register();
SGE_RESULT vnSOLARCOLLECTOR_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                                    SGE_PARAM p2);
