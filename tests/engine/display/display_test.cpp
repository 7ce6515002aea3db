// Creation, destruction and reference lifetimes of displays, nodes and callbacks; layers.
#include <gtest/gtest.h>

#include "tests/engine/display/display_fixture.h"
#include "tests/support/support.h"

using displaytest::DisplayTest;

TEST_F(DisplayTest, NewDisplayHasRenderFlagsReciprocalsAndHoldsTheDriver) {
  EXPECT_EQ(display->fFlags, 0x600u);
  EXPECT_FLOAT_EQ(display->fInvWidth, 1.0f / 640);
  EXPECT_FLOAT_EQ(display->fInvHeight, 1.0f / 480);
  EXPECT_EQ(driver->nCount, 2);
  EXPECT_EQ(SPW_GetDisplayDriver(display), driver->pData);
}

TEST_F(DisplayTest, NodeCreationRefusesBadOwners) {
  SGE_DATAREF* shared = Text("shared");
  SPW_RECT r{0, 0, 1, 1};
  vntest::TraceCapture trace;
  EXPECT_EQ(SPW_CreateDisplayNode(0, 0, &r, nullptr, 0, nullptr, nullptr, nullptr, 0, nullptr),
            nullptr);
  EXPECT_EQ(SPW_CreateDisplayNode(0, 0, &r, nullptr, 7, nullptr, display, nullptr, 0, nullptr),
            nullptr);
  SPW_DISPLAYNODE* n =
      SPW_CreateDisplayNode(0, 0, nullptr, nullptr, 7, shared, display, nullptr, 0, nullptr);
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(n->dwColour, 0xff000000u);
  EXPECT_FLOAT_EQ(n->rect.x1, 0);  // null rectangle and origin leave zeros
  EXPECT_FLOAT_EQ(n->origin.x, 0);
  EXPECT_EQ(SPW_AddDisplayNode(nullptr, displaytest::LogNode, 0, nullptr), nullptr);
  EXPECT_EQ(SPW_AddDisplayCallback(nullptr, displaytest::LogDisplay, 0, nullptr), nullptr);
  EXPECT_EQ(SPW_DestroyDisplayNode(nullptr), 0);
  EXPECT_EQ(SPW_DestroyDisplay(nullptr), 0);
  EXPECT_EQ(SPW_RemoveDisplayNode(nullptr), 0);
}

TEST_F(DisplayTest, DestroyingANodeReleasesEverythingItHeldDownItsSubtree) {
  SGE_DATAREF* shared = Text("shared");
  SGE_DATAREF* target = Text("target");
  SGE_DATAREF* cbData = Text("cb");
  SGE_DATAREF* childCbData = Text("child-cb");
  SPW_RECT r{0, 0, 10, 10};
  SPW_DISPLAYNODE* n =
      SPW_CreateDisplayNode(0, 0, &r, nullptr, 1, shared, display, nullptr, 0, target);
  SPW_DISPLAYNODE* child = Node(0, r, {0, 0}, n);
  SPW_AddDisplayNode(n, displaytest::LogNode, 0, cbData);
  SPW_AddDisplayNode(child, displaytest::LogNode, 0, childCbData);
  for (SGE_DATAREF* ref : {shared, target, cbData, childCbData}) EXPECT_EQ(ref->nCount, 2);

  SPW_DestroyDisplayNode(n);
  for (SGE_DATAREF* ref : {shared, target, cbData, childCbData}) EXPECT_EQ(ref->nCount, 1);
  EXPECT_TRUE(SGE_ListIsEmpty(&display->nodes));
}

TEST_F(DisplayTest, FreeCallbackReleasesDataRemoveDoesNot) {
  SPW_DISPLAYNODE* n = Node(0, {0, 0, 10, 10}, {0, 0});
  SGE_DATAREF* a = Text("a");
  SGE_DATAREF* b = Text("b");
  SPW_DISPLAYCB* ca = SPW_AddDisplayNode(n, displaytest::LogNode, 0, a);
  SPW_DISPLAYCB* cbb = SPW_AddDisplayNode(n, displaytest::LogNode, 0, b);
  SPW_FreeDisplayCallback(ca);
  SPW_RemoveDisplayNode(cbb);
  EXPECT_EQ(a->nCount, 1);
  EXPECT_EQ(b->nCount, 2);
  EXPECT_TRUE(SGE_ListIsEmpty(&n->callbacks));
}

TEST_F(DisplayTest, DestroyingTheDisplayReleasesItsNodesCallbacksAndDriver) {
  SGE_DATAREF* cbData = Text("cb");
  SGE_DATAREF* target = Text("target");
  SPW_RECT r{0, 0, 10, 10};
  SPW_CreateDisplayNode(0, 0, &r, nullptr, 0, nullptr, display, nullptr, 0, target);
  SPW_AddDisplayCallback(display, displaytest::LogDisplay, 0, cbData);
  EXPECT_EQ(SPW_DestroyDisplay(display), 0);
  display = nullptr;
  EXPECT_EQ(cbData->nCount, 1);
  EXPECT_EQ(target->nCount, 1);
  EXPECT_EQ(driver->nCount, 1);
  EXPECT_TRUE(SGE_ListIsEmpty(SGE_GetDisplayList()));
}

TEST_F(DisplayTest, SetColourReturnsTheOldOne) {
  SPW_DISPLAYNODE* n = Node(0, {0, 0, 10, 10}, {0, 0});
  EXPECT_EQ(SPW_SetDisplayNodeColour(n, 0xff102030u), 0xff000000u);
  EXPECT_EQ(SPW_SetDisplayNodeColour(n, 0), 0xff102030u);
}

TEST(DisplayLayers, TableRowsAndRange) {
  const VNLAYER* l0 = vnMAIN_GetLayer(0);
  ASSERT_NE(l0, nullptr);
  EXPECT_FLOAT_EQ(l0->fMinDepth, 0.001f);
  EXPECT_EQ(l0->dwKey, 1100u);
  const VNLAYER* l8 = vnMAIN_GetLayer(8);
  ASSERT_NE(l8, nullptr);
  EXPECT_FLOAT_EQ(l8->fFar, 525.0f);
  EXPECT_FLOAT_EQ(l8->fMaxDepth, 0.7f);
  EXPECT_EQ(l8->dwKey, 200u);
  EXPECT_EQ(vnMAIN_GetLayer(9)->dwKey, 100u);
  EXPECT_EQ(vnMAIN_GetLayer(-1), nullptr);
  EXPECT_EQ(vnMAIN_GetLayer(10), nullptr);
}
