#pragma once
// The definition of the running mission, as far as the world reads it, and its retrieval boat
// manager. The mission controller records both when the mission loads and clears them when it
// ends.
#include <cstdint>

#include "engine/kernel/kernel.h"

struct VNMISSION_DEF {
  int32_t nRetBoats;  // evacuation boats the mission allows
  const char* pszName;       // also the folder of its bug hole files
  float fActivationDistance; // bug holes wake when the camera comes this near
  int32_t nWorkersPerHole;
  int32_t nCentreBugs;
  int32_t nAlertReserve;
  int32_t nPassiveRateMs;
  int32_t nAlertRateMs;
  int32_t nBugsPerHole;      // VNMISSION_UNLIMITED: no limit
  int32_t nSpawnedBugCap;    // spawned bugs alive at once
};

constexpr int32_t VNMISSION_UNLIMITED = -1;

// Null clears it.
void vnMISSCONT_SetMissionDef(const VNMISSION_DEF* def);
// The running mission's definition, or null.
const VNMISSION_DEF* vnMISSCONT_GetMissionDef();
// The running mission's retrieval boat allowance; 0 outside a mission.
int32_t vnMISSCONT_GetRetBoatAllowance();

// The retrieval boat manager (type 225) of the running mission, or null.
SGE_TASK* vnMISSCONT_GetRetBoatManager();
void vnMISSCONT_SetRetBoatManager(SGE_TASK* task);
