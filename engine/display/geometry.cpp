// Rectangles, visible areas and point conversions of display nodes.
#include "engine/display/display.h"

#include <algorithm>

namespace {

bool Contains(const SPW_RECT& r, const SPW_POINT& p) {
  return r.x0 <= p.x && p.x < r.x1 && r.y0 <= p.y && p.y < r.y1;
}

SPW_RECT Offset(const SPW_RECT& r, const SPW_POINT& d) {
  return {r.x0 - d.x, r.y0 - d.y, r.x1 - d.x, r.y1 - d.y};
}

// Climbs from the node to the top, requiring each rectangle to hold the point, then the display.
bool ContainedUpwards(const SPW_DISPLAYNODE* node, SPW_POINT p) {
  for (const SPW_DISPLAYNODE* n = node; n; n = n->pParent) {
    if (!Contains(n->rect, p)) return false;
    p.x += n->origin.x;
    p.y += n->origin.y;
  }
  const SPW_DISPLAY* d = node->pDisplay;
  return d && 0.0f <= p.x && p.x < d->fWidth && 0.0f <= p.y && p.y < d->fHeight;
}

}  // namespace

int32_t SPW_IntersectRect(const SPW_RECT* a, const SPW_RECT* b, SPW_RECT* out) {
  if (!a || !b || !out) return 0;
  SPW_RECT r{std::max(a->x0, b->x0), std::max(a->y0, b->y0), std::min(a->x1, b->x1),
             std::min(a->y1, b->y1)};
  *out = r;
  return (r.y0 >= r.y1 || r.x0 >= r.x1) ? 0 : 1;
}

int32_t SPW_GetDisplayNodeVisibleRect(const SPW_DISPLAYNODE* node, SPW_RECT* out) {
  if (!node || !out || !node->pDisplay) return 0;
  SPW_RECT r = node->rect;
  SPW_POINT off = node->origin;
  for (const SPW_DISPLAYNODE* a = node->pParent; a; a = a->pParent) {
    SPW_RECT clip = Offset(a->rect, off);
    if (!SPW_IntersectRect(&r, &clip, &r)) return 0;
    off.x += a->origin.x;
    off.y += a->origin.y;
  }
  const SPW_DISPLAY* d = node->pDisplay;
  SPW_RECT area{0.0f, 0.0f, static_cast<float>(static_cast<int32_t>(d->fWidth)),
                static_cast<float>(static_cast<int32_t>(d->fHeight))};
  SPW_RECT clip = Offset(area, off);
  if (!SPW_IntersectRect(&r, &clip, &r)) return 0;
  *out = r;
  return 1;
}

void SPW_DisplayNodeToScreen(const SPW_DISPLAYNODE* node, const SPW_POINT* p, SPW_POINT* out) {
  if (!node || !p || !out) return;
  SPW_POINT q{p->x + node->origin.x, p->y + node->origin.y};
  for (const SPW_DISPLAYNODE* a = node->pParent; a; a = a->pParent) {
    if (!Contains(a->rect, q)) break;
    q.x += a->origin.x;
    q.y += a->origin.y;
  }
  *out = q;
}

int32_t SPW_DisplayNodeHitTest(const SPW_DISPLAYNODE* node, const SPW_POINT* p, SPW_POINT* out) {
  if (!node || !p) return 0;
  SPW_POINT q = *p;
  for (const SPW_DISPLAYNODE* n = node; n; n = n->pParent) {
    q.x -= n->origin.x;
    q.y -= n->origin.y;
  }
  if (out) *out = q;
  return ContainedUpwards(node, q) ? 1 : 0;
}
