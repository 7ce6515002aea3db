#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <sstream>
#include <string>

#include "platform/dialog/dialog.h"
#include "platform/window/msgbox.h"
#include "platform/window/window.h"

namespace {

struct BoxCase {
  PLAT_MsgBoxButtons buttons;
  PLAT_MsgBoxAnswer answer;
};

void PrintTo(const BoxCase& c, std::ostream* os) { *os << "buttons" << static_cast<int>(c.buttons); }

class HeadlessMessageBox : public ::testing::TestWithParam<BoxCase> {};

TEST_P(HeadlessMessageBox, PrintsCaptionAndTextAndTakesTheFirstButton) {
  ASSERT_TRUE(PLAT_IsHeadless());
  ::testing::internal::CaptureStderr();
  PLAT_MsgBoxAnswer got = PLAT_MessageBox(nullptr, "Please uninstall", "Reinstall Required",
                                          GetParam().buttons, PLAT_MsgBoxIcon::Error);
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(got, GetParam().answer);
  EXPECT_NE(err.find("Reinstall Required: Please uninstall\n"), std::string::npos) << err;
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, HeadlessMessageBox,
    ::testing::Values(BoxCase{PLAT_MsgBoxButtons::Ok, PLAT_MsgBoxAnswer::Ok},
                      BoxCase{PLAT_MsgBoxButtons::OkCancel, PLAT_MsgBoxAnswer::Ok},
                      BoxCase{PLAT_MsgBoxButtons::YesNo, PLAT_MsgBoxAnswer::Yes},
                      BoxCase{PLAT_MsgBoxButtons::YesNoCancel, PLAT_MsgBoxAnswer::Yes}));

TEST(HeadlessMessageBoxText, MissingTextAndCaptionPrintEmpty) {
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(PLAT_MessageBox(nullptr, nullptr, nullptr, PLAT_MsgBoxButtons::Ok,
                            PLAT_MsgBoxIcon::None),
            PLAT_MsgBoxAnswer::Ok);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find(": \n"), std::string::npos);
}

}  // namespace

namespace {

struct DrivenBox {
  PLAT_MsgBoxAnswer answer;
  std::string seen;
  static bool Answer(const char* text, const char* caption, PLAT_MsgBoxButtons,
                     PLAT_MsgBoxIcon, PLAT_MsgBoxAnswer* out, void* user) {
    auto* self = static_cast<DrivenBox*>(user);
    self->seen = std::string(caption) + ": " + text;
    *out = self->answer;
    return true;
  }
};

TEST(MessageBoxDriver, AnswersInPlaceOfTheUserWithinTheBoxsButtons) {
  struct Case {
    PLAT_MsgBoxButtons buttons;
    PLAT_MsgBoxAnswer driven;
    PLAT_MsgBoxAnswer got;
  };
  const Case cases[] = {
      {PLAT_MsgBoxButtons::YesNo, PLAT_MsgBoxAnswer::No, PLAT_MsgBoxAnswer::No},
      {PLAT_MsgBoxButtons::OkCancel, PLAT_MsgBoxAnswer::Cancel, PLAT_MsgBoxAnswer::Cancel},
      // An answer the box does not offer counts as closing it.
      {PLAT_MsgBoxButtons::YesNo, PLAT_MsgBoxAnswer::Ok, PLAT_MsgBoxAnswer::No},
      {PLAT_MsgBoxButtons::Ok, PLAT_MsgBoxAnswer::Yes, PLAT_MsgBoxAnswer::Ok},
  };
  for (const Case& c : cases) {
    DrivenBox box{c.driven, {}};
    PLAT_SetMessageBoxDriver(DrivenBox::Answer, &box);
    EXPECT_EQ(PLAT_MessageBox(nullptr, "Sure?", "Question", c.buttons, PLAT_MsgBoxIcon::Question),
              c.got)
        << static_cast<int>(c.buttons) << " " << static_cast<int>(c.driven);
    EXPECT_EQ(box.seen, "Question: Sure?");
  }
  PLAT_SetMessageBoxDriver(nullptr, nullptr);
  EXPECT_EQ(PLAT_MessageBox(nullptr, "Sure?", "Question", PLAT_MsgBoxButtons::YesNo,
                            PLAT_MsgBoxIcon::Question),
            PLAT_MsgBoxAnswer::Yes);
}

}  // namespace

// The box as the user sees it: a dialog of its own, looked at through the dialog test hooks.
namespace {

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
};

// What the dialog driver saw of the box: its window before the first frame, its text and
// where the frame after drew the text and the first button; then it acts.
struct SeenBox {
  std::function<void(PLAT_Dialog*)> act;
  int32_t dialog = -1;
  Rect window;
  std::string text;
  bool drawn = false;
  PLAT_DlgRect textRect{}, buttonRect{};
  int frames = 0;

  static void Drive(PLAT_Dialog* d, void* user) {
    auto* s = static_cast<SeenBox*>(user);
    if (s->frames++ == 0) {
      s->dialog = PLAT_DialogTemplateId(d);
      PLAT_GetWindowRect(PLAT_DialogWindow(d), &s->window.x, &s->window.y, &s->window.w,
                         &s->window.h);
      s->text = PLAT_DialogGetText(d, PLAT_MSGBOX_TEXT);
      return;
    }
    const int32_t firstButton = PLAT_DialogHasControl(d, PLAT_IDOK) ? PLAT_IDOK : PLAT_MSGBOX_YES;
    s->drawn = PLAT_DialogDrawnRect(d, PLAT_MSGBOX_TEXT, &s->textRect) &&
               PLAT_DialogDrawnRect(d, firstButton, &s->buttonRect);
    if (s->act) s->act(d);
    else PLAT_DialogClick(d, firstButton);
  }
};

class BoxOnScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(PLAT_IsHeadless());
    PLAT_GetDesktopSize(&screenW, &screenH);
    ASSERT_GT(screenW, 0);
    // Setup's dialog is 264 by 219 pixels.
    owner = PLAT_CreateWindow("Owner", 264, 219, 0);
    ASSERT_NE(owner, nullptr);
  }
  void TearDown() override {
    PLAT_DialogSetDriver(nullptr, nullptr);
    PLAT_DestroyWindow(owner);
  }
  PLAT_MsgBoxAnswer Show(SeenBox* seen, const char* text,
                         PLAT_MsgBoxButtons buttons = PLAT_MsgBoxButtons::Ok) {
    PLAT_DialogSetDriver(SeenBox::Drive, seen);
    ::testing::internal::CaptureStderr();  // headless boxes print too
    PLAT_MsgBoxAnswer a = PLAT_MessageBox(owner, text, "Vantoria Setup", buttons,
                                          PLAT_MsgBoxIcon::Question);
    ::testing::internal::GetCapturedStderr();
    return a;
  }
  bool OnScreen(const Rect& r) const {
    return r.x >= 0 && r.y >= 0 && r.x + r.w <= screenW && r.y + r.h <= screenH;
  }

  int screenW = 0, screenH = 0;
  PLAT_Window* owner = nullptr;
};

std::string Words(const std::string& text) {
  std::istringstream in(text);
  std::string word, out;
  while (in >> word) out += (out.empty() ? "" : " ") + word;
  return out;
}

TEST_F(BoxOnScreen, IsCentredOnItsOwner) {
  PLAT_SetWindowPos(owner, 300, 200);
  SeenBox seen;
  EXPECT_EQ(Show(&seen, "Driver Successfully Configured!"), PLAT_MsgBoxAnswer::Ok);
  EXPECT_EQ(seen.dialog, PLAT_MSGBOX_DIALOG);
  EXPECT_EQ(seen.text, "Driver Successfully Configured!");
  ASSERT_GT(seen.window.w, 0);
  EXPECT_NEAR(seen.window.x + seen.window.w / 2, 300 + 264 / 2, 1);
  EXPECT_NEAR(seen.window.y + seen.window.h / 2, 200 + 219 / 2, 1);
}

TEST_F(BoxOnScreen, StaysInsideTheScreenWhenItsOwnerIsNearAnEdge) {
  struct Case {
    const char* name;
    int x, y;
  };
  const Case cases[] = {{"right edge", screenW - 40, 100},
                        {"bottom right corner", screenW - 30, screenH - 20},
                        {"above the top left corner", -200, -150}};
  for (const Case& c : cases) {
    PLAT_SetWindowPos(owner, c.x, c.y);
    SeenBox seen;
    Show(&seen, "Are you sure you want to exit without completing the setup process?",
         PLAT_MsgBoxButtons::YesNo);
    EXPECT_TRUE(OnScreen(seen.window)) << c.name << ": " << seen.window.x << "," << seen.window.y
                                       << " " << seen.window.w << "x" << seen.window.h;
    EXPECT_EQ(Words(seen.text),
              "Are you sure you want to exit without completing the setup process?")
        << c.name;
  }
}

TEST_F(BoxOnScreen, ALongTextWrapsAndEveryLineIsShownAboveTheButtons) {
  SeenBox oneLine;
  Show(&oneLine, "Driver Successfully Configured!");
  ASSERT_TRUE(oneLine.drawn);

  std::string text;
  for (int i = 0; i < 6; ++i)
    text += "There was a problem launching the game!  Please Run from Installed Path. ";
  SeenBox seen;
  Show(&seen, text.c_str());
  ASSERT_TRUE(seen.drawn);
  const int lines = 1 + static_cast<int>(std::count(seen.text.begin(), seen.text.end(), '\n'));
  EXPECT_GE(lines, 3) << seen.text;
  EXPECT_EQ(Words(seen.text), Words(text));  // no word lost or cut at the break
  EXPECT_TRUE(OnScreen(seen.window));
  // Drawn as laid out: one line of the font for each line, inside the box, over the buttons.
  EXPECT_EQ(seen.textRect.h, lines * oneLine.textRect.h);
  EXPECT_GE(seen.textRect.x, 0);
  EXPECT_LE(seen.textRect.x + seen.textRect.w, seen.window.w);
  EXPECT_GE(seen.textRect.y, 0);
  EXPECT_LE(seen.textRect.y + seen.textRect.h, seen.buttonRect.y);
  EXPECT_LE(seen.buttonRect.y + seen.buttonRect.h, seen.window.h);
}

TEST_F(BoxOnScreen, ButtonsAnswerAndEscapeOrCloseCountAsTheLastButton) {
  struct Case {
    const char* name;
    PLAT_MsgBoxButtons buttons;
    std::function<void(PLAT_Dialog*)> act;
    PLAT_MsgBoxAnswer answer;
  };
  const Case cases[] = {
      {"no", PLAT_MsgBoxButtons::YesNo, [](PLAT_Dialog* d) { PLAT_DialogClick(d, PLAT_MSGBOX_NO); },
       PLAT_MsgBoxAnswer::No},
      {"enter", PLAT_MsgBoxButtons::YesNo,
       [](PLAT_Dialog* d) { PLAT_DialogPressKey(d, PLAT_DlgKey::Enter); }, PLAT_MsgBoxAnswer::Yes},
      {"escape", PLAT_MsgBoxButtons::YesNo,
       [](PLAT_Dialog* d) { PLAT_DialogPressKey(d, PLAT_DlgKey::Escape); }, PLAT_MsgBoxAnswer::No},
      {"close", PLAT_MsgBoxButtons::Ok, [](PLAT_Dialog* d) { PLAT_DialogRequestClose(d); },
       PLAT_MsgBoxAnswer::Ok},
      {"cancel", PLAT_MsgBoxButtons::YesNoCancel,
       [](PLAT_Dialog* d) { PLAT_DialogClick(d, PLAT_IDCANCEL); }, PLAT_MsgBoxAnswer::Cancel},
  };
  for (const Case& c : cases) {
    SeenBox seen;
    seen.act = c.act;
    EXPECT_EQ(Show(&seen, "Sure?", c.buttons), c.answer) << c.name;
  }
}

}  // namespace
