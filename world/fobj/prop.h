#pragma once
// Props: rocks, gibs, wrecked vehicles, drums and fungus that stand about the scenery and can
// be thrown (they fly, bounce and come to rest), carried at a unit's locator, or burst.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/math/vecmath.h"
#include "world/unitman/unitclass.h"

struct SPW_DOBJECT;
struct VNUNIT;

// Messages of the prop class, beside the common unit-controller protocol.
constexpr int32_t SGM_PROP_LAUNCH = 7187;    // p1 a VNPROP_LAUNCH
constexpr int32_t SGM_PROP_HOLD = 7188;      // p1 the holder's unit id; 0 when refused
constexpr int32_t SGM_PROP_RELEASE = 7189;   // the holder lets go: it falls from there
constexpr int32_t SGM_PROP_BURST = 7190;
constexpr int32_t SGM_PROP_COLLAPSE = 7191;

// Prop flags.
constexpr uint32_t VNPROP_F_FLYING = 0x1;
constexpr uint32_t VNPROP_F_HELD = 0x2;      // rides the holder's locator
constexpr uint32_t VNPROP_F_QUIET = 0x8;     // bursts without the air explosion
constexpr uint32_t VNPROP_F_COLLAPSED = 0x10;
constexpr uint32_t VNPROP_F_BURST = 0x20;
constexpr uint32_t VNPROP_F_TRAIL = 0x400;   // drags a smoke trail while it flies
// What a launch may set.
constexpr uint32_t VNPROP_LAUNCH_FLAGS = VNPROP_F_QUIET | VNPROP_F_TRAIL;

constexpr float VNPROP_GRAVITY = 9.8f;
// A prop that meets a surface at this speed or less stays there.
constexpr float VNPROP_REST_SPEED = 2.0f;
// The share of its speed a bounce keeps.
constexpr float VNPROP_BOUNCE = 0.25f;
// A prop this far below the terrain has fallen out of the world.
constexpr float VNPROP_LOST_DEPTH = 10.0f;
constexpr float VNPROP_ROCK_SCALE = 1.4f;
constexpr uint32_t VNPROP_TRAIL_MS = 80;
constexpr char VNPROP_HOLD_LOCATOR[] = "p";

struct VNPROP_LAUNCH {
  SPW_VECTOR vVelocity;
  SPW_VECTOR vSpinAxis;
  float fSpin;  // radians per second
  uint32_t dwFlags;  // of VNPROP_LAUNCH_FLAGS
};

// The controller's instance.
struct VNPROP {
  VNUNIT* pUnit;
  SPW_DOBJECT* pObject;
  SPW_TRANSFORM t;
  float fTurn;  // about z, from creation
  SPW_VECTOR vVelocity;
  SPW_VECTOR vSpinAxis;
  float fSpin;
  float fAngle;  // about the spin axis, in [0, 2 pi)
  uint32_t dwFlags;
  uint32_t dwHolder;  // unit id
  SGE_TIMER* pFlight;  // frame timer while it flies
  SGE_TIMER* pTrailTimer;
  SGE_DATAREF* pTrail;  // the smoke trail's shared record while it flies
};

SGE_RESULT vnPROP_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                          SGE_PARAM p2);

// The class's row of the unit class table.
inline constexpr VNUNIT_CLASSROW VNPROP_CLASSROW{VNTT_PE_PROP, vnPROP_Handler, sizeof(VNPROP)};
