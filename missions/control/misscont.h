#pragma once
// What the world framework asks of the running mission: its controller task, the terrain of
// its scene and its platoon. The world loader fills the mission world record when a mission's
// world is up and clears it when the world goes.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/math/vecmath.h"

struct SPW_SCENE;
struct VNPLATOON;

// The terrain's top is raised by this much for everything that flies over it.
constexpr float VNMISSCONT_BOUNDS_HEADROOM = 1000.0f;

struct VNMISSION_WORLD {
  SGE_TASK* pController;  // the mission controller, or null
  SPW_SCENE* pScene;
  VNPLATOON* pPlatoon;
};

// Null clears the record.
void vnMISSCONT_SetWorld(const VNMISSION_WORLD* world);

// The mission controller task while a mission runs, else null.
SGE_TASK* vnMISSCONT_GetTask();
// The platoon being played, or null.
VNPLATOON* vnMISSCONT_GetPlatoon();
// The corners of the mission scene's terrain, the top raised by the headroom; 0 without one.
int32_t vnMISSCONT_GetTerrainBounds(SPW_VECTOR* min, SPW_VECTOR* max);
// The running mission's smoke-trail task, or null.
SGE_TASK* vnMISSCONT_GetSmokeTrailTask();
// The running mission's scene, or null.
SPW_SCENE* vnMISSCONT_GetScene();

// 1 while the mission is in play, else 0.
int32_t vnMISSCONT_GetPlayState();
void vnMISSCONT_SetPlayState(int32_t inPlay);

// The gravity of every mission, metres a second squared.
constexpr float VNMISSCONT_GRAVITY = 9.8f;
float vnMISSCONT_GetGravity();

// Mission events the controller passes on to the mission script.
constexpr int32_t SGM_VN_MISSCONT_EVENT_FEATURE_KILLED = 2331;  // p1 unit id, p2 unit type
