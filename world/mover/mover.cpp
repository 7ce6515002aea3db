// What both movers share: registration, the movement record's set-up, notifications to the
// unit's controller, the sub-step clock and the operations other modules call directly.
#include <cstring>

#include "platform/trace.h"
#include "world/bstar/bstar.h"
#include "world/mover/internal.h"
#include "world/unitman/unitman.h"

float vnMOVER_NextSubStep(float left) {
  if (left > VNMOVER_SUBSTEP && left < VNMOVER_SUBSTEP_SPLIT) return left * 0.5f;
  if (left >= VNMOVER_SUBSTEP) return VNMOVER_SUBSTEP;
  if (left >= VNMOVER_SUBSTEP_MIN) return left;
  return 0.0f;
}

int32_t vnMOVER_Register() {
  const int32_t ground =
      SGE_RegisterTaskType(VNTT_VEHICLE_MOVER, vnMOVER_GroundHandler, SGE_TTF_ZERO_DATA,
                           sizeof(VNMOVER_GROUND), "VEHICLE_MOVER");
  const int32_t flight =
      SGE_RegisterTaskType(VNTT_FLIGHT_MOVER, vnMOVER_FlightHandler, SGE_TTF_ZERO_DATA,
                           sizeof(VNMOVER_FLIGHT), "FLIGHT_MOVER");
  return ground && flight ? 1 : 0;
}

VNMOVER_RECORD* vnMOVER_RecordOf(SGE_TASK* mover) {
  if (!mover) return nullptr;
  if (mover->nTypeId == VNTT_VEHICLE_MOVER) {
    const VNMOVER_GROUND* g = SGE_TaskData<VNMOVER_GROUND>(mover);
    return g ? g->pRecord : nullptr;
  }
  if (mover->nTypeId == VNTT_FLIGHT_MOVER) {
    const VNMOVER_FLIGHT* f = SGE_TaskData<VNMOVER_FLIGHT>(mover);
    return f ? f->pRecord : nullptr;
  }
  return nullptr;
}

void vnMOVER_FillRecord(VNMOVER_RECORD* r, SGE_TASK* owner, const VNMOVER_CREATE* c) {
  const VNMOVER_PLANNER* planner = r->pPlanner;
  r->pOwner = owner;
  r->fRadius = c->fRadius;
  r->fSpeedParam = planner->fScale;
  r->fInvSpeedParam = planner->fInvScale;
  r->vPrevPos = c->vPos;
  r->vPos = c->vPos;
  r->vWork = c->vPos;
  r->fAccel = c->fAccel;
  r->fMaxSpeed = c->fSpeed;
  r->fGateReach = c->fGateReach;
  r->fStopValue = c->fStopValue;
  r->fArrival = c->fArrival;
  r->fTurnRate = c->fTurnRate;
  r->fExtra = c->fExtra;
  r->dwUnitId = c->dwUnitId;
  r->vUp = {0.0f, 0.0f, 1.0f};
  vnMOVER_BuildBasis(r, &c->vDir);
}

VNMOVER_RECORD* vnMOVER_Start(SGE_TASK* task, VNMOVER_RECORD** slot, const VNMOVER_CREATE* create) {
  if (*slot || !create) return nullptr;
  // A creation record that names no planner takes the running mission's.
  VNMOVER_RECORD* r =
      vnMOVER_TakeRecord(create->pPlanner ? create->pPlanner : vnMOVER_GetPathPlanner());
  if (!r) return nullptr;
  vnMOVER_FillRecord(r, task, create);
  *slot = r;
  return r;
}

int32_t vnMOVER_Place(VNMOVER_RECORD* r, const SPW_VECTOR* pos, const SPW_VECTOR* dir, bool move) {
  if (!pos) return 0;
  r->vPrevPos = move ? r->vPos : *pos;
  r->vPos = *pos;
  if (dir) vnMOVER_BuildBasis(r, dir);
  return 1;
}

int32_t vnMOVER_Notify(const VNMOVER_RECORD* r, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  SGE_TASK* parent = r && r->pOwner ? r->pOwner->pParent : nullptr;
  return parent ? SGE_Send(parent, msg, p1, p2) : 0;
}

int32_t vnMOVER_Destroy(SGE_TASK* mover) {
  if (!mover) return 0;
  return SGE_Send(mover, SGM_TASK_DESTROY, 0, 0);
}

int32_t vnMOVER_GetMovementState(SGE_TASK* mover, VNMOVER_RECORD* out) {
  const VNMOVER_RECORD* r = vnMOVER_RecordOf(mover);
  if (!r || !out) return 0;
  std::memcpy(out, r, sizeof(*out));
  return 1;
}

int32_t vnMOVER_GetCurrentNode(SGE_TASK* mover, SPW_VECTOR* outPos, float* outExtents) {
  const VNMOVER_RECORD* r = vnMOVER_RecordOf(mover);
  if (!r) return 0;
  int32_t active = 0;
  if (mover->nTypeId == VNTT_VEHICLE_MOVER) {
    active = SGE_TaskData<VNMOVER_GROUND>(mover)->bActive;
    if (active) SGE_Send(mover, SGM_MOVER_STEP, 0, 0);
  } else {
    active = SGE_TaskData<VNMOVER_FLIGHT>(mover)->bMoving;
  }
  if (outPos) *outPos = r->vPos;
  if (outExtents) {
    const BSTAR_Node* n = r->pRegion;
    const float box[4] = {n ? n->fMinX : 0.0f, n ? n->fMinY : 0.0f, n ? n->fMaxX : 0.0f,
                          n ? n->fMaxY : 0.0f};
    std::memcpy(outExtents, box, sizeof(box));
  }
  return active;
}
