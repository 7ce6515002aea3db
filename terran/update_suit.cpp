// A powered suit destroyed: the suit goes, and its pilot climbs out where it stood, alive when
// the suit fell on its feet, dead at once when it came down from a jump.
#include <algorithm>
#include <bit>

#include "effects/weapon.h"
#include "engine/dobject/dobject.h"
#include "engine/object/object.h"
#include "engine/terrain/terrain.h"
#include "frontend/platman.h"
#include "interface/hud/hudtask.h"
#include "missions/control/misscont.h"
#include "shell/sound/sound.h"
#include "terran/behave.h"
#include "terran/handler.h"
#include "terran/update.h"
#include "world/attach/attach.h"
#include "world/combat/combat.h"
#include "world/mover/mover.h"
#include "world/unittype/attributes.h"
#include "world/unittype/unittype.h"

namespace {

// Where a recruit is made before it is moved into place.
constexpr SPW_VECTOR kRecruitPlace{999.984f, 954.46f, 7.8f};
constexpr uint32_t kFemale = 0x2;  // unit flag of a woman soldier
// The blow that kills a pilot who falls from a jump.
constexpr float kFatalDamage = -1000.0f;
constexpr float kFatalForce = 20.0f;

// The pilot's base attributes: his platoon soldier's stats, else the suit's without its armour.
void PilotAttributes(const VNTERUNIT* s, int32_t* base) {
  const VNPLATOON* platoon = vnMISSCONT_GetPlatoon();
  const VNPLATOON_UNIT* soldier =
      platoon ? vnPLATMAN_FindUnit(platoon, static_cast<int32_t>(s->unit->dwId)) : nullptr;
  VNPLATMAN_STATBLOCK stats{};
  if (soldier && vnPLATMAN_GetUnitStats(soldier, &stats)) {
    for (int32_t i = 0; i < VNTERUNIT_BASE_ATTRIBUTES; ++i)
      base[i] = std::bit_cast<int32_t>(stats.afStats[i]);
    return;
  }
  std::copy_n(s->baseAttributes, VNTERUNIT_BASE_ATTRIBUTES, base);
  base[VNTERUNIT_BASE_ARMOUR] = 0;  // out of the suit there is no armour
}

// The suit's first two tech items go with the pilot, and his strike-team record says so.
void PassTechItems(const VNTERUNIT* s, VNUNIT* pilot) {
  int32_t types[VNPLATOON_EQUIPMENT] = {VNPLATOON_NONE, VNPLATOON_NONE};
  int32_t n = 0;
  for (const VNUNIT* item : SGE_ListRecords<VNUNIT>(&s->unit->aChildren[VNTERUNIT_EQUIPMENT_LIST])) {
    if (n == VNPLATOON_EQUIPMENT) break;
    if (item->nType != VN_UNIT_TYPE_TECH_NERVEGAS && item->nType != VN_UNIT_TYPE_TECH_NOVABOMB)
      continue;
    types[n++] = item->nType;
    vnTERUNIT_SendUnit(pilot, SGM_TERUNIT_ADD_EQUIPMENT, item->nType);
  }
  const VNPLATOON* platoon = vnMISSCONT_GetPlatoon();
  VNPLATOON_UNIT* record =
      platoon ? vnPLATMAN_FindStrikeTeamUnit(platoon, static_cast<int32_t>(pilot->dwId)) : nullptr;
  if (record) std::copy_n(types, VNPLATOON_EQUIPMENT, record->anEquipment);
}

VNUNIT* Pilot(VNTERUNIT* s) {
  VNUNIT* pilot = vnTERUNIT_SpawnRecruit((s->unit->dwFlags & kFemale) ? 1 : 0);
  if (!pilot) return nullptr;
  vnHUD_ReplaceUnit(s->unit->dwId, pilot->dwId);
  // It takes the suit's place and facing, and the suit's record of its deeds.
  SPW_VECTOR place[2] = {s->unit->vPos, s->unit->pMove ? s->unit->pMove->vHeading : SPW_VECTOR{0, 1, 0}};
  vnTERUNIT_SendUnit(pilot, SGM_UNIT_SET_POSITION_FACING, SGE_PtrParam(&place[0]),
                     SGE_PtrParam(&place[1]));
  int32_t base[VNTERUNIT_BASE_ATTRIBUTES];
  PilotAttributes(s, base);
  vnTERUNIT_SendUnit(pilot, SGM_TERUNIT_SET_BASE_ATTRIBUTES, SGE_PtrParam(base));
  vnTERUNIT_SendUnit(pilot, SGM_WEAPON_CREDIT_KILL, SGE_PtrParam(s->totals), 1);
  PassTechItems(s, pilot);
  return pilot;
}

// The wreck: the death model on the ground where the suit stood. 0 when it cannot be kept.
int32_t Wreck(VNTERUNIT* s) {
  SPW_SCENE* scene = vnMISSCONT_GetScene();
  if (!scene || s->deathModel == SPW_NO_OBJECT_TYPE) return 1;
  SPW_VECTOR at = s->unit->vPos;
  SPW_GetTerrainHeight(scene, &at);
  const SPW_TRANSFORM place{at, {0.0f, 0.0f, 1.0f, 0.0f}, 1.0f};
  SPW_DOBJECT* wreck = SPW_CreateDynamicObject(scene, s->deathModel, nullptr, 0, &place, 0);
  if (!wreck) return 1;
  if (!vnUNIT_AddObject(s->unit, wreck)) {
    SPW_DestroyDynamicObject(wreck);
    return 0;
  }
  wreck->fFlags &= ~SPW_DOBJ_HIDDEN;
  return 1;
}

void KillPilot(VNUNIT* pilot) {
  vnUNIT_SetAttrFloat(pilot, VN_ATTR_HEALTH, 0.0f);
  vnUNIT_SetAttrFloat(pilot, VN_ATTR_ARMOUR, 0.0f);
  VNDAMAGE blow{};
  blow.fHealth = kFatalDamage;
  blow.vImpulse = {0.0f, 0.0f, kFatalForce};
  blow.nSourceType = -1;
  vnTERUNIT_SendUnit(pilot, SGM_UNIT_DAMAGED, 1, SGE_PtrParam(&blow));
  vnUNIT_SetObjectFlag08(pilot, 0);
  vnUNIT_SetObjectFlag10(pilot, 0);
}

}  // namespace

VNUNIT* vnTERUNIT_SpawnRecruit(int32_t female) {
  const VNPLAYER* human = vnUNITMAN_GetHumanPlayer();
  if (!human) return nullptr;
  VNUNIT_CREATE c{};
  c.nType = female ? VN_UNIT_TYPE_TERRAN_ZR_0_FEM : VN_UNIT_TYPE_TERRAN_ZR_0;
  c.dwPlayer = human->dwId;
  c.vPos = kRecruitPlace;
  c.nBinding = 1;
  c.vDir = {0.0f, 1.0f, 0.0f};
  return vnUNITMAN_CreateUnit(&c, nullptr);
}

int32_t vnTERUNIT_SuitDestroyed(VNTERUNIT* s, int32_t sparePilot) {
  if (s->modeFlags & VNTERUNIT_MF_SUIT_DESTROYED) return 1;
  s->modeFlags |= VNTERUNIT_MF_SUIT_DESTROYED;
  if (s->flightSound >= 0) vnSOUND_StopChannel(s->flightSound);
  s->flightSound = -1;
  if (s->exertionFx) vnFX_AttachNodeRelease(s->exertionFx);
  s->exertionFx = nullptr;
  if (SPW_DOBJECT* model = vnUNIT_FirstObject(s->unit)) model->fFlags |= SPW_DOBJ_HIDDEN;
  if (!Wreck(s)) return 0;
  vnUNIT_SetObjectFlag08(s->unit, 0);
  vnUNIT_SetObjectFlag10(s->unit, 0);
  if (VNUNIT* pilot = Pilot(s); pilot && !sparePilot) KillPilot(pilot);
  return 1;
}
