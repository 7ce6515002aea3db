// The render pass: order of displays, nodes and callbacks, skips, hiding and clipping.
#include <gtest/gtest.h>

#include "tests/engine/display/display_fixture.h"

using displaytest::DisplayTest;
using displaytest::Log;
using displaytest::VpCalls;
using Lines = std::vector<std::string>;

TEST_F(DisplayTest, NodesDrawInKeyOrderAndCallbacksByPriorityEqualKeysInAddOrder) {
  SPW_DISPLAYNODE* late = Node(300, {0, 0, 640, 480}, {0, 0});
  SPW_DISPLAYNODE* early = Node(100, {0, 0, 640, 480}, {0, 0});
  SPW_DISPLAYNODE* mid = Node(300, {0, 0, 640, 480}, {0, 0});  // same key: after 'late'
  Cb(late, 0, "late");
  Cb(mid, 0, "mid");
  Cb(early, 600, "post");
  Cb(early, 300, "clear-a");
  Cb(early, 400, "pre");
  Cb(early, 300, "clear-b");
  Cb(early, 0x80000000u, "last");

  SPW_RenderDisplays();
  EXPECT_EQ(Drawn(), (Lines{"clear-a", "clear-b", "pre", "post", "last", "late", "mid"}));
}

TEST_F(DisplayTest, DisplayCallbacksWithBit31RunAfterTheNodeTree) {
  SPW_DISPLAYNODE* node = Node(0, {0, 0, 10, 10}, {0, 0});
  Cb(node, 0, "node");
  SPW_AddDisplayCallback(display, displaytest::LogDisplay, 0x80000000u, Text("after"));
  SPW_AddDisplayCallback(display, displaytest::LogDisplay, 5, Text("second"));
  SPW_AddDisplayCallback(display, displaytest::LogDisplay, 0, Text("first"));
  SPW_AddDisplayCallback(display, displaytest::LogDisplay, 0xffffffffu, Text("very-last"));

  SPW_RenderDisplays();
  EXPECT_EQ(Drawn(), (Lines{"first", "second", "node", "after", "very-last"}));
}

TEST_F(DisplayTest, DisplayCallbackFailureEndsThePassForEveryDisplay) {
  SPW_DISPLAY* second = SPW_CreateDisplay(1, 100, 100, displaytest::FakeVPGet, nullptr, driver);
  SPW_DISPLAYNODE* a = Node(0, {0, 0, 10, 10}, {0, 0});
  Cb(a, 0, "first-display-node");
  SPW_RECT r{0, 0, 10, 10};
  SPW_DISPLAYNODE* b = SPW_CreateDisplayNode(0, 0, &r, nullptr, 0, nullptr, second, nullptr, 0,
                                             nullptr);
  Cb(b, 0, "second-display-node");
  SPW_AddDisplayCallback(display, displaytest::StopDisplay, 0, nullptr);
  SPW_AddDisplayCallback(display, displaytest::LogDisplay, 1, Text("never"));

  SPW_RenderDisplays();
  EXPECT_EQ(Drawn(), (Lines{"stop"}));

  // A disabled failing callback no longer stops anything.
  SPW_DisableDisplayNode(SGE_ListFirstRecord<SPW_DISPLAYCB>(&display->callbacks));
  Log().clear();
  SPW_RenderDisplays();
  EXPECT_EQ(Drawn(), (Lines{"never", "first-display-node", "second-display-node"}));
  SPW_DestroyDisplay(second);
}

TEST_F(DisplayTest, SkippedOrUnrenderedDisplayRunsNothing) {
  SPW_DISPLAYNODE* node = Node(0, {0, 0, 10, 10}, {0, 0});
  Cb(node, 0, "node");
  SPW_AddDisplayCallback(display, displaytest::LogDisplay, 0, Text("display"));
  for (uint32_t flags : {SPW_DISPLAY_RENDER | SPW_DISPLAY_SKIP, 0x400u, 0u}) {
    display->fFlags = flags;
    Log().clear();
    SPW_RenderDisplays();
    EXPECT_TRUE(Log().empty()) << "flags " << flags;
  }
  display->fFlags = SPW_DISPLAY_RENDER;
  SPW_RenderDisplays();
  EXPECT_EQ(Drawn(), (Lines{"display", "node"}));
}

TEST_F(DisplayTest, NodeOutsideItsParentClipRunsNothingButStillFlushes) {
  SPW_DISPLAYNODE* parent = Node(0, {0, 0, 100, 100}, {0, 0});
  SPW_DISPLAYNODE* outside = Node(0, {0, 0, 10, 10}, {150, 150}, parent);
  SPW_DISPLAYNODE* grandchild = Node(0, {-1000, -1000, 1000, 1000}, {0, 0}, outside);
  Cb(outside, 0, "outside");
  Cb(grandchild, 0, "grandchild");

  SPW_RenderDisplays();
  EXPECT_TRUE(Drawn().empty());
  // The parent commits its viewport; one flush pair for the clipped child and one for the
  // parent; the grandchild is not visited.
  EXPECT_EQ(Log(), (Lines{"commit", "alpha", "hud", "alpha", "hud"}));
}

TEST_F(DisplayTest, HiddenNodeHidesItsSubtree) {
  SPW_DISPLAYNODE* parent = Node(0, {0, 0, 100, 100}, {0, 0}, nullptr, SPW_NODE_HIDDEN);
  SPW_DISPLAYNODE* child = Node(0, {0, 0, 10, 10}, {0, 0}, parent);
  Cb(parent, 0, "parent");
  Cb(child, 0, "child");
  SPW_RenderDisplays();
  EXPECT_TRUE(Drawn().empty());
  parent->fFlags = 0;
  SPW_RenderDisplays();
  EXPECT_EQ(Drawn(), (Lines{"parent", "child"}));
}

TEST_F(DisplayTest, SkipCountHoldsTheNodeBackForThatManyFrames) {
  SPW_DISPLAYNODE* parent = Node(0, {0, 0, 100, 100}, {0, 0});
  SPW_DISPLAYNODE* child = Node(0, {0, 0, 10, 10}, {0, 0}, parent);
  Cb(parent, 0, "parent");
  Cb(child, 0, "child");
  parent->dwSkip = 3;
  for (int frame = 1; frame <= 3; ++frame) {
    Log().clear();
    SPW_RenderDisplays();
    EXPECT_TRUE(Drawn().empty()) << "frame " << frame;
    EXPECT_EQ(Log(), (Lines{"alpha", "hud"})) << "frame " << frame;
  }
  Log().clear();
  SPW_RenderDisplays();
  EXPECT_EQ(Drawn(), (Lines{"parent", "child"}));
  EXPECT_EQ(parent->dwSkip, 0u);
}

TEST_F(DisplayTest, ViewportGetsVisibleRectAndAccumulatedOriginAndCommitsAfterCallbacks) {
  SPW_DISPLAYNODE* parent = Node(0, {-50, -50, 50, 50}, {320, 240});
  SPW_DISPLAYNODE* child = Node(0, {0, 0, 100, 100}, {10, 20}, parent);
  Cb(parent, 0, "parent");
  Cb(child, 0, "child");
  SPW_RenderDisplays();
  ASSERT_EQ(VpCalls().size(), 2u);
  const auto& pc = VpCalls()[0];
  EXPECT_EQ(pc.node, parent);
  EXPECT_FLOAT_EQ(pc.rect.x0, -50);
  EXPECT_FLOAT_EQ(pc.rect.x1, 50);
  EXPECT_FLOAT_EQ(pc.offset.x, 320);
  EXPECT_FLOAT_EQ(pc.offset.y, 240);
  const auto& cc = VpCalls()[1];
  EXPECT_EQ(cc.node, child);
  // The child is clipped by its parent: (0,0)-(40,30) in its own coordinates.
  EXPECT_FLOAT_EQ(cc.rect.x0, 0);
  EXPECT_FLOAT_EQ(cc.rect.y0, 0);
  EXPECT_FLOAT_EQ(cc.rect.x1, 40);
  EXPECT_FLOAT_EQ(cc.rect.y1, 30);
  EXPECT_FLOAT_EQ(cc.offset.x, 330);
  EXPECT_FLOAT_EQ(cc.offset.y, 260);
  // Parent callbacks and commit, then the child's, then the flushes innermost first.
  EXPECT_EQ(Log(), (Lines{"parent", "commit", "child", "commit", "alpha", "hud", "alpha", "hud"}));
}

TEST_F(DisplayTest, DisabledNodeCallbackIsSkippedAndReenabled) {
  SPW_DISPLAYNODE* node = Node(0, {0, 0, 10, 10}, {0, 0});
  SPW_DISPLAYCB* cb = SPW_AddDisplayNode(node, displaytest::LogNode, 0, Text("cb"));
  EXPECT_EQ(SPW_DisableDisplayNode(cb), cb);
  SPW_RenderDisplays();
  EXPECT_TRUE(Drawn().empty());
  SPW_EnableDisplayNode(cb);
  SPW_RenderDisplays();
  EXPECT_EQ(Drawn(), (Lines{"cb"}));
}

TEST_F(DisplayTest, ChangingTheKeyMovesTheNodeAmongItsSiblings) {
  SPW_DISPLAYNODE* a = Node(100, {0, 0, 10, 10}, {0, 0});
  SPW_DISPLAYNODE* b = Node(200, {0, 0, 10, 10}, {0, 0});
  Cb(a, 0, "a");
  Cb(b, 0, "b");
  EXPECT_EQ(SPW_SetDisplayNodeKey(a, 300), 100u);
  SPW_RenderDisplays();
  EXPECT_EQ(Drawn(), (Lines{"b", "a"}));
}
