// The attribute rows: lines read into rows, amended, skipped or ending the file; linked types
// drawn from the node pool and given back.
#include <gtest/gtest.h>

#include <bit>
#include <string>

#include "engine/kernel/tasktypes.h"
#include "unittype_fixture.h"

namespace {

using AttributesTest = UnitFilesFixture;

std::string Lines(std::initializer_list<VNWRITE_UNITATTR> rows) {
  std::string text = vnWRITE_UnitAttrText(rows);
  // Without the heading and the closing blank line.
  return text.substr(text.find('\n') + 1, text.size() - text.find('\n') - 2);
}

TEST_F(AttributesTest, RowsReadBackExactlyAsWritten) {
  VNWRITE_UNITATTR soldier = Sample(VN_UNIT_TYPE_TERRAN_ZR_0, 123.456789f, 0x12690000u, {190, 7});
  soldier.ints = {-5, 2, 7, 8, -9, 2147483647};
  soldier.floats[0] = -1.0e-7f;
  soldier.floats[18] = 3.4e38f;
  const VNWRITE_UNITATTR rifle = Sample(VN_UNIT_TYPE_WEAPON_SMARTRIFLE_0, 20.0f, 0x8, {7});
  WriteAttrs(vnWRITE_UnitAttrText({soldier, rifle}));
  ASSERT_EQ(Load(), 1);

  const VNUNIT_ATTR& row = Row(VN_UNIT_TYPE_TERRAN_ZR_0);
  EXPECT_EQ(row.nType, VN_UNIT_TYPE_TERRAN_ZR_0);
  EXPECT_EQ(row.dwFlags, 0x12690000u);
  EXPECT_EQ(row.nClassId, VNTT_TERRAN_INFANTRY);
  EXPECT_EQ(vnUNITATTR_Int(row, 0), 0);
  EXPECT_EQ(vnUNITATTR_Int(row, 1), 0);
  EXPECT_EQ(vnUNITATTR_Int(row, 2), -5);
  EXPECT_EQ(vnUNITATTR_Int(row, VN_ATTR_RANK), 2);
  EXPECT_EQ(vnUNITATTR_Int(row, 4), 7);
  EXPECT_EQ(vnUNITATTR_Int(row, VN_ATTR_ICON), -1);
  EXPECT_EQ(vnUNITATTR_Int(row, 6), 8);
  EXPECT_EQ(vnUNITATTR_Int(row, 8), 2147483647);
  EXPECT_EQ(vnUNITATTR_Float(row, VN_ATTR_SUPPLY), 0.25f);
  EXPECT_EQ(vnUNITATTR_Int(row, 10), 10);
  for (int32_t v = 11; v < VN_ATTR_VALUES; ++v) {
    EXPECT_EQ(std::bit_cast<uint32_t>(vnUNITATTR_Float(row, v)),
              std::bit_cast<uint32_t>(soldier.floats[static_cast<size_t>(v - 11)]))
        << "value " << v;
  }
  EXPECT_EQ(Linked(VN_UNIT_TYPE_TERRAN_ZR_0), (std::vector<int32_t>{190, 7}));
  EXPECT_TRUE(SGE_ListIsEmpty(&row.second));
  EXPECT_EQ(Linked(VN_UNIT_TYPE_WEAPON_SMARTRIFLE_0), (std::vector<int32_t>{7}));
  EXPECT_EQ(FreeCount(), kPoolSize - 3);
  // Rows not in the file hold only their class id.
  EXPECT_EQ(Row(VN_UNIT_TYPE_BUG_WARRIOR).nClassId, VNTT_BUG_WARRIOR);
  EXPECT_EQ(Row(VN_UNIT_TYPE_BUG_WARRIOR).dwFlags, 0u);
  // Numbered model files use the loaded rank plus one.
  EXPECT_STREQ(vnUNITMAN_BuildPowName(VN_UNIT_TYPE_TERRAN_ZR_0, 0x7, "m", "R"),
               "Export/POWs/h3_tcap3mR.pow");
}

TEST_F(AttributesTest, ConsecutiveLinesOfATypeAmendItsRow) {
  WriteAttrs(Lines({Sample(40, 10.0f, 0x11, {1}), Sample(40, 99.0f, 0x22, {2, 3})}));
  ASSERT_EQ(Load(), 1);
  EXPECT_EQ(vnUNITATTR_Float(Row(40), VN_ATTR_HEALTH), 99.0f);
  EXPECT_EQ(Row(40).dwFlags, 0x11u);
  EXPECT_EQ(Linked(40), (std::vector<int32_t>{1, 2, 3}));
}

TEST_F(AttributesTest, ATypeNamedAgainLaterStartsOverAndGivesBackItsNodes) {
  WriteAttrs(Lines({Sample(40, 10.0f, 0x11, {1, 2}), Sample(41, 1.0f, 0, {}),
                    Sample(40, 20.0f, 0x22, {3})}));
  ASSERT_EQ(Load(), 1);
  EXPECT_EQ(Row(40).dwFlags, 0x22u);
  EXPECT_EQ(Linked(40), (std::vector<int32_t>{3}));
  EXPECT_EQ(FreeCount(), kPoolSize - 1);
}

TEST_F(AttributesTest, TheFirstLineStartsItsRowEvenForTypeZero) {
  // A row already holding links (a second load without a free) must not keep stale ones.
  WriteAttrs(Lines({Sample(0, 5.0f, 0x40, {1})}));
  ASSERT_EQ(Load(), 1);
  ASSERT_EQ(Load(), 1);
  EXPECT_EQ(Row(0).dwFlags, 0x40u);
  EXPECT_EQ(Linked(0), (std::vector<int32_t>{1}));
  EXPECT_EQ(FreeCount(), kPoolSize - 1);
}

TEST_F(AttributesTest, CommentedBlankAndShortLinesSkipOrEndTheReading) {
  const std::string good = Lines({Sample(5, 1.0f, 0x1)});
  const std::string full = good.substr(0, good.size() - 1);  // no line feed
  const std::string later = Lines({Sample(6, 2.0f, 0x2)});
  struct Case {
    const char* name;
    std::string text;
    uint32_t five, six;  // the flags each row ends with
  } cases[] = {
      {"comment after the numbers", full + " // note\n" + later, 0, 2},
      {"comment only", "// heading\n" + later, 0, 2},
      {"carriage returns", full + "\r\n" + later.substr(0, later.size() - 1) + "\r\n", 1, 2},
      {"no final line feed", full + "\n" + later.substr(0, later.size() - 1), 1, 2},
      {"blank line", full + "\n\n" + later, 1, 0},
      {"28 fields", full.substr(0, full.rfind(' ')) + "\n" + later, 0, 0},
      {"a carriage return alone", "\r\n" + later, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    vnUNITMAN_FreeAttributes(rows_.data(), &freeNodes_);
    WriteAttrs(c.text);
    ASSERT_EQ(Load(), 1);
    EXPECT_EQ(Row(5).dwFlags, c.five);
    EXPECT_EQ(Row(6).dwFlags, c.six);
  }
}

TEST_F(AttributesTest, MalformedLinesAreTracedAndSkipped) {
  const std::string later = Lines({Sample(6, 2.0f, 0x2)});
  const std::string line = Lines({Sample(7, 1.0f, 0x1)});
  const std::string tail = line.substr(line.find(' '));
  struct Case {
    const char* name;
    std::string text;
    const char* trace;
    bool stops = false;  // the reading ends at the line
  } cases[] = {
      {"type 214", "214" + tail + later, "type index is out of range"},
      {"type -1", "-1" + tail + later, "type index is out of range"},
      {"type past 32 bits", "99999999999" + tail + later, "reading ends", true},
      {"linked type 214", Lines({Sample(7, 1.0f, 0x1, {3, 214})}) + later,
       "linked type is out of range"},
      {"linked type -1", Lines({Sample(7, 1.0f, 0x1, {-1})}) + later,
       "linked type is out of range"},
      {"oversized line", std::string(5000, '7') + "\n" + later, "longer than"},
      {"ninth linked type", line.substr(0, line.size() - 1) + " 1 2 3 4 5 6 7 8 9\n" + later,
       "text after the last field"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    vnUNITMAN_FreeAttributes(rows_.data(), &freeNodes_);
    WriteAttrs(c.text);
    vntest::TraceCapture trace;
    ASSERT_EQ(Load(), 1);
    EXPECT_TRUE(trace.contains(c.trace));
    EXPECT_EQ(FreeCount() + SGE_ListCount(&Row(7).linked), kPoolSize);
    EXPECT_EQ(Row(6).dwFlags, c.stops ? 0u : 0x2u);
  }
}

TEST_F(AttributesTest, AnEmptyPoolDropsTheLinksItCannotHold) {
  while (SGE_ListPopHead(&freeNodes_)) {
  }
  WriteAttrs(Lines({Sample(40, 10.0f, 0x11, {1, 2})}));
  vntest::TraceCapture trace;
  ASSERT_EQ(Load(), 1);
  EXPECT_TRUE(trace.contains("no list node left"));
  EXPECT_TRUE(Linked(40).empty());
  EXPECT_EQ(vnUNITATTR_Float(Row(40), VN_ATTR_HEALTH), 10.0f);
}

TEST_F(AttributesTest, AMissingFileLeavesOnlyTheClassIds) {
  EXPECT_EQ(Load(), 0);
  EXPECT_EQ(Row(VN_UNIT_TYPE_SUIT_SCOUT_1).nClassId, VNTT_SUIT_SCOUT);
  EXPECT_EQ(Row(VN_UNIT_TYPE_SUIT_SCOUT_1).dwFlags, 0u);
  EXPECT_EQ(vnUNITATTR_LoadedRow(VN_UNIT_TYPE_SUIT_SCOUT_1), nullptr);
}

TEST_F(AttributesTest, FreeingGivesEveryNodeBackAndZeroesTheRows) {
  WriteAttrs(Lines({Sample(40, 10.0f, 0x11, {1, 2}), Sample(92, 1.0f, 0x1, {176, 8})}));
  ASSERT_EQ(Load(), 1);
  ASSERT_NE(vnUNITATTR_LoadedRow(40), nullptr);
  EXPECT_EQ(FreeCount(), kPoolSize - 4);
  EXPECT_EQ(vnUNITMAN_FreeAttributes(rows_.data(), &freeNodes_), 1);
  EXPECT_EQ(FreeCount(), kPoolSize);
  EXPECT_EQ(Row(40).dwFlags, 0u);
  EXPECT_EQ(Row(40).nClassId, 0);
  EXPECT_EQ(vnUNITATTR_LoadedRow(40), nullptr);
}

}  // namespace
