// Attachment nodes and draw lists: the pool, the order and kind of each visit on a draw, nodes
// dropped or released while the list is drawn, shared data records and the view's matrices.
#include "world/attach/attach.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/tess/viewstack.h"
#include "tests/world/attach/view_fixture.h"

namespace {

using viewtest::ViewTest;

constexpr int32_t kRecorderType = 400;
constexpr uint32_t kPriority = 520;

// What each draw visited, in order: "task" or the function node's user value as text.
std::vector<std::string> g_visits;
std::vector<SGE_PARAM> g_taskParams;
// What a node does on its visit beyond being recorded.
VNFX_ATTACHLIST* g_list = nullptr;
VNFX_ATTACHNODE* g_victim = nullptr;
bool g_destroyOnDraw = false;

SGE_RESULT Recorder(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  if (msg == SGM_TASK_DRAW) {
    g_visits.push_back("task");
    g_taskParams.push_back(p1);
    if (g_destroyOnDraw) vnFX_AttachListDestroy(g_list);
    return 1;
  }
  return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
}

int32_t Keep(VNFX_ATTACHNODE*, SGE_PARAM user) {
  g_visits.push_back(std::to_string(user));
  return VNFX_ATTACH_KEEP;
}
int32_t Drop(VNFX_ATTACHNODE*, SGE_PARAM user) {
  g_visits.push_back(std::to_string(user));
  return 0;
}
int32_t ReleaseVictim(VNFX_ATTACHNODE*, SGE_PARAM user) {
  g_visits.push_back(std::to_string(user));
  EXPECT_EQ(vnFX_AttachNodeRelease(g_victim), 1);
  return VNFX_ATTACH_KEEP;
}
int32_t ReleaseItself(VNFX_ATTACHNODE* node, SGE_PARAM user) {
  g_visits.push_back(std::to_string(user));
  vnFX_AttachNodeRelease(node);
  return 0;
}

class AttachTest : public ViewTest {
 protected:
  void SetUp() override {
    ViewTest::SetUp();
    if (HasFatalFailure()) return;
    g_visits.clear();
    g_taskParams.clear();
    g_victim = nullptr;
    g_destroyOnDraw = false;
    ASSERT_EQ(SGE_RegisterTaskType(kRecorderType, Recorder, SGE_TTF_ZERO_DATA, 16, "Recorder"),
              1);
    list = g_list = vnFX_AttachListCreate(view, kPriority);
    ASSERT_NE(list, nullptr);
  }
  void TearDown() override {
    if (list) vnFX_AttachListDestroy(list);
    ViewTest::TearDown();
  }

  std::vector<std::string> Draw() {
    g_visits.clear();
    SPW_RenderDisplays();
    return g_visits;
  }
  SGE_TASK* Task() {
    SGE_TASK* t = SGE_CreateTask(kRecorderType, nullptr, nullptr, 0, 0);
    EXPECT_NE(t, nullptr);
    return t;
  }

  VNFX_ATTACHLIST* list = nullptr;
};

using Visits = std::vector<std::string>;

TEST_F(AttachTest, NodesAreVisitedInListOrderATaskByMessage16AFunctionByACall) {
  SGE_TASK* task = Task();
  VNFX_ATTACHNODE* a = vnFX_AttachFunction(list, Keep, 1, 0);
  VNFX_ATTACHNODE* t = vnFX_AttachTask(list, task, task->pInstance, 7);
  VNFX_ATTACHNODE* b = vnFX_AttachFunction(list, Keep, 2, 0);
  ASSERT_TRUE(a && t && b);
  EXPECT_EQ(list->nCount, 3);
  EXPECT_EQ(t->nValue, 7);
  EXPECT_EQ(Draw(), (Visits{"1", "task", "2"}));
  ASSERT_EQ(g_taskParams.size(), 1u);
  EXPECT_EQ(g_taskParams[0], SGE_PtrParam(t));
  // The node tells its task which view it draws into.
  EXPECT_EQ(vnFX_AttachNodeGetDrawRecord(t), view);
  EXPECT_EQ(Draw(), (Visits{"1", "task", "2"}));
}

TEST_F(AttachTest, AFunctionThatAnswersOtherThanOneIsDroppedInTheSameDraw) {
  const int32_t before = vnFX_AttachPoolFreeCount();
  vnFX_AttachFunction(list, Keep, 1, 0);
  vnFX_AttachFunction(list, Drop, 2, 0);
  vnFX_AttachFunction(list, Keep, 3, 0);
  EXPECT_EQ(Draw(), (Visits{"1", "2", "3"}));
  EXPECT_EQ(list->nCount, 2);
  EXPECT_EQ(vnFX_AttachPoolFreeCount(), before - 2);
  EXPECT_EQ(Draw(), (Visits{"1", "3"}));
}

TEST_F(AttachTest, ANodeReleasedByTheOneBeforeItIsNotVisited) {
  vnFX_AttachFunction(list, ReleaseVictim, 1, 0);
  g_victim = vnFX_AttachFunction(list, Keep, 2, 0);
  vnFX_AttachFunction(list, Keep, 3, 0);
  const int32_t free = vnFX_AttachPoolFreeCount();
  EXPECT_EQ(Draw(), (Visits{"1", "3"}));
  EXPECT_EQ(list->nCount, 2);
  EXPECT_EQ(vnFX_AttachPoolFreeCount(), free + 1);
  g_victim = nullptr;
}

TEST_F(AttachTest, AFunctionThatReleasesItselfAndAnswersZeroGoesBackOnce) {
  const int32_t before = vnFX_AttachPoolFreeCount();
  vnFX_AttachFunction(list, ReleaseItself, 1, 0);
  vnFX_AttachFunction(list, Keep, 2, 0);
  EXPECT_EQ(Draw(), (Visits{"1", "2"}));
  EXPECT_EQ(list->nCount, 1);
  EXPECT_EQ(vnFX_AttachPoolFreeCount(), before - 1);
}

TEST_F(AttachTest, ATaskThatDestroysTheListWhileItIsDrawnEndsTheDraw) {
  SGE_TASK* task = Task();
  const int32_t before = vnFX_AttachPoolFreeCount();
  vnFX_AttachFunction(list, Keep, 1, 0);
  vnFX_AttachTask(list, task, nullptr, 0);
  vnFX_AttachFunction(list, Keep, 2, 0);
  g_destroyOnDraw = true;
  EXPECT_EQ(Draw(), (Visits{"1", "task"}));
  list = g_list = nullptr;
  EXPECT_EQ(vnFX_AttachPoolFreeCount(), before);
  // The render callback went with the list.
  EXPECT_EQ(Draw(), Visits{});
}

TEST_F(AttachTest, ADataRecordSharedByTwoNodesLivesUntilBothAreReleased) {
  SGE_TASK* task = Task();
  SGE_DATAREF* record = SGE_CreateDataRef(nullptr, 24);
  ASSERT_NE(record, nullptr);
  VNFX_ATTACHNODE* a = vnFX_AttachTask(list, task, record, 0);
  VNFX_ATTACHNODE* b = vnFX_AttachTask(list, task, record, 0);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(record->nCount, 3);
  SGE_ReleaseDataRef(record);
  SGE_MEMSTATS before{};
  SGE_GetMemBlockStats(&before, SPW_ObjsMem);
  EXPECT_EQ(vnFX_AttachNodeRelease(a), 1);
  EXPECT_EQ(record->nCount, 1);
  SGE_MEMSTATS middle{};
  SGE_GetMemBlockStats(&middle, SPW_ObjsMem);
  EXPECT_EQ(middle.dwUsedChunks, before.dwUsedChunks);
  EXPECT_EQ(vnFX_AttachNodeRelease(b), 1);
  SGE_MEMSTATS after{};
  SGE_GetMemBlockStats(&after, SPW_ObjsMem);
  EXPECT_EQ(after.dwUsedChunks, before.dwUsedChunks - 1);  // the record's data went
}

TEST_F(AttachTest, AReleasedNodeGoesBackToThePoolOnlyOnce) {
  const int32_t before = vnFX_AttachPoolFreeCount();
  VNFX_ATTACHNODE* n = vnFX_AttachFunction(list, Keep, 1, 0);
  EXPECT_EQ(vnFX_AttachNodeRelease(n), 1);
  EXPECT_EQ(vnFX_AttachNodeRelease(n), 0);
  EXPECT_EQ(vnFX_AttachNodeRelease(nullptr), 0);
  EXPECT_EQ(vnFX_AttachPoolFreeCount(), before);
  EXPECT_EQ(list->nCount, 0);
  EXPECT_EQ(vnFX_AttachNodeGetDrawRecord(n), nullptr);
}

TEST_F(AttachTest, APoolHandsOutNoMoreThanItWasMadeWith) {
  const struct {
    const char* name;
    bool block;
    int32_t count;
    int32_t result;
  } cases[] = {{"no block", false, 5, 0}, {"no nodes", true, 0, 0}, {"two", true, 2, 1}};
  for (const auto& c : cases) {
    vnFX_AttachPoolFree();
    EXPECT_EQ(vnFX_AttachPoolInit(c.block ? SPW_ObjsMem : nullptr, c.count), c.result) << c.name;
    const int32_t expected = c.result ? c.count : 0;
    for (int32_t i = 0; i < expected; ++i)
      EXPECT_NE(vnFX_AttachFunction(list, Keep, i, 0), nullptr) << c.name;
    EXPECT_EQ(vnFX_AttachFunction(list, Keep, 9, 0), nullptr) << c.name;
    EXPECT_EQ(list->nCount, expected) << c.name;
  }
  // Freeing the pool takes its nodes off the list they were on.
  vnFX_AttachPoolFree();
  EXPECT_EQ(list->nCount, 0);
  EXPECT_EQ(Draw(), Visits{});
}

SPW_MATRIX g_seenView, g_seenCamera;
int32_t SeeMatrices(VNFX_ATTACHNODE*, SGE_PARAM) {
  g_seenView = *SPW_MatStackTop(&SPW_ViewStack);
  g_seenCamera = *SPW_MatStackTop(&SPW_CameraStack);
  return VNFX_ATTACH_KEEP;
}

TEST_F(AttachTest, NodesDrawWithTheViewsMatricesOnTopOfTheStacks) {
  SPW_VDISPLAY* vd = SPW_GetVDisplay(view);
  ASSERT_NE(vd, nullptr);
  // The camera 5 along x: world points move 5 the other way in view space.
  SPW_MATRIX camera;
  SPW_MatIdentity(&camera);
  camera.m[3][0] = 5.0f;
  ASSERT_EQ(SPW_SetViewFromTransform(vd, &camera), 1);
  vnFX_AttachFunction(list, SeeMatrices, 0, 0);
  Draw();
  EXPECT_FLOAT_EQ(g_seenView.m[3][0], -5.0f);
  EXPECT_FLOAT_EQ(g_seenCamera.m[3][0], 5.0f);
  // Popped again after the draw.
  EXPECT_EQ(SPW_ViewStack.nTop, 0);
  EXPECT_FLOAT_EQ(SPW_MatStackTop(&SPW_ViewStack)->m[3][0], 0.0f);
  EXPECT_EQ(SPW_CameraStack.nTop, 0);
}

TEST_F(AttachTest, TheDrawAnswersMinusOneWithoutItsViewOrList) {
  SGE_DATAREF* data = list->pCallback->pData;
  SPW_DISPLAYNODE plain{};
  plain.pDisplay = display;
  EXPECT_EQ(vnFX_AttachListDraw(view, nullptr, data), 1);
  EXPECT_EQ(vnFX_AttachListDraw(&plain, nullptr, data), -1);
  EXPECT_EQ(vnFX_AttachListDraw(view, nullptr, nullptr), -1);
  EXPECT_EQ(vnFX_AttachListDraw(nullptr, nullptr, data), -1);
  EXPECT_EQ(vnFX_AttachListCreate(nullptr, kPriority), nullptr);
  EXPECT_EQ(vnFX_AttachNodeAcquire(nullptr, nullptr, 0, 0, VNFX_ATTACH_FUNCTION), nullptr);
}

}  // namespace
