// Control records: creation, destruction, placement and the helpers over reference lists.
#include <bit>

#include "engine/gui/gui.h"
#include "engine/gui/guistate.h"
#include "engine/memory/memblock.h"
#include "platform/trace.h"

GUI_STATE g_gui;

namespace {

SGE_DLLNODE* TopList() {
  if (!g_gui.bListReady) {
    SGE_ListInit(&g_gui.controls);
    g_gui.bListReady = true;
  }
  return &g_gui.controls;
}

template <typename F>
void ForEachRef(SGE_DLLNODE* list, F&& fn) {
  if (!list) return;
  // fn may destroy the control, never the reference.
  for (GUI_CONTROLREF* ref : SGE_ListRecords<GUI_CONTROLREF>(list)) fn(ref->pControl);
}

}  // namespace

SGE_DLLNODE* GUI_GetControlList() { return TopList(); }

GUI_CONTROL* GUI_CreateControl(SPW_DISPLAYNODE* node, GUI_CONTROL* parent, SGE_TASK* parentTask,
                               int32_t taskType, SGE_PARAM value, const SPW_POINT* centre,
                               const SPW_RECT* rect, uint32_t key, GUI_HITFN hit,
                               SGE_DATAREF* data) {
  if (parent) node = parent->pNode;
  if (!node) {
    PLAT_Trace("GUI_CreateControl: neither a node nor a parent control\n");
    return nullptr;
  }
  auto* c = static_cast<GUI_CONTROL*>(SGE_MemCalloc(SPW_ObjsMem, sizeof(GUI_CONTROL)));
  if (!c) {
    PLAT_Trace("GUI_CreateControl: out of memory\n");
    return nullptr;
  }
  c->pNode = node;
  c->pParent = parent;
  SGE_ListInit(&c->children);
  if (centre) c->centre = *centre;
  if (rect) c->rect = *rect;
  c->fFlags = GUI_CONTROL_ACTIVE | (hit ? GUI_CONTROL_HITFN : 0);
  c->pfnHit = hit;
  c->pData = data;
  c->link.dwKey = key;
  SGE_ListInsertSorted(parent ? &parent->children : TopList(), &c->link);
  // The task's creation handler sets pTask; a handler that ends at once leaves none.
  SGE_CreateTask(taskType, parentTask, data, SGE_PtrParam(c), value);
  return c;
}

int32_t GUI_DestroyControl(GUI_CONTROL* control) {
  if (!control) return 0;
  if (control->pTask) {
    SGE_TASK* task = control->pTask;
    control->pTask = nullptr;
    SGE_SendMessage(task, control->pData, SGM_TASK_DESTROY, 0, 0);
  }
  if (g_gui.pFocus == control) {
    GUI_ReleaseFocus(1);
    g_gui.pFocus = nullptr;
  }
  if (g_gui.pHover == control) g_gui.pHover = nullptr;
  while (GUI_CONTROL* child = SGE_ListFirstRecord<GUI_CONTROL>(&control->children))
    GUI_DestroyControl(child);
  SGE_ListUnlink(&control->link.link);
  SGE_DATAREF* data = control->pData;
  SGE_MemFree(control);
  if (data) SGE_ReleaseDataRef(data);
  return 1;
}

int32_t GUI_FreeList(SGE_DLLNODE* list) {
  if (!list) return 0;
  while (!SGE_ListIsEmpty(list)) {
    auto* ref = SGE_ListRecord<GUI_CONTROLREF>(SGE_ListPopHead(list));
    GUI_DestroyControl(ref->pControl);
    SGE_MemFree(ref);
  }
  return 1;
}

int32_t GUI_RemoveControl(SGE_DLLNODE* list, GUI_CONTROL* control) {
  if (!list || !control) return 0;
  for (GUI_CONTROLREF* ref : SGE_ListRecords<GUI_CONTROLREF>(list)) {
    if (ref->pControl != control) continue;
    SGE_ListUnlink(&ref->link);
    SGE_MemFree(ref);
    return GUI_DestroyControl(control);
  }
  return 0;
}

GUI_CONTROL* GUI_FindControl(SGE_DLLNODE* list, int32_t id) {
  if (!list) return nullptr;
  for (const GUI_CONTROLREF* ref : SGE_ListRecords<GUI_CONTROLREF>(list)) {
    GUI_CONTROL* c = ref->pControl;
    if (c && c->nId == id) return c;
  }
  return nullptr;
}

void* GUI_GetControlData(GUI_CONTROL* control) {
  return control ? SGE_TaskData<void>(control->pTask) : nullptr;
}

SGE_TASK* GUI_GetOwner(const GUI_CONTROL* control) {
  return (control && control->pTask) ? control->pTask->pParent : nullptr;
}

int32_t GUI_GetControlPosition(const GUI_CONTROL* control, SPW_POINT* out) {
  if (!control || !out || !control->pNode) return 0;
  const SPW_POINT corner{control->centre.x + control->rect.x0,
                         control->centre.y + control->rect.y0};
  SPW_DisplayNodeToScreen(control->pNode, &corner, out);
  const SPW_DISPLAY* d = control->pNode->pDisplay;
  if (!d) return 0;
  return out->x >= 0 && out->y >= 0 && out->x < d->fWidth && out->y < d->fHeight ? 1 : 0;
}

SPW_B2DFRAME* GUI_GetSprite(const SPW_B2DSET* set, int32_t id) {
  return set ? SPW_B2D_GetFrame(set, nullptr, id) : nullptr;
}

void GUI_ShowList(SGE_DLLNODE* list, int32_t show) {
  ForEachRef(list, [show](GUI_CONTROL* c) {
    if (c) SGE_Send(c->pTask, show == 1 ? SGM_GUI_SHOW : SGM_GUI_HIDE, 0, 0);
  });
}

void GUI_SendToList(SPW_DISPLAYNODE* node, SGE_DLLNODE* list, SGE_PARAM value) {
  ForEachRef(list, [node, value](GUI_CONTROL* c) {
    if (c) SGE_Send(c->pTask, SGM_GUI_DRAW, SGE_PtrParam(node), value);
  });
}

void GUI_PlaceControl(GUI_CONTROL* control, float dx, float dy) {
  if (!control || !control->pNode) return;
  const float w = static_cast<float>(control->nW), h = static_cast<float>(control->nH);
  control->centre.x = control->pNode->rect.x0 + static_cast<float>(control->nX) + w / 2 + dx;
  control->centre.y = control->pNode->rect.y0 + static_cast<float>(control->nY) + h / 2 + dy;
  control->rect = {-w / 2, -h / 2, w / 2, h / 2};
}

void GUI_MoveList(SGE_DLLNODE* list, float dx, float dy) {
  ForEachRef(list, [dx, dy](GUI_CONTROL* c) { GUI_PlaceControl(c, dx, dy); });
}

void GUI_SetListScale(SGE_DLLNODE* list, float value) {
  ForEachRef(list, [value](GUI_CONTROL* c) {
    if (c) c->fDepth = value;
  });
}

int32_t GUI_SetActive(GUI_CONTROL* control, int32_t on) {
  if (!control) return 0;
  const int32_t old = (control->fFlags & GUI_CONTROL_ACTIVE) ? 1 : 0;
  if (on == 1)
    control->fFlags |= GUI_CONTROL_ACTIVE;
  else
    control->fFlags &= ~GUI_CONTROL_ACTIVE;
  return old;
}

void GUI_SetListActive(SGE_DLLNODE* list, int32_t on) {
  ForEachRef(list, [on](GUI_CONTROL* c) { GUI_SetActive(c, on); });
}

void GUI_ReparentList(SGE_DLLNODE* list, SGE_TASK* task) {
  ForEachRef(list, [task](GUI_CONTROL* c) {
    if (c && c->pTask) SGE_ReparentTask(c->pTask, task);
  });
}

void GUI_SetControlNode(GUI_CONTROL* control, SPW_DISPLAYNODE* node) {
  if (!control) return;
  control->pNode = node;
  GUI_PlaceControl(control, 0, 0);
}

void GUI_ResetState() {
  g_gui.pFocus = nullptr;
  g_gui.pHover = nullptr;
  g_gui.bListReady = false;
}

int32_t GUI_MoveControlByMessage(SGE_TASK* task, GUI_CONTROL* control, int32_t msg, SGE_PARAM p1,
                                 SGE_PARAM p2) {
  // Both floats travel as their bits in the low word.
  const float x = std::bit_cast<float>(static_cast<int32_t>(p1));
  const float y = std::bit_cast<float>(static_cast<int32_t>(p2));
  if (msg == SGM_GUI_MOVE_BY) {
    control->centre.x += x;
    control->centre.y += y;
    return 1;
  }
  const float dx = x - control->centre.x, dy = y - control->centre.y;
  if (dx != 0 || dy != 0)
    SGE_Send(task, SGM_GUI_MOVE_BY, std::bit_cast<int32_t>(dx), std::bit_cast<int32_t>(dy));
  return 1;
}
