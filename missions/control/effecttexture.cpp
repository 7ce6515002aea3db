#include "missions/control/effecttexture.h"

#include "engine/display/display.h"
#include "engine/driver/sppd.h"
#include "missions/control/overlay.h"
#include "platform/trace.h"
#include "world/attach/attach.h"

int32_t vnMISSCONT_GetEffectTextureID(const char* file) {
  const VNFX_ATTACHLIST* list = vnMISSCONT_GetAttachDisplay();
  SPW_DISPLAY* display = list && list->pNode ? list->pNode->pDisplay : nullptr;
  SPPD_DRIVERTABLE* drv = display ? SPW_GetDisplayDriver(display) : nullptr;
  int32_t id = 0;
  if (!file || !drv || !drv->SPPD_TextureGetID ||
      drv->SPPD_TextureGetID(display, file, &id, 1) != SPPD_OK) {
    PLAT_Trace("vnMISSCONT_GetEffectTextureID: no texture for %s\n", file ? file : "(none)");
    return 0;
  }
  return id;
}
