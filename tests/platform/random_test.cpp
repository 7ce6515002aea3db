#include "platform/random.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(Random, UnseededStartsLikeSeedOne) {
  // A fresh process is needed to see the initial state, whatever ran before in this one.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(PLAT_Rand() == 41 && PLAT_Rand() == 18467 ? 0 : 1),
              testing::ExitedWithCode(0), "");
}

TEST(Random, SeedOneGivesKnownSequence) {
  PLAT_SRand(1);
  EXPECT_EQ(PLAT_Rand(), 41);
  EXPECT_EQ(PLAT_Rand(), 18467);
  EXPECT_EQ(PLAT_Rand(), 6334);
}

TEST(Random, ReseedingRepeatsTheSequenceAndStaysInRange) {
  PLAT_SRand(12345);
  int first[64];
  for (int& v : first) {
    v = PLAT_Rand();
    ASSERT_GE(v, 0);
    ASSERT_LE(v, PLAT_RAND_MAX);
  }
  PLAT_SRand(12345);
  for (int v : first) EXPECT_EQ(PLAT_Rand(), v);
}
