// Suit tiers and the other unit-type groups of the soldier code.
#include "terran/terunit.h"

#include "world/unittype/unittype.h"

namespace {

bool Between(int32_t type, int32_t first, int32_t last) { return type >= first && type <= last; }

}  // namespace

int32_t vnTERUNIT_IsTier0Suit(int32_t type) {
  switch (type) {
    case VN_UNIT_TYPE_SUIT_COMMAND_0:
    case VN_UNIT_TYPE_SUIT_COMMAND_0_FEM:
    case VN_UNIT_TYPE_SUIT_BRAKKAR_0:
    case VN_UNIT_TYPE_SUIT_BRAKKAR_0_FEM:
    case VN_UNIT_TYPE_SUIT_SCOUT_0:
    case VN_UNIT_TYPE_SUIT_SCOUT_0_FEM:
    case VN_UNIT_TYPE_TERRAN_COMBATENG:
    case VN_UNIT_TYPE_TERRAN_COMBATENG_FEM:
      return 1;
    default:
      return 0;
  }
}

int32_t vnTERUNIT_IsTier1Suit(int32_t type) {
  switch (type) {
    case VN_UNIT_TYPE_SUIT_COMMAND_1:
    case VN_UNIT_TYPE_SUIT_COMMAND_1_FEM:
    case VN_UNIT_TYPE_SUIT_BRAKKAR_1:
    case VN_UNIT_TYPE_SUIT_BRAKKAR_1_FEM:
    case VN_UNIT_TYPE_SUIT_SCOUT_1:
    case VN_UNIT_TYPE_SUIT_SCOUT_1_FEM:
      return 1;
    default:
      return 0;
  }
}

int32_t vnTERUNIT_IsTier2SuitOnly(int32_t type) {
  switch (type) {
    case VN_UNIT_TYPE_SUIT_COMMAND_2:
    case VN_UNIT_TYPE_SUIT_COMMAND_2_FEM:
    case VN_UNIT_TYPE_SUIT_BRAKKAR_2:
    case VN_UNIT_TYPE_SUIT_BRAKKAR_2_FEM:
    case VN_UNIT_TYPE_SUIT_SCOUT_2:
    case VN_UNIT_TYPE_SUIT_SCOUT_2_FEM:
      return 1;
    default:
      return 0;
  }
}

int32_t vnTERUNIT_IsSuitTier2(int32_t type) {
  if (vnTERUNIT_IsTier2SuitOnly(type)) return 1;
  return Between(type, VN_UNIT_TYPE_SUIT_SCOUT_2, VN_UNIT_TYPE_TERRAN_CIVILIAN3_FEM) ||
         Between(type, VN_UNIT_TYPE_TERRAN_MEDIC, VN_UNIT_TYPE_TERRAN_ZR_DRAVIK) ||
         type == VN_UNIT_TYPE_TERRAN_ZR_COL_TOVAR ||
         Between(type, VN_UNIT_TYPE_TERRAN_ZOMBIE_ACTIVE, VN_UNIT_TYPE_TERRAN_CHILD) ||
         Between(type, VN_UNIT_TYPE_TERRAN_ZR_QUELLIN, VN_UNIT_TYPE_TERRAN_ZR_TOBRIN);
}

int32_t vnTERUNIT_IsCivilianKind(int32_t type) {
  return Between(type, VN_UNIT_TYPE_TERRAN_CIVILIAN, VN_UNIT_TYPE_TERRAN_CIVILIAN3_FEM) ||
         Between(type, VN_UNIT_TYPE_TERRAN_CAMERAMAN, VN_UNIT_TYPE_TERRAN_CHILD);
}

int32_t vnTERUNIT_CanManTurret(int32_t type) {
  switch (type) {
    case VN_UNIT_TYPE_TERRAN_ZR_0:
    case VN_UNIT_TYPE_TERRAN_ZR_0_FEM:
    case VN_UNIT_TYPE_TERRAN_ZOMBIE_ACTIVE:
    case VN_UNIT_TYPE_TERRAN_ZOMBIE_ACTIVE_FEM:
      return 1;
    default:
      return 0;
  }
}

int32_t vnTERUNIT_IsEngineer(int32_t type) {
  return type == VN_UNIT_TYPE_TERRAN_COMBATENG || type == VN_UNIT_TYPE_TERRAN_COMBATENG_FEM;
}

int32_t vnTERUNIT_GetSuitTier(int32_t type) {
  if (vnTERUNIT_IsTier0Suit(type)) return VNTERUNIT_TIER_BASIC;
  if (vnTERUNIT_IsTier1Suit(type)) return VNTERUNIT_TIER_ADVANCED;
  return VNTERUNIT_TIER_OTHER;
}
