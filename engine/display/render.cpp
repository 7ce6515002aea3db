// The render pass: every display in key order, its callbacks, and its node tree depth-first.
#include "engine/display/display.h"

namespace {

// The data record is held across the call so that a callback that drops the last other
// reference cannot free it under its own feet.
int32_t CallDisplayCallback(SPW_DISPLAY* display, SPW_DISPLAYCB* cb) {
  SGE_DATAREF* data = cb->pData;
  if (data) SGE_RetainDataRef(data);
  int32_t result = cb->pfnDisplay ? cb->pfnDisplay(display, data) : 1;
  if (data) SGE_ReleaseDataRef(data);
  return result;
}

// Runs the display callbacks on one side of the node tree: keys with bit 31 set come after it
// (the keys are sorted, so those are the last). False when a callback ended the pass.
bool RunDisplayCallbacks(SPW_DISPLAY* display, bool afterNodes) {
  for (SPW_DISPLAYCB* cb : SGE_ListRecords<SPW_DISPLAYCB>(&display->callbacks)) {
    if (((cb->link.dwKey & SPW_DISPLAYCB_AFTER_NODES) != 0) != afterNodes) continue;
    if (cb->bEnabled && CallDisplayCallback(display, cb) != 1) return false;
  }
  return true;
}

void Flush(SPPD_DRIVERTABLE* drv, SPW_DISPLAY* display) {
  if (!drv) return;
  if (drv->SPPD_FlushAlpha) drv->SPPD_FlushAlpha(display);
  if (drv->SPPD_FlushHUD) drv->SPPD_FlushHUD(display);
}

void RunNodeCallbacks(SPW_DISPLAYNODE* node, SPPD_VIEWPORT* vp, SPPD_DRIVERTABLE* drv) {
  for (SPW_DISPLAYCB* cb : SGE_ListRecords<SPW_DISPLAYCB>(&node->callbacks)) {
    if (cb->bEnabled && cb->pfnNode) {
      SGE_DATAREF* data = cb->pData;
      if (data) SGE_RetainDataRef(data);
      cb->pfnNode(node, vp, data);
      if (data) SGE_ReleaseDataRef(data);
      if (drv && drv->SPPD_FlushNoHud) drv->SPPD_FlushNoHud(node->pDisplay);
    }
  }
}

void DrawNode(SPW_DISPLAYNODE* node, const SPW_RECT& clip, const SPW_POINT& parentOrigin);

void DrawNodeList(SGE_DLLNODE* head, const SPW_RECT& clip, const SPW_POINT& origin) {
  for (SPW_DISPLAYNODE* node : SGE_ListRecords<SPW_DISPLAYNODE>(head)) DrawNode(node, clip, origin);
}

void DrawNode(SPW_DISPLAYNODE* node, const SPW_RECT& clip, const SPW_POINT& parentOrigin) {
  SPW_DISPLAY* display = node->pDisplay;
  SPPD_DRIVERTABLE* drv = SPW_GetDisplayDriver(display);
  SPW_RECT local{clip.x0 - node->origin.x, clip.y0 - node->origin.y, clip.x1 - node->origin.x,
                 clip.y1 - node->origin.y};
  SPW_POINT origin{parentOrigin.x + node->origin.x, parentOrigin.y + node->origin.y};
  SPW_RECT visible;
  if (SPW_IntersectRect(&local, &node->rect, &visible) && !(node->fFlags & SPW_NODE_HIDDEN)) {
    if (node->dwSkip) {
      --node->dwSkip;
    } else {
      if (display->pfnVPGet) {
        SPPD_VIEWPORT fill{};
        SPPD_VIEWPORT* filled = display->pfnVPGet(&fill, node, &visible.x0, &origin.x);
        if (filled) {
          SPPD_VIEWPORT vp = *filled;
          if (vp.dwFlags & SPPD_VIEWPORT_RUN_CALLBACKS) {
            RunNodeCallbacks(node, &vp, drv);
            if (display->pfnVPSet) display->pfnVPSet(node, &vp);
          }
        }
      }
      if (!SGE_ListIsEmpty(&node->children)) DrawNodeList(&node->children, visible, origin);
    }
  }
  Flush(drv, display);
}

}  // namespace

void SPW_RenderDisplays() {
  SGE_DLLNODE* list = SGE_GetDisplayList();
  if (!list) return;
  for (SPW_DISPLAY* display : SGE_ListRecords<SPW_DISPLAY>(list)) {
    if ((display->fFlags & SPW_DISPLAY_RENDER) && !(display->fFlags & SPW_DISPLAY_SKIP)) {
      if (!RunDisplayCallbacks(display, false)) return;
      SPW_RECT clip{0.0f, 0.0f, display->fWidth, display->fHeight};
      DrawNodeList(&display->nodes, clip, SPW_POINT{0.0f, 0.0f});
      if (!RunDisplayCallbacks(display, true)) return;
    }
  }
}
