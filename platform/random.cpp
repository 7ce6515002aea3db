#include "platform/random.h"

namespace {

// The generator starts as if seeded with 1, so an unseeded first draw is 41.
uint32_t g_state = 1;

}  // namespace

void PLAT_SRand(uint32_t seed) { g_state = seed; }

int PLAT_Rand() {
  g_state = g_state * 214013u + 2531011u;
  return static_cast<int>((g_state >> 16) & 0x7fffu);
}
