#pragma once
// Twin-gun emplacements (Twin50 and Twin80): a soldier mans the gun, which then looks for
// living enemy units within its arc, swivels towards one and fires once its aim is close. A
// gunner who aims it himself (turning it and locking it on) takes over: from then on the gun
// fires only at what he locked it on.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/math/vecmath.h"
#include "world/unitman/unitclass.h"

struct SPW_DOBJECT;
struct VNUNIT;

// Messages of the emplacement.
constexpr int32_t SGM_TWINGUN_GUNNER = 7188;       // the gunner's unit id, 0 while free
constexpr int32_t SGM_TWINGUN_OCCUPY = 7189;       // p1 1 and p2 a unit id mans it; p1 0 frees it
constexpr int32_t SGM_TWINGUN_MOUNT_POINT = 7190;  // p1 out: three floats
constexpr int32_t SGM_TWINGUN_SEAT_DIRECTION = 7191;  // p1 out: the aim's ground direction
constexpr int32_t SGM_TWINGUN_ANGLE = 7192;           // p1 out: the swivel's float, radians
constexpr int32_t SGM_TWINGUN_LOCK_ON = 7194;         // p1 the target's unit id, p2 its aim point
constexpr int32_t SGM_TWINGUN_TURN = 7196;  // p1 the turn (float), p2 the point; 1 at its limit
constexpr int32_t SGM_TWINGUN_CAN_SEE = 7197;         // p1 a point; 1 within the arc
constexpr int32_t SGM_TWINGUN_TWIN80_MOUNT = 7200;    // p1 a unit id; the point, null on a Twin50
constexpr int32_t SGM_TWINGUN_SIDE = 7201;            // p1 the gunner's player: whom it fights for
constexpr int32_t SGM_TWINGUN_TWIN80_EXIT = 7205;     // p1 a unit id; the point, null on a Twin50
// Sent to the gunner.
constexpr int32_t SGM_TWINGUN_GET_OFF = 7206;      // p1 the exit point
constexpr int32_t SGM_TWINGUN_GET_ON = 7207;       // p1 the mount point, p2 the gun's unit id

// The arc within which a target is taken: horizontally from the gun's forward direction, and
// the steepest elevation's sine.
constexpr float VNTWINGUN_TARGET_ARC = 2.0943952f;
constexpr float VNTWINGUN_MAX_ELEVATION = 1.0471976f;
// The aim is close enough to fire within this angle.
constexpr float VNTWINGUN_FIRE_TOLERANCE = 0.034906585f;

struct VNTWINGUN {
  VNUNIT* pUnit;
  SPW_DOBJECT* pModel;     // the Twin50, or the Twin80's canopy
  SPW_DOBJECT* apGuns[2];  // the Twin80's left and right guns
  int32_t bTwin80;
  SPW_VECTOR vForward;     // the rest direction
  float afLimits[2];       // how far it swivels: sideways, then up and down
  float fYaw;              // the aim, from the rest direction
  float fPitch;
  uint32_t dwGunner;
  uint32_t dwTarget;
  float fFireTimer;
  int32_t bGunnerAims;  // the gunner turns and locks it; no search of its own
  uint32_t dwSide;      // the gunner's player, 0: the gun's own
  SPW_VECTOR vStep;     // where a Twin80's gunner gets on and off
};

// Whether a target at `to` lies within the arc of a gun at `from` facing `forward`.
bool vnTWINGUN_AcceptsTarget(const SPW_VECTOR& forward, const SPW_VECTOR& from,
                             const SPW_VECTOR& to);

SGE_RESULT vnTWINGUN_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                             SGE_PARAM p2);

// The class's row of the unit class table.
inline constexpr VNUNIT_CLASSROW VNTWINGUN_CLASSROW{
    VNTT_WEAPON_TWINGUN, vnTWINGUN_Handler, sizeof(VNTWINGUN)};
