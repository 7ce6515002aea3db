#pragma once
// Fly-bys: a task that a mission script makes to fly one to three aircraft across the map over
// a point, from a corner of the terrain, with their sound, ground shadows, engine smoke or
// thruster flames. When the pass is over it tells the mission script and ends itself.
// Main thread only.
#include <cstdint>

#include "effects/smoketrail.h"
#include "engine/kernel/kernel.h"
#include "engine/kernel/tasktypes.h"
#include "engine/math/vecmath.h"
#include "world/unitman/unitclass.h"

struct SPW_DOBJECT;
struct VNFX_ATTACHNODE;
struct VNSHADOW;

// Message of the task: starts the pass (the task sends it to itself at creation).
constexpr int32_t SGM_FLYBY_START = 572;
// To the running mission script when the pass is over (p1 0, p2 0).
constexpr int32_t SGM_VN_FLYBY_DONE = 7188;

// Kinds (p2 of the creation; p1 is the reference point, three floats).
constexpr int32_t VNFLYBY_FIGHTERS = 0;  // one to three fighters
constexpr int32_t VNFLYBY_DS10 = 1;      // a dropship with thruster flames
constexpr int32_t VNFLYBY_UNSEEN = 2;    // only the sound of a plane

constexpr int32_t VNFLYBY_MAX_PLANES = 3;
constexpr int32_t VNFLYBY_ENGINES = 2;  // smoke trails of a fighter

// The node value the thruster draw answers to.
constexpr int32_t VNFLYBY_NODE_VALUE = 1;

// The pass flies 1200 units at the kind's speed.
constexpr float VNFLYBY_PASS_DISTANCE = 1200.0f;

struct VNFLYBY_PLANE {
  SPW_DOBJECT* pObject;  // none for kind 2 or without a model
  VNSHADOW* pShadow;
  SPW_VECTOR vPos;
  SPW_VECTOR vVelocity;
};

// The task's instance.
struct VNFLYBY {
  int32_t nModelType;  // SPW_NO_OBJECT_TYPE without a model
  int32_t nKind;
  int32_t nPlanes;
  SGE_TIMER* pTimer;
  SPW_VECTOR vReference;
  int32_t bActive;
  int32_t nSoundChannel;  // -1 none
  float fElapsed;
  float fPassLength;  // seconds
  int32_t bDone;
  float fSpeed;
  VNFLYBY_PLANE aPlanes[VNFLYBY_MAX_PLANES];
  int32_t anThrusterTexture[2];  // the flames, the flash
  VNFX_ATTACHNODE* pThrusterNode;
  int32_t nThrusterFrame;
  int32_t nDrawCount;
  float fFlickerCountdown;
  VNSMOKETRAIL* apTrails[VNFLYBY_MAX_PLANES][VNFLYBY_ENGINES];
  SPW_VECTOR avEngineOffset[VNFLYBY_MAX_PLANES][VNFLYBY_ENGINES];
  float fTrailTimer;
};

SGE_RESULT vnFlyBy_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                           SGE_PARAM p2);

// The class's row of the unit class table.
inline constexpr VNUNIT_CLASSROW VNFLYBY_CLASSROW{VNTT_FLYBY, vnFlyBy_Handler, sizeof(VNFLYBY)};
