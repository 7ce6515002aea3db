// The root task: the full-screen node, the services that live for the whole run, and the
// alternation between the front end and the mission controller through the loading screen.
#include "shell/roottask.h"

#include "engine/display/display.h"
#include "engine/driver/driverbind.h"
#include "engine/font/font.h"
#include "engine/gui/gui.h"
#include "engine/kernel/frametime.h"
#include "engine/kernel/program.h"
#include "engine/memory/memblock.h"
#include "effects/effectclass.h"
#include "effects/particlejet.h"
#include "interface/camera/camstate.h"
#include "interface/eventicon/eventicon.h"
#include "interface/hud/hudtask.h"
#include "interface/pointer/pointer.h"
#include "platform/trace.h"
#include "shell/app.h"
#include "shell/fade/fade.h"
#include "shell/sound/sound.h"
#include "shell/state.h"
#include "shell/util.h"
#include "world/attach/attach.h"
#include "world/marker/marker.h"
#include "world/mover/mover.h"
#include "world/unitman/unitman.h"

namespace {

// Messages of the loading screen: caption text and colour, progress total and count, picture.
constexpr int32_t SGM_LOADSCREEN_CAPTION = 4373;
constexpr int32_t SGM_LOADSCREEN_SET_TOTAL = 4375;
constexpr int32_t SGM_LOADSCREEN_SET_PROGRESS = 4376;
constexpr int32_t SGM_LOADSCREEN_PICTURE = 4378;
// The loading screen's pictures after a lost mission.
constexpr int32_t kPictureLeaderKilled = 1;
constexpr int32_t kPictureMissionFailed = 2;
// The screen keeps the caption but never shows it.
constexpr char kLoadCaption[] = "";
constexpr float kFullScreenNodeValue = 10.0f;

struct FontSlot {
  const char* file;
  const char* set;
};
// The eleven fonts by index; the text panel's font is index 8.
constexpr FontSlot kFonts[VN_NUM_FONTS] = {
    {"Fonts/Fonts.b2d", "SmallNumbers"}, {"Fonts/Fonts.b2d", "BigNumbers"},
    {"Fonts/Fonts.b2d", "Font1"},        {"Fonts/Fonts.b2d", "Font2"},
    {"Fonts/Fonts.b2d", "Font3"},        {"Fonts/Fonts.b2d", "Font4"},
    {"Fonts/Font.b2d", "FrontEnd"},      {"Fonts/Font.b2d", "ToolTips"},
    {"Fonts/Font.b2d", "text blocks"},   {"Fonts/Font.b2d", "BigItalicFont"},
    {"Fonts/Font.b2d", "Verdana20PT"},
};

VNROOT g_root;

int32_t ReadResult(SGE_PARAM p) {
  if (!p) {
    PLAT_Trace("ROOT: mission ended without a result\n");
    return 0;
  }
  return *reinterpret_cast<const int32_t*>(p);
}

SGE_TASK* FindChild(SGE_TASK* parent, int32_t typeId) {
  for (SGE_TASK* t : SGE_ListRecords<SGE_TASK>(&parent->children)) {
    if (t->nTypeId == typeId) return t;
  }
  return nullptr;
}

void SetFrontEndMode() {
  SPPD_DRIVERTABLE* drv = vnMAIN_GetDriver();
  SPPD_MODE mode{};
  mode.Width = VN_FRONTEND_WIDTH;
  mode.Height = VN_FRONTEND_HEIGHT;
  if (!drv || !drv->SPPD_Modify ||
      drv->SPPD_Modify(vnMAIN_GetDisplay(), &mode, SGE_GetWindow(), VN_FRONTEND_MODE_MASK) != 1)
    PLAT_Trace("Unable to reinitialise the driver!\n");
  SPW_FitMouseToDisplay(vnMAIN_GetDisplay());
  vnUTIL_CentreWindow();
}

void CreateFullScreenNode(VNROOT* root) {
  SPW_DISPLAY* display = vnMAIN_GetDisplay();
  if (!display) {
    PLAT_Trace("ROOT: no display for the full-screen node\n");
    return;
  }
  float hw = display->fWidth * 0.5f, hh = display->fHeight * 0.5f;
  SPW_RECT rect{-hw, -hh, hw, hh};
  SPW_POINT origin{hw, hh};
  root->pNode = SPW_CreateDisplayNode(0, kFullScreenNodeValue, &rect, &origin, 0, nullptr, display,
                                      nullptr, SPW_NODE_CLEAR_TARGET | SPW_NODE_CLEAR_DEPTH,
                                      nullptr);
  if (!root->pNode) return;
  SPW_SetDisplayNodeColour(root->pNode, SPW_NODE_DEFAULT_COLOUR);
  SPPD_DRIVERTABLE* drv = vnMAIN_GetDriver();
  if (drv && drv->SPPD_ClearScreen)
    root->pClearCb = SPW_AddDisplayNode(root->pNode, drv->SPPD_ClearScreen, 0, nullptr);
  root->pNullCb = SPW_AddDisplayNode(root->pNode, vnMAIN_NullCallback, 0, nullptr);
}

void OnCreate(SGE_TASK* task) {
  g_root = VNROOT{};
  g_root.pTask = task;
  vnROOT_RegisterTaskTypes();
  CreateFullScreenNode(&g_root);
  vnROOT_LoadFonts(&g_root);
  vnMAIN_SetFonts(g_root.apFonts);
  if (!vnSOUND_Init()) PLAT_Trace("ROOT: sound did not start\n");
  if (!vnFX_AttachPoolInit(SPW_ObjsMem, VNFX_ATTACH_POOL_NODES))
    PLAT_Trace("ROOT: no attachment pool; nothing hangs on draw lists\n");
  if (!SGE_CreateTask(VNTT_FADE, task, nullptr, 0, 0))
    PLAT_Trace("ROOT: transition controller not created\n");
  g_root.pPointer = SGE_CreateTask(VNTT_POINTER, task, nullptr, 0, 0);
  if (!g_root.pPointer) PLAT_Trace("ROOT: pointer task not created\n");
  SGE_ResetFrameTiming();
}

void OnDestroy() {
  vnSOUND_Close();
  vnFX_AttachPoolFree();
  vnMAIN_SetFonts(nullptr);
  vnROOT_FreeFonts(&g_root);
  SPW_RemoveDisplayNode(g_root.pClearCb);
  SPW_RemoveDisplayNode(g_root.pNullCb);
  SPW_DestroyDisplayNode(g_root.pNode);
  SGE_RequestQuit();
  SGE_DiscardMessages();
  g_root = VNROOT{};
}

SGE_TASK* CreateLoadScreen(SGE_PARAM p1, SGE_PARAM p2) {
  g_root.pLoadScreen = SGE_CreateTask(VNTT_LOADSCREEN, g_root.pTask, nullptr, p1, p2);
  return g_root.pLoadScreen;
}

constexpr float kFadeInSeconds = 0.4f;
constexpr float kFadeAfterLossSeconds = 4.0f;

void OnMissionEnded(SGE_PARAM resultPtr) {
  // The controller's record goes with it: keep our own copy of the result for the switch.
  g_root.nMissionResult = ReadResult(resultPtr);
  SetFrontEndMode();
  SGE_Broadcast(g_root.pTask, SGM_VRAM_FLUSH, 0, 0);
  int32_t result = g_root.nMissionResult;
  if (result == VN_MISSION_RESTART) {
    vnROOT_ApplyUserMode(&g_root);
    return;
  }
  SGE_TASK* screen =
      CreateLoadScreen(VNTT_MISSCONT, SGE_PtrParam(&g_root.nMissionResult));
  if (result == VN_MISSION_LEADER_KILLED) {
    SGE_Send(screen, SGM_LOADSCREEN_PICTURE, kPictureLeaderKilled, 0);
    vnFADE_To(screen, 0, 0, 1.0f, kFadeAfterLossSeconds);
  } else if (result == VN_MISSION_LOST) {
    SGE_Send(screen, SGM_LOADSCREEN_PICTURE, kPictureMissionFailed, 0);
    vnFADE_To(screen, 0, 0, 1.0f, kFadeAfterLossSeconds);
  } else {
    SGE_Send(screen, SGM_LOADSCREEN_SET_TOTAL, 1, 0);
    SGE_Send(screen, SGM_LOADSCREEN_SET_PROGRESS, 1, 0);
    SGE_Send(screen, SGM_LOADSCREEN_CAPTION, SGE_PtrParam(kLoadCaption), -1);
    vnFADE_To(screen, 0, 0, 1.0f, kFadeInSeconds);
  }
}

void OnChildEnded(SGE_PARAM child, SGE_PARAM code) {
  auto* task = reinterpret_cast<SGE_TASK*>(child);
  if (!task) return;
  switch (task->nTypeId) {
    case VNTT_MISSCONT:
      OnMissionEnded(code);
      break;
    case VNTT_FE_ROOT:
      if (code == VN_FRONTEND_END_QUIT) SGE_Post(g_root.pTask, SGM_TASK_DESTROY, 0, 0);
      else if (code == VN_FRONTEND_END_START_MISSION) vnROOT_ApplyUserMode(&g_root);
      break;
    case VNTT_FE_DEMO:
      SGE_CreateTask(VNTT_FE_ROOT, g_root.pTask, nullptr, 0, 0);
      break;
    default:
      break;
  }
}

void OnSwitchTask(SGE_PARAM endedType, SGE_PARAM code) {
  if (endedType == VNTT_MISSCONT) {
    int32_t result = ReadResult(code);
    if (result == VN_MISSION_QUIT || result == VN_MISSION_LOST ||
        result == VN_MISSION_LEADER_KILLED) {
      SGE_CreateTask(VNTT_FE_ROOT, g_root.pTask, nullptr, VN_FRONTEND_START_MENU, 0);
    } else if (result == VN_MISSION_WON) {
      SGE_CreateTask(VNTT_FE_ROOT, g_root.pTask, nullptr, VN_FRONTEND_START_DEBRIEFING, code);
    }
  } else if (endedType == VNTT_FE_ROOT) {
    SGE_CreateTask(VNTT_MISSCONT, g_root.pTask, nullptr, 0, 0);
  } else {
    return;
  }
  if (g_root.pLoadScreen) SGE_Send(g_root.pLoadScreen, SGM_ROOT_SWITCH_DONE, 0, 0);
}

void OnSwitchDone(SGE_PARAM endedType) {
  g_root.pLoadScreen = nullptr;
  if (endedType == VNTT_MISSCONT || endedType == VNTT_FE_DEMO) {
    vnFADE_To(nullptr, 0, 0, 1.0f, kFadeInSeconds);
  } else if (endedType == VNTT_FE_ROOT) {
    vnMAIN_SetPaused(0);
    if (SGE_TASK* mission = FindChild(g_root.pTask, VNTT_MISSCONT)) SGE_ResumeTaskTree(mission);
    vnFADE_To(nullptr, 0, 0, 1.0f, kFadeInSeconds);
  }
}

}  // namespace

SGE_RESULT vnROOT_Handler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                          SGE_PARAM p2) {
  switch (msg) {
    case SGM_TASK_CREATE:
      OnCreate(task);
      break;
    case SGM_TASK_DESTROY:
      // Not passed on: the program ends next, children and record go with the memory.
      OnDestroy();
      return 1;
    case SGM_TASK_CHILD_ENDED:
      OnChildEnded(p1, p2);
      break;
    case SGM_ROOT_QUIT:
      SGE_Post(task, SGM_TASK_DESTROY, 0, 0);
      break;
    case SGM_VRAM_FLUSH:
      vnROOT_LoadFonts(&g_root);
      break;
    case SGM_ROOT_SWITCH_TASK:
      OnSwitchTask(p1, p2);
      break;
    case SGM_ROOT_SWITCH_DONE:
      OnSwitchDone(p1);
      break;
    default:
      break;
  }
  return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
}

int32_t vnROOT_Create() {
  if (!SGE_RegisterTaskType(VNTT_ROOT, vnROOT_Handler, SGE_TTF_ALLOC_DATA, 1, "ROOT")) {
    PLAT_Trace("vnROOT_Create: root type not registered\n");
    return 0;
  }
  SGE_TASK* task = SGE_CreateTask(VNTT_ROOT, nullptr, nullptr, 0, 0);
  if (!task) {
    PLAT_Trace("vnROOT_Create: root task not created\n");
    return 0;
  }
  return 1;
}

void vnROOT_Destroy() {
  if (SGE_TASK* task = g_root.pTask) SGE_Send(task, SGM_TASK_DESTROY, 0, 0);
  g_root.pTask = nullptr;
}

void vnROOT_RegisterTaskTypes() {
  static constexpr struct {
    int32_t (*fn)();
    const char* what;
  } kTypes[] = {
      {vnMOVER_Register, "mover task types"},
      {vnUNITMAN_Register, "unit manager type"},
      {vnMARK_Register, "marker service type"},
      {GUI_RegisterTaskTypes, "GUI task types"},
      {vnPOINTER_Register, "pointer task type"},
      {vnHUD_Register, "HUD task type"},
      {vnCAMERA_Register, "camera state type"},
      {vnEventIcon_Register, "event icon type"},
      {vnSPRITEDEFS_Register, "effect class table type"},
      {vnPARTICLEJET_Register, "particle-jet type"},
      {vnUNITMAN_RegisterUnitClasses, "unit classes"},
      {vnFADE_Register, "transition controller type"},
  };
  for (const auto& t : kTypes)
    if (!t.fn()) PLAT_Trace("ROOT: %s not registered\n", t.what);
}

SGE_TASK* vnROOT_GetTask() { return g_root.pTask; }
void* vnROOT_GetTextPanel() { return g_root.pTextPanel; }
SGE_TASK* vnROOT_GetCurrentTask() { return g_root.pLoadScreen; }

uint32_t vnROOT_SetBackground(uint32_t colour) {
  return g_root.pNode ? SPW_SetDisplayNodeColour(g_root.pNode, colour) : 0;
}

int32_t vnROOT_LoadFonts(VNROOT* root) {
  vnROOT_FreeFonts(root);
  int32_t loaded = 0;
  for (int32_t i = 0; i < VN_NUM_FONTS; ++i) {
    root->apFonts[i] = SPW_LoadFont(kFonts[i].file, kFonts[i].set, vnMAIN_GetDisplay());
    if (root->apFonts[i]) ++loaded;
  }
  return loaded;
}

void vnROOT_FreeFonts(VNROOT* root) {
  for (SPW_FONT*& font : root->apFonts) {
    if (font) SPW_FreeFont(font);
    font = nullptr;
  }
}

void vnROOT_ApplyUserMode(VNROOT* root) {
  SPPD_DRIVERTABLE* drv = vnMAIN_GetDriver();
  // No mode record: the driver re-creates the device in the player's stored mode.
  if (!drv || !drv->SPPD_Modify ||
      drv->SPPD_Modify(vnMAIN_GetDisplay(), nullptr, SGE_GetWindow(),
                       SPPD_MODIFY_STORED_MODE) != 1)
    PLAT_Trace("Unable to reinitialise the driver!\n");
  SPW_FitMouseToDisplay(vnMAIN_GetDisplay());
  vnUTIL_CentreWindow();
  SGE_Broadcast(root->pTask, SGM_VRAM_FLUSH, 0, 0);
  SGE_ResetFrameTiming();
  CreateLoadScreen(VNTT_FE_ROOT, 0);
}

int32_t vnMAIN_NullCallback(SPW_DISPLAYNODE*, SPPD_VIEWPORT*, SGE_DATAREF*) { return 1; }
