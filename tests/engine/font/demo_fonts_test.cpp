// The demo tree's fonts, as mkcontent writes them, load and draw under the names the root
// task asks for.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "engine/font/font.h"
#include "tests/engine/quad/screen_fixture.h"

namespace screentest {
namespace {

TEST_F(ScreenTest, TheDemoFontsLoadWithEveryLetterTheTextsUse) {
  const std::string command = std::string(VN_MKCONTENT_PATH) + " '" + dir.path() + "' >/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  struct Slot {
    const char* file;
    const char* set;
  };
  const Slot slots[] = {{"Fonts/Fonts.b2d", "SmallNumbers"}, {"Fonts/Fonts.b2d", "BigNumbers"},
                        {"Fonts/Fonts.b2d", "Font1"},        {"Fonts/Fonts.b2d", "Font2"},
                        {"Fonts/Fonts.b2d", "Font3"},        {"Fonts/Fonts.b2d", "Font4"},
                        {"Fonts/Font.b2d", "FrontEnd"},      {"Fonts/Font.b2d", "ToolTips"},
                        {"Fonts/Font.b2d", "text blocks"},   {"Fonts/Font.b2d", "BigItalicFont"},
                        {"Fonts/Font.b2d", "Verdana20PT"}};
  SPW_FONT* text = nullptr;
  for (const Slot& s : slots) {
    SPW_FONT* font = SPW_LoadFont(s.file, s.set, &display);
    ASSERT_NE(font, nullptr) << s.set;
    EXPECT_GT(font->nHeight, 8) << s.set;
    for (unsigned char c : std::string(" 09AZaz.!?\xe4\xe9\xf1\xdf\xc7")) {
      EXPECT_NE(font->aGlyphs[c].nId, 0) << s.set << " code " << int{c};
      EXPECT_GT(font->aGlyphs[c].nTextureId, 0) << s.set << " code " << int{c};
    }
    if (std::string(s.set) == "text blocks") {
      text = font;
    } else {
      SPW_FreeFont(font);
    }
  }
  ASSERT_NE(text, nullptr);
  const int32_t width = SPW_FontStringWidth(text, "Mission erf\xfcllt");
  EXPECT_GT(width, 60);
  SPW_DrawText(&node, text, "Mission erf\xfcllt", 100, 100, 1.0f, 0xFFFFFFFF);
  EndFrame();
  int lit = 0, outside = 0;
  for (int y = 95; y < 100 + text->nHeight + 5; ++y)
    for (int x = 95; x < 100 + width + 5; ++x) {
      const bool in = x >= 100 && x < 100 + width && y >= 100 && y < 100 + text->nHeight;
      if ((Pixel(x, y) & 0xFFFFFF) > 0x808080) ++(in ? lit : outside);
    }
  EXPECT_GT(lit, 40);
  EXPECT_EQ(outside, 0);
  SPW_FreeFont(text);
}

}  // namespace
}  // namespace screentest
