#pragma once
// GUI controls: small records with a rectangle on a display node, each driven by a task of a
// control type. Controls form trees; the hit test finds the deepest visible control under the
// pointer, one control holds the focus, and pointer events reach controls as messages. Screens
// are B2D files whose set sections also list push buttons ("PB%d" keys). Main thread only.
#include <cstdint>

#include "engine/b2d/b2d.h"
#include "engine/display/display.h"
#include "engine/font/font.h"
#include "engine/kernel/kernel.h"
#include "engine/kernel/tasktypes.h"
#include "engine/memory/lists.h"

// Task types of the two control kinds, registered by GUI_RegisterTaskTypes.

// Messages of the controls.
constexpr int32_t SGM_GUI_FOCUS_GAIN = 2067;
constexpr int32_t SGM_GUI_FOCUS_LOSE = 2068;  // a zero result refuses unless forced
constexpr int32_t SGM_GUI_POINTER = 2069;     // data: the event; p1 receiver, p2 control under
constexpr int32_t SGM_GUI_POINTER_ENTER = 2070;
constexpr int32_t SGM_GUI_POINTER_LEAVE = 2071;
constexpr int32_t SGM_GUI_MODE_NORMAL = 2072;  // p2 0 enter, 1 leave
constexpr int32_t SGM_GUI_MODE_PRESSED = 2073;
constexpr int32_t SGM_GUI_MODE_HIGHLIGHT = 2074;
constexpr int32_t SGM_GUI_PRESSED = 2079;  // to the owner from here on
constexpr int32_t SGM_GUI_RELEASED = 2080;
constexpr int32_t SGM_GUI_HIGHLIGHTED = 2081;
constexpr int32_t SGM_GUI_UNHIGHLIGHTED = 2082;
constexpr int32_t SGM_GUI_ACTIVATE = 2083;
constexpr int32_t SGM_GUI_DOWN = 2084;
constexpr int32_t SGM_GUI_UP = 2085;
constexpr int32_t SGM_GUI_DROP = 2086;  // p1 the dropped control, p2 the target
constexpr int32_t SGM_GUI_FORWARD_A = 2089;  // passed on to the owner unchanged
constexpr int32_t SGM_GUI_FORWARD_B = 2090;
constexpr int32_t SGM_GUI_GET_FLAGS = 2091;
constexpr int32_t SGM_GUI_MOVE_TO = 2092;  // p1, p2: float bits of the new centre
constexpr int32_t SGM_GUI_MOVE_BY = 2093;  // p1, p2: float bits added to the centre
constexpr int32_t SGM_GUI_POINTER_OTHER = 2094;
constexpr int32_t SGM_GUI_SHOW = 2095;
constexpr int32_t SGM_GUI_HIDE = 2096;
constexpr int32_t SGM_GUI_FOCUS_GAINED = 2097;
constexpr int32_t SGM_GUI_FOCUS_LOST = 2098;
constexpr int32_t SGM_GUI_DRAW = 2099;      // p1 the node being rendered
constexpr int32_t SGM_GUI_SET_TEXT = 2115;  // p1 a GUI_LABEL or none
constexpr int32_t SGM_GUI_SET_FRAME = 2116;  // p1 a frame or none, p2 a GUI_SLOT_* value
constexpr int32_t SGM_GUI_HOLD = 2117;
constexpr int32_t SGM_GUI_SET_REPEAT = 2118;  // delay := p2 + 1 frames

// Control flags.
constexpr uint32_t GUI_CONTROL_HIDDEN = 0x1;
constexpr uint32_t GUI_CONTROL_HITFN = 0x2;
constexpr uint32_t GUI_CONTROL_ACTIVE = 0x4;

// Pointer event kinds.
constexpr int32_t GUI_EVENT_KEY = 3;
constexpr int32_t GUI_EVENT_MOVE = 4;
constexpr int32_t GUI_EVENT_UP = 5;
constexpr int32_t GUI_EVENT_DOWN = 6;
constexpr int32_t GUI_EVENT_RIGHT_UP = 7;
constexpr int32_t GUI_EVENT_RIGHT_DOWN = 8;

// The record a pointer task fills for every event.
struct GUI_POINTEREVENT {
  int32_t nKind;
  int32_t x, y;  // display pixels
  int32_t dx, dy;
  float fTime;
};

struct GUI_CONTROL;
// p is relative to the control's centre; nonzero means hit.
using GUI_HITFN = int32_t (*)(GUI_CONTROL* control, const SPW_POINT* p);

struct GUI_CONTROL {
  SGE_SDLLNODE link;  // in the top-level list or the parent's child list
  SGE_TASK* pTask;
  int32_t nId;
  int32_t nDragType;      // 0..31
  uint32_t dwDropMask;    // bit n: accepts controls of drag type n
  SPW_DISPLAYNODE* pNode;
  int32_t nX, nY, nW, nH;  // layout position and size in the node's coordinates
  SPW_RECT rect;           // relative to the centre
  SPW_POINT centre;        // in the node's coordinates
  float fDepth;            // drawing adds 0.01
  uint32_t fFlags;
  GUI_CONTROL* pParent;
  SGE_DLLNODE children;
  GUI_HITFN pfnHit;
  SGE_DATAREF* pData;  // one reference held
};

// A list of control references (GUI_FreeList and the list helpers walk these).
struct GUI_CONTROLREF {
  SGE_DLLNODE link;
  GUI_CONTROL* pControl;
};

// The label of a control (SGM_GUI_SET_TEXT); the text is copied.
struct GUI_LABEL {
  const SPW_FONT* pFont;
  const char* pszText;
  int32_t nValue[2];
  uint32_t dwColour;
  int32_t nValue2;
};

// Push button flags.
constexpr uint32_t GUI_PB_NORMAL = 0x01;
constexpr uint32_t GUI_PB_HIGHLIGHTED = 0x02;
constexpr uint32_t GUI_PB_PRESSED = 0x04;
constexpr uint32_t GUI_PB_REPEAT = 0x08;
constexpr uint32_t GUI_PB_CLICK = 0x10;
constexpr uint32_t GUI_PB_TOGGLE = 0x20;
constexpr uint32_t GUI_PB_RADIO = 0x40;
constexpr uint32_t GUI_PB_KINDS = 0x78;
constexpr uint32_t GUI_PB_IGNORE_POINTER = 0x80;
constexpr uint32_t GUI_PB_REPORT = 0x100;
constexpr uint32_t GUI_PB_ACCEPT_DROPS = 0x200;
constexpr uint32_t GUI_PB_LEAVE_RELEASES = 0x400;
constexpr uint32_t GUI_PB_HAS_FOCUS = 0x800;
constexpr uint32_t GUI_PB_ENTER_FOCUS = 0x1000;
constexpr uint32_t GUI_PB_RESET_SIBLINGS = 0x2000;
constexpr uint32_t GUI_PB_KEEP_ON_RESET = 0x4000;

// Frame slots of SGM_GUI_SET_FRAME.
constexpr int32_t GUI_SLOT_HIGHLIGHTED = 1;
constexpr int32_t GUI_SLOT_PRESSED = 2;
constexpr int32_t GUI_SLOT_NORMAL = 4;

// Frame ids a layout button takes from its set.
constexpr int32_t GUI_FRAME_NORMAL = 100;
constexpr int32_t GUI_FRAME_PRESSED = 101;
constexpr int32_t GUI_FRAME_HIGHLIGHTED = 102;

constexpr int32_t GUI_LAYOUT_LINE_SIZE = 1024;

// Registers GUI_PUSHBUTTON and GUI_EDITBOX (flags: allocate and zero the instance). 1 when both
// are registered.
int32_t GUI_RegisterTaskTypes();
SGE_RESULT GUI_PushButtonHandler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                                 SGE_PARAM p2);
SGE_RESULT GUI_EditBoxHandler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                              SGE_PARAM p2);

// Controls.
GUI_CONTROL* GUI_CreateControl(SPW_DISPLAYNODE* node, GUI_CONTROL* parent, SGE_TASK* parentTask,
                               int32_t taskType, SGE_PARAM value, const SPW_POINT* centre,
                               const SPW_RECT* rect, uint32_t key, GUI_HITFN hit,
                               SGE_DATAREF* data);
int32_t GUI_DestroyControl(GUI_CONTROL* control);
// Destroys every control of a reference list and frees the references.
int32_t GUI_FreeList(SGE_DLLNODE* list);
// Destroys the control and drops its reference from the list.
int32_t GUI_RemoveControl(SGE_DLLNODE* list, GUI_CONTROL* control);
GUI_CONTROL* GUI_FindControl(SGE_DLLNODE* list, int32_t id);
void* GUI_GetControlData(GUI_CONTROL* control);
// Top-left corner in display coordinates; 1 when it lies inside the display.
int32_t GUI_GetControlPosition(const GUI_CONTROL* control, SPW_POINT* out);
SPW_B2DFRAME* GUI_GetSprite(const SPW_B2DSET* set, int32_t id);
void GUI_ShowList(SGE_DLLNODE* list, int32_t show);
void GUI_SendToList(SPW_DISPLAYNODE* node, SGE_DLLNODE* list, SGE_PARAM value);
void GUI_MoveList(SGE_DLLNODE* list, float dx, float dy);
void GUI_SetListScale(SGE_DLLNODE* list, float value);
int32_t GUI_SetActive(GUI_CONTROL* control, int32_t on);  // the old bit
void GUI_SetListActive(SGE_DLLNODE* list, int32_t on);
void GUI_ReparentList(SGE_DLLNODE* list, SGE_TASK* task);
void GUI_SetControlNode(GUI_CONTROL* control, SPW_DISPLAYNODE* node);
// Centre and rectangle from the layout position on the node, moved by (dx, dy).
void GUI_PlaceControl(GUI_CONTROL* control, float dx, float dy);
// The control's owner: the parent of its task.
SGE_TASK* GUI_GetOwner(const GUI_CONTROL* control);
// The top-level control list (for tests and the pointer).
SGE_DLLNODE* GUI_GetControlList();

// Focus and pointer.
GUI_CONTROL* GUI_GetFocus();
GUI_CONTROL* GUI_GetHover();
int32_t GUI_ReleaseFocus(int32_t force);
int32_t GUI_SetFocus(GUI_CONTROL* control);
int32_t GUI_UpdatePointer(SPW_DISPLAY* display, SGE_DATAREF* event);
int32_t GUI_PointerEvent(SPW_DISPLAY* display, SGE_DATAREF* event);
int32_t GUI_PointerMove(SPW_DISPLAY* display, SGE_DATAREF* event);
// The deepest visible, active control under the display point, none when none.
GUI_CONTROL* GUI_ControlAt(const SPW_POINT* p);
// Forgets the focus and hover (engine shutdown between runs).
void GUI_ResetState();

// Screens.
struct GUI_LAYOUTBUTTON {
  SGE_DLLNODE link;
  char szName[SPW_B2D_NAME_SIZE];
  char szSet[SPW_B2D_NAME_SIZE];
  int32_t nSkip;
  int32_t x, y, w, h;
};
struct GUI_LAYOUTGROUP {
  SGE_DLLNODE link;
  char szName[SPW_B2D_NAME_SIZE];
  int32_t anValue[2];
  SGE_DLLNODE buttons;  // GUI_LAYOUTBUTTON in key order
};
struct GUI_LAYOUT {
  SGE_DLLNODE groups;  // GUI_LAYOUTGROUP in section order
};
struct GUI_NAMEVALUE {
  const char* pszName;  // a null name ends the table
  int32_t nValue;
};
struct GUI_SCREENENTRY {
  const char* pszGroup;
  int32_t nDragType;
  uint32_t dwDropMask;
};
struct GUI_SCREEN {
  SPW_B2DFILE* pFile;
  GUI_LAYOUT* pLayout;  // none without a name table
  int32_t nCount;
  SPW_B2DSET** ppSets;    // one per entry, none when the file lacks it
  SGE_DLLNODE* pButtons;  // one reference list per entry
};
struct GUI_SPRITEREF {
  SPW_B2DFRAME** ppFrame;
  int32_t nSet;
  int32_t nId;
};

// Reads the "F%d" groups and their "PB%d" buttons; none when memory is short.
GUI_LAYOUT* GUI_ReadLayout(const char* fileName);
void GUI_FreeLayout(GUI_LAYOUT* layout);
GUI_LAYOUTGROUP* GUI_FindLayoutGroup(const GUI_LAYOUT* layout, const char* name);
// Creates the group's buttons (children of the task, hidden) into the list; the number made.
int32_t GUI_CreateButtons(const GUI_LAYOUTGROUP* group, const SPW_B2DFILE* file,
                          SPW_DISPLAYNODE* node, SGE_TASK* parentTask,
                          const GUI_NAMEVALUE* names, int32_t baseId, SGE_DLLNODE* list);
GUI_SCREEN* GUI_LoadScreen(const char* fileName, SGE_TASK* parentTask, SPW_DISPLAYNODE* node,
                           const GUI_SCREENENTRY* entries, const GUI_NAMEVALUE* names,
                           int32_t count);
int32_t GUI_FreeScreen(GUI_SCREEN* screen);
void GUI_ResolveSprites(const GUI_SPRITEREF* refs, const GUI_SCREEN* screen, int32_t count);

// Edit box messages.
constexpr int32_t SGM_EDIT_RESET = 2211;       // p1 the maximum length
constexpr int32_t SGM_EDIT_GET_TEXT = 2212;    // p1 buffer, p2 size
constexpr int32_t SGM_EDIT_SET_TEXT = 2213;    // p1 text
constexpr int32_t SGM_EDIT_GET_CURSOR = 2214;  // p1, p2: int32_t out
constexpr int32_t SGM_EDIT_SET_CURSOR = 2215;  // p1 cursor, p2 anchor (-1: the cursor)
constexpr int32_t SGM_EDIT_IS_DONE = 2216;
constexpr int32_t SGM_EDIT_SET_FONT = 2217;
constexpr int32_t SGM_EDIT_SET_COLOUR = 2218;
constexpr int32_t SGM_EDIT_ACCEPT = 2219;  // to the owner
constexpr int32_t SGM_EDIT_CANCEL = 2220;

// The text buffer holds 255 characters and the end.
constexpr int32_t GUI_EDIT_TEXT_SIZE = 256;
