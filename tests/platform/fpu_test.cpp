#include "platform/fpu.h"

#include <gtest/gtest.h>

#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>

TEST(Fpu, SetSingleRoundsToNearestAndRestoreGivesBackTheWord) {
  const uint32_t original = _mm_getcsr();
  _MM_SET_ROUNDING_MODE(_MM_ROUND_DOWN);
  volatile float one = 1.0f, three = 3.0f;
  volatile float down = one / three;  // also raises the inexact flag, which the word must keep
  const uint32_t before = _mm_getcsr();

  uint32_t previous = PLAT_FpuSetSingle();
  EXPECT_EQ(previous, before);
  EXPECT_EQ(_MM_GET_ROUNDING_MODE(), static_cast<unsigned>(_MM_ROUND_NEAREST));
  volatile float nearest = one / three;
  EXPECT_EQ(nearest, 0.33333334f);
  EXPECT_LT(down, nearest);

  PLAT_FpuRestore(previous);
  EXPECT_EQ(_mm_getcsr(), before);
  _mm_setcsr(original);
}

TEST(Fpu, SetSingleMasksEveryExceptionAndRestoreUnmasksThemAgain) {
  const uint32_t original = _mm_getcsr();
  // No arithmetic runs while traps are enabled: only the word is read and written.
  _MM_SET_EXCEPTION_MASK(_MM_MASK_MASK & ~(_MM_MASK_DIV_ZERO | _MM_MASK_INVALID));
  const uint32_t unmasked = _mm_getcsr();
  const uint32_t previous = PLAT_FpuSetSingle();
  const uint32_t during = _mm_getcsr();
  PLAT_FpuRestore(previous);
  const uint32_t after = _mm_getcsr();
  _mm_setcsr(original);
  EXPECT_EQ(previous, unmasked);
  EXPECT_EQ(during & _MM_MASK_MASK, static_cast<uint32_t>(_MM_MASK_MASK));
  EXPECT_EQ(after, unmasked);
}
#endif
