// The strike team and kill credit.
#include "missions/control/striketeam.h"

#include "effects/weapon.h"
#include "frontend/platman.h"
#include "missions/control/misscont.h"
#include "world/unitman/unitman.h"

int32_t vnMISSCONT_AddUnitToStrikeTeam(VNPLATOON_UNIT* soldier) {
  VNPLATOON* platoon = vnMISSCONT_GetPlatoon();
  if (!platoon || !soldier) return -1;
  for (int32_t slot = VNPLATOON_FIRST_FIELDED; slot < VNPLATOON_FIRST_FIELDED + VNPLATOON_FIELDED;
       ++slot) {
    if (platoon->apUnits[slot]) continue;
    platoon->apUnits[slot] = soldier;
    return slot;
  }
  return -1;
}

void vnMISSCONT_SendCreditKill(const VNUNIT* unit, int32_t points) {
  if (!unit || !unit->pController) return;
  VNWEAPON_CREDIT credit{};
  credit.nKills = 1;
  credit.nPoints = points;
  SGE_Send(unit->pController, SGM_WEAPON_CREDIT_KILL, SGE_PtrParam(&credit), 0);
}
