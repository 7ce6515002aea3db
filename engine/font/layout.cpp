// Laid-out text: word wrapping, full justification of wrapped lines and colour codes.
#include <cctype>

#include "engine/font/glyph.h"

namespace {

// "^0" to "^9".
constexpr uint32_t kColourCodes[10] = {0x00000000u, 0xffff0000u, 0xff00ff00u, 0xff0000ffu,
                                       0xffffffffu, 0xff000000u, 0xff9dc2ffu, 0xfffae59eu,
                                       0xffff0000u, 0xfffae550u};

struct Word {
  const char* start;
  int32_t length;  // 0 for a line break or the end
  bool lineBreak;
  bool end;
};

// Skips spaces; then a run of characters other than space and line break, a line break, or
// the end of the text.
Word NextWord(const char* p) {
  while (*p == ' ') ++p;
  if (*p == '\0') return {p, 0, false, true};
  if (*p == '\n') return {p, 0, true, false};
  const char* start = p;
  while (*p && *p != ' ' && *p != '\n') ++p;
  return {start, static_cast<int32_t>(p - start), false, false};
}

bool IsColourCode(const Word& w) {
  return w.length >= 2 && w.start[0] == '^' && std::isdigit(static_cast<unsigned char>(w.start[1]));
}

uint32_t CodeColour(const Word& w) { return kColourCodes[w.start[1] - '0']; }

struct Line {
  const char* stop;  // the words before this are the line's
  const char* next;  // where the next line starts; none at the end of the text
  int32_t words;
  int32_t total;     // the width of the line's words
  bool full;         // ended by a word that did not fit
  bool laidOut;      // false for an empty text or a first word wider than the line
};

Line Measure(const SPW_FONT* font, const char* text, int32_t maxWidth, int32_t space) {
  Line line{text, nullptr, 0, 0, false, true};
  for (const char* p = text;;) {
    Word w = NextWord(p);
    if (w.end || w.lineBreak) {
      line.stop = w.start;
      line.next = w.lineBreak ? w.start + 1 : nullptr;
      line.laidOut = line.next || line.words > 0;
      return line;
    }
    p = w.start + w.length;
    if (IsColourCode(w)) continue;
    const int32_t width = SPW_FontStringWidthN(font, w.start, w.length);
    if (int64_t{line.words} * space + line.total + width > maxWidth) {
      line.stop = w.start;
      line.full = line.words > 0;
      line.laidOut = line.full;
      line.next = line.full ? w.start : nullptr;
      return line;
    }
    ++line.words;
    line.total = static_cast<int32_t>(SPW_FontSaturate(int64_t{line.total} + width));
  }
}

// Draws the measured line's words from the start colour; the colour after its last code.
uint32_t DrawLine(SPW_DISPLAYNODE* node, const SPW_FONT* font, const char* text,
                  const Line& line, int32_t maxWidth, int32_t space, float x, float y,
                  float depth, uint32_t colour) {
  const float gap = line.full && line.words > 1
                        ? static_cast<float>(int64_t{maxWidth} - line.total) / (line.words - 1)
                        : static_cast<float>(space);
  float pen = x;
  for (const char* p = text;;) {
    Word w = NextWord(p);
    if (w.start >= line.stop || w.end || w.lineBreak) return colour;
    p = w.start + w.length;
    if (IsColourCode(w)) {
      colour = CodeColour(w);
      continue;
    }
    if (node) SPW_DrawTextN(node, font, w.start, w.length, pen, y, depth, colour);
    pen += static_cast<float>(SPW_FontStringWidthN(font, w.start, w.length)) + gap;
  }
}

int32_t SpaceAdvance(const SPW_FONT* font) {
  const SPW_B2DFRAME* g = SPW_FontGlyph(font, ' ');
  return g ? g->nWidth : 0;
}

// One line; *laidOut tells whether it held anything (a word or a line break).
const char* Layout(SPW_DISPLAYNODE* node, const SPW_FONT* font, const char* text,
                   int32_t maxWidth, float x, float y, float depth, uint32_t colour,
                   bool* laidOut) {
  *laidOut = false;
  if (!font || !text) return nullptr;
  const int32_t space = SpaceAdvance(font);
  Line line = Measure(font, text, maxWidth, space);
  *laidOut = line.laidOut;
  if (!line.laidOut) return nullptr;
  uint32_t last = DrawLine(node, font, text, line, maxWidth, space, x, y, depth, colour);
  if (node) g_spwTextColour = last;
  return line.next;
}

// Lines one below the other while they fit the height: wholly (their bottom within it) or by
// their top. The colour carries from line to line. The number of lines laid out.
int32_t LayoutLines(SPW_DISPLAYNODE* node, const SPW_FONT* font, const char* text, int32_t width,
                    int32_t height, bool whole, float x, float y, float depth) {
  if (!font) return 0;
  const int64_t lineHeight = font->nHeight;
  int32_t lines = 0;
  for (const char* p = text; p; ++lines) {
    const int64_t top = lines * lineHeight;
    if (whole ? top + lineHeight > height : top >= height) break;
    bool laidOut;
    p = Layout(node, font, p, width, x, y + static_cast<float>(top), depth, g_spwTextColour,
               &laidOut);
    if (!laidOut) break;
  }
  return lines;
}

}  // namespace

const char* SPW_LayoutLine(SPW_DISPLAYNODE* node, const SPW_FONT* font, const char* text,
                           int32_t maxWidth, float x, float y, float depth, uint32_t colour) {
  bool laidOut;
  return Layout(node, font, text, maxWidth, x, y, depth, colour, &laidOut);
}

int32_t SPW_DrawTextBox(SPW_DISPLAYNODE* node, const SPW_FONT* font, const char* text,
                        int32_t width, int32_t height, float x, float y, float depth,
                        uint32_t colour) {
  if (!node) return 0;
  g_spwTextColour = colour;
  return LayoutLines(node, font, text, width, height, true, x, y, depth);
}

const char* SPW_DrawTextLines(const SPW_FONT* font, const char* text, int32_t width,
                              int32_t count) {
  const char* p = text;
  bool laidOut;
  for (int32_t i = 0; i < count && p; ++i)
    p = Layout(nullptr, font, p, width, 0, 0, 0, 0, &laidOut);
  return p;
}

int32_t SPW_CountTextLinesInHeight(const SPW_FONT* font, const char* text, int32_t width,
                                   int32_t height) {
  return LayoutLines(nullptr, font, text, width, height, false, 0, 0, 0);
}

int32_t SPW_CountTextLines(const SPW_FONT* font, const char* text, int32_t width) {
  return SPW_CountTextLinesInHeight(font, text, width, INT32_MAX);
}
