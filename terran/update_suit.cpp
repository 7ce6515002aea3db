// A powered suit destroyed: the suit goes, and its pilot climbs out where it stood, alive when
// the suit fell on its feet, dead at once when it came down from a jump.
#include <algorithm>

#include "effects/weapon.h"
#include "engine/dobject/dobject.h"
#include "shell/sound/sound.h"
#include "terran/behave.h"
#include "terran/handler.h"
#include "terran/update.h"
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

VNUNIT* Pilot(VNTERUNIT* s) {
  VNUNIT* pilot = vnTERUNIT_SpawnRecruit((s->unit->dwFlags & kFemale) ? 1 : 0);
  if (!pilot) return nullptr;
  // It takes the suit's place and facing, and the suit's record of its deeds.
  SPW_VECTOR place[2] = {s->unit->vPos, s->unit->pMove ? s->unit->pMove->vHeading : SPW_VECTOR{0, 1, 0}};
  vnTERUNIT_SendUnit(pilot, SGM_UNIT_SET_POSITION_FACING, SGE_PtrParam(&place[0]),
                     SGE_PtrParam(&place[1]));
  int32_t base[VNTERUNIT_BASE_ATTRIBUTES];
  std::copy_n(s->baseAttributes, VNTERUNIT_BASE_ATTRIBUTES, base);
  base[VNTERUNIT_BASE_ARMOUR] = 0;  // out of the suit there is no armour
  vnTERUNIT_SendUnit(pilot, SGM_TERUNIT_SET_BASE_ATTRIBUTES, SGE_PtrParam(base));
  return pilot;
}

void KillPilot(VNUNIT* pilot) {
  vnUNIT_SetAttrFloat(pilot, VN_ATTR_HEALTH, 0.0f);
  vnUNIT_SetAttrFloat(pilot, VN_ATTR_ARMOUR, 0.0f);
  VNDAMAGE blow{};
  blow.fHealth = kFatalDamage;
  blow.vImpulse = {0.0f, 0.0f, kFatalForce};
  blow.nSourceType = -1;
  vnTERUNIT_SendUnit(pilot, SGM_UNIT_DAMAGED, 1, SGE_PtrParam(&blow));
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
  if (SPW_DOBJECT* model = vnUNIT_FirstObject(s->unit)) model->fFlags |= SPW_DOBJ_HIDDEN;
  if (VNUNIT* pilot = Pilot(s); pilot && !sparePilot) KillPilot(pilot);
  return 1;
}
