// The spawned-bug cap.
#include "missions/control/spawncap.h"

#include "missions/control/missiondef.h"
#include "world/mission/context.h"

int32_t vnMISSCONT_CanSpawnBug() {
  const VNMISSION_DEF* def = vnMISSCONT_GetMissionDef();
  if (!def || def->nSpawnedBugCap < 0) return 1;
  return vnMISSION_Context().nSpawnedBugs < def->nSpawnedBugCap;
}

void vnMISSCONT_AddSpawnedBug() { ++vnMISSION_Context().nSpawnedBugs; }

void vnMISSCONT_RemoveSpawnedBug() {
  int32_t& n = vnMISSION_Context().nSpawnedBugs;
  if (n > 0) --n;
}

int32_t vnMISSCONT_GetSpawnedBugs() { return vnMISSION_Context().nSpawnedBugs; }
