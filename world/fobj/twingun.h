#pragma once
// Twin-gun emplacements (Twin50 and Twin80): a soldier mans the gun, which then looks for
// living enemy units within its arc, swivels towards one and fires once its aim is close.
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
};

// Whether a target at `to` lies within the arc of a gun at `from` facing `forward`.
bool vnTWINGUN_AcceptsTarget(const SPW_VECTOR& forward, const SPW_VECTOR& from,
                             const SPW_VECTOR& to);

SGE_RESULT vnTWINGUN_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                             SGE_PARAM p2);

// The class's row of the unit class table.
inline constexpr VNUNIT_CLASSROW VNTWINGUN_CLASSROW{
    VNTT_WEAPON_TWINGUN, vnTWINGUN_Handler, sizeof(VNTWINGUN)};
