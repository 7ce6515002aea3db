#pragma once
// Shared state of the dialog folder: the running dialog, its window and what its frame drew.
#include <string>
#include <vector>

#include "platform/dialog/dialog.h"

struct ImGuiContext;

// ImGui takes one input event a frame and shows a click on the frame after its release: a few
// frames after any input or change let it settle before a dialog sleeps again.
constexpr int PLATD_FRAMES_AFTER_INPUT = 4;

struct PLATD_Control {
  PLAT_DlgControl tpl;
  std::string text;
  bool enabled = true;
  bool checked = false;
  std::vector<std::string> lines;
  int32_t sel = -1;
  bool drawn = false;
  PLAT_DlgRect drawnRect = {};  // where the last frame drew it
};

// What the user did during a frame; applied once the frame is drawn, since a command may run
// a dialog of its own.
struct PLATD_Action {
  enum Kind { Click, Pick, Menu, Close } kind;
  int32_t id;
  int32_t index;
};

struct PLAT_Dialog {
  const PLAT_DlgTemplate* tpl = nullptr;
  PLAT_DlgProc proc = nullptr;
  void* user = nullptr;
  std::vector<PLATD_Control> controls;
  bool ended = false;
  int32_t result = 0;

  PLAT_Window* window = nullptr;
  void* gl = nullptr;  // its GL context; none when nothing can be drawn (headless)
  ImGuiContext* imgui = nullptr;
  int pixelWidth = 0;
  int pixelHeight = 0;

  std::vector<PLATD_Action> actions;
  bool openMenu = false;   // Alt+Space asked for the window menu
  bool menuShown = false;  // the window menu was open in the last frame
  bool closeMenu = false;  // Escape asked to close it
  std::string snapshot;  // PNG file the next frame is saved to
  int unansweredFrames = 0;
  int owedFrames = 0;    // frames still to draw for input or a change; none: wait for events
  bool exposed = false;  // uncovered while a dialog ran over it: repaint it
  // What was current when the dialog opened, handed back when it closes.
  void* prevGlWindow = nullptr;
  void* prevGl = nullptr;
  ImGuiContext* prevImgui = nullptr;
};

PLATD_Control* PLATD_Find(PLAT_Dialog* dlg, int32_t id);
const PLATD_Control* PLATD_Find(const PLAT_Dialog* dlg, int32_t id);
// Label text with the mnemonic marks taken out.
std::string PLATD_Label(const std::string& text);

// Dialog units to pixels and back (rounded up, so that the pixels hold what was measured).
int PLATD_PixelsX(int dlu);
int PLATD_PixelsY(int dlu);
int PLATD_UnitsX(int pixels);
int PLATD_UnitsY(int pixels);

// The dialogs running, the innermost last.
PLAT_Dialog* PLATD_RunningIn(const PLAT_Window* window);  // none when no dialog owns it

// The window, GL context and drawing state; false when nothing can be drawn.
bool PLATD_OpenView(PLAT_Dialog* dlg, PLAT_Window* owner);
void PLATD_CloseView(PLAT_Dialog* dlg);
void PLATD_ShowView(PLAT_Dialog* dlg);
// Takes the window system's events for the dialog and turns keys and closes into commands;
// input for it owes frames, and a dialog beneath that was uncovered is marked exposed.
void PLATD_PumpEvents(PLAT_Dialog* dlg);
// Sleeps until the window system has an event (or a while has passed).
void PLATD_WaitEvents();
// Draws one frame, collecting the user's clicks in dlg->actions.
void PLATD_DrawFrame(PLAT_Dialog* dlg);

// The script of VANTORIA_DIALOG_SCRIPT, loaded on the first dialog.
void PLATD_LoadScriptFromEnvironment();
bool PLATD_ScriptActive();
// Runs the script's next step in the dialog when it is that step's dialog; false when the
// script has nothing for it.
bool PLATD_ScriptStep(PLAT_Dialog* dlg);
