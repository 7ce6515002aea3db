#pragma once
// A unit class as the kernel registers it. Each class module gives its row beside its handler;
// the unit manager's class table (world/unitman/classes.cpp) lists the rows and registers them.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/kernel/tasktypes.h"

// The largest controller instance of a class: the kernel's task memory keeps room for one of this
// size for every unit (the largest class of 32-bit pointers took 792 bytes).
constexpr int32_t VNUNIT_MAX_CONTROLLER_BYTES = 1536;

struct VNUNIT_CLASSROW {
  int32_t nTypeId;
  SGE_TASKHANDLER pHandler;  // null while the class is not part of the program
  int32_t nInstanceBytes;
  const char* pszName = "";
  int32_t fFlags = SGE_TTF_ALLOC_DATA;
};

// Registers the class with the kernel; 1, or 0 after a trace that names it.
int32_t vnUNITMAN_RegisterClass(const VNUNIT_CLASSROW& row);
