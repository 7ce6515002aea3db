#pragma once
// Single-precision, round-to-nearest floating point around rendering.
#include <cstdint>

// Stores the current control word in *previous (when given); 1 when the mode had to change
// (restore it afterwards with SGE_RestoreFPU), 0 when it was already right.
int32_t SGE_SetFPUSingle(uint32_t* previous);
void SGE_RestoreFPU(uint32_t word);
