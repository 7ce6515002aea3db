// The pointer task over the real input path: injected input is read by the input devices once
// a frame, and the pointer turns it into GUI events, passes it on and times its tool tip.
#include "interface/pointer/pointer.h"

#include <gtest/gtest.h>

#include <vector>

#include "shell/state.h"
#include "tests/engine/gui/gui_fixture.h"

namespace {

using guitest::GuiTest;
using guitest::OwnerLog;

constexpr int32_t kTargetType = 453;

std::vector<SGE_PARAM>& TargetLog() {
  static std::vector<SGE_PARAM> log;
  return log;
}

SGE_RESULT TargetHandler(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1,
                         SGE_PARAM p2) {
  if (msg == SGM_TASK_INPUT) {
    TargetLog().push_back(p2);
    return 1;
  }
  return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
}

// The fixture's own stand-in pointer gives way to the game's pointer task.
class PointerTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    if (HasFatalFailure()) return;
    KOINPUT_Unsubscribe(pointerSub);
    SGE_Send(pointer, SGM_TASK_DESTROY, 0, 0);
    pointer = nullptr;
    vnMAIN_SetDisplay(display);
    ASSERT_EQ(vnPOINTER_Register(), 1);
    Register(kTargetType, &TargetHandler, "PointerTarget");
    task = SGE_CreateTask(VNTT_POINTER, nullptr, nullptr, 0, 0);
    ASSERT_NE(task, nullptr);
    TargetLog().clear();
    Frame();
  }
  void TearDown() override {
    if (task) SGE_Send(task, SGM_TASK_DESTROY, 0, 0);
    vnMAIN_SetDisplay(nullptr);
    GuiTest::TearDown();
  }
  VNPOINTER_VIEW View() {
    VNPOINTER_VIEW v{};
    EXPECT_EQ(vnPOINTER_GetView(&v), 1);
    return v;
  }
  SGE_TASK* task = nullptr;
};

TEST_F(PointerTest, MouseInputBecomesGuiEventsThatClickAButton) {
  GUI_CONTROL* b = Button(GUI_PB_CLICK, 100, 100);
  MoveTo(110, 110);
  EXPECT_EQ(GUI_GetHover(), b);
  OwnerLog().clear();
  Button(KOINPUT_MOUSE_LEFT);
  Button(0);
  EXPECT_EQ(Count(SGM_GUI_ACTIVATE), 1);
  EXPECT_EQ(View().x, 110);
  EXPECT_EQ(View().y, 110);
}

TEST_F(PointerTest, InputGoesOnToTheTargetUnlessInputIsOff) {
  SGE_TASK* target = SGE_CreateTask(kTargetType, nullptr, nullptr, 0, 0);
  ASSERT_NE(target, nullptr);
  EXPECT_EQ(vnPOINTER_SetInputTarget(target), nullptr);
  Frame();
  // One message a frame for each device, mouse and keyboard.
  EXPECT_EQ(TargetLog().size(), 2u);

  GUI_CONTROL* b = Button(GUI_PB_CLICK, 100, 100);
  EXPECT_EQ(vnPOINTER_EnableInput(0), 1);
  TargetLog().clear();
  MoveTo(110, 110);
  EXPECT_TRUE(TargetLog().empty());
  EXPECT_EQ(GUI_GetHover(), nullptr) << "no GUI events while input is off";

  EXPECT_EQ(vnPOINTER_EnableInput(1), 0);
  MoveTo(111, 111);
  EXPECT_EQ(GUI_GetHover(), b);
  EXPECT_FALSE(TargetLog().empty());

  // A target that ended is dropped, not sent to.
  SGE_Send(target, SGM_TASK_DESTROY, 0, 0);
  Frame();
  EXPECT_EQ(vnPOINTER_SetInputTarget(nullptr), nullptr);
}

TEST_F(PointerTest, AToolTipShowsAfterTheRestAndFadesInThenMovementClearsIt) {
  MoveTo(200, 200);
  vnPOINTER_SetToolTip("Move here");
  // 20 ms frames: 7 still frames are 0.14 s, the 8th passes 0.15 s.
  Frames(7);
  EXPECT_EQ(View().bToolTipShown, 0);
  Frame();
  EXPECT_EQ(View().bToolTipShown, 1);
  EXPECT_FLOAT_EQ(View().fToolTipOpacity, 0.0f);
  Frames(4);
  EXPECT_LT(View().fToolTipOpacity, 1.0f);
  Frame();
  EXPECT_FLOAT_EQ(View().fToolTipOpacity, 1.0f);
  EXPECT_STREQ(View().pszToolTip, "Move here");

  MoveTo(201, 200);
  EXPECT_EQ(View().bToolTipShown, 0);
  EXPECT_STREQ(View().pszToolTip, "");
}

TEST_F(PointerTest, ShapesOutsideTheTableChangeNothing) {
  EXPECT_EQ(vnPOINTER_SetShape(4), 0);
  EXPECT_EQ(vnPOINTER_SetShape(VN_POINTER_NUM_SHAPES), 0);
  EXPECT_EQ(vnPOINTER_SetShape(-1), 0);
  EXPECT_EQ(View().nShape, 4);
  EXPECT_EQ(vnPOINTER_SetShape(0), 4);
}

TEST(PointerShapes, AnimatedFramesWalkTheRowAndWrapToTheNext) {
  struct Case {
    int32_t shape, frame;
    float u, v, du, dv;
  };
  const Case cases[] = {
      {0, 0, 0.0f, 0.0f, 0.25f, 0.25f},   {0, 3, 0.75f, 0.0f, 0.25f, 0.25f},
      {0, 5, 0.25f, 0.25f, 0.25f, 0.25f}, {0, 15, 0.75f, 0.75f, 0.25f, 0.25f},
      {0, 16, 0.0f, 0.0f, 0.25f, 0.25f},  {3, 6, 0.5f, 0.75f, 0.25f, 0.25f},
      {30, 3, 0.5f, 0.5f, 0.5f, 0.5f},    {1, 7, 0.0f, 0.0f, 1.0f, 1.0f},
  };
  const VNPOINTER_SHAPE* table = vnPOINTER_GetShapeTable();
  for (const Case& c : cases) {
    float r[4];
    vnPOINTER_FrameRect(&table[c.shape], c.frame, r);
    EXPECT_FLOAT_EQ(r[0], c.u) << c.shape << " frame " << c.frame;
    EXPECT_FLOAT_EQ(r[1], c.v) << c.shape << " frame " << c.frame;
    EXPECT_FLOAT_EQ(r[2], c.du) << c.shape;
    EXPECT_FLOAT_EQ(r[3], c.dv) << c.shape;
  }
}

}  // namespace
