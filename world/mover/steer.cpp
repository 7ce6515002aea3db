// The heading basis, the steering of ground movers towards points, braking, and the push away
// from units and obstacles a mover overlaps.
#include <cmath>

#include "engine/math/vecops.h"
#include "world/bstar/bstar.h"
#include "world/bstar/search.h"
#include "world/grid/grid.h"
#include "world/mover/internal.h"
#include "world/unitman/unitman.h"

namespace {

// Obstacle spheres of the network that may push one mover.
constexpr int32_t kMaxObstacles = 20;
constexpr SPW_VECTOR kWorldUp{0.0f, 0.0f, 1.0f};
// Model forward: a mover with no direction at all faces this way.
constexpr SPW_VECTOR kForward{0.0f, -1.0f, 0.0f};

// Side and up from the heading and a wanted up; false when they are parallel.
bool Orthonormalise(VNMOVER_RECORD* r, const SPW_VECTOR& up) {
  SPW_VECTOR side;
  SPW_VecCross(&r->vHeading, &up, &side);
  if (SPW_VecNormalise(&side) == 0.0f) return false;
  SPW_VECTOR trueUp;
  SPW_VecCross(&side, &r->vHeading, &trueUp);
  SPW_VecNormalise(&trueUp);
  r->vSide = side;
  r->vUp = trueUp;
  return true;
}

void AfterBasis(VNMOVER_RECORD* r) {
  if (r->pfnBasis) r->pfnBasis(r);
}

// Speed along the heading.
void SetSpeed(VNMOVER_RECORD* r, float speed) { r->vVel = SPW_VScale(r->vHeading, speed); }

// Pushes the record away from a sphere it overlaps by half the overlap; the push's direction,
// or a zero vector when they do not overlap.
SPW_VECTOR PushFrom(const VNMOVER_RECORD* r, const SPW_VECTOR& centre, float radius,
                    SPW_VECTOR* push) {
  SPW_VECTOR away = SPW_VSub(r->vPos, centre);
  if (r->dwFlags & VNMOVER_F_FLAT) away.z = 0.0f;
  const float dist = SPW_VecDist(&r->vPos, &centre);
  const float overlap = r->fRadius + radius - dist;
  if (overlap <= 0.0f || SPW_VecNormalise(&away) == 0.0f) return {};
  push->x += away.x * overlap * 0.5f;
  push->y += away.y * overlap * 0.5f;
  push->z += away.z * overlap * 0.5f;
  return away;
}

// Turns the heading to run along the obstacle instead of into it.
void SlideHeading(VNMOVER_RECORD* r, const SPW_VECTOR& normal) {
  const float into = SPW_VDot(r->vHeading, normal);
  if (into >= 0.0f) return;
  SPW_VECTOR along = SPW_VSub(r->vHeading, SPW_VScale(normal, into));
  if (SPW_VecNormalise(&along) == 0.0f) return;
  const float speed = vnMOVER_Length(r->vVel);
  vnMOVER_BuildBasis(r, &along);
  SetSpeed(r, speed);
}

struct UnitPush {
  VNMOVER_RECORD* pRecord;
  SPW_VECTOR* pPush;
};

int32_t PushFromUnit(void*, VNUNIT* other, void* user) {
  const auto* ctx = static_cast<UnitPush*>(user);
  VNMOVER_RECORD* r = ctx->pRecord;
  const VNMOVER_RECORD* o = other->pMove;
  if (!o || o == r || SPW_VecDist(&r->vPos, &o->vPos) >= r->fRadius + o->fRadius) return 1;
  // The controller may spare a unit, unless that unit never lets itself be spared.
  if (!(o->dwFlags & VNMOVER_F_NOPUSH) &&
      vnMOVER_Notify(r, SGM_MOVER_IGNORE_MOVER, SGE_PtrParam(r),
                     SGE_PtrParam(o)))
    return 1;
  PushFrom(r, o->vPos, o->fRadius, ctx->pPush);
  return 1;
}

void AvoidUnits(VNMOVER_RECORD* r, SPW_VECTOR* push) {
  SGE_TASK* controller = r->pOwner ? r->pOwner->pParent : nullptr;
  if (!controller) return;
  VNUNIT* unit = SGE_Ask<VNUNIT>(controller, SGM_UNIT_GET_UNIT, 0, 0);
  const VNUNITMAN* manager = unit ? vnUNITMAN_Get() : nullptr;
  if (!manager || !manager->pGrid) return;
  UnitPush ctx{r, push};
  vnGrid_QueryPairs(PushFromUnit, &ctx, manager->pGrid, unit);
}

void AvoidObstacles(VNMOVER_RECORD* r, SPW_VECTOR* push) {
  BSTAR_Network* network = vnMOVER_Network(r);
  if (!network) return;
  BSTAR_Node* near[kMaxObstacles];
  const int32_t count =
      BSTAR_FindCandidateObstacles(network, &r->vPos, r->fRadius, near, kMaxObstacles);
  int32_t pushes = 0;
  SPW_VECTOR lastNormal{};
  for (int32_t i = 0; i < count; ++i) {
    if (SPW_VecDist(&r->vPos, &near[i]->vCentre) >= r->fRadius + near[i]->fRadius) continue;
    if (vnMOVER_Notify(r, SGM_MOVER_IGNORE_OBSTACLE, SGE_PtrParam(r),
                       SGE_PtrParam(near[i])))
      continue;
    const SPW_VECTOR n = PushFrom(r, near[i]->vCentre, near[i]->fRadius, push);
    if (SPW_VDot(n, n) == 0.0f) continue;
    lastNormal = n;
    ++pushes;
  }
  if (pushes == 1) SlideHeading(r, lastNormal);
}

}  // namespace

float vnMOVER_Length(const SPW_VECTOR& v) { return std::sqrt(SPW_VDot(v, v)); }

void vnMOVER_BuildBasis(VNMOVER_RECORD* r, const SPW_VECTOR* dir) {
  SPW_VECTOR heading = dir ? *dir : r->vHeading;
  if (SPW_VecNormalise(&heading) == 0.0f) {
    heading = r->vHeading;
    if (SPW_VecNormalise(&heading) == 0.0f) heading = kForward;
  }
  r->vHeading = heading;
  // Straight up or down: the old side vector tells which way the unit's top faces.
  if (!Orthonormalise(r, kWorldUp)) {
    SPW_VECTOR up;
    SPW_VecCross(&r->vSide, &r->vHeading, &up);
    if (SPW_VecNormalise(&up) == 0.0f || !Orthonormalise(r, up)) {
      r->vSide = {1.0f, 0.0f, 0.0f};
      SPW_VecCross(&r->vSide, &r->vHeading, &r->vUp);
      SPW_VecNormalise(&r->vUp);
    }
  }
  AfterBasis(r);
}

void vnMOVER_TurnHeading(VNMOVER_RECORD* r, const SPW_VECTOR* dir, float angle) {
  SPW_VECTOR turned;
  SPW_VecTurnTowards(&r->vHeading, dir, angle, &turned);
  vnMOVER_BuildBasis(r, &turned);
}

void vnMOVER_SteerTo(VNMOVER_RECORD* r, const SPW_VECTOR* point, float dt) {
  SPW_VECTOR want = SPW_VSub(*point, r->vPos);
  if (r->dwFlags & VNMOVER_F_FLAT) want.z = 0.0f;
  if (SPW_VecNormalise(&want) == 0.0f) return;
  vnMOVER_TurnHeading(r, &want, dt * r->fTurnRate);
  float speed = vnMOVER_Length(r->vVel);
  const float change = r->fAccel * r->fSpeedParam * dt;
  if (SPW_VDot(r->vHeading, want) > 0.0f) {
    if (speed >= r->fMaxSpeed)
      speed = std::fmax(speed - change, r->fMaxSpeed);
    else
      speed = std::fmin(speed + change, r->fMaxSpeed);
  } else {
    // Facing away: slow down, and once stopped turn on the spot to face the point.
    speed -= change;
    if (speed <= 0.0f) {
      vnMOVER_BuildBasis(r, &want);
      speed = 0.0f;
    }
  }
  SetSpeed(r, speed);
}

void vnMOVER_SteerToSlowing(VNMOVER_RECORD* r, const SPW_VECTOR* point, float slowing, float dt) {
  if (slowing <= 0.0f) {
    vnMOVER_SteerTo(r, point, dt);
    return;
  }
  SPW_VECTOR want = SPW_VSub(*point, r->vPos);
  if (r->dwFlags & VNMOVER_F_FLAT) want.z = 0.0f;
  const float distance = SPW_VecNormalise(&want);
  if (distance == 0.0f) {
    r->vVel = {};
    return;
  }
  float speed = std::fmin(distance / slowing * r->fMaxSpeed, r->fMaxSpeed);
  speed = std::fmin(speed, vnMOVER_Length(r->vVel) + r->fAccel * r->fSpeedParam * dt);
  vnMOVER_TurnHeading(r, &want, dt * r->fTurnRate);
  SetSpeed(r, speed);
}

void vnMOVER_Brake(VNMOVER_RECORD* r, float dt) {
  const float speed = vnMOVER_Length(r->vVel) - r->fAccel * r->fSpeedParam * dt;
  SetSpeed(r, std::fmax(speed, 0.0f));
}

void vnMOVER_Avoid(VNMOVER_RECORD* r, SPW_VECTOR* push) {
  AvoidUnits(r, push);
  AvoidObstacles(r, push);
}
