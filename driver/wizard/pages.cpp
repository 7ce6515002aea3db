// The wizard's pages: their templates and dialog procedures.
#include <cstdio>
#include <string>
#include <vector>

#include "driver/wizard/wizard.h"
#include "engine/driver/sppd.h"
#include "platform/dialog/dialog.h"
#include "platform/window/msgbox.h"

namespace {

constexpr int16_t kPageWidth = 230;
constexpr int16_t kPageHeight = 110;

#define SPPD_WIZ_BUTTONS(next)                                                   \
  {PLAT_IDOK, PLAT_DlgKind::DefPushButton, next, 118, 88, 50, 14},               \
  {PLAT_IDCANCEL, PLAT_DlgKind::PushButton, "Cancel", 172, 88, 50, 14}

const PLAT_DlgControl kOptionsControls[] = {
    {SPPD_WIZ_CHECK_AUTOMIPMAP, PLAT_DlgKind::CheckBox,
     "Auto mip mapping enable (Voodoo Cards Should Disable This)", 10, 12, 210, 12},
    {SPPD_WIZ_CHECK_32BIT, PLAT_DlgKind::CheckBox, "32 Bit Textures (Need lots of Texture RAM)", 10,
     30, 210, 12},
    SPPD_WIZ_BUTTONS("Next"),
};

#define SPPD_WIZ_LIST_PAGE(name, listId, next)                                   \
  const PLAT_DlgControl name[] = {                                               \
      {listId, PLAT_DlgKind::ListBox, nullptr, 8, 8, 214, 72},                   \
      SPPD_WIZ_BUTTONS(next),                                                    \
  }

SPPD_WIZ_LIST_PAGE(kVideoCardControls, SPPD_WIZ_LIST_VIDEOCARD, "Next");
SPPD_WIZ_LIST_PAGE(kDriverModeControls, SPPD_WIZ_LIST_DRIVERMODE, "Next");
SPPD_WIZ_LIST_PAGE(kResolutionControls, SPPD_WIZ_LIST_RESOLUTION, "Next");
SPPD_WIZ_LIST_PAGE(kZBufferControls, SPPD_WIZ_LIST_ZBUFFER, "Finish");

template <size_t N>
constexpr PLAT_DlgTemplate Page(int32_t id, const char* caption, const PLAT_DlgControl (&c)[N]) {
  return {id, caption, kPageWidth, kPageHeight, c, static_cast<int32_t>(N), nullptr, 0};
}

const PLAT_DlgTemplate kOptionsPage =
    Page(SPPD_WIZ_PAGE_OPTIONS, "Korrath Direct 3D Version 7 Driver", kOptionsControls);
const PLAT_DlgTemplate kVideoCardPage =
    Page(SPPD_WIZ_PAGE_VIDEOCARD, "Please Select Your Video Card Preference", kVideoCardControls);
const PLAT_DlgTemplate kDriverModePage =
    Page(SPPD_WIZ_PAGE_DRIVERMODE, "Select Driver Mode", kDriverModeControls);
const PLAT_DlgTemplate kResolutionPage =
    Page(SPPD_WIZ_PAGE_RESOLUTION, "Select Display Resolution", kResolutionControls);
const PLAT_DlgTemplate kZBufferPage =
    Page(SPPD_WIZ_PAGE_ZBUFFER, "Select Z Buffer Mode", kZBufferControls);

// A page that lists entries and takes the selected one on "Next".
struct ListPage {
  int32_t listId;
  bool selectFirst;
  std::vector<std::string> lines;
  std::vector<size_t> entries;  // list line -> entry of the enumeration list
  size_t chosen = 0;
};

bool ListProc(PLAT_Dialog* d, PLAT_DlgMsg msg, int32_t id, void* user) {
  auto* page = static_cast<ListPage*>(user);
  if (msg == PLAT_DlgMsg::Init) {
    for (const std::string& line : page->lines) PLAT_DialogListAdd(d, page->listId, line.c_str());
    if (page->selectFirst && !page->lines.empty()) PLAT_DialogListSetSel(d, page->listId, 0);
    return true;
  }
  if (msg != PLAT_DlgMsg::Command) return false;
  if (id == PLAT_IDOK) {
    // No selection closes the page as a cancel would.
    int32_t sel = PLAT_DialogListGetSel(d, page->listId);
    if (sel < 0 || static_cast<size_t>(sel) >= page->entries.size()) {
      PLAT_DialogEnd(d, PLAT_IDCANCEL);
      return true;
    }
    page->chosen = page->entries[static_cast<size_t>(sel)];
    PLAT_DialogEnd(d, PLAT_IDOK);
    return true;
  }
  if (id == PLAT_IDCANCEL) {
    PLAT_DialogEnd(d, PLAT_IDCANCEL);
    return true;
  }
  return false;
}

int32_t RunListPage(const PLAT_DlgTemplate& tpl, ListPage* page) {
  return PLAT_DialogRun(nullptr, tpl, ListProc, page) == PLAT_IDOK ? SPPD_OK : SPPD_FAIL;
}

// The options page decides at once: the defaults under which textures can be converted.
bool OptionsProc(PLAT_Dialog* d, PLAT_DlgMsg msg, int32_t, void* user) {
  if (msg != PLAT_DlgMsg::Init) return false;
  SPPD_DRIVERSTATE* r = &static_cast<SPPD_WIZARD*>(user)->record;
  r->fFullScreen = 1;
  r->nTBPP = 16;
  r->fPalette = 0;
  r->fAutoMipMap = 1;
  PLAT_DialogEnd(d, PLAT_IDOK);
  return true;
}

}  // namespace

int32_t SPPD_WIZ_Options(SPPD_WIZARD* w) {
  return PLAT_DialogRun(nullptr, kOptionsPage, OptionsProc, w) == PLAT_IDOK ? SPPD_OK : SPPD_FAIL;
}

int32_t SPPD_WIZ_VideoCard(SPPD_WIZARD* w) {
  ListPage page{SPPD_WIZ_LIST_VIDEOCARD, true, {}, {}};
  for (size_t i = 0; i < w->lists.displays.size(); ++i) {
    page.lines.emplace_back(w->lists.displays[i].description);
    page.entries.push_back(i);
  }
  if (RunListPage(kVideoCardPage, &page) != SPPD_OK) return SPPD_FAIL;
  const SPPD_DISPLAYENTRY& chosen = w->lists.displays[page.chosen];
  w->record.guidDisplay = chosen.guid;
  w->lists.chosenDisplay = static_cast<int32_t>(page.chosen);
  if (!PLAT_GuidEqual(chosen.guid, SPPD_PRIMARY_DISPLAY_GUID)) {
    PLAT_MsgBoxAnswer a = PLAT_MessageBox(
        nullptr,
        "Would you like to Enable Automatic Mip-Mapping? (Voodoo2 Cards should disable this for "
        "performance)",
        "Automatic Mip-Mapping Support", PLAT_MsgBoxButtons::YesNo, PLAT_MsgBoxIcon::Question);
    w->record.fAutoMipMap = a == PLAT_MsgBoxAnswer::Yes ? 1 : 0;
  }
  return SPPD_OK;
}

int32_t SPPD_WIZ_DriverMode(SPPD_WIZARD* w) {
  int32_t automatic = SPPD_WIZ_AutoDevice(w->lists);
  if (automatic >= 0) {
    w->record.guidDevice = w->lists.devices[static_cast<size_t>(automatic)].desc.guid;
    return SPPD_OK;
  }
  PLAT_MessageBox(nullptr, "There were no hardware capable devices found!  Please install your latest drivers!",
                  "Device Error", PLAT_MsgBoxButtons::Ok, PLAT_MsgBoxIcon::Warning);
  ListPage page{SPPD_WIZ_LIST_DRIVERMODE, true, {}, {}};
  for (size_t i = 0; i < w->lists.devices.size(); ++i) {
    if (!w->lists.devices[i].hwRasterization) continue;
    page.lines.emplace_back(w->lists.devices[i].desc.name);
    page.entries.push_back(i);
  }
  if (RunListPage(kDriverModePage, &page) != SPPD_OK) return SPPD_FAIL;
  w->record.guidDevice = w->lists.devices[page.chosen].desc.guid;
  return SPPD_OK;
}

int32_t SPPD_WIZ_Resolution(SPPD_WIZARD* w) {
  int32_t automatic = SPPD_WIZ_AutoMode(w->lists, w->record.nTBPP);
  size_t chosen = static_cast<size_t>(automatic);
  if (automatic < 0) {
    ListPage page{SPPD_WIZ_LIST_RESOLUTION, false, {}, {}};
    char line[64];
    for (size_t i = 0; i < w->lists.modes.size(); ++i) {
      if (!w->lists.modes[i].usable) continue;
      SPPD_WIZ_ModeLine(w->lists.modes[i], line, sizeof line);
      page.lines.emplace_back(line);
      page.entries.push_back(i);
    }
    if (RunListPage(kResolutionPage, &page) != SPPD_OK) return SPPD_FAIL;
    chosen = page.chosen;
  }
  const SPPD_MODEENTRY& m = w->lists.modes[chosen];
  w->record.nWidth = m.width;
  w->record.nHeight = m.height;
  w->record.nBPP = m.bpp;
  w->lists.chosenMode = static_cast<int32_t>(chosen);
  return SPPD_OK;
}

int32_t SPPD_WIZ_ZBuffer(SPPD_WIZARD* w) {
  int32_t automatic = SPPD_WIZ_AutoZFormat(w->lists);
  size_t chosen = static_cast<size_t>(automatic);
  if (automatic < 0) {
    ListPage page{SPPD_WIZ_LIST_ZBUFFER, false, {}, {}};
    char line[64];
    for (size_t i = 0; i < w->lists.zFormats.size(); ++i) {
      if (!w->lists.zFormats[i].usable) continue;
      SPPD_WIZ_ZFormatLine(w->lists.zFormats[i], line, sizeof line);
      page.lines.emplace_back(line);
      page.entries.push_back(i);
    }
    if (RunListPage(kZBufferPage, &page) != SPPD_OK) return SPPD_FAIL;
    chosen = page.chosen;
  }
  w->record.nZDepth = w->lists.zFormats[chosen].zBits;
  w->lists.chosenZFormat = static_cast<int32_t>(chosen);
  return SPPD_OK;
}
