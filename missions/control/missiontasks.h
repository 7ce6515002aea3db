#pragma once
// The tasks of the running mission that units and placed objects talk to: the mission script,
// the air-explosion and particle-jet effects, the ambush zones and the camera, with the camera's
// object and display. The mission controller sets each when it makes the task and clears it
// when the task goes; without one the message is not sent.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/math/vecmath.h"

// To the mission script: a door or pop-up target was destroyed (p1 unit id, p2 unit type).
constexpr int32_t SGM_VN_FEATURE_DESTROYED = 574;
// To the air-explosion task: p1 the request below starts an explosion there.
constexpr int32_t SGM_AIREXPLODE_START = 7187;
// To the camera: look at the point (p1), then follow it.
constexpr int32_t SGM_CAMERA_JUMP_TO = 1580;
constexpr int32_t SGM_CAMERA_FOLLOW = 1579;

struct VNAIREXPLODE_REQUEST {
  int32_t anKind[2];  // the effect's look, 0 for the plain burst
  float fSize;
  SPW_VECTOR vPos;
};

void vnMISSCONT_SetMissionTask(SGE_TASK* task);
// The running mission script, or null.
SGE_TASK* vnMISSCONT_GetMissionTask();
void vnMISSCONT_SetAirExplosionTask(SGE_TASK* task);
// The air-explosion effect task of the running mission, or null.
SGE_TASK* vnMISSCONT_GetAirExplosionTask();
void vnMISSCONT_SetCameraTask(SGE_TASK* task);
// The mission's camera task, or null.
SGE_TASK* vnMISSCONT_GetCameraTask();
void vnMISSCONT_SetParticleJetTask(SGE_TASK* task);
// The particle-jet effect task of the running mission, or null.
SGE_TASK* vnMISSCONT_GetParticleJetTask();
void vnMISSCONT_SetAmbushZoneTask(SGE_TASK* task);
// The ambush-zone task of the running mission, or null.
SGE_TASK* vnMISSCONT_GetAmbushZoneTask();
void vnMISSCONT_SetEventIconTask(SGE_TASK* task);
// The event-icon task of the running mission, or null.
SGE_TASK* vnMISSCONT_GetEventIconTask();
struct SPW_DOBJECT;
struct SPW_VDISPLAY;
void vnMISSCONT_SetCameraDObject(SPW_DOBJECT* object);
// The object whose position and rotation set the view, or null.
SPW_DOBJECT* vnMISSCONT_GetCameraDObject();
void vnMISSCONT_SetDisplay(SPW_VDISPLAY* display);
// The mission's virtual display, or null.
SPW_VDISPLAY* vnMISSCONT_GetDisplay();
