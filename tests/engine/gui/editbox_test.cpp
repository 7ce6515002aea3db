// The edit box, typed into through the keyboard device while it holds the focus.
#include <gtest/gtest.h>

#include <string>

#include "tests/engine/gui/gui_fixture.h"

namespace guitest {
namespace {

constexpr int32_t kEscape = 1, kBackspace = 14, kEnter = 28, kLeft = 75, kHome = 71,
                  kDelete = 211, kShift = KOINPUT_KEY_LSHIFT, kCtrl = KOINPUT_KEY_LCTRL;
constexpr int32_t kA = 30, kS = 31, kD = 32, kF = 33, kOne = 2, kSemicolon = 39,
                  kApostrophe = 40, kSlash = 53, kSpace = 57;

class EditBox : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    if (HasFatalFailure()) return;
    box = Make(VNTT_GUI_EDITBOX, 0, 100, 100, 200, 20);
    ASSERT_NE(box, nullptr);
    ASSERT_NE(box->pTask, nullptr);
  }
  std::string Text() {
    char buf[300];
    std::memset(buf, 'Z', sizeof buf);
    SGE_Send(box->pTask, SGM_EDIT_GET_TEXT, SGE_PtrParam(buf), sizeof buf);
    return buf;
  }
  void SetText(const std::string& text) {
    SGE_Send(box->pTask, SGM_EDIT_SET_TEXT, SGE_PtrParam(text.c_str()), 0);
  }
  std::pair<int32_t, int32_t> Cursor() {
    int32_t cursor = -9, anchor = -9;
    SGE_Send(box->pTask, SGM_EDIT_GET_CURSOR, SGE_PtrParam(&cursor),
             SGE_PtrParam(&anchor));
    return {cursor, anchor};
  }
  void Focus() {
    ClickAt(150, 110);
    ASSERT_EQ(GUI_GetFocus(), box);
  }
  void Shifted(int32_t key) {
    Key(kShift, true);
    Tap(key);
    Key(kShift, false);
  }
  GUI_CONTROL* box = nullptr;
};

TEST_F(EditBox, KeysTypeTheirCharactersWithShiftChoosingTheColumn) {
  Focus();
  Tap(kA);
  Shifted(kS);
  Shifted(kOne);
  Tap(kApostrophe);  // no shifted character: types nothing
  Shifted(kApostrophe);
  Shifted(kSemicolon);
  Tap(kSpace);
  Shifted(kSlash);
  Key(kCtrl, true);  // with Ctrl down nothing types
  Tap(kD);
  Key(kCtrl, false);
  EXPECT_EQ(Text(), "aS!; ?");
  EXPECT_EQ(Cursor(), std::make_pair(6, 6));
}

TEST_F(EditBox, CursorKeysAndDeletionEditInPlace) {
  Focus();
  for (int32_t k : {kA, kS, kD, kF}) Tap(k);
  Tap(kLeft);
  Tap(kLeft);
  Tap(kBackspace);  // the character before the cursor
  EXPECT_EQ(Text(), "adf");
  EXPECT_EQ(Cursor(), std::make_pair(1, 1));
  Shifted(kHome);  // selects back to the start
  EXPECT_EQ(Cursor(), std::make_pair(0, 1));
  Tap(kS);  // the selection goes first
  EXPECT_EQ(Text(), "sdf");
  Tap(kDelete);
  EXPECT_EQ(Text(), "sf");
}

TEST_F(EditBox, AHeldKeyRepeatsAfterADelay) {
  Focus();
  Key(kA, true);
  Frames(10);  // 0.22 s held: no repeat yet
  EXPECT_EQ(Text(), "a");
  Frames(30);  // then one character every other frame of 20 ms
  const size_t typed = Text().size();
  EXPECT_GE(typed, 10u);
  EXPECT_LE(typed, 18u);
  Key(kA, false);
  Frames(10);
  EXPECT_EQ(Text().size(), typed);
}

TEST_F(EditBox, EscapeRestoresTheTextItHadWhenTheFocusCame) {
  SetText("Kim");
  Focus();
  Tap(kA);
  Tap(kBackspace);
  Tap(kBackspace);
  Tap(kS);
  EXPECT_EQ(Text(), "Kis");
  OwnerLog().clear();
  Tap(kEscape);
  EXPECT_EQ(Text(), "Kim");
  EXPECT_EQ(Count(SGM_EDIT_CANCEL), 1);
  EXPECT_EQ(Count(SGM_EDIT_ACCEPT), 0);
  EXPECT_EQ(GUI_GetFocus(), nullptr);
  EXPECT_EQ(SGE_Send(box->pTask, SGM_EDIT_IS_DONE, 0, 0), 0);
  Tap(kA);  // without the focus nothing types
  EXPECT_EQ(Text(), "Kim");
}

TEST_F(EditBox, EnterAcceptsAndReleasesTheFocus) {
  Focus();
  Tap(kD);
  OwnerLog().clear();
  Tap(kEnter);
  EXPECT_EQ(Count(SGM_EDIT_ACCEPT), 1);
  EXPECT_EQ(Count(SGM_GUI_FOCUS_LOST), 1);
  EXPECT_EQ(GUI_GetFocus(), nullptr);
  EXPECT_EQ(SGE_Send(box->pTask, SGM_EDIT_IS_DONE, 0, 0), 1);
  EXPECT_EQ(Text(), "d");
}

TEST_F(EditBox, TheMaximumLengthCountsTheEnd) {
  SGE_Send(box->pTask, SGM_EDIT_RESET, 8, 0);
  Focus();
  for (int i = 0; i < 10; ++i) Tap(i % 2 ? kA : kS);
  EXPECT_EQ(Text(), "sasasas");
}

TEST_F(EditBox, AMaximumBeyondTheBufferIsCutToIt) {
  SGE_Send(box->pTask, SGM_EDIT_RESET, 100000, 0);
  SetText(std::string(253, 'x'));
  Focus();
  for (int i = 0; i < 5; ++i) Tap(kA);
  EXPECT_EQ(Text(), std::string(253, 'x') + "aa");
}

TEST_F(EditBox, SetTextKeepsAtMost255CharactersAndTheEnd) {
  SetText(std::string(400, 'q'));
  EXPECT_EQ(Text(), std::string(255, 'q'));
  EXPECT_EQ(Cursor(), std::make_pair(255, 255));
  char small[4] = {'Z', 'Z', 'Z', 'Z'};
  SGE_Send(box->pTask, SGM_EDIT_GET_TEXT, SGE_PtrParam(small), 3);
  EXPECT_EQ(std::string(small), "qq");
  EXPECT_EQ(small[3], 'Z');
}

TEST_F(EditBox, TheCursorIsKeptInsideTheText) {
  SetText("abcd");
  struct Case {
    SGE_PARAM cursor, anchor;
    int32_t wantCursor, wantAnchor;
  };
  const Case cases[] = {{2, -1, 2, 2}, {1, 3, 1, 3}, {500, 7, 4, 4}, {-5, -1, 0, 0},
                        {-5, -20, 0, 0}, {3, 1000, 3, 4}};
  for (const Case& c : cases) {
    SGE_Send(box->pTask, SGM_EDIT_SET_CURSOR, c.cursor, c.anchor);
    EXPECT_EQ(Cursor(), std::make_pair(c.wantCursor, c.wantAnchor)) << c.cursor << " " << c.anchor;
  }
  SGE_Send(box->pTask, SGM_EDIT_SET_CURSOR, 500, 500);
  Focus();
  Tap(kA);  // typing at a clamped cursor appends
  EXPECT_EQ(Text(), "abcda");
}

TEST_F(EditBox, AClickElsewhereTakesTheFocusAway) {
  GUI_CONTROL* other = Make(VNTT_GUI_EDITBOX, 0, 100, 200, 200, 20);
  Focus();
  ClickAt(150, 210);
  EXPECT_EQ(GUI_GetFocus(), other);
  ClickAt(500, 400);
  EXPECT_EQ(GUI_GetFocus(), nullptr);
}

TEST_F(EditBox, AButtonClickedWhileTheBoxHasTheFocusStillActivates) {
  GUI_CONTROL* ok = Button(GUI_PB_CLICK, 100, 300);
  Focus();
  OwnerLog().clear();
  ClickAt(110, 310);
  EXPECT_EQ(Count(SGM_GUI_FOCUS_LOST), 2);  // the box's, then the button's after its click
  ASSERT_EQ(Count(SGM_GUI_ACTIVATE), 1);
  EXPECT_EQ(OwnerLog().back().p1, SGE_PtrParam(ok));
}

}  // namespace
}  // namespace guitest
