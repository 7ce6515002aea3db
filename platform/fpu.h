#pragma once
// Floating-point control. The game asks for single precision around its 3D work; on SSE,
// precision is fixed per instruction, so the mode set is round to nearest with every exception
// masked (a trap in the middle of rendering would end the program). The saved word
// round-trips exactly.
#include <cstdint>

uint32_t PLAT_FpuSetSingle();            // returns the previous control word
void PLAT_FpuRestore(uint32_t previous);
