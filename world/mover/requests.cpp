// Movement requests: short orders a controller queues on its unit's mover (push by an offset,
// turn, run along the heading), for a time or for as long as the controller says yes.
#include "engine/kernel/kernel.h"
#include "world/mover/internal.h"

namespace {

constexpr uint32_t kEffectBits = VNMOVER_REQ_OFFSET | VNMOVER_REQ_VELOCITY | VNMOVER_REQ_TURN;
// Byte 1 of the record's flags: the effects of the last request pass, and a timed request
// that ended in it.
constexpr int32_t kPassShift = 8;
constexpr uint32_t kPassTimedEnded = 0x08;
constexpr uint32_t kPassMask = 0xFFu << kPassShift;


void Apply(VNMOVER_RECORD* r, const VNMOVER_REQUEST* q, uint32_t effects, float dt) {
  if (effects & VNMOVER_REQ_OFFSET) {
    r->vPos.x += q->vOffset.x;
    r->vPos.y += q->vOffset.y;
    r->vPos.z += q->vOffset.z;
  }
  if (effects & VNMOVER_REQ_TURN) {
    SPW_VECTOR dir = q->vDir;
    if (SPW_VecNormalise(&dir) > 0.0f) vnMOVER_TurnHeading(r, &dir, dt * r->fTurnRate);
  }
  if (effects & VNMOVER_REQ_VELOCITY)
    r->vVel = {r->vHeading.x * q->fSpeed, r->vHeading.y * q->fSpeed, r->vHeading.z * q->fSpeed};
}

// The controller hears of the finished request before it goes back to the pool.
void Retire(VNMOVER_RECORD* r, VNMOVER_REQUEST* q) {
  vnMOVER_Notify(r, SGM_MOVER_REQUEST_DONE, SGE_PtrParam(r),
                 SGE_PtrParam(q));
  vnMOVER_ReturnRequest(r->pPlanner, q);
}

}  // namespace

VNMOVER_REQUEST* vnMOVER_QueueRequest(SGE_TASK* mover, uint32_t flags, const SPW_VECTOR* target,
                                      float value) {
  VNMOVER_RECORD* r = vnMOVER_RecordOf(mover);
  if (!r) return nullptr;
  VNMOVER_REQUEST* q = vnMOVER_TakeRequest(r->pPlanner);
  if (!q) return nullptr;
  q->dwFlags = flags;
  q->pRecord = r;
  if (target) {
    q->vOffset = *target;
    q->vDir = *target;
  }
  q->fSpeed = value;
  q->fTime = value;
  SGE_ListAddTail(&r->requests, &q->link);
  vnMOVER_Notify(r, SGM_MOVER_REQUEST_QUEUED, SGE_PtrParam(r),
                 SGE_PtrParam(q));
  return q;
}

void vnMOVER_MarkRequest(VNMOVER_REQUEST* request) {
  if (request) request->dwFlags |= VNMOVER_REQ_FINISHED;
}

uint32_t vnMOVER_RunRequests(VNMOVER_RECORD* r, float dt) {
  if (SGE_ListIsEmpty(&r->requests)) return 0;
  r->dwFlags &= ~kPassMask;
  uint32_t effects = 0;
  for (VNMOVER_REQUEST* q = SGE_ListFirstRecord<VNMOVER_REQUEST>(&r->requests); q;) {
    if (q->dwFlags & VNMOVER_REQ_SKIP) {
      q->dwFlags &= ~VNMOVER_REQ_SKIP;
    } else if (!(q->dwFlags & VNMOVER_REQ_FINISHED)) {
      uint32_t bits;
      if (q->dwFlags & VNMOVER_REQ_TIMED) {
        q->fElapsed += dt;
        bits = q->dwFlags & kEffectBits;
        if (q->fElapsed >= q->fTime) {
          q->dwFlags |= VNMOVER_REQ_FINISHED;
          r->dwFlags |= kPassTimedEnded << kPassShift;
        }
      } else {
        bits = static_cast<uint32_t>(vnMOVER_Notify(r, SGM_MOVER_RUN_REQUEST,
                                                    SGE_PtrParam(q),
                                                    SGE_PtrParam(r))) &
               kEffectBits;
      }
      Apply(r, q, bits, dt);
      effects |= bits;
    }
    // Taken after the answer, which may queue more requests behind this one.
    VNMOVER_REQUEST* next = SGE_ListNextRecord(&r->requests, q);
    if (q->dwFlags & VNMOVER_REQ_FINISHED) Retire(r, q);
    q = next;
  }
  r->dwFlags |= effects << kPassShift;
  return effects;
}

void vnMOVER_DropRequests(VNMOVER_RECORD* r) {
  while (VNMOVER_REQUEST* q = SGE_ListFirstRecord<VNMOVER_REQUEST>(&r->requests))
    vnMOVER_ReturnRequest(r->pPlanner, q);
}
