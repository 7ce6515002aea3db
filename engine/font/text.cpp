// Drawing single lines of text: plain, aligned, shadowed, rotated and scaled.
#include <cmath>

#include "engine/font/glyph.h"
#include "engine/quad/quad.h"

float g_spwTextAngle = 0.0f;
uint32_t g_spwTextColour = 0xffffffffu;

namespace {

using Drawer = int32_t (*)(SPW_DISPLAYNODE*, const SPW_FONT*, const char*, float, float, float,
                           uint32_t);

// The shadow goes first: the clear texels of the glyph cells write depth too, so a shadow
// drawn after the text would be hidden wherever it falls inside the text's cells.
int32_t Shadowed(Drawer draw, SPW_DISPLAYNODE* node, const SPW_FONT* font, const char* text,
                 float x, float y, float depth, uint32_t colour) {
  draw(node, font, text, x - 1, y + 1, depth + SPW_TEXT_SHADOW_DEPTH, SPW_TEXT_SHADOW_COLOUR);
  return draw(node, font, text, x, y, depth, colour);
}

}  // namespace

void SPW_SetTextMode(float angle) { g_spwTextAngle = angle; }

int32_t SPW_DrawTextN(SPW_DISPLAYNODE* node, const SPW_FONT* font, const char* text, int32_t n,
                      float x, float y, float depth, uint32_t colour) {
  if (!node || !font || !text) return 0;
  const float angle = g_spwTextAngle;
  // A rotated line is laid out from the origin, turned, then moved to (x, y).
  float pen = angle != 0.0f ? 0.0f : x;
  int32_t drawn = 0;
  for (int32_t i = 0; i < n && text[i]; ++i) {
    const SPW_B2DFRAME* g = SPW_FontGlyph(font, text[i]);
    if (!g) continue;
    if (angle != 0.0f)
      SPW_DrawFrameRotated(node, g, pen, 0.0f, depth, colour, angle, x, y);
    else
      SPW_DrawFrame(node, g, pen, y, depth, colour);
    pen += static_cast<float>(g->nWidth);
    ++drawn;
  }
  return drawn;
}

int32_t SPW_DrawText(SPW_DISPLAYNODE* node, const SPW_FONT* font, const char* text, float x,
                     float y, float depth, uint32_t colour) {
  return SPW_DrawTextN(node, font, text, INT32_MAX, x, y, depth, colour);
}

int32_t SPW_DrawTextCentred(SPW_DISPLAYNODE* node, const SPW_FONT* font, const char* text, float x,
                            float y, float depth, uint32_t colour) {
  const float half = static_cast<float>(SPW_FontStringWidth(font, text) / 2);
  return SPW_DrawText(node, font, text, x - half, y, depth, colour);
}

int32_t SPW_DrawTextRight(SPW_DISPLAYNODE* node, const SPW_FONT* font, const char* text, float x,
                          float y, float depth, uint32_t colour) {
  const float width = static_cast<float>(SPW_FontStringWidth(font, text));
  return SPW_DrawText(node, font, text, x - width, y, depth, colour);
}

int32_t SPW_DrawTextShadowed(SPW_DISPLAYNODE* node, const SPW_FONT* font, const char* text,
                             float x, float y, float depth, uint32_t colour) {
  return Shadowed(SPW_DrawText, node, font, text, x, y, depth, colour);
}

int32_t SPW_DrawTextCentredShadowed(SPW_DISPLAYNODE* node, const SPW_FONT* font, const char* text,
                                    float x, float y, float depth, uint32_t colour) {
  return Shadowed(SPW_DrawTextCentred, node, font, text, x, y, depth, colour);
}

int32_t SPW_DrawTextRightShadowed(SPW_DISPLAYNODE* node, const SPW_FONT* font, const char* text,
                                  float x, float y, float depth, uint32_t colour) {
  return Shadowed(SPW_DrawTextRight, node, font, text, x, y, depth, colour);
}

int32_t SPW_DrawScaledTextCentred(SPW_DISPLAYNODE* node, const SPW_FONT* font, const char* text,
                                  float x, float y, float depth, float scale, uint32_t colour,
                                  const SPW_RECT* clip) {
  if (!node || !font || !text) return 0;
  float pen = x - static_cast<float>(SPW_FontStringWidth(font, text)) * scale / 2.0f;
  int32_t drawn = 0;
  for (const char* p = text; *p; ++p) {
    const SPW_B2DFRAME* g = SPW_FontGlyph(font, *p);
    if (!g) continue;
    const float w = static_cast<float>(g->nWidth) * scale;
    const float h = static_cast<float>(g->nHeight) * scale;
    if (SPW_DrawGlyph(node, g, pen + w / 2.0f, y + h / 2.0f, depth, colour, clip, scale)) ++drawn;
    pen += w;
  }
  return drawn;
}
