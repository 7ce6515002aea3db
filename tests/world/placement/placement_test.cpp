// Placement commands on a unit whose controller records what it is told.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/kernel/kernel.h"
#include "tests/support/support.h"
#include "tools/writers/placement_writer.h"
#include "world/placement/placement.h"
#include "world/unitman/unitmsg.h"

namespace {

constexpr int32_t kControllerType = 402;

struct Told {
  int32_t msg;
  SGE_PARAM a, b;
  std::string text;  // the User value, read while the message is handled
  bool operator==(const Told&) const = default;
};
std::vector<Told> g_told;

SGE_RESULT Controller(SGE_TASK* task, SGE_DATAREF* data, int32_t msg, SGE_PARAM p1, SGE_PARAM p2) {
  if (msg < SGM_UNIT_SET_USER || msg > SGM_UNIT_SET_VISIBLE) {
    return SGE_DefaultTaskHandler(task, data, msg, p1, p2);
  }
  const std::string text = msg == SGM_UNIT_SET_USER ? SGE_ParamPtr<const char>(p1) : "";
  g_told.push_back({msg, msg == SGM_UNIT_SET_USER ? 0 : p1, p2, text});
  return 1;
}

constexpr float kHealth = 200.0f;
constexpr int32_t kRank = 2;
constexpr uint32_t kFlags = 0x10400000;
constexpr uint32_t kInclude = 0x400000;
constexpr uint32_t kExclude = 0x1000000;

class Placement : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SGE_InitMemoryAndKernel(0), 1);
    ASSERT_EQ(SGE_RegisterTaskType(kControllerType, Controller, 0, 0, "Controller"), 1);
    g_told.clear();
    ResetUnit();
    unit.pController = SGE_CreateTask(kControllerType, nullptr, nullptr, 0, 0);
  }
  void TearDown() override { SGE_ShutdownKernelAndMemory(); }

  void ResetUnit() {
    unit = VNUNIT{};
    unit.dwId = 17;
    unit.nType = 101;
    unit.dwFlags = kFlags;
    unit.dwIncludeMask = kInclude;
    unit.dwExcludeMask = kExclude;
    vnUNIT_SetAttrInt(&unit, VN_ATTR_RANK, kRank);
    vnUNIT_SetAttrFloat(&unit, VN_ATTR_HEALTH, kHealth);
  }

  VNPLACE_COMMANDBLOCK Block(const char* text) {
    VNPLACE_COMMANDBLOCK block{};
    std::strcpy(block.szName, "Squad_A");
    block.pszText = text;
    return block;
  }
  int32_t First(const char* text) {
    const VNPLACE_COMMANDBLOCK block = Block(text);
    return vnPLParser_ApplyCommands(&block, &unit);
  }
  int32_t Late(const char* text) {
    const VNPLACE_COMMANDBLOCK block = Block(text);
    return vnPLParser_ApplyLateCommands(&block, &unit);
  }
  float Health() const { return vnUNIT_AttrFloat(&unit, VN_ATTR_HEALTH); }
  bool Untouched() const {
    return unit.dwFlags == kFlags && unit.dwIncludeMask == kInclude &&
           unit.dwExcludeMask == kExclude && vnUNIT_AttrInt(&unit, VN_ATTR_RANK) == kRank &&
           Health() == kHealth && unit.szLabel[0] == '\0';
  }

  VNUNIT unit{};
};

TEST_F(Placement, CommandsTellTheControllerWhatTheTableSays) {
  struct Case {
    const char* text;
    std::vector<Told> told;
  };
  const Case cases[] = {
      {"SetDormant=TRUE", {{SGM_UNIT_SET_DORMANT, 1, 0, ""}}},
      {"SetDormant=false", {{SGM_UNIT_SET_DORMANT, 0, 0, ""}}},
      {"SetDormant=yes", {}},
      {"Visible=True", {{SGM_UNIT_SET_VISIBLE, 1, 0, ""}}},
      {"Visible=1", {}},
      {"ProfileID=12", {{SGM_UNIT_SET_PROFILE, 12, 0, ""}}},
      {"DormantActivity=x", {{SGM_UNIT_SET_DORMANT_ACTIVITY, 0, 0, ""}}},
      {"Name=\"3 4\"", {{SGM_UNIT_SET_NAME, 3, 4, ""}}},
      {"Name=3 4", {}},  // only the first token counts: one number, no name
      {"User=Sarge extra", {{SGM_UNIT_SET_USER, 0, 0, "Sarge"}}},
      {"user=\"Big Sarge\"", {{SGM_UNIT_SET_USER, 0, 0, "Big Sarge"}}},
      {"Visible=", {}},
      {"Visible=\"true", {}},  // an unclosed quote is no value
      {"SetDormant =true", {}},  // a blank before '=' makes no command
      {"\nSetDormant=true\r\nVisible=false\n",
       {{SGM_UNIT_SET_DORMANT, 1, 0, ""}, {SGM_UNIT_SET_VISIBLE, 0, 0, ""}}},
  };
  for (const Case& c : cases) {
    g_told.clear();
    EXPECT_EQ(First(c.text), 1) << c.text;
    EXPECT_EQ(g_told, c.told) << c.text;
  }
}

TEST_F(Placement, CommandsThatOnlyTakeTheirValueChangeNothing) {
  for (const char* text : {"AddWeapon=5", "AddAmmo=3", "hp=10", "ARM=4", "EXP=9", "Grade=2",
                           "HPScale=0.5", "Rank =5", "Rank=", "Label=\"\""}) {
    EXPECT_EQ(First(text), 1) << text;
    EXPECT_TRUE(Untouched()) << text;
    EXPECT_TRUE(g_told.empty()) << text;
  }
}

TEST_F(Placement, RankFlagsAndMasksTakeDecimalValues) {
  struct Case {
    const char* text;
    int32_t rank;
    uint32_t flags, include, exclude;
  };
  const Case cases[] = {
      {"Rank=7\nRank=9", 9, kFlags, kInclude, kExclude},
      {"Rank=x", 0, kFlags, kInclude, kExclude},
      {"OrFlags=3\nAndFlagsC=1", kRank, kFlags | 2, kInclude, kExclude},
      {"OrFlags=x", kRank, kFlags, kInclude, kExclude},
      {"AndFlagsC=268435456", kRank, kFlags & ~0x10000000u, kInclude, kExclude},
      {"IncOrFlags=16\nIncAndFlagsC=4194304", kRank, kFlags, 16, kExclude},
      {"ExcOrFlags=-2147483648\nExcAndFlagsC=16777216", kRank, kFlags, kInclude, 0x80000000u},
  };
  for (const Case& c : cases) {
    ResetUnit();
    EXPECT_EQ(First(c.text), 1) << c.text;
    EXPECT_EQ(vnUNIT_AttrInt(&unit, VN_ATTR_RANK), c.rank) << c.text;
    EXPECT_EQ(unit.dwFlags, c.flags) << c.text;
    EXPECT_EQ(unit.dwIncludeMask, c.include) << c.text;
    EXPECT_EQ(unit.dwExcludeMask, c.exclude) << c.text;
  }
}

TEST_F(Placement, LabelTakesTheQuotedTextOrTheFirstWord) {
  EXPECT_EQ(First("Label=\"Alpha One\""), 1);
  EXPECT_STREQ(unit.szLabel, "Alpha One");
  EXPECT_EQ(First("Label=Alpha One"), 1);
  EXPECT_STREQ(unit.szLabel, "Alpha");
  const std::string longLabel = "Label=" + std::string(200, 'q');
  EXPECT_EQ(First(longLabel.c_str()), 1);
  EXPECT_EQ(std::string(unit.szLabel), std::string(VNUNIT_LABEL_SIZE - 1, 'q'));
}

TEST_F(Placement, AnUnknownKeywordEndsThePassWithATrace) {
  vntest::TraceCapture trace;
  EXPECT_EQ(First("Rank=5\nColour=red\nRank=6"), 0);
  EXPECT_EQ(vnUNIT_AttrInt(&unit, VN_ATTR_RANK), 5);
  EXPECT_TRUE(trace.contains(
      "PLParser: Invalid command [Colour] in placement file [Squad_A], UnitID=17, Type=101\n"));
  // A blank before the keyword makes it unknown as well.
  EXPECT_EQ(First(" Rank=8\nRank=9"), 0);
  EXPECT_EQ(vnUNIT_AttrInt(&unit, VN_ATTR_RANK), 5);
  EXPECT_TRUE(trace.contains("Invalid command [ Rank]"));
}

TEST_F(Placement, TheLatePassScalesHealthByTheLastValueOnceOneWasInRange) {
  struct Case {
    const char* text;
    float health;
  };
  const Case cases[] = {
      {"HPScale=0.5", kHealth * 0.5f},
      {"HPScale=150", kHealth},
      {"HPScale=0", kHealth},
      {"HPScale=100", kHealth},
      {"HPScale=-0.5", kHealth},
      {"HPScale=0.5\nHPScale=150", kHealth * 150.0f},
      {"HPScale=150\nHPScale=0.25", kHealth * 0.25f},
      {"HPScale=x", kHealth},
      {"hpscale=\"0.5\"", kHealth * 0.5f},
      {"Rank=4\nLabel=x", kHealth},
      {"HPScale=0.5\nBogus=1\nHPScale=150", kHealth * 0.5f},  // ended, keeps what it found
  };
  for (const Case& c : cases) {
    vnUNIT_SetAttrFloat(&unit, VN_ATTR_HEALTH, kHealth);
    Late(c.text);
    EXPECT_FLOAT_EQ(Health(), c.health) << c.text;
    EXPECT_EQ(vnUNIT_AttrInt(&unit, VN_ATTR_RANK), kRank) << c.text;
  }
}

TEST_F(Placement, NoBlockOrNoTextDoesNothing) {
  EXPECT_EQ(vnPLParser_ApplyCommands(nullptr, &unit), 0);
  VNPLACE_COMMANDBLOCK empty{};
  EXPECT_EQ(vnPLParser_ApplyCommands(&empty, &unit), 0);
  EXPECT_EQ(vnPLParser_ApplyLateCommands(&empty, &unit), 0);
  EXPECT_TRUE(Untouched());
}

TEST_F(Placement, AUnitWithoutControllerTakesItsFieldsAndIsToldNothing) {
  unit.pController = nullptr;
  EXPECT_EQ(First("SetDormant=true\nRank=3"), 1);
  EXPECT_EQ(vnUNIT_AttrInt(&unit, VN_ATTR_RANK), 3);
  EXPECT_TRUE(g_told.empty());
}

TEST(PlacementLines, ALongLineComesInPiecesAndTheEndGivesNull) {
  const std::string text = std::string(300, 'a') + "\nb=1";
  char line[VNPLACE_LINE_SIZE];
  const char* pos = vnPLParser_NextLine(text.c_str(), line, sizeof line);
  EXPECT_EQ(std::strlen(line), static_cast<size_t>(VNPLACE_LINE_SIZE - 1));
  pos = vnPLParser_NextLine(pos, line, sizeof line);
  EXPECT_EQ(std::string(line), std::string(300 - (VNPLACE_LINE_SIZE - 1), 'a'));
  pos = vnPLParser_NextLine(pos, line, sizeof line);
  EXPECT_STREQ(line, "b=1");
  EXPECT_EQ(*pos, '\0');
  EXPECT_EQ(vnPLParser_NextLine(pos, line, sizeof line), nullptr);
}

TEST(PlacementLines, CommandsAreFoundOnlyAtTheStartAndBeforeTheFirstEquals) {
  struct Case {
    const char* line;
    int32_t result, code;
    const char* value;
  };
  const Case cases[] = {
      {"visible=a=b", 1, VNPL_VISIBLE, "a=b"},
      {"HPSCALE= 2", 1, VNPL_HP_SCALE, " 2"},
      {"", 1, VNPL_NONE, nullptr},
      {"Rank", 1, VNPL_NONE, nullptr},
      {"Rank\t=1", 1, VNPL_NONE, nullptr},
      {"=1", 0, VNPL_NONE, nullptr},
      {"Ranks=1", 0, VNPL_NONE, nullptr},
  };
  for (const Case& c : cases) {
    char line[VNPLACE_LINE_SIZE];
    std::strcpy(line, c.line);
    VNPLACE_PARSED parsed{};
    EXPECT_EQ(vnPLParser_ParseCommand(line, &parsed), c.result) << c.line;
    EXPECT_EQ(parsed.nCode, c.code) << c.line;
    if (c.value) {
      EXPECT_STREQ(parsed.pValue, c.value) << c.line;
    }
  }
}

TEST(PlacementLines, BooleansAreTrueOrFalseInAnyCase) {
  EXPECT_EQ(vnPLParser_ParseBool("TrUe"), 1);
  EXPECT_EQ(vnPLParser_ParseBool("FALSE"), 0);
  for (const char* text : {"yes", "1", "", "true ", static_cast<const char*>(nullptr)}) {
    EXPECT_EQ(vnPLParser_ParseBool(text), -1) << (text ? text : "null");
  }
}

TEST_F(Placement, AWrittenBlockReadsBackOntoTheUnit) {
  const VNWRITE_PLACEBLOCK written{
      "Squad_B",
      {{"Label", "Alpha One"}, {"Rank", "4"}, {"SetDormant", "TRUE"}, {"HPScale", "0.5"}}};
  std::string text;
  ASSERT_TRUE(vnWRITE_PlacementBlockText(written, &text));
  EXPECT_EQ(First(text.c_str()), 1);
  EXPECT_EQ(Late(text.c_str()), 1);
  EXPECT_STREQ(unit.szLabel, "Alpha One");
  EXPECT_EQ(vnUNIT_AttrInt(&unit, VN_ATTR_RANK), 4);
  EXPECT_EQ(g_told, (std::vector<Told>{{SGM_UNIT_SET_DORMANT, 1, 0, ""}}));
  EXPECT_FLOAT_EQ(Health(), kHealth * 0.5f);
}

TEST(PlacementWriter, RefusesWhatTheReaderCannotReadBack) {
  const VNWRITE_PLACEBLOCK cases[] = {
      {std::string(260, 'n'), {}},
      {"b", {{"", "1"}}},
      {"b", {{"Two words", "1"}}},
      {"b", {{"A=B", "1"}}},
      {"b", {{"Label", "say \"hi\""}}},
      {"b", {{"Label", "two\nlines"}}},
      {"b", {{"Label", std::string(250, 'x')}}},
  };
  for (const VNWRITE_PLACEBLOCK& c : cases) {
    std::string text = "kept";
    EXPECT_FALSE(vnWRITE_PlacementBlockText(c, &text)) << c.name;
    EXPECT_EQ(text, "kept");
  }
}

}  // namespace
