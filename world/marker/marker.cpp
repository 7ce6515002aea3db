// The marker task: its records, the messages that change them, and its draw.
#include "world/marker/marker.h"

#include <cstring>

#include "effects/airexplode.h"
#include "missions/control/overlay.h"
#include "platform/trace.h"
#include "world/attach/attach.h"

namespace {


void OnCreate(SGE_TASK* task, VNMARKERS* self, const VNMARKER_DEFAULTS* defaults) {
  std::memset(static_cast<void*>(self), 0, sizeof *self);
  if (defaults)
    self->defaults = *defaults;
  else
    PLAT_Trace("MARKERS: created without defaults; no record can be added\n");
  SGE_ListInit(&self->active);
  SGE_ListInit(&self->free);
  self->pNode = vnFX_AttachTask(vnMISSCONT_GetAttachDisplay(), task, task->pInstance, 0);
  if (!self->pNode) PLAT_Trace("MARKERS: not on a draw list; markers are not drawn\n");
}

void OnDestroy(SGE_TASK* task, VNMARKERS* self) {
  vnFX_AttachNodeRelease(self->pNode);
  self->pNode = nullptr;
  SGE_ListFreeAll(&self->active);
  SGE_ListFreeAll(&self->free);
  // Owners that reach the service after this find no task rather than a freed one.
  if (vnMISSCONT_GetOverlayTask() == task) vnMISSCONT_SetOverlayTask(nullptr);
}

VNMARKER* TakeRecord(VNMARKERS* self) {
  if (VNMARKER* marker = SGE_ListRecord<VNMARKER>(SGE_ListPopHead(&self->free))) return marker;
  if (!self->defaults.pBlock) return nullptr;
  return static_cast<VNMARKER*>(SGE_MemAlloc(self->defaults.pBlock, sizeof(VNMARKER)));
}

VNMARKER* Add(VNMARKERS* self, const SPW_VECTOR* position, uint32_t flags) {
  if (!position) return nullptr;
  VNMARKER* m = TakeRecord(self);
  if (!m) {
    PLAT_Trace("MARKERS: no memory for another marker\n");
    return nullptr;
  }
  const VNMARKER_DATA& d = self->defaults.data;
  std::memcpy(m->data.adwLook, d.adwLook, sizeof d.adwLook);
  std::memcpy(m->data.afPair, d.afPair, sizeof d.afPair);
  m->data.fLevel = d.fLevel;
  std::memcpy(m->data.anWords, d.anWords, sizeof d.anWords);
  m->data.vPos = *position;
  m->data.dwFlags = flags;
  m->data.nWord = 0;
  SGE_ListAddTail(&self->active, &m->link);
  for (float(&pair)[2] : m->data.afPair) std::memcpy(pair, VNMARKER_DEFAULT_PAIR, sizeof pair);
  return m;
}

void Remove(VNMARKERS* self, VNMARKER* m) {
  SGE_ListUnlink(&m->link);
  SGE_ListAddTail(&self->free, &m->link);
}

void SetPair(VNMARKER* m, VNMARKER_PAIR which, const float* values) {
  m->data.afPair[which][0] = values[0];
  m->data.afPair[which][1] = values[1];
}

// Appearance words counted from 1, as the messages name them.
void SetLook(VNMARKER* m, int32_t word, const int32_t* value) {
  m->data.adwLook[word - 1] = static_cast<uint32_t>(*value);
}

void Draw(VNMARKERS* self, const VNFX_ATTACHNODE* node) {
  SPW_DISPLAYNODE* view = vnFX_AttachNodeGetDrawRecord(node);
  if (!view) return;
  for (VNMARKER* m : SGE_ListRecords<VNMARKER>(&self->active)) {
    if (!(m->data.dwFlags & VNMARKER_HIDDEN)) vnAIREXPLODE_ObjectCallback(view, self, m);
  }
}

// The record messages; a null record or value pointer changes nothing.
void OnRecordMessage(VNMARKERS* self, int32_t msg, VNMARKER* m, SGE_PARAM p2) {
  if (!m) return;
  if (msg == SGM_MARK_REMOVE) return Remove(self, m);
  if (msg == SGM_MARK_WORD) {
    m->data.nWord = static_cast<int32_t>(p2);
    return;
  }
  if (!p2) return;
  switch (msg) {
    // Held in [0, 1]; a level that is not a number (0 / 0 from an owner) shows as 0.
    case SGM_MARK_LEVEL: m->data.fLevel = vnMARK_BarLevel(*SGE_ParamPtr<const float>(p2), 1.0f); break;
    case SGM_MARK_PAIR_A: SetPair(m, VNMARKER_PAIR_A, SGE_ParamPtr<const float>(p2)); break;
    case SGM_MARK_PAIR_B: SetPair(m, VNMARKER_PAIR_B, SGE_ParamPtr<const float>(p2)); break;
    case SGM_MARK_PAIR_C: SetPair(m, VNMARKER_PAIR_C, SGE_ParamPtr<const float>(p2)); break;
    case SGM_MARK_POSITION: m->data.vPos = *SGE_ParamPtr<const SPW_VECTOR>(p2); break;
    case SGM_MARK_WORDS:
      std::memcpy(m->data.anWords, SGE_ParamPtr<const int32_t>(p2), sizeof m->data.anWords);
      break;
    case SGM_MARK_LOOK5: SetLook(m, 5, SGE_ParamPtr<const int32_t>(p2)); break;
    case SGM_MARK_LOOK4: SetLook(m, 4, SGE_ParamPtr<const int32_t>(p2)); break;
    case SGM_MARK_LOOK2: SetLook(m, 2, SGE_ParamPtr<const int32_t>(p2)); break;
    case SGM_MARK_LOOK3: SetLook(m, 3, SGE_ParamPtr<const int32_t>(p2)); break;
    default: break;
  }
}

bool IsRecordMessage(int32_t msg) { return msg >= SGM_MARK_REMOVE && msg <= SGM_MARK_LOOK3; }

}  // namespace

SGE_RESULT vnMARK_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                          SGE_PARAM p2) {
  VNMARKERS* self = SGE_TaskData<VNMARKERS>(task);
  if (!self) return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
  switch (msg) {
    case SGM_TASK_CREATE: OnCreate(task, self, SGE_ParamPtr<const VNMARKER_DEFAULTS>(p1)); break;
    case SGM_TASK_DESTROY: OnDestroy(task, self); break;
    case SGM_TASK_DRAW: Draw(self, SGE_ParamPtr<const VNFX_ATTACHNODE>(p1)); break;
    case SGM_MARK_ADD:
      return SGE_PtrResult(Add(self, SGE_ParamPtr<const SPW_VECTOR>(p1), static_cast<uint32_t>(p2)));
    default:
      if (IsRecordMessage(msg)) OnRecordMessage(self, msg, SGE_ParamPtr<VNMARKER>(p1), p2);
      break;
  }
  return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
}

int32_t vnMARK_Register() {
  return SGE_RegisterTaskType(VNTT_MARKERS, vnMARK_Handler, SGE_TTF_ALLOC_DATA,
                              static_cast<int32_t>(sizeof(VNMARKERS)), nullptr);
}
