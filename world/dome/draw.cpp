// Drawing the dome: every shown face twice, once each way round, so that both sides show.
#include "world/dome/draw.h"

#include "engine/driver/sppd.h"
#include "engine/object/object.h"
#include "engine/tess/viewstack.h"
#include "world/attach/attach.h"
#include "world/dome/dome.h"

namespace {

// Every clip plane applies: the sphere is large and may reach past any side of the view.
constexpr uint32_t kClipMask = 0xFFFFFFFFu;
constexpr int32_t kTexturePairs = 1;

struct FACES {
  int32_t first;
  int32_t end;  // one past the last
};

// Counting down, the faces from the count to the last show; counting up, those before it.
FACES ShownFaces(const VNDOME* d) {
  if (d->nMode == VNDOME_MODE_DOWN) return {d->nReveal, d->nFaces};
  if (d->nMode == VNDOME_MODE_UP) return {0, d->nReveal};
  return {0, d->nFaces};
}

void DrawFace(const VNDOME* d, const SPW_DOBJFACE& face, const SPW_MATRIX* view,
              SPPD_PFN_RenderFVFPolygon draw, SPW_DISPLAY* display) {
  const int32_t n = d->nVertsPerFace;
  SPPD_VERTEX v[SPW_MAX_FACE_VERTICES];
  for (int32_t k = 0; k < n; ++k) {
    const SPW_DOBJVERTEX& mv = d->pVertices[face.adwIndex[k]];
    const SPW_VECTOR world = {d->fScale * mv.vPos.x + d->vPos.x, d->fScale * mv.vPos.y + d->vPos.y,
                              d->fScale * mv.vPos.z + d->vPos.z};
    SPW_VECTOR p;
    SPW_MatTransformPoint(view, &world, &p);
    v[k] = {0, d->dwColour, p.x, p.y, p.z, mv.fU + d->fU, mv.fV + d->fV};
  }
  const auto count = static_cast<uint32_t>(n);
  draw(display, v, count, kTexturePairs, face.nTexture, 0, kClipMask);
  SPPD_VERTEX back[SPW_MAX_FACE_VERTICES];
  for (int32_t k = 0; k < n; ++k) back[k] = v[n - 1 - k];
  draw(display, back, count, kTexturePairs, face.nTexture, 0, kClipMask);
}

}  // namespace

void vnDome_Draw(const VNDOME* d, const VNFX_ATTACHNODE* node) {
  if (!d || !node || node->nValue != VNDOME_NODE_VALUE) return;
  if (d->nFlicker == VNDOME_FLICKER_HIDDEN || d->nFaces <= 0 || !d->pFaces) return;
  SPW_DISPLAYNODE* view = vnFX_AttachNodeGetDrawRecord(node);
  SPW_DISPLAY* display = view ? view->pDisplay : nullptr;
  SPPD_DRIVERTABLE* drv = display ? SPW_GetDisplayDriver(display) : nullptr;
  if (!drv) return;
  SPPD_PFN_RenderFVFPolygon draw = (d->dwFlags & VNDOME_F_ADDITIVE)
                                       ? drv->SPPD_RenderFVFPolygonAdditive
                                       : drv->SPPD_RenderFVFPolygon;
  if (!draw) return;
  const SPW_MATRIX* top = SPW_MatStackTop(&SPW_ViewStack);
  const FACES shown = ShownFaces(d);
  for (int32_t f = shown.first; f < shown.end && f < d->nFaces; ++f)
    if (f >= 0) DrawFace(d, d->pFaces[f], top, draw, display);
}
