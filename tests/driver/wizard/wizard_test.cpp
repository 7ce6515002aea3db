// The configuration wizard, in-process and headless: its automatic choices, its pages driven by
// control id, and what SPPD_Configure saves.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "driver/device/prefs.h"
#include "driver/wizard/wizard.h"
#include "engine/driver/sppd.h"
#include "platform/dialog/dialog.h"
#include "platform/registry.h"
#include "platform/window/msgbox.h"
#include "tests/support/support.h"

namespace {

constexpr PLAT_GUID kSecondDisplay = {0x11111111, 0x2222, 0x3333, {1, 2, 3, 4, 5, 6, 7, 8}};
constexpr PLAT_GUID kTnlDevice = {0xAAAA0001, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
constexpr PLAT_GUID kTnlDevice2 = {0xAAAA0002, 0, 0, {0, 0, 0, 0, 0, 0, 0, 2}};
constexpr PLAT_GUID kHalDevice = {0xAAAA0003, 0, 0, {0, 0, 0, 0, 0, 0, 0, 3}};
constexpr PLAT_GUID kSoftDevice = {0xAAAA0004, 0, 0, {0, 0, 0, 0, 0, 0, 0, 4}};

SPPD_DEVICEENTRY Device(const PLAT_GUID& guid, const char* name, bool hw, bool tnl) {
  SPPD_DEVICEENTRY d{};
  d.desc.guid = guid;
  std::snprintf(d.desc.name, sizeof d.desc.name, "%s", name);
  d.hwRasterization = hw;
  d.hwTransformLight = tnl;
  return d;
}

SPPD_ZFORMATENTRY ZFormat(int32_t bits, int32_t stencil, bool usable = true) {
  SPPD_ZFORMATENTRY z{};
  z.zBits = bits;
  z.stencilBits = stencil;
  z.depthNoStencil = bits - stencil;
  z.usable = usable;
  return z;
}

TEST(WizardChoice, TheDriverModePageTakesTheFirstHardwareDeviceWithoutTransformAndLighting) {
  SPPD_ENUMLISTS l;
  l.devices = {Device(kTnlDevice, "tnl", true, true), Device(kSoftDevice, "soft", false, false),
               Device(kHalDevice, "hal", true, false)};
  EXPECT_EQ(SPPD_WIZ_AutoDevice(l), 2);
  l.devices = {Device(kTnlDevice, "tnl", true, true), Device(kSoftDevice, "soft", false, false)};
  EXPECT_EQ(SPPD_WIZ_AutoDevice(l), -1);
  l.devices.clear();
  EXPECT_EQ(SPPD_WIZ_AutoDevice(l), -1);
}

TEST(WizardChoice, TheResolutionPageTakes640By480AtTheTextureDepthElseAt16Bits) {
  struct Case {
    std::vector<SPPD_MODEENTRY> modes;
    int32_t tbpp;
    int32_t want;
  };
  const Case cases[] = {
      {{{800, 600, 16, 1}, {640, 480, 32, 1}, {640, 480, 16, 1}}, 16, 2},
      {{{800, 600, 16, 1}, {640, 480, 32, 1}, {640, 480, 16, 1}}, 32, 1},
      {{{640, 480, 16, 1}, {640, 480, 16, 1}}, 32, 0},  // the first of equal entries
      {{{640, 480, 32, 1}}, 16, -1},
      {{{800, 600, 16, 1}, {1024, 768, 32, 1}}, 16, -1},
      {{}, 16, -1},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SPPD_ENUMLISTS l;
    l.modes = cases[i].modes;
    EXPECT_EQ(SPPD_WIZ_AutoMode(l, cases[i].tbpp), cases[i].want) << "case " << i;
  }
}

TEST(WizardChoice, TheZBufferPageTakesTheMostDepthBitsBesideStencil) {
  struct Case {
    std::vector<SPPD_ZFORMATENTRY> formats;
    int32_t want;
  };
  const Case cases[] = {
      {{ZFormat(16, 0), ZFormat(32, 8), ZFormat(32, 0)}, 2},
      {{ZFormat(16, 0), ZFormat(32, 8)}, 1},  // 24 depth bits beat 16
      {{ZFormat(24, 0), ZFormat(32, 8)}, 0},  // equal: the first
      {{ZFormat(32, 0, false), ZFormat(16, 0)}, 1},
      {{ZFormat(32, 0, false)}, -1},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SPPD_ENUMLISTS l;
    l.zFormats = cases[i].formats;
    EXPECT_EQ(SPPD_WIZ_AutoZFormat(l), cases[i].want) << "case " << i;
  }
}

TEST(WizardChoice, ListLinesNameTheColourAndDepthQuality) {
  char line[64];
  const struct {
    SPPD_MODEENTRY mode;
    const char* text;
  } modes[] = {{{800, 600, 32, 1}, "800x600, True Color (32 bit)"},
               {{640, 480, 24, 1}, "640x480, True Color (24 bit)"},
               {{640, 480, 16, 1}, "640x480, High Color (16 bit)"},
               {{320, 200, 8, 1}, "320x200, Low Color (8 bit)"}};
  for (const auto& c : modes) {
    SPPD_WIZ_ModeLine(c.mode, line, sizeof line);
    EXPECT_STREQ(line, c.text);
  }
  const struct {
    SPPD_ZFORMATENTRY z;
    const char* text;
  } zs[] = {{ZFormat(32, 8), "High quality (32 bit)"},
            {ZFormat(24, 0), "High quality (24 bit)"},
            {ZFormat(16, 0), "Regular quality (16 bit)"},
            {ZFormat(8, 0), "Poor quality (8 bit)"}};
  for (const auto& c : zs) {
    SPPD_WIZ_ZFormatLine(c.z, line, sizeof line);
    EXPECT_STREQ(line, c.text);
  }
}

// Answers the pages by template id and the message boxes in order, and records both.
class WizardRun : public ::testing::Test {
 protected:
  void SetUp() override {
    PLAT_RegReload();
    PLAT_DialogSetDriver(&WizardRun::Drive, this);
    PLAT_SetMessageBoxDriver(&WizardRun::Box, this);
  }
  void TearDown() override {
    PLAT_DialogSetDriver(nullptr, nullptr);
    PLAT_SetMessageBoxDriver(nullptr, nullptr);
  }

  static void Drive(PLAT_Dialog* d, void* user) {
    auto* self = static_cast<WizardRun*>(user);
    int32_t id = PLAT_DialogTemplateId(d);
    self->shown.push_back(id);
    std::vector<std::string> lines;
    int32_t list = id + 902;  // pages 102..105 hold lists 1004..1007
    for (int32_t i = 0; i < PLAT_DialogListCount(d, list); ++i)
      lines.emplace_back(PLAT_DialogListText(d, list, i));
    self->lines.push_back(lines);
    self->selected.push_back(PLAT_DialogListGetSel(d, list));
    auto it = self->pages.find(id);
    if (it != self->pages.end()) it->second(d);
    else PLAT_DialogPressKey(d, PLAT_DlgKey::Escape);
  }
  static bool Box(const char* text, const char* caption, PLAT_MsgBoxButtons, PLAT_MsgBoxIcon,
                  PLAT_MsgBoxAnswer* answer, void* user) {
    auto* self = static_cast<WizardRun*>(user);
    self->boxes.push_back(std::string(caption) + ": " + text);
    *answer = self->answers.empty() ? PLAT_MsgBoxAnswer::Ok : self->answers.front();
    if (!self->answers.empty()) self->answers.erase(self->answers.begin());
    return true;
  }

  vntest::ScopedRegistry registry;
  std::map<int32_t, std::function<void(PLAT_Dialog*)>> pages;
  std::vector<PLAT_MsgBoxAnswer> answers;
  std::vector<int32_t> shown;
  std::vector<std::vector<std::string>> lines;
  std::vector<int32_t> selected;
  std::vector<std::string> boxes;
};

void Next(PLAT_Dialog* d) { PLAT_DialogClick(d, PLAT_IDOK); }

TEST_F(WizardRun, OnOnePrimaryAdapterOnlyTheVideoCardPageIsShownAndTheChoicesAreSaved) {
  pages[SPPD_WIZ_PAGE_VIDEOCARD] = Next;
  ASSERT_EQ(SPPD_Configure(nullptr, nullptr), SPPD_OK);
  const std::vector<int32_t> onlyVideoCard = {SPPD_WIZ_PAGE_VIDEOCARD};
  EXPECT_EQ(shown, onlyVideoCard);
  ASSERT_FALSE(lines.empty());
  EXPECT_FALSE(lines[0].empty());
  EXPECT_EQ(selected[0], 0);
  EXPECT_TRUE(boxes.empty());

  SPPD_DRIVERSTATE p{};
  ASSERT_EQ(SPPD_ReadPreferences(&p), SPPD_OK);
  EXPECT_EQ(p.fFullScreen, 1);
  EXPECT_EQ(p.nWidth, 640);
  EXPECT_EQ(p.nHeight, 480);
  EXPECT_EQ(p.nBPP, 16);
  EXPECT_EQ(p.nTBPP, 16);
  EXPECT_EQ(p.fPalette, 0);
  EXPECT_EQ(p.fAutoMipMap, 1);
  EXPECT_EQ(p.nZDepth, 32);  // the 32-bit format without stencil
  EXPECT_TRUE(PLAT_GuidEqual(p.guidDisplay, SPPD_PRIMARY_DISPLAY_GUID));
  EXPECT_TRUE(PLAT_GuidEqual(p.guidDevice, PLAT_GfxHardwareDeviceGuid()));
}

TEST_F(WizardRun, CancelOrNoSelectionOnTheVideoCardPageFailsAndWritesNothing) {
  const std::function<void(PLAT_Dialog*)> ways[] = {
      [](PLAT_Dialog* d) { PLAT_DialogClick(d, PLAT_IDCANCEL); },
      [](PLAT_Dialog* d) { PLAT_DialogRequestClose(d); },
      [](PLAT_Dialog* d) {
        PLAT_DialogListSetSel(d, SPPD_WIZ_LIST_VIDEOCARD, -1);
        PLAT_DialogClick(d, PLAT_IDOK);
      },
  };
  for (size_t i = 0; i < std::size(ways); ++i) {
    pages[SPPD_WIZ_PAGE_VIDEOCARD] = ways[i];
    int writes = vntest::countStoreWrites(registry.storePath(), [] {
      EXPECT_EQ(SPPD_Configure(nullptr, nullptr), SPPD_FAIL);
    });
    EXPECT_NE(std::strstr(SPPD_GetLastErrorString(), "SPPD_Configure"), nullptr) << i;
    SPPD_DRIVERSTATE p{};
    EXPECT_EQ(SPPD_ReadPreferences(&p), SPPD_FAIL) << "way " << i;
    EXPECT_LE(writes, 1) << "way " << i;  // at most the empty keys of the read above
  }
}

TEST_F(WizardRun, OnlyBitZeroOfTheOptionsSecondWordIsCleared) {
  pages[SPPD_WIZ_PAGE_VIDEOCARD] = Next;
  uint32_t options[3] = {0xFFFFFFFFu, 0x80000003u, 0xFFFFFFFFu};
  ASSERT_EQ(SPPD_Configure(nullptr, options), SPPD_OK);
  EXPECT_EQ(options[0], 0xFFFFFFFFu);
  EXPECT_EQ(options[1], 0x80000002u);
  EXPECT_EQ(options[2], 0xFFFFFFFFu);
}

SPPD_WIZARD TwoDisplays() {
  SPPD_WIZARD w;
  w.record.pLists = &w.lists;
  w.record.fAutoMipMap = 1;
  SPPD_DISPLAYENTRY primary{SPPD_PRIMARY_DISPLAY_GUID, "Primary Display Driver", "display"};
  SPPD_DISPLAYENTRY second{kSecondDisplay, "3D Accelerator", "accel"};
  w.lists.displays = {primary, second};
  return w;
}

TEST_F(WizardRun, ASecondaryCardAsksAboutMipMappingAndTheAnswerIsKept) {
  const struct {
    int32_t line;
    PLAT_MsgBoxAnswer answer;
    int32_t mipmap;
    size_t boxes;
  } cases[] = {{1, PLAT_MsgBoxAnswer::No, 0, 1},
               {1, PLAT_MsgBoxAnswer::Yes, 1, 1},
               {0, PLAT_MsgBoxAnswer::No, 1, 0}};
  for (const auto& c : cases) {
    SPPD_WIZARD w = TwoDisplays();
    boxes.clear();
    answers = {c.answer};
    const int32_t line = c.line;
    pages[SPPD_WIZ_PAGE_VIDEOCARD] = [line](PLAT_Dialog* d) {
      PLAT_DialogPick(d, SPPD_WIZ_LIST_VIDEOCARD, line);
      PLAT_DialogClick(d, PLAT_IDOK);
    };
    ASSERT_EQ(SPPD_WIZ_VideoCard(&w), SPPD_OK);
    EXPECT_EQ(w.record.fAutoMipMap, c.mipmap) << c.line;
    EXPECT_TRUE(PLAT_GuidEqual(w.record.guidDisplay, w.lists.displays[c.line].guid));
    ASSERT_EQ(boxes.size(), c.boxes);
    if (c.boxes) {
      EXPECT_EQ(boxes[0].rfind("Automatic Mip-Mapping Support: Would you like", 0), 0u) << boxes[0];
    }
  }
  const std::vector<std::string> descriptions = {"Primary Display Driver", "3D Accelerator"};
  EXPECT_EQ(lines[0], descriptions);
}

TEST_F(WizardRun, WithoutAPlainHardwareDeviceTheDriverModePageListsTheHardwareOnes) {
  SPPD_WIZARD w;
  w.record.pLists = &w.lists;
  w.lists.devices = {Device(kSoftDevice, "RGB Emulation", false, false),
                     Device(kTnlDevice, "T&L HAL", true, true),
                     Device(kTnlDevice2, "Second T&L HAL", true, true)};
  pages[SPPD_WIZ_PAGE_DRIVERMODE] = [](PLAT_Dialog* d) {
    PLAT_DialogPick(d, SPPD_WIZ_LIST_DRIVERMODE, 1);
    PLAT_DialogClick(d, PLAT_IDOK);
  };
  ASSERT_EQ(SPPD_WIZ_DriverMode(&w), SPPD_OK);
  EXPECT_TRUE(PLAT_GuidEqual(w.record.guidDevice, kTnlDevice2));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0],
            "Device Error: There were no hardware capable devices found!  Please install your "
            "latest drivers!");
  const std::vector<std::string> hardware = {"T&L HAL", "Second T&L HAL"};
  EXPECT_EQ(lines[0], hardware);
  EXPECT_EQ(selected[0], 0);

  pages[SPPD_WIZ_PAGE_DRIVERMODE] = [](PLAT_Dialog* d) { PLAT_DialogClick(d, PLAT_IDCANCEL); };
  EXPECT_EQ(SPPD_WIZ_DriverMode(&w), SPPD_FAIL);
}

TEST_F(WizardRun, WithoutA640By480ModeTheResolutionPageListsTheUsableModes) {
  SPPD_WIZARD w;
  w.record.pLists = &w.lists;
  w.record.nTBPP = 16;
  w.lists.modes = {{800, 600, 16, 1}, {800, 600, 24, 0}, {1024, 768, 32, 1}};
  pages[SPPD_WIZ_PAGE_RESOLUTION] = [](PLAT_Dialog* d) {
    PLAT_DialogPick(d, SPPD_WIZ_LIST_RESOLUTION, 1);
    PLAT_DialogClick(d, PLAT_IDOK);
  };
  ASSERT_EQ(SPPD_WIZ_Resolution(&w), SPPD_OK);
  EXPECT_EQ(w.record.nWidth, 1024);
  EXPECT_EQ(w.record.nHeight, 768);
  EXPECT_EQ(w.record.nBPP, 32);
  const std::vector<std::string> usable = {"800x600, High Color (16 bit)",
                                           "1024x768, True Color (32 bit)"};
  EXPECT_EQ(lines[0], usable);
  EXPECT_EQ(selected[0], -1);

  pages[SPPD_WIZ_PAGE_RESOLUTION] = Next;  // nothing selected
  EXPECT_EQ(SPPD_WIZ_Resolution(&w), SPPD_FAIL);
}

TEST_F(WizardRun, WithoutAUsableZFormatTheZBufferPageHasNothingToFinishWith) {
  SPPD_WIZARD w;
  w.record.pLists = &w.lists;
  w.lists.zFormats = {ZFormat(32, 0, false), ZFormat(16, 0, false)};
  pages[SPPD_WIZ_PAGE_ZBUFFER] = Next;
  EXPECT_EQ(SPPD_WIZ_ZBuffer(&w), SPPD_FAIL);
  const std::vector<int32_t> page = {SPPD_WIZ_PAGE_ZBUFFER};
  EXPECT_EQ(shown, page);
  EXPECT_TRUE(lines[0].empty());
}

}  // namespace
