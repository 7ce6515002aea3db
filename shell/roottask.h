#pragma once
// The root task (type 1): the top of the task tree for the whole run.
#include <cstdint>

#include "engine/driver/sppd.h"
#include "engine/kernel/kernel.h"
#include "engine/kernel/tasktypes.h"
#include "shell/state.h"

struct SPW_DISPLAYNODE;
struct SPW_DISPLAYCB;
struct SPW_FONT;


// Mission results: the int32 that an ending mission controller points to.
constexpr int32_t VN_MISSION_QUIT = 0;           // back to the front end
constexpr int32_t VN_MISSION_WON = 1;
constexpr int32_t VN_MISSION_LOST = 2;
constexpr int32_t VN_MISSION_LEADER_KILLED = 3;  // lost with the lieutenant's death
constexpr int32_t VN_MISSION_RESTART = 4;        // the mission starts again at once

// The front end's end codes, and the start kinds the root task gives it after a mission.
constexpr int32_t VN_FRONTEND_END_QUIT = 0;
constexpr int32_t VN_FRONTEND_END_START_MISSION = 1;
constexpr int32_t VN_FRONTEND_START_MENU = 0;
constexpr int32_t VN_FRONTEND_START_DEBRIEFING = 1;

constexpr int32_t SGM_ROOT_QUIT = 17;
constexpr int32_t SGM_ROOT_SWITCH_TASK = 4371;
constexpr int32_t SGM_ROOT_SWITCH_DONE = 4372;

struct VNROOT {
  SGE_TASK* pTask;
  SPW_DISPLAYNODE* pNode;       // the full-screen node
  SPW_DISPLAYCB* pClearCb;      // the driver's screen clear
  SPW_DISPLAYCB* pNullCb;
  SGE_TASK* pPointer;
  void* pTextPanel;
  SPW_FONT* apFonts[VN_NUM_FONTS];
  SGE_TASK* pLoadScreen;        // the pending switch's loading screen
  // The mission result of the last ended mission controller, copied when it ended: the
  // controller's own record is gone by the time the loading screen asks.
  int32_t nMissionResult;
};

int32_t vnROOT_Create();
void vnROOT_Destroy();
void vnROOT_RegisterTaskTypes();
SGE_TASK* vnROOT_GetTask();
void* vnROOT_GetTextPanel();
SGE_TASK* vnROOT_GetCurrentTask();
uint32_t vnROOT_SetBackground(uint32_t colour);
int32_t vnROOT_LoadFonts(VNROOT* root);
void vnROOT_FreeFonts(VNROOT* root);
void vnROOT_ApplyUserMode(VNROOT* root);
SGE_RESULT vnROOT_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                          SGE_PARAM p2);
int32_t vnMAIN_NullCallback(SPW_DISPLAYNODE* node, SPPD_VIEWPORT* vp, SGE_DATAREF* data);
