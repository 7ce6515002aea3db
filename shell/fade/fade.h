#pragma once
// The transition controller: one task that draws a full-screen quad over everything on display
// layer 1, its alpha following a fade level that moves towards a requested target over a
// requested time. It can drive the sound's master level with the fade and tells the task that
// asked when the target is reached. Other tasks reach it through vnFADE_Start, vnFADE_To and
// vnFADE_Clear.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/kernel/tasktypes.h"

struct SPW_DISPLAYNODE;
struct SPW_DISPLAYCB;


// Messages to the controller, and 4118 from it to the requester.
constexpr int32_t SGM_FADE_GET_CONTROLLER = 4115;  // p1: SGE_TASK** to fill; 1 when filled
constexpr int32_t SGM_FADE_START = 4116;  // p1 the request, p2 the mode-1 parameters; old mode
constexpr int32_t SGM_FADE_GET_MODE = 4117;
constexpr int32_t SGM_FADE_DONE = 4118;      // p1 points to the finished request
constexpr int32_t SGM_FADE_SET_FLAG = 4119;  // p1 the sound link
constexpr int32_t SGM_FADE_GET_FLAG = 4120;

// Modes.
constexpr int32_t VN_FADE_NONE = 0;  // nothing drawn
constexpr int32_t VN_FADE_TO = 1;    // moving towards the target
constexpr int32_t VN_FADE_HOLD = 2;  // drawn at the level reached
// Result of a request the controller refused (unknown mode, missing or NaN parameters).
constexpr int32_t VN_FADE_REFUSED = -1;

constexpr const char* VN_FADE_IMAGE = "sprites/effects/fadeblank.ppm";
constexpr int32_t VN_FADE_LAYER = 1;

// Who asked and what to hand back; 4118 carries a pointer to it.
struct VNFADE_REQUEST {
  int32_t nMode;
  SGE_TASK* pRequester;  // none: nobody is told
  SGE_PARAM value1;
  SGE_PARAM value2;
};

// Mode 1: where the level goes and in how many seconds (0 or less: at once).
struct VNFADE_PARAMS {
  int32_t nUnused;
  float fTarget;  // 1.0 the scene fully visible, 0.0 fully covered
  float fDuration;
};

// The controller's instance record, zeroed at creation.
struct VNFADE {
  SGE_TASK* pTask;
  SPW_DISPLAYNODE* pNode;
  SPW_DISPLAYCB* pRenderCb;
  SGE_TIMER* pTimer;
  int32_t nTextureId;
  VNFADE_REQUEST request;
  int32_t bSoundLink;  // 1: the level drives the sound's master level
  float fLevel;
  float fTarget;
  float fDuration;
};

// Puts the controller's type in the type table; 1 on success.
int32_t vnFADE_Register();
SGE_RESULT vnFADE_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                          SGE_PARAM p2);

// The previous mode, VN_FADE_REFUSED for a refused request or when no controller runs.
int32_t vnFADE_Start(SGE_TASK* requester, SGE_PARAM value1, SGE_PARAM value2, int32_t mode,
                     const VNFADE_PARAMS* params);
int32_t vnFADE_To(SGE_TASK* requester, SGE_PARAM value1, SGE_PARAM value2, float target,
                  float seconds);
// Mode 0 with no requester: stops drawing at once.
int32_t vnFADE_Clear();
// The previous link; 0 when no controller runs.
int32_t vnFADE_SetSoundLink(int32_t flag);
SGE_TASK* vnFADE_GetController();
