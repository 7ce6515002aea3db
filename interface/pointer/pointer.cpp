// The pointer task: input to GUI events and to the input target, the pointer's shapes and the
// tool tip. One state for the whole run; the task's own instance holds nothing.
#include "interface/pointer/pointer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "engine/b2d/b2d.h"
#include "engine/display/display.h"
#include "engine/font/font.h"
#include "engine/gui/gui.h"
#include "engine/input/koinput.h"
#include "engine/kernel/frametime.h"
#include "engine/kernel/kernelstate.h"
#include "engine/quad/quad.h"
#include "platform/trace.h"
#include "shell/state.h"

namespace {

constexpr float kNodeValue = 10.0f;
constexpr uint32_t kWhite = 0x00ffffffu;
constexpr int32_t kBoxParts = 3;  // left end, middle, right end

// clang-format off
constexpr VNPOINTER_SHAPE kShapes[VN_POINTER_NUM_SHAPES] = {
    {"sprites/cursor/select2.ppm", 0, 0, 16, 0, 0, 0.25f, 0.25f, 0.1f},
    {"sprites/cursor/hand.ppm", -16, -12, 1, 0, 0, 0, 0, 0.1f},
    {"sprites/cursor/move2.ppm", -16, -12, 8, 0, 0, 0.25f, 0.25f, 0.1f},
    {"sprites/cursor/move2.ppm", -16, -12, 8, 0, 0.5f, 0.25f, 0.25f, 0.1f},
    {"sprites/cursor/attack2.ppm", -16, -12, 8, 0, 0.5f, 0.25f, 0.25f, 0.05f},
    {"sprites/cursor/attack_cant.ppm", -16, -12, 1, 0, 0, 0, 0, 0.1f},
    {"sprites/cursor/select_active.ppm", -16, -12, 8, 0, 0, 0.25f, 0.25f, 0.1f},
    {"sprites/cursor/select_active.ppm", -16, -12, 8, 0, 0.5f, 0.25f, 0.25f, 0.1f},
    {"sprites/cursor/heal.ppm", 0, 0, 1, 0, 0, 0, 0, 0.1f},
    {"sprites/cursor/healno.ppm", 0, 0, 1, 0, 0, 0, 0, 0.1f},
    {"sprites/cursor/repair.ppm", 0, 0, 1, 0, 0, 0, 0, 0.1f},
    {"sprites/cursor/repair_cant.ppm", 0, 0, 1, 0, 0, 0, 0, 0.1f},
    {"sprites/cursor/retrieve.ppm", -16, -16, 1, 0, 0, 0, 0, 0.1f},
    {"sprites/cursor/retrieve_cant.ppm", -16, -16, 1, 0, 0, 0, 0, 0.1f},
    {"sprites/cursor/airstrike.ppm", -16, -12, 1, 0, 0, 0, 0, 0.05f},
    {"sprites/cursor/airstrike_cant.ppm", -16, -12, 1, 0, 0, 0, 0, 0.1f},
    {"sprites/cursor/attack2.ppm", -16, -12, 8, 0, 0, 0.25f, 0.25f, 0.05f},
    {"sprites/cursor/artillery_cant.ppm", -16, -12, 1, 0, 0, 0, 0, 0.1f},
    {"sprites/cursor/attack2.ppm", -16, -12, 8, 0, 0, 0.25f, 0.25f, 0.05f},
    {"sprites/cursor/microrockets_cant.ppm", -16, -12, 1, 0, 0, 0, 0, 0.1f},
    {"sprites/cursor/guard.ppm", -16, -12, 1, 0, 0, 0, 0, 0.1f},
    {"sprites/cursor/guard_cant.ppm", -16, -12, 1, 0, 0, 0, 0, 0.1f},
    {"sprites/cursor/medivac.ppm", -16, -12, 1, 0, 0, 0, 0, 0.1f},
    {"sprites/cursor/medivac_cant.ppm", -16, -12, 1, 0, 0, 0, 0, 0.1f},
    {"sprites/cursor/mind_control.ppm", -16, -12, 1, 0, 0, 0, 0, 0.05f},
    {"sprites/cursor/mind_control_cant.ppm", -16, -12, 1, 0, 0, 0, 0, 0.1f},
    {"sprites/cursor/lay_mine.ppm", -16, -12, 1, 0, 0, 0, 0, 0.1f},
    {"sprites/cursor/lay_mine_cant.ppm", -16, -12, 1, 0, 0, 0, 0, 0.1f},
    {"sprites/cursor/assignwaypoint.ppm", -16, -12, 1, 0, 0, 0, 0, 0.1f},
    {"sprites/cursor/assignwaypoint_cant.ppm", -16, -12, 1, 0, 0, 0, 0, 0.1f},
    {"sprites/cursor/attackground.ppm", -16, -12, 4, 0, 0, 0.5f, 0.5f, 0.1f},
};
// clang-format on

struct VNPOINTER_STATE {
  SGE_TASK* pTask;
  SPW_DISPLAYNODE* pNode;
  SPW_DISPLAYCB* pRenderCb;
  SGE_TIMER* pTimer;
  KOINPUT_SUBSCRIBER* pSubscription;
  SGE_DATAREF* pEvent;  // one record reused for every GUI event
  int32_t nShape;
  int32_t bToolTips;  // tool tips and the pointer's drawing
  int32_t bInput;
  SGE_TASK* pTarget;
  int32_t nColour;
  int32_t x, y, dwButtons;
  int32_t nLastX, nLastY, dwLastButtons;
  GUI_CONTROL* pDrag;
  SPW_POINT dragOffset;
  int32_t nHoverX, nHoverY;
  float fStill;
  float fAnim;
  int32_t nFrame;
  char szToolTip[VN_POINTER_TOOLTIP_SIZE];
  int32_t bToolTipShown;
  float fToolTipOpacity;
  SPW_B2DFILE* pCommon;
  SPW_B2DFRAME* apBox[kBoxParts];
  int32_t anTextures[VN_POINTER_NUM_SHAPES];
};

VNPOINTER_STATE g_pointer{};

bool Live() { return g_pointer.pTask && SGE_TaskIsLive(g_pointer.pTask); }

SPW_DISPLAY* Display() { return g_pointer.pNode ? g_pointer.pNode->pDisplay : vnMAIN_GetDisplay(); }

void ClearToolTip() {
  g_pointer.szToolTip[0] = '\0';
  g_pointer.bToolTipShown = 0;
}

// The textures of every shape and the tool tip's box; missing images are traced once each and
// their shapes draw nothing.
void LoadImages() {
  SPW_DISPLAY* display = Display();
  SPPD_DRIVERTABLE* drv = display ? SPW_GetDisplayDriver(display) : nullptr;
  for (int32_t i = 0; i < VN_POINTER_NUM_SHAPES; ++i) {
    int32_t id = 0;
    if (!drv || !drv->SPPD_TextureGetID ||
        drv->SPPD_TextureGetID(display, kShapes[i].pszTexture, &id, 1) != SPPD_OK) {
      if (drv) PLAT_Trace("VNPOINTER: no texture %s for shape %d\n", kShapes[i].pszTexture, i);
      id = 0;
    }
    g_pointer.anTextures[i] = id;
  }
  SPW_B2D_Free(g_pointer.pCommon);
  std::fill(std::begin(g_pointer.apBox), std::end(g_pointer.apBox), nullptr);
  g_pointer.pCommon = SPW_B2D_Load(VN_POINTER_COMMON_B2D, display);
  const SPW_B2DSET* box = SPW_B2D_FindSet(g_pointer.pCommon, VN_POINTER_TOOLTIP_SET);
  // Frames are kept newest first: the box's B0, B1 and B2 are the last three.
  int32_t count = 0;
  while (box && SPW_B2D_GetFrameAt(box, count)) ++count;
  if (count < kBoxParts) {
    PLAT_Trace("VNPOINTER: set %s of %s has no three frames; tool tips draw no box\n",
               VN_POINTER_TOOLTIP_SET, VN_POINTER_COMMON_B2D);
    return;
  }
  for (int32_t i = 0; i < kBoxParts; ++i)
    g_pointer.apBox[i] = SPW_B2D_GetFrameAt(box, count - 1 - i);
}

void DrawShape(SPW_DISPLAYNODE* node) {
  const VNPOINTER_SHAPE& shape = kShapes[g_pointer.nShape];
  const int32_t texture = g_pointer.anTextures[g_pointer.nShape];
  if (!texture) return;
  if (shape.nFrames > 1) {
    while (g_pointer.fAnim >= shape.fFrameTime && shape.fFrameTime > 0.0f) {
      g_pointer.fAnim -= shape.fFrameTime;
      g_pointer.nFrame = (g_pointer.nFrame + 1) % shape.nFrames;
    }
  }
  float rect[4];
  vnPOINTER_FrameRect(&shape, g_pointer.nFrame, rect);
  SPW_B2DFRAME frame{};
  frame.nWidth = frame.nHeight = VN_POINTER_SIZE;
  frame.u = rect[0];
  frame.v = rect[1];
  frame.du = rect[2];
  frame.dv = rect[3];
  frame.nTextureId = texture;
  SPW_DrawFrame(node, &frame, static_cast<float>(g_pointer.x + shape.nHotX),
                static_cast<float>(g_pointer.y + shape.nHotY), VN_POINTER_DEPTH, 0xff000000u | kWhite);
}

void DrawToolTip(SPW_DISPLAYNODE* node) {
  if (!g_pointer.szToolTip[0] || !g_pointer.bToolTipShown) return;
  const SPW_FONT* font = vnMAIN_GetTextFont();
  const auto alpha = static_cast<uint32_t>(std::clamp(g_pointer.fToolTipOpacity, 0.0f, 1.0f) * 255.0f) << 24;
  const int32_t textWidth = font ? SPW_FontStringWidth(font, g_pointer.szToolTip) : 0;
  SPW_B2DFRAME* const* box = g_pointer.apBox;
  const int32_t ends = box[0] && box[2] ? box[0]->nWidth + box[2]->nWidth : 0;
  const int32_t height = box[1] ? box[1]->nHeight : (font ? VN_POINTER_SIZE / 2 : 0);
  const int32_t width = textWidth + ends;
  const SPW_DISPLAY* display = node->pDisplay;
  const float maxX = std::max(0.0f, display->fWidth - static_cast<float>(width));
  const float maxY = std::max(0.0f, display->fHeight - static_cast<float>(height));
  const float x = std::clamp(static_cast<float>(g_pointer.x), 0.0f, maxX);
  const float y = std::clamp(static_cast<float>(g_pointer.y + VN_POINTER_TOOLTIP_DROP), 0.0f, maxY);
  if (box[0] && box[1] && box[2]) {
    SPW_DrawFrame(node, box[0], x, y, VN_POINTER_DEPTH, alpha | kWhite);
    SPW_DrawFrameAt(node, box[1], x + static_cast<float>(box[0]->nWidth), y, VN_POINTER_DEPTH,
                    static_cast<float>(textWidth), static_cast<float>(box[1]->nHeight), alpha | kWhite);
    SPW_DrawFrame(node, box[2], x + static_cast<float>(box[0]->nWidth + textWidth), y,
                  VN_POINTER_DEPTH, alpha | kWhite);
  }
  if (font) {
    const float left = x + static_cast<float>(box[0] ? box[0]->nWidth : 0);
    SPW_DrawText(node, font, g_pointer.szToolTip, left, y + static_cast<float>(height) * 0.5f,
                 VN_POINTER_DEPTH, alpha);
  }
}

int32_t RenderPointer(SPW_DISPLAYNODE* node, SPPD_VIEWPORT*, SGE_DATAREF*) {
  if (!node || !g_pointer.bToolTips || !g_pointer.bInput) return 1;
  SPW_SetLayerRenderState(node, VN_POINTER_LAYER);
  DrawShape(node);
  DrawToolTip(node);
  return 1;
}

void CreateNode() {
  SPW_DISPLAY* display = vnMAIN_GetDisplay();
  const VNLAYER* layer = vnMAIN_GetLayer(VN_POINTER_LAYER);
  if (!display || !layer) {
    PLAT_Trace("VNPOINTER: no display; the pointer is not drawn\n");
    return;
  }
  const float hw = display->fWidth * 0.5f, hh = display->fHeight * 0.5f;
  const SPW_RECT rect{-hw, -hh, hw, hh};
  const SPW_POINT origin{hw, hh};
  g_pointer.pNode = SPW_CreateDisplayNode(layer->dwKey, kNodeValue, &rect, &origin, 0, nullptr,
                                          display, nullptr, 0, nullptr);
  if (g_pointer.pNode) g_pointer.pRenderCb = SPW_AddDisplayNode(g_pointer.pNode, RenderPointer, 0, nullptr);
}

void DestroyNode() {
  SPW_RemoveDisplayNode(g_pointer.pRenderCb);
  g_pointer.pRenderCb = nullptr;
  SPW_DestroyDisplayNode(g_pointer.pNode);
  g_pointer.pNode = nullptr;
}

void OnCreate(SGE_TASK* task) {
  g_pointer = VNPOINTER_STATE{};
  g_pointer.pTask = task;
  CreateNode();
  LoadImages();
  g_pointer.pTimer = SGE_AddFrameTimer(task, 1, nullptr, SGE_TIMER_REPEAT);
  g_pointer.pEvent = SGE_CreateDataRef(nullptr, sizeof(GUI_POINTEREVENT));
  if (g_pointer.pEvent) std::memset(g_pointer.pEvent->pData, 0, sizeof(GUI_POINTEREVENT));
  g_pointer.pSubscription =
      KOINPUT_Subscribe(KOINPUT_TYPE_MOUSE | KOINPUT_TYPE_KEYBOARD, 0, task);
  if (!g_pointer.pSubscription) PLAT_Trace("VNPOINTER: no input subscription\n");
  g_pointer.bToolTips = 1;
  g_pointer.bInput = 1;
  g_pointer.nColour = 2;
}

void OnDestroy(SGE_TASK* task) {
  if (g_pointer.pTask != task) return;
  KOINPUT_Unsubscribe(g_pointer.pSubscription);
  SGE_ReleaseDataRef(g_pointer.pEvent);
  SGE_KillTimer(g_pointer.pTimer);
  DestroyNode();
  SPW_B2D_Free(g_pointer.pCommon);
  g_pointer = VNPOINTER_STATE{};
}

void Hand(int32_t kind, const KOINPUT_DEVICE* mouse) {
  if (!g_pointer.pEvent) return;
  auto* e = static_cast<GUI_POINTEREVENT*>(g_pointer.pEvent->pData);
  e->nKind = kind;
  if (mouse) {
    e->x = g_pointer.x;
    e->y = g_pointer.y;
    e->dx = mouse->nDX;
    e->dy = mouse->nDY;
  }
  e->fTime = SGE_GetSeconds();
  if (SPW_DISPLAY* display = Display()) GUI_UpdatePointer(display, g_pointer.pEvent);
}

void OnMouse(const KOINPUT_DEVICE* mouse) {
  const SPW_DISPLAY* display = Display();
  const int32_t w = display ? static_cast<int32_t>(display->fWidth) : 1;
  const int32_t h = display ? static_cast<int32_t>(display->fHeight) : 1;
  g_pointer.nLastX = g_pointer.x;
  g_pointer.nLastY = g_pointer.y;
  g_pointer.dwLastButtons = g_pointer.dwButtons;
  g_pointer.x = std::clamp(mouse->nX, 0, std::max(0, w - 1));
  g_pointer.y = std::clamp(mouse->nY, 0, std::max(0, h - 1));
  g_pointer.dwButtons = mouse->dwButtons;
  if (g_pointer.x != g_pointer.nLastX || g_pointer.y != g_pointer.nLastY)
    Hand(GUI_EVENT_MOVE, mouse);
  if (mouse->dwPressed & KOINPUT_MOUSE_LEFT) Hand(GUI_EVENT_DOWN, mouse);
  if (mouse->dwReleased & KOINPUT_MOUSE_LEFT) Hand(GUI_EVENT_UP, mouse);
  if (mouse->dwPressed & KOINPUT_MOUSE_RIGHT) Hand(GUI_EVENT_RIGHT_DOWN, mouse);
  if (mouse->dwReleased & KOINPUT_MOUSE_RIGHT) Hand(GUI_EVENT_RIGHT_UP, mouse);
}

void OnInput(SGE_PARAM p1, SGE_PARAM p2) {
  if (!g_pointer.bInput) return;
  const auto* dev = SGE_ParamPtr<const KOINPUT_DEVICE>(p2);
  if (dev && dev->nType == KOINPUT_TYPE_MOUSE && g_pointer.bToolTips) OnMouse(dev);
  if (dev && dev->nType == KOINPUT_TYPE_KEYBOARD) Hand(GUI_EVENT_KEY, nullptr);
  // A target that ended is forgotten rather than sent to.
  if (g_pointer.pTarget && !SGE_TaskIsLive(g_pointer.pTarget)) g_pointer.pTarget = nullptr;
  if (g_pointer.pTarget) SGE_Send(g_pointer.pTarget, SGM_TASK_INPUT, p1, p2);
}

void OnFrame() {
  const float dt = SGE_GetFrameDelta();
  g_pointer.fAnim += dt;
  const bool still = g_pointer.x == g_pointer.nLastX && g_pointer.y == g_pointer.nLastY &&
                     g_pointer.dwButtons == g_pointer.dwLastButtons;
  if (!still) {
    g_pointer.fStill = 0.0f;
    ClearToolTip();
    g_pointer.nLastX = g_pointer.x;
    g_pointer.nLastY = g_pointer.y;
    g_pointer.dwLastButtons = g_pointer.dwButtons;
    return;
  }
  g_pointer.fStill += dt;
  if (g_pointer.fStill <= VN_POINTER_TOOLTIP_DELAY) return;
  if (g_pointer.bToolTipShown) {
    g_pointer.fToolTipOpacity =
        std::min(1.0f, g_pointer.fToolTipOpacity + VN_POINTER_TOOLTIP_FADE_RATE * dt);
  } else {
    g_pointer.fToolTipOpacity = 0.0f;
    g_pointer.bToolTipShown = 1;
  }
}

SGE_PARAM OnSetShape(SGE_PARAM p1) {
  if (p1 < 0 || p1 >= VN_POINTER_NUM_SHAPES) return 0;
  const int32_t old = g_pointer.nShape;
  if (g_pointer.nShape != static_cast<int32_t>(p1)) {
    g_pointer.nShape = static_cast<int32_t>(p1);
    g_pointer.nFrame = 0;
    g_pointer.fAnim = 0.0f;
  }
  return old;
}

SGE_PARAM OnSetDragObject(SGE_PARAM p1, SGE_PARAM p2) {
  GUI_CONTROL* old = g_pointer.pDrag;
  g_pointer.pDrag = SGE_ParamPtr<GUI_CONTROL>(p1);
  const auto* at = SGE_ParamPtr<const SPW_POINT>(p2);
  g_pointer.nHoverX = g_pointer.x;
  g_pointer.nHoverY = g_pointer.y;
  g_pointer.dragOffset = SPW_POINT{0.0f, 0.0f};
  SPW_POINT corner{};
  if (g_pointer.pDrag && GUI_GetControlPosition(g_pointer.pDrag, &corner)) {
    const float px = at ? at->x : static_cast<float>(g_pointer.x);
    const float py = at ? at->y : static_cast<float>(g_pointer.y);
    g_pointer.dragOffset = SPW_POINT{corner.x - px, corner.y - py};
  }
  return SGE_PtrParam(old);
}

void CopyToolTip(const char* text) {
  if (!text) {
    g_pointer.szToolTip[0] = '\0';
    return;
  }
  std::snprintf(g_pointer.szToolTip, sizeof g_pointer.szToolTip, "%s", text);
}

SGE_PARAM SendPointer(int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  if (!Live()) return 0;
  return SGE_Send(g_pointer.pTask, msg, p1, p2);
}

}  // namespace

const VNPOINTER_SHAPE* vnPOINTER_GetShapeTable() { return kShapes; }

void vnPOINTER_FrameRect(const VNPOINTER_SHAPE* shape, int32_t frame, float rect[4]) {
  if (!shape || shape->nFrames <= 1) {
    rect[0] = rect[1] = 0.0f;
    rect[2] = rect[3] = 1.0f;
    return;
  }
  float u = shape->fFirstU + static_cast<float>(frame % shape->nFrames) * shape->fStepU;
  float v = shape->fFirstV;
  // A row is full at u = 1.0: the next frames continue on the row below.
  while (u >= 1.0f) {
    u -= 1.0f;
    v += shape->fStepV;
  }
  rect[0] = u;
  rect[1] = v;
  rect[2] = shape->fStepU;
  rect[3] = shape->fStepV;
}

SGE_RESULT vnPOINTER_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                             SGE_PARAM p2) {
  switch (msg) {
    case SGM_TASK_CREATE:
      OnCreate(task);
      break;
    case SGM_TASK_DESTROY:
      OnDestroy(task);
      break;
    case SGM_TASK_INPUT:
      OnInput(p1, p2);
      return 1;
    case SGM_TASK_FRAME:
      OnFrame();
      return 1;
    case SGM_VRAM_FLUSH:
      DestroyNode();
      CreateNode();
      LoadImages();
      return 1;
    case SGM_POINTER_SET_SHAPE:
      return OnSetShape(p1);
    case SGM_POINTER_SET_INPUT_TARGET: {
      SGE_TASK* old = g_pointer.pTarget;
      g_pointer.pTarget = SGE_ParamPtr<SGE_TASK>(p1);
      return SGE_PtrParam(old);
    }
    case SGM_POINTER_SET_DRAG_OBJECT:
      return OnSetDragObject(p1, p2);
    case SGM_POINTER_SET_TOOLTIP:
      CopyToolTip(SGE_ParamPtr<const char>(p1));
      return 1;
    default:
      break;
  }
  return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
}

int32_t vnPOINTER_Register() {
  return SGE_RegisterTaskType(VNTT_POINTER, vnPOINTER_Handler, SGE_TTF_ZERO_DATA, sizeof(int32_t),
                              "POINTER");
}

SGE_PARAM vnPOINTER_SetShape(int32_t index) { return SendPointer(SGM_POINTER_SET_SHAPE, index, 0); }

SGE_TASK* vnPOINTER_SetInputTarget(SGE_TASK* task) {
  return reinterpret_cast<SGE_TASK*>(
      SendPointer(SGM_POINTER_SET_INPUT_TARGET, SGE_PtrParam(task), 0));
}

GUI_CONTROL* vnPOINTER_SetHoverTarget(GUI_CONTROL* control, const SPW_POINT* position) {
  return reinterpret_cast<GUI_CONTROL*>(SendPointer(SGM_POINTER_SET_DRAG_OBJECT,
                                                    SGE_PtrParam(control),
                                                    SGE_PtrParam(position)));
}

void vnPOINTER_SetToolTip(const char* text) {
  SendPointer(SGM_POINTER_SET_TOOLTIP, SGE_PtrParam(text), 0);
}

void vnPOINTER_SetToolTipText(const char* text) { vnPOINTER_SetToolTip(text); }

int32_t vnPOINTER_EnableToolTip(int32_t on) {
  const int32_t old = g_pointer.bToolTips;
  g_pointer.bToolTips = on;
  ClearToolTip();
  return old;
}

int32_t vnPOINTER_EnableInput(int32_t on) {
  const int32_t old = g_pointer.bInput;
  g_pointer.bInput = on;
  ClearToolTip();
  return old;
}

int32_t vnPOINTER_SetColour(int32_t index) {
  const int32_t old = g_pointer.nColour;
  g_pointer.nColour = index;
  if (const VNLAYER* layer = vnMAIN_GetLayer(index); layer && g_pointer.pNode)
    SPW_SetDisplayNodeKey(g_pointer.pNode, layer->dwKey);
  return old;
}

SPW_DISPLAYNODE* vnPOINTER_GetNode() { return g_pointer.pNode; }

int32_t vnPOINTER_HasMoved() {
  return g_pointer.x != g_pointer.nHoverX || g_pointer.y != g_pointer.nHoverY ? 1 : 0;
}

int32_t vnPOINTER_GetView(VNPOINTER_VIEW* out) {
  if (!out || !Live()) return 0;
  *out = VNPOINTER_VIEW{g_pointer.nShape,        g_pointer.nFrame,         g_pointer.x,
                        g_pointer.y,             g_pointer.bToolTipShown, g_pointer.fToolTipOpacity,
                        g_pointer.szToolTip};
  return 1;
}
