// The focus, the control under the pointer, and how pointer events reach controls.
#include "engine/gui/gui.h"
#include "engine/gui/guistate.h"

namespace {

bool Inside(const SPW_RECT& r, const SPW_POINT& p) {
  return p.x >= r.x0 && p.x < r.x1 && p.y >= r.y0 && p.y < r.y1;
}

// p in the controls' node coordinates; clip: the parent's rectangle there, none at the top.
GUI_CONTROL* ControlAtIn(SGE_DLLNODE* list, const SPW_POINT& screen, const SPW_POINT* p,
                         const SPW_RECT* clip) {
  for (GUI_CONTROL* c : SGE_ListRecordsBackward<GUI_CONTROL>(list)) {
    if ((c->fFlags & GUI_CONTROL_HIDDEN) || !(c->fFlags & GUI_CONTROL_ACTIVE)) continue;
    SPW_POINT q{};
    if (!c->pParent) {
      if (!SPW_DisplayNodeHitTest(c->pNode, &screen, &q)) continue;
    } else {
      q = *p;
    }
    SPW_RECT r{c->centre.x + c->rect.x0, c->centre.y + c->rect.y0, c->centre.x + c->rect.x1,
               c->centre.y + c->rect.y1};
    if (clip && !SPW_IntersectRect(&r, clip, &r)) continue;
    if (!Inside(r, q)) continue;
    if (GUI_CONTROL* child = ControlAtIn(&c->children, screen, &q, &r)) return child;
    if (c->pfnHit) {
      const SPW_POINT rel{q.x - c->centre.x, q.y - c->centre.y};
      if (!c->pfnHit(c, &rel)) continue;
    }
    return c;
  }
  return nullptr;
}

const GUI_POINTEREVENT* Event(SGE_DATAREF* event) {
  return (event && event->pData) ? static_cast<const GUI_POINTEREVENT*>(event->pData) : nullptr;
}

GUI_CONTROL* ControlUnder(SGE_DATAREF* event) {
  const GUI_POINTEREVENT* e = Event(event);
  if (!e) return nullptr;
  const SPW_POINT p{static_cast<float>(e->x), static_cast<float>(e->y)};
  return GUI_ControlAt(&p);
}

}  // namespace

GUI_CONTROL* GUI_ControlAt(const SPW_POINT* p) {
  if (!p) return nullptr;
  return ControlAtIn(GUI_GetControlList(), *p, p, nullptr);
}

GUI_CONTROL* GUI_GetFocus() { return g_gui.pFocus; }
GUI_CONTROL* GUI_GetHover() { return g_gui.pHover; }

int32_t GUI_ReleaseFocus(int32_t force) {
  GUI_CONTROL* focus = g_gui.pFocus;
  if (!focus) return 1;
  const int32_t agreed = GUI_SendControl(focus, SGM_GUI_FOCUS_LOSE, GUI_Param(focus), force);
  // The control may have handed the focus on while it was being asked.
  if (g_gui.pFocus != focus) return 1;
  if (agreed == 0 && !force) return 0;
  g_gui.pFocus = nullptr;
  return 1;
}

int32_t GUI_SetFocus(GUI_CONTROL* control) {
  if (!control || g_gui.pFocus == control) return 1;
  if (!GUI_ReleaseFocus(0)) return 0;
  g_gui.pFocus = control;
  GUI_SendControl(control, SGM_GUI_FOCUS_GAIN, GUI_Param(control), 0);
  return 1;
}

int32_t GUI_UpdatePointer(SPW_DISPLAY* display, SGE_DATAREF* event) {
  const GUI_POINTEREVENT* e = Event(event);
  if (!e) return 0;
  if (e->nKind >= 1 && e->nKind <= GUI_EVENT_KEY) return GUI_PointerEvent(display, event);
  if (e->nKind >= GUI_EVENT_MOVE && e->nKind <= GUI_EVENT_RIGHT_DOWN)
    return GUI_PointerMove(display, event);
  return 0;
}

int32_t GUI_PointerEvent(SPW_DISPLAY*, SGE_DATAREF* event) {
  GUI_CONTROL* under = ControlUnder(event);
  GUI_CONTROL* focus = g_gui.pFocus;
  if (!focus) return 0;
  return GUI_SendControl(focus, SGM_GUI_POINTER, GUI_Param(focus), GUI_Param(under), event);
}

int32_t GUI_PointerMove(SPW_DISPLAY* display, SGE_DATAREF* event) {
  const GUI_POINTEREVENT* e = Event(event);
  if (!e) return 0;
  GUI_CONTROL* under = ControlUnder(event);
  if (e->nKind == GUI_EVENT_MOVE && under != g_gui.pHover) {
    GUI_CONTROL* old = g_gui.pHover;
    g_gui.pHover = under;
    GUI_SendControl(old, SGM_GUI_POINTER_LEAVE, GUI_Param(old), GUI_Param(under));
    GUI_SendControl(under, SGM_GUI_POINTER_ENTER, GUI_Param(under), GUI_Param(old));
  }
  const int32_t result = GUI_PointerEvent(display, event);
  if (result == 1) return result;
  if (under)
    return GUI_SendControl(under, SGM_GUI_POINTER, GUI_Param(under), GUI_Param(under), event);
  if (e->nKind == GUI_EVENT_DOWN) GUI_ReleaseFocus(1);
  return result;
}
