#pragma once
// The gate: a plain task that mission scripts create by name and that answers nothing.
#include <cstdint>

#include "engine/kernel/kernel.h"

constexpr char VNGATE_NAME[] = "Gate";

// Registers the class (224) under its name; 1 on success.
int32_t vnGATE_Register();
SGE_RESULT vnGATE_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                          SGE_PARAM p2);
