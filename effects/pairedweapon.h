#pragma once
// The double weapon: a unit that lets a soldier carry two guns of one type, one in each hand. It
// has no gun of its own; it makes the two guns as its own weapons and passes each message on to
// both (the capture guns fire one after the other). To its guns it is the holder; the weapon
// side of the contract steps over it to the soldier.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/kernel/tasktypes.h"
#include "world/unitman/unitclass.h"

struct VNUNIT;
struct SPW_DOBJECT;

struct VNPAIREDWEAPON {
  VNUNIT* pUnit;
  SPW_DOBJECT* pObject;  // the pair has no model of its own: normally none
  int32_t nRoundType;
  VNUNIT* apGuns[2];     // left, right
  int32_t nGunType;
};

SGE_RESULT vnPAIREDWEAPON_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                                  SGE_PARAM p2);

inline constexpr VNUNIT_CLASSROW VNPAIREDWEAPON_CLASSROW{
    VNTT_WEAPON_CLASS1DOUBLE, vnPAIREDWEAPON_Handler, sizeof(VNPAIREDWEAPON)};
