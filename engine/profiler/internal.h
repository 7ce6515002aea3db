#pragma once
// Shared between the profiler's files only.
#include <cstdint>

// The time stamp the counters use.
uint64_t KOPROFILE_ReadStamp();
