#pragma once
// The pointer task: one task for the whole run that turns mouse and keyboard input into GUI
// pointer events, passes the raw input on to one chosen task, draws the mouse pointer in one of
// its shapes with a dragged control under it, and shows a tool tip once the pointer rests.
// Other modules reach its single state only through the functions below.
#include <cstdint>

#include "engine/kernel/kernel.h"
#include "engine/kernel/tasktypes.h"

struct GUI_CONTROL;
struct SPW_DISPLAYNODE;
struct SPW_POINT;


constexpr int32_t SGM_POINTER_SET_SHAPE = 20;         // p1 the shape; the old one
constexpr int32_t SGM_POINTER_SET_INPUT_TARGET = 21;  // p1 the task; the old one
constexpr int32_t SGM_POINTER_SET_DRAG_OBJECT = 22;   // p1 the control, p2 the position
constexpr int32_t SGM_POINTER_SET_TOOLTIP = 23;       // p1 the text, none clears it

constexpr int32_t VN_POINTER_NUM_SHAPES = 31;
constexpr int32_t VN_POINTER_LAYER = 2;
constexpr int32_t VN_POINTER_SIZE = 32;           // the pointer quad's side in pixels
constexpr float VN_POINTER_DEPTH = 1.5f;
constexpr float VN_POINTER_TOOLTIP_DELAY = 0.15f;  // seconds at rest before a tool tip shows
constexpr float VN_POINTER_TOOLTIP_FADE_RATE = 10.0f;  // opacity per second once shown
constexpr int32_t VN_POINTER_TOOLTIP_DROP = 18;   // pixels from the pointer down to the box
constexpr int32_t VN_POINTER_TOOLTIP_SIZE = 256;  // a longer text is cut
constexpr const char* VN_POINTER_COMMON_B2D = "common/common.b2d";
constexpr const char* VN_POINTER_TOOLTIP_SET = "ToolTipBox";

// One pointer shape: its texture, where its hotspot lies against the quad's corner, and for an
// animated shape the frames' texture rectangles.
struct VNPOINTER_SHAPE {
  const char* pszTexture;
  int32_t nHotX, nHotY;
  int32_t nFrames;
  float fFirstU, fFirstV;
  float fStepU, fStepV;
  float fFrameTime;  // seconds
};
// The table of shapes, VN_POINTER_NUM_SHAPES entries.
const VNPOINTER_SHAPE* vnPOINTER_GetShapeTable();
// The texture rectangle (u, v, du, dv) of an animated shape's frame; the whole texture for a
// single-frame shape.
void vnPOINTER_FrameRect(const VNPOINTER_SHAPE* shape, int32_t frame, float rect[4]);

int32_t vnPOINTER_Register();
SGE_RESULT vnPOINTER_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                             SGE_PARAM p2);

// Each returns the old value; none or 0 without a pointer task.
SGE_PARAM vnPOINTER_SetShape(int32_t index);  // an index outside 0..30 changes nothing: none
SGE_TASK* vnPOINTER_SetInputTarget(SGE_TASK* task);
GUI_CONTROL* vnPOINTER_SetHoverTarget(GUI_CONTROL* control, const SPW_POINT* position);
void vnPOINTER_SetToolTip(const char* text);
void vnPOINTER_SetToolTipText(const char* text);
int32_t vnPOINTER_EnableToolTip(int32_t on);
int32_t vnPOINTER_EnableInput(int32_t on);
int32_t vnPOINTER_SetColour(int32_t index);
SPW_DISPLAYNODE* vnPOINTER_GetNode();
// 1 when the pointer is not where it was when the drag object was set.
int32_t vnPOINTER_HasMoved();

// What tests and the tool tip's owner may read of the state.
struct VNPOINTER_VIEW {
  int32_t nShape;
  int32_t nFrame;
  int32_t x, y;
  int32_t bToolTipShown;
  float fToolTipOpacity;
  const char* pszToolTip;  // empty when there is none
};
int32_t vnPOINTER_GetView(VNPOINTER_VIEW* out);  // 0 without a pointer task
