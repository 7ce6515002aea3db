#pragma once
// Particle jets: steady sources of smoke, steam and fire. One manager task of the mission owns
// every emitter; a client adds one with a request and keeps the emitter it gets back, through
// which it may stop it (VNJET_F_STOPPED: it ends after its last particle) or change its rate.
// Each emitted particle is a sprite of the emitter's effect class that moves, spins, grows and
// fades by the emitter's flags until its life or its frames run out.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/math/vecmath.h"
#include "engine/memory/lists.h"

struct SPW_SPRITESET;

constexpr int32_t SGM_EFFECT_ADD = 7187;      // p1 a VNJET_REQUEST; the new VNJET, or null
constexpr int32_t SGM_EFFECT_REMOVE = 7188;   // p1 a VNJET: it and its particles go
constexpr int32_t SGM_EFFECT_REMOVE_SCENERY = 7189;  // every emitter with VNJET_F_SCENERY goes
constexpr int32_t SGM_EFFECT_MOVE = 7190;     // p1 a VNJET, p2 a point: the emitter moves there

// Request flags.
constexpr uint32_t VNJET_F_FRAMES = 0x1;     // a particle ends at its sprite's last frame
constexpr uint32_t VNJET_F_LIFE = 0x2;       // a particle ends when its age passes the life
constexpr uint32_t VNJET_F_GRAVITY = 0x4;
constexpr uint32_t VNJET_F_FORCE = 0x8;      // the force adds to the velocity
constexpr uint32_t VNJET_F_WIND = 0x10;      // the velocity is dragged towards the wind
constexpr uint32_t VNJET_F_SPIN = 0x20;
constexpr uint32_t VNJET_F_GROWTH = 0x40;
constexpr uint32_t VNJET_F_FADE = 0x80;      // by age with VNJET_F_LIFE, else by frame
constexpr uint32_t VNJET_F_OWN_HEIGHT = 0x100;  // the height varies by its own variance
constexpr uint32_t VNJET_F_PLAIN = 0x200;    // particles are not drawn additively
constexpr uint32_t VNJET_F_SCENERY = 0x400;  // placed with the scenery; SGM_EFFECT_REMOVE_SCENERY
constexpr uint32_t VNJET_F_RAMP = 0x1000;    // the rate grows over the ramp time, then it stops
constexpr uint32_t VNJET_F_FORCE_DRAG = 0x2000;  // the velocity is dragged towards the force
constexpr uint32_t VNJET_F_BOX = 0x4000;     // particles start on the segment between corners
constexpr uint32_t VNJET_F_STOPPED = 0x8000; // no more particles; gone after the last one

// The request, in the order clients fill it.
struct VNJET_REQUEST {
  uint32_t dwFlags;
  SPW_VECTOR vPos;     // in box mode the first corner
  SPW_VECTOR vCorner;  // the second corner
  SPW_VECTOR vDir;
  float fSpread;       // the direction turns by up to spread x pi about x and about y
  float fSpeed, fSpeedVar;
  float fSize, fSizeVar, fHeightVar;
  SPW_SPRITESET* pSet;  // an effect class
  int32_t nFrames;
  float fRate;          // particles a second
  float fLife;          // seconds
  SPW_VECTOR vForce;
  float fWindDrag;
  float fForceDrag;
  float fSpinMin, fSpinMax;
  float fGrowth;
  float fRampTime;      // seconds
};

struct VNJET_MANAGER;

struct VNJET {
  SGE_DLLNODE link;
  SGE_DLLNODE particles;
  VNJET_REQUEST req;  // the client may set its stop flag and its rate
  float fAccumulator;
  float fDistanceFactor;
  float fRampElapsed;
  VNJET_MANAGER* pManager;
};

struct VNJET_MANAGER {
  SGE_TASK* pTask;
  SGE_DLLNODE emitters;
  SGE_TIMER* pTimer;
  float fQuality;  // the share of the nominal rate the effects detail allows
};

int32_t vnPARTICLEJET_Register();
// The live particles of an emitter.
int32_t vnPARTICLEJET_CountParticles(const VNJET* jet);
