// Named material store. The game keeps its materials in its own tables and this driver keeps
// none: a get creates nothing, and destroying finds nothing.
#include "driver/core/block.h"
#include "platform/trace.h"

void* SPPD_MaterialGet(SPW_DISPLAY* display, const char* name, int32_t* /*created*/,
                       uint32_t /*size*/) {
  PLAT_Trace("GFXDRV: SPPD_MaterialGet: no material store for \"%.16s\"%s\n", name ? name : "",
             SPPD_GetDriverData(display) ? "" : " (no driver block)");
  return nullptr;
}

void SPPD_MaterialDestroy(SPW_DISPLAY*, void*) {}
void SPPD_MaterialDestroyByName(SPW_DISPLAY*, const char*) {}
void SPPD_GFXDRV_DestroyAllMaterials(SPPD_MATERIALTABLE*) {}
