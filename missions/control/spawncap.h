#pragma once
// The running mission's count of spawned bugs alive, held against its definition's cap.
#include <cstdint>

// 1 while fewer spawned bugs live than the cap allows (no cap without a definition or with a
// negative one), else 0.
int32_t vnMISSCONT_CanSpawnBug();
// One more, or one less (never below 0).
void vnMISSCONT_AddSpawnedBug();
void vnMISSCONT_RemoveSpawnedBug();
// The spawned bugs alive.
int32_t vnMISSCONT_GetSpawnedBugs();
