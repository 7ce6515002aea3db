#include "tests/world/combat/combat_fixture.h"

#include <cstring>

namespace ct {

std::vector<Received> CombatTest::received;
std::map<std::pair<const VNUNIT*, int32_t>, int32_t> CombatTest::answers;

namespace {

struct ControllerData {
  VNUNIT* unit;
};

SGE_RESULT Controller(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  if (msg < SGM_KERNEL_BAND_END) return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
  const VNUNIT* unit = SGE_TaskData<ControllerData>(task)->unit;
  Received r{unit, msg, p1, {}};
  if (msg == SGM_UNIT_DAMAGED) r.damage = *SGE_ParamPtr<const VNDAMAGE>(p2);
  CombatTest::received.push_back(r);
  const auto it = CombatTest::answers.find({unit, msg});
  return it == CombatTest::answers.end() ? 0 : it->second;
}

}  // namespace

void CombatTest::SetUp() {
  received.clear();
  answers.clear();
  ASSERT_EQ(SGE_InitMemoryAndKernel(0), 1);
  ASSERT_EQ(SPW_CreateEngineBlocks(), 1);
  ASSERT_EQ(SGE_RegisterTaskType(kControllerType, Controller, SGE_TTF_ZERO_DATA,
                                 sizeof(ControllerData), "CombatRecorder"),
            1);
  SGE_InitFrameTiming();
  VNWRITE_WEAPONMODS mods;
  mods.rowOfType.fill(-1);
  mods.colOfType.fill(-1);
  mods.rowOfType[kWeaponType] = 4;
  mods.colOfType[kModifiedTarget] = 7;
  mods.matrix[4][7] = 2.0f;
  ASSERT_TRUE(vnWRITE_WeaponMods(dir_.path(), mods));
  ASSERT_EQ(vnUNITMAN_LoadWeaponMods(), 1);
}

void CombatTest::TearDown() {
  SGE_ShutdownKernelAndMemory();
  received.clear();
  answers.clear();
}

VNUNIT* CombatTest::Unit(int32_t type, uint32_t flags, SPW_VECTOR pos) {
  VNUNIT& u = units_.emplace_back();
  u.dwId = nextId_++;
  u.nType = type;
  u.dwFlags = flags;
  u.vPos = pos;
  u.fRadius = 1.0f;
  u.pController = SGE_CreateTask(kControllerType, nullptr, nullptr, 0, 0);
  SGE_TaskData<ControllerData>(u.pController)->unit = &u;
  return &u;
}

VNUNIT* CombatTest::Weapon(float health, float armour, float range, float divisor,
                           float impulse, uint32_t flags) {
  VNUNIT* w = Unit(kWeaponType, flags);
  SetHealthArmour(w, health, armour);
  vnUNIT_SetAttrFloat(w, VN_ATTR_RANGE, range);
  vnUNIT_SetAttrFloat(w, VN_ATTR_DIVISOR, divisor);
  vnUNIT_SetAttrFloat(w, VN_ATTR_IMPULSE, impulse);
  return w;
}

std::vector<Received> CombatTest::Got(const VNUNIT* u, int32_t msg) const {
  std::vector<Received> out;
  for (const Received& r : received)
    if (r.unit == u && r.msg == msg) out.push_back(r);
  return out;
}

}  // namespace ct
