// Flush exports and layer switches.
#include "driver/batch/alpha.h"
#include "driver/batch/lists.h"
#include "driver/core/block.h"
#include "platform/trace.h"

namespace {

// The state of a display whose lists exist; none (traced) otherwise.
SPPD_DRIVERSTATE* ListsOf(SPW_DISPLAY* display, const char* where) {
  SPPD_DRIVERSTATE* s = SPPD_GetDriverState(display);
  if (!s) {
    PLAT_Trace("GFXDRV: %s: no display, driver binding or driver block\n", where);
    return nullptr;
  }
  return s;
}

}  // namespace

int32_t SPPD_Flush(SPW_DISPLAY* display) {
  SPPD_DRIVERSTATE* s = ListsOf(display, "SPPD_Flush");
  if (!s) return SPPD_FAIL;
  SPPD_BatchFlushLists(s, true);
  return SPPD_OK;
}

int32_t SPPD_FlushNoHud(SPW_DISPLAY* display) {
  SPPD_DRIVERSTATE* s = ListsOf(display, "SPPD_FlushNoHud");
  if (!s) return SPPD_FAIL;
  SPPD_BatchFlushLists(s, false);
  return SPPD_OK;
}

int32_t SPPD_FlushAlpha(SPW_DISPLAY* display) {
  SPPD_DRIVERSTATE* s = ListsOf(display, "SPPD_FlushAlpha");
  if (!s) return SPPD_FAIL;
  SPPD_AlphaFlushLists(s);
  return SPPD_OK;
}

int32_t SPPD_FlushHUD(SPW_DISPLAY* display) {
  SPPD_DRIVERSTATE* s = ListsOf(display, "SPPD_FlushHUD");
  if (!s) return SPPD_FAIL;
  if (SPPD_BATCHLIST* hud = SPPD_BatchLayer(s, SPPD_LAYER_HUD)) SPPD_BatchFlushList(hud, true);
  return SPPD_OK;
}

void SPPD_EnableLayer(SPW_DISPLAY* display, int32_t layer, uint32_t enable) {
  if (layer < 0 || layer >= SPPD_NUM_LAYERS) {
    PLAT_Trace("GFXDRV: SPPD_EnableLayer: layer %d out of range\n", layer);
    return;
  }
  if (SPPD_BATCHLIST* list = SPPD_BatchLayer(SPPD_GetDriverState(display), layer))
    list->dwEnabled = enable;
}
