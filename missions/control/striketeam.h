#pragma once
// The running mission's strike team (the platoon's slots 36 to 56) and the credit the mission
// gives its soldiers.
#include <cstdint>

struct VNPLATOON_UNIT;
struct VNUNIT;

// Puts the soldier into the first free strike-team slot of the mission's platoon: the slot, or
// -1 without a platoon, a soldier or a free slot.
int32_t vnMISSCONT_AddUnitToStrikeTeam(VNPLATOON_UNIT* soldier);
// Credits the unit with a kill worth the points (a psychic seizing a creature).
void vnMISSCONT_SendCreditKill(const VNUNIT* unit, int32_t points);
