#pragma once
// Drop capsules and doors: a door model of one of seven kinds that opens and closes (animated,
// or straight into its end pose), may hold a gate of the path network shut while it is not open,
// carries a health bar, and when destroyed while closed blows up, fades and removes its unit.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/math/vecmath.h"
#include "world/unitman/unitclass.h"

struct BSTAR_Link;
struct SPW_DOBJECT;
struct VNMARKER;
struct VNUNIT;

// Messages of the class beside the common unit-controller protocol.
constexpr int32_t SGM_CAPSULE_TOGGLE_DOOR = 559;
constexpr int32_t SGM_CAPSULE_OPEN = 571;   // p1 1 animates, anything else sets the end pose
constexpr int32_t SGM_CAPSULE_CLOSE = 572;  // the same
constexpr int32_t SGM_CAPSULE_SET_LINK = 573;  // p1 the path-network link the door holds
constexpr int32_t SGM_CAPSULE_TOGGLE = 575;    // shows or hides the status bar
constexpr int32_t SGM_CAPSULE_REMOVE = 576;
constexpr int32_t SGM_CAPSULE_SET_VALUE = 577;
constexpr int32_t SGM_CAPSULE_RESET_PARTS = 578;
constexpr int32_t SGM_CAPSULE_IS_OPEN = 579;

// Door kinds, from the first trailing word of the creation record.
constexpr int32_t VNDOOR_KINDS = 7;
constexpr int32_t VNDOOR_KIND_FORT = 2;
constexpr int32_t VNDOOR_KIND_GATE = 4;

// Door flags.
constexpr uint32_t VNDOOR_F_OPEN = 0x1;
constexpr uint32_t VNDOOR_F_FADING = 0x8;

// The fade of the explosion: from this level down by this much a second (2.5 seconds).
constexpr float VNDOOR_FADE_START = 100.0f;
constexpr float VNDOOR_FADE_PER_SECOND = 40.0f;

struct VNDOOR {
  VNUNIT* pUnit;
  SPW_DOBJECT* pModel;
  SPW_TRANSFORM t;
  int32_t nKind;
  int32_t nOpenAnim;
  int32_t nCloseAnim;
  int32_t nRunning;  // the animation under way, -1 none
  uint32_t dwFlags;  // VNDOOR_F_*
  float fFullHealth;
  VNMARKER* pBar;
  float fBarTimer;
  int32_t nValue;    // SGM_CAPSULE_SET_VALUE
  BSTAR_Link* pLink;
  SPW_DOBJECT* pExplosion;  // not in the unit's object list: its fade ends it early
  int32_t nExplosionAnim;
  float fFadeLevel;
  SPW_COLOUR fadeColour;
  int32_t bDestroyed;
};

SGE_RESULT vnDOOR_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                          SGE_PARAM p2);

// The class's row of the unit class table.
inline constexpr VNUNIT_CLASSROW VNDOOR_CLASSROW{
    VNTT_DROPCAPSULE, vnDOOR_Handler, sizeof(VNDOOR), "DROPCAPSULE"};
