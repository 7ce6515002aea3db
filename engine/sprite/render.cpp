// The sprite display callback: each visible sprite of the view's scene as a textured quad in
// view space, then the glows of the scene's lights.
#include <cmath>
#include <utility>

#include "engine/scene/scene.h"
#include "engine/sprite/sprite.h"
#include "engine/vdisplay/vdisplay.h"

namespace {

// Corners in drawing order: top left, top right, bottom right, bottom left.
struct QUAD {
  SPW_VECTOR c[4];
};

// Corners around a centre, offset by (+-hx, +-hy), turned about the centre by angle.
QUAD Corners(const SPW_VECTOR& centre, float hx, float hy, float angle) {
  const float dx[4] = {-hx, hx, hx, -hx};
  const float dy[4] = {hy, hy, -hy, -hy};
  const float c = angle != 0.0f ? std::cos(angle) : 1.0f;
  const float s = angle != 0.0f ? std::sin(angle) : 0.0f;
  QUAD q;
  for (int i = 0; i < 4; ++i)
    q.c[i] = {centre.x + dx[i] * c - dy[i] * s, centre.y + dx[i] * s + dy[i] * c, centre.z};
  return q;
}

QUAD WorldQuad(const SPW_SPRITE* s, const SPW_VDISPLAY* view) {
  const SPW_VECTOR pos{s->place.x, s->place.y, s->place.z};
  SPW_VECTOR centre;
  SPW_MatTransformPoint(&view->mView, &pos, &centre);
  return Corners(centre, s->fHalfWidth, s->fHalfHeight, s->place.fRotation);
}

// Display pixels become view units at the near plane: the pixel's share of the view's width
// and height there.
QUAD ScreenQuad(const SPW_SPRITE* s, const SPW_VDISPLAY* view, SPW_DISPLAYNODE* node,
                const SPPD_VIEWPORT* vp) {
  const float sx = (1.0f / vp->fWidth) * view->fTanHalfX * view->fNear * 2.0f;
  const float sy = (1.0f / vp->fHeight) * view->fTanHalfY * view->fNear * 2.0f;
  SPW_POINT p{s->place.x, s->place.y};
  if (s->fFlags & SPW_SPRITE_DISPLAY_COORDS) {
    SPW_POINT local;
    SPW_DisplayNodeHitTest(node, &p, &local);
    p = local;
  }
  const SPW_VECTOR centre{p.x * sx, -(p.y * sy), s->place.z};
  return Corners(centre, s->fHalfWidth * s->place.fScale * sx,
                 s->fHalfHeight * s->place.fScale * sy, s->place.fRotation);
}

void Submit(SPPD_DRIVERTABLE* drv, SPW_DISPLAY* display, const SPW_SPRITE* s, const QUAD& q) {
  const SPW_SPRITESET* set = s->pSet;
  float u0 = s->origin.u, u1 = s->origin.u + set->size.u;
  float v0 = s->origin.v, v1 = s->origin.v + set->size.v;
  if (s->fFlags & SPW_SPRITE_MIRROR_U) std::swap(u0, u1);
  if (s->fFlags & SPW_SPRITE_MIRROR_V) std::swap(v0, v1);
  const float u[4] = {u0, u1, u1, u0};
  const float v[4] = {v0, v0, v1, v1};
  const bool coloured = (s->fFlags & SPW_SPRITE_COLOURED) != 0;
  SPPD_VERTEX vx[4];
  for (int i = 0; i < 4; ++i)
    vx[i] = {0, coloured ? s->adwColour[i] : SPW_SPRITE_WHITE, q.c[i].x, q.c[i].y, q.c[i].z,
             u[i], v[i]};
  SPPD_PFN_RenderFVFPolygon draw = drv->SPPD_RenderFVFPolygon;
  if (s->fFlags & SPW_SPRITE_ALPHA)
    draw = drv->SPPD_RenderFVFPolygonAlpha;
  else if (s->fFlags & SPW_SPRITE_ADDITIVE)
    draw = drv->SPPD_RenderFVFPolygonAdditive;
  if (draw) draw(display, vx, 4, 1, set->nTexture, 0, 0xFFFFFFFFu);
}

}  // namespace

int32_t SPW_RenderSprites(SPW_DISPLAYNODE* node, SPPD_VIEWPORT* vp, SGE_DATAREF*) {
  if (!node || !vp) return -1;
  const SPW_VDISPLAY* view = SPW_GetVDisplay(node);
  SPPD_DRIVERTABLE* drv = SPW_GetDisplayDriver(node->pDisplay);
  if (!view || !view->pScene || !drv) return 1;
  SGE_DLLNODE* head = &view->pScene->sprites;
  for (const SPW_SPRITE* s : SGE_ListRecords<SPW_SPRITE>(head)) {
    if (s->fFlags & SPW_SPRITE_HIDDEN) continue;
    const QUAD q = (s->fFlags & SPW_SPRITE_SCREEN) ? ScreenQuad(s, view, node, vp)
                                                   : WorldQuad(s, view);
    Submit(drv, node->pDisplay, s, q);
  }
  SPW_DrawLightGlows(node);
  return 1;
}
