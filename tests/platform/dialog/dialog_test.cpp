// Dialogs from templates, driven headless by control id as a user would drive them.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/dialog/dialog.h"
#include "platform/window/msgbox.h"
#include "platform/window/window.h"
#include "tests/support/support.h"

namespace {

constexpr int32_t kList = 1002;
constexpr int32_t kCheck = 1001;
constexpr int32_t kApply = 1000;
constexpr int32_t kCombo = 1003;
constexpr int32_t kAbout = 16;

const PLAT_DlgControl kControls[] = {
    {PLAT_IDOK, PLAT_DlgKind::DefPushButton, "Next", 120, 100, 50, 14},
    {PLAT_IDCANCEL, PLAT_DlgKind::PushButton, "Cancel", 120, 118, 50, 14},
    {kApply, PLAT_DlgKind::PushButton, "&Настроить", 120, 7, 50, 14},
    {kCheck, PLAT_DlgKind::CheckBox, "32 Bit && more", 7, 100, 100, 10},
    {kList, PLAT_DlgKind::ListBox, nullptr, 7, 7, 100, 60},
    {kCombo, PLAT_DlgKind::ComboBox, nullptr, 7, 70, 100, 40},
    {PLAT_IDSTATIC, PLAT_DlgKind::Static, "Choose one", 7, 120, 100, 10},
    {PLAT_IDSTATIC, PLAT_DlgKind::Picture, nullptr, 175, 7, 40, 40},
};
const PLAT_DlgMenuItem kMenu[] = {{kAbout, "&About..."}};
const PLAT_DlgTemplate kTemplate = {77, "Test dialog", 220, 140, kControls,
                                    static_cast<int32_t>(std::size(kControls)), kMenu, 1};

// A dialog procedure that records what it receives and lets a test decide what it handles.
struct Recorder {
  std::vector<std::string> log;
  std::function<bool(PLAT_Dialog*, PLAT_DlgMsg, int32_t)> handle;
  std::function<void(PLAT_Dialog*)> init;

  static bool Proc(PLAT_Dialog* d, PLAT_DlgMsg msg, int32_t id, void* user) {
    auto* r = static_cast<Recorder*>(user);
    static const char* const kNames[] = {"init", "command", "syscommand", "close"};
    r->log.push_back(std::string(kNames[static_cast<int>(msg)]) + " " + std::to_string(id));
    if (msg == PLAT_DlgMsg::Init && r->init) r->init(d);
    return r->handle ? r->handle(d, msg, id) : false;
  }
};

// The test driver: runs the next action each frame.
struct Script {
  std::vector<std::function<void(PLAT_Dialog*)>> steps;
  size_t next = 0;
  static void Drive(PLAT_Dialog* d, void* user) {
    auto* s = static_cast<Script*>(user);
    if (s->next < s->steps.size()) s->steps[s->next++](d);
  }
};

class Dialog : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(PLAT_IsHeadless()); }
  void TearDown() override {
    PLAT_DialogSetDriver(nullptr, nullptr);
    PLAT_SetMessageBoxDriver(nullptr, nullptr);
  }
  int32_t Run(Recorder* r, Script* s, const PLAT_DlgTemplate& t = kTemplate) {
    PLAT_DialogSetDriver(Script::Drive, s);
    return PLAT_DialogRun(nullptr, t, Recorder::Proc, r);
  }
};

TEST_F(Dialog, ClicksAndPicksReachTheProcedureAsCommandsAndChangeTheControls) {
  Recorder r;
  r.init = [](PLAT_Dialog* d) {
    EXPECT_EQ(PLAT_DialogListAdd(d, kList, "first"), 0);
    EXPECT_EQ(PLAT_DialogListAdd(d, kList, "second"), 1);
    EXPECT_EQ(PLAT_DialogListAdd(d, kCombo, "only"), 0);
    PLAT_DialogListSetSel(d, kList, 0);
    PLAT_DialogEnable(d, kApply, false);
  };
  Script s;
  bool clickedDisabled = true;
  int32_t checkAfter = -1, selAfter = -1, comboAfter = -1;
  s.steps = {
      [&](PLAT_Dialog* d) { clickedDisabled = PLAT_DialogClick(d, kApply); },
      [&](PLAT_Dialog* d) { EXPECT_TRUE(PLAT_DialogPick(d, kList, 1)); },
      [&](PLAT_Dialog* d) { EXPECT_FALSE(PLAT_DialogPick(d, kList, 2)); },
      [&](PLAT_Dialog* d) { EXPECT_TRUE(PLAT_DialogPick(d, kCombo, 0)); },
      [&](PLAT_Dialog* d) { EXPECT_TRUE(PLAT_DialogClick(d, kCheck)); },
      [&](PLAT_Dialog* d) {
        checkAfter = PLAT_DialogGetCheck(d, kCheck);
        selAfter = PLAT_DialogListGetSel(d, kList);
        comboAfter = PLAT_DialogListGetSel(d, kCombo);
        EXPECT_STREQ(PLAT_DialogListText(d, kList, 1), "second");
        EXPECT_EQ(PLAT_DialogListText(d, kList, 2), nullptr);
        EXPECT_FALSE(PLAT_DialogClick(d, PLAT_IDSTATIC));
        PLAT_DialogClick(d, PLAT_IDOK);
      },
  };
  EXPECT_EQ(Run(&r, &s), PLAT_IDOK);
  EXPECT_FALSE(clickedDisabled);
  EXPECT_EQ(checkAfter, 1);
  EXPECT_EQ(selAfter, 1);
  EXPECT_EQ(comboAfter, 0);
  const std::vector<std::string> want = {"init 0", "command 1002", "command 1003", "command 1001",
                                         "command 1"};
  EXPECT_EQ(r.log, want);
}

TEST_F(Dialog, KeysAndTheCloseButtonEndTheDialogThroughTheDefaultHandling) {
  struct Case {
    const char* name;
    std::function<void(PLAT_Dialog*)> act;
    int32_t result;
    const char* lastMessage;
  };
  const Case cases[] = {
      {"escape", [](PLAT_Dialog* d) { PLAT_DialogPressKey(d, PLAT_DlgKey::Escape); }, 2, "command 2"},
      {"enter presses the default button",
       [](PLAT_Dialog* d) { PLAT_DialogPressKey(d, PLAT_DlgKey::Enter); }, 1, "command 1"},
      {"close becomes cancel", [](PLAT_Dialog* d) { PLAT_DialogRequestClose(d); }, 2, "command 2"},
      {"end", [](PLAT_Dialog* d) { PLAT_DialogEnd(d, 42); }, 42, "init 0"},
  };
  for (const Case& c : cases) {
    Recorder r;
    Script s;
    s.steps = {c.act};
    EXPECT_EQ(Run(&r, &s), c.result) << c.name;
    EXPECT_EQ(r.log.back(), c.lastMessage) << c.name;
  }
}

// Events as the window system delivers them to the dialog's window.
void Post(PLAT_Dialog* d, SDL_Event e) {
  auto* sdl = static_cast<SDL_Window*>(PLAT_NativeWindow(PLAT_DialogWindow(d)));
  ASSERT_NE(sdl, nullptr);
  const Uint32 id = SDL_GetWindowID(sdl);
  if (e.type == SDL_WINDOWEVENT) e.window.windowID = id;
  else e.key.windowID = id;
  ASSERT_EQ(SDL_PushEvent(&e), 1);
}

void PostKey(PLAT_Dialog* d, SDL_Keycode key, Uint16 mod = KMOD_NONE) {
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.state = SDL_PRESSED;
  e.key.keysym.sym = key;
  e.key.keysym.mod = mod;
  Post(d, e);
}

TEST_F(Dialog, TheWindowSystemsKeysAndCloseButtonReachTheDialog) {
  struct Case {
    const char* name;
    std::function<void(PLAT_Dialog*)> act;
    const char* lastMessage;
  };
  const Case cases[] = {
      {"return", [](PLAT_Dialog* d) { PostKey(d, SDLK_RETURN); }, "command 1"},
      {"escape", [](PLAT_Dialog* d) { PostKey(d, SDLK_ESCAPE); }, "command 2"},
      {"close button",
       [](PLAT_Dialog* d) {
         SDL_Event e{};
         e.type = SDL_WINDOWEVENT;
         e.window.event = SDL_WINDOWEVENT_CLOSE;
         Post(d, e);
       },
       "command 2"},
  };
  for (const Case& c : cases) {
    Recorder r;
    Script s;
    s.steps = {c.act, [](PLAT_Dialog* d) { PLAT_DialogEnd(d, -5); }};
    Run(&r, &s);
    EXPECT_EQ(r.log.back(), c.lastMessage) << c.name;
  }
  // Escape first closes an open window menu; only the next one cancels.
  Recorder r;
  Script s;
  bool openAfterFirst = false;
  s.steps = {[](PLAT_Dialog* d) { PostKey(d, SDLK_SPACE, KMOD_LALT); },
             [](PLAT_Dialog*) {},
             [](PLAT_Dialog* d) { PostKey(d, SDLK_ESCAPE); },
             [&](PLAT_Dialog* d) {
               openAfterFirst = !PLAT_DialogEnded(d);
               PostKey(d, SDLK_ESCAPE);
             },
             [](PLAT_Dialog* d) { PLAT_DialogEnd(d, -5); }};
  EXPECT_EQ(Run(&r, &s), PLAT_IDCANCEL);
  EXPECT_TRUE(openAfterFirst);
}

TEST_F(Dialog, EnterWithoutADefaultButtonSendsOk) {
  const PLAT_DlgControl controls[] = {{1000, PLAT_DlgKind::PushButton, "Go", 5, 5, 40, 14}};
  const PLAT_DlgTemplate t = {78, "No default", 60, 30, controls, 1, nullptr, 0};
  Recorder r;
  Script s;
  s.steps = {[](PLAT_Dialog* d) { PLAT_DialogPressKey(d, PLAT_DlgKey::Enter); }};
  EXPECT_EQ(Run(&r, &s, t), PLAT_IDOK);
  EXPECT_EQ(r.log.back(), "command 1");
}

TEST_F(Dialog, AHandledCancelKeepsTheDialogOpen) {
  Recorder r;
  int cancels = 0;
  r.handle = [&](PLAT_Dialog* d, PLAT_DlgMsg msg, int32_t id) {
    if (msg != PLAT_DlgMsg::Command || id != PLAT_IDCANCEL) return false;
    if (++cancels == 2) PLAT_DialogEnd(d, 7);
    return true;
  };
  Script s;
  s.steps = {[](PLAT_Dialog* d) { PLAT_DialogClick(d, PLAT_IDCANCEL); },
             [](PLAT_Dialog* d) { EXPECT_FALSE(PLAT_DialogEnded(d)); },
             [](PLAT_Dialog* d) { PLAT_DialogClick(d, PLAT_IDCANCEL); }};
  EXPECT_EQ(Run(&r, &s), 7);
  EXPECT_EQ(cancels, 2);
}

TEST_F(Dialog, WindowMenuItemsArriveAsSystemCommands) {
  Recorder r;
  Script s;
  bool unknown = true;
  s.steps = {[&](PLAT_Dialog* d) { unknown = PLAT_DialogMenu(d, 99); },
             [](PLAT_Dialog* d) { EXPECT_TRUE(PLAT_DialogMenu(d, kAbout)); },
             [](PLAT_Dialog* d) { PLAT_DialogEnd(d, 0); }};
  Run(&r, &s);
  EXPECT_FALSE(unknown);
  const std::vector<std::string> want = {"init 0", "syscommand 16"};
  EXPECT_EQ(r.log, want);
}

const PLAT_DlgControl kInnerControls[] = {{PLAT_IDOK, PLAT_DlgKind::DefPushButton, "OK", 5, 5, 40, 14}};
const PLAT_DlgTemplate kInner = {79, "Inner", 60, 30, kInnerControls, 1, nullptr, 0};

TEST_F(Dialog, ADialogOpenedByACommandRunsOnTopAndHandsBackToItsOwner) {
  Recorder outer;
  Recorder innerRec;
  int32_t innerResult = 0;
  PLAT_Window* innerOwner = nullptr;
  outer.handle = [&](PLAT_Dialog* d, PLAT_DlgMsg msg, int32_t id) {
    if (msg != PLAT_DlgMsg::Command || id != kApply) return false;
    innerOwner = PLAT_DialogWindow(d);
    innerResult = PLAT_DialogRun(PLAT_DialogWindow(d), kInner, Recorder::Proc, &innerRec);
    return true;
  };
  std::vector<int32_t> seen;
  Script s;
  auto drive = [&](PLAT_Dialog* d) {
    seen.push_back(PLAT_DialogTemplateId(d));
    if (PLAT_DialogTemplateId(d) == 79) PLAT_DialogPressKey(d, PLAT_DlgKey::Enter);
    else if (seen.size() == 1) PLAT_DialogClick(d, kApply);
    else PLAT_DialogEnd(d, 5);
  };
  s.steps = {drive, drive, drive};
  EXPECT_EQ(Run(&outer, &s), 5);
  EXPECT_EQ(innerResult, PLAT_IDOK);
  EXPECT_NE(innerOwner, nullptr);
  const std::vector<int32_t> order = {77, 79, 77};
  EXPECT_EQ(seen, order);
}

uint32_t BigEndian(const std::string& s, size_t at) {
  return (uint32_t(uint8_t(s[at])) << 24) | (uint32_t(uint8_t(s[at + 1])) << 16) |
         (uint32_t(uint8_t(s[at + 2])) << 8) | uint32_t(uint8_t(s[at + 3]));
}

// A dialog whose Apply runs the inner one over it.
Recorder OpenerOfInner(PLAT_Dialog** outer) {
  Recorder r;
  r.handle = [outer](PLAT_Dialog* d, PLAT_DlgMsg msg, int32_t id) {
    if (msg != PLAT_DlgMsg::Command || id != kApply) return false;
    *outer = d;
    PLAT_DialogRun(PLAT_DialogWindow(d), kInner, nullptr, nullptr);
    return true;
  };
  return r;
}

TEST_F(Dialog, ADialogBeneathIsDrawnWhenCoveredAndRepaintedWhenUncovered) {
  vntest::TempDir dir;
  const std::string png = dir.file("beneath.png");
  PLAT_Dialog* outerDlg = nullptr;
  Recorder outer = OpenerOfInner(&outerDlg);
  bool drawnUnderInner = false, drawnBeforeExposed = true, drawnAfterExposed = false;
  Script s;
  // The outer dialog opens the inner one before it has drawn a frame of its own, as Setup's
  // Exit asks its question; it is saved as soon as a frame draws it.
  s.steps = {[&](PLAT_Dialog* d) {
               ASSERT_TRUE(PLAT_DialogSnapshot(d, png.c_str()));
               PLAT_DialogClick(d, kApply);
             },
             [&](PLAT_Dialog*) {
               drawnUnderInner = std::filesystem::exists(png);
               std::filesystem::remove(png);
               ASSERT_TRUE(PLAT_DialogSnapshot(outerDlg, png.c_str()));
             },
             [&](PLAT_Dialog*) {
               drawnBeforeExposed = std::filesystem::exists(png);
               SDL_Event e{};
               e.type = SDL_WINDOWEVENT;
               e.window.event = SDL_WINDOWEVENT_EXPOSED;
               Post(outerDlg, e);
             },
             [&](PLAT_Dialog* d) {
               drawnAfterExposed = std::filesystem::exists(png);
               PLAT_DialogPressKey(d, PLAT_DlgKey::Enter);
             },
             [](PLAT_Dialog* d) { PLAT_DialogEnd(d, 0); }};
  Run(&outer, &s);
  EXPECT_TRUE(drawnUnderInner);
  EXPECT_FALSE(drawnBeforeExposed);
  EXPECT_TRUE(drawnAfterExposed);
  std::string bytes = vntest::readFile(png);
  ASSERT_GT(bytes.size(), 24u);
  EXPECT_EQ(BigEndian(bytes, 16), 330u);  // the outer dialog's 220 by 140 units
  EXPECT_EQ(BigEndian(bytes, 20), 228u);
}

TEST_F(Dialog, NobodyToAnswerAHeadlessDialogCancelsIt) {
  Recorder r;
  EXPECT_EQ(PLAT_DialogRun(nullptr, kTemplate, Recorder::Proc, &r), PLAT_IDCANCEL);
  Recorder stubborn;
  stubborn.handle = [](PLAT_Dialog*, PLAT_DlgMsg msg, int32_t) { return msg == PLAT_DlgMsg::Command; };
  EXPECT_EQ(PLAT_DialogRun(nullptr, kTemplate, Recorder::Proc, &stubborn), -1);
}

TEST_F(Dialog, MalformedTemplatesAreRefused) {
  PLAT_DlgTemplate t = kTemplate;
  t.controls = nullptr;
  Recorder r;
  EXPECT_EQ(PLAT_DialogRun(nullptr, t, Recorder::Proc, &r), -1);
  t = kTemplate;
  t.width = 0;
  EXPECT_EQ(PLAT_DialogRun(nullptr, t, Recorder::Proc, &r), -1);
  EXPECT_TRUE(r.log.empty());
}

TEST_F(Dialog, ASnapshotIsAPngOfTheDialogsPixelSize) {
  vntest::TempDir dir;
  const std::string png = dir.file("dialog.png");
  Recorder r;
  Script s;
  s.steps = {[&](PLAT_Dialog* d) { ASSERT_TRUE(PLAT_DialogSnapshot(d, png.c_str())); },
             [](PLAT_Dialog* d) { PLAT_DialogEnd(d, 0); }};
  Run(&r, &s);
  std::string bytes = vntest::readFile(png);
  ASSERT_GT(bytes.size(), 24u);
  EXPECT_EQ(bytes.substr(1, 3), "PNG");
  EXPECT_EQ(BigEndian(bytes, 16), 330u);  // 220 units of 6/4 pixels
  EXPECT_EQ(BigEndian(bytes, 20), 228u);  // 140 units of 13/8 pixels
}

TEST_F(Dialog, AScriptPressesControlsAndAnswersMessageBoxes) {
  vntest::TempDir dir;
  std::string script = dir.write("steps.txt",
                                 "# pick, ask, then finish\n"
                                 "77 pick 1002 1\n"
                                 "77 click 1000\n"
                                 "answer no\n"
                                 "77 key enter   # the default button\n");
  ASSERT_TRUE(PLAT_DialogLoadScript(script.c_str()));
  Recorder r;
  r.init = [](PLAT_Dialog* d) {
    PLAT_DialogListAdd(d, kList, "a");
    PLAT_DialogListAdd(d, kList, "b");
  };
  PLAT_MsgBoxAnswer answer = PLAT_MsgBoxAnswer::Ok;
  r.handle = [&](PLAT_Dialog*, PLAT_DlgMsg msg, int32_t id) {
    if (msg != PLAT_DlgMsg::Command || id != kApply) return false;
    answer = PLAT_MessageBox(nullptr, "Sure?", "Question", PLAT_MsgBoxButtons::YesNo,
                             PLAT_MsgBoxIcon::Question);
    return true;
  };
  EXPECT_EQ(PLAT_DialogRun(nullptr, kTemplate, Recorder::Proc, &r), PLAT_IDOK);
  PLAT_SetMessageBoxDriver(nullptr, nullptr);
  EXPECT_EQ(answer, PLAT_MsgBoxAnswer::No);
  const std::vector<std::string> want = {"init 0", "command 1002", "command 1000", "command 1"};
  EXPECT_EQ(r.log, want);
}

TEST_F(Dialog, AScriptWithABadLineIsRefusedNamingTheLine) {
  vntest::TempDir dir;
  struct Case {
    const char* text;
    const char* fault;
  };
  const Case cases[] = {{"77 click\n", "line 1 "},
                        {"77 click 1\n77 jump 3\n", "line 2 "},
                        {"answer maybe\n", "line 1 "},
                        {"x click 1\n", "line 1 "},
                        {"77 pick 1002 one\n", "line 1 "},
                        {"77 key space\n", "line 1 "}};
  for (const Case& c : cases) {
    vntest::TraceCapture trace;
    std::string path = dir.write("bad.txt", c.text);
    EXPECT_FALSE(PLAT_DialogLoadScript(path.c_str())) << c.text;
    EXPECT_TRUE(trace.contains(c.fault)) << c.text;
  }
  EXPECT_FALSE(PLAT_DialogLoadScript(dir.file("missing.txt").c_str()));
}

}  // namespace
