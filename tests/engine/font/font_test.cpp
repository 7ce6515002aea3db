// Fonts from B2D sets: loading, measuring, text on screen (aligned, coloured, shadowed) and
// the layout of longer texts.
#include "engine/font/font.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/math/vecmath.h"
#include "tests/engine/quad/screen_fixture.h"

namespace screentest {
namespace {

using drawtest::Near;

constexpr uint32_t kGrey = 0xFF808080, kWhite = 0xFFFFFFFF, kBlack = 0xFF000000,
                   kBlue = 0xFF0000FF;
constexpr int32_t kCellHeight = 10;

// Glyphs cut from one 64x16 image. Each glyph cell is opaque white but for a clear left
// column and clear bottom row, so that a shadow one pixel left and down shows at both.
struct GlyphSpec {
  char code;
  int32_t width;
  int32_t x;  // the cell's column in the image
};
constexpr GlyphSpec kGlyphs[] = {{'A', 8, 0}, {'W', 12, 8}, {' ', 4, 20}, {'.', 2, 24},
                                 {'\xe9', 6, 26}};

vnB2D_FILE FontSheet() {
  vnB2D_FILE sheet;
  sheet.textures.push_back({"glyphs.ppm", 0, Image(64, 16, [](uint32_t x, uint32_t y) -> uint32_t {
                              for (const GlyphSpec& g : kGlyphs) {
                                if (g.code == ' ' || x < static_cast<uint32_t>(g.x) ||
                                    x >= static_cast<uint32_t>(g.x + g.width))
                                  continue;
                                bool clear = x == static_cast<uint32_t>(g.x) ||
                                             y >= static_cast<uint32_t>(kCellHeight - 1);
                                return clear ? 0 : kWhite;
                              }
                              return 0;
                            })});
  vnB2D_SET set{"Test", {0, 0}, {}};
  for (const GlyphSpec& g : kGlyphs)
    set.frames.push_back({std::string("g") + std::to_string(static_cast<unsigned char>(g.code)), 0,
                          static_cast<unsigned char>(g.code), 0, 0, g.width, kCellHeight,
                          g.x / 64.0f, 0, g.width / 64.0f, kCellHeight / 16.0f});
  // An id past the glyph table and an untextured frame are left out.
  set.frames.push_back({"big", 0, 300, 0, 0, 50, 50, 0, 0, 0.1f, 0.1f});
  set.frames.push_back({"lost", 5, 'Z', 0, 0, 9, 9, 0, 0, 0.1f, 0.1f});
  sheet.sets.push_back(set);
  sheet.sets.push_back({"Other", {0, 0}, {}});
  return sheet;
}

class FontTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(vnWRITE_B2DFile(dir.file("Fonts.b2d"), FontSheet()));
    font = SPW_LoadFont("Fonts.b2d", "test", &display);
    ASSERT_NE(font, nullptr);
    SPW_SetTextMode(0);
    Clear(kGrey);
  }
  void TearDown() override {
    SPW_FreeFont(font);
    ScreenTest::TearDown();
  }

  // Lit pixels of one row (from x0 to x1) as a string: 'W' white, 'b' blue, '#' black, '.'.
  std::string Row(int y, int x0, int x1) {
    std::string out;
    for (int x = x0; x < x1; ++x) {
      uint32_t p = Pixel(x, y);
      out += Near(p, kWhite) ? 'W' : Near(p, kBlue) ? 'b' : Near(p, kBlack) ? '#' : '.';
    }
    return out;
  }

  SPW_FONT* font = nullptr;
};

TEST_F(FontTest, LoadingCopiesTheSetsGlyphsByCode) {
  // The largest glyph counts, drawn or not; the frame past code 255 is no glyph.
  EXPECT_EQ(font->nHeight, 10);
  EXPECT_EQ(font->nWidth, 12);
  EXPECT_EQ(font->aGlyphs['A'].nWidth, 8);
  EXPECT_GT(font->aGlyphs['A'].nTextureId, 0);
  EXPECT_EQ(font->aGlyphs['A'].pszName, nullptr);
  EXPECT_EQ(font->aGlyphs[0xe9].nWidth, 6);  // codes above 127 index glyphs 128 to 255
  EXPECT_EQ(font->aGlyphs['Z'].nTextureId, 0);
  EXPECT_EQ(SPW_FontStringWidth(font, "AW A"), 8 + 12 + 4 + 8);
  EXPECT_EQ(SPW_FontStringWidth(font, "AZ\xe9"), 14);  // Z has no texture: no advance
  EXPECT_EQ(SPW_FontStringWidthN(font, "AWA", 2), 20);
  EXPECT_EQ(SPW_FontStringWidth(nullptr, "A"), 0);
  EXPECT_EQ(SPW_FontStringWidth(font, nullptr), 0);

  vntest::TraceCapture trace;
  SPW_FONT* empty = SPW_LoadFont("Fonts.b2d", "Missing", &display);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->nHeight, 0);
  EXPECT_EQ(SPW_FontStringWidth(empty, "AW"), 0);
  EXPECT_TRUE(trace.contains("no set \"Missing\""));
  SPW_FreeFont(empty);
  EXPECT_EQ(SPW_LoadFont("NoSuch.b2d", "Test", &display), nullptr);
  EXPECT_EQ(SPW_FreeFont(nullptr), 0);
}

TEST_F(FontTest, TextIsJustifiedLeftCentredAndRight) {
  // "AW" is 20 pixels wide; A's ink starts one pixel into its cell.
  EXPECT_EQ(SPW_DrawText(&node, font, "AW", 100, 50, 1.0f, kWhite), 2);
  EXPECT_EQ(SPW_DrawTextCentred(&node, font, "AW", 320, 100, 1.0f, kWhite), 2);
  EXPECT_EQ(SPW_DrawTextRight(&node, font, "AW", 500, 150, 1.0f, kWhite), 2);
  EndFrame();
  const std::string ink = ".WWWWWWW.WWWWWWWWWWW";
  EXPECT_EQ(Row(52, 99, 121), "." + ink + ".");
  EXPECT_EQ(Row(102, 309, 331), "." + ink + ".");
  EXPECT_EQ(Row(152, 479, 501), "." + ink + ".");
  EXPECT_EQ(Row(59, 100, 120), std::string(20, '.'));  // the clear bottom row
}

TEST_F(FontTest, TheShadowFallsOnePixelLeftAndDownBehindTheText) {
  SPW_DrawTextShadowed(&node, font, "A", 100, 50, 1.0f, kWhite);
  SPW_DrawTextRightShadowed(&node, font, "A", 300, 50, 1.0f, kBlue);
  EndFrame();
  // The shadow shows in A's clear left column and below its last row; the text stays on top.
  EXPECT_EQ(Row(52, 99, 109), ".#WWWWWWW.");
  EXPECT_EQ(Row(59, 99, 109), ".#######..");
  EXPECT_EQ(Row(60, 99, 109), "..........");
  EXPECT_EQ(Row(52, 291, 301), ".#bbbbbbb.");
}

TEST_F(FontTest, ColourCodesTurnTheFollowingWordsAndLeaveNoGap) {
  EXPECT_EQ(SPW_DrawTextBox(&node, font, "A ^3 A A", 200, 20, 100, 50, 1.0f, kWhite), 1);
  EndFrame();
  // Words at 100, 112 and 124 (a space is 4 wide): the code takes no place of its own.
  EXPECT_EQ(Row(52, 100, 132), ".WWWWWWW.....bbbbbbb.....bbbbbbb");
}

// Where each word of laid-out text is drawn: glyph quads recorded without a device.
class LayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SGE_InitMemory(0), 1);
    ASSERT_EQ(SPW_CreateEngineBlocks(), 1);
    font = static_cast<SPW_FONT*>(SGE_MemCalloc(SPW_ObjsMem, sizeof(SPW_FONT)));
    // Every letter 10 wide, the space 5, lines 12 high.
    for (int c = 'a'; c <= 'z'; ++c) Glyph(c, 10);
    Glyph(' ', 5);
    font->nHeight = 12;
    SPW_SetTextMode(0);
  }
  void TearDown() override {
    SPW_ReleaseEngineBlocks();
    SGE_ShutdownMemory();
  }
  void Glyph(int c, int32_t width) {
    SPW_B2DFRAME& g = font->aGlyphs[c];
    g.nId = c;
    g.nTextureId = 1;
    g.nWidth = width;
    g.nHeight = 12;
  }
  // The left edges of the recorded glyphs at one height, with their colours.
  std::vector<std::pair<float, uint32_t>> At(float y) {
    std::vector<std::pair<float, uint32_t>> out;
    for (const Recorded& r : Calls())
      if (r.v[0].y == y) out.push_back({r.v[0].x, r.v[0].dwColour});
    return out;
  }

  RecordingDisplay rec;
  SPW_FONT* font = nullptr;
};

using Glyphs = std::vector<std::pair<float, uint32_t>>;
constexpr uint32_t W = 0xFFFFFFFF, R = 0xFFFF0000, G = 0xFF00FF00;

TEST_F(LayoutTest, FullLinesAreJustifiedAndTheLastIsNot) {
  // "ef" would make the line 70 wide: "ab cd" fills a line of 60 and spreads to its width.
  const char* text = "ab cd ef";
  const char* next = SPW_LayoutLine(&rec.node, font, text, 60, 0, 0, 2, W);
  EXPECT_EQ(next, text + 6);
  EXPECT_EQ(At(0), (Glyphs{{0, W}, {10, W}, {40, W}, {50, W}}));
  EXPECT_EQ(SPW_LayoutLine(&rec.node, font, next, 60, 0, 12, 2, W), nullptr);
  EXPECT_EQ(At(12), (Glyphs{{0, W}, {10, W}}));

}

TEST_F(LayoutTest, LineBreaksEndLinesWithoutJustifying) {
  const char* text = "ab cd\n\nef";
  const char* next = SPW_LayoutLine(&rec.node, font, text, 200, 0, 0, 2, W);
  EXPECT_EQ(next, text + 6);
  EXPECT_EQ(At(0), (Glyphs{{0, W}, {10, W}, {25, W}, {35, W}}));
  next = SPW_LayoutLine(&rec.node, font, next, 200, 0, 12, 2, W);  // the empty line
  EXPECT_EQ(next, text + 7);
  EXPECT_TRUE(At(12).empty());
  EXPECT_EQ(SPW_CountTextLines(font, text, 200), 3);
}

TEST_F(LayoutTest, ColourCodesCarryAcrossLinesOfABox) {
  // Line 1 "ab ^1 cd" turns cd red; line 2 keeps red until ^2.
  EXPECT_EQ(SPW_DrawTextBox(&rec.node, font, "ab ^1 cd ef ^2 gh", 60, 100, 0, 0, 2, W), 2);
  EXPECT_EQ(At(0), (Glyphs{{0, W}, {10, W}, {40, R}, {50, R}}));
  EXPECT_EQ(At(12), (Glyphs{{0, R}, {10, R}, {25, G}, {35, G}}));
}

TEST_F(LayoutTest, EdgeCasesOfLayout) {
  EXPECT_EQ(SPW_LayoutLine(&rec.node, font, "", 100, 0, 0, 2, W), nullptr);
  // A first word wider than the line ends the layout and draws nothing of the line.
  EXPECT_EQ(SPW_LayoutLine(&rec.node, font, "abcdefghijk lm", 100, 0, 0, 2, W), nullptr);
  EXPECT_EQ(SPW_CountTextLines(font, "ab abcdefghijk lm", 50), 1);
  EXPECT_TRUE(Calls().empty());
  // Spaces alone or a code alone make no line.
  EXPECT_EQ(SPW_CountTextLines(font, "   ", 100), 0);
  EXPECT_EQ(SPW_CountTextLines(font, "^3", 100), 0);
  // A caret before a letter is an ordinary word.
  EXPECT_EQ(SPW_CountTextLines(font, "^x", 100), 1);
  EXPECT_EQ(SPW_CountTextLines(nullptr, "ab", 100), 0);
  EXPECT_TRUE(Calls().empty());
}

TEST_F(LayoutTest, WidthsPastTheIntegerRangeStayAtItsEnd) {
  // A font file may give a glyph any width; three of these pass the 32-bit range.
  Glyph('w', 1 << 30);
  EXPECT_EQ(SPW_FontStringWidth(font, "www"), INT32_MAX);
  EXPECT_EQ(SPW_FontStringWidthN(font, "wwwwab", 6), INT32_MAX);
  const char* text = "ab www cd";
  EXPECT_EQ(SPW_LayoutLine(&rec.node, font, text, 1000, 0, 0, 2, W), text + 3);
  EXPECT_EQ(At(0), (Glyphs{{0, W}, {10, W}}));
  // A line as wide as the range holds the wide word alone.
  EXPECT_EQ(SPW_CountTextLines(font, "www ab", INT32_MAX), 2);
}

TEST_F(LayoutTest, LinesCountedByHeightAndSkipped) {
  const char* text = "ab cd ef gh ij";  // 25 a line of 30: five lines
  EXPECT_EQ(SPW_CountTextLines(font, text, 30), 5);
  EXPECT_EQ(SPW_CountTextLinesInHeight(font, text, 30, 36), 3);  // tops 0, 12, 24
  EXPECT_EQ(SPW_CountTextLinesInHeight(font, text, 30, 37), 4);
  EXPECT_EQ(SPW_DrawTextLines(font, text, 30, 2), text + 6);
  EXPECT_EQ(SPW_DrawTextLines(font, text, 30, 5), nullptr);
  // A box of 36 draws the three whole lines that fit.
  EXPECT_EQ(SPW_DrawTextBox(&rec.node, font, text, 30, 36, 0, 0, 2, W), 3);
  EXPECT_EQ(Calls().size(), 6u);
}

TEST_F(LayoutTest, RotatedTextTurnsTheLineAboutItsStart) {
  SPW_SetTextMode(SPW_PI / 2);
  SPW_DrawText(&rec.node, font, "ab", 100, 50, 2, W);
  SPW_SetTextMode(0);
  ASSERT_EQ(Calls().size(), 2u);
  // The second glyph's top-left (10, 0) turns to (0, 10), then moves to (100, 50).
  EXPECT_NEAR(Calls()[1].v[0].x, 100, 1e-3f);
  EXPECT_NEAR(Calls()[1].v[0].y, 60, 1e-3f);
}

TEST_F(LayoutTest, ScaledTextIsCentredAndClipped) {
  const SPW_RECT clip{0, 0, 115, 480};
  EXPECT_EQ(SPW_DrawScaledTextCentred(&rec.node, font, "ab", 100, 50, 2, 2.0f, W, &clip), 2);
  ASSERT_EQ(Calls().size(), 2u);
  // 40 wide at scale 2, from 80: "a" over 80..100, "b" over 100..115 after the cut.
  EXPECT_FLOAT_EQ(Calls()[0].v[0].x, 80);
  EXPECT_FLOAT_EQ(Calls()[0].v[2].y, 74);
  EXPECT_FLOAT_EQ(Calls()[1].v[0].x, 100);
  EXPECT_FLOAT_EQ(Calls()[1].v[2].x, 115);
}

}  // namespace
}  // namespace screentest
