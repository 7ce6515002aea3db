// Batch flushes and layer switches. The batch lists come with the batch code; until a display
// has them, a flush has nothing queued to draw.
#include "driver/block.h"
#include "platform/trace.h"

namespace {

int32_t FlushChecked(SPW_DISPLAY* display, const char* where) {
  if (!SPPD_GetDriverData(display)) {
    PLAT_Trace("GFXDRV: %s: no display, driver binding or driver block\n", where);
    return SPPD_FAIL;
  }
  return SPPD_OK;
}

}  // namespace

int32_t SPPD_Flush(SPW_DISPLAY* display) { return FlushChecked(display, "SPPD_Flush"); }
int32_t SPPD_FlushNoHud(SPW_DISPLAY* display) { return FlushChecked(display, "SPPD_FlushNoHud"); }
int32_t SPPD_FlushAlpha(SPW_DISPLAY* display) { return FlushChecked(display, "SPPD_FlushAlpha"); }
int32_t SPPD_FlushHUD(SPW_DISPLAY* display) { return FlushChecked(display, "SPPD_FlushHUD"); }

void SPPD_EnableLayer(SPW_DISPLAY* display, int32_t layer, uint32_t enable) {
  (void)enable;
  if (layer < 0 || layer >= SPPD_NUM_LAYERS) {
    PLAT_Trace("GFXDRV: SPPD_EnableLayer: layer %d out of range\n", layer);
    return;
  }
  // An absent list is ignored; no list exists before the batch code makes them.
  (void)SPPD_GetDriverState(display);
}
