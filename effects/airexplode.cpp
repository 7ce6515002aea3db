#include "effects/airexplode.h"

#include <cmath>

#include "engine/display/display.h"
#include "engine/tess/viewstack.h"
#include "engine/vdisplay/vdisplay.h"
#include "world/marker/marker.h"

namespace {

constexpr uint32_t kClipAll = 0xFFFFFFFFu;
constexpr int32_t kNoTexture = 0;
constexpr int32_t kTexturePairs = 1;

// The bar's centre in view space, snapped to the pixel grid at its depth, and the view-space
// size of one pixel there.
struct Placement {
  float x, y, z;
  float pixelX, pixelY;
};

uint32_t Blend(uint32_t from, uint32_t to, float t) {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const int32_t a = static_cast<int32_t>((from >> shift) & 0xFF);
    const int32_t b = static_cast<int32_t>((to >> shift) & 0xFF);
    out |= static_cast<uint32_t>(a + static_cast<int32_t>(static_cast<float>(b - a) * t)) << shift;
  }
  return out;
}

float Snap(float v, float unit) { return std::round(v / unit) * unit; }

bool Place(SPPD_DRIVERTABLE* drv, const SPW_VDISPLAY* view, const SPW_VECTOR& world,
           Placement* out) {
  SPPD_RENDERSTATE rs{};
  if (!drv->SPPD_GetRenderState || drv->SPPD_GetRenderState(&rs) != SPPD_OK) return false;
  SPW_VECTOR p;
  SPW_MatTransformPoint(SPW_MatStackTop(&SPW_ViewStack), &world, &p);
  const float depth = -p.z;  // the view looks down -z
  const float scaleX = std::fabs(rs.fScaleX), scaleY = std::fabs(rs.fScaleY);
  if (!(depth > view->fNear) || !(scaleX > 0.0f) || !(scaleY > 0.0f)) return false;
  out->pixelX = depth / scaleX;
  out->pixelY = depth / scaleY;
  out->x = Snap(p.x, out->pixelX);
  out->y = Snap(p.y, out->pixelY);
  out->z = p.z;
  return true;
}

// A rectangle from left to right (pixels from the centre), halfHeight pixels up and down.
void Rect(SPW_DISPLAY* display, SPPD_DRIVERTABLE* drv, const Placement& at, float left,
          float right, float halfHeight, uint32_t colour) {
  const float x0 = at.x + left * at.pixelX, x1 = at.x + right * at.pixelX;
  const float top = at.y + halfHeight * at.pixelY, bottom = at.y - halfHeight * at.pixelY;
  const SPPD_VERTEX v[4] = {{0, colour, x0, top, at.z, 0, 0},
                            {0, colour, x1, top, at.z, 1, 0},
                            {0, colour, x1, bottom, at.z, 1, 1},
                            {0, colour, x0, bottom, at.z, 0, 1}};
  // Markers stay readable in the distance: no fog.
  drv->SPPD_RenderFVFPolygon(display, v, 4 | SPPD_VERTEX_NOFOG, kTexturePairs, kNoTexture, 0,
                             kClipAll);
}

}  // namespace

void vnAIREXPLODE_ObjectCallback(SPW_DISPLAYNODE* view, VNMARKERS*, VNMARKER* marker) {
  if (!view || !marker) return;
  SPW_DISPLAY* display = view->pDisplay;
  SPPD_DRIVERTABLE* drv = SPW_GetDisplayDriver(display);
  const SPW_VDISPLAY* vd = SPW_GetVDisplay(view);
  if (!drv || !drv->SPPD_RenderFVFPolygon || !vd) return;
  const VNMARKER_DATA& d = marker->data;
  Placement at;
  if (!Place(drv, vd, d.vPos, &at)) return;

  const float level = vnMARK_BarLevel(d.fLevel, 1.0f);
  const float(&outer)[2] = d.afPair[VNMARKER_PAIR_C];
  const float(&middle)[2] = d.afPair[VNMARKER_PAIR_B];
  const float(&inner)[2] = d.afPair[VNMARKER_PAIR_A];
  Rect(display, drv, at, -outer[0], outer[0], outer[1], d.adwLook[0]);
  Rect(display, drv, at, -middle[0], middle[0], middle[1], Blend(d.adwLook[2], d.adwLook[1], level));
  if (level > 0.0f)
    Rect(display, drv, at, -inner[0], -inner[0] + 2.0f * inner[0] * level, inner[1],
         Blend(d.adwLook[4], d.adwLook[3], level));
}
