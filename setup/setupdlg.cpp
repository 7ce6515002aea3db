// Setup's dialog: the driver probe, Configure, Play, Exit and the About box.
#include <cstdarg>
#include <cstdio>
#include <string>

#include "engine/driver/choice.h"
#include "engine/driver/sppd.h"
#include "platform/dialog/dialog.h"
#include "platform/dynlib.h"
#include "platform/process.h"
#include "platform/trace.h"
#include "platform/window/msgbox.h"
#include "platform/window/window.h"
#include "setup/setup.h"

namespace {

constexpr const char kGameProgram[] = "Vantoria.exe";
constexpr const char kCaption[] = "Vantoria Setup";
constexpr size_t kDebugLogSize = 1024;

const PLAT_DlgControl kSetupControls[] = {
    {PLAT_IDCANCEL, PLAT_DlgKind::PushButton, "Выйти", 119, 23, 50, 14},
    {SETUP_ID_CONFIGURE, PLAT_DlgKind::PushButton, "&Настроить", 119, 7, 50, 14},
    {SETUP_ID_PLAY, PLAT_DlgKind::PushButton, "&Играть!", 119, 39, 50, 14},
    {PLAT_IDSTATIC, PLAT_DlgKind::Picture, nullptr, 7, 7, 107, 118},
};
const PLAT_DlgMenuItem kSetupMenu[] = {{SETUP_IDM_ABOUTBOX, "&About Setup..."}};
const PLAT_DlgTemplate kSetupTemplate = {SETUP_DLG_MAIN, "Vantoria: Видео Установки", 176, 135,
                                         kSetupControls, 4, kSetupMenu, 1};

const PLAT_DlgControl kAboutControls[] = {
    {PLAT_IDSTATIC, PLAT_DlgKind::Icon, nullptr, 11, 17, 20, 20},
    {PLAT_IDSTATIC, PLAT_DlgKind::Static, "Setup Version 1.0", 40, 10, 119, 8},
    {PLAT_IDSTATIC, PLAT_DlgKind::Static, "Copyright (C) 2026", 40, 25, 119, 8},
    {PLAT_IDOK, PLAT_DlgKind::DefPushButton, "OK", 178, 7, 50, 14},
};
const PLAT_DlgTemplate kAboutTemplate = {SETUP_DLG_ABOUT, "About Setup", 235, 55, kAboutControls,
                                         4, nullptr, 0};

// Lives until the program ends.
std::string g_driverFile;

using ConfigureFn = decltype(&SPPD_Configure);

void DebugLog(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void DebugLog(const char* fmt, ...) {
  char text[kDebugLogSize];
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(text, sizeof text, fmt, ap);
  va_end(ap);
  PLAT_Trace("%s", text);
}

struct CSetupDlg {
  PLAT_Dialog* dlg = nullptr;

  bool OnInitDialog() {
    if (FindDriver()) {
      UpdatePlayButton();
      return true;
    }
    PLAT_MessageBox(PLAT_DialogWindow(dlg),
                    "There are no valid Korrath gfxdrv Drivers installed.  Please re-install.",
                    "Setup Driver Error", PLAT_MsgBoxButtons::Ok, PLAT_MsgBoxIcon::Warning);
    PLAT_DialogEnd(dlg, 0);
    return true;
  }

  int32_t FindDriver() {
    PLAT_DialogEnable(dlg, SETUP_ID_CONFIGURE, false);
    char description[SPPD_DESCRIPTION_SIZE] = {};
    g_driverFile = SPW_FindDriverLibrary(description);
    if (g_driverFile.empty()) return 0;
    DebugLog("[SETUP]: Found Korrath Software gfxdrv Driver [%s]->[%s]\n", g_driverFile.c_str(),
             description);
    PLAT_DialogEnable(dlg, SETUP_ID_CONFIGURE, true);
    return 1;
  }

  void OnConfigure() {
    PLAT_LibraryHandle lib(PLAT_LoadLibrary(g_driverFile.c_str()));
    if (!lib) return;
    auto configure =
        reinterpret_cast<ConfigureFn>(PLAT_FindSymbol(lib.get(), "SPPD_Configure"));
    PLAT_GUID guid{};
    if (!configure || !SPW_LibraryDriverGuid(lib.get(), &guid)) return;
    if (configure(PLAT_DialogWindow(dlg), nullptr) != SPPD_OK) return;
    const int32_t recorded = WriteDriverGuid(&guid, nullptr);
    UpdatePlayButton();
    // A choice that did not reach the store is not a configured driver: the game would come
    // straight back here.
    if (recorded != 1) {
      PLAT_MessageBox(PLAT_DialogWindow(dlg),
                      "The driver was configured, but the choice could not be recorded!  Please "
                      "check that the settings can be written.",
                      kCaption, PLAT_MsgBoxButtons::Ok, PLAT_MsgBoxIcon::Warning);
      return;
    }
    PLAT_MessageBox(PLAT_DialogWindow(dlg), "Driver Successfully Configured!", kCaption,
                    PLAT_MsgBoxButtons::Ok, PLAT_MsgBoxIcon::None);
  }

  void OnPlay() {
    PLAT_ShowWindow(PLAT_DialogWindow(dlg), false);
    PLAT_ExecProgram(kGameProgram, nullptr, 0);  // returns only when the game did not start
    PLAT_ShowWindow(PLAT_DialogWindow(dlg), true);
    PLAT_MessageBox(PLAT_DialogWindow(dlg),
                    "There was a problem launching tha game!  Please Run from Installed Path.",
                    "Launch Failure", PLAT_MsgBoxButtons::Ok, PLAT_MsgBoxIcon::Warning);
    PLAT_DialogEnd(dlg, 1);
  }

  void OnCancel() {
    PLAT_GUID guid;
    if (ReadDriverGuid(&guid, nullptr) == 1) {
      PLAT_DialogEnd(dlg, PLAT_IDCANCEL);
      return;
    }
    PLAT_MsgBoxAnswer a = PLAT_MessageBox(
        PLAT_DialogWindow(dlg), "Are you sure you want to exit without completing the setup process?",
        kCaption, PLAT_MsgBoxButtons::YesNo, PLAT_MsgBoxIcon::Question);
    if (a == PLAT_MsgBoxAnswer::Yes) PLAT_DialogEnd(dlg, PLAT_IDCANCEL);
  }

  // Any readable value enables Play; it is not compared with the probed driver's.
  int32_t UpdatePlayButton() {
    PLAT_GUID guid;
    const bool recorded = ReadDriverGuid(&guid, nullptr) == 1;
    PLAT_DialogEnable(dlg, SETUP_ID_PLAY, recorded);
    return recorded ? 1 : 0;
  }

  void OnSysCommand(int32_t id) {
    if ((id & ~0xF) == SETUP_IDM_ABOUTBOX)
      PLAT_DialogRun(PLAT_DialogWindow(dlg), kAboutTemplate, nullptr, nullptr);
  }

  static bool Proc(PLAT_Dialog* d, PLAT_DlgMsg msg, int32_t id, void* user) {
    auto* self = static_cast<CSetupDlg*>(user);
    self->dlg = d;
    switch (msg) {
      case PLAT_DlgMsg::Init: return self->OnInitDialog();
      case PLAT_DlgMsg::SysCommand: self->OnSysCommand(id); return true;
      case PLAT_DlgMsg::Close: return false;  // becomes the cancel command
      case PLAT_DlgMsg::Command: break;
    }
    switch (id) {
      case SETUP_ID_CONFIGURE: self->OnConfigure(); return true;
      case SETUP_ID_PLAY: self->OnPlay(); return true;
      case PLAT_IDCANCEL: self->OnCancel(); return true;
      default: return false;  // Enter's command 1 ends the dialog at once
    }
  }
};

}  // namespace

int32_t vnSETUP_Run() {
  CSetupDlg dlg;
  return PLAT_DialogRun(nullptr, kSetupTemplate, CSetupDlg::Proc, &dlg);
}

const std::string& vnSETUP_DriverFile() { return g_driverFile; }
