#pragma once
// Mission events that the world's placed objects raise: each goes to the mission controller
// (vnMISSCONT_GetTask), which passes it on to the mission script.
#include <cstdint>

#include "engine/kernel/kernel.h"

constexpr int32_t SGM_VN_MISSCONT_EVENT_BUGHOLE_DESTROYED = 2328;  // p1 its wave, p2 its unit id
// A soldier or a vehicle of the player's side was killed or destroyed: p1 its unit id.
constexpr int32_t SGM_VN_MISSCONT_EVENT_TERRAN_KILLED = 2330;
constexpr int32_t SGM_VN_MISSCONT_EVENT_BUG_KILLED = 2332;   // p1 unit id, p2 unit type
constexpr int32_t SGM_VN_MISSCONT_EVENT_BUG_CAPTURED = 2333; // p1 unit id
constexpr int32_t SGM_VN_MISSCONT_EVENT_CARRIED_GONE = 2334; // p1 the bug whose load is gone
// A dormant soldier woke: p1 its unit id.
constexpr int32_t SGM_VN_MISSCONT_EVENT_TERRAN_AWAKE = 2343;
// A tech item was used: p1 its unit type, p2 the nova bomb's position (0 for other types).
constexpr int32_t SGM_VN_MISSCONT_EVENT_TECH_USED = 2352;
constexpr int32_t SGM_VN_MISSCONT_EVENT_DOOR_DONE = 2337;      // p1 door id, p2 1 opened / 0 closed
constexpr int32_t SGM_VN_MISSCONT_EVENT_DOOR_CLOSING = 2338;   // p1 door id
constexpr int32_t SGM_VN_MISSCONT_EVENT_PASSENGER_PICKED_UP = 2346;  // from the transport
constexpr int32_t SGM_VN_MISSCONT_EVENT_POPTARGET_WRONG = 2354;  // hit by the wrong weapon

// Sends the event to the mission controller; its answer, 0 when no mission runs.
int32_t vnMISSCONT_RaiseEvent(int32_t event, SGE_PARAM p1, SGE_PARAM p2);
