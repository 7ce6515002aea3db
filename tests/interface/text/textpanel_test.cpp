// Text panels: lines printed, cut to their width, appended and cleared.
#include <gtest/gtest.h>

#include <string>

#include "engine/memory/memblock.h"
#include "interface/text/textpanel.h"
#include "tests/world/support/testworld.h"

namespace {

class TextPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(w.Start());
    panel = vnTEXT_CreatePanel(3, 8);
    ASSERT_NE(panel, nullptr);
  }
  void TearDown() override {
    vnTEXT_FreePanel(panel);
    w.Stop();
  }
  vnworld::TestWorld w;
  VNTEXT_PANEL* panel = nullptr;
};

TEST_F(TextPanelTest, ALineIsFormattedAndCutToItsWidth) {
  const struct {
    int32_t line;
    const char* format;
    int32_t value;
    int32_t printed;
    const char* text;
  } cases[] = {
      {0, "hp %d", 42, 1, "hp 42"},
      {1, "long line %d", 7, 1, "long li"},  // 8 bytes with the ending zero
      {2, "", 0, 1, ""},
      {3, "beyond %d", 1, 0, nullptr},
      {-1, "before %d", 1, 0, nullptr},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(vnTEXT_PrintLine(panel, c.line, c.format, c.value), c.printed) << c.line;
    const char* text = vnTEXT_GetLine(panel, c.line);
    if (!c.text) {
      EXPECT_EQ(text, nullptr) << c.line;
      continue;
    }
    ASSERT_NE(text, nullptr) << c.line;
    EXPECT_EQ(std::string(text), c.text) << c.line;
    EXPECT_EQ(panel->pLengths[c.line], static_cast<int32_t>(std::string(c.text).size())) << c.line;
  }
}

TEST_F(TextPanelTest, AppendedLinesFillThePanelInOrderUntilItIsCleared) {
  for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(vnTEXT_AppendLine(panel, "n%d", i), 1) << i;
  EXPECT_EQ(vnTEXT_AppendLine(panel, "n%d", 3), 0) << "the panel is full";
  EXPECT_STREQ(vnTEXT_GetLine(panel, 2), "n2");
  EXPECT_EQ(vnTEXT_ClearLines(panel), 3);
  for (int32_t i = 0; i < 3; ++i) EXPECT_STREQ(vnTEXT_GetLine(panel, i), "") << i;
  EXPECT_EQ(vnTEXT_AppendLine(panel, "again"), 1);
  EXPECT_STREQ(vnTEXT_GetLine(panel, 0), "again");
}

TEST_F(TextPanelTest, NoPanelWithoutLinesOrWidth) {
  EXPECT_EQ(vnTEXT_CreatePanel(0, 8), nullptr);
  EXPECT_EQ(vnTEXT_CreatePanel(3, 0), nullptr);
  EXPECT_EQ(vnTEXT_PrintLine(nullptr, 0, "x"), 0);
}

}  // namespace
