// The primary weapon a soldier claims.
#include "terran/weapons.h"

#include <gtest/gtest.h>

#include "terran/terunit.h"
#include "world/unittype/unittype.h"

namespace {

struct CLAIMCASE {
  const char* name;
  int32_t primary;  // doubleWeaponId before
  int32_t type;
  int32_t answer;
  int32_t after;
};

TEST(ClaimPrimary, OnlyAPlainWeaponBecomesTheFirstPrimary) {
  const CLAIMCASE cases[] = {
      {"a rifle without a primary", -1, VN_UNIT_TYPE_WEAPON_LIGHTRIFLE_0, 1, 7},
      {"a rifle over a primary", 3, VN_UNIT_TYPE_WEAPON_LIGHTRIFLE_0, 0, 3},
      {"the revolver answers 1 and is not kept", -1, VN_UNIT_TYPE_WEAPON_REVOLVER, 1, -1},
      {"the mine", -1, VN_UNIT_TYPE_WEAPON_MINE, 0, -1},
      {"the micro rockets", -1, VN_UNIT_TYPE_WEAPON_MICROROCKETS, 0, -1},
      {"the shock tool", -1, VN_UNIT_TYPE_WEAPON_ENGSHOCK, 0, -1},
      {"the revolver over a primary", 3, VN_UNIT_TYPE_WEAPON_REVOLVER, 0, 3},
  };
  for (const CLAIMCASE& c : cases) {
    VNTERUNIT record{};
    record.doubleWeaponId = c.primary;
    EXPECT_EQ(vnWEAPON_ClaimPrimary(&record, c.type, 7), c.answer) << c.name;
    EXPECT_EQ(record.doubleWeaponId, c.after) << c.name;
  }
}

}  // namespace
