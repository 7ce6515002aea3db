#include "platform/fpu.h"

#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>

namespace {
// MXCSR bits 13-14 select the rounding mode; 00 is round to nearest.
constexpr uint32_t kRoundingMask = 0x6000u;
// MXCSR bits 7-12 mask the six exceptions when set.
constexpr uint32_t kExceptionMasks = 0x1F80u;
}  // namespace

uint32_t PLAT_FpuSetSingle() {
  uint32_t previous = _mm_getcsr();
  _mm_setcsr((previous & ~kRoundingMask) | kExceptionMasks);
  return previous;
}

void PLAT_FpuRestore(uint32_t previous) { _mm_setcsr(previous); }

#else
#include <cfenv>

// Elsewhere only the rounding mode is handled; traps are off unless a program turns them on.
uint32_t PLAT_FpuSetSingle() {
  uint32_t previous = static_cast<uint32_t>(std::fegetround());
  std::fesetround(FE_TONEAREST);
  return previous;
}

void PLAT_FpuRestore(uint32_t previous) { std::fesetround(static_cast<int>(previous)); }
#endif
