// Status bars of world objects over the marker service.
#include "world/featunit/bar.h"

#include <cmath>

#include "missions/control/overlay.h"
#include "world/marker/marker.h"

namespace {

void SetLook(VNMARKER* bar, int32_t msg, uint32_t colour) {
  SGE_TASK* markers = vnMISSCONT_GetOverlayTask();
  const auto word = static_cast<int32_t>(colour);
  if (markers)
    SGE_Send(markers, msg, SGE_PtrParam(bar), SGE_PtrParam(&word));
}

}  // namespace

VNMARKER* vnFEATUNIT_AddBar(const SPW_VECTOR* at) {
  VNMARKER* bar = vnMARK_Send2579(at, 0);
  if (!bar) return nullptr;
  // Word 1 has no message: it keeps the service's default.
  SetLook(bar, SGM_MARK_LOOK2, VNFEATUNIT_BAR_BLACK);
  SetLook(bar, SGM_MARK_LOOK3, VNFEATUNIT_BAR_BLACK);
  SetLook(bar, SGM_MARK_LOOK4, VNFEATUNIT_BAR_GREEN);
  SetLook(bar, SGM_MARK_LOOK5, VNFEATUNIT_BAR_RED);
  return bar;
}

void vnFEATUNIT_RemoveBar(VNMARKER** bar) {
  if (!bar || !*bar) return;
  vnMARK_Send2580(*bar);
  *bar = nullptr;
}

void vnFEATUNIT_ShowBar(VNMARKER* bar, float* timer) {
  if (bar) bar->data.dwFlags &= ~VNMARKER_HIDDEN;
  *timer = 0.0f;
}

void vnFEATUNIT_HideBar(VNMARKER* bar) {
  if (bar) bar->data.dwFlags |= VNMARKER_HIDDEN;
}

bool vnFEATUNIT_BarShown(const VNMARKER* bar) { return bar && !(bar->data.dwFlags & VNMARKER_HIDDEN); }

void vnFEATUNIT_UpdateBar(VNMARKER* bar, float* timer, float frameTime, float value,
                          float maximum) {
  if (!vnFEATUNIT_BarShown(bar)) return;
  *timer += frameTime;
  if (*timer >= VNFEATUNIT_BAR_SECONDS) {
    vnFEATUNIT_HideBar(bar);
    return;
  }
  vnMARK_Send2581(bar, vnMARK_BarLevel(std::trunc(value), maximum));
}
