#pragma once
// The soldier's side of weapon binding: the special weapons and the primary weapon a soldier
// claims.
#include <cstdint>

struct VNTERUNIT;

// The mine, the revolver, the micro rockets and the engineer's shock tool.
int32_t vnWEAPON_IsSpecial(int32_t weaponType);
// Takes the weapon as the soldier's primary while it has none: 1 when taken; a special weapon is
// never taken, and answers 1 only for the revolver; 0 when a primary is set already.
int32_t vnWEAPON_ClaimPrimary(VNTERUNIT* record, int32_t weaponType, int32_t weaponId);
