// Suit tiers by unit type.
#include "terran/terunit.h"

#include "world/unittype/unittype.h"

int32_t vnTERUNIT_GetSuitTier(int32_t type) {
  switch (type) {
    case VN_UNIT_TYPE_SUIT_COMMAND_0:
    case VN_UNIT_TYPE_SUIT_COMMAND_0_FEM:
    case VN_UNIT_TYPE_SUIT_BRAKKAR_0:
    case VN_UNIT_TYPE_SUIT_BRAKKAR_0_FEM:
    case VN_UNIT_TYPE_SUIT_SCOUT_0:
    case VN_UNIT_TYPE_SUIT_SCOUT_0_FEM:
    case VN_UNIT_TYPE_TERRAN_COMBATENG:
    case VN_UNIT_TYPE_TERRAN_COMBATENG_FEM:
      return VNTERUNIT_TIER_BASIC;
    case VN_UNIT_TYPE_SUIT_COMMAND_1:
    case VN_UNIT_TYPE_SUIT_COMMAND_1_FEM:
    case VN_UNIT_TYPE_SUIT_BRAKKAR_1:
    case VN_UNIT_TYPE_SUIT_BRAKKAR_1_FEM:
    case VN_UNIT_TYPE_SUIT_SCOUT_1:
    case VN_UNIT_TYPE_SUIT_SCOUT_1_FEM:
      return VNTERUNIT_TIER_ADVANCED;
    default:
      return VNTERUNIT_TIER_OTHER;
  }
}
