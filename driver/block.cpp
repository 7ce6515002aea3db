#include "driver/block.h"

#include "engine/display/display.h"
#include "engine/kernel/kernel.h"

SPPD_DRIVERDATA* SPPD_GetDriverData(const SPW_DISPLAY* display) {
  if (!display || !display->pDriver || !display->pDriver->pData) return nullptr;
  return static_cast<SPPD_DRIVERDATA*>(display->pDriver->pData);
}

SPPD_DRIVERSTATE* SPPD_GetDriverState(const SPW_DISPLAY* display) {
  SPPD_DRIVERDATA* data = SPPD_GetDriverData(display);
  return data ? &data->state : nullptr;
}
