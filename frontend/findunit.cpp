// A platoon's soldier by roster id.
#include "frontend/platman.h"

VNPLATOON_UNIT* vnPLATMAN_FindUnit(const VNPLATOON* platoon, int32_t rosterId) {
  if (!platoon) return nullptr;
  for (VNPLATOON_UNIT* soldier : platoon->apUnits)
    if (soldier && soldier->nRosterId == rosterId) return soldier;
  return nullptr;
}
