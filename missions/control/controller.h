#pragma once
// The mission controller task as far as it goes: it enters itself as the running mission's
// controller while it lives, traces each mission event it gets, keeps count of them and passes
// each on to the mission script.
#include <cstdint>

#include "engine/kernel/kernel.h"

// The mission events from 2328 (a bug hole destroyed) to 2334 (a carried unit gone).
constexpr int32_t VNMISSCONT_FIRST_EVENT = 2328;
constexpr int32_t VNMISSCONT_EVENTS = 7;

struct VNMISSCONT_DATA {
  SGE_TASK* pTask;
  int32_t anEvents[VNMISSCONT_EVENTS];  // received, by event from the first
};

int32_t vnMISSCONT_Register();
// How many of the event the running controller got; 0 without one or for another message.
int32_t vnMISSCONT_EventCount(int32_t event);
