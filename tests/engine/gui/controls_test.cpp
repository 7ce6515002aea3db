// Controls, focus and push buttons, driven by pointer input through the input devices.
#include <gtest/gtest.h>

#include <bit>
#include <string>

#include "platform/files.h"

#include "tests/engine/gui/gui_fixture.h"
#include "tools/writers/gui_writer.h"

namespace guitest {
namespace {

uint32_t Flags(GUI_CONTROL* c) { return static_cast<uint32_t>(SGE_Send(c->pTask, SGM_GUI_GET_FLAGS, 0, 0)); }

int32_t AcceptsRightHalf(GUI_CONTROL*, const SPW_POINT* p) { return p->x >= 0; }

TEST_F(GuiTest, ThePointerFindsTheDeepestVisibleControl) {
  GUI_CONTROL* panel = Button(GUI_PB_CLICK, 100, 100, 200, 100);
  GUI_CONTROL* inner = Make(VNTT_GUI_PUSHBUTTON, GUI_PB_CLICK, 120, 120, 60, 40, panel);
  GUI_CONTROL* deepest = Make(VNTT_GUI_PUSHBUTTON, GUI_PB_CLICK, 130, 130, 20, 20, inner);
  // Sticks out of the panel on the right: the part outside is clipped away.
  GUI_CONTROL* overhang = Make(VNTT_GUI_PUSHBUTTON, GUI_PB_CLICK, 280, 110, 60, 20, panel);
  // Higher key, lying over the panel's lower right, hit only on its right half.
  GUI_CONTROL* picky = Make(VNTT_GUI_PUSHBUTTON, GUI_PB_CLICK, 240, 160, 40, 20, nullptr, 5,
                            &AcceptsRightHalf);
  struct Case {
    const char* what;
    int32_t x, y;
    GUI_CONTROL* want;
  };
  const Case cases[] = {
      {"deepest child", 135, 135, deepest},
      {"middle child around it", 125, 125, inner},
      {"panel only", 200, 110, panel},
      {"right and bottom edges are outside", 150, 150, inner},
      {"overhang inside the panel", 290, 115, overhang},
      {"overhang outside the panel", 310, 115, nullptr},
      {"hit function accepts", 265, 165, picky},
      {"hit function refuses: the control below", 245, 165, panel},
      {"nothing", 20, 20, nullptr},
  };
  for (const Case& c : cases) {
    MoveTo(c.x, c.y);
    EXPECT_EQ(GUI_GetHover(), c.want) << c.what;
  }

  // A hidden control hides its children too; an inactive one is passed over.
  SGE_Send(inner->pTask, SGM_GUI_HIDE, 0, 0);
  MoveTo(136, 136);
  EXPECT_EQ(GUI_GetHover(), panel);
  SGE_Send(inner->pTask, SGM_GUI_SHOW, 0, 0);
  GUI_SetActive(deepest, 0);
  MoveTo(135, 135);
  EXPECT_EQ(GUI_GetHover(), inner);
}

TEST_F(GuiTest, AClickReleasedOverItsButtonActivatesIt) {
  struct Case {
    uint32_t kinds;
    std::vector<int32_t> said;
  };
  const Case cases[] = {
      // The move onto the button is a pointer event it passes on, and so is the keyboard's
      // event of the frame once the button has the focus.
      {GUI_PB_CLICK,
       {SGM_GUI_HIGHLIGHTED, SGM_GUI_POINTER_OTHER, SGM_GUI_PRESSED, SGM_GUI_UNHIGHLIGHTED, SGM_GUI_FOCUS_GAINED,
        SGM_GUI_POINTER_OTHER, SGM_GUI_HIGHLIGHTED, SGM_GUI_RELEASED, SGM_GUI_FOCUS_LOST, SGM_GUI_ACTIVATE}},
      {GUI_PB_CLICK | GUI_PB_REPORT,
       {SGM_GUI_HIGHLIGHTED, SGM_GUI_POINTER_OTHER, SGM_GUI_PRESSED, SGM_GUI_UNHIGHLIGHTED, SGM_GUI_FOCUS_GAINED,
        SGM_GUI_DOWN, SGM_GUI_POINTER_OTHER, SGM_GUI_HIGHLIGHTED, SGM_GUI_RELEASED, SGM_GUI_FOCUS_LOST, SGM_GUI_UP,
        SGM_GUI_ACTIVATE}},
  };
  for (const Case& c : cases) {
    GUI_CONTROL* b = Button(c.kinds, 100, 100);
    OwnerLog().clear();
    ClickAt(110, 110);
    EXPECT_EQ(Said(), c.said) << std::hex << c.kinds;
    EXPECT_EQ(OwnerLog().back().p1, SGE_PtrParam(b));
    EXPECT_EQ(GUI_GetFocus(), nullptr);
    EXPECT_TRUE(Flags(b) & GUI_PB_HIGHLIGHTED);
    MoveTo(300, 300);
    GUI_DestroyControl(b);
  }
}

TEST_F(GuiTest, AClickReleasedElsewhereReturnsToNormalWithoutActivating) {
  for (uint32_t report : {0u, GUI_PB_REPORT}) {
    GUI_CONTROL* b = Button(GUI_PB_CLICK | report, 100, 100);
    MoveTo(110, 110);
    Button(KOINPUT_MOUSE_LEFT);
    MoveTo(300, 300);
    OwnerLog().clear();
    Button(0);
    EXPECT_EQ(Count(SGM_GUI_UP), report ? 1 : 0);
    EXPECT_EQ(Count(SGM_GUI_ACTIVATE), 0);
    EXPECT_TRUE(Flags(b) & GUI_PB_NORMAL);
    EXPECT_EQ(GUI_GetFocus(), nullptr);
    GUI_DestroyControl(b);
  }
}

TEST_F(GuiTest, LeavingAPressedButtonThatAsksForItReleasesIt) {
  GUI_CONTROL* b = Button(0, 100, 100);  // no kind: click, released by leaving
  MoveTo(110, 110);
  Button(KOINPUT_MOUSE_LEFT);
  EXPECT_EQ(GUI_GetFocus(), b);
  MoveTo(300, 300);
  EXPECT_EQ(GUI_GetFocus(), nullptr);
  EXPECT_TRUE(Flags(b) & GUI_PB_NORMAL);
  Button(0);
  EXPECT_EQ(Count(SGM_GUI_ACTIVATE), 0);
}

TEST_F(GuiTest, ADroppedButtonIsReportedToTheTargetWhoseMaskTakesItsType) {
  for (uint32_t mask : {1u << 3, 1u << 4}) {
    GUI_CONTROL* held = Button(GUI_PB_CLICK | GUI_PB_REPORT, 100, 100);
    held->nDragType = 3;
    GUI_CONTROL* target = Button(GUI_PB_CLICK | GUI_PB_ACCEPT_DROPS, 300, 100);
    target->dwDropMask = mask;
    MoveTo(110, 110);
    Button(KOINPUT_MOUSE_LEFT);
    MoveTo(310, 110);
    OwnerLog().clear();
    Button(0);
    const bool takes = mask == (1u << 3);
    ASSERT_EQ(Count(SGM_GUI_DROP), takes ? 1 : 0) << mask;
    EXPECT_EQ(Count(SGM_GUI_UP), 1);
    EXPECT_EQ(Count(SGM_GUI_ACTIVATE), 0);
    for (const Told& t : OwnerLog())
      if (t.msg == SGM_GUI_DROP) {
        EXPECT_EQ(t.p1, SGE_PtrParam(held));
        EXPECT_EQ(t.p2, SGE_PtrParam(target));
      }
    EXPECT_TRUE(Flags(held) & GUI_PB_NORMAL);
    GUI_DestroyControl(held);
    GUI_DestroyControl(target);
  }
}

TEST_F(GuiTest, AHeldRepeatButtonFiresOncePerHold) {
  GUI_CONTROL* b = Button(GUI_PB_REPEAT, 100, 100);
  MoveTo(110, 110);
  OwnerLog().clear();
  Button(KOINPUT_MOUSE_LEFT);
  EXPECT_EQ(Count(SGM_GUI_PRESSED), 1);
  Frames(6);
  EXPECT_EQ(Count(SGM_GUI_ACTIVATE), 1);
  EXPECT_TRUE(Flags(b) & GUI_PB_HIGHLIGHTED);  // back to highlighted: the pointer is on it
  // The owner holds it again for the next repeat.
  SGE_Send(b->pTask, SGM_GUI_HOLD, 0, 0);
  SGE_Send(b->pTask, SGM_GUI_SET_REPEAT, 0, 4);  // five frames from the next hold
  Frames(2);
  EXPECT_EQ(Count(SGM_GUI_ACTIVATE), 2);
  SGE_Send(b->pTask, SGM_GUI_HOLD, 0, 0);
  Frames(3);
  EXPECT_EQ(Count(SGM_GUI_ACTIVATE), 2);
  Frames(3);
  EXPECT_EQ(Count(SGM_GUI_ACTIVATE), 3);
  Button(0);
}

TEST_F(GuiTest, AToggleButtonAlternatesBetweenPressedAndHighlighted) {
  GUI_CONTROL* b = Button(GUI_PB_TOGGLE, 100, 100);
  for (int i = 0; i < 4; ++i) {
    ClickAt(110 + i, 110);
    const bool pressed = i % 2 == 0;
    EXPECT_EQ((Flags(b) & GUI_PB_PRESSED) != 0, pressed) << i;
    EXPECT_EQ((Flags(b) & GUI_PB_HIGHLIGHTED) != 0, !pressed) << i;
  }
  EXPECT_EQ(Count(SGM_GUI_PRESSED), 2);
  EXPECT_EQ(Count(SGM_GUI_RELEASED), 2);
  EXPECT_EQ(Count(SGM_GUI_ACTIVATE), 0);
}

TEST_F(GuiTest, PressingARadioButtonResetsItsSiblings) {
  const uint32_t radio = GUI_PB_RADIO | GUI_PB_RESET_SIBLINGS;
  GUI_CONTROL* group[3] = {Button(radio, 100, 100), Button(radio, 200, 100),
                           Button(radio | GUI_PB_KEEP_ON_RESET, 300, 100)};
  auto pressed = [&] {
    std::string s;
    for (GUI_CONTROL* c : group) s += (Flags(c) & GUI_PB_PRESSED) ? '1' : '0';
    return s;
  };
  ClickAt(110, 110);
  EXPECT_EQ(pressed(), "100");
  ClickAt(210, 110);
  EXPECT_EQ(pressed(), "010");
  EXPECT_EQ(GUI_GetFocus(), group[1]);
  ClickAt(310, 110);
  EXPECT_EQ(pressed(), "001");
  ClickAt(110, 110);
  EXPECT_EQ(pressed(), "101");  // the third is not reset by a sibling
  // The owner heard of each press and of each release by a sibling.
  int releasedFirst = 0;
  for (const Told& t : OwnerLog())
    releasedFirst += t.msg == SGM_GUI_RELEASED && t.p1 == SGE_PtrParam(group[0]);
  EXPECT_EQ(releasedFirst, 1);
}

TEST_F(GuiTest, APointerPressOnNothingReleasesTheFocus) {
  GUI_CONTROL* b = Button(GUI_PB_RADIO, 100, 100);
  ClickAt(110, 110);
  EXPECT_EQ(GUI_GetFocus(), b);
  ClickAt(500, 400);
  EXPECT_EQ(GUI_GetFocus(), nullptr);
}

// A control that refuses to give up the focus unless forced.
SGE_RESULT StubbornHandler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                           SGE_PARAM p2) {
  if (msg == SGM_TASK_CREATE) {
    SGE_ParamPtr<GUI_CONTROL>(p1)->pTask = task;
    return 1;
  }
  if (msg == SGM_GUI_FOCUS_LOSE) return 0;
  return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
}

TEST_F(GuiTest, AControlThatRefusesToLoseTheFocusKeepsIt) {
  constexpr int32_t kStubborn = 453;
  Register(kStubborn, &StubbornHandler, "Stubborn");
  GUI_CONTROL* stubborn = Make(kStubborn, 0, 10, 10, 20, 20);
  GUI_CONTROL* other = Button(GUI_PB_CLICK, 100, 100);
  EXPECT_EQ(GUI_SetFocus(stubborn), 1);
  EXPECT_EQ(GUI_SetFocus(other), 0);
  EXPECT_EQ(GUI_GetFocus(), stubborn);
  EXPECT_EQ(GUI_ReleaseFocus(0), 0);
  EXPECT_EQ(GUI_ReleaseFocus(1), 1);
  EXPECT_EQ(GUI_GetFocus(), nullptr);
  EXPECT_EQ(GUI_ReleaseFocus(0), 1);  // nothing had it
}

TEST_F(GuiTest, DestroyingAControlForgetsFocusHoverAndChildren) {
  GUI_CONTROL* parent = Button(GUI_PB_RADIO, 100, 100, 100, 100);
  GUI_CONTROL* child = Make(VNTT_GUI_PUSHBUTTON, GUI_PB_RADIO, 110, 110, 20, 20, parent);
  ClickAt(115, 115);
  EXPECT_EQ(GUI_GetFocus(), child);
  EXPECT_EQ(GUI_GetHover(), child);
  const int32_t tasks = SGE_GetTaskCount();
  GUI_DestroyControl(parent);
  EXPECT_EQ(GUI_GetFocus(), nullptr);
  EXPECT_EQ(GUI_GetHover(), nullptr);
  EXPECT_EQ(SGE_GetTaskCount(), tasks - 2);
  EXPECT_TRUE(SGE_ListIsEmpty(GUI_GetControlList()));
  MoveTo(120, 120);  // nothing left to reach
}

TEST_F(GuiTest, HidingTheFocusedButtonReleasesTheFocus) {
  GUI_CONTROL* b = Button(GUI_PB_RADIO, 100, 100);
  ClickAt(110, 110);
  ASSERT_EQ(GUI_GetFocus(), b);
  SGE_Send(b->pTask, SGM_GUI_HIDE, 0, 0);
  EXPECT_EQ(GUI_GetFocus(), nullptr);
  EXPECT_TRUE(Flags(b) & GUI_PB_NORMAL);
}

TEST_F(GuiTest, MovesKeepTheCentreInFloats) {
  GUI_CONTROL* b = Button(GUI_PB_CLICK, 100, 100);
  const float x = 12.5f, y = -7.25f;
  SGE_Send(b->pTask, SGM_GUI_MOVE_TO, std::bit_cast<int32_t>(x), std::bit_cast<int32_t>(y));
  EXPECT_EQ(b->centre.x, x);
  EXPECT_EQ(b->centre.y, y);
}

vnGUI_LAYOUT MenuLayout() {
  vnGUI_LAYOUT layout;
  vnB2D_SET set{"Main", {7, 8}, {}};
  set.frames.push_back({"up", 1, GUI_FRAME_NORMAL, 0, 0, 40, 20, 0, 0, 1, 1});
  layout.sheet.sets.push_back(set);
  layout.sheet.sets.push_back({"Other", {0, 0}, {}});
  layout.buttons.push_back({{"Play", "Main", 0, 100, 100, 40, 20},
                            {"Skipped", "Main", 1, 200, 100, 40, 20},
                            {"Quit", "Main", 0, 300, 100, 40, 20},
                            {"Unnamed", "Missing", 0, 400, 100, 40, 20}});
  return layout;
}

TEST_F(GuiTest, AScreenMakesItsLayoutButtonsHiddenWithTheirIds) {
  vntest::TempDir dir;
  const std::string path = dir.file("menu.b2d");
  ASSERT_TRUE(vnWRITE_GUILayoutFile(path, MenuLayout()));
  const GUI_NAMEVALUE names[] = {{"play", 10}, {"QUIT", 20}, {nullptr, 0}};
  const GUI_SCREENENTRY entries[] = {{"Main", 5, 0x20}, {"Other", 0, 0}};
  GUI_SCREEN* screen = GUI_LoadScreen(path.c_str(), owner, node, entries, names, 2);
  ASSERT_NE(screen, nullptr);
  ASSERT_NE(screen->ppSets[0], nullptr);
  EXPECT_EQ(SGE_ListCount(&screen->pButtons[0]), 3);  // the skipped one is not made
  EXPECT_EQ(SGE_ListCount(&screen->pButtons[1]), 0);
  GUI_CONTROL* play = GUI_FindControl(&screen->pButtons[0], 10);
  GUI_CONTROL* quit = GUI_FindControl(&screen->pButtons[0], 20);
  GUI_CONTROL* unnamed = GUI_FindControl(&screen->pButtons[0], -1);
  ASSERT_NE(play, nullptr);
  ASSERT_NE(quit, nullptr);
  ASSERT_NE(unnamed, nullptr);
  EXPECT_EQ(play->nDragType, 5);
  EXPECT_EQ(play->dwDropMask, 0x20u);
  EXPECT_TRUE(play->fFlags & GUI_CONTROL_HIDDEN);

  ClickAt(310, 110);  // hidden: nothing happens
  EXPECT_EQ(Count(SGM_GUI_ACTIVATE), 0);
  GUI_ShowList(&screen->pButtons[0], 1);
  ClickAt(315, 112);
  ASSERT_EQ(Count(SGM_GUI_ACTIVATE), 1);
  EXPECT_EQ(OwnerLog().back().p1, SGE_PtrParam(quit));

  GUI_SPRITEREF ref{};
  SPW_B2DFRAME* frame = nullptr;
  ref = {&frame, 0, GUI_FRAME_NORMAL};
  GUI_ResolveSprites(&ref, screen, 1);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->nWidth, 40);
  ref = {&frame, 7, GUI_FRAME_NORMAL};  // no such set index
  GUI_ResolveSprites(&ref, screen, 1);
  EXPECT_EQ(frame, nullptr);

  const int32_t tasks = SGE_GetTaskCount();
  EXPECT_EQ(GUI_FreeScreen(screen), 1);
  EXPECT_EQ(SGE_GetTaskCount(), tasks - 3);
}

TEST_F(GuiTest, ALayoutButtonListEndsAtTheFirstShortOrMissingLine) {
  vntest::TempDir dir;
  const std::string path = dir.file("short.b2d");
  const std::string text =
      "[F0]\r\nD=\"G\" 1 2\r\nPB0=\"A\" \"G\" 0 1 2 3 4\r\n"
                    "PB1=\"B\" \"G\" 0 1 2 3\r\nPB2=\"C\" \"G\" 0 1 2 3 4\r\n"
                    "[F1]\r\nD=\"H\" 3 4\r\nPB0=\"D\" \"H\" 0 1 2 3 99999999999\r\n"
                    "[F2]\r\nD=H 3 4\r\n[F3]\r\nD=\"Late\" 0 0\r\n";
  ASSERT_TRUE(PLAT_WriteFileAtomic(path.c_str(), text.data(), text.size()));
  GUI_LAYOUT* layout = GUI_ReadLayout(path.c_str());
  ASSERT_NE(layout, nullptr);
  ASSERT_EQ(SGE_ListCount(&layout->groups), 2);  // [F2] has no valid "D": the list ends
  const GUI_LAYOUTGROUP* g = GUI_FindLayoutGroup(layout, "g");
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->anValue[1], 2);
  EXPECT_EQ(SGE_ListCount(&g->buttons), 1);
  EXPECT_EQ(SGE_ListCount(&GUI_FindLayoutGroup(layout, "H")->buttons), 0);  // out of range
  EXPECT_EQ(GUI_FindLayoutGroup(layout, "Late"), nullptr);
  GUI_FreeLayout(layout);
}

}  // namespace
}  // namespace guitest
