#pragma once
// Inside the font module: the glyph of a character, and the text state.
#include "engine/font/font.h"

// None when the character's glyph is absent.
inline const SPW_B2DFRAME* SPW_FontGlyph(const SPW_FONT* font, char c) {
  const SPW_B2DFRAME& g = font->aGlyphs[static_cast<unsigned char>(c)];
  return g.nId && g.nTextureId ? &g : nullptr;
}

// Widths are summed wider than they are kept: a font's glyphs may be as wide as a file says,
// and a sum past the 32-bit range stays at its end instead of wrapping.
inline int64_t SPW_FontSaturate(int64_t width) {
  return width > INT32_MAX ? INT32_MAX : width < INT32_MIN ? INT32_MIN : width;
}

// Set by SPW_SetTextMode.
extern float g_spwTextAngle;
// Where laid-out text continues its colour; colour codes change it.
extern uint32_t g_spwTextColour;
