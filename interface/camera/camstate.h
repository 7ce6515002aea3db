#pragma once
// The camera state task: what every other module tells the mission camera. It keeps the camera
// modes (free, free look, follow behind, frozen for scripted control, automatic zoom), the zoom,
// the player whose units it views and the shakes, and places the mission's camera object when
// told a view outright. The mission makes it; it enters itself as the mission's camera task
// (vnMISSCONT_GetCameraTask) while it lives.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/math/vecmath.h"
#include "engine/memory/lists.h"

struct VNPLAYER;

constexpr int32_t SGM_CAMERA_ZOOM_DELTA = 1574;      // p1 -> int: zoom += it; no automatic zoom
constexpr int32_t SGM_CAMERA_AUTO_ZOOM = 1581;
constexpr int32_t SGM_CAMERA_ZOOM_OUT_STEP = 1582;
constexpr int32_t SGM_CAMERA_ZOOM_IN_STEP = 1583;
constexpr int32_t SGM_CAMERA_FREE_LOOK = 1584;       // p1 1 on, else off; follow behind off
constexpr int32_t SGM_CAMERA_TOGGLE_FOLLOW_BEHIND = 1586;
constexpr int32_t SGM_CAMERA_TERRAIN_CLEARANCE = 1589;  // p1 1 keeps the camera off the ground
constexpr int32_t SGM_CAMERA_FREEZE = 1590;          // p1 1: another takes the view, else back
constexpr int32_t SGM_CAMERA_SHAKE = 1591;           // p1 -> VNCAMERA_SHAKE_REQUEST
constexpr int32_t SGM_CAMERA_GET_ANGLES = 1593;      // the view's angles (3 floats)
constexpr int32_t SGM_CAMERA_SET_ANGLES = 1594;      // p1 -> 3 floats
constexpr int32_t SGM_CAMERA_SET_PLAYER = 1595;      // p1 the VNPLAYER viewed
constexpr int32_t SGM_CAMERA_GET_PLAYER = 1596;
constexpr int32_t SGM_CAMERA_FREE = 1597;            // p1 1 enters free mode, else resumes
constexpr int32_t SGM_CAMERA_RESUME = 1600;          // the modes go back to following
constexpr int32_t SGM_CAMERA_LOOK_FROM = 1601;       // p1 the eye, p2 the point looked at

// Mode flags.
constexpr uint32_t VNCAMERA_FREE = 0x01;
constexpr uint32_t VNCAMERA_NO_CLEARANCE = 0x02;
constexpr uint32_t VNCAMERA_AUTO_ZOOM = 0x04;
constexpr uint32_t VNCAMERA_FREE_LOOK = 0x08;
constexpr uint32_t VNCAMERA_FOLLOW_BEHIND = 0x10;
constexpr uint32_t VNCAMERA_FROZEN = 0x20;

// The zoom's range and its three steps.
constexpr float VNCAMERA_ZOOM_MIN = 15.0f;
constexpr float VNCAMERA_ZOOM_MID = 32.5f;
constexpr float VNCAMERA_ZOOM_MAX = 50.0f;

struct VNCAMERA_SHAKE_REQUEST {
  SPW_VECTOR vCentre;
  float fMagnitude;   // hundredths of a radian
  float fDuration;    // seconds
  int32_t bFade;      // 1: after the duration it runs down by the frame time
  float fRadius;
  uint32_t dwEdgePercent;  // the share of the magnitude left at the radius
};

struct VNCAMERA_SHAKE {
  SGE_DLLNODE link;
  VNCAMERA_SHAKE_REQUEST req;
  float fStart;  // seconds
};

struct VNCAMERA_STATE {
  SGE_TASK* pTask;
  SGE_TIMER* pTimer;
  uint32_t dwFlags;
  float fZoom;
  VNPLAYER* pPlayer;
  SGE_DLLNODE shakes;
  SPW_VECTOR vAngles;  // the view's: about x (0 down, pi/2 level), y, z (0 along +y)
};

int32_t vnCAMERA_Register();
// The live shakes of the mission camera's state; 0 without one.
int32_t vnCAMERA_CountShakes();
