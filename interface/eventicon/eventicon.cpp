// The event-icon task and its functions.
#include "interface/eventicon/eventicon.h"

#include "engine/kernel/tasktypes.h"
#include "engine/memory/memblock.h"
#include "missions/control/effecttexture.h"
#include "missions/control/missiontasks.h"
#include "platform/trace.h"
#include "world/unitman/unitman.h"

namespace {

constexpr const char* kTextures[VNEVENTICON_KINDS] = {
    "sprites/effects/world_destin.ppm",     "sprites/effects/world_target.ppm",
    "sprites/effects/world_rescue.ppm",     "sprites/effects/world_guard.ppm",
    "sprites/effects/world_repair.ppm",     "sprites/effects/world_cameraman.ppm",
    "sprites/effects/world_dogtags.ppm",    "sprites/effects/world_bugs.ppm"};

VNEVENTICON_DATA* Data() {
  return SGE_TaskData<VNEVENTICON_DATA>(vnMISSCONT_GetEventIconTask());
}

VNEVENTICON* Find(VNEVENTICON_DATA* self, int32_t id) {
  if (!self) return nullptr;
  for (VNEVENTICON* icon : SGE_ListRecords<VNEVENTICON>(&self->icons))
    if (icon->nId == id) return icon;
  return nullptr;
}

void Free(VNEVENTICON* icon) {
  if (icon->pTimer) SGE_KillTimer(icon->pTimer);
  SGE_ListUnlink(&icon->link);
  SGE_MemFree(icon);
}

void TimedOut(VNEVENTICON_DATA* self, const SGE_TIMER* timer) {
  for (VNEVENTICON* icon : SGE_ListRecords<VNEVENTICON>(&self->icons)) {
    if (icon->pTimer != timer) continue;
    // A one-shot timer is gone once it has fired.
    icon->pTimer = nullptr;
    Free(icon);
    return;
  }
}

void Create(VNEVENTICON_DATA* self, SGE_TASK* task) {
  *self = VNEVENTICON_DATA{};
  self->pTask = task;
  SGE_ListInit(&self->icons);
  vnMISSCONT_SetEventIconTask(task);
}

void Destroy(VNEVENTICON_DATA* self) {
  for (VNEVENTICON* icon : SGE_ListRecords<VNEVENTICON>(&self->icons)) Free(icon);
  if (vnMISSCONT_GetEventIconTask() == self->pTask) vnMISSCONT_SetEventIconTask(nullptr);
}

SGE_RESULT Answer(VNEVENTICON_DATA* self, SGE_TASK* task, int32_t msg, SGE_PARAM p1, SGE_PARAM) {
  switch (msg) {
    case SGM_TASK_CREATE: Create(self, task); return 0;
    case SGM_TASK_DESTROY: Destroy(self); return 0;
    case SGM_TASK_TIMER: TimedOut(self, SGE_ParamPtr<const SGE_TIMER>(p1)); return 0;
    default: return 0;
  }
}

}  // namespace

int32_t vnEventIcon_Register() {
  return SGE_RegisterTaskType(VNTT_EVENTICON, vnUNIT_ControllerHandler<VNEVENTICON_DATA, Answer>,
                              SGE_TTF_ZERO_DATA, static_cast<int32_t>(sizeof(VNEVENTICON_DATA)), "");
}

int32_t vnEventIcon_AddIcon(uint32_t kind, const float* origin, const float* scale,
                            const SPW_VECTOR* position, int32_t shown) {
  VNEVENTICON_DATA* self = Data();
  if (!self || kind >= VNEVENTICON_KINDS) return -1;
  auto* icon = static_cast<VNEVENTICON*>(SGE_MemCalloc(SGE_GameMem, sizeof(VNEVENTICON)));
  if (!icon) {
    PLAT_Trace("Fail to allocate icon memory for sprite: %s\n", kTextures[kind]);
    return -1;
  }
  // A missing picture is traced by the look-up; the icon still marks its place.
  icon->nTexture = vnMISSCONT_GetEffectTextureID(kTextures[kind]);
  icon->nId = self->nNextId++;
  icon->nKey = -1;
  icon->afOrigin[0] = origin ? origin[0] : 0.0f;
  icon->afOrigin[1] = origin ? origin[1] : 0.0f;
  icon->afScale[0] = scale ? scale[0] : 1.0f;
  icon->afScale[1] = scale ? scale[1] : 1.0f;
  if (position) icon->vPos = *position;
  if (shown) icon->dwFlags |= VNEVENTICON_SHOWN;
  SGE_ListAddTail(&self->icons, &icon->link);
  return icon->nId;
}

void vnEventIcon_Show(int32_t id) {
  if (VNEVENTICON* icon = Find(Data(), id)) icon->dwFlags |= VNEVENTICON_SHOWN;
}

void vnEventIcon_Hide(int32_t id) {
  if (VNEVENTICON* icon = Find(Data(), id)) icon->dwFlags &= ~VNEVENTICON_SHOWN;
}

void vnEventIcon_Remove(int32_t id) {
  if (VNEVENTICON* icon = Find(Data(), id)) Free(icon);
}

void vnEventIcon_SetTimeout(int32_t id, int32_t seconds) {
  VNEVENTICON_DATA* self = Data();
  VNEVENTICON* icon = Find(self, id);
  if (!icon || seconds < 0) return;
  if (icon->pTimer) SGE_KillTimer(icon->pTimer);
  icon->pTimer = SGE_AddTimer(self->pTask, static_cast<uint32_t>(seconds) * 1000u, nullptr, 0);
  icon->dwFlags |= VNEVENTICON_TIMED;
}

void vnEventIcon_AttachToObject(int32_t id, int32_t key) {
  if (VNEVENTICON* icon = Find(Data(), id)) {
    icon->dwFlags |= VNEVENTICON_ATTACHED;
    icon->nKey = key;
  }
}

int32_t vnEventIcon_RemoveAttached(int32_t key) {
  VNEVENTICON_DATA* self = Data();
  if (!self) return 0;
  for (VNEVENTICON* icon : SGE_ListRecords<VNEVENTICON>(&self->icons))
    if ((icon->dwFlags & VNEVENTICON_ATTACHED) && icon->nKey == key) Free(icon);
  return 0;
}

const VNEVENTICON* vnEventIcon_Find(int32_t id) { return Find(Data(), id); }
