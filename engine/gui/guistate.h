#pragma once
// The GUI's globals, shared by the files of this folder only.
#include "engine/gui/gui.h"

struct GUI_STATE {
  SGE_DLLNODE controls;  // top-level controls by key
  bool bListReady = false;
  GUI_CONTROL* pFocus = nullptr;
  GUI_CONTROL* pHover = nullptr;
};
extern GUI_STATE g_gui;

// Sends to the control's task; 0 when the control has none.
inline int32_t GUI_SendControl(const GUI_CONTROL* control, int32_t msg, SGE_PARAM p1,
                               SGE_PARAM p2, SGE_DATAREF* data = nullptr) {
  return (control && control->pTask) ? SGE_SendMessage(control->pTask, data, msg, p1, p2) : 0;
}
// Tells the control's owner; 0 when there is none.
inline int32_t GUI_TellOwner(const GUI_CONTROL* control, int32_t msg, SGE_PARAM p1, SGE_PARAM p2,
                             SGE_DATAREF* data = nullptr) {
  SGE_TASK* owner = GUI_GetOwner(control);
  return owner ? SGE_SendMessage(owner, data, msg, p1, p2) : 0;
}
inline SGE_PARAM GUI_Param(const GUI_CONTROL* control) {
  return SGE_PtrParam(control);
}

// Instance sizes for the type registration.
int32_t GUI_EditBoxInstanceSize();
// Messages 2092 (move to) and 2093 (move by) as every control answers them.
int32_t GUI_MoveControlByMessage(SGE_TASK* task, GUI_CONTROL* control, int32_t msg, SGE_PARAM p1,
                                 SGE_PARAM p2);
