// The soldier's model fade: the level follows its target a unit a second, the model and the
// held weapon show it, and the attackers count that drives it can be shown for the selection.
#include <cmath>

#include "effects/weapon.h"
#include "engine/dobject/dobject.h"
#include "engine/kernel/frametime.h"
#include "interface/text/textpanel.h"
#include "terran/behave.h"
#include "world/unittype/unittype.h"

namespace {

// A model's alpha at creation, which the fade scales.
constexpr float kFullAlpha = 255.0f;
// A fade toward a target above this ends fully shown.
constexpr float kOpaque = 0.99f;
// Unit manager mode bit: the selected soldier's attackers are printed.
constexpr uint32_t kShowAttackersMode = 0x10;
constexpr int32_t kAttackersLine = 15;

SPW_DOBJECT* ModelOf(const VNUNIT* unit) {
  return unit && unit->pController ? SGE_Ask<SPW_DOBJECT>(unit->pController, SGM_UNIT_GET_OBJECT, 0, 0)
                                   : nullptr;
}

void Tint(SPW_DOBJECT* object, const SPW_COLOUR& colour, bool opaque) {
  if (!object) return;
  object->colourA = colour;
  if (opaque)
    object->fFlags &= ~SPW_DOBJ_OWN_COLOUR;
  else
    object->fFlags |= SPW_DOBJ_OWN_COLOUR;
}

}  // namespace

void vnTERUNIT_ApplyWeaponFade(VNTERUNIT* record, float level, int32_t opaque) {
  VNUNIT* weapon = record->unit ? vnTERUNIT_CurrentItem(record->unit) : nullptr;
  if (!weapon || !record->model) return;
  SPW_COLOUR colour = record->model->colourA;
  colour.a = kFullAlpha * level;
  if (weapon->nType != VN_UNIT_TYPE_WEAPON_CLASS1DOUBLE) {
    Tint(ModelOf(weapon), colour, opaque != 0);
    return;
  }
  for (int32_t msg : {SGM_WEAPON_FIRST_GUN, SGM_WEAPON_SECOND_GUN})
    Tint(ModelOf(SGE_ParamPtr<VNUNIT>(vnTERUNIT_SendUnit(weapon, msg))), colour, opaque != 0);
}

void vnTERUNIT_UpdateFade(VNTERUNIT* record, SPW_DOBJECT* model) {
  if (!model) return;
  if (record->stateFlags & VNTERUNIT_SF_FADING) {
    const float step = SGE_GetFrameTime();
    const float gap = record->fadeTarget - record->fadeLevel;
    if (std::fabs(gap) <= step) {
      record->fadeLevel = record->fadeTarget;
      record->stateFlags &= ~VNTERUNIT_SF_FADING;
      if (record->fadeTarget > kOpaque) model->fFlags &= ~SPW_DOBJ_OWN_COLOUR;
    } else {
      record->fadeLevel += gap > 0.0f ? step : -step;
    }
  }
  model->colourA.a = kFullAlpha * record->fadeLevel;
  vnTERUNIT_ApplyWeaponFade(record, record->fadeLevel,
                            (model->fFlags & SPW_DOBJ_OWN_COLOUR) ? 0 : 1);
  // In flight the ground under the soldier is far away: its light would be wrong.
  if (!vnTERUNIT_IsBouncing(record)) vnUNIT_UpdateGroundLighting(record->unit, 0);
}

void vnTERUNIT_ShowAttackers(const VNTERUNIT* record) {
  const VNUNITMAN* manager = vnUNITMAN_Get();
  if (!manager || !(manager->dwMode & kShowAttackersMode)) return;
  if (!record->unit || !(record->unit->dwFlags & VNUNIT_F_SELECTED)) return;
  vnTEXT_PrintLine(vnTEXT_GetRootPanel(), kAttackersLine, "Num Attackers: %i", record->attackers);
}
