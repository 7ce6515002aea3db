// Smoke trails with a moving head.
#include "effects/trailhead.h"

#include "missions/control/misscont.h"

namespace {

VNSMOKETRAIL_HEADED* Record(VNSMOKETRAIL* trail) {
  return trail && trail->nSize == static_cast<int32_t>(sizeof(VNSMOKETRAIL_HEADED))
             ? static_cast<VNSMOKETRAIL_HEADED*>(trail->pData)
             : nullptr;
}

}  // namespace

VNSMOKETRAIL* vnSmokeTrail_StartHeaded(const VNSMOKETRAIL_HEADED* settings) {
  SGE_TASK* task = vnMISSCONT_GetSmokeTrailTask();
  if (!task || !settings) return nullptr;
  SGE_DATAREF* ref = SGE_CreateDataRef(nullptr, sizeof(VNSMOKETRAIL_HEADED));
  if (!ref) return nullptr;
  auto* record = static_cast<VNSMOKETRAIL_HEADED*>(ref->pData);
  *record = *settings;
  record->vHead = settings->vStart;
  record->vVelocity = {};
  if (!SGE_SendMessage(task, ref, SGM_SMOKETRAIL_START, SGE_PtrParam(record),
                       VNSMOKETRAIL_FORM_HEADED)) {
    SGE_ReleaseDataRef(ref);
    return nullptr;
  }
  return ref;
}

void vnSmokeTrail_Attach(VNSMOKETRAIL* trail, const SPW_VECTOR* point, const SPW_VECTOR* velocity) {
  VNSMOKETRAIL_HEADED* r = Record(trail);
  if (!r || !point || !velocity) return;
  r->vHead = *point;
  r->vVelocity = *velocity;
}

void vnSmokeTrail_MoveHead(VNSMOKETRAIL* trail, const SPW_VECTOR* point) {
  VNSMOKETRAIL_HEADED* r = Record(trail);
  if (r && point) r->vHead = *point;
}

const VNSMOKETRAIL_HEADED* vnSmokeTrail_GetHeaded(const VNSMOKETRAIL* trail) {
  return Record(const_cast<VNSMOKETRAIL*>(trail));
}
