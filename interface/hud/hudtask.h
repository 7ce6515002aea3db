#pragma once
// The HUD task: the in-mission control panel as units, missions and scripts ask it. It counts
// the strike team's selected soldiers, knows the platoon leader, shows or hides its command
// panel, marks tech items spent and swaps a suit for its pilot. The mission makes it; it enters
// itself in the mission's context while it lives.
#include <cstdint>

#include "engine/kernel/kernel.h"

constexpr int32_t SGM_VN_HUD_SHOW_PANEL = 1811;
constexpr int32_t SGM_VN_HUD_HIDE_PANEL = 1812;
constexpr int32_t SGM_VN_HUD_TOGGLE_PANEL = 1813;
constexpr int32_t SGM_VN_HUD_PANEL_SHOWN = 1814;
constexpr int32_t SGM_VN_HUD_LEADER_ID = 1821;        // the platoon leader's unit id, 0 none
constexpr int32_t SGM_VN_HUD_LEADER_SELECTED = 1822;  // 1 when his unit is selected
constexpr int32_t SGM_VN_HUD_LEADER_FLAG2 = 1823;     // bit 0x2 of his unit's flags
constexpr int32_t SGM_VN_HUD_REBUILD = 1827;
constexpr int32_t SGM_VN_HUD_FORGET_COMMAND = 1845;   // p1 0: the clicked command is dropped
constexpr int32_t SGM_VN_HUD_SELECTED_COUNT = 1846;
constexpr int32_t SGM_VN_HUD_TECH_USED = 1852;        // p1 unit id, p2 tech item type

// Bit of a unit's flags that 1823 reports.
constexpr uint32_t VNHUD_LEADER_FLAG = 0x2;

struct VNHUD_DATA {
  SGE_TASK* pTask;
  SGE_TIMER* pTimer;
  float fTime;           // seconds since it started
  int32_t bPanelShown;
  uint32_t dwCurrentUnit;  // the current strike-team soldier's unit id, 0 none
  int32_t iSelectedCount;  // selected strike-team soldiers
  int32_t iPressedCode;    // the clicked command, -1 none
  int32_t nRebuilds;
};

// Registers the HUD task type (VNTT_HUD).
int32_t vnHUD_Register();
SGE_RESULT vnHUD_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                         SGE_PARAM p2);

// The HUD task of the running mission, or null. The functions below do nothing (0) without one.
SGE_TASK* vnHUD_GetObject();
// The number of selected strike-team soldiers.
int32_t vnHUD_GetState1846();
void vnHUD_ShowPanel();
void vnHUD_HidePanel();
// The suit's unit gives way to its pilot's in the HUD and the strike team.
void vnHUD_ReplaceUnit(uint32_t oldId, uint32_t newId);
