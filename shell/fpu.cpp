// Floating-point mode around rendering.
#include "shell/fpu.h"

#include "platform/fpu.h"

int32_t SGE_SetFPUSingle(uint32_t* previous) {
  uint32_t before = PLAT_FpuSetSingle();
  // A second set reports the word now in force: equal when the first changed nothing.
  uint32_t after = PLAT_FpuSetSingle();
  if (previous) *previous = before;
  return before != after ? 1 : 0;
}

void SGE_RestoreFPU(uint32_t word) { PLAT_FpuRestore(word); }
