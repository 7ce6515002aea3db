#pragma once
// Pop-up training targets: a target rises when a soldier of the player's side comes near and
// lowers on command; a hit by a weapon the target is not meant for is reported to the mission,
// and a target shot down shows its damaged model.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/math/vecmath.h"
#include "world/unitman/unitclass.h"

struct SPW_DOBJECT;
struct VNMARKER;
struct VNUNIT;

constexpr int32_t SGM_POPTARGET_UP = 571;
constexpr int32_t SGM_POPTARGET_DOWN = 572;
constexpr int32_t SGM_POPTARGET_TOGGLE_BAR = 575;
constexpr int32_t SGM_POPTARGET_REMOVE = 576;
constexpr int32_t SGM_POPTARGET_RESET_PARTS = 578;
// Asked of a soldier's controller: 0 for the player's side.
constexpr int32_t SGM_UNIT_GET_SIDE = 597;

// How near a soldier raises a green target, and a blue or red one.
constexpr float VNPOPTARGET_GREEN_REACH = 60.0f;
constexpr float VNPOPTARGET_REACH = 30.0f;
// How long the bar stays up after it last showed.
constexpr float VNPOPTARGET_BAR_SECONDS = 30.0f;

struct VNPOPTARGET {
  VNUNIT* pUnit;
  SPW_DOBJECT* pModel;    // standing
  SPW_DOBJECT* pDamaged;  // hidden until the target is shot down
  SPW_TRANSFORM t;
  int32_t nUpAnim;
  int32_t nDownAnim;
  int32_t nDamagedDownAnim;
  VNMARKER* pBar;
  float fBarTimer;
  float fFullHealth;
  int32_t bUp;
  int32_t bDestroyed;
};

// Whether a hit by the unit type is one the target's type is meant for.
bool vnPOPTARGET_RightWeapon(int32_t targetType, int32_t sourceType);

SGE_RESULT vnPOPTARGET_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                               SGE_PARAM p2);

// The class's row of the unit class table.
inline constexpr VNUNIT_CLASSROW VNPOPTARGET_CLASSROW{
    VNTT_POPTARGET, vnPOPTARGET_Handler, sizeof(VNPOPTARGET), "POPTARGET"};
