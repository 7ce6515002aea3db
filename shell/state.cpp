// Shell state shared by the frame loop, the root task and game start: the pause flag, the bound
// display, the command-line switches and the root task's fonts.
#include "shell/state.h"

#include "engine/display/display.h"
#include "platform/trace.h"

namespace {

struct VNMAIN_STATE {
  int32_t bPaused = 0;
  SPW_DISPLAY* pDisplay = nullptr;
  SPW_FONT* const* ppFonts = nullptr;
  VNMAIN_SWITCHES switches;
};
VNMAIN_STATE g_vnMain;

}  // namespace

SPW_DISPLAY* vnMAIN_GetDisplay() { return g_vnMain.pDisplay; }
SPPD_DRIVERTABLE* vnMAIN_GetDriver() { return SPW_GetDisplayDriver(g_vnMain.pDisplay); }
void vnMAIN_SetDisplay(SPW_DISPLAY* display) { g_vnMain.pDisplay = display; }

void vnMAIN_SetPaused(int32_t paused) { g_vnMain.bPaused = paused; }
int32_t vnMAIN_IsPaused() { return g_vnMain.bPaused; }

const VNMAIN_SWITCHES* vnMAIN_GetSwitches() { return &g_vnMain.switches; }
VNMAIN_SWITCHES* vnMAIN_MutableSwitches() { return &g_vnMain.switches; }

void vnMAIN_SetFonts(SPW_FONT* const* fonts) { g_vnMain.ppFonts = fonts; }

SPW_FONT* vnMAIN_GetFont(int32_t index) {
  if (index < 0 || index >= VN_NUM_FONTS) {
    PLAT_Trace("[%d] is not a valid font!\n", index);
    return nullptr;
  }
  return g_vnMain.ppFonts ? g_vnMain.ppFonts[index] : nullptr;
}

SPW_FONT* vnMAIN_GetTextFont() { return vnMAIN_GetFont(VN_TEXT_FONT); }
