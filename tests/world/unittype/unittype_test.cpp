// The unit type table: names, classes, model variants and the model names built from them.
#include <gtest/gtest.h>

#include <string>

#include "engine/kernel/tasktypes.h"
#include "world/unittype/attributes.h"
#include "world/unittype/unittype.h"

namespace {

TEST(UnitTypeTable, NamesFindTheirOwnIndexInAnyCase) {
  EXPECT_EQ(vnUNITMAN_FindTypeByName("vn_unit_type_pe_bughole"), VN_UNIT_TYPE_PE_BUGHOLE);
  EXPECT_EQ(VN_UNIT_TYPE_PE_BUGHOLE, 34);
  EXPECT_EQ(vnUNITMAN_FindTypeByName("VN_UNIT_TYPE_NO_SUCH_THING"), -1);
  EXPECT_EQ(vnUNITMAN_FindTypeByName(""), -1);
  EXPECT_EQ(vnUNITMAN_FindTypeByName(nullptr), -1);
  for (int32_t t = 0; t < VN_UNIT_TYPE_COUNT; ++t) {
    EXPECT_EQ(vnUNITMAN_FindTypeByName(vnUNITMAN_GetTypeInfo(t)->pszName), t) << t;
  }
  EXPECT_STREQ(vnUNITMAN_GetTypeInfo(VN_UNIT_TYPE_TERRAN_ZR_TOBRIN)->pszName,
               "VN_UNIT_TYPE_TERRAN_ZR_TOBRIN");
  EXPECT_EQ(vnUNITMAN_GetTypeInfo(VN_UNIT_TYPE_FREE), nullptr);
  EXPECT_EQ(vnUNITMAN_GetTypeInfo(-1), nullptr);
}

TEST(UnitTypeTable, EveryDefaultWeaponIsOneItsSoldierCanHold) {
  for (int32_t t = 0; t < VN_UNIT_TYPE_COUNT; ++t) {
    const VNUNIT_TYPE* e = vnUNITMAN_GetTypeInfo(t);
    for (int32_t linked : e->anLinked) {
      EXPECT_TRUE(linked >= -1 && linked < VN_UNIT_TYPE_COUNT) << t;
    }
    const int32_t weapon = e->anLinked[0];
    if (weapon >= 0) {
      EXPECT_NE(vnUNITTYPE_SharedFlags(t, weapon), 0) << t << " holds " << weapon;
    }
  }
}

TEST(UnitTypeTable, ClassesFollowTheGroupsOfTypes) {
  struct Case {
    int32_t type;
    int32_t classId;
  } cases[] = {
      {VN_UNIT_TYPE_AMMO_ENERGY_CELL_0, VNTT_AMMO},
      {VN_UNIT_TYPE_AMMO_SNIPER_BULLET, VNTT_AMMO},
      {VN_UNIT_TYPE_BUG_GRAVEN, VNTT_BUG_CORTEX},
      {VN_UNIT_TYPE_BUG_PSYCHO_WORKER, VNTT_BUG_WORKER},
      {VN_UNIT_TYPE_PE_BUGHOLE, VNTT_BUGHOLE},
      {VN_UNIT_TYPE_PE_FUNG, VNTT_PE_PROP},
      {VN_UNIT_TYPE_SUIT_COMMAND_2_FEM, VNTT_SUIT_COMMAND},
      {VN_UNIT_TYPE_TERRAN_COMBATENG, VNTT_TERRAN_COMBATENG},
      {VN_UNIT_TYPE_WEAPON_CHAINCANNON_1, VNTT_WEAPON_CHAINCANNON},
      {VN_UNIT_TYPE_TECH_COMBAT_HARNESS, VNTT_TECH_COMBAT_HARNESS},
      {VN_UNIT_TYPE_TECH_TARGETING_SYSTEM_1, 0},
      {VN_UNIT_TYPE_TECH_COMBAT_BOOSTER_2, 0},
      {VN_UNIT_TYPE_TERRAN_ZR_HALVICK, VNTT_TERRAN_INFANTRY},
  };
  for (const Case& c : cases) EXPECT_EQ(vnUNITMAN_GetTypeInfo(c.type)->nClassId, c.classId) << c.type;
}

TEST(UnitTypeFlags, VariantBitsNameTheModelVariant) {
  EXPECT_EQ(vnUNITTYPE_SharedFlags(VN_UNIT_TYPE_SUIT_COMMAND_0, VN_UNIT_TYPE_WEAPON_LIGHTRIFLE_0), 0);
  EXPECT_EQ(vnUNITTYPE_SharedFlags(VN_UNIT_TYPE_SUIT_BRAKKAR_0, VN_UNIT_TYPE_WEAPON_CHAINCANNON_0), 0x8);
  EXPECT_EQ(vnUNITTYPE_SharedFlags(VN_UNIT_TYPE_FREE, VN_UNIT_TYPE_WEAPON_CHAINCANNON_0), 0);
  struct Case {
    int32_t flags;
    int32_t index;
    const char* name;
  } cases[] = {{0x5, 2, "h3"}, {0, -1, ""}, {0x1, 0, "h1"}, {0xC, 3, "h4"}, {0x10, 4, ""},
               {static_cast<int32_t>(0x80000000u), 31, ""}};
  for (const Case& c : cases) {
    EXPECT_EQ(vnUNITTYPE_FlagBitIndex(c.flags), c.index) << c.flags;
    EXPECT_STREQ(vnUNITTYPE_FlagBitName(c.flags), c.name) << c.flags;
  }
}

TEST(UnitTypeModels, NamesAreBuiltFromPrefixVariantAndRank) {
  // No attribute rows loaded: the rank reads as 0.
  EXPECT_STREQ(vnUNITMAN_BuildPowName(VN_UNIT_TYPE_SUIT_COMMAND_2, 0x4, "m", ""),
               "Export/POWs/h3_tcom31m.pow");
  EXPECT_STREQ(vnUNITMAN_BuildPowName(VN_UNIT_TYPE_WEAPON_LIGHTCANNON_1, 0xC, "h", "L"),
               "Export/POWs/h4_wlc1hL.pow");
  EXPECT_STREQ(vnUNITMAN_BuildPowPath(VN_UNIT_TYPE_TERRAN_COMBATENG, nullptr, "eermanims"),
               "Export/POWs/tengineermanims.pow");
  EXPECT_STREQ(vnUNITMAN_BuildPowPath(VN_UNIT_TYPE_TERRAN_MEDIC, "fe", "hsetup"),
               "Export/POWs/tmedicfehsetup.pow");
  EXPECT_STREQ(vnUNITMAN_BuildPowName(VN_UNIT_TYPE_FREE, 1, "m", ""), "");
  const std::string longText(400, 'x');
  EXPECT_STREQ(vnUNITMAN_BuildPowPath(VN_UNIT_TYPE_TERRAN_MEDIC, longText.c_str(), ""), "");
}

TEST(UnitTypeKinds, PropsAndDebrisAreTheirRanges) {
  for (int32_t t = 0; t < VN_UNIT_TYPE_COUNT; ++t) {
    const bool prop = (t >= 51 && t <= 54) || (t >= 57 && t <= 59);
    const bool debris = (t >= 51 && t <= 54) || t == 59;
    EXPECT_EQ(vnUNITTYPE_IsSceneryProp(t), prop) << t;
    EXPECT_EQ(vnUNITTYPE_IsDebris(t), debris) << t;
  }
}

}  // namespace
