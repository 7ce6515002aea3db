// The transition controller: its task, its full-screen node on layer 1 and the level stepping.
#include "shell/fade/fade.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/display/display.h"
#include "engine/kernel/frametime.h"
#include "engine/kernel/kernelstate.h"
#include "engine/quad/quad.h"
#include "platform/trace.h"
#include "shell/sound/sound.h"
#include "shell/state.h"

namespace {

constexpr float kNodeValue = 10.0f;
constexpr float kDepth = 1.0f;
constexpr uint32_t kWhite = 0x00ffffffu;

SGE_TASK* g_controller = nullptr;

SPPD_DRIVERTABLE* DriverOf(const SPW_DISPLAYNODE* node) {
  return node ? SPW_GetDisplayDriver(node->pDisplay) : nullptr;
}

// The quad's colour: the image's own colour, alpha (1 - level). Without the image the quad is
// drawn untextured, so it is black that covers the scene either way.
uint32_t QuadColour(const VNFADE* fade) {
  const float cover = 1.0f - std::clamp(fade->fLevel, 0.0f, 1.0f);
  const auto alpha = static_cast<uint32_t>(cover * 255.0f);
  return (alpha << 24) | (fade->nTextureId ? kWhite : 0u);
}

int32_t RenderFade(SPW_DISPLAYNODE* node, SPPD_VIEWPORT*, SGE_DATAREF* data) {
  auto* fade = data ? static_cast<VNFADE*>(data->pData) : nullptr;
  SPPD_DRIVERTABLE* drv = DriverOf(node);
  if (!fade || !drv) return 1;
  SPW_SetLayerRenderState(node, VN_FADE_LAYER);
  if (fade->request.nMode != VN_FADE_TO && fade->request.nMode != VN_FADE_HOLD) return 1;
  SPW_B2DFRAME frame{};
  frame.nWidth = static_cast<int32_t>(node->pDisplay->fWidth);
  frame.nHeight = static_cast<int32_t>(node->pDisplay->fHeight);
  frame.du = frame.dv = 1.0f;
  frame.nTextureId = fade->nTextureId;
  SPW_DrawFrame(node, &frame, 0.0f, 0.0f, kDepth, QuadColour(fade));
  return 1;
}

void LoadImage(VNFADE* fade) {
  SPPD_DRIVERTABLE* drv = DriverOf(fade->pNode);
  if (!drv || !drv->SPPD_TextureGetID) return;
  int32_t id = 0;
  if (drv->SPPD_TextureGetID(fade->pNode->pDisplay, VN_FADE_IMAGE, &id, 1) != SPPD_OK) {
    PLAT_Trace("VNFADE: no texture for %s; fades draw untextured\n", VN_FADE_IMAGE);
    id = 0;
  }
  fade->nTextureId = id;
}

void CreateNode(VNFADE* fade, SGE_DATAREF* data) {
  SPW_DISPLAY* display = vnMAIN_GetDisplay();
  const VNLAYER* layer = vnMAIN_GetLayer(VN_FADE_LAYER);
  if (!display || !layer) {
    PLAT_Trace("VNFADE: no display; fades are not drawn\n");
    return;
  }
  const float hw = display->fWidth * 0.5f, hh = display->fHeight * 0.5f;
  const SPW_RECT rect{-hw, -hh, hw, hh};
  const SPW_POINT origin{hw, hh};
  fade->pNode = SPW_CreateDisplayNode(layer->dwKey, kNodeValue, &rect, &origin, 0, nullptr,
                                      display, nullptr, 0, nullptr);
  fade->pRenderCb = SPW_AddDisplayNode(fade->pNode, RenderFade, 0, data);
}

void OnCreate(SGE_TASK* task, VNFADE* fade, SGE_DATAREF* data) {
  g_controller = task;
  fade->pTask = task;
  CreateNode(fade, data);
  fade->pTimer = SGE_AddFrameTimer(task, 1, nullptr, SGE_TIMER_REPEAT);
  fade->request = VNFADE_REQUEST{};
  fade->bSoundLink = 1;
  SGE_Send(task, SGM_VRAM_FLUSH, 0, 0);
}

void OnDestroy(SGE_TASK* task, VNFADE* fade) {
  SGE_KillTimer(fade->pTimer);
  fade->pTimer = nullptr;
  // Frees the reference the callback holds on this record, so the record goes with the task.
  SPW_FreeDisplayCallback(fade->pRenderCb);
  fade->pRenderCb = nullptr;
  SPW_DestroyDisplayNode(fade->pNode);
  fade->pNode = nullptr;
  if (g_controller == task) g_controller = nullptr;
}

int32_t OnStart(VNFADE* fade, SGE_PARAM p1, SGE_PARAM p2) {
  const auto* request = SGE_ParamPtr<const VNFADE_REQUEST>(p1);
  const auto* params = SGE_ParamPtr<const VNFADE_PARAMS>(p2);
  const VNFADE_REQUEST cleared{};
  if (!request) request = &cleared;
  const int32_t previous = fade->request.nMode;
  switch (request->nMode) {
    case VN_FADE_NONE:
    case VN_FADE_HOLD:
      break;
    case VN_FADE_TO:
      if (!params || std::isnan(params->fTarget)) {
        PLAT_Trace("VNFADE: a fade without a target level is refused\n");
        return VN_FADE_REFUSED;
      }
      // The level stays within 0..1: the quad's alpha is made from it.
      fade->fTarget = std::clamp(params->fTarget, 0.0f, 1.0f);
      fade->fDuration = params->fDuration;
      break;
    default:
      PLAT_Trace("VNFADE: fade mode [%d] is refused\n", request->nMode);
      return VN_FADE_REFUSED;
  }
  // The replaced requester is not told.
  fade->request = *request;
  return previous;
}

// Moves the level by one frame's share of the duration; lands on the target rather than pass
// it, and at once when there is no time to spread the change over.
void StepLevel(VNFADE* fade) {
  if (!(fade->fDuration > 0.0f)) {  // also a NaN duration
    fade->fLevel = fade->fTarget;
    return;
  }
  const float step = SGE_GetFrameDelta() / fade->fDuration;
  if (fade->fLevel < fade->fTarget)
    fade->fLevel = fade->fLevel + step >= fade->fTarget ? fade->fTarget : fade->fLevel + step;
  else
    fade->fLevel = fade->fLevel - step <= fade->fTarget ? fade->fTarget : fade->fLevel - step;
}

void OnFrame(VNFADE* fade) {
  if (fade->request.nMode != VN_FADE_TO) return;
  if (fade->fLevel != fade->fTarget) {
    StepLevel(fade);
    vnSOUND_SetMasterLevel(fade->bSoundLink == 1 ? fade->fLevel : 1.0f);
    return;
  }
  // Cleared before the requester hears of it, so that it may start the next fade at once.
  const VNFADE_REQUEST done = fade->request;
  fade->request = VNFADE_REQUEST{};
  if (SGE_TaskIsLive(done.pRequester))
    SGE_Send(done.pRequester, SGM_FADE_DONE, SGE_PtrParam(&done), 0);
  else if (done.pRequester)
    PLAT_Trace("VNFADE: the task that asked for the fade has ended\n");
}

int32_t OnGetController(SGE_PARAM p1) {
  auto* out = reinterpret_cast<SGE_TASK**>(p1);
  if (!out) return 0;
  *out = g_controller;
  return g_controller ? 1 : 0;
}

}  // namespace

SGE_RESULT vnFADE_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                          SGE_PARAM p2) {
  auto* fade = SGE_TaskData<VNFADE>(task);
  if (!fade) return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
  switch (msg) {
    case SGM_TASK_CREATE:
      OnCreate(task, fade, task->pInstance);
      break;
    case SGM_TASK_DESTROY:
      OnDestroy(task, fade);
      break;
    case SGM_TASK_FRAME:
      OnFrame(fade);
      break;
    case SGM_VRAM_FLUSH:
      LoadImage(fade);
      break;
    case SGM_FADE_GET_CONTROLLER:
      return OnGetController(p1);
    case SGM_FADE_START:
      return OnStart(fade, p1, p2);
    case SGM_FADE_GET_MODE:
      return fade->request.nMode;
    case SGM_FADE_SET_FLAG:
      fade->bSoundLink = static_cast<int32_t>(p1);
      return 1;
    case SGM_FADE_GET_FLAG:
      return fade->bSoundLink;
    default:
      break;
  }
  return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
}

int32_t vnFADE_Register() {
  return SGE_RegisterTaskType(VNTT_FADE, vnFADE_Handler, SGE_TTF_ZERO_DATA, sizeof(VNFADE), "FADE");
}

int32_t vnFADE_Start(SGE_TASK* requester, SGE_PARAM value1, SGE_PARAM value2, int32_t mode,
                     const VNFADE_PARAMS* params) {
  if (!g_controller) {
    PLAT_Trace("vnFADE_Start: no transition controller\n");
    return VN_FADE_REFUSED;
  }
  const VNFADE_REQUEST request{mode, requester, value1, value2};
  return SGE_Send(g_controller, SGM_FADE_START, SGE_PtrParam(&request),
                  SGE_PtrParam(params));
}

int32_t vnFADE_To(SGE_TASK* requester, SGE_PARAM value1, SGE_PARAM value2, float target,
                  float seconds) {
  const VNFADE_PARAMS params{0, target, seconds};
  return vnFADE_Start(requester, value1, value2, VN_FADE_TO, &params);
}

int32_t vnFADE_Clear() { return vnFADE_Start(nullptr, 0, 0, VN_FADE_NONE, nullptr); }

int32_t vnFADE_SetSoundLink(int32_t flag) {
  if (!g_controller) return 0;
  const int32_t old = SGE_Send(g_controller, SGM_FADE_GET_FLAG, 0, 0);
  SGE_Send(g_controller, SGM_FADE_SET_FLAG, flag, 0);
  return old;
}

SGE_TASK* vnFADE_GetController() { return g_controller; }
