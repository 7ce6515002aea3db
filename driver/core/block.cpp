#include "driver/core/block.h"

#include "engine/display/display.h"
#include "engine/kernel/kernel.h"
#include "platform/trace.h"

SPPD_DRIVERDATA* SPPD_GetDriverData(const SPW_DISPLAY* display) {
  if (!display || !display->pDriver || !display->pDriver->pData) return nullptr;
  // A host that sized the block by another driver's requirements would have the state
  // written past its end.
  if (display->pDriver->nSize < static_cast<int32_t>(sizeof(SPPD_DRIVERDATA))) {
    PLAT_Trace("GFXDRV: the display's driver block holds %d bytes, the driver needs %d\n",
               display->pDriver->nSize, static_cast<int>(sizeof(SPPD_DRIVERDATA)));
    return nullptr;
  }
  return static_cast<SPPD_DRIVERDATA*>(display->pDriver->pData);
}

SPPD_DRIVERSTATE* SPPD_GetDriverState(const SPW_DISPLAY* display) {
  SPPD_DRIVERDATA* data = SPPD_GetDriverData(display);
  return data ? &data->state : nullptr;
}
