// The flight mover (VNTT_FLIGHT_MOVER): no network; it steers straight at its target with a
// limited turn rate, in sub-steps of at most a thirtieth of a second.
#include "engine/kernel/frametime.h"
#include "platform/trace.h"
#include "world/mover/internal.h"

namespace {

int32_t SetTarget(VNMOVER_FLIGHT* f, const SPW_VECTOR* target) {
  if (!target) return 0;
  f->vTarget = *target;
  f->bMoving = 1;
  return 1;
}

void Stop(VNMOVER_FLIGHT* f) {
  f->pRecord->vVel = {};
  f->vTarget = f->pRecord->vPos;
  f->bMoving = 0;
}

int32_t GetSpeeds(const VNMOVER_FLIGHT* f, float* out) {
  if (!out) return 0;
  const VNMOVER_RECORD* r = f->pRecord;
  out[0] = r->fAccel;
  out[1] = r->fMaxSpeed;
  out[2] = r->fGateReach;
  out[3] = r->fStopValue;
  return 1;
}

// Side and up again around the turned heading: from the old up, else from the old side; with
// neither the old basis stays.
void Reorthonormalise(VNMOVER_RECORD* r, const SPW_VECTOR& oldHeading) {
  SPW_VECTOR side, up;
  SPW_VecCross(&r->vHeading, &r->vUp, &side);
  if (SPW_VecNormalise(&side) > 0.0f) {
    SPW_VecCross(&side, &r->vHeading, &up);
  } else {
    SPW_VecCross(&r->vSide, &r->vHeading, &up);
    if (SPW_VecNormalise(&up) == 0.0f) {
      PLAT_Trace("Flight vehicle case where it cant make a basis\n");
      r->vHeading = oldHeading;
      return;
    }
    SPW_VecCross(&r->vHeading, &up, &side);
    SPW_VecNormalise(&side);
  }
  SPW_VecNormalise(&up);
  r->vSide = side;
  r->vUp = up;
  if (r->pfnBasis) r->pfnBasis(r);
}

void SubStep(VNMOVER_FLIGHT* f, float dt) {
  VNMOVER_RECORD* r = f->pRecord;
  float speed = vnMOVER_Length(r->vVel) + r->fAccel * r->fSpeedParam;
  if (speed > r->fMaxSpeed) speed = r->fMaxSpeed;
  SPW_VECTOR want{f->vTarget.x - r->vPos.x, f->vTarget.y - r->vPos.y, f->vTarget.z - r->vPos.z};
  if (SPW_VecNormalise(&want) > 0.0f) {
    const SPW_VECTOR oldHeading = r->vHeading;
    SPW_VecTurnTowards(&oldHeading, &want, dt * r->fTurnRate, &r->vHeading);
    Reorthonormalise(r, oldHeading);
    r->vVel = {r->vHeading.x * speed, r->vHeading.y * speed, r->vHeading.z * speed};
  }
  r->vPrevPos = r->vPos;
  r->vPos.x += dt * r->vVel.x;
  r->vPos.y += dt * r->vVel.y;
  r->vPos.z += dt * r->vVel.z;
}

int32_t Step(SGE_TASK* task, VNMOVER_FLIGHT* f) {
  if (!f->bMoving) return 0;
  VNMOVER_RECORD* r = f->pRecord;
  float left = SGE_GetFrameDelta();
  for (float dt = vnMOVER_NextSubStep(left); dt > 0.0f; dt = vnMOVER_NextSubStep(left)) {
    left -= dt;
    SubStep(f, dt);
    if (SPW_VecDist(&r->vPos, &f->vTarget) < r->fArrival) {
      vnMOVER_Notify(r, SGM_MOVER_ARRIVED, SGE_PtrParam(r), 0);
      // The controller may have ended the mover; its record went back to the pool.
      if (r->pOwner != task) break;
    }
  }
  return 1;
}

int32_t Create(SGE_TASK* task, VNMOVER_FLIGHT* f, const VNMOVER_CREATE* create) {
  if (f->pRecord) return 1;
  if (!vnMOVER_Start(task, &f->pRecord, create)) return 0;
  f->vTarget = create->vPos;
  SGE_Send(task, SGM_MOVER_SET_POSITION, SGE_PtrParam(&create->vPos), 0);
  return 1;
}

void Destroy(VNMOVER_FLIGHT* f) {
  vnMOVER_ReturnRecord(f->pRecord);
  f->pRecord = nullptr;
}

}  // namespace

SGE_RESULT vnMOVER_FlightHandler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                                 SGE_PARAM p2) {
  auto* f = SGE_TaskData<VNMOVER_FLIGHT>(task);
  if (!f) return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
  switch (msg) {
    case SGM_TASK_CREATE:
      return Create(task, f, SGE_ParamPtr<const VNMOVER_CREATE>(p1));
    case SGM_TASK_DESTROY:
      Destroy(f);
      return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
    case SGM_MOVER_GET_RECORD:
      Create(task, f, SGE_ParamPtr<const VNMOVER_CREATE>(p1));
      return SGE_PtrResult(f->pRecord);
    default:
      break;
  }
  // Without a movement record the mover is inert.
  if (!f->pRecord) return 0;
  switch (msg) {
    case SGM_MOVER_SET_POSITION:
      return vnMOVER_Place(f->pRecord, SGE_ParamPtr<const SPW_VECTOR>(p1),
                           SGE_ParamPtr<const SPW_VECTOR>(p2), false);
    case SGM_MOVER_MOVE_TO:
      return vnMOVER_Place(f->pRecord, SGE_ParamPtr<const SPW_VECTOR>(p1),
                           SGE_ParamPtr<const SPW_VECTOR>(p2), true);
    case SGM_MOVER_GOTO:
      return SetTarget(f, SGE_ParamPtr<const SPW_VECTOR>(p1));
    case SGM_MOVER_STOP:
      Stop(f);
      return 1;
    case SGM_MOVER_GET_SPEEDS:
      return GetSpeeds(f, SGE_ParamPtr<float>(p1));
    case SGM_MOVER_STEP:
      return Step(task, f);
    default:
      return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
  }
}
