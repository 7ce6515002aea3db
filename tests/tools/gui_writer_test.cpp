#include "tools/writers/gui_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/b2d/b2d.h"
#include "engine/gui/gui.h"
#include "engine/memory/memblock.h"
#include "platform/ini.h"
#include "tests/support/support.h"

namespace {

class GuiWriter : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SGE_InitMemory(0), 1);
    ASSERT_EQ(SPW_CreateEngineBlocks(), 1);
    PLAT_IniFlushCache();
  }
  void TearDown() override {
    SPW_ReleaseEngineBlocks();
    SGE_ShutdownMemory();
  }
  vntest::TempDir dir;
};

vnGUI_LAYOUT TwoGroups() {
  vnGUI_LAYOUT layout;
  vnB2D_SET menu{"Main Menu", {3, -4}, {}};
  menu.frames.push_back({"up", 1, 100, 0, 0, 64, 32, 0, 0, 0.5f, 0.25f});
  menu.frames.push_back({"down", 1, 101, 0, 0, 64, 32, 0.5f, 0, 0.5f, 0.25f});
  layout.sheet.sets.push_back(menu);
  layout.sheet.sets.push_back({"No Buttons", {0, 0}, {}});
  layout.sheet.sets.push_back({"Options", {1, 1}, {}});
  layout.buttons.push_back({{"New Game", "Main Menu", 0, 10, 20, 64, 32},
                            {"Load", "Main Menu", 1, -5, 60, 64, 32},
                            {"Quit", "Options", 0, 2147483647, -2147483647 - 1, 0, 1}});
  layout.buttons.push_back({});
  layout.buttons.push_back({{"Back", "Main Menu", -7, 300, 400, 20, 10}});
  return layout;
}

TEST_F(GuiWriter, EveryGroupAndButtonReadsBackAsWritten) {
  const vnGUI_LAYOUT want = TwoGroups();
  const std::string path = dir.file("Screen.b2d");
  ASSERT_TRUE(vnWRITE_GUILayoutFile(path, want));

  GUI_LAYOUT* layout = GUI_ReadLayout(path.c_str());
  ASSERT_NE(layout, nullptr);
  ASSERT_EQ(SGE_ListCount(&layout->groups), 3);
  for (size_t g = 0; g < want.sheet.sets.size(); ++g) {
    const vnB2D_SET& set = want.sheet.sets[g];
    const GUI_LAYOUTGROUP* group = GUI_FindLayoutGroup(layout, set.name.c_str());
    ASSERT_NE(group, nullptr) << set.name;
    EXPECT_EQ(group->anValue[0], set.value[0]);
    EXPECT_EQ(group->anValue[1], set.value[1]);
    ASSERT_EQ(SGE_ListCount(&group->buttons), static_cast<int32_t>(want.buttons[g].size()));
    const SGE_DLLNODE* n = group->buttons.pNext;
    for (const vnGUI_BUTTON& b : want.buttons[g]) {
      const auto* got = reinterpret_cast<const GUI_LAYOUTBUTTON*>(n);
      EXPECT_EQ(got->szName, b.name);
      EXPECT_EQ(got->szSet, b.set);
      EXPECT_EQ(got->nSkip, b.skip) << b.name;
      EXPECT_EQ(got->x, b.x) << b.name;
      EXPECT_EQ(got->y, b.y) << b.name;
      EXPECT_EQ(got->w, b.w) << b.name;
      EXPECT_EQ(got->h, b.h) << b.name;
      n = n->pNext;
    }
  }
  GUI_FreeLayout(layout);

  // The same file is still a B2D file with its sets and frames.
  SPW_B2DFILE* file = SPW_B2D_Parse(path.c_str(), nullptr, 1);
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(SGE_ListCount(&file->sets), 3);
  EXPECT_EQ(SGE_ListCount(&SPW_B2D_FindSet(file, "Main Menu")->frames), 2);
  SPW_B2D_Free(file);
}

TEST_F(GuiWriter, NamesAndGroupsThatWouldNotReadBackAreRefused) {
  struct Case {
    const char* what;
    void (*spoil)(vnGUI_LAYOUT*);
  };
  const Case cases[] = {
      {"quote in a button name", [](vnGUI_LAYOUT* l) { l->buttons[0][0].name = "a\"b"; }},
      {"empty set name", [](vnGUI_LAYOUT* l) { l->buttons[0][1].set.clear(); }},
      {"line break", [](vnGUI_LAYOUT* l) { l->buttons[2][0].name = "a\nb"; }},
      {"more groups than sets", [](vnGUI_LAYOUT* l) { l->buttons.push_back({}); }},
      {"overlong line",
       [](vnGUI_LAYOUT* l) { l->buttons[0][0].name = std::string(1020, 'n'); }},
  };
  for (const Case& c : cases) {
    vnGUI_LAYOUT layout = TwoGroups();
    c.spoil(&layout);
    EXPECT_TRUE(vnWRITE_GUILayout(layout).empty()) << c.what;
    EXPECT_FALSE(vnWRITE_GUILayoutFile(dir.file("bad.b2d"), layout)) << c.what;
  }
}

}  // namespace
