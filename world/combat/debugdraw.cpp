// Debug drawing of the combat code: lines and rings through the driver's line call, and the
// screen position of a world point.
#include <cmath>

#include "engine/display/display.h"
#include "engine/driver/sppd.h"
#include "engine/math/argb.h"
#include "engine/vdisplay/vdisplay.h"
#include "world/combat/combat.h"

namespace {

// Markers sit this far below the position they are asked for.
constexpr float kProjectDrop = 2.0f;
constexpr int32_t kRingSides = 8;

uint32_t Argb(int32_t r, int32_t g, int32_t b) {
  return SPW_Argb(0xFF, SPW_ArgbClampByte(r), SPW_ArgbClampByte(g), SPW_ArgbClampByte(b));
}

// The first display with a bound driver, and its table.
SPW_DISPLAY* DriverDisplay(SPPD_DRIVERTABLE** outTable) {
  const SGE_DLLNODE* list = SGE_GetDisplayList();
  if (!list) return nullptr;
  for (SPW_DISPLAY* display : SGE_ListRecords<SPW_DISPLAY>(list)) {
    SPPD_DRIVERTABLE* table = SPW_GetDisplayDriver(display);
    if (table && table->SPPD_RenderLine) {
      *outTable = table;
      return display;
    }
  }
  return nullptr;
}

}  // namespace

int32_t vnCOMBAT_ProjectToScreen(const SPW_DISPLAYNODE* view, const SPW_VECTOR* position,
                                 float* outX, float* outY) {
  const SPW_VDISPLAY* vd = view ? SPW_GetVDisplay(view) : nullptr;
  if (!vd || !position || !outX || !outY) return 0;
  const SPW_VECTOR below{position->x, position->y, position->z - kProjectDrop};
  SPW_VECTOR p;
  SPW_MatTransformPoint(&vd->mView, &below, &p);
  const float depth = -p.z;  // the view looks down -z
  if (depth < vd->fNear || vd->fTanHalfX <= 0.0f || vd->fTanHalfY <= 0.0f) return 0;
  const float halfW = 0.5f * (view->rect.x1 - view->rect.x0);
  const float halfH = 0.5f * (view->rect.y1 - view->rect.y0);
  *outX = view->rect.x0 + halfW + (p.x / depth) / vd->fTanHalfX * halfW;
  *outY = view->rect.y0 + halfH - (p.y / depth) / vd->fTanHalfY * halfH;
  return 1;
}

void vnCOMBAT_DrawDebugLine(const SPW_VECTOR* a, const SPW_VECTOR* b, int32_t r, int32_t g,
                            int32_t bl) {
  SPPD_DRIVERTABLE* table = nullptr;
  SPW_DISPLAY* display = DriverDisplay(&table);
  if (!display || !a || !b) return;
  const uint32_t colour = Argb(r, g, bl);
  const float pa[3] = {a->x, a->y, a->z}, pb[3] = {b->x, b->y, b->z};
  table->SPPD_RenderLine(display, pa, pb, &colour, nullptr);
}

void vnCOMBAT_EmitRing(const SPW_VECTOR* centre, float radius, int32_t r, int32_t g, int32_t b) {
  if (!centre) return;
  const float step = 2.0f * SPW_PI / kRingSides;
  SPW_VECTOR prev{centre->x + radius, centre->y, centre->z};
  for (int32_t i = 1; i <= kRingSides; ++i) {
    const float angle = step * static_cast<float>(i);
    const SPW_VECTOR next{centre->x + radius * std::cos(angle),
                          centre->y + radius * std::sin(angle), centre->z};
    vnCOMBAT_DrawDebugLine(&prev, &next, r, g, b);
    prev = next;
  }
}
