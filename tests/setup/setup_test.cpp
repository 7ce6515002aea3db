// Setup's dialog in-process and headless, with the recording driver as the driver library:
// the probe, Configure, Play, Exit and the About box, driven by control id.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/driver/choice.h"
#include "platform/dialog/dialog.h"
#include "platform/dynlib.h"
#include "platform/guid.h"
#include "platform/registry.h"
#include "platform/window/msgbox.h"
#include "platform/window/window.h"
#include "recdrv/recdrv.h"
#include "setup/setup.h"
#include "tests/support/support.h"

namespace {

namespace fs = std::filesystem;

constexpr const char kSuccess[] = "Vantoria Setup: Driver Successfully Configured!";
constexpr const char kQuestion[] =
    "Vantoria Setup: Are you sure you want to exit without completing the setup process?";

std::string RecordedDriver() {
  PLAT_RegKeyHandle key;
  std::string path = std::string(SPPD_DISPLAY_KEY) + "\\" + VN_DRIVER_GENERAL_KEY;
  if (PLAT_RegOpenKey(path.c_str(), &key) != PLAT_RegResult::Ok) return "";
  std::string text;
  PLAT_RegGetString(key.get(), VN_DRIVER_VALUE, &text);
  return text;
}

void RecordDriver(const char* text) {
  PLAT_RegKeyHandle key;
  std::string path = std::string(SPPD_DISPLAY_KEY) + "\\" + VN_DRIVER_GENERAL_KEY;
  ASSERT_EQ(PLAT_RegCreateKey(path.c_str(), &key), PLAT_RegResult::Ok);
  ASSERT_EQ(PLAT_RegSetString(key.get(), VN_DRIVER_VALUE, text), PLAT_RegResult::Ok);
}

struct FreeLib {
  void operator()(PLAT_Library* l) const { PLAT_FreeLibrary(l); }
};

// A working folder holding driver libraries, Setup's dialog driven step by step (one step a
// frame, by the dialog on top) and every message box recorded and answered.
class SetupDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    PLAT_RegReload();
    PLAT_DialogSetDriver(&SetupDialog::Drive, this);
    PLAT_SetMessageBoxDriver(&SetupDialog::Box, this);
  }
  void TearDown() override {
    PLAT_DialogSetDriver(nullptr, nullptr);
    PLAT_SetMessageBoxDriver(nullptr, nullptr);
  }

  // Copies a recording driver into the folder; keeps it loaded so that a test can make one of
  // its calls fail for Setup too (the loader hands back the same copy).
  PLAT_Library* Install(const char* variant, const char* name) {
    fs::copy_file(std::string(RECDRV_DIR) + "/lib" + variant + ".so", dir.file(name),
                  fs::copy_options::overwrite_existing);
    held.emplace_back(PLAT_LoadLibrary(dir.file(name).c_str()));
    return held.back().get();
  }
  void Fail(PLAT_Library* lib, const char* call) {
    auto fail = reinterpret_cast<RecDrv_FailCallFn>(PLAT_FindSymbol(lib, "RecDrv_FailCall"));
    ASSERT_NE(fail, nullptr);
    fail(call);
  }

  int32_t Run() {
    vntest::ScopedWorkingDir cwd(dir.path());
    return vnSETUP_Run();
  }

  static void Drive(PLAT_Dialog* d, void* user) {
    auto* self = static_cast<SetupDialog*>(user);
    self->frames.push_back(PLAT_DialogTemplateId(d));
    if (self->next < self->steps.size()) self->steps[self->next++](d);
    else PLAT_DialogEnd(d, -2);  // the test ran out of steps
  }
  static bool Box(const char* text, const char* caption, PLAT_MsgBoxButtons, PLAT_MsgBoxIcon,
                  PLAT_MsgBoxAnswer* answer, void* user) {
    auto* self = static_cast<SetupDialog*>(user);
    self->boxes.push_back(std::string(caption) + ": " + text);
    *answer = self->answers.empty() ? PLAT_MsgBoxAnswer::Ok : self->answers.front();
    if (!self->answers.empty()) self->answers.erase(self->answers.begin());
    return true;
  }

  vntest::ScopedRegistry registry;
  vntest::TempDir dir;
  std::vector<std::unique_ptr<PLAT_Library, FreeLib>> held;
  std::vector<std::function<void(PLAT_Dialog*)>> steps;
  size_t next = 0;
  std::vector<int32_t> frames;
  std::vector<std::string> boxes;
  std::vector<PLAT_MsgBoxAnswer> answers;
};

auto Click(int32_t id) {
  return [id](PLAT_Dialog* d) { EXPECT_TRUE(PLAT_DialogClick(d, id)) << id; };
}

TEST_F(SetupDialog, TheProbeKeepsTheFirstValidDriverInDirectoryOrder) {
  fs::copy_file(VN_DYNLIB_FIXTURE, dir.file("a-libgfxdrv.so"));  // no driver exports
  Fail(Install("recdrv", "b-libgfxdrv.so"), "SPPD_DriverInfo");  // describes no driver
  dir.write("c-libgfxdrv.so.txt", "not a library");
  Install("recdrv_otherguid", "D-LIBGFXDRV.SO");                   // capitals qualify
  Install("recdrv", "libgfxdrv.so");                               // valid, but later
  Install("recdrv", "other.so");                                   // not named as a driver
  bool configureEnabled = false;
  steps = {[&](PLAT_Dialog* d) {
    configureEnabled = PLAT_DialogIsEnabled(d, SETUP_ID_CONFIGURE);
    PLAT_DialogEnd(d, 0);
  }};
  vntest::TraceCapture trace;
  Run();
  EXPECT_EQ(vnSETUP_DriverFile(), "d-libgfxdrv.so");
  EXPECT_TRUE(configureEnabled);
  int found = 0;
  for (const std::string& line : trace.lines())
    if (line.find("[SETUP]: Found Korrath Software gfxdrv Driver") != std::string::npos) ++found;
  EXPECT_EQ(found, 1);
  EXPECT_TRUE(trace.contains(
      "[SETUP]: Found Korrath Software gfxdrv Driver [d-libgfxdrv.so]->[Recording driver]"));
}

TEST_F(SetupDialog, WithoutAValidDriverTheErrorBoxEndsSetup) {
  fs::copy_file(VN_DYNLIB_FIXTURE, dir.file("libgfxdrv.so"));
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(frames.empty());
  const std::vector<std::string> want = {
      "Setup Driver Error: There are no valid Korrath gfxdrv Drivers installed.  Please "
      "re-install."};
  EXPECT_EQ(boxes, want);
  EXPECT_EQ(vnSETUP_DriverFile(), "");
}

TEST_F(SetupDialog, ConfigureRecordsTheDriverEnablesPlayAndExitNoLongerAsks) {
  Install("recdrv", "libgfxdrv.so");
  bool playBefore = true, playAfter = false;
  steps = {[&](PLAT_Dialog* d) {
             playBefore = PLAT_DialogIsEnabled(d, SETUP_ID_PLAY);
             PLAT_DialogClick(d, SETUP_ID_CONFIGURE);
           },
           [&](PLAT_Dialog* d) {
             playAfter = PLAT_DialogIsEnabled(d, SETUP_ID_PLAY);
             PLAT_DialogClick(d, PLAT_IDCANCEL);
           }};
  EXPECT_EQ(Run(), PLAT_IDCANCEL);
  EXPECT_FALSE(playBefore);
  EXPECT_TRUE(playAfter);
  EXPECT_EQ(RecordedDriver(), RECDRV_GUID_TEXT);
  const std::vector<std::string> want = {kSuccess};
  EXPECT_EQ(boxes, want);
}

TEST_F(SetupDialog, TheConfiguredBoxIsCentredOnSetupAndShowsItsWholeText) {
  Install("recdrv", "libgfxdrv.so");
  PLAT_SetMessageBoxDriver(nullptr, nullptr);  // the box runs as the user sees it
  int sx = 0, sy = 0, sw = 0, sh = 0, bx = 0, by = 0, bw = 0, bh = 0, screenW = 0, screenH = 0;
  std::string text;
  PLAT_DlgRect drawn{};
  steps = {[&](PLAT_Dialog* d) {
             PLAT_GetWindowRect(PLAT_DialogWindow(d), &sx, &sy, &sw, &sh);
             PLAT_DialogClick(d, SETUP_ID_CONFIGURE);
           },
           [&](PLAT_Dialog* d) {
             ASSERT_EQ(PLAT_DialogTemplateId(d), PLAT_MSGBOX_DIALOG);
             PLAT_GetWindowRect(PLAT_DialogWindow(d), &bx, &by, &bw, &bh);
             text = PLAT_DialogGetText(d, PLAT_MSGBOX_TEXT);
           },
           [&](PLAT_Dialog* d) {
             EXPECT_TRUE(PLAT_DialogDrawnRect(d, PLAT_MSGBOX_TEXT, &drawn));
             PLAT_DialogClick(d, PLAT_IDOK);
           },
           [](PLAT_Dialog* d) { PLAT_DialogEnd(d, 0); }};
  ::testing::internal::CaptureStderr();
  Run();
  ::testing::internal::GetCapturedStderr();
  PLAT_GetDesktopSize(&screenW, &screenH);
  EXPECT_EQ(text, "Driver Successfully Configured!");
  EXPECT_NEAR(bx + bw / 2, sx + sw / 2, 1);
  EXPECT_NEAR(by + bh / 2, sy + sh / 2, 1);
  EXPECT_TRUE(bx >= 0 && by >= 0 && bx + bw <= screenW && by + bh <= screenH)
      << bx << "," << by << " " << bw << "x" << bh;
  EXPECT_GT(drawn.w, 0);
  EXPECT_LE(drawn.x + drawn.w, bw);
}

TEST_F(SetupDialog, AWizardThatDoesNotCompleteRecordsNothing) {
  Fail(Install("recdrv", "libgfxdrv.so"), "SPPD_Configure");
  bool play = true;
  steps = {Click(SETUP_ID_CONFIGURE), [&](PLAT_Dialog* d) {
             play = PLAT_DialogIsEnabled(d, SETUP_ID_PLAY);
             PLAT_DialogEnd(d, 0);
           }};
  Run();
  EXPECT_FALSE(play);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(RecordedDriver(), "");
}

TEST_F(SetupDialog, AChoiceThatCannotBeRecordedIsReportedAsAFailureNotASuccess) {
  Install("recdrv", "libgfxdrv.so");
  // The store's folder is a plain file: nothing can be written there, not even by root.
  std::string blocker = dir.write("blocker", "");
  ASSERT_EQ(setenv("VANTORIA_REGISTRY", (blocker + "/registry.txt").c_str(), 1), 0);
  PLAT_RegReload();
  bool play = true;
  answers = {PLAT_MsgBoxAnswer::Ok, PLAT_MsgBoxAnswer::Yes};
  steps = {Click(SETUP_ID_CONFIGURE), [&](PLAT_Dialog* d) {
             play = PLAT_DialogIsEnabled(d, SETUP_ID_PLAY);
             PLAT_DialogClick(d, PLAT_IDCANCEL);
           }};
  Run();
  ASSERT_EQ(setenv("VANTORIA_REGISTRY", registry.storePath().c_str(), 1), 0);
  PLAT_RegReload();
  EXPECT_FALSE(play);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_NE(boxes[0].find("could not be recorded"), std::string::npos) << boxes[0];
  EXPECT_EQ(boxes[0].find("Successfully"), std::string::npos) << boxes[0];
  EXPECT_EQ(boxes[1], kQuestion);
}

TEST_F(SetupDialog, ExitAsksOnlyWhileNoDriverIsRecorded) {
  Install("recdrv", "libgfxdrv.so");
  answers = {PLAT_MsgBoxAnswer::No, PLAT_MsgBoxAnswer::Yes};
  steps = {Click(PLAT_IDCANCEL), Click(PLAT_IDCANCEL)};
  EXPECT_EQ(Run(), PLAT_IDCANCEL);
  const std::vector<int32_t> stayedAfterNo = {SETUP_DLG_MAIN, SETUP_DLG_MAIN};
  EXPECT_EQ(frames, stayedAfterNo);
  const std::vector<std::string> asked = {kQuestion, kQuestion};
  EXPECT_EQ(boxes, asked);

  // A value left by an earlier run enables Play at once and Exit leaves without a question.
  RecordDriver(RECDRV_GUID_TEXT);
  boxes.clear();
  next = 0;
  bool play = false;
  steps = {[&](PLAT_Dialog* d) {
    play = PLAT_DialogIsEnabled(d, SETUP_ID_PLAY);
    PLAT_DialogRequestClose(d);  // the title bar's close button is Exit too
  }};
  EXPECT_EQ(Run(), PLAT_IDCANCEL);
  EXPECT_TRUE(play);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(SetupDialog, EnterEndsSetupAtOnceWithoutTheQuestion) {
  Install("recdrv", "libgfxdrv.so");
  steps = {[](PLAT_Dialog* d) { PLAT_DialogPressKey(d, PLAT_DlgKey::Enter); }};
  EXPECT_EQ(Run(), PLAT_IDOK);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(SetupDialog, TheWindowMenuOpensTheAboutBox) {
  Install("recdrv", "libgfxdrv.so");
  std::vector<std::string> about;
  steps = {[](PLAT_Dialog* d) { EXPECT_TRUE(PLAT_DialogMenu(d, SETUP_IDM_ABOUTBOX)); },
           [&](PLAT_Dialog* d) {
             EXPECT_TRUE(PLAT_DialogHasControl(d, PLAT_IDOK));
             PLAT_DialogPressKey(d, PLAT_DlgKey::Enter);
           },
           [](PLAT_Dialog* d) { PLAT_DialogEnd(d, 9); }};
  EXPECT_EQ(Run(), 9);
  const std::vector<int32_t> order = {SETUP_DLG_MAIN, SETUP_DLG_ABOUT, SETUP_DLG_MAIN};
  EXPECT_EQ(frames, order);
}

TEST_F(SetupDialog, PlayWithoutTheGameBesideItReportsTheLaunchFailureAndEnds) {
  Install("recdrv", "libgfxdrv.so");
  RecordDriver(RECDRV_GUID_TEXT);
  steps = {Click(SETUP_ID_PLAY)};
  EXPECT_EQ(Run(), 1);
  const std::vector<std::string> want = {
      "Launch Failure: There was a problem launching tha game!  Please Run from Installed Path."};
  EXPECT_EQ(boxes, want);
}

TEST(SetupRegistry, TheFirstReadCreatesTheKeysAndFailsThenWritesAreReadBack) {
  vntest::ScopedRegistry registry;
  PLAT_RegReload();
  PLAT_GUID guid{};
  int32_t created = 0;
  EXPECT_EQ(ReadDriverGuid(&guid, &created), -1);
  EXPECT_EQ(created, 1);
  created = 7;
  EXPECT_EQ(ReadDriverGuid(&guid, &created), -1);  // the key is there, the value is not
  EXPECT_EQ(created, 7);

  PLAT_GUID written{};
  ASSERT_TRUE(PLAT_GuidFromText(RECDRV_OTHER_GUID_TEXT, &written));
  EXPECT_EQ(WriteDriverGuid(&written, &created), 1);
  EXPECT_EQ(created, 0);
  EXPECT_EQ(RecordedDriver(), RECDRV_OTHER_GUID_TEXT);
  EXPECT_EQ(ReadDriverGuid(&guid, nullptr), 1);
  EXPECT_TRUE(PLAT_GuidEqual(guid, written));

  // Any readable value counts, even one that is no GUID.
  RecordDriver("not a guid");
  EXPECT_EQ(ReadDriverGuid(&guid, &created), 1);
  EXPECT_TRUE(PLAT_GuidEqual(guid, PLAT_GUID{}));
  EXPECT_EQ(ReadDriverGuid(nullptr, nullptr), -1);
  EXPECT_EQ(WriteDriverGuid(nullptr, nullptr), -1);
}

}  // namespace
