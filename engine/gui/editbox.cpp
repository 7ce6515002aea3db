// The edit box: one line of text typed from the keyboard while the box has the focus, with a
// cursor, a selection, key repeat, Enter to accept and Escape to restore the text it had when
// the focus arrived.
#include <algorithm>
#include <array>
#include <cstring>

#include "engine/gui/gui.h"
#include "engine/gui/guistate.h"
#include "engine/input/koinput.h"
#include "engine/kernel/frametime.h"

namespace {

struct EDITBOX {
  GUI_CONTROL* pControl;
  uint32_t fFlags;
  SGE_TIMER* pTimer;
  float fBlink;
  char szText[GUI_EDIT_TEXT_SIZE];
  char szSaved[GUI_EDIT_TEXT_SIZE];
  const SPW_FONT* pFont;
  int32_t nKey, nHeld, nReleased;
  float fRepeat;
  int32_t nCursor, nAnchor, nMax;
  int32_t bDone, bCancelled;
  uint32_t dwColour, dwColour2, dwColour3;
};

constexpr uint32_t kNormal = 1, kHighlighted = 2;
constexpr float kRepeatPeriod = 0.03f;
constexpr float kRepeatDelay = -0.3f;  // the first repeat comes about 0.33 s after the press
constexpr float kDrawDepth = 1.0f;
// Drag messages from SGM_GUI_DOWN to here mean nothing to a box.
constexpr int32_t kLastIgnored = 2088;

// Scan codes.
constexpr int32_t kEscape = 1, kBackspace = 14, kEnter = 28, kPadEnter = 156;
constexpr int32_t kHome = 71, kLeft = 75, kRight = 77, kEnd = 79, kDelete = 83;
constexpr int32_t kExtHome = 199, kExtLeft = 203, kExtRight = 205, kExtEnd = 207,
                  kExtDelete = 211;

// Characters by scan code without and with Shift; a key types only when both exist.
struct KeyChars {
  char plain, shifted;
};
constexpr auto kKeyTable = [] {
  std::array<KeyChars, KOINPUT_NUM_KEYS> t{};
  auto row = [&t](int first, const char* plain, const char* shifted) {
    for (int i = 0; plain[i]; ++i) t[first + i] = {plain[i], shifted[i]};
  };
  row(2, "1234567890-=", "!@#$%^&*()_+");
  row(16, "qwertyuiop[]", "QWERTYUIOP{}");
  row(30, "asdfghjkl;", "ASDFGHJKL;");
  t[40] = {'\'', 0};
  row(41, "`", "~");
  row(43, "\\zxcvbnm,./", "|ZXCVBNM<>?");
  row(55, "*", "*");
  row(57, " ", " ");
  return t;
}();

EDITBOX* Data(SGE_TASK* task) { return SGE_TaskData<EDITBOX>(task); }
GUI_CONTROL* Self(const EDITBOX* e) { return e->pControl; }
bool HasFocus(const EDITBOX* e) { return GUI_GetFocus() == e->pControl; }
int32_t Length(const EDITBOX* e) { return static_cast<int32_t>(std::strlen(e->szText)); }

void Reset(EDITBOX* e, SGE_PARAM maxLength) {
  e->szText[0] = e->szSaved[0] = 0;
  e->nCursor = e->nAnchor = 0;
  e->bDone = e->bCancelled = 0;
  // The buffer holds GUI_EDIT_TEXT_SIZE with the end; a larger maximum would write past it.
  e->nMax = static_cast<int32_t>(std::clamp<SGE_PARAM>(maxLength, 0, GUI_EDIT_TEXT_SIZE));
}

void SetText(EDITBOX* e, const char* text) {
  if (!text) text = "";
  const size_t n = strnlen(text, GUI_EDIT_TEXT_SIZE - 1);
  std::memmove(e->szText, text, n);
  e->szText[n] = 0;
  e->nCursor = e->nAnchor = static_cast<int32_t>(n);
}

int32_t GetText(const EDITBOX* e, char* buffer, SGE_PARAM size) {
  if (!buffer || size <= 0) return 0;
  const auto room = static_cast<size_t>(std::min<SGE_PARAM>(size, GUI_EDIT_TEXT_SIZE));
  const size_t n = std::min(std::strlen(e->szText), room - 1);
  std::memcpy(buffer, e->szText, n);
  buffer[n] = 0;
  return static_cast<int32_t>(n);
}

void SetCursor(EDITBOX* e, SGE_PARAM cursor, SGE_PARAM anchor) {
  const SGE_PARAM len = Length(e);
  e->nCursor = static_cast<int32_t>(std::clamp<SGE_PARAM>(cursor, 0, len));
  e->nAnchor = anchor == -1 ? e->nCursor
                            : static_cast<int32_t>(std::clamp<SGE_PARAM>(anchor, 0, len));
}

// Deletes the selection; false when there is none.
bool DeleteSelection(EDITBOX* e) {
  const int32_t from = std::min(e->nCursor, e->nAnchor), to = std::max(e->nCursor, e->nAnchor);
  if (from == to) return false;
  std::memmove(e->szText + from, e->szText + to, static_cast<size_t>(Length(e) - to + 1));
  e->nCursor = e->nAnchor = from;
  return true;
}

void DeleteAt(EDITBOX* e, int32_t at) {
  if (at < 0 || at >= Length(e)) return;
  std::memmove(e->szText + at, e->szText + at + 1, static_cast<size_t>(Length(e) - at));
  e->nCursor = e->nAnchor = at;
}

void Type(EDITBOX* e, KOINPUT_DEVICE* kb, int32_t key) {
  const KeyChars k = kKeyTable[key & 0xff];
  if (!k.plain || !k.shifted) return;
  if (KOINPUT_IsCtrlDown(kb) || e->nCursor >= e->nMax) return;
  DeleteSelection(e);
  const int32_t len = Length(e);
  if (len > e->nMax - 2) return;  // the maximum counts the end
  std::memmove(e->szText + e->nCursor + 1, e->szText + e->nCursor,
               static_cast<size_t>(len - e->nCursor + 1));
  e->szText[e->nCursor] = KOINPUT_IsShiftDown(kb) ? k.shifted : k.plain;
  e->nAnchor = ++e->nCursor;
}

void Finish(EDITBOX* e, int32_t msg, SGE_DATAREF* event) {
  GUI_TellOwner(Self(e), msg, event ? SGE_PtrParam(event->pData) : 0,
                GUI_Param(Self(e)), event);
  GUI_ReleaseFocus(1);
}

void MoveCursor(EDITBOX* e, KOINPUT_DEVICE* kb, int32_t to) {
  e->nCursor = to;
  if (!KOINPUT_IsShiftDown(kb)) e->nAnchor = e->nCursor;
}

void Act(EDITBOX* e, KOINPUT_DEVICE* kb, int32_t key, SGE_DATAREF* event) {
  const int32_t len = Length(e);
  switch (key) {
    case kEnter:
    case kPadEnter:
      e->bDone = 1;
      Finish(e, SGM_EDIT_ACCEPT, event);
      return;
    case kEscape:
      SetText(e, e->szSaved);
      e->bCancelled = 1;
      Finish(e, SGM_EDIT_CANCEL, event);
      return;
    case kLeft:
    case kExtLeft:
      return MoveCursor(e, kb, std::max(e->nCursor - 1, 0));
    case kRight:
    case kExtRight:
      return MoveCursor(e, kb, std::min({e->nCursor + 1, len, e->nMax}));
    case kHome:
    case kExtHome:
      return MoveCursor(e, kb, 0);
    case kEnd:
    case kExtEnd:
      return MoveCursor(e, kb, std::min(len, e->nMax));
    case kBackspace:
      if (!DeleteSelection(e)) DeleteAt(e, e->nCursor - 1);
      return;
    case kDelete:
    case kExtDelete:
      if (!DeleteSelection(e)) DeleteAt(e, e->nCursor);
      return;
    default:
      Type(e, kb, key);
  }
}

void Keyboard(EDITBOX* e, SGE_DATAREF* event) {
  KOINPUT_DEVICE* kb = KOINPUT_FindDevice(KOINPUT_TYPE_KEYBOARD);
  if (!kb) return;
  if (e->nHeld) {
    if (KOINPUT_GetKeyState(kb, e->nHeld)) {
      e->fRepeat += SGE_GetFrameDelta();
      if (e->fRepeat > kRepeatPeriod) {
        e->fRepeat = 0;
        Act(e, kb, e->nHeld, event);
      }
    } else {
      e->nHeld = 0;
    }
  }
  // Enter and Escape hand the focus away; later keys of the frame belong to nobody.
  for (int32_t key = 0; key < KOINPUT_NUM_KEYS && HasFocus(e); ++key) {
    if (KOINPUT_KeyPressed(kb, key) && key != e->nHeld) {
      e->nKey = key;
      Act(e, kb, key, event);
      e->nHeld = key;
      e->fRepeat = kRepeatDelay;
    } else if (KOINPUT_KeyReleased(kb, key) && key != e->nHeld) {
      e->nReleased = key;
      e->nHeld = 0;
    }
  }
}

int32_t OnPointer(EDITBOX* e, SGE_DATAREF* data, SGE_PARAM p2) {
  const auto* ev = (data && data->pData) ? static_cast<const GUI_POINTEREVENT*>(data->pData)
                                         : nullptr;
  auto* under = SGE_ParamPtr<GUI_CONTROL>(p2);
  const int32_t kind = ev ? ev->nKind : 0;
  if (kind == GUI_EVENT_KEY) {
    if (HasFocus(e)) Keyboard(e, data);
    return 1;
  }
  if (kind == GUI_EVENT_DOWN) {
    // Another kind of control takes the click itself, once the box has let the focus go.
    if (!under || !under->pTask || under->pTask->nTypeId != VNTT_GUI_EDITBOX) {
      GUI_ReleaseFocus(1);
      return 0;
    }
    GUI_SetFocus(under);
    if (under != Self(e)) GUI_SendControl(under, SGM_GUI_POINTER, p2, p2, data);
    return 1;
  }
  if (under && under == GUI_GetFocus())
    return GUI_TellOwner(Self(e), SGM_GUI_POINTER_OTHER, GUI_Param(Self(e)), p2, data);
  return 0;
}

uint32_t Channels(uint32_t colour, bool brighter) {
  uint32_t out = colour & 0xff000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t c = (colour >> shift) & 0xff;
    out |= (brighter ? std::min(c * 2, 254u) : c / 2) << shift;
  }
  return out;
}

void Draw(EDITBOX* e, SPW_DISPLAYNODE* node) {
  GUI_CONTROL* c = Self(e);
  if ((c->fFlags & GUI_CONTROL_HIDDEN) || !node || !e->pFont) return;
  uint32_t colour = e->dwColour;
  if (e->fFlags & kHighlighted) colour = Channels(colour, true);
  if (!(c->fFlags & GUI_CONTROL_ACTIVE)) colour = Channels(colour, false);
  // The text drawers place from the node's top-left; the control from its origin.
  const float x = c->centre.x + c->rect.x0 - node->rect.x0;
  const float y = c->centre.y + c->rect.y0 - node->rect.y0;
  SPW_DrawText(node, e->pFont, e->szText, x, y, kDrawDepth, colour);
  if (HasFocus(e) && static_cast<int32_t>(e->fBlink * 2) % 2 == 0) {
    const int32_t before = SPW_FontStringWidthN(e->pFont, e->szText, e->nCursor);
    SPW_DrawText(node, e->pFont, "_", x + static_cast<float>(before), y, kDrawDepth, colour);
  }
}

void OnCreate(SGE_TASK* task, EDITBOX* e, SGE_PARAM p1, SGE_PARAM p2) {
  std::memset(e, 0, sizeof *e);
  e->pControl = SGE_ParamPtr<GUI_CONTROL>(p1);
  if (!e->pControl) return;
  e->pControl->pTask = task;
  e->fFlags = static_cast<uint32_t>(p2);
  e->dwColour = 0xffffffffu;
  e->dwColour2 = 0xffff0000u;
  e->dwColour3 = 0xffff00ffu;
  if (KOINPUT_DEVICE* kb = KOINPUT_FindDevice(KOINPUT_TYPE_KEYBOARD))
    for (int32_t key = 0; key < KOINPUT_NUM_KEYS; ++key) KOINPUT_ClearKey(kb, key);
  e->pTimer = SGE_AddFrameTimer(task, 1, nullptr, SGE_TIMER_REPEAT);
  Reset(e, GUI_EDIT_TEXT_SIZE);
}

void SetMode(EDITBOX* e, int32_t msg, SGE_PARAM leave) {
  const uint32_t bit = msg == SGM_GUI_MODE_NORMAL ? kNormal : kHighlighted;
  const uint32_t other = bit == kNormal ? kHighlighted : kNormal;
  if (leave) {
    e->fFlags &= ~bit;
  } else {
    e->fFlags = (e->fFlags & ~other) | bit;
  }
}

void ShowOrHide(EDITBOX* e, bool show) {
  GUI_CONTROL* c = Self(e);
  if (show) {
    c->fFlags &= ~GUI_CONTROL_HIDDEN;
  } else {
    c->fFlags |= GUI_CONTROL_HIDDEN;
    if (HasFocus(e)) GUI_ReleaseFocus(1);
    SetMode(e, SGM_GUI_MODE_NORMAL, 0);
  }
  for (GUI_CONTROL* child : SGE_ListRecords<GUI_CONTROL>(&c->children))
    GUI_SendControl(child, show ? SGM_GUI_SHOW : SGM_GUI_HIDE, 0, 0);
}

}  // namespace

int32_t GUI_EditBoxInstanceSize() { return static_cast<int32_t>(sizeof(EDITBOX)); }

SGE_RESULT GUI_EditBoxHandler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                              SGE_PARAM p2) {
  EDITBOX* e = Data(task);
  if (e && msg == SGM_TASK_CREATE) {
    OnCreate(task, e, p1, p2);
    return 1;
  }
  if (!e || !e->pControl) return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
  GUI_CONTROL* c = e->pControl;
  if (msg >= SGM_GUI_DOWN && msg <= kLastIgnored) return 0;
  switch (msg) {
    case SGM_TASK_DESTROY:
      if (e->pTimer) SGE_KillTimer(e->pTimer);
      e->pTimer = nullptr;
      if (c->pTask == task) c->pTask = nullptr;
      break;
    case SGM_TASK_FRAME:
      e->fBlink += SGE_GetFrameDelta();
      return 1;
    case SGM_GUI_FOCUS_GAIN:
      std::memcpy(e->szSaved, e->szText, sizeof e->szSaved);
      GUI_TellOwner(c, SGM_GUI_FOCUS_GAINED, GUI_Param(c), 0);
      return 1;
    case SGM_GUI_FOCUS_LOSE:
      GUI_TellOwner(c, SGM_GUI_FOCUS_LOST, GUI_Param(c), 0);
      return 1;
    case SGM_GUI_POINTER:
      return OnPointer(e, data, p2);
    case SGM_GUI_POINTER_ENTER:
    case SGM_GUI_POINTER_LEAVE:
      if (!(c->fFlags & GUI_CONTROL_HIDDEN))
        SetMode(e, msg == SGM_GUI_POINTER_ENTER ? SGM_GUI_MODE_HIGHLIGHT : SGM_GUI_MODE_NORMAL, 0);
      return 1;
    case SGM_GUI_MODE_NORMAL:
    case SGM_GUI_MODE_HIGHLIGHT:
      SetMode(e, msg, p2);
      return 1;
    case SGM_GUI_PRESSED:
    case SGM_GUI_RELEASED:
    case SGM_GUI_HIGHLIGHTED:
    case SGM_GUI_UNHIGHLIGHTED:
    case SGM_GUI_ACTIVATE:
    case SGM_GUI_FORWARD_A:
    case SGM_GUI_FORWARD_B:
      return GUI_TellOwner(c, msg, p1, p2, data);
    case SGM_GUI_GET_FLAGS:
      return static_cast<int32_t>(e->fFlags);
    case SGM_GUI_MOVE_TO:
    case SGM_GUI_MOVE_BY:
      return GUI_MoveControlByMessage(task, c, msg, p1, p2);
    case SGM_GUI_POINTER_OTHER:
      return GUI_TellOwner(c, msg, p1, p2, data);
    case SGM_GUI_SHOW:
    case SGM_GUI_HIDE:
      ShowOrHide(e, msg == SGM_GUI_SHOW);
      return 1;
    case SGM_GUI_DRAW:
      Draw(e, SGE_ParamPtr<SPW_DISPLAYNODE>(p1));
      return 1;
    case SGM_EDIT_RESET:
      Reset(e, p1);
      return 1;
    case SGM_EDIT_GET_TEXT:
      return GetText(e, SGE_ParamPtr<char>(p1), p2);
    case SGM_EDIT_SET_TEXT:
      SetText(e, SGE_ParamPtr<const char>(p1));
      return 1;
    case SGM_EDIT_GET_CURSOR:
      if (p1) *SGE_ParamPtr<int32_t>(p1) = e->nCursor;
      if (p2) *SGE_ParamPtr<int32_t>(p2) = e->nAnchor;
      return 1;
    case SGM_EDIT_SET_CURSOR:
      SetCursor(e, p1, p2);
      return 1;
    case SGM_EDIT_IS_DONE:
      return e->bDone;
    case SGM_EDIT_SET_FONT:
      e->pFont = SGE_ParamPtr<const SPW_FONT>(p1);
      return 1;
    case SGM_EDIT_SET_COLOUR:
      e->dwColour = static_cast<uint32_t>(p1);
      return 1;
    default:
      break;
  }
  return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
}
