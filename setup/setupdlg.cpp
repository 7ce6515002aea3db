// Setup's dialog: the driver probe, Configure, Play, Exit and the About box.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "engine/driver/sppd.h"
#include "platform/dialog/dialog.h"
#include "platform/dynlib.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/trace.h"
#include "platform/window/msgbox.h"
#include "platform/window/window.h"
#include "setup/setup.h"
#include "shell/discover.h"

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

struct LibraryCloser {
  void operator()(PLAT_Library* l) const { PLAT_FreeLibrary(l); }
};
using Library = std::unique_ptr<PLAT_Library, LibraryCloser>;
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

std::string Lower(std::string s) {
  for (char& c : s) c = PLAT_LowerAscii(c);
  return s;
}

// A library counts as a driver when it has the three identity exports and describes itself.
bool IsDriver(PLAT_Library* lib, char (&description)[SPPD_DESCRIPTION_SIZE]) {
  auto info = reinterpret_cast<SPPD_PFN_DriverInfo>(PLAT_FindSymbol(lib, "SPPD_DriverInfo"));
  if (!info || !PLAT_FindSymbol(lib, "SPPD_GUID") || !PLAT_FindSymbol(lib, "SPPD_Configure"))
    return false;
  if (info(description, SPPD_DESCRIPTION_SIZE) != SPPD_OK) return false;
  description[SPPD_DESCRIPTION_SIZE - 1] = '\0';  // a foreign library may not terminate it
  return true;
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
    g_driverFile.clear();
    const std::string driverName = Lower(PLAT_LibraryFileName(VN_DRIVER_BASENAME));
    for (const PLAT_FindEntry& e : PLAT_FindFiles("*.*")) {
      if (e.isDirectory) continue;
      const std::string name = Lower(e.name);
      if (name.find(driverName) == std::string::npos) continue;
      Library lib(PLAT_LoadLibrary(name.c_str()));
      if (!lib) continue;
      char description[SPPD_DESCRIPTION_SIZE] = {};
      if (!IsDriver(lib.get(), description)) continue;
      DebugLog("[SETUP]: Found Korrath Software gfxdrv Driver [%s]->[%s]\n", name.c_str(),
               description);
      PLAT_DialogEnable(dlg, SETUP_ID_CONFIGURE, true);
      g_driverFile = name;
      return 1;  // the first valid file wins
    }
    return 0;
  }

  void OnConfigure() {
    Library lib(PLAT_LoadLibrary(g_driverFile.c_str()));
    if (!lib) return;
    auto configure =
        reinterpret_cast<ConfigureFn>(PLAT_FindSymbol(lib.get(), "SPPD_Configure"));
    const void* guidBytes = PLAT_FindSymbol(lib.get(), "SPPD_GUID");
    if (!configure || !guidBytes) return;
    if (configure(PLAT_DialogWindow(dlg), nullptr) != SPPD_OK) return;
    uint8_t bytes[16];
    std::memcpy(bytes, guidBytes, sizeof bytes);
    const PLAT_GUID guid = PLAT_GuidFromBytes(bytes);
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
