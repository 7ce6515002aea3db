#pragma once
// Inside the font module: the glyph of a character, and the text state.
#include "engine/font/font.h"

// None when the character's glyph is absent.
inline const SPW_B2DFRAME* SPW_FontGlyph(const SPW_FONT* font, char c) {
  const SPW_B2DFRAME& g = font->aGlyphs[static_cast<unsigned char>(c)];
  return g.nId && g.nTextureId ? &g : nullptr;
}

// Set by SPW_SetTextMode.
extern float g_spwTextAngle;
// Where laid-out text continues its colour; colour codes change it.
extern uint32_t g_spwTextColour;
