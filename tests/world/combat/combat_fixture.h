#pragma once
// A started kernel, hand-made unit records and recording controller tasks whose answers the
// test sets, and a weapon modifier table of the test's own.
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <vector>

#include "engine/kernel/frametime.h"
#include "engine/kernel/kernel.h"
#include "engine/memory/memblock.h"
#include "tests/support/support.h"
#include "tools/writers/unitattr_writer.h"
#include "world/combat/combat.h"
#include "world/unitman/unitman.h"

namespace ct {

constexpr int32_t kControllerType = 498;
constexpr int32_t kWeaponType = 60;
constexpr int32_t kTargetType = 2;
constexpr int32_t kModifiedTarget = 3;  // the weapon hurts it twice as hard

struct Received {
  const VNUNIT* unit;
  int32_t msg;
  SGE_PARAM p1;
  VNDAMAGE damage;  // SGM_UNIT_DAMAGED only
};

class CombatTest : public ::testing::Test {
 public:
  static std::vector<Received> received;
  // Answers by unit and message; 0 for anything not set.
  static std::map<std::pair<const VNUNIT*, int32_t>, int32_t> answers;

 protected:
  void SetUp() override;
  void TearDown() override;

  // A unit with a controller task that records its messages.
  VNUNIT* Unit(int32_t type, uint32_t flags, SPW_VECTOR pos = {0, 0, 0});
  // A weapon dealing these amounts: range, divisor and impulse as given.
  VNUNIT* Weapon(float health, float armour, float range = 0, float divisor = 1,
                 float impulse = 0, uint32_t flags = VNUNIT_F_WEAPON);
  static float Health(const VNUNIT* u) { return vnUNIT_AttrFloat(u, VN_ATTR_HEALTH); }
  static float Armour(const VNUNIT* u) { return vnUNIT_AttrFloat(u, VN_ATTR_ARMOUR); }
  static void SetHealthArmour(VNUNIT* u, float health, float armour) {
    vnUNIT_SetAttrFloat(u, VN_ATTR_HEALTH, health);
    vnUNIT_SetAttrFloat(u, VN_ATTR_ARMOUR, armour);
  }
  // The messages one unit's controller got, of one number.
  std::vector<Received> Got(const VNUNIT* u, int32_t msg) const;

  vntest::TempDir dir_;
  vntest::ScopedWorkingDir cwd_{dir_.path()};
  std::deque<VNUNIT> units_;
  uint32_t nextId_ = 1;
};

}  // namespace ct
