#pragma once
// Scripted sequences as the world starts them: a definition loaded from an SSE file and a runner
// of it for one unit, placed at an offset. Definitions and runners live until vnSS_FreeAll,
// which the mission controller calls when the mission ends.
#include <cstdint>

#include "engine/math/vecmath.h"
#include "engine/memory/lists.h"

constexpr int32_t VNSS_FILE_SIZE = 260;

struct VNSS_DEFINITION {
  SGE_DLLNODE link;
  char szFile[VNSS_FILE_SIZE];  // as the caller named it
};

struct VNSS_RUNNER {
  SGE_DLLNODE link;
  VNSS_DEFINITION* pDef;
  uint32_t dwUnitId;
  int32_t nValue;
  SPW_VECTOR vOffset;
};

// The definition of an existing SSE file (found in any letter case), or null after a trace.
VNSS_DEFINITION* vnSS_LoadDefinition(const char* file);
// A runner of the definition for the unit; null without a definition or memory.
VNSS_RUNNER* vnSS_Start(VNSS_DEFINITION* def, uint32_t unitId, int32_t value);
// Nothing without a runner or a point.
void vnSS_SetOffset(VNSS_RUNNER* runner, const SPW_VECTOR* point);
// The runners started so far, oldest first (VNSS_RUNNER).
const SGE_DLLNODE* vnSS_GetRunners();
// Frees every runner and definition.
void vnSS_FreeAll();
