// Shell state shared by the frame loop, the root task and game start: quit and pause flags,
// the main window, the bound display and the command-line switches.
#include "engine/display/display.h"
#include "platform/window/window.h"
#include "shell/app.h"

namespace {

struct VNMAIN_STATE {
  int32_t bQuit = 0;
  int32_t bPaused = 0;
  PLAT_Window* pWindow = nullptr;
  SPW_DISPLAY* pDisplay = nullptr;
  VNMAIN_SWITCHES switches;
};
VNMAIN_STATE g_vnMain;

}  // namespace

void SGE_RequestQuit() { g_vnMain.bQuit = 1; }
int32_t SGE_QuitRequested() { return g_vnMain.bQuit; }
void SGE_ClearQuit() { g_vnMain.bQuit = 0; }

void SGE_SetWindow(PLAT_Window* window) { g_vnMain.pWindow = window; }
PLAT_Window* SGE_GetWindow() { return g_vnMain.pWindow; }
void SGE_CaptureMouse() {
  if (g_vnMain.pWindow) PLAT_CaptureMouse(g_vnMain.pWindow, true);
}
int32_t SGE_HasCapture() {
  return (g_vnMain.pWindow && PLAT_HasMouseCapture(g_vnMain.pWindow)) ? 1 : 0;
}

SPW_DISPLAY* vnMAIN_GetDisplay() { return g_vnMain.pDisplay; }
SPPD_DRIVERTABLE* vnMAIN_GetDriver() { return SPW_GetDisplayDriver(g_vnMain.pDisplay); }
void vnMAIN_SetDisplay(SPW_DISPLAY* display) { g_vnMain.pDisplay = display; }

void vnMAIN_SetPaused(int32_t paused) { g_vnMain.bPaused = paused; }
int32_t vnMAIN_IsPaused() { return g_vnMain.bPaused; }

const VNMAIN_SWITCHES* vnMAIN_GetSwitches() { return &g_vnMain.switches; }
VNMAIN_SWITCHES* vnMAIN_MutableSwitches() { return &g_vnMain.switches; }
