#include <gtest/gtest.h>

#include <ostream>
#include <string>

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
