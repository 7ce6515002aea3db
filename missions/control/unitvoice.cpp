// Soldiers' voice lines.
#include "missions/control/unitvoice.h"

#include "frontend/platman.h"
#include "missions/control/misscont.h"
#include "shell/sound/sound.h"
#include "world/unitman/unitman.h"

int32_t vnSOUND_PlayUnitVoice(const VNUNIT* unit, int32_t line) {
  if (!unit) return -1;
  const VNPLATOON_UNIT* soldier =
      vnPLATMAN_FindUnit(vnMISSCONT_GetPlatoon(), static_cast<int32_t>(unit->dwId));
  const VNSOLDIER_PROFILE* profile = soldier ? vnPLATMAN_GetProfile(soldier->nProfile) : nullptr;
  if (!profile || profile->nVoiceType == VNSOLDIER_NO_VOICE) return -1;
  const float pos[3] = {unit->vPos.x, unit->vPos.y, unit->vPos.z};
  return vnSOUND_PlayVoice(profile->nVoiceType, line, pos);
}
