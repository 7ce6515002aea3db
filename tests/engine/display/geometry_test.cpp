// Rectangle intersection, visible rectangles, point conversion and hit tests.
#include <gtest/gtest.h>

#include "tests/engine/display/display_fixture.h"

using displaytest::DisplayTest;

TEST(DisplayRect, IntersectionIsEmptyWhenEdgesOnlyTouch) {
  struct Case {
    SPW_RECT a, b;
    int32_t result;
    SPW_RECT out;
  } cases[] = {
      {{0, 0, 10, 10}, {5, 5, 20, 20}, 1, {5, 5, 10, 10}},
      {{0, 0, 10, 10}, {10, 0, 20, 10}, 0, {10, 0, 10, 10}},  // touching on x
      {{0, 0, 10, 10}, {0, 10, 10, 20}, 0, {0, 10, 10, 10}},  // touching on y
      {{0, 0, 10, 10}, {2, 3, 4, 5}, 1, {2, 3, 4, 5}},
  };
  for (const Case& c : cases) {
    SPW_RECT out;
    EXPECT_EQ(SPW_IntersectRect(&c.a, &c.b, &out), c.result);
    EXPECT_FLOAT_EQ(out.x0, c.out.x0);
    EXPECT_FLOAT_EQ(out.y0, c.out.y0);
    EXPECT_FLOAT_EQ(out.x1, c.out.x1);
    EXPECT_FLOAT_EQ(out.y1, c.out.y1);
  }
}

// A centred panel (like the root's full-screen node) with a button inside it.
class NodeGeometry : public DisplayTest {
 protected:
  void SetUp() override {
    DisplayTest::SetUp();
    panel = Node(0, {-100, -50, 100, 50}, {320, 240});
    button = Node(0, {0, 0, 40, 20}, {80, 40}, panel);  // sticks out past the panel's corner
  }
  SPW_DISPLAYNODE* panel = nullptr;
  SPW_DISPLAYNODE* button = nullptr;
};

TEST_F(NodeGeometry, HitTestIsHalfOpenAndClippedByAncestors) {
  struct Case {
    SPW_POINT p;
    int32_t hit;
  } cases[] = {
      {{400, 280}, 1},  // the button's top-left corner
      {{419.9f, 289.9f}, 1},
      {{420, 285}, 0},  // on the panel's right edge: outside the panel
      {{410, 290}, 0},  // on the panel's bottom edge
      {{399.9f, 285}, 0},
  };
  for (const Case& c : cases) {
    SPW_POINT out;
    EXPECT_EQ(SPW_DisplayNodeHitTest(button, &c.p, &out), c.hit) << c.p.x << "," << c.p.y;
    EXPECT_FLOAT_EQ(out.x, c.p.x - 400);
    EXPECT_FLOAT_EQ(out.y, c.p.y - 280);
  }
  SPW_POINT centre{320, 240}, out;
  EXPECT_EQ(SPW_DisplayNodeHitTest(panel, &centre, &out), 1);
  EXPECT_FLOAT_EQ(out.x, 0);
}

TEST_F(NodeGeometry, HitTestFailsOutsideTheDisplay) {
  SPW_DISPLAYNODE* big = Node(0, {-1000, -1000, 1000, 1000}, {0, 0});
  SPW_POINT inside{639, 479}, right{640, 10}, out;
  EXPECT_EQ(SPW_DisplayNodeHitTest(big, &inside, &out), 1);
  EXPECT_EQ(SPW_DisplayNodeHitTest(big, &right, &out), 0);
}

TEST_F(NodeGeometry, VisibleRectIsClippedByAncestorsAndTheDisplay) {
  SPW_RECT r;
  ASSERT_EQ(SPW_GetDisplayNodeVisibleRect(button, &r), 1);
  EXPECT_FLOAT_EQ(r.x0, 0);
  EXPECT_FLOAT_EQ(r.y0, 0);
  EXPECT_FLOAT_EQ(r.x1, 20);  // panel's right edge at 100 - 80
  EXPECT_FLOAT_EQ(r.y1, 10);  // panel's bottom edge at 50 - 40
  SPW_DISPLAYNODE* offscreen = Node(0, {0, 0, 50, 50}, {630, 470});
  ASSERT_EQ(SPW_GetDisplayNodeVisibleRect(offscreen, &r), 1);
  EXPECT_FLOAT_EQ(r.x1, 10);
  EXPECT_FLOAT_EQ(r.y1, 10);
  SPW_DISPLAYNODE* gone = Node(0, {0, 0, 10, 10}, {200, 0}, panel);
  EXPECT_EQ(SPW_GetDisplayNodeVisibleRect(gone, &r), 0);
}

TEST_F(NodeGeometry, NodeToScreenAddsOriginsWhileAncestorsContainThePoint) {
  SPW_POINT p{5, 5}, out;
  SPW_DisplayNodeToScreen(button, &p, &out);
  EXPECT_FLOAT_EQ(out.x, 405);
  EXPECT_FLOAT_EQ(out.y, 285);
  SPW_POINT far{30, 5};  // 110 in the panel's coordinates: outside it, the panel adds nothing
  SPW_DisplayNodeToScreen(button, &far, &out);
  EXPECT_FLOAT_EQ(out.x, 110);
  EXPECT_FLOAT_EQ(out.y, 45);
}
