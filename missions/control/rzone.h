#pragma once
// Retrieval zones: regions of the path network where the mission counts the units inside. Units
// report entering and leaving their region; only a region the mission made a zone is counted.
#include <cstdint>

struct BSTAR_Node;
struct VNUNIT;

// Makes the region a zone (active or not); 0 when it is one already, or no zone is left.
int32_t vnMISSCONT_AddRZone(const BSTAR_Node* region, int32_t active);
// The unit entered (1) or left (0) the region: one more, or one less (never below 0), in the
// region's zone; nothing for a region that is no zone or without a unit.
void vnMISSCONT_CountRZoneUnits(const BSTAR_Node* region, const VNUNIT* unit, int32_t entering);
// The units in the region's zone; -1 when the region is no zone.
int32_t vnMISSCONT_GetRZoneUnits(const BSTAR_Node* region);
// Forgets every zone (the mission ends).
void vnMISSCONT_ClearRZones();
