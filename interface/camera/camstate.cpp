// The camera state task.
#include "interface/camera/camstate.h"

#include <algorithm>
#include <cmath>

#include "engine/dobject/dobject.h"
#include "engine/kernel/frametime.h"
#include "engine/kernel/tasktypes.h"
#include "engine/math/vecops.h"
#include "engine/memory/memblock.h"
#include "missions/control/missiontasks.h"
#include "platform/trace.h"
#include "world/unitman/unitman.h"

namespace {

// Zoom levels: under the first bound the near step, up to the second the middle one.
constexpr float kNearBound = 23.75f;
constexpr float kMiddleBound = 41.25f;
constexpr float kSteps[3] = {VNCAMERA_ZOOM_MIN, VNCAMERA_ZOOM_MID, VNCAMERA_ZOOM_MAX};

int32_t Level(float zoom) { return zoom < kNearBound ? 0 : zoom <= kMiddleBound ? 1 : 2; }

void Step(VNCAMERA_STATE* self, int32_t by) {
  self->fZoom = kSteps[std::clamp(Level(self->fZoom) + by, 0, 2)];
  self->dwFlags &= ~VNCAMERA_AUTO_ZOOM;
}

void ZoomBy(VNCAMERA_STATE* self, const int32_t* delta) {
  if (!delta) return;
  self->fZoom = std::clamp(self->fZoom + static_cast<float>(*delta), VNCAMERA_ZOOM_MIN, VNCAMERA_ZOOM_MAX);
  self->dwFlags &= ~VNCAMERA_AUTO_ZOOM;
}

void Set(VNCAMERA_STATE* self, uint32_t flag, bool on) {
  self->dwFlags = on ? self->dwFlags | flag : self->dwFlags & ~flag;
}

void FreeLook(VNCAMERA_STATE* self, SGE_PARAM on) {
  Set(self, VNCAMERA_FREE_LOOK, on == 1);
  Set(self, VNCAMERA_FOLLOW_BEHIND, false);
}

// Free mode: the camera stops following and the zoom goes to 0, on its target point.
void EnterFree(VNCAMERA_STATE* self) {
  self->dwFlags |= VNCAMERA_FREE;
  self->fZoom = 0.0f;
}

void Resume(VNCAMERA_STATE* self) {
  FreeLook(self, 0);
  self->dwFlags = (self->dwFlags & ~VNCAMERA_FREE) | VNCAMERA_AUTO_ZOOM;
  if (!(self->fZoom > 0.0f)) self->fZoom = VNCAMERA_ZOOM_MID;
}

void Shake(VNCAMERA_STATE* self, const VNCAMERA_SHAKE_REQUEST* request) {
  if (!request) return;
  auto* shake = static_cast<VNCAMERA_SHAKE*>(SGE_MemCalloc(SGE_GameMem, sizeof(VNCAMERA_SHAKE)));
  if (!shake) {
    PLAT_Trace("CAMERA: no memory for a shake\n");
    return;
  }
  shake->req = *request;
  shake->fStart = SGE_GetSeconds();
  SGE_ListAddTail(&self->shakes, &shake->link);
}

// A shake ends after its duration; one that fades first runs its magnitude down.
void AgeShakes(VNCAMERA_STATE* self) {
  const float now = SGE_GetSeconds();
  for (VNCAMERA_SHAKE* s : SGE_ListRecords<VNCAMERA_SHAKE>(&self->shakes)) {
    if (now - s->fStart < s->req.fDuration) continue;
    if (s->req.bFade) s->req.fMagnitude -= SGE_GetFrameTime();
    if (s->req.bFade && s->req.fMagnitude > 0.0f) continue;
    SGE_ListUnlink(&s->link);
    SGE_MemFree(s);
  }
}

// The camera object takes the angles, and the position when one is given.
void Place(VNCAMERA_STATE* self, const SPW_VECTOR* angles, const SPW_VECTOR* position) {
  self->vAngles = *angles;
  SPW_DOBJECT* eye = vnMISSCONT_GetCameraDObject();
  if (!eye) return;
  SPW_QuatFromAnglesXZ(&self->vAngles, &eye->t.qRot);
  if (position) eye->t.vPos = *position;
}

int32_t LookFrom(VNCAMERA_STATE* self, const SPW_VECTOR* eye, const SPW_VECTOR* target) {
  if (!eye || !target) return 0;
  SPW_VECTOR d = SPW_VSub(*target, *eye);
  if (!(SPW_VecNormalise(&d) > 0.0f)) return 0;
  const SPW_VECTOR angles{SPW_PI / 2.0f + std::asin(std::clamp(d.z, -1.0f, 1.0f)), 0.0f,
                          std::atan2(d.y, d.x) - SPW_PI / 2.0f};
  Place(self, &angles, eye);
  return 1;
}

void Create(VNCAMERA_STATE* self, SGE_TASK* task) {
  *self = VNCAMERA_STATE{};
  self->pTask = task;
  self->fZoom = VNCAMERA_ZOOM_MID;
  self->pPlayer = vnUNITMAN_GetHumanPlayer();
  SGE_ListInit(&self->shakes);
  self->pTimer = SGE_AddFrameTimer(task, 1, nullptr, SGE_TIMER_REPEAT);
  vnMISSCONT_SetCameraTask(task);
}

void Destroy(VNCAMERA_STATE* self) {
  for (VNCAMERA_SHAKE* s : SGE_ListRecords<VNCAMERA_SHAKE>(&self->shakes)) {
    SGE_ListUnlink(&s->link);
    SGE_MemFree(s);
  }
  if (self->pTimer) SGE_KillTimer(self->pTimer);
  self->pTimer = nullptr;
  if (vnMISSCONT_GetCameraTask() == self->pTask) vnMISSCONT_SetCameraTask(nullptr);
}

SGE_RESULT Answer(VNCAMERA_STATE* self, SGE_TASK* task, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  switch (msg) {
    case SGM_TASK_CREATE: Create(self, task); return 0;
    case SGM_TASK_DESTROY: Destroy(self); return 0;
    case SGM_TASK_FRAME: AgeShakes(self); return 0;
    case SGM_CAMERA_ZOOM_DELTA: ZoomBy(self, SGE_ParamPtr<const int32_t>(p1)); return 0;
    case SGM_CAMERA_AUTO_ZOOM: self->dwFlags |= VNCAMERA_AUTO_ZOOM; return 0;
    case SGM_CAMERA_ZOOM_OUT_STEP: Step(self, 1); return 0;
    case SGM_CAMERA_ZOOM_IN_STEP: Step(self, -1); return 0;
    case SGM_CAMERA_FREE_LOOK: FreeLook(self, p1); return 0;
    case SGM_CAMERA_TOGGLE_FOLLOW_BEHIND: self->dwFlags ^= VNCAMERA_FOLLOW_BEHIND; return 0;
    case SGM_CAMERA_TERRAIN_CLEARANCE: Set(self, VNCAMERA_NO_CLEARANCE, p1 != 1); return 0;
    case SGM_CAMERA_FREEZE:
      Set(self, VNCAMERA_FROZEN, p1 == 1);
      FreeLook(self, 0);
      return 0;
    case SGM_CAMERA_SHAKE: Shake(self, SGE_ParamPtr<const VNCAMERA_SHAKE_REQUEST>(p1)); return 0;
    case SGM_CAMERA_GET_ANGLES: return SGE_PtrResult(&self->vAngles);
    case SGM_CAMERA_SET_ANGLES:
      if (const auto* angles = SGE_ParamPtr<const SPW_VECTOR>(p1)) Place(self, angles, nullptr);
      return 0;
    case SGM_CAMERA_SET_PLAYER: self->pPlayer = SGE_ParamPtr<VNPLAYER>(p1); return 0;
    case SGM_CAMERA_GET_PLAYER: return SGE_PtrResult(self->pPlayer);
    case SGM_CAMERA_FREE:
      if (p1 == 1) EnterFree(self);
      else Resume(self);
      return 0;
    case SGM_CAMERA_RESUME: Resume(self); return 0;
    case SGM_CAMERA_LOOK_FROM:
      return LookFrom(self, SGE_ParamPtr<const SPW_VECTOR>(p1), SGE_ParamPtr<const SPW_VECTOR>(p2));
    default: return 0;
  }
}

constexpr SGE_TASKHANDLER kHandler = vnUNIT_ControllerHandler<VNCAMERA_STATE, Answer>;

}  // namespace

int32_t vnCAMERA_Register() {
  return SGE_RegisterTaskType(VNTT_CAMERA_STATE, kHandler, SGE_TTF_ZERO_DATA,
                              static_cast<int32_t>(sizeof(VNCAMERA_STATE)), "");
}

int32_t vnCAMERA_CountShakes() {
  SGE_TASK* camera = vnMISSCONT_GetCameraTask();
  // A camera task of another handler keeps its own record.
  const auto* self = camera && camera->pHandler == kHandler ? SGE_TaskData<VNCAMERA_STATE>(camera)
                                                            : nullptr;
  return self ? SGE_ListCount(&self->shakes) : 0;
}
