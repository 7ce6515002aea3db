#pragma once
// The game's random numbers: the 15-bit linear congruential generator that its formulas were
// tuned against (x = x * 214013 + 2531011, result bits 16..30). One state for the whole program.
#include <cstdint>

constexpr int PLAT_RAND_MAX = 32767;

void PLAT_SRand(uint32_t seed);
int PLAT_Rand();
