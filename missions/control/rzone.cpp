// Retrieval zone counts.
#include "missions/control/rzone.h"

#include "platform/trace.h"
#include "world/mission/context.h"

namespace {

VNMISSION_RZONE* Find(const BSTAR_Node* region) {
  VNMISSION_CONTEXT& c = vnMISSION_Context();
  for (int32_t i = 0; region && i < c.nRZones; ++i)
    if (c.aRZones[i].pRegion == region) return &c.aRZones[i];
  return nullptr;
}

}  // namespace

int32_t vnMISSCONT_AddRZone(const BSTAR_Node* region, int32_t active) {
  VNMISSION_CONTEXT& c = vnMISSION_Context();
  if (!region || Find(region)) return 0;
  if (c.nRZones >= VNMISSION_MAX_RZONES) {
    PLAT_Trace("MISSCONT: no room for retrieval zone %d\n", c.nRZones + 1);
    return 0;
  }
  c.aRZones[c.nRZones++] = {region, 0, active ? 1 : 0};
  return 1;
}

void vnMISSCONT_CountRZoneUnits(const BSTAR_Node* region, const VNUNIT* unit, int32_t entering) {
  VNMISSION_RZONE* zone = unit ? Find(region) : nullptr;
  if (!zone) return;
  if (entering)
    ++zone->nUnits;
  else if (zone->nUnits > 0)
    --zone->nUnits;
}

int32_t vnMISSCONT_GetRZoneUnits(const BSTAR_Node* region) {
  const VNMISSION_RZONE* zone = Find(region);
  return zone ? zone->nUnits : -1;
}

void vnMISSCONT_ClearRZones() {
  VNMISSION_CONTEXT& c = vnMISSION_Context();
  for (VNMISSION_RZONE& zone : c.aRZones) zone = {};
  c.nRZones = 0;
}
