#pragma once
// Ammunition: the rounds and items that weapons load. Such a unit is only its record; the weapon
// side of the contract (effects/weapon.h) counts and spends it.
#include "engine/kernel/kernel.h"
#include "engine/kernel/tasktypes.h"
#include "world/unitman/unitclass.h"

struct VNUNIT;

struct VNAMMO {
  VNUNIT* pUnit;
};

SGE_RESULT vnAMMO_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                          SGE_PARAM p2);

inline constexpr VNUNIT_CLASSROW VNAMMO_CLASSROW{VNTT_AMMO, vnAMMO_Handler, sizeof(VNAMMO)};
