// Screen points as view directions.
#include "interface/ui/screenview.h"

#include "engine/display/display.h"
#include "engine/vdisplay/vdisplay.h"
#include "missions/control/missiontasks.h"
#include "shell/state.h"

int32_t vnUI_ScreenToView(const SPW_VDISPLAY* view, float width, float height, float x, float y,
                          SPW_VECTOR* out) {
  if (!view || !out || !(width > 0.0f) || !(height > 0.0f)) return 0;
  const float d = view->fNear;
  *out = {(2.0f * x / width - 1.0f) * view->fTanHalfX * d,
          -(2.0f * y / height - 1.0f) * view->fTanHalfY * d, -d};
  return 1;
}

int32_t vnUI_ScreenToViewVector(float x, float y, SPW_VECTOR* out) {
  const SPW_DISPLAY* screen = vnMAIN_GetDisplay();
  if (!screen) return 0;
  return vnUI_ScreenToView(vnMISSCONT_GetDisplay(), screen->fWidth, screen->fHeight, x, y, out);
}
