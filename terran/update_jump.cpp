// The jump-jet flight: planning the parabola to a point, testing it against the ground and the
// scenery, and flying it frame by frame.
#include "engine/collide/collide.h"
#include "engine/dobject/dobject.h"
#include "engine/kernel/frametime.h"
#include "missions/control/misscont.h"
#include "platform/random.h"
#include "shell/sound/sound.h"
#include "terran/orders.h"
#include "terran/behave.h"
#include "terran/movement.h"
#include "terran/update.h"
#include "world/bstar/search.h"
#include "world/mover/mover.h"

namespace {

constexpr float kNoFlight = -1.0f;
// The path is tested from a little above the start, in steps of this many seconds.
constexpr float kPathLift = 0.09f, kPathStep = 0.01f;
// The flight ends once its time passes twice the half time (a hair under, against rounding).
constexpr float kFlightEnd = 1.99f;
// The takeoff lasts this long before the flight starts.
constexpr float kTakeoff = 0.5f;
// Flight sounds: one of two.
constexpr int32_t kFlightSound = 399;

VNTERUNIT_FLIGHT FlightOf(const VNTERUNIT* s) {
  return {s->bounceVelocity, s->bounceGravity, s->bounceHalfTime * 2.0f};
}

}  // namespace

int32_t vnTERUNIT_InPathNetwork(const SPW_VECTOR* point) {
  VNMOVER_PLANNER* planner = vnMOVER_GetPathPlanner();
  return planner && BSTAR_FindNodeAtPoint(planner->pNetwork, point) ? 1 : 0;
}

int32_t vnTERUNIT_BouncePathClear(const VNTERUNIT* s, float flightTime) {
  if (flightTime < VNTERUNIT_SHORTEST_FLIGHT) return 0;
  SPW_SCENE* scene = vnMISSCONT_GetScene();
  if (!scene) return 1;
  SPW_VECTOR start = s->bounceStart;
  start.z += kPathLift;
  const VNTERUNIT_FLIGHT flight{s->bounceVelocity, s->bounceGravity, flightTime};
  for (float t = 0.0f; t < flightTime - kPathStep; t += kPathStep) {
    const SPW_VECTOR a = vnTERUNIT_FlightPoint(start, flight, t);
    const SPW_VECTOR b = vnTERUNIT_FlightPoint(start, flight, t + kPathStep);
    const SPW_VECTOR d{b.x - a.x, b.y - a.y, b.z - a.z};
    SPW_VECTOR hit;
    float best = 1.0f;  // within the segment
    if (SPW_CollideTerrain(scene, &a, &d, 1.0f, &hit, &best)) return 0;
    best = 1.0f;
    if (SPW_CollideQuery(scene, &a, &d, 1.0f, &hit, &best)) return 0;
  }
  return 1;
}

void vnTERUNIT_PlanBounce(VNTERUNIT* s, const SPW_VECTOR* target) {
  s->bounceTime = 0.0f;
  s->bounceStarted = 0;
  s->bounceStart = s->bouncePosition = s->unit->vPos;
  VNTERUNIT_FLIGHT flight;
  // A point straight above or below has no flight time: nothing to fly.
  const bool planned = vnTERUNIT_PlanFlight(s->unit->vPos, *target, &flight) != 0;
  s->bounceVelocity = flight.velocity;
  s->bounceGravity = flight.gravity;
  s->bounceHalfTime = flight.time * 0.5f;
  if (planned && vnTERUNIT_InPathNetwork(target) && vnTERUNIT_BouncePathClear(s, flight.time)) {
    vnTERUNIT_SendMover(s, SGM_MOVER_SET_POSITION, SGE_PtrParam(target));
    vnTERUNIT_SendMover(s, SGM_MOVER_STOP);
  } else {
    s->bounceHalfTime = kNoFlight;
  }
}

int32_t vnTERUNIT_BounceStep(VNTERUNIT* s) {
  if (s->bounceHalfTime < 0.0f) return 1;
  s->bounceTime += SGE_GetFrameTime();
  if (s->bounceTime > s->bounceHalfTime && s->bounceTime > s->bounceHalfTime * kFlightEnd) return 1;
  s->bouncePosition = vnTERUNIT_FlightPoint(s->bounceStart, FlightOf(s), s->bounceTime);
  s->unit->vPos = s->bouncePosition;
  if (s->unit->pMove) s->unit->pMove->vPos = s->bouncePosition;
  if (s->model) s->model->t.vPos = s->bouncePosition;
  return 0;
}

namespace {

void BothStates(VNTERUNIT* s, int32_t state) {
  s->lowerState = s->upperState = state;
  s->upperLocked = s->lowerLocked = 0;
}

void StartFlightSound(VNTERUNIT* s) {
  if (s->flightSound >= 0) return;
  const SPW_VECTOR at = s->unit->vPos;
  s->flightSound = vnSOUND_PlayEffect(kFlightSound + PLAT_Rand() % 2, &at.x);
}

int32_t Land(VNTERUNIT* s, VNORDER* order) {
  s->bounceTime = 0.0f;
  BothStates(s, VN_TERUNIT_LOWER_BOUNCELAND);
  if (s->bounceHalfTime >= 0.0f) {
    const SPW_VECTOR point = vnTERUNIT_OrderPoint(order);
    vnTERUNIT_SendMover(s, SGM_MOVER_SET_POSITION, SGE_PtrParam(&point));
    vnTERUNIT_SendMover(s, SGM_MOVER_STOP);
  }
  if (s->flightSound >= 0) vnSOUND_StopChannel(s->flightSound);
  s->flightSound = -1;
  vnTERUNIT_PlaySteps(s, 0);
  vnORDER_Pop(s->unit);
  return 1;
}

// A salvo asked for in flight goes at the unit of word 2 once within reach, or not at all.
void RocketsInFlight(SGE_TASK* task, VNTERUNIT* s, const VNORDER* order) {
  VNUNIT* target =
      vnUNITMAN_GetUnit(static_cast<uint32_t>(order->anWord[VNTERUNIT_ORDER_WORD_SECOND]));
  if (target && vnTERUNIT_InRocketReach(s, target->vPos) &&
      !vnTERUNIT_LaunchRockets(task, s, target, nullptr))
    return;
  s->stateFlags &= ~VNTERUNIT_SF_MICRO_ROCKETS;
}

}  // namespace

int32_t vnTERUNIT_RunJump(SGE_TASK* task, VNTERUNIT* s, VNORDER* order) {
  s->idlePeriods = 0;
  if (vnTERUNIT_OrderIsDone(order)) {
    vnORDER_Pop(s->unit);
    return 1;
  }
  if (s->lowerState == VN_TERUNIT_LOWER_BOUNCELAUNCH) {
    if (!s->bounceStarted) {
      s->bounceTime += SGE_GetFrameTime();
      if (s->bounceTime <= kTakeoff) return 0;
      s->bounceTime = 0.0f;
      BothStates(s, VN_TERUNIT_LOWER_BOUNCETRAVEL);
      s->bounceStarted = 1;
      StartFlightSound(s);
      return 0;
    }
    return vnTERUNIT_BounceStep(s) ? Land(s, order) : 0;
  }
  if (s->lowerState == VN_TERUNIT_LOWER_BOUNCETRAVEL) {
    vnTERUNIT_DrainJump(&s->jumpEnergy, vnTERUNIT_GetSuitTier(s->unit->nType));
    if (s->stateFlags & VNTERUNIT_SF_MICRO_ROCKETS) RocketsInFlight(task, s, order);
    return vnTERUNIT_BounceStep(s) ? Land(s, order) : 0;
  }
  return 0;
}
