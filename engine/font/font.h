#pragma once
// Bitmap fonts and text. A font is one set of a B2D file whose frames are the glyphs, keyed by
// character code; text is drawn glyph by glyph as screen quads on a display node. Laid-out text
// wraps words, justifies full lines and takes colour codes: a word "^<digit>" sets the colour
// of the words after it and is not drawn.
#include <cstdint>

#include "engine/b2d/b2d.h"
#include "engine/display/display.h"

constexpr int32_t SPW_FONT_GLYPHS = 256;
constexpr uint32_t SPW_TEXT_SHADOW_COLOUR = 0xff000000u;
constexpr float SPW_TEXT_SHADOW_DEPTH = 0.5f;  // the shadow lies this much behind the text

// In SPW_ObjsMem. A glyph is a copy of its frame without the name; it is present when its id
// and its driver texture id are both nonzero, and it advances the text by its width.
struct SPW_FONT {
  int32_t nHeight;  // the largest glyph height: the line height of laid-out text
  int32_t nWidth;   // the largest glyph width
  SPW_B2DFRAME aGlyphs[SPW_FONT_GLYPHS];
};

// Loads the B2D file, copies every frame of the set whose id is 0..255 into the glyph of that
// code (of two frames with one id, the one nearer the set's tail wins), frees the file record
// (the driver keeps the textures). A set missing from the file gives an empty font; none when
// the file is missing or memory is short.
SPW_FONT* SPW_LoadFont(const char* fileName, const char* setName, SPW_DISPLAY* display);
int32_t SPW_FreeFont(SPW_FONT* font);  // the free's result, 0 for none

// Widths in pixels (the sum of the advances); a null font or text measures 0.
int32_t SPW_FontStringWidth(const SPW_FONT* font, const char* text);
int32_t SPW_FontStringWidthN(const SPW_FONT* font, const char* text, int32_t n);

// The rotation (radians, 0 none) of the plain text drawers.
void SPW_SetTextMode(float angle);

// Positions are relative to the node's top-left; the results are the number of glyphs drawn.
int32_t SPW_DrawTextN(SPW_DISPLAYNODE* node, const SPW_FONT* font, const char* text, int32_t n,
                      float x, float y, float depth, uint32_t colour);
int32_t SPW_DrawText(SPW_DISPLAYNODE* node, const SPW_FONT* font, const char* text, float x,
                     float y, float depth, uint32_t colour);
int32_t SPW_DrawTextCentred(SPW_DISPLAYNODE* node, const SPW_FONT* font, const char* text, float x,
                            float y, float depth, uint32_t colour);  // x: the centre
int32_t SPW_DrawTextRight(SPW_DISPLAYNODE* node, const SPW_FONT* font, const char* text, float x,
                          float y, float depth, uint32_t colour);  // x: the right end
// The text in its colour over its shadow: one pixel left and one down, behind it, in black.
int32_t SPW_DrawTextShadowed(SPW_DISPLAYNODE* node, const SPW_FONT* font, const char* text,
                             float x, float y, float depth, uint32_t colour);
int32_t SPW_DrawTextCentredShadowed(SPW_DISPLAYNODE* node, const SPW_FONT* font, const char* text,
                                    float x, float y, float depth, uint32_t colour);
int32_t SPW_DrawTextRightShadowed(SPW_DISPLAYNODE* node, const SPW_FONT* font, const char* text,
                                  float x, float y, float depth, uint32_t colour);
// Glyphs and advances times scale, centred on x, each clipped to the rectangle.
int32_t SPW_DrawScaledTextCentred(SPW_DISPLAYNODE* node, const SPW_FONT* font, const char* text,
                                  float x, float y, float depth, float scale, uint32_t colour,
                                  const SPW_RECT* clip);

// Lays out one line of at most maxWidth pixels starting in the colour given and, with a node,
// draws it (and leaves the line's last colour as the text colour). Where the next line
// starts; none at the end of the text, or when the line's first word is wider than maxWidth
// (nothing of that line is drawn).
const char* SPW_LayoutLine(SPW_DISPLAYNODE* node, const SPW_FONT* font, const char* text,
                           int32_t maxWidth, float x, float y, float depth, uint32_t colour);
// Lines at y, y + line height, ... while a line's bottom stays within the height; the colour
// carries from line to line. The number of lines drawn.
int32_t SPW_DrawTextBox(SPW_DISPLAYNODE* node, const SPW_FONT* font, const char* text,
                        int32_t width, int32_t height, float x, float y, float depth,
                        uint32_t colour);
// Skips count laid-out lines; where the text continues, none when it ended.
const char* SPW_DrawTextLines(const SPW_FONT* font, const char* text, int32_t width,
                              int32_t count);
int32_t SPW_CountTextLines(const SPW_FONT* font, const char* text, int32_t width);
// The lines that start above the height.
int32_t SPW_CountTextLinesInHeight(const SPW_FONT* font, const char* text, int32_t width,
                                   int32_t height);
