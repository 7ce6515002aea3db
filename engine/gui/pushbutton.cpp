// Push buttons: three frames, four kinds (click, repeat, toggle, radio), their owner told of
// every state change, and drag and drop between click buttons.
#include <algorithm>
#include <cstring>

#include "engine/gui/gui.h"
#include "engine/gui/guistate.h"
#include "engine/math/argb.h"
#include "engine/memory/memblock.h"
#include "engine/quad/quad.h"

namespace {

struct FrameSlot {
  SPW_B2DFRAME frame;
  int32_t bPresent;
};

struct PUSHBUTTON {
  GUI_CONTROL* pControl;
  int32_t nRepeatDelay;  // frames
  int32_t nFramesToRepeat;  // counted down by the repeat timer
  SGE_TIMER* pRepeat;
  uint32_t dwColour[4];  // [2] tints the normal frame when highlighted, [3] when pressed
  uint32_t fFlags;
  FrameSlot slots[3];  // normal, pressed, highlighted
  const SPW_FONT* pFont;
  char* pszLabel;
  uint32_t dwLabelColour;
};

enum Slot { kNormal, kPressed, kHighlighted };

constexpr uint32_t kUntinted = 0xffffffffu;
constexpr float kDepthStep = 0.01f;
constexpr float kBrightHighlighted = 1.3f;
constexpr float kBrightInactive = 0.3f;
constexpr int32_t kDefaultRepeat = 1;  // 2118 with 1: two frames

PUSHBUTTON* Data(SGE_TASK* task) { return SGE_TaskData<PUSHBUTTON>(task); }
bool Hidden(const PUSHBUTTON* b) { return b->pControl->fFlags & GUI_CONTROL_HIDDEN; }
GUI_CONTROL* Self(const PUSHBUTTON* b) { return b->pControl; }

void Tell(PUSHBUTTON* b, int32_t msg, SGE_PARAM p2 = 0) {
  GUI_TellOwner(Self(b), msg, GUI_Param(Self(b)), p2);
}
void Mode(PUSHBUTTON* b, int32_t msg, int32_t leave) {
  GUI_SendControl(Self(b), msg, GUI_Param(Self(b)), leave);
}

void ResetSiblings(PUSHBUTTON* b) {
  GUI_CONTROL* c = Self(b);
  SGE_DLLNODE* list = c->pParent ? &c->pParent->children : GUI_GetControlList();
  for (GUI_CONTROL* s : SGE_ListRecords<GUI_CONTROL>(list)) {
    if (s == c || (s->fFlags & GUI_CONTROL_HIDDEN) || !s->pTask) continue;
    const auto flags = static_cast<uint32_t>(SGE_Send(s->pTask, SGM_GUI_GET_FLAGS, 0, 0));
    if (!(flags & GUI_PB_KEEP_ON_RESET)) GUI_SendControl(s, SGM_GUI_MODE_NORMAL, 0, 0);
  }
}

void EnterNormal(PUSHBUTTON* b) {
  Mode(b, SGM_GUI_MODE_PRESSED, 1);
  Mode(b, SGM_GUI_MODE_HIGHLIGHT, 1);
  b->fFlags |= GUI_PB_NORMAL;
}

void EnterPressed(PUSHBUTTON* b) {
  if (b->fFlags & GUI_PB_RESET_SIBLINGS) ResetSiblings(b);
  if (b->fFlags & GUI_PB_PRESSED) return;
  Tell(b, SGM_GUI_PRESSED);
  Mode(b, SGM_GUI_MODE_HIGHLIGHT, 1);
  Mode(b, SGM_GUI_MODE_NORMAL, 1);
  b->fFlags |= GUI_PB_PRESSED;
}

void EnterHighlighted(PUSHBUTTON* b) {
  if (b->fFlags & GUI_PB_HIGHLIGHTED) return;
  Tell(b, SGM_GUI_HIGHLIGHTED);
  Mode(b, SGM_GUI_MODE_PRESSED, 1);
  Mode(b, SGM_GUI_MODE_NORMAL, 1);
  b->fFlags |= GUI_PB_HIGHLIGHTED;
}

int32_t OnMode(PUSHBUTTON* b, int32_t msg, SGE_PARAM leave) {
  if (leave == 0) {
    if (msg == SGM_GUI_MODE_NORMAL) EnterNormal(b);
    if (msg == SGM_GUI_MODE_PRESSED) EnterPressed(b);
    if (msg == SGM_GUI_MODE_HIGHLIGHT) EnterHighlighted(b);
    return 1;
  }
  if (msg == SGM_GUI_MODE_NORMAL) b->fFlags &= ~GUI_PB_NORMAL;
  if (msg == SGM_GUI_MODE_PRESSED && (b->fFlags & GUI_PB_PRESSED)) {
    b->fFlags &= ~GUI_PB_PRESSED;
    Tell(b, SGM_GUI_RELEASED);
  }
  if (msg == SGM_GUI_MODE_HIGHLIGHT && (b->fFlags & GUI_PB_HIGHLIGHTED)) {
    b->fFlags &= ~GUI_PB_HIGHLIGHTED;
    Tell(b, SGM_GUI_UNHIGHLIGHTED);
  }
  return 1;
}

void StopRepeat(PUSHBUTTON* b) {
  if (b->pRepeat) SGE_KillTimer(b->pRepeat);
  b->pRepeat = nullptr;
}

void Hold(SGE_TASK* task, PUSHBUTTON* b) {
  b->nFramesToRepeat = b->nRepeatDelay;
  if (!b->pRepeat) b->pRepeat = SGE_AddFrameTimer(task, 1, nullptr, SGE_TIMER_REPEAT);
}

// The repeat counts its own frames: the kernel's frame counter restarts every second.
void OnRepeatFrame(PUSHBUTTON* b) {
  if (--b->nFramesToRepeat > 0) return;
  StopRepeat(b);
  Tell(b, SGM_GUI_ACTIVATE);
  Mode(b, GUI_GetHover() == Self(b) ? SGM_GUI_MODE_HIGHLIGHT : SGM_GUI_MODE_NORMAL, 0);
}

bool HasFocus(const PUSHBUTTON* b) { return GUI_GetFocus() == b->pControl; }

void Press(SGE_TASK* task, PUSHBUTTON* b, SGE_DATAREF* event) {
  if (HasFocus(b)) return;
  GUI_CONTROL* c = Self(b);
  if (b->fFlags & GUI_PB_CLICK) {
    Mode(b, SGM_GUI_MODE_PRESSED, 0);
    GUI_SetFocus(c);
    if (b->fFlags & GUI_PB_REPORT)
      GUI_TellOwner(c, SGM_GUI_DOWN, GUI_Param(c), SGE_PtrParam(event));
  } else if (b->fFlags & GUI_PB_REPEAT) {
    if (!(b->fFlags & GUI_PB_PRESSED)) Mode(b, SGM_GUI_MODE_PRESSED, 0);
    SGE_Send(task, SGM_GUI_HOLD, 0, 0);
  } else if (b->fFlags & GUI_PB_TOGGLE) {
    Mode(b, (b->fFlags & GUI_PB_PRESSED) ? SGM_GUI_MODE_HIGHLIGHT : SGM_GUI_MODE_PRESSED, 0);
  } else if (b->fFlags & GUI_PB_RADIO) {
    if (b->fFlags & GUI_PB_PRESSED) return;
    Mode(b, SGM_GUI_MODE_PRESSED, 0);
    GUI_SetFocus(c);
  }
}

void Release(PUSHBUTTON* b, GUI_CONTROL* under) {
  GUI_CONTROL* c = Self(b);
  if (!HasFocus(b)) return;
  if (under == c) {
    if (!(b->fFlags & GUI_PB_CLICK)) return;
    Mode(b, SGM_GUI_MODE_HIGHLIGHT, 0);
    GUI_ReleaseFocus(1);
    if (b->fFlags & GUI_PB_REPORT) Tell(b, SGM_GUI_UP);
    Tell(b, SGM_GUI_ACTIVATE);
    return;
  }
  if (!(b->fFlags & GUI_PB_CLICK)) return;
  if (b->fFlags & GUI_PB_REPORT) {
    Tell(b, SGM_GUI_UP);
    if (under && under->pTask && c->nDragType >= 0 && c->nDragType < 32) {
      const auto flags = static_cast<uint32_t>(SGE_Send(under->pTask, SGM_GUI_GET_FLAGS, 0, 0));
      if ((flags & GUI_PB_ACCEPT_DROPS) && (under->dwDropMask & (1u << c->nDragType)))
        GUI_TellOwner(under, SGM_GUI_DROP, GUI_Param(c), GUI_Param(under));
    }
  }
  Mode(b, SGM_GUI_MODE_NORMAL, 0);
  GUI_ReleaseFocus(1);
}

int32_t OnPointer(SGE_TASK* task, PUSHBUTTON* b, SGE_DATAREF* data, SGE_PARAM p2) {
  if (b->fFlags & GUI_PB_IGNORE_POINTER) return 0;
  const auto* e = (data && data->pData) ? static_cast<const GUI_POINTEREVENT*>(data->pData)
                                        : nullptr;
  const int32_t kind = e ? e->nKind : 0;
  if (kind == GUI_EVENT_DOWN) {
    // A press elsewhere goes on to the control under the pointer (the next radio button).
    if (HasFocus(b) && SGE_ParamPtr<GUI_CONTROL>(p2) != Self(b)) return 0;
    Press(task, b, data);
    return 1;
  }
  if (kind == GUI_EVENT_UP) {
    Release(b, SGE_ParamPtr<GUI_CONTROL>(p2));
    return 1;
  }
  return GUI_TellOwner(Self(b), SGM_GUI_POINTER_OTHER, GUI_Param(Self(b)), p2, data);
}

void OnEnter(PUSHBUTTON* b) {
  if (Hidden(b)) return;
  if (b->fFlags & GUI_PB_NORMAL) Mode(b, SGM_GUI_MODE_HIGHLIGHT, 0);
  if ((b->fFlags & GUI_PB_ENTER_FOCUS) && !HasFocus(b)) GUI_SetFocus(Self(b));
}

void OnLeave(PUSHBUTTON* b) {
  if (Hidden(b)) return;
  if ((b->fFlags & GUI_PB_ENTER_FOCUS) && HasFocus(b)) GUI_ReleaseFocus(1);
  if (b->fFlags & GUI_PB_HIGHLIGHTED) Mode(b, SGM_GUI_MODE_NORMAL, 0);
  if ((b->fFlags & (GUI_PB_PRESSED | GUI_PB_CLICK | GUI_PB_LEAVE_RELEASES)) ==
      (GUI_PB_PRESSED | GUI_PB_CLICK | GUI_PB_LEAVE_RELEASES)) {
    GUI_ReleaseFocus(1);
    Mode(b, SGM_GUI_MODE_NORMAL, 0);
  }
}

void OnHide(PUSHBUTTON* b) {
  GUI_CONTROL* c = Self(b);
  c->fFlags |= GUI_CONTROL_HIDDEN;
  if (HasFocus(b)) GUI_ReleaseFocus(1);
  Mode(b, SGM_GUI_MODE_NORMAL, 0);
}

void ClearLabel(PUSHBUTTON* b) {
  if (b->pszLabel) SGE_MemFree(b->pszLabel);
  b->pszLabel = nullptr;
  b->pFont = nullptr;
}

void SetLabel(PUSHBUTTON* b, const GUI_LABEL* label) {
  ClearLabel(b);
  if (!label) return;
  b->pFont = label->pFont;
  b->dwLabelColour = label->dwColour;
  if (!label->pszText) return;
  const size_t n = std::strlen(label->pszText) + 1;
  b->pszLabel = static_cast<char*>(SGE_MemAlloc(SPW_ObjsMem, static_cast<uint32_t>(n)));
  if (b->pszLabel) std::memcpy(b->pszLabel, label->pszText, n);
}

void SetFrame(PUSHBUTTON* b, const SPW_B2DFRAME* frame, SGE_PARAM slot) {
  const int index = slot == GUI_SLOT_NORMAL        ? kNormal
                    : slot == GUI_SLOT_PRESSED     ? kPressed
                    : slot == GUI_SLOT_HIGHLIGHTED ? kHighlighted
                                                   : -1;
  if (index < 0) return;
  b->slots[index].bPresent = frame ? 1 : 0;
  if (frame) {
    b->slots[index].frame = *frame;
    b->slots[index].frame.pszName = nullptr;
  }
}

uint32_t Scale(uint32_t colour, float k) {
  return SPW_ArgbMap(colour, [k](uint32_t c) {
    return static_cast<uint32_t>(std::min(static_cast<float>(c) * k, 255.0f));
  });
}

void Draw(PUSHBUTTON* b, SPW_DISPLAYNODE* node) {
  GUI_CONTROL* c = Self(b);
  if ((c->fFlags & GUI_CONTROL_HIDDEN) || !node) return;
  const FrameSlot* slot = nullptr;
  uint32_t tint = kUntinted;
  float bright = 1.0f, offset = 0.0f;
  if (b->fFlags & GUI_PB_NORMAL) slot = &b->slots[kNormal];
  if (b->fFlags & GUI_PB_PRESSED) {
    slot = &b->slots[kPressed];
    if (!slot->bPresent) slot = &b->slots[kNormal], tint = b->dwColour[3];
    offset = 1.0f;
  }
  if (b->fFlags & GUI_PB_HIGHLIGHTED) {
    slot = &b->slots[kHighlighted];
    if (!slot->bPresent) slot = &b->slots[kNormal], tint = b->dwColour[2];
    bright = kBrightHighlighted;
  }
  if (!(c->fFlags & GUI_CONTROL_ACTIVE)) {
    slot = &b->slots[kNormal];
    tint = Scale(tint, kBrightInactive);
    bright = kBrightInactive;
  }
  if (slot && slot->bPresent)
    SPW_DrawFrameColoured(node, &slot->frame, c->centre.x + c->rect.x0, c->centre.y + c->rect.y0,
                          c->fDepth + kDepthStep, tint);
  SPPD_DRIVERTABLE* drv = SPW_GetDisplayDriver(node->pDisplay);
  if (drv && drv->SPPD_Flush) drv->SPPD_Flush(node->pDisplay);
  if (!b->pszLabel || !b->pFont) return;
  // The text drawers place from the node's top-left; the centre is from its origin.
  const float x = c->centre.x - node->rect.x0 + offset;
  const float y = c->centre.y - node->rect.y0 - static_cast<float>(b->pFont->nHeight) / 2 + offset;
  SPW_DrawTextCentred(node, b->pFont, b->pszLabel, x, y, c->fDepth + kDepthStep,
                      Scale(b->dwLabelColour, bright));
}

int32_t OnCreate(SGE_TASK* task, PUSHBUTTON* b, SGE_PARAM p1, SGE_PARAM p2) {
  b->pControl = SGE_ParamPtr<GUI_CONTROL>(p1);
  if (!b->pControl) return 0;
  b->pControl->pTask = task;
  for (uint32_t& colour : b->dwColour) colour = kUntinted;
  auto kinds = static_cast<uint32_t>(p2);
  b->fFlags = kinds & ~GUI_PB_KINDS;
  Mode(b, SGM_GUI_MODE_NORMAL, 0);
  if (!(kinds & GUI_PB_KINDS)) kinds = GUI_PB_CLICK | GUI_PB_LEAVE_RELEASES;
  if (kinds & GUI_PB_CLICK)
    b->fFlags |= GUI_PB_CLICK | (kinds & (GUI_PB_REPORT | GUI_PB_LEAVE_RELEASES));
  if (kinds & GUI_PB_REPEAT) {
    b->fFlags |= GUI_PB_REPEAT;
    SGE_Send(task, SGM_GUI_SET_REPEAT, 0, kDefaultRepeat);
  }
  b->fFlags |= kinds & (GUI_PB_TOGGLE | GUI_PB_RADIO);
  return 1;
}

}  // namespace

SGE_RESULT GUI_PushButtonHandler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                                 SGE_PARAM p2) {
  PUSHBUTTON* b = Data(task);
  if (!b || (msg != SGM_TASK_CREATE && !b->pControl))
    return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
  GUI_CONTROL* c = b->pControl;
  switch (msg) {
    case SGM_TASK_CREATE:
      OnCreate(task, b, p1, p2);
      break;
    case SGM_TASK_DESTROY:
      ClearLabel(b);
      StopRepeat(b);
      if (c->pTask == task) c->pTask = nullptr;
      break;
    case SGM_TASK_FRAME:
      if (SGE_ParamPtr<SGE_TIMER>(p1) == b->pRepeat) OnRepeatFrame(b);
      return 1;
    case SGM_GUI_FOCUS_GAIN:
      b->fFlags |= GUI_PB_HAS_FOCUS;
      Tell(b, SGM_GUI_FOCUS_GAINED);
      return 1;
    case SGM_GUI_FOCUS_LOSE:
      b->fFlags &= ~GUI_PB_HAS_FOCUS;
      Tell(b, SGM_GUI_FOCUS_LOST);
      return 1;
    case SGM_GUI_POINTER:
      return OnPointer(task, b, data, p2);
    case SGM_GUI_POINTER_ENTER:
      OnEnter(b);
      return 1;
    case SGM_GUI_POINTER_LEAVE:
      OnLeave(b);
      return 1;
    case SGM_GUI_MODE_NORMAL:
    case SGM_GUI_MODE_PRESSED:
    case SGM_GUI_MODE_HIGHLIGHT:
      return OnMode(b, msg, p2);
    case SGM_GUI_FORWARD_A:
    case SGM_GUI_FORWARD_B:
    case SGM_GUI_POINTER_OTHER:
      return GUI_TellOwner(c, msg, p1, p2, data);
    case SGM_GUI_GET_FLAGS:
      return static_cast<int32_t>(b->fFlags);
    case SGM_GUI_MOVE_TO:
    case SGM_GUI_MOVE_BY:
      return GUI_MoveControlByMessage(task, c, msg, p1, p2);
    case SGM_GUI_SHOW:
      c->fFlags &= ~GUI_CONTROL_HIDDEN;
      for (GUI_CONTROL* child : SGE_ListRecords<GUI_CONTROL>(&c->children))
        GUI_SendControl(child, SGM_GUI_SHOW, 0, 0);
      return 1;
    case SGM_GUI_HIDE:
      OnHide(b);
      for (GUI_CONTROL* child : SGE_ListRecords<GUI_CONTROL>(&c->children))
        GUI_SendControl(child, SGM_GUI_HIDE, 0, 0);
      return 1;
    case SGM_GUI_DRAW:
      Draw(b, SGE_ParamPtr<SPW_DISPLAYNODE>(p1));
      return 1;
    case SGM_GUI_SET_TEXT:
      SetLabel(b, SGE_ParamPtr<const GUI_LABEL>(p1));
      return 1;
    case SGM_GUI_SET_FRAME:
      SetFrame(b, SGE_ParamPtr<const SPW_B2DFRAME>(p1), p2);
      return 1;
    case SGM_GUI_HOLD:
      Hold(task, b);
      return 1;
    case SGM_GUI_SET_REPEAT:
      b->nRepeatDelay = static_cast<int32_t>(p2) + 1;
      return 1;
    default:
      break;
  }
  return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
}

int32_t GUI_RegisterTaskTypes() {
  constexpr int32_t kFlags = SGE_TTF_ALLOC_DATA | SGE_TTF_ZERO_DATA;
  const bool button = SGE_RegisterTaskType(VNTT_GUI_PUSHBUTTON, &GUI_PushButtonHandler, kFlags,
                                           sizeof(PUSHBUTTON), "GUI_PUSHBUTTON") == 1;
  const bool edit = SGE_RegisterTaskType(VNTT_GUI_EDITBOX, &GUI_EditBoxHandler, kFlags,
                                         GUI_EditBoxInstanceSize(), "GUI_EDITBOX") == 1;
  return button && edit ? 1 : 0;
}
