#pragma once
// driver/core: the per-display block and state, the driver's pools, its lists and its error texts.
//
// The per-display block as the driver sees it: the host's table, then the driver's state.
#include <cstddef>

#include "driver/core/state.h"
#include "engine/driver/sppd.h"

struct SPPD_DRIVERDATA {
  SPPD_DRIVERTABLE table;
  SPPD_DRIVERSTATE state;
};
// The host's table occupies the start of the block and the driver's state follows it directly;
// the block's size (SPPD_GetRequirements) is sizeof(SPPD_DRIVERDATA).
static_assert(offsetof(SPPD_DRIVERDATA, state) == sizeof(SPPD_DRIVERTABLE));

// The block hung on the display through its driver binding; none (no trace) when the
// display, its binding or the block is missing, none with a trace when the block is smaller
// than SPPD_GetRequirements reports.
SPPD_DRIVERDATA* SPPD_GetDriverData(const SPW_DISPLAY* display);
SPPD_DRIVERSTATE* SPPD_GetDriverState(const SPW_DISPLAY* display);
