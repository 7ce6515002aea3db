// What a weapon asks of and tells the units around it: their locator points, kill credit, and
// who may hold which weapon.
#include <initializer_list>

#include "effects/weapon.h"
#include "engine/dobject/dobject.h"
#include "frontend/platman.h"
#include "platform/trace.h"
#include "world/combat/combat.h"
#include "world/unitman/unitman.h"
#include "world/unittype/unittype.h"

namespace {

constexpr SPW_VECTOR kUp = {0.0f, 0.0f, 1.0f};

void AskAimPoint(VNUNIT* unit, SPW_VECTOR* outPos, SPW_VECTOR* outDir) {
  if (unit && unit->pController)
    SGE_Send(unit->pController, SGM_UNIT_GET_LOCATOR, SGE_PtrParam(outPos), 0);
  if (outDir) *outDir = kUp;
}

bool IsOneOf(int32_t type, std::initializer_list<int32_t> types) {
  for (int32_t t : types)
    if (t == type) return true;
  return false;
}

int32_t Points(const VNUNIT_ATTR* rows, int32_t weaponType, int32_t victimType) {
  if (weaponType == VN_UNIT_TYPE_WEAPON_SNIPER && victimType == VN_UNIT_TYPE_BUG_CORTEX)
    return VNWEAPON_SNIPER_CORTEX_POINTS;
  if (!rows || victimType < 0 || victimType >= VN_UNIT_TYPE_COUNT) return 0;
  const float points = static_cast<float>(vnUNITATTR_Int(rows[victimType], VNWEAPON_ATTR_POINTS));
  const bool turret = weaponType == VN_UNIT_TYPE_WEAPON_TWIN50 ||
                      weaponType == VN_UNIT_TYPE_WEAPON_TWIN80;
  return static_cast<int32_t>(points * (turret ? VNWEAPON_TURRET_POINT_SHARE : 1.0f));
}

}  // namespace

int32_t vnWEAPON_GetLocatorMatrix(VNUNIT* unit, int32_t* node, SPW_VECTOR* outPos,
                                  SPW_VECTOR* outDir) {
  SPW_DOBJECT* object = unit && unit->pController
                            ? SGE_Ask<SPW_DOBJECT>(unit->pController, SGM_UNIT_GET_OBJECT, 0, 0)
                            : nullptr;
  SPW_MATRIX m{};
  float scale = 1.0f;
  if (!object) {
    PLAT_Trace("[TERRANWEAPONS] Attempting to find locator on unit where primary object = NULL.\n");
  } else if (node && SPW_GetNodeWorldTransform(object, *node, &m, &scale)) {
    *outPos = {m.m[3][0], m.m[3][1], m.m[3][2]};
    if (outDir) *outDir = {m.m[0][0], m.m[0][1], m.m[0][2]};
    return 1;
  } else {
    PLAT_Trace("[TERRANWEAPONS] Have a locator ID, but cannot find locator matrix.\n");
  }
  if (node) *node = -1;
  AskAimPoint(unit, outPos, nullptr);
  return 0;
}

int32_t vnWEAPON_GetTargetPoint(VNUNIT* target, const SPW_VECTOR* shooter, int32_t* outNode,
                                SPW_VECTOR* outPos, SPW_VECTOR* outDir) {
  int32_t node = vnCOMBAT_PickRandomHitPoint(target, shooter, nullptr);
  if (outNode) *outNode = node;
  if (node >= 0) {
    vnWEAPON_GetLocatorMatrix(target, outNode ? outNode : &node, outPos, outDir);
    return 0;
  }
  AskAimPoint(target, outPos, outDir);
  return 1;
}

int32_t vnWEAPON_GetLocator(VNUNIT* unit, int32_t* node, SPW_VECTOR* outPos, SPW_VECTOR* outDir) {
  const bool dead = unit && unit->pController &&
                    SGE_Send(unit->pController, SGM_UNIT_IS_DEAD, 0, 0) == 1;
  if (node && *node != -1 && !dead) return vnWEAPON_GetLocatorMatrix(unit, node, outPos, outDir);
  AskAimPoint(unit, outPos, outDir);
  return 0;
}

void vnWEAPON_CreditKill(VNUNIT* weaponOrUnit, const VNUNIT* victim, int32_t weaponType,
                         int32_t victimType, int32_t mode) {
  VNUNIT* credited = mode == VNWEAPON_CREDIT_HOLDER ? vnWEAPON_GetHolder(weaponOrUnit)
                     : mode == VNWEAPON_CREDIT_UNIT ? weaponOrUnit
                                                    : nullptr;
  if (!credited || !credited->pController) return;
  VNWEAPON_CREDIT credit{};
  if (victim) {
    if (victimType == VN_UNIT_TYPE_PE_BUGHOLE)
      credit.nBugHoles += 1;
    else
      credit.nKills = 1;
    if (victimType != 0) credit.nPoints += Points(vnPLATMAN_GetAttributes(), weaponType, victimType);
  }
  SGE_Send(credited->pController, SGM_WEAPON_CREDIT_KILL, SGE_PtrParam(&credit), 0);
}

int32_t vnWEAPON_UnitCanUse(int32_t soldierType, int32_t slot, int32_t weaponType) {
  if (weaponType == VN_UNIT_TYPE_WEAPON_MINE) return soldierType == VN_UNIT_TYPE_TERRAN_COMBATENG;
  if (IsOneOf(soldierType, {VN_UNIT_TYPE_SUIT_COMMAND_0, VN_UNIT_TYPE_SUIT_COMMAND_0_FEM,
                            VN_UNIT_TYPE_SUIT_BRAKKAR_0, VN_UNIT_TYPE_SUIT_BRAKKAR_0_FEM,
                            VN_UNIT_TYPE_SUIT_SCOUT_0, VN_UNIT_TYPE_SUIT_SCOUT_0_FEM}))
    return slot == 0 || slot == 3;
  if (IsOneOf(soldierType, {VN_UNIT_TYPE_SUIT_COMMAND_1, VN_UNIT_TYPE_SUIT_COMMAND_1_FEM,
                            VN_UNIT_TYPE_SUIT_BRAKKAR_1, VN_UNIT_TYPE_SUIT_BRAKKAR_1_FEM,
                            VN_UNIT_TYPE_SUIT_SCOUT_1, VN_UNIT_TYPE_SUIT_SCOUT_1_FEM}))
    return !vnWEAPON_IsMissileLauncher(weaponType);
  if (IsOneOf(soldierType, {VN_UNIT_TYPE_TERRAN_ZOMBIE, VN_UNIT_TYPE_TERRAN_ZOMBIE_FEM})) return 0;
  return 1;
}

int32_t vnWEAPON_IsMissileLauncher(int32_t weaponType) {
  return weaponType >= VN_UNIT_TYPE_WEAPON_MISSILE_0 &&
                 weaponType <= VN_UNIT_TYPE_WEAPON_NUKEMISSILE_1
             ? 1
             : 0;
}

int32_t vnWEAPON_IsMarkOne(int32_t weaponType) {
  return IsOneOf(weaponType,
                 {VN_UNIT_TYPE_WEAPON_CHAINCANNON_1, VN_UNIT_TYPE_WEAPON_FLAME_1,
                  VN_UNIT_TYPE_WEAPON_GRENADE_1, VN_UNIT_TYPE_WEAPON_LIGHTCANNON_1,
                  VN_UNIT_TYPE_WEAPON_LIGHTRIFLE_1, VN_UNIT_TYPE_WEAPON_MISSILE_1,
                  VN_UNIT_TYPE_WEAPON_NUKEMISSILE_1, VN_UNIT_TYPE_WEAPON_PHEROMONE_1,
                  VN_UNIT_TYPE_WEAPON_PLASMACANNON_1, VN_UNIT_TYPE_WEAPON_PLASMAGUN_1,
                  VN_UNIT_TYPE_WEAPON_SPECIMENCAPTURE_1, VN_UNIT_TYPE_WEAPON_SHOTGUN_1,
                  VN_UNIT_TYPE_WEAPON_SMARTRIFLE_1})
             ? 1
             : 0;
}

VNUNIT* vnWEAPON_FindShockTool(const VNUNIT* unit) {
  if (!unit) return nullptr;
  for (VNUNIT* weapon : SGE_ListRecords<VNUNIT>(&unit->aChildren[VNUNIT_CHILD_WEAPONS]))
    if (weapon->nType == VN_UNIT_TYPE_WEAPON_ENGSHOCK) return weapon;
  return nullptr;
}
