#pragma once
// Mission events that the world's placed objects raise: each goes to the mission controller
// (vnMISSCONT_GetTask), which passes it on to the mission script.
#include <cstdint>

#include "engine/kernel/kernel.h"

constexpr int32_t SGM_VN_MISSCONT_EVENT_TERRAN_KILLED = 2330;  // the transport was destroyed
constexpr int32_t SGM_VN_MISSCONT_EVENT_DOOR_DONE = 2337;      // p1 door id, p2 1 opened / 0 closed
constexpr int32_t SGM_VN_MISSCONT_EVENT_DOOR_CLOSING = 2338;   // p1 door id
constexpr int32_t SGM_VN_MISSCONT_EVENT_PASSENGER_PICKED_UP = 2346;  // from the transport
constexpr int32_t SGM_VN_MISSCONT_EVENT_POPTARGET_WRONG = 2354;  // hit by the wrong weapon

// Sends the event to the mission controller; its answer, 0 when no mission runs.
int32_t vnMISSCONT_RaiseEvent(int32_t event, SGE_PARAM p1, SGE_PARAM p2);
