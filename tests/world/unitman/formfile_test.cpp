// The formation file: the writer's files read back, inherited slots, the ten rank programs and
// the lines the reader refuses.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/support.h"
#include "tests/world/unitman/bare_manager.h"
#include "tools/writers/formation_writer.h"

namespace {

class FormationFile : public BareManager {
 protected:
  // Loads the text as the formation file.
  int32_t Load(const std::string& text) {
    return vnUNITMAN_LoadFormations(&man, dir.write("formations.txt", text).c_str());
  }
  VNRANK_PROGRAM* Find(const char* name) { return vnUNITMAN_FindFormation(&man, name); }
  std::vector<VNRANK_PROGRAM*> All() {
    std::vector<VNRANK_PROGRAM*> out;
    for (VNRANK_PROGRAM* r : SGE_ListRecords<VNRANK_PROGRAM>(&man.formations))
      out.push_back(r);
    return out;
  }
  vntest::TempDir dir;
};

void ExpectVector(const SPW_VECTOR& v, float x, float y, float z, const char* what) {
  EXPECT_FLOAT_EQ(v.x, x) << what;
  EXPECT_FLOAT_EQ(v.y, y) << what;
  EXPECT_FLOAT_EQ(v.z, z) << what;
}

VNWRITE_FORMATION_SLOT Slot(std::array<float, 3> facing, std::array<float, 3> offset) {
  VNWRITE_FORMATION_SLOT s;
  s.facing = facing;
  s.offset = offset;
  return s;
}

TEST_F(FormationFile, WrittenFormationsReadBackRelativeToTheirFirstSlot) {
  const std::vector<VNWRITE_FORMATION> written = {
      {"Wedge", {Slot({0, 1, 0}, {5, 5, 0}), Slot({0, 3, 4}, {3.5f, 2.25f, 1}),
                 Slot({0, 0, 0}, {7, 3, 0})}},
      {"Column", {Slot({1, 0, 0}, {0, 0, 0}), Slot({0, -2, 0}, {0, -3, 0})}},
  };
  ASSERT_TRUE(vnWRITE_Formations(dir.path(), written));
  ASSERT_EQ(vnUNITMAN_LoadFormations(&man, dir.file("formations.txt").c_str()), 1);

  VNRANK_PROGRAM* wedge = Find("wEDGE");
  ASSERT_NE(wedge, nullptr);
  EXPECT_STREQ(wedge->szName, "Wedge");
  EXPECT_EQ(wedge->nKind, VNRANK_KIND_FORMATION);
  ASSERT_EQ(wedge->nCount, 3);
  EXPECT_EQ(wedge->nCapacity, 3);
  ExpectVector(wedge->pSlots[0].vOffset, 0, 0, 0, "slot 0 offset");
  ExpectVector(wedge->pSlots[1].vOffset, -1.5f, -2.75f, 1, "slot 1 offset");
  ExpectVector(wedge->pSlots[2].vOffset, 2, -2, 0, "slot 2 offset");
  ExpectVector(wedge->pSlots[1].vFacing, 0, 0.6f, 0.8f, "facing made unit length");
  ExpectVector(wedge->pSlots[2].vFacing, 0, 0, 0, "a zero facing stays zero");
  EXPECT_EQ(wedge->pSlots[2].nUnitId, -1);
  EXPECT_EQ(wedge->pSlots[2].pUnit, nullptr);
  // The rank working values start the same for every program.
  ExpectVector(wedge->vDir, 0, -1, 0, "direction");
  EXPECT_EQ(wedge->fScale, 1.0f);
  EXPECT_EQ(wedge->bDirSet, 0);
  EXPECT_EQ(wedge->pSource, nullptr);

  VNRANK_PROGRAM* column = Find("Column");
  ASSERT_NE(column, nullptr);
  ASSERT_EQ(column->nCount, 2);
  ExpectVector(column->pSlots[1].vFacing, 0, -1, 0, "column facing");
  ExpectVector(column->pSlots[1].vOffset, 0, -3, 0, "column offset");
  EXPECT_EQ(Find("Line"), nullptr);
}

TEST_F(FormationFile, TheTenRankProgramsFollowTheFileFormations) {
  ASSERT_EQ(Load("[ A ]\nCount = 1\n[ B ]\n"), 1);
  const std::vector<VNRANK_PROGRAM*> all = All();
  ASSERT_EQ(all.size(), 12u);
  EXPECT_STREQ(all[0]->szName, "A");
  EXPECT_STREQ(all[1]->szName, "B");
  for (int32_t k = 0; k < VNRANK_PROGRAMS; ++k) {
    const VNRANK_PROGRAM* p = all[static_cast<size_t>(k) + 2];
    EXPECT_EQ(p->szName, "Prog_" + std::to_string(k));
    EXPECT_EQ(p->nKind, k == 0 ? VNRANK_KIND_RANK : VNRANK_KIND_PROGRAM) << k;
    EXPECT_EQ(p->nCount, 0) << k;
    EXPECT_EQ(p->nCapacity, VNRANK_MAX_SLOTS) << k;
    ASSERT_NE(p->pSlots, nullptr) << k;
    EXPECT_EQ(p->pSlots[VNRANK_MAX_SLOTS - 1].nUnitId, 0) << k;
    EXPECT_EQ(p->fScale, 1.0f) << k;
  }
  EXPECT_EQ(Find("prog_0"), all[2]);
}

TEST_F(FormationFile, AFormationWithoutCountInheritsTheSlotsBeforeIt) {
  ASSERT_EQ(Load("[ A ]\n"
                 "Count = 3\n"
                 "Offset[0] = (1, 1, 0)\n"
                 "Offset[1] = (2, 1, 0)\n"
                 "Offset[2] = (3, 1, 0)\n"
                 "[ B ]\n"
                 "Offset[0] = (0, 1, 0)\n"),
            1);
  VNRANK_PROGRAM* b = Find("B");
  ASSERT_NE(b, nullptr);
  ASSERT_EQ(b->nCount, 3);
  ExpectVector(b->pSlots[1].vOffset, 2, 0, 0, "inherited slot 1");
  ExpectVector(b->pSlots[2].vOffset, 3, 0, 0, "inherited slot 2");
  ExpectVector(b->pSlots[2].vFacing, 0, -1, 0, "working facing");
}

TEST_F(FormationFile, EveryProgramStartsAtTheOriginOfItsFirstSlot) {
  ASSERT_EQ(Load("[ A ]\nCount = 2\nOffset[0] = (4, -2, 9)\nOffset[1] = (1, 1, 1)\n"
                 "[ B ]\nCount = 1\nOffset[0] = (-7, 3, 2)\n"),
            1);
  for (VNRANK_PROGRAM* p : All()) {
    if (p->nCount > 0) ExpectVector(p->pSlots[0].vOffset, 0, 0, 0, p->szName);
  }
  ExpectVector(Find("A")->pSlots[1].vOffset, -3, 3, -8, "A slot 1");
}

TEST_F(FormationFile, ASlotTooFarFromTheFirstForAFloatIsPutThere) {
  vntest::TraceCapture trace;
  ASSERT_EQ(Load("[ A ]\nCount = 3\nOffset[0] = (-3e38, 0, 3e38)\nOffset[1] = (3e38, 1, -3e38)\n"
                 "Offset[2] = (-3e38, 2, 3e38)\n"),
            1);
  VNRANK_PROGRAM* a = Find("A");
  ASSERT_NE(a, nullptr);
  ExpectVector(a->pSlots[1].vOffset, 0, 0, 0, "slot 1 put at slot 0");
  ExpectVector(a->pSlots[2].vOffset, 0, 2, 0, "slot 2 in range");
  EXPECT_TRUE(trace.contains("Formation A: slot 1 lies too far from slot 0"));
  EXPECT_FALSE(trace.contains("slot 2 lies"));
}

TEST_F(FormationFile, AMissingFileLoadsNothingNotEvenTheRankPrograms) {
  vntest::TraceCapture trace;
  EXPECT_EQ(vnUNITMAN_LoadFormations(&man, dir.file("none.txt").c_str()), 0);
  EXPECT_TRUE(SGE_ListIsEmpty(&man.formations));
  EXPECT_TRUE(trace.contains("cannot be opened"));
}

TEST_F(FormationFile, LinesOutsideTheFormatAreIgnoredWithATrace) {
  struct Case {
    const char* line;
    const char* trace;
  };
  const Case cases[] = {
      {"Offset[40] = (9, 9, 9)", "slot 40 is not 0 to 39"},
      {"Orientation[-1] = (9, 9, 9)", "slot -1 is not 0 to 39"},
      {"Count = 41", "count 41 is not 0 to 40"},
      {"Count = -1", "count -1 is not 0 to 40"},
      {"Offset[1] = (nan, 0, 0)", "no number"},
      {"Offset[1] = (1, 2)", "not a formation line"},
      {"Formation = Wedge", "not a formation line"},
  };
  for (const Case& c : cases) {
    BareManager::TearDown();
    BareManager::SetUp();
    vntest::TraceCapture trace;
    ASSERT_EQ(Load(std::string("[ A ]\nCount = 2\nOffset[1] = (1, 0, 0)\n") + c.line + "\n"), 1);
    EXPECT_TRUE(trace.contains(c.trace)) << c.line;
    VNRANK_PROGRAM* a = Find("A");
    ASSERT_NE(a, nullptr) << c.line;
    EXPECT_EQ(a->nCount, 2) << c.line;
    ExpectVector(a->pSlots[1].vOffset, 1, 0, 0, c.line);
  }
}

TEST_F(FormationFile, HeaderNamesEndAtTheBracketAndKeepSixtyThreeCharacters) {
  const std::string longName(80, 'x');
  vntest::TraceCapture trace;
  ASSERT_EQ(Load("[Tight]\n   [  Spaced  ]  \n[ " + longName + " ]\n"), 1);
  EXPECT_NE(Find("Tight"), nullptr);
  EXPECT_NE(Find("Spaced"), nullptr);
  EXPECT_NE(Find(longName.substr(0, VNRANK_NAME_SIZE - 1).c_str()), nullptr);
  EXPECT_TRUE(trace.contains("longer than 63 characters"));
}

TEST_F(FormationFile, TheRestOfAnOverlongLineIsDropped) {
  ASSERT_EQ(Load("[ A ]\nCount = 1\nOffset[0] = (1, 2, 3)" + std::string(300, ' ') +
                 "Count = 5\n"),
            1);
  EXPECT_EQ(Find("A")->nCount, 1);
}

TEST_F(FormationFile, WindowsLineEndsReadAsWell) {
  ASSERT_EQ(Load("[ A ]\r\nCount = 2\r\nOffset[1] = (0, -3, 0)\r\n"), 1);
  ASSERT_NE(Find("A"), nullptr);
  EXPECT_EQ(Find("A")->nCount, 2);
  ExpectVector(Find("A")->pSlots[1].vOffset, 0, -3, 0, "slot 1");
}

TEST_F(FormationFile, FreeingReturnsEveryProgramToTheBlock) {
  ASSERT_EQ(Load("[ A ]\nCount = 4\n"), 1);
  EXPECT_GT(UsedChunks(), 0u);
  vnUNITMAN_FreeFormations(&man);
  EXPECT_TRUE(SGE_ListIsEmpty(&man.formations));
  EXPECT_EQ(UsedChunks(), 0u);
}

TEST(FormationWriter, RefusesNamesAndCountsTheFileCannotHold) {
  vntest::TempDir dir;
  struct Case {
    std::string name;
    size_t slots;
  };
  const Case cases[] = {{"", 1}, {"Two words", 1}, {"Br]acket", 1}, {std::string(64, 'n'), 1},
                        {"Big", 41}};
  for (const Case& c : cases) {
    VNWRITE_FORMATION f{c.name, std::vector<VNWRITE_FORMATION_SLOT>(c.slots)};
    EXPECT_FALSE(vnWRITE_Formations(dir.path(), {f})) << c.name << " " << c.slots;
  }
  EXPECT_TRUE(vnWRITE_Formations(dir.path(), {{std::string(63, 'n'), std::vector<VNWRITE_FORMATION_SLOT>(40)}}));
}

}  // namespace
