#pragma once
// Shockwaves: a pool of entries, each a flash sphere and a ring that grow from a point and fade
// out. The owner makes the pool, starts waves in it, advances it each frame and frees it.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/math/vecmath.h"

struct SPW_DOBJECT;

constexpr const char* VNSHOCKWAVE_SPHERE_FILE = "Export/Pows/sphere.pow";
constexpr const char* VNSHOCKWAVE_RING_FILE = "Export/Pows/shockwave.pow";
constexpr int32_t VNSHOCKWAVE_UNUSED_WORDS = 5;

// What a wave does.
struct VNSHOCKWAVE {
  SGE_TASK* pOwner;       // on whose behalf it runs
  int32_t nKind;
  float fRadius;          // the ring's radius at the end
  uint32_t adwUnused[VNSHOCKWAVE_UNUSED_WORDS];
  int32_t nSegments;
  float fStartScale;      // the sphere's scale at the start
  float fEndScale;        // ... and at the end of its growth
  int32_t nDelayFrames;   // frames before it shows
  uint32_t dwFlags;
  float fGrowSeconds;     // how long the sphere and the ring grow
  float fFadeSeconds;     // how long the wave takes to fade out, from its start
  int32_t nRings;
  float fFadeRate;        // alpha lost per second once grown, in 0-255 steps
  SPW_VECTOR vPos;
};

// One entry of a pool.
struct VNSHOCKWAVE_ENTRY {
  VNSHOCKWAVE wave;
  SPW_DOBJECT* pSphere;  // null when its model did not load
  SPW_DOBJECT* pRing;
  float fElapsed;
  int32_t nDelay;
  int32_t bActive;
};

// When *pool is null: count entries with both models in each; 1, else 0 (already made, no
// memory or no count).
int32_t vnShockwave_CreatePool(VNSHOCKWAVE_ENTRY** pool, int32_t count);
// Starts the wave in the first idle entry (none when every entry is busy); 0 without a pool.
int32_t vnShockwave_Start(VNSHOCKWAVE_ENTRY* pool, const VNSHOCKWAVE* wave, int32_t count);
// Advances every active entry by the frame time; 0 without a pool.
int32_t vnShockwave_UpdatePool(VNSHOCKWAVE_ENTRY* pool, int32_t count);
// Shows every active entry that is past its delay (the mission scene draws its objects); 0
// without a pool.
int32_t vnShockwave_DrawPool(VNSHOCKWAVE_ENTRY* pool, int32_t count);
// Destroys every entry's objects, frees the pool and nulls the pointer; 0 when it was null.
int32_t vnShockwave_FreePool(VNSHOCKWAVE_ENTRY** pool, int32_t count);
