// The status marker service: records and their messages, the owners' wrappers, bar levels, and
// what a draw hands the driver (over a table that records it).
#include "world/marker/marker.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "tests/support/support.h"
#include "tests/world/marker/marker_fixture.h"
#include "world/unitman/unitman.h"

namespace markertest {
namespace {

using viewtest::OnScreen;
using viewtest::Polygons;

class MarkerTest : public viewtest::ViewTest {
 protected:
  void SetUp() override {
    ViewTest::SetUp();
    if (HasFatalFailure()) return;
    defaults = Defaults(SGE_GameMem);
    list = StartMarkers(view, defaults, &task);
    ASSERT_NE(list, nullptr);
    ASSERT_NE(task, nullptr);
  }
  void TearDown() override {
    StopMarkers(list, task);
    ViewTest::TearDown();
  }

  VNMARKER* Add(SPW_VECTOR at = {0, 0, -10}, uint32_t flags = 0) {
    VNMARKER* m = vnMARK_Send2579(&at, flags);
    EXPECT_NE(m, nullptr);
    return m;
  }
  VNMARKERS* Service() { return SGE_TaskData<VNMARKERS>(task); }
  size_t DrawCount() {
    Polygons().clear();
    SPW_RenderDisplays();
    return Polygons().size();
  }

  VNMARKER_DEFAULTS defaults;
  VNFX_ATTACHLIST* list = nullptr;
  SGE_TASK* task = nullptr;
};

TEST_F(MarkerTest, AnAddedRecordTakesTheDefaultsItsPositionAndFlagsAndTheDefaultPairs) {
  VNMARKER* m = Add({1, 2, 3}, VNMARKER_HIDDEN);
  ASSERT_NE(m, nullptr);
  for (int i = 0; i < VNMARKER_LOOK_WORDS; ++i)
    EXPECT_EQ(m->data.adwLook[i], defaults.data.adwLook[i]) << i;
  EXPECT_FLOAT_EQ(m->data.fLevel, 1.0f);
  EXPECT_EQ(m->data.anWords[0], 11);
  EXPECT_EQ(m->data.anWords[3], 14);
  EXPECT_EQ(m->data.nWord, 0);
  EXPECT_EQ(m->data.dwFlags, VNMARKER_HIDDEN);
  EXPECT_FLOAT_EQ(m->data.vPos.y, 2.0f);
  // The creation pairs give way to the default pair.
  for (const auto& pair : m->data.afPair) {
    EXPECT_FLOAT_EQ(pair[0], 11.0f);
    EXPECT_FLOAT_EQ(pair[1], 0.7f);
  }
  EXPECT_EQ(SGE_ListCount(&Service()->active), 1);
  // A direct send answers with the new record.
  const SPW_VECTOR at{4, 5, 6};
  VNMARKER* second = SGE_Ask<VNMARKER>(task, SGM_MARK_ADD, SGE_PtrParam(&at), 0);
  ASSERT_NE(second, nullptr);
  EXPECT_FLOAT_EQ(second->data.vPos.z, 6.0f);
  EXPECT_EQ(SGE_Send(task, SGM_MARK_ADD, 0, 0), 0);
}

TEST_F(MarkerTest, LevelsAreHeldBetweenZeroAndOne) {
  const struct {
    float level;
    float shown;
  } cases[] = {{-0.5f, 0.0f},
               {3.0f, 1.0f},
               {0.25f, 0.25f},
               {std::numeric_limits<float>::quiet_NaN(), 0.0f},
               {std::numeric_limits<float>::infinity(), 1.0f},
               {-std::numeric_limits<float>::infinity(), 0.0f}};
  VNMARKER* m = Add();
  for (const auto& c : cases) {
    vnMARK_Send2581(m, c.level);
    EXPECT_FLOAT_EQ(m->data.fLevel, c.shown) << c.level;
  }
}

TEST_F(MarkerTest, EachMessageSetsItsOwnField) {
  VNMARKER* m = Add();
  const float pair[2] = {3.0f, 4.0f};
  const SPW_VECTOR at{7, 8, 9};
  const int32_t words[4] = {1, 2, 3, 4};
  SGE_Send(task, SGM_MARK_PAIR_B, SGE_PtrParam(m), SGE_PtrParam(pair));
  SGE_Send(task, SGM_MARK_POSITION, SGE_PtrParam(m), SGE_PtrParam(&at));
  SGE_Send(task, SGM_MARK_WORDS, SGE_PtrParam(m), SGE_PtrParam(words));
  vnMARK_Send2586(m, 42);
  EXPECT_FLOAT_EQ(m->data.afPair[VNMARKER_PAIR_A][0], 11.0f);
  EXPECT_FLOAT_EQ(m->data.afPair[VNMARKER_PAIR_B][1], 4.0f);
  EXPECT_FLOAT_EQ(m->data.vPos.x, 7.0f);
  EXPECT_EQ(m->data.anWords[2], 3);
  EXPECT_EQ(m->data.nWord, 42);
  // The appearance messages name the words from 1: 2588 is word 5, 2589 word 4, 2590 word 2,
  // 2591 word 3; word 1 has no message.
  const struct {
    int32_t msg;
    int32_t word;
  } looks[] = {{SGM_MARK_LOOK5, 5}, {SGM_MARK_LOOK4, 4}, {SGM_MARK_LOOK2, 2}, {SGM_MARK_LOOK3, 3}};
  for (const auto& l : looks) {
    const int32_t value = 0x100 + l.msg;
    SGE_Send(task, l.msg, SGE_PtrParam(m), SGE_PtrParam(&value));
    EXPECT_EQ(m->data.adwLook[l.word - 1], static_cast<uint32_t>(value)) << l.msg;
  }
  EXPECT_EQ(m->data.adwLook[0], kBlue);
  vnMARK_SetDefaults(m);
  EXPECT_FLOAT_EQ(m->data.afPair[VNMARKER_PAIR_B][0], 11.0f);
}

TEST_F(MarkerTest, ANullRecordOrValueChangesNothing) {
  VNMARKER* m = Add();
  const VNMARKER before = *m;
  for (int32_t msg = SGM_MARK_LEVEL; msg <= SGM_MARK_LOOK3; ++msg) {
    if (msg == SGM_MARK_WORD) continue;  // carries its value, not a pointer
    SGE_Send(task, msg, SGE_PtrParam(m), 0);
    SGE_Send(task, msg, 0, SGE_PtrParam(&before));
  }
  SGE_Send(task, SGM_MARK_REMOVE, 0, 0);
  vnMARK_Send2586(nullptr, 5);
  EXPECT_EQ(std::memcmp(&before, m, sizeof before), 0);
  EXPECT_EQ(SGE_ListCount(&Service()->active), 1);
}

TEST_F(MarkerTest, WithoutTheTaskTheWrappersDoNothingAndAddAnswersNull) {
  VNMARKER* m = Add();
  vnMISSCONT_SetOverlayTask(nullptr);
  const SPW_VECTOR at{1, 1, 1};
  // Not the flags handed in: an owner would keep them as its record.
  EXPECT_EQ(vnMARK_Send2579(&at, VNMARKER_HIDDEN), nullptr);
  vnMARK_Send2581(m, 0.5f);
  vnMARK_Send2585(m, &at);
  vnMARK_Send2580(m);
  EXPECT_FLOAT_EQ(m->data.fLevel, 1.0f);
  EXPECT_FLOAT_EQ(m->data.vPos.z, -10.0f);
  EXPECT_EQ(SGE_ListCount(&Service()->active), 1);
  vnMISSCONT_SetOverlayTask(task);
}

TEST_F(MarkerTest, ARemovedRecordIsTakenAgainAndAFullBlockAddsNothing) {
  StopMarkers(list, task);
  // Room for two records and no more.
  const uint32_t record = (sizeof(VNMARKER) + SGE_MEM_GRANULE - 1) / SGE_MEM_GRANULE * SGE_MEM_GRANULE;
  std::vector<uint8_t> memory(SGE_MEMBLOCK_OVERHEAD + 2 * record + SGE_MEMCHUNK_HEADER_SIZE + 8);
  SGE_MEMBLOCK* block = SGE_FormatMemBlock(memory.data(), static_cast<uint32_t>(memory.size()), "markers");
  ASSERT_NE(block, nullptr);
  defaults = Defaults(block);
  list = StartMarkers(view, defaults, &task);
  VNMARKER* a = Add();
  VNMARKER* b = Add();
  ASSERT_TRUE(a && b);
  const SPW_VECTOR at{0, 0, -10};
  vntest::TraceCapture trace;
  EXPECT_EQ(vnMARK_Send2579(&at, 0), nullptr);
  EXPECT_TRUE(trace.contains("no memory"));
  vnMARK_Send2580(a);
  EXPECT_EQ(SGE_ListCount(&Service()->active), 1);
  EXPECT_EQ(vnMARK_Send2579(&at, 0), a);
  EXPECT_EQ(SGE_ListCount(&Service()->active), 2);
  StopMarkers(list, task);
  list = nullptr;
  task = nullptr;
  SGE_ReleaseMemBlock(block);
}

TEST_F(MarkerTest, AHiddenRecordStaysInTheListAndReappearsWhenItsBitIsCleared) {
  VNMARKER* m = Add();
  vnMARK_Send2581(m, 0.5f);
  EXPECT_EQ(DrawCount(), 3u);
  m->data.dwFlags |= VNMARKER_HIDDEN;
  EXPECT_EQ(DrawCount(), 0u);
  EXPECT_EQ(SGE_ListCount(&Service()->active), 1);
  m->data.dwFlags &= ~VNMARKER_HIDDEN;
  EXPECT_EQ(DrawCount(), 3u);
  // An empty bar has no fill.
  vnMARK_Send2581(m, 0.0f);
  EXPECT_EQ(DrawCount(), 2u);
}

TEST_F(MarkerTest, TheBarIsDrawnAroundTheProjectedPositionAndCutAtItsLevel) {
  VNMARKER* m = Add({1, 0.5f, -10});
  const float outer[2] = {21, 6}, middle[2] = {19, 4}, inner[2] = {17, 2};
  SGE_Send(task, SGM_MARK_PAIR_C, SGE_PtrParam(m), SGE_PtrParam(outer));
  SGE_Send(task, SGM_MARK_PAIR_B, SGE_PtrParam(m), SGE_PtrParam(middle));
  SGE_Send(task, SGM_MARK_PAIR_A, SGE_PtrParam(m), SGE_PtrParam(inner));
  vnMARK_Send2581(m, 0.25f);
  ASSERT_EQ(DrawCount(), 3u);
  // (1, 0.5) at 10 ahead: 32 pixels right of the centre and 16 up.
  const struct {
    const char* part;
    float left, top, right, bottom;
    uint32_t colour;
  } parts[] = {{"outer", 352 - 21, 224 - 6, 352 + 21, 224 + 6, kBlue},
               {"middle", 352 - 19, 224 - 4, 352 + 19, 224 + 4, kGrey},
               // A quarter of the way from red to green, byte by byte.
               {"fill", 352 - 17, 224 - 2, 352 - 17 + 34 * 0.25f, 224 + 2, 0xFFC03F00}};
  for (size_t i = 0; i < 3; ++i) {
    const auto& want = parts[i];
    const viewtest::Polygon& got = Polygons()[i];
    ASSERT_EQ(got.v.size(), 4u) << want.part;
    const SPW_POINT tl = OnScreen(got.v[0]), br = OnScreen(got.v[2]);
    EXPECT_NEAR(tl.x, want.left, 0.01f) << want.part;
    EXPECT_NEAR(tl.y, want.top, 0.01f) << want.part;
    EXPECT_NEAR(br.x, want.right, 0.01f) << want.part;
    EXPECT_NEAR(br.y, want.bottom, 0.01f) << want.part;
    for (const SPPD_VERTEX& v : got.v) EXPECT_EQ(v.dwColour, want.colour) << want.part;
    EXPECT_FLOAT_EQ(got.v[0].z, -10.0f) << want.part;
    EXPECT_EQ(got.textureId, 0) << want.part;
  }
}

TEST_F(MarkerTest, AMarkerAtOrBehindTheNearPlaneIsNotDrawn) {
  VNMARKER* m = Add({0, 0, -0.5f});
  EXPECT_EQ(DrawCount(), 0u);
  const SPW_VECTOR behind{0, 0, 5};
  vnMARK_Send2585(m, &behind);
  EXPECT_EQ(DrawCount(), 0u);
  const SPW_VECTOR nowhere{std::numeric_limits<float>::quiet_NaN(), 0, -10};
  vnMARK_Send2585(m, &nowhere);
  const SPW_VECTOR ahead{0, 0, -2};
  Add(ahead);
  EXPECT_EQ(DrawCount(), 3u);
}

TEST_F(MarkerTest, DestroyReleasesTheDrawNodeAndTheMissionForgetsTheTask) {
  const int32_t drawing = vnFX_AttachPoolFreeCount();
  Add();
  SGE_SendMessage(task, nullptr, SGM_TASK_DESTROY, 0, 0);
  EXPECT_EQ(vnMISSCONT_GetOverlayTask(), nullptr);
  EXPECT_EQ(vnFX_AttachPoolFreeCount(), drawing + 1);
  EXPECT_EQ(list->nCount, 0);
  const SPW_VECTOR at{0, 0, -10};
  EXPECT_EQ(vnMARK_Send2579(&at, 0), nullptr);
  task = nullptr;
}

TEST(MarkerLevel, ABarLevelOverAMaximumOfZeroIsEmpty) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const struct {
    float value, maximum, level;
  } cases[] = {{30, 60, 0.5f}, {30, 0, 0},  {0, 0, 0},   {30, -5, 0},  {90, 60, 1},
               {-5, 60, 0},    {nan, 60, 0}, {30, nan, 0}, {30, inf, 0}, {inf, 60, 1}};
  for (const auto& c : cases)
    EXPECT_FLOAT_EQ(vnMARK_BarLevel(c.value, c.maximum), c.level) << c.value << " / " << c.maximum;

  VNUNIT unit{};
  vnUNIT_SetAttrFloat(&unit, VN_ATTR_HEALTH, 30.0f);
  vnUNIT_SetAttrFloat(&unit, VN_ATTR_SUPPLY, 12.0f);
  EXPECT_FLOAT_EQ(vnMARK_UnitLevel(&unit, VN_ATTR_HEALTH, 60.0f), 0.5f);
  EXPECT_FLOAT_EQ(vnMARK_UnitLevel(&unit, VN_ATTR_HEALTH, 0.0f), 0.0f);
  EXPECT_FLOAT_EQ(vnMARK_UnitLevel(&unit, VN_ATTR_SUPPLY, 48.0f), 0.25f);
  EXPECT_FLOAT_EQ(vnMARK_UnitLevel(&unit, VN_ATTR_VALUES, 48.0f), 0.0f);
  EXPECT_FLOAT_EQ(vnMARK_UnitLevel(nullptr, VN_ATTR_HEALTH, 48.0f), 0.0f);
}

}  // namespace
}  // namespace markertest
