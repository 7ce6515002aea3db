#pragma once
// The retrieval boat manager: counts the evacuation boats the mission still allows and flies a
// boat in as a scripted sequence, for a wounded soldier 15 seconds after the call, for a captured
// creature at once and without using the allowance.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/kernel/tasktypes.h"

struct VNSS_DEFINITION;
struct VNSS_RUNNER;


// Messages of the manager.
// p1 unit id: 1 when a boat comes (its entry joins the list), 0 when refused.
constexpr int32_t SGM_RETBOAT_MANAGER_ADD_BOAT = 3859;
constexpr int32_t SGM_RETBOAT_MANAGER_ADD_THREE = 3860;
constexpr int32_t SGM_RETBOAT_MANAGER_GET_AVAILABLE = 3861;
// Messages the manager sends to units' controllers.
constexpr int32_t SGM_UNIT_GET_CAPTURER = 588;         // the capturing unit's id, 0 for none
constexpr int32_t SGM_UNIT_GET_CAPTURE_HEIGHT = 1064;  // the boat's height above the creature

constexpr int32_t VNRETBOAT_RAISE = 3;
constexpr uint32_t VNRETBOAT_EVAC_DELAY_MS = 15000;
constexpr char VNRETBOAT_EVAC_SEQUENCE[] = "Export/SSE/Med_Evac.SSE";
constexpr char VNRETBOAT_CAPTURE_SEQUENCE[] = "Export/SSE/Specimen_Capture.SSE";

struct VNRETBOAT_ENTRY {
  SGE_DLLNODE link;
  VNSS_DEFINITION* pDef;
  VNSS_RUNNER* pRunner;
  uint32_t dwUnitId;
  SGE_TIMER* pTimer;  // until the evacuation boat leaves
};

struct VNRETBOAT_MANAGER {
  SGE_DLLNODE entries;  // VNRETBOAT_ENTRY
  int32_t nAvailable;
};

int32_t vnRETBOAT_Register();
// 1 when the running mission's manager sends a boat for the unit, else 0.
int32_t vnRETBOAT_AddBoat(uint32_t unitId);
// The boats left; 0 without a manager.
int32_t vnRETBOAT_GetAvailableCount();
