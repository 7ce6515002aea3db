// The quad drawers: a frame and a place on a node become four vertices for the driver's
// physical polygon call (screen pixels, one texture pair).
#include "engine/quad/quad.h"

#include <cmath>

namespace {

// Screen rectangle and texture rectangle of one quad.
struct Quad {
  float x0, y0, x1, y1;
  float u0, v0, u1, v1;
};

SPW_POINT TopLeft(const SPW_DISPLAYNODE* node) {
  return {node->origin.x + node->rect.x0, node->origin.y + node->rect.y0};
}

Quad FrameQuad(const SPW_B2DFRAME* frame, float x, float y, float w, float h) {
  return {x, y, x + w, y + h, frame->u, frame->v, frame->u + frame->du, frame->v + frame->dv};
}

// A centred quad starts at the centre minus half its size, halved as an integer.
Quad CentredQuad(const SPW_B2DFRAME* frame, float cx, float cy, float w, float h) {
  float x = cx - static_cast<float>(static_cast<int32_t>(w) / 2);
  float y = cy - static_cast<float>(static_cast<int32_t>(h) / 2);
  return FrameQuad(frame, x, y, w, h);
}

// Corners top-left, bottom-left, bottom-right, top-right.
void Corners(const Quad& q, float depth, uint32_t colour, SPPD_VERTEX v[4]) {
  v[0] = {0, colour, q.x0, q.y0, depth, q.u0, q.v0};
  v[1] = {0, colour, q.x0, q.y1, depth, q.u0, q.v1};
  v[2] = {0, colour, q.x1, q.y1, depth, q.u1, q.v1};
  v[3] = {0, colour, q.x1, q.y0, depth, q.u1, q.v0};
}

int32_t Submit(SPW_DISPLAYNODE* node, const SPW_B2DFRAME* frame, const SPPD_VERTEX v[4]) {
  SPW_DISPLAY* display = node->pDisplay;
  SPPD_DRIVERTABLE* drv = SPW_GetDisplayDriver(display);
  if (!drv || !drv->SPPD_RenderFVFPolygonPhysical) return 0;
  return drv->SPPD_RenderFVFPolygonPhysical(display, v, 4, 1, frame->nTextureId);
}

int32_t DrawQuad(SPW_DISPLAYNODE* node, const SPW_B2DFRAME* frame, const Quad& q, float depth,
                 uint32_t colour) {
  SPPD_VERTEX v[4];
  Corners(q, depth, colour, v);
  return Submit(node, frame, v);
}

// Cuts the quad to the clip and moves its texture edges by the same share of the texture
// rectangle, so what stays visible is not stretched.
int32_t DrawClipped(SPW_DISPLAYNODE* node, const SPW_B2DFRAME* frame, Quad q, float depth,
                    uint32_t colour, const SPW_RECT* clip) {
  if (!clip) return DrawQuad(node, frame, q, depth, colour);
  const float w = q.x1 - q.x0, h = q.y1 - q.y0;
  // An empty frame has no share to cut by.
  if (!(w > 0) || !(h > 0)) return 0;
  if (q.x0 > clip->x1 || q.x1 < clip->x0 || q.y0 > clip->y1 || q.y1 < clip->y0) return 0;
  const float du = q.u1 - q.u0, dv = q.v1 - q.v0;
  const Quad whole = q;
  if (whole.x0 < clip->x0) {
    q.u0 = whole.u0 + (clip->x0 - whole.x0) * du / w;
    q.x0 = clip->x0;
  }
  if (whole.y0 < clip->y0) {
    q.v0 = whole.v0 + (clip->y0 - whole.y0) * dv / h;
    q.y0 = clip->y0;
  }
  if (whole.y1 > clip->y1) {
    q.v1 = whole.v1 - (whole.y1 - clip->y1) * dv / h;
    q.y1 = clip->y1;
  }
  if (whole.x1 > clip->x1) {
    q.u1 = whole.u1 - (whole.x1 - clip->x1) * du / w;
    q.x1 = clip->x1;
  }
  return DrawQuad(node, frame, q, depth, colour);
}


}  // namespace

int32_t SPW_DrawFrame(SPW_DISPLAYNODE* node, const SPW_B2DFRAME* frame, float x, float y,
                      float depth, uint32_t colour) {
  if (!node || !frame) return 0;
  SPW_POINT tl = TopLeft(node);
  return DrawQuad(node, frame, FrameQuad(frame, tl.x + x, tl.y + y, frame->nWidth, frame->nHeight),
                  depth, colour);
}

int32_t SPW_DrawNodeItem(SPW_DISPLAYNODE* node, const SPW_B2DFRAME* frame, float x, float y,
                         float depth, uint32_t colour) {
  if (!frame) return 0;
  return SPW_DrawFrame(node, frame, x + frame->nOffsetX, y + frame->nOffsetY, depth, colour);
}

int32_t SPW_DrawFrameColoured(SPW_DISPLAYNODE* node, const SPW_B2DFRAME* frame, float x, float y,
                              float depth, uint32_t colour) {
  if (!node || !frame) return 0;
  float left = node->origin.x + x + frame->nOffsetX, top = node->origin.y + y + frame->nOffsetY;
  return DrawQuad(node, frame, FrameQuad(frame, left, top, frame->nWidth, frame->nHeight), depth,
                  colour);
}

int32_t SPW_DrawFrameAt(SPW_DISPLAYNODE* node, const SPW_B2DFRAME* frame, float x, float y,
                        float depth, float w, float h, uint32_t colour) {
  if (!node || !frame) return 0;
  SPW_POINT tl = TopLeft(node);
  return DrawQuad(node, frame, FrameQuad(frame, tl.x + x, tl.y + y, w, h), depth, colour);
}

int32_t SPW_DrawFramePart(SPW_DISPLAYNODE* node, const SPW_B2DFRAME* frame, float x, float y,
                          float depth, uint32_t colour, float fx, float fy) {
  if (!node || !frame) return 0;
  SPW_POINT tl = TopLeft(node);
  Quad q = FrameQuad(frame, tl.x + x, tl.y + y, frame->nWidth * fx, frame->nHeight * fy);
  q.u1 = frame->u + frame->du * fx;
  q.v1 = frame->v + frame->dv * fy;
  return DrawQuad(node, frame, q, depth, colour);
}

int32_t SPW_DrawFrameRotated(SPW_DISPLAYNODE* node, const SPW_B2DFRAME* frame, float x, float y,
                             float depth, uint32_t colour, float angle, float mx, float my) {
  if (!node || !frame) return 0;
  SPW_POINT tl = TopLeft(node);
  SPPD_VERTEX v[4];
  Corners(FrameQuad(frame, tl.x + x, tl.y + y, frame->nWidth, frame->nHeight), depth, colour, v);
  const float c = std::cos(angle), s = std::sin(angle);
  for (SPPD_VERTEX& p : v) {
    const float px = p.x, py = p.y;
    p.x = px * c - py * s + mx;
    p.y = px * s + py * c + my;
  }
  return Submit(node, frame, v);
}

int32_t SPW_DrawNodeItems(SPW_DISPLAYNODE* node, const SPW_B2DSET* set, float x, float y,
                          float depth) {
  if (!node || !set) return 0;
  int32_t result = 0;
  for (const SPW_B2DFRAME* f : SGE_ListRecords<SPW_B2DFRAME>(&set->frames))
    if (f->nTextureId) result = SPW_DrawNodeItem(node, f, x, y, depth, set->dwColour);
  return result;
}

int32_t SPW_DrawSetScaled(SPW_DISPLAYNODE* node, const SPW_B2DSET* set, float x, float y,
                          float depth, float sx, float sy) {
  if (!node || !set) return 0;
  int32_t result = 0;
  for (const SPW_B2DFRAME* f : SGE_ListRecords<SPW_B2DFRAME>(&set->frames)) {
    if (!f->nTextureId) continue;
    result = SPW_DrawFrameAt(node, f, (x + f->nOffsetX) * sx, (y + f->nOffsetY) * sy, depth,
                             f->nWidth * sx, f->nHeight * sy, set->dwColour);
  }
  return result;
}

int32_t SPW_DrawFrameClipped(SPW_DISPLAYNODE* node, const SPW_B2DFRAME* frame, float cx, float cy,
                             float depth, uint32_t colour, const SPW_RECT* clip) {
  if (!node || !frame) return 0;
  SPW_POINT tl = TopLeft(node);
  return DrawClipped(node, frame,
                     CentredQuad(frame, tl.x + cx, tl.y + cy, frame->nWidth, frame->nHeight),
                     depth, colour, clip);
}

int32_t SPW_DrawFrameClippedAt(SPW_DISPLAYNODE* node, const SPW_B2DFRAME* frame, float x, float y,
                               float depth, uint32_t colour, const SPW_RECT* clip) {
  if (!node || !frame) return 0;
  SPW_POINT tl = TopLeft(node);
  return DrawClipped(node, frame,
                     FrameQuad(frame, tl.x + x, tl.y + y, frame->nWidth, frame->nHeight), depth,
                     colour, clip);
}

int32_t SPW_DrawGlyph(SPW_DISPLAYNODE* node, const SPW_B2DFRAME* frame, float cx, float cy,
                      float depth, uint32_t colour, const SPW_RECT* clip, float scale) {
  const SPW_POINT centre{cx, cy}, scales{scale, scale};
  return SPW_DrawFrameScaledClipped(node, frame, &centre, depth, colour, &scales, clip);
}

int32_t SPW_DrawFrameScaledClipped(SPW_DISPLAYNODE* node, const SPW_B2DFRAME* frame,
                                   const SPW_POINT* centre, float depth, uint32_t colour,
                                   const SPW_POINT* scale, const SPW_RECT* clip) {
  if (!node || !frame || !centre || !scale) return 0;
  SPW_POINT tl = TopLeft(node);
  return DrawClipped(node, frame,
                     CentredQuad(frame, tl.x + centre->x, tl.y + centre->y,
                                 frame->nWidth * scale->x, frame->nHeight * scale->y),
                     depth, colour, clip);
}
